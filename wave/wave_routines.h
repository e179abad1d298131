// Support shared by the sample routines' source files: reading a run of samples at a real
// position, turning a real count into a sample count safely, and the one loop of the same-length
// routines. Not part of the engine's interface.
#pragma once

#include <cmath>
#include <cstdint>

#include "wave/wave.h"

// The per-sample loops that run at memory speed are built for the wider vectors of newer
// processors as well; the loader picks the version the machine can run, so one program runs on
// every x86-64. The same operations in the same order give the same samples in every version.
#if defined(__x86_64__) && defined(__linux__) && (defined(__clang__) ? __clang_major__ >= 14 : defined(__GNUC__))
#define KV_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KV_VECTOR_CLONES
#endif

namespace wave_routines {

// A count that no wave can hold: asking for it is a failed allocation, as for any other buffer
// that cannot be had.
inline constexpr int64_t kTooManySamples = int64_t{1} << 40;

// trunc(x) as a sample count: a NaN or a value below 0 gives 0, a value beyond what a wave can hold
// gives kTooManySamples.
inline int64_t TruncCount(long double x) {
  if (!(x > 0)) return 0;
  if (x >= static_cast<long double>(kTooManySamples)) return kTooManySamples;
  return static_cast<int64_t>(x);
}

// trunc(x) for a signed distance, limited to +-kTooManySamples (a NaN gives 0).
inline int64_t TruncDistance(long double x) {
  if (x < 0) return -TruncCount(-x);
  return TruncCount(x);
}

// The value of the run s[0 .. count) at a real position, with linear interpolation between the
// neighbours; a position at or past the last sample reads the last, one before the first the first.
inline long double ReadLinear(const int16_t* s, int64_t count, long double position) {
  if (count <= 0) return 0;
  if (!(position < count - 1)) return s[count - 1];
  if (!(position > 0)) return s[0];
  const int64_t i = static_cast<int64_t>(position);
  const long double f = position - i;
  if (f == 0) return s[i];
  return (1 - f) * s[i] + f * s[i + 1];
}

// The one loop of the same-length routines: a result holding this wave with each sample of
// [begin, end) replaced by map(sample, offset from begin). An empty selection gives a copy.
template <class Map>
WavePtr MapSelection(const Wave& source, bool& abort, int32_t begin, int32_t end, Map&& map) {
  WavePtr result = source.MakeResult(abort, begin, end, static_cast<int64_t>(end) - begin);
  if (!result) return nullptr;
  const int16_t* in = source.wave;
  int16_t* out = result->wave;
  ForEachChunk(abort, begin, end, [&](int64_t first, int64_t last) {
    for (int64_t i = first; i < last; ++i) out[i] = map(in[i], i - begin);
  });
  return result;
}

}  // namespace wave_routines
