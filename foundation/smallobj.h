// Typed parameter values: each knows its kind, the sign rule a new value must obey and the unit
// the user last typed it in, reads itself from the text of an input field and writes itself back
// in that unit. Parameter records hold them by value and copy them freely.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/messages.h"
#include "foundation/readers.h"

namespace valuetext {
inline constexpr const char* kPositionAfterEnd = "Position must be before the end of the wave";
inline constexpr const char* kPositionBeforeStart = "Position must be not before the start of the previous wave";
}  // namespace valuetext

class unit {
 public:
  virtual ~unit() = default;
  unit(const unit&) = default;
  unit& operator=(const unit&) = default;

  // The value in the unit it was last typed in; empty for a unit the class cannot write.
  virtual std::string Write() const = 0;
  // Does nothing once ok is false, so a dialog that reads all its fields with one flag reports
  // only the first faulty one; a failure is shown and clears ok.
  void ReadField(bool& ok, const std::string& text, const std::string& fieldName);
  // On failure error is "In <field>: <reason>" and the value and its unit are left as they were.
  virtual bool Read(const std::string& text, const std::string& fieldName, std::string& error) = 0;

  uint8_t GetUnitUsed() const { return UnitUsed; }
  uint8_t GetSignRule() const { return SignRule; }

 protected:
  unit(uint8_t unitUsed, uint8_t signRule) : UnitUsed(unitUsed), SignRule(signRule) {}

  // The one road of every Read: parse into a scratch value, and only on success store it and
  // take the unit of the text (a note name has none, and the old unit stays).
  template <typename T, typename Parse>
  bool ReadValue(const std::string& text, const std::string& fieldName, std::string& error, T& value, Parse parse) {
    TStringReader reader(text);
    T read = value;
    if (!parse(reader, read)) {
      error = FieldErrorText(fieldName, reader.GetError());
      return false;
    }
    value = read;
    uint8_t unitCode;
    if (reader.GetUnitUsed(unitCode)) UnitUsed = StoredUnitCode(unitCode);
    return true;
  }
  // The code kept for a unit read from a text.
  virtual uint8_t StoredUnitCode(uint8_t readCode) const { return readCode; }

  uint8_t UnitUsed;
  uint8_t SignRule;
};

// A value of type T read by one parser of the text reader.
template <typename T>
class unitOf : public unit {
 public:
  bool Read(const std::string& text, const std::string& fieldName, std::string& error) override {
    return ReadValue(text, fieldName, error, Value, [this](TStringReader& reader, T& v) { return Parse(reader, v); });
  }

 protected:
  unitOf(T value, uint8_t unitUsed, uint8_t signRule) : unit(unitUsed, signRule), Value(value) {}
  virtual bool Parse(TStringReader& reader, T& value) const = 0;

  T Value;
};

// Factors: plain, percent, decibel and angle forms of one double.
class unitFactor : public unitOf<double> {
 public:
  unitFactor(double value, uint8_t unitUsed) : unitFactor(value, unitUsed, 0) {}
  std::string Write() const override;
  virtual double GetValue() const { return Value; }
  virtual void SetValue(double value) { Value = value; }

 protected:
  unitFactor(double value, uint8_t unitUsed, uint8_t signRule) : unitOf(value, unitUsed, signRule) {}
  bool Parse(TStringReader& reader, double& value) const override { return reader.ReadFactor(value, SignRule); }
};

class unitFactorPos : public unitFactor {
 public:
  unitFactorPos(double value, uint8_t unitUsed) : unitFactor(value, unitUsed, 3) {}
};
class unitFactorNotNul : public unitFactor {
 public:
  unitFactorNotNul(double value, uint8_t unitUsed) : unitFactor(value, unitUsed, 1) {}
};
class unitFactorPosMore : public unitFactor {
 public:
  unitFactorPosMore(double value, uint8_t unitUsed) : unitFactor(value, unitUsed, 5) {}
};
class unitFactorPosMax1 : public unitFactor {
 public:
  unitFactorPosMax1(double value, uint8_t unitUsed) : unitFactor(value, unitUsed, 6) {}
};

// A linear volume factor, typed as a factor, a percentage or in decibels. Reading checks no sign
// rule: the owner gets the factor the text gives.
class unitVolumeFactor : public unitFactor {
 public:
  unitVolumeFactor(double value, uint8_t unitUsed) : unitVolumeFactor(value, unitUsed, 0) {}
  // A factor of 0 or less has no decibel form, so it is then written without a unit.
  void SetValue(double value) override;
  std::string Write() const override;

 protected:
  unitVolumeFactor(double value, uint8_t unitUsed, uint8_t signRule);
  bool Parse(TStringReader& reader, double& value) const override { return reader.ReadVolumeFactor(value); }
};

// Unlike a plain volume, this one is held to its rule: the filters that take it run only strictly
// between 0 and 1, so the field refuses what they cannot take.
class unitVolumeFactorPosMoreLess1 : public unitVolumeFactor {
 public:
  unitVolumeFactorPosMoreLess1(double value, uint8_t unitUsed) : unitVolumeFactor(value, unitUsed, 7) {}

 protected:
  bool Parse(TStringReader& reader, double& value) const override {
    return unitVolumeFactor::Parse(reader, value) && reader.CheckSign(value, SignRule);
  }
};

// A phase in turns, 0 <= value < 1.
class unitAngleFactor : public unitFactor {
 public:
  unitAngleFactor(double value, uint8_t unitUsed) : unitFactor(value, unitUsed) {}

 protected:
  bool Parse(TStringReader& reader, double& value) const override { return reader.ReadPhase(value); }
};

// A balance, -1 <= value <= 1; degrees are kept as balance degrees (a quarter turn is full).
class unitBalAngleFactor : public unitFactor {
 public:
  unitBalAngleFactor(double value, uint8_t unitUsed) : unitFactor(value, unitUsed) {}

 protected:
  bool Parse(TStringReader& reader, double& value) const override { return reader.ReadBalance(value); }
  uint8_t StoredUnitCode(uint8_t readCode) const override {
    return readCode == kUnitDegrees ? static_cast<uint8_t>(kUnitBalanceDegrees) : readCode;
  }
};

// Integers have no unit. The code stays 0 whatever was typed after the digits: with another code
// the value would write an empty field, which the next OK would read as 0.
class unitInteger : public unitOf<int32_t> {
 public:
  unitInteger(int32_t value, uint8_t /*unitUsed*/) : unitInteger(value, 0, 0) {}
  std::string Write() const override;
  int32_t GetValue() const { return Value; }
  virtual void SetValue(int32_t value) { Value = value; }

 protected:
  unitInteger(int32_t value, uint8_t /*unitUsed*/, uint8_t signRule) : unitOf(value, kUnitNone, signRule) {}
  bool Parse(TStringReader& reader, int32_t& value) const override { return reader.ReadInt(value, SignRule); }
  uint8_t StoredUnitCode(uint8_t) const override { return kUnitNone; }
};

class unitIntegerPos : public unitInteger {
 public:
  unitIntegerPos(int32_t value, uint8_t unitUsed) : unitInteger(value, unitUsed, 3) {}
};
class unitIntegerPosMore : public unitInteger {
 public:
  unitIntegerPosMore(int32_t value, uint8_t unitUsed) : unitInteger(value, unitUsed, 5) {}
};

// An integer at or above a bound that its owner sets.
class unitIntegerMoreUser : public unitInteger {
 public:
  unitIntegerMoreUser(int32_t value, uint8_t unitUsed) : unitInteger(value, unitUsed, 5) {}
  void SetBound(int32_t bound) { Bound = bound; }
  int32_t GetBound() const { return Bound; }

 protected:
  bool Parse(TStringReader& reader, int32_t& value) const override {
    return reader.ReadIntRelation(value, 3, Bound);
  }

 private:
  int32_t Bound = 0;
};

// A time in seconds, typed in s, ms, Hz, kHz (a period) or as a note name.
class unitTime : public unitOf<double> {
 public:
  unitTime(double seconds, uint8_t unitUsed) : unitTime(seconds, unitUsed, 0) {}
  std::string Write() const override;
  double GetValue() const { return Value; }
  virtual void SetValue(double seconds) { Value = seconds; }

 protected:
  unitTime(double seconds, uint8_t unitUsed, uint8_t signRule) : unitOf(seconds, unitUsed, signRule) {}
  bool Parse(TStringReader& reader, double& value) const override { return reader.ReadTime(value, SignRule); }
};

class unitTimePos : public unitTime {
 public:
  unitTimePos(double seconds, uint8_t unitUsed) : unitTime(seconds, unitUsed, 3) {}
};
class unitTimePosMore : public unitTime {
 public:
  unitTimePosMore(double seconds, uint8_t unitUsed) : unitTime(seconds, unitUsed, 5) {}
};

// A frequency in hertz, typed in Hz, kHz, s, ms (a period) or as a note name.
class unitFreq : public unitOf<double> {
 public:
  unitFreq(double hertz, uint8_t unitUsed) : unitOf(hertz, unitUsed, 0) {}
  std::string Write() const override;
  double GetValue() const { return Value; }
  void SetValue(double hertz) { Value = hertz; }

 protected:
  bool Parse(TStringReader& reader, double& value) const override { return reader.ReadFreq(value, SignRule); }
};

// A raw signed 16-bit sample value, typed as a part of full scale, a percentage or raw ("$").
class unitWaveVal : public unitOf<int16_t> {
 public:
  unitWaveVal(int16_t raw, uint8_t unitUsed) : unitWaveVal(raw, unitUsed, 0) {}
  std::string Write() const override;
  int16_t GetValue() const { return Value; }
  void SetValue(int16_t raw) { Value = raw; }

 protected:
  unitWaveVal(int16_t raw, uint8_t unitUsed, uint8_t signRule) : unitOf(raw, unitUsed, signRule) {}
  bool Parse(TStringReader& reader, int16_t& value) const override { return reader.ReadWaveValue(value, SignRule); }
};

class unitWaveValPosMore : public unitWaveVal {
 public:
  unitWaveValPosMore(int16_t raw, uint8_t unitUsed) : unitWaveVal(raw, unitUsed, 5) {}
};

// A position in a wave whose length only the dialog showing it knows. Typed as a time (negative
// counts back from the end, and the position stays relative) or as a part of the length.
class unitWavePosition : public unit {
 public:
  unitWavePosition(double seconds, uint8_t unitUsed, bool relative)
      : unit(unitUsed, 0), Place{seconds, relative} {}
  std::string Write() const override;
  bool Read(const std::string& text, const std::string& fieldName, std::string& error) override;

  // A position typed as a part of the wave keeps meaning the same part of a new length.
  // A length of 0 (an empty wave) is allowed: nothing is then a part of it.
  void SetLength(double seconds);
  double GetLength() const { return Length; }
  double GetValue() const { return Place.Position; }
  void SetValue(double seconds) { Place.Position = seconds; }
  bool IsRelative() const { return Place.Relative; }

 private:
  struct WavePlace {
    double Position;  // seconds from the start
    bool Relative;    // typed counting back from the end
  };
  bool Parse(TStringReader& reader, WavePlace& place) const;

  WavePlace Place;
  double Length = 0;
};
