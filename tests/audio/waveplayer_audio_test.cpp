// The player through the real audio path: a test audio server with a null output whose monitor
// is the default input (build.sh starts one), or the machine's own sound card.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTest>

#include "audio/audio_support.h"
#include "gui/waveplayer.h"

TEST(WavePlayerAudio, PlayOfAnUnusualFormatRunsToItsEndAndNotifiesOnce) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile file("play8bit.wav");
  // 8-bit mono at 11025 samples per second: converted on the way to the device.
  ASSERT_TRUE(WriteSine(file.name, 1, 11025, 1, 440, 0.4));
  WavePlayer player;
  NoticeLog log(player);
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  player.SetNotify(true);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(player.Play()) << player.Error();
  ASSERT_TRUE(log.WaitForCount(1)) << "the play never ended";
  EXPECT_EQ(log.notices[0], nvSuccessful);
  // The notice means the sound went out, not that it was thrown away.
  EXPECT_GE(clock.elapsed(), 200);
  EXPECT_EQ(player.Mode(), mpStopped);
  EXPECT_FALSE(log.WaitForCount(2, 300));
}

TEST(WavePlayerAudio, PlayWithWaitReturnsOnlyAtTheEnd) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile file("wait.wav");
  ASSERT_TRUE(WriteSine(file.name, 2, 22050, 2, 440, 0.3));
  WavePlayer player;
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  player.SetWait(true);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(player.Play()) << player.Error();
  EXPECT_GE(clock.elapsed(), 150);
  EXPECT_EQ(player.Mode(), mpStopped);
  // The setting served that play only.
  ASSERT_TRUE(player.Play());
  EXPECT_EQ(player.Mode(), mpPlaying);
}
