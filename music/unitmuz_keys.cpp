// The music document's key and pitch commands: clefs, key signatures grown one sharp or flat at a
// time, accidentals of notes and signatures, and moving notes by step or octave and keys by octave.
// In add mode they set what the next click inserts; in edit mode they change the selected symbol.
#include "music/unitmuz.h"

#include <cstdint>

#include "foundation/assertion.h"
#include "music/PartMuz.h"
#include "music/muznote.h"

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

void TUnitMuz::KeyKindUp() {
  if (!CanSetKeyKind()) return;
  if (IsKeyKind(TKey::keyKindF))
    SetKeyKind(TKey::keyKindC);
  else if (IsKeyKind(TKey::keyKindC))
    SetKeyKind(TKey::keyKindG);
}

void TUnitMuz::KeyKindDown() {
  if (!CanSetKeyKind()) return;
  if (IsKeyKind(TKey::keyKindG))
    SetKeyKind(TKey::keyKindC);
  else if (IsKeyKind(TKey::keyKindC))
    SetKeyKind(TKey::keyKindF);
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

bool TUnitMuz::UpperPosition(TMuzNote* note, int32_t& pitch) const {
  for (int32_t candidate = note->GetPitch() + 1; candidate <= TMuzNote::GetMaxPitch(); ++candidate)
    if (!IsPitchTaken(candidate, note)) {
      pitch = candidate;
      return true;
    }
  return false;
}

bool TUnitMuz::LowerPosition(TMuzNote* note, int32_t& pitch) const {
  for (int32_t candidate = note->GetPitch() - 1; candidate >= TMuzNote::GetMinPitch(); --candidate)
    if (!IsPitchTaken(candidate, note)) {
      pitch = candidate;
      return true;
    }
  return false;
}

bool TUnitMuz::UpperOctPosition(TMuzNote* note, int32_t& pitch) const {
  const int32_t candidate = note->GetPitch() + kOctaveSteps;
  if (candidate > TMuzNote::GetMaxPitch() || IsPitchTaken(candidate, note)) return false;
  pitch = candidate;
  return true;
}

bool TUnitMuz::LowerOctPosition(TMuzNote* note, int32_t& pitch) const {
  const int32_t candidate = note->GetPitch() - kOctaveSteps;
  if (candidate < TMuzNote::GetMinPitch() || IsPitchTaken(candidate, note)) return false;
  pitch = candidate;
  return true;
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
  KV_ASSERT(up == 1 || up == -1);
  KV_ASSERT(UnitMuzMode == unitMuzSel);
  KV_ASSERT(GetSelMuzSymbolKind() == muzSymbolStave);
  TMuzNote* moveNote = GetSelectedNote();
  KV_ASSERT(moveNote != NULL);
  int32_t pitch = 0;
  const bool found = up == 1 ? UpperPosition(moveNote, pitch) : LowerPosition(moveNote, pitch);
  KV_ASSERT(found);
  moveNote->SetPitch(pitch);
  // The list orders a chord by pitch, higher first.
  StartPartMuz->MoveSymbol(moveNote);
  moveNote->PlayPreview(Tempo.GetValue());
  Refresh();
  SetModified();
}

void TUnitMuz::MoveOctave(int32_t up) {
  KV_ASSERT(up == 1 || up == -1);
  KV_ASSERT(UnitMuzMode == unitMuzSel);
  KV_ASSERT(GetSelMuzSymbolKind() == muzSymbolStave);
  if (TMuzNote* moveNote = GetSelectedNote()) {
    int32_t pitch = 0;
    const bool found = up == 1 ? UpperOctPosition(moveNote, pitch) : LowerOctPosition(moveNote, pitch);
    KV_ASSERT(found);
    moveNote->SetPitch(pitch);
    StartPartMuz->MoveSymbol(moveNote);
    moveNote->PlayPreview(Tempo.GetValue());
  } else {
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
