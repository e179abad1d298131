// What a user would see wrong in a shown form: a label or field that lies outside the form, two
// that overlap, a field that stands far from the text of its label, a page control that hides
// tabs behind scroll arrows, or a window too narrow for its caption in the window manager's
// title bar.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRect>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

namespace layout_check {

inline std::string NameOf(const QWidget* widget) {
  QString text = widget->objectName();
  if (const auto* label = qobject_cast<const QLabel*>(widget)) text += " \"" + label->text() + "\"";
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) text += " \"" + button->text() + "\"";
  if (const auto* group = qobject_cast<const QGroupBox*>(widget)) text += " \"" + group->title() + "\"";
  return QString("%1%2").arg(widget->metaObject()->className(), text.isEmpty() ? "" : " " + text).toStdString();
}

inline bool Counts(const QWidget* widget) {
  if (!widget->isVisible()) return false;
  // The parts of a combo box and the buttons of tool and tab bars are the frame's own.
  if (qobject_cast<const QComboBox*>(widget->parentWidget()) != nullptr) return false;
  if (qobject_cast<const QToolButton*>(widget) != nullptr) return false;
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return !label->text().isEmpty();
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
         qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QGroupBox*>(widget);
}

// How wide a title bar must be to show `window`'s caption whole: the caption in a bold title font
// of at least 10 points (window managers draw titles larger than an 8-point form), and beside it
// the window's icon and its buttons; minimise and maximise are there unless the window asks for
// its buttons itself and leaves them out.
inline int TitleBarWidth(const QWidget& window) {
  QFont font = window.font();
  font.setBold(true);
  if (font.pointSizeF() < 10) font.setPointSizeF(10);
  const Qt::WindowFlags flags = window.windowFlags();
  int buttons = 1;  // close
  if (!flags.testFlag(Qt::CustomizeWindowHint) || flags.testFlag(Qt::WindowMinimizeButtonHint)) ++buttons;
  if (!flags.testFlag(Qt::CustomizeWindowHint) || flags.testFlag(Qt::WindowMaximizeButtonHint)) ++buttons;
  constexpr int kIconAndEdges = 32;
  constexpr int kButton = 28;
  return QFontMetrics(font).horizontalAdvance(window.windowTitle()) + kIconAndEdges + buttons * kButton;
}

}  // namespace layout_check

// Empty when the shown `form` has nothing of the kind; `maxGap` is how far a field may stand from
// the end of the widest label text (or option) in its label's column.
inline std::vector<std::string> LayoutFaults(const QWidget& form, int maxGap = 30) {
  using layout_check::NameOf;
  std::vector<const QWidget*> widgets;
  for (const QWidget* widget : form.findChildren<QWidget*>()) {
    if (layout_check::Counts(widget)) widgets.push_back(widget);
  }
  const auto rect = [&form](const QWidget* widget) {
    return QRect(widget->mapTo(&form, QPoint(0, 0)), widget->size());
  };
  std::vector<std::string> faults;
  std::map<int, int> widestText;  // by the left edge of a label's column
  for (const QWidget* widget : widgets) {
    if (!form.rect().contains(rect(widget))) faults.push_back(NameOf(widget) + " lies outside the form");
    // A label's column is as wide as the widest label or option that heads a row in it.
    int& widest = widestText[rect(widget).left()];
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
      widest = std::max(widest, label->fontMetrics().horizontalAdvance(label->text()));
    } else if (qobject_cast<const QAbstractButton*>(widget) != nullptr) {
      widest = std::max(widest, widget->sizeHint().width());
    }
  }
  for (size_t i = 0; i < widgets.size(); ++i) {
    for (size_t j = i + 1; j < widgets.size(); ++j) {
      const QWidget* a = widgets[i];
      const QWidget* b = widgets[j];
      if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
      if (rect(a).intersects(rect(b))) faults.push_back(NameOf(a) + " overlaps " + NameOf(b));
    }
  }
  for (const QWidget* widget : widgets) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (label == nullptr || label->buddy() == nullptr || !label->buddy()->isVisible()) continue;
    const QRect own = rect(label);
    const QRect field = rect(label->buddy());
    if (field.left() < own.left() || field.bottom() < own.top() || field.top() > own.bottom()) continue;
    if (field.left() - (own.left() + widestText[own.left()]) > maxGap) {
      faults.push_back(NameOf(label->buddy()) + " stands far right of its label " + NameOf(label));
    }
  }
  for (const QTabBar* bar : form.findChildren<QTabBar*>()) {
    if (!bar->isVisible()) continue;
    if (bar->sizeHint().width() > bar->width()) {
      const QWidget* pages = qobject_cast<const QTabWidget*>(bar->parentWidget()) ? bar->parentWidget() : bar;
      faults.push_back(NameOf(pages) + " hides tabs behind scroll arrows");
    }
  }
  if (form.isWindow() && !form.windowTitle().isEmpty() &&
      form.frameGeometry().width() < layout_check::TitleBarWidth(form)) {
    faults.push_back("the caption \"" + form.windowTitle().toStdString() + "\" is cut in the title bar");
  }
  return faults;
}
