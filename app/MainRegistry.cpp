// The document registry of the main window: its MDI children are the open documents, found by
// kind and by registered name, numbered "NONAME" 1, 2, 3 ... and renamed through the name box.
#include "app/MainRegistry.h"

#include "app/dialogs/WaveComboBox.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <climits>

#include "app/wavewindow/ChildWave.h"
#include "app/wavewindow/ChildWin.h"
#include "app/Player.h"
#include "app/Main.h"
#include "app/wavewindow/WindowHost.h"
#include "foundation/messages.h"
#include "foundation/unit.h"
#include "gui/statusbar.h"
#include "wave/shell.h"
#include "wave/unitwave.h"

namespace {

constexpr const char* kNoName = "NONAME";

// Blanks and control characters (codes below 33) around a typed name are not part of it.
std::string StripName(const std::string& text) {
  const auto kept = [](char c) { return static_cast<unsigned char>(c) >= 33; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && !kept(text[begin])) ++begin;
  while (end > begin && !kept(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Typing in the name box lasts while the box has the focus, however it came (a click, Tab, the
// main window coming back) and however it went; Escape gives up what was typed.
class NameBoxEvents : public QObject {
 public:
  explicit NameBoxEvents(TMainForm& form) : form_(form) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::FocusIn:
        form_.EditNameClick();
        break;
      case QEvent::FocusOut:
        form_.EndEditName();
        break;
      case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
          form_.CancelEditName();
          return true;
        }
        // Tab either way goes back to the active document: the focus chain would pass Shift+Tab
        // to a tool bar, or to another document's window and make that one active.
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & Qt::ControlModifier)) {
          form_.FocusActiveChild();
          return true;
        }
        break;
      }
      default:
        break;
    }
    return false;
  }

 private:
  TMainForm& form_;
};

// The calls on the main window, from the engine and from the windows and dialogs alike.
class MainShell : public ShellServices {
 public:
  TUnitWave* MainFindUnitWaveByName(const std::string& name) override {
    return MainForm ? MainForm->FindUnitWaveByName(name) : nullptr;
  }
  // Without a media player the main window plays nothing.
  bool MainPlayWholeSound(const Sound& sound) override { return ::MainPlayWholeSound(sound); }
  void UnitWaveClosing(const TUnitWave* unitWave) override { ::MainUnitWaveClosing(unitWave); }
  void DeleteUndoOf(const TUnitWave* unitWave) override {
    if (MainForm) MainForm->DeleteUndoOf(unitWave);
  }
  bool UndoHolds(const Sound* sound) const override {
    return MainForm && MainForm->UndoUnit.Holds(sound);
  }
  void NotifySelectionChanged(WaveView* view) override {
    if (MainForm) MainForm->NotifySelectionChanged(dynamic_cast<TMDIChildWave*>(view));
  }
  Sound* GetClipBoardSound() override {
    return MainForm ? MainForm->ClipBoardSound.get() : nullptr;
  }
  void SetClipBoardSound(std::unique_ptr<Sound> sound) override {
    if (MainForm) MainForm->SetClipBoardSound(std::move(sound));
  }
  void SetStatusText(int32_t panel, const std::string& text) override {
    if (MainForm) MainForm->StatusBar()->SetPanelText(panel, text);
  }
  int32_t MainFillWaveNames(std::vector<TWaveNameEntry>& list, uint8_t filter) override {
    return MainForm ? MainForm->FillWaveNames(list, filter) : 0;
  }
  TUnit* MainActiveUnit() override { return MainForm ? MainForm->ActiveUnit() : nullptr; }
  bool MainCheckNameFree(const std::string& name, const TUnit* unit) override {
    return MainForm ? MainForm->CheckNameFree(name, unit) : true;
  }
  void MainSetDialogActive(bool active) override {
    if (MainForm) MainForm->DialogActive = active;
  }
  void MainDlgSelZoomClosed() override {
    if (MainForm) MainForm->DlgSelZoomClosed();
  }
  void MainDlgMusicClosed() override {
    if (MainForm) MainForm->DlgMusicClosed();
  }
  void MainDlgMusTreeClosed() override {
    if (MainForm) MainForm->DlgMusTreeClosed();
  }
};

MainShell mainShell;

// The document windows' calls on the main window; they find it only while `MainForm` is set.
class MainWindowHost : public WindowHost {
 public:
  void EndEditName() override { MainForm->EndEditName(); }
  void SetEditName(const std::string& name) override { MainForm->SetEditName(name); }
  size_t DocumentWindowCount() const override { return MainForm->MDIChildren().size(); }
  StatusPanels* StatusBar() const override { return MainForm->StatusBar(); }
  void NotifyZoomChanged(TMDIChildWave* window) override { MainForm->NotifyZoomChanged(window); }
  void NotifyActiveWaveChild(TMDIChildWave* window) override {
    MainForm->NotifyActiveWaveChild(window);
  }
  bool SaveWave(TUnitWave* unitWave) override { return MainForm->SaveWave(unitWave); }
  void EndRecordingInto(const TUnit* unit) override {
    if (unit != nullptr && unit == RecordUnitWave) MainForm->Playback().EndRecordingBeforeClose();
  }
  void ShowForQuestion(TMDIChildKorvalen& window) override { MainForm->ShowForQuestion(window); }
};

MainWindowHost mainWindowHost;

WindowHost* FindMainWindowHost() { return MainForm ? &mainWindowHost : nullptr; }

}  // namespace

void InstallMainShell() {
  SetShellServices(&mainShell);
  SetWindowHostFinder(FindMainWindowHost);
  // The wave combo boxes of the dialogs list what the registry holds.
  SetWaveNameLister([](uint8_t filter) {
    std::vector<TWaveNameEntry> entries;
    MainFillWaveNames(entries, filter);
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const TWaveNameEntry& entry : entries) names.push_back(entry.name);
    return names;
  });
}

void RemoveMainShell() {
  if (Shell() == &mainShell) SetShellServices(nullptr);
  SetWindowHostFinder(nullptr);
  SetWaveNameLister(nullptr);
}

void TMainForm::ConnectRegistry() {
  nameBoxEvents_ = std::make_unique<NameBoxEvents>(*this);
  editName_->installEventFilter(nameBoxEvents_.get());
  connect(editName_, &QLineEdit::returnPressed, this, [this] {
    RenameActiveUnit();
    EndEditName();
    // The keys go back to the document window, so its one-letter commands work again.
    FocusActiveChild();
  });
  // Also when the program comes back to the front: a modeless dialog that had the focus no longer
  // has it, and the window's activation says so.
  connect(mdiArea_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* window) {
    if (auto* child = dynamic_cast<TMDIChildKorvalen*>(window)) child->EvFormOnActivate();
  });
}

std::vector<TMDIChildKorvalen*> TMainForm::MDIChildren() const {
  std::vector<TMDIChildKorvalen*> children;
  for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
    if (auto* child = dynamic_cast<TMDIChildKorvalen*>(window)) children.push_back(child);
  }
  return children;
}

TMDIChildKorvalen* TMainForm::GetActiveMDIChild() const {
  // The current child stays the active one while another program has the focus.
  return dynamic_cast<TMDIChildKorvalen*>(mdiArea_->currentSubWindow());
}

TMDIChildKorvalen* TMainForm::ActiveWaveChild() const {
  TMDIChildKorvalen* child = GetActiveMDIChild();
  return child && child->GetKind() == kUnitKindWave ? child : nullptr;
}

TMDIChildKorvalen* TMainForm::ActiveMuzChild() const {
  TMDIChildKorvalen* child = GetActiveMDIChild();
  return child && child->GetKind() == kUnitKindMuz ? child : nullptr;
}

TUnit* TMainForm::ActiveUnit() const {
  TMDIChildKorvalen* child = GetActiveMDIChild();
  return child ? child->GetUnit() : nullptr;
}

TUnit* TMainForm::FindUnitByName(const std::string& name) const {
  const std::vector<TMDIChildKorvalen*> children = MDIChildren();
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    TUnit* unit = (*child)->GetUnit();
    if (unit && unit->GetName() == name) return unit;
  }
  return nullptr;
}

TUnitWave* TMainForm::ActiveUnitWave() const {
  TMDIChildKorvalen* child = ActiveWaveChild();
  return child ? dynamic_cast<TUnitWave*>(child->GetUnit()) : nullptr;
}

TUnitWave* TMainForm::FindUnitWaveByName(const std::string& name) const {
  TUnit* unit = FindUnitByName(name);
  return unit && unit->GetKind() == kUnitKindWave ? dynamic_cast<TUnitWave*>(unit) : nullptr;
}

int32_t TMainForm::FillWaveNames(std::vector<TWaveNameEntry>& list, uint8_t filter) const {
  const TUnitWave* active = ActiveUnitWave();
  const std::vector<TMDIChildKorvalen*> children = MDIChildren();
  int32_t count = 0;
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    if ((*child)->GetKind() != kUnitKindWave) continue;
    auto* unit = dynamic_cast<TUnitWave*>((*child)->GetUnit());
    if (!unit || unit->GetName().empty()) continue;
    const bool take = filter == 0 || (filter == 1 && unit != active) ||
                      (filter == 2 && unit != active && unit->GetChannels() == 1);
    if (!take) continue;
    list.push_back({unit->GetName(), unit});
    ++count;
  }
  return count;
}

void TMainForm::SetUnitProps(TUnitWave& unit) const { unit.SetProps(LastUsedProps); }

bool TMainForm::CheckNameFree(const std::string& name, const TUnit* unit) const {
  if (name.empty()) return true;
  const TUnit* owner = FindUnitByName(name);
  if (owner && owner != unit) {
    MessageReporter::ShowWaveNameExists(name);
    return false;
  }
  return true;
}

std::string TMainForm::NextNoName() {
  // Never reached in practice; the wrap only keeps the arithmetic defined.
  NoNameCounter = NoNameCounter == INT32_MAX ? 1 : NoNameCounter + 1;
  return kNoName + std::to_string(NoNameCounter);
}

TMDIChildKorvalen* TMainForm::AddMDIChild(std::unique_ptr<TMDIChildKorvalen> child,
                                          const std::string& caption) {
  TMDIChildKorvalen* window = child.release();
  mdiArea_->addSubWindow(window);
  window->setWindowTitle(QString::fromStdString(caption));
  // A closed window leaves the frame only when it is deleted: the action state follows then.
  connect(window, &QObject::destroyed, &actionUpdateTimer_, [this] { RequestActionUpdate(); });
  window->show();
  mdiArea_->setActiveSubWindow(window);
  return window;
}

void TMainForm::SetEditName(const std::string& name) {
  editName_->setText(QString::fromStdString(name));
}

void TMainForm::EditNameClick() {
  // Further clicks while the name is edited leave the cursor store alone, so the cursor saved by
  // the first one comes back when the edit ends.
  if (EditNameActive) return;
  EditNameActive = true;
  if (SavedCursor == crDefault) {
    SetIBeam();
    EditNameCursorSaved = true;
  }
}

void TMainForm::RenameActiveUnit() {
  TUnit* unit = ActiveUnit();
  if (!unit) return;
  const std::string name = StripName(editName_->text().toStdString());
  if (CheckNameFree(name, unit)) unit->SetName(name);
}

void TMainForm::EndEditName() {
  EditNameActive = false;
  // Only the edit's own I-beam is given back: every activation ends an edit, also while a long
  // command holds the hourglass.
  if (EditNameCursorSaved) {
    EditNameCursorSaved = false;
    ClearHourGlass();
  }
}

void TMainForm::CancelEditName() {
  const TUnit* unit = ActiveUnit();
  SetEditName(unit ? unit->GetName() : std::string());
  FocusActiveChild();
}

void TMainForm::FocusActiveChild() {
  if (TMDIChildKorvalen* child = GetActiveMDIChild()) {
    child->setFocus();
  } else {
    editName_->clearFocus();
  }
  // Whatever took the focus, the box no longer has it.
  if (!editName_->hasFocus()) EndEditName();
}

void TMainForm::LeaveNameBoxOnClick(QObject* target) {
  if (!editName_->hasFocus() || !target->isWidgetType()) return;
  const auto* widget = static_cast<const QWidget*>(target);
  if (widget == editName_ || editName_->isAncestorOf(widget) || widget->window() != this) return;
  FocusActiveChild();
}

TUnit* MainActiveUnit() { return Shell()->MainActiveUnit(); }

TMDIChildKorvalen* MainActiveWaveChild() {
  return MainForm ? MainForm->ActiveWaveChild() : nullptr;
}

TMDIChildKorvalen* MainActiveMuzChild() { return MainForm ? MainForm->ActiveMuzChild() : nullptr; }

bool MainCheckNameFree(std::string name, const TUnit* unit) {
  return Shell()->MainCheckNameFree(name, unit);
}

void MainSetDialogActive(bool active) { Shell()->MainSetDialogActive(active); }

int32_t MainFillWaveNames(std::vector<TWaveNameEntry>& list, uint8_t filter) {
  return Shell()->MainFillWaveNames(list, filter);
}

TUnitWave* MainFindUnitWaveByName(std::string name) {
  return Shell()->MainFindUnitWaveByName(name);
}

void MainDlgSelZoomClosed() { Shell()->MainDlgSelZoomClosed(); }

void MainDlgMusicClosed() { Shell()->MainDlgMusicClosed(); }

void MainDlgMusTreeClosed() { Shell()->MainDlgMusTreeClosed(); }

TMainRect MainFormRect() {
  if (MainForm == nullptr) return {0, 0, 0, 0};
  const QRect frame = MainForm->frameGeometry();
  return {frame.x(), frame.y(), frame.x() + frame.width(), frame.y() + frame.height()};
}

std::vector<QIcon> MainImageListIcons() {
  return MainForm ? MainForm->ImageListIcons() : std::vector<QIcon>{};
}
