// The effect commands on the wave-operation road: record flow, undo, modified mark and samples
// against the document operation run directly, Cancel, the part's duration, the wave lists, and
// envelopes that are gone or were never chosen.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QTest>
#include <map>

#include "app/ChildWin.h"
#include "app/DRollOut.h"
#include "app/DRotate.h"
#include "app/fakes/command_dialogs.h"
#include "app/fakes/main_window.h"
#include "gui/controls.h"
#include "wave/unitwave.h"

namespace {

using P = TWaveOperationProps;
using Direct = bool (*)(TUnitWave&, const TWaveOperationProps&);
template <auto record, auto operation>
bool DirectOf(TUnitWave& unitWave, const TWaveOperationProps& props) {
  return (unitWave.*operation)(props.*record);
}
const std::map<std::string, Direct> kDirect = {
    {"Volume", DirectOf<&P::Volume, &TUnitWave::Volume>},
    {"Up", DirectOf<&P::Up, &TUnitWave::Up>},
    {"Distort", DirectOf<&P::Distort, &TUnitWave::Distort>},
    {"Block", DirectOf<&P::Block, &TUnitWave::Block>},
    {"Length", DirectOf<&P::Length, &TUnitWave::Length>},
    {"Rotate", DirectOf<&P::Rotate, &TUnitWave::Rotate>},
    {"RollOut", DirectOf<&P::RollOut, &TUnitWave::RollOut>},
    {"RollIn", DirectOf<&P::RollIn, &TUnitWave::RollIn>},
    {"Balance", DirectOf<&P::Balance, &TUnitWave::Balance>},
    {"MixLeftRight", DirectOf<&P::LeftRight, &TUnitWave::MixLeftRight>},
    {"EditMix", DirectOf<&P::Mix, &TUnitWave::EditMix>}};

std::string Text(const unit& value) { return value.Write(); }
std::string Text(const unitUnitWave& wave) { return wave.GetName(); }
std::string Text(uint8_t kind) { return std::to_string(kind); }
template <auto record, auto field>
std::string ProbeOf(const TWaveOperationProps& props) {
  return Text((props.*record).*field);
}

// The user types into an input (which chooses its option), picks a wave or clicks a button.
std::function<void(TDialogForm&)> Typing(const char* control, const char* text) {
  return [=](TDialogForm& dialog) {
    Control(dialog, control)->clear();
    QTest::keyClicks(Control(dialog, control), text);
  };
}
std::function<void(TDialogForm&)> Picking(const char* control, const char* name) {
  return [=](TDialogForm& dialog) {
    auto* combo = Control<QComboBox>(dialog, control);
    combo->setCurrentIndex(combo->findText(name));
    emit combo->activated(combo->currentIndex());
  };
}

class EffectOps : public MainWindowTest {
 protected:
  EffectOps() : MainWindowTest("effectops") {}

  // Saved wave documents "env" (mono) and "st" (stereo), then the document worked on, active,
  // with [100, 300) selected; its twin lies outside any window; the clipboard holds a saw.
  void Open(bool stereo, int32_t values = 4410) {
    envelope = OpenNamed("env", Saw(2000, 91));
    OpenNamed("st", std::make_unique<StereoSound>(SawWave(900, 17), SawWave(900, 29), 22050, 2));
    const auto sound = [&] {
      return stereo ? SoundPtr(std::make_unique<StereoSound>(SawWave(values, 37), SawWave(values, 53), 44100, 2))
                    : Saw(values);
    };
    doc = OpenNamed("", sound());
    doc->SetSelRange(100, 300);
    twin = std::make_unique<TUnitWave>("", sound());
    twin->SetSelRange(100, 300);
    form->SetClipBoardSound(Saw(50, 301));
    form->DeleteUndo();
    sink.messages.clear();
  }
  TUnitWave* OpenNamed(const std::string& name, SoundPtr sound) {
    auto unit = std::make_unique<TUnitWave>("", std::move(sound));
    TUnitWave* opened = unit.get();
    unit->SetName(name);
    form->CreateMDIChildWave(name, std::move(unit), TWaveViewProps(), TVoldViewProps());
    return opened;
  }
  void Trigger(const char* action) {
    form->Action(action)->setEnabled(true);
    form->Action(action)->trigger();
  }

  RecordingSink sink;
  TUnitWave* envelope = nullptr;
  TUnitWave* doc = nullptr;
  std::unique_ptr<TUnitWave> twin;
};

}  // namespace

TEST_F(EffectOps, ConfirmedValuesReachBothRecordsAndTheOperationUnderUndoWhileCancelChangesNothing) {
  const struct {
    const char* action;
    const char* caption;
    bool stereo;
    std::function<void(TDialogForm&)> edit;
    std::string (*probe)(const TWaveOperationProps&);
  } rows[] = {
      {"Volume", "Change Volume", false, Typing("editVolume", "20%"), ProbeOf<&P::Volume, &TVolumeProps::VolumeFactor>},
      {"Volume", "Change Volume", false, Picking("cboUnitWave", "env"), ProbeOf<&P::Volume, &TVolumeProps::Envelope>},
      {"Up", "Up / Down", false, Typing("editAdd", "-10%"), ProbeOf<&P::Up, &TUpProps::AddValue>},
      {"Distort", "Distort", false, Picking("cboDistortEnvelope", "env"), ProbeOf<&P::Distort, &TDistortProps::DistortEnvelope>},
      {"Block", "Block", false, Typing("editHorCount", "7"), ProbeOf<&P::Block, &TBlockProps::HorCount>},
      {"Length", "Change Length", false, Typing("editLengthFactor", "150%"), ProbeOf<&P::Length, &TLengthProps::LengthFactor>},
      {"Length", "Change Length", false, Picking("cboLengthSameAs", "st"), ProbeOf<&P::Length, &TLengthProps::LengthSameAs>},
      {"Rotate", "Rotate", false, [](TDialogForm& d) { Typing("editTime", "1 ms")(d), Typing("editFactor", "30%")(d); }, ProbeOf<&P::Rotate, &TRotateProps::Factor>},
      {"RollOut", "Roll out", false, Typing("editLengthFactor", "200%"), ProbeOf<&P::RollOut, &TRollOutProps::LengthFactor>},
      {"RollOut", "Roll out", false, Picking("cboSpeedEnvelope", "env"), ProbeOf<&P::RollOut, &TRollOutProps::SpeedEnvelope>},
      {"RollIn", "Roll in", false, Typing("editLength", "2 ms"), ProbeOf<&P::RollIn, &TRollInProps::Length>},
      {"Balance", "Balance", false, Typing("editDirConstant", "45'"), ProbeOf<&P::Balance, &TBalanceProps::DirConstant>},
      {"MixLeftRight", "Mix Left Right", true, Typing("editLeft2Right", "50%"), ProbeOf<&P::LeftRight, &TLeftRightProps::Left2Right>},
      {"EditMix", "Mix", false, [](TDialogForm& dialog) { Control<TRadioGroup>(dialog, "rgrPlace")->SetItemIndex(2); },
       ProbeOf<&P::Mix, &TMixProps::Place>}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.action + std::string(" ") + row.probe(form->LastUsedProps));
    Open(row.stereo);
    const Sound* before = doc->GetSound();
    const std::string lastUsed = row.probe(form->LastUsedProps);
    {
      ScriptedDialogs cancel([&](TDialogForm& dialog) { row.edit(dialog), Press(dialog, "CancelBtn"); });
      Trigger(row.action);
      EXPECT_EQ(cancel.captions, std::vector<std::string>{row.caption});
    }
    EXPECT_EQ(row.probe(form->LastUsedProps), lastUsed);
    EXPECT_EQ(row.probe(doc->GetProps()), row.probe(twin->GetProps()));
    EXPECT_FALSE(form->UndoUnit.Exists());
    EXPECT_EQ(doc->GetSound(), before);
    ScriptedDialogs([&](TDialogForm& dialog) { row.edit(dialog), Press(dialog, "OKBtn"); }), Trigger(row.action);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_NE(row.probe(form->LastUsedProps), lastUsed);
    EXPECT_EQ(row.probe(doc->GetProps()), row.probe(form->LastUsedProps));
    EXPECT_TRUE(form->UndoUnit.Holds(before));
    EXPECT_EQ(doc->GetState(), kUnitStateModified);
    EXPECT_EQ(ScreenCursor(), crDefault);
    ASSERT_TRUE(kDirect.at(row.action)(*twin, form->LastUsedProps));
    EXPECT_EQ(Samples(doc->GetSound()), Samples(twin->GetSound()));
    EXPECT_NE(Samples(doc->GetSound()), Samples(before));
  }
}

TEST_F(EffectOps, LengthAndRollOutOpenNothingOnAPartWithoutDurationAndRotateAndRollOutGetItsDuration) {
  Open(false, 0);
  for (const char* action : {"Length", "RollOut"}) {
    ScriptedDialogs none([](TDialogForm&) { ADD_FAILURE() << "a dialog opened"; });
    Trigger(action);
  }
  EXPECT_FALSE(form->UndoUnit.Exists());
  EXPECT_EQ(doc->GetState(), kUnitStateSaved);
  Open(false);
  double selTime = 0;
  ScriptedDialogs([&](TDialogForm& dialog) { selTime = static_cast<TDlgRollOutProps&>(dialog).GetProps().SelTime; }),
      Trigger("RollOut");
  EXPECT_DOUBLE_EQ(selTime, 200.0 / 44100);
  ScriptedDialogs([&](TDialogForm& dialog) {  // the selection lasts 4.5 ms
    for (const char* time : {"4.6 ms", "-4.6 ms", "4.5 ms"}) Typing("editTime", time)(dialog), Press(dialog, "OKBtn");
  }), Trigger("Rotate");
  EXPECT_EQ(sink.messages.size(), 2u);
  for (const RecordedMessage& message : sink.messages) EXPECT_EQ(message.text, rotatetext::kTimeTooLong);
  EXPECT_EQ(doc->GetState(), kUnitStateModified);
}

TEST_F(EffectOps, WaveListsHoldTheOtherWavesLastOpenedFirstAndForMonoEnvelopesOnlyMonoOnes) {
  Open(false);
  const std::tuple<const char*, const char*, std::vector<std::string>> rows[] = {
      {"Volume", "cboUnitWave", {"st", "env"}},        {"Distort", "cboDistortEnvelope", {"st", "env"}},
      {"Length", "cboLengthSameAs", {"st", "env"}},    {"RollOut", "cboLengthSameAs", {"st", "env"}},
      {"RollOut", "cboSpeedEnvelope", {"env"}},        {"Balance", "cboDirEnvelope", {"env"}}};
  for (const auto& [action, combo, names] : rows) {
    std::vector<std::string> listed;
    ScriptedDialogs([&, combo = combo](TDialogForm& dialog) {
      auto* box = Control<QComboBox>(dialog, combo);
      for (int i = 0; i < box->count(); ++i) listed.push_back(box->itemText(i).toStdString());
    }), Trigger(action);
    EXPECT_EQ(listed, names) << action << " " << combo;
  }
}

// With no wave chosen (none open, or the chosen one closed since) OK is refused at the field.
TEST_F(EffectOps, AMissingWaveIsRefusedAtItsFieldAndNothingChanges) {
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"Volume", "cboUnitWave", "Envelope"},           {"Distort", "cboDistortEnvelope", "Distort Envelope"},
      {"Balance", "cboDirEnvelope", "Direction Envelope"}, {"Length", "cboLengthSameAs", "Same Length as"},
      {"RollOut", "cboSpeedEnvelope", "Speed Envelope"}};
  for (const auto& [action, combo, field] : rows) {
    SCOPED_TRACE(action);
    Open(false);
    const Sound* before = doc->GetSound();
    ScriptedDialogs([&, combo = combo](TDialogForm& dialog) { Picking(combo, "env")(dialog), Press(dialog, "OKBtn"); }),
        Trigger(action);
    const Sound* after = doc->GetSound();
    ASSERT_TRUE(form->UndoUnit.Holds(before));
    form->ChildOfUnit(envelope)->close();
    form->ChildOfUnit(form->FindUnitWaveByName("st"))->close();
    std::vector<bool> stayedOpen;
    ScriptedDialogs([&](TDialogForm& dialog) { Press(dialog, "OKBtn"), stayedOpen.push_back(dialog.isVisible()); }),
        Trigger(action);
    EXPECT_EQ(stayedOpen, std::vector<bool>{true});
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "In " + std::string(field) + ": You have to select a Wave");
    EXPECT_EQ(doc->GetSound(), after);
    EXPECT_TRUE(form->UndoUnit.Holds(before));
  }
}
