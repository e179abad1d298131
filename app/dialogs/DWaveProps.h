// The "Wave Properties" dialog: the format of a wave document (sample rate, mono or stereo, 8 or
// 16 bits), for a new document and for changing the format of an open one.
#pragma once

#include <cstdint>

#include "app/dialogs/BaseDlg.h"
#include "foundation/unit.h"

class QListWidget;
class TRadioGroup;

// The rates the list offers, by list index.
inline constexpr int32_t kWaveRates[] = {5512, 11025, 22050, 44100, 88200, 176128};

// The list index of `rate`, 0 for a rate the list does not hold.
int WaveRateIndex(int32_t rate);
// The row the dialog selects for `rate`: -1 (no entry) for a rate the list does not hold, so that
// OK without a choice keeps the rate instead of slowing the sound down to the first entry's.
int WaveRateRow(int32_t rate);

// The dialog never refuses to close: every combination of its choices is a valid format.
class TDlgWaveFileProp : public TOKHelpRightDlg {
 public:
  TDlgWaveFileProp(QWidget* owner, const waveFileProps& props);
  waveFileProps GetProps() const { return Record; }

  TRadioGroup* grpWaveValues;
  QListWidget* lbSampleFreq;
  TRadioGroup* grpMonoStereo;

 private:
  waveFileProps Record;
};
