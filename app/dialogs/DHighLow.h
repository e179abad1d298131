// The dialog of the high and low filters: the filter frequency with its volume factor, or a
// frequency envelope; the count of passes and whether the result is maximized. The command names
// it "High Filter" or "Low Filter".
#pragma once

#include <string>

#include "app/dialogs/DEchoFilter.h"
#include "wave/props.h"

class TDlgHighLowProps : public TEchoFilterDlg<TOKHelpRightDlg, THighLowProps> {
 public:
  TDlgHighLowProps(QWidget* owner, const std::string& caption, const THighLowProps& props);
};
