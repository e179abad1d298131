#include "app/DSinus.h"

namespace {
constexpr int kSinusHelp = 7;
}  // namespace

TDlgSinusProps::TDlgSinusProps(QWidget* owner, const TSinusProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Make Sinus");
  SetHelpContext(kSinusHelp);
  TChoice& length = AddChoice(Record.LengthKind);
  optLength = AddOption(length, "optLength", "Length", false);
  editLength = AddOptionInput(length, optLength, "editLength", nullptr, Record.Length, "Length");
  optCount = AddOption(length, "optCount", "Count", false);
  editCount = AddOptionInput(length, optCount, "editCount", nullptr, Record.Count, "Count");
  editAmplitude = AddInput("editAmplitude", "Amplitude", Record.Amplitude, "Amplitude");
  editFrequency = AddInput("editFrequency", "Frequency", Record.Frequency, "Frequency");
  editStartPhase = AddInput("editStartPhase", "Start Phase", Record.StartPhase, "Start Phase");
  FitBody();
}
