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

// Takes the room for the first `size` bytes of a file written in place, answering 0 or an error
// number as posix_fallocate does. The real one is posix_fallocate, which on a file system that
// cannot reserve by itself reads the file block by block; a test sets one that does so on any
// file system. nullptr restores the real one.
using SpaceReserver = int (*)(int fd, int64_t size);
void SetSpaceReserver(SpaceReserver reserver);

// Opens a file to be written in place, answering as open does. A test sets one that refuses
// reading as the system does a user who may only write the file (a root user may read any).
// nullptr restores the real one.
using InPlaceOpener = int (*)(const char* path, int flags);
void SetInPlaceOpener(InPlaceOpener opener);

// The new file beside the target is named ".kv", the process number, "-" and a serial one above
// the last one tried; a test sets the last one to know the next name.
void SetSideFileSerial(unsigned serial);

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
  // name, a name the system cannot open (one too long for the file system), a target that is not a
  // writable regular file, or no way to write.
  bool Create(const std::string& fileName, bool temporary, int64_t size);
  bool Write(const void* data, size_t n);
  // Flushes the new file and puts it in its place.
  bool Commit();
  // Gives up an unfinished file at once rather than when this object goes: the new file made
  // beside the target goes, and so does an unfinished temporary file. A failed save calls it
  // before telling the user, so that a part written to a full disk does not hold the room while
  // the message waits.
  void Discard();

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
