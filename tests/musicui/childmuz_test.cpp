#include <gtest/gtest.h>

#include <QMdiArea>
#include <QScrollBar>

#include "muzwindow_fixture.h"

namespace {

// The staves lie under each other from 40 below the top, the extent 40 below the last band.
TEST_F(MuzWindowTest, LayoutStacksTheStaveBands) {
  struct Case {
    std::vector<std::pair<int32_t, int32_t>> rooms;
    std::vector<int32_t> centres;
    int32_t bottom;
  };
  const Case cases[] = {
      {{{30, 30}, {50, 20}}, {70, 150}, 210},
      {{}, {}, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bottom);
    auto unit = std::make_unique<TUnitMuz>("score.kvm");
    // A document that was never filled has no staves.
    if (!c.rooms.empty()) unit->InitNew();
    for (size_t more = 1; more < c.rooms.size(); ++more) unit->AddDefaultStave(unit->GetStartStave());
    size_t index = 0;
    for (TNoteStave* stave = unit->GetStartStave(); stave; stave = stave->GetNext(), ++index) {
      stave->GetRoomUp().SetValue(c.rooms[index].first);
      stave->GetRoomDown().SetValue(c.rooms[index].second);
    }
    TMDIChildMuz* window = Open(std::move(unit));
    ASSERT_NE(window, nullptr);
    std::vector<int32_t> centres;
    for (TNoteStave* stave = window->GetUnitMuz()->GetStartStave(); stave; stave = stave->GetNext())
      centres.push_back(stave->GetCentreY());
    EXPECT_EQ(centres, c.centres);
    EXPECT_EQ(window->GetBottomExtent(), c.bottom);
    window->close();
  }
}

}  // namespace
