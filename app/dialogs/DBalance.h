// The "Balance" dialog: a mono sound placed in a stereo field by a constant direction or a
// direction envelope, with time and volume differences between the ears.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgBalanceProps : public TOperationDlg<TOKHelpRightDlg, TBalanceProps> {
 public:
  TDlgBalanceProps(QWidget* owner, const TBalanceProps& props);
};
