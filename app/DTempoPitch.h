// The "Pitch Tempo" dialog: frequency and speed factors, each optionally enveloped, the new length
// by one of four kinds, the start position within the selection, quality and block size.
#pragma once

#include "app/DCommon.h"
#include "wave/props.h"

class TRadioGroup;

class TDlgTempoPitchProps : public TOperationDlg<TOKHelpRightDlg, TTempoPitchProps> {
 public:
  // The record's SelTime is the length that a start position given as a part refers to.
  TDlgTempoPitchProps(QWidget* owner, const TTempoPitchProps& props);

  QLineEdit* editFreqFactor;
  QCheckBox* chkFreqEnvelope;
  QLineEdit* editSpeedFactor;
  QCheckBox* chkSpeedEnvelope;
  QRadioButton* optLengthFactor;
  QLineEdit* editLengthFactor;
  QRadioButton* optLengthNew;
  QLineEdit* editLengthNew;
  QRadioButton* optLengthSameAs;
  TWaveComboBox* cboLengthSameAs;
  QRadioButton* optLengthCount;
  QLineEdit* editLengthCount;
  QLineEdit* editStartPosition;
  TRadioGroup* rgrQuality;
  QLineEdit* editBlockSize;
};
