#include "wave/shell.h"

#include "wave/sound.h"

namespace {

class NoShell : public ShellServices {
 public:
  TUnitWave* MainFindUnitWaveByName(const std::string&) override { return nullptr; }
  bool MainPlayWholeSound(const Sound&) override { return false; }
};

NoShell noShell;
ShellServices* current = &noShell;

}  // namespace

void ShellServices::DeleteUndoOf(const TUnitWave*) {}
bool ShellServices::UndoHolds(const Sound*) const { return false; }
void ShellServices::NotifySelectionChanged(WaveView*) {}
Sound* ShellServices::GetClipBoardSound() { return nullptr; }
void ShellServices::SetClipBoardSound(std::unique_ptr<Sound>) {}
void ShellServices::UnitWaveClosing(const TUnitWave*) {}
void ShellServices::SetStatusText(int32_t, const std::string&) {}
int32_t ShellServices::MainFillWaveNames(std::vector<TWaveNameEntry>&, uint8_t) { return 0; }
TUnit* ShellServices::MainActiveUnit() { return nullptr; }
bool ShellServices::MainCheckNameFree(const std::string&, const TUnit*) { return true; }
void ShellServices::MainSetDialogActive(bool) {}
void ShellServices::MainDlgSelZoomClosed() {}
void ShellServices::MainDlgMusicClosed() {}
void ShellServices::MainDlgMusTreeClosed() {}

ShellServices* SetShellServices(ShellServices* shell) {
  ShellServices* previous = current == &noShell ? nullptr : current;
  current = shell ? shell : &noShell;
  return previous;
}

ShellServices* Shell() { return current; }
