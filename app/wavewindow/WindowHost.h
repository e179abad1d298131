// What the document windows ask of the main window that holds them. The shell implements it and
// tells the windows how to find it, as the engine reaches the shell through its own seam; while
// there is no main window they find none, and tell no one.
#pragma once

#include <cstddef>
#include <string>

class StatusPanels;
class TMDIChildKorvalen;
class TMDIChildWave;
class TUnit;
class TUnitWave;

class WindowHost {
 public:
  virtual ~WindowHost() = default;
  // The name box: an edit in progress ends, then the box shows the active document's name.
  virtual void EndEditName() = 0;
  virtual void SetEditName(const std::string& name) = 0;
  // The open document windows, a closing one still among them.
  virtual size_t DocumentWindowCount() const = 0;
  virtual StatusPanels* StatusBar() const = 0;
  virtual void NotifyZoomChanged(TMDIChildWave* window) = 0;
  // `window` (null for none) is now the active wave window.
  virtual void NotifyActiveWaveChild(TMDIChildWave* window) = 0;
  // Saves as the File menu does; answers whether the wave was saved.
  virtual bool SaveWave(TUnitWave* unitWave) = 0;
  // A recording running into `unit` ends and is kept in it; one still waiting for Pause is given
  // up. A recording into another document, or none, goes on untouched.
  virtual void EndRecordingInto(const TUnit* unit) = 0;
  // `window` is about to ask about its document: it comes before the user, in sight and active.
  virtual void ShowForQuestion(TMDIChildKorvalen& window) = 0;
};

// The shell installs how the windows find the main window (null: they never find one). The
// finder is asked at every call, so a window never holds on to a main window that has gone.
using WindowHostFinder = WindowHost* (*)();
void SetWindowHostFinder(WindowHostFinder finder);
// The main window, or null while there is none.
WindowHost* FindWindowHost();
