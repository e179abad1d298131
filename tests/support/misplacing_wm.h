// A window manager that puts a window's frame where the window asked for its client area each
// time the window is shown, as some do when a hidden window is shown again: a window that does
// not correct it comes back a title bar lower every time.
#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>

class MisplacingWindowManager : public QObject {
 public:
  explicit MisplacingWindowManager(QWidget& window) : window_(window) { window.installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Show && !event->spontaneous()) {
      QTimer::singleShot(0, this, [this] {
        if (QWindow* handle = window_.windowHandle()) handle->setFramePosition(window_.geometry().topLeft());
      });
    }
    return false;
  }

 private:
  QWidget& window_;
};
