// The music document: the staves, the tree of music parts, the format the music is rendered in,
// the tempo and the state of the music editor.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/smallobj.h"
#include "foundation/unit.h"

class MuzTreeView;
class MuzView;
class TKey;
class TMusTreeItem;
class TMuzNote;
class TCompoundPlayer;
class TNoteGroup;
class TOnePlayer;
class TMuzNote;
class TNoteStave;
class TSelectPartMuz;
class TSinglePartMuz;
class TXMLItem;
class TXMLToken;
class TPartMuz;
class TStaveSymbol;
class Sound;
class TSilence;
class TMuzBar;
class TStaveTimeSymbol;
class TSinglePartMuz;
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
  // The text of the music file that SaveToFile writes.
  std::string SaveToMemory() const;

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
  void SetPlayAfterEdit(bool play) { PlayAfterEdit = play ? 1 : 0; }

  // --- the document's commands (unitmuz_cmd.cpp) -----------------------------------------------
  void SetCurrentLength(uint8_t kind) { CurNoteLengthKind = kind; }
  uint8_t GetCurrentLength() const { return CurNoteLengthKind; }
  void SetCurrentArticulation(uint8_t kind) { CurNoteArtKind = kind; }
  uint8_t GetCurrentArticulation() const { return CurNoteArtKind; }
  void SetInsertModeKind(uint8_t kind) { InsertKind = kind; }
  uint8_t GetInsertModeKind() const { return InsertKind; }
  uint8_t GetCurrentNoteShift() const { return CurNoteShiftKind; }
  // The mode commands and the tests set the mode through this.
  void SetUnitMuzMode(uint8_t mode) { UnitMuzMode = mode; }

  // The stave chain. Callers refresh and mark the document themselves.
  TNoteStave* AddStave(TNoteStave* prevStave, uint32_t foreground, uint32_t background, int32_t roomUp,
                       int32_t roomDown, uint8_t allowJoinFlags, bool mute, bool extraLines);
  void InsertStaveAfter(TNoteStave* afterStave, TNoteStave* stave);
  // Frees the stave's symbols in every part (and forgets a selection among them); the stave stays.
  void DeleteStave(TNoteStave* noteStave);
  // Frees the group's notes in every part (and forgets a selected one); the group stays.
  void DeleteNoteGroup(TNoteGroup* noteGroup);
  // --- the music dialog's chain edits ------------------------------------------------------------
  // Takes the stave out of the chain without freeing it, for InsertStaveAfter to link in again
  // (unitmuz_move.cpp).
  void UnlinkStave(TNoteStave* stave);
  // A player at half volume, no shift, a simple sampler on "sample" recorded at 1 kHz; and a
  // compound player holding one such player as its current one.
  static std::unique_ptr<TOnePlayer> NewDefaultPlayer(TCompoundPlayer* compoundPlayer);
  std::unique_ptr<TCompoundPlayer> NewDefaultCompoundPlayer();
  // The stave iteration: one per document, never nested.
  bool FirstStave();
  bool NextStave();
  TNoteStave* CurrentStave() const { return StaveCursor; }

  // Symbol upkeep for the editing commands.
  void RemoveSymbol(TStaveSymbol* symbol);
  void ShiftSymbolsAfter(TStaveSymbol* symbol, double timeDifference, TNoteStave* noteStave);
  void RenumberKeysAt(int32_t startNumber, const TNoteStave* noteStave, double position, TStaveSymbol* firstSymbol);
  bool IsPitchTaken(int32_t pitch, TMuzNote* note) const;

  // Commands on the selected note.
  bool CanPlayNoteExecute() const;
  void PlayNote();
  bool CanNoteToPrevNoteGroup() const;
  bool CanNoteToNextNoteGroup() const;
  void NoteToPrevNoteGroup();
  void NoteToNextNoteGroup();
  bool GetActiveStickKind(uint8_t& kind) const;
  bool CanNoteStickUp() const;
  bool CanNoteStickDown() const;
  bool IsNoteStickUp() const;
  bool IsNoteStickDown() const;
  void NoteStickUp();
  void NoteStickDown();
  void SetStickKind(uint8_t kind);

  // --- editor modes, inserting and deleting, lengths, dots, tuplets, articulations (unitmuz_edit.cpp)
  // In add mode the length, dot and articulation commands set what the next note or rest gets; in
  // edit mode they change the selection and what stands with it. Delete mode disables them.
  void SetModeAdd();
  void SetModeEdit();
  void SetModeDelete();
  bool IsModeAdd() const { return UnitMuzMode == unitMuzAdd; }
  bool IsModeEdit() const { return UnitMuzMode == unitMuzSel; }
  bool IsModeDelete() const { return UnitMuzMode == unitMuzDel; }
  // A press in add mode: the stave, the note and the rest under the pointer, the stave's symbols
  // just before and after the pointer, and the pointer's pitch step. The caller redraws and marks.
  void AddSymbol(TNoteStave* inNoteStave, TMuzNote* inNote, TSilence* rest, TStaveSymbol* firstSymbol,
                 TStaveSymbol* lastSymbol, int32_t height);
  bool MayDeleteSymbol(TStaveSymbol* symbol) const;
  void DeleteSymbol(TStaveSymbol* symbol);
  bool CanDeleteSelected() const;
  void DeleteSelected();
  void RemoveSilentTuplet(TStaveTimeSymbol* symbol);

  static int32_t MaxPointsForLength(int32_t kind);
  bool GetActiveLength(uint8_t& kind) const;
  bool GetLengthTarget(uint8_t& insertKind) const;
  bool GetActiveArticulation(uint8_t& art) const;
  bool CanSetNoteLength(int32_t kind) const;
  bool CanSetSilenceLength(int32_t kind) const;
  bool IsNoteLength(int32_t kind) const;
  bool IsSilenceLength(int32_t kind) const;
  void SetNoteLength(int32_t kind);
  void SetSilenceLength(int32_t kind);
  bool CanSetArticulation() const;
  bool IsArticulation(uint8_t art) const;
  void SetArticulation(uint8_t art);
  bool CanAddPoint() const;
  bool CanDeletePoint() const;
  void AddPoint();
  void DeletePoint();
  bool CanSetTuplet(int32_t n) const;
  void SetTuplet(int32_t n);
  void KeyAltN();
  void KeyAltS();
  void KeyL();
  void KeyShiftL();
  void KeyAltL();
  void KeyShiftAltL();

 private:
  // Edit mode's selected note or rest, and its selected bar; null for anything else.
  TStaveTimeSymbol* GetEditedTimeSymbol() const;
  TMuzBar* GetEditedBar() const;
  // Gives every note and rest at the selected one's position the new length kind or the new dots,
  // each keeping the other as it was, and moves the later symbols of the stave from the selected
  // one's old length to the new length of the selected one or of the last at the position.
  void SetTimeAtPosition(TStaveTimeSymbol* selected, std::optional<int32_t> noteLengthKind,
                         std::optional<int32_t> points, bool shiftBySelected);
  // Whether Alt+N or Alt+S can give the edited symbol its own stored length kind.
  bool CanConvertWithLength(int32_t kind) const;
  void StepPoints(int32_t step);
  // In add mode a length command chooses what the next press inserts; answers whether it did.
  bool ChooseInsertLength(int32_t kind, uint8_t insertKind);
  void StepLength(int32_t newKind);
  // Answers whether a whole tuplet went with the symbol.
  bool DeleteSymbolAt(TStaveSymbol* symbol);
  bool RemoveTupletIfSilent(TStaveTimeSymbol* symbol);
  // Puts a note of the rest's length and tuplet place in its stead, and selects it.
  TMuzNote* ReplaceRestByNote(TStaveTimeSymbol* rest, TNoteGroup* noteGroup, int32_t pitch);
  // Moves the later symbols of the stave by `difference`; keys moved back onto a place where keys
  // stand already come after them, as they did in time.
  void ShiftKeepingKeyOrder(TStaveSymbol* anchor, double difference, TNoteStave* noteStave);

 public:

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
  // --- symbols read from a music file, the status text and the part-tree view -------------------
  // Each makes the symbol in its single part and inserts it in time order in the part's list.
  TMuzNote* AddXMLNote(TNoteStave* stave, double position, int8_t noteLengthKind, int32_t points, int32_t pitch,
                       TNoteGroup* noteGroup, uint8_t noteShift, int8_t multiOol, int32_t posInOol,
                       uint8_t noteArtKind, TSinglePartMuz* singlePart, uint8_t drawStickKind);
  TKey* AddXMLKey(TNoteStave* stave, double position, int32_t addOctaves, int8_t keyKind, int32_t keyOrder,
                  TSinglePartMuz* singlePart);
  TSilence* AddXMLSilence(TNoteStave* stave, double position, int8_t noteLengthKind, int32_t points,
                          int8_t multiOol, int32_t posInOol, TSinglePartMuz* singlePart);
  // Panels 1 to 4 of the main window's status bar describe the selected symbol.
  void ShowStatus() const;
  void SelectMusTreeItem(const MuzTreeView& view, void* node);
  void FillMusTree(MuzTreeView& view);

  // --- keys, accidentals, pitch and octave moves (unitmuz_keys.cpp) ------------------------------
  bool CanChangeNoteShift(uint8_t kind) const;
  bool IsNoteShift(uint8_t kind) const;
  void ChangeNoteShift(uint8_t kind);
  bool CanSetKeyKind() const;
  bool IsKeyKind(int8_t kind) const;
  void SetKeyKind(int8_t kind);
  void KeyKindUp();
  void KeyKindDown();
  // A mouse press in add mode while the insert kind is the key note shift; the window redraws.
  void AddKeyNoteShift(TStaveSymbol* symbol, int32_t height);
  void ChangeKey(TKey* key, int8_t kind, int32_t octaves);
  bool UpperPosition(TMuzNote* note, int32_t& pitch) const;
  bool LowerPosition(TMuzNote* note, int32_t& pitch) const;
  bool UpperOctPosition(TMuzNote* note, int32_t& pitch) const;
  bool LowerOctPosition(TMuzNote* note, int32_t& pitch) const;
  bool CanMoveUp() const;
  bool CanMoveDown() const;
  bool CanMoveOctUp() const;
  bool CanMoveOctDown() const;
  void MoveUp() { MovePitch(+1); }
  void MoveDown() { MovePitch(-1); }
  void MoveOctUp() { MoveOctave(+1); }
  void MoveOctDown() { MoveOctave(-1); }
  void MovePitch(int32_t up);
  void MoveOctave(int32_t up);

  // --- selection, movement and switching neighbours (unitmuz_select.cpp) -------------------------
  // Selects, scrolls it into view and plays a note; the callers redraw.
  void SelectSymbol(TXTouchMuzSymbol* symbol);
  bool FindSymbolLeft(TXTouchMuzSymbol*& symbol) const;
  bool FindSymbolRight(TXTouchMuzSymbol*& symbol) const;
  bool CanSelectPrev() const;
  bool CanSelectNext() const;
  void SelectPrev();
  void SelectNext();
  bool CanSelectUp() const;
  bool CanSelectDown() const;
  void SelectUp();
  void SelectDown();
  void SelectFirstInStave();
  void SelectLastInStave();
  TNoteStave* GetSelectedStave() const;
  bool CanSelectPrevStave() const;
  bool CanSelectNextStave() const;
  bool CanSelectFirstStave() const;
  bool CanSelectLastStave() const;
  void SelectPrevStave();
  void SelectNextStave();
  void SelectFirstStave();
  void SelectLastStave();
  void SelectInStave(TNoteStave* stave, double position, TSinglePartMuz* part);
  // Directions of SearchForSwitch.
  static constexpr uint8_t side2Left = 1;
  static constexpr uint8_t side2Right = 2;
  bool CanMovePrev() const;
  bool CanMoveNext() const;
  void MovePrev();
  void MoveNext();
  bool SearchForSwitch(TStaveSymbol* symbol, uint8_t direction, TStaveSymbol*& firstStartSymbol,
                       TStaveSymbol*& lastStartSymbol, TStaveSymbol*& firstFoundSymbol,
                       TStaveSymbol*& lastFoundSymbol) const;
  void SwitchSymbols(TStaveSymbol* firstLeft, TStaveSymbol* lastLeft, TStaveSymbol* firstRight,
                     TStaveSymbol* lastRight);
  void SwitchKeys(TKey* leftKey, TKey* rightKey);
  void SetSymbolPosition(TKey* key, double newPosition, TStaveSymbol* neighbour);
  void FillStaveSilences(TNoteStave* noteStave);

 private:
  // Whether `symbol` lives in the subtree of `part`.
  static bool SymbolInSubtree(const TXTouchMuzSymbol* symbol, const TPartMuz* part);
  // The selected symbol as a stave symbol, or as a note; null for anything else.
  TStaveSymbol* GetSelectedStaveSymbol() const;
  TMuzNote* GetSelectedNote() const;
  TMuzNote* GetNoteForGroupMove() const;
  void MoveNoteToGroup(TMuzNote* note, TNoteGroup* noteGroup);
  // --- helpers of the key, pitch and selection commands ---
  TKey* GetSelectedKey() const;
  TNoteStave* GetNavigationStave() const;
  void SwitchRun(uint8_t direction);
  bool CanSwitch(uint8_t direction) const;
  bool FindSymbolBeside(TXTouchMuzSymbol*& symbol, bool forward) const;
  void SelectBeside(bool forward);
  void StepKeyKind(int8_t first, int8_t middle, int8_t last);
  TStaveSymbol* GetStaveMoveSymbol() const;
  void SelectInStave(TNoteStave* stave, const TStaveSymbol* from);
  bool FindFreePitch(TMuzNote* note, int32_t step, bool onlyFirst, int32_t& pitch) const;
  bool MoveSelectedNote(int32_t up, bool octave);
  // The root part's MoveSymbol, made sure for the symbol's own stave (see unitmuz_select.cpp).
  void RePlaceSymbol(TStaveSymbol* symbol);
  // Numbers the stave's keys at the position 1, 2, ... in list order.
  void RenumberKeysOf(TSinglePartMuz* single, const TNoteStave* noteStave, double position);
  TNoteStave* StaveCursor = nullptr;

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

  // --- reading the music file (music/muzread.cpp) ------------------------------------------------
 public:
  // Reads the file named by the document's file name into this new document.
  bool LoadFromFile(std::string& error);
  // Reads a music file's bytes from memory into this new document.
  bool LoadFromMemory(const char* data, size_t size, std::string& error);
  // Makes this new document a copy of `source` by reading back the tree that saving would write.
  bool Duplicate(const TUnitMuz& source, std::string& error);
  bool ReadFromXML(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column);
  // The symbols the last read passed while it placed the stave symbols in their parts' lists and,
  // for a "7.0" file, while it walked each stave to its notes' keys and accidentals: a score twice
  // as long should take about twice as many.
  int64_t GetReadSteps() const { return ReadSteps; }

 private:
  bool ReadTokens(const char* data, size_t size, std::unique_ptr<TXMLToken>& first, std::string& error,
                  std::string& version);
  bool ReadMuzXML(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column);
  bool ReadBar(TSinglePartMuz* single, const TXMLItem* item, std::string& error, int32_t& line, int32_t& column);
  bool ReadPartNode(const TXMLItem* item, TMusTreeItem* node, std::string& error, int32_t& line, int32_t& column);
  bool ReadSingleMuzPart(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column);
  bool ReadConcatMuzPart(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column);
  bool ReadLoopMuzPart(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column);
  bool ReadSelectMuzPart(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column);
  bool ReadSelectMuzPartTurn(const TXMLItem* item, TSelectPartMuz* select, std::string& error, int32_t& line,
                             int32_t& column);
  bool ReadStave(const TXMLItem*& item, const std::string& version, std::string& error, int32_t& line,
                 int32_t& column);
  bool ReadKeyOrSilence(const TXMLItem*& item, TSinglePartMuz* single, TNoteStave* stave, std::string& error,
                        int32_t& line, int32_t& column);
  bool ReadNoteGroup(const TXMLItem* item, TNoteStave* stave, TNoteGroup*& previous, const std::string& version,
                     std::string& error, int32_t& line, int32_t& column);
  bool ReadNote(const TXMLItem*& item, TSinglePartMuz* single, TNoteStave* stave, TNoteGroup* group,
                const std::string& version, std::string& error, int32_t& line, int32_t& column);
  // Pushes a part read from the file; false when it would nest the tree too deep.
  bool PushReadPart(TPartMuz* part, int32_t depth, const TXMLItem* item, std::string& error, int32_t& line,
                    int32_t& column);
  // Takes the top part's item off the stack, with the part's nesting depth; null when empty.
  std::unique_ptr<TPartMuzStackItem> PopReadPart(int32_t& depth);
  // The items of the part stack in stack order with the nesting depth of each part, so that a
  // push or a pop takes no walk along the chain however many parts a file stacks up.
  struct TReadPart {
    TPartMuzStackItem* item;
    int32_t depth;
  };
  std::vector<TReadPart> ReadParts;
  // Places a symbol read from the file in its part's list, searching from the nearest of the
  // list's head, its tail and the symbol read before.
  void InsertReadSymbol(TStaveSymbol* symbol);
  struct TReadPlace {
    TStaveSymbol* last = nullptr;
    TStaveSymbol* tail = nullptr;
  };
  std::unordered_map<const TSinglePartMuz*, TReadPlace> ReadPlaces;
  int64_t ReadSteps = 0;
};
