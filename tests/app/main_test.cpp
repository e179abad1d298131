// Start-up and the main window: caption, menus, tool bars, status bar, name box, temporary
// directory, cursor store, help commands and the key filter.
#include "app/Main.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/fakes/recording_help.h"
#include "foundation/assertion.h"
#include "gui/application.h"
#include "gui/statusbar.h"
#include "support/recording_sink.h"

namespace {

std::string ScratchDir(const std::string& leaf) {
  return testing::TempDir() + "korvalen-main-test-" + std::to_string(getpid()) + "-" + leaf;
}

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override {
    SetTempDir(ScratchDir("temp"));
    form = StartUp();
  }
  void TearDown() override {
    form.reset();
    std::filesystem::remove_all(ScratchDir("temp"));
  }

  // Lets the name box take typed keys, as it does while a document is active.
  QLineEdit* TypeInNameBox() {
    QLineEdit* box = form->EditName();
    box->setEnabled(true);
    QApplication::setActiveWindow(form.get());
    box->setFocus();
    form->EditNameActive = true;
    return box;
  }

  RecordingSink sink;
  RecordingHelp help;
  std::unique_ptr<TMainForm> form;
};

}  // namespace

TEST_F(MainFormTest, ExperimentShortcuts) {
  QAction* volume = form->Action("Volume");
  volume->setEnabled(true);
  QSignalSpy fired(volume, &QAction::triggered);
  QApplication::setActiveWindow(form.get());
  QTest::keyClick(form.get(), Qt::Key_V);
  EXPECT_EQ(fired.count(), 1);
  QTest::keyClick(form.get(), Qt::Key_F1);
  EXPECT_EQ(help.calls.size(), 1u);
  QLineEdit* box = TypeInNameBox();
  QTest::keyClick(box, Qt::Key_F1);
  EXPECT_EQ(help.calls.size(), 1u);
  QTest::keyClick(box, Qt::Key_V);
  EXPECT_EQ(box->text().toStdString(), "v");
  EXPECT_EQ(fired.count(), 1);
}
