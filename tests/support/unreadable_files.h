// Files a reader must refuse without waiting or filling memory: a named pipe nobody writes, or
// whose writer never writes, and a large sparse file; with the process's count of bytes read and
// its peak memory, to tell how much a refusal read and held.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>

// A named pipe at `path` for as long as it lives, with no writer or with a writer that never
// writes. Should the code under test open it, the watch ends its wait: it meets a blocked open as
// the writer it waits for and closes at once, and it closes the silent writer as soon as the pipe
// is opened, so that a read ends there. A test fails on Opened() instead of hanging. The watch
// waits on the pipe and on the system's notice of an open of it, never on a clock.
class FifoWatch {
 public:
  enum Writer { kNoWriter, kSilentWriter };
  FifoWatch(const std::string& path, Writer writer) : path_(path) {
    ::unlink(path.c_str());
    if (::mkfifo(path.c_str(), 0600) != 0) return;
    if (writer == kNoWriter) {
      ready_ = true;
      watcher_ = std::thread([this] { MeetReaders(); });
      return;
    }
    silent_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    // Watched after the silent writer's own open, so that any open it reports is another's.
    opens_ = ::inotify_init1(IN_CLOEXEC);
    stop_ = ::eventfd(0, EFD_CLOEXEC);
    ready_ = silent_ >= 0 && stop_ >= 0 && opens_ >= 0 && ::inotify_add_watch(opens_, path.c_str(), IN_OPEN) >= 0;
    if (ready_) watcher_ = std::thread([this] { CloseTheWriterOnAnOpen(); });
  }
  ~FifoWatch() {
    Finish();
    for (const int fd : {silent_, opens_, stop_}) {
      if (fd >= 0) ::close(fd);
    }
    ::unlink(path_.c_str());
  }
  FifoWatch(const FifoWatch&) = delete;
  FifoWatch& operator=(const FifoWatch&) = delete;

  // The pipe is there, with its writer when one was asked for.
  bool Ready() const { return ready_; }
  // Whether anything but the watch opened the pipe. It ends the watch: ask once the code under
  // test is done with the pipe.
  bool Opened() const {
    Finish();
    return opened_;
  }

 private:
  void Finish() const {
    if (!watcher_.joinable()) return;
    // Without a silent writer, which reads as well, a writer's open that does not wait succeeds
    // only while a reader has the pipe: one the code under test still holds. With it, each open
    // is noted before it returns.
    const int probe = stop_ < 0 ? ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    pollfd noted{opens_, POLLIN, 0};
    if (probe >= 0 || (opens_ >= 0 && ::poll(&noted, 1, 0) == 1)) opened_ = true;
    if (probe >= 0) ::close(probe);
    finishing_ = true;
    if (stop_ >= 0) {
      const uint64_t one = 1;
      [[maybe_unused]] const ssize_t wrote = ::write(stop_, &one, sizeof one);
    }
    // Held until the watch has ended: the reader a writer's open in the watch waits for.
    const int reader = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    watcher_.join();
    if (reader >= 0) ::close(reader);
  }
  // A writer's open waits for a reader, and a reader's for a writer: each ends the other's wait.
  // A reader that reads on waits until the watch has noted it and closed.
  void MeetReaders() const {
    while (!finishing_) {
      const int writer = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
      if (!finishing_) opened_ = true;
      if (writer >= 0) ::close(writer);
    }
  }
  // With its only writer closed, a read of the pipe ends; an open after that waits for a writer.
  void CloseTheWriterOnAnOpen() const {
    pollfd waits[] = {{opens_, POLLIN, 0}, {stop_, POLLIN, 0}};
    while (::poll(waits, 2, -1) < 0 && errno == EINTR) {
    }
    ::close(silent_);
    silent_ = -1;
    if (finishing_) return;
    opened_ = true;
    MeetReaders();
  }

  std::string path_;
  bool ready_ = false;
  mutable int silent_ = -1;
  int opens_ = -1;
  int stop_ = -1;
  mutable std::atomic<bool> finishing_ = false;
  mutable std::atomic<bool> opened_ = false;
  mutable std::thread watcher_;
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
