// Undo, the clipboard's command, the three modeless dialogs with the notices that keep them in
// step with the active window, and drawing a wave through control points.
#include <QAction>

#include "app/wavewindow/ChildWave.h"
#include "app/Main.h"
#include "app/Player.h"
#include "foundation/assertion.h"
#include "wave/unitwave.h"
#include "wave/waveview.h"

namespace {

constexpr const char* kAssertUnit = "Main";

constexpr uint8_t kDrawLinear = 0;
constexpr uint8_t kDrawSmooth = 1;

}  // namespace

void TMainForm::ConnectClipboardAndDialogs() {
  BindCommand("Undo", &TMainForm::UndoExecute);
  BindCommand("DeleteUndo", &TMainForm::DeleteUndoExecute);
  BindCommand("EditClearClipboard", &TMainForm::EditClearClipboardExecute);
  BindCommand("SelectWave", &TMainForm::SelectWaveExecute);
  BindCommand("MusicDialog", &TMainForm::MusicDialogExecute);
  BindCommand("MusicParts", &TMainForm::MusicPartsExecute);
  BindCommand("DrawWaveLin", &TMainForm::DrawWaveLinExecute);
  BindCommand("DrawWave3G", &TMainForm::DrawWave3GExecute);
  // A dialog that hides hands the keys back to the shortcuts at once: the window under it may
  // already be the active one, and then no document window is activated to do it.
  for (ModelessToggle* dialog : {static_cast<ModelessToggle*>(&DlgSelZoom),
                                 static_cast<ModelessToggle*>(&DlgMusic),
                                 static_cast<ModelessToggle*>(&DlgMusTree)}) {
    dialog->OnHide([this] { DialogActive = false; });
  }
}

void TMainForm::UndoExecute() {
  // The action may still look enabled when a queued key arrives before the next update: the
  // rule is checked again here, so a drawing window keeps its sound.
  const TUnitWave* undone = UndoUnit.GetUnitWave();
  if (undone == nullptr) return;
  if (undone->GetView() != nullptr && undone->GetView()->UserDrawing()) return;
  // Nor may a recording's Stop replace what Undo would give back.
  if (RecordingInto(undone)) return;
  UndoUnit.Restore();
}

void TMainForm::DeleteUndoExecute() { DeleteUndo(); }

void TMainForm::EditClearClipboardExecute() {
  // Its key stays live behind a music window, where it must leave the clipboard alone.
  if (ActiveUnitWave() == nullptr) return;
  ClearClipBoardSound();
}

// --- Modeless dialogs ----------------------------------------------------------------------------

void TMainForm::SelectWaveExecute() {
  Action("SelectWave")->setChecked(DlgSelZoom.Toggle(this));
}

void TMainForm::MusicDialogExecute() {
  Action("MusicDialog")->setChecked(DlgMusic.Toggle(this));
}

void TMainForm::MusicPartsExecute() {
  Action("MusicParts")->setChecked(DlgMusTree.Toggle(this));
}

void TMainForm::DlgSelZoomClosed() {
  KV_ASSERT(DlgSelZoom != NULL);
  Action("SelectWave")->setChecked(false);
}

void TMainForm::DlgMusicClosed() {
  KV_ASSERT(DlgMusic != NULL);
  Action("MusicDialog")->setChecked(false);
}

void TMainForm::DlgMusTreeClosed() {
  KV_ASSERT(DlgMusTree != NULL);
  Action("MusicParts")->setChecked(false);
}

void TMainForm::NotifySelectionChanged(TMDIChildWave* window) {
  if (SelZoomNotices* dialog = DlgSelZoom.Get()) dialog->SelectionChanged(window);
}

void TMainForm::NotifyZoomChanged(TMDIChildWave* window) {
  // Only the active window's zoom is on show.
  if (window == nullptr || window != ActiveWaveChild()) return;
  if (SelZoomNotices* dialog = DlgSelZoom.Get()) dialog->ZoomChanged(window);
}

void TMainForm::NotifyActiveWaveChild(TMDIChildWave* window) {
  if (MusicNotices* dialog = DlgMusic.Get()) dialog->SetUnitMuz(nullptr);
  if (MusTreeNotices* dialog = DlgMusTree.Get()) dialog->SetUnitMuz(nullptr);
  if (SelZoomNotices* dialog = DlgSelZoom.Get()) dialog->ShowChild(window);
}

void TMainForm::NotifyActiveMuzChild(TMDIChildMuz* window) {
  if (SelZoomNotices* dialog = DlgSelZoom.Get()) dialog->ShowChild(nullptr);
  if (MusicNotices* dialog = DlgMusic.Get()) dialog->SetUnitMuz(window);
  if (MusTreeNotices* dialog = DlgMusTree.Get()) dialog->SetUnitMuz(window);
}

void TMainForm::NotifyStaveChanged(TNoteStave* stave) {
  if (MusicNotices* dialog = DlgMusic.Get()) dialog->RefreshStave(stave);
}

// --- Drawing a wave ------------------------------------------------------------------------------

void TMainForm::DrawWaveLinExecute() { ToggleUserDrawing(kDrawLinear, Action("DrawWaveLin")); }

void TMainForm::DrawWave3GExecute() { ToggleUserDrawing(kDrawSmooth, Action("DrawWave3G")); }

void TMainForm::ToggleUserDrawing(uint8_t drawType, QAction* action) {
  auto* window = dynamic_cast<TMDIChildWave*>(ActiveWaveChild());
  if (window == nullptr || window->GetUnitWave() == nullptr) {
    action->setChecked(false);
    return;
  }
  QAction* other = action == Action("DrawWaveLin") ? Action("DrawWave3G") : Action("DrawWaveLin");
  if (!window->UserDrawing()) {
    // A key may arrive before the update has disabled the action: a wave that cannot be drawn
    // over, or that a recording will fill, is left alone.
    if (!window->GetUnitWave()->CanDrawWaveLin() || RecordingInto(window->GetUnitWave())) {
      action->setChecked(false);
      return;
    }
    SetDrawCursor(*window);
    window->StartUserDrawing(drawType);
    action->setChecked(true);
  } else if (window->GetDrawType() == drawType) {
    window->StopUserDrawing();
    action->setChecked(false);
    ClearDrawCursor(*window);
  } else {
    window->SetDrawType(drawType);
    action->setChecked(true);
    other->setChecked(false);
  }
  window->Redraw();
}
