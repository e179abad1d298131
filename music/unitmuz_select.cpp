// The music document's selection moves (along a stave, within a chord, across staves) and the
// switch of a symbol with its neighbour on its stave. Selecting never marks the document modified;
// a switch does.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "foundation/assertion.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/muzview.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";

constexpr int32_t kStepPixels = 5;
constexpr int32_t kNoteBand = 10;
constexpr int32_t kStaveBand = 25;

bool IsStartKey(TStaveSymbol* symbol) {
  const TKey* key = symbol->AsKey();
  return key != nullptr && symbol->GetSymbolPosition() == 0.0 && key->GetKeyOrder() == 1;
}

// The notes and rests of a run, in list order; the walk must reach the run's last symbol.
std::vector<TStaveTimeSymbol*> RunMembers(TStaveSymbol* first, TStaveSymbol* last) {
  std::vector<TStaveTimeSymbol*> members;
  if (first->AsKey() != nullptr) return members;
  const TNoteStave* noteStave = first->GetNoteStave();
  TStaveSymbol* editSymbol = first;
  for (; editSymbol != nullptr; editSymbol = editSymbol->GetNext()) {
    if (editSymbol->GetNoteStave() != noteStave) continue;
    members.push_back(editSymbol->AsTimeSymbol());
    if (editSymbol == last) break;
  }
  KV_ASSERT(editSymbol != NULL);
  return members;
}

// The note of `symbol` one place up (towards Prev) or down in its chord, or null.
TMuzNote* ChordNeighbour(TStaveSymbol* symbol, bool up) {
  TMuzNote* selectedNote = symbol ? symbol->AsNote() : nullptr;
  if (selectedNote == nullptr) return nullptr;
  const TSinglePartMuz* single = selectedNote->GetSinglePartMuz();
  const TNoteStave* stave = selectedNote->GetNoteStave();
  TStaveSymbol* neighbour =
      up ? single->GetPrevSymbolOnStave(stave, selectedNote) : single->GetNextSymbolOnStave(stave, selectedNote);
  TMuzNote* note = neighbour ? neighbour->AsNote() : nullptr;
  if (note == nullptr || note->GetPosition() != selectedNote->GetPosition() ||
      note->GetPosInOol() != selectedNote->GetPosInOol())
    return nullptr;
  return note;
}
}  // namespace

// --- selecting ---------------------------------------------------------------------------------

void TUnitMuz::SelectSymbol(TXTouchMuzSymbol* symbol) {
  SetSelectedSymbol(symbol);
  if (symbol == nullptr) return;
  int32_t left = 0;
  int32_t right = 0;
  // A symbol not drawn yet has no place to scroll to.
  if (ChildMuz != nullptr && symbol->GetXRange(left, right)) ChildMuz->ScrollIntoViewX(left, right);
  if (symbol->GetMuzSymbolKind() != muzSymbolStave) return;
  auto* staveSymbol = static_cast<TStaveSymbol*>(symbol);
  const int32_t centreY = staveSymbol->GetNoteStave()->GetCentreY();
  if (const TMuzNote* note = staveSymbol->AsNote()) {
    note->PlayPreview(Tempo.GetValue());
    const int32_t y = centreY - kStepPixels * note->GetDrawHeight();
    if (ChildMuz != nullptr) ChildMuz->ScrollIntoViewY(y - kNoteBand, y + kNoteBand);
  } else if (ChildMuz != nullptr) {
    ChildMuz->ScrollIntoViewY(centreY - kStaveBand, centreY + kStaveBand);
  }
}

// The stave a bar or repeat sign is stepped on: the last one visited, or the first stave when
// no stave symbol has been selected yet (a new or just opened document).
TNoteStave* TUnitMuz::GetNavigationStave() const {
  if (const TStaveSymbol* staveSymbol = GetSelectedStaveSymbol()) return staveSymbol->GetNoteStave();
  return SelectedInStave ? SelectedInStave : StartStave;
}

bool TUnitMuz::FindSymbolLeft(TXTouchMuzSymbol*& symbol) const { return FindSymbolBeside(symbol, false); }
bool TUnitMuz::FindSymbolRight(TXTouchMuzSymbol*& symbol) const { return FindSymbolBeside(symbol, true); }

bool TUnitMuz::FindSymbolBeside(TXTouchMuzSymbol*& symbol, bool forward) const {
  KV_ASSERT(UnitMuzMode == unitMuzSel);
  TNoteStave* stave = GetNavigationStave();
  if (SelectedSymbol == nullptr || stave == nullptr) return false;
  TXTouchMuzSymbol* found = nullptr;
  switch (SelectedSymbol->GetMuzSymbolKind()) {
    case muzSymbolBar: {
      TSinglePartMuz* single = static_cast<TMuzBar*>(SelectedSymbol)->GetSinglePartMuz();
      found = forward ? single->GetNextSymbol(stave, SelectedSymbol) : single->GetPrevSymbol(stave, SelectedSymbol);
      break;
    }
    case muzSymbolLoop: {
      TLoopPartMuz* loop = static_cast<TLoopPartSymbol*>(SelectedSymbol)->GetLoopPart();
      found = forward ? loop->GetSymbolAfter(stave, SelectedSymbol) : loop->GetSymbolBefore(stave, SelectedSymbol);
      break;
    }
    default: {
      TSinglePartMuz* single = static_cast<TStaveSymbol*>(SelectedSymbol)->GetSinglePartMuz();
      found = forward ? single->GetNextSymbol(stave, SelectedSymbol) : single->GetPrevSymbol(stave, SelectedSymbol);
    }
  }
  symbol = found;
  return found != nullptr;
}

bool TUnitMuz::CanSelectPrev() const {
  TXTouchMuzSymbol* symbol = nullptr;
  return UnitMuzMode == unitMuzSel && FindSymbolLeft(symbol);
}

bool TUnitMuz::CanSelectNext() const {
  TXTouchMuzSymbol* symbol = nullptr;
  return UnitMuzMode == unitMuzSel && FindSymbolRight(symbol);
}

void TUnitMuz::SelectPrev() { SelectBeside(false); }
void TUnitMuz::SelectNext() { SelectBeside(true); }

void TUnitMuz::SelectBeside(bool forward) {
  TXTouchMuzSymbol* muzSymbol = nullptr;
  const bool found = FindSymbolBeside(muzSymbol, forward);
  KV_ASSERT(found);
  SelectSymbol(muzSymbol);
  Refresh();
}

bool TUnitMuz::CanSelectUp() const {
  return UnitMuzMode == unitMuzSel && ChordNeighbour(GetSelectedStaveSymbol(), true) != nullptr;
}

bool TUnitMuz::CanSelectDown() const {
  return UnitMuzMode == unitMuzSel && ChordNeighbour(GetSelectedStaveSymbol(), false) != nullptr;
}

void TUnitMuz::SelectUp() {
  TMuzNote* prevNote = ChordNeighbour(GetSelectedStaveSymbol(), true);
  KV_ASSERT(prevNote != NULL);
  SelectSymbol(prevNote);
  Refresh();
}

void TUnitMuz::SelectDown() {
  TMuzNote* nextNote = ChordNeighbour(GetSelectedStaveSymbol(), false);
  KV_ASSERT(nextNote != NULL);
  SelectSymbol(nextNote);
  Refresh();
}

void TUnitMuz::SelectFirstInStave() {
  if (UnitMuzMode != unitMuzSel || SelectedSymbol == nullptr) return;
  if (TXTouchMuzSymbol* first = StartPartMuz->GetFirstSymbol(GetNavigationStave())) SelectSymbol(first);
  Refresh();
}

void TUnitMuz::SelectLastInStave() {
  if (UnitMuzMode != unitMuzSel || SelectedSymbol == nullptr) return;
  if (TXTouchMuzSymbol* last = StartPartMuz->GetLastSymbol(GetNavigationStave())) SelectSymbol(last);
  Refresh();
}

TNoteStave* TUnitMuz::GetSelectedStave() const {
  if (const TStaveSymbol* staveSymbol = GetSelectedStaveSymbol()) return staveSymbol->GetNoteStave();
  return SelectedSymbol != nullptr ? SelectedInStave : nullptr;
}

// --- across staves -----------------------------------------------------------------------------

bool TUnitMuz::CanSelectPrevStave() const { return UnitMuzMode == unitMuzSel; }
bool TUnitMuz::CanSelectNextStave() const { return UnitMuzMode == unitMuzSel; }
bool TUnitMuz::CanSelectFirstStave() const { return UnitMuzMode == unitMuzSel; }
bool TUnitMuz::CanSelectLastStave() const { return UnitMuzMode == unitMuzSel; }

void TUnitMuz::SelectPrevStave() {
  if (TStaveSymbol* from = GetStaveMoveSymbol()) SelectInStave(from->GetNoteStave()->GetPrev(), from);
}

void TUnitMuz::SelectNextStave() {
  if (TStaveSymbol* from = GetStaveMoveSymbol()) SelectInStave(from->GetNoteStave()->GetNext(), from);
}

void TUnitMuz::SelectFirstStave() {
  if (TStaveSymbol* from = GetStaveMoveSymbol()) SelectInStave(StartStave, from);
}

void TUnitMuz::SelectLastStave() {
  TStaveSymbol* from = GetStaveMoveSymbol();
  if (from == nullptr) return;
  TNoteStave* lastStave = StartStave;
  KV_ASSERT(lastStave != NULL);
  while (lastStave->GetNext() != nullptr) lastStave = lastStave->GetNext();
  SelectInStave(lastStave, from);
}

// The stave moves start from a stave symbol selected in edit mode only.
TStaveSymbol* TUnitMuz::GetStaveMoveSymbol() const {
  return UnitMuzMode == unitMuzSel ? GetSelectedStaveSymbol() : nullptr;
}

void TUnitMuz::SelectInStave(TNoteStave* stave, const TStaveSymbol* from) {
  SelectInStave(stave, from->GetSymbolPosition(), from->GetSinglePartMuz());
}

void TUnitMuz::SelectInStave(TNoteStave* stave, double position, TSinglePartMuz* part) {
  if (stave == nullptr || part == nullptr) return;
  TStaveSymbol* nearest = part->GetNearestSymbol(stave, position);
  if (nearest == nullptr) return;
  SelectSymbol(nearest);
  Refresh();
}

// --- re-placing a symbol in its list ---------------------------------------------------------------

namespace {
// Whether the symbol stands in order among its neighbours: by position in the whole list, and
// finer among the symbols of its own stave.
bool InStaveOrder(TStaveSymbol* symbol) {
  const TSinglePartMuz* single = symbol->GetSinglePartMuz();
  const TNoteStave* stave = symbol->GetNoteStave();
  TStaveSymbol* prevOnStave = single->GetPrevSymbolOnStave(stave, symbol);
  TStaveSymbol* nextOnStave = single->GetNextSymbolOnStave(stave, symbol);
  const double position = symbol->GetSymbolPosition();
  return (prevOnStave == nullptr || !TStaveSymbol::IsPrevOf(symbol, prevOnStave)) &&
         (nextOnStave == nullptr || !TStaveSymbol::IsPrevOf(nextOnStave, symbol)) &&
         (symbol->GetPrev() == nullptr || symbol->GetPrev()->GetSymbolPosition() <= position) &&
         (symbol->GetNext() == nullptr || symbol->GetNext()->GetSymbolPosition() >= position);
}
}  // namespace

namespace {
// The symbol to insert `symbol` before: the first later position, or at its own position the
// first symbol it goes before (only those of its own stave when `ownStave`); null for the end.
TStaveSymbol* PlaceBefore(TStaveSymbol* head, TStaveSymbol* symbol, bool ownStave) {
  const double position = symbol->GetSymbolPosition();
  for (TStaveSymbol* other = head; other != nullptr; other = other->GetNext()) {
    if (other == symbol) continue;
    const double otherPosition = other->GetSymbolPosition();
    if (otherPosition > position) return other;
    if (otherPosition == position && (!ownStave || other->GetNoteStave() == symbol->GetNoteStave()) &&
        TStaveSymbol::IsPrevOf(symbol, other))
      return other;
  }
  return nullptr;
}

// Links `symbol` in before `target` (after the last symbol when null); neither may be the head.
void RelinkBefore(TStaveSymbol* head, TStaveSymbol* symbol, TStaveSymbol* target) {
  if (target == symbol->GetNext()) return;
  TStaveSymbol* prev = symbol->GetPrev();
  TStaveSymbol* next = symbol->GetNext();
  prev->SetNext(next);
  if (next != nullptr) next->SetPrev(prev);
  TStaveSymbol* before = target ? target->GetPrev() : head;
  while (target == nullptr && before->GetNext() != nullptr) before = before->GetNext();
  symbol->SetPrev(before);
  symbol->SetNext(target);
  before->SetNext(symbol);
  if (target != nullptr) target->SetPrev(symbol);
}
}  // namespace

// A rest counts as equal to every note of its place while notes compare by pitch, so with rests
// about the list order is no strict order, and the root part's MoveSymbol, which looks at the
// direct neighbours only, can stop with a note out of pitch order in its chord (Up and Down then
// skip notes) or, on a list like that, stop at its assertion. Notes and rests are therefore
// re-placed by a walk from the head: in the order of the whole list where that keeps the
// symbol's own stave in order, else in the order of its own stave. Keys compare strictly with
// everything and may have to become the head, so they go through MoveSymbol.
void TUnitMuz::RePlaceSymbol(TStaveSymbol* symbol) {
  TStaveSymbol* head = symbol->GetSinglePartMuz()->GetStartStaveSymbol();
  if (symbol->AsKey() != nullptr || symbol == head) {
    StartPartMuz->MoveSymbol(symbol);
    return;
  }
  TStaveSymbol* target = PlaceBefore(head, symbol, false);
  if (target == head) {  // no start key ahead of it: the part's own re-placing must do
    StartPartMuz->MoveSymbol(symbol);
    return;
  }
  RelinkBefore(head, symbol, target);
  if (InStaveOrder(symbol)) return;
  target = PlaceBefore(head, symbol, true);
  if (target != head) RelinkBefore(head, symbol, target);
}

// --- switching with the neighbour --------------------------------------------------------------

bool TUnitMuz::CanMovePrev() const { return CanSwitch(side2Left); }
bool TUnitMuz::CanMoveNext() const { return CanSwitch(side2Right); }

bool TUnitMuz::CanSwitch(uint8_t direction) const {
  if (UnitMuzMode != unitMuzSel) return false;
  if (GetSelMuzSymbolKind() == muzSymbolBar) return true;
  TStaveSymbol* first = nullptr;
  TStaveSymbol* last = nullptr;
  TStaveSymbol* firstFound = nullptr;
  TStaveSymbol* lastFound = nullptr;
  return SearchForSwitch(GetSelectedStaveSymbol(), direction, first, last, firstFound, lastFound);
}

void TUnitMuz::MovePrev() { SwitchRun(side2Left); }
void TUnitMuz::MoveNext() { SwitchRun(side2Right); }

void TUnitMuz::SwitchRun(uint8_t direction) {
  KV_ASSERT(UnitMuzMode == unitMuzSel);
  KV_ASSERT(SelectedSymbol != NULL);
  const uint8_t muzSymbolKind = GetSelMuzSymbolKind();
  KV_ASSERT(muzSymbolKind == muzSymbolBar || muzSymbolKind == muzSymbolStave);
  if (muzSymbolKind == muzSymbolBar) {
    auto* bar = static_cast<TMuzBar*>(SelectedSymbol);
    if (direction == side2Left)
      bar->StepFirstBarBack();
    else
      bar->StepFirstBarForward();
  } else {
    TStaveSymbol* firstStartSymbol = nullptr;
    TStaveSymbol* lastStartSymbol = nullptr;
    TStaveSymbol* firstFoundSymbol = nullptr;
    TStaveSymbol* lastFoundSymbol = nullptr;
    const bool found = SearchForSwitch(GetSelectedStaveSymbol(), direction, firstStartSymbol, lastStartSymbol,
                                       firstFoundSymbol, lastFoundSymbol);
    KV_ASSERT(found);
    if (direction == side2Left)
      SwitchSymbols(firstFoundSymbol, lastFoundSymbol, firstStartSymbol, lastStartSymbol);
    else
      SwitchSymbols(firstStartSymbol, lastStartSymbol, firstFoundSymbol, lastFoundSymbol);
  }
  Refresh();
  SetModified();
}

bool TUnitMuz::SearchForSwitch(TStaveSymbol* symbol, uint8_t direction, TStaveSymbol*& firstStartSymbol,
                               TStaveSymbol*& lastStartSymbol, TStaveSymbol*& firstFoundSymbol,
                               TStaveSymbol*& lastFoundSymbol) const {
  if (symbol == nullptr) return false;
  const TSinglePartMuz* singlePartMuz = symbol->GetSinglePartMuz();
  KV_ASSERT(singlePartMuz != NULL);
  const TNoteStave* stave = symbol->GetNoteStave();
  const bool toLeft = direction == side2Left;
  const bool symbolIsKey = symbol->AsKey() != nullptr;
  const auto step = [&](TStaveSymbol* from) {
    return toLeft ? singlePartMuz->GetPrevSymbolOnStave(stave, from) : singlePartMuz->GetNextSymbolOnStave(stave, from);
  };
  TStaveSymbol* candidate = step(symbol);
  for (; candidate != nullptr; candidate = step(candidate)) {
    const bool candidateIsKey = candidate->AsKey() != nullptr;
    if (toLeft && IsStartKey(candidate) && !symbolIsKey) return false;
    if (!toLeft && IsStartKey(symbol) && !candidateIsKey) return false;
    const bool beyond = toLeft ? candidate->GetSymbolPosition() < symbol->GetSymbolPosition()
                               : candidate->GetSymbolPosition() > symbol->GetSymbolPosition();
    if (candidateIsKey || symbolIsKey || beyond) break;
  }
  if (candidate == nullptr) return false;
  if (symbolIsKey && candidate->AsKey() != nullptr) {
    // Keys trade only their numbers, so they must share a position and follow each other.
    const TKey* leftKey = toLeft ? candidate->AsKey() : symbol->AsKey();
    const TKey* rightKey = toLeft ? symbol->AsKey() : candidate->AsKey();
    if (leftKey->GetSymbolPosition() != rightKey->GetSymbolPosition() ||
        static_cast<int64_t>(leftKey->GetKeyOrder()) != static_cast<int64_t>(rightKey->GetKeyOrder()) - 1)
      return false;
  }
  const auto runOf = [](TStaveSymbol* member, TStaveSymbol*& first, TStaveSymbol*& last) {
    TStaveTimeSymbol* timeSymbol = member->AsTimeSymbol();
    first = timeSymbol ? timeSymbol->GetFirstAtPosition() : member;
    last = timeSymbol ? timeSymbol->GetLastAtPosition() : member;
  };
  runOf(symbol, firstStartSymbol, lastStartSymbol);
  runOf(candidate, firstFoundSymbol, lastFoundSymbol);
  KV_ASSERT(firstStartSymbol->GetNoteStave() == firstFoundSymbol->GetNoteStave());
  return true;
}

void TUnitMuz::SwitchSymbols(TStaveSymbol* firstLeft, TStaveSymbol* lastLeft, TStaveSymbol* firstRight,
                             TStaveSymbol* lastRight) {
  KV_ASSERT(firstLeft != NULL && lastLeft != NULL && firstRight != NULL && lastRight != NULL);
  TSinglePartMuz* single = firstLeft->GetSinglePartMuz();
  KV_ASSERT(single != NULL && lastLeft->GetSinglePartMuz() == single && firstRight->GetSinglePartMuz() == single &&
            lastRight->GetSinglePartMuz() == single);
  TNoteStave* noteStave = firstLeft->GetNoteStave();
  KV_ASSERT(lastLeft->GetNoteStave() == noteStave && firstRight->GetNoteStave() == noteStave &&
            lastRight->GetNoteStave() == noteStave);
  KV_ASSERT(TStaveSymbol::IsPrevOf(lastLeft, firstRight));
  const double p = firstLeft->GetSymbolPosition();
  TStaveTimeSymbol* rightTime = firstRight->AsTimeSymbol();
  const double length = rightTime ? rightTime->GetLength() : 0.0;
  const std::vector<TStaveTimeSymbol*> leftRun = RunMembers(firstLeft, lastLeft);
  const std::vector<TStaveTimeSymbol*> rightRun = RunMembers(firstRight, lastRight);

  TKey* leftKey = firstLeft->AsKey();
  TKey* rightKey = firstRight->AsKey();
  if (leftKey != nullptr && rightKey != nullptr)
    SwitchKeys(leftKey, rightKey);
  else if (leftKey != nullptr)
    SetSymbolPosition(leftKey, p + length, firstRight);
  else if (rightKey != nullptr)
    SetSymbolPosition(rightKey, p, firstLeft);

  // One symbol out of place at a time, so that each re-placing walks a list that is otherwise in
  // order: the right run moves left first, then the left run moves right from its last member on.
  for (TStaveTimeSymbol* editSymbol : rightRun) {
    KV_ASSERT(editSymbol->GetNoteStave() == noteStave);
    editSymbol->TStaveSymbol::SetSymbolPosition(p);
    RePlaceSymbol(editSymbol);
  }
  for (auto it = leftRun.rbegin(); it != leftRun.rend(); ++it) {
    KV_ASSERT((*it)->GetNoteStave() == noteStave);
    (*it)->TStaveSymbol::SetSymbolPosition(p + length);
    RePlaceSymbol(*it);
  }
}

void TUnitMuz::SwitchKeys(TKey* leftKey, TKey* rightKey) {
  KV_ASSERT(leftKey != NULL && rightKey != NULL);
  const int32_t prevVolgnr = leftKey->GetKeyOrder();
  const int32_t nextVolgnr = rightKey->GetKeyOrder();
  KV_ASSERT(static_cast<int64_t>(prevVolgnr) == static_cast<int64_t>(nextVolgnr) - 1);
  KV_ASSERT(leftKey->GetSymbolPosition() == rightKey->GetSymbolPosition());
  const TNoteStave* prevNoteStave = leftKey->GetNoteStave();
  KV_ASSERT(prevNoteStave != NULL && prevNoteStave == rightKey->GetNoteStave());
  // Through 0, so that only one key at a time stands out of order while it is re-placed.
  leftKey->SetKeyOrder(0);
  StartPartMuz->MoveSymbol(leftKey);
  rightKey->SetKeyOrder(prevVolgnr);
  StartPartMuz->MoveSymbol(rightKey);
  leftKey->SetKeyOrder(nextVolgnr);
  StartPartMuz->MoveSymbol(leftKey);
}

void TUnitMuz::SetSymbolPosition(TKey* key, double newPosition, TStaveSymbol* neighbour) {
  KV_ASSERT(key != NULL && neighbour != NULL);
  const double oldPos = key->GetSymbolPosition();
  KV_ASSERT(oldPos != newPosition);
  int64_t keyOrder = 1;
  if (newPosition <= oldPos) {
    const TKey* before = neighbour->FindKeyBefore(key->GetNoteStave());
    keyOrder = before ? std::min<int64_t>(static_cast<int64_t>(before->GetKeyOrder()) + 1, INT32_MAX) : 1;
  }
  key->TStaveSymbol::SetSymbolPosition(newPosition);
  key->SetKeyOrder(static_cast<int32_t>(keyOrder));
  StartPartMuz->MoveSymbol(key);
  // The key may land among keys numbered like itself, or leave a gap behind: both positions are
  // numbered afresh, so that neighbouring keys of one position always follow each other.
  RenumberKeysOf(key->GetSinglePartMuz(), key->GetNoteStave(), newPosition);
  RenumberKeysOf(key->GetSinglePartMuz(), key->GetNoteStave(), oldPos);
}

void TUnitMuz::RenumberKeysOf(TSinglePartMuz* single, const TNoteStave* noteStave, double position) {
  std::vector<TKey*> keys;
  for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol && symbol->GetSymbolPosition() <= position;
       symbol = symbol->GetNext()) {
    TKey* key = symbol->AsKey();
    if (key != nullptr && key->GetNoteStave() == noteStave && key->GetSymbolPosition() == position) keys.push_back(key);
  }
  // Raised numbers move keys right, so the last goes first; lowered ones move left, first first.
  for (size_t i = keys.size(); i-- > 0;) {
    const auto keyOrder = static_cast<int32_t>(i + 1);
    if (keys[i]->GetKeyOrder() >= keyOrder) continue;
    keys[i]->SetKeyOrder(keyOrder);
    StartPartMuz->MoveSymbol(keys[i]);
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    const auto keyOrder = static_cast<int32_t>(i + 1);
    if (keys[i]->GetKeyOrder() <= keyOrder) continue;
    keys[i]->SetKeyOrder(keyOrder);
    StartPartMuz->MoveSymbol(keys[i]);
  }
}

void TUnitMuz::FillStaveSilences(TNoteStave* noteStave) {
  KV_ASSERT(noteStave != NULL);
  StartPartMuz->FillGapsWithSilences(noteStave);
}
