#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "support/recording_sink.h"
#include "support/samples.h"
#include "wave/wave.h"

namespace {

Samples16 Part(const WavePtr& w, int32_t first, int32_t last) { return Slice(Samples(w), first, last); }

// 11025 Hz at 44100 samples per second; the peak of what the filters leave of it.
int32_t BrightPeak(const WavePtr& filtered) {
  bool abort = false;
  return filtered->MaxValue(abort, 1000, filtered->values);
}

WavePtr Bright() { return MakeWave(SineSamples(3000, 4, 10000)); }

}  // namespace

TEST(WaveBalance, VolumeAndTimeDifferencesPlaceTheSound) {
  bool abort = false;
  WavePtr mono = MakeWave({1000, -2000, 3000, 4000});
  // Heard from the right: the left channel (flag 0) is silent, the right one unchanged.
  EXPECT_EQ(Samples(mono->Balance(abort, 1, 0, false, true, false, 22050)), Samples16(4, 0));
  EXPECT_EQ(Samples(mono->Balance(abort, 1, 1, false, true, false, 22050)), Samples(mono));
  // From straight ahead both channels get one zero sample more and stay equally long.
  for (int32_t channel : {0, 1}) {
    EXPECT_EQ(Samples(mono->Balance(abort, 0, channel, true, false, false, 22050)),
              (Samples16{1000, -2000, 3000, 4000, 0}));
  }
  // From the right at 22050 samples per second the left ear hears it 12.97 samples later; the
  // right channel is padded with as many zeros behind.
  WavePtr steady = MakeConstant(100, 3000);
  WavePtr delayed = steady->Balance(abort, 1, 0, true, false, false, 22050);
  WavePtr padded = steady->Balance(abort, 1, 1, true, false, false, 22050);
  ASSERT_TRUE(delayed->values == 113 && padded->values == 113);
  EXPECT_EQ(Part(delayed, 0, 14), (Samples16{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3000}));
  EXPECT_EQ(Part(padded, 99, 101), (Samples16{3000, 0}));
  EXPECT_EQ(steady->Balance(abort, 0.5, 0, true, true, false, 22050)->wave[50], 750);  // with the volume as well
}

TEST(WaveBalance, FilterDifferenceFollowsTheFrequencyCurve) {
  bool abort = false;
  WavePtr curve = NewWaveChecked(abort, Wave::kFreqCurveSize);
  curve->MakeFreqCurve(abort, 44100);
  // Read back as a level q, each point's low-pass time rate / (20 q) is its period in whole samples;
  // 20000 Hz, two samples, lies beyond the top of the curve (q = 1000).
  auto time = [&curve](int i) { return 44100 / (20 * std::pow(10.0, (curve->wave[i] + 32768) * 3 / 65535.0)); };
  EXPECT_EQ(curve->wave[0], 32767);
  EXPECT_NEAR(time(59), 12, 0.05);  // 3500 Hz
  EXPECT_NEAR(time(90), 44, 0.05);  // 1000 Hz
  EXPECT_NEAR(time(149), 126, 0.05);  // 350 Hz
  for (int i = 1; i < 150; ++i) EXPECT_LE(curve->wave[i], curve->wave[i - 1] + 1) << i;  // up to rounding
  // At 11025 samples per second no whole period of 20000 Hz fits: its point is the top as well.
  curve->MakeFreqCurve(abort, 11025);
  EXPECT_EQ(curve->wave[0], 32767);
  // At 3000 neither 20000 Hz nor 3500 Hz fits: the curve is flat at the top up to the 3500 Hz
  // point, then falls to log10(3000 / 1 * 0.05) * 21845 - 32768 = 14768 (2500 Hz) and on.
  curve->MakeFreqCurve(abort, 3000);
  EXPECT_EQ(Part(curve, 0, 60), Samples16(60, 32767));
  EXPECT_EQ((Samples16{curve->wave[75], curve->wave[90], curve->wave[149]}), (Samples16{14768, 4345, -4959}));

  // The near side's cut-off is too high for the stage; the far side's dulls the sound.
  WavePtr bright = Bright();
  EXPECT_EQ(Samples(bright->balFilter(abort, -1, 44100)), Samples(bright));
  WavePtr dull = bright->balFilter(abort, 1, 44100);
  EXPECT_LT(BrightPeak(dull), 1000);
  // Directions beyond the curve are taken as its ends; a rate of 0 filters nothing.
  EXPECT_EQ(Samples(bright->balFilter(abort, 7, 44100)), Samples(dull));
  EXPECT_EQ(Samples(bright->Balance(abort, -1, 1, false, false, true, 44100)), Samples(dull));
  EXPECT_EQ(Samples(bright->balFilter(abort, 1, 0)), Samples(bright));
  EXPECT_FALSE(abort);
}

TEST(WaveBalance, EnvelopeFollowsTheDirectionOverTime) {
  bool abort = false;
  WavePtr directions = MakeWave({32767, -32767, 0});
  EXPECT_EQ(Samples(directions->BalanceEnvPart(abort, 1)), (Samples16{32766, 0, 16383}));
  EXPECT_EQ(Samples(directions->BalanceEnvPart(abort, 0)), (Samples16{0, 32766, 16383}));
  // The right channel hears the full left (-32768) as the full right, not as the full left again.
  WavePtr fullLeft = MakeWave({-32768}), fullRight = MakeWave({32767});
  EXPECT_EQ(Samples(fullLeft->BalanceFilterEnv(abort, 1, 44100)),
            Samples(fullRight->BalanceFilterEnv(abort, 0, 44100)));

  WavePtr mono = MakeConstant(200, 8000);
  EXPECT_EQ(Samples(mono->BalanceEnv(abort, fullRight.get(), 0, false, true, false, 44100)), Samples16(200, 0));
  EXPECT_EQ(Samples(mono->BalanceEnv(abort, fullRight.get(), 1, false, true, false, 44100)), Samples16(200, 7999));
  EXPECT_LT(BrightPeak(Bright()->BalanceEnv(abort, fullRight.get(), 0, false, false, true, 44100)), 1000);
  // Straight ahead (or an empty envelope), the time difference pads both sides by
  // trunc(rate / 3400 + 1) samples; full right shifts the channels the opposite ways.
  WavePtr ahead = MakeWave({0, 0}), none = NewWave();
  for (const Wave* envelope : {ahead.get(), none.get()}) {
    WavePtr timed = mono->BalanceEnv(abort, envelope, 0, true, false, false, 22050);
    ASSERT_EQ(timed->values, 214);
    EXPECT_EQ(Part(timed, 6, 8), (Samples16{0, 8000}));
    EXPECT_EQ(Part(timed, 206, 208), (Samples16{8000, 0}));
  }
  EXPECT_EQ(Part(mono->BalanceEnv(abort, fullRight.get(), 0, true, false, false, 22050), 13, 15), (Samples16{0, 8000}));
  EXPECT_EQ(Part(mono->BalanceEnv(abort, fullRight.get(), 1, true, false, false, 22050), 0, 2), (Samples16{0, 8000}));
  EXPECT_EQ(mono->BalanceEnv(abort, nullptr, 0, true, true, false, 44100), nullptr);

  // Out of memory part way: no result, and the temporaries go (the sanitizer build checks leaks).
  RecordingSink sink;
  ScopedSampleBudget budget(SampleBytesInUse() + 2 * Wave::kFreqCurveSize + 100);
  EXPECT_EQ(mono->BalanceEnv(abort, fullRight.get(), 0, true, false, true, 44100), nullptr);
  EXPECT_EQ(std::pair(abort, sink.messages.size()), std::pair(true, size_t{1}));
}
