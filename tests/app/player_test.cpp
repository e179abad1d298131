// Play, Pause, Stop and Record over a fake player: every state of the buttons and flags, the
// notifications that must be swallowed, and the recording's way into its document.
#include "app/Player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/Main.h"
#include "app/fakes/fake_player.h"
#include "app/fakes/main_window.h"
#include "foundation/messages.h"
#include "support/recording_sink.h"
#include "wave/shell.h"
#include "wave/unitwave.h"
#include "wave/wavefile.h"
#include "wave/fakes/recording_view.h"

namespace {

class FakeDocuments : public PlayerDocuments {
 public:
  uint8_t ActiveKind() const override { return kind; }
  TUnitWave* ActiveUnitWave() const override { return active; }
  SoundPtr RenderActiveMuz() override { return render ? render() : nullptr; }

  uint8_t kind = 0;
  TUnitWave* active = nullptr;
  std::function<SoundPtr()> render;
};

SoundPtr Ramp(int32_t values, int channels = 1, int32_t rate = 22050, uint16_t width = 2) {
  bool abort = false;
  auto make = [&] {
    WavePtr wave = NewWaveChecked(abort, values);
    for (int32_t i = 0; i < values; ++i) wave->wave[i] = static_cast<int16_t>(i * 10);
    return wave;
  };
  if (channels == 2) return std::make_unique<StereoSound>(make(), make(), rate, width);
  return std::make_unique<MonoSound>(make(), rate, width);
}

std::vector<int16_t> FileSamples(const std::string& name) {
  SoundPtr sound;
  std::string status;
  if (!ReadWaveFile(name, sound, status)) return {};
  const Wave* wave = sound->GetLeftWave();
  return std::vector<int16_t>(wave->wave, wave->wave + wave->values);
}

class PlaybackTest : public testing::Test {
 protected:
  void SetUp() override {
    SetTempDir(dir_);
    std::filesystem::create_directories(dir_);
    TempDirOk = true;
    PausePressed = PlayPending = RecordPending = IgnoreNextNotify = false;
    RecordUnitWave = nullptr;
    for (QAction* action : {&play, &pause, &record}) action->setCheckable(true);
    stop.setEnabled(false);
    control = std::make_unique<PlaybackControl>(player, PlayerActions{&play, &stop, &pause, &record},
                                                documents);
  }
  void TearDown() override {
    control.reset();
    RecordUnitWave = nullptr;
    std::filesystem::remove_all(dir_);
  }

  TUnitWave& Activate(std::unique_ptr<TUnitWave> unitWave) {
    documents.kind = kUnitKindWave;
    documents.active = unitWave.get();
    unitWaves_.push_back(std::move(unitWave));
    return *unitWaves_.back();
  }
  // An empty document that was loaded from a file, so a recording marks it modified.
  TUnitWave& ActivateEmpty(int channels, int32_t rate, uint16_t width) {
    return Activate(std::make_unique<TUnitWave>("empty.wav", Ramp(0, channels, rate, width)));
  }
  void Log(std::initializer_list<const char*> expected) {
    EXPECT_EQ(player.log, std::vector<std::string>(expected.begin(), expected.end()));
    player.log.clear();
  }

  std::string dir_ = testing::TempDir() + "korvalen-player-" + std::to_string(getpid());
  QAction play, stop, pause, record;
  FakePlayer player;
  FakeDocuments documents;
  RecordingSink sink;
  std::unique_ptr<PlaybackControl> control;
  std::vector<std::unique_ptr<TUnitWave>> unitWaves_;
};

}  // namespace

TEST_F(PlaybackTest, PlayWritesTheSelectionOrTheWholeWaveAndTheEndOfThePlayResetsTheButtons) {
  TUnitWave& unitWave = Activate(std::make_unique<TUnitWave>("a.wav", Ramp(100)));
  unitWave.SetSelRange(10, 13);
  control->FilePlayExecute();
  Log({"Close", "Open", "Play(notify)"});
  EXPECT_EQ(player.FileName(), TempPlayFile);
  EXPECT_EQ(FileSamples(TempPlayFile), (std::vector<int16_t>{100, 110, 120}));
  EXPECT_TRUE(play.isChecked());
  EXPECT_TRUE(stop.isEnabled());

  player.FinishPlay();
  player.Deliver();
  Log({"Close"});
  EXPECT_FALSE(play.isChecked());
  EXPECT_FALSE(stop.isEnabled());
  EXPECT_EQ(player.Mode(), mpNotReady);

  unitWave.SetCursor(5);
  control->FilePlayExecute();
  EXPECT_EQ(FileSamples(TempPlayFile).size(), 100u);

  // An empty wave plays nothing.
  player.log.clear();
  ActivateEmpty(1, 22050, 2);
  control->FilePlayExecute();
  Log({});
}

TEST_F(PlaybackTest, PlayWhilePlayingRestartsWithTheNewSelectionAndTheFirstEndIsSwallowed) {
  TUnitWave& unitWave = Activate(std::make_unique<TUnitWave>("a.wav", Ramp(100)));
  control->FilePlayExecute();
  unitWave.SetSelRange(50, 52);
  control->FilePlayExecute();
  EXPECT_EQ(FileSamples(TempPlayFile), (std::vector<int16_t>{500, 510}));
  EXPECT_TRUE(IgnoreNextNotify);
  ASSERT_EQ(player.queued.size(), 1u);  // the first play's, ended by the close

  player.Deliver();
  EXPECT_TRUE(play.isChecked());
  EXPECT_TRUE(stop.isEnabled());
  EXPECT_EQ(player.Mode(), mpPlaying);
  EXPECT_FALSE(IgnoreNextNotify);

  player.FinishPlay();
  player.Deliver();
  EXPECT_FALSE(play.isChecked());
  EXPECT_EQ(player.Mode(), mpNotReady);
}

TEST_F(PlaybackTest, PausePressedBeforePlayOpensTheFileAndPlaysOnlyOnTheNextPause) {
  Activate(std::make_unique<TUnitWave>("a.wav", Ramp(100)));
  control->FilePauseExecute();
  EXPECT_TRUE(pause.isChecked());
  player.log.clear();

  control->FilePlayExecute();
  Log({"Close", "Open"});
  EXPECT_TRUE(PlayPending);
  EXPECT_TRUE(play.isChecked());
  EXPECT_EQ(player.Mode(), mpStopped);

  control->FilePauseExecute();
  Log({"Play(notify)"});
  EXPECT_FALSE(PlayPending);
  EXPECT_FALSE(PausePressed);
  EXPECT_FALSE(pause.isChecked());
  EXPECT_EQ(player.Mode(), mpPlaying);
}

TEST_F(PlaybackTest, PauseWhilePlayingPausesSwallowingItsNoticeAndPauseAgainResumes) {
  Activate(std::make_unique<TUnitWave>("a.wav", Ramp(100)));
  control->FilePlayExecute();
  player.log.clear();
  control->FilePauseExecute();
  Log({"Pause"});
  EXPECT_TRUE(pause.isChecked());
  player.Deliver();  // the interrupted play's notice
  EXPECT_FALSE(IgnoreNextNotify);
  EXPECT_EQ(player.Mode(), mpPaused);
  EXPECT_TRUE(play.isChecked());

  control->FilePauseExecute();
  Log({"Resume(notify)"});
  EXPECT_FALSE(pause.isChecked());
  EXPECT_EQ(player.Mode(), mpPlaying);

  // Stop while paused keeps Pause armed for the next play.
  control->FilePauseExecute();
  player.Deliver();
  control->FileStopExecute();
  EXPECT_EQ(player.Mode(), mpNotReady);
  EXPECT_FALSE(play.isChecked());
  EXPECT_TRUE(PausePressed);
  control->FilePlayExecute();
  EXPECT_TRUE(PlayPending);
}

TEST_F(PlaybackTest, RecordOnlyIntoAnEmptyWaveFileInItsFormat) {
  Activate(std::make_unique<TUnitWave>("a.wav", Ramp(100)));
  control->FileRecordExecute();
  Log({"Close"});
  EXPECT_FALSE(record.isChecked());
  EXPECT_EQ(RecordUnitWave, nullptr);

  TUnitWave& empty = ActivateEmpty(2, 11025, 1);
  control->FileRecordExecute();
  Log({"Close", "Open", "StartRecording(notify)"});
  EXPECT_EQ(player.FileName(), TempRecFile);
  SoundPtr file;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(TempRecFile, file, status)) << status;
  EXPECT_EQ(file->MoSt, 2);
  EXPECT_EQ(file->Freq, 11025);
  EXPECT_EQ(file->BytesPerSample, 1);
  EXPECT_EQ(file->GetValues(), 0);
  EXPECT_EQ(RecordUnitWave, &empty);
  EXPECT_TRUE(record.isChecked());
  EXPECT_TRUE(stop.isEnabled());
  EXPECT_FALSE(pause.isEnabled());
}

TEST_F(PlaybackTest, StopPutsTheRecordingIntoItsDocumentInItsFormatWhileAnotherIsActive) {
  RecordingView view;
  TUnitWave& target = ActivateEmpty(2, 22050, 1);
  target.SetView(&view);
  control->FileRecordExecute();
  TUnitWave& other = Activate(std::make_unique<TUnitWave>("b.wav", Ramp(100)));
  // The device delivered 16-bit samples where the document keeps 8.
  player.recording = Ramp(50, 2, 22050, 2);
  player.log.clear();

  control->FileRecordExecute();  // Record while recording stops
  Log({"Stop", "Save(wait)", "Close"});
  EXPECT_EQ(target.GetValues(), 50);
  EXPECT_EQ(target.GetBytesPerSample(), 1);
  EXPECT_EQ(target.GetChannels(), 2);
  EXPECT_EQ(target.GetSound()->GetRightWave()->wave[3], 30);
  EXPECT_EQ(target.GetState(), kUnitStateModified);
  EXPECT_EQ(view.calls, std::vector<std::string>{"Redraw"});
  EXPECT_EQ(other.GetValues(), 100);
  EXPECT_FALSE(record.isChecked());
  EXPECT_EQ(RecordUnitWave, nullptr);

  // The recording's own notice, delivered late, changes nothing.
  player.Deliver();
  EXPECT_EQ(target.GetValues(), 50);
}

TEST_F(PlaybackTest, ARecordingThatCannotBeReadBackLeavesTheDocumentEmptyAndRecordUnchecked) {
  TUnitWave& target = ActivateEmpty(1, 22050, 2);
  control->FileRecordExecute();
  player.saveGarbage = "this is not a wave file at all, not even close to one";
  control->FileStopExecute();
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text,
            "Cannot read the file: \"" + TempRecFile + "\", " + wavestatus::kNoRiff);
  EXPECT_EQ(sink.messages[0].caption, "File Error");
  EXPECT_EQ(sink.messages[0].flags, kMbOk | kMbIconInformation);
  EXPECT_EQ(target.GetValues(), 0);
  EXPECT_EQ(target.GetState(), kUnitStateSaved);
  EXPECT_FALSE(record.isChecked());
  EXPECT_EQ(RecordUnitWave, nullptr);
}

TEST_F(PlaybackTest, ARecordArmedByPauseStartsOnPauseAndStopGivesItUp) {
  ActivateEmpty(1, 22050, 2);
  control->FilePauseExecute();
  player.log.clear();
  control->FileRecordExecute();
  Log({"Close", "Open"});
  EXPECT_TRUE(RecordPending);
  EXPECT_TRUE(record.isChecked());
  EXPECT_TRUE(pause.isEnabled());
  control->FilePauseExecute();
  Log({"StartRecording(notify)"});
  EXPECT_FALSE(RecordPending);
  EXPECT_FALSE(PausePressed);
  EXPECT_EQ(player.Mode(), mpRecording);
  control->FileStopExecute();
  player.log.clear();

  control->FilePauseExecute();
  control->FileRecordExecute();
  control->FileStopExecute();
  Log({"Close", "Open", "Close"});
  EXPECT_FALSE(record.isChecked());
  EXPECT_FALSE(RecordPending);
  EXPECT_EQ(RecordUnitWave, nullptr);
  EXPECT_FALSE(stop.isEnabled());
}

TEST_F(PlaybackTest, RecordGivesUpAPendingPlaySoPauseStartsTheRecording) {
  const SoundPtr tune = Ramp(30);
  control->FilePauseExecute();
  control->PlayWholeSound(*tune);
  ASSERT_TRUE(PlayPending);
  ActivateEmpty(1, 22050, 2);
  control->FileRecordExecute();
  EXPECT_FALSE(PlayPending);
  EXPECT_FALSE(play.isChecked());
  player.log.clear();
  control->FilePauseExecute();
  Log({"StartRecording(notify)"});
}

TEST_F(PlaybackTest, PlayDuringARecordingFirstPutsTheRecordingIntoItsDocument) {
  TUnitWave& target = ActivateEmpty(1, 22050, 2);
  control->FileRecordExecute();
  player.recording = Ramp(20);
  const SoundPtr tune = Ramp(30);
  EXPECT_TRUE(control->PlayWholeSound(*tune));
  EXPECT_EQ(target.GetValues(), 20);
  EXPECT_FALSE(record.isChecked());
  EXPECT_EQ(player.Mode(), mpPlaying);
  EXPECT_EQ(FileSamples(TempPlayFile).size(), 30u);
}

TEST_F(PlaybackTest, ADocumentThatGoesAwayTakesItsRecordingAlong) {
  class ForwardingShell : public ShellServices {
   public:
    explicit ForwardingShell(PlaybackControl& control) : control_(control) {}
    TUnitWave* MainFindUnitWaveByName(const std::string&) override { return nullptr; }
    bool MainPlayWholeSound(const Sound&) override { return false; }
    void UnitWaveClosing(const TUnitWave* unitWave) override { control_.UnitWaveClosing(unitWave); }

   private:
    PlaybackControl& control_;
  } shell(*control);
  ShellServices* previous = SetShellServices(&shell);
  ActivateEmpty(1, 22050, 2);
  control->FileRecordExecute();
  player.recording = Ramp(20);
  documents.active = nullptr;
  unitWaves_.clear();
  SetShellServices(previous);

  EXPECT_EQ(RecordUnitWave, nullptr);
  EXPECT_FALSE(record.isChecked());
  EXPECT_EQ(player.Mode(), mpNotReady);
  control->FileStopExecute();  // nothing left to write into
  EXPECT_FALSE(stop.isEnabled());
}

TEST_F(PlaybackTest, MusicIsRenderedForThePlayAndAnEmptyRenderingPlaysNothing) {
  documents.kind = kUnitKindMuz;
  documents.render = [] { return Ramp(40, 2); };
  control->FilePlayExecute();
  EXPECT_EQ(FileSamples(TempPlayFile).size(), 40u);
  EXPECT_TRUE(play.isChecked());
  player.FinishPlay();
  player.Deliver();
  player.log.clear();

  documents.render = [] { return Ramp(0); };
  control->FilePlayExecute();
  documents.render = nullptr;
  control->FilePlayExecute();
  Log({});
  EXPECT_FALSE(play.isChecked());
}

TEST_F(PlaybackTest, WithoutTheTemporaryDirectoryNothingIsWrittenOrPlayed) {
  TempDirOk = false;
  const SoundPtr tune = Ramp(30);
  EXPECT_FALSE(control->PlayWholeSound(*tune));
  ActivateEmpty(1, 22050, 2);
  control->FileRecordExecute();
  EXPECT_FALSE(std::filesystem::exists(TempPlayFile));
  EXPECT_FALSE(std::filesystem::exists(TempRecFile));
  EXPECT_FALSE(record.isChecked());
  EXPECT_FALSE(pause.isEnabled());
  EXPECT_FALSE(record.isEnabled());
}

TEST_F(PlaybackTest, APlayerThatCannotOpenIsReportedAndLeavesTheButtonsAlone) {
  player.failOpen = true;
  const SoundPtr tune = Ramp(30);
  EXPECT_FALSE(control->PlayWholeSound(*tune));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "player failed");
  EXPECT_FALSE(play.isChecked());
  EXPECT_FALSE(stop.isEnabled());
}

namespace {

class MainPlaybackTest : public MainWindowTest {
 protected:
  MainPlaybackTest() : MainWindowTest("mainplay") {}
  void SetUp() override {
    PausePressed = PlayPending = RecordPending = IgnoreNextNotify = false;
    MainWindowTest::SetUp();
    auto fake = std::make_unique<FakePlayer>();
    player = fake.get();
    form->SetAudioPlayer(std::move(fake));
  }

  RecordingSink sink;
  FakePlayer* player = nullptr;
};

}  // namespace

TEST_F(MainPlaybackTest, TheButtonsShowOnlyWhatTheCommandsSet) {
  QAction* play = form->Action("FilePlay");
  QAction* pause = form->Action("FilePause");
  EXPECT_FALSE(form->Action("FileStop")->isEnabled());
  // Nothing to play: triggering must not leave the button checked.
  play->setEnabled(true);
  play->trigger();
  EXPECT_FALSE(play->isChecked());
  pause->trigger();
  EXPECT_TRUE(pause->isChecked());
  EXPECT_TRUE(PausePressed);
  pause->trigger();
  EXPECT_FALSE(pause->isChecked());
  EXPECT_FALSE(PausePressed);
}

TEST_F(MainPlaybackTest, TheEngineReachesTheWholeSoundPlayThroughTheMainWindow) {
  const SoundPtr tune = Ramp(25);
  EXPECT_TRUE(MainPlayWholeSound(*tune));
  EXPECT_EQ(FileSamples(TempPlayFile).size(), 25u);
  EXPECT_EQ(player->log.back(), "Play(notify)");
  EXPECT_TRUE(form->Action("FilePlay")->isChecked());
  EXPECT_TRUE(form->Action("FileStop")->isEnabled());
  form->Action("FileStop")->trigger();
  EXPECT_EQ(player->Mode(), mpNotReady);
  EXPECT_FALSE(form->Action("FilePlay")->isChecked());

  TMainForm* const main = MainForm;
  MainForm = nullptr;
  EXPECT_FALSE(MainPlayWholeSound(*tune));
  MainForm = main;
}

TEST_F(MainPlaybackTest, TheProgramsEndRemovesItsTemporaryFilesAndTheirDirectoryWhenEmpty) {
  struct Case {
    const char* name;
    bool directoryGoneBeforePlay;  // another copy of the program ended meanwhile
    bool foreignFile;
  };
  const Case cases[] = {
      {"only our files", false, false},
      {"the directory went before the play", true, false},
      {"a file of someone else's keeps the directory", false, true},
  };
  const SoundPtr tune = Ramp(25);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!form) {
      form = StartUp();
      form->SetAudioPlayer(std::make_unique<FakePlayer>());
    }
    if (c.directoryGoneBeforePlay) std::filesystem::remove_all(TempDir);
    ASSERT_TRUE(MainPlayWholeSound(*tune));
    std::ofstream(TempRecFile) << "recorded";
    const std::string foreign = TempDir + "/notes.txt";
    if (c.foreignFile) std::ofstream(foreign) << "not ours";

    form.reset();
    EXPECT_FALSE(std::filesystem::exists(TempPlayFile));
    EXPECT_FALSE(std::filesystem::exists(TempRecFile));
    EXPECT_EQ(std::filesystem::exists(TempDir), c.foreignFile);
    EXPECT_EQ(std::filesystem::exists(foreign), c.foreignFile);
    std::filesystem::remove(foreign);
  }
}
