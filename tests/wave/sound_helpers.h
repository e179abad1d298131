// Waves built from sample lists and read back, for the tests of sounds and sound files.
#pragma once

#include <vector>

#include "wave/wave.h"

inline WavePtr MakeWave(const std::vector<int16_t>& samples) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, static_cast<int64_t>(samples.size()));
  for (size_t i = 0; i < samples.size(); ++i) w->wave[i] = samples[i];
  return w;
}

inline std::vector<int16_t> Samples(const Wave* w) {
  if (w == nullptr) return {};
  return std::vector<int16_t>(w->wave, w->wave + w->values);
}
