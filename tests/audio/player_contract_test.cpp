// The application tests drive a fake player; this runs one scripted session against the fake and
// against the real player on the audio device, so the fake cannot drift from what the main window
// really sees: the result of each command, the mode after it and the notifications it brings, with
// the step whose command each answers.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "app/fakes/fake_player.h"
#include "audio/audio_support.h"
#include "gui/waveplayer.h"
#include "support/event_loop.h"

namespace {

struct Step {
  const char* command;
  bool notify;
};

// A notification, and the step of the script whose command it answers (-1: none of them).
using Notice = std::pair<TMPNotifyValues, int>;

struct Seen {
  bool ok;
  TMPModes mode;
  bool holdsRecording;  // Recording hands a sound over
  std::vector<Notice> notices;
  bool operator==(const Seen&) const = default;
};

// The session as the main window leads one, with the commands that fail on the way.
const Step kScript[] = {
    {"Play", true},  {"Open", true},   {"Play", true},           {"Pause", false}, {"Resume", true},
    {"Play", true},  {"Stop", false},  {"StartRecording", true}, {"Pause", true},  {"Resume", true},
    {"Stop", false}, {"Resume", true}, {"Close", true},
};

// A session on a troubled server: starts that find no device, and a paused play and a paused
// recording whose connection is cut, which must tell so although no command asked.
const Step kDisturbedScript[] = {
    {"Open", false},  {"NoDevices", false},      {"Play", true},   {"StartRecording", true},
    {"Play", false},  {"DevicesBack", false},    {"Play", true},   {"Pause", false},
    {"Cut", false},   {"StartRecording", true},  {"Pause", false}, {"Cut", false},
    {"Close", false},
};
// What each player does to meet these; they happen between commands.
const std::set<std::string> kDisturbances = {"NoDevices", "DevicesBack", "Cut"};
using Disturb = std::function<void(const std::string& disturbance)>;

bool Run(MediaPlayer& player, const std::string& command) {
  const std::vector<std::pair<std::string, std::function<bool()>>> commands = {
      {"Open", [&] { return player.Open(); }},
      {"Play", [&] { return player.Play(); }},
      {"Pause", [&] { return player.Pause(), true; }},
      {"Resume", [&] { return player.Resume(); }},
      {"Stop", [&] { return player.Stop(), true; }},
      {"StartRecording", [&] { return player.StartRecording(); }},
      {"Close", [&] { return player.Close(), true; }},
  };
  for (const auto& [name, run] : commands) {
    if (name == command) return run();
  }
  ADD_FAILURE() << "no command " << command;
  return false;
}

// `settle` hands over the notifications that are due, as the message loop does; it is told the
// step and the notifications the step has brought so far.
using Settle = std::function<void(size_t step, const std::vector<Notice>& notices)>;
std::vector<Seen> RunScript(MediaPlayer& player, const std::string& fileName,
                            const Settle& settle, std::span<const Step> script = kScript,
                            const Disturb& disturb = nullptr) {
  player.SetFileName(fileName);
  std::vector<uint64_t> commandOfStep;
  std::vector<Notice> notices;
  player.SetOnNotify([&](TMPNotifyValues value, uint64_t command) {
    const auto step = std::find(commandOfStep.begin(), commandOfStep.end(), command);
    notices.emplace_back(value, step == commandOfStep.end() ? -1 : int(step - commandOfStep.begin()));
  });
  std::vector<Seen> seen;
  for (const Step& step : script) {
    player.SetNotify(step.notify);
    const bool disturbance = kDisturbances.contains(step.command);
    const bool ok = disturbance ? (disturb(step.command), true) : Run(player, step.command);
    commandOfStep.push_back(disturbance ? 0 : player.LastCommand());
    settle(seen.size(), notices);
    seen.push_back({ok, player.Mode(), player.Recording() != nullptr, notices});
    notices.clear();
  }
  player.SetOnNotify(nullptr);
  return seen;
}

// The real player's notifications come as messages, some from the device's own thread: each
// step waits until as many have come as the fake gave, however long a busy machine takes, then
// lets what else is queued run, so that one too many shows as well.
Settle SettleAsMany(const std::vector<Seen>& actual) {
  return [&actual](size_t step, const std::vector<Notice>& notices) {
    const size_t due = step < actual.size() ? actual[step].notices.size() : 0;
    static_cast<void>(QTest::qWaitFor([&] { return notices.size() >= due; }, 10000));
    RunQueued();
  };
}

void ExpectSame(std::span<const Step> script, const std::vector<Seen>& actual,
                const std::vector<Seen>& expected) {
  ASSERT_EQ(actual.size(), script.size());
  ASSERT_EQ(expected.size(), script.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "step " << i << ": " << script[i].command);
    EXPECT_EQ(actual[i].ok, expected[i].ok);
    EXPECT_EQ(actual[i].mode, expected[i].mode);
    EXPECT_EQ(actual[i].holdsRecording, expected[i].holdsRecording);
    EXPECT_EQ(actual[i].notices, expected[i].notices);
  }
}

}  // namespace

TEST(PlayerContract, TheFakeAnswersAScriptedSessionAsTheRealPlayerDoes) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile file("contract.wav");
  // Long enough that nothing ends by itself while the script runs.
  ASSERT_TRUE(WriteSine(file.name, 2, 22050, 2, 440, 5.0));

  FakePlayer fake;
  fake.recording = SineSound(2, 22050, 2, 440, 0.0);  // what its device delivers: nothing
  const std::vector<Seen> actual =
      RunScript(fake, file.name, [&fake](size_t, const auto&) { fake.Deliver(); });
  WavePlayer real;
  const std::vector<Seen> expected = RunScript(real, file.name, SettleAsMany(actual));
  ExpectSame(kScript, actual, expected);
  // The script reaches every mode the main window acts on.
  const std::vector<TMPModes> modes = {mpNotReady, mpStopped, mpPlaying, mpPaused, mpPlaying, mpPlaying, mpStopped,
                                       mpRecording, mpPaused, mpRecording, mpStopped, mpStopped, mpNotReady};
  for (size_t i = 0; i < expected.size() && i < modes.size(); ++i) EXPECT_EQ(expected[i].mode, modes[i]) << i;
}

TEST(PlayerContract, TheFakeMeetsAMissingDeviceAndACutConnectionAsTheRealPlayerDoes) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  if (!ServerDisturbance::OnTestServer()) GTEST_SKIP() << "disturbs the audio server: test server only";
  ScratchFile file("contract-disturbed.wav");
  ASSERT_TRUE(WriteSine(file.name, 2, 22050, 2, 440, 5.0));

  FakePlayer fake;
  fake.recording = SineSound(2, 22050, 2, 440, 0.0);
  const std::vector<Seen> actual = RunScript(
      fake, file.name, [&fake](size_t, const auto&) { fake.Deliver(); }, kDisturbedScript,
      [&fake](const std::string& disturbance) {
        if (disturbance == "Cut") fake.FailDevice();
        fake.failStart = disturbance == "NoDevices";
      });
  WavePlayer real;
  std::optional<ServerDisturbance> noDevices;
  const std::vector<Seen> expected = RunScript(
      real, file.name, SettleAsMany(actual), kDisturbedScript, [&](const std::string& disturbance) {
        if (disturbance == "NoDevices") {
          noDevices.emplace(ServerDisturbance::kNoDevicesUntilReleased);
          EXPECT_TRUE(noDevices->Started() && noDevices->Away());
        } else if (disturbance == "DevicesBack") {
          noDevices->Release();
          EXPECT_TRUE(noDevices->Back());
          noDevices.reset();
        } else {
          const ServerDisturbance cut(ServerDisturbance::kCutClients);
          EXPECT_TRUE(cut.Started());
          // The cut is done once the player has seen it.
          EXPECT_TRUE(QTest::qWaitFor([&real] { return real.Mode() != mpPaused; }, 10000));
        }
      });
  ExpectSame(kDisturbedScript, actual, expected);
  // Both could share a fault: the rules themselves. A start without a device fails, stays stopped
  // and tells only when asked; a cut paused play or recording tells nvFailure unasked, as the
  // answer to the Pause that holds it, ends stopped and keeps the recording.
  const std::vector<Seen> rules = {
      {true, mpStopped, true, {}},                 {true, mpStopped, true, {}},
      {false, mpStopped, true, {{nvFailure, 2}}},  {false, mpStopped, true, {{nvFailure, 3}}},
      {false, mpStopped, true, {}},                {true, mpStopped, true, {}},
      {true, mpPlaying, true, {}},                 {true, mpPaused, true, {{nvAborted, 6}}},
      {true, mpStopped, true, {{nvFailure, 7}}},   {true, mpRecording, true, {}},
      {true, mpPaused, true, {{nvAborted, 9}}},    {true, mpStopped, true, {{nvFailure, 10}}},
      {true, mpNotReady, false, {}},
  };
  ExpectSame(kDisturbedScript, rules, expected);
}
