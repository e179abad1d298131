// One routine of each family (edit and mix, amplitude, time and echo) over the whole bench wave;
// compare their samples/s with BM_Memcpy in the same run.
#include "bench_util.h"

namespace {
template <class Routine>
void RunOnWholeWave(benchmark::State& state, Routine&& routine) {
  WavePtr w = MakeBenchWave();
  for (auto _ : state) {
    bool abort = false;
    WavePtr result = routine(*w, abort);
    benchmark::DoNotOptimize(result->wave);
  }
  CountSamples(state, w->values);
}
}  // namespace

// Edit and mix: the stereo-to-mono average.
static void BM_WaveEditMixAverage(benchmark::State& state) {
  WavePtr other = MakeBenchWave();
  RunOnWholeWave(state, [&](const Wave& w, bool& abort) { return w.Average(abort, other.get()); });
}
BENCHMARK(BM_WaveEditMixAverage)->Unit(benchmark::kMillisecond);

// Amplitude: a volume envelope, stretched with interpolation over the whole wave.
static void BM_WaveAmplitudeVolumeEnv(benchmark::State& state) {
  WavePtr envelope = MakeBenchWave(1000);
  RunOnWholeWave(state, [&](const Wave& w, bool& abort) {
    int32_t begin = 0;
    int32_t end = -1;
    return w.VolumeEnv(abort, envelope.get(), begin, end);
  });
}
BENCHMARK(BM_WaveAmplitudeVolumeEnv)->Unit(benchmark::kMillisecond);

// Time and echo: one period echo a fractional 0.1 s (at 44100 Hz) behind the whole wave.
static void BM_WaveTimeEchoPerEchoConst(benchmark::State& state) {
  RunOnWholeWave(state, [](const Wave& w, bool& abort) {
    int32_t begin = 0;
    int32_t end = -1;
    return w.PerEchoConst(abort, 4410.5, 0.5, 1, begin, end);
  });
}
BENCHMARK(BM_WaveTimeEchoPerEchoConst)->Unit(benchmark::kMillisecond);
