// The score's small values: accidental kinds and the 7-step accidental table that keys and the
// layout share, tuplet kinds, and note lengths with the arithmetic that turns free lengths back
// into drawable note values.
#pragma once

#include <array>
#include <cstdint>

// Accidentals, one byte each in notes, key signatures and the layout's running tables.
enum : uint8_t {
  noteShiftDubbelKruis = 0,
  noteShiftKruis = 1,
  noteShiftNormal = 2,
  noteShiftMol = 3,
  noteShiftDubbelMol = 4,
  noteShiftNone = 5,  // no accidental given: stands for the entry of another table
};

// Semitones an accidental adds; 0 for natural, none and anything unknown.
int32_t NoteShiftSemitones(uint8_t noteShiftKind);

// Tuplet kinds: the number of notes of the group.
enum : int8_t { sool = 1, duool = 2, triool = 3, kwartool = 4, kwintool = 5 };

// One accidental per step of the scale, indexed by a stave height taken into 0..6.
class TNoteShiftTable {
 public:
  explicit TNoteShiftTable(uint8_t noteShiftKind = noteShiftNormal);
  void Assign(const TNoteShiftTable& other) { *this = other; }

  uint8_t GetNoteShift(int32_t height) const;
  // Refuses a value that is no accidental kind, so a table never holds one.
  bool SetNoteShift(int32_t height, uint8_t noteShiftKind);
  // Keeps every pitch's accidental across a change of clef (clefs are -6, 0 and 6).
  void ChangeKeyKind(int32_t oldKeyKind, int32_t newKeyKind);
  // Every "none" entry takes the other table's entry, which must be an accidental.
  void FillNone(const TNoteShiftTable& other);

  bool operator==(const TNoteShiftTable&) const = default;

 private:
  static int32_t HeightOffset(int32_t height);
  std::array<uint8_t, 7> NoteShiftKinds;
};

// Note length kinds are the denominators 1, 2, 4, ..., 64.
bool IsNoteLengthKind(int32_t noteLengthKind);
// 1/kind, each dot adding half of the previous addition. The kind must be a note length kind.
double NoteValue(int32_t noteLengthKind, int32_t points);
// The kind drawn for a member of a tuplet: doubled for duool, triool and kwartool, quadrupled for
// kwintool. Above 64 nothing can draw it, which is a programming error.
int32_t FlagLengthOf(int32_t noteLengthKind, int32_t multiOol);
// Dots a note value can carry: 3, but 2 on a sixteenth, 1 on a thirty-second, none on a
// sixty-fourth. The dot commands bound both their modes by it.
int32_t MaxPointsForLength(int32_t noteLengthKind);

// A length in whole notes: a plain note value with dots, or a free length that a cut at a bar
// line or at the end of a laid-out stretch left.
struct TNoteLength {
  bool LengthIsBroken = false;
  int8_t NoteLengthKind = 4;
  int32_t Points = 0;
  double BrokenLength = 0;

  // Refuses a kind that is no note length kind and dots outside 0..3; the length stays as it was.
  bool Set(int32_t points, int32_t noteLengthKind);
  void SetBroken(double length);
  double GetValue() const;
  // The largest drawable plain value that fits into this length, with at most 2 dots; returns
  // the remainder. A length below a sixty-fourth is drawn as one whole sixty-fourth with nothing
  // left, so a caller that splits until nothing remains always ends.
  double Split(int32_t& points, int8_t& noteLengthKind, double& value) const;
  int32_t GetFlagLength(int32_t multiOol) const;
  int32_t GetFlagPoints(int32_t multiOol) const;
};
