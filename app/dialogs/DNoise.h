// The "Make Noise" dialog: volume and length of the noise to make.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgNoiseProps : public TOperationDlg<TOKHelpRightDlg, TNoiseProps> {
 public:
  TDlgNoiseProps(QWidget* owner, const TNoiseProps& props);
};
