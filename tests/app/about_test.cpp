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
  ScopedModalRunner runner([&](QDialog& dialog) {
    dialog.show();
    caption = dialog.windowTitle();
    picture = dialog.grab().toImage();
    QTest::keyClick(&dialog, Qt::Key_Return);
    return dialog.result();
  });
  EXPECT_EQ(TAboutBox(nullptr).ShowModal(), QDialog::Accepted);
  form->HelpAboutExecute();
  EXPECT_EQ(caption.toStdString(), "About Korvalen 7.1");
  ASSERT_EQ(picture.size(), QSize(355, 249));
  // A logo unit is 3.3 pixels across and 2 down; each colour is looked for near its place.
  const std::tuple<int, int, QRgb> marks[] = {
      {234, 75, 0x960000},   // the red stem from (71, 30) down to (71, 43)
      {82, 21, 0x000064},    // the curve from (25, 10) down to (26, 16)
      {158, 44, 0x64D2FF},   // its light steps to 48 and 49
      {10, 150, 0xA0A0A4}};  // the grey ground
  for (const auto& [x, y, colour] : marks) {
    int found = 0;
    for (int d = 0; d < 25; ++d) {
      found += (picture.pixel(x + d % 5 - 2, y + d / 5 - 2) & 0xFFFFFF) == colour;
    }
    EXPECT_GT(found, 0) << x << "," << y;
  }
  const std::string path = std::string(KORVALEN_BUILD_DIR) + "/about-box.png";
  EXPECT_TRUE(picture.save(QString::fromStdString(path)));
}
