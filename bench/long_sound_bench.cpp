// Long sounds at memory speed: times each job on a 10-minute 44.1 kHz stereo sound and reports it
// as a multiple of a plain memcpy of the same samples. Run with a job name and two file names it
// instead reads, changes and writes one file, which is how bench/compare_sox.sh times it.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "foundation/global.h"
#include "wave/sound.h"
#include "wave/wavefile.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kFrames = int64_t{10} * 60 * kRate;

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
      // 1000 Hz: a period of 44.1 samples.
      {"lowpass", [](bool& abort, const Wave& w) { return w.LowPass(abort, kRate / 1000.0, 0.5, 1, 1, 0, -1); }},
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

  std::vector<int16_t> touchedLeft(kFrames, 1);
  std::vector<int16_t> touchedRight(kFrames, 1);
  std::vector<unsigned char> touchedFile(fileBytes, 1);
  constexpr int kRuns = 5;
  const double memcpyMs = BestMs(kRuns, [&] {
    std::memcpy(touchedLeft.data(), left.wave, channelBytes);
    std::memcpy(touchedRight.data(), right.wave, channelBytes);
  });
  std::printf("%-14s %9s %9s\n", "job", "ms", "x memcpy");
  auto report = [memcpyMs](const char* name, double ms) {
    std::printf("%-14s %9.1f %9.2f\n", name, ms, ms / memcpyMs);
  };
  report("memcpy", memcpyMs);
  report("fresh copy", BestMs(kRuns, [&] {
           for (const Wave* w : {&left, &right}) {
             int16_t* fresh = AllocSamples(kFrames);
             if (fresh == nullptr) std::abort();
             std::memcpy(fresh, w->wave, channelBytes);
             FreeSamples(fresh);
           }
         }));
  report("plain read", BestMs(kRuns, [&] {
           const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
           if (fd < 0 || ::read(fd, touchedFile.data(), fileBytes) != static_cast<ssize_t>(fileBytes)) std::abort();
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
  // After the write, so that its bytes still going to the disk do not slow the write down.
  report("plain write", BestMs(kRuns, [&] {
           const std::string plain = folder + "/plain.raw";
           const int fd = ::open(plain.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
           if (fd < 0 || ::write(fd, touchedFile.data(), fileBytes) != static_cast<ssize_t>(fileBytes)) std::abort();
           ::close(fd);
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
