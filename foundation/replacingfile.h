// Saving a document without ever losing the file it replaces: the new file is written beside its
// target and renamed over it only when complete. Through a symbolic link the file it names is
// replaced and the link stays; the replacement keeps the old file's permissions and, where the
// system allows, its owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Whether new files can be made in a folder. The real check asks the system; a test sets its own
// to stand for a folder the user cannot write (a root user may write any). nullptr restores the
// real check.
using FolderWritableCheck = bool (*)(const std::string& folder);
void SetFolderWritableCheck(FolderWritableCheck check);

class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Opens the file for `size` bytes. `temporary` writes in place (a play file, thrown away after
  // use; dropped unfinished, it is removed). Otherwise the new file is made beside the target
  // under a fresh name. In a folder the user cannot write, and for a file with more than one hard
  // link, an existing writable file is written in place once the room for `size` bytes is
  // reserved, so a full disk still leaves it as it was. False, with nothing changed, for an empty
  // name, a target that is not a writable regular file, or no way to write.
  bool Create(const std::string& fileName, bool temporary, int64_t size);
  bool Write(const void* data, size_t n);
  // Flushes the new file and puts it in its place.
  bool Commit();

  // Create failed for want of room for the new content in place.
  bool NoRoom() const { return noRoom_; }

 private:
  bool CreateInPlace(int64_t size);

  int fd_ = -1;
  bool temporary_ = false;
  bool inPlace_ = false;
  bool committed_ = false;
  bool noRoom_ = false;
  int64_t written_ = 0;
  std::string target_;
  std::string tempPath_;
};
