#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/music/score_builder.h"

namespace {

// (position, length kind) of the rests of the part, in list order.
std::vector<std::pair<double, int>> Rests(TSinglePartMuz* single) {
  std::vector<std::pair<double, int>> rests;
  for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext())
    if (symbol->GetStaveSymbolKind() == staveSymbolSilence)
      rests.push_back({symbol->GetSymbolPosition(), symbol->AsTimeSymbol()->GetNoteLengthKind()});
  return rests;
}

std::vector<TStaveSymbol*> Order(TSinglePartMuz* single) {
  std::vector<TStaveSymbol*> order;
  for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
    EXPECT_TRUE(symbol->GetNext() == nullptr || symbol->GetNext()->GetPrev() == symbol);
    order.push_back(symbol);
  }
  return order;
}

TEST(PartMuzEdit, GapsFillGreedilyUpToEachBarLine) {
  struct Case {
    const char* name;
    std::vector<std::pair<double, int8_t>> notes;
    std::vector<std::pair<double, int>> rests;
  };
  const std::vector<Case> cases = {
      {"a half and a quarter up to the bar, then a half", {{0.0, 4}, {1.5, 4}}, {{0.25, 2}, {0.75, 4}, {1.0, 2}}},
      {"exactly a thirty-second", {{0.0, 2}, {0.53125, 4}}, {{0.5, 32}}},
      {"less than a thirty-second is left empty", {{0.0, 64}, {0.03125, 4}}, {}},
      {"a remainder before the bar line leaves the next bar filled",
       {{0.0, 64}, {0.96875, 64}, {1.5, 4}},
       {{0.015625, 2}, {0.515625, 4}, {0.765625, 8}, {0.890625, 16}, {1.0, 2}}},
      {"nothing after the last symbol", {{0.5, 4}}, {{0.0, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScoreBuilder score;
    TSinglePartMuz* single = score.Single();
    for (auto [position, kind] : c.notes) score.Note(single, position, kind);
    score.Root(single)->FillGapsWithSilences(score.stave);
    EXPECT_EQ(Rests(single), c.rests);
  }
}

TEST(PartMuzEdit, InsertAndMoveKeepTheListOrder) {
  ScoreBuilder score;
  TSinglePartMuz* single = score.Single();
  score.Root(single);
  TStaveSymbol* key = single->GetStartStaveSymbol();
  TMuzNote* low = score.Note(single, 0.5, 4, 0);
  TMuzNote* high = score.Note(single, 0.5, 4, 4);
  TMuzNote* equal = score.Note(single, 0.5, 4, 4);
  TMuzNote* early = score.Note(single, 0.25, 4, 0);
  EXPECT_EQ(Order(single), (std::vector<TStaveSymbol*>{key, early, equal, high, low}));

  // A pitch change that keeps the note between its neighbours moves nothing; one past them does.
  high->SetPitch(3);
  single->MoveSymbol(high);
  EXPECT_EQ(Order(single), (std::vector<TStaveSymbol*>{key, early, equal, high, low}));
  high->SetPitch(-1);
  single->MoveSymbol(high);
  EXPECT_EQ(Order(single), (std::vector<TStaveSymbol*>{key, early, equal, low, high}));
  single->DeleteSymbol(early);
  EXPECT_EQ(Order(single), (std::vector<TStaveSymbol*>{key, equal, low, high}));
  single->DeleteSymbol(key);
  equal->SetPitch(-5);
  single->MoveSymbol(equal);  // the head moves right: its old next becomes the head
  EXPECT_EQ(Order(single), (std::vector<TStaveSymbol*>{low, high, equal}));
}

TEST(PartMuzEdit, AccidentalsCarryWithinTheBarAndKeysHoldUntilTheNext) {
  ScoreBuilder score;
  TSinglePartMuz* single = score.Single();
  score.Root(single);
  score.Note(single, 0.25, 4, 3, noteShiftKruis);
  auto* key = new TKey(&score.unit, TKey::keyKindG, 0, 1.5, score.stave, 1, single);
  key->SetNoteShift(key->PitchToHeight(4), noteShiftMol);
  single->InsertSymbol(key);
  struct Case { double time; int32_t pitch; uint8_t shift; };
  const Case cases[] = {{0.5, 3, noteShiftKruis},   {0.5, 10, noteShiftKruis},
                        {0.5, 4, noteShiftNormal},  {0.25, 3, noteShiftNormal}, {1.0, 3, noteShiftNormal},
                        {1.75, 4, noteShiftMol},    {2.5, 11, noteShiftMol}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "time " << c.time << " pitch " << c.pitch);
    EXPECT_EQ(single->GetNoteShiftAt(score.stave, c.time, c.pitch), c.shift);
  }
  TStaveSymbol* startKey = single->GetStartStaveSymbol();
  EXPECT_EQ(single->GetKeyAt(1.4, score.stave), startKey);
  EXPECT_EQ(single->GetKeyAt(1.5, score.stave), key);
  EXPECT_EQ(single->GetNearestSymbol(score.stave, 0.8), single->GetStartStaveSymbol()->GetNext());
}

}  // namespace
