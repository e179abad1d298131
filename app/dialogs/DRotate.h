// The "Rotate" dialog: shift the part left or right by a part of its length or by a time, which
// may not exceed the part's duration.
#pragma once

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

namespace rotatetext {
inline constexpr const char* kTimeTooLong =
    "In Time: Time may not be longer than the time of the sound.";
}  // namespace rotatetext

class TDlgRotateProps : public TOperationDlg<TOKHelpRightDlg, TRotateProps> {
 public:
  // `duration`: seconds of the part that is rotated.
  TDlgRotateProps(QWidget* owner, const TRotateProps& props, double duration);

 private:
  double duration_;
  TChoice by_;
};
