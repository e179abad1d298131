#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "fakes/fake_main_window.h"
#include "fakes/recording_view.h"
#include "sound_helpers.h"
#include "wave/unitwave.h"

namespace {

int64_t Sum(const Samples16& s) { return std::accumulate(s.begin(), s.end(), int64_t{0}); }
Samples16 Left(const TUnitWave& doc) { return Samples(doc.GetSound()->GetLeftWave()); }
Samples16 Right(const TUnitWave& doc) { return Samples(doc.GetSound()->GetRightWave()); }

// Every property unchanged and the time placed linearly.
TRandomEchoProps Record(int32_t count, double timeDiff, int32_t seed = 0) {
  TRandomEchoProps props;
  props.Count.SetValue(count);
  props.TimeDiff.SetValue(timeDiff);
  props.RandomSeed.SetValue(seed);
  return props;
}

const Samples16 kShort = Ramp(10, 1000);

}  // namespace

TEST(RndEcho, TheSameSeedAndRecordGiveTheSameSoundAndAnotherSeedAnother) {
  FakeMainWindow main;
  TUnitWave envelope("env.wav", MonoOf(Ramp(400, -32000, 160)));
  main.documents["env"] = &envelope;
  TRandomEchoProps props = Record(6, 0.02);
  const unitUnitWave env("env");
  props.VolumeKind = props.BalKind = 2;
  props.LengthKind = props.TempoKind = props.PitchKind = props.TimeKind = 1;
  props.VolumeEnvelope = props.LengthEnvelope = props.TempoEnvelope = props.PitchEnvelope = props.TimeEnvelope =
      props.BalEnvelope = env;
  const auto echo = [&](int32_t seed) {
    TUnitWave doc("a.wav", MonoOf(Ramp(3000, -1500)));
    props.RandomSeed.SetValue(seed);
    doc.RndEcho(props);
    EXPECT_EQ(doc.GetProps().RandomEcho.RandomSeed.GetValue(), seed);
    return std::vector<Samples16>{Left(doc), Right(doc)};
  };
  const auto first = echo(17);
  EXPECT_NE(Sum(first[0]), 0);
  EXPECT_EQ(echo(17), first);
  EXPECT_NE(echo(18), first);
}

TEST(RndEcho, ACountOfZeroLeavesSilenceOfTheEchoLength) {
  FakeMainWindow main;
  // Values: trunc(1000 + 2205 + 1 + 22050 / 3400) + 2, or trunc(2205 + 1) + 2 for a loop.
  struct Case { bool cyclable; uint8_t balance; int32_t values; };
  for (const Case& c : {Case{false, 0, 3214}, Case{true, 0, 2208}, Case{false, 2, 3214}}) {
    TUnitWave doc("a.wav", MonoOf(Samples16(1000, 77)));
    TRandomEchoProps props = Record(0, 0.1);
    props.Cyclable = c.cyclable;
    props.BalKind = c.balance;
    doc.RndEcho(props);
    // A balance makes a mono document stereo.
    EXPECT_EQ(std::tuple(doc.GetValues(), doc.GetChannels(), Sum(Left(doc))),
              std::tuple(c.values, c.balance == 0 ? 1 : 2, 0));
  }
}

TEST(RndEcho, UnchangedCopiesLandWholeWithinTheTimeDifferenceAndTheCursorGoesToTheStart) {
  FakeMainWindow main;
  RecordingView view;
  TUnitWave doc("a.wav", MonoOf(kShort));
  doc.SetView(&view);
  doc.SetSelRange(3, 8);
  doc.RndEcho(Record(1, 0.01, 5));  // the latest start is trunc(220.5)
  Samples16 expected(static_cast<size_t>(doc.GetValues()), 0);
  std::copy(kShort.begin(), kShort.end(), expected.begin() + static_cast<int32_t>(ThrownDice(5).Value(0, 220, 0)));
  EXPECT_EQ(Left(doc), expected);
  EXPECT_EQ(std::pair(doc.GetSelCursor() + doc.GetSelAnchor(), view.calls.back()), std::pair(0, std::string("Redraw")));

  // In a loop even copies longer than it wrap round and keep every sample.
  TUnitWave loop("c.wav", MonoOf(Samples16(30000, 1)));
  TRandomEchoProps cyclable = Record(3, 1.0, 6);
  cyclable.Cyclable = true;
  loop.RndEcho(cyclable);
  EXPECT_EQ(std::pair(loop.GetValues(), Sum(Left(loop))), std::pair(22053, int64_t{3 * 30000}));
}

TEST(RndEcho, PropertiesOnOneDieShareTheirFraction) {
  FakeMainWindow main;
  for (const int32_t timeDie : {3, 4}) {
    TUnitWave doc("a.wav", MonoOf(Samples16(50, 10000), 20000));
    TRandomEchoProps props = Record(1, 1.0, 8);  // the latest start is 20000
    props.VolumeKind = 1;
    props.VolumeSource = 3;
    props.TimeSource = timeDie;
    doc.RndEcho(props);
    const Samples16 samples = Left(doc);
    const auto sound = std::find_if(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
    ASSERT_NE(sound, samples.end());
    const Dicer dice = ThrownDice(8);
    EXPECT_EQ(sound - samples.begin(), static_cast<int32_t>(dice.Value(timeDie, 20000, 0)));
    EXPECT_NEAR(*sound, 10000 * dice.Value(3, 1.0, 0.0), 1.0);
    EXPECT_EQ(std::abs((sound - samples.begin()) / 20000.0 - *sound / 10000.0) < 0.001, timeDie == 3);
  }
}

TEST(RndEcho, OverreachingDiceEarlyStartsStereoBalancesAndVanishingCopiesAreTamed) {
  FakeMainWindow main;
  // A die beyond 1 reads the envelope's last sample: full volume.
  const OvershootingDie over = FindOvershootingDie();
  TUnitWave loud("loud.wav", MonoOf({0, 0, 32767}));
  main.documents["loud"] = &loud;
  TUnitWave doc("a.wav", MonoOf(kShort));
  TRandomEchoProps props = Record(1, 0.01, over.seed);
  props.VolumeKind = 2;
  props.VolumeEnvelope = unitUnitWave("loud");
  props.VolumeSource = over.die;
  doc.RndEcho(props);
  EXPECT_EQ(Sum(Left(doc)), Sum(kShort));

  // Below one sample of time difference the balance's room (51 samples at 176128 per second)
  // would start the copy before the echo: it starts at the first sample instead.
  ASSERT_LE(ThrownDice(4).Value(0, -51, 0), -1.0);
  TUnitWave tiny("t.wav", MonoOf(kShort, 176128));
  TRandomEchoProps early = Record(1, 0.000001, 4);
  early.BalKind = 1;
  early.BalVolume = 0;
  early.BalTimeDiff = false;
  tiny.RndEcho(early);
  const Samples16 first = Left(tiny);
  EXPECT_EQ(Samples16(first.begin(), first.begin() + 10), kShort);

  // A stereo copy is mixed down before the balance: without differences both ears hear 1000.
  TUnitWave stereo("s.wav", std::make_unique<StereoSound>(MakeWave(Samples16(100, 2000)),
                                                          MakeWave(Samples16(100, 0)), 22050, 2));
  stereo.RndEcho(early);
  EXPECT_EQ(std::pair(Sum(Left(stereo)), Sum(Right(stereo))), std::pair(int64_t{100 * 1000}, int64_t{100 * 1000}));
  // A balance by filter dulls the far ear where one without a volume difference leaves both alike.
  TUnitWave plain("p.wav", MonoOf(Sawtooth(400, 1999))), dull("d.wav", MonoOf(Sawtooth(400, 1999)));
  plain.RndEcho(early);
  early.BalVolume = 2;
  dull.RndEcho(early);
  EXPECT_EQ(Left(plain), Right(plain));
  EXPECT_NE(Left(dull), Right(dull));

  // An envelope of silence reads as a factor of about 0: nothing is left of a short copy.
  TUnitWave flat("flat.wav", MonoOf(Samples16(4, 0)));
  main.documents["flat"] = &flat;
  for (const bool tempo : {false, true}) {
    TUnitWave shrunk("a.wav", MonoOf(Samples16(10, 3000)));
    TRandomEchoProps shrink = Record(5, 0.01, 2);
    shrink.BalKind = 1;
    (tempo ? shrink.TempoKind : shrink.LengthKind) = 1;
    (tempo ? shrink.TempoEnvelope : shrink.LengthEnvelope) = unitUnitWave("flat");
    shrunk.RndEcho(shrink);
    EXPECT_EQ(std::tuple(shrunk.GetAbort(), shrunk.GetValues(), Sum(Left(shrunk))),
              std::tuple(false, 10 + 220 + 1 + 6 + 2, int64_t{0})) << tempo;
  }
}
