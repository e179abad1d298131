// The "Make Line" dialog: a straight or exponential line from a begin to an end value.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

namespace linetext {
inline constexpr const char* kExponentialZero = "Exponential Line may not contain value 0.";
}  // namespace linetext

class TDlgLineProps : public TOperationDlg<TOKHelpRightDlg, TLineProps> {
 public:
  TDlgLineProps(QWidget* owner, const TLineProps& props);
};
