#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "foundation/assertion.h"
#include "support/samples.h"
#include "wave/wave.h"

namespace {

Samples16 Part(const WavePtr& w, int32_t first, int32_t last) { return Slice(Samples(w), first, last); }

void ExpectWithinOne(const WavePtr& actual, const Samples16& expected) {
  ASSERT_EQ(Samples(actual).size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual->wave[i], expected[i], 1) << i;
}

}  // namespace

TEST(WaveTempo, UnchangedTempoAndPitchReproduceTheSelection) {
  bool abort = false;
  WavePtr w = MakeWave(Ramp(60, 0, 10));
  int32_t begin = 10, end = 50;
  EXPECT_EQ(std::pair(Samples(w->TempoPitch(abort, 1, 0, 1, 1, 7, begin, end)), end), std::pair(Samples(w), 50));
  EXPECT_EQ(Samples(w->TempoPitchAll(abort, 1, 0, 1, 1, 7)), Samples(w));
  // Blocks of one sample jump after every sample, so the pitch has no effect; a block time that
  // truncates to 0 samples is a block of one.
  for (int32_t block : {1, 0}) EXPECT_EQ(Samples(w->TempoPitchAll(abort, 1, 0, 1, 3, block)), Samples(w));
  ExpectWithinOne(w->TempoPitchHQAll(abort, 1, 0, 1, 1, 5), Samples(w));

  begin = 10, end = 50;  // no length asked for removes the selection
  EXPECT_EQ(std::pair(w->TempoPitch(abort, 1, 0, 0, 1, 7, begin, end)->values, end), std::pair(20, 10));
  EXPECT_THROW(w->TempoPitch(abort, 0, 0, 1, 1, 7, begin, end), AssertionFailure);
  abort = true;
  EXPECT_EQ(w->TempoPitchHQAll(abort, 1, 0, 1, 1, 5), nullptr);
}

TEST(WaveTempo, PitchReadsFasterWithinBlocksThatStartWhereTheTempoSays) {
  bool abort = false;
  WavePtr w = MakeWave(Ramp(20, 0, 10));
  int32_t begin = 0, end = 16;
  EXPECT_EQ(Part(w->TempoPitch(abort, 1, 0, 1, 2, 4, begin, end), 0, 16),
            (Samples16{0, 20, 40, 60, 40, 60, 80, 100, 80, 100, 120, 140, 120, 140, 160, 180}));
  // Half the speed over three times the length: past the selection's end the jump wraps round.
  WavePtr small = MakeWave(Ramp(8, 0, 10));
  begin = 2, end = 6;
  EXPECT_EQ(std::pair(Samples(small->TempoPitch(abort, 0.5, 0, 3, 1, 2, begin, end)), end),
            std::pair(Samples16{0, 10, 20, 30, 30, 40, 40, 50, 50, 60, 20, 30, 30, 40, 60, 70}, 14));
  begin = 2, end = 6;  // the start position is a part of the selection
  EXPECT_EQ(Part(small->TempoPitch(abort, 1, 0.5, 1, 1, 8, begin, end), 2, 6), (Samples16{40, 50, 60, 70}));

  // High quality, pitch 0 (the heads stand still), block 5: head A (at 0) jumps after 2 samples
  // to 2.5 + 2, head B (at 2.5) after 5 samples to 2.5 + 5, head A again after 7 to 2.5 + 7.
  WavePtr steep = MakeWave(Ramp(40, 0, 100));
  begin = 0, end = 40;
  ExpectWithinOne(MakeWave(Part(steep->TempoPitchHQ(abort, 1, 0, 1, 0, 5, begin, end), 0, 8)),
                  {0, 100, 290, 290, 370, 450, 570, 790});
  // At a higher pitch the heads read on past the selection's end into the sound after it.
  begin = 0, end = 20;
  const Samples16 high = Part(steep->TempoPitchHQ(abort, 1, 0, 1, 3, 8, begin, end), 0, 20);
  EXPECT_GT(*std::max_element(high.begin(), high.end()), 2000);
}

TEST(WaveTempo, EnvelopesScaleThePitchAndTheSpeed) {
  bool abort = false;
  WavePtr w = MakeWave(Ramp(40, 0, 10)), full = MakeWave({32767, 32767}), still = MakeWave({0}), none = NewWave();
  int32_t begin = 10, end = 30;
  WavePtr plain = w->TempoPitch(abort, 1, 0, 1, 2, 4, begin, end);
  begin = 10, end = 30;
  ExpectWithinOne(w->TempoPitchFreqEnv(abort, 1, 0, 1, 2, full.get(), 4, begin, end), Samples(plain));
  begin = 10, end = 30;  // an empty envelope reads 0: the head stands until the block ends
  EXPECT_EQ(Part(w->TempoPitchFreqEnv(abort, 1, 0, 1, 2, none.get(), 4, begin, end), 10, 18),
            (Samples16{100, 100, 100, 100, 140, 140, 140, 140}));

  // A full speed envelope keeps the tempo, and reading starts at the selection's own start.
  using Routine = WavePtr (*)(const Wave&, const Wave*, bool&, int32_t&, int32_t&);
  const Routine routines[] = {
      [](auto& s, auto e, auto& f, auto& b, auto& n) { return s.TempoPitchHQFreqEnv(f, 1, 0, 1, 1, e, 6, b, n); },
      [](auto& s, auto e, auto& f, auto& b, auto& n) { return s.TempoPitchSpeedEnv(f, 1, e, 0, 1, 1, 4, b, n); },
      [](auto& s, auto e, auto& f, auto& b, auto& n) { return s.TempoPitchHQSpeedEnv(f, 1, e, 0, 1, 1, 4, b, n); },
      [](auto& s, auto e, auto& f, auto& b, auto& n) { return s.TempoPitchFreqSpeedEnv(f, 1, e, 0, 1, 1, e, 4, b, n); },
      [](auto& s, auto e, auto& f, auto& b, auto& n) {
        return s.TempoPitchHQFreqSpeedEnv(f, 1, e, 0, 1, 1, e, 4, b, n);
      },
  };
  for (Routine routine : routines) {
    begin = 10, end = 30;
    ExpectWithinOne(routine(*w, full.get(), abort, begin, end), Samples(w));
    EXPECT_EQ(routine(*w, nullptr, abort, begin, end), nullptr);
  }
  // A speed of 0 restarts every block at the same place; every read wraps into the selection.
  begin = 10, end = 30;
  EXPECT_EQ(Part(w->TempoPitchSpeedEnv(abort, 1, still.get(), 0.9, 1, 1, 3, begin, end), 10, 16),
            (Samples16{280, 290, 100, 280, 290, 100}));
  begin = 10, end = 30;  // a negative speed is allowed with the frequency envelope too
  EXPECT_NE(w->TempoPitchHQFreqEnv(abort, -1, 0, 1, 1, full.get(), 4, begin, end), nullptr);
  EXPECT_FALSE(abort);
}
