// A document window's client area: shows its picture and takes the navigation keys before any
// command's shortcut does, leaving every other shortcut to its command.
#include "gui/clientarea.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <vector>

namespace {

struct Client : PictureClient {
  QImage picture{QSize(40, 30), QImage::Format_RGB32};
  std::vector<int> keys;
  int paints = 0;
  void PaintPicture() override { picture.fill(Qt::darkRed), ++paints; }
  const QImage& Picture() const override { return picture; }
  void NavigationKey(int key, Qt::KeyboardModifiers) override { keys.push_back(key); }
};

}  // namespace

TEST(ClientArea, NavigationKeysReachTheWindowAndOtherShortcutsTheirCommands) {
  Client client;
  int left = 0, save = 0;
  QAction leftCommand("Left", &client), saveCommand("Save", &client);
  leftCommand.setShortcut(QKeySequence(Qt::Key_Left));
  saveCommand.setShortcut(QKeySequence("Ctrl+S"));
  leftCommand.setShortcutContext(Qt::ApplicationShortcut);
  saveCommand.setShortcutContext(Qt::ApplicationShortcut);
  QObject::connect(&leftCommand, &QAction::triggered, [&left] { ++left; });
  QObject::connect(&saveCommand, &QAction::triggered, [&save] { ++save; });
  client.addActions({&leftCommand, &saveCommand});
  client.resize(40, 30);
  client.show();
  client.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&client));
  QTest::keyClick(&client, Qt::Key_Left);
  QTest::keyClick(&client, Qt::Key_PageDown, Qt::ShiftModifier);
  QTest::keyClick(&client, Qt::Key_S, Qt::ControlModifier);
  QTest::keyClick(&client, Qt::Key_A);
  EXPECT_EQ(client.keys, (std::vector<int>{Qt::Key_Left, Qt::Key_PageDown}));
  EXPECT_EQ(std::pair(left, save), std::pair(0, 1));
  const QImage shown = client.grab().toImage();
  EXPECT_GT(client.paints, 0);
  EXPECT_EQ(shown.pixelColor(20, 15), QColor(Qt::darkRed));
}
