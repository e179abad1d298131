#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/music/fakes/sample_waves.h"
#include "tests/music/score_builder.h"

namespace {

// Time, keys before notes and rests, then the key order or the tuplet place. (A chord's pitch
// order is left out: a rest of another stave at the same place may split it.)
std::tuple<double, int, int64_t> Place(TStaveSymbol* symbol) {
  if (const TKey* key = symbol->AsKey()) return {symbol->GetSymbolPosition(), 0, key->GetKeyOrder()};
  return {symbol->GetSymbolPosition(), 1, symbol->AsTimeSymbol()->GetPosInOol()};
}

// What the gap fill cannot mend: a stave out of order, a key order repeated at a place, a place
// whose members disagree or miss a tuplet member, a tuplet without a note, overlapping places,
// a note of another stave's group, a selection outside the score.
testing::AssertionResult Consistent(TUnitMuz& unit, TSinglePartMuz* single) {
  bool selectionFound = unit.GetSelMuzSymbolKind() != muzSymbolStave;
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext()) {
    double end = 0.0;
    for (TStaveSymbol *symbol = single->GetFirstSymbolOnStave(stave), *next; symbol; symbol = next) {
      next = single->GetNextSymbolOnStave(stave, symbol);
      selectionFound = selectionFound || symbol == unit.GetSelectedSymbol();
      const double position = symbol->GetSymbolPosition();
      if (next && (Place(next) < Place(symbol) || (Place(next) == Place(symbol) && next->AsKey())))
        return testing::AssertionFailure() << "out of order at " << position;
      TStaveTimeSymbol* time = symbol->AsTimeSymbol();
      if (time == nullptr || time != time->GetFirstAtPosition()) continue;
      if (position < end - 1e-9) return testing::AssertionFailure() << "overlap at " << position;
      end = position + time->GetLength();
      std::vector<int> places(static_cast<size_t>(time->GetMultiOol()), 0);
      bool hasNote = false;
      std::set<std::pair<int64_t, int32_t>> pitches;  // a chord holds each pitch once
      for (TStaveTimeSymbol* member = time; member; member = member->GetNextAtPosition()) {
        const TMuzNote* note = member->AsNote();
        if (note && !pitches.insert({member->GetPosInOol(), note->GetPitch()}).second)
          return testing::AssertionFailure() << "pitch twice at " << position;
        if (member->GetNoteLengthKind() != time->GetNoteLengthKind() || member->GetPoints() != time->GetPoints() ||
            member->GetMultiOol() != time->GetMultiOol() || (note && !stave->HasNoteGroup(note->GetNoteGroup())) ||
            !TStaveTimeSymbol::IsValidTime(member->GetNoteLengthKind(), member->GetPoints(), member->GetMultiOol(),
                                           member->GetPosInOol()))
          return testing::AssertionFailure() << "place disagrees at " << position;
        ++places[static_cast<size_t>(member->GetPosInOol())];
        hasNote = hasNote || note;
      }
      if (std::count(places.begin(), places.end(), 0) > 0 || (time->GetMultiOol() != sool && !hasNote))
        return testing::AssertionFailure() << "broken tuplet at " << position;
    }
  }
  return selectionFound ? testing::AssertionSuccess() : testing::AssertionFailure() << "selection gone";
}

// The score as the file keeps it: the reader numbers a stave's keys through, and a chord comes
// back in pitch order.
std::string Canonical(TUnitMuz& unit) {
  TSinglePartMuz* single = unit.GetStartPartMuz()->GetFirstSinglePart();
  const TMuzBar* bar = single->GetMuzBar();
  std::string text =
      testing::PrintToString(std::tuple(bar->GetCount(), bar->GetBarLength(), bar->GetCountFirstBar()));
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext()) {
    std::vector<std::tuple<std::tuple<double, int, int64_t>, int32_t, int32_t, int32_t, int32_t, int32_t>> symbols;
    int64_t keyRank = 0;
    for (TStaveSymbol* symbol = single->GetFirstSymbolOnStave(stave); symbol;
         symbol = single->GetNextSymbolOnStave(stave, symbol)) {
      const TStaveTimeSymbol* time = symbol->AsTimeSymbol();
      const TMuzNote* note = symbol->AsNote();
      auto place = Place(symbol);
      if (!time) std::get<2>(place) = ++keyRank;
      symbols.emplace_back(place, time ? time->GetNoteLengthKind() : symbol->AsKey()->GetKeyKind(),
                           time ? time->GetPoints() * 8 + time->GetMultiOol() : 0, note ? note->GetPitch() : 99,
                           note ? note->GetNoteArtKind() : 0, note ? note->GetNoteShift() : 0);
    }
    std::sort(symbols.begin(), symbols.end());
    text += testing::PrintToString(symbols);
  }
  return text;
}

using Test = bool (TUnitMuz::*)() const;
using Command = void (TUnitMuz::*)();
// The commands without arguments, each with its test (none: always called).
using U = TUnitMuz;
const std::pair<Test, Command> kPlainCommands[] = {
    {&U::CanSelectPrev, &U::SelectPrev}, {&U::CanSelectNext, &U::SelectNext}, {&U::CanSelectUp, &U::SelectUp},
    {&U::CanSelectDown, &U::SelectDown}, {nullptr, &U::SelectFirstInStave}, {nullptr, &U::SelectLastInStave},
    {&U::CanSelectPrevStave, &U::SelectPrevStave}, {&U::CanSelectNextStave, &U::SelectNextStave},
    {&U::CanSelectFirstStave, &U::SelectFirstStave}, {&U::CanSelectLastStave, &U::SelectLastStave},
    {&U::CanMovePrev, &U::MovePrev}, {&U::CanMoveNext, &U::MoveNext}, {&U::CanMoveUp, &U::MoveUp},
    {&U::CanMoveDown, &U::MoveDown}, {&U::CanMoveOctUp, &U::MoveOctUp}, {&U::CanMoveOctDown, &U::MoveOctDown},
    {nullptr, &U::KeyKindUp}, {nullptr, &U::KeyKindDown},
};
constexpr int32_t kPlainCount = static_cast<int32_t>(std::size(kPlainCommands));

// A seeded run of commands over two staves, each command called only while its test holds, as
// the windows do.
struct RandomEditor : ScoreBuilder {
  std::mt19937 rng;
  TNoteStave* lower = unit.AddDefaultStave(stave);
  SampleWaves waves;
  TSinglePartMuz* single = Single({{0.0, 4}, {0.25, 8}, {0.375, 8}, {0.5, 2}});

  explicit RandomEditor(uint32_t seed) : rng(seed) {
    waves.Add("sample", Marked(50));
    Root(single);
    // An upbeat that a shorter bar must cut to stay valid.
    for (int i = 0; i < 3; ++i) single->GetMuzBar()->StepFirstBarForward();
  }
  int32_t Pick(int64_t count) { return static_cast<int32_t>(rng() % static_cast<uint64_t>(count)); }
  TStaveSymbol* AnySymbol(const TNoteStave* on) {
    std::vector<TStaveSymbol*> symbols;
    for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext())
      if (on == nullptr || symbol->GetNoteStave() == on) symbols.push_back(symbol);
    return symbols[static_cast<size_t>(Pick(symbols.size()))];
  }
  // A press as the window makes it: after a whole place, maybe on the symbol there.
  void Press() {
    TNoteStave* on = Pick(2) ? stave : lower;
    TStaveSymbol* first = AnySymbol(on);
    if (TStaveTimeSymbol* time = first->AsTimeSymbol()) first = time->GetLastAtPosition();
    TStaveSymbol* hit = Pick(3) == 0 ? first : nullptr;
    auto* rest = hit && hit->GetStaveSymbolKind() == staveSymbolSilence ? static_cast<TSilence*>(hit) : nullptr;
    unit.AddSymbol(on, hit ? hit->AsNote() : nullptr, rest, first, single->GetNextSymbolOnStave(on, first),
                   Pick(100) - 50);
  }
  // The music dialog's note-group buttons: a new group takes the new notes; deleting one takes its
  // notes along and fills the gaps with rests.
  void NoteGroupCommand(TNoteStave* on, bool add) {
    if (add) {
      auto* group = new TNoteGroup(on, unit.NewDefaultCompoundPlayer(), 0x000000, noteShapeNormal, drawStickUp);
      on->InsertNoteGroup(on->GetSelectedNoteGroup(), group);
      on->SetSelectedNoteGroup(group);
    } else if (unit.RemoveNoteGroup(on, on->GetSelectedNoteGroup())) {
      on->SetSelectedNoteGroup(on->GetStartNoteGroup());
      unit.FillStaveSilences(on);
    }
  }
  void Step() {
    const int32_t kind = 1 << Pick(7), n = Pick(5) + 1;
    TStaveSymbol* any = AnySymbol(nullptr);
    TXTouchMuzSymbol* bar = single->GetMuzBar();
    switch (Pick(19)) {
      case 0: return n < 3 ? unit.SetModeAdd() : n < 5 ? unit.SetModeEdit() : unit.SetModeDelete();
      case 1: return unit.SetSelectedSymbol(n == 1 ? nullptr : n == 2 ? bar : any);
      case 2: case 3: return unit.IsModeAdd() && single->GetOwnTimeLength() < 20 ? Press() : void();
      case 4:
        return unit.IsModeDelete()        ? unit.DeleteSymbol(any)
               : unit.CanDeleteSelected() ? unit.DeleteSelected()
                                          : void();
      case 5: return unit.CanSetNoteLength(kind) ? unit.SetNoteLength(kind) : void();
      case 6: return unit.CanSetSilenceLength(kind) ? unit.SetSilenceLength(kind) : void();
      case 7:
        return n < 3 && unit.CanAddPoint()        ? unit.AddPoint()
               : n > 2 && unit.CanDeletePoint()     ? unit.DeletePoint()
                                                    : void();
      case 8: return unit.CanSetTuplet(n) ? unit.SetTuplet(n) : void();
      case 9: return n == 1 ? unit.KeyL() : n == 2 ? unit.KeyShiftL() : n == 3 ? unit.KeyAltN() : unit.KeyAltS();
      case 10:
        if (n > 3) return n == 5 ? unit.KeyAltL() : unit.KeyShiftAltL();
        return unit.CanSetArticulation() ? unit.SetArticulation(static_cast<uint8_t>(n)) : void();
      case 11: return unit.SetInsertModeKind(n < 3 ? insertModeNote : n < 5 ? insertModeSilence : insertModeKey);
      case 12: {
        auto [test, command] = kPlainCommands[Pick(kPlainCount)];
        return test == nullptr || (unit.*test)() ? (unit.*command)() : void();
      }
      case 13: return unit.SelectSymbol(any);
      case 14: return unit.CanChangeNoteShift(static_cast<uint8_t>(n - 1)) ? unit.ChangeNoteShift(static_cast<uint8_t>(n - 1)) : void();
      case 15: return unit.CanSetKeyKind() ? unit.SetKeyKind(static_cast<int8_t>(6 * (n % 3) - 6)) : void();
      case 16: return unit.AddKeyNoteShift(any, Pick(15) - 7);
      case 17: return NoteGroupCommand(n % 2 ? stave : lower, n < 3);
      default: {  // deleting leaves keys of two places side by side; keys go only from a place's end.
        // RemoveSymbol is the commands' own step, never the user's: every delete the user can give
        // (click, key, length commands) goes through DeleteSymbolAt, which turns a tuplet's note
        // into a rest in its place and takes a rest only with its whole silent tuplet. Called here
        // on one member, it would leave a broken tuplet no user can make.
        if (any->AsTimeSymbol() && any->AsTimeSymbol()->GetMultiOol() != sool) return;
        TStaveSymbol* next = single->GetNextSymbolOnStave(any->GetNoteStave(), any);
        const bool lastOfPlace = !next || !next->AsKey() || next->GetSymbolPosition() != any->GetSymbolPosition();
        return !any->AsKey() || (lastOfPlace && any->AsKey()->GetKeyOrder() > 1) ? unit.RemoveSymbol(any) : void();
      }
    }
  }
};

TEST(UnitMuzEditRandom, ThousandsOfCommandsKeepTheScoreWholeAndSavable) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    RandomEditor editor(seed);
    for (int step = 1; step <= 1500; ++step) {
      editor.Step();
      ASSERT_TRUE(Consistent(editor.unit, editor.single)) << "after step " << step;
      if (step % 100 != 0) continue;
      TUnitMuz copy("copy.kvm");
      std::string error;
      ASSERT_TRUE(copy.Duplicate(editor.unit, error)) << error << " after step " << step;
      ASSERT_EQ(Canonical(copy), Canonical(editor.unit)) << "after step " << step;
    }
  }
}

}  // namespace
