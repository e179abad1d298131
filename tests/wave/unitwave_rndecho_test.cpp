#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "fakes/fake_main_window.h"
#include "fakes/recording_view.h"
#include "foundation/global.h"
#include "overshooting_die.h"
#include "sound_helpers.h"
#include "support/recording_sink.h"
#include "wave/dicer.h"
#include "wave/unitwave.h"

namespace {

std::vector<int16_t> Constant(int32_t n, int16_t value) { return std::vector<int16_t>(static_cast<size_t>(n), value); }

std::vector<int16_t> Ramp(int32_t n, int16_t from, int16_t step = 1) {
  std::vector<int16_t> samples(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) samples[static_cast<size_t>(i)] = static_cast<int16_t>(from + i * step);
  return samples;
}

SoundPtr Mono(const std::vector<int16_t>& samples, int32_t rate) {
  return std::make_unique<MonoSound>(MakeWave(samples), rate, 2);
}

int64_t Sum(const Wave* channel) {
  const std::vector<int16_t> samples = Samples(channel);
  return std::accumulate(samples.begin(), samples.end(), int64_t{0});
}

// A record with every property unchanged and the time placed linearly.
TRandomEchoProps Record(int32_t count, double timeDiff, int32_t seed = 0) {
  TRandomEchoProps props;
  props.Count.SetValue(count);
  props.TimeDiff.SetValue(timeDiff);
  props.RandomSeed.SetValue(seed);
  return props;
}

// The dice of the first copy.
Dicer FirstThrow(int32_t seed) {
  Dicer dice(seed);
  dice.Throw();
  return dice;
}

}  // namespace

TEST(RndEcho, TheSameSeedAndRecordGiveTheSameSoundAndAnotherSeedAnother) {
  FakeMainWindow main;
  TUnitWave envelope("env.wav", Mono(Ramp(400, -32000, 160), 22050));
  main.documents["env"] = &envelope;
  TRandomEchoProps props = Record(6, 0.02, 17);
  props.VolumeKind = 2;
  props.VolumeEnvelope = unitUnitWave("env");
  props.LengthKind = 1;
  props.LengthEnvelope = unitUnitWave("env");
  props.TempoKind = 1;
  props.TempoEnvelope = unitUnitWave("env");
  props.PitchKind = 1;
  props.PitchEnvelope = unitUnitWave("env");
  props.BalKind = 1;
  props.TimeKind = 1;
  props.TimeEnvelope = unitUnitWave("env");

  const auto echo = [&](int32_t seed) {
    TUnitWave doc("a.wav", Mono(Ramp(3000, -1500), 22050));
    props.RandomSeed.SetValue(seed);
    doc.RndEcho(props);
    EXPECT_EQ(doc.GetProps().RandomEcho.RandomSeed.GetValue(), seed);
    return std::vector<std::vector<int16_t>>{Samples(doc.GetSound()->GetLeftWave()),
                                             Samples(doc.GetSound()->GetRightWave())};
  };
  const auto first = echo(17);
  EXPECT_EQ(echo(17), first);
  EXPECT_NE(echo(18), first);
  EXPECT_NE(Sum(MakeWave(first[0]).get()), 0);
}

TEST(RndEcho, ACountOfZeroLeavesSilenceOfTheEchoLength) {
  FakeMainWindow main;
  struct Case {
    bool cyclable;
    uint8_t balance;
    int32_t values;  // trunc(1000 + 2205 + 1 + 22050 / 3400) + 2, or trunc(2205 + 1) + 2 for a loop
    uint16_t channels;
  };
  for (const Case& c : {Case{false, 0, 3214, 1}, Case{true, 0, 2208, 1}, Case{false, 2, 3214, 2}}) {
    TUnitWave doc("a.wav", Mono(Constant(1000, 77), 22050));
    TRandomEchoProps props = Record(0, 0.1);
    props.Cyclable = c.cyclable;
    props.BalKind = c.balance;
    doc.RndEcho(props);
    EXPECT_EQ(doc.GetValues(), c.values) << c.cyclable;
    EXPECT_EQ(doc.GetSound()->MoSt, c.channels);
    EXPECT_EQ(Sum(doc.GetSound()->GetLeftWave()), 0);
  }
}

TEST(RndEcho, UnchangedCopiesLandWholeWithinTheTimeDifferenceAndTheCursorGoesToTheStart) {
  FakeMainWindow main;
  RecordingView view;
  const std::vector<int16_t> source = Ramp(10, 1000);
  TUnitWave doc("a.wav", Mono(source, 22050));
  doc.SetView(&view);
  doc.SetSelRange(3, 8);
  view.Clear();
  doc.RndEcho(Record(1, 0.01, 5));  // d = 220.5 samples

  const int32_t start = static_cast<int32_t>(FirstThrow(5).Value(0, 220, 0));
  std::vector<int16_t> expected(static_cast<size_t>(doc.GetValues()), 0);
  std::copy(source.begin(), source.end(), expected.begin() + start);
  EXPECT_EQ(Samples(doc.GetSound()->GetLeftWave()), expected);
  EXPECT_EQ(doc.GetSelCursor(), 0);
  EXPECT_EQ(doc.GetSelAnchor(), 0);
  ASSERT_FALSE(view.calls.empty());
  EXPECT_EQ(view.calls.back(), "Redraw");

  // Many copies add up; in a loop even copies longer than it wrap round and keep every sample.
  TUnitWave many("b.wav", Mono(source, 22050));
  many.RndEcho(Record(20, 0.01, 6));
  EXPECT_EQ(Sum(many.GetSound()->GetLeftWave()), 20 * Sum(MakeWave(source).get()));
  TUnitWave loop("c.wav", Mono(Constant(30000, 1), 22050));
  TRandomEchoProps cyclable = Record(3, 1.0, 6);
  cyclable.Cyclable = true;
  loop.RndEcho(cyclable);
  EXPECT_EQ(loop.GetValues(), 22053);
  EXPECT_EQ(Sum(loop.GetSound()->GetLeftWave()), 3 * 30000);
}

TEST(RndEcho, PropertiesOnOneDieShareTheirFraction) {
  FakeMainWindow main;
  for (const int32_t timeDie : {3, 4}) {
    TUnitWave doc("a.wav", Mono(Constant(50, 10000), 20000));
    TRandomEchoProps props = Record(1, 1.0, 8);  // the latest start is 20000
    props.VolumeKind = 1;
    props.VolumeSource = 3;
    props.TimeSource = timeDie;
    doc.RndEcho(props);

    const Dicer dice = FirstThrow(8);
    const std::vector<int16_t> samples = Samples(doc.GetSound()->GetLeftWave());
    const auto firstSound = std::find_if(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
    ASSERT_NE(firstSound, samples.end());
    EXPECT_EQ(firstSound - samples.begin(), static_cast<int32_t>(dice.Value(timeDie, 20000, 0)));
    EXPECT_NEAR(*firstSound, 10000 * dice.Value(3, 1.0, 0.0), 1.0);
    const bool shared = std::abs((firstSound - samples.begin()) / 20000.0 - *firstSound / 10000.0) < 0.001;
    EXPECT_EQ(shared, timeDie == 3);
  }
}

TEST(RndEcho, ABalanceMakesStereoAndAStereoCopyIsMixedDownBeforeItIsPlaced) {
  FakeMainWindow main;
  TUnitWave direction("dir.wav", Mono(Constant(5, 0), 22050));
  main.documents["dir"] = &direction;
  for (const uint8_t kind : {1, 2}) {
    TUnitWave doc("a.wav", Mono(Constant(100, 1000), 22050));
    TRandomEchoProps props = Record(4, 0.05);
    props.BalKind = kind;
    props.BalEnvelope = unitUnitWave("dir");
    doc.RndEcho(props);
    EXPECT_EQ(doc.GetSound()->MoSt, 2) << int{kind};
    EXPECT_EQ(doc.GetChannels(), 2);
  }

  // Without differences between the ears both hear the mono mix of 2000 and 0.
  TUnitWave stereo("s.wav", std::make_unique<StereoSound>(MakeWave(Constant(100, 2000)), MakeWave(Constant(100, 0)),
                                                          22050, 2));
  TRandomEchoProps props = Record(2, 0.05);
  props.BalKind = 1;
  props.BalVolume = 0;
  props.BalTimeDiff = false;
  stereo.RndEcho(props);
  EXPECT_EQ(Sum(stereo.GetSound()->GetLeftWave()), 2 * 100 * 1000);
  EXPECT_EQ(Sum(stereo.GetSound()->GetRightWave()), 2 * 100 * 1000);
}

TEST(RndEcho, DiceAndTimesOutsideTheirRangesStayInsideTheSound) {
  FakeMainWindow main;
  // A die beyond 1 reads the envelope's last sample: full volume.
  const OvershootingDie over = FindOvershootingDie();
  ASSERT_GE(over.seed, 0);
  TUnitWave loud("loud.wav", Mono({0, 0, 32767}, 22050));
  main.documents["loud"] = &loud;
  const std::vector<int16_t> source = Ramp(10, 500);
  TUnitWave doc("a.wav", Mono(source, 22050));
  TRandomEchoProps props = Record(1, 0.01, over.seed);
  props.VolumeKind = 2;
  props.VolumeEnvelope = unitUnitWave("loud");
  props.VolumeSource = over.die;
  doc.RndEcho(props);
  EXPECT_EQ(Sum(doc.GetSound()->GetLeftWave()), Sum(MakeWave(source).get()));

  // A time difference below one sample leaves the balance's room before the start: the copy
  // starts at the first sample instead of being lost.
  // At 176128 samples per second the room is 51 samples.
  ASSERT_LE(FirstThrow(4).Value(0, -51, 0), -1.0);
  TUnitWave tiny("t.wav", Mono(source, 176128));
  TRandomEchoProps early = Record(1, 0.000001, 4);
  early.BalKind = 1;
  early.BalVolume = 0;
  early.BalTimeDiff = false;
  tiny.RndEcho(early);
  const std::vector<int16_t> left = Samples(tiny.GetSound()->GetLeftWave());
  ASSERT_GE(left.size(), source.size());
  EXPECT_EQ(std::vector<int16_t>(left.begin(), left.begin() + 10), source);

  // A die number the dialog never offers reads the nearest die.
  TUnitWave odd("o.wav", Mono(source, 22050));
  TRandomEchoProps outside = Record(1, 0.01, 5);
  outside.TimeSource = 9;
  odd.RndEcho(outside);
  const std::vector<int16_t> placed = Samples(odd.GetSound()->GetLeftWave());
  const int32_t start = static_cast<int32_t>(FirstThrow(5).Value(Dicer::DICES - 1, 220, 0));
  EXPECT_EQ(std::vector<int16_t>(placed.begin() + start, placed.begin() + start + 10), source);
}

TEST(RndEcho, CopiesThatLoseAllTheirSamplesAreLeftOut) {
  FakeMainWindow main;
  // An envelope of silence reads as a factor of about 0: no sample is left of a short copy.
  TUnitWave flat("flat.wav", Mono(Constant(4, 0), 22050));
  main.documents["flat"] = &flat;
  for (const bool tempo : {false, true}) {
    TUnitWave doc("a.wav", Mono(Constant(10, 3000), 22050));
    TRandomEchoProps props = Record(5, 0.01, 2);
    props.BalKind = 1;
    (tempo ? props.TempoKind : props.LengthKind) = 1;
    (tempo ? props.TempoEnvelope : props.LengthEnvelope) = unitUnitWave("flat");
    doc.RndEcho(props);
    EXPECT_FALSE(doc.GetAbort());
    EXPECT_EQ(doc.GetValues(), 10 + 220 + 1 + 6 + 2);
    EXPECT_EQ(Sum(doc.GetSound()->GetLeftWave()), 0) << tempo;
  }
}

TEST(RndEcho, WithoutMemoryTheDocumentKeepsItsSound) {
  FakeMainWindow main;
  TUnitWave doc("a.wav", Mono(Constant(1000, 5), 22050));
  const Sound* before = doc.GetSound();
  RecordingSink sink;
  {
    const ScopedSampleBudget budget(SampleBytesInUse() + 100);
    doc.RndEcho(Record(3, 0.5));
  }
  EXPECT_TRUE(doc.GetAbort());
  EXPECT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(doc.GetSound(), before);
  EXPECT_EQ(Sum(doc.GetSound()->GetLeftWave()), 5000);
}
