#include "app/DSilence.h"

namespace {
constexpr int kSilenceHelp = 20;
}  // namespace

TDlgSilenceProps::TDlgSilenceProps(QWidget* owner, const TSilenceProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Make Silence");
  SetHelpContext(kSilenceHelp);
  editLength = AddInput("editLength", "Length", Record.Length, "Length");
  FitBody();
}
