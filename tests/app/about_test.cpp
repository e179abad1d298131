// The About box: its caption, its line-drawn logo, Enter, the Help menu and key that open it, and
// F1 in it.
#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWindow>
#include <filesystem>

#include "app/About.h"
#include "app/fakes/main_window.h"
#include "gui/application.h"
#include "gui/helpwindow.h"
#include "support/layout_check.h"
#include "support/picture.h"

namespace {

class AboutBox : public MainWindowTest {
 protected:
  AboutBox() : MainWindowTest("about") {}
};

}  // namespace

TEST_F(AboutBox, HelpAboutShowsTheVersionedBoxWithItsLogoAndEnterClosesIt) {
  QImage picture;
  std::vector<std::string> captions, faults;
  ScopedModalRunner runner([&](QDialog& dialog) {
    dialog.show();
    captions.push_back(dialog.windowTitle().toStdString());
    faults = LayoutFaults(dialog);
    picture = dialog.grab().toImage();
    QTest::keyClick(&dialog, Qt::Key_Return);
    return dialog.result();
  });
  EXPECT_EQ(TAboutBox(nullptr).ShowModal(), QDialog::Accepted);
  captions.clear();
  // Through the Help menu, as the idle update leaves it, and by its key.
  form->ActionList1Update();
  QTest::keyClick(form.get(), Qt::Key_H, Qt::AltModifier);
  ASSERT_NE(QApplication::activePopupWidget(), nullptr);
  QTest::keyClick(QApplication::activePopupWidget(), 'a');
  QTest::keyClick(form.get(), Qt::Key_F1, Qt::AltModifier);
  EXPECT_EQ(captions, std::vector<std::string>(2, "About Korvalen 7.1"));
  EXPECT_EQ(faults, std::vector<std::string>{});
  ASSERT_EQ(picture.size(), QSize(355, 249));
  // A logo unit is 3.3 pixels across and 2 down; each colour is looked for near its place.
  const std::tuple<int, int, QRgb> marks[] = {
      {234, 75, 0x960000},   // the red stem from (71, 30) down to (71, 43)
      {10, 150, 0xA0A0A4}};  // the grey ground
  for (const auto& [x, y, colour] : marks) {
    int found = 0;
    for (int d = 0; d < 25; ++d) {
      found += (picture.pixel(x + d % 5 - 2, y + d / 5 - 2) & 0xFFFFFF) == colour;
    }
    EXPECT_GT(found, 0) << x << "," << y;
  }
  // The curve's course, in its two colours, which no text shares (support/picture.h on changes).
  QImage curve(picture.size(), QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb colour = picture.pixel(x, y) & 0xFFFFFF;
      curve.setPixel(x, y, colour == 0x000064 || colour == 0x64D2FF ? picture.pixel(x, y) : qRgb(255, 255, 255));
    }
  }
  ExpectPicture(std::filesystem::path(__FILE__).parent_path() / "data", "about-curve", curve);
}

TEST_F(AboutBox, F1ShowsTheContentsAboveTheBoxWhichStaysOpen) {
  std::string shown;
  bool aboveTheOpenBox = false;
  ScopedModalRunner runner([&](QDialog& dialog) {
    // As a modal run does, the box keeps the main window's keys from their commands.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTest::keyClick(dialog.focusWidget() != nullptr ? dialog.focusWidget() : &dialog, Qt::Key_F1);
    if (const HelpWindow* help = form->Help().Window(); help != nullptr && help->Current() != nullptr) {
      shown = help->Current()->file.toStdString() + "|" + help->NoticeText().toStdString();
      aboveTheOpenBox = dialog.isVisible() && help->isVisible() &&
                        help->windowHandle()->transientParent() == dialog.windowHandle();
    }
    QTest::keyClick(&dialog, Qt::Key_Return);
    return dialog.result();
  });
  QTest::keyClick(form.get(), Qt::Key_F1, Qt::AltModifier);
  EXPECT_EQ(shown, "contents.md|");
  EXPECT_TRUE(aboveTheOpenBox);
}
