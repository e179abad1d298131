// The "Make Sinus" dialog: a length or a count of periods, amplitude, frequency and start phase.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgSinusProps : public TOperationDlg<TOKHelpRightDlg, TSinusProps> {
 public:
  TDlgSinusProps(QWidget* owner, const TSinusProps& props);
};
