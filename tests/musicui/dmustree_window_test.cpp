#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <set>

#include "gui/application.h"
#include "muzwindow_fixture.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "musicui/DMusTree.h"
#include "support/answered_boxes.h"
#include "support/event_loop.h"

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

// The number the document holds for `field` of the selected node.
std::string Stored(const TDlgMusTree& dialog, QLineEdit* TDlgMusTree::*field) {
  TMusTreeItem* item = dialog.GetSelectedItem();
  if (const auto* loop = dynamic_cast<TLoopPartMuz*>(item)) return std::to_string(loop->GetCount().GetValue());
  const auto* turn = dynamic_cast<TCountSelectPartItem*>(item);
  if (turn == nullptr) return "none";
  return std::to_string(field == &TDlgMusTree::editCount ? turn->GetCount().GetValue() : turn->GetPitch().GetValue());
}

// Typed as a user types, each box answered with Enter on screen: the window manager activates each
// box as it opens and, as it closes, the window the box belongs to. The dialog refreshes as it
// becomes active again, so once things settle a refused number has given way to the one the part
// kept. A Count that another turn holds brings the keys back to Count, selected, to be typed over.
TEST_F(MusTreeWindow, ARefusedCountOrPitchGivesWayToThePartsOwnOnceTheBoxIsAnswered) {
  InstallMusTreeDialog(*form);
  TMDIChildMuz* window = ComposeNew();
  ASSERT_NE(window, nullptr);
  Trigger("MusicParts");
  auto* dialog = dynamic_cast<TDlgMusTree*>(form->DlgMusTree.Get());
  ASSERT_NE(dialog, nullptr);
  dialog->tvMusParts->setCurrentItem(dialog->tvMusParts->topLevelItem(0));
  dialog->cmdAddLoop->trigger();   // "repeat 2" around the part
  dialog->cmdAddTurns->trigger();  // and "turns" with "turn 1" inside the repeat
  dialog->tvMusParts->setCurrentItem(
      dialog->tvMusParts->findItems("turns", Qt::MatchExactly | Qt::MatchRecursive).value(0));
  dialog->cmdAddTurn->trigger();  // and "turn 2" beside it
  BoxesAnsweredWithReturn boxes(form.get());
  const auto settled = [dialog] {
    const bool back = QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }, 10000);
    RunQueued();
    return back;
  };
  const std::string kCountBox = "In Count: Value must be positive and more than 0.";
  const struct {
    const char* node;
    QLineEdit* TDlgMusTree::*field;
    const char* typed;
    Qt::Key leave;
    std::string box;
    std::string old;
    bool back;            // the keys are in the field once the box is answered
    const char* retyped;  // typed then, and left with Tab: it replaces the old number
  } cases[] = {{"repeat 2", &TDlgMusTree::editCount, "abc", Qt::Key_Tab, kCountBox, "2", false, nullptr},
               {"turn 1", &TDlgMusTree::editCount, "0", Qt::Key_Return, kCountBox, "1", true, nullptr},
               {"turn 2", &TDlgMusTree::editCount, "1", Qt::Key_Tab, "In Count: 1 already exist", "2", true, "3"},
               // Read for the Octave as it is typed, the Pitch is refused before it is left.
               {"turn 1", &TDlgMusTree::editPitch, "9999999999", Qt::Key_Tab,
                "In Pitch: Value is too high. (maximum: 2147483647)", "0", false, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.node) + " <- " + c.typed);
    ASSERT_TRUE(settled());
    dialog->tvMusParts->setCurrentItem(
        dialog->tvMusParts->findItems(c.node, Qt::MatchExactly | Qt::MatchRecursive).value(0));
    window->GetUnitMuz()->SetSaved();
    QLineEdit* field = dialog->*c.field;
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    boxes.texts.clear();
    for (const char* key = c.typed; *key != 0; ++key) {
      QTest::keyClicks(QApplication::focusWidget(), QString(QChar(*key)));
      ASSERT_TRUE(settled());  // the user answers a box before typing on
      // Answered, the box leaves the keys in the field.
      ASSERT_EQ(QApplication::focusWidget(), field) << "after " << *key;
    }
    QTest::keyClick(QApplication::focusWidget(), c.leave);
    ASSERT_TRUE(settled());
    EXPECT_EQ(std::set<std::string>(boxes.texts.begin(), boxes.texts.end()), std::set<std::string>{c.box});
    const QTreeWidgetItem* node = dialog->tvMusParts->currentItem();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(0).toStdString(), c.node);
    EXPECT_EQ(std::pair(field->text().toStdString(), Stored(*dialog, c.field)), std::pair(c.old, c.old));
    EXPECT_FALSE(window->GetUnitMuz()->NeedsSave());
    // The keys go on where they were, never to Close, where Return would close the dialog.
    // Where Enter or Tab left the keys, never on Close, where Return would close the dialog.
    EXPECT_EQ(QApplication::focusWidget() == field, c.back);
    EXPECT_NE(QApplication::focusWidget(), dialog->btnClose);
    if (c.retyped == nullptr) continue;
    QTest::keyClicks(QApplication::focusWidget(), c.retyped);
    EXPECT_EQ(field->text().toStdString(), c.retyped);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(settled());
    EXPECT_EQ(Stored(*dialog, c.field), c.retyped);
    EXPECT_EQ(boxes.texts.size(), 1u);
  }
  dialog->close();
}
}  // namespace
