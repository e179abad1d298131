// Preparing the play of a long sound: the play file written in place from the sound's own buffers,
// then opened for streaming as the player opens it. 60 minutes of 44.1 kHz stereo are 635 MB.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "bench_util.h"
#include "wave/sound.h"
#include "wave/wavefile.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kSixtyMinutes = int64_t{kRate} * 60 * 60;

std::string PlayFileName() {
  return (std::filesystem::temp_directory_path() / ("korvalen-bench-play-" + std::to_string(getpid()) + ".wav"))
      .string();
}

void BM_PreparePlay60MinStereo(benchmark::State& state) {
  const StereoSound sound(MakeBenchWave(kSixtyMinutes), MakeBenchWave(kSixtyMinutes), kRate, 2);
  const std::string name = PlayFileName();
  int16_t left[4096];
  int16_t right[4096];
  for (auto _ : state) {
    bool abort = false;
    if (!sound.Save(abort, name, true, 0, sound.GetValues())) state.SkipWithError("the play file was not written");
    WaveFrameReader player;
    std::string status;
    if (!player.Open(name, status)) state.SkipWithError(status.c_str());
    // The first block the device asks for.
    benchmark::DoNotOptimize(player.Read(0, 4096, left, right));
  }
  std::filesystem::remove(name);
  state.counters["MB"] = static_cast<double>(kSixtyMinutes) * 4 / 1e6;
}
BENCHMARK(BM_PreparePlay60MinStereo)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
