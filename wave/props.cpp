#include "wave/props.h"

#include <cmath>

#include "foundation/assertion.h"

namespace {
// The only traps here guard the block/triangle dialog's promise about its middle.
constexpr const char* kAssertUnit = "DBlockTriangle";

double NoSoundTime(const unitUnitWave&) { return 0; }

SoundTimeLookup soundTimeLookup = NoSoundTime;

// A quotient whose divisor the user gives: a divisor that is not positive (or not a number)
// gives 0, which the operations take as "nothing to do".
double DivideByPositive(double numerator, double divisor) { return divisor > 0 ? numerator / divisor : 0; }

// The length kinds the length, tempo and roll-out records share: 0 factor, 1 new length,
// 2 same length as a wave; 0 for any other kind.
double SharedLengthFactor(uint8_t kind, double factor, double newLength, const unitUnitWave& sameAs,
                          double duration) {
  switch (kind) {
    case 0: return factor;
    case 1: return DivideByPositive(newLength, duration);
    case 2: return DivideByPositive(SoundTimeOf(sameAs), duration);
    default: return 0;
  }
}

// Tempo and roll out add kind 3: the count of the speed. A speed of 0 is refused by its value
// class, so only code can set one; it then gives 0.
template <typename Props>
double SpeedLengthFactor(const Props& p) {
  if (p.LengthKind == 3) return DivideByPositive(p.LengthCount.GetValue(), std::fabs(p.SpeedFactor.GetValue()));
  return SharedLengthFactor(p.LengthKind, p.LengthFactor.GetValue(), p.LengthNew.GetValue(), p.LengthSameAs,
                            p.SelTime);
}

}  // namespace

SoundTimeLookup SetSoundTimeLookup(SoundTimeLookup lookup) {
  const SoundTimeLookup previous = soundTimeLookup;
  soundTimeLookup = lookup != nullptr ? lookup : NoSoundTime;
  return previous;
}

double SoundTimeOf(const unitUnitWave& wave) { return soundTimeLookup(wave); }

double TRotateProps::GetRotateTime(double duration) const {
  if (!(duration > 0)) return 0;
  double t = ByFactor ? Factor.GetValue() * duration : Time.GetValue();
  if (Shift == 1) t = duration - t;
  if (!std::isfinite(t)) return 0;
  // fmod rather than counting whole periods in 32 bits: exact for any distance.
  t = std::fmod(t, duration);
  if (t < 0) t += duration;
  return t < duration ? t : 0;
}

double TBlockProps::GetHorBlockTime(double duration) const {
  if (HorKind == 2) return HorTime.GetValue();
  return DivideByPositive(duration, HorCount.GetValue());
}

int32_t TBlockProps::GetVertLevels() const {
  if (VertKind == 1) return VertCount.GetValue();
  const int32_t height = VertHeight.GetValue();
  return height > 0 ? 32768 / height : 0;
}

double TBlockTriangleProps::GetPeriod() const {
  return BloTriHorKind != bloTriFrequency ? Time1.GetValue() + Time2.GetValue() : Frequency.GetValue();
}

bool TBlockTriangleProps::HasMiddleEnvelope() const {
  // With two times the turn follows from them.
  if (BloTriHorKind != bloTriFrequency) return false;
  return MiddleKind == 1;
}

double TBlockTriangleProps::GetMiddle() const {
  KV_ASSERT(!HasMiddleEnvelope());
  if (BloTriHorKind == bloTriFrequency) return Middle.GetValue();
  KV_ASSERT(BloTriHorKind == bloTriTime);
  const double period = Time1.GetValue() + Time2.GetValue();
  return period > 0 ? Time1.GetValue() / period : 0.5;
}

double TBlockTriangleProps::GetLength() const {
  switch (LengthKind) {
    case 0: return LengthNew.GetValue();
    case 1: return SoundTimeOf(LengthSameAs);
    case 2: return LengthCount.GetValue() * GetPeriod();
    default: return 0;
  }
}

double TSinusProps::GetCount() const {
  if (LengthKind == 1) return Count.GetValue();
  return DivideByPositive(Length.GetValue(), Frequency.GetValue());
}

double TTempoPitchProps::GetLengthFactor() const { return SpeedLengthFactor(*this); }

bool TTempoPitchProps::TwoHeadsBackward() const {
  return FreqEnvelopeUsed && !SpeedEnvelopeUsed && Quality == 1 && SpeedFactor.GetValue() < 0;
}

double TRollOutProps::GetLengthFactor() const { return SpeedLengthFactor(*this); }

double TLengthProps::GetLengthFactor(double duration) const {
  return SharedLengthFactor(LengthKind, LengthFactor.GetValue(), LengthNew.GetValue(), LengthSameAs, duration);
}
