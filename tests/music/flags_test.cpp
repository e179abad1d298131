#include "music/flags.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/assertion.h"

TEST(NoteShiftTable, HeightsWrapByWholePeriodsAndClefChangesKeepPitches) {
  TNoteShiftTable table;
  EXPECT_TRUE(table.SetNoteShift(-1, noteShiftMol));
  EXPECT_EQ(table.GetNoteShift(6), noteShiftMol);
  EXPECT_EQ(table.GetNoteShift(-8), noteShiftMol);
  EXPECT_TRUE(table.SetNoteShift(7, noteShiftKruis));
  EXPECT_EQ(table.GetNoteShift(0), noteShiftKruis);
  EXPECT_FALSE(table.SetNoteShift(3, noteShiftNone + 1));
  EXPECT_EQ(table.GetNoteShift(3), noteShiftNormal);

  // A sharp on F: height 4 under the G clef, height 2 under the F clef, 3 under the C clef.
  struct Case { int32_t from, to, before, after; };
  for (const Case& c : {Case{6, -6, 4, 2}, Case{6, 0, 4, 3}, Case{0, 0, 3, 3}}) {
    SCOPED_TRACE(testing::Message() << c.from << " to " << c.to);
    TNoteShiftTable key;
    key.SetNoteShift(c.before, noteShiftKruis);
    key.ChangeKeyKind(c.from, c.to);
    for (int32_t h = 0; h < 7; ++h) EXPECT_EQ(key.GetNoteShift(h), h == c.after ? noteShiftKruis : noteShiftNormal);
  }
}

TEST(NoteShiftTable, FillNoneTakesOnlyTheMissingEntries) {
  TNoteShiftTable running(noteShiftNone);
  running.SetNoteShift(1, noteShiftDubbelMol);
  TNoteShiftTable key(noteShiftKruis);
  running.FillNone(key);
  for (int32_t h = 0; h < 7; ++h) EXPECT_EQ(running.GetNoteShift(h), h == 1 ? noteShiftDubbelMol : noteShiftKruis);
  EXPECT_THROW(TNoteShiftTable(noteShiftNone).FillNone(TNoteShiftTable(noteShiftNone)), AssertionFailure);
}

TEST(NoteLength, ValuesOfKindsWithDots) {
  struct Case { int32_t kind, points; double value; };
  for (const Case& c : {Case{1, 0, 1.0}, Case{64, 0, 1.0 / 64}, Case{4, 1, 0.375}, Case{4, 3, 0.46875}, Case{2, 3, 0.9375}}) {
    SCOPED_TRACE(testing::Message() << c.kind << " with " << c.points);
    TNoteLength length;
    ASSERT_TRUE(length.Set(c.points, c.kind));
    EXPECT_EQ(length.GetValue(), c.value);
  }
  TNoteLength length;
  length.Set(1, 8);
  for (const auto& [points, kind] : {std::pair{0, 0}, {0, 3}, {0, 128}, {4, 4}, {-1, 4}})
    EXPECT_FALSE(length.Set(points, kind));
  EXPECT_EQ(length.GetValue(), 0.1875);
  length.SetBroken(0.3);
  EXPECT_EQ(length.GetValue(), 0.3);
}

TEST(NoteLength, SplitTakesTheLargestDrawableValue) {
  struct Case { double length; int32_t kind, points; double value, rest; };
  for (const Case& c : {Case{3.0 / 8, 4, 1, 3.0 / 8, 0}, Case{5.0 / 16, 4, 0, 0.25, 1.0 / 16},
                        Case{15.0 / 32, 4, 2, 7.0 / 16, 1.0 / 32}, Case{2.5, 1, 0, 1, 1.5}, Case{1.5, 1, 1, 1.5, 0},
                        Case{3.0 / 128, 64, 1, 3.0 / 128, 0},
                        Case{1.0 / 256, 64, 0, 1.0 / 256, 0}, Case{0, 64, 0, 0, 0}, Case{NAN, 64, 0, NAN, 0}}) {
    SCOPED_TRACE(c.length);
    TNoteLength length;
    length.SetBroken(c.length);
    int32_t points = -1;
    int8_t kind = 0;
    double value = -1;
    const double rest = length.Split(points, kind, value);
    EXPECT_EQ(std::tuple(rest, int32_t{kind}, points), std::tuple(c.rest, c.kind, c.points));
    if (!std::isnan(c.value)) {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(NoteLength, TupletsDrawShorterKindsAndFewerDots) {
  struct Case { int32_t kind, points, multiOol, flagLength, flagPoints; };
  for (const Case& c : {Case{4, 0, sool, 4, 0}, Case{4, 1, duool, 8, 0}, Case{4, 0, triool, 8, 0},
                        Case{8, 2, kwartool, 16, 1}, Case{16, 3, kwintool, 64, 3}}) {
    SCOPED_TRACE(testing::Message() << c.kind << " in " << c.multiOol);
    TNoteLength length;
    length.Set(c.points, c.kind);
    EXPECT_EQ(std::tuple(length.GetFlagLength(c.multiOol), length.GetFlagPoints(c.multiOol)),
              std::tuple(c.flagLength, c.flagPoints));
  }
  TNoteLength length;
  length.Set(0, 32);
  EXPECT_THROW(length.GetFlagLength(kwintool), AssertionFailure);
  EXPECT_THROW(length.GetFlagPoints(duool), AssertionFailure);
  length.SetBroken(0.25);
  EXPECT_THROW(length.GetFlagPoints(sool), AssertionFailure);
}

TEST(NoteLength, DotsPerKind) {
  for (const auto& [kind, most] : {std::pair{1, 3}, {8, 3}, {16, 2}, {32, 1}, {64, 0}})
    EXPECT_EQ(MaxPointsForLength(kind), most);
}
