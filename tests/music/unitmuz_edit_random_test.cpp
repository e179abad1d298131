#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/music/fakes/sample_waves.h"
#include "tests/music/score_builder.h"

namespace {

// Time, keys before notes and rests, then the key order or the tuplet place. (The pitch order of
// a chord is left out: a rest of another stave at the same place can split it.)
std::tuple<double, int, int64_t> Place(TStaveSymbol* symbol) {
  if (const TKey* key = symbol->AsKey()) return {symbol->GetSymbolPosition(), 0, key->GetKeyOrder()};
  return {symbol->GetSymbolPosition(), 1, symbol->AsTimeSymbol()->GetPosInOol()};
}

// What the gap fill cannot mend: symbols out of order (on a stave), a key order repeated at one place, a
// place whose members disagree on length or tuplet, a tuplet missing a member or without a note,
// places that overlap, notes of a group outside their stave, a selection outside the score.
testing::AssertionResult Consistent(TUnitMuz& unit, TSinglePartMuz* single) {
  bool selectionFound = unit.GetSelMuzSymbolKind() != muzSymbolStave;
  for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
    if (symbol->GetNext() && symbol->GetNext()->GetSymbolPosition() < symbol->GetSymbolPosition())
      return testing::AssertionFailure() << "out of time order at " << symbol->GetSymbolPosition();
    selectionFound = selectionFound || symbol == unit.GetSelectedSymbol();
  }
  if (!selectionFound) return testing::AssertionFailure() << "selection outside the score";
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext()) {
    if (single->CountStartKeys(stave) < 1) return testing::AssertionFailure() << "no start key";
    double end = 0.0;
    const TKey* previousKey = nullptr;
    for (TStaveSymbol* symbol = single->GetFirstSymbolOnStave(stave); symbol;
         symbol = single->GetNextSymbolOnStave(stave, symbol)) {
      const double position = symbol->GetSymbolPosition();
      TStaveSymbol* next = single->GetNextSymbolOnStave(stave, symbol);
      if (next && Place(next) < Place(symbol))
        return testing::AssertionFailure() << "out of order on the stave at " << position;
      if (const TKey* key = symbol->AsKey()) {
        if (previousKey && previousKey->GetSymbolPosition() == position &&
            previousKey->GetKeyOrder() >= key->GetKeyOrder())
          return testing::AssertionFailure() << "key order repeated at " << position;
        previousKey = key;
        continue;
      }
      TStaveTimeSymbol* time = symbol->AsTimeSymbol();
      const TMuzNote* note = time->AsNote();
      if (!TStaveTimeSymbol::IsValidTime(time->GetNoteLengthKind(), time->GetPoints(), time->GetMultiOol(),
                                         time->GetPosInOol()) ||
          (note && !stave->HasNoteGroup(note->GetNoteGroup())))
        return testing::AssertionFailure() << "invalid symbol at " << position;
      if (time != time->GetFirstAtPosition()) continue;
      if (position < end - 1e-9) return testing::AssertionFailure() << "overlap at " << position;
      end = position + time->GetLength();
      std::vector<int> places(static_cast<size_t>(time->GetMultiOol()), 0);
      bool hasNote = false;
      for (TStaveTimeSymbol* member = time; member; member = member->GetNextAtPosition()) {
        if (member->GetNoteLengthKind() != time->GetNoteLengthKind() || member->GetPoints() != time->GetPoints() ||
            member->GetMultiOol() != time->GetMultiOol())
          return testing::AssertionFailure() << "place disagrees at " << position;
        ++places[static_cast<size_t>(member->GetPosInOol())];
        hasNote = hasNote || member->AsNote();
      }
      for (int count : places)
        if (count == 0 || (time->GetMultiOol() != sool && !hasNote))
          return testing::AssertionFailure() << "broken tuplet at " << position;
    }
  }
  return testing::AssertionSuccess();
}

// The score as the file keeps it, keys counted through. Notes of a chord are taken in pitch order: a rest of another
// stave at the same place leaves their order in the list to the order of insertion.
std::string Canonical(TUnitMuz& unit) {
  TSinglePartMuz* single = unit.GetStartPartMuz()->GetFirstSinglePart();
  const TMuzBar* bar = single->GetMuzBar();
  std::string text = std::to_string(bar->GetCount()) + "/" + std::to_string(bar->GetBarLength()) + "+" +
                     std::to_string(bar->GetCountFirstBar());
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext()) {
    std::vector<std::pair<std::tuple<double, int, int64_t>, std::vector<int32_t>>> symbols;
    int64_t keyRank = 0;  // the reader numbers the keys of a stave through, not per place
    for (TStaveSymbol* symbol = single->GetFirstSymbolOnStave(stave); symbol;
         symbol = single->GetNextSymbolOnStave(stave, symbol)) {
      const TStaveTimeSymbol* time = symbol->AsTimeSymbol();
      const TMuzNote* note = symbol->AsNote();
      auto place = Place(symbol);
      if (!time) std::get<2>(place) = ++keyRank;
      symbols.push_back({place, time ? std::vector<int32_t>{time->GetNoteLengthKind(), time->GetPoints(),
                                                                    time->GetMultiOol()}
                                             : std::vector<int32_t>{symbol->AsKey()->GetKeyKind()}});
      if (note)
        symbols.back().second.insert(symbols.back().second.end(),
                                     {note->GetPitch(), note->GetNoteArtKind(), note->GetNoteShift()});
    }
    std::sort(symbols.begin(), symbols.end());
    text += " |" + testing::PrintToString(symbols);
  }
  return text;
}

struct RandomEditor {
  ScoreBuilder score;
  SampleWaves waves;
  TNoteStave* lower = score.unit.AddDefaultStave(score.stave);
  TSinglePartMuz* single = score.Single({{0.0, 4}, {0.25, 8}, {0.375, 8}, {0.5, 2}});
  std::mt19937 random;

  explicit RandomEditor(uint32_t seed) : random(seed) {
    waves.Add("sample", Marked(50));
    score.Root(single);
    for (int i = 0; i < 3; ++i) single->GetMuzBar()->StepFirstBarForward();  // an upbeat the meter must keep valid
  }
  int32_t Pick(int32_t count) { return static_cast<int32_t>(random() % static_cast<uint32_t>(count)); }
  int32_t Kind() { return 1 << Pick(7); }
  std::vector<TStaveSymbol*> Symbols(const TNoteStave* stave) {
    std::vector<TStaveSymbol*> symbols;
    for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext())
      if (stave == nullptr || symbol->GetNoteStave() == stave) symbols.push_back(symbol);
    return symbols;
  }
  // A press as the window makes it: after a whole place, with what lies under the pointer.
  void Press() {
    TNoteStave* stave = Pick(2) ? score.stave : lower;
    const std::vector<TStaveSymbol*> symbols = Symbols(stave);
    TStaveSymbol* first = symbols[static_cast<size_t>(Pick(static_cast<int32_t>(symbols.size())))];
    if (TStaveTimeSymbol* time = first->AsTimeSymbol()) first = time->GetLastAtPosition();
    TStaveSymbol* hit = Pick(3) == 0 ? first : nullptr;
    TMuzNote* note = hit ? hit->AsNote() : nullptr;
    auto* rest = hit && hit->GetStaveSymbolKind() == staveSymbolSilence ? static_cast<TSilence*>(hit) : nullptr;
    score.unit.AddSymbol(stave, note, rest, first, single->GetNextSymbolOnStave(stave, first), Pick(100) - 50);
  }
  // Edit mode dots a sixty-fourth up to 3 times, which the file reader refuses: kept out here.
  bool CanAddPointTheReaderTakes() {
    const TStaveSymbol* selected = score.unit.IsModeEdit() && score.unit.GetSelMuzSymbolKind() == muzSymbolStave
                                       ? static_cast<TStaveSymbol*>(score.unit.GetSelectedSymbol()) : nullptr;
    TStaveTimeSymbol* time = selected ? const_cast<TStaveSymbol*>(selected)->AsTimeSymbol() : nullptr;
    return score.unit.CanAddPoint() && (!time || time->GetPoints() < MaxPointsForLength(time->GetNoteLengthKind()));
  }
  void Step() {
    TUnitMuz& unit = score.unit;
    const std::vector<TStaveSymbol*> all = Symbols(nullptr);
    TStaveSymbol* any = all[static_cast<size_t>(Pick(static_cast<int32_t>(all.size())))];
    const int32_t kind = Kind();
    TXTouchMuzSymbol* bar = single->GetMuzBar();
    const int32_t n = Pick(5) + 1;
    switch (Pick(12)) {
      case 0:
        return n < 3 ? unit.SetModeAdd() : n < 5 ? unit.SetModeEdit() : unit.SetModeDelete();
      case 1:
        return unit.SetSelectedSymbol(n == 1 ? nullptr : n == 2 ? bar : any);
      case 2:
      case 3:
        if (unit.IsModeAdd() && all.size() < 80) Press();
        return;
      case 4:
        if (unit.IsModeDelete()) return unit.DeleteSymbol(any);
        if (unit.CanDeleteSelected()) unit.DeleteSelected();
        return;
      case 5:
        if (unit.CanSetNoteLength(kind)) unit.SetNoteLength(kind);
        return;
      case 6:
        if (unit.CanSetSilenceLength(kind)) unit.SetSilenceLength(kind);
        return;
      case 7:
        if (n < 3 && CanAddPointTheReaderTakes()) unit.AddPoint();
        if (n >= 3 && unit.CanDeletePoint()) unit.DeletePoint();
        return;
      case 8:
        if (unit.CanSetTuplet(n)) unit.SetTuplet(n);
        return;
      case 9:
        return n == 1 ? unit.KeyL() : n == 2 ? unit.KeyShiftL() : n == 3 ? unit.KeyAltN() : unit.KeyAltS();
      case 10:
        if (n == 5) return Pick(2) ? unit.KeyAltL() : unit.KeyShiftAltL();
        if (unit.CanSetArticulation()) unit.SetArticulation(static_cast<uint8_t>(n - 1));
        return;
      default:
        unit.SetInsertModeKind(n < 3 ? insertModeNote : n < 5 ? insertModeSilence : insertModeKey);
    }
  }
};

TEST(UnitMuzEditRandom, ThousandsOfCommandsKeepTheScoreWholeAndSavable) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    RandomEditor editor(seed);
    for (int step = 1; step <= 1500; ++step) {
      editor.Step();
      ASSERT_TRUE(Consistent(editor.score.unit, editor.single)) << "after step " << step;
      if (step % 100 != 0) continue;
      TUnitMuz copy("copy.kvm");
      std::string error;
      ASSERT_TRUE(copy.Duplicate(editor.score.unit, error)) << error << " after step " << step;
      ASSERT_EQ(Canonical(copy), Canonical(editor.score.unit)) << "after step " << step;
    }
  }
}

}  // namespace
