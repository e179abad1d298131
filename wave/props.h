// The parameters of each wave operation, kept as plain values: the main window holds a default
// per operation, each wave document its own copy, and a dialog edits another copy. Every number is
// a typed value, so a copy shows it in the unit the user last typed it in.
#pragma once

#include <cstdint>

#include "foundation/readers.h"
#include "foundation/smallobj.h"
#include "wave/unitwaveref.h"

// The duration in seconds of the sound of the open document a reference names, 0 when it names
// none. Only the wave document can reach a document's sound, so it installs the lookup; until one
// is installed no reference has a sound.
using SoundTimeLookup = double (*)(const unitUnitWave& wave);
// Installs a lookup (null restores the one that finds nothing) and returns the previous one.
SoundTimeLookup SetSoundTimeLookup(SoundTimeLookup lookup);
double SoundTimeOf(const unitUnitWave& wave);

struct TVolumeProps {
  uint8_t Mode = 0;  // 0 constant factor, 1 envelope
  unitUnitWave Envelope;
  unitVolumeFactor VolumeFactor{0.5, kUnitPercent};
};

struct TSilenceProps {
  unitTimePosMore Length{0.1, kUnitMilliseconds};
};

struct TLineProps {
  uint8_t Kind = 0;  // 0 linear, 1 exponential
  unitWaveVal BeginValue{16383, kUnitPercent};
  unitWaveVal EndValue{-16384, kUnitPercent};
  unitTimePosMore Length{0.1, kUnitMilliseconds};
};

struct TNoiseProps {
  unitWaveVal Volume{16383, kUnitPercent};
  unitTimePosMore Length{0.5, kUnitMilliseconds};
};

struct TRotateProps {
  uint8_t Shift = 0;  // 0 to the left, 1 to the right
  bool ByFactor = true;
  unitAngleFactor Factor{0.1, kUnitNone};
  unitTime Time{0.1, kUnitSeconds};

  // The rotation distance in seconds, within [0, duration); 0 for a wave without duration.
  double GetRotateTime(double duration) const;
};

struct TBlockProps {
  uint8_t HorKind = 0;   // 0 no change, 1 count, 2 time
  uint8_t VertKind = 0;  // 0 no change, 1 count, 2 height
  unitIntegerPosMore HorCount{20, kUnitNone};
  unitIntegerPosMore VertCount{20, kUnitNone};
  unitTimePosMore HorTime{0.01, kUnitMilliseconds};
  unitWaveValPosMore VertHeight{3277, kUnitPercent};

  // Block length in seconds; 0 (no change) when the count is not positive.
  double GetHorBlockTime(double duration) const;
  // Number of height levels; 0 (no change) when the height is not positive.
  int32_t GetVertLevels() const;
};

inline constexpr uint8_t bloTriFrequency = 0;
inline constexpr uint8_t bloTriTime = 1;

struct TBlockTriangleProps {
  unitWaveVal Height1{16383, kUnitPercent};
  unitWaveVal Height2{-16383, kUnitPercent};
  uint8_t BloTriHorKind = bloTriFrequency;
  unitTimePosMore Frequency{0.001, kUnitKiloHertz};  // a period in seconds
  uint8_t MiddleKind = 0;                            // 0 constant, 1 envelope
  unitAngleFactor Middle{0.5, kUnitPercent};
  unitUnitWave MiddleEnvelope;
  unitTimePosMore Time1{0.005, kUnitMilliseconds};
  unitTimePosMore Time2{0.005, kUnitMilliseconds};
  uint8_t LengthKind = 0;  // 0 new length, 1 same length as a wave, 2 count of periods
  unitTimePosMore LengthNew{1.0, kUnitSeconds};
  unitUnitWave LengthSameAs;
  unitFactorPosMore LengthCount{10, kUnitNone};
  unitAngleFactor StartPosition{0, kUnitNone};

  double GetPeriod() const;
  bool HasMiddleEnvelope() const;
  // The turn as a fraction of the period; only without a middle envelope. Two times that add up
  // to nothing turn in the middle.
  double GetMiddle() const;
  // Length of the result in seconds; 0 for a kind it does not know.
  double GetLength() const;
};

struct TSinusProps {
  uint8_t LengthKind = 0;  // 0 by length, 1 by count of periods
  unitWaveVal Amplitude{16383, kUnitPercent};
  unitTimePosMore Frequency{0.001, kUnitKiloHertz};  // a period in seconds
  unitAngleFactor StartPhase{0, kUnitDegrees};
  unitTimePosMore Length{0.5, kUnitMilliseconds};
  unitFactorPosMore Count{500, kUnitNone};

  // Number of periods; 0 when the period is not positive.
  double GetCount() const;
};

struct TRollInProps {
  uint8_t Placement = 0;  // 0 start at, 1 end at
  unitTimePosMore Length{1.0, kUnitSeconds};
  unitWavePosition StartAt{0, kUnitPercent, false};
  unitWavePosition EndAt{0, kUnitPercent, false};
};

struct TUpProps {
  unitWaveVal AddValue{16383, kUnitPercent};
};

// New left = Left2Left * left + Right2Left * right; new right = Left2Right * left + Right2Right * right.
struct TLeftRightProps {
  unitVolumeFactor Left2Left{1.0, kUnitPercent};
  unitVolumeFactor Left2Right{0, kUnitPercent};
  unitVolumeFactor Right2Left{0, kUnitPercent};
  unitVolumeFactor Right2Right{1.0, kUnitPercent};
};

struct TResNotchProps {
  uint8_t FreqKind = 0;  // 0 constant, 1 envelope
  unitUnitWave FreqEnvelope;
  unitTimePosMore FreqConstant{0.001, kUnitKiloHertz};  // the period of the centre frequency
  uint8_t WidthKind = 0;                                // 0 constant, 1 envelope
  unitUnitWave WidthEnvelope;
  unitFactorPosMax1 WidthConstant{0.25, kUnitNone};
};

struct TPerEchoProps {
  unitTime Time{0.01, kUnitMilliseconds};  // may be negative
  bool TimeEnvelopeUsed = false;
  unitUnitWave TimeEnvelope;
  uint8_t VolumeKind = 0;  // 0 constant, 1 envelope
  unitUnitWave VolumeEnvelope;
  unitVolumeFactor VolumeConstant{1.0, kUnitPercent};
  unitIntegerPosMore Count{1, kUnitNone};
};

struct THighLowProps {
  uint8_t FreqKind = 0;  // 0 constant, 1 envelope
  unitUnitWave FreqEnvelope;
  unitTimePosMore FreqConstant{0.001, kUnitKiloHertz};  // the filter time
  unitVolumeFactorPosMoreLess1 VolumeFactor{0.5, kUnitPercent};
  unitIntegerPosMore Count{1, kUnitNone};
  bool MaximizeVolume = false;
};

struct TBlockFilterProps {
  bool TimeEnvelopeUsed = false;
  unitUnitWave TimeEnvelope;
  unitTime TimeConstant{0.01, kUnitMilliseconds};
};

struct TBalanceProps {
  uint8_t DirKind = 0;  // 0 constant, 1 envelope
  unitBalAngleFactor DirConstant{0, kUnitBalanceDegrees};
  unitUnitWave DirEnvelope;
  bool TimeDiff = true;
  uint8_t VolumeDiff = 1;  // 0 none, 1 volume, 2 filter
};

struct TMixProps {
  uint8_t Place = 0;  // 0 align begin, 1 align end, 2 stretch
};

// Length kinds shared by the records that change a length: 0 a factor, 1 a new length, 2 the
// length of another wave, 3 (tempo and roll out only) a count of the speed.
struct TTempoPitchProps {
  double SelTime = 0;  // duration of the selection, set by the command before the dialog
  unitFactorNotNul FreqFactor{2.0, kUnitPercent};
  bool FreqEnvelopeUsed = false;
  unitUnitWave FreqEnvelope;
  unitFactorNotNul SpeedFactor{1.0, kUnitPercent};
  bool SpeedEnvelopeUsed = false;
  unitUnitWave SpeedEnvelope;
  uint8_t LengthKind = 0;
  unitFactorPosMore LengthFactor{0.5, kUnitPercent};
  unitTimePosMore LengthNew{2.0, kUnitSeconds};
  unitUnitWave LengthSameAs;
  unitFactorPosMore LengthCount{3.0, kUnitNone};
  unitWavePosition StartPosition{0, kUnitPercent, false};
  uint8_t Quality = 0;  // 0 low, 1 high
  unitTimePosMore BlockSize{0.04, kUnitMilliseconds};

  // New length / old length; 0 for a kind it does not know, and where it would divide by a
  // duration or speed of 0.
  double GetLengthFactor() const;
  // The two-head form with a pitch envelope and a constant speed is made for forward speeds only.
  bool TwoHeadsBackward() const;
};

struct TRollOutProps {
  double SelTime = 0;  // duration of the selection, set by the command before the dialog
  unitFactorNotNul SpeedFactor{2.0, kUnitPercent};
  bool SpeedEnvelopeUsed = false;
  unitUnitWave SpeedEnvelope;
  uint8_t LengthKind = 0;
  unitFactorPosMore LengthFactor{0.5, kUnitPercent};
  unitTimePosMore LengthNew{2.0, kUnitSeconds};
  unitUnitWave LengthSameAs;
  unitFactorPosMore LengthCount{3.0, kUnitNone};
  unitWavePosition StartPosition{0, kUnitPercent, false};

  // As TTempoPitchProps::GetLengthFactor.
  double GetLengthFactor() const;
};

struct TLengthProps {
  uint8_t LengthKind = 0;  // 0 factor, 1 new length, 2 same length as a wave
  unitFactor LengthFactor{0.5, kUnitPercent};
  unitTimePosMore LengthNew{2.0, kUnitSeconds};
  unitUnitWave LengthSameAs;

  // New length / old length; 0 for a kind it does not know or a duration of 0.
  double GetLengthFactor(double duration) const;
};

// Each property of an echo varies by one of the six dice (0 to 5) chosen in its source.
struct TRandomEchoProps {
  int32_t ActivePage = 0;  // dialog page shown last
  unitIntegerPosMore Count{20, kUnitNone};
  bool Cyclable = false;
  unitInteger RandomSeed{0, kUnitNone};
  unitTimePosMore TimeDiff{1.0, kUnitMilliseconds};
  uint8_t TimeKind = 0;  // 0 linear, 1 random envelope
  unitUnitWave TimeEnvelope;
  int32_t TimeSource = 0;
  uint8_t VolumeKind = 0;  // 0 no change, 1 linear, 2 random envelope
  unitUnitWave VolumeEnvelope;
  int32_t VolumeSource = 1;
  uint8_t LengthKind = 0;  // 0 no change, 1 random envelope
  unitUnitWave LengthEnvelope;
  int32_t LengthSource = 2;
  uint8_t BalKind = 0;  // 0 no change, 1 linear, 2 random envelope
  unitUnitWave BalEnvelope;
  int32_t BalSource = 3;
  uint8_t BalVolume = 1;  // 0 none, 1 volume, 2 filter
  bool BalTimeDiff = true;
  unitFactor FreqFactor{2.0, kUnitNone};
  uint8_t PitchKind = 0;  // 0 no change, 1 random envelope
  unitUnitWave PitchEnvelope;
  int32_t PitchSource = 4;
  uint8_t TempoKind = 0;  // 0 no change, 1 random envelope
  unitUnitWave TempoEnvelope;
  int32_t TempoSource = 5;
  uint8_t Quality = 0;  // 0 low, 1 high
  unitTimePosMore BlockSize{0.04, kUnitMilliseconds};
};

struct TDistortProps {
  unitUnitWave DistortEnvelope;
};
