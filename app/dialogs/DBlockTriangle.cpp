#include "app/dialogs/DBlockTriangle.h"

namespace {
constexpr uint8_t kAllButActive = 1;
}  // namespace

TDlgBlockTriangleProps::TDlgBlockTriangleProps(QWidget* owner, const std::string& caption,
                                               const TBlockTriangleProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle(QString::fromStdString(caption));
  SetHelpContext(6);
  // Tab finishes the shape column before the length column.
  ReadColumnsWhole();
  AddInput("editHeight1", "Height 1", Record.Height1, "Height 1");
  AddInput("editHeight2", "Height 2", Record.Height2, "Height 2");
  GroupRows("grpHeights", "Heights", 0);

  TChoice& horizontal = AddChoice(Record.BloTriHorKind);
  QRadioButton* optFrequency = AddOption(horizontal, "optFrequency", "Frequency");
  // Typing a frequency does not choose frequency mode; only its middle inputs do.
  AddOptionInput(horizontal, optFrequency, "editFrequency", "Frequency", Record.Frequency,
                 "Frequency", false);
  AddOptionRows(AddChoice(Record.MiddleKind, optFrequency),
                {{"optMiddleConstant", "Middle", "editMiddle", &Record.Middle, "Middle"},
                 {"optMiddleEnvelope", "Middle Envelope", "cboMiddleEnvelope", nullptr,
                  "Middle Envelope", &Record.MiddleEnvelope, kAllButActive}});
  QRadioButton* optTime = AddOption(horizontal, "optTime", "Wave in Time");
  AddOptionInput(horizontal, optTime, "editTime1", "Time 1", Record.Time1, "Time 1");
  AddOptionInput(horizontal, optTime, "editTime2", "Time 2", Record.Time2, "Time 2");

  MoveTo(1, 0);
  AddOptionRows(
      AddChoice(Record.LengthKind),
      {{"optLengthNew", "New Length", "editLengthNew", &Record.LengthNew, "Length New"},
       {"optLengthSameAs", "Same Length as", "cboLengthSameAs", nullptr, "Length Same As",
        &Record.LengthSameAs, kAllButActive},
       {"optLengthCount", "Count", "editLengthCount", &Record.LengthCount, "Length Count"}});
  AddInput("editStartPosition", "Start Position", Record.StartPosition, "Start Position");
  FitBody();
}
