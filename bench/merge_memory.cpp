// Time and memory of a vertical merge of two 60-minute mono waves into one stereo wave, as the
// Merge Vertically command makes it: the sources at the chosen rate and of one length, so their
// buffers go into the result as they are. Prints the time, the program's peak resident size above
// what the sources hold, and how much sample memory the merge added.
#include <chrono>
#include <cstdio>

#include "bench_util.h"
#include "wave/sound.h"
#include "wave/sound_split.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kSixtyMinutes = int64_t{kRate} * 60 * 60;

}  // namespace

int main() {
  auto left = std::make_unique<MonoSound>(MakeBenchWave(kSixtyMinutes), kRate, 2);
  auto right = std::make_unique<MonoSound>(MakeBenchWave(kSixtyMinutes), kRate, 2);
  // From here on the high-water mark counts the merge alone.
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = StatusKb("VmRSS:");
  const int64_t bytesBefore = SampleBytesInUse();
  const auto start = std::chrono::steady_clock::now();
  bool abort = false;
  SoundPtr merged = MergeSideBySide(abort, *left, *right, kRate, 2, kSilenceAtEnd);
  // The sources close after the merge, as their windows do.
  left.reset();
  right.reset();
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  const long peak = StatusKb("VmHWM:");
  if (!merged || merged->GetValues() != kSixtyMinutes) return 1;
  std::printf("merge of two 60-minute mono waves: %.1f ms; peak %.1f MB above the sources' %.0f MB; "
              "%.1f MB more sample memory after it\n",
              took.count(), (peak - before) / 1024.0, bytesBefore / 1e6,
              static_cast<double>(SampleBytesInUse() - bytesBefore) / 1e6);
  return 0;
}
