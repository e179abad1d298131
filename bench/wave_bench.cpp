// The sample store's own loops beside memcpy of the same buffer.
#include <cstring>
#include <vector>

#include "bench_util.h"

static void BM_Memcpy(benchmark::State& state) {
  WavePtr w = MakeBenchWave();
  std::vector<int16_t> target(static_cast<size_t>(w->values));
  for (auto _ : state) {
    std::memcpy(target.data(), w->wave, target.size() * sizeof(int16_t));
    benchmark::DoNotOptimize(target.data());
  }
  CountSamples(state, w->values);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

static void BM_WaveCopy(benchmark::State& state) {
  WavePtr w = MakeBenchWave();
  for (auto _ : state) {
    bool abort = false;
    WavePtr copy = CopyWaveChecked(abort, w.get());
    benchmark::DoNotOptimize(copy->wave);
  }
  CountSamples(state, w->values);
}
BENCHMARK(BM_WaveCopy)->Unit(benchmark::kMillisecond);

static void BM_WaveAddFrom(benchmark::State& state) {
  WavePtr w = MakeBenchWave();
  WavePtr target = MakeBenchWave();
  for (auto _ : state) {
    bool abort = false;
    target->AddFrom(abort, w.get(), 0, w->values, 0);
    benchmark::DoNotOptimize(target->wave);
  }
  CountSamples(state, w->values);
}
BENCHMARK(BM_WaveAddFrom)->Unit(benchmark::kMillisecond);

static void BM_WaveMaxValue(benchmark::State& state) {
  WavePtr w = MakeBenchWave();
  for (auto _ : state) {
    bool abort = false;
    benchmark::DoNotOptimize(w->MaxValue(abort, 0, w->values));
  }
  CountSamples(state, w->values);
}
BENCHMARK(BM_WaveMaxValue)->Unit(benchmark::kMillisecond);
