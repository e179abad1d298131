#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/fakes/sample_waves.h"
#include "tests/music/score_builder.h"

namespace {

// A saved score with one note in a single part, watched by a window, with the sample its
// players sound from.
struct EditedScore : ScoreBuilder {
  SampleWaves waves;
  RecordingMuzView view;
  TSinglePartMuz* single = Single();
  TMuzNote* note = Note(single, 0.0, 4, 2);
  EditedScore() {
    waves.Add("sample", Marked(200));
    Root(single);
    unit.SetChildMuz(&view);
    unit.SetSaved();
  }
  void SelectNote() {
    unit.SetUnitMuzMode(unitMuzSel);
    unit.SetSelectedSymbol(note);
  }
};

TEST(UnitMuzCmd, StickTogglesUpThenBackToAutomaticWhereANoteIsActive) {
  EditedScore score;
  score.unit.SetInsertModeKind(insertModeSilence);
  EXPECT_FALSE(score.unit.CanNoteStickUp() || score.unit.CanNoteStickDown() || score.unit.IsNoteStickUp());
  score.unit.SetInsertModeKind(insertModeNote);
  struct Case {
    bool up;
    uint8_t stick;
  };
  const Case presses[] = {{true, drawStickUp}, {true, drawStickAuto}, {false, drawStickDown}, {true, drawStickUp}};
  uint8_t stick = drawStickAuto;
  for (const Case& press : presses) {
    press.up ? score.unit.NoteStickUp() : score.unit.NoteStickDown();
    EXPECT_EQ(score.unit.GetCurStickKind(), press.stick);
    EXPECT_TRUE(score.unit.GetActiveStickKind(stick));
    EXPECT_EQ(stick, press.stick);
  }
  EXPECT_EQ(score.unit.GetState(), kUnitStateSaved);  // the next note's stick is no edit

  score.unit.SetUnitMuzMode(unitMuzSel);
  EXPECT_FALSE(score.unit.CanNoteStickUp());  // nothing selected
  score.SelectNote();
  for (const Case& press : presses) {
    press.up ? score.unit.NoteStickUp() : score.unit.NoteStickDown();
    EXPECT_EQ(score.note->GetDrawStickKind(), press.stick);
    EXPECT_EQ(score.unit.IsNoteStickUp(), press.stick == drawStickUp);
    EXPECT_EQ(score.unit.IsNoteStickDown(), press.stick == drawStickDown);
  }
  EXPECT_EQ(score.unit.GetCurStickKind(), drawStickUp);
  EXPECT_EQ(score.unit.GetState(), kUnitStateModified);
  EXPECT_EQ(score.view.calls.size(), 2 * std::size(presses));
  EXPECT_EQ(score.waves.main.played.size(), std::size(presses));
}

TEST(UnitMuzCmd, NoteMovesBetweenGroupsAndIsRefusedAtTheChainEnds) {
  EditedScore score;
  TNoteGroup* first = score.group;
  auto* second = new TNoteGroup(score.stave, std::make_unique<TCompoundPlayer>(&score.unit), 0xFF, 0, drawStickAuto);
  score.stave->InsertNoteGroup(first, second);
  EXPECT_FALSE(score.unit.CanNoteToNextNoteGroup());  // add mode
  score.SelectNote();
  EXPECT_FALSE(score.unit.CanNoteToPrevNoteGroup());
  ASSERT_TRUE(score.unit.CanNoteToNextNoteGroup());
  score.unit.NoteToNextNoteGroup();
  EXPECT_EQ(score.note->GetNoteGroup(), second);
  EXPECT_EQ(score.stave->GetSelectedNoteGroup(), second);
  EXPECT_EQ(score.unit.GetSelectedSymbol(), score.note);
  EXPECT_FALSE(score.unit.CanNoteToNextNoteGroup());
  ASSERT_TRUE(score.unit.CanNoteToPrevNoteGroup());
  score.unit.NoteToPrevNoteGroup();
  EXPECT_EQ(score.note->GetNoteGroup(), first);
  EXPECT_EQ(score.stave->GetSelectedNoteGroup(), first);
  EXPECT_EQ(score.view.calls, (std::vector<std::string>{"Redraw", "ShowStatus", "Redraw", "ShowStatus"}));
  EXPECT_EQ(score.unit.GetState(), kUnitStateModified);
  // The second group has no players: only the move back to the first sounds.
  EXPECT_EQ(score.waves.main.played.size(), 1u);
  ASSERT_TRUE(score.unit.CanPlayNoteExecute());
  score.unit.PlayNote();
  EXPECT_EQ(score.waves.main.played.size(), 2u);

  // Freeing the group's notes forgets the selection that pointed at one of them.
  score.unit.DeleteNoteGroup(first);
  EXPECT_EQ(score.unit.GetSelectedSymbol(), nullptr);
  EXPECT_FALSE(score.unit.CanPlayNoteExecute());
  EXPECT_EQ(score.single->GetFirstSymbolOnStave(score.stave), score.single->GetStartStaveSymbol());
}

TEST(UnitMuzCmd, ShiftMovesOnlyLaterSymbolsOfOneStave) {
  struct Case {
    double difference;
    std::vector<double> positions;  // the stave's symbols after the shift, in list order
  };
  const Case cases[] = {{0.25, {0.0, 0.25, 0.5, 0.75, 1.0}},
                        {-0.25, {-0.25, 0.0, 0.0, 0.25, 0.5}},
                        {0.0, {0.0, 0.0, 0.25, 0.5, 0.75}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "by " << c.difference);
    ScoreBuilder score;
    TNoteStave* other = score.unit.AddDefaultStave(score.stave);
    TSinglePartMuz* single = score.Single({{0.0, 4}, {0.25, 4}, {0.5, 4}, {0.75, 4}});
    score.Root(single);
    TStaveSymbol* otherKey = single->GetFirstSymbolOnStave(other);
    auto* otherNote = new TMuzNote(&score.unit, other->GetStartNoteGroup(), 4, 0, 0.5, 0, other, noteShiftNormal,
                                   sool, 0, noteArtNormal, single, drawStickAuto);
    single->InsertSymbol(otherNote);
    score.unit.ShiftSymbolsAfter(single->GetFirstSymbolOnStave(score.stave), c.difference, nullptr);
    std::vector<double> positions;
    for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
      if (symbol->GetNoteStave() == score.stave) positions.push_back(symbol->GetSymbolPosition());
      if (symbol->GetNext()) {
        EXPECT_FALSE(TStaveSymbol::IsPrevOf(symbol->GetNext(), symbol));
      }
    }
    EXPECT_EQ(positions, c.positions);
    EXPECT_EQ(otherNote->GetSymbolPosition(), 0.5);
    EXPECT_EQ(otherKey->GetSymbolPosition(), 0.0);
  }
}

TEST(UnitMuzCmd, StaveChainKeysPitchesAndSymbolRemoval) {
  TUnitMuz empty("empty.kvm");
  EXPECT_FALSE(empty.FirstStave());
  EXPECT_EQ(empty.CurrentStave(), nullptr);
  EXPECT_FALSE(empty.NextStave());
  TNoteStave* only = empty.AddStave(nullptr, 0x0000FF, 0xFFFFFF, 60, 40, drawFlagSeparate, true, false);
  TNoteStave* last = empty.AddStave(only, 0, 0, 80, 80, drawFlagJoin, false, false);
  TNoteStave* middle = empty.AddStave(only, 0, 0, 80, 80, drawFlagJoin, false, false);
  TNoteStave* head = empty.AddStave(nullptr, 0, 0, 80, 80, drawFlagJoin, false, false);
  std::vector<TNoteStave*> order;
  for (bool more = empty.FirstStave(); more; more = empty.NextStave()) order.push_back(empty.CurrentStave());
  EXPECT_EQ(order, (std::vector<TNoteStave*>{head, only, middle, last}));
  EXPECT_EQ(last->GetPrev(), middle);
  EXPECT_EQ(only->GetRoomUp().GetValue(), 60);

  ScoreBuilder score;
  TSinglePartMuz* single = score.Single();
  score.Root(single);
  TMuzNote* low = score.Note(single, 0.5, 4, 1);
  TMuzNote* high = score.Note(single, 0.5, 4, 5);
  TMuzNote* tuplet = new TMuzNote(&score.unit, score.group, 8, 0, 0.5, 3, score.stave, noteShiftNormal, triool, 1,
                                  noteArtNormal, single, drawStickAuto);
  single->InsertSymbol(tuplet);
  for (auto [pitch, taken] : {std::pair{1, true}, {5, true}, {3, false}, {0, false}})
    EXPECT_EQ(score.unit.IsPitchTaken(pitch, low), taken) << "pitch " << pitch;

  TKey* startKey = single->GetStartStaveSymbol()->AsKey();
  auto* second = new TKey(&score.unit, TKey::keyKindF, 0, 0.0, score.stave, 2, single);
  single->InsertSymbol(second);
  score.unit.RenumberKeysAt(4, score.stave, 0.0, nullptr);
  EXPECT_EQ(startKey->GetKeyOrder(), 1);
  score.unit.RenumberKeysAt(4, score.stave, 0.0, startKey);
  EXPECT_EQ(startKey->GetKeyOrder(), 5);
  EXPECT_EQ(second->GetKeyOrder(), 6);

  score.unit.SetSelectedSymbol(high);
  score.unit.RemoveSymbol(high);
  EXPECT_EQ(score.unit.GetSelectedSymbol(), nullptr);
  EXPECT_EQ(score.unit.GetSelectedInStave(), score.stave);
  score.unit.SetSelectedSymbol(low);
  score.unit.DeleteStave(score.stave);
  EXPECT_EQ(score.unit.GetSelectedSymbol(), nullptr);
  EXPECT_EQ(single->GetFirstSymbolOnStave(score.stave), nullptr);
}

}  // namespace
