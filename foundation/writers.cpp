#include "foundation/writers.h"

#include <algorithm>
#include <cmath>

#include "foundation/assertion.h"
#include "foundation/global.h"

namespace {

constexpr const char* kAssertUnit = "writers";

// Decimal exponent of |v| truncated toward zero; v is finite and not 0.
int32_t TruncatedLog10(double v) { return TruncToInt32(std::trunc(std::log10(std::fabs(v)))); }

// "* s" and friends: a period or a frequency of a 0 has no value.
std::string Reciprocal(double v, double scale, int32_t precisie, bool dropZeros, const char* suffix) {
  if (v == 0) return std::string("*") + suffix;
  return FormatPrecision(scale / v, precisie, dropZeros) + suffix;
}

}  // namespace

std::string FormatDouble(double v, int32_t minDigBefore, int32_t minDigAfter, int32_t maxDigAfter) {
  KV_ASSERT(minDigAfter <= maxDigAfter);
  KV_ASSERT(minDigBefore >= 1);
  KV_ASSERT(minDigAfter >= 0);
  if (!std::isfinite(v)) return kNoDigitsText;

  const bool negative = v < 0;
  if (negative) v = -v;
  int32_t digitsBefore = v == 0 ? 1 : TruncatedLog10(v) + 1;
  digitsBefore = std::max(digitsBefore, minDigBefore);
  // A tenth of the last written unit, so that 0.29999999 written with few digits keeps its 3.
  v += std::pow(10.0, -(maxDigAfter + 1.0));
  v /= std::pow(10.0, digitsBefore);

  std::string text = negative ? "-" : "";
  bool started = false;
  bool pointWritten = false;
  int32_t pendingZeros = 0;
  // Position digitsBefore only catches a carry such as 9.9999999999 becoming 10.
  for (int32_t p = digitsBefore; p >= -maxDigAfter; --p) {
    const double whole = std::trunc(v);
    // Rounding in (v - d) x 10 may give exactly 10; the digit stays a digit.
    const int digit = static_cast<int>(std::clamp(whole, 0.0, 9.0));
    if (!started && (digit != 0 || p <= digitsBefore - 1)) started = true;
    if (started) {
      if (p < -minDigAfter) {
        if (digit == 0) {
          ++pendingZeros;
        } else {
          if (!pointWritten) text += '.';
          pointWritten = true;
          text.append(static_cast<size_t>(pendingZeros), '0');
          pendingZeros = 0;
          text += static_cast<char>('0' + digit);
        }
      } else {
        text += static_cast<char>('0' + digit);
        if (p == 0 && minDigAfter >= 1) {
          text += '.';
          pointWritten = true;
        }
      }
    }
    v = (v - whole) * 10;
  }
  return text;
}

std::string FormatDigits(const TNumber& number, int32_t minDigBefore, int32_t minDigAfter, int32_t maxDigAfter) {
  return FormatDouble(number.GetValue(), minDigBefore, minDigAfter, maxDigAfter);
}

std::string FormatNumber(const TNumber& number) {
  // A whole number is written without fraction digits: asking for nine of them pushed a number of
  // eight or more digits past what a double holds, and 1234567890 came out as 1234567889.99999989.
  switch (number.GetKind()) {
    case TNumber::kReal:
      return FormatDigits(number, 1, 0, 9);
    case TNumber::kInteger:
      return FormatDigits(number, 1, 0, 0);
    default:
      return FormatDigits(number, 10, 0, 0);
  }
}

std::string FormatPrecision(double v, int32_t precisie, bool dropZeros) {
  KV_ASSERT(precisie >= 1);
  if (!std::isfinite(v)) return kNoDigitsText;
  const int32_t exponent = v == 0 ? 1 : TruncatedLog10(v);
  const int32_t digitsBefore = std::max(1, exponent);
  const int32_t digitsAfter = std::max(0, precisie - 1 - exponent);
  return FormatDouble(v, digitsBefore, dropZeros ? 0 : digitsAfter, digitsAfter);
}

std::string FormatWithUnit(double v, uint8_t unitCode, int32_t precisie, bool dropZeros, bool isFrequency) {
  switch (unitCode) {
    case 0:
      return FormatPrecision(v, precisie, dropZeros);
    case 1:
      return FormatPrecision(v * 100, precisie, dropZeros) + " %";
    case 2:
      return FormatDouble(20 * std::log10(v), 1, 0, 3) + " dB";
    case 3:
      return isFrequency ? Reciprocal(v, 1, precisie, dropZeros, " s") : FormatPrecision(v, precisie, dropZeros) + " s";
    case 4:
      return isFrequency ? Reciprocal(v, 1000, precisie, dropZeros, " ms")
                         : FormatPrecision(v * 1000, precisie, dropZeros) + " ms";
    case 5:
      return isFrequency ? FormatPrecision(v, precisie, dropZeros) + " Hz" : Reciprocal(v, 1, precisie, dropZeros, " Hz");
    case 6:
      return isFrequency ? FormatPrecision(v * 0.001, precisie, dropZeros) + " kHz"
                         : Reciprocal(v, 0.001, precisie, dropZeros, " kHz");
    case 8:
      // A phase of half a turn or more reads better as a negative angle.
      return FormatPrecision((v >= 0.5 ? v - 1 : v) * 360, precisie, dropZeros) + " '";
    case 9:
      return FormatPrecision(v * 90, precisie, dropZeros) + " '";
    default:
      return kNoDigitsText;
  }
}

std::string FormatValueUnit(const TNumber& number, uint8_t unitCode, int32_t precisie, bool dropZeros,
                            bool isFrequency) {
  return FormatWithUnit(number.GetValue(), unitCode, precisie, dropZeros, isFrequency);
}

std::string FormatClockTime(const TNumber& seconds) {
  const double s = seconds.GetValue();
  if (!std::isfinite(s)) return std::string(kNoDigitsText) + " s";
  // Kept in doubles: a time of any size stays a number.
  const double totalMinutes = std::trunc(s * (1.0 / 60));
  const double hours = std::trunc(totalMinutes / 60);
  const double minutes = totalMinutes - 60 * hours;
  const double rest = s - 60 * totalMinutes;
  std::string text;
  if (hours > 0) text += FormatDouble(hours, 1, 0, 0) + ":";
  if (hours > 0 || minutes > 0) text += FormatDouble(minutes, hours > 0 ? 2 : 1, 0, 0) + ":";
  text += FormatDouble(rest, hours + minutes > 0 ? 2 : 1, 5, 5);
  if (hours == 0 && minutes == 0) text += " s";
  return text;
}

std::string FormatFrequency(const TNumber& hertz) {
  const double f = hertz.GetValue();
  if (f < 100) return FormatDouble(f, 2, 1, 1) + " Hz";
  if (f < 1000) return FormatDouble(f, 3, 0, 0) + " Hz";
  if (f < 10000) return FormatDouble(f * 0.001, 1, 2, 2) + " kHz";
  // NaN compares false everywhere and lands here; FormatDouble writes it as no digits.
  return FormatDouble(f * 0.001, 2, 1, 1) + " kHz";
}

std::string FormatWaveValue(const TNumber& raw, uint8_t unitCode) {
  const double value = raw.GetValue();
  switch (unitCode) {
    case 0: {
      // Half a unit of the last digit: rounds half away from zero at four decimals.
      const double v = value / 32767;
      return FormatDouble(v >= 0 ? v + 0.00005 : v - 0.00005, 1, 0, 4);
    }
    case 1: {
      const double v = value / 327.67;
      return FormatDouble(v >= 0 ? v + 0.005 : v - 0.005, 1, 0, 2) + " %";
    }
    case 7:
      return FormatDouble(value, 1, 0, 0) + " $";
    default:
      return "";
  }
}
