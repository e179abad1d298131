#include "foundation/global.h"

#include <gtest/gtest.h>

#include "foundation/assertion.h"
#include "foundation/random.h"

TEST(Global, WrapIntoRangeLandsInsideThePeriodFromBothSides) {
  EXPECT_DOUBLE_EQ(WrapIntoRange(9000, 0, 9000), 0);
  EXPECT_DOUBLE_EQ(WrapIntoRange(-1, 0, 9000), 8999);
  EXPECT_DOUBLE_EQ(WrapIntoRange(-9000, 0, 9000), 0);
  EXPECT_DOUBLE_EQ(WrapIntoRange(20000.5, 0, 9000), 2000.5);
  EXPECT_DOUBLE_EQ(WrapIntoRange(-25, 10, 20), 15);
  EXPECT_THROW(WrapIntoRange(1, 5, 5), AssertionFailure);
}

TEST(Global, ToBinaryFractionFindsTheSmallestPowerOfTwo) {
  struct Case { double x; int32_t whole, numerator, denominator; };
  for (const Case& c : {Case{2.75, 2, 3, 4}, Case{0.1, 0, 12, 128}, Case{3, 3, 0, 1}, Case{-1.5, -1, -1, 2}}) {
    int32_t whole = -99, numerator = -99, denominator = -99;
    ToBinaryFraction(c.x, whole, numerator, denominator);
    EXPECT_EQ(whole, c.whole) << c.x;
    EXPECT_EQ(numerator, c.numerator) << c.x;
    EXPECT_EQ(denominator, c.denominator) << c.x;
  }
}

TEST(Global, NiceGridStepRoundsUpToOneTwoFive) {
  EXPECT_DOUBLE_EQ(NiceGridStep(0.07), 0.1);
  EXPECT_DOUBLE_EQ(NiceGridStep(250), 200);
  EXPECT_DOUBLE_EQ(NiceGridStep(400), 500);
  EXPECT_DOUBLE_EQ(NiceGridStep(1), 2);
}

TEST(Global, NumericMappings) {
  EXPECT_DOUBLE_EQ(MapLinear(5, 0, 10, 100, 200), 150);
  EXPECT_DOUBLE_EQ(Clamp(3, 1, 3), 3);
  EXPECT_DOUBLE_EQ(Clamp(-1, 1, 3), 1);
  EXPECT_DOUBLE_EQ(Clamp(7, 1, 3), 3);
  EXPECT_DOUBLE_EQ(NextMultiple(7, 5), 10);
  EXPECT_DOUBLE_EQ(NextMultiple(10, 5), 15);
  EXPECT_DOUBLE_EQ(NextMultiple(-7, 5), 0);
  EXPECT_EQ(TruncToInt32(-2.9), -2);
  EXPECT_EQ(TruncToInt32(1e20), INT32_MIN);

  int32_t first = -1, last = -1;
  EXPECT_TRUE(ClipRange(first, last, 10, 50.7, 30.9, 80));
  EXPECT_EQ(first, 30);
  EXPECT_EQ(last, 50);
  first = last = -1;
  EXPECT_FALSE(ClipRange(first, last, 10, 20, 21, 30));
  EXPECT_EQ(first, -1);
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

TEST(Global, SampleBudgetRefusesAndAccountsForBuffers) {
  const int64_t before = SampleBytesInUse();
  {
    ScopedSampleBudget budget(before + 100);
    int16_t* fits = AllocSamples(50);
    ASSERT_NE(fits, nullptr);
    EXPECT_EQ(SampleBytesInUse(), before + 100);
    EXPECT_EQ(AllocSamples(1), nullptr);
    FreeSamples(fits);
    int16_t* again = AllocSamples(50);
    EXPECT_NE(again, nullptr);
    FreeSamples(again);
  }
  EXPECT_EQ(SampleBytesInUse(), before);
  EXPECT_EQ(AllocSamples(0), nullptr);
  EXPECT_EQ(AllocSamples(-5), nullptr);
  EXPECT_EQ(AllocSamples(INT64_MAX), nullptr);
}

TEST(Global, RandomStartsFromSeedOneAndRepeatsAfterReseeding) {
  Random15 fresh;
  Random15 seeded(1);
  int first[5];
  for (int& v : first) {
    v = fresh.Next();
    EXPECT_EQ(v, seeded.Next());
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 32767);
  }
  fresh.Seed(1);
  for (int v : first) EXPECT_EQ(fresh.Next(), v);
  Random15 other(2);
  EXPECT_NE(other.Next(), first[0]);
}
