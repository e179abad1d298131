#include "musicui/DMusTree.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "gui/application.h"
#include "support/layout_check.h"
#include "support/recording_sink.h"
#include "tests/music/fakes/sample_waves.h"
#include "tests/music/lettered_score.h"

namespace {

// The dialog's tree as text: label:image, "-" when collapsed, children in braces.
std::string Describe(QTreeWidgetItem* node) {
  std::string text;
  for (int i = 0; i < node->childCount(); ++i) {
    QTreeWidgetItem* child = node->child(i);
    text += (i ? "," : "") + child->text(0).toStdString() + ":" + std::to_string(child->data(0, kImageRole).toInt());
    if (child->childCount()) text += (child->isExpanded() ? "{" : "-{") + Describe(child) + "}";
  }
  return text;
}
std::string Describe(TDlgMusTree& dialog) { return Describe(dialog.tvMusParts->invisibleRootItem()); }
QTreeWidgetItem* FindNode(TDlgMusTree& dialog, const std::string& label) {
  const auto found = dialog.tvMusParts->findItems(QString::fromStdString(label), Qt::MatchExactly | Qt::MatchRecursive);
  return found.empty() ? nullptr : found.front();
}
std::string SelectedLabel(TDlgMusTree& dialog) {
  QTreeWidgetItem* node = dialog.tvMusParts->currentItem();
  return node ? node->text(0).toStdString() : "none";
}

using Piece = LetteredScore;

struct ActionCase {
  const char* name;
  std::function<TPartMuz*(Piece&)> tree;
  const char* select;  // the label of the node to select first
  QAction* TDlgMusTree::*action;
  int reply;  // the answer to the question the action asks; 0: it asks none
  std::string view;
  std::string selected;
  double length;
};

TEST(DlgMusTree, ActionsReshapeTheTreeAndTheViewFollowsTheDocument) {
  const std::vector<ActionCase> cases = {
      {"insert", [](Piece& p) { return p.A; }, "A", &TDlgMusTree::cmdInsertSingle, 0, "part:1,A:1", "part", 1.0},
      {"append", [](Piece& p) { return p.A; }, "A", &TDlgMusTree::cmdAppendSingle, 0, "A:1,part:1", "part", 1.0},
      {"repeat", [](Piece& p) { return p.Concat(p.A, p.B); }, "B", &TDlgMusTree::cmdAddLoop, 0,
       "A:1,repeat 2:0{B:1}", "repeat 2", 2.0},
      {"turns", [](Piece& p) { return p.A; }, "A", &TDlgMusTree::cmdAddTurns, 0, "turns:3{turn 1:2,A:1}", "turns",
       1.0},
      {"turn after turns added as 3, 1, 2", [](Piece& p) { return p.Select(p.A, {3, 1, 2}); }, "turns",
       &TDlgMusTree::cmdAddTurn, 0, "turns:3{turn 1:2,turn 2:2,turn 3:2,turn 4:2,A:1}", "turn 4", 1.0},
      {"forward", [](Piece& p) { return p.Concat(p.A, p.B); }, "A", &TDlgMusTree::cmdMoveForward, 0, "B:1,A:1", "A",
       1.5},
      {"forward into next", [](Piece& p) { return p.Concat(p.A, p.Loop(2, p.B)); }, "A",
       &TDlgMusTree::cmdMoveForwardIn, 0, "repeat 2:0{A:1,B:1}", "A", 3.0},
      {"backward into previous", [](Piece& p) { return p.Concat(p.Loop(3, p.B), p.A); }, "A",
       &TDlgMusTree::cmdMoveBackwardIn, 0, "repeat 3:0{B:1,A:1}", "A", 4.5},
      {"forward out", [](Piece& p) { return p.Loop(2, p.Concat(p.A, p.B)); }, "A", &TDlgMusTree::cmdMoveForwardOut,
       0, "repeat 2:0{B:1},A:1", "A", 2.0},
      {"backward out", [](Piece& p) { return p.Loop(2, p.Concat(p.A, p.B)); }, "B", &TDlgMusTree::cmdMoveBackwardOut,
       0, "B:1,repeat 2:0{A:1}", "B", 2.5},
      {"delete a loop", [](Piece& p) { return p.Concat(p.Loop(4, p.A), p.B); }, "repeat 4", &TDlgMusTree::cmdDelete,
       0, "A:1,B:1", "A", 1.5},
      {"delete a turn", [](Piece& p) { return p.Select(p.A, {1, 2}); }, "turn 1", &TDlgMusTree::cmdDelete, 0,
       "turns:3{turn 2:2,A:1}", "turns", 0.0},
      {"delete a single", [](Piece& p) { return p.Concat(p.A, p.B); }, "A", &TDlgMusTree::cmdDelete, kIdOk, "B:1", "B",
       0.5},
      {"delete a single cancelled", [](Piece& p) { return p.Concat(p.A, p.B); }, "A", &TDlgMusTree::cmdDelete,
       kIdCancel, "A:1,B:1", "A", 1.5},
      {"the only part cannot go", [](Piece& p) { return p.A; }, "A", &TDlgMusTree::cmdDelete, 0, "A:1", "A", 1.0},
      {"nor leave the top level", [](Piece& p) { return p.Concat(p.A, p.B); }, "A", &TDlgMusTree::cmdMoveForwardOut,
       0, "A:1,B:1", "A", 1.5},
  };
  for (const ActionCase& c : cases) {
    SCOPED_TRACE(c.name);
    Piece p;
    TPartMuz* root = p.Plant(c.tree(p));
    p.unit.SetSaved();
    RecordingSink sink;
    if (c.reply) sink.replies.push_back(c.reply);
    TDlgMusTree dialog(nullptr);
    dialog.ShowUnitMuz(&p.unit);
    dialog.tvMusParts->setCurrentItem(FindNode(dialog, c.select));
    (dialog.*c.action)->trigger();
    EXPECT_EQ(std::pair(Describe(dialog), SelectedLabel(dialog)), std::pair(c.view, c.selected));
    EXPECT_DOUBLE_EQ(root->GetTimeLength(1), c.length);
    EXPECT_EQ(p.unit.GetState(), kUnitStateModified);
    const std::vector<RecordedMessage> question = {
        {kDeleteSingleQuestion, kDeleteSingleCaption, kMbOkCancel | kMbIconQuestion}};
    EXPECT_EQ(sink.messages, c.reply ? question : std::vector<RecordedMessage>{});

    TUnitMuz reloaded("copy.kvm");
    std::string error;
    ASSERT_TRUE(reloaded.Duplicate(p.unit, error)) << error;
    TDlgMusTree other(nullptr);
    other.ShowUnitMuz(&reloaded);
    EXPECT_EQ(std::pair(Describe(other), SelectedLabel(other)), std::pair(c.view, c.selected));
  }
}

TEST(DlgMusTree, EnabledActionsFollowTheSelectedNode) {
  Piece p;
  p.Plant(p.Concat(p.A, p.Select(p.B, {1})));
  TDlgMusTree dialog(nullptr);
  dialog.ShowUnitMuz(&p.unit);
  const std::vector<QAction* TDlgMusTree::*> watched = {
      &TDlgMusTree::cmdMoveForward,    &TDlgMusTree::cmdMoveBackward,  &TDlgMusTree::cmdMoveForwardIn,
      &TDlgMusTree::cmdMoveBackwardIn, &TDlgMusTree::cmdMoveForwardOut, &TDlgMusTree::cmdDelete,
      &TDlgMusTree::cmdAddTurn,        &TDlgMusTree::cmdTreeExpand,    &TDlgMusTree::cmdGotoBegin};
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"none", "000000000"},      {"A", "101001000"},      {"turns", "010001110"},
      {"turn 1", "000001000"},    {"B", "000000000"},
  };
  // A rebuild keeps the document as it was; a selection by hand is stored in it.
  p.unit.SetSaved();
  dialog.Refresh();
  EXPECT_EQ(p.unit.GetState(), kUnitStateSaved);
  for (const auto& [label, enabled] : cases) {
    SCOPED_TRACE(label);
    dialog.tvMusParts->setCurrentItem(label == "none" ? nullptr : FindNode(dialog, label));
    std::string states;
    for (auto action : watched) states += (dialog.*action)->isEnabled() ? '1' : '0';
    EXPECT_EQ(states, enabled);
  }
  EXPECT_EQ(p.unit.GetState(), kUnitStateModified);
}

QImage Picture(const QIcon& icon) {
  return icon.pixmap(QSize(20, 20)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Each of the eighteen actions and each kind of node shows a picture of its own; opposite actions
// show mirror images (a number drawn on a square would not mirror into its partner).
TEST(DlgMusTree, ToolBarAndTreeShowPicturesOfWhatTheyDo) {
  Piece p;
  p.Plant(p.Concat(p.Loop(2, p.Select(p.A, {1, 2})), p.B));
  TDlgMusTree dialog(nullptr);
  dialog.show();  // without a main window it shows no document at first
  dialog.ShowUnitMuz(&p.unit);
  dialog.tvMusParts->expandAll();
  dialog.tvMusParts->setCurrentItem(FindNode(dialog, "A"));
  QApplication::processEvents();
  EXPECT_TRUE(dialog.grab().save(QString(KORVALEN_BUILD_DIR) + "/music-parts-dialog.png"));

  using Action = QAction* TDlgMusTree::*;
  const std::pair<Action, Action> opposites[] = {
      {&TDlgMusTree::cmdInsertSingle, &TDlgMusTree::cmdAppendSingle},
      {&TDlgMusTree::cmdMoveForward, &TDlgMusTree::cmdMoveBackward},
      {&TDlgMusTree::cmdMoveForwardIn, &TDlgMusTree::cmdMoveBackwardIn},
      {&TDlgMusTree::cmdMoveForwardOut, &TDlgMusTree::cmdMoveBackwardOut},
      {&TDlgMusTree::cmdGotoEnd, &TDlgMusTree::cmdGotoBegin}};
  for (const auto& [one, other] : opposites) {
    SCOPED_TRACE((dialog.*one)->text().toStdString());
    const QImage picture = Picture((dialog.*one)->icon());
    EXPECT_NE(picture, Picture((dialog.*other)->icon()));
    EXPECT_EQ(picture.mirrored(true, false), Picture((dialog.*other)->icon()));
  }
  std::vector<QImage> pictures;
  const QList<QAction*> tools = dialog.findChild<QToolBar*>()->actions();
  for (const QAction* tool : tools) {
    if (!tool->isSeparator()) pictures.push_back(Picture(tool->icon()));
  }
  EXPECT_EQ(pictures.size(), 18u);
  for (const char* label : {"repeat 2", "turns", "turn 1", "A"}) {
    QTreeWidgetItem* node = FindNode(dialog, label);
    ASSERT_NE(node, nullptr) << label << " in " << Describe(dialog);
    pictures.push_back(Picture(node->icon(0)));
  }
  for (size_t i = 0; i < pictures.size(); ++i) {
    for (size_t j = i + 1; j < pictures.size(); ++j) EXPECT_NE(pictures[i], pictures[j]) << i << " " << j;
  }
}

TEST(DlgMusTree, OctaveTextFollowsThePitch) {
  const std::vector<std::pair<int32_t, std::string>> cases = {
      {0, "0"}, {6, "1/2"}, {4, "1/3"}, {17, "1 5/12"}, {-17, "-1 5/12"}, {-6, "-1/2"}, {-24, "-2"},
      {INT32_MIN, "-178956970 2/3"}};
  for (const auto& [pitch, text] : cases) EXPECT_EQ(PitchToOctaveText(pitch), text) << pitch;
}

TEST(DlgMusTree, CountsAndPitchesAreCheckedAndStored) {
  const std::string kTooHigh = "In Pitch: Value is too high. (maximum: 2147483647)";
  struct Case {
    const char* node;
    QLineEdit* TDlgMusTree::*field;
    const char* text;
    std::vector<std::string> messages;
    const char* after;  // the node's label
    int32_t pitch;      // of turn 2
    const char* octave;
  };
  const std::vector<Case> cases = {
      {"repeat 2", &TDlgMusTree::editCount, "5", {}, "repeat 5", 0, ""},
      {"repeat 2", &TDlgMusTree::editCount, "0", {"In Count: Value must be positive and more than 0."}, "repeat 2", 0,
       ""},
      {"turn 2", &TDlgMusTree::editCount, "3", {}, "turn 3", 0, "0"},
      {"turn 2", &TDlgMusTree::editCount, "1", {"In Count: 1 already exist"}, "turn 2", 0, "0"},
      {"turn 2", &TDlgMusTree::editPitch, "-17", {}, "turn 2", -17, "-1 5/12"},
      // The Octave is worked out on every change, so a bad Pitch is reported as typed, then on leaving.
      {"turn 2", &TDlgMusTree::editPitch, "99999999999", {kTooHigh, kTooHigh}, "turn 2", 0, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.node) + " <- " + c.text);
    Piece p;
    TSelectPartMuz* select = p.Select(p.A, {1, 2});
    p.Plant(p.Loop(2, select));
    TDlgMusTree dialog(nullptr);
    dialog.ShowUnitMuz(&p.unit);
    dialog.tvMusParts->setCurrentItem(FindNode(dialog, c.node));
    RecordingSink sink;
    (dialog.*c.field)->setText(c.text);
    EXPECT_EQ(dialog.editOctave->text().toStdString(), c.octave);
    c.field == &TDlgMusTree::editCount ? dialog.editCountExit() : dialog.editPitchExit();
    std::vector<std::string> shown;
    for (const RecordedMessage& m : sink.messages) shown.push_back(m.text);
    EXPECT_EQ(shown, c.messages);
    EXPECT_NE(FindNode(dialog, c.after), nullptr);  // at once, not only after a rebuild
    int32_t pitch = 1;
    select->FindTurn(pitch, c.after == std::string("turn 3") ? 3 : 2);
    EXPECT_EQ(pitch, c.pitch);
  }
}

TEST(DlgMusTree, RefusedTurnCountHoldsTheSelection) {
  Piece p;
  p.Plant(p.Select(p.A, {1, 2}));
  TDlgMusTree dialog(nullptr);
  dialog.ShowUnitMuz(&p.unit);
  QTreeWidgetItem* turn2 = FindNode(dialog, "turn 2");
  dialog.tvMusParts->setCurrentItem(turn2);
  RecordingSink sink;
  dialog.editCount->setText("1");
  dialog.editCountExit();
  TMusTreeItem* stored = p.unit.GetSelMusTreeItem();
  dialog.tvMusParts->setCurrentItem(FindNode(dialog, "A"));
  EXPECT_EQ(dialog.tvMusParts->currentItem(), turn2);
  EXPECT_EQ(p.unit.GetSelMusTreeItem(), stored);
  // Left unchanged, the field lets the selection go.
  dialog.editCountExit();
  dialog.tvMusParts->setCurrentItem(FindNode(dialog, "A"));
  EXPECT_EQ(SelectedLabel(dialog), "A");
  EXPECT_EQ(sink.messages.size(), 1u);
}

TEST(DlgMusTree, PlayAndDrawBoxCyclesByTheParentsVisibility) {
  // Under a visible loop the box toggles checked and unchecked, under a hidden one grayed and
  // unchecked; the part's flag is set for both checked and grayed.
  for (const auto& [loopVisible, set] : {std::pair{true, Qt::Checked}, {false, Qt::PartiallyChecked}}) {
    SCOPED_TRACE(loopVisible);
    Piece p;
    TLoopPartMuz* loop = p.Loop(2, p.A);
    loop->SetVisibleFlag(loopVisible);
    p.Plant(loop);
    TDlgMusTree dialog(nullptr);
    dialog.ShowUnitMuz(&p.unit);
    dialog.tvMusParts->setCurrentItem(FindNode(dialog, "A"));
    EXPECT_EQ(dialog.chkPlayDraw->checkState(), set);
    for (Qt::CheckState state : {Qt::Unchecked, set, Qt::Unchecked}) {
      dialog.chkPlayDraw->click();
      EXPECT_EQ(dialog.chkPlayDraw->checkState(), state);
      EXPECT_EQ(p.A->GetVisibleFlag(), state != Qt::Unchecked);
    }
  }
}

TEST(DlgMusTree, LabelsAreEditedInPlace) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<Chorus & Coda>", "<Chorus & Coda>"}, {"   ", "part"}};
  for (const auto& [typed, shown] : cases) {
    SCOPED_TRACE(typed);
    Piece p;
    p.Plant(p.A);
    p.unit.SetSaved();
    TDlgMusTree dialog(nullptr);
    dialog.ShowUnitMuz(&p.unit);
    FindNode(dialog, "A")->setText(0, QString::fromStdString(typed));
    EXPECT_EQ(p.unit.GetState(), kUnitStateModified);
    TUnitMuz reloaded("copy.kvm");
    std::string error;
    ASSERT_TRUE(reloaded.Duplicate(p.unit, error)) << error;
    EXPECT_EQ(reloaded.GetStartPartMuz()->GetPartMuz()->GetLabel(), shown);
  }
}

TEST(DlgMusTree, PlaySubtreeHandsTheRenderedPartToTheMainWindow) {
  SampleWaves waves;
  waves.Add(muztext::kDefaultSampleWave, 2205);
  Piece p;
  TSinglePartMuz* empty = p.Single();
  empty->SetLabel("E");
  p.Plant(p.Concat(p.A, empty));
  TDlgMusTree dialog(nullptr);
  dialog.ShowUnitMuz(&p.unit);
  for (const auto& [label, plays] : std::vector<std::pair<const char*, size_t>>{{"E", 0}, {"A", 1}}) {
    dialog.tvMusParts->setCurrentItem(FindNode(dialog, label));
    dialog.btnPlay->click();
    EXPECT_EQ(waves.main.played.size(), plays) << label;
  }
}
}  // namespace

// The tool bar's buttons read the tool bar's hints (the bar's part as the tip, the rest in the
// status bar); the plain moves read their own in the menu, and their buttons follow their state.
TEST(DlgMusTree, ToolBarAndMenuShowTheirHints) {
  Piece p;
  p.Plant(p.Concat(p.A, p.B));
  TDlgMusTree dialog(nullptr);
  dialog.ShowUnitMuz(&p.unit);
  const auto hint = [](const QAction* action) {
    const QString tip = action->toolTip();
    return (tip == action->statusTip() ? tip : tip + "|" + action->statusTip()).toStdString();
  };
  std::vector<std::string> tools;
  std::vector<QAction*> buttons;
  for (QAction* tool : dialog.findChild<QToolBar*>()->actions()) {
    if (!tool->isSeparator()) tools.push_back(hint(tool)), buttons.push_back(tool);
  }
  EXPECT_EQ(tools, (std::vector<std::string>{
                       "Insert Single before|Insert a new Single Music Part before the selected Music Part",
                       "Append Single after|Append a new Single Music Part after the selected Music Part",
                       "Add Repeat|Add a new Repeat Music Part in the Tree",
                       "Add Turns|Add a new Turns Music Part in the Tree",
                       "Add Turn Item|Add a new Turn Item to the selected Repeat Music Part",
                       "Move Forward|Move selected Subtree Forward",
                       "Move Backward|Move selected Subtree Backward",
                       "Move Forward Into|Move selected Subtree Forward into the Next Subtree",
                       "Move Backward Into|Move selected Subtree Backward into the Previous Subtree",
                       "Move Forward Out|Move selected Subtree Forward out of the Parent Subtree",
                       "Move Backward Out|Move selected Subtree Backward out of the Parent Subtree",
                       "Delete Music Part", "Expand", "Expand All", "Collapse", "Collapse All",
                       "Go to First Symbol of Selected Music Part", "Go to Last Symbol of Selected Music Part"}));
  EXPECT_EQ(std::make_pair(hint(dialog.cmdMoveForward), hint(dialog.cmdMoveBackward)),
            std::make_pair(std::string("Move Forward|Moves selected subtree forward"),
                           std::string("Move Backward|Moves selected subtree backward")));
  // A selects: it moves forward, not backward, and its button moves it.
  dialog.tvMusParts->setCurrentItem(FindNode(dialog, "A"));
  ASSERT_EQ(buttons.size(), 18u);
  EXPECT_TRUE(buttons[5]->isEnabled() && !buttons[6]->isEnabled());
  buttons[5]->trigger();
  EXPECT_EQ(Describe(dialog), "B:1,A:1");
}

// The question before a single part is deleted shows on screen with its caption whole, in the
// program's 8-point form font; Cancel keeps the part.
TEST(DlgMusTree, TheDeleteQuestionShowsItsCaptionWhole) {
  Piece p;
  p.Plant(p.Concat(p.A, p.B));
  TDlgMusTree dialog(nullptr);
  dialog.ShowUnitMuz(&p.unit);
  dialog.tvMusParts->setCurrentItem(FindNode(dialog, "A"));
  const QFont appFont = QApplication::font();
  QApplication::setFont(QFont("Liberation Sans", 8));
  QtMessageSink screen;
  MessageSink* previous = SetMessageSink(&screen);
  std::string caption;
  std::vector<std::string> faults{"not shown"};
  {
    ScopedModalRunner runner([&](QDialog& box) {
      box.show();
      QApplication::processEvents();
      caption = box.windowTitle().toStdString();
      faults = LayoutFaults(box);
      return int(QMessageBox::Cancel);
    });
    dialog.cmdDelete->trigger();
  }
  SetMessageSink(previous);
  QApplication::setFont(appFont);
  EXPECT_EQ(caption, kDeleteSingleCaption);
  EXPECT_EQ(faults, std::vector<std::string>{});
  EXPECT_EQ(Describe(dialog), "A:1,B:1");
}
