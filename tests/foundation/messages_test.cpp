// The fixed message boxes: exact texts, captions and icons, one box per call.
#include <gtest/gtest.h>

#include <functional>

#include "foundation/messages.h"
#include "support/recording_sink.h"

namespace {

struct BoxCase {
  const char* what;
  std::function<void()> show;
  const char* text;
  const char* caption;
  int flags;
};

}  // namespace

TEST(Messages, EveryReporterOperationShowsOneOkBoxWithItsExactTextCaptionAndIcon) {
  const BoxCase cases[] = {
      {"no memory", [] { MessageReporter::ShowNoMemory(); },
       "There is not enough memmory for this operation.", "System Error", 64},
      {"no sinus", [] { MessageReporter::ShowNoSinus(); }, "Could not create sinus.",
       "System Error", 16},
      {"no temp dir", [] { MessageReporter::ShowNoTempDir("c:\\temp"); },
       "Could not create directory \"c:\\temp\". Play and Record disabled", "Error", 48},
      {"name exists", [] { MessageReporter::ShowWaveNameExists("drum"); },
       "A wave with name \"drum\" already exists.", "Error", 64},
      {"cannot read", [] { MessageReporter::ShowCannotReadFile("a.kvm", "Bad version."); },
       "Cannot read the file: \"a.kvm\", Bad version.", "File Error", 16},
      {"cannot read, no reason", [] { MessageReporter::ShowCannotReadFile("a.kvm", ""); },
       "Cannot read the file: \"a.kvm\", ", "File Error", 16},
      {"field error", [] { MessageReporter::ShowFieldError("Begin", "Value too large."); },
       "In Begin: Value too large.", "Input Error", 64},
      {"input error", [] { MessageReporter::ShowInputError("In Length: Value must be positive."); },
       "In Length: Value must be positive.", "Input Error", 64},
      {"empty input error", [] { MessageReporter::ShowInputError(""); }, "", "Input Error", 64},
      {"field empty", [] { MessageReporter::ShowFieldEmpty("Sample Wave"); },
       "In Sample Wave: Field should not be empty.", "Input Error", 64},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingSink sink;
    c.show();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, c.text);
    EXPECT_EQ(sink.messages[0].caption, c.caption);
    EXPECT_EQ(sink.messages[0].flags, c.flags);
  }
}

TEST(Messages, SystemErrorBoxesAnswerWhatTheBoxAnswered) {
  RecordingSink sink;
  sink.replies = {kIdOk, kIdCancel};
  EXPECT_EQ(MessageReporter::ShowNoMemory(), kIdOk);
  EXPECT_EQ(MessageReporter::ShowNoSinus(), kIdCancel);
}
