#include "app/DHighLow.h"

using dechofilter::kAllButActive;

TDlgHighLowProps::TDlgHighLowProps(QWidget* owner, const std::string& caption,
                                   const THighLowProps& props)
    : TEchoFilterDlg(owner, props) {
  setWindowTitle(QString::fromStdString(caption));
  SetHelpContext(15);
  TChoice& frequency = AddChoice(Record.FreqKind);
  QRadioButton* optFreqConstant = AddOption(frequency, "optFreqConstant", "");
  // The volume factor belongs to the constant frequency and is read only with it.
  AddOptionInput(frequency, optFreqConstant, "editFreqConstant", "Frequency", Record.FreqConstant,
                 "Frequency");
  AddOptionInput(frequency, optFreqConstant, "editFactor", "Volume Factor", Record.VolumeFactor,
                 "Volume Factor");
  AddOptionRows(frequency, {{"optFreqEnvelope", "Envelope", "cboFreqEnvelope", nullptr,
                             "Frequency Envelope", &Record.FreqEnvelope, kAllButActive}});
  AddInput("editCount", "Count", Record.Count, "Count");
  AddSwitch("chkMaximizeVolume", "Maximize Volume", Record.MaximizeVolume);
  FitBody();
}
