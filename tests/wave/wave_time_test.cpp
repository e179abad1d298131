#include <gtest/gtest.h>

#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "support/recording_sink.h"
#include "support/samples.h"
#include "wave/wave.h"

namespace {
Samples16 Range(const Wave& w, int32_t first, int32_t last) { return Slice(Samples(&w), first, last); }

// A wave of 50 samples of 7 whose last ten (from 40) are 1000.
WavePtr EchoSource() {
  WavePtr w = MakeConstant(50, 7);
  for (int i = 40; i < 50; ++i) w->wave[i] = 1000;
  return w;
}
}  // namespace

TEST(WaveTime, ReverseAndRotateStayWithinTheSelection) {
  bool abort = false;
  WavePtr w = MakeWave({1, 2, 3, 4, 5});
  EXPECT_EQ(std::pair(Samples(w->Reverse(abort, 1, 4)), Samples(w->Reverse(abort, 2, 2))),
            std::pair(Samples16{1, 4, 3, 2, 5}, Samples16{1, 2, 3, 4, 5}));
  EXPECT_EQ(Samples(w->Rotate(abort, 2, 0, -1)), (Samples16{3, 4, 5, 1, 2}));
  EXPECT_EQ(Samples(w->Rotate(abort, 1, 1, 4)), (Samples16{1, 3, 4, 2, 5}));
  EXPECT_EQ(Samples(w->Rotate(abort, 4, 1, 4)), (Samples16{1, 3, 4, 2, 5}));  // a whole turn more
  EXPECT_EQ(Samples(w->Rotate(abort, 3, 2, 2)), (Samples16{1, 2, 3, 4, 5}));
  EXPECT_THROW(w->Rotate(abort, -1, 0, -1), AssertionFailure);
}

TEST(WaveTime, RollInFoldsTheSelectionIntoABlock) {
  bool abort = false;
  WavePtr w = MakeConstant(12, 1);
  w->wave[0] = -9;
  w->wave[11] = -9;
  int32_t begin = 1, end = 11;
  EXPECT_EQ(std::pair(Samples(w->RollIn(abort, 4, 1, begin, end)), end), std::pair(Samples16{-9, 2, 3, 3, 2, -9}, 5));

  WavePtr loud = MakeWave({30000, 30000});
  begin = 0, end = -1;
  EXPECT_EQ(Samples(loud->RollIn(abort, 1, 0, begin, end)), (Samples16{60000 - 65536}));

  begin = 1, end = 11;
  EXPECT_EQ(std::pair(Samples(w->RollIn(abort, 0, 0, begin, end)), end), std::pair(Samples(w), 11));  // no block
  EXPECT_THROW(w->RollIn(abort, 4, 4, begin, end), AssertionFailure);
}

TEST(WaveTime, ChangeLengthInterpolatesAndReadsPastTheSelection) {
  bool abort = false;
  WavePtr w = MakeWave({0, 100, 200, 300, 1000});
  int32_t begin = 0, end = 4;
  EXPECT_EQ(std::pair(Samples(w->ChangeLength(abort, 8, false, begin, end)), end),
            std::pair(Samples16{0, 50, 100, 150, 200, 250, 300, 650, 1000}, 8));

  end = 4;
  EXPECT_EQ(Samples(w->ChangeLength(abort, 4, true, begin, end)), (Samples16{1000, 300, 200, 100, 1000}));
  begin = end = 2;  // nothing selected: nothing to stretch
  EXPECT_EQ(Samples(w->ChangeLength(abort, 3, false, begin, end)), Samples(w));

  WavePtr four = MakeWave({1, 2, 3, 4});
  EXPECT_EQ(four->Resample(abort, 0.5)->values, 2);
  EXPECT_EQ(Samples(four->Resample(abort, -1)), (Samples16{4, 4, 3, 2}));  // from the last sample
  EXPECT_EQ(four->Resample(abort, 0)->values, 0);
  EXPECT_EQ(Samples(four->ChangeLengthAll(abort, 7, false)), (Samples16{1, 1, 2, 2, 3, 3, 4}));

  // No samples left of part of a wave: only the selection goes.
  begin = 1, end = 3;
  EXPECT_EQ(std::pair(Samples(four->ChangeLengthFactor(abort, 0.1, begin, end)), end), std::pair(Samples16{1, 4}, 1));
  begin = 1, end = 3;
  EXPECT_EQ(std::pair(Samples(four->ChangeLengthFactor(abort, -1.5, begin, end)), end),
            std::pair(Samples16{1, 4, 3, 2, 4}, 4));
  EXPECT_FALSE(abort);

  RecordingSink sink;
  begin = 0, end = -1;
  EXPECT_EQ(four->ChangeLengthFactor(abort, 1e12, begin, end), nullptr);
  EXPECT_EQ(std::pair(abort, sink.messages.size()), std::pair(true, size_t{1}));
}

TEST(WaveTime, RollOutFormRepeatsThePeriodFromTheStartPhase) {
  bool abort = false;
  WavePtr w = MakeWave({0, 100, 200, 300, 400});
  struct Case { double per, periods, startAngle; Samples16 expected; } cases[] = {
      {4, 2, 0, {0, 100, 200, 300, 0, 100, 200, 300}},
      {-4, 2, 0, {0, 300, 200, 100, 0, 300, 200, 100}},
      {4, 1, 1.5, {200, 300, 0, 100}},  // a start beyond one period is the same phase
      {8, 0.5, 0, {0, 50, 100, 150}},
  };
  for (const Case& c : cases) {
    int32_t begin = 0, end = -1;
    WavePtr rolled = w->RollOutForm(abort, w.get(), c.per, c.periods, c.startAngle, begin, end, 0, -1);
    EXPECT_EQ(std::pair(Samples(rolled), size_t(end)), std::pair(c.expected, c.expected.size())) << c.per << " "
                                                                                                << c.startAngle;
  }
  int32_t begin = 1, end = 3;
  WavePtr inside = w->RollOutForm(abort, w.get(), 3, 1, 0, begin, end, 1, 3);
  EXPECT_EQ(std::pair(Samples(inside), end), std::pair(Samples16{0, 100, 133, 166, 300, 400}, 4));
  EXPECT_EQ(w->RollOutForm(abort, nullptr, 3, 1, 0, begin, end, 1, 3), nullptr);
  WavePtr empty = NewWave();
  WavePtr silent = w->RollOutForm(abort, empty.get(), 3, 1, 0, begin = 1, end = 3, 0, -1);
  EXPECT_EQ(Samples(silent), (Samples16{0, 0, 0, 0, 300, 400}));
}

TEST(WaveTime, RollOutSpeedReadsTheSelectionAsALoop) {
  bool abort = false;
  WavePtr w = MakeWave({-1, 10, 20, 30, 40, -1});
  WavePtr full = MakeWave({32767});
  int32_t begin = 1, end = 5;
  WavePtr rolled = w->RollOutSpeed(abort, full.get(), 2, 1, 0, begin, end);
  EXPECT_EQ(std::pair(Samples(rolled), end), std::pair(Samples16{-1, 20, 30, 40, 10, 20, 30, 40, 10, -1}, 9));

  end = 5;
  WavePtr slow = w->RollOutSpeed(abort, full.get(), 2, 0.5, 0, begin, end);
  EXPECT_EQ(Range(*slow, 1, 9), (Samples16{15, 20, 25, 30, 35, 40, 25, 10}));

  end = 5;  // a falling speed envelope: the first step is a whole sample
  WavePtr slowing = MakeWave({32767, 0});
  EXPECT_EQ(Range(*w->RollOutSpeed(abort, slowing.get(), 2, 1, 0, begin, end), 1, 2), (Samples16{20}));

  end = 5;
  WavePtr backwards = w->RollOutSpeed(abort, full.get(), 1, -1, 0, begin, end);
  EXPECT_EQ(Range(*backwards, 1, 5), (Samples16{40, 30, 20, 10}));

  end = 5;
  WavePtr still = NewWave();  // an empty speed wave reads 0: the read position stays
  EXPECT_EQ(Range(*w->RollOutSpeed(abort, still.get(), 1, 1, 0.5, begin, end), 1, 5), (Samples16{30, 30, 30, 30}));

  end = 5;
  EXPECT_EQ(std::pair(Samples(w->RollOutSpeed(abort, full.get(), 0.1, 1, 0, begin, end)), end),
            std::pair(Samples(w), 5));  // no samples
  EXPECT_EQ(w->RollOutSpeed(abort, nullptr, 1, 1, 0, begin, end), nullptr);
  EXPECT_FALSE(abort);
}

TEST(WaveTime, PerEchoConstGrowsTheWaveForItsEchoes) {
  bool abort = false;
  WavePtr w = EchoSource();
  int32_t begin = 40, end = 50;
  WavePtr echoed = w->PerEchoConst(abort, 100, 0.5, 2, begin, end);
  ASSERT_EQ(echoed->values, 50 + 202);
  EXPECT_EQ(std::pair(begin, end), std::pair(40, 252));
  EXPECT_EQ(At(Samples(echoed), {39, 40, 139, 140, 149, 150, 239, 240, 249, 250, 251}),
            (Samples16{7, 1000, 0, 500, 500, 0, 0, 250, 250, 0, 0}));

  begin = 30, end = 40;
  WavePtr ahead = w->PerEchoConst(abort, -100, 1, 1, begin, end);
  ASSERT_EQ(ahead->values, 71 + 50);
  EXPECT_EQ(std::pair(begin, end), std::pair(0, 40 + 71));
  EXPECT_EQ(At(Samples(ahead), {0, 1, 10, 11, 71 + 30}), (Samples16{0, 7, 7, 0, 7}));

  // The echo is added before truncating: trunc(-2.5 + 3) = 0, not 3 + trunc(-2.5).
  WavePtr small = MakeWave({-5, 3});
  begin = 0, end = -1;
  EXPECT_EQ(Samples(small->PerEchoConst(abort, 1, 0.5, 1, begin, end)), (Samples16{-5, 0, 1, 0}));
  // Half a sample of delay interpolates between the selected samples.
  WavePtr between = MakeWave({0, 0, 100, 200, 0, 0});
  begin = 2, end = 4;
  EXPECT_EQ(Samples(between->PerEchoConst(abort, 0.5, 1, 1, begin, end)), (Samples16{0, 0, 100, 350, 0, 0}));

  for (const auto& [count, last] : {std::pair(-3, 50), std::pair(2, 41)}) {  // 41: one sample
    begin = 40, end = last;
    WavePtr unchanged = w->PerEchoConst(abort, 100, 0.5, count, begin, end);
    EXPECT_EQ(std::pair(Samples(unchanged), end), std::pair(Samples(w), last));
  }
  EXPECT_FALSE(abort);

  RecordingSink sink;
  begin = 40, end = 50;
  EXPECT_EQ(w->PerEchoConst(abort, 3e9, 0.5, 2000000000, begin, end), nullptr);
  EXPECT_EQ(std::pair(abort, sink.messages.size()), std::pair(true, size_t{1}));
}

TEST(WaveTime, PerEchoEnvelopesSetTheVolumeAndTheTime) {
  bool abort = false;
  WavePtr w = EchoSource();
  WavePtr half = MakeWave({16384});
  WavePtr full = MakeWave({32767});
  WavePtr empty = NewWave();

  int32_t begin = 40, end = 50;
  WavePtr volumeEnv = w->PerEchoConstEnv(abort, 100, half.get(), 2, begin, end);
  EXPECT_EQ(std::pair(end, At(Samples(volumeEnv), {140, 240})), std::pair(252, Samples16{500, 250}));
  begin = 40, end = 50;  // an empty volume envelope reads 0: silent echoes
  EXPECT_EQ(w->PerEchoConstEnv(abort, 100, empty.get(), 2, begin, end)->wave[140], 0);
  EXPECT_EQ(w->PerEchoConstEnv(abort, 100, nullptr, 2, begin, end), nullptr);

  // A time envelope grows the selection on both sides by trunc(D + 1) * K: 162 zeros in front.
  begin = 40, end = 50;
  WavePtr timeEnv = w->PerEchoEnvConst(abort, 100, full.get(), 0.5, 2, begin, end);
  ASSERT_EQ(timeEnv->values, 162 + 50 + 202);
  EXPECT_EQ(std::pair(begin, end), std::pair(0, 414));
  EXPECT_EQ(At(Samples(timeEnv), {162 + 139, 162 + 140, 162 + 249, 162 + 250}), (Samples16{0, 500, 250, 0}));

  begin = 40, end = 50;
  WavePtr backwards = w->PerEchoEnvConst(abort, -100, full.get(), 0.5, 1, begin, end);
  ASSERT_EQ(backwards->values, 61 + 50 + 101);
  EXPECT_EQ(Range(*backwards, 0, 2), (Samples16{0, 500}));  // source position -60 lies at 1

  begin = 40, end = 50;
  WavePtr onTop = w->PerEchoEnvConst(abort, 100, empty.get(), 0.5, 1, begin, end);
  EXPECT_EQ(onTop->wave[61 + 40], 1500);

  begin = 40, end = 50;
  WavePtr both = w->PerEchoEnvEnv(abort, 100, full.get(), half.get(), 1, begin, end);
  EXPECT_EQ(Range(*both, 61 + 139, 61 + 141), (Samples16{0, 500}));
  EXPECT_EQ(w->PerEchoEnvEnv(abort, 100, full.get(), nullptr, 1, begin, end), nullptr);
  EXPECT_FALSE(abort);
}
