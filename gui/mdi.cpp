#include "gui/mdi.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace {

constexpr const char* kWindowListEntry = "windowListEntry";

QList<QMdiSubWindow*> ShownWindows(QMdiArea& area, QMdiArea::WindowOrder order = QMdiArea::CreationOrder) {
  QList<QMdiSubWindow*> shown;
  for (QMdiSubWindow* window : area.subWindowList(order)) {
    if (window->isVisible() && !window->isMinimized()) shown.append(window);
  }
  return shown;
}

// How far the view must move along one axis for [first, last] to lie inside [0, size): the
// start wins where the span is longer than the view.
int ShiftToShow(int first, int last, int size) {
  if (first < 0) return first;
  if (last >= size) return std::min(first, last - size + 1);
  return 0;
}

}  // namespace

void ScrollToWindowsBeyond(QMdiArea& area) {
  area.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void ScrollIntoView(QMdiArea& area, QMdiSubWindow& window) {
  const QRect room = area.viewport()->rect();
  const QRect frame = window.geometry();
  QScrollBar* across = area.horizontalScrollBar();
  QScrollBar* down = area.verticalScrollBar();
  // The bars reach every window beyond the area (ScrollToWindowsBeyond): moving them moves the
  // windows, not the one window out of the place the user gave it.
  across->setValue(across->value() + ShiftToShow(frame.left(), frame.right(), room.width()));
  down->setValue(down->value() + ShiftToShow(frame.top(), frame.bottom(), room.height()));
}

void CascadeWindows(QMdiArea& area) {
  // Qt's own cascade sizes every window by its size hint, a few dozen pixels for a document
  // window. Here all share one size, the area less the staggering, and the staggering starts
  // over at the top left after as many steps as keep two thirds of the area.
  const QList<QMdiSubWindow*> windows = ShownWindows(area, QMdiArea::StackingOrder);
  if (windows.isEmpty()) return;
  const QRect room = area.viewport()->rect();
  const int step = std::max(1, area.style()->pixelMetric(QStyle::PM_TitleBarHeight) +
                                   area.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth));
  const int steps = std::min(room.width(), room.height()) / (3 * step);
  const QSize size(room.width() - steps * step, room.height() - steps * step);
  for (int i = 0; i < windows.size(); ++i) {
    QMdiSubWindow* window = windows[i];
    if (window->isMaximized()) window->showNormal();
    const int offset = step * (i % (steps + 1));
    window->setGeometry(QRect(QPoint(offset, offset), size));
  }
}

void TileWindows(QMdiArea& area, bool horizontally) {
  const QList<QMdiSubWindow*> windows = ShownWindows(area);
  if (windows.isEmpty()) return;
  const QRect room = area.viewport()->rect();
  const int count = static_cast<int>(windows.size());
  for (int i = 0; i < count; ++i) {
    QMdiSubWindow* window = windows[i];
    if (window->isMaximized()) window->showNormal();
    if (horizontally) {
      const int top = room.height() * i / count;
      const int bottom = room.height() * (i + 1) / count;
      window->setGeometry(0, top, room.width(), bottom - top);
    } else {
      const int left = room.width() * i / count;
      const int right = room.width() * (i + 1) / count;
      window->setGeometry(left, 0, right - left, room.height());
    }
  }
}

void MinimizeAllWindows(QMdiArea& area) {
  for (QMdiSubWindow* window : area.subWindowList()) window->showMinimized();
}

void ArrangeIcons(QMdiArea& area) {
  const QRect room = area.viewport()->rect();
  int left = 0;
  int bottom = room.bottom() + 1;
  for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder)) {
    if (!window->isMinimized()) continue;
    const QSize size = window->size();
    if (left > 0 && left + size.width() > room.width()) {
      left = 0;
      bottom -= size.height();
    }
    window->move(left, bottom - size.height());
    left += size.width();
  }
}

void RefreshWindowList(QMenu& menu, QMdiArea& area) {
  for (QAction* action : menu.actions()) {
    if (action->property(kWindowListEntry).toBool()) {
      menu.removeAction(action);
      delete action;
    }
  }
  const QList<QMdiSubWindow*> windows = area.subWindowList(QMdiArea::CreationOrder);
  if (windows.isEmpty()) return;
  QAction* separator = menu.addSeparator();
  separator->setProperty(kWindowListEntry, true);
  int number = 0;
  for (QMdiSubWindow* window : windows) {
    ++number;
    const QString prefix = number < 10 ? QString("&%1 ").arg(number) : QString("%1 ").arg(number);
    QAction* entry = menu.addAction(prefix + window->windowTitle());
    entry->setProperty(kWindowListEntry, true);
    entry->setCheckable(true);
    entry->setChecked(window == area.activeSubWindow());
    QPointer<QMdiSubWindow> target = window;
    QObject::connect(entry, &QAction::triggered, &area, [&area, target] {
      if (target) area.setActiveSubWindow(target);
    });
  }
}

void ListWindowsInMenu(QMenu& menu, QMdiArea& area) {
  QObject::connect(&menu, &QMenu::aboutToShow, &area,
                   [&menu, &area] { RefreshWindowList(menu, area); });
}
