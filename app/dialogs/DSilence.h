// The "Make Silence" dialog: the length of the silence to make.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgSilenceProps : public TOperationDlg<TOKHelpBottomDlg, TSilenceProps> {
 public:
  TDlgSilenceProps(QWidget* owner, const TSilenceProps& props);
};
