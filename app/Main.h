// The program's one main window: an MDI frame with the menus, tool bars, the name box and the
// status bar, the one-slot cursor store and the help commands.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs/SplitMergeProps.h"
#include "app/ModelessDialog.h"
#include "app/dialogs/ViewProps.h"
#include "gui/actions.h"
#include "gui/cursors.h"
#include "wave/shell.h"
#include "wave/sound.h"
#include "wave/undo.h"
#include "wave/unitwave.h"

class QAction;
class QKeySequence;
class QFileDialog;
class QLineEdit;
class QMdiArea;
class QMenu;
class QToolBar;
class StatusPanels;
class TMDIChildKorvalen;
class TMDIChildWave;
class TUnit;
class TUnitWave;
class TUnitMuz;
class ApplicationEventFilter;
class CopyTempFolder;
class HelpWindowService;
class MediaPlayer;
class PlaybackControl;
class PlayerDocuments;
class Sound;

inline constexpr const char* kVersionText = "7.1";
inline constexpr const char* kFormCaption = "Korvalen ";
inline constexpr const char* kHelpFileName = "/usr/share/korvalen/KORVALHE.HLP";
inline constexpr const char* kTraceStart = "---- START --------------------------------------";
inline constexpr const char* kTraceEnd = "---- END ----------------------------------------";

// What the file system says of a file, enough to tell that it changed: another program, or a save
// from another window on the same file, writes it anew (its time, often its size) or puts a new
// file in its place (another identity).
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  // Kept apart: a time far enough from 1970 overflows a count of nanoseconds.
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};
// The stamp of the file `path` names, links followed; none when there is no such file
// (MainFile.cpp).
std::optional<FileStamp> StampOfFile(const std::string& path);

class TMainForm : public QMainWindow {
 public:
  explicit TMainForm(QWidget* owner = nullptr);
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  void FormCreate();
  // The application-wide message filter; answers whether the event, sent to `target`, was handled.
  bool AppMessage(QObject* target, QEvent* msg);
  // Asks every document first, then closes the main window.
  void FileExitExecute();
  // Brings a document window before the user for its close question: the main window restored
  // from minimised, the document window restored, active with the tool bars of its kind, and
  // scrolled into the frame.
  void ShowForQuestion(TMDIChildKorvalen& window);
  void HelpContentsExecute();
  void HelpTopicSearchExecute();
  void HelpOnHelpExecute();
  // The help window that answers the help commands while this window lives.
  HelpWindowService& Help() { return *help_; }

  // One-slot cursor store: only one cursor can be saved at a time.
  void SaveCursor(TCursor cursor);
  void RestoreCursor();
  void SetHourGlass();
  void ClearHourGlass();
  void SetIBeam();
  void SetDrawCursor(QWidget& child);
  void ClearDrawCursor(QWidget& child);

  // The action update: enables, checks, shows and lays out by the active document, refreshes the
  // status. It runs once when the event loop goes idle after user input or a change of a document
  // window; RequestActionUpdate asks for that run.
  void ActionList1Update();
  void RequestActionUpdate();
  void UpdateActionsByKind(TMDIChildKorvalen* child);
  // The layout with no document: only File, Help and the Basic tool bar.
  void UpdateNoDocumentActions();
  void UpdateWaveActions(TMDIChildKorvalen& window);
  void UpdateMuzActions(TMDIChildKorvalen& window);
  void ClearStatus();

  // Undo, its deletion and the clipboard's clearing.
  void UndoExecute();
  void DeleteUndoExecute();
  void EditClearClipboardExecute();
  // The three modeless dialogs: shown or hidden by their commands, their check marks follow them.
  void SelectWaveExecute();
  void MusicDialogExecute();
  void MusicPartsExecute();
  void DlgSelZoomClosed();
  void DlgMusicClosed();
  void DlgMusTreeClosed();
  void NotifySelectionChanged(TMDIChildWave* window);
  void NotifyActiveMuzChild(TMDIChildMuz* window);
  void NotifyStaveChanged(TNoteStave* stave);
  // Draw Wave Linear (0) and Smooth (1): start, switch the curve kind or stop drawing.
  void DrawWaveLinExecute();
  void DrawWave3GExecute();
  void ToggleUserDrawing(uint8_t drawType, QAction* action);

  // The action of that name; asserts that it exists.
  QAction* Action(const std::string& name) const;
  QMenu* MainMenu(const std::string& name) const;
  QToolBar* ToolBar(const std::string& name) const;
  StatusPanels* StatusBar() const { return statusBar_; }
  QLineEdit* EditName() const { return editName_; }
  QMdiArea* MdiArea() const { return mdiArea_; }
  // 32 x 32 images; image 0 is the application icon.
  const std::vector<QIcon>& ImageListIcons() const { return imageListIcons_; }

  // The document registry: the MDI children are the open documents, and every search runs from
  // the last child to the first.
  std::vector<TMDIChildKorvalen*> MDIChildren() const;
  TMDIChildKorvalen* GetActiveMDIChild() const;
  TMDIChildKorvalen* ActiveWaveChild() const;
  TMDIChildKorvalen* ActiveMuzChild() const;
  TUnit* ActiveUnit() const;
  TUnit* FindUnitByName(const std::string& name) const;
  TUnitWave* ActiveUnitWave() const;
  TUnitWave* FindUnitWaveByName(const std::string& name) const;
  // Appends the named wave documents, last window first. Filter 0 takes all, 1 all but the active
  // one, 2 the mono ones other than the active one; any other filter takes none.
  int32_t FillWaveNames(std::vector<TWaveNameEntry>& list, uint8_t filter) const;
  // Hands the last-used parameter records to a new document.
  void SetUnitProps(TUnitWave& unit) const;
  // Shows the "already exists" message when the name belongs to another document.
  bool CheckNameFree(const std::string& name, const TUnit* unit) const;
  // "NONAME" followed by the next value of the counter that both kinds of document share.
  std::string NextNoName();
  // Puts a document window into the frame under its caption, shown and active.
  TMDIChildKorvalen* AddMDIChild(std::unique_ptr<TMDIChildKorvalen> child,
                                 const std::string& caption);
  // A wave window for the document with its own copies of the two display records, put into the
  // frame under the caption; the document is told its window.
  TMDIChildWave* CreateMDIChildWave(const std::string& caption,
                                    std::unique_ptr<TUnitWave> unitWave,
                                    const TWaveViewProps& waveProps,
                                    const TVoldViewProps& voldProps);
  // What the wave windows tell the main window: the zoom window changed; a wave window (or none)
  // became the active one.
  void NotifyZoomChanged(TMDIChildWave* window);
  void NotifyActiveWaveChild(TMDIChildWave* window);
  // The name box.
  void SetEditName(const std::string& name);
  void EditNameClick();
  void RenameActiveUnit();
  void EndEditName();
  // Escape in the name box: the document's name comes back and the keys go to its window.
  void CancelEditName();
  // Hands the focus to the active document window, or takes it from the name box without one.
  void FocusActiveChild();

  // The document commands of the File menu. Open wave opens each chosen file in turn; a file the
  // reader refuses is reported, and the next one is tried.
  void FileNewWaveExecute();
  void FileOpenWaveExecute();
  bool OpenWaveFile(const std::string& fileName);
  void DuplicateWaveExecute();
  void FileSaveExecute();
  void FileSaveAsExecute();
  // Both answer whether the document was written; a failed or cancelled save changes nothing.
  // A document whose file name the user never chose is saved through the Save dialog.
  bool SaveWave(TUnitWave* unitWave);
  bool SaveWaveAs(TUnitWave* unitWave);
  // The window that shows `unit`, or null.
  TMDIChildKorvalen* ChildOfUnit(const TUnit* unit) const;

  SoundPtr ClipBoardSound;  // the program's own sound clipboard
  // The clipboard: reading it while empty is a programming error; setting deletes the previous
  // sound and takes the new one.
  Sound* GetClipBoardSound() const;
  Sound* SetClipBoardSound(std::unique_ptr<Sound> sound);
  void ClearClipBoardSound();
  // The one undo record: a new one for the document replaces any other.
  void PushUndo(TUnitWave& unitWave);
  void DeleteUndo();
  void DeleteUndoOf(const TUnitWave* unitWave);
  // Playback and recording through the media player `AudioPlayer`.
  bool PlayWave(const Sound& sound, int32_t first, int32_t end);
  bool PlayWholeSound(const Sound& sound);
  PlaybackControl& Playback() const { return *playback_; }
  // Another player (tests use a fake), or other documents to play from; both are kept until
  // replaced, the documents are borrowed.
  void SetAudioPlayer(std::unique_ptr<MediaPlayer> player);
  void SetPlayerDocuments(PlayerDocuments& documents);

  // --- Music documents in the File menu (MainFileMuz.cpp) ---------------------------------
  // Music windows come from the maker the entry point installs (app/MuzWindows.h). A file the
  // reader refuses is reported and leaves no window; Save and Save As answer the write's real
  // result, and a failed write keeps the name, caption and state.
  void ConnectMuzFileCommands();
  void FileNewMuzExecute();
  void FileOpenMuzExecute();
  bool OpenMuzFile(const std::string& fileName);
  void DuplicateMuzExecute();
  void MusicGenerateExecute();
  bool SaveMuz(TUnitMuz* unitMuz);
  bool SaveMuzAs(TUnitMuz* unitMuz);
  // Save As of either kind through its dialog.
  bool SaveUnitAs(TUnit& unit, QFileDialog& dialog);
  // Save of either kind under the document's own file name. When the file has changed on disk
  // since the document read or wrote it (another window's save of it, another program), the user
  // is asked first, and No writes nothing.
  bool SaveUnitInPlace(TUnit& unit);
  // What the file system says of the document's file as the document reads or has written it
  // (`saved`); none forgets what was kept, and a save of the document then asks nothing.
  void KeepFileStamp(const TUnit& unit, const std::optional<FileStamp>& stamp, bool saved);
  // Null when no maker is installed.
  TMDIChildKorvalen* CreateMDIChildMuz(const std::string& caption, std::unique_ptr<TUnitMuz> unitMuz);

  // --- Format, registered name and About (MainProps.cpp) ---------------------------------
  // File Properties converts the active wave to the format chosen in its dialog (undoable), and
  // marks it modified even when the format stays; Register names the active document.
  void FilePropertiesExecute();
  void RegisterExecute();
  void HelpAboutExecute();

  TCursor SavedCursor = crDefault;
  int32_t NoNameCounter = 0;
  uint8_t LastShownKind = 3;
  UndoSlot UndoUnit;
  bool EditNameActive = false;
  bool DialogActive = false;
  // Built on first use through their factories, then kept until the main window goes.
  ModelessDialog<SelZoomNotices> DlgSelZoom;
  ModelessDialog<MusicNotices> DlgMusic;
  ModelessDialog<MusTreeNotices> DlgMusTree;
  // Display records that every new wave window copies; "Use As Default" replaces them.
  TWaveViewProps WaveViewDefaults;
  TVoldViewProps VoldViewDefaults;
  // The I-beam of a name edit holds the cursor store, to be given back when the edit ends.
  bool EditNameCursorSaved = false;
  // The last-used parameter records of the wave operations, copied into every new wave document.
  TWaveOperationProps LastUsedProps;

  // --- Wave operations: generators, tempo and pitch, edits, view switches and zoom -----------
  // Each works on the active wave document (or window) and does nothing without one.
  void ConnectWaveOperations();
  void MakeSilenceExecute();
  void MakeLineExecute();
  void MakeBlockExecute();
  void MakeTriangleExecute();
  void MakeSinusExecute();
  void MakeNoiseExecute();
  // Effects; Length and RollOut do nothing on a part (selection or whole wave) without duration.
  void VolumeExecute();
  void UpExecute();
  void DistortExecute();
  void BlockExecute();
  void LengthExecute();
  void RotateExecute();
  void RollOutExecute();
  void RollInExecute();
  void BalanceExecute();
  void MixLeftRightExecute();
  void EditMixExecute();
  void TempoPitchExecute();
  void MaxVolumeExecute();
  void ReverseExecute();
  void EditDeleteExecute();
  void EditTrimExecute();
  void EditCutExecute();
  void EditCopyExecute();
  void EditPasteExecute();
  void EditSwapExecute();
  void EditExtractExecute();
  void ViewWaveExecute();
  void ViewVoldExecute();
  void ZoomInExecute();
  void NoZoomExecute();
  // --- Split and merge (MainSplitMerge.cpp) ---------------------------------------------------
  // The Window menu's commands that turn wave windows into new untitled ones laid over the place
  // of their sources, and close the sources without the save question. A failed allocation on
  // the way leaves every source as it was and makes no document.
  void ConnectSplitMerge();
  void SplitVExecute();
  void SplitHExecute();
  void MergeHExecute();
  void MergeVExecute();
  // Only the split's choice is kept between commands; the merges always start from these.
  TSplitHorProps SplitHorProps;
  TMergeHorProps MergeHorProps;
  TMergeVertProps MergeVertProps;
  // --- Echo, filter and multi-frequency commands --------------------------------------------
  void MakeMFreqExecute();
  void FilterHighExecute();
  void FilterLowExecute();
  void FilterResExecute();
  void FilterNotchExecute();
  void FilterBlockExecute();
  void PerEchoExecute();
  void RndEchoExecute();

  // --- Music commands and the keys shared with waves (MainMusic.cpp) --------------------------
  // Each music command works on the active music document and does nothing without one or while
  // the document refuses it; a shared key serves the kind of the active document only.
  void ConnectMusicCommands();
  class TUnitMuz* ActiveUnitMuz() const;
  void RunMusicCommand(const std::string& action);
  void RunSharedKey(const std::string& action);
  // The pieces both kinds of document window lay out alike.
  void ShowToolBarsOf(uint8_t kind);
  // The View menu's entries for that kind of document.
  void LayViewMenu(uint8_t kind);
  void EnableNameBox();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildToolBars();
  void ConnectCommands();
  void ConnectRegistry();
  void ConnectFileCommands();
  void ConnectActionState();
  void ConnectClipboardAndDialogs();
  // The Select and Zoom dialog's factory.
  void ConnectSelZoom();
  // Runs the handler when the action of that name is triggered.
  void BindCommand(const char* name, void (TMainForm::*handler)());
  // Makes the user's private folder and this copy's own in it, where the play and record files go.
  bool EnsureTempDir();
  void ConnectPlayback();
  void ConnectPropsCommands();
  // F10, a lone Alt, Ctrl+F4 and Ctrl+F6; the menu letters that commands share.
  void OpenMenuBar();
  bool OwnsMenu(const QWidget* popup) const;
  // What an Alt+letter that is also a menu's letter does while the present document is active.
  std::function<void()> AltLetterOwner(const QKeySequence& key);
  bool MenuKey(QEvent* msg);
  // A click in the main window outside the name box ends typing in it, also on a part that takes
  // no focus (the status bar, a tool button).
  void LeaveNameBoxOnClick(QObject* target);
  // Closes the document windows front to back, each after its own question; answers false at the
  // first one that stays open, or when a walk is already under way.
  bool CloseMDIChildren();

  QMdiArea* mdiArea_ = nullptr;
  StatusPanels* statusBar_ = nullptr;
  QLineEdit* editName_ = nullptr;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, QMenu*> menus_;
  std::map<std::string, QToolBar*> toolBars_;
  std::vector<QIcon> imageListIcons_{ApplicationIcon()};
  std::unique_ptr<ApplicationEventFilter> keyFilter_;
  // Goes before the window's widgets do: the box loses the focus as they are destroyed.
  std::unique_ptr<QObject> nameBoxEvents_;
  std::unique_ptr<HelpWindowService> help_;
  std::unique_ptr<CopyTempFolder> tempFolder_;
  std::unique_ptr<MediaPlayer> AudioPlayer;
  std::unique_ptr<PlayerDocuments> registryDocuments_;
  PlayerDocuments* playerDocuments_ = nullptr;
  std::unique_ptr<PlaybackControl> playback_;  // drives AudioPlayer: declared after it
  // The one pending action update, and what arms it.
  QTimer actionUpdateTimer_;
  std::unique_ptr<QObject> actionUpdateTrigger_;
  bool altAlone_ = false;  // Alt is down and nothing else happened since
  bool closingChildren_ = false;  // CloseMDIChildren is asking the documents
  QPointer<QWidget> statusWindow_;  // the document window the status panels were last written for
  // Of each document opened or saved under a name of the user's, by KeepFileStamp.
  struct KeptStamp {
    FileStamp stamp;
    bool saved;  // the window has written the file, not only read it
  };
  std::map<const TUnit*, KeptStamp> fileStamps_;
};

// The one main window, set by the entry point.
extern TMainForm* MainForm;

// The temporary directory and the two files. The directory is the user's own, under the system's
// temporary folder; the files lie in this copy's folder inside it once the main window has made
// one, and in the directory itself before.
extern std::string TempDir;
extern std::string TempPlayFile;
extern std::string TempRecFile;
extern bool TempDirOk;

// Player state.
extern bool PausePressed;
extern bool PlayPending;
extern bool RecordPending;
extern TUnitWave* RecordUnitWave;  // borrowed: the document receiving the current recording
void SetTempDir(const std::string& directory);
std::string DefaultTempDir();
// Makes `directory` with mode 0700 unless it exists; answers whether it is usable: a real
// directory (not a link) owned by `owner`.
bool MakePrivateDir(const std::string& directory, unsigned owner);

// The entry point's steps up to the message loop: application title, help file, message boxes,
// fonts, then the main window (also set as MainForm), shown. The caller owns the window.
std::unique_ptr<TMainForm> StartUp();
