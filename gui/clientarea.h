// The client area of a document window: shows the window's off-screen picture and keeps the
// navigation keys (arrows, Home, End, PageUp, PageDown) without Alt from every command's shortcut,
// handing them to the window instead. The windows add their own mouse handling.
#pragma once

#include <QImage>
#include <QWidget>

class QKeyEvent;

bool IsNavigationKey(int key);

class PictureClient : public QWidget {
 public:
  PictureClient();

 protected:
  // Brings the picture up to date before it is shown.
  virtual void PaintPicture() = 0;
  virtual const QImage& Picture() const = 0;
  virtual void NavigationKey(int key, Qt::KeyboardModifiers modifiers) = 0;

  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent*) override;
  void keyPressEvent(QKeyEvent* event) override;
};
