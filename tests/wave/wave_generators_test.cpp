#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/random.h"
#include "wave/wave.h"

namespace {

WavePtr MakeWave(const std::vector<int16_t>& samples) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, static_cast<int64_t>(samples.size()));
  std::copy(samples.begin(), samples.end(), w->wave);
  return w;
}

std::vector<int16_t> Samples(const Wave& w) { return std::vector<int16_t>(w.wave, w.wave + w.values); }

class SinusTable : public testing::Test {
 protected:
  void SetUp() override {
    bool abort = false;
    CreateSinusTable(abort);
  }
  void TearDown() override { DeleteSinusTable(); }
};

}  // namespace

TEST(WaveGenerators, GeneratedSamplesReplaceTheSelectionAndMoveItsEnd) {
  bool abort = false;
  WavePtr w = MakeWave({1, 2, 3, 4, 5});
  int32_t begin = 1, end = 3;
  WavePtr line = w->Line(abort, 0, 100, 5, begin, end);
  EXPECT_EQ(Samples(*line), (std::vector<int16_t>{1, 0, 25, 50, 75, 100, 4, 5}));
  EXPECT_EQ(end, 6);

  begin = 1, end = 3;
  WavePtr silence = w->Silence(abort, 0, begin, end);
  EXPECT_EQ(Samples(*silence), (std::vector<int16_t>{1, 4, 5}));
  EXPECT_EQ(end, 1);

  begin = 2, end = -1;
  WavePtr tail = w->Silence(abort, 2, begin, end);
  EXPECT_EQ(Samples(*tail), (std::vector<int16_t>{1, 2, 0, 0}));
  EXPECT_EQ(Samples(*w), (std::vector<int16_t>{1, 2, 3, 4, 5}));  // the source stays as it was

  abort = true;
  begin = 0, end = 0;
  EXPECT_EQ(w->Silence(abort, 3, begin, end), nullptr);
}

TEST(WaveGenerators, LinesReachTheirEnds) {
  bool abort = false;
  WavePtr empty = NewWave();
  int32_t begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->Line(abort, -300, 700, 1, begin, end)), (std::vector<int16_t>{-300, 700}));
  begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->ExpLine(abort, 1000, 4000, 2, begin, end)), (std::vector<int16_t>{1000, 2000}));
  begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->ExpLine(abort, -100, -800, 3, begin, end)), (std::vector<int16_t>{-100, -200, -400}));
  begin = 0, end = 0;
  EXPECT_THROW(empty->ExpLine(abort, 0, 800, 3, begin, end), AssertionFailure);
  EXPECT_THROW(empty->ExpLine(abort, -5, 800, 3, begin, end), AssertionFailure);
  EXPECT_THROW(empty->Line(abort, 0, 800, 0, begin, end), AssertionFailure);

  WavePtr w = MakeWave({9, 9, 9, 9, 9});
  w->LineSegment(abort, 0, 10, 2, 20);
  w->LineSegment(abort, 2, -7, 3, 100);
  EXPECT_EQ(Samples(*w), (std::vector<int16_t>{10, 20, 46, 9, 9}));
  w->LineSegment(abort, 1, 0, 5, 300);
  EXPECT_EQ(Samples(*w), (std::vector<int16_t>{10, 0, 100, 200, 300}));
}

TEST(WaveGenerators, NoiseStaysWithinItsAmplitudeAndFollowsTheSharedSequence) {
  bool abort = false;
  WavePtr empty = NewWave();
  RandomSeed(7);
  int32_t begin = 0, end = 0;
  WavePtr first = empty->Noise(abort, 1000, 5000, begin, end);
  const auto [low, high] = std::minmax_element(first->wave, first->wave + first->values);
  EXPECT_GE(*low, -1000);
  EXPECT_LT(*high, 1000);
  EXPECT_LT(*low, -900);  // spread over the whole range
  EXPECT_GT(*high, 900);
  RandomSeed(7);
  begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->Noise(abort, 1000, 5000, begin, end)), Samples(*first));
  RandomSeed(1);
}

TEST(WaveGenerators, BlockAndTriangleFollowTheirMiddle) {
  bool abort = false;
  WavePtr empty = NewWave();
  int32_t begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->BlockTriangle(abort, 7, -7, 4, 0.5, 8, 0, false, begin, end)),
            (std::vector<int16_t>{7, 7, -7, -7, 7, 7, -7, -7}));
  begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->BlockTriangle(abort, 0, 1000, 4, 0.5, 6, 0, true, begin, end)),
            (std::vector<int16_t>{0, 500, 1000, 500, 0, 500}));
  begin = 0, end = 0;  // a middle of 0 or 1 leaves one slope only, without dividing by zero
  EXPECT_EQ(Samples(*empty->BlockTriangle(abort, 0, 1000, 4, 0, 4, 0, true, begin, end)),
            (std::vector<int16_t>{1000, 750, 500, 250}));
  begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->BlockTriangle(abort, 0, 1000, 4, 1, 4, 0, true, begin, end)),
            (std::vector<int16_t>{0, 250, 500, 750}));
  begin = 0, end = 0;  // a start phase past the middle starts on the second level
  EXPECT_EQ(Samples(*empty->BlockTriangle(abort, 7, -7, 4, 0.5, 3, 0.75, false, begin, end)),
            (std::vector<int16_t>{-7, 7, 7}));
  begin = 0, end = 0;  // a time shorter than a sample still makes one
  EXPECT_EQ(empty->BlockTriangle(abort, 7, -7, 4, 0.5, 0, 0, false, begin, end)->values, 1);

  WavePtr low = MakeWave({-32768});
  WavePtr centre = MakeWave({0, 0});
  WavePtr none = NewWave();
  begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->BlockTriangleEnv(abort, 7, -7, 4, low.get(), 4, 0, false, begin, end)),
            (std::vector<int16_t>{-7, -7, -7, -7}));
  for (const Wave* envelope : {centre.get(), none.get()}) {  // 0, and an empty envelope, mean the middle
    begin = 0, end = 0;
    EXPECT_EQ(Samples(*empty->BlockTriangleEnv(abort, 0, 1000, 4, envelope, 5, 0, true, begin, end)),
              (std::vector<int16_t>{0, 500, 1000, 500, 0}));
  }
  EXPECT_EQ(empty->BlockTriangleEnv(abort, 0, 1000, 4, nullptr, 5, 0, true, begin, end), nullptr);
  EXPECT_THROW(empty->BlockTriangle(abort, 0, 1000, 4, 1.5, 4, 0, true, begin, end), AssertionFailure);
}

TEST_F(SinusTable, SinusIsCentredBetweenItsLimits) {
  bool abort = false;
  WavePtr empty = NewWave();
  int32_t begin = 0, end = 0;
  EXPECT_EQ(empty->Sinus(abort, 1000, -1000, 100, 0.005, 0, begin, end)->values, 1);
  begin = 0, end = 0;
  WavePtr centred = empty->Sinus(abort, 1000, -1000, 100, 3, 0, begin, end);
  ASSERT_EQ(centred->values, 300);
  EXPECT_EQ(*std::max_element(centred->wave, centred->wave + 300), 999);
  EXPECT_EQ(*std::min_element(centred->wave, centred->wave + 300), -999);
  EXPECT_EQ(centred->wave[0], 0);
  EXPECT_GT(centred->wave[10], 0);  // rising first
  begin = 0, end = 0;
  WavePtr raised = empty->Sinus(abort, 1000, 0, 100, 1, 0.25, begin, end);
  EXPECT_EQ(raised->wave[0], 999);
  EXPECT_EQ(raised->wave[25], 500);
  EXPECT_EQ(raised->wave[50], 0);
  begin = 0, end = 0;
  EXPECT_THROW(empty->Sinus(abort, 1000, 0, 100, 1, 1, begin, end), AssertionFailure);
}

TEST_F(SinusTable, MultiFrequencySumsItsOscillators) {
  bool abort = false;
  WavePtr empty = NewWave();
  WavePtr form = MakeWave({0, 100, 200, 300, 400});
  // Step L / period = 1 through the form, wrapping into [0, L - 1) so that 400 is never read; the
  // second oscillator halves its volume every sample and truncates 12.5 to 12.
  const double volumes[] = {1, 2}, periods[] = {5, 5}, angles[] = {0, 0.2}, factors[] = {1, 0.5};
  int32_t begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->MultiFreq(abort, 6, form.get(), 2, volumes, periods, angles, factors, begin, end)),
            (std::vector<int16_t>{200, 300, 350, 300, 12, 112}));

  WavePtr loud = MakeWave({30000, 30000});
  const double ones[] = {1, 1}, zeros[] = {0, 0};
  begin = 0, end = 0;
  EXPECT_EQ(empty->MultiFreq(abort, 1, loud.get(), 2, ones, periods, zeros, ones, begin, end)->wave[0],
            60000 - 65536);

  WavePtr single = MakeWave({1234});
  begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->MultiFreq(abort, 3, single.get(), 1, ones, periods, angles, ones, begin, end)),
            (std::vector<int16_t>{1234, 1234, 1234}));
  WavePtr none = NewWave();
  begin = 0, end = 0;
  EXPECT_EQ(Samples(*empty->MultiFreq(abort, 2, none.get(), 1, ones, periods, angles, ones, begin, end)),
            (std::vector<int16_t>{0, 0}));

  const double sinePeriod[] = {100};
  begin = 0, end = 0;
  WavePtr sine = empty->MultiFreqSinus(abort, 100, 1, ones, sinePeriod, zeros, ones, begin, end);
  EXPECT_EQ(sine->wave[0], 0);
  EXPECT_NEAR(sine->wave[25], 32766, 2);
  EXPECT_NEAR(sine->wave[75], -32766, 2);
}
