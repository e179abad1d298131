#include "foundation/readers.h"

#include <cmath>
#include <limits>

#include "foundation/assertion.h"
#include "foundation/writers.h"

namespace {

constexpr const char* kAssertUnit = "readers";

// Units are compared in upper case; only ASCII letters change, so bytes above 127 stay themselves.
unsigned char UpperAscii(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Suffixes in the order they are tried.
struct UnitSuffix {
  const char* text;
  uint8_t code;
};
constexpr UnitSuffix kUnitSuffixes[] = {
    {"%", kUnitPercent}, {"$", kUnitRaw},       {"S", kUnitSeconds},       {"'", kUnitDegrees},
    {"MS", kUnitMilliseconds}, {"HZ", kUnitHertz}, {"KHZ", kUnitKiloHertz}, {"DB", kUnitDecibel},
};

// Semitones above C of the note letters A to G.
constexpr int32_t kNoteSemitones[] = {9, 11, 0, 2, 4, 5, 7};

constexpr int32_t kDefaultOctave = 5;
constexpr int32_t kMinOctave = -2;
constexpr int32_t kMaxOctave = 12;
constexpr double kFrequencyOfC5 = 523.26;

}  // namespace

TStringReader::TStringReader(const char* text) : text_(text ? text : "") {}
TStringReader::TStringReader(const std::string& text) : text_(text.c_str()) {}

bool TStringReader::Fail(const char* message) {
  error_ = message;
  return false;
}

void TStringReader::SkipBlanks(size_t& cursor) const {
  while (At(cursor) == ' ' || At(cursor) == '\t') ++cursor;
}

bool TStringReader::ReadDigits(size_t& cursor, int64_t& value, int32_t& count) const {
  value = 0;
  count = 0;
  while (count < 10 && IsDigit(At(cursor))) {
    value = value * 10 + (At(cursor) - '0');
    ++count;
    ++cursor;
  }
  return true;
}

bool TStringReader::ReadSignedInt(size_t& cursor, int64_t& value, int32_t& count) const {
  if (At(cursor) == '+') ++cursor;
  const bool negative = At(cursor) == '-';
  if (negative) ++cursor;
  ReadDigits(cursor, value, count);
  if (negative) value = -value;
  return true;
}

bool TStringReader::ReadNumber(size_t& cursor, double& value) {
  double sign = 1;
  if (At(cursor) == '-') {
    sign = -1;
    ++cursor;
  } else if (At(cursor) == '+') {
    ++cursor;
  }
  // Blanks may follow the sign but not precede it.
  SkipBlanks(cursor);
  int64_t whole = 0;
  int32_t wholeDigits = 0;
  ReadDigits(cursor, whole, wholeDigits);
  const unsigned char separator = At(cursor);
  if (separator != '.' && separator != ',' && separator != '/') {
    if (wholeDigits == 0) return Fail(readtext::kNoValue);
    value = static_cast<double>(whole) * sign;
    return true;
  }
  ++cursor;
  int64_t second = 0;
  int32_t secondDigits = 0;
  ReadDigits(cursor, second, secondDigits);
  if (separator == '/') {
    if (wholeDigits == 0) return Fail(readtext::kNoValueBeforeSlash);
    if (secondDigits == 0) return Fail(readtext::kNoValueAfterSlash);
    if (second == 0) return Fail(readtext::kBrokeInvalid);
    value = static_cast<double>(whole) / static_cast<double>(second) * sign;
    return true;
  }
  // Both parts may be empty: "." alone is 0.
  value = (static_cast<double>(whole) + static_cast<double>(second) * std::pow(10.0, -secondDigits)) * sign;
  return true;
}

uint8_t TStringReader::ReadUnit(size_t& cursor) const {
  if (At(cursor) == 0) return kUnitNone;
  for (const UnitSuffix& suffix : kUnitSuffixes) {
    size_t length = 0;
    while (suffix.text[length] != 0 && UpperAscii(At(cursor + length)) == static_cast<unsigned char>(suffix.text[length]))
      ++length;
    if (suffix.text[length] == 0) {
      cursor += length;
      return suffix.code;
    }
  }
  return kUnitUnknown;
}

bool TStringReader::ReadNumberAndUnit(double& value, uint8_t& unitCode) {
  size_t cursor = 0;
  if (!ReadNumber(cursor, value)) return false;
  SkipBlanks(cursor);
  unitCode = ReadUnit(cursor);
  return true;
}

bool TStringReader::FailUnit(uint8_t unitCode, const char* unknownMessage, const char* wrongMessage) {
  return Fail(unitCode == kUnitUnknown ? unknownMessage : wrongMessage);
}

bool TStringReader::GetUnitUsed(uint8_t& unitCode) {
  double value;
  return ReadNumberAndUnit(value, unitCode);
}

bool TStringReader::ReadFactor(double& value, uint8_t signRule) {
  uint8_t unitCode;
  if (!ReadNumberAndUnit(value, unitCode)) return false;
  if (unitCode == kUnitPercent)
    value *= 0.01;
  else if (unitCode != kUnitNone)
    return FailUnit(unitCode, readtext::kFactorUnknownUnit, readtext::kFactorWrongUnit);
  return CheckSign(value, signRule);
}

bool TStringReader::ReadVolumeFactor(double& value) {
  if (ReadFactor(value, 0)) return true;
  double decibels;
  uint8_t unitCode;
  if (!ReadNumberAndUnit(decibels, unitCode)) return false;
  if (unitCode != kUnitDecibel) return FailUnit(unitCode, readtext::kVolumeUnknownUnit, readtext::kVolumeWrongUnit);
  value = std::pow(10.0, 0.05 * decibels);
  // Some thousands of decibels overflow a double; an infinite factor would silence the sound.
  if (!std::isfinite(value)) return Fail(readtext::kVolumeTooHigh);
  return true;
}

bool TStringReader::ReadPhase(double& value) {
  double turns;
  if (ReadFactor(turns, 0)) {
    if (turns < -1) return Fail(readtext::kPhaseTooLow);
    if (!(turns < 1)) return Fail(readtext::kPhaseTooHigh);
  } else {
    uint8_t unitCode;
    if (!ReadNumberAndUnit(turns, unitCode)) return false;
    if (unitCode != kUnitDegrees) return FailUnit(unitCode, readtext::kAngleUnknownUnit, readtext::kAngleWrongUnit);
    if (turns < -360) return Fail(readtext::kPhaseDegreesTooLow);
    if (!(turns < 360)) return Fail(readtext::kPhaseDegreesTooHigh);
    turns *= 1.0 / 360;
  }
  if (turns < 0) turns += 1;
  value = turns;
  return true;
}

bool TStringReader::ReadBalance(double& value) {
  double balance;
  if (ReadFactor(balance, 0)) {
    if (balance < -1) return Fail(readtext::kBalanceTooLow);
    if (balance > 1) return Fail(readtext::kBalanceTooHigh);
  } else {
    uint8_t unitCode;
    if (!ReadNumberAndUnit(balance, unitCode)) return false;
    if (unitCode != kUnitDegrees) return FailUnit(unitCode, readtext::kAngleUnknownUnit, readtext::kAngleWrongUnit);
    if (balance < -90) return Fail(readtext::kBalanceDegreesTooLow);
    if (balance > 90) return Fail(readtext::kBalanceDegreesTooHigh);
    balance *= 1.0 / 90;
  }
  value = balance;
  return true;
}

bool TStringReader::ReadWaveValue(int16_t& value, uint8_t signRule) {
  double number;
  uint8_t unitCode;
  if (!ReadNumberAndUnit(number, unitCode)) return false;
  double raw;
  switch (unitCode) {
    case kUnitNone:
      if (number < -1) return Fail(readtext::kWaveValueTooLow);
      if (number > 1) return Fail(readtext::kWaveValueTooHigh);
      raw = number * 32767;
      break;
    case kUnitPercent:
      if (number < -100) return Fail(readtext::kWaveValuePercentTooLow);
      if (number > 100) return Fail(readtext::kWaveValuePercentTooHigh);
      raw = number * 327.67;
      break;
    case kUnitRaw:
      if (number < -32768) return Fail(readtext::kWaveValueRawTooLow);
      if (number > 32767) return Fail(readtext::kWaveValueRawTooHigh);
      raw = number;
      break;
    default:
      return FailUnit(unitCode, readtext::kWaveValueUnknownUnit, readtext::kWaveValueWrongUnit);
  }
  // The ranges above keep the truncated value inside 16 bits.
  value = static_cast<int16_t>(std::trunc(raw));
  return CheckSign(value, signRule);
}

bool TStringReader::ReadTimeOrFreq(double& value, uint8_t signRule, bool wantFrequency) {
  const unsigned char first = UpperAscii(At(0));
  if (first >= 'A' && first <= 'G') {
    // A note is its own check: no sign rule applies.
    size_t cursor = 0;
    double hertz;
    if (!ReadNoteFrequency(cursor, hertz)) return false;
    value = wantFrequency ? hertz : 1 / hertz;
    return true;
  }
  double number;
  uint8_t unitCode;
  if (!ReadNumberAndUnit(number, unitCode)) return false;
  // The scale turns the number into the wanted kind: a product when the unit is of that kind,
  // a quotient (a period from a frequency, or the other way round) when it is not.
  double scale;
  bool reciprocal;
  const char* zeroMessage = nullptr;
  switch (unitCode) {
    case kUnitSeconds:
      scale = 1, reciprocal = wantFrequency, zeroMessage = readtext::kZeroSeconds;
      break;
    case kUnitMilliseconds:
      scale = wantFrequency ? 1000 : 0.001, reciprocal = wantFrequency, zeroMessage = readtext::kZeroMilliseconds;
      break;
    case kUnitHertz:
      scale = 1, reciprocal = !wantFrequency, zeroMessage = readtext::kZeroHertz;
      break;
    case kUnitKiloHertz:
      scale = wantFrequency ? 1000 : 0.001, reciprocal = !wantFrequency, zeroMessage = readtext::kZeroKiloHertz;
      break;
    default:
      return FailUnit(unitCode, readtext::kTimeUnknownUnit, readtext::kTimeWrongUnit);
  }
  if (reciprocal) {
    if (number == 0) return Fail(zeroMessage);
    value = scale / number;
  } else {
    value = number * scale;
  }
  return CheckSign(value, signRule);
}

bool TStringReader::ReadTime(double& seconds, uint8_t signRule) { return ReadTimeOrFreq(seconds, signRule, false); }
bool TStringReader::ReadFreq(double& hertz, uint8_t signRule) { return ReadTimeOrFreq(hertz, signRule, true); }

bool TStringReader::ReadInt32(int32_t& value) {
  size_t cursor = 0;
  int64_t number;
  int32_t digits;
  ReadSignedInt(cursor, number, digits);
  // More than ten digits still name one number: read on until it is out of range, so that a
  // long number fails instead of being cut to its first ten digits.
  const bool negative = At(0) == '-' || (At(0) == '+' && At(1) == '-');
  while (IsDigit(At(cursor)) && number >= std::numeric_limits<int32_t>::min() &&
         number <= std::numeric_limits<int32_t>::max()) {
    const int digit = At(cursor) - '0';
    number = number * 10 + (negative ? -digit : digit);
    ++cursor;
  }
  if (number < std::numeric_limits<int32_t>::min()) return Fail(readtext::kIntegerTooLow);
  if (number > std::numeric_limits<int32_t>::max()) return Fail(readtext::kIntegerTooHigh);
  value = static_cast<int32_t>(number);
  return true;
}

bool TStringReader::ReadInt(int32_t& value, uint8_t signRule) {
  return ReadInt32(value) && CheckSign(value, signRule);
}

bool TStringReader::ReadIntRelation(int32_t& value, uint8_t relation, int32_t bound) {
  return ReadInt32(value) && CheckRelation(value, relation, bound);
}

bool TStringReader::CheckSign(double value, uint8_t signRule) {
  switch (signRule) {
    case 1:
      return value != 0 || Fail(readtext::kSignNotZero);
    case 2:
      return value <= 0 || Fail(readtext::kSignNegative);
    case 3:
      return value >= 0 || Fail(readtext::kSignPositive);
    case 4:
      return value < 0 || Fail(readtext::kSignBelowZero);
    case 5:
      return value > 0 || Fail(readtext::kSignAboveZero);
    case 6:
      if (value < 0) return Fail(readtext::kSignPositive);
      return value <= 1 || Fail(readtext::kSignAtMostOne);
    case 7:
      if (value <= 0) return Fail(readtext::kSignAboveZero);
      return value < 1 || Fail(readtext::kSignBelowOne);
    default:
      return true;
  }
}

bool TStringReader::CheckRelation(double value, uint8_t relation, int32_t bound) {
  bool holds = false;
  const char* prefix = nullptr;
  switch (relation) {
    case 1:
      holds = value != bound, prefix = readtext::kRelationUnequal;
      break;
    case 2:
      holds = value <= bound, prefix = readtext::kRelationAtMost;
      break;
    case 3:
      holds = value >= bound, prefix = readtext::kRelationAtLeast;
      break;
    case 4:
      holds = value < bound, prefix = readtext::kRelationBelow;
      break;
    case 5:
      holds = value > bound, prefix = readtext::kRelationAbove;
      break;
    default:
      KV_ASSERT(false);
  }
  if (holds) return true;
  error_ = prefix + FormatNumber(TNumber(bound)) + ".";
  return false;
}

bool TStringReader::ReadNoteName(size_t& cursor, int32_t& semitone) {
  const unsigned char letter = UpperAscii(At(cursor));
  if (letter < 'A' || letter > 'G') return Fail(readtext::kNoNoteName);
  semitone = kNoteSemitones[letter - 'A'];
  const size_t nameStart = cursor;
  ++cursor;
  if (At(cursor) == '#') {
    if (letter == 'B' || letter == 'E') {
      cursor = nameStart;
      return Fail(readtext::kNoteNoSharp);
    }
    ++semitone;
    ++cursor;
  }
  return true;
}

bool TStringReader::ReadOctave(size_t& cursor, int32_t& octave) {
  int64_t number;
  int32_t digits;
  ReadSignedInt(cursor, number, digits);
  if (digits == 0) {
    octave = kDefaultOctave;
    return true;
  }
  if (number < kMinOctave) return Fail(readtext::kOctaveTooLow);
  if (number > kMaxOctave) return Fail(readtext::kOctaveTooHigh);
  octave = static_cast<int32_t>(number);
  return true;
}

bool TStringReader::ReadNoteFrequency(size_t& cursor, double& hertz) {
  int32_t semitone;
  int32_t octave;
  if (!ReadNoteName(cursor, semitone) || !ReadOctave(cursor, octave)) return false;
  hertz = kFrequencyOfC5 * std::pow(2.0, octave + semitone * (1.0 / 12) - kDefaultOctave);
  return true;
}
