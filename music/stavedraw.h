// What a stave draws besides the symbols' own glyphs: its band and lines, bar lines, the closing
// double bar, and for its laid-out chords the ledger lines, articulation marks, heads, sticks,
// flags, beams, ties, slurs and tuplet brackets. The layout decides every position; these
// routines only paint what it hands them.
#pragma once

#include <cstdint>
#include <vector>

#include "music/glyphs.h"
#include "music/muzcanvas.h"

class TNoteStave;
class TUnitMuz;

// A stave's glyph place and colours with the room of its band and whether ledger positions are
// drawn across it.
struct StaveBand : GlyphStave {
  int32_t roomUp = 40;
  int32_t roomDown = 40;
  bool extraLines = false;

  GlyphStave Glyphs() const { return *this; }
};

// A stave's own colours, rooms and extra lines, with its centre line of the current layout.
StaveBand StaveBandOf(TNoteStave& stave);
// Every stave of the document in order, for the signs that run across all of them.
std::vector<GlyphStave> DocumentStaves(const TUnitMuz& unitMuz);

struct ClientRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Per red, green and blue: (percent of b plus the rest of a), truncated.
uint32_t BlendColour(uint32_t a, uint32_t b, int32_t percentOfB);

void DrawStaveBackground(MuzCanvas& canvas, const StaveBand& band, const ClientRect& client);
void DrawStaveLines(MuzCanvas& canvas, const StaveBand& band, const ClientRect& client);
void DrawBarLine(MuzCanvas& canvas, const StaveBand& band, int32_t x);
void DrawEndBar(MuzCanvas& canvas, const StaveBand& band, int32_t x);

// A filled crescent from (x1, y1) to (x2, y2) bowing h pixels (up for h > 0). |h| must exceed 4.
std::vector<MuzPoint> SlurPoints(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t h);
void DrawSlur(MuzCanvas& canvas, uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t h);

// One head of a chord as the layout placed it; the drawing answers its x range.
struct DrawnHead {
  TDrawNote note;
  bool displaced = false;
  bool selected = false;
  int32_t leftX = 0;
  int32_t rightX = 0;
};

// One chord as the layout leaves it. xa and xb bound the head column, stickX is the stick's x,
// lo and hi the lowest and highest head heights, flagKind the drawn flag kind (1, 2, 4 ... 64).
// For flag kinds of 8 and more, stickEnd is where flags and beams hang from and beamY the beam
// line at the stick that the stick runs to, both relative to the centre line.
struct DrawnChord {
  int32_t xa = 0;
  int32_t xb = 0;
  int32_t stickX = 0;
  int32_t lo = 0;
  int32_t hi = 0;
  uint8_t stickKind = 0;
  int32_t flagKind = 4;
  int32_t stickEnd = 0;
  int32_t beamY = 0;
  uint8_t artKind = 0;
  bool joinedPrev = false;
  bool continuesNext = false;
  bool SlurBegin = false;  // a tie starts here
  bool SlurEnd = false;    // a tie ends here
  std::vector<DrawnHead> heads;
};

// The number of beams or flags of a drawn flag kind.
int32_t FlagLevels(int32_t flagKind);
// Where the flags or beams of a chord start, relative to the centre line; a stick of flag kind
// below 8 ends there too.
int32_t StickEnd(const DrawnChord& chord);

// Ledger lines, articulation, heads, stick and flags or beams of every chord, in order.
void DrawChords(MuzCanvas& canvas, const StaveBand& band, std::vector<DrawnChord>& chords);
// Ties from each chord that begins one to the next chord that ends it.
void DrawTies(MuzCanvas& canvas, const StaveBand& band, const std::vector<DrawnChord>& chords);

// A straight beam line, relative to the centre line, through two points.
struct BeamLine {
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
  int32_t At(int32_t x) const;
};

void DrawTupletBracket(MuzCanvas& canvas, const StaveBand& band, int32_t firstStickX, int32_t lastStickX,
                       uint8_t stickKind, const BeamLine& line, int32_t multiOol);
