// The program's pseudo-random source: values 0 to 32767, seedable, starting from seed 1.
// It replaces the C runtime's generator, whose range differs between platforms.
#pragma once

#include <cstdint>

class Random15 {
 public:
  static constexpr int kMax = 32767;
  explicit Random15(uint32_t seed = 1) : state_(seed) {}
  void Seed(uint32_t seed) { state_ = seed; }
  int Next() {
    state_ = state_ * 22695477u + 1u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_;
};

// The one shared sequence that noise, the dice and the waveform's random columns draw from.
void RandomSeed(uint32_t seed);
int RandomNext();
