// The sample store's own loops beside memcpy of the same buffer.
#include <cstring>

#include "bench_util.h"

// The yardstick copies into a buffer from the engine's allocator, got and given back each time as
// a wave copy does, so that both write the same memory.
static void BM_Memcpy(benchmark::State& state) {
  WavePtr w = MakeBenchWave();
  const auto bytes = static_cast<size_t>(w->values) * sizeof(int16_t);
  for (auto _ : state) {
    int16_t* target = AllocSamples(w->values);
    if (target == nullptr) {
      state.SkipWithError("no memory");
      break;
    }
    std::memcpy(target, w->wave, bytes);
    benchmark::DoNotOptimize(target);
    FreeSamples(target);
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

// The mix of a render: a note added in at its volume, half (a new player's) or any other.
static void BM_WaveAddAfter(benchmark::State& state) {
  const double factor = state.range(0) == 0 ? 0.5 : 0.73;
  WavePtr w = MakeBenchWave();
  WavePtr target = MakeBenchWave();
  for (auto _ : state) {
    bool abort = false;
    target->AddAfter(abort, w.get(), 0, factor);
    benchmark::DoNotOptimize(target->wave);
  }
  state.SetLabel(state.range(0) == 0 ? "volume 0.5" : "volume 0.73");
  CountSamples(state, w->values);
}
BENCHMARK(BM_WaveAddAfter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

static void BM_WaveMaxValue(benchmark::State& state) {
  WavePtr w = MakeBenchWave();
  for (auto _ : state) {
    bool abort = false;
    benchmark::DoNotOptimize(w->MaxValue(abort, 0, w->values));
  }
  CountSamples(state, w->values);
}
BENCHMARK(BM_WaveMaxValue)->Unit(benchmark::kMillisecond);
