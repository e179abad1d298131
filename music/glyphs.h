// The score's glyphs: accidentals, note heads with their dots, rests, clefs with their key
// signatures, time signatures and repeat signs. Each is drawn from a left x and answers where it
// ends, so the layout can place the next thing. A selected glyph is drawn inverted: a rectangle in
// the stave's foreground colour with the glyph in its background colour on it.
#pragma once

#include <cstdint>
#include <vector>

#include "music/muzcanvas.h"

class TKey;
class TLoopPartSymbol;
class TMuzBar;

// Where a stave stands on the canvas and in which colours it draws.
struct GlyphStave {
  int32_t centreY = 0;
  uint32_t fore = 0x000000;
  uint32_t back = 0xFFFFFF;
};

// The colour a glyph is drawn in after its selection rectangle, if any, has been filled.
uint32_t BeginGlyph(MuzCanvas& canvas, const GlyphStave& stave, bool selected, int32_t left, int32_t top,
                    int32_t right, int32_t bottom);

// A drawn accidental, made for one drawing.
class TNoteShift {
 public:
  TNoteShift(uint8_t kind, int32_t height, const GlyphStave& stave) : Kind(kind), Height(height), Stave(stave) {}
  virtual ~TNoteShift() = default;

  virtual int32_t GetYDistance(int32_t y) const;
  virtual void Dump() const;

  // The kind must be an accidental (not noteShiftNone).
  static int32_t GetWidth(uint8_t kind);
  int32_t GetWidth() const { return GetWidth(Kind); }
  void Draw(MuzCanvas& canvas, int32_t x, int32_t& nextX, bool selected) const;

 private:
  int32_t Y() const { return Stave.centreY - 5 * Height; }

  uint8_t Kind;
  int32_t Height;
  GlyphStave Stave;
};

enum : uint8_t { noteHeadEllipse = 0, noteHeadRectangle = 1 };

// A drawn note head as the layout makes it; the group's colour and head shape come with it.
class TDrawNote {
 public:
  TDrawNote(const GlyphStave& stave, uint32_t groupColour, uint8_t headShape, int32_t lengthClass, int32_t dots,
            int32_t height, uint8_t noteShift)
      : Stave(stave),
        GroupColour(groupColour),
        HeadShape(headShape),
        LengthClass(lengthClass),
        Dots(dots),
        Height(height),
        NoteShift(noteShift) {}
  virtual ~TDrawNote() = default;
  virtual void Dump() const;

  void MakeNoteShift(int32_t& noteShiftWidth, int32_t& headWidth, int32_t& dotsWidth) const;
  void Draw(MuzCanvas& canvas, int32_t headLeftX, int32_t headRightX, int32_t& leftX, int32_t& rightX,
            bool selected) const;
  int32_t GetHeight() const { return Height; }

 private:
  GlyphStave Stave;
  uint32_t GroupColour;
  uint8_t HeadShape;
  int32_t LengthClass;
  int32_t Dots;
  int32_t Height;
  uint8_t NoteShift;
};

// Draws the dots of a head or rest: 3-pixel circles 4 pixels apart from x, the top at y.
void DrawGlyphDots(MuzCanvas& canvas, int32_t x, int32_t y, int32_t dots);

// Rests. The length kind must be a note length kind.
int32_t SilenceWidth(int32_t noteLengthKind, int32_t points);
void DrawSilence(MuzCanvas& canvas, int32_t noteLengthKind, int32_t points, int32_t x, const GlyphStave& stave,
                 int32_t& nextX, bool selected);

// A clef with its octave mark and key signature. The key's x range, for the mouse, grows to run
// from x to where the signature ends (rangeRight).
void DrawKey(MuzCanvas& canvas, TKey& key, int32_t x, const GlyphStave& stave, int32_t& nextX, int32_t& rangeRight,
             bool selected);

// A time signature on one stave, and on every stave of the document.
int32_t TimeSignatureAdvance(int32_t count, int32_t length);
void DrawTimeSignature(MuzCanvas& canvas, int32_t count, int32_t length, int32_t x, const GlyphStave& stave,
                       bool selected);
void DrawTimeSignatureOnAllStaves(MuzCanvas& canvas, int32_t count, int32_t length, int32_t x,
                                  const std::vector<GlyphStave>& staves, int32_t& nextX, bool selected);

// The bar's time signature on every stave; its x range grows to x - 2 .. nextX + 2.
void DrawMuzBar(MuzCanvas& canvas, TMuzBar& bar, int32_t x, const std::vector<GlyphStave>& staves, int32_t& nextX,
                bool selected);

// The sign at either end of a repeated stretch; side is loopSideLeft or loopSideRight.
int32_t LoopSignWidth(int32_t count);
void DrawLoopSignOnStave(MuzCanvas& canvas, int32_t count, uint8_t side, int32_t x, const GlyphStave& stave,
                         bool selected);
void DrawLoopSign(MuzCanvas& canvas, int32_t count, uint8_t side, int32_t x, const std::vector<GlyphStave>& staves,
                  int32_t& nextX, bool selected);
// The loop end's sign on every stave; its x range grows to x - 2 .. nextX.
void DrawLoopPartSymbol(MuzCanvas& canvas, TLoopPartSymbol& symbol, int32_t count, int32_t x,
                        const std::vector<GlyphStave>& staves, int32_t& nextX, bool selected);

// The font of the numbers on time signatures, repeat signs and tuplets.
MuzFont ScoreNumberFont(int32_t size, uint32_t colour);
