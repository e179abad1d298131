#include "app/dialogs/DHighLow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

using dechofilter::kAllButActive;

TDlgHighLowProps::TDlgHighLowProps(QWidget* owner, const std::string& caption,
                                   const THighLowProps& props)
    : TEchoFilterDlg(owner, props) {
  setWindowTitle(QString::fromStdString(caption));
  SetHelpContext(15);
  TChoice& frequency = AddChoice(Record.FreqKind);
  // "Frequency" heads the two options; the constant one has no caption of its own, its button
  // stands beside the group "Constant" that holds its two inputs.
  PlaceRow(nullptr, new QLabel("Frequency"));
  QRadioButton* optFreqConstant = AddOption(frequency, "optFreqConstant", "", false);
  auto* constant = new QWidget;
  auto* beside = new QHBoxLayout(constant);
  beside->setContentsMargins(0, 0, 0, 0);
  auto* grpConstant = new QGroupBox("Constant");
  grpConstant->setObjectName("grpConstant");
  auto* inputs = new QGridLayout(grpConstant);
  beside->addWidget(optFreqConstant, 0, Qt::AlignTop);
  beside->addWidget(grpConstant, 1);
  PlaceRow(nullptr, constant);
  // The volume factor belongs to the constant frequency and is read only with it.
  QLineEdit* editFreqConstant = AddOptionInput(frequency, optFreqConstant, "editFreqConstant",
                                               "Frequency", Record.FreqConstant, "Frequency");
  AddOptionInput(frequency, optFreqConstant, "editFactor", "Volume Factor", Record.VolumeFactor,
                 "Volume Factor");
  // Their rows move into the group, in the place of the reading order they were added at.
  int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
  Body()->getItemPosition(Body()->indexOf(editFreqConstant), &row, &column, &rowSpan, &columnSpan);
  dechofilter::TakeRows(*Body(), row, row + 2, *inputs);
  AddOptionRows(frequency, {{"optFreqEnvelope", "Envelope", "cboFreqEnvelope", nullptr,
                             "Frequency Envelope", &Record.FreqEnvelope, kAllButActive}});
  AddInput("editCount", "Count", Record.Count, "Count");
  AddSwitch("chkMaximizeVolume", "Maximize Volume", Record.MaximizeVolume);
  FitBody();
}
