// Support of the generators, filters and tempo/pitch routines beside wave_routines.h: reading a
// channel where everything outside it is silence, and the loop of the routines that produce a new
// number of samples. Not part of the engine's interface.
#pragma once

#include <cstdint>

#include "wave/wave.h"
#include "wave/wave_routines.h"

namespace wave_routines {

// Linear interpolation between neighbours; 0 outside [0, count - 1] (a NaN position included).
template <class Real>
inline Real ReadLinearOrZero(const int16_t* samples, int64_t count, Real position) {
  if (!(position >= 0 && position <= static_cast<Real>(count - 1))) return 0;
  const int64_t i = static_cast<int64_t>(position);
  const Real f = position - static_cast<Real>(i);
  if (f == 0) return samples[i];
  return (1 - f) * samples[i] + f * samples[i + 1];
}

// Steps 4 and 5 of the routine convention for a routine that produces `produced` samples: makes the
// result around them, lets fill(out, first, last) write out[first, last) chunk by chunk (out being
// the result at `begin`) and moves `end` behind them. Null when the result cannot be made; an
// abort during filling leaves the result incomplete, for the caller to discard.
template <class Fill>
WavePtr ProduceSelection(const Wave& source, bool& abort, int64_t produced, int32_t begin, int32_t& end,
                         Fill&& fill) {
  WavePtr result = source.MakeResult(abort, begin, end, produced);
  if (!result) return nullptr;
  int16_t* out = result->wave + begin;
  ForEachChunk(abort, 0, produced, [&](int64_t first, int64_t last) { fill(out, first, last); });
  end = static_cast<int32_t>(begin + produced);
  return result;
}

}  // namespace wave_routines
