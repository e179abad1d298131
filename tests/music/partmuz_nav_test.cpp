#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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
  TMuzNote* upperMiddle = score.Note(a, 0.75, 4, 3);  // of an even chord
  score.Note(a, 0.75, 4, 1);
  TLoopPartMuz* loop = score.Loop(2, a);
  TPartMuz* root = score.Root(loop);
  TXTouchMuzSymbol* left = loop->GetLeftLoopSymbol();
  TXTouchMuzSymbol* right = loop->GetRightLoopSymbol();
  // Loop signs, start key, bar, notes with chords entered at their middle, then nothing.
  EXPECT_EQ(Walk(root->GetFirstSymbol(score.stave), score.stave, true),
            (std::vector<TXTouchMuzSymbol*>{left, a->GetStartStaveSymbol(), a->GetMuzBar(), lone, chord[2], slot0,
                                            slot1, upperMiddle, right}));
  for (TMuzNote* member : chord) {
    EXPECT_EQ(Step(member, score.stave, true), slot0);
    EXPECT_EQ(Step(member, score.stave, false), lone);
  }
  TSinglePartMuz* keyOnly = score.Single();
  EXPECT_EQ(keyOnly->GetLastSymbolOnStave(score.stave), keyOnly->GetMuzBar());
  delete keyOnly;
}

// Random trees of loops, selects and concatenations over parts with notes, chords, tuplet slots,
// rests and a second stave's notes in between.
TPartMuz* RandomPart(ScoreBuilder& score, TNoteStave* other, std::mt19937& rng, int32_t depth) {
  const auto below = [&rng](uint32_t n) { return static_cast<int32_t>(rng() % n); };
  if (depth > 0 && below(4) != 0) {
    TPartMuz* child = RandomPart(score, other, rng, depth - 1);
    if (below(3) == 0) return score.Loop(2, child);
    if (below(2) == 0) return score.Select(child, {1});
    return score.Concat(child, RandomPart(score, other, rng, depth - 1));
  }
  TSinglePartMuz* single = score.Single();
  for (int32_t i = below(5); i > 0; --i) {
    const double position = 0.25 * i;
    const int32_t shape = below(4);
    for (int32_t n = shape == 0   ? 1
                     : shape == 1 ? 2 + below(3)
                                  : 3,
                 pitch = below(20) - 10, slot = 0;
         shape < 3 && n > 0; --n)
      NoteOn(score, score.stave, single, position, pitch += 2, shape == 2 ? triool : sool, shape == 2 ? slot++ : 0);
    if (shape == 3) single->InsertSymbol(new TSilence(4, 0, position, score.stave, sool, 0, single));
    if (below(2) == 0) NoteOn(score, other, single, position, below(10));
  }
  return single;
}

TEST(PartMuzNav, WalkBackVisitsTheWalkForwardInReverseAndEveryChordOnce) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    ScoreBuilder score;
    std::mt19937 rng(seed);
    TPartMuz* root = score.Root(RandomPart(score, score.unit.AddDefaultStave(score.stave), rng, 4));
    std::vector<TXTouchMuzSymbol*> forward = Walk(root->GetFirstSymbol(score.stave), score.stave, true);
    std::vector<TXTouchMuzSymbol*> backward = Walk(root->GetLastSymbol(score.stave), score.stave, false);
    std::reverse(backward.begin(), backward.end());
    ASSERT_EQ(forward, backward);
    // Every symbol of the stave is met once, a note through its chord's one step.
    const auto stepOf = [&](TStaveSymbol* symbol) {
      TMuzNote* note = symbol->AsNote();
      return note ? symbol->GetSinglePartMuz()->GetChordNote(score.stave, note) : symbol;
    };
    for (TSinglePartMuz* single = root->GetFirstSinglePart(); single; single = single->GetNextSinglePart()) {
      EXPECT_EQ(std::count(forward.begin(), forward.end(), single->GetMuzBar()), 1);
      for (TStaveSymbol* symbol = single->GetFirstSymbolOnStave(score.stave); symbol;
           symbol = single->GetNextSymbolOnStave(score.stave, symbol)) {
        EXPECT_EQ(std::count(forward.begin(), forward.end(), stepOf(symbol)), 1);
        if (TMuzNote* note = symbol->AsNote()) {
          EXPECT_NE(Step(note, score.stave, true), stepOf(symbol));
        }
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
  EXPECT_EQ(score.Root(top)->GetLastSymbol(score.stave), single->GetMuzBar());
  EXPECT_EQ(Step(single->GetMuzBar(), score.stave, true), nullptr);
  EXPECT_EQ(Step(single->GetStartStaveSymbol(), score.stave, false), nullptr);
}

}  // namespace
