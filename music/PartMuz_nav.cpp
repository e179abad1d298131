// Stepping the selection along one stave in the order the score is drawn: per single part the
// stave's start key, the part's bar, then its other symbols; a loop between its repeat signs; a
// chord as one step, stood for by its middle note.
//
// Every step must move strictly forward (or back) in that order, whatever a file put in the lists,
// or the arrow keys could circle for ever; hence the start key counts only where it stands first
// on its stave, and a chord is a run of neighbouring notes on the stave.
#include "music/PartMuz.h"

#include "foundation/assertion.h"
#include "music/muznote.h"

namespace {
constexpr const char* kAssertUnit = "PartMuz";

// Whether `symbol` belongs to the chord of `note`: a note at the same position in the same tuplet
// slot. The callers walk the note's own stave only.
bool InChordOf(const TMuzNote* note, TStaveSymbol* symbol) {
  const TMuzNote* other = symbol->AsNote();
  return other != nullptr && other->GetSymbolPosition() == note->GetSymbolPosition() &&
         other->GetPosInOol() == note->GetPosInOol();
}

// The nearest symbol of the stave beside `staveSymbol` that is not a note of its chord.
TStaveSymbol* NeighbourOnStave(const TSinglePartMuz* single, const TNoteStave* noteStave, TStaveSymbol* staveSymbol,
                               bool forward) {
  const TNoteStave* noteStaveCheck = staveSymbol->GetNoteStave();
  KV_ASSERT(noteStaveCheck == noteStave);
  const auto step = [&](TStaveSymbol* from) {
    return forward ? single->GetNextSymbolOnStave(noteStave, from) : single->GetPrevSymbolOnStave(noteStave, from);
  };
  const TMuzNote* note = staveSymbol->AsNote();
  TStaveSymbol* neighbour = step(staveSymbol);
  while (neighbour != nullptr && note != nullptr && InChordOf(note, neighbour)) neighbour = step(neighbour);
  return neighbour;
}

// A step that meets a note stops at its chord's middle note.
TXTouchMuzSymbol* AsStep(const TSinglePartMuz* single, const TNoteStave* noteStave, TStaveSymbol* found) {
  TMuzNote* note = found->AsNote();
  return note ? single->GetChordNote(noteStave, note) : found;
}

// A step from a repeat sign is asked of the loop the sign belongs to.
void CheckOwnSign(const TLoopPartMuz* loop, const TXTouchMuzSymbol* loopPartSymbol) {
  KV_ASSERT(loopPartSymbol != NULL);
  const uint8_t muzSymbolKind = loopPartSymbol->GetMuzSymbolKind();
  KV_ASSERT(muzSymbolKind == muzSymbolLoop);
  KV_ASSERT(loopPartSymbol == loop->GetLeftLoopSymbol() || loopPartSymbol == loop->GetRightLoopSymbol());
}
}  // namespace

// --- across the tree ---------------------------------------------------------------------------

TXTouchMuzSymbol* TPartMuz::GetNextSymbolFrom(TPartMuz* from, const TNoteStave* stave) {
  return StepToSymbol(from, stave, true);
}

TXTouchMuzSymbol* TPartMuz::GetPrevSymbolFrom(TPartMuz* from, const TNoteStave* stave) {
  return StepToSymbol(from, stave, false);
}

// Entering a part from its parent meets its first symbol, also for the root, which has none.
TXTouchMuzSymbol* TPartMuz::GetFirstSymbol(const TNoteStave* stave) { return StepToSymbol(Parent, stave, true); }

TXTouchMuzSymbol* TPartMuz::GetLastSymbol(const TNoteStave* stave) { return StepToSymbol(Parent, stave, false); }

TXTouchMuzSymbol* TPartMuz::StepToSymbol(TPartMuz* from, const TNoteStave* stave, bool forward) {
  TPartMuz* part = this;
  for (;;) {
    const bool fromParent = from == part->Parent;
    TPartMuz* enter = nullptr;  // child to step into; none climbs to the parent
    switch (part->GetPartMuzKind()) {
      case partMuzSingle: {
        KV_ASSERT(fromParent);
        auto* single = static_cast<TSinglePartMuz*>(part);
        return forward ? single->GetFirstSymbolOnStave(stave) : single->GetLastSymbolOnStave(stave);
      }
      case partMuzStart: {
        TPartMuz* child = static_cast<TStartPartMuz*>(part)->GetPartMuz();
        if (from != nullptr && from == child) return nullptr;  // past the end of the music
        KV_ASSERT(fromParent);
        if (child == nullptr) return nullptr;
        enter = child;
        break;
      }
      case partMuzConcat: {
        auto* concat = static_cast<TConcatPartMuz*>(part);
        TPartMuz* leading = forward ? concat->GetFirstPart() : concat->GetSecondPart();
        TPartMuz* trailing = forward ? concat->GetSecondPart() : concat->GetFirstPart();
        if (from != nullptr && from == trailing) break;
        if (from != nullptr && from == leading)
          enter = trailing;
        else if (fromParent)
          enter = leading ? leading : trailing;
        else
          KV_ASSERT(false);
        break;
      }
      case partMuzLoop: {
        auto* loop = static_cast<TLoopPartMuz*>(part);
        const bool fromChild = from != nullptr && from == loop->GetLoopPart();
        if (!fromChild) KV_ASSERT(fromParent);
        // Entering meets the sign on the near side, leaving the child the one on the far side.
        return forward == fromChild ? static_cast<TXTouchMuzSymbol*>(loop->GetRightLoopSymbol())
                                    : static_cast<TXTouchMuzSymbol*>(loop->GetLeftLoopSymbol());
      }
      default: {  // select part: its child once
        TPartMuz* child = static_cast<TSelectPartMuz*>(part)->GetSelectPart();
        if (from != nullptr && from == child) break;
        if (!fromParent) KV_ASSERT(false);
        enter = child;
      }
    }
    if (enter == nullptr) {
      KV_ASSERT(part->Parent != NULL);
      enter = part->Parent;
    }
    from = part;
    part = enter;
  }
}

TXTouchMuzSymbol* TLoopPartMuz::GetSymbolAfter(const TNoteStave* stave, TXTouchMuzSymbol* loopPartSymbol) {
  KV_ASSERT(Parent != NULL);
  CheckOwnSign(this, loopPartSymbol);
  if (loopPartSymbol == RightLoopSymbol.get()) return Parent->GetNextSymbolFrom(this, stave);
  return Child ? Child->GetNextSymbolFrom(this, stave) : RightLoopSymbol.get();
}

TXTouchMuzSymbol* TLoopPartMuz::GetSymbolBefore(const TNoteStave* stave, TXTouchMuzSymbol* loopPartSymbol) {
  KV_ASSERT(Parent != NULL);
  CheckOwnSign(this, loopPartSymbol);
  if (loopPartSymbol == LeftLoopSymbol.get()) return Parent->GetPrevSymbolFrom(this, stave);
  return Child ? Child->GetPrevSymbolFrom(this, stave) : LeftLoopSymbol.get();
}

// --- within one single part --------------------------------------------------------------------

TStaveSymbol* TSinglePartMuz::GetNextSymbolOnStave(const TNoteStave* stave, TStaveSymbol* symbol) const {
  if (symbol == nullptr) return nullptr;
  for (TStaveSymbol* next = symbol->GetNext(); next; next = next->GetNext())
    if (next->GetNoteStave() == stave) return next;
  return nullptr;
}

TStaveSymbol* TSinglePartMuz::GetPrevSymbolOnStave(const TNoteStave* stave, TStaveSymbol* symbol) const {
  if (symbol == nullptr) return nullptr;
  for (TStaveSymbol* prev = symbol->GetPrev(); prev; prev = prev->GetPrev())
    if (prev->GetNoteStave() == stave) return prev;
  return nullptr;
}

TStaveSymbol* TSinglePartMuz::GetFirstSymbolOnStave(const TNoteStave* stave) const {
  for (TStaveSymbol* symbol = StartSymbol; symbol; symbol = symbol->GetNext())
    if (symbol->GetNoteStave() == stave) return symbol;
  return nullptr;
}

TStaveSymbol* TSinglePartMuz::GetStartKeyOnStave(const TNoteStave* stave) const {
  TStaveSymbol* first = GetFirstSymbolOnStave(stave);
  if (first == nullptr || first->GetSymbolPosition() != 0.0) return nullptr;
  const TKey* key = first->AsKey();
  return key != nullptr && key->GetKeyOrder() == 1 ? first : nullptr;
}

TXTouchMuzSymbol* TSinglePartMuz::GetLastSymbolOnStave(const TNoteStave* stave) {
  TStaveSymbol* last = nullptr;
  for (TStaveSymbol* symbol = StartSymbol; symbol; symbol = symbol->GetNext())
    if (symbol->GetNoteStave() == stave) last = symbol;
  if (last == nullptr) return nullptr;
  if (last == GetStartKeyOnStave(stave)) return MuzBar.get();
  if (TMuzNote* note = last->AsNote()) return GetChordNote(stave, note);
  return last;
}

TMuzNote* TSinglePartMuz::GetChordNote(const TNoteStave* stave, TMuzNote* note) const {
  KV_ASSERT(note != NULL);
  KV_ASSERT(note->GetNoteStave() == stave);
  TStaveSymbol* first = note;
  for (TStaveSymbol* prev = GetPrevSymbolOnStave(stave, first); prev && InChordOf(note, prev);
       prev = GetPrevSymbolOnStave(stave, prev))
    first = prev;
  int32_t count = 0;
  for (TStaveSymbol* member = first; member && InChordOf(note, member); member = GetNextSymbolOnStave(stave, member))
    ++count;
  TStaveSymbol* middle = first;
  for (int32_t i = 1; i < (count + 1) / 2; ++i) middle = GetNextSymbolOnStave(stave, middle);
  return middle->AsNote();
}

TXTouchMuzSymbol* TSinglePartMuz::GetNextSymbol(const TNoteStave* noteStave, TXTouchMuzSymbol* symbol) {
  return StepFrom(noteStave, symbol, true);
}

TXTouchMuzSymbol* TSinglePartMuz::GetPrevSymbol(const TNoteStave* noteStave, TXTouchMuzSymbol* symbol) {
  return StepFrom(noteStave, symbol, false);
}

TXTouchMuzSymbol* TSinglePartMuz::StepFrom(const TNoteStave* noteStave, TXTouchMuzSymbol* symbol, bool forward) {
  KV_ASSERT(Parent != NULL);
  if (symbol == nullptr) return nullptr;
  const uint8_t muzSymbolKind = symbol->GetMuzSymbolKind();
  if (muzSymbolKind == muzSymbolLoop) return nullptr;  // the loop answers for its repeat signs
  TStaveSymbol* startKey = GetStartKeyOnStave(noteStave);
  TStaveSymbol* found = nullptr;
  if (muzSymbolKind == muzSymbolBar) {
    // The bar stands between the start key and the rest of the stave.
    found = forward ? GetFirstSymbolOnStave(noteStave) : startKey;
    if (forward && found != nullptr && found == startKey) found = GetNextSymbolOnStave(noteStave, found);
  } else if (symbol == startKey) {
    if (forward) return MuzBar.get();
  } else {
    found = NeighbourOnStave(this, noteStave, static_cast<TStaveSymbol*>(symbol), forward);
    if (!forward && found != nullptr && found == startKey) return MuzBar.get();
  }
  if (found != nullptr) return AsStep(this, noteStave, found);
  return forward ? Parent->GetNextSymbolFrom(this, noteStave) : Parent->GetPrevSymbolFrom(this, noteStave);
}
