// The view settings records and their two dialogs.
#include "app/dialogs/ViewProps.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <tuple>

#include "app/dialogs/DVoldViewProps.h"
#include "app/dialogs/DWaveViewProps.h"
#include "app/fakes/dialog_runner.h"
#include "gui/controls.h"
#include "support/recording_sink.h"

TEST(ViewProps, EqualityComparesFieldsByValueNotByUnit) {
  TVoldViewProps inHertz;
  inHertz.TopFreq = unitTimePosMore(1.0 / 20000, kUnitHertz);
  EXPECT_TRUE(inHertz == TVoldViewProps());
  // A unit-carrying field and a plain one of each record: a field left out of the comparison
  // would let Use as Default and the redraw check miss a change.
  TWaveViewProps wave;
  wave.Strength.SetValue(2);
  TVoldViewProps vold;
  vold.CursorColor = 1;
  EXPECT_TRUE(wave != TWaveViewProps() && vold != TVoldViewProps());
}

// Use as Default stores only a passed result, and only when checked: the volume diagram's test
// looks at the other cases of the switch both dialogs share.
TEST(WaveViewDialog, ShowsTheRecordSwitchesStrengthAndGridColourAndUsesTheResultAsDefault) {
  RecordingSink sink;
  TWaveViewProps given, defaults;
  given.DrawGrid = 0;
  given.Combine = 2;
  given.GridColor = 0x123456;
  TDlgWaveViewProps dialog(nullptr, given, &defaults);
  RunDialog(dialog, [&] {
    dialog.chkUseAsDefault->setChecked(true);
    EXPECT_EQ(std::tuple(dialog.windowTitle(), dialog.HelpContext(), dialog.rgrDraw->ItemIndex(),
                         dialog.rgrCombine->ItemIndex(), dialog.colbGrid->Selected()),
              std::tuple(QString("Wave View"), 23, 0, 2, 0x123456u));
    EXPECT_EQ(std::tuple(dialog.colbLeft->currentText(), dialog.editValuesPerPixel->text(),
                         dialog.editStrength->maxLength()),
              std::tuple(QString("Red"), QString("15"), 99));
    EXPECT_FALSE(dialog.editStrength->isEnabled() || dialog.colbGrid->isEnabled());
    dialog.rgrDraw->Button(1)->click();
    EXPECT_TRUE(dialog.editStrength->isEnabled());
    dialog.chkDrawGrid->click();
    dialog.chk2Waves->click();  // unchecked: stereo in one band
    EXPECT_TRUE(dialog.colbGrid->isEnabled());
    dialog.editStrength->setText("50 %");
    dialog.colbBackground->SetSelected(0x00FFFF);
    dialog.editValuesPerPixel->setText("0");
    dialog.OKBtn->click();
    dialog.editValuesPerPixel->setText("15");
    dialog.OKBtn->click();
  });
  EXPECT_EQ(
      sink.messages,
      (std::vector<RecordedMessage>{{"In Values per Pixel: Value must be positive and more than 0.",
                                     "Input Error", kMbOk | kMbIconInformation}}));
  const TWaveViewProps taken = dialog.GetProps();
  EXPECT_EQ(std::tuple(+taken.DrawKind, +taken.DrawGrid, +taken.TwoWaves, taken.BackgroundColor,
                       taken.Strength.GetValue(), taken.Strength.Write()),
            std::tuple(1, 1, 0, 0x00FFFFu, 0.5, "50 %"));
  EXPECT_EQ(defaults, taken);
}

namespace {

// Runs the volume-diagram dialog of a document at `rate`, typing top and bottom; answers the
// boxes shown and whether the dialog stayed open.
struct VoldRun {
  std::string shownTop;
  std::vector<std::string> messages;
  bool stayedOpen = false;
  TVoldViewProps taken;
};

VoldRun RunVold(int32_t rate, const char* top, const char* bottom,
                const TVoldViewProps& given = TVoldViewProps()) {
  RecordingSink sink;
  TVoldViewProps defaults;
  TDlgVoldViewProps dialog(nullptr, given, &defaults, rate);
  VoldRun run;
  RunDialog(dialog, [&] {
    run.shownTop = dialog.editTop->text().toStdString();
    dialog.editTop->setText(top);
    dialog.editBottom->setText(bottom);
    dialog.OKBtn->click();
    run.stayedOpen = dialog.isVisible();
  });
  for (const RecordedMessage& m : sink.messages) run.messages.push_back(m.text);
  run.taken = dialog.GetProps();
  EXPECT_EQ(defaults, TVoldViewProps());  // Use as Default was left unchecked
  return run;
}

}  // namespace

TEST(VoldViewDialog, ShowLowersToHalfTheRateWhileOkAcceptsUpToTheRate) {
  const VoldRun lowered = RunVold(22050, "20 kHz", "20 Hz");
  EXPECT_EQ(lowered.shownTop, "11.025 kHz");
  EXPECT_TRUE(!lowered.stayedOpen && lowered.messages.empty());
  EXPECT_DOUBLE_EQ(lowered.taken.TopFreq.GetValue(), 1.0 / 20000);
  // Without a rate nothing is lowered and nothing is too high.
  const VoldRun noRate = RunVold(0, "90 kHz", "20 Hz");
  EXPECT_EQ(noRate.shownTop, "20 kHz");
  EXPECT_FALSE(noRate.stayedOpen);
}

TEST(VoldViewDialog, FrequencyChecksRefuseOnlyWhatTheyMust) {
  struct Case { const char *top, *bottom, *message; } cases[] = {  // a null message: accepted
      {"30 kHz", "20 Hz", voldtext::kTopTooHigh},
      {"22050 Hz", "20 Hz", nullptr},
      {"440 Hz", "440 Hz", voldtext::kSameTopBottom},
      {"100 Hz", "2 kHz", nullptr},  // bottom above top is allowed
      {"20 kHz", "23 kHz", voldtext::kBottomTooHigh},
      {"30 kHz", "30 kHz", voldtext::kTopTooHigh},  // one box per press
      {"20 kHz", "", "In Bottom Frequency: Input has no value."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.top) + " / " + c.bottom);
    const VoldRun run = RunVold(22050, c.top, c.bottom);
    EXPECT_EQ(std::pair(run.stayedOpen, run.messages),
              std::pair(c.message != nullptr, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}));
  }
}

TEST(VoldViewDialog, FieldsAreReadInOrderAndUseAsDefaultKeepsThem) {
  RecordingSink sink;
  TVoldViewProps defaults;
  TDlgVoldViewProps dialog(nullptr, TVoldViewProps(), &defaults, 44100);
  RunDialog(dialog, [&] {
    EXPECT_EQ(std::pair(dialog.windowTitle(), dialog.HelpContext()), std::pair(QString("Volume Diagram"), 3));
    dialog.editStrength->setText("0");
    dialog.editVertical->setText("0");
    dialog.chkUseAsDefault->setChecked(true);
    dialog.OKBtn->click();
    EXPECT_EQ(defaults, TVoldViewProps());
    dialog.editStrength->setText("2");
    dialog.OKBtn->click();
    dialog.editVertical->setText("80");
    dialog.rgrSensitivity->SetItemIndex(3);
    dialog.OKBtn->click();
    EXPECT_FALSE(dialog.isVisible());
  });
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text + " / " + sink.messages[1].text,
            "In Strength: Value must be positive and more than 0. / "
            "In Vertical Resolution: Value must be positive and more than 0.");
  EXPECT_EQ(std::tuple(defaults.VerticalResolution.GetValue(), +defaults.Sensitivity,
                       defaults.Strength.GetValue()),
            std::tuple(80, 3, 2.0));
}
