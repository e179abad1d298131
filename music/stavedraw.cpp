#include "music/stavedraw.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "foundation/assertion.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {

constexpr const char* kAssertUnit = "stave";

void Pen(MuzCanvas& canvas, uint32_t colour) {
  canvas.SetPen(colour, 1);
  canvas.SetBrush(colour, MuzBrushStyle::Solid);
}

// y on the straight line through (xa, ya) and (xb, yb); flat when the two share one x.
int32_t LineY(int32_t xa, int32_t ya, int32_t xb, int32_t yb, int32_t x) {
  if (xa == xb) return ya;
  return ya + static_cast<int32_t>(static_cast<int64_t>(yb - ya) * (x - xa) / (xb - xa));
}

int32_t Direction(const DrawnChord& chord) { return chord.stickKind == drawStickUp ? 1 : -1; }

// A band of five lines, two pixels either side of the line from (xa, ya) to (xb, yb).
void Band(MuzCanvas& canvas, int32_t c, int32_t xa, int32_t ya, int32_t xb, int32_t yb) {
  for (int32_t o = -2; o <= 2; ++o) canvas.Line(xa, c + ya + o, xb, c + yb + o);
}

void Beams(MuzCanvas& canvas, int32_t c, const DrawnChord& from, const DrawnChord& to, int32_t levels) {
  const int32_t d = Direction(from);
  for (int32_t level = 0; level < levels; ++level) {
    const int32_t off = 7 * level * d;
    Band(canvas, c, from.stickX, StickEnd(from) + off, to.stickX + 1, StickEnd(to) + off);
  }
}

// Stubs for levels first..last-1 of `at`, 8 pixels toward `toward` along the line between them.
void Stubs(MuzCanvas& canvas, int32_t c, const DrawnChord& at, const DrawnChord& toward, int32_t first,
           int32_t last) {
  const int32_t d = Direction(at);
  const int32_t s = at.stickX;
  const int32_t end = toward.stickX > s ? s + 8 : s - 8;
  const int32_t endY = LineY(s, StickEnd(at), toward.stickX, StickEnd(toward), end);
  for (int32_t level = first; level < last; ++level) {
    const int32_t off = 7 * level * d;
    if (end > s) {
      Band(canvas, c, s, StickEnd(at) + off, end, endY + off);
    } else {
      Band(canvas, c, end, endY + off, s, StickEnd(at) + off);
    }
  }
}

void Flags(MuzCanvas& canvas, int32_t c, const DrawnChord& chord) {
  const int32_t d = Direction(chord);
  const int32_t s = chord.stickX;
  static constexpr MuzPoint kFlag[] = {{0, 0},  {3, 4},  {6, 6},  {7, 8},  {8, 10}, {8, 14}, {6, 16},
                                       {8, 13}, {8, 13}, {8, 13}, {7, 9},  {6, 7},  {3, 5},  {0, 3}};
  for (int32_t level = 0; level < FlagLevels(chord.flagKind); ++level) {
    const int32_t y = c + StickEnd(chord) + 6 * level * d;
    std::vector<MuzPoint> points;
    for (const MuzPoint& p : kFlag) points.push_back({s + p.x, y + p.y * d});
    canvas.Polygon(points);
  }
}

void FlagsOrBeams(MuzCanvas& canvas, int32_t c, const std::vector<DrawnChord>& chords, size_t i) {
  const DrawnChord& chord = chords[i];
  const int32_t f = chord.flagKind;
  if (!chord.joinedPrev && !chord.continuesNext) {
    Flags(canvas, c, chord);
    return;
  }
  const DrawnChord* Next = chord.continuesNext && i + 1 < chords.size() ? &chords[i + 1] : nullptr;
  const DrawnChord* prev = chord.joinedPrev && i > 0 ? &chords[i - 1] : nullptr;
  if (chord.joinedPrev) KV_ASSERT(prev != NULL);
  if (chord.continuesNext) KV_ASSERT(Next != NULL);
  const DrawnChord* next = Next;
  if (chord.joinedPrev && !chord.continuesNext) {
    if (prev->flagKind < f) Stubs(canvas, c, chord, *prev, FlagLevels(prev->flagKind), FlagLevels(f));
    return;
  }
  if (next->flagKind < f) {
    Beams(canvas, c, chord, *next, FlagLevels(next->flagKind));
    if (!chord.joinedPrev) {
      Stubs(canvas, c, chord, *next, FlagLevels(next->flagKind), FlagLevels(f));
    } else if (prev->flagKind < f) {
      Stubs(canvas, c, chord, *prev, FlagLevels(prev->flagKind), FlagLevels(f));
    }
  } else {
    Beams(canvas, c, chord, *next, FlagLevels(f));
  }
}

void Articulation(MuzCanvas& canvas, const StaveBand& band, const DrawnChord& chord) {
  const int32_t c = band.centreY;
  const bool up = chord.stickKind == drawStickUp;
  const int32_t y0 = up ? c - 5 * chord.lo : c - 5 * chord.hi;
  const int32_t xm = (chord.xa + chord.xb) / 2;
  switch (chord.artKind) {
    case noteArtStaccato:
      if (up) canvas.Ellipse(xm - 2, y0 + 7, xm + 2, y0 + 11);
      else canvas.Ellipse(xm - 2, y0 - 10, xm + 2, y0 - 6);
      break;
    case noteArtStaccatissimo:
      if (up) {
        canvas.Line(xm, y0 + 8, xm, y0 + 6);
        canvas.Ellipse(xm - 2, y0 + 9, xm + 2, y0 + 14);
      } else {
        canvas.Line(xm, y0 - 8, xm, y0 - 6);
        canvas.Ellipse(xm - 2, y0 - 13, xm + 2, y0 - 8);
      }
      break;
    case noteArtPortato: {
      const int32_t y = up ? y0 + 8 : y0 - 8;
      canvas.Line(xm - 5, y, xm + 5, y);
      break;
    }
    case noteArtLegato:
      if (up) DrawSlur(canvas, band.fore, xm - 10, y0 + 5, xm + 10, y0 + 5, -9);
      else DrawSlur(canvas, band.fore, xm - 10, y0 - 5, xm + 10, y0 - 5, 9);
      Pen(canvas, band.fore);
      break;
    default: break;
  }
}

}  // namespace

StaveBand StaveBandOf(TNoteStave& stave) {
  return StaveBand{{stave.GetCentreY(), stave.GetForeground(), stave.GetBackground()},
                   stave.GetDrawnRoomUp(),
                   stave.GetDrawnRoomDown(),
                   stave.GetExtraLines()};
}

std::vector<GlyphStave> DocumentStaves(const TUnitMuz& unitMuz) {
  std::vector<GlyphStave> staves;
  for (TNoteStave* stave = unitMuz.GetStartStave(); stave != nullptr; stave = stave->GetNext()) {
    staves.push_back(StaveBandOf(*stave).Glyphs());
  }
  return staves;
}

uint32_t BlendColour(uint32_t a, uint32_t b, int32_t percentOfB) {
  uint32_t result = 0;
  for (int32_t shift = 0; shift < 24; shift += 8) {
    const int64_t ca = (a >> shift) & 0xFF;
    const int64_t cb = (b >> shift) & 0xFF;
    result |= static_cast<uint32_t>((ca * (100 - percentOfB) + cb * percentOfB) / 100) << shift;
  }
  return result;
}

void DrawStaveBackground(MuzCanvas& canvas, const StaveBand& band, const ClientRect& client) {
  // The flood fill that once followed the fill painted the band's own colour over itself, so the
  // fill alone gives the same picture.
  canvas.SetBrush(band.back, MuzBrushStyle::Solid);
  canvas.FillRect(client.left, std::max(band.centreY - band.roomUp, client.top), client.right,
                  std::min(band.centreY + band.roomDown, client.bottom));
}

void DrawStaveLines(MuzCanvas& canvas, const StaveBand& band, const ClientRect& client) {
  const int32_t first = band.extraLines ? -(band.roomUp / 10) : -2;
  const int32_t last = band.extraLines ? band.roomDown / 10 : 2;
  const uint32_t faint = BlendColour(band.back, band.fore, 25);
  for (int32_t k = first; k <= last; ++k) {
    canvas.SetPen(k >= -2 && k <= 2 ? band.fore : faint, 1);
    const int32_t y = band.centreY + 10 * k;
    canvas.Line(client.left, y, client.right, y);
  }
}

void DrawBarLine(MuzCanvas& canvas, const StaveBand& band, int32_t x) {
  canvas.SetPen(band.fore, 1);
  canvas.Line(x, band.centreY - 20, x, band.centreY + 20);
}

void DrawEndBar(MuzCanvas& canvas, const StaveBand& band, int32_t x) {
  canvas.SetBrush(band.fore, MuzBrushStyle::Solid);
  canvas.FillRect(x, band.centreY - 20, x + 1, band.centreY + 20);
  canvas.FillRect(x + 3, band.centreY - 20, x + 7, band.centreY + 20);
}

std::vector<MuzPoint> SlurPoints(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t h) {
  KV_ASSERT(h < -4 || h > 4);
  // The bow is measured from its first end. When the other end lies further out than the (inner,
  // flatter) bow reaches, the root below would be negative; measured from that end it never is.
  const int64_t inner = h < 0 ? h + 4 : h - 4;
  if (inner * inner + static_cast<int64_t>(y2 - y1) * inner < 0) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const int32_t step = x1 < x2 ? 1 : (x1 > x2 ? -1 : 0);
  x1 += step;
  x2 -= step;
  const double sigma = h < 0 ? 1.0 : -1.0;
  const auto curve = [&](double height, double u) {
    const double b = 2 * sigma * std::sqrt(height * height + (y2 - y1) * height) - 2 * height;
    const double a = b * b / (4 * height);
    return MuzPoint{static_cast<int32_t>(std::lround(x1 + (x2 - x1) * u)),
                    static_cast<int32_t>(std::lround(y1 + b * u + a * u * u))};
  };
  std::vector<MuzPoint> points;
  for (int32_t i = 0; i < 25; ++i) points.push_back(curve(h, i / 25.0));
  for (int32_t i = 25; i > 0; --i) points.push_back(curve(h + 4 * sigma, i / 25.0));
  return points;
}

void DrawSlur(MuzCanvas& canvas, uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t h) {
  Pen(canvas, colour);
  canvas.Polygon(SlurPoints(x1, y1, x2, y2, h));
}

int32_t FlagLevels(int32_t flagKind) {
  int32_t levels = 0;
  for (int32_t value = flagKind / 4; value > 1; value /= 2) ++levels;
  return levels;
}

int32_t StickEnd(const DrawnChord& chord) {
  if (chord.flagKind >= 8) return chord.stickEnd;
  return chord.stickKind == drawStickUp ? -5 * chord.hi - 34 : -5 * chord.lo + 34;
}

void DrawChords(MuzCanvas& canvas, const StaveBand& band, std::vector<DrawnChord>& chords) {
  const int32_t c = band.centreY;
  for (size_t i = 0; i < chords.size(); ++i) {
    DrawnChord& chord = chords[i];
    Pen(canvas, band.fore);
    for (int32_t n = 0; n < chord.hi / 2 - 2; ++n) canvas.Line(chord.xa - 6, c - 30 - 10 * n, chord.xb + 6, c - 30 - 10 * n);
    for (int32_t n = 0; n < -chord.lo / 2 - 2; ++n) canvas.Line(chord.xa - 6, c + 30 + 10 * n, chord.xb + 6, c + 30 + 10 * n);
    Articulation(canvas, band, chord);
    const int32_t core = chord.xb - chord.xa;
    for (DrawnHead& head : chord.heads) {
      int32_t shift = 0;
      if (head.displaced) {
        if (chord.stickKind != drawStickUp) KV_ASSERT(chord.stickKind == drawStickDown);
        shift = chord.stickKind == drawStickUp ? core : -core;
      }
      head.note.Draw(canvas, chord.xa + shift, chord.xb + shift, head.leftX, head.rightX, head.selected);
    }
    if (chord.flagKind == 1) continue;
    Pen(canvas, band.fore);
    const int32_t headEnd = chord.stickKind == drawStickUp ? c - 5 * chord.lo : c - 5 * chord.hi;
    // A flagged or beamed stick runs on to the beam line, past where its flags start.
    canvas.Line(chord.stickX, headEnd, chord.stickX, c + (chord.flagKind >= 8 ? chord.beamY : StickEnd(chord)));
    if (chord.flagKind >= 8) FlagsOrBeams(canvas, c, chords, i);
  }
}

void DrawTies(MuzCanvas& canvas, const StaveBand& band, const std::vector<DrawnChord>& chords) {
  const int32_t c = band.centreY;
  for (size_t i = 1; i < chords.size(); ++i) {
    const DrawnChord* prev = &chords[i - 1];
    const DrawnChord& chord = chords[i];
    if (!chord.SlurEnd) continue;
    KV_ASSERT(prev->SlurBegin);
    const int32_t xPrev = (prev->xa + prev->xb) / 2;
    const int32_t xThis = (chord.xa + chord.xb) / 2;
    const uint8_t DrawStickKind = chord.stickKind;
    if (DrawStickKind == drawStickUp) {
      DrawSlur(canvas, band.fore, xPrev, c - 5 * prev->lo + 7, xThis, c - 5 * chord.lo + 7, -13);
    } else {
      KV_ASSERT(DrawStickKind == drawStickDown);
      DrawSlur(canvas, band.fore, xPrev, c - 5 * prev->hi - 7, xThis, c - 5 * chord.hi - 7, 13);
    }
  }
}

int32_t BeamLine::At(int32_t x) const { return LineY(x1, y1, x2, y2, x); }

void DrawTupletBracket(MuzCanvas& canvas, const StaveBand& band, int32_t firstStickX, int32_t lastStickX,
                       uint8_t stickKind, const BeamLine& line, int32_t multiOol) {
  const int32_t c = band.centreY;
  const int32_t x1 = firstStickX - 3;
  const int32_t x2 = lastStickX + 3;
  const int32_t xm = (x1 + x2) / 2;
  const int32_t d = stickKind == drawStickUp ? -1 : 1;
  const auto y = [&](int32_t x, int32_t off) { return c + line.At(x) + off * d; };
  Pen(canvas, band.fore);
  canvas.Line(x1, y(x1, 6), x1, y(x1, 11));
  canvas.Line(x1, y(x1, 11), xm - 7, y(xm - 7, 11));
  canvas.Line(xm + 7, y(xm + 7, 11), x2, y(x2, 11));
  canvas.Line(x2, y(x2, 11), x2, y(x2, 6));
  canvas.SetBrush(band.back, MuzBrushStyle::Solid);
  canvas.Text(xm - 3, y(xm, 11) - 8, std::to_string(multiOol), ScoreNumberFont(12, band.fore), true);
}
