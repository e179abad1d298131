// The "Change Volume" dialog: a constant factor or another wave as the volume envelope.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgVolumeProps : public TOperationDlg<TOKHelpRightDlg, TVolumeProps> {
 public:
  TDlgVolumeProps(QWidget* owner, const TVolumeProps& props);
};
