#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/fakes/sample_waves.h"
#include "tests/music/score_builder.h"

namespace {

// A stave in list order: K<order>@pos, N or R<kind><dots>[t<tuplet>:<place>]@pos.
std::string Staff(TSinglePartMuz* single, const TNoteStave* stave) {
  std::string text;
  for (TStaveSymbol* symbol = single->GetFirstSymbolOnStave(stave); symbol;
       symbol = single->GetNextSymbolOnStave(stave, symbol)) {
    if (!text.empty()) text += ' ';
    if (const TKey* key = symbol->AsKey()) text += "K" + std::to_string(key->GetKeyOrder());
    if (TStaveTimeSymbol* time = symbol->AsTimeSymbol()) {
      text += (time->AsNote() ? "N" : "R") + std::to_string(time->GetNoteLengthKind());
      text += std::string(static_cast<size_t>(time->GetPoints()), '.');
      if (time->GetMultiOol() != sool)
        text += "t" + std::to_string(time->GetMultiOol()) + ":" + std::to_string(time->GetPosInOol());
    }
    text += "@" + testing::PrintToString(symbol->GetSymbolPosition());
  }
  return text;
}

// A saved one-stave score under a G key, watched by a window, its notes sounding from a sample.
struct EditScore : ScoreBuilder {
  SampleWaves waves;
  RecordingMuzView view;
  TSinglePartMuz* single = Single();
  explicit EditScore(const std::vector<std::pair<double, std::string>>& symbols) {
    waves.Add("sample", Marked(200));
    Root(single);
    int32_t pitch = 0;
    for (const auto& [position, code] : symbols) {  // code: K|N|R, kind (a key's order), tuplet, place
      const int8_t multi = static_cast<int8_t>(code[2] - '0');
      const int32_t place = code[3] - '0', kind = code[1] - '0';
      single->InsertSymbol(code[0] == 'K'
          ? static_cast<TStaveSymbol*>(new TKey(&unit, TKey::keyKindG, 0, position, stave, kind, single))
          : code[0] == 'R' ? static_cast<TStaveSymbol*>(new TSilence(kind, 0, position, stave, multi, place, single))
                           : new TMuzNote(&unit, group, kind, 0, position, pitch++,
                                          stave, noteShiftNormal, multi, place, noteArtNormal, single, 2));
    }
    unit.SetChildMuz(&view);
    unit.SetSaved();
  }
  TStaveSymbol* At(int index) {
    TStaveSymbol* symbol = single->GetFirstSymbolOnStave(stave);
    for (; index > 0 && symbol; --index) symbol = single->GetNextSymbolOnStave(stave, symbol);
    return index < 0 ? nullptr : symbol;
  }
  std::string Text() { return Staff(single, stave); }
};

// K@0, quarters at 1 and 1.25, a quarter triplet at 1.5, a quarter rest at 1.75.
const std::vector<std::pair<double, std::string>> kPressScore = {
    {1.0, "N410"}, {1.25, "N410"}, {1.5, "N430"}, {1.5, "N431"}, {1.5, "N432"}, {1.75, "R410"}};

TEST(UnitMuzEdit, PressesInAddModeInsertWhereTheTimeAllows) {
  struct Case {
    uint8_t insert;
    int first, note, rest;
    int32_t height;
    const char* staff;
    size_t plays;
  };
  const std::string kept = "K1@0 N4@1 N4@1.25 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 R4@1.75";
  const Case cases[] = {
      {insertModeNote, 1, -1, -1, 0, "K1@0 N4@1 N4@1.25 N4@1.5 N4t3:0@1.75 N4t3:1@1.75 N4t3:2@1.75 R4@2", 1},
      {insertModeNote, 0, -1, -1, 0, "K1@0 N4@0 N4@1.25 N4@1.5 N4t3:0@1.75 N4t3:1@1.75 N4t3:2@1.75 R4@2", 1},
      {insertModeKey, 0, -1, -1, 0, kept.c_str(), 0},
      {insertModeNote, 3, -1, -1, 0, kept.c_str(), 0},
      {insertModeNote, 5, -1, -1, 0, "K1@0 N4@1 N4@1.25 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 N4@1.75 R4@2", 1},
      {insertModeNote, -1, 1, -1, 3, "K1@0 N4@1 N4@1 N4@1.25 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 R4@1.75", 1},
      {insertModeNote, -1, 1, -1, -6, kept.c_str(), 0},  // the pitch is taken
      {insertModeNote, -1, 1, 6, 3, "K1@0 N4@1 N4@1 N4@1.25 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 R4@1.75", 1},
      {insertModeNote, -1, -1, 6, 0, "K1@0 N4@1 N4@1.25 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 N4@1.75", 1},
      {insertModeNote, -1, -1, 6, 60, kept.c_str(), 0},
      {insertModeSilence, 2, -1, -1, 0, "K1@0 N4@1 N4@1.25 R4@1.5 N4t3:0@1.75 N4t3:1@1.75 N4t3:2@1.75 R4@2", 0},
      {insertModeKey, 2, -1, -1, 0, "K1@0 N4@1 N4@1.25 K1@1.5 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 R4@1.75", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "insert " << int{c.insert} << " after " << c.first << " on " << c.note
                                    << "/" << c.rest << " at height " << c.height);
    EditScore score(kPressScore);
    score.unit.SetInsertModeKind(c.insert);
    TStaveSymbol* first = score.At(c.first);
    score.unit.AddSymbol(score.stave, c.note < 0 ? nullptr : score.At(c.note)->AsNote(),
                         c.rest < 0 ? nullptr : static_cast<TSilence*>(score.At(c.rest)), first,
                         first ? score.At(c.first + 1) : nullptr, c.height);
    EXPECT_EQ(score.Text(), c.staff);
    EXPECT_EQ(score.waves.main.played.size(), c.plays);
    // Only a rest turned into a note takes the selection; the window redraws and marks.
    const bool replaced = c.rest >= 0 && c.note < 0 && c.plays > 0;
    EXPECT_EQ(score.unit.GetSelectedSymbol() == score.At(6), replaced);
    if (replaced) {
      EXPECT_EQ(score.At(6)->AsNote()->GetPitch(), 6);
    }
    EXPECT_TRUE(score.view.calls.empty());
    EXPECT_EQ(score.unit.GetState(), kUnitStateSaved);
  }
}

// K@0, a chord at 0, a quarter at .25, a quarter triplet of two notes and a rest, a quarter, 3 keys.
const std::vector<std::pair<double, std::string>> kDeleteScore = {
    {0.0, "N410"}, {0.0, "N410"}, {0.25, "N410"}, {0.5, "N430"}, {0.5, "N431"}, {0.5, "R432"},
    {0.75, "N410"}, {1.0, "K100"}, {1.0, "K200"}, {1.0, "K300"}};

TEST(UnitMuzEdit, DeletingKeepsTheTimeAndTheStartKeys) {
  struct Case {
    int before, target;
    const char* staff;
  };
  const Case cases[] = {
      {-1, 1, "K1@0 N4@0 N4@0.25 N4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1 K3@1"},
      {-1, 3, "K1@0 N4@0 N4@0 N4t3:0@0.25 N4t3:1@0.25 R4t3:2@0.25 N4@0.5 K1@0.75 K2@0.75 K3@0.75"},
      {-1, 4, "K1@0 N4@0 N4@0 N4@0.25 R4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1 K3@1"},
      {4, 5, "K1@0 N4@0 N4@0 N4@0.25 N4@0.5 K1@0.75 K2@0.75 K3@0.75"},
      {-1, 6, "K1@0 N4@0 N4@0 N4@0.25 N4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1 K3@1"},
      {-1, 0, "K1@0 N4@0 N4@0 N4@0.25 N4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1 K3@1"},
      {-1, 8, "K1@0 N4@0 N4@0 N4@0.25 N4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "delete " << c.target << " after " << c.before);
    EditScore score(kDeleteScore);
    if (c.before >= 0) score.unit.DeleteSymbol(score.At(c.before));
    score.unit.DeleteSymbol(score.At(c.target));
    EXPECT_EQ(score.Text(), c.staff);
  }
  EditScore score(kDeleteScore);
  score.single->InsertSymbol(new TKey(&score.unit, TKey::keyKindF, 0, 0.0, score.stave, 2, score.single));
  EXPECT_TRUE(score.unit.MayDeleteSymbol(score.At(0)));  // a second start key may go
}

TEST(UnitMuzEdit, DeleteSelectedSelectsASymbolStillInTheScore) {
  EditScore score(kDeleteScore);
  score.unit.SetModeEdit();
  score.unit.SetSelectedSymbol(score.At(10));
  score.unit.DeleteSelected();  // the last symbol: the one before takes the selection
  EXPECT_EQ(score.unit.GetSelectedSymbol(), score.At(9));
  score.unit.SetSelectedSymbol(score.At(4));
  score.unit.DeleteSelected();  // a rest takes the note's place in the triplet and is selected
  EXPECT_EQ(score.unit.GetSelectedSymbol(), score.At(4));
  EXPECT_FALSE(score.unit.CanDeleteSelected());
  score.unit.SetSelectedSymbol(score.At(5));
  score.unit.DeleteSelected();  // the triplet goes with its neighbours: the quarter moved into its place
  EXPECT_EQ(score.unit.GetSelectedSymbol(), score.At(4));
  EXPECT_EQ(score.Text(), "K1@0 N4@0 N4@0 N4@0.25 N4@0.5 K1@0.75 K2@0.75");
  EXPECT_EQ(score.view.calls.size(), 6u);
  EXPECT_EQ(score.unit.GetState(), kUnitStateModified);
  score.unit.SetModeDelete();
  EXPECT_TRUE(score.unit.IsModeDelete() && score.unit.GetSelectedSymbol() == nullptr);
  score.unit.SetModeEdit();
  EXPECT_TRUE(score.unit.IsModeEdit() && score.unit.GetSelectedSymbol() == nullptr);
}

TEST(UnitMuzEdit, AddModeBoundsTheCurrentDotsByTheLength) {
  struct Case {
    uint8_t kind;
    int32_t points, query;
    bool canSet, canAddPoint;
  };
  for (const Case& c : {Case{16, 2, 32, false, false}, Case{16, 2, 8, true, false}, Case{8, 2, 64, false, true},
                        Case{64, 0, 4, true, false}}) {
    SCOPED_TRACE(testing::Message() << int{c.kind} << " with " << c.points << " dots, query " << c.query);
    EditScore score({});
    score.unit.SetCurrentLength(c.kind);
    for (int32_t i = 0; i < c.points; ++i) score.unit.AddPoint();
    EXPECT_EQ(score.unit.CanSetNoteLength(c.query), c.canSet);
    EXPECT_EQ(score.unit.CanAddPoint(), c.canAddPoint);
    score.unit.SetSilenceLength(c.query);
    EXPECT_TRUE(score.unit.IsSilenceLength(c.query) && !score.unit.IsNoteLength(c.query));
    EXPECT_TRUE(score.view.calls.empty());
  }
}

TEST(UnitMuzEdit, ASelectedBarKeepsItsDurationInANewBeatKind) {
  struct Case {
    int8_t length;
    int32_t count, kind;
    int8_t newLength;
    int32_t newCount;
  };
  for (const Case& c : {Case{4, 3, 8, 8, 6}, Case{4, 3, 1, 1, 1}, Case{4, 60, 8, 8, 99}, Case{8, 6, 4, 4, 3}}) {
    SCOPED_TRACE(testing::Message() << c.count << "/" << int{c.length} << " to " << c.kind);
    EditScore score({});
    TMuzBar* bar = score.single->GetMuzBar();
    bar->SetMeter(c.length, c.count);
    score.unit.SetModeEdit();
    score.unit.SetSelectedSymbol(bar);
    EXPECT_TRUE(score.unit.CanSetNoteLength(c.kind) && !score.unit.CanSetSilenceLength(c.kind));
    score.unit.SetNoteLength(c.kind);
    EXPECT_EQ(std::pair(bar->GetBarLength(), bar->GetCount()), std::pair(c.newLength, c.newCount));
    EXPECT_TRUE(score.unit.IsNoteLength(c.newLength));
    EXPECT_EQ(score.unit.GetState(), kUnitStateModified);
  }
  EditScore score({});
  TMuzBar* bar = score.single->GetMuzBar();
  score.unit.SetModeEdit();
  score.unit.SetSelectedSymbol(bar);
  for (int32_t count : {99, 1}) {
    bar->SetMeter(4, count);
    EXPECT_NE(score.unit.CanAddPoint(), count == 99);
    EXPECT_NE(score.unit.CanDeletePoint(), count == 1);
  }
  score.unit.AddPoint();
  EXPECT_EQ(bar->GetCount(), 2);
}

// A chord of three quarters at 0, a quarter at .25, a quarter triplet of one note at .5, a quarter.
const std::vector<std::pair<double, std::string>> kLengthScore = {
    {0.0, "N410"}, {0.0, "N410"}, {0.0, "N410"}, {0.25, "N410"},
    {0.5, "R430"}, {0.5, "N431"}, {0.5, "R432"}, {0.75, "N410"}};

TEST(UnitMuzEdit, EditModeChangesTheSelectionAndMovesWhatFollows) {
  struct Case {
    int selected;
    const char* command;
    int32_t value;
    const char* staff;
  };
  const Case cases[] = {
      {1, "note", 8, "K1@0 N8@0 N8@0 N8@0 N4@0.125 R4t3:0@0.375 N4t3:1@0.375 R4t3:2@0.375 N4@0.625"},
      {1, "dot", 0, "K1@0 N4.@0 N4.@0 N4.@0 N4@0.375 R4t3:0@0.625 N4t3:1@0.625 R4t3:2@0.625 N4@0.875"},
      {2, "rest", 4, "K1@0 R4@0 N4@0.25 R4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75"},
      {6, "rest", 8, "K1@0 N4@0 N4@0 N4@0 N4@0.25 N4@0.5"},  // the tuplet and the selection go
      {6, "note", 8, "K1@0 N4@0 N4@0 N4@0 N4@0.25 R4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75"},
      {6, "note", 16, "K1@0 N4@0 N4@0 N4@0 N4@0.25 R8t3:0@0.5 N8t3:1@0.5 R8t3:2@0.5 N4@0.625"},
      {6, "longer", 0, "K1@0 N4@0 N4@0 N4@0 N4@0.25 R1t3:0@0.5 N1t3:1@0.5 R1t3:2@0.5 N4@1.5"},
      {5, "note", 8, "K1@0 N4@0 N4@0 N4@0 N4@0.25 N4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75"},
      {1, "tuplet", 3,
       "K1@0 N4t3:0@0 N4t3:0@0 N4t3:0@0 N4t3:1@0 N4t3:1@0 N4t3:1@0 N4t3:2@0 N4t3:2@0 N4t3:2@0 N4@0.25 "
       "R4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.command << " " << c.value << " on " << c.selected);
    EditScore score(kLengthScore);
    score.unit.SetModeEdit();
    score.unit.SetSelectedSymbol(score.At(c.selected));
    const std::string command = c.command;
    if (command == "note") score.unit.SetNoteLength(c.value);
    if (command == "rest") score.unit.SetSilenceLength(c.value);
    if (command == "dot") score.unit.AddPoint();
    if (command == "longer") score.unit.KeyL();
    if (command == "tuplet") score.unit.SetTuplet(c.value);
    EXPECT_EQ(score.Text(), c.staff);
    EXPECT_EQ(score.view.calls.size(), 2u);
    EXPECT_EQ(score.unit.GetState(), kUnitStateModified);
    EXPECT_EQ(score.unit.GetSelectedSymbol() == nullptr, command == "rest" && c.selected == 6);
  }
  EditScore score(kLengthScore);
  score.unit.SetModeEdit();
  score.unit.SetSelectedSymbol(score.At(5));
  score.unit.SetNoteLength(8);  // the rest becomes a note on the centre line of the G key
  const TMuzNote* note = score.At(5)->AsNote();
  ASSERT_TRUE(note != nullptr && score.unit.GetSelectedSymbol() == note);
  EXPECT_EQ(std::pair(note->GetPitch(), note->GetNoteGroup()), std::pair(6, score.stave->GetSelectedNoteGroup()));
  EXPECT_TRUE(score.unit.IsNoteLength(8) && !score.unit.IsNoteLength(4) && !score.unit.CanSetNoteLength(1));
  EXPECT_FALSE(score.unit.CanSetTuplet(3));  // already in a tuplet
  score.unit.SetSelectedSymbol(score.At(6));
  score.unit.SetSilenceLength(8);
  EXPECT_EQ(score.unit.GetSelectedSymbol(), score.At(6));  // another note keeps the triplet
  score.unit.SetSelectedSymbol(score.At(1));
  score.unit.SetTuplet(3);
  score.unit.SetSelectedSymbol(score.At(1));  // a triplet member of stored kind 1 is no drawn kind
  for (int i = 0; i < 3; ++i) score.unit.KeyL();
  score.unit.KeyAltN();
  score.unit.KeyAltS();
  EXPECT_EQ(score.At(1)->AsTimeSymbol()->GetNoteLengthKind(), 1);
}

TEST(UnitMuzEdit, TupletsNeedADottedOrShortEnoughPlainNote) {
  struct Case {
    int8_t kind;
    int32_t points, n;
    bool allowed;
  };
  for (const Case& c : {Case{4, 0, 2, false}, Case{4, 1, 2, true}, Case{4, 0, 4, false}, Case{32, 0, 5, false},
                        Case{16, 0, 5, true}, Case{32, 0, 3, true}, Case{64, 0, 3, false}, Case{4, 0, 6, false}}) {
    SCOPED_TRACE(testing::Message() << int{c.kind} << " with " << c.points << " dots as " << c.n);
    EditScore score({});
    TMuzNote* note = score.Note(score.single, 0.0, c.kind);
    note->SetPoints(c.points);
    score.unit.SetSelectedSymbol(note);
    EXPECT_FALSE(score.unit.CanSetTuplet(c.n));  // add mode
    score.unit.SetModeEdit();
    EXPECT_EQ(score.unit.CanSetTuplet(c.n), c.allowed);
  }
}

TEST(UnitMuzEdit, ArticulationStepsStopAtBothEndsAndCoverTheChord) {
  const uint8_t longer[] = {noteArtStaccato, noteArtNormal, noteArtPortato, noteArtLegato, noteArtLegato};
  const uint8_t shorter[] = {noteArtPortato, noteArtNormal, noteArtStaccato, noteArtStaccatissimo,
                             noteArtStaccatissimo};
  EditScore score(kLengthScore);
  score.unit.SetCurrentArticulation(noteArtStaccatissimo);
  for (uint8_t expected : longer) {
    score.unit.KeyAltL();
    EXPECT_EQ(score.unit.GetCurNoteArtKind(), expected);
  }
  EXPECT_TRUE(score.unit.IsArticulation(noteArtLegato));
  score.unit.SetModeEdit();
  score.unit.SetSelectedSymbol(score.At(2));
  score.unit.SetArticulation(noteArtLegato);
  for (bool up : {true, false})
    for (uint8_t expected : up ? std::vector<uint8_t>(std::begin(longer) + 3, std::end(longer))
                               : std::vector<uint8_t>(std::begin(shorter), std::end(shorter))) {
      up ? score.unit.KeyAltL() : score.unit.KeyShiftAltL();
      for (int i : {1, 2, 3}) EXPECT_EQ(score.At(i)->AsNote()->GetNoteArtKind(), expected);
      EXPECT_EQ(score.At(4)->AsNote()->GetNoteArtKind(), noteArtNormal);
    }
  score.unit.SetSelectedSymbol(score.At(0));  // a key: nothing to set
  for (int32_t kind : {1, 4, 64}) EXPECT_FALSE(score.unit.CanSetNoteLength(kind) || score.unit.IsNoteLength(kind));
  EXPECT_FALSE(score.unit.CanSetArticulation() || score.unit.CanAddPoint() || score.unit.CanDeletePoint() ||
               score.unit.CanSetTuplet(3));
}

}  // namespace
