// A file-size limit for as long as it lives: a write beyond it fails as on a full disk. The
// signal the system sends for such a write is ignored, so the writer sees the failure itself.
#pragma once

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    limited_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    if (limited_) setrlimit(RLIMIT_FSIZE, &saved_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  bool limited_ = false;
};

// What `write` answers while no file may grow beyond `bytes`.
template <class Write>
auto UnderFileSizeLimit(rlim_t bytes, Write write) {
  const FileSizeLimit limit(bytes);
  return write();
}
