// The wave commands of a document: generators, edits, effects and filters. Each keeps its record,
// takes its stretch and hands one sound operation to RunOperation, which brackets, adopts or
// discards the result by the abort flag and repaints. Values no sound operation can take are
// refused before anything runs, so the document and its window stay as they were.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/shell.h"
#include "wave/unitwave.h"

namespace {
constexpr const char* kAssertUnit = "unitwave";

// Keeps the given record as the document's own; the caller may pass the document's record itself.
template <typename Props>
const Props& Store(Props& own, const Props& given) {
  if (&own != &given) own = given;
  return own;
}

// The selection a paste leaves: the clipboard's samples at the document's rate.
int32_t PastedEnd(int32_t begin, const Sound& clip, int32_t rate) {
  const double ratio = clip.Freq > 0 ? static_cast<double>(rate) / clip.Freq : 1.0;
  return TruncToInt32(Clamp(begin + clip.GetValues() * ratio, begin, 2147483647.0));
}

// The record's position in seconds as a part of the stretch that is changed.
double PartOf(double seconds, double stretchTime) { return seconds / stretchTime; }

}  // namespace

// --- Generators: inserted at the cursor or over the selection, then selected ----------------------

bool TUnitWave::MakeLine(const TLineProps& props) {
  const TLineProps& p = Store(Props.Line, props);
  const int16_t first = p.BeginValue.GetValue();
  const int16_t last = p.EndValue.GetValue();
  const double length = p.Length.GetValue();
  const bool exponential = p.Kind != 0;
  // An exponential line can neither reach nor cross 0.
  if (exponential && !(static_cast<double>(first) * last > 0)) return false;
  return RunOperation(true, GetSelBegin(), GetSelEnd(),
                      [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                        return sound.Line(abort, first, last, length, exponential, begin, end);
                      });
}

bool TUnitWave::MakeSilence(const TSilenceProps& props) {
  const double length = Store(Props.Silence, props).Length.GetValue();
  return RunOperation(true, GetSelBegin(), GetSelEnd(),
                      [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                        return sound.Silence(abort, length, begin, end);
                      });
}

bool TUnitWave::MakeNoise(const TNoiseProps& props) {
  const TNoiseProps& p = Store(Props.Noise, props);
  const int16_t amplitude = p.Volume.GetValue();
  const double length = p.Length.GetValue();
  return RunOperation(true, GetSelBegin(), GetSelEnd(),
                      [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                        return sound.Noise(abort, amplitude, length, begin, end);
                      });
}

bool TUnitWave::MakeBlock(const TBlockTriangleProps& props) {
  return MakeBlockTriangle(Store(Props.MakeBlock, props), false);
}

bool TUnitWave::MakeTriangle(const TBlockTriangleProps& props) {
  return MakeBlockTriangle(Store(Props.MakeTriangle, props), true);
}

bool TUnitWave::MakeBlockTriangle(const TBlockTriangleProps& p, bool triangle) {
  const int16_t height1 = p.Height1.GetValue();
  const int16_t height2 = p.Height2.GetValue();
  const double period = p.GetPeriod();
  const double length = p.GetLength();
  const double start = p.StartPosition.GetValue();
  // No period, or no length (a "same length as" document that is empty), makes no wave.
  if (!(period * TheSound->Freq > 0) || !(length > 0)) return false;
  if (p.HasMiddleEnvelope()) {
    const Sound* middle = p.MiddleEnvelope.GetReadableSound();
    if (middle == nullptr) return false;
    return RunOperation(
        true, GetSelBegin(), GetSelEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
          return sound.BlockTriangleEnv(abort, height1, height2, period, middle, length, start, triangle, begin, end);
        });
  }
  const double middle = p.GetMiddle();
  if (!(middle >= 0 && middle <= 1)) return false;
  return RunOperation(
      true, GetSelBegin(), GetSelEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
        return sound.BlockTriangle(abort, height1, height2, period, middle, length, start, triangle, begin, end);
      });
}

bool TUnitWave::MakeSinus(const TSinusProps& props) {
  const TSinusProps& p = Store(Props.Sinus, props);
  const int16_t maximum = p.Amplitude.GetValue();
  // The negated amplitude of -32768 does not fit in a sample.
  const int16_t minimum = static_cast<int16_t>(std::min(-static_cast<int32_t>(maximum), 32767));
  const double period = p.Frequency.GetValue();
  const double periods = p.GetCount();
  const double startPhase = p.StartPhase.GetValue();
  if (!(period * TheSound->Freq > 0) || !(startPhase >= 0 && startPhase < 1)) return false;
  return RunOperation(true, GetSelBegin(), GetSelEnd(),
                      [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                        return sound.Sinus(abort, maximum, minimum, period, periods, startPhase, begin, end);
                      });
}

bool TUnitWave::MakeMFreq(const TMFreqProps& props) {
  const TMFreqProps& p = Store(Props.MFreq, props);
  // A copy of the rows starts reading at the first, wherever the last walk stopped.
  TMFreqRecordBrowser rows(p.Rows);
  const int32_t freqCount = rows.GetCount();
  if (freqCount < 1) return false;  // no oscillator to sound
  const Sound* form = nullptr;
  if (p.UseKind != 0) {
    form = p.WaveForm.GetReadableSound();
    if (form == nullptr) return false;
  }
  std::vector<double> startVolumes(static_cast<size_t>(freqCount));
  std::vector<double> periods(startVolumes.size());
  std::vector<double> factorTimes(startVolumes.size());
  std::vector<double> volumeFactors(startVolumes.size());
  std::vector<double> startAngles(startVolumes.size());
  int32_t index = 0;
  bool more = true;
  while (more) {
    const TMFreqBrowseRecord* mFreqBrowseRecord = rows.GetRow();
    KV_ASSERT(index < freqCount);
    KV_ASSERT(mFreqBrowseRecord != NULL);
    const auto i = static_cast<size_t>(index);
    startVolumes[i] = mFreqBrowseRecord->StartVolume.GetValue();
    periods[i] = mFreqBrowseRecord->Frequency.GetValue();
    factorTimes[i] = mFreqBrowseRecord->VolFactTime.GetValue();
    volumeFactors[i] = mFreqBrowseRecord->VolFact.GetValue();
    startAngles[i] = mFreqBrowseRecord->StartAngle.GetValue();
    // A factor applied every 0 seconds has no rate per sample.
    if (!(factorTimes[i] * TheSound->Freq > 0)) return false;
    ++index;
    more = rows.NextRecord();
  }
  const double length = p.Length.GetValue();
  return RunOperation(
      true, GetSelBegin(), GetSelEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
        if (form == nullptr)
          return sound.MultiFreqSinus(abort, length, freqCount, startVolumes.data(), periods.data(), factorTimes.data(),
                                      volumeFactors.data(), startAngles.data(), begin, end);
        return sound.MultiFreq(abort, length, form, freqCount, startVolumes.data(), periods.data(), factorTimes.data(),
                               volumeFactors.data(), startAngles.data(), begin, end);
      });
}

// --- Edits ----------------------------------------------------------------------------------------

bool TUnitWave::EditDelete() {
  return RunOperation(true, GetBegin(), GetEnd(), [](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    SoundPtr result = sound.Delete(abort, begin, end);
    end = begin;
    return result;
  });
}

bool TUnitWave::EditTrim() {
  return RunOperation(true, GetBegin(), GetEnd(), [](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    SoundPtr result = sound.Trim(abort, begin, end);
    end -= begin;
    begin = 0;
    return result;
  });
}

bool TUnitWave::EditCopy() { return CopyToClipboard(GetBegin(), GetEnd()); }

bool TUnitWave::EditCut() {
  return RunOperation(true, GetBegin(), GetEnd(),
                      [this](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                        SoundPtr clip = ClipOf(abort, begin, end);
                        SoundPtr result = sound.Delete(abort, begin, end);
                        end = begin;
                        // The clipboard changes only together with the sound.
                        if (!abort && clip && result) Shell()->SetClipBoardSound(std::move(clip));
                        return result;
                      });
}

bool TUnitWave::EditPaste() {
  const Sound* clip = Shell()->GetClipBoardSound();
  if (clip == nullptr) return false;
  return RunOperation(true, GetSelBegin(), GetSelEnd(),
                      [clip](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                        SoundPtr result = sound.Replace(abort, clip, begin, end);
                        end = PastedEnd(begin, *clip, sound.Freq);
                        return result;
                      });
}

bool TUnitWave::EditSwap() {
  const Sound* clip = Shell()->GetClipBoardSound();
  if (clip == nullptr) return false;
  return RunOperation(true, GetSelBegin(), GetSelEnd(),
                      [this, clip](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                        SoundPtr selected = ClipOf(abort, begin, end);
                        SoundPtr result = sound.Replace(abort, clip, begin, end);
                        end = PastedEnd(begin, *clip, sound.Freq);
                        // Deletes the old clipboard sound, so it comes after its last use.
                        if (!abort && selected && result) Shell()->SetClipBoardSound(std::move(selected));
                        return result;
                      });
}

bool TUnitWave::EditExtract() {
  if (GetBegin() == GetEnd()) return false;  // nothing to move
  return RunOperation(false, GetBegin(), GetEnd(),
                      [this](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                        SoundPtr clip = ClipOf(abort, begin, end);
                        SoundPtr result = CopySound(abort, sound);
                        if (abort || !clip || !result) return SoundPtr();
                        result->LineSegment(abort, begin, 0, end, 0);
                        if (!abort) Shell()->SetClipBoardSound(std::move(clip));
                        return result;
                      });
}

bool TUnitWave::EditMix(const TMixProps& props) {
  const uint8_t place = Store(Props.Mix, props).Place;
  const Sound* clip = Shell()->GetClipBoardSound();
  if (clip == nullptr) return false;
  const int32_t point = SelCursor == SelAnchor || GetValues() == 0 ? -1 : GetSelEnd() - GetSelBegin();
  const int32_t selBegin = GetSelBegin();
  const int32_t selEnd = GetSelEnd();
  switch (place) {
    case 0:
      return RunOperation(false, 0, 0, [&](const Sound& sound, bool& abort, int32_t&, int32_t&) {
        return sound.MixAt(abort, clip, selBegin, point, false);
      });
    case 1:
      return RunOperation(false, 0, 0, [&](const Sound& sound, bool& abort, int32_t&, int32_t&) {
        return sound.MixAlignEnd(abort, clip, selEnd, point, true);
      });
    case 2:
      // Stretching needs samples on both sides.
      if (GetValues() == 0 || clip->GetValues() == 0) return false;
      return RunOperation(false, GetBegin(), GetEnd(),
                          [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                            return sound.MixStretch(abort, clip, begin, end);
                          });
    default:
      return false;
  }
}

// --- Effects --------------------------------------------------------------------------------------

bool TUnitWave::Volume(const TVolumeProps& props) {
  const TVolumeProps& p = Store(Props.Volume, props);
  if (p.Mode == 0) {
    const double factor = p.VolumeFactor.GetValue();
    return RunOperation(false, GetBegin(), GetEnd(),
                        [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
                          return sound.Volume(abort, factor, begin, end);
                        });
  }
  const Sound* envelope = p.Envelope.GetReadableSound();
  if (envelope == nullptr) return false;
  return RunOperation(false, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.VolumeEnv(abort, envelope, begin, end);
  });
}

bool TUnitWave::Balance(const TBalanceProps& props) {
  const TBalanceProps& p = Store(Props.Balance, props);
  if (GetValues() == 0 || TheSound->MoSt != 1) return false;
  const bool timeDiff = p.TimeDiff;
  const bool volumeDiff = p.VolumeDiff == 1;
  const bool filterDiff = p.VolumeDiff == 2;
  const Sound* directions = nullptr;
  if (p.DirKind != 0) {
    directions = p.DirEnvelope.GetReadableSound();
    if (directions == nullptr) return false;
  }
  const double direction = p.DirConstant.GetValue();
  return RunOperation(false, 0, 0, [&](const Sound& sound, bool& abort, int32_t&, int32_t&) {
    const auto& mono = static_cast<const MonoSound&>(sound);
    if (directions == nullptr) return mono.Balance(abort, direction, timeDiff, volumeDiff, filterDiff);
    return mono.BalanceEnv(abort, directions, timeDiff, volumeDiff, filterDiff);
  });
}

bool TUnitWave::Rotate(const TRotateProps& props) {
  const double shift = Store(Props.Rotate, props).GetRotateTime(GetSelTime());
  return RunOperation(false, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.Rotate(abort, shift, begin, end);
  });
}

bool TUnitWave::Block(const TBlockProps& props) {
  const TBlockProps& p = Store(Props.Block, props);
  const double step = p.HorKind != 0 ? p.GetHorBlockTime(GetSelTime()) : 0;
  const int32_t levels = p.VertKind != 0 ? p.GetVertLevels() : 0;
  return RunOperation(false, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.Block(abort, step, levels, begin, end);
  });
}

bool TUnitWave::RollIn(const TRollInProps& props) {
  const TRollInProps& p = Store(Props.RollIn, props);
  const double rate = TheSound->Freq;
  const double length = p.Length.GetValue();
  const int32_t n = TruncToInt32(rate * length);
  const int32_t begin0 = GetBegin();
  const int32_t end0 = GetEnd();
  double offset = p.Placement == 0 ? std::trunc(rate * p.StartAt.GetValue())
                                   : std::trunc(rate * p.EndAt.GetValue() + begin0 - end0);
  // A block of no samples has nowhere to fold to; the sound operation keeps such a stretch.
  const int32_t target = n > 0 && std::isfinite(offset) ? TruncToInt32(WrapIntoRange(offset, 0, n)) : 0;
  return RunOperation(true, begin0, end0, [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.RollIn(abort, length, target, begin, end);
  });
}

bool TUnitWave::RollOut(const TRollOutProps& props) {
  if (&Props.RollOut != &props) Props.RollOut = props;
  TRollOutProps& p = Props.RollOut;
  // A new length is measured against the stretch that is changed.
  const double stretchTime = GetSelTime();
  p.SelTime = stretchTime;
  const double speed = p.SpeedFactor.GetValue();
  const double factor = p.GetLengthFactor();
  if (!(stretchTime > 0) || speed == 0 || !std::isfinite(speed) || !(factor > 0) || !std::isfinite(factor))
    return false;
  const double start = PartOf(p.StartPosition.GetValue(), stretchTime);
  if (p.SpeedEnvelopeUsed) {
    const Sound* speeds = p.SpeedEnvelope.GetReadableSound();
    if (speeds == nullptr) return false;
    return RunOperation(true, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
      return sound.RollOutSpeed(abort, speeds, factor, speed, start, begin, end);
    });
  }
  // A negative speed runs the form backwards.
  return RunOperation(true, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.RollOutForm(abort, stretchTime / speed, std::fabs(speed) * factor, start, begin, end);
  });
}

bool TUnitWave::Length(const TLengthProps& props) {
  const TLengthProps& p = Store(Props.Length, props);
  const double factor = p.GetLengthFactor(GetSelTime());
  // 0 is how the record says it has no length to go by (a "same length as" document that is
  // empty); a factor typed as 0 is refused by its field.
  if (p.LengthKind != 0 && !(factor > 0)) return false;
  return RunOperation(true, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.ChangeLengthFactor(abort, factor, begin, end);
  });
}

bool TUnitWave::TempoPitch(const TTempoPitchProps& props) {
  if (&Props.TempoPitch != &props) Props.TempoPitch = props;
  TTempoPitchProps& p = Props.TempoPitch;
  const double stretchTime = GetSelTime();
  p.SelTime = stretchTime;
  const double speed = p.SpeedFactor.GetValue();
  const double pitch = p.FreqFactor.GetValue();
  const double factor = p.GetLengthFactor();
  const double blockTime = p.BlockSize.GetValue();
  const uint8_t quality = p.Quality;
  if (!(stretchTime > 0) || speed == 0 || !std::isfinite(speed) || !(factor > 0) || !std::isfinite(factor))
    return false;
  // One head follows a pitch envelope at a backward speed as well; two heads do not.
  if (p.TwoHeadsBackward()) return false;
  const double start = PartOf(p.StartPosition.GetValue(), stretchTime);
  const Sound* freqs = p.FreqEnvelopeUsed ? p.FreqEnvelope.GetReadableSound() : nullptr;
  const Sound* speeds = p.SpeedEnvelopeUsed ? p.SpeedEnvelope.GetReadableSound() : nullptr;
  if ((p.FreqEnvelopeUsed && freqs == nullptr) || (p.SpeedEnvelopeUsed && speeds == nullptr)) return false;
  return RunOperation(true, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    if (freqs == nullptr && speeds == nullptr)
      return sound.TempoPitch(abort, speed, start, factor, pitch, blockTime, quality, begin, end);
    if (speeds == nullptr)
      return sound.TempoPitchFreqEnv(abort, speed, start, factor, pitch, freqs, blockTime, quality, begin, end);
    if (freqs == nullptr)
      return sound.TempoPitchSpeedEnv(abort, speed, speeds, start, factor, pitch, blockTime, quality, begin, end);
    return sound.TempoPitchFreqSpeedEnv(abort, speed, speeds, start, factor, pitch, freqs, blockTime, quality, begin,
                                        end);
  });
}

bool TUnitWave::Up(const TUpProps& props) {
  const int16_t value = Store(Props.Up, props).AddValue.GetValue();
  return RunOperation(false, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.Up(abort, value, begin, end);
  });
}

bool TUnitWave::Distort(const TDistortProps& props) {
  const Sound* curve = Store(Props.Distort, props).DistortEnvelope.GetReadableSound();
  if (curve == nullptr) return false;
  return RunOperation(false, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.Distort(abort, curve, begin, end);
  });
}

bool TUnitWave::MixLeftRight(const TLeftRightProps& props) {
  const TLeftRightProps& p = Store(Props.LeftRight, props);
  if (TheSound->MoSt != 2 || GetValues() == 0) return false;
  const double p1 = p.Left2Left.GetValue();
  const double p2 = p.Left2Right.GetValue();
  const double p3 = p.Right2Left.GetValue();
  const double p4 = p.Right2Right.GetValue();
  return RunOperation(false, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return static_cast<const StereoSound&>(sound).MixLeftRight(abort, p1, p2, p3, p4, begin, end);
  });
}

bool TUnitWave::PerEcho(const TPerEchoProps& props) {
  const TPerEchoProps& p = Store(Props.PerEcho, props);
  const double time = p.Time.GetValue();
  const int32_t count = p.Count.GetValue();
  const double volume = p.VolumeConstant.GetValue();
  // One sample has no neighbour to echo between, and no echoes are no change.
  if (GetEnd() - GetBegin() < 2 || count < 1) return false;
  const Sound* times = p.TimeEnvelopeUsed ? p.TimeEnvelope.GetReadableSound() : nullptr;
  const Sound* volumes = p.VolumeKind != 0 ? p.VolumeEnvelope.GetReadableSound() : nullptr;
  if ((p.TimeEnvelopeUsed && times == nullptr) || (p.VolumeKind != 0 && volumes == nullptr)) return false;
  return RunOperation(true, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    if (times == nullptr && volumes == nullptr) return sound.PerEchoConst(abort, time, volume, count, begin, end);
    if (times == nullptr) return sound.PerEchoConstEnv(abort, time, volumes, count, begin, end);
    if (volumes == nullptr) return sound.PerEchoEnvConst(abort, time, times, volume, count, begin, end);
    return sound.PerEchoEnvEnv(abort, time, times, volumes, count, begin, end);
  });
}

bool TUnitWave::MaxVolume() {
  return RunOperation(false, GetBegin(), GetEnd(), [](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.Maximize(abort, begin, end);
  });
}

bool TUnitWave::Reverse() {
  return RunOperation(false, GetBegin(), GetEnd(), [](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.Reverse(abort, begin, end);
  });
}

// --- Filters --------------------------------------------------------------------------------------

bool TUnitWave::FilterHigh(const THighLowProps& props) { return FilterHighLow(Store(Props.FilterHigh, props), true); }

bool TUnitWave::FilterLow(const THighLowProps& props) { return FilterHighLow(Store(Props.FilterLow, props), false); }

bool TUnitWave::FilterHighLow(const THighLowProps& p, bool high) {
  const Wave::PassFilterRoutines& routines = Wave::kPassFilters[high ? 0 : 1];
  const double time = p.FreqConstant.GetValue();
  const double factor = p.VolumeFactor.GetValue();
  const int32_t count = p.Count.GetValue();
  const bool maximize = p.MaximizeVolume;
  // The one-pole filters need a factor strictly between 0 and 1 and at least one stage.
  if (!(factor > 0 && factor < 1) || count < 1) return false;
  const Sound* times = nullptr;
  if (p.FreqKind != 0) {
    times = p.FreqEnvelope.GetReadableSound();
    if (times == nullptr) return false;
  } else if (!(time * TheSound->Freq > 0)) {
    return false;
  }
  return RunOperation(false, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    const auto filter = [&](const Sound& from, int32_t stages, int32_t passes) {
      if (times == nullptr) return from.Filter(abort, routines.constant, time, factor, stages, passes, begin, end);
      return from.FilterEnv(abort, routines.envelope, times, factor, stages, passes, begin, end);
    };
    if (!maximize) return filter(sound, count, count);
    // Each round of all the stages starts from 70 % of full scale, so the stages cannot clip.
    SoundPtr current = sound.Maximize70(abort, begin, end);
    for (int32_t round = 0; round < count && current && !abort; ++round) {
      SoundPtr next = filter(*current, count, 1);
      if (next) next->Maximize70InPlace(abort, begin, end);
      current = std::move(next);
    }
    return current;
  });
}

bool TUnitWave::FilterRes(const TResNotchProps& props) { return FilterResNotch(Store(Props.FilterRes, props), true); }

bool TUnitWave::FilterNotch(const TResNotchProps& props) {
  return FilterResNotch(Store(Props.FilterNotch, props), false);
}

bool TUnitWave::FilterResNotch(const TResNotchProps& p, bool resonant) {
  const Wave::ResonatorRoutines& routines = Wave::kResonatorFilters[resonant ? 0 : 1];
  const bool periodConstant = p.FreqKind == 0;
  const bool widthConstant = p.WidthKind == 0;
  const double period = p.FreqConstant.GetValue();
  const double width = p.WidthConstant.GetValue();
  if (widthConstant && !(width >= 0 && width <= 1)) return false;
  const Sound* periods = periodConstant ? nullptr : p.FreqEnvelope.GetReadableSound();
  const Sound* widths = widthConstant ? nullptr : p.WidthEnvelope.GetReadableSound();
  if ((!periodConstant && periods == nullptr) || (!widthConstant && widths == nullptr)) return false;
  return RunOperation(false, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.ResNotch(abort, periodConstant, widthConstant, period, width, periods, widths, routines.constant,
                          routines.periodEnvelope, routines.widthEnvelope, routines.bothEnvelopes, begin, end);
  });
}

bool TUnitWave::FilterBlock(const TBlockFilterProps& props) {
  const TBlockFilterProps& p = Store(Props.FilterBlock, props);
  const double blockTime = p.TimeConstant.GetValue();
  if (!p.TimeEnvelopeUsed) {
    return RunOperation(true, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
      return sound.BlockFilter(abort, blockTime, begin, end);
    });
  }
  const Sound* blocks = p.TimeEnvelope.GetReadableSound();
  if (blocks == nullptr) return false;
  return RunOperation(true, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
    return sound.BlockFilterEnv(abort, blocks, blockTime, begin, end);
  });
}
