// The captions a user reads for a control of a shown form: the titles of the groups and the tabs
// of the pages it stands in, outermost first, then its own text or the text of the label that
// names it, joined by " / " ("Frequency Factor / Factor").
#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>
#include <string>

inline std::string CaptionPath(const QWidget& form, const QWidget& control) {
  QString path;
  if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
    path = button->text();
  } else if (const auto* group = qobject_cast<const QGroupBox*>(&control)) {
    path = group->title();
  } else {
    for (const QLabel* label : form.findChildren<QLabel*>()) {
      if (label->buddy() == &control) path = label->text();
    }
  }
  for (const QWidget* outer = control.parentWidget(); outer != nullptr && outer != &form;
       outer = outer->parentWidget()) {
    QString title;
    if (const auto* group = qobject_cast<const QGroupBox*>(outer)) title = group->title();
    const auto* stack = qobject_cast<const QStackedWidget*>(outer->parentWidget());
    const auto* pages = stack != nullptr ? qobject_cast<const QTabWidget*>(stack->parentWidget()) : nullptr;
    if (pages != nullptr) title = pages->tabText(pages->indexOf(const_cast<QWidget*>(outer)));
    if (!title.isEmpty()) path = path.isEmpty() ? title : title + " / " + path;
  }
  return path.toStdString();
}
