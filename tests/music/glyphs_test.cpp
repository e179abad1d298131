#include "music/glyphs.h"

#include <gtest/gtest.h>

#include "music/PartMuz.h"
#include "music/fakes/recording_canvas.h"
#include "music/flags.h"
#include "music/muznote.h"
#include "music/stave.h"

namespace {

constexpr uint32_t kFore = 0x00102030, kBack = 0x00F0E0D0;
constexpr int32_t kC = 100;
const GlyphStave kStave{kC, kFore, kBack};
using Box = std::array<int32_t, 4>;

// The rectangles a selected drawing filled in the foreground colour.
std::vector<Box> SelectionRects(const RecordingCanvas& canvas) {
  std::vector<Box> rects;
  for (const CanvasCall& call : canvas.Of(CanvasCall::FillRect)) {
    if (call.brushColour == kFore) rects.push_back(call.box);
  }
  return rects;
}

}  // namespace

TEST(KeyGlyph, SignatureFollowsTheClefAndTheNextSymbolFollowsTheSignature) {
  struct Case {
    int8_t keyKind;
    int32_t octaves, sharps, flats;
    Box clef;  // selection, from x and c
    int32_t rangeRight, nextX;
    std::vector<int32_t> accidentalXs;
    int32_t markY;  // top of the octave mark, 0 for none
  };
  const Case cases[] = {
      {TKey::keyKindF, 0, 0, 3, {-2, -22, 28, 13}, 66, 68, {30, 42, 54}, 0},
      {TKey::keyKindF, 0, 0, 0, {-2, -22, 28, 13}, 27, 29, {}, 0},
      {TKey::keyKindC, -1, 0, 0, {-3, -23, 28, 23}, 28, 30, {}, 24},
      {TKey::keyKindG, 1, 2, 0, {-2, -34, 29, 33}, 57, 59, {31, 44}, -44},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.keyKind) << " " << c.sharps << "#" << c.flats << "b");
    TNoteStave stave;
    TKey key(nullptr, c.keyKind, c.octaves, 0, &stave, 1, nullptr);
    for (int32_t k = 0; k < c.sharps; ++k) key.SetNoteShift(key.GetShiftHeight(noteShiftKruis, k), noteShiftKruis);
    for (int32_t k = 0; k < c.flats; ++k) key.SetNoteShift(key.GetShiftHeight(noteShiftMol, k), noteShiftMol);
    RecordingCanvas canvas;
    int32_t nextX = 0, rangeRight = 0;
    DrawKey(canvas, key, 50, kStave, nextX, rangeRight, true);
    EXPECT_EQ(std::vector<int32_t>({rangeRight, nextX}), std::vector<int32_t>({50 + c.rangeRight, 50 + c.nextX}));
    EXPECT_EQ(std::vector<int32_t>({key.GetXDistance(49), key.GetXDistance(rangeRight + 1)}), std::vector<int32_t>({1, 1}));
    const std::vector<Box> rects = SelectionRects(canvas);
    ASSERT_EQ(rects.size(), c.accidentalXs.size() + 1);
    EXPECT_EQ(rects[0], (Box{50 + c.clef[0], kC + c.clef[1], 50 + c.clef[2], kC + c.clef[3]}));
    for (size_t i = 0; i < c.accidentalXs.size(); ++i) EXPECT_EQ(rects[i + 1][0] + 3, 50 + c.accidentalXs[i]);
    bool mark = false;
    for (const CanvasCall& e : canvas.Of(CanvasCall::Ellipse)) mark = mark || (e.box[0] == 60 && e.box[1] == kC + c.markY);
    EXPECT_EQ(mark, c.markY != 0);
  }
}

TEST(NumberedGlyphs, TwoDigitsWidenTimeSignaturesAndRepeatSigns) {
  struct Case { int32_t count, length, advance, selectionRight; };
  const std::vector<GlyphStave> staves{kStave, {kC + 120, kFore, kBack}};
  for (const Case& c : {Case{12, 8, 39, 28}, Case{3, 4, 21, 14}, Case{4, 16, 39, 28}}) {
    SCOPED_TRACE(testing::Message() << c.count << "/" << c.length);
    TSinglePartMuz part;
    TMuzBar* bar = new TMuzBar(&part, static_cast<int8_t>(c.length), c.count, 0);
    RecordingCanvas canvas;
    int32_t nextX = 0;
    DrawMuzBar(canvas, *bar, 40, staves, nextX, true);
    EXPECT_EQ(nextX, 40 + c.advance);
    EXPECT_EQ(std::vector<int32_t>({bar->GetXDistance(37), bar->GetXDistance(nextX + 3)}), std::vector<int32_t>({1, 1}));
    const std::vector<CanvasCall> texts = canvas.Of(CanvasCall::Text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[2].text + "/" + texts[3].text, std::to_string(c.count) + "/" + std::to_string(c.length));
    EXPECT_EQ(std::vector<int32_t>({texts[2].box[0], texts[2].box[1], texts[3].box[1]}),
              std::vector<int32_t>({40, kC + 97, kC + 118}));
    EXPECT_EQ(std::tuple(texts[0].font.name, texts[0].font.size, texts[0].font.colour),
              std::tuple(std::string("Times New Roman"), 18, kBack));
    EXPECT_EQ(SelectionRects(canvas).at(0), (Box{38, kC - 23, 40 + c.selectionRight, kC + 24}));
  }
  for (int32_t count : {2, 5, 12}) {
    RecordingCanvas canvas;
    int32_t nextX = 0;
    TLoopPartSymbol symbol(nullptr, loopSideRight);
    DrawLoopPartSymbol(canvas, symbol, count, 10, {kStave}, nextX, false);
    const int32_t width = count == 2 ? 13 : (count < 10 ? 26 : 40);
    EXPECT_EQ(nextX * 10 + int32_t(canvas.Of(CanvasCall::Text).size()), (15 + width) * 10 + (count != 2)) << count;
  }
}

TEST(SelectedGlyphs, BackgroundColourOnAForegroundRectangle) {
  struct Case {
    uint8_t kind;
    int32_t width;
    Box rect;  // from x and the accidental's y
  };
  const Case cases[] = {{noteShiftDubbelKruis, 15, {-3, -9, 15, 9}}, {noteShiftKruis, 13, {-3, -14, 12, 14}},
                        {noteShiftNormal, 10, {-3, -15, 9, 15}},     {noteShiftMol, 12, {-3, -18, 12, 8}},
                        {noteShiftDubbelMol, 24, {-3, -18, 24, 8}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.kind));
    RecordingCanvas canvas;
    int32_t nextX = 0;
    TNoteShift(c.kind, 3, kStave).Draw(canvas, 20, nextX, true);
    EXPECT_EQ(nextX, 20 + c.width);
    EXPECT_EQ(std::tuple(canvas.calls.at(0).box, canvas.calls.at(0).brushColour, canvas.calls.at(1).penColour),
              std::tuple(Box{20 + c.rect[0], 85 + c.rect[1], 20 + c.rect[2], 85 + c.rect[3]}, kFore, kBack));
  }
  for (bool selected : {false, true}) {
    RecordingCanvas canvas;
    int32_t nextX = 0;
    DrawSilence(canvas, 1, 0, 30, kStave, nextX, selected);
    const std::vector<CanvasCall> fills = canvas.Of(CanvasCall::FillRect);
    EXPECT_EQ(std::tuple(fills.back().box, fills.back().brushColour, fills.size()),
              std::tuple(Box{30, kC - 9, 44, kC - 4}, selected ? kBack : kFore, selected ? 2u : 1u));
  }
}

TEST(RestAndHeadGlyphs, WidthsGrowWithDotsAndAccidentals) {
  struct Rest { int32_t kind, dots, width; };
  for (const Rest& r : {Rest{1, 0, 22}, Rest{2, 1, 26}, Rest{4, 0, 18}, Rest{8, 2, 28}, Rest{16, 0, 23},
                        Rest{32, 1, 30}, Rest{64, 0, 29}}) {
    EXPECT_EQ(SilenceWidth(r.kind, r.dots), r.width) << r.kind;
    RecordingCanvas canvas;
    int32_t nextX = 0, dots = 0;
    DrawSilence(canvas, r.kind, r.dots, 30, kStave, nextX, false);
    for (const CanvasCall& e : canvas.Of(CanvasCall::Ellipse)) dots += e.box[1] == kC - 5 && e.box[3] == kC - 2;
    EXPECT_EQ(dots, r.dots) << r.kind;
  }
  struct Head { int32_t lengthClass, dots; uint8_t shift; int32_t shiftWidth; };
  for (const Head& h : {Head{4, 0, noteShiftNone, 0}, Head{2, 1, noteShiftMol, 12}, Head{1, 2, noteShiftKruis, 13}}) {
    SCOPED_TRACE(h.lengthClass);
    const TDrawNote note(kStave, 0x000000FF, noteHeadEllipse, h.lengthClass, h.dots, 1, h.shift);
    int32_t shiftWidth = -1, headWidth = -1, dotsWidth = -1, left = 0, right = 0;
    note.MakeNoteShift(shiftWidth, headWidth, dotsWidth);
    EXPECT_EQ(std::vector<int32_t>({shiftWidth, headWidth, dotsWidth}), std::vector<int32_t>({h.shiftWidth, 10, 4 * h.dots + 8}));
    RecordingCanvas canvas;
    note.Draw(canvas, 60, 70, left, right, false);
    EXPECT_EQ(std::vector<int32_t>({left, right}), std::vector<int32_t>({60 - h.shiftWidth, 70 + 4 * h.dots}));
    int32_t holes = 0, dots = 0;
    for (const CanvasCall& e : canvas.Of(CanvasCall::Ellipse)) {
      holes += e.brushColour == kBack;
      if (e.box[2] - e.box[0] == 3) {
        EXPECT_EQ(e.box[0], 72 + 4 * dots++);
      }
    }
    EXPECT_EQ(holes, h.lengthClass <= 2 ? 1 : 0);  // whole and half heads are open
    EXPECT_EQ(dots, h.dots);
  }
}
