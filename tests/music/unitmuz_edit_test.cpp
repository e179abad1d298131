#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>

#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/fakes/sample_waves.h"
#include "tests/music/score_builder.h"

namespace {

// A saved one-stave score under a G key, written and read as its stave's symbols in list order:
// K<order>@pos, or N (note) / R (rest) <kind><one '.' per dot>[t<tuplet>:<place>]@pos.
struct EditScore : ScoreBuilder {
  SampleWaves waves;
  RecordingMuzView view;
  TSinglePartMuz* single = Single();
  explicit EditScore(const std::string& symbols) {
    waves.Add("sample", Marked(200));
    Root(single);
    std::istringstream in(symbols);
    int32_t pitch = 0, kind = 0, multi = 1, place = 0;
    char letter = 0, separator = 0;
    for (std::string word; in >> word; multi = 1, place = 0) {
      std::istringstream parts(word);
      parts >> letter >> kind;
      const auto from = static_cast<size_t>(parts.tellg());
      const auto dots = static_cast<int32_t>(word.find_first_not_of('.', from) - from);
      parts.seekg(static_cast<std::streamoff>(from) + dots);
      if (parts.peek() == 't') parts >> separator >> multi >> separator >> place;
      double at = 0.0;
      parts >> separator >> at;
      if (letter == 'K' && at == 0.0) continue;  // the part's start key
      auto* time = letter == 'K' ? nullptr : letter == 'R'
          ? static_cast<TStaveTimeSymbol*>(new TSilence(kind, dots, at, stave, multi, place, single))
          : new TMuzNote(&unit, group, kind, dots, at, pitch++, stave, noteShiftNormal, multi, place, 0, single, 2);
      single->InsertSymbol(time ? static_cast<TStaveSymbol*>(time) : new TKey(&unit, 6, 0, at, stave, kind, single));
    }
    unit.SetChildMuz(&view);
    unit.SetSaved();
  }
  TStaveSymbol* At(int index) {
    TStaveSymbol* symbol = single->GetFirstSymbolOnStave(stave);
    for (; index > 0 && symbol; --index) symbol = single->GetNextSymbolOnStave(stave, symbol);
    return index < 0 ? nullptr : symbol;
  }
  int IndexOf(const TXTouchMuzSymbol* selected) {
    for (int index = 0; At(index); ++index)
      if (At(index) == selected) return index;
    return selected == single->GetMuzBar() ? 99 : -1;
  }
  std::string Text() {
    std::string text;
    for (int index = 0; TStaveSymbol* symbol = At(index); ++index) {
      TStaveTimeSymbol* time = symbol->AsTimeSymbol();
      text += index ? " " : "";
      text += time ? (time->AsNote() ? "N" : "R") + std::to_string(time->GetNoteLengthKind())
                   : "K" + std::to_string(symbol->AsKey()->GetKeyOrder());
      if (time) text += std::string(static_cast<size_t>(time->GetPoints()), '.');
      if (time && time->GetMultiOol() != sool)
        text += "t" + std::to_string(time->GetMultiOol()) + ":" + std::to_string(time->GetPosInOol());
      text += "@" + testing::PrintToString(symbol->GetSymbolPosition());
    }
    return text;
  }
  // One command per word: modes (add, edit, del), s<i> selects (sbar the bar), N<kind> and R<kind>
  // the note and rest lengths, + and - the dots, T<n> a tuplet, L, A (Alt+N), S (Alt+S), x<i>
  // deletes, X deletes the selection; presses n<first>/<note>/<rest>/<height>, r<first>, k<first>.
  void Run(const std::string& script) {
    std::istringstream in(script);
    for (std::string word; in >> word;) {
      const char command = word[0];
      int value = 0, note = -1, rest = -1, height = 0;
      char slash = 0;
      std::istringstream(word.substr(1)) >> value >> slash >> note >> slash >> rest >> slash >> height;
      if (word == "add" || word == "edit" || word == "del")
        word == "add" ? unit.SetModeAdd() : word == "edit" ? unit.SetModeEdit() : unit.SetModeDelete();
      else if (word == "sbar") unit.SetSelectedSymbol(single->GetMuzBar());
      else if (command == 's') unit.SetSelectedSymbol(At(value));
      else if (command == 'N') unit.SetNoteLength(value);
      else if (command == 'R') unit.SetSilenceLength(value);
      else if (command == '+' || command == '-') command == '+' ? unit.AddPoint() : unit.DeletePoint();
      else if (command == 'T') unit.SetTuplet(value);
      else if (command == 'L' || command == 'A' || command == 'S')
        command == 'L' ? unit.KeyL() : command == 'A' ? unit.KeyAltN() : unit.KeyAltS();
      else if (command == 'x') unit.DeleteSymbol(At(value));
      else if (command == 'X') unit.DeleteSelected();
      else {
        unit.SetInsertModeKind(command == 'n' ? insertModeNote : command == 'r' ? insertModeSilence : insertModeKey);
        unit.AddSymbol(stave, note < 0 ? nullptr : At(note)->AsNote(), rest < 0 ? nullptr : (TSilence*)At(rest),
                       At(value), At(value) ? At(value + 1) : nullptr, height);
      }
    }
  }
};

const char* const kPress = "K1@0 N4@1 N4@1.25 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 R4@1.75";
const char* const kChord = "K1@0 N4@0 N4@0 N4@0 N4@0.25 R4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1 K3@1";

TEST(UnitMuzEdit, CommandsKeepTheTimeOfTheStaveClosed) {
  struct Case {
    const char* score;
    const char* script;
    const char* staff;
    int selected;
    size_t plays;
  };
  const Case cases[] = {
      // presses in add mode; a note under the pointer wins over a rest, a bad height keeps the rest
      {kPress, "n1/-1/-1/0", "K1@0 N4@1 N4@1.25 N4@1.5 N4t3:0@1.75 N4t3:1@1.75 N4t3:2@1.75 R4@2", -1, 1},
      {kPress, "k0 n3/-1/-1/0", kPress, -1, 0},
      {kPress, "n5/-1/-1/0", "K1@0 N4@1 N4@1.25 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 N4@1.75 R4@2", -1, 1},
      {kPress, "n-1/1/6/3 n-1/1/-1/-6", "K1@0 N4@1 N4@1 N4@1.25 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 R4@1.75", -1, 1},
      {kPress, "n-1/-1/6/60 n-1/-1/6/0", "K1@0 N4@1 N4@1.25 N4t3:0@1.5 N4t3:1@1.5 N4t3:2@1.5 N4@1.75", 6, 1},
      {kPress, "r2 k2", "K1@0 N4@1 N4@1.25 K1@1.5 R4@1.5 N4t3:0@1.75 N4t3:1@1.75 N4t3:2@1.75 R4@2", -1, 0},
      // deleting; a deleted note is heard once
      {kChord, "x1 x6 x0", "K1@0 N4@0 N4@0 N4@0.25 R4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1 K3@1", -1, 1},
      {"N4@0 K1@0.25", "x1", "K1@0 K2@0", -1, 1},
      {kChord, "edit s11 X s6 X", "K1@0 N4@0 N4@0 N4@0 N4@0.25 N4@0.5 K1@0.75 K2@0.75", 5, 1},
      {kChord, "edit s11 X", "K1@0 N4@0 N4@0 N4@0 N4@0.25 R4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1",
       10, 0},
      {kChord, "s5 del edit", kChord, -1, 0},
      // lengths, dots and tuplets in edit mode
      {kChord, "edit s1 N8", "K1@0 N8@0 N8@0 N8@0 N4@0.125 R4t3:0@0.375 N4t3:1@0.375 R4t3:2@0.375 N4@0.625 "
       "K1@0.875 K2@0.875 K3@0.875", 1, 1},
      {kChord, "edit s1 R4", "K1@0 R4@0 N4@0.25 R4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1 K3@1", 1, 0},
      {kChord, "edit s2 +", "K1@0 N4.@0 N4.@0 N4.@0 N4@0.375 R4t3:0@0.625 N4t3:1@0.625 R4t3:2@0.625 N4@0.875 "
       "K1@1.125 K2@1.125 K3@1.125", 2, 1},
      {kChord, "edit s6 R8", "K1@0 N4@0 N4@0 N4@0 N4@0.25 N4@0.5 K1@0.75 K2@0.75 K3@0.75", -1, 0},
      {kChord, "edit s6 N16 s5 N16", "K1@0 N4@0 N4@0 N4@0 N4@0.25 N8t3:0@0.5 N8t3:1@0.5 R8t3:2@0.5 N4@0.625 "
       "K1@0.875 K2@0.875 K3@0.875", 5, 2},
      {kChord, "edit s6 L L A S", "K1@0 N4@0 N4@0 N4@0 N4@0.25 R1t3:0@0.5 N1t3:1@0.5 R1t3:2@0.5 N4@1.5 "
       "K1@1.75 K2@1.75 K3@1.75", 6, 1},
      {kChord, "edit s1 T3", "K1@0 N4t3:0@0 N4t3:0@0 N4t3:0@0 N4t3:1@0 N4t3:1@0 N4t3:1@0 N4t3:2@0 N4t3:2@0 "
       "N4t3:2@0 N4@0.25 R4t3:0@0.5 N4t3:1@0.5 R4t3:2@0.5 N4@0.75 K1@1 K2@1 K3@1", 1, 0},
      {"N64@0", "edit s1 + + +", "K1@0 N64...@0", 1, 3},
      // no edit takes a position past what a music file may hold
      {"N4@999998", "n1/-1/-1/0", "K1@0 N4@999998 N4@999998", -1, 1},
      {"N4@999999", "n1/-1/-1/0", "K1@0 N4@999999", -1, 0},
      {"N4@999998", "edit s1 N1", "K1@0 N1@999998", 1, 1},
      {"N4@999999", "edit s1 N1", "K1@0 N4@999999", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.script << " on " << c.score);
    EditScore score(c.score);
    score.Run(c.script);
    EXPECT_EQ(score.Text(), c.staff);
    EXPECT_EQ(score.IndexOf(score.unit.GetSelectedSymbol()), c.selected);
    EXPECT_EQ(score.waves.main.played.size(), c.plays);
    // Presses and deletes by the pointer leave redrawing and marking to the window.
    const bool edited = std::string(c.script).find("edit s") == 0;
    EXPECT_EQ(score.unit.GetState(), edited ? kUnitStateModified : kUnitStateSaved);
    EXPECT_EQ(score.view.calls.empty(), !edited);
  }
}

TEST(UnitMuzEdit, AltKeysConvertWhateverTheDotsAndStepsChangeOnlyTheirOwnValue) {
  struct Case {
    const char* score;
    const char* script;
    const char* staff;
  };
  const Case cases[] = {
      // more dots than the length allows a menu command
      {"R16...@0 N4@0.4375", "edit s1 A", "K1@0 N16...@0 N4@0.4375"},
      {"N32..@0", "edit s1 S", "K1@0 R32..@0"},
      // a triplet's whole-note group kind reads as no drawn kind
      {"N1t3:0@0 R1t3:1@0 N1t3:2@0", "edit s2 A s1 S", "K1@0 N1t3:0@0 R1t3:1@0 N1t3:2@0"},
      // a chord from a file: each member keeps the value the step leaves alone
      {"N4.@0 N4@0 N4@0.375", "edit s1 N8", "K1@0 N8@0 N8.@0 N4@0.25"},
      {"N8@0 N4@0 N4@0.25", "edit s2 +", "K1@0 N4.@0 N8.@0 N4@0.3125"},
      {"N4.@999999 N4@999999", "edit s1 N1", "K1@0 N4@999999 N4.@999999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.script << " on " << c.score);
    EditScore score(c.score);
    score.Run(c.script);
    EXPECT_EQ(score.Text(), c.staff);
  }
}

TEST(UnitMuzEdit, TestsEnableAndCheckWhatTheSelectionAllows) {
  struct Case {
    const char* score;
    const char* script;
    int32_t kind;
    bool canNote, isNote, canRest, canAddPoint, canDeletePoint, canTuplet;
  };
  const Case cases[] = {
      {"", "N16 + +", 32, false, false, false, false, true, false},  // add mode: at most 1 dot at 32
      {"", "N8 + +", 8, true, true, true, true, true, false},
      {"R4@0", "edit s1", 4, true, false, true, true, false, false},
      {"N4@0", "edit s1", 1, true, false, true, true, false, false},
      {"N4.@0", "edit s1", 4, true, true, true, true, true, true},  // a dotted note may be a quadruplet
      {"N32@0", "edit s1", 5, true, false, true, true, false, false},
      {"N4t3:0@0 N4t3:1@0 N4t3:2@0", "edit s1", 8, true, true, true, true, false, false},
      {"N4t3:0@0 N4t3:1@0 N4t3:2@0", "edit s1", 1, false, false, false, true, false, false},
      {"", "edit s0", 4, false, false, false, false, false, false},  // a key allows none
      {"", "edit sbar", 4, true, true, false, true, true, false},
      {"", "del sbar", 4, false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.script << " on " << c.score << " with " << c.kind);
    EditScore score(c.score);
    score.Run(c.script);
    TUnitMuz& u = score.unit;
    EXPECT_EQ(std::tuple(u.CanSetNoteLength(c.kind), u.IsNoteLength(c.kind), u.CanSetSilenceLength(c.kind),
                         u.IsSilenceLength(c.kind), u.CanAddPoint(), u.CanDeletePoint(), u.CanSetTuplet(c.kind)),
              std::tuple(c.canNote, c.isNote, c.canRest, c.score[0] == 'R' && c.kind == 4, c.canAddPoint,
                         c.canDeletePoint, c.canTuplet));
  }
}

TEST(UnitMuzEdit, ABarKeepsItsDurationInANewBeatKindAndArticulationsStopAtTheEnds) {
  using Meter = std::array<int, 4>;  // count, beat kind, new beat kind, new count
  for (auto [count, length, kind, newCount] : {Meter{3, 4, 8, 6}, Meter{3, 4, 1, 1}, Meter{60, 4, 8, 99}}) {
    EditScore score("");
    score.single->GetMuzBar()->SetMeter(static_cast<int8_t>(length), count);
    score.Run("edit sbar N" + std::to_string(kind));
    EXPECT_EQ(score.single->GetMuzBar()->GetCount(), newCount) << count << "/" << length << " to " << kind;
    EXPECT_EQ(score.single->GetMuzBar()->GetBarLength(), kind);
  }
  EditScore score("N4@0 N4@0");
  for (const char* mode : {"add", "edit s1"}) {
    score.Run(mode);
    score.unit.SetArticulation(noteArtStaccatissimo);
    // Five steps towards legato, then five back; both ends hold.
    const uint8_t steps[] = {noteArtStaccato, noteArtNormal,   noteArtPortato,       noteArtLegato,
                             noteArtLegato,   noteArtPortato,  noteArtNormal,        noteArtStaccato,
                             noteArtStaccatissimo, noteArtStaccatissimo};
    for (int step = 0; step < 10; ++step) {
      const uint8_t expected = steps[step];
      step < 5 ? score.unit.KeyAltL() : score.unit.KeyShiftAltL();
      EXPECT_TRUE(score.unit.IsArticulation(expected)) << mode << " " << int{expected};
      EXPECT_EQ(score.At(2)->AsNote()->GetNoteArtKind(), mode[0] == 'e' ? expected : uint8_t{noteArtNormal});
    }
  }
}

}  // namespace
