// The echo and filter dialogs: read order with one message per press, caption and help, inputs
// read only with their option, the random echo's pages and dice; and their commands on the road.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QTabWidget>
#include <QTest>
#include <map>

#include "app/dialogs/DBlockFilter.h"
#include "app/dialogs/DHighLow.h"
#include "app/dialogs/DMFreq.h"
#include "app/dialogs/DPerEcho.h"
#include "app/dialogs/DResNotch.h"
#include "app/dialogs/DRndEcho.h"
#include "app/fakes/dialog_controls.h"
#include "app/fakes/dialog_runner.h"
#include "app/fakes/main_window.h"
#include "app/fakes/recording_help.h"
#include "foundation/random.h"
#include "support/layout_check.h"
#include "wave/sound_helpers.h"

namespace {

// The dialog of a caption, at its record's defaults.
std::unique_ptr<TDialogForm> MakeDialog(const std::string& caption) {
  if (caption == "Period Echo") return std::make_unique<TDlgPerEchoProps>(nullptr, TPerEchoProps());
  if (caption == "High Filter" || caption == "Low Filter")
    return std::make_unique<TDlgHighLowProps>(nullptr, caption, THighLowProps());
  if (caption == "Resonant Filter" || caption == "Notch Filter")
    return std::make_unique<TDlgResNotchProps>(nullptr, caption, TResNotchProps());
  if (caption == "Block Filter")
    return std::make_unique<TDlgBlockFilterProps>(nullptr, TBlockFilterProps());
  if (caption == "Multi Frequency") return std::make_unique<TDlgMFreqProps>(nullptr, TMFreqProps());
  return std::make_unique<TDlgRandomEchoProps>(nullptr, TRandomEchoProps());
}

}  // namespace

TEST(EchoFilterDialogs, BadTextEverywhereIsReportedOneFieldPerPressInReadOrder) {
  using Fields = std::vector<const char*>;  // control and name in messages, in turn
  const Fields highLow{"editFreqConstant", "Frequency", "editFactor",
                       "Volume Factor",    "editCount", "Count"};
  const Fields resNotch{"editFreqConstant", "Frequency Constant", "editWidthConstant",
                        "Width Constant"};
  // A seed without digits reads as 0, so the random echo never reports its seed here.
  const std::tuple<const char*, int, Fields> cases[] = {
      {"Period Echo",
       12,
       {"editTime", "Time", "editVolumeConstant", "Volume Constant", "editCount", "Count"}},
      {"High Filter", 15, highLow},
      {"Resonant Filter", 16, resNotch},
      {"Block Filter", 17, {"editTimeConstant", "Block Time"}},
      {"Random Echo",
       13,
       {"editTimeDiff", "Time Difference", "editCount", "Count", "editBlockSize", "Block Size"}},
      {"Multi Frequency",
       37,
       {"editLength", "Length", "editVolume", "Start Volume", "editFrequency", "Frequency",
        "editAngle", "Start Angle", "editVolFact", "Volume Factor", "editVolFactTime",
        "Volume Factor at Time"}}};
  for (const auto& [caption, helpContext, fields] : cases) {
    SCOPED_TRACE(caption);
    RecordingSink sink;
    RecordingHelp help;
    auto dialog = MakeDialog(caption);
    std::vector<std::string> reported;
    const int result = RunDialog(*dialog, [&] {
      Press(*dialog, "HelpBtn");
      std::map<QLineEdit*, QString> shown;
      for (QLineEdit* edit : dialog->findChildren<QLineEdit*>())
        shown[edit] = edit->text(), edit->setText("x?");
      for (size_t press = 0; press <= fields.size() / 2 && dialog->isVisible(); ++press) {
        sink.messages.clear();
        Press(*dialog, "OKBtn");
        if (sink.messages.size() != 1u || 2 * press == fields.size()) break;
        reported.push_back(FieldOf(sink.messages.front()));
        QLineEdit* edit = Control(*dialog, fields[2 * press]);
        edit->setText(shown[edit]);
      }
    });
    std::vector<std::string> expected;
    for (size_t i = 1; i < fields.size(); i += 2) expected.push_back(fields[i]);
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(help.calls, (std::vector<std::pair<int, int>>{{kHelpContext, helpContext}}));
  }
}

TEST(EchoFilterDialogs, LabelsAndFieldsLieInsideTheFormAndApart) {
  for (const char* caption : {"Period Echo", "High Filter", "Resonant Filter", "Block Filter",
                              "Random Echo", "Multi Frequency"}) {
    SCOPED_TRACE(caption);
    auto dialog = MakeDialog(caption);
    RunDialog(*dialog, [&] {
      QApplication::processEvents();
      EXPECT_EQ(LayoutFaults(*dialog), std::vector<std::string>{});
    });
  }
  // The high and low filters' constant option reads by the group beside its button.
  auto dialog = MakeDialog("High Filter");
  const auto* group = dialog->findChild<QGroupBox*>("grpConstant");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->title().toStdString(), "Constant");
  EXPECT_TRUE(group->isAncestorOf(Control(*dialog, "editFreqConstant")) &&
              group->isAncestorOf(Control(*dialog, "editFactor")));
}

// No other wave is open, so an envelope that is read is refused. A button is clicked first; then
// a text is typed, which may choose its option, after `silent` got a bad text that chooses none.
TEST(EchoFilterDialogs, EachOptionReadsItsOwnInputsAndNoOthers) {
  struct Case { const char *dialog, *click, *control, *text, *message, *silent; };  // message null: accepted
  const Case cases[] = {
      {"Period Echo", "chkTimeEnvelope", "editTime", "20 ms", " Echo Time Envelope", nullptr},
      {"Period Echo", "optVolumeEnvelope", "editVolumeConstant", "x?", "Volume Constant", nullptr},
      {"High Filter", "optFreqEnvelope", "editCount", "2", "Frequency Envelope", "editFactor"},
      {"Notch Filter", "optWidthEnvelope", "editFreqConstant", "5 ms", "Frequency Width Envelope",
       nullptr},
      {"Block Filter", "chkTimeEnvelope", "editTimeConstant", "-5 ms", "Envelope", nullptr},
      {"Random Echo", "optPitchNoChange", "editCount", "3", nullptr, "editFreqFactor"},
      {"Random Echo", "optPitchEnvelope", "editFreqFactor", "-3", "Pitch - Random Envelope",
       nullptr},
      {"Random Echo", "optBalEnvelope", "editCount", "3", "Balance - Random Envelope", nullptr},
      {"Random Echo", "optTimeLinear", "editRandomSeed", "99999999999", "Random Seed", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dialog) + " " + c.click + ", " + c.control + " <- " + c.text);
    RecordingSink sink;
    auto dialog = MakeDialog(c.dialog);
    const int result = RunDialog(*dialog, [&] {
      Control<QAbstractButton>(*dialog, c.click)->click();
      if (c.silent) Control(*dialog, c.silent)->setText("x?");
      Control(*dialog, c.control)->clear();
      QTest::keyClicks(Control(*dialog, c.control), c.text);
      Press(*dialog, "OKBtn");
    });
    EXPECT_EQ(result, c.message ? QDialog::Rejected : QDialog::Accepted);
    std::vector<std::string> fields;
    for (const RecordedMessage& shown : sink.messages) fields.push_back(FieldOf(shown));
    EXPECT_EQ(fields, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
  }
}

// Twice: the second dialog opens on the page and dice the first one was left with.
TEST(EchoFilterDialogs, RandomEchoKeepsItsPageAndDiceAndShowsTheTimeDifferenceAsRead) {
  TRandomEchoProps props;
  for (int showing = 0; showing < 2; ++showing) {
    RecordingSink sink;
    TDlgRandomEchoProps dialog(nullptr, props);
    RunDialog(dialog, [&] {
      auto* pages = Control<QTabWidget>(dialog, "pgcEchoManip");
      EXPECT_EQ(pages->currentIndex(), 4 * showing);
      const char* dice[] = {"cboTimeSource", "cboVolumeSource", "cboLengthSource",
                            "cboBalSource",  "cboPitchSource",  "cboTempoSource"};
      for (int i = 0; i < 6; ++i) {
        auto* die = Control<QComboBox>(dialog, dice[i]);
        EXPECT_EQ(std::pair(die->count(), die->currentText().toStdString()),
                  std::pair(6, "Die " + std::to_string(showing ? 6 - i : i + 1)));
        die->setCurrentIndex(5 - i);
      }
      pages->setCurrentIndex(4 - 4 * showing);  // the first page is kept as well
      // A count refused after the time difference: that is shown again as it was read.
      Control(dialog, "editTimeDiff")->setText("2s");
      Control(dialog, "editCount")->setText("0");
      Press(dialog, "OKBtn");
      EXPECT_EQ(Text(dialog, "editTimeDiff"), dialog.GetProps().TimeDiff.Write());
      Control(dialog, "editCount")->setText("20");
      Press(dialog, "OKBtn");
    });
    props = dialog.GetProps();
    EXPECT_EQ(std::tuple(props.ActivePage, props.BalSource), std::tuple(4 - 4 * showing, 2));
  }
}

namespace {

class EchoFilterRoad : public MainWindowTest {
 protected:
  EchoFilterRoad() : MainWindowTest("echofilter") {}
};

// A tenth of a second of saw, so that every change shows.
SoundPtr Saw() { return MonoOf(Sawtooth(4410, 37), 44100); }

struct RoadRow {
  const char *action, *caption, *control, *refused, *typed;
  double value;  // what the typed text reads as
  double (*probe)(const TWaveOperationProps&);
  void (*direct)(TUnitWave&, const TWaveOperationProps&);
};

template <auto record, auto field, auto operation>
RoadRow Road(const char* action, const char* caption, const char* control, const char* typed,
             double value, const char* refused = "") {
  const auto probe = [](const TWaveOperationProps& p) {
    return double(((p.*record).*field).GetValue());
  };
  const auto direct = [](TUnitWave& u, const TWaveOperationProps& p) { (u.*operation)(p.*record); };
  return {action, caption, control, refused, typed, value, probe, direct};
}

}  // namespace

// Cancel first, then a refused text and the typed one; the random echo takes the whole wave and
// draws from its own seed only, whatever the shared sequence did before.
TEST_F(EchoFilterRoad,
       ConfirmedValuesReachBothRecordsAndTheOperationUnderUndoCancelChangesNothing) {
  using P = TWaveOperationProps;
  using U = TUnitWave;
  // clang-format off
  const RoadRow rows[] = {
      Road<&P::PerEcho, &TPerEchoProps::Time, &U::PerEcho>(
          "PerEcho", "Period Echo", "editTime", "20 ms", 0.02),
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
      Road<&P::MFreq, &TMFreqProps::Length, &U::MakeMFreq>(
          "MakeMFreq", "Multi Frequency", "editLength", "20 ms", 0.02)};
  // clang-format on
  const auto probeAll = [&](const TWaveOperationProps& props) {
    std::vector<double> values;
    for (const RoadRow& row : rows) values.push_back(row.probe(props));
    return values;
  };
  for (const RoadRow& row : rows) {
    SCOPED_TRACE(row.action);
    RecordingSink sink;
    auto owned = std::make_unique<TUnitWave>("", Saw());
    TUnitWave* doc = owned.get();
    form->CreateMDIChildWave("doc", std::move(owned), TWaveViewProps(), TVoldViewProps());
    TUnitWave twin("", Saw());
    doc->SetSelRange(100, 300);
    twin.SetSelRange(100, 300);
    form->DeleteUndo();
    const Sound* before = doc->GetSound();
    std::vector<double> expected = probeAll(form->LastUsedProps);
    std::vector<std::string> captions;
    for (const bool confirm : {false, true}) {
      ScopedModalRunner runner([&](QDialog& shown) {
        captions.push_back(shown.windowTitle().toStdString());
        shown.show();
        Control(shown, row.control)->setText(confirm ? row.refused : row.typed);
        Press(shown, confirm ? "OKBtn" : "CancelBtn");
        EXPECT_EQ(shown.isVisible(), confirm);
        if (confirm) Control(shown, row.control)->setText(row.typed), Press(shown, "OKBtn");
        return shown.result();
      });
      RandomSeed(11);
      form->Action(row.action)->setEnabled(true);
      form->Action(row.action)->trigger();
      if (confirm) break;
      EXPECT_EQ(probeAll(form->LastUsedProps), expected);
      EXPECT_EQ(std::tuple(form->UndoUnit.Exists(), doc->GetSound()), std::tuple(false, before));
    }
    EXPECT_EQ(std::pair(captions, sink.messages.size()), std::pair(std::vector<std::string>(2, row.caption), size_t{1}));
    expected[static_cast<size_t>(&row - rows)] = row.value;  // only this operation's record moved
    EXPECT_EQ(probeAll(form->LastUsedProps), expected);
    EXPECT_TRUE(form->UndoUnit.Holds(before) && doc->GetState() == kUnitStateModified);
    RandomSeed(12345);
    if (row.value == 7) twin.SetSelRange(0, 0);
    row.direct(twin, form->LastUsedProps);
    EXPECT_EQ(Samples(doc->GetSound()->GetLeftWave()), Samples(twin.GetSound()->GetLeftWave()));
    EXPECT_NE(Samples(doc->GetSound()->GetLeftWave()), Samples(before->GetLeftWave()));
  }
}
