// The Music menu's commands, their part of the action update, and the keys that serve the music
// document or the wave document by the kind of the active one. Every command works on the active
// music document only; with none it does nothing, so its shortcut may stay live while its menu is
// hidden.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <string>

#include "app/wavewindow/ChildWin.h"
#include "app/Main.h"
#include "music/unitmuz.h"
#include "wave/unitwave.h"

namespace {

using MuzRun = void (*)(TUnitMuz&, int);
using MuzTest = bool (*)(const TUnitMuz&, int);

// One music action: what it does with its argument, when it is enabled (null: always, the
// update leaves it alone) and when it is checked (null: the update leaves the check alone).
struct MusicCommand {
  const char* action;
  int arg;
  MuzRun run;
  MuzTest enabled;
  MuzTest checked;
};

constexpr MuzRun kSetNote = [](TUnitMuz& m, int n) { m.SetNoteLength(n); };
constexpr MuzTest kCanNote = [](const TUnitMuz& m, int n) { return m.CanSetNoteLength(n); };
constexpr MuzTest kIsNote = [](const TUnitMuz& m, int n) { return m.IsNoteLength(n); };
constexpr MuzRun kSetRest = [](TUnitMuz& m, int n) { m.SetSilenceLength(n); };
constexpr MuzTest kCanRest = [](const TUnitMuz& m, int n) { return m.CanSetSilenceLength(n); };
constexpr MuzTest kIsRest = [](const TUnitMuz& m, int n) { return m.IsSilenceLength(n); };
constexpr MuzRun kSetArt = [](TUnitMuz& m, int a) { m.SetArticulation(static_cast<uint8_t>(a)); };
constexpr MuzTest kCanArt = [](const TUnitMuz& m, int) { return m.CanSetArticulation(); };
constexpr MuzTest kIsArt = [](const TUnitMuz& m, int a) {
  return m.IsArticulation(static_cast<uint8_t>(a));
};
constexpr MuzRun kSetKey = [](TUnitMuz& m, int k) { m.SetKeyKind(static_cast<int8_t>(k)); };
constexpr MuzTest kCanKey = [](const TUnitMuz& m, int) { return m.CanSetKeyKind(); };
constexpr MuzTest kIsKey = [](const TUnitMuz& m, int k) {
  return m.IsKeyKind(static_cast<int8_t>(k));
};
constexpr MuzRun kSetShift = [](TUnitMuz& m, int s) { m.ChangeNoteShift(static_cast<uint8_t>(s)); };
constexpr MuzTest kCanShift = [](const TUnitMuz& m, int s) {
  return m.CanChangeNoteShift(static_cast<uint8_t>(s));
};
constexpr MuzTest kIsShift = [](const TUnitMuz& m, int s) {
  return m.IsNoteShift(static_cast<uint8_t>(s));
};
constexpr MuzRun kSetTuplet = [](TUnitMuz& m, int n) { m.SetTuplet(n); };
constexpr MuzTest kCanTuplet = [](const TUnitMuz& m, int n) { return m.CanSetTuplet(n); };

// An operation without argument and a test without argument, as table entries.
template <void (TUnitMuz::*Op)()>
void Run(TUnitMuz& m, int) {
  (m.*Op)();
}
template <bool (TUnitMuz::*Op)() const>
bool Test(const TUnitMuz& m, int) {
  return (m.*Op)();
}

// In the order of the update: modes, playing, note groups, sticks, lengths, articulations, keys,
// note shifts, dots, deleting, selection, moves, tuplets.
constexpr MusicCommand kMusicCommands[] = {
    {"MusicModeAdd", 0, Run<&TUnitMuz::SetModeAdd>, nullptr, Test<&TUnitMuz::IsModeAdd>},
    {"MusicModeEdit", 0, Run<&TUnitMuz::SetModeEdit>, nullptr, Test<&TUnitMuz::IsModeEdit>},
    {"MusicModeDelete", 0, Run<&TUnitMuz::SetModeDelete>, nullptr, Test<&TUnitMuz::IsModeDelete>},
    {"MusicPlayNote", 0, Run<&TUnitMuz::PlayNote>, Test<&TUnitMuz::CanPlayNoteExecute>, nullptr},
    {"MusicAutoPlay", 0, [](TUnitMuz& m, int) { m.SetPlayAfterEdit(!m.GetPlayAfterEdit()); },
     nullptr, Test<&TUnitMuz::GetPlayAfterEdit>},
    {"MusicNoteGroupPrev", 0, Run<&TUnitMuz::NoteToPrevNoteGroup>,
     Test<&TUnitMuz::CanNoteToPrevNoteGroup>, nullptr},
    {"MusicNoteGroupNext", 0, Run<&TUnitMuz::NoteToNextNoteGroup>,
     Test<&TUnitMuz::CanNoteToNextNoteGroup>, nullptr},
    {"NoteStickUp", 0, Run<&TUnitMuz::NoteStickUp>, Test<&TUnitMuz::CanNoteStickUp>,
     Test<&TUnitMuz::IsNoteStickUp>},
    {"NoteStickDown", 0, Run<&TUnitMuz::NoteStickDown>, Test<&TUnitMuz::CanNoteStickDown>,
     Test<&TUnitMuz::IsNoteStickDown>},
    {"MusicNote1", 1, kSetNote, kCanNote, kIsNote},
    {"MusicNote2", 2, kSetNote, kCanNote, kIsNote},
    {"MusicNote4", 4, kSetNote, kCanNote, kIsNote},
    {"MusicNote8", 8, kSetNote, kCanNote, kIsNote},
    {"MusicNote16", 16, kSetNote, kCanNote, kIsNote},
    {"MusicNote32", 32, kSetNote, kCanNote, kIsNote},
    {"MusicNote64", 64, kSetNote, kCanNote, kIsNote},
    {"MusicSilence1", 1, kSetRest, kCanRest, kIsRest},
    {"MusicSilence2", 2, kSetRest, kCanRest, kIsRest},
    {"MusicSilence4", 4, kSetRest, kCanRest, kIsRest},
    {"MusicSilence8", 8, kSetRest, kCanRest, kIsRest},
    {"MusicSilence16", 16, kSetRest, kCanRest, kIsRest},
    {"MusicSilence32", 32, kSetRest, kCanRest, kIsRest},
    {"MusicSilence64", 64, kSetRest, kCanRest, kIsRest},
    {"MusicStaccatissimo", 2, kSetArt, kCanArt, kIsArt},
    {"MusicStaccato", 1, kSetArt, kCanArt, kIsArt},
    {"MusicArtNormal", 0, kSetArt, kCanArt, kIsArt},
    {"MusicPortato", 3, kSetArt, kCanArt, kIsArt},
    {"MusicLegato", 4, kSetArt, kCanArt, kIsArt},
    {"MusicKeyG", 6, kSetKey, kCanKey, kIsKey},
    {"MusicKeyC", 0, kSetKey, kCanKey, kIsKey},
    {"MusicKeyF", -6, kSetKey, kCanKey, kIsKey},
    {"MusicNSDCross", 0, kSetShift, kCanShift, kIsShift},
    {"MusicNSCross", 1, kSetShift, kCanShift, kIsShift},
    {"MusicNSNormal", 2, kSetShift, kCanShift, kIsShift},
    {"MusicNSMol", 3, kSetShift, kCanShift, kIsShift},
    {"MusicNSDMol", 4, kSetShift, kCanShift, kIsShift},
    {"MusicPointAdd", 0, Run<&TUnitMuz::AddPoint>, Test<&TUnitMuz::CanAddPoint>, nullptr},
    {"MusicPointDelete", 0, Run<&TUnitMuz::DeletePoint>, Test<&TUnitMuz::CanDeletePoint>, nullptr},
    {"MusicDelete", 0, Run<&TUnitMuz::DeleteSelected>, Test<&TUnitMuz::CanDeleteSelected>, nullptr},
    {"MusicSelectNext", 0, Run<&TUnitMuz::SelectNext>, Test<&TUnitMuz::CanSelectNext>, nullptr},
    {"MusicSelectPrev", 0, Run<&TUnitMuz::SelectPrev>, Test<&TUnitMuz::CanSelectPrev>, nullptr},
    {"MusicSelectUp", 0, Run<&TUnitMuz::SelectUp>, Test<&TUnitMuz::CanSelectUp>, nullptr},
    {"MusicSelectDown", 0, Run<&TUnitMuz::SelectDown>, Test<&TUnitMuz::CanSelectDown>, nullptr},
    {"MusicMoveNext", 0, Run<&TUnitMuz::MoveNext>, Test<&TUnitMuz::CanMoveNext>, nullptr},
    {"MusicMovePrev", 0, Run<&TUnitMuz::MovePrev>, Test<&TUnitMuz::CanMovePrev>, nullptr},
    {"MusicMoveUp", 0, Run<&TUnitMuz::MoveUp>, Test<&TUnitMuz::CanMoveUp>, nullptr},
    {"MusicMoveDown", 0, Run<&TUnitMuz::MoveDown>, Test<&TUnitMuz::CanMoveDown>, nullptr},
    {"MusicMoveOctUp", 0, Run<&TUnitMuz::MoveOctUp>, Test<&TUnitMuz::CanMoveOctUp>, nullptr},
    {"MusicMoveOctDown", 0, Run<&TUnitMuz::MoveOctDown>, Test<&TUnitMuz::CanMoveOctDown>, nullptr},
    {"MusicTwin", 2, kSetTuplet, kCanTuplet, nullptr},
    {"MusicTriplet", 3, kSetTuplet, kCanTuplet, nullptr},
    {"MusicQuadruplet", 4, kSetTuplet, kCanTuplet, nullptr},
    {"MusicQuintuplet", 5, kSetTuplet, kCanTuplet, nullptr},
};

// One key shared by both kinds. The music branch runs an action (when it is enabled) or an
// operation (when its test passes, or always without one); the wave branch runs an action (when
// it is enabled) or, for linear drawing, the document's own test decides.
struct SharedKey {
  const char* action;
  const char* musicAction;
  MuzRun musicRun;
  MuzTest musicTest;
  int arg;
  const char* waveAction;  // null: the key does nothing for a wave
};

constexpr SharedKey kSharedKeys[] = {
    {"keyCtrlP", "FileProperties", nullptr, nullptr, 0, "FileProperties"},
    {"keyCtrlDel", "MusicDelete", nullptr, nullptr, 0, "EditDelete"},
    {"keyAltDel", "MusicModeDelete", nullptr, nullptr, 0, "DeleteUndo"},
    {"keyAltN", nullptr, Run<&TUnitMuz::KeyAltN>, nullptr, 0, "MakeNoise"},
    {"keyAltS", nullptr, Run<&TUnitMuz::KeyAltS>, nullptr, 0, "MakeSilence"},
    {"keyL", nullptr, Run<&TUnitMuz::KeyL>, nullptr, 0, "Length"},
    {"keyShiftL", nullptr, Run<&TUnitMuz::KeyShiftL>, nullptr, 0, nullptr},
    {"keyAltL", nullptr, Run<&TUnitMuz::KeyAltL>, nullptr, 0, "MakeLine"},
    {"keyShiftAltL", nullptr, Run<&TUnitMuz::KeyShiftAltL>, nullptr, 0, nullptr},
    {"keyB", nullptr, kSetShift, kCanShift, 3, "Balance"},
    {"keyShiftB", nullptr, kSetShift, kCanShift, 4, "Block"},
    {"keyH", nullptr, kSetShift, kCanShift, 1, nullptr},
    {"keyShiftH", nullptr, kSetShift, kCanShift, 0, nullptr},
    {"keyE", nullptr, kSetShift, kCanShift, 2, nullptr},
    {"keyCtrlD", "MusicDialog", nullptr, nullptr, 0, nullptr},
    {"keyShiftCtrlD", "MusicDialog", nullptr, nullptr, 0, nullptr},
    {"keyShiftP", "MusicPlayNote", nullptr, nullptr, 0, nullptr},
    {"keyAltP", "MusicAutoPlay", nullptr, nullptr, 0, nullptr},
    {"keyAltG", "MusicNoteGroupNext", nullptr, nullptr, 0, nullptr},
    {"keyShiftAltG", "MusicNoteGroupPrev", nullptr, nullptr, 0, nullptr},
    {"keyD", "DuplicateMuz", nullptr, nullptr, 0, "DuplicateWave"},
    {"keyAltU", nullptr, Run<&TUnitMuz::NoteStickUp>, Test<&TUnitMuz::CanNoteStickUp>, 0, nullptr},
    {"keyAltD", nullptr, Run<&TUnitMuz::NoteStickDown>, Test<&TUnitMuz::CanNoteStickDown>, 0,
     "DrawWaveLin"},
};

void TriggerWhenEnabled(QAction* action) {
  if (action->isEnabled()) action->trigger();
}

}  // namespace

TUnitMuz* TMainForm::ActiveUnitMuz() const {
  TMDIChildKorvalen* child = ActiveMuzChild();
  return child ? dynamic_cast<TUnitMuz*>(child->GetUnit()) : nullptr;
}

void TMainForm::ConnectMusicCommands() {
  for (const MusicCommand& command : kMusicCommands) {
    connect(Action(command.action), &QAction::triggered, this,
            [this, &command] { RunMusicCommand(command.action); });
  }
  for (const SharedKey& key : kSharedKeys) {
    connect(Action(key.action), &QAction::triggered, this,
            [this, &key] { RunSharedKey(key.action); });
  }
  // Qt reports Shift with the "." key as the character it types (">" on most layouts), so the
  // pressed key is matched in both spellings.
  QAction* pointDelete = Action("MusicPointDelete");
  pointDelete->setShortcuts(
      {pointDelete->shortcut(), QKeySequence(QKeyCombination(Qt::ShiftModifier, Qt::Key_Greater))});
}

void TMainForm::RunMusicCommand(const std::string& name) {
  TUnitMuz* unit = ActiveUnitMuz();
  if (unit == nullptr) return;
  for (const MusicCommand& command : kMusicCommands) {
    if (name != command.action) continue;
    // The document refuses what it cannot do now (a state the last update did not see yet): its
    // operations assume their own test passed.
    if (command.enabled != nullptr && !command.enabled(*unit, command.arg)) return;
    command.run(*unit, command.arg);
    return;
  }
}

void TMainForm::RunSharedKey(const std::string& name) {
  for (const SharedKey& key : kSharedKeys) {
    if (name != key.action) continue;
    if (TUnitMuz* unit = ActiveUnitMuz()) {
      // A refused music branch ends here: the wave behind the music window is not the target.
      if (key.musicAction != nullptr) {
        TriggerWhenEnabled(Action(key.musicAction));
      } else if (key.musicTest == nullptr || key.musicTest(*unit, key.arg)) {
        key.musicRun(*unit, key.arg);
      }
      return;
    }
    TUnitWave* wave = ActiveUnitWave();
    if (wave == nullptr || key.waveAction == nullptr) return;
    if (std::string(key.waveAction) == "DrawWaveLin") {
      // The document's own test, not the action's last state, decides whether drawing may start.
      if (wave->CanDrawWaveLin()) DrawWaveLinExecute();
    } else {
      TriggerWhenEnabled(Action(key.waveAction));
    }
    return;
  }
}

void TMainForm::UpdateMuzActions(TMDIChildKorvalen& window) {
  const auto* unit = dynamic_cast<const TUnitMuz*>(window.GetUnit());
  if (unit == nullptr) return;
  if (LastShownKind != kUnitKindMuz) {
    for (const char* menu : {"Edit", "Make", "Effects"}) {
      MainMenu(menu)->menuAction()->setVisible(false);
    }
    LayViewMenu(kUnitKindMuz);
    for (const char* menu : {"View", "Music", "Window"}) {
      MainMenu(menu)->menuAction()->setVisible(true);
    }
    ShowToolBarsOf(kUnitKindMuz);
  }
  EnableNameBox();

  Action("FileProperties")->setEnabled(true);
  Action("FileSave")->setEnabled(unit->NeedsSave());
  Action("FileSaveAs")->setEnabled(true);
  Action("FilePlay")->setEnabled(TempDirOk);
  Action("DuplicateWave")->setEnabled(false);
  Action("DuplicateWave")->setVisible(false);
  Action("DuplicateMuz")->setEnabled(true);
  Action("DuplicateMuz")->setVisible(true);
  Action("MusicDialog")->setChecked(DlgMusic.Visible());
  Action("MusicParts")->setChecked(DlgMusTree.Visible());

  for (const MusicCommand& command : kMusicCommands) {
    QAction* action = Action(command.action);
    if (command.enabled != nullptr) action->setEnabled(command.enabled(*unit, command.arg));
    if (command.checked != nullptr) action->setChecked(command.checked(*unit, command.arg));
  }
}
