#include "music/stavedraw.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/assertion.h"
#include "music/fakes/recording_canvas.h"
#include "music/muznote.h"
#include "music/stave.h"

namespace {

constexpr uint32_t kFore = 0x00102030, kBack = 0x00F0E0D0;
constexpr int32_t kC = 200;
const StaveBand kBand{{kC, kFore, kBack}, 40, 40, false};
using Box = std::array<int32_t, 4>;

DrawnChord Chord(int32_t x, int32_t flagKind, uint8_t stickKind, int32_t lo, int32_t hi, int32_t beamY = -50) {
  DrawnChord chord;
  chord.xa = x, chord.xb = x + 10, chord.stickX = stickKind == drawStickUp ? x + 9 : x;
  chord.lo = lo, chord.hi = hi, chord.stickKind = stickKind, chord.flagKind = flagKind, chord.beamY = beamY;
  return chord;
}

bool Contains(const std::vector<MuzPoint>& points, MuzPoint p) {
  return std::find(points.begin(), points.end(), p) != points.end();
}

}  // namespace

TEST(StaveLines, ExtraLinesFillTheStavesRoomInTheBlendedColour) {
  struct Case { bool extra; int32_t up, down, first, last; };
  // A file may give a stave any room; the lines stop where its drawn room does.
  for (const Case& c : {Case{false, 60, 45, -2, 2}, Case{true, 60, 45, -6, 4}, Case{true, 35, 25, -3, 2},
                        Case{true, INT32_MAX, 30, -kMaxDrawnRoom / 10, 3}}) {
    SCOPED_TRACE(testing::Message() << c.extra << " " << c.up << "/" << c.down);
    TNoteStave stave(nullptr, kFore, kBack, c.up, c.down, drawFlagJoin, false, c.extra);
    stave.StartLayout(kC, 0);
    RecordingCanvas canvas;
    DrawStaveLines(canvas, StaveBandOf(stave), ClientRect{5, 0, 400, 600});
    const std::vector<CanvasCall> lines = canvas.Of(CanvasCall::Line);
    ASSERT_EQ(lines.size(), static_cast<size_t>(c.last - c.first + 1));
    for (int32_t k = c.first; k <= c.last; ++k) {
      EXPECT_EQ(lines[k - c.first].box, (Box{5, kC + 10 * k, 400, kC + 10 * k}));
      // 75% of the background and 25% of the foreground, per channel, truncated.
      EXPECT_EQ(lines[k - c.first].penColour, k >= -2 && k <= 2 ? kFore : 0x00B8B0A8u) << k;
    }
  }
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
      {1, drawStickUp, 8, 8, {kC - 30, kC - 40}, 0, 0},     {2, drawStickUp, 0, 2, {}, kC, kC - 44},
      {2, drawStickDown, -7, 5, {kC + 30}, kC - 25, kC + 69}, {8, drawStickUp, 0, 7, {kC - 30}, kC, kC - 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.flagKind << " " << c.lo << ".." << c.hi);
    std::vector<DrawnChord> chords{Chord(100, c.flagKind, c.stick, c.lo, c.hi)};
    RecordingCanvas canvas;
    DrawChords(canvas, kBand, chords);
    std::vector<int32_t> ledgers;
    std::vector<Box> sticks;
    for (const CanvasCall& line : canvas.Of(CanvasCall::Line)) {
      if (line.box[1] == line.box[3]) {
        ledgers.push_back(line.box[1]);
        EXPECT_EQ(line.box[0] + line.box[2], 94 + 116);
      } else {
        sticks.push_back(line.box);
      }
    }
    EXPECT_EQ(ledgers, c.ledgerYs);
    std::vector<Box> expected;
    if (c.stickTo != 0) expected.push_back({chords[0].stickX, c.stickFrom, chords[0].stickX, c.stickTo});
    EXPECT_EQ(sticks, expected);
  }
}

TEST(ChordDrawing, FlagsBeamsAndStubs) {
  struct Case {
    const char* name;
    std::vector<int32_t> flagKinds;  // more than one are beamed together
    size_t flags, beamLines, rightStubLines, leftStubLines;
  };
  const Case cases[] = {
      {"single sixteenth", {16}, 2, 0, 0, 0},           {"two sixteenths", {16, 16}, 0, 10, 0, 0},
      {"sixteenth then eighth", {16, 8}, 0, 5, 5, 0},   {"eighth then sixteenth", {8, 16}, 0, 5, 0, 5},
      {"eighth, thirty-second, eighth", {8, 32, 8}, 0, 10, 0, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<DrawnChord> chords;
    for (size_t i = 0; i < c.flagKinds.size(); ++i) {
      chords.push_back(Chord(100 + 30 * static_cast<int32_t>(i), c.flagKinds[i], drawStickUp, 0, 2));
      chords.back().joinedPrev = i > 0;
      chords.back().continuesNext = i + 1 < c.flagKinds.size();
    }
    RecordingCanvas canvas;
    DrawChords(canvas, kBand, chords);
    size_t beams = 0, right = 0, left = 0;
    for (const CanvasCall& line : canvas.Of(CanvasCall::Line)) {
      for (size_t i = 0; i < chords.size(); ++i) {
        const int32_t s = chords[i].stickX;
        beams += line.box[0] == s && i + 1 < chords.size() && line.box[2] == chords[i + 1].stickX + 1;
        right += line.box[0] == s && line.box[2] == s + 8;
        left += line.box[0] == s - 8 && line.box[2] == s;
      }
    }
    EXPECT_EQ(std::vector<size_t>({beams, right, left}), std::vector<size_t>({c.beamLines, c.rightStubLines, c.leftStubLines}));
    const std::vector<CanvasCall> flags = canvas.Of(CanvasCall::Polygon);
    ASSERT_EQ(flags.size(), c.flags);
    if (c.flags == 0) continue;
    const int32_t shape[14][2] = {{0, 0}, {3, 4}, {6, 6}, {7, 8}, {8, 10}, {8, 14}, {6, 16},
                                  {8, 13}, {8, 13}, {8, 13}, {7, 9}, {6, 7}, {3, 5}, {0, 3}};
    ASSERT_EQ(flags[0].points.size(), 14u);
    for (size_t i = 0; i < 14; ++i) {
      EXPECT_EQ(flags[0].points[i], (MuzPoint{109 + shape[i][0], kC - 50 + shape[i][1]})) << i;
      EXPECT_EQ(flags[1].points[i].y, flags[0].points[i].y + 6) << i;
    }
  }
}

TEST(SlurShape, CrescentRunsBetweenTheEndsAndBowsByItsHeight) {
  struct Case { int32_t y1, y2, h, apex; };
  // The last two cases end further out than the bow reaches from the first end.
  for (const Case& c : {Case{50, 50, 9, 41}, Case{50, 50, -13, 63}, Case{50, 30, 9, 21},
                        Case{50, 60, -13, 73}}) {
    SCOPED_TRACE(testing::Message() << c.y1 << "->" << c.y2 << " h " << c.h);
    for (int32_t flat : {-4, 4}) EXPECT_THROW(SlurPoints(10, c.y1, 60, c.y2, flat), AssertionFailure);
    const std::vector<MuzPoint> points = SlurPoints(10, c.y1, 60, c.y2, c.h);
    ASSERT_EQ(points.size(), 50u);
    EXPECT_TRUE(Contains(points, {11, c.y1}));
    EXPECT_TRUE(Contains(points, {59, c.y2}));
    const auto [top, bottom] = std::minmax_element(points.begin(), points.end(), [](MuzPoint a, MuzPoint b) { return a.y < b.y; });
    EXPECT_EQ(c.h > 0 ? top->y : bottom->y, c.apex);
  }
}

TEST(TiesAndTuplets, TieJoinsHeadCentresAndTheBracketFramesTheNumber) {
  for (uint8_t stick : {drawStickUp, drawStickDown}) {
    std::vector<DrawnChord> chords{Chord(100, 4, stick, 0, 2), Chord(140, 4, stick, 0, 2)};
    chords[0].SlurBegin = chords[1].SlurEnd = true;
    RecordingCanvas canvas;
    DrawTies(canvas, kBand, chords);
    const std::vector<CanvasCall> ties = canvas.Of(CanvasCall::Polygon);
    ASSERT_EQ(ties.size(), 1u);
    const int32_t y = stick == drawStickUp ? kC + 7 : kC - 17;
    EXPECT_TRUE(Contains(ties[0].points, {106, y}) && Contains(ties[0].points, {144, y})) << int(stick);
  }
  RecordingCanvas canvas;
  DrawTupletBracket(canvas, kBand, 100, 140, drawStickUp, BeamLine{100, -40, 140, -40}, 3);
  const std::vector<CanvasCall> lines = canvas.Of(CanvasCall::Line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ((std::vector<Box>{lines[0].box, lines[1].box, lines[3].box}),
            (std::vector<Box>{{97, kC - 46, 97, kC - 51}, {97, kC - 51, 113, kC - 51}, {143, kC - 51, 143, kC - 46}}));
  const CanvasCall text = canvas.Of(CanvasCall::Text).at(0);
  EXPECT_EQ(text.text + " " + std::to_string(text.font.size), "3 12");
  EXPECT_EQ(text.box[0] * 1000 + text.box[1], 117 * 1000 + kC - 59);
  EXPECT_TRUE(text.opaque && text.brushColour == kBack && text.font.colour == kFore);
}
