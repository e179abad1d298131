// The hourglass for the length of a command, through the main window's one-slot cursor store.
#pragma once

#include "app/Main.h"
#include "gui/cursors.h"

// A name edit in progress ends first, since its I-beam holds the store; with the store held
// otherwise the cursor stays as it is. Leaving early (a refused operation, an exception) gives the
// cursor back all the same.
class CommandHourGlass {
 public:
  explicit CommandHourGlass(TMainForm& form) : form_(form) {
    form_.EndEditName();
    held_ = form_.SavedCursor == crDefault;
    if (held_) form_.SetHourGlass();
  }
  ~CommandHourGlass() { Release(); }
  // Gives the cursor back before a message or a new window. An activation or a message meanwhile
  // may have given the store back already.
  void Release() {
    if (held_ && ScreenCursor() == crHourGlass) form_.ClearHourGlass();
    held_ = false;
  }
  CommandHourGlass(const CommandHourGlass&) = delete;
  CommandHourGlass& operator=(const CommandHourGlass&) = delete;

 private:
  TMainForm& form_;
  bool held_ = false;
};
