#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fakes/sample_waves.h"
#include "foundation/global.h"
#include "music/noteplay.h"
#include "music/unitmuz.h"

namespace {
using Kind = std::function<void(TOnePlayer&, const unitUnitWave&)>;
const unitTimePosMore k440(1.0 / 440, kUnitHertz);
const Kind kSimple = [](TOnePlayer& p, const unitUnitWave& w) { p.SetSimpleSampler({w, k440}); };
const Kind kRollOut = [](TOnePlayer& p, const unitUnitWave& w) { p.SetRollOutSampler({w, k440}); };
const Kind kResonant = [](TOnePlayer& p, const unitUnitWave& w) { p.SetResonantSampler({w, {0.05, kUnitPercent}}); };
const Kind kRepeat = [](TOnePlayer& p, const unitUnitWave& w) { p.SetRepeatWaveForm({w}); };
const Kind kForm = [](TOnePlayer& p, const unitUnitWave& w) { p.SetRollOutWaveForm({w}); };

std::unique_ptr<TOnePlayer> Player(TCompoundPlayer* owner, const Kind& kind, const std::string& wave, double up = 0) {
  auto player = std::make_unique<TOnePlayer>(owner, unitVolumeFactor(0.5, kUnitPercent), unitFreq(up, kUnitHertz));
  kind(*player, unitUnitWave(wave));
  return player;
}

struct Request {
  bool abort = false, ok = true;
  std::string error;
  double volume = 0;
  template <class P>
  SoundPtr Sound(const P& p, double hertz, double length) {
    return p.GetSound(abort, 1 / hertz, length, 1, volume, ok, error);
  }
};
}  // namespace

TEST(NotePlayerSound, EachKindShapesItsSampleAndReachesItsOffsets) {
  SampleWaves waves;
  waves.Add("whole", 2205);                 // 0.1 s, nothing selected
  waves.Add("part", 2205, 8000, 441, 882);  // 0.02 s selected after a head of 0.02 s
  struct Case { Kind kind; const char* wave; double hertz, length; int32_t values; double start, end, volume; };
  for (const Case& c : {Case{kSimple, "whole", 220, 0.25, 4410, 0, 0.2, 0.5},  // an octave down doubles
                        Case{kRollOut, "part", 440, 0.25, 1764 + 13 * 441, 0.02, 0.32, 0.5},
                        Case{kRollOut, "part", 440, 0.005, 1764, 0.02, 0.06, 0.5},  // under half the selection
                        // The whole wave is the loop: under half of it nothing sounds; tuned an
                        // octave up it lasts half as long, so the same note plays it once.
                        Case{kRollOut, "whole", 440, 0.04, 0, 0, 0, 0.5},
                        Case{kRollOut, "whole", 880, 0.04, 1103, 0, 0.05, 0.5},
                        Case{kResonant, "part", 440, 0.25, 1764 + 13 * 441, 0.02, 0.32, 0.5},
                        Case{kRepeat, "whole", 440, 0.25, -1, 111 / 440.0, 0.35, 1},  // starts 111 periods early
                        Case{kForm, "whole", 440, 0.25, 5512, 0, 0.25, 0.5}}) {
    SCOPED_TRACE(testing::Message() << c.wave << " " << c.length);
    const auto player = Player(nullptr, c.kind, c.wave);
    Request r;
    const SoundPtr sound = r.Sound(*player, c.hertz, c.length);
    ASSERT_TRUE(r.ok && sound) << r.error;
    EXPECT_TRUE(c.values < 0 || std::abs(sound->GetValues() - c.values) <= 1) << sound->GetValues();
    EXPECT_EQ(r.volume, c.volume);
    EXPECT_NEAR(player->GetStartOffset(1 / c.hertz, c.length, 1, r.ok, r.error), c.start, 1e-9);
    EXPECT_NEAR(player->GetEndOffset(1 / c.hertz, c.length, 1, r.ok, r.error), c.end, 1e-9);
  }
}

TEST(NotePlayerSound, UnusableSampleWavesAndSilentShiftsPerKind) {
  SampleWaves waves;
  waves.Add("empty", 0);
  waves.Add("cursor", 100).SetCursor(40);  // no selection: the whole wave
  for (const Kind& kind : {kSimple, kRollOut, kResonant, kRepeat, kForm}) {
    for (const auto& [wave, text] : {std::pair<std::string, std::string>{"gone", "Cannot find window \"gone\"."},
                                     {"empty", "Sample wave \"empty\" is empty."}, {"cursor", ""}}) {
      Request r;
      EXPECT_EQ(r.Sound(*Player(nullptr, kind, wave), 440, 0.25) != nullptr, text.empty()) << wave;
      EXPECT_EQ(r.ok, text.empty()) << wave;
      EXPECT_EQ(r.error, text);
    }
    for (const double up : {10.0, -440.0, -500.0}) {  // a frequency shifted to 0 or below is silent, no error
      const auto player = Player(nullptr, kind, "cursor", up);
      EXPECT_NEAR(player->AdjustPeriod(1 / 440.0), up > 0 ? 1 / 450.0 : 0, 1e-15);
      Request r;
      EXPECT_EQ(r.Sound(*player, 440, 0.25) != nullptr, up > 0) << up;
      EXPECT_TRUE(r.ok && r.error.empty());
    }
  }
}

TEST(CompoundPlayerSound, PlayersMixAtTheirStartOffsetsAndAFailedMixLeaksNothing) {
  SampleWaves waves;
  waves.Add("early", 11025, 4000, 2205, 2300);  // starts 0.1 s before the note
  waves.Add("late", 11025, 12000, 6615, 6700);  // starts 0.3 s before the note
  TUnitMuz unit("mix.kvm");
  TCompoundPlayer compound(&unit);
  compound.InsertAfter(nullptr, Player(&compound, kRollOut, "late"));
  compound.InsertAfter(nullptr, Player(&compound, kRollOut, "early"));
  Request r;
  const SoundPtr mix = r.Sound(compound, 440, 0.001);
  ASSERT_TRUE(r.ok && mix) << r.error;
  EXPECT_EQ(mix->MoSt, 2);
  EXPECT_EQ(r.volume, 1.0);
  // Each marker at half volume: the late one at 0, the early one 0.2 s in.
  EXPECT_EQ(MarkersIn(mix->GetLeftWave(), 1000), (std::vector<int32_t>{0, 4410}));
  EXPECT_NEAR(mix->GetTime(), 0.3 + compound.GetEndOffset(1 / 440.0, 0.001, 1, r.ok, r.error), 2.0 / kSampleRate);
  const int64_t before = SampleBytesInUse();
  const ScopedSampleBudget budget(before + 4 * 13300);  // the mix's silence but not the players' sounds
  Request failing;
  EXPECT_EQ(failing.Sound(compound, 440, 0.001), nullptr);
  EXPECT_TRUE(failing.abort);
  EXPECT_EQ(SampleBytesInUse(), before);
  Request huge;  // more repeats than any buffer holds: a failed allocation, never a wrapped count
  EXPECT_EQ(huge.Sound(*Player(nullptr, kRepeat, "early"), 440, 1e12), nullptr);
  EXPECT_TRUE(huge.abort);
}
