// The File menu's document commands: new, open, duplicate, save and save as, and the file dialogs
// they show.
#include "app/MainFile.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <cstddef>
#include <filesystem>

#include "app/wavewindow/ChildWave.h"
#include "app/wavewindow/ChildWin.h"
#include "app/dialogs/DWaveProps.h"
#include "app/HourGlass.h"
#include "app/Main.h"
#include "app/MuzWindows.h"
#include "foundation/assertion.h"
#include "foundation/messages.h"
#include "gui/application.h"
#include "gui/cursors.h"
#include "wave/sound.h"
#include "wave/unitwave.h"
#include "wave/wave.h"
#include "wave/wavefile.h"
#include "music/unitmuz.h"

namespace {

constexpr const char* kAssertUnit = "Main";
constexpr const char* kEveryFilePattern = "*.*";

// The display records a copy of `window` starts with: its own, or the defaults for a window
// that has none.
struct DisplayRecords {
  TWaveViewProps wave;
  TVoldViewProps vold;
};
DisplayRecords DisplayRecordsOf(const TMainForm& form, const TMDIChildKorvalen& window) {
  if (const auto* waveWindow = dynamic_cast<const TMDIChildWave*>(&window)) {
    return {waveWindow->GetWaveViewProps(), waveWindow->GetVoldViewProps()};
  }
  return {form.WaveViewDefaults, form.VoldViewDefaults};
}

// A new or duplicated document shows as a waveform.
void ShowAsWave(TMainForm& form) {
  form.Action("ViewVold")->setChecked(false);
  form.Action("ViewWave")->setChecked(false);
  form.Action("ViewWave")->setChecked(true);
}

// The file name of a document opened or saved through a dialog is a full path; any other (the
// "NONAME" name of a generated document) was never chosen by the user and would land in the
// current directory without an extension.
bool NameChosenByUser(const std::string& fileName) {
  return !fileName.empty() && std::filesystem::path(fileName).is_absolute();
}

// Each file chosen in the open dialog, in turn, under one hourglass.
void OpenChosenFiles(TMainForm& form, QFileDialog& dialog,
                     bool (TMainForm::*open)(const std::string&)) {
  const std::vector<std::string> files = ChooseFilesToOpen(dialog);
  if (files.empty()) return;
  CommandHourGlass busy(form);
  for (const std::string& file : files) (form.*open)(file);
}

}  // namespace

// --- File dialogs -----------------------------------------------------------------------------

QStringList NameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (qsizetype index = 0; index + 1 < parts.size(); index += 2) {
    QStringList patterns = parts[index + 1].split(';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      if (pattern == kEveryFilePattern) pattern = "*";
    }
    // The dialog shows the description alone and filters by the last parentheses.
    filters << parts[index] + " (" + patterns.join(' ') + ")";
  }
  return filters;
}

namespace {

// The extension of a name filter's first pattern ("Music Files (*.kvm)" gives "kvm"); none for a
// pattern of every file ("*") or one whose extension has wildcards.
QString SuffixOfFilter(const QString& nameFilter) {
  const qsizetype open = nameFilter.lastIndexOf('(');
  const QString pattern = nameFilter.mid(open + 1).section(')', 0, 0).section(' ', 0, 0);
  const QString suffix = pattern.startsWith("*.") ? pattern.mid(2) : QString();
  return suffix.contains('*') || suffix.contains('?') ? QString() : suffix;
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const char* filter) {
  auto dialog = std::make_unique<QFileDialog>(owner);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  dialog->setNameFilters(NameFilters(filter));
  return dialog;
}

}  // namespace

std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* owner, const char* filter) {
  auto dialog = MakeFileDialog(owner, filter);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFiles);
  return dialog;
}

std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* owner, const char* filter,
                                            const char* extension) {
  auto dialog = MakeFileDialog(owner, filter);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setDefaultSuffix(extension);
  // The question comes from ChooseFileToSave, through the program's own message boxes.
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  return dialog;
}

std::vector<std::string> ChooseFilesToOpen(QFileDialog& dialog) {
  std::vector<std::string> files;
  if (ExecModal(dialog) != QDialog::Accepted) return files;
  for (const QString& file : dialog.selectedFiles()) files.push_back(file.toStdString());
  return files;
}

bool ChooseFileToSave(QFileDialog& dialog, std::string& fileName) {
  // The dialog's own default suffix stays for a filter of every file; a filter of one kind
  // names the extension itself, so a typed name lands where an open dialog on that filter lists
  // it. The filter is read only now: choosing it in code tells no one.
  const QString fallback = dialog.defaultSuffix();
  while (ExecModal(dialog) == QDialog::Accepted) {
    const QString suffix = SuffixOfFilter(dialog.selectedNameFilter());
    dialog.setDefaultSuffix(suffix.isEmpty() ? fallback : suffix);
    const QStringList files = dialog.selectedFiles();
    dialog.setDefaultSuffix(fallback);
    if (files.isEmpty() || files.first().isEmpty()) continue;
    const QFileInfo chosen(files.first());
    if (chosen.isDir()) continue;
    if (!chosen.absoluteDir().exists()) {
      ShowMessageBox(chosen.absoluteFilePath().toStdString() + filetext::kNoFolderAfter,
                     filetext::kSaveAsCaption, kMbOk | kMbIconWarning);
      continue;
    }
    if (chosen.exists() &&
        ShowMessageBox(chosen.absoluteFilePath().toStdString() + filetext::kReplaceAfter,
                       filetext::kSaveAsCaption, kMbYesNo | kMbIconWarning) != kIdYes) {
      continue;
    }
    fileName = chosen.absoluteFilePath().toStdString();
    return true;
  }
  return false;
}

// --- Commands ---------------------------------------------------------------------------------

void TMainForm::ConnectFileCommands() {
  BindCommand("FileNewWave", &TMainForm::FileNewWaveExecute);
  BindCommand("FileOpenWave", &TMainForm::FileOpenWaveExecute);
  BindCommand("DuplicateWave", &TMainForm::DuplicateWaveExecute);
  BindCommand("FileSave", &TMainForm::FileSaveExecute);
  BindCommand("FileSaveAs", &TMainForm::FileSaveAsExecute);
  ConnectMuzFileCommands();
}

TMDIChildKorvalen* TMainForm::ChildOfUnit(const TUnit* unit) const {
  for (TMDIChildKorvalen* child : MDIChildren()) {
    if (child->GetUnit() == unit) return child;
  }
  return nullptr;
}

void TMainForm::FileNewWaveExecute() {
  const waveFileProps offered(2, 44100, 2);
  TDlgWaveFileProp dialog(this, offered);
  if (dialog.ShowModal() != QDialog::Accepted) return;
  const std::string name = NextNoName();
  auto unit = std::make_unique<TUnitWave>(name, dialog.GetProps());
  SetUnitProps(*unit);
  TMDIChildWave* window =
      CreateMDIChildWave(name, std::move(unit), WaveViewDefaults, VoldViewDefaults);
  ShowAsWave(*this);
  window->Redraw();
}

void TMainForm::FileOpenWaveExecute() {
  OpenChosenFiles(*this, *OpenDialogWave(this), &TMainForm::OpenWaveFile);
}

bool TMainForm::OpenWaveFile(const std::string& fileName) {
  SoundPtr sound;
  std::string status;
  if (!ReadWaveFile(fileName, sound, status) || !sound) {
    // The cursor is normal while the message shows, and stays so for the files after it.
    if (ScreenCursor() == crHourGlass) ClearHourGlass();
    MessageReporter::ShowCannotReadWaveFile(fileName, status);
    return false;
  }
  const std::string fullName =
      QFileInfo(QString::fromStdString(fileName)).absoluteFilePath().toStdString();
  auto unit = std::make_unique<TUnitWave>(fullName, std::move(sound));
  SetUnitProps(*unit);
  TMDIChildWave* window =
      CreateMDIChildWave(fullName, std::move(unit), WaveViewDefaults, VoldViewDefaults);
  window->Redraw();
  return true;
}

void TMainForm::DuplicateWaveExecute() {
  TMDIChildKorvalen* source = ActiveWaveChild();
  TUnitWave* original = ActiveUnitWave();
  if (source == nullptr || original == nullptr) return;
  CommandHourGlass busy(*this);
  bool abort = false;
  SoundPtr copy = original->GetSound()->Trim(abort, original->GetBegin(), original->GetEnd());
  // A copy cut short by a failed allocation is not the selection: the allocation has said so.
  if (abort || copy == nullptr) return;
  const DisplayRecords records = DisplayRecordsOf(*this, *source);
  const std::string name = NextNoName();
  auto unit = std::make_unique<TUnitWave>(name, std::move(copy));
  SetUnitProps(*unit);
  unit->SetNew();
  TMDIChildWave* window = CreateMDIChildWave(name, std::move(unit), records.wave, records.vold);
  ShowAsWave(*this);
  busy.Release();
  window->Redraw();
}

void TMainForm::FileSaveExecute() {
  const TMDIChildKorvalen* child = GetActiveMDIChild();
  if (child == nullptr) return;
  switch (child->GetKind()) {
    case kUnitKindWave:
      // An empty wave is never saved.
      if (TUnitWave* unit = ActiveUnitWave(); unit != nullptr && unit->GetValues() != 0) {
        SaveWave(unit);
      }
      break;
    case kUnitKindMuz:
      if (TUnitMuz* unit = ActiveUnitMuz()) SaveMuz(unit);
      break;
    default:
      break;
  }
}

void TMainForm::FileSaveAsExecute() {
  const TMDIChildKorvalen* child = GetActiveMDIChild();
  if (child == nullptr) return;
  switch (child->GetKind()) {
    case kUnitKindWave:
      if (TUnitWave* unit = ActiveUnitWave(); unit != nullptr && unit->GetValues() != 0) {
        SaveWaveAs(unit);
      }
      break;
    case kUnitKindMuz:
      if (TUnitMuz* unit = ActiveUnitMuz()) SaveMuzAs(unit);
      break;
    default:
      break;
  }
}

bool TMainForm::SaveWave(TUnitWave* unitWave) {
  KV_ASSERT(unitWave != NULL);
  KV_ASSERT(unitWave->GetValues() != 0);
  if (unitWave->IsNew() || !NameChosenByUser(unitWave->GetFileName())) {
    return SaveWaveAs(unitWave);
  }
  CommandHourGlass busy(*this);
  if (!unitWave->Save(false)) return false;
  unitWave->SetSaved();
  return true;
}

bool TMainForm::SaveWaveAs(TUnitWave* unitWave) {
  KV_ASSERT(unitWave != NULL);
  KV_ASSERT(unitWave->GetValues() != 0);
  return SaveUnitAs(*unitWave, *SaveDialogWave(this));
}

bool TMainForm::SaveUnitAs(TUnit& unit, QFileDialog& dialog) {
  dialog.selectFile(QString());
  std::string fileName;
  if (!ChooseFileToSave(dialog, fileName)) return false;
  CommandHourGlass busy(*this);
  // The writer has reported a failure; the document keeps its name and state.
  if (!unit.SaveToFile(fileName, false)) return false;
  unit.SetFileName(fileName);
  if (TMDIChildKorvalen* window = ChildOfUnit(&unit)) {
    window->setWindowTitle(QString::fromStdString(fileName));
  }
  return true;
}

// --- Music documents ----------------------------------------------------------------------------

void TMainForm::ConnectMuzFileCommands() {
  BindCommand("FileNewMuz", &TMainForm::FileNewMuzExecute);
  BindCommand("FileOpenMuz", &TMainForm::FileOpenMuzExecute);
  BindCommand("DuplicateMuz", &TMainForm::DuplicateMuzExecute);
  BindCommand("MusicGenerate", &TMainForm::MusicGenerateExecute);
  // Available whatever the active document, once music windows can be made at all.
  if (!GetMuzWindowMaker()) return;
  for (const char* name : {"FileNewMuz", "FileOpenMuz", "MusicGenerate"}) Action(name)->setEnabled(true);
}

TMDIChildKorvalen* TMainForm::CreateMDIChildMuz(const std::string& caption,
                                                std::unique_ptr<TUnitMuz> unitMuz) {
  const MuzWindowMaker& maker = GetMuzWindowMaker();
  if (!maker) return nullptr;
  // The window tells the document that it shows it.
  return AddMDIChild(maker(mdiArea_, std::move(unitMuz)), caption);
}

void TMainForm::FileNewMuzExecute() {
  const std::string name = NextNoName();
  auto unit = std::make_unique<TUnitMuz>(name);
  unit->InitNew();
  CreateMDIChildMuz(name, std::move(unit));
}

void TMainForm::FileOpenMuzExecute() {
  OpenChosenFiles(*this, *OpenDialogMuz(this), &TMainForm::OpenMuzFile);
}

bool TMainForm::OpenMuzFile(const std::string& fileName) {
  const std::string fullName =
      QFileInfo(QString::fromStdString(fileName)).absoluteFilePath().toStdString();
  auto unit = std::make_unique<TUnitMuz>(fullName);
  std::string reason;
  if (!unit->LoadFromFile(reason)) {
    if (ScreenCursor() == crHourGlass) ClearHourGlass();
    MessageReporter::ShowCannotReadFile(fullName, reason);
    return false;
  }
  unit->SetSaved();
  return CreateMDIChildMuz(fullName, std::move(unit)) != nullptr;
}

void TMainForm::DuplicateMuzExecute() {
  TUnitMuz* original = ActiveUnitMuz();
  if (original == nullptr) return;
  CommandHourGlass busy(*this);
  const std::string name = NextNoName();
  auto unit = std::make_unique<TUnitMuz>(name);
  std::string reason;
  if (!unit->Duplicate(*original, reason)) {
    busy.Release();
    MessageReporter::ShowCannotReadFile(name, reason);
    return;
  }
  unit->SetNew();
  CreateMDIChildMuz(name, std::move(unit));
}

void TMainForm::MusicGenerateExecute() {
  TUnitMuz* music = ActiveUnitMuz();
  if (music == nullptr) return;
  HourGlassTillMessage rendering(*this);
  SoundPtr sound = music->CreateWave();
  // The render has reported why it made nothing.
  if (sound == nullptr) return;
  rendering.Release();
  const std::string name = NextNoName();
  auto unit = std::make_unique<TUnitWave>(name, std::move(sound));
  SetUnitProps(*unit);
  unit->SetModified();
  TMDIChildWave* window =
      CreateMDIChildWave(name, std::move(unit), WaveViewDefaults, VoldViewDefaults);
  window->Redraw();
}

bool TMainForm::SaveMuz(TUnitMuz* unitMuz) {
  KV_ASSERT(unitMuz != NULL);
  if (unitMuz->IsNew() || !NameChosenByUser(unitMuz->GetFileName())) return SaveMuzAs(unitMuz);
  CommandHourGlass busy(*this);
  if (!unitMuz->Save(false)) return false;
  unitMuz->SetSaved();
  return true;
}

bool TMainForm::SaveMuzAs(TUnitMuz* unitMuz) {
  KV_ASSERT(unitMuz != NULL);
  return SaveUnitAs(*unitMuz, *SaveDialogMuz(this));
}
