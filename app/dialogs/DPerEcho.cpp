#include "app/dialogs/DPerEcho.h"

#include <QLabel>

using dechofilter::kAllButActive;
using dechofilter::kMonoButActive;

TDlgPerEchoProps::TDlgPerEchoProps(QWidget* owner, const TPerEchoProps& props)
    : TEchoFilterDlg(owner, props) {
  setWindowTitle("Period Echo");
  SetHelpContext(12);
  PlaceRow(nullptr, new QLabel("Echo Time"));
  AddInput("editTime", "Time", Record.Time, "Time");
  // The names of both envelopes begin with a blank, as users have always seen them.
  AddEnvelope("chkTimeEnvelope", Record.TimeEnvelopeUsed, "cboTimeEnvelope", Record.TimeEnvelope,
              " Echo Time Envelope", kMonoButActive);
  const int volumeRow = NextRow();
  AddOptionRows(AddChoice(Record.VolumeKind),
                {{"optVolumeConstant", "Constant", "editVolumeConstant", &Record.VolumeConstant,
                  "Volume Constant"},
                 {"optVolumeEnvelope", "Envelope", "cboVolumeEnvelope", nullptr,
                  " Echo Volume Envelope", &Record.VolumeEnvelope, kAllButActive}});
  GroupRows("grpVolume", "Echo Volume", volumeRow);
  AddInput("editCount", "Echo Count", Record.Count, "Count");
  FitBody();
}
