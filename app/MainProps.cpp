// The main window's commands on one document's format and name, and the About box.
#include <QAction>

#include "app/About.h"
#include "app/DRegister.h"
#include "app/DWaveProps.h"
#include "app/Main.h"
#include "wave/unitwave.h"

void TMainForm::ConnectPropsCommands() {
  const auto bind = [this](const char* name, void (TMainForm::*handler)()) {
    connect(Action(name), &QAction::triggered, this, [this, handler] { (this->*handler)(); });
  };
  bind("FileProperties", &TMainForm::FilePropertiesExecute);
  bind("Register", &TMainForm::RegisterExecute);
  bind("HelpAbout", &TMainForm::HelpAboutExecute);
}

void TMainForm::FilePropertiesExecute() {
  TUnitWave* unitWave = ActiveUnitWave();
  if (!unitWave) return;
  const waveFileProps oldProps(unitWave->GetChannels(),
                               static_cast<int32_t>(unitWave->GetSamplesPerSec()),
                               unitWave->GetBytesPerSample());
  TDlgWaveFileProp dialog(this, oldProps);
  if (dialog.ShowModal() != QDialog::Accepted) return;
  const waveFileProps newProps = dialog.GetProps();
  SetHourGlass();
  PushUndo(*unitWave);
  unitWave->SetFormat(oldProps, newProps);
  unitWave->SetModified();
  ClearHourGlass();
}

void TMainForm::RegisterExecute() {
  TUnit* unit = ActiveUnit();
  if (!unit) return;
  TDlgRegisterWave dialog(this, unit->GetName());
  if (dialog.ShowModal() != QDialog::Accepted) return;
  unit->SetName(dialog.GetName());
  SetEditName(dialog.GetName());
}

void TMainForm::HelpAboutExecute() {
  TAboutBox box(this);
  box.ShowModal();
}
