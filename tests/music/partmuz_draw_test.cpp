#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <vector>

#include "fakes/recording_canvas.h"
#include "fakes/recording_muz_window.h"
#include "generated_score.h"
#include "music/glyphs.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/stavedraw.h"
#include "music/unitmuz.h"
#include "score_builder.h"

namespace {

constexpr int32_t kOrigin = 10;

int32_t LeftOf(const TXTouchMuzSymbol& s) { return -100000 + s.GetXDistance(-100000); }
int32_t RightOf(const TXTouchMuzSymbol& s) { return 100000 - s.GetXDistance(100000); }
bool Drawn(const TXTouchMuzSymbol& s) { return s.GetXDistance(0) != std::numeric_limits<int32_t>::max(); }

struct Score {
  ScoreBuilder b;
  RecordingCanvas canvas;
  RecordingMuzWindow window{b.unit, kOrigin};

  void Draw(TPartMuz* top) {
    window.StartLayout(0);
    b.Root(top)->Draw(window, canvas, nullptr);
  }
};

TEST(PartMuzDraw, StavesOfTheLargestRoomAndBarsOfTheLargestCountLayOutInBounds) {
  Score s;
  TNoteStave* lower = s.b.unit.AddDefaultStave(s.b.stave);
  for (TNoteStave* stave : {s.b.stave, lower}) {
    stave->GetRoomUp().SetValue(INT32_MAX);
    stave->GetRoomDown().SetValue(INT32_MAX);
  }
  TSinglePartMuz* single = s.b.Single({{0, 4}});
  single->GetMuzBar()->SetMeter(64, INT32_MAX);
  // The upbeat wraps to the last beat, then steps back from there without overflowing.
  EXPECT_EQ(single->GetMuzBar()->StepFirstBarBack(), 0);
  EXPECT_EQ(single->GetMuzBar()->StepFirstBarBack(), 1);
  EXPECT_EQ(single->GetMuzBar()->GetCountFirstBar(), INT32_MAX - 2);
  EXPECT_EQ(s.window.StartLayout(0), 4 * kMaxDrawnRoom);
  EXPECT_EQ(std::pair(s.b.stave->GetCentreY(), lower->GetCentreY()), std::pair(kMaxDrawnRoom, 3 * kMaxDrawnRoom));
  s.Draw(single);
  EXPECT_TRUE(Drawn(*single->GetMuzBar()));
  // Extra lines stop where the drawn room does: ten pixels apart up to it, three below.
  TNoteStave lined(nullptr, 0x102030, 0xF0E0D0, INT32_MAX, 30, drawFlagJoin, false, true);
  lined.StartLayout(200, 0);
  RecordingCanvas canvas;
  DrawStaveLines(canvas, StaveBandOf(lined), ClientRect{5, 0, 400, 600});
  EXPECT_EQ(canvas.Of(CanvasCall::Line).size(), static_cast<size_t>(kMaxDrawnRoom / 10 + 3 + 1));
}

// A window whose bar never moves on, as a bar with no length would do.
struct StuckWindow : RecordingMuzWindow {
  using RecordingMuzWindow::RecordingMuzWindow;
  void DrawUpToBar(MuzCanvas&, TMuzBar&, double& barTime, bool&) override { barTimes.push_back(barTime); }
};

TEST(PartMuzDraw, ABarThatDoesNotMoveOnEndsTheDrawing) {
  ScoreBuilder b;
  RecordingCanvas canvas;
  StuckWindow window{b.unit, kOrigin};
  TSinglePartMuz* single = b.Single({{0, 4}, {1.5, 4}, {3, 4}});
  window.StartLayout(0);
  b.Root(single)->Draw(window, canvas, nullptr);
  EXPECT_LE(window.barTimes.size(), 4u);
}

TEST(PartMuzDraw, NearestSymbolPrefersTheFirstMetAmongEquals) {
  struct Case {
    int32_t noteLeft;
    bool barAtPoint, loopVisible;
    int which;  // 0 the left repeat sign, 1 the note, 2 the bar
  } cases[] = {
      {119, false, true, 0},  // both 3600 away: the sign is met first
      {118, false, true, 1},  // the note is strictly nearer
      {119, false, false, 0}, // a hidden loop is still hit
      {90, true, true, 2},    // bar and note both at distance 0: the bar is met first
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.noteLeft);
    ScoreBuilder b;
    TSinglePartMuz* single = b.Single({{0, 4}});
    TLoopPartMuz* loop = b.Loop(2, single);
    b.Root(loop);
    loop->SetVisibleFlag(c.loopVisible);
    b.stave->StartLayout(100, 0);
    TStaveSymbol* note = single->GetStartStaveSymbol()->GetNext();
    ASSERT_NE(note->AsNote(), nullptr);
    loop->GetLeftLoopSymbol()->ExtendXRange(100);
    loop->GetLeftLoopSymbol()->ExtendXRange(110);
    note->ExtendXRange(c.noteLeft);
    note->ExtendXRange(c.noteLeft + 6);
    if (c.barAtPoint) single->GetMuzBar()->ExtendXRange(95);
    double best = 1e300;
    TXTouchMuzSymbol* found = nullptr;
    b.unit.GetStartPartMuz()->FindNearestSymbol(95, 100, best, found);
    const TXTouchMuzSymbol* expected[] = {loop->GetLeftLoopSymbol(), note, single->GetMuzBar()};
    EXPECT_EQ(found, expected[c.which]);
  }
}

TEST(PartMuzDraw, EverySymbolIsFoundAtItsOwnDrawnPosition) {
  Score s;
  s.b.unit.AddDefaultStave(s.b.stave);
  TSinglePartMuz* first = GeneratedSingle(s.b.unit, 2);
  TSinglePartMuz* second = GeneratedSingle(s.b.unit, 2);
  TLoopPartMuz* loop = s.b.Loop(3, first);
  s.Draw(s.b.Concat(loop, s.b.Select(second, {1, 2})));
  std::vector<std::pair<TXTouchMuzSymbol*, int32_t>> targets;  // symbol and the y to look at
  const int32_t topY = s.b.stave->GetCentreY();
  for (TLoopPartSymbol* sign : {loop->GetLeftLoopSymbol(), loop->GetRightLoopSymbol()}) targets.push_back({sign, topY});
  for (TSinglePartMuz* single : {first, second}) {
    targets.push_back({single->GetMuzBar(), topY});
    for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
      const TMuzNote* note = symbol->AsNote();
      targets.push_back({symbol, symbol->GetNoteStave()->GetCentreY() - (note ? 5 * note->GetDrawHeight() : 0)});
    }
  }
  ASSERT_EQ(targets.size(), 2u + 2u * (1u + 2u * (1u + 2u * 9u)));
  for (auto [symbol, y] : targets) {
    ASSERT_TRUE(Drawn(*symbol));
    const int32_t x = (LeftOf(*symbol) + RightOf(*symbol)) / 2;
    double best = 1e300;
    TXTouchMuzSymbol* found = nullptr;
    s.b.unit.GetStartPartMuz()->FindNearestSymbol(x, y, best, found);
    EXPECT_EQ(found, symbol) << x << "," << y;
  }
}

}  // namespace

TEST(PartMuzDraw, KeysBarsAndRepeatSignsAreHitAcrossTheirGlyphsAndAMargin) {
  const std::vector<GlyphStave> staves{GlyphStave{100}};
  RecordingCanvas canvas;
  TNoteStave stave;
  TKey key(nullptr, TKey::keyKindG, 0, 0, &stave, 1, nullptr);
  key.SetNoteShift(key.GetShiftHeight(noteShiftKruis, 0), noteShiftKruis);
  TSinglePartMuz part;
  TMuzBar* bar = new TMuzBar(&part, 8, 12, 0);
  TLoopPartSymbol sign(nullptr, loopSideRight);
  int32_t keyNext = 0, keyRight = 0, barNext = 0, signNext = 0;
  DrawKey(canvas, key, 50, staves[0], keyNext, keyRight, false);
  DrawMuzBar(canvas, *bar, 150, staves, barNext, false);
  DrawLoopPartSymbol(canvas, sign, 3, 250, staves, signNext, false);
  // The distance just outside and just inside each end of the range, and the advance beyond it.
  EXPECT_EQ((std::vector<int32_t>{key.GetXDistance(49), key.GetXDistance(50), key.GetXDistance(keyRight),
                                  key.GetXDistance(keyRight + 1), keyNext - keyRight}),
            (std::vector<int32_t>{1, 0, 0, 1, 2}));
  EXPECT_EQ((std::vector<int32_t>{bar->GetXDistance(147), bar->GetXDistance(148), bar->GetXDistance(barNext + 2),
                                  bar->GetXDistance(barNext + 3)}),
            (std::vector<int32_t>{1, 0, 0, 1}));
  EXPECT_EQ((std::vector<int32_t>{sign.GetXDistance(247), sign.GetXDistance(248), sign.GetXDistance(signNext),
                                  sign.GetXDistance(signNext + 1)}),
            (std::vector<int32_t>{1, 0, 0, 1}));
}

// Every element the writer can store draws: a tuplet member whose slot 0 is held by no note of
// its stave leaves that slot's chord empty, which has no dots to ask for.
TEST(PartMuzDraw, AFileOfEveryElementDraws) {
  TUnitMuz unit((std::filesystem::path(__FILE__).parent_path() / "data" / "every_element.kvm").string());
  std::string error;
  ASSERT_TRUE(unit.LoadFromFile(error)) << error;
  RecordingCanvas canvas;
  RecordingMuzWindow window{unit, kOrigin};
  window.StartLayout(0);
  window.DrawParts(canvas);
  EXPECT_FALSE(canvas.Of(CanvasCall::Line).empty());
}
