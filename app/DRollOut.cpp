#include "app/DRollOut.h"

namespace {
constexpr uint8_t kAllButActive = 1;
constexpr uint8_t kMonoButActive = 2;
}  // namespace

TDlgRollOutProps::TDlgRollOutProps(QWidget* owner, const TRollOutProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Roll out");
  SetHelpContext(46);
  AddInput("editSpeedFactor", "Speed Factor", Record.SpeedFactor, "Speed Factor");
  AddEnvelope("chkSpeedEnvelope", Record.SpeedEnvelopeUsed, "cboSpeedEnvelope",
              Record.SpeedEnvelope, "Speed Envelope", kMonoButActive);
  MoveTo(1, 0);
  AddOptionRows(
      AddChoice(Record.LengthKind),
      {{"optLengthFactor", "Length Factor", "editLengthFactor", &Record.LengthFactor,
        "Length Factor"},
       {"optLengthNew", "New Length", "editLengthNew", &Record.LengthNew, "New Length"},
       {"optLengthSameAs", "Same Length as", "cboLengthSameAs", nullptr, "Same Length as",
        &Record.LengthSameAs, kAllButActive},
       {"optLengthCount", "Count", "editLengthCount", &Record.LengthCount, "Count"}});
  AddStep([this] { Record.StartPosition.SetLength(Record.SelTime); }, {});
  AddInput("editStartPosition", "Start Position", Record.StartPosition, "Start Position");
  FitBody();
}
