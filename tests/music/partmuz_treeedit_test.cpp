#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/assertion.h"
#include "music/stave.h"
#include "tests/music/lettered_score.h"

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
