// A play sounds whole while the window's thread is held: the program may be busy with an effect,
// a long redraw or a loaded machine for a second, and what the output sounds must not stop.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "audio/audio_support.h"
#include "gui/waveplayer.h"

namespace {

constexpr int32_t kRate = 22050;

struct Tone {
  int64_t first = -1;  // the first loud sample
  int64_t last = -1;
  int64_t longestQuiet = 0;  // between them
};

// A half-scale sine is quiet only for a sample or two around each crossing; a run longer than
// that within it is sound that never came.
Tone ToneIn(const std::vector<int16_t>& samples) {
  Tone tone;
  int64_t quiet = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(samples[i]) < 1000) {
      ++quiet;
      continue;
    }
    if (tone.first < 0) tone.first = static_cast<int64_t>(i);
    if (tone.last >= 0) tone.longestQuiet = std::max(tone.longestQuiet, quiet);
    tone.last = static_cast<int64_t>(i);
    quiet = 0;
  }
  return tone;
}

}  // namespace

TEST(BusyPlay, APlaySoundsWithoutAGapWhileTheWindowsThreadIsHeldForASecond) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer()) GTEST_SKIP() << "records the output: test server only";
  constexpr double kSeconds = 3;
  ScratchFile sound("busy-play.wav");
  ASSERT_TRUE(WriteSine(sound.name, 1, kRate, 2, 440, kSeconds));
  OutputMonitor monitor("busy-play.raw", kRate);
  ASSERT_TRUE(monitor.Hears()) << "the monitor hears nothing";

  WavePlayer player;
  NoticeLog log(player);
  player.SetFileName(sound.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  player.SetNotify(true);
  ASSERT_TRUE(player.Play()) << player.Error();
  ASSERT_TRUE(QTest::qWaitFor([&] { return ToneIn(monitor.Heard()).first >= 0; }, 10000)) << "the play never sounded";
  // The hold itself: this thread neither runs its events nor answers anything meanwhile, as when
  // the program is busy, while the output sounds 1.2 s.
  const int64_t heldFrom = monitor.Count();
  ASSERT_TRUE(HoldThreadUntil([&] { return monitor.Count() >= heldFrom + kRate * 6 / 5; }, 20000))
      << "the output fell silent for good";
  ASSERT_TRUE(log.WaitForCount(1, 20000)) << "the play never ended";
  EXPECT_EQ(log.notices.front(), nvSuccessful);
  // Its end, and silence after it, reach the file.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const std::vector<int16_t> samples = monitor.Heard();
        const Tone tone = ToneIn(samples);
        return tone.last >= 0 && static_cast<int64_t>(samples.size()) - tone.last > kRate / 5;
      },
      10000));
  monitor.Stop();

  const Tone tone = ToneIn(monitor.Heard());
  EXPECT_LT(tone.longestQuiet * 1000 / kRate, 3) << "the play stopped sounding while the thread was held";
  EXPECT_NEAR(static_cast<double>(tone.last - tone.first) / kRate, kSeconds, 0.02)
      << "what sounded is not the sound as long as it is";
}
