#include "foundation/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

RegularFile::~RegularFile() { Close(); }

RegularFile::Status RegularFile::Open(const std::string& path) {
  Close();
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return Status::kCannotOpen;
  if (!S_ISREG(info.st_mode)) return Status::kNotRegular;
  // Should the name stand for something else by now, the open still does not wait and the type is
  // looked at again on what was opened.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return Status::kCannotOpen;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const bool regular = S_ISREG(info.st_mode);
    ::close(fd);
    return regular ? Status::kCannotOpen : Status::kNotRegular;
  }
  fd_ = fd;
  size_ = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
  return Status::kOpen;
}

void RegularFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
}

int64_t RegularFile::ReadAt(uint64_t offset, void* data, size_t n) {
  if (fd_ < 0) return -1;
  if (offset >= size_) return 0;
  n = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
  auto* bytes = static_cast<unsigned char*>(data);
  size_t done = 0;
  while (done < n) {
    const ssize_t got = ::pread(fd_, bytes + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done);
}

int RegularFile::Release() {
  const int fd = fd_;
  fd_ = -1;
  size_ = 0;
  return fd;
}
