#include "music/PartMuz.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "tests/music/score_builder.h"

namespace {

TSelectPartMuz* SelectOnTurns(TPartMuz* child, TUnitMuz* unit, std::initializer_list<int32_t> turns) {
  auto* select = new TSelectPartMuz(child, unit);
  for (int32_t turn : turns) select->AddTurnItem(Turns(turn), Semitones(0));
  return select;
}

TEST(PartMuzTime, LengthsFollowLoopsTurnsAndNotes) {
  struct Case {
    const char* name;
    std::function<TPartMuz*(ScoreBuilder&)> build;
    double length;
  };
  const std::vector<Case> cases = {
      {"loop of 3 around a part ending at 2", [](ScoreBuilder& s) {
         return new TLoopPartMuz(Turns(3), s.Single({{1.0, 1}}), &s.unit);
       }, 6.0},
      {"concat of turns 1 and 3 of a 1.5 part and a part of 1, in a loop of 4", [](ScoreBuilder& s) {
         TPartMuz* select = SelectOnTurns(s.Single({{1.0, 2}}), &s.unit, {1, 3});
         return new TLoopPartMuz(Turns(4), new TConcatPartMuz(select, s.Single({{0.0, 1}}), &s.unit), &s.unit);
       }, 4.0 + 2 * 1.5},
      {"turns outside a loop sound in turn 1 only", [](ScoreBuilder& s) {
         return new TConcatPartMuz(SelectOnTurns(s.Single({{0.0, 1}}), &s.unit, {2}),
                                   SelectOnTurns(s.Single({{0.0, 2}}), &s.unit, {1}), &s.unit);
       }, 0.5},
      {"a billion turns, one of them selected", [](ScoreBuilder& s) {
         TPartMuz* select = SelectOnTurns(s.Single({{0.0, 2}}), &s.unit, {7, 0, 7});
         return new TLoopPartMuz(Turns(1000000000), new TConcatPartMuz(select, s.Single({{0.0, 1}}), &s.unit), &s.unit);
       }, 1000000000.5},
      {"the longest note counts, not the last one", [](ScoreBuilder& s) {
         return s.Single({{0.0, 1}, {0.5, 8}});
       }, 1.0},
      {"keys and rests take no time", [](ScoreBuilder& s) {
         TSinglePartMuz* single = s.Single();
         single->InsertSymbol(new TSilence(1, 0, 0.0, s.stave, sool, 0, single));
         return single;
       }, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScoreBuilder score;
    EXPECT_DOUBLE_EQ(score.Root(c.build(score))->GetTimeLength(1), c.length);
  }
}

TEST(PartMuzTime, SelectSoundsOnlyInItsTurnsAndTakesTheNearestLoopsCounter) {
  ScoreBuilder score;
  TSelectPartMuz* select = SelectOnTurns(score.Single({{0.0, 2}}), &score.unit, {1, 3});
  auto* loop = new TLoopPartMuz(Turns(4), new TConcatPartMuz(select, score.Single(), &score.unit), &score.unit);
  score.Root(loop);
  const double expected[] = {0.5, 0.0, 0.5, 0.0};
  for (int32_t turn = 1; turn <= 4; ++turn) EXPECT_DOUBLE_EQ(select->GetTimeLength(turn), expected[turn - 1]);
  loop->SetTurn(3);
  EXPECT_EQ(select->GetCurrentTurn(), 3);
  score.unit.GetStartPartMuz()->ResetTurns();
  EXPECT_EQ(select->GetCurrentTurn(), 1);
  EXPECT_EQ(select->GetEnclosingLoopOrSelect(), loop);
  EXPECT_EQ(select->GetEnclosingLoop(), loop);
}

TEST(PartMuzOrder, PlayOrderAndTreeOrderStepAlongTheTree) {
  ScoreBuilder score;
  TSinglePartMuz* a = score.Single();
  TSinglePartMuz* b = score.Single();
  auto* select = new TSelectPartMuz(b, &score.unit);
  auto* loop = new TLoopPartMuz(Turns(2), new TConcatPartMuz(a, select, &score.unit), &score.unit);
  TPartMuz* root = score.Root(loop);
  EXPECT_EQ(root->GetFirstSinglePart(), a);
  EXPECT_EQ(a->GetNextSinglePart(), b);
  EXPECT_EQ(b->GetNextSinglePart(), nullptr);
  EXPECT_EQ(root->GetLastSinglePart(), b);
  EXPECT_EQ(b->GetParent()->GetPrevSinglePartFrom(b), a);
  EXPECT_EQ(a->GetNextPart(), select);
  EXPECT_EQ(select->GetPrevPart(), a);
  EXPECT_EQ(b->GetNextPart(), select);
  EXPECT_EQ(loop->GetNextPart(), nullptr);

  ScoreBuilder other;  // concat(A, loop(B)): both A and B step on to the loop
  TSinglePartMuz* first = other.Single();
  TSinglePartMuz* looped = other.Single();
  auto* around = new TLoopPartMuz(Turns(2), looped, &other.unit);
  other.Root(new TConcatPartMuz(first, around, &other.unit));
  EXPECT_EQ(first->GetNextPart(), around);
  EXPECT_EQ(looped->GetNextPart(), around);
  EXPECT_EQ(around->GetEnclosingLoopOrSelect(), nullptr);
}

TEST(PartMuzTurns, ChainKeepsInsertionOrderAndRemovesTheFirstMatch) {
  ScoreBuilder score;
  auto* select = new TSelectPartMuz(score.Single(), &score.unit);
  score.Root(select);
  int32_t pitch = -1;
  EXPECT_EQ(select->GetMaxTurnCount(), 0);
  EXPECT_FALSE(select->FindTurn(pitch, 1));
  for (auto [count, semitones] : {std::pair{3, 10}, {1, 20}, {3, 30}}) select->AddTurnItem(Turns(count), Semitones(semitones));
  EXPECT_EQ(select->CountTurnItems(3), 2);
  EXPECT_EQ(select->GetMaxTurnCount(), 3);
  ASSERT_TRUE(select->FindTurn(pitch, 3));
  EXPECT_EQ(pitch, 10);
  select->RemoveTurnItem(3);
  std::vector<std::string> labels;
  for (TSelectPartItem* item = select->GetSelectPartItems(); item; item = item->GetNext()) labels.push_back(item->GetLabel());
  EXPECT_EQ(labels, (std::vector<std::string>{"root turn", "turn 1", "turn 3"}));
  ASSERT_TRUE(select->FindTurn(pitch, 3));
  EXPECT_EQ(pitch, 30);
}

TEST(PartMuzShape, VisibilityCollapseAndDetachKeepParentLinks) {
  ScoreBuilder score;
  TSinglePartMuz* a = score.Single();
  auto* loop = new TLoopPartMuz(Turns(2), a, &score.unit);
  auto* concat = new TConcatPartMuz(loop, score.Single(), &score.unit);
  TPartMuz* root = score.Root(concat);
  EXPECT_EQ(loop->GetLeftLoopSymbol()->GetLoopPart(), loop);
  EXPECT_EQ(loop->GetRightLoopSymbol()->GetSide(), loopSideRight);
  concat->SetVisibleFlag(false);
  EXPECT_FALSE(a->IsVisible());
  EXPECT_FALSE(a->IsParentVisible());
  EXPECT_TRUE(root->IsParentVisible());

  TPartMuz* parent = nullptr;
  TPartMuz** ownLink = nullptr;
  TPartMuz** parentLink = nullptr;
  TPartMuz* second = concat->GetSecondPart();
  second->DetachFromParent(parent, ownLink, parentLink);
  EXPECT_EQ(parent, concat);
  EXPECT_EQ(concat->GetSecondPart(), nullptr);
  concat->Collapse();
  delete concat;
  EXPECT_EQ(static_cast<TStartPartMuz*>(root)->GetPartMuz(), loop);
  EXPECT_EQ(loop->GetParent(), root);
  score.unit.CheckParents();
  score.unit.DeleteDetachedPart(second);
}

TEST(PartMuzDepth, TreesFarDeeperThanTheStackWalkAndFree) {
  constexpr int kDepth = 100000;
  ScoreBuilder score;
  TSinglePartMuz* single = score.Single({{0.0, 2}});
  TSinglePartMuz* last = nullptr;
  TPartMuz* top = single;
  for (int level = 0; level < kDepth; ++level) {
    switch (level % 3) {
      case 0: top = new TLoopPartMuz(Turns(1), top, &score.unit); break;
      case 1: top = SelectOnTurns(top, &score.unit, {1}); break;
      default: top = new TConcatPartMuz(top, last = score.Single(), &score.unit);
    }
  }
  TPartMuz* root = score.Root(top);
  score.unit.CheckParents();
  root->ResetTurns();
  EXPECT_DOUBLE_EQ(root->GetTimeLength(1), 0.5);
  EXPECT_EQ(root->GetFirstSinglePart(), single);
  EXPECT_EQ(root->GetLastSinglePart(), last);
  EXPECT_EQ(last->GetNextSinglePart(), nullptr);
  EXPECT_EQ(single->GetParent()->GetCurrentTurn(), 1);
  top->SetVisibleFlag(false);
  EXPECT_FALSE(single->IsVisible());
  root->FillGapsWithSilences(score.stave);
}

}  // namespace
