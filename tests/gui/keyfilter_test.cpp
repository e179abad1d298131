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

// In a text field its editing keys are the field's: their override is taken, so no command gets
// them; every other key, Alt+Del and Alt+Ins among them, still reaches its command, and an Alt
// letter no shortcut took types nothing. Outside a field nothing is taken.
TEST(KeyFilter, AFieldKeepsItsEditingKeysAndLetsTheOthersReachTheirCommands) {
  const struct { int key; Qt::KeyboardModifiers modifiers; bool kept; } cases[] = {
      {Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier, true},
      {Qt::Key_Insert, Qt::ShiftModifier, true},     {Qt::Key_Backspace, Qt::NoModifier, true},
      {Qt::Key_A, Qt::ControlModifier, true},        {Qt::Key_C, Qt::ControlModifier, true},
      {Qt::Key_X, Qt::ControlModifier, true},        {Qt::Key_V, Qt::ControlModifier, true},
      {Qt::Key_Z, Qt::ControlModifier, true},        {Qt::Key_N, Qt::ControlModifier, false},
      {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, false},
      {Qt::Key_Delete, Qt::ShiftModifier, true},     {Qt::Key_Insert, Qt::ControlModifier, true},
      {Qt::Key_Delete, Qt::AltModifier, false},      {Qt::Key_Insert, Qt::AltModifier, false},
      {Qt::Key_Delete, Qt::ShiftModifier | Qt::AltModifier, false},
      {Qt::Key_V, Qt::AltModifier, false},           {Qt::Key_F1, Qt::NoModifier, false},
      {Qt::Key_Return, Qt::NoModifier, false},       {Qt::Key_P, Qt::NoModifier, false},
  };
  QLineEdit field;
  QWidget plain;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    QKeyEvent override(QEvent::ShortcutOverride, c.key, c.modifiers);
    override.ignore();
    EXPECT_EQ(KeepFieldKeys(&field, &override), c.kept);
    EXPECT_EQ(override.isAccepted(), c.kept);
    QKeyEvent elsewhere(QEvent::ShortcutOverride, c.key, c.modifiers);
    elsewhere.ignore();
    EXPECT_FALSE(KeepFieldKeys(&plain, &elsewhere) || elsewhere.isAccepted());
  }
  const struct { Qt::KeyboardModifiers modifiers; QString text; bool swallowed; } presses[] = {
      {Qt::AltModifier, "q", true},  {Qt::NoModifier, "q", false},
      {Qt::AltModifier | Qt::ControlModifier, "@", false},  {Qt::AltModifier, "", false},
  };
  for (const auto& p : presses) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, p.modifiers, p.text);
    EXPECT_EQ(KeepFieldKeys(&field, &press), p.swallowed) << p.text.toStdString();
    EXPECT_FALSE(KeepFieldKeys(&plain, &press));
  }
  QEvent release(QEvent::KeyRelease);
  EXPECT_FALSE(KeepFieldKeys(&field, &release));
}
