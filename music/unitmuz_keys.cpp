// The music document's key and pitch commands: clefs, key signatures grown one sharp or flat at a
// time, accidentals of notes and signatures, and moving notes by step or octave and keys by octave.
// In add mode they set what the next click inserts; in edit mode they change the selected symbol.
#include <cstdint>

#include "foundation/assertion.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/unitmuz.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";

constexpr int32_t kMaxOctavesUp = 2;
constexpr int32_t kMaxScale = 7;
constexpr int32_t kOctaveSteps = 7;

bool IsSignatureShift(uint8_t kind) { return kind == noteShiftKruis || kind == noteShiftMol; }
}  // namespace

bool TKey::SetOctavesUp(int32_t octavesUp) {
  if (octavesUp < -kMaxOctavesUp || octavesUp > kMaxOctavesUp) return false;
  OctavesUp = octavesUp;
  return true;
}

bool TMuzNote::SetNoteShift(uint8_t noteShift) {
  if (noteShift > noteShiftDubbelMol) return false;
  NoteShift = noteShift;
  return true;
}

TKey* TUnitMuz::GetSelectedKey() const {
  TStaveSymbol* staveSymbol = GetSelectedStaveSymbol();
  return staveSymbol ? staveSymbol->AsKey() : nullptr;
}

// --- accidentals -------------------------------------------------------------------------------

bool TUnitMuz::CanChangeNoteShift(uint8_t kind) const {
  if (UnitMuzMode == unitMuzAdd) return true;
  if (UnitMuzMode != unitMuzSel) return false;
  if (GetSelectedNote() != nullptr) return true;
  const TKey* key = GetSelectedKey();
  int32_t scale = 0;
  if (key == nullptr || !IsSignatureShift(kind) || !key->ToonLadder(scale)) return false;
  return kind == noteShiftMol ? scale > -kMaxScale : scale < kMaxScale;
}

bool TUnitMuz::IsNoteShift(uint8_t kind) const {
  if (UnitMuzMode == unitMuzAdd) return CurNoteShiftKind == kind && InsertKind == insertModeKeyNoteShift;
  const TMuzNote* note = UnitMuzMode == unitMuzSel ? GetSelectedNote() : nullptr;
  return note != nullptr && note->GetNoteShift() == kind;
}

void TUnitMuz::ChangeNoteShift(uint8_t kind) {
  KV_ASSERT(UnitMuzMode != unitMuzDel);
  KV_ASSERT(kind <= noteShiftDubbelMol);
  if (UnitMuzMode == unitMuzAdd) {
    CurNoteShiftKind = kind;
    InsertKind = insertModeKeyNoteShift;
    return;
  }
  KV_ASSERT(GetSelMuzSymbolKind() == muzSymbolStave);
  if (TMuzNote* note = GetSelectedNote()) {
    note->SetNoteShift(kind);
    note->PlayPreview(Tempo.GetValue());
    Refresh();
    SetModified();
    return;
  }
  TKey* key = GetSelectedKey();
  KV_ASSERT(key != NULL);  // a rest has no accidental
  KV_ASSERT(IsSignatureShift(kind));
  int32_t scale = 0;
  const bool regular = key->ToonLadder(scale);
  KV_ASSERT(regular);
  KV_ASSERT(kind == noteShiftMol ? scale > -kMaxScale : scale < kMaxScale);
  // A sharp raises the scale by one, a flat lowers it: each adds the next accidental of its own
  // order or takes back the last one of the other.
  if (kind == noteShiftKruis && scale >= 0)
    key->SetNoteShift(key->GetShiftHeight(noteShiftKruis, scale), noteShiftKruis);
  else if (kind == noteShiftMol && scale > 0)
    key->SetNoteShift(key->GetShiftHeight(noteShiftKruis, scale - 1), noteShiftNormal);
  else if (kind == noteShiftMol)
    key->SetNoteShift(key->GetShiftHeight(noteShiftMol, -scale), noteShiftMol);
  else
    key->SetNoteShift(key->GetShiftHeight(noteShiftMol, -1 - scale), noteShiftNormal);
  Refresh();
  SetModified();
}

void TUnitMuz::AddKeyNoteShift(TStaveSymbol* symbol, int32_t height) {
  KV_ASSERT(symbol != NULL);
  if (TKey* key = symbol->AsKey()) {
    // A signature holds no double accidentals.
    if (CurNoteShiftKind == noteShiftKruis || CurNoteShiftKind == noteShiftNormal || CurNoteShiftKind == noteShiftMol)
      key->SetNoteShift(height, CurNoteShiftKind);
  } else if (TMuzNote* note = symbol->AsNote()) {
    note->SetNoteShift(CurNoteShiftKind);
    note->PlayPreview(Tempo.GetValue());
  }
}

// --- clefs -------------------------------------------------------------------------------------

bool TUnitMuz::CanSetKeyKind() const {
  if (UnitMuzMode == unitMuzAdd) return true;
  return UnitMuzMode == unitMuzSel && GetSelectedKey() != nullptr;
}

bool TUnitMuz::IsKeyKind(int8_t kind) const {
  if (UnitMuzMode == unitMuzAdd) return InsertKind == insertModeKey && CurKeyKind == kind;
  const TKey* key = UnitMuzMode == unitMuzSel ? GetSelectedKey() : nullptr;
  return key != nullptr && key->GetKeyKind() == kind;
}

void TUnitMuz::SetKeyKind(int8_t kind) {
  KV_ASSERT(TKey::IsKeyKind(kind));
  KV_ASSERT(CanSetKeyKind());
  if (UnitMuzMode == unitMuzAdd) {
    CurKeyKind = kind;
    InsertKind = insertModeKey;
    return;
  }
  TKey* key = GetSelectedKey();
  ChangeKey(key, kind, key->GetOctavesUp());
  Refresh();
  SetModified();
}

void TUnitMuz::KeyKindUp() { StepKeyKind(TKey::keyKindF, TKey::keyKindC, TKey::keyKindG); }
void TUnitMuz::KeyKindDown() { StepKeyKind(TKey::keyKindG, TKey::keyKindC, TKey::keyKindF); }

// One clef along first, middle, last: the last clef goes no further.
void TUnitMuz::StepKeyKind(int8_t first, int8_t middle, int8_t last) {
  if (!CanSetKeyKind()) return;
  if (IsKeyKind(first))
    SetKeyKind(middle);
  else if (IsKeyKind(middle))
    SetKeyKind(last);
}

void TUnitMuz::ChangeKey(TKey* key, int8_t kind, int32_t octaves) {
  KV_ASSERT(key != NULL);
  if (kind == key->GetKeyKind() && octaves == key->GetOctavesUp()) return;
  // The notes keep their pitches; only where they are drawn follows the key.
  const bool kindSet = key->SetKeyKind(kind);
  KV_ASSERT(kindSet);
  const bool octavesSet = key->SetOctavesUp(octaves);
  KV_ASSERT(octavesSet);
}

// --- pitch and octave moves --------------------------------------------------------------------

bool TUnitMuz::UpperPosition(TMuzNote* note, int32_t& pitch) const { return FindFreePitch(note, +1, false, pitch); }
bool TUnitMuz::LowerPosition(TMuzNote* note, int32_t& pitch) const { return FindFreePitch(note, -1, false, pitch); }
bool TUnitMuz::UpperOctPosition(TMuzNote* note, int32_t& pitch) const {
  return FindFreePitch(note, kOctaveSteps, true, pitch);
}
bool TUnitMuz::LowerOctPosition(TMuzNote* note, int32_t& pitch) const {
  return FindFreePitch(note, -kOctaveSteps, true, pitch);
}

// The first pitch from the note's own by `step` that no note of its chord holds, within the
// range; an octave move tries one pitch only.
bool TUnitMuz::FindFreePitch(TMuzNote* note, int32_t step, bool onlyFirst, int32_t& pitch) const {
  for (int32_t candidate = note->GetPitch() + step;
       candidate >= TMuzNote::GetMinPitch() && candidate <= TMuzNote::GetMaxPitch(); candidate += step) {
    if (!IsPitchTaken(candidate, note)) {
      pitch = candidate;
      return true;
    }
    if (onlyFirst) break;
  }
  return false;
}

bool TUnitMuz::CanMoveUp() const {
  TMuzNote* note = UnitMuzMode == unitMuzSel ? GetSelectedNote() : nullptr;
  int32_t pitch = 0;
  return note != nullptr && UpperPosition(note, pitch);
}

bool TUnitMuz::CanMoveDown() const {
  TMuzNote* note = UnitMuzMode == unitMuzSel ? GetSelectedNote() : nullptr;
  int32_t pitch = 0;
  return note != nullptr && LowerPosition(note, pitch);
}

bool TUnitMuz::CanMoveOctUp() const {
  if (UnitMuzMode != unitMuzSel) return false;
  int32_t pitch = 0;
  if (TMuzNote* note = GetSelectedNote()) return UpperOctPosition(note, pitch);
  const TKey* key = GetSelectedKey();
  return key != nullptr && key->GetOctavesUp() < kMaxOctavesUp;
}

bool TUnitMuz::CanMoveOctDown() const {
  if (UnitMuzMode != unitMuzSel) return false;
  int32_t pitch = 0;
  if (TMuzNote* note = GetSelectedNote()) return LowerOctPosition(note, pitch);
  const TKey* key = GetSelectedKey();
  return key != nullptr && key->GetOctavesUp() > -kMaxOctavesUp;
}

void TUnitMuz::MovePitch(int32_t up) {
  MoveSelectedNote(up, false);
  Refresh();
  SetModified();
}

// Moves the selected note by a step or an octave; false when a key is selected instead.
bool TUnitMuz::MoveSelectedNote(int32_t up, bool octave) {
  KV_ASSERT(up == 1 || up == -1);
  KV_ASSERT(UnitMuzMode == unitMuzSel);
  KV_ASSERT(GetSelMuzSymbolKind() == muzSymbolStave);
  TMuzNote* moveNote = GetSelectedNote();
  KV_ASSERT(moveNote != NULL || octave);
  if (moveNote == nullptr) return false;
  int32_t pitch = 0;
  const bool found = FindFreePitch(moveNote, octave ? up * kOctaveSteps : up, octave, pitch);
  KV_ASSERT(found);
  moveNote->SetPitch(pitch);
  // The list orders a chord by pitch, higher first.
  RePlaceSymbol(moveNote);
  moveNote->PlayPreview(Tempo.GetValue());
  return true;
}

void TUnitMuz::MoveOctave(int32_t up) {
  if (!MoveSelectedNote(up, true)) {
    TKey* key = GetSelectedKey();
    KV_ASSERT(key != NULL);
    const int32_t addOctaves = key->GetOctavesUp();
    if (up == 1)
      KV_ASSERT(addOctaves < 2);
    else
      KV_ASSERT(addOctaves > -2);
    ChangeKey(key, key->GetKeyKind(), addOctaves + up);
  }
  Refresh();
  SetModified();
}
