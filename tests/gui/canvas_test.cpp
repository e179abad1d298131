// The score's primitives on the picture canvas, clipped to a rectangle inside the picture, compared
// with tests/gui/pictures/canvas.png (see tests/support/picture.h for accepting a deliberate change).
// Text goes through the machine's fonts and is left out.
#include "gui/canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "support/picture.h"

TEST(PictureCanvas, LinesBoxesEllipsesAndPolygonsDrawAsTheirReferenceInsideTheClip) {
  constexpr uint32_t kInk = 0x00203040, kRed = 0x000000C0;
  QImage image(160, 120, QImage::Format_RGB32);
  image.fill(PixelCanvas::ToRgb(0x00FFFFFF));
  PixelCanvas canvas(image, 4, 4, 156, 116);
  canvas.FillRect(-10, -10, 200, 3, kRed);  // wholly outside the clip
  canvas.HLine(0, 160, 4, 0x0000A000);
  canvas.VLine(4, 0, 120, 0x0000A000);
  canvas.HLine(20, 10, 6, kRed);  // right of its end: nothing
  canvas.SetPixel(155, 115, kRed);
  canvas.SetPixel(156, 115, kRed);
  const int32_t steps[][2] = {{6, 0}, {6, 6}, {0, 6}, {-6, 6}, {-6, 0}, {-6, -6}, {0, -6}, {6, -7}, {2, 7}, {0, 0}};
  for (int32_t width = 1; width <= 3; ++width) {
    canvas.SetPen(width == 2 ? kRed : kInk, width);
    for (const auto& [dx, dy] : steps) canvas.Line(20 + 25 * width, 20, 20 + 25 * width + dx, 20 + dy);
  }
  canvas.SetPen(kInk, 1);
  canvas.Line(-2000000000, 33, 2000000000, 33);
  canvas.Line(-900000, 35, -800000, 35);
  canvas.Line(150, 10, 170, 30);
  for (int32_t style = 0; style <= static_cast<int32_t>(MuzBrushStyle::DiagCross); ++style) {
    canvas.SetBrush(style % 2 ? kRed : kInk, static_cast<MuzBrushStyle>(style));
    canvas.FillRect(10 + 17 * style, 40, 24 + 17 * style, 52);
    canvas.Ellipse(10 + 17 * style, 58, 10 + 17 * style + 2 + style, 58 + 2 + 2 * style);
  }
  canvas.SetPen(kRed, 2);
  canvas.SetBrush(kInk, MuzBrushStyle::Solid);
  canvas.Polygon({{10, 80}, {40, 80}, {10, 110}});
  canvas.Polygon({{50, 80}, {80, 110}, {65, 95}, {50, 110}});
  canvas.Polygon({{140, 60}, {170, 60}, {140, 75}});  // cut at the clip's right edge
  canvas.SetBrush(kInk, MuzBrushStyle::Clear);
  canvas.SetPen(kInk, 1);
  canvas.Ellipse(90, 80, 130, 130);  // runs out of the clip
  canvas.Ellipse(140, 80, 140, 90);  // empty
  EXPECT_EQ(std::tuple(canvas.GetPixel(155, 115), canvas.GetPixel(156, 115), canvas.GetPixel(3, 3)),
            std::tuple(kRed, 0u, 0u));
  QImage none;
  EXPECT_TRUE(PixelCanvas(none).IsEmpty() && PixelCanvas(image, 50, 0, 40, 10).IsEmpty());
  ExpectPicture(image, std::filesystem::path(__FILE__).parent_path() / "pictures" / "canvas.png");
}
