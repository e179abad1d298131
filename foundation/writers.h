// Numbers as the dialogs, the status bar and the music file show them. Digits beyond the last
// one written are cut, not rounded; the decimal separator is always '.'.
#pragma once

#include <cstdint>
#include <string>

// A number handed to the formatters; an integer or an address prints with other limits than a real.
class TNumber {
 public:
  enum Kind : uint8_t { kReal = 0, kInteger = 1, kPointer = 2 };

  TNumber(double value) { Set(value); }
  TNumber(int32_t value) { Set(value); }
  TNumber(uint8_t value) { Set(value); }
  TNumber(const void* pointer) { Set(pointer); }

  void Set(double value) { kind_ = kReal, value_ = value; }
  void Set(int32_t value) { kind_ = kInteger, value_ = value; }
  void Set(uint8_t value) { kind_ = kInteger, value_ = value; }
  void Set(const void* pointer) { kind_ = kPointer, value_ = static_cast<double>(reinterpret_cast<uintptr_t>(pointer)); }

  Kind GetKind() const { return kind_; }
  double GetValue() const { return value_; }

 private:
  Kind kind_ = kReal;
  double value_ = 0;
};

// Written instead of digits for a value that has none (NaN, infinite, such as 0 in decibels).
inline constexpr const char* kNoDigitsText = "***";

std::string FormatDouble(double v, int32_t minDigBefore, int32_t minDigAfter, int32_t maxDigAfter);
std::string FormatDigits(const TNumber& number, int32_t minDigBefore, int32_t minDigAfter, int32_t maxDigAfter);
// The form of every number in the music file and of the bounds in the reader's messages.
std::string FormatNumber(const TNumber& number);
// `precisie` significant digits; with dropZeros trailing zeros after the point disappear.
std::string FormatPrecision(double v, int32_t precisie, bool dropZeros);
// v in its internal unit (seconds, hertz or a plain factor) written in the unit `unitCode`;
// isFrequency says whether a time-or-frequency unit converts from hertz or from seconds.
std::string FormatWithUnit(double v, uint8_t unitCode, int32_t precisie, bool dropZeros, bool isFrequency);
std::string FormatValueUnit(const TNumber& number, uint8_t unitCode, int32_t precisie, bool dropZeros,
                            bool isFrequency);
std::string FormatClockTime(const TNumber& seconds);
std::string FormatFrequency(const TNumber& hertz);
// A raw signed 16-bit sample value as a part of full scale, a percentage or raw ("$").
std::string FormatWaveValue(const TNumber& raw, uint8_t unitCode);
