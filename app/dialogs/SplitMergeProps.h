// The choices of the split and merge commands: how a selection is split, and which two waves are
// merged into what format and look. The main window keeps one of each.
#pragma once

#include <array>
#include <cstdint>

#include "app/dialogs/ViewProps.h"
#include "wave/unitwaveref.h"

struct TSplitHorProps {
  uint8_t Result = 0;  // 0 three parts, 1 two parts both with the selection, 2 both without it
};

// The format and look of a merged wave; the integers are always set by the dialog's OK.
struct TMergeProps {
  int32_t Frequency = 0;     // hertz
  int16_t BytesPSample = 0;  // 1 for 8-bit, 2 for 16-bit samples
  TWaveViewProps WaveViewProps;
  TVoldViewProps VoldViewProps;
  uint8_t ViewMode = 0;  // 0 waveform, 1 volume diagram
};

struct TMergeHorProps : TMergeProps {
  unitUnitWave First;  // played first
  unitUnitWave Last;   // played after it
  int16_t MonoStereo = 0;
};

struct TMergeVertProps : TMergeProps {
  unitUnitWave Left;       // becomes the left channel
  unitUnitWave Right;      // becomes the right channel
  uint8_t LengthKind = 0;  // a LengthMatch
};

// The rates a merge offers, by list index.
struct TMergeRate {
  int32_t hertz;
  const char* text;
};
// The last one is 176128, not 176400: the program's own highest rate.
inline constexpr std::array<TMergeRate, 6> kMergeRates = {{{5512, "5 kHz"},
                                                           {11025, "11 kHz"},
                                                           {22050, "22 kHz"},
                                                           {44100, "44 kHz"},
                                                           {88200, "88 kHz"},
                                                           {176128, "176 kHz"}}};
