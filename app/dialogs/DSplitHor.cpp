#include "app/dialogs/DSplitHor.h"

#include "gui/controls.h"

namespace {

constexpr int kSplitHorHelp = 38;

}  // namespace

TDlgSplitHorProps::TDlgSplitHorProps(QWidget* owner, const TSplitHorProps& props)
    : TPropsDlg(owner, props) {
  setWindowTitle("Split Horizontally");
  SetHelpContext(kSplitHorHelp);
  rgrResult = AddRadioGroup("Result",
                            {"Three parts", "Two parts, both inclusive selected part",
                             "Two parts, both exclusive selected part"},
                            Record.Result);
  FitBody();
}
