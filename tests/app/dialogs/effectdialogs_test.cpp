// The effect dialogs: caption, help, read order with one box per press,
// and what a few of them add: the rotate duration check, the left-right examples, the roll-in
// reference length.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>

#include "app/dialogs/DBalance.h"
#include "app/dialogs/DBlock.h"
#include "app/dialogs/DDistort.h"
#include "app/dialogs/DLeftRight.h"
#include "app/dialogs/DLength.h"
#include "app/dialogs/DMix.h"
#include "app/dialogs/DRollIn.h"
#include "app/dialogs/DRollOut.h"
#include "app/dialogs/DRotate.h"
#include "app/dialogs/DUp.h"
#include "app/dialogs/DVolume.h"
#include "app/fakes/command_dialogs.h"
#include "app/fakes/dialog_runner.h"
#include "app/fakes/recording_help.h"

namespace {

// Every wave list holds one wave while it lives.
struct OneOtherWave {
  WaveNameLister previous =
      SetWaveNameLister([](uint8_t) { return std::vector<std::string>{"env"}; });
  ~OneOtherWave() { SetWaveNameLister(previous); }
};

// A dialog by name, starting on option `kind` (the roll-out speed envelope used from kind 2 on).
std::unique_ptr<TDialogForm> MakeDialog(const std::string& name, uint8_t kind) {
  const auto other = static_cast<uint8_t>((3 - kind) % 3);
  if (name == "Change Volume")
    return std::make_unique<TDlgVolumeProps>(nullptr, TVolumeProps{kind, {}, {0.5, kUnitPercent}});
  if (name == "Rotate") return std::make_unique<TDlgRotateProps>(nullptr, TRotateProps(), 1.0);
  if (name == "Block")
    return std::make_unique<TDlgBlockProps>(
        nullptr,
        TBlockProps{kind, other, {20, 0}, {20, 0}, {0.01, kUnitSeconds}, {3277, kUnitPercent}});
  if (name == "Roll in")
    return std::make_unique<TDlgRollInProps>(
        nullptr,
        TRollInProps{kind, {1, kUnitSeconds}, {0, kUnitPercent, false}, {0, kUnitPercent, false}});
  TRollOutProps rollOut;
  rollOut.SelTime = 1;
  rollOut.SpeedEnvelopeUsed = kind == 2;
  rollOut.LengthKind = kind;
  if (name == "Roll out") return std::make_unique<TDlgRollOutProps>(nullptr, rollOut);
  if (name == "Up / Down") return std::make_unique<TDlgUpProps>(nullptr, TUpProps());
  if (name == "Mix Left Right")
    return std::make_unique<TDlgLeftRightProps>(nullptr, TLeftRightProps());
  if (name == "Balance")
    return std::make_unique<TDlgBalanceProps>(nullptr,
                                              TBalanceProps{kind, {0, kUnitPercent}, {}, true, 1});
  if (name == "Mix") return std::make_unique<TDlgMixProps>(nullptr, TMixProps());
  if (name == "Change Length")
    return std::make_unique<TDlgLengthProps>(
        nullptr, TLengthProps{kind, {0.5, kUnitPercent}, {2, kUnitSeconds}, {}});
  return std::make_unique<TDlgDistortProps>(nullptr, TDistortProps());
}

struct DialogCase {
  const char* caption;
  uint8_t kind;
  int helpContext;
  std::vector<std::pair<const char*, const char*>> fields;  // control, name in messages: read order
};
// clang-format off
const DialogCase kDialogs[] = {
    {"Change Volume", 0, 9, {{"editVolume", "Constant"}}},
    {"Change Volume", 1, 9, {{"cboUnitWave", "Envelope"}}},
    {"Rotate", 0, 21, {{"editFactor", "Factor"}, {"editTime", "Time"}}},
    {"Block", 0, 43, {}},  // no change either way: nothing is read
    {"Block", 1, 43, {{"editHorCount", " Horizontal Count"}, {"editVertHeight", " Height"}}},
    {"Block", 2, 43, {{"editHorTime", " Time"}, {"editVertCount", " Vertical Count"}}},
    {"Roll in", 0, 44, {{"editLength", "Length"}, {"editStart", "Start at"}}},
    {"Roll in", 1, 44, {{"editLength", "Length"}, {"editEnd", "End at"}}},
    {"Roll out", 1, 46, {{"editSpeedFactor", "Speed Factor"}, {"editLengthNew", "New Length"},
                         {"editStartPosition", "Start Position"}}},
    {"Roll out", 2, 46, {{"editSpeedFactor", "Speed Factor"}, {"cboSpeedEnvelope", "Speed Envelope"},
                         {"cboLengthSameAs", "Same Length as"}, {"editStartPosition", "Start Position"}}},
    {"Up / Down", 0, 19, {{"editAdd", "Add Value"}}},
    {"Mix Left Right", 0, 36, {{"editLeft2Left", "from Left to Left"}, {"editLeft2Right", "from Left to Right"},
                               {"editRight2Left", "from Right to Left"}, {"editRight2Right", "from Right to Right"}}},
    {"Balance", 0, 11, {{"editDirConstant", "Direction Constant"}}},
    {"Mix", 0, 4, {}},
    {"Change Length", 0, 49, {{"editLengthFactor", "Length Factor"}}},
    {"Distort", 0, 45, {{"cboDistortEnvelope", "Distort Envelope"}}},
};
// clang-format on

}  // namespace

TEST(EffectDialogs, BadTextAndMissingWavesAreReportedOneFieldPerPressInReadOrder) {
  OneOtherWave env;
  for (const DialogCase& c : kDialogs) {
    SCOPED_TRACE(c.caption + std::to_string(c.kind));
    RecordingSink sink;
    RecordingHelp help;
    std::unique_ptr<TDialogForm> dialog = MakeDialog(c.caption, c.kind);
    const int result = RunDialog(*dialog, [&] { ExpectReadOrder(*dialog, sink, c.fields); });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(help.calls, (std::vector<std::pair<int, int>>{{kHelpContext, c.helpContext}}));
  }
}

TEST(EffectDialogs, RotateRefusesATimeLongerThanThePartAlsoAfterAnEarlierFailure) {
  const std::tuple<double, double, const char*, const char*, std::vector<std::string>> cases[] = {
      {1, 0.1, "10%", "2 s", {"long"}},
      {1, 0.1, "10%", "-1.5 s", {"long"}},
      {1, 0.1, "10%", "1 s", {}},
      {1, 0.1, "", "0.5 s", {"Factor"}},
      {1, 5, "x?", "0.5 s", {"Factor", "long"}},  // the stored time is too long
      {0, 0.1, "10%", "0 s", {}},
      {0, 0.1, "10%", "1 ms", {"long"}}};
  for (const auto& [duration, stored, factor, time, boxes] : cases) {
    RecordingSink sink;
    TDlgRotateProps dialog(nullptr, TRotateProps{0, true, {0.1, kUnitNone}, {stored, kUnitSeconds}},
                           duration);
    RunDialog(dialog, [&] {
      Type(dialog, "editFactor", factor), Type(dialog, "editTime", time), Press(dialog, "OKBtn");
    });
    std::vector<std::string> got;
    for (const auto& m : sink.messages)
      got.push_back(m.text == rotatetext::kTimeTooLong ? "long" : FieldOf(m));
    EXPECT_EQ(got, boxes) << factor << " / " << time << " in " << duration;
  }
}

// A factor <= 0 has no decibels: Left2Left, given in decibels, falls back to plain.
TEST(EffectDialogs, LeftRightExamplesFillTheFourInputsUntilOneIsTypedInto) {
  const std::pair<const char*, std::array<double, 4>> examples[] = {
      {"Normal", {1, 0, 0, 1}},
      {"Swapped", {0, 1, 1, 0}},
      {"Extra Stereo", {0.75, -0.25, -0.25, 0.75}},
      {"Super Stereo", {0.5, -0.25, -0.25, 0.5}},
      {"Surround", {0.5, -0.5, -0.5, 0.5}},
      {"Mono", {0.5, 0.5, 0.5, 0.5}},
      {"Mono at Left, Surround at Right", {0.4, -0.8, 0.4, 0.8}},
      {"Mono at Right, Surround at Left", {0.8, 0.4, -0.8, 0.4}}};
  for (int index = 0; index < 8; ++index) {
    const auto& [name, values] = examples[index];
    TDlgLeftRightProps dialog(
        nullptr, TLeftRightProps{
                     {2, kUnitDecibel}, {0, kUnitPercent}, {0, kUnitPercent}, {1, kUnitPercent}});
    std::vector<int> chosen;
    RunDialog(dialog, [&] {
      auto* combo = Control<QComboBox>(dialog, "cboExample");
      EXPECT_EQ(combo->itemText(index).toStdString(), name);
      for (const char* typed : {"", "1"}) {
        chosen.push_back(combo->currentIndex());
        combo->setCurrentIndex(index), emit combo->activated(index);
        chosen.push_back(combo->currentIndex());
        QTest::keyClicks(Control(dialog, "editRight2Right"), typed);
      }
      chosen.push_back(combo->currentIndex());
      emit combo->activated(index), Press(dialog, "OKBtn");
    });
    EXPECT_EQ(chosen, (std::vector<int>{-1, index, index, index, -1})) << name;
    const TLeftRightProps got = dialog.GetProps();
    const double read[] = {got.Left2Left.GetValue(), got.Left2Right.GetValue(),
                           got.Right2Left.GetValue(), got.Right2Right.GetValue()};
    for (size_t i = 0; i < 4; ++i)
      EXPECT_NEAR(read[i], values[i], 1e-4) << name << i;  // decibel text rounds
    EXPECT_EQ(got.Left2Left.GetUnitUsed(), values[0] > 0 ? kUnitDecibel : kUnitNone) << name;
  }
}

// Shown with a length of 2 s and "Start at" 1 s, which is 50 % of it.
TEST(EffectDialogs, RollInPositionsArePartsOfTheRollInLength) {
  const std::tuple<const char*, const char*, const char*, const char*, double, double> cases[] = {
      {"4 s", "editStart", "25%", "", 1, 0},
      {"4 s", "editEnd", "-1 s", "", 2, 3},
      {"x?", "editStart", "25%", "Length", 1, 0},
      {"1 s", "editStart", "2 s", "Start at", 0.5, 0}};
  for (const auto& [length, control, text, refused, startAt, endAt] : cases) {
    RecordingSink sink;
    TDlgRollInProps dialog(
        nullptr,
        TRollInProps{0, {2, kUnitSeconds}, {1, kUnitPercent, false}, {0, kUnitPercent, false}});
    RunDialog(dialog, [&] {
      EXPECT_EQ(Control(dialog, "editStart")->text().toStdString(), "50 %");
      Type(dialog, "editLength", length), Type(dialog, control, "");
      QTest::keyClicks(Control(dialog, control), text), Press(dialog, "OKBtn");
    });
    EXPECT_EQ(sink.messages.empty() ? "" : FieldOf(sink.messages.front()), refused)
        << control << text;
    EXPECT_DOUBLE_EQ(dialog.GetProps().StartAt.GetValue(), startAt) << control << text;
    EXPECT_DOUBLE_EQ(dialog.GetProps().EndAt.GetValue(), endAt) << control << text;
  }
}
