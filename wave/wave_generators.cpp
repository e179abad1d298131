// Generators: routines that replace the selection of a channel with newly made sound.
#include <cmath>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/random.h"
#include "wave/sample_reading.h"
#include "wave/wave.h"

namespace {
using namespace wave_routines;

constexpr const char* kAssertUnit = "wave";

// The running value of a straight line, accumulated rather than recomputed so that long lines end
// where the program always ended them.
struct LineRun {
  double value;
  double step;
  void Fill(int16_t* out, int64_t first, int64_t last) {
    for (int64_t k = first; k < last; ++k) {
      out[k] = ToSample(value);
      value += step;
    }
  }
};

// The routines with `begin` and `end` as their two values name the selection checks differently.
void CheckLineRange(const Wave& w, int32_t begint, int32_t& endt) {
  const int32_t values = w.values;
  if (endt == -1) endt = values;
  KV_ASSERT(begint >= 0);
  KV_ASSERT(endt >= 0);
  KV_ASSERT(begint <= values);
  KV_ASSERT(endt <= values);
  KV_ASSERT(begint <= endt);
}

int32_t LineLength(int32_t length) {
  if (length == 1) return 2;
  KV_ASSERT(length > 1);
  return length;
}

// Block and triangle share one loop; `middleAt(k)` gives the middle point for produced sample k.
template <class Middle>
WavePtr MakeBlockTriangle(const Wave& source, bool& abort, int16_t a, int16_t b, double period, int32_t length,
                          double startPhase, bool triangle, int32_t begin, int32_t& end, Middle&& middleAt) {
  KV_ASSERT(period > 0);
  // A positive time shorter than one sample still makes one sample.
  if (length < 1) length = 1;
  const double step = 1.0 / period;
  double phase = startPhase;
  return ProduceSelection(source, abort, length, begin, end, [&](int16_t* out, int64_t first, int64_t last) {
    for (int64_t k = first; k < last; ++k) {
      const double middle = middleAt(k);
      if (!triangle) {
        out[k] = phase < middle ? a : b;
      } else if (phase < middle) {
        const double slope = middle == 0 ? 0 : (b - a) / middle;
        out[k] = ToSample(a + slope * phase);
      } else {
        const double slope = middle == 1 ? 0 : (a - b) / (1 - middle);
        out[k] = ToSample(a + slope * (phase - 1));
      }
      phase = WrapIntoRange(phase + step, 0, 1);
    }
  });
}

}  // namespace

WavePtr Wave::Silence(bool& abort, int32_t length, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  KV_ASSERT(length >= 0);
  return ProduceSelection(*this, abort, length, begin, end, [](int16_t* out, int64_t first, int64_t last) {
    for (int64_t k = first; k < last; ++k) out[k] = 0;
  });
}

WavePtr Wave::Line(bool& abort, int16_t a, int16_t b, int32_t length, int32_t& begin, int32_t& end) const {
  CheckLineRange(*this, begin, end);
  const int32_t n = LineLength(length);
  LineRun run{static_cast<double>(a), static_cast<double>(b - a) / (n - 1)};
  return ProduceSelection(*this, abort, n, begin, end,
                          [&](int16_t* out, int64_t first, int64_t last) { run.Fill(out, first, last); });
}

WavePtr Wave::ExpLine(bool& abort, int16_t a, int16_t b, int32_t length, int32_t& begin, int32_t& end) const {
  CheckLineRange(*this, begin, end);
  {
    // Inside this check `begin` and `end` name the two values, as the trap reports them.
    const int16_t begin = a;
    const int16_t end = b;
    KV_ASSERT(double(begin) * end > 0);
  }
  const int32_t n = LineLength(length);
  const double factor = std::pow(static_cast<double>(b) / a, 1.0 / n);
  double value = a;
  return ProduceSelection(*this, abort, n, begin, end, [&](int16_t* out, int64_t first, int64_t last) {
    for (int64_t k = first; k < last; ++k) {
      out[k] = ToSample(value);
      value *= factor;
    }
  });
}

WavePtr Wave::Noise(bool& abort, int16_t amplitude, int32_t length, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  if (length < 0) length = 0;
  const double scale = amplitude * 6.1035156e-5;
  return ProduceSelection(*this, abort, length, begin, end, [&](int16_t* out, int64_t first, int64_t last) {
    for (int64_t k = first; k < last; ++k) out[k] = ToSample((RandomNext() - 16384) * scale);
  });
}

WavePtr Wave::BlockTriangle(bool& abort, int16_t a, int16_t b, double period, double middle, int32_t length,
                            double startPhase, bool triangle, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  KV_ASSERT(middle <= 1);
  KV_ASSERT(middle >= 0);
  return MakeBlockTriangle(*this, abort, a, b, period, length, startPhase, triangle, begin, end,
                           [middle](int64_t) { return middle; });
}

WavePtr Wave::BlockTriangleEnv(bool& abort, int16_t a, int16_t b, double period, const Wave* middleEnvelope,
                               int32_t length, double startPhase, bool triangle, int32_t& begin,
                               int32_t& end) const {
  if (middleEnvelope == nullptr) return nullptr;
  CheckRange(begin, end);
  EnvelopeReader envelope(middleEnvelope, length < 1 ? 1 : length);
  return MakeBlockTriangle(*this, abort, a, b, period, length, startPhase, triangle, begin, end,
                           [&envelope](int64_t) {
                             return static_cast<double>(envelope.Next() * (1.0L / 65535) + 0.5L);
                           });
}

WavePtr Wave::Sinus(bool& abort, int16_t maximum, int16_t minimum, double per, double periods, double startAngle,
                    int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  KV_ASSERT(sinus != NULL);
  KV_ASSERT(per > 0);
  KV_ASSERT(startAngle >= 0);
  KV_ASSERT(startAngle < 1);
  int64_t n = TruncCount(static_cast<long double>(periods) * per);
  if (n < 1) n = 1;
  const int16_t* table = sinus->wave;
  const int64_t tableSize = sinus->values;
  const double step = 1.0 / per;
  const double scale = (maximum - minimum) / 65535.0;
  const int32_t centre = (maximum + minimum) / 2;
  double phase = startAngle;
  return ProduceSelection(*this, abort, n, begin, end, [&](int16_t* out, int64_t first, int64_t last) {
    for (int64_t k = first; k < last; ++k) {
      const double v = ReadLinearOrZero(table, tableSize, (tableSize - 1) * phase);
      out[k] = ToSample(v * scale + centre);
      phase += step;
      if (phase >= 1) phase -= std::floor(phase);
    }
  });
}

WavePtr Wave::MultiFreq(bool& abort, int32_t length, const Wave* form, int32_t freqCount,
                        const double* startVolume, const double* period, const double* startAngle,
                        const double* volumeFactor, int32_t& begin, int32_t& end) const {
  if (form == nullptr) return nullptr;
  CheckRange(begin, end);
  KV_ASSERT(length >= 0);
  // An empty oscillator list makes silence.
  if (freqCount < 0) freqCount = 0;
  const int16_t* shape = form->wave;
  const int64_t shapeLength = form->values;
  struct Oscillator {
    double position, step, volume, factor;
  };
  std::vector<Oscillator> oscillators(static_cast<size_t>(freqCount));
  for (int32_t j = 0; j < freqCount; ++j) {
    // A period of 0 has no frequency to run at: the oscillator stands at its start angle.
    const double step = period[j] != 0 ? shapeLength / period[j] : 0;
    oscillators[j] = {shapeLength * startAngle[j], step, startVolume[j], volumeFactor[j]};
  }
  return ProduceSelection(*this, abort, length, begin, end, [&](int16_t* out, int64_t first, int64_t last) {
    for (int64_t k = first; k < last; ++k) {
      int16_t sample = 0;
      for (Oscillator& o : oscillators) {
        double v = 0;
        if (shapeLength == 1) {
          // A one-sample form has no range to wrap into: it reads its one sample throughout.
          v = shape[0];
        } else if (shapeLength > 1) {
          v = ReadLinearOrZero(shape, shapeLength, o.position);
          o.position = WrapIntoRange(o.position + o.step, 0, static_cast<double>(shapeLength - 1));
        }
        sample = ToSample(v * o.volume + sample);
        o.volume *= o.factor;
      }
      out[k] = sample;
    }
  });
}

WavePtr Wave::MultiFreqSinus(bool& abort, int32_t length, int32_t freqCount, const double* startVolume,
                             const double* period, const double* startAngle, const double* volumeFactor,
                             int32_t& begin, int32_t& end) const {
  KV_ASSERT(sinus != NULL);
  return MultiFreq(abort, length, sinus, freqCount, startVolume, period, startAngle, volumeFactor, begin, end);
}

void Wave::LineSegment(bool& abort, int32_t begin, int16_t a, int32_t end, int16_t b) {
  KV_ASSERT(begin >= 0);
  KV_ASSERT(end > begin);
  KV_ASSERT(end <= values);
  if (abort) return;
  if (end == begin + 1) {
    wave[begin] = ToSample((a + b) * 0.5);
    return;
  }
  LineRun run{static_cast<double>(a), static_cast<double>(b - a) / (end - begin - 1)};
  ForEachChunk(abort, begin, end, [&](int64_t first, int64_t last) { run.Fill(wave, first, last); });
}
