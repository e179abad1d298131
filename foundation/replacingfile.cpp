#include "foundation/replacingfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

bool RealFolderWritable(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

FolderWritableCheck folderWritable = RealFolderWritable;

int RealReserveSpace(int fd, int64_t size) { return ::posix_fallocate(fd, 0, size); }

SpaceReserver reserveSpace = RealReserveSpace;

int RealOpenInPlace(const char* path, int flags) { return ::open(path, flags); }

InPlaceOpener openInPlace = RealOpenInPlace;

unsigned sideFileSerial = 0;

// The folder part of a path with its closing slash; empty for a bare name.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows symbolic links to the file they name, also one that does not exist yet. Empty for a
// loop of links.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::vector<char> buffer(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4095) + 1);
    const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return std::string();
    const std::string link(buffer.data(), static_cast<size_t>(n));
    current = link[0] == '/' ? link : FolderOf(current) + link;
  }
  return std::string();
}

}  // namespace

void SetFolderWritableCheck(FolderWritableCheck check) {
  folderWritable = check != nullptr ? check : RealFolderWritable;
}

void SetSpaceReserver(SpaceReserver reserver) { reserveSpace = reserver != nullptr ? reserver : RealReserveSpace; }

void SetInPlaceOpener(InPlaceOpener opener) {
  openInPlace = opener != nullptr ? opener : RealOpenInPlace;
}

void SetSideFileSerial(unsigned serial) { sideFileSerial = serial; }

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
  // A temporary file written in place and not finished must not be played.
  if (temporary_ && !committed_) ::unlink(target_.c_str());
  // Given up once: whatever takes the name afterwards is not this object's to remove.
  temporary_ = false;
}

bool ReplacingFile::Create(const std::string& fileName, bool temporary, int64_t size) {
  if (fileName.empty() || size < 0 || fd_ >= 0) return false;
  target_ = ResolveLinks(fileName);
  if (target_.empty()) return false;
  struct stat info;
  bool existed = false;
  if (::stat(target_.c_str(), &info) == 0) {
    // A file without any write permission is read-only to this program, even for root.
    if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0) return false;
    existed = true;
  } else if (errno != ENOENT) {
    // A name the system cannot open at all (too long for the file system, or below something that
    // is no folder) is refused before anything is written, not found out when the new file beside
    // it should take its place.
    return false;
  }
  temporary_ = temporary;
  if (temporary_) {
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd_ >= 0;
  }
  const std::string folder = FolderOf(target_);
  if (existed && !folderWritable(folder.empty() ? "." : folder)) return CreateInPlace(size);
  // A new file renamed over one of several hard links would leave the other names with the old
  // content: such a file is written itself.
  if (existed && info.st_nlink > 1) return CreateInPlace(size);
  // The new file takes a name no file has yet, so that no file of the user's is overwritten or
  // removed on the way. The name is short and not made from the target's, which may already be
  // as long as a name can be.
  int error = 0;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    tempPath_ =
        folder + ".kv" + std::to_string(::getpid()) + "-" + std::to_string(++sideFileSerial);
    fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    error = errno;
    if (fd_ < 0 && error != EEXIST) break;
  }
  if (fd_ < 0) {
    tempPath_.clear();
    // The folder takes no new file after all; the file itself may still be written.
    if (existed && (error == EACCES || error == EPERM)) return CreateInPlace(size);
    return false;
  }
  if (existed) {
    // The replacement keeps the owner where the system lets it, then the permissions (a change of
    // owner may clear some of them).
    if (::fchown(fd_, info.st_uid, info.st_gid) != 0) {
      static_cast<void>(::fchown(fd_, static_cast<uid_t>(-1), info.st_gid));
    }
    static_cast<void>(::fchmod(fd_, info.st_mode & 07777));
  }
  return true;
}

bool ReplacingFile::CreateInPlace(int64_t size) {
  inPlace_ = true;
  // Where the file system cannot reserve room by itself, the reservation reads the file, so it is
  // opened for reading too unless the user may only write it.
  fd_ = openInPlace(target_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0 && errno == EACCES) fd_ = openInPlace(target_.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  // The room for the whole new content is taken before the first byte changes: a full disk
  // then leaves the file as it was.
  struct stat info;
  bool reserved = ::fstat(fd_, &info) == 0;
  const int error = reserved && size > 0 ? reserveSpace(fd_, size) : 0;
  if (error != 0) {
    reserved = false;
    // Only a lack of room is reported as one; a file the user may write but not read cannot be
    // reserved where that means reading it, and is refused as not writable.
    noRoom_ = error == ENOSPC || error == EFBIG || error == EDQUOT;
    static_cast<void>(::ftruncate(fd_, info.st_size));
  }
  if (!reserved) {
    ::close(fd_);
    fd_ = -1;
  }
  return reserved;
}

bool ReplacingFile::Write(const void* data, size_t n) {
  if (fd_ < 0) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (n > 0) {
    const ssize_t written = ::write(fd_, bytes, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    n -= static_cast<size_t>(written);
    written_ += written;
  }
  return true;
}

// A document file is flushed to the disk before it replaces the old one; the play file is
// thrown away after use, skips the flush and is already in its place.
bool ReplacingFile::Commit() {
  if (fd_ < 0) return false;
  // Written in place, the old file's longer tail goes.
  if (inPlace_ && ::ftruncate(fd_, written_) != 0) return false;
  if (!temporary_ && ::fsync(fd_) != 0) return false;
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) return false;
  if (!temporary_ && !inPlace_ && ::rename(tempPath_.c_str(), target_.c_str()) != 0) return false;
  tempPath_.clear();
  committed_ = true;
  return true;
}
