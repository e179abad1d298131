// The six dice of the random echo. Each varied property of an echo reads one die, so properties
// that share a die vary together; one seed always gives the same throws.
#pragma once

#include <cstdint>

class Dicer {
 public:
  static constexpr int32_t DICES = 6;

  // Seeds the shared random sequence, so the noise generator starts over from the same seed too.
  explicit Dicer(int32_t seed);

  // Gives every die a new value from 0 to 2^30 - 1, two draws of 15 bits each, in die order.
  void Throw();
  // The die's fraction placed between b (fraction 0) and a (fraction 1). The divisor is a little
  // below the largest value, so the result can pass a by up to 0.000061 of (a - b); readers that
  // need the range keep it with Fraction.
  double Value(int32_t dice, double a, double b) const;
  // The die's fraction kept within 0 to 1.
  double Fraction(int32_t dice) const;

 private:
  int32_t Values[DICES] = {};  // zero until the first throw
};
