// The "Merge Vertically" dialog: which two waves become the left and the right channel, how
// their lengths are made equal, and the rate, width and look of the result.
#pragma once

#include "app/DMerge.h"

class TDlgMergeVertProps : public TPropsDlg<TMergeDlg, TMergeVertProps> {
 public:
  TDlgMergeVertProps(QWidget* owner, const TMergeVertProps& props);

  TWaveComboBox* cboLeft;
  TWaveComboBox* cboRight;
  QWidget* tsLength;
  QLineEdit* editLengthLeft;
  QLineEdit* editLengthRight;
  TRadioGroup* rgrMakeLengthsEqual;
  QLineEdit* editFreqLeft;
  QLineEdit* editFreqRight;
  QLineEdit* editBitsLeft;
  QLineEdit* editBitsRight;

 protected:
  void CompareFirstPage(const TUnitWave& left, const TUnitWave& right) override;
  void ReadFirstPage(const TUnitWave& left) override;
};
