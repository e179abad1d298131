#include "app/dialogs/DUp.h"

TDlgUpProps::TDlgUpProps(QWidget* owner, const TUpProps& props) : TOperationDlg(owner, props) {
  setWindowTitle("Up / Down");
  SetHelpContext(19);
  AddInput("editAdd", "Add Value", Record.AddValue, "Add Value");
  FitBody();
}
