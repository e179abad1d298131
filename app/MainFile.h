// The file dialogs of the main window. Each is built fresh for its one use, as a real dialog that
// takes the modal road, so the user (or a test) fills it in. Their lists tell a file's icon and
// type by its name alone: drawing them reads no file.
#pragma once

#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QFileDialog;
class QWidget;

namespace filetext {
// Filters list a description and its patterns in turn, each followed by "|".
inline constexpr const char* kWaveFilter = "Wave Files (*.wav)|*.wav|All files (*.*)|*.*";
inline constexpr const char* kWaveExtension = "wav";
inline constexpr const char* kMuzFilter =
    "Music Files (*.kvm)|*.kvm|XML Files (*.xml)|*.xml|All files (*.*)|*.*";
inline constexpr const char* kMuzExtension = "xml";
inline constexpr const char* kSaveAsCaption = "Save As";
inline constexpr const char* kReplaceAfter = " already exists.\nDo you want to replace it?";
inline constexpr const char* kNoFolderAfter =
    "\nThe folder does not exist.\nCheck the path and try again.";
inline constexpr const char* kOpenElsewhereAfter =
    " is open in another window.\nClose that window first, or choose another name.";
// The box for a name longer than the file system takes gives the limit, in bytes, between these.
inline constexpr const char* kNameTooLongAfter =
    "\nThe name is too long: the file system takes names of up to ";
inline constexpr const char* kNameLimitAfter = " bytes.\nChoose a shorter name.";
}  // namespace filetext

// The dialog's filters of a "description|patterns|..." text. The descriptions show as they are;
// "*.*" stands for every file, also one without an extension.
QStringList NameFilters(const std::string& filter);

// Several files may be chosen. A typed name is one name, double quotes and all, relative to the
// folder the dialog shows; a list of names in quotes opens each, whatever the chosen filter shows.
std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* owner, const char* filter);
// A typed name is one name, double quotes and all, relative to the folder the dialog shows; a
// folder's name goes into that folder. A name typed without extension gets the one of the chosen
// filter, or `extension` under a filter of every file (ChooseFileToSave sees to it).
std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* owner, const char* filter,
                                            const char* extension);
inline std::unique_ptr<QFileDialog> OpenDialogWave(QWidget* owner) {
  return MakeOpenDialog(owner, filetext::kWaveFilter);
}
inline std::unique_ptr<QFileDialog> SaveDialogWave(QWidget* owner) {
  return MakeSaveDialog(owner, filetext::kWaveFilter, filetext::kWaveExtension);
}
inline std::unique_ptr<QFileDialog> OpenDialogMuz(QWidget* owner) {
  return MakeOpenDialog(owner, filetext::kMuzFilter);
}
inline std::unique_ptr<QFileDialog> SaveDialogMuz(QWidget* owner) {
  return MakeSaveDialog(owner, filetext::kMuzFilter, filetext::kMuzExtension);
}

// The chosen files in the dialog's order; none when it was cancelled.
std::vector<std::string> ChooseFilesToOpen(QFileDialog& dialog);
// The file name of the open document that holds the file `path` names, other than the one being
// saved; empty when none does.
using FileHolder = std::function<std::string(const std::string& path)>;
// Shows the dialog again while the chosen name lies in a folder that does not exist, is longer than
// its file system takes, names a file that `holder` finds held, or names an existing file the user
// does not want replaced; a folder's name shows it again in that folder. False when it was
// cancelled.
bool ChooseFileToSave(QFileDialog& dialog, std::string& fileName, const FileHolder& holder = {});

// --- A document's file changed on disk --------------------------------------------------------

namespace filetext {
inline constexpr const char* kSaveCaption = "Save";
inline constexpr const char* kChangedSinceOpenedAfter =
    " has changed since it was opened here. Replace it?";
// Once the window has written the file itself.
inline constexpr const char* kChangedSinceSavedAfter =
    " has changed since it was opened or saved here. Replace it?";
}  // namespace filetext
