// Reading and writing a minute of stereo 16-bit sound as a WAVE file, beside plain reads and
// writes of the same number of bytes in the same folder.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_util.h"
#include "wave/wavefile.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kFrames = 60 * kRate;
constexpr size_t kFileBytes = 44 + kFrames * 2 * 2;

// Kept on the heap so that it outlives the static destructors when the folder is removed at exit.
const std::string& BenchFolder() {
  static const std::string* folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "kvwavebenchXXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    auto* path = new std::string(pattern);
    std::atexit([] { std::filesystem::remove_all(BenchFolder()); });
    return path;
  }();
  return *folder;
}

std::string PathOf(const char* name) { return BenchFolder() + "/" + name; }

const StereoSound& MinuteOfStereo() {
  static const StereoSound sound(MakeBenchWave(kFrames), MakeBenchWave(kFrames), kRate, 2);
  return sound;
}

// With `flush`, as a document is saved: written beside the target, flushed to the disk, renamed
// over it.
void PlainWrite(const std::string& path, const std::vector<unsigned char>& bytes, bool flush) {
  const std::string written = flush ? path + ".tmp" : path;
  const int fd = ::open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
  if (flush && ::fsync(fd) != 0) std::abort();
  if (::close(fd) != 0) std::abort();
  if (flush && ::rename(written.c_str(), path.c_str()) != 0) std::abort();
}

void CountBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileBytes));
}

// The play file: written without the flush to disk that a saved document gets.
void BM_WriteWaveFileTemporary(benchmark::State& state) {
  const StereoSound& sound = MinuteOfStereo();
  for (auto _ : state) {
    bool abort = false;
    if (!WriteWaveFile(abort, PathOf("w.wav"), sound, 0, sound.GetValues(), true)) std::abort();
  }
  CountBytes(state);
}
BENCHMARK(BM_WriteWaveFileTemporary)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainWrite(benchmark::State& state) {
  const std::vector<unsigned char> bytes(kFileBytes, 0x5A);
  for (auto _ : state) PlainWrite(PathOf("p.bin"), bytes, false);
  CountBytes(state);
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteWaveFileDocument(benchmark::State& state) {
  const StereoSound& sound = MinuteOfStereo();
  for (auto _ : state) {
    bool abort = false;
    if (!WriteWaveFile(abort, PathOf("d.wav"), sound, 0, sound.GetValues(), false)) std::abort();
  }
  CountBytes(state);
}
BENCHMARK(BM_WriteWaveFileDocument)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainWriteFlushed(benchmark::State& state) {
  const std::vector<unsigned char> bytes(kFileBytes, 0x5A);
  for (auto _ : state) PlainWrite(PathOf("f.bin"), bytes, true);
  CountBytes(state);
}
BENCHMARK(BM_PlainWriteFlushed)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadWaveFile(benchmark::State& state) {
  const StereoSound& sound = MinuteOfStereo();
  bool abort = false;
  if (!WriteWaveFile(abort, PathOf("r.wav"), sound, 0, sound.GetValues(), true)) std::abort();
  for (auto _ : state) {
    SoundPtr read;
    std::string status;
    if (!ReadWaveFile(PathOf("r.wav"), read, status)) std::abort();
    benchmark::DoNotOptimize(read->GetLeftWave()->wave);
  }
  CountBytes(state);
}
BENCHMARK(BM_ReadWaveFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reader reads a file in blocks into one small buffer and decodes each while it is in the
// cache: the plain read reads the same blocks into a buffer of that size.
void BM_PlainRead(benchmark::State& state) {
  constexpr size_t kReadBlock = 256 * 1024;
  PlainWrite(PathOf("q.bin"), std::vector<unsigned char>(kFileBytes, 0x5A), false);
  std::vector<unsigned char> block(kReadBlock);
  for (auto _ : state) {
    const int fd = ::open(PathOf("q.bin").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) std::abort();
    for (size_t done = 0; done < kFileBytes;) {
      const size_t n = std::min(kReadBlock, kFileBytes - done);
      if (::pread(fd, block.data(), n, static_cast<off_t>(done)) != static_cast<ssize_t>(n)) std::abort();
      done += n;
    }
    ::close(fd);
    benchmark::DoNotOptimize(block.data());
  }
  CountBytes(state);
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
