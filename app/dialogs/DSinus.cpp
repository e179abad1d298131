#include "app/dialogs/DSinus.h"

TDlgSinusProps::TDlgSinusProps(QWidget* owner, const TSinusProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Make Sinus");
  SetHelpContext(7);
  AddOptionRows(AddChoice(Record.LengthKind),
                {{"optLength", "Length", "editLength", &Record.Length, "Length"},
                 {"optCount", "Count", "editCount", &Record.Count, "Count"}});
  AddInput("editAmplitude", "Amplitude", Record.Amplitude, "Amplitude");
  AddInput("editFrequency", "Frequency", Record.Frequency, "Frequency");
  AddInput("editStartPhase", "Start Phase", Record.StartPhase, "Start Phase");
  FitBody();
}
