// Filters: one-pole low and high pass, the resonator behind the resonant and notch filters, and
// the moving-average block filters.
#include "wave/filter.h"

#include <cmath>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/sample_reading.h"

namespace {
using namespace wave_routines;

constexpr const char* kAssertUnit = "filter";

// Runs `countCmd` passes of the one-pole stage over the selection: the first reads the source,
// each later one the result of the pass before. `makeCoefficients()` gives, per pass, a source of
// the stage coefficient for each sample in turn.
template <bool kHigh, class MakeCoefficients>
WavePtr RunOnePole(const Wave& source, bool& abort, int32_t countCmd, int32_t begin, int32_t end,
                   MakeCoefficients&& makeCoefficients) {
  const int64_t count = end - begin;
  WavePtr result = source.MakeResult(abort, begin, end, count);
  if (!result) return nullptr;
  int16_t* out = result->wave + begin;
  for (int32_t pass = 0; pass < countCmd; ++pass) {
    const int16_t* in = pass == 0 ? source.wave + begin : out;
    auto coefficient = makeCoefficients();
    double y = 0;
    const bool complete = ForEachChunk(abort, 0, count, [&](int64_t first, int64_t last) {
      for (int64_t k = first; k < last; ++k) {
        const double a = coefficient();
        const double x = in[k];
        y = (1 - a) * x + a * y;
        out[k] = kHigh ? ToSample(x - y) : ToSample(y);
      }
    });
    if (!complete) break;
  }
  return result;
}

void CheckOnePole(double factor, int32_t countBer, int32_t countCmd) {
  KV_ASSERT(factor > 0);
  KV_ASSERT(factor < 1);
  KV_ASSERT(countBer > 0);
  KV_ASSERT(countCmd > 0);
}

template <bool kHigh>
WavePtr OnePoleConstant(const Wave& source, bool& abort, double time, double factor, int32_t countBer,
                        int32_t countCmd, int32_t begin, int32_t end) {
  const double a = OnePoleCoefficient(std::pow(factor, 1.0 / countBer), time);
  return RunOnePole<kHigh>(source, abort, countCmd, begin, end, [a] { return [a] { return a; }; });
}

template <bool kHigh>
WavePtr OnePoleEnvelope(const Wave& source, bool& abort, const Wave* timeEnvelope, double factor, int32_t countBer,
                        int32_t countCmd, int32_t rate, int32_t begin, int32_t end) {
  const double q = std::pow(factor, 1.0 / countBer);
  const int64_t count = end - begin;
  return RunOnePole<kHigh>(source, abort, countCmd, begin, end, [&] {
    // The envelope is read afresh for every pass; the coefficient is worked out only when the
    // envelope's sample value changes.
    return [q, rate, envelope = EnvelopeReader(timeEnvelope, count), last = int32_t{-1}, a = 0.0]() mutable {
      const int16_t v = ToSample(envelope.Next());
      if (v != last) {
        last = v;
        a = OnePoleCoefficient(q, EnvelopePeriod(v, rate));
      }
      return a;
    };
  });
}

// The settings of a resonator for each sample: constant, or read from a period envelope and/or a
// width envelope. The resonator is retuned only when an envelope's sample value changes.
struct ResonatorSettings {
  const Wave* periodEnvelope = nullptr;
  const Wave* widthEnvelope = nullptr;
  double per = 1;
  double factor = 0;
  int32_t rate = 0;
};

template <bool kNotch>
WavePtr RunResonator(const Wave& source, bool& abort, int32_t begin, int32_t end, Resonator resonator,
                     const ResonatorSettings& settings) {
  const int64_t count = end - begin;
  WavePtr result = source.MakeResult(abort, begin, end, count);
  if (!result) return nullptr;
  EnvelopeReader periods(settings.periodEnvelope, count);
  EnvelopeReader widths(settings.widthEnvelope, count);
  const bool enveloped = settings.periodEnvelope != nullptr || settings.widthEnvelope != nullptr;
  if (!enveloped) resonator.Tune(settings.per, settings.factor);
  int64_t lastKey = -1;
  const int16_t* in = source.wave + begin;
  int16_t* out = result->wave + begin;
  ForEachChunk(abort, 0, count, [&](int64_t first, int64_t last) {
    for (int64_t k = first; k < last; ++k) {
      if (enveloped) {
        const int16_t period = settings.periodEnvelope ? ToSample(periods.Next()) : 0;
        const int16_t width = settings.widthEnvelope ? ToSample(widths.Next()) : 0;
        const int64_t key = (int64_t{period} + 32768) | ((int64_t{width} + 32768) << 16);
        if (key != lastKey) {
          lastKey = key;
          resonator.Tune(settings.periodEnvelope ? EnvelopePeriod(period, settings.rate) : settings.per,
                         settings.widthEnvelope ? EnvelopeWidth(width) : settings.factor);
        }
      }
      const double x = in[k];
      const double y = resonator.Next(x);
      out[k] = kNotch ? ToSample(x - y) : ToSample(y);
    }
  });
  return result;
}

Resonator Standard() { return Resonator(Resonator::kSubSteps, Resonator::kSpring); }
Resonator Fine() { return Resonator(Resonator::kFineSubSteps, Resonator::kFineSpring); }

template <bool kNotch>
WavePtr RunConstant(const Wave& source, bool& abort, double per, double factor, int32_t begin, int32_t end) {
  source.CheckRange(begin, end, true);
  if (!(per >= 1)) per = 1;
  KV_ASSERT(per >= 1 && factor >= 0 && factor <= 1);
  return RunResonator<kNotch>(source, abort, begin, end, Standard(), {nullptr, nullptr, per, factor, 0});
}

// Only the resonant form runs the finer resonator; the notch keeps the standard one.
template <bool kNotch>
WavePtr RunPeriodEnvelope(const Wave& source, bool& abort, const Wave* periodEnvelope, double factor, int32_t rate,
                         int32_t begin, int32_t end) {
  if (periodEnvelope == nullptr) return nullptr;
  source.CheckRange(begin, end, true);
  KV_ASSERT(factor >= 0 && factor <= 1);
  return RunResonator<kNotch>(source, abort, begin, end, kNotch ? Standard() : Fine(),
                              {periodEnvelope, nullptr, 1, factor, rate});
}

template <bool kNotch>
WavePtr RunWidthEnvelope(const Wave& source, bool& abort, double per, const Wave* widthEnvelope, int32_t begin,
                          int32_t end) {
  if (widthEnvelope == nullptr) return nullptr;
  source.CheckRange(begin, end, true);
  if (!(per >= 1)) per = 1;
  KV_ASSERT(per >= 1);
  return RunResonator<kNotch>(source, abort, begin, end, Standard(), {nullptr, widthEnvelope, per, 0, 0});
}

template <bool kNotch>
WavePtr RunBothEnvelopes(const Wave& source, bool& abort, const Wave* periodEnvelope, const Wave* widthEnvelope,
                     int32_t rate, int32_t begin, int32_t end) {
  if (periodEnvelope == nullptr || widthEnvelope == nullptr) return nullptr;
  source.CheckRange(begin, end, true);
  return RunResonator<kNotch>(source, abort, begin, end, Standard(), {periodEnvelope, widthEnvelope, 1, 0, rate});
}

}  // namespace

const Wave::PassFilterRoutines Wave::kPassFilters[2] = {
    {&Wave::HighPass, &Wave::HighPassEnv},
    {&Wave::LowPass, &Wave::LowPassEnv},
};

const Wave::ResonatorRoutines Wave::kResonatorFilters[2] = {
    {&Wave::Resonant, &Wave::ResonantFreqEnv, &Wave::ResonantWidthEnv, &Wave::ResonantEnv},
    {&Wave::Notch, &Wave::NotchFreqEnv, &Wave::NotchWidthEnv, &Wave::NotchEnv},
};

WavePtr Wave::LowPass(bool& abort, double time, double factor, int32_t countBer, int32_t countCmd, int32_t begin,
                      int32_t end) const {
  CheckRange(begin, end, true);
  KV_ASSERT(time > 0);
  CheckOnePole(factor, countBer, countCmd);
  return OnePoleConstant<false>(*this, abort, time, factor, countBer, countCmd, begin, end);
}

WavePtr Wave::HighPass(bool& abort, double time, double factor, int32_t countBer, int32_t countCmd, int32_t begin,
                       int32_t end) const {
  CheckRange(begin, end, true);
  KV_ASSERT(time > 0);
  KV_ASSERT(factor > 0 && factor < 1);
  CheckOnePole(factor, countBer, countCmd);
  return OnePoleConstant<true>(*this, abort, time, factor, countBer, countCmd, begin, end);
}

WavePtr Wave::LowPassEnv(bool& abort, const Wave* timeEnvelope, double factor, int32_t countBer, int32_t countCmd,
                         int32_t rate, int32_t begin, int32_t end) const {
  if (timeEnvelope == nullptr) return nullptr;
  CheckRange(begin, end, true);
  CheckOnePole(factor, countBer, countCmd);
  return OnePoleEnvelope<false>(*this, abort, timeEnvelope, factor, countBer, countCmd, rate, begin, end);
}

WavePtr Wave::HighPassEnv(bool& abort, const Wave* timeEnvelope, double factor, int32_t countBer, int32_t countCmd,
                          int32_t rate, int32_t begin, int32_t end) const {
  if (timeEnvelope == nullptr) return nullptr;
  CheckRange(begin, end, true);
  KV_ASSERT(factor > 0 && factor < 1);
  CheckOnePole(factor, countBer, countCmd);
  return OnePoleEnvelope<true>(*this, abort, timeEnvelope, factor, countBer, countCmd, rate, begin, end);
}

WavePtr Wave::Resonant(bool& abort, double per, double factor, int32_t begin, int32_t end) const {
  return RunConstant<false>(*this, abort, per, factor, begin, end);
}
WavePtr Wave::ResonantFreqEnv(bool& abort, const Wave* periodEnvelope, double factor, int32_t rate, int32_t begin,
                              int32_t end) const {
  return RunPeriodEnvelope<false>(*this, abort, periodEnvelope, factor, rate, begin, end);
}
WavePtr Wave::ResonantWidthEnv(bool& abort, double per, const Wave* widthEnvelope, int32_t begin,
                               int32_t end) const {
  return RunWidthEnvelope<false>(*this, abort, per, widthEnvelope, begin, end);
}
WavePtr Wave::ResonantEnv(bool& abort, const Wave* periodEnvelope, const Wave* widthEnvelope, int32_t rate,
                          int32_t begin, int32_t end) const {
  return RunBothEnvelopes<false>(*this, abort, periodEnvelope, widthEnvelope, rate, begin, end);
}
WavePtr Wave::Notch(bool& abort, double per, double factor, int32_t begin, int32_t end) const {
  return RunConstant<true>(*this, abort, per, factor, begin, end);
}
WavePtr Wave::NotchFreqEnv(bool& abort, const Wave* periodEnvelope, double factor, int32_t rate, int32_t begin,
                           int32_t end) const {
  return RunPeriodEnvelope<true>(*this, abort, periodEnvelope, factor, rate, begin, end);
}
WavePtr Wave::NotchWidthEnv(bool& abort, double per, const Wave* widthEnvelope, int32_t begin, int32_t end) const {
  return RunWidthEnvelope<true>(*this, abort, per, widthEnvelope, begin, end);
}
WavePtr Wave::NotchEnv(bool& abort, const Wave* periodEnvelope, const Wave* widthEnvelope, int32_t rate,
                       int32_t begin, int32_t end) const {
  return RunBothEnvelopes<true>(*this, abort, periodEnvelope, widthEnvelope, rate, begin, end);
}

WavePtr Wave::BlockFilter(bool& abort, double blockTime, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  // A block of no length averages nothing: the selection passes unchanged.
  if (blockTime == 0 || std::isnan(blockTime)) return Copy(abort);
  const int64_t tail = TruncCount(std::fabs(blockTime)) + 1;
  const int16_t* selection = wave + begin;
  const int64_t count = end - begin;
  const double inverse = 1.0 / blockTime;
  double trailing = blockTime > 0 ? -static_cast<double>(tail) : 0;
  double sum = 0;
  return ProduceSelection(*this, abort, count + tail, begin, end, [&](int16_t* out, int64_t first, int64_t last) {
    for (int64_t k = first; k < last; ++k) {
      sum += ReadLinearOrZero(selection, count, trailing + blockTime) * inverse;
      sum -= ReadLinearOrZero(selection, count, trailing) * inverse;
      out[k] = ToSample(sum * 0.5);
      trailing += 1;
    }
  });
}

WavePtr Wave::BlockFilterEnv(bool& abort, double maxBlockTime, const Wave* envelope, int32_t& begin,
                             int32_t& end) const {
  if (envelope == nullptr) return nullptr;
  CheckRange(begin, end);
  if (std::isnan(maxBlockTime)) maxBlockTime = 0;
  // A negative largest time (the field allows one) reaches as far as its magnitude; its sign only
  // turns the blocks round, as a negative envelope value does.
  // The trailing position starts half the tail before the selection, behind the leading one, so
  // that every selected sample enters the block and leaves it again within the output, and the
  // audio around the selection is read as 0 rather than a second time.
  const int64_t halfTail = TruncCount(std::fabs(static_cast<long double>(maxBlockTime)) + 1.0L);
  const int16_t* selection = wave + begin;
  const int64_t count = end - begin;
  EnvelopeReader blockTimes(envelope, count);
  long double trailing = -static_cast<long double>(halfTail);
  long double sum = 0;
  return ProduceSelection(*this, abort, count + 2 * halfTail, begin, end,
                          [&](int16_t* out, int64_t first, int64_t last) {
                            for (int64_t k = first; k < last; ++k) {
                              const long double t = blockTimes.Next() * maxBlockTime * (1.0L / 32767);
                              if (t >= -1 && t <= 1) {
                                sum = ReadLinearOrZero(selection, count, trailing);
                              } else {
                                sum += ReadLinearOrZero(selection, count, trailing + t) * (1 / t);
                                sum -= ReadLinearOrZero(selection, count, trailing) * (1 / t);
                              }
                              out[k] = ToSample(sum * 0.5L);
                              trailing += 1;
                            }
                          });
}
