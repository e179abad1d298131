// The main window's side of the wave windows: the factory.
#include "app/wavewindow/ChildWave.h"
#include "app/Main.h"
#include "wave/unitwave.h"

TMDIChildWave* TMainForm::CreateMDIChildWave(const std::string& caption,
                                             std::unique_ptr<TUnitWave> unitWave,
                                             const TWaveViewProps& waveProps,
                                             const TVoldViewProps& voldProps) {
  auto child = std::make_unique<TMDIChildWave>(nullptr, std::move(unitWave), waveProps, voldProps);
  return static_cast<TMDIChildWave*>(AddMDIChild(std::move(child), caption));
}
