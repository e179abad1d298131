#include "gui/canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cstdlib>

#include "foundation/assertion.h"

namespace {

constexpr const char* kAssertUnit = "canvas";

Qt::BrushStyle QtBrushStyle(MuzBrushStyle style) {
  switch (style) {
    case MuzBrushStyle::Solid: return Qt::SolidPattern;
    case MuzBrushStyle::Clear: return Qt::NoBrush;
    case MuzBrushStyle::Horizontal: return Qt::HorPattern;
    case MuzBrushStyle::Vertical: return Qt::VerPattern;
    case MuzBrushStyle::FDiagonal: return Qt::FDiagPattern;
    case MuzBrushStyle::BDiagonal: return Qt::BDiagPattern;
    case MuzBrushStyle::Cross: return Qt::CrossPattern;
    case MuzBrushStyle::DiagCross: return Qt::DiagCrossPattern;
  }
  return Qt::SolidPattern;
}

}  // namespace

PixelCanvas::PixelCanvas(QImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (image.isNull()) return;
  // Pixels are written as 32-bit words; a picture of another depth is a programming error.
  KV_ASSERT(image.depth() == 32);
  image_ = &image;
  bits_ = image.bits();
  stride_ = image.bytesPerLine();
  clipLeft_ = std::max(left, 0);
  clipTop_ = std::max(top, 0);
  clipRight_ = std::min(right, image.width());
  clipBottom_ = std::min(bottom, image.height());
}

PixelCanvas::PixelCanvas(QImage& image)
    : PixelCanvas(image, 0, 0, image.isNull() ? 0 : image.width(),
                  image.isNull() ? 0 : image.height()) {}

void PixelCanvas::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                           uint32_t colour) {
  left = std::max(left, clipLeft_);
  right = std::min(right, clipRight_);
  top = std::max(top, clipTop_);
  bottom = std::min(bottom, clipBottom_);
  if (left >= right || top >= bottom) return;
  const QRgb rgb = ToRgb(colour);
  for (int32_t y = top; y < bottom; ++y) std::fill(Row(y) + left, Row(y) + right, rgb);
}

void PixelCanvas::VLine(int32_t x, int32_t y1, int32_t y2, uint32_t colour) {
  if (x < clipLeft_ || x >= clipRight_) return;
  const int32_t top = std::max(y1, clipTop_);
  const int32_t bottom = std::min(y2, clipBottom_);
  const QRgb rgb = ToRgb(colour);
  for (int32_t y = top; y < bottom; ++y) Row(y)[x] = rgb;
}

void PixelCanvas::HLine(int32_t x1, int32_t x2, int32_t y, uint32_t colour) {
  if (y < clipTop_ || y >= clipBottom_) return;
  const int32_t left = std::max(x1, clipLeft_);
  const int32_t right = std::min(x2, clipRight_);
  if (left < right) std::fill(Row(y) + left, Row(y) + right, ToRgb(colour));
}

void PixelCanvas::SetPen(uint32_t colour, int32_t width) {
  penColour_ = colour;
  penWidth_ = std::clamp(width, 1, 3);
}

void PixelCanvas::SetBrush(uint32_t colour, MuzBrushStyle style) {
  brushColour_ = colour;
  brushStyle_ = style;
}

template <typename Paint>
void PixelCanvas::WithPainter(Paint paint) {
  if (IsEmpty()) return;
  QPainter painter(image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setClipRect(clipLeft_, clipTop_, clipRight_ - clipLeft_, clipBottom_ - clipTop_);
  painter.setPen(QPen(QColor::fromRgb(ToRgb(penColour_)), penWidth_ == 1 ? 0 : penWidth_));
  painter.setBrush(QBrush(QColor::fromRgb(ToRgb(brushColour_)), QtBrushStyle(brushStyle_)));
  paint(painter);
}

void PixelCanvas::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (brushStyle_ == MuzBrushStyle::Solid) {
    FillRect(left, top, right, bottom, brushColour_);
  } else if (brushStyle_ != MuzBrushStyle::Clear && left < right && top < bottom) {
    WithPainter([&](QPainter& painter) {
      painter.fillRect(QRect(left, top, right - left, bottom - top), painter.brush());
    });
  }
}

void PixelCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const int32_t lead = (penWidth_ - 1) / 2;
  // A line wholly beside the clip draws nothing; skipping it keeps far-off lines from costing a
  // step per pixel.
  const int64_t w = penWidth_;
  if (std::max(x1, x2) + w < clipLeft_ || std::min(x1, x2) - w >= clipRight_ || std::max(y1, y2) + w < clipTop_ ||
      std::min(y1, y2) - w >= clipBottom_) {
    return;
  }
  // Straight lines, most of the score's, are one rectangle of stamped squares; FillRect clips it.
  if (x1 == x2 || y1 == y2) {
    if (x1 == x2 && y1 == y2) return;
    const int64_t first = x1 == x2 ? (y1 < y2 ? y1 : int64_t{y2} + 1) : (x1 < x2 ? x1 : int64_t{x2} + 1);
    const int64_t last = x1 == x2 ? (y1 < y2 ? int64_t{y2} - 1 : y1) : (x1 < x2 ? int64_t{x2} - 1 : x1);
    const auto at = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -(1 << 30), 1 << 30)); };
    const int64_t across = x1 == x2 ? x1 : y1;
    const int32_t lo = at(first - lead), hi = at(last - lead + penWidth_);
    const int32_t side = at(across - lead), sideEnd = at(across - lead + penWidth_);
    if (x1 == x2) {
      FillRect(side, lo, sideEnd, hi, penColour_);
    } else {
      FillRect(lo, side, hi, sideEnd, penColour_);
    }
    return;
  }
  const int64_t dx = std::abs(static_cast<int64_t>(x2) - x1);
  const int64_t dy = -std::abs(static_cast<int64_t>(y2) - y1);
  const int32_t sx = x1 < x2 ? 1 : -1;
  const int32_t sy = y1 < y2 ? 1 : -1;
  int64_t error = dx + dy;
  int32_t x = x1;
  int32_t y = y1;
  while (x != x2 || y != y2) {
    FillRect(x - lead, y - lead, x - lead + penWidth_, y - lead + penWidth_, penColour_);
    const int64_t twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

void PixelCanvas::Polygon(const std::vector<MuzPoint>& points) {
  if (points.empty()) return;
  QPolygon polygon;
  for (const MuzPoint& p : points) polygon << QPoint(p.x, p.y);
  WithPainter([&](QPainter& painter) { painter.drawPolygon(polygon); });
}

void PixelCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (left >= right || top >= bottom) return;
  // An integer rectangle of width w covers w + 1 pixels with a one-pixel pen, so the box shrinks
  // by one to leave out its right and bottom edges.
  WithPainter([&](QPainter& painter) { painter.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1)); });
}

void PixelCanvas::Text(int32_t x, int32_t y, const std::string& text, const MuzFont& font, bool opaque) {
  WithPainter([&](QPainter& painter) {
    QFont qfont(QString::fromStdString(font.name));
    qfont.setPointSize(std::max(font.size, 1));
    qfont.setBold(font.bold);
    qfont.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(qfont);
    const QString qtext = QString::fromStdString(text);
    const QFontMetrics metrics(qfont, image_);
    const QRect box(x, y, metrics.horizontalAdvance(qtext), metrics.height());
    if (opaque) painter.fillRect(box, QColor::fromRgb(ToRgb(brushColour_)));
    painter.setPen(QColor::fromRgb(ToRgb(font.colour)));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, qtext);
  });
}
