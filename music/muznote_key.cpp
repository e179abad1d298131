// Keys: the clef arithmetic between pitch and height, and the key signature with the placement of
// its glyphs.
#include "foundation/assertion.h"
#include "foundation/global.h"
#include "music/muznote.h"

namespace {
constexpr const char* kAssertUnit = "muznote";

int32_t Wrap7(int32_t value) { return (value % 7 + 7) % 7; }
}  // namespace

bool TKey::IsKeyKind(int32_t keyKind) { return keyKind == keyKindG || keyKind == keyKindC || keyKind == keyKindF; }

TKey::TKey(TUnitMuz* unitMuz, int8_t keyKind, int32_t addOctaves, double position, TNoteStave* noteStave,
           int32_t keyOrder, TSinglePartMuz* singlePartMuz)
    : TStaveSymbol(singlePartMuz, position, noteStave),
      KeyKind(keyKind),
      OctavesUp(addOctaves),
      KeyOrder(keyOrder),
      UnitMuz(unitMuz) {
  KV_ASSERT(addOctaves >= -2);
  KV_ASSERT(addOctaves <= 2);
}

void TKey::Dump() const {
  DebugLog("TKey:");
  DebugLogPointer(this);
  DebugLog("NoteShift:");
}

int32_t TKey::HeightToPitch(int32_t height) const { return height + Shift(); }

int32_t TKey::PitchToHeight(int32_t pitch) const { return pitch - Shift(); }

bool TKey::IsHeightValid(int32_t height) const { return -43 - Shift() <= height && height <= 43 - Shift(); }

bool TKey::SetKeyKind(int32_t keyKind) {
  if (!IsKeyKind(keyKind)) return false;
  NoteShiftKinds.ChangeKeyKind(KeyKind, keyKind);
  KeyKind = static_cast<int8_t>(keyKind);
  return true;
}

bool TKey::SetNoteShift(int32_t height, uint8_t noteShiftKind) {
  if (noteShiftKind != noteShiftKruis && noteShiftKind != noteShiftNormal && noteShiftKind != noteShiftMol)
    return false;
  return NoteShiftKinds.SetNoteShift(height, noteShiftKind);
}

int32_t TKey::GetShiftOffset(uint8_t noteShiftKind) const {
  KV_ASSERT(noteShiftKind == noteShiftMol || noteShiftKind == noteShiftKruis);
  // Sharps from F clef -3 to G clef -1, flats from -5 to -3.
  return KeyKind / 6 + (noteShiftKind == noteShiftKruis ? -2 : -4);
}

int32_t TKey::GetShiftHeight(uint8_t noteShiftKind, int32_t horPos) const {
  KV_ASSERT(noteShiftKind == noteShiftMol || noteShiftKind == noteShiftKruis);
  KV_ASSERT(horPos >= 0 && horPos <= 6);
  // Sharps go up a fifth (4 steps) each, flats down a fifth (3 steps up), from F and B.
  const int32_t q = KeyKind / 6;
  return noteShiftKind == noteShiftKruis ? Wrap7(q + 4 * horPos + 3) : Wrap7(q + 3 * horPos + 6);
}

int32_t TKey::WrapShiftHeight(int32_t height, uint8_t noteShiftKind) const {
  const int32_t offset = GetShiftOffset(noteShiftKind);
  return offset + Wrap7(height - offset);
}

bool TKey::ToonLadder(int32_t& scale) const {
  int32_t flats = 0;
  int32_t sharps = 0;
  bool ended = false;
  for (int32_t k = 0; k < 7; ++k) {
    const uint8_t atFlat = GetNoteShift(GetShiftHeight(noteShiftMol, k));
    const uint8_t atSharp = GetNoteShift(GetShiftHeight(noteShiftKruis, k));
    if (atFlat == noteShiftMol) {
      if (sharps > 0 || ended) return false;
      ++flats;
    }
    if (atSharp == noteShiftKruis) {
      if (flats > 0 || ended) return false;
      ++sharps;
    }
    if (flats > 0 && atFlat == noteShiftNormal) ended = true;
    if (sharps > 0 && atSharp == noteShiftNormal) ended = true;
    if (flats == 0 && sharps == 0 && atFlat != noteShiftMol && atSharp != noteShiftKruis) ended = true;
  }
  scale = sharps >= 1 ? sharps : -flats;
  return true;
}
