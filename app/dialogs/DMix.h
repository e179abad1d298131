// The "Mix" dialog: where the clipboard's sound is placed in the part it is mixed into.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgMixProps : public TOperationDlg<TOKHelpRightDlg, TMixProps> {
 public:
  TDlgMixProps(QWidget* owner, const TMixProps& props);
};
