#include "app/DRollOut.h"

namespace {
constexpr uint8_t kMonoButActive = 2;
}  // namespace

TDlgRollOutProps::TDlgRollOutProps(QWidget* owner, const TRollOutProps& props)
    : TSpeedLengthDlg(owner, props) {
  setWindowTitle("Roll out");
  SetHelpContext(46);
  AddInput("editSpeedFactor", "Speed Factor", Record.SpeedFactor, "Speed Factor");
  AddEnvelope("chkSpeedEnvelope", Record.SpeedEnvelopeUsed, "cboSpeedEnvelope",
              Record.SpeedEnvelope, "Speed Envelope", kMonoButActive);
  MoveTo(1, 0);
  AddLengthAndStart();
  FitBody();
}
