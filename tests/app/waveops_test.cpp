// The wave-operation commands of the main window: the dialog road with its record flow, undo
// record, modified mark and hourglass, the commands without a dialog, Copy and Clear Clipboard,
// the view switches and zoom. Every result is checked against the document operation run
// directly on a twin of the document.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "app/ChildWave.h"
#include "app/DCommon.h"
#include "app/fakes/main_window.h"
#include "foundation/random.h"
#include "gui/application.h"
#include "support/recording_sink.h"
#include "wave/fakes/recording_view.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

constexpr int32_t kValues = 4410;  // a tenth of a second

// A saw with a step in it, so that reversing, cutting and maximising all show.
SoundPtr Saw(int32_t values, int16_t step = 37) {
  bool abort = false;
  WavePtr wave = NewWaveChecked(abort, values);
  for (int32_t i = 0; i < values; ++i) wave->wave[i] = static_cast<int16_t>((i * step) % 4000 - 2000);
  return std::make_unique<MonoSound>(std::move(wave), 44100, 2);
}

std::vector<int16_t> Samples(const Sound* sound) {
  if (sound == nullptr) return {};
  const Wave* wave = sound->GetLeftWave();
  return std::vector<int16_t>(wave->wave, wave->wave + wave->values);
}

// The user's part in a dialog: `drive` plays it; a dialog left open is cancelled.
class ScriptedDialogs {
 public:
  explicit ScriptedDialogs(std::function<void(TDialogForm&)> drive)
      : runner_([this, drive](QDialog& shown) {
          captions.push_back(shown.windowTitle().toStdString());
          shown.show();
          drive(static_cast<TDialogForm&>(shown));
          if (shown.isVisible()) shown.reject();
          return shown.result();
        }) {}
  std::vector<std::string> captions;

 private:
  ScopedModalRunner runner_;
};

void Type(TDialogForm& dialog, const char* control, const char* text) {
  auto* edit = dialog.findChild<QLineEdit*>(control);
  ASSERT_NE(edit, nullptr) << control;
  edit->setText(text);
}

void Press(TDialogForm& dialog, const char* button) {
  dialog.findChild<QPushButton*>(button)->click();
}

class WaveOps : public MainWindowTest {
 protected:
  WaveOps() : MainWindowTest("waveops") {}

  // A saved document shown in a new window, with [100, 300) selected; a twin outside the main
  // window has the same sound and selection.
  void Open() {
    auto unit = std::make_unique<TUnitWave>("", Saw(kValues));
    doc = unit.get();
    window = form->CreateMDIChildWave("doc", std::move(unit), TWaveViewProps(), TVoldViewProps());
    doc->SetSelRange(100, 300);
    twin = std::make_unique<TUnitWave>("", Saw(kValues));
    twin->SetSelRange(100, 300);
    form->DeleteUndo();
  }
  void Trigger(const char* action) {
    form->Action(action)->setEnabled(true);
    form->Action(action)->trigger();
  }
  void SetClip() { form->SetClipBoardSound(Saw(50, 301)); }

  RecordingSink sink;
  TUnitWave* doc = nullptr;
  TMDIChildWave* window = nullptr;
  std::unique_ptr<TUnitWave> twin;
};

using Probe = std::function<double(const TWaveOperationProps&)>;
using Direct = std::function<bool(TUnitWave&, const TWaveOperationProps&)>;

struct RoadRow {
  const char* action;
  const char* caption;
  const char* control;
  const char* refused;   // typed first: the dialog stays open with its message
  const char* accepted;  // then this, and OK
  double value;          // what the accepted text gives the record
  Probe probe;
  Direct direct;
};

const std::vector<RoadRow>& RoadRows() {
  static const std::vector<RoadRow> rows{
      {"MakeSilence", "Make Silence", "editLength", "-5 ms", "20 ms", 0.02,
       [](const TWaveOperationProps& p) { return p.Silence.Length.GetValue(); },
       [](TUnitWave& u, const TWaveOperationProps& p) { return u.MakeSilence(p.Silence); }},
      {"MakeLine", "Make Line", "editLength", "x?", "20 ms", 0.02,
       [](const TWaveOperationProps& p) { return p.Line.Length.GetValue(); },
       [](TUnitWave& u, const TWaveOperationProps& p) { return u.MakeLine(p.Line); }},
      {"MakeNoise", "Make Noise", "editLength", "0 s", "20 ms", 0.02,
       [](const TWaveOperationProps& p) { return p.Noise.Length.GetValue(); },
       [](TUnitWave& u, const TWaveOperationProps& p) { return u.MakeNoise(p.Noise); }},
      {"MakeBlock", "Make Block", "editLengthNew", "", "0.05 s", 0.05,
       [](const TWaveOperationProps& p) { return p.MakeBlock.LengthNew.GetValue(); },
       [](TUnitWave& u, const TWaveOperationProps& p) { return u.MakeBlock(p.MakeBlock); }},
      {"MakeTriangle", "Make Triangle", "editLengthNew", "1e400", "0.03 s", 0.03,
       [](const TWaveOperationProps& p) { return p.MakeTriangle.LengthNew.GetValue(); },
       [](TUnitWave& u, const TWaveOperationProps& p) { return u.MakeTriangle(p.MakeTriangle); }},
      {"MakeSinus", "Make Sinus", "editLength", "x?", "20 ms", 0.02,
       [](const TWaveOperationProps& p) { return p.Sinus.Length.GetValue(); },
       [](TUnitWave& u, const TWaveOperationProps& p) { return u.MakeSinus(p.Sinus); }},
      {"TempoPitch", "Pitch Tempo", "editBlockSize", "-1 ms", "20 ms", 0.02,
       [](const TWaveOperationProps& p) { return p.TempoPitch.BlockSize.GetValue(); },
       [](TUnitWave& u, const TWaveOperationProps& p) { return u.TempoPitch(p.TempoPitch); }},
  };
  return rows;
}

std::vector<double> ProbeAll(const TWaveOperationProps& props) {
  std::vector<double> values;
  for (const RoadRow& row : RoadRows()) values.push_back(row.probe(props));
  return values;
}

}  // namespace

TEST_F(WaveOps, CancelledDialogChangesNoRecordNoSoundAndMakesNoUndo) {
  for (const RoadRow& row : RoadRows()) {
    SCOPED_TRACE(row.action);
    Open();
    const Sound* before = doc->GetSound();
    const std::vector<double> lastUsed = ProbeAll(form->LastUsedProps);
    const double own = row.probe(doc->GetProps());
    ScriptedDialogs dialogs([&](TDialogForm& dialog) {
      Type(dialog, row.control, row.accepted);
      Press(dialog, "CancelBtn");
    });
    Trigger(row.action);
    EXPECT_EQ(dialogs.captions, std::vector<std::string>{row.caption});
    EXPECT_EQ(ProbeAll(form->LastUsedProps), lastUsed);
    EXPECT_EQ(row.probe(doc->GetProps()), own);
    EXPECT_EQ(doc->GetSound(), before);
    EXPECT_FALSE(form->UndoUnit.Exists());
    EXPECT_EQ(doc->GetState(), kUnitStateSaved);
  }
}

TEST_F(WaveOps, ConfirmedDialogRunsTheOperationWithItsValuesUnderUndoAndMarksModified) {
  for (const RoadRow& row : RoadRows()) {
    SCOPED_TRACE(row.action);
    Open();
    const Sound* before = doc->GetSound();
    std::vector<double> othersBefore = ProbeAll(form->LastUsedProps);
    std::vector<size_t> refusals;
    ScriptedDialogs dialogs([&](TDialogForm& dialog) {
      Type(dialog, row.control, row.refused);
      Press(dialog, "OKBtn");
      refusals.push_back(sink.messages.size());
      EXPECT_TRUE(dialog.isVisible());
      Type(dialog, row.control, row.accepted);
      Press(dialog, "OKBtn");
    });
    sink.messages.clear();
    RandomSeed(11);
    Trigger(row.action);
    EXPECT_EQ(refusals, std::vector<size_t>{1});
    EXPECT_EQ(sink.messages.size(), 1u);
    // Both records hold the confirmed value; no other operation's record moved.
    EXPECT_DOUBLE_EQ(row.probe(form->LastUsedProps), row.value);
    EXPECT_DOUBLE_EQ(row.probe(doc->GetProps()), row.value);
    std::vector<double> othersAfter = ProbeAll(form->LastUsedProps);
    const size_t self = static_cast<size_t>(&row - RoadRows().data());
    othersBefore.erase(othersBefore.begin() + static_cast<std::ptrdiff_t>(self));
    othersAfter.erase(othersAfter.begin() + static_cast<std::ptrdiff_t>(self));
    EXPECT_EQ(othersAfter, othersBefore);
    EXPECT_EQ(form->UndoUnit.GetUnitWave(), doc);
    EXPECT_TRUE(form->UndoUnit.Holds(before));
    EXPECT_EQ(doc->GetState(), kUnitStateModified);
    RandomSeed(11);
    ASSERT_TRUE(row.direct(*twin, form->LastUsedProps));
    EXPECT_EQ(Samples(doc->GetSound()), Samples(twin->GetSound()));
    EXPECT_NE(Samples(doc->GetSound()), Samples(before));
    EXPECT_EQ(form->SavedCursor, crDefault);
  }
}

TEST_F(WaveOps, CommandsWithoutDialogRunTheirOperationUnderUndoAndTheHourglass) {
  struct Row {
    const char* action;
    bool (TUnitWave::*operation)();
  };
  const Row rows[] = {
      {"MaxVolume", &TUnitWave::MaxVolume}, {"Reverse", &TUnitWave::Reverse},
      {"EditDelete", &TUnitWave::EditDelete}, {"EditTrim", &TUnitWave::EditTrim},
      {"EditCut", &TUnitWave::EditCut},     {"EditPaste", &TUnitWave::EditPaste},
      {"EditSwap", &TUnitWave::EditSwap},   {"EditExtract", &TUnitWave::EditExtract},
  };
  // The cursor the screen shows whenever the document asks for a repaint.
  struct CursorView : RecordingView {
    void Redraw() override { cursors.push_back(ScreenCursor()); }
    std::vector<TCursor> cursors;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.action);
    Open();
    SetClip();
    ASSERT_TRUE(((*twin).*row.operation)());
    const std::vector<int16_t> expectedClip = Samples(form->ClipBoardSound.get());
    SetClip();
    const Sound* before = doc->GetSound();
    CursorView view;
    doc->SetView(&view);
    ScriptedDialogs dialogs([](TDialogForm&) { ADD_FAILURE() << "no dialog expected"; });
    Trigger(row.action);
    doc->SetView(window);
    EXPECT_EQ(view.cursors, std::vector<TCursor>{crHourGlass});
    EXPECT_EQ(ScreenCursor(), crDefault);
    EXPECT_EQ(Samples(doc->GetSound()), Samples(twin->GetSound()));
    EXPECT_EQ(Samples(form->ClipBoardSound.get()), expectedClip);
    EXPECT_TRUE(form->UndoUnit.Holds(before));
    EXPECT_EQ(doc->GetState(), kUnitStateModified);
  }
}

TEST_F(WaveOps, OperationThatLeavesTheSoundAloneKeepsNoUndoAndNoModifiedMark) {
  struct Row {
    const char* name;
    const char* action;
    std::function<void(TDialogForm&)> drive;
  };
  const Row rows[] = {
      {"paste from an empty clipboard", "EditPaste", {}},
      {"swap with an empty clipboard", "EditSwap", {}},
      {"sinus of more periods than memory holds", "MakeSinus",
       [](TDialogForm& dialog) {
         dialog.findChild<QRadioButton*>("optCount")->setChecked(true);
         Type(dialog, "editCount", "1000000000");
         Press(dialog, "OKBtn");
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Open();
    form->ClearClipBoardSound();
    sink.messages.clear();
    form->PushUndo(*doc);  // a record from an earlier command must not undo to the same sound
    const Sound* before = doc->GetSound();
    ScriptedDialogs dialogs([&](TDialogForm& dialog) {
      if (row.drive) row.drive(dialog);
    });
    Trigger(row.action);
    EXPECT_EQ(doc->GetSound(), before);
    EXPECT_FALSE(form->UndoUnit.Exists());
    EXPECT_EQ(doc->GetState(), kUnitStateSaved);
    EXPECT_EQ(ScreenCursor(), crDefault);
    // Only the engine's own message, when it has one.
    EXPECT_EQ(sink.messages.size(), row.drive ? 1u : 0u);
    if (row.drive && !sink.messages.empty()) EXPECT_EQ(sink.messages[0].text, msgtext::kNoMemory);
  }
}

TEST_F(WaveOps, CopyAndClearClipboardTouchOnlyTheClipboard) {
  Open();
  Trigger("Reverse");
  doc->SetSaved();
  ASSERT_TRUE(form->UndoUnit.Exists());
  Trigger("EditCopy");
  const std::vector<int16_t> all = Samples(doc->GetSound());
  EXPECT_EQ(Samples(form->ClipBoardSound.get()),
            std::vector<int16_t>(all.begin() + 100, all.begin() + 300));
  EXPECT_EQ(form->UndoUnit.GetUnitWave(), doc);
  EXPECT_EQ(doc->GetState(), kUnitStateSaved);
  Trigger("EditClearClipboard");
  EXPECT_EQ(form->ClipBoardSound, nullptr);
  EXPECT_EQ(doc->GetState(), kUnitStateSaved);
}

TEST_F(WaveOps, WithoutAWaveDocumentNoCommandOpensADialogOrChangesAnything) {
  SetClip();
  ScriptedDialogs dialogs([](TDialogForm&) {});
  for (const char* action :
       {"MakeSilence", "MakeLine", "MakeBlock", "MakeTriangle", "MakeSinus", "MakeNoise",
        "TempoPitch", "MaxVolume", "Reverse", "EditDelete", "EditTrim", "EditCut", "EditCopy",
        "EditPaste", "EditSwap", "EditExtract", "EditClearClipboard", "ViewWave", "ViewVold",
        "ZoomIn", "NoZoom"}) {
    Trigger(action);
  }
  EXPECT_TRUE(dialogs.captions.empty());
  EXPECT_NE(form->ClipBoardSound, nullptr);
  EXPECT_FALSE(form->UndoUnit.Exists());
}

TEST_F(WaveOps, ViewSwitchShowsItsViewAndChecksItsActionOnlyOnOK) {
  struct Row {
    const char* action;
    const char* other;
    const char* caption;
    uint8_t mode;
  };
  const Row rows[] = {{"ViewVold", "ViewWave", "Volume Diagram", 1},
                      {"ViewWave", "ViewVold", "Wave View", 0}};
  Open();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.action);
    form->Action(row.other)->setChecked(true);
    const uint8_t modeBefore = window->ViewMode();
    {
      ScriptedDialogs cancel([](TDialogForm& dialog) { Press(dialog, "CancelBtn"); });
      Trigger(row.action);
      EXPECT_EQ(cancel.captions, std::vector<std::string>{row.caption});
    }
    EXPECT_EQ(window->ViewMode(), modeBefore);
    EXPECT_TRUE(form->Action(row.other)->isChecked());
    ScriptedDialogs ok([](TDialogForm& dialog) { Press(dialog, "OKBtn"); });
    Trigger(row.action);
    EXPECT_EQ(window->ViewMode(), row.mode);
    EXPECT_TRUE(form->Action(row.action)->isChecked());
    EXPECT_FALSE(form->Action(row.other)->isChecked());
  }
  EXPECT_EQ(doc->GetState(), kUnitStateSaved);
}

TEST_F(WaveOps, ZoomInShowsTheSelectionAndNoZoomTheWholeWave) {
  Open();
  Trigger("ZoomIn");
  EXPECT_EQ(window->IsZoomed(), 1.0);
  EXPECT_NEAR(window->GetViewBegin(), 100, 1);
  EXPECT_NEAR(window->GetViewEnd(), 300, 1);
  Trigger("NoZoom");
  EXPECT_EQ(window->IsZoomed(), 0.0);
  EXPECT_EQ(form->UndoUnit.Exists(), false);
}
