// The music-part tree: its shape, time and turns, the orders it is walked in and the edits of the
// symbol lists of its single parts.
#include "music/PartMuz.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {
constexpr const char* kAssertUnit = "PartMuz";

// The gap filler tries rests from a whole down to a thirty-second.
constexpr int32_t kLongestRestKind = 1;
constexpr int32_t kShortestRestKind = 32;

// Calls `visit` for every single part of the subtree, left to right.
template <class Visit>
void ForEachSinglePart(TPartMuz* top, Visit visit) {
  std::vector<TPartMuz*> stack{top};
  while (!stack.empty()) {
    TPartMuz* part = stack.back();
    stack.pop_back();
    if (part->GetPartMuzKind() == partMuzSingle) {
      visit(static_cast<TSinglePartMuz*>(part));
      continue;
    }
    TPartMuz* children[2];
    const int count = part->GetChildren(children);
    for (int i = count - 1; i >= 0; --i) stack.push_back(children[i]);
  }
}

int32_t StepClass(int32_t pitch) { return static_cast<int32_t>(WrapIntoRange(pitch, 0, 7)); }
}  // namespace

// --- TPartMuz ----------------------------------------------------------------------------------

std::string TPartMuz::GetLabel() const {
  if (!Label.empty()) return Label;
  switch (GetPartMuzKind()) {
    case partMuzStart:
      return "root";
    case partMuzConcat:
      return "<concat>";
    case partMuzLoop:
      return "repeat " + std::to_string(static_cast<const TLoopPartMuz*>(this)->GetCount().GetValue());
    case partMuzSelect:
      return "turns";
    default:
      return "part";
  }
}

TPartMuz** TPartMuz::GetChildRef(TPartMuz*) {
  KV_ASSERT(false);
  return nullptr;
}

void TPartMuz::DeleteSubtrees(TPartMuz* first, TPartMuz* second) {
  std::vector<TPartMuz*> stack;
  if (first) stack.push_back(first);
  if (second) stack.push_back(second);
  while (!stack.empty()) {
    TPartMuz* part = stack.back();
    stack.pop_back();
    TPartMuz* children[2];
    const int count = part->ReleaseChildren(children);
    for (int i = 0; i < count; ++i) stack.push_back(children[i]);
    delete part;
  }
}

bool TPartMuz::IsVisible() const {
  for (const TPartMuz* part = this; part; part = part->Parent)
    if (!part->Visible) return false;
  return true;
}

bool TPartMuz::IsParentVisible() const { return Parent == nullptr || Parent->IsVisible(); }

TPartMuz* TPartMuz::GetEnclosingLoopOrSelect() const {
  for (TPartMuz* part = Parent; part; part = part->Parent) {
    const uint8_t kind = part->GetPartMuzKind();
    KV_ASSERT(kind != partMuzSingle);
    if (kind == partMuzLoop || kind == partMuzSelect) return part;
    if (kind == partMuzStart) return nullptr;
  }
  return nullptr;
}

TLoopPartMuz* TPartMuz::GetEnclosingLoop() {
  for (TPartMuz* part = this;;) {
    const uint8_t kind = part->GetPartMuzKind();
    if (kind == partMuzLoop) return static_cast<TLoopPartMuz*>(part);
    if (kind == partMuzStart) return nullptr;
    KV_ASSERT(part->Parent != NULL);
    part = part->Parent;
  }
}

int32_t TPartMuz::GetCurrentTurn() const {
  for (const TPartMuz* part = this;;) {
    switch (part->GetPartMuzKind()) {
      case partMuzStart:
        return 1;
      case partMuzLoop:
        return static_cast<const TLoopPartMuz*>(part)->GetTurn();
      case partMuzSingle:
        KV_ASSERT(false);
        return 1;
      default:
        KV_ASSERT(part->Parent != NULL);
        part = part->Parent;
    }
  }
}

double TPartMuz::GetTimeLength(int32_t turn) const {
  // One frame per part being summed: `step` counts the children (or turn groups) already asked,
  // `weight` is how many turns the child now asked stands for.
  struct Frame {
    const TPartMuz* part;
    int32_t turn;
    size_t step;
    double sum;
    double weight;
    std::vector<TLoopPartMuz::TurnGroup> plan;
  };
  std::vector<Frame> stack;
  stack.push_back({this, turn, 0, 0.0, 1.0, {}});
  double finished = 0.0;
  bool childFinished = false;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (childFinished) frame.sum += frame.weight * finished;
    childFinished = false;
    const TPartMuz* child = nullptr;
    int32_t childTurn = frame.turn;
    bool done = false;
    switch (frame.part->GetPartMuzKind()) {
      case partMuzSingle:
        frame.sum = static_cast<const TSinglePartMuz*>(frame.part)->GetOwnTimeLength();
        done = true;
        break;
      case partMuzStart:
        done = frame.step > 0;
        if (!done) child = static_cast<const TStartPartMuz*>(frame.part)->GetPartMuz();
        break;
      case partMuzConcat: {
        const auto* concat = static_cast<const TConcatPartMuz*>(frame.part);
        done = frame.step > 1;
        if (!done) child = frame.step == 0 ? concat->GetFirstPart() : concat->GetSecondPart();
        break;
      }
      case partMuzLoop: {
        const auto* loop = static_cast<const TLoopPartMuz*>(frame.part);
        if (frame.step == 0) frame.plan = loop->GetTurnGroups();
        child = loop->GetLoopPart();
        done = frame.step >= frame.plan.size() || child == nullptr;
        if (!done) {
          childTurn = frame.plan[frame.step].turn;
          frame.weight = frame.plan[frame.step].turns;
        }
        break;
      }
      case partMuzSelect: {
        const auto* select = static_cast<const TSelectPartMuz*>(frame.part);
        int32_t pitch = 0;
        done = frame.step > 0 || !select->FindTurn(pitch, frame.turn);
        child = select->GetSelectPart();
        break;
      }
    }
    if (done) {
      finished = frame.sum;
      stack.pop_back();
      childFinished = true;
      continue;
    }
    ++frame.step;
    if (child) stack.push_back({child, childTurn, 0, 0.0, 1.0, {}});
  }
  return finished;
}

void TPartMuz::ResetTurns() {
  std::vector<TPartMuz*> stack{this};
  while (!stack.empty()) {
    TPartMuz* part = stack.back();
    stack.pop_back();
    if (part->GetPartMuzKind() == partMuzLoop) static_cast<TLoopPartMuz*>(part)->SetTurn(1);
    TPartMuz* children[2];
    const int count = part->GetChildren(children);
    for (int i = 0; i < count; ++i) stack.push_back(children[i]);
  }
}

void TPartMuz::CheckParents(TPartMuz* caller) {
  std::vector<std::pair<TPartMuz*, TPartMuz*>> stack{{this, caller}};
  while (!stack.empty()) {
    auto [part, expected] = stack.back();
    stack.pop_back();
    // The root only hands itself to its child.
    if (part->GetPartMuzKind() != partMuzStart) KV_ASSERT(part->Parent == expected);
    TPartMuz* children[2];
    const int count = part->GetChildren(children);
    for (int i = 0; i < count; ++i) stack.push_back({children[i], part});
  }
}

TSinglePartMuz* TPartMuz::GetFirstSinglePart() {
  TPartMuz* part = this;
  while (part && part->GetPartMuzKind() != partMuzSingle) {
    TPartMuz* children[2];
    part = part->GetChildren(children) > 0 ? children[0] : nullptr;
  }
  return static_cast<TSinglePartMuz*>(part);
}

TSinglePartMuz* TPartMuz::GetLastSinglePart() {
  TPartMuz* part = this;
  while (part && part->GetPartMuzKind() != partMuzSingle) {
    TPartMuz* children[2];
    const int count = part->GetChildren(children);
    part = count > 0 ? children[count - 1] : nullptr;
  }
  return static_cast<TSinglePartMuz*>(part);
}

TPartMuz* TPartMuz::Step(TPartMuz* from, bool forward, bool partsToo) {
  TPartMuz* part = this;
  for (;;) {
    TPartMuz* enter = nullptr;  // child to step into, from `part`
    switch (part->GetPartMuzKind()) {
      case partMuzSingle:
        KV_ASSERT(from == part->Parent);
        return part;
      case partMuzStart:
        KV_ASSERT(from != NULL && from == static_cast<TStartPartMuz*>(part)->GetPartMuz());
        return nullptr;
      case partMuzConcat: {
        auto* concat = static_cast<TConcatPartMuz*>(part);
        TPartMuz* leading = forward ? concat->GetFirstPart() : concat->GetSecondPart();
        TPartMuz* trailing = forward ? concat->GetSecondPart() : concat->GetFirstPart();
        if (from != nullptr && from == trailing) break;
        if (from != nullptr && from == leading) {
          enter = trailing;
        } else {
          KV_ASSERT(from == part->Parent);
          enter = leading ? leading : trailing;
        }
        break;
      }
      default: {  // loop and select part
        TPartMuz* children[2];
        TPartMuz* child = part->GetChildren(children) > 0 ? children[0] : nullptr;
        const bool fromChild = from != nullptr && from == child;
        KV_ASSERT(fromChild || from == part->Parent);
        // In tree order a loop or select part is a stop on the way in and on the way out.
        if (partsToo) return part;
        if (fromChild) break;
        enter = child;
      }
    }
    if (enter) {
      from = part;
      part = enter;
    } else {
      KV_ASSERT(part->Parent != NULL);
      from = part;
      part = part->Parent;
    }
  }
}

TSinglePartMuz* TPartMuz::GetNextSinglePartFrom(TPartMuz* from) {
  return static_cast<TSinglePartMuz*>(Step(from, true, false));
}

TSinglePartMuz* TPartMuz::GetPrevSinglePartFrom(TPartMuz* from) {
  return static_cast<TSinglePartMuz*>(Step(from, false, false));
}

TPartMuz* TPartMuz::GetNextPartFrom(TPartMuz* from) { return Step(from, true, true); }
TPartMuz* TPartMuz::GetPrevPartFrom(TPartMuz* from) { return Step(from, false, true); }
TPartMuz* TPartMuz::GetNextPart() { return Parent ? Parent->GetNextPartFrom(this) : nullptr; }
TPartMuz* TPartMuz::GetPrevPart() { return Parent ? Parent->GetPrevPartFrom(this) : nullptr; }

void TPartMuz::DetachFromParent(TPartMuz*& parent, TPartMuz**& ownLink, TPartMuz**& parentLink) {
  KV_ASSERT(GetPartMuzKind() != partMuzStart);
  KV_ASSERT(Parent != NULL);
  parent = Parent;
  ownLink = &Parent;
  parentLink = Parent->GetChildRef(this);
  *parentLink = nullptr;
  Parent = nullptr;
}

void TPartMuz::InsertSymbol(TStaveSymbol* symbol) { symbol->GetSinglePartMuz()->InsertOwnSymbol(symbol); }
void TPartMuz::DeleteSymbol(TStaveSymbol* symbol) {
  KV_ASSERT(symbol != NULL);
  symbol->GetSinglePartMuz()->DeleteOwnSymbol(symbol);
}
void TPartMuz::MoveSymbol(TStaveSymbol* symbol) {
  KV_ASSERT(symbol != NULL);
  symbol->GetSinglePartMuz()->MoveOwnSymbol(symbol);
}

void TPartMuz::FillGapsWithSilences(TNoteStave* noteStave) {
  ForEachSinglePart(this, [noteStave](TSinglePartMuz* single) { single->FillOwnGaps(noteStave); });
}
void TPartMuz::RemoveStave(TNoteStave* noteStave) {
  ForEachSinglePart(this, [noteStave](TSinglePartMuz* single) { single->RemoveOwnStave(noteStave); });
}
void TPartMuz::RemoveNoteGroup(TNoteGroup* noteGroup) {
  ForEachSinglePart(this, [noteGroup](TSinglePartMuz* single) { single->RemoveOwnNoteGroup(noteGroup); });
}
void TPartMuz::AddStave(TNoteStave* newStave) {
  ForEachSinglePart(this, [newStave](TSinglePartMuz* single) { single->AddStartKey(newStave); });
}

TStaveSymbol* TPartMuz::GetStartSymbol() {
  TSinglePartMuz* first = GetFirstSinglePart();
  return first ? first->GetStartStaveSymbol() : nullptr;
}

// --- parts with one child ----------------------------------------------------------------------

TOneChildPartMuz::TOneChildPartMuz(TPartMuz* child, TUnitMuz* unit) : TPartMuz(unit), Child(child) {
  if (Child) Child->SetParent(this);
}

TOneChildPartMuz::~TOneChildPartMuz() { DeleteSubtrees(std::exchange(Child, nullptr), nullptr); }

int TOneChildPartMuz::GetChildren(TPartMuz* (&children)[2]) const {
  children[0] = Child;
  return Child ? 1 : 0;
}

int TOneChildPartMuz::ReleaseChildren(TPartMuz* (&children)[2]) {
  children[0] = std::exchange(Child, nullptr);
  return children[0] ? 1 : 0;
}

TPartMuz** TStartPartMuz::GetChildRef(TPartMuz* me) {
  const TPartMuz* PartMuz = Child;  // named as the trap reports it
  KV_ASSERT(PartMuz == me);
  return &Child;
}

TPartMuz* TStartPartMuz::SetPartMuz(TPartMuz* part) {
  TPartMuz* old = Child;
  Child = part;
  if (part) part->SetParent(this);
  return old;
}

// --- TConcatPartMuz ----------------------------------------------------------------------------

TConcatPartMuz::TConcatPartMuz(TPartMuz* first, TPartMuz* second, TUnitMuz* unit)
    : TPartMuz(unit), FirstPart(first), SecondPart(second) {
  if (FirstPart) FirstPart->SetParent(this);
  if (SecondPart) SecondPart->SetParent(this);
}

TConcatPartMuz::~TConcatPartMuz() {
  DeleteSubtrees(std::exchange(FirstPart, nullptr), std::exchange(SecondPart, nullptr));
}

TPartMuz** TConcatPartMuz::GetChildRef(TPartMuz* me) {
  KV_ASSERT(FirstPart == me || SecondPart == me);
  return FirstPart == me ? &FirstPart : &SecondPart;
}

int TConcatPartMuz::GetChildren(TPartMuz* (&children)[2]) const {
  int count = 0;
  if (FirstPart) children[count++] = FirstPart;
  if (SecondPart) children[count++] = SecondPart;
  return count;
}

int TConcatPartMuz::ReleaseChildren(TPartMuz* (&children)[2]) {
  const int count = GetChildren(children);
  FirstPart = SecondPart = nullptr;
  return count;
}

void TConcatPartMuz::Collapse() {
  KV_ASSERT(FirstPart == NULL || SecondPart == NULL);
  KV_ASSERT(FirstPart != NULL || SecondPart != NULL);
  KV_ASSERT(Parent != NULL);
  TPartMuz* remaining = FirstPart ? FirstPart : SecondPart;
  *Parent->GetChildRef(this) = remaining;
  remaining->SetParent(Parent);
  FirstPart = SecondPart = nullptr;
  Parent = nullptr;
}

// --- TLoopPartMuz ------------------------------------------------------------------------------

TLoopPartMuz::TLoopPartMuz(const unitIntegerPosMore& count, TPartMuz* child, TUnitMuz* unit)
    : TOneChildPartMuz(child, unit),
      Count(count),
      LeftLoopSymbol(std::make_unique<TLoopPartSymbol>(this, loopSideLeft)),
      RightLoopSymbol(std::make_unique<TLoopPartSymbol>(this, loopSideRight)) {}

TLoopPartMuz::~TLoopPartMuz() = default;

int32_t TLoopPartMuz::GetTurns() const { return std::max<int32_t>(1, Count.GetValue()); }

std::vector<TLoopPartMuz::TurnGroup> TLoopPartMuz::GetTurnGroups() const {
  // The turn reaches the select parts between this loop and the loops inside it.
  const int32_t turns = GetTurns();
  std::vector<int32_t> chosen;
  std::vector<const TPartMuz*> stack;
  if (Child) stack.push_back(Child);
  while (!stack.empty()) {
    const TPartMuz* part = stack.back();
    stack.pop_back();
    if (part->GetPartMuzKind() == partMuzLoop) continue;
    if (part->GetPartMuzKind() == partMuzSelect) {
      for (TSelectPartItem* item = static_cast<const TSelectPartMuz*>(part)->GetSelectPartItems()->GetNext();
           item; item = item->GetNext()) {
        const int32_t count = static_cast<TCountSelectPartItem*>(item)->GetCount().GetValue();
        if (count >= 1 && count <= turns) chosen.push_back(count);
      }
    }
    TPartMuz* children[2];
    const int count = part->GetChildren(children);
    for (int i = 0; i < count; ++i) stack.push_back(children[i]);
  }
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  std::vector<TurnGroup> groups;
  int32_t unchosen = 1;  // the first turn that no select part names
  for (int32_t turn : chosen) {
    groups.push_back({turn, 1.0});
    if (turn == unchosen) ++unchosen;
  }
  const int64_t others = static_cast<int64_t>(turns) - static_cast<int64_t>(chosen.size());
  if (others > 0) groups.push_back({unchosen, static_cast<double>(others)});
  return groups;
}

TPartMuz** TLoopPartMuz::GetChildRef(TPartMuz* me) {
  const TPartMuz* LoopPart = Child;  // named as the trap reports it
  KV_ASSERT(LoopPart == me);
  return &Child;
}

// --- select parts and their turns --------------------------------------------------------------

TSelectPartItem::~TSelectPartItem() { DeleteChain(std::exchange(Next, nullptr), &TSelectPartItem::Next); }

void TSelectPartItem::Append(TSelectPartItem* item) {
  TSelectPartItem* last = this;
  while (last->Next) last = last->Next;
  last->Next = item;
}

std::string TStartSelectPartItem::GetLabel() const { return Label.empty() ? "root turn" : Label; }

std::string TCountSelectPartItem::GetLabel() const {
  return Label.empty() ? "turn " + std::to_string(Count.GetValue()) : Label;
}

TSelectPartMuz::TSelectPartMuz(TPartMuz* child, TUnitMuz* unit)
    : TOneChildPartMuz(child, unit), SelectPartItems(std::make_unique<TStartSelectPartItem>(this)) {}

TSelectPartMuz::~TSelectPartMuz() = default;

TPartMuz** TSelectPartMuz::GetChildRef(TPartMuz* me) {
  const TPartMuz* SelectPart = Child;  // named as the trap reports it
  KV_ASSERT(SelectPart == me);
  return &Child;
}

TCountSelectPartItem* TSelectPartMuz::AddTurnItem(const unitIntegerPosMore& count, const unitInteger& pitch) {
  KV_ASSERT(SelectPartItems != NULL);
  auto* item = new TCountSelectPartItem(this, count, pitch);
  SelectPartItems->Append(item);
  return item;
}

void TSelectPartMuz::RemoveTurnItem(int32_t count) {
  KV_ASSERT(SelectPartItems != NULL);
  for (TSelectPartItem* previous = SelectPartItems.get(); previous->Next; previous = previous->Next) {
    auto* item = static_cast<TCountSelectPartItem*>(previous->Next);
    if (item->GetCount().GetValue() != count) continue;
    if (UnitMuz) UnitMuz->ForgetMusTreeItem(item);
    previous->Next = std::exchange(item->Next, nullptr);
    delete item;
    return;
  }
}

int32_t TSelectPartMuz::CountTurnItems(int32_t count) const {
  KV_ASSERT(SelectPartItems != NULL);
  int32_t found = 0;
  for (TSelectPartItem* item = SelectPartItems->Next; item; item = item->Next)
    if (static_cast<TCountSelectPartItem*>(item)->GetCount().GetValue() == count) ++found;
  return found;
}

int32_t TSelectPartMuz::GetMaxTurnCount() const {
  KV_ASSERT(SelectPartItems != NULL);
  int32_t largest = 0;
  for (TSelectPartItem* item = SelectPartItems->Next; item; item = item->Next)
    largest = std::max(largest, static_cast<TCountSelectPartItem*>(item)->GetCount().GetValue());
  return largest;
}

bool TSelectPartMuz::FindTurn(int32_t& pitch, int32_t turn) const {
  KV_ASSERT(SelectPartItems != NULL);
  for (TSelectPartItem* item = SelectPartItems->Next; item; item = item->Next) {
    auto* countItem = static_cast<TCountSelectPartItem*>(item);
    if (countItem->GetCount().GetValue() != turn) continue;
    pitch = countItem->GetPitch().GetValue();
    return true;
  }
  return false;
}

// --- TSinglePartMuz ----------------------------------------------------------------------------

TSinglePartMuz::~TSinglePartMuz() {
  for (TStaveSymbol* symbol = StartSymbol; symbol;) {
    TStaveSymbol* next = symbol->GetNext();
    delete symbol;
    symbol = next;
  }
}

void TSinglePartMuz::SetMuzBar(TMuzBar* muzBar) {
  KV_ASSERT(muzBar != NULL);
  KV_ASSERT(MuzBar == NULL);
  KV_ASSERT(muzBar->GetSinglePartMuz() == this);
  MuzBar.reset(muzBar);
}

TSinglePartMuz* TSinglePartMuz::GetNextSinglePart() {
  return Parent ? Parent->GetNextSinglePartFrom(this) : nullptr;
}

double TSinglePartMuz::GetOwnTimeLength() const {
  double length = 0.0;
  for (TStaveSymbol* symbol = StartSymbol; symbol; symbol = symbol->GetNext()) {
    if (symbol->GetStaveSymbolKind() != staveSymbolNote) continue;
    const TNote* note = static_cast<TMuzNote*>(symbol);
    length = std::max(length, note->GetPosition() + note->GetLength());
  }
  return length;
}

void TSinglePartMuz::InsertOwnSymbol(TStaveSymbol* symbol) {
  if (StartSymbol == nullptr) {
    symbol->SetPrev(nullptr);
    symbol->SetNext(nullptr);
    StartSymbol = symbol;
    return;
  }
  if (TStaveSymbol::IsPrevOf(StartSymbol, symbol)) {
    TStaveSymbol* before = StartSymbol;
    while (before->GetNext() && TStaveSymbol::IsPrevOf(before->GetNext(), symbol)) before = before->GetNext();
    TStaveSymbol* after = before->GetNext();
    symbol->SetNext(after);
    symbol->SetPrev(before);
    if (after) after->SetPrev(symbol);
    before->SetNext(symbol);
    return;
  }
  // Ahead of the old head, also when it is equal in order.
  symbol->SetPrev(nullptr);
  symbol->SetNext(StartSymbol);
  StartSymbol->SetPrev(symbol);
  StartSymbol = symbol;
}

int64_t TSinglePartMuz::InsertOwnSymbolFrom(TStaveSymbol* symbol, TStaveSymbol* from) {
  if (StartSymbol == nullptr) {
    InsertOwnSymbol(symbol);
    return 0;
  }
  KV_ASSERT(from != NULL);
  // Between the last symbol of a lower rank and the first of the same or a higher one; from the
  // head every symbol of a lower rank goes before the new one, so the head's walk stops there too.
  int64_t steps = 0;
  TStaveSymbol* before = nullptr;
  TStaveSymbol* after = from;
  if (TStaveSymbol::CompareRank(from, symbol) < 0) {
    before = from;
    after = from->GetNext();
    for (; after != nullptr && TStaveSymbol::CompareRank(after, symbol) < 0; ++steps) {
      before = after;
      after = after->GetNext();
    }
  } else {
    before = from->GetPrev();
    for (; before != nullptr && TStaveSymbol::CompareRank(before, symbol) >= 0; ++steps) {
      after = before;
      before = before->GetPrev();
    }
  }
  // Among equals of rank, past the notes of a higher pitch only: the new symbol goes before its
  // ties.
  for (; after != nullptr && TStaveSymbol::IsPrevOf(after, symbol); ++steps) {
    before = after;
    after = after->GetNext();
  }
  symbol->SetPrev(before);
  symbol->SetNext(after);
  if (after != nullptr) after->SetPrev(symbol);
  if (before != nullptr)
    before->SetNext(symbol);
  else
    StartSymbol = symbol;
  return steps;
}

void TSinglePartMuz::Unlink(TStaveSymbol* symbol) {
  UnlinkFromChain(symbol, StartSymbol);
  if (Cursor == symbol) Cursor = nullptr;
}

void TSinglePartMuz::DeleteOwnSymbol(TStaveSymbol* deleteSymbol) {
  KV_ASSERT(deleteSymbol != NULL);
  Unlink(deleteSymbol);
  delete deleteSymbol;
}

void TSinglePartMuz::MoveOwnSymbol(TStaveSymbol* moveSymbol) {
  KV_ASSERT(moveSymbol != NULL);
  const bool toLeft = moveSymbol->GetPrev() && TStaveSymbol::IsPrevOf(moveSymbol, moveSymbol->GetPrev());
  const bool toRight = moveSymbol->GetNext() && TStaveSymbol::IsPrevOf(moveSymbol->GetNext(), moveSymbol);
  if (!toLeft && !toRight) return;
  if (toLeft && toRight) {
    // A rest is equal in order to every note of its place, so a list can hold a symbol that
    // belongs before its left and after its right neighbour at once; neither direction alone
    // finds its place then, so it is placed anew as an insertion would place it.
    Unlink(moveSymbol);
    InsertOwnSymbol(moveSymbol);
    return;
  }
  TStaveSymbol* before = moveSymbol->GetPrev();
  TStaveSymbol* after = moveSymbol->GetNext();
  Unlink(moveSymbol);
  if (toLeft) {
    while (before && TStaveSymbol::IsPrevOf(moveSymbol, before)) before = before->GetPrev();
    after = before ? before->GetNext() : StartSymbol;
  } else {
    while (after && TStaveSymbol::IsPrevOf(after, moveSymbol)) {
      before = after;
      after = after->GetNext();
    }
  }
  moveSymbol->SetPrev(before);
  moveSymbol->SetNext(after);
  if (after) after->SetPrev(moveSymbol);
  if (before)
    before->SetNext(moveSymbol);
  else
    StartSymbol = moveSymbol;
}

void TSinglePartMuz::FillOwnGaps(TNoteStave* noteStave) {
  KV_ASSERT(noteStave != NULL);
  double time = 0.0;
  for (TStaveSymbol* symbol = StartSymbol; symbol; symbol = symbol->GetNext()) {
    if (symbol->GetNoteStave() != noteStave) continue;
    const double position = symbol->GetSymbolPosition();
    while (time < position) {
      double limit = position;
      if (MuzBar) {
        const double barLine = MuzBar->GetNextBarTime(time);
        if (barLine > time && barLine < limit) limit = barLine;
      }
      for (int32_t kind = kLongestRestKind; kind <= kShortestRestKind && time < limit;) {
        const double length = 1.0 / kind;
        if (length <= limit - time) {
          InsertOwnSymbol(new TSilence(static_cast<int8_t>(kind), 0, time, noteStave, sool, 0, this));
          time += length;
        } else {
          kind *= 2;
        }
      }
      // What is left is shorter than any rest: leave it empty and go on after it.
      time = limit;
    }
    double length = 0.0;
    if (symbol->GetStaveSymbolKind() != staveSymbolKey)
      length = static_cast<TStaveTimeSymbol*>(symbol)->GetLength();
    time = std::max(time, position + length);
  }
}

void TSinglePartMuz::RemoveOwnStave(TNoteStave* noteStave) {
  KV_ASSERT(noteStave != NULL);
  Cursor = nullptr;
  if (StartSymbol) StartSymbol = StartSymbol->RemoveStaveSymbols(noteStave);
}

void TSinglePartMuz::RemoveOwnNoteGroup(TNoteGroup* noteGroup) {
  KV_ASSERT(noteGroup != NULL);
  Cursor = nullptr;
  if (StartSymbol) StartSymbol = StartSymbol->RemoveNoteGroupNotes(noteGroup);
}

void TSinglePartMuz::AddStartKey(TNoteStave* newStave) {
  KV_ASSERT(newStave != NULL);
  constexpr int8_t kGClef = 6;
  InsertOwnSymbol(new TKey(UnitMuz, kGClef, 0, 0.0, newStave, 1, this));
}

void TSinglePartMuz::AddStartKeys() {
  // Along the links: the document's stave cursor may be in use by the caller.
  for (TNoteStave* stave = UnitMuz->GetStartStave(); stave; stave = stave->GetNext()) AddStartKey(stave);
}

int32_t TSinglePartMuz::CountStartKeys(const TNoteStave* stave) const {
  int32_t count = 0;
  for (TStaveSymbol* symbol = StartSymbol; symbol && symbol->GetSymbolPosition() == 0.0;
       symbol = symbol->GetNext())
    if (symbol->GetNoteStave() == stave && symbol->GetStaveSymbolKind() == staveSymbolKey) ++count;
  return count;
}

TKey* TSinglePartMuz::GetKeyAt(double time, const TNoteStave* stave) const {
  TKey* key = nullptr;
  for (TStaveSymbol* symbol = StartSymbol; symbol && symbol->GetSymbolPosition() <= time;
       symbol = symbol->GetNext())
    if (symbol->GetNoteStave() == stave && symbol->GetStaveSymbolKind() == staveSymbolKey)
      key = static_cast<TKey*>(symbol);
  return key;
}

uint8_t TSinglePartMuz::GetNoteShiftAt(const TNoteStave* stave, double time, int32_t pitch) const {
  const int32_t stepClass = StepClass(pitch);
  double barLineAhead = 0.0;
  uint8_t keyShift = noteShiftNormal;
  uint8_t shiftInEffect = noteShiftNormal;
  for (TStaveSymbol* symbol = StartSymbol; symbol; symbol = symbol->GetNext()) {
    if (symbol->GetNoteStave() != stave) continue;
    const double position = symbol->GetSymbolPosition();
    const uint8_t kind = symbol->GetStaveSymbolKind();
    if (position > time || (kind == staveSymbolNote && position == time)) break;
    if (position >= barLineAhead) {
      const double next = MuzBar ? MuzBar->GetNextBarTime(position) : position;
      // A bar without a grid still leaves the walk moving forward.
      barLineAhead = next > position ? next : time + 1.0;
      shiftInEffect = keyShift;
    }
    if (kind == staveSymbolKey) {
      const auto* key = static_cast<const TKey*>(symbol);
      keyShift = key->GetNoteShift(key->PitchToHeight(pitch));
      shiftInEffect = keyShift;
    } else if (kind == staveSymbolNote) {
      const auto* note = static_cast<const TMuzNote*>(symbol);
      if (StepClass(note->GetPitch()) == stepClass) shiftInEffect = note->GetNoteShift();
    }
  }
  return barLineAhead <= time ? keyShift : shiftInEffect;
}

TStaveSymbol* TSinglePartMuz::GetNearestSymbol(const TNoteStave* stave, double time) const {
  TStaveSymbol* nearest = nullptr;
  double bestDistance = 1e9;
  for (TStaveSymbol* symbol = StartSymbol; symbol; symbol = symbol->GetNext()) {
    if (symbol->GetNoteStave() != stave) continue;
    const double distance = std::abs(symbol->GetSymbolPosition() - time);
    if (nearest == nullptr || distance < bestDistance) {
      nearest = symbol;
      bestDistance = distance;
    }
  }
  return nearest;
}

bool TSinglePartMuz::FirstSymbol() {
  Cursor = StartSymbol;
  return Cursor != nullptr;
}

bool TSinglePartMuz::NextSymbol() {
  if (Cursor) Cursor = Cursor->GetNext();
  return Cursor != nullptr;
}
