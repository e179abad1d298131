#include "foundation/readers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/assertion.h"
#include "foundation/writers.h"

namespace {

// Reads a plain number from the start and returns the message on failure.
std::string Number(const std::string& text, double& value) {
  TStringReader reader(text);
  size_t cursor = 0;
  return reader.ReadNumber(cursor, value) ? "" : reader.GetError();
}

template <typename T, typename Parse>
std::string Parsed(const std::string& text, T& value, Parse parse) {
  TStringReader reader(text);
  return parse(reader, value) ? "" : reader.GetError();
}

std::string Factor(const std::string& text, double& v, uint8_t rule = 0) {
  return Parsed(text, v, [rule](TStringReader& r, double& x) { return r.ReadFactor(x, rule); });
}
std::string Time(const std::string& text, double& v, uint8_t rule = 0) {
  return Parsed(text, v, [rule](TStringReader& r, double& x) { return r.ReadTime(x, rule); });
}
std::string Freq(const std::string& text, double& v) {
  return Parsed(text, v, [](TStringReader& r, double& x) { return r.ReadFreq(x, 0); });
}
std::string WaveValue(const std::string& text, int16_t& v, uint8_t rule = 0) {
  return Parsed(text, v, [rule](TStringReader& r, int16_t& x) { return r.ReadWaveValue(x, rule); });
}
std::string Int(const std::string& text, int32_t& v) {
  return Parsed(text, v, [](TStringReader& r, int32_t& x) { return r.ReadInt(x, 0); });
}

struct Good {
  const char* text;
  double value;
};
struct Bad {
  const char* text;
  const char* message;
};

}  // namespace

TEST(Readers, NumbersWithSignsSeparatorsAndFractions) {
  for (const Good& c : {Good{"1/3", 1.0 / 3}, Good{"-5", -5}, Good{"- 5", -5}, Good{"+7", 7}, Good{"2,5", 2.5},
                        Good{"2.5", 2.5}, Good{".5", 0.5}, Good{"5.", 5}, Good{".", 0}, Good{"-3/4", -0.75},
                        Good{"0.12345678901234", 0.1234567890}}) {
    double value = -99;
    EXPECT_EQ(Number(c.text, value), "") << c.text;
    EXPECT_DOUBLE_EQ(value, c.value) << c.text;
  }
  for (const Bad& c : {Bad{"1/0", readtext::kBrokeInvalid}, Bad{"/3", readtext::kNoValueBeforeSlash},
                       Bad{"3/", readtext::kNoValueAfterSlash}, Bad{"", readtext::kNoValue},
                       Bad{"abc", readtext::kNoValue}, Bad{" -5", readtext::kNoValue}, Bad{"--5", readtext::kNoValue}}) {
    double value;
    EXPECT_EQ(Number(c.text, value), c.message) << c.text;
  }
  EXPECT_EQ(std::string(readtext::kBrokeInvalid), "Broke is invalid.");
}

TEST(Readers, UnitSuffixesAreTriedInOrderInAnyCase) {
  struct UnitCase {
    const char* text;
    uint8_t code;
  };
  for (const UnitCase& c : {UnitCase{"5", 0}, UnitCase{"5  ", 0}, UnitCase{"5%", 1}, UnitCase{"5 $", 7},
                            UnitCase{"5 s", 3}, UnitCase{"5\t'", 8}, UnitCase{"5 mS", 4}, UnitCase{"5 hz", 5},
                            UnitCase{"5 kHz", 6}, UnitCase{"5 Db", 2}, UnitCase{"5 msec", 4}, UnitCase{"5 x", 11},
                            UnitCase{"5 \xC9S", 11}, UnitCase{"5 \xE9", 11}}) {
    TStringReader reader(c.text);
    uint8_t code = 99;
    EXPECT_TRUE(reader.GetUnitUsed(code)) << c.text;
    EXPECT_EQ(code, c.code) << c.text;
  }
  uint8_t code;
  EXPECT_FALSE(TStringReader("kHz").GetUnitUsed(code));
}

TEST(Readers, FactorsVolumesPhasesAndBalances) {
  double v = 0;
  EXPECT_EQ(Factor("50 %", v), "");
  EXPECT_DOUBLE_EQ(v, 0.5);
  EXPECT_EQ(Factor("50 x", v), "This unit does not exist, use: '%' or no unit.");
  EXPECT_EQ(Factor("50 s", v), "Wrong unit used, use: '%' or no unit.");

  const auto volume = [](TStringReader& r, double& x) { return r.ReadVolumeFactor(x); };
  EXPECT_EQ(Parsed("6 dB", v, volume), "");
  EXPECT_NEAR(v, 1.9953, 1e-4);
  EXPECT_EQ(Parsed("-6 db", v, volume), "");
  EXPECT_NEAR(v, 0.5012, 1e-4);
  EXPECT_EQ(Parsed("150 %", v, volume), "");
  EXPECT_DOUBLE_EQ(v, 1.5);
  EXPECT_EQ(Parsed("6 s", v, volume), readtext::kVolumeWrongUnit);
  EXPECT_EQ(Parsed("6 dx", v, volume), readtext::kVolumeUnknownUnit);
  EXPECT_EQ(Parsed("9999999 dB", v, volume), readtext::kVolumeTooHigh);

  const auto phase = [](TStringReader& r, double& x) { return r.ReadPhase(x); };
  for (const Good& c : {Good{"-90'", 0.75}, Good{"-1", 0}, Good{"25 %", 0.25}, Good{"-359.99 '", 0.01 / 360}}) {
    EXPECT_EQ(Parsed(c.text, v, phase), "") << c.text;
    EXPECT_NEAR(v, c.value, 1e-12) << c.text;
  }
  for (const Bad& c : {Bad{"360'", "Fase is too high. (maximum: less than 360' )"},
                       Bad{"-361'", "Fase is too low. (minimum: -360' )"},
                       Bad{"1", "Fase is too high. (maximum: less than 1 or 100 %)"},
                       Bad{"-101 %", "Fase is too low. (minimum: -1 or -100 %)"},
                       Bad{"1 dB", "Wrong unit used, use: '%', ' ' ' or no unit."}})
    EXPECT_EQ(Parsed(c.text, v, phase), c.message) << c.text;

  const auto balance = [](TStringReader& r, double& x) { return r.ReadBalance(x); };
  for (const Good& c : {Good{"45'", 0.5}, Good{"-90 '", -1}, Good{"1", 1}, Good{"-100 %", -1}}) {
    EXPECT_EQ(Parsed(c.text, v, balance), "") << c.text;
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
  for (const Bad& c : {Bad{"91'", "Balance Angle is too high. (maximum: 90' )"},
                       Bad{"-1.5", "Balance Factor is too low. (minimum: -1 or -100 %)"},
                       Bad{"2 x", "This unit does not exist, use: '%', ' ' ' or no unit."}})
    EXPECT_EQ(Parsed(c.text, v, balance), c.message) << c.text;
}

TEST(Readers, SignRulesAndRelations) {
  struct SignCase {
    double v;
    uint8_t rule;
    const char* message;  // empty when accepted
  };
  for (const SignCase& c : {SignCase{0, 1, "Value must be not 0."}, SignCase{1, 2, "Value must be negative."},
                            SignCase{0, 2, ""}, SignCase{-1, 3, "Value must be positive."}, SignCase{0, 3, ""},
                            SignCase{0, 4, "Value must be negative and less than 0."},
                            SignCase{0, 5, "Value must be positive and more than 0."},
                            SignCase{-0.1, 6, "Value must be positive."}, SignCase{1, 6, ""},
                            SignCase{1.1, 6, "Value must be no more than 1."},
                            SignCase{0, 7, "Value must be positive and more than 0."},
                            SignCase{1, 7, "Value must be less than 1."}, SignCase{-5, 8, ""}}) {
    TStringReader reader;
    EXPECT_EQ(reader.CheckSign(c.v, c.rule), *c.message == 0) << c.v << " rule " << int(c.rule);
    EXPECT_EQ(reader.GetError(), c.message) << c.v << " rule " << int(c.rule);
  }
  TStringReader reader;
  EXPECT_FALSE(reader.CheckRelation(9, 3, 10));
  EXPECT_EQ(reader.GetError(), "Value must be more or equal of 10.");
  EXPECT_TRUE(reader.CheckRelation(10, 3, 10));
  EXPECT_FALSE(reader.CheckRelation(-3, 5, -3));
  EXPECT_EQ(reader.GetError(), "Value must be more than -3.");
  EXPECT_FALSE(reader.CheckRelation(4, 1, 4));
  EXPECT_TRUE(reader.CheckRelation(4, 4, 5));
  EXPECT_THROW(reader.CheckRelation(4, 6, 5), AssertionFailure);

  int32_t value = 0;
  EXPECT_EQ(Parsed("9", value, [](TStringReader& r, int32_t& x) { return r.ReadIntRelation(x, 3, 10); }),
            "Value must be more or equal of 10.");
}

TEST(Readers, TimesFrequenciesAndNotes) {
  double v = 0;
  for (const Good& c : {Good{"100 ms", 0.1}, Good{"10 Hz", 0.1}, Good{"1 kHz", 0.001}, Good{"2s", 2},
                        Good{"A4", 1 / 440.00745824565865}, Good{"5 msec", 0.005}}) {
    EXPECT_EQ(Time(c.text, v), "") << c.text;
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
  for (const Good& c : {Good{"A4", 440.00745824565865}, Good{"C", 523.26}, Good{"c5", 523.26},
                        Good{"c#6", 523.26 * std::pow(2, 1 + 1.0 / 12)}, Good{"Bb", 523.26 * std::pow(2, 11.0 / 12)},
                        Good{"2 ms", 500}, Good{"0.5 s", 2}, Good{"1.5 kHz", 1500}, Good{"C-2", 523.26 / 128}}) {
    EXPECT_EQ(Freq(c.text, v), "") << c.text;
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
  for (const Bad& c : {Bad{"0 Hz", "You cannot use 0 with 'Hz'."}, Bad{"0 kHz", "You cannot use 0 with 'kHz'."},
                       Bad{"100", "Wrong unit used, use: 's', 'ms', 'Hz', 'kHz'."},
                       Bad{"100 %", "Wrong unit used, use: 's', 'ms', 'Hz', 'kHz'."},
                       Bad{"100 y", "This unit does not exist, use: 's', 'ms', 'Hz', 'kHz'."},
                       Bad{"E#", "This note cannot have a \"#\"."}, Bad{"b#2", "This note cannot have a \"#\"."},
                       Bad{"C13", "The maximum Octave number is 12."}, Bad{"G-3", "The minimum Octave number is -2."},
                       Bad{"C99999999999", "The maximum Octave number is 12."}})
    EXPECT_EQ(Time(c.text, v), c.message) << c.text;
  EXPECT_EQ(Freq("0 s", v), "You cannot use 0 with 's'.");
  EXPECT_EQ(Freq("0 ms", v), "You cannot use 0 with 'ms'.");
  EXPECT_EQ(Time("-1 s", v, 5), "Value must be positive and more than 0.");
  EXPECT_EQ(Time("A4", v, 4), "");  // a note is not checked against the sign rule
}

TEST(Readers, RawSampleValuesAndIntegers) {
  struct RawCase {
    const char* text;
    int16_t raw;
  };
  for (const RawCase& c : {RawCase{"1.5 $", 1}, RawCase{"-0.5", -16383}, RawCase{"100 %", 32767},
                           RawCase{"-1", -32767}, RawCase{"-32768 $", -32768}, RawCase{"50%", 16383}}) {
    int16_t raw = 0;
    EXPECT_EQ(WaveValue(c.text, raw), "") << c.text;
    EXPECT_EQ(raw, c.raw) << c.text;
  }
  int16_t raw = 0;
  for (const Bad& c : {Bad{"1.01", readtext::kWaveValueTooHigh}, Bad{"-101 %", readtext::kWaveValuePercentTooLow},
                       Bad{"32768 $", readtext::kWaveValueRawTooHigh}, Bad{"5 dB", readtext::kWaveValueWrongUnit},
                       Bad{"5 #", readtext::kWaveValueUnknownUnit}})
    EXPECT_EQ(WaveValue(c.text, raw), c.message) << c.text;
  EXPECT_EQ(WaveValue("0.00001", raw, 5), "Value must be positive and more than 0.");  // truncated to raw 0

  struct IntCase {
    const char* text;
    int32_t value;
  };
  for (const IntCase& c : {IntCase{"12.5", 12}, IntCase{"abc", 0}, IntCase{"+-7", -7}, IntCase{"2147483647", 2147483647},
                           IntCase{"-2147483648", -2147483648}, IntCase{"-00000000001", -1}, IntCase{"12 %", 12}}) {
    int32_t value = 99;
    EXPECT_EQ(Int(c.text, value), "") << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  int32_t value = 0;
  for (const Bad& c : {Bad{"2147483648", readtext::kIntegerTooHigh}, Bad{"12345678901", readtext::kIntegerTooHigh},
                       Bad{"-2147483649", readtext::kIntegerTooLow}, Bad{"-99999999999999", readtext::kIntegerTooLow}})
    EXPECT_EQ(Int(c.text, value), c.message) << c.text;
}

TEST(Readers, FormattedValuesReadBackToTheSameValue) {
  for (int32_t raw = -32768; raw <= 32767; ++raw) {
    int16_t back = 0;
    ASSERT_EQ(WaveValue(FormatWaveValue(TNumber(raw), kUnitRaw), back), "") << raw;
    ASSERT_EQ(back, raw);
  }
  for (double v : {1.0 / 3, 2.5, -0.125, 440.0, 1e-4, 123456.789}) {
    double back = 0;
    EXPECT_EQ(Factor(FormatNumber(TNumber(v)), back), "") << v;
    EXPECT_NEAR(back, v, 1e-9) << v;
  }
  double back = 0;
  EXPECT_EQ(Time(FormatWithUnit(0.1, kUnitMilliseconds, 7, true, false), back), "");
  EXPECT_DOUBLE_EQ(back, 0.1);
  EXPECT_EQ(Freq(FormatWithUnit(1500, kUnitKiloHertz, 7, true, true), back), "");
  EXPECT_DOUBLE_EQ(back, 1500);
  const auto phase = [](TStringReader& r, double& x) { return r.ReadPhase(x); };
  EXPECT_EQ(Parsed(FormatWithUnit(0.75, kUnitDegrees, 7, true, false), back, phase), "");
  EXPECT_DOUBLE_EQ(back, 0.75);
}

TEST(Readers, AssignedReaderKeepsItsOwnTextAndEndsAtNul) {
  TStringReader reader("5 %");
  TStringReader other(std::string("7\0 %", 4));
  auto& alias = reader;
  reader = alias;
  double v = 0;
  EXPECT_TRUE(reader.ReadFactor(v, 0));
  EXPECT_DOUBLE_EQ(v, 0.05);
  reader = other;
  EXPECT_TRUE(reader.ReadFactor(v, 0));
  EXPECT_DOUBLE_EQ(v, 7);
}
