#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/fakes/sample_waves.h"
#include "tests/music/score_builder.h"

namespace {

template <class Symbol>
Symbol* Put(Symbol* symbol) {
  symbol->GetSinglePartMuz()->InsertSymbol(symbol);
  return symbol;
}

// A saved score in edit mode with two single parts on two staves, watched by a window: the first
// part holds a chord (pitches 4, 2, 0) at 0, a rest at 1/4 and a note at 2.5 on the first stave,
// and notes at 0, 2 and 2.75 on the second; the second part a note at 0.
struct SelectScore : ScoreBuilder {
  SampleWaves waves;
  RecordingMuzView view;
  TNoteStave* lower = unit.AddDefaultStave(stave);
  TSinglePartMuz* first = Single();
  TSinglePartMuz* second = Single();
  TStaveSymbol* startKey = first->GetFirstSymbolOnStave(stave);
  TStaveSymbol* secondKey = second->GetFirstSymbolOnStave(stave);
  TMuzNote* secondNote = Note(second, 0.0, 4);
  TMuzNote* high = Note(first, 0.0, 4, 4);
  TMuzNote* middle = Note(first, 0.0, 4, 2);
  TMuzNote* low = Note(first, 0.0, 4, 0);
  TSilence* rest = Put(new TSilence(4, 0, 0.25, stave, sool, 0, first));
  TMuzNote* last = Note(first, 2.5, 4, 1);
  TMuzNote* lowerEarly = LowerNote(0.0);
  TMuzNote* lowerFar = LowerNote(2.0);
  TMuzNote* lowerLate = LowerNote(2.75);
  SelectScore() {
    waves.Add("sample", Marked(200));
    Root(Concat(first, second));
    unit.SetChildMuz(&view);
    unit.SetSaved();
    unit.SetUnitMuzMode(unitMuzSel);
  }
  TMuzNote* LowerNote(double position) {
    return Put(new TMuzNote(&unit, lower->GetStartNoteGroup(), 4, 0, position, 0, lower, noteShiftNormal, sool, 0,
                            noteArtNormal, first, drawStickAuto));
  }
};

TEST(UnitMuzSelect, MovesFollowTheStaveTheChordAndTheStaves) {
  SelectScore score;
  TUnitMuz& unit = score.unit;
  using Test = bool (TUnitMuz::*)() const;
  struct Case {
    TXTouchMuzSymbol* from;
    Test can;  // the window calls the move only while this holds
    void (TUnitMuz::*move)();
    TXTouchMuzSymbol* to;  // the selection afterwards; the same when the move is refused
  };
  const Test always = &TUnitMuz::CanSelectFirstStave;
  const Case cases[] = {
      {score.middle, &TUnitMuz::CanSelectPrev, &TUnitMuz::SelectPrev, score.first->GetMuzBar()},  // key behind bar
      {score.first->GetMuzBar(), &TUnitMuz::CanSelectPrev, &TUnitMuz::SelectPrev, score.startKey},
      {score.rest, &TUnitMuz::CanSelectPrev, &TUnitMuz::SelectPrev, score.middle},     // a chord's middle note
      {score.last, &TUnitMuz::CanSelectNext, &TUnitMuz::SelectNext, score.secondKey},  // the next part's start
      {score.middle, &TUnitMuz::CanSelectUp, &TUnitMuz::SelectUp, score.high},
      {score.high, &TUnitMuz::CanSelectUp, &TUnitMuz::SelectUp, score.high},
      {score.low, &TUnitMuz::CanSelectDown, &TUnitMuz::SelectDown, score.low},
      {score.rest, &TUnitMuz::CanSelectDown, &TUnitMuz::SelectDown, score.rest},
      {score.last, always, &TUnitMuz::SelectNextStave, score.lowerLate},
      {score.low, always, &TUnitMuz::SelectPrevStave, score.low},
      {score.lowerEarly, always, &TUnitMuz::SelectPrevStave, score.startKey},  // the first of equally near
      {score.first->GetMuzBar(), always, &TUnitMuz::SelectPrevStave, score.first->GetMuzBar()},
      {score.rest, always, &TUnitMuz::SelectFirstInStave, score.startKey},
      {score.rest, always, &TUnitMuz::SelectLastInStave, score.secondNote},
  };
  unit.SetSelectedSymbol(score.second->GetMuzBar());  // no stave visited yet: the first stave
  unit.SelectFirstInStave();
  EXPECT_EQ(unit.GetSelectedSymbol(), score.startKey);
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    unit.SetSelectedSymbol(c.from);
    EXPECT_EQ((unit.*c.can)(), c.to != c.from || c.can == always);
    if ((unit.*c.can)()) (unit.*c.move)();
    EXPECT_EQ(unit.GetSelectedSymbol(), c.to);
  }
  EXPECT_EQ(unit.GetState(), kUnitStateSaved);  // selecting is no edit
  unit.SetUnitMuzMode(unitMuzAdd);
  unit.SelectFirstInStave();
  EXPECT_FALSE(unit.CanSelectPrev() || unit.CanSelectUp() || unit.CanSelectNextStave());
  EXPECT_EQ(unit.GetSelectedSymbol(), score.secondNote);
}

TEST(UnitMuzSelect, SelectingScrollsToTheSymbolAndPlaysOnlyNotes) {
  SelectScore score;
  score.stave->StartLayout(200, 0);
  score.middle->SetDrawHeight(3);
  score.middle->ExtendXRange(40);
  score.middle->ExtendXRange(52);
  score.unit.SelectSymbol(score.middle);
  score.unit.SelectSymbol(score.rest);  // never drawn: no horizontal scroll
  score.unit.SelectSymbol(score.startKey);
  const std::vector<std::string> expected = {"ScrollX 40 52", "ScrollY 175 195", "ScrollY 175 225", "ScrollY 175 225"};
  EXPECT_EQ(score.view.calls, expected);
  EXPECT_EQ(score.waves.main.played.size(), 1u);
  EXPECT_EQ(score.unit.GetSelectedStave(), score.stave);
}

TEST(UnitMuzSwitch, RunsTradePlacesAndCloseUp) {
  for (auto [chord, left] : {std::pair{false, true}, std::pair{true, false}}) {
    SCOPED_TRACE(testing::Message() << chord << left);
    ScoreBuilder score;
    TSinglePartMuz* single = score.Single();
    TMuzNote* a = score.Note(single, 0.0, 4, 5);
    TMuzNote* a2 = chord ? score.Note(single, 0.0, 4, 3) : a;
    TMuzNote* b = score.Note(single, 0.25, 2, 0);
    score.Root(single);
    score.unit.SetUnitMuzMode(unitMuzSel);
    score.unit.SetSaved();
    score.unit.SetSelectedSymbol(left ? b : a2);
    ASSERT_TRUE(left ? score.unit.CanMovePrev() : score.unit.CanMoveNext());
    left ? score.unit.MovePrev() : score.unit.MoveNext();
    EXPECT_EQ(b->GetSymbolPosition(), 0.0);
    EXPECT_TRUE(a->GetSymbolPosition() == 0.5 && a2->GetSymbolPosition() == 0.5);
    EXPECT_EQ(single->GetNextSymbolOnStave(score.stave, b), a);
    EXPECT_EQ(score.unit.GetState(), kUnitStateModified);
  }
}

// The start key at 0, a second key there, a note at 0 and a key at 1/4, in edit mode.
struct KeyRow : ScoreBuilder {
  TSinglePartMuz* single = Single();
  TKey* startKey = single->GetStartStaveSymbol()->AsKey();
  TKey* second = Put(new TKey(&unit, TKey::keyKindC, 0, 0.0, stave, 2, single));
  TMuzNote* note = Note(single, 0.0, 4);
  TKey* later = Put(new TKey(&unit, TKey::keyKindC, 0, 0.25, stave, 1, single));
  KeyRow() {
    Root(single);
    unit.SetUnitMuzMode(unitMuzSel);
  }
};

TEST(UnitMuzSwitch, KeysKeepConsecutiveNumbersAndTheStartKeyStaysFirst) {
  KeyRow row;
  row.unit.SetSelectedSymbol(row.startKey);
  EXPECT_FALSE(row.unit.CanMovePrev());
  // The second key passes the note and lands on the later key's place, ahead of it.
  row.unit.SetSelectedSymbol(row.second);
  row.unit.MoveNext();
  EXPECT_EQ(row.second->GetSymbolPosition(), 0.25);
  EXPECT_TRUE(row.second->GetKeyOrder() == 1 && row.later->GetKeyOrder() == 2);
  EXPECT_EQ(row.second->GetNext(), row.later);
  row.unit.MoveNext();  // so that the two keys there still trade places
  EXPECT_TRUE(row.later->GetKeyOrder() == 1 && row.later->GetNext() == row.second);
  row.unit.SetSelectedSymbol(row.startKey);
  EXPECT_FALSE(row.unit.CanMoveNext());  // the start key cannot pass the note
  // A key moved back before the note follows the keys already there.
  row.unit.SetSelectedSymbol(row.later);
  row.unit.MovePrev();
  EXPECT_EQ(row.later->GetSymbolPosition(), 0.0);
  EXPECT_TRUE(row.later->GetKeyOrder() == 2 && row.second->GetKeyOrder() == 1);
  row.unit.MovePrev();  // and can trade numbers with the start key
  EXPECT_TRUE(row.single->GetStartStaveSymbol() == row.later && row.startKey->GetKeyOrder() == 2);
}

TEST(UnitMuzSwitch, LoneKeysAndNotesAfterTheStartKeyAreRefusedAndBarsShiftTheirUpbeat) {
  KeyRow row;
  row.unit.RemoveSymbol(row.second);
  row.unit.SetSelectedSymbol(row.note);
  EXPECT_TRUE(!row.unit.CanMovePrev() && row.unit.CanMoveNext());
  row.unit.RemoveSymbol(row.note);
  row.unit.SetSelectedSymbol(row.later);
  EXPECT_FALSE(row.unit.CanMovePrev());  // keys of two places have no order to trade
  row.unit.SetSelectedSymbol(row.single->GetMuzBar());
  for (auto [back, count] : {std::pair{true, 3}, std::pair{false, 0}, std::pair{false, 1}}) {
    ASSERT_TRUE(back ? row.unit.CanMovePrev() : row.unit.CanMoveNext());
    back ? row.unit.MovePrev() : row.unit.MoveNext();
    EXPECT_EQ(row.single->GetMuzBar()->GetCountFirstBar(), count);
  }
  row.unit.SetUnitMuzMode(unitMuzDel);
  EXPECT_FALSE(row.unit.CanMovePrev() || row.unit.CanMoveNext());
}

}  // namespace
