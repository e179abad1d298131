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
inline constexpr const char* kError = "Error";
inline constexpr const char* kFileError = "File Error";
inline constexpr const char* kInputError = "Input Error";
inline constexpr const char* kNoTempDirBefore = "Could not create directory ";
inline constexpr const char* kNoTempDirAfter = ". Play and Record disabled";
inline constexpr const char* kWaveNameExistsBefore = "A wave with name ";
inline constexpr const char* kWaveNameExistsAfter = " already exists.";
inline constexpr const char* kCannotReadFile = "Cannot read the file: ";
inline constexpr const char* kFieldIn = "In ";
inline constexpr const char* kFieldSeparator = ": ";
inline constexpr const char* kFieldEmpty = ": Field should not be empty.";
inline constexpr const char* kSelectWave = "You have to select a Wave";
inline constexpr const char* kCannotFindWindow = "Cannot find window ";
inline constexpr const char* kFileErrorNoBlank = "FileError";
// The music document's save shows the same text, and the WAVE writer reuses it as it stands.
inline constexpr const char* kCannotWriteFile =
    "Cannot save Music: Operating System cannot open file for writing, maybe the file is readonly.";
}  // namespace msgtext

// Every operation shows exactly one box with the OK button alone.
class MessageReporter {
 public:
  static int ShowNoMemory();
  static int ShowNoSinus();
  static void ShowNoTempDir(const std::string& directory);
  static void ShowWaveNameExists(const std::string& name);
  static void ShowCannotReadFile(const std::string& fileName, const std::string& reason);
  // The wave reader's reason follows the quoted name directly, under an information icon.
  static void ShowCannotReadWaveFile(const std::string& fileName, const std::string& reason);
  static void ShowFieldError(const std::string& fieldName, const std::string& message);
  // The message already names the field ("In ", the field, ": ").
  static void ShowInputError(const std::string& message);
  static void ShowFieldEmpty(const std::string& fieldName);
  static void ShowCannotWriteFile();
};

// "In <field>: <message>", the form of every input failure.
std::string FieldErrorText(const std::string& fieldName, const std::string& message);
