#include "foundation/writers.h"

#include <gtest/gtest.h>

#include <limits>

#include "foundation/assertion.h"

namespace {
struct Case { std::string written; const char* expected; };

void ExpectWritten(std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(c.written, c.expected);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
}  // namespace

TEST(Writers, FormatNumberWritesMusicFileNumbers) {
  ExpectWritten({{FormatNumber(TNumber(1.0 / 3)), "0.333333333"}, {FormatNumber(TNumber(2.5)), "2.5"},
                 {FormatNumber(TNumber(100.0)), "100"}, {FormatNumber(TNumber(0.1 + 0.2)), "0.3"},
                 {FormatNumber(TNumber(-0.5)), "-0.5"}, {FormatNumber(TNumber(0.0)), "0"},
                 {FormatNumber(TNumber(int32_t{-42})), "-42"}, {FormatNumber(TNumber(uint8_t{200})), "200"},
                 {FormatNumber(TNumber(int32_t{1234567890})), "1234567890"},
                 {FormatNumber(TNumber(int32_t{-99999999})), "-99999999"},
                 {FormatNumber(TNumber(reinterpret_cast<const void*>(uintptr_t{0x7ffd12345678}))), "140724908873336"},
                 // An address pads to ten digits.
                 {FormatNumber(TNumber(reinterpret_cast<const void*>(uintptr_t{16}))), "0000000016"}});
}

TEST(Writers, FormatDoubleAndPrecisionCutDigitsPadCarryAndWriteNoDigitsForNonFinite) {
  ExpectWritten({{FormatDouble(0.05, 1, 2, 4), "0.05"}, {FormatDouble(3, 1, 3, 3), "3.000"},
                 {FormatDouble(2.5001, 1, 1, 4), "2.5001"},  // the point written once, before held-back zeros
                 {FormatDouble(7, 3, 0, 0), "007"}, {FormatDouble(9.99999999999, 1, 0, 3), "10"},
                 {FormatDouble(2.6789, 1, 0, 2), "2.67"},    // cut, not rounded
                 {FormatDouble(0.29999999, 1, 0, 1), "0.3"},  // the small correction keeps the digit
                 {FormatDouble(1.0501, 1, 0, 4), "1.0501"},   // held-back zeros written before the 5 and the 1
                 {FormatDouble(1.5, 1, 0, 0), "1"}, {FormatDouble(-12.5, 1, 0, 1), "-12.5"},
                 {FormatDouble(123456, 2, 1, 1), "123456.0"}, {FormatDouble(kNaN, 1, 0, 3), kNoDigitsText},
                 {FormatDouble(-kInfinity, 1, 0, 3), kNoDigitsText}, {FormatPrecision(kInfinity, 7, true), kNoDigitsText}});
  EXPECT_EQ(FormatDouble(1e300, 1, 0, 0).size(), 301u);
  EXPECT_THROW(FormatDouble(1, 0, 0, 0), AssertionFailure);
  EXPECT_THROW(FormatDouble(1, 1, 3, 2), AssertionFailure);
  EXPECT_THROW(FormatDouble(1, 1, -1, 2), AssertionFailure);
  // Significant digits.
  ExpectWritten({{FormatPrecision(12.3456789, 7, true), "12.34567"}, {FormatPrecision(0.05, 7, true), "0.05"},
                 {FormatPrecision(1, 7, false), "1.000000"}, {FormatPrecision(0, 3, false), "0.0"},
                 {FormatPrecision(-1234.5678, 3, true), "-1234"}});
  EXPECT_THROW(FormatPrecision(1, 0, true), AssertionFailure);
}

TEST(Writers, FormatWithUnitWritesEveryUnit) {
  struct UnitCase { double v; uint8_t unit; bool isFrequency; const char* text; };
  // Percent, the phase and balance angles and the typed units come back in the typed-values tests.
  for (const UnitCase& c : {UnitCase{0, 5, false, "* Hz"}, UnitCase{2, 2, false, "6.02 dB"},
                            UnitCase{0.1, 4, false, "100 ms"}, UnitCase{0.1, 3, false, "0.1 s"},
                            UnitCase{0.002, 6, false, "0.5 kHz"}, UnitCase{440, 6, true, "0.44 kHz"},
                            UnitCase{10, 3, true, "0.1 s"}, UnitCase{8, 4, true, "125 ms"}, UnitCase{0, 4, true, "* ms"},
                            UnitCase{0.25, 8, false, "90 '"}, UnitCase{1, 7, false, "***"},
                            UnitCase{1, 10, false, "***"}, UnitCase{0, 2, false, "*** dB"}})
    EXPECT_EQ(FormatWithUnit(c.v, c.unit, 7, true, c.isFrequency), c.text) << c.v << " unit " << int(c.unit);
  EXPECT_EQ(FormatValueUnit(TNumber(0.5), 1, 7, true, false), "50 %");
}

TEST(Writers, FixedDisplaysOfClockTimeFrequencyAndWaveValues) {
  ExpectWritten({{FormatClockTime(TNumber(0.0)), "0.00000 s"}, {FormatClockTime(TNumber(12.5)), "12.50000 s"},
                 {FormatClockTime(TNumber(62.5)), "1:02.50000"}, {FormatClockTime(TNumber(3605.0)), "1:00:05.00000"},
                 {FormatClockTime(TNumber(7322.25)), "2:02:02.25000"}, {FormatFrequency(TNumber(5.0)), "05.0 Hz"},
                 {FormatFrequency(TNumber(440.0)), "440 Hz"}, {FormatFrequency(TNumber(1500.0)), "1.50 kHz"},
                 {FormatFrequency(TNumber(22050.0)), "22.0 kHz"}});
  struct WaveCase { int32_t raw; uint8_t unit; const char* text; };
  for (const WaveCase& c : {WaveCase{0, 0, "0"}, WaveCase{0, 1, "0 %"}, WaveCase{32767, 0, "1"},
                            WaveCase{32767, 1, "100 %"}, WaveCase{-16384, 0, "-0.5"}, WaveCase{-5, 7, "-5 $"},
                            WaveCase{1, 0, "0"}, WaveCase{-3277, 1, "-10 %"}, WaveCase{100, 3, ""}})
    EXPECT_EQ(FormatWaveValue(TNumber(c.raw), c.unit), c.text) << c.raw << " unit " << int(c.unit);
}
