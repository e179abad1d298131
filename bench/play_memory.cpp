// Memory of a long play: a 60-minute stereo sound is opened from its file, then the play file is
// written and read back through the stream the device pulls from, and the sound is closed. Prints
// the program's resident size before the play and its peak during it (the kernel's high-water
// mark, reset after the sound is opened), and what stays resident once the sound is closed.
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

std::string TempFile(const char* leaf) {
  return (std::filesystem::temp_directory_path() /
          ("korvalen-play-memory-" + std::to_string(getpid()) + "-" + leaf + ".wav"))
      .string();
}

// Writes the play file of `sound` and streams it as the device would; false when a step fails.
bool Play(const Sound& sound, const std::string& name, int64_t& checksum) {
  bool abort = false;
  if (!sound.Save(abort, name, true, 0, sound.GetValues())) return false;
  WaveFrameReader player;
  std::string status;
  if (!player.Open(name, status)) return false;
  static int16_t left[16384];
  static int16_t right[16384];
  for (int64_t first = 0; first < player.Frames(); first += 16384) {
    const int64_t got = player.Read(first, 16384, left, right);
    checksum += left[got - 1] - right[0];
  }
  return true;
}

}  // namespace

int main() {
  const long atStart = StatusKb("VmRSS:");
  const std::string file = TempFile("sound");
  {
    bool abort = false;
    const StereoSound made(MakeBenchWave(kSixtyMinutes), MakeBenchWave(kSixtyMinutes), kRate, 2);
    if (!made.Save(abort, file, false, 0, made.GetValues())) return 1;
  }
  const long afterWriting = StatusKb("VmRSS:");
  SoundPtr sound;
  std::string status;
  if (!ReadWaveFile(file, sound, status)) return 1;
  const std::string name = TempFile("play");
  // From here on the high-water mark counts the play alone.
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = StatusKb("VmRSS:");
  int64_t checksum = 0;
  if (!Play(*sound, name, checksum)) return 1;
  const long peak = StatusKb("VmHWM:");
  sound.reset();
  const long afterClosing = StatusKb("VmRSS:");
  std::filesystem::remove(name);
  std::filesystem::remove(file);
  const double soundMb = static_cast<double>(kSixtyMinutes) * 4 / 1e6;
  std::printf("sound %.0f MB; resident before the play %.0f MB, peak during it %.0f MB: %.1f MB above (aim: %.0f MB)\n",
              soundMb, before / 1024.0, peak / 1024.0, (peak - before) / 1024.0, soundMb + 64);
  std::printf("resident at the start %.0f MB, after writing the sound's file %.0f MB, after closing "
              "the sound %.0f MB: %.1f MB above the start (aim: at most 64 MB)\n",
              atStart / 1024.0, afterWriting / 1024.0, afterClosing / 1024.0, (afterClosing - atStart) / 1024.0);
  std::printf("checksum %lld\n", static_cast<long long>(checksum));
  return 0;
}
