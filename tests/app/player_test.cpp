// Play, Pause, Stop and Record over a fake player: every state of the buttons and flags, the
// notifications that must be swallowed, and the recording's way into its document.
#include "app/Player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "app/wavewindow/ChildWin.h"
#include "app/wavewindow/ChildWave.h"
#include "app/Main.h"
#include "app/TempFolder.h"
#include "app/fakes/fake_player.h"
#include "app/fakes/main_window.h"
#include "gui/application.h"
#include "foundation/messages.h"
#include "gui/waveplayer.h"
#include "support/recording_sink.h"
#include "wave/shell.h"
#include "wave/unitwave.h"
#include "gui/cursors.h"
#include "wave/wavefile.h"
#include "support/samples.h"
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

// 0, 10, 20 ... on every channel.
SoundPtr Tens(int32_t values, int channels = 1, int32_t rate = 22050, uint16_t width = 2) {
  const Samples16 samples = Ramp(values, 0, 10);
  return channels == 2 ? StereoOf(samples, samples, rate, width) : MonoOf(samples, rate, width);
}

Samples16 FileSamples(const std::string& name) {
  SoundPtr sound;
  std::string status;
  return ReadWaveFile(name, sound, status) ? Samples(sound->GetLeftWave()) : Samples16{};
}

// The player's state lives in globals: each test starts from none and leaves none behind, so a
// play left pending cannot reach the tests after it.
void ClearPlayerFlags() {
  PausePressed = PlayPending = RecordPending = false;
  RecordUnitWave = nullptr;
}

// Play checked, Stop enabled, Pause checked, Record checked, and the player's mode.
using Shown = std::tuple<bool, bool, bool, bool, TMPModes>;
// A play waiting for Pause, Pause pressed, a recording waiting for Pause.
using Pending = std::tuple<bool, bool, bool>;

class PlaybackTest : public testing::Test {
 protected:
  void SetUp() override {
    SetTempDir(dir_);
    std::filesystem::create_directories(dir_);
    TempDirOk = true;
    ClearPlayerFlags();
    for (QAction* action : {&play, &pause, &record}) action->setCheckable(true);
    stop.setEnabled(false);
    control = std::make_unique<PlaybackControl>(player, PlayerActions{&play, &stop, &pause, &record},
                                                documents);
  }
  void TearDown() override {
    control.reset();
    ClearPlayerFlags();
    std::filesystem::remove_all(dir_);
  }

  TUnitWave& Activate(SoundPtr sound, const std::string& file = "a.wav") {
    documents.kind = kUnitKindWave;
    unitWaves_.push_back(std::make_unique<TUnitWave>(file, std::move(sound)));
    return *(documents.active = unitWaves_.back().get());
  }
  // An empty document that was loaded from a file, so a recording marks it modified.
  TUnitWave& ActivateEmpty(int channels = 1, int32_t rate = 22050, uint16_t width = 2) {
    return Activate(Tens(0, channels, rate, width), "empty.wav");
  }
  void Log(std::initializer_list<const char*> expected) {
    EXPECT_EQ(player.log, std::vector<std::string>(expected.begin(), expected.end()));
    player.log.clear();
  }
  void FinishPlay() {
    player.FinishPlay();
    player.Deliver();
  }
  Shown Buttons() const {
    return {play.isChecked(), stop.isEnabled(), pause.isChecked(), record.isChecked(), player.Mode()};
  }
  static Pending Flags() { return {PlayPending, PausePressed, RecordPending}; }

  std::string dir_ = testing::TempDir() + "korvalen-player-" + std::to_string(getpid());
  QAction play, stop, pause, record;
  FakePlayer player;
  FakeDocuments documents;
  RecordingSink sink;
  std::unique_ptr<PlaybackControl> control;
  std::vector<std::unique_ptr<TUnitWave>> unitWaves_;
};

const Shown kIdle{false, false, false, false, mpNotReady};
const Shown kPlaying{true, true, false, false, mpPlaying};
TUnitWave* const kNoWave = nullptr;

}  // namespace

TEST_F(PlaybackTest, PlayWritesTheSelectionOrTheWholeWaveAndTheEndOfThePlayResetsTheButtons) {
  TUnitWave& unitWave = Activate(Tens(100));
  unitWave.SetSelRange(10, 13);
  control->FilePlayExecute();
  Log({"Close", "Open", "Play(notify)"});
  EXPECT_EQ(player.FileName(), TempPlayFile);
  EXPECT_EQ(FileSamples(TempPlayFile), (Samples16{100, 110, 120}));
  EXPECT_EQ(Buttons(), kPlaying);

  FinishPlay();
  Log({"Close"});
  EXPECT_EQ(Buttons(), kIdle);

  unitWave.SetCursor(5);
  control->FilePlayExecute();
  EXPECT_EQ(FileSamples(TempPlayFile).size(), 100u);
}

TEST_F(PlaybackTest, PlayWhilePlayingRestartsWithTheNewSelectionAndTheFirstEndIsSwallowed) {
  TUnitWave& unitWave = Activate(Tens(100));
  control->FilePlayExecute();
  unitWave.SetSelRange(50, 52);
  control->FilePlayExecute();
  EXPECT_EQ(FileSamples(TempPlayFile), (Samples16{500, 510}));
  ASSERT_EQ(player.queued.size(), 1u);  // the first play's, ended by the close
  player.Deliver();
  EXPECT_EQ(Buttons(), kPlaying);
  FinishPlay();
  EXPECT_EQ(Buttons(), kIdle);
}

TEST_F(PlaybackTest, PausePressedBeforePlayOpensTheFileAndPlaysOnlyOnTheNextPause) {
  Activate(Tens(100));
  control->FilePauseExecute();
  player.log.clear();
  control->FilePlayExecute();
  Log({"Close", "Open"});
  EXPECT_EQ(std::pair(Flags(), Buttons()),
            std::pair(Pending(true, true, false), Shown(true, true, true, false, mpStopped)));

  control->FilePauseExecute();
  Log({"Play(notify)"});
  EXPECT_EQ(std::pair(Flags(), Buttons()), std::pair(Pending(false, false, false), kPlaying));
}

TEST_F(PlaybackTest, PauseWhilePlayingPausesSwallowingItsNoticeAndPauseAgainResumes) {
  Activate(Tens(100));
  control->FilePlayExecute();
  player.log.clear();
  control->FilePauseExecute();
  Log({"Pause"});
  player.Deliver();  // the interrupted play's notice
  EXPECT_EQ(Buttons(), Shown(true, true, true, false, mpPaused));

  control->FilePauseExecute();
  Log({"Resume(notify)"});
  EXPECT_EQ(Buttons(), kPlaying);

  // Stop while paused keeps Pause armed for the next play.
  control->FilePauseExecute();
  player.Deliver();
  control->FileStopExecute();
  EXPECT_EQ(Buttons(), Shown(false, false, true, false, mpNotReady));
  control->FilePlayExecute();
  EXPECT_EQ(Flags(), Pending(true, true, false));
}

TEST_F(PlaybackTest, RecordOnlyIntoAnEmptyWaveFileInItsFormat) {
  Activate(Tens(100));
  control->FileRecordExecute();
  Log({"Close"});
  EXPECT_EQ(std::pair(Buttons(), RecordUnitWave), std::pair(kIdle, kNoWave));

  TUnitWave& empty = ActivateEmpty(2, 11025, 1);
  control->FileRecordExecute();
  Log({"Close", "Open", "StartRecording(notify)"});
  EXPECT_EQ(player.FileName(), TempRecFile);
  SoundPtr file;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(TempRecFile, file, status)) << status;
  EXPECT_EQ(std::tuple(FormatOf(*file), file->GetValues()), std::tuple(std::tuple(2, 11025, 1), 0));
  EXPECT_EQ(std::tuple(RecordUnitWave, Buttons(), pause.isEnabled()),
            std::tuple(&empty, Shown(false, true, false, true, mpRecording), false));
}

TEST_F(PlaybackTest, StopPutsTheRecordingIntoItsDocumentInItsFormatWhileAnotherIsActive) {
  RecordingView view;
  TUnitWave& target = ActivateEmpty(2, 22050, 1);
  target.SetView(&view);
  control->FileRecordExecute();
  TUnitWave& other = Activate(Tens(100), "b.wav");
  player.recording = Tens(50, 2, 22050, 2);  // the device delivered 16 bits where the document keeps 8
  player.log.clear();

  control->FileRecordExecute();  // Record while recording stops
  Log({"Stop", "Save(wait)", "Close"});
  EXPECT_EQ(FormatOf(*target.GetSound()), std::tuple(2, 22050, 1));
  EXPECT_EQ(At(Samples(target.GetSound()->GetRightWave()), {3, 49}), (Samples16{30, 490}));
  EXPECT_EQ(std::tuple(target.GetState(), view.calls, other.GetValues(), Buttons(), RecordUnitWave),
            std::tuple(kUnitStateModified, std::vector<std::string>{"Redraw"}, 100, kIdle, kNoWave));

  player.Deliver();  // the recording's own notice, delivered late, changes nothing
  EXPECT_EQ(target.GetValues(), 50);
}

TEST_F(PlaybackTest, ARecordingThatCannotBeReadBackLeavesTheDocumentEmptyAndRecordUnchecked) {
  TUnitWave& target = ActivateEmpty();
  control->FileRecordExecute();
  player.saveGarbage = "this is not a wave file at all, not even close to one";
  control->FileStopExecute();
  // The player holds nothing either: the recording is lost, and the user told so.
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0],
            (RecordedMessage{"Cannot read the file: \"" + TempRecFile + "\", " + wavestatus::kNoRiff,
                             "File Error", kMbOk | kMbIconInformation}));
  EXPECT_EQ(sink.messages[1].text, playertext::kRecordingLost);
  EXPECT_EQ(std::tuple(target.GetValues(), target.GetState(), Buttons(), RecordUnitWave),
            std::tuple(0, kUnitStateSaved, kIdle, kNoWave));
}

TEST_F(PlaybackTest, RecordGivesUpAPendingPlayPauseStartsTheRecordingAndStopGivesUpAnArmedOne) {
  control->FilePauseExecute();
  control->PlayWholeSound(*Tens(30));
  ASSERT_TRUE(PlayPending);
  ActivateEmpty();
  control->FileRecordExecute();
  EXPECT_EQ(Flags(), Pending(false, true, true));
  EXPECT_FALSE(play.isChecked());
  player.log.clear();
  control->FilePauseExecute();
  Log({"StartRecording(notify)"});
  EXPECT_EQ(std::pair(Flags(), player.Mode()), std::pair(Pending(false, false, false), mpRecording));
  control->FileStopExecute();
  player.Deliver();  // the stopped recording's notice
  player.log.clear();

  control->FilePauseExecute();
  control->FileRecordExecute();
  control->FileStopExecute();
  Log({"Close", "Open", "Close"});
  EXPECT_EQ(std::pair(Buttons(), Flags()),
            std::pair(Shown(false, false, true, false, mpNotReady), Pending(false, true, false)));
  EXPECT_EQ(RecordUnitWave, nullptr);
}

TEST_F(PlaybackTest, PlayDuringARecordingFirstPutsTheRecordingIntoItsDocument) {
  TUnitWave& target = ActivateEmpty();
  control->FileRecordExecute();
  player.recording = Tens(20);
  EXPECT_TRUE(control->PlayWholeSound(*Tens(30)));
  EXPECT_EQ(std::pair(target.GetValues(), Buttons()), std::pair(20, kPlaying));
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
  ActivateEmpty();
  control->FileRecordExecute();
  player.recording = Tens(20);
  documents.active = nullptr;
  unitWaves_.clear();
  SetShellServices(previous);

  EXPECT_EQ(RecordUnitWave, nullptr);
  control->FileStopExecute();  // nothing left to write into
  EXPECT_EQ(Buttons(), kIdle);
}

TEST_F(PlaybackTest, MusicIsRenderedForThePlayAndAnEmptyRenderingPlaysNothing) {
  documents.kind = kUnitKindMuz;
  documents.render = [] { return Tens(40, 2); };
  control->FilePlayExecute();
  EXPECT_EQ(FileSamples(TempPlayFile).size(), 40u);
  FinishPlay();
  player.log.clear();

  for (auto render : {std::function<SoundPtr()>([] { return Tens(0); }), std::function<SoundPtr()>()}) {
    documents.render = render;
    control->FilePlayExecute();
  }
  Log({});
  EXPECT_EQ(Buttons(), kIdle);
}

TEST_F(PlaybackTest, WithoutTheTemporaryDirectoryNothingIsWrittenOrPlayed) {
  TempDirOk = false;
  EXPECT_FALSE(control->PlayWholeSound(*Tens(30)));
  ActivateEmpty();
  control->FileRecordExecute();
  EXPECT_FALSE(std::filesystem::exists(TempPlayFile) || std::filesystem::exists(TempRecFile));
  EXPECT_FALSE(record.isChecked() || pause.isEnabled() || record.isEnabled());
}

TEST_F(PlaybackTest, APlayerThatCannotOpenIsReportedAndLeavesTheButtonsAlone) {
  player.failOpen = true;
  EXPECT_FALSE(control->PlayWholeSound(*Tens(30)));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "player failed");
  EXPECT_EQ(Buttons(), kIdle);
}

namespace {

// Notes the screen cursor each time a play file is opened.
class CursorAtOpen : public FakePlayer {
 public:
  bool Open() override {
    cursors.push_back(ScreenCursor());
    return FakePlayer::Open();
  }
  std::vector<TCursor> cursors;
};

class MainPlaybackTest : public MainWindowTest {
 protected:
  MainPlaybackTest() : MainWindowTest("mainplay") {}
  void SetUp() override {
    ClearPlayerFlags();
    MainWindowTest::SetUp();
    auto fake = std::make_unique<CursorAtOpen>();
    player = fake.get();
    form->SetAudioPlayer(std::move(fake));
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    ClearPlayerFlags();
  }

  RecordingSink sink;
  CursorAtOpen* player = nullptr;
};

// A click on the window's close box, found as the sub-window lays out its title bar. The pointer
// first rests on the box: the window acts on a click only where the pointer hovers.
void ClickCloseBox(QMdiSubWindow& window) {
  QStyleOptionTitleBar bar;
  bar.initFrom(&window);
  bar.subControls = QStyle::SC_All;
  bar.titleBarFlags = window.windowFlags();
  bar.titleBarState = window.windowState();
  const QStyle& style = *window.style();
  const int frame = style.pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
  const int height = style.pixelMetric(QStyle::PM_TitleBarHeight, &bar, &window);
  bar.rect = QRect(frame, frame, window.width() - 2 * frame, height - frame);
  const QPoint box =
      style.subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, &window).center();
  QMouseEvent hover(QEvent::MouseMove, box, window.mapToGlobal(box), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(&window, &hover);
  QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, box);
}

}  // namespace

TEST_F(MainPlaybackTest, TheEngineReachesTheWholeSoundPlayThroughTheMainWindow) {
  QAction* play = form->Action("FilePlay");
  play->setEnabled(true);
  play->trigger();  // nothing to play: the button must not stay checked
  EXPECT_FALSE(play->isChecked());
  const SoundPtr tune = Tens(25);
  EXPECT_TRUE(MainPlayWholeSound(*tune));
  EXPECT_EQ(FileSamples(TempPlayFile).size(), 25u);
  // The hourglass shows while the play is prepared, and goes with it.
  EXPECT_EQ(player->cursors, std::vector<TCursor>{crHourGlass});
  EXPECT_EQ(ScreenCursor(), crDefault);
  EXPECT_TRUE(play->isChecked() && form->Action("FileStop")->isEnabled());
  form->Action("FileStop")->trigger();
  EXPECT_EQ(std::pair(player->Mode(), play->isChecked()), std::pair(mpNotReady, false));

  TMainForm* const main = MainForm;
  MainForm = nullptr;
  EXPECT_FALSE(MainPlayWholeSound(*tune));
  MainForm = main;
}

TEST_F(MainPlaybackTest, TheProgramsEndRemovesItsTemporaryFilesAndTheirDirectoryWhenEmpty) {
  struct Case { const char* name; bool directoryGoneBeforePlay, foreignFile; };  // gone: another copy ended
  const Case cases[] = {
      {"only our files", false, false},
      {"the directory went before the play", true, false},
      {"a file of someone else's keeps the directory", false, true},
  };
  const SoundPtr tune = Tens(25);
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
    EXPECT_FALSE(std::filesystem::exists(TempPlayFile) || std::filesystem::exists(TempRecFile));
    EXPECT_EQ(std::pair(std::filesystem::exists(TempDir), std::filesystem::exists(foreign)),
              std::pair(c.foreignFile, c.foreignFile));
    std::filesystem::remove(foreign);
  }
}

TEST_F(MainPlaybackTest, ACopyThatStartsAndEndsDuringARecordingLeavesItsFileAlone) {
  TUnitWave* target = OpenNamed("target", Tens(0));
  ASSERT_TRUE(Command("FileRecord"));
  player->recording = Tens(20);
  ASSERT_TRUE(std::filesystem::exists(TempRecFile));
  CopyTempFolder::Make(TempDir).reset();  // what another copy's start and end do to the folder
  EXPECT_TRUE(std::filesystem::exists(TempRecFile));
  ASSERT_TRUE(Command("FileStop"));
  EXPECT_EQ(std::pair(target->GetValues(), sink.messages.size()), std::pair(20, size_t{0}));
}

TEST_F(MainPlaybackTest, StopKeepsTheRecordingWhenItsFileCannotBeKept) {
  struct Case {
    const char* name;
    std::function<void()> meanwhile;
    bool playerHoldsIt;
    std::vector<std::string> messages;
    int32_t values;
  };
  const std::string cannotSave = msgtext::kCannotWriteFile;
  const Case cases[] = {
      {"the folder was removed: it is made again",
       [] { std::filesystem::remove_all(TempDir); },
       true,
       {},
       20},
      {"the file cannot be written: the player's memory",
       [] {
         std::filesystem::permissions(
             TempRecFile, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
       },
       true,
       {cannotSave},
       20},
      {"the folder cannot be made again: the player's memory",
       [] { std::filesystem::remove_all(TempDir), std::ofstream(TempDir) << "in the way"; },
       true,
       {},
       20},
      {"nothing holds it",
       [] { std::filesystem::remove_all(TempDir), std::ofstream(TempDir) << "in the way"; },
       false,
       {playertext::kRecordingLost},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(TempDir);  // Record makes the folders again
    sink.messages.clear();
    TUnitWave* target = OpenNamed(c.name, Tens(0));
    ASSERT_TRUE(Command("FileRecord"));
    ASSERT_EQ(RecordUnitWave, target);
    player->recording = c.playerHoldsIt ? Tens(20) : nullptr;
    c.meanwhile();
    ASSERT_TRUE(Command("FileStop"));
    std::vector<std::string> texts;
    for (const RecordedMessage& message : sink.messages) texts.push_back(message.text);
    EXPECT_EQ(texts, c.messages);
    EXPECT_EQ(std::tuple(target->GetValues(), form->Action("FileRecord")->isChecked(),
                         RecordUnitWave),
              std::tuple(c.values, false, kNoWave));
    std::filesystem::remove_all(TempDir);
  }
}

TEST_F(MainPlaybackTest, ARecordingTheDeviceEndsGoesIntoItsDocumentAndAPlayItEndsEndsQuietly) {
  TUnitWave* target = OpenNamed("target", Tens(0));
  ASSERT_TRUE(Command("FileRecord"));
  player->recording = Tens(20);
  player->FailDevice();
  player->Deliver();
  EXPECT_EQ(std::tuple(target->GetValues(), target->GetState(),
                       form->Action("FileRecord")->isChecked()),
            std::tuple(20, kUnitStateModified, false));
  EXPECT_EQ(sink.messages, (std::vector<RecordedMessage>{
                               {playertext::kInputGone, msgtext::kError, kMbOk | kMbIconWarning}}));

  sink.messages.clear();
  ASSERT_TRUE(Command("FilePlay"));
  ASSERT_TRUE(form->Action("FilePlay")->isChecked());
  player->FailDevice();
  player->Deliver();
  EXPECT_EQ(std::tuple(form->Action("FilePlay")->isChecked(), form->Action("FileStop")->isEnabled(),
                       sink.messages.size()),
            std::tuple(false, false, size_t{0}));
}

TEST_F(MainPlaybackTest, ClosingTheProgramDuringARecordingPutsItIntoItsDocumentAndAsksToSaveIt) {
  auto unit = std::make_unique<TUnitWave>("empty.wav", Tens(0));
  TUnitWave& target = *unit;
  form->CreateMDIChildWave("empty", std::move(unit), {}, {});
  QApplication::processEvents();
  form->ActionList1Update();
  form->Action("FileRecord")->trigger();
  ASSERT_TRUE(form->Action("FileRecord")->isChecked());
  player->recording = Tens(20);

  sink.replies = {kIdCancel};
  EXPECT_FALSE(form->close());
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].caption, kSaveQuestionCaption);
  EXPECT_EQ(std::tuple(target.GetValues(), RecordUnitWave, form->Action("FileRecord")->isChecked()),
            std::tuple(20, kNoWave, false));
}

TEST_F(MainPlaybackTest, ClosingTheRecordingWavesWindowPutsTheRecordingIntoItAndAsksToSaveIt) {
  struct Way { const char* name; std::function<void(QMdiSubWindow&)> close; };
  const Way ways[] = {
      {"close box", ClickCloseBox},
      {"Ctrl+F4",
       [this](QMdiSubWindow&) { QTest::keyClick(form.get(), Qt::Key_F4, Qt::ControlModifier); }},
      {"File > Close", [this](QMdiSubWindow&) { Command("FileClose"); }},
  };
  const auto closeActive = [this](const Way& way) {
    way.close(*form->GetActiveMDIChild());
    QApplication::processEvents();
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    TUnitWave* target = OpenNamed("target", Tens(0));
    QMdiSubWindow* window = form->GetActiveMDIChild();
    ASSERT_TRUE(Command("FileRecord"));
    player->recording = Tens(20);
    OpenNamed("other", Tens(0));
    sink.messages.clear();

    closeActive(way);  // another window: the recording goes on
    EXPECT_EQ(std::tuple(RecordUnitWave, player->Mode(), sink.messages.size()),
              std::tuple(target, mpRecording, 0u));

    ASSERT_EQ(form->GetActiveMDIChild(), window);
    sink.replies = {kIdCancel};
    closeActive(way);
    EXPECT_EQ(sink.messages, (std::vector<RecordedMessage>{
                                 {kSaveQuestion, kSaveQuestionCaption, kMbYesNoCancel}}));
    ASSERT_EQ(form->MDIChildren().size(), 1u);
    EXPECT_EQ(std::tuple(target->GetValues(), RecordUnitWave, player->Mode(),
                         form->Action("FileRecord")->isChecked()),
              std::tuple(20, kNoWave, mpNotReady, false));

    sink.replies = {kIdNo};
    closeActive(way);
    EXPECT_EQ(std::pair(sink.messages.size(), form->MDIChildren().size()),
              std::pair(size_t{2}, size_t{0}));
  }
}

TEST_F(MainPlaybackTest, NothingChangesTheWaveBeingRecordedIntoSoStopKeepsEveryEdit) {
  // What could fill the empty wave being recorded into (or draw over it), enabled for it and for
  // another empty wave once the idle update has run. The undo record is the recording wave's.
  struct Row { const char* action; bool forIt, forOther; };
  const Row rows[] = {{"MakeSilence", false, true}, {"MakeLine", false, true},
                      {"MakeBlock", false, true},   {"MakeTriangle", false, true},
                      {"MakeSinus", false, true},   {"MakeNoise", false, true},
                      {"MakeMFreq", false, true},   {"EditPaste", false, true},
                      {"EditMix", false, true},     {"DrawWaveLin", false, true},
                      {"DrawWave3G", false, true},  {"Undo", false, false},
                      {"FileProperties", true, true}};
  const auto idleLeaves = [this, &rows](bool Row::*enabled) {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.action);
      QAction* action = form->Action(row.action);
      EXPECT_TRUE(QTest::qWaitFor([&] { return action->isEnabled() == row.*enabled; }, 10000));
    }
  };
  TUnitWave* target = OpenNamed("target", Tens(100));
  auto* window = static_cast<TMDIChildWave*>(form->GetActiveMDIChild());
  ASSERT_TRUE(Command("EditCut"));  // the whole wave goes to the clipboard, with an undo record
  QTest::keyClick(form.get(), Qt::Key_Shift);
  ASSERT_TRUE(QTest::qWaitFor([this] { return form->Action("FileRecord")->isEnabled(); }, 10000));
  QTest::keyClick(form.get(), Qt::Key_R, Qt::AltModifier);
  ASSERT_EQ(RecordUnitWave, target);
  player->recording = Tens(20);
  idleLeaves(&Row::forIt);

  // A key that came before the update finds the commands still enabled: they refuse all the same.
  int dialogs = 0;
  {
    const ScopedModalRunner accept([&dialogs](QDialog& dialog) {
      ++dialogs;
      dialog.accept();
      return dialog.result();
    });
    for (const Row& row : rows) {
      if (row.forIt) continue;
      SCOPED_TRACE(row.action);
      form->Action(row.action)->setEnabled(true);
      form->Action(row.action)->trigger();
      EXPECT_EQ(std::tuple(dialogs, target->GetValues(), window->UserDrawing()),
                std::tuple(0, 0, false));
    }
  }

  OpenNamed("other", Tens(0));
  idleLeaves(&Row::forOther);
  QTest::keyClick(form.get(), Qt::Key_S);  // Stop
  EXPECT_EQ(Samples(target->GetSound()->GetLeftWave()), Ramp(20, 0, 10));
  // The cut made before the recording is still one Undo away, and the recording one more.
  for (const int32_t count : {100, 20}) {
    ASSERT_TRUE(Command("Undo"));
    EXPECT_EQ(Samples(target->GetSound()->GetLeftWave()), Ramp(count, 0, 10));
  }
}

TEST_F(MainPlaybackTest, RecordIsRefusedForAWaveBeingDrawnIn) {
  OpenNamed("drawn", Tens(0));
  ASSERT_TRUE(Command("DrawWaveLin"));
  QAction* record = form->Action("FileRecord");
  QTest::keyClick(form.get(), Qt::Key_Shift);
  EXPECT_TRUE(QTest::qWaitFor([record] { return !record->isEnabled(); }, 10000));
  record->setEnabled(true);  // as for a key that came before the update
  record->trigger();
  EXPECT_EQ(std::tuple(RecordUnitWave, record->isChecked(), record->isEnabled(), player->Mode()),
            std::tuple(kNoWave, false, false, mpNotReady));
}

TEST_F(MainPlaybackTest, ADeviceFailureWhenNothingHoldsTheRecordingShowsOnlyThatItWasLost) {
  TUnitWave* target = OpenNamed("target", Tens(0));
  ASSERT_TRUE(Command("FileRecord"));
  player->recording = nullptr;
  std::filesystem::remove_all(TempDir), std::ofstream(TempDir) << "in the way";
  player->FailDevice();
  player->Deliver();
  const RecordedMessage lost{playertext::kRecordingLost, msgtext::kError, kMbOk | kMbIconWarning};
  EXPECT_EQ(sink.messages, std::vector<RecordedMessage>{lost});
  EXPECT_EQ(std::tuple(target->GetValues(), form->Action("FileRecord")->isChecked(),
                       RecordUnitWave),
            std::tuple(0, false, kNoWave));
  std::filesystem::remove(TempDir);
}

namespace {

// Play, Pause and Record checked, Stop enabled, a play waiting, Pause pressed, the recording's wave.
using Held = std::tuple<bool, bool, bool, bool, bool, bool, TUnitWave*>;
const Held kNothingHeld{false, false, false, false, false, false, nullptr};
Held HeldBy(TMainForm& form) {
  return {form.Action("FilePlay")->isChecked(), form.Action("FilePause")->isChecked(),
          form.Action("FileRecord")->isChecked(), form.Action("FileStop")->isEnabled(),
          PlayPending, PausePressed, RecordUnitWave};
}

}  // namespace

TEST_F(MainPlaybackTest, APlayOrRecordingThatCannotStartShowsOneBoxAndLeavesNothingPressed) {
  // The failed command's notice comes while the box shows, as its message loop hands it over.
  sink.whileShown = [this] { player->Deliver(); };
  player->failStart = true;
  const RecordedMessage failed{"player failed", msgtext::kError, kMbOk | kMbIconWarning};
  OpenNamed("tune", Tens(100));
  ASSERT_TRUE(Command("FilePlay"));
  EXPECT_EQ(std::pair(HeldBy(*form), sink.messages), std::pair(kNothingHeld, std::vector{failed}));
  // A play waiting for Pause fails as it starts.
  ASSERT_TRUE(Command("FilePause"));
  ASSERT_TRUE(Command("FilePlay"));
  ASSERT_TRUE(Command("FilePause"));
  EXPECT_EQ(std::pair(HeldBy(*form), sink.messages.size()), std::pair(kNothingHeld, size_t{2}));
  sink.messages.clear();
  OpenNamed("empty", Tens(0));
  ASSERT_TRUE(Command("FileRecord"));
  EXPECT_EQ(std::pair(HeldBy(*form), sink.messages), std::pair(kNothingHeld, std::vector{failed}));

  // The next play is released at its end.
  player->failStart = false;
  OpenNamed("again", Tens(100));
  ASSERT_TRUE(Command("FilePlay"));
  EXPECT_TRUE(form->Action("FilePlay")->isChecked());
  player->FinishPlay();
  player->Deliver();
  EXPECT_EQ(HeldBy(*form), kNothingHeld);
}

TEST_F(MainPlaybackTest, APausedPlayThatTheDeviceEndsEndsQuietlyAndReleasesPause) {
  OpenNamed("tune", Tens(100));
  ASSERT_TRUE(Command("FilePlay"));
  ASSERT_TRUE(Command("FilePause"));
  player->Deliver();  // the interrupted play's notice
  ASSERT_TRUE(form->Action("FilePause")->isChecked());
  player->FailDevice();
  player->Deliver();
  EXPECT_EQ(std::pair(HeldBy(*form), sink.messages.size()), std::pair(kNothingHeld, size_t{0}));
  // Play plays again, and Pause pauses it.
  ASSERT_TRUE(Command("FilePlay"));
  ASSERT_TRUE(Command("FilePause"));
  EXPECT_EQ(player->Mode(), mpPaused);
}

namespace {

// What the buttons and flags show, as words, and what the player does.
std::string Shows(TMainForm& form, const MediaPlayer& player) {
  std::string shown;
  const auto add = [&shown](bool on, const char* word) {
    if (on) shown += std::string(word) + " ";
  };
  add(form.Action("FilePlay")->isChecked(), "Play");
  add(form.Action("FilePause")->isChecked(), "Pause");
  add(form.Action("FileRecord")->isChecked(), "Record");
  add(form.Action("FileStop")->isEnabled(), "Stop");
  add(PlayPending, "PlayPending");
  add(RecordPending, "RecordPending");
  add(PausePressed, "PausePressed");
  add(RecordUnitWave != nullptr, "into");
  const std::map<TMPModes, const char*> modes = {{mpNotReady, "closed"},   {mpStopped, "open"},
                                                 {mpPlaying, "playing"},   {mpPaused, "paused"},
                                                 {mpRecording, "recording"}};
  return shown + modes.at(player.Mode());
}

}  // namespace

namespace {

// Drives the main window by the player's keys, the notices held back or delivered as the test says.
class PlaybackKeysTest : public MainPlaybackTest {
 protected:
  void Key(char key) {
    switch (key) {
      case 'P': Command("FilePlay"); break;
      case 'W': Command("FilePause"); break;
      case 'S': Command("FileStop"); break;
      case 'R': OpenNamed("empty", Tens(0)), Command("FileRecord"); break;
      // The music window's play and the dialogs' reach the player through the whole-sound play.
      case 'E': MainPlayWholeSound(*Tens(40)); break;
      case 'X': Command("FileClose"); break;
      case 'O': OpenNamed("other", Tens(30)); break;
      // What the player does by itself: the play reaches its end, the device fails.
      case 'f': player->FinishPlay(); break;
      case 'x': player->FailDevice(); break;
      // The notices so far arrive.
      case '.': player->Deliver(); break;
      default: ADD_FAILURE() << "no key " << key;
    }
  }
  // Each command as the message loop runs it: the notices it brings come before the next one.
  void Run(const std::string& keys) {
    for (const char key : keys) Key(key), player->Deliver();
  }
  // What waits starts, what is paused goes on, and all of it ends; then Play plays at once and is
  // released at its end, and the windows are closed for the next road.
  void RunToTheEndAndPlayOnce() {
    for (int step = 0; step < 4; ++step) {
      if (PlayPending || RecordPending || player->Mode() == mpPaused) {
        Run("W");
      } else if (player->Mode() == mpPlaying) {
        Run("f");
      } else if (player->Mode() == mpRecording) {
        Run("S");
      }
    }
    const bool armed = PausePressed;
    EXPECT_EQ(Shows(*form, *player), armed ? "Pause PausePressed closed" : "closed");
    Run(armed ? "OWP" : "OP");
    EXPECT_EQ(Shows(*form, *player), "Play Stop playing");
    Run("f");
    EXPECT_EQ(Shows(*form, *player), "closed");
    EXPECT_TRUE(sink.messages.empty()) << sink.messages.front().text;
    for (size_t open = form->MDIChildren().size(); open > 0; --open) {
      sink.replies = {kIdNo};  // a recording's wave asks to be saved
      form->GetActiveMDIChild()->close();
      QApplication::processEvents();
    }
    sink.messages.clear();
  }
};

}  // namespace

TEST_F(PlaybackKeysTest, EveryCommandFromAPausedArmedOrWaitingStateLeavesTheButtonsTellingWhatRuns) {
  const std::map<std::string, std::string> starts = {
      {"paused", "PW"}, {"armed", "W"}, {"play waiting", "WP"}, {"record waiting", "WR"}};
  struct Road { const char* from; char command; const char* shows; };
  const Road roads[] = {
      {"paused", 'P', "Play Stop playing"},
      {"paused", 'E', "Play Stop playing"},
      {"paused", 'R', "Record Stop into recording"},
      {"paused", 'S', "Pause PausePressed closed"},
      {"paused", 'W', "Play Stop playing"},
      {"paused", 'X', "Play Pause Stop paused"},
      {"paused", 'O', "Play Pause Stop paused"},
      {"armed", 'P', "Play Pause Stop PlayPending PausePressed open"},
      {"armed", 'E', "Play Pause Stop PlayPending PausePressed open"},
      {"armed", 'R', "Pause Record Stop RecordPending PausePressed into open"},
      {"armed", 'S', "Pause PausePressed closed"},
      {"armed", 'W', "closed"},
      {"armed", 'X', "Pause PausePressed closed"},
      {"play waiting", 'P', "Play Pause Stop PlayPending PausePressed open"},
      {"play waiting", 'E', "Play Pause Stop PlayPending PausePressed open"},
      {"play waiting", 'R', "Pause Record Stop RecordPending PausePressed into open"},
      {"play waiting", 'S', "Pause PausePressed closed"},
      {"play waiting", 'W', "Play Stop playing"},
      {"play waiting", 'O', "Play Pause Stop PlayPending PausePressed open"},
      {"record waiting", 'E', "Play Pause Stop PlayPending PausePressed open"},
      {"record waiting", 'R', "Pause Record Stop RecordPending PausePressed into open"},
      {"record waiting", 'S', "Pause PausePressed closed"},
      {"record waiting", 'W', "Record Stop into recording"},
      {"record waiting", 'X', "Pause PausePressed closed"},
  };
  player->recording = Tens(20);
  for (const Road& road : roads) {
    SCOPED_TRACE(testing::Message() << road.from << " then " << road.command);
    OpenNamed("tune", Tens(100));
    Run(starts.at(road.from));
    Run(std::string(1, road.command));
    EXPECT_EQ(Shows(*form, *player), road.shows);
    RunToTheEndAndPlayOnce();
  }
}

// Keys come faster than the notices when a long play's file is written: the notices of all that
// the keys replaced, stopped or paused arrive after the last key.
TEST_F(PlaybackKeysTest, ANoticeEndsOnlyThePlayItBelongsToHoweverManyKeysComeFirst) {
  struct Road { const char* keys; const char* shows; };
  const Road roads[] = {
      {"PPP", "Play Stop playing"},
      {"PWWP", "Play Stop playing"},
      {"PW.xP", "Play Stop playing"},
      {"PSWP", "Play Pause Stop PlayPending PausePressed open"},
      {"PSR", "Record Stop into recording"},
      {"ROP", "Play Stop playing"},
      {"PW.W", "Play Stop playing"},
      // A Pause pressed after the play ended, before its notice came, stays armed.
      {"P.fW", "Pause PausePressed closed"},
  };
  player->recording = Tens(20);
  for (const Road& road : roads) {
    SCOPED_TRACE(road.keys);
    OpenNamed("tune", Tens(100));
    for (const char* key = road.keys; *key != 0; ++key) Key(*key);
    player->Deliver();
    EXPECT_EQ(Shows(*form, *player), road.shows);
    RunToTheEndAndPlayOnce();
  }
}

TEST_F(MainPlaybackTest, APlayWhoseFileCannotBeWrittenReleasesThePlayItReplaced) {
  OpenNamed("tune", Tens(100));
  ASSERT_TRUE(Command("FilePlay"));
  std::filesystem::remove(TempPlayFile);
  std::filesystem::create_directory(TempPlayFile);  // in the way of the file
  ASSERT_TRUE(Command("FilePlay"));
  player->Deliver();
  EXPECT_EQ(Shows(*form, *player), "closed");
  EXPECT_FALSE(sink.messages.empty());  // the writer says why
  std::filesystem::remove(TempPlayFile);
}

TEST_F(MainPlaybackTest, ANoticeLeftOverFromAFailedPlayEndsNoRecording) {
  player->failStart = true;
  OpenNamed("tune", Tens(100));
  ASSERT_TRUE(Command("FilePlay"));  // its notice is still on its way
  player->failStart = false;
  OpenNamed("empty", Tens(0));
  ASSERT_TRUE(Command("FileRecord"));
  player->Deliver();
  EXPECT_EQ(Shows(*form, *player), "Record Stop into recording");
}
