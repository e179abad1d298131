// Record of the main window through the real player and the audio server.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <tuple>

#include "app/Main.h"
#include "app/Player.h"
#include "audio/audio_support.h"
#include "audio/timed_play.h"
#include "gui/waveplayer.h"
#include "support/recording_sink.h"
#include "wave/unitwave.h"

namespace {

class OneDocument : public PlayerDocuments {
 public:
  explicit OneDocument(TUnitWave& unitWave) : unitWave_(unitWave) {}
  uint8_t ActiveKind() const override { return kUnitKindWave; }
  TUnitWave* ActiveUnitWave() const override { return &unitWave_; }
  SoundPtr RenderActiveMuz() override { return nullptr; }

 private:
  TUnitWave& unitWave_;
};

// How many samples of the sound's first channel are loud: the tone, not the silence around it.
int32_t LoudValues(const Wave* wave) {
  int32_t loud = 0;
  for (int32_t i = 0; wave != nullptr && i < wave->values; ++i)
    loud += std::abs(wave->wave[i]) > 4000 ? 1 : 0;
  return loud;
}
int32_t LoudValues(const SoundPtr& sound) { return sound ? LoudValues(sound->GetLeftWave()) : 0; }

class PlaybackAudioTest : public testing::Test {
 protected:
  void SetUp() override {
    SetTempDir(dir_);
    PausePressed = PlayPending = RecordPending = false;
    form = StartUp();
  }
  void TearDown() override {
    form.reset();
    std::filesystem::remove_all(dir_);
  }

  // Makes the document the active one, with the buttons as the idle-time update sets them.
  void Activate(TUnitWave& unitWave) {
    documents_ = std::make_unique<OneDocument>(unitWave);
    form->SetPlayerDocuments(*documents_);
    form->Playback().UpdateAvailability();
  }
  void StartRecord() {
    form->Action("FileRecord")->trigger();
    ASSERT_TRUE(form->Action("FileRecord")->isChecked())
        << (sink.messages.empty() ? "" : sink.messages[0].text);
  }
  // Plays a file to its end on a player of the test's own; `started` runs once it is open.
  void PlayToEnd(const std::string& name, const std::function<void()>& started = {}) {
    WavePlayer player;
    NoticeLog log(player);
    player.SetFileName(name);
    ASSERT_TRUE(player.Open()) << player.Error();
    if (started) started();
    if (HasFatalFailure()) return;
    player.SetNotify(true);
    ASSERT_TRUE(player.Play()) << player.Error();
    ASSERT_TRUE(log.WaitForCount(1)) << "the tone never ended";
  }

  std::unique_ptr<OneDocument> documents_;
  std::string dir_ = testing::TempDir() + "korvalen-playback-" + std::to_string(getpid());
  RecordingSink sink;
  std::unique_ptr<TMainForm> form;
};

}  // namespace

TEST_F(PlaybackAudioTest, RecordAndStopPutWhatTheOutputPlayedIntoTheEmptyDocument) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  TUnitWave unitWave("", waveFileProps(1, 22050, 1));
  Activate(unitWave);
  ASSERT_NO_FATAL_FAILURE(StartRecord());

  // The test plays its own tone into the output that the input records.
  ScratchFile tone("record-tone.wav");
  ASSERT_TRUE(WriteSine(tone.name, 1, 44100, 2, 440, 0.6));
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(tone.name));

  form->Action("FileStop")->trigger();
  EXPECT_FALSE(form->Action("FileRecord")->isChecked());
  ASSERT_GT(unitWave.GetValues(), 0);
  EXPECT_EQ(std::tuple(unitWave.GetChannels(), unitWave.GetSamplesPerSec(), unitWave.GetBytesPerSample()),
            std::tuple(1, 22050u, 1));
  EXPECT_GT(PeakOf(*unitWave.GetSound()), 4000) << "the recording is silent";
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(PlaybackAudioTest, RecordingKeepsEverythingFromItsStartToStop) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  TUnitWave unitWave("", waveFileProps(1, 44100, 2));
  Activate(unitWave);

  // A loud first 200 ms, then a quiet rest: a recording that lost its start has no loud part.
  constexpr int32_t kRate = 44100;
  SoundPtr marked = SineSound(1, kRate, 2, 440, 2.0);
  int16_t* samples = marked->GetLeftWave()->wave;
  for (int32_t i = kRate / 5; i < marked->GetValues(); ++i) samples[i] /= 8;
  ScratchFile tone("record-marked.wav");
  bool abort = false;
  ASSERT_TRUE(WriteWaveFile(abort, tone.name, *marked, 0, marked->GetValues(), true));
  QElapsedTimer clock;
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(tone.name, [&] {
    clock.start();
    StartRecord();
  }));
  // Recording on past the tone's end; the check measures how long it went, so the wait may last
  // as long as the machine makes it.
  QTest::qWait(300);
  const int64_t recordedMs = clock.elapsed();
  form->Action("FileStop")->trigger();

  ASSERT_FALSE(form->Action("FileRecord")->isChecked());
  const int64_t lengthMs = int64_t{unitWave.GetValues()} * 1000 / kRate;
  EXPECT_NEAR(lengthMs, recordedMs, 150);
  EXPECT_GT(PeakOf(*unitWave.GetSound()), 12000) << "the loud start is missing";
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(PlaybackAudioTest, TheServerGoingAwayEndsARecordingWithWhatArrivedAndSaysWhy) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer()) GTEST_SKIP() << "cuts every client off: test server only";
  auto player = std::make_unique<WavePlayer>();
  const WavePlayer& recorder = *player;
  form->SetAudioPlayer(std::move(player));
  TUnitWave unitWave("", waveFileProps(1, 22050, 2));
  Activate(unitWave);
  WavePlayer tonePlayer;
  ScratchFile tone("lost-tone.wav");
  ASSERT_TRUE(WriteSine(tone.name, 1, 44100, 2, 440, 20.0));
  tonePlayer.SetFileName(tone.name);
  ASSERT_TRUE(tonePlayer.Open()) << tonePlayer.Error();
  ASSERT_NO_FATAL_FAILURE(StartRecord());
  ASSERT_TRUE(tonePlayer.Play()) << tonePlayer.Error();
  // The device may take a while to deliver: the server goes only once the tone has come in.
  int32_t arrived = 0;
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return (arrived = LoudValues(recorder.Recording())) > 2205; }, 15000))
      << "the tone never came in";

  const ServerDisturbance cut(ServerDisturbance::kCutClients);
  ASSERT_TRUE(cut.Started());
  ASSERT_TRUE(QTest::qWaitFor([this] { return !form->Action("FileRecord")->isChecked(); }, 10000));
  EXPECT_GE(LoudValues(unitWave.GetSound()->GetLeftWave()), arrived) << "what arrived is missing";
  EXPECT_FALSE(form->Action("FileStop")->isEnabled());
  EXPECT_EQ(sink.messages, (std::vector<RecordedMessage>{
                               {playertext::kInputGone, msgtext::kError, kMbOk | kMbIconWarning}}));
}

struct Disturbance {
  const char* name;
  const char* script;  // of a ServerDisturbance
};
void PrintTo(const Disturbance& disturbance, std::ostream* out) { *out << disturbance.name; }

class DisturbedPlayTest : public PlaybackAudioTest,
                          public testing::WithParamInterface<Disturbance> {};

TEST_P(DisturbedPlayTest, APlayEndsAsAtItsEndWhenTheServerOrTheOutputGoesAway) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer())
    GTEST_SKIP() << "disturbs the audio server: test server only";
  const SoundPtr tune = SineSound(2, 22050, 2, 440, 30.0);
  ASSERT_TRUE(form->PlayWholeSound(*tune));
  ASSERT_TRUE(QTest::qWaitFor([] { return ServerDisturbance::PlaysAStream(); }, 10000));
  ASSERT_TRUE(form->Action("FilePlay")->isChecked()) << "the play ended by itself";

  const ServerDisturbance disturbance(GetParam().script);
  ASSERT_TRUE(disturbance.Started());
  // Long before the tune's own end.
  ASSERT_TRUE(QTest::qWaitFor([this] { return !form->Action("FilePlay")->isChecked(); }, 15000));
  EXPECT_FALSE(form->Action("FileStop")->isEnabled());
  EXPECT_TRUE(sink.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, DisturbedPlayTest,
    testing::Values(Disturbance{"ServerEnds", ServerDisturbance::kCutClients},
                    Disturbance{"OutputGoes", ServerDisturbance::kRemoveOutput}),
    [](const testing::TestParamInfo<Disturbance>& info) { return info.param.name; });

// What was running when the server went away: a recording, or nothing after a play.
struct Outage {
  const char* name;
  bool duringRecording;
};
void PrintTo(const Outage& outage, std::ostream* out) { *out << outage.name; }

class ServerBackTest : public PlaybackAudioTest, public testing::WithParamInterface<Outage> {
 protected:
  void LivesThroughAnOutage(const WavePlayer& recorder);
  // Record puts what a tone played meanwhile into a new document, and Play reaches the server.
  void RecordsAndPlaysAgain() {
    sink.messages.clear();
    TUnitWave again("", waveFileProps(1, 22050, 2));
    Activate(again);
    ASSERT_NO_FATAL_FAILURE(StartRecord());
    ScratchFile tone("back-tone.wav");
    ASSERT_TRUE(WriteSine(tone.name, 1, 44100, 2, 440, 0.5));
    ASSERT_NO_FATAL_FAILURE(PlayToEnd(tone.name));
    form->Action("FileStop")->trigger();
    EXPECT_GT(PeakOf(*again.GetSound()), 4000) << "nothing was recorded";
    EXPECT_TRUE(QTest::qWaitFor([] { return ServerDisturbance::ClientStreams() == 0; }, 10000))
        << "Stop left the recording's stream on the server";

    const SoundPtr tune = SineSound(2, 22050, 2, 440, 30.0);
    ASSERT_TRUE(form->PlayWholeSound(*tune));
    EXPECT_TRUE(QTest::qWaitFor([] { return ServerDisturbance::PlaysAStream(); }, 10000));
    form->Action("FileStop")->trigger();
    EXPECT_FALSE(form->Action("FilePlay")->isChecked());
    EXPECT_TRUE(QTest::qWaitFor([] { return ServerDisturbance::ClientStreams() == 0; }, 10000))
        << "Stop left the play's stream on the server";
    EXPECT_TRUE(sink.messages.empty()) << sink.messages[0].text;
  }
};

TEST_P(ServerBackTest, RecordAndPlayWorkAgainAfterEachOutageAndEachRefusalShowsOneBox) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer()) GTEST_SKIP() << "stops the audio server: test server only";
  auto player = std::make_unique<WavePlayer>();
  const WavePlayer& recorder = *player;
  form->SetAudioPlayer(std::move(player));
  // The second outage finds the program as the first one left it.
  for (int outage = 1; outage <= 2; ++outage) {
    SCOPED_TRACE(testing::Message() << "outage " << outage);
    ASSERT_NO_FATAL_FAILURE(LivesThroughAnOutage(recorder));
  }
}

void ServerBackTest::LivesThroughAnOutage(const WavePlayer& recorder) {
  sink.messages.clear();
  TUnitWave first("", waveFileProps(1, 22050, 2));
  Activate(first);
  std::vector<RecordedMessage> expected;
  if (GetParam().duringRecording) {
    ASSERT_NO_FATAL_FAILURE(StartRecord());
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.Recording()->GetValues() > 0; }, 10000));
    expected.push_back({playertext::kInputGone, msgtext::kError, kMbOk | kMbIconWarning});
  } else {
    const SoundPtr blip = SineSound(1, 22050, 2, 440, 0.2);
    ASSERT_TRUE(form->PlayWholeSound(*blip));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !form->Action("FilePlay")->isChecked(); }, 15000));
  }

  {
    const ServerDisturbance away(ServerDisturbance::kAwayAWhile);
    ASSERT_TRUE(away.Started() && away.Away());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !form->Action("FileRecord")->isChecked(); }, 10000));
    // Record and Play while no server answers: one box each, and nothing left running.
    TUnitWave meanwhile("", waveFileProps(1, 22050, 2));
    Activate(meanwhile);
    form->Action("FileRecord")->trigger();
    EXPECT_FALSE(form->Action("FileRecord")->isChecked());
    const SoundPtr tune = SineSound(1, 22050, 2, 440, 1.0);
    EXPECT_FALSE(form->PlayWholeSound(*tune));
    EXPECT_FALSE(form->Action("FilePlay")->isChecked());
    for (int i = 0; i < 2; ++i)
      expected.push_back({playertext::kNoDevice, msgtext::kError, kMbOk | kMbIconWarning});
    EXPECT_EQ(sink.messages, expected);
    ASSERT_TRUE(away.Back());
  }
  RecordsAndPlaysAgain();
}

INSTANTIATE_TEST_SUITE_P(Outages, ServerBackTest,
                         testing::Values(Outage{"DuringARecording", true},
                                         Outage{"AfterAPlay", false}),
                         [](const testing::TestParamInfo<Outage>& info) { return info.param.name; });

// What keeps a Play or Record from starting, and the one box that says so.
struct FailedStart {
  const char* name;
  const char* script;  // of a ServerDisturbance, held until released
  bool record;
  const char* text;
  bool neverAnswered;  // the program gives up its connection
};
void PrintTo(const FailedStart& failed, std::ostream* out) { *out << failed.name; }

class FailedStartTest : public PlaybackAudioTest,
                        public testing::WithParamInterface<FailedStart> {};

TEST_P(FailedStartTest, ShowsOneBoxLeavesNothingPressedAndNoStreamOnTheServer) {
  // The connection is ready before the server is disturbed, as after any earlier Play.
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer()) GTEST_SKIP() << "disturbs the audio server: test server only";
  const FailedStart& failed = GetParam();
  TUnitWave unitWave("", waveFileProps(1, 22050, 2));
  Activate(unitWave);
  // A real box runs what is due while it shows: the failed command's notice among it.
  sink.whileShown = [] { QCoreApplication::processEvents(); };
  {
    const ServerDisturbance disturbance(failed.script);
    ASSERT_TRUE(disturbance.Started() && disturbance.Away());
    if (failed.record) {
      form->Action("FileRecord")->trigger();
    } else {
      EXPECT_FALSE(form->PlayWholeSound(*SineSound(1, 22050, 2, 440, 1.0)));
    }
    EXPECT_EQ(sink.messages,
              (std::vector<RecordedMessage>{{failed.text, msgtext::kError, kMbOk | kMbIconWarning}}));
    for (const char* action : {"FilePlay", "FilePause", "FileRecord"})
      EXPECT_FALSE(form->Action(action)->isChecked()) << action;
    EXPECT_FALSE(form->Action("FileStop")->isEnabled());
    disturbance.Release();
    ASSERT_TRUE(disturbance.Back());
  }
  // A server that runs again learns that the connection it never answered is gone; what it
  // still had to answer for must not come to life there.
  if (failed.neverAnswered) {
    EXPECT_TRUE(QTest::qWaitFor([] { return !ServerDisturbance::ProgramConnected(); }, 10000));
  }
  EXPECT_EQ(ServerDisturbance::ClientStreams(), 0);

  // The next play plays, and is released at its end.
  sink.messages.clear();
  ASSERT_TRUE(form->PlayWholeSound(*SineSound(1, 22050, 2, 440, 0.1)));
  EXPECT_TRUE(QTest::qWaitFor([this] { return !form->Action("FilePlay")->isChecked(); }, 15000));
  EXPECT_TRUE(sink.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, FailedStartTest,
    testing::Values(
        FailedStart{"PlayOnAHungServer", ServerDisturbance::kHungUntilReleased, false,
                    playertext::kNoDevice, true},
        FailedStart{"RecordOnAHungServer", ServerDisturbance::kHungUntilReleased, true,
                    playertext::kNoDevice, true},
        FailedStart{"PlayWithoutOutput", ServerDisturbance::kNoDevicesUntilReleased, false,
                    playertext::kNoOutput, false},
        FailedStart{"RecordWithoutInput", ServerDisturbance::kNoDevicesUntilReleased, true,
                    playertext::kNoInput, false}),
    [](const testing::TestParamInfo<FailedStart>& info) { return info.param.name; });

TEST_F(PlaybackAudioTest, APausedPlayIsCorkedAndAPausedPlayOrRecordingThatLosesItsServerEnds) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer()) GTEST_SKIP() << "cuts every client off: test server only";
  form->SetAudioPlayer(std::make_unique<WavePlayer>());
  const SoundPtr tune = SineSound(2, 22050, 2, 440, 30.0);
  auto playAndPause = [&] {
    ASSERT_TRUE(form->PlayWholeSound(*tune));
    ASSERT_TRUE(QTest::qWaitFor([] { return ServerDisturbance::PlaysAStream(); }, 10000));
    form->Action("FilePause")->trigger();
    ASSERT_TRUE(form->Action("FilePause")->isChecked());
    ASSERT_TRUE(QTest::qWaitFor([] { return ServerDisturbance::CorkedPlays() == 1; }, 10000))
        << "the paused play still runs at the server";
  };
  auto released = [this] {
    return !form->Action("FilePlay")->isChecked() && !form->Action("FilePause")->isChecked() &&
           !form->Action("FileStop")->isEnabled();
  };
  ASSERT_NO_FATAL_FAILURE(playAndPause());
  {
    const ServerDisturbance cut(ServerDisturbance::kCutClients);
    ASSERT_TRUE(cut.Started());
    EXPECT_TRUE(QTest::qWaitFor(released, 10000)) << "the paused play holds the buttons";
  }
  EXPECT_TRUE(sink.messages.empty());
  // Play plays again, and Pause pauses it.
  ASSERT_NO_FATAL_FAILURE(playAndPause());
  form->Action("FilePause")->trigger();
  form->Action("FileStop")->trigger();

  // The window pauses no running recording, but the player does: the one paused tells that it
  // ended, and keeps what arrived.
  WavePlayer taker;
  NoticeLog log(taker);
  ScratchFile take("paused-take.wav");
  ASSERT_TRUE(WriteSine(take.name, 1, 22050, 2, 440, 0.0));
  taker.SetFileName(take.name);
  ASSERT_TRUE(taker.Open()) << taker.Error();
  taker.SetNotify(true);
  ASSERT_TRUE(taker.StartRecording()) << taker.Error();
  ASSERT_TRUE(QTest::qWaitFor([&] { return taker.Recording()->GetValues() > 0; }, 10000));
  taker.Pause();
  {
    const ServerDisturbance cut(ServerDisturbance::kCutClients);
    ASSERT_TRUE(cut.Started());
    EXPECT_TRUE(log.WaitForCount(2)) << "the paused recording ended without a word";
  }
  EXPECT_EQ(log.notices, (std::vector<TMPNotifyValues>{nvAborted, nvFailure}));
  EXPECT_EQ(std::pair(taker.Mode(), taker.Error()), std::pair(mpStopped, std::string(playertext::kDeviceFailed)));
  EXPECT_GT(taker.Recording()->GetValues(), 0) << "what arrived is missing";
}

// What keeps a take from getting its sound as it runs, and when it starts.
enum class Disturbed { kBeforeRecord, kAsRecordStarts, kAfterATone, kBetweenTones };
// What sounds into the take: 0.5 s tones, or a run of 0.1 s ticks every half second.
enum class Heard { kTone, kTicks };
struct TakeRoad {
  const char* name;
  int channels;
  const char* script;  // of a ServerDisturbance
  Disturbed when;
  int disturbances = 1;  // between tones: a tone before, between and after them
  bool freshServer = false;  // the server is started anew first: its idle input answers late
  Heard heard = Heard::kTone;
};
void PrintTo(const TakeRoad& road, std::ostream* out) { *out << road.name; }

// The server hangs for two seconds.
constexpr const char* kHungAWhile = R"sh(
    pid=$(cat "$PULSE_RUNTIME_PATH/pid")
    kill -STOP "$pid"; touch "$away"; sleep 2; kill -CONT "$pid")sh";
constexpr const char* kHungThreeSeconds = R"sh(
    pid=$(cat "$PULSE_RUNTIME_PATH/pid")
    kill -STOP "$pid"; touch "$away"; sleep 3; kill -CONT "$pid")sh";
// Long enough that the time it hung, sent afterwards in one burst, spans seconds of the take.
constexpr const char* kHungTwelveSeconds = R"sh(
    pid=$(cat "$PULSE_RUNTIME_PATH/pid")
    kill -STOP "$pid"; touch "$away"; sleep 12; kill -CONT "$pid")sh";
// Record is pressed a moment after the server stops, and it goes on 2.7 s after it stopped.
constexpr const char* kHungWhileRecordIsPressed = R"sh(
    pid=$(cat "$PULSE_RUNTIME_PATH/pid")
    kill -STOP "$pid"; sleep 0.3; touch "$away"; sleep 2.4; kill -CONT "$pid")sh";
// The test stops the server as soon as the take has its stream, before the server has delivered
// anything, and releases this; the server goes on two seconds later.
constexpr const char* kGoesOnAWhileAfterRelease = R"sh(
    pid=$(cat "$PULSE_RUNTIME_PATH/pid")
    touch "$away"; held; sleep 2; kill -CONT "$pid")sh";
// The server has hung for two seconds when `away` is touched, and hangs on until released.
constexpr const char* kHungAWhileUntilReleased = R"sh(
    pid=$(cat "$PULSE_RUNTIME_PATH/pid")
    kill -STOP "$pid"; sleep 2; touch "$away"; held; kill -CONT "$pid")sh";
// The input delivers nothing for two seconds, as a device that drops out does.
constexpr const char* kSilentInputAWhile = R"sh(
    source=$(pactl get-default-source)
    pactl suspend-source "$source" 1; touch "$away"; sleep 2; pactl suspend-source "$source" 0)sh";
constexpr const char* kSilentInputABriefWhile = R"sh(
    source=$(pactl get-default-source)
    pactl suspend-source "$source" 1; touch "$away"; sleep 0.4; pactl suspend-source "$source" 0)sh";
// The server ends and starts again with the same modules and defaults, as when it was first
// started for the tests.
constexpr const char* kStartedAnew = R"sh(
    pid=$(cat "$PULSE_RUNTIME_PATH/pid")
    sink=$(pactl get-default-sink); source=$(pactl get-default-source)
    kill "$pid"
    n=0; while kill -0 "$pid" 2> /dev/null && [ $n -lt 100 ]; do sleep 0.1; n=$((n + 1)); done
    HOME="$XDG_RUNTIME_DIR" pulseaudio -n --daemonize=yes --use-pid-file=yes --exit-idle-time=-1 \
      --log-target=file:"$XDG_RUNTIME_DIR/server.log" \
      -L "module-native-protocol-unix $(module module-native-protocol-unix 3)" \
      -L "module-null-sink $(module module-null-sink 3)" \
      -L "module-remap-source $(module module-remap-source 3)"
    n=0; until pactl info > /dev/null 2>&1 || [ $n -ge 100 ]; do sleep 0.1; n=$((n + 1)); done
    pactl set-default-sink "$sink"; pactl set-default-source "$source"; touch "$away")sh";

void StopServer() {
  const char* runtime = std::getenv("PULSE_RUNTIME_PATH");
  ASSERT_NE(runtime, nullptr) << "the test server says where it runs";
  std::ifstream pidFile(std::string(runtime) + "/pid");
  pid_t pid = 0;
  ASSERT_TRUE(pidFile >> pid);
  ASSERT_EQ(kill(pid, SIGSTOP), 0);
}

// Where the tones of a take begin: loud after a quiet stretch far longer than a sine's cycle.
std::vector<int64_t> ToneStartsMs(const Wave& wave, int32_t rate) {
  std::vector<int64_t> starts;
  int64_t lastLoud = -rate;
  for (int32_t i = 0; i < wave.values; ++i) {
    if (std::abs(wave.wave[i]) <= 4000) continue;
    if (i - lastLoud > rate / 4) starts.push_back(int64_t{i} * 1000 / rate);
    lastLoud = i;
  }
  return starts;
}

// What sounds into a take, at 44100 Hz.
constexpr int32_t kHeardRate = 44100;
constexpr int kTicks = 8;
constexpr int64_t kTickEveryMs = 500;
std::vector<int16_t> HeardSamples(Heard heard) {
  const double seconds = heard == Heard::kTicks ? kTicks * kTickEveryMs / 1000.0 : 0.5;
  const SoundPtr sound = SineSound(1, kHeardRate, 2, 440, seconds);
  const Wave& wave = *sound->GetLeftWave();
  std::vector<int16_t> samples(wave.wave, wave.wave + wave.values);
  for (size_t i = 0; heard == Heard::kTicks && i < samples.size(); ++i) {
    if (i % (kHeardRate * kTickEveryMs / 1000) >= kHeardRate / 10) samples[i] = 0;
  }
  return samples;
}

class TakeTest : public PlaybackAudioTest, public testing::WithParamInterface<TakeRoad> {};

TEST_P(TakeTest, LastsAsLongAsRecordRanWithItsSoundWhereItSounded) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer()) GTEST_SKIP() << "disturbs the server: test server only";
  const TakeRoad& road = GetParam();
  const bool silentInput = road.script == ServerDisturbance::kSilentInputUntilReleased;
  constexpr int32_t kRate = 22050;
  if (road.freshServer) {
    const ServerDisturbance anew(kStartedAnew);
    ASSERT_TRUE(anew.Started() && anew.Back());
    ASSERT_TRUE(AudioAvailable()) << "the server did not come back";
  }
  auto player = std::make_unique<WavePlayer>();
  const WavePlayer& recorder = *player;
  form->SetAudioPlayer(std::move(player));
  TUnitWave unitWave("", waveFileProps(static_cast<int16_t>(road.channels), kRate, 2));
  Activate(unitWave);
  // How much of the take has come in, and how much of it since its last loud sample.
  const auto takeSoFar = [&recorder] {
    const SoundPtr taken = recorder.Recording();
    const Wave* left = taken ? taken->GetLeftWave() : nullptr;
    if (left == nullptr) return std::pair<int32_t, int32_t>(0, 0);
    int32_t quiet = 0;
    while (quiet < left->values && std::abs(left->wave[left->values - 1 - quiet]) <= 4000) ++quiet;
    return std::pair(left->values, quiet);
  };
  const auto delivers = [&] {
    const int32_t taken = takeSoFar().first;
    ASSERT_TRUE(QTest::qWaitFor([&] { return takeSoFar().first > taken + kRate / 4; }, 10000))
        << "the input never delivers";
  };
  const std::vector<int16_t> heard = HeardSamples(road.heard);
  // The take's time starts where the player says its first frame was captured, and the server says
  // when on that clock each tone sounded, however late after it was asked for: neither depends on
  // when the test itself got to run.
  int64_t takeStartUs = 0;
  std::vector<int64_t> sounded;  // where each tone began, in the take's time
  const auto playTone = [&] {
    const int64_t askedUs = SteadyNowUs();
    const TimedPlay play(heard, kHeardRate);
    ASSERT_TRUE(play.Started()) << play.Error();
    ASSERT_TRUE(play.WaitPlayedOut(15000)) << "the tone never ended";
    const std::optional<int64_t> firstUs = play.FirstFrameUs();
    ASSERT_TRUE(firstUs) << "the server never timed the tone";
    // A measure that puts the sound before it was asked for is no measure.
    ASSERT_GE(*firstUs, askedUs - 5000) << "the timings spread over " << play.SpreadUs() << " us";
    for (int tick = 0; tick < (road.heard == Heard::kTicks ? kTicks : 1); ++tick) {
      sounded.push_back((*firstUs - takeStartUs) / 1000 + tick * kTickEveryMs);
    }
  };
  {
    std::unique_ptr<ServerDisturbance> disturbance;
    const auto disturb = [&] {
      // The one before is put back first: the two would share their files.
      disturbance.reset();
      disturbance = std::make_unique<ServerDisturbance>(road.script);
      ASSERT_TRUE(disturbance->Started() && disturbance->Away());
    };
    if (road.when == Disturbed::kBeforeRecord || road.when == Disturbed::kAsRecordStarts) {
      ASSERT_NO_FATAL_FAILURE(disturb());
    }
    ASSERT_NO_FATAL_FAILURE(StartRecord());
    takeStartUs = recorder.TakeStartUs();
    ASSERT_GT(takeStartUs, 0) << "the player tells no start of its take";
    if (road.when == Disturbed::kAsRecordStarts) {
      ASSERT_NO_FATAL_FAILURE(StopServer());
      disturbance->Release();
    }
    if (disturbance != nullptr && !silentInput) {
      ASSERT_TRUE(disturbance->Back());
    }
    ASSERT_TRUE(QTest::qWaitFor([] { return ServerDisturbance::ClientStreams() == 1; }, 10000));
    // The tone plays once the input delivers, or before the server hangs; a silenced input does
    // not hear it. An output that idles renders a tone sounded before then only when it wakes.
    if (!silentInput) {
      ASSERT_NO_FATAL_FAILURE(delivers());
    }
    ASSERT_NO_FATAL_FAILURE(playTone());
    for (int k = 0; road.when == Disturbed::kBetweenTones && k < road.disturbances; ++k) {
      // The tone before is in the take, a quarter of a second of quiet after it, before the input
      // drops out or the server hangs; the next plays once the input delivers again.
      ASSERT_TRUE(QTest::qWaitFor(
          [&] {
            const auto [values, quiet] = takeSoFar();
            return quiet < values && quiet > kRate / 4;
          },
          10000))
          << "tone " << k << " never came in";
      ASSERT_NO_FATAL_FAILURE(disturb());
      ASSERT_TRUE(disturbance->Back());
      ASSERT_NO_FATAL_FAILURE(delivers());
      ASSERT_NO_FATAL_FAILURE(playTone());
    }
    if (road.when == Disturbed::kAfterATone) {
      ASSERT_NO_FATAL_FAILURE(disturb());
    }
    // The player reads its clock for Stop somewhere between these two.
    const int64_t stopAskedMs = (SteadyNowUs() - takeStartUs) / 1000;
    form->Action("FileStop")->trigger();
    const int64_t stoppedMs = (SteadyNowUs() - takeStartUs) / 1000;
    const int64_t lengthMs = int64_t{unitWave.GetValues()} * 1000 / kRate;
    EXPECT_GE(lengthMs, stopAskedMs - 200);
    EXPECT_LE(lengthMs, stoppedMs + 200);
  }
  ASSERT_EQ(unitWave.GetChannels(), road.channels);
  if (!silentInput) {
    // Each tone begins where it sounded, however the server delivered it.
    const std::vector<int64_t> starts = ToneStartsMs(*unitWave.GetSound()->GetLeftWave(), kRate);
    EXPECT_EQ(starts.size(), sounded.size());
    for (size_t i = 0; i < std::min(starts.size(), sounded.size()); ++i) {
      EXPECT_NEAR(starts[i], sounded[i], 100) << "tone " << i;
    }
  }
  EXPECT_TRUE(sink.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Roads, TakeTest,
    testing::Values(
        TakeRoad{"SilentInputMono", 1, ServerDisturbance::kSilentInputUntilReleased,
                 Disturbed::kBeforeRecord},
        TakeRoad{"SilentInputStereo", 2, ServerDisturbance::kSilentInputUntilReleased,
                 Disturbed::kBeforeRecord},
        TakeRoad{"RecordHeldByAHungServer", 1, kHungAWhile, Disturbed::kBeforeRecord},
        TakeRoad{"ServerHangsAsTheTakeStarts", 2, kGoesOnAWhileAfterRelease,
                 Disturbed::kAsRecordStarts},
        TakeRoad{"StopWhileTheServerHangs", 2, kHungAWhileUntilReleased, Disturbed::kAfterATone},
        TakeRoad{"InputDropsOutBetweenTwoTones", 1, kSilentInputAWhile, Disturbed::kBetweenTones},
        TakeRoad{"InputDropsOutBrieflyBetweenTwoTones", 1, kSilentInputABriefWhile,
                 Disturbed::kBetweenTones},
        TakeRoad{"ServerHangsTwiceBetweenThreeTones", 1, kHungThreeSeconds, Disturbed::kBetweenTones,
                 2},
        TakeRoad{"ServerHangsTwelveSecondsBetweenTwoTones", 1, kHungTwelveSeconds, Disturbed::kBetweenTones},
        TakeRoad{"FreshServerAnswersLate", 2, kSilentInputABriefWhile, Disturbed::kBetweenTones, 1,
                 true, Heard::kTicks},
        TakeRoad{"RecordPressedWhileAFreshServerHangs", 1, kHungWhileRecordIsPressed,
                 Disturbed::kBeforeRecord, 1, true, Heard::kTicks}),
    [](const testing::TestParamInfo<TakeRoad>& info) { return info.param.name; });

// The program is held (its thread keeps the audio library's lock) longer than the server can keep
// what the input captures: the server drops what no longer fits, and once the program runs again
// delivers what it kept all at once. Only the server's word on where its stream stood tells the
// sound it kept from the time it dropped.
TEST_F(PlaybackAudioTest, ATakeHeldLongerThanTheServerKeepsHasWhatItKeptWhereItWasCapturedAndTheDropAfter) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer()) GTEST_SKIP() << "holds the server's buffer full: test server only";
  // At this rate what the server keeps for the take (its 4 MiB buffer, and about as much on the way
  // to the program) lasts about 5 s of the 9 s the program is held.
  constexpr int32_t kRate = 384000;
  constexpr int kHeldMs = 9000;
  // Into the play: the first tone sounds early in the hold, the second after it.
  constexpr int kFirstToneMs = 1500;
  constexpr int kSecondToneMs = kFirstToneMs + kHeldMs + 1000;
  ScratchFile file("held-take.wav");
  ASSERT_TRUE(WriteSine(file.name, 2, kRate, 2, 440, 0));
  WavePlayer player;
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  ASSERT_TRUE(player.StartRecording()) << player.Error();
  ASSERT_TRUE(QTest::qWaitFor([&] { return player.Recording()->GetValues() > kRate / 4; }, 10000))
      << "the input never delivers";
  // A quiet sine all along, loud at the tones: what the server dropped is the only silence in it.
  const SoundPtr sine = SineSound(1, kHeardRate, 2, 440, (kSecondToneMs + 1000) / 1000.0);
  std::vector<int16_t> heard(sine->GetLeftWave()->wave, sine->GetLeftWave()->wave + sine->GetValues());
  for (size_t i = 0; i < heard.size(); ++i) {
    const auto ms = static_cast<int>(i * 1000 / kHeardRate);
    const bool loud = (ms >= kFirstToneMs && ms < kFirstToneMs + 500) || ms >= kSecondToneMs;
    if (!loud) heard[i] = static_cast<int16_t>(heard[i] / 8);
  }
  // The holds are measured by what the output sounded, through its monitor: a client of its own,
  // which the holds of this process do not touch.
  constexpr int32_t kMonitorRate = 22050;
  OutputMonitor monitor("held-take.raw", kMonitorRate);
  ASSERT_TRUE(monitor.Hears()) << "the monitor hears nothing";
  const TimedPlay play(heard, kHeardRate);
  ASSERT_TRUE(play.Started()) << play.Error();
  // The hold begins once the output plays it, before the first tone.
  ASSERT_TRUE(QTest::qWaitFor([&] { return play.FirstFrameUs().has_value(); }, 10000));
  // Where the monitor heard the first tone begin, and so the play's place in what it heard.
  int64_t firstLoud = -1;
  const auto heardTo = [&](int playMs) {
    if (firstLoud < 0) {
      const std::vector<int16_t> samples = monitor.Heard();
      const auto loud = std::find_if(samples.begin(), samples.end(), [](int16_t v) { return std::abs(v) > 8000; });
      if (loud == samples.end()) return false;
      firstLoud = loud - samples.begin();
    }
    return monitor.Count() >= firstLoud + static_cast<int64_t>(playMs - kFirstToneMs) * kMonitorRate / 1000;
  };
  {
    // The hold is the fault itself: the program keeps the library's lock while the output plays
    // kHeldMs of the sound.
    const AudioServer::Lock hold(AudioServer::Instance());
    ASSERT_TRUE(HoldThreadUntil([&] { return heardTo(kHeldMs); }, kHeldMs + 20000)) << "the output fell silent";
  }
  // The window's thread is still busy a moment once the program goes on, as after any hold (a
  // second of the output): what the server sends meanwhile must not wait for it.
  ASSERT_TRUE(HoldThreadUntil([&] { return heardTo(kHeldMs + 1000); }, 20000)) << "the output fell silent";
  ASSERT_TRUE(play.WaitPlayedOut(15000)) << "the tones never ended";
  player.Stop();
  const int64_t firstMs = (*play.FirstFrameUs() - player.TakeStartUs()) / 1000;
  const SoundPtr take = player.Recording();
  ASSERT_TRUE(take);
  const Wave& left = *take->GetLeftWave();
  const std::vector<int64_t> starts = ToneStartsMs(left, kRate);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_NEAR(starts[0], firstMs + kFirstToneMs, 100) << "the kept tone is away from where it sounded";
  // What the server kept comes at once, more than the library's own queue for the take holds (4
  // MiB): taken as it comes, none of it is lost, and the sound after it stays in place too.
  EXPECT_NEAR(starts[1], firstMs + kSecondToneMs, 100) << "the tone after the hold is away from where it sounded";
  // The longest silence between the tones: the time the server dropped.
  int64_t longest = 0;
  for (int64_t i = starts[0] * kRate / 1000, run = 0; i < starts[1] * kRate / 1000; ++i) {
    run = left.wave[i] == 0 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  EXPECT_GE(longest * 1000 / kRate, 1000) << "the server kept everything: the hold tests nothing";
}

namespace {

// One channel (0 left, 1 right) of stereo 16-bit frames.
std::vector<int16_t> ChannelOf(const QByteArray& frames, int channel) {
  std::vector<int16_t> samples(static_cast<size_t>(frames.size() / 4));
  for (size_t i = 0; i < samples.size(); ++i) {
    std::memcpy(&samples[i], frames.constData() + i * 4 + channel * 2, 2);
  }
  return samples;
}

int PeakOf(const std::vector<int16_t>& samples) {
  int peak = 0;
  for (const int16_t sample : samples) peak = std::max(peak, std::abs(int{sample}));
  return peak;
}

// Steps from one sample to the next larger than the sine of these tests takes (about 2000 at
// 22050 Hz): samples in the wrong byte order, or scrambled, take them all the time.
int64_t RoughSteps(const std::vector<int16_t>& samples) {
  int64_t rough = 0;
  for (size_t i = 1; i < samples.size(); ++i) rough += std::abs(samples[i] - samples[i - 1]) > 4000;
  return rough;
}

}  // namespace

TEST_F(PlaybackAudioTest, ALeftOnlySineStaysALeftOnlySineWhenPlayedAndWhenRecorded) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer()) GTEST_SKIP() << "records the output: test server only";
  constexpr int32_t kRate = 22050;
  SoundPtr leftOnly = SineSound(2, kRate, 2, 440, 0.6);
  std::fill_n(leftOnly->GetRightWave()->wave, leftOnly->GetValues(), int16_t{0});

  // Played: an independent client hears the output.
  QProcess monitor;
  monitor.start("parec", {"-d", "@DEFAULT_MONITOR@", "--format=s16ne", "--channels=2",
                          "--rate=" + QString::number(kRate), "--latency-msec=20"});
  ASSERT_TRUE(monitor.waitForStarted());
  QByteArray heard;
  ASSERT_TRUE(QTest::qWaitFor([&] { return !(heard += monitor.readAllStandardOutput()).isEmpty(); }, 10000));
  ASSERT_TRUE(form->PlayWholeSound(*leftOnly));
  ASSERT_TRUE(QTest::qWaitFor([this] { return !form->Action("FilePlay")->isChecked(); }, 15000));
  monitor.terminate();
  monitor.waitForFinished(5000);
  heard += monitor.readAllStandardOutput();
  const std::vector<int16_t> heardLeft = ChannelOf(heard, 0);
  EXPECT_GT(PeakOf(heardLeft), 8000);
  EXPECT_LT(PeakOf(ChannelOf(heard, 1)), 800);
  EXPECT_LT(RoughSteps(heardLeft), 5) << "what sounded is not the sine";

  // Recorded: an independent client plays it.
  TUnitWave unitWave("", waveFileProps(2, kRate, 2));
  Activate(unitWave);
  ASSERT_NO_FATAL_FAILURE(StartRecord());
  ScratchFile file("left-only.wav");
  bool abort = false;
  ASSERT_TRUE(WriteWaveFile(abort, file.name, *leftOnly, 0, leftOnly->GetValues(), true));
  QProcess play;
  play.start("paplay", {QString::fromStdString(file.name)});
  ASSERT_TRUE(play.waitForFinished(15000) && play.exitCode() == 0) << play.readAllStandardError().toStdString();
  form->Action("FileStop")->trigger();
  ASSERT_EQ(unitWave.GetChannels(), 2);
  const Wave* takeLeft = unitWave.GetSound()->GetLeftWave();
  EXPECT_GT(PeakOfWave(takeLeft), 8000);
  EXPECT_LT(PeakOfWave(unitWave.GetSound()->GetRightWave()), 800);
  EXPECT_LT(RoughSteps({takeLeft->wave, takeLeft->wave + takeLeft->values}), 5)
      << "what was recorded is not the sine";
  EXPECT_TRUE(sink.messages.empty());
}
