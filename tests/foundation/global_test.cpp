#include "foundation/global.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/random.h"

TEST(Global, NumericHelpersGiveTheirEdgeValues) {
  struct Case { double got, expected; };
  for (const Case& c : {Case{WrapIntoRange(9000, 0, 9000), 0}, Case{WrapIntoRange(-1, 0, 9000), 8999},
                        Case{WrapIntoRange(-9000, 0, 9000), 0}, Case{WrapIntoRange(20000.5, 0, 9000), 2000.5},
                        Case{WrapIntoRange(-25, 10, 20), 15}, Case{NiceGridStep(0.07), 0.1},
                        Case{NiceGridStep(250), 200}, Case{NiceGridStep(400), 500}, Case{NiceGridStep(1), 2},
                        Case{MapLinear(5, 0, 10, 100, 200), 150}, Case{Clamp(-1, 1, 3), 1}, Case{Clamp(7, 1, 3), 3},
                        Case{NextMultiple(7, 5), 10}, Case{NextMultiple(10, 5), 15}, Case{NextMultiple(-7, 5), 0},
                        Case{double(TruncToInt32(-2.9)), -2}, Case{double(TruncToInt32(1e20)), INT32_MIN}})
    EXPECT_DOUBLE_EQ(c.got, c.expected);
  EXPECT_THROW(WrapIntoRange(1, 5, 5), AssertionFailure);
}

TEST(Global, ToBinaryFractionFindsTheSmallestPowerOfTwo) {
  struct Case { double x; int32_t whole, numerator, denominator; };
  for (const Case& c : {Case{2.75, 2, 3, 4}, Case{0.1, 0, 12, 128}, Case{3, 3, 0, 1}, Case{-1.5, -1, -1, 2}}) {
    int32_t whole = -99, numerator = -99, denominator = -99;
    ToBinaryFraction(c.x, whole, numerator, denominator);
    EXPECT_EQ((std::vector{whole, numerator, denominator}), (std::vector{c.whole, c.numerator, c.denominator})) << c.x;
  }
}

TEST(Global, ClipRangeGivesTheOverlapInWholeSamplesOrLeavesTheRangeAlone) {
  int32_t first = -1, last = -1;
  EXPECT_FALSE(ClipRange(first, last, 10, 20, 21, 30));
  EXPECT_EQ(first, -1);
  EXPECT_TRUE(ClipRange(first, last, 10, 50.7, 30.9, 80));
  EXPECT_EQ((std::pair{first, last}), (std::pair{30, 50}));
  EXPECT_TRUE(ClipRange(first, last, 10, 20, 20, 30));  // touching ends overlap
}

TEST(Global, BlendColorMixesEachByteAndDropsTheTopByte) {
  EXPECT_EQ(BlendColor(0xFF102030, 0x00405060, 0), 0x00102030u);
  EXPECT_EQ(BlendColor(0x00102030, 0xAA405060, 1), 0x00405060u);
  // 0x10 * 0.75 + 0x40 * 0.25 = 28 = 0x1C; 0xFF * 0.75 = 191.25 truncates to 0xBF
  EXPECT_EQ(BlendColor(0x0010FF00, 0x00400000, 0.25), 0x001CBF00u);
  // Beyond 1 the blend overshoots: 0xFF * -1 + 0x00 * 2 and 0x10 * -1 + 0xC0 * 2 stop at 0 and 255.
  EXPECT_EQ(BlendColor(0x000010FF, 0x0000C000, 2), 0x0000FF00u);
}

TEST(Global, SampleBudgetRefusesAndAccountsForBuffersAndBadCountsGiveNoBuffer) {
  const int64_t before = SampleBytesInUse();
  {
    ScopedSampleBudget budget(before + 100);
    int16_t* fits = AllocSamples(50);
    EXPECT_EQ(std::pair(SampleBytesInUse(), AllocSamples(1)), std::pair(before + 100, (int16_t*)nullptr));
    FreeSamples(fits);
    int16_t* again = AllocSamples(50);
    EXPECT_TRUE(fits != nullptr && again != nullptr);
    FreeSamples(again);
  }
  // Long buffers come from memory of their own, which is kept for the next one.
  for (int round = 0; round < 2; ++round) {
    int16_t* buffer = AllocSamples(int64_t{20} << 20);
    ASSERT_NE(buffer, nullptr);
    buffer[0] = buffer[(int64_t{20} << 20) - 1] = 7;
    EXPECT_EQ(SampleBytesInUse(), before + (int64_t{40} << 20));
    FreeSamples(buffer);
  }
  EXPECT_EQ(SampleBytesInUse(), before);
  for (int64_t count : {int64_t{0}, int64_t{-5}, INT64_MAX}) EXPECT_EQ(AllocSamples(count), nullptr) << count;
}

TEST(Global, FreedLongBuffersAreKeptForReuseOnlyWhileAsMuchIsStillInUse) {
  const int64_t before = SampleBytesInUse();
  constexpr int64_t kCount = int64_t{24} << 20;  // 48 MiB, three of them more than the allowance
  int16_t* buffers[3];
  for (int16_t*& buffer : buffers) ASSERT_NE(buffer = AllocSamples(kCount), nullptr);
  int16_t* const freed = buffers[0];
  FreeSamples(freed);
  buffers[0] = AllocSamples(kCount);
#if KV_SAMPLE_MAPPINGS
  // While the others are in use the freed one waited for the next buffer of its length.
  EXPECT_EQ(buffers[0], freed);
#endif
  for (int16_t* buffer : buffers) FreeSamples(buffer);
  EXPECT_EQ(SampleBytesInUse(), before);
  EXPECT_LE(KeptSampleBytes(), std::max<int64_t>(before, int64_t{64} << 20));
}

TEST(Global, RandomStartsFromSeedOneAndRepeatsAfterReseeding) {
  Random15 fresh, seeded(1), other(2);
  std::vector<int> first, again, reseeded;
  for (int i = 0; i < 5; ++i) first.push_back(fresh.Next()), again.push_back(seeded.Next());
  fresh.Seed(1);
  for (int i = 0; i < 5; ++i) reseeded.push_back(fresh.Next());
  EXPECT_TRUE(first == again && first == reseeded && other.Next() != first[0]);
  EXPECT_TRUE(std::all_of(first.begin(), first.end(), [](int v) { return v >= 0 && v <= 32767; }));
}
