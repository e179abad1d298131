// Pixel drawing on a window's picture in the program's colour values (0x00BBGGRR): rectangles,
// the one-pixel horizontal and vertical lines the views draw, and single pixels that may be read
// back. Lines leave out their end point, as the platform's lines do. Everything is clipped to a
// rectangle inside the picture, so callers may hand out any coordinates.
// The score draws on the same canvas through the music engine's interface: a pen of width 1 to 3,
// a solid, clear or hatched brush, polygons, ellipses and text, all without antialiasing so that
// every pixel is exact. Its rectangles and ellipse boxes are half-open like the fills above.
#pragma once

#include <QImage>
#include <cstdint>

#include "music/muzcanvas.h"

class PixelCanvas : public MuzCanvas {
 public:
  // Draws into `image` (32 bits per pixel), clipped to [left, right) x [top, bottom) within it.
  PixelCanvas(QImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom);
  explicit PixelCanvas(QImage& image);

  bool IsEmpty() const { return clipLeft_ >= clipRight_ || clipTop_ >= clipBottom_; }
  int32_t ClipLeft() const { return clipLeft_; }
  int32_t ClipRight() const { return clipRight_; }

  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
  // Lines run down or right from their first point; the end pixel is left out.
  void VLine(int32_t x, int32_t y1, int32_t y2, uint32_t colour);
  void HLine(int32_t x1, int32_t x2, int32_t y, uint32_t colour);
  void SetPixel(int32_t x, int32_t y, uint32_t colour) {
    if (Inside(x, y)) Row(y)[x] = ToRgb(colour);
  }
  // The colour at (x, y); black outside the clip.
  uint32_t GetPixel(int32_t x, int32_t y) const { return Inside(x, y) ? FromRgb(Row(y)[x]) : 0; }

  void SetPen(uint32_t colour, int32_t width) override;
  void SetBrush(uint32_t colour, MuzBrushStyle style) override;
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  // A wide pen stamps a width-by-width square at each pixel of the one-pixel line, starting
  // (width - 1) / 2 pixels left of and above it.
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void Polygon(const std::vector<MuzPoint>& points) override;
  void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void Text(int32_t x, int32_t y, const std::string& text, const MuzFont& font, bool opaque) override;

  static QRgb ToRgb(uint32_t colour) {
    return 0xFF000000u | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
  }
  static uint32_t FromRgb(QRgb rgb) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  }

 private:
  bool Inside(int32_t x, int32_t y) const {
    return x >= clipLeft_ && x < clipRight_ && y >= clipTop_ && y < clipBottom_;
  }
  QRgb* Row(int32_t y) const {
    return reinterpret_cast<QRgb*>(bits_ + static_cast<ptrdiff_t>(y) * stride_);
  }

  template <typename Paint>
  void WithPainter(Paint paint);

  QImage* image_ = nullptr;
  uint32_t penColour_ = 0;
  int32_t penWidth_ = 1;
  uint32_t brushColour_ = 0xFFFFFF;
  MuzBrushStyle brushStyle_ = MuzBrushStyle::Solid;
  uchar* bits_ = nullptr;
  qsizetype stride_ = 0;
  int32_t clipLeft_ = 0;
  int32_t clipTop_ = 0;
  int32_t clipRight_ = 0;
  int32_t clipBottom_ = 0;
};
