#include "gui/keyfilter.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

bool KeyBelongsToTyping(int key, Qt::KeyboardModifiers modifiers) {
  // Alt combinations are system keys: they keep reaching their shortcuts.
  if (modifiers & Qt::AltModifier) return false;
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
      return false;
    default:
      return true;
  }
}

bool HoldFromShortcuts(QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (!KeyBelongsToTyping(key->key(), key->modifiers())) return false;
  event->accept();
  return true;
}

bool IsTextField(const QObject* widget) {
  if (const auto* line = qobject_cast<const QLineEdit*>(widget)) return !line->isReadOnly();
  if (const auto* text = qobject_cast<const QTextEdit*>(widget)) return !text->isReadOnly();
  if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) return !plain->isReadOnly();
  if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(widget)) return !spin->isReadOnly();
  if (const auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->isEditable();
  return false;
}

bool KeyEditsField(int key, Qt::KeyboardModifiers modifiers) {
  // A field does nothing with Alt: Alt+Del, Shift+Alt+Del and Alt+Ins stay with their commands.
  if (key == Qt::Key_Delete || key == Qt::Key_Insert || key == Qt::Key_Backspace)
    return !(modifiers & Qt::AltModifier);
  if ((modifiers & ~Qt::KeypadModifier) != Qt::ControlModifier) return false;
  return key == Qt::Key_A || key == Qt::Key_C || key == Qt::Key_X || key == Qt::Key_V ||
         key == Qt::Key_Z;
}

bool IsAltCombination(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers();
  return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) &&
         !(modifiers & Qt::GroupSwitchModifier) && key.key() != Qt::Key_AltGr;
}

bool KeepFieldKeys(QObject* receiver, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
  if (!IsTextField(receiver)) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (type == QEvent::ShortcutOverride) {
    if (!KeyEditsField(key->key(), key->modifiers())) return false;
    event->accept();
    return true;
  }
  // A press reaches the field only once no shortcut took the key.
  return IsAltCombination(*key) && !key->text().isEmpty() && key->text().front().isPrint();
}

bool ApplicationEventFilter::eventFilter(QObject* watched, QEvent* event) {
  return handler_(watched, event);
}
