// The sound operations on a minute of stereo at 44100 Hz, beside memcpy of the same samples.
#include <cstring>
#include <functional>

#include "bench_util.h"
#include "wave/sound.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kChannelSamples = 60 * kRate;
constexpr int64_t kSoundSamples = 2 * kChannelSamples;

const StereoSound& BenchSound() {
  static const auto sound = std::make_unique<StereoSound>(MakeBenchWave(kChannelSamples),
                                                          MakeBenchWave(kChannelSamples), kRate, 2);
  return *sound;
}

// Runs an operation that makes a new sound; the samples counted are those of both channels.
void RunOperation(benchmark::State& state, const std::function<SoundPtr(const Sound&, bool&)>& operation) {
  const StereoSound& sound = BenchSound();
  for (auto _ : state) {
    bool abort = false;
    SoundPtr result = operation(sound, abort);
    benchmark::DoNotOptimize(result.get());
    if (!result) state.SkipWithError("operation aborted");
  }
  CountSamples(state, kSoundSamples);
}

void BM_SoundMemcpy(benchmark::State& state) {
  const StereoSound& sound = BenchSound();
  const EngineBuffer left(kChannelSamples);
  const EngineBuffer right(kChannelSamples);
  for (auto _ : state) {
    std::memcpy(left.samples, sound.WaveLeft->wave, left.Bytes());
    std::memcpy(right.samples, sound.WaveRight->wave, right.Bytes());
    benchmark::DoNotOptimize(left.samples);
    benchmark::DoNotOptimize(right.samples);
  }
  CountSamples(state, kSoundSamples);
}
BENCHMARK(BM_SoundMemcpy)->Unit(benchmark::kMillisecond);

const auto kClip = [] {
  return std::make_unique<StereoSound>(MakeBenchWave(kChannelSamples / 2), MakeBenchWave(kChannelSamples / 2),
                                       kRate, 2);
};

#define SOUND_BENCH(name, body)                                                   \
  void BM_Sound##name(benchmark::State& state) {                                        \
    RunOperation(state, [&](const Sound& s, bool& abort) -> SoundPtr { body; }); \
  }                                                                                \
  BENCHMARK(BM_Sound##name)->Unit(benchmark::kMillisecond)

// Streaming: one pass over the samples.
SOUND_BENCH(Volume, return s.Volume(abort, 0.8, 0, -1));
SOUND_BENCH(Up, return s.Up(abort, 100, 0, -1));
SOUND_BENCH(Reverse, return s.Reverse(abort, 0, -1));
SOUND_BENCH(Rotate, return s.Rotate(abort, 1.5, 0, -1));
SOUND_BENCH(Delete, return s.Delete(abort, 1000, 2000));
SOUND_BENCH(Trim, return s.Trim(abort, 0, static_cast<int32_t>(kChannelSamples) - 1));
SOUND_BENCH(Replace, {
  static const auto clip = kClip();
  return s.Replace(abort, clip.get(), 1000, 2000);
});
SOUND_BENCH(MixAt, {
  static const auto clip = kClip();
  return s.MixAt(abort, clip.get(), 1000, -1, false);
});
SOUND_BENCH(MixLeftRight, return static_cast<const StereoSound&>(s).MixLeftRight(abort, 0, 1, 1, 0, 0, -1));
SOUND_BENCH(Maximize, return s.Maximize(abort, 0, -1));
SOUND_BENCH(VolumeEnv, {
  static const auto envelope = kClip();
  return s.VolumeEnv(abort, envelope.get(), 0, -1);
});
SOUND_BENCH(Distort, {
  static const auto curve = kClip();
  return s.Distort(abort, curve.get(), 0, -1);
});
SOUND_BENCH(Silence, {
  int32_t begin = 0;
  int32_t end = -1;
  return s.Silence(abort, 60, begin, end);
});
SOUND_BENCH(Noise, {
  int32_t begin = 0;
  int32_t end = -1;
  return s.Noise(abort, 1000, 60, begin, end);
});
SOUND_BENCH(ChangeLengthFactor, {
  int32_t begin = 0;
  int32_t end = -1;
  return s.ChangeLengthFactor(abort, 1.01, begin, end);
});

// Filters, echoes and tempo/pitch.
SOUND_BENCH(LowPass, return s.Filter(abort, Wave::kPassFilters[1].constant, 0.0005, 0.5, 1, 1, 0, -1));
SOUND_BENCH(Resonant, {
  const Wave::ResonatorRoutines& r = Wave::kResonatorFilters[0];
  return s.ResNotch(abort, true, true, 0.002, 0.3, nullptr, nullptr, r.constant, r.periodEnvelope,
                    r.widthEnvelope, r.bothEnvelopes, 0, -1);
});
SOUND_BENCH(BlockFilter, {
  int32_t begin = 0;
  int32_t end = -1;
  return s.BlockFilter(abort, 0.001, begin, end);
});
SOUND_BENCH(PerEchoConst, {
  int32_t begin = 0;
  int32_t end = -1;
  return s.PerEchoConst(abort, 0.1, 0.5, 3, begin, end);
});
SOUND_BENCH(TempoPitch, {
  int32_t begin = 0;
  int32_t end = -1;
  return s.TempoPitch(abort, 1, 0, 1, 1.2, 0.05, 0, begin, end);
});
SOUND_BENCH(TempoPitchHQ, {
  int32_t begin = 0;
  int32_t end = -1;
  return s.TempoPitch(abort, 1, 0, 1, 1.2, 0.05, 1, begin, end);
});

void BM_SoundBalance(benchmark::State& state) {
  static const MonoSound mono(MakeBenchWave(kSoundSamples / 2), kRate, 2);
  for (auto _ : state) {
    bool abort = false;
    SoundPtr result = mono.Balance(abort, 0.5, true, true, true);
    benchmark::DoNotOptimize(result.get());
  }
  CountSamples(state, kSoundSamples);  // both ears
}
BENCHMARK(BM_SoundBalance)->Unit(benchmark::kMillisecond);

}  // namespace
