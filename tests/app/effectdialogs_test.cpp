// The effect dialogs: caption, base form, help and read order with one message per press; the
// rotate dialog's duration check, the left-right examples, the roll-in reference length, options
// chosen by typing, and bad text of every kind in every input.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFrame>
#include <QTest>
#include <cctype>
#include <map>

#include "app/DBalance.h"
#include "app/DBlock.h"
#include "app/DDistort.h"
#include "app/DLeftRight.h"
#include "app/DLength.h"
#include "app/DMix.h"
#include "app/DRollIn.h"
#include "app/DRollOut.h"
#include "app/DRotate.h"
#include "app/DUp.h"
#include "app/DVolume.h"
#include "app/fakes/command_dialogs.h"
#include "app/fakes/dialog_runner.h"
#include "app/fakes/recording_help.h"

namespace {

// A dialog by name; a digit after the name picks the option (or options) it starts on.
std::unique_ptr<TDialogForm> MakeDialog(const std::string& which) {
  const uint8_t alt = std::isdigit(which.back()) ? static_cast<uint8_t>(which.back() - '0') : 0;
  const std::string name = which.substr(0, which.find_first_of("0123456789") - (alt ? 1 : 0));
  TVolumeProps volume;
  volume.Mode = alt;
  if (name == "volume") return std::make_unique<TDlgVolumeProps>(nullptr, volume);
  if (name == "rotate") return std::make_unique<TDlgRotateProps>(nullptr, TRotateProps(), 1.0);
  TBlockProps block;
  block.HorKind = alt;
  block.VertKind = alt == 0 ? 0 : static_cast<uint8_t>(3 - alt);
  if (name == "block") return std::make_unique<TDlgBlockProps>(nullptr, block);
  TRollInProps rollIn;
  rollIn.Placement = alt;
  if (name == "roll in") return std::make_unique<TDlgRollInProps>(nullptr, rollIn);
  TRollOutProps rollOut;
  rollOut.SelTime = 1.0;
  rollOut.LengthKind = alt;
  rollOut.SpeedEnvelopeUsed = alt == 2;
  if (name == "roll out") return std::make_unique<TDlgRollOutProps>(nullptr, rollOut);
  if (name == "up") return std::make_unique<TDlgUpProps>(nullptr, TUpProps());
  if (name == "left right") return std::make_unique<TDlgLeftRightProps>(nullptr, TLeftRightProps());
  TBalanceProps balance;
  balance.DirKind = alt;
  if (name == "balance") return std::make_unique<TDlgBalanceProps>(nullptr, balance);
  if (name == "mix") return std::make_unique<TDlgMixProps>(nullptr, TMixProps());
  TLengthProps length;
  length.LengthKind = alt;
  if (name == "length") return std::make_unique<TDlgLengthProps>(nullptr, length);
  return std::make_unique<TDlgDistortProps>(nullptr, TDistortProps());
}

// Every wave list holds one other wave, "env".
class OneOtherWave {
 public:
  OneOtherWave() : previous_(SetWaveNameLister([](uint8_t) { return std::vector<std::string>{"env"}; })) {}
  ~OneOtherWave() { SetWaveNameLister(previous_); }

 private:
  WaveNameLister previous_;
};

using Fields = std::vector<std::pair<const char*, const char*>>;  // control, name in messages
struct DialogCase {
  const char* which;
  const char* caption;
  int helpContext;
  bool buttonsBelow;
  Fields fields;  // in read order
};
const DialogCase kDialogs[] = {
    {"volume", "Change Volume", 9, false, {{"editVolume", "Constant"}}},
    {"volume 1", "Change Volume", 9, false, {{"cboUnitWave", "Envelope"}}},
    {"rotate", "Rotate", 21, false, {{"editFactor", "Factor"}, {"editTime", "Time"}}},
    {"block", "Block", 43, false, {}},  // no change either way: nothing is read
    {"block 1", "Block", 43, false, {{"editHorCount", " Horizontal Count"}, {"editVertHeight", " Height"}}},
    {"block 2", "Block", 43, false, {{"editHorTime", " Time"}, {"editVertCount", " Vertical Count"}}},
    {"roll in", "Roll in", 44, false, {{"editLength", "Length"}, {"editStart", "Start at"}}},
    {"roll in 1", "Roll in", 44, false, {{"editLength", "Length"}, {"editEnd", "End at"}}},
    {"roll out", "Roll out", 46, false,
     {{"editSpeedFactor", "Speed Factor"}, {"editLengthFactor", "Length Factor"}, {"editStartPosition", "Start Position"}}},
    {"roll out 1", "Roll out", 46, false,
     {{"editSpeedFactor", "Speed Factor"}, {"editLengthNew", "New Length"}, {"editStartPosition", "Start Position"}}},
    {"roll out 2", "Roll out", 46, false,
     {{"editSpeedFactor", "Speed Factor"}, {"cboSpeedEnvelope", "Speed Envelope"},
      {"cboLengthSameAs", "Same Length as"}, {"editStartPosition", "Start Position"}}},
    {"roll out 3", "Roll out", 46, false,
     {{"editSpeedFactor", "Speed Factor"}, {"editLengthCount", "Count"}, {"editStartPosition", "Start Position"}}},
    {"up", "Up / Down", 19, true, {{"editAdd", "Add Value"}}},
    {"left right", "Mix Left Right", 36, false,
     {{"editLeft2Left", "from Left to Left"}, {"editLeft2Right", "from Left to Right"},
      {"editRight2Left", "from Right to Left"}, {"editRight2Right", "from Right to Right"}}},
    {"balance", "Balance", 11, false, {{"editDirConstant", "Direction Constant"}}},
    {"balance 1", "Balance", 11, false, {{"cboDirEnvelope", "Direction Envelope"}}},
    {"mix", "Mix", 4, false, {}},
    {"length", "Change Length", 49, false, {{"editLengthFactor", "Length Factor"}}},
    {"length 1", "Change Length", 49, false, {{"editLengthNew", "New Length"}}},
    {"length 2", "Change Length", 49, false, {{"cboLengthSameAs", "Same Length as"}}},
    {"distort", "Distort", 45, true, {{"cboDistortEnvelope", "Distort Envelope"}}},
};

}  // namespace

TEST(EffectDialogs, BadTextAndMissingWavesAreReportedOneFieldPerPressInReadOrder) {
  OneOtherWave env;
  for (const DialogCase& c : kDialogs) {
    SCOPED_TRACE(c.which);
    RecordingSink sink;
    RecordingHelp help;
    std::unique_ptr<TDialogForm> dialog = MakeDialog(c.which);
    EXPECT_EQ(dialog->windowTitle().toStdString(), c.caption);
    std::vector<std::string> reported;
    const int result = RunDialog(*dialog, [&] {
      Press(*dialog, "HelpBtn");
      QTest::keyClick(dialog.get(), Qt::Key_F1);
      const int bevelBottom = Control<QFrame>(*dialog, "Bevel1")->geometry().bottom();
      EXPECT_EQ(Control<QPushButton>(*dialog, "OKBtn")->y() > bevelBottom, c.buttonsBelow);
      std::map<QLineEdit*, QString> shown;
      for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        shown[edit] = edit->text();
        edit->setText("x?");
      }
      for (size_t press = 0; press <= c.fields.size() && dialog->isVisible(); ++press) {
        sink.messages.clear();
        Press(*dialog, "OKBtn");
        if (sink.messages.size() != 1u || press == c.fields.size()) break;
        reported.push_back(FieldOf(sink.messages.front()));
        if (auto* combo = dialog->findChild<TWaveComboBox*>(c.fields[press].first)) {
          combo->setCurrentIndex(0);
        } else if (QLineEdit* edit = Control(*dialog, c.fields[press].first)) {
          edit->setText(shown[edit]);
        }
      }
    });
    std::vector<std::string> expected;
    for (const auto& field : c.fields) expected.push_back(field.second);
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(help.calls, (std::vector<std::pair<int, int>>(2, {kHelpContext, c.helpContext})));
  }
}

// Every input of every dialog takes each text; none is refused with more than one box.
TEST(EffectDialogs, AnyTextInAnyInputIsTakenOrRefusedWithOneBox) {
  const char* texts[] = {"", " ", "-", "nan", "inf", "-inf", "1e400", "-1e400", "1e-400", "0", "-0",
                         "$-32769", "99999999999999999999$", "-1000 dB", "1000 dB", "0 dB", "400'",
                         "-91'", "0 Hz", "1 kHz", "c4", "1/0", "0/0", "%", "1,5", "\xff\xfe"};
  OneOtherWave env;
  for (const DialogCase& c : kDialogs) {
    std::vector<std::string> inputs;
    for (const QLineEdit* edit : MakeDialog(c.which)->findChildren<QLineEdit*>()) inputs.push_back(edit->objectName().toStdString());
    for (const std::string& input : inputs) {
      for (const char* text : texts) {
        SCOPED_TRACE(std::string(c.which) + " " + input + " <- " + text);
        RecordingSink sink;
        std::unique_ptr<TDialogForm> dialog = MakeDialog(c.which);
        const int result = RunDialog(*dialog, [&] {
          for (auto* combo : dialog->findChildren<TWaveComboBox*>()) combo->setCurrentIndex(0);
          QLineEdit* edit = Control(*dialog, input.c_str());
          edit->setText(QString::fromLatin1(text));
          emit edit->textEdited(edit->text());  // as typing does: the input's option is chosen
          Press(*dialog, "OKBtn");
        });
        EXPECT_EQ(sink.messages.size(), result == QDialog::Accepted ? 0u : 1u);
      }
    }
  }
}

TEST(EffectDialogs, RotateRefusesATimeLongerThanThePartAlsoAfterAnEarlierFailure) {
  const std::tuple<double, double, const char*, const char*, std::vector<std::string>> cases[] = {
      {1.0, 0.1, "10%", "2 s", {"too long"}},   {1.0, 0.1, "10%", "-1.5 s", {"too long"}},
      {1.0, 0.1, "10%", "1 s", {}},             {1.0, 0.1, "", "0.5 s", {"Factor"}},
      {1.0, 5.0, "x?", "0.5 s", {"Factor", "too long"}},  // the stored time is checked
      {0.0, 0.1, "10%", "0 s", {}},             {0.0, 0.1, "10%", "1 ms", {"too long"}}};
  for (const auto& [duration, stored, factor, time, boxes] : cases) {
    SCOPED_TRACE(std::string(factor) + " / " + time + " in " + std::to_string(duration));
    RecordingSink sink;
    TRotateProps props;
    props.Time.SetValue(stored);
    TDlgRotateProps dialog(nullptr, props, duration);
    const int result = RunDialog(dialog, [&] {
      Type(dialog, "editFactor", factor);
      Type(dialog, "editTime", time);
      Press(dialog, "OKBtn");
    });
    std::vector<std::string> got;
    for (const auto& m : sink.messages) got.push_back(m.text == rotatetext::kTimeTooLong ? "too long" : FieldOf(m));
    EXPECT_EQ(got, boxes);
    EXPECT_EQ(result, boxes.empty() ? QDialog::Accepted : QDialog::Rejected);
  }
}

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
    SCOPED_TRACE(name);
    TLeftRightProps props;
    props.Left2Left = unitVolumeFactor(2.0, kUnitDecibel);  // a factor <= 0 has no decibels
    TDlgLeftRightProps dialog(nullptr, props);
    bool typingClears = false;
    RunDialog(dialog, [&] {
      auto* combo = Control<QComboBox>(dialog, "cboExample");
      EXPECT_EQ(combo->currentIndex(), -1);
      ASSERT_EQ(combo->itemText(index).toStdString(), name);
      combo->setCurrentIndex(index);
      emit combo->activated(index);
      EXPECT_EQ(combo->currentIndex(), index);
      Press(dialog, "OKBtn");
    });
    const TLeftRightProps got = dialog.GetProps();
    const unitVolumeFactor* fields[] = {&got.Left2Left, &got.Left2Right, &got.Right2Left, &got.Right2Right};
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(fields[i]->GetValue(), values[i], 1e-4) << i;  // dB text rounds
    EXPECT_EQ(got.Left2Left.GetUnitUsed(), values[0] > 0 ? kUnitDecibel : kUnitNone);
    TDlgLeftRightProps typed(nullptr, TLeftRightProps());
    RunDialog(typed, [&] {
      auto* combo = Control<QComboBox>(typed, "cboExample");
      combo->setCurrentIndex(index);
      emit combo->activated(index);
      QTest::keyClicks(Control(typed, "editRight2Right"), "1");
      typingClears = combo->currentIndex() == -1;
    });
    EXPECT_TRUE(typingClears);
  }
}

// The roll-in length is 2 s when shown, and "Start at" 1 s, which shows as 50 %.
TEST(EffectDialogs, RollInPositionsArePartsOfTheRollInLength) {
  const std::tuple<const char*, const char*, const char*, const char*, double, double> cases[] = {
      {"4 s", "editStart", "25%", "", 1.0, 0.0},  // the part not chosen keeps its part, 0 %
      {"4 s", "editEnd", "-1 s", "", 2.0, 3.0},   // a negative time counts back from the end
      {"4 s", "editEnd", "50%", "", 2.0, 2.0},
      {"x?", "editStart", "25%", "Length", 1.0, 0.0},
      {"1 s", "editStart", "2 s", "Start at", 0.5, 0.0}};
  for (const auto& [length, control, text, refused, startAt, endAt] : cases) {
    SCOPED_TRACE(std::string(length) + " " + control + " <- " + text);
    RecordingSink sink;
    TRollInProps props;
    props.Length.SetValue(2.0);
    props.StartAt.SetValue(1.0);
    TDlgRollInProps dialog(nullptr, props);
    RunDialog(dialog, [&] {
      EXPECT_EQ(Control(dialog, "editStart")->text().toStdString(), "50 %");
      Type(dialog, "editLength", length);
      Control(dialog, control)->clear();
      QTest::keyClicks(Control(dialog, control), text);
      Press(dialog, "OKBtn");
    });
    EXPECT_EQ(sink.messages.empty() ? "" : FieldOf(sink.messages.front()), refused);
    TRollInProps got = dialog.GetProps();
    EXPECT_DOUBLE_EQ(got.StartAt.GetValue(), startAt);
    EXPECT_DOUBLE_EQ(got.EndAt.GetValue(), endAt);
  }
}

// Typing into an input (or picking a wave) chooses its option; choices and boxes are copied.
TEST(EffectDialogs, InputsChooseTheirOptionsAndChoicesAreCopiedAsTheyStand) {
  OneOtherWave env;
  const std::tuple<const char*, const char*, const char*> typed[] = {
      {"volume 1", "editVolume", "optConstant"},   {"volume", "cboUnitWave", "optEnvelope"},
      {"rotate", "editTime", "optTime"},           {"block", "editHorTime", "optHorTime"},
      {"block", "editVertHeight", "optVertHeight"}, {"block", "editHorCount", "optHorCount"},
      {"block 2", "editVertHeight", "optVertHeight"}, {"roll in", "editEnd", "optEnd"},
      {"roll in 1", "editStart", "optStart"},      {"balance 1", "editDirConstant", "optDirConstant"},
      {"balance", "cboDirEnvelope", "optDirEnvelope"}, {"length", "cboLengthSameAs", "optLengthSameAs"},
      {"length", "editLengthNew", "optLengthNew"}, {"roll out", "cboSpeedEnvelope", "chkSpeedEnvelope"},
      {"roll out", "editLengthCount", "optLengthCount"}};
  for (const auto& [which, control, option] : typed) {
    SCOPED_TRACE(std::string(which) + " " + control);
    std::unique_ptr<TDialogForm> dialog = MakeDialog(which);
    RunDialog(*dialog, [&] {
      EXPECT_FALSE(Control<QAbstractButton>(*dialog, option)->isChecked());
      if (auto* combo = dialog->findChild<TWaveComboBox*>(control)) {
        combo->setCurrentIndex(0);
        emit combo->activated(0);
      } else {
        QTest::keyClicks(Control(*dialog, control), "1");
      }
      EXPECT_TRUE(Control<QAbstractButton>(*dialog, option)->isChecked());
    });
  }
  TDlgRotateProps rotate(nullptr, TRotateProps(), 1.0);
  TDlgBalanceProps balance(nullptr, TBalanceProps());
  TDlgMixProps mix(nullptr, TMixProps());
  const std::pair<TDialogForm*, std::vector<const char*>> clicks[] = {
      {&rotate, {"Right", "optTime"}}, {&balance, {"chkTimeDiff", "Filter"}}, {&mix, {"Stretch"}}};
  for (const auto& [dialog, buttons] : clicks) {
    RunDialog(*dialog, [&, dialog = dialog, buttons = buttons] {
      for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        for (const char* name : buttons) {
          if (button->objectName() == name || button->text() == name) button->click();
        }
      }
      Press(*dialog, "OKBtn");
    });
  }
  EXPECT_EQ(rotate.GetProps().Shift, 1);
  EXPECT_FALSE(rotate.GetProps().ByFactor);
  EXPECT_FALSE(balance.GetProps().TimeDiff);
  EXPECT_EQ(balance.GetProps().VolumeDiff, 2);
  EXPECT_EQ(mix.GetProps().Place, 2);
}
