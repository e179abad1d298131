#include "app/dialogs/DTempoPitch.h"

#include "gui/controls.h"

namespace {
constexpr uint8_t kMonoButActive = 2;
}  // namespace

TDlgTempoPitchProps::TDlgTempoPitchProps(QWidget* owner, const TTempoPitchProps& props)
    : TSpeedLengthDlg(owner, props) {
  setWindowTitle("Pitch Tempo");
  SetHelpContext(50);
  // Each factor with its envelope is a group, and Tab finishes a column before the next.
  ReadColumnsWhole();
  int first = NextRow();
  AddInput("editFreqFactor", "Factor", Record.FreqFactor, "Frequency Factor");
  AddEnvelope("chkFreqEnvelope", Record.FreqEnvelopeUsed, "cboFreqEnvelope", Record.FreqEnvelope,
              "Frequency Envelope", kMonoButActive);
  GroupRows("grpFrequency", "Frequency Factor", first);
  first = NextRow();
  AddInput("editSpeedFactor", "Factor", Record.SpeedFactor, "Speed Factor");
  AddEnvelope("chkSpeedEnvelope", Record.SpeedEnvelopeUsed, "cboSpeedEnvelope",
              Record.SpeedEnvelope, "Speed Envelope", kMonoButActive);
  GroupRows("grpSpeed", "Speed", first);

  MoveTo(1, 0);
  AddLengthAndStart();
  dcommon::Named(AddRadioGroup("Quality", {"Low", "High"}, Record.Quality), "rgrQuality");
  AddInput("editBlockSize", "Block Size", Record.BlockSize, "Block Size");
  FitBody();
}
