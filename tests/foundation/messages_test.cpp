// The fixed message boxes: exact texts, captions and icons, one box per call.
#include <gtest/gtest.h>

#include <functional>

#include "foundation/messages.h"
#include "support/recording_sink.h"

TEST(Messages, EveryReporterOperationShowsOneOkBoxWithItsExactTextCaptionAndIcon) {
  struct BoxCase { std::function<void()> show; const char* text; const char* caption; int flags; };
  const BoxCase cases[] = {
      {[] { MessageReporter::ShowNoMemory(); }, "There is not enough memmory for this operation.", "System Error", 64},
      {[] { MessageReporter::ShowNoSinus(); }, "Could not create sinus.", "System Error", 16},
      {[] { MessageReporter::ShowNoTempDir("c:\\temp"); },
       "Could not create directory \"c:\\temp\". Play and Record disabled", "Error", 48},
      {[] { MessageReporter::ShowWaveNameExists("drum"); }, "A wave with name \"drum\" already exists.", "Error", 64},
      {[] { MessageReporter::ShowCannotReadFile("a.kvm", "Bad version."); },
       "Cannot read the file: \"a.kvm\", Bad version.", "File Error", 16},
      {[] { MessageReporter::ShowFieldError("Begin", "Value too large."); }, "In Begin: Value too large.", "Input Error", 64},
      {[] { MessageReporter::ShowInputError("In Length: Value must be positive."); },
       "In Length: Value must be positive.", "Input Error", 64},
      {[] { MessageReporter::ShowFieldEmpty("Sample Wave"); }, "In Sample Wave: Field should not be empty.",
       "Input Error", 64},
  };
  for (const BoxCase& c : cases) {
    RecordingSink sink;
    c.show();
    EXPECT_EQ(sink.messages, (std::vector<RecordedMessage>{{c.text, c.caption, c.flags}}));
  }
}
