// A music document with one stave, and detached single parts with a 4/4 bar, the stave's start key
// and whole-note-based notes, from which the tests assemble part trees.
#pragma once

#include <initializer_list>
#include <utility>

#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"

struct ScoreBuilder {
  TUnitMuz unit{"score.kvm"};
  TNoteStave* stave = unit.AddDefaultStave(nullptr);
  TNoteGroup* group = stave->GetStartNoteGroup();

  TMuzNote* Note(TSinglePartMuz* single, double position, int8_t lengthKind, int32_t pitch = 0,
                 uint8_t shift = noteShiftNormal) {
    auto* note = new TMuzNote(&unit, group, lengthKind, 0, position, pitch, stave, shift, sool, 0, noteArtNormal,
                              single, drawStickAuto);
    single->InsertSymbol(note);
    return note;
  }
  // A single part whose notes are (position, length kind) pairs.
  TSinglePartMuz* Single(std::initializer_list<std::pair<double, int8_t>> notes = {}) {
    auto* single = new TSinglePartMuz(&unit);
    new TMuzBar(single, 4, 4, 0);
    single->AddStartKeys();
    for (auto [position, kind] : notes) Note(single, position, kind);
    return single;
  }
  TLoopPartMuz* Loop(int32_t count, TPartMuz* child) {
    return new TLoopPartMuz(unitIntegerPosMore(count, 0), child, &unit);
  }
  TConcatPartMuz* Concat(TPartMuz* first, TPartMuz* second) { return new TConcatPartMuz(first, second, &unit); }
  TSelectPartMuz* Select(TPartMuz* child, std::initializer_list<int32_t> turns) {
    auto* select = new TSelectPartMuz(child, &unit);
    for (int32_t turn : turns) select->AddTurnItem(unitIntegerPosMore(turn, 0), unitInteger(0, 0));
    return select;
  }
  // Unhooks a part and answers its former parent.
  static TPartMuz* Detach(TPartMuz* part) {
    TPartMuz* parent = nullptr;
    TPartMuz** ownLink = nullptr;
    TPartMuz** parentLink = nullptr;
    part->DetachFromParent(parent, ownLink, parentLink);
    return parent;
  }
  TPartMuz* Root(TPartMuz* top) {
    unit.GetStartPartMuz()->SetPartMuz(top);
    return unit.GetStartPartMuz();
  }
};

inline unitIntegerPosMore Turns(int32_t count) { return unitIntegerPosMore(count, 0); }
inline unitInteger Semitones(int32_t pitch) { return unitInteger(pitch, 0); }
