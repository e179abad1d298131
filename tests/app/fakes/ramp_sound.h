// A sound that rises by 100 per sample (the right channel falls by as much), so a test can tell
// which stretch of it ended where.
#pragma once

#include <cstdint>
#include <memory>

#include "wave/sound.h"
#include "wave/wave.h"

inline SoundPtr RampSound(int32_t count, int16_t channels) {
  bool abort = false;
  auto left = std::make_unique<Wave>(abort, count);
  auto right = std::make_unique<Wave>(abort, count);
  for (int32_t i = 0; i < count; ++i) {
    left->wave[i] = static_cast<int16_t>(100 * i);
    right->wave[i] = static_cast<int16_t>(-100 * i);
  }
  if (channels == 1) return std::make_unique<MonoSound>(std::move(left), 22050, 2);
  return std::make_unique<StereoSound>(std::move(left), std::move(right), 22050, 2);
}
