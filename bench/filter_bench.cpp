// The filter families over a long wave, to set beside BM_Memcpy.
#include "bench_util.h"

namespace {

// A slowly sweeping envelope, so that the enveloped forms retune often.
WavePtr SweepEnvelope() {
  bool abort = false;
  WavePtr envelope = NewWaveChecked(abort, 1000);
  for (int32_t i = 0; i < 1000; ++i) envelope->wave[i] = static_cast<int16_t>(i * 65 - 32768);
  return envelope;
}

template <class Run>
void RunFilter(benchmark::State& state, Run&& run) {
  WavePtr w = MakeBenchWave();
  WavePtr envelope = SweepEnvelope();
  for (auto _ : state) {
    bool abort = false;
    WavePtr result = run(*w, envelope.get(), abort);
    benchmark::DoNotOptimize(result->wave);
  }
  CountSamples(state, w->values);
}

}  // namespace

static void BM_LowPass(benchmark::State& state) {
  RunFilter(state, [](const Wave& w, const Wave*, bool& abort) { return w.LowPass(abort, 20, 0.4, 1, 1, 0, -1); });
}
BENCHMARK(BM_LowPass)->Unit(benchmark::kMillisecond);

static void BM_HighPassEnv(benchmark::State& state) {
  RunFilter(state, [](const Wave& w, const Wave* e, bool& abort) {
    return w.HighPassEnv(abort, e, 0.4, 1, 1, 44100, 0, -1);
  });
}
BENCHMARK(BM_HighPassEnv)->Unit(benchmark::kMillisecond);

static void BM_Resonant(benchmark::State& state) {
  RunFilter(state, [](const Wave& w, const Wave*, bool& abort) { return w.Resonant(abort, 100, 0.25, 0, -1); });
}
BENCHMARK(BM_Resonant)->Unit(benchmark::kMillisecond);

static void BM_ResonantFreqEnv(benchmark::State& state) {
  RunFilter(state, [](const Wave& w, const Wave* e, bool& abort) {
    return w.ResonantFreqEnv(abort, e, 0.25, 44100, 0, -1);
  });
}
BENCHMARK(BM_ResonantFreqEnv)->Unit(benchmark::kMillisecond);

static void BM_NotchEnv(benchmark::State& state) {
  RunFilter(state, [](const Wave& w, const Wave* e, bool& abort) { return w.NotchEnv(abort, e, e, 44100, 0, -1); });
}
BENCHMARK(BM_NotchEnv)->Unit(benchmark::kMillisecond);

static void BM_BlockFilter(benchmark::State& state) {
  RunFilter(state, [](const Wave& w, const Wave*, bool& abort) {
    int32_t begin = 0, end = -1;
    return w.BlockFilter(abort, 20.5, begin, end);
  });
}
BENCHMARK(BM_BlockFilter)->Unit(benchmark::kMillisecond);

static void BM_BlockFilterEnv(benchmark::State& state) {
  RunFilter(state, [](const Wave& w, const Wave* e, bool& abort) {
    int32_t begin = 0, end = -1;
    return w.BlockFilterEnv(abort, 40, e, begin, end);
  });
}
BENCHMARK(BM_BlockFilterEnv)->Unit(benchmark::kMillisecond);
