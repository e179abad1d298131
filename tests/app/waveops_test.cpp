// The main window's wave-operation commands: the dialog road with its record flow, undo record,
// modified mark and hourglass, the commands without a dialog, Copy, the view switches and zoom.
// Results are checked against the document operation run directly on a twin document.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QRadioButton>

#include "app/wavewindow/ChildWave.h"
#include "app/dialogs/DCommon.h"
#include "app/fakes/command_dialogs.h"
#include "app/fakes/main_window.h"
#include "foundation/random.h"
#include "gui/application.h"
#include "support/recording_sink.h"
#include "wave/fakes/recording_view.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

class WaveOps : public MainWindowTest {
 protected:
  WaveOps() : MainWindowTest("waveops") {}

  // A saved document in a new window with [100, 300) selected, and its twin outside the window.
  void Open() {
    auto unit = std::make_unique<TUnitWave>("", Saw());
    doc = unit.get();
    window = form->CreateMDIChildWave("doc", std::move(unit), TWaveViewProps(), TVoldViewProps());
    doc->SetSelRange(100, 300);
    twin = std::make_unique<TUnitWave>("", Saw());
    twin->SetSelRange(100, 300);
    form->DeleteUndo();
    sink.messages.clear();
  }
  void Trigger(const char* action) {
    form->Action(action)->setEnabled(true);
    form->Action(action)->trigger();
  }

  RecordingSink sink;
  TUnitWave* doc = nullptr;
  TMDIChildWave* window = nullptr;
  std::unique_ptr<TUnitWave> twin;
};

}  // namespace

struct RoadRow {
  const char* action;
  const char* caption;
  const char* control;
  const char* refused;  // typed first: the dialog stays open with its message
  double (*probe)(const TWaveOperationProps&);  // the record field "20 ms" is typed into
  bool (*direct)(TUnitWave&, const TWaveOperationProps&);
};

template <auto record, auto field, auto operation>
RoadRow Road(const char* action, const char* caption, const char* control, const char* refused) {
  return {action, caption, control, refused,
          [](const TWaveOperationProps& p) { return ((p.*record).*field).GetValue(); },
          [](TUnitWave& u, const TWaveOperationProps& p) { return (u.*operation)(p.*record); }};
}

TEST_F(WaveOps, DialogRoadTakesConfirmedValuesIntoBothRecordsUnderUndoAndCancelChangesNothing) {
  using P = TWaveOperationProps;
  using U = TUnitWave;
  using B = TBlockTriangleProps;
  const RoadRow rows[] = {
      Road<&P::Silence, &TSilenceProps::Length, &U::MakeSilence>("MakeSilence", "Make Silence",
                                                                  "editLength", "-5 ms"),
      Road<&P::Noise, &TNoiseProps::Length, &U::MakeNoise>("MakeNoise", "Make Noise", "editLength",
                                                           "0 s"),
      Road<&P::MakeBlock, &B::LengthNew, &U::MakeBlock>("MakeBlock", "Make Block", "editLengthNew",
                                                        ""),
      Road<&P::MakeTriangle, &B::LengthNew, &U::MakeTriangle>("MakeTriangle", "Make Triangle",
                                                              "editLengthNew", "1e400"),
      Road<&P::Sinus, &TSinusProps::Length, &U::MakeSinus>("MakeSinus", "Make Sinus", "editLength",
                                                           "x?"),
      Road<&P::TempoPitch, &TTempoPitchProps::BlockSize, &U::TempoPitch>(
          "TempoPitch", "Pitch Tempo", "editBlockSize", "-1 ms")};
  const auto probeAll = [&](const TWaveOperationProps& props) {
    std::vector<double> values;
    for (const RoadRow& row : rows) values.push_back(row.probe(props));
    return values;
  };
  for (const RoadRow& row : rows) {
    SCOPED_TRACE(row.action);
    Open();
    const Sound* before = doc->GetSound();
    std::vector<double> expected = probeAll(form->LastUsedProps);
    {
      ScriptedDialogs cancel([&](TDialogForm& dialog) {
        Type(dialog, row.control, "20 ms");
        Press(dialog, "CancelBtn");
      });
      Trigger(row.action);
      EXPECT_EQ(cancel.captions, std::vector<std::string>{row.caption});
    }
    EXPECT_EQ(std::tuple(probeAll(form->LastUsedProps), probeAll(doc->GetProps()), form->UndoUnit.Exists()),
              std::tuple(expected, probeAll(twin->GetProps()), false));
    ScriptedDialogs ok([&](TDialogForm& dialog) {
      Type(dialog, row.control, row.refused);
      Press(dialog, "OKBtn");
      EXPECT_TRUE(dialog.isVisible());
      Type(dialog, row.control, "20 ms");
      Press(dialog, "OKBtn");
    });
    RandomSeed(11);
    Trigger(row.action);
    EXPECT_EQ(sink.messages.size(), 1u);
    // Only this operation's record moved, in both sets.
    expected[static_cast<size_t>(&row - rows)] = 0.02;
    EXPECT_EQ(probeAll(form->LastUsedProps), expected);
    EXPECT_DOUBLE_EQ(row.probe(doc->GetProps()), 0.02);
    EXPECT_TRUE(form->UndoUnit.Holds(before) && doc->GetState() == kUnitStateModified);
    RandomSeed(11);
    ASSERT_TRUE(row.direct(*twin, form->LastUsedProps));
    EXPECT_EQ(Samples(doc->GetSound()), Samples(twin->GetSound()));
    EXPECT_NE(Samples(doc->GetSound()), Samples(before));
  }
}

// A command that leaves the sound as it was (Paste and Swap from an empty clipboard) gives its
// undo record up, also one an earlier command left, and leaves the document's state alone.
TEST_F(WaveOps, CommandsWithoutDialogRunUnderTheHourglassAndUndoOnlyWhatTheyChanged) {
  const std::tuple<const char*, bool (TUnitWave::*)(), bool> rows[] = {
      {"MaxVolume", &TUnitWave::MaxVolume, true},   {"EditCut", &TUnitWave::EditCut, true},
      {"EditPaste", &TUnitWave::EditPaste, true},
      {"EditSwap", &TUnitWave::EditSwap, true},     {"EditExtract", &TUnitWave::EditExtract, true},
      {"EditPaste", &TUnitWave::EditPaste, false},  {"EditSwap", &TUnitWave::EditSwap, false}};
  struct CursorView : RecordingView {  // the screen's cursor at every repaint
    void Redraw() override { cursors.push_back(ScreenCursor()); }
    std::vector<TCursor> cursors;
  };
  for (const auto& [action, operation, clip] : rows) {
    SCOPED_TRACE(std::string(action) + (clip ? "" : " from an empty clipboard"));
    Open();
    const auto setClip = [&, clip = clip] {
      form->SetClipBoardSound(clip ? Saw(50, 301) : nullptr);
    };
    setClip();
    const bool changes = ((*twin).*operation)();
    const std::vector<int16_t> expectedClip = Samples(form->ClipBoardSound.get());
    setClip();
    form->PushUndo(*doc);
    const Sound* before = doc->GetSound();
    CursorView view;
    doc->SetView(&view);
    ScriptedDialogs none([](TDialogForm&) { ADD_FAILURE() << "a dialog opened"; });
    Trigger(action);
    doc->SetView(window);
    EXPECT_EQ(changes, clip);
    EXPECT_EQ(view.cursors, changes ? std::vector<TCursor>{crHourGlass} : std::vector<TCursor>{});
    EXPECT_EQ(ScreenCursor(), crDefault);
    EXPECT_EQ(Samples(doc->GetSound()), Samples(twin->GetSound()));
    EXPECT_EQ(Samples(form->ClipBoardSound.get()), expectedClip);
    EXPECT_EQ(std::tuple(form->UndoUnit.Holds(before), form->UndoUnit.Exists(), doc->GetState()),
              std::tuple(changes, changes, changes ? kUnitStateModified : kUnitStateSaved));
  }
}

TEST_F(WaveOps, CopyClearZoomAndViewsLeaveSoundStateAndUndoAlone) {
  Open();
  form->EditNameClick();  // its I-beam holds the cursor store: a command ends the edit first
  Trigger("Reverse");
  EXPECT_EQ(std::pair(form->EditNameActive, ScreenCursor()), std::pair(false, crDefault));
  doc->SetSaved();
  const std::vector<int16_t> all = Samples(doc->GetSound());
  Trigger("EditCopy");
  EXPECT_EQ(Samples(form->ClipBoardSound.get()), std::vector<int16_t>(&all[100], &all[300]));
  Trigger("ZoomIn");
  EXPECT_NEAR(window->GetViewEnd() - window->GetViewBegin(), 200, 2);
  Trigger("NoZoom");
  EXPECT_EQ(window->IsZoomed(), 0.0);
  // Each view switch: Cancel keeps the mode, OK shows its view and checks its action alone.
  for (const auto& [action, other, mode] :
       {std::tuple{"ViewVold", "ViewWave", 1}, std::tuple{"ViewWave", "ViewVold", 0}}) {
    form->Action(other)->setChecked(true);
    const uint8_t kept = window->ViewMode();
    ScriptedDialogs(nullptr), Trigger(action);
    EXPECT_EQ(window->ViewMode(), kept) << action;
    ScriptedDialogs([](TDialogForm& dialog) { Press(dialog, "OKBtn"); }), Trigger(action);
    EXPECT_EQ(window->ViewMode(), mode) << action;
    EXPECT_TRUE(form->Action(action)->isChecked() && !form->Action(other)->isChecked()) << action;
  }
  EXPECT_TRUE(form->UndoUnit.GetUnitWave() == doc && doc->GetState() == kUnitStateSaved);
  Trigger("EditClearClipboard");
  EXPECT_EQ(form->ClipBoardSound, nullptr);
}
