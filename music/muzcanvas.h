// The drawing surface the score is painted on. The engine draws through this interface only, so it
// stays free of any window toolkit; the desktop implements it on a picture and the tests record it.
// Colours are 0x00BBGGRR. Rectangles and ellipse boxes are half-open: right and bottom are left
// out. A line leaves out its end pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class MuzBrushStyle : uint8_t {
  Solid,
  Clear,  // outlines only: fills leave the surface as it is
  Horizontal,
  Vertical,
  FDiagonal,
  BDiagonal,
  Cross,
  DiagCross,
};

struct MuzPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const MuzPoint&) const = default;
};

struct MuzFont {
  std::string name;
  int32_t size = 10;  // points
  bool bold = false;
  uint32_t colour = 0;
};

class MuzCanvas {
 public:
  virtual ~MuzCanvas() = default;
  // Widths 1 to 3 are what the score uses.
  virtual void SetPen(uint32_t colour, int32_t width) = 0;
  virtual void SetBrush(uint32_t colour, MuzBrushStyle style) = 0;
  // Fills with the brush; no outline.
  virtual void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
  virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  // Filled with the brush and outlined with the pen.
  virtual void Polygon(const std::vector<MuzPoint>& points) = 0;
  virtual void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
  // Text with its top-left at (x, y); opaque text fills its box with the brush colour first.
  virtual void Text(int32_t x, int32_t y, const std::string& text, const MuzFont& font, bool opaque) = 0;
};
