// What the engine calls of the main window. The shell implements it; tests install a fake that
// records the calls. With nothing installed, lookups find nothing and playing does nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Sound;
class TUnit;
class TUnitWave;
class WaveView;

// One entry of a list of wave names: the registered name and its document.
struct TWaveNameEntry {
  std::string name;
  TUnitWave* unit;
};

class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // The open wave document registered under `name` (exact comparison, last window first), or null.
  virtual TUnitWave* MainFindUnitWaveByName(const std::string& name) = 0;
  // Plays a whole sound through the media player; returns whether the temporary file was written.
  virtual bool MainPlayWholeSound(const Sound& sound) = 0;

  // The members below have defaults that behave as a main window with nothing open: no document,
  // no undo record, no clipboard, no status bar and no modeless dialog; every name is free.

  // Drops the undo record when it belongs to `unitWave`; a wave document calls it as it dies.
  virtual void DeleteUndoOf(const TUnitWave* unitWave);
  // Whether the undo record keeps `sound`: a document that replaces its sound deletes the old one
  // only when the record does not.
  virtual bool UndoHolds(const Sound* sound) const;
  // The Select-and-Zoom dialog shows the selection of this window again.
  virtual void NotifySelectionChanged(WaveView* view);
  // The sound clipboard (null when empty); setting deletes the previous clipboard sound.
  virtual Sound* GetClipBoardSound();
  virtual void SetClipBoardSound(std::unique_ptr<Sound> sound);
  // A wave document is going away: a recording meant for it must be dropped first.
  virtual void UnitWaveClosing(const TUnitWave* unitWave);
  // Panels of the main window's status bar, numbered from 0.
  virtual void SetStatusText(int32_t panel, const std::string& text);

  // Appends the named wave documents, last window first. Filter 0 takes all, 1 all but the active
  // one, 2 the mono ones other than the active one; any other filter takes none. Answers how many
  // were added.
  virtual int32_t MainFillWaveNames(std::vector<TWaveNameEntry>& list, uint8_t filter);
  // The document of the active window, or null.
  virtual TUnit* MainActiveUnit();
  // Whether `unit` may carry `name`; a refusal has been shown to the user.
  virtual bool MainCheckNameFree(const std::string& name, const TUnit* unit);
  // A modeless dialog (true) or a document window (false) became the active window.
  virtual void MainSetDialogActive(bool active);
  // A modeless dialog closed: Select and Zoom, Edit Music, Music Parts.
  virtual void MainDlgSelZoomClosed();
  virtual void MainDlgMusicClosed();
  virtual void MainDlgMusTreeClosed();
};

// Installs the shell and returns the previous one (null for none).
ShellServices* SetShellServices(ShellServices* shell);
ShellServices* Shell();  // never null
