#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/fakes/sample_waves.h"
#include "tests/music/score_builder.h"

namespace {

// A saved score in edit mode: the start key, then a chord of C and E at 0, watched by a window.
struct KeyScore : ScoreBuilder {
  SampleWaves waves;
  RecordingMuzView view;
  TSinglePartMuz* single = Single();
  TKey* key = single->GetStartStaveSymbol()->AsKey();
  TMuzNote* c = Note(single, 0.0, 4, 0);
  TMuzNote* e = Note(single, 0.0, 4, 2);
  KeyScore() {
    waves.Add("sample", Marked(200));
    Root(single);
    unit.SetChildMuz(&view);
    unit.SetSaved();
    unit.SetUnitMuzMode(unitMuzSel);
  }
  int32_t Scale() const {
    int32_t scale = 99;
    return key->ToonLadder(scale) ? scale : 99;
  }
};

TEST(UnitMuzKeys, SharpsAndFlatsStepTheSignatureWithinSevenOfEach) {
  struct Case {
    int32_t start;  // built from an empty signature with sharps (+) or flats (-)
    uint8_t kind;
    bool enabled;
    int32_t scale;
  };
  const Case cases[] = {{0, noteShiftKruis, true, 1},  {0, noteShiftMol, true, -1}, {-3, noteShiftKruis, true, -2},
                        {-3, noteShiftMol, true, -4},  {7, noteShiftKruis, false, 7}, {7, noteShiftMol, true, 6},
                        {-7, noteShiftMol, false, -7}, {2, noteShiftDubbelKruis, false, 2},
                        {2, noteShiftNormal, false, 2}, {-1, noteShiftDubbelMol, false, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " kind " << int(c.kind));
    KeyScore score;
    score.unit.SetSelectedSymbol(score.key);
    for (int32_t i = 0; i < std::abs(c.start); ++i) score.unit.ChangeNoteShift(c.start > 0 ? noteShiftKruis : noteShiftMol);
    ASSERT_EQ(score.Scale(), c.start);
    EXPECT_EQ(score.unit.CanChangeNoteShift(c.kind), c.enabled);
    if (c.enabled) score.unit.ChangeNoteShift(c.kind);
    EXPECT_EQ(score.Scale(), c.scale);
    EXPECT_EQ(score.unit.GetState(), c.start != 0 || c.enabled ? kUnitStateModified : kUnitStateSaved);
  }
}

TEST(UnitMuzKeys, MixedSignatureAllowsNeitherSharpNorFlatAndMouseAccidentalsFollowTheCurrentKind) {
  KeyScore score;
  score.unit.SetUnitMuzMode(unitMuzAdd);
  struct Press {
    uint8_t kind;
    TStaveSymbol* symbol;
    int32_t height;
  };
  // On a G key F sits at height 4, B at height 0.
  const Press presses[] = {{noteShiftKruis, score.key, 4},     {noteShiftDubbelKruis, score.key, 0},
                           {noteShiftMol, score.key, 0},       {noteShiftDubbelMol, score.c, 0}};
  for (const Press& press : presses) {
    score.unit.ChangeNoteShift(press.kind);
    EXPECT_TRUE(score.unit.IsNoteShift(press.kind));
    EXPECT_EQ(score.unit.GetInsertKind(), insertModeKeyNoteShift);
    score.unit.AddKeyNoteShift(press.symbol, press.height);
  }
  EXPECT_EQ(score.key->GetNoteShift(4), noteShiftKruis);
  EXPECT_EQ(score.key->GetNoteShift(0), noteShiftMol);  // the double sharp left it alone
  EXPECT_EQ(score.c->GetNoteShift(), noteShiftDubbelMol);
  EXPECT_TRUE(score.view.calls.empty());  // the window redraws after a press, not the command
  score.unit.SetUnitMuzMode(unitMuzSel);
  score.unit.SetSelectedSymbol(score.key);
  EXPECT_FALSE(score.unit.CanChangeNoteShift(noteShiftKruis) || score.unit.CanChangeNoteShift(noteShiftMol));
}

TEST(UnitMuzKeys, ClefChangesKeepTheSignatureOnItsNotesAndThePitches) {
  KeyScore score;
  score.unit.SetSelectedSymbol(score.key);
  score.unit.ChangeNoteShift(noteShiftKruis);  // F sharp on the G clef
  struct Step {
    bool up;
    int8_t kind;
  };
  const Step steps[] = {{true, TKey::keyKindG}, {false, TKey::keyKindC}, {false, TKey::keyKindF},
                        {false, TKey::keyKindF}, {true, TKey::keyKindC},  {true, TKey::keyKindG}};
  for (const Step& step : steps) {
    step.up ? score.unit.KeyKindUp() : score.unit.KeyKindDown();
    EXPECT_EQ(score.key->GetKeyKind(), step.kind);
    EXPECT_TRUE(score.unit.IsKeyKind(step.kind));
    EXPECT_EQ(score.key->GetNoteShift(score.key->PitchToHeight(3)), noteShiftKruis);  // F
    EXPECT_EQ(score.Scale(), 1);
  }
  EXPECT_EQ(score.c->GetPitch(), 0);
  EXPECT_EQ(score.e->GetPitch(), 2);
  score.unit.SetUnitMuzMode(unitMuzAdd);
  score.unit.SetKeyKind(TKey::keyKindF);
  EXPECT_EQ(score.unit.GetInsertKind(), insertModeKey);
  EXPECT_TRUE(score.unit.IsKeyKind(TKey::keyKindF));
  score.unit.SetUnitMuzMode(unitMuzDel);
  EXPECT_FALSE(score.unit.CanSetKeyKind() || score.unit.CanChangeNoteShift(noteShiftKruis));
}

TEST(UnitMuzKeys, StepMovesSkipTheChordsPitchesAndStopAtTheRange) {
  KeyScore score;
  score.unit.SetSelectedSymbol(score.c);
  score.unit.MoveUp();
  EXPECT_EQ(score.c->GetPitch(), 1);
  score.unit.MoveUp();
  EXPECT_EQ(score.c->GetPitch(), 3);  // E is taken
  EXPECT_EQ(score.c->GetNext(), score.e);  // the chord is listed higher first
  EXPECT_EQ(score.waves.main.played.size(), 2u);
  EXPECT_EQ(score.unit.GetState(), kUnitStateModified);

  struct Case {
    int32_t pitch;
    bool up, down, octUp, octDown;
  };
  const Case cases[] = {{43, false, true, false, true},  {-43, true, false, true, false},
                        {37, true, true, false, true},   {36, true, true, true, true},
                        {-5, true, true, false, true}};  // -5 + 7 = 2 is E's
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pitch);
    score.c->SetPitch(c.pitch);
    EXPECT_EQ(score.unit.CanMoveUp(), c.up);
    EXPECT_EQ(score.unit.CanMoveDown(), c.down);
    EXPECT_EQ(score.unit.CanMoveOctUp(), c.octUp);
    EXPECT_EQ(score.unit.CanMoveOctDown(), c.octDown);
  }
  score.c->SetPitch(36);
  score.unit.MoveOctUp();
  EXPECT_EQ(score.c->GetPitch(), 43);
  for (uint8_t mode : {unitMuzAdd, unitMuzDel}) {
    score.unit.SetUnitMuzMode(mode);
    EXPECT_FALSE(score.unit.CanMoveDown() || score.unit.CanMoveOctDown());
  }
}

TEST(UnitMuzKeys, KeyOctavesStayWithinTwoAndLeaveThePitches) {
  KeyScore score;
  auto* rest = new TSilence(4, 0, 0.25, score.stave, sool, 0, score.single);
  score.single->InsertSymbol(rest);
  score.unit.SetSelectedSymbol(rest);
  EXPECT_FALSE(score.unit.CanMoveOctUp() || score.unit.CanMoveUp() || score.unit.CanMoveDown());
  score.unit.SetSelectedSymbol(score.key);
  const std::vector<std::pair<bool, int32_t>> moves = {{true, 1}, {true, 2}, {false, 1}, {false, 0},
                                                       {false, -1}, {false, -2}};
  for (auto [up, octaves] : moves) {
    up ? score.unit.MoveOctUp() : score.unit.MoveOctDown();
    EXPECT_EQ(score.key->GetOctavesUp(), octaves);
    EXPECT_EQ(score.unit.CanMoveOctUp(), octaves < 2);
    EXPECT_EQ(score.unit.CanMoveOctDown(), octaves > -2);
  }
  EXPECT_EQ(score.key->GetKeyKind(), TKey::keyKindG);
  EXPECT_EQ(score.c->GetPitch(), 0);
  EXPECT_EQ(score.key->PitchToHeight(0), -6 + 14);  // drawn two octaves higher on the stave
}

}  // namespace
