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

int MessageReporter::ShowNoMemory() {
  return ShowMessageBox(msgtext::kNoMemory, msgtext::kSystemError, kMbOk | kMbIconInformation);
}

int MessageReporter::ShowNoSinus() {
  return ShowMessageBox(msgtext::kNoSinus, msgtext::kSystemError, kMbOk | kMbIconStop);
}

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

void MessageReporter::ShowNoTempDir(const std::string& directory) {
  ShowMessageBox(msgtext::kNoTempDirBefore + Quoted(directory) + msgtext::kNoTempDirAfter,
                 msgtext::kError, kMbOk | kMbIconWarning);
}

void MessageReporter::ShowWaveNameExists(const std::string& name) {
  ShowMessageBox(msgtext::kWaveNameExistsBefore + Quoted(name) + msgtext::kWaveNameExistsAfter,
                 msgtext::kError, kMbOk | kMbIconInformation);
}

void MessageReporter::ShowCannotReadFile(const std::string& fileName, const std::string& reason) {
  ShowMessageBox(msgtext::kCannotReadFile + Quoted(fileName) + ", " + reason, msgtext::kFileError,
                 kMbOk | kMbIconStop);
}

void MessageReporter::ShowCannotReadWaveFile(const std::string& fileName,
                                             const std::string& reason) {
  ShowMessageBox(msgtext::kCannotReadFile + Quoted(fileName) + reason, msgtext::kFileError,
                 kMbOk | kMbIconInformation);
}

void MessageReporter::ShowFieldError(const std::string& fieldName, const std::string& message) {
  ShowInputError(FieldErrorText(fieldName, message));
}

void MessageReporter::ShowInputError(const std::string& message) {
  ShowMessageBox(message, msgtext::kInputError, kMbOk | kMbIconInformation);
}

void MessageReporter::ShowFieldEmpty(const std::string& fieldName) {
  ShowMessageBox(msgtext::kFieldIn + fieldName + msgtext::kFieldEmpty, msgtext::kInputError,
                 kMbOk | kMbIconInformation);
}


std::string FieldErrorText(const std::string& fieldName, const std::string& message) {
  return msgtext::kFieldIn + fieldName + msgtext::kFieldSeparator + message;
}

void MessageReporter::ShowCannotWriteFile() {
  ShowMessageBox(msgtext::kCannotWriteFile, msgtext::kFileErrorNoBlank, kMbOk | kMbIconInformation);
}
