#include "app/dialogs/DNoise.h"

TDlgNoiseProps::TDlgNoiseProps(QWidget* owner, const TNoiseProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Make Noise");
  SetHelpContext(8);
  // The length is read before the volume although it is shown under it.
  MoveTo(0, 1);
  AddInput("editLength", "Length", Record.Length, "Length");
  MoveTo(0, 0);
  AddInput("editVolume", "Volume", Record.Volume, "Volume");
  FitBody();
}
