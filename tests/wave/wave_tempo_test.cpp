#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "foundation/assertion.h"
#include "wave/wave.h"

namespace {

WavePtr Ramp(int32_t count, int16_t step) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, count);
  for (int32_t i = 0; i < count; ++i) w->wave[i] = static_cast<int16_t>(i * step);
  return w;
}

WavePtr MakeWave(const std::vector<int16_t>& samples) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, static_cast<int64_t>(samples.size()));
  std::copy(samples.begin(), samples.end(), w->wave);
  return w;
}

std::vector<int16_t> Samples(const Wave& w) { return std::vector<int16_t>(w.wave, w.wave + w.values); }
std::vector<int16_t> Part(const Wave& w, int32_t first, int32_t last) {
  return std::vector<int16_t>(w.wave + first, w.wave + last);
}

void ExpectWithinOne(const std::vector<int16_t>& actual, const std::vector<int16_t>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1) << i;
}

}  // namespace

TEST(WaveTempo, UnchangedTempoAndPitchReproduceTheSelection) {
  bool abort = false;
  WavePtr w = Ramp(60, 10);
  int32_t begin = 10, end = 50;
  EXPECT_EQ(Samples(*w->TempoPitch(abort, 1, 0, 1, 1, 7, begin, end)), Samples(*w));
  EXPECT_EQ(end, 50);
  EXPECT_EQ(Samples(*w->TempoPitchAll(abort, 1, 0, 1, 1, 7)), Samples(*w));
  // Blocks of one sample jump after every sample, so the pitch has no effect; a block time that
  // truncates to 0 samples is a block of one.
  for (int32_t block : {1, 0}) {
    begin = 10, end = 50;
    EXPECT_EQ(Samples(*w->TempoPitch(abort, 1, 0, 1, 3, block, begin, end)), Samples(*w));
  }
  begin = 10, end = 50;
  ExpectWithinOne(Samples(*w->TempoPitchHQ(abort, 1, 0, 1, 1, 8, begin, end)), Samples(*w));
  ExpectWithinOne(Samples(*w->TempoPitchHQAll(abort, 1, 0, 1, 1, 5)), Samples(*w));

  begin = 10, end = 50;  // no length asked for removes the selection
  EXPECT_EQ(w->TempoPitch(abort, 1, 0, 0, 1, 7, begin, end)->values, 20);
  EXPECT_EQ(end, 10);
  EXPECT_THROW(w->TempoPitch(abort, 0, 0, 1, 1, 7, begin, end), AssertionFailure);
}

TEST(WaveTempo, PitchReadsFasterWithinBlocksThatStartWhereTheTempoSays) {
  bool abort = false;
  WavePtr w = Ramp(20, 10);
  int32_t begin = 0, end = 16;
  WavePtr doubled = w->TempoPitch(abort, 1, 0, 1, 2, 4, begin, end);
  EXPECT_EQ(Part(*doubled, 0, 16), (std::vector<int16_t>{0, 20, 40, 60, 40, 60, 80, 100, 80, 100, 120, 140, 120,
                                                          140, 160, 180}));
  EXPECT_EQ(doubled->values, 20);

  // Half the speed over three times the length: past the selection's end the jump wraps round.
  WavePtr small = Ramp(8, 10);
  begin = 2, end = 6;
  WavePtr slow = small->TempoPitch(abort, 0.5, 0, 3, 1, 2, begin, end);
  EXPECT_EQ(Samples(*slow), (std::vector<int16_t>{0, 10, 20, 30, 30, 40, 40, 50, 50, 60, 20, 30, 30, 40, 60, 70}));
  EXPECT_EQ(end, 14);

  begin = 2, end = 6;  // the start position is a part of the selection
  EXPECT_EQ(Part(*small->TempoPitch(abort, 1, 0.5, 1, 1, 8, begin, end), 2, 6),
            (std::vector<int16_t>{40, 50, 60, 70}));
}

TEST(WaveTempo, HighQualityHeadsJumpWhenTheirWeightIsZero) {
  bool abort = false;
  WavePtr w = Ramp(40, 100);
  // With pitch 0 the heads stand still between jumps; block 5: head A (at 0) jumps after 2
  // samples to 2.5 + 2, head B (at 2.5) after 5 samples to 2.5 + 5, head A again after 7.
  int32_t begin = 0, end = 40;
  WavePtr heads = w->TempoPitchHQ(abort, 1, 0, 1, 0, 5, begin, end);
  ExpectWithinOne(Part(*heads, 0, 8), {0, 100, 290, 290, 370, 450, 570, 790});
}

TEST(WaveTempo, EnvelopesScaleThePitchAndTheSpeed) {
  bool abort = false;
  WavePtr w = Ramp(40, 10);
  WavePtr full = MakeWave({32767, 32767});
  WavePtr still = MakeWave({0});
  WavePtr none = NewWave();
  int32_t begin = 10, end = 30;
  WavePtr plain = w->TempoPitch(abort, 1, 0, 1, 2, 4, begin, end);
  begin = 10, end = 30;
  ExpectWithinOne(Samples(*w->TempoPitchFreqEnv(abort, 1, 0, 1, 2, full.get(), 4, begin, end)), Samples(*plain));
  begin = 10, end = 30;  // an empty envelope reads 0: the head stands until the block ends
  EXPECT_EQ(Part(*w->TempoPitchFreqEnv(abort, 1, 0, 1, 2, none.get(), 4, begin, end), 10, 18),
            (std::vector<int16_t>{100, 100, 100, 100, 140, 140, 140, 140}));
  begin = 10, end = 30;
  ExpectWithinOne(Samples(*w->TempoPitchHQFreqEnv(abort, 1, 0, 1, 1, full.get(), 6, begin, end)), Samples(*w));

  // A full speed envelope keeps the tempo, and reading starts at the selection's own start.
  begin = 10, end = 30;
  ExpectWithinOne(Samples(*w->TempoPitchSpeedEnv(abort, 1, full.get(), 0, 1, 1, 4, begin, end)), Samples(*w));
  begin = 10, end = 30;
  ExpectWithinOne(Samples(*w->TempoPitchHQSpeedEnv(abort, 1, full.get(), 0, 1, 1, 4, begin, end)), Samples(*w));
  begin = 10, end = 30;
  ExpectWithinOne(Samples(*w->TempoPitchFreqSpeedEnv(abort, 1, full.get(), 0, 1, 1, full.get(), 4, begin, end)),
                  Samples(*w));
  begin = 10, end = 30;
  ExpectWithinOne(
      Samples(*w->TempoPitchHQFreqSpeedEnv(abort, 1, full.get(), 0, 1, 1, full.get(), 4, begin, end)),
      Samples(*w));
  // A speed of 0 from the envelope restarts every block at the same place; reads wrap into the
  // selection.
  begin = 10, end = 30;
  EXPECT_EQ(Part(*w->TempoPitchSpeedEnv(abort, 1, still.get(), 0.9, 1, 1, 3, begin, end), 10, 16),
            (std::vector<int16_t>{280, 290, 100, 280, 290, 100}));

  begin = 10, end = 30;  // a negative speed is allowed with the frequency envelope too
  EXPECT_NE(w->TempoPitchHQFreqEnv(abort, -1, 0, 1, 1, full.get(), 4, begin, end), nullptr);
  EXPECT_EQ(w->TempoPitchSpeedEnv(abort, 1, nullptr, 0, 1, 1, 4, begin, end), nullptr);
  EXPECT_EQ(w->TempoPitchHQFreqSpeedEnv(abort, 1, full.get(), 0, 1, 1, nullptr, 4, begin, end), nullptr);
  EXPECT_FALSE(abort);
}
