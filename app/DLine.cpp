#include "app/DLine.h"

#include <cstdint>

#include "gui/controls.h"

namespace {
constexpr int kLineHelp = 5;
constexpr uint8_t kExponential = 1;
}  // namespace

TDlgLineProps::TDlgLineProps(QWidget* owner, const TLineProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Make Line");
  SetHelpContext(kLineHelp);
  rgrKind = dcommon::Named(AddRadioGroup("Kind", {"Linear", "Exponential"}, Record.Kind), "rgrKind");
  editBegin = AddInput("editBegin", "Begin Value", Record.BeginValue, "Begin Value");
  editEnd = AddInput("editEnd", "End Value", Record.EndValue, "End Value");
  // An exponential line never reaches or crosses 0: both ends need the same sign.
  AddRule([this]() -> const char* {
    const int32_t product = int32_t{Record.BeginValue.GetValue()} * Record.EndValue.GetValue();
    return Record.Kind == kExponential && product <= 0 ? linetext::kExponentialZero : nullptr;
  });
  editLength = AddInput("editLength", "Length", Record.Length, "Length");
  FitBody();
}
