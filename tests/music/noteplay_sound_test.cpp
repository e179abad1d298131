#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fakes/sample_waves.h"
#include "foundation/global.h"
#include "music/noteplay.h"
#include "music/unitmuz.h"

namespace {

using PlayerKind = std::function<void(TOnePlayer&)>;

std::unique_ptr<TOnePlayer> Player(TCompoundPlayer* owner, const PlayerKind& setup, double freqUp = 0) {
  auto player = std::make_unique<TOnePlayer>(owner, unitVolumeFactor(0.5, kUnitPercent), unitFreq(freqUp, kUnitHertz));
  setup(*player);
  return player;
}

// Each kind on the sample wave `name`; the samplers recorded at 440 Hz.
PlayerKind Simple(const std::string& name) {
  return [name](TOnePlayer& p) { p.SetSimpleSampler({unitUnitWave(name), unitTimePosMore(1.0 / 440, kUnitHertz)}); };
}
PlayerKind RollOut(const std::string& name) {
  return [name](TOnePlayer& p) { p.SetRollOutSampler({unitUnitWave(name), unitTimePosMore(1.0 / 440, kUnitHertz)}); };
}
PlayerKind Resonant(const std::string& name) {
  return [name](TOnePlayer& p) { p.SetResonantSampler({unitUnitWave(name), unitFactorPosMax1(0.05, kUnitPercent)}); };
}
PlayerKind Repeat(const std::string& name) {
  return [name](TOnePlayer& p) { p.SetRepeatWaveForm({unitUnitWave(name)}); };
}
PlayerKind Form(const std::string& name) {
  return [name](TOnePlayer& p) { p.SetRollOutWaveForm({unitUnitWave(name)}); };
}

}  // namespace

TEST(NotePlayerSound, EachKindShapesItsSampleAndReachesItsOffsets) {
  SampleWaves waves;
  waves.Add("whole", Marked(2205));            // 0.1 s, nothing selected
  waves.Add("part", Marked(2205), 441, 882);   // 0.02 s selected after 0.02 s of head
  struct Case {
    const char* name;
    PlayerKind setup;
    double frequency, length;
    int32_t values;  // -1: not checked
    double start, end, volume;
  };
  const Case cases[] = {
      {"simple an octave down doubles", Simple("whole"), 220, 0.25, 4410, 0, 0.2, 0.5},
      {"roll-out sampler repeats the selection 13 times", RollOut("part"), 440, 0.25, 1764 + 13 * 441, 0.02, 0.32, 0.5},
      {"roll-out sampler, note under half the selection", RollOut("part"), 440, 0.005, 1764, 0.02, 0.06, 0.5},
      {"resonant sampler", Resonant("part"), 440, 0.25, 1764 + 13 * 441, 0.02, 0.32, 0.5},
      {"repeat wave form starts 111 periods early", Repeat("whole"), 440, 0.25, -1, 111 / 440.0, 0.35, 1.0},
      {"roll-out wave form, 110 periods", Form("whole"), 440, 0.25, 5512, 0, 0.25, 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto player = Player(nullptr, c.setup);
    bool abort = false, ok = true;
    std::string error;
    double volume = 0;
    const SoundPtr sound = player->GetSound(abort, 1 / c.frequency, c.length, 1.0, volume, ok, error);
    ASSERT_TRUE(ok && sound) << error;
    if (c.values >= 0) {
      EXPECT_NEAR(sound->GetValues(), c.values, 1);
    }
    EXPECT_EQ(volume, c.volume);
    EXPECT_NEAR(player->GetStartOffset(1 / c.frequency, c.length, 1.0, ok, error), c.start, 1e-9);
    EXPECT_NEAR(player->GetEndOffset(1 / c.frequency, c.length, 1.0, ok, error), c.end, 1e-9);
    EXPECT_TRUE(ok);
  }
}

TEST(NotePlayerSound, FrequencyShiftDownToZeroOrBelowIsSilentWithoutError) {
  SampleWaves waves;
  waves.Add("whole", Marked(2205));
  for (const double freqUp : {10.0, -440.0, -500.0}) {
    SCOPED_TRACE(freqUp);
    const auto player = Player(nullptr, Simple("whole"), freqUp);
    const double expected = freqUp > 0 ? 1 / 450.0 : 0;
    EXPECT_NEAR(player->AdjustPeriod(1 / 440.0), expected, 1e-15);
    bool abort = false, ok = true;
    std::string error;
    double volume = 0;
    EXPECT_EQ(player->GetSound(abort, 1 / 440.0, 0.25, 1, volume, ok, error) != nullptr, freqUp > 0);
    EXPECT_TRUE(ok);
    EXPECT_EQ(error, "");
  }
}

TEST(NotePlayerSound, MissingOrEmptySampleWaveFailsEveryKindWithItsText) {
  SampleWaves waves;
  waves.Add("empty", {});
  waves.Add("cursor", Marked(100)).SetCursor(40);  // no selection: the whole wave is used
  for (const auto& kind : {Simple, RollOut, Resonant, Repeat, Form}) {
    for (const auto& [name, text] : {std::pair<std::string, std::string>{"gone", "Cannot find window \"gone\"."},
                                     {"empty", "Sample wave \"empty\" is empty."},
                                     {"cursor", ""}}) {
      SCOPED_TRACE(name);
      const auto player = Player(nullptr, kind(name));
      bool abort = false, ok = true;
      std::string error;
      double volume = 0;
      const SoundPtr sound = player->GetSound(abort, 1 / 440.0, 0.25, 1, volume, ok, error);
      EXPECT_EQ(ok, text.empty());
      EXPECT_EQ(sound != nullptr, text.empty());
      EXPECT_EQ(error, text);
    }
  }
}

TEST(CompoundPlayerSound, PlayersAreMixedAtTheirStartOffsetsIntoOneStereoSound) {
  SampleWaves waves;
  waves.Add("early", Marked(11025, 4000), 2205, 2300);  // starts 0.1 s before the note
  waves.Add("late", Marked(11025, 12000), 6615, 6700);  // starts 0.3 s before the note
  TUnitMuz unit("mix.kvm");
  TCompoundPlayer compound(&unit);
  compound.InsertAfter(nullptr, Player(&compound, RollOut("late")));
  compound.InsertAfter(nullptr, Player(&compound, RollOut("early")));
  bool abort = false, ok = true;
  std::string error;
  double volume = 0;
  const SoundPtr mix = compound.GetSound(abort, 1 / 440.0, 0.001, 1, volume, ok, error);
  ASSERT_TRUE(ok && mix) << error;
  EXPECT_EQ(mix->MoSt, 2);
  EXPECT_EQ(volume, 1.0);
  EXPECT_NEAR(compound.GetStartOffset(1 / 440.0, 0.001, 1, ok, error), 0.3, 1e-9);
  // Each marker at half the player's volume: the late one at 0, the early one 0.2 s in.
  const std::vector<int32_t> markers = MarkersIn(mix->GetLeftWave(), 2000);
  ASSERT_EQ(markers.size(), 2u);
  EXPECT_EQ(markers[0], 0);
  EXPECT_NEAR(markers[1], 4410, 1);
  EXPECT_NEAR(mix->GetTime(), 0.3 + compound.GetEndOffset(1 / 440.0, 0.001, 1, ok, error), 2.0 / kSampleRate);
}

TEST(CompoundPlayerSound, FailedAllocationsAndImpossibleCountsGiveNullAndLeakNothing) {
  SampleWaves waves;
  waves.Add("whole", Marked(2205));
  TUnitMuz unit("mix.kvm");
  TCompoundPlayer compound(&unit);
  compound.InsertAfter(nullptr, Player(&compound, Simple("whole")));
  compound.InsertAfter(nullptr, Player(&compound, RollOut("whole")));
  const int64_t before = SampleBytesInUse();
  // Room for the mix's silence but not for the players' sounds; then room for nothing.
  for (const int64_t room : {int64_t{4 * 2300}, int64_t{0}}) {
    SCOPED_TRACE(room);
    const ScopedSampleBudget budget(before + room);
    bool abort = false, ok = true;
    std::string error;
    double volume = 0;
    EXPECT_EQ(compound.GetSound(abort, 1 / 440.0, 0.01, 1, volume, ok, error), nullptr);
    EXPECT_TRUE(abort);
    EXPECT_EQ(SampleBytesInUse(), before);
  }
  const auto repeat = Player(nullptr, Repeat("whole"));
  bool abort = false, ok = true;
  std::string error;
  double volume = 0;
  EXPECT_EQ(repeat->GetSound(abort, 1 / 440.0, 1e12, 1, volume, ok, error), nullptr);
  EXPECT_TRUE(abort);
}
