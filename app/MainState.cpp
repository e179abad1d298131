// The action state of the main window: which commands are enabled, checked and shown for the
// active document, the clipboard, the undo record and the player, and which menus and tool bars
// show for its kind. It reads flags only, so it can run after every user action.
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPalette>
#include <QToolBar>
#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "app/wavewindow/ChildWave.h"
#include "app/Main.h"
#include "app/MainActions.h"
#include "app/Player.h"
#include "foundation/unit.h"
#include "gui/statusbar.h"
#include "music/unitmuz.h"
#include "wave/unitwave.h"
#include "wave/waveview.h"

namespace {

using Names = std::initializer_list<const char*>;

constexpr Names kWaveToolBars = {"ToolBarWave1", "ToolBarWave2", "ToolBarWave3"};
constexpr Names kMusicToolBars = {"ToolBarMusic1", "ToolBarMusic2", "ToolBarMusic3"};
constexpr Names kWaveMenus = {"Edit", "View", "Make", "Effects", "Window"};
constexpr Names kWaveViewEntries = {"ViewWave", "ViewVold", "ZoomIn", "NoZoom", "SelectWave"};
constexpr Names kWindowArrangement = {"WindowCascade", "WindowTileHorizontal",
                                      "WindowTileVertical", "WindowMinimizeAll",
                                      "WindowArrangeAll"};
constexpr Names kHelpActions = {"HelpContents", "HelpTopicSearch", "HelpOnHelp", "HelpAbout"};
constexpr Names kMakeActions = {"MakeSilence", "MakeLine",  "MakeBlock", "MakeTriangle",
                                "MakeSinus",   "MakeNoise", "MakeMFreq"};
// The effects that need nothing but an editable wave with samples.
constexpr Names kSoundEffects = {"Volume",    "MaxVolume",  "Up",          "Distort",
                                 "Block",     "Reverse",    "Length",      "Rotate",
                                 "RollOut",   "RollIn",     "TempoPitch",  "FilterHigh",
                                 "FilterLow", "FilterRes",  "FilterNotch", "FilterBlock",
                                 "PerEcho",   "RndEcho"};
constexpr Names kNoDocumentDisabled = {
    "FileProperties", "FileSave", "FileSaveAs", "FilePlay", "FileRecord", "DuplicateWave",
    "DuplicateMuz", "EditDelete", "EditCut", "EditCopy", "EditTrim", "EditPaste", "EditSwap",
    "EditExtract", "EditMix", "EditClearClipboard", "NoZoom", "ZoomIn", "ViewWave", "ViewVold",
    "MergeH", "MergeV", "SplitV", "SplitH", "DrawWaveLin", "DrawWave3G"};

constexpr QColor kNameBoxGrey(128, 128, 128);

// The events after which the action state may have changed: the user did something, a window
// came, went or changed activation, or a document window painted what its document now holds.
bool MayChangeState(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::Close:
      return true;
    case QEvent::Paint:
      for (QObject* object = watched; object != nullptr; object = object->parent()) {
        if (qobject_cast<QMdiSubWindow*>(object) != nullptr) return true;
      }
      return false;
    default:
      return false;
  }
}

class ActionUpdateTrigger : public QObject {
 public:
  explicit ActionUpdateTrigger(TMainForm& form) : form_(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (MayChangeState(watched, event)) form_.RequestActionUpdate();
    return false;
  }

 private:
  TMainForm& form_;
};

}  // namespace

void TMainForm::ConnectActionState() {
  // One zero-time shot: it fires once the events already queued are handled, and arming it again
  // before then adds nothing.
  actionUpdateTimer_.setSingleShot(true);
  actionUpdateTimer_.setInterval(0);
  connect(&actionUpdateTimer_, &QTimer::timeout, this, [this] { ActionList1Update(); });
  actionUpdateTrigger_ = std::make_unique<ActionUpdateTrigger>(*this);
  qApp->installEventFilter(actionUpdateTrigger_.get());
  connect(mdiArea_, &QMdiArea::subWindowActivated, &actionUpdateTimer_,
          [this] { RequestActionUpdate(); });
}

void TMainForm::RequestActionUpdate() {
  if (!actionUpdateTimer_.isActive()) actionUpdateTimer_.start();
}

void TMainForm::ActionList1Update() {
  TMDIChildKorvalen* child = GetActiveMDIChild();
  UpdateActionsByKind(child);
  const bool anotherWindow = statusWindow_.data() != child;
  statusWindow_ = child;
  if (TUnitWave* unitWave = ActiveUnitWave()) {
    // Panel 1 of a wave tells what lies under the mouse; until the mouse tells, it is empty, not
    // what the window active before put there.
    if (anotherWindow) statusBar_->SetPanelText(1, "");
    unitWave->ShowStatus();
  } else if (TUnitMuz* unitMuz = ActiveUnitMuz()) {
    // A music document has no channels, size or state of a wave to show: the last wave's must not
    // stay there.
    for (int panel = 5; panel <= 7; ++panel) statusBar_->SetPanelText(panel, "");
    unitMuz->ShowStatus();
  } else {
    ClearStatus();
  }
  // Not every change of a selection or zoom sends its notice (Undo swaps the selection in): after
  // each pass of user input, Select and Zoom looks at the active wave again.
  if (SelZoomNotices* dialog = DlgSelZoom.Get(); dialog != nullptr && DlgSelZoom.Visible()) {
    dialog->ShowChild(dynamic_cast<TMDIChildWave*>(child));
  }
}

void TMainForm::UpdateActionsByKind(TMDIChildKorvalen* child) {
  const uint8_t kind = child != nullptr ? child->GetKind() : 0;
  if (kind == kUnitKindWave && dynamic_cast<TUnitWave*>(child->GetUnit()) != nullptr) {
    UpdateWaveActions(*child);
    LastShownKind = kUnitKindWave;
  } else if (kind == kUnitKindMuz) {
    UpdateMuzActions(*child);
    LastShownKind = kUnitKindMuz;
  } else {
    // A window whose document is already gone counts as none.
    UpdateNoDocumentActions();
    LastShownKind = 0;
  }

  const bool playing = Action("FilePlay")->isChecked();
  const bool recording = Action("FileRecord")->isChecked();
  Action("FileStop")->setEnabled(TempDirOk && (playing || recording));
  Action("FilePause")->setEnabled(TempDirOk && (!recording || RecordPending));
  const TUnitWave* undone = UndoUnit.GetUnitWave();
  const bool undoUsable =
      undone != nullptr && (undone->GetView() == nullptr || !undone->GetView()->UserDrawing());
  // Undo would put a sound into a wave that Stop then fills with the recording: the undone
  // sound would be lost. Delete Undo leaves every sound alone.
  Action("Undo")->setEnabled(undoUsable && !RecordingInto(undone));
  Action("DeleteUndo")->setEnabled(undoUsable);
  for (Names names : {kWindowArrangement, kHelpActions}) {
    for (const char* name : names) Action(name)->setEnabled(true);
  }
}

void TMainForm::UpdateNoDocumentActions() {
  // Once after the last document went: the actions keep this state while nothing is open.
  if (LastShownKind == 0) return;
  for (const char* menu : {"Music", "Edit", "View", "Make", "Effects", "Window"}) {
    MainMenu(menu)->menuAction()->setVisible(false);
  }
  editName_->clear();
  editName_->setEnabled(false);
  QPalette grey = editName_->palette();
  grey.setColor(QPalette::Base, kNameBoxGrey);
  editName_->setPalette(grey);
  for (const char* bar : kMusicToolBars) ToolBar(bar)->hide();
  for (const char* bar : kWaveToolBars) ToolBar(bar)->hide();
  for (Names names : {kNoDocumentDisabled, kMakeActions, kSoundEffects}) {
    for (const char* name : names) Action(name)->setEnabled(false);
  }
  for (const char* name : {"Balance", "MixLeftRight"}) Action(name)->setEnabled(false);
  Action("DuplicateWave")->setVisible(false);
  Action("DuplicateMuz")->setVisible(false);
}

void TMainForm::UpdateWaveActions(TMDIChildKorvalen& window) {
  const auto& unit = dynamic_cast<const TUnitWave&>(*window.GetUnit());
  // The view's own state; a window that is no wave window shows the plain waveform.
  const auto* waveWindow = dynamic_cast<const TMDIChildWave*>(&window);
  const bool drawing = waveWindow != nullptr && waveWindow->UserDrawing();
  const uint8_t viewMode = waveWindow != nullptr ? waveWindow->ViewMode() : 0;
  const bool zoomed = waveWindow != nullptr && waveWindow->IsZoomed() != 0;
  const uint8_t drawType = waveWindow != nullptr ? waveWindow->GetDrawType() : 0;
  if (LastShownKind != kUnitKindWave) {
    LayViewMenu(kUnitKindWave);
    MainMenu("Music")->menuAction()->setVisible(false);
    for (const char* menu : kWaveMenus) MainMenu(menu)->menuAction()->setVisible(true);
    ShowToolBarsOf(kUnitKindWave);
  }
  EnableNameBox();

  // Drawing through control points takes the wave out of the hands of every other edit. A
  // recording meant for the wave takes its sound: Stop puts the recording in place of whatever
  // an edit made meanwhile, so only what leaves the sound alone (or, as Properties, converts the
  // recording as it comes) stays.
  const bool editable = !drawing;
  const bool recordedInto = RecordingInto(&unit);
  const bool changeable = editable && !recordedInto;
  const bool samples = unit.GetValues() != 0;
  const bool selected = unit.GetSelCursor() != unit.GetSelAnchor();
  const bool clip = ClipBoardSound != nullptr;
  const bool mono = unit.GetChannels() == 1;
  const bool stereo = unit.GetChannels() == 2;
  const auto set = [this](const char* name, bool enabled) { Action(name)->setEnabled(enabled); };

  // File
  set("DuplicateWave", true);
  Action("DuplicateWave")->setVisible(true);
  set("DuplicateMuz", false);
  Action("DuplicateMuz")->setVisible(false);
  set("FileSave", unit.NeedsSave());
  set("FileSaveAs", samples);
  set("FilePlay", TempDirOk && samples);
  set("FileRecord", TempDirOk && !samples && !drawing);
  set("FileProperties", editable);
  // Edit
  set("EditDelete", changeable && samples);
  set("EditTrim", changeable && samples && selected);
  set("EditCut", changeable && samples);
  set("EditCopy", editable && samples);
  set("EditPaste", changeable && clip);
  set("EditSwap", changeable && samples && clip);
  set("EditExtract", changeable && samples);
  set("EditMix", changeable && clip);
  set("EditClearClipboard", clip);
  // View
  set("ViewWave", true);
  Action("ViewWave")->setChecked(viewMode == 0);
  set("ViewVold", editable);
  Action("ViewVold")->setChecked(viewMode == 1);
  set("ZoomIn", editable && samples && selected);
  set("NoZoom", editable && samples && zoomed);
  set("SelectWave", true);
  Action("SelectWave")->setChecked(DlgSelZoom.Visible());
  // Make
  for (const char* name : kMakeActions) set(name, changeable);
  set("DrawWaveLin", unit.CanDrawWaveLin() && !recordedInto);
  set("DrawWave3G", unit.CanDrawWave3G() && !recordedInto);
  Action("DrawWaveLin")->setChecked(!editable && drawType == 0);
  Action("DrawWave3G")->setChecked(!editable && drawType == 1);
  // Effects
  for (const char* name : kSoundEffects) set(name, changeable && samples);
  set("Balance", changeable && samples && mono);
  set("MixLeftRight", changeable && samples && stereo);
  // Window
  const int64_t lower = unit.GetSelBegin();
  const int64_t upper = unit.GetSelEnd();
  const bool several = mdiArea_->subWindowList().size() > 1;
  set("SplitH", lower > 0 && upper < int64_t{unit.GetValues()} - 1);
  set("MergeH", several);
  set("SplitV", stereo);
  set("MergeV", several);
}

void TMainForm::ShowToolBarsOf(uint8_t kind) {
  for (const char* bar : kMusicToolBars) ToolBar(bar)->setVisible(kind == kUnitKindMuz);
  for (const char* bar : kWaveToolBars) ToolBar(bar)->setVisible(kind == kUnitKindWave);
}

void TMainForm::LayViewMenu(uint8_t kind) {
  // The other kind's entries leave the menu instead of hiding: Qt disables a hidden action, and
  // their keys stay live.
  QMenu* view = MainMenu("View");
  view->clear();
  for (const MenuLayout& layout : MainMenuLayouts()) {
    if (std::string_view(layout.name) != "View") continue;
    for (const char* entry : layout.entries) {
      const auto named = [entry](const char* name) { return std::string_view(name) == entry; };
      const bool waveOnly = std::any_of(kWaveViewEntries.begin(), kWaveViewEntries.end(), named);
      const bool musicOnly = std::string_view(entry) == "MusicDialog";
      if (kind == kUnitKindWave ? !musicOnly : !waveOnly) view->addAction(Action(entry));
    }
  }
}

void TMainForm::EnableNameBox() {
  editName_->setEnabled(true);
  QPalette windowColour = editName_->palette();
  windowColour.setColor(QPalette::Base, QApplication::palette().color(QPalette::Base));
  editName_->setPalette(windowColour);
}

void TMainForm::ClearStatus() {
  for (int panel = 2; panel <= 6; ++panel) statusBar_->SetPanelText(panel, "");
}
