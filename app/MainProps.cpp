// The main window's commands on one document's format and name, and the About box.
#include <QAction>

#include "app/About.h"
#include "app/dialogs/DRegister.h"
#include "app/dialogs/DWaveProps.h"
#include "app/HourGlass.h"
#include "app/Main.h"
#include "music/unitmuz.h"
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
  // A music document changes the format it renders in, without undo.
  TUnit* unit = unitWave != nullptr ? static_cast<TUnit*>(unitWave) : ActiveUnitMuz();
  if (!unit) return;
  const waveFileProps oldProps(unit->GetChannels(), static_cast<int32_t>(unit->GetSamplesPerSec()),
                               unit->GetBytesPerSample());
  TDlgWaveFileProp dialog(this, oldProps);
  if (dialog.ShowModal() != QDialog::Accepted) return;
  const waveFileProps newProps = dialog.GetProps();
  CommandHourGlass busy(*this);
  if (unitWave) PushUndo(*unitWave);
  unit->SetFormat(oldProps, newProps);
  unit->SetModified();
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
