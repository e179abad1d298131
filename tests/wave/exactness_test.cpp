// The fast forms of the sample loops give exactly the samples of the plain arithmetic they replace,
// kept here as reference loops, on random samples that include the extremes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "foundation/global.h"
#include "support/recording_sink.h"
#include "support/samples.h"
#include "wave/wave.h"

namespace {

Samples16 RandomSamples(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  Samples16 samples(n);
  for (size_t i = 0; i < n; ++i)
    samples[i] = i % 97 == 0 ? (i / 97 % 2 ? 32767 : -32768) : static_cast<int16_t>(random());
  return samples;
}

// A real result as a sample: truncated to 32 bits, the low 16 kept, 0 outside the 32-bit range.
int16_t Truncated(long double x) {
  return x > -2147483649.0L && x < 2147483648.0L ? static_cast<int16_t>(static_cast<int32_t>(x)) : 0;
}

constexpr size_t kMillion = 1 << 20;

}  // namespace

TEST(ExactnessTest, SameLengthRoutinesMatchTheirPlainLoops) {
  const Samples16 source = RandomSamples(kMillion + 13, 1);
  const WavePtr wave = MakeWave(source);
  const int32_t b = 3;
  const int32_t e = static_cast<int32_t>(source.size()) - 5;
  using Routine = std::function<Samples16(double)>;
  using Reference = std::function<int16_t(int32_t, double)>;
  bool abort = false;
  const std::pair<Routine, Reference> routines[] = {
      {[&](double f) { int32_t b2 = b, e2 = e; return Samples(wave->Volume(abort, f, b2, e2).get()); },
       [&](int32_t i, double f) { return Truncated(source[i] * f); }},
      {[&](double f) {
         int32_t b2 = b, e2 = e;
         WavePtr w = MakeWave(source);
         w->Scale(abort, f, b2, e2);
         return Samples(w);
       },
       [&](int32_t i, double f) { return Truncated(source[i] * f); }},
      {[&](double) { return Samples(wave->Reverse(abort, b, e).get()); },
       [&](int32_t i, double) { return source[e - 1 - (i - b)]; }},
  };
  for (const double factor :
       {0.0, 1.0, -1.0, 1.0 / 3, -2.75, 65535.9, 65536.0, -65536.0, 65536.5, 1e10, -1e300, 5e-324}) {
    for (size_t r = 0; r < std::size(routines); ++r) {
      SCOPED_TRACE(testing::Message() << "routine " << r << " factor " << factor);
      Samples16 expected = source;
      for (int32_t i = b; i < e; ++i) expected[i] = routines[r].second(i, factor);
      EXPECT_EQ(routines[r].first(factor), expected);
    }
  }
}

TEST(ExactnessTest, AnEmptyChannelReversesWithoutReachingBeforeItsSamples) {
  bool abort = false;
  EXPECT_EQ(Samples(Wave().Reverse(abort, 0, 0).get()), Samples16());
}

TEST(ExactnessTest, FixedEchoMatchesTheLongDoubleSum) {
  // Whole and fractional delays both ways, gains that round badly, overflow and none.
  const struct { double time, volume; int32_t count; } cases[] = {
      {4410, 0.5, 1},    {-3, 1.0 / 3, 3},  {17, -1e5, 2},         {1234.5678, 1.0 / 3, 3}, {-777.25, 0.9, 2},
      {0.3, -1.7, 2},    {1000.0 / 3, 1e10, 1}, {2.5, 0, 1},       {-0.5, 1.0 / 7, 4},     {250000, 0.5, 1}};
  const Samples16 source = RandomSamples(300000, 3);
  const int64_t n = static_cast<int64_t>(source.size());
  const WavePtr wave = MakeWave(source);
  const int32_t begin = 1000;
  const int32_t end = static_cast<int32_t>(n) - 2000;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.time << " x" << c.volume << " " << c.count);
    // The wave grows at the front or back by the echoes' reach.
    const int64_t front = std::max<int64_t>(0, c.count * static_cast<int64_t>(c.time < 0 ? 1 - c.time : 0) - begin);
    const int64_t back = std::max<int64_t>(0, end + c.count * static_cast<int64_t>(c.time > 0 ? c.time + 1 : 0) - n);
    Samples16 expected(front, 0);
    expected.insert(expected.end(), source.begin(), source.end());
    expected.resize(expected.size() + back, 0);
    double gain = 1;
    for (int32_t k = 1; k <= c.count; ++k) {
      gain *= c.volume;
      for (int64_t p = -front; p < n + back; ++p) {
        const long double at = p - static_cast<long double>(k) * c.time - begin;
        if (!(at >= 0 && at <= end - begin - 1)) continue;
        const auto i = static_cast<int64_t>(at) + begin;
        const long double f = at - (i - begin);
        const long double read = f == 0 ? source[i] : (1 - f) * source[i] + f * source[i + 1];
        expected[p + front] = Truncated(read * static_cast<long double>(gain) + expected[p + front]);
      }
    }
    bool abort = false;
    int32_t b = begin;
    int32_t e = end;
    EXPECT_EQ(Samples(wave->PerEchoConst(abort, c.time, c.volume, c.count, b, e).get()), expected);
  }
}

TEST(ExactnessTest, LongChannelsKeepTheirSamplesInTheirOwnAndInReusedMemory) {
  // Around the size from which a channel gets memory of its own (32 MiB); sizes come back so that
  // later rounds run in memory that earlier ones freed.
  constexpr int64_t kOwn = 16 * 1024 * 1024;
  const int64_t held = SampleBytesInUse();
  for (const int64_t n : {kOwn - 9, kOwn - 8, kOwn + 12345, kOwn - 8, kOwn + 12345}) {
    SCOPED_TRACE(n);
    bool abort = false;
    WavePtr wave = NewWaveChecked(abort, n);
    ASSERT_NE(wave, nullptr);
    for (int64_t i = 0; i < n; ++i) wave->wave[i] = static_cast<int16_t>(i * 7919);
    EXPECT_EQ(SampleBytesInUse(), held + 2 * n);
    const WavePtr reversed = wave->Reverse(abort, 0, -1);
    wave.reset();
    int64_t wrong = 0;
    for (int64_t i = 0; i < n; ++i) wrong += reversed->wave[i] != static_cast<int16_t>((n - 1 - i) * 7919);
    EXPECT_EQ(wrong, 0);
  }
  EXPECT_EQ(SampleBytesInUse(), held);
  // The budget still refuses a long channel, with the out-of-memory box.
  RecordingSink sink;
  const ScopedSampleBudget budget(held + 2 * kOwn - 1);
  bool abort = false;
  EXPECT_EQ(NewWaveChecked(abort, kOwn), nullptr);
  EXPECT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(SampleBytesInUse(), held);
}
