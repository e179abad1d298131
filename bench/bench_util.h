// Shared set-up of the benchmarks: a long wave of varied samples, engine-kind buffers for the
// yardsticks, and samples-per-second counters.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "foundation/global.h"
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

// A buffer of the kind the engine gives its samples (the same allocator, so the same pages and
// alignment), written once so that its pages are there: the memory a yardstick copies into must
// be the memory the measured operation writes.
struct EngineBuffer {
  explicit EngineBuffer(int64_t count) : samples(AllocSamples(count)), count(count) {
    if (samples == nullptr) std::abort();
    std::memset(samples, 1, static_cast<size_t>(count) * sizeof(int16_t));
  }
  ~EngineBuffer() { FreeSamples(samples); }
  EngineBuffer(const EngineBuffer&) = delete;
  EngineBuffer& operator=(const EngineBuffer&) = delete;
  size_t Bytes() const { return static_cast<size_t>(count) * sizeof(int16_t); }
  int16_t* samples;
  int64_t count;
};

// A field of /proc/self/status in kB.
inline long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}
