// From file to file through the main window: every command of the Make, Effects and Edit menus
// in turn with its dialog confirmed at its shown values, the last change undone, the document
// saved and read back. Commands whose dialog is not there yet do nothing and run all the same.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <set>

#include "app/fakes/dialog_controls.h"
#include "app/fakes/main_window.h"
#include "gui/application.h"
#include "wave/sound_helpers.h"
#include "wave/wavefile.h"

namespace {

class WaveRoad : public MainWindowTest {
 protected:
  WaveRoad() : MainWindowTest("waveroad") {}
};

// The commands of a menu and its submenus in menu order; mode switches are left out.
void Commands(const QMenu& menu, std::vector<QAction*>& commands) {
  for (QAction* action : menu.actions()) {
    if (action->menu() != nullptr)
      Commands(*action->menu(), commands);
    else if (!action->isSeparator() && !action->isCheckable())
      commands.push_back(action);
  }
}

}  // namespace

TEST_F(WaveRoad, EveryWaveCommandLeavesAValidDocumentThatSavesAndReadsBack) {
  RecordingSink sink;
  const std::string path = scratch + "/road.wav";
  bool abort = false;
  ASSERT_TRUE(WriteWaveFile(abort, path, *StereoOf(Sawtooth(5512, 53), Sawtooth(5512, 29)), 0, 5512));
  ASSERT_TRUE(form->OpenWaveFile(path));
  TUnitWave* unit = form->ActiveUnitWave();
  ASSERT_NE(unit, nullptr);

  std::vector<QAction*> commands;
  for (const char* menu : {"Make", "Effects", "Edit"}) Commands(*form->MainMenu(menu), commands);
  ScopedModalRunner confirm([](QDialog& shown) {
    shown.show();
    Press(shown, "OKBtn");
    if (shown.isVisible()) shown.reject();  // refused at its shown values
    return shown.result();
  });
  std::vector<std::vector<int16_t>> beforeLastChange;
  std::set<std::string> changed;
  for (QAction* command : commands) {
    SCOPED_TRACE(command->objectName().toStdString());
    unit->SetSelRange(unit->GetValues() / 4, unit->GetValues() / 2);  // edits leave sound around
    const Sound* previous = unit->GetSound();
    auto before = Channels(*previous);
    command->setEnabled(true);
    command->trigger();
    // A sound a document can hold: its channels as long as it, the selection within it.
    const Sound& sound = *unit->GetSound();
    ASSERT_GT(sound.GetValues(), 0);
    for (const auto& channel : Channels(sound))
      ASSERT_EQ(channel.size(), size_t(sound.GetValues()));
    ASSERT_LE(unit->GetSelEnd(), sound.GetValues());
    if (&sound != previous)
      changed.insert(command->objectName().toStdString()), beforeLastChange = before;
  }
  for (const char* name :
       {"MakeMFreq", "FilterHigh", "FilterLow", "FilterRes", "FilterNotch", "FilterBlock",
        "PerEcho", "RndEcho", "MakeSinus", "TempoPitch", "Reverse", "EditExtract"})
    EXPECT_EQ(changed.count(name), 1u) << name;

  form->UndoUnit.Restore();  // takes back the last command that changed the sound
  EXPECT_EQ(Channels(*unit->GetSound()), beforeLastChange);
  form->Action("FileSave")->setEnabled(true);
  form->Action("FileSave")->trigger();
  EXPECT_EQ(unit->GetState(), kUnitStateSaved);
  SoundPtr read;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(path, read, status)) << status;
  EXPECT_EQ(Channels(*read), Channels(*unit->GetSound()));
  // Distort needs an envelope wave and the document is alone: its dialog refuses the OK.
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text + " | " + sink.messages[0].caption,
            "In Distort Envelope: You have to select a Wave | Input Error");
}
