// The main window's access functions: how the engine, the dialogs and the document windows reach
// the one main window. Each reads `MainForm` anew and does nothing (or finds nothing) without one.
#pragma once

// Those that the engine may call too go through its shell seam (wave/shell.h), so that there is
// one road to the main window; the ones with desktop types are the main window's own.
#include <QIcon>
#include <cstdint>
#include <string>
#include <vector>

#include "wave/shell.h"

class TMDIChildKorvalen;
class TUnit;
class TUnitWave;

TUnit* MainActiveUnit();
TMDIChildKorvalen* MainActiveWaveChild();
TMDIChildKorvalen* MainActiveMuzChild();
bool MainCheckNameFree(std::string name, const TUnit* unit);
void MainSetDialogActive(bool active);
int32_t MainFillWaveNames(std::vector<TWaveNameEntry>& list, uint8_t filter);
TUnitWave* MainFindUnitWaveByName(std::string name);
void MainDlgSelZoomClosed();
void MainDlgMusicClosed();
void MainDlgMusTreeClosed();

// The main window's outer frame in screen coordinates; right and bottom lie just past it.
struct TMainRect {
  int32_t Left;
  int32_t Top;
  int32_t Right;
  int32_t Bottom;
};
// All zero without a main window.
TMainRect MainFormRect();
// The 32 x 32 images; image 0 is the application icon. Empty without a main window.
std::vector<QIcon> MainImageListIcons();

// The engine reaches the main window through its shell seam; the main window installs the one
// that forwards to `MainForm` while it lives.
void InstallMainShell();
void RemoveMainShell();
