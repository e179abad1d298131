// Real message boxes, each answered with Return as a user would, under a window manager that
// activates each box as it opens and, once it closes, the window it belongs to, which the program
// hears of only later. What the boxes said is kept in order.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <string>
#include <vector>

#include "foundation/messages.h"
#include "gui/application.h"

class BoxesAnsweredWithReturn {
 public:
  explicit BoxesAnsweredWithReturn(QWidget* owner)
      : screen_(owner), previous_(SetMessageSink(&screen_)), runner_([this](QDialog& box) {
          box.show();
          box.activateWindow();
          EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &box; }, 10000));
          if (const auto* shown = qobject_cast<const QMessageBox*>(&box)) {
            texts.push_back(shown->text().toStdString());
          }
          QTest::keyClick(&box, Qt::Key_Return);
          if (box.parentWidget() != nullptr) box.parentWidget()->activateWindow();
          return box.result();
        }) {}
  ~BoxesAnsweredWithReturn() { SetMessageSink(previous_); }
  BoxesAnsweredWithReturn(const BoxesAnsweredWithReturn&) = delete;
  BoxesAnsweredWithReturn& operator=(const BoxesAnsweredWithReturn&) = delete;

  std::vector<std::string> texts;

 private:
  QtMessageSink screen_;
  MessageSink* previous_;
  ScopedModalRunner runner_;
};
