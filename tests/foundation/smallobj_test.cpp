#include "foundation/smallobj.h"

#include <gtest/gtest.h>

#include "foundation/assertion.h"
#include "support/recording_sink.h"

namespace {

// Reads the text and returns the error, or the written-back text on success.
std::string ReadAndWrite(unit& value, const std::string& text) {
  std::string error;
  return value.Read(text, "Field", error) ? value.Write() : error;
}

// The result is the written-back text, or the error.
struct ReadCase { unit* value; const char* text; std::string result; };

}  // namespace

TEST(SmallObj, EachValueWritesBackInTheUnitItWasTypedIn) {
  unitVolumeFactor volume(1, kUnitNone);
  unitVolumeFactorPosMoreLess1 quieter(0.5, kUnitNone);
  unitAngleFactor phase(0, kUnitNone);
  unitBalAngleFactor balance(0, kUnitNone);
  unitFactor factor(1, kUnitSeconds);
  unitInteger count(3, kUnitSeconds);  // an integer never keeps another unit
  unitTime time(1, kUnitSeconds);
  unitTimePos timePos(1, kUnitSeconds);
  unitFreq freq(440, kUnitHertz);
  unitWaveVal level(0, kUnitNone);
  EXPECT_EQ(factor.Write() + count.Write() + unitTime(1, kUnitNone).Write(), "3");
  for (const ReadCase& c : {ReadCase{&volume, "6 dB", "6 dB"},
                            ReadCase{&volume, "-9000 dB", "0"},  // so quiet it is 0, which has no decibel form
                            ReadCase{&quieter, "-6 dB", "-6 dB"},
                            ReadCase{&phase, "-90'", "-90 '"}, ReadCase{&balance, "45'", "45 '"},
                            ReadCase{&factor, "1/4", "0.25"}, ReadCase{&count, "12 %", "12"},
                            ReadCase{&time, "10 Hz", "10 Hz"}, ReadCase{&timePos, "0 s", "0 s"},
                            ReadCase{&time, "A4", "440.0074 Hz"},  // a note keeps the unit typed before
                            ReadCase{&freq, "1.5 kHz", "1.5 kHz"}, ReadCase{&freq, "2 ms", "2 ms"},
                            ReadCase{&level, "50 %", "50 %"}, ReadCase{&level, "1000 $", "1000 $"}})
    EXPECT_EQ(ReadAndWrite(*c.value, c.text), c.result) << c.text;
  EXPECT_EQ(std::pair(count.GetUnitUsed(), balance.GetUnitUsed()),
            std::pair(uint8_t{kUnitNone}, uint8_t{kUnitBalanceDegrees}));
  EXPECT_DOUBLE_EQ(freq.GetValue(), 500);  // the value itself, typed as a period
  volume.SetValue(0);  // 0 has no decibel form
  EXPECT_EQ(volume.Write(), "0");
}

TEST(SmallObj, EachClassAppliesItsSignRuleAndAFailureChangesNeitherValueNorUnit) {
  unitFactorPos pos(1, kUnitPercent);
  unitFactorNotNul notNul(1, kUnitPercent);
  unitFactorPosMore posMore(1, kUnitPercent);
  unitFactorPosMax1 posMax1(1, kUnitPercent);
  unitInteger count(12, kUnitNone);
  unitIntegerPos intPos(1, kUnitNone);
  unitIntegerPosMore intPosMore(1, kUnitNone);
  unitIntegerMoreUser room(40, kUnitNone);
  room.SetBound(4);
  unitTimePosMore period(1, kUnitSeconds);
  unitWaveValPosMore positive(1, kUnitRaw);
  unitVolumeFactorPosMoreLess1 quieter(0.5, kUnitPercent);
  const std::string positiveMore = "In Field: Value must be positive and more than 0.";
  for (const ReadCase& c : {ReadCase{&pos, "-1", "In Field: Value must be positive."},
                            ReadCase{&notNul, "0 %", "In Field: Value must be not 0."},
                            ReadCase{&posMore, "0", positiveMore},
                            ReadCase{&posMax1, "1.5", "In Field: Value must be no more than 1."},
                            ReadCase{&posMax1, "1 s", "In Field: Wrong unit used, use: '%' or no unit."},
                            ReadCase{&count, "3000000000", std::string("In Field: ") + readtext::kIntegerTooHigh},
                            ReadCase{&intPosMore, "0", positiveMore},
                            ReadCase{&room, "-5", "In Field: Value must be more or equal of 4."},
                            ReadCase{&period, "0 s", positiveMore},
                            ReadCase{&period, "5", "In Field: Wrong unit used, use: 's', 'ms', 'Hz', 'kHz'."},
                            ReadCase{&positive, "-1 $", positiveMore},
                            ReadCase{&quieter, "0 dB", "In Field: Value must be less than 1."},
                            ReadCase{&quieter, "-1 %", positiveMore}}) {
    const std::string before = c.value->Write();
    EXPECT_EQ(ReadAndWrite(*c.value, c.text), c.result) << c.text;
    EXPECT_EQ(c.value->Write(), before) << c.text;
  }
  EXPECT_EQ(ReadAndWrite(pos, "0") + ReadAndWrite(room, "4"), "04");
  room.SetBound(-10);
  EXPECT_EQ(ReadAndWrite(room, "-5"), "-5");  // the bound, not the sign rule, decides
}

TEST(SmallObj, WavePositionFollowsTheLengthOfItsWave) {
  unitWavePosition position(0, kUnitSeconds, false);
  position.SetLength(2);
  EXPECT_EQ(ReadAndWrite(position, "-0.5 s"), "-0.5 s");
  EXPECT_EQ(std::pair(position.GetValue(), position.IsRelative()), std::pair(1.5, true));
  EXPECT_EQ(ReadAndWrite(position, "3 s"), "In Field: Position must be before the end of the wave");
  EXPECT_EQ(ReadAndWrite(position, "-2.5 s"), "In Field: Position must be not before the start of the previous wave");
  EXPECT_EQ(ReadAndWrite(position, "xyz"), "In Field: Input has no value.");
  EXPECT_EQ(std::pair(position.GetValue(), position.IsRelative()), std::pair(1.5, true));

  EXPECT_EQ(ReadAndWrite(position, "50 %"), "50 %");
  EXPECT_EQ(std::pair(position.GetValue(), position.IsRelative()), std::pair(1.0, false));
  position.SetLength(4);  // the same part of the longer wave
  EXPECT_DOUBLE_EQ(position.GetValue(), 2);
  EXPECT_EQ(ReadAndWrite(position, "270'"), "-90 '");
  EXPECT_DOUBLE_EQ(position.GetValue(), 3);
  EXPECT_EQ(ReadAndWrite(position, "1 s"), "1 s");
  position.SetLength(8);  // a time stays the same time
  EXPECT_DOUBLE_EQ(position.GetValue(), 1);

  unitWavePosition empty(0, kUnitPercent, false);
  empty.SetLength(0);
  EXPECT_EQ(empty.Write(), "");  // nothing to divide by
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
  EXPECT_EQ(sink.messages, (std::vector<RecordedMessage>{{"In Gain: This unit does not exist, use: '%' or no unit.",
                                                         "Input Error", kMbOk | kMbIconInformation}}));
  EXPECT_EQ(count.GetValue(), 8);
}
