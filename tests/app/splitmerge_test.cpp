// The split and merge commands with their dialogs: the new windows, their places, names and
// samples, what the merge dialogs offer and refuse, and a failed allocation on the way.
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTabWidget>
#include <functional>

#include "app/ChildWave.h"
#include "app/DMergeHor.h"
#include "app/DMergeVert.h"
#include "app/DSplitHor.h"
#include "app/WaveComboBox.h"
#include "app/fakes/main_window.h"
#include "foundation/global.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "support/recording_sink.h"
#include "wave/unitwave.h"

namespace {

std::vector<int16_t> Ramp(int32_t count, int step) {
  std::vector<int16_t> samples(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) samples[static_cast<size_t>(i)] = static_cast<int16_t>(i * step);
  return samples;
}

WavePtr WaveOf(const std::vector<int16_t>& samples) {
  bool abort = false;
  WavePtr wave = NewWaveChecked(abort, static_cast<int64_t>(samples.size()));
  std::copy(samples.begin(), samples.end(), wave->wave);
  return wave;
}

SoundPtr Mono(int32_t count, int32_t rate, uint16_t bytes = 2) {
  return std::make_unique<MonoSound>(WaveOf(Ramp(count, 1)), rate, bytes);
}

std::vector<int16_t> Samples(const Wave* wave) { return {wave->wave, wave->wave + wave->values}; }

class SplitMerge : public MainWindowTest {
 protected:
  SplitMerge() : MainWindowTest("splitmerge") {}

  // A modified named document in a window at `bounds`, made the active one.
  TMDIChildWave* Open(SoundPtr sound, const std::string& name, QRect bounds = {0, 0, 200, 100}) {
    auto unit = std::make_unique<TUnitWave>("x.wav", std::move(sound));
    unit->SetName(name);
    unit->SetModified();
    TMDIChildWave* window =
        form->CreateMDIChildWave(form->NextNoName(), std::move(unit), TWaveViewProps(), TVoldViewProps());
    window->setGeometry(bounds);
    return window;
  }
  std::vector<TMDIChildWave*> Windows() const {
    std::vector<TMDIChildWave*> windows;
    for (TMDIChildKorvalen* child : form->MDIChildren()) windows.push_back(dynamic_cast<TMDIChildWave*>(child));
    return windows;
  }
  void CloseAll() {
    for (TMDIChildWave* window : Windows()) delete window;
  }
  // Runs a command; `drive` plays the user in the dialog it shows, and the count of dialogs shown
  // is answered.
  int Run(void (TMainForm::*command)(), const std::function<void(QDialog&)>& drive = {}) {
    int shown = 0;
    ScopedModalRunner runner([&](QDialog& dialog) {
      ++shown;
      dialog.show();
      if (drive) drive(dialog);
      if (dialog.isVisible()) dialog.reject();
      return dialog.result();
    });
    (form.get()->*command)();
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
  const std::vector<int16_t> left = Ramp(400, 3), right = Ramp(400, -7);
  TMDIChildWave* source =
      Open(std::make_unique<StereoSound>(WaveOf(left), WaveOf(right), 22050, 2), "S", {10, 0, 300, 401});
  source->GetUnitWave()->SetSelRange(100, 200);
  source->SetScroll(50, 250);
  const double viewBegin = source->GetViewBegin(), viewEnd = source->GetViewEnd();
  ASSERT_NEAR(viewBegin, 50, 1);
  Run(&TMainForm::SplitVExecute);
  std::vector<TMDIChildWave*> windows = Windows();
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_TRUE(sink.messages.empty());  // the modified source closed without the save question
  // The upper window takes the left channel and the lower counter value.
  const QRect bounds[] = {{10, 0, 300, 199}, {10, 200, 300, 201}};
  const std::vector<int16_t>* channels[] = {&left, &right};
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    TUnitWave* part = windows[i]->GetUnitWave();
    EXPECT_EQ(windows[i]->windowTitle().toStdString(), "NONAME" + std::to_string(2 + i));
    EXPECT_EQ(windows[i]->geometry(), bounds[i]);
    EXPECT_EQ(Samples(part->GetSound()->GetLeftWave()), *channels[i]);
    EXPECT_EQ(std::make_pair(part->GetSelBegin(), part->GetSelEnd()), std::make_pair(100, 200));
    EXPECT_NE(windows[i]->IsZoomed(), 0);
    EXPECT_NEAR(windows[i]->GetViewBegin(), viewBegin, 1);
    EXPECT_NEAR(windows[i]->GetViewEnd(), viewEnd, 1);
    EXPECT_TRUE(part->IsNew());
    part->SetName(i == 0 ? "L" : "R");
  }
  EXPECT_EQ(Run(&TMainForm::MergeVExecute, Choose("L", "R")), 1);
  windows = Windows();
  ASSERT_EQ(windows.size(), 1u);
  const Sound* merged = windows[0]->GetUnitWave()->GetSound();
  EXPECT_EQ(Samples(merged->GetLeftWave()), left);
  EXPECT_EQ(Samples(merged->GetRightWave()), right);
  EXPECT_EQ(windows[0]->windowTitle().toStdString(), "NONAME4");
  EXPECT_EQ(windows[0]->geometry(), QRect(10, 0, 300, 402));
}

TEST_F(SplitMerge, AHorizontalSplitCutsAtTheCursorOrAroundTheSelectionAsChosen) {
  struct Case {
    int32_t moving, anchor;
    uint8_t result;
    std::vector<int32_t> firsts, counts;  // per piece: its first sample's value, its length
  } const cases[] = {{300, 300, 0, {0, 300}, {300, 701}},
                     {700, 300, 0, {0, 300, 700}, {300, 400, 301}},
                     {300, 700, 1, {0, 300}, {700, 701}},
                     {700, 300, 2, {0, 700}, {300, 301}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.moving * 10 + c.result);
    Open(Mono(1001, 22050), "", {10, 20, 500, 100})->GetUnitWave()->SetSelEnds(c.moving, c.anchor);
    const int shown = Run(&TMainForm::SplitHExecute, [&c](QDialog& dialog) {
      dynamic_cast<TDlgSplitHorProps&>(dialog).rgrResult->SetItemIndex(c.result);
      dynamic_cast<TDlgSplitHorProps&>(dialog).OKBtn->click();
    });
    EXPECT_EQ(shown, c.moving != c.anchor ? 1 : 0);
    const std::vector<TMDIChildWave*> windows = Windows();
    ASSERT_EQ(windows.size(), c.counts.size());
    for (size_t i = 0; i < windows.size(); ++i) {
      const Wave* wave = windows[i]->GetUnitWave()->GetSound()->GetLeftWave();
      EXPECT_EQ(wave->values, c.counts[i]);
      EXPECT_EQ(wave->wave[0], c.firsts[i]);
      // Each window starts at its cut's column, 10 + p * 500 / 1001, and ends where the next starts.
      const int left = 10 + c.firsts[i] * 500 / 1001;
      const int right = 10 + (c.firsts[i] + c.counts[i]) * 500 / 1001;
      EXPECT_EQ(windows[i]->geometry(), QRect(left, 20, right - left, 100));
    }
    CloseAll();
  }
  EXPECT_EQ(form->SplitHorProps.Result, 2);  // the last choice is kept for the next split
}

TEST_F(SplitMerge, AHorizontalMergeLaysItsWindowBetweenTheSourcesInTheChosenFormat) {
  Open(Mono(100, 22050), "a", {0, 0, 200, 100});
  Open(std::make_unique<StereoSound>(WaveOf(Ramp(400, 1)), WaveOf(Ramp(400, 1)), 44100, 1), "b",
       {300, 50, 200, 100});
  Run(&TMainForm::MergeHExecute, Choose("a", "b"));
  const std::vector<TMDIChildWave*> windows = Windows();
  ASSERT_EQ(windows.size(), 1u);
  const TUnitWave* merged = windows[0]->GetUnitWave();
  // The offered choice is the richer one: stereo, 44 kHz, 16 bits.
  EXPECT_EQ(merged->GetChannels(), 2);
  EXPECT_EQ(merged->GetSamplesPerSec(), 44100u);
  EXPECT_EQ(merged->GetBytesPerSample(), 2);
  EXPECT_EQ(merged->GetValues(), 600);
  EXPECT_EQ(windows[0]->geometry(), QRect(50, 25, 401, 100));
}

TEST_F(SplitMerge, TheMergeDialogShowsOnlyWhatDiffersAndPreselectsTheHigherRate) {
  struct Case {
    int32_t rateA, rateB;
    int16_t channelsB, bytesB;
    std::vector<bool> pages;  // mono/stereo, frequency, bits, display
    std::string rateTextA;
    int rateRow;
  } const cases[] = {{11025, 44100, 2, 1, {true, true, true, false}, "11 kHz", 3},
                     {8000, 5512, 1, 2, {false, true, false, false}, "8 kHz", 0},
                     {22050, 22050, 1, 2, {false, false, false, false}, "", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rateB);
    Open(Mono(10, c.rateA), "a");
    SoundPtr b = c.channelsB == 1 ? Mono(10, c.rateB, c.bytesB)
                                  : SoundPtr(std::make_unique<StereoSound>(WaveOf(Ramp(10, 1)), WaveOf(Ramp(10, 1)),
                                                                           c.rateB, c.bytesB));
    Open(std::move(b), "b");
    TDlgMergeHorProps dialog(form.get(), TMergeHorProps());
    ScopedModalRunner runner([&](QDialog&) {
      dialog.show();
      EXPECT_FALSE(dialog.OKBtn->isEnabled());  // nothing chosen by the user yet
      Choose("a", "b")(dialog);
      return dialog.result();
    });
    ASSERT_EQ(dialog.ShowModal(), QDialog::Accepted);
    const std::vector<bool> pages = {dialog.PageVisible(dialog.tsMonoStereo), dialog.PageVisible(dialog.tsFrequency),
                                     dialog.PageVisible(dialog.tsBits), dialog.PageVisible(dialog.tsDisplay)};
    EXPECT_EQ(pages, c.pages);
    if (c.pages[1]) {
      EXPECT_EQ(dialog.editFreqFirst->text().toStdString(), c.rateTextA);
      EXPECT_EQ(dialog.lbFreq->currentRow(), c.rateRow);
    }
    const TMergeHorProps props = dialog.GetProps();
    EXPECT_EQ(props.MonoStereo, c.pages[0] ? 2 : 1);
    EXPECT_EQ(props.Frequency, c.rateRow >= 0 ? kMergeRates[static_cast<size_t>(c.rateRow)].hertz : c.rateA);
    EXPECT_EQ(props.BytesPSample, 2);
    CloseAll();
  }
}

TEST_F(SplitMerge, TheMergeDialogRefusesTheSameWaveTwiceAnEmptyWaveOrNoChoice) {
  Open(Mono(10, 22050), "a");
  Open(Mono(10, 22050), "");  // not listed
  Open(std::make_unique<MonoSound>(22050, 2), "empty");
  struct Case {
    const char* one;
    const char* other;
    const char* message;
  } const cases[] = {{"a", "a", "The chosen Waves must be different"},
                     {"a", "empty", "The chosen Waves must not be empty"},
                     {"a", "", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.other);
    sink.messages.clear();
    TDlgMergeVertProps dialog(form.get(), TMergeVertProps());
    ScopedModalRunner runner([&](QDialog&) {
      dialog.show();
      EXPECT_EQ(dialog.cboLeft->count(), 2);
      Choose(c.one, c.other)(dialog);  // the press on a disabled OK does nothing
      const bool open = dialog.isVisible();
      dialog.reject();
      return open ? -1 : dialog.result();
    });
    EXPECT_EQ(dialog.ShowModal(), -1);
    EXPECT_FALSE(dialog.OKBtn->isEnabled());
    ASSERT_EQ(sink.messages.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(sink.messages[0].text, c.message);
    }
  }
}

TEST_F(SplitMerge, AFailedAllocationLeavesEverySourceOpenAndUnchanged) {
  struct Case {
    const char* name;
    void (TMainForm::*command)();
  } const cases[] = {{"split", &TMainForm::SplitHExecute},
                     {"merge in turn", &TMainForm::MergeHExecute},
                     {"merge side by side", &TMainForm::MergeVExecute}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(Mono(3000, 22050), "a");
    Open(Mono(1000, 22050), "b")->GetUnitWave()->SetCursor(500);
    const int32_t counter = form->NoNameCounter;
    sink.messages.clear();
    {
      // Room for about one second of the three thousand samples.
      ScopedSampleBudget budget(SampleBytesInUse() + 1200);
      Run(c.command, Choose("a", "b"));
    }
    const std::vector<TMDIChildWave*> windows = Windows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(form->NoNameCounter, counter);
    EXPECT_EQ(Samples(windows[0]->GetUnitWave()->GetSound()->GetLeftWave()), Ramp(3000, 1));
    EXPECT_EQ(Samples(windows[1]->GetUnitWave()->GetSound()->GetLeftWave()), Ramp(1000, 1));
    EXPECT_EQ(sink.messages.size(), 1u);  // the engine's out-of-memory box
    CloseAll();
  }
}
