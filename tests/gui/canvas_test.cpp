// The score's primitives on the picture canvas, pixel by pixel, and one stave of every glyph
// drawn through it into build/score-glyphs.png.
#include "gui/canvas.h"

#include <gtest/gtest.h>

#include <QImage>

#include "gui/application.h"
#include "music/flags.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/stavedraw.h"

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kInk = 0x00203040;

QImage Blank(int w = 60, int h = 60) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(PixelCanvas::ToRgb(kWhite));
  return image;
}

// The inked pixels as a box: left, top, right, bottom (half-open) and their count.
struct Inked {
  int32_t left = 1 << 20, top = 1 << 20, right = -1, bottom = -1, count = 0;
};

Inked Scan(const QImage& image, uint32_t colour = kInk) {
  Inked inked;
  for (int32_t y = 0; y < image.height(); ++y) {
    for (int32_t x = 0; x < image.width(); ++x) {
      if (PixelCanvas::FromRgb(image.pixel(x, y)) != colour) continue;
      inked.left = std::min(inked.left, x);
      inked.top = std::min(inked.top, y);
      inked.right = std::max(inked.right, x + 1);
      inked.bottom = std::max(inked.bottom, y + 1);
      ++inked.count;
    }
  }
  return inked;
}

}  // namespace

TEST(PictureCanvas, LinesLeaveOutTheirEndPixelAndWidePensStampSquares) {
  struct Case {
    int32_t x1, y1, x2, y2, width;
    Inked expected;
  };
  const Case cases[] = {
      {10, 10, 16, 10, 1, {10, 10, 16, 11, 6}}, {16, 10, 10, 10, 1, {11, 10, 17, 11, 6}},
      {10, 10, 10, 20, 1, {10, 10, 11, 20, 10}}, {10, 10, 14, 14, 1, {10, 10, 14, 14, 4}},
      {10, 10, 16, 10, 2, {10, 10, 17, 12, 14}}, {10, 10, 10, 20, 3, {9, 9, 12, 21, 36}},
      {10, 10, 10, 10, 3, {1 << 20, 1 << 20, -1, -1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2 << " w" << c.width);
    QImage image = Blank();
    PixelCanvas canvas(image);
    canvas.SetPen(kInk, c.width);
    canvas.Line(c.x1, c.y1, c.x2, c.y2);
    const Inked inked = Scan(image);
    EXPECT_EQ(std::vector<int32_t>({inked.left, inked.top, inked.right, inked.bottom, inked.count}),
              std::vector<int32_t>({c.expected.left, c.expected.top, c.expected.right, c.expected.bottom,
                                    c.expected.count}));
  }
}

TEST(PictureCanvas, BoxesAreHalfOpenAndClearBrushesFillNothing) {
  struct Case {
    const char* name;
    MuzBrushStyle style;
    int32_t minCount, maxCount;
  };
  const Case cases[] = {{"solid rectangle", MuzBrushStyle::Solid, 30, 30},
                        {"clear rectangle", MuzBrushStyle::Clear, 0, 0},
                        {"hatched rectangle", MuzBrushStyle::Cross, 1, 29}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QImage image = Blank();
    PixelCanvas canvas(image);
    canvas.SetBrush(kInk, c.style);
    canvas.FillRect(10, 20, 16, 25);
    const Inked inked = Scan(image);
    EXPECT_GE(inked.count, c.minCount);
    EXPECT_LE(inked.count, c.maxCount);
    if (inked.count > 0) {
      EXPECT_GE(inked.left, 10);
      EXPECT_GE(inked.top, 20);
      EXPECT_LE(inked.right, 16);
      EXPECT_LE(inked.bottom, 25);
    }
  }

  for (int32_t size : {3, 5, 10}) {
    SCOPED_TRACE(size);
    QImage image = Blank();
    PixelCanvas canvas(image);
    canvas.SetPen(kInk, 1);
    canvas.SetBrush(kInk, MuzBrushStyle::Solid);
    canvas.Ellipse(20, 30, 20 + size, 30 + size);
    const Inked inked = Scan(image);
    EXPECT_EQ(std::vector<int32_t>({inked.left, inked.top, inked.right, inked.bottom}),
              std::vector<int32_t>({20, 30, 20 + size, 30 + size}));
    EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(20 + size / 2, 30 + size / 2)), kInk);
  }

  QImage image = Blank();
  PixelCanvas canvas(image);
  canvas.SetPen(kInk, 1);
  canvas.SetBrush(0x000000FF, MuzBrushStyle::Solid);
  canvas.Polygon({{10, 10}, {30, 10}, {10, 30}});
  EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(14, 14)), 0x000000FFu);
  EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(10, 20)), kInk);
  EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(25, 25)), kWhite);
}

TEST(PictureCanvas, TextStartsAtItsTopLeftAndOpaqueTextFillsItsBox) {
  InstallFontSubstitutes();
  for (bool opaque : {false, true}) {
    SCOPED_TRACE(opaque);
    QImage image = Blank(120, 80);
    PixelCanvas canvas(image, 0, 0, 120, 80);
    canvas.SetBrush(0x0000FF00, MuzBrushStyle::Solid);
    canvas.Text(30, 20, "12", MuzFont{"Times New Roman", 18, true, kInk}, opaque);
    const Inked text = Scan(image);
    EXPECT_GT(text.count, 20);
    EXPECT_GE(text.left, 30);
    EXPECT_GE(text.top, 20);
    EXPECT_LT(text.bottom, 20 + 40);
    const Inked box = Scan(image, 0x0000FF00);
    EXPECT_EQ(box.count > 0, opaque);
    if (opaque) {
      EXPECT_EQ(box.left, 30);
      EXPECT_EQ(box.top, 20);
    }
  }
}

TEST(ScorePicture, OneStaveOfEveryGlyph) {
  InstallFontSubstitutes();
  QImage image(1000, 330, QImage::Format_RGB32);
  image.fill(PixelCanvas::ToRgb(0x00C0C0C0));
  PixelCanvas canvas(image);
  const ClientRect client{0, 0, 1000, 330};
  const StaveBand treble{90, 60, 50, true, 0x00000000, 0x00F8FFFF};
  const StaveBand bass{240, 60, 60, false, 0x00400000, 0x00FFF0F0};
  for (const StaveBand* band : {&treble, &bass}) {
    DrawStaveBackground(canvas, *band, client);
    DrawStaveLines(canvas, *band, client);
  }
  const GlyphStave g1 = treble.Glyphs();
  const GlyphStave g2 = bass.Glyphs();
  TNoteStave stave;
  int32_t x = 10, range = 0, unused = 0;

  TKey g(nullptr, TKey::keyKindG, 1, 0, &stave, 1, nullptr);
  for (int32_t k = 0; k < 2; ++k) g.SetNoteShift(g.GetShiftHeight(noteShiftKruis, k), noteShiftKruis);
  DrawKey(canvas, g, x, g1, x, range, false);
  DrawTimeSignature(canvas, 3, 4, x, g1, false);
  x += TimeSignatureAdvance(3, 4) + 6;
  for (uint8_t kind : {noteShiftDubbelKruis, noteShiftKruis, noteShiftNormal, noteShiftMol, noteShiftDubbelMol}) {
    TNoteShift(kind, 1, g1).Draw(canvas, x, x, kind == noteShiftKruis);
    x += 6;
  }
  for (int32_t kind : {1, 2, 4, 8, 16, 32, 64}) {
    const int32_t dots = kind == 4 ? 1 : (kind == 8 ? 2 : 0);
    DrawSilence(canvas, kind, dots, x, g1, unused, kind == 2);
    x += SilenceWidth(kind, dots) + 4;
  }
  DrawBarLine(canvas, treble, x);
  x += 12;

  const auto chord = [&](int32_t at, int32_t flag, uint8_t stick, std::vector<int32_t> heights, int32_t dots,
                         uint8_t shift, int32_t beamY) {
    DrawnChord c;
    c.xa = at;
    c.xb = at + 10;
    c.stickX = stick == drawStickUp ? at + 9 : at;
    c.lo = *std::min_element(heights.begin(), heights.end());
    c.hi = *std::max_element(heights.begin(), heights.end());
    c.stickKind = stick;
    c.flagKind = flag;
    c.beamY = beamY;
    for (size_t i = 0; i < heights.size(); ++i) {
      const bool second = i > 0 && heights[i] - heights[i - 1] == 1;
      c.heads.push_back({TDrawNote(g1, 0x00000080, noteHeadEllipse, flag, dots, heights[i], i == 0 ? shift : uint8_t{noteShiftNone}),
                         second, false, 0, 0});
    }
    return c;
  };
  std::vector<DrawnChord> chords;
  chords.push_back(chord(x, 4, drawStickUp, {-2, -1}, 0, noteShiftNone, 0));  // a second
  chords.push_back(chord(x + 40, 2, drawStickDown, {3}, 1, noteShiftMol, 0));
  chords.push_back(chord(x + 75, 1, drawStickUp, {9}, 0, noteShiftNone, 0));
  chords.back().artKind = noteArtStaccato;
  for (int32_t i = 0; i < 3; ++i) {  // a triplet of eighths
    chords.push_back(chord(x + 110 + 25 * i, 8, drawStickUp, {i - 1}, 0, noteShiftNone, -40 + 2 * i));
    chords.back().joinedPrev = i > 0;
    chords.back().continuesNext = i < 2;
  }
  chords.push_back(chord(x + 200, 4, drawStickDown, {4}, 0, noteShiftNone, 0));
  chords.back().SlurBegin = true;
  chords.push_back(chord(x + 240, 4, drawStickDown, {4}, 0, noteShiftNormal, 0));
  chords.back().SlurEnd = true;
  chords.back().artKind = noteArtLegato;
  chords.push_back(chord(x + 285, 16, drawStickUp, {0}, 0, noteShiftNone, -45));
  chords.back().continuesNext = true;
  chords.push_back(chord(x + 310, 8, drawStickUp, {1}, 0, noteShiftNone, -45));
  chords.back().joinedPrev = true;
  chords.push_back(chord(x + 345, 64, drawStickDown, {5}, 0, noteShiftNone, 60));
  DrawChords(canvas, treble, chords);
  DrawTies(canvas, treble, chords);
  DrawTupletBracket(canvas, treble, chords[3].stickX, chords[5].stickX, drawStickUp,
                    BeamLine{chords[3].stickX, -40, chords[5].stickX, -36}, 3);
  DrawEndBar(canvas, treble, x + 380);

  x = 10;
  TKey f(nullptr, TKey::keyKindF, -1, 0, &stave, 1, nullptr);
  for (int32_t k = 0; k < 3; ++k) f.SetNoteShift(f.GetShiftHeight(noteShiftMol, k), noteShiftMol);
  DrawKey(canvas, f, x, g2, x, range, false);
  DrawTimeSignatureOnAllStaves(canvas, 12, 8, x, {g2}, x, true);
  DrawLoopSign(canvas, 3, loopSideLeft, x + 6, {g2}, x, false);
  TKey c(nullptr, TKey::keyKindC, 2, 0, &stave, 1, nullptr);
  DrawKey(canvas, c, x + 10, g2, x, range, true);
  DrawLoopSign(canvas, 12, loopSideRight, x + 10, {g2}, x, false);
  DrawLoopSign(canvas, 2, loopSideRight, x + 10, {g2}, x, true);

  const std::string path = std::string(KORVALEN_BUILD_DIR) + "/score-glyphs.png";
  EXPECT_TRUE(image.save(QString::fromStdString(path)));
  // The top stave line runs the whole width in the foreground; its outer lines are faint.
  EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(995, 70)), treble.fore);
  EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(995, 40)), BlendColour(treble.back, treble.fore, 25));
  EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(995, 65)), treble.back);
}
