// The generator and tempo/pitch dialogs: read order with one message per press, caption and help,
// refused input of every kind, and options chosen by typing.
#include <gtest/gtest.h>

#include <QTest>

#include "app/dialogs/DBlockTriangle.h"
#include "app/dialogs/DLine.h"
#include "app/dialogs/DNoise.h"
#include "app/dialogs/DSilence.h"
#include "app/dialogs/DSinus.h"
#include "app/dialogs/DTempoPitch.h"
#include "app/fakes/command_dialogs.h"
#include "app/fakes/dialog_runner.h"
#include "app/fakes/recording_help.h"
#include "support/recording_sink.h"

namespace {

// Block and triangle dialogs are named by their caption; "same" variants start on "Same Length
// as", "block time" on two times and a middle envelope, "exp line" on an exponential line.
// Tempo refers positions to a selection of 1 s.
std::unique_ptr<TDialogForm> MakeDialog(const std::string& which) {
  TTempoPitchProps tempo;
  tempo.SelTime = 1.0;
  tempo.LengthKind = which == "tempo same" ? 2 : 0;
  TBlockTriangleProps block;
  block.LengthKind = which == "block same" ? 1 : 0;
  if (which == "block time") block.BloTriHorKind = bloTriTime;
  if (which == "block time") block.MiddleKind = 1;
  TLineProps line;
  line.Kind = which == "exp line" ? 1 : 0;
  line.EndValue.SetValue(3277);  // 10 %: from the default 50 % an exponential line may go there
  if (which == "silence") return std::make_unique<TDlgSilenceProps>(nullptr, TSilenceProps());
  if (which.find("line") != std::string::npos)
    return std::make_unique<TDlgLineProps>(nullptr, line);
  if (which == "noise") return std::make_unique<TDlgNoiseProps>(nullptr, TNoiseProps());
  if (which == "sinus") return std::make_unique<TDlgSinusProps>(nullptr, TSinusProps());
  if (which.rfind("tempo", 0) == 0) return std::make_unique<TDlgTempoPitchProps>(nullptr, tempo);
  return std::make_unique<TDlgBlockTriangleProps>(nullptr, which, block);
}

}  // namespace

TEST(GeneratorDialogs, BadTextEverywhereIsReportedOneFieldPerPressInReadOrder) {
  using Fields = std::vector<std::pair<const char*, const char*>>;  // control, name in messages
  const Fields block{{"editHeight1", "Height 1"},     {"editHeight2", "Height 2"},
                     {"editFrequency", "Frequency"},  {"editMiddle", "Middle"},
                     {"editLengthNew", "Length New"}, {"editStartPosition", "Start Position"}};
  // clang-format off
  const std::tuple<const char*, const char*, int, Fields> cases[] = {
      {"silence", "Make Silence", 20, {{"editLength", "Length"}}},
      {"line", "Make Line", 5, {{"editBegin", "Begin Value"}, {"editEnd", "End Value"},
                                {"editLength", "Length"}}},
      {"noise", "Make Noise", 8, {{"editLength", "Length"}, {"editVolume", "Volume"}}},
      {"Make Block", "Make Block", 6, block},
      {"sinus", "Make Sinus", 7, {{"editLength", "Length"}, {"editAmplitude", "Amplitude"},
                                  {"editFrequency", "Frequency"}, {"editStartPhase", "Start Phase"}}},
      {"tempo", "Pitch Tempo", 50, {{"editFreqFactor", "Frequency Factor"},
                                    {"editSpeedFactor", "Speed Factor"},
                                    {"editLengthFactor", "Length Factor"},
                                    {"editStartPosition", "Start Position"},
                                    {"editBlockSize", "Block Size"}}}};
  // clang-format on
  for (const auto& [which, caption, helpContext, fields] : cases) {
    SCOPED_TRACE(which);
    RecordingSink sink;
    RecordingHelp help;
    std::unique_ptr<TDialogForm> dialog = MakeDialog(which);
    const int result = RunDialog(*dialog, [&] { ExpectReadOrder(*dialog, sink, fields); });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(help.calls, (std::vector<std::pair<int, int>>{{kHelpContext, helpContext}}));
  }
}

// Text is typed, so an input of an option that is not chosen chooses its option first.
TEST(GeneratorDialogs, RefusedInputKeepsTheDialogOpenWithOneMessage) {
  struct Case {
    const char* dialog;
    const char* control;
    std::vector<const char*> texts;
    const char* message;  // the field named, or the whole text
    bool unreadableToo;   // also refuses the texts no field reads
  };
  const Case cases[] = {
      {"silence", "editLength", {"0 ms", "-5 ms"}, "Length", true},         // a positive time
      {"line", "editBegin", {"250%", "-2"}, "Begin Value", true},           // a sample value
      {"sinus", "editStartPhase", {"400'", "1"}, "Start Phase", true},      // a phase
      {"tempo", "editFreqFactor", {"0", "0%"}, "Frequency Factor", true},   // a factor but 0
      {"tempo", "editStartPosition", {"2 s", "-1.5 s"}, "Start Position", true},  // within 1 s
      {"exp line", "editEnd", {"-50%", "0"}, linetext::kExponentialZero, false},
      {"exp line", "editBegin", {"0%"}, linetext::kExponentialZero, false},
      {"exp line", "editLength", {"0 ms"}, "Length", false},  // past the check: 50 % to 10 %
      {"tempo same", "editBlockSize", {"0 s"}, "Same Length as", true},  // no other wave
      {"block same", "editStartPosition", {"2"}, "Length Same As", true},
      {"sinus", "editCount", {"0"}, "Count", false},
      {"block time", "editMiddle", {"x?"}, "Middle", false},  // chooses frequency mode too
      {"Make Block", "editTime1", {"0 ms"}, "Time 1", false},
      {"tempo", "editLengthNew", {"0 s"}, "New Length", false},
  };
  for (const Case& c : cases) {
    std::vector<const char*> texts = c.texts;
    if (c.unreadableToo)
      texts.insert(texts.end(), {"", "xyz", "1e400", "99999999999999999999999$"});
    for (const char* text : texts) {
      SCOPED_TRACE(std::string(c.dialog) + " " + c.control + " <- \"" + text + "\"");
      RecordingSink sink;
      std::unique_ptr<TDialogForm> dialog = MakeDialog(c.dialog);
      const int result = RunDialog(*dialog, [&] {
        Control(*dialog, c.control)->clear();
        QTest::keyClicks(Control(*dialog, c.control), text);
        Press(*dialog, "OKBtn");
      });
      ASSERT_EQ(std::pair(result, sink.messages.size()), std::pair(int(QDialog::Rejected), size_t{1}));
      EXPECT_EQ(FieldOf(sink.messages.front()), c.message);
    }
  }
}
