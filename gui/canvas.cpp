#include "gui/canvas.h"

#include <algorithm>

#include "foundation/assertion.h"

namespace {

constexpr const char* kAssertUnit = "canvas";

}  // namespace

PixelCanvas::PixelCanvas(QImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (image.isNull()) return;
  // Pixels are written as 32-bit words; a picture of another depth is a programming error.
  KV_ASSERT(image.depth() == 32);
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
