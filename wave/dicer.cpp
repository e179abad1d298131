#include "wave/dicer.h"

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/random.h"

namespace {
constexpr const char* kAssertUnit = "dicer";

// Hexadecimal 3FFF0000, the divisor echoes have always been made with: a seed keeps giving the
// echo it gave before.
constexpr double kDivisor = 1073676288.0;
}  // namespace

Dicer::Dicer(int32_t seed) { RandomSeed(static_cast<uint32_t>(seed)); }

void Dicer::Throw() {
  for (int32_t& value : Values) {
    const int32_t high = RandomNext();
    const int32_t low = RandomNext();
    value = (high << 15) + low;
  }
}

double Dicer::Value(int32_t dice, double a, double b) const {
  KV_ASSERT(dice >= 0);
  KV_ASSERT(dice < DICES);
  return Values[dice] / kDivisor * (a - b) + b;
}

double Dicer::Fraction(int32_t dice) const { return Clamp(Value(dice, 1.0, 0.0), 0.0, 1.0); }
