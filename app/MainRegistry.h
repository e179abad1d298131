// The main window's access functions: how the engine, the dialogs and the document windows reach
// the one main window. Each reads `MainForm` anew and does nothing (or finds nothing) without one.
#pragma once

#include <string>

class TMDIChildKorvalen;
class TUnit;

TUnit* MainActiveUnit();
TMDIChildKorvalen* MainActiveWaveChild();
TMDIChildKorvalen* MainActiveMuzChild();
bool MainCheckNameFree(std::string name, const TUnit* unit);
void MainSetDialogActive(bool active);
