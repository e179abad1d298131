// Files a reader must refuse without waiting or filling memory: a named pipe nobody writes, or
// whose writer never writes, and a large sparse file; with the process's count of bytes read and
// its peak memory, to tell how much a refusal read and held.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>

// A named pipe at `path` for as long as it lives, with no writer or with a writer that never
// writes. Should the code under test open it, the watch notes it and ends its wait: it gives a
// blocked open a writer that closes at once, and closes the silent writer, so that a read ends
// there. A test fails on Opened() instead of hanging.
class FifoWatch {
 public:
  enum Writer { kNoWriter, kSilentWriter };
  FifoWatch(const std::string& path, Writer writer) : path_(path) {
    ::unlink(path.c_str());
    made_ = ::mkfifo(path.c_str(), 0600) == 0;
    if (made_ && writer == kSilentWriter) silent_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ready_ = made_ && (writer == kNoWriter || silent_ >= 0);
    watcher_ = std::jthread([this](const std::stop_token& stop) { Watch(stop); });
  }
  ~FifoWatch() {
    watcher_.request_stop();
    watcher_.join();
    const int silent = silent_.exchange(-1);
    if (silent >= 0) ::close(silent);
    ::unlink(path_.c_str());
  }
  FifoWatch(const FifoWatch&) = delete;
  FifoWatch& operator=(const FifoWatch&) = delete;

  // The pipe is there, with its writer when one was asked for.
  bool Ready() const { return ready_; }
  bool Opened() const { return opened_; }

 private:
  // Whether a descriptor of this process other than the silent writer is open on the pipe.
  bool OpenHere() const {
    struct stat pipe;
    if (::stat(path_.c_str(), &pipe) != 0) return false;
    for (int fd = 0; fd < 1024; ++fd) {
      struct stat info;
      if (fd == silent_ || ::fstat(fd, &info) != 0) continue;
      if (info.st_dev == pipe.st_dev && info.st_ino == pipe.st_ino) return true;
    }
    return false;
  }
  void Watch(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
      // A writer's open that does not wait succeeds only while a reader has the pipe open, or
      // waits in its open.
      const int writer = silent_ < 0 ? ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC) : -1;
      if (writer >= 0) {
        opened_ = true;
        ::close(writer);
      }
      if (silent_ >= 0 && OpenHere()) {
        opened_ = true;
        const int silent = silent_.exchange(-1);
        if (silent >= 0) ::close(silent);
      }
      // No event tells that a pipe was opened: the watch looks again a moment later. It paces
      // this thread only.
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  std::string path_;
  bool made_ = false;
  bool ready_ = false;
  std::atomic<int> silent_ = -1;
  std::atomic<bool> opened_ = false;
  std::jthread watcher_;
};

// A file of `size` zero bytes that takes no room on the disk: its size is set, nothing written.
inline bool MakeSparseFile(const std::string& path, int64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool sized = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
  ::close(fd);
  return sized;
}

// Bytes this process has read from files so far, as the system counts them (0 where it does not).
inline uint64_t BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

// The most memory this process has held at once so far, in bytes.
inline int64_t PeakMemory() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<int64_t>(usage.ru_maxrss) * 1024;
}
