// Arranging document windows.
#include "gui/mdi.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>

TEST(Mdi, TilingSharesTheFrameOneAboveTheOtherOrSideBySide) {
  QMdiArea area;
  area.resize(600, 400);
  QMdiSubWindow* first = area.addSubWindow(new QWidget);
  QMdiSubWindow* second = area.addSubWindow(new QWidget);
  area.show();
  const QRect room = area.viewport()->rect();

  TileWindows(area, true);
  EXPECT_EQ(first->geometry(), QRect(0, 0, room.width(), room.height() / 2));
  EXPECT_EQ(second->geometry().top(), room.height() / 2);
  EXPECT_EQ(second->geometry().bottom(), room.height() - 1);

  TileWindows(area, false);
  EXPECT_EQ(first->geometry(), QRect(0, 0, room.width() / 2, room.height()));
  EXPECT_EQ(second->geometry().left(), room.width() / 2);
  EXPECT_EQ(second->geometry().right(), room.width() - 1);

  MinimizeAllWindows(area);
  EXPECT_TRUE(first->isMinimized());
  EXPECT_TRUE(second->isMinimized());
  ArrangeIcons(area);
  EXPECT_EQ(first->geometry().bottom(), room.bottom());
  EXPECT_EQ(second->geometry().left(), first->geometry().right() + 1);
}
