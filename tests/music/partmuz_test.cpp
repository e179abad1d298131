#include "music/PartMuz.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tests/music/score_builder.h"

namespace {

TEST(PartMuzTime, LengthsFollowLoopsTurnsAndNotes) {
  using Build = std::function<TPartMuz*(ScoreBuilder&)>;
  struct Case { const char* name; double length; Build build; };
  const std::vector<Case> cases = {
      {"loop of 3 around a part ending at 2", 6.0,
       [](ScoreBuilder& s) {
         return s.Loop(3, s.Single({{1.0, 1}}));
       }},
      {"turns 1 and 3 of a part of 1.5, then a part of 1, in a loop of 4", 4.0 + 2 * 1.5,
       [](ScoreBuilder& s) {
         return s.Loop(4, s.Concat(s.Select(s.Single({{1.0, 2}}), {1, 3}), s.Single({{0.0, 1}})));
       }},
      {"turns outside a loop sound in turn 1 only", 0.5,
       [](ScoreBuilder& s) {
         return s.Concat(s.Select(s.Single({{0.0, 1}}), {2}), s.Select(s.Single({{0.0, 2}}), {1}));
       }},
      {"a billion turns, one of them selected", 1000000000.5,
       [](ScoreBuilder& s) {
         return s.Loop(1000000000, s.Concat(s.Select(s.Single({{0.0, 2}}), {7, 0, 7}), s.Single({{0.0, 1}})));
       }},
      {"the longest note counts, not the last one", 1.0,
       [](ScoreBuilder& s) {
         return s.Single({{0.0, 1}, {0.5, 8}});
       }},
      {"keys and rests take no time", 0.0,
       [](ScoreBuilder& s) {
         TSinglePartMuz* single = s.Single();
         single->InsertSymbol(new TSilence(1, 0, 0.0, s.stave, sool, 0, single));
         return single;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScoreBuilder score;
    EXPECT_DOUBLE_EQ(score.Root(c.build(score))->GetTimeLength(1), c.length);
  }
}

TEST(PartMuzTime, SelectSoundsOnlyInItsTurnsAndTakesTheNearestLoopsCounter) {
  ScoreBuilder score;
  TSelectPartMuz* select = score.Select(score.Single({{0.0, 2}}), {1, 3});
  auto* loop = score.Loop(4, score.Concat(select, score.Single()));
  score.Root(loop);
  const double expected[] = {0.5, 0.0, 0.5, 0.0};
  for (int32_t turn = 1; turn <= 4; ++turn) EXPECT_DOUBLE_EQ(select->GetTimeLength(turn), expected[turn - 1]);
  loop->SetTurn(3);
  EXPECT_EQ(select->GetCurrentTurn(), 3);
  score.unit.GetStartPartMuz()->ResetTurns();
  EXPECT_EQ(select->GetCurrentTurn(), 1);
  EXPECT_EQ((std::vector<const TPartMuz*>{select->GetEnclosingLoopOrSelect(), select->GetEnclosingLoop()}),
            (std::vector<const TPartMuz*>{loop, loop}));
}

TEST(PartMuzOrder, PlayOrderAndTreeOrderStepAlongTheTree) {
  ScoreBuilder score;
  TSinglePartMuz* a = score.Single();
  TSinglePartMuz* b = score.Single();
  auto* select = new TSelectPartMuz(b, &score.unit);
  auto* loop = score.Loop(2, score.Concat(a, select));
  TPartMuz* root = score.Root(loop);
  EXPECT_EQ((std::vector<const TPartMuz*>{root->GetFirstSinglePart(), a->GetNextSinglePart(), b->GetNextSinglePart(),
                                          b->GetParent()->GetPrevSinglePartFrom(b)}),
            (std::vector<const TPartMuz*>{a, b, nullptr, a}));
  EXPECT_EQ((std::vector<const TPartMuz*>{a->GetNextPart(), select->GetPrevPart(), b->GetNextPart(), loop->GetNextPart()}),
            (std::vector<const TPartMuz*>{select, a, select, nullptr}));
}

TEST(PartMuzTurns, ChainKeepsInsertionOrderAndRemovesTheFirstMatch) {
  ScoreBuilder score;
  auto* select = new TSelectPartMuz(score.Single(), &score.unit);
  score.Root(select);
  int32_t pitch = -1;
  EXPECT_EQ(select->GetMaxTurnCount(), 0);
  EXPECT_FALSE(select->FindTurn(pitch, 1));
  for (auto [count, semitones] : {std::pair{3, 10}, {1, 20}, {3, 30}})
    select->AddTurnItem(Turns(count), Semitones(semitones));
  EXPECT_EQ(select->CountTurnItems(3), 2);
  EXPECT_EQ(select->GetMaxTurnCount(), 3);
  EXPECT_TRUE(select->FindTurn(pitch, 3) && pitch == 10) << pitch;
  select->RemoveTurnItem(3);
  std::vector<std::string> labels;
  for (TSelectPartItem* item = select->GetSelectPartItems(); item; item = item->GetNext())
    labels.push_back(item->GetLabel());
  EXPECT_EQ(labels, (std::vector<std::string>{"root turn", "turn 1", "turn 3"}));
  EXPECT_TRUE(select->FindTurn(pitch, 3) && pitch == 30) << pitch;
}

TEST(PartMuzShape, VisibilityTreeOrderCollapseAndDetachKeepParentLinks) {
  ScoreBuilder score;  // concat(A, loop(B))
  TSinglePartMuz* first = score.Single();
  TSinglePartMuz* looped = score.Single();
  auto* loop = score.Loop(2, looped);
  auto* concat = score.Concat(first, loop);
  TPartMuz* root = score.Root(concat);
  EXPECT_EQ((std::vector<const TPartMuz*>{first->GetNextPart(), looped->GetNextPart(), loop->GetEnclosingLoopOrSelect()}),
            (std::vector<const TPartMuz*>{loop, loop, nullptr}));
  concat->SetVisibleFlag(false);
  EXPECT_EQ(std::tuple(looped->IsVisible(), looped->IsParentVisible(), root->IsParentVisible()),
            std::tuple(false, false, true));

  EXPECT_EQ(ScoreBuilder::Detach(first), concat);
  EXPECT_EQ(concat->GetFirstPart(), nullptr);
  concat->Collapse();
  delete concat;
  EXPECT_EQ((std::vector<const TPartMuz*>{static_cast<TStartPartMuz*>(root)->GetPartMuz(), loop->GetParent()}),
            (std::vector<const TPartMuz*>{loop, root}));
  score.unit.CheckParents();
  score.unit.DeleteDetachedPart(first);
}

TEST(PartMuzDepth, TreesFarDeeperThanTheStackWalkAndFree) {
  constexpr int kDepth = 100000;
  ScoreBuilder score;
  TSinglePartMuz* single = score.Single({{0.0, 2}});
  TSinglePartMuz* last = nullptr;
  TPartMuz* top = single;
  for (int level = 0; level < kDepth; ++level) {
    if (level % 3 == 0) top = score.Loop(1, top);
    if (level % 3 == 1) top = score.Select(top, {1});
    if (level % 3 == 2) top = score.Concat(top, last = score.Single());
  }
  TPartMuz* root = score.Root(top);
  score.unit.CheckParents();
  root->ResetTurns();
  EXPECT_DOUBLE_EQ(root->GetTimeLength(1), 0.5);
  EXPECT_EQ((std::vector<const TPartMuz*>{root->GetFirstSinglePart(), root->GetLastSinglePart(), last->GetNextSinglePart()}),
            (std::vector<const TPartMuz*>{single, last, nullptr}));
  EXPECT_EQ(single->GetParent()->GetCurrentTurn(), 1);
  top->SetVisibleFlag(false);
  EXPECT_FALSE(single->IsVisible());
  root->FillGapsWithSilences(score.stave);
}

}  // namespace
