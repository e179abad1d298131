#include "gui/cursors.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>
#include <cstring>
#include <map>

namespace {

TCursor screenCursor = crDefault;
std::map<TCursor, QCursor>& Installed() {
  static std::map<TCursor, QCursor> installed;
  return installed;
}

// Cursors hold pixmaps, which must go before the application object does.
void ForgetInstalledCursors() { Installed().clear(); }

constexpr int kCursorSize = 32;

// Draws on a transparent 32 x 32 image with a white outline under black strokes, so the cursor
// shows on dark and light waves alike.
template <typename Draw>
QPixmap CursorImage(Draw draw) {
  QPixmap pixmap(kCursorSize, kCursorSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const std::pair<QColor, double> strokes[] = {{Qt::white, 4.0}, {Qt::black, 2.0}};
  for (const auto& [colour, width] : strokes) {
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    draw(painter);
  }
  return pixmap;
}

QCursor DrawCursor() {  // a pencil whose tip is the hot spot
  return QCursor(CursorImage([](QPainter& p) {
                   QPainterPath pencil;
                   pencil.moveTo(2, 29);
                   pencil.lineTo(5, 21);
                   pencil.lineTo(22, 4);
                   pencil.lineTo(27, 9);
                   pencil.lineTo(10, 26);
                   pencil.closeSubpath();
                   p.drawPath(pencil);
                   p.drawLine(5, 21, 10, 26);
                 }),
                 2, 29);
}

QCursor DeleteCursor() {  // a cross over a short wave
  return QCursor(CursorImage([](QPainter& p) {
                   p.drawLine(4, 4, 16, 16);
                   p.drawLine(16, 4, 4, 16);
                   p.drawLine(10, 24, 14, 20);
                   p.drawLine(14, 20, 18, 28);
                   p.drawLine(18, 28, 22, 24);
                 }),
                 10, 10);
}

QCursor SilCursor() {  // a flat line between two bars: silence
  return QCursor(CursorImage([](QPainter& p) {
                   p.drawLine(4, 8, 4, 24);
                   p.drawLine(28, 8, 28, 24);
                   p.drawLine(4, 16, 28, 16);
                 }),
                 16, 16);
}

QCursor RejectCursor() {  // a circle with a bar through it
  return QCursor(CursorImage([](QPainter& p) {
                   p.drawEllipse(QPointF(16, 16), 11, 11);
                   p.drawLine(8, 24, 24, 8);
                 }),
                 16, 16);
}

QCursor NoteCursor() {  // a quarter note whose head is the hot spot
  return QCursor(CursorImage([](QPainter& p) {
                   p.save();
                   p.setBrush(p.pen().color());
                   p.drawEllipse(QPointF(11, 24), 6, 4);
                   p.restore();
                   p.drawLine(17, 24, 17, 3);
                   p.drawLine(17, 3, 24, 10);
                 }),
                 11, 24);
}

}  // namespace

TCursor ScreenCursor() { return screenCursor; }

void SetScreenCursor(TCursor cursor) {
  screenCursor = cursor;
  if (cursor == crDefault) {
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
  } else if (QGuiApplication::overrideCursor()) {
    QGuiApplication::changeOverrideCursor(CursorOf(cursor));
  } else {
    QGuiApplication::setOverrideCursor(CursorOf(cursor));
  }
}

void InstallScreenCursor(TCursor id, const QCursor& cursor) {
  if (Installed().empty()) qAddPostRoutine(ForgetInstalledCursors);
  Installed()[id] = cursor;
}

QCursor CursorOf(TCursor id) {
  switch (id) {
    case crIBeam:
      return QCursor(Qt::IBeamCursor);
    case crHourGlass:
      return QCursor(Qt::WaitCursor);
    case crCross:
      return QCursor(Qt::CrossCursor);
    default:
      break;
  }
  const auto found = Installed().find(id);
  return found != Installed().end() ? found->second : QCursor(Qt::ArrowCursor);
}

void SetWidgetCursor(QWidget& widget, TCursor id) {
  if (id == crDefault) {
    widget.unsetCursor();
  } else {
    widget.setCursor(CursorOf(id));
  }
}

QCursor LoadProgramCursor(const char* name) {
  const std::pair<const char*, QCursor (*)()> cursors[] = {
      {"DRAW", DrawCursor}, {"DELETE", DeleteCursor}, {"SIL", SilCursor},
      {"REJECT", RejectCursor}, {"NOTE", NoteCursor}};
  for (const auto& [cursorName, make] : cursors) {
    if (std::strcmp(cursorName, name) == 0) return make();
  }
  return QCursor(Qt::ArrowCursor);
}
