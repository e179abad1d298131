#include "music/stavelayout.h"

#include <gtest/gtest.h>

#include <vector>

#include "fakes/recording_canvas.h"
#include "score_builder.h"

namespace {

struct Laid {
  ScoreBuilder b;
  TSinglePartMuz* single = b.Single();
  TKey* key = single->GetStartStaveSymbol()->AsKey();
  RecordingCanvas canvas;

  Laid() {
    b.group->SetStickKind(drawStickAuto);
    b.stave->StartLayout(100, 0);
    b.stave->SetKey(key);
  }
  ~Laid() { delete single; }
  TMuzNote* Add(double position, int8_t kind, int32_t points, int32_t height, uint8_t shift = noteShiftNormal) {
    auto* note = new TMuzNote(&b.unit, b.group, kind, points, position, key->HeightToPitch(height), b.stave, shift,
                              sool, 0, noteArtNormal, single, drawStickAuto);
    single->InsertSymbol(note);
    b.stave->AddNoteToLayout(note, false);
    return note;
  }
  // Lays out up to t and answers the chords laid out, in time order.
  std::vector<TDrawXNotesItem> Layout(double t) {
    int32_t x = 0;
    b.stave->LayoutSymbols(t, canvas, b.stave->GetDrawX(), x);
    b.stave->SetDrawX(x);
    std::vector<TDrawXNotesItem> chords;
    for (const auto& list : b.stave->GetLayout()->LastChords) chords.insert(chords.end(), list.begin(), list.end());
    std::stable_sort(chords.begin(), chords.end(), [](const auto& l, const auto& r) { return l.Time < r.Time; });
    return chords;
  }
};

struct Piece {
  double time;
  int32_t kind;
  int32_t points;
};

TEST(StaveLayout, NotesAcrossTheBarBecomeTiedDrawableValues) {
  struct Case {
    double position;
    int8_t kind;
    int32_t points;
    std::vector<Piece> pieces;  // before the bar, then after it
  } cases[] = {
      {0.5, 2, 1, {{0.5, 2, 0}, {1.0, 4, 0}}},                          // dotted half two beats before the bar
      {0.6875, 2, 0, {{0.6875, 4, 0}, {0.9375, 16, 0}, {1.0, 8, 1}}},  // 5/16 before the bar, 3/16 after
      {0.25, 4, 0, {{0.25, 4, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    Laid l;
    l.Add(c.position, c.kind, c.points, 0);
    std::vector<TDrawXNotesItem> all = l.Layout(1.0);
    const std::vector<TDrawXNotesItem> after = l.Layout(2.0);
    all.insert(all.end(), after.begin(), after.end());
    const std::vector<Piece>& expected = c.pieces;
    ASSERT_EQ(all.size(), expected.size());
    for (size_t i = 0; i < all.size(); ++i) {
      EXPECT_DOUBLE_EQ(all[i].Time, expected[i].time);
      EXPECT_EQ(all[i].Length.NoteLengthKind, expected[i].kind);
      EXPECT_EQ(all[i].Length.Points, expected[i].points);
      EXPECT_EQ(all[i].SlurBegin, i + 1 < all.size());
      EXPECT_EQ(all[i].SlurEnd, i > 0);
    }
  }
}

TEST(StaveLayout, AnAccidentalIsShownOncePerBarAndTheKeyReturnsAfterIt) {
  struct Case {
    double position;
    int32_t height;
    uint8_t shift, shown;
  } cases[] = {
      {0.0, 0, noteShiftKruis, noteShiftKruis},   {0.25, 0, noteShiftKruis, noteShiftNone},
      {0.5, 7, noteShiftKruis, noteShiftNone},    // the same step an octave up
      {0.75, 0, noteShiftNormal, noteShiftNormal}, {1.0, 0, noteShiftKruis, noteShiftKruis},
      {1.25, 1, noteShiftNormal, noteShiftNone},
  };
  Laid l;
  for (const Case& c : cases) l.Add(c.position, 4, 0, c.height, c.shift);
  std::vector<TDrawXNotesItem> chords = l.Layout(1.0);
  l.b.stave->CarryNoteShifts();
  const std::vector<TDrawXNotesItem> second = l.Layout(2.0);
  chords.insert(chords.end(), second.begin(), second.end());
  ASSERT_EQ(chords.size(), std::size(cases));
  for (size_t i = 0; i < chords.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(chords[i].Notes.at(0).ShownShift, cases[i].shown);
  }
}

TEST(StaveLayout, SecondsDisplaceEveryOtherHead) {
  struct Case {
    std::vector<int32_t> heights;
    std::vector<bool> displaced;  // in entry order
  } cases[] = {{{0, 1}, {false, true}}, {{2, 1, 0}, {false, true, false}}, {{0, 2}, {false, false}}};
  for (const Case& c : cases) {
    Laid l;
    for (int32_t h : c.heights) l.Add(0.0, 4, 0, h);
    const std::vector<TDrawXNotesItem> chords = l.Layout(1.0);
    ASSERT_EQ(chords.size(), 1u);
    for (size_t i = 0; i < c.heights.size(); ++i) EXPECT_EQ(chords[0].Notes[i].Displaced, c.displaced[i]) << i;
  }
}

TEST(StaveLayout, AutomaticSticksFollowTheSumOfLowestAndHighestHead) {
  struct Case {
    int32_t first, second;
    uint8_t stick;
  } cases[] = {{-4, 2, drawStickUp}, {-1, 1, drawStickDown}, {0, 0, drawStickDown}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    Laid l;
    l.Add(0.0, 8, 0, c.first);
    l.Add(0.125, 8, 0, c.second);
    for (const TDrawXNotesItem& chord : l.Layout(1.0)) EXPECT_EQ(chord.DrawStickKind, c.stick);
  }
}

TEST(StaveLayout, EighthsShareOneBeamLineJoinedOrNot) {
  struct Case {
    uint8_t join;
    std::vector<int32_t> heights;
    std::vector<bool> starts, ends;
    std::vector<int32_t> stickEnds;
  } cases[] = {
      {drawFlagJoin, {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}, {33, 33, 33, 33}},
      {drawFlagSeparate, {0, 0, 0, 0}, {1, 1, 1, 1}, {1, 1, 1, 1}, {33, 33, 33, 33}},
      // Falling stick ends: the line runs through the first and the last, every stick reaching it.
      {drawFlagJoin, {0, 2, 4, 6}, {1, 0, 0, 0}, {0, 0, 0, 1}, {33, 23, 13, 3}},
  };
  for (const Case& c : cases) {
    Laid l;
    l.b.stave->SetAllowJoinFlags(c.join);
    for (size_t i = 0; i < c.heights.size(); ++i) l.Add(0.125 * i, 8, 0, c.heights[i]);
    const std::vector<TDrawXNotesItem> chords = l.Layout(1.0);
    ASSERT_EQ(chords.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(chords[i].BeamStart, c.starts[i]);
      EXPECT_EQ(chords[i].BeamEnd, c.ends[i]);
      EXPECT_EQ(chords[i].StickEnd, c.stickEnds[i]);
    }
  }
}

TEST(StaveLayout, StartingAgainDropsWhatWasPending) {
  Laid l;
  l.Add(0.0, 4, 0, 0);
  l.Add(1.5, 4, 0, 0);
  l.Layout(1.0);
  EXPECT_TRUE(l.b.stave->HasLayout());
  l.b.stave->StartLayout(100, 0);
  EXPECT_FALSE(l.b.stave->HasLayout());
  EXPECT_EQ(l.b.stave->GetKey(), nullptr);
}

}  // namespace
