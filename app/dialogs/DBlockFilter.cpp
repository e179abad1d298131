#include "app/dialogs/DBlockFilter.h"

using dechofilter::kAllButActive;

TDlgBlockFilterProps::TDlgBlockFilterProps(QWidget* owner, const TBlockFilterProps& props)
    : TEchoFilterDlg(owner, props) {
  setWindowTitle("Block Filter");
  SetHelpContext(17);
  // The envelope stands above the block time but is read after it.
  auto* box = dcommon::Named(new QCheckBox("Envelope", this), "chkTimeEnvelope");
  AddStep([box, this] { box->setChecked(Record.TimeEnvelopeUsed); },
          [box, this](uint8_t&) { Record.TimeEnvelopeUsed = box->isChecked(); });
  MoveTo(0, 1);
  AddInput("editTimeConstant", "Block Time", Record.TimeConstant, "Block Time");
  MoveTo(0, 0);
  TWaveComboBox* combo =
      dcommon::Named(AddWaveCombo("", Record.TimeEnvelope, "Envelope", kAllButActive,
                                  [box] { return box->isChecked(); }),
                     "cboTimeEnvelope");
  dcommon::TakeLabelPlace(*Body(), combo, box);
  dcommon::CheckOnPick(combo, box);
  FitBody();
}
