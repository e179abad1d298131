#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/messages.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "tests/music/lettered_score.h"
#include "tests/support/recording_sink.h"

namespace {

// The tree as text: singles by label, (first second), loopN[child], sel<turns>[child].
std::string Describe(const TPartMuz* part) {
  if (part == nullptr) return "-";
  TPartMuz* children[2];
  const int count = part->GetChildren(children);
  switch (part->GetPartMuzKind()) {
    case partMuzSingle:
      return part->GetLabel();
    case partMuzConcat:
      return "(" + Describe(children[0]) + " " + Describe(count > 1 ? children[1] : nullptr) + ")";
    case partMuzLoop:
      return "loop" + std::to_string(static_cast<const TLoopPartMuz*>(part)->GetCount().GetValue()) + "[" +
             Describe(count ? children[0] : nullptr) + "]";
    case partMuzSelect: {
      std::string turns;
      for (TSelectPartItem* item = static_cast<const TSelectPartMuz*>(part)->GetSelectPartItems()->GetNext(); item;
           item = item->GetNext())
        turns += (turns.empty() ? "" : ",") +
                 std::to_string(static_cast<TCountSelectPartItem*>(item)->GetCount().GetValue());
      return "sel" + turns + "[" + Describe(count ? children[0] : nullptr) + "]";
    }
    default:
      return Describe(count ? children[0] : nullptr);
  }
}

std::string DescribeItem(const TPartMuz* part) { return part ? Describe(part) : "none"; }

using Score = LetteredScore;

struct EditCase {
  const char* name;
  std::function<TPartMuz*(Score&)> tree;
  std::function<TPartMuz*(Score&)> edit;
  std::string after;
  std::string selected;  // "none" for a refusal, which leaves the tree as it was
  double length;         // at turn 1: a select part plays in its turns only
};

// The dialog's tests walk the ordinary edits; these are the trees it never offers them on.
TEST(PartMuzTreeEdit, EditsKeepLinksAndRefuseWhatWouldBreakTheTree) {
  const std::vector<EditCase> cases = {
      {"backward across concatenations", [](Score& s) { return s.Concat(s.Concat(s.A, s.B), s.C); },
       [](Score& s) { return muztree::MoveSubtree(s.C, false); }, "((A C) B)", "C", 1.75},
      {"forward at the end of a loop is refused", [](Score& s) { return s.Loop(2, s.Concat(s.A, s.B)); },
       [](Score& s) { return muztree::MoveSubtree(s.B, true); }, "loop2[(A B)]", "none", 3.0},
      {"into a single is refused", [](Score& s) { return s.Concat(s.A, s.B); },
       [](Score& s) { return muztree::MoveSubtreeInto(s.A, true); }, "(A B)", "none", 1.5},
      {"into its own loop is refused", [](Score& s) { return s.Loop(2, s.Concat(s.A, s.B)); },
       [](Score& s) { return muztree::MoveSubtreeInto(s.B, true); }, "loop2[(A B)]", "none", 3.0},
      {"into a deeper select part", [](Score& s) { return s.Loop(3, s.Concat(s.A, s.Select(s.B, {2}))); },
       [](Score& s) { return muztree::MoveSubtreeInto(s.A, true); }, "loop3[sel2[(A B)]]", "A", 1.5},
      {"a single goes with its emptied wrappers",
       [](Score& s) { return s.Concat(s.A, s.Loop(2, s.Select(s.B, {1}))); },
       [](Score& s) { return muztree::DeletePart(s.B); }, "A", "A", 1.0},
      {"the last single is kept", [](Score& s) { return s.Loop(2, s.A); },
       [](Score& s) { return muztree::DeletePart(s.A); }, "loop2[A]", "none", 2.0},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    Score s;
    TPartMuz* root = s.Plant(c.tree(s));
    TPartMuz* selected = c.edit(s);
    s.unit.CheckParents();
    EXPECT_EQ(Describe(root), c.after);
    EXPECT_EQ(DescribeItem(selected), c.selected);
    EXPECT_DOUBLE_EQ(root->GetTimeLength(1), c.length);
  }
}

TPartMuz* Nest(Score& s, TPartMuz* part, int32_t loops) {
  for (int32_t i = 0; i < loops; ++i) part = s.Loop(1, part);
  return part;
}

// Each edit at the deepest tree it may still make, and one level deeper, where it is refused with
// the text the file reader gives a deeper tree; what it may make opens again.
TEST(PartMuzTreeEdit, NoEditNestsDeeperThanAFileMayHold) {
  constexpr int32_t kMax = muztree::kMaxPartDepth;
  struct DepthCase {
    const char* name;
    int32_t allowedLoops;  // the loops around the rest of the tree that still leave the edit room
    std::function<TPartMuz*(Score&, int32_t)> tree;
    std::function<TPartMuz*(Score&)> edit;
  };
  const std::vector<DepthCase> cases = {
      {"a loop around a part", kMax - 3, [](Score& s, int32_t n) { return Nest(s, s.Concat(s.A, s.B), n); },
       [](Score& s) { return muztree::AddLoopOrSelect(s.A, partMuzSelect); }},
      {"a single beside a part", kMax - 3, [](Score& s, int32_t n) { return Nest(s, s.Concat(s.A, s.B), n); },
       [](Score& s) { return muztree::InsertSingle(s.A, true); }},
      {"into a loop lifted by the collapse", kMax - 2,
       [](Score& s, int32_t n) { return s.Concat(s.A, Nest(s, s.B, n)); },
       [](Score& s) { return muztree::MoveSubtreeInto(s.A, true); }},
      {"out of a loop that keeps its depth", kMax - 5,
       [](Score& s, int32_t n) { return Nest(s, s.Loop(2, s.Concat(s.Concat(s.A, s.B), s.Loop(2, s.C))), n); },
       [](Score& s) { return muztree::MoveSubtreeOut(s.A, false); }},
      {"a deep part swapped into a deep place", kMax / 2 - 1,
       [](Score& s, int32_t n) {
         TPartMuz* chain = s.B;  // B last, under n concatenations
         for (int32_t i = 0; i < n; ++i) chain = s.Concat(s.Single(), chain);
         return s.Concat(chain, Nest(s, s.C, n));
       },
       [](Score& s) {
         TPartMuz* loops = s.C;
         while (loops->GetParent()->GetPartMuzKind() != partMuzConcat) loops = loops->GetParent();
         return muztree::MoveSubtree(loops, false);
       }},
  };
  for (const DepthCase& c : cases) {
    for (const int32_t loops : {c.allowedLoops, c.allowedLoops + 1}) {
      SCOPED_TRACE(testing::Message() << c.name << " in " << loops << " loops");
      const bool allowed = loops == c.allowedLoops;
      RecordingSink sink;
      Score s;
      TPartMuz* root = s.Plant(c.tree(s, loops));
      const std::string before = Describe(root);
      TPartMuz* selected = c.edit(s);
      s.unit.CheckParents();
      EXPECT_EQ(selected != nullptr, allowed);
      TUnitMuz copy("copy.kvm");
      std::string error;
      if (allowed) {
        EXPECT_TRUE(sink.messages.empty());
        EXPECT_TRUE(copy.Duplicate(s.unit, error)) << error;
      } else {
        EXPECT_EQ(Describe(root), before);
        const RecordedMessage refused{muztree::kNestedTooDeep, msgtext::kError, kMbOk | kMbIconInformation};
        EXPECT_EQ(sink.messages, std::vector<RecordedMessage>{refused});
      }
    }
  }
}

TEST(PartMuzTreeEdit, NewSingleHasAFourFourBarAndAStartKeyPerStave) {
  Score s;
  TNoteStave* second = s.unit.AddDefaultStave(s.stave);
  s.Plant(s.A);
  TSinglePartMuz* added = muztree::InsertSingle(s.A, false);
  ASSERT_NE(added, nullptr);
  const TMuzBar* bar = added->GetMuzBar();
  EXPECT_EQ(std::tuple(bar->GetBarLength(), bar->GetCount(), bar->GetCountFirstBar()), std::tuple(4, 4, 0));
  for (TNoteStave* stave : {s.stave, second}) EXPECT_EQ(added->CountStartKeys(stave), 1);
}

TEST(PartMuzTreeEdit, DeletingForgetsTheSelectedSymbolAndItemInside) {
  Score s;
  TLoopPartMuz* loop = s.Loop(2, s.B);
  s.Plant(s.Concat(s.A, loop));
  s.unit.SetSelectedSymbol(loop->GetLeftLoopSymbol());
  s.unit.SetSelMusTreeItem(loop);
  EXPECT_EQ(muztree::DeletePart(loop), s.B);
  EXPECT_EQ(s.unit.GetSelectedSymbol(), nullptr);
  EXPECT_EQ(s.unit.GetSelMusTreeItem(), nullptr);

  s.unit.SetSelectedSymbol(s.B->GetMuzBar());
  EXPECT_EQ(muztree::DeletePart(s.B), s.A);
  EXPECT_EQ(s.unit.GetSelectedSymbol(), nullptr);
}
}  // namespace
