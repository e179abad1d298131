// The program's one main window: an MDI frame with the menus, tool bars, the name box and the
// status bar, the one-slot cursor store and the help commands.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gui/actions.h"
#include "gui/cursors.h"

class QAction;
class QLineEdit;
class QMdiArea;
class QMenu;
class QToolBar;
class StatusPanels;
class TUnitWave;
class ApplicationEventFilter;
class MediaPlayer;
class PlaybackControl;
class PlayerDocuments;
class Sound;

// The program's own screen cursors.
inline constexpr TCursor crDraw = 1;
inline constexpr TCursor crDelete = 2;
inline constexpr TCursor crSil = 3;
inline constexpr TCursor crReject = 4;
inline constexpr TCursor crNote = 5;

inline constexpr const char* kVersionText = "7.1";
inline constexpr const char* kFormCaption = "Korvalen ";
inline constexpr const char* kHelpFileName = "/usr/share/korvalen/KORVALHE.HLP";
inline constexpr const char* kTraceStart = "---- START --------------------------------------";
inline constexpr const char* kTraceEnd = "---- END ----------------------------------------";

class TMainForm : public QMainWindow {
 public:
  explicit TMainForm(QWidget* owner = nullptr);
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  void FormCreate();
  // The application-wide message filter; answers whether the event was handled.
  bool AppMessage(QEvent* msg);
  void FileExitExecute();
  void HelpContentsExecute();
  void HelpTopicSearchExecute();
  void HelpOnHelpExecute();

  // One-slot cursor store: only one cursor can be saved at a time.
  void SaveCursor(TCursor cursor);
  void RestoreCursor();
  void SetHourGlass();
  void ClearHourGlass();
  void SetIBeam();
  void SetDrawCursor(QWidget& child);
  void ClearDrawCursor(QWidget& child);

  // The action update: enables, shows and lays out by the active document, refreshes the status.
  void ActionList1Update();
  // The layout with no document: only File, Help and the Basic tool bar.
  void UpdateNoDocumentActions();
  void ClearStatus();

  // The action of that name; asserts that it exists.
  QAction* Action(const std::string& name) const;
  QMenu* MainMenu(const std::string& name) const;
  QToolBar* ToolBar(const std::string& name) const;
  StatusPanels* StatusBar() const { return statusBar_; }
  QLineEdit* EditName() const { return editName_; }
  QMdiArea* MdiArea() const { return mdiArea_; }
  // 32 x 32 images; image 0 is the application icon.
  const std::vector<QIcon>& ImageListIcons() const { return imageListIcons_; }

  // Playback and recording through the media player `AudioPlayer`.
  bool PlayWave(const Sound& sound, int32_t first, int32_t end);
  bool PlayWholeSound(const Sound& sound);
  PlaybackControl& Playback() const { return *playback_; }
  // Another player (tests use a fake), or other documents to play from; both are kept until
  // replaced, the documents are borrowed.
  void SetAudioPlayer(std::unique_ptr<MediaPlayer> player);
  void SetPlayerDocuments(PlayerDocuments& documents);

  TCursor SavedCursor = crDefault;
  int32_t NoNameCounter = 0;
  uint8_t LastShownKind = 3;
  bool EditNameActive = false;
  bool DialogActive = false;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildToolBars();
  void ConnectCommands();
  bool EnsureTempDir();
  void ConnectPlayback();

  QMdiArea* mdiArea_ = nullptr;
  StatusPanels* statusBar_ = nullptr;
  QLineEdit* editName_ = nullptr;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, QMenu*> menus_;
  std::map<std::string, QToolBar*> toolBars_;
  std::vector<QIcon> imageListIcons_{ApplicationIcon()};
  std::unique_ptr<ApplicationEventFilter> keyFilter_;
  std::unique_ptr<MediaPlayer> AudioPlayer;
  std::unique_ptr<PlayerDocuments> noDocuments_;
  PlayerDocuments* playerDocuments_ = nullptr;
  std::unique_ptr<PlaybackControl> playback_;  // drives AudioPlayer: declared after it
};

// The one main window, set by the entry point.
extern TMainForm* MainForm;

// The temporary directory and its two files. The directory is the user's own, under the system's
// temporary folder.
extern std::string TempDir;
extern std::string TempPlayFile;
extern std::string TempRecFile;
extern bool TempDirOk;

// Player state.
extern bool PausePressed;
extern bool PlayPending;
extern bool RecordPending;
extern bool IgnoreNextNotify;
extern TUnitWave* RecordUnitWave;  // borrowed: the document receiving the current recording
void SetTempDir(const std::string& directory);
std::string DefaultTempDir();
// Makes `directory` with mode 0700 unless it exists; answers whether it is usable: a real
// directory (not a link) owned by `owner`.
bool MakePrivateDir(const std::string& directory, unsigned owner);

// The entry point's steps up to the message loop: application title, help file, message boxes,
// fonts, then the main window (also set as MainForm), shown. The caller owns the window.
std::unique_ptr<TMainForm> StartUp();
