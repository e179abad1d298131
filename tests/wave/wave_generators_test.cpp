#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/random.h"
#include "support/samples.h"
#include "wave/wave.h"

TEST(WaveGenerators, GeneratedSamplesReplaceTheSelectionAndMoveItsEnd) {
  bool abort = false;
  WavePtr w = MakeWave({1, 2, 3, 4, 5});
  int32_t begin = 1, end = 3;
  EXPECT_EQ(std::pair(Samples(w->Line(abort, 0, 100, 5, begin, end)), end),
            std::pair(Samples16{1, 0, 25, 50, 75, 100, 4, 5}, 6));
  begin = 1, end = 3;
  EXPECT_EQ(std::pair(Samples(w->Silence(abort, 0, begin, end)), end), std::pair(Samples16{1, 4, 5}, 1));
  begin = 2, end = -1;
  EXPECT_EQ(Samples(w->Silence(abort, 2, begin, end)), (Samples16{1, 2, 0, 0}));
  EXPECT_EQ(Samples(w), (Samples16{1, 2, 3, 4, 5}));  // the source stays as it was
  abort = true;
  EXPECT_EQ(w->Noise(abort, 3, 3, begin, end), nullptr);
}

TEST(WaveGenerators, LinesReachTheirEnds) {
  bool abort = false;
  WavePtr empty = NewWave();
  int32_t begin = 0, end = 0;
  EXPECT_EQ(Samples(empty->Line(abort, -300, 700, 1, begin, end)), (Samples16{-300, 700}));
  begin = 0, end = 0;  // b itself would be the sample after the line
  EXPECT_EQ(Samples(empty->ExpLine(abort, 1000, 4000, 2, begin, end)), (Samples16{1000, 2000}));
  begin = 0, end = 0;
  EXPECT_EQ(Samples(empty->ExpLine(abort, -100, -800, 3, begin, end)), (Samples16{-100, -200, -400}));
  begin = 0, end = 0;
  EXPECT_THROW(empty->ExpLine(abort, 0, 800, 3, begin, end), AssertionFailure);
  EXPECT_THROW(empty->Line(abort, 0, 800, 0, begin, end), AssertionFailure);

  WavePtr w = MakeConstant(5, 9);
  w->LineSegment(abort, 0, 10, 2, 20);
  w->LineSegment(abort, 2, -7, 3, 100);  // one sample: the middle of the two values
  EXPECT_EQ(Samples(w), (Samples16{10, 20, 46, 9, 9}));
  w->LineSegment(abort, 1, 0, 5, 300);
  EXPECT_EQ(Samples(w), (Samples16{10, 0, 100, 200, 300}));
}

TEST(WaveGenerators, NoiseStaysWithinItsAmplitudeAndFollowsTheSharedSequence) {
  bool abort = false;
  WavePtr empty = NewWave();
  int32_t begin = 0, end = 0;
  RandomSeed(7);
  WavePtr first = empty->Noise(abort, 1000, 5000, begin, end);
  const auto [low, high] = std::minmax_element(first->wave, first->wave + first->values);
  EXPECT_TRUE(*low >= -1000 && *low < -900) << *low;
  EXPECT_TRUE(*high < 1000 && *high > 900) << *high;
  RandomSeed(7);
  begin = 0, end = 0;
  EXPECT_EQ(Samples(empty->Noise(abort, 1000, 5000, begin, end)), Samples(first));
  RandomSeed(1);
}

TEST(WaveGenerators, BlockAndTriangleFollowTheirMiddle) {
  bool abort = false;
  WavePtr empty = NewWave();
  struct Case { double middle, startPhase; bool triangle; int32_t length; Samples16 expected; };
  const Case cases[] = {
      {0.5, 0, false, 8, {7, 7, -7, -7, 7, 7, -7, -7}},
      {0.5, 0.75, false, 3, {-7, 7, 7}},
      {0.5, 0, false, 0, {7}},  // a time shorter than a sample still makes one
      {0.5, 0, true, 6, {0, 500, 1000, 500, 0, 500}},
      {0, 0, true, 4, {1000, 750, 500, 250}},  // middle 0 or 1: one slope, no division by zero
      {1, 0, true, 4, {0, 250, 500, 750}},
  };
  for (const Case& c : cases) {
    const int16_t a = c.triangle ? 0 : 7, b = c.triangle ? 1000 : -7;
    int32_t begin = 0, end = 0;
    EXPECT_EQ(Samples(empty->BlockTriangle(abort, a, b, 4, c.middle, c.length, c.startPhase, c.triangle, begin,
                                              end)),
              c.expected);
  }
  // The enveloped middle maps -32768..32767 onto 0..1; 0, and an empty envelope, are the middle.
  WavePtr low = MakeWave({-32768}), centre = MakeWave({0, 0}), none = NewWave();
  int32_t begin = 0, end = 0;
  EXPECT_EQ(Samples(empty->BlockTriangleEnv(abort, 7, -7, 4, low.get(), 4, 0, false, begin, end)),
            (Samples16{-7, -7, -7, -7}));
  for (const Wave* envelope : {centre.get(), none.get()}) {
    begin = 0, end = 0;
    EXPECT_EQ(Samples(empty->BlockTriangleEnv(abort, 0, 1000, 4, envelope, 5, 0, true, begin, end)),
              (Samples16{0, 500, 1000, 500, 0}));
  }
  EXPECT_EQ(empty->BlockTriangleEnv(abort, 0, 1000, 4, nullptr, 5, 0, true, begin, end), nullptr);
}

TEST(WaveGenerators, SinusAndMultiFrequencyReadTheirForms) {
  bool abort = false;
  CreateSinusTable(abort);
  WavePtr empty = NewWave();
  int32_t begin = 0, end = 0;
  EXPECT_EQ(empty->Sinus(abort, 1000, -1000, 100, 0.005, 0, begin, end)->values, 1);
  begin = 0, end = 0;
  WavePtr centred = empty->Sinus(abort, 1000, -1000, 100, 3, 0, begin, end);
  ASSERT_EQ(centred->values, 300);
  const auto [lowest, highest] = std::minmax_element(centred->wave, centred->wave + 300);
  EXPECT_EQ(std::pair(*lowest, *highest), (std::pair<int16_t, int16_t>(-999, 999)));
  EXPECT_GT(centred->wave[10], 0);  // rising from 0
  begin = 0, end = 0;
  WavePtr raised = empty->Sinus(abort, 1000, 0, 100, 1, 0.25, begin, end);
  EXPECT_EQ(At(Samples(raised), {0, 25, 50}), (Samples16{999, 500, 0}));

  // Step L / period = 1 through the form, wrapping into [0, L - 1) so that 400 is never read; the
  // second oscillator halves its volume every sample and truncates 12.5 to 12.
  WavePtr form = MakeWave({0, 100, 200, 300, 400});
  const double volumes[] = {1, 2}, periods[] = {5, 5}, angles[] = {0, 0.2}, factors[] = {1, 0.5};
  begin = 0, end = 0;
  EXPECT_EQ(Samples(empty->MultiFreq(abort, 6, form.get(), 2, volumes, periods, angles, factors, begin, end)),
            (Samples16{200, 300, 350, 300, 12, 112}));
  const double ones[] = {1, 1}, zeros[] = {0, 0};
  WavePtr loud = MakeConstant(2, 30000), single = MakeWave({1234}), none = NewWave();
  begin = 0, end = 0;  // the sum wraps after each oscillator
  EXPECT_EQ(empty->MultiFreq(abort, 1, loud.get(), 2, ones, periods, zeros, ones, begin, end)->wave[0], -5536);
  begin = 0, end = 0;
  EXPECT_EQ(Samples(empty->MultiFreq(abort, 3, single.get(), 1, ones, periods, angles, ones, begin, end)),
            (Samples16{1234, 1234, 1234}));
  begin = 0, end = 0;
  EXPECT_EQ(Samples(empty->MultiFreq(abort, 2, none.get(), 1, ones, periods, angles, ones, begin, end)),
            (Samples16{0, 0}));
  const double sinePeriod[] = {100};
  begin = 0, end = 0;
  WavePtr sine = empty->MultiFreqSinus(abort, 100, 1, ones, sinePeriod, zeros, ones, begin, end);
  EXPECT_NEAR(sine->wave[25], 32766, 2);
  EXPECT_NEAR(sine->wave[75], -32766, 2);
  DeleteSinusTable();
  EXPECT_THROW(empty->Sinus(abort, 1000, 0, 100, 1, 0, begin, end), AssertionFailure);
}
