// The key rule of the typing filter.
#include "gui/keyfilter.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>

TEST(KeyFilter, TypingKeysAreEveryKeyButNavigationAndAltCombinations) {
  struct Case { int key; Qt::KeyboardModifiers modifiers; bool typing; } cases[] = {
      {Qt::Key_P, Qt::ShiftModifier, true},       {Qt::Key_R, Qt::ControlModifier, true},
      {Qt::Key_F1, Qt::NoModifier, true},         {Qt::Key_Backspace, Qt::NoModifier, true},
      {Qt::Key_F1, Qt::AltModifier, false},       {Qt::Key_Backtab, Qt::ShiftModifier, false},
      {Qt::Key_Tab, Qt::NoModifier, false},       {Qt::Key_Enter, Qt::KeypadModifier, false},
      {Qt::Key_Return, Qt::NoModifier, false},    {Qt::Key_End, Qt::NoModifier, false},
      {Qt::Key_Right, Qt::ShiftModifier, false},
      {Qt::Key_Insert, Qt::NoModifier, false},    {Qt::Key_Delete, Qt::ControlModifier, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(KeyBelongsToTyping(c.key, c.modifiers), c.typing);
  }
}

TEST(KeyFilter, OnlyTheOverrideOfATypingKeyIsHeldBackAndAccepted) {
  QKeyEvent letter(QEvent::ShortcutOverride, Qt::Key_P, Qt::NoModifier, "p");
  letter.ignore();
  EXPECT_TRUE(HoldFromShortcuts(&letter) && letter.isAccepted());

  QKeyEvent home(QEvent::ShortcutOverride, Qt::Key_Home, Qt::NoModifier);
  home.ignore();
  EXPECT_FALSE(HoldFromShortcuts(&home) || home.isAccepted());

  // The key press itself is delivered as usual; only the shortcut lookup is kept out.
  QKeyEvent press(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, "p");
  EXPECT_FALSE(HoldFromShortcuts(&press));
}

TEST(KeyFilter, AltGrCharactersAreNoAltCombinationsAndReadOnlyFieldsAreNoTextFields) {
  const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; bool alt; } cases[] = {
      {Qt::Key_Q, Qt::AltModifier, true},
      {Qt::Key_Q, Qt::AltModifier | Qt::ShiftModifier, true},
      {Qt::Key_At, Qt::AltModifier | Qt::ControlModifier, false},
      {Qt::Key_At, Qt::AltModifier | Qt::GroupSwitchModifier, false},
      {Qt::Key_AltGr, Qt::AltModifier, false},
      {Qt::Key_Q, Qt::NoModifier, false},
  };
  for (const auto& c : cases) {
    QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, "q");
    EXPECT_EQ(IsAltCombination(press), c.alt) << c.key << " " << c.modifiers.toInt();
  }
  QLineEdit field;
  EXPECT_TRUE(IsTextField(&field));
  field.setReadOnly(true);
  EXPECT_FALSE(IsTextField(&field));
  QWidget plain;
  EXPECT_FALSE(IsTextField(&plain));
}
