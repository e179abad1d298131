// A dialog's controls by name, as a user reaches them, and the field an "Input Error" names.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "support/recording_sink.h"

template <class Widget = QLineEdit>
Widget* Control(QWidget& dialog, const char* name) {
  auto* widget = dialog.findChild<Widget*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}
inline void Press(QWidget& dialog, const char* button) {
  Control<QPushButton>(dialog, button)->click();
}
inline std::string Text(QWidget& dialog, const char* name) {
  return Control(dialog, name)->text().toStdString();
}

// "In <field>: ..." gives the field; any other message its whole text.
inline std::string FieldOf(const RecordedMessage& message) {
  EXPECT_EQ(message.caption, "Input Error");
  return message.text.rfind("In ", 0) == 0 ? message.text.substr(3, message.text.find(": ") - 3)
                                           : message.text;
}
