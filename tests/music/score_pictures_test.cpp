// Every glyph, the stave's own drawing and laid-out scores, drawn through the desktop's pixel canvas
// and compared with the reference pictures in tests/music/pictures (see tests/support/picture.h
// for accepting a deliberate change). A moved stroke shows up here where no single coordinate
// check would look. Text would go through the machine's fonts, which differ between machines, so
// it is drawn as a box of its place, length, size and colour.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "gui/canvas.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/muzwindow.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/stavedraw.h"
#include "music/unitmuz.h"
#include "support/picture.h"
#include "tests/music/generated_score.h"
#include "tests/music/score_builder.h"

namespace {

const std::filesystem::path kTests = std::filesystem::path(__FILE__).parent_path();

class FontFreeCanvas : public PixelCanvas {
 public:
  using PixelCanvas::PixelCanvas;
  void Text(int32_t x, int32_t y, const std::string& text, const MuzFont& font, bool opaque) override {
    const int32_t right = x + static_cast<int32_t>(text.size()) * font.size / 2;
    if (opaque) FillRect(x, y, right + 2, y + font.size + 2);
    FillRect(x + 1, y + 1, right, y + font.size, font.colour);
  }
};

constexpr uint32_t kFore = 0x00102030, kBack = 0x00F0E0D0, kOutside = 0x00404040;

// Bands, parts and lines of a document's layout, as the score window draws them.
void DrawScore(TUnitMuz& unit, QImage& image) {
  image.fill(PixelCanvas::ToRgb(kOutside));
  FontFreeCanvas canvas(image);
  MuzStaveWindow window(unit, 10);
  const ClientRect client{0, 10, image.width(), window.StartLayout(10)};
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext())
    DrawStaveBackground(canvas, StaveBandOf(*stave), client);
  window.DrawParts(canvas);
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext())
    DrawStaveLines(canvas, StaveBandOf(*stave), client);
}

}  // namespace

TEST(ScorePictures, EveryGlyphSelectedOrNotDrawsAsItsReference) {
  QImage image(720, 600, QImage::Format_RGB32);
  image.fill(PixelCanvas::ToRgb(kBack));
  FontFreeCanvas canvas(image);
  const auto stave = [](int32_t row) { return GlyphStave{60 + 90 * row, kFore, kBack}; };
  int32_t x = 10, next = 0, range = 0;
  const auto advance = [&](int32_t gap) { x = next + gap; };
  for (bool selected : {false, true})
    for (uint8_t shift = noteShiftDubbelKruis; shift < noteShiftNone; ++shift, advance(6))
      for (int32_t height : {-3, 2}) TNoteShift(shift, height, stave(0)).Draw(canvas, x, next, selected), advance(4);

  x = 10;
  for (int32_t kind = 1; kind <= 64; kind *= 2)
    for (int32_t dots : {0, 2}) DrawSilence(canvas, kind, dots, x, stave(1), next, kind == 8 && dots), advance(6);

  x = 10;
  for (uint8_t shape : {noteHeadEllipse, noteHeadRectangle})
    for (int32_t lengthClass : {1, 2, 4})
      for (int32_t dots : {0, 1, 3}) {
        const TDrawNote head(stave(2), 0x000000C0, shape, lengthClass, dots, lengthClass - dots, noteShiftKruis + dots);
        int32_t shiftWidth = 0, headWidth = 0, dotsWidth = 0, left = 0;
        head.MakeNoteShift(shiftWidth, headWidth, dotsWidth);
        head.Draw(canvas, x + shiftWidth, x + shiftWidth + headWidth, left, next, dots == 1), advance(8);
      }

  x = 10;
  TNoteStave noteStave;
  for (int8_t kind : {TKey::keyKindG, TKey::keyKindF, TKey::keyKindC})
    for (int32_t octaves : {-1, 0, 2}) {
      TKey key(nullptr, kind, octaves, 0, &noteStave, 1, nullptr);
      const uint8_t shift = octaves < 0 ? noteShiftMol : noteShiftKruis;
      for (int32_t k = 0; k < 2 + octaves; ++k) key.SetNoteShift(key.GetShiftHeight(shift, k), shift);
      DrawKey(canvas, key, x, stave(3), next, range, octaves == 2), advance(6);
    }

  x = 10;
  for (auto [count, length] : {std::pair{3, 4}, {12, 8}, {6, 16}})
    for (bool selected : {false, true}) {
      DrawTimeSignature(canvas, count, length, x, stave(4), selected);
      x += TimeSignatureAdvance(count, length) + 6;
    }
  for (int32_t count : {2, 3, 12})
    for (uint8_t side : {loopSideLeft, loopSideRight}) {
      DrawLoopSignOnStave(canvas, count, side, x, stave(4), count == 3);
      x += LoopSignWidth(count) + 6;
    }

  StaveBand band{stave(5), 40, 30, true};
  band.back = 0x00E0F0E0;
  DrawStaveBackground(canvas, band, {0, 0, 720, 600});
  DrawStaveLines(canvas, band, {0, 0, 720, 600});
  DrawBarLine(canvas, band, 20);
  DrawEndBar(canvas, band, 690);
  DrawSlur(canvas, kFore, 40, band.centreY - 10, 140, band.centreY - 20, 12);
  DrawSlur(canvas, 0x000000C0, 150, band.centreY + 25, 190, band.centreY + 5, -6);
  DrawTupletBracket(canvas, band, 220, 300, drawStickUp, {220, -40, 300, -30}, triool);
  DrawTupletBracket(canvas, band, 330, 400, drawStickDown, {330, 35, 400, 25}, kwintool);
  ExpectPicture(image, kTests / "pictures" / "glyphs.png");
}

// Two staves in their own colours, the second with extra lines, a group of square heads, a key
// change, every accidental and articulation, tuplets and a selected note.
TEST(ScorePictures, EveryScoreElementDrawsAsItsReference) {
  ScoreBuilder s;
  TNoteStave* second = s.unit.AddDefaultStave(s.stave);
  second->SetExtraLines(true);
  second->SetForeground(0x00800000);
  second->SetBackground(0x00E0FFFF);
  auto* square = new TNoteGroup(second, std::make_unique<TCompoundPlayer>(&s.unit), 0x000000C0, noteHeadRectangle,
                                drawStickDown);
  second->InsertNoteGroup(second->GetStartNoteGroup(), square);
  TSinglePartMuz* rich = s.Single();
  s.Root(s.Concat(rich, s.Single()));
  rich->GetKeyAt(0, s.stave)->SetNoteShift(4, noteShiftKruis);
  rich->GetKeyAt(0, s.stave)->SetNoteShift(1, noteShiftKruis);
  s.unit.AddXMLKey(second, 1, 1, TKey::keyKindC, 2, rich)->SetNoteShift(6, noteShiftMol);
  const uint8_t arts[] = {noteArtNormal, noteArtStaccato, noteArtLegato, noteArtPortato, noteArtStaccatissimo};
  for (int32_t i = 0; i < 5; ++i) {
    TMuzNote* note = s.unit.AddXMLNote(s.stave, i * 0.125, 8, 0, 3 * i - 6, s.group, static_cast<uint8_t>(i), sool, 0,
                                       arts[i], rich, i == 2 ? drawStickUp : drawStickAuto);
    s.unit.AddXMLNote(s.stave, 0.75, 16, 0, i - 4, s.group, noteShiftNone, kwintool, i, arts[4 - i], rich, drawStickAuto);
    if (i == 3) s.unit.SetSelectedSymbol(note);
  }
  for (int32_t slot = 0; slot < 2; ++slot) {
    s.unit.AddXMLNote(second, 0, 8, 1, 14 - 9 * slot, square, noteShiftNormal, duool, slot, noteArtNormal, rich,
                      drawStickAuto);
    s.unit.AddXMLNote(second, 1.5, 4, 0, slot, square, noteShiftMol, triool, slot, noteArtNormal, rich, drawStickAuto);
  }
  s.unit.AddXMLSilence(second, 1.5, 4, 0, triool, 2, rich);
  s.unit.AddXMLSilence(second, 1, 8, 1, sool, 0, rich);
  QImage image(800, 300, QImage::Format_RGB32);
  DrawScore(s.unit, image);
  ExpectPicture(image, kTests / "pictures" / "every_element.png");
}

// A score whose notes cross bar lines (ties), with every length, dots, both stick directions and
// beams, followed by a hidden loop, a loop, a loop of a hidden part and a select part.
TEST(ScorePictures, NotesCrossingBarLinesAndPartsOfEveryKindDrawAsTheirReference) {
  ScoreBuilder s;
  s.unit.AddDefaultStave(s.stave);
  TSinglePartMuz* single = s.Single();
  double position = 0;
  int32_t pitch = 2;
  for (int8_t kind : {2, 4, 8, 16, 32, 64, 1, 8, 8, 4, 16, 16, 32, 32, 2}) {
    const int32_t dots = kind == 4 || kind == 32;
    single->InsertSymbol(new TMuzNote(&s.unit, s.group, kind, dots, position + 0.375, pitch, s.stave,
                                      noteShiftNormal, sool, 0, noteArtNormal, single,
                                      pitch % 3 == 0 ? drawStickDown : drawStickAuto));
    position += (2.0 - 1.0 / (1 << dots)) / kind;
    pitch = (pitch + 5) % 13;
  }
  single->InsertSymbol(new TSilence(4, 1, 0, s.stave, sool, 0, single));
  TLoopPartMuz* hidden = s.Loop(2, s.Single({{0, 4}}));
  hidden->SetVisibleFlag(false);  // takes no room
  TSinglePartMuz* folded = s.Single({{0, 4}});
  folded->SetVisibleFlag(false);  // its loop shows both signs side by side
  TPartMuz* tail = s.Concat(s.Loop(3, folded), s.Select(GeneratedSingle(s.unit, 1), {1, 2}));
  s.Root(s.Concat(single, s.Concat(hidden, s.Concat(s.Loop(2, GeneratedSingle(s.unit, 1)), tail))));
  QImage score(1400, 300, QImage::Format_RGB32);
  DrawScore(s.unit, score);
  ExpectPicture(score, kTests / "pictures" / "crossing_notes.png");
}
