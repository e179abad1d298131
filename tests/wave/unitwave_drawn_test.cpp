#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fakes/fake_main_window.h"
#include "fakes/recording_view.h"
#include "foundation/assertion.h"
#include "foundation/global.h"
#include "sound_helpers.h"
#include "support/recording_sink.h"
#include "wave/drawnode.h"
#include "wave/unitwave.h"

namespace {

constexpr uint8_t kStraight = 0;
constexpr uint8_t kSmooth = 1;

// Control points linked as the wave window links them.
class Points {
 public:
  Points(std::initializer_list<TDrawNode> points) {
    for (const TDrawNode& p : points) {
      nodes_.push_back(std::make_unique<TDrawNode>(p.x, p.y));
      if (nodes_.size() > 1) nodes_[nodes_.size() - 2]->next = nodes_.back().get();
    }
  }
  const TDrawNode* First() const { return nodes_.front().get(); }

 private:
  std::vector<std::unique_ptr<TDrawNode>> nodes_;
};

// A new document's drawing on an area 100 pixels high.
Samples16 Draw(int32_t rate, int32_t left, int32_t right, const Points& points, uint8_t type) {
  TUnitWave doc("", waveFileProps(1, rate, 2));
  doc.MakeDrawnWave(left, 0, right, 100, points.First(), type);
  return Samples(doc.GetSound()->GetLeftWave());
}

}  // namespace

TEST(DrawnWave, OneSecondOfSixteenBitMonoAtTheDocumentsRate) {
  FakeMainWindow main;
  for (const int32_t rate : {22050, 5512}) {
    TUnitWave doc("", waveFileProps(1, rate, 1));
    const Points level{{0, 25}, {300, 25}};  // a quarter of the way down from the top
    doc.MakeDrawnWave(0, 0, 300, 100, level.First(), kStraight);
    EXPECT_EQ(std::pair(doc.GetBytesPerSample(), doc.GetChannels()), (std::pair<int16_t, int16_t>(2, 1)));
    EXPECT_EQ(Samples(doc.GetSound()->GetLeftWave()), Samples16(static_cast<size_t>(rate), 16383));
  }
}

TEST(DrawnWave, StraightSegmentsRampAndSmoothOnesLeaveAndReachTheirPointsFlat) {
  FakeMainWindow main;
  const Points fall{{0, 0}, {100, 100}};
  const Samples16 line = Draw(8000, 0, 100, fall, kStraight);
  const Samples16 curve = Draw(8000, 0, 100, fall, kSmooth);
  // The top is 32767 and the bottom -32767; half-way both cross 0.
  EXPECT_EQ(std::pair(line[0], curve[0]), (std::pair<int16_t, int16_t>(32767, 32767)));
  EXPECT_NEAR(line[4000], 0, 1);
  EXPECT_NEAR(curve[4000], 0, 1);
  EXPECT_NEAR(line[2000], 16383, 1);   // y = 25
  EXPECT_NEAR(curve[2000], 22527, 1);  // y = 100 * (3/16 - 2/64)
  EXPECT_NEAR(line[7999], -32759, 1);
  // Near its points the smooth curve barely moves; the straight one falls at one rate throughout.
  EXPECT_LT(curve[0] - curve[10], 5);
  EXPECT_NEAR(line[0] - line[10], line[3990] - line[4000], 1);
  // A later segment is measured from its own first point: half-way it crosses 0 as well.
  EXPECT_NEAR(Draw(1000, 0, 100, Points{{0, 100}, {50, 100}, {100, 0}}, kSmooth)[750], 0, 1);
}

TEST(DrawnWave, ThePointsDecideAtTheSameXAndBeyondTheEnds) {
  FakeMainWindow main;
  for (const uint8_t type : {kStraight, kSmooth}) {
    // Two points at the same x: the second one's height, without dividing by their distance.
    EXPECT_EQ(Draw(1000, 0, 100, Points{{0, 20}, {0, 80}, {100, 80}}, type), Samples16(1000, -19660));
    // Before the first point and after the last the curve keeps their heights.
    EXPECT_EQ(At(Draw(1000, 0, 100, Points{{20, 0}, {60, 100}}, type), {0, 199, 600, 999}),
              (Samples16{32767, 32767, -32767, -32767}));
  }
  EXPECT_THROW(Draw(1000, 0, 100, Points{{0, 20}, {0, 80}}, 2), AssertionFailure);  // even with nothing to curve
}

TEST(DrawnWave, ADrawingMarksTheDocumentModifiedButNeitherRepaintsNorTouchesAnUndoRecord) {
  FakeMainWindow main;
  RecordingView view;
  TUnitWave doc("a.wav", std::make_unique<MonoSound>(22050, 2));  // saved and empty
  doc.SetView(&view);
  Sound* const empty = doc.GetSound();
  const Points one{{10, 10}};
  doc.MakeDrawnWave(0, 0, 100, 100, one.First(), kStraight);
  doc.MakeDrawnWave(0, 0, 100, 100, nullptr, kStraight);
  EXPECT_EQ(std::pair(doc.GetSound(), doc.NeedsSave()), std::pair(empty, false));  // fewer than two points: nothing

  RecordingSink sink;
  const Points two{{0, 10}, {50, 90}};
  {
    const ScopedSampleBudget budget(SampleBytesInUse() + 1000);
    doc.MakeDrawnWave(0, 0, 50, 100, two.First(), kStraight);
  }
  EXPECT_EQ(std::tuple(sink.messages.size(), doc.GetSound(), doc.GetState()),
            std::tuple(size_t{1}, empty, kUnitStateSaved));

  // A record of another document survives; one that keeps this document's present sound keeps
  // it alive, so Undo exchanges the drawing for it and a second Undo gives the drawing back.
  TUnitWave other("b.wav", std::make_unique<MonoSound>(22050, 2));
  main.undo.Push(&other);
  doc.MakeDrawnWave(0, 0, 50, 100, two.First(), kStraight);
  EXPECT_EQ(main.undo.GetUnitWave(), &other);
  const Samples16 straight = Samples(doc.GetSound()->GetLeftWave());
  main.undo.Push(&doc);
  doc.MakeDrawnWave(0, 0, 50, 100, two.First(), kSmooth);
  EXPECT_EQ(std::tuple(doc.GetValues(), main.undo.GetUnitWave(), doc.GetState(), view.calls.empty()),
            std::tuple(22050, &doc, kUnitStateModified, true));
  const Samples16 smooth = Samples(doc.GetSound()->GetLeftWave());
  main.undo.Restore();
  EXPECT_EQ(Samples(doc.GetSound()->GetLeftWave()), straight);
  main.undo.Restore();
  EXPECT_EQ(Samples(doc.GetSound()->GetLeftWave()), smooth);
  EXPECT_NE(straight, smooth);

  TUnitWave fresh("", waveFileProps(1, 22050, 2));
  fresh.MakeDrawnWave(0, 0, 50, 100, two.First(), kStraight);
  EXPECT_TRUE(fresh.IsNew() && fresh.NeedsSave());  // saving it still asks for a name
}
