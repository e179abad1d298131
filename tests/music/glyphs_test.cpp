#include "music/glyphs.h"

#include <gtest/gtest.h>

#include "music/fakes/recording_canvas.h"
#include "music/flags.h"
#include "music/muznote.h"
#include "music/PartMuz.h"
#include "music/stave.h"

namespace {

constexpr uint32_t kFore = 0x00102030;
constexpr uint32_t kBack = 0x00F0E0D0;
constexpr int32_t kC = 100;
const GlyphStave kStave{kC, kFore, kBack};

// The selection rectangles a selected drawing filled in the foreground colour.
std::vector<CanvasCall> SelectionRects(const RecordingCanvas& canvas) {
  std::vector<CanvasCall> rects;
  for (const CanvasCall& call : canvas.Of(CanvasCall::FillRect)) {
    if (call.brushColour == kFore) rects.push_back(call);
  }
  return rects;
}

}  // namespace

TEST(KeyGlyph, SignatureFollowsTheClefAndTheNextSymbolFollowsTheSignature) {
  struct Case {
    int8_t keyKind;
    int32_t octaves, sharps, flats;
    int32_t left, top, right, bottom;  // clef selection, from x and c
    int32_t rangeRight, nextX;
    std::vector<int32_t> accidentalXs;
    int32_t markX, markY;  // top-left of the octave mark's upper ball, 0 for none
  };
  const Case cases[] = {
      {TKey::keyKindF, 0, 0, 3, -2, -22, 28, 13, 66, 68, {30, 42, 54}, 0, 0},
      {TKey::keyKindF, 0, 0, 0, -2, -22, 28, 13, 27, 29, {}, 0, 0},
      {TKey::keyKindC, -1, 0, 0, -3, -23, 28, 23, 28, 30, {}, 9, 24},
      {TKey::keyKindG, 1, 2, 0, -2, -34, 29, 33, 57, 59, {31, 44}, 9, -44},
      {TKey::keyKindG, -2, 0, 1, -2, -34, 29, 33, 43, 45, {31}, 9, 34},
  };
  const int32_t x = 50;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.keyKind) << " " << c.sharps << "#" << c.flats << "b");
    TNoteStave stave;
    TKey key(nullptr, c.keyKind, c.octaves, 0, &stave, 1, nullptr);
    for (int32_t k = 0; k < c.sharps; ++k) key.SetNoteShift(key.GetShiftHeight(noteShiftKruis, k), noteShiftKruis);
    for (int32_t k = 0; k < c.flats; ++k) key.SetNoteShift(key.GetShiftHeight(noteShiftMol, k), noteShiftMol);
    RecordingCanvas canvas;
    int32_t nextX = 0;
    int32_t rangeRight = 0;
    DrawKey(canvas, key, x, kStave, nextX, rangeRight, true);
    EXPECT_EQ(rangeRight, x + c.rangeRight);
    EXPECT_EQ(nextX, x + c.nextX);
    EXPECT_EQ(key.GetXDistance(x), 0);
    EXPECT_EQ(key.GetXDistance(x - 1), 1);
    EXPECT_EQ(key.GetXDistance(rangeRight), 0);
    EXPECT_EQ(key.GetXDistance(rangeRight + 1), 1);
    const std::vector<CanvasCall> rects = SelectionRects(canvas);
    ASSERT_EQ(rects.size(), c.accidentalXs.size() + 1);
    EXPECT_EQ(rects[0].left, x + c.left);
    EXPECT_EQ(rects[0].top, kC + c.top);
    EXPECT_EQ(rects[0].right, x + c.right);
    EXPECT_EQ(rects[0].bottom, kC + c.bottom);
    for (size_t i = 0; i < c.accidentalXs.size(); ++i) EXPECT_EQ(rects[i + 1].left + 3, x + c.accidentalXs[i]);
    bool markFound = false;
    for (const CanvasCall& e : canvas.Of(CanvasCall::Ellipse)) {
      markFound = markFound || (e.left == x + c.markX + 1 && e.top == kC + c.markY);
    }
    EXPECT_EQ(markFound, c.markX != 0);
  }
}

TEST(TimeSignatureGlyph, TwoDigitNumbersWidenTheSignature) {
  struct Case {
    int32_t count, length;
    bool selected;
    int32_t advance, selectionRight;
  };
  const Case cases[] = {{12, 8, true, 39, 28}, {3, 4, true, 21, 14}, {4, 16, false, 39, 0}, {9, 8, false, 21, 0}, {10, 4, true, 39, 28}};
  const std::vector<GlyphStave> staves{kStave, {kC + 120, kFore, kBack}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << "/" << c.length);
    TSinglePartMuz part;
    TMuzBar* bar = new TMuzBar(&part, static_cast<int8_t>(c.length), c.count, 0);
    RecordingCanvas canvas;
    int32_t nextX = 0;
    DrawMuzBar(canvas, *bar, 40, staves, nextX, c.selected);
    EXPECT_EQ(nextX, 40 + c.advance);
    EXPECT_EQ(bar->GetXDistance(38), 0);
    EXPECT_EQ(bar->GetXDistance(37), 1);
    EXPECT_EQ(bar->GetXDistance(nextX + 3), 1);
    const std::vector<CanvasCall> texts = canvas.Of(CanvasCall::Text);
    ASSERT_EQ(texts.size(), 4u);
    for (size_t s = 0; s < 2; ++s) {
      const int32_t centre = staves[s].centreY;
      EXPECT_EQ(texts[2 * s].text, std::to_string(c.count));
      EXPECT_EQ(texts[2 * s].top, centre - 23);
      EXPECT_EQ(texts[2 * s + 1].text, std::to_string(c.length));
      EXPECT_EQ(texts[2 * s + 1].top, centre - 2);
      EXPECT_EQ(texts[2 * s].left, 40);
    }
    EXPECT_EQ(texts[0].font.name, "Times New Roman");
    EXPECT_EQ(texts[0].font.size, 18);
    EXPECT_TRUE(texts[0].font.bold);
    EXPECT_EQ(texts[0].font.colour, c.selected ? kBack : kFore);
    const std::vector<CanvasCall> rects = SelectionRects(canvas);
    ASSERT_EQ(rects.size(), c.selected ? 2u : 0u);
    if (c.selected) {
      EXPECT_EQ(rects[0].left, 38);
      EXPECT_EQ(rects[0].right, 40 + c.selectionRight);
      EXPECT_EQ(rects[0].top, kC - 23);
      EXPECT_EQ(rects[0].bottom, kC + 24);
    }
  }
}

TEST(LoopSignGlyph, CountDecidesWidthAndNumber) {
  struct Case {
    int32_t count;
    uint8_t side;
    int32_t width, thickX, dotsX;
  };
  const Case cases[] = {{2, loopSideLeft, 13, 1, 8}, {5, loopSideRight, 26, 25, 14}, {12, loopSideLeft, 40, 1, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    RecordingCanvas canvas;
    int32_t nextX = 0;
    TLoopPartSymbol symbol(nullptr, c.side);
    DrawLoopPartSymbol(canvas, symbol, c.count, 10, {kStave}, nextX, false);
    EXPECT_EQ(symbol.GetXDistance(8), 0);
    EXPECT_EQ(symbol.GetXDistance(nextX + 1), 1);
    EXPECT_EQ(LoopSignWidth(c.count), c.width);
    EXPECT_EQ(nextX, 10 + c.width + 5);
    const std::vector<CanvasCall> lines = canvas.Of(CanvasCall::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].penWidth, 3);
    EXPECT_EQ(lines[0].left, 10 + c.thickX);
    const std::vector<CanvasCall> dots = canvas.Of(CanvasCall::Ellipse);
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(dots[0].left, 10 + c.dotsX);
    EXPECT_EQ(dots[1].top, kC + 3);
    const std::vector<CanvasCall> texts = canvas.Of(CanvasCall::Text);
    ASSERT_EQ(texts.size(), c.count == 2 ? 0u : 1u);
    if (!texts.empty()) {
      EXPECT_EQ(texts[0].text, std::to_string(c.count));
    }
  }
}

TEST(AccidentalGlyph, EachKindHasItsRoomAndSelectionRectangle) {
  struct Case {
    uint8_t kind;
    int32_t width, left, top, right, bottom;
  };
  const Case cases[] = {{noteShiftDubbelKruis, 15, -3, -9, 15, 9},
                        {noteShiftKruis, 13, -3, -14, 12, 14},
                        {noteShiftNormal, 10, -3, -15, 9, 15},
                        {noteShiftMol, 12, -3, -18, 12, 8},
                        {noteShiftDubbelMol, 24, -3, -18, 24, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.kind));
    const TNoteShift shift(c.kind, 3, kStave);
    const int32_t y = kC - 15;
    RecordingCanvas canvas;
    int32_t nextX = 0;
    shift.Draw(canvas, 20, nextX, true);
    EXPECT_EQ(nextX, 20 + c.width);
    EXPECT_EQ(shift.GetYDistance(y + 7), 7);
    const std::vector<CanvasCall> rects = SelectionRects(canvas);
    ASSERT_FALSE(rects.empty());
    EXPECT_EQ(rects[0].left, 20 + c.left);
    EXPECT_EQ(rects[0].top, y + c.top);
    EXPECT_EQ(rects[0].right, 20 + c.right);
    EXPECT_EQ(rects[0].bottom, y + c.bottom);
    // The rectangle comes first and the glyph's strokes go on it in the background colour.
    EXPECT_EQ(canvas.calls[0].kind, CanvasCall::FillRect);
    EXPECT_EQ(canvas.calls[1].penColour, kBack);
  }
}

TEST(RestGlyph, WidthsGrowWithDotsAndSelectedRestsAreInverted) {
  struct Case {
    int32_t kind, dots, width;
  };
  const Case cases[] = {{1, 0, 22}, {2, 1, 26}, {4, 0, 18}, {8, 2, 28}, {16, 0, 23}, {32, 1, 30}, {64, 0, 29}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_EQ(SilenceWidth(c.kind, c.dots), c.width);
    RecordingCanvas canvas;
    int32_t nextX = 0;
    DrawSilence(canvas, c.kind, c.dots, 30, kStave, nextX, false);
    const std::vector<CanvasCall> dots = canvas.Of(CanvasCall::Ellipse);
    int32_t dotCount = 0;
    for (const CanvasCall& e : dots) dotCount += e.top == kC - 5 && e.bottom == kC - 2 ? 1 : 0;
    EXPECT_EQ(dotCount, c.dots);
    EXPECT_GT(nextX, 30);
    EXPECT_LE(nextX, 30 + c.width);
  }

  struct Block {
    int32_t kind, top, bottom;
  };
  for (const Block& b : {Block{1, kC - 9, kC - 4}, Block{2, kC - 5, kC}}) {
    for (bool selected : {false, true}) {
      SCOPED_TRACE(testing::Message() << b.kind << (selected ? " selected" : ""));
      RecordingCanvas canvas;
      int32_t nextX = 0;
      DrawSilence(canvas, b.kind, 0, 30, kStave, nextX, selected);
      EXPECT_EQ(nextX, 44);
      const std::vector<CanvasCall> fills = canvas.Of(CanvasCall::FillRect);
      ASSERT_EQ(fills.size(), selected ? 2u : 1u);
      if (selected) {
        EXPECT_EQ(fills[0].brushColour, kFore);
      }
      const CanvasCall& block = fills.back();
      EXPECT_EQ(block.brushColour, selected ? kBack : kFore);
      EXPECT_EQ(block.left, 30);
      EXPECT_EQ(block.right, 44);
      EXPECT_EQ(block.top, b.top);
      EXPECT_EQ(block.bottom, b.bottom);
    }
  }
}

TEST(NoteHeadGlyph, AccidentalHeadAndDotsSetTheNotesRange) {
  struct Case {
    int32_t lengthClass, dots;
    uint8_t shift;
    int32_t shiftWidth;
    bool open;
  };
  const Case cases[] = {{4, 0, noteShiftNone, 0, false}, {2, 1, noteShiftMol, 12, true},
                        {1, 2, noteShiftKruis, 13, true}, {8, 3, noteShiftDubbelMol, 24, false}};
  constexpr uint32_t kGroup = 0x000000FF;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lengthClass);
    const TDrawNote note(kStave, kGroup, noteHeadEllipse, c.lengthClass, c.dots, 1, c.shift);
    int32_t shiftWidth = -1, headWidth = -1, dotsWidth = -1;
    note.MakeNoteShift(shiftWidth, headWidth, dotsWidth);
    EXPECT_EQ(shiftWidth, c.shiftWidth);
    EXPECT_EQ(headWidth, 10);
    EXPECT_EQ(dotsWidth, 4 * c.dots + 8);
    RecordingCanvas canvas;
    int32_t left = 0, right = 0;
    note.Draw(canvas, 60, 70, left, right, false);
    EXPECT_EQ(left, 60 - c.shiftWidth);
    EXPECT_EQ(right, 70 + 4 * c.dots);
    int32_t heads = 0, holes = 0, dots = 0;
    for (const CanvasCall& e : canvas.Of(CanvasCall::Ellipse)) {
      if (e.right - e.left == 3) {
        EXPECT_EQ(e.left, 72 + 4 * dots);
        ++dots;
      } else {
        heads += e.brushColour == kGroup ? 1 : 0;
        holes += e.brushColour == kBack ? 1 : 0;
      }
    }
    EXPECT_EQ(heads, 1);
    EXPECT_EQ(holes, c.open ? 1 : 0);
    EXPECT_EQ(dots, c.dots);
  }
}
