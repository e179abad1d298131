#include "app/dialogs/DResNotch.h"

#include <QLabel>

using dechofilter::kAllButActive;

TDlgResNotchProps::TDlgResNotchProps(QWidget* owner, const std::string& caption,
                                     const TResNotchProps& props)
    : TEchoFilterDlg(owner, props) {
  setWindowTitle(QString::fromStdString(caption));
  SetHelpContext(16);
  PlaceRow(nullptr, new QLabel("Frequency"));
  AddOptionRows(AddChoice(Record.FreqKind),
                {{"optFreqConstant", "Constant", "editFreqConstant", &Record.FreqConstant,
                  "Frequency Constant"},
                 {"optFreqEnvelope", "Envelope", "cboFreqEnvelope", nullptr, "Frequency Envelope",
                  &Record.FreqEnvelope, kAllButActive}});
  const int widthRow = NextRow();
  AddOptionRows(AddChoice(Record.WidthKind),
                {{"optWidthConstant", "Constant", "editWidthConstant", &Record.WidthConstant,
                  "Width Constant"},
                 {"optWidthEnvelope", "Envelope", "cboWidthEnvelope", nullptr,
                  "Frequency Width Envelope", &Record.WidthEnvelope, kAllButActive}});
  GroupRows("grpWidth", "Frequency Width", widthRow);
  FitBody();
}
