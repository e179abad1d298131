// The player through the real audio path: a test audio server with a null output whose monitor
// is the default input (build.sh starts one), or the machine's own sound card.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <unistd.h>

#include "audio/audio_support.h"
#include "gui/waveplayer.h"
#include "wave/wavefile.h"

TEST(WavePlayerAudio, PlayOfAnUnusualFormatRunsToItsEndAndNotifiesOnce) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile file("play8bit.wav");
  // 8-bit mono at 11025 samples per second: converted on the way to the device.
  ASSERT_TRUE(WriteSine(file.name, 1, 11025, 1, 440, 0.4));
  WavePlayer player;
  NoticeLog log(player);
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  EXPECT_EQ(player.Mode(), mpStopped);
  player.SetNotify(true);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(player.Play()) << player.Error();
  EXPECT_EQ(player.Mode(), mpPlaying);
  ASSERT_TRUE(log.WaitForCount(1)) << "the play never ended";
  EXPECT_EQ(log.notices[0], nvSuccessful);
  // The notice means the sound went out, not that it was thrown away.
  EXPECT_GE(clock.elapsed(), 200);
  EXPECT_GE(player.PlayedFrames(), 0);
  EXPECT_EQ(player.Mode(), mpStopped);
  EXPECT_FALSE(log.WaitForCount(2, 300));
}

TEST(WavePlayerAudio, PauseEndsThePlaysNoticeAndResumeRunsToTheEnd) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile file("pause.wav");
  ASSERT_TRUE(WriteSine(file.name, 2, 44100, 2, 440, 0.5));
  WavePlayer player;
  NoticeLog log(player);
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  player.SetNotify(true);
  ASSERT_TRUE(player.Play());
  player.Pause();
  EXPECT_EQ(player.Mode(), mpPaused);
  ASSERT_TRUE(log.WaitForCount(1));
  EXPECT_EQ(log.notices[0], nvAborted);
  EXPECT_EQ(player.Mode(), mpPaused);
  player.SetNotify(true);
  ASSERT_TRUE(player.Play());
  EXPECT_EQ(player.Mode(), mpPlaying);
  ASSERT_TRUE(log.WaitForCount(2));
  EXPECT_EQ(log.notices[1], nvSuccessful);
  EXPECT_EQ(player.Mode(), mpStopped);
}

TEST(WavePlayerAudio, ARecordingOfWhatIsPlayedIsSavedInTheOpenFilesFormat) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile target("record.wav");
  ScratchFile tone("tone.wav");
  ASSERT_TRUE(WriteSine(target.name, 2, 22050, 1, 440, 0.0));
  ASSERT_TRUE(WriteSine(tone.name, 1, 44100, 2, 440, 0.6));

  WavePlayer recorder;
  recorder.SetFileName(target.name);
  ASSERT_TRUE(recorder.Open()) << recorder.Error();
  ASSERT_TRUE(recorder.StartRecording()) << recorder.Error();
  EXPECT_EQ(recorder.Mode(), mpRecording);
  WavePlayer player;
  NoticeLog log(player);
  player.SetFileName(tone.name);
  ASSERT_TRUE(player.Open());
  player.SetNotify(true);
  ASSERT_TRUE(player.Play());
  ASSERT_TRUE(log.WaitForCount(1));
  recorder.Stop();
  EXPECT_EQ(recorder.Mode(), mpStopped);
  ASSERT_TRUE(recorder.Save()) << recorder.Error();
  recorder.Close();

  SoundPtr recorded;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(target.name, recorded, status)) << status;
  EXPECT_EQ(recorded->MoSt, 2);
  EXPECT_EQ(recorded->Freq, 22050);
  EXPECT_EQ(recorded->BytesPerSample, 1);
  EXPECT_GT(PeakOf(*recorded), 4000) << "the recording is silent";
}
