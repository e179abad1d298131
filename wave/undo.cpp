#include "wave/undo.h"

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/sound.h"
#include "wave/unitwave.h"

namespace {
constexpr const char* kAssertUnit = "unitwave";
}  // namespace

TUndoUnit::TUndoUnit(TUnitWave* unitWave)
    : UnitWave(unitWave), TheSound(nullptr), SelCursor(0), SelAnchor(0) {
  KV_ASSERT(unitWave != nullptr);
  DebugLog("TUndoUnit::TUndoUnit\n");
  TheSound = unitWave->GetSound();
  SelCursor = unitWave->GetSelCursor();
  SelAnchor = unitWave->GetSelAnchor();
  DebugLog("TUndoUnit::TUndoUnit end\n");
}

TUndoUnit::~TUndoUnit() {
  DebugLog("TUndoUnit::~TUndoUnit\n");
  if (TheSound != nullptr && TheSound != UnitWave->GetSound()) delete TheSound;
  DebugLog("TUndoUnit::~TUndoUnit end\n");
}

void TUndoUnit::Restore() { UnitWave->SwapUndo(*this); }

void UndoSlot::Push(TUnitWave* unitWave) {
  // The old record goes first: it may own a sound that the new one must not see.
  record_.reset();
  record_ = std::make_unique<TUndoUnit>(unitWave);
}

void UndoSlot::Restore() {
  if (record_) record_->Restore();
}

void UndoSlot::DeleteUndoOf(const TUnitWave* unitWave) {
  if (record_ && record_->GetUnitWave() == unitWave) record_.reset();
}
