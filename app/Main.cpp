#include "app/Main.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPointer>
#include <QScopedValueRollback>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QWindow>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "app/MainActions.h"
#include "app/MainRegistry.h"
#include "app/Player.h"
#include "app/TempFolder.h"
#include "app/wavewindow/ChildWin.h"
#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/messages.h"
#include "gui/actions.h"
#include "gui/application.h"
#include "gui/helpwindow.h"
#include "gui/keyfilter.h"
#include "gui/mdi.h"
#include "gui/mediaplayer.h"
#include "gui/statusbar.h"
#include "gui/toolbar.h"
#include "wave/wave.h"

namespace {

constexpr const char* kAssertUnit = "Main";

constexpr const char* kPlayFileName = "kvtempplaywave.wav";
constexpr const char* kRecFileName = "kvtemprecwave.wav";
constexpr int kEditNameMaxLength = 99;

// The help topics are built into the program (app/help), so no install step can lose them.
constexpr const char* kHelpTopics = ":/help";
constexpr const char* kHelpOnHelpTopic = "using-help.md";

}  // namespace

TMainForm* MainForm = nullptr;

std::string DefaultTempDir() {
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) base = "/tmp";
  return (base / ("korvalen-" + std::to_string(getuid()))).string();
}

namespace {

std::string InDir(const std::string& directory, const char* file) {
  return (std::filesystem::path(directory) / file).string();
}

}  // namespace

// The temporary files live in a directory of the user's own: others may not place or read them.
std::string TempDir = DefaultTempDir();
std::string TempPlayFile = InDir(TempDir, kPlayFileName);
std::string TempRecFile = InDir(TempDir, kRecFileName);
bool TempDirOk = true;

bool PausePressed = false;
bool PlayPending = false;
bool RecordPending = false;
TUnitWave* RecordUnitWave = nullptr;

namespace {

void SetTempFilesFolder(const std::string& folder) {
  TempPlayFile = InDir(folder, kPlayFileName);
  TempRecFile = InDir(folder, kRecFileName);
}

}  // namespace

void SetTempDir(const std::string& directory) {
  TempDir = directory;
  SetTempFilesFolder(directory);
}

bool MakePrivateDir(const std::string& directory, unsigned owner) {
  if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat status {};
  if (lstat(directory.c_str(), &status) != 0) return false;
  if (!S_ISDIR(status.st_mode) || status.st_uid != owner) return false;
  if ((status.st_mode & 077) != 0 && chmod(directory.c_str(), 0700) != 0) return false;
  return true;
}

TMainForm::TMainForm(QWidget* owner) : QMainWindow(owner) {
  // The form as its description builds it.
  setWindowTitle(kFormCaption);
  resize(755, 457);
  mdiArea_ = new QMdiArea(this);
  ScrollToWindowsBeyond(*mdiArea_);
  setCentralWidget(mdiArea_);
  BuildActions();
  BuildMenus();
  BuildToolBars();
  statusBar_ = new StatusPanels({300, 160, 75, 70, 45, 24, 65, 60}, this);
  setStatusBar(statusBar_);
  ConnectCommands();
  ConnectRegistry();
  InstallMainShell();
  ConnectPlayback();
  ConnectWaveOperations();
  ConnectPropsCommands();
  ConnectSplitMerge();
  ConnectActionState();
  ConnectClipboardAndDialogs();
  ConnectSelZoom();
  ConnectMusicCommands();

  NoNameCounter = 0;
  DebugLogInit();
  DebugLog(kTraceStart);
  DebugLog("\n");
  TempDirOk = EnsureTempDir();
  bool abort = false;
  CreateSinusTable(abort);
  LastShownKind = 3;
  setWindowTitle(windowTitle() + kVersionText);
  setWindowIcon(imageListIcons_[0]);
  QApplication::setWindowIcon(windowIcon());
  InstallScreenCursor(crDraw, LoadProgramCursor("DRAW"));
  InstallScreenCursor(crReject, LoadProgramCursor("REJECT"));
  InstallScreenCursor(crDelete, LoadProgramCursor("DELETE"));
  InstallScreenCursor(crSil, LoadProgramCursor("SIL"));
  InstallScreenCursor(crNote, LoadProgramCursor("NOTE"));
  SavedCursor = crDefault;
  Q_INIT_RESOURCE(help);
  help_ = std::make_unique<HelpWindowService>(kHelpTopics, "Korvalen Help", kHelpOnHelpTopic);
  SetHelpService(help_.get());
}

TMainForm::~TMainForm() {
  // The name box loses its focus only once its event filter is gone, so a name edit still
  // running ends here, or its I-beam would stay on the screen after the window.
  EndEditName();
  // Windows that go with the form must not arm an update of a form that is half gone.
  actionUpdateTrigger_.reset();
  tempFolder_.reset();  // this copy's temporary files go, and no other copy's
  RemoveMainShell();
  UndoUnit.Delete();
  DeleteSinusTable();
  DebugLog(kTraceEnd);
  DebugLog("\n");
  DebugLogDone();
  if (keyFilter_) qApp->removeEventFilter(keyFilter_.get());
  // A service installed over this window's help stays installed.
  HelpService* current = SetHelpService(nullptr);
  if (current != help_.get()) SetHelpService(current);
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::FormCreate() {
  EditNameActive = false;
  DialogActive = false;
  if (!keyFilter_) {
    keyFilter_ =
        std::make_unique<ApplicationEventFilter>([this](QObject* target, QEvent* msg) { return AppMessage(target, msg); });
    qApp->installEventFilter(keyFilter_.get());
  }
}

bool TMainForm::AppMessage(QObject* target, QEvent* msg) {
  // The window system's close of the main window (its close box, a task bar's Close) reaches the
  // window's handle, past a modal box when the window is closing already: while the documents
  // are being asked it is refused here, as the box refuses every other input.
  if (msg->type() == QEvent::Close && closingChildren_ && target == windowHandle()) {
    msg->ignore();
    return true;
  }
  if (MenuKey(msg)) return true;
  if (msg->type() == QEvent::MouseButtonPress) LeaveNameBoxOnClick(target);
  // A field's own keys are its own in every window, a modal dialog's as well.
  if (KeepFieldKeys(target, msg)) return true;
  if (!EditNameActive && !DialogActive) return false;
  return HoldFromShortcuts(msg);
}

bool TMainForm::EnsureTempDir() {
  if (MakePrivateDir(TempDir, getuid())) tempFolder_ = CopyTempFolder::Make(TempDir);
  if (tempFolder_) {
    SetRunningCopyTempFolder(tempFolder_.get());
    SetTempFilesFolder(tempFolder_->Path());
    return true;
  }
  MessageReporter::ShowNoTempDir(TempDir);
  return false;
}

void TMainForm::FileExitExecute() {
  // The documents are asked before the window starts closing, not inside its close: the desktop
  // lets a close through to a window that is closing already, modal box or not, and the program
  // would end with the questions still up and the documents after them unasked.
  if (CloseMDIChildren()) close();
}

Sound* TMainForm::GetClipBoardSound() const {
  KV_ASSERT(ClipBoardSound != 0);
  return ClipBoardSound.get();
}

Sound* TMainForm::SetClipBoardSound(std::unique_ptr<Sound> sound) {
  ClipBoardSound = std::move(sound);
  return ClipBoardSound.get();
}

void TMainForm::ClearClipBoardSound() { ClipBoardSound.reset(); }

void TMainForm::PushUndo(TUnitWave& unitWave) { UndoUnit.Push(&unitWave); }

void TMainForm::DeleteUndo() { UndoUnit.Delete(); }

void TMainForm::DeleteUndoOf(const TUnitWave* unitWave) { UndoUnit.DeleteUndoOf(unitWave); }

void TMainForm::HelpContentsExecute() { HelpCommand(kHelpContents, 1); }

void TMainForm::HelpTopicSearchExecute() { HelpCommand(kHelpFinder, 1); }

void TMainForm::HelpOnHelpExecute() { HelpCommand(kHelpHelpOnHelp, 1); }

void TMainForm::SaveCursor(TCursor cursor) {
  KV_ASSERT(SavedCursor == crDefault);
  SavedCursor = ScreenCursor();
  SetScreenCursor(cursor);
}

void TMainForm::RestoreCursor() {
  SetScreenCursor(SavedCursor);
  SavedCursor = crDefault;
}

void TMainForm::SetHourGlass() { SaveCursor(crHourGlass); }

void TMainForm::ClearHourGlass() { RestoreCursor(); }

void TMainForm::SetIBeam() { SaveCursor(crIBeam); }

void TMainForm::SetDrawCursor(QWidget& child) { SetWidgetCursor(child, crDraw); }

void TMainForm::ClearDrawCursor(QWidget& child) { SetWidgetCursor(child, crDefault); }

QAction* TMainForm::Action(const std::string& name) const {
  const auto found = actions_.find(name);
  KV_ASSERT(found != actions_.end());
  return found->second;
}

QMenu* TMainForm::MainMenu(const std::string& name) const {
  const auto found = menus_.find(name);
  KV_ASSERT(found != menus_.end());
  return found->second;
}

QToolBar* TMainForm::ToolBar(const std::string& name) const {
  const auto found = toolBars_.find(name);
  KV_ASSERT(found != toolBars_.end());
  return found->second;
}

bool TMainForm::event(QEvent* event) {
  // However the user comes back (a click on a title bar, the window switcher), no modeless dialog
  // is the active window any more, and the keys belong to the commands again.
  if (event->type() == QEvent::WindowActivate) DialogActive = false;
  // Panel 0 shows the long hint of whatever is under the mouse.
  if (event->type() == QEvent::StatusTip) {
    statusBar_->SetPanelText(0, static_cast<QStatusTipEvent*>(event)->tip().toStdString());
    return true;
  }
  return QMainWindow::event(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!CloseMDIChildren()) {
    event->ignore();
    return;
  }
  event->accept();
}

void TMainForm::ShowForQuestion(TMDIChildKorvalen& window) {
  // The user answers for a document they can see: the window may have been minimised and closed
  // from a task bar, the document an icon or scrolled out of a frame smaller than its layout.
  if (isMinimized()) {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
  }
  if (window.isMinimized()) window.showNormal();
  mdiArea_->setActiveSubWindow(&window);
  // The tool bars of the document's kind take their rows now rather than once the box's loop gets
  // round to it, so that the frame is measured as it will be while the question shows.
  ActionList1Update();
  if (QLayout* frame = layout()) frame->activate();
  ScrollIntoView(*mdiArea_, window);
}

bool TMainForm::CloseMDIChildren() {
  // A close that comes while the documents are being asked is refused like every other input
  // under the question's box; the walk already under way goes on.
  if (closingChildren_) return false;
  const QScopedValueRollback<bool> walking(closingChildren_, true);
  // A running recording is the user's work like any change: in its document, the document's
  // close question asks to save it.
  playback_->EndRecordingBeforeClose();
  // Each window asks its own question. Cancel in any of them stops the whole close: the windows
  // after it are neither asked nor closed, and the program keeps running.
  // QMdiArea::closeAllSubWindows would carry on past a refusal, so the walk is our own.
  QList<QPointer<QMdiSubWindow>> windows;
  for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::StackingOrder)) {
    windows.prepend(window);  // the front window is asked first
  }
  for (const QPointer<QMdiSubWindow>& window : windows) {
    if (window.isNull()) continue;
    if (!window->close()) return false;
  }
  return true;
}

void TMainForm::BuildActions() {
  int group = 0;
  for (const ActionGroup& actionGroup : MainActionGroups()) {
    for (const ActionSpec& spec : actionGroup.actions) {
      QAction* action = MakeAction(this, spec, group);
      // Added to the window itself, the shortcut lives whether or not a menu shows the action.
      addAction(action);
      actions_[spec.name] = action;
    }
    ++group;
  }
}

void TMainForm::BuildMenus() {
  for (const MenuLayout& layout : MainMenuLayouts()) {
    QMenu* menu = menuBar()->addMenu(QString::fromLatin1(layout.caption));
    menu->setObjectName(QString::fromLatin1(layout.name));
    menus_[layout.name] = menu;
    QMenu* current = menu;
    for (const char* entry : layout.entries) {
      const std::string text = entry;
      if (text == "-") {
        current->addSeparator();
      } else if (text[0] == '>') {
        current = current->addMenu(QString::fromStdString(text.substr(1)));
      } else if (text == "<") {
        current = menu;
      } else {
        current->addAction(Action(text));
      }
    }
  }
}

void TMainForm::BuildToolBars() {
  bool firstRow = true;
  for (const ToolBarLayout& layout : MainToolBarLayouts()) {
    const std::string name = layout.name;
    // Every bar on a row of its own: the rows of the hidden kind's bars fold away, so the bars
    // of the document shown start at the left edge.
    if (!firstRow) addToolBarBreak();
    firstRow = false;
    auto* bar = new WrapToolBar(QString::fromLatin1(layout.caption), this);
    addToolBar(bar);
    bar->setObjectName(QString::fromStdString(name));
    bar->setIconSize(QSize(24, 24));
    toolBars_[name] = bar;
    for (const char* button : layout.buttons) {
      if (std::string(button) == "-") {
        bar->addSeparator();
      } else {
        bar->addAction(Action(button));
      }
    }
  }
  editName_ = new QLineEdit(this);
  editName_->setObjectName("EditName");
  editName_->setMaxLength(kEditNameMaxLength);
  editName_->setFixedWidth(120);
  editName_->setToolTip("Name of window");
  editName_->setStatusTip("a unique name of the window");
  editName_->setEnabled(false);
  ToolBar("ToolBarBasic")->addWidget(editName_);
}

void TMainForm::BindCommand(const char* name, void (TMainForm::*handler)()) {
  connect(Action(name), &QAction::triggered, this, [this, handler] { (this->*handler)(); });
}

void TMainForm::ConnectCommands() {
  BindCommand("FileExit", &TMainForm::FileExitExecute);
  BindCommand("HelpContents", &TMainForm::HelpContentsExecute);
  BindCommand("HelpTopicSearch", &TMainForm::HelpTopicSearchExecute);
  BindCommand("HelpOnHelp", &TMainForm::HelpOnHelpExecute);
  ConnectFileCommands();
  connect(Action("FileClose"), &QAction::triggered, mdiArea_, &QMdiArea::closeActiveSubWindow);
  connect(Action("WindowCascade"), &QAction::triggered, this,
          [this] { CascadeWindows(*mdiArea_); });
  connect(Action("WindowTileHorizontal"), &QAction::triggered, this,
          [this] { TileWindows(*mdiArea_, true); });
  connect(Action("WindowTileVertical"), &QAction::triggered, this,
          [this] { TileWindows(*mdiArea_, false); });
  connect(Action("WindowMinimizeAll"), &QAction::triggered, this,
          [this] { MinimizeAllWindows(*mdiArea_); });
  connect(Action("WindowArrangeAll"), &QAction::triggered, this,
          [this] { ArrangeIcons(*mdiArea_); });
  ListWindowsInMenu(*MainMenu("Window"), *mdiArea_);
}

std::unique_ptr<TMainForm> StartUp() {
  SetApplicationTitle(std::string(kFormCaption) + kVersionText);
  SetHelpFile(kHelpFileName);
  InstallFontSubstitutes();
  auto form = std::make_unique<TMainForm>();
  MainForm = form.get();
  form->FormCreate();
  form->ActionList1Update();
  form->show();
  return form;
}
