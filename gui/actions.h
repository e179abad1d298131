// Commands as actions: caption with its "&" letter, shortcut, hint "short|long" and image, made
// from rows of a table. Shortcuts are application-wide, so they keep working while the action's
// menu or tool bar is hidden and while a modeless dialog is the active window.
#pragma once

#include <cstdint>

class QAction;
class QIcon;
class QObject;

enum ActionFlags : uint8_t {
  kActionEnabled = 1,    // its command is built; otherwise the action exists disabled
  kActionHidden = 2,     // never shown in a menu
  kActionCheckable = 4,
  kActionChecked = 8,
};

struct ActionSpec {
  const char* name;      // the action's name, also its object name
  const char* caption;   // with the "&" of its menu letter
  const char* shortcut;  // portable key text ("Shift+Ctrl+N"), empty for none
  const char* hint;      // "short|long": the tool tip and the status-bar text; either may be empty
  const char* image;     // a picture name known to ActionImage, up to three letters, or empty
  uint8_t flags;
};

// `group` chooses the colour of a lettered image.
QAction* MakeAction(QObject* owner, const ActionSpec& spec, int group);

// A 24 x 24 tool-button image: the pictures "new", "open", "save", "saveas", "props", "dup",
// "undo", "play", "stop", "pause", "record" and "wave", or the given letters on a tile whose colour
// follows `group`.
QIcon ActionImage(const char* image, int group);
// The program's 32 x 32 icon.
QIcon ApplicationIcon();
