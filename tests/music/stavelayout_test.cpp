#include "music/stavelayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "fakes/recording_canvas.h"
#include "music/glyphs.h"
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
  TMuzNote* Add(double position, int8_t kind, int32_t points, int32_t height, uint8_t shift = noteShiftNormal,
                uint8_t stick = drawStickAuto) {
    auto* note = new TMuzNote(&b.unit, b.group, kind, points, position, key->HeightToPitch(height), b.stave, shift,
                              sool, 0, noteArtNormal, single, stick);
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

TEST(StaveLayout, TiesAreDrawnAfterEveryChordAndRest) {
  // A half note 5/16 before the bar becomes a quarter tied to a sixteenth; chords of other lists
  // and a quarter rest lie under that tie.
  struct Case {
    uint8_t tiedStick;
    std::vector<uint8_t> laterSticks;  // sixteenths from 0.75 on, one per stick kind
    bool rest;
  } cases[] = {
      {drawStickUp, {drawStickDown}, false},
      {drawStickUp, {drawStickAuto}, true},
      {drawStickDown, {drawStickAuto, drawStickUp}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.laterSticks.size());
    Laid l;
    l.Add(0.6875, 2, 0, -2, noteShiftNormal, c.tiedStick);
    for (size_t i = 0; i < c.laterSticks.size(); ++i) {
      l.Add(0.75 + 0.0625 * i, 16, 0, 0, noteShiftNormal, c.laterSticks[i]);
    }
    if (c.rest) {
      auto* rest = new TSilence(4, 0, 0.75, l.b.stave, sool, 0, l.single);
      l.single->InsertSymbol(rest);
      l.b.stave->AddSilenceToLayout(rest, false);
    }
    l.Layout(1.0);
    // Ties are the only many-pointed polygons, the quarter rest the only one of ten points.
    std::vector<int> phases;
    for (const CanvasCall& call : l.canvas.calls) {
      const size_t points = call.kind == CanvasCall::Polygon ? call.points.size() : 0;
      phases.push_back(points > 14 ? 2 : points == 10 ? 1 : 0);
    }
    EXPECT_EQ(std::count(phases.begin(), phases.end(), 2), 1);
    EXPECT_EQ(std::count(phases.begin(), phases.end(), 1), c.rest ? 1 : 0);
    EXPECT_TRUE(std::is_sorted(phases.begin(), phases.end()));
  }
}

// The stave's centre line lies at y 100 in Laid; answers y relative to it.
struct Drawn {
  std::vector<CanvasCall> lines, flags;
  int32_t stickTip = 0;  // the stick's far end; 0 when there is none
};

Drawn LayOut(std::initializer_list<Piece> pieces, int32_t height) {
  Laid l;
  for (const Piece& p : pieces) l.Add(p.time, static_cast<int8_t>(p.kind), p.points, height);
  l.Layout(1.0);
  Drawn d{l.canvas.Of(CanvasCall::Line), l.canvas.Of(CanvasCall::Polygon)};
  for (const CanvasCall& line : d.lines)
    if (line.box[0] == line.box[2]) d.stickTip = line.box[3] - 100;
  return d;
}

TEST(StaveLayout, StickEndsAndGlyphAdvancesKeepTheirMeasures) {
  const auto single = [](int32_t kind, int32_t height) { return LayOut({{0.0, kind, 0}}, height); };
  const auto chordOf = [](int32_t kind, int32_t height) {
    Laid l;
    l.Add(0.0, static_cast<int8_t>(kind), 0, height);
    return l.Layout(1.0).front();
  };
  const auto flagGap = [](const Drawn& d) { return d.flags.at(1).points[0].y - d.flags.at(0).points[0].y; };
  const auto ledgerYs = [](const Drawn& d) {
    std::vector<int32_t> ys;
    for (const CanvasCall& line : d.lines)
      if (line.box[1] == line.box[3] && line.box[2] - line.box[0] < 40) ys.push_back(line.box[1] - 100);
    return ys;
  };
  const auto keyOfThreeFlats = [](bool next) {
    TNoteStave stave;
    TKey key(nullptr, TKey::keyKindF, 0, 0, &stave, 1, nullptr);
    for (int32_t k = 0; k < 3; ++k) key.SetNoteShift(key.GetShiftHeight(noteShiftMol, k), noteShiftMol);
    RecordingCanvas canvas;
    int32_t nextX = 0, rangeRight = 0;
    DrawKey(canvas, key, 50, GlyphStave{100}, nextX, rangeRight, false);
    return (next ? nextX : rangeRight) - 50;
  };
  const auto loopNumbers = [](int32_t count) {
    RecordingCanvas canvas;
    DrawLoopSignOnStave(canvas, count, loopSideRight, 50, GlyphStave{100}, false);
    return static_cast<int32_t>(canvas.Of(CanvasCall::Text).size());
  };
  struct Row {
    const char* what;
    std::function<int32_t()> measured;
    int32_t expected;
  };
  const Row rows[] = {
      // Stick ends and beam lines of an unbeamed chord: 32 and 35 beyond its extreme head.
      {"eighth: stick end under a down stick", [&] { return chordOf(8, 2).StickEnd; }, 22},
      {"eighth: beam line under a down stick", [&] { return chordOf(8, 2).BeamLineY; }, 25},
      {"eighth: stick end over an up stick", [&] { return chordOf(8, -2).StickEnd; }, -22},
      {"eighth: beam line over an up stick", [&] { return chordOf(8, -2).BeamLineY; }, -25},
      // A stick of a quarter or a half runs 34 beyond the head; of an eighth or shorter, to the beam
      // line, while its flag hangs from the stick end.
      {"half note's stick, up", [&] { return single(2, -2).stickTip; }, 10 - 34},
      {"quarter's stick, down", [&] { return single(4, 2).stickTip; }, -10 + 34},
      {"whole note: no stick", [&] { return single(1, 0).stickTip; }, 0},
      {"eighth's stick, up", [&] { return single(8, -2).stickTip; }, -25},
      {"eighth's stick, down", [&] { return single(8, 2).stickTip; }, 25},
      {"sixteenth's stick, down", [&] { return single(16, 2).stickTip; }, 25},
      {"eighth's flag starts at the stick end", [&] { return single(8, -2).flags.at(0).points[0].y - 100; }, -22},
      {"single sixteenth: flags 6 apart", [&] { return flagGap(single(16, -2)); }, 6},
      {"beamed sixteenths: 2 beams of 5 lines",
       [&] { return static_cast<int32_t>(LayOut({{0, 16, 0}, {0.0625, 16, 0}}, -2).lines.size()) - 2; }, 10},
      {"beamed sixteenths: beams 7 apart",
       [&] {
         std::vector<int32_t> ys;
         for (const CanvasCall& line : LayOut({{0, 16, 0}, {0.0625, 16, 0}}, -2).lines)
           if (line.box[0] != line.box[2]) ys.push_back(line.box[1]);
         std::sort(ys.begin(), ys.end());
         return ys.size() == 10 ? ys[5] - ys[0] : -1;
       },
       7},
      {"height 8: ledger lines at 30 and 40 above",
       [&] { return static_cast<int32_t>(ledgerYs(single(4, 8)) == std::vector<int32_t>{-30, -40}); }, 1},
      // Glyph advances.
      {"12/8 time signature", [] { return TimeSignatureAdvance(12, 8); }, 39},
      {"3/4 time signature", [] { return TimeSignatureAdvance(3, 4); }, 21},
      {"three flats under an F clef end", [&] { return keyOfThreeFlats(false); }, 27 + 3 + 36},
      {"three flats under an F clef: next symbol", [&] { return keyOfThreeFlats(true); }, 27 + 3 + 36 + 2},
      {"loop of 2: sign", [] { return LoopSignWidth(2); }, 13},
      {"loop of 2: no number", [&] { return loopNumbers(2); }, 0},
      {"loop of 3: number", [&] { return loopNumbers(3); }, 1},
      {"loop of 12: widest sign", [] { return LoopSignWidth(12); }, 40},
      {"dotted whole rest", [] { return SilenceWidth(1, 1); }, 26},
      {"sixty-fourth rest", [] { return SilenceWidth(64, 0); }, 29},
      {"double flat", [] { return TNoteShift::GetWidth(noteShiftDubbelMol); }, 24},
  };
  for (const Row& row : rows) EXPECT_EQ(row.measured(), row.expected) << row.what;
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
