// The player through the real audio path: a test audio server with a null output whose monitor
// is the default input (build.sh starts one), or the machine's own sound card.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <ostream>
#include <thread>
#include <vector>

#include "audio/audio_support.h"
#include "audio/timed_play.h"
#include "gui/waveplayer.h"

TEST(WavePlayerAudio, PlayOfAnUnusualFormatRunsToItsEndAndNotifiesOnce) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile file("play8bit.wav");
  // 8-bit mono at 11025 samples per second: converted on the way to the device.
  ASSERT_TRUE(WriteSine(file.name, 1, 11025, 1, 440, 0.4));
  WavePlayer player;
  NoticeLog log(player);
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  player.SetNotify(true);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(player.Play()) << player.Error();
  ASSERT_TRUE(log.WaitForCount(1)) << "the play never ended";
  EXPECT_EQ(log.notices[0], nvSuccessful);
  // The notice means the sound went out, not that it was thrown away.
  EXPECT_GE(clock.elapsed(), 200);
  EXPECT_EQ(player.Mode(), mpStopped);
  EXPECT_FALSE(log.WaitForCount(2, 300));
}

TEST(WavePlayerAudio, PlayWithWaitReturnsOnlyAtTheEnd) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile file("wait.wav");
  ASSERT_TRUE(WriteSine(file.name, 2, 22050, 2, 440, 0.3));
  WavePlayer player;
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  player.SetWait(true);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(player.Play()) << player.Error();
  EXPECT_GE(clock.elapsed(), 150);
  EXPECT_EQ(player.Mode(), mpStopped);
  // The setting served that play only.
  ASSERT_TRUE(player.Play());
  EXPECT_EQ(player.Mode(), mpPlaying);
}

TEST(WavePlayerAudio, APlayPausedLongerThanTheStallWatchWaitsGoesOnToItsEnd) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile file("paused.wav");
  ASSERT_TRUE(WriteSine(file.name, 2, 22050, 2, 440, 1.0));
  WavePlayer player;
  NoticeLog log(player);
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  player.SetNotify(true);
  ASSERT_TRUE(player.Play()) << player.Error();
  player.Pause();
  // Nothing may end it while it waits: a play that takes no sound for 3 s otherwise ends.
  EXPECT_FALSE(log.WaitForCount(2, 4500));
  EXPECT_EQ(player.Mode(), mpPaused);
  player.SetNotify(true);
  ASSERT_TRUE(player.Resume()) << player.Error();
  // The one notice of the play interrupted by Pause, then the resumed play's own at its end.
  ASSERT_TRUE(log.WaitForCount(2)) << "the resumed play never ended";
  EXPECT_EQ(log.notices, (std::vector<TMPNotifyValues>{nvAborted, nvSuccessful}));
}

namespace {

// The take's input is a pipe of the test's own: a writer sends noise into it at a rate of its
// choosing by this machine's clock, as a sound card whose clock runs apart from it does. The noise
// is a known sequence that is never zero, so a take shows any silence put into it and whether its
// samples follow each other as they were sent. The server's timing counts what waits in the pipe as
// captured, but on a busy machine the server falls behind reading it, and what it has not read by
// Stop may come too late for the take: only what it read counts as sent for sure. The server is put
// back as it was at the end.
class PipeInput {
 public:
  static constexpr int32_t kRate = 44100;
  // `speed`: the input's rate over its nominal one; `chunkMs`: it delivers that much at a time,
  // or as it goes when 0; it misses the last `missMs` of every `everyMs`, as an input that
  // overruns does.
  PipeInput(double speed, int chunkMs, int missMs = 0, int everyMs = 0)
      : fifo_("input.fifo"), speed_(speed), chunkMs_(chunkMs), missMs_(missMs), everyMs_(everyMs) {
    std::filesystem::remove(fifo_.name);
    oldSource_ = Pactl({"get-default-source"}).trimmed();
    module_ = Pactl({"load-module", "module-pipe-source", "source_name=korvalen_pipe",
                     "file=" + QString::fromStdString(fifo_.name), "format=s16le",
                     "rate=" + QString::number(kRate), "channels=1"})
                  .trimmed();
    if (module_.isEmpty()) return;
    Pactl({"set-default-source", "korvalen_pipe"});
    fd_ = open(fifo_.name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0) writer_ = std::thread([this] { Write(); });
  }
  ~PipeInput() {
    stop_ = true;
    if (writer_.joinable()) writer_.join();
    if (fd_ >= 0) close(fd_);
    if (!module_.isEmpty()) {
      Pactl({"set-default-source", QString::fromUtf8(oldSource_)});
      Pactl({"unload-module", QString::fromUtf8(module_)});
    }
  }
  PipeInput(const PipeInput&) = delete;
  PipeInput& operator=(const PipeInput&) = delete;

  bool Running() const { return writer_.joinable(); }
  // Where the input stood, by the index of the first sample not yet so: made by its clock (those
  // it missed included), written into the pipe, read from it by the server. The server's timing
  // counts what waits in the pipe as captured; it is not taken, though, until the server reads it.
  struct Look {
    int64_t steadyUs;
    int64_t made;
    int64_t written;
    int64_t read;
  };
  int64_t Made() const { return Latest().made; }
  int64_t Read() const { return Latest().read; }
  // The same at a moment on SteadyNowUs's clock, between two of the writer's looks.
  int64_t At(int64_t steadyUs, int64_t Look::*field) const {
    const std::lock_guard<std::mutex> guard(mutex_);
    const auto after = std::upper_bound(looks_.begin(), looks_.end(), steadyUs,
                                        [](int64_t us, const Look& look) { return us < look.steadyUs; });
    if (after == looks_.begin()) return 0;
    const Look& before = *std::prev(after);
    if (after == looks_.end()) return before.*field;
    return before.*field + ((*after).*field - before.*field) * (steadyUs - before.steadyUs) /
                               std::max<int64_t>(1, after->steadyUs - before.steadyUs);
  }
  // How far the server's reading fell behind the input at worst between two moments, in ms.
  int64_t MostBehindMs(int64_t fromUs, int64_t toUs) const {
    const std::lock_guard<std::mutex> guard(mutex_);
    int64_t most = 0;
    for (const Look& look : looks_) {
      if (look.steadyUs >= fromUs && look.steadyUs <= toUs) most = std::max(most, look.made - look.read);
    }
    return most * 1000 / kRate;
  }
  int64_t PipeHoldsMs() const { return fd_ < 0 ? 0 : fcntl(fd_, F_GETPIPE_SZ) / 2 * 1000 / kRate; }

  // Whether the sample of index `n` is one the input misses: never sent, its time left empty.
  bool Missed(int64_t n) const {
    return everyMs_ > 0 && n * 1000 / kRate % everyMs_ >= everyMs_ - missMs_;
  }

  static int16_t Sample(int64_t n) {
    auto x = static_cast<uint32_t>(n) * 2654435761u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    const auto value = static_cast<int16_t>(x >> 16);
    return value == 0 ? int16_t{1} : value;
  }

 private:
  // Samples of consecutive indices, made and not yet read by the server.
  struct Run {
    int64_t first;
    int64_t count;
  };
  Look Latest() const {
    const std::lock_guard<std::mutex> guard(mutex_);
    return looks_.empty() ? Look{} : looks_.back();
  }

  // What falls due is sent; what the pipe does not take yet is sent later, never dropped, so a
  // writer that runs late only delivers late, as a server would.
  void Write() {
    const int64_t startUs = SteadyNowUs();
    std::vector<char> pending;
    std::deque<Run> unread;
    int64_t unreadCount = 0;
    int64_t made = 0;
    while (!stop_) {
      const int64_t nowUs = SteadyNowUs();
      const double seconds = static_cast<double>(nowUs - startUs) / 1e6;
      const int64_t due =
          chunkMs_ > 0
              ? static_cast<int64_t>(seconds * 1000 / chunkMs_) * (kRate * chunkMs_ / 1000)
              : static_cast<int64_t>(seconds * kRate * speed_);
      for (; made < due; ++made) {
        if (Missed(made)) continue;
        const int16_t sample = Sample(made);
        pending.insert(pending.end(), reinterpret_cast<const char*>(&sample),
                       reinterpret_cast<const char*>(&sample) + 2);
        if (unread.empty() || unread.back().first + unread.back().count != made) unread.push_back({made, 0});
        ++unread.back().count;
        ++unreadCount;
      }
      const ssize_t wrote = pending.empty() ? 0 : write(fd_, pending.data(), pending.size());
      if (wrote > 0) pending.erase(pending.begin(), pending.begin() + wrote);
      int inPipe = 0;
      if (ioctl(fd_, FIONREAD, &inPipe) != 0) inPipe = 0;
      // What is neither pending nor in the pipe the server has read.
      const auto pendingCount = static_cast<int64_t>(pending.size() / 2);
      for (int64_t read = unreadCount - pendingCount - (inPipe + 1) / 2; read > 0;) {
        const int64_t taken = std::min(read, unread.front().count);
        unread.front().first += taken;
        unread.front().count -= taken;
        unreadCount -= taken;
        read -= taken;
        if (unread.front().count == 0) unread.pop_front();
      }
      // The first pending sample, counted from the back.
      int64_t written = made;
      int64_t left = pendingCount;
      for (auto run = unread.rbegin(); run != unread.rend() && left > 0; ++run) {
        written = run->first + std::max<int64_t>(0, run->count - left);
        left -= run->count;
      }
      {
        const std::lock_guard<std::mutex> guard(mutex_);
        looks_.push_back({nowUs, made, written, unread.empty() ? made : unread.front().first});
      }
      // The input's clock: a sound card delivers as time passes, not on any event. This paces the
      // writer only; the test waits on how much was read.
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  ScratchFile fifo_;
  double speed_;
  int chunkMs_;
  int missMs_;
  int everyMs_;
  QByteArray oldSource_;
  QByteArray module_;
  int fd_ = -1;
  std::thread writer_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<Look> looks_;
};

struct InputRoad {
  const char* name;
  double speed;
  int chunkMs;
  double seconds;  // how long Record runs
  int missMs = 0;   // the input misses that much of every `everyMs`
  int everyMs = 0;
  int stallSeconds = 0;  // the server hangs that long, 2 s into the take, while the input runs on
};
void PrintTo(const InputRoad& road, std::ostream* out) { *out << road.name; }

class TakeOfAnInputTest : public testing::TestWithParam<InputRoad> {};

}  // namespace

TEST_P(TakeOfAnInputTest, HoldsEverySampleTheInputDeliveredUpToStopWithNothingPutBetween) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (AudioServer::Instance().DefaultDevices().output != "korvalen_null") {
    GTEST_SKIP() << "changes the default input: test server only";
  }
  const InputRoad& road = GetParam();
  constexpr int32_t kRate = PipeInput::kRate;
  ScratchFile file("pipe-take.wav");
  ASSERT_TRUE(WriteSine(file.name, 1, kRate, 2, 440, 0));
  PipeInput input(road.speed, road.chunkMs, road.missMs, road.everyMs);
  ASSERT_TRUE(input.Running()) << "the pipe input could not be made";
  // The input runs a while first, as a sound card does.
  ASSERT_TRUE(QTest::qWaitFor([&] { return input.Made() > kRate / 2; }, 10000));
  WavePlayer player;
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  ASSERT_TRUE(player.StartRecording()) << player.Error();
  // The take starts with what the input had put into the pipe as the player started it.
  const int64_t startUs = player.TakeStartUs();
  const int64_t sentAtRecord = input.At(startUs, &PipeInput::Look::written);
  const auto sendsFor = static_cast<int64_t>(road.seconds * kRate * road.speed);
  if (road.stallSeconds > 0) {
    // The pipe keeps what the input sends while the server hangs, and the server then takes it
    // all at once.
    ASSERT_TRUE(QTest::qWaitFor([&] { return input.Read() >= sentAtRecord + 2 * kRate; }, 10000));
    const std::string hang = "\npid=$(cat \"$PULSE_RUNTIME_PATH/pid\"); kill -STOP \"$pid\"; touch \"$away\"; sleep " +
                             std::to_string(road.stallSeconds) + "; kill -CONT \"$pid\"";
    const ServerDisturbance stall(hang.c_str());
    ASSERT_TRUE(stall.Started() && stall.Away() && stall.Back());
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return input.Read() >= sentAtRecord + sendsFor; },
                              static_cast<int>(road.seconds * 1000) + 10000));
  // The player reads its clock for Stop somewhere between these two. What waited in the pipe then
  // was captured, but a server that fell behind reading it may not deliver it in the time Stop
  // waits; what it never read is not counted.
  const int64_t stopAskedUs = SteadyNowUs();
  player.Stop();
  const int64_t stoppedUs = SteadyNowUs();
  const int64_t readAtStop = input.At(stopAskedUs, &PipeInput::Look::read);
  const int64_t writtenAtStop = input.At(stoppedUs, &PipeInput::Look::written);
  const int64_t behindMs = input.MostBehindMs(startUs, stoppedUs);
  SCOPED_TRACE(testing::Message() << "the server read its pipe up to " << behindMs << " ms behind the input ("
                                  << (behindMs > input.PipeHoldsMs() ? "it fell behind: " : "")
                                  << "the pipe holds " << input.PipeHoldsMs() << " ms), "
                                  << (writtenAtStop - readAtStop) * 1000 / kRate << " ms at Stop");
  const SoundPtr take = player.Recording();
  ASSERT_TRUE(take);
  const Wave& wave = *take->GetLeftWave();
  const std::vector<int16_t> samples(wave.wave, wave.wave + wave.values);
  const auto sound = [](int16_t v) { return v != 0; };
  const auto first = std::find_if(samples.begin(), samples.end(), sound);
  ASSERT_NE(first, samples.end()) << "the take is silent";
  const int64_t begin = first - samples.begin();
  const int64_t end = samples.rend() - std::find_if(samples.rbegin(), samples.rend(), sound);
  // Where the take's sound starts in what was sent.
  constexpr int kKey = 32;
  ASSERT_LT(begin + kKey, end);
  int64_t at = -1;
  for (int64_t n = 0; n <= writtenAtStop + kRate && at < 0; ++n) {
    int j = 0;
    while (j < kKey && PipeInput::Sample(n + j) == samples[begin + j]) ++j;
    if (j == kKey) at = n;
  }
  ASSERT_GE(at, 0) << "the take's sound is not what was sent";
  // Every sound from there on is the next one sent, those the input missed left out: nothing
  // dropped or doubled. Silence is only ever where the input missed time, and each sample sits
  // where its time fell.
  int64_t next = at;
  int64_t i = begin;
  int64_t silent = 0;
  int64_t longestSilence = 0;
  int64_t silence = 0;
  int64_t worstPlace = 0;
  for (; i < end; ++i) {
    if (samples[i] == 0) {
      longestSilence = std::max(longestSilence, ++silence);
      ++silent;
      continue;
    }
    silence = 0;
    while (input.Missed(next)) ++next;
    if (samples[i] != PipeInput::Sample(next)) break;
    worstPlace = std::max(worstPlace, std::abs((i - begin) - (next - at)));
    ++next;
  }
  int64_t missed = 0;
  for (int64_t n = at; n < next; ++n) missed += input.Missed(n) ? 1 : 0;
  const auto ms = [](int64_t frames) { return frames * 1000 / kRate; };
  EXPECT_EQ(i, end) << "the sound breaks off at " << ms(i) << " ms of " << ms(wave.values) << " ms";
  if (road.missMs > 0) {
    // What the input missed is silence in the take, however short each miss.
    EXPECT_NEAR(ms(silent), ms(missed), 60);
    // What arrives together after the program was held a moment (a busy machine) says nothing
    // of where in it a miss fell: one miss more than the time carried.
    EXPECT_LE(ms(worstPlace), 60 + road.missMs) << "a sound away from where its time fell";
  } else if (road.stallSeconds > 0) {
    EXPECT_LT(ms(longestSilence), 5) << "silence put into what the input delivered whole";
  } else {
    EXPECT_EQ(ms(silent), 0) << "silence put into what the input delivered whole";
  }
  const int64_t toleranceSamples = kRate / 10;
  if (road.chunkMs == 0) {
    // The take begins with what was sent as Record started and ends with what was sent by Stop,
    // however the input's clock runs, and lasts as long as the input took to send it.
    EXPECT_NEAR(at, sentAtRecord, toleranceSamples);
    EXPECT_GE(next, readAtStop - toleranceSamples);
    EXPECT_LE(next, writtenAtStop + toleranceSamples);
    EXPECT_EQ(begin, 0) << "silence before the take's sound";
    // What was captured and not delivered in time is silence, as after any server late at Stop.
    EXPECT_GE(end, wave.values - kRate / 1000 - std::max<int64_t>(0, writtenAtStop - readAtStop))
        << "silence at the take's end";
    const double tolerance = road.missMs > 0 ? 300 : 400;
    const auto inputMs = [&](int64_t untilUs) {
      return static_cast<double>(untilUs - startUs) / 1000 * road.speed;
    };
    EXPECT_GE(ms(wave.values), inputMs(stopAskedUs) - tolerance);
    EXPECT_LE(ms(wave.values), inputMs(stoppedUs) + tolerance);
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, TakeOfAnInputTest,
                         testing::Values(InputRoad{"Steady", 1.0, 0, 3},
                                         InputRoad{"OnePercentSlow", 0.99, 0, 15},
                                         InputRoad{"OnePercentFast", 1.01, 0, 15},
                                         InputRoad{"TwoPercentFast", 1.02, 0, 15},
                                         InputRoad{"FivePercentFast", 1.05, 0, 10},
                                         InputRoad{"FivePercentSlow", 0.95, 0, 10},
                                         InputRoad{"EightPercentFast", 1.08, 0, 10},
                                         InputRoad{"HalfASecondAtATime", 1.0, 500, 6},
                                         InputRoad{"Misses40MsOfEvery200", 1.0, 0, 10, 40, 200},
                                         InputRoad{"Misses10MsEverySecond", 1.0, 0, 10, 10, 1000},
                                         InputRoad{"AServerStallOf10Seconds", 1.0, 0, 16, 0, 0, 10}),
                         [](const testing::TestParamInfo<InputRoad>& info) { return info.param.name; });
