// Peak memory of a long play: a 60-minute stereo sound is made, then the play file is written and
// read back through the stream the device pulls from. Prints the program's resident size before the
// play and its peak during it (the kernel's high-water mark, reset after the sound is made).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "bench_util.h"
#include "wave/sound.h"
#include "wave/wavefile.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kSixtyMinutes = int64_t{kRate} * 60 * 60;

// A field of /proc/self/status in kB.
long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

}  // namespace

int main() {
  const StereoSound sound(MakeBenchWave(kSixtyMinutes), MakeBenchWave(kSixtyMinutes), kRate, 2);
  const std::string name =
      (std::filesystem::temp_directory_path() / ("korvalen-play-memory-" + std::to_string(getpid()) + ".wav"))
          .string();
  // From here on the high-water mark counts the play alone.
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = StatusKb("VmRSS:");
  bool abort = false;
  if (!sound.Save(abort, name, true, 0, sound.GetValues())) return 1;
  WaveFrameReader player;
  std::string status;
  if (!player.Open(name, status)) return 1;
  static int16_t left[16384];
  static int16_t right[16384];
  int64_t checksum = 0;
  for (int64_t first = 0; first < player.Frames(); first += 16384) {
    const int64_t got = player.Read(first, 16384, left, right);
    checksum += left[got - 1] - right[0];
  }
  const long peak = StatusKb("VmHWM:");
  std::filesystem::remove(name);
  const double soundMb = static_cast<double>(kSixtyMinutes) * 4 / 1e6;
  std::printf("sound %.0f MB; resident before the play %.0f MB, peak during it %.0f MB: %.1f MB above (aim: %.0f MB)\n",
              soundMb, before / 1024.0, peak / 1024.0, (peak - before) / 1024.0, soundMb + 64);
  std::printf("checksum %lld\n", static_cast<long long>(checksum));
  return 0;
}
