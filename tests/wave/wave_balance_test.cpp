#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/assertion.h"
#include "routine_samples.h"
#include "wave/wave.h"

namespace {

WavePtr Sine(int32_t count, double period, double amplitude) {
  std::vector<int16_t> samples(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(amplitude * std::sin(kTwoPi * i / period));
  return MakeSamples(samples);
}

std::vector<int16_t> Part(const Wave& w, int32_t first, int32_t last) {
  return std::vector<int16_t>(w.wave + first, w.wave + last);
}

int32_t Peak(const Wave& w, int32_t first) {
  bool abort = false;
  return w.MaxValue(abort, first, w.values);
}

}  // namespace

TEST(WaveBalance, VolumeAndTimeDifferencesPlaceTheSound) {
  bool abort = false;
  WavePtr mono = MakeSamples({1000, -2000, 3000, 4000});
  // Heard from the right: the left channel is silent, the right one unchanged.
  WavePtr left = mono->Balance(abort, 1, 0, false, true, false, 22050);
  WavePtr right = mono->Balance(abort, 1, 1, false, true, false, 22050);
  EXPECT_EQ(SamplesOf(*left), std::vector<int16_t>(4, 0));
  EXPECT_EQ(SamplesOf(*right), SamplesOf(*mono));
  EXPECT_EQ(SamplesOf(*mono->Balance(abort, 0.4, 0, false, false, false, 22050)), SamplesOf(*mono));

  // From straight ahead both channels get one zero sample more and stay equally long.
  for (int32_t channel : {0, 1}) {
    EXPECT_EQ(SamplesOf(*mono->Balance(abort, 0, channel, true, false, false, 22050)),
              (std::vector<int16_t>{1000, -2000, 3000, 4000, 0}));
  }

  // From the right at 22050 samples per second the left ear hears it 12.97 samples later; the
  // right channel is padded with as many zeros behind.
  WavePtr ramp = MakeConstant(100, 3000);
  WavePtr delayed = ramp->Balance(abort, 1, 0, true, false, false, 22050);
  WavePtr padded = ramp->Balance(abort, 1, 1, true, false, false, 22050);
  ASSERT_EQ(delayed->values, 113);
  ASSERT_EQ(padded->values, 113);
  EXPECT_EQ(Part(*delayed, 0, 13), std::vector<int16_t>(13, 0));
  EXPECT_EQ(delayed->wave[14], 3000);
  EXPECT_EQ(Part(*padded, 0, 100), SamplesOf(*ramp));
  EXPECT_EQ(Part(*padded, 100, 113), std::vector<int16_t>(13, 0));
  // With the volume difference as well, half-way to the right.
  WavePtr both = ramp->Balance(abort, 0.5, 0, true, true, false, 22050);
  EXPECT_EQ(both->wave[50], 750);
  EXPECT_FALSE(abort);
}

TEST(WaveBalance, FrequencyCurveRunsFrom20000HertzDownTo350) {
  bool abort = false;
  WavePtr curve = NewWaveChecked(abort, Wave::kFreqCurveSize);
  curve->MakeFreqCurve(abort, 44100);
  // Read back as a level q, each point's low-pass time rate / (20 q) is its period in whole samples;
  // 20000 Hz, two samples, lies beyond the top of the curve (q = 1000).
  auto time = [](int16_t v) { return 44100 / (20 * std::pow(10.0, (v + 32768) * 3 / 65535.0)); };
  EXPECT_EQ(curve->wave[0], 32767);
  EXPECT_NEAR(time(curve->wave[59]), 12, 0.05);   // 3500 Hz
  EXPECT_NEAR(time(curve->wave[75]), 17, 0.05);   // 2500 Hz
  EXPECT_NEAR(time(curve->wave[90]), 44, 0.05);   // 1000 Hz
  EXPECT_NEAR(time(curve->wave[149]), 126, 0.05);  // 350 Hz
  // Falling throughout, up to the rounding of the accumulated segments.
  for (int i = 1; i < 150; ++i) EXPECT_LE(curve->wave[i], curve->wave[i - 1] + 1) << i;
  EXPECT_LT(curve->wave[120], curve->wave[100] - 1000);

  // At 11025 samples per second no whole period of 20000 Hz fits: its point is the top, 32767.
  curve->MakeFreqCurve(abort, 11025);
  EXPECT_EQ(curve->wave[0], 32767);
  WavePtr wrongSize = NewWaveChecked(abort, 149);
  EXPECT_THROW(wrongSize->MakeFreqCurve(abort, 11025), AssertionFailure);
}

TEST(WaveBalance, FilterDifferenceDullsTheFarEar) {
  bool abort = false;
  WavePtr bright = Sine(3000, 4, 10000);  // 11025 Hz at 44100 samples per second
  // The near side's 20000 Hz cut-off is too high for the stage: it passes unchanged.
  EXPECT_EQ(SamplesOf(*bright->balFilter(abort, -1, 44100)), SamplesOf(*bright));
  WavePtr dull = bright->balFilter(abort, 1, 44100);
  EXPECT_LT(Peak(*dull, 1000), 1000);
  // Directions beyond the curve are taken as its ends.
  EXPECT_EQ(SamplesOf(*bright->balFilter(abort, 7, 44100)), SamplesOf(*dull));
  EXPECT_EQ(SamplesOf(*bright->Balance(abort, -1, 1, false, false, true, 44100)), SamplesOf(*dull));
  WavePtr empty = NewWave();
  EXPECT_EQ(empty->balFilter(abort, 1, 44100)->values, 0);
  EXPECT_FALSE(abort);
}

TEST(WaveBalance, EnvelopeFollowsTheDirectionOverTime) {
  bool abort = false;
  WavePtr right = MakeSamples({32767, -32767, 0});
  EXPECT_EQ(SamplesOf(*right->BalanceEnvPart(abort, 1)), (std::vector<int16_t>{32766, 0, 16383}));
  EXPECT_EQ(SamplesOf(*right->BalanceEnvPart(abort, 0)), (std::vector<int16_t>{0, 32766, 16383}));

  // The right channel hears the full left (-32768) as the full right, not as the full left again.
  WavePtr fullLeft = MakeSamples({-32768});
  WavePtr fullRight = MakeSamples({32767});
  EXPECT_EQ(SamplesOf(*fullLeft->BalanceFilterEnv(abort, 1, 44100)),
            SamplesOf(*fullRight->BalanceFilterEnv(abort, 0, 44100)));

  WavePtr mono = MakeConstant(200, 8000);
  WavePtr silentLeft = mono->BalanceEnv(abort, fullRight.get(), 0, false, true, false, 44100);
  WavePtr fullVolume = mono->BalanceEnv(abort, fullRight.get(), 1, false, true, false, 44100);
  EXPECT_EQ(SamplesOf(*silentLeft), std::vector<int16_t>(200, 0));
  EXPECT_EQ(SamplesOf(*fullVolume), std::vector<int16_t>(200, 7999));

  // Straight ahead, the time difference pads both sides by trunc(rate / 3400 + 1) samples; an
  // empty envelope is straight ahead.
  WavePtr ahead = MakeSamples({0, 0});
  WavePtr none = NewWave();
  for (const Wave* envelope : {ahead.get(), none.get()}) {
    WavePtr timed = mono->BalanceEnv(abort, envelope, 0, true, false, false, 22050);
    ASSERT_EQ(timed->values, 214);
    EXPECT_EQ(Part(*timed, 0, 7), std::vector<int16_t>(7, 0));
    EXPECT_EQ(Part(*timed, 7, 207), SamplesOf(*mono));
  }
  // Full right: the two channels shift the opposite ways by rate / 3400 samples.
  WavePtr leftEar = mono->BalanceEnv(abort, fullRight.get(), 0, true, false, false, 22050);
  WavePtr rightEar = mono->BalanceEnv(abort, fullRight.get(), 1, true, false, false, 22050);
  EXPECT_EQ(leftEar->wave[13], 0);
  EXPECT_NE(leftEar->wave[14], 0);
  EXPECT_NE(rightEar->wave[1], 0);
  EXPECT_EQ(rightEar->wave[0], 0);

  WavePtr bright = Sine(3000, 4, 10000);
  EXPECT_LT(Peak(*bright->BalanceEnv(abort, fullRight.get(), 0, false, false, true, 44100), 1000), 1000);
  EXPECT_EQ(mono->BalanceEnv(abort, nullptr, 0, true, true, false, 44100), nullptr);
  EXPECT_FALSE(abort);
}
