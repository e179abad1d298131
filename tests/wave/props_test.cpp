#include "wave/props.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/assertion.h"

namespace {

// Documents named "six" have a sound of 6 s; no other name has a sound.
double SixSecondsForSix(const unitUnitWave& wave) { return wave.GetName() == "six" ? 6.0 : 0.0; }

class ScopedSoundTimes {
 public:
  ScopedSoundTimes() : previous_(SetSoundTimeLookup(SixSecondsForSix)) {}
  ~ScopedSoundTimes() { SetSoundTimeLookup(previous_); }
  ScopedSoundTimes(const ScopedSoundTimes&) = delete;
  ScopedSoundTimes& operator=(const ScopedSoundTimes&) = delete;

 private:
  SoundTimeLookup previous_;
};

struct Default {
  const char* field;
  double value;
  uint8_t code;
};

}  // namespace

TEST(ParameterRecords, DefaultsCarryTheirValuesAndUnitCodes) {
  const TBlockTriangleProps bt;
  const TTempoPitchProps tp;
  const TRollOutProps ro;
  const TRandomEchoProps re;
  const TBalanceProps ba;
  const TLineProps li;
  const Default table[] = {
      {"line end", static_cast<double>(li.EndValue.GetValue()), li.EndValue.GetUnitUsed()},
      {"silence", TSilenceProps().Length.GetValue(), TSilenceProps().Length.GetUnitUsed()},
      {"rotate time", TRotateProps().Time.GetValue(), TRotateProps().Time.GetUnitUsed()},
      {"block height", static_cast<double>(TBlockProps().VertHeight.GetValue()), TBlockProps().VertHeight.GetUnitUsed()},
      {"triangle height 2", static_cast<double>(bt.Height2.GetValue()), bt.Height2.GetUnitUsed()},
      {"triangle frequency", bt.Frequency.GetValue(), bt.Frequency.GetUnitUsed()},
      {"triangle count", bt.LengthCount.GetValue(), bt.LengthCount.GetUnitUsed()},
      {"sinus phase", TSinusProps().StartPhase.GetValue(), TSinusProps().StartPhase.GetUnitUsed()},
      {"balance", ba.DirConstant.GetValue(), ba.DirConstant.GetUnitUsed()},
      {"high/low volume", THighLowProps().VolumeFactor.GetValue(), THighLowProps().VolumeFactor.GetUnitUsed()},
      {"notch width", TResNotchProps().WidthConstant.GetValue(), TResNotchProps().WidthConstant.GetUnitUsed()},
      {"echo time", TPerEchoProps().Time.GetValue(), TPerEchoProps().Time.GetUnitUsed()},
      {"pitch", tp.FreqFactor.GetValue(), tp.FreqFactor.GetUnitUsed()},
      {"pitch block", tp.BlockSize.GetValue(), tp.BlockSize.GetUnitUsed()},
      {"roll-out speed", ro.SpeedFactor.GetValue(), ro.SpeedFactor.GetUnitUsed()},
      {"random time", re.TimeDiff.GetValue(), re.TimeDiff.GetUnitUsed()},
      {"random pitch", re.FreqFactor.GetValue(), re.FreqFactor.GetUnitUsed()},
      {"right to right", TLeftRightProps().Right2Right.GetValue(), TLeftRightProps().Right2Right.GetUnitUsed()},
  };
  const Default expected[] = {
      {"line end", -16384, 1}, {"silence", 0.1, 4},   {"rotate time", 0.1, 3}, {"block height", 3277, 1},
      {"triangle height 2", -16383, 1}, {"triangle frequency", 0.001, 6}, {"triangle count", 10, 0},
      {"sinus phase", 0, 8}, {"balance", 0, 9}, {"high/low volume", 0.5, 1}, {"notch width", 0.25, 0},
      {"echo time", 0.01, 4}, {"pitch", 2.0, 1}, {"pitch block", 0.04, 4}, {"roll-out speed", 2.0, 1},
      {"random time", 1.0, 4}, {"random pitch", 2.0, 0}, {"right to right", 1.0, 1},
  };
  static_assert(std::size(table) == std::size(expected));
  for (size_t i = 0; i < std::size(table); ++i) {
    SCOPED_TRACE(table[i].field);
    EXPECT_DOUBLE_EQ(table[i].value, expected[i].value);
    EXPECT_EQ(table[i].code, expected[i].code);
  }
  EXPECT_EQ(tp.SelTime, 0);
  EXPECT_FALSE(TRollInProps().EndAt.IsRelative());
  EXPECT_EQ(re.VolumeSource, 1);
  EXPECT_EQ(re.TempoSource, 5);
  EXPECT_TRUE(re.BalTimeDiff);
  EXPECT_EQ(ba.VolumeDiff, 1);
  EXPECT_TRUE(TRotateProps().ByFactor);
  EXPECT_TRUE(bt.MiddleEnvelope.GetName().empty());
}

TEST(ParameterRecords, RotateTimeWrapsIntoTheDuration) {
  TRotateProps r;
  EXPECT_DOUBLE_EQ(r.GetRotateTime(2.0), 0.2);
  r.Shift = 1;
  EXPECT_DOUBLE_EQ(r.GetRotateTime(2.0), 1.8);
  r.Shift = 0;
  r.Factor.SetValue(1);
  EXPECT_DOUBLE_EQ(r.GetRotateTime(2.0), 0);
  r.ByFactor = false;
  r.Time.SetValue(-0.5);
  EXPECT_DOUBLE_EQ(r.GetRotateTime(2.0), 1.5);
  r.Time.SetValue(5e12);  // far more periods than 32 bits count
  EXPECT_DOUBLE_EQ(r.GetRotateTime(2.0), 0);
  EXPECT_EQ(r.GetRotateTime(0), 0);
}

TEST(ParameterRecords, BlockTimeAndLevelsFollowTheirKinds) {
  TBlockProps b;
  EXPECT_EQ(b.HorKind, 0);
  EXPECT_EQ(b.VertKind, 0);
  EXPECT_DOUBLE_EQ(b.GetHorBlockTime(2.0), 0.1);
  b.HorKind = 2;
  EXPECT_DOUBLE_EQ(b.GetHorBlockTime(2.0), 0.01);
  b.VertKind = 2;
  EXPECT_EQ(b.GetVertLevels(), 9);
  b.VertKind = 1;
  EXPECT_EQ(b.GetVertLevels(), 20);

  TBlockProps zero;
  zero.HorCount.SetValue(0);
  zero.VertHeight.SetValue(0);
  EXPECT_EQ(zero.GetHorBlockTime(2.0), 0);
  EXPECT_EQ(zero.GetVertLevels(), 0);
}

TEST(ParameterRecords, BlockTriangleDerivesPeriodMiddleAndLength) {
  ScopedSoundTimes sounds;
  TBlockTriangleProps p;
  EXPECT_DOUBLE_EQ(p.GetPeriod(), 0.001);
  EXPECT_DOUBLE_EQ(p.GetMiddle(), 0.5);
  EXPECT_DOUBLE_EQ(p.GetLength(), 1.0);
  p.LengthKind = 2;
  EXPECT_DOUBLE_EQ(p.GetLength(), 0.01);
  p.MiddleKind = 1;
  EXPECT_TRUE(p.HasMiddleEnvelope());
  EXPECT_THROW(p.GetMiddle(), AssertionFailure);

  p.BloTriHorKind = bloTriTime;  // two times decide the middle, whatever the middle kind says
  p.Time1.SetValue(0.002);
  p.Time2.SetValue(0.006);
  EXPECT_FALSE(p.HasMiddleEnvelope());
  EXPECT_DOUBLE_EQ(p.GetPeriod(), 0.008);
  EXPECT_DOUBLE_EQ(p.GetMiddle(), 0.25);
  EXPECT_DOUBLE_EQ(p.GetLength(), 0.08);

  p.LengthKind = 1;
  p.LengthSameAs.SetName("six");
  EXPECT_DOUBLE_EQ(p.GetLength(), 6.0);
  p.LengthSameAs.SetName("closed");
  EXPECT_EQ(p.GetLength(), 0);
  p.LengthKind = 3;
  EXPECT_EQ(p.GetLength(), 0);
}

TEST(ParameterRecords, SinusCountIsLengthOverPeriodOrTheCountField) {
  TSinusProps s;
  EXPECT_DOUBLE_EQ(s.GetCount(), 0.5 / 0.001);
  s.Count.SetValue(7);
  s.LengthKind = 1;
  EXPECT_DOUBLE_EQ(s.GetCount(), 7);
  s.LengthKind = 0;
  s.Frequency.SetValue(0);
  EXPECT_EQ(s.GetCount(), 0);
}

TEST(ParameterRecords, LengthFactorsFollowTheLengthKind) {
  ScopedSoundTimes sounds;
  TTempoPitchProps tp;
  tp.SelTime = 8;
  tp.LengthSameAs.SetName("six");
  tp.SpeedFactor.SetValue(-2);
  const double tempoFactors[] = {0.5, 0.25, 0.75, 1.5, 0};
  for (uint8_t kind = 0; kind < 5; ++kind) {
    tp.LengthKind = kind;
    EXPECT_DOUBLE_EQ(tp.GetLengthFactor(), tempoFactors[kind]) << "kind " << int{kind};
  }
  tp.LengthKind = 1;
  tp.SelTime = 0;
  EXPECT_EQ(tp.GetLengthFactor(), 0);
  tp.LengthKind = 3;
  tp.SpeedFactor.SetValue(0);
  EXPECT_EQ(tp.GetLengthFactor(), 0);

  TRollOutProps ro;
  ro.LengthKind = 3;
  EXPECT_DOUBLE_EQ(ro.GetLengthFactor(), 1.5);
  ro.LengthKind = 1;
  ro.SelTime = 4;
  EXPECT_DOUBLE_EQ(ro.GetLengthFactor(), 0.5);

  TLengthProps le;
  le.LengthSameAs.SetName("six");
  const double lengthFactors[] = {0.5, 0.5, 1.5, 0};
  for (uint8_t kind = 0; kind < 4; ++kind) {
    le.LengthKind = kind;
    EXPECT_DOUBLE_EQ(le.GetLengthFactor(4.0), lengthFactors[kind]) << "kind " << int{kind};
  }
}

TEST(ParameterRecords, CopiesKeepUnitCodesAndAreIndependent) {
  TVolumeProps source;
  std::string error;
  ASSERT_TRUE(source.VolumeFactor.Read("-6dB", "Constant", error));
  source.Envelope.SetName("env");
  source.Mode = 1;

  TVolumeProps copy(source);
  EXPECT_EQ(copy.VolumeFactor.GetUnitUsed(), kUnitDecibel);
  EXPECT_EQ(copy.VolumeFactor.Write(), source.VolumeFactor.Write());
  EXPECT_EQ(copy.Envelope.GetName(), "env");
  EXPECT_EQ(copy.Mode, 1);
  copy.VolumeFactor.SetValue(0.25);
  copy.Envelope.SetName("other");
  EXPECT_NE(source.VolumeFactor.GetValue(), 0.25);
  EXPECT_EQ(source.Envelope.GetName(), "env");

  TTempoPitchProps assigned;
  TTempoPitchProps tp;
  tp.SelTime = 3;
  ASSERT_TRUE(tp.LengthNew.Read("1500ms", "New Length", error));
  assigned = tp;
  TTempoPitchProps& same = assigned;
  assigned = same;
  EXPECT_EQ(assigned.SelTime, 3);
  EXPECT_DOUBLE_EQ(assigned.LengthNew.GetValue(), 1.5);
  EXPECT_EQ(assigned.LengthNew.GetUnitUsed(), kUnitMilliseconds);
}
