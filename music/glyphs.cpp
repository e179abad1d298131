#include "music/glyphs.h"

#include <string>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "music/flags.h"
#include "music/muznote.h"

namespace {

constexpr const char* kAssertUnit = "glyphs";

// Pen and brush both in one colour: the glyphs are solid shapes.
void Ink(MuzCanvas& canvas, uint32_t colour, int32_t penWidth) {
  canvas.SetPen(colour, penWidth);
  canvas.SetBrush(colour, MuzBrushStyle::Solid);
}

void Polyline(MuzCanvas& canvas, int32_t x, int32_t y, const std::vector<MuzPoint>& offsets) {
  for (size_t i = 1; i < offsets.size(); ++i) {
    canvas.Line(x + offsets[i - 1].x, y + offsets[i - 1].y, x + offsets[i].x, y + offsets[i].y);
  }
}

std::vector<MuzPoint> Moved(int32_t x, int32_t y, const std::vector<MuzPoint>& offsets) {
  std::vector<MuzPoint> points;
  points.reserve(offsets.size());
  for (const MuzPoint& p : offsets) points.push_back({x + p.x, y + p.y});
  return points;
}

struct Colours {
  uint32_t ink;
  uint32_t paper;  // the colour around the glyph, for holes in it
};

Colours GlyphColours(MuzCanvas& canvas, const GlyphStave& stave, bool selected, int32_t left, int32_t top,
                     int32_t right, int32_t bottom) {
  const uint32_t ink = BeginGlyph(canvas, stave, selected, left, top, right, bottom);
  return {ink, selected ? stave.fore : stave.back};
}

void DrawFlat(MuzCanvas& canvas, int32_t x, int32_t y, const Colours& colours) {
  Ink(canvas, colours.ink, 2);
  canvas.Line(x, y - 15, x, y + 5);
  Ink(canvas, colours.ink, 1);
  canvas.Polygon(Moved(x, y, {{1, -3}, {4, -6}, {8, -6}, {10, -4}, {9, -1}, {5, 3}, {1, 5}}));
  Ink(canvas, colours.paper, 1);
  canvas.Polygon(Moved(x, y, {{3, -2}, {5, -4}, {7, -4}, {7, -2}, {3, 2}}));
}

void DrawOctaveMark(MuzCanvas& canvas, int32_t x, int32_t y, int32_t octaves) {
  // An "8" of two stacked balls; two octaves get a bar before it.
  canvas.Ellipse(x + 1, y, x + 6, y + 5);
  canvas.Ellipse(x, y + 4, x + 7, y + 10);
  if (octaves == 2) canvas.FillRect(x - 4, y, x - 2, y + 10);
}

struct ClefShape {
  int8_t keyKind;
  int32_t left, top, right, bottom;  // selection rectangle, from x and c
  int32_t rightEnd;
  int32_t markAboveX, markAboveY, markBelowX, markBelowY;
};

constexpr ClefShape kClefShapes[] = {
    {TKey::keyKindF, -2, -22, 28, 13, 27, 8, -33, 8, 14},
    {TKey::keyKindC, -3, -23, 28, 23, 28, 9, -34, 9, 24},
    {TKey::keyKindG, -2, -34, 29, 33, 28, 9, -44, 9, 34},
};

void DrawClefOutline(MuzCanvas& canvas, int8_t keyKind, int32_t x, int32_t c, uint32_t ink) {
  switch (keyKind) {
    case TKey::keyKindG:
      Ink(canvas, ink, 2);
      canvas.Line(x + 14, c - 32, x + 12, c + 26);
      Polyline(canvas, x, c,
               {{14, -32}, {19, -26}, {17, -17}, {6, -6}, {3, 4}, {8, 13}, {17, 15}, {26, 10}, {27, 2},
                {21, -3}, {13, -1}, {10, 5}, {14, 9}});
      Ink(canvas, ink, 1);
      canvas.Ellipse(x + 7, c + 23, x + 14, c + 30);
      break;
    case TKey::keyKindF:
      Ink(canvas, ink, 1);
      canvas.Ellipse(x, c - 14, x + 8, c - 6);
      Ink(canvas, ink, 2);
      Polyline(canvas, x, c, {{2, -14}, {8, -19}, {15, -19}, {20, -14}, {20, -6}, {14, 3}, {2, 11}});
      Ink(canvas, ink, 1);
      canvas.Ellipse(x + 23, c - 17, x + 27, c - 13);
      canvas.Ellipse(x + 23, c - 7, x + 27, c - 3);
      break;
    default:
      Ink(canvas, ink, 1);
      canvas.FillRect(x, c - 20, x + 5, c + 21);
      canvas.FillRect(x + 7, c - 20, x + 9, c + 21);
      Ink(canvas, ink, 2);
      for (int32_t side : {-1, 1}) {
        Polyline(canvas, x, c,
                 {{9, 0}, {14, 6 * side}, {16, 19 * side}, {22, 21 * side}, {27, 17 * side}, {26, 11 * side},
                  {21, 9 * side}});
      }
      break;
  }
}

int32_t HookCount(int32_t noteLengthKind) {
  switch (noteLengthKind) {
    case 8: return 1;
    case 16: return 2;
    case 32: return 3;
    case 64: return 4;
    default: return 0;
  }
}

}  // namespace

uint32_t BeginGlyph(MuzCanvas& canvas, const GlyphStave& stave, bool selected, int32_t left, int32_t top,
                    int32_t right, int32_t bottom) {
  if (!selected) return stave.fore;
  canvas.SetPen(stave.fore, 1);
  canvas.SetBrush(stave.fore, MuzBrushStyle::Solid);
  canvas.FillRect(left, top, right, bottom);
  return stave.back;
}

MuzFont ScoreNumberFont(int32_t size, uint32_t colour) { return MuzFont{"Times New Roman", size, true, colour}; }

void DrawGlyphDots(MuzCanvas& canvas, int32_t x, int32_t y, int32_t dots) {
  for (int32_t i = 0; i < dots; ++i) canvas.Ellipse(x + 4 * i, y, x + 4 * i + 3, y + 3);
}

// ---- accidentals

int32_t TNoteShift::GetYDistance(int32_t y) const {
  const int32_t d = y - Y();
  return d < 0 ? -d : d;
}

void TNoteShift::Dump() const {
  static const char* const kWords[] = {"krskrs ", "kruis ", "norm ", "mol ", "molmol "};
  DebugLog("NoteShift:");
  if (Kind < 5) DebugLog(kWords[Kind]);
}

int32_t TNoteShift::GetWidth(uint8_t kind) {
  switch (kind) {
    case noteShiftDubbelKruis: return 15;
    case noteShiftKruis: return 13;
    case noteShiftNormal: return 10;
    case noteShiftMol: return 12;
    case noteShiftDubbelMol: return 24;
    default: KV_ASSERT(kind <= noteShiftDubbelMol); return 0;
  }
}

void TNoteShift::Draw(MuzCanvas& canvas, int32_t x, int32_t& nextX, bool selected) const {
  const int32_t y = Y();
  switch (Kind) {
    case noteShiftDubbelKruis: {
      const Colours colours = GlyphColours(canvas, Stave, selected, x - 3, y - 9, x + 15, y + 9);
      Ink(canvas, colours.ink, 1);
      for (int32_t sx : {-1, 1}) {
        for (int32_t sy : {-1, 1}) {
          canvas.Polygon({{x + 6, y}, {x + 6 + 3 * sx, y + sy}, {x + 6 + 7 * sx, y + 7 * sy}, {x + 6 + sx, y + 3 * sy}});
        }
      }
      break;
    }
    case noteShiftKruis: {
      const Colours colours = GlyphColours(canvas, Stave, selected, x - 3, y - 14, x + 12, y + 14);
      Ink(canvas, colours.ink, 2);
      canvas.Line(x + 2, y - 9, x + 2, y + 12);
      canvas.Line(x + 7, y - 11, x + 7, y + 10);
      canvas.Line(x - 1, y, x + 9, y - 6);
      canvas.Line(x - 1, y + 6, x + 9, y);
      break;
    }
    case noteShiftNormal: {
      const Colours colours = GlyphColours(canvas, Stave, selected, x - 3, y - 15, x + 9, y + 15);
      Ink(canvas, colours.ink, 2);
      canvas.Line(x, y - 12, x, y + 6);
      canvas.Line(x + 6, y - 6, x + 6, y + 12);
      Ink(canvas, colours.ink, 3);
      canvas.Line(x, y - 5, x + 5, y - 8);
      canvas.Line(x, y + 6, x + 5, y + 3);
      break;
    }
    case noteShiftMol: {
      DrawFlat(canvas, x, y, GlyphColours(canvas, Stave, selected, x - 3, y - 18, x + 12, y + 8));
      break;
    }
    case noteShiftDubbelMol: {
      const Colours colours = GlyphColours(canvas, Stave, selected, x - 3, y - 18, x + 24, y + 8);
      DrawFlat(canvas, x, y, colours);
      DrawFlat(canvas, x + 12, y, colours);
      break;
    }
    default: KV_ASSERT(Kind <= noteShiftDubbelMol); break;
  }
  nextX = x + GetWidth();
}

// ---- note heads

void TDrawNote::Dump() const { DebugLog("TDrawNote:"); }

void TDrawNote::MakeNoteShift(int32_t& noteShiftWidth, int32_t& headWidth, int32_t& dotsWidth) const {
  noteShiftWidth = NoteShift == noteShiftNone ? 0 : TNoteShift::GetWidth(NoteShift);
  headWidth = 10;
  dotsWidth = 4 * Dots + 8;
}

void TDrawNote::Draw(MuzCanvas& canvas, int32_t headLeftX, int32_t headRightX, int32_t& leftX, int32_t& rightX,
                     bool selected) const {
  int32_t noteShiftWidth = 0;
  int32_t headWidth = 0;
  int32_t dotsWidth = 0;
  MakeNoteShift(noteShiftWidth, headWidth, dotsWidth);
  if (NoteShift != noteShiftNone) {
    int32_t unused = 0;
    TNoteShift(NoteShift, Height, Stave).Draw(canvas, headLeftX - noteShiftWidth, unused, selected);
  }
  const int32_t y = Stave.centreY - 5 * Height;
  leftX = headLeftX - noteShiftWidth;
  rightX = headRightX + 4 * Dots;
  // A dot on a line moves up into the space, where it can be seen.
  const int32_t dotTop = Height % 2 == 0 ? y - 6 : y - 1;
  const uint32_t ink = selected ? Stave.back : GroupColour;
  const uint32_t paper = selected ? Stave.fore : Stave.back;
  if (selected) BeginGlyph(canvas, Stave, true, headLeftX - 1, y - 6, rightX + 2, y + 7);
  const bool open = LengthClass == 1 || LengthClass == 2;
  const auto shape = [&](uint32_t colour, int32_t inset) {
    Ink(canvas, colour, 1);
    if (HeadShape == noteHeadRectangle) {
      canvas.FillRect(headLeftX + inset, y - 4 + inset, headRightX - inset, y + 5 - inset);
    } else {
      canvas.Ellipse(headLeftX + inset, y - 4 + inset, headRightX - inset, y + 5 - inset);
    }
  };
  shape(ink, 0);
  if (open) shape(paper, 2);
  Ink(canvas, ink, 1);
  DrawGlyphDots(canvas, headRightX + 2, dotTop, Dots);
}

// ---- rests

int32_t SilenceWidth(int32_t noteLengthKind, int32_t points) {
  KV_ASSERT(IsNoteLengthKind(noteLengthKind));
  int32_t width = 18;
  switch (noteLengthKind) {
    case 1:
    case 2: width = 22; break;
    case 4: width = 18; break;
    case 8: width = 20; break;
    case 16: width = 23; break;
    case 32: width = 26; break;
    default: width = 29; break;
  }
  return width + 4 * points;
}

void DrawSilence(MuzCanvas& canvas, int32_t noteLengthKind, int32_t points, int32_t x, const GlyphStave& stave,
                 int32_t& nextX, bool selected) {
  const int32_t c = stave.centreY;
  const uint32_t ink =
      BeginGlyph(canvas, stave, selected, x - 2, c - 22, x + SilenceWidth(noteLengthKind, points) - 2, c + 22);
  Ink(canvas, ink, 1);
  int32_t glyphRight = x + 14;
  const int32_t hooks = HookCount(noteLengthKind);
  if (noteLengthKind == 1) {
    canvas.FillRect(x, c - 9, x + 14, c - 4);
  } else if (noteLengthKind == 2) {
    canvas.FillRect(x, c - 5, x + 14, c);
  } else if (hooks == 0) {
    canvas.Polygon(Moved(x, c, {{3, -15}, {9, -8}, {5, -2}, {10, 5}, {4, 3}, {7, 10}, {1, 4}, {6, 5}, {2, -2},
                                {6, -8}}));
    glyphRight = x + 10;
  } else {
    // Each hook hangs 3 pixels left of and 10 below the one before; the stem runs along them.
    const int32_t top = hooks <= 2 ? c - 8 : c - 18;
    for (int32_t i = 0; i < hooks; ++i) {
      const int32_t hx = x + 3 * (hooks - 1 - i);
      const int32_t hy = top + 10 * i;
      canvas.Ellipse(hx, hy, hx + 5, hy + 5);
      canvas.Polygon(Moved(hx, hy, {{2, 3}, {6, 5}, {10, 1}, {11, 2}, {7, 7}, {2, 5}}));
    }
    const int32_t stemX = x + 3 * (hooks - 1) + 10;
    Ink(canvas, ink, 2);
    canvas.Line(stemX, top + 2, stemX - 3 * (hooks - 1) - 6, top + 10 * (hooks - 1) + 22);
    Ink(canvas, ink, 1);
    glyphRight = stemX + 2;
  }
  DrawGlyphDots(canvas, glyphRight + 1, c - 5, points);
  nextX = glyphRight + 4 * points;
}

// ---- clefs and key signatures

void DrawKey(MuzCanvas& canvas, TKey& key, int32_t x, const GlyphStave& stave, int32_t& nextX,
             int32_t& rangeRight, bool selected) {
  const int32_t c = stave.centreY;
  const ClefShape* clef = &kClefShapes[2];
  for (const ClefShape& shape : kClefShapes) {
    if (shape.keyKind == key.GetKeyKind()) clef = &shape;
  }
  const uint32_t ink =
      BeginGlyph(canvas, stave, selected, x + clef->left, c + clef->top, x + clef->right, c + clef->bottom);
  DrawClefOutline(canvas, clef->keyKind, x, c, ink);
  const int32_t octaves = key.GetOctavesUp();
  Ink(canvas, ink, 1);
  if (octaves == 1 || octaves == 2) {
    DrawOctaveMark(canvas, x + clef->markAboveX, c + clef->markAboveY, octaves);
  } else if (octaves == -1 || octaves == -2) {
    DrawOctaveMark(canvas, x + clef->markBelowX, c + clef->markBelowY, -octaves);
  }
  // Without a signature the key ends with its clef; the gap before the signature is only there
  // when there is one.
  rangeRight = x + clef->rightEnd;
  int32_t signatureX = rangeRight + 3;
  for (uint8_t kind : {noteShiftKruis, noteShiftMol}) {
    for (int32_t k = 0; k < 7; ++k) {
      const int32_t height = key.GetShiftHeight(kind, k);
      if (key.GetNoteShift(height) != kind) continue;
      TNoteShift(kind, key.WrapShiftHeight(height, kind), stave).Draw(canvas, signatureX, signatureX, selected);
      rangeRight = signatureX;
    }
  }
  nextX = rangeRight + 2;
  key.ExtendXRange(x);
  key.ExtendXRange(rangeRight);
}

// ---- time signatures

int32_t TimeSignatureAdvance(int32_t count, int32_t length) { return count < 10 && length < 10 ? 21 : 39; }

void DrawTimeSignature(MuzCanvas& canvas, int32_t count, int32_t length, int32_t x, const GlyphStave& stave,
                       bool selected) {
  const int32_t c = stave.centreY;
  const int32_t right = count >= 10 || length >= 10 ? x + 28 : x + 14;
  const uint32_t ink = BeginGlyph(canvas, stave, selected, x - 2, c - 23, right, c + 24);
  const MuzFont font = ScoreNumberFont(18, ink);
  canvas.Text(x, c - 23, std::to_string(count), font, false);
  canvas.Text(x, c - 2, std::to_string(length), font, false);
}

void DrawTimeSignatureOnAllStaves(MuzCanvas& canvas, int32_t count, int32_t length, int32_t x,
                                  const std::vector<GlyphStave>& staves, int32_t& nextX, bool selected) {
  for (const GlyphStave& stave : staves) DrawTimeSignature(canvas, count, length, x, stave, selected);
  nextX = x + TimeSignatureAdvance(count, length);
}

void DrawMuzBar(MuzCanvas& canvas, TMuzBar& bar, int32_t x, const std::vector<GlyphStave>& staves, int32_t& nextX,
                bool selected) {
  DrawTimeSignatureOnAllStaves(canvas, bar.GetCount(), bar.GetBarLength(), x, staves, nextX, selected);
  bar.ExtendXRange(x - 2);
  bar.ExtendXRange(nextX + 2);
}

// ---- repeat signs

int32_t LoopSignWidth(int32_t count) {
  if (count == 2) return 13;
  return count < 10 ? 26 : 40;
}

void DrawLoopSignOnStave(MuzCanvas& canvas, int32_t count, uint8_t side, int32_t x, const GlyphStave& stave,
                         bool selected) {
  const int32_t c = stave.centreY;
  const int32_t width = LoopSignWidth(count);
  const uint32_t ink = BeginGlyph(canvas, stave, selected, x - 3, c - 23, x + width + 4, c + 24);
  const bool left = side == loopSideLeft;
  const int32_t thickX = left ? x + 1 : x + width - 1;
  const int32_t thinX = left ? x + 5 : x + width - 5;
  const int32_t dotsX = left ? x + 8 : x + width - 12;
  Ink(canvas, ink, 3);
  canvas.Line(thickX, c - 20, thickX, c + 20);
  Ink(canvas, ink, 1);
  canvas.Line(thinX, c - 20, thinX, c + 20);
  canvas.Ellipse(dotsX, c - 7, dotsX + 5, c - 2);
  canvas.Ellipse(dotsX, c + 3, dotsX + 5, c + 8);
  if (count != 2) canvas.Text(left ? x + 15 : x + 1, c - 11, std::to_string(count), ScoreNumberFont(18, ink), false);
}

void DrawLoopSign(MuzCanvas& canvas, int32_t count, uint8_t side, int32_t x, const std::vector<GlyphStave>& staves,
                  int32_t& nextX, bool selected) {
  for (const GlyphStave& stave : staves) DrawLoopSignOnStave(canvas, count, side, x, stave, selected);
  nextX = x + LoopSignWidth(count) + 5;
}

void DrawLoopPartSymbol(MuzCanvas& canvas, TLoopPartSymbol& symbol, int32_t count, int32_t x,
                        const std::vector<GlyphStave>& staves, int32_t& nextX, bool selected) {
  DrawLoopSign(canvas, count, symbol.GetSide(), x, staves, nextX, selected);
  symbol.ExtendXRange(x - 2);
  symbol.ExtendXRange(nextX);
}
