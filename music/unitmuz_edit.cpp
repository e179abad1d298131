// Composing a score with the document's own commands: the editor modes, what a press adds or
// deletes, and the length, dot, tuplet and articulation commands. Every edit keeps the time of a
// stave closed: what grows or shrinks moves the later symbols of its stave along.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/muzread.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";
constexpr int32_t kMaxBarCount = 99;

bool IsTupletMember(const TStaveTimeSymbol* symbol) { return symbol->GetMultiOol() != sool; }

// No edit lengthens a part by more than a whole note with three dots, or moves a symbol further
// than that past the part's last one.
constexpr double kMostGrowth = 2.0;

// Whether an edit of the part keeps every position within what a music file may hold.
bool HasRoomToGrow(const TSinglePartMuz* part) {
  const TStaveSymbol* last = part->GetStartStaveSymbol();
  while (last != nullptr && last->GetNext() != nullptr) last = last->GetNext();
  return last == nullptr || last->GetSymbolPosition() + kMostGrowth <= muzreadtext::kMaxPosition;
}

// Only the last member of a tuplet may have something added after it.
bool IsInsideTuplet(TStaveSymbol* symbol) {
  const TStaveTimeSymbol* timeSymbol = symbol->AsTimeSymbol();
  return timeSymbol != nullptr && timeSymbol->GetPosInOol() < timeSymbol->GetMultiOol() - 1;
}

std::vector<TMuzNote*> NotesOfChord(TStaveTimeSymbol* symbol) {
  std::vector<TMuzNote*> notes;
  for (TStaveTimeSymbol* member = symbol->GetFirstOfChord(); member; member = member->GetNextOfChord())
    if (TMuzNote* note = member->AsNote()) notes.push_back(note);
  return notes;
}

std::vector<TStaveTimeSymbol*> SymbolsAtPosition(TStaveTimeSymbol* symbol) {
  std::vector<TStaveTimeSymbol*> symbols;
  for (TStaveTimeSymbol* member = symbol->GetFirstAtPosition(); member; member = member->GetNextAtPosition())
    symbols.push_back(member);
  return symbols;
}

// A rest of the symbol's length and tuplet place, not yet in the part.
TSilence* NewSilenceInPlaceOf(const TStaveTimeSymbol* symbol) {
  return new TSilence(symbol->GetNoteLengthKind(), symbol->GetPoints(), symbol->GetSymbolPosition(),
                      symbol->GetNoteStave(), symbol->GetMultiOol(), symbol->GetPosInOol(), symbol->GetSinglePartMuz());
}

// Where a press puts the new symbol: after the symbol before the pointer, else at the one after.
double InsertPosition(TStaveSymbol* firstSymbol, TStaveSymbol* lastSymbol) {
  if (firstSymbol != nullptr) {
    const TStaveTimeSymbol* timeSymbol = firstSymbol->AsTimeSymbol();
    return firstSymbol->GetSymbolPosition() + (timeSymbol ? timeSymbol->GetLength() : 0.0);
  }
  return lastSymbol != nullptr ? lastSymbol->GetSymbolPosition() : 0.0;
}

// The later symbols move from behind the whole place, so a chord or tuplet never gets torn apart
// whichever of its members the pointer stood after.
TStaveSymbol* ShiftAnchor(TStaveSymbol* symbol) {
  TStaveTimeSymbol* timeSymbol = symbol->AsTimeSymbol();
  return timeSymbol ? timeSymbol->GetLastAtPosition() : symbol;
}
}  // namespace

// --- modes -------------------------------------------------------------------------------------

void TUnitMuz::SetModeAdd() { UnitMuzMode = unitMuzAdd; }
void TUnitMuz::SetModeEdit() { UnitMuzMode = unitMuzSel; }

void TUnitMuz::SetModeDelete() {
  UnitMuzMode = unitMuzDel;
  SetSelectedSymbol(nullptr);
}

// --- inserting ---------------------------------------------------------------------------------

void TUnitMuz::AddSymbol(TNoteStave* inNoteStave, TMuzNote* inNote, TSilence* rest, TStaveSymbol* firstSymbol,
                         TStaveSymbol* lastSymbol, int32_t height) {
  KV_ASSERT(inNote != NULL || rest != NULL || firstSymbol != NULL || lastSymbol != NULL);
  const TStaveSymbol* any = inNote ? inNote : rest ? rest : firstSymbol ? firstSymbol : lastSymbol;
  if (!HasRoomToGrow(any->GetSinglePartMuz())) return;
  const double position = InsertPosition(firstSymbol, lastSymbol);
  switch (InsertKind) {
    case insertModeKey: {
      KV_ASSERT(inNoteStave != NULL);
      if (position == 0.0) return;  // the start keys own position 0
      if (firstSymbol == nullptr) KV_ASSERT(lastSymbol != NULL);
      TSinglePartMuz* part = (firstSymbol ? firstSymbol : lastSymbol)->GetSinglePartMuz();
      const TKey* keyBefore = firstSymbol ? firstSymbol->AsKey() : nullptr;
      int32_t keyOrder = 1;
      if (keyBefore != nullptr)
        keyOrder = keyBefore->GetKeyOrder() < INT32_MAX ? keyBefore->GetKeyOrder() + 1 : INT32_MAX;
      auto* key = new TKey(this, CurKeyKind, 0, position, inNoteStave, keyOrder, part);
      RenumberKeysAt(keyOrder, inNoteStave, position, lastSymbol);
      StartPartMuz->InsertSymbol(key);
      return;
    }
    case insertModeNote: {
      KV_ASSERT(inNoteStave != NULL);
      TNoteGroup* selectedNoteGroup = inNoteStave->GetSelectedNoteGroup();
      KV_ASSERT(selectedNoteGroup != NULL);
      // A note under the pointer wins over a rest that is hit as well.
      TStaveSymbol* pressed = inNote ? static_cast<TStaveSymbol*>(inNote) : rest ? rest : firstSymbol;
      if (pressed == nullptr) return;
      const TKey* key = pressed->FindKeyBefore(inNoteStave);
      if (key == nullptr || !key->IsHeightValid(height)) return;
      const int32_t pitch = key->HeightToPitch(height);
      TMuzNote* note = nullptr;
      if (inNote != nullptr) {
        if (IsPitchTaken(pitch, inNote)) return;
        note = new TMuzNote(this, selectedNoteGroup, inNote->GetNoteLengthKind(), inNote->GetPoints(),
                            inNote->GetSymbolPosition(), pitch, inNoteStave, noteShiftNormal, inNote->GetMultiOol(),
                            inNote->GetPosInOol(), inNote->GetNoteArtKind(), inNote->GetSinglePartMuz(), CurStickKind);
      } else if (rest != nullptr) {
        ReplaceRestByNote(rest, selectedNoteGroup, pitch)->PlayPreview(Tempo.GetValue());
        return;
      } else {
        if (IsInsideTuplet(firstSymbol)) return;
        note = new TMuzNote(this, selectedNoteGroup, static_cast<int8_t>(CurNoteLengthKind), Points, position, pitch,
                            inNoteStave, noteShiftNormal, sool, 0, CurNoteArtKind, firstSymbol->GetSinglePartMuz(),
                            CurStickKind);
        ShiftSymbolsAfter(ShiftAnchor(firstSymbol), note->GetLength(), inNoteStave);
      }
      StartPartMuz->InsertSymbol(note);
      note->PlayPreview(Tempo.GetValue());
      return;
    }
    case insertModeSilence: {
      KV_ASSERT(inNoteStave != NULL);
      if (firstSymbol == nullptr || IsInsideTuplet(firstSymbol)) return;
      auto* silence = new TSilence(static_cast<int8_t>(CurNoteLengthKind), Points, position, inNoteStave, sool, 0,
                                   firstSymbol->GetSinglePartMuz());
      ShiftSymbolsAfter(ShiftAnchor(firstSymbol), silence->GetLength(), inNoteStave);
      StartPartMuz->InsertSymbol(silence);
      return;
    }
    default:
      return;  // key note shift presses change accidentals instead
  }
}

TMuzNote* TUnitMuz::ReplaceRestByNote(TStaveTimeSymbol* rest, TNoteGroup* noteGroup, int32_t pitch) {
  auto* note = new TMuzNote(this, noteGroup, rest->GetNoteLengthKind(), rest->GetPoints(), rest->GetSymbolPosition(),
                            pitch, rest->GetNoteStave(), noteShiftNormal, rest->GetMultiOol(), rest->GetPosInOol(),
                            noteArtNormal, rest->GetSinglePartMuz(), CurStickKind);
  RemoveSymbol(rest);
  SetSelectedSymbol(note);
  StartPartMuz->InsertSymbol(note);
  return note;
}

// --- deleting ----------------------------------------------------------------------------------

bool TUnitMuz::MayDeleteSymbol(TStaveSymbol* symbol) const {
  KV_ASSERT(symbol != NULL);
  const TSinglePartMuz* singlePartMuz = symbol->GetSinglePartMuz();
  KV_ASSERT(singlePartMuz != NULL);
  switch (symbol->GetStaveSymbolKind()) {
    case staveSymbolKey:
      // The last start key of a stave in a part stays.
      return symbol->GetSymbolPosition() != 0.0 || singlePartMuz->CountStartKeys(symbol->GetNoteStave()) != 1;
    case staveSymbolNote:
      return true;
    default:
      // A rest inside a tuplet goes only with its tuplet.
      return !IsTupletMember(symbol->AsTimeSymbol());
  }
}

void TUnitMuz::DeleteSymbol(TStaveSymbol* symbol) { DeleteSymbolAt(symbol); }

bool TUnitMuz::DeleteSymbolAt(TStaveSymbol* symbol) {
  if (symbol == nullptr || !MayDeleteSymbol(symbol)) return false;
  TNoteStave* noteStave = symbol->GetNoteStave();
  KV_ASSERT(noteStave != NULL);
  if (TKey* key = symbol->AsKey()) {
    if (key->GetNext() != nullptr)
      RenumberKeysAt(key->GetKeyOrder() - 1, noteStave, key->GetSymbolPosition(), key->GetNext());
    RemoveSymbol(key);
    return false;
  }
  TStaveTimeSymbol* timeSymbol = symbol->AsTimeSymbol();
  TMuzNote* note = symbol->AsNote();
  if (note == nullptr) {
    ShiftKeepingKeyOrder(timeSymbol, -timeSymbol->GetLength(), noteStave);
    RemoveSymbol(timeSymbol);
    return false;
  }
  const bool inChord = NotesOfChord(note).size() > 1;
  if (!inChord && !IsTupletMember(note)) ShiftKeepingKeyOrder(ShiftAnchor(note), -note->GetLength(), noteStave);
  // The preview sounds what is being deleted.
  note->PlayPreview(Tempo.GetValue());
  if (inChord || !IsTupletMember(note)) {
    RemoveSymbol(note);
    return false;
  }
  TSilence* silence = NewSilenceInPlaceOf(note);
  RemoveSymbol(note);
  StartPartMuz->InsertSymbol(silence);
  SetSelectedSymbol(silence);
  return RemoveTupletIfSilent(silence);
}

bool TUnitMuz::CanDeleteSelected() const {
  TStaveSymbol* symbol = UnitMuzMode == unitMuzSel ? GetSelectedStaveSymbol() : nullptr;
  return symbol != nullptr && MayDeleteSymbol(symbol);
}

void TUnitMuz::DeleteSelected() {
  KV_ASSERT(GetSelMuzSymbolKind() == muzSymbolStave);
  TStaveSymbol* symbol = GetSelectedStaveSymbol();
  TSinglePartMuz* singlePartMuz = symbol->GetSinglePartMuz();
  KV_ASSERT(singlePartMuz != NULL);
  TNoteStave* noteStave = symbol->GetNoteStave();
  const double position = symbol->GetSymbolPosition();
  TStaveSymbol* following = singlePartMuz->GetNextSymbolOnStave(noteStave, symbol);
  TStaveSymbol* preceding = singlePartMuz->GetPrevSymbolOnStave(noteStave, symbol);
  const bool tupletRemoved = DeleteSymbolAt(symbol);
  if (SelectedSymbol == nullptr) {
    // The remembered neighbours may have been rests of the tuplet that went with the symbol.
    if (tupletRemoved)
      SetSelectedSymbol(singlePartMuz->GetNearestSymbol(noteStave, position));
    else
      SetSelectedSymbol(following ? following : preceding);
  }
  Refresh();
  SetModified();
}

void TUnitMuz::RemoveSilentTuplet(TStaveTimeSymbol* symbol) { RemoveTupletIfSilent(symbol); }

bool TUnitMuz::RemoveTupletIfSilent(TStaveTimeSymbol* symbol) {
  KV_ASSERT(symbol != NULL);
  if (!IsTupletMember(symbol)) return false;
  const std::vector<TStaveTimeSymbol*> members = SymbolsAtPosition(symbol);
  for (TStaveTimeSymbol* member : members)
    if (member->AsNote() != nullptr) return false;
  ShiftKeepingKeyOrder(members.back(), -symbol->GetLength(), symbol->GetNoteStave());
  for (TStaveTimeSymbol* member : members) RemoveSymbol(member);
  SetSelectedSymbol(nullptr);
  return true;
}

void TUnitMuz::ShiftKeepingKeyOrder(TStaveSymbol* anchor, double difference, TNoteStave* noteStave) {
  std::vector<TKey*> moved;
  for (TStaveSymbol* symbol = anchor->GetNext(); symbol && difference < 0.0; symbol = symbol->GetNext())
    if (TKey* key = symbol->AsKey(); key != nullptr && key->GetNoteStave() == noteStave) moved.push_back(key);
  ShiftSymbolsAfter(anchor, difference, noteStave);
  const auto isMoved = [&moved](const TStaveSymbol* symbol) {
    return std::find(moved.begin(), moved.end(), symbol) != moved.end();
  };
  for (TKey* key : moved) {
    int32_t highest = 0;
    for (TStaveSymbol* symbol = key->GetSinglePartMuz()->GetStartStaveSymbol();
         symbol && symbol->GetSymbolPosition() <= key->GetSymbolPosition(); symbol = symbol->GetNext()) {
      const TKey* other = symbol->AsKey();
      if (other != nullptr && other->GetNoteStave() == noteStave &&
          other->GetSymbolPosition() == key->GetSymbolPosition() && !isMoved(other))
        highest = std::max(highest, other->GetKeyOrder());
    }
    if (highest == 0) continue;
    key->SetKeyOrder(key->GetKeyOrder() <= INT32_MAX - highest ? key->GetKeyOrder() + highest : INT32_MAX);
    StartPartMuz->MoveSymbol(key);
  }
}

// --- what the length, dot and articulation commands act on ---------------------------------------

int32_t TUnitMuz::MaxPointsForLength(int32_t kind) { return ::MaxPointsForLength(kind); }

TStaveTimeSymbol* TUnitMuz::GetEditedTimeSymbol() const {
  TStaveSymbol* symbol = UnitMuzMode == unitMuzSel ? GetSelectedStaveSymbol() : nullptr;
  return symbol ? symbol->AsTimeSymbol() : nullptr;
}

TMuzBar* TUnitMuz::GetEditedBar() const {
  if (UnitMuzMode != unitMuzSel || GetSelMuzSymbolKind() != muzSymbolBar) return nullptr;
  return static_cast<TMuzBar*>(SelectedSymbol);
}

bool TUnitMuz::GetActiveLength(uint8_t& kind) const {
  if (UnitMuzMode == unitMuzAdd) {
    kind = CurNoteLengthKind;
    return true;
  }
  if (const TMuzBar* bar = GetEditedBar()) {
    kind = static_cast<uint8_t>(bar->GetBarLength());
    return true;
  }
  const TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  if (symbol == nullptr) return false;
  kind = static_cast<uint8_t>(symbol->GetNoteLengthKind());
  return true;
}

bool TUnitMuz::GetLengthTarget(uint8_t& insertKind) const {
  if (UnitMuzMode == unitMuzAdd) {
    if (InsertKind != insertModeNote && InsertKind != insertModeSilence) return false;
    insertKind = InsertKind;
    return true;
  }
  TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  if (symbol == nullptr) return false;
  insertKind = symbol->AsNote() ? insertModeNote : insertModeSilence;
  return true;
}

bool TUnitMuz::GetActiveArticulation(uint8_t& art) const {
  if (UnitMuzMode == unitMuzAdd) {
    art = CurNoteArtKind;
    return true;
  }
  TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  const TMuzNote* note = symbol ? symbol->AsNote() : nullptr;
  if (note == nullptr) return false;
  art = note->GetNoteArtKind();
  return true;
}

// --- lengths -----------------------------------------------------------------------------------

bool TUnitMuz::CanSetNoteLength(int32_t kind) const {
  if (UnitMuzMode == unitMuzAdd) return MaxPointsForLength(kind) >= Points;
  if (GetEditedBar() != nullptr) return true;
  const TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  int32_t total = 0;
  return symbol != nullptr && MaxPointsForLength(kind) >= symbol->GetPoints() &&
         symbol->FlagLength2TotalLength(kind, total);
}

bool TUnitMuz::CanSetSilenceLength(int32_t kind) const {
  return GetEditedBar() == nullptr && CanSetNoteLength(kind);
}

bool TUnitMuz::IsNoteLength(int32_t kind) const {
  if (UnitMuzMode == unitMuzAdd) return InsertKind == insertModeNote && CurNoteLengthKind == kind;
  if (const TMuzBar* bar = GetEditedBar()) return bar->GetBarLength() == kind;
  TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  return symbol != nullptr && symbol->AsNote() != nullptr && symbol->GetFlagLength() == kind;
}

bool TUnitMuz::IsSilenceLength(int32_t kind) const {
  if (UnitMuzMode == unitMuzAdd) return InsertKind == insertModeSilence && CurNoteLengthKind == kind;
  TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  return symbol != nullptr && symbol->AsNote() == nullptr && symbol->GetFlagLength() == kind;
}

void TUnitMuz::SetTimeAtPosition(TStaveTimeSymbol* selected, std::optional<int32_t> noteLengthKind,
                                 std::optional<int32_t> points, bool shiftBySelected) {
  const double oldLength = selected->GetLength();
  const std::vector<TStaveTimeSymbol*> members = SymbolsAtPosition(selected);
  struct Was {
    int8_t kind;
    int32_t points;
    double length;
  };
  std::vector<Was> was;
  bool grows = false;
  for (TStaveTimeSymbol* member : members) {
    was.push_back({member->GetNoteLengthKind(), member->GetPoints(), member->GetLength()});
    if (noteLengthKind) member->SetNoteLengthKind(static_cast<int8_t>(*noteLengthKind));
    if (points) member->SetPoints(*points);
    grows = grows || member->GetLength() > was.back().length;
  }
  if (grows && !HasRoomToGrow(selected->GetSinglePartMuz())) {
    for (size_t i = 0; i < members.size(); ++i) {
      members[i]->SetNoteLengthKind(was[i].kind);
      members[i]->SetPoints(was[i].points);
    }
    return;
  }
  const double newLength = (shiftBySelected ? selected : members.back())->GetLength();
  ShiftKeepingKeyOrder(members.back(), newLength - oldLength, selected->GetNoteStave());
}

bool TUnitMuz::ChooseInsertLength(int32_t kind, uint8_t insertKind) {
  KV_ASSERT(UnitMuzMode != unitMuzDel);
  if (UnitMuzMode != unitMuzAdd) return false;
  CurNoteLengthKind = static_cast<uint8_t>(kind);
  InsertKind = insertKind;
  return true;
}

void TUnitMuz::SetNoteLength(int32_t kind) {
  if (ChooseInsertLength(kind, insertModeNote)) return;
  if (TMuzBar* bar = GetEditedBar()) {
    // The bar keeps its duration in the new beat kind. A file's bar may count far beyond 32 bits
    // in the new kind, so the count is clamped before it is narrowed.
    const double count =
        Clamp(std::trunc(static_cast<double>(bar->GetCount()) * kind / bar->GetBarLength() + 0.5), 1, kMaxBarCount);
    bar->SetMeter(static_cast<int8_t>(kind), static_cast<int32_t>(count));
    Refresh();
    SetModified();
    return;
  }
  TStaveTimeSymbol* selected = GetEditedTimeSymbol();
  if (selected == nullptr) return;
  TNoteStave* noteStave = selected->GetNoteStave();
  KV_ASSERT(noteStave != NULL);
  TNoteGroup* selectedNoteGroup = noteStave->GetSelectedNoteGroup();
  KV_ASSERT(selectedNoteGroup != NULL);
  int32_t total = 0;
  KV_ASSERT(selected->FlagLength2TotalLength(kind, total));
  SetTimeAtPosition(selected, total, std::nullopt, true);
  TMuzNote* note = selected->AsNote();
  if (note == nullptr) {
    // The rest becomes a note on the centre line; a key that cannot place one there keeps the rest.
    const TKey* key = selected->FindKeyBefore(noteStave);
    if (key != nullptr && key->IsHeightValid(0))
      note = ReplaceRestByNote(selected, selectedNoteGroup, key->HeightToPitch(0));
  }
  if (note != nullptr) note->PlayPreview(Tempo.GetValue());
  Refresh();
  SetModified();
}

void TUnitMuz::SetSilenceLength(int32_t kind) {
  if (ChooseInsertLength(kind, insertModeSilence)) return;
  TStaveTimeSymbol* selected = GetEditedTimeSymbol();
  if (selected == nullptr) return;
  int32_t total = 0;
  KV_ASSERT(selected->FlagLength2TotalLength(kind, total));
  SetTimeAtPosition(selected, total, std::nullopt, false);
  if (selected->AsNote() != nullptr) {
    TSilence* silence = NewSilenceInPlaceOf(selected);
    for (TMuzNote* chordNote : NotesOfChord(selected)) RemoveSymbol(chordNote);
    SetSelectedSymbol(silence);
    StartPartMuz->InsertSymbol(silence);
    RemoveTupletIfSilent(silence);
  }
  Refresh();
  SetModified();
}

void TUnitMuz::StepLength(int32_t newKind) {
  uint8_t target = 0;
  if (GetLengthTarget(target)) {
    if (target == insertModeNote && CanSetNoteLength(newKind)) SetNoteLength(newKind);
    if (target == insertModeSilence && CanSetSilenceLength(newKind)) SetSilenceLength(newKind);
  }
  if (GetEditedBar() != nullptr && CanSetNoteLength(newKind)) SetNoteLength(newKind);
}

void TUnitMuz::KeyL() {
  uint8_t kind = 0;
  if (GetActiveLength(kind) && kind > 1) StepLength(kind / 2);
}

void TUnitMuz::KeyShiftL() {
  uint8_t kind = 0;
  if (GetActiveLength(kind) && kind < 64) StepLength(kind * 2);
}

// Alt+N and Alt+S convert a symbol whatever its dots, even more than its length allows a menu
// command. They only pass over a tuplet member whose stored kind, the group's, is too long to read
// as a drawn kind: no total length answers it.
bool TUnitMuz::CanConvertWithLength(int32_t kind) const {
  const TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  int32_t total = 0;
  return symbol == nullptr || symbol->FlagLength2TotalLength(kind, total);
}

void TUnitMuz::KeyAltN() {
  uint8_t kind = 0;
  if (GetActiveLength(kind) && CanConvertWithLength(kind)) SetNoteLength(kind);
}

void TUnitMuz::KeyAltS() {
  uint8_t kind = 0;
  if (GetActiveLength(kind) && CanConvertWithLength(kind)) SetSilenceLength(kind);
}

// --- articulations -----------------------------------------------------------------------------

bool TUnitMuz::CanSetArticulation() const {
  if (UnitMuzMode == unitMuzAdd) return true;
  const TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  return symbol != nullptr && symbol->GetStaveSymbolKind() == staveSymbolNote;
}

bool TUnitMuz::IsArticulation(uint8_t art) const {
  if (UnitMuzMode == unitMuzAdd) return InsertKind == insertModeNote && CurNoteArtKind == art;
  uint8_t current = 0;
  return UnitMuzMode == unitMuzSel && GetActiveArticulation(current) && current == art;
}

void TUnitMuz::SetArticulation(uint8_t art) {
  KV_ASSERT(UnitMuzMode != unitMuzDel);
  if (UnitMuzMode == unitMuzAdd) {
    CurNoteArtKind = art;
    return;
  }
  TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  TMuzNote* note = symbol ? symbol->AsNote() : nullptr;
  KV_ASSERT(note != NULL);
  for (TMuzNote* chordNote : NotesOfChord(note)) chordNote->SetNoteArtKind(art);
  note->PlayPreview(Tempo.GetValue());
  Refresh();
  SetModified();
}

void TUnitMuz::KeyAltL() {
  static constexpr uint8_t kLonger[] = {noteArtPortato, noteArtNormal, noteArtStaccato, noteArtLegato};
  uint8_t art = 0;
  if (GetActiveArticulation(art) && art < noteArtLegato && CanSetArticulation()) SetArticulation(kLonger[art]);
}

void TUnitMuz::KeyShiftAltL() {
  static constexpr uint8_t kShorter[] = {noteArtStaccato, noteArtStaccatissimo, 0, noteArtNormal, noteArtPortato};
  uint8_t art = 0;
  if (GetActiveArticulation(art) && art <= noteArtLegato && art != noteArtStaccatissimo && CanSetArticulation())
    SetArticulation(kShorter[art]);
}

// --- dots --------------------------------------------------------------------------------------

bool TUnitMuz::CanAddPoint() const {
  if (UnitMuzMode == unitMuzAdd) return Points < MaxPointsForLength(CurNoteLengthKind);
  if (const TMuzBar* bar = GetEditedBar()) return bar->GetCount() < kMaxBarCount;
  const TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  return symbol != nullptr && symbol->MayTotalPoints(symbol->GetPoints() + 1);
}

bool TUnitMuz::CanDeletePoint() const {
  if (UnitMuzMode == unitMuzAdd) return Points > 0;
  if (const TMuzBar* bar = GetEditedBar()) return bar->GetCount() > 1;
  const TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  return symbol != nullptr && symbol->MayTotalPoints(symbol->GetPoints() - 1);
}

void TUnitMuz::AddPoint() { StepPoints(+1); }
void TUnitMuz::DeletePoint() { StepPoints(-1); }

// The dot commands are the beat-count commands of a selected bar.
void TUnitMuz::StepPoints(int32_t step) {
  KV_ASSERT(UnitMuzMode != unitMuzDel);
  if (UnitMuzMode == unitMuzAdd) {
    KV_ASSERT(step > 0 ? Points < 3 : Points > 0);
    Points += step;
    return;
  }
  if (TMuzBar* bar = GetEditedBar()) {
    const int32_t points = bar->GetCount();
    KV_ASSERT(step > 0 ? points < kMaxBarCount : points > 1);
    bar->SetMeter(bar->GetBarLength(), points + step);
    Refresh();
    SetModified();
    return;
  }
  KV_ASSERT(GetSelMuzSymbolKind() == muzSymbolStave);
  TStaveTimeSymbol* noteInFlag = GetEditedTimeSymbol();
  KV_ASSERT(noteInFlag != NULL);
  const int32_t points = noteInFlag->GetPoints();
  KV_ASSERT(noteInFlag->MayTotalPoints(points + step));
  SetTimeAtPosition(noteInFlag, std::nullopt, points + step, false);
  if (const TMuzNote* note = noteInFlag->AsNote()) note->PlayPreview(Tempo.GetValue());
  Refresh();
  SetModified();
}

// --- tuplets -----------------------------------------------------------------------------------

bool TUnitMuz::CanSetTuplet(int32_t n) const {
  TStaveTimeSymbol* symbol = GetEditedTimeSymbol();
  if (symbol == nullptr || symbol->AsNote() == nullptr || symbol->GetMultiOol() != sool) return false;
  if (n < duool || n > kwintool) return false;
  if ((n == duool || n == kwartool) && (symbol->GetPoints() < 1 || symbol->GetPoints() > 3)) return false;
  return symbol->GetNoteLengthKind() <= (n == kwintool ? 16 : 32) && HasRoomToGrow(symbol->GetSinglePartMuz());
}

void TUnitMuz::SetTuplet(int32_t n) {
  KV_ASSERT(UnitMuzMode == unitMuzSel);
  KV_ASSERT(GetSelMuzSymbolKind() == muzSymbolStave);
  TStaveSymbol* staveSymbol = GetSelectedStaveSymbol();
  KV_ASSERT(staveSymbol->GetStaveSymbolKind() == staveSymbolNote);
  KV_ASSERT(((TStaveTimeSymbol*)staveSymbol)->GetMultiOol() == sool);
  KV_ASSERT(CanSetTuplet(n));
  TMuzNote* selected = staveSymbol->AsNote();
  TNoteStave* noteStave = selected->GetNoteStave();
  KV_ASSERT(noteStave != NULL);
  int32_t total = 0;
  KV_ASSERT(selected->FlagLength2TotalLength(selected->GetNoteLengthKind(), total));
  KV_ASSERT(selected->MayTotalPoints(selected->GetPoints()));
  const double oldLength = selected->GetLength();
  // The copies join the chord as they go in: only the notes that were there are copied.
  const std::vector<TMuzNote*> chord = NotesOfChord(selected);
  TMuzNote* lastCopy = selected;
  for (TMuzNote* note : chord) {
    note->SetNoteLengthKind(static_cast<int8_t>(total));
    note->SetMultiOol(static_cast<int8_t>(n));
    for (int32_t posInOol = 1; posInOol < n; ++posInOol) {
      lastCopy = new TMuzNote(this, note->GetNoteGroup(), static_cast<int8_t>(total), selected->GetPoints(),
                              selected->GetSymbolPosition(), note->GetPitch(), noteStave, note->GetNoteShift(),
                              static_cast<int8_t>(n), posInOol, note->GetNoteArtKind(), selected->GetSinglePartMuz(),
                              note->GetDrawStickKind());
      StartPartMuz->InsertSymbol(lastCopy);
    }
  }
  ShiftSymbolsAfter(lastCopy->GetLastAtPosition(), selected->GetLength() - oldLength, noteStave);
  Refresh();
  SetModified();
}
