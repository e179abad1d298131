// The screen cursor: one cursor for the whole application, chosen by id. The built-in ids carry
// the classic values; the program installs its own cursors under small positive ids.
#pragma once

#include <cstdint>

class QCursor;
class QWidget;

using TCursor = int16_t;

inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crHourGlass = -11;

// The program's own screen cursors; the main window installs them, the document windows show them.
inline constexpr TCursor crDraw = 1;
inline constexpr TCursor crDelete = 2;
inline constexpr TCursor crSil = 3;
inline constexpr TCursor crReject = 4;
inline constexpr TCursor crNote = 5;

TCursor ScreenCursor();
// An id that has no cursor shows the arrow.
void SetScreenCursor(TCursor cursor);
void InstallScreenCursor(TCursor id, const QCursor& cursor);
// The cursor of an id (the arrow for an unknown one).
QCursor CursorOf(TCursor id);
// A window's own cursor, shown while the mouse is over it and no screen cursor is set.
void SetWidgetCursor(QWidget& widget, TCursor id);

// The program's own cursor images, drawn here: "DRAW", "DELETE", "SIL", "REJECT" and "NOTE".
// An unknown name gives the arrow.
QCursor LoadProgramCursor(const char* name);
