#include "app/DBlockTriangle.h"

namespace {
constexpr int kBlockTriangleHelp = 6;
constexpr uint8_t kAllButActive = 1;
}  // namespace

TDlgBlockTriangleProps::TDlgBlockTriangleProps(QWidget* owner, const std::string& caption,
                                               const TBlockTriangleProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle(QString::fromStdString(caption));
  SetHelpContext(kBlockTriangleHelp);
  editHeight1 = AddInput("editHeight1", "Height 1", Record.Height1, "Height 1");
  editHeight2 = AddInput("editHeight2", "Height 2", Record.Height2, "Height 2");

  TChoice& horizontal = AddChoice(Record.BloTriHorKind);
  optFrequency = AddOption(horizontal, "optFrequency", "Frequency", false);
  // Typing a frequency does not choose frequency mode; only its middle inputs do.
  editFrequency = AddOptionInput(horizontal, optFrequency, "editFrequency", nullptr,
                                 Record.Frequency, "Frequency", false);
  TChoice& middle = AddChoice(Record.MiddleKind, optFrequency);
  optMiddleConstant = AddOption(middle, "optMiddleConstant", "Middle", false);
  editMiddle = AddOptionInput(middle, optMiddleConstant, "editMiddle", nullptr, Record.Middle,
                              "Middle");
  optMiddleEnvelope = AddOption(middle, "optMiddleEnvelope", "Middle Envelope", false);
  cboMiddleEnvelope = AddOptionWave(middle, optMiddleEnvelope, "cboMiddleEnvelope",
                                    Record.MiddleEnvelope, "Middle Envelope", kAllButActive);
  optTime = AddOption(horizontal, "optTime", "Wave in Time");
  editTime1 = AddOptionInput(horizontal, optTime, "editTime1", "Time 1", Record.Time1, "Time 1");
  editTime2 = AddOptionInput(horizontal, optTime, "editTime2", "Time 2", Record.Time2, "Time 2");

  MoveTo(1, 0);
  TChoice& length = AddChoice(Record.LengthKind);
  optLengthNew = AddOption(length, "optLengthNew", "New Length", false);
  editLengthNew = AddOptionInput(length, optLengthNew, "editLengthNew", nullptr, Record.LengthNew,
                                 "Length New");
  optLengthSameAs = AddOption(length, "optLengthSameAs", "Same Length as", false);
  cboLengthSameAs = AddOptionWave(length, optLengthSameAs, "cboLengthSameAs", Record.LengthSameAs,
                                  "Length Same As", kAllButActive);
  optLengthCount = AddOption(length, "optLengthCount", "Count", false);
  editLengthCount = AddOptionInput(length, optLengthCount, "editLengthCount", nullptr,
                                   Record.LengthCount, "Length Count");
  editStartPosition =
      AddInput("editStartPosition", "Start Position", Record.StartPosition, "Start Position");
  FitBody();
}
