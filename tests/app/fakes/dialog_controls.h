// Reaching a dialog's controls by name as a user would: typing, pressing, and reading which field
// an "Input Error" message names.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <string>

#include "support/recording_sink.h"

template <class Widget = QLineEdit>
Widget* Control(QWidget& dialog, const char* name) {
  auto* widget = dialog.findChild<Widget*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

inline void Press(QWidget& dialog, const char* button) {
  if (auto* pressed = Control<QPushButton>(dialog, button)) pressed->click();
}

inline std::string Text(QWidget& dialog, const char* name) {
  const QLineEdit* edit = Control(dialog, name);
  return edit != nullptr ? edit->text().toStdString() : std::string();
}

// The field a message names ("In <field>: ..."); the whole text of any other message.
inline std::string FieldOf(const RecordedMessage& message) {
  EXPECT_EQ(message.caption, "Input Error");
  const size_t colon = message.text.find(": ");
  return message.text.rfind("In ", 0) == 0 ? message.text.substr(3, colon - 3) : message.text;
}
