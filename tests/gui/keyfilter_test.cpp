// The key rule of the typing filter.
#include "gui/keyfilter.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

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
