#include "app/dialogs/DRollOut.h"

namespace {
constexpr uint8_t kMonoButActive = 2;
}  // namespace

TDlgRollOutProps::TDlgRollOutProps(QWidget* owner, const TRollOutProps& props)
    : TSpeedLengthDlg(owner, props) {
  setWindowTitle("Roll out");
  SetHelpContext(46);
  // The speed with its envelope is a group, and Tab finishes it before the length column.
  ReadColumnsWhole();
  AddInput("editSpeedFactor", "Factor", Record.SpeedFactor, "Speed Factor");
  AddEnvelope("chkSpeedEnvelope", Record.SpeedEnvelopeUsed, "cboSpeedEnvelope",
              Record.SpeedEnvelope, "Speed Envelope", kMonoButActive);
  GroupRows("grpSpeed", "Speed", 0);
  MoveTo(1, 0);
  AddLengthAndStart();
  FitBody();
}
