// A stave's horizontal layout: symbols enter the lists in time order while the part tree draws,
// and LayoutSymbols turns everything before a bar time into columns, heads, sticks and beams, draws
// it and frees it. The passes run in a fixed order because each reads what the one before decided.
#include "music/stavelayout.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "foundation/assertion.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {

constexpr const char* kAssertUnit = "stavelayout";
// A split leaves less than this only through rounding; it is not drawn.
constexpr double kNegligibleLength = 1e-9;

int32_t Step(int32_t height) { return (height % 7 + 7) % 7; }

int32_t HeightOf(const TKey* key, const TMuzNote& note) {
  return key ? key->PitchToHeight(note.GetPitch()) : note.GetPitch();
}

using ChordList = std::list<TDrawXNotesItem>;

// The chords of a list that the current stretch lays out: before t and not kept from the last one.
std::vector<TDrawXNotesItem*> Active(ChordList& chords, double t) {
  std::vector<TDrawXNotesItem*> active;
  for (TDrawXNotesItem& chord : chords) {
    if (!chord.KeptAside && chord.Time < t) active.push_back(&chord);
  }
  return active;
}

void HeightRange(const TDrawXNotesItem& chord, int32_t& lowest, int32_t& highest) {
  lowest = 0;
  highest = 0;
  for (size_t i = 0; i < chord.Notes.size(); ++i) {
    const int32_t h = chord.Notes[i].Height;
    lowest = i == 0 ? h : std::min(lowest, h);
    highest = i == 0 ? h : std::max(highest, h);
  }
}

// The chord after `at` (in list order) is placed by time, behind everything not later than it.
template <class Item>
typename std::list<Item>::iterator PlaceByTime(std::list<Item>& items, double time) {
  auto it = items.end();
  while (it != items.begin() && std::prev(it)->Time > time) --it;
  return it;
}

// Pass 1: what sounds across t keeps [start, t) and a tied copy at t takes the rest.
template <class Item, class Mark>
void CutAt(StaveLayout& layout, std::list<Item>& items, double t, Mark mark) {
  for (auto it = items.begin(); it != items.end(); ++it) {
    Item& item = *it;
    if (item.KeptAside || item.Time >= t || item.MultiOol != sool) continue;
    const double end = item.Time + item.Length.GetValue();
    if (end <= t) continue;
    Item rest = item;
    item.Length.SetBroken(t - item.Time);
    rest.Length.SetBroken(end - t);
    rest.Time = t;
    rest.Slot = 0;
    rest.Column = layout.FindColumn(t, 0, sool);
    mark(item, rest);
    items.insert(PlaceByTime(items, t), rest);
  }
}

// Pass 2: free lengths become tied chains of drawable values.
template <class Item, class Mark>
void SplitFree(StaveLayout& layout, std::list<Item>& items, double t, Mark mark) {
  for (auto it = items.begin(); it != items.end(); ++it) {
    Item& item = *it;
    if (item.KeptAside || item.Time >= t || !item.Length.LengthIsBroken) continue;
    int32_t points = 0;
    int8_t kind = 4;
    double value = 0.0;
    const double remainder = item.Length.Split(points, kind, value);
    item.Length.Set(points, kind);
    Item* copy = nullptr;
    if (remainder > kNegligibleLength) {
      Item next = item;
      next.Time = item.Time + value;
      next.Slot = 0;
      next.MultiOol = sool;
      next.Column = layout.FindColumn(next.Time, 0, sool);
      next.Length.SetBroken(remainder);
      copy = &*items.insert(std::next(it), next);
    }
    mark(item, copy);
  }
}

bool ShortFlag(int32_t noteLengthKind, int32_t multiOol) {
  // Kinds of 8 and more stay 8 and more under any tuplet; only shorter ones need converting,
  // and those convert without overflow.
  return noteLengthKind < 8 && FlagLengthOf(noteLengthKind, multiOol) < 8;
}

// Pass 3.
void MarkBeams(std::vector<TDrawXNotesItem*>& chords, bool allowJoin) {
  for (size_t i = 0; i < chords.size(); ++i) {
    TDrawXNotesItem& c = *chords[i];
    const TDrawXNotesItem* n = i + 1 < chords.size() ? chords[i + 1] : nullptr;
    const bool tuplet = c.MultiOol > sool;
    const auto end = [&](bool group) {
      c.BeamEnd = true;
      if (group) c.GroupEnd = true;
    };
    if (!allowJoin) end(false);
    if (tuplet && c.Slot == c.MultiOol - 1) end(true);
    if (tuplet && c.Notes.empty()) end(false);
    if (ShortFlag(c.Length.NoteLengthKind, c.MultiOol)) end(!tuplet);
    if (n && ShortFlag(n->Length.NoteLengthKind, c.MultiOol)) end(!tuplet);
    if (n && !c.Notes.empty() && c.Time + c.Length.GetValue() < n->Time) end(true);
    if (n && n->MultiOol > sool && (n->Slot == 0 || n->Notes.empty())) end(n->Slot == 0);
    if (!n) end(true);
  }
  for (size_t i = 0; i < chords.size(); ++i) {
    const TDrawXNotesItem* p = i > 0 ? chords[i - 1] : nullptr;
    chords[i]->BeamStart = !p || p->BeamEnd;
    chords[i]->GroupStart = !p || p->GroupEnd;
  }
}

// The chords from `first` up to and including the next group end.
std::vector<TDrawXNotesItem*> GroupFrom(const std::vector<TDrawXNotesItem*>& chords, size_t first) {
  std::vector<TDrawXNotesItem*> group;
  for (size_t i = first; i < chords.size(); ++i) {
    group.push_back(chords[i]);
    if (chords[i]->GroupEnd) break;
  }
  return group;
}

// Pass 15: the beam line no stick of the group ends short of. Heights are measured in the stick
// direction (m = y for down sticks, -y for up), so one walk serves both.
BeamLine FitBeamLine(const std::vector<TDrawXNotesItem*>& group) {
  const int32_t d = group.front()->DrawStickKind == drawStickUp ? -1 : 1;
  const auto m = [d](const TDrawXNotesItem* c) { return d * c->StickEnd; };
  int32_t extreme = m(group.front());
  for (const TDrawXNotesItem* c : group) extreme = std::max(extreme, m(c));
  int32_t firstX = 0;
  int32_t lastX = 0;
  bool found = false;
  for (const TDrawXNotesItem* c : group) {
    if (m(c) != extreme) continue;
    if (!found) firstX = c->StickX;
    lastX = c->StickX;
    found = true;
  }
  const int32_t middle = (group.front()->StickX + group.back()->StickX) / 2;
  const int32_t y = d * extreme;
  BeamLine line{firstX, y, firstX + 1, y};
  const bool left = middle < firstX - 2;
  const bool right = middle > lastX + 2;
  if (!left && !right) return line;
  int32_t pivotX = left ? firstX : lastX;
  int32_t pivotM = extreme;
  do {
    const TDrawXNotesItem* best = nullptr;
    double bestSlope = 0.0;
    for (const TDrawXNotesItem* c : group) {
      const bool candidate = left ? c->StickX < pivotX : c->StickX > pivotX;
      if (!candidate) continue;
      const double slope = static_cast<double>(pivotM - m(c)) / std::abs(pivotX - c->StickX);
      // Equal slopes go to the right-hand chord, which comes later in the group.
      if (!best || slope <= bestSlope) {
        best = c;
        bestSlope = slope;
      }
    }
    if (!best) break;
    if (left) {
      line = {best->StickX, d * m(best), pivotX, d * pivotM};
    } else {
      line = {pivotX, d * pivotM, best->StickX, d * m(best)};
    }
    if (std::abs(bestSlope) < 0.0001) break;
    pivotX = best->StickX;
    pivotM = m(best);
  } while (left ? middle < pivotX - 2 : middle > pivotX + 2);
  if (line.x1 == line.x2) ++line.x2;
  return line;
}

void SetBeamLine(const std::vector<TDrawXNotesItem*>& group, const BeamLine& line) {
  KV_ASSERT(line.x1 != line.x2);
  for (TDrawXNotesItem* c : group) {
    c->BeamLineY = line.At(c->StickX);
    c->StickEnd = c->BeamLineY + (c->DrawStickKind == drawStickDown ? 1 : -1);
  }
}

ShiftRow RowOf(const TNoteShiftTable& table) {
  ShiftRow row{};
  for (int32_t step = 0; step < 7; ++step) row[step] = table.GetNoteShift(step);
  return row;
}

// One call of the layout: everything before t, laid out from x and drawn on the canvas.
struct Stretch {
  StaveLayout& L;
  double t;
  MuzCanvas& canvas;
  StaveBand band;
  GlyphStave glyphs;
  const TKey* Key;
  uint32_t Fore;
  bool AllowJoin;
  std::array<std::vector<TDrawXNotesItem*>, 3> active;

  Stretch(StaveLayout& layout, double end, MuzCanvas& target, TNoteStave& stave)
      : L(layout),
        t(end),
        canvas(target),
        band(StaveBandOf(stave)),
        glyphs(band.Glyphs()),
        Key(stave.GetKey()),
        Fore(stave.GetForeground()),
        AllowJoin(stave.GetAllowJoinFlags() != drawFlagSeparate) {}

  void CollectActive() {
    for (size_t k = 0; k < 3; ++k) active[k] = Active(L.Chords[k], t);
  }

  void CutAndSplit() {
    // 1, 2: cut at t, then split free lengths into tied plain values.
    for (ChordList& chords : L.Chords) {
      CutAt(L, chords, t, [](TDrawXNotesItem& cut, TDrawXNotesItem& rest) {
        cut.BeamEnd = cut.GroupEnd = true;
        rest.BeamEnd = rest.GroupEnd = true;
        rest.SlurBegin = cut.SlurBegin;
        cut.SlurBegin = true;
        rest.SlurEnd = true;
        for (TDrawXNoteItem& note : rest.Notes) note.Displaced = false;
      });
    }
    CutAt(L, L.Rests, t, [](TDrawXSilItem&, TDrawXSilItem&) {});
    for (ChordList& chords : L.Chords) {
      SplitFree(L, chords, t, [](TDrawXNotesItem& item, TDrawXNotesItem* copy) {
        item.BeamEnd = item.GroupEnd = true;
        if (!copy) return;
        copy->BeamEnd = copy->GroupEnd = true;
        item.SlurBegin = true;
        copy->SlurEnd = true;
      });
    }
    SplitFree(L, L.Rests, t, [](TDrawXSilItem&, TDrawXSilItem*) {});
  }

  void MarkAllBeams() {
    // 3: beam marks.
    for (auto& chords : active) MarkBeams(chords, AllowJoin);
  }

  void Accidentals() {
    // 4 to 6: accidentals in effect, over every column not yet laid out.
    for (TDrawXPositionItem& column : L.Columns) {
      if (!column.KeptAside) column.SetShifts.fill(noteShiftNone);
    }
    for (ChordList& chords : L.Chords) {
      for (TDrawXNotesItem& chord : chords) {
        if (chord.KeptAside) continue;
        for (TDrawXNoteItem& note : chord.Notes) {
          note.Height = HeightOf(Key, *note.MuzNote);
          const uint8_t sound = note.MuzNote->GetNoteShift();
          if (sound == noteShiftNone) continue;
          uint8_t& entry = chord.Column->SetShifts[Step(note.Height)];
          if (entry == noteShiftNone) entry = sound;
          else if (entry != sound) entry = kShiftClash;
        }
      }
    }
    ShiftRow inEffect = L.RunningShifts;
    bool anyColumn = false;
    for (TDrawXPositionItem& column : L.Columns) {
      if (column.KeptAside) continue;
      column.BeforeShifts = inEffect;
      for (size_t step = 0; step < 7; ++step) {
        column.AfterShifts[step] = column.SetShifts[step] == noteShiftNone ? inEffect[step] : column.SetShifts[step];
      }
      inEffect = column.AfterShifts;
      anyColumn = true;
    }
    if (anyColumn) L.RunningShifts = inEffect;
  }

  void Heads() {
    // 7: heads, with the accidental shown where it differs from the one in effect.
    for (auto& chords : active) {
      for (TDrawXNotesItem* chord : chords) {
        // A tuplet slot that no note of this stave holds keeps its chord only for the column;
        // its length was never set, so it has no dots to ask for.
        if (chord->Notes.empty()) continue;
        const int32_t flagKind = chord->Length.GetFlagLength(chord->MultiOol);
        const int32_t dots = chord->Length.GetFlagPoints(chord->MultiOol);
        for (TDrawXNoteItem& note : chord->Notes) {
          const uint8_t sound = note.MuzNote->GetNoteShift();
          const uint8_t current = chord->Column->BeforeShifts[Step(note.Height)];
          note.ShownShift = sound != noteShiftNone && sound != current ? sound : uint8_t{noteShiftNone};
          note.MuzNote->SetDrawHeight(note.Height);
          const TNoteGroup* group = note.MuzNote->GetNoteGroup();
          note.DrawNote.emplace(glyphs, group ? group->GetNoteColor() : Fore,
                                group ? group->GetNoteShapeKind() : uint8_t{noteHeadEllipse}, flagKind, dots,
                                note.Height, note.ShownShift);
        }
      }
    }
  }

  void RestGlyphs() {
    // 8: rest glyphs.
    for (TDrawXSilItem& rest : L.Rests) {
      if (rest.Time >= t) continue;
      KV_ASSERT(!rest.Length.LengthIsBroken);
      rest.FlagKind = rest.Length.GetFlagLength(rest.MultiOol);
      rest.Dots = rest.Length.GetFlagPoints(rest.MultiOol);
      rest.Width = SilenceWidth(rest.FlagKind, rest.Dots);
    }
  }

  void AutomaticSticks() {
    // 9: automatic sticks by group, from the lowest and highest head.
    {
      auto& chords = active[drawStickAuto];
      for (size_t i = 0; i < chords.size();) {
        const std::vector<TDrawXNotesItem*> group = GroupFrom(chords, i);
        int32_t sum = 0;
        bool any = false;
        int32_t lowest = 0;
        int32_t highest = 0;
        for (const TDrawXNotesItem* chord : group) {
          if (chord->Notes.empty()) continue;
          int32_t lo = 0;
          int32_t hi = 0;
          HeightRange(*chord, lo, hi);
          lowest = any ? std::min(lowest, lo) : lo;
          highest = any ? std::max(highest, hi) : hi;
          any = true;
        }
        if (any) sum = lowest + highest;
        for (TDrawXNotesItem* chord : group) chord->DrawStickKind = sum < 0 ? drawStickUp : drawStickDown;
        i += group.size();
      }
    }
  }

  void SticksAndSeconds() {
    // 10: stick ends; 11: seconds move to the other side of the stick.
    for (auto& chords : active) {
      for (TDrawXNotesItem* chord : chords) {
        KV_ASSERT(chord->DrawStickKind != drawStickAuto);
        int32_t lo = 0;
        int32_t hi = 0;
        HeightRange(*chord, lo, hi);
        if (chord->DrawStickKind == drawStickDown) {
          chord->StickEnd = 32 - 5 * lo;
          chord->BeamLineY = 35 - 5 * lo;
        } else {
          chord->StickEnd = -5 * hi - 32;
          chord->BeamLineY = -5 * hi - 35;
        }
        for (size_t n = 1; n < chord->Notes.size(); ++n) {
          const TDrawXNoteItem& prev = chord->Notes[n - 1];
          TDrawXNoteItem& note = chord->Notes[n];
          note.Displaced = !prev.Displaced && std::abs(note.Height - prev.Height) == 1;
        }
      }
    }
  }

  void Widths() {
    // 12: widths, chords first, then rests.
    for (auto& chords : active) {
      for (TDrawXNotesItem* chord : chords) {
        KV_ASSERT(!chord->Length.LengthIsBroken);
        int32_t before = 0;
        int32_t core = 0;
        int32_t after = 0;
        for (const TDrawXNoteItem& note : chord->Notes) {
          int32_t b = 0;
          int32_t c = 0;
          int32_t a = 0;
          note.DrawNote->MakeNoteShift(b, c, a);
          if (!note.Displaced) {
            before = std::max(before, b);
            core = std::max(core, c);
            after = std::max(after, a);
          } else if (chord->DrawStickKind == drawStickDown) {
            before = std::max(before, b + c);
            after = std::max(after, a - c);
          } else {
            before = std::max(before, b - c);
            after = std::max(after, a + c);
          }
        }
        if (chord->BeamStart && chord->BeamEnd && chord->Length.GetFlagLength(chord->MultiOol) >= 8 &&
            chord->DrawStickKind == drawStickUp) {
          after = std::max(after, 13);
        }
        TDrawXPositionItem& column = *chord->Column;
        column.WidthBefore = std::max(column.WidthBefore, before);
        column.WidthCore = std::max(column.WidthCore, core);
        column.WidthAfter = std::max(column.WidthAfter, after);
      }
    }
    for (TDrawXSilItem& rest : L.Rests) {
      if (rest.Time >= t) continue;
      TDrawXPositionItem& column = *rest.Column;
      column.WidthBefore = std::max(column.WidthBefore, 0);
      column.WidthCore = std::max(column.WidthCore, rest.Width);
      column.WidthAfter = std::max(column.WidthAfter, 0);
    }
  }

  int32_t PlaceColumns(int32_t x) {
    // 13: columns from x on.
    int32_t runningX = x;
    for (TDrawXPositionItem& column : L.Columns) {
      if (column.KeptAside || column.Time >= t) continue;
      KV_ASSERT(column.WidthBefore >= 0);
      KV_ASSERT(column.WidthCore >= 0);
      KV_ASSERT(column.WidthAfter >= 0);
      column.X = runningX;
      runningX += column.WidthBefore + column.WidthCore + column.WidthAfter;
    }
    return runningX;
  }

  void StickXs() {
    // 14: stick x.
    for (auto& chords : active) {
      for (TDrawXNotesItem* chord : chords) {
        const TDrawXPositionItem& column = *chord->Column;
        if (chord->Notes.empty()) {
          chord->StickX = chord->Slot == 0 ? column.X
                                           : column.X + column.WidthBefore + column.WidthCore + column.WidthAfter;
        } else if (chord->DrawStickKind == drawStickUp) {
          chord->StickX = column.X + column.WidthBefore + column.WidthCore;
        } else {
          chord->StickX = column.X + column.WidthBefore;
        }
      }
    }
  }

  void BeamLines() {
    // 15: beam lines over groups and tuplets.
    for (auto& chords : active) {
      for (size_t i = 0; i < chords.size(); ++i) {
        TDrawXNotesItem& chord = *chords[i];
        const bool tupletStart = chord.MultiOol > sool && chord.Slot == 0;
        const bool joinStart = chord.MultiOol == sool && i + 1 < chords.size() && chord.GroupStart && !chord.GroupEnd;
        if (!tupletStart && !joinStart) continue;
        const std::vector<TDrawXNotesItem*> group = GroupFrom(chords, i);
        if (group.size() < 2) continue;
        const BeamLine line = FitBeamLine(group);
        if (tupletStart) {
          DrawTupletBracket(canvas, band, group.front()->StickX, group.back()->StickX, chord.DrawStickKind, line,
                            chord.MultiOol);
        }
        SetBeamLine(group, line);
      }
    }
  }

  void Draw() {
    // 16 to 18: the chords of all three lists, then the rests, then the ties, so a tie lies over
    // every head and rest it crosses.
    std::array<std::vector<DrawnChord>, 3> drawn;
    for (size_t k = 0; k < 3; ++k) {
      std::vector<TDrawXNotesItem*> drawnItems;
      for (TDrawXNotesItem* chord : active[k]) {
        // An empty tuplet slot only holds a place; the beam marks keep it out of every beam.
        if (chord->Notes.empty()) continue;
        DrawnChord d;
        d.xa = chord->Column->X + chord->Column->WidthBefore;
        d.xb = d.xa + chord->Column->WidthCore;
        d.stickX = chord->StickX;
        HeightRange(*chord, d.lo, d.hi);
        d.stickKind = chord->DrawStickKind;
        d.flagKind = chord->Length.GetFlagLength(chord->MultiOol);
        d.stickEnd = chord->StickEnd;
        d.beamY = chord->BeamLineY;
        d.artKind = chord->NoteArtKind;
        d.joinedPrev = !chord->BeamStart;
        d.continuesNext = !chord->BeamEnd;
        d.SlurBegin = chord->SlurBegin;
        d.SlurEnd = chord->SlurEnd;
        for (const TDrawXNoteItem& note : chord->Notes) {
          d.heads.push_back({*note.DrawNote, note.Displaced, note.Selected});
        }
        drawn[k].push_back(std::move(d));
        drawnItems.push_back(chord);
      }
      DrawChords(canvas, band, drawn[k]);
      for (size_t i = 0; i < drawn[k].size(); ++i) {
        for (size_t n = 0; n < drawn[k][i].heads.size(); ++n) {
          drawnItems[i]->Notes[n].MuzNote->ExtendXRange(drawn[k][i].heads[n].leftX);
          drawnItems[i]->Notes[n].MuzNote->ExtendXRange(drawn[k][i].heads[n].rightX);
        }
      }
    }
    for (TDrawXSilItem& rest : L.Rests) {
      if (rest.Time >= t) continue;
      const int32_t left = rest.Column->X + rest.Column->WidthBefore;
      int32_t nextX = left;
      DrawSilence(canvas, rest.FlagKind, rest.Dots, left, glyphs, nextX, rest.Selected);
      rest.Silence->ExtendXRange(left);
      rest.Silence->ExtendXRange(nextX);
    }
    for (size_t k = 0; k < 3; ++k) {
      std::vector<DrawnChord> tied;
      if (L.KeptDrawn[k]) tied.push_back(*L.KeptDrawn[k]);
      tied.insert(tied.end(), drawn[k].begin(), drawn[k].end());
      // A tie arrives only from the chord just before it; anything else (voices overlapping in one
      // stick direction) is drawn without it.
      for (size_t i = 0; i < tied.size(); ++i) {
        if (tied[i].SlurEnd && (i == 0 || !tied[i - 1].SlurBegin)) tied[i].SlurEnd = false;
      }
      DrawTies(canvas, band, tied);
      if (!drawn[k].empty()) L.KeptDrawn[k] = drawn[k].back();
    }
  }

  void FreeBefore() {
    // 19: free what lies before t, keeping the last chord of each list and the last column.
    for (size_t k = 0; k < 3; ++k) {
      ChordList& chords = L.Chords[k];
      for (TDrawXNotesItem* chord : active[k]) {
        L.LastChords[k].push_back(*chord);
        L.LastChords[k].back().Column = nullptr;
      }
      auto last = chords.end();
      for (auto it = chords.begin(); it != chords.end(); ++it) {
        if (it->Time < t) last = it;
      }
      for (auto it = chords.begin(); it != chords.end();) {
        if (it->Time < t && it != last) {
          it = chords.erase(it);
        } else {
          if (it == last) {
            it->KeptAside = true;
            it->Column = nullptr;
          }
          ++it;
        }
      }
    }
    for (auto it = L.Rests.begin(); it != L.Rests.end();) {
      if (it->Time < t) {
        L.LastRests.push_back(*it);
        L.LastRests.back().Column = nullptr;
        it = L.Rests.erase(it);
      } else {
        ++it;
      }
    }
    auto lastColumn = L.Columns.end();
    for (auto it = L.Columns.begin(); it != L.Columns.end(); ++it) {
      if (it->Time < t) lastColumn = it;
    }
    for (auto it = L.Columns.begin(); it != L.Columns.end();) {
      if (it->Time < t && it != lastColumn) {
        it = L.Columns.erase(it);
      } else {
        if (it == lastColumn) it->KeptAside = true;
        ++it;
      }
    }
  }
};

}  // namespace

TDrawXPositionItem* StaveLayout::FindColumn(double time, int32_t slot, int8_t multiOol) {
  TDrawXPositionItem column;
  column.SetShifts.fill(noteShiftNone);
  column.AfterShifts.fill(noteShiftNone);
  column.Time = time;
  column.Slot = slot;
  column.MultiOol = multiOol;
  if (Columns.empty()) return &Columns.emplace_back(column);
  auto it = Columns.begin();
  for (;;) {
    if (!it->KeptAside && it->Time == time && it->Slot == slot) return &*it;
    const auto next = std::next(it);
    if (next == Columns.end() || next->Time > time) break;
    it = next;
  }
  return &*Columns.insert(std::next(it), column);
}

void StaveLayout::Clear() {
  Columns.clear();
  for (ChordList& chords : Chords) chords.clear();
  Rests.clear();
  for (auto& kept : KeptDrawn) kept.reset();
  for (auto& last : LastChords) last.clear();
  LastRests.clear();
}

TNoteStave::~TNoteStave() = default;

void TNoteStave::LayoutDeleter::operator()(StaveLayout* layout) const { delete layout; }

StaveLayout& TNoteStave::LayoutLists() {
  if (!Layout) Layout.reset(new StaveLayout);
  return *Layout;
}

void TNoteStave::StartLayout(int32_t y, int32_t x) {
  CentreY = y;
  DrawX = x;
  LastLayoutTime = 0.0;
  // The key of the last drawing may have been deleted since; every part sets its start keys.
  Key = nullptr;
  LayoutLists().Clear();
}

void TNoteStave::SetKey(TKey* key) {
  Key = key;
  StaveLayout& layout = LayoutLists();
  layout.KeyShifts = RowOf(key->GetNoteShiftKinds());
  layout.RunningShifts = layout.KeyShifts;
}

void TNoteStave::CarryNoteShifts() {
  StaveLayout& layout = LayoutLists();
  layout.RunningShifts = layout.KeyShifts;
}

bool TNoteStave::HasLayout() const {
  if (!Layout) return false;
  return std::any_of(Layout->Columns.begin(), Layout->Columns.end(),
                     [](const TDrawXPositionItem& column) { return !column.KeptAside; });
}

void TNoteStave::AddNoteToLayout(TMuzNote* muzNote, bool selected) {
  KV_ASSERT(muzNote->GetNoteStave() == this);
  StaveLayout& layout = LayoutLists();
  const uint8_t stickKind = muzNote->GetBerDrawStickKind();
  ChordList& chords = layout.Chords[std::min<uint8_t>(stickKind, drawStickAuto)];
  const double time = muzNote->GetSymbolPosition();
  const int8_t multiOol = muzNote->GetMultiOol();
  TDrawXNotesItem* own = nullptr;
  for (int32_t slot = 0; slot < multiOol; ++slot) {
    TDrawXPositionItem* column = layout.FindColumn(time, slot, multiOol);
    const bool ownSlot = slot == muzNote->GetPosInOol();
    // A note whose length, dots or articulation differ from the chord's (two voices with one stick
    // direction) stands in a chord of its own at the same column.
    const auto fits = [&](const TDrawXNotesItem& chord) {
      if (chord.Time != time || chord.Slot != slot || chord.MultiOol != multiOol || chord.KeptAside) return false;
      if (!ownSlot || chord.Notes.empty()) return true;
      return chord.Length.NoteLengthKind == muzNote->GetNoteLengthKind() &&
             chord.Length.Points == muzNote->GetPoints() && chord.NoteArtKind == muzNote->GetNoteArtKind();
    };
    TDrawXNotesItem* chord = nullptr;
    for (auto it = chords.rbegin(); it != chords.rend() && it->Time >= time; ++it) {
      if (fits(*it)) chord = &*it;
    }
    if (!chord) {
      TDrawXNotesItem item;
      item.DrawStickKind = stickKind;
      item.Time = time;
      item.Slot = slot;
      item.MultiOol = multiOol;
      item.Column = column;
      chord = &chords.emplace_back(item);
    }
    if (ownSlot) own = chord;
  }
  KV_ASSERT(own != NULL);
  if (own->Notes.empty()) {
    own->Length.Set(muzNote->GetPoints(), muzNote->GetNoteLengthKind());
    own->NoteArtKind = muzNote->GetNoteArtKind();
  }
  TDrawXNoteItem note;
  note.MuzNote = muzNote;
  note.Selected = selected;
  own->Notes.push_back(note);
}

void TNoteStave::AddSilenceToLayout(TSilence* silence, bool selected) {
  StaveLayout& layout = LayoutLists();
  const double time = silence->GetSymbolPosition();
  TDrawXPositionItem* column = layout.FindColumn(time, silence->GetPosInOol(), silence->GetMultiOol());
  for (TDrawXSilItem& rest : layout.Rests) {
    if (rest.Time == time && rest.Slot == silence->GetPosInOol() && rest.Column == column) {
      rest.Length.Set(silence->GetPoints(), silence->GetNoteLengthKind());
      return;
    }
  }
  TDrawXSilItem rest;
  rest.Time = time;
  rest.Slot = silence->GetPosInOol();
  rest.MultiOol = silence->GetMultiOol();
  rest.Column = column;
  rest.Length.Set(silence->GetPoints(), silence->GetNoteLengthKind());
  rest.Silence = silence;
  rest.Selected = selected;
  layout.Rests.push_back(rest);
}

void TNoteStave::LayoutSymbols(double t, MuzCanvas& canvas, int32_t x, int32_t& resultX) {
  StaveLayout& layout = LayoutLists();
  for (auto& last : layout.LastChords) last.clear();
  layout.LastRests.clear();
  Stretch stretch(layout, t, canvas, *this);
  stretch.CutAndSplit();
  stretch.CollectActive();
  stretch.MarkAllBeams();
  stretch.Accidentals();
  stretch.Heads();
  stretch.RestGlyphs();
  stretch.AutomaticSticks();
  stretch.SticksAndSeconds();
  stretch.Widths();
  resultX = stretch.PlaceColumns(x);
  stretch.StickXs();
  stretch.BeamLines();
  stretch.Draw();
  stretch.FreeBefore();
}
