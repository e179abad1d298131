#include "wave/props.h"

#include <gtest/gtest.h>

#include <tuple>

#include "foundation/assertion.h"

// Documents named "six" have a sound of 6 s; no other name has a sound.
class ParameterRecords : public testing::Test {
 protected:
  ParameterRecords() : previous_(SetSoundTimeLookup(SixSecondsForSix)) {}
  ~ParameterRecords() override { SetSoundTimeLookup(previous_); }
  static double SixSecondsForSix(const unitUnitWave& wave) { return wave.GetName() == "six" ? 6.0 : 0.0; }
  SoundTimeLookup previous_;
};

TEST_F(ParameterRecords, RotateTimeWrapsIntoTheDuration) {
  struct Case { bool byFactor; uint8_t shift; double factor, time, duration, rotated; };
  for (const Case& c : {Case{true, 0, 0.1, 0, 2, 0.2}, Case{true, 1, 0.1, 0, 2, 1.8}, Case{true, 0, 1, 0, 2, 0},
                        Case{false, 0, 1, -0.5, 2, 1.5},
                        Case{false, 0, 1, 5e12 + 1, 2, 1.0},  // far more periods than 32 bits count
                        Case{false, 0, 1, 5e12 + 1, 0, 0}}) {
    TRotateProps r;
    r.ByFactor = c.byFactor;
    r.Shift = c.shift;
    r.Factor.SetValue(c.factor);
    r.Time.SetValue(c.time);
    EXPECT_DOUBLE_EQ(r.GetRotateTime(c.duration), c.rotated) << c.factor << " " << c.time;
  }
}

TEST_F(ParameterRecords, BlockTimeAndLevelsFollowTheirKinds) {
  TBlockProps b;
  EXPECT_EQ(std::tuple(b.HorKind, b.VertKind, b.GetHorBlockTime(2.0)), std::tuple(0, 0, 0.1));
  b.HorKind = 2;
  b.VertKind = 2;
  EXPECT_EQ(std::pair(b.GetHorBlockTime(2.0), b.GetVertLevels()), std::pair(0.01, 9));
  TBlockProps zero;
  zero.HorCount.SetValue(0);
  zero.VertHeight.SetValue(0);
  EXPECT_EQ(std::pair(zero.GetHorBlockTime(2.0), zero.GetVertLevels()), std::pair(0.0, 0));
}

TEST_F(ParameterRecords, BlockTriangleDerivesPeriodMiddleAndLength) {
  TBlockTriangleProps p;
  EXPECT_EQ(std::tuple(p.GetPeriod(), p.GetMiddle(), p.GetLength()), std::tuple(0.001, 0.5, 1.0));
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

TEST_F(ParameterRecords, SinusCountIsLengthOverPeriodOrTheCountField) {
  TSinusProps s;
  EXPECT_DOUBLE_EQ(s.GetCount(), 0.5 / 0.001);
  s.Count.SetValue(7);
  s.LengthKind = 1;
  EXPECT_DOUBLE_EQ(s.GetCount(), 7);
  s.LengthKind = 0;
  s.Frequency.SetValue(0);
  EXPECT_EQ(s.GetCount(), 0);
}

TEST_F(ParameterRecords, LengthFactorsFollowTheLengthKind) {
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

  TLengthProps le;
  le.LengthSameAs.SetName("six");
  const double lengthFactors[] = {0.5, 0.5, 1.5, 0};
  for (uint8_t kind = 0; kind < 4; ++kind) {
    le.LengthKind = kind;
    EXPECT_DOUBLE_EQ(le.GetLengthFactor(4.0), lengthFactors[kind]) << "kind " << int{kind};
  }
}
