// One channel of signed 16-bit samples, and every sample routine of the engine as its members.
//
// The routine convention: the abort flag comes first and the selection [begin, end) last, with an
// end of -1 meaning the end of the wave. Loops run in chunks of kChunk samples and test the flag
// before each chunk. A routine that makes a new wave returns before + produced + after samples; the
// caller owns it, and the source never changes. A raised flag gives a null (or incomplete) result.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>

class Wave;
using WavePtr = std::unique_ptr<Wave>;

class Wave {
 public:
  static constexpr int32_t kChunk = 1000;

  int16_t* wave = nullptr;  // owned; null for an empty wave
  int32_t values = 0;

  Wave() = default;
  // A buffer of n samples (contents undefined). A failed allocation, a negative count or one beyond
  // what a wave can hold shows the out-of-memory message and raises the flag.
  Wave(bool& abort, int64_t n);
  // Takes over a buffer obtained from AllocSamples.
  Wave(int16_t* buffer, int32_t n);
  Wave(bool& abort, const Wave& other);
  ~Wave();
  Wave(const Wave&) = delete;
  Wave& operator=(const Wave&) = delete;

  // Range helpers: none allocates.
  int32_t MaxValue(bool& abort, int32_t begin, int32_t end) const;
  void CopyFrom(bool& abort, const Wave* from, int32_t begin, int32_t end, int32_t to);
  void Clear(bool& abort, int32_t begin, int32_t end);
  void AddFrom(bool& abort, const Wave* from, int32_t begin, int32_t end, int32_t to);

  void MakeSinusTable();
  void Dump() const;

  // --- Support for the routines -------------------------------------------------------------

  // Replaces an end of -1 by `values` and checks the selection rule by assertion
  // ("begin < end" instead of "begin <= end" when `nonEmpty`).
  void CheckRange(int32_t begin, int32_t& end, bool nonEmpty = false) const;

  // Step 4 of the convention: a result of begin + produced + (values - end) samples holding
  // [0, begin) and [end, values) of this wave around room for the produced samples, which the
  // routine writes from `begin`. Null when the flag is or becomes raised.
  WavePtr MakeResult(bool& abort, int32_t begin, int32_t end, int64_t produced) const;

  // A copy with the same samples: the "unchanged" result of a routine that has nothing to do.
  WavePtr Copy(bool& abort) const;

  // --- Edit and mix routines --------------------------------------------------------------
  // These take the selection by value and report no changed selection; the caller works the new
  // positions out. A null other wave gives a null result (in place: nothing happens); an empty one
  // is silence of length 0.
  WavePtr Trim(bool& abort, int32_t begin, int32_t end) const;
  WavePtr Delete(bool& abort, int32_t begin, int32_t end) const;
  // [0, begin) + the whole other wave + [end, values).
  WavePtr replace(bool& abort, const Wave* other, int32_t begin, int32_t end) const;
  // Adds the other wave (or, when point is not -1, its first or, with fromEnd, last `point`
  // samples) from `to` on; the result grows at the front or back where the other sticks out.
  WavePtr MixAt(bool& abort, const Wave* other, int32_t to, int32_t point, bool fromEnd) const;
  // As MixAt, placed so that the used part ends at `position`.
  WavePtr MixAlignEnd(bool& abort, const Wave* other, int32_t position, int32_t point, bool fromEnd) const;
  // The other wave stretched over the selection and added.
  WavePtr MixStretch(bool& abort, const Wave* other, int32_t begin, int32_t end) const;
  // In place: the other added from `after` on, wrapping to the start of this wave at its end.
  void MixCycleAfterThis(bool& abort, const Wave* other, int32_t after);
  // In place: the other times the factor added from `after` on, until either wave ends.
  void AddAfter(bool& abort, const Wave* other, int32_t after, double factor);
  // In place: the other added from `after` on, until either wave ends.
  void OverlayAfter(bool& abort, const Wave* other, int32_t after);
  // a * this + b * daar over the selection; the rest copied. Both waves have the same length.
  WavePtr MixLeftRight(bool& abort, double a, const Wave* daar, double b, int32_t begin, int32_t end) const;
  WavePtr Average(bool& abort, const Wave* other) const;


  // --- Amplitude and envelope effects -----------------------------------------------------
  // Same-length effects: the result keeps [0, begin) and [end, values), and `end` is not changed.
  // An empty selection gives an unchanged copy.
  WavePtr Up(bool& abort, int16_t value, int32_t& begin, int32_t& end) const;
  // Averages blocks of `blockTime` samples (below 1 taken as 1) and, for levels other than 0,
  // quantises the averages to that many height levels.
  WavePtr Block(bool& abort, double blockTime, int32_t levels, int32_t& begin, int32_t& end) const;
  // Each sample passed through the transfer curve; null for a null curve.
  WavePtr Distort(bool& abort, const Wave* curve, int32_t& begin, int32_t& end) const;
  WavePtr Volume(bool& abort, double factor, int32_t& begin, int32_t& end) const;
  // In place.
  void Scale(bool& abort, double factor, int32_t& begin, int32_t& end);
  // The selection times the envelope stretched over it (32767 keeps a sample); null for a null
  // envelope.
  WavePtr VolumeEnv(bool& abort, const Wave* envelope, int32_t& begin, int32_t& end) const;


  // --- Time and echo effects ----------------------------------------------------------------
  // A selection too short for a routine gives an unchanged copy. A null form, speed or envelope
  // wave gives a null result.
  WavePtr Reverse(bool& abort, int32_t begin, int32_t end) const;
  WavePtr Rotate(bool& abort, int32_t leftShift, int32_t begin, int32_t end) const;
  // trunc(|per| * periods) samples repeating the form's [beginf, endf) periodically, from the phase
  // `startAngle` (0 to 1); a negative period runs the form backwards.
  WavePtr RollOutForm(bool& abort, const Wave* form, double per, double periods, double startAngle, int32_t& begin,
                      int32_t& end, int32_t beginf, int32_t endf) const;
  // trunc(S * lengthfactor) samples read from the selection as a loop, at a speed that follows the
  // speed wave (32767 moves by `speedFactor` samples per sample), from S * startpos on.
  WavePtr RollOutSpeed(bool& abort, const Wave* speed, double lengthfactor, double speedFactor, double startpos,
                       int32_t& begin, int32_t& end) const;
  // The selection folded cyclically into a block of `length` samples from offset `target`.
  WavePtr RollIn(bool& abort, int32_t length, int32_t target, int32_t& begin, int32_t& end) const;
  // The selection resampled to `length` samples by linear interpolation (read backwards when
  // `reversed`).
  WavePtr ChangeLength(bool& abort, int32_t length, bool reversed, int32_t& begin, int32_t& end) const;
  // trunc(S * |factor|) samples, reversed for a negative factor; 0 samples remove the selection.
  WavePtr ChangeLengthFactor(bool& abort, double factor, int32_t& begin, int32_t& end) const;
  WavePtr ChangeLengthAll(bool& abort, int32_t length, bool reversed) const;
  WavePtr Resample(bool& abort, double factor) const;
  // Period echoes: K delayed copies of the selection added in, the wave grown with zeros at the
  // front or back so they fit; begin and end come back naming the extended selection.
  WavePtr PerEchoConst(bool& abort, double echoTime, double volume, int32_t count, int32_t& begin,
                       int32_t& end) const;
  WavePtr PerEchoConstEnv(bool& abort, double echoTime, const Wave* volumeEnv, int32_t count, int32_t& begin,
                          int32_t& end) const;
  WavePtr PerEchoEnvConst(bool& abort, double diffTime, const Wave* timeEnv, double volume, int32_t count,
                          int32_t& begin, int32_t& end) const;
  WavePtr PerEchoEnvEnv(bool& abort, double diffTime, const Wave* timeEnv, const Wave* volumeEnv, int32_t count,
                        int32_t& begin, int32_t& end) const;


  // --- Generators ---------------------------------------------------------------------------
  // Each replaces the selection with its produced samples and sets `end` behind them.

  WavePtr Silence(bool& abort, int32_t length, int32_t& begin, int32_t& end) const;
  // A length of 1 makes the two samples a and b.
  WavePtr Line(bool& abort, int16_t a, int16_t b, int32_t length, int32_t& begin, int32_t& end) const;
  // a and b of the same sign, neither 0; b itself would be the sample after the line.
  WavePtr ExpLine(bool& abort, int16_t a, int16_t b, int32_t length, int32_t& begin, int32_t& end) const;
  // Samples in [-amplitude, amplitude), drawn from the shared random sequence.
  WavePtr Noise(bool& abort, int16_t amplitude, int32_t length, int32_t& begin, int32_t& end) const;
  // a below `middle` of each period, b above it; the triangle runs a -> b -> a.
  WavePtr BlockTriangle(bool& abort, int16_t a, int16_t b, double period, double middle, int32_t length,
                        double startPhase, bool triangle, int32_t& begin, int32_t& end) const;
  // The middle follows the envelope: -32768..32767 maps onto 0..1. Null for a null envelope.
  WavePtr BlockTriangleEnv(bool& abort, int16_t a, int16_t b, double period, const Wave* middleEnvelope,
                           int32_t length, double startPhase, bool triangle, int32_t& begin, int32_t& end) const;
  // Reads the global sine table; `startAngle` in [0, 1) of a period.
  WavePtr Sinus(bool& abort, int16_t maximum, int16_t minimum, double per, double periods, double startAngle,
                int32_t& begin, int32_t& end) const;
  // A sum of `freqCount` oscillators reading `form`; periods in samples, angles in parts of a period,
  // volume factors applied once per sample. Null for a null form.
  WavePtr MultiFreq(bool& abort, int32_t length, const Wave* form, int32_t freqCount, const double* startVolume,
                    const double* period, const double* startAngle, const double* volumeFactor, int32_t& begin,
                    int32_t& end) const;
  WavePtr MultiFreqSinus(bool& abort, int32_t length, int32_t freqCount, const double* startVolume,
                         const double* period, const double* startAngle, const double* volumeFactor,
                         int32_t& begin, int32_t& end) const;
  // In place: a straight line from a at `begin` to b at `end` - 1.
  void LineSegment(bool& abort, int32_t begin, int16_t a, int32_t end, int16_t b);


  // --- Filters --------------------------------------------------------------------------------
  // All but the block filters keep the length and leave the selection as it is.

  // One-pole low and high pass: `countBer` cascaded stages in one coefficient, `countCmd` passes.
  WavePtr LowPass(bool& abort, double time, double factor, int32_t countBer, int32_t countCmd, int32_t begin,
                  int32_t end) const;
  WavePtr HighPass(bool& abort, double time, double factor, int32_t countBer, int32_t countCmd, int32_t begin,
                   int32_t end) const;
  // The time follows an envelope of frequencies from 20 Hz to 20000 Hz at `rate` samples per second.
  WavePtr LowPassEnv(bool& abort, const Wave* timeEnvelope, double factor, int32_t countBer, int32_t countCmd,
                     int32_t rate, int32_t begin, int32_t end) const;
  WavePtr HighPassEnv(bool& abort, const Wave* timeEnvelope, double factor, int32_t countBer, int32_t countCmd,
                      int32_t rate, int32_t begin, int32_t end) const;

  // Damped resonator driven by the signal: the resonant keeps the band around `per`, the notch
  // removes it. `factor` is the width, 0 to 1.
  WavePtr Resonant(bool& abort, double per, double factor, int32_t begin, int32_t end) const;
  WavePtr ResonantFreqEnv(bool& abort, const Wave* periodEnvelope, double factor, int32_t rate, int32_t begin,
                          int32_t end) const;
  WavePtr ResonantWidthEnv(bool& abort, double per, const Wave* widthEnvelope, int32_t begin, int32_t end) const;
  WavePtr ResonantEnv(bool& abort, const Wave* periodEnvelope, const Wave* widthEnvelope, int32_t rate,
                      int32_t begin, int32_t end) const;
  WavePtr Notch(bool& abort, double per, double factor, int32_t begin, int32_t end) const;
  WavePtr NotchFreqEnv(bool& abort, const Wave* periodEnvelope, double factor, int32_t rate, int32_t begin,
                       int32_t end) const;
  WavePtr NotchWidthEnv(bool& abort, double per, const Wave* widthEnvelope, int32_t begin, int32_t end) const;
  WavePtr NotchEnv(bool& abort, const Wave* periodEnvelope, const Wave* widthEnvelope, int32_t rate,
                   int32_t begin, int32_t end) const;

  // Moving average over a block of `blockTime` samples; the selection grows by the filter's tail.
  WavePtr BlockFilter(bool& abort, double blockTime, int32_t& begin, int32_t& end) const;
  // The block time follows the envelope, up to `maxBlockTime`.
  WavePtr BlockFilterEnv(bool& abort, double maxBlockTime, const Wave* envelope, int32_t& begin,
                         int32_t& end) const;

  // The routine tables by which callers pick a filter: one signature serves both filters of a pair.
  using PassFilter = WavePtr (Wave::*)(bool&, double, double, int32_t, int32_t, int32_t, int32_t) const;
  using PassFilterEnv = WavePtr (Wave::*)(bool&, const Wave*, double, int32_t, int32_t, int32_t, int32_t,
                                          int32_t) const;
  using ResonatorConst = WavePtr (Wave::*)(bool&, double, double, int32_t, int32_t) const;
  using ResonatorFreqEnv = WavePtr (Wave::*)(bool&, const Wave*, double, int32_t, int32_t, int32_t) const;
  using ResonatorWidthEnv = WavePtr (Wave::*)(bool&, double, const Wave*, int32_t, int32_t) const;
  using ResonatorEnv = WavePtr (Wave::*)(bool&, const Wave*, const Wave*, int32_t, int32_t, int32_t) const;
  struct PassFilterRoutines {
    PassFilter constant;
    PassFilterEnv envelope;
  };
  struct ResonatorRoutines {
    ResonatorConst constant;
    ResonatorFreqEnv periodEnvelope;
    ResonatorWidthEnv widthEnvelope;
    ResonatorEnv bothEnvelopes;
  };
  // High pass, then low pass.
  static const PassFilterRoutines kPassFilters[2];
  // Resonant, then notch.
  static const ResonatorRoutines kResonatorFilters[2];


  // --- Stereo balance of one channel --------------------------------------------------------
  // Each output channel of the balance effect is made from the whole mono channel, with channel
  // flag 0 for the left and 1 for the right (which hears the direction negated). Directions run
  // from -1 (left) to 1 (right); a direction envelope holds them as e / 32767. `rate` is the
  // sound's samples per second.

  WavePtr Balance(bool& abort, double direction, int32_t channel, bool diffTime, bool volumeDiff, bool filterDiff,
                  int32_t rate) const;
  // Null for a null envelope; an empty one is direction 0.
  WavePtr BalanceEnv(bool& abort, const Wave* envelope, int32_t channel, bool diffTime, bool volumeDiff,
                     bool filterDiff, int32_t rate) const;
  // The low pass whose cut-off the direction sets (20000 Hz at -1 down to 350 Hz at 1).
  WavePtr balFilter(bool& abort, double direction, int32_t rate) const;
  // The channel delayed by up to rate / 1700 samples, or padded behind as much, times the factor.
  WavePtr TimeDiff(bool& abort, double direction, int32_t rate, double volumeFactor) const;
  // This wave is a direction envelope: the volume envelope of the channel.
  WavePtr BalanceEnvPart(bool& abort, int32_t channel) const;
  // This wave is a direction envelope: the frequency envelope of the channel's low pass.
  WavePtr BalanceFilterEnv(bool& abort, int32_t channel, int32_t rate) const;
  // The channel shifted by up to rate / 3400 samples each way as the direction envelope says.
  WavePtr BalanceEnvTime(bool& abort, const Wave* envelope, int32_t channel, int32_t rate) const;
  // In place on a wave of kFreqCurveSize samples: the cut-off level of the low pass by direction.
  static constexpr int32_t kFreqCurveSize = 150;
  void MakeFreqCurve(bool& abort, int32_t rate);


  // --- Tempo and pitch ----------------------------------------------------------------------
  // Block-wise resampling: within a block of `blockTime` samples the source is read at the pitch
  // factor; at block ends the reading jumps to where the speed says the block starts. The HQ forms
  // cross-fade two heads half a block apart. trunc((end - begin) * lengthFactor) samples replace the
  // selection; `startPos` is where reading starts, as a part of the selection. Envelope values scale
  // the pitch (`freqWave`) or the speed (`speedEnvelop`) by e / 32767; null for a null envelope.

  WavePtr TempoPitch(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                     int32_t blockTime, int32_t& begin, int32_t& end) const;
  WavePtr TempoPitchAll(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                        int32_t blockTime) const;
  WavePtr TempoPitchHQ(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                       int32_t blockTime, int32_t& begin, int32_t& end) const;
  WavePtr TempoPitchHQAll(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                          int32_t blockTime) const;
  WavePtr TempoPitchFreqEnv(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                            const Wave* freqWave, int32_t blockTime, int32_t& begin, int32_t& end) const;
  WavePtr TempoPitchHQFreqEnv(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                              const Wave* freqWave, int32_t blockTime, int32_t& begin, int32_t& end) const;
  WavePtr TempoPitchSpeedEnv(bool& abort, double speed, const Wave* speedEnvelop, double startPos,
                             double lengthFactor, double pitch, int32_t blockTime, int32_t& begin,
                             int32_t& end) const;
  WavePtr TempoPitchHQSpeedEnv(bool& abort, double speed, const Wave* speedEnvelop, double startPos,
                               double lengthFactor, double pitch, int32_t blockTime, int32_t& begin,
                               int32_t& end) const;
  WavePtr TempoPitchFreqSpeedEnv(bool& abort, double speed, const Wave* speedEnvelop, double startPos,
                                 double lengthFactor, double pitch, const Wave* freqWave, int32_t blockTime,
                                 int32_t& begin, int32_t& end) const;
  WavePtr TempoPitchHQFreqSpeedEnv(bool& abort, double speed, const Wave* speedEnvelop, double startPos,
                                   double lengthFactor, double pitch, const Wave* freqWave, int32_t blockTime,
                                   int32_t& begin, int32_t& end) const;


};

WavePtr NewWave();
void DeleteWave(Wave* wave);

// Checked constructors of every routine's result: null when the flag was already raised or the
// allocation failed (raising the flag; the out-of-memory message is shown once, by the failure).
WavePtr NewWaveChecked(bool& abort, int64_t n);
WavePtr CopyWaveChecked(bool& abort, const Wave* other);

// The global sine table: one period in 9000 samples, read by the sine and multi-frequency
// generators and the balance effect.
constexpr int32_t kSinusTableSize = 9000;
extern Wave* sinus;
void CreateSinusTable(bool& abort);
void DeleteSinusTable();

// The engine's value of pi, kept as written so that tables and filters give the same samples.
inline constexpr double kPi = 3.1415293;
inline constexpr double kTwoPi = 6.2830586;

// Converts a real result to a sample: truncation toward zero into 32 bits, keeping the low 16
// bits (wrap-around). A NaN or a value outside the 32-bit range gives 0.
// Written as a select rather than a branch so that sample loops over it vectorise.
inline int16_t ToSample(double x) {
  const double inRange = (x > -2147483649.0 && x < 2147483648.0) ? x : 0.0;
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(static_cast<int32_t>(inRange))));
}
inline int16_t ToSample(long double x) {
  const long double inRange = (x > -2147483649.0L && x < 2147483648.0L) ? x : 0.0L;
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(static_cast<int32_t>(inRange))));
}

// 16-bit two's-complement addition with wrap-around.
inline int16_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)));
}

// Runs f(first, last) over [begin, end) in chunks of Wave::kChunk, testing the flag before each.
// Returns false when the flag stopped it.
template <class F>
bool ForEachChunk(bool& abort, int64_t begin, int64_t end, F&& f) {
  for (int64_t first = begin; first < end; first += Wave::kChunk) {
    if (abort) return false;
    const int64_t last = end - first < Wave::kChunk ? end : first + Wave::kChunk;
    f(first, last);
  }
  return !abort;
}

// Lays an envelope of M samples over a block of N samples with linear interpolation: the read
// position starts at 0 and grows by (M - 1) / (N - 1) per sample, so the block's last sample reads
// the envelope's last. An empty (or missing) envelope reads 0 everywhere.
class EnvelopeReader {
 public:
  EnvelopeReader(const Wave* envelope, int64_t blockLength);
  // The value for the next sample of the block.
  long double Next() {
    const long double value = At(position_);
    position_ += step_;
    return value;
  }
  // The value at a read position of the envelope.
  long double At(long double position) const {
    if (count_ <= 0) return 0;
    if (!(position < count_ - 1)) return samples_[count_ - 1];
    if (position < 0) position = 0;
    const int64_t i = static_cast<int64_t>(position);
    const long double f = position - i;
    if (f == 0) return samples_[i];
    return (1 - f) * samples_[i] + f * samples_[i + 1];
  }
  long double Step() const { return step_; }

 private:
  const int16_t* samples_ = nullptr;
  int64_t count_ = 0;
  long double step_ = 0;
  long double position_ = 0;
};
