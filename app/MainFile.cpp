// The File menu's document commands: new, open, duplicate, save and save as, and the file dialogs
// they show.
#include "app/MainFile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeDatabase>
#include <cstddef>
#include <filesystem>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

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

// Whether two names reach one file: through "..", a symbolic link or another hard link, or, for a
// file that is not there (or no longer), by the canonical form of the name.
bool SameFile(const std::string& one, const std::string& other) {
  std::error_code error;
  if (std::filesystem::equivalent(one, other, error)) return true;
  const auto canonical = [](const std::string& name) {
    std::error_code failed;
    std::filesystem::path path = std::filesystem::weakly_canonical(name, failed);
    return failed ? std::filesystem::path(name).lexically_normal() : path;
  };
  return canonical(one) == canonical(other);
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

// The name box of a dialog that uses no native dialog.
QLineEdit* NameBox(const QFileDialog& dialog) {
  return dialog.findChild<QLineEdit*>("fileNameEdit");
}

// What the name box holds, as typed.
QString TypedText(const QFileDialog& dialog) {
  const QLineEdit* nameBox = NameBox(dialog);
  return nameBox != nullptr ? nameBox->text() : QString();
}

// The path a name stands for, relative to the folder the dialog shows. The toolkit asks whether a
// name is a folder relative to the working folder instead.
QString PathOfName(const QFileDialog& dialog, const QString& name) {
  const QDir shown = dialog.directory();
  // "~" stands for the home folder, as in the toolkit, unless the folder shown holds that name.
  if ((name == "~" || name.startsWith("~/")) && !QFileInfo::exists(shown.filePath(name))) {
    return QDir::homePath() + name.mid(1);
  }
  return shown.absoluteFilePath(name);
}

// The path the text typed into the dialog's name box stands for: the whole text is one name,
// double quotes and all. Empty when nothing is typed.
QString TypedPath(const QFileDialog& dialog) {
  const QString typed = TypedText(dialog);
  return typed.isEmpty() ? typed : PathOfName(dialog, typed);
}

// The names of a list in double quotes, as the dialog itself writes the files chosen in its list:
// "a.wav" "b.wav". A quote closes a name only where another quote or the end follows it, spaces
// aside, so a name keeps quotes of its own. None when the text is no such list.
QStringList QuotedNames(const QString& text) {
  const QString list = text.trimmed();
  QStringList names;
  qsizetype at = 0;
  while (at < list.size()) {
    if (list[at] != '"') return {};
    qsizetype close = at;
    qsizetype next = 0;
    do {
      close = list.indexOf('"', close + 1);
      if (close < 0) return {};
      next = close + 1;
      while (next < list.size() && list[next].isSpace()) ++next;
    } while (next < list.size() && list[next] != '"');
    if (close > at + 1) names << list.mid(at + 1, close - at - 1);
    at = next;
  }
  return names;
}

// The file a typed name saves to. A name without an extension of its own takes the chosen
// filter's: the filter is read only now, as choosing it in code tells no one. Under a filter of
// every file it takes the dialog's default. A folder's name, and a name ending in a slash, stay as
// they are: an extension never becomes a name of its own.
QString FileToSave(const QFileDialog& dialog) {
  const QString path = TypedPath(dialog);
  const QFileInfo typed(path);
  if (path.isEmpty() || typed.isDir() || typed.fileName().isEmpty() ||
      typed.fileName().contains('.')) {
    return path;
  }
  const QString suffix = SuffixOfFilter(dialog.selectedNameFilter());
  const QString extension = suffix.isEmpty() ? dialog.defaultSuffix() : suffix;
  return extension.isEmpty() ? path : path + '.' + extension;
}

// The files an open dialog's answer names: the whole typed name when it names a file, else each
// name of a list in quotes, else a typed name with quotes whole, whatever the chosen filter shows
// (the toolkit takes only the names the list shows once it has selected one of them there). A
// name that is no file reaches the reader, which reports it. Otherwise the toolkit has read the
// answer: the files chosen in the list.
QStringList FilesToOpen(const QFileDialog& dialog) {
  const QString typed = TypedPath(dialog);
  const QString text = TypedText(dialog);
  if (!typed.isEmpty() && QFileInfo::exists(typed)) return {typed};
  if (!text.contains('"')) return dialog.selectedFiles();
  QStringList files;
  for (const QString& name : QuotedNames(text)) files << PathOfName(dialog, name);
  return files.isEmpty() ? QStringList{typed} : files;
}

// A folder's name typed and entered shows that folder, with the name box emptied for a name in it.
void GoInto(QFileDialog& dialog, const QString& folder) {
  dialog.setDirectory(QFileInfo(folder).absoluteFilePath());
  if (QLineEdit* nameBox = NameBox(dialog)) nameBox->clear();
}

// The icons and types of a dialog's list, told by a file's name alone, as the filters go. The
// toolkit's own read the start of every file listed, on the main thread, to tell its type by
// content: a file whose read waits (/proc/kmsg, until the kernel logs something) hung the program.
class IconsByName : public QFileIconProvider {
 public:
  using QFileIconProvider::icon;
  QIcon icon(const QFileInfo& info) const override {
    if (info.isDir()) return icon(Folder);
    const QMimeType type = TypeOf(info);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), icon(File)));
  }
  QString type(const QFileInfo& info) const override {
    // A folder or drive is named without reading anything.
    if (info.isDir()) return QFileIconProvider::type(info);
    const QMimeType type = TypeOf(info);
    return type.comment().isEmpty() ? type.name() : type.comment();
  }

 private:
  QMimeType TypeOf(const QFileInfo& info) const {
    return mimeTypes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
  }
  QMimeDatabase mimeTypes_;
};

// A base ahead of the dialog, so that the icons outlive the dialog's list, which keeps using them
// until it is gone.
struct ListIcons {
  IconsByName icons;
};

// Return (or the dialog's button) reads a typed name as FileToSave and FilesToOpen do: a folder's
// name goes into that folder, a file's name ends the dialog, and so does a name with quotes to
// open (a list, or one name the reader reports). Nothing typed, or a plain name to open that is not
// there, is left to the toolkit: its own box says "File not found" and the dialog stays.
class TypedNameDialog : private ListIcons, public QFileDialog {
 public:
  explicit TypedNameDialog(QWidget* owner) : QFileDialog(owner) {
    // The toolkit's own dialog, whose list the icons draw: a native one has none.
    setOption(DontUseNativeDialog);
    setIconProvider(&icons);
  }
  void accept() override {
    const bool saving = acceptMode() == AcceptSave;
    const QString path = saving ? FileToSave(*this) : TypedPath(*this);
    if (path.isEmpty() ||
        (!saving && !QFileInfo::exists(path) && !TypedText(*this).contains('"'))) {
      QFileDialog::accept();
    } else if (QFileInfo(path).isDir()) {
      GoInto(*this, path);
    } else {
      QDialog::accept();
    }
  }
};

// The longest file name, in bytes, that the file system of `folder` takes: 255 on the usual ones.
long NameLimit(const QString& folder) {
  const long limit = pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
  return limit > 0 ? limit : 255;
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const char* filter) {
  std::unique_ptr<QFileDialog> dialog = std::make_unique<TypedNameDialog>(owner);
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
  for (const QString& file : FilesToOpen(dialog)) files.push_back(file.toStdString());
  return files;
}

bool ChooseFileToSave(QFileDialog& dialog, std::string& fileName, const FileHolder& holder) {
  while (ExecModal(dialog) == QDialog::Accepted) {
    const QString path = FileToSave(dialog);
    if (path.isEmpty()) continue;
    const QFileInfo chosen(path);
    if (chosen.isDir()) {
      GoInto(dialog, path);
      continue;
    }
    const std::string name = chosen.absoluteFilePath().toStdString();
    // A name ending in a slash names a folder, and it is not there.
    if (chosen.fileName().isEmpty() || !chosen.absoluteDir().exists()) {
      ShowMessageBox(name + filetext::kNoFolderAfter, filetext::kSaveAsCaption,
                     kMbOk | kMbIconWarning);
      continue;
    }
    // The toolkit greys Save for a name of more characters than the limit takes bytes, but
    // Return still gets here, and the extension added or an accented letter goes unseen; the
    // writer could only say that it cannot open the file.
    if (const long limit = NameLimit(chosen.absolutePath());
        QFile::encodeName(chosen.fileName()).size() > limit) {
      ShowMessageBox(name + filetext::kNameTooLongAfter + std::to_string(limit) +
                         filetext::kNameLimitAfter,
                     filetext::kSaveAsCaption, kMbOk | kMbIconWarning);
      continue;
    }
    if (const std::string held = holder ? holder(name) : std::string(); !held.empty()) {
      ShowMessageBox(held + filetext::kOpenElsewhereAfter, filetext::kSaveAsCaption,
                     kMbOk | kMbIconWarning);
      continue;
    }
    if (chosen.exists() && ShowMessageBox(name + filetext::kReplaceAfter, filetext::kSaveAsCaption,
                                          kMbYesNo | kMbIconWarning) != kIdYes) {
      continue;
    }
    fileName = name;
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
  // Taken before the read: a change while it reads is a change since.
  const std::optional<FileStamp> read = StampOfFile(fileName);
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
  const TUnit& opened = *unit;
  TMDIChildWave* window =
      CreateMDIChildWave(fullName, std::move(unit), WaveViewDefaults, VoldViewDefaults);
  KeepFileStamp(opened, read, false);
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
  return SaveUnitInPlace(*unitWave);
}

bool TMainForm::SaveWaveAs(TUnitWave* unitWave) {
  KV_ASSERT(unitWave != NULL);
  KV_ASSERT(unitWave->GetValues() != 0);
  return SaveUnitAs(*unitWave, *SaveDialogWave(this));
}

bool TMainForm::SaveUnitAs(TUnit& unit, QFileDialog& dialog) {
  dialog.selectFile(QString());
  // Two windows on one file would each save over the other's sound.
  const FileHolder otherWindow = [this, &unit](const std::string& path) {
    for (const TMDIChildKorvalen* child : MDIChildren()) {
      const TUnit* other = child->GetUnit();
      if (other != nullptr && other != &unit && NameChosenByUser(other->GetFileName()) &&
          SameFile(other->GetFileName(), path)) {
        return other->GetFileName();
      }
    }
    return std::string();
  };
  std::string fileName;
  if (!ChooseFileToSave(dialog, fileName, otherWindow)) return false;
  CommandHourGlass busy(*this);
  // The writer has reported a failure; the document keeps its name and state.
  if (!unit.SaveToFile(fileName, false)) return false;
  unit.SetFileName(fileName);
  KeepFileStamp(unit, StampOfFile(fileName), true);
  if (TMDIChildKorvalen* window = ChildOfUnit(&unit)) {
    window->setWindowTitle(QString::fromStdString(fileName));
  }
  return true;
}

bool TMainForm::SaveUnitInPlace(TUnit& unit) {
  if (const auto kept = fileStamps_.find(&unit); kept != fileStamps_.end()) {
    const std::optional<FileStamp> now = StampOfFile(unit.GetFileName());
    // A file that is gone holds no one's work to lose: it is written again without a word. No
    // answers Return, so that a hurried key does not write over another program's work.
    if (now && *now != kept->second.stamp &&
        ShowMessageBox(unit.GetFileName() + (kept->second.saved ? filetext::kChangedSinceSavedAfter
                                                                : filetext::kChangedSinceOpenedAfter),
                       filetext::kSaveCaption,
                       kMbYesNo | kMbIconWarning | kMbDefButton2) != kIdYes) {
      return false;
    }
  }
  CommandHourGlass busy(*this);
  if (!unit.Save(false)) return false;
  unit.SetSaved();
  KeepFileStamp(unit, StampOfFile(unit.GetFileName()), true);
  return true;
}

void TMainForm::KeepFileStamp(const TUnit& unit, const std::optional<FileStamp>& stamp,
                              bool saved) {
  // Closed documents go. A document that later takes the address of one has its stamp written
  // (or forgotten) here too as it gets a name of the user's, by Open or Save As, before any save.
  std::erase_if(fileStamps_,
                [this](const auto& entry) { return ChildOfUnit(entry.first) == nullptr; });
  if (stamp) {
    fileStamps_[&unit] = {*stamp, saved};
  } else {
    fileStamps_.erase(&unit);
  }
}

std::optional<FileStamp> StampOfFile(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                   static_cast<int64_t>(info.st_size), static_cast<int64_t>(info.st_mtim.tv_sec),
                   static_cast<int64_t>(info.st_mtim.tv_nsec)};
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
  // Taken before the read: a change while it reads is a change since.
  const std::optional<FileStamp> read = StampOfFile(fullName);
  auto unit = std::make_unique<TUnitMuz>(fullName);
  std::string reason;
  if (!unit->LoadFromFile(reason)) {
    if (ScreenCursor() == crHourGlass) ClearHourGlass();
    MessageReporter::ShowCannotReadFile(fullName, reason);
    return false;
  }
  unit->SetSaved();
  const TUnit& opened = *unit;
  if (CreateMDIChildMuz(fullName, std::move(unit)) == nullptr) return false;
  KeepFileStamp(opened, read, false);
  return true;
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
  return SaveUnitInPlace(*unitMuz);
}

bool TMainForm::SaveMuzAs(TUnitMuz* unitMuz) {
  KV_ASSERT(unitMuz != NULL);
  return SaveUnitAs(*unitMuz, *SaveDialogMuz(this));
}
