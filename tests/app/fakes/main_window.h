// A started main window whose temporary directory lies in a scratch folder of the test's own,
// removed again afterwards; and sizing a document window to an exact client area.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "app/Main.h"
#include "app/dialogs/ViewProps.h"
#include "wave/unitwave.h"

class MainWindowTest : public testing::Test {
 protected:
  explicit MainWindowTest(const std::string& leaf)
      : scratch(testing::TempDir() + "korvalen-" + leaf + "-" + std::to_string(getpid())) {}
  void SetUp() override {
    std::filesystem::create_directories(scratch);
    SetTempDir(scratch + "/tmp");
    form = StartUp();
    QApplication::setActiveWindow(form.get());
  }
  void TearDown() override {
    form.reset();
    std::filesystem::remove_all(scratch);
  }
  // A wave document in a window of its own, registered under `name`.
  TUnitWave* OpenNamed(const std::string& name, SoundPtr sound) {
    auto unit = std::make_unique<TUnitWave>("", std::move(sound));
    unit->SetName(name);
    TUnitWave* opened = unit.get();
    form->CreateMDIChildWave(name, std::move(unit), TWaveViewProps(), TVoldViewProps());
    return opened;
  }
  // A user's command comes after the idle update; answers whether it was offered.
  bool Command(const char* action) {
    QApplication::processEvents();
    form->ActionList1Update();
    const bool usable = form->Action(action)->isEnabled();
    form->Action(action)->trigger();
    return usable;
  }

  const std::string scratch;
  std::unique_ptr<TMainForm> form;
};

// Resizes `window` until `client` has the given size (frames and scroll bars take their share).
inline void ResizeClient(QWidget& window, const QWidget& client, QSize size) {
  for (int attempt = 0; attempt < 3 && client.size() != size; ++attempt) {
    window.resize(window.size() + size - client.size());
    QApplication::processEvents();
  }
  ASSERT_EQ(client.size(), size);
}
