// The tree edits of the music-parts dialog, built from the detach and collapse primitives so that
// every parent link stays consistent and no part is freed while the document still points into it.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "music/PartMuz.h"

#include "foundation/assertion.h"
#include "foundation/messages.h"
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

// Levels from `part` down to its deepest single part, `part` counted: a single part is one level.
// With `moved`, the levels `part` keeps once `moved` has left it and its concatenation collapsed.
int64_t Height(const TPartMuz* part, const TPartMuz* moved = nullptr) {
  int64_t height = 0;
  std::vector<std::pair<const TPartMuz*, int64_t>> stack{{part, 1}};
  while (!stack.empty()) {
    const auto [next, level] = stack.back();
    stack.pop_back();
    height = std::max(height, level);
    TPartMuz* children[2];
    const int count = next->GetChildren(children);
    const bool collapses = moved != nullptr && next == moved->GetParent();
    for (int i = 0; i < count; ++i)
      if (children[i] && children[i] != moved) stack.push_back({children[i], collapses ? level : level + 1});
  }
  return height;
}

// Levels above `part`; the root holds the tree and is no level of it.
int64_t Above(const TPartMuz* part) {
  int64_t above = 0;
  for (const TPartMuz* p = part->GetParent(); p && p->GetPartMuzKind() != partMuzStart; p = p->GetParent()) ++above;
  return above;
}

// Whether the tree may reach `levels` deep; a deeper one could not be opened again.
bool WithinNesting(int64_t levels) {
  if (levels <= kMaxPartDepth) return true;
  ShowMessageBox(kNestedTooDeep, msgtext::kError, kMbOk | kMbIconInformation);
  return false;
}

// A new part put above `part` lengthens every path through it by one level.
bool MayWrap(const TPartMuz* part) { return WithinNesting(Above(part) + Height(part) + 1); }

}  // namespace

TSinglePartMuz* InsertSingle(TPartMuz* selected, bool before) {
  if (!Movable(selected) || !MayWrap(selected)) return nullptr;
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
  if (!Movable(selected) || !MayWrap(selected)) return nullptr;
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
  // Each subtree takes the other's place, and its depth below it.
  if (!WithinNesting(std::max(Above(other) + Height(selected), Above(selected) + Height(other)))) return nullptr;
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
  // The loop's part gets a concatenation above it, the moved part that one and the loop; the
  // concatenation the part leaves collapses, which may lift the loop by a level.
  const int64_t above = Above(other) - (IsAncestor(selected->GetParent(), other) ? 1 : 0);
  if (!WithinNesting(std::max(above + Height(other) + 1, above + 2 + Height(selected)))) return nullptr;
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
  // A concatenation above the enclosing part takes both: the part, and what it leaves behind.
  const int64_t above = Above(enclosing) + 1;
  if (!WithinNesting(above + std::max(Height(enclosing, selected), Height(selected)))) return nullptr;
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
