// The "Merge Vertically" dialog: which two waves become the left and the right channel, how
// their lengths are made equal, and the rate, width and look of the result.
#pragma once

#include "app/DMerge.h"

class TDlgMergeVertProps : public TPropsDlg<TMergeDlg, TMergeVertProps> {
 public:
  TDlgMergeVertProps(QWidget* owner, const TMergeVertProps& props);

  // The shared controls under this dialog's own names.
  TWaveComboBox*& cboLeft = cboOne;
  TWaveComboBox*& cboRight = cboOther;
  QWidget* tsLength;
  QLineEdit* editLengthLeft;
  QLineEdit* editLengthRight;
  TRadioGroup* rgrMakeLengthsEqual;
  QLineEdit*& editFreqLeft = editFreqOne;
  QLineEdit*& editFreqRight = editFreqOther;
  QLineEdit*& editBitsLeft = editBitsOne;
  QLineEdit*& editBitsRight = editBitsOther;

 protected:
  void CompareFirstPage(const TUnitWave& left, const TUnitWave& right) override;
  void ReadFirstPage(const TUnitWave& left) override;
};
