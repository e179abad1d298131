// The effect commands on the wave-operation road: record flow, undo, modified mark and samples
// against the document operation run directly, Cancel, the part's duration, the wave lists, and
// waves that are gone or were never chosen.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QTest>
#include <algorithm>

#include "app/wavewindow/ChildWin.h"
#include "app/dialogs/DRollOut.h"
#include "app/dialogs/DRotate.h"
#include "app/fakes/command_dialogs.h"
#include "app/fakes/main_window.h"
#include "gui/controls.h"
#include "wave/unitwave.h"

namespace {

using P = TWaveOperationProps;
using Edit = std::function<void(TDialogForm&)>;

// The record's field as it is shown, and the operation run directly with the record.
template <auto record, auto field, auto operation>
struct Probe {
  static std::string Of(const P& props) {
    const auto& value = (props.*record).*field;
    if constexpr (std::is_same_v<std::decay_t<decltype(value)>, unitUnitWave>)
      return value.GetName();
    else if constexpr (std::is_integral_v<std::decay_t<decltype(value)>>)
      return std::to_string(value);
    else
      return value.Write();
  }
  static bool Run(TUnitWave& unitWave, const P& props) {
    return (unitWave.*operation)(props.*record);
  }
};

struct Row {
  const char* action;
  const char* caption;
  Edit edit;
  std::string (*probe)(const P&);
  bool (*run)(TUnitWave&, const P&);
};
template <auto record, auto field, auto operation>
Row RowOf(const char* action, const char* caption, Edit edit) {
  using Field = Probe<record, field, operation>;
  return {action, caption, std::move(edit), Field::Of, Field::Run};
}

// The user types into an input (which chooses its option) or picks a wave.
Edit Typing(const char* control, const char* text) {
  return [=](TDialogForm& dialog) {
    Control(dialog, control)->clear(), QTest::keyClicks(Control(dialog, control), text);
  };
}
Edit Picking(const char* control, const char* name) {
  return [=](TDialogForm& dialog) {
    auto* combo = Control<QComboBox>(dialog, control);
    combo->setCurrentIndex(combo->findText(name)), emit combo->activated(combo->currentIndex());
  };
}

const Row kRows[] = {
    RowOf<&P::Volume, &TVolumeProps::Envelope, &TUnitWave::Volume>("Volume", "Change Volume",
                                                                   Picking("cboUnitWave", "st")),
    RowOf<&P::Up, &TUpProps::AddValue, &TUnitWave::Up>("Up", "Up / Down",
                                                       Typing("editAdd", "-10%")),
    RowOf<&P::Distort, &TDistortProps::DistortEnvelope, &TUnitWave::Distort>(
        "Distort", "Distort", Picking("cboDistortEnvelope", "st")),
    RowOf<&P::Block, &TBlockProps::HorCount, &TUnitWave::Block>("Block", "Block",
                                                                Typing("editHorCount", "7")),
    RowOf<&P::Length, &TLengthProps::LengthSameAs, &TUnitWave::Length>(
        "Length", "Change Length", Picking("cboLengthSameAs", "st")),
    RowOf<&P::Rotate, &TRotateProps::Time, &TUnitWave::Rotate>("Rotate", "Rotate",
                                                               Typing("editTime", "-2 ms")),
    RowOf<&P::RollOut, &TRollOutProps::LengthFactor, &TUnitWave::RollOut>(
        "RollOut", "Roll out", Typing("editLengthFactor", "200%")),
    RowOf<&P::RollIn, &TRollInProps::Length, &TUnitWave::RollIn>("RollIn", "Roll in",
                                                                 Typing("editLength", "2 ms")),
    RowOf<&P::Balance, &TBalanceProps::DirConstant, &TUnitWave::Balance>(
        "Balance", "Balance", Typing("editDirConstant", "45'")),
    RowOf<&P::LeftRight, &TLeftRightProps::Left2Right, &TUnitWave::MixLeftRight>(
        "MixLeftRight", "Mix Left Right", Typing("editLeft2Right", "50%")),
    RowOf<&P::Mix, &TMixProps::Place, &TUnitWave::EditMix>(
        "EditMix", "Mix",
        [](TDialogForm& d) { Control<TRadioGroup>(d, "rgrPlace")->SetItemIndex(2); }),
};

class EffectOps : public MainWindowTest {
 protected:
  EffectOps() : MainWindowTest("effectops") {}

  // Saved wave documents "env" (mono) and "st" (stereo), then the document worked on, active, with
  // [100, 300) selected, and its twin outside any window; the clipboard holds a saw.
  void Open(bool stereo, int32_t values = 4410) {
    envelope = OpenNamed("env", Saw(2000, 91));
    OpenNamed("st", std::make_unique<StereoSound>(SawWave(900, 17), SawWave(900, 29), 22050, 2));
    const auto sound = [&]() -> SoundPtr {
      if (!stereo) return Saw(values);
      return std::make_unique<StereoSound>(SawWave(values, 37), SawWave(values, 53), 44100, 2);
    };
    (doc = OpenNamed("", sound()))->SetSelRange(100, 300);
    (twin = std::make_unique<TUnitWave>("", sound()))->SetSelRange(100, 300);
    form->SetClipBoardSound(Saw(50, 301));
    form->DeleteUndo();
  }
  void Trigger(const char* action) {
    form->Action(action)->setEnabled(true), form->Action(action)->trigger();
  }

  RecordingSink sink;
  TUnitWave* envelope = nullptr;
  TUnitWave* doc = nullptr;
  std::unique_ptr<TUnitWave> twin;
};

}  // namespace

TEST_F(EffectOps,
       ConfirmedValuesReachBothRecordsAndTheOperationUnderUndoWhileCancelChangesNothing) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.action);
    Open(std::string(row.action) == "MixLeftRight");
    const Sound* before = doc->GetSound();
    const std::string lastUsed = row.probe(form->LastUsedProps);
    ScriptedDialogs cancel(
        [&](TDialogForm& dialog) { row.edit(dialog), Press(dialog, "CancelBtn"); });
    Trigger(row.action);
    EXPECT_EQ(cancel.captions, std::vector<std::string>{row.caption});
    EXPECT_EQ(std::tuple(row.probe(form->LastUsedProps), row.probe(doc->GetProps()),
                         form->UndoUnit.Exists(), doc->GetSound()),
              std::tuple(lastUsed, row.probe(twin->GetProps()), false, before));
    ScriptedDialogs([&](TDialogForm& dialog) { row.edit(dialog), Press(dialog, "OKBtn"); }),
        Trigger(row.action);
    EXPECT_NE(row.probe(form->LastUsedProps), lastUsed);
    EXPECT_EQ(row.probe(doc->GetProps()), row.probe(form->LastUsedProps));
    EXPECT_TRUE(form->UndoUnit.Holds(before) && doc->GetState() == kUnitStateModified);
    ASSERT_TRUE(row.run(*twin, form->LastUsedProps));
    EXPECT_EQ(Samples(doc->GetSound()), Samples(twin->GetSound()));
    EXPECT_NE(Samples(doc->GetSound()), Samples(before));
  }
}

// Values at the edges of what the inputs take run as the operation runs them directly.
TEST_F(EffectOps, ExtremeValuesTheInputsTakeRunAsTheOperationDoes) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"Volume", "editVolume", "-9999999999"},
      {"Up", "editAdd", "-100%"},
      {"Block", "editHorCount", "2147483647"},
      {"Length", "editLengthFactor", "-0.0000000001"},
      {"Rotate", "editFactor", "-99%"},
      {"RollOut", "editSpeedFactor", "-0.0000000001"},
      {"RollIn", "editEnd", "-0.0000000001 s"},
      {"Balance", "editDirConstant", "-90'"},
      {"MixLeftRight", "editLeft2Left", "9999999999"}};
  for (const auto& [action, control, text] : cases) {
    SCOPED_TRACE(std::string(action) + " " + control + " <- " + text);
    Open(std::string(action) == "MixLeftRight");
    bool accepted = false;
    ScriptedDialogs([&, c = control, t = text](TDialogForm& d) {
      if (d.findChild<QLineEdit*>("editTime")) Typing("editTime", "0 s")(d);  // within any part
      Typing(c, t)(d), Press(d, "OKBtn"), accepted = !d.isVisible();
    }),
        Trigger(action);
    EXPECT_TRUE(accepted) << (sink.messages.empty() ? "" : sink.messages.back().text);
    const Row& row = *std::find_if(std::begin(kRows), std::end(kRows),
                                   [&](const Row& r) { return r.action == std::string(action); });
    EXPECT_EQ(row.run(*twin, form->LastUsedProps), form->UndoUnit.Exists());
    EXPECT_EQ(Samples(doc->GetSound()), Samples(twin->GetSound()));
  }
}

// The selection lasts 200 / 44100 s, 4.5 ms.
TEST_F(EffectOps,
       LengthAndRollOutOpenNothingOnAPartWithoutDurationAndRotateAndRollOutGetItsDuration) {
  Open(false, 0);
  ScriptedDialogs none([](TDialogForm&) { ADD_FAILURE() << "a dialog opened"; });
  Trigger("Length"), Trigger("RollOut");
  EXPECT_TRUE(!form->UndoUnit.Exists() && doc->GetState() == kUnitStateSaved);
  Open(false);
  double selTime = 0;
  ScriptedDialogs(
      [&](TDialogForm& d) { selTime = static_cast<TDlgRollOutProps&>(d).GetProps().SelTime; }),
      Trigger("RollOut");
  EXPECT_DOUBLE_EQ(selTime, 200.0 / 44100);
  ScriptedDialogs([&](TDialogForm& dialog) {
    for (const char* time : {"4.6 ms", "-4.6 ms", "4.5 ms"})
      Typing("editTime", time)(dialog), Press(dialog, "OKBtn");
  }),
      Trigger("Rotate");
  EXPECT_EQ(sink.messages.size(), 2u);
  for (const RecordedMessage& message : sink.messages)
    EXPECT_EQ(message.text, rotatetext::kTimeTooLong);
  EXPECT_EQ(doc->GetState(), kUnitStateModified);
}

TEST_F(EffectOps, WaveListsHoldTheOtherWavesLastOpenedFirstAndForMonoEnvelopesOnlyMonoOnes) {
  Open(false);
  const std::tuple<const char*, const char*, std::vector<std::string>> rows[] = {
      {"Volume", "cboUnitWave", {"st", "env"}},
      {"RollOut", "cboLengthSameAs", {"st", "env"}},
      {"RollOut", "cboSpeedEnvelope", {"env"}},
      {"Balance", "cboDirEnvelope", {"env"}}};
  for (const auto& [action, combo, names] : rows) {
    std::vector<std::string> listed;
    ScriptedDialogs([&, combo = combo](TDialogForm& dialog) {
      auto* box = Control<QComboBox>(dialog, combo);
      for (int i = 0; i < box->count(); ++i) listed.push_back(box->itemText(i).toStdString());
    }),
        Trigger(action);
    EXPECT_EQ(listed, names) << action << " " << combo;
  }
}

// The wave chosen last is closed since: the field is refused with its box, and nothing changes.
TEST_F(EffectOps, AMissingWaveIsRefusedAtItsFieldAndNothingChanges) {
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"Volume", "cboUnitWave", "Envelope"}, {"RollOut", "cboSpeedEnvelope", "Speed Envelope"}};
  for (const auto& [action, combo, field] : rows) {
    SCOPED_TRACE(action);
    Open(false);
    const Sound* before = doc->GetSound();
    ScriptedDialogs([&, c = combo](TDialogForm& d) { Picking(c, "env")(d), Press(d, "OKBtn"); }),
        Trigger(action);
    const Sound* after = doc->GetSound();
    ASSERT_TRUE(form->UndoUnit.Holds(before));
    form->ChildOfUnit(envelope)->close();
    form->ChildOfUnit(form->FindUnitWaveByName("st"))->close();
    std::vector<bool> stayedOpen;
    ScriptedDialogs(
        [&](TDialogForm& d) { Press(d, "OKBtn"), stayedOpen.push_back(d.isVisible()); }),
        Trigger(action);
    ASSERT_EQ(std::pair(stayedOpen, sink.messages.size()), std::pair(std::vector<bool>{true}, size_t{1}));
    EXPECT_EQ(sink.messages[0].text, "In " + std::string(field) + ": You have to select a Wave");
    EXPECT_TRUE(doc->GetSound() == after && form->UndoUnit.Holds(before));
    sink.messages.clear();
  }
}
