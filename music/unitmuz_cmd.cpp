// The music document's own commands: the stave chain and its iteration, the symbol upkeep the
// editing commands share, and the commands on the selected note (play, note group, stick). Edits
// take effect at once; there is no undo.
#include "music/unitmuz.h"

#include <cstdint>
#include <tuple>
#include <vector>

#include "foundation/assertion.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";

// The place of a tuplet: its stave in a single part, and its position.
using TupletPlace = std::tuple<TSinglePartMuz*, TNoteStave*, double>;

TStaveTimeSymbol* FirstAt(const TupletPlace& place) {
  const auto& [single, stave, position] = place;
  for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
    TStaveTimeSymbol* time = symbol->AsTimeSymbol();
    if (time && symbol->GetNoteStave() == stave && symbol->GetSymbolPosition() == position)
      return time->GetFirstAtPosition();
  }
  return nullptr;
}

// A stick button pressed again gives the stick back to the layout.
uint8_t ToggledStick(uint8_t current, uint8_t pressed) {
  return current == pressed ? static_cast<uint8_t>(drawStickAuto) : pressed;
}
}  // namespace

// --- stave chain -------------------------------------------------------------------------------

TNoteStave* TUnitMuz::AddStave(TNoteStave* prevStave, uint32_t foreground, uint32_t background, int32_t roomUp,
                               int32_t roomDown, uint8_t allowJoinFlags, bool mute, bool extraLines) {
  auto* stave = new TNoteStave(this, foreground, background, roomUp, roomDown, allowJoinFlags, mute, extraLines);
  InsertStaveAfter(prevStave, stave);
  return stave;
}

void TUnitMuz::InsertStaveAfter(TNoteStave* afterStave, TNoteStave* stave) {
  KV_ASSERT(stave != NULL);
  if (afterStave == nullptr || StartStave == nullptr) {
    stave->SetPrev(nullptr);
    stave->SetNext(StartStave);
    if (StartStave) StartStave->SetPrev(stave);
    StartStave = stave;
    return;
  }
  TNoteStave* prevStave = StartStave;
  while (prevStave != afterStave && prevStave->GetNext() != nullptr) prevStave = prevStave->GetNext();
  KV_ASSERT(prevStave->GetNext() != NULL || prevStave == afterStave);
  TNoteStave* next = afterStave->GetNext();
  stave->SetPrev(afterStave);
  stave->SetNext(next);
  if (next) next->SetPrev(stave);
  afterStave->SetNext(stave);
}

void TUnitMuz::DeleteStave(TNoteStave* noteStave) {
  KV_ASSERT(noteStave != NULL);
  // The selection would otherwise point at a freed symbol, and then at a freed stave.
  if (const TStaveSymbol* selected = GetSelectedStaveSymbol(); selected && selected->GetNoteStave() == noteStave)
    SelectedSymbol = nullptr;
  if (SelectedInStave == noteStave) SelectedInStave = nullptr;
  StartPartMuz->RemoveStave(noteStave);
}

void TUnitMuz::DeleteNoteGroup(TNoteGroup* noteGroup) {
  KV_ASSERT(noteGroup != NULL);
  if (const TMuzNote* selected = GetSelectedNote(); selected && selected->GetNoteGroup() == noteGroup)
    SelectedSymbol = nullptr;
  // A tuplet keeps every member, as it does when one of its notes is deleted: a member that loses
  // its last note becomes a rest first. One left without any note goes whole; the time it took
  // stays for the gap fill, so the other staves keep their places.
  std::vector<TupletPlace> places;
  for (TSinglePartMuz* single = StartPartMuz->GetFirstSinglePart(); single; single = single->GetNextSinglePart()) {
    std::vector<TMuzNote*> members;
    for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext())
      if (TMuzNote* note = symbol->AsNote(); note && note->GetNoteGroup() == noteGroup && note->GetMultiOol() != sool)
        members.push_back(note);
    for (TMuzNote* note : members) {
      bool kept = false;
      for (TStaveTimeSymbol* other = note->GetFirstOfChord(); other && !kept; other = other->GetNextOfChord())
        kept = other->AsNote() == nullptr || other->AsNote()->GetNoteGroup() != noteGroup;
      if (!kept)
        StartPartMuz->InsertSymbol(new TSilence(note->GetNoteLengthKind(), note->GetPoints(),
                                                note->GetSymbolPosition(), note->GetNoteStave(), note->GetMultiOol(),
                                                note->GetPosInOol(), single));
      places.emplace_back(single, note->GetNoteStave(), note->GetSymbolPosition());
    }
  }
  StartPartMuz->RemoveNoteGroup(noteGroup);
  for (const TupletPlace& place : places) {
    std::vector<TStaveTimeSymbol*> members;
    bool sounds = false;
    for (TStaveTimeSymbol* member = FirstAt(place); member; member = member->GetNextAtPosition()) {
      members.push_back(member);
      sounds = sounds || member->AsNote() != nullptr;
    }
    if (!sounds)
      for (TStaveTimeSymbol* member : members) RemoveSymbol(member);
  }
}

bool TUnitMuz::FirstStave() {
  StaveCursor = StartStave;
  return StaveCursor != nullptr;
}

bool TUnitMuz::NextStave() {
  if (StaveCursor == nullptr) return false;
  StaveCursor = StaveCursor->GetNext();
  return StaveCursor != nullptr;
}

// --- symbol upkeep -----------------------------------------------------------------------------

void TUnitMuz::RemoveSymbol(TStaveSymbol* symbol) {
  KV_ASSERT(symbol != NULL);
  if (SelectedSymbol == symbol) SetSelectedSymbol(nullptr);
  StartPartMuz->DeleteSymbol(symbol);
}

void TUnitMuz::ShiftSymbolsAfter(TStaveSymbol* symbol, double timeDifference, TNoteStave* noteStave) {
  if (symbol == nullptr || timeDifference == 0.0) return;
  const TNoteStave* stave = noteStave ? noteStave : symbol->GetNoteStave();
  if (stave == nullptr) return;
  const auto shift = [&](TStaveSymbol* moving) {
    if (moving->GetNoteStave() != stave) return;
    moving->SetSymbolPosition(moving->GetSymbolPosition() + timeDifference);
    StartPartMuz->MoveSymbol(moving);
  };
  // Each symbol moves away from the ones still to do, so the neighbour taken before the move is
  // the next one to do; later symbols go first when they move later, and the other way round.
  if (timeDifference < 0.0) {
    for (TStaveSymbol* moving = symbol->GetNext(); moving;) {
      TStaveSymbol* following = moving->GetNext();
      shift(moving);
      moving = following;
    }
    return;
  }
  TStaveSymbol* last = symbol;
  while (last->GetNext()) last = last->GetNext();
  for (TStaveSymbol* moving = last; moving && moving != symbol;) {
    TStaveSymbol* preceding = moving->GetPrev();
    shift(moving);
    moving = preceding;
  }
}

void TUnitMuz::RenumberKeysAt(int32_t startNumber, const TNoteStave* noteStave, double position,
                              TStaveSymbol* firstSymbol) {
  int32_t keyOrder = startNumber;
  for (TStaveSymbol* symbol = firstSymbol; symbol && symbol->GetSymbolPosition() == position;
       symbol = symbol->GetNext()) {
    TKey* key = symbol->AsKey();
    // An order read from a file may already stand at the top of the range.
    if (key != nullptr && key->GetNoteStave() == noteStave)
      key->SetKeyOrder(keyOrder = keyOrder < INT32_MAX ? keyOrder + 1 : keyOrder);
  }
}

bool TUnitMuz::IsPitchTaken(int32_t pitch, TMuzNote* note) const {
  KV_ASSERT(note != NULL);
  for (TStaveTimeSymbol* member = note->GetFirstOfChord(); member; member = member->GetNextOfChord()) {
    const TMuzNote* memberNote = member->AsNote();
    if (memberNote != nullptr && memberNote->GetPitch() == pitch) return true;
  }
  return false;
}

// --- the selected note -------------------------------------------------------------------------

TStaveSymbol* TUnitMuz::GetSelectedStaveSymbol() const {
  return GetSelMuzSymbolKind() == muzSymbolStave ? static_cast<TStaveSymbol*>(SelectedSymbol) : nullptr;
}

TMuzNote* TUnitMuz::GetSelectedNote() const {
  TStaveSymbol* staveSymbol = GetSelectedStaveSymbol();
  return staveSymbol ? staveSymbol->AsNote() : nullptr;
}

bool TUnitMuz::CanPlayNoteExecute() const { return GetSelectedNote() != nullptr; }

void TUnitMuz::PlayNote() {
  KV_ASSERT(CanPlayNoteExecute());
  GetSelectedNote()->Play(Tempo.GetValue());
}

bool TUnitMuz::CanNoteToPrevNoteGroup() const {
  const TMuzNote* note = UnitMuzMode == unitMuzSel ? GetSelectedNote() : nullptr;
  if (note == nullptr) return false;
  // A group outside the stave's chain would read as the chain's last one.
  const TNoteStave* stave = note->GetNoteStave();
  return stave->HasNoteGroup(note->GetNoteGroup()) && stave->GetPrevNoteGroup(note->GetNoteGroup()) != nullptr;
}

bool TUnitMuz::CanNoteToNextNoteGroup() const {
  const TMuzNote* note = UnitMuzMode == unitMuzSel ? GetSelectedNote() : nullptr;
  return note != nullptr && note->GetNoteStave()->HasNoteGroup(note->GetNoteGroup()) &&
         note->GetNoteGroup()->GetNext() != nullptr;
}

TMuzNote* TUnitMuz::GetNoteForGroupMove() const {
  KV_ASSERT(UnitMuzMode == unitMuzSel);
  KV_ASSERT(GetSelMuzSymbolKind() == muzSymbolStave);
  const TStaveSymbol* staveSymbol = GetSelectedStaveSymbol();
  KV_ASSERT(staveSymbol->GetStaveSymbolKind() == staveSymbolNote);
  return GetSelectedNote();
}

void TUnitMuz::NoteToPrevNoteGroup() {
  TMuzNote* note = GetNoteForGroupMove();
  TNoteGroup* prevNoteGroup = note->GetNoteStave()->GetPrevNoteGroup(note->GetNoteGroup());
  KV_ASSERT(prevNoteGroup != NULL);
  MoveNoteToGroup(note, prevNoteGroup);
}

void TUnitMuz::NoteToNextNoteGroup() {
  TMuzNote* note = GetNoteForGroupMove();
  TNoteGroup* nextNoteGroup = note->GetNoteGroup()->GetNext();
  KV_ASSERT(nextNoteGroup != NULL);
  MoveNoteToGroup(note, nextNoteGroup);
}

void TUnitMuz::MoveNoteToGroup(TMuzNote* note, TNoteGroup* noteGroup) {
  note->GetNoteStave()->SetSelectedNoteGroup(noteGroup);
  note->SetNoteGroup(noteGroup);
  Refresh();
  SetModified();
  // The note sounds with its new group's players.
  note->PlayPreview(Tempo.GetValue());
}

bool TUnitMuz::GetActiveStickKind(uint8_t& kind) const {
  if (UnitMuzMode == unitMuzAdd && InsertKind == insertModeNote) {
    kind = CurStickKind;
    return true;
  }
  const TMuzNote* note = UnitMuzMode == unitMuzSel ? GetSelectedNote() : nullptr;
  if (note == nullptr) return false;
  kind = note->GetDrawStickKind();
  return true;
}

bool TUnitMuz::CanNoteStickUp() const {
  uint8_t kind = drawStickAuto;
  return GetActiveStickKind(kind);
}

bool TUnitMuz::CanNoteStickDown() const { return CanNoteStickUp(); }

bool TUnitMuz::IsNoteStickUp() const {
  uint8_t kind = drawStickAuto;
  return GetActiveStickKind(kind) && kind == drawStickUp;
}

bool TUnitMuz::IsNoteStickDown() const {
  uint8_t kind = drawStickAuto;
  return GetActiveStickKind(kind) && kind == drawStickDown;
}

void TUnitMuz::NoteStickUp() { SetStickKind(drawStickUp); }
void TUnitMuz::NoteStickDown() { SetStickKind(drawStickDown); }

void TUnitMuz::SetStickKind(uint8_t kind) {
  switch (UnitMuzMode) {
    case unitMuzAdd:
      KV_ASSERT(GetInsertModeKind() == insertModeNote);
      CurStickKind = ToggledStick(CurStickKind, kind);
      return;
    case unitMuzSel: {
      const uint8_t muzSymbolKind = GetSelMuzSymbolKind();
      KV_ASSERT(muzSymbolKind == muzSymbolStave);
      const uint8_t staveSymbolKind = GetSelectedStaveSymbol()->GetStaveSymbolKind();
      KV_ASSERT(staveSymbolKind == staveSymbolNote);
      TMuzNote* note = GetSelectedNote();
      note->SetDrawStickKind(ToggledStick(note->GetDrawStickKind(), kind));
      note->PlayPreview(Tempo.GetValue());
      Refresh();
      SetModified();
      return;
    }
    default:
      KV_ASSERT(false);
  }
}
