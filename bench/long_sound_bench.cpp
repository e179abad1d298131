// Long sounds at memory speed: times each job on a 10-minute 44.1 kHz stereo sound and reports it
// as a multiple of a plain memcpy of the same samples into the same kind of memory. Run with a job
// name and two file names it instead reads, changes and writes one file, which is how
// bench/compare_sox.sh times it.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "foundation/global.h"
#include "wave/filter.h"
#include "wave/sound.h"
#include "wave/wavefile.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kFrames = int64_t{10} * 60 * kRate;
// The block the engine's reader reads at a time.
constexpr size_t kReadBlock = 256 * 1024;

WavePtr MakeChannel(uint32_t seed) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, kFrames);
  if (!w) std::abort();
  for (int64_t i = 0; i < kFrames; ++i) {
    seed = seed * 1103515245u + 12345u;
    w->wave[i] = static_cast<int16_t>(seed >> 16);
  }
  return w;
}

// sox's one-pole lowpass keeps exp(-2 pi f / rate) of its last output at each sample; the engine's
// keeps 1 - kTwoPi q / (sqrt(1 - q^2) time), with its own rounded kTwoPi. The time that makes the
// two the same filter:
constexpr double kLowpassQ = 0.5;
double SoxLowpassKeeps() { return std::exp(-2 * std::acos(-1.0) * 1000.0 / kRate); }
double LowpassTime() { return kTwoPi * kLowpassQ / (std::sqrt(1 - kLowpassQ * kLowpassQ) * (1 - SoxLowpassKeeps())); }
void CheckLowpassMatchesSox() {
  if (std::fabs(OnePoleCoefficient(kLowpassQ, LowpassTime()) - SoxLowpassKeeps()) > 1e-12) {
    std::fprintf(stderr, "the lowpass job no longer matches sox's\n");
    std::abort();
  }
}

// The jobs: each makes a new channel from an old one, as the editor does. Their settings are the
// ones compare_sox.sh gives sox.
using Job = std::function<WavePtr(bool&, const Wave&)>;
struct NamedJob {
  const char* name;
  Job run;
};

const std::vector<NamedJob>& Jobs() {
  static const std::vector<NamedJob> jobs = {
      {"copy", [](bool& abort, const Wave& w) { return w.Copy(abort); }},
      {"reverse", [](bool& abort, const Wave& w) { return w.Reverse(abort, 0, -1); }},
      {"volume",
       [](bool& abort, const Wave& w) {
         int32_t begin = 0;
         int32_t end = -1;
         return w.Volume(abort, 0.5, begin, end);
       }},
      // One pole at 1000 Hz, as sox's "lowpass -1 1000".
      {"lowpass", [](bool& abort, const Wave& w) { return w.LowPass(abort, LowpassTime(), kLowpassQ, 1, 1, 0, -1); }},
      // One echo after 100 ms at half volume.
      {"echo",
       [](bool& abort, const Wave& w) {
         int32_t begin = 0;
         int32_t end = -1;
         return w.PerEchoConst(abort, 0.1 * kRate, 0.5, 1, begin, end);
       }},
      // 1.25 times as fast at the same pitch, in blocks of 50 ms.
      {"tempo",
       [](bool& abort, const Wave& w) {
         return w.TempoPitchHQAll(abort, 1.25, 0, 1 / 1.25, 1, kRate / 20);
       }},
  };
  return jobs;
}

const NamedJob* FindJob(const std::string& name) {
  for (const NamedJob& job : Jobs())
    if (name == job.name) return &job;
  return nullptr;
}

// The fastest of a few runs, in milliseconds: the least disturbed by the other work on the machine.
double BestMs(int runs, const std::function<void()>& f) {
  double best = 1e300;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    f();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

int RunFileJob(const std::string& jobName, const std::string& in, const std::string& out) {
  const NamedJob* job = FindJob(jobName);
  if (job == nullptr) {
    std::fprintf(stderr, "unknown job %s\n", jobName.c_str());
    return 2;
  }
  SoundPtr sound;
  std::string status;
  if (!ReadWaveFile(in, sound, status)) {
    std::fprintf(stderr, "%s: %s\n", in.c_str(), status.c_str());
    return 1;
  }
  // Each old channel goes as soon as its new one is made, as a command-line tool would do it; the
  // right channel's result then takes over the left one's memory.
  bool abort = false;
  const int32_t rate = sound->Freq;
  const uint16_t width = sound->BytesPerSample;
  std::unique_ptr<StereoSound> stereo(dynamic_cast<StereoSound*>(sound.release()));
  if (!stereo) return 1;
  WavePtr left = job->run(abort, *stereo->GetLeft());
  WavePtr oldRight(stereo->WaveRight);
  stereo->WaveRight = nullptr;
  stereo.reset();
  WavePtr right = left ? job->run(abort, *oldRight) : nullptr;
  oldRight.reset();
  if (!left || !right) return 1;
  const StereoSound changed(std::move(left), std::move(right), rate, width);
  // Written as the play file is, without the flush to disk, as sox writes.
  return WriteWaveFile(abort, out, changed, 0, changed.GetValues(), true) ? 0 : 1;
}

// Memory of the kind the engine gives a long channel: a mapping aligned to and backed by 2 MiB
// pages. New each time, as the engine's first buffer of that size is; touched, it stands for the
// kept buffers the engine hands out after the first operation.
class Mapping {
 public:
  explicit Mapping(size_t bytes, bool touch) : bytes_(RoundUp(bytes)) {
    const size_t padded = bytes_ + kHugePage;
    void* raw = ::mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) std::abort();
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    const uintptr_t end = aligned + bytes_;
    if (start + padded > end) ::munmap(reinterpret_cast<void*>(end), start + padded - end);
    data_ = reinterpret_cast<unsigned char*>(aligned);
    ::madvise(data_, bytes_, MADV_HUGEPAGE);
    if (touch) std::memset(data_, 1, bytes_);
  }
  ~Mapping() { ::munmap(data_, bytes_); }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  // The samples of an engine buffer start 16 bytes into the mapping, after its header.
  unsigned char* Samples() const { return data_ + 16; }

 private:
  static constexpr size_t kHugePage = size_t{2} << 20;
  static size_t RoundUp(size_t bytes) { return (bytes + 16 + kHugePage - 1) & ~(kHugePage - 1); }
  size_t bytes_;
  unsigned char* data_ = nullptr;
};

int RunInMemory() {
  const std::string folder = (std::filesystem::temp_directory_path() / "kvlongbench").string();
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/long.wav";
  const StereoSound sound(MakeChannel(1), MakeChannel(2), kRate, 2);
  const Wave& left = *sound.GetLeftWave();
  const Wave& right = *sound.GetRightWave();
  const size_t channelBytes = static_cast<size_t>(kFrames) * sizeof(int16_t);
  bool abort = false;
  if (!WriteWaveFile(abort, path, sound, 0, sound.GetValues(), true)) std::abort();
  const size_t fileBytes = static_cast<size_t>(std::filesystem::file_size(path));
  CheckLowpassMatchesSox();

  // Every yardstick works on the memory the engine's side of its pair works on.
  const Mapping keptLeft(channelBytes, true);
  const Mapping keptRight(channelBytes, true);
  const Mapping touchedFile(fileBytes, true);
  constexpr int kRuns = 5;
  const double memcpyMs = BestMs(kRuns, [&] {
    std::memcpy(keptLeft.Samples(), left.wave, channelBytes);
    std::memcpy(keptRight.Samples(), right.wave, channelBytes);
  });
  std::printf("%-22s %9s %9s\n", "job", "ms", "x memcpy");
  auto report = [memcpyMs](const char* name, double ms) {
    std::printf("%-22s %9.1f %9.2f\n", name, ms, ms / memcpyMs);
  };
  // The jobs below write into buffers the engine kept from the run before: this is their floor.
  report("memcpy, kept buffer", memcpyMs);
  // A buffer never written before pays a fault per page: the floor of an operation that finds no
  // kept buffer of its size, as the first on a sound of that length.
  report("memcpy, new mapping", BestMs(kRuns, [&] {
           for (const Wave* w : {&left, &right}) {
             const Mapping fresh(channelBytes, false);
             std::memcpy(fresh.Samples(), w->wave, channelBytes);
           }
         }));
  // The engine reads the file in blocks into one small buffer and decodes each while it is in
  // the cache; the plain read reads the same blocks into a buffer got as that one is.
  std::vector<unsigned char> block(kReadBlock);
  report("plain read, blocks", BestMs(kRuns, [&] {
           const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
           if (fd < 0) std::abort();
           for (size_t done = 0; done < fileBytes;) {
             const size_t n = std::min(kReadBlock, fileBytes - done);
             if (::pread(fd, block.data(), n, static_cast<off_t>(done)) != static_cast<ssize_t>(n)) std::abort();
             done += n;
           }
           ::close(fd);
         }));
  report("read", BestMs(kRuns, [&] {
           SoundPtr read;
           std::string status;
           if (!ReadWaveFile(path, read, status)) std::abort();
         }));
  for (const NamedJob& job : Jobs()) {
    report(job.name, BestMs(kRuns, [&] {
             bool flag = false;
             WavePtr a = job.run(flag, left);
             WavePtr b = job.run(flag, right);
             if (!a || !b) std::abort();
           }));
  }
  report("write", BestMs(kRuns, [&] {
           bool flag = false;
           if (!WriteWaveFile(flag, path, sound, 0, sound.GetValues(), true)) std::abort();
         }));
  // After the write, so that its bytes still going to the disk do not slow the write down. The
  // same protocol as the engine's write: a new file beside the target, renamed over it.
  report("plain write, replace", BestMs(kRuns, [&] {
           const std::string plain = folder + "/plain.raw";
           const std::string temporary = plain + ".tmp";
           const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
           if (fd < 0 || ::write(fd, touchedFile.Samples(), fileBytes) != static_cast<ssize_t>(fileBytes)) std::abort();
           if (::close(fd) != 0 || ::rename(temporary.c_str(), plain.c_str()) != 0) std::abort();
         }));
  std::filesystem::remove_all(folder);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4) return RunFileJob(argv[1], argv[2], argv[3]);
  if (argc != 1) {
    std::fprintf(stderr, "usage: %s [copy|reverse|volume|lowpass|echo|tempo in.wav out.wav]\n", argv[0]);
    return 2;
  }
  return RunInMemory();
}
