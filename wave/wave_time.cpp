// Effects that move samples in time: reverse, rotate, roll out and roll in, change of length (also
// how a channel is resampled) and the period echoes.
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/wave.h"
#include "wave/wave_routines.h"

namespace {
constexpr const char* kAssertUnit = "wave";

using wave_routines::kTooManySamples;
using wave_routines::MapSelection;
using wave_routines::ReadLinear;
using wave_routines::TruncCount;

// A phase that left [0, 1) by one step comes back by whole periods.
long double WrapPhase(long double phase) {
  if (phase >= 1) return phase - std::trunc(phase);
  if (phase < 0) return phase + std::trunc(1 - phase);
  return phase;
}

// A position relative to the start of a loop of `length` samples, brought into [0, length).
long double WrapIntoLoop(long double position, int64_t length) {
  if (!std::isfinite(position)) return 0;
  if (position < 0) position += std::trunc(-position / length + 1) * length;
  if (position >= length) position -= std::trunc(position / length) * length;
  return position >= 0 && position < length ? position : 0;
}

// per * count, limited to what no wave can hold.
int64_t Grow(int64_t per, int32_t count) {
  if (per != 0 && count > kTooManySamples / per) return kTooManySamples;
  return per * count;
}

// Whether x and y lie strictly inside one binade [2^e, 2^(e+1)) of positive long doubles whose
// spacing is at most 1/4.
bool InOneFineBinade(long double x, long double y) {
  int ex = 0;
  int ey = 0;
  const long double mx = std::frexp(x, &ex);
  const long double my = std::frexp(y, &ey);
  return x > 0 && y > 0 && ex == ey && mx != 0.5L && my != 0.5L && ex <= std::numeric_limits<long double>::digits - 2;
}

// One echo of the selection at a fixed delay and gain added to out[first, last), in long double
// throughout as the echoes with envelopes compute. Built for newer processors as well, where the
// conversions to integers need no change of the rounding mode.
//
// The read position p - delay - begin is rounded twice. Where (p - delay) stays inside one binade
// of spacing g <= 1/4 over the run, and every p is a multiple of 2g, the first rounding moves each
// p by the same amount, ties included; the second subtraction is then exact, as begin >= 0 and the
// result is positive and below (p - delay). So each position is the first one plus (p - first):
// the same sample index steps by one, the same fraction f stays, and only the interpolation and the
// sum remain per sample, with the very same results.
KV_VECTOR_CLONES void AddFixedEcho(const int16_t* selection, int64_t length, int16_t* out, int64_t first,
                                   int64_t last, long double delay, int32_t begin, long double gain) {
  if (last <= first) return;
  const long double atFirst = first - delay - begin;
  const long double atLast = (last - 1) - delay - begin;
  if (InOneFineBinade(first - delay, (last - 1) - delay) && atFirst > 0 && atLast < length - 1) {
    const auto index = static_cast<int64_t>(atFirst) - first;
    const long double f = atFirst - (index + first);
    if (f == 0) {
      for (int64_t p = first; p < last; ++p)
        out[p] = ToSample(static_cast<long double>(selection[index + p]) * gain + out[p]);
    } else {
      for (int64_t p = first; p < last; ++p)
        out[p] = ToSample(((1 - f) * selection[index + p] + f * selection[index + p + 1]) * gain + out[p]);
    }
    return;
  }
  for (int64_t p = first; p < last; ++p) {
    const long double at = p - delay - begin;
    if (!(at >= 0 && at <= length - 1)) continue;
    out[p] = ToSample(ReadLinear(selection, length, at) * gain + out[p]);
  }
}

// out[i] = from[-i]: the samples before `from` backwards.
KV_VECTOR_CLONES void ReverseRun(const int16_t* __restrict from, int16_t* __restrict out, int64_t n) {
  for (int64_t i = 0; i < n; ++i) out[i] = from[-i];
}

// How much of an echo stays the same over its length.
enum class EchoForm { kVarying, kFixedDelay, kFixed };

// The frame shared by the period echoes. `perEchoFront` and `perEchoBack` are the samples each
// echo may reach before and behind the selection; `echoOf(k, extendedLength)` gives, for echo k, a
// callable that gives {delay, gain} at an output position. With a fixed delay it is the same for
// the whole echo, so only the positions the echo reaches are visited. The callable takes the
// output position relative to the new begin (where the envelopes are read).
template <EchoForm kForm, class EchoOf>
WavePtr PeriodEcho(const Wave& source, bool& abort, int64_t perEchoFront, int64_t perEchoBack, int32_t count,
                   int32_t& begin, int32_t& end, EchoOf&& echoOf) {
  source.CheckRange(begin, end);
  // One selected sample has no neighbour to echo between; no echoes leave the wave as it is.
  if (count < 1 || end - begin < 2) return source.Copy(abort);
  const int64_t newBegin = begin - Grow(perEchoFront, count);
  const int64_t newEnd = end + Grow(perEchoBack, count);
  const int64_t front = newBegin < 0 ? -newBegin : 0;
  const int64_t back = std::max<int64_t>(0, newEnd - source.values);
  WavePtr result = NewWaveChecked(abort, front + source.values + back);
  if (!result) return nullptr;
  const int32_t start = static_cast<int32_t>(front);
  result->Clear(abort, 0, start);
  result->CopyFrom(abort, &source, 0, source.values, start);
  result->Clear(abort, start + source.values, result->values);

  const int16_t* selection = source.wave + begin;
  const int64_t length = static_cast<int64_t>(end) - begin;
  int16_t* out = result->wave + front;
  for (int32_t k = 1; k <= count && !abort; ++k) {
    auto echo = echoOf(k, newEnd - newBegin);
    int64_t first = newBegin;
    int64_t last = newEnd;
    if constexpr (kForm != EchoForm::kVarying) {
      const auto [delay, gain] = echo(0);
      if (!std::isfinite(delay)) continue;
      first = static_cast<int64_t>(std::clamp<long double>(std::ceil(begin + delay), newBegin, newEnd));
      last = static_cast<int64_t>(std::clamp<long double>(std::floor(end - 1 + delay) + 1, newBegin, newEnd));
      if constexpr (kForm == EchoForm::kFixed) {
        ForEachChunk(abort, first, last, [&, delay = delay, gain = gain](int64_t a, int64_t b) {
          AddFixedEcho(selection, length, out, a, b, delay, begin, gain);
        });
        continue;
      }
    }
    ForEachChunk(abort, first, last, [&](int64_t a, int64_t b) {
      for (int64_t p = a; p < b; ++p) {
        const auto [delay, gain] = echo(p - newBegin);
        const long double at = p - delay - begin;
        if (!(at >= 0 && at <= length - 1)) continue;
        out[p] = ToSample(ReadLinear(selection, length, at) * gain + out[p]);
      }
    });
  }
  begin = static_cast<int32_t>(newBegin + front);
  end = static_cast<int32_t>(newEnd + front);
  return result;
}

using Echo = std::pair<long double, long double>;  // delay, gain

// Samples an echo of constant time reaches before and behind the selection.
int64_t EchoFront(double echoTime) { return echoTime < 0 ? TruncCount(1.0L - echoTime) : 0; }
int64_t EchoBack(double echoTime) { return echoTime > 0 ? TruncCount(echoTime + 1.0L) : 0; }
// Samples an echo whose time follows an envelope reaches on either side. A negative largest time
// (the echo-time field allows one) turns the delays round and reaches as far.
int64_t EchoReach(double diffTime) { return TruncCount(std::fabs(static_cast<long double>(diffTime)) + 1); }

// Echo k at output position j: the time envelope's share of the largest time, and the volume
// envelope raised to the echo's power.
long double EnvelopeDelay(const EnvelopeReader& times, int64_t j, int32_t k, double diffTime) {
  return k * (diffTime * times.At(j * times.Step()) / 32767);
}
long double EnvelopeGain(const EnvelopeReader& volumes, int64_t j, int32_t k) {
  return std::pow(volumes.At(j * volumes.Step()) * (1.0L / 32767), k);
}
}  // namespace

WavePtr Wave::Reverse(bool& abort, int32_t begin, int32_t end) const {
  CheckRange(begin, end);
  WavePtr result = MakeResult(abort, begin, end, static_cast<int64_t>(end) - begin);
  if (!result) return nullptr;
  ForEachChunk(abort, begin, end, [&](int64_t first, int64_t last) {
    ReverseRun(wave + (end - 1 - (first - begin)), result->wave + first, last - first);
  });
  return result;
}

WavePtr Wave::Rotate(bool& abort, int32_t leftShift, int32_t begin, int32_t end) const {
  CheckRange(begin, end);
  KV_ASSERT(leftShift >= 0);
  KV_ASSERT(leftShift <= values);
  if (begin == end) return Copy(abort);
  const int32_t length = end - begin;
  const int32_t shift = leftShift % length;  // a whole turn leaves the selection as it is
  WavePtr result = MakeResult(abort, begin, end, length);
  if (!result) return nullptr;
  result->CopyFrom(abort, this, begin + shift, end, begin);
  result->CopyFrom(abort, this, begin, begin + shift, end - shift);
  return result;
}

WavePtr Wave::RollOutForm(bool& abort, const Wave* form, double per, double periods, double startAngle,
                          int32_t& begin, int32_t& end, int32_t beginf, int32_t endf) const {
  if (form == nullptr) return nullptr;
  CheckRange(begin, end);
  if (begin == end) return Copy(abort);
  if (endf == -1) endf = form->values;
  KV_ASSERT(beginf >= 0);
  KV_ASSERT(endf >= 0);
  KV_ASSERT(beginf <= form->values);
  KV_ASSERT(endf <= form->values);
  KV_ASSERT(beginf <= endf);  // an empty form reads 0, as an empty envelope does
  KV_ASSERT(per != 0);
  // A start taken from the user's position may lie outside one period; it means the same phase.
  const long double startPhase = WrapPhase(startAngle);
  KV_ASSERT(startPhase >= 0 && startPhase <= 1);
  const int64_t produced = TruncCount(std::fabs(static_cast<long double>(per)) * periods);
  WavePtr result = MakeResult(abort, begin, end, produced);
  if (!result) return nullptr;
  const int16_t* shape = form->wave + beginf;
  const int64_t shapeLength = static_cast<int64_t>(endf) - beginf;
  const long double step = 1.0L / per;
  long double phase = startPhase;
  int16_t* out = result->wave;
  ForEachChunk(abort, begin, begin + produced, [&](int64_t first, int64_t last) {
    for (int64_t i = first; i < last; ++i) {
      out[i] = ToSample(ReadLinear(shape, shapeLength, (shapeLength - 1) * phase));
      phase = WrapPhase(phase + step);
    }
  });
  end = static_cast<int32_t>(begin + produced);
  return result;
}

WavePtr Wave::RollOutSpeed(bool& abort, const Wave* speed, double lengthfactor, double speedFactor,
                           double startpos, int32_t& begin, int32_t& end) const {
  if (speed == nullptr) return nullptr;
  CheckRange(begin, end);
  const int64_t length = static_cast<int64_t>(end) - begin;
  const int64_t produced = TruncCount(static_cast<long double>(length) * lengthfactor);
  if (produced == 0) return Copy(abort);  // also an empty selection
  WavePtr result = MakeResult(abort, begin, end, produced);
  if (!result) return nullptr;
  const int16_t* loop = wave + begin;
  const int16_t* speeds = speed->wave;
  const int64_t speedCount = speed->values;
  const long double speedStep = static_cast<long double>(speedCount - 1) / lengthfactor / length;
  long double readAt = static_cast<long double>(length) * startpos;  // relative to begin
  long double speedAt = 0;
  int16_t* out = result->wave;
  ForEachChunk(abort, begin, begin + produced, [&](int64_t first, int64_t last) {
    for (int64_t i = first; i < last; ++i) {
      const long double s = ReadLinear(speeds, speedCount, speedAt);
      readAt = WrapIntoLoop(readAt + s * speedFactor * (1.0L / 32767), length);
      const int64_t j = static_cast<int64_t>(readAt);
      const long double f = readAt - j;
      const int16_t next = loop[j + 1 == length ? 0 : j + 1];  // the selection is read as a loop
      out[i] = ToSample(f == 0 ? static_cast<long double>(loop[j]) : (1 - f) * loop[j] + f * next);
      speedAt += speedStep;
    }
  });
  end = static_cast<int32_t>(begin + produced);
  return result;
}

WavePtr Wave::RollIn(bool& abort, int32_t length, int32_t target, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  if (begin == end || length <= 0) return Copy(abort);
  KV_ASSERT(target >= 0);
  KV_ASSERT(target < length);
  WavePtr result = MakeResult(abort, begin, end, length);
  if (!result) return nullptr;
  result->Clear(abort, begin, begin + length);
  int16_t* block = result->wave + begin;
  const int16_t* in = wave;
  int32_t offset = target;
  ForEachChunk(abort, begin, end, [&](int64_t first, int64_t last) {
    for (int64_t i = first; i < last; ++i) {
      block[offset] = WrapAdd(block[offset], in[i]);
      if (++offset == length) offset = 0;
    }
  });
  end = begin + length;
  return result;
}

WavePtr Wave::ChangeLength(bool& abort, int32_t length, bool reversed, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  if (begin == end || length <= 0) return Copy(abort);
  const int64_t selected = static_cast<int64_t>(end) - begin;
  const long double step = static_cast<long double>(selected) / length;
  WavePtr result = MakeResult(abort, begin, end, length);
  if (!result) return nullptr;
  const int16_t* in = wave;
  const int64_t count = values;
  const long double move = reversed ? -step : step;
  // Reversed, the first read is the sample at `end`; reads past the wave take its last sample.
  long double position = reversed ? selected : 0;
  int16_t* out = result->wave;
  ForEachChunk(abort, begin, static_cast<int64_t>(begin) + length, [&](int64_t first, int64_t last) {
    for (int64_t i = first; i < last; ++i) {
      out[i] = ToSample(ReadLinear(in, count, begin + position));
      position += move;
    }
  });
  end = begin + length;
  return result;
}

WavePtr Wave::ChangeLengthFactor(bool& abort, double factor, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  if (begin == end) return Copy(abort);
  const int64_t produced = TruncCount((static_cast<int64_t>(end) - begin) * std::fabs(static_cast<long double>(factor)));
  if (produced == 0) {
    // Only the selection goes: the rest of the channel stays.
    WavePtr result = MakeResult(abort, begin, end, 0);
    if (result) end = begin;
    return result;
  }
  if (produced > INT32_MAX) return NewWaveChecked(abort, produced);  // a failed allocation
  return ChangeLength(abort, static_cast<int32_t>(produced), factor < 0, begin, end);
}

WavePtr Wave::ChangeLengthAll(bool& abort, int32_t length, bool reversed) const {
  int32_t begin = 0;
  int32_t end = -1;
  return ChangeLength(abort, length, reversed, begin, end);
}

WavePtr Wave::Resample(bool& abort, double factor) const {
  int32_t begin = 0;
  int32_t end = -1;
  return ChangeLengthFactor(abort, factor, begin, end);
}

WavePtr Wave::PerEchoConst(bool& abort, double echoTime, double volume, int32_t count, int32_t& begin,
                           int32_t& end) const {
  return PeriodEcho<EchoForm::kFixed>(*this, abort, EchoFront(echoTime), EchoBack(echoTime), count, begin, end,
                          [echoTime, volume, gain = 1.0](int32_t k, int64_t) mutable {
                            gain *= volume;  // once more per echo
                            return [delay = static_cast<long double>(k) * echoTime, gain](int64_t) {
                              return Echo(delay, gain);
                            };
                          });
}

WavePtr Wave::PerEchoConstEnv(bool& abort, double echoTime, const Wave* volumeEnv, int32_t count, int32_t& begin,
                              int32_t& end) const {
  if (volumeEnv == nullptr) return nullptr;
  return PeriodEcho<EchoForm::kFixedDelay>(*this, abort, EchoFront(echoTime), EchoBack(echoTime), count, begin, end,
                          [echoTime, volumeEnv](int32_t k, int64_t extended) {
                            return [delay = static_cast<long double>(k) * echoTime, k,
                                    volumes = EnvelopeReader(volumeEnv, extended)](int64_t j) {
                              return Echo(delay, EnvelopeGain(volumes, j, k));
                            };
                          });
}

WavePtr Wave::PerEchoEnvConst(bool& abort, double diffTime, const Wave* timeEnv, double volume, int32_t count,
                              int32_t& begin, int32_t& end) const {
  if (timeEnv == nullptr) return nullptr;
  const int64_t reach = EchoReach(diffTime);
  return PeriodEcho<EchoForm::kVarying>(*this, abort, reach, reach, count, begin, end,
                           [diffTime, timeEnv, volume, gain = 1.0](int32_t k, int64_t extended) mutable {
                             gain *= volume;
                             return [k, diffTime, gain, times = EnvelopeReader(timeEnv, extended)](int64_t j) {
                               return Echo(EnvelopeDelay(times, j, k, diffTime), gain);
                             };
                           });
}

WavePtr Wave::PerEchoEnvEnv(bool& abort, double diffTime, const Wave* timeEnv, const Wave* volumeEnv, int32_t count,
                            int32_t& begin, int32_t& end) const {
  if (timeEnv == nullptr || volumeEnv == nullptr) return nullptr;
  const int64_t reach = EchoReach(diffTime);
  return PeriodEcho<EchoForm::kVarying>(*this, abort, reach, reach, count, begin, end,
                           [diffTime, timeEnv, volumeEnv](int32_t k, int64_t extended) {
                             return [k, diffTime, times = EnvelopeReader(timeEnv, extended),
                                     volumes = EnvelopeReader(volumeEnv, extended)](int64_t j) {
                               return Echo(EnvelopeDelay(times, j, k, diffTime), EnvelopeGain(volumes, j, k));
                             };
                           });
}
