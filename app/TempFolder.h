// The temporary folder of one running copy of the program. Each copy keeps its play and record
// files in a folder of its own inside the user's private temporary folder, so a copy that ends
// takes only its own files along. A lock that the copy holds for as long as it runs tells a folder
// in use from one that a crashed copy left behind: the system lets go of it with the process, and
// a process number used again does not fool it.
#pragma once

#include <memory>
#include <string>

class CopyTempFolder {
 public:
  // Removes the folders of copies that no longer run from `userFolder`, then makes this copy's
  // own there. Null when it cannot be made.
  static std::unique_ptr<CopyTempFolder> Make(const std::string& userFolder);
  // The folder goes with everything in it, and the user's folder too when nothing else is left.
  ~CopyTempFolder();
  CopyTempFolder(const CopyTempFolder&) = delete;
  CopyTempFolder& operator=(const CopyTempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Makes the folder (and the user's) again when someone removed it while the copy runs, and locks
  // it afresh whenever its lock file is not the one held, so the next start still knows it for a
  // running copy's, and clears it once the copy is gone. False when it cannot be made: the user's
  // folder or this one is a link, or someone else's.
  bool Ensure();

 private:
  CopyTempFolder(std::string userFolder, std::string path, int lock);

  std::string userFolder_;
  std::string path_;
  int lock_;  // the open lock file, locked
};

// Removes the folders in `userFolder` that no running copy holds; files and links there are no
// copy's, and stay.
void RemoveAbandonedTempFolders(const std::string& userFolder);

// The folder of the running copy that Play and Record write into: its main window's, set while
// that window lives; null otherwise, and the files then lie in the user's folder itself.
CopyTempFolder* RunningCopyTempFolder();
void SetRunningCopyTempFolder(CopyTempFolder* folder);
