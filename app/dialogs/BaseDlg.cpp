#include "app/dialogs/BaseDlg.h"

#include <algorithm>
#include <climits>
#include <vector>

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>

#include "app/dialogs/WaveComboBox.h"
#include "foundation/messages.h"
#include "foundation/smallobj.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "wave/unitwaveref.h"

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kBodyMargin = 8;  // between the bevel and the fields inside it

QPushButton* MakeButton(QWidget* form, const char* name, const char* caption, int x, int y) {
  auto* button = new QPushButton(QString::fromLatin1(caption), form);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(x, y, kButtonWidth, kButtonHeight);
  return button;
}

QFrame* MakeBevel(QWidget* form, int width, int height) {
  auto* bevel = new QFrame(form);
  bevel->setObjectName("Bevel1");
  bevel->setFrameShape(QFrame::Box);
  bevel->setFrameShadow(QFrame::Sunken);
  bevel->setGeometry(8, 8, width, height);
  bevel->lower();
  return bevel;
}

// OK and Cancel as every base form has them: OK the default button, each closing with its result.
// Enter in a field presses OK, whatever other buttons a dialog adds; a focused button takes it.
void MakeOKCancel(TDialogForm* form, QPushButton*& okBtn, QPushButton*& cancelBtn, int okX, int okY,
                  int cancelX, int cancelY) {
  okBtn = MakeButton(form, "OKBtn", "OK", okX, okY);
  SetDefaultButton(*form, okBtn);
  cancelBtn = MakeButton(form, "CancelBtn", "Cancel", cancelX, cancelY);
  QObject::connect(okBtn, &QPushButton::clicked, form, [form] {
    form->OKBtnClick();
    form->done(QDialog::Accepted);
  });
  QObject::connect(cancelBtn, &QPushButton::clicked, form, [form] { form->done(QDialog::Rejected); });
}

// Grows the bevel around the body and moves the buttons by as much as the bevel grew.
void FitBevel(QWidget* panel, QFrame* bevel, const std::vector<QWidget*>& buttons, bool bottom,
              TDialogForm* form) {
  panel->adjustSize();
  QSize wanted = panel->size() + QSize(2 * kBodyMargin, 2 * kBodyMargin);
  if (bottom) {
    // The row of buttons keeps to the bevel's right edge; under a narrow body it would slide off
    // the form's left edge, so the bevel stays at least as wide as the row.
    int left = INT_MAX;
    for (QWidget* button : buttons) left = std::min(left, button->x());
    const int rowWidth = bevel->x() + bevel->width() - left;
    wanted.setWidth(std::max(wanted.width(), rowWidth));
  } else {
    // Likewise the column of buttons beside a short body: the bevel stays at least as tall, or
    // the lowest button would hang below the form.
    int lowest = 0;
    for (QWidget* button : buttons) lowest = std::max(lowest, button->y() + button->height());
    wanted.setHeight(std::max(wanted.height(), lowest - bevel->y()));
  }
  const int dw = wanted.width() - bevel->width();
  const int dh = wanted.height() - bevel->height();
  bevel->resize(wanted);
  for (QWidget* button : buttons) button->move(button->x() + dw, button->y() + (bottom ? dh : 0));
  const QSize client = form->size();
  form->SetClientSize(client.width() + dw, client.height() + dh);
}

// Widgets whose tops lie this close together stand on one line: a label, an edit and a radio
// button of one row differ by a few pixels in height.
constexpr int kLineTolerance = 8;

bool IsTabStop(const QWidget& widget) {
  return (widget.focusPolicy() & Qt::TabFocus) != 0 && widget.focusProxy() == nullptr;
}

// The tab stops inside `parent` in reading order: line by line, left to right on a line, and a
// group or a page control read whole at its place. `skip` are left out (the base form's buttons).
// Within `columnar` the columns of its grid are read one after the other, each line by line.
void CollectInReadingOrder(QWidget& parent, QWidget& form, const std::vector<QWidget*>& skip,
                           const QWidget* columnar, std::vector<QWidget*>& stops) {
  struct Placed {
    QWidget* widget;
    QPoint at;
    int column;
  };
  const auto* grid = &parent == columnar ? qobject_cast<const QGridLayout*>(parent.layout()) : nullptr;
  std::vector<Placed> children;
  for (QObject* object : parent.children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (child == nullptr || child->isWindow() || std::find(skip.begin(), skip.end(), child) != skip.end()) continue;
    int column = 0;
    if (grid != nullptr && grid->indexOf(child) >= 0) {
      int row = 0, rowSpan = 0, columnSpan = 0;
      grid->getItemPosition(grid->indexOf(child), &row, &column, &rowSpan, &columnSpan);
      column /= 2;  // a column of the body is a label and its field
    }
    children.push_back({child, child->mapTo(&form, QPoint(0, 0)), column});
  }
  std::stable_sort(children.begin(), children.end(), [](const Placed& a, const Placed& b) {
    return a.column != b.column ? a.column < b.column : a.at.y() < b.at.y();
  });
  for (size_t first = 0; first < children.size();) {
    size_t end = first + 1;
    while (end < children.size() && children[end].column == children[first].column &&
           children[end].at.y() - children[first].at.y() <= kLineTolerance)
      ++end;
    std::stable_sort(children.begin() + static_cast<std::ptrdiff_t>(first),
                     children.begin() + static_cast<std::ptrdiff_t>(end),
                     [](const Placed& a, const Placed& b) { return a.at.x() < b.at.x(); });
    first = end;
  }
  for (const Placed& child : children) {
    if (IsTabStop(*child.widget)) stops.push_back(child.widget);
    CollectInReadingOrder(*child.widget, form, skip, columnar, stops);
  }
}

}  // namespace

void TDialogForm::OrderTabStops() {
  // A page control whose pages are all hidden shows no tabs: its bar is no stop.
  for (QTabBar* bar : findChildren<QTabBar*>()) {
    bool showsTabs = false;
    for (int i = 0; i < bar->count(); ++i) showsTabs = showsTabs || bar->isTabVisible(i);
    bar->setFocusPolicy(showsTabs ? Qt::TabFocus : Qt::NoFocus);
  }
  std::vector<QWidget*> buttons;
  for (const char* name : {"OKBtn", "CancelBtn", "HelpBtn"}) {
    if (auto* button = findChild<QPushButton*>(name, Qt::FindDirectChildrenOnly)) buttons.push_back(button);
  }
  std::vector<QWidget*> stops;
  CollectInReadingOrder(*this, *this, buttons, columnsWhole_ ? bodyPanel_ : nullptr, stops);
  stops.insert(stops.end(), buttons.begin(), buttons.end());
  tabStops_.assign(stops.begin(), stops.end());
  for (const QPointer<QWidget>& stop : tabStops_) {
    if (CanTakeTab(stop)) {
      stop->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

bool TDialogForm::CanTakeTab(const QWidget* widget) const {
  return widget != nullptr && (widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isVisibleTo(this) &&
         widget->isEnabled();
}

// Tab and Shift+Tab go along the stops in reading order. The widgets' own chain follows the order
// they were made in, which is neither the reading order nor puts the buttons last.
bool TDialogForm::focusNextPrevChild(bool next) {
  QWidget* current = focusWidget();
  const auto at = std::find(tabStops_.begin(), tabStops_.end(), current);
  if (current == nullptr || at == tabStops_.end()) return QDialog::focusNextPrevChild(next);
  const auto count = static_cast<std::ptrdiff_t>(tabStops_.size());
  std::ptrdiff_t index = at - tabStops_.begin();
  for (std::ptrdiff_t step = 1; step < count; ++step) {
    index = (index + (next ? 1 : count - 1)) % count;
    if (CanTakeTab(tabStops_[static_cast<size_t>(index)])) {
      tabStops_[static_cast<size_t>(index)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return true;
    }
  }
  return true;
}

TDialogForm::TDialogForm(QWidget* owner) : QDialog(owner) {
  setWindowTitle("Dialog");
}

QGridLayout* TDialogForm::Body() {
  // Made on first use; the tab order is set when the dialog shows.
  if (body_ == nullptr) {
    bodyPanel_ = new QWidget(this);
    bodyPanel_->setObjectName("Body");
    bodyPanel_->move(8 + kBodyMargin, 8 + kBodyMargin);
    body_ = new QGridLayout(bodyPanel_);
    body_->setContentsMargins(0, 0, 0, 0);
    body_->setHorizontalSpacing(12);
    bodyPanel_->show();
  }
  return body_;
}

void TDialogForm::SetClientSize(int width, int height) { setFixedSize(width, height); }

int TDialogForm::ShowModal() { return ExecModal(*this); }

void TDialogForm::EvOnShow() {
  for (const Field& field : fields_) {
    if (field.show) field.show();
  }
  ok = 1;
}

void TDialogForm::OKBtnClick() {
  for (const Field& field : fields_) {
    if (field.read) field.read(ok);
  }
}

void TDialogForm::EvOnClose(TCloseAction& action) {
  if (ok == 0) {
    action = TCloseAction::caNone;
    ok = 1;
  }
}

bool TDialogForm::FormHelp(uint16_t /*command*/, int /*data*/, bool& /*callHelp*/) {
  return HelpCommand(kHelpContext, helpContext_);
}

void TDialogForm::done(int result) {
  TCloseAction action = TCloseAction::caHide;
  EvOnClose(action);
  if (action == TCloseAction::caNone) return;
  QDialog::done(result);
}

void TDialogForm::showEvent(QShowEvent* event) {
  if (event->spontaneous()) return QDialog::showEvent(event);
  if (!centred_) {
    centred_ = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      move(screen->availableGeometry().center() - rect().center());
    }
  }
  QDialog::showEvent(event);
  EvOnShow();
  // Fields come before the buttons, and the dialog opens in its first field.
  OrderTabStops();
}

bool TDialogForm::event(QEvent* event) {
  // F1 is the dialog's own help, also while the main window's F1 shortcut could take it.
  if (ClaimHelpKey(event)) return true;
  return QDialog::event(event);
}

void TDialogForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    bool callHelp = false;
    FormHelp(kHelpContext, 0, callHelp);
    return;
  }
  QDialog::keyPressEvent(event);
}

QWidget* TDialogForm::BodyPanel() {
  Body();
  return bodyPanel_;
}

void TDialogForm::MoveTo(int column, int row) {
  column_ = column;
  row_ = row;
}

void TDialogForm::PlaceRow(const char* label, QWidget* field) {
  Body();
  if (label == nullptr) {
    body_->addWidget(field, row_, 2 * column_, 1, 2);
  } else {
    auto* caption = new QLabel(QString::fromLatin1(label), bodyPanel_);
    caption->setBuddy(field);
    body_->addWidget(caption, row_, 2 * column_);
    body_->addWidget(field, row_, 2 * column_ + 1);
  }
  ++row_;
}

QLineEdit* TDialogForm::AddEdit(const char* label, unit& value, const std::string& fieldName,
                                int maxLength, Condition readWhen) {
  auto* edit = new QLineEdit(BodyPanel());
  edit->setMaxLength(maxLength);
  PlaceRow(label, edit);
  AddStep([edit, &value] { edit->setText(QString::fromStdString(value.Write())); },
          [edit, &value, fieldName, readWhen](uint8_t& ok) {
            if (readWhen && !readWhen()) return;
            bool passed = ok != 0;
            value.ReadField(passed, edit->text().toStdString(), fieldName);
            ok = passed ? 1 : 0;
          });
  return edit;
}

TWaveComboBox* TDialogForm::AddWaveCombo(const char* label, unitUnitWave& value,
                                         const std::string& fieldName, uint8_t filter,
                                         Condition readWhen) {
  auto* combo = new TWaveComboBox(BodyPanel());
  PlaceRow(label, combo);
  AddStep(
      [combo, &value, filter] {
        FillWaveCombo(*combo, filter);
        value.ShowInCombo(*combo);
      },
      [combo, &value, fieldName, readWhen](uint8_t& ok) {
        if (readWhen && !readWhen()) return;
        bool passed = ok != 0;
        value.ReadFromCombo(passed, *combo, fieldName);
        ok = passed ? 1 : 0;
      });
  return combo;
}

TRadioGroup* TDialogForm::AddRadioGroup(const char* caption, const std::vector<std::string>& items,
                                        uint8_t& field) {
  auto* group = new TRadioGroup(caption, items, BodyPanel());
  PlaceRow(nullptr, group);
  AddStep([group, &field] { group->SetItemIndex(field); },
          [group, &field](uint8_t&) {
            // Nothing checked keeps the byte: a record never holds an index of no item.
            if (group->ItemIndex() >= 0) field = static_cast<uint8_t>(group->ItemIndex());
          });
  return group;
}

QCheckBox* TDialogForm::AddCheckBox(const char* caption, uint8_t& field) {
  auto* box = new QCheckBox(QString::fromLatin1(caption), BodyPanel());
  PlaceRow(nullptr, box);
  AddStep([box, &field] { box->setChecked(field != 0); },
          [box, &field](uint8_t&) { field = box->isChecked() ? 1 : 0; });
  return box;
}

TColorBox* TDialogForm::AddColorBox(const char* label, uint32_t& field) {
  auto* box = new TColorBox(BodyPanel());
  PlaceRow(label, box);
  AddStep([box, &field] { box->SetSelected(field); },
          [box, &field](uint8_t&) { field = box->Selected(); });
  return box;
}

void TDialogForm::AddOptions(const std::vector<QRadioButton*>& buttons, uint8_t& field) {
  AddStep(
      [buttons, &field] {
        for (size_t i = 0; i < buttons.size(); ++i) buttons[i]->setChecked(field == i);
      },
      [buttons, &field](uint8_t&) {
        for (size_t i = 0; i < buttons.size(); ++i) {
          if (buttons[i]->isChecked()) field = static_cast<uint8_t>(i);
        }
      });
}

void TDialogForm::AddRule(std::function<const char*()> failure) {
  AddStep({}, [failure](uint8_t& ok) {
    if (ok == 0) return;
    if (const char* message = failure()) {
      MessageReporter::ShowInputError(message);
      ok = 0;
    }
  });
}

QCheckBox* TDialogForm::AddDefaultSwitch(std::function<void()> store) {
  auto* box = new QCheckBox("Use As Default", BodyPanel());
  box->setObjectName("chkUseAsDefault");
  PlaceRow(nullptr, box);
  AddStep([box] { box->setChecked(false); },
          [box, store](uint8_t& ok) {
            if (ok != 0 && box->isChecked()) store();
          });
  return box;
}

void TDialogForm::AddStep(std::function<void()> show, std::function<void(uint8_t& ok)> read) {
  fields_.push_back({std::move(show), std::move(read)});
}

QGroupBox* TDialogForm::GroupRows(const char* name, const char* caption, int firstRow,
                                  int gridColumns) {
  Body();
  auto* group = new QGroupBox(QString::fromLatin1(caption), bodyPanel_);
  group->setObjectName(QString::fromLatin1(name));
  auto* inside = new QGridLayout(group);
  inside->setHorizontalSpacing(body_->horizontalSpacing());
  // A group wider than its fields gives the room to the fields, not to the labels' column.
  inside->setColumnStretch(1, 1);
  const int firstColumn = 2 * column_;
  for (int index = body_->count() - 1; index >= 0; --index) {
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    body_->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    if (row < firstRow || row >= row_ || column < firstColumn || column >= firstColumn + gridColumns) continue;
    QLayoutItem* item = body_->takeAt(index);
    if (QWidget* widget = item->widget()) {
      widget->setParent(group);
      inside->addWidget(widget, row - firstRow, column - firstColumn, rowSpan, columnSpan);
      widget->show();
    }
    delete item;
  }
  body_->addWidget(group, firstRow, firstColumn, std::max(1, row_ - firstRow), gridColumns);
  group->show();
  return group;
}

TOKRightDlg::TOKRightDlg(QWidget* owner) : TDialogForm(owner) {
  SetClientSize(384, 179);
  Bevel1 = MakeBevel(this, 281, 161);
  MakeOKCancel(this, OKBtn, CancelBtn, 300, 8, 300, 38);
}

void TOKRightDlg::FitBody() {
  std::vector<QWidget*> buttons{OKBtn, CancelBtn};
  if (auto* help = findChild<QPushButton*>("HelpBtn")) buttons.push_back(help);
  if (bodyPanel_ != nullptr) FitBevel(bodyPanel_, Bevel1, buttons, false, this);
}

TOKHelpRightDlg::TOKHelpRightDlg(QWidget* owner) : TOKRightDlg(owner) {
  HelpBtn = MakeButton(this, "HelpBtn", "&Help", 300, 68);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });
}

void TOKHelpRightDlg::HelpBtnClick() { ::HelpContext(TDialogForm::HelpContext()); }

TOKBottomDlg::TOKBottomDlg(QWidget* owner) : TDialogForm(owner) {
  SetClientSize(313, 214);
  Bevel1 = MakeBevel(this, 297, 161);
  MakeOKCancel(this, OKBtn, CancelBtn, 79, 180, 159, 180);
}

void TOKBottomDlg::FitBody() {
  std::vector<QWidget*> buttons{OKBtn, CancelBtn};
  if (auto* help = findChild<QPushButton*>("HelpBtn")) buttons.push_back(help);
  if (bodyPanel_ != nullptr) FitBevel(bodyPanel_, Bevel1, buttons, true, this);
}

TOKHelpBottomDlg::TOKHelpBottomDlg(QWidget* owner) : TOKBottomDlg(owner) {
  OKBtn->move(70, OKBtn->y());
  CancelBtn->move(150, CancelBtn->y());
  HelpBtn = MakeButton(this, "HelpBtn", "&Help", 230, 180);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });
}

void TOKHelpBottomDlg::HelpBtnClick() { ::HelpContext(TDialogForm::HelpContext()); }
