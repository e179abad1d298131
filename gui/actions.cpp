#include "gui/actions.h"

#include <QAction>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QString>
#include <cstring>

namespace {

constexpr int kImageSize = 24;

void DrawPage(QPainter& p, const QColor& fill) {
  QPainterPath page;
  page.moveTo(5, 2);
  page.lineTo(15, 2);
  page.lineTo(20, 7);
  page.lineTo(20, 22);
  page.lineTo(5, 22);
  page.closeSubpath();
  p.setBrush(fill);
  p.drawPath(page);
  p.drawLine(15, 2, 15, 7);
  p.drawLine(15, 7, 20, 7);
}

void DrawSmallWave(QPainter& p, int top) {
  QPainterPath wave;
  wave.moveTo(7, top);
  wave.cubicTo(9, top - 5, 11, top - 5, 12.5, top);
  wave.cubicTo(14, top + 5, 16, top + 5, 18, top);
  p.setBrush(Qt::NoBrush);
  p.drawPath(wave);
}

void DrawFolder(QPainter& p) {
  p.setBrush(QColor(240, 200, 80));
  QPainterPath folder;
  folder.moveTo(2, 6);
  folder.lineTo(9, 6);
  folder.lineTo(11, 8);
  folder.lineTo(21, 8);
  folder.lineTo(21, 20);
  folder.lineTo(2, 20);
  folder.closeSubpath();
  p.drawPath(folder);
}

void DrawDisk(QPainter& p) {
  p.setBrush(QColor(70, 90, 160));
  p.drawRect(3, 3, 18, 18);
  p.setBrush(Qt::white);
  p.drawRect(7, 3, 10, 7);
  p.drawRect(6, 14, 12, 7);
}

bool DrawPicture(QPainter& p, const char* image) {
  const QColor ink(30, 30, 30);
  const bool music = std::strcmp(image, "openmuz") == 0;
  const bool forget = std::strcmp(image, "delundo") == 0;
  p.setPen(QPen(ink, 1.2));
  if (std::strcmp(image, "new") == 0) {
    DrawPage(p, Qt::white);
    p.setPen(QPen(QColor(0, 110, 0), 1.6));
    DrawSmallWave(p, 15);
  } else if (std::strcmp(image, "newmuz") == 0) {
    DrawPage(p, Qt::white);
    p.setBrush(ink);
    p.drawEllipse(QPointF(10, 17), 2.5, 2);
    p.drawLine(QPointF(12.5, 17), QPointF(12.5, 9));
  } else if (std::strcmp(image, "open") == 0 || std::strcmp(image, "openmuz") == 0) {
    DrawFolder(p);
    if (music) {
      p.setBrush(ink);
      p.drawEllipse(QPointF(10, 16), 2.5, 2);
      p.drawLine(QPointF(12.5, 16), QPointF(12.5, 10));
    }
  } else if (std::strcmp(image, "save") == 0) {
    DrawDisk(p);
  } else if (std::strcmp(image, "saveas") == 0) {
    DrawDisk(p);
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(14, 22, 22, 14);
  } else if (std::strcmp(image, "props") == 0) {
    DrawPage(p, QColor(255, 255, 220));
    for (int y = 9; y <= 18; y += 3) p.drawLine(8, y, 17, y);
  } else if (std::strcmp(image, "dup") == 0) {
    p.setBrush(QColor(230, 230, 230));
    p.drawRect(3, 3, 12, 14);
    p.setBrush(Qt::white);
    p.drawRect(9, 7, 12, 14);
  } else if (std::strcmp(image, "undo") == 0 || std::strcmp(image, "delundo") == 0) {
    p.setPen(QPen(QColor(0, 70, 160), 2.4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath arrow;
    arrow.moveTo(6, 10);
    arrow.cubicTo(10, 4, 20, 6, 19, 15);
    p.drawPath(arrow);
    p.drawLine(6, 10, 6, 4);
    p.drawLine(6, 10, 12, 11);
    if (forget) {
      p.setPen(QPen(QColor(200, 0, 0), 2.2));
      p.drawLine(12, 15, 20, 22);
      p.drawLine(20, 15, 12, 22);
    }
  } else if (std::strcmp(image, "play") == 0) {
    p.setBrush(QColor(0, 150, 0));
    p.drawPolygon(QPolygonF({QPointF(6, 4), QPointF(19, 12), QPointF(6, 20)}));
  } else if (std::strcmp(image, "stop") == 0) {
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(6, 6, 12, 12);
  } else if (std::strcmp(image, "pause") == 0) {
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(6, 5, 4, 14);
    p.drawRect(14, 5, 4, 14);
  } else if (std::strcmp(image, "record") == 0) {
    p.setBrush(QColor(210, 0, 0));
    p.drawEllipse(QPointF(12, 12), 7, 7);
  } else if (std::strcmp(image, "wave") == 0) {
    p.setPen(QPen(QColor(0, 110, 0), 1.8));
    DrawSmallWave(p, 12);
  } else {
    return false;
  }
  return true;
}

QColor GroupColour(int group) {
  static const QColor colours[] = {QColor(60, 110, 170), QColor(170, 80, 40), QColor(40, 130, 90),
                                   QColor(120, 70, 150), QColor(150, 120, 20), QColor(30, 120, 140),
                                   QColor(140, 50, 90), QColor(90, 90, 90)};
  constexpr int count = static_cast<int>(std::size(colours));
  return colours[((group % count) + count) % count];
}

}  // namespace

QIcon ActionImage(const char* image, int group) {
  QPixmap pixmap(kImageSize, kImageSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  if (!DrawPicture(painter, image)) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(GroupColour(group));
    painter.drawRoundedRect(QRectF(1, 1, kImageSize - 2, kImageSize - 2), 4, 4);
    QFont font("Arial");
    const QString letters = QString::fromLatin1(image).left(3);
    font.setPixelSize(letters.size() <= 1 ? 15 : letters.size() == 2 ? 11 : 8);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, kImageSize, kImageSize), Qt::AlignCenter, letters);
  }
  painter.end();
  return QIcon(pixmap);
}

QIcon ApplicationIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(20, 40, 90), 1.5));
  p.setBrush(QColor(60, 110, 200));
  p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
  p.setPen(QPen(QColor(255, 230, 120), 2.2));
  QPainterPath wave;
  wave.moveTo(4, 16);
  for (int i = 0; i < 3; ++i) {
    const double x = 4 + i * 8;
    wave.cubicTo(x + 2, 4, x + 2, 4, x + 4, 16);
    wave.cubicTo(x + 6, 28, x + 6, 28, x + 8, 16);
  }
  p.drawPath(wave);
  p.end();
  return QIcon(pixmap);
}

QAction* MakeAction(QObject* owner, const ActionSpec& spec, int group) {
  auto* action = new QAction(QString::fromLatin1(spec.caption), owner);
  action->setObjectName(QString::fromLatin1(spec.name));
  if (spec.shortcut[0] != '\0') {
    action->setShortcut(
        QKeySequence(QString::fromLatin1(spec.shortcut), QKeySequence::PortableText));
    action->setShortcutContext(Qt::ApplicationShortcut);
  }
  const QString hint = QString::fromLatin1(spec.hint);
  const qsizetype bar = hint.indexOf('|');
  action->setToolTip(bar < 0 ? hint : hint.left(bar));
  action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
  action->setCheckable((spec.flags & (kActionCheckable | kActionChecked)) != 0);
  action->setChecked((spec.flags & kActionChecked) != 0);
  action->setEnabled((spec.flags & kActionEnabled) != 0);
  action->setVisible((spec.flags & kActionHidden) == 0);
  if (spec.image[0] != '\0') action->setIcon(ActionImage(spec.image, group));
  return action;
}
