// From file to file through the main window: every command of the Make, Effects and Edit menus
// in turn with its dialog confirmed at its shown values, the last one undone, the document saved
// and read back. Commands whose dialog is not there yet do nothing and are run all the same.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <set>

#include "app/fakes/main_window.h"
#include "app/fakes/scripted_dialogs.h"
#include "support/recording_sink.h"
#include "wave/wave.h"
#include "wave/wavefile.h"

namespace {

class WaveRoad : public MainWindowTest {
 protected:
  WaveRoad() : MainWindowTest("waveroad") {}
};

// The commands of a menu and its submenus in menu order; mode switches are left out.
void Commands(const QMenu& menu, std::vector<QAction*>& commands) {
  for (QAction* action : menu.actions()) {
    if (action->menu() != nullptr) {
      Commands(*action->menu(), commands);
    } else if (!action->isSeparator() && !action->isCheckable()) {
      commands.push_back(action);
    }
  }
}

std::vector<std::vector<int16_t>> Channels(const Sound& sound) {
  std::vector<std::vector<int16_t>> channels;
  for (const Wave* wave : {sound.GetLeftWave(), sound.GetRightWave()}) {
    if (wave != nullptr) channels.emplace_back(wave->wave, wave->wave + wave->values);
  }
  return channels;
}

// A sound a document can hold: one or two channels of its length, the selection within it.
void ExpectValid(const TUnitWave& unit) {
  const Sound* sound = unit.GetSound();
  ASSERT_NE(sound, nullptr);
  const auto channels = Channels(*sound);
  ASSERT_EQ(channels.size(), static_cast<size_t>(sound->MoSt));
  for (const auto& channel : channels) EXPECT_EQ(channel.size(), size_t(sound->GetValues()));
  EXPECT_GT(sound->GetValues(), 0);
  EXPECT_GE(unit.GetSelBegin(), 0);
  EXPECT_LE(unit.GetSelEnd(), sound->GetValues());
}

}  // namespace

TEST_F(WaveRoad, EveryWaveCommandLeavesAValidDocumentThatSavesAndReadsBack) {
  RecordingSink sink;
  const std::string path = scratch + "/road.wav";
  {
    bool abort = false;
    WavePtr left = NewWaveChecked(abort, 5512);
    WavePtr right = NewWaveChecked(abort, 5512);
    for (int32_t i = 0; i < 5512; ++i) {
      left->wave[i] = static_cast<int16_t>((i * 53) % 6000 - 3000);
      right->wave[i] = static_cast<int16_t>((i * 29) % 5000 - 2500);
    }
    ASSERT_TRUE(WriteWaveFile(abort, path, StereoSound(std::move(left), std::move(right), 22050, 2),
                              0, 5512));
  }
  ASSERT_TRUE(form->OpenWaveFile(path));
  TUnitWave* unit = form->ActiveUnitWave();
  ASSERT_NE(unit, nullptr);

  std::vector<QAction*> commands;
  for (const char* menu : {"Make", "Effects", "Edit"}) Commands(*form->MainMenu(menu), commands);
  ScriptedDialogs confirm([](TDialogForm& dialog) {
    dialog.findChild<QPushButton*>("OKBtn")->click();
  });
  std::vector<std::vector<int16_t>> beforeLastChange;
  std::set<std::string> changed;
  for (QAction* command : commands) {
    const std::string name = command->objectName().toStdString();
    SCOPED_TRACE(name);
    // A stretch in the middle, so that edits leave sound on both sides.
    unit->SetSelRange(unit->GetValues() / 4, unit->GetValues() / 2);
    const Sound* previous = unit->GetSound();
    auto before = Channels(*previous);
    command->setEnabled(true);
    command->trigger();
    ExpectValid(*unit);
    if (HasFatalFailure()) return;
    if (unit->GetSound() != previous) {
      changed.insert(name);
      beforeLastChange = std::move(before);
    }
  }
  for (const char* name : {"MakeMFreq", "FilterHigh", "FilterLow", "FilterRes", "FilterNotch",
                           "FilterBlock", "PerEcho", "RndEcho", "Reverse", "EditExtract"}) {
    EXPECT_EQ(changed.count(name), 1u) << name;
  }
  const std::set<std::string> shown(confirm.captions.begin(), confirm.captions.end());
  for (const char* caption :
       {"Make Silence", "Make Line", "Make Block", "Make Triangle", "Make Sinus", "Make Noise",
        "Multi Frequency", "Pitch Tempo", "High Filter", "Low Filter", "Resonant Filter",
        "Notch Filter", "Block Filter", "Period Echo", "Random Echo"}) {
    EXPECT_EQ(shown.count(caption), 1u) << caption;
  }

  // Undo takes back the last command that changed the sound.
  form->UndoUnit.Restore();
  ExpectValid(*unit);
  EXPECT_EQ(Channels(*unit->GetSound()), beforeLastChange);
  const auto saved = Channels(*unit->GetSound());
  form->Action("FileSave")->setEnabled(true);
  form->Action("FileSave")->trigger();
  EXPECT_EQ(unit->GetState(), kUnitStateSaved);
  SoundPtr read;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(path, read, status)) << status;
  EXPECT_EQ(Channels(*read), saved);
  EXPECT_EQ(read->Freq, 22050);
  EXPECT_TRUE(sink.messages.empty());
}
