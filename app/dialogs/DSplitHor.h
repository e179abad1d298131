// The "Split Horizontally" dialog: how a wave with a selection is cut into pieces.
#pragma once

#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/SplitMergeProps.h"

class TDlgSplitHorProps : public TPropsDlg<TOKHelpRightDlg, TSplitHorProps> {
 public:
  TDlgSplitHorProps(QWidget* owner, const TSplitHorProps& props);

  TRadioGroup* rgrResult;
};
