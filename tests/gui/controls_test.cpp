// Switching inputs on and off, the radio group and the colour box.
#include "gui/controls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <initializer_list>
#include <string>

TEST(Controls, DisableEditEmptiesAndGreysTheInputAndEnableEditRestoresIt) {
  QLineEdit edit("20 kHz");
  QComboBox combo;
  combo.setEditable(true);
  combo.setEditText("Drum");
  for (QWidget* control : {static_cast<QWidget*>(&edit), static_cast<QWidget*>(&combo)}) {
    DisableEdit(*control);
    EXPECT_FALSE(control->isEnabled());
    EXPECT_EQ(control->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));
    EnableEdit(*control);
    EXPECT_TRUE(control->isEnabled());
    EXPECT_EQ(control->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
  }
  EXPECT_TRUE(edit.text().isEmpty() && combo.currentText().isEmpty());
}

TEST(Controls, RadioGroupIndexFollowsTheCheckedButtonAndNotifiesEveryChange) {
  TRadioGroup group("Combine", {"Mixed", "Left at Front", "Right at Front"});
  int clicks = 0;
  group.OnClick = [&] { ++clicks; };
  EXPECT_EQ(std::pair(group.title(), group.ItemIndex()), std::pair(QString("Combine"), -1));
  group.SetItemIndex(2);
  group.Button(1)->click();
  EXPECT_EQ(group.ItemIndex(), 1);
  group.SetItemIndex(7);
  EXPECT_EQ(std::tuple(group.ItemIndex(), group.Button(7), clicks), std::tuple(-1, nullptr, 3));
}

TEST(Controls, ColorBoxNamesStandardColoursAndKeepsAnyOther) {
  TColorBox box;
  EXPECT_EQ(box.count(), 16);
  struct Case { uint32_t color; const char* text; } cases[] = {
      {0x808000, "Teal"}, {0x000000, "Black"}, {0x123456, "$123456"}};
  for (const Case& c : cases) {
    box.SetSelected(c.color);
    EXPECT_EQ(std::pair(box.Selected(), box.currentText()), std::pair(c.color, QString(c.text)));
  }
  box.SetSelected(0x123456);
  EXPECT_EQ(box.count(), 17);  // the custom entry is made once
  box.SetSelected(0xFF0000FF);  // the top byte is no part of a colour
  EXPECT_EQ(box.currentText(), "Red");
}

// Enter, the keypad's or the main one, presses the button that has the focus, and in a field only
// the button named the default.
TEST(Controls, EnterPressesTheFocusedButtonElseTheNamedDefault) {
  QDialog dialog;
  auto* field = new QLineEdit(&dialog);
  auto* ok = new QPushButton("OK", &dialog);
  auto* cancel = new QPushButton("Cancel", &dialog);
  auto* row = new QHBoxLayout(&dialog);
  for (QWidget* control : std::initializer_list<QWidget*>{field, ok, cancel}) row->addWidget(control);
  std::string pressed;
  for (QPushButton* button : {ok, cancel}) {
    QObject::connect(button, &QPushButton::clicked, &dialog,
                     [&pressed, button] { pressed += button->text().toStdString(); });
  }
  SetDefaultButton(dialog, ok);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  const struct {
    QWidget* focus;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* presses;
  } cases[] = {
      {cancel, Qt::Key_Enter, Qt::KeypadModifier, "Cancel"},
      {cancel, Qt::Key_Return, Qt::NoModifier, "Cancel"},
      {field, Qt::Key_Enter, Qt::KeypadModifier, "OK"},
      {field, Qt::Key_Return, Qt::NoModifier, "OK"},
  };
  for (const auto& [focus, key, modifiers, presses] : cases) {
    SCOPED_TRACE(std::string(presses) + " " + std::to_string(key));
    pressed.clear();
    focus->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(focus->hasFocus());
    QTest::keyClick(focus, key, modifiers);
    EXPECT_EQ(pressed, presses);
  }
}
