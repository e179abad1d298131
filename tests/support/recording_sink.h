// A message sink that records every box and answers with queued replies (OK when none is queued).
#pragma once

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/messages.h"

struct RecordedMessage {
  std::string text;
  std::string caption;
  int flags;
  bool operator==(const RecordedMessage&) const = default;
};
inline void PrintTo(const RecordedMessage& m, std::ostream* os) {
  *os << '"' << m.text << "\" in \"" << m.caption << "\" (" << m.flags << ")";
}

class RecordingSink : public MessageSink {
 public:
  RecordingSink() { previous_ = SetMessageSink(this); }
  ~RecordingSink() override { SetMessageSink(previous_); }
  RecordingSink(const RecordingSink&) = delete;
  RecordingSink& operator=(const RecordingSink&) = delete;

  int ShowMessage(const std::string& text, const std::string& caption, int flags) override {
    messages.push_back({text, caption, flags});
    if (whileShown) whileShown();
    if (replies.empty()) return kIdOk;
    const int reply = replies.front();
    replies.pop_front();
    return reply;
  }

  std::vector<RecordedMessage> messages;
  std::deque<int> replies;
  // Runs while a box shows, as a real box's own message loop would run what is due.
  std::function<void()> whileShown;

 private:
  MessageSink* previous_ = nullptr;
};
