// The multi-frequency dialog's rows: browsing, editing, copying and deleting through the row
// browser, what blocks on a bad row and what does not, and the rows reaching the generator.
#include <gtest/gtest.h>

#include <QPushButton>

#include "app/DMFreq.h"
#include "app/fakes/dialog_controls.h"
#include "app/fakes/dialog_runner.h"
#include "support/recording_sink.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

// Count and cursor, then which of First, Previous, Next, Last, Delete, Paste are enabled.
std::string State(QWidget& dialog) {
  std::string state = Text(dialog, "editCursor") + "/" + Text(dialog, "editCount") + " ";
  for (const char* name :
       {"btnFirst", "btnPrevious", "btnNext", "btnLast", "btnDelete", "btnPaste"}) {
    state += dialog.findChild<QPushButton*>(name)->isEnabled() ? "1" : "0";
  }
  return state;
}

// Start volume and period of every row, read as the generator reads them.
std::vector<std::pair<double, double>> Rows(const TMFreqProps& props) {
  TMFreqRecordBrowser rows(props.Rows);
  std::vector<std::pair<double, double>> values;
  do {
    values.emplace_back(rows.GetRow()->StartVolume.GetValue(), rows.GetRow()->Frequency.GetValue());
  } while (rows.NextRecord());
  return values;
}

std::vector<int16_t> Generated(const TMFreqProps& props) {
  bool abort = false;
  CreateSinusTable(abort);
  TUnitWave unit("", waveFileProps(1, 22050, 2));
  EXPECT_TRUE(unit.MakeMFreq(props));
  const Wave* wave = unit.GetSound()->GetLeftWave();
  std::vector<int16_t> samples(wave->wave, wave->wave + wave->values);
  DeleteSinusTable();
  return samples;
}

}  // namespace

TEST(MFreqDialog, AppendEditDeletePasteAndWalkReachTheGenerator) {
  RecordingSink sink;
  TMFreqProps start;
  start.Length.SetValue(0.05);
  TDlgMFreqProps dialog(nullptr, start);
  std::vector<std::string> states;
  RunDialog(dialog, [&] {
    states.push_back(State(dialog));
    for (const char* hertz : {"200 Hz", "300 Hz", "400 Hz"}) {
      Press(dialog, "btnAppend");
      // Only the frequency has no "Default" mark: it alone is emptied for the new row.
      EXPECT_EQ(Text(dialog, "editFrequency"), "");
      EXPECT_NE(Text(dialog, "editVolFactTime"), "");
      Control(dialog, "editFrequency")->setText(hertz);
    }
    states.push_back(State(dialog));
    Press(dialog, "btnFirst");
    Press(dialog, "btnNext");
    states.push_back(State(dialog));
    Control(dialog, "editVolume")->setText("25%");
    Press(dialog, "btnCopy");
    Press(dialog, "btnDelete");  // the 300 Hz row takes its place
    states.push_back(State(dialog));
    Press(dialog, "btnPaste");
    Press(dialog, "btnLast");
    states.push_back(State(dialog));
    Press(dialog, "btnFirst");
    states.push_back(State(dialog));
    Press(dialog, "OKBtn");
  });
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(states, (std::vector<std::string>{"1/1 000000", "4/4 110010", "2/4 111110",
                                              "2/3 111111", "3/3 110011", "1/3 001111"}));
  const TMFreqProps edited = dialog.GetProps();
  EXPECT_EQ(edited.Rows.DlgMFreqProps, nullptr);
  EXPECT_FALSE(edited.Rows.IsOpen);
  const auto rows = Rows(edited);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_DOUBLE_EQ(rows[1].first, 0.25);
  EXPECT_DOUBLE_EQ(rows[1].second, 1.0 / 200);
  EXPECT_DOUBLE_EQ(rows[2].second, 1.0 / 400);

  // The same rows made by hand give the same sound.
  TMFreqProps byHand = start;
  auto* first = new TMFreqBrowseRecord;
  auto* second = new TMFreqBrowseRecord;
  auto* third = new TMFreqBrowseRecord;
  second->StartVolume.SetValue(0.25);
  second->Frequency.SetValue(1.0 / 200);
  third->Frequency.SetValue(1.0 / 400);
  first->next = second;
  second->previous = first;
  second->next = third;
  third->previous = second;
  byHand.Rows.SetRecords(first, 0);
  EXPECT_EQ(Generated(edited), Generated(byHand));
  EXPECT_NE(Generated(edited), Generated(start));
}

// A bad row input blocks every button that saves the row; the others still work.
TEST(MFreqDialog, ABadRowBlocksWhatSavesItAndNothingElse) {
  struct Case {
    const char* press;
    bool blocked;
    const char* after;  // the state afterwards
  };
  const Case cases[] = {
      {"btnFirst", true, "2/2 110010"},  {"btnPrevious", true, "2/2 110010"},
      {"btnInsert", true, "2/2 110010"}, {"btnAppend", true, "2/2 110010"},
      {"btnCopy", true, "2/2 110010"},   {"OKBtn", true, "2/2 110010"},
      {"btnDelete", false, "1/1 000000"}, {"btnClear", false, "1/1 000000"},
      {"CancelBtn", false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.press);
    RecordingSink sink;
    TMFreqProps props;
    props.DefFrequency = true;
    props.DefAngle = false;
    TDlgMFreqProps dialog(nullptr, props);
    std::string after;
    RunDialog(dialog, [&] {
      Press(dialog, "btnAppend");
      EXPECT_EQ(Text(dialog, "editAngle"), "");
      Press(dialog, c.press);
      if (dialog.isVisible()) after = State(dialog);
    });
    ASSERT_EQ(sink.messages.size(), c.blocked ? 1u : 0u);
    if (c.blocked) {
      EXPECT_EQ(sink.messages.front().text.rfind("In Start Angle: ", 0), 0u);
    }
    if (c.after) {
      EXPECT_EQ(after, c.after);
    }
    // Whatever happened in the dialog, the caller's record never changed.
    EXPECT_EQ(Rows(props).size(), 1u);
  }
}

// Paste shows the copied row; only a save would store it, and Cancel saves nothing.
TEST(MFreqDialog, ClearLeavesOneDefaultRowAndAPasteIsNotKeptOnCancel) {
  RecordingSink sink;
  TMFreqProps props;
  TDlgMFreqProps clearing(nullptr, props);
  RunDialog(clearing, [&] {
    Press(clearing, "btnAppend");
    Control(clearing, "editFrequency")->setText("5 kHz");
    Press(clearing, "btnClear");
    EXPECT_EQ(Text(clearing, "editFrequency"), "1 kHz");
    Press(clearing, "OKBtn");
  });
  EXPECT_EQ(Rows(clearing.GetProps()), (std::vector<std::pair<double, double>>{{0.5, 0.001}}));

  TDlgMFreqProps pasting(nullptr, clearing.GetProps());
  RunDialog(pasting, [&] {
    Control(pasting, "editVolume")->setText("10%");
    Press(pasting, "btnCopy");
    Press(pasting, "btnAppend");
    Press(pasting, "btnPaste");
    EXPECT_EQ(Text(pasting, "editVolume"), "10 %");
    Press(pasting, "CancelBtn");
  });
  EXPECT_EQ(pasting.result(), QDialog::Rejected);
  EXPECT_FALSE(pasting.GetProps().Rows.IsOpen);
  EXPECT_EQ(Rows(pasting.GetProps()),
            (std::vector<std::pair<double, double>>{{0.1, 0.001}, {0.5, 0.001}}));
  EXPECT_TRUE(sink.messages.empty());
}
