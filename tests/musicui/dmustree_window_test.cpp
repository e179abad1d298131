#include <gtest/gtest.h>

#include <QAction>
#include <QTreeWidget>

#include "app/ChildWave.h"
#include "muzwindow_fixture.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "musicui/DMusTree.h"
#include "wave/props.h"
#include "wave/unitwave.h"

namespace {

class MusTreeWindow : public MuzWindowTest {};

// Notes clicked into both staves, the part wrapped in a repeat and that in turns through the
// dialog; saved, reopened and generated, the wave is the render of the reopened tree, which
// plays the part twice.
TEST_F(MusTreeWindow, ComposedTreeSurvivesSaveReopenAndGenerate) {
  TMDIChildMuz* window = Open(NewScore(2));
  TUnitMuz* unit = window->GetUnitMuz();
  unit->SetUnitMuzMode(unitMuzAdd);
  unit->SetInsertModeKind(insertModeNote);
  for (TNoteStave* stave = unit->GetStartStave(); stave; stave = stave->GetNext()) {
    window->EvFormMouseDown(120, stave->GetCentreY());
    window->EvFormMouseUp(Qt::NoButton);
    window->EvFormPaint();
  }
  const double once = unit->GetStartPartMuz()->GetTimeLength(1);
  ASSERT_GT(once, 0.0);
  TDlgMusTree dialog(form.get());
  dialog.SetUnitMuz(window);
  for (QAction* TDlgMusTree::*action : {&TDlgMusTree::cmdAddLoop, &TDlgMusTree::cmdAddTurns}) {
    if (!dialog.tvMusParts->currentItem()) dialog.tvMusParts->setCurrentItem(dialog.tvMusParts->topLevelItem(0));
    (dialog.*action)->trigger();
  }
  const std::string saved = scratch + "/tree.xml";
  // As the window's Save does: write, then the document counts as saved.
  ASSERT_TRUE(unit->SaveToFile(saved, false));
  unit->SetSaved();
  dialog.SetUnitMuz(nullptr);
  window->close();
  QApplication::processEvents();

  auto sample = std::make_unique<TUnitWave>("sample.wav", waveFileProps(1, 22050, 2));
  sample->SetName("sample");
  ASSERT_TRUE(sample->MakeSinus(TSinusProps{}));
  form->CreateMDIChildWave("sample.wav", std::move(sample), form->WaveViewDefaults, form->VoldViewDefaults);
  ASSERT_TRUE(form->OpenMuzFile(saved));
  auto* reopened = dynamic_cast<TMDIChildMuz*>(form->GetActiveMDIChild());
  ASSERT_NE(reopened, nullptr);
  dialog.SetUnitMuz(reopened);
  EXPECT_EQ(dialog.tvMusParts->topLevelItem(0)->text(0).toStdString(), "turns");
  EXPECT_DOUBLE_EQ(reopened->GetUnitMuz()->GetStartPartMuz()->GetTimeLength(1), 2 * once);
  const std::unique_ptr<Sound> expected = reopened->GetUnitMuz()->CreateWave();
  dialog.SetUnitMuz(nullptr);
  Trigger("MusicGenerate");
  auto* wave = dynamic_cast<TMDIChildWave*>(form->GetActiveMDIChild());
  ASSERT_NE(wave, nullptr);
  ASSERT_NE(expected, nullptr);
  EXPECT_EQ(wave->GetUnitWave()->GetValues(), expected->GetValues());
  EXPECT_TRUE(sink.messages.empty());
}
}  // namespace
