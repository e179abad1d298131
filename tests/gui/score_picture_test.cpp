// A small generated score drawn through the real canvas: two staves, a single part, a loop and a
// select part, left as a picture in build/score-layout.png.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <set>

#include "gui/canvas.h"
#include "music/PartMuz.h"
#include "music/muzwindow.h"
#include "music/stave.h"
#include "music/stavedraw.h"
#include "music/unitmuz.h"
#include "tests/music/generated_score.h"

TEST(ScoreLayoutPicture, TwoStavesWithALoopAndASelectPartDrawTheirNotesInsideTheirBands) {
  TUnitMuz unit{"picture.kvm"};
  unit.AddDefaultStave(unit.AddDefaultStave(nullptr));
  auto* loop = new TLoopPartMuz(unitIntegerPosMore(2, 0), GeneratedSingle(unit, 2), &unit);
  auto* select = new TSelectPartMuz(GeneratedSingle(unit, 1), &unit);
  select->AddTurnItem(unitIntegerPosMore(1, 0), unitInteger(0, 0));
  select->AddTurnItem(unitIntegerPosMore(2, 0), unitInteger(0, 0));
  auto* tail = new TConcatPartMuz(loop, select, &unit);
  unit.GetStartPartMuz()->SetPartMuz(new TConcatPartMuz(GeneratedSingle(unit, 1), tail, &unit));

  constexpr uint32_t kOutside = 0x00404040;
  QImage image(1000, 340, QImage::Format_RGB32);
  image.fill(PixelCanvas::ToRgb(kOutside));
  PixelCanvas canvas(image);
  MuzStaveWindow window(unit, 10);
  const int32_t bottom = window.StartLayout(10);
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext())
    DrawStaveBackground(canvas, StaveBandOf(*stave), {0, 10, 1000, bottom});
  window.DrawParts(canvas);
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext())
    DrawStaveLines(canvas, StaveBandOf(*stave), {0, 10, 1000, bottom});
  EXPECT_TRUE(image.save(QString::fromStdString(std::string(KORVALEN_BUILD_DIR) + "/score-layout.png")));

  // Each band ends in its five lines alone; notes, rests and signs fill it
  // up to the select part near the right edge; nothing is drawn below the last band.
  int32_t staves = 0;
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext(), ++staves) {
    SCOPED_TRACE(staves);
    const StaveBand band = StaveBandOf(*stave);
    const int32_t centre = stave->GetCentreY();
    std::set<int32_t> lineRows;
    for (int32_t y = centre - 30; y <= centre + 30; ++y)
      if (PixelCanvas::FromRgb(image.pixel(995, y)) != band.back) lineRows.insert(y);
    EXPECT_EQ(lineRows, (std::set<int32_t>{centre - 20, centre - 10, centre, centre + 10, centre + 20}));
    int32_t rightmostMark = 0;
    for (int32_t y = centre - 30; y <= centre + 30; ++y)
      for (int32_t x = 0; x < 1000; ++x) {
        const uint32_t colour = PixelCanvas::FromRgb(image.pixel(x, y));
        if (colour != band.back && !lineRows.contains(y)) rightmostMark = std::max(rightmostMark, x);
      }
    EXPECT_TRUE(rightmostMark > 800 && rightmostMark < 995) << rightmostMark;
  }
  EXPECT_EQ(staves, 2);
  ASSERT_LT(bottom, 339);
  for (int32_t x = 0; x < 1000; x += 50) EXPECT_EQ(PixelCanvas::FromRgb(image.pixel(x, 339)), kOutside);
}
