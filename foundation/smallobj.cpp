#include "foundation/smallobj.h"

#include <cmath>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/writers.h"

namespace {

constexpr const char* kAssertUnit = "smallobj";

// Every value is written with seven significant digits, trailing zeros dropped.
constexpr int32_t kPrecision = 7;

bool IsTimeUnit(uint8_t code) { return code >= kUnitSeconds && code <= kUnitKiloHertz; }
bool IsPartUnit(uint8_t code) { return code == kUnitNone || code == kUnitPercent || code == kUnitDegrees; }

}  // namespace

void unit::ReadField(bool& ok, const std::string& text, const std::string& fieldName) {
  if (!ok) return;
  std::string error;
  if (Read(text, fieldName, error)) return;
  MessageReporter::ShowInputError(error);
  ok = false;
}

std::string unitFactor::Write() const {
  switch (UnitUsed) {
    case kUnitNone:
    case kUnitPercent:
    case kUnitDecibel:
    case kUnitDegrees:
    case kUnitBalanceDegrees:
      return FormatValueUnit(TNumber(Value), UnitUsed, kPrecision, true, false);
    default:
      return "";
  }
}

unitVolumeFactor::unitVolumeFactor(double value, uint8_t unitUsed, uint8_t signRule)
    : unitFactor(value, unitUsed, signRule) {
  SetValue(value);
}

void unitVolumeFactor::SetValue(double value) {
  if (UnitUsed == kUnitDecibel && value <= 0) UnitUsed = kUnitNone;
  Value = value;
}

std::string unitVolumeFactor::Write() const {
  // Some hundreds of decibels below 0 read as a factor of 0, which has no decibel form either.
  if (UnitUsed == kUnitDecibel && Value <= 0)
    return FormatValueUnit(TNumber(Value), kUnitNone, kPrecision, true, false);
  return unitFactor::Write();
}

std::string unitInteger::Write() const { return UnitUsed == kUnitNone ? FormatNumber(TNumber(Value)) : ""; }

std::string unitTime::Write() const {
  return IsTimeUnit(UnitUsed) ? FormatValueUnit(TNumber(Value), UnitUsed, kPrecision, true, false) : "";
}

std::string unitFreq::Write() const {
  return IsTimeUnit(UnitUsed) ? FormatValueUnit(TNumber(Value), UnitUsed, kPrecision, true, true) : "";
}

std::string unitWaveVal::Write() const { return FormatWaveValue(TNumber(int32_t{Value}), UnitUsed); }

void unitWavePosition::SetLength(double seconds) {
  KV_ASSERT(seconds >= 0);
  if (IsPartUnit(UnitUsed) && Length != 0) Place.Position *= seconds / Length;
  Length = seconds;
}

std::string unitWavePosition::Write() const {
  if (IsTimeUnit(UnitUsed)) {
    const double seconds = Place.Relative ? Place.Position - Length : Place.Position;
    return FormatWithUnit(seconds, UnitUsed, kPrecision, true, false);
  }
  // Without a length there is no part to write; an empty field reads back as a failure.
  if (!IsPartUnit(UnitUsed) || Length == 0) return "";
  return FormatWithUnit(MapLinear(Place.Position, 0, Length, 0, 1), UnitUsed, kPrecision, true, false);
}

bool unitWavePosition::Parse(TStringReader& reader, WavePlace& place) const {
  double seconds;
  if (reader.ReadTime(seconds, 0)) {
    if (!(seconds < Length)) return reader.Fail(valuetext::kPositionAfterEnd);
    if (!(seconds >= -Length)) return reader.Fail(valuetext::kPositionBeforeStart);
    place.Relative = seconds < 0;
    place.Position = place.Relative ? Length + seconds : seconds;
    return true;
  }
  // Not a time: a part of the wave, or the failure of reading it as one.
  double part;
  if (!reader.ReadPhase(part)) return false;
  place = {part * Length, false};
  return true;
}

bool unitWavePosition::Read(const std::string& text, const std::string& fieldName, std::string& error) {
  return ReadValue(text, fieldName, error, Place,
                   [this](TStringReader& reader, WavePlace& place) { return Parse(reader, place); });
}
