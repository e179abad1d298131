// The hourglass for the length of a command, through the main window's one-slot cursor store.
#pragma once

#include "app/Main.h"
#include "foundation/messages.h"
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

// A long command whose engine work may report in a box (rendering music, writing the play file
// of a long sound): the hourglass shows meanwhile, and a message on the way shows with the
// normal cursor.
class HourGlassTillMessage : public MessageSink {
 public:
  explicit HourGlassTillMessage(TMainForm& form) : busy_(form), previous_(SetMessageSink(this)) {}
  ~HourGlassTillMessage() override { SetMessageSink(previous_); }
  HourGlassTillMessage(const HourGlassTillMessage&) = delete;
  HourGlassTillMessage& operator=(const HourGlassTillMessage&) = delete;

  int ShowMessage(const std::string& text, const std::string& caption, int flags) override {
    busy_.Release();
    SetMessageSink(previous_);
    const int answer = ShowMessageBox(text, caption, flags);
    SetMessageSink(this);
    return answer;
  }
  // Gives the cursor back before a new window shows.
  void Release() { busy_.Release(); }

 private:
  CommandHourGlass busy_;
  MessageSink* previous_;
};
