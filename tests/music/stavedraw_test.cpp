#include "music/stavedraw.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/assertion.h"
#include "music/fakes/recording_canvas.h"
#include "music/flags.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {

constexpr uint32_t kFore = 0x00102030;
constexpr uint32_t kBack = 0x00F0E0D0;
constexpr int32_t kC = 200;

StaveBand Band(bool extraLines = false, int32_t roomUp = 40, int32_t roomDown = 40) {
  return StaveBand{kC, roomUp, roomDown, extraLines, kFore, kBack};
}

DrawnChord Chord(int32_t x, int32_t flagKind, uint8_t stickKind, int32_t lo, int32_t hi, int32_t beamY = -50) {
  DrawnChord chord;
  chord.xa = x;
  chord.xb = x + 10;
  chord.stickX = stickKind == drawStickUp ? x + 9 : x;
  chord.lo = lo;
  chord.hi = hi;
  chord.stickKind = stickKind;
  chord.flagKind = flagKind;
  chord.beamY = beamY;
  return chord;
}

bool Contains(const std::vector<MuzPoint>& points, MuzPoint p) {
  return std::find(points.begin(), points.end(), p) != points.end();
}

}  // namespace

TEST(StaveLines, ExtraLinesFillTheRoomInTheBlendedColour) {
  struct Case {
    bool extra;
    int32_t up, down, first, last;
  };
  const Case cases[] = {{false, 60, 45, -2, 2}, {true, 60, 45, -6, 4}, {true, 35, 25, -3, 2}, {true, 20, 20, -2, 2}};
  const ClientRect client{5, 0, 400, 600};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.extra << " " << c.up << "/" << c.down);
    TNoteStave stave(nullptr, kFore, kBack, c.up, c.down, drawFlagJoin, false, c.extra);
    stave.StartLayout(kC, 0);
    RecordingCanvas canvas;
    DrawStaveLines(canvas, StaveBandOf(stave), client);
    const std::vector<CanvasCall> lines = canvas.Of(CanvasCall::Line);
    ASSERT_EQ(lines.size(), static_cast<size_t>(c.last - c.first + 1));
    for (int32_t k = c.first; k <= c.last; ++k) {
      const CanvasCall& line = lines[k - c.first];
      EXPECT_EQ(line.top, kC + 10 * k);
      EXPECT_EQ(line.bottom, kC + 10 * k);
      EXPECT_EQ(line.left, 5);
      EXPECT_EQ(line.right, 400);
      // 75% of the background and 25% of the foreground, per channel, truncated.
      EXPECT_EQ(line.penColour, k >= -2 && k <= 2 ? kFore : 0x00B8B0A8u) << k;
    }
  }
}

TEST(StaveBandAndBars, SignsAcrossTheScoreReachEveryStaveInOrder) {
  TUnitMuz unit("staves.kvm");
  if (unit.GetStartStave() == nullptr) unit.AddDefaultStave(nullptr);
  TNoteStave* second = unit.AddDefaultStave(unit.GetStartStave());
  unit.GetStartStave()->StartLayout(100, 0);
  second->StartLayout(260, 0);
  second->SetForeground(0x000000FF);
  RecordingCanvas canvas;
  int32_t nextX = 0;
  DrawTimeSignatureOnAllStaves(canvas, 6, 8, 30, DocumentStaves(unit), nextX, false);
  const std::vector<CanvasCall> texts = canvas.Of(CanvasCall::Text);
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(std::vector<int32_t>({texts[0].top, texts[2].top}), std::vector<int32_t>({77, 237}));
  EXPECT_EQ(texts[2].font.colour, 0x000000FFu);
}

TEST(StaveBandAndBars, BandIsClippedToTheWindowAndBarsHaveTheirWidths) {
  RecordingCanvas canvas;
  DrawStaveBackground(canvas, Band(false, 160, 45), ClientRect{0, 50, 300, 230});
  DrawBarLine(canvas, Band(), 70);
  DrawEndBar(canvas, Band(), 90);
  const std::vector<CanvasCall> fills = canvas.Of(CanvasCall::FillRect);
  ASSERT_EQ(fills.size(), 3u);
  EXPECT_EQ(fills[0].brushColour, kBack);
  EXPECT_EQ(std::vector<int32_t>({fills[0].left, fills[0].top, fills[0].right, fills[0].bottom}),
            std::vector<int32_t>({0, 50, 300, 230}));
  EXPECT_EQ(std::vector<int32_t>({fills[1].left, fills[1].top, fills[1].right, fills[1].bottom}),
            std::vector<int32_t>({90, kC - 20, 91, kC + 20}));
  EXPECT_EQ(std::vector<int32_t>({fills[2].left, fills[2].top, fills[2].right, fills[2].bottom}),
            std::vector<int32_t>({93, kC - 20, 97, kC + 20}));
  EXPECT_EQ(fills[2].brushColour, kFore);
  const std::vector<CanvasCall> bar = canvas.Of(CanvasCall::Line);
  ASSERT_EQ(bar.size(), 1u);
  EXPECT_EQ(std::vector<int32_t>({bar[0].left, bar[0].top, bar[0].right, bar[0].bottom}),
            std::vector<int32_t>({70, kC - 20, 70, kC + 20}));
}

TEST(ChordDrawing, LedgerLinesAndSticksFollowTheExtremeHeads) {
  struct Case {
    int32_t flagKind;
    uint8_t stick;
    int32_t lo, hi;
    std::vector<int32_t> ledgerYs;
    int32_t stickFrom, stickTo;  // 0, 0 for no stick
  };
  const Case cases[] = {
      {1, drawStickUp, 8, 8, {kC - 30, kC - 40}, 0, 0},
      {2, drawStickUp, 0, 2, {}, kC, kC - 10 - 34},
      {2, drawStickDown, -7, 5, {kC + 30}, kC - 25, kC + 35 + 34},
      {4, drawStickDown, -9, -9, {kC + 30, kC + 40}, kC + 45, kC + 45 + 34},
      {8, drawStickUp, 0, 7, {kC - 30}, kC, kC - 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.flagKind << " " << c.lo << ".." << c.hi);
    std::vector<DrawnChord> chords{Chord(100, c.flagKind, c.stick, c.lo, c.hi)};
    RecordingCanvas canvas;
    DrawChords(canvas, Band(), chords);
    std::vector<int32_t> ledgers;
    std::vector<CanvasCall> sticks;
    for (const CanvasCall& line : canvas.Of(CanvasCall::Line)) {
      if (line.top == line.bottom) {
        ledgers.push_back(line.top);
        EXPECT_EQ(line.left, 94);
        EXPECT_EQ(line.right, 116);
      } else {
        sticks.push_back(line);
      }
    }
    EXPECT_EQ(ledgers, c.ledgerYs);
    ASSERT_EQ(sticks.size(), c.stickFrom == 0 ? 0u : 1u);
    if (!sticks.empty()) {
      EXPECT_EQ(sticks[0].left, chords[0].stickX);
      EXPECT_EQ(sticks[0].top, c.stickFrom);
      EXPECT_EQ(sticks[0].bottom, c.stickTo);
    }
  }
}

TEST(ChordDrawing, FlagsBeamsAndStubs) {
  struct Member {
    int32_t flagKind;
    bool joinedPrev, continuesNext;
  };
  struct Case {
    const char* name;
    std::vector<Member> members;
    size_t flags, beamLines, rightStubLines, leftStubLines;
  };
  const Case cases[] = {
      {"single sixteenth", {{16, false, false}}, 2, 0, 0, 0},
      {"single eighth", {{8, false, false}}, 1, 0, 0, 0},
      {"two sixteenths", {{16, false, true}, {16, true, false}}, 0, 10, 0, 0},
      {"sixteenth then eighth", {{16, false, true}, {8, true, false}}, 0, 5, 5, 0},
      {"eighth then sixteenth", {{8, false, true}, {16, true, false}}, 0, 5, 0, 5},
      {"eighth, thirty-second, eighth", {{8, false, true}, {32, true, true}, {8, true, false}}, 0, 10, 0, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<DrawnChord> chords;
    for (size_t i = 0; i < c.members.size(); ++i) {
      chords.push_back(Chord(100 + 30 * static_cast<int32_t>(i), c.members[i].flagKind, drawStickUp, 0, 2));
      chords.back().joinedPrev = c.members[i].joinedPrev;
      chords.back().continuesNext = c.members[i].continuesNext;
    }
    RecordingCanvas canvas;
    DrawChords(canvas, Band(), chords);
    size_t beams = 0, right = 0, left = 0;
    for (const CanvasCall& line : canvas.Of(CanvasCall::Line)) {
      for (size_t i = 0; i < chords.size(); ++i) {
        const int32_t s = chords[i].stickX;
        if (line.left == s && i + 1 < chords.size() && line.right == chords[i + 1].stickX + 1) ++beams;
        if (line.left == s && line.right == s + 8) ++right;
        if (line.left == s - 8 && line.right == s) ++left;
      }
    }
    EXPECT_EQ(beams, c.beamLines);
    EXPECT_EQ(right, c.rightStubLines);
    EXPECT_EQ(left, c.leftStubLines);
    EXPECT_EQ(canvas.Of(CanvasCall::Polygon).size(), c.flags);
  }
}

TEST(ChordDrawing, FlagOutlineHangsInTheSticksDirectionAndBeamLevelsStepTowardTheHeads) {
  for (uint8_t stick : {drawStickUp, drawStickDown}) {
    SCOPED_TRACE(int(stick));
    const int32_t d = stick == drawStickUp ? 1 : -1;
    std::vector<DrawnChord> chords{Chord(100, 16, stick, 0, 0, d * -40)};
    RecordingCanvas canvas;
    DrawChords(canvas, Band(), chords);
    const std::vector<CanvasCall> flags = canvas.Of(CanvasCall::Polygon);
    ASSERT_EQ(flags.size(), 2u);
    const int32_t s = chords[0].stickX;
    const int32_t y = kC - 40 * d;
    const int32_t shape[14][2] = {{0, 0},  {3, 4},  {6, 6},  {7, 8},  {8, 10}, {8, 14}, {6, 16},
                                  {8, 13}, {8, 13}, {8, 13}, {7, 9},  {6, 7},  {3, 5},  {0, 3}};
    ASSERT_EQ(flags[0].points.size(), 14u);
    for (size_t i = 0; i < 14; ++i) {
      EXPECT_EQ(flags[0].points[i], (MuzPoint{s + shape[i][0], y + shape[i][1] * d})) << i;
      EXPECT_EQ(flags[1].points[i].y, flags[0].points[i].y + 6 * d) << i;
    }

    std::vector<DrawnChord> pair{Chord(100, 16, stick, 0, 0, d * -40), Chord(130, 16, stick, 0, 0, d * -40)};
    pair[0].continuesNext = true;
    pair[1].joinedPrev = true;
    RecordingCanvas beamed;
    DrawChords(beamed, Band(), pair);
    std::vector<int32_t> beamYs;
    for (const CanvasCall& line : beamed.Of(CanvasCall::Line)) {
      if (line.right == pair[1].stickX + 1) beamYs.push_back(line.top);
    }
    std::vector<int32_t> expected;
    for (int32_t level = 0; level < 2; ++level) {
      for (int32_t o = -2; o <= 2; ++o) expected.push_back(y + 7 * level * d + o);
    }
    EXPECT_EQ(beamYs, expected);
  }
}

TEST(ChordDrawing, ArticulationSitsOppositeTheStickAndDisplacedHeadsMoveOneColumn) {
  struct Case {
    uint8_t art, stick;
    CanvasCall::Kind kind;
    int32_t left, top, right, bottom;  // relative to xm and y0
  };
  const Case cases[] = {
      {noteArtStaccato, drawStickUp, CanvasCall::Ellipse, -2, 7, 2, 11},
      {noteArtStaccato, drawStickDown, CanvasCall::Ellipse, -2, -10, 2, -6},
      {noteArtStaccatissimo, drawStickUp, CanvasCall::Ellipse, -2, 9, 2, 14},
      {noteArtStaccatissimo, drawStickDown, CanvasCall::Ellipse, -2, -13, 2, -8},
      {noteArtPortato, drawStickUp, CanvasCall::Line, -5, 8, 5, 8},
      {noteArtPortato, drawStickDown, CanvasCall::Line, -5, -8, 5, -8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.art) << " " << int(c.stick));
    std::vector<DrawnChord> chords{Chord(100, 1, c.stick, -1, 3)};
    chords[0].artKind = c.art;
    RecordingCanvas canvas;
    DrawChords(canvas, Band(), chords);
    const int32_t y0 = c.stick == drawStickUp ? kC + 5 : kC - 15;
    const std::vector<CanvasCall> marks = canvas.Of(c.kind);
    ASSERT_FALSE(marks.empty());
    const CanvasCall& m = marks.back();
    EXPECT_EQ(std::vector<int32_t>({m.left, m.top, m.right, m.bottom}),
              std::vector<int32_t>({105 + c.left, y0 + c.top, 105 + c.right, y0 + c.bottom}));
  }

  const GlyphStave glyphs{kC, kFore, kBack};
  for (uint8_t stick : {drawStickUp, drawStickDown}) {
    std::vector<DrawnChord> chords{Chord(100, 4, stick, 0, 1)};
    chords[0].heads.push_back({TDrawNote(glyphs, kFore, noteHeadEllipse, 4, 0, 0, noteShiftNone), false, false, 0, 0});
    chords[0].heads.push_back({TDrawNote(glyphs, kFore, noteHeadEllipse, 4, 0, 1, noteShiftNone), true, false, 0, 0});
    RecordingCanvas canvas;
    DrawChords(canvas, Band(), chords);
    EXPECT_EQ(chords[0].heads[0].leftX, 100);
    EXPECT_EQ(chords[0].heads[1].leftX, stick == drawStickUp ? 110 : 90);
    EXPECT_EQ(chords[0].heads[1].rightX, stick == drawStickUp ? 120 : 100);
  }
}

TEST(SlurShape, CrescentRunsBetweenTheEndsAndBowsByItsHeight) {
  struct Case {
    int32_t x1, y1, x2, y2, h, apex;
  };
  const Case cases[] = {
      {10, 50, 60, 50, 9, 41},   {10, 50, 60, 50, -13, 63}, {10, 50, 60, 45, 9, 41},
      {10, 50, 60, 60, -13, 73}, {10, 50, 60, 30, 9, 21},   {10, 30, 60, 50, 9, 21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y1 << "->" << c.y2 << " h " << c.h);
    for (int32_t flat : {-4, 4}) EXPECT_THROW(SlurPoints(c.x1, c.y1, c.x2, c.y2, flat), AssertionFailure);
    const std::vector<MuzPoint> points = SlurPoints(c.x1, c.y1, c.x2, c.y2, c.h);
    ASSERT_EQ(points.size(), 50u);
    EXPECT_TRUE(Contains(points, {c.x1 + 1, c.y1}));
    EXPECT_TRUE(Contains(points, {c.x2 - 1, c.y2}));
    int32_t top = points[0].y, bottom = points[0].y;
    for (const MuzPoint& p : points) {
      top = std::min(top, p.y);
      bottom = std::max(bottom, p.y);
      EXPECT_GE(p.x, c.x1 + 1);
      EXPECT_LE(p.x, c.x2 - 1);
    }
    EXPECT_EQ(c.h > 0 ? top : bottom, c.apex);
  }
}

TEST(TiesAndTuplets, TieJoinsHeadCentresAndTheBracketFramesTheNumber) {
  for (uint8_t stick : {drawStickUp, drawStickDown}) {
    SCOPED_TRACE(int(stick));
    std::vector<DrawnChord> chords{Chord(100, 4, stick, 0, 2), Chord(140, 4, stick, 0, 2)};
    chords[0].SlurBegin = true;
    chords[1].SlurEnd = true;
    RecordingCanvas canvas;
    DrawTies(canvas, Band(), chords);
    const std::vector<CanvasCall> ties = canvas.Of(CanvasCall::Polygon);
    ASSERT_EQ(ties.size(), 1u);
    const int32_t y = stick == drawStickUp ? kC + 7 : kC - 17;
    EXPECT_TRUE(Contains(ties[0].points, {106, y}));
    EXPECT_TRUE(Contains(ties[0].points, {144, y}));
    const auto extreme = std::minmax_element(ties[0].points.begin(), ties[0].points.end(),
                                             [](MuzPoint a, MuzPoint b) { return a.y < b.y; });
    if (stick == drawStickUp) {
      EXPECT_EQ(extreme.second->y, y + 13);
    } else {
      EXPECT_EQ(extreme.first->y, y - 13);
    }
  }

  RecordingCanvas canvas;
  DrawTupletBracket(canvas, Band(), 100, 140, drawStickUp, BeamLine{100, -40, 140, -40}, 3);
  const std::vector<CanvasCall> lines = canvas.Of(CanvasCall::Line);
  ASSERT_EQ(lines.size(), 4u);
  const int32_t y = kC - 40;
  EXPECT_EQ(std::vector<int32_t>({lines[0].left, lines[0].top, lines[0].bottom}), std::vector<int32_t>({97, y - 6, y - 11}));
  EXPECT_EQ(std::vector<int32_t>({lines[1].right, lines[2].left}), std::vector<int32_t>({113, 127}));
  EXPECT_EQ(std::vector<int32_t>({lines[3].left, lines[3].top, lines[3].bottom}), std::vector<int32_t>({143, y - 11, y - 6}));
  const std::vector<CanvasCall> texts = canvas.Of(CanvasCall::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "3");
  EXPECT_EQ(std::vector<int32_t>({texts[0].left, texts[0].top}), std::vector<int32_t>({117, y - 11 - 8}));
  EXPECT_EQ(texts[0].font.size, 12);
  EXPECT_TRUE(texts[0].opaque);
  EXPECT_EQ(texts[0].brushColour, kBack);
  EXPECT_EQ(texts[0].font.colour, kFore);
}
