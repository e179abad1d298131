// The "Pitch Tempo" dialog: frequency and speed factors, each optionally enveloped, the new length
// by one of four kinds, the start position within the selection, quality and block size.
#pragma once

#include "app/dialogs/DSpeedLength.h"
#include "wave/props.h"

class TDlgTempoPitchProps : public TSpeedLengthDlg<TTempoPitchProps> {
 public:
  // The record's SelTime is the length that a start position given as a part refers to.
  TDlgTempoPitchProps(QWidget* owner, const TTempoPitchProps& props);
};
