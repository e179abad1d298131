// Re-placing a symbol in a list whose order rests have bent: a rest is equal to every note of its
// place, so notes can stand against their pitch order once the rests between them are gone.
#include <gtest/gtest.h>

#include <vector>

#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/unitmuz.h"

TEST(PartMuzOrder, ANoteBelongingBeforeItsLeftAndAfterItsRightNeighbourIsPlacedAsAnInsertion) {
  TUnitMuz unit{"order.kvm"};
  unit.AddDefaultStave(nullptr);
  TNoteStave* stave = unit.GetStartStave();
  auto* single = new TSinglePartMuz(&unit);
  unit.GetStartPartMuz()->SetPartMuz(single);
  const auto note = [&](int32_t pitch) {
    auto* n = new TMuzNote(&unit, stave->GetStartNoteGroup(), 4, 0, 0.0, pitch, stave, noteShiftNormal, sool, 0,
                           noteArtNormal, single, drawStickAuto);
    single->InsertSymbol(n);
    return n;
  };
  const auto rest = [&] {
    auto* r = new TSilence(4, 0, 0.0, stave, sool, 0, single);
    single->InsertSymbol(r);
    return r;
  };
  // Inserted so, the list reads 1, rest, 4, rest, 7; without the rests the pitches rise.
  TMuzNote* seven = note(7);
  TSilence* first = rest();
  TMuzNote* four = note(4);
  TSilence* second = rest();
  TMuzNote* one = note(1);
  single->DeleteSymbol(first);
  single->DeleteSymbol(second);
  ASSERT_EQ(single->GetStartStaveSymbol(), one);
  ASSERT_EQ(one->GetNext(), four);
  ASSERT_EQ(four->GetNext(), seven);

  unit.GetStartPartMuz()->MoveSymbol(four);
  std::vector<TStaveSymbol*> order;
  for (TStaveSymbol* s = single->GetStartStaveSymbol(); s; s = s->GetNext()) {
    if (s->GetNext()) {
      EXPECT_EQ(s->GetNext()->GetPrev(), s);
    }
    order.push_back(s);
  }
  EXPECT_EQ(order, (std::vector<TStaveSymbol*>{four, one, seven}));
  EXPECT_EQ(order.front()->GetPrev(), nullptr);
}
