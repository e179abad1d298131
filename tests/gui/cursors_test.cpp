// The screen cursor and the program's own cursor images.
#include "gui/cursors.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>

TEST(Cursors, TheScreenCursorIsOneOverrideThatTheDefaultRemoves) {
  SetScreenCursor(crHourGlass);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  SetScreenCursor(crIBeam);  // replaces, does not stack
  EXPECT_EQ(std::pair(QGuiApplication::overrideCursor()->shape(), ScreenCursor()),
            std::pair(Qt::IBeamCursor, crIBeam));
  SetScreenCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(ScreenCursor(), crDefault);
}

TEST(Cursors, ProgramCursorsAreDrawnWithTheirHotSpotInsideAndUnknownOnesAreArrows) {
  for (const char* name : {"DRAW", "DELETE", "SIL", "REJECT", "NOTE"}) {
    SCOPED_TRACE(name);
    const QCursor cursor = LoadProgramCursor(name);
    EXPECT_EQ(std::pair(cursor.shape(), cursor.pixmap().size()), std::pair(Qt::BitmapCursor, QSize(32, 32)));
    EXPECT_TRUE(QRect(0, 0, 32, 32).contains(cursor.hotSpot()));
  }
  EXPECT_TRUE(LoadProgramCursor("NONE").shape() == Qt::ArrowCursor && CursorOf(99).shape() == Qt::ArrowCursor);
}
