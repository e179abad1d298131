// How a wave window draws its sound: the waveform record and the volume-diagram record. The main
// window keeps one default pair for new windows, each wave window its own pair. Never stored.
#pragma once

#include <cstdint>

#include "foundation/readers.h"
#include "foundation/smallobj.h"

// Colours are 0x00BBGGRR.
struct TWaveViewProps {
  uint8_t DrawKind = 0;      // 0 lines from minimum to maximum per column, 1 points
  uint8_t Distribution = 0;  // points of a column: 0 constant, 1 random
  unitIntegerPosMore ValuesPerPixel{15, kUnitNone};
  uint8_t DrawGrid = 1;
  uint32_t GridColor = 0x808080;
  unitFactorPosMore Strength{1.0, kUnitNone};  // how fully a point covers its pixel
  uint32_t BackgroundColor = 0xFFFFFF;
  uint32_t SingleWaveColor = 0x000000;
  uint8_t TwoWaves = 1;  // a stereo wave as two bands
  uint32_t LeftColor = 0x0000FF;
  uint32_t RightColor = 0x808000;
  uint8_t Combine = 0;  // one band of stereo: 0 mixed, 1 left at front, 2 right at front

  // Values compare by value, whatever unit they were typed in.
  bool operator==(const TWaveViewProps& other) const;
  bool operator!=(const TWaveViewProps& other) const { return !(*this == other); }
};

struct TVoldViewProps {
  unitTimePosMore TopFreq{1.0 / 20000, kUnitKiloHertz};  // a period: the highest row
  unitTimePosMore BottomFreq{0.05, kUnitHertz};
  unitIntegerPosMore VerticalResolution{50, kUnitNone};  // number of rows
  unitFactorPosMore FreqWidth{1.0, kUnitNone};           // damping of each row's resonance
  uint8_t HorDistribution = 1;  // rows: 0 frequency linear, 1 logarithmic, 2 time linear
  uint8_t TwoDiagrams = 1;
  uint8_t Sensitivity = 1;  // level to colour: 0 squared, 1 linear, 2 square root, 3 fourth root
  unitFactorPosMore Strength{1.3, kUnitNone};
  uint32_t BackgroundColor = 0x000000;
  uint32_t VolumeColor = 0xFFFFFF;
  uint32_t LeftColor = 0x0000FF;
  uint32_t RightColor = 0x808000;
  uint32_t CursorColor = 0xFF00FF;

  bool operator==(const TVoldViewProps& other) const;
  bool operator!=(const TVoldViewProps& other) const { return !(*this == other); }
};
