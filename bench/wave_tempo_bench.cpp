// Tempo and pitch over a long wave, to set beside BM_Memcpy.
#include "bench_util.h"

namespace {

template <class Run>
void RunTempo(benchmark::State& state, Run&& run) {
  WavePtr w = MakeBenchWave();
  bool abort = false;
  WavePtr envelope = NewWaveChecked(abort, 100);
  for (int32_t i = 0; i < 100; ++i) envelope->wave[i] = static_cast<int16_t>(16000 + i * 100);
  for (auto _ : state) {
    int32_t begin = 0, end = -1;
    WavePtr result = run(*w, envelope.get(), abort, begin, end);
    benchmark::DoNotOptimize(result->wave);
  }
  CountSamples(state, w->values);
}

}  // namespace

static void BM_TempoPitch(benchmark::State& state) {
  RunTempo(state, [](const Wave& w, const Wave*, bool& abort, int32_t& begin, int32_t& end) {
    return w.TempoPitch(abort, 1.1, 0, 1, 1.3, 1764, begin, end);
  });
}
BENCHMARK(BM_TempoPitch)->Unit(benchmark::kMillisecond);

static void BM_TempoPitchHQ(benchmark::State& state) {
  RunTempo(state, [](const Wave& w, const Wave*, bool& abort, int32_t& begin, int32_t& end) {
    return w.TempoPitchHQ(abort, 1.1, 0, 1, 1.3, 1764, begin, end);
  });
}
BENCHMARK(BM_TempoPitchHQ)->Unit(benchmark::kMillisecond);

static void BM_TempoPitchHQFreqSpeedEnv(benchmark::State& state) {
  RunTempo(state, [](const Wave& w, const Wave* e, bool& abort, int32_t& begin, int32_t& end) {
    return w.TempoPitchHQFreqSpeedEnv(abort, 1.1, e, 0, 1, 1.3, e, 1764, begin, end);
  });
}
BENCHMARK(BM_TempoPitchHQFreqSpeedEnv)->Unit(benchmark::kMillisecond);
