#include "foundation/random.h"

namespace {
Random15 sharedRandom;
}

void RandomSeed(uint32_t seed) { sharedRandom.Seed(seed); }
int RandomNext() { return sharedRandom.Next(); }
