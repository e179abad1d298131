#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/fakes/sample_waves.h"
#include "tests/music/score_builder.h"

namespace {

// A saved score with one note, watched by a window, with the sample its players sound from.
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
};

TEST(UnitMuzCmd, StickTogglesUpThenBackToAutomaticWhereANoteIsActive) {
  EditedScore score;
  score.unit.SetInsertModeKind(insertModeSilence);
  EXPECT_FALSE(score.unit.CanNoteStickUp() || score.unit.CanNoteStickDown() || score.unit.IsNoteStickUp());
  const std::pair<bool, uint8_t> presses[] = {
      {true, drawStickUp}, {true, drawStickAuto}, {false, drawStickDown}, {true, drawStickUp}};
  for (uint8_t mode : {unitMuzAdd, unitMuzSel}) {
    score.unit.SetInsertModeKind(insertModeNote);
    score.unit.SetUnitMuzMode(mode);
    score.unit.SetSelectedSymbol(nullptr);
    EXPECT_EQ(score.unit.CanNoteStickUp(), mode == unitMuzAdd);  // nothing selected yet
    score.unit.SetSelectedSymbol(score.note);
    for (auto [up, stick] : presses) {
      up ? score.unit.NoteStickUp() : score.unit.NoteStickDown();
      EXPECT_EQ(mode == unitMuzAdd ? score.unit.GetCurStickKind() : score.note->GetDrawStickKind(), stick);
      EXPECT_EQ(std::pair(score.unit.IsNoteStickUp(), score.unit.IsNoteStickDown()),
                std::pair(stick == drawStickUp, stick == drawStickDown));
    }
    // Only the note's own stick is an edit: it is redrawn, marked and heard on every press.
    EXPECT_EQ(std::tuple(score.unit.GetState(), score.view.calls.size(), score.waves.main.played.size()),
              mode == unitMuzAdd ? std::tuple(kUnitStateSaved, 0u, 0u) : std::tuple(kUnitStateModified, 8u, 4u));
  }
}

TEST(UnitMuzCmd, NoteMovesBetweenGroupsAndIsRefusedAtTheChainEnds) {
  EditedScore score;
  TNoteGroup* first = score.group;
  auto* second = new TNoteGroup(score.stave, std::make_unique<TCompoundPlayer>(&score.unit), 0xFF, 0, drawStickAuto);
  score.stave->InsertNoteGroup(first, second);
  score.unit.SetSelectedSymbol(score.note);
  EXPECT_FALSE(score.unit.CanNoteToNextNoteGroup());  // add mode
  score.unit.SetUnitMuzMode(unitMuzSel);
  EXPECT_FALSE(score.unit.CanNoteToPrevNoteGroup());
  for (TNoteGroup* to : {second, first}) {
    ASSERT_TRUE(to == second ? score.unit.CanNoteToNextNoteGroup() : score.unit.CanNoteToPrevNoteGroup());
    to == second ? score.unit.NoteToNextNoteGroup() : score.unit.NoteToPrevNoteGroup();
    EXPECT_EQ(std::tuple(score.note->GetNoteGroup(), score.stave->GetSelectedNoteGroup(), score.unit.GetSelectedSymbol()),
              std::tuple(to, to, static_cast<TXTouchMuzSymbol*>(score.note)));
    EXPECT_NE(score.unit.CanNoteToNextNoteGroup(), to == second);
  }
  EXPECT_EQ(score.view.calls, (std::vector<std::string>{"Redraw", "ShowStatus", "Redraw", "ShowStatus"}));
  // The second group has no players to sound.
  EXPECT_EQ(std::tuple(score.unit.GetState(), score.waves.main.played.size()), std::tuple(kUnitStateModified, 1u));
  score.unit.PlayNote();
  EXPECT_EQ(score.waves.main.played.size(), 2u);
  score.unit.DeleteNoteGroup(first);  // frees the selected note: the selection must go with it
  EXPECT_EQ(score.unit.GetSelectedSymbol(), nullptr);
  EXPECT_FALSE(score.unit.CanPlayNoteExecute());
}

// The music dialog deletes a note group with its notes; a triool's members are given as the
// groups whose notes stand on them (1, 2, both "12", or "-" for a rest).
TEST(UnitMuzCmd, DeletingANoteGroupLeavesNoTupletBroken) {
  struct Case {
    std::vector<std::string> members;
    std::string after;  // per member of the triool at 0, in order: N note, R rest
  };
  const Case cases[] = {{{"1", "2", "-"}, "RNR"}, {{"12", "1", "-"}, "NRR"}, {{"1", "-", "1"}, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.after);
    ScoreBuilder score;
    TNoteGroup* first = score.group;
    auto* second = new TNoteGroup(score.stave, std::make_unique<TCompoundPlayer>(&score.unit), 0xFF, 0, drawStickAuto);
    score.stave->InsertNoteGroup(first, second);
    TSinglePartMuz* single = score.Single();
    score.Root(single);
    for (int32_t place = 0; place < 3; ++place) {
      const std::string& member = c.members[static_cast<size_t>(place)];
      if (member == "-") single->InsertSymbol(new TSilence(4, 0, 0.0, score.stave, triool, place, single));
      for (char g : member)
        if (g != '-')
          single->InsertSymbol(new TMuzNote(&score.unit, g == '1' ? first : second, 4, 0, 0.0, place, score.stave,
                                            noteShiftNormal, triool, place, noteArtNormal, single, drawStickAuto));
    }
    auto* after = new TSilence(4, 0, 0.25, score.stave, sool, 0, single);
    single->InsertSymbol(after);
    ASSERT_TRUE(score.unit.RemoveNoteGroup(score.stave, first));
    std::string left;
    for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext())
      if (symbol->AsTimeSymbol() && symbol != after) left += symbol->AsNote() ? "N" : "R";
    EXPECT_EQ(left, c.after);
    // Nothing moves: the time of a tuplet that went whole is a gap for the dialog's gap fill.
    EXPECT_EQ(after->GetSymbolPosition(), 0.25);
  }
}

TEST(UnitMuzCmd, ShiftMovesOnlyLaterSymbolsOfOneStave) {
  const std::pair<double, std::vector<double>> cases[] = {
      {0.25, {0.0, 0.25, 0.5, 0.75, 1.0}}, {-0.25, {-0.25, 0.0, 0.0, 0.25, 0.5}}, {0.0, {0.0, 0.0, 0.25, 0.5, 0.75}}};
  for (const auto& [difference, expected] : cases) {
    SCOPED_TRACE(testing::Message() << "by " << difference);
    ScoreBuilder score;
    TNoteStave* other = score.unit.AddDefaultStave(score.stave);
    TSinglePartMuz* single = score.Single({{0.0, 4}, {0.25, 4}, {0.5, 4}, {0.75, 4}});
    score.Root(single);
    auto* otherNote = new TMuzNote(&score.unit, other->GetStartNoteGroup(), 4, 0, 0.5, 0, other, noteShiftNormal, sool,
                                   0, noteArtNormal, single, drawStickAuto);
    single->InsertSymbol(otherNote);
    score.unit.ShiftSymbolsAfter(single->GetFirstSymbolOnStave(score.stave), difference, nullptr);
    std::vector<double> positions;
    for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
      if (symbol->GetNoteStave() == score.stave) positions.push_back(symbol->GetSymbolPosition());
      EXPECT_TRUE(!symbol->GetNext() || !TStaveSymbol::IsPrevOf(symbol->GetNext(), symbol));
    }
    EXPECT_EQ(positions, expected);
    EXPECT_EQ(otherNote->GetSymbolPosition(), 0.5);
  }
}

TEST(UnitMuzCmd, StaveChainKeysPitchesAndSymbolRemoval) {
  TUnitMuz empty("empty.kvm");
  EXPECT_FALSE(empty.FirstStave() || empty.CurrentStave());
  TNoteStave* only = empty.AddStave(nullptr, 0x0000FF, 0xFFFFFF, 60, 40, drawFlagSeparate, true, false);
  TNoteStave* last = empty.AddStave(only, 0, 0, 80, 80, drawFlagJoin, false, false);
  TNoteStave* middle = empty.AddStave(only, 0, 0, 80, 80, drawFlagJoin, false, false);
  std::vector<TNoteStave*> order;
  for (bool more = empty.FirstStave(); more; more = empty.NextStave()) order.push_back(empty.CurrentStave());
  EXPECT_EQ(order, (std::vector<TNoteStave*>{only, middle, last}));

  ScoreBuilder score;
  TSinglePartMuz* single = score.Single();
  score.Root(single);
  TMuzNote* low = score.Note(single, 0.5, 4, 1);
  TMuzNote* high = score.Note(single, 0.5, 4, 5);
  single->InsertSymbol(new TMuzNote(&score.unit, score.group, 8, 0, 0.5, 3, score.stave, noteShiftNormal, triool, 1,
                                    noteArtNormal, single, drawStickAuto));
  for (auto [pitch, taken] : {std::pair{1, true}, {5, true}, {3, false}, {0, false}})
    EXPECT_EQ(score.unit.IsPitchTaken(pitch, low), taken) << "pitch " << pitch;

  TKey* startKey = single->GetStartStaveSymbol()->AsKey();
  auto* second = new TKey(&score.unit, TKey::keyKindF, 0, 0.0, score.stave, 2, single);
  single->InsertSymbol(second);
  score.unit.RenumberKeysAt(4, score.stave, 0.0, nullptr);
  EXPECT_EQ(startKey->GetKeyOrder(), 1);
  score.unit.RenumberKeysAt(4, score.stave, 0.0, startKey);
  EXPECT_EQ(std::pair(startKey->GetKeyOrder(), second->GetKeyOrder()), std::pair(5, 6));
  score.unit.RenumberKeysAt(INT32_MAX - 1, score.stave, 0.0, startKey);  // a file's order cannot overflow
  EXPECT_EQ(std::pair(startKey->GetKeyOrder(), second->GetKeyOrder()), std::pair(INT32_MAX, INT32_MAX));

  for (TMuzNote* doomed : {high, low}) {
    score.unit.SetSelectedSymbol(doomed);
    doomed == high ? score.unit.RemoveSymbol(high) : score.unit.DeleteStave(score.stave);
    EXPECT_EQ(score.unit.GetSelectedSymbol(), nullptr);
  }
  EXPECT_EQ(single->GetFirstSymbolOnStave(score.stave), nullptr);
}

}  // namespace
