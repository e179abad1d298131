// Shared set-up of the benchmarks: a long wave of varied samples, and samples-per-second counters.
#pragma once

#include <benchmark/benchmark.h>

#include "wave/wave.h"

inline constexpr int64_t kBenchSamples = 10'000'000;

inline WavePtr MakeBenchWave(int64_t n = kBenchSamples) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, n);
  uint32_t x = 12345;
  for (int64_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    w->wave[i] = static_cast<int16_t>(x >> 16);
  }
  return w;
}

inline void CountSamples(benchmark::State& state, int64_t perIteration) {
  state.counters["samples/s"] =
      benchmark::Counter(static_cast<double>(perIteration) * state.iterations(), benchmark::Counter::kIsRate);
}
