// The music document: the staves, the tree of music parts, the format the music is rendered in,
// the tempo and the state of the music editor.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/smallobj.h"
#include "foundation/unit.h"

class MuzView;
class TMusTreeItem;
class TNoteGroup;
class TNoteStave;
class TPartMuz;
class Sound;
class TStartPartMuz;
class TXMLCompound;
class TXTouchMuzSymbol;

// What a click in add mode inserts.
enum TInsertMode : uint8_t {
  insertModeKey = 0,
  insertModeNote = 1,
  insertModeKeyNoteShift = 2,
  insertModeSilence = 3
};
enum TUnitMuzMode : uint8_t { unitMuzAdd = 0, unitMuzSel = 1, unitMuzDel = 2 };
// The answer of GetSelMuzSymbolKind when nothing is selected.
inline constexpr uint8_t kNoSelectedSymbol = 3;

namespace muztext {
inline constexpr const char* kCannotSaveMusic = "Cannot save Music: ";
inline constexpr const char* kVersion = "7.1";
inline constexpr const char* kDefaultSampleWave = "sample";
}  // namespace muztext

// One item of the stack the file reader builds the part tree on. The head holds no part; the top
// of the stack is the last item of the chain.
class TPartMuzStackItem {
 public:
  TPartMuzStackItem() = default;
  explicit TPartMuzStackItem(TPartMuz* part) : Contents(part) {}
  ~TPartMuzStackItem();
  TPartMuzStackItem(const TPartMuzStackItem&) = delete;
  TPartMuzStackItem& operator=(const TPartMuzStackItem&) = delete;

  void Append(TPartMuzStackItem* item);
  // Unlinks the last item after this one and hands it to the caller; null when none follows.
  TPartMuzStackItem* PopLast();
  bool IsLast() const { return Next == nullptr; }
  int32_t Count() const;
  TPartMuz* TakeContents();
  void Clear();

 private:
  TPartMuzStackItem* Next = nullptr;
  TPartMuz* Contents = nullptr;
};

class TUnitMuz : public TUnit {
 public:
  explicit TUnitMuz(const std::string& fileName);
  ~TUnitMuz() override;

  // --- TUnit ----------------------------------------------------------------------------------
  bool SaveToFile(const std::string& fileName, bool temporary) override;
  uint32_t GetSamplesPerSec() const override { return SamplesPerSec; }
  int16_t GetChannels() const override { return Channels; }
  int16_t GetBytesPerSample() const override { return BytesPerSample; }
  void SetFormat(const waveFileProps& oldProps, const waveFileProps& newProps) override;

  void InitNew();
  TNoteStave* AddDefaultStave(TNoteStave* after);
  void SetChildMuz(MuzView* childMuz) { ChildMuz = childMuz; }
  MuzView* GetChildMuz() const { return ChildMuz; }
  void Refresh();

  // The document's own element tree of the music file.
  std::unique_ptr<TXMLCompound> BuildXML() const;

  // --- removing what the selection may point into ------------------------------------------------
  // Unlinks and frees a stave with its symbols in every part; the document keeps one stave.
  bool RemoveStave(TNoteStave* stave);
  // Unlinks and frees a note group with its notes in every part; a stave keeps one group.
  bool RemoveNoteGroup(TNoteStave* stave, TNoteGroup* noteGroup);
  // Frees a part that the caller has detached from the tree, with its subtree.
  void DeleteDetachedPart(TPartMuz* part);
  // Forgets a turn item of a select part before the part removes it.
  void ForgetMusTreeItem(const TMusTreeItem* item);

  // --- selection -------------------------------------------------------------------------------
  uint8_t GetSelMuzSymbolKind() const;
  void SetSelectedSymbol(TXTouchMuzSymbol* symbol);
  TXTouchMuzSymbol* GetSelectedSymbol() const { return SelectedSymbol; }
  TNoteStave* GetSelectedInStave() const { return SelectedInStave; }
  void SetSelMusTreeItem(TMusTreeItem* item) { SelMusTreeItem = item; }
  TMusTreeItem* GetSelMusTreeItem() const { return SelMusTreeItem; }
  void CheckParents();

  TNoteStave* GetStartStave() const { return StartStave; }
  TNoteStave* GetCurStave() const { return CurStave; }
  void SetCurStave(TNoteStave* stave) { CurStave = stave; }
  TStartPartMuz* GetStartPartMuz() const { return StartPartMuz.get(); }
  TPartMuzStackItem* GetPartMuzStackItems() const { return PartMuzStackItems; }
  void SetPartMuzStackItems(TPartMuzStackItem* head) { PartMuzStackItems = head; }

  unitTimePosMore& GetTempo() { return Tempo; }
  const unitTimePosMore& GetTempo() const { return Tempo; }
  uint8_t GetCurNoteLengthKind() const { return CurNoteLengthKind; }
  uint8_t GetCurNoteArtKind() const { return CurNoteArtKind; }
  int32_t GetPoints() const { return Points; }
  uint8_t GetInsertKind() const { return InsertKind; }
  uint8_t GetCurNoteShiftKind() const { return CurNoteShiftKind; }
  int8_t GetCurKeyKind() const { return CurKeyKind; }
  uint8_t GetCurStickKind() const { return CurStickKind; }
  uint8_t GetUnitMuzMode() const { return UnitMuzMode; }
  bool GetPlayAfterEdit() const { return PlayAfterEdit != 0; }

  // --- rendering into sound (render.cpp) ------------------------------------------------------------
  // Each answers a new sound of the document's format, or null after a failure it has reported.
  // A null stave or group lets every one through.
  std::unique_ptr<Sound> CreateWave();
  std::unique_ptr<Sound> CreateWaveStave(const TNoteStave* stave);
  std::unique_ptr<Sound> CreateWaveNoteGroup(const TNoteGroup* group);
  // Starts every loop of the tree at its first turn.
  std::unique_ptr<Sound> CreateWavePart(TPartMuz* part);
  std::unique_ptr<Sound> CreateMonoWave(uint32_t samplesPerSec, int16_t bytesPerSample, const TNoteStave* stave,
                                        const TNoteGroup* group, TPartMuz* part);
  std::unique_ptr<Sound> CreateStereoWave(uint32_t samplesPerSec, int16_t bytesPerSample, const TNoteStave* stave,
                                          const TNoteGroup* group, TPartMuz* part);
  std::unique_ptr<Sound> CreateMonoWaveAll(uint32_t samplesPerSec, int16_t bytesPerSample);
  std::unique_ptr<Sound> CreateStereoWaveAll(uint32_t samplesPerSec, int16_t bytesPerSample);

 private:
  // Whether `symbol` lives in the subtree of `part`.
  static bool SymbolInSubtree(const TXTouchMuzSymbol* symbol, const TPartMuz* part);

  int16_t Channels = 1;
  uint32_t SamplesPerSec = 22050;
  int16_t BytesPerSample = 2;
  MuzView* ChildMuz = nullptr;
  TNoteStave* StartStave = nullptr;  // owned, with the whole chain
  TXTouchMuzSymbol* SelectedSymbol = nullptr;
  TNoteStave* SelectedInStave = nullptr;
  std::unique_ptr<TStartPartMuz> StartPartMuz;
  TPartMuzStackItem* PartMuzStackItems = nullptr;
  TMusTreeItem* SelMusTreeItem = nullptr;
  TNoteStave* CurStave = nullptr;
  unitTimePosMore Tempo;
  uint8_t CurNoteLengthKind = 4;
  uint8_t CurNoteArtKind = 0;
  int32_t Points = 0;
  uint8_t InsertKind = insertModeNote;
  uint8_t CurNoteShiftKind = 2;
  int8_t CurKeyKind = 6;
  uint8_t CurStickKind = 2;
  uint8_t UnitMuzMode = unitMuzAdd;
  uint8_t PlayAfterEdit = 1;
};
