// The "Merge Horizontally" dialog: which two waves play one after the other, and the channels,
// rate, width and look of the result.
#pragma once

#include "app/DMerge.h"

class TDlgMergeHorProps : public TPropsDlg<TMergeDlg, TMergeHorProps> {
 public:
  TDlgMergeHorProps(QWidget* owner, const TMergeHorProps& props);

  TWaveComboBox* cboFirst;
  TWaveComboBox* cboLast;
  QWidget* tsMonoStereo;
  QLineEdit* editMSFirst;
  QLineEdit* editMSLast;
  TRadioGroup* rgrMonoStereo;
  QLineEdit* editFreqFirst;
  QLineEdit* editFreqLast;
  QLineEdit* editBitsFirst;
  QLineEdit* editBitsLast;

 protected:
  void CompareFirstPage(const TUnitWave& first, const TUnitWave& last) override;
  void ReadFirstPage(const TUnitWave& first) override;
};
