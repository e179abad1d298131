// Stereo balance of one channel: volume, filter and time differences that place a mono sound in a
// direction.
#include <cmath>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/sample_reading.h"
#include "wave/wave.h"

namespace {
using namespace wave_routines;

constexpr const char* kAssertUnit = "wave";

// The largest delay between the ears, as a part of the rate: 1 / 3400 of a second each way.
constexpr double kEarDelay = 0.00029411764705882356;

// A cut-off level q (1 to 1000) as a sample value: the level runs logarithmically over the samples.
int16_t CurvePoint(int32_t rate, int32_t frequency) {
  // The period in whole samples sets the level. A rate below the frequency holds no whole period:
  // the level is then unbounded and the point takes the top of the curve.
  const int32_t period = rate / frequency;
  if (period == 0) return 32767;
  const long double x = static_cast<long double>(rate) / period * 0.05L;
  const long double point = std::log10(x) * 21845 - 32768;
  return static_cast<int16_t>(Clamp(static_cast<double>(point), -32768, 32767));
}

// A low-pass time in samples for a curve value: rate / (20 q).
double CurveTime(int16_t v, int32_t rate) {
  const long double q = std::pow(10.0L, (v + 32768) * 4.5777065690089265e-05L);
  return static_cast<double>(rate / (q * 20.0L));
}

WavePtr MakeCurve(bool& abort, int32_t rate) {
  WavePtr curve = NewWaveChecked(abort, Wave::kFreqCurveSize);
  if (curve) curve->MakeFreqCurve(abort, rate);
  return curve;
}

// The one-pole low pass of the balance (factor 0.4, one stage, one pass) over the whole wave; an
// empty wave, or a rate that gives no time, stays as it is.
WavePtr BalanceLowPass(const Wave& source, bool& abort, double time) {
  if (source.values == 0 || !(time > 0)) return source.Copy(abort);
  return source.LowPass(abort, time, 0.4, 1, 1, 0, source.values);
}

}  // namespace

void Wave::MakeFreqCurve(bool& abort, int32_t rate) {
  KV_ASSERT(values == 150);
  const int16_t points[] = {CurvePoint(rate, 20000), CurvePoint(rate, 3500), CurvePoint(rate, 2500),
                            CurvePoint(rate, 1000), CurvePoint(rate, 350)};
  LineSegment(abort, 0, points[0], 59, points[1]);
  LineSegment(abort, 59, points[1], 75, points[2]);
  LineSegment(abort, 75, points[2], 90, points[3]);
  LineSegment(abort, 90, points[3], 149, points[4]);
  wave[149] = points[4];
}

WavePtr Wave::balFilter(bool& abort, double direction, int32_t rate) const {
  DebugLog("in Wave::balFilter val");
  WavePtr result;
  if (WavePtr curve = MakeCurve(abort, rate)) {
    // Directions beyond -1..1 would read outside the curve.
    const double d = Clamp(direction, -1, 1);
    const int16_t v = ToSample(ReadLinearOrZero(curve->wave, curve->values, 149 * (d * 0.5 + 0.5)));
    result = BalanceLowPass(*this, abort, CurveTime(v, rate));
  }
  DebugLog("uit Wave::balFilter val");
  return result;
}

WavePtr Wave::TimeDiff(bool& abort, double direction, int32_t rate, double volumeFactor) const {
  const double delay = std::sin(direction * kPi * 0.5) * rate * kEarDelay * 2.0;
  // A delayed channel grows at its front; the other is padded behind as much, so both stay equally long.
  const double shift = delay >= 0 ? delay : 0;
  const int64_t length =
      delay >= 0 ? TruncCount(1 + delay + values) : values + TruncCount(std::fabs(delay) + 1);
  WavePtr result = NewWaveChecked(abort, length);
  if (!result) return nullptr;
  const int16_t* in = wave;
  int16_t* out = result->wave;
  const int64_t count = values;
  ForEachChunk(abort, 0, length, [&](int64_t first, int64_t last) {
    for (int64_t j = first; j < last; ++j) out[j] = ToSample(ReadLinearOrZero(in, count, j - shift) * volumeFactor);
  });
  return result;
}

WavePtr Wave::Balance(bool& abort, double direction, int32_t channel, bool diffTime, bool volumeDiff,
                      bool filterDiff, int32_t rate) const {
  const double d = channel == 1 ? -direction : direction;
  const double volumeFactor = volumeDiff ? (1 - d) * 0.5 : 1;
  if (!diffTime) {
    int32_t begin = 0;
    int32_t end = values;
    if (volumeDiff) return Volume(abort, volumeFactor, begin, end);
    if (filterDiff) return balFilter(abort, d, rate);
    return Copy(abort);
  }
  KV_ASSERT(diffTime);
  if (!filterDiff) return TimeDiff(abort, d, rate, volumeFactor);
  WavePtr filtered = balFilter(abort, d, rate);
  if (!filtered) return nullptr;
  return filtered->TimeDiff(abort, d, rate, volumeFactor);
}

WavePtr Wave::BalanceEnvPart(bool& abort, int32_t channel) const {
  const double k = channel == 1 ? 0.5 : -0.5;
  WavePtr result = NewWaveChecked(abort, values);
  if (!result) return nullptr;
  const int16_t* in = wave;
  int16_t* out = result->wave;
  ForEachChunk(abort, 0, values, [&](int64_t first, int64_t last) {
    for (int64_t i = first; i < last; ++i) out[i] = ToSample(in[i] * k + 16383.0);
  });
  return result;
}

WavePtr Wave::BalanceFilterEnv(bool& abort, int32_t channel, int32_t rate) const {
  WavePtr curve = MakeCurve(abort, rate);
  if (!curve) return nullptr;
  int32_t begin = 0;
  int32_t end = values;
  if (channel != 1) return Distort(abort, curve.get(), begin, end);
  // The right channel hears the opposite direction; the full left (-32768) becomes the full
  // right (32767) rather than wrapping round onto itself.
  WavePtr negated = NewWaveChecked(abort, values);
  if (!negated) return nullptr;
  const int16_t* in = wave;
  int16_t* out = negated->wave;
  ForEachChunk(abort, 0, values, [&](int64_t first, int64_t last) {
    for (int64_t i = first; i < last; ++i) out[i] = in[i] == -32768 ? int16_t{32767} : static_cast<int16_t>(-in[i]);
  });
  return negated->Distort(abort, curve.get(), begin, end);
}

WavePtr Wave::BalanceEnvTime(bool& abort, const Wave* envelope, int32_t channel, int32_t rate) const {
  if (envelope == nullptr) return nullptr;
  const double sign = channel == 1 ? -1 : 1;
  const int64_t offset = TruncCount(rate * kEarDelay + 1);
  const int64_t length = values + 2 * offset;
  WavePtr result = NewWaveChecked(abort, length);
  if (!result) return nullptr;
  EnvelopeReader directions(envelope, length);
  const long double swing = rate * kEarDelay * sign / 32767;
  const int16_t* in = wave;
  int16_t* out = result->wave;
  const int64_t count = values;
  ForEachChunk(abort, 0, length, [&](int64_t first, int64_t last) {
    for (int64_t j = first; j < last; ++j) {
      out[j] = ToSample(ReadLinearOrZero(in, count, j - offset - directions.Next() * swing));
    }
  });
  return result;
}

WavePtr Wave::BalanceEnv(bool& abort, const Wave* envelope, int32_t channel, bool diffTime, bool volumeDiff,
                         bool filterDiff, int32_t rate) const {
  if (envelope == nullptr) return nullptr;
  // An empty envelope reads as direction 0 throughout.
  WavePtr centre;
  if (envelope->values == 0) {
    centre = NewWaveChecked(abort, 1);
    if (!centre) return nullptr;
    centre->wave[0] = 0;
    envelope = centre.get();
  }
  WavePtr shaped;
  if (filterDiff) {
    WavePtr frequencies = envelope->BalanceFilterEnv(abort, channel, rate);
    if (!frequencies) return nullptr;
    shaped = values == 0 ? Copy(abort) : LowPassEnv(abort, frequencies.get(), 0.4, 1, 1, rate, 0, values);
  } else if (volumeDiff) {
    WavePtr volumes = envelope->BalanceEnvPart(abort, channel);
    if (!volumes) return nullptr;
    int32_t begin = 0;
    int32_t end = values;
    shaped = VolumeEnv(abort, volumes.get(), begin, end);
  }
  if (!diffTime) return shaped ? std::move(shaped) : Copy(abort);
  if (abort) return nullptr;
  return (shaped ? *shaped : *this).BalanceEnvTime(abort, envelope, channel, rate);
}
