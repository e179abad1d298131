// The "Split Horizontally" dialog: how a wave with a selection is cut into pieces.
#pragma once

#include "app/BaseDlg.h"
#include "app/SplitMergeProps.h"

class TDlgSplitHorProps : public TPropsDlg<TOKHelpRightDlg, TSplitHorProps> {
 public:
  TDlgSplitHorProps(QWidget* owner, const TSplitHorProps& props);

  TRadioGroup* rgrResult;
};
