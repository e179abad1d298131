// The filters' per-sample cores, shared by the filter routines of `Wave` and open to tests.
#pragma once

#include <cmath>
#include <cstdint>

#include "wave/wave.h"

// Coefficient of the one-pole stage for a time in samples: 0 (the input passes unchanged) when the
// time is too short for the stage, or not positive at all.
inline double OnePoleCoefficient(double q, double time) {
  if (!(time > 0)) return 0;
  const double a = 1 - kTwoPi * q / (std::sqrt(1 - q * q) * time);
  return a > 0 ? a : 0;
}

// An envelope value (truncated to a sample) read as a frequency from 20 Hz to 20000 Hz, given as its period in samples.
inline double EnvelopePeriod(int16_t v, int32_t rate) {
  const long double level = std::pow(10.0L, (v + 32768) * 4.5777065690089265e-05L);
  return static_cast<double>(rate / (level * 20.0L));
}

// An envelope value (truncated to a sample) read as a width from 0 to just below 1.
inline double EnvelopeWidth(int16_t v) {
  return (v + 32768.0) * static_cast<double>(1.5258789e-5f);
}

// A damped oscillator that the signal drives, run in several sub-steps per sample.
class Resonator {
 public:
  static constexpr int kSubSteps = 4;
  static constexpr double kSpring = 2.466;
  // The finer form: five times the sub-steps with a twenty-fifth of the spring, the same oscillation.
  static constexpr int kFineSubSteps = 20;
  static constexpr double kFineSpring = 0.09864;

  Resonator(int subSteps, double spring) : subSteps_(subSteps), spring_(spring) {}

  // A period below one sample (a frequency above the rate) is taken as one sample. The spring is
  // kept below 2 (1 + b), the edge past which the sub-step recursion grows without bound; only
  // periods close to one sample at large widths come near it.
  void Tune(double per, double factor) {
    if (!(per >= 1)) per = 1;
    damping_ = std::pow(1 - factor, 1 / per);
    const double limit = 1.98 * (1 + damping_);
    k_ = spring_ / (per * per);
    if (k_ > limit) k_ = limit;
  }

  double Next(double x) {
    for (int s = 0; s < subSteps_; ++s) {
      y_ += k_ * v_;
      v_ -= y_;
      y_ = (1 - damping_) * x + damping_ * y_;
    }
    return y_;
  }

 private:
  int subSteps_;
  double spring_;
  double k_ = 0;
  double damping_ = 1;
  double v_ = 0;
  double y_ = 0;
};
