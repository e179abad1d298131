// The "Change Length" dialog: the new length as a factor, in seconds, or as long as another wave.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgLengthProps : public TOperationDlg<TOKHelpRightDlg, TLengthProps> {
 public:
  TDlgLengthProps(QWidget* owner, const TLengthProps& props);
};
