#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/fakes/sample_waves.h"
#include "tests/music/score_builder.h"

namespace {

// A saved score in edit mode with two single parts on two staves, watched by a window:
// the first part holds a chord (pitches 4, 2, 0) at 0, a rest at 1/4 and a note at 1/2 on the
// first stave, and notes at 0 and 1/2 on the second.
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
  TSilence* rest = Rest(first, 0.25);
  TMuzNote* last = Note(first, 0.5, 4, 1);
  TMuzNote* lowerEarly = NoteOn(lower, 0.0);
  TMuzNote* lowerLate = NoteOn(lower, 0.5);
  SelectScore() {
    waves.Add("sample", Marked(200));
    Root(Concat(first, second));
    unit.SetChildMuz(&view);
    unit.SetSaved();
    unit.SetUnitMuzMode(unitMuzSel);
  }
  TSilence* Rest(TSinglePartMuz* single, double position) {
    auto* silence = new TSilence(4, 0, position, stave, sool, 0, single);
    single->InsertSymbol(silence);
    return silence;
  }
  TMuzNote* NoteOn(TNoteStave* on, double position) {
    auto* note = new TMuzNote(&unit, on->GetStartNoteGroup(), 4, 0, position, 0, on, noteShiftNormal, sool, 0,
                              noteArtNormal, first, drawStickAuto);
    first->InsertSymbol(note);
    return note;
  }
};

TEST(UnitMuzSelect, MovesFollowTheStaveTheChordAndTheStaves) {
  SelectScore score;
  enum Move { Left, Right, Up, Down, PageUp, PageDown, Home, End };
  struct Case {
    TXTouchMuzSymbol* from;
    Move move;
    TXTouchMuzSymbol* to;  // the selection afterwards; the same when the move is refused
  };
  const Case cases[] = {
      {score.middle, Left, score.first->GetMuzBar()},  // the start key stands behind the bar
      {score.first->GetMuzBar(), Left, score.startKey},
      {score.low, Right, score.rest},
      {score.rest, Left, score.middle},  // a chord is entered at its middle note
      {score.last, Right, score.secondKey},  // the next part is entered at its start key
      {score.middle, Up, score.high},
      {score.high, Up, score.high},
      {score.low, Down, score.low},
      {score.rest, Down, score.rest},
      {score.last, PageDown, score.lowerLate},
      {score.low, PageUp, score.low},
      {score.lowerEarly, PageUp, score.startKey},  // the first of equally near symbols
      {score.first->GetMuzBar(), PageUp, score.first->GetMuzBar()},
      {score.rest, Home, score.startKey},
      {score.rest, End, score.secondNote},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "move " << c.move);
    score.unit.SetSelectedSymbol(c.from);
    const bool enabled[] = {score.unit.CanSelectPrev(), score.unit.CanSelectNext(), score.unit.CanSelectUp(),
                            score.unit.CanSelectDown(), true, true, true, true};
    EXPECT_EQ(enabled[c.move], c.to != c.from || c.move >= PageUp);
    if (enabled[c.move]) {
      switch (c.move) {
        case Left: score.unit.SelectPrev(); break;
        case Right: score.unit.SelectNext(); break;
        case Up: score.unit.SelectUp(); break;
        case Down: score.unit.SelectDown(); break;
        case PageUp: score.unit.SelectPrevStave(); break;
        case PageDown: score.unit.SelectNextStave(); break;
        case Home: score.unit.SelectFirstInStave(); break;
        case End: score.unit.SelectLastInStave(); break;
      }
    }
    EXPECT_EQ(score.unit.GetSelectedSymbol(), c.to);
  }
  EXPECT_EQ(score.unit.GetState(), kUnitStateSaved);  // selecting is no edit
  for (uint8_t mode : {unitMuzAdd, unitMuzDel}) {
    score.unit.SetUnitMuzMode(mode);
    score.unit.SelectNextStave();
    score.unit.SelectFirstInStave();
    EXPECT_FALSE(score.unit.CanSelectPrev() || score.unit.CanSelectUp() || score.unit.CanSelectNextStave());
    EXPECT_EQ(score.unit.GetSelectedSymbol(), score.secondNote);
  }
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
  const std::vector<std::string> expected = {"ScrollX 40 52", "ScrollY 175 195", "ScrollY 175 225",
                                             "ScrollY 175 225"};
  EXPECT_EQ(score.view.calls, expected);
  EXPECT_EQ(score.waves.main.played.size(), 1u);
  EXPECT_EQ(score.unit.GetSelectedStave(), score.stave);
}

TEST(UnitMuzSwitch, RunsTradePlacesAndCloseUp) {
  struct Case {
    bool chord;  // the first run is a chord of two notes
    bool left;   // move the second run left (else the first run right)
  };
  for (const Case& c : {Case{false, true}, Case{true, false}, Case{true, true}}) {
    SCOPED_TRACE(testing::Message() << c.chord << c.left);
    ScoreBuilder score;
    TSinglePartMuz* single = score.Single();
    TMuzNote* a = score.Note(single, 0.0, 4, 5);
    TMuzNote* a2 = c.chord ? score.Note(single, 0.0, 4, 3) : nullptr;
    TMuzNote* b = score.Note(single, 0.25, 2, 0);
    score.Root(single);
    score.unit.SetUnitMuzMode(unitMuzSel);
    score.unit.SetSaved();
    score.unit.SetSelectedSymbol(c.left ? b : (a2 ? a2 : a));
    ASSERT_TRUE(c.left ? score.unit.CanMovePrev() : score.unit.CanMoveNext());
    c.left ? score.unit.MovePrev() : score.unit.MoveNext();
    EXPECT_EQ(b->GetSymbolPosition(), 0.0);
    EXPECT_EQ(a->GetSymbolPosition(), 0.5);
    EXPECT_EQ(a2 ? a2->GetSymbolPosition() : 0.5, 0.5);
    EXPECT_EQ(single->GetNextSymbolOnStave(score.stave, b), a);
    EXPECT_EQ(score.unit.GetState(), kUnitStateModified);
  }
}

// The start key at 0, a second key there, a note at 0 and a key at 1/4, in edit mode.
struct KeyRow : ScoreBuilder {
  TSinglePartMuz* single = Single();
  TKey* startKey = single->GetStartStaveSymbol()->AsKey();
  TKey* second = KeyAt(0.0, 2);
  TMuzNote* note = Note(single, 0.0, 4);
  TKey* later = KeyAt(0.25, 1);
  KeyRow() {
    Root(single);
    unit.SetUnitMuzMode(unitMuzSel);
    unit.SetSaved();
  }
  TKey* KeyAt(double position, int32_t order) {
    auto* key = new TKey(&unit, TKey::keyKindC, 0, position, stave, order, single);
    single->InsertSymbol(key);
    return key;
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
  EXPECT_EQ(row.second->GetKeyOrder(), 1);
  EXPECT_EQ(row.later->GetKeyOrder(), 2);
  EXPECT_EQ(row.second->GetNext(), row.later);
  row.unit.MoveNext();  // so that the two keys there still trade places
  EXPECT_EQ(row.later->GetKeyOrder(), 1);
  EXPECT_EQ(row.later->GetNext(), row.second);
  row.unit.SetSelectedSymbol(row.startKey);
  EXPECT_FALSE(row.unit.CanMoveNext());  // the start key cannot pass the note
  // A key moved back before the note follows the keys already there.
  row.unit.SetSelectedSymbol(row.later);
  row.unit.MovePrev();
  EXPECT_EQ(row.later->GetSymbolPosition(), 0.0);
  EXPECT_EQ(row.later->GetKeyOrder(), 2);
  EXPECT_EQ(row.second->GetKeyOrder(), 1);
  row.unit.MovePrev();  // and can trade numbers with the start key
  EXPECT_EQ(row.single->GetStartStaveSymbol(), row.later);
  EXPECT_EQ(row.startKey->GetKeyOrder(), 2);
}

TEST(UnitMuzSwitch, AKeyLeftAloneAfterTheStartKeyIsRefusedCleanly) {
  KeyRow row;
  row.unit.RemoveSymbol(row.second);
  row.unit.SetSelectedSymbol(row.note);
  EXPECT_FALSE(row.unit.CanMovePrev());  // a note does not pass the start key
  EXPECT_TRUE(row.unit.CanMoveNext());
  row.unit.RemoveSymbol(row.note);
  row.unit.SetSelectedSymbol(row.later);
  EXPECT_FALSE(row.unit.CanMovePrev());
  row.unit.SetSelectedSymbol(row.startKey);
  EXPECT_FALSE(row.unit.CanMoveNext());
}

TEST(UnitMuzSwitch, ABarShiftsItsUpbeatOneBeatAroundTheCount) {
  KeyRow row;
  row.unit.SetSelectedSymbol(row.single->GetMuzBar());
  const std::pair<bool, int32_t> steps[] = {{true, 3}, {false, 0}, {false, 1}};
  for (auto [back, count] : steps) {
    ASSERT_TRUE(back ? row.unit.CanMovePrev() : row.unit.CanMoveNext());
    back ? row.unit.MovePrev() : row.unit.MoveNext();
    EXPECT_EQ(row.single->GetMuzBar()->GetCountFirstBar(), count);
  }
  EXPECT_EQ(row.unit.GetState(), kUnitStateModified);
  for (uint8_t mode : {unitMuzAdd, unitMuzDel}) {
    row.unit.SetUnitMuzMode(mode);
    EXPECT_FALSE(row.unit.CanMovePrev() || row.unit.CanMoveNext());
  }
}

}  // namespace
