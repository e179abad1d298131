// The dialog of the resonant and notch filters: the centre frequency and the width of the band,
// each a constant or an envelope. The command names it "Resonant Filter" or "Notch Filter".
#pragma once

#include <string>

#include "app/dialogs/DEchoFilter.h"
#include "wave/props.h"

class TDlgResNotchProps : public TEchoFilterDlg<TOKHelpRightDlg, TResNotchProps> {
 public:
  TDlgResNotchProps(QWidget* owner, const std::string& caption, const TResNotchProps& props);
};
