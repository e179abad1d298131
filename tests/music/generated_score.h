// A generated score for the layout's tests and its benchmark: every stave holds, per 4/4 bar, a
// quarter chord of three heads with a sharp, two beamed eighths, a quarter rest and a triplet,
// so bars carry chords, beams, accidentals repeated within the bar, rests and tuplets.
#pragma once

#include <cstdint>

#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"

inline void AddGeneratedBars(TUnitMuz& unit, TSinglePartMuz* single, int32_t bars) {
  int32_t staveIndex = 0;
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext(), ++staveIndex) {
    TNoteGroup* group = stave->GetStartNoteGroup();
    const auto note = [&](double position, int8_t kind, int32_t pitch, uint8_t shift, int8_t multiOol = sool,
                          int32_t posInOol = 0) {
      single->InsertSymbol(new TMuzNote(&unit, group, kind, 0, position, pitch, stave, shift, multiOol, posInOol,
                                        noteArtNormal, single, drawStickAuto));
    };
    for (int32_t bar = 0; bar < bars; ++bar) {
      const double start = bar;
      const int32_t pitch = (bar + staveIndex) % 5 - 2;
      note(start, 4, pitch + 4, noteShiftNormal);
      note(start, 4, pitch + 2, noteShiftNormal);
      note(start, 4, pitch, noteShiftKruis);
      note(start + 0.25, 8, pitch, noteShiftKruis);
      note(start + 0.375, 8, pitch + 3, noteShiftNormal);
      single->InsertSymbol(new TSilence(4, 0, start + 0.5, stave, sool, 0, single));
      for (int32_t slot = 0; slot < triool; ++slot) note(start + 0.75, 4, pitch + 1 + slot, noteShiftMol, triool, slot);
    }
  }
}

// A single part with a 4/4 bar, start keys on every stave and the generated bars.
inline TSinglePartMuz* GeneratedSingle(TUnitMuz& unit, int32_t bars) {
  auto* single = new TSinglePartMuz(&unit);
  new TMuzBar(single, 4, 4, 0);
  single->AddStartKeys();
  AddGeneratedBars(unit, single, bars);
  return single;
}
