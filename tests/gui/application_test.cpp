// The application object: message boxes on screen, the modal road, help without a help file and
// the font substitutes.
#include "gui/application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QFontInfo>
#include <QMessageBox>
#include <QTest>

#include "support/layout_check.h"
#include "support/recording_sink.h"

TEST(Application, MessageBoxesShowCaptionTextIconAndButtonsAndAnswerTheChosenButton) {
  // `pressed` is what the user chooses; 0 closes the box without a button, and kReturn presses
  // Return, which closes it with the default button.
  constexpr int kReturn = -1;
  struct Case { int flags; QMessageBox::Icon icon; QMessageBox::StandardButtons buttons;
                int pressed, answer; } cases[] = {
      {kMbOk | kMbIconStop, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, kIdOk},
      {kMbOk | kMbIconWarning, QMessageBox::Warning, QMessageBox::Ok, 0, kIdOk},
      {kMbOkCancel | kMbIconQuestion, QMessageBox::Question,
       QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, kIdCancel},
      {kMbYesNoCancel | kMbIconQuestion, QMessageBox::Question,
       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No, kIdNo},
      {kMbYesNoCancel, QMessageBox::NoIcon,
       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, 0, kIdCancel},
      {kMbYesNo, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
       kIdYes},
      {kMbYesNo, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No, kReturn, kIdYes},
      {kMbYesNo | kMbIconWarning | kMbDefButton2, QMessageBox::Warning,
       QMessageBox::Yes | QMessageBox::No, kReturn, kIdNo},
      {kMbOkCancel | kMbDefButton2, QMessageBox::NoIcon, QMessageBox::Ok | QMessageBox::Cancel,
       kReturn, kIdCancel},
  };
  QtMessageSink sink;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    int shown = 0;
    ScopedModalRunner runner([&](QDialog& dialog) {
      auto* box = qobject_cast<QMessageBox*>(&dialog);
      EXPECT_NE(box, nullptr);
      if (box == nullptr) return 0;
      ++shown;
      EXPECT_EQ(std::tuple(box->windowTitle(), box->text(), box->icon(), box->standardButtons()),
                std::tuple(QString("You have unsaved changes"), QString("Do you want to save?"),
                           c.icon, c.buttons));
      // The caption has room in the title bar beside the frame's buttons: none is cut.
      box->show();
      EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(box->windowTitle()) + 72);
      int pressed = c.pressed;
      if (pressed == kReturn) {
        QWidget* keys = box->focusWidget();
        QTest::keyClick(keys != nullptr ? keys : box, Qt::Key_Return);
        EXPECT_FALSE(box->isVisible()) << "Return left the box open";
        pressed = box->result();
      }
      box->hide();
      return pressed;
    });
    EXPECT_EQ(sink.ShowMessage("Do you want to save?", "You have unsaved changes", c.flags),
              c.answer);
    EXPECT_EQ(shown, 1);
  }
}

TEST(Application, ModalDialogsAndBoxesOfferTheCloseBoxAloneAndShowTheirCaptionWhole) {
  const auto closeOnly = [](const QWidget& window) {
    const Qt::WindowFlags flags = window.windowFlags();
    return flags.testFlag(Qt::CustomizeWindowHint) && flags.testFlag(Qt::WindowCloseButtonHint) &&
           !flags.testFlag(Qt::WindowMinimizeButtonHint) && !flags.testFlag(Qt::WindowMaximizeButtonHint);
  };
  // In the program's 8-point form font, which the window manager's title font outgrows.
  const QFont appFont = QApplication::font();
  QApplication::setFont(QFont("Liberation Sans", 8));
  std::vector<std::string> faults;
  int closingOnly = 0;
  ScopedModalRunner runner([&](QDialog& dialog) {
    dialog.show();
    QApplication::processEvents();
    for (const std::string& fault : LayoutFaults(dialog)) faults.push_back(fault);
    closingOnly += closeOnly(dialog);
    dialog.hide();
    return 0;
  });
  QtMessageSink sink;
  for (const char* caption : {"You have unsaved changes", "A Single Part containing music is selected"}) {
    sink.ShowMessage("Do you want to delete a part of music?", caption, kMbOkCancel | kMbIconQuestion);
  }
  QDialog dialog;
  dialog.setWindowTitle("Dialog");
  dialog.resize(300, 200);
  ExecModal(dialog);
  QApplication::setFont(appFont);
  EXPECT_EQ(faults, std::vector<std::string>{});
  EXPECT_EQ(closingOnly, 3);
}

TEST(Application, ABoxShowsAboveADialogThatStaysOnTop) {
  QWidget main;
  main.show();
  QDialog onTop(&main);
  onTop.setWindowFlag(Qt::WindowStaysOnTopHint);
  QtMessageSink sink(&main);
  std::vector<std::pair<QWidget*, bool>> owners;  // the box's owner, and whether it stays on top
  ScopedModalRunner runner([&](QDialog& box) {
    owners.emplace_back(box.parentWidget(), box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    return int{QMessageBox::Ok};
  });
  QApplication::setActiveWindow(&main);
  sink.ShowMessage("Main", "Error", kMbOk);
  onTop.show();
  QApplication::setActiveWindow(&onTop);
  sink.ShowMessage("In Room Up: Value is too low.", "Input Error", kMbOk);
  QApplication::setActiveWindow(&main);  // the dialog stays shown over the main window
  sink.ShowMessage("Main", "Error", kMbOk);
  EXPECT_EQ(owners, (std::vector<std::pair<QWidget*, bool>>{
                        {&main, false}, {&onTop, true}, {&main, true}}));
}

TEST(Application, WithoutAHelpFileHelpSaysSoAndNamesTheTopic) {
  SetHelpFile("/usr/share/korvalen/KORVALHE.HLP");
  RecordingSink sink;
  EXPECT_FALSE(HelpContext(51) || HelpCommand(kHelpContents, 1));
  ASSERT_EQ(sink.messages.size(), 2u);
  const std::string& topic = sink.messages[0].text;
  EXPECT_TRUE(topic.find("help context 51") != topic.npos &&
              topic.find("KORVALHE.HLP") != topic.npos)
      << topic;
  EXPECT_TRUE(sink.messages[1].text.find("contents") != std::string::npos &&
              sink.messages[1].flags == (kMbOk | kMbIconInformation));
}

TEST(Application, ClassicFontNamesResolveToTheInstalledFreeFonts) {
  InstallFontSubstitutes();
  const std::pair<const char*, const char*> fonts[] = {
      {"MS Sans Serif", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
      {"Terminal", "DejaVu Sans Mono"},
  };
  for (const auto& [classic, free] : fonts) {
    SCOPED_TRACE(classic);
    EXPECT_EQ(QFontInfo(QFont(classic)).family().toStdString(), free);
  }
}
