// The "Up / Down" dialog: the value added to every sample.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgUpProps : public TOperationDlg<TOKHelpBottomDlg, TUpProps> {
 public:
  TDlgUpProps(QWidget* owner, const TUpProps& props);
};
