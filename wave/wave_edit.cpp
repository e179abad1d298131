// Cutting, pasting and joining channels, and mixing one channel into another.
#include <algorithm>
#include <cmath>
#include <functional>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/wave.h"
#include "wave/wave_routines.h"

namespace {
constexpr const char* kAssertUnit = "wave";

using wave_routines::MapSelection;
using wave_routines::ReadLinear;

// Runs add(target, source, count) over consecutive runs of `count` samples of this wave from
// `after` on and of the other wave from 0, the runs no longer than a chunk; stops at the end of
// either wave, or, with `cycle`, wraps to the start of this wave and stops when the other is used.
template <class Add>
void AddRuns(bool& abort, Wave& target, const Wave& other, int32_t after, bool cycle, Add&& add) {
  int64_t position = after;
  int64_t used = 0;
  while (used < other.values && !abort) {
    if (position == target.values) {
      if (!cycle) return;
      position = 0;
    }
    const int64_t run = std::min<int64_t>({Wave::kChunk, other.values - used, target.values - position});
    add(target.wave + position, other.wave + used, run);
    position += run;
    used += run;
  }
}

// Whether the factor is +-2 to a power in [-14, 14], which the power then holds. Volumes are often
// such factors (a new player sounds at half volume), and with them the mix is exact in integers.
bool IsPowerOfTwo(double factor, int& power) {
  int exponent = 0;
  const double mantissa = std::frexp(factor, &exponent);
  power = exponent - 1;
  return std::fabs(mantissa) == 0.5 && power >= -14 && power <= 14;
}

// t + o * factor, truncated and kept to its low 16 bits, as ToSample does; every branch gives the
// same samples as that one expression, in the widest vectors it allows. With a factor of +-2^p the
// sum is exact: for p >= 0 a whole number, so 16-bit wrap-around gives its low bits; for p < 0 it
// is (t * 2^-p +- o) / 2^-p, truncated by a shift that rounds negative sums toward zero. Otherwise,
// with a factor up to 32768 the sum fits 31 bits, so the range check of the conversion can go;
// only a larger factor keeps it.
KV_VECTOR_CLONES void AddScaled(int16_t* __restrict t, const int16_t* __restrict o, int64_t n, double factor) {
  int power = 0;
  if (IsPowerOfTwo(factor, power)) {
    const int32_t sign = factor < 0 ? -1 : 1;
    if (power >= 0) {
      const int32_t scale = sign * (int32_t{1} << power);
      for (int64_t i = 0; i < n; ++i) t[i] = WrapAdd(t[i], o[i] * scale);
    } else {
      const int shift = -power;
      const int32_t towardZero = (int32_t{1} << shift) - 1;
      for (int64_t i = 0; i < n; ++i) {
        const int32_t sum = t[i] * (int32_t{1} << shift) + sign * o[i];
        const int32_t truncated = (sum + ((sum >> 31) & towardZero)) >> shift;
        t[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(truncated)));
      }
    }
  } else if (std::fabs(factor) <= 32768.0) {
    for (int64_t i = 0; i < n; ++i)
      t[i] = static_cast<int16_t>(
          static_cast<uint16_t>(static_cast<uint32_t>(static_cast<int32_t>(t[i] + o[i] * factor))));
  } else {
    for (int64_t i = 0; i < n; ++i) t[i] = ToSample(t[i] + o[i] * factor);
  }
}
}  // namespace

WavePtr Wave::Trim(bool& abort, int32_t begin, int32_t end) const {
  CheckRange(begin, end);
  WavePtr result = NewWaveChecked(abort, static_cast<int64_t>(end) - begin);
  if (!result) return nullptr;
  result->CopyFrom(abort, this, begin, end, 0);
  return result;
}

WavePtr Wave::Delete(bool& abort, int32_t begin, int32_t end) const {
  CheckRange(begin, end);
  return MakeResult(abort, begin, end, 0);
}

WavePtr Wave::replace(bool& abort, const Wave* other, int32_t begin, int32_t end) const {
  if (other == nullptr) return nullptr;
  DebugLog("Wave::replace A\n");
  CheckRange(begin, end);
  DebugLog("Wave::replace B\n");
  WavePtr result = MakeResult(abort, begin, end, other->values);
  DebugLog("Wave::replace C\n");
  if (!result) return nullptr;
  DebugLog("Wave::replace D\n");
  result->CopyFrom(abort, other, 0, other->values, begin);
  DebugLog("Wave::replace E\n");
  DebugLog("Wave::replace F\n");
  DebugLog("Wave::replace G\n");
  return result;
}

WavePtr Wave::MixAt(bool& abort, const Wave* other, int32_t to, int32_t point, bool fromEnd) const {
  if (other == nullptr) return nullptr;
  int32_t usedBegin = 0;
  int32_t usedLength = other->values;
  if (point != -1) {
    usedLength = std::clamp(point, 0, other->values);  // a negative point uses nothing
    if (fromEnd) usedBegin = other->values - usedLength;
  }
  const int64_t front = to < 0 ? -static_cast<int64_t>(to) : 0;
  const int64_t back = std::max<int64_t>(0, static_cast<int64_t>(to) + usedLength - values);
  WavePtr result = NewWaveChecked(abort, front + values + back);
  if (!result) return nullptr;
  const int32_t start = static_cast<int32_t>(front);
  result->Clear(abort, 0, start);
  result->CopyFrom(abort, this, 0, values, start);
  result->Clear(abort, start + values, result->values);
  result->AddFrom(abort, other, usedBegin, usedBegin + usedLength, static_cast<int32_t>(to + front));
  return result;
}

WavePtr Wave::MixAlignEnd(bool& abort, const Wave* other, int32_t position, int32_t point, bool fromEnd) const {
  if (other == nullptr) return nullptr;
  const int32_t usedLength = point != -1 ? std::clamp(point, 0, other->values) : other->values;
  const int64_t to = static_cast<int64_t>(position) - usedLength;
  if (to < INT32_MIN) {  // front padding beyond what a wave can hold
    return NewWaveChecked(abort, wave_routines::kTooManySamples);
  }
  return MixAt(abort, other, static_cast<int32_t>(to), point, fromEnd);
}

WavePtr Wave::MixStretch(bool& abort, const Wave* other, int32_t begin, int32_t end) const {
  if (other == nullptr) return nullptr;
  CheckRange(begin, end);
  const int16_t* o = other->wave;
  const int64_t count = other->values;
  // N + 1, not N - 1: the other's last samples are never reached.
  const long double step = static_cast<long double>(count - 1) / (static_cast<int64_t>(end) - begin + 1);
  return MapSelection(*this, abort, begin, end,
                      [&](int16_t x, int64_t i) { return ToSample(x + ReadLinear(o, count, i * step)); });
}

void Wave::MixCycleAfterThis(bool& abort, const Wave* other, int32_t after) {
  if (other == nullptr || after < 0) return;
  KV_ASSERT(values != 0);
  KV_ASSERT(after < values);
  AddRuns(abort, *this, *other, after, true, [](int16_t* t, const int16_t* o, int64_t n) {
    for (int64_t i = 0; i < n; ++i) t[i] = WrapAdd(t[i], o[i]);
  });
}

void Wave::AddAfter(bool& abort, const Wave* other, int32_t after, double factor) {
  if (other == nullptr) return;
  KV_ASSERT(values != 0);
  KV_ASSERT(after < values);
  KV_ASSERT(after >= 0);
  // A wave added into itself reads samples the same call has already changed; only that case keeps
  // the plain loop, every other one takes the vector loops, which give the same samples.
  const std::less<const int16_t*> before;  // a total order, for the buffers of two waves too
  const bool overlapping = other->wave != nullptr && wave != nullptr && before(other->wave, wave + values) &&
                           before(wave, other->wave + other->values);
  AddRuns(abort, *this, *other, after, false, [factor, overlapping](int16_t* t, const int16_t* o, int64_t n) {
    if (overlapping) {
      for (int64_t i = 0; i < n; ++i) t[i] = ToSample(t[i] + o[i] * factor);
    } else {
      AddScaled(t, o, n, factor);
    }
  });
}

void Wave::OverlayAfter(bool& abort, const Wave* other, int32_t after) {
  if (other == nullptr) return;
  KV_ASSERT(values != 0);
  KV_ASSERT(after < values);
  KV_ASSERT(after >= 0);
  AddRuns(abort, *this, *other, after, false, [](int16_t* t, const int16_t* o, int64_t n) {
    for (int64_t i = 0; i < n; ++i) t[i] = WrapAdd(t[i], o[i]);
  });
}

WavePtr Wave::MixLeftRight(bool& abort, double a, const Wave* daar, double b, int32_t begin, int32_t end) const {
  if (daar == nullptr) return nullptr;
  if (end == -1) end = values;
  KV_ASSERT(begin >= 0);
  KV_ASSERT(end >= 0);
  KV_ASSERT(begin <= end);
  KV_ASSERT(end <= values);
  KV_ASSERT(values == daar->values);
  const int16_t* o = daar->wave;
  return MapSelection(*this, abort, begin, end,
                      [&](int16_t x, int64_t i) { return ToSample(x * a + o[begin + i] * b); });
}

WavePtr Wave::Average(bool& abort, const Wave* other) const {
  if (other == nullptr) return nullptr;
  KV_ASSERT(values == other->values);
  return MixLeftRight(abort, 0.5, other, 0.5, 0, -1);
}
