#include "gui/controls.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

void PaintBase(QWidget& control, QPalette::ColorRole from) {
  QPalette palette = control.palette();
  palette.setColor(QPalette::Base, QApplication::palette().color(from));
  control.setPalette(palette);
}

struct NamedColor {
  const char* name;
  uint32_t color;
};

constexpr NamedColor kStandardColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080}, {"Green", 0x008000},   {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080}, {"Teal", 0x808000},    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},    {"Lime", 0x00FF00},    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},   {"White", 0xFFFFFF},
};

QColor ToQColor(uint32_t color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

QIcon Swatch(uint32_t color) {
  QPixmap pixmap(16, 12);
  pixmap.fill(ToQColor(color));
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 15, 11);
  return QIcon(pixmap);
}

// Every push button of a dialog is an auto-default one to Qt: the first of them in the focus
// chain becomes the default when a dialog without one shows, and a button keeps the default
// after the focus passed through it. None is auto-default here; the named default is set again at
// each show, before Qt looks for one, and a focused button is pressed by Enter as before.
class DefaultButtonRule : public QObject {
 public:
  explicit DefaultButtonRule(QDialog& dialog) : QObject(&dialog), dialog_(dialog) {
    setObjectName("DefaultButtonRule");
    dialog.installEventFilter(this);
  }
  void Name(QPushButton* button) {
    button_ = button;
    Apply();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &dialog_) {
      if (event->type() == QEvent::Show) Apply();
      return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || (key != Qt::Key_Return && key != Qt::Key_Enter)) return false;
    button->click();
    return true;
  }

 private:
  void Apply() {
    for (QPushButton* button : dialog_.findChildren<QPushButton*>()) {
      if (button->window() != &dialog_) continue;
      button->setAutoDefault(false);
      button->setDefault(button == button_);
      button->installEventFilter(this);
    }
  }

  QDialog& dialog_;
  QPointer<QPushButton> button_;
};

}  // namespace

void SetDefaultButton(QDialog& dialog, QPushButton* button) {
  auto* rule = dialog.findChild<DefaultButtonRule*>("DefaultButtonRule", Qt::FindDirectChildrenOnly);
  if (rule == nullptr) rule = new DefaultButtonRule(dialog);
  rule->Name(button);
}

void EnableEdit(QWidget& control) {
  control.setEnabled(true);
  PaintBase(control, QPalette::Base);
}

void DisableEdit(QWidget& control) {
  if (auto* edit = qobject_cast<QLineEdit*>(&control)) edit->clear();
  if (auto* combo = qobject_cast<QComboBox*>(&control); combo && combo->isEditable()) {
    combo->setEditText(QString());
  }
  PaintBase(control, QPalette::Button);
  control.setEnabled(false);
}

TRadioGroup::TRadioGroup(const std::string& caption, const std::vector<std::string>& items,
                         QWidget* parent)
    : QGroupBox(QString::fromStdString(caption), parent), group_(new QButtonGroup(this)) {
  auto* column = new QVBoxLayout(this);
  for (const std::string& item : items) {
    auto* button = new QRadioButton(QString::fromStdString(item), this);
    group_->addButton(button, static_cast<int>(buttons_.size()));
    buttons_.push_back(button);
    column->addWidget(button);
  }
  connect(group_, &QButtonGroup::idClicked, this, [this](int) {
    if (OnClick) OnClick();
  });
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < Count()) {
    buttons_[static_cast<size_t>(index)]->setChecked(true);
  } else if (QAbstractButton* checked = group_->checkedButton()) {
    // An exclusive group cannot uncheck its last button.
    group_->setExclusive(false);
    checked->setChecked(false);
    group_->setExclusive(true);
  }
  if (OnClick) OnClick();
}

QRadioButton* TRadioGroup::Button(int index) const {
  return index >= 0 && index < Count() ? buttons_[static_cast<size_t>(index)] : nullptr;
}

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
  for (const NamedColor& named : kStandardColors) {
    addItem(Swatch(named.color), QString::fromLatin1(named.name), QVariant::fromValue(named.color));
  }
}

uint32_t TColorBox::Selected() const {
  return currentIndex() < 0 ? 0 : currentData().value<uint32_t>();
}

void TColorBox::SetSelected(uint32_t color) {
  color &= 0xFFFFFF;
  int index = findData(QVariant::fromValue(color));
  if (index < 0) {
    addItem(Swatch(color), QString("$%1").arg(color, 6, 16, QChar('0')).toUpper(),
            QVariant::fromValue(color));
    index = count() - 1;
  }
  setCurrentIndex(index);
}
