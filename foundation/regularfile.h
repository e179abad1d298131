// A file opened for reading only when it is a regular file. Its type is looked at before it is
// opened, so a named pipe, a device, a socket or a folder is never opened (an open of a pipe
// waits for a writer, a read of /dev/zero never ends); the open descriptor is checked again, and
// the open does not wait, should the name have been changed in between. Reads never go past the
// size the file had when it was opened: a file of /proc, which tells a size of 0, is never read,
// and a file that grows while it is read is read as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace regularfiletext {
// The reason a reader gives for a name that is no regular file.
inline constexpr const char* kNotRegular = "It is not a regular file.";
}  // namespace regularfiletext

class RegularFile {
 public:
  enum class Status { kOpen, kCannotOpen, kNotRegular };

  RegularFile() = default;
  ~RegularFile();
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  // Opens the file the name stands for, through symbolic links, for reading.
  Status Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // The size at the open.
  uint64_t Size() const { return size_; }
  // Reads up to `n` bytes at `offset`, never past Size(): fewer only at the end of the file (as far
  // as it goes, and as large as it was). -1 when the system cannot read it.
  int64_t ReadAt(uint64_t offset, void* data, size_t n);
  // The descriptor becomes the caller's; the file is closed here.
  int Release();

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};
