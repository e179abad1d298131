#include "app/DTempoPitch.h"

#include "gui/controls.h"

namespace {
constexpr uint8_t kAllButActive = 1;
constexpr uint8_t kMonoButActive = 2;
}  // namespace

TDlgTempoPitchProps::TDlgTempoPitchProps(QWidget* owner, const TTempoPitchProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Pitch Tempo");
  SetHelpContext(50);
  AddInput("editFreqFactor", "Frequency Factor", Record.FreqFactor, "Frequency Factor");
  AddEnvelope("chkFreqEnvelope", Record.FreqEnvelopeUsed, "cboFreqEnvelope", Record.FreqEnvelope,
              "Frequency Envelope", kMonoButActive);
  AddInput("editSpeedFactor", "Speed Factor", Record.SpeedFactor, "Speed Factor");
  AddEnvelope("chkSpeedEnvelope", Record.SpeedEnvelopeUsed, "cboSpeedEnvelope",
              Record.SpeedEnvelope, "Speed Envelope", kMonoButActive);

  MoveTo(1, 0);
  AddOptionRows(AddChoice(Record.LengthKind),
                {{"optLengthFactor", "Length Factor", "editLengthFactor", &Record.LengthFactor,
                  "Length Factor"},
                 {"optLengthNew", "New Length", "editLengthNew", &Record.LengthNew, "New Length"},
                 {"optLengthSameAs", "Same Length as", "cboLengthSameAs", nullptr, "Same Length as",
                  &Record.LengthSameAs, kAllButActive},
                 {"optLengthCount", "Count", "editLengthCount", &Record.LengthCount, "Count"}});
  // A position typed as a part of the selection is shown as the same part of this one.
  AddStep([this] { Record.StartPosition.SetLength(Record.SelTime); }, {});
  AddInput("editStartPosition", "Start Position", Record.StartPosition, "Start Position");
  dcommon::Named(AddRadioGroup("Quality", {"Low", "High"}, Record.Quality), "rgrQuality");
  AddInput("editBlockSize", "Block Size", Record.BlockSize, "Block Size");
  FitBody();
}
