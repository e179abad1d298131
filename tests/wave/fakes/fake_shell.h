// A main window that knows wave documents only by name and records what the engine asks of it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "wave/shell.h"

class FakeShell : public ShellServices {
 public:
  FakeShell() { previous_ = SetShellServices(this); }
  ~FakeShell() override { SetShellServices(previous_); }
  FakeShell(const FakeShell&) = delete;
  FakeShell& operator=(const FakeShell&) = delete;

  TUnitWave* MainFindUnitWaveByName(const std::string& name) override {
    askedNames.push_back(name);
    const auto found = documents.find(name);
    return found == documents.end() ? nullptr : found->second;
  }
  bool MainPlayWholeSound(const Sound&) override { return false; }

  std::map<std::string, TUnitWave*> documents;
  std::vector<std::string> askedNames;

 private:
  ShellServices* previous_ = nullptr;
};
