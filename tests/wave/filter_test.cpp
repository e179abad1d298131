#include "wave/filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/assertion.h"
#include "support/samples.h"
#include "wave/wave.h"

namespace {

WavePtr Sine(int32_t count, double period, double amplitude) { return MakeWave(SineSamples(count, period, amplitude)); }

// The energy of the second half, once the filter has settled.
double Energy(const WavePtr& w) {
  double sum = 0;
  for (int32_t i = w->values / 2; i < w->values; ++i) sum += static_cast<double>(w->wave[i]) * w->wave[i];
  return sum;
}

}  // namespace

TEST(Filter, OnePoleStageFollowsItsTimeConstant) {
  bool abort = false;
  WavePtr w = MakeWave({5, 1000, 1000, 1000, 1000, 1000, 7});
  // Too short a time makes a negative coefficient, taken as 0: the selection passes unchanged.
  EXPECT_EQ(Samples(w->LowPass(abort, 2, 0.4, 1, 1, 1, 6)), Samples(w));
  const double a = 1 - kTwoPi * 0.4 / (std::sqrt(1 - 0.16) * 10);
  WavePtr low = w->LowPass(abort, 10, 0.4, 1, 1, 1, 6);
  WavePtr high = w->HighPass(abort, 10, 0.4, 1, 1, 1, 6);
  EXPECT_EQ(low->wave[1], static_cast<int16_t>((1 - a) * 1000));
  EXPECT_EQ((Samples16{low->wave[0], low->wave[6], high->wave[0], high->wave[6]}), (Samples16{5, 7, 5, 7}));
  for (int i = 1; i < 6; ++i) {
    EXPECT_GT(low->wave[i], i > 1 ? low->wave[i - 1] : 0);  // rising towards the input
    EXPECT_EQ(high->wave[i] + low->wave[i], 999);           // the rest, less the two truncations
  }
  WavePtr decayed = MakeConstant(400, 1000)->HighPass(abort, 10, 0.4, 1, 1, 0, -1);
  EXPECT_GT(decayed->wave[0], 100);
  EXPECT_EQ(decayed->wave[399], 0);

  // Two passes filter the filtered selection once more; two stages share one coefficient.
  WavePtr twice = low->LowPass(abort, 10, 0.4, 1, 1, 1, 6);
  EXPECT_EQ(Samples(w->LowPass(abort, 10, 0.4, 1, 2, 1, 6)), Samples(twice));
  EXPECT_EQ(Samples(w->LowPass(abort, 10, 0.16, 2, 1, 1, 6)), Samples(low));
  EXPECT_THROW(w->LowPass(abort, 10, 1, 1, 1, 1, 6), AssertionFailure);

  // An envelope of -32768 is 20 Hz, read afresh for every pass; 32767 is 20000 Hz, too short a
  // time at 8000 samples per second.
  WavePtr sine = Sine(2000, 8, 10000), lowest = MakeWave({-32768, -32768}), highest = MakeWave({32767});
  EXPECT_EQ(Samples(sine->LowPassEnv(abort, lowest.get(), 0.4, 1, 2, 44100, 0, -1)),
            Samples(sine->LowPass(abort, 44100.0 / 20, 0.4, 1, 2, 0, -1)));
  EXPECT_EQ(Samples(sine->HighPassEnv(abort, highest.get(), 0.4, 1, 1, 8000, 0, -1)), Samples16(2000, 0));
  EXPECT_EQ(sine->LowPassEnv(abort, nullptr, 0.4, 1, 1, 8000, 0, -1), nullptr);
  abort = true;
  EXPECT_EQ(sine->LowPass(abort, 10, 0.4, 1, 1, 0, -1), nullptr);
}

TEST(Filter, ResonantKeepsItsBandAndNotchRemovesIt) {
  bool abort = false;
  WavePtr inBand = Sine(4000, 40, 10000), outOfBand = Sine(4000, 5, 10000);
  EXPECT_GT(Energy(inBand->Resonant(abort, 40, 0.1, 0, -1)), 20 * Energy(outOfBand->Resonant(abort, 40, 0.1, 0, -1)));
  EXPECT_LT(Energy(inBand->Notch(abort, 40, 0.1, 0, -1)), Energy(inBand) / 4);
  WavePtr lowest = MakeWave({-32768}), middle = MakeWave({0});
  // The finer period-envelope form resonates at the same period.
  EXPECT_GT(Energy(inBand->ResonantFreqEnv(abort, lowest.get(), 0.1, 800, 0, -1)),
            20 * Energy(outOfBand->ResonantFreqEnv(abort, lowest.get(), 0.1, 800, 0, -1)));

  // The notch writes the input less what the resonant writes, and both keep the samples around.
  WavePtr w = Sine(300, 17, 12000);
  w->wave[0] = 11;
  w->wave[299] = 22;
  WavePtr resonant = w->Resonant(abort, 20, 0.3, 1, 299), notch = w->Notch(abort, 20, 0.3, 1, 299);
  EXPECT_EQ((Samples16{notch->wave[0], notch->wave[299], resonant->wave[299]}), (Samples16{11, 22, 22}));
  for (int i = 1; i < 299; ++i) EXPECT_NEAR(resonant->wave[i] + notch->wave[i], w->wave[i], 1) << i;

  // A width envelope of -32768 is width 0: the input has no effect. 0 is width 0.5.
  EXPECT_EQ(Samples(inBand->ResonantWidthEnv(abort, 40, lowest.get(), 0, -1)), Samples16(4000, 0));
  EXPECT_EQ(Samples(inBand->NotchEnv(abort, lowest.get(), lowest.get(), 8000, 0, -1)), Samples(inBand));
  EXPECT_EQ(Samples(inBand->ResonantWidthEnv(abort, 400, middle.get(), 0, -1)),
            Samples(inBand->Resonant(abort, 400, 0.5, 0, -1)));
  EXPECT_EQ(inBand->NotchEnv(abort, nullptr, middle.get(), 8000, 0, -1), nullptr);
  // A frequency above the rate is a period of one sample, not a trap.
  EXPECT_EQ(Samples(inBand->Notch(abort, 0.4, 0.5, 0, -1)), Samples(inBand->Notch(abort, 1, 0.5, 0, -1)));
  EXPECT_EQ(Samples(inBand->ResonantWidthEnv(abort, 0.4, middle.get(), 0, -1)),
            Samples(inBand->ResonantWidthEnv(abort, 1, middle.get(), 0, -1)));
  EXPECT_NE(Samples(inBand->ResonantWidthEnv(abort, 1.5, middle.get(), 0, -1)),
            Samples(inBand->ResonantWidthEnv(abort, 1, middle.get(), 0, -1)));
  EXPECT_THROW(inBand->Notch(abort, 4, 1.5, 0, -1), AssertionFailure);
}

TEST(Filter, OnlyTheResonantFormOfAPeriodEnvelopeRunsTheFineResonator) {
  bool abort = false;
  // An envelope of -32768 is 20 Hz: a period of 40 samples at 800 per second. The notch then
  // runs as the constant notch does; the resonant form runs its finer steps and so differs.
  WavePtr w = Sine(400, 37, 10000), lowest = MakeWave({-32768});
  const Samples16 notch = Samples(w->NotchFreqEnv(abort, lowest.get(), 0.3, 800, 3, 397));
  EXPECT_EQ(notch, Samples(w->Notch(abort, 40, 0.3, 3, 397)));
  EXPECT_EQ(Slice(notch, 0, 3), Slice(Samples(w), 0, 3));
  const Samples16 resonant = Samples(w->ResonantFreqEnv(abort, lowest.get(), 0.3, 800, 3, 397));
  const Samples16 coarse = Samples(w->Resonant(abort, 40, 0.3, 3, 397));
  int differing = 0;
  for (int i = 3; i < 397; ++i) differing += resonant[i] != coarse[i];
  EXPECT_GT(differing, 300);
}

TEST(Filter, ResonatorStaysFiniteOverEveryFrequencyAndWidth) {
  for (int32_t rate : {8000, 11025, 44100}) {
    for (double frequency = 20; frequency <= 2.5 * rate; frequency *= 1.15) {
      for (double width = 0; width <= 1.0; width += 0.05) {
        for (bool fine : {false, true}) {
          Resonator r = fine ? Resonator(Resonator::kFineSubSteps, Resonator::kFineSpring)
                             : Resonator(Resonator::kSubSteps, Resonator::kSpring);
          r.Tune(rate / frequency, std::min(width, 1.0));
          double largest = 0;
          for (int i = 0; i < 4000; ++i) {  // full scale at its own frequency, then at the highest
            const double x = i < 2000 ? 32767 * std::sin(kTwoPi * frequency * i / rate) : (i % 2 ? 32767 : -32768);
            largest = std::max(largest, std::abs(r.Next(x)));
          }
          ASSERT_LT(largest, 1e9) << rate << " Hz: " << frequency << " " << width << " " << fine;
        }
      }
    }
  }
}

TEST(Filter, BlockFiltersAverageAndGrowTheSelectionByTheirTail) {
  bool abort = false;
  WavePtr w = MakeWave({5, 100, 200, -300, 40, 7});
  struct Case { double time; Samples16 expected; };
  const Case cases[] = {
      {1, {5, 0, 50, 100, -150, 0, 40, 7}},              // half the level
      {2, {5, 0, 25, 75, -25, -75, 0, 40, 7}},
      {-2, {5, 25, 75, -25, -75, 0, 0, 40, 7}},          // the samples behind the position
      {0, {5, 100, 200, -300, 40, 7}},                    // no block, and no division by zero
  };
  for (const Case& c : cases) {
    int32_t begin = 1, end = 4;
    EXPECT_EQ(Samples(w->BlockFilter(abort, c.time, begin, end)), c.expected) << c.time;
    EXPECT_EQ(end, static_cast<int32_t>(c.expected.size()) - 2);
  }

  // An all-zero envelope passes half of each sample at the trailing position: the selection once,
  // between two tails of trunc(|Tm| + 1) zeros, and the audio after it once. A negative largest
  // time reaches as far as its magnitude and takes the blocks from the other side.
  WavePtr silent = MakeWave({0, 0}), half = MakeWave({16384}), full = MakeWave({32767});
  struct EnvCase { double largest; const Wave* envelope; Samples16 expected; };
  const EnvCase envCases[] = {
      {2.5, silent.get(), {5, 0, 0, 0, 50, 100, -150, 20, 0, 0, 0, 7}},
      {-3, silent.get(), {5, 0, 0, 0, 0, 50, 100, -150, 20, 0, 0, 0, 0, 7}},
      {3, half.get(), {5, 0, 0, 0, 50, 0, -109, -10, -23, -23, -23, -23, -23, 7}},
      {-3, half.get(), {5, 0, 0, 0, 0, 33, 99, -49, -20, 23, 23, 23, 23, 7}},
  };
  int32_t begin = 1, end = 5;
  for (const EnvCase& c : envCases) {
    begin = 1, end = 5;
    EXPECT_EQ(Samples(w->BlockFilterEnv(abort, c.largest, c.envelope, begin, end)), c.expected) << c.largest;
    EXPECT_EQ(end, static_cast<int32_t>(c.expected.size()) - 1);
  }
  // At full envelope every selected sample enters the block and leaves it within the output.
  begin = 50, end = 150;
  WavePtr averaged = MakeConstant(200, 3000)->BlockFilterEnv(abort, 4, full.get(), begin, end);
  ASSERT_EQ(end, 160);
  double sum = 0;
  for (int32_t i = 50; i < 160; ++i) sum += averaged->wave[i];
  EXPECT_NEAR(sum, 100 * 3000 / 2.0, 20);
  EXPECT_EQ((Samples16{averaged->wave[159], averaged->wave[160]}), (Samples16{0, 3000}));
  EXPECT_EQ(w->BlockFilterEnv(abort, 2, nullptr, begin, end), nullptr);
}
