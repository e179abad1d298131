// The multi-frequency dialog's rows: browsing, editing, copying and deleting through the row
// browser into the generator, and what a bad row blocks.
#include "app/dialogs/DMFreq.h"

#include <gtest/gtest.h>

#include "app/fakes/dialog_controls.h"
#include "app/fakes/dialog_runner.h"
#include "wave/sound_helpers.h"

namespace {

// Cursor and count, then which of First, Previous, Next, Last, Delete, Paste are enabled.
std::string State(QWidget& dialog) {
  std::string state = Text(dialog, "editCursor") + "/" + Text(dialog, "editCount") + " ";
  for (const char* name :
       {"btnFirst", "btnPrevious", "btnNext", "btnLast", "btnDelete", "btnPaste"})
    state += Control<QPushButton>(dialog, name)->isEnabled() ? "1" : "0";
  return state;
}

std::vector<int16_t> Generated(const TMFreqProps& props) {
  bool abort = false;
  CreateSinusTable(abort);
  TUnitWave unit("", waveFileProps(1, 22050, 2));
  EXPECT_TRUE(unit.MakeMFreq(props));
  DeleteSinusTable();
  return Samples(unit.GetSound()->GetLeftWave());
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
      EXPECT_EQ(Text(dialog, "editFrequency") + Text(dialog, "editVolFactTime"), "1 s");
      Control(dialog, "editFrequency")->setText(hertz);
    }
    states.push_back(State(dialog));
    Press(dialog, "btnFirst");
    Press(dialog, "btnNext");
    Control(dialog, "editVolume")->setText("25%");
    Press(dialog, "btnCopy");
    Press(dialog, "btnDelete");  // the 300 Hz row takes its place, and the copy is pasted over it
    states.push_back(State(dialog));
    Press(dialog, "btnPaste");
    Press(dialog, "btnLast");
    states.push_back(State(dialog));
    Press(dialog, "btnFirst");
    states.push_back(State(dialog));
    Press(dialog, "OKBtn");
  });
  ASSERT_TRUE(sink.messages.empty() && dialog.result() == QDialog::Accepted);
  EXPECT_EQ(states, (std::vector<std::string>{"1/1 000000", "4/4 110010", "2/3 111111",
                                              "3/3 110011", "1/3 001111"}));
  EXPECT_EQ(dialog.GetProps().Rows.DlgMFreqProps, nullptr);

  TMFreqProps byHand = start;  // the rows the user made, made directly
  TBrowseRecord* first = nullptr;
  TBrowseRecord* last = nullptr;
  for (const auto& [volume, period] :
       {std::pair{0.5, 0.001}, {0.25, 1.0 / 200}, {0.5, 1.0 / 400}}) {
    auto* row = new TMFreqBrowseRecord;
    row->StartVolume.SetValue(volume);
    row->Frequency.SetValue(period);
    (last ? last->next : first) = row;
    row->previous = last;
    last = row;
  }
  byHand.Rows.SetRecords(first, 0);
  EXPECT_EQ(Generated(dialog.GetProps()), Generated(byHand));
  EXPECT_NE(Generated(dialog.GetProps()), Generated(start));
}

// The appended row lacks its angle: whatever saves it is refused, the rest still works.
TEST(MFreqDialog, ABadRowBlocksWhatSavesItAndNothingElse) {
  const std::pair<const char*, const char*> cases[] = {
      // button, state afterwards (null: blocked)
      {"btnFirst", nullptr}, {"btnAppend", nullptr}, {"btnCopy", nullptr}, {"OKBtn", nullptr},
      {"btnDelete", "1/1 000000"}, {"btnClear", "1/1 000000"}};
  for (const auto& [button, after] : cases) {
    SCOPED_TRACE(button);
    RecordingSink sink;
    TMFreqProps props;
    props.DefFrequency = true;
    props.DefAngle = false;
    TDlgMFreqProps dialog(nullptr, props);
    RunDialog(dialog, [&, button = button, after = after] {
      Press(dialog, "btnAppend");
      Press(dialog, button);
      EXPECT_EQ(State(dialog), after ? after : "2/2 110010");
      EXPECT_EQ(Text(dialog, "editFrequency"), "1 kHz");
    });
    EXPECT_EQ(sink.messages.size(), after ? 0u : 1u);
    for (const RecordedMessage& message : sink.messages) EXPECT_EQ(FieldOf(message), "Start Angle");
  }
}

// A Copy refused for a bad field keeps the row copied before: Paste stays and gives it back.
TEST(MFreqDialog, ARefusedCopyKeepsTheEarlierCopy) {
  RecordingSink sink;
  TMFreqProps props;
  props.DefFrequency = true;
  props.DefAngle = false;
  TDlgMFreqProps dialog(nullptr, props);
  RunDialog(dialog, [&] {
    Control(dialog, "editFrequency")->setText("200 Hz");
    Press(dialog, "btnCopy");
    Press(dialog, "btnAppend");  // the new row lacks its angle
    Press(dialog, "btnCopy");
    EXPECT_EQ(State(dialog), "2/2 110011");
    Press(dialog, "btnPaste");
    EXPECT_EQ(Text(dialog, "editFrequency"), "200 Hz");
  });
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(FieldOf(sink.messages[0]), "Start Angle");
}

// The whole dialog, its buttons at the right included, fits a screen of 1024 x 768 pixels.
TEST(MFreqDialog, FitsAScreenOf1024By768) {
  TDlgMFreqProps dialog(nullptr, TMFreqProps());
  RunDialog(dialog, [&] {
    const QRect frame = dialog.frameGeometry();
    EXPECT_TRUE(frame.width() <= 1024 && frame.height() <= 768) << frame.width() << "x" << frame.height();
    EXPECT_LE(dialog.findChild<QPushButton*>("HelpBtn")->geometry().right(), dialog.width());
  });
}
