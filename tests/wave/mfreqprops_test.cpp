#include "wave/mfreqprops.h"

#include <gtest/gtest.h>

#include <vector>

#include "fakes/fake_mfreq_editor.h"
#include "foundation/assertion.h"

namespace {

// The rows' periods in list order, read as the generator reads them.
std::vector<double> Periods(TMFreqRecordBrowser& rows) {
  std::vector<double> out;
  out.push_back(rows.GetRow()->Frequency.GetValue());
  while (rows.NextRecord()) out.push_back(rows.GetRow()->Frequency.GetValue());
  return out;
}

// Gives the record rows of the given periods through its dialog.
void FillRows(TMFreqProps& props, FakeMFreqEditor& dialog, const std::vector<double>& periods) {
  props.Rows.Open(&dialog);
  dialog.inputs.Frequency.SetValue(periods[0]);
  for (size_t i = 1; i < periods.size(); ++i) {
    props.Rows.Append();
    dialog.inputs.Frequency.SetValue(periods[i]);
  }
  ASSERT_TRUE(props.Rows.CloseOK());
}

}  // namespace

TEST(MFreqRecord, CopiesCloneEveryRow) {
  TMFreqProps source;
  FakeMFreqEditor dialog;
  FillRows(source, dialog, {0.001, 0.002, 0.004});
  source.Length.SetValue(5);
  source.DefFrequency = true;

  TMFreqProps copy(source);
  EXPECT_EQ(std::tuple(copy.Length.GetValue(), copy.DefFrequency, copy.Rows.GetCount()), std::tuple(5.0, true, 3));
  FillRows(copy, dialog, {0.01});  // edits the copy's current row
  EXPECT_EQ(Periods(copy.Rows), (std::vector<double>{0.001, 0.002, 0.01}));
  EXPECT_EQ(Periods(source.Rows), (std::vector<double>{0.001, 0.002, 0.004}));

  TMFreqProps assigned;
  assigned = source;
  TMFreqProps& same = assigned;
  assigned = same;
  EXPECT_EQ(Periods(assigned.Rows), (std::vector<double>{0.001, 0.002, 0.004}));
  EXPECT_DOUBLE_EQ(assigned.Length.GetValue(), 5);
}
