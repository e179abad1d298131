// Tempo and pitch: block-wise resampling with one read head, or two heads cross-faded so that the
// jumps at block ends are not heard.
#include <cmath>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/sample_reading.h"
#include "wave/wave.h"

namespace {
using namespace wave_routines;

constexpr const char* kAssertUnit = "wave";

constexpr long double kEnvelopeScale = 1.0L / 32767;

// What every tempo routine reads: the source, the selection that jumps wrap into, the start point
// and the block size.
struct TempoFrame {
  const int16_t* samples;
  int64_t count;
  double begin;
  double end;
  double start;
  int32_t block;
  int64_t produced;

  double Read(double position) const { return ReadLinearOrZero(samples, count, position); }
  double Wrap(double position) const { return WrapIntoRange(position, begin, end); }
};

TempoFrame MakeFrame(const Wave& source, double startPos, double lengthFactor, int32_t& blockTime, int32_t begin,
                     int32_t end) {
  // A positive block time shorter than one sample still makes blocks of one sample.
  if (blockTime < 1) blockTime = 1;
  KV_ASSERT(blockTime > 0);
  const double selected = end - begin;
  // No length asked for (a length taken from an empty wave) produces nothing.
  const int64_t produced = TruncCount(static_cast<long double>(selected) * lengthFactor);
  return {source.wave, source.values, static_cast<double>(begin), static_cast<double>(end),
          begin + selected * startPos, blockTime, produced};
}

// One head: reads at the pitch, and at each block end jumps to jump(samples produced so far, the
// last pitch step). Produced samples only exist when the selection is not empty, so wrapping into
// it is always possible.
template <class Pitch, class Jump>
auto OneHead(const TempoFrame& f, bool wrapReads, Pitch pitch, Jump jump) {
  return [&f, wrapReads, pitch, jump, position = f.start, counter = int32_t{0}](int16_t* out, int64_t first,
                                                                                 int64_t last) mutable {
    for (int64_t k = first; k < last; ++k) {
      out[k] = ToSample(f.Read(wrapReads ? f.Wrap(position) : position));
      const double step = pitch();
      position += step;
      if (++counter == f.block) {
        counter = 0;
        position = jump(k + 1, step);
      }
    }
  };
}

// Two heads with triangular weights: head A jumps at half blocks and head B at block ends, each
// when its weight is 0. A block of one sample makes both jump after every sample.
template <class Pitch, class Jump>
auto TwoHeads(const TempoFrame& f, bool wrapReads, double headB, Pitch pitch, Jump jump) {
  return [&f, wrapReads, pitch, jump, headA = f.start, headB, i = int32_t{0}](int16_t* out, int64_t first,
                                                                               int64_t last) mutable {
    const int32_t half = f.block / 2;
    for (int64_t k = first; k < last; ++k) {
      const double a = f.Read(wrapReads ? f.Wrap(headA) : headA);
      const double b = f.Read(wrapReads ? f.Wrap(headB) : headB);
      const double w = std::abs(static_cast<double>(i) / f.block * 2 - 1);
      out[k] = ToSample(ToSample(a * w) + b * (1 - w));
      const double step = pitch();
      headA += step;
      headB += step;
      if (++i >= f.block) {
        i = 0;
        headB = jump(k + 1, step);
      }
      if (i == half) headA = jump(k + 1, step);
    }
  };
}

// The block base of the speed-envelope forms: each call moves it by one block (or half a block
// for two heads) at the speed read from the envelope, and moves the envelope position along.
class SpeedBase {
 public:
  SpeedBase(const Wave* speedEnvelop, const TempoFrame& f, double speed, double portion)
      : envelope_(speedEnvelop, f.produced),
        base_(f.start),
        advance_(f.block * portion * speed * kEnvelopeScale),
        step_(f.block * portion * envelope_.Step()) {}
  double Next() {
    base_ += static_cast<double>(envelope_.At(position_) * advance_);
    position_ += step_;
    return base_;
  }

 private:
  EnvelopeReader envelope_;
  double base_;
  long double advance_;
  long double step_;
  long double position_ = 0;
};

// The pitch step per sample, constant or scaled by the frequency envelope over the produced samples.
struct ConstantPitch {
  double pitch;
  double operator()() const { return pitch; }
  double First() const { return pitch; }
};
struct EnvelopePitch {
  double pitch;
  EnvelopeReader* envelope;
  double operator()() const { return static_cast<double>(pitch * envelope->Next() * kEnvelopeScale); }
  double First() const { return static_cast<double>(pitch * envelope->At(0) * kEnvelopeScale); }
};

double Shift(double step, int32_t block) { return (1 - step) * 0.5 * block; }

// The forms with a constant speed: the jump target follows the produced count.
template <class Pitch>
WavePtr ConstantSpeed(const Wave& source, bool& abort, bool twoHeads, double speed, double startPos,
                      double lengthFactor, Pitch pitch, int32_t blockTime, int32_t& begin, int32_t& end) {
  const TempoFrame f = MakeFrame(source, startPos, lengthFactor, blockTime, begin, end);
  if (!twoHeads) {
    auto jump = [&f, speed](int64_t done, double) { return f.Wrap(f.start + done * speed); };
    return ProduceSelection(source, abort, f.produced, begin, end, OneHead(f, false, pitch, jump));
  }
  auto jump = [&f, speed](int64_t done, double step) {
    return f.Wrap(Shift(step, f.block) + done * speed + f.start);
  };
  const double headB = f.start + Shift(pitch.First(), f.block);
  return ProduceSelection(source, abort, f.produced, begin, end, TwoHeads(f, false, headB, pitch, jump));
}

// The forms with a speed envelope: the jump target is a block base moved by the envelope, and
// every read wraps into the selection.
template <class Pitch>
WavePtr EnvelopeSpeed(const Wave& source, bool& abort, bool twoHeads, double speed, const Wave* speedEnvelop,
                      double startPos, double lengthFactor, Pitch pitch, int32_t blockTime, int32_t& begin,
                      int32_t& end) {
  const TempoFrame f = MakeFrame(source, startPos, lengthFactor, blockTime, begin, end);
  SpeedBase base(speedEnvelop, f, speed, twoHeads ? 0.5 : 1.0);
  auto jump = [&base](int64_t, double) { return base.Next(); };
  if (!twoHeads) return ProduceSelection(source, abort, f.produced, begin, end, OneHead(f, true, pitch, jump));
  // The shift only separates the heads at the start.
  const double headB = f.start + Shift(pitch.First(), f.block);
  return ProduceSelection(source, abort, f.produced, begin, end, TwoHeads(f, true, headB, pitch, jump));
}

}  // namespace

WavePtr Wave::TempoPitch(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                         int32_t blockTime, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  KV_ASSERT(speed != 0);
  return ConstantSpeed(*this, abort, false, speed, startPos, lengthFactor, ConstantPitch{pitch}, blockTime, begin,
                       end);
}

WavePtr Wave::TempoPitchAll(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                            int32_t blockTime) const {
  int32_t begin = 0;
  int32_t end = values;
  return TempoPitch(abort, speed, startPos, lengthFactor, pitch, blockTime, begin, end);
}

WavePtr Wave::TempoPitchHQ(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                           int32_t blockTime, int32_t& begin, int32_t& end) const {
  CheckRange(begin, end);
  return ConstantSpeed(*this, abort, true, speed, startPos, lengthFactor, ConstantPitch{pitch}, blockTime, begin,
                       end);
}

WavePtr Wave::TempoPitchHQAll(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                              int32_t blockTime) const {
  int32_t begin = 0;
  int32_t end = values;
  return TempoPitchHQ(abort, speed, startPos, lengthFactor, pitch, blockTime, begin, end);
}

WavePtr Wave::TempoPitchFreqEnv(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                                const Wave* freqWave, int32_t blockTime, int32_t& begin, int32_t& end) const {
  if (freqWave == nullptr) return nullptr;
  CheckRange(begin, end);
  EnvelopeReader envelope(freqWave, MakeFrame(*this, startPos, lengthFactor, blockTime, begin, end).produced);
  return ConstantSpeed(*this, abort, false, speed, startPos, lengthFactor, EnvelopePitch{pitch, &envelope},
                       blockTime, begin, end);
}

WavePtr Wave::TempoPitchHQFreqEnv(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                                  const Wave* freqWave, int32_t blockTime, int32_t& begin, int32_t& end) const {
  if (freqWave == nullptr) return nullptr;
  CheckRange(begin, end);
  EnvelopeReader envelope(freqWave, MakeFrame(*this, startPos, lengthFactor, blockTime, begin, end).produced);
  return ConstantSpeed(*this, abort, true, speed, startPos, lengthFactor, EnvelopePitch{pitch, &envelope},
                       blockTime, begin, end);
}

WavePtr Wave::TempoPitchSpeedEnv(bool& abort, double speed, const Wave* speedEnvelop, double startPos,
                                 double lengthFactor, double pitch, int32_t blockTime, int32_t& begin,
                                 int32_t& end) const {
  if (speedEnvelop == nullptr) return nullptr;
  CheckRange(begin, end);
  return EnvelopeSpeed(*this, abort, false, speed, speedEnvelop, startPos, lengthFactor, ConstantPitch{pitch},
                       blockTime, begin, end);
}

WavePtr Wave::TempoPitchHQSpeedEnv(bool& abort, double speed, const Wave* speedEnvelop, double startPos,
                                   double lengthFactor, double pitch, int32_t blockTime, int32_t& begin,
                                   int32_t& end) const {
  if (speedEnvelop == nullptr) return nullptr;
  CheckRange(begin, end);
  return EnvelopeSpeed(*this, abort, true, speed, speedEnvelop, startPos, lengthFactor, ConstantPitch{pitch},
                       blockTime, begin, end);
}

WavePtr Wave::TempoPitchFreqSpeedEnv(bool& abort, double speed, const Wave* speedEnvelop, double startPos,
                                     double lengthFactor, double pitch, const Wave* freqWave, int32_t blockTime,
                                     int32_t& begin, int32_t& end) const {
  if (speedEnvelop == nullptr || freqWave == nullptr) return nullptr;
  CheckRange(begin, end);
  EnvelopeReader envelope(freqWave, MakeFrame(*this, startPos, lengthFactor, blockTime, begin, end).produced);
  return EnvelopeSpeed(*this, abort, false, speed, speedEnvelop, startPos, lengthFactor,
                       EnvelopePitch{pitch, &envelope}, blockTime, begin, end);
}

WavePtr Wave::TempoPitchHQFreqSpeedEnv(bool& abort, double speed, const Wave* speedEnvelop, double startPos,
                                       double lengthFactor, double pitch, const Wave* freqWave, int32_t blockTime,
                                       int32_t& begin, int32_t& end) const {
  if (speedEnvelop == nullptr || freqWave == nullptr) return nullptr;
  CheckRange(begin, end);
  EnvelopeReader envelope(freqWave, MakeFrame(*this, startPos, lengthFactor, blockTime, begin, end).produced);
  return EnvelopeSpeed(*this, abort, true, speed, speedEnvelop, startPos, lengthFactor,
                       EnvelopePitch{pitch, &envelope}, blockTime, begin, end);
}
