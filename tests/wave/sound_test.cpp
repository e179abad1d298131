#include "wave/sound.h"

#include <gtest/gtest.h>

#include <vector>

#include "fakes/fake_main_window.h"
#include "foundation/assertion.h"
#include "foundation/global.h"
#include "sound_helpers.h"
#include "support/recording_sink.h"

namespace {

std::unique_ptr<MonoSound> Mono(const Samples16& samples, int32_t freq = 22050) {
  return std::make_unique<MonoSound>(MakeWave(samples), freq, 2);
}

std::unique_ptr<StereoSound> Stereo(const Samples16& left, const Samples16& right,
                                    int32_t freq = 22050) {
  return std::make_unique<StereoSound>(MakeWave(left), MakeWave(right), freq, 1);
}

}  // namespace

TEST(Sound, ConstructorsSetFormatAndNullChannelsCountAsEmpty) {
  StereoSound stereo(44100, 1);
  EXPECT_EQ(FormatOf(stereo), std::tuple(2, 44100, 1));
  EXPECT_FALSE(stereo.ProtectWave);  // a new sound frees its own channels
  EXPECT_TRUE(stereo.GetLeft() != nullptr && stereo.GetLeft() != stereo.GetRight());
  EXPECT_DOUBLE_EQ(Mono({1, 2, 3, 4, 5, 6}, 4)->GetTime(), 1.5);
  EXPECT_EQ(StereoSound(nullptr, nullptr, 22050, 2).GetValues(), 0);
  EXPECT_DOUBLE_EQ(MonoSound(nullptr, 0, 2).GetTime(), 0);  // no rate, no division

  EXPECT_THROW(StereoSound(MakeWave({1, 2}), MakeWave({1}), 22050, 2), AssertionFailure);  // unequal channels
}

TEST(Sound, CopiesConvertTheChannelCountAndKeepTheFormat) {
  bool abort = false;
  auto stereo = Stereo({1, -1, 32767, -32768, 100}, {0, 0, 32767, -32768, 301}, 11025);
  MonoSound mono(abort, *stereo);
  EXPECT_EQ(FormatOf(mono), std::tuple(1, 11025, 1));
  EXPECT_EQ(Samples(mono.GetMiddle()), (Samples16{0, 0, 32767, -32768, 200}));

  auto source = Mono({3, -4, 5}, 8000);
  auto both = std::make_unique<StereoSound>(abort, *source);
  MonoSound monoCopy(abort, *source);
  source.reset();  // the copies must not lean on the source
  EXPECT_TRUE(both->Freq == 8000 && both->GetLeft() != both->GetRight());
  EXPECT_EQ(Channels(*both), (std::vector<Samples16>{{3, -4, 5}, {3, -4, 5}}));
  EXPECT_EQ(Samples(monoCopy.GetMiddle()), (Samples16{3, -4, 5}));

  EXPECT_EQ(MonoSound(abort, StereoSound(22050, 2)).GetMiddle()->values, 0);
  EXPECT_EQ(Samples(MonoSound(abort, *Stereo({4}, {6})).GetMiddle()), Samples16{5});
  StereoSound fromEmpty(abort, MonoSound(22050, 2));
  EXPECT_EQ(fromEmpty.GetLeft()->values + fromEmpty.GetRight()->values, 0);
  EXPECT_FALSE(abort);
}

TEST(Sound, ChannelAccessReportsWhetherTheCallerOwnsTheResult) {
  bool abort = false;
  bool copied = true;
  auto mono = Mono({10, 20, 30, 40}, 22050);
  EXPECT_EQ(std::pair(mono->GetMonoWave(abort, copied), copied), std::pair(mono->GetMiddle(), false));
  {
    ChannelHold doubled(mono->GetMiddleWaveAt(abort, 44100, copied), copied);
    EXPECT_EQ(std::pair(copied, doubled.get()->values), std::pair(true, 8));
    ChannelHold halved(mono->GetRightWaveAt(abort, 11025, copied), copied);
    EXPECT_EQ(Samples(halved.get()), (Samples16{10, 30}));
  }

  auto stereo = Stereo({10, 20}, {30, 40}, 22050);
  {
    ChannelHold own(stereo->GetMonoWaveAt(abort, 22050, copied), copied);
    EXPECT_EQ(std::pair(copied, Samples(own.get())), std::pair(true, Samples16{20, 30}));
  }
  EXPECT_EQ(std::pair(stereo->GetLeftWaveAt(abort, 22050, copied), copied), std::pair(stereo->GetLeft(), false));

  // The copying accessors always hand over a wave of the caller's.
  for (int32_t rate : {0, 22050}) {
    WavePtr right = stereo->CopyWaveRight(abort, rate);
    WavePtr middle = mono->CopyMonoWave(abort, rate);
    EXPECT_NE(middle.get(), mono->GetMiddle());
    EXPECT_EQ(Samples(right.get()), (Samples16{30, 40}));
    EXPECT_EQ(Samples(middle.get()), (Samples16{10, 20, 30, 40}));
  }
  EXPECT_EQ(Samples(stereo->CopyMonoWave(abort, 0).get()), (Samples16{20, 30}));
  EXPECT_EQ(Mono({10, 20}, 1)->CopyMonoWave(abort, 2)->values, 4);  // even from one sample a second

  // An empty channel at another rate stays empty instead of reading a sample it does not have.
  EXPECT_EQ(MonoSound(22050, 2).CopyWaveLeft(abort, 44100)->values, 0);
  EXPECT_FALSE(abort);
  EXPECT_EQ(StereoSound(MakeWave({1}), nullptr, 22050, 2).GetMonoWave(abort, copied), nullptr);
}

TEST(Sound, GetValueAtInterpolatesAndMapsTheSampleRange) {
  bool abort = false;
  auto mono = Mono({32767, 0, -32768});
  auto stereo = Stereo({100, 200}, {300, 600});
  MonoSound empty(22050, 2);
  struct Case { const Sound* sound; double position, high, low, value; };
  // Positions outside [0, 1] read the nearest end rather than outside the buffer.
  for (const Case& c : {Case{mono.get(), 0.25, 32767, -32768, 16383.5}, Case{mono.get(), 0.5, 65535, 0, 32768},
                        Case{mono.get(), 7, 10, -10, -10}, Case{mono.get(), -3, 10, -10, 10},
                        Case{stereo.get(), 0, 32767, -32768, 200}, Case{stereo.get(), 0.5, 32767, -32768, 300},
                        Case{&empty, 0.5, 32767, -32768, 0}}) {
    EXPECT_DOUBLE_EQ(c.sound->GetValueAt(abort, c.position, c.high, c.low), c.value) << c.position;
  }
}

TEST(Sound, SetFreqResamplesToKeepTheDurationAndLeavesTheSourceAlone) {
  bool abort = false;
  auto mono = Mono({0, 100, 200, 300}, 22050);
  SoundPtr faster = mono->SetFreq(abort, 44100);
  EXPECT_EQ(FormatOf(*faster), std::tuple(1, 44100, 2));
  EXPECT_EQ(Samples(faster->GetLeftWave()), (Samples16{0, 50, 100, 150, 200, 250, 300, 300}));
  EXPECT_EQ(std::pair(faster->GetTime(), mono->GetValues()), std::pair(mono->GetTime(), 4));

  // The rate is truncated, the resampling factor keeps its fraction.
  SoundPtr odd = Stereo(Samples16(10000, 7), Samples16(10000, -7), 11025)->SetFreq(abort, 11026.5);
  EXPECT_EQ(std::tuple(FormatOf(*odd), odd->GetLeftWave()->values, odd->GetRightWave()->wave[10000]),
            std::tuple(std::tuple(2, 11026, 1), 10001, int16_t{-7}));
  EXPECT_EQ(StereoSound(22050, 2).SetFreq(abort, 8000)->GetValues(), 0);
  EXPECT_FALSE(abort);
}

TEST(Sound, BorrowedChannelsOutliveTheSound) {
  auto owner = Stereo({1, 2, 3}, {4, 5, 6});
  StereoSound::Borrow(owner->GetLeft(), owner->GetRight(), 22050, 2).reset();
  MonoSound::Borrow(owner->GetRight(), 22050, 2).reset();
  EXPECT_EQ(Channels(*owner), (std::vector<Samples16>{{1, 2, 3}, {4, 5, 6}}));

  WavePtr wave = MakeWave({9, 9});
  auto sound = std::make_unique<MonoSound>(WavePtr(wave.get()), 22050, 2);
  sound->Protect();
  sound.reset();
  EXPECT_EQ(Samples(wave.get()), (Samples16{9, 9}));
}
