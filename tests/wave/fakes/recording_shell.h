// A main window that records what the engine asks of it; installed for the lifetime of the object.
#pragma once

#include <string>
#include <vector>

#include "wave/shell.h"

class RecordingShell : public ShellServices {
 public:
  RecordingShell() { previous_ = SetShellServices(this); }
  ~RecordingShell() override { SetShellServices(previous_); }
  RecordingShell(const RecordingShell&) = delete;
  RecordingShell& operator=(const RecordingShell&) = delete;

  TUnitWave* MainFindUnitWaveByName(const std::string& name) override {
    lookedUp.push_back(name);
    return nullptr;
  }
  bool MainPlayWholeSound(const Sound& sound) override {
    played.push_back(&sound);
    return true;
  }

  std::vector<std::string> lookedUp;
  std::vector<const Sound*> played;

 private:
  ShellServices* previous_ = nullptr;
};
