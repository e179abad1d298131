#include "wave/shell.h"

namespace {

class NoShell : public ShellServices {
 public:
  TUnitWave* MainFindUnitWaveByName(const std::string&) override { return nullptr; }
  bool MainPlayWholeSound(const Sound&) override { return false; }
};

NoShell noShell;
ShellServices* current = &noShell;

}  // namespace

ShellServices* SetShellServices(ShellServices* shell) {
  ShellServices* previous = current == &noShell ? nullptr : current;
  current = shell ? shell : &noShell;
  return previous;
}

ShellServices* Shell() { return current; }
