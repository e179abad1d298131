#include "app/dialogs/DDistort.h"

namespace {
constexpr uint8_t kAllButActive = 1;
}  // namespace

TDlgDistortProps::TDlgDistortProps(QWidget* owner, const TDistortProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Distort");
  SetHelpContext(45);
  dcommon::Named(
      AddWaveCombo("Distort Envelope", Record.DistortEnvelope, "Distort Envelope", kAllButActive),
      "cboDistortEnvelope");
  FitBody();
}
