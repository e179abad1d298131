#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "sound_helpers.h"
#include "support/recording_sink.h"
#include "wave/sound.h"

namespace {

class SoundOps : public testing::TestWithParam<bool> {
 protected:
  bool stereo() const { return GetParam(); }
  SoundPtr Make(const Samples16& left, const Samples16& right, int32_t freq = 22050) const {
    return SoundOf(stereo(), left, right, freq);
  }
  bool abort = false;
};
INSTANTIATE_TEST_SUITE_P(MonoAndStereo, SoundOps, testing::Bool(), ChannelName);

}  // namespace

TEST_P(SoundOps, SecondsBecomeSampleCountsAtTheSoundsOwnRate) {
  auto sound = Make(Ramp(10, 1, 1), Ramp(10, -1, -1));
  struct Case { const char* what; SoundPtr (*run)(const Sound&, bool&, int32_t&, int32_t&); int32_t inserted; };
  const Case cases[] = {
      {"silence", [](const Sound& s, bool& a, int32_t& b, int32_t& e) { return s.Silence(a, 0.1, b, e); }, 2206},
      {"noise", [](const Sound& s, bool& a, int32_t& b, int32_t& e) { return s.Noise(a, 100, 0.1, b, e); }, 2205},
      {"block", [](const Sound& s, bool& a, int32_t& b, int32_t& e) {
         return s.BlockTriangle(a, 100, -100, 0.01, 0.5, 0.1, 0, false, b, e);
       }, 2205},
  };
  for (const Case& c : cases) {
    int32_t begin = 2, end = 5;
    SoundPtr result = c.run(*sound, abort, begin, end);
    ASSERT_NE(result, nullptr) << c.what;
    EXPECT_EQ(std::tuple(result->GetValues(), begin, end), std::tuple(7 + c.inserted, 2, 2 + c.inserted)) << c.what;
    EXPECT_EQ(FormatOf(*result), FormatOf(*sound));
  }
  // The block's second level is the one it starts with.
  int32_t begin = 0, end = 0;
  EXPECT_EQ(sound->BlockTriangle(abort, 100, -100, 0.01, 0.5, 0.1, 0, false, begin, end)->GetLeftWave()->wave[0],
            -100);
  EXPECT_EQ(sound->NewSilence(abort, 7.9)->GetValues(), 7);
  // Exponential between levels of one sign, straight where it would have to cross 0.
  auto lineOf = [&](int16_t a, int16_t b) {
    int32_t first = 0, last = 0;
    return Channels(*SoundOf(stereo(), {}, {}, 1)->Line(abort, a, b, 1, true, first, last)).back();
  };
  EXPECT_EQ(lineOf(1000, 4000), (Samples16{1000, 2000}));
  EXPECT_EQ(lineOf(16383, -16384), (Samples16{16383, -16384}));
  EXPECT_FALSE(abort);
}

TEST_P(SoundOps, CountsBeyondAChannelAreAFailedAllocation) {
  RecordingSink sink;
  auto sound = Make(Ramp(10, 1, 1), Ramp(10, -1, -1), 44100);
  int32_t begin = 0, end = 0;
  EXPECT_EQ(std::pair(sound->Silence(abort, 1e6, begin, end), abort), std::pair(SoundPtr(), true));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, msgtext::kNoMemory);
  abort = false;
  EXPECT_EQ(std::pair(sound->NewSilence(abort, 1e300), abort), std::pair(SoundPtr(), true));
  abort = false;
  EXPECT_EQ(std::pair(sound->TempoPitch(abort, 1, 0, 1, 1, 1e9, 0, begin, end), abort), std::pair(SoundPtr(), true));
}

TEST_P(SoundOps, AnAbortedOperationGivesNoSound) {
  RecordingSink sink;
  auto sound = Make(Ramp(1000, 0, 3), Ramp(1000, 0, -3));
  {
    // Room for one new channel only: a stereo sound fails on its right channel.
    ScopedSampleBudget budget(SampleBytesInUse() + 2000 + 100);
    EXPECT_EQ(sound->Volume(abort, 2, 0, -1) == nullptr, stereo());
    EXPECT_EQ(abort, stereo());
  }
  abort = true;  // raised earlier: nothing more is made
  int32_t begin = 0, end = 10;
  EXPECT_TRUE(sound->Reverse(abort, 0, -1) == nullptr && sound->ChangeLengthFactor(abort, 2, begin, end) == nullptr);
}


TEST_P(SoundOps, PastedSoundsAreTakenAtThisSoundsRate) {
  auto sound = Make({1, 2, 3, 4}, {5, 6, 7, 8}, 44100);
  auto clip = SoundOf(false, {100, 200}, {}, 11025);  // a quarter of the rate: four times as long
  for (const Samples16& channel : Channels(*sound->Replace(abort, clip.get(), 1, 3))) {
    ASSERT_EQ(channel.size(), 2u + 8u);
    EXPECT_EQ(At(channel, {1, 8}), (Samples16{100, 200}));
  }
  auto stereoClip = SoundOf(true, {100, -7}, {301, 0}, 44100);
  const std::vector<Samples16> pasted = Channels(*sound->Replace(abort, stereoClip.get(), 0, 4));
  // Mono takes the channels' average.
  EXPECT_EQ(pasted, (stereo() ? std::vector<Samples16>{{100, -7}, {301, 0}} : std::vector<Samples16>{{200, -3}}));
  // Resampling keeps the rate, so pitch and length change together; nothing stays nothing.
  SoundPtr doubled = sound->Resample(abort, 2);
  EXPECT_EQ(std::pair(doubled->GetValues(), doubled->Freq), std::pair(8, 44100));
  EXPECT_EQ(sound->NewEmpty()->Resample(abort, 3)->GetValues(), 0);
  // An empty clipboard of another rate pastes nothing.
  auto emptyClip = SoundOf(stereo(), {}, {}, 8000);
  EXPECT_EQ(Channels(*sound->Replace(abort, emptyClip.get(), 4, 4)), Channels(*sound));
  EXPECT_FALSE(abort);
}

TEST_P(SoundOps, MaximizeScalesThePeakOfAllChannelsToFullScale) {
  auto lowest = Make({-32768, 5}, {0, 0});
  EXPECT_EQ(Channels(*lowest->Maximize(abort, 0, -1))[0], (Samples16{-32767, 4}));
  // A stereo sound scales both channels by the louder one's peak.
  auto sound = Make({-16384, 16384, 100}, {16384, -32768, 100});
  EXPECT_EQ(Channels(*sound->Maximize(abort, 0, 2))[0],
            stereo() ? (Samples16{-16383, 16383, 100}) : (Samples16{-32767, 32767, 100}));
  auto silent = Make({0, 0, 5}, {0, 0, 5});
  EXPECT_EQ(Channels(*silent->Maximize(abort, 0, 2))[0], (Samples16{0, 0, 5}));
  auto full = Make({32767, -1001}, {1001, 11});
  EXPECT_EQ(Channels(*full->Maximize70(abort, 0, -1))[0], (Samples16{22936, -700}));
  full->Maximize70InPlace(abort, 0, -1);
  EXPECT_EQ(Channels(*full).back(), stereo() ? (Samples16{700, 7}) : (Samples16{22936, -700}));
  EXPECT_FALSE(abort);
}

TEST_P(SoundOps, EnvelopesAreReadPerChannelWithoutResampling) {
  auto sound = Make({1000, 1000, 1000}, {1000, 1000, 1000}, 44100);
  auto envelope = SoundOf(true, {32767, 32767}, {0, 0}, 8000);
  const std::vector<Samples16> shaped = Channels(*sound->VolumeEnv(abort, envelope.get(), 0, -1));
  // Mono reads the envelope's average, 16383.
  EXPECT_EQ(shaped, (stereo() ? std::vector<Samples16>{{1000, 1000, 1000}, {0, 0, 0}}
                              : std::vector<Samples16>{{499, 499, 499}}));
}

TEST_P(SoundOps, TempoPitchQualityOneAloneUsesTwoHeads) {
  Samples16 samples = Ramp(400, -8000, 41);
  auto sound = Make(samples, samples);
  auto run = [&](uint8_t quality) {
    int32_t begin = 0, end = -1;
    return Channels(*sound->TempoPitch(abort, 1, 0, 1, 1.5, 0.001, quality, begin, end));
  };
  EXPECT_EQ(run(2), run(0));
  EXPECT_NE(run(1), run(0));
  EXPECT_EQ(Channels(*sound->TempoPitchAll(abort, 1, 0, 1, 1.5, 0.001, 2)), run(0));
}

TEST_P(SoundOps, OddShiftsAndStartsStayInsideTheSound) {
  auto sound = Make({1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, 1);
  // One second at rate 1 is one sample; seven is two turns of five and two more.
  EXPECT_EQ(Channels(*sound->Rotate(abort, 7, 0, -1))[0], (Samples16{3, 4, 5, 1, 2}));
  EXPECT_EQ(Channels(*sound->Rotate(abort, -1, 1, 4))[0], (Samples16{1, 4, 2, 3, 5}));

  auto added = SoundOf(false, {10, 20}, {}, 1);
  sound->AddAtTime(abort, added.get(), 3.9, 0.5);
  EXPECT_EQ(Channels(*sound).back(), (Samples16{1, 2, 3, 9, 15}));
  sound->AddAt(abort, added.get(), 5, 1);     // past the end: nothing lands
  sound->OverlayAt(abort, added.get(), -1);  // before the start: nothing lands
  sound->MixCycleAfterThis(abort, added.get(), 9);  // 9 is 4 a turn on: wraps to the start
  EXPECT_EQ(Channels(*sound).back(), (Samples16{21, 2, 3, 9, 25}));
  EXPECT_FALSE(abort);
}

TEST_P(SoundOps, ResNotchRunsTheRoutineTheFlagsChoose) {
  Samples16 samples = Ramp(300, -9000, 61);
  auto sound = Make(samples, samples);
  auto envelope = SoundOf(stereo(), {-20000, 20000}, {-20000, 20000});
  const Wave::ResonatorRoutines& r = Wave::kResonatorFilters[1];
  const Wave& channel = *sound->GetLeftWave();
  const Wave& env = *envelope->GetLeftWave();
  const double per = 22050 * 0.002;
  const Samples16 expected[] = {
      Samples(channel.Notch(abort, per, 0.3, 0, -1).get()),
      Samples(channel.NotchFreqEnv(abort, &env, 0.3, 22050, 0, -1).get()),
      Samples(channel.NotchWidthEnv(abort, per, &env, 0, -1).get()),
      Samples(channel.NotchEnv(abort, &env, &env, 22050, 0, -1).get()),
  };
  for (int i = 0; i < 4; ++i) {
    const bool periodConstant = i == 0 || i == 2;
    const bool widthConstant = i < 2;
    // The envelope not asked for is never read: null stands in for it.
    SoundPtr result = sound->ResNotch(abort, periodConstant, widthConstant, 0.002, 0.3,
                                      periodConstant ? nullptr : envelope.get(),
                                      widthConstant ? nullptr : envelope.get(), r.constant, r.periodEnvelope,
                                      r.widthEnvelope, r.bothEnvelopes, 0, -1);
    for (const Samples16& c : Channels(*result)) EXPECT_EQ(c, expected[i]) << i;
  }
}

TEST_P(SoundOps, MultiFrequencyOscillatorsAreConvertedToSamples) {
  bool made = false;
  CreateSinusTable(made);
  auto sound = Make({}, {}, 1000);
  const double volumes[] = {1, 0.5};
  const double periods[] = {0.01, 0.004};
  const double factorTimes[] = {0.1, 1};
  const double factors[] = {0.5, 1};
  const double angles[] = {0, 0.25};
  int32_t begin = 0, end = 0;
  SoundPtr result =
      sound->MultiFreqSinus(abort, 0.05, 2, volumes, periods, factorTimes, factors, angles, begin, end);
  const double inSamples[] = {10, 4};
  const double perSample[] = {std::pow(0.5, 1 / 100.0), 1};
  int32_t b = 0, e = 0;
  WavePtr direct = NewWave()->MultiFreqSinus(abort, 50, 2, volumes, inSamples, angles, perSample, b, e);
  for (const Samples16& c : Channels(*result)) EXPECT_EQ(c, Samples(direct.get()));
  EXPECT_EQ(end, 50);
  DeleteSinusTable();
}


TEST(StereoSoundOps, MixLeftRightWeighsTheChannels) {
  bool abort = false;
  auto sound = SoundOf(true, {100, 7, -3}, {-100, 9, 5});
  auto* stereo = static_cast<StereoSound*>(sound.get());
  EXPECT_EQ(Channels(*stereo->MixLeftRight(abort, 0, 1, 1, 0, 0, -1)),
            (std::vector<Samples16>{{-100, 9, 5}, {100, 7, -3}}));
  EXPECT_EQ(Channels(*stereo->MixLeftRight(abort, 0.5, 0.5, 0.5, 0.5, 1, 3)),
            (std::vector<Samples16>{{100, 8, 1}, {-100, 8, 1}}));
  StereoSound empty(22050, 2);
  EXPECT_THROW(empty.MixLeftRight(abort, 1, 0, 0, 1, 0, -1), AssertionFailure);
}
