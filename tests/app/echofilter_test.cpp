// The echo and filter dialogs: read order with one message per press, caption and help, inputs
// read only with their option, the random echo's pages and dice; and their commands on the road.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <map>

#include "app/DBlockFilter.h"
#include "app/DHighLow.h"
#include "app/DMFreq.h"
#include "app/DPerEcho.h"
#include "app/DResNotch.h"
#include "app/DRndEcho.h"
#include "app/fakes/dialog_controls.h"
#include "app/fakes/dialog_runner.h"
#include "app/fakes/main_window.h"
#include "app/fakes/recording_help.h"
#include "app/fakes/scripted_dialogs.h"
#include "foundation/random.h"
#include "support/recording_sink.h"
#include "wave/sound_helpers.h"

namespace {

// The dialog by name; `variant` picks the options that differ from the defaults.
std::unique_ptr<TDialogForm> MakeDialog(const std::string& which, const std::string& variant = "") {
  if (which == "per echo") {
    TPerEchoProps props;
    props.TimeEnvelopeUsed = variant == "time envelope";
    props.VolumeKind = variant == "volume envelope" ? 1 : 0;
    return std::make_unique<TDlgPerEchoProps>(nullptr, props);
  }
  if (which == "High Filter" || which == "Low Filter") {
    THighLowProps props;
    props.FreqKind = variant == "envelope" ? 1 : 0;
    return std::make_unique<TDlgHighLowProps>(nullptr, which, props);
  }
  if (which == "Resonant Filter" || which == "Notch Filter") {
    TResNotchProps props;
    props.WidthKind = variant == "width envelope" ? 1 : 0;
    return std::make_unique<TDlgResNotchProps>(nullptr, which, props);
  }
  if (which == "block filter") {
    TBlockFilterProps props;
    props.TimeEnvelopeUsed = variant == "envelope";
    return std::make_unique<TDlgBlockFilterProps>(nullptr, props);
  }
  if (which == "mfreq") return std::make_unique<TDlgMFreqProps>(nullptr, TMFreqProps());
  TRandomEchoProps props;  // the variant names the page whose envelope is chosen
  props.TimeKind = variant == "Time" ? 1 : 0;
  props.VolumeKind = variant == "Volume" ? 2 : 0;
  props.LengthKind = variant == "Length" ? 1 : 0;
  props.BalKind = variant == "Balance" ? 2 : 0;
  props.TempoKind = variant == "Tempo" ? 1 : 0;
  props.PitchKind = variant == "Pitch" ? 1 : 0;
  return std::make_unique<TDlgRandomEchoProps>(nullptr, props);
}

}  // namespace

TEST(EchoFilterDialogs, BadTextEverywhereIsReportedOneFieldPerPressInReadOrder) {
  using Fields = std::vector<std::pair<const char*, const char*>>;  // control, name in messages
  const Fields highLow{{"editFreqConstant", "Frequency"}, {"editFactor", "Volume Factor"},
                       {"editCount", "Count"}};
  const Fields resNotch{{"editFreqConstant", "Frequency Constant"},
                        {"editWidthConstant", "Width Constant"}};
  // clang-format off
  const std::tuple<const char*, const char*, int, Fields> cases[] = {
      {"per echo", "Period Echo", 12, {{"editTime", "Time"},
                                       {"editVolumeConstant", "Volume Constant"},
                                       {"editCount", "Count"}}},
      {"High Filter", "High Filter", 15, highLow},
      {"Low Filter", "Low Filter", 15, highLow},
      {"Resonant Filter", "Resonant Filter", 16, resNotch},
      {"Notch Filter", "Notch Filter", 16, resNotch},
      {"block filter", "Block Filter", 17, {{"editTimeConstant", "Block Time"}}},
      // A seed without digits reads as 0, so the seed is never reported here.
      {"random echo", "Random Echo", 13, {{"editTimeDiff", "Time Difference"},
                                          {"editCount", "Count"},
                                          {"editBlockSize", "Block Size"}}},
      {"mfreq", "Multi Frequency", 37, {{"editLength", "Length"},
                                        {"editVolume", "Start Volume"},
                                        {"editFrequency", "Frequency"},
                                        {"editAngle", "Start Angle"},
                                        {"editVolFact", "Volume Factor"},
                                        {"editVolFactTime", "Volume Factor at Time"}}}};
  // clang-format on
  for (const auto& [which, caption, helpContext, fields] : cases) {
    SCOPED_TRACE(which);
    RecordingSink sink;
    RecordingHelp help;
    std::unique_ptr<TDialogForm> dialog = MakeDialog(which);
    EXPECT_EQ(dialog->windowTitle().toStdString(), caption);
    std::vector<std::string> reported;
    const int result = RunDialog(*dialog, [&] {
      Press(*dialog, "HelpBtn");
      std::map<QLineEdit*, QString> shown;
      for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        shown[edit] = edit->text();
        edit->setText("x?");
      }
      for (size_t press = 0; press <= fields.size() && dialog->isVisible(); ++press) {
        sink.messages.clear();
        Press(*dialog, "OKBtn");
        if (sink.messages.size() != 1u || press == fields.size()) break;
        reported.push_back(FieldOf(sink.messages.front()));
        QLineEdit* edit = Control(*dialog, fields[press].first);
        edit->setText(shown[edit]);
      }
    });
    std::vector<std::string> expected;
    for (const auto& field : fields) expected.push_back(field.second);
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(help.calls, (std::vector<std::pair<int, int>>{{kHelpContext, helpContext}}));
  }
}

// No other wave is open, so every envelope that is read is refused; inputs of options that are
// not chosen are not read at all.
TEST(EchoFilterDialogs, EachOptionReadsItsOwnInputsAndNoOthers) {
  struct Case {
    const char* dialog;
    const char* variant;
    const char* control;  // typed into, which may choose its option
    const char* text;
    const char* message;  // the field named; null: accepted
    const char* silent = nullptr;  // set to a bad text without choosing its option
  };
  const Case cases[] = {
      {"per echo", "time envelope", "editTime", "20 ms", " Echo Time Envelope"},
      {"per echo", "volume envelope", "editCount", "2", " Echo Volume Envelope"},
      {"per echo", "volume envelope", "editVolumeConstant", "x?", "Volume Constant"},
      {"High Filter", "envelope", "editCount", "2", "Frequency Envelope", "editFactor"},
      {"Low Filter", "envelope", "editCount", "x?", "Frequency Envelope"},
      {"Low Filter", "envelope", "editFactor", "x?", "Volume Factor"},
      {"Notch Filter", "width envelope", "editFreqConstant", "5 ms", "Frequency Width Envelope"},
      {"Resonant Filter", "width envelope", "editWidthConstant", "2", "Width Constant"},
      {"block filter", "envelope", "editTimeConstant", "x?", "Block Time"},
      {"block filter", "envelope", "editTimeConstant", "-5 ms", "Envelope"},
      {"block filter", "", "editTimeConstant", "-5 ms", nullptr},
      {"random echo", "", "editFreqFactor", "x?", nullptr},
      {"random echo", "Pitch", "editFreqFactor", "x?", "Pitch - Frequency Factor"},
      {"random echo", "Pitch", "editFreqFactor", "-3", "Pitch - Random Envelope"},
      {"random echo", "Time", "editTimeDiff", "x?", "Time - Random Envelope"},
      {"random echo", "Volume", "editRandomSeed", "-4", "Volume - Random Envelope"},
      {"random echo", "Length", "editCount", "3", "Length - Random Envelope"},
      {"random echo", "Balance", "editCount", "3", "Balance - Random Envelope"},
      {"random echo", "Tempo", "editCount", "0", "Tempo - Random Envelope"},
      {"random echo", "", "editCount", "0", "Count"},
      {"random echo", "", "editRandomSeed", "99999999999", "Random Seed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dialog) + " [" + c.variant + "] " + c.control + " <- " + c.text);
    RecordingSink sink;
    std::unique_ptr<TDialogForm> dialog = MakeDialog(c.dialog, c.variant);
    const int result = RunDialog(*dialog, [&] {
      if (c.silent) Control(*dialog, c.silent)->setText("x?");
      Control(*dialog, c.control)->clear();
      QTest::keyClicks(Control(*dialog, c.control), c.text);
      Press(*dialog, "OKBtn");
    });
    EXPECT_EQ(result, c.message ? QDialog::Rejected : QDialog::Accepted);
    ASSERT_EQ(sink.messages.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(FieldOf(sink.messages.front()), c.message);
    }
  }
}

TEST(EchoFilterDialogs, RandomEchoKeepsItsPageAndDiceAndShowsTheTimeDifferenceAsRead) {
  TRandomEchoProps props;
  const char* sources[] = {"cboTimeSource",    "cboVolumeSource", "cboLengthSource",
                           "cboBalanceSource", "cboPitchSource",  "cboTempoSource"};
  for (int showing = 0; showing < 2; ++showing) {
    SCOPED_TRACE(showing);
    RecordingSink sink;
    TDlgRandomEchoProps dialog(nullptr, props);
    RunDialog(dialog, [&] {
      auto* pages = Control<QTabWidget>(dialog, "pgcEchoManip");
      EXPECT_EQ(pages->currentIndex(), showing == 0 ? 0 : 4);
      std::vector<std::string> tabs;
      for (int i = 0; i < pages->count(); ++i) tabs.push_back(pages->tabText(i).toStdString());
      EXPECT_EQ(tabs, (std::vector<std::string>{"Time", "Volume", "Length", "Balance", "Pitch",
                                                "Tempo"}));
      for (int i = 0; i < 6; ++i) {
        auto* combo = Control<QComboBox>(dialog, sources[i]);
        ASSERT_EQ(combo->count(), 6);
        EXPECT_EQ(combo->itemText(5).toStdString(), "Die 6");
        EXPECT_EQ(combo->currentIndex(), showing == 0 ? i : 5 - i);
        combo->setCurrentIndex(5 - i);
      }
      pages->setCurrentIndex(4);
      // A refused count comes after the time difference, which is shown again as it was read.
      Control(dialog, "editTimeDiff")->setText("2s");
      Control(dialog, "editCount")->setText("0");
      Press(dialog, "OKBtn");
      EXPECT_EQ(Control(dialog, "editTimeDiff")->text().toStdString(),
                dialog.GetProps().TimeDiff.Write());
      EXPECT_NE(Control(dialog, "editTimeDiff")->text().toStdString(), "2s");
      Control(dialog, "editCount")->setText("20");
      Press(dialog, "OKBtn");
    });
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    props = dialog.GetProps();
    EXPECT_EQ(props.ActivePage, 4);
    EXPECT_DOUBLE_EQ(props.TimeDiff.GetValue(), 2.0);
    EXPECT_EQ((std::vector<int32_t>{props.TimeSource, props.VolumeSource, props.LengthSource,
                                    props.BalSource, props.PitchSource, props.TempoSource}),
              (std::vector<int32_t>{5, 4, 3, 2, 1, 0}));
  }
}

namespace {

// A tenth of a second of saw, so that every change shows.
SoundPtr Saw() {
  std::vector<int16_t> samples(4410);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>((static_cast<int>(i) * 37) % 4000 - 2000);
  return MonoOf(samples, 44100);
}

std::vector<int16_t> Samples(const Sound* sound) { return Samples(sound->GetLeftWave()); }

class EchoFilterRoad : public MainWindowTest {
 protected:
  EchoFilterRoad() : MainWindowTest("echofilter") {}

  // A saved document in a new window with [100, 300) selected, and its twin outside the window.
  void Open() {
    auto unit = std::make_unique<TUnitWave>("", Saw());
    doc = unit.get();
    form->CreateMDIChildWave("doc", std::move(unit), TWaveViewProps(), TVoldViewProps());
    doc->SetSelRange(100, 300);
    twin = std::make_unique<TUnitWave>("", Saw());
    twin->SetSelRange(100, 300);
    form->DeleteUndo();
    sink.messages.clear();
  }
  void Trigger(const char* action) {
    form->Action(action)->setEnabled(true);
    form->Action(action)->trigger();
  }

  RecordingSink sink;
  TUnitWave* doc = nullptr;
  std::unique_ptr<TUnitWave> twin;
};

struct RoadRow {
  const char* action;
  const char* caption;
  const char* control;
  const char* typed;
  const char* refused;  // typed first: the dialog stays open with its message
  double value;  // what the typed text reads as
  double (*probe)(const TWaveOperationProps&);
  void (*direct)(TUnitWave&, const TWaveOperationProps&);
};

template <auto record, auto field, auto operation>
RoadRow Road(const char* action, const char* caption, const char* control, const char* typed,
             double value, const char* refused = "") {
  return {action, caption, control, typed, refused, value,
          [](const TWaveOperationProps& p) { return double(((p.*record).*field).GetValue()); },
          [](TUnitWave& u, const TWaveOperationProps& p) { (u.*operation)(p.*record); }};
}

}  // namespace

TEST_F(EchoFilterRoad, ConfirmedValuesReachBothRecordsAndTheOperationUnderUndoCancelChangesNothing) {
  using P = TWaveOperationProps;
  using U = TUnitWave;
  const RoadRow rows[] = {
      Road<&P::PerEcho, &TPerEchoProps::Time, &U::PerEcho>("PerEcho", "Period Echo", "editTime",
                                                             "20 ms", 0.02),
      Road<&P::FilterHigh, &THighLowProps::FreqConstant, &U::FilterHigh>(
          "FilterHigh", "High Filter", "editFreqConstant", "2 ms", 0.002),
      Road<&P::FilterLow, &THighLowProps::FreqConstant, &U::FilterLow>(
          "FilterLow", "Low Filter", "editFreqConstant", "2 ms", 0.002),
      Road<&P::FilterRes, &TResNotchProps::FreqConstant, &U::FilterRes>(
          "FilterRes", "Resonant Filter", "editFreqConstant", "2 ms", 0.002),
      Road<&P::FilterNotch, &TResNotchProps::FreqConstant, &U::FilterNotch>(
          "FilterNotch", "Notch Filter", "editFreqConstant", "2 ms", 0.002),
      Road<&P::FilterBlock, &TBlockFilterProps::TimeConstant, &U::FilterBlock>(
          "FilterBlock", "Block Filter", "editTimeConstant", "2 ms", 0.002),
      Road<&P::RandomEcho, &TRandomEchoProps::RandomSeed, &U::RndEcho>(
          "RndEcho", "Random Echo", "editRandomSeed", "7", 7, "-99999999999"),
      Road<&P::MFreq, &TMFreqProps::Length, &U::MakeMFreq>("MakeMFreq", "Multi Frequency",
                                                          "editLength", "20 ms", 0.02)};
  const auto probeAll = [&](const TWaveOperationProps& props) {
    std::vector<double> values;
    for (const RoadRow& row : rows) values.push_back(row.probe(props));
    return values;
  };
  for (const RoadRow& row : rows) {
    SCOPED_TRACE(row.action);
    Open();
    const Sound* before = doc->GetSound();
    std::vector<double> expected = probeAll(form->LastUsedProps);
    {
      ScriptedDialogs cancel([&](TDialogForm& dialog) {
        Control(dialog, row.control)->setText(row.typed);
        Press(dialog, "CancelBtn");
      });
      Trigger(row.action);
      EXPECT_EQ(cancel.captions, std::vector<std::string>{row.caption});
    }
    EXPECT_EQ(probeAll(form->LastUsedProps), expected);
    EXPECT_EQ(probeAll(doc->GetProps()), probeAll(twin->GetProps()));
    EXPECT_FALSE(form->UndoUnit.Exists());
    EXPECT_EQ(doc->GetSound(), before);
    ScriptedDialogs ok([&](TDialogForm& dialog) {
      Control(dialog, row.control)->setText(row.refused);
      Press(dialog, "OKBtn");
      EXPECT_TRUE(dialog.isVisible());
      Control(dialog, row.control)->setText(row.typed);
      Press(dialog, "OKBtn");
    });
    RandomSeed(11);
    Trigger(row.action);
    EXPECT_EQ(sink.messages.size(), 1u);
    // Only this operation's record moved, in both sets.
    expected[static_cast<size_t>(&row - rows)] = row.value;
    EXPECT_EQ(probeAll(form->LastUsedProps), expected);
    EXPECT_DOUBLE_EQ(row.probe(doc->GetProps()), row.value);
    EXPECT_TRUE(form->UndoUnit.Holds(before));
    EXPECT_EQ(doc->GetState(), kUnitStateModified);
    EXPECT_EQ(ScreenCursor(), crDefault);
    // The random echo draws from its own seed, whatever the shared sequence did meanwhile.
    RandomSeed(row.value == 7 ? 12345 : 11);
    row.direct(*twin, form->LastUsedProps);
    EXPECT_EQ(Samples(doc->GetSound()), Samples(twin->GetSound()));
    EXPECT_NE(Samples(doc->GetSound()), Samples(before));
  }
}

// The echo takes the whole wave whatever is selected; one seed always gives one sound.
TEST_F(EchoFilterRoad, RandomEchoOfTheSameSeedIsTheSameSound) {
  const std::tuple<int, int, bool> cases[] = {{7, 7, true}, {7, 8, false}, {-3, -3, true}};
  for (const auto& [seed, otherSeed, same] : cases) {
    SCOPED_TRACE(std::to_string(seed) + " / " + std::to_string(otherSeed));
    Open();
    twin->SetSelRange(0, 0);
    ScriptedDialogs ok([&](TDialogForm& dialog) {
      Control(dialog, "editRandomSeed")->setText(QString::number(seed));
      Press(dialog, "OKBtn");
    });
    Trigger("RndEcho");
    TRandomEchoProps props = form->LastUsedProps.RandomEcho;
    props.RandomSeed.SetValue(otherSeed);
    RandomSeed(static_cast<uint32_t>(seed) + 100);
    twin->RndEcho(props);
    EXPECT_EQ(Samples(doc->GetSound()) == Samples(twin->GetSound()), same);
    EXPECT_GT(doc->GetSound()->GetValues(), 4410);
  }
}
