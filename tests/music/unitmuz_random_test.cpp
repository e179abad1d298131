#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/score_builder.h"

namespace {

// Random scores of two parts on two staves with keys, chords and rests, edited by random commands
// of every kind, each called only while its test holds (as the windows do). After every command
// the lists stay in order, the keys of one place stay numbered 1, 2, ... and chords hold each
// pitch once; the sanitizer builds also see every pointer the commands follow.
struct RandomScore : ScoreBuilder {
  std::mt19937 rng;
  RecordingMuzView view;
  TNoteStave* lower = unit.AddDefaultStave(stave);
  TSinglePartMuz* singles[2] = {Fill(), Fill()};

  explicit RandomScore(uint32_t seed) : rng(seed) {
    Root(Concat(singles[0], singles[1]));
    unit.SetChildMuz(&view);
  }
  int32_t Below(int32_t n) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(n)); }
  // Per stave and quarter: keys numbered on from the start key, then a rest or a chord.
  TSinglePartMuz* Fill() {
    TSinglePartMuz* single = Single();
    for (TNoteStave* on : {stave, lower})
      for (int32_t slot = 0; slot < 6; ++slot) {
        for (int32_t order = 1; order <= Below(3) - (slot == 0 ? 0 : 1); ++order)
          single->InsertSymbol(new TKey(&unit, TKey::keyKindC, 0, 0.25 * slot, on, order + (slot == 0), single));
        const int32_t shape = Below(4);  // a rest, or a chord of one to three notes
        if (shape == 3) single->InsertSymbol(new TSilence(4, 0, 0.25 * slot, on, sool, 0, single));
        for (int32_t n = shape % 3, pitch = Below(70) - 35; shape < 3 && n >= 0; --n, pitch += 2)
          single->InsertSymbol(new TMuzNote(&unit, on->GetStartNoteGroup(), 4, 0, 0.25 * slot, pitch, on,
                                            noteShiftNormal, sool, 0, noteArtNormal, single, drawStickAuto));
      }
    return single;
  }
  std::vector<TStaveSymbol*> Symbols() const {
    std::vector<TStaveSymbol*> all;
    for (TSinglePartMuz* single : singles)
      for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext())
        all.push_back(symbol);
    return all;
  }
  // Positions order each whole list, the finer order the symbols of one stave.
  void CheckScore() const {
    std::map<std::tuple<TSinglePartMuz*, TNoteStave*, double>, int32_t> keysAt;
    std::set<std::pair<const TStaveTimeSymbol*, int32_t>> chordPitches;
    for (TStaveSymbol* symbol : Symbols()) {
      TStaveSymbol* next = symbol->GetSinglePartMuz()->GetNextSymbolOnStave(symbol->GetNoteStave(), symbol);
      ASSERT_TRUE(next == nullptr || !TStaveSymbol::IsPrevOf(next, symbol));
      ASSERT_TRUE(!symbol->GetNext() || symbol->GetSymbolPosition() <= symbol->GetNext()->GetSymbolPosition());
      const auto place = std::tuple(symbol->GetSinglePartMuz(), symbol->GetNoteStave(), symbol->GetSymbolPosition());
      const TKey* key = symbol->AsKey();
      ASSERT_TRUE(key == nullptr || key->GetKeyOrder() == ++keysAt[place]);
      TMuzNote* note = symbol->AsNote();
      ASSERT_TRUE(note == nullptr || chordPitches.insert({note->GetFirstOfChord(), note->GetPitch()}).second);
    }
  }
};

using Test = bool (TUnitMuz::*)() const;
using Command = void (TUnitMuz::*)();
// The commands without arguments, each with its test (none: always called).
const std::pair<Test, Command> kPlainCommands[] = {
    {&TUnitMuz::CanSelectPrev, &TUnitMuz::SelectPrev},
    {&TUnitMuz::CanSelectNext, &TUnitMuz::SelectNext},
    {&TUnitMuz::CanSelectUp, &TUnitMuz::SelectUp},
    {&TUnitMuz::CanSelectDown, &TUnitMuz::SelectDown},
    {nullptr, &TUnitMuz::SelectFirstInStave},
    {nullptr, &TUnitMuz::SelectLastInStave},
    {&TUnitMuz::CanSelectPrevStave, &TUnitMuz::SelectPrevStave},
    {&TUnitMuz::CanSelectNextStave, &TUnitMuz::SelectNextStave},
    {&TUnitMuz::CanSelectFirstStave, &TUnitMuz::SelectFirstStave},
    {&TUnitMuz::CanSelectLastStave, &TUnitMuz::SelectLastStave},
    {&TUnitMuz::CanMovePrev, &TUnitMuz::MovePrev},
    {&TUnitMuz::CanMoveNext, &TUnitMuz::MoveNext},
    {&TUnitMuz::CanMoveUp, &TUnitMuz::MoveUp},
    {&TUnitMuz::CanMoveDown, &TUnitMuz::MoveDown},
    {&TUnitMuz::CanMoveOctUp, &TUnitMuz::MoveOctUp},
    {&TUnitMuz::CanMoveOctDown, &TUnitMuz::MoveOctDown},
    {nullptr, &TUnitMuz::KeyKindUp},
    {nullptr, &TUnitMuz::KeyKindDown},
};
constexpr int32_t kPlainCount = static_cast<int32_t>(std::size(kPlainCommands));

TEST(UnitMuzRandom, EveryCommandKeepsTheScoreInOrder) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    RandomScore score(seed);
    TUnitMuz& unit = score.unit;
    for (int32_t step = 0; step < 400; ++step) {
      const std::vector<TStaveSymbol*> all = score.Symbols();
      TStaveSymbol* any = all[static_cast<size_t>(score.Below(static_cast<int32_t>(all.size())))];
      const auto kind = static_cast<uint8_t>(score.Below(5));
      const int32_t pick = score.Below(kPlainCount + 6);
      if (pick < kPlainCount) {
        auto [test, command] = kPlainCommands[pick];
        if (test == nullptr || (unit.*test)()) (unit.*command)();
      } else if (pick == kPlainCount) {
        unit.SetUnitMuzMode(static_cast<uint8_t>(score.Below(6) == 0 ? score.Below(3) : unitMuzSel));
      } else if (pick == kPlainCount + 1) {
        unit.SelectSymbol(any);
      } else if (pick == kPlainCount + 2) {
        if (unit.CanChangeNoteShift(kind)) unit.ChangeNoteShift(kind);
      } else if (pick == kPlainCount + 3) {
        if (unit.CanSetKeyKind()) unit.SetKeyKind(static_cast<int8_t>(6 * (kind % 3) - 6));
      } else if (pick == kPlainCount + 4) {
        unit.AddKeyNoteShift(any, score.Below(15) - 7);
      } else {  // deleting leaves keys of two places side by side; keys go only from a place's end
        TStaveSymbol* next = any->GetSinglePartMuz()->GetNextSymbolOnStave(any->GetNoteStave(), any);
        const bool lastOfPlace = !next || !next->AsKey() || next->GetSymbolPosition() != any->GetSymbolPosition();
        if (!any->AsKey() || (lastOfPlace && any->AsKey()->GetKeyOrder() > 1)) unit.RemoveSymbol(any);
      }
      score.CheckScore();
      if (testing::Test::HasFatalFailure()) return;
    }
  }
}

}  // namespace
