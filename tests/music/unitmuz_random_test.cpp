#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <set>
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
  std::vector<TSinglePartMuz*> singles;

  explicit RandomScore(uint32_t seed) : rng(seed) {
    singles = {Fill(), Fill()};
    Root(Concat(singles[0], singles[1]));
    unit.SetChildMuz(&view);
  }
  int32_t Below(int32_t n) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(n)); }
  TSinglePartMuz* Fill() {
    TSinglePartMuz* single = Single();
    for (TNoteStave* on : {stave, lower})
      for (int32_t slot = 0; slot < 6; ++slot) {
        const double position = 0.25 * slot;
        for (int32_t order = 1; order <= Below(3) - (slot == 0 ? 0 : 1); ++order)
          single->InsertSymbol(new TKey(&unit, TKey::keyKindC, 0, position, on, order + (slot == 0), single));
        if (Below(4) == 0) {
          single->InsertSymbol(new TSilence(4, 0, position, on, sool, 0, single));
          continue;
        }
        for (int32_t n = 1 + Below(3), pitch = Below(80) - 40; n > 0; --n, pitch += 2)
          single->InsertSymbol(new TMuzNote(&unit, on->GetStartNoteGroup(), 4, 0, position, pitch, on,
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
  void CheckScore() const {
    for (TSinglePartMuz* single : singles) {
      std::map<std::pair<const TNoteStave*, double>, std::vector<int32_t>> keyOrders;
      std::set<std::pair<const TStaveTimeSymbol*, int32_t>> chordPitches;
      for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
        // Positions order the whole list; the finer order holds among the symbols of one stave.
        if (symbol->GetNext() != nullptr) {
          ASSERT_LE(symbol->GetSymbolPosition(), symbol->GetNext()->GetSymbolPosition());
        }
        if (TStaveSymbol* next = single->GetNextSymbolOnStave(symbol->GetNoteStave(), symbol)) {
          ASSERT_FALSE(TStaveSymbol::IsPrevOf(next, symbol));
        }
        if (TKey* key = symbol->AsKey()) {
          keyOrders[{key->GetNoteStave(), key->GetSymbolPosition()}].push_back(key->GetKeyOrder());
          ASSERT_LE(std::abs(key->GetOctavesUp()), 2);
        } else if (TMuzNote* note = symbol->AsNote()) {
          ASSERT_TRUE(chordPitches.insert({note->GetFirstOfChord(), note->GetPitch()}).second);
        }
      }
      for (const auto& [place, orders] : keyOrders)
        for (size_t i = 0; i < orders.size(); ++i) ASSERT_EQ(orders[i], static_cast<int32_t>(i + 1));
    }
  }
};

TEST(UnitMuzRandom, EveryCommandKeepsTheScoreInOrder) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    RandomScore score(seed);
    TUnitMuz& unit = score.unit;
    const auto when = [](bool enabled, const std::function<void()>& command) {
      if (enabled) command();
    };
    const std::vector<std::function<void()>> commands = {
        [&] { unit.SetUnitMuzMode(static_cast<uint8_t>(score.Below(8) == 0 ? score.Below(3) : unitMuzSel)); },
        [&] {
          const std::vector<TStaveSymbol*> all = score.Symbols();
          unit.SelectSymbol(all[static_cast<size_t>(score.Below(static_cast<int32_t>(all.size())))]);
        },
        [&] { when(unit.CanSelectPrev(), [&] { unit.SelectPrev(); }); },
        [&] { when(unit.CanSelectNext(), [&] { unit.SelectNext(); }); },
        [&] { when(unit.CanSelectUp(), [&] { unit.SelectUp(); }); },
        [&] { when(unit.CanSelectDown(), [&] { unit.SelectDown(); }); },
        [&] { score.Below(2) ? unit.SelectFirstInStave() : unit.SelectLastInStave(); },
        [&] { when(unit.CanSelectPrevStave(), [&] { unit.SelectPrevStave(); }); },
        [&] { when(unit.CanSelectNextStave(), [&] { unit.SelectNextStave(); }); },
        [&] { when(unit.CanSelectFirstStave(), [&] { unit.SelectFirstStave(); }); },
        [&] { when(unit.CanSelectLastStave(), [&] { unit.SelectLastStave(); }); },
        [&] { when(unit.CanMovePrev(), [&] { unit.MovePrev(); }); },
        [&] { when(unit.CanMoveNext(), [&] { unit.MoveNext(); }); },
        [&] { when(unit.CanMoveUp(), [&] { unit.MoveUp(); }); },
        [&] { when(unit.CanMoveDown(), [&] { unit.MoveDown(); }); },
        [&] { when(unit.CanMoveOctUp(), [&] { unit.MoveOctUp(); }); },
        [&] { when(unit.CanMoveOctDown(), [&] { unit.MoveOctDown(); }); },
        [&] {
          const auto kind = static_cast<uint8_t>(score.Below(5));
          when(unit.CanChangeNoteShift(kind), [&] { unit.ChangeNoteShift(kind); });
        },
        [&] {
          const auto kind = static_cast<int8_t>(6 * (score.Below(3) - 1));
          when(unit.CanSetKeyKind(), [&] { unit.SetKeyKind(kind); });
        },
        [&] { score.Below(2) ? unit.KeyKindUp() : unit.KeyKindDown(); },
        [&] {
          const std::vector<TStaveSymbol*> all = score.Symbols();
          unit.AddKeyNoteShift(all[static_cast<size_t>(score.Below(static_cast<int32_t>(all.size())))],
                               score.Below(15) - 7);
        },
        [&] {  // a deletion, which can leave keys of other places side by side
          const std::vector<TStaveSymbol*> all = score.Symbols();
          TStaveSymbol* doomed = all[static_cast<size_t>(score.Below(static_cast<int32_t>(all.size())))];
          // A key goes only from the end of its place, as its numbers would otherwise need renumbering.
          TStaveSymbol* next = doomed->GetSinglePartMuz()->GetNextSymbolOnStave(doomed->GetNoteStave(), doomed);
          const bool lastKeyOfPlace = next == nullptr || next->AsKey() == nullptr ||
                                      next->GetSymbolPosition() != doomed->GetSymbolPosition();
          const TKey* key = doomed->AsKey();
          if (key == nullptr || (lastKeyOfPlace && key->GetKeyOrder() > 1)) unit.RemoveSymbol(doomed);
        },
    };
    for (int32_t step = 0; step < 400; ++step) {
      commands[static_cast<size_t>(score.Below(static_cast<int32_t>(commands.size())))]();
      score.CheckScore();
      if (testing::Test::HasFatalFailure()) return;
    }
  }
}

}  // namespace
