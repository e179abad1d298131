// Effects that change sample values without changing the length: up/down, block quantising,
// distortion through a transfer curve, constant volume and volume envelopes.
#include <cmath>
#include <vector>

#include "foundation/global.h"
#include "wave/wave.h"
#include "wave/wave_routines.h"

namespace {

using wave_routines::MapSelection;
using wave_routines::ReadLinear;

// Beyond this many samples a distortion builds a table of all 65536 inputs once.
constexpr int64_t kDistortTableThreshold = 65536;

// trunc(sample * factor) kept to its low 16 bits. Any product of a sample and a factor up to 65536
// fits 32 bits, so the range check of the conversion can go and the loop vectorises; the result is
// the same. `out` may be `in` itself.
inline __attribute__((always_inline)) void ScaleRun(const int16_t* in, int16_t* out, int64_t n, double factor) {
  if (std::fabs(factor) <= 65536.0) {
    for (int64_t i = 0; i < n; ++i)
      out[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(static_cast<int32_t>(in[i] * factor))));
  } else {
    for (int64_t i = 0; i < n; ++i) out[i] = ToSample(in[i] * factor);
  }
}

KV_VECTOR_CLONES void ScaleInto(const int16_t* __restrict in, int16_t* __restrict out, int64_t n, double factor) {
  ScaleRun(in, out, n, factor);
}

KV_VECTOR_CLONES void ScaleInPlace(int16_t* samples, int64_t n, double factor) {
  ScaleRun(samples, samples, n, factor);
}
}  // namespace

WavePtr Wave::Up(bool& abort, int16_t value, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  return MapSelection(*this, abort, begin, end, [value](int16_t x, int64_t) { return WrapAdd(x, value); });
}

WavePtr Wave::Block(bool& abort, double blockTime, int32_t levels, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  if (!(blockTime >= 1)) blockTime = 1;  // also a NaN, which would never end a block
  WavePtr result = MakeResult(abort, begin, end, static_cast<int64_t>(end) - begin);
  if (!result) return nullptr;
  if (levels == 1) {
    result->Clear(abort, begin, end);
    return result;
  }
  const int16_t* in = wave;
  int16_t* out = result->wave;
  const double levelScale = levels / 65536.0;
  const double levelHeight = 65535.0 / (static_cast<double>(levels) - 1);
  double position = begin;
  int64_t first = begin;
  while (first < end && !abort) {
    position += blockTime;
    // blockTime >= 1 keeps every block at least one sample long.
    const int64_t last = position < end ? static_cast<int64_t>(position) : end;
    int64_t sum = 0;
    ForEachChunk(abort, first, last, [&](int64_t a, int64_t b) {
      for (int64_t i = a; i < b; ++i) sum += in[i];
    });
    const int64_t average = sum / (last - first);
    int16_t value = static_cast<int16_t>(average);
    if (levels != 0) {
      const int32_t level = TruncToInt32((average + 32768) * levelScale);
      value = ToSample(levelHeight * level - 32768);
    }
    ForEachChunk(abort, first, last, [&](int64_t a, int64_t b) {
      for (int64_t i = a; i < b; ++i) out[i] = value;
    });
    first = last;
  }
  return result;
}

WavePtr Wave::Distort(bool& abort, const Wave* curve, int32_t& begin, int32_t& end) const {
  if (curve == nullptr) return nullptr;
  CheckRange(begin, end);
  const int16_t* points = curve->wave;
  const int64_t count = curve->values;
  auto transfer = [points, count](int32_t x) {
    return ToSample(ReadLinear(points, count, (x * (1.0L / 65535) + 0.5L) * (count - 1)));
  };
  if (static_cast<int64_t>(end) - begin <= kDistortTableThreshold) {
    return MapSelection(*this, abort, begin, end, [&](int16_t x, int64_t) { return transfer(x); });
  }
  std::vector<int16_t> table(65536);
  for (int32_t x = -32768; x <= 32767; ++x) table[static_cast<size_t>(x + 32768)] = transfer(x);
  return MapSelection(*this, abort, begin, end,
                      [&](int16_t x, int64_t) { return table[static_cast<size_t>(x + 32768)]; });
}

WavePtr Wave::Volume(bool& abort, double factor, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  WavePtr result = MakeResult(abort, begin, end, static_cast<int64_t>(end) - begin);
  if (!result) return nullptr;
  const int16_t* in = wave;
  int16_t* out = result->wave;
  ForEachChunk(abort, begin, end,
               [&](int64_t first, int64_t last) { ScaleInto(in + first, out + first, last - first, factor); });
  return result;
}

void Wave::Scale(bool& abort, double factor, int32_t& begin, int32_t& end) {
  if (begin == end) return;
  CheckRange(begin, end);
  int16_t* samples = wave;
  ForEachChunk(abort, begin, end,
               [&](int64_t first, int64_t last) { ScaleInPlace(samples + first, last - first, factor); });
}

WavePtr Wave::VolumeEnv(bool& abort, const Wave* envelope, int32_t& begin, int32_t& end) const {
  if (envelope == nullptr) return nullptr;
  CheckRange(begin, end);
  EnvelopeReader reader(envelope, static_cast<int64_t>(end) - begin);
  return MapSelection(*this, abort, begin, end,
                      [&](int16_t x, int64_t) { return ToSample(reader.Next() * x * (1.0L / 32767)); });
}
