// The "Block" dialog: quantize the part horizontally (into a count of steps or steps of a time)
// and vertically (into a count of levels or levels of a height), each way independently.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgBlockProps : public TOperationDlg<TOKHelpRightDlg, TBlockProps> {
 public:
  TDlgBlockProps(QWidget* owner, const TBlockProps& props);
};
