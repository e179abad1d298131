// Small sounds for the engine and player tests: waves from sample lists and back, ramps, mono and
// stereo sounds of them with their formats and channels read back, and the dice of the random echo.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <tuple>
#include <vector>

#include "foundation/random.h"
#include "wave/dicer.h"
#include "wave/sound.h"

using Samples16 = std::vector<int16_t>;

inline WavePtr MakeWave(const Samples16& samples) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, static_cast<int64_t>(samples.size()));
  for (size_t i = 0; i < samples.size(); ++i) w->wave[i] = samples[i];
  return w;
}
inline WavePtr MakeConstant(int32_t count, int16_t value) {
  return MakeWave(Samples16(static_cast<size_t>(count), value));
}

inline Samples16 Samples(const Wave* w) { return w == nullptr ? Samples16{} : Samples16(w->wave, w->wave + w->values); }
inline Samples16 Samples(const WavePtr& w) { return Samples(w.get()); }

// start, start + step, ...: every sample tells where it came from (wrapping past 16 bits).
inline Samples16 Ramp(int32_t n, int32_t start = 0, int32_t step = 1) {
  Samples16 samples(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) samples[static_cast<size_t>(i)] = static_cast<int16_t>(start + int64_t{i} * step);
  return samples;
}
// Rises by `step` and wraps within [-2000, 2000), so sums of a few samples stay inside 16 bits.
inline Samples16 Sawtooth(int32_t n, int32_t step = 7) {
  Samples16 samples(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) samples[static_cast<size_t>(i)] = static_cast<int16_t>((i * step) % 4000 - 2000);
  return samples;
}
// `count` samples of a sine of `period` samples that peaks near `amplitude`.
inline Samples16 SineSamples(int32_t count, double period, double amplitude) {
  Samples16 samples(static_cast<size_t>(count));
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(amplitude * std::sin(kTwoPi * i / period));
  return samples;
}
inline Samples16 Slice(const Samples16& v, size_t from, size_t to) {
  return Samples16(v.begin() + static_cast<std::ptrdiff_t>(from), v.begin() + static_cast<std::ptrdiff_t>(to));
}

// The samples at the given positions, to check a few of a long sound in one comparison.
inline Samples16 At(const Samples16& s, std::initializer_list<size_t> positions) {
  Samples16 picked;
  for (const size_t i : positions) picked.push_back(s.at(i));
  return picked;
}

inline SoundPtr MonoOf(const Samples16& samples, int32_t rate = 22050, uint16_t bytes = 2) {
  return std::make_unique<MonoSound>(MakeWave(samples), rate, bytes);
}
inline SoundPtr StereoOf(const Samples16& left, const Samples16& right, int32_t rate = 22050, uint16_t bytes = 2) {
  return std::make_unique<StereoSound>(MakeWave(left), MakeWave(right), rate, bytes);
}
// For the suites run once mono and once stereo: a mono sound holds `left` only.
inline SoundPtr SoundOf(bool stereo, const Samples16& left, const Samples16& right, int32_t rate = 22050) {
  return stereo ? StereoOf(left, right, rate) : MonoOf(left, rate);
}
// Channels, rate and width of a sound, to compare in one check.
inline std::tuple<int, int32_t, int> FormatOf(const Sound& s) { return {s.MoSt, s.Freq, s.BytesPerSample}; }
inline std::vector<Samples16> Channels(const Sound& sound) {
  if (sound.MoSt == 1) return {Samples(sound.GetLeftWave())};
  return {Samples(sound.GetLeftWave()), Samples(sound.GetRightWave())};
}

// The parameter of the mono/stereo suites, named for the test listing.
inline const char* ChannelName(const testing::TestParamInfo<bool>& info) { return info.param ? "Stereo" : "Mono"; }

// The dice of the first copy of an echo with this seed.
inline Dicer ThrownDice(int32_t seed) {
  Dicer dice(seed);
  dice.Throw();
  return dice;
}

// A seed whose first throw takes some die beyond the divisor (its first draw is the largest).
struct OvershootingDie {
  int32_t seed = -1;
  int32_t die = -1;
};
inline OvershootingDie FindOvershootingDie() {
  for (int32_t seed = 0; seed < 1000000; ++seed) {
    Random15 draws(static_cast<uint32_t>(seed));
    for (int32_t die = 0; die < Dicer::DICES; ++die, draws.Next()) {
      if (draws.Next() == Random15::kMax) return {seed, die};
    }
  }
  return {};
}
