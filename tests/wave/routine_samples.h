// Building small waves from sample lists and reading them back, for the sample routine tests.
#pragma once

#include <cstdint>
#include <vector>

#include "wave/wave.h"

inline WavePtr MakeSamples(const std::vector<int16_t>& samples) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, static_cast<int64_t>(samples.size()));
  for (size_t i = 0; i < samples.size(); ++i) w->wave[i] = samples[i];
  return w;
}

inline WavePtr MakeConstant(int32_t count, int16_t value) {
  return MakeSamples(std::vector<int16_t>(static_cast<size_t>(count), value));
}

inline std::vector<int16_t> SamplesOf(const Wave& w) { return std::vector<int16_t>(w.wave, w.wave + w.values); }
