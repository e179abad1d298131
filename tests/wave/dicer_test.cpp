#include "wave/dicer.h"

#include <gtest/gtest.h>

#include "foundation/assertion.h"
#include "foundation/random.h"
#include "overshooting_die.h"

TEST(Dicer, EachDieTakesTwoSuccessiveFifteenBitDrawsInDieOrder) {
  for (const int32_t seed : {0, 1, 12345, -7}) {
    Dicer dice(seed);
    Random15 draws(static_cast<uint32_t>(seed));
    for (int throwCount = 0; throwCount < 3; ++throwCount) {
      dice.Throw();
      for (int32_t die = 0; die < Dicer::DICES; ++die) {
        const int high = draws.Next();
        const int low = draws.Next();
        const double value = high * 32768.0 + low;
        EXPECT_DOUBLE_EQ(dice.Value(die, 1.0, 0.0), value / 1073676288.0) << seed << " die " << die;
      }
    }
  }
}

TEST(Dicer, TheSeedRestartsTheSharedSequenceAndTheSameSeedRepeatsTheThrows) {
  Dicer first(99);
  EXPECT_EQ(RandomNext(), Random15(99).Next());  // noise drawn after the dice starts over as well

  Dicer a(4);
  a.Throw();
  const double fromA = a.Value(5, 10.0, -10.0);
  Dicer b(4);
  b.Throw();
  EXPECT_EQ(b.Value(5, 10.0, -10.0), fromA);
  Dicer c(5);
  c.Throw();
  EXPECT_NE(c.Value(5, 10.0, -10.0), fromA);
}

TEST(Dicer, ValuePlacesTheFractionBetweenBAndAAndMayPassA) {
  Dicer unthrown(3);
  EXPECT_EQ(unthrown.Value(2, 8.0, -3.0), -3.0);  // every die is 0 before the first throw

  Dicer dice(3);
  dice.Throw();
  for (int32_t die = 0; die < Dicer::DICES; ++die) {
    const double f = dice.Value(die, 1.0, 0.0);
    EXPECT_GE(f, 0.0);
    EXPECT_DOUBLE_EQ(dice.Value(die, 200.0, 100.0), 100.0 + 100.0 * f);
    EXPECT_DOUBLE_EQ(dice.Value(die, -1.0, 1.0), 1.0 - 2.0 * f);  // a below b runs downwards
  }

  const OvershootingDie over = FindOvershootingDie();
  ASSERT_GE(over.seed, 0);
  Dicer high(over.seed);
  high.Throw();
  EXPECT_GT(high.Value(over.die, 1.0, 0.0), 1.0);
  EXPECT_LT(high.Value(over.die, 1.0, 0.0), 1.000062);
  EXPECT_EQ(high.Fraction(over.die), 1.0);
}

TEST(Dicer, ADieOutsideTheSixIsAProgrammingError) {
  Dicer dice(1);
  dice.Throw();
  EXPECT_THROW(dice.Value(-1, 1.0, 0.0), AssertionFailure);
  EXPECT_THROW(dice.Value(Dicer::DICES, 1.0, 0.0), AssertionFailure);
  EXPECT_NO_THROW(dice.Value(Dicer::DICES - 1, 1.0, 0.0));
}
