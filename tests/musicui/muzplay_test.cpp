// Play of a music document through the real main window, music window, player and audio server.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <tuple>
#include <vector>

#include "app/Player.h"
#include "app/fakes/fake_player.h"
#include "app/wavewindow/ChildWave.h"
#include "audio/audio_support.h"
#include "gui/cursors.h"
#include "music/render.h"
#include "muzwindow_fixture.h"
#include "wave/props.h"
#include "wave/unitwave.h"
#include "wave/wavefile.h"

namespace {

std::vector<int16_t> Samples(const Sound& sound) {
  const Wave* wave = sound.GetLeftWave();
  return wave == nullptr ? std::vector<int16_t>{} : std::vector<int16_t>(wave->wave, wave->wave + wave->values);
}

// A sink that also notes the cursor each message shows with.
struct CursorAtMessage : MessageSink {
  CursorAtMessage() : previous(SetMessageSink(this)) {}
  ~CursorAtMessage() override { SetMessageSink(previous); }
  int ShowMessage(const std::string& text, const std::string& caption, int flags) override {
    cursors.push_back(ScreenCursor());
    return previous->ShowMessage(text, caption, flags);
  }
  MessageSink* previous;
  std::vector<TCursor> cursors;
};

// Composed by mouse, played with P: with no sample wave the render's message shows (with the
// normal cursor) and nothing plays; with one, the play file holds exactly what Generate makes.
TEST_F(MuzWindowTest, PlayOfAMusicDocumentPlaysWhatGenerateMakes) {
  if (!AudioAvailable()) GTEST_SKIP() << kNoAudioHelp;
  TMDIChildMuz* window = ComposeNew();
  ASSERT_NE(window, nullptr);

  CursorAtMessage cursors;
  Trigger("FilePlay");
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text.rfind(rendertext::kCannotCreateMusic, 0), 0u) << sink.messages[0].text;
  EXPECT_EQ(cursors.cursors, std::vector<TCursor>{crDefault});
  EXPECT_EQ(ScreenCursor(), crDefault);
  EXPECT_FALSE(form->Action("FilePlay")->isChecked());
  EXPECT_FALSE(std::filesystem::exists(TempPlayFile));

  auto sample = std::make_unique<TUnitWave>("sample.wav", waveFileProps(1, 22050, 2));
  sample->SetName("sample");
  ASSERT_TRUE(sample->MakeSinus(TSinusProps{}));
  form->CreateMDIChildWave("sample.wav", std::move(sample), form->WaveViewDefaults, form->VoldViewDefaults);
  form->MdiArea()->setActiveSubWindow(window);
  sink.messages.clear();
  Trigger("FilePlay");
  EXPECT_TRUE(sink.messages.empty()) << sink.messages[0].text;
  EXPECT_TRUE(form->Action("FilePlay")->isChecked());
  EXPECT_EQ(form->MDIChildren().size(), 2u) << "Play made a document";
  SoundPtr played;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(TempPlayFile, played, status)) << status;
  Trigger("FileStop");

  Trigger("MusicGenerate");
  auto* generated = dynamic_cast<TMDIChildWave*>(form->GetActiveMDIChild());
  ASSERT_NE(generated, nullptr);
  const Sound& made = *generated->GetUnitWave()->GetSound();
  EXPECT_GT(made.GetValues(), 1000);
  EXPECT_EQ(std::tuple(played->MoSt, played->Freq), std::tuple(made.MoSt, made.Freq));
  EXPECT_EQ(Samples(*played), Samples(made));
}

// Play in a music window whose render fails (no sample wave) starts no play, so the recording
// running in a wave window goes on.
TEST_F(MuzWindowTest, AMusicPlayThatCannotStartLeavesTheRecordingRunning) {
  auto fake = std::make_unique<FakePlayer>();
  const FakePlayer& player = *fake;
  form->SetAudioPlayer(std::move(fake));
  auto empty = std::make_unique<TUnitWave>("take.wav", waveFileProps(1, 22050, 2));
  TUnitWave* take = empty.get();
  form->CreateMDIChildWave("take.wav", std::move(empty), form->WaveViewDefaults, form->VoldViewDefaults);
  Trigger("FileRecord");
  ASSERT_EQ(std::pair(RecordUnitWave, player.Mode()), std::pair(take, mpRecording));
  ASSERT_NE(ComposeNew(), nullptr);
  Trigger("FilePlay");
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text.rfind(rendertext::kCannotCreateMusic, 0), 0u) << sink.messages[0].text;
  EXPECT_EQ(std::tuple(RecordUnitWave, player.Mode(), form->Action("FileRecord")->isChecked()),
            std::tuple(take, mpRecording, true));
  Trigger("FileStop");
  EXPECT_EQ(RecordUnitWave, nullptr);
}

// The Music menu, shown only for a music document, is reached by keyboard like the others: by its
// letter or with the arrows from the open menu bar; a submenu's letter opens that, and an item's
// letter runs its command.
TEST_F(MuzWindowTest, TheMusicMenuIsReachedByKeyboard) {
  ASSERT_NE(ComposeNew(), nullptr);
  QApplication::processEvents();
  form->ActionList1Update();
  QSignalSpy quarter(form->Action("MusicNote4"), &QAction::triggered);
  const auto open = [] {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return popup != nullptr ? popup->title().toStdString() : std::string();
  };
  QTest::keyClick(form.get(), Qt::Key_F10);
  EXPECT_EQ(open(), "&File");
  for (int i = 0; i < 2; ++i) QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
  ASSERT_EQ(open(), "Mus&ic");
  QTest::keyClick(QApplication::activePopupWidget(), 'n');
  ASSERT_EQ(open(), "&Note");
  QTest::keyClick(QApplication::activePopupWidget(), '4');
  EXPECT_EQ(quarter.count(), 1);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  QTest::keyClick(form.get(), Qt::Key_I, Qt::AltModifier);
  EXPECT_EQ(open(), "Mus&ic");
}

}  // namespace
