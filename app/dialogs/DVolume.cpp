#include "app/dialogs/DVolume.h"

#include <QLabel>

namespace {
constexpr uint8_t kAllButActive = 1;
}  // namespace

TDlgVolumeProps::TDlgVolumeProps(QWidget* owner, const TVolumeProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Change Volume");
  SetHelpContext(9);
  PlaceRow(nullptr, new QLabel("Volume Factor"));
  AddOptionRows(AddChoice(Record.Mode),
                {{"optConstant", "Constant", "editVolume", &Record.VolumeFactor, "Constant"},
                 {"optEnvelope", "Envelope", "cboUnitWave", nullptr, "Envelope", &Record.Envelope,
                  kAllButActive}});
  FitBody();
}
