// The staves of a score: a doubly linked chain owned by the music document, each stave with its
// chain of note groups (voices) and the settings it is drawn and played with.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "foundation/smallobj.h"

class MuzCanvas;
class StaveLayout;
class TKey;
class TMuzNote;
class TNoteGroup;
class TSilence;
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
// A stave's room as the score draws it. A file may hold any room of at least kStaveRoomBound;
// beyond this much a stave would only show more of its background, and with it the layout's sums
// stay far inside 32 bits.
inline constexpr int32_t kMaxDrawnRoom = 1 << 15;
// Where the layout stops moving staves down: the ones past it, further than any scroll bar reaches,
// are stacked there instead of overflowing the coordinates.
inline constexpr int64_t kMaxLayoutY = 1 << 30;

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
  int32_t GetDrawnRoomUp() const { return std::min(RoomUp.GetValue(), kMaxDrawnRoom); }
  int32_t GetDrawnRoomDown() const { return std::min(RoomDown.GetValue(), kMaxDrawnRoom); }
  uint8_t GetAllowJoinFlags() const { return AllowJoinFlags; }
  void SetAllowJoinFlags(uint8_t drawFlagKind);
  uint8_t GetMute() const { return Mute ? 1 : 0; }
  void SetMute(bool mute) { Mute = mute; }
  bool GetExtraLines() const { return ExtraLines; }
  void SetExtraLines(bool extraLines) { ExtraLines = extraLines; }

  // Opens a layout pass with the centre line at y and the drawing at x.
  void StartLayout(int32_t y, int32_t x);
  int32_t GetCentreY() const { return CentreY; }
  int32_t GetDrawX() const { return DrawX; }

  // The "Stave" element of the music file without the parts' and groups' children, which their
  // own writers add.
  std::unique_ptr<TXMLCompound> WriteSettingsXML() const;
  // The whole "Stave" element: the settings, one key part per single part, then the note groups.
  std::unique_ptr<TXMLCompound> WriteXML() const;

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

  // --- Horizontal layout (stavelayout.cpp) ---------------------------------------------------------
 public:
  ~TNoteStave() override;
  void SetDrawX(int32_t x) { DrawX = x; }
  double GetLastLayoutTime() const { return LastLayoutTime; }
  void SetLastLayoutTime(double time) { LastLayoutTime = time; }
  // The key in effect; its signature becomes both accidental tables.
  void SetKey(TKey* key);
  TKey* GetKey() const { return Key; }
  void AddNoteToLayout(TMuzNote* muzNote, bool selected);
  void AddSilenceToLayout(TSilence* silence, bool selected);
  bool HasLayout() const;
  // Lays out and draws everything before time t from x on; resultX is the x after it.
  void LayoutSymbols(double t, MuzCanvas& canvas, int32_t x, int32_t& resultX);
  void ExtendWidth(int32_t x) { DrawX = DrawX > x ? DrawX : x; }
  void CarryNoteShifts();
  // The lists and what the last stretch drew; null before the first layout.
  const StaveLayout* GetLayout() const { return Layout.get(); }

 private:
  StaveLayout& LayoutLists();

  struct LayoutDeleter {
    void operator()(StaveLayout* layout) const;
  };
  std::unique_ptr<StaveLayout, LayoutDeleter> Layout;
  double LastLayoutTime = 0.0;
  TKey* Key = nullptr;
};
