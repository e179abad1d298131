// Dice for the tests of the dice and the random echo.
#pragma once

#include <cstdint>

#include "foundation/random.h"
#include "wave/dicer.h"

// The dice of the first copy of an echo with this seed.
inline Dicer ThrownDice(int32_t seed) {
  Dicer dice(seed);
  dice.Throw();
  return dice;
}

// A seed whose first throw takes some die beyond the divisor (its first draw is the largest).
struct OvershootingDie {
  int32_t seed = -1;
  int32_t die = -1;
};
inline OvershootingDie FindOvershootingDie() {
  for (int32_t seed = 0; seed < 1000000; ++seed) {
    Random15 draws(static_cast<uint32_t>(seed));
    for (int32_t die = 0; die < Dicer::DICES; ++die, draws.Next()) {
      if (draws.Next() == Random15::kMax) return {seed, die};
    }
  }
  return {};
}
