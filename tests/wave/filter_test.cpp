#include "wave/filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/assertion.h"
#include "wave/wave.h"

namespace {

WavePtr MakeWave(const std::vector<int16_t>& samples) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, static_cast<int64_t>(samples.size()));
  std::copy(samples.begin(), samples.end(), w->wave);
  return w;
}

std::vector<int16_t> Samples(const Wave& w) { return std::vector<int16_t>(w.wave, w.wave + w.values); }

WavePtr Sine(int32_t count, double period, double amplitude) {
  std::vector<int16_t> samples(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(amplitude * std::sin(kTwoPi * i / period));
  return MakeWave(samples);
}

double Energy(const Wave& w, int32_t first) {
  double sum = 0;
  for (int32_t i = first; i < w.values; ++i) sum += static_cast<double>(w.wave[i]) * w.wave[i];
  return sum;
}

}  // namespace

TEST(Filter, OnePoleStageFollowsItsTimeConstant) {
  bool abort = false;
  WavePtr w = MakeWave({5, 1000, 1000, 1000, 1000, 1000, 7});
  // Too short a time makes a negative coefficient, taken as 0: the selection passes unchanged.
  EXPECT_EQ(Samples(*w->LowPass(abort, 2, 0.4, 1, 1, 1, 6)), Samples(*w));

  const double a = 1 - kTwoPi * 0.4 / (std::sqrt(1 - 0.16) * 10);
  WavePtr low = w->LowPass(abort, 10, 0.4, 1, 1, 1, 6);
  EXPECT_EQ(low->wave[0], 5);
  EXPECT_EQ(low->wave[1], static_cast<int16_t>((1 - a) * 1000));
  EXPECT_EQ(low->wave[6], 7);
  for (int i = 2; i < 6; ++i) EXPECT_GT(low->wave[i], low->wave[i - 1]);  // rising towards the input

  WavePtr high = w->HighPass(abort, 10, 0.4, 1, 1, 1, 6);
  // The high pass writes the input less the same stage: the two add up to the input, less one
  // for the two truncations.
  for (int i = 1; i < 6; ++i) EXPECT_EQ(high->wave[i] + low->wave[i], 999) << i;
  WavePtr constant = MakeWave(std::vector<int16_t>(400, 1000));
  WavePtr decayed = constant->HighPass(abort, 10, 0.4, 1, 1, 0, -1);
  EXPECT_GT(decayed->wave[0], 100);
  EXPECT_EQ(decayed->wave[399], 0);

  // Two passes filter the filtered selection once more; two stages sharpen the one coefficient.
  WavePtr once = w->LowPass(abort, 10, 0.4, 1, 1, 1, 6);
  WavePtr twice = once->LowPass(abort, 10, 0.4, 1, 1, 1, 6);
  EXPECT_EQ(Samples(*w->LowPass(abort, 10, 0.4, 1, 2, 1, 6)), Samples(*twice));
  EXPECT_EQ(Samples(*w->LowPass(abort, 10, std::pow(0.4, 2), 2, 1, 1, 6)), Samples(*once));

  EXPECT_THROW(w->LowPass(abort, 10, 1, 1, 1, 1, 6), AssertionFailure);
  EXPECT_THROW(w->LowPass(abort, 10, 0.4, 1, 1, 3, 3), AssertionFailure);
}

TEST(Filter, EnvelopedOnePoleReadsFrequenciesFrom20To20000Hertz) {
  bool abort = false;
  WavePtr w = Sine(2000, 8, 10000);
  // An envelope of -32768 is 20 Hz; at 44100 samples per second a constant time of
  // 44100 / 20 samples gives the same samples. The envelope restarts with every pass.
  WavePtr lowest = MakeWave({-32768, -32768});
  EXPECT_EQ(Samples(*w->LowPassEnv(abort, lowest.get(), 0.4, 1, 2, 44100, 0, -1)),
            Samples(*w->LowPass(abort, 44100.0 / 20, 0.4, 1, 2, 0, -1)));
  EXPECT_EQ(Samples(*w->HighPassEnv(abort, lowest.get(), 0.4, 1, 1, 44100, 0, -1)),
            Samples(*w->HighPass(abort, 44100.0 / 20, 0.4, 1, 1, 0, -1)));
  // 32767 is 20000 Hz: too short a time at 8000 samples per second, so nothing is filtered.
  WavePtr highest = MakeWave({32767});
  EXPECT_EQ(Samples(*w->LowPassEnv(abort, highest.get(), 0.4, 1, 1, 8000, 0, -1)), Samples(*w));
  EXPECT_EQ(w->LowPassEnv(abort, nullptr, 0.4, 1, 1, 8000, 0, -1), nullptr);
}

TEST(Filter, ResonantKeepsItsBandAndNotchRemovesIt) {
  bool abort = false;
  WavePtr inBand = Sine(4000, 40, 10000);
  WavePtr outOfBand = Sine(4000, 5, 10000);
  const double kept = Energy(*inBand->Resonant(abort, 40, 0.1, 0, -1), 2000);
  const double passed = Energy(*outOfBand->Resonant(abort, 40, 0.1, 0, -1), 2000);
  EXPECT_GT(kept, 20 * passed);
  EXPECT_LT(Energy(*inBand->Notch(abort, 40, 0.1, 0, -1), 2000), Energy(*inBand, 2000) / 4);

  // The notch writes the input less the resonator, which the resonant writes: they add up to the
  // input within the truncations, and both keep the samples around the selection.
  WavePtr w = Sine(300, 17, 12000);
  w->wave[0] = 11;
  w->wave[299] = 22;
  WavePtr resonant = w->Resonant(abort, 20, 0.3, 1, 299);
  WavePtr notch = w->Notch(abort, 20, 0.3, 1, 299);
  EXPECT_EQ(notch->wave[0], 11);
  EXPECT_EQ(notch->wave[299], 22);
  EXPECT_EQ(resonant->wave[299], 22);
  for (int i = 1; i < 299; ++i) EXPECT_NEAR(resonant->wave[i] + notch->wave[i], w->wave[i], 1) << i;

  // A width envelope of -32768 is width 0: the input has no effect.
  WavePtr narrow = MakeWave({-32768});
  EXPECT_EQ(Samples(*inBand->ResonantWidthEnv(abort, 40, narrow.get(), 0, -1)), std::vector<int16_t>(4000, 0));
  EXPECT_EQ(Samples(*inBand->NotchWidthEnv(abort, 40, narrow.get(), 0, -1)), Samples(*inBand));
  // A constant period envelope at one setting equals the constant filter at that period.
  WavePtr lowest = MakeWave({-32768});
  EXPECT_EQ(Samples(*inBand->ResonantEnv(abort, lowest.get(), narrow.get(), 8000, 0, -1)),
            std::vector<int16_t>(4000, 0));
  WavePtr wide = MakeWave({0});
  EXPECT_EQ(Samples(*inBand->ResonantWidthEnv(abort, 400, wide.get(), 0, -1)),
            Samples(*inBand->Resonant(abort, 400, 0.5, 0, -1)));
  // The period envelope's finer form oscillates at the same rate.
  const double fine = Energy(*inBand->ResonantFreqEnv(abort, lowest.get(), 0.1, 800, 0, -1), 2000);
  EXPECT_GT(fine, 20 * Energy(*outOfBand->ResonantFreqEnv(abort, lowest.get(), 0.1, 800, 0, -1), 2000));
  EXPECT_EQ(inBand->NotchEnv(abort, nullptr, wide.get(), 8000, 0, -1), nullptr);

  // A frequency above the rate is a period of one sample, not a trap.
  EXPECT_NO_THROW(inBand->Notch(abort, 0.4, 0.5, 0, -1));
  EXPECT_THROW(inBand->Notch(abort, 4, 1.5, 0, -1), AssertionFailure);
  EXPECT_FALSE(abort);
}

TEST(Filter, ResonatorStaysFiniteOverEveryFrequencyAndWidth) {
  const int32_t rates[] = {8000, 11025, 44100};
  for (int32_t rate : rates) {
    for (double frequency = 20; frequency <= 2.5 * rate; frequency *= 1.15) {
      for (double width = 0; width <= 1.0; width += 0.05) {
        for (bool fine : {false, true}) {
          Resonator r = fine ? Resonator(Resonator::kFineSubSteps, Resonator::kFineSpring)
                             : Resonator(Resonator::kSubSteps, Resonator::kSpring);
          r.Tune(rate / frequency, std::min(width, 1.0));
          double largest = 0;
          for (int i = 0; i < 4000; ++i) {
            // Full-scale input at the resonator's own period and at the highest frequency.
            const double x = i < 2000 ? 32767 * std::sin(kTwoPi * frequency * i / rate) : (i % 2 ? 32767 : -32768);
            largest = std::max(largest, std::abs(r.Next(x)));
          }
          ASSERT_TRUE(std::isfinite(largest)) << rate << " " << frequency << " " << width << " " << fine;
          ASSERT_LT(largest, 1e9) << rate << " " << frequency << " " << width << " " << fine;
        }
      }
    }
  }
}

TEST(Filter, BlockFilterAveragesAndGrowsTheSelectionByItsTail) {
  bool abort = false;
  WavePtr w = MakeWave({5, 100, 200, -300, 7});
  int32_t begin = 1, end = 4;
  WavePtr half = w->BlockFilter(abort, 1, begin, end);
  EXPECT_EQ(Samples(*half), (std::vector<int16_t>{5, 0, 50, 100, -150, 0, 7}));
  EXPECT_EQ(end, 6);

  begin = 1, end = 4;
  WavePtr pair = w->BlockFilter(abort, 2, begin, end);
  EXPECT_EQ(Samples(*pair), (std::vector<int16_t>{5, 0, 25, 75, -25, -75, 0, 7}));
  EXPECT_EQ(end, 7);

  begin = 1, end = 4;  // a negative time averages the samples behind the position
  WavePtr behind = w->BlockFilter(abort, -2, begin, end);
  EXPECT_EQ(Samples(*behind), (std::vector<int16_t>{5, 25, 75, -25, -75, 0, 0, 7}));
  EXPECT_EQ(end, 7);

  begin = 1, end = 4;  // no block: the selection passes unchanged, with no division by zero
  EXPECT_EQ(Samples(*w->BlockFilter(abort, 0, begin, end)), Samples(*w));
  EXPECT_EQ(end, 4);
}

TEST(Filter, EnvelopedBlockFilterLosesAndDoublesNoAudio) {
  bool abort = false;
  WavePtr w = MakeWave({5, 100, 200, -300, 40, 7});
  WavePtr silent = MakeWave({0, 0});
  // An all-zero envelope passes half of each sample at the trailing position: the selection
  // once, between two tails of trunc(Tm + 1) zeros, and the audio after it once.
  int32_t begin = 1, end = 5;
  WavePtr halved = w->BlockFilterEnv(abort, 2.5, silent.get(), begin, end);
  EXPECT_EQ(Samples(*halved), (std::vector<int16_t>{5, 0, 0, 0, 50, 100, -150, 20, 0, 0, 0, 7}));
  EXPECT_EQ(end, 11);
  // A negative block time is no block.
  begin = 1, end = 5;
  EXPECT_EQ(Samples(*w->BlockFilterEnv(abort, -3, silent.get(), begin, end)),
            (std::vector<int16_t>{5, 0, 50, 100, -150, 20, 0, 7}));

  // At full envelope every selected sample enters the block and leaves it within the output:
  // the output sums to half of the selection and ends on silence.
  WavePtr ramp = MakeWave(std::vector<int16_t>(200, 3000));
  WavePtr full = MakeWave({32767});
  begin = 50, end = 150;
  WavePtr averaged = ramp->BlockFilterEnv(abort, 4, full.get(), begin, end);
  EXPECT_EQ(end, 160);
  double sum = 0;
  for (int32_t i = 50; i < 160; ++i) sum += averaged->wave[i];
  EXPECT_NEAR(sum, 100 * 3000 / 2.0, 10 * 2);
  EXPECT_EQ(averaged->wave[159], 0);
  EXPECT_EQ(averaged->wave[160], 3000);
  EXPECT_EQ(averaged->values, 210);
  EXPECT_EQ(w->BlockFilterEnv(abort, 2, nullptr, begin, end), nullptr);
}

TEST(Filter, RoutineTablesListTheFiltersInTheirOrder) {
  EXPECT_EQ(Wave::kPassFilters[0].constant, &Wave::HighPass);
  EXPECT_EQ(Wave::kPassFilters[0].envelope, &Wave::HighPassEnv);
  EXPECT_EQ(Wave::kPassFilters[1].constant, &Wave::LowPass);
  EXPECT_EQ(Wave::kPassFilters[1].envelope, &Wave::LowPassEnv);
  EXPECT_EQ(Wave::kResonatorFilters[0].constant, &Wave::Resonant);
  EXPECT_EQ(Wave::kResonatorFilters[0].periodEnvelope, &Wave::ResonantFreqEnv);
  EXPECT_EQ(Wave::kResonatorFilters[0].widthEnvelope, &Wave::ResonantWidthEnv);
  EXPECT_EQ(Wave::kResonatorFilters[0].bothEnvelopes, &Wave::ResonantEnv);
  EXPECT_EQ(Wave::kResonatorFilters[1].constant, &Wave::Notch);
  EXPECT_EQ(Wave::kResonatorFilters[1].periodEnvelope, &Wave::NotchFreqEnv);
  EXPECT_EQ(Wave::kResonatorFilters[1].widthEnvelope, &Wave::NotchWidthEnv);
  EXPECT_EQ(Wave::kResonatorFilters[1].bothEnvelopes, &Wave::NotchEnv);
}
