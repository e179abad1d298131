// The tree edits of the music-parts dialog, built from the detach and collapse primitives so that
// every parent link stays consistent and no part is freed while the document still points into it.
#include <cstdint>

#include "music/PartMuz.h"

#include "foundation/assertion.h"
#include "music/muznote.h"
#include "music/unitmuz.h"

namespace {
constexpr const char* kAssertUnit = "PartMuz";
}  // namespace

namespace muztree {
namespace {

constexpr int8_t kNewBarLength = 4;
constexpr int32_t kNewBarCount = 4;
constexpr int32_t kNewLoopCount = 2;

bool IsLoopOrSelect(const TPartMuz* part) {
  return part && (part->GetPartMuzKind() == partMuzLoop || part->GetPartMuzKind() == partMuzSelect);
}

bool IsAncestor(const TPartMuz* ancestor, const TPartMuz* part) {
  for (const TPartMuz* p = part->GetParent(); p; p = p->GetParent())
    if (p == ancestor) return true;
  return false;
}

// Detaching is only allowed below the root; a part without parent cannot be reshaped.
bool Movable(const TPartMuz* part) {
  return part && part->GetParent() && part->GetPartMuzKind() != partMuzStart &&
         part->GetPartMuzKind() != partMuzConcat;
}

struct Slot {
  TPartMuz* parent = nullptr;
  TPartMuz** link = nullptr;
};

Slot Detach(TPartMuz* part) {
  Slot slot;
  TPartMuz** ownLink = nullptr;
  part->DetachFromParent(slot.parent, ownLink, slot.link);
  return slot;
}

void Put(const Slot& slot, TPartMuz* part) {
  *slot.link = part;
  part->SetParent(slot.parent);
}

// Takes a detached part's concatenation out of the tree: its other child takes its place.
void CollapseConcat(TPartMuz* concat) {
  auto* c = static_cast<TConcatPartMuz*>(concat);
  c->Collapse();
  delete c;
}

TPartMuz* OwnChild(TPartMuz* part) {
  TPartMuz* children[2];
  return part->GetChildren(children) > 0 ? children[0] : nullptr;
}

// The neighbour in tree order, unless it is one of the part's own ancestors: stepping out of a
// loop meets the loop itself, which is no neighbour to swap with.
TPartMuz* Neighbour(TPartMuz* part, bool forward) {
  TPartMuz* other = forward ? part->GetNextPart() : part->GetPrevPart();
  return other && !IsAncestor(other, part) ? other : nullptr;
}

}  // namespace

TSinglePartMuz* InsertSingle(TPartMuz* selected, bool before) {
  if (!Movable(selected)) return nullptr;
  TUnitMuz* unit = selected->GetUnitMuz();
  const Slot slot = Detach(selected);
  auto* single = new TSinglePartMuz(unit);
  new TMuzBar(single, kNewBarLength, kNewBarCount, 0);
  single->AddStartKeys();
  auto* concat = before ? new TConcatPartMuz(single, selected, unit) : new TConcatPartMuz(selected, single, unit);
  Put(slot, concat);
  return single;
}

TPartMuz* AddLoopOrSelect(TPartMuz* selected, uint8_t kind) {
  KV_ASSERT(kind == partMuzLoop || kind == partMuzSelect);
  if (!Movable(selected)) return nullptr;
  TUnitMuz* unit = selected->GetUnitMuz();
  const Slot slot = Detach(selected);
  TPartMuz* wrapper = nullptr;
  if (kind == partMuzLoop) {
    wrapper = new TLoopPartMuz(unitIntegerPosMore(kNewLoopCount, 0), selected, unit);
  } else {
    auto* select = new TSelectPartMuz(selected, unit);
    select->AddTurnItem(unitIntegerPosMore(1, 0), unitInteger(0, 0));
    wrapper = select;
  }
  Put(slot, wrapper);
  return wrapper;
}

TCountSelectPartItem* AddTurn(TSelectPartMuz* select) {
  KV_ASSERT(select != NULL);
  // A file may hold the largest count there is; the next one would overflow.
  const int32_t largest = select->GetMaxTurnCount();
  if (largest == INT32_MAX) return nullptr;
  return select->AddTurnItem(unitIntegerPosMore(largest + 1, 0), unitInteger(0, 0));
}

TPartMuz* MoveSubtree(TPartMuz* selected, bool forward) {
  if (!Movable(selected)) return nullptr;
  TPartMuz* other = Neighbour(selected, forward);
  if (!Movable(other)) return nullptr;
  const Slot first = Detach(selected);
  const Slot second = Detach(other);
  Put(first, other);
  Put(second, selected);
  return selected;
}

TPartMuz* MoveSubtreeInto(TPartMuz* selected, bool forward) {
  if (!Movable(selected)) return nullptr;
  TPartMuz* other = Neighbour(selected, forward);
  if (!IsLoopOrSelect(other)) return nullptr;
  if (selected->GetParent()->GetPartMuzKind() != partMuzConcat) return nullptr;
  TUnitMuz* unit = selected->GetUnitMuz();
  CollapseConcat(Detach(selected).parent);
  TPartMuz* inner = OwnChild(other);
  if (inner == nullptr) {  // an empty loop from a file simply takes the part
    Put({other, other->GetChildRef(nullptr)}, selected);
    return selected;
  }
  const Slot slot = Detach(inner);
  Put(slot, forward ? new TConcatPartMuz(selected, inner, unit) : new TConcatPartMuz(inner, selected, unit));
  return selected;
}

TPartMuz* MoveSubtreeOut(TPartMuz* selected, bool forward) {
  if (!Movable(selected)) return nullptr;
  TPartMuz* enclosing = selected->GetEnclosingLoopOrSelect();
  if (!Movable(enclosing) || selected->GetParent()->GetPartMuzKind() != partMuzConcat) return nullptr;
  TUnitMuz* unit = selected->GetUnitMuz();
  CollapseConcat(Detach(selected).parent);
  const Slot slot = Detach(enclosing);
  Put(slot, forward ? new TConcatPartMuz(enclosing, selected, unit)
                    : new TConcatPartMuz(selected, enclosing, unit));
  return selected;
}

TPartMuz* DeletePart(TPartMuz* part) {
  if (!Movable(part)) return nullptr;
  TUnitMuz* unit = part->GetUnitMuz();
  if (IsLoopOrSelect(part)) {
    TPartMuz* child = OwnChild(part);
    if (child == nullptr) return nullptr;
    const Slot slot = Detach(part);
    Detach(child);
    Put(slot, child);
    unit->DeleteDetachedPart(part);
    return child;
  }
  // Loops and select parts that would be left empty go with the part; the concatenation above
  // them loses a child and collapses. Without one the part is the last music: refused.
  TPartMuz* doomed = part;
  while (IsLoopOrSelect(doomed->GetParent())) doomed = doomed->GetParent();
  TPartMuz* concat = doomed->GetParent();
  if (concat == nullptr || concat->GetPartMuzKind() != partMuzConcat) return nullptr;
  Detach(doomed);
  TPartMuz* remaining = OwnChild(concat);
  CollapseConcat(concat);
  unit->DeleteDetachedPart(doomed);
  return remaining;
}

TSelectPartMuz* DeleteTurnItem(TCountSelectPartItem* item) {
  KV_ASSERT(item != NULL);
  TSelectPartMuz* owner = item->GetOwner();
  // The first item with this count goes, as the select part removes by count.
  owner->RemoveTurnItem(item->GetCount().GetValue());
  return owner;
}

}  // namespace muztree
