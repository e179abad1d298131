// The "Roll out" dialog: the speed (optionally enveloped) at which the part's form is rolled out,
// the new length and the start position within the selection.
#pragma once

#include "app/dialogs/DSpeedLength.h"
#include "wave/props.h"

class TDlgRollOutProps : public TSpeedLengthDlg<TRollOutProps> {
 public:
  // The record's SelTime is the length that a start position given as a part refers to.
  TDlgRollOutProps(QWidget* owner, const TRollOutProps& props);
};
