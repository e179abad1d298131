// Re-placing a symbol in a list whose order rests have bent: a rest is equal to every note of its
// place, so notes can stand against their pitch order once the rests between them are gone.
#include <gtest/gtest.h>

#include <random>
#include <tuple>
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

// The reader places symbols searching from a symbol near their place; wherever the search starts,
// each must land where a search from the head puts it, ties of rests and notes, equal pitches,
// tuplet places and keys of the same place included.
TEST(PartMuzOrder, InsertingFromAnySymbolOfTheListPlacesAsFromTheHead) {
  TUnitMuz unit{"order.kvm"};
  unit.AddDefaultStave(nullptr);
  TNoteStave* stave = unit.GetStartStave();
  auto* fromHead = new TSinglePartMuz(&unit);
  auto* fromAny = new TSinglePartMuz(&unit);
  unit.GetStartPartMuz()->SetPartMuz(new TConcatPartMuz(fromHead, fromAny, &unit));
  std::mt19937 random(51);
  std::vector<TStaveSymbol*> anyList;
  for (int round = 0; round < 400; ++round) {
    const double position = 0.25 * static_cast<double>(random() % 3);
    const uint32_t kind = random() % 5;
    const int32_t pitch = static_cast<int32_t>(random() % 4);
    const bool tuplet = random() % 2 == 0;
    const int32_t posInOol = tuplet ? static_cast<int32_t>(random() % triool) : 0;
    const int8_t multiOol = tuplet ? triool : sool;
    const int32_t keyOrder = 1 + static_cast<int32_t>(random() % 3);
    const auto make = [&](TSinglePartMuz* single) -> TStaveSymbol* {
      if (kind == 0) return new TKey(&unit, TKey::keyKindG, 0, position, stave, keyOrder, single);
      if (kind == 1) return new TSilence(4, 0, position, stave, multiOol, posInOol, single);
      return new TMuzNote(&unit, stave->GetStartNoteGroup(), 4, 0, position, pitch, stave, noteShiftNormal, multiOol,
                          posInOol, noteArtNormal, single, drawStickAuto);
    };
    fromHead->InsertOwnSymbol(make(fromHead));
    TStaveSymbol* from = fromAny->GetStartStaveSymbol();
    for (uint32_t skip = random() % (round + 1); from != nullptr && from->GetNext() != nullptr && skip > 0; --skip)
      from = from->GetNext();
    fromAny->InsertOwnSymbolFrom(make(fromAny), from);
  }
  std::vector<std::tuple<uint8_t, double, int32_t, int32_t, int32_t>> expected, placed;
  const auto describe = [](TSinglePartMuz* single, auto& out) {
    for (TStaveSymbol* s = single->GetStartStaveSymbol(); s; s = s->GetNext()) {
      if (s->GetNext()) {
        EXPECT_EQ(s->GetNext()->GetPrev(), s);
      }
      TKey* key = s->AsKey();
      TMuzNote* note = s->AsNote();
      out.emplace_back(s->GetStaveSymbolKind(), s->GetSymbolPosition(), key ? key->GetKeyOrder() : 0,
                       key ? 0 : s->AsTimeSymbol()->GetPosInOol(), note ? note->GetPitch() : -1);
    }
  };
  describe(fromHead, expected);
  describe(fromAny, placed);
  EXPECT_EQ(placed.size(), 400u);
  EXPECT_EQ(placed, expected);
}
