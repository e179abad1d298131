#include "app/dialogs/DLine.h"

#include "gui/controls.h"

TDlgLineProps::TDlgLineProps(QWidget* owner, const TLineProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Make Line");
  SetHelpContext(5);
  dcommon::Named(AddRadioGroup("Kind", {"Linear", "Exponential"}, Record.Kind), "rgrKind");
  AddInput("editBegin", "Begin Value", Record.BeginValue, "Begin Value");
  AddInput("editEnd", "End Value", Record.EndValue, "End Value");
  // An exponential line never reaches or crosses 0: both ends need the same sign.
  AddRule([this]() -> const char* {
    const int32_t product = int32_t{Record.BeginValue.GetValue()} * Record.EndValue.GetValue();
    return Record.Kind == 1 && product <= 0 ? linetext::kExponentialZero : nullptr;
  });
  AddInput("editLength", "Length", Record.Length, "Length");
  FitBody();
}
