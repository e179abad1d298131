// The player through the real audio path: a test audio server with a null output whose monitor
// is the default input (build.sh starts one), or the machine's own sound card.
#include <gtest/gtest.h>

#include <QElapsedTimer>
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

TEST(WavePlayerAudio, APlayPausedLongerThanTheStallWatchWaitsGoesOnToItsEnd) {
  ASSERT_TRUE(AudioAvailable()) << kNoAudioHelp;
  ScratchFile file("paused.wav");
  ASSERT_TRUE(WriteSine(file.name, 2, 22050, 2, 440, 1.0));
  WavePlayer player;
  NoticeLog log(player);
  player.SetFileName(file.name);
  ASSERT_TRUE(player.Open()) << player.Error();
  player.SetNotify(true);
  ASSERT_TRUE(player.Play()) << player.Error();
  player.Pause();
  // Nothing may end it while it waits: a play that takes no sound for 3 s otherwise ends.
  EXPECT_FALSE(log.WaitForCount(2, 4500));
  EXPECT_EQ(player.Mode(), mpPaused);
  player.SetNotify(true);
  ASSERT_TRUE(player.Resume()) << player.Error();
  // The one notice of the play interrupted by Pause, then the resumed play's own at its end.
  ASSERT_TRUE(log.WaitForCount(2)) << "the resumed play never ended";
  EXPECT_EQ(log.notices, (std::vector<TMPNotifyValues>{nvAborted, nvSuccessful}));
}
