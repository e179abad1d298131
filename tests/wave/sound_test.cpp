#include "wave/sound.h"

#include <gtest/gtest.h>

#include <vector>

#include "fakes/recording_shell.h"
#include "foundation/assertion.h"
#include "foundation/global.h"
#include "support/recording_sink.h"

namespace {

WavePtr MakeWave(const std::vector<int16_t>& samples) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, static_cast<int64_t>(samples.size()));
  for (size_t i = 0; i < samples.size(); ++i) w->wave[i] = samples[i];
  return w;
}

std::vector<int16_t> Samples(const Wave* w) {
  if (w == nullptr) return {};
  return std::vector<int16_t>(w->wave, w->wave + w->values);
}

std::unique_ptr<MonoSound> Mono(const std::vector<int16_t>& samples, int32_t freq = 22050) {
  return std::make_unique<MonoSound>(MakeWave(samples), freq, 2);
}

std::unique_ptr<StereoSound> Stereo(const std::vector<int16_t>& left, const std::vector<int16_t>& right,
                                    int32_t freq = 22050) {
  return std::make_unique<StereoSound>(MakeWave(left), MakeWave(right), freq, 1);
}

}  // namespace

TEST(Sound, ConstructorsSetFormatChannelCountAndOwnTheirChannels) {
  MonoSound mono(11025, 1);
  EXPECT_EQ(mono.MoSt, 1);
  EXPECT_EQ(mono.Freq, 11025);
  EXPECT_EQ(mono.BytesPerSample, 1);
  EXPECT_FALSE(mono.ProtectWave);
  ASSERT_NE(mono.GetMiddle(), nullptr);
  EXPECT_EQ(mono.GetValues(), 0);

  StereoSound stereo(44100, 2);
  EXPECT_EQ(stereo.MoSt, 2);
  ASSERT_NE(stereo.GetLeft(), nullptr);
  ASSERT_NE(stereo.GetRight(), nullptr);
  EXPECT_NE(stereo.GetLeft(), stereo.GetRight());
  EXPECT_EQ(stereo.GetValues(), 0);

  auto sound = Mono({1, 2, 3, 4, 5, 6}, 4);
  EXPECT_DOUBLE_EQ(sound->GetTime(), 1.5);
  // A null channel from an aborted operation counts as no samples.
  MonoSound aborted(nullptr, 22050, 2);
  EXPECT_EQ(aborted.GetValues(), 0);
  StereoSound abortedStereo(nullptr, nullptr, 22050, 2);
  EXPECT_EQ(abortedStereo.GetValues(), 0);
  EXPECT_DOUBLE_EQ(MonoSound(nullptr, 0, 2).GetTime(), 0);  // no rate, no division
}

TEST(Sound, StereoAdoptionRefusesChannelsOfDifferentLengthsButNotNullOnes) {
  try {
    StereoSound bad(MakeWave({1, 2}), MakeWave({1}), 22050, 2);
    FAIL() << "unequal channels were adopted";
  } catch (const AssertionFailure& failure) {
    EXPECT_EQ(failure.expression, "waveLeft->getValues() == waveRight->getValues()");
    EXPECT_EQ(failure.unit, "sound");
  }
  StereoSound halfAborted(MakeWave({1, 2}), nullptr, 22050, 2);
  EXPECT_EQ(halfAborted.GetValues(), 2);
}

TEST(Sound, MonoCopyOfStereoAveragesTowardZeroAndKeepsTheFormat) {
  bool abort = false;
  auto stereo = Stereo({1, -1, 32767, -32768, 100}, {0, 0, 32767, -32768, 301}, 11025);
  MonoSound mono(abort, *stereo);
  EXPECT_FALSE(abort);
  EXPECT_EQ(mono.MoSt, 1);
  EXPECT_EQ(mono.Freq, 11025);
  EXPECT_EQ(mono.BytesPerSample, 1);
  EXPECT_EQ(Samples(mono.GetMiddle()), (std::vector<int16_t>{0, 0, 32767, -32768, 200}));

  auto source = Mono({5, -6, 7});
  MonoSound copy(abort, *source);
  EXPECT_NE(copy.GetMiddle(), source->GetMiddle());
  EXPECT_EQ(Samples(copy.GetMiddle()), (std::vector<int16_t>{5, -6, 7}));

  StereoSound emptyStereo(22050, 2);
  MonoSound emptyCopy(abort, emptyStereo);
  ASSERT_NE(emptyCopy.GetMiddle(), nullptr);
  EXPECT_EQ(emptyCopy.GetValues(), 0);
}

TEST(Sound, StereoCopyOfMonoHasTwoIndependentChannels) {
  bool abort = false;
  auto mono = Mono({3, -4, 5}, 8000);
  auto stereo = std::make_unique<StereoSound>(abort, *mono);
  mono.reset();  // the copy must not lean on the source
  EXPECT_EQ(stereo->Freq, 8000);
  EXPECT_NE(stereo->GetLeft(), stereo->GetRight());
  EXPECT_EQ(Samples(stereo->GetLeft()), (std::vector<int16_t>{3, -4, 5}));
  EXPECT_EQ(Samples(stereo->GetRight()), (std::vector<int16_t>{3, -4, 5}));

  auto source = Stereo({1, 2}, {3, 4});
  StereoSound copy(abort, *source);
  EXPECT_EQ(Samples(copy.GetLeft()), (std::vector<int16_t>{1, 2}));
  EXPECT_EQ(Samples(copy.GetRight()), (std::vector<int16_t>{3, 4}));
  EXPECT_NE(copy.GetLeft(), source->GetLeft());

  MonoSound emptyMono(22050, 2);
  StereoSound emptyCopy(abort, emptyMono);
  EXPECT_NE(emptyCopy.GetLeft(), nullptr);
  EXPECT_NE(emptyCopy.GetRight(), nullptr);
  EXPECT_EQ(emptyCopy.GetValues(), 0);
}

TEST(Sound, ChannelAccessReportsWhetherTheCallerOwnsTheResult) {
  bool abort = false;
  bool copied = true;
  auto mono = Mono({10, 20, 30, 40}, 22050);
  EXPECT_EQ(mono->GetMonoWave(abort, copied), mono->GetMiddle());
  EXPECT_FALSE(copied);
  EXPECT_EQ(mono->GetMonoWaveAt(abort, 22050, copied), mono->GetMiddle());
  EXPECT_FALSE(copied);
  EXPECT_EQ(mono->GetLeftWaveAt(abort, 22050, copied), mono->GetMiddle());
  EXPECT_FALSE(copied);
  EXPECT_EQ(mono->GetLeftWave(), mono->GetMiddle());
  EXPECT_EQ(mono->GetRightWave(), mono->GetMiddle());
  {
    ChannelHold doubled(mono->GetMonoWaveAt(abort, 44100, copied), copied);
    EXPECT_TRUE(copied);
    EXPECT_EQ(doubled.get()->values, 8);
    ChannelHold halved(mono->GetRightWaveAt(abort, 11025, copied), copied);
    EXPECT_TRUE(copied);
    EXPECT_EQ(Samples(halved.get()), (std::vector<int16_t>{10, 30}));
  }

  auto stereo = Stereo({10, 20}, {30, 40}, 22050);
  {
    ChannelHold own(stereo->GetMonoWaveAt(abort, 22050, copied), copied);
    EXPECT_TRUE(copied);
    EXPECT_EQ(Samples(own.get()), (std::vector<int16_t>{20, 30}));
    ChannelHold middle(stereo->GetMiddleWaveAt(abort, 44100, copied), copied);
    EXPECT_TRUE(copied);
    EXPECT_EQ(middle.get()->values, 4);
  }
  EXPECT_EQ(stereo->GetRightWaveAt(abort, 22050, copied), stereo->GetRight());
  EXPECT_FALSE(copied);

  // The copying accessors always hand over a wave of the caller's.
  for (int32_t rate : {0, 22050}) {
    WavePtr left = stereo->CopyWaveLeft(abort, rate);
    WavePtr right = stereo->CopyWaveRight(abort, rate);
    WavePtr middle = mono->CopyMonoWave(abort, rate);
    EXPECT_NE(left.get(), stereo->GetLeft());
    EXPECT_NE(middle.get(), mono->GetMiddle());
    EXPECT_EQ(Samples(left.get()), (std::vector<int16_t>{10, 20}));
    EXPECT_EQ(Samples(right.get()), (std::vector<int16_t>{30, 40}));
    EXPECT_EQ(Samples(middle.get()), (std::vector<int16_t>{10, 20, 30, 40}));
  }
  EXPECT_EQ(Samples(stereo->CopyMonoWave(abort, 0).get()), (std::vector<int16_t>{20, 30}));

  // An empty channel at another rate stays empty instead of reading a sample it does not have.
  MonoSound empty(22050, 2);
  WavePtr resampled = empty.CopyWaveLeft(abort, 44100);
  ASSERT_NE(resampled, nullptr);
  EXPECT_EQ(resampled->values, 0);
  EXPECT_FALSE(abort);

  StereoSound halfAborted(MakeWave({1}), nullptr, 22050, 2);
  EXPECT_EQ(halfAborted.GetMonoWave(abort, copied), nullptr);
}

TEST(Sound, GetValueAtInterpolatesAndMapsTheSampleRange) {
  bool abort = false;
  auto mono = Mono({32767, 0, -32768});
  EXPECT_DOUBLE_EQ(mono->GetValueAt(abort, 0, 10, -10), 10);
  EXPECT_DOUBLE_EQ(mono->GetValueAt(abort, 1, 10, -10), -10);
  EXPECT_DOUBLE_EQ(mono->GetValueAt(abort, 0.25, 32767, -32768), 16383.5);
  EXPECT_DOUBLE_EQ(mono->GetValueAt(abort, 0.5, 65535, 0), 32768);
  // Positions outside [0, 1] read the nearest end rather than outside the buffer.
  EXPECT_DOUBLE_EQ(mono->GetValueAt(abort, 7, 10, -10), -10);
  EXPECT_DOUBLE_EQ(mono->GetValueAt(abort, -3, 10, -10), 10);

  auto stereo = Stereo({100, 200}, {300, 600});
  EXPECT_DOUBLE_EQ(stereo->GetValueAt(abort, 0, 32767, -32768), 200);
  EXPECT_DOUBLE_EQ(stereo->GetValueAt(abort, 0.5, 32767, -32768), 300);

  MonoSound empty(22050, 2);
  EXPECT_DOUBLE_EQ(empty.GetValueAt(abort, 0.5, 32767, -32768), 0);
}

TEST(Sound, SetFreqResamplesToKeepTheDurationAndLeavesTheSourceAlone) {
  bool abort = false;
  auto mono = Mono({0, 100, 200, 300}, 22050);
  SoundPtr faster = mono->SetFreq(abort, 44100);
  EXPECT_EQ(faster->MoSt, 1);
  EXPECT_EQ(faster->Freq, 44100);
  EXPECT_EQ(faster->BytesPerSample, 2);
  EXPECT_EQ(Samples(faster->GetLeftWave()), (std::vector<int16_t>{0, 50, 100, 150, 200, 250, 300, 300}));
  EXPECT_DOUBLE_EQ(faster->GetTime(), mono->GetTime());
  EXPECT_EQ(mono->GetValues(), 4);

  // The rate is truncated, the resampling factor keeps its fraction.
  auto stereo = std::make_unique<StereoSound>(MakeWave(std::vector<int16_t>(10000, 7)),
                                              MakeWave(std::vector<int16_t>(10000, -7)), 11025, 1);
  SoundPtr odd = stereo->SetFreq(abort, 11026.5);
  EXPECT_EQ(odd->MoSt, 2);
  EXPECT_EQ(odd->Freq, 11026);
  EXPECT_EQ(odd->BytesPerSample, 1);
  EXPECT_EQ(odd->GetLeftWave()->values, 10001);
  EXPECT_EQ(odd->GetRightWave()->wave[10000], -7);

  StereoSound empty(22050, 2);
  SoundPtr emptyAtOtherRate = empty.SetFreq(abort, 8000);
  EXPECT_EQ(emptyAtOtherRate->GetValues(), 0);
  EXPECT_FALSE(abort);
}

TEST(Sound, AFailedAllocationRaisesTheFlagAndLeavesNoChannel) {
  RecordingSink sink;
  auto stereo = Stereo(std::vector<int16_t>(5000, 1), std::vector<int16_t>(5000, 2));
  ScopedSampleBudget budget(SampleBytesInUse());
  bool abort = false;
  MonoSound mono(abort, *stereo);
  EXPECT_TRUE(abort);
  EXPECT_EQ(mono.GetMiddle(), nullptr);
  EXPECT_EQ(sink.messages.size(), 1u);
}

TEST(Sound, BorrowedChannelsOutliveTheSound) {
  auto owner = Stereo({1, 2, 3}, {4, 5, 6});
  StereoSound::Borrow(owner->GetLeft(), owner->GetRight(), 22050, 2).reset();
  MonoSound::Borrow(owner->GetRight(), 22050, 2).reset();
  EXPECT_EQ(Samples(owner->GetLeft()), (std::vector<int16_t>{1, 2, 3}));
  EXPECT_EQ(Samples(owner->GetRight()), (std::vector<int16_t>{4, 5, 6}));

  WavePtr wave = MakeWave({9, 9});
  auto sound = std::make_unique<MonoSound>(WavePtr(wave.get()), 22050, 2);
  sound->Protect();
  EXPECT_TRUE(sound->ProtectWave);
  sound.reset();
  EXPECT_EQ(Samples(wave.get()), (std::vector<int16_t>{9, 9}));
}

TEST(Sound, PlayingHandsTheSoundItselfToTheMainWindow) {
  RecordingShell shell;
  auto sound = Mono({1, 2, 3});
  PlaySoundOnMainForm(*sound);
  ASSERT_EQ(shell.played.size(), 1u);
  EXPECT_EQ(shell.played[0], sound.get());
}
