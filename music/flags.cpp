#include "music/flags.h"

#include "foundation/assertion.h"

namespace {
constexpr const char* kAssertUnit = "flags";
constexpr int32_t kShortestKind = 64;
constexpr int32_t kMaxPoints = 3;
}  // namespace

int32_t NoteShiftSemitones(uint8_t noteShiftKind) {
  switch (noteShiftKind) {
    case noteShiftDubbelKruis:
      return 2;
    case noteShiftKruis:
      return 1;
    case noteShiftMol:
      return -1;
    case noteShiftDubbelMol:
      return -2;
    default:
      return 0;
  }
}

TNoteShiftTable::TNoteShiftTable(uint8_t noteShiftKind) {
  KV_ASSERT(noteShiftKind <= noteShiftNone);
  NoteShiftKinds.fill(noteShiftKind);
}

int32_t TNoteShiftTable::HeightOffset(int32_t height) {
  // Heights below the centre line wrap by whole periods: -1 is the step below 0, entry 6.
  const int32_t heightOffset = (height % 7 + 7) % 7;
  KV_ASSERT(heightOffset >= 0);
  KV_ASSERT(heightOffset < 7);
  return heightOffset;
}

uint8_t TNoteShiftTable::GetNoteShift(int32_t height) const { return NoteShiftKinds[HeightOffset(height)]; }

bool TNoteShiftTable::SetNoteShift(int32_t height, uint8_t noteShiftKind) {
  if (noteShiftKind > noteShiftNone) return false;
  NoteShiftKinds[HeightOffset(height)] = noteShiftKind;
  return true;
}

void TNoteShiftTable::ChangeKeyKind(int32_t oldKeyKind, int32_t newKeyKind) {
  // A pitch's height changes by old - new = -6d steps, which is d modulo 7.
  const int32_t d = newKeyKind / 6 - oldKeyKind / 6;
  std::array<uint8_t, 7> rotated{};
  for (int32_t i = 0; i < 7; ++i) rotated[HeightOffset(i + d)] = NoteShiftKinds[i];
  NoteShiftKinds = rotated;
}

void TNoteShiftTable::FillNone(const TNoteShiftTable& other) {
  for (size_t index = 0; index < NoteShiftKinds.size(); ++index) {
    if (NoteShiftKinds[index] == noteShiftNone) NoteShiftKinds[index] = other.NoteShiftKinds[index];
    KV_ASSERT(NoteShiftKinds[index] != noteShiftNone);
  }
}

bool IsNoteLengthKind(int32_t noteLengthKind) {
  for (int32_t kind = 1; kind <= kShortestKind; kind *= 2)
    if (kind == noteLengthKind) return true;
  return false;
}

double NoteValue(int32_t noteLengthKind, int32_t points) {
  KV_ASSERT(IsNoteLengthKind(noteLengthKind));
  double addition = 1.0 / noteLengthKind;
  double value = addition;
  for (int32_t dot = 0; dot < points; ++dot) {
    addition /= 2;
    value += addition;
  }
  return value;
}

int32_t FlagLengthOf(int32_t noteLengthKind, int32_t multiOol) {
  int32_t flagLength = noteLengthKind;
  if (multiOol == duool || multiOol == triool || multiOol == kwartool) flagLength *= 2;
  if (multiOol == kwintool) flagLength *= 4;
  KV_ASSERT(flagLength <= 64);
  return flagLength;
}

int32_t MaxPointsForLength(int32_t noteLengthKind) {
  switch (noteLengthKind) {
    case 16:
      return 2;
    case 32:
      return 1;
    case 64:
      return 0;
    default:
      return kMaxPoints;
  }
}

bool TNoteLength::Set(int32_t points, int32_t noteLengthKind) {
  if (!IsNoteLengthKind(noteLengthKind) || points < 0 || points > kMaxPoints) return false;
  LengthIsBroken = false;
  NoteLengthKind = static_cast<int8_t>(noteLengthKind);
  Points = points;
  return true;
}

void TNoteLength::SetBroken(double length) {
  LengthIsBroken = true;
  BrokenLength = length;
}

double TNoteLength::GetValue() const { return LengthIsBroken ? BrokenLength : NoteValue(NoteLengthKind, Points); }

double TNoteLength::Split(int32_t& points, int8_t& noteLengthKind, double& value) const {
  const double length = GetValue();
  // Written so that a NaN takes this road as well: nothing shorter can be drawn, and a remainder
  // left here would never shrink.
  if (!(length >= 1.0 / kShortestKind)) {
    noteLengthKind = kShortestKind;
    points = 0;
    value = length;
    return 0;
  }
  int32_t kind = 1;
  while (kind < kShortestKind && 1.0 / kind > length) kind *= 2;
  noteLengthKind = static_cast<int8_t>(kind);
  value = 1.0 / kind;
  points = 0;
  if (length - 1.0 / kind < 1) {
    int32_t dotKind = kind;
    points = 1;
    while (points < kMaxPoints && value < length) {
      dotKind *= 2;
      value += 1.0 / dotKind;
      ++points;
    }
    if (value > length) {
      value -= 1.0 / dotKind;
      --points;
    }
    --points;
  }
  const double restLength = length - value;
  KV_ASSERT(restLength >= 0);
  return restLength;
}

int32_t TNoteLength::GetFlagLength(int32_t multiOol) const { return FlagLengthOf(NoteLengthKind, multiOol); }

int32_t TNoteLength::GetFlagPoints(int32_t multiOol) const {
  KV_ASSERT(!LengthIsBroken);
  if (multiOol == duool || multiOol == kwartool) {
    KV_ASSERT(Points > 0);
    return Points - 1;
  }
  return Points;
}
