// Where a take's blocks go, from timing made up as the sound server would report it.
#include "gui/takeplan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// A frame a millisecond, so that frames and milliseconds read alike.
constexpr int32_t kRate = 1000;
constexpr int64_t kFrameBytes = 2;
constexpr int64_t kBlockFrames = 40;
constexpr int64_t kStartUs = 10'000'000;  // where Record started on the steady clock

// An input delivering in blocks: each stretch of sound it captured starts at `capturedMs` (in
// take time) and runs `frames` at the input's `speed`.
struct Stretch {
  double capturedMs;
  int64_t frames;
};

struct Input {
  std::vector<Stretch> stretches;
  double speed = 1.0;
  // The server hangs from this take time for `hungMs`, and then sends what it held at once.
  double hangsAtMs = -1;
  double hungMs = 0;
  int jitterMs = 3;  // each arrival is late by up to this, as a busy machine makes it
};

TakeTiming TimingOf(const Input& input, int64_t ranMs) {
  TakeTiming timing;
  timing.rate = kRate;
  timing.frameBytes = kFrameBytes;
  timing.ranUs = ranMs * 1000;
  timing.runs = {{kStartUs, 0}};
  std::mt19937 random(7);
  std::uniform_int_distribution<int> jitter(0, input.jitterMs * 1000);
  int64_t frame = 0;
  for (const Stretch& stretch : input.stretches) {
    for (int64_t done = 0; done < stretch.frames; done += kBlockFrames) {
      const int64_t frames = std::min(kBlockFrames, stretch.frames - done);
      timing.blocks.push_back(frame * kFrameBytes);
      frame += frames;
      // The block arrives once its last frame is captured, later while the server hangs.
      double arrivedMs = stretch.capturedMs + static_cast<double>(done + frames) / input.speed;
      if (arrivedMs >= input.hangsAtMs && arrivedMs < input.hangsAtMs + input.hungMs) {
        arrivedMs = input.hangsAtMs + input.hungMs;
      }
      const auto arrivedUs = kStartUs + static_cast<int64_t>(std::llround(arrivedMs * 1000)) + 2000 + jitter(random);
      timing.bounds.push_back({frame * kFrameBytes, arrivedUs - frame * 1000});
    }
  }
  timing.arrivedBytes = frame * kFrameBytes;
  return timing;
}

int64_t SilenceOf(const TakePlan& plan) {
  int64_t frames = 0;
  for (const TakeGap& gap : plan.gaps) frames += gap.frames;
  return frames;
}

}  // namespace

TEST(TakePlan, MeasuresTheInputsClockWhateverItMissesAndKeepsItsStartAndEnd) {
  struct Road {
    const char* name;
    Input input;
    double drift;      // what the plan must measure
    int64_t silence;   // the time the input missed
  };
  // An input that misses 40 ms of every 200 ms, 20 s long.
  Input missing;
  for (int k = 0; k < 100; ++k) missing.stretches.push_back({k * 200.0, 160});
  // One that delivers whole through a 10 s hang of the server.
  Input stalled{{{0, 30000}}};
  stalled.hangsAtMs = 5000;
  stalled.hungMs = 10000;
  Input longStall = stalled;
  longStall.hungMs = 20000;
  // One that misses 30 ms now and then, each too short for silence of its own.
  Input shortMisses;
  for (int k = 0; k < 21; ++k) shortMisses.stretches.push_back({k * 1030.0, 1000});
  const Road roads[] = {
      {"steady", {{{0, 30000}}}, 0, 0},
      {"5 % fast", {{{0, 31500}}, 1.05}, 1 / 1.05 - 1, 0},
      {"5 % slow", {{{0, 28500}}, 0.95}, 1 / 0.95 - 1, 0},
      {"100 ppm slow", {{{0, 29997}}, 0.9999}, 1 / 0.9999 - 1, 0},
      {"missing 40 ms of every 200 ms", missing, 0, 100 * 40 - 40},
      {"a 10 s hang", stalled, 0, 0},
      {"a 20 s hang", longStall, 0, 0},
      {"10 minutes 100 ppm fast", {{{0, 600060}}, 1.0001}, 1 / 1.0001 - 1, 0},
      {"30 ms missed every second", shortMisses, 0, 20 * 30},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    const int64_t ranMs = road.input.stretches.back().capturedMs +
                          static_cast<double>(road.input.stretches.back().frames) / road.input.speed;
    const TakePlan plan = PlanTake(TimingOf(road.input, ranMs));
    // Short stretches between misses tell the input's clock less closely than a long one.
    EXPECT_NEAR(plan.drift, road.drift, road.input.stretches.size() > 1 ? 1e-3 : 2e-5);
    // Missed time short of the least gap is still carried when the take ends.
    EXPECT_NEAR(SilenceOf(plan), road.silence, 60);
    // Every frame delivered is kept, from the first on.
    int64_t delivered = 0;
    for (const Stretch& stretch : road.input.stretches) delivered += stretch.frames;
    EXPECT_LE(plan.lead, 5);
    EXPECT_NEAR(plan.takeEnd - SilenceOf(plan), delivered, 10);
    // Silence goes in where the input missed time, so no sound sits 60 ms from its place.
    int64_t missed = 0;
    int64_t frame = 0;
    size_t gap = 0;
    int64_t putIn = 0;
    for (const Stretch& stretch : road.input.stretches) {
      missed = static_cast<int64_t>(stretch.capturedMs) - frame;
      while (gap < plan.gaps.size() && plan.gaps[gap].atFrame <= frame) putIn += plan.gaps[gap++].frames;
      EXPECT_LT(std::abs(missed - putIn), 60) << "at frame " << frame;
      frame += stretch.frames;
    }
  }
}

TEST(TakePlan, PutsSilenceWhereTheInputMissedTimeAndCutsWhatLiesOutsideTheTake) {
  struct Road {
    const char* name;
    std::vector<Stretch> stretches;
    int64_t ranMs;
    std::vector<TakeGap> gaps;
    int64_t lead;
    int64_t takeEnd;
  };
  const Road roads[] = {
      // The sound after a drop-out comes after its silence, not a block before it.
      {"a drop-out", {{0, 1000}, {1500, 1000}}, 2500, {{1000, 500}}, 0, 2500},
      {"a drop-out on the last block before Stop", {{0, 1000}, {1500, 40}}, 1620, {{1000, 500}, {1040, 78}}, 0, 1620},
      {"an end less than 60 ms short", {{0, 1000}}, 1050, {}, 0, 1000},
      {"an end 100 ms short", {{0, 1000}}, 1100, {{1000, 100}}, 0, 1100},
      {"sound captured after Stop", {{0, 1000}, {1500, 400}}, 1200, {{1000, 200}}, 0, 1200},
      // What was captured before the take is cut with the time it missed there.
      {"a step inside the front that is cut", {{-500, 200}, {-100, 1100}}, 1000, {}, 300, 1000},
      {"an input that delivers late", {{300, 700}}, 1000, {{0, 300}}, 0, 1000},
      {"a Stop inside the front that is cut", {{-500, 400}, {200, 400}}, 100, {{400, 100}}, 400, 100},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    Input input;
    input.stretches = road.stretches;
    input.jitterMs = 0;
    const TakePlan plan = PlanTake(TimingOf(input, road.ranMs));
    ASSERT_EQ(plan.gaps.size(), road.gaps.size());
    for (size_t k = 0; k < road.gaps.size(); ++k) {
      EXPECT_EQ(plan.gaps[k].atFrame, road.gaps[k].atFrame) << "gap " << k;
      EXPECT_NEAR(plan.gaps[k].frames, road.gaps[k].frames, 3) << "gap " << k;
    }
    EXPECT_NEAR(plan.lead, road.lead, 3);
    EXPECT_NEAR(plan.takeEnd, road.takeEnd, 3);
  }
}

TEST(TakePlan, TimingThatComesOutOfOrderPlacesTheTakeAsInOrder) {
  Input input;
  input.stretches = {{0, 2000}, {2400, 2000}};
  TakeTiming timing = TimingOf(input, 4400);
  const TakePlan inOrder = PlanTake(timing);
  std::reverse(timing.bounds.begin(), timing.bounds.end());
  std::swap(timing.bounds[3], timing.bounds[40]);
  const TakePlan outOfOrder = PlanTake(timing);
  ASSERT_EQ(outOfOrder.gaps.size(), 1u);
  EXPECT_EQ(outOfOrder.gaps[0].atFrame, inOrder.gaps[0].atFrame);
  EXPECT_EQ(outOfOrder.gaps[0].frames, inOrder.gaps[0].frames);
  EXPECT_EQ(outOfOrder.takeEnd, inOrder.takeEnd);
}
