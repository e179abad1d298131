#include "app/DNoise.h"

namespace {
constexpr int kNoiseHelp = 8;
}  // namespace

TDlgNoiseProps::TDlgNoiseProps(QWidget* owner, const TNoiseProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Make Noise");
  SetHelpContext(kNoiseHelp);
  // The length is read before the volume although it is shown under it.
  MoveTo(0, 1);
  editLength = AddInput("editLength", "Length", Record.Length, "Length");
  MoveTo(0, 0);
  editVolume = AddInput("editVolume", "Volume", Record.Volume, "Volume");
  FitBody();
}
