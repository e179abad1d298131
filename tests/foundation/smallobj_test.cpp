#include "foundation/smallobj.h"

#include <gtest/gtest.h>

#include <tuple>

#include "foundation/assertion.h"
#include "support/recording_sink.h"

namespace {

// Reads the text and returns the error, or the written-back text on success.
std::string ReadAndWrite(unit& value, const std::string& text) {
  std::string error;
  return value.Read(text, "Field", error) ? value.Write() : error;
}

}  // namespace

TEST(SmallObj, FactorsWriteBackInTheUnitTheyWereTyped) {
  unitVolumeFactor volume(1, kUnitNone);
  EXPECT_EQ(ReadAndWrite(volume, "6 dB"), "6 dB");
  EXPECT_NEAR(volume.GetValue(), 1.9953, 1e-4);
  volume.SetValue(0);  // 0 has no decibel form
  EXPECT_EQ(volume.Write(), "0");
  unitVolumeFactorPosMoreLess1 quieter(0.5, kUnitNone);
  EXPECT_EQ(ReadAndWrite(quieter, "200 %"), "200 %");  // volumes check no sign rule on reading

  unitAngleFactor phase(0, kUnitNone);
  EXPECT_EQ(ReadAndWrite(phase, "-90'"), "-90 '");
  EXPECT_DOUBLE_EQ(phase.GetValue(), 0.75);
  unitBalAngleFactor balance(0, kUnitNone);
  EXPECT_EQ(ReadAndWrite(balance, "45'"), "45 '");
  EXPECT_DOUBLE_EQ(balance.GetValue(), 0.5);
  EXPECT_EQ(balance.GetUnitUsed(), kUnitBalanceDegrees);

  unitFactor factor(1, kUnitSeconds);
  EXPECT_EQ(factor.Write(), "");
  EXPECT_EQ(ReadAndWrite(factor, "1/4"), "0.25");
}

TEST(SmallObj, EachFactorClassAppliesItsSignRuleAndAFailureChangesNothing) {
  unitFactorPos pos(1, kUnitPercent);
  unitFactorNotNul notNul(1, kUnitPercent);
  unitFactorPosMore posMore(1, kUnitPercent);
  unitFactorPosMax1 posMax1(1, kUnitPercent);
  for (const auto& [value, text, error] : std::initializer_list<std::tuple<unitFactor*, const char*, const char*>>{
           {&pos, "-1", "In Field: Value must be positive."}, {&notNul, "0 %", "In Field: Value must be not 0."},
           {&posMore, "0", "In Field: Value must be positive and more than 0."},
           {&posMax1, "1.5", "In Field: Value must be no more than 1."},
           {&posMax1, "1 s", "In Field: Wrong unit used, use: '%' or no unit."}}) {
    EXPECT_EQ(ReadAndWrite(*value, text), error) << text;
    EXPECT_EQ(value->Write(), "100 %") << text;
  }
  EXPECT_EQ(ReadAndWrite(pos, "0"), "0");
}

TEST(SmallObj, IntegersHaveNoUnitAndKeepTheirBound) {
  unitInteger count(3, kUnitSeconds);  // an integer never keeps another unit
  EXPECT_EQ(count.Write(), "3");
  EXPECT_EQ(ReadAndWrite(count, "12.5"), "12");
  EXPECT_EQ(ReadAndWrite(count, "12 %"), "12");
  EXPECT_EQ(count.GetUnitUsed(), kUnitNone);
  EXPECT_EQ(ReadAndWrite(count, "3000000000"), std::string("In Field: ") + readtext::kIntegerTooHigh);
  EXPECT_EQ(count.GetValue(), 12);

  unitIntegerPos pos(1, kUnitNone);
  EXPECT_EQ(ReadAndWrite(pos, "-1"), "In Field: Value must be positive.");
  unitIntegerPosMore posMore(1, kUnitNone);
  EXPECT_EQ(ReadAndWrite(posMore, "0"), "In Field: Value must be positive and more than 0.");

  unitIntegerMoreUser room(40, kUnitNone);
  room.SetBound(4);
  EXPECT_EQ(ReadAndWrite(room, "3"), "In Field: Value must be more or equal of 4.");
  EXPECT_EQ(ReadAndWrite(room, "4"), "4");
  EXPECT_EQ(ReadAndWrite(room, "-5"), "In Field: Value must be more or equal of 4.");
  room.SetBound(-10);
  EXPECT_EQ(ReadAndWrite(room, "-5"), "-5");  // the bound, not the sign rule, decides
}

TEST(SmallObj, TimesFrequenciesAndSampleValuesWriteInTheirUnit) {
  unitTime time(1, kUnitSeconds);
  EXPECT_EQ(ReadAndWrite(time, "10 Hz"), "10 Hz");
  EXPECT_DOUBLE_EQ(time.GetValue(), 0.1);
  EXPECT_EQ(ReadAndWrite(time, "A4"), "440.0074 Hz");  // a note keeps the unit typed before
  EXPECT_EQ(ReadAndWrite(time, "250 ms"), "250 ms");
  unitTimePos timePos(1, kUnitSeconds);
  EXPECT_EQ(ReadAndWrite(timePos, "0 s"), "0 s");
  unitTimePosMore period(1, kUnitSeconds);
  EXPECT_EQ(ReadAndWrite(period, "0 s"), "In Field: Value must be positive and more than 0.");
  EXPECT_EQ(ReadAndWrite(period, "5"), "In Field: Wrong unit used, use: 's', 'ms', 'Hz', 'kHz'.");
  EXPECT_EQ(unitTime(1, kUnitNone).Write(), "");

  unitFreq freq(440, kUnitHertz);
  EXPECT_EQ(ReadAndWrite(freq, "1.5 kHz"), "1.5 kHz");
  EXPECT_EQ(ReadAndWrite(freq, "2 ms"), "2 ms");
  EXPECT_DOUBLE_EQ(freq.GetValue(), 500);

  unitWaveVal level(0, kUnitNone);
  EXPECT_EQ(ReadAndWrite(level, "50 %"), "50 %");
  EXPECT_EQ(level.GetValue(), 16383);
  EXPECT_EQ(ReadAndWrite(level, "-0.5"), "-0.5");
  EXPECT_EQ(ReadAndWrite(level, "1000 $"), "1000 $");
  unitWaveValPosMore positive(1, kUnitRaw);
  EXPECT_EQ(ReadAndWrite(positive, "-1 $"), "In Field: Value must be positive and more than 0.");
}

TEST(SmallObj, WavePositionFollowsTheLengthOfItsWave) {
  unitWavePosition position(0, kUnitSeconds, false);
  position.SetLength(2);
  EXPECT_EQ(ReadAndWrite(position, "-0.5 s"), "-0.5 s");
  EXPECT_DOUBLE_EQ(position.GetValue(), 1.5);
  EXPECT_TRUE(position.IsRelative());
  EXPECT_EQ(ReadAndWrite(position, "3 s"), "In Field: Position must be before the end of the wave");
  EXPECT_EQ(ReadAndWrite(position, "-2.5 s"), "In Field: Position must be not before the start of the previous wave");
  EXPECT_EQ(ReadAndWrite(position, "xyz"), "In Field: Input has no value.");
  EXPECT_DOUBLE_EQ(position.GetValue(), 1.5);
  EXPECT_TRUE(position.IsRelative());

  EXPECT_EQ(ReadAndWrite(position, "50 %"), "50 %");
  EXPECT_DOUBLE_EQ(position.GetValue(), 1);
  EXPECT_FALSE(position.IsRelative());
  position.SetLength(4);  // the same part of the longer wave
  EXPECT_DOUBLE_EQ(position.GetValue(), 2);
  EXPECT_EQ(ReadAndWrite(position, "270'"), "-90 '");
  EXPECT_DOUBLE_EQ(position.GetValue(), 3);

  EXPECT_EQ(ReadAndWrite(position, "1 s"), "1 s");
  position.SetLength(8);  // a time stays the same time
  EXPECT_DOUBLE_EQ(position.GetValue(), 1);

  unitWavePosition empty(0, kUnitPercent, false);
  EXPECT_EQ(empty.Write(), "");  // no length yet: nothing to divide by
  empty.SetLength(0);
  EXPECT_EQ(ReadAndWrite(empty, "0 s"), "In Field: Position must be before the end of the wave");
  EXPECT_THROW(empty.SetLength(-1), AssertionFailure);
}

TEST(SmallObj, ReadFieldShowsOnlyTheFirstFaultyField) {
  RecordingSink sink;
  unitFactor gain(1, kUnitNone);
  unitTime delay(0.5, kUnitSeconds);
  unitInteger count(7, kUnitNone);
  bool ok = true;
  count.ReadField(ok, "8", "Count");
  gain.ReadField(ok, "2 x", "Gain");
  delay.ReadField(ok, "oops", "Delay");
  count.ReadField(ok, "9", "Count");
  EXPECT_FALSE(ok);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "In Gain: This unit does not exist, use: '%' or no unit.");
  EXPECT_EQ(sink.messages[0].caption, "Input Error");
  EXPECT_EQ(sink.messages[0].flags, kMbOk | kMbIconInformation);
  EXPECT_EQ(count.GetValue(), 8);
  EXPECT_DOUBLE_EQ(delay.GetValue(), 0.5);
}

TEST(SmallObj, CopiesAndSelfAssignmentKeepValueAndUnit) {
  unitVolumeFactor volume(1, kUnitNone);
  ReadAndWrite(volume, "-6 dB");
  auto& alias = volume;
  volume = alias;
  EXPECT_EQ(volume.Write(), "-6 dB");
  unitVolumeFactor copy = volume;
  volume.SetValue(-1);
  EXPECT_EQ(copy.Write(), "-6 dB");
  EXPECT_EQ(volume.Write(), "-1");
}
