// Arranging document windows.
#include "gui/mdi.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include "support/event_loop.h"

TEST(Mdi, TilingSharesTheFrameOneAboveTheOtherOrSideBySide) {
  QMdiArea area;
  area.resize(600, 400);
  QMdiSubWindow* first = area.addSubWindow(new QWidget);
  QMdiSubWindow* second = area.addSubWindow(new QWidget);
  area.show();
  QMdiSubWindow* third = area.addSubWindow(new QWidget);
  third->showMinimized();  // takes no share
  const QRect room = area.viewport()->rect();

  TileWindows(area, true);
  EXPECT_EQ(first->geometry(), QRect(0, 0, room.width(), room.height() / 2));
  EXPECT_EQ(std::pair(second->geometry().top(), second->geometry().bottom()),
            std::pair(room.height() / 2, room.height() - 1));

  TileWindows(area, false);
  EXPECT_EQ(first->geometry(), QRect(0, 0, room.width() / 2, room.height()));
  EXPECT_EQ(std::pair(second->geometry().left(), second->geometry().right()),
            std::pair(room.width() / 2, room.width() - 1));

  MinimizeAllWindows(area);
  EXPECT_TRUE(first->isMinimized() && second->isMinimized());
  ArrangeIcons(area);
  EXPECT_EQ(std::tuple(first->x(), first->geometry().bottom(), second->geometry().left()),
            std::tuple(0, room.bottom(), first->geometry().right() + 1));
  // An icon that does not fit in the row starts another one above it.
  area.resize(first->width() * 2 + 10, 400);
  QTest::qWait(0);
  ArrangeIcons(area);
  EXPECT_EQ(std::pair(third->x(), third->geometry().bottom() + 1), std::pair(0, first->y()));
}

TEST(Mdi, CascadedWindowsShareOneUsableSizeStaggeredInStackingOrder) {
  QMdiArea area;
  area.resize(600, 400);
  std::vector<QMdiSubWindow*> windows;
  for (int i = 0; i < 3; ++i) windows.push_back(area.addSubWindow(new QWidget));
  area.show();
  windows[1]->showMaximized();
  area.setActiveSubWindow(windows[0]);
  CascadeWindows(area);
  const QRect room = area.viewport()->rect();
  // The active window ends on top, the furthest down the stair.
  const QList<QMdiSubWindow*> stack = area.subWindowList(QMdiArea::StackingOrder);
  ASSERT_EQ(stack.size(), 3);
  EXPECT_EQ(stack.back(), windows[0]);
  const int step = stack[1]->x();
  EXPECT_GT(step, 0);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const QRect bounds = stack[i]->geometry();
    EXPECT_FALSE(stack[i]->isMaximized());
    EXPECT_EQ(bounds.size(), stack[0]->size());
    EXPECT_EQ(bounds.topLeft(), QPoint(i * step, i * step));
    EXPECT_TRUE(room.contains(bounds));
    EXPECT_GE(bounds.width() * 3, room.width() * 2);
    EXPECT_GE(bounds.height() * 3, room.height() * 2);
  }
}

TEST(Mdi, TheWindowMenuListsTheOpenWindowsAndActivatesTheChosenOne) {
  QMdiArea area;
  QMenu menu;
  menu.addAction("&Cascade");
  RefreshWindowList(menu, area);
  EXPECT_EQ(menu.actions().size(), 1);  // no windows, no list

  QMdiSubWindow* first = area.addSubWindow(new QWidget);
  first->setWindowTitle("NONAME1");
  QMdiSubWindow* second = area.addSubWindow(new QWidget);
  second->setWindowTitle("NONAME2");
  area.show();
  area.setActiveSubWindow(second);
  RefreshWindowList(menu, area);
  RefreshWindowList(menu, area);  // rebuilt, not appended twice
  const QList<QAction*> entries = menu.actions();
  ASSERT_EQ(entries.size(), 4);
  EXPECT_EQ(std::tuple(entries[1]->isSeparator(), entries[2]->text().toStdString(),
                       entries[2]->isChecked(), entries[3]->isChecked()),
            std::tuple(true, "&1 NONAME1", false, true));
  entries[2]->trigger();
  EXPECT_EQ(area.activeSubWindow(), first);
}

// A window beyond the area's edge brings that edge's scroll bar, which scrolls its far side in.
TEST(Mdi, AWindowBeyondTheAreaIsReachedByItsScrollBar) {
  QMdiArea area;
  ScrollToWindowsBeyond(area);
  area.resize(600, 400);
  QMdiSubWindow* window = area.addSubWindow(new QWidget);
  area.show();
  const struct {
    QRect bounds;
    bool across, down;
  } cases[] = {{{10, 10, 200, 100}, false, false},
               {{-100, 10, 900, 100}, true, false},
               {{10, 300, 200, 300}, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bounds.x());
    window->setGeometry(c.bounds);
    QTest::qWait(0);
    EXPECT_EQ(std::pair(area.horizontalScrollBar()->isVisible(), area.verticalScrollBar()->isVisible()),
              std::pair(c.across, c.down));
    // With both bars at their starts the window's top left corner is in view, at their ends its
    // bottom right corner.
    const auto scrollTo = [&area](bool ends) {
      for (QScrollBar* bar : {area.horizontalScrollBar(), area.verticalScrollBar()})
        bar->setValue(ends ? bar->maximum() : bar->minimum());
    };
    scrollTo(false);
    EXPECT_TRUE(area.viewport()->rect().contains(window->geometry().topLeft()));
    scrollTo(true);
    EXPECT_TRUE(area.viewport()->rect().contains(window->geometry().bottomRight()));
    area.horizontalScrollBar()->setValue(0);
    area.verticalScrollBar()->setValue(0);
  }
}

TEST(Mdi, ScrollingAWindowIntoViewMovesTheViewNoFurtherThanItNeeds) {
  QMdiArea area;
  ScrollToWindowsBeyond(area);
  area.resize(600, 400);
  QMdiSubWindow* window = area.addSubWindow(new QWidget);
  area.show();
  enum Meets { kNothing, kRightEdge, kLeftEdge, kTopEdge };  // which edge of the area it ends on
  const struct {
    QRect bounds;
    Meets meets;
  } cases[] = {{{10, 10, 200, 100}, kNothing},
               {{700, 10, 200, 100}, kRightEdge},
               {{-150, 10, 200, 100}, kLeftEdge},
               {{10, 350, 200, 600}, kTopEdge}};  // taller than the area: its title bar shows
  for (const auto& c : cases) {
    SCOPED_TRACE(c.meets);
    area.horizontalScrollBar()->setValue(0);
    area.verticalScrollBar()->setValue(0);
    window->setGeometry(c.bounds);
    RunQueued();  // the bars take the window's new place into their ranges
    ASSERT_EQ(window->geometry(), c.bounds);
    ScrollIntoView(area, *window);
    const QRect room = area.viewport()->rect();
    const QRect seen = window->geometry();
    EXPECT_EQ(seen.size(), c.bounds.size());
    switch (c.meets) {
      case kNothing:
        EXPECT_EQ(seen, c.bounds);
        break;
      case kRightEdge:
        EXPECT_EQ(std::pair(seen.right(), seen.top()), std::pair(room.right(), c.bounds.top()));
        break;
      case kLeftEdge:
        EXPECT_EQ(std::pair(seen.left(), seen.top()), std::pair(0, c.bounds.top()));
        break;
      case kTopEdge:
        EXPECT_EQ(seen.topLeft(), QPoint(c.bounds.left(), 0));
        break;
    }
  }
}
