// The main window's side of the wave windows: the factory and the notices the windows send.
#include "app/ChildWave.h"
#include "app/Main.h"
#include "foundation/assertion.h"
#include "wave/unitwave.h"

namespace {

constexpr const char* kAssertUnit = "Main";

}  // namespace

TMDIChildWave* TMainForm::CreateMDIChildWave(const std::string& caption,
                                             std::unique_ptr<TUnitWave> unitWave,
                                             const TWaveViewProps& waveProps,
                                             const TVoldViewProps& voldProps) {
  auto child = std::make_unique<TMDIChildWave>(nullptr, std::move(unitWave), waveProps, voldProps);
  return static_cast<TMDIChildWave*>(AddMDIChild(std::move(child), caption));
}

// Only the Select-and-Zoom dialog listens to these notices; until it exists they reach no one.
void TMainForm::NotifyZoomChanged(TMDIChildWave*) {}

void TMainForm::NotifyActiveWaveChild(TMDIChildWave*) {}

bool TMainForm::SaveWave(TUnitWave* unitWave) {
  KV_ASSERT(unitWave != NULL);
  KV_ASSERT(unitWave->GetValues() != 0);
  // A document that never had a file needs Save As and its file dialog; without them it stays
  // unsaved and its window stays open.
  if (unitWave->GetState() == 0) return false;
  // The cursor store may hold the I-beam of a name edit: the hourglass then waits its turn.
  const bool hourGlass = SavedCursor == crDefault;
  if (hourGlass) SetHourGlass();
  const bool saved = unitWave->SaveToFile(unitWave->GetFileName(), false);
  if (saved) unitWave->SetSaved();
  if (hourGlass) ClearHourGlass();
  return saved;
}
