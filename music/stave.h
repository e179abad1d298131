// The staves of a score: a doubly linked chain owned by the music document, each stave with its
// chain of note groups (voices) and the settings it is drawn and played with.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/smallobj.h"

class TNoteGroup;
class TUnitMuz;
class TXMLCompound;

class TStave {
 public:
  TStave() = default;
  virtual ~TStave();
  TStave(const TStave&) = delete;
  TStave& operator=(const TStave&) = delete;

  TStave* GetNextStave() const { return Next; }
  TStave* GetPrevStave() const { return Prev; }
  void SetNext(TStave* next) { Next = next; }
  void SetPrev(TStave* prev) { Prev = prev; }
  TNoteGroup* GetStartNoteGroup() const { return StartNoteGroup; }
  TNoteGroup* GetCurNoteGroup() const { return CurNoteGroup; }
  void SetCurNoteGroup(TNoteGroup* group) { CurNoteGroup = group; }

 protected:
  TStave* Next = nullptr;
  TStave* Prev = nullptr;
  TNoteGroup* StartNoteGroup = nullptr;  // owned, with the whole chain
  TNoteGroup* CurNoteGroup = nullptr;
};

// Colours are 0x00BBGGRR.
inline constexpr uint32_t kStaveForeground = 0x000000;
inline constexpr uint32_t kStaveBackground = 0xFFFFFF;
inline constexpr int32_t kStaveRoom = 80;
inline constexpr int32_t kStaveRoomBound = 30;

// Values of `AllowJoinFlags`: the kinds a note's flags are drawn in.
enum TDrawFlagKind : uint8_t { drawFlagSeparate = 0, drawFlagJoin = 1, drawFlagNone = 2 };

class TNoteStave : public TStave {
 public:
  // A stave of the document's defaults, for the symbols' own tests.
  TNoteStave()
      : TNoteStave(nullptr, kStaveForeground, kStaveBackground, kStaveRoom, kStaveRoom, drawFlagJoin, false,
                   false) {}
  explicit TNoteStave(uint8_t mute) : TNoteStave() { Mute = mute != 0; }
  TNoteStave(TUnitMuz* unit, uint32_t foreground, uint32_t background, int32_t roomUp, int32_t roomDown,
             uint8_t allowJoinFlags, bool mute, bool extraLines);

  TNoteStave* GetNext() const { return static_cast<TNoteStave*>(Next); }
  TNoteStave* GetPrev() const { return static_cast<TNoteStave*>(Prev); }
  TUnitMuz* GetUnitMuz() const { return UnitMuz; }

  // Links `group` after `afterGroup`, or first when there is no chain yet or `afterGroup` is null.
  // The stave takes the group over.
  void InsertNoteGroup(TNoteGroup* afterGroup, TNoteGroup* group);
  TNoteGroup* GetPrevNoteGroup(TNoteGroup* group) const;
  // Unlinks `deleteGroup` and hands it back to the caller; the last group stays.
  void DeleteNoteGroup(TNoteGroup* deleteGroup);
  bool HasNoteGroup(const TNoteGroup* group) const;

  TNoteGroup* GetSelectedNoteGroup() const { return SelectedNoteGroup; }
  void SetSelectedNoteGroup(TNoteGroup* noteGroup);

  uint32_t GetForeground() const { return Foreground; }
  uint32_t GetBackground() const { return Background; }
  void SetForeground(uint32_t colour) { Foreground = colour; }
  void SetBackground(uint32_t colour) { Background = colour; }
  unitIntegerMoreUser& GetRoomUp() { return RoomUp; }
  unitIntegerMoreUser& GetRoomDown() { return RoomDown; }
  uint8_t GetAllowJoinFlags() const { return AllowJoinFlags; }
  void SetAllowJoinFlags(uint8_t drawFlagKind);
  uint8_t GetMute() const { return Mute ? 1 : 0; }
  void SetMute(bool mute) { Mute = mute; }
  bool GetExtraLines() const { return ExtraLines; }
  void SetExtraLines(bool extraLines) { ExtraLines = extraLines; }

  // Opens a layout pass with the centre line at y and the drawing at x.
  void StartLayout(int32_t y, int32_t x) {
    CentreY = y;
    DrawX = x;
  }
  int32_t GetCentreY() const { return CentreY; }
  int32_t GetDrawX() const { return DrawX; }

  // The "Stave" element of the music file without the parts' and groups' children, which their
  // own writers add.
  std::unique_ptr<TXMLCompound> WriteSettingsXML() const;

 private:
  uint32_t Foreground;
  uint32_t Background;
  unitIntegerMoreUser RoomUp;
  unitIntegerMoreUser RoomDown;
  uint8_t AllowJoinFlags;
  bool Mute;
  bool ExtraLines;
  TUnitMuz* UnitMuz;
  TNoteGroup* SelectedNoteGroup = nullptr;
  int32_t CentreY = 0;
  int32_t DrawX = 0;
};
