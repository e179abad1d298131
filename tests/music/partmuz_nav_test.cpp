#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "tests/music/score_builder.h"

namespace {

// One arrow key: the symbol's own part answers, a repeat sign's loop for its signs.
TXTouchMuzSymbol* Step(TXTouchMuzSymbol* symbol, const TNoteStave* stave, bool forward) {
  if (symbol->GetMuzSymbolKind() == muzSymbolLoop) {
    TLoopPartMuz* loop = static_cast<TLoopPartSymbol*>(symbol)->GetLoopPart();
    return forward ? loop->GetSymbolAfter(stave, symbol) : loop->GetSymbolBefore(stave, symbol);
  }
  TSinglePartMuz* single = symbol->GetMuzSymbolKind() == muzSymbolBar
                               ? static_cast<TMuzBar*>(symbol)->GetSinglePartMuz()
                               : static_cast<TStaveSymbol*>(symbol)->GetSinglePartMuz();
  return forward ? single->GetNextSymbol(stave, symbol) : single->GetPrevSymbol(stave, symbol);
}

std::vector<TXTouchMuzSymbol*> Walk(TXTouchMuzSymbol* from, const TNoteStave* stave, bool forward) {
  std::vector<TXTouchMuzSymbol*> visited;
  for (TXTouchMuzSymbol* symbol = from; symbol && visited.size() < 5000; symbol = Step(symbol, stave, forward))
    visited.push_back(symbol);
  return visited;
}

TMuzNote* NoteOn(ScoreBuilder& score, TNoteStave* stave, TSinglePartMuz* single, double position, int32_t pitch,
                 int8_t multiOol = sool, int32_t posInOol = 0) {
  auto* note = new TMuzNote(&score.unit, stave->GetStartNoteGroup(), 8, 0, position, pitch, stave, noteShiftNormal,
                            multiOol, posInOol, noteArtNormal, single, drawStickAuto);
  single->InsertSymbol(note);
  return note;
}

TEST(PartMuzNav, LoopedPartReadsSignKeyBarNotesSignWithChordsAsOneStep) {
  ScoreBuilder score;
  TSinglePartMuz* a = score.Single();
  TMuzNote* lone = score.Note(a, 0.0, 4, 0);
  std::vector<TMuzNote*> chord = {score.Note(a, 0.25, 4, 0), score.Note(a, 0.25, 4, 4), score.Note(a, 0.25, 4, 2)};
  TMuzNote* slot0 = NoteOn(score, score.stave, a, 0.5, 1, triool, 0);
  TMuzNote* slot1 = NoteOn(score, score.stave, a, 0.5, 1, triool, 1);
  TLoopPartMuz* loop = score.Loop(2, a);
  TPartMuz* root = score.Root(loop);
  TXTouchMuzSymbol* key = a->GetStartStaveSymbol();
  const std::vector<TXTouchMuzSymbol*> expected = {loop->GetLeftLoopSymbol(), key, a->GetMuzBar(), lone, chord[2],
                                                   slot0, slot1, loop->GetRightLoopSymbol()};
  EXPECT_EQ(Walk(root->GetFirstSymbol(score.stave), score.stave, true), expected);
  EXPECT_EQ(root->GetLastSymbol(score.stave), loop->GetRightLoopSymbol());
  for (TMuzNote* member : chord) {
    EXPECT_EQ(Step(member, score.stave, true), slot0);
    EXPECT_EQ(Step(member, score.stave, false), lone);
  }
  EXPECT_EQ(Step(lone, score.stave, false), a->GetMuzBar());
  EXPECT_EQ(Step(a->GetMuzBar(), score.stave, false), key);
  EXPECT_EQ(Step(key, score.stave, false), loop->GetLeftLoopSymbol());
  EXPECT_EQ(Step(loop->GetLeftLoopSymbol(), score.stave, false), nullptr);
}

TEST(PartMuzNav, ChordIsEnteredAtItsMiddleOrUpperMiddleNote) {
  struct Case {
    std::vector<int32_t> pitches;
    int32_t middlePitch;
  };
  const Case cases[] = {{{0}, 0}, {{4, 2, 0}, 2}, {{3, 1}, 3}, {{5, 3, 1, -1}, 3}, {{9, 7, 5, 3, 1}, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pitches.size() << " notes");
    ScoreBuilder score;
    TNoteStave* other = score.unit.AddDefaultStave(score.stave);
    TSinglePartMuz* single = score.Single();
    score.Root(single);
    std::vector<TMuzNote*> notes;
    for (int32_t pitch : c.pitches) {
      notes.push_back(score.Note(single, 0.5, 4, pitch));
      NoteOn(score, other, single, 0.5, pitch + 1);  // the other stave's notes interleave
    }
    for (TMuzNote* note : notes) EXPECT_EQ(single->GetChordNote(score.stave, note)->GetPitch(), c.middlePitch);
    EXPECT_EQ(single->GetLastSymbolOnStave(score.stave), single->GetChordNote(score.stave, notes[0]));
    EXPECT_EQ(single->GetLastSymbolOnStave(other)->GetMuzSymbolKind(), muzSymbolStave);
  }
  ScoreBuilder bare;
  TSinglePartMuz* keyOnly = bare.Single();
  EXPECT_EQ(keyOnly->GetLastSymbolOnStave(bare.stave), keyOnly->GetMuzBar());
}

// Random trees of loops, selects and concatenations over parts with single notes, chords, tuplet
// slots, rests and a second stave's notes in between.
struct TreeGenerator {
  ScoreBuilder& score;
  TNoteStave* other;
  std::mt19937 rng;

  int32_t Below(int32_t n) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(n)); }
  TSinglePartMuz* Single() {
    TSinglePartMuz* single = score.Single();
    const int32_t count = Below(5);
    for (int32_t i = 0; i < count; ++i) {
      const double position = 0.25 * i;
      const int32_t shape = Below(4);
      if (shape == 0) NoteOn(score, score.stave, single, position, Below(20) - 10);
      if (shape == 1)
        for (int32_t pitch = Below(3), n = 2 + Below(3); n > 0; --n, pitch += 2)
          NoteOn(score, score.stave, single, position, pitch);
      if (shape == 2)
        for (int32_t slot = 0; slot < 3; ++slot) NoteOn(score, score.stave, single, position, slot, triool, slot);
      if (shape == 3)
        single->InsertSymbol(new TSilence(4, 0, position, score.stave, sool, 0, single));
      if (Below(2) == 0) NoteOn(score, other, single, position, Below(10));
    }
    return single;
  }
  TPartMuz* Part(int32_t depth) {
    if (depth == 0 || Below(4) == 0) return Single();
    switch (Below(3)) {
      case 0:
        return score.Loop(2, Part(depth - 1));
      case 1:
        return score.Select(Part(depth - 1), {1});
      default:
        return score.Concat(Part(depth - 1), Part(depth - 1));
    }
  }
};

TEST(PartMuzNav, WalkBackVisitsTheWalkForwardInReverseAndEveryChordOnce) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    ScoreBuilder score;
    TreeGenerator generator{score, score.unit.AddDefaultStave(score.stave), std::mt19937(seed)};
    TPartMuz* root = score.Root(generator.Part(4));
    std::vector<TXTouchMuzSymbol*> forward = Walk(root->GetFirstSymbol(score.stave), score.stave, true);
    std::vector<TXTouchMuzSymbol*> backward = Walk(root->GetLastSymbol(score.stave), score.stave, false);
    std::reverse(backward.begin(), backward.end());
    ASSERT_EQ(forward, backward);
    const std::set<TXTouchMuzSymbol*> visited(forward.begin(), forward.end());
    EXPECT_EQ(visited.size(), forward.size());
    // Every symbol of the stave is visited, or a note whose chord was visited through another one.
    for (TSinglePartMuz* single = root->GetFirstSinglePart(); single; single = single->GetNextSinglePart()) {
      EXPECT_TRUE(visited.count(single->GetMuzBar()));
      for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
        if (symbol->GetNoteStave() != score.stave || visited.count(symbol)) continue;
        const auto sameChord = [symbol](TXTouchMuzSymbol* seen) {
          const TMuzNote* note = seen->GetMuzSymbolKind() == muzSymbolStave ? static_cast<TStaveSymbol*>(seen)->AsNote()
                                                                             : nullptr;
          return note && symbol->AsNote() && note->GetSinglePartMuz() == symbol->GetSinglePartMuz() &&
                 note->GetSymbolPosition() == symbol->GetSymbolPosition() &&
                 note->GetPosInOol() == symbol->AsNote()->GetPosInOol();
        };
        EXPECT_EQ(std::count_if(forward.begin(), forward.end(), sameChord), 1);
      }
    }
  }
}

TEST(PartMuzNav, StepsClimbTreesFarDeeperThanTheStack) {
  ScoreBuilder score;
  TSinglePartMuz* single = score.Single();
  TPartMuz* top = single;
  for (int level = 0; level < 100000; ++level)
    top = level % 2 ? static_cast<TPartMuz*>(score.Select(top, {1})) : score.Concat(top, nullptr);
  TPartMuz* root = score.Root(top);
  EXPECT_EQ(root->GetFirstSymbol(score.stave), single->GetStartStaveSymbol());
  EXPECT_EQ(root->GetLastSymbol(score.stave), single->GetMuzBar());
  EXPECT_EQ(Step(single->GetMuzBar(), score.stave, true), nullptr);
  EXPECT_EQ(Step(single->GetStartStaveSymbol(), score.stave, false), nullptr);
}

}  // namespace
