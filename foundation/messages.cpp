#include "foundation/messages.h"

#include <cstdio>

namespace {

class StderrSink : public MessageSink {
 public:
  int ShowMessage(const std::string& text, const std::string& caption, int flags) override {
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    // Without a user to ask, the first button of the box is the answer.
    switch (flags & 0x0F) {
      case kMbYesNoCancel:
      case kMbYesNo:
        return kIdYes;
      default:
        return kIdOk;
    }
  }
};

StderrSink defaultSink;
MessageSink* currentSink = &defaultSink;

}  // namespace

MessageSink* SetMessageSink(MessageSink* sink) {
  MessageSink* previous = currentSink == &defaultSink ? nullptr : currentSink;
  currentSink = sink ? sink : &defaultSink;
  return previous;
}

int ShowMessageBox(const std::string& text, const std::string& caption, int flags) {
  return currentSink->ShowMessage(text, caption, flags);
}

void MessageReporter::ShowNoMemory() {
  ShowMessageBox(msgtext::kNoMemory, msgtext::kSystemError, kMbOk | kMbIconInformation);
}

void MessageReporter::ShowNoSinus() {
  ShowMessageBox(msgtext::kNoSinus, msgtext::kSystemError, kMbOk | kMbIconStop);
}

void MessageReporter::ShowCannotWriteFile() {
  ShowMessageBox(msgtext::kCannotWriteFile, msgtext::kFileError, kMbOk | kMbIconInformation);
}
