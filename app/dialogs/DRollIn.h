// The "Roll in" dialog: the length the part is rolled into, and where within that length the
// part's start or end lands.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgRollInProps : public TOperationDlg<TOKHelpRightDlg, TRollInProps> {
 public:
  TDlgRollInProps(QWidget* owner, const TRollInProps& props);
};
