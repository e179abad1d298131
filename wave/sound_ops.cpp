// The editing operations of a sound: seconds become samples at the sound's own rate, other sounds
// are fetched in the form each routine reads, and one channel loop runs the routine on every
// channel, so mono and stereo share each operation.
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/sound.h"
#include "wave/wave.h"

namespace {
constexpr const char* kAssertUnit = "sound";

constexpr int kLeft = 0;
constexpr int kRight = 1;

bool IsStereo(const Sound& sound) { return sound.MoSt == 2; }

// The channel on one side; a mono sound answers its one channel for both.
const Wave* ChannelOn(const Sound& sound, int side) {
  return side == kLeft ? sound.GetLeftWave() : sound.GetRightWave();
}

// The result of an operation from its new channels: nothing when it was aborted or a channel is
// missing, so that a half-made sound can never pass for a whole one.
SoundPtr NewSoundFrom(const Sound& model, bool abort, WavePtr left, WavePtr right) {
  if (abort || !left) return nullptr;
  if (!IsStereo(model)) return std::make_unique<MonoSound>(std::move(left), model.Freq, model.BytesPerSample);
  if (!right) return nullptr;
  return std::make_unique<StereoSound>(std::move(left), std::move(right), model.Freq, model.BytesPerSample);
}

// The one channel loop of the operations that make a new sound: routine(channel, side, begin, end)
// makes each new channel. The right channel works on its own copies of the selection; both must
// leave it alike unless the operation was aborted, and the caller receives the left's.
template <class Routine>
SoundPtr EachChannel(const Sound& sound, bool& abort, int32_t& begin, int32_t& end, Routine&& routine) {
  int32_t begin2 = begin;
  int32_t end2 = end;
  const Wave* left = ChannelOn(sound, kLeft);
  WavePtr newLeft = left ? routine(*left, kLeft, begin, end) : nullptr;
  if (!IsStereo(sound) || !newLeft) return NewSoundFrom(sound, abort, std::move(newLeft), nullptr);
  const Wave* right = ChannelOn(sound, kRight);
  WavePtr newRight = right ? routine(*right, kRight, begin2, end2) : nullptr;
  if (!abort) {
    KV_ASSERT(begin == begin2);
    KV_ASSERT(end == end2);
  }
  return NewSoundFrom(sound, abort, std::move(newLeft), std::move(newRight));
}

// The loop of the in-place operations: routine(channel, side) on every channel of the sound.
template <class Routine>
void EachChannelInPlace(Sound& sound, Routine&& routine) {
  const int count = IsStereo(sound) ? 2 : 1;
  for (int side = kLeft; side < count; ++side) {
    Wave* channel = side == kLeft ? sound.GetLeftWave() : sound.GetRightWave();
    if (channel) routine(*channel, side);
  }
}

// Another sound read by relative position (an envelope, curve, form or speed), not resampled: a
// mono sound reads the other's mono wave, a stereo sound the other's channel on the same side.
ChannelHold ReadAsIs(bool& abort, const Sound& self, const Sound* other, int side) {
  KV_ASSERT(other != NULL);
  bool copied = false;
  Wave* channel = IsStereo(self) ? (side == kLeft ? other->GetLeftWave() : other->GetRightWave())
                                 : other->GetMonoWave(abort, copied);
  return ChannelHold(channel, copied);
}

// Another sound whose samples are mixed in, taken at this sound's rate.
ChannelHold ReadAtRate(bool& abort, const Sound& self, const Sound* other, int side) {
  KV_ASSERT(other != NULL);
  bool copied = false;
  Wave* channel = !IsStereo(self)    ? other->GetMonoWaveAt(abort, self.Freq, copied)
                  : side == kLeft    ? other->GetLeftWaveAt(abort, self.Freq, copied)
                                     : other->GetRightWaveAt(abort, self.Freq, copied);
  return ChannelHold(channel, copied);
}

// trunc(x) as a count of samples for one channel: a NaN or a value below 0 is none; one beyond what
// a channel can hold is a failed allocation (message shown, flag raised) and gives false.
bool SampleCount(bool& abort, double x, int32_t& count) {
  count = 0;
  if (!(x >= 1)) return !abort;
  if (x >= 2147483648.0) {
    NewWaveChecked(abort, int64_t{std::numeric_limits<int32_t>::max()} + 1);
    return false;
  }
  count = static_cast<int32_t>(x);
  return !abort;
}

// trunc(x) for a signed distance in samples, kept within +-2^62 (a NaN gives 0).
int64_t SampleDistance(double x) {
  constexpr double kLimit = 4611686018427387904.0;
  if (x != x) return 0;
  if (x >= kLimit) return static_cast<int64_t>(kLimit);
  if (x <= -kLimit) return -static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(x);
}

// `value` brought into [0, length) by whole turns; length > 0.
int32_t WrapInto(int64_t value, int64_t length) {
  int64_t wrapped = value % length;
  if (wrapped < 0) wrapped += length;
  return static_cast<int32_t>(wrapped);
}

// The empty selection of a filter (a selection that is all of an empty sound) has nothing to
// filter: the channel stays as it is instead of tripping the filters' "begin < end".
template <class Run>
WavePtr FilterSelection(bool& abort, const Wave& channel, int32_t begin, int32_t end, Run&& run) {
  if (end == -1) end = channel.values;
  if (begin == end) return channel.Copy(abort);
  return run(begin, end);
}

constexpr double kFullScale = 32767;
constexpr double kSeventyPercent = 22936.9;

}  // namespace

// --- Generators -----------------------------------------------------------------------------------

SoundPtr Sound::Up(bool& abort, int16_t value, int32_t begin, int32_t end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Up(abort, value, b, e);
  });
}

SoundPtr Sound::Block(bool& abort, double step, int32_t levels, int32_t begin, int32_t end) const {
  const double blockTime = Freq * step;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Block(abort, blockTime, levels, b, e);
  });
}

SoundPtr Sound::Silence(bool& abort, double length, int32_t& begin, int32_t& end) const {
  int32_t n = 0;
  if (!SampleCount(abort, Freq * length + 1, n)) return nullptr;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Silence(abort, n, b, e);
  });
}

SoundPtr Sound::NewSilence(bool& abort, double count) const {
  int32_t n = 0;
  if (!SampleCount(abort, count, n)) return nullptr;
  int32_t begin = 0;
  int32_t end = -1;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Silence(abort, n, b, e);
  });
}

SoundPtr Sound::Line(bool& abort, int16_t a, int16_t b, double length, bool exponential, int32_t& begin,
                     int32_t& end) const {
  int32_t n = 0;
  if (!SampleCount(abort, Freq * length + 1, n)) return nullptr;
  if (n < 1) n = 1;  // a line always has its two ends
  // An exponential line cannot reach or cross 0; between levels of opposite sign, or from or to 0,
  // the line is drawn straight instead of tripping the routine's check.
  const bool curved = exponential && static_cast<int32_t>(a) * b > 0;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& first, int32_t& last) {
    return curved ? c.ExpLine(abort, a, b, n, first, last) : c.Line(abort, a, b, n, first, last);
  });
}

SoundPtr Sound::BlockTriangle(bool& abort, int16_t level1, int16_t level2, double period, double middle,
                              double length, double startPhase, bool triangle, int32_t& begin, int32_t& end) const {
  int32_t n = 0;
  if (!SampleCount(abort, Freq * length, n)) return nullptr;
  const double per = Freq * period;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.BlockTriangle(abort, level2, level1, per, middle, n, startPhase, triangle, b, e);
  });
}

SoundPtr Sound::BlockTriangleEnv(bool& abort, int16_t level1, int16_t level2, double period, const Sound* middle,
                                 double length, double startPhase, bool triangle, int32_t& begin,
                                 int32_t& end) const {
  int32_t n = 0;
  if (!SampleCount(abort, Freq * length, n)) return nullptr;
  const double per = Freq * period;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold envelope = ReadAsIs(abort, *this, middle, side);
    return c.BlockTriangleEnv(abort, level2, level1, per, envelope.get(), n, startPhase, triangle, b, e);
  });
}

SoundPtr Sound::Sinus(bool& abort, int16_t maximum, int16_t minimum, double period, double periods,
                      double startAngle, int32_t& begin, int32_t& end) const {
  const double per = Freq * period;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Sinus(abort, maximum, minimum, per, periods, startAngle, b, e);
  });
}

SoundPtr Sound::Noise(bool& abort, int16_t amplitude, double length, int32_t& begin, int32_t& end) const {
  int32_t n = 0;
  if (!SampleCount(abort, Freq * length, n)) return nullptr;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Noise(abort, amplitude, n, b, e);
  });
}

namespace {
// The oscillators of the multi-frequency generator in samples: periods at the rate, and the volume
// factor per sample that multiplies a volume by `volumeFactors[k]` every `factorTimes[k]` seconds.
struct OscillatorsInSamples {
  std::vector<double> periods;
  std::vector<double> perSampleFactors;

  OscillatorsInSamples(int32_t freq, int32_t n, const double* periodTimes, const double* factorTimes,
                       const double* volumeFactors)
      : periods(static_cast<size_t>(n)), perSampleFactors(static_cast<size_t>(n)) {
    for (int32_t k = 0; k < n; ++k) {
      periods[k] = freq * periodTimes[k];
      perSampleFactors[k] = std::pow(volumeFactors[k], 1 / (freq * factorTimes[k]));
    }
  }
};
}  // namespace

SoundPtr Sound::MultiFreqSinus(bool& abort, double length, int32_t n, const double* startVolumes,
                               const double* periods, const double* factorTimes, const double* volumeFactors,
                               const double* startAngles, int32_t& begin, int32_t& end) const {
  int32_t count = 0;
  if (!SampleCount(abort, Freq * length, count)) return nullptr;
  if (n < 0) n = 0;
  const OscillatorsInSamples oscillators(Freq, n, periods, factorTimes, volumeFactors);
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.MultiFreqSinus(abort, count, n, startVolumes, oscillators.periods.data(), startAngles,
                            oscillators.perSampleFactors.data(), b, e);
  });
}

SoundPtr Sound::MultiFreq(bool& abort, double length, const Sound* form, int32_t n, const double* startVolumes,
                          const double* periods, const double* factorTimes, const double* volumeFactors,
                          const double* startAngles, int32_t& begin, int32_t& end) const {
  int32_t count = 0;
  if (!SampleCount(abort, Freq * length, count)) return nullptr;
  if (n < 0) n = 0;
  const OscillatorsInSamples oscillators(Freq, n, periods, factorTimes, volumeFactors);
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold shape = ReadAsIs(abort, *this, form, side);
    return c.MultiFreq(abort, count, shape.get(), n, startVolumes, oscillators.periods.data(), startAngles,
                       oscillators.perSampleFactors.data(), b, e);
  });
}

void Sound::LineSegment(bool& abort, int32_t begin, int16_t a, int32_t end, int16_t b) {
  EachChannelInPlace(*this, [&](Wave& c, int) { c.LineSegment(abort, begin, a, end, b); });
}

// --- Time effects ---------------------------------------------------------------------------------

SoundPtr Sound::ChangeLengthFactor(bool& abort, double factor, int32_t& begin, int32_t& end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.ChangeLengthFactor(abort, factor, b, e);
  });
}

SoundPtr Sound::Resample(bool& abort, double factor) const {
  int32_t begin = 0;
  int32_t end = -1;
  return EachChannel(*this, abort, begin, end,
                     [&](const Wave& c, int, int32_t&, int32_t&) { return c.Resample(abort, factor); });
}

SoundPtr Sound::RollOutSpeed(bool& abort, const Sound* speed, double lengthFactor, double speedFactor,
                             double startPos, int32_t& begin, int32_t& end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold speeds = ReadAsIs(abort, *this, speed, side);
    return c.RollOutSpeed(abort, speeds.get(), lengthFactor, speedFactor, startPos, b, e);
  });
}

SoundPtr Sound::RollOutForm(bool& abort, double period, double periods, double startAngle, int32_t& begin,
                            int32_t& end) const {
  const double per = Freq * period;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    const int32_t formBegin = b;
    const int32_t formEnd = e;
    return c.RollOutForm(abort, &c, per, periods, startAngle, b, e, formBegin, formEnd);
  });
}

SoundPtr Sound::RollIn(bool& abort, double length, int32_t target, int32_t& begin, int32_t& end) const {
  int32_t n = 0;
  if (!SampleCount(abort, Freq * length, n)) return nullptr;
  // A start beyond the block folds from the same place a whole number of blocks on.
  if (n > 0) target = WrapInto(target, n);
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.RollIn(abort, n, target, b, e);
  });
}

SoundPtr Sound::Rotate(bool& abort, double shift, int32_t begin, int32_t end) const {
  // Whole turns of the selection leave it as it is, so any shift, also a negative one or one
  // longer than the sound, rotates by its remainder.
  const int64_t last = end == -1 ? GetValues() : end;
  const int32_t leftShift = last > begin ? WrapInto(SampleDistance(Freq * shift), last - begin) : 0;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Rotate(abort, leftShift, b, e);
  });
}

// --- Amplitude ------------------------------------------------------------------------------------

SoundPtr Sound::Volume(bool& abort, double factor, int32_t begin, int32_t end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Volume(abort, factor, b, e);
  });
}

void Sound::Scale(bool& abort, double factor, int32_t begin, int32_t end) {
  EachChannelInPlace(*this, [&](Wave& c, int) {
    int32_t b = begin;
    int32_t e = end;
    c.Scale(abort, factor, b, e);
  });
}

SoundPtr Sound::VolumeEnv(bool& abort, const Sound* envelope, int32_t begin, int32_t end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold volumes = ReadAsIs(abort, *this, envelope, side);
    return c.VolumeEnv(abort, volumes.get(), b, e);
  });
}

namespace {
// The factor that takes the selection's peak, over all channels, to `target`; 0 for silence.
double MaximizeFactor(bool& abort, const Sound& sound, double target, int32_t begin, int32_t end) {
  if (end == -1) end = sound.GetValues();
  int32_t peak = 0;
  for (int side = kLeft; side <= (IsStereo(sound) ? kRight : kLeft); ++side) {
    const Wave* channel = ChannelOn(sound, side);
    const int32_t channelPeak = channel ? channel->MaxValue(abort, begin, end) : 0;
    if (channelPeak > peak) peak = channelPeak;
  }
  return peak != 0 ? target / peak : 0;
}
}  // namespace

SoundPtr Sound::Maximize(bool& abort, int32_t begin, int32_t end) const {
  const double factor = MaximizeFactor(abort, *this, kFullScale, begin, end);
  return Volume(abort, factor, begin, end);
}

SoundPtr Sound::Maximize70(bool& abort, int32_t begin, int32_t end) const {
  const double factor = MaximizeFactor(abort, *this, kSeventyPercent, begin, end);
  return Volume(abort, factor, begin, end);
}

void Sound::Maximize70InPlace(bool& abort, int32_t begin, int32_t end) {
  Scale(abort, MaximizeFactor(abort, *this, kSeventyPercent, begin, end), begin, end);
}

SoundPtr Sound::Distort(bool& abort, const Sound* curve, int32_t begin, int32_t end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold transfer = ReadAsIs(abort, *this, curve, side);
    return c.Distort(abort, transfer.get(), b, e);
  });
}

// --- Mixing ---------------------------------------------------------------------------------------

SoundPtr Sound::MixAlignEnd(bool& abort, const Sound* other, int32_t position, int32_t point, bool fromEnd) const {
  int32_t begin = 0;
  int32_t end = -1;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t&, int32_t&) {
    const ChannelHold mixed = ReadAtRate(abort, *this, other, side);
    return c.MixAlignEnd(abort, mixed.get(), position, point, fromEnd);
  });
}

SoundPtr Sound::MixAt(bool& abort, const Sound* other, int32_t position, int32_t point, bool fromEnd) const {
  int32_t begin = 0;
  int32_t end = -1;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t&, int32_t&) {
    const ChannelHold mixed = ReadAtRate(abort, *this, other, side);
    return c.MixAt(abort, mixed.get(), position, point, fromEnd);
  });
}

SoundPtr Sound::MixStretch(bool& abort, const Sound* other, int32_t begin, int32_t end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold envelope = ReadAsIs(abort, *this, other, side);
    return c.MixStretch(abort, envelope.get(), b, e);
  });
}

void Sound::AddAtTime(bool& abort, const Sound* other, double time, double factor) {
  const int64_t position = SampleDistance(Freq * time);
  if (position < 0 || position >= GetValues()) return;  // nothing of it lands in this sound
  AddAt(abort, other, static_cast<int32_t>(position), factor);
}

void Sound::AddAt(bool& abort, const Sound* other, int32_t position, double factor) {
  if (position < 0 || position >= GetValues()) return;
  EachChannelInPlace(*this, [&](Wave& c, int side) {
    const ChannelHold added = ReadAtRate(abort, *this, other, side);
    c.AddAfter(abort, added.get(), position, factor);
  });
}

void Sound::OverlayAt(bool& abort, const Sound* other, int32_t position) {
  if (position < 0 || position >= GetValues()) return;
  EachChannelInPlace(*this, [&](Wave& c, int side) {
    const ChannelHold added = ReadAtRate(abort, *this, other, side);
    c.OverlayAfter(abort, added.get(), position);
  });
}

void Sound::MixCycleAfterThis(bool& abort, const Sound* other, int32_t position) {
  const bool stereo = IsStereo(*this);
  DebugLog(stereo ? "in StereoSound::MixCycleAfterThis\n" : "in MonoSound::MixCycleAfterThis\n");
  if (GetValues() > 0) {
    // The mix runs round the sound, so a start beyond it means the same place a turn further on.
    const int32_t after = WrapInto(position, GetValues());
    EachChannelInPlace(*this, [&](Wave& c, int side) {
      const ChannelHold added = ReadAtRate(abort, *this, other, side);
      c.MixCycleAfterThis(abort, added.get(), after);
    });
  }
  DebugLog(stereo ? "uit StereoSound::MixCycleAfterThis\n" : "uit MonoSound::MixCycleAfterThis\n");
}

// --- Edits ----------------------------------------------------------------------------------------

namespace {
// A sound of the same kind and format whose channels are empty.
SoundPtr EmptyLike(const Sound& sound) {
  if (IsStereo(sound)) return std::make_unique<StereoSound>(sound.Freq, sound.BytesPerSample);
  return std::make_unique<MonoSound>(sound.Freq, sound.BytesPerSample);
}
}  // namespace

SoundPtr Sound::Delete(bool& abort, int32_t begin, int32_t end) const {
  if (begin == 0 && (end == GetValues() || end == -1)) return abort ? nullptr : EmptyLike(*this);
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Delete(abort, b, e);
  });
}

SoundPtr Sound::NewEmpty() const { return EmptyLike(*this); }

SoundPtr Sound::Trim(bool& abort, int32_t begin, int32_t end) const {
  if (begin == end) return abort ? nullptr : EmptyLike(*this);
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Trim(abort, b, e);
  });
}

SoundPtr Sound::Replace(bool& abort, const Sound* other, int32_t begin, int32_t end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold pasted = ReadAtRate(abort, *this, other, side);
    return c.replace(abort, pasted.get(), b, e);
  });
}

SoundPtr Sound::Reverse(bool& abort, int32_t begin, int32_t end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.Reverse(abort, b, e);
  });
}

// --- Filters --------------------------------------------------------------------------------------

SoundPtr Sound::Filter(bool& abort, Wave::PassFilter routine, double time, double factor, int32_t stages,
                       int32_t passes, int32_t begin, int32_t end) const {
  const double samples = Freq * time;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return FilterSelection(abort, c, b, e, [&](int32_t first, int32_t last) {
      return (c.*routine)(abort, samples, factor, stages, passes, first, last);
    });
  });
}

SoundPtr Sound::FilterEnv(bool& abort, Wave::PassFilterEnv routine, const Sound* envelope, double factor,
                          int32_t stages, int32_t passes, int32_t begin, int32_t end) const {
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold times = ReadAsIs(abort, *this, envelope, side);
    return FilterSelection(abort, c, b, e, [&](int32_t first, int32_t last) {
      return (c.*routine)(abort, times.get(), factor, stages, passes, Freq, first, last);
    });
  });
}

SoundPtr Sound::ResNotch(bool& abort, bool periodConstant, bool widthConstant, double period, double width,
                         const Sound* periodEnv, const Sound* widthEnv, Wave::ResonatorConst constant,
                         Wave::ResonatorFreqEnv periodEnvelope, Wave::ResonatorWidthEnv widthEnvelope,
                         Wave::ResonatorEnv bothEnvelopes, int32_t begin, int32_t end) const {
  const double per = Freq * period;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    return FilterSelection(abort, c, b, e, [&](int32_t first, int32_t last) -> WavePtr {
      if (periodConstant && widthConstant) return (c.*constant)(abort, per, width, first, last);
      if (widthConstant) {
        const ChannelHold periods = ReadAsIs(abort, *this, periodEnv, side);
        return (c.*periodEnvelope)(abort, periods.get(), width, Freq, first, last);
      }
      const ChannelHold widths = ReadAsIs(abort, *this, widthEnv, side);
      if (periodConstant) return (c.*widthEnvelope)(abort, per, widths.get(), first, last);
      const ChannelHold periods = ReadAsIs(abort, *this, periodEnv, side);
      return (c.*bothEnvelopes)(abort, periods.get(), widths.get(), Freq, first, last);
    });
  });
}

SoundPtr Sound::BlockFilter(bool& abort, double blockTime, int32_t& begin, int32_t& end) const {
  const double block = Freq * blockTime;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.BlockFilter(abort, block, b, e);
  });
}

SoundPtr Sound::BlockFilterEnv(bool& abort, const Sound* envelope, double blockTime, int32_t& begin,
                               int32_t& end) const {
  const double block = Freq * blockTime;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold blocks = ReadAsIs(abort, *this, envelope, side);
    return c.BlockFilterEnv(abort, block, blocks.get(), b, e);
  });
}

// --- Echoes ---------------------------------------------------------------------------------------

SoundPtr Sound::PerEchoConst(bool& abort, double echoTime, double volume, int32_t count, int32_t& begin,
                             int32_t& end) const {
  const double time = Freq * echoTime;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return c.PerEchoConst(abort, time, volume, count, b, e);
  });
}

SoundPtr Sound::PerEchoConstEnv(bool& abort, double echoTime, const Sound* volumeEnv, int32_t count,
                                int32_t& begin, int32_t& end) const {
  const double time = Freq * echoTime;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold volumes = ReadAsIs(abort, *this, volumeEnv, side);
    return c.PerEchoConstEnv(abort, time, volumes.get(), count, b, e);
  });
}

SoundPtr Sound::PerEchoEnvConst(bool& abort, double largestTime, const Sound* timeEnv, double volume,
                                int32_t count, int32_t& begin, int32_t& end) const {
  const double diffTime = Freq * largestTime;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold times = ReadAsIs(abort, *this, timeEnv, side);
    return c.PerEchoEnvConst(abort, diffTime, times.get(), volume, count, b, e);
  });
}

SoundPtr Sound::PerEchoEnvEnv(bool& abort, double largestTime, const Sound* timeEnv, const Sound* volumeEnv,
                              int32_t count, int32_t& begin, int32_t& end) const {
  const double diffTime = Freq * largestTime;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold times = ReadAsIs(abort, *this, timeEnv, side);
    const ChannelHold volumes = ReadAsIs(abort, *this, volumeEnv, side);
    return c.PerEchoEnvEnv(abort, diffTime, times.get(), volumes.get(), count, b, e);
  });
}

// --- Tempo and pitch ------------------------------------------------------------------------------

namespace {
constexpr uint8_t kTwoHeads = 1;
}  // namespace

SoundPtr Sound::TempoPitchAll(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                              double blockTime, uint8_t quality) const {
  int32_t block = 0;
  if (!SampleCount(abort, Freq * blockTime, block)) return nullptr;
  int32_t begin = 0;
  int32_t end = -1;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t&, int32_t&) {
    return quality == kTwoHeads ? c.TempoPitchHQAll(abort, speed, startPos, lengthFactor, pitch, block)
                                : c.TempoPitchAll(abort, speed, startPos, lengthFactor, pitch, block);
  });
}

SoundPtr Sound::TempoPitch(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                           double blockTime, uint8_t quality, int32_t& begin, int32_t& end) const {
  int32_t block = 0;
  if (!SampleCount(abort, Freq * blockTime, block)) return nullptr;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int, int32_t& b, int32_t& e) {
    return quality == kTwoHeads ? c.TempoPitchHQ(abort, speed, startPos, lengthFactor, pitch, block, b, e)
                                : c.TempoPitch(abort, speed, startPos, lengthFactor, pitch, block, b, e);
  });
}

SoundPtr Sound::TempoPitchFreqEnv(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                                  const Sound* freqEnv, double blockTime, uint8_t quality, int32_t& begin,
                                  int32_t& end) const {
  int32_t block = 0;
  if (!SampleCount(abort, Freq * blockTime, block)) return nullptr;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold freqs = ReadAsIs(abort, *this, freqEnv, side);
    return quality == kTwoHeads
               ? c.TempoPitchHQFreqEnv(abort, speed, startPos, lengthFactor, pitch, freqs.get(), block, b, e)
               : c.TempoPitchFreqEnv(abort, speed, startPos, lengthFactor, pitch, freqs.get(), block, b, e);
  });
}

SoundPtr Sound::TempoPitchSpeedEnv(bool& abort, double speed, const Sound* speedEnv, double startPos,
                                   double lengthFactor, double pitch, double blockTime, uint8_t quality,
                                   int32_t& begin, int32_t& end) const {
  int32_t block = 0;
  if (!SampleCount(abort, Freq * blockTime, block)) return nullptr;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold speeds = ReadAsIs(abort, *this, speedEnv, side);
    return quality == kTwoHeads
               ? c.TempoPitchHQSpeedEnv(abort, speed, speeds.get(), startPos, lengthFactor, pitch, block, b, e)
               : c.TempoPitchSpeedEnv(abort, speed, speeds.get(), startPos, lengthFactor, pitch, block, b, e);
  });
}

SoundPtr Sound::TempoPitchFreqSpeedEnv(bool& abort, double speed, const Sound* speedEnv, double startPos,
                                       double lengthFactor, double pitch, const Sound* freqEnv, double blockTime,
                                       uint8_t quality, int32_t& begin, int32_t& end) const {
  int32_t block = 0;
  if (!SampleCount(abort, Freq * blockTime, block)) return nullptr;
  return EachChannel(*this, abort, begin, end, [&](const Wave& c, int side, int32_t& b, int32_t& e) {
    const ChannelHold speeds = ReadAsIs(abort, *this, speedEnv, side);
    const ChannelHold freqs = ReadAsIs(abort, *this, freqEnv, side);
    return quality == kTwoHeads ? c.TempoPitchHQFreqSpeedEnv(abort, speed, speeds.get(), startPos, lengthFactor,
                                                             pitch, freqs.get(), block, b, e)
                                : c.TempoPitchFreqSpeedEnv(abort, speed, speeds.get(), startPos, lengthFactor,
                                                           pitch, freqs.get(), block, b, e);
  });
}

// --- Mono to stereo and stereo mixes ------------------------------------------------------------

namespace {
constexpr int32_t kLeftEar = 0;
constexpr int32_t kRightEar = 1;

// A stereo sound of the mono sound's format whose ear e is made by place(e).
template <class Place>
SoundPtr Placed(const MonoSound& mono, bool& abort, Place&& place) {
  if (mono.WaveMiddle == nullptr) return nullptr;
  WavePtr left = place(kLeftEar);
  WavePtr right = left ? place(kRightEar) : nullptr;
  if (abort || !left || !right) return nullptr;
  return std::make_unique<StereoSound>(std::move(left), std::move(right), mono.Freq, mono.BytesPerSample);
}
}  // namespace

SoundPtr MonoSound::Balance(bool& abort, double direction, bool timeDiff, bool volumeDiff, bool filterDiff) const {
  return Placed(*this, abort, [&](int32_t ear) {
    return WaveMiddle->Balance(abort, direction, ear, timeDiff, volumeDiff, filterDiff, Freq);
  });
}

SoundPtr MonoSound::BalanceEnv(bool& abort, const Sound* directionEnv, bool timeDiff, bool volumeDiff,
                               bool filterDiff) const {
  const ChannelHold directions = ReadAsIs(abort, *this, directionEnv, kLeft);
  return Placed(*this, abort, [&](int32_t ear) {
    return WaveMiddle->BalanceEnv(abort, directions.get(), ear, timeDiff, volumeDiff, filterDiff, Freq);
  });
}

SoundPtr StereoSound::MixLeftRight(bool& abort, double p1, double p2, double p3, double p4, int32_t begin,
                                   int32_t end) const {
  KV_ASSERT(GetValues() != 0);
  WavePtr left = WaveLeft->MixLeftRight(abort, p1, WaveRight, p3, begin, end);
  // Each new channel starts from its own old one, so that outside the selection it keeps its own
  // samples (the sum is the same in either order).
  WavePtr right = left ? WaveRight->MixLeftRight(abort, p4, WaveLeft, p2, begin, end) : nullptr;
  return NewSoundFrom(*this, abort, std::move(left), std::move(right));
}
