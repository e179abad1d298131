// The text reader behind every input field: numbers, fractions, unit suffixes, note names, sign
// rules and relations. Each parser starts again at the beginning of the text and, on failure,
// leaves a message for the caller to show.
#pragma once

#include <cstdint>
#include <string>

// Unit codes: what the user typed after the number, kept so a value is written back the same way.
enum UnitCode : uint8_t {
  kUnitNone = 0,
  kUnitPercent = 1,
  kUnitDecibel = 2,
  kUnitSeconds = 3,
  kUnitMilliseconds = 4,
  kUnitHertz = 5,
  kUnitKiloHertz = 6,
  kUnitRaw = 7,
  kUnitDegrees = 8,
  kUnitBalanceDegrees = 9,  // never read: the balance value stores it for degrees
  kUnitUnknown = 11,
};

// Sign rules: 0 anything, 1 not 0, 2 <= 0, 3 >= 0, 4 < 0, 5 > 0, 6 0..1, 7 strictly between 0 and 1.
// Relations against a bound: 1 unequal, 2 <=, 3 >=, 4 <, 5 >.

namespace readtext {
inline constexpr const char* kNoValue = "Input has no value.";
inline constexpr const char* kNoValueBeforeSlash = "Input has no value before '/'.";
inline constexpr const char* kNoValueAfterSlash = "Input has no value after '/'.";
inline constexpr const char* kBrokeInvalid = "Broke is invalid.";

inline constexpr const char* kFactorUnknownUnit = "This unit does not exist, use: '%' or no unit.";
inline constexpr const char* kFactorWrongUnit = "Wrong unit used, use: '%' or no unit.";
inline constexpr const char* kVolumeUnknownUnit = "This unit does not exist, use: '%', 'dB' or no unit.";
inline constexpr const char* kVolumeWrongUnit = "Wrong unit used, use: '%', 'dB' or no unit.";
inline constexpr const char* kAngleUnknownUnit = "This unit does not exist, use: '%', ' ' ' or no unit.";
inline constexpr const char* kAngleWrongUnit = "Wrong unit used, use: '%', ' ' ' or no unit.";
inline constexpr const char* kWaveValueUnknownUnit = "This unit does not exist, use: '%', '$' or no unit.";
inline constexpr const char* kWaveValueWrongUnit = "Wrong unit used, use: '%', '$' or no unit.";
inline constexpr const char* kTimeUnknownUnit = "This unit does not exist, use: 's', 'ms', 'Hz', 'kHz'.";
inline constexpr const char* kTimeWrongUnit = "Wrong unit used, use: 's', 'ms', 'Hz', 'kHz'.";

inline constexpr const char* kWaveValueTooLow = "Wave Value is too low. (minimum: -1)";
inline constexpr const char* kWaveValueTooHigh = "Wave Value is too high. (maximum: 1)";
inline constexpr const char* kWaveValuePercentTooLow = "Wave Value is too low. (minimum: -100 %)";
inline constexpr const char* kWaveValuePercentTooHigh = "Wave Value is too high. (maximum: 100 %)";
inline constexpr const char* kWaveValueRawTooLow = "Wave Value is too low. (minimum: -32768 $)";
inline constexpr const char* kWaveValueRawTooHigh = "Wave Value is too high. (maximum: 32767 $)";
inline constexpr const char* kPhaseTooLow = "Fase is too low. (minimum: -1 or -100 %)";
inline constexpr const char* kPhaseTooHigh = "Fase is too high. (maximum: less than 1 or 100 %)";
inline constexpr const char* kPhaseDegreesTooLow = "Fase is too low. (minimum: -360' )";
inline constexpr const char* kPhaseDegreesTooHigh = "Fase is too high. (maximum: less than 360' )";
inline constexpr const char* kBalanceTooLow = "Balance Factor is too low. (minimum: -1 or -100 %)";
inline constexpr const char* kBalanceTooHigh = "Balance Factor is too high. (maximum: 1 or 100 %)";
inline constexpr const char* kBalanceDegreesTooLow = "Balance Angle is too low. (minimum: -90' )";
inline constexpr const char* kBalanceDegreesTooHigh = "Balance Angle is too high. (maximum: 90' )";
inline constexpr const char* kIntegerTooLow = "Value is too low. (minimum: -2147483648)";
inline constexpr const char* kIntegerTooHigh = "Value is too high. (maximum: 2147483647)";
inline constexpr const char* kVolumeTooHigh = "Volume is too high.";

inline constexpr const char* kZeroHertz = "You cannot use 0 with 'Hz'.";
inline constexpr const char* kZeroKiloHertz = "You cannot use 0 with 'kHz'.";
inline constexpr const char* kZeroSeconds = "You cannot use 0 with 's'.";
inline constexpr const char* kZeroMilliseconds = "You cannot use 0 with 'ms'.";

inline constexpr const char* kNoteNoSharp = "This note cannot have a \"#\".";
inline constexpr const char* kNoNoteName = "Input has no note name.";
inline constexpr const char* kOctaveTooLow = "The minimum Octave number is -2.";
inline constexpr const char* kOctaveTooHigh = "The maximum Octave number is 12.";

inline constexpr const char* kSignNotZero = "Value must be not 0.";
inline constexpr const char* kSignNegative = "Value must be negative.";
inline constexpr const char* kSignPositive = "Value must be positive.";
inline constexpr const char* kSignBelowZero = "Value must be negative and less than 0.";
inline constexpr const char* kSignAboveZero = "Value must be positive and more than 0.";
inline constexpr const char* kSignAtMostOne = "Value must be no more than 1.";
inline constexpr const char* kSignBelowOne = "Value must be less than 1.";

inline constexpr const char* kRelationUnequal = "Value must be unequal of ";
inline constexpr const char* kRelationAtMost = "Value must be less or equal of ";
inline constexpr const char* kRelationAtLeast = "Value must be more or equal of ";
inline constexpr const char* kRelationBelow = "Value must be less than ";
inline constexpr const char* kRelationAbove = "Value must be more than ";
}  // namespace readtext

class TStringReader {
 public:
  // Like the zero-terminated text it stands for, the reader's text ends at a NUL character.
  explicit TStringReader(const char* text = nullptr);
  explicit TStringReader(const std::string& text);

  const std::string& GetError() const { return error_; }
  // Leaves a message and answers false, for checks that callers add after a parser.
  bool Fail(const char* message);

  // Cursor-level steps; the cursor is an index into the text.
  bool ReadNumber(size_t& cursor, double& value);
  uint8_t ReadUnit(size_t& cursor) const;
  void SkipBlanks(size_t& cursor) const;
  // Up to 10 digits; count is how many were read. Always true.
  bool ReadDigits(size_t& cursor, int64_t& value, int32_t& count) const;
  // An optional '+', then an optional '-', then the digits. Always true.
  bool ReadSignedInt(size_t& cursor, int64_t& value, int32_t& count) const;

  // The unit code of the text, false when it has no number.
  bool GetUnitUsed(uint8_t& unitCode);

  bool ReadFactor(double& value, uint8_t signRule);
  bool ReadVolumeFactor(double& value);
  bool ReadPhase(double& value);    // a part of a turn, 0 <= value < 1
  bool ReadBalance(double& value);  // -1 .. 1
  bool ReadWaveValue(int16_t& value, uint8_t signRule);
  bool ReadTime(double& seconds, uint8_t signRule);
  bool ReadFreq(double& hertz, uint8_t signRule);
  bool ReadInt(int32_t& value, uint8_t signRule);
  bool ReadIntRelation(int32_t& value, uint8_t relation, int32_t bound);
  bool CheckSign(double value, uint8_t signRule);
  bool CheckRelation(double value, uint8_t relation, int32_t bound);

  bool ReadNoteFrequency(size_t& cursor, double& hertz);
  bool ReadNoteName(size_t& cursor, int32_t& semitone);
  bool ReadOctave(size_t& cursor, int32_t& octave);

 private:
  unsigned char At(size_t cursor) const { return cursor < text_.size() ? static_cast<unsigned char>(text_[cursor]) : 0; }
  // Number, blanks, unit from the start of the text.
  bool ReadNumberAndUnit(double& value, uint8_t& unitCode);
  bool FailUnit(uint8_t unitCode, const char* unknownMessage, const char* wrongMessage);
  bool ReadTimeOrFreq(double& value, uint8_t signRule, bool wantFrequency);
  bool ReadInt32(int32_t& value);

  std::string text_;
  std::string error_;
};
