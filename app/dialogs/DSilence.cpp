#include "app/dialogs/DSilence.h"

TDlgSilenceProps::TDlgSilenceProps(QWidget* owner, const TSilenceProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Make Silence");
  SetHelpContext(20);
  AddInput("editLength", "Length", Record.Length, "Length");
  FitBody();
}
