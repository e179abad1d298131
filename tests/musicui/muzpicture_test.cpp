#include <gtest/gtest.h>

#include <set>

#include "music/PartMuz.h"
#include "music/muznote.h"
#include "muzwindow_fixture.h"

namespace {

constexpr uint32_t kHatch = 0x404040;

// The colours of a strip of rows, and whether each column keeps one colour down the strip.
struct Strip {
  std::set<uint32_t> colours;
  bool columnsUniform = true;
  bool rowsUniform = true;
};
Strip Look(const TMDIChildMuz& window, int top, int bottom) {
  Strip strip;
  const int width = window.Canvas().width();
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t colour = PixelCanvas::FromRgb(window.Canvas().pixel(x, y));
      strip.colours.insert(colour);
      if (y > top && colour != PixelCanvas::FromRgb(window.Canvas().pixel(x, y - 1))) strip.columnsUniform = false;
      if (x > 0 && colour != PixelCanvas::FromRgb(window.Canvas().pixel(x - 1, y))) strip.rowsUniform = false;
    }
  return strip;
}

TEST_F(MuzWindowTest, TwoStaveScoreWithASelectionBetweenHatchedBorders) {
  TMDIChildMuz* window = Open(NewScore(2), {600, 480});
  ASSERT_NE(window, nullptr);
  TUnitMuz* unit = window->GetUnitMuz();
  unit->SetUnitMuzMode(unitMuzAdd);
  unit->SetInsertModeKind(1);
  for (TNoteStave* stave = unit->GetStartStave(); stave; stave = stave->GetNext())
    for (int i = 0; i < 4; ++i) {
      window->EvFormMouseDown(120 + 70 * i, stave->GetCentreY() - 5 * i);
      window->EvFormPaint();
    }
  TMuzNote* selected = nullptr;
  for (TStaveSymbol* s = unit->GetStartPartMuz()->GetFirstSinglePart()->GetStartStaveSymbol(); s; s = s->GetNext())
    if (s->AsNote() && s->GetNoteStave() == unit->GetStartStave()->GetNext()) selected = s->AsNote();
  ASSERT_NE(selected, nullptr);
  unit->SetSelectedSymbol(selected);
  window->EvFormPaint();

  TNoteStave* last = unit->GetStartStave()->GetNext();
  const int32_t bandTop = unit->GetStartStave()->GetCentreY() - unit->GetStartStave()->GetRoomUp().GetValue();
  const int32_t bandBottom = last->GetCentreY() + last->GetRoomDown().GetValue();
  ASSERT_EQ(bandTop, 40);
  ASSERT_LT(bandBottom, 470);
  for (auto [top, bottom] : {std::pair{0, bandTop}, std::pair{bandBottom + 1, 480}}) {
    SCOPED_TRACE(top);
    const Strip strip = Look(*window, top, bottom);
    // Hatch lines and the space between, diagonal: neither rows nor columns of one colour.
    EXPECT_TRUE(strip.colours.contains(kHatch) && strip.colours.size() == 2u);
    EXPECT_FALSE(strip.columnsUniform || strip.rowsUniform);
  }
  // The two diagonals lean opposite ways: above, a line pixel's lower-left neighbour is one too.
  const auto leans = [&](int y) {
    for (int x = 10; x < 590; ++x)
      if (PixelCanvas::FromRgb(window->Canvas().pixel(x, y)) == kHatch)
        return PixelCanvas::FromRgb(window->Canvas().pixel(x - 1, y + 1)) == kHatch;
    return false;
  };
  EXPECT_NE(leans(10), leans(bandBottom + 10));
  const Strip inside = Look(*window, bandTop, bandBottom);
  EXPECT_FALSE(inside.colours.contains(kHatch));
  EXPECT_TRUE(inside.colours.contains(0x000000));  // lines and notes
}

TEST_F(MuzWindowTest, AScoreWithoutStavesIsHatchedVertically) {
  TMDIChildMuz* window = Open(std::make_unique<TUnitMuz>("empty.kvm"), {300, 200});
  ASSERT_NE(window, nullptr);
  const Strip strip = Look(*window, 0, 200);
  EXPECT_TRUE(strip.colours.contains(kHatch) && strip.colours.size() == 2u);
  EXPECT_TRUE(strip.columnsUniform && !strip.rowsUniform);
}

}  // namespace
