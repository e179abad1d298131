// The single level of undo: one wave document, the sound it had before the last operation and
// the selection it had then. Undo exchanges them with the document's, so a second Undo redoes.
#pragma once

#include <cstdint>
#include <memory>

class Sound;
class TUnitWave;

class TUndoUnit {
 public:
  // Keeps the document's present sound and selection; the sound stays the document's.
  explicit TUndoUnit(TUnitWave* unitWave);
  // Deletes the kept sound only when the document no longer holds it.
  ~TUndoUnit();
  TUndoUnit(const TUndoUnit&) = delete;
  TUndoUnit& operator=(const TUndoUnit&) = delete;

  void Restore();

  TUnitWave* GetUnitWave() const { return UnitWave; }
  const Sound* GetSound() const { return TheSound; }

 private:
  friend class TUnitWave;  // SwapUndo exchanges the fields below with the document's

  TUnitWave* UnitWave;
  Sound* TheSound;     // owned whenever it is not the document's current sound
  int32_t SelCursor;   // the document's moving selection end
  int32_t SelAnchor;   // its fixed end
};

// The main window's one slot for the undo record.
class UndoSlot {
 public:
  // Replaces the present record by one for `unitWave`.
  void Push(TUnitWave* unitWave);
  // Undo (and redo) on whatever document the record belongs to; nothing without a record.
  void Restore();
  void Delete() { record_.reset(); }
  // Drops the record only when it belongs to `unitWave`.
  void DeleteUndoOf(const TUnitWave* unitWave);
  bool Holds(const Sound* sound) const { return record_ && sound != nullptr && record_->GetSound() == sound; }

  bool Exists() const { return record_ != nullptr; }
  TUnitWave* GetUnitWave() const { return record_ ? record_->GetUnitWave() : nullptr; }

 private:
  std::unique_ptr<TUndoUnit> record_;
};
