// The tree of music parts that orders a score in time: single parts hold the symbols, inner parts
// concatenate, repeat and select their children per turn of the enclosing loop.
//
// Files can nest parts to any depth, so every walk of the tree (freeing, checking, time lengths,
// turn resets, the play and tree orders) runs with an explicit stack or along the links instead of
// recursing once per level.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/mustreeitem.h"
#include "foundation/smallobj.h"

class TUnitMuz;
class TNoteStave;
class TNoteGroup;
class TStaveSymbol;
class TMuzBar;
class TKey;
class TLoopPartSymbol;
class TSinglePartMuz;
class TLoopPartMuz;
class TXTouchMuzSymbol;
class TMuzNote;
class Sound;
class TXMLCompound;
class MuzTreeView;
class MuzCanvas;
class MuzWindow;

// Frees a singly linked chain along its links: chains read from a file can be long.
template <class Item>
void DeleteChain(Item* first, Item* Item::*next) {
  while (first) {
    Item* following = std::exchange(first->*next, nullptr);
    delete first;
    first = following;
  }
}

// Takes an item out of a doubly linked chain; the head moves on when the item was first.
template <class Item, class Head>
void UnlinkFromChain(Item* item, Head*& head) {
  auto* previous = item->GetPrev();
  auto* next = item->GetNext();
  if (previous)
    previous->SetNext(next);
  else
    head = next;
  if (next) next->SetPrev(previous);
  item->SetPrev(nullptr);
  item->SetNext(nullptr);
}

enum TPartMuzKind : uint8_t {
  partMuzSingle = 0,
  partMuzConcat = 1,
  partMuzLoop = 2,
  partMuzSelect = 3,
  partMuzStart = 4
};

class TPartMuz : public TMusTreeItem {
 public:
  explicit TPartMuz(TUnitMuz* unit) : UnitMuz(unit) {}
  ~TPartMuz() override = default;
  TPartMuz(const TPartMuz&) = delete;
  TPartMuz& operator=(const TPartMuz&) = delete;

  uint8_t GetMusTreeItemKind() const override { return musTreeItemPartMuz; }
  std::string GetLabel() const override;
  virtual uint8_t GetPartMuzKind() const = 0;

  // The address of the own field that holds `child`.
  virtual TPartMuz** GetChildRef(TPartMuz* child);
  // Up to two children, the first first; absent children are left out.
  virtual int GetChildren(TPartMuz* (&children)[2]) const = 0;

  TPartMuz* GetParent() const { return Parent; }
  void SetParent(TPartMuz* parent) { Parent = parent; }
  TUnitMuz* GetUnitMuz() const { return UnitMuz; }
  bool GetVisibleFlag() const { return Visible; }
  void SetVisibleFlag(bool visible) { Visible = visible; }
  bool IsVisible() const;
  bool IsParentVisible() const;
  TPartMuz* GetEnclosingLoopOrSelect() const;
  TLoopPartMuz* GetEnclosingLoop();

  // --- time and turns ---------------------------------------------------------------------------
  double GetTimeLength(int32_t turn) const;
  int32_t GetCurrentTurn() const;
  void ResetTurns();

  // --- play order of single parts and tree order of loop, select and single parts ----------------
  TSinglePartMuz* GetFirstSinglePart();
  TSinglePartMuz* GetLastSinglePart();
  TSinglePartMuz* GetNextSinglePartFrom(TPartMuz* from);
  TSinglePartMuz* GetPrevSinglePartFrom(TPartMuz* from);
  TPartMuz* GetNextPartFrom(TPartMuz* from);
  TPartMuz* GetPrevPartFrom(TPartMuz* from);
  TPartMuz* GetNextPart();
  TPartMuz* GetPrevPart();

  // --- editing ----------------------------------------------------------------------------------
  // Unhooks the part: hands out its parent, its own parent field and the parent's field that held
  // it, both fields cleared for the caller to fill.
  void DetachFromParent(TPartMuz*& parent, TPartMuz**& ownLink, TPartMuz**& parentLink);
  void CheckParents(TPartMuz* caller);
  // Symbol operations act in the single part that the symbol names.
  void InsertSymbol(TStaveSymbol* symbol);
  void DeleteSymbol(TStaveSymbol* symbol);
  void MoveSymbol(TStaveSymbol* symbol);
  // Stave and group operations act in every single part of the subtree.
  void FillGapsWithSilences(TNoteStave* noteStave);
  void RemoveStave(TNoteStave* noteStave);
  void RemoveNoteGroup(TNoteGroup* noteGroup);
  void AddStave(TNoteStave* newStave);
  TStaveSymbol* GetStartSymbol();

  // --- symbol navigation along one stave, in drawing order (PartMuz_nav.cpp) ----------------------
  // `from` is the part being left: a child, or the parent when the step enters this part. Null
  // answers lie past the ends of the music (or in a part without symbols on the stave).
  TXTouchMuzSymbol* GetNextSymbolFrom(TPartMuz* from, const TNoteStave* stave);
  TXTouchMuzSymbol* GetPrevSymbolFrom(TPartMuz* from, const TNoteStave* stave);
  TXTouchMuzSymbol* GetFirstSymbol(const TNoteStave* stave);
  TXTouchMuzSymbol* GetLastSymbol(const TNoteStave* stave);

  // Frees parts and their whole subtrees without recursion.
  static void DeleteSubtrees(TPartMuz* first, TPartMuz* second);

  // --- Drawing and hit testing (PartMuz_draw.cpp) --------------------------------------------------
  // Lays the subtree out from left to right on all staves at once through the window.
  void Draw(MuzWindow& window, MuzCanvas& canvas, TXTouchMuzSymbol* selected);
  // best: the smallest weighted squared distance so far; result: its symbol. Both in and out.
  void FindNearestSymbol(int32_t x, int32_t y, double& best, TXTouchMuzSymbol*& result);

  // --- rendering into sound (render.cpp) ------------------------------------------------------------
  // Both passes walk the visible parts: a loop once per turn, a select part in its turns with its
  // pitch added, a single part note by note; `runningTime` (seconds) moves on by every single
  // part's length. A stave or group, when given, is the only one rendered. They answer false with
  // `error` filled when a note cannot be rendered, the allocation failed or the music grew too long.
  // Mixes every note into `target`, whose time 0 lies at the running time.
  bool MakeSound(bool& abort, Sound& target, double& runningTime, std::string& error, const TNoteStave* stave,
                 const TNoteGroup* group, const unitTimePosMore& tempo, int32_t transpose);
  // Raises `leadIn` to the sound any note makes before time 0 and `end` to the end of the last.
  bool GetSoundOffsets(double& leadIn, double& end, double& runningTime, std::string& error,
                       const TNoteStave* stave, const TNoteGroup* group, const unitTimePosMore& tempo,
                       int32_t transpose);
  // --- the music file and the part-tree view ----------------------------------------------------
  // Appends the subtree's part elements to `parent`, children before their parent, so a reader
  // can rebuild the tree with a stack; `selected` gets the one "Selected" of the file.
  void WriteXML(TXMLCompound* parent, const TMusTreeItem* selected) const;
  // Adds the subtree's nodes under `parentNode` (null: the top level); concatenations and the
  // root add none of their own.
  void AddToTreeView(MuzTreeView& view, void* parentNode, const TMusTreeItem* selected);

 protected:
  // Hands out the children and clears the fields, so the destructor finds nothing left to free.
  virtual int ReleaseChildren(TPartMuz* (&children)[2]) = 0;

  TPartMuz* Parent = nullptr;
  TUnitMuz* UnitMuz;
  bool Visible = true;

 private:
  // One step of the play order (single parts only) or the tree order (loops and select parts
  // answer themselves), forward or backward, walked along the links.
  TPartMuz* Step(TPartMuz* from, bool forward, bool partsToo);
  // The symbol walk across parts, along the links so that deep trees cannot exhaust the stack.
  TXTouchMuzSymbol* StepToSymbol(TPartMuz* from, const TNoteStave* stave, bool forward);
};

// The root, a loop and a select part: each holds one child and owns it.
class TOneChildPartMuz : public TPartMuz {
 public:
  ~TOneChildPartMuz() override;
  int GetChildren(TPartMuz* (&children)[2]) const override;

 protected:
  TOneChildPartMuz(TPartMuz* child, TUnitMuz* unit);
  int ReleaseChildren(TPartMuz* (&children)[2]) override;

  TPartMuz* Child;
};

class TStartPartMuz : public TOneChildPartMuz {
 public:
  explicit TStartPartMuz(TUnitMuz* unit) : TOneChildPartMuz(nullptr, unit) {}
  uint8_t GetPartMuzKind() const override { return partMuzStart; }
  TPartMuz** GetChildRef(TPartMuz* me) override;
  // Puts `part` in as the child and returns the previous one, which the caller now owns.
  TPartMuz* SetPartMuz(TPartMuz* part);
  TPartMuz* GetPartMuz() const { return Child; }
};

class TSinglePartMuz : public TPartMuz {
 public:
  explicit TSinglePartMuz(TUnitMuz* unit = nullptr) : TPartMuz(unit) {}
  ~TSinglePartMuz() override;
  uint8_t GetPartMuzKind() const override { return partMuzSingle; }
  int GetChildren(TPartMuz* (&)[2]) const override { return 0; }

  // Called by the bar's constructor: the part keeps and owns its one bar.
  void SetMuzBar(TMuzBar* muzBar);
  TMuzBar* GetMuzBar() const { return MuzBar.get(); }
  TStaveSymbol* GetStartStaveSymbol() const { return StartSymbol; }
  TSinglePartMuz* GetNextSinglePart();
  double GetOwnTimeLength() const;

  void InsertOwnSymbol(TStaveSymbol* symbol);
  // Inserts where InsertOwnSymbol would, searching from `from`, a symbol of this list, rather
  // than from the head: symbols placed in or against the order each cost only the way from the
  // one before. The list must hold no symbol of a higher rank before one of a lower rank, as every
  // list built by insertion does. Answers the number of symbols passed on the way.
  int64_t InsertOwnSymbolFrom(TStaveSymbol* symbol, TStaveSymbol* from);
  void DeleteOwnSymbol(TStaveSymbol* deleteSymbol);
  void MoveOwnSymbol(TStaveSymbol* moveSymbol);
  void FillOwnGaps(TNoteStave* noteStave);
  void RemoveOwnStave(TNoteStave* noteStave);
  void RemoveOwnNoteGroup(TNoteGroup* noteGroup);
  void AddStartKey(TNoteStave* newStave);
  // Gives the part a start key for every stave of the document, in stave order.
  void AddStartKeys();

  int32_t CountStartKeys(const TNoteStave* stave) const;
  TKey* GetKeyAt(double time, const TNoteStave* stave) const;
  uint8_t GetNoteShiftAt(const TNoteStave* stave, double time, int32_t pitch) const;
  TStaveSymbol* GetNearestSymbol(const TNoteStave* stave, double time) const;

  // "KeyPart" with this part's keys and rests of the stave; "NotePart" with the group's notes.
  std::unique_ptr<TXMLCompound> WriteKeyPart(const TNoteStave* stave) const;
  std::unique_ptr<TXMLCompound> WriteNotePart(const TNoteGroup* noteGroup) const;

  bool FirstSymbol();
  bool NextSymbol();
  TStaveSymbol* CurrentSymbol() const { return Cursor; }

  // --- symbol navigation within the part (PartMuz_nav.cpp) ----------------------------------------
  TStaveSymbol* GetNextSymbolOnStave(const TNoteStave* stave, TStaveSymbol* symbol) const;
  TStaveSymbol* GetPrevSymbolOnStave(const TNoteStave* stave, TStaveSymbol* symbol) const;
  TStaveSymbol* GetFirstSymbolOnStave(const TNoteStave* stave) const;
  // The start key stands for the bar here, and a note for its chord's middle note.
  TXTouchMuzSymbol* GetLastSymbolOnStave(const TNoteStave* stave);
  // The middle note of the chord (the upper middle one of an even chord).
  TMuzNote* GetChordNote(const TNoteStave* stave, TMuzNote* note) const;
  // One step from this part's bar or one of its stave symbols; a repeat sign answers null.
  TXTouchMuzSymbol* GetNextSymbol(const TNoteStave* stave, TXTouchMuzSymbol* symbol);
  TXTouchMuzSymbol* GetPrevSymbol(const TNoteStave* stave, TXTouchMuzSymbol* symbol);

 protected:
  int ReleaseChildren(TPartMuz* (&)[2]) override { return 0; }

 private:
  void Unlink(TStaveSymbol* symbol);
  TStaveSymbol* GetStartKeyOnStave(const TNoteStave* stave) const;
  TXTouchMuzSymbol* StepFrom(const TNoteStave* noteStave, TXTouchMuzSymbol* symbol, bool forward);

  std::unique_ptr<TMuzBar> MuzBar;
  TStaveSymbol* StartSymbol = nullptr;
  TStaveSymbol* Cursor = nullptr;
};

class TConcatPartMuz : public TPartMuz {
 public:
  TConcatPartMuz(TPartMuz* first, TPartMuz* second, TUnitMuz* unit);
  ~TConcatPartMuz() override;
  uint8_t GetPartMuzKind() const override { return partMuzConcat; }
  TPartMuz** GetChildRef(TPartMuz* child) override;
  int GetChildren(TPartMuz* (&children)[2]) const override;
  TPartMuz* GetFirstPart() const { return FirstPart; }
  TPartMuz* GetSecondPart() const { return SecondPart; }
  // The one child left takes this part's place in the parent; the caller then deletes this part.
  void Collapse();

 protected:
  int ReleaseChildren(TPartMuz* (&children)[2]) override;

 private:
  TPartMuz* FirstPart;
  TPartMuz* SecondPart;
};

class TLoopPartMuz : public TOneChildPartMuz {
 public:
  TLoopPartMuz(const unitIntegerPosMore& count, TPartMuz* child, TUnitMuz* unit);
  ~TLoopPartMuz() override;
  uint8_t GetPartMuzKind() const override { return partMuzLoop; }
  TPartMuz** GetChildRef(TPartMuz* me) override;
  TPartMuz* GetLoopPart() const { return Child; }
  const unitIntegerPosMore& GetCount() const { return Count; }
  void SetCount(const unitIntegerPosMore& count) { Count = count; }
  // The count of turns, never below 1 whatever a file or the dialog left in the value.
  int32_t GetTurns() const;
  // The turns of this loop by what its child does in them: every turn that a select part inside
  // it (above any inner loop) names, each alone, and one turn standing for all the others. The
  // time length so takes one walk per group instead of one per turn.
  struct TurnGroup {
    int32_t turn;
    double turns;
  };
  std::vector<TurnGroup> GetTurnGroups() const;
  int32_t GetTurn() const { return Turn; }
  void SetTurn(int32_t turn) { Turn = turn; }
  TLoopPartSymbol* GetLeftLoopSymbol() const { return LeftLoopSymbol.get(); }
  TLoopPartSymbol* GetRightLoopSymbol() const { return RightLoopSymbol.get(); }
  bool GetExpanded() const { return Expanded; }
  void SetExpanded(bool expanded) { Expanded = expanded; }

  // One step from one of this loop's own repeat signs (PartMuz_nav.cpp).
  TXTouchMuzSymbol* GetSymbolAfter(const TNoteStave* stave, TXTouchMuzSymbol* loopPartSymbol);
  TXTouchMuzSymbol* GetSymbolBefore(const TNoteStave* stave, TXTouchMuzSymbol* loopPartSymbol);

 private:
  unitIntegerPosMore Count;
  std::unique_ptr<TLoopPartSymbol> LeftLoopSymbol;
  std::unique_ptr<TLoopPartSymbol> RightLoopSymbol;
  int32_t Turn = 1;
  bool Expanded = true;
};

class TSelectPartMuz;

// One item of a select part's chain of turns.
class TSelectPartItem : public TMusTreeItem {
 public:
  explicit TSelectPartItem(TSelectPartMuz* owner) : Owner(owner) {}
  ~TSelectPartItem() override;
  uint8_t GetMusTreeItemKind() const override { return musTreeItemSelectPartItem; }
  TSelectPartItem* GetNext() const { return Next; }
  TSelectPartMuz* GetOwner() const { return Owner; }
  // Walks to the last item and links `item` after it.
  void Append(TSelectPartItem* item);

 protected:
  friend class TSelectPartMuz;
  TSelectPartItem* Next = nullptr;
  TSelectPartMuz* Owner;
};

// The head of every chain: it holds no turn.
class TStartSelectPartItem : public TSelectPartItem {
 public:
  explicit TStartSelectPartItem(TSelectPartMuz* owner) : TSelectPartItem(owner) {}
  std::string GetLabel() const override;
};

class TCountSelectPartItem : public TSelectPartItem {
 public:
  TCountSelectPartItem(TSelectPartMuz* owner, const unitIntegerPosMore& count, const unitInteger& pitch)
      : TSelectPartItem(owner), Count(count), Pitch(pitch) {}
  std::string GetLabel() const override;
  const unitIntegerPosMore& GetCount() const { return Count; }
  const unitInteger& GetPitch() const { return Pitch; }
  void SetCount(const unitIntegerPosMore& count) { Count = count; }
  void SetPitch(const unitInteger& pitch) { Pitch = pitch; }
  // Appends "SelectMuzPartTurn" with the count, the pitch unless 0, and the node.
  void WriteXML(TXMLCompound* parent, const TMusTreeItem* selected) const;

 private:
  unitIntegerPosMore Count;
  unitInteger Pitch;
};

class TSelectPartMuz : public TOneChildPartMuz {
 public:
  TSelectPartMuz(TPartMuz* child, TUnitMuz* unit);
  ~TSelectPartMuz() override;
  uint8_t GetPartMuzKind() const override { return partMuzSelect; }
  TPartMuz** GetChildRef(TPartMuz* me) override;
  TPartMuz* GetSelectPart() const { return Child; }
  TSelectPartItem* GetSelectPartItems() const { return SelectPartItems.get(); }
  bool GetExpanded() const { return Expanded; }
  void SetExpanded(bool expanded) { Expanded = expanded; }

  TCountSelectPartItem* AddTurnItem(const unitIntegerPosMore& count, const unitInteger& pitch);
  void RemoveTurnItem(int32_t count);
  int32_t CountTurnItems(int32_t count) const;
  int32_t GetMaxTurnCount() const;
  // The first turn item of `turn`: its transposition goes to `pitch`.
  bool FindTurn(int32_t& pitch, int32_t turn) const;

 private:
  std::unique_ptr<TSelectPartItem> SelectPartItems;
  bool Expanded = true;
};

// --- reshaping the part tree from the music-parts dialog (PartMuz_treeedit.cpp) --------------------
// Each edit answers the tree item to select afterwards, or null when it was refused and left the
// tree as it was. The dialog's enabled rules keep that from happening, but for an edit that would
// nest deeper than kMaxPartDepth: that one says kNestedTooDeep under the caption "Error". The
// caller finishes the edit: parent-link check, selection, redraw, modified flag.
namespace muztree {
// The deepest nesting a document may have, counting a single part as one level and each part above
// it as one more. The music-parts view builds one widget per level and cannot take any depth, so
// the file reader refuses a deeper tree and every edit that would make one is refused with the
// same text.
inline constexpr int32_t kMaxPartDepth = 1000;
inline constexpr const char* kNestedTooDeep = "The Music Parts are nested deeper than 1000 levels.";

// A new single part with a 4/4 bar and a start key per stave, next to `selected`.
TSinglePartMuz* InsertSingle(TPartMuz* selected, bool before);
// Wraps `selected` in a loop of 2 turns or a select part with turn 1 (kind partMuzLoop/partMuzSelect).
TPartMuz* AddLoopOrSelect(TPartMuz* selected, uint8_t kind);
// Appends the turn after the select part's largest one, at pitch 0.
TCountSelectPartItem* AddTurn(TSelectPartMuz* select);
// Swaps the subtree with the neighbouring part in tree order.
TPartMuz* MoveSubtree(TPartMuz* selected, bool forward);
// Moves the subtree into the neighbouring loop or select part, first (forward) or last (backward).
TPartMuz* MoveSubtreeInto(TPartMuz* selected, bool forward);
// Moves the subtree behind (forward) or before (backward) its enclosing loop or select part.
TPartMuz* MoveSubtreeOut(TPartMuz* selected, bool forward);
// A single part goes with the loops and select parts that hold nothing else, and the part beside it
// takes the place; a loop or select part gives its place to its child. The last part of the
// document is never deleted.
TPartMuz* DeletePart(TPartMuz* part);
// Removes the turn item and answers its select part.
TSelectPartMuz* DeleteTurnItem(TCountSelectPartItem* item);
}  // namespace muztree
