#include <gtest/gtest.h>

#include <QAction>
#include <QTreeWidget>

#include "muzwindow_fixture.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "musicui/DMusTree.h"

namespace {

class MusTreeWindow : public MuzWindowTest {};

// Notes clicked into both staves, the part wrapped in a repeat and that in turns through the
// dialog; saved and reopened, the tree plays the part twice. (Generating what was reopened is
// the music file test's.)
TEST_F(MusTreeWindow, ComposedTreeSurvivesSaveAndReopen) {
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

  ASSERT_TRUE(form->OpenMuzFile(saved));
  auto* reopened = dynamic_cast<TMDIChildMuz*>(form->GetActiveMDIChild());
  ASSERT_NE(reopened, nullptr);
  dialog.SetUnitMuz(reopened);
  EXPECT_EQ(dialog.tvMusParts->topLevelItem(0)->text(0).toStdString(), "turns");
  EXPECT_DOUBLE_EQ(reopened->GetUnitMuz()->GetStartPartMuz()->GetTimeLength(1), 2 * once);
  dialog.SetUnitMuz(nullptr);
  EXPECT_TRUE(sink.messages.empty());
}
}  // namespace
