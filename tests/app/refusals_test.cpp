// Values a wave command cannot take, through the command: the dialog's field refuses what the
// dialog can judge, the document tells what only it can, and neither leaves a trace.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>

#include "app/fakes/command_dialogs.h"
#include "app/fakes/main_window.h"
#include "gui/controls.h"
#include "wave/unitwave.h"

namespace {

using Edit = std::function<void(TDialogForm&)>;

Edit Typing(const char* control, const char* text) {
  return [=](TDialogForm& d) { Control(d, control)->clear(), QTest::keyClicks(Control(d, control), text); };
}
Edit Picking(const char* control, const char* name = "empty") {
  return [=](TDialogForm& d) {
    auto* combo = Control<QComboBox>(d, control);
    combo->setCurrentIndex(combo->findText(name)), emit combo->activated(combo->currentIndex());
  };
}
Edit Choosing(const char* group, int index) {
  return [=](TDialogForm& d) { Control<TRadioGroup>(d, group)->SetItemIndex(index); };
}
Edit All(std::vector<Edit> edits) {
  return [=](TDialogForm& d) {
    for (const Edit& edit : edits) edit(d);
  };
}

class Refusals : public MainWindowTest {
 protected:
  Refusals() : MainWindowTest("refusals") {}
};

std::string Unreadable(const char* what, const char* field) {
  return std::string(what) + ": the wave \"empty\" chosen as " + field + " holds no samples.";
}

}  // namespace

TEST_F(Refusals, EachRefusalShowsItsMessageAndLeavesTheDocumentAndItsUndoAsTheyWere) {
  using namespace refusaltext;
  constexpr int kWhole = 0, kEmptyDoc = 1, kEmptyClip = 2, kOneSample = 3;
  const std::string inputError = msgtext::kInputError, error = msgtext::kError;
  const struct {
    const char* action;
    int setting;
    Edit edit;
    std::string text, caption;
  } rows[] = {
      {"FilterHigh", kWhole, Typing("editFactor", "100%"), "In Volume Factor: Value must be less than 1.",
       inputError},
      {"FilterLow", kWhole, Typing("editFactor", "-6 dB"), "", ""},  // a factor of 0.5: runs
      {"FilterLow", kWhole, Typing("editFactor", "0"), "In Volume Factor: Value must be positive and more than 0.",
       inputError},
      {"MakeBlock", kWhole, Picking("cboMiddleEnvelope"), Unreadable(kMakeWave, "Middle Envelope"), error},
      {"MakeTriangle", kWhole, Picking("cboLengthSameAs"), Unreadable(kMakeWave, "Length Same As"), error},
      {"MakeMFreq", kWhole, Picking("cboWaveForm"), Unreadable(kMakeWave, "Wave Form"), error},
      {"EditMix", kEmptyDoc, Choosing("rgrPlace", 2), std::string(kMixStretch) + kWaveEmpty, error},
      {"EditMix", kEmptyClip, Choosing("rgrPlace", 2), std::string(kMixStretch) + kClipboardEmpty, error},
      {"Volume", kWhole, Picking("cboUnitWave"), Unreadable(kVolume, "Envelope"), error},
      {"Balance", kWhole, Picking("cboDirEnvelope"), Unreadable(kBalance, "Direction Envelope"), error},
      {"RollOut", kWhole, Picking("cboSpeedEnvelope"), Unreadable(kRollOut, "Speed Envelope"), error},
      {"Length", kWhole, Picking("cboLengthSameAs"), Unreadable(kLength, "Same Length as"), error},
      {"TempoPitch", kWhole, Picking("cboLengthSameAs"), Unreadable(kTempoPitch, "Same Length as"), error},
      {"TempoPitch", kWhole,
       All({[](TDialogForm& d) { Control<QCheckBox>(d, "chkFreqEnvelope")->setChecked(true); },
            Picking("cboFreqEnvelope", "curve"), Typing("editSpeedFactor", "-1"), Choosing("rgrQuality", 1)}),
       std::string(kTempoPitch) + kHighQualityForwardOnly, error},
      {"Distort", kWhole, Picking("cboDistortEnvelope"), Unreadable(kDistort, "Distort Envelope"), error},
      {"PerEcho", kOneSample, {}, std::string(kPerEcho) + kTooShortToEcho, error},
      {"PerEcho", kWhole, Picking("cboVolumeEnvelope"), Unreadable(kPerEcho, "Echo Volume Envelope"), error},
      {"FilterNotch", kWhole, Picking("cboWidthEnvelope"), Unreadable(kFilter, "Frequency Width Envelope"), error},
      {"FilterBlock", kWhole, Picking("cboTimeEnvelope"), Unreadable(kFilter, "Envelope"), error},
  };
  RecordingSink sink;
  OpenNamed("empty", Saw(0));
  OpenNamed("curve", Saw(100));
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.action) + " " + std::to_string(row.setting) + " " + row.text);
    TUnitWave* doc = OpenNamed("", Saw(row.setting == kEmptyDoc ? 0 : 4410));
    doc->SetSelRange(100, row.setting == kOneSample ? 101 : 300);
    form->SetClipBoardSound(Saw(row.setting == kEmptyClip ? 0 : 50));
    form->PushUndo(*doc);  // an earlier command's record, which a refusal must keep
    const Sound* before = doc->GetSound();
    const auto samples = Samples(before);
    const auto selection = std::pair(doc->GetSelCursor(), doc->GetSelAnchor());
    const auto state = doc->GetState();
    bool stayedOpen = false;
    sink.messages.clear();
    ScriptedDialogs([&](TDialogForm& d) {
      if (row.edit) row.edit(d);
      Press(d, "OKBtn"), stayedOpen = d.isVisible();
    }),
        form->ActionList1Update(), form->Action(row.action)->trigger();
    EXPECT_TRUE(form->Action(row.action)->isEnabled());  // as the user finds the command
    if (row.text.empty()) {  // the accepted edge: the command ran
      EXPECT_TRUE(sink.messages.empty() && doc->GetSound() != before && form->UndoUnit.Holds(before));
      continue;
    }
    std::string shown;
    for (const RecordedMessage& m : sink.messages) shown += m.text + " | " + m.caption + "\n";
    EXPECT_EQ(shown, row.text + " | " + row.caption + "\n");
    EXPECT_EQ(stayedOpen, row.caption == inputError);
    EXPECT_TRUE(doc->GetSound() == before && Samples(doc->GetSound()) == samples);
    EXPECT_EQ(std::pair(doc->GetSelCursor(), doc->GetSelAnchor()), selection);
    EXPECT_EQ(doc->GetState(), state);
    EXPECT_TRUE(form->UndoUnit.GetUnitWave() == doc && form->UndoUnit.Holds(before));
  }
}
