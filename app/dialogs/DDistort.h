// The "Distort" dialog: the wave whose form maps every sample value to its new value.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgDistortProps : public TOperationDlg<TOKHelpBottomDlg, TDistortProps> {
 public:
  TDlgDistortProps(QWidget* owner, const TDistortProps& props);
};
