#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

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
    unit.SetSelectedSymbol(key);
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
  } const cases[] = {
      {0, noteShiftKruis, true, 1},  {0, noteShiftMol, true, -1},         {-3, noteShiftKruis, true, -2},
      {7, noteShiftKruis, false, 7},       {7, noteShiftMol, true, 6},
      {-7, noteShiftMol, false, -7}, {2, noteShiftDubbelKruis, false, 2}, {2, noteShiftNormal, false, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " kind " << int(c.kind));
    KeyScore score;
    for (int32_t i = 0; i < std::abs(c.start); ++i)
      score.unit.ChangeNoteShift(c.start > 0 ? noteShiftKruis : noteShiftMol);
    ASSERT_EQ(score.Scale(), c.start);
    EXPECT_EQ(score.unit.CanChangeNoteShift(c.kind), c.enabled);
    if (c.enabled) score.unit.ChangeNoteShift(c.kind);
    EXPECT_EQ(score.Scale(), c.scale);
    EXPECT_EQ(score.unit.GetState(), c.start != 0 || c.enabled ? kUnitStateModified : kUnitStateSaved);
  }
}

TEST(UnitMuzKeys, MouseAccidentalsFollowTheCurrentKindAndAMixedSignatureStopsTheSteps) {
  KeyScore score;
  score.unit.SetUnitMuzMode(unitMuzAdd);
  // On a G key F sits at height 4, B at height 0; a double sharp is no key's.
  const std::tuple<uint8_t, TStaveSymbol*, int32_t> presses[] = {{noteShiftKruis, score.key, 4},
                                                                 {noteShiftDubbelKruis, score.key, 0},
                                                                 {noteShiftMol, score.key, 0},
                                                                 {noteShiftDubbelMol, score.c, 0}};
  for (auto [kind, symbol, height] : presses) {
    score.unit.ChangeNoteShift(kind);
    EXPECT_TRUE(score.unit.IsNoteShift(kind) && score.unit.GetInsertKind() == insertModeKeyNoteShift);
    score.unit.AddKeyNoteShift(symbol, height);
  }
  EXPECT_EQ(score.key->GetNoteShift(4), noteShiftKruis);
  EXPECT_EQ(score.key->GetNoteShift(0), noteShiftMol);
  EXPECT_EQ(score.c->GetNoteShift(), noteShiftDubbelMol);
  EXPECT_TRUE(score.view.calls.empty());  // the window redraws after a press, not the command
  score.unit.SetUnitMuzMode(unitMuzSel);
  EXPECT_FALSE(score.unit.CanChangeNoteShift(noteShiftKruis) || score.unit.CanChangeNoteShift(noteShiftMol));
  score.unit.SetUnitMuzMode(unitMuzDel);
  EXPECT_FALSE(score.unit.CanSetKeyKind() || score.unit.CanChangeNoteShift(noteShiftNormal));
}

TEST(UnitMuzKeys, ClefChangesKeepTheSignatureOnItsNotesAndThePitches) {
  KeyScore score;
  score.unit.ChangeNoteShift(noteShiftKruis);  // F sharp on the G clef
  const std::pair<bool, int8_t> steps[] = {
      {true, TKey::keyKindG}, {false, TKey::keyKindC}, {false, TKey::keyKindF}, {false, TKey::keyKindF},
      {true, TKey::keyKindC}};
  for (auto [up, kind] : steps) {
    up ? score.unit.KeyKindUp() : score.unit.KeyKindDown();
    EXPECT_TRUE(score.key->GetKeyKind() == kind && score.unit.IsKeyKind(kind));
    EXPECT_EQ(score.key->GetNoteShift(score.key->PitchToHeight(3)), noteShiftKruis);  // F
    EXPECT_EQ(score.Scale(), 1);
  }
  EXPECT_EQ(score.c->GetPitch() + score.e->GetPitch(), 2);
  score.unit.SetUnitMuzMode(unitMuzAdd);
  score.unit.SetKeyKind(TKey::keyKindF);
  EXPECT_TRUE(score.unit.GetInsertKind() == insertModeKey && score.unit.IsKeyKind(TKey::keyKindF));
}

TEST(UnitMuzKeys, StepMovesSkipTheChordsPitchesAndStopAtTheRange) {
  KeyScore score;
  score.unit.SetSelectedSymbol(score.c);
  score.unit.MoveUp();
  score.unit.MoveUp();
  EXPECT_EQ(score.c->GetPitch(), 3);       // D, then F past E
  EXPECT_EQ(score.c->GetNext(), score.e);  // the chord is listed higher first
  EXPECT_EQ(score.waves.main.played.size(), 2u);
  struct Case {
    TStaveSymbol* symbol;
    int32_t pitch;  // or the key's octaves
    bool up, down, octUp, octDown;
  } const cases[] = {{score.c, 43, false, true, false, true},   {score.c, -43, true, false, true, false},
                     {score.c, 37, true, true, false, true},    {score.c, 36, true, true, true, true},
                     {score.c, -5, true, true, false, true},  // -5 + 7 is E's
                     {score.key, 2, false, false, false, true}, {score.key, -2, false, false, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pitch);
    score.unit.SetSelectedSymbol(c.symbol);
    c.symbol == score.c ? score.c->SetPitch(c.pitch) : score.key->SetOctavesUp(c.pitch);
    EXPECT_EQ(std::tuple(score.unit.CanMoveUp(), score.unit.CanMoveDown(), score.unit.CanMoveOctUp(),
                         score.unit.CanMoveOctDown()),
              std::tuple(c.up, c.down, c.octUp, c.octDown));
  }
  score.unit.MoveOctUp();  // the key, from -2
  EXPECT_TRUE(score.key->GetOctavesUp() == -1 && score.key->GetKeyKind() == TKey::keyKindG);
  EXPECT_EQ(score.c->GetPitch(), -5);  // the notes keep their pitches
  score.unit.SetSelectedSymbol(score.c);
  score.c->SetPitch(36);
  score.unit.MoveOctUp();
  EXPECT_EQ(score.c->GetPitch(), 43);
  score.unit.SetUnitMuzMode(unitMuzAdd);
  EXPECT_FALSE(score.unit.CanMoveDown() || score.unit.CanMoveOctDown());
}

}  // namespace
