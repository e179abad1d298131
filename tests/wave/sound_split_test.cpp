// Merging two sounds one after the other or side by side: rates, pitch and matched lengths.
#include "wave/sound_split.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "sound_helpers.h"

namespace {

// 0.2 s of a 441 Hz sine at `rate`.
SoundPtr Tone(int32_t rate) { return MonoOf(SineSamples(rate / 5, rate / 441.0, 10000), rate); }

// Rising zero crossings in [first, end): 88 in 0.2 s of 441 Hz.
int Crossings(const Wave& wave, int32_t first, int32_t end) {
  int crossings = 0;
  for (int32_t i = first + 1; i < end; ++i) crossings += wave.wave[i - 1] < 0 && wave.wave[i] >= 0;
  return crossings;
}

}  // namespace

TEST(SoundSplit, SequentialMergeBringsEveryPartToTheChosenFormatKeepingItsPitch) {
  // Three tones at three rates, merged twice.
  for (const uint16_t channels : {1, 2}) {
    for (const int32_t rate : {22050, 44100}) {
      SCOPED_TRACE(channels * 100000 + rate);
      bool abort = false;
      SoundPtr merged = MergeSequential(abort, *Tone(11025), *Tone(44100), channels, rate, 1);
      merged = MergeSequential(abort, *merged, *Tone(22050), channels, rate, 1);
      ASSERT_NE(merged, nullptr);
      EXPECT_EQ(merged->MoSt, channels);
      EXPECT_EQ(merged->Freq, rate);
      const int32_t part = rate / 5;
      ASSERT_EQ(merged->GetValues(), 3 * part);
      for (int32_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(Crossings(*merged->GetRightWave(), k * part, (k + 1) * part), 88, 1);
      }
    }
  }
}

TEST(SoundSplit, SideBySideMatchesTheLengthsAsChosen) {
  // A second of 1s on the left, half a second of 2s on the right, at 100 Hz.
  // The count of each channel, the zeros of the right one.
  struct Case { uint8_t match; int32_t count, zeros; int16_t rightFirst, rightLast; } const cases[] = {
      {kSilenceAtBegin, 100, 50, 0, 2}, {kSilenceAtEnd, 100, 50, 2, 0}, {kStretchShorter, 100, 0, 2, 2},
      {kSqueezeLonger, 50, 0, 2, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.match));
    bool abort = false;
    SoundPtr left = MonoOf(std::vector<int16_t>(100, 1), 100);
    SoundPtr right = MonoOf(std::vector<int16_t>(50, 2), 100);
    SoundPtr merged = MergeSideBySide(abort, *left, *right, 100, 2, c.match);
    ASSERT_NE(merged, nullptr);
    const std::vector<int16_t> l = Samples(merged->GetLeftWave()), r = Samples(merged->GetRightWave());
    EXPECT_EQ(l, std::vector<int16_t>(static_cast<size_t>(c.count), 1));
    EXPECT_EQ(std::count(r.begin(), r.end(), 0), c.zeros);
    EXPECT_EQ(std::make_pair(r.front(), r.back()), std::make_pair(c.rightFirst, c.rightLast));
  }
}
