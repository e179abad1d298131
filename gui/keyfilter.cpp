#include "gui/keyfilter.h"

#include <QEvent>
#include <QKeyEvent>

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

bool ApplicationEventFilter::eventFilter(QObject*, QEvent* event) { return handler_(event); }
