// Score symbols: keys, notes and rests on a stave, held in the time-ordered list of a single part,
// plus the bar of a part and the ends of a loop. Every one can be hit with the mouse, so each
// remembers the horizontal range it was last drawn in.
#pragma once

#include <cstdint>
#include <string>
#include <memory>

#include "music/flags.h"
#include "wave/sound.h"

class TCompoundPlayer;
class TLoopPartMuz;
class TNoteGroup;
class TNoteStave;
class TSinglePartMuz;
class TUnitMuz;
class TXMLCompound;

enum : uint8_t { muzSymbolBar = 0, muzSymbolLoop = 1, muzSymbolStave = 2 };
enum : uint8_t { staveSymbolKey = 0, staveSymbolNote = 1, staveSymbolSilence = 2 };
enum : uint8_t { drawStickUp = 0, drawStickDown = 1, drawStickAuto = 2 };
enum : uint8_t {
  noteArtNormal = 0,
  noteArtStaccato = 1,
  noteArtStaccatissimo = 2,
  noteArtPortato = 3,
  noteArtLegato = 4,
};
enum : uint8_t { loopSideLeft = 1, loopSideRight = 2 };

// A playable note as the note players and the renderer see it.
class TNote {
 public:
  virtual ~TNote() = default;
  virtual TNote* GetNextNote() const = 0;
  virtual TCompoundPlayer* GetCompoundPlayer() const = 0;
  virtual double GetPosition() const = 0;
  virtual double GetTime() const = 0;
  virtual double GetPeriod() const = 0;
  virtual double GetLength() const = 0;
  virtual double GetSoundLength() const = 0;
  virtual bool GetMute() const = 0;

  // --- The note as sound, through its group's compound player --------------------------------------
  // transpose: semitones up; tempo: seconds per whole note. The player clears ok and fills error
  // when it cannot make the sound; a failed allocation raises abort. The sound is the caller's.
  SoundPtr MakeSound(double& volume, int32_t transpose, double tempo, bool& abort, bool& ok,
                     std::string& error) const;
  // Seconds the sound begins before the note's time, and reaches beyond it.
  double GetStartOffset(int32_t transpose, double tempo, bool& ok, std::string& error) const;
  double GetEndOffset(int32_t transpose, double tempo, bool& ok, std::string& error) const;
  // Renders the note alone and plays it; answers whether it could be made. A failure is silent.
  bool Play(double tempo) const;
  // The period the player is handed: the note's, moved by the semitones.
  double GetTransposedPeriod(int32_t transpose) const;
};

class TXTouchMuzSymbol {
 public:
  virtual ~TXTouchMuzSymbol() = default;
  virtual uint8_t GetMuzSymbolKind() const = 0;

  void ResetXRange() { XRangeSet = false; }
  void ExtendXRange(int32_t x);
  // A symbol not drawn since its range was reset cannot be hit: it is infinitely far.
  int32_t GetXDistance(int32_t x) const;
  bool IsLeftOfCentre(int32_t x) const;
  // --- scrolling the selection into view ---
  // False while the symbol has not been drawn since its range was reset.
  bool GetXRange(int32_t& left, int32_t& right) const {
    left = LeftX;
    right = RightX;
    return XRangeSet;
  }

 private:
  int32_t LeftX = 0;
  int32_t RightX = 0;
  bool XRangeSet = false;
};

class TMuzBar : public TXTouchMuzSymbol {
 public:
  // What a bar can hold; the file reader checks it before it builds one.
  static bool IsValid(int32_t length, int32_t count, int32_t countFirstBar);
  // Attaches itself to the part, which owns it from then on.
  TMuzBar(TSinglePartMuz* singlePartMuz, int8_t length, int32_t count, int32_t countFirstBar);

  uint8_t GetMuzSymbolKind() const override { return muzSymbolBar; }
  virtual void Dump() const;

  TSinglePartMuz* GetSinglePartMuz() const { return SinglePartMuz; }
  int8_t GetBarLength() const { return Length; }
  int32_t GetCount() const { return Count; }
  int32_t GetCountFirstBar() const { return CountFirstBar; }

  double GetFirstBarLength() const;
  // The first bar line strictly after t.
  double GetNextBarTime(double t) const;
  // Move the start of the bar grid by one beat. Forward answers 1 when the upbeat wrapped to a
  // full first bar, else 0; back answers 0 when it wrapped from a full first bar, else 1.
  int32_t StepFirstBarForward();
  int32_t StepFirstBarBack();
  // The beat kind and count the editing commands set; an upbeat that no longer fits the shorter
  // bar is cut to its last beat, so the bar stays one the music file can hold.
  void SetMeter(int8_t length, int32_t count) {
    Length = length;
    Count = count;
    if (CountFirstBar >= Count) CountFirstBar = Count - 1;
  }

  // The element of the music file: "Bar" with its count, length and upbeat.
  std::unique_ptr<TXMLCompound> WriteXML() const;

 private:
  int8_t Length;
  int32_t Count;
  int32_t CountFirstBar;
  TSinglePartMuz* SinglePartMuz;
};

class TLoopPartSymbol : public TXTouchMuzSymbol {
 public:
  TLoopPartSymbol(TLoopPartMuz* loopPart, uint8_t side) : LoopPart(loopPart), Side(side) {}
  uint8_t GetMuzSymbolKind() const override { return muzSymbolLoop; }
  TLoopPartMuz* GetLoopPart() const { return LoopPart; }
  uint8_t GetSide() const { return Side; }

 private:
  TLoopPartMuz* LoopPart;
  uint8_t Side;
};

class TKey;
class TMuzNote;
class TStaveTimeSymbol;

class TStaveSymbol : public TXTouchMuzSymbol {
 public:
  TStaveSymbol(TSinglePartMuz* singlePartMuz, double position, TNoteStave* noteStave);
  TStaveSymbol(const TStaveSymbol&) = delete;
  TStaveSymbol& operator=(const TStaveSymbol&) = delete;

  uint8_t GetMuzSymbolKind() const override { return muzSymbolStave; }
  virtual uint8_t GetStaveSymbolKind() const = 0;
  virtual void SetNext(TStaveSymbol* next) { Next = next; }
  virtual int32_t GetYDistance(int32_t y) const = 0;
  virtual void Dump() const = 0;

  void SetPrev(TStaveSymbol* prev) { Prev = prev; }
  TStaveSymbol* GetNext() const { return Next; }
  TStaveSymbol* GetPrev() const { return Prev; }
  double GetSymbolPosition() const { return Position; }
  TNoteStave* GetNoteStave() const { return NoteStave; }
  TSinglePartMuz* GetSinglePartMuz() const { return SinglePartMuz; }
  // The list stays ordered only when the part re-places the symbol right after (MoveSymbol).
  void SetSymbolPosition(double position) { Position = position; }

  // The kind-checked views of this symbol; null when it is of another kind.
  TKey* AsKey();
  TStaveTimeSymbol* AsTimeSymbol();
  TMuzNote* AsNote();

  TMuzNote* GetFirstNoteFrom();
  TKey* FindKeyBefore(const TNoteStave* noteStave);
  // True when a goes before b in a part's list.
  static bool IsPrevOf(TStaveSymbol* a, TStaveSymbol* b);
  // The order of a and b by position, kind and key order or place in the tuplet: negative when a
  // goes first, 0 when only the pitches of two notes, or nothing, tell them apart. A part's list
  // never has a symbol of a higher rank before one of a lower rank.
  static int CompareRank(TStaveSymbol* a, TStaveSymbol* b);

  // Unlink and delete, from this symbol to the end of the list, every symbol on the stave or
  // every note of the group. This symbol may be among them; the answer is the first symbol from
  // here on that remains, null when none does.
  TStaveSymbol* RemoveStaveSymbols(const TNoteStave* noteStave);
  TStaveSymbol* RemoveNoteGroupNotes(const TNoteGroup* noteGroup);

 protected:
  // A y distance that is 0 within 15 pixels of the stave's centre line.
  int32_t GetCentreLineDistance(int32_t y) const;

 private:
  template <typename Doomed>
  TStaveSymbol* RemoveWhere(Doomed doomed);

  TStaveSymbol* Next = nullptr;
  TStaveSymbol* Prev = nullptr;
  TNoteStave* NoteStave;
  double Position;
  TSinglePartMuz* SinglePartMuz;
};

class TKey : public TStaveSymbol {
 public:
  // Clefs by the pitch of the centre line.
  static constexpr int8_t keyKindG = 6;
  static constexpr int8_t keyKindC = 0;
  static constexpr int8_t keyKindF = -6;
  static bool IsKeyKind(int32_t keyKind);

  TKey(TUnitMuz* unitMuz, int8_t keyKind, int32_t addOctaves, double position, TNoteStave* noteStave, int32_t keyOrder,
       TSinglePartMuz* singlePartMuz);

  uint8_t GetStaveSymbolKind() const override { return staveSymbolKey; }
  int32_t GetYDistance(int32_t y) const override { return GetCentreLineDistance(y); }
  void Dump() const override;

  int8_t GetKeyKind() const { return KeyKind; }
  int32_t GetOctavesUp() const { return OctavesUp; }
  int32_t GetKeyOrder() const { return KeyOrder; }
  void SetKeyOrder(int32_t keyOrder) { KeyOrder = keyOrder; }
  // --- the key commands of the document ---
  // Refuses anything outside -2..2; the key keeps its octaves.
  bool SetOctavesUp(int32_t octavesUp);
  TUnitMuz* GetUnitMuz() const { return UnitMuz; }
  const TNoteShiftTable& GetNoteShiftKinds() const { return NoteShiftKinds; }

  int32_t HeightToPitch(int32_t height) const;
  int32_t PitchToHeight(int32_t pitch) const;
  bool IsHeightValid(int32_t height) const;
  // Refuses anything but the three clefs; the signature turns with the clef.
  bool SetKeyKind(int32_t keyKind);

  uint8_t GetNoteShift(int32_t height) const { return NoteShiftKinds.GetNoteShift(height); }
  // A signature holds only sharps, flats and naturals; anything else is refused.
  bool SetNoteShift(int32_t height, uint8_t noteShiftKind);

  // Placement of the signature's glyphs; the kind is a sharp or a flat, k runs 0..6.
  int32_t GetShiftOffset(uint8_t noteShiftKind) const;
  int32_t GetShiftHeight(uint8_t noteShiftKind, int32_t horPos) const;
  int32_t WrapShiftHeight(int32_t height, uint8_t noteShiftKind) const;
  // True for a regular signature (the first n sharps or flats), with +n sharps or -n flats.
  bool ToonLadder(int32_t& scale) const;

  // The element of the music file: "Key" with its clef and signature.
  std::unique_ptr<TXMLCompound> WriteXML() const;

 private:
  int32_t Shift() const { return KeyKind + 7 * OctavesUp; }

  int8_t KeyKind;
  int32_t OctavesUp;
  TNoteShiftTable NoteShiftKinds{noteShiftNormal};
  int32_t KeyOrder;
  TUnitMuz* UnitMuz;
};

class TStaveTimeSymbol : public TStaveSymbol {
 public:
  // A length, dots and tuplet place that can be timed and drawn; the file reader checks them
  // before it builds a rest or a note, since a file may hold anything.
  static bool IsValidTime(int32_t noteLengthKind, int32_t points, int32_t multiOol, int32_t posInOol);

  TStaveTimeSymbol(double position, TNoteStave* noteStave, int8_t noteLengthKind, int32_t points, int8_t multiOol,
                   int32_t posInOol, TSinglePartMuz* singlePartMuz);

  virtual double GetLength() const;
  // Start of this member of its tuplet.
  double GetTime() const;

  int8_t GetNoteLengthKind() const { return NoteLengthKind; }
  int32_t GetPoints() const { return Points; }
  int8_t GetMultiOol() const { return MultiOol; }
  int32_t GetPosInOol() const { return PosInOol; }

  int32_t GetFlagLength() const { return FlagLengthOf(NoteLengthKind, MultiOol); }
  // The stored kind for a drawn kind; false when the tuplet cannot be drawn that long.
  bool FlagLength2TotalLength(int32_t flagLength, int32_t& totalLength) const;
  bool MayTotalPoints(int32_t points) const;
  // The editing commands keep every member of a chord or tuplet a valid time (IsValidTime).
  void SetNoteLengthKind(int8_t noteLengthKind) { NoteLengthKind = noteLengthKind; }
  void SetPoints(int32_t points) { Points = points; }
  void SetMultiOol(int8_t multiOol) { MultiOol = multiOol; }

  // The notes and rests of this stave at this position; the chord versions also share PosInOol.
  TStaveTimeSymbol* GetFirstAtPosition();
  TStaveTimeSymbol* GetNextAtPosition();
  TStaveTimeSymbol* GetLastAtPosition();
  TStaveTimeSymbol* GetFirstOfChord();
  TStaveTimeSymbol* GetNextOfChord();

  void SetMark(int32_t mark);
  void ClearMark();
  int32_t GetMark() const { return Mark; }

 private:
  bool SharesPlaceWith(TStaveSymbol* other, bool samePosInOol) const;
  TStaveTimeSymbol* WalkAtPosition(bool forward, bool samePosInOol);
  TStaveTimeSymbol* WalkToEnd(bool forward, bool samePosInOol);

 protected:
  int8_t NoteLengthKind;
  int32_t Points;
  int8_t MultiOol;
  int32_t PosInOol;

 private:
  int32_t Mark = 0;
};

class TSilence : public TStaveTimeSymbol {
 public:
  TSilence(int8_t noteLengthKind, int32_t points, double position, TNoteStave* noteStave, int8_t multiOol,
           int32_t posInOol, TSinglePartMuz* singlePartMuz)
      : TStaveTimeSymbol(position, noteStave, noteLengthKind, points, multiOol, posInOol, singlePartMuz) {}

  uint8_t GetStaveSymbolKind() const override { return staveSymbolSilence; }
  int32_t GetYDistance(int32_t y) const override { return GetCentreLineDistance(y); }
  void Dump() const override;

  // The element of the music file: "Silence" with its length and tuplet place.
  std::unique_ptr<TXMLCompound> WriteXML() const;
};

class TMuzNote : public TNote, public TStaveTimeSymbol {
 public:
  TMuzNote(TUnitMuz* unitMuz, TNoteGroup* noteGroup, int8_t noteLengthKind, int32_t points, double position,
           int32_t pitch, TNoteStave* noteStave, uint8_t noteShift, int8_t multiOol, int32_t posInOol,
           uint8_t noteArtKind, TSinglePartMuz* singlePartMuz, uint8_t drawStickKind);

  static int32_t GetMinPitch() { return -43; }
  static int32_t GetMaxPitch() { return 43; }

  uint8_t GetStaveSymbolKind() const override { return staveSymbolNote; }
  void SetNext(TStaveSymbol* next) override;
  int32_t GetYDistance(int32_t y) const override;
  void Dump() const override;

  TNote* GetNextNote() const override;
  TCompoundPlayer* GetCompoundPlayer() const override;
  double GetPosition() const override { return GetSymbolPosition(); }
  double GetTime() const override { return TStaveTimeSymbol::GetTime(); }
  double GetPeriod() const override;
  double GetLength() const override { return TStaveTimeSymbol::GetLength(); }
  double GetSoundLength() const override;
  bool GetMute() const override;
  // After an edit: plays the note when the document asks for it, else answers true.
  bool PlayPreview(double tempo) const;

  int32_t GetPitch() const { return Pitch; }
  // Refuses a pitch outside GetMinPitch..GetMaxPitch; the note keeps its pitch.
  bool SetPitch(int32_t pitch);
  uint8_t GetNoteShift() const { return NoteShift; }
  // --- the accidental commands of the document ---
  // Refuses anything but the five accidentals; the note keeps its own.
  bool SetNoteShift(uint8_t noteShift);
  uint8_t GetNoteArtKind() const { return NoteArtKind; }
  uint8_t GetDrawStickKind() const { return DrawStickKind; }
  uint8_t GetBerDrawStickKind() const;
  int32_t GetDrawHeight() const { return DrawHeight; }
  void SetDrawHeight(int32_t drawHeight) { DrawHeight = drawHeight; }
  TNoteGroup* GetNoteGroup() const { return NoteGroup; }
  // The group must be one of the note's stave; the document's group moves keep that.
  void SetNoteGroup(TNoteGroup* noteGroup) { NoteGroup = noteGroup; }
  void SetDrawStickKind(uint8_t drawStickKind) { DrawStickKind = drawStickKind; }
  void SetNoteArtKind(uint8_t noteArtKind) { NoteArtKind = noteArtKind; }
  TUnitMuz* GetUnitMuz() const { return UnitMuz; }

  // The element of the music file: "Note" with its pitch and every option that is not the default.
  std::unique_ptr<TXMLCompound> WriteXML() const;

 private:
  void CheckPitch() const;

  TNoteGroup* NoteGroup;
  TUnitMuz* UnitMuz;
  int32_t Pitch;
  uint8_t NoteShift;
  uint8_t NoteArtKind;
  int32_t DrawHeight = 0;
  uint8_t DrawStickKind;
};
