// What the engine calls of the main window. The shell implements it; tests install a fake that
// records the calls. With nothing installed, lookups find nothing and playing does nothing.
#pragma once

#include <string>

class Sound;
class TUnitWave;

class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // The open wave document registered under `name` (exact comparison, last window first), or null.
  virtual TUnitWave* MainFindUnitWaveByName(const std::string& name) = 0;
  // Plays a whole sound through the media player; returns whether the temporary file was written.
  virtual bool MainPlayWholeSound(const Sound& sound) = 0;
};

// Installs the shell and returns the previous one (null for none).
ShellServices* SetShellServices(ShellServices* shell);
ShellServices* Shell();  // never null
