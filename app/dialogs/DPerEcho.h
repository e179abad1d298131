// The "Period Echo" dialog: the time between echoes (optionally enveloped by a mono wave), their
// volume as a constant or an envelope, and their count.
#pragma once

#include "app/dialogs/DEchoFilter.h"
#include "wave/props.h"

class TDlgPerEchoProps : public TEchoFilterDlg<TOKHelpRightDlg, TPerEchoProps> {
 public:
  TDlgPerEchoProps(QWidget* owner, const TPerEchoProps& props);
};
