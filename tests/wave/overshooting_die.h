// Finds a seed whose first throw gives some die a value above the dice's divisor, so that its
// fraction passes 1: the first of the die's two draws is then the largest one.
#pragma once

#include <cstdint>

#include "foundation/random.h"
#include "wave/dicer.h"

struct OvershootingDie {
  int32_t seed = -1;
  int32_t die = -1;
};

inline OvershootingDie FindOvershootingDie() {
  for (int32_t seed = 0; seed < 1000000; ++seed) {
    Random15 draws(static_cast<uint32_t>(seed));
    for (int32_t die = 0; die < Dicer::DICES; ++die) {
      const int high = draws.Next();
      draws.Next();
      if (high == Random15::kMax) return {seed, die};
    }
  }
  return {};
}
