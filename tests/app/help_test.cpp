// The program's help: the topics built into it, the help keys of the main window, the topic search
// on the echo dialogs' word, and a dialog's Help button, pictured.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <set>

#include "app/dialogs/BaseDlg.h"
#include "app/fakes/command_dialogs.h"
#include "app/fakes/main_window.h"
#include "gui/helpwindow.h"
#include "wave/unitwave.h"

namespace {

class ProgramHelp : public MainWindowTest {
 protected:
  ProgramHelp() : MainWindowTest("help") {}

  // A wave document, active, with part of it selected.
  void OpenWave() {
    auto unit = std::make_unique<TUnitWave>("", Saw());
    unit->SetSelRange(100, 300);
    form->CreateMDIChildWave("wave", std::move(unit), TWaveViewProps(), TVoldViewProps());
    form->ActionList1Update();
  }
  // The help context of the dialog the command opens, its Help button pressed when `press`.
  int ContextOf(const char* action, bool press = false) {
    int context = 0;
    ScriptedDialogs dialogs([&](TDialogForm& dialog) {
      context = dialog.HelpContext();
      if (press) Press(dialog, "HelpBtn");
    });
    form->Action(action)->trigger();
    return context;
  }
  HelpWindow& Window() { return *form->Help().Window(); }
  std::string Shown() { return Window().Current() != nullptr ? Window().Current()->file.toStdString() : ""; }

  RecordingSink sink;
};

}  // namespace

TEST_F(ProgramHelp, EveryFileIsATitledTopicOfTheIndexAndEveryLinkReachesOne) {
  const HelpBook book(":/help");
  ASSERT_FALSE(book.Topics().empty());
  EXPECT_EQ(book.Topics().front().file, "contents.md");
  EXPECT_NE(book.Entry("using-help.md"), nullptr);
  std::set<QString> indexed;
  for (const HelpTopic& topic : book.Topics()) {
    SCOPED_TRACE(topic.file.toStdString());
    indexed.insert(topic.file);
    EXPECT_TRUE(topic.readable);
    EXPECT_TRUE(topic.text.startsWith("# " + topic.title + "\n"));
    // [text](target): every target is a topic of the book, perhaps with a place in it.
    QRegularExpression link(R"(\]\(([^)]*)\))");
    for (auto match = link.globalMatch(topic.text); match.hasNext();) {
      const QString target = match.next().captured(1).section('#', 0, 0);
      EXPECT_TRUE(target.isEmpty() || book.Entry(target) != nullptr) << target.toStdString();
    }
  }
  for (const QString& file : QDir(":/help").entryList(QDir::Files)) {
    EXPECT_TRUE(file == "index.txt" || indexed.count(file) == 1) << file.toStdString();
  }
}

TEST_F(ProgramHelp, HelpKeysShowContentsSearchAndHelpOnHelpAndSearchFindsTheEchoDialogs) {
  QTest::keyClick(form.get(), Qt::Key_F1);
  ASSERT_NE(form->Help().Window(), nullptr);
  EXPECT_TRUE(Window().isVisible());
  EXPECT_EQ(Shown(), "contents.md");
  QTest::keyClick(form.get(), Qt::Key_F1, Qt::ControlModifier);
  EXPECT_EQ(Shown(), "using-help.md");

  OpenWave();
  std::set<std::string> echoTopics;
  for (const char* action : {"PerEcho", "RndEcho"}) {
    const HelpTopic* topic = Window().Book().EntryOfContext(ContextOf(action));
    ASSERT_NE(topic, nullptr) << action;
    echoTopics.insert(topic->title.toStdString());
  }
  QTest::keyClick(form.get(), Qt::Key_F1, Qt::ShiftModifier);
  QLineEdit* search = Window().SearchField();
  ASSERT_EQ(Window().focusWidget(), search);
  QTest::keyClicks(search, "echo");
  const QListWidget* list = Window().TopicList();
  ASSERT_GE(list->count(), 2);
  EXPECT_EQ((std::set<std::string>{list->item(0)->text().toStdString(), list->item(1)->text().toStdString()}),
            echoTopics);
  QTest::keyClick(search, Qt::Key_Return);
  EXPECT_EQ(Window().Current()->title, list->item(0)->text());
}

TEST_F(ProgramHelp, TheVolumeDialogsHelpButtonShowsItsTopicPictured) {
  OpenWave();
  const int context = ContextOf("Volume", true);
  ASSERT_NE(form->Help().Window(), nullptr);
  EXPECT_EQ(Window().Current(), Window().Book().EntryOfContext(context));
  EXPECT_TRUE(Window().Current()->title.contains("Change Volume"));
  EXPECT_EQ(Window().NoticeText(), "");
  EXPECT_TRUE(Window().grab().save(QString(KORVALEN_BUILD_DIR) + "/help-window.png"));
}
