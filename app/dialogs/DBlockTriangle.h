// The dialog of the block and triangle generators: two heights, a frequency (with a constant or
// enveloped middle) or two times per period, a length and a start position. The command names it
// "Make Block" or "Make Triangle".
#pragma once

#include <string>

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class TDlgBlockTriangleProps : public TOperationDlg<TOKHelpRightDlg, TBlockTriangleProps> {
 public:
  TDlgBlockTriangleProps(QWidget* owner, const std::string& caption,
                         const TBlockTriangleProps& props);
};
