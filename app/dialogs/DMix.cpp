#include "app/dialogs/DMix.h"

#include "gui/controls.h"

TDlgMixProps::TDlgMixProps(QWidget* owner, const TMixProps& props) : TOperationDlg(owner, props) {
  setWindowTitle("Mix");
  SetHelpContext(4);
  dcommon::Named(AddRadioGroup("Place", {"Align Begin", "Align End", "Stretch"}, Record.Place),
                 "rgrPlace");
  FitBody();
}
