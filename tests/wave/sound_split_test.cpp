// Splitting sounds into pieces and channels and merging them one after the other or side by side.
#include "wave/sound_split.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/global.h"
#include "sound_helpers.h"
#include "support/recording_sink.h"

namespace {

std::vector<int16_t> Ramp(int32_t count, int16_t step) {
  std::vector<int16_t> samples(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) samples[static_cast<size_t>(i)] = static_cast<int16_t>(i * step);
  return samples;
}

// 0.2 s of a 441 Hz sine at `rate`.
SoundPtr Tone(int32_t rate) {
  const int32_t count = rate / 5;
  std::vector<int16_t> samples(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    samples[static_cast<size_t>(i)] = static_cast<int16_t>(10000 * std::sin(2 * M_PI * 441.0 * i / rate));
  }
  return MonoOf(samples, rate);
}

// The mean distance between rising zero crossings in [first, end).
double PeriodIn(const Wave& wave, int32_t first, int32_t end) {
  int32_t firstCrossing = -1, lastCrossing = -1, crossings = 0;
  for (int32_t i = first + 1; i < end; ++i) {
    if (wave.wave[i - 1] < 0 && wave.wave[i] >= 0) {
      if (firstCrossing < 0) firstCrossing = i;
      lastCrossing = i;
      ++crossings;
    }
  }
  return crossings < 2 ? 0 : static_cast<double>(lastCrossing - firstCrossing) / (crossings - 1);
}

}  // namespace

TEST(SoundSplit, ChannelsBecomeMonoSoundsOverTheSameBuffersAndMergeBackUnchanged) {
  const std::vector<int16_t> left = Ramp(300, 3), right = Ramp(300, -5);
  auto stereo = std::make_unique<StereoSound>(MakeWave(left), MakeWave(right), 11025, 1);
  const Wave* leftBuffer = stereo->GetLeft();
  SoundPtr upper, lower;
  SplitChannels(*stereo, upper, lower);
  stereo.reset();  // protected: the buffers stay with the new sounds
  ASSERT_EQ(upper->GetLeftWave(), leftBuffer);
  for (const Sound* part : {upper.get(), lower.get()}) {
    EXPECT_EQ(part->MoSt, 1);
    EXPECT_EQ(part->Freq, 11025);
    EXPECT_EQ(part->BytesPerSample, 1);
  }
  bool abort = false;
  SoundPtr merged = MergeSideBySide(abort, *upper, *lower, 11025, 1, kSilenceAtEnd);
  ASSERT_NE(merged, nullptr);
  // Both sources handed their buffers over; the merged sound owns them now.
  EXPECT_EQ(merged->GetLeftWave(), leftBuffer);
  upper.reset();
  lower.reset();
  EXPECT_EQ(Samples(merged->GetLeftWave()), left);
  EXPECT_EQ(Samples(merged->GetRightWave()), right);
  EXPECT_EQ(merged->MoSt, 2);
}

TEST(SoundSplit, PiecesCoverTheirRangesAndAFailedOneLeavesNone) {
  SoundPtr sound = MonoOf(Ramp(1001, 1), 22050);
  bool abort = false;
  // Three pieces of a length that 3 does not divide, then two that overlap.
  const std::vector<std::vector<SampleRange>> splits = {{{0, 333}, {333, 667}, {667, 1001}},
                                                        {{0, 600}, {400, 1001}}};
  for (const auto& ranges : splits) {
    const std::vector<SoundPtr> pieces = TrimPieces(abort, *sound, ranges);
    ASSERT_EQ(pieces.size(), ranges.size());
    for (size_t i = 0; i < ranges.size(); ++i) {
      SCOPED_TRACE(i);
      const std::vector<int16_t> expected = Ramp(1001, 1);
      EXPECT_EQ(Samples(pieces[i]->GetLeftWave()),
                std::vector<int16_t>(expected.begin() + ranges[i].first, expected.begin() + ranges[i].end));
    }
  }
  RecordingSink sink;
  {
    // Room for the first piece only.
    ScopedSampleBudget budget(SampleBytesInUse() + 2 * 600 + 100);
    EXPECT_TRUE(TrimPieces(abort, *sound, splits[1]).empty());
    EXPECT_TRUE(abort);
  }
  EXPECT_EQ(Samples(sound->GetLeftWave()), Ramp(1001, 1));
}

TEST(SoundSplit, SequentialMergeBringsEveryPartToTheChosenRateKeepingItsPitch) {
  bool abort = false;
  SoundPtr merged = MergeSequential(abort, *Tone(11025), *Tone(44100), 1, 22050, 2);
  ASSERT_NE(merged, nullptr);
  merged = MergeSequential(abort, *merged, *Tone(22050), 1, 22050, 2);
  ASSERT_NE(merged, nullptr);
  const Wave& wave = *merged->GetLeftWave();
  ASSERT_EQ(wave.values, 3 * 4410);
  for (int32_t part = 0; part < 3; ++part) {
    SCOPED_TRACE(part);
    EXPECT_NEAR(PeriodIn(wave, part * 4410, (part + 1) * 4410), 22050 / 441.0, 0.5);
  }
}

TEST(SoundSplit, SequentialMergeTakesTheChosenChannelsRateAndWidth) {
  struct Case {
    uint16_t channels;
    int32_t rate;
    int32_t firstCount;  // the first part's samples in the result
  } const cases[] = {{2, 44100, 200}, {1, 44100, 200}, {2, 22050, 100}, {1, 11025, 50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.channels * 1000000 + c.rate);
    bool abort = false;
    SoundPtr first = MonoOf(std::vector<int16_t>(100, 1000), 22050);
    SoundPtr last = StereoOf(std::vector<int16_t>(400, 3000), std::vector<int16_t>(400, -1000), 44100);
    SoundPtr merged = MergeSequential(abort, *first, *last, c.channels, c.rate, 1);
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->MoSt, c.channels);
    EXPECT_EQ(merged->Freq, c.rate);
    EXPECT_EQ(merged->BytesPerSample, 1);
    EXPECT_EQ(merged->GetValues(), c.firstCount * 3);
    // The first part is the mono wave in every channel; the last is averaged when mono.
    EXPECT_EQ(merged->GetRightWave()->wave[0], 1000);
    EXPECT_EQ(merged->GetRightWave()->wave[c.firstCount * 3 - 1], c.channels == 2 ? -1000 : 1000);
  }
}

TEST(SoundSplit, SideBySideMatchesTheLengthsAsChosen) {
  // A second of 1s on the left, half a second of 2s on the right, at 100 Hz.
  struct Case {
    uint8_t match;
    int32_t count;
    std::vector<int16_t> leftEnds;   // first and last sample
    std::vector<int16_t> rightEnds;
  } const cases[] = {{kSilenceAtBegin, 100, {1, 1}, {0, 2}},
                     {kSilenceAtEnd, 100, {1, 1}, {2, 0}},
                     {kStretchShorter, 100, {1, 1}, {2, 2}},
                     {kSqueezeLonger, 50, {1, 1}, {2, 2}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.match));
    bool abort = false;
    SoundPtr left = MonoOf(std::vector<int16_t>(100, 1), 100);
    SoundPtr right = MonoOf(std::vector<int16_t>(50, 2), 100);
    SoundPtr merged = MergeSideBySide(abort, *left, *right, 100, 2, c.match);
    ASSERT_NE(merged, nullptr);
    const Wave& l = *merged->GetLeftWave();
    const Wave& r = *merged->GetRightWave();
    ASSERT_EQ(l.values, c.count);
    ASSERT_EQ(r.values, c.count);
    EXPECT_EQ(std::vector<int16_t>({l.wave[0], l.wave[c.count - 1]}), c.leftEnds);
    EXPECT_EQ(std::vector<int16_t>({r.wave[0], r.wave[c.count - 1]}), c.rightEnds);
    // Silence goes exactly where the shorter one is missing.
    if (c.match == kSilenceAtBegin) {
      EXPECT_EQ(std::vector<int16_t>({r.wave[49], r.wave[50]}), std::vector<int16_t>({0, 2}));
    }
  }
}

TEST(SoundSplit, SideBySideOfEqualDurationsAtOtherRatesGivesChannelsOfOneLength) {
  struct Case {
    int32_t leftRate, rightRate, rate;
  } const cases[] = {{5512, 8000, 5512}, {5512, 8000, 22050}, {11025, 44100, 22050}, {8000, 176128, 88200}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.leftRate * 1000 + c.rightRate);
    bool abort = false;
    SoundPtr left = MonoOf(std::vector<int16_t>(static_cast<size_t>(c.leftRate), 5), c.leftRate);
    SoundPtr right = StereoOf(std::vector<int16_t>(static_cast<size_t>(c.rightRate), 6),
                              std::vector<int16_t>(static_cast<size_t>(c.rightRate), 8), c.rightRate);
    ASSERT_EQ(left->GetTime(), right->GetTime());
    SoundPtr merged = MergeSideBySide(abort, *left, *right, c.rate, 2, kSilenceAtEnd);
    ASSERT_NE(merged, nullptr);
    EXPECT_NEAR(merged->GetValues(), c.rate, 1);
    EXPECT_EQ(merged->GetLeftWave()->values, merged->GetRightWave()->values);
    EXPECT_EQ(merged->GetRightWave()->wave[0], 7);  // the stereo source's average
  }
}

TEST(SoundSplit, AFailedSideBySideMergeLeavesBothSourcesTheirOwnBuffers) {
  RecordingSink sink;
  SoundPtr left = MonoOf(Ramp(1000, 1), 1000);
  SoundPtr right = MonoOf(Ramp(500, 2), 1000);
  bool abort = false;
  {
    // No room to lengthen the right channel.
    ScopedSampleBudget budget(SampleBytesInUse() + 100);
    EXPECT_EQ(MergeSideBySide(abort, *left, *right, 1000, 2, kSilenceAtEnd), nullptr);
  }
  EXPECT_TRUE(abort);
  EXPECT_FALSE(left->ProtectWave);
  EXPECT_FALSE(right->ProtectWave);
  EXPECT_EQ(Samples(right->GetLeftWave()), Ramp(500, 2));
}
