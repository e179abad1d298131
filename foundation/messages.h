// The program's fixed message boxes. The engine builds the texts here and hands them to a sink;
// the shell routes the sink to real message boxes, tests to a recorder.
#pragma once

#include <string>

// Flags and answers with the values of the classic message-box interface.
enum MessageBoxFlags : int {
  kMbOk = 0x00,
  kMbOkCancel = 0x01,
  kMbYesNoCancel = 0x03,
  kMbYesNo = 0x04,
  kMbIconStop = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};
enum MessageBoxResult : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows the box and returns the button the user chose.
  virtual int ShowMessage(const std::string& text, const std::string& caption, int flags) = 0;
};

// Installs a sink and returns the previous one; null restores the default, which prints to stderr.
MessageSink* SetMessageSink(MessageSink* sink);
int ShowMessageBox(const std::string& text, const std::string& caption, int flags);

namespace msgtext {
inline constexpr const char* kSystemError = "System Error";
inline constexpr const char* kNoMemory = "There is not enough memmory for this operation.";
inline constexpr const char* kNoSinus = "Could not create sinus.";
inline constexpr const char* kFileError = "FileError";
// The music document's save shows the same text, and the WAVE writer reuses it as it stands.
inline constexpr const char* kCannotWriteFile =
    "Cannot save Music: Operating System cannot open file for writing, maybe the file is readonly.";
}  // namespace msgtext

class MessageReporter {
 public:
  static void ShowNoMemory();
  static void ShowNoSinus();
  static void ShowCannotWriteFile();
};
