#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "support/recording_sink.h"
#include "support/samples.h"
#include "wave/wave.h"

TEST(WaveEdit, TrimDeleteAndReplaceCutAndPaste) {
  bool abort = false;
  WavePtr w = MakeWave({1, 2, 3, 4, 5});
  EXPECT_EQ(Samples(w->Trim(abort, 1, 3)), (Samples16{2, 3}));
  EXPECT_EQ(Samples(w->Trim(abort, 2, -1)), (Samples16{3, 4, 5}));
  EXPECT_EQ(w->Trim(abort, 2, 2)->values, 0);
  EXPECT_EQ(Samples(w->Delete(abort, 1, 3)), (Samples16{1, 4, 5}));
  EXPECT_EQ(Samples(w->Delete(abort, 2, 2)), (Samples16{1, 2, 3, 4, 5}));

  WavePtr other = MakeWave({9, 8, 7});
  EXPECT_EQ(Samples(w->replace(abort, other.get(), 1, 2)), (Samples16{1, 9, 8, 7, 3, 4, 5}));
  EXPECT_EQ(Samples(w->replace(abort, other.get(), 5, 5)), (Samples16{1, 2, 3, 4, 5, 9, 8, 7}));
  WavePtr empty = NewWave();
  EXPECT_EQ(Samples(w->replace(abort, empty.get(), 1, 3)), (Samples16{1, 4, 5}));  // a delete
  EXPECT_EQ(w->replace(abort, nullptr, 1, 3), nullptr);
  EXPECT_FALSE(abort);

  EXPECT_THROW(w->Trim(abort, 3, 2), AssertionFailure);
  EXPECT_THROW(w->Delete(abort, 0, 6), AssertionFailure);
}

TEST(WaveEdit, MixAtGrowsTheWaveWhereTheOtherSticksOutAsFarAsAWaveHolds) {
  bool abort = false;
  WavePtr w = MakeConstant(100, 1);
  WavePtr other = MakeWave(Ramp(30, 100));

  // The other alone before the old start, and after the old end.
  const Samples16 before = Samples(w->MixAt(abort, other.get(), -10, -1, false));
  ASSERT_EQ(before.size(), 110u);
  EXPECT_EQ(At(before, {0, 10, 29, 30}), (Samples16{100, 1 + 110, 1 + 129, 1}));
  const Samples16 after = Samples(w->MixAt(abort, other.get(), 90, -1, false));
  ASSERT_EQ(after.size(), 120u);
  EXPECT_EQ(At(after, {90, 100, 119}), (Samples16{1 + 100, 110, 129}));

  // A point takes the other's first, or with the end flag its last, samples.
  const Samples16 first = Samples(w->MixAt(abort, other.get(), 0, 5, false));
  ASSERT_EQ(first.size(), 100u);
  EXPECT_EQ(At(first, {4, 5}), (Samples16{1 + 104, 1}));
  EXPECT_EQ(At(Samples(w->MixAt(abort, other.get(), 0, 5, true)), {0, 5}), (Samples16{1 + 125, 1}));
  EXPECT_EQ(w->MixAt(abort, other.get(), 95, 500, false)->values, 125);  // point beyond the other
  EXPECT_EQ(Samples(w->MixAt(abort, other.get(), 3, -7, false)), Samples(w));

  // Aligned at the end: 20 samples ending at 50 lie on 30 to 49.
  WavePtr twenty = MakeWave(Ramp(20, 100));
  const Samples16 aligned = Samples(w->MixAlignEnd(abort, twenty.get(), 50, -1, false));
  ASSERT_EQ(aligned.size(), 100u);
  EXPECT_EQ(At(aligned, {29, 30, 49, 50}), (Samples16{1, 1 + 100, 1 + 119, 1}));
  EXPECT_EQ(At(Samples(w->MixAlignEnd(abort, twenty.get(), 50, 5, true)), {44, 45}), (Samples16{1, 1 + 115}));

  WavePtr wrap = MakeWave({32767});
  WavePtr one = MakeWave({1});
  EXPECT_EQ(wrap->MixAt(abort, one.get(), 0, -1, false)->wave[0], -32768);
  EXPECT_EQ(w->MixAt(abort, nullptr, 0, -1, false), nullptr);
  EXPECT_FALSE(abort);

  RecordingSink sink;  // beyond what a wave holds: a failed allocation
  EXPECT_EQ(w->MixAt(abort, other.get(), INT32_MAX, -1, false), nullptr);
  EXPECT_EQ(std::pair(abort, sink.messages.size()), std::pair(true, size_t{1}));
}

TEST(WaveEdit, MixStretchSpreadsTheOtherWithoutReachingItsEnd) {
  bool abort = false;
  WavePtr w = MakeWave({-1, 10, 10, 10, 10, 10, -1});
  WavePtr other = MakeWave({0, 300, 600});
  // Step (3 - 1) / (5 + 1) = 1/3.
  EXPECT_EQ(Samples(w->MixStretch(abort, other.get(), 1, 6)), (Samples16{-1, 10, 110, 210, 310, 410, -1}));
  WavePtr empty = NewWave();
  EXPECT_EQ(Samples(w->MixStretch(abort, empty.get(), 1, 6)), Samples(w));
  EXPECT_EQ(w->MixStretch(abort, nullptr, 1, 6), nullptr);
}

TEST(WaveEdit, InPlaceMixesAddFromAPosition) {
  bool abort = false;
  WavePtr w = MakeConstant(10, 0);
  WavePtr five = MakeWave({1, 2, 3, 4, 5});
  w->MixCycleAfterThis(abort, five.get(), 8);
  EXPECT_EQ(Samples(w), (Samples16{3, 4, 5, 0, 0, 0, 0, 0, 1, 2}));

  WavePtr small = MakeConstant(3, 0);
  WavePtr ones = MakeConstant(7, 1);
  small->MixCycleAfterThis(abort, ones.get(), 1);  // wraps round more than once
  EXPECT_EQ(Samples(small), (Samples16{2, 3, 2}));
  small->MixCycleAfterThis(abort, ones.get(), -1);  // a negative start leaves the wave alone
  EXPECT_EQ(Samples(small), (Samples16{2, 3, 2}));
  EXPECT_THROW(small->MixCycleAfterThis(abort, ones.get(), 3), AssertionFailure);

  WavePtr t = MakeWave({10, 10, 10});
  WavePtr o = MakeWave({5, -5, 7, 7});
  t->AddAfter(abort, o.get(), 1, 0.5);  // stops at this wave's end
  EXPECT_EQ(Samples(t), (Samples16{10, 12, 7}));
  WavePtr loud = MakeWave({32767, 0, 0});
  WavePtr one = MakeWave({1});
  loud->OverlayAfter(abort, one.get(), 0);  // stops at the other's end
  EXPECT_EQ(Samples(loud), (Samples16{-32768, 0, 0}));
  EXPECT_THROW(loud->OverlayAfter(abort, one.get(), -1), AssertionFailure);
  loud->AddAfter(abort, nullptr, 0, 1);
  EXPECT_FALSE(abort);
}

TEST(WaveEdit, AddAfterKeepsTheLow16BitsOfTheTruncatedSumAtEveryFactor) {
  // Long enough for the vector loops and several chunks, from an odd place, with loud samples.
  const Samples16 into = Ramp(5000, -32768, 977);
  const Samples16 added = Ramp(4000, 12345, 2011);
  for (const double factor : {1.0, 0.5, -0.25, 2.0, -16384.0, 1 / 16384.0, 1 / 32768.0, -0.73, 3.0, 32768.0,
                              40000.0, 1e10, std::nan("")}) {
    SCOPED_TRACE(factor);
    bool abort = false;
    WavePtr t = MakeWave(into);
    t->AddAfter(abort, MakeWave(added).get(), 7, factor);
    Samples16 expected = into;
    for (size_t i = 0; i < added.size(); ++i) expected[i + 7] = ToSample(into[i + 7] + added[i] * factor);
    EXPECT_EQ(Samples(t), expected);
  }
  // Added into itself one sample on, each sum reads the sample the call has just changed, across
  // chunks too.
  bool abort = false;
  WavePtr w = MakeConstant(2500, 1);
  w->AddAfter(abort, w.get(), 1, 1);
  EXPECT_EQ(Samples(w), Ramp(2500, 1));
}

TEST(WaveEdit, MixLeftRightAndAverageTruncateTowardZero) {
  bool abort = false;
  WavePtr a = MakeWave({100, -100, 4, 4});
  WavePtr b = MakeWave({301, -301, 8, 8});
  EXPECT_EQ(Samples(a->Average(abort, b.get())), (Samples16{200, -200, 6, 6}));
  EXPECT_EQ(Samples(a->MixLeftRight(abort, 0, b.get(), 1, 1, 3)), (Samples16{100, -301, 8, 4}));
  EXPECT_EQ(Samples(a->MixLeftRight(abort, 2, b.get(), 0, 2, -1)), (Samples16{100, -100, 8, 8}));
  WavePtr shorter = MakeWave({1});
  EXPECT_THROW(a->Average(abort, shorter.get()), AssertionFailure);
  EXPECT_EQ(a->Average(abort, nullptr), nullptr);
}
