// A play sounds whole while the window's thread is held: the program may be busy with an effect,
// a long redraw or a loaded machine for a second, and what the output sounds must not stop.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "audio/audio_support.h"
#include "gui/waveplayer.h"

namespace {

constexpr int32_t kRate = 22050;

// What the monitor of the output has heard so far: mono 16-bit samples written by an independent
// client into a file, so that neither this thread's hold nor a pipe's size can lose any of it.
std::vector<int16_t> Heard(const std::string& name) {
  QFile file(QString::fromStdString(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  std::vector<int16_t> samples(static_cast<size_t>(bytes.size()) / 2);
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

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
  ScratchFile heard("busy-play.raw");
  QProcess monitor;
  monitor.start("parec", {"-d", "@DEFAULT_MONITOR@", "--raw", "--format=s16ne", "--channels=1",
                          "--rate=" + QString::number(kRate), "--latency-msec=20",
                          QString::fromStdString(heard.name)});
  ASSERT_TRUE(monitor.waitForStarted());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Heard(heard.name).empty(); }, 10000)) << "the monitor hears nothing";

  WavePlayer player;
  NoticeLog log(player);
  player.SetFileName(sound.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  player.SetNotify(true);
  ASSERT_TRUE(player.Play()) << player.Error();
  ASSERT_TRUE(QTest::qWaitFor([&] { return ToneIn(Heard(heard.name)).first >= 0; }, 10000)) << "the play never sounded";
  // The hold itself: this thread neither runs its events nor answers anything meanwhile, as when
  // the program is busy.
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  ASSERT_TRUE(log.WaitForCount(1, 20000)) << "the play never ended";
  EXPECT_EQ(log.notices.front(), nvSuccessful);
  // Its end, and silence after it, reach the file.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const std::vector<int16_t> samples = Heard(heard.name);
        const Tone tone = ToneIn(samples);
        return tone.last >= 0 && static_cast<int64_t>(samples.size()) - tone.last > kRate / 5;
      },
      10000));
  monitor.terminate();
  monitor.waitForFinished(5000);

  const Tone tone = ToneIn(Heard(heard.name));
  EXPECT_LT(tone.longestQuiet * 1000 / kRate, 3) << "the play stopped sounding while the thread was held";
  EXPECT_NEAR(static_cast<double>(tone.last - tone.first) / kRate, kSeconds, 0.02)
      << "what sounded is not the sound as long as it is";
}
