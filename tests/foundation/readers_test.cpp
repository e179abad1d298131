#include "foundation/readers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "foundation/assertion.h"
#include "foundation/writers.h"

namespace {

using Bad = std::pair<const char*, const char*>;  // text, message

// Runs one parser on the text: "" on success, else the reader's message.
template <typename T, typename Parse>
std::string Parsed(const std::string& text, T& value, Parse parse) {
  TStringReader reader(text);
  return parse(reader, value) ? "" : reader.GetError();
}

template <typename T, typename Parse>
void ExpectReads(Parse parse, std::initializer_list<std::pair<const char*, T>> cases) {
  for (const auto& [text, expected] : cases) {
    T value{};
    EXPECT_EQ(Parsed(text, value, parse), "") << text;
    if constexpr (std::is_floating_point_v<T>)
      EXPECT_NEAR(value, expected, std::fabs(expected) * 1e-12 + 1e-15) << text;
    else
      EXPECT_EQ(value, expected) << text;
  }
}

template <typename T, typename Parse>
void ExpectFails(Parse parse, std::initializer_list<Bad> cases) {
  for (const auto& [text, message] : cases) {
    T value{};
    EXPECT_EQ(Parsed(text, value, parse), message) << text;
  }
}

const auto number = [](TStringReader& r, double& x) { size_t cursor = 0; return r.ReadNumber(cursor, x); };
const auto factor = [](TStringReader& r, double& x) { return r.ReadFactor(x, 0); };
const auto volume = [](TStringReader& r, double& x) { return r.ReadVolumeFactor(x); };
const auto phase = [](TStringReader& r, double& x) { return r.ReadPhase(x); };
const auto balance = [](TStringReader& r, double& x) { return r.ReadBalance(x); };
const auto timeOf = [](TStringReader& r, double& x) { return r.ReadTime(x, 0); };
const auto freqOf = [](TStringReader& r, double& x) { return r.ReadFreq(x, 0); };
const auto waveValue = [](TStringReader& r, int16_t& x) { return r.ReadWaveValue(x, 0); };
const auto integer = [](TStringReader& r, int32_t& x) { return r.ReadInt(x, 0); };

constexpr double kA4 = 440.00745824565865;

}  // namespace

TEST(Readers, NumbersWithSignsSeparatorsAndFractions) {
  ExpectReads<double>(number, {{"1/3", 1.0 / 3}, {"- 5", -5}, {"+7", 7}, {"2,5", 2.5}, {".5", 0.5},
                               {"5.", 5}, {".", 0}, {"-3/4", -0.75}, {"0.12345678901234", 0.123456789}});
  ExpectFails<double>(number, {{"1/0", "Broke is invalid."}, {"/3", "Input has no value before '/'."},
                               {"3/", "Input has no value after '/'."}, {"--5", "Input has no value."}});
}

TEST(Readers, FactorsVolumesPhasesAndBalances) {
  ExpectReads<double>(factor, {{"50 %", 0.5}});
  ExpectFails<double>(factor, {{"50 x", "This unit does not exist, use: '%' or no unit."},
                               {"50 s", "Wrong unit used, use: '%' or no unit."}});
  ExpectReads<double>(volume, {{"6 dB", std::pow(10, 0.3)}, {"-6 db", std::pow(10, -0.3)}, {"150 %", 1.5}});
  ExpectFails<double>(volume, {{"6 s", readtext::kVolumeWrongUnit}, {"6 dx", readtext::kVolumeUnknownUnit},
                               {"9999999 dB", readtext::kVolumeTooHigh}});
  ExpectReads<double>(phase, {{"-90'", 0.75}, {"-1", 0}, {"25 %", 0.25}, {"-359.5 '", 0.5 / 360}});
  ExpectFails<double>(phase, {{"360'", "Fase is too high. (maximum: less than 360' )"},
                              {"-361'", "Fase is too low. (minimum: -360' )"},
                              {"1 dB", "Wrong unit used, use: '%', ' ' ' or no unit."},
                              {"1", "Fase is too high. (maximum: less than 1 or 100 %)"},
                              {"-101 %", "Fase is too low. (minimum: -1 or -100 %)"}});
  ExpectReads<double>(balance, {{"45'", 0.5}, {"-90 '", -1}, {"-100 %", -1}});
  ExpectFails<double>(balance, {{"91'", "Balance Angle is too high. (maximum: 90' )"},
                                {"-1.5", "Balance Factor is too low. (minimum: -1 or -100 %)"},
                                {"2 x", "This unit does not exist, use: '%', ' ' ' or no unit."}});
}

TEST(Readers, SignRulesAndRelations) {
  struct SignCase { double v; uint8_t rule; const char* message; };  // an empty message: accepted
  for (const SignCase& c : {SignCase{0, 1, "Value must be not 0."}, SignCase{1, 2, "Value must be negative."},
                            SignCase{0, 2, ""}, SignCase{-1, 3, "Value must be positive."}, SignCase{0, 3, ""},
                            SignCase{0, 4, "Value must be negative and less than 0."}, SignCase{1, 6, ""},
                            SignCase{0, 5, "Value must be positive and more than 0."}, SignCase{-5, 8, ""},
                            SignCase{-0.1, 6, "Value must be positive."}, SignCase{1, 7, "Value must be less than 1."},
                            SignCase{1.1, 6, "Value must be no more than 1."},
                            SignCase{0, 7, "Value must be positive and more than 0."}}) {
    TStringReader reader;
    EXPECT_EQ(reader.CheckSign(c.v, c.rule), *c.message == 0) << c.v << " rule " << int(c.rule);
    EXPECT_EQ(reader.GetError(), c.message) << c.v << " rule " << int(c.rule);
  }
  TStringReader reader;
  EXPECT_TRUE(reader.CheckRelation(10, 3, 10) && reader.CheckRelation(4, 4, 5));
  EXPECT_FALSE(reader.CheckRelation(4, 1, 4));
  EXPECT_FALSE(reader.CheckRelation(-3, 5, -3));
  EXPECT_EQ(reader.GetError(), "Value must be more than -3.");
  EXPECT_THROW(reader.CheckRelation(4, 6, 5), AssertionFailure);
  ExpectFails<int32_t>([](TStringReader& r, int32_t& x) { return r.ReadIntRelation(x, 3, 10); },
                       {{"9", "Value must be more or equal of 10."}});
}

TEST(Readers, TimesFrequenciesAndNotes) {
  ExpectReads<double>(timeOf, {{"100 ms", 0.1}, {"10 Hz", 0.1}, {"1 kHz", 0.001}, {"2s", 2}, {"A4", 1 / kA4}});
  ExpectReads<double>(freqOf, {{"A4", kA4}, {"C", 523.26}, {"c#6", 523.26 * std::pow(2, 1 + 1.0 / 12)},
                               {"Bb", 523.26 * std::pow(2, 11.0 / 12)}, {"C-2", 523.26 / 128}, {"2 ms", 500},
                               {"1.5 kHz", 1500}});
  const std::string wrongUnit = "Wrong unit used, use: 's', 'ms', 'Hz', 'kHz'.";
  ExpectFails<double>(timeOf, {{"0 Hz", "You cannot use 0 with 'Hz'."}, {"0 kHz", "You cannot use 0 with 'kHz'."},
                               {"100 %", wrongUnit.c_str()}, {"b#2", "This note cannot have a \"#\"."},
                               {"100 y", "This unit does not exist, use: 's', 'ms', 'Hz', 'kHz'."},
                               {"C13", "The maximum Octave number is 12."}, {"G-3", "The minimum Octave number is -2."},
                               {"C99999999999", "The maximum Octave number is 12."}});
  ExpectFails<double>(freqOf, {{"0 s", "You cannot use 0 with 's'."}, {"0 ms", "You cannot use 0 with 'ms'."}});
  ExpectFails<double>([](TStringReader& r, double& x) { return r.ReadTime(x, 5); },
                      {{"-1 s", "Value must be positive and more than 0."}});
  ExpectReads<double>([](TStringReader& r, double& x) { return r.ReadTime(x, 4); }, {{"A4", 1 / kA4}});  // no rule
}

TEST(Readers, RawSampleValuesAndIntegers) {
  ExpectReads<int16_t>(waveValue, {{"1.5 $", 1}, {"-0.5", -16383}, {"100 %", 32767}, {"-1", -32767},
                                   {"-32768 $", -32768}, {"50%", 16383}});
  ExpectFails<int16_t>(waveValue, {{"1.01", readtext::kWaveValueTooHigh}, {"-101 %", readtext::kWaveValuePercentTooLow},
                                   {"32768 $", readtext::kWaveValueRawTooHigh}, {"5 dB", readtext::kWaveValueWrongUnit},
                                   {"5 #", readtext::kWaveValueUnknownUnit}});
  ExpectFails<int16_t>([](TStringReader& r, int16_t& x) { return r.ReadWaveValue(x, 5); },
                       {{"0.00001", "Value must be positive and more than 0."}});  // truncated to raw 0
  ExpectReads<int32_t>(integer, {{"12.5", 12}, {"abc", 0}, {"+-7", -7}, {"2147483647", 2147483647},
                                 {"-2147483648", -2147483648}, {"-00000000012", -12}, {"12 %", 12}});
  ExpectFails<int32_t>(integer, {{"2147483648", readtext::kIntegerTooHigh},
                                 {"-2147483649", readtext::kIntegerTooLow}, {"-99999999999999", readtext::kIntegerTooLow}});
}

TEST(Readers, FormattedValuesReadBackToTheSameValue) {
  for (int32_t raw = -32768; raw <= 32767; ++raw) {
    int16_t back = 0;
    ASSERT_EQ(Parsed(FormatWaveValue(TNumber(raw), kUnitRaw), back, waveValue), "") << raw;
    ASSERT_EQ(back, raw);
  }
  for (double v : {1.0 / 3, 2.5, -0.125, 440.0, 1e-4, 123456.789}) {
    double back = 0;
    EXPECT_EQ(Parsed(FormatNumber(TNumber(v)), back, factor), "") << v;
    EXPECT_NEAR(back, v, 1e-9) << v;
  }
  ExpectReads<double>(timeOf, {{FormatWithUnit(0.1, kUnitMilliseconds, 7, true, false).c_str(), 0.1}});
  ExpectReads<double>(freqOf, {{FormatWithUnit(1500, kUnitKiloHertz, 7, true, true).c_str(), 1500}});
  ExpectReads<double>(phase, {{FormatWithUnit(0.75, kUnitDegrees, 7, true, false).c_str(), 0.75}});
}
