// The "Merge Horizontally" dialog: which two waves play one after the other, and the channels,
// rate, width and look of the result.
#pragma once

#include "app/DMerge.h"

class TDlgMergeHorProps : public TPropsDlg<TMergeDlg, TMergeHorProps> {
 public:
  TDlgMergeHorProps(QWidget* owner, const TMergeHorProps& props);

  // The shared controls under this dialog's own names.
  TWaveComboBox*& cboFirst = cboOne;
  TWaveComboBox*& cboLast = cboOther;
  QWidget* tsMonoStereo;
  QLineEdit* editMSFirst;
  QLineEdit* editMSLast;
  TRadioGroup* rgrMonoStereo;
  QLineEdit*& editFreqFirst = editFreqOne;
  QLineEdit*& editFreqLast = editFreqOther;
  QLineEdit*& editBitsFirst = editBitsOne;
  QLineEdit*& editBitsLast = editBitsOther;

 protected:
  void CompareFirstPage(const TUnitWave& first, const TUnitWave& last) override;
  void ReadFirstPage(const TUnitWave& first) override;
};
