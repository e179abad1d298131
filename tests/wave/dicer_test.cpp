#include "wave/dicer.h"

#include <gtest/gtest.h>

#include "foundation/assertion.h"
#include "foundation/random.h"
#include "support/samples.h"

TEST(Dicer, EachDieTakesTwoSuccessiveDrawsOfTheSequenceTheSeedRestarts) {
  for (const int32_t seed : {0, 12345, -7}) {
    Dicer dice(seed);
    EXPECT_EQ(RandomNext(), Random15(static_cast<uint32_t>(seed)).Next());  // noise starts over too
    Dicer again(seed);
    Random15 draws(static_cast<uint32_t>(seed));
    for (int throwCount = 0; throwCount < 2; ++throwCount) {
      again.Throw();
      for (int32_t die = 0; die < Dicer::DICES; ++die) {
        const double high = draws.Next();
        const double value = high * 32768 + draws.Next();
        EXPECT_DOUBLE_EQ(again.Value(die, 1.0, 0.0), value / 1073676288.0) << seed << " die " << die;
      }
    }
  }
}

TEST(Dicer, ValuePlacesTheFractionFromBToAAndMayPassAWhichFractionDoesNot) {
  EXPECT_EQ(Dicer(3).Value(2, 8.0, -3.0), -3.0);  // every die is 0 before the first throw
  const Dicer dice = ThrownDice(3);
  const double f = dice.Value(4, 1.0, 0.0);
  EXPECT_DOUBLE_EQ(dice.Value(4, 200.0, 100.0), 100.0 + 100.0 * f);
  EXPECT_DOUBLE_EQ(dice.Value(4, -1.0, 1.0), 1.0 - 2.0 * f);

  const OvershootingDie over = FindOvershootingDie();
  const Dicer high = ThrownDice(over.seed);
  EXPECT_GT(high.Value(over.die, 1.0, 0.0), 1.0);
  EXPECT_LT(high.Value(over.die, 1.0, 0.0), 1.000062);
  EXPECT_EQ(high.Fraction(over.die), 1.0);

  EXPECT_THROW(dice.Value(-1, 1.0, 0.0), AssertionFailure);
  EXPECT_THROW(dice.Value(Dicer::DICES, 1.0, 0.0), AssertionFailure);
}
