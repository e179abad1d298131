#include "music/muznote.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "foundation/assertion.h"
#include "music/PartMuz.h"
#include "music/noteplay.h"
#include "music/stave.h"

namespace {

// A part's list built by hand, in the order given.
class SymbolList : public testing::Test {
 protected:
  template <typename T>
  T* Own(T* symbol) {
    owned_.emplace_back(symbol);
    return symbol;
  }
  // Links without owning: a removal frees what it takes.
  template <typename T>
  T* Link(T* symbol) {
    if (last_ != nullptr) last_->SetNext(symbol);
    symbol->SetPrev(last_);
    last_ = symbol;
    return symbol;
  }
  TMuzNote* Note(double position, int32_t pitch, TNoteStave* stave = nullptr, int8_t kind = 4, int8_t multiOol = sool,
                 int32_t posInOol = 0, uint8_t shift = noteShiftNone, uint8_t art = noteArtNormal) {
    return new TMuzNote(nullptr, &group_, kind, 0, position, pitch, stave ? stave : &stave_, shift, multiOol,
                        posInOol, art, &part_, drawStickAuto);
  }
  TSilence* Rest(double position, TNoteStave* stave = nullptr, int32_t posInOol = 0, int8_t multiOol = sool) {
    return new TSilence(4, 0, position, stave ? stave : &stave_, multiOol, posInOol, &part_);
  }
  TKey* Key(double position, int32_t order, TNoteStave* stave = nullptr) {
    return new TKey(nullptr, TKey::keyKindG, 0, position, stave ? stave : &stave_, order, &part_);
  }

  TSinglePartMuz part_;
  TNoteStave stave_;
  TNoteStave other_;
  TNoteStave muted_{1};
  TNoteGroup group_{&stave_, std::make_unique<TCompoundPlayer>(nullptr), 0, 0, drawStickDown};
  std::vector<std::unique_ptr<TStaveSymbol>> owned_;
  TStaveSymbol* last_ = nullptr;
};

}  // namespace

TEST_F(SymbolList, ListOrderTiesGoByKindOrderThenPitch) {
  struct Case { const char* what; TStaveSymbol *a, *b; bool aFirst, bFirst; };
  for (const Case& c : {Case{"earlier position", Own(Rest(0.25)), Own(Key(0.5, 1)), true, false},
                        Case{"key before note", Own(Key(1, 5)), Own(Note(1, 0)), true, false},
                        Case{"keys by order", Own(Key(1, 1)), Own(Key(1, 2)), true, false},
                        Case{"tuplet place", Own(Note(1, 0, nullptr, 4, triool, 1)), Own(Rest(1, nullptr, 2, triool)),
                             true, false},
                        Case{"higher pitch first", Own(Note(1, 7)), Own(Note(1, 3)), true, false},
                        Case{"rest equals note", Own(Rest(1)), Own(Note(1, 3)), false, false}}) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(TStaveSymbol::IsPrevOf(c.a, c.b), c.aFirst);
    EXPECT_EQ(TStaveSymbol::IsPrevOf(c.b, c.a), c.bFirst);
  }
}

TEST_F(SymbolList, ChordWalksStayOnTheStaveAndPosition) {
  TKey* key = Link(Own(Key(0, 1)));
  TMuzNote* high = Link(Own(Note(1, 9)));
  TMuzNote* elsewhere = Link(Own(Note(1, 8, &other_)));
  TMuzNote* low = Link(Own(Note(1, 2)));
  TSilence* second = Link(Own(Rest(1, nullptr, 1, duool)));
  TMuzNote* later = Link(Own(Note(1.25, 4)));
  EXPECT_EQ(low->GetFirstAtPosition(), high);
  EXPECT_EQ(high->GetNextAtPosition(), low);
  EXPECT_EQ(high->GetLastAtPosition(), second);
  EXPECT_EQ(second->GetFirstOfChord(), second);
  EXPECT_TRUE(high->GetNextOfChord() == low && low->GetNextOfChord() == nullptr);
  EXPECT_EQ(key->GetFirstNoteFrom(), high);
  EXPECT_EQ(high->GetNextNote(), elsewhere);
  EXPECT_EQ(second->FindKeyBefore(&stave_), key);
  EXPECT_TRUE(second->FindKeyBefore(&other_) == nullptr && later->GetNextNote() == nullptr);
}

TEST_F(SymbolList, RemovingAStaveRejoinsTheListAroundIt) {
  TMuzNote* first = Link(Note(0, 1, &other_));
  Link(Note(0, 0));
  TSilence* kept = Link(Rest(0.25, &other_));
  Link(Note(0.5, 0));
  EXPECT_EQ(first->GetNext()->RemoveStaveSymbols(&stave_), kept);
  EXPECT_TRUE(first->GetNext() == kept && kept->GetPrev() == first);
  EXPECT_EQ(first->RemoveNoteGroupNotes(&group_), kept);
  EXPECT_EQ(kept->GetPrev(), nullptr);
  EXPECT_EQ(kept->RemoveStaveSymbols(&other_), nullptr);
}

TEST_F(SymbolList, LengthsTimesAndPeriodsOfNotes) {
  TMuzNote* triplet[] = {Own(Note(1, 5, nullptr, 4, triool, 0)), Own(Note(1, 5, nullptr, 4, triool, 1)),
                         Own(Note(1, 5, nullptr, 4, triool, 2, noteShiftNone, noteArtLegato))};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(triplet[i]->GetTime() * 12, 12 + i);
  EXPECT_EQ(triplet[2]->GetSoundLength() * 12, 2);
  const TMuzNote* staccato = Own(Note(0, 5, &muted_, 4, sool, 0, noteShiftNone, noteArtStaccato));
  EXPECT_EQ(std::tuple(staccato->GetSoundLength(), staccato->GetMute(), triplet[0]->GetMute()),
            std::tuple(0.125, true, false));

  struct Case { int32_t pitch; uint8_t shift; double semitonesFromA; };
  for (const Case& c : {Case{5, noteShiftNormal, 0}, Case{3, noteShiftKruis, -3}, Case{6, noteShiftMol, 1}, Case{4, noteShiftDubbelKruis, 0},
                        Case{-2, noteShiftDubbelMol, -14}, Case{-43, noteShiftNone, -82},
                        Case{43, noteShiftNone, 65}}) {
    SCOPED_TRACE(c.pitch);
    const TMuzNote* note = Own(Note(0, c.pitch, nullptr, 4, sool, 0, c.shift));
    EXPECT_NEAR(note->GetPeriod() * 440 * std::pow(2.0, c.semitonesFromA / 12), 1.0, 1e-12);
  }
  int32_t total = 0;
  EXPECT_FALSE(triplet[0]->FlagLength2TotalLength(1, total));
  EXPECT_TRUE(triplet[0]->FlagLength2TotalLength(8, total) && total == 4);
  EXPECT_FALSE(Own(Rest(1, nullptr, 0, kwartool))->MayTotalPoints(0));
  struct Time { int32_t kind, points, multiOol, posInOol; bool valid; };
  for (const Time& t : {Time{4, 3, sool, 0, true}, Time{16, 0, kwintool, 4, true},
                        Time{0, 0, sool, 0, false}, Time{4, 4, sool, 0, false}, Time{4, 0, 0, 0, false},
                        Time{4, 1, triool, 3, false}, Time{4, 0, duool, 0, false}, Time{32, 0, kwintool, 0, false}})
    EXPECT_EQ(TStaveTimeSymbol::IsValidTime(t.kind, t.points, t.multiOol, t.posInOol), t.valid) << t.kind;
  EXPECT_FALSE(triplet[0]->SetPitch(44));
  EXPECT_TRUE(triplet[0]->SetPitch(-43) && triplet[0]->GetPitch() == -43);
}

TEST_F(SymbolList, HitRangesAndDistances) {
  TMuzNote* note = Own(Note(0, 3));
  EXPECT_EQ(note->GetXDistance(0), INT32_MAX);
  for (int32_t x : {20, 11, 15}) note->ExtendXRange(x);
  for (const auto& [x, distance] : {std::pair{11, 0}, {20, 0}, {8, 3}, {25, 5}, {INT32_MIN, INT32_MAX}})
    EXPECT_EQ(note->GetXDistance(x), distance) << x;
  EXPECT_TRUE(note->IsLeftOfCentre(14) && !note->IsLeftOfCentre(15));
  stave_.StartLayout(100, 0);
  note->SetDrawHeight(2);
  const TKey* key = Own(Key(0, 1));
  for (const auto& [y, noteDistance, keyDistance] : {std::tuple{90, 0, 0}, {80, 10, 5}, {115, 25, 0}, {116, 26, 1}}) {
    SCOPED_TRACE(y);
    EXPECT_EQ(note->GetYDistance(y), noteDistance);
    EXPECT_EQ(key->GetYDistance(y), keyDistance);
  }
}

TEST(MuzBar, BarLinesWithAndWithoutUpbeat) {
  struct Case { int8_t length; int32_t count, first; double t, next; };
  for (const Case& c : {Case{4, 3, 0, 0, 0.75}, Case{4, 3, 0, 0.5, 0.75},
                        Case{4, 3, 1, 0.25, 1.0}, Case{8, 6, 5, 0.5, 0.625},
                        Case{4, 4, 0, 1.0, 2.0}}) {
    SCOPED_TRACE(testing::Message() << c.count << "/" << int(c.length) << " upbeat " << c.first << " at " << c.t);
    TSinglePartMuz part;
    EXPECT_EQ((new TMuzBar(&part, c.length, c.count, c.first))->GetNextBarTime(c.t), c.next);
  }
  TSinglePartMuz part;
  TMuzBar* bar = new TMuzBar(&part, 4, 3, 2);
  EXPECT_EQ(bar->GetFirstBarLength(), 0.5);
  // Forward from the last upbeat count wraps to none; back from none wraps to the last.
  const int forward = bar->StepFirstBarForward(), afterForward = bar->GetCountFirstBar();
  const int back = bar->StepFirstBarBack(), afterBack = bar->GetCountFirstBar();
  EXPECT_EQ(std::tuple(forward, afterForward, back, afterBack), std::tuple(1, 0, 0, 2));
  EXPECT_THROW(TMuzBar(&part, 4, 4, 0), AssertionFailure);  // a part takes one bar only
  for (const auto& [length, count, first] : {std::tuple{4, 0, 0}, {3, 4, 0}, {4, 4, 4}, {4, 4, -1}})
    EXPECT_FALSE(TMuzBar::IsValid(length, count, first));
}

TEST(Key, ClefArithmeticAndSignatures) {
  TNoteStave stave;
  TKey key(nullptr, TKey::keyKindG, 2, 0, &stave, 1, nullptr);
  EXPECT_EQ(std::pair(key.HeightToPitch(0), key.PitchToHeight(20)), std::pair(20, 0));
  for (const auto& [height, valid] : {std::pair{-63, true}, {23, true}, {-64, false}, {24, false}})
    EXPECT_EQ(key.IsHeightValid(height), valid) << height;
  EXPECT_THROW(TKey(nullptr, TKey::keyKindG, 3, 0, &stave, 1, nullptr), AssertionFailure);

  const int32_t sharps[] = {4, 1, 5, 2, -1, 3, 0};
  const int32_t flats[] = {0, 3, -1, 2, -2, 1, -3};
  for (int32_t k = 0; k < 7; ++k) {
    EXPECT_EQ(key.WrapShiftHeight(key.GetShiftHeight(noteShiftKruis, k), noteShiftKruis), sharps[k]) << k;
    EXPECT_EQ(key.WrapShiftHeight(key.GetShiftHeight(noteShiftMol, k), noteShiftMol), flats[k]) << k;
  }
  EXPECT_THROW(key.GetShiftOffset(noteShiftNormal), AssertionFailure);

  EXPECT_TRUE(key.SetNoteShift(4, noteShiftKruis));
  EXPECT_FALSE(key.SetNoteShift(4, noteShiftDubbelKruis));
  EXPECT_FALSE(key.SetKeyKind(3) || key.SetKeyKind(262));
  EXPECT_TRUE(key.SetKeyKind(TKey::keyKindF));
  // F keeps its sharp.
  EXPECT_EQ(std::tuple(key.GetNoteShift(2), key.GetNoteShift(4), key.GetShiftOffset(noteShiftKruis),
                       key.GetShiftOffset(noteShiftMol)),
            (std::tuple<uint8_t, uint8_t, int32_t, int32_t>(noteShiftKruis, noteShiftNormal, -3, -5)));
}

TEST(Key, ToonLadderKnowsRegularSignatures) {
  // Entries by height 0..6 under a G clef: '#' sharp, 'b' flat, '.' natural.
  struct Case { const char* entries; bool regular; int32_t scale; };
  TNoteStave stave;
  for (const Case& c : {Case{".......", true, 0}, Case{"....#..", true, 1}, Case{"#######", true, 7}, Case{"b..b..b", true, -3}, Case{".#.....", false, 0},
                        Case{"b.....b", false, 0}}) {
    SCOPED_TRACE(c.entries);
    TKey key(nullptr, TKey::keyKindG, 0, 0, &stave, 1, nullptr);
    for (int32_t h = 0; h < 7; ++h)
      key.SetNoteShift(h, c.entries[h] == '#' ? noteShiftKruis : c.entries[h] == 'b' ? noteShiftMol : noteShiftNormal);
    int32_t scale = 99;
    EXPECT_EQ(key.ToonLadder(scale), c.regular);
    if (c.regular) {
      EXPECT_EQ(scale, c.scale);
    }
  }
}
