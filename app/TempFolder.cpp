#include "app/TempFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/Main.h"

namespace {

constexpr const char* kLockName = "lock";
// Making the folder and locking it are two steps, and a remover may come between them.
constexpr int kMakeAttempts = 10;

std::string LockPath(const std::string& folder) {
  return (std::filesystem::path(folder) / kLockName).string();
}

// A lock taken on a file that a remover had already unlinked guards nothing.
bool StillNamed(int file, const std::string& path) {
  struct stat opened {};
  struct stat named {};
  return fstat(file, &opened) == 0 && lstat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool IsRealFolder(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A fresh lock file in `folder`, locked; -1 when a remover took the folder away meanwhile. Only a
// remover can hold a file this new, and only for as long as it takes to remove it.
int LockFolder(const std::string& folder) {
  const std::string lockPath = LockPath(folder);
  const int lock =
      open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (lock < 0) return -1;
  if (flock(lock, LOCK_EX) == 0 && StillNamed(lock, lockPath)) return lock;
  close(lock);
  return -1;
}

CopyTempFolder* runningCopyFolder = nullptr;

void RemoveAbandoned(const std::string& folder) {
  const std::string lockPath = LockPath(folder);
  const int lock = open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (lock < 0) {
    // A copy is making it right now, or was gone before it locked it: only an empty one goes,
    // and a copy that loses it that way makes another.
    rmdir(folder.c_str());
    return;
  }
  if (flock(lock, LOCK_EX | LOCK_NB) == 0 && StillNamed(lock, lockPath)) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  close(lock);
}

}  // namespace

void RemoveAbandonedTempFolders(const std::string& userFolder) {
  std::error_code error;
  std::vector<std::string> folders;
  for (std::filesystem::directory_iterator entry(userFolder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string path = entry->path().string();
    if (IsRealFolder(path)) folders.push_back(path);
  }
  for (const std::string& folder : folders) RemoveAbandoned(folder);
}

std::unique_ptr<CopyTempFolder> CopyTempFolder::Make(const std::string& userFolder) {
  RemoveAbandonedTempFolders(userFolder);
  const std::string pattern =
      (std::filesystem::path(userFolder) / (std::to_string(getpid()) + "-XXXXXX")).string();
  for (int attempt = 0; attempt < kMakeAttempts; ++attempt) {
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
      // Another copy that ended took the user's folder along, as it leaves no empty one behind.
      if (errno == ENOENT && MakePrivateDir(userFolder, getuid())) continue;
      return nullptr;
    }
    const std::string path = name.data();
    const int lock = LockFolder(path);
    if (lock >= 0) {
      return std::unique_ptr<CopyTempFolder>(new CopyTempFolder(userFolder, path, lock));
    }
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  return nullptr;
}

CopyTempFolder::CopyTempFolder(std::string userFolder, std::string path, int lock)
    : userFolder_(std::move(userFolder)), path_(std::move(path)), lock_(lock) {}

bool CopyTempFolder::Ensure() {
  const std::string lockPath = LockPath(path_);
  for (int attempt = 0; attempt < kMakeAttempts; ++attempt) {
    if (!MakePrivateDir(userFolder_, getuid())) return false;
    // Another copy that ended may take the user's folder along in between; a link or someone
    // else's folder in its place fails every time.
    if (!MakePrivateDir(path_, getuid())) continue;
    if (StillNamed(lock_, lockPath)) return true;
    // Without a lock the next start would take the folder for one that is being made, and leave
    // it there for good once this copy is gone. What lies under the lock's name now is not the
    // file this copy holds, so no one holds it for this folder.
    unlink(lockPath.c_str());
    const int lock = LockFolder(path_);
    if (lock < 0) continue;
    close(lock_);
    lock_ = lock;
    return true;
  }
  return false;
}

CopyTempFolder::~CopyTempFolder() {
  if (runningCopyFolder == this) runningCopyFolder = nullptr;
  std::error_code ignored;
  // The lock goes last: until then no other copy takes the folder for abandoned.
  std::filesystem::remove_all(path_, ignored);
  close(lock_);
  // Only an empty folder goes: what else lies there is another copy's, or someone else's.
  std::filesystem::remove(userFolder_, ignored);
}

CopyTempFolder* RunningCopyTempFolder() { return runningCopyFolder; }

void SetRunningCopyTempFolder(CopyTempFolder* folder) { runningCopyFolder = folder; }
