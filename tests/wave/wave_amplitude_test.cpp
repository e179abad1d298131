#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/samples.h"
#include "wave/wave.h"

TEST(WaveAmplitude, UpAddsWithWrapAroundInsideTheSelectionOnly) {
  bool abort = false;
  WavePtr w = MakeWave({1, 32767, -5, 4});
  int32_t begin = 1, end = 3;
  EXPECT_EQ(std::pair(Samples(w->Up(abort, 1000, begin, end)), end),
            std::pair(Samples16{1, 32767 + 1000 - 65536, 995, 4}, 3));
  EXPECT_EQ(Samples(w), (Samples16{1, 32767, -5, 4}));  // the source never changes
  end = -1;
  EXPECT_EQ(std::pair(Samples(w->Up(abort, -1, begin = 0, end)), end), std::pair(Samples16{0, 32766, -6, 3}, 4));
}

TEST(WaveAmplitude, BlockAveragesBlocksOfARealLength) {
  bool abort = false;
  // Block time 2.5 from begin 1: blocks end at 3, 6, 8 and 11, that is 2, 3, 2 and 3 samples.
  WavePtr w = MakeWave({99, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 99});
  int32_t begin = 1, end = 11;
  WavePtr blocked = w->Block(abort, 2.5, 0, begin, end);
  EXPECT_EQ(Samples(blocked), (Samples16{99, 0, 0, 3, 3, 3, 5, 5, 8, 8, 8, 99}));

  // The average truncates toward zero.
  WavePtr negative = MakeWave({-1, -2, 5});
  begin = 0, end = -1;
  EXPECT_EQ(Samples(negative->Block(abort, 2, 0, begin, end)), (Samples16{-1, -1, 5}));

  const Samples16 varied{-32768, -20000, -1, 0, 1, 20000, 32767};
  WavePtr v = MakeWave(varied);
  for (double time : {1.0, 0.5, 0.0, std::nan("")}) {  // below 1 counts as 1: nothing changes
    end = -1;
    EXPECT_EQ(Samples(v->Block(abort, time, 0, begin, end)), varied) << time;
  }
  end = -1;
  EXPECT_EQ(Samples(v->Block(abort, 1, 2, begin, end)),
            (Samples16{-32768, -32768, -32768, 32767, 32767, 32767, 32767}));
  end = -1;
  EXPECT_EQ(Samples(v->Block(abort, 1, 1, begin, end)), Samples16(7, 0));
  // 9 levels: level trunc((x + 32768) * 9 / 65536), value trunc(65535 / 8 * level - 32768).
  end = -1;
  EXPECT_EQ(Samples(v->Block(abort, 1, 9, begin, end)), (Samples16{-32768, -24576, 0, 0, 0, 24575, 32767}));
  EXPECT_FALSE(abort);
}

TEST(WaveAmplitude, VolumeAndScaleTruncateTowardZeroAndWrap) {
  bool abort = false;
  WavePtr w = MakeWave({20000, -3, 7, 100});
  int32_t begin = 0, end = 3;
  EXPECT_EQ(Samples(w->Volume(abort, 2, begin, end)), (Samples16{40000 - 65536, -6, 14, 100}));
  EXPECT_EQ(Samples(w->Volume(abort, 0.5, begin, end)), (Samples16{10000, -1, 3, 100}));
  EXPECT_EQ(Samples(w->Volume(abort, std::nan(""), begin, end)), (Samples16{0, 0, 0, 100}));

  int32_t outside = 99;
  int32_t same = 99;
  w->Scale(abort, 3, outside, same);  // an empty selection is left alone without checks
  EXPECT_EQ(Samples(w), (Samples16{20000, -3, 7, 100}));
}

TEST(WaveAmplitude, DistortReadsTheCurveAsATransferFunction) {
  bool abort = false;
  const Samples16 input{-32768, -1000, 0, 1000, 32767};
  WavePtr w = MakeWave(input);
  int32_t begin = 0, end = -1;
  WavePtr identity = MakeWave({-32768, 32767});
  WavePtr same = w->Distort(abort, identity.get(), begin, end);
  for (size_t i = 0; i < input.size(); ++i) EXPECT_NEAR(same->wave[i], input[i], 1) << i;

  // A fold: the middle of the range reads the curve's middle sample.
  WavePtr fold = MakeWave({0, 1000, 0});
  WavePtr folded = w->Distort(abort, fold.get(), begin, end);
  EXPECT_EQ(At(Samples(folded), {0, 2}), (Samples16{0, 1000}));
  EXPECT_LT(folded->wave[4], 1);

  // A long selection gives the same samples as a short one.
  WavePtr longWave = MakeConstant(70000, 1000);
  end = -1;
  WavePtr longFolded = longWave->Distort(abort, fold.get(), begin, end);
  EXPECT_EQ(longFolded->wave[69999], folded->wave[3]);

  WavePtr empty = NewWave();
  end = -1;
  EXPECT_EQ(Samples(w->Distort(abort, empty.get(), begin, end)), Samples16(5, 0));
  EXPECT_EQ(w->Distort(abort, nullptr, begin, end), nullptr);
  EXPECT_FALSE(abort);
}

TEST(WaveAmplitude, VolumeEnvFollowsTheStretchedEnvelope) {
  bool abort = false;
  WavePtr w = MakeWave({20000, 1000, 1000, 1000, -7});
  int32_t begin = 1, end = 4;
  WavePtr half = MakeWave({16384});
  EXPECT_EQ(Samples(w->VolumeEnv(abort, half.get(), begin, end)), (Samples16{20000, 500, 500, 500, -7}));
  WavePtr rise = MakeWave({0, 32767});
  EXPECT_EQ(Samples(w->VolumeEnv(abort, rise.get(), begin, end)), (Samples16{20000, 0, 500, 1000, -7}));
  WavePtr empty = NewWave();
  EXPECT_EQ(Samples(w->VolumeEnv(abort, empty.get(), begin, end)), (Samples16{20000, 0, 0, 0, -7}));
  EXPECT_EQ(w->VolumeEnv(abort, nullptr, begin, end), nullptr);
  EXPECT_EQ(end, 4);
}

TEST(WaveAmplitude, EmptySelectionCopiesAndBadRangesTrap) {
  bool abort = false;
  WavePtr w = MakeWave({1, 2, 3});
  WavePtr curve = MakeWave({5, 5});
  int32_t begin = 2, end = 2;
  EXPECT_EQ(Samples(w->Up(abort, 9, begin, end)), (Samples16{1, 2, 3}));
  EXPECT_EQ(Samples(w->Block(abort, 2, 2, begin, end)), (Samples16{1, 2, 3}));
  EXPECT_EQ(Samples(w->Distort(abort, curve.get(), begin, end)), (Samples16{1, 2, 3}));
  EXPECT_EQ(Samples(w->VolumeEnv(abort, curve.get(), begin, end)), (Samples16{1, 2, 3}));

  WavePtr empty = NewWave();
  begin = 0, end = -1;
  EXPECT_EQ(empty->Volume(abort, 2, begin, end)->values, 0);


  abort = true;
  end = -1;
  EXPECT_EQ(w->Volume(abort, 2, begin = 0, end), nullptr);
}
