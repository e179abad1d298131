// The split and merge commands with their dialogs: the new windows, their places, names and
// samples, what the merge dialogs offer and refuse, and a failed allocation on the way.
#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/wavewindow/ChildWave.h"
#include "app/DMergeHor.h"
#include "app/DMergeVert.h"
#include "app/dialogs/DSplitHor.h"
#include "app/dialogs/WaveComboBox.h"
#include "app/fakes/fake_player.h"
#include "app/fakes/main_window.h"
#include "foundation/global.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "support/recording_sink.h"
#include "wave/sound_helpers.h"

namespace {

std::vector<int16_t> LeftOf(const TMDIChildWave* window) {
  return Samples(window->GetUnitWave()->GetSound()->GetLeftWave());
}

class SplitMerge : public MainWindowTest {
 protected:
  SplitMerge() : MainWindowTest("splitmerge") {}

  // A modified named document in a window at `bounds`, made the active one.
  TMDIChildWave* Open(SoundPtr sound, const std::string& name, QRect bounds = {0, 0, 200, 100}) {
    auto unit = std::make_unique<TUnitWave>("x.wav", std::move(sound));
    unit->SetName(name);
    unit->SetModified();
    TMDIChildWave* window = form->CreateMDIChildWave(form->NextNoName(), std::move(unit),
                                                     TWaveViewProps(), TVoldViewProps());
    window->setGeometry(bounds);
    return window;
  }
  std::vector<TMDIChildWave*> Windows() const {
    std::vector<TMDIChildWave*> windows;
    for (auto* child : form->MDIChildren()) windows.push_back(dynamic_cast<TMDIChildWave*>(child));
    return windows;
  }
  void CloseAll() { for (TMDIChildWave* window : Windows()) delete window; }
  // Runs a command, `drive` playing the user in its dialog; answers how many dialogs it showed.
  // Presses the key of the command's action, enabled as the idle update leaves it.
  int Run(const char* command, const std::function<void(QDialog&)>& drive = {}) {
    int shown = 0;
    ScopedModalRunner runner([&](QDialog& dialog) {
      ++shown;
      dialog.show();
      if (drive) drive(dialog);
      if (dialog.isVisible()) dialog.reject();
      return dialog.result();
    });
    form->ActionList1Update();
    QAction* action = form->Action(command);
    EXPECT_TRUE(action->isEnabled()) << command;
    QTest::keySequence(form.get(), action->shortcut());
    return shown;
  }
  // Chooses the two waves of a merge dialog and presses OK.
  static std::function<void(QDialog&)> Choose(const char* one, const char* other) {
    return [one, other](QDialog& shown) {
      auto& dialog = dynamic_cast<TMergeDlg&>(shown);
      auto boxes = dialog.findChildren<TWaveComboBox*>();
      boxes[0]->setCurrentIndex(boxes[0]->findText(one));
      boxes[1]->setCurrentIndex(boxes[1]->findText(other));
      dialog.OKBtn->click();
    };
  }

  RecordingSink sink;
};

}  // namespace

TEST_F(SplitMerge, AStereoWaveSplitIntoItsChannelsAndMergedBackKeepsItsSamples) {
  form->resize(800, 800);  // room for the merged window's 402 pixels below the wave's tool bars
  const std::vector<int16_t> left = Ramp(400, 0, 3), right = Ramp(400, 0, -7);
  TMDIChildWave* source = Open(StereoOf(left, right, 22050), "S", {10, 0, 300, 401});
  source->GetUnitWave()->SetSelRange(100, 200);
  Run("SplitV");
  std::vector<TMDIChildWave*> windows = Windows();
  // The modified source closed without the save question.
  ASSERT_EQ(std::pair(windows.size(), sink.messages.empty()), std::pair(size_t{2}, true));
  // The upper window takes the left channel and the lower counter value.
  const QRect bounds[] = {{10, 0, 300, 199}, {10, 200, 300, 201}};
  const std::vector<int16_t>* channels[] = {&left, &right};
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    TUnitWave* part = windows[i]->GetUnitWave();
    EXPECT_EQ(
        std::tuple(windows[i]->windowTitle().toStdString(), windows[i]->geometry(),
                   LeftOf(windows[i]), part->GetSelBegin(), part->GetSelEnd(), part->IsNew()),
        std::tuple("NONAME" + std::to_string(2 + i), bounds[i], *channels[i], 100, 200, true));
    part->SetName(i == 0 ? "L" : "R");
  }
  EXPECT_EQ(Run("MergeV", Choose("L", "R")), 1);
  windows = Windows();
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(std::pair(Channels(*windows[0]->GetUnitWave()->GetSound()), windows[0]->geometry()),
            std::pair(std::vector<Samples16>{left, right}, QRect(10, 0, 300, 402)));
}

TEST_F(SplitMerge, AHorizontalSplitCutsAtTheCursorOrAroundTheSelectionAsChosen) {
  // Per piece: its first sample's value, its length.
  struct Case { int32_t moving, anchor; uint8_t result; std::vector<int32_t> firsts, counts; };
  const Case cases[] = {{300, 300, 0, {0, 300}, {300, 701}},
                        {700, 300, 0, {0, 300, 700}, {300, 400, 301}},
                        {300, 700, 1, {0, 300}, {700, 701}},
                        {700, 300, 2, {0, 700}, {300, 301}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.moving * 10 + c.result);
    Open(MonoOf(Ramp(1001, 0, 1), 22050), "", {10, 20, 500, 100})
        ->GetUnitWave()
        ->SetSelEnds(c.moving, c.anchor);
    const int shown = Run("SplitH", [&c](QDialog& dialog) {
      dynamic_cast<TDlgSplitHorProps&>(dialog).rgrResult->SetItemIndex(c.result);
      dynamic_cast<TDlgSplitHorProps&>(dialog).OKBtn->click();
    });
    EXPECT_EQ(shown, c.moving != c.anchor ? 1 : 0);
    const std::vector<TMDIChildWave*> windows = Windows();
    ASSERT_EQ(windows.size(), c.counts.size());
    for (size_t i = 0; i < windows.size(); ++i) {
      const std::vector<int16_t> piece = LeftOf(windows[i]);
      EXPECT_EQ(std::pair(piece.size(), piece[0]),
                std::pair(static_cast<size_t>(c.counts[i]), int16_t(c.firsts[i])));
      // From its first cut's column, 10 + p * 500 / 1001, to its last one's.
      const int left = 10 + c.firsts[i] * 500 / 1001;
      const int right = 10 + (c.firsts[i] + c.counts[i]) * 500 / 1001;
      EXPECT_EQ(windows[i]->geometry(), QRect(left, 20, right - left, 100));
    }
    CloseAll();
  }
  EXPECT_EQ(form->SplitHorProps.Result, 2);  // the last choice is kept for the next split
}

TEST_F(SplitMerge, AHorizontalMergeOffersWhatDiffersAndLaysItsWindowBetweenTheSources) {
  // Pages: mono/stereo, frequency, bits, display; the rate preselected, or the first one's.
  struct Case { int32_t rateA, rateB; int16_t channelsB, bytesB; std::vector<bool> pages;
                const char* rateTextA; int32_t rate; };
  const Case cases[] = {{11025, 44100, 2, 1, {true, true, true, false}, "11 kHz", 44100},
                        {8000, 5512, 1, 2, {false, true, false, false}, "8 kHz", 5512},
                        {22050, 22050, 1, 2, {false, false, false, false}, "", 22050}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rateB);
    Open(MonoOf(Ramp(100, 0, 1), c.rateA), "a", {0, 0, 200, 100});
    SoundPtr b = c.channelsB == 1 ? MonoOf(Ramp(100, 0, 1), c.rateB)
                                  : StereoOf(Ramp(100, 0, 1), Ramp(100, 0, 1), c.rateB);
    b->BytesPerSample = static_cast<uint16_t>(c.bytesB);
    Open(std::move(b), "b", {300, 50, 200, 100});
    Run("MergeH", [&c](QDialog& shown) {
      auto& dialog = dynamic_cast<TDlgMergeHorProps&>(shown);
      Choose("a", "b")(dialog);
      const std::vector<bool> pages = {
          dialog.PageVisible(dialog.tsMonoStereo), dialog.PageVisible(dialog.tsFrequency),
          dialog.PageVisible(dialog.tsBits), dialog.PageVisible(dialog.tsDisplay)};
      EXPECT_EQ(pages, c.pages);
      EXPECT_EQ(dialog.editFreqFirst->text().toStdString(), c.rateTextA);
    });
    const std::vector<TMDIChildWave*> windows = Windows();
    ASSERT_EQ(windows.size(), 1u);
    const TUnitWave* merged = windows[0]->GetUnitWave();
    EXPECT_EQ(
        std::tuple(merged->GetChannels(), merged->GetSamplesPerSec(), merged->GetBytesPerSample(),
                   windows[0]->geometry()),
        std::tuple(c.pages[0] ? 2 : 1, static_cast<uint32_t>(c.rate), 2, QRect(50, 25, 401, 100)));
    CloseAll();
  }
}

TEST_F(SplitMerge, TheMergeDialogRefusesTheSameWaveTwiceOrNoChoice) {
  Open(MonoOf(Ramp(10, 0, 1), 22050), "a");
  Open(MonoOf(Ramp(10, 0, 1), 22050), "");  // not listed
  Open(std::make_unique<MonoSound>(22050, 2), "empty");
  const std::pair<const char*, const char*> cases[] = {
      {"a", "The chosen Waves must be different"}, {"", ""}};
  for (const auto& [other, message] : cases) {
    SCOPED_TRACE(other);
    sink.messages.clear();
    Run("MergeV", [other](QDialog& shown) {
      auto& dialog = dynamic_cast<TDlgMergeVertProps&>(shown);
      EXPECT_EQ(dialog.cboLeft->count(), 2);
      Choose("a", other)(dialog);  // a press on the disabled OK does nothing
      EXPECT_FALSE(dialog.OKBtn->isEnabled());
    });
    EXPECT_EQ(std::pair(Windows().size(), sink.messages.empty() ? "" : sink.messages[0].text),
              std::pair(size_t{3}, std::string(message)));
  }
}

TEST_F(SplitMerge, AnEmptyWaveMergesAsAnEmptyChannelOrNothingBeforeOrAfter) {
  // The first (left) and the last (right) of "a" (100 samples of 5), the empty mono "e" and the
  // empty stereo "e2", the way to equal lengths, and what each channel of the result holds.
  struct Case { bool vertical; const char* one; const char* other; int kind;
                Samples16 left, right; };
  const Samples16 fives(100, 5), zeros(100, 0);
  const Case cases[] = {{true, "a", "e", 0, fives, zeros},  {true, "e", "a", 1, zeros, fives},
                        {true, "a", "e", 2, fives, zeros},  {true, "e", "a", 3, {}, {}},
                        {false, "e", "a", 0, fives, fives}, {false, "a", "e2", 0, fives, fives},
                        {false, "e", "e2", 0, {}, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.one) + c.other + std::to_string(c.kind));
    Open(MonoOf(fives, 22050), "a");
    Open(std::make_unique<MonoSound>(22050, 2), "e");
    Open(std::make_unique<StereoSound>(22050, 2), "e2");
    Run(c.vertical ? "MergeV" : "MergeH", [&c](QDialog& shown) {
      if (auto* vertical = dynamic_cast<TDlgMergeVertProps*>(&shown)) {
        vertical->cboLeft->setCurrentIndex(vertical->cboLeft->findText(c.one));
        vertical->cboRight->setCurrentIndex(vertical->cboRight->findText(c.other));
        vertical->rgrMakeLengthsEqual->SetItemIndex(c.kind);
        vertical->OKBtn->click();
      } else {
        Choose(c.one, c.other)(shown);
      }
    });
    const std::vector<TMDIChildWave*> windows = Windows();
    ASSERT_EQ(windows.size(), 2u);
    const Sound& merged = *windows[1]->GetUnitWave()->GetSound();
    EXPECT_EQ(
        std::tuple(merged.MoSt, Samples(merged.GetLeftWave()), Samples(merged.GetRightWave())),
        std::tuple(c.vertical || c.other[1] ? 2 : 1, c.left, c.right));
    CloseAll();
  }
}

TEST_F(SplitMerge, MergesTakeTheSourcesOwnSamplesOverAndFreeEachBufferOnce) {
  // 0 "a", 1 "b": the source whose buffer each channel of the result is.
  struct Case { const char* command; int32_t countA, countB; int left, right; };
  constexpr int32_t kLong = 1 << 20;
  const Case cases[] = {{"MergeV", kLong, kLong, 0, 1}, {"MergeH", kLong, 0, 0, 0}, {"MergeH", 0, kLong, 1, 1}};
  const int64_t start = SampleBytesInUse();
  const std::string file = scratch + "/merged.wav";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.countA);
    TUnitWave* sources[] = {Open(MonoOf(Ramp(c.countA, 0, 3), 22050), "a")->GetUnitWave(),
                            Open(MonoOf(Ramp(c.countB, 0, 7), 22050), "b")->GetUnitWave()};
    const int16_t* buffers[] = {sources[0]->GetSound()->GetLeftWave()->wave,
                                sources[1]->GetSound()->GetLeftWave()->wave};
    // The undo record shares the sound that moves: it must go with its document, not free it.
    // The clipboard's copy stays its own.
    form->PushUndo(*sources[c.left]);
    ASSERT_TRUE(sources[c.left]->CopyToClipboard(0, kLong));
    Run(c.command, Choose("a", "b"));
    ASSERT_EQ(Windows().size(), 1u);
    TUnitWave* merged = Windows()[0]->GetUnitWave();
    EXPECT_EQ(std::tuple(merged->GetSound()->GetLeftWave()->wave,
                         merged->GetSound()->GetRightWave()->wave, form->UndoUnit.Exists()),
              std::tuple(buffers[c.left], buffers[c.right], false));
    form->PushUndo(*merged);
    EXPECT_TRUE(merged->MakeSilence(TSilenceProps()));
    form->UndoUnit.Restore();
    EXPECT_TRUE(merged->SaveToFile(file, false));
    CloseAll();
    EXPECT_EQ(form->GetClipBoardSound()->GetValues(), kLong);
    form->ClearClipBoardSound();
    EXPECT_EQ(SampleBytesInUse(), start);
  }
}

TEST_F(SplitMerge, AFailedAllocationLeavesEverySourceOpenAndUnchanged) {
  int step = 0;  // split, merge in turn, merge side by side
  for (const char* command : {"SplitH", "MergeH", "MergeV"}) {
    SCOPED_TRACE(step++);
    Open(MonoOf(Ramp(3000, 0, 1), 22050), "a");
    Open(MonoOf(Ramp(1000, 0, 1), 22050), "b")->GetUnitWave()->SetCursor(500);
    const int32_t counter = form->NoNameCounter;
    sink.messages.clear();
    {
      // Room for 600 samples: less than any of the results needs.
      ScopedSampleBudget budget(SampleBytesInUse() + 1200);
      Run(command, Choose("a", "b"));
    }
    const std::vector<TMDIChildWave*> windows = Windows();
    ASSERT_EQ(windows.size(), 2u);
    // One box: the engine's out of memory.
    EXPECT_EQ(std::tuple(form->NoNameCounter, LeftOf(windows[0]), LeftOf(windows[1]),
                         sink.messages.size()),
              std::tuple(counter, Ramp(3000), Ramp(1000), size_t{1}));
    CloseAll();
  }
}

TEST_F(SplitMerge, SplitsOfAMaximisedWindowStayInTheAreaAndMergesOfTiledWindowsTakeTheirWholeRectangle) {
  Open(MonoOf(Ramp(1000, 0, 1), 22050), "")->GetUnitWave()->SetCursor(400);
  form->ActionList1Update();  // the wave's tool bars take their room before the area is measured
  Windows()[0]->showMaximized();
  QRect room = Windows()[0]->geometry();
  Run("SplitH");
  std::vector<TMDIChildWave*> windows = Windows();
  ASSERT_EQ(windows.size(), 2u);
  const int cut = 400 * room.width() / 1000;
  const QRect halves[] = {{0, 0, cut, room.height()}, {cut, 0, room.width() - cut, room.height()}};
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(
        std::tuple(windows[i]->isMaximized(), windows[i]->isVisible(), windows[i]->geometry()),
        std::tuple(false, true, halves[i]));
    windows[i]->GetUnitWave()->SetName(i == 0 ? "a" : "b");
  }
  // Tiled one above the other, the merge in turn reaches past both sides; side by side, the merge
  // of channels past top and bottom. The result keeps its whole rectangle, and the area's scroll
  // bar along that side reaches it.
  int step = 0;
  for (const char* command : {"MergeH", "MergeV"}) {
    SCOPED_TRACE(step);
    if (step == 1) {
      Open(MonoOf(Ramp(10, 0, 1), 22050), "a");
      Open(MonoOf(Ramp(10, 0, 1), 22050), "b");
    }
    QTest::keyClick(form.get(), Qt::Key_F4, step == 0 ? Qt::NoModifier : Qt::ShiftModifier);  // tile
    room = form->MdiArea()->viewport()->rect();
    const int w = room.width(), h = room.height();
    const QRect merged[] = {QRect(QPoint(-(w / 2), h / 2 / 2), QPoint(w + w / 2, (h / 2 + h) / 2 - 1)),
                            QRect(QPoint(w / 2 / 2, -(h / 2)), QPoint((w / 2 + w) / 2 - 1, h + h / 2))};
    Run(command, Choose("a", "b"));
    windows = Windows();
    ASSERT_EQ(windows.size(), 1u);
    QApplication::processEvents();  // the area lays out its scroll bars
    const QMdiArea& area = *form->MdiArea();
    EXPECT_EQ(std::tuple(windows[0]->geometry(), area.horizontalScrollBar()->isVisible(),
                         area.verticalScrollBar()->isVisible()),
              std::tuple(merged[step], step == 0, step == 1));
    ++step;
    CloseAll();
    QApplication::processEvents();
    QApplication::setActiveWindow(form.get());  // the processed events left no window active
  }
}

TEST_F(SplitMerge, ASplitOrMergeOfTheWaveBeingRecordedIntoTakesTheRecording) {
  // Recording into the empty "r" (mono, stereo for the split) beside "b" and "c"; what every
  // window holds afterwards, each channel in turn, and whether the recording went on (into a
  // wave that is no source) until Stop.
  const Samples16 left = Ramp(50, 0, 5), right = Ramp(50, 0, -5), b = Ramp(50, 1000, -3),
                  c = Ramp(20, -900, 7);
  const auto joined = [](Samples16 first, const Samples16& last) {
    first.insert(first.end(), last.begin(), last.end());
    return first;
  };
  struct Case {
    const char* command;
    const char *one, *other;
    std::vector<std::vector<Samples16>> windows;
    bool goesOn;
  };
  const Case cases[] = {
      {"SplitV", "", "", {{b}, {c}, {left}, {right}}, false},
      {"MergeH", "r", "b", {{c}, {joined(left, b)}}, false},
      {"MergeV", "b", "r", {{c}, {b, left}}, false},
      {"MergeH", "b", "c", {{left}, {joined(b, c)}}, true},
  };
  auto fake = std::make_unique<FakePlayer>();
  FakePlayer& player = *fake;
  form->SetAudioPlayer(std::move(fake));
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.command) + k.one + k.other);
    const bool stereo = std::string(k.command) == "SplitV";
    Open(MonoOf(b), "b");
    Open(MonoOf(c), "c");
    TUnitWave* recorded = Open(stereo ? SoundPtr(std::make_unique<StereoSound>(22050, 2))
                                      : SoundPtr(std::make_unique<MonoSound>(22050, 2)),
                               "r")->GetUnitWave();
    Run("FileRecord");
    ASSERT_EQ(RecordUnitWave, recorded);
    player.recording = stereo ? StereoOf(left, right) : MonoOf(left);
    Run(k.command, Choose(k.one, k.other));
    EXPECT_EQ(RecordUnitWave == recorded, k.goesOn);
    if (k.goesOn) Run("FileStop");
    std::vector<std::vector<Samples16>> held;
    for (TMDIChildWave* window : Windows()) {
      held.push_back(Channels(*window->GetUnitWave()->GetSound()));
    }
    EXPECT_EQ(held, k.windows);
    EXPECT_EQ(std::pair(RecordUnitWave, form->Action("FileRecord")->isChecked()),
              std::pair(static_cast<TUnitWave*>(nullptr), false));
    CloseAll();
  }
}
