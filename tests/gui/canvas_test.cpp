// The score's primitives on the picture canvas, pixel by pixel, and one stave of every glyph
// drawn through it into build/score-glyphs.png.
#include "gui/canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <array>

#include "gui/application.h"
#include "music/flags.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/stavedraw.h"

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF, kInk = 0x00203040;

// The box (half-open) around the pixels of one colour, and their count.
std::array<int32_t, 5> Scan(const QImage& image, uint32_t colour = kInk) {
  std::array<int32_t, 5> found{1000, 1000, -1, -1, 0};
  for (int32_t y = 0; y < image.height(); ++y) {
    for (int32_t x = 0; x < image.width(); ++x) {
      if (PixelCanvas::FromRgb(image.pixel(x, y)) != colour) continue;
      found = {std::min(found[0], x), std::min(found[1], y), std::max(found[2], x + 1), std::max(found[3], y + 1),
               found[4] + 1};
    }
  }
  return found;
}

template <typename Draw>
QImage Drawn(Draw draw) {
  QImage image(60, 60, QImage::Format_RGB32);
  image.fill(PixelCanvas::ToRgb(kWhite));
  PixelCanvas canvas(image);
  canvas.SetPen(kInk, 1);
  canvas.SetBrush(kInk, MuzBrushStyle::Solid);
  draw(canvas);
  return image;
}

}  // namespace

TEST(PictureCanvas, LinesLeaveOutTheirEndPixelAndWidePensStampSquares) {
  struct Case { int32_t x1, y1, x2, y2, width; std::array<int32_t, 5> inked; };
  const Case cases[] = {
      {10, 10, 16, 10, 1, {10, 10, 16, 11, 6}},  {16, 10, 10, 10, 1, {11, 10, 17, 11, 6}},
      {10, 10, 14, 14, 1, {10, 10, 14, 14, 4}},
      {10, 10, 16, 10, 2, {10, 10, 17, 12, 14}}, {10, 10, 10, 20, 3, {9, 9, 12, 21, 36}},
      {10, 10, 10, 10, 3, {1000, 1000, -1, -1, 0}},     
      {-2000000000, 10, 2000000000, 10, 1, {0, 10, 60, 11, 60}}, {-900000, 5, -800000, 5, 1, {1000, 1000, -1, -1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2 << " w" << c.width);
    EXPECT_EQ(Scan(Drawn([&](PixelCanvas& canvas) {
                canvas.SetPen(kInk, c.width);
                canvas.Line(c.x1, c.y1, c.x2, c.y2);
              })),
              c.inked);
  }
}

TEST(PictureCanvas, BoxesAreHalfOpenAndOnlySolidBrushesFillThemWhole) {
  struct Case { MuzBrushStyle style; int32_t minCount, maxCount; };
  for (const Case& c : {Case{MuzBrushStyle::Solid, 30, 30}, Case{MuzBrushStyle::Clear, 0, 0},
                        Case{MuzBrushStyle::Cross, 1, 29}}) {
    const auto inked = Scan(Drawn([&](PixelCanvas& canvas) {
      canvas.SetBrush(kInk, c.style);
      canvas.FillRect(10, 20, 16, 25);
    }));
    EXPECT_TRUE(inked[4] >= c.minCount && inked[4] <= c.maxCount) << inked[4];
    EXPECT_TRUE(inked[4] == 0 || (inked[0] >= 10 && inked[1] >= 20 && inked[2] <= 16 && inked[3] <= 25));
  }
  for (int32_t size : {3, 10}) {
    const QImage image = Drawn([&](PixelCanvas& canvas) { canvas.Ellipse(20, 30, 20 + size, 30 + size); });
    const auto inked = Scan(image);
    EXPECT_EQ((std::array<int32_t, 4>{inked[0], inked[1], inked[2], inked[3]}),
              (std::array<int32_t, 4>{20, 30, 20 + size, 30 + size})) << size;
    EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(20 + size / 2, 30 + size / 2)), kInk) << size;
  }
  const QImage triangle = Drawn([](PixelCanvas& canvas) { canvas.Polygon({{10, 10}, {30, 10}, {10, 30}}); });
  EXPECT_EQ(std::pair(PixelCanvas::FromRgb(triangle.pixel(14, 14)), PixelCanvas::FromRgb(triangle.pixel(25, 25))),
            std::pair(kInk, kWhite));
}

TEST(ScorePicture, OneStaveOfEveryGlyph) {
  InstallFontSubstitutes();
  QImage image(820, 300, QImage::Format_RGB32);
  image.fill(PixelCanvas::ToRgb(0x00C0C0C0));
  PixelCanvas canvas(image);
  const StaveBand treble{{90, 0x00000000, 0x00F8FFFF}, 60, 50, true}, bass{{230, 0x00400000, 0x00FFF0F0}, 50, 50, false};
  for (const StaveBand& band : {treble, bass}) {
    DrawStaveBackground(canvas, band, ClientRect{0, 0, 820, 300});
    DrawStaveLines(canvas, band, ClientRect{0, 0, 820, 300});
  }
  const GlyphStave g1 = treble.Glyphs(), g2 = bass.Glyphs();
  TNoteStave stave;
  int32_t x = 10, range = 0, rest = 0;
  TKey keys[] = {{nullptr, TKey::keyKindG, 1, 0, &stave, 1, nullptr}, {nullptr, TKey::keyKindF, -1, 0, &stave, 1, nullptr},
                 {nullptr, TKey::keyKindC, 2, 0, &stave, 1, nullptr}};
  for (int32_t k = 0; k < 3; ++k) keys[1].SetNoteShift(keys[1].GetShiftHeight(noteShiftMol, k), noteShiftMol);
  for (int32_t k = 0; k < 2; ++k) keys[0].SetNoteShift(keys[0].GetShiftHeight(noteShiftKruis, k), noteShiftKruis);
  DrawKey(canvas, keys[0], x, g1, x, range, false);
  DrawTimeSignature(canvas, 3, 4, x, g1, false);
  x += 27;
  for (uint8_t kind = noteShiftDubbelKruis; kind <= noteShiftDubbelMol; ++kind) {
    TNoteShift(kind, 1, g1).Draw(canvas, x, x, kind == noteShiftKruis);
    x += 6;
  }
  for (int32_t kind = 1; kind <= 64; kind *= 2) {
    DrawSilence(canvas, kind, kind == 4 ? 1 : (kind == 8 ? 2 : 0), x, g1, rest, kind == 2);
    x += SilenceWidth(kind, 2);
  }
  DrawBarLine(canvas, treble, x);
  const auto chord = [&](int32_t at, int32_t flag, uint8_t stick, std::vector<int32_t> heights, int32_t beamY = -40) {
    DrawnChord c;
    c.xa = at, c.xb = at + 10, c.stickX = stick == drawStickUp ? at + 9 : at, c.stickKind = stick;
    c.lo = heights.front(), c.hi = heights.back(), c.flagKind = flag, c.beamY = beamY;
    for (size_t i = 0; i < heights.size(); ++i) {
      const uint8_t shift = i == 0 && flag == 2 ? noteShiftMol : noteShiftNone;
      c.heads.push_back({TDrawNote(g1, 0x00000080, noteHeadEllipse, flag, flag == 2, heights[i], shift), i > 0, false, 0, 0});
    }
    return c;
  };
  std::vector<DrawnChord> chords{chord(x + 12, 4, drawStickUp, {-2, -1}), chord(x + 50, 2, drawStickDown, {3}),
                                 chord(x + 85, 1, drawStickUp, {9})};
  chords[2].artKind = noteArtStaccato;
  for (int32_t i = 0; i < 3; ++i) chords.push_back(chord(x + 120 + 25 * i, 8, drawStickUp, {i - 1}, -40 + 2 * i));
  chords.push_back(chord(x + 210, 4, drawStickDown, {4}));
  chords.push_back(chord(x + 250, 4, drawStickDown, {4}));
  chords.push_back(chord(x + 290, 16, drawStickUp, {0}, -45));
  chords.push_back(chord(x + 315, 8, drawStickUp, {1}, -45));
  chords[3].continuesNext = chords[4].continuesNext = chords[4].joinedPrev = chords[5].joinedPrev = true;
  chords[8].continuesNext = chords[9].joinedPrev = chords[6].SlurBegin = chords[7].SlurEnd = true;
  chords[7].artKind = noteArtLegato;
  DrawChords(canvas, treble, chords);
  DrawTies(canvas, treble, chords);
  DrawTupletBracket(canvas, treble, chords[3].stickX, chords[5].stickX, drawStickUp,
                    BeamLine{chords[3].stickX, -40, chords[5].stickX, -36}, 3);
  DrawEndBar(canvas, treble, x + 345);
  x = 10;
  DrawKey(canvas, keys[1], x, g2, x, range, false);
  DrawTimeSignatureOnAllStaves(canvas, 12, 8, x, {g2}, x, true);
  DrawLoopSign(canvas, 3, loopSideLeft, x + 6, {g2}, x, false);
  DrawKey(canvas, keys[2], x + 10, g2, x, range, true);
  DrawLoopSign(canvas, 12, loopSideRight, x + 10, {g2}, x, false);
  DrawLoopSign(canvas, 2, loopSideRight, x + 10, {g2}, x, true);
  EXPECT_TRUE(image.save(QString::fromStdString(std::string(KORVALEN_BUILD_DIR) + "/score-glyphs.png")));
  // The stave lines run the whole width, the outer ones faint, the spaces in the band's colour.
  EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(755, 70)), treble.fore);
  EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(755, 40)), BlendColour(treble.back, treble.fore, 25));
  EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(755, 65)), treble.back);
}
