#include "app/DTempoPitch.h"

#include "gui/controls.h"

namespace {
constexpr int kTempoPitchHelp = 50;
constexpr uint8_t kAllButActive = 1;
constexpr uint8_t kMonoButActive = 2;
}  // namespace

TDlgTempoPitchProps::TDlgTempoPitchProps(QWidget* owner, const TTempoPitchProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Pitch Tempo");
  SetHelpContext(kTempoPitchHelp);
  editFreqFactor =
      AddInput("editFreqFactor", "Frequency Factor", Record.FreqFactor, "Frequency Factor");
  chkFreqEnvelope = AddEnvelope("chkFreqEnvelope", Record.FreqEnvelopeUsed, "cboFreqEnvelope",
                                Record.FreqEnvelope, "Frequency Envelope", kMonoButActive);
  editSpeedFactor = AddInput("editSpeedFactor", "Speed Factor", Record.SpeedFactor, "Speed Factor");
  chkSpeedEnvelope = AddEnvelope("chkSpeedEnvelope", Record.SpeedEnvelopeUsed, "cboSpeedEnvelope",
                                 Record.SpeedEnvelope, "Speed Envelope", kMonoButActive);

  MoveTo(1, 0);
  TChoice& length = AddChoice(Record.LengthKind);
  optLengthFactor = AddOption(length, "optLengthFactor", "Length Factor", false);
  editLengthFactor = AddOptionInput(length, optLengthFactor, "editLengthFactor", nullptr,
                                    Record.LengthFactor, "Length Factor");
  optLengthNew = AddOption(length, "optLengthNew", "New Length", false);
  editLengthNew = AddOptionInput(length, optLengthNew, "editLengthNew", nullptr, Record.LengthNew,
                                 "New Length");
  optLengthSameAs = AddOption(length, "optLengthSameAs", "Same Length as", false);
  cboLengthSameAs = AddOptionWave(length, optLengthSameAs, "cboLengthSameAs", Record.LengthSameAs,
                                  "Same Length as", kAllButActive);
  optLengthCount = AddOption(length, "optLengthCount", "Count", false);
  editLengthCount = AddOptionInput(length, optLengthCount, "editLengthCount", nullptr,
                                   Record.LengthCount, "Count");
  // A position typed as a part of the selection is shown as the same part of this one.
  AddStep([this] { Record.StartPosition.SetLength(Record.SelTime); }, {});
  editStartPosition =
      AddInput("editStartPosition", "Start Position", Record.StartPosition, "Start Position");
  rgrQuality =
      dcommon::Named(AddRadioGroup("Quality", {"Low", "High"}, Record.Quality), "rgrQuality");
  editBlockSize = AddInput("editBlockSize", "Block Size", Record.BlockSize, "Block Size");
  FitBody();
}
