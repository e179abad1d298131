// The main window's access functions: how the engine, the dialogs and the document windows reach
// the one main window. Each reads `MainForm` anew and does nothing (or finds nothing) without one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TMDIChildKorvalen;
class TUnit;
class TUnitWave;
struct TWaveNameEntry;

TUnit* MainActiveUnit();
TMDIChildKorvalen* MainActiveWaveChild();
TMDIChildKorvalen* MainActiveMuzChild();
bool MainCheckNameFree(std::string name, const TUnit* unit);
void MainSetDialogActive(bool active);
int32_t MainFillWaveNames(std::vector<TWaveNameEntry>& list, uint8_t filter);
TUnitWave* MainFindUnitWaveByName(std::string name);

// The engine reaches the main window through its shell seam; the main window installs the one
// that forwards to `MainForm` while it lives.
void InstallMainShell();
void RemoveMainShell();
