// The menus by keyboard. F10 and a lone Alt open the menu bar, as desktop programs on Linux do;
// the menu captions carry letters, but where a command owns the same Alt+letter (Alt+F is Multi
// Frequencies, Alt+E Random Echo ...) the command wins and that menu is reached from the open
// menu bar with the arrow keys; in an open menu the items' letters choose. Ctrl+F4 closes the active document window and Ctrl+F6 goes to the next one,
// as document windows did on the program's first platform.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <functional>

#include "app/Main.h"

namespace {

bool IsMenuBarLetter(const QMenuBar& bar, const QKeySequence& key) {
  for (const QAction* menu : bar.actions()) {
    if (menu->isVisible() && QKeySequence::mnemonic(menu->text()) == key) return true;
  }
  return false;
}

}  // namespace

void TMainForm::OpenMenuBar() {
  for (QAction* menu : menuBar()->actions()) {
    if (menu->isVisible() && menu->isEnabled()) {
      menuBar()->setActiveAction(menu);
      return;
    }
  }
}

QAction* TMainForm::CommandOwningKey(const QKeySequence& key) const {
  for (QAction* action : actions()) {
    if (action->isEnabled() && action->isVisible() && action->shortcut() == key) return action;
  }
  return nullptr;
}

bool TMainForm::OwnsMenu(const QWidget* popup) const {
  for (const QWidget* widget = popup; widget != nullptr; widget = widget->parentWidget()) {
    if (widget == this) return true;
  }
  return false;
}

bool TMainForm::MenuKey(QEvent* msg) {
  const QEvent::Type type = msg->type();
  if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease) {
    if (type == QEvent::MouseButtonPress) altAlone_ = false;
    return false;
  }
  auto* key = static_cast<QKeyEvent*>(msg);
  // In an open menu a letter chooses an item: the one-key shortcuts (D, W, C ...) wait.
  if (QWidget* popup = QApplication::activePopupWidget()) {
    altAlone_ = false;
    if (type != QEvent::ShortcutOverride || qobject_cast<QMenu*>(popup) == nullptr || !OwnsMenu(popup)) return false;
    if ((key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) != 0 || key->text().isEmpty() ||
        !key->text().front().isLetterOrNumber())
      return false;
    msg->accept();
    return true;
  }
  // Only keys meant for this window: not those of a dialog or another window.
  if (QApplication::activeWindow() != this || QApplication::activeModalWidget() != nullptr) {
    altAlone_ = false;
    return false;
  }
  if (key->key() == Qt::Key_Alt) {
    if (type == QEvent::KeyPress && !key->isAutoRepeat()) altAlone_ = (key->modifiers() & ~Qt::AltModifier) == 0;
    if (type == QEvent::KeyRelease && altAlone_) {
      altAlone_ = false;
      OpenMenuBar();
      return true;
    }
    return false;
  }
  // Any other key, also one a shortcut takes before it is pressed, makes Alt part of a combination.
  if (type != QEvent::KeyRelease) altAlone_ = false;
  if (type == QEvent::KeyRelease) return false;

  // The keys of the menu bar and the document windows. The document windows claim Ctrl+F4 for
  // themselves as well, so the key is taken before the shortcuts are looked up.
  const QKeySequence sequence(key->keyCombination());
  std::function<void()> run;
  if (sequence == QKeySequence(Qt::Key_F10)) {
    run = [this] { OpenMenuBar(); };
  } else if (sequence == QKeySequence(Qt::CTRL | Qt::Key_F4)) {
    run = [this] { Action("FileClose")->trigger(); };
  } else if (sequence == QKeySequence(Qt::CTRL | Qt::Key_F6)) {
    run = [this] { mdiArea_->activateNextSubWindow(); };
  } else if (key->modifiers() == Qt::AltModifier && key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z &&
             IsMenuBarLetter(*menuBar(), sequence)) {
    // Alt+letter matches both the command and the menu caption; the shortcut map would call it
    // ambiguous and run neither. Taken before the map sees it, it runs the command alone.
    if (QAction* command = CommandOwningKey(sequence)) run = [command] { command->trigger(); };
  }
  if (!run) return false;
  // The override only claims the key; it is acted on when it is pressed.
  if (type == QEvent::KeyPress) run();
  msg->accept();
  return true;
}
