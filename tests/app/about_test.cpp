// The About box: its caption, the colours of its line-drawn logo where they fall, and Enter.
#include <QImage>
#include <QTest>

#include "app/About.h"
#include "app/fakes/main_window.h"
#include "gui/application.h"

namespace {

class AboutBox : public MainWindowTest {
 protected:
  AboutBox() : MainWindowTest("about") {}
};

}  // namespace

TEST_F(AboutBox, HelpAboutShowsTheVersionedBoxWithItsLogoAndEnterClosesIt) {
  QImage picture;
  QString caption;
  int result = -1;
  ScopedModalRunner runner([&](QDialog& dialog) {
    dialog.show();
    caption = dialog.windowTitle();
    picture = dialog.grab().toImage();
    QTest::keyClick(&dialog, Qt::Key_Return);
    result = dialog.result();
    return result;
  });
  form->HelpAboutExecute();
  EXPECT_EQ(caption.toStdString(), "About Korvalen 7.1");
  EXPECT_EQ(result, QDialog::Accepted);
  ASSERT_EQ(picture.size(), QSize(355, 249));

  // A logo unit is 3.3 pixels across and 2 down on a box of 355 x 249.
  struct Mark {
    const char* what;
    int x, y;
    QRgb colour;
  };
  const Mark marks[] = {
      {"red stem", 234, 75, 0x960000},       // from (71, 30) down to (71, 43)
      {"curve start", 82, 21, 0x000064},     // (25, 10) down to (26, 16)
      {"light stretch", 158, 44, 0x64D2FF},  // the steps to 48 and 49
      {"grey ground", 10, 150, 0xA0A0A4},
  };
  for (const Mark& m : marks) {
    SCOPED_TRACE(m.what);
    bool found = false;
    for (int dx = -2; dx <= 2 && !found; ++dx) {
      for (int dy = -2; dy <= 2 && !found; ++dy) {
        found = (picture.pixel(m.x + dx, m.y + dy) & 0xFFFFFF) == m.colour;
      }
    }
    EXPECT_TRUE(found);
  }
  const std::string path = std::string(KORVALEN_BUILD_DIR) + "/about-box.png";
  EXPECT_TRUE(picture.save(QString::fromStdString(path)));
}
