// The fast forms of the sample loops give exactly the samples of the plain arithmetic they replace,
// kept here as reference loops, on random samples that include the extremes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "foundation/global.h"
#include "support/recording_sink.h"
#include "wave/sound.h"
#include "wave/wave.h"
#include "wave/wavefile.h"

namespace {

std::vector<int16_t> RandomSamples(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> sample(-32768, 32767);
  std::vector<int16_t> samples(n);
  for (int16_t& s : samples) s = static_cast<int16_t>(sample(random));
  for (size_t i = 0; i < n; i += 97) samples[i] = (i / 97) % 2 ? 32767 : -32768;
  return samples;
}

WavePtr WaveOf(const std::vector<int16_t>& samples) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, static_cast<int64_t>(samples.size()));
  for (size_t i = 0; i < samples.size(); ++i) w->wave[i] = samples[i];
  return w;
}

std::vector<int16_t> SamplesOf(const Wave* w) {
  if (w == nullptr) return {};
  return std::vector<int16_t>(w->wave, w->wave + w->values);
}

// The conversion of a real result to a sample: truncate to 32 bits, keep the low 16, 0 outside.
int16_t ReferenceSample(long double x) {
  if (!(x > -2147483649.0L && x < 2147483648.0L)) return 0;
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(static_cast<int32_t>(x))));
}

long double ReferenceRead(const int16_t* s, int64_t n, long double position) {
  if (!(position < n - 1)) return s[n - 1];
  if (!(position > 0)) return s[0];
  const auto i = static_cast<int64_t>(position);
  const long double f = position - i;
  if (f == 0) return s[i];
  return (1 - f) * s[i] + f * s[i + 1];
}

constexpr size_t kMillion = 1 << 20;

}  // namespace

TEST(ExactnessTest, VolumeAndScaleMatchThePlainProductForEveryFactor) {
  const std::vector<int16_t> source = RandomSamples(kMillion, 1);
  const int32_t begin = 3;
  const int32_t end = static_cast<int32_t>(source.size()) - 5;
  const double factors[] = {0,      1,       -1,     0.5,    1.0 / 3,  -2.75,    7.1,   65535.9,
                            65536,  -65536,  65536.5, -70000, 1e10,     -1e300,   1e-300, 5e-324};
  const WavePtr wave = WaveOf(source);
  for (const double factor : factors) {
    SCOPED_TRACE(factor);
    std::vector<int16_t> expected = source;
    for (int32_t i = begin; i < end; ++i) expected[i] = ReferenceSample(static_cast<double>(source[i]) * factor);
    bool abort = false;
    int32_t b = begin;
    int32_t e = end;
    EXPECT_EQ(SamplesOf(wave->Volume(abort, factor, b, e).get()), expected);
    const WavePtr scaled = WaveOf(source);
    scaled->Scale(abort, factor, b, e);
    EXPECT_EQ(SamplesOf(scaled.get()), expected);
  }
}

TEST(ExactnessTest, ReverseMirrorsEverySelection) {
  const std::vector<int16_t> source = RandomSamples(kMillion + 13, 2);
  const int32_t n = static_cast<int32_t>(source.size());
  const WavePtr wave = WaveOf(source);
  const std::pair<int32_t, int32_t> selections[] = {{0, n}, {1, n - 1}, {17, 18}, {5, 5}, {1000, 5031}};
  for (const auto& [begin, end] : selections) {
    SCOPED_TRACE(testing::Message() << begin << ".." << end);
    std::vector<int16_t> expected = source;
    for (int32_t i = begin; i < end; ++i) expected[i] = source[end - 1 - (i - begin)];
    bool abort = false;
    EXPECT_EQ(SamplesOf(wave->Reverse(abort, begin, end).get()), expected);
  }
}

TEST(ExactnessTest, FixedEchoMatchesTheLongDoubleSum) {
  struct Case {
    double echoTime, volume;
    int32_t count;
  };
  // Whole and fractional delays, both directions, gains that round badly, overflow and none.
  const Case cases[] = {{4410, 0.5, 1},      {-3, 1.0 / 3, 3}, {17, -1e5, 2},      {1234.5678, 1.0 / 3, 3},
                        {-777.25, 0.9, 2},    {0.3, -1.7, 2},   {1000.0 / 3, 1e10, 1}, {2.5, 0, 1},
                        {-0.5, 1.0 / 7, 4},   {99999.75, 1, 1}, {250000, 0.5, 1}};
  const std::vector<int16_t> source = RandomSamples(300000, 3);
  const WavePtr wave = WaveOf(source);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.echoTime << " x" << c.volume << " " << c.count);
    const int32_t begin = 1000;
    const int32_t end = static_cast<int32_t>(source.size()) - 2000;
    // The wave grows at the front or back by the echoes' reach.
    const int64_t front = c.echoTime < 0 ? c.count * static_cast<int64_t>(1 - c.echoTime) : 0;
    const int64_t back = c.echoTime > 0 ? c.count * static_cast<int64_t>(c.echoTime + 1) : 0;
    const int64_t padFront = std::max<int64_t>(0, front - begin);
    const int64_t padBack = std::max<int64_t>(0, end + back - static_cast<int64_t>(source.size()));
    std::vector<int16_t> expected(padFront, 0);
    expected.insert(expected.end(), source.begin(), source.end());
    expected.resize(expected.size() + padBack, 0);
    const int16_t* selection = source.data() + begin;
    double gain = 1;
    for (int32_t k = 1; k <= c.count; ++k) {
      gain *= c.volume;
      const long double delay = static_cast<long double>(k) * c.echoTime;
      for (int64_t p = -padFront; p < static_cast<int64_t>(source.size()) + padBack; ++p) {
        const long double at = p - delay - begin;
        if (!(at >= 0 && at <= end - begin - 1)) continue;
        int16_t& out = expected[p + padFront];
        out = ReferenceSample(ReferenceRead(selection, end - begin, at) * static_cast<long double>(gain) + out);
      }
    }
    bool abort = false;
    int32_t b = begin;
    int32_t e = end;
    EXPECT_EQ(SamplesOf(wave->PerEchoConst(abort, c.echoTime, c.volume, c.count, b, e).get()), expected);
    EXPECT_EQ(b, begin - front + padFront);
    EXPECT_EQ(e, end + back + padFront);
  }
}

TEST(ExactnessTest, WaveFramesEncodeAndDecodeEverySample) {
  const std::vector<int16_t> left = RandomSamples(kMillion, 4);
  const std::vector<int16_t> right = RandomSamples(kMillion, 5);
  const std::string path = (std::filesystem::temp_directory_path() / "kvexactness.wav").string();
  for (const uint16_t channels : {1, 2}) {
    for (const uint16_t bytes : {1, 2}) {
      SCOPED_TRACE(testing::Message() << channels << " channels, " << bytes << " bytes");
      // 8 bits: trunc(s / 256) + 128, read back as (byte - 128) * 256; 16 bits: little-endian.
      std::vector<unsigned char> data;
      std::vector<int16_t> decoded[2];
      for (size_t i = 0; i < left.size(); ++i) {
        for (int c = 0; c < channels; ++c) {
          const int16_t s = c == 0 ? left[i] : right[i];
          if (bytes == 1) {
            data.push_back(static_cast<unsigned char>(s / 256 + 128));
            decoded[c].push_back(static_cast<int16_t>((data.back() - 128) * 256));
          } else {
            data.push_back(static_cast<unsigned char>(s & 0xFF));
            data.push_back(static_cast<unsigned char>(static_cast<uint16_t>(s) >> 8));
            decoded[c].push_back(s);
          }
        }
      }
      SoundPtr sound;
      if (channels == 1)
        sound = std::make_unique<MonoSound>(WaveOf(left), 44100, bytes);
      else
        sound = std::make_unique<StereoSound>(WaveOf(left), WaveOf(right), 44100, bytes);
      bool abort = false;
      ASSERT_TRUE(WriteWaveFile(abort, path, *sound, 0, sound->GetValues(), true));
      std::ifstream in(path, std::ios::binary);
      const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      std::filesystem::remove(path);
      ASSERT_EQ(file.size(), 44 + data.size());
      EXPECT_TRUE(std::equal(data.begin(), data.end(), file.begin() + 44));

      SoundPtr back;
      std::string status;
      ASSERT_TRUE(ReadWaveMemory(file.data(), file.size(), back, status)) << status;
      EXPECT_EQ(SamplesOf(back->GetLeftWave()), decoded[0]);
      if (channels == 2) {
        EXPECT_EQ(SamplesOf(back->GetRightWave()), decoded[1]);
      }
    }
  }
}

TEST(ExactnessTest, LongChannelsKeepEverySampleInTheirOwnAndInReusedMemory) {
  // Around the size from which a channel gets memory of its own (32 MiB), twice each, so that the
  // second round runs in memory the first one freed.
  constexpr int64_t kOwnMemory = 16 * 1024 * 1024;
  const int64_t held = SampleBytesInUse();
  for (const int64_t n : {kOwnMemory - 9, kOwnMemory - 8, kOwnMemory + 12345, kOwnMemory - 8, kOwnMemory + 12345}) {
    SCOPED_TRACE(n);
    bool abort = false;
    WavePtr wave = NewWaveChecked(abort, n);
    ASSERT_NE(wave, nullptr);
    for (int64_t i = 0; i < n; ++i) wave->wave[i] = static_cast<int16_t>(i * 7919);
    EXPECT_EQ(SampleBytesInUse(), held + 2 * n);
    const WavePtr reversed = wave->Reverse(abort, 0, -1);
    wave.reset();
    ASSERT_NE(reversed, nullptr);
    int64_t wrong = 0;
    for (int64_t i = 0; i < n; ++i) wrong += reversed->wave[i] != static_cast<int16_t>((n - 1 - i) * 7919);
    EXPECT_EQ(wrong, 0);
  }
  EXPECT_EQ(SampleBytesInUse(), held);

  // The budget still refuses a long channel, with the out-of-memory box.
  RecordingSink sink;
  const ScopedSampleBudget budget(held + 2 * kOwnMemory - 1);
  bool abort = false;
  EXPECT_EQ(NewWaveChecked(abort, kOwnMemory), nullptr);
  EXPECT_TRUE(abort);
  EXPECT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(SampleBytesInUse(), held);
}
