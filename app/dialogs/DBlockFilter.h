// The "Block Filter" dialog: the block time, optionally enveloped by another wave.
#pragma once

#include "app/dialogs/DEchoFilter.h"
#include "wave/props.h"

class TDlgBlockFilterProps : public TEchoFilterDlg<TOKHelpRightDlg, TBlockFilterProps> {
 public:
  TDlgBlockFilterProps(QWidget* owner, const TBlockFilterProps& props);
};
