// The menus by keyboard. F10 and a lone Alt open the menu bar, as desktop programs on Linux do;
// the menu captions carry letters. An Alt+letter that is also a command's key goes to the command
// when that command serves the active kind of document (or both kinds); a command of the other
// kind would do nothing, so the menu showing that letter opens instead. In an open menu the items'
// letters choose. Ctrl+F4 closes the active document window and Ctrl+F6 goes to the next one, as
// document windows did on the program's first platform.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <functional>

#include "app/Main.h"
#include "app/MainActions.h"

namespace {

// The menu of the bar whose letter `key` is; `shown` asks for a visible one. The bar holds the
// letters of hidden menus as well.
QAction* MenuBarLetter(const QMenuBar& bar, const QKeySequence& key, bool shown) {
  for (QAction* menu : bar.actions()) {
    if ((!shown || menu->isVisible()) && QKeySequence::mnemonic(menu->text()) == key) return menu;
  }
  return nullptr;
}

// A menu is in sight when it and every menu above it are shown in the bar.
bool MenuInSight(const QMenu* menu) {
  for (; menu != nullptr; menu = qobject_cast<const QMenu*>(menu->parentWidget())) {
    if (!menu->menuAction()->isVisible()) return false;
  }
  return true;
}

bool IsMenuEntry(const QString& name) {
  for (const MenuLayout& layout : MainMenuLayouts()) {
    for (const char* entry : layout.entries) {
      if (name == QLatin1String(entry)) return true;
    }
  }
  return false;
}

// The keys that serve both kinds are in no menu; a menu's command serves the kind of document for
// which its menu shows it (an entry may also leave its menu for the other kind).
bool ServesActiveKind(const QAction& action) {
  for (const QObject* object : action.associatedObjects()) {
    const auto* menu = qobject_cast<const QMenu*>(object);
    if (menu != nullptr && MenuInSight(menu)) return true;
  }
  return !IsMenuEntry(action.objectName());
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

std::function<void()> TMainForm::AltLetterOwner(const QKeySequence& key) {
  QAction* serving = nullptr;
  QAction* other = nullptr;
  for (QAction* action : actions()) {
    if (!action->isEnabled() || !action->shortcuts().contains(key)) continue;
    (ServesActiveKind(*action) ? serving : other) = action;
  }
  if (serving != nullptr) return [serving] { serving->trigger(); };
  if (QAction* menu = MenuBarLetter(*menuBar(), key, true)) {
    return [this, menu] { menuBar()->setActiveAction(menu); };
  }
  // Nothing in sight: the command keeps its key (it does nothing without its kind of document).
  if (other != nullptr) return [other] { other->trigger(); };
  return [] {};
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
             MenuBarLetter(*menuBar(), sequence, false) != nullptr) {
    // Alt+letter matches both a command and a menu caption, shown or hidden; the shortcut map
    // would call it ambiguous and run neither. Taken before the map sees it, one of them acts.
    run = AltLetterOwner(sequence);
  }
  if (!run) return false;
  // The override only claims the key; it is acted on when it is pressed.
  if (type == QEvent::KeyPress) run();
  msg->accept();
  return true;
}
