// The dialog of the block and triangle generators: two heights, a frequency (with a constant or
// enveloped middle) or two times per period, a length and a start position. The command names it
// "Make Block" or "Make Triangle".
#pragma once

#include <string>

#include "app/DCommon.h"
#include "wave/props.h"

class TDlgBlockTriangleProps : public TOperationDlg<TOKHelpRightDlg, TBlockTriangleProps> {
 public:
  TDlgBlockTriangleProps(QWidget* owner, const std::string& caption,
                         const TBlockTriangleProps& props);

  QLineEdit* editHeight1;
  QLineEdit* editHeight2;
  QRadioButton* optFrequency;
  QLineEdit* editFrequency;
  QRadioButton* optMiddleConstant;
  QLineEdit* editMiddle;
  QRadioButton* optMiddleEnvelope;
  TWaveComboBox* cboMiddleEnvelope;
  QRadioButton* optTime;
  QLineEdit* editTime1;
  QLineEdit* editTime2;
  QRadioButton* optLengthNew;
  QLineEdit* editLengthNew;
  QRadioButton* optLengthSameAs;
  TWaveComboBox* cboLengthSameAs;
  QRadioButton* optLengthCount;
  QLineEdit* editLengthCount;
  QLineEdit* editStartPosition;
};
