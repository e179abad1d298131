#include <gtest/gtest.h>

#include <cstdint>
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

// A list of control points linked as the wave window links them.
class Points {
 public:
  Points(std::initializer_list<std::pair<double, double>> points) {
    for (const auto& [x, y] : points) {
      nodes_.push_back(std::make_unique<TDrawNode>(x, y));
      if (nodes_.size() > 1) {
        nodes_[nodes_.size() - 2]->next = nodes_.back().get();
        nodes_.back()->prev = nodes_[nodes_.size() - 2].get();
      }
    }
  }
  const TDrawNode* First() const { return nodes_.empty() ? nullptr : nodes_.front().get(); }

 private:
  std::vector<std::unique_ptr<TDrawNode>> nodes_;
};

TUnitWave EmptyDocument(int32_t rate, int16_t bytes = 2) { return TUnitWave("", waveFileProps(1, rate, bytes)); }

std::vector<int16_t> Drawn(const TUnitWave& doc) { return Samples(doc.GetSound()->GetLeftWave()); }

}  // namespace

TEST(DrawnWave, OneSecondOfSixteenBitMonoAtTheDocumentsRate) {
  FakeMainWindow main;
  for (const int32_t rate : {22050, 5512}) {
    TUnitWave doc = EmptyDocument(rate, 1);
    // Two points at the same height: a constant wave, a quarter of the way down from full scale.
    const Points level{{0, 25}, {300, 25}};
    doc.MakeDrawnWave(0, 0, 300, 100, level.First(), kStraight);
    EXPECT_EQ(doc.GetValues(), rate);
    EXPECT_EQ(doc.GetBytesPerSample(), 2);
    EXPECT_EQ(doc.GetChannels(), 1);
    EXPECT_EQ(doc.GetSamplesPerSec(), static_cast<uint32_t>(rate));
    EXPECT_EQ(Drawn(doc), std::vector<int16_t>(static_cast<size_t>(rate), 16383));
  }
}

TEST(DrawnWave, StraightSegmentsRampAndSmoothOnesLeaveAndReachTheirPointsFlat) {
  FakeMainWindow main;
  const Points fall{{0, 0}, {100, 100}};
  TUnitWave straight = EmptyDocument(8000);
  straight.MakeDrawnWave(0, 0, 100, 100, fall.First(), kStraight);
  TUnitWave smooth = EmptyDocument(8000);
  smooth.MakeDrawnWave(0, 0, 100, 100, fall.First(), kSmooth);
  const std::vector<int16_t> line = Drawn(straight);
  const std::vector<int16_t> curve = Drawn(smooth);
  ASSERT_EQ(line.size(), 8000u);
  ASSERT_EQ(curve.size(), 8000u);

  // The top is 32767, the bottom -32767; half-way both cross 0.
  EXPECT_EQ(line[0], 32767);
  EXPECT_EQ(curve[0], 32767);
  EXPECT_NEAR(line[4000], 0, 1);
  EXPECT_NEAR(curve[4000], 0, 1);
  EXPECT_NEAR(line[2000], 16383, 1);   // y = 25
  EXPECT_NEAR(curve[2000], 22527, 1);  // y = 100 * (3/16 - 2/64)
  EXPECT_NEAR(line[7999], -32767 + 8, 1);
  EXPECT_LT(curve[7999], -32760);
  // Near its points the smooth curve barely moves; the straight one falls at the same rate throughout.
  EXPECT_LT(curve[0] - curve[10], 5);
  EXPECT_NEAR(line[0] - line[10], line[3990] - line[4000], 1);
  for (size_t i = 1; i < curve.size(); ++i) ASSERT_LE(curve[i], curve[i - 1]) << i;
}

TEST(DrawnWave, ThePointsThemselvesDecideBetweenAndBeyondThem) {
  FakeMainWindow main;
  for (const uint8_t type : {kStraight, kSmooth}) {
    // Two points at the same x: the second one's height holds from there on.
    const Points jump{{0, 20}, {0, 80}, {100, 80}};
    TUnitWave doc = EmptyDocument(1000);
    doc.MakeDrawnWave(0, 0, 100, 100, jump.First(), type);
    EXPECT_EQ(Drawn(doc), std::vector<int16_t>(1000, -19660)) << int{type};

    // An area wider than the points: before the first and after the last the curve holds their heights.
    const Points inner{{20, 0}, {60, 100}};
    TUnitWave wide = EmptyDocument(1000);
    wide.MakeDrawnWave(0, 0, 100, 100, inner.First(), type);
    const std::vector<int16_t> samples = Drawn(wide);
    EXPECT_EQ(samples[0], 32767);
    EXPECT_EQ(samples[199], 32767);
    EXPECT_EQ(samples[600], -32767);
    EXPECT_EQ(samples[999], -32767);
  }
}

TEST(DrawnWave, FewerThanTwoPointsChangeNothing) {
  FakeMainWindow main;
  TUnitWave doc("a.wav", std::make_unique<MonoSound>(MakeWave({1, 2, 3}), 22050, 1));
  const Sound* before = doc.GetSound();
  const Points one{{10, 10}};
  doc.MakeDrawnWave(0, 0, 100, 100, one.First(), kStraight);
  doc.MakeDrawnWave(0, 0, 100, 100, nullptr, kSmooth);
  EXPECT_EQ(doc.GetSound(), before);
  EXPECT_EQ(doc.GetState(), kUnitStateSaved);
  EXPECT_FALSE(doc.NeedsSave());
}

TEST(DrawnWave, ADrawingMarksTheDocumentModifiedAndDropsItsUndoRecordButDoesNotRepaint) {
  FakeMainWindow main;
  RecordingView view;
  TUnitWave doc("a.wav", std::make_unique<MonoSound>(22050, 2));  // saved and empty
  doc.SetView(&view);
  main.undo.Push(&doc);  // the record keeps the present sound
  const Points points{{0, 10}, {50, 90}};
  doc.MakeDrawnWave(0, 0, 50, 100, points.First(), kSmooth);
  EXPECT_EQ(doc.GetValues(), 22050);
  EXPECT_FALSE(main.undo.Exists());
  EXPECT_EQ(doc.GetState(), kUnitStateModified);
  EXPECT_TRUE(doc.NeedsSave());
  EXPECT_TRUE(view.calls.empty());

  // A new document stays new, so saving it still asks for a name.
  TUnitWave fresh = EmptyDocument(22050);
  fresh.MakeDrawnWave(0, 0, 50, 100, points.First(), kStraight);
  EXPECT_TRUE(fresh.IsNew());
  EXPECT_TRUE(fresh.NeedsSave());
}

TEST(DrawnWave, WithoutMemoryTheDocumentKeepsItsSound) {
  FakeMainWindow main;
  RecordingSink sink;
  TUnitWave doc("a.wav", std::make_unique<MonoSound>(22050, 1));
  const Sound* before = doc.GetSound();
  const Points points{{0, 10}, {50, 90}};
  {
    const ScopedSampleBudget budget(SampleBytesInUse() + 1000);
    doc.MakeDrawnWave(0, 0, 50, 100, points.First(), kStraight);
  }
  EXPECT_TRUE(doc.GetAbort());
  EXPECT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(doc.GetSound(), before);
  EXPECT_EQ(doc.GetState(), kUnitStateSaved);

  // The next drawing starts afresh.
  doc.MakeDrawnWave(0, 0, 50, 100, points.First(), kStraight);
  EXPECT_EQ(doc.GetValues(), 22050);
}

TEST(DrawnWave, AnUnknownCurveTypeIsAProgrammingError) {
  FakeMainWindow main;
  TUnitWave doc = EmptyDocument(100);
  const Points points{{0, 10}, {50, 90}};
  EXPECT_THROW(doc.MakeDrawnWave(0, 0, 50, 100, points.First(), 2), AssertionFailure);
  EXPECT_EQ(doc.GetValues(), 0);
}

TEST(DrawNode, ANewPointIsVisibleAloneAndMeasuresStraightLineDistance) {
  const TDrawNode node(3, 4);
  EXPECT_DOUBLE_EQ(node.Distance(0, 0), 5.0);
  EXPECT_DOUBLE_EQ(node.Distance(3, 4), 0.0);
  EXPECT_TRUE(node.visible);
  EXPECT_EQ(node.next, nullptr);
  EXPECT_EQ(node.prev, nullptr);
}
