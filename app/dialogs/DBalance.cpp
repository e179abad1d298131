#include "app/dialogs/DBalance.h"

#include <QLabel>

#include "gui/controls.h"

namespace {
constexpr uint8_t kMonoButActive = 2;
}  // namespace

TDlgBalanceProps::TDlgBalanceProps(QWidget* owner, const TBalanceProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Balance");
  SetHelpContext(11);
  PlaceRow(nullptr, new QLabel("Direction"));
  AddOptionRows(
      AddChoice(Record.DirKind),
      {{"optDirConstant", "Constant", "editDirConstant", &Record.DirConstant, "Direction Constant"},
       {"optDirEnvelope", "Envelope", "cboDirEnvelope", nullptr, "Direction Envelope",
        &Record.DirEnvelope, kMonoButActive}});
  auto* chkTimeDiff = dcommon::Named(new QCheckBox("Time Difference"), "chkTimeDiff");
  PlaceRow(nullptr, chkTimeDiff);
  AddStep([this, chkTimeDiff] { chkTimeDiff->setChecked(Record.TimeDiff); },
          [this, chkTimeDiff](uint8_t&) { Record.TimeDiff = chkTimeDiff->isChecked(); });
  dcommon::Named(
      AddRadioGroup("Volume Difference", {"None", "Volume", "Filter"}, Record.VolumeDiff),
      "rgrVolume");
  FitBody();
}
