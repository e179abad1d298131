// The toolbar pictures, the application's icon and the program's cursors, drawn side by side and
// compared with tests/gui/pictures/icons.png (see tests/support/picture.h for accepting a
// deliberate change). The letters of lettered toolbar pictures go through the machine's fonts and
// are left out.
#include <gtest/gtest.h>

#include <QCursor>
#include <QIcon>
#include <QPainter>
#include <filesystem>

#include "gui/actions.h"
#include "gui/cursors.h"
#include "support/picture.h"

TEST(IconPictures, ToolbarPicturesIconAndCursorsDrawAsTheirReference) {
  const char* pictures[] = {"new",  "newmuz", "open", "openmuz", "save",  "saveas", "props", "dup",
                            "undo", "delundo", "play", "stop",   "pause", "record", "wave"};
  QImage image(16 * 26 + 6 * 34 + 40, 34, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  QPainter painter(&image);
  int x = 1;
  for (const char* name : pictures) painter.drawPixmap(x, 1, ActionImage(name, 0).pixmap(24, 24)), x += 26;
  painter.drawPixmap(x, 1, ApplicationIcon().pixmap(32, 32)), x += 34;
  // The tile colours of lettered pictures, one per group, left of where the letters go.
  for (int group = -1; group < 9; ++group) painter.drawPixmap(x, 1, ActionImage("W", group).pixmap(24, 24), 0, 0, 4, 24), x += 4;
  for (const char* name : {"DRAW", "DELETE", "SIL", "REJECT", "NOTE"}) {
    const QCursor cursor = LoadProgramCursor(name);
    painter.drawPixmap(x, 1, cursor.pixmap());
    painter.fillRect(x + cursor.hotSpot().x(), 1 + cursor.hotSpot().y(), 1, 1, Qt::red);
    x += 34;
  }
  painter.end();
  ExpectPicture(image, std::filesystem::path(__FILE__).parent_path() / "pictures" / "icons.png");
}
