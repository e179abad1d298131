#include "musicui/DMusTree.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/Main.h"
#include "app/MainRegistry.h"
#include "foundation/assertion.h"
#include "foundation/messages.h"
#include "foundation/smallobj.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/muztreeview.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "musicui/ChildMuz.h"
#include "wave/sound.h"

namespace {

// A second face of `action` (another text, hint or picture) that runs it and follows its state.
void FollowAction(QAction* twin, QAction* action) {
  twin->setEnabled(action->isEnabled());
  QObject::connect(twin, &QAction::triggered, action, &QAction::trigger);
  QObject::connect(action, &QAction::enabledChanged, twin, &QAction::setEnabled);
}

constexpr const char* kAssertUnit = "DMusTree";
constexpr int kImageSize = 20;
constexpr int kTreeIndent = 28;

TMusTreeItem* ItemOf(const QTreeWidgetItem* node) {
  return node ? reinterpret_cast<TMusTreeItem*>(node->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

bool IsPartNode(const QTreeWidgetItem* node) {
  const TMusTreeItem* item = ItemOf(node);
  return item && item->GetMusTreeItemKind() == musTreeItemPartMuz;
}

bool IsTurnNode(const QTreeWidgetItem* node) {
  const TMusTreeItem* item = ItemOf(node);
  return item && item->GetMusTreeItemKind() == musTreeItemSelectPartItem;
}

bool IsLoopOrSelectNode(const QTreeWidgetItem* node) {
  if (!IsPartNode(node)) return false;
  const uint8_t kind = static_cast<TPartMuz*>(ItemOf(node))->GetPartMuzKind();
  return kind == partMuzLoop || kind == partMuzSelect;
}

// The node beside `node` on its level, `offset` away; null past the ends.
QTreeWidgetItem* Sibling(QTreeWidgetItem* node, int offset) {
  QTreeWidgetItem* parent = node->parent();
  QTreeWidget* tree = node->treeWidget();
  const int index = (parent ? parent->indexOfChild(node) : tree->indexOfTopLevelItem(node)) + offset;
  const int count = parent ? parent->childCount() : tree->topLevelItemCount();
  if (index < 0 || index >= count) return nullptr;
  return parent ? parent->child(index) : tree->topLevelItem(index);
}

int32_t TurnCount(const QTreeWidgetItem* node) {
  return static_cast<TCountSelectPartItem*>(ItemOf(node))->GetCount().GetValue();
}

// A turn item's count, with its pitch, or a loop's count.
TCountSelectPartItem* TurnItemOf(const QTreeWidgetItem* node) {
  return IsTurnNode(node) ? static_cast<TCountSelectPartItem*>(ItemOf(node)) : nullptr;
}

// --- pictures -----------------------------------------------------------------------------------
// Drawn like the main window's tool-bar pictures: plain shapes in a few colours, so the kind of a
// node and what an action does read at a glance. The node kinds come in the order of the tree's
// image indexes: 0 loop, 1 single part, 2 turn item, 3 select part.

const QColor kInk(30, 30, 30);
const QColor kLoopBlue(0, 90, 170);
const QColor kTurnOrange(190, 100, 0);
const QColor kSelectPurple(130, 30, 150);
const QColor kAddGreen(0, 140, 0);
const QColor kMoveBlue(0, 70, 160);
const QColor kDeleteRed(200, 0, 0);

enum class Picture {
  Loop, Single, Turn, Select,  // the node kinds
  InsertSingle, AddLoop, AddSelect, AddTurn,
  MoveForward, MoveForwardIn, MoveForwardOut,
  Delete, Expand, ExpandAll, Collapse, CollapseAll, GotoEnd, PlaySubtree
};

// A single part: a sheet with two staff lines and a quarter note.
void DrawSingle(QPainter& p, const QRectF& sheet) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::white);
  p.drawRect(sheet);
  const double left = sheet.left() + 1.5, right = sheet.right() - 1.5;
  const double upper = sheet.top() + sheet.height() * 0.4, lower = sheet.top() + sheet.height() * 0.7;
  p.setPen(QPen(QColor(110, 110, 110), 0.8));
  p.drawLine(QPointF(left, upper), QPointF(right, upper));
  p.drawLine(QPointF(left, lower), QPointF(right, lower));
  const QPointF head(sheet.center().x() - 1, lower);
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kInk);
  p.drawEllipse(head, 2.2, 1.6);
  p.drawLine(head + QPointF(2, 0), QPointF(head.x() + 2, sheet.top() + 2));
}

// A loop: the start and end repeat signs.
void DrawLoop(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kLoopBlue);
  p.drawRect(QRectF(2, 3, 2.4, 14));
  p.drawRect(QRectF(15.6, 3, 2.4, 14));
  p.setPen(QPen(kLoopBlue, 1));
  p.drawLine(QPointF(6, 3), QPointF(6, 17));
  p.drawLine(QPointF(14, 3), QPointF(14, 17));
  p.setPen(Qt::NoPen);
  for (double x : {8.3, 11.7}) {
    p.drawEllipse(QPointF(x, 7.5), 1.3, 1.3);
    p.drawEllipse(QPointF(x, 12.5), 1.3, 1.3);
  }
}

// A turn: the bracket over the bars played on that turn, with its number.
void DrawVolta(QPainter& p, const QRectF& box, const QString& number, const QColor& colour) {
  p.setPen(QPen(colour, 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(QPolygonF({QPointF(box.left(), box.bottom()), QPointF(box.left(), box.top()),
                            QPointF(box.right(), box.top())}));
  QFont font = p.font();
  font.setPixelSize(9);
  font.setBold(true);
  p.setFont(font);
  p.drawText(box.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, number);
}

// A small green plus on a white disc in the lower right corner: "add".
void DrawAdd(QPainter& p, QPointF centre = QPointF(15, 15)) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(centre, 4.8, 4.8);
  p.setPen(QPen(kAddGreen, 2.2, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(centre - QPointF(3.5, 0), centre + QPointF(3.5, 0));
  p.drawLine(centre - QPointF(0, 3.5), centre + QPointF(0, 3.5));
}

// A blue arrow along `path`, its head at the path's end pointing along its last stretch.
void DrawArrow(QPainter& p, const QPolygonF& path) {
  p.setPen(QPen(kMoveBlue, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  const QPointF tip = path.last(), from = path[path.size() - 2];
  QPointF along = tip - from;
  along /= std::hypot(along.x(), along.y());
  const QPointF across(-along.y(), along.x());
  QPolygonF line = path;
  line.last() = tip - along * 3;
  p.drawPolyline(line);
  p.setPen(Qt::NoPen);
  p.setBrush(kMoveBlue);
  p.drawPolygon(QPolygonF({tip, tip - along * 5 + across * 4, tip - along * 5 - across * 4}));
}

// The tree's expand box: a square with a plus or a minus; `twice` stacks two of them.
void DrawTreeBox(QPainter& p, bool plus, bool twice) {
  const auto box = [&](QPointF corner) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(corner, QSizeF(11, 11)));
    p.setPen(QPen(kInk, 1.6));
    const QPointF centre = corner + QPointF(5.5, 5.5);
    p.drawLine(centre - QPointF(3, 0), centre + QPointF(3, 0));
    if (plus) p.drawLine(centre - QPointF(0, 3), centre + QPointF(0, 3));
  };
  if (twice) {
    box(QPointF(7.5, 2.5));
    box(QPointF(2.5, 7.5));
  } else {
    box(QPointF(4.5, 4.5));
  }
}

void DrawPicture(QPainter& p, Picture picture) {
  switch (picture) {
    case Picture::Loop:
      DrawLoop(p);
      break;
    case Picture::Single:
      DrawSingle(p, QRectF(3.5, 2.5, 13, 15));
      break;
    case Picture::Turn:
      DrawVolta(p, QRectF(3, 3, 14, 13), "1.", kTurnOrange);
      break;
    case Picture::Select:
      DrawVolta(p, QRectF(1.5, 3, 7.5, 13), "1", kSelectPurple);
      DrawVolta(p, QRectF(11, 3, 7.5, 13), "2", kSelectPurple);
      break;
    case Picture::InsertSingle:
      DrawSingle(p, QRectF(8.5, 2.5, 10, 15));
      DrawAdd(p, QPointF(5, 10));
      break;
    case Picture::AddLoop:
      DrawLoop(p);
      DrawAdd(p);
      break;
    case Picture::AddSelect:
      DrawPicture(p, Picture::Select);
      DrawAdd(p);
      break;
    case Picture::AddTurn:
      DrawPicture(p, Picture::Turn);
      DrawAdd(p);
      break;
    case Picture::MoveForward:
      DrawSingle(p, QRectF(1.5, 4.5, 8, 11));
      DrawArrow(p, QPolygonF({QPointF(10.5, 10), QPointF(19, 10)}));
      break;
    case Picture::MoveForwardIn:
      // Over the neighbour's edge and down into it.
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(230, 230, 230));
      p.drawRect(QRectF(9.5, 9.5, 9, 9));
      DrawArrow(p, QPolygonF({QPointF(1, 4), QPointF(14, 4), QPointF(14, 17)}));
      break;
    case Picture::MoveForwardOut:
      // From inside the parent out past its end.
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(230, 230, 230));
      p.drawRect(QRectF(1.5, 3.5, 10, 13));
      DrawArrow(p, QPolygonF({QPointF(4, 10), QPointF(19, 10)}));
      break;
    case Picture::Delete:
      p.setPen(QPen(kDeleteRed, 2.6, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(4, 4), QPointF(16, 16));
      p.drawLine(QPointF(16, 4), QPointF(4, 16));
      break;
    case Picture::Expand:
    case Picture::ExpandAll:
    case Picture::Collapse:
    case Picture::CollapseAll:
      DrawTreeBox(p, picture == Picture::Expand || picture == Picture::ExpandAll,
                  picture == Picture::ExpandAll || picture == Picture::CollapseAll);
      break;
    case Picture::GotoEnd:
      p.setPen(Qt::NoPen);
      p.setBrush(kInk);
      p.drawPolygon(QPolygonF({QPointF(4, 4), QPointF(13, 10), QPointF(4, 16)}));
      p.drawRect(QRectF(14, 4, 2.4, 12));
      break;
    case Picture::PlaySubtree:
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(0, 150, 0));
      p.drawPolygon(QPolygonF({QPointF(5, 3), QPointF(16, 10), QPointF(5, 17)}));
      break;
  }
}

QImage PictureImage(Picture picture) {
  QImage image(kImageSize, kImageSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawPicture(painter, picture);
  return image;
}

// The pictures of a pair of opposite actions are mirror images of each other: one is drawn.
QIcon PictureIcon(Picture picture, bool mirrored = false) {
  const QImage image = PictureImage(picture);
  return QIcon(QPixmap::fromImage(mirrored ? image.mirrored(true, false) : image));
}

const std::vector<QIcon>& TreeImages() {
  static const std::vector<QIcon> images = {PictureIcon(Picture::Loop), PictureIcon(Picture::Single),
                                            PictureIcon(Picture::Turn), PictureIcon(Picture::Select)};
  return images;
}

}  // namespace

std::string PitchToOctaveText(int32_t pitch) {
  const int64_t p = pitch;  // the negation of the smallest pitch must not overflow
  const int64_t octaves = p / 12;
  int64_t denominator = 12;
  if (p % 2 == 0) denominator = 6;
  if (p % 3 == 0) denominator = 4;
  if (p % 4 == 0) denominator = 3;
  if (p % 6 == 0) denominator = 2;
  if (p % 12 == 0) denominator = 1;
  int64_t numerator = p / (12 / denominator) - octaves * denominator;
  if (octaves < 0) numerator = -numerator;
  if (denominator == 1) return std::to_string(octaves);
  const std::string fraction = std::to_string(numerator) + "/" + std::to_string(denominator);
  return octaves == 0 ? fraction : std::to_string(octaves) + " " + fraction;
}

// --- the document's road into the tree widget ----------------------------------------------------

class TDlgMusTree::TreeView : public MuzTreeView {
 public:
  explicit TreeView(QTreeWidget& tree) : tree_(tree) {}
  void BeginUpdate() override { tree_.setUpdatesEnabled(false); }
  void Clear() override { tree_.clear(); }
  void EndUpdate() override { tree_.setUpdatesEnabled(true); }
  Node AddChildObject(Node parent, const std::string& text, TMusTreeItem* item) override {
    auto* node = parent ? new QTreeWidgetItem(static_cast<QTreeWidgetItem*>(parent))
                        : new QTreeWidgetItem(&tree_);
    node->setText(0, QString::fromStdString(text));
    node->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    return node;
  }
  void SetImageIndex(Node node, int32_t image) override {
    if (image >= 0 && image < static_cast<int32_t>(TreeImages().size()))
      static_cast<QTreeWidgetItem*>(node)->setIcon(0, TreeImages()[image]);
    static_cast<QTreeWidgetItem*>(node)->setData(0, kImageRole, image);
  }
  void SetSelection(Node node) override { tree_.setCurrentItem(static_cast<QTreeWidgetItem*>(node)); }
  void ClearSelection() override { tree_.setCurrentItem(nullptr); }
  void SetExpanded(Node node, bool expanded) override { static_cast<QTreeWidgetItem*>(node)->setExpanded(expanded); }
  TMusTreeItem* GetData(Node node) const override { return ItemOf(static_cast<QTreeWidgetItem*>(node)); }

 private:
  QTreeWidget& tree_;
};

// --- building the form ---------------------------------------------------------------------------

TDlgMusTree::TDlgMusTree(QWidget* owner) : QDialog(owner) {
  setWindowTitle(kMusTreeCaption);
  setModal(false);
  setWindowFlag(Qt::WindowStaysOnTopHint);

  tvMusParts = new QTreeWidget;
  tvMusParts->setHeaderHidden(true);
  tvMusParts->setIconSize(QSize(kImageSize, kImageSize));
  tvMusParts->setIndentation(kTreeIndent);
  tvMusParts->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::SelectedClicked);
  View = new TreeView(*tvMusParts);

  auto* grpPart = new QGroupBox("Music Part");
  auto* grid = new QGridLayout(grpPart);
  editCount = new QLineEdit;
  editPitch = new QLineEdit;
  editOctave = new QLineEdit;
  editOctave->setReadOnly(true);
  DisableEdit(*editOctave);
  int row = 0;
  for (auto [label, edit] : {std::pair{"Count", editCount}, {"Pitch", editPitch}, {"Octave", editOctave}}) {
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(edit, row++, 1);
  }
  chkPlayDraw = new QCheckBox("Play and Draw Subtree");
  chkPlayDraw->setTristate(true);
  grid->addWidget(chkPlayDraw, row++, 0, 1, 2);
  btnPlay = new QPushButton(PictureIcon(Picture::PlaySubtree), "Play Subtree");
  grid->addWidget(btnPlay, row++, 0, 1, 2);
  grid->setRowStretch(row, 1);

  btnApply = new QPushButton("Apply");
  btnClose = new QPushButton("Close");
  btnHelp = new QPushButton("Help");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {btnApply, btnClose, btnHelp}) buttons->addWidget(button);
  // No button is the default: Enter in Count or Pitch takes the number, as leaving it does, and
  // plays nothing.
  SetDefaultButton(*this, nullptr);

  auto* body = new QHBoxLayout;
  body->addWidget(tvMusParts, 1);
  body->addWidget(grpPart);
  StatusBar = new QStatusBar;
  auto* layout = new QVBoxLayout(this);
  BuildActions();
  layout->addLayout(body, 1);
  layout->addLayout(buttons);
  layout->addWidget(StatusBar);

  connect(editCount, &QLineEdit::textChanged, this, [this] { editChange(); });
  connect(editPitch, &QLineEdit::textChanged, this, [this] { editChange(); });
  connect(editCount, &QLineEdit::returnPressed, this, [this] { editCountExit(); });
  connect(editPitch, &QLineEdit::returnPressed, this, [this] { editPitchExit(); });
  // The fields commit on leaving them, whatever their text did since the last time.
  for (QLineEdit* edit : {editCount, editPitch, editOctave}) edit->installEventFilter(this);
  connect(chkPlayDraw, &QCheckBox::clicked, this, [this] { chkPlayDrawClick(); });
  connect(btnPlay, &QPushButton::clicked, this, [this] { btnPlayClick(); });
  connect(btnApply, &QPushButton::clicked, this, [this] { btnApplyClick(); });
  connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
  connect(btnHelp, &QPushButton::clicked, this, [] { HelpContext(kMusTreeHelpContext); });
  connect(tvMusParts, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* node, QTreeWidgetItem* previous) { tvMusPartsChange(node, previous); });
  connect(tvMusParts, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* node) { tvMusPartsEdited(node); });
  connect(tvMusParts, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { SetPartExpanded(node, true); });
  connect(tvMusParts, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* node) { SetPartExpanded(node, false); });
  ShowSelectedNode(nullptr);
}

TDlgMusTree::~TDlgMusTree() {
  // The tree's signals must not reach a half-destroyed dialog.
  tvMusParts->disconnect(this);
  delete View;
}

void TDlgMusTree::BuildActions() {
  auto* menu = new QMenuBar;
  auto* tools = new QToolBar;
  tools->setIconSize(QSize(kImageSize, kImageSize));
  struct Spec {
    QAction*& action;
    const char* caption;
    Picture picture;
    bool mirrored;  // the opposite of the action whose picture it shares
    const char* hint;
  };
  const auto make = [this](const Spec& spec) {
    spec.action = new QAction(PictureIcon(spec.picture, spec.mirrored), spec.caption, this);
    const QString hint = spec.hint;
    spec.action->setToolTip(hint.section('|', 0, 0));
    // The status bar shows the part of the hint after the bar.
    spec.action->setStatusTip(hint.contains('|') ? hint.section('|', 1) : hint);
  };
  const std::vector<Spec> specs = {
      {cmdInsertSingle, "&Insert Single", Picture::InsertSingle, false,
       "Insert Single before|Insert a new Single Music Part before the selected Music Part"},
      {cmdAppendSingle, "&Append Single", Picture::InsertSingle, true,
       "Append Single after|Append a new Single Music Part after the selected Music Part"},
      {cmdAddLoop, "&Repeat", Picture::AddLoop, false, "Add Repeat|Add a new Repeat Music Part in the Tree"},
      {cmdAddTurns, "&Turns", Picture::AddSelect, false, "Add Turns|Add a new Turns Music Part in the Tree"},
      {cmdAddTurn, "T&urn", Picture::AddTurn, false,
       "Add Turn Item|Add a new Turn Item to the selected Repeat Music Part"},
      {cmdMoveForward, "&Forward", Picture::MoveForward, false, "Move Forward|Move selected Subtree Forward"},
      {cmdMoveBackward, "&Backward", Picture::MoveForward, true, "Move Backward|Move selected Subtree Backward"},
      {cmdMoveForwardIn, "Forward into &Next", Picture::MoveForwardIn, false,
       "Move Forward Into|Move selected Subtree Forward into the Next Subtree"},
      {cmdMoveBackwardIn, "Backward into &Previous", Picture::MoveForwardIn, true,
       "Move Backward Into|Move selected Subtree Backward into the Previous Subtree"},
      {cmdMoveForwardOut, "Forward &out", Picture::MoveForwardOut, false,
       "Move Forward Out|Move selected Subtree Forward out of the Parent Subtree"},
      {cmdMoveBackwardOut, "Backward o&ut", Picture::MoveForwardOut, true,
       "Move Backward Out|Move selected Subtree Backward out of the Parent Subtree"},
      {cmdDelete, "&Delete", Picture::Delete, false, "Delete Music Part"},
      {cmdTreeExpand, "&Expand", Picture::Expand, false, "Expand"},
      {cmdTreeExpandAll, "E&xpand All", Picture::ExpandAll, false, "Expand All"},
      {cmdTreeCollapse, "&Collapse", Picture::Collapse, false, "Collapse"},
      {cmdTreeCollapseAll, "C&ollapse All", Picture::CollapseAll, false, "Collapse All"},
      {cmdGotoBegin, "&Begin", Picture::GotoEnd, true, "Go to First Symbol of Selected Music Part"},
      {cmdGotoEnd, "&End", Picture::GotoEnd, false, "Go to Last Symbol of Selected Music Part"},
  };
  for (const Spec& spec : specs) make(spec);
  for (QAction* a : {cmdInsertSingle, cmdAppendSingle, cmdAddLoop, cmdAddTurns, cmdAddTurn}) a->setData("Add");
  for (QAction* a : {cmdMoveForward, cmdMoveBackward, cmdMoveForwardIn, cmdMoveBackwardIn, cmdMoveForwardOut,
                     cmdMoveBackwardOut})
    a->setData("Move");
  for (QAction* a : {cmdTreeExpand, cmdTreeExpandAll, cmdTreeCollapse, cmdTreeCollapseAll}) a->setData("TreeView");

  QMenu* add = menu->addMenu("&Add");
  add->addActions({cmdInsertSingle, cmdAppendSingle});
  add->addSeparator();
  add->addActions({cmdAddLoop, cmdAddTurns});
  add->addSeparator();
  add->addAction(cmdAddTurn);
  QMenu* move = menu->addMenu("&Move");
  move->addActions({cmdMoveForward, cmdMoveBackward});
  move->addSeparator();
  move->addActions({cmdMoveForwardIn, cmdMoveBackwardIn});
  move->addSeparator();
  move->addActions({cmdMoveForwardOut, cmdMoveBackwardOut});
  // The two plain moves carry hints of their own for the menu; their tool-bar buttons are twins
  // that follow their state and read the tool bar's hints.
  const auto toolTwin = [&make](QAction* action, Picture picture, bool mirrored, const char* hint) {
    QAction* twin = nullptr;
    make({twin, "", picture, mirrored, hint});
    twin->setText(action->text());
    FollowAction(twin, action);
    return twin;
  };
  QAction* toolForward = toolTwin(cmdMoveForward, Picture::MoveForward, false,
                                  "Move Forward|Move selected Subtree Forward");
  QAction* toolBackward = toolTwin(cmdMoveBackward, Picture::MoveForward, true,
                                   "Move Backward|Move selected Subtree Backward");
  cmdMoveForward->setStatusTip("Moves selected subtree forward");
  cmdMoveBackward->setStatusTip("Moves selected subtree backward");
  QMenu* remove = menu->addMenu("&Delete");
  // The action reads "&Delete"; its menu item "&Part", through a twin that follows its state.
  QAction* deletePart = remove->addAction("&Part");
  deletePart->setStatusTip(cmdDelete->statusTip());
  FollowAction(deletePart, cmdDelete);
  QMenu* view = menu->addMenu("&View");
  view->addActions({cmdTreeExpand, cmdTreeExpandAll});
  view->addSeparator();
  view->addActions({cmdTreeCollapse, cmdTreeCollapseAll});
  QMenu* go = menu->addMenu("&Go To Symbol");
  go->addActions({cmdGotoBegin, cmdGotoEnd});

  tools->addActions({cmdInsertSingle, cmdAppendSingle});
  tools->addSeparator();
  tools->addActions({cmdAddLoop, cmdAddTurns});
  tools->addSeparator();
  tools->addAction(cmdAddTurn);
  tools->addSeparator();
  tools->addActions({toolForward, toolBackward});
  tools->addSeparator();
  tools->addActions({cmdMoveForwardIn, cmdMoveBackwardIn});
  tools->addSeparator();
  tools->addActions({cmdMoveForwardOut, cmdMoveBackwardOut});
  tools->addSeparator();
  tools->addAction(cmdDelete);
  tools->addSeparator();
  tools->addActions({cmdTreeExpand, cmdTreeExpandAll, cmdTreeCollapse, cmdTreeCollapseAll});
  tools->addSeparator();
  tools->addActions({cmdGotoBegin, cmdGotoEnd});
  // Every button in sight: a narrower dialog would fold the last ones into the bar's overflow.
  tools->setMinimumWidth(tools->sizeHint().width());

  connect(cmdInsertSingle, &QAction::triggered, this, [this] { InsertSingle(true); });
  connect(cmdAppendSingle, &QAction::triggered, this, [this] { InsertSingle(false); });
  connect(cmdAddLoop, &QAction::triggered, this, [this] { AddLoopOrSelect(partMuzLoop); });
  connect(cmdAddTurns, &QAction::triggered, this, [this] { AddLoopOrSelect(partMuzSelect); });
  connect(cmdAddTurn, &QAction::triggered, this, [this] { cmdAddTurnExecute(); });
  connect(cmdMoveForward, &QAction::triggered, this, [this] { MoveSubtree(true); });
  connect(cmdMoveBackward, &QAction::triggered, this, [this] { MoveSubtree(false); });
  connect(cmdMoveForwardIn, &QAction::triggered, this, [this] { MoveSubtreeInto(true); });
  connect(cmdMoveBackwardIn, &QAction::triggered, this, [this] { MoveSubtreeInto(false); });
  connect(cmdMoveForwardOut, &QAction::triggered, this, [this] { MoveSubtreeOut(true); });
  connect(cmdMoveBackwardOut, &QAction::triggered, this, [this] { MoveSubtreeOut(false); });
  connect(cmdDelete, &QAction::triggered, this, [this] { cmdDeleteExecute(); });
  connect(cmdTreeExpand, &QAction::triggered, this, [this] { ExpandSelected(true, false); });
  connect(cmdTreeExpandAll, &QAction::triggered, this, [this] { ExpandSelected(true, true); });
  connect(cmdTreeCollapse, &QAction::triggered, this, [this] { ExpandSelected(false, false); });
  connect(cmdTreeCollapseAll, &QAction::triggered, this, [this] { ExpandSelected(false, true); });
  connect(cmdGotoBegin, &QAction::triggered, this, [this] { GotoSymbol(false); });
  connect(cmdGotoEnd, &QAction::triggered, this, [this] { GotoSymbol(true); });
  auto* top = static_cast<QVBoxLayout*>(layout());
  top->setMenuBar(menu);
  top->addWidget(tools);
}

// --- showing the document ------------------------------------------------------------------------

void TDlgMusTree::SetUnitMuz(TMDIChildMuz* window) { ShowUnitMuz(window ? window->GetUnitMuz() : nullptr); }

void TDlgMusTree::ShowUnitMuz(TUnitMuz* unit) {
  UnitMuz = unit;
  Refresh();
}

void TDlgMusTree::Refresh() {
  // Showing the node disables its fields for a moment, which sends the focus on to the next
  // control (Close, where Return would close the dialog): it comes back to where it was.
  const QPointer<QWidget> focused = focusWidget();
  // Filling a field drops its selection; a field that shows the same number afterwards keeps it,
  // so a refused Count still waits, selected, to be typed over once the dialog is active again.
  auto* focusedEdit = qobject_cast<QLineEdit*>(focused.data());
  const QString focusedText = focusedEdit != nullptr ? focusedEdit->text() : QString();
  const int selectionStart = focusedEdit != nullptr ? focusedEdit->selectionStart() : -1;
  const int selectionLength = focusedEdit != nullptr ? focusedEdit->selectionLength() : 0;
  ++FillCount;
  // The nodes are rebuilt: a pending edit or a kept node would point at a freed node.
  Changed = 0;
  EditedNode = nullptr;
  Keep = 0;
  KeptNode = nullptr;
  if (UnitMuz == nullptr) {
    tvMusParts->clear();
  } else {
    UnitMuz->FillMusTree(*View);
    SortNodes();
  }
  ShowSelectedNode(UnitMuz ? tvMusParts->currentItem() : nullptr);
  --FillCount;
  if (focused && focused != focusWidget() && focused->isEnabled() && focused->isVisible()) {
    focused->setFocus();
  }
  if (focused && focusedEdit != nullptr && selectionStart >= 0 && focusedEdit->text() == focusedText) {
    focusedEdit->setSelection(selectionStart, selectionLength);
  }
}

void TDlgMusTree::SortNodes() {
  // Turn items show in ascending turn, each run of them on its level; the rest keeps the order
  // in which the document added the nodes. Equal turns keep their order in the file.
  std::vector<QTreeWidgetItem*> parents{tvMusParts->invisibleRootItem()};
  QTreeWidgetItem* current = tvMusParts->currentItem();
  while (!parents.empty()) {
    QTreeWidgetItem* parent = parents.back();
    parents.pop_back();
    std::vector<QTreeWidgetItem*> children;
    for (int i = 0; i < parent->childCount(); ++i) children.push_back(parent->child(i));
    for (auto run = children.begin(); run != children.end();) {
      auto end = std::find_if(run, children.end(), [](QTreeWidgetItem* n) { return !IsTurnNode(n); });
      std::stable_sort(run, end, [](QTreeWidgetItem* a, QTreeWidgetItem* b) { return TurnCount(a) < TurnCount(b); });
      run = end == children.end() ? end : end + 1;
    }
    bool moved = false;
    for (int i = 0; i < parent->childCount(); ++i) moved = moved || parent->child(i) != children[i];
    if (moved) {
      // Taking children out loses their expanded state; it is put back after.
      std::vector<bool> expanded;
      for (QTreeWidgetItem* child : children) expanded.push_back(child->isExpanded());
      parent->takeChildren();
      for (QTreeWidgetItem* child : children) parent->addChild(child);
      for (size_t i = 0; i < children.size(); ++i) children[i]->setExpanded(expanded[i]);
    }
    for (QTreeWidgetItem* child : children) parents.push_back(child);
  }
  if (current && tvMusParts->currentItem() != current) tvMusParts->setCurrentItem(current);
}

TMusTreeItem* TDlgMusTree::GetSelectedItem() const { return ItemOf(tvMusParts->currentItem()); }

TPartMuz* TDlgMusTree::GetSelectedPartMuz() const {
  KV_ASSERT(UnitMuz != NULL);
  UnitMuz->CheckParents();
  const QTreeWidgetItem* selectedNode = tvMusParts->currentItem();
  KV_ASSERT(selectedNode != NULL);
  TMusTreeItem* selMusTreeItem = ItemOf(selectedNode);
  KV_ASSERT(selMusTreeItem != NULL);
  const uint8_t musTreeItemKind = selMusTreeItem->GetMusTreeItemKind();
  KV_ASSERT(musTreeItemKind == musTreeItemPartMuz);
  return static_cast<TPartMuz*>(selMusTreeItem);
}

void TDlgMusTree::ShowSelectedNode(QTreeWidgetItem* node) {
  ++FillCount;
  const std::vector<QAction*> all = {cmdInsertSingle, cmdAppendSingle, cmdAddLoop, cmdAddTurns, cmdAddTurn,
                                     cmdMoveForward, cmdMoveBackward, cmdMoveForwardIn, cmdMoveBackwardIn,
                                     cmdMoveForwardOut, cmdMoveBackwardOut, cmdDelete, cmdTreeExpand,
                                     cmdTreeExpandAll, cmdTreeCollapse, cmdTreeCollapseAll, cmdGotoBegin, cmdGotoEnd};
  for (QAction* action : all) action->setEnabled(false);
  btnApply->setEnabled(node != nullptr);
  chkPlayDraw->setEnabled(false);
  chkPlayDraw->setCheckState(Qt::Unchecked);
  btnPlay->setEnabled(false);
  DisableEdit(*editCount);
  DisableEdit(*editPitch);
  const auto showNumber = [](QLineEdit* edit, int32_t value) {
    EnableEdit(*edit);
    edit->setText(QString::number(value));
  };
  if (node) {
    for (QAction* action : {cmdTreeExpand, cmdTreeExpandAll, cmdTreeCollapse, cmdTreeCollapseAll})
      action->setEnabled(node->childCount() > 0);
  }
  if (IsPartNode(node)) {
    auto* part = static_cast<TPartMuz*>(ItemOf(node));
    for (QAction* action : {cmdInsertSingle, cmdAppendSingle, cmdAddLoop, cmdAddTurns}) action->setEnabled(true);
    chkPlayDraw->setEnabled(true);
    btnPlay->setEnabled(true);
    chkPlayDraw->setCheckState(!part->GetVisibleFlag() ? Qt::Unchecked
                               : part->IsParentVisible() ? Qt::Checked
                                                         : Qt::PartiallyChecked);
    const bool stave = UnitMuz && UnitMuz->GetSelectedStave() != nullptr;
    cmdGotoBegin->setEnabled(stave);
    cmdGotoEnd->setEnabled(stave);
    QTreeWidgetItem* previous = Sibling(node, -1);
    QTreeWidgetItem* next = Sibling(node, 1);
    const bool previousPart = IsPartNode(previous);
    cmdMoveBackward->setEnabled(previousPart);
    cmdMoveBackwardIn->setEnabled(IsLoopOrSelectNode(previous));
    cmdMoveForward->setEnabled(IsPartNode(next));
    cmdMoveForwardIn->setEnabled(IsLoopOrSelectNode(next));
    const bool shares = next != nullptr || previousPart;
    cmdMoveForwardOut->setEnabled(node->parent() != nullptr && shares);
    cmdMoveBackwardOut->setEnabled(node->parent() != nullptr && shares);
    switch (part->GetPartMuzKind()) {
      case partMuzSingle:
        cmdDelete->setEnabled(shares);
        break;
      case partMuzLoop:
        showNumber(editCount, static_cast<TLoopPartMuz*>(part)->GetCount().GetValue());
        cmdDelete->setEnabled(true);
        break;
      default:
        cmdAddTurn->setEnabled(true);
        cmdDelete->setEnabled(true);
    }
  } else if (TCountSelectPartItem* turn = TurnItemOf(node)) {
    showNumber(editCount, turn->GetCount().GetValue());
    showNumber(editPitch, turn->GetPitch().GetValue());
    cmdDelete->setEnabled(true);
  }
  --FillCount;
}

// --- the tree's events ---------------------------------------------------------------------------

void TDlgMusTree::LeaveFields() {
  // Runs the exit of the focused number field; the exit does nothing without a pending change.
  QWidget* focused = QApplication::focusWidget();
  if (focused == editCount) editCountExit();
  if (focused == editPitch || focused == editOctave) editPitchExit();
}

void TDlgMusTree::tvMusPartsChange(QTreeWidgetItem* node, QTreeWidgetItem* /*previous*/) {
  if (Restoring) return;
  // A Count refused as the focus left it holds the selection already; leaving the field again
  // would take the restored old value for a correction.
  if (FillCount == 0 && !Keep) LeaveFields();
  if (Keep && KeptNode && node != KeptNode) {
    // A refused Count holds the selection on its node: the change is undone before anything of
    // the new node is shown or stored.
    Restoring = true;
    tvMusParts->setCurrentItem(KeptNode);
    Restoring = false;
    return;
  }
  ShowSelectedNode(UnitMuz ? node : nullptr);
  if (FillCount == 0 && UnitMuz && node) {
    UnitMuz->SelectMusTreeItem(*View, node);
    UnitMuz->SetModified();
  }
}

void TDlgMusTree::tvMusPartsEdited(QTreeWidgetItem* node) {
  if (FillCount != 0 || UnitMuz == nullptr) return;
  TMusTreeItem* item = ItemOf(node);
  if (item == nullptr) return;
  std::string text = node->text(0).toStdString();
  // A label of blanks alone is no label: the default shows instead.
  if (text.find_first_not_of(" \t") == std::string::npos) text.clear();
  if (text == item->GetLabel()) return;
  item->SetLabel(text);
  UnitMuz->SetModified();
}

void TDlgMusTree::SetPartExpanded(QTreeWidgetItem* node, bool expanded) {
  if (FillCount != 0 || UnitMuz == nullptr) return;
  UnitMuz->CheckParents();
  if (!IsLoopOrSelectNode(node)) return;
  auto* part = static_cast<TPartMuz*>(ItemOf(node));
  if (part->GetPartMuzKind() == partMuzLoop)
    static_cast<TLoopPartMuz*>(part)->SetExpanded(expanded);
  else
    static_cast<TSelectPartMuz*>(part)->SetExpanded(expanded);
  UnitMuz->SetModified();
}

// --- the number fields ---------------------------------------------------------------------------

bool TDlgMusTree::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    if (watched == editCount) editCountExit();
    if (watched == editPitch || watched == editOctave) editPitchExit();
  }
  return QDialog::eventFilter(watched, event);
}

void TDlgMusTree::editChange() {
  if (FillCount == 0) {
    Changed = 1;
    EditedNode = tvMusParts->currentItem();
  }
  const std::string text = editPitch->text().toStdString();
  if (text.empty()) {
    editOctave->clear();
    return;
  }
  unitInteger pitch(0, 0);
  bool ok = true;
  pitch.ReadField(ok, text, "Pitch");
  editOctave->setText(QString::fromStdString(PitchToOctaveText(ok ? pitch.GetValue() : 0)));
}

void TDlgMusTree::editCountExit() {
  if (!Changed || FillCount != 0) return;
  Changed = 0;
  Keep = 0;
  QTreeWidgetItem* SelectedNode = EditedNode;
  KV_ASSERT(SelectedNode != NULL);
  TMusTreeItem* item = ItemOf(SelectedNode);
  if (item == nullptr || UnitMuz == nullptr) return;
  const std::string text = editCount->text().toStdString();
  bool ok = true;
  if (TCountSelectPartItem* turn = TurnItemOf(SelectedNode)) {
    const unitIntegerPosMore old = turn->GetCount();
    unitIntegerPosMore count = old;
    count.ReadField(ok, text, "Count");
    if (ok && count.GetValue() != old.GetValue()) {
      turn->SetCount(count);
      if (turn->GetOwner()->CountTurnItems(count.GetValue()) > 1) {
        MessageReporter::ShowInputError("In Count: " + count.Write() + " already exist");
        turn->SetCount(old);
        ++FillCount;
        editCount->setText(QString::number(old.GetValue()));
        --FillCount;
        // The turn must be corrected: the keys come back to Count (below) even when Tab took them
        // on, and the old Count waits selected, so that what is typed next replaces it. Selected
        // once the focus-out that may have led here is over, as the field drops its selection then.
        QMetaObject::invokeMethod(editCount, &QLineEdit::selectAll, Qt::QueuedConnection);
        Keep = 1;
        KeptNode = SelectedNode;
        Changed = 1;
      } else {
        Relabel(*SelectedNode);
        UnitMuz->Refresh();
        UnitMuz->SetModified();
      }
    }
  } else {
    auto* part = static_cast<TPartMuz*>(item);
    // Count is only enabled for loops and turn items.
    if (part->GetPartMuzKind() != partMuzLoop) return;
    auto* loop = static_cast<TLoopPartMuz*>(part);
    unitIntegerPosMore count = loop->GetCount();
    count.ReadField(ok, text, "Count");
    if (ok) {
      loop->SetCount(count);
      Relabel(*SelectedNode);
      UnitMuz->Refresh();
      UnitMuz->SetModified();
    }
  }
  if (Keep) editCount->setFocus();
}

void TDlgMusTree::Relabel(QTreeWidgetItem& node) {
  // A label of the user's own stays; one made from the count follows it without a rebuild.
  ++FillCount;
  node.setText(0, QString::fromStdString(ItemOf(&node)->GetLabel()));
  --FillCount;
}

void TDlgMusTree::editPitchExit() {
  if (!Changed) return;
  Changed = 0;
  if (FillCount != 0 || UnitMuz == nullptr) return;
  QTreeWidgetItem* SelectedNode = EditedNode;
  KV_ASSERT(SelectedNode != NULL);
  TCountSelectPartItem* turn = TurnItemOf(SelectedNode);
  if (turn == nullptr) return;
  unitInteger pitch = turn->GetPitch();
  bool ok = true;
  pitch.ReadField(ok, editPitch->text().toStdString(), "Pitch");
  if (!ok) return;
  turn->SetPitch(pitch);
  UnitMuz->Refresh();
  UnitMuz->SetModified();
}

void TDlgMusTree::btnApplyClick() { LeaveFields(); }

// --- the part's switch and sound -----------------------------------------------------------------

void TDlgMusTree::chkPlayDrawClick() {
  TPartMuz* part = FillCount == 0 ? SelectedPartOrNone() : nullptr;
  if (part == nullptr) return;
  Qt::CheckState state = chkPlayDraw->checkState();
  if (part->IsParentVisible() && state == Qt::PartiallyChecked) state = Qt::Checked;
  if (!part->IsParentVisible() && state == Qt::Checked) state = Qt::Unchecked;
  ++FillCount;
  chkPlayDraw->setCheckState(state);
  --FillCount;
  part->SetVisibleFlag(state != Qt::Unchecked);
  UnitMuz->Refresh();
  UnitMuz->SetModified();
}

void TDlgMusTree::btnPlayClick() {
  TPartMuz* part = SelectedPartOrNone();
  if (part == nullptr) return;
  const std::unique_ptr<Sound> sound = UnitMuz->CreateWavePart(part);
  if (sound == nullptr || sound->GetValues() == 0) return;
  PlaySoundOnMainForm(*sound);
}

// --- view and go-to ------------------------------------------------------------------------------

void TDlgMusTree::ExpandSelected(bool expand, bool all) {
  QTreeWidgetItem* selectedNode = tvMusParts->currentItem();
  if (selectedNode == nullptr) return;
  std::vector<QTreeWidgetItem*> nodes{selectedNode};
  while (!nodes.empty()) {
    QTreeWidgetItem* node = nodes.back();
    nodes.pop_back();
    node->setExpanded(expand);
    if (!all) break;
    for (int i = 0; i < node->childCount(); ++i) nodes.push_back(node->child(i));
  }
}

void TDlgMusTree::GotoSymbol(bool last) {
  TPartMuz* part = SelectedPartOrNone();
  if (part == nullptr) return;
  // Along the stave of the symbol selected now; selecting scrolls to the symbol and plays a note.
  const TNoteStave* stave = UnitMuz->GetSelectedStave();
  if (stave == nullptr) return;
  TXTouchMuzSymbol* symbol = last ? part->GetLastSymbol(stave) : part->GetFirstSymbol(stave);
  if (symbol == nullptr) return;
  UnitMuz->SelectSymbol(symbol);
  UnitMuz->Refresh();
}

// --- the tree edits ------------------------------------------------------------------------------

void TDlgMusTree::FinishEdit(TMusTreeItem* selected) {
  if (selected == nullptr) return;
  UnitMuz->CheckParents();
  UnitMuz->SetSelMusTreeItem(selected);
  Refresh();
  UnitMuz->Refresh();
  UnitMuz->SetModified();
}

TPartMuz* TDlgMusTree::SelectedPartOrNone() const {
  return UnitMuz && IsPartNode(tvMusParts->currentItem()) ? GetSelectedPartMuz() : nullptr;
}

void TDlgMusTree::InsertSingle(bool before) {
  if (TPartMuz* part = SelectedPartOrNone()) FinishEdit(muztree::InsertSingle(part, before));
}

void TDlgMusTree::AddLoopOrSelect(uint8_t kind) {
  if (TPartMuz* part = SelectedPartOrNone()) FinishEdit(muztree::AddLoopOrSelect(part, kind));
}

void TDlgMusTree::cmdAddTurnExecute() {
  TPartMuz* part = SelectedPartOrNone();
  if (part && part->GetPartMuzKind() == partMuzSelect) FinishEdit(muztree::AddTurn(static_cast<TSelectPartMuz*>(part)));
}

void TDlgMusTree::MoveSubtree(bool forward) {
  if (TPartMuz* part = SelectedPartOrNone()) FinishEdit(muztree::MoveSubtree(part, forward));
}

void TDlgMusTree::MoveSubtreeInto(bool forward) {
  if (TPartMuz* part = SelectedPartOrNone()) FinishEdit(muztree::MoveSubtreeInto(part, forward));
}

void TDlgMusTree::MoveSubtreeOut(bool forward) {
  if (TPartMuz* part = SelectedPartOrNone()) FinishEdit(muztree::MoveSubtreeOut(part, forward));
}

void TDlgMusTree::cmdDeleteExecute() {
  QTreeWidgetItem* selectedNode = tvMusParts->currentItem();
  if (UnitMuz == nullptr || selectedNode == nullptr) return;
  UnitMuz->CheckParents();
  TMusTreeItem* selMusTreeItem = ItemOf(selectedNode);
  if (selMusTreeItem == nullptr) return;
  if (TCountSelectPartItem* turn = TurnItemOf(selectedNode)) {
    FinishEdit(muztree::DeleteTurnItem(turn));
    return;
  }
  auto* part = static_cast<TPartMuz*>(selMusTreeItem);
  if (part->GetPartMuzKind() == partMuzSingle &&
      ShowMessageBox(kDeleteSingleQuestion, kDeleteSingleCaption, kMbOkCancel | kMbIconQuestion) != kIdOk)
    return;
  FinishEdit(muztree::DeletePart(part));
}

// --- the form's life -----------------------------------------------------------------------------

void TDlgMusTree::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TDlgMusTree::FormShow() {
  // Beside the main window's lower right corner, but within the screen.
  PlaceBesideMainForm(*this);
  SetUnitMuz(dynamic_cast<TMDIChildMuz*>(MainActiveMuzChild()));
}

bool TDlgMusTree::event(QEvent* event) {
  // F1 opens the dialog's help as its Help button does.
  if (ClaimHelpKey(event)) return true;
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
      static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
    HelpContext(kMusTreeHelpContext);
    return true;
  }
  if (event->type() == QEvent::WindowActivate) FormActivate();
  // A dialog has no main window's status bar: the actions' hints are shown in its own.
  if (event->type() == QEvent::StatusTip) StatusBar->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
  return QDialog::event(event);
}

void TDlgMusTree::FormActivate() {
  MainSetDialogActive(true);
  Refresh();
}

void TDlgMusTree::done(int result) {
  // Close, Escape and the frame's close button all end here.
  QDialog::done(result);
  if (isHidden()) FormClose();
}

void TDlgMusTree::FormClose() { MainDlgMusTreeClosed(); }

void InstallMusTreeDialog(TMainForm& mainForm) {
  mainForm.DlgMusTree.SetFactory([](QWidget* owner) { return new TDlgMusTree(owner); });
}
