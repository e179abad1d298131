// The working lists of a stave's horizontal layout: columns ordered by time, the chords of the
// three stick kinds and the rests. The part tree enters symbols in time order; the layout passes
// (stavelayout.cpp) turn everything before a bar time into positions and drawing, then free it.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <optional>
#include <vector>

#include "music/flags.h"
#include "music/glyphs.h"
#include "music/stavedraw.h"

class TMuzNote;
class TSilence;

// One accidental kind per step of the scale. Besides the kinds of flags.h an entry may hold
// kShiftClash: two different accidentals set in one column, which differs from every kind.
using ShiftRow = std::array<uint8_t, 7>;
inline constexpr uint8_t kShiftClash = 6;

struct TDrawXPositionItem {
  ShiftRow SetShifts{};     // set in this column by its own notes
  ShiftRow AfterShifts{};   // in effect after it
  ShiftRow BeforeShifts{};  // in effect before it
  int32_t WidthBefore = -1;
  int32_t WidthCore = -1;
  int32_t WidthAfter = -1;
  int32_t X = 0;
  double Time = 0.0;
  int8_t MultiOol = 1;
  int32_t Slot = 0;
  bool KeptAside = false;  // laid out already; the next stretch starts from it
};

struct TDrawXNoteItem {
  TMuzNote* MuzNote = nullptr;
  bool Selected = false;
  bool Displaced = false;
  int32_t Height = 0;
  uint8_t ShownShift = noteShiftNone;
  std::optional<TDrawNote> DrawNote;
};

// What chords and rests share: their place in time and in the columns, and their length.
struct TDrawXTimeItem {
  double Time = 0.0;
  int32_t Slot = 0;
  int8_t MultiOol = 1;
  TDrawXPositionItem* Column = nullptr;
  TNoteLength Length;
  bool KeptAside = false;  // only chords are kept aside; rests are freed with their stretch
};

struct TDrawXNotesItem : TDrawXTimeItem {
  uint8_t DrawStickKind = 0;
  uint8_t NoteArtKind = 0;
  int32_t StickEnd = 0;
  int32_t BeamLineY = 0;
  int32_t StickX = 0;
  bool BeamStart = false;
  bool BeamEnd = false;
  bool GroupStart = false;
  bool GroupEnd = false;
  bool SlurBegin = false;
  bool SlurEnd = false;
  std::vector<TDrawXNoteItem> Notes;
};

struct TDrawXSilItem : TDrawXTimeItem {
  TSilence* Silence = nullptr;
  bool Selected = false;
  int32_t FlagKind = 4;
  int32_t Dots = 0;
  int32_t Width = 0;
};

class StaveLayout {
 public:
  // Found or inserted: columns of one time keep their entry order.
  TDrawXPositionItem* FindColumn(double time, int32_t slot, int8_t multiOol);
  void Clear();

  std::list<TDrawXPositionItem> Columns;
  std::array<std::list<TDrawXNotesItem>, 3> Chords;  // by stick kind: up, down, automatic
  std::list<TDrawXSilItem> Rests;
  ShiftRow RunningShifts;
  ShiftRow KeyShifts;
  // The chord each list kept aside, as it was drawn, for the tie into the next stretch.
  std::array<std::optional<DrawnChord>, 3> KeptDrawn;
  // What the last stretch laid out, for inspection: chords by stick kind, then the rests.
  std::array<std::vector<TDrawXNotesItem>, 3> LastChords;
  std::vector<TDrawXSilItem> LastRests;

  StaveLayout() {
    RunningShifts.fill(noteShiftNormal);
    KeyShifts.fill(noteShiftNormal);
  }
};
