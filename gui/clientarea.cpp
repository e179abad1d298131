#include "gui/clientarea.h"

#include <QKeyEvent>
#include <QPainter>

bool IsNavigationKey(int key) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return true;
    default:
      return false;
  }
}

PictureClient::PictureClient() {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);  // status and cursor follow the mouse without a button down
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool PictureClient::event(QEvent* event) {
  // With Alt held the windows leave these keys alone, so Alt+Home and the like stay commands.
  if (event->type() == QEvent::ShortcutOverride && IsNavigationKey(static_cast<QKeyEvent*>(event)->key()) &&
      !(static_cast<QKeyEvent*>(event)->modifiers() & Qt::AltModifier)) {
    event->accept();
    return true;
  }
  return QWidget::event(event);
}

void PictureClient::paintEvent(QPaintEvent*) {
  PaintPicture();
  QPainter painter(this);
  painter.drawImage(0, 0, Picture());
}

void PictureClient::keyPressEvent(QKeyEvent* event) {
  if (!IsNavigationKey(event->key())) {
    QWidget::keyPressEvent(event);
    return;
  }
  NavigationKey(event->key(), event->modifiers());
}
