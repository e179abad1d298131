// Where a take's blocks go, from timing made up as the sound server would report it.
#include "gui/takeplan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <tuple>
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

namespace {

// Timing as the server gives it for an input it reads as the sound comes, at 10 kHz: a block of
// what came in every 2 ms, each with the bound of its arrival, late by a millisecond and a little
// jitter. The take's truth is when each frame was captured.
constexpr int32_t kFineRate = 10000;
constexpr int64_t kFineBlockUs = 2000;

struct Capture {
  double speed = 1.0;
  double ranMs = 30000;
  // The input misses the last `missMs` of every `everyMs`, and each hole {at, ms} (milliseconds
  // of the take).
  double missMs = 0;
  double everyMs = 0;
  std::vector<std::pair<double, double>> holes;
  double jitterMs = 0.3;
  // The program is held from `holdAtMs` for `holdMs`: the server keeps the first `keptMs` of what
  // came in meanwhile, drops the rest and sends what it kept when the program goes on, with its
  // timing of where the stream then stands.
  double holdAtMs = -1;
  double holdMs = 0;
  double keptMs = 0;
};

struct Captured {
  TakeTiming timing;
  std::vector<double> capturedMs;  // each frame of the stream: when it was captured, in the take
  int64_t before = 0;              // frames captured before Record
};

Captured CaptureOf(const Capture& input, bool throughThePlayer) {
  Captured take;
  TakeTiming& timing = take.timing;
  timing.rate = kFineRate;
  timing.frameBytes = kFrameBytes;
  timing.ranUs = static_cast<int64_t>(input.ranMs * 1000);
  timing.runs = {{kStartUs, 0}};
  std::mt19937 random(11);
  std::uniform_real_distribution<double> jitter(0, input.jitterMs * 1000);
  const auto missed = [&](double us) {
    if (input.everyMs > 0 && std::fmod(us / 1000 + 1e6 * input.everyMs, input.everyMs) >= input.everyMs - input.missMs) {
      return true;
    }
    for (const auto& [at, ms] : input.holes) {
      if (us >= at * 1000 && us < (at + ms) * 1000) return true;
    }
    const double held = input.holdAtMs * 1000;
    return us >= held + input.keptMs * 1000 && us < held + input.holdMs * 1000;
  };
  struct Arrival {
    double us;
    CaptureBound bound;
  };
  std::vector<Arrival> arrivals;
  const double frameUs = 1e6 / kFineRate / input.speed;
  double at = -300'000;  // the next frame's time
  int64_t blockStart = 0;
  for (double us = at; us < static_cast<double>(timing.ranUs) + 100'000; us += kFineBlockUs) {
    for (; at < us + kFineBlockUs; at += frameUs) {
      if (missed(at)) continue;
      take.capturedMs.push_back(at / 1000);
      if (at < 0) ++take.before;
    }
    const double goesOnUs = (input.holdAtMs + input.holdMs) * 1000;
    if (input.holdAtMs >= 0 && us <= goesOnUs && goesOnUs < us + kFineBlockUs) {
      // The server's own timing as the program goes on: its stream stands where what it kept ends.
      const auto placeUs = static_cast<double>(blockStart) * 1e6 / kFineRate;
      arrivals.push_back({goesOnUs, {blockStart * kFrameBytes, kStartUs + std::llround(goesOnUs - placeUs), true}});
    }
    const auto end = static_cast<int64_t>(take.capturedMs.size());
    if (end == blockStart) continue;
    if (end - blockStart >= 2 && (timing.blocks.empty() || std::fmod(us, 1e6) < kFineBlockUs)) {
      // The server's own timing, as it comes now and then: where its stream stood amid a block.
      const int64_t mark = (blockStart + end) / 2;
      const double markUs = take.capturedMs[static_cast<size_t>(mark)] * 1000 + 100;
      arrivals.push_back({markUs, {mark * kFrameBytes, kStartUs + std::llround(markUs - static_cast<double>(mark) * 1e6 / kFineRate), true}});
    }
    timing.blocks.push_back(blockStart * kFrameBytes);
    blockStart = end;
    double arrivedUs = take.capturedMs.back() * 1000 + 200 + jitter(random);
    if (arrivedUs >= input.holdAtMs * 1000 && arrivedUs < goesOnUs) arrivedUs = goesOnUs + 1000 + jitter(random);
    arrivals.push_back({arrivedUs, {end * kFrameBytes, kStartUs + std::llround(arrivedUs - static_cast<double>(end) * 1e6 / kFineRate)}});
  }
  timing.arrivedBytes = blockStart * kFrameBytes;
  std::stable_sort(arrivals.begin(), arrivals.end(), [](const Arrival& a, const Arrival& b) { return a.us < b.us; });
  for (const Arrival& arrival : arrivals) {
    if (throughThePlayer) {
      KeepBound(timing.bounds, arrival.bound, kFineRate, kFrameBytes);
    } else {
      timing.bounds.push_back(arrival.bound);
    }
  }
  return take;
}

}  // namespace

TEST(TakePlan, PutsEverySampleWhereItWasCapturedWhateverTheInputsRateAndHoweverShortEachMiss) {
  struct Road {
    const char* name;
    Capture input;
  };
  Capture fastMissing;
  fastMissing.speed = 1.05;
  fastMissing.ranMs = 20000;
  fastMissing.missMs = 30;
  fastMissing.everyMs = 500;
  Capture shortMisses;
  shortMisses.ranMs = 15000;
  shortMisses.missMs = 10;
  shortMisses.everyMs = 1000;
  shortMisses.jitterMs = 3;
  Capture tinyMisses;
  tinyMisses.ranMs = 20000;
  tinyMisses.missMs = 6.8;
  tinyMisses.everyMs = 50;
  Capture oneHole;
  oneHole.speed = 1.02;
  oneHole.ranMs = 20000;
  oneHole.holes = {{10000, 32}};
  Capture held;
  held.ranMs = 60000;
  held.holdAtMs = 10000;
  held.holdMs = 30000;
  held.keptMs = 24500;
  const auto steady = [](double speed) {
    Capture input;
    input.speed = speed;
    return input;
  };
  const Road roads[] = {
      {"6.5 % fast", steady(1.065)},
      {"8 % fast", steady(1.08)},
      {"10 % fast", steady(1.10)},
      {"12 % slow", steady(0.88)},
      {"5 % fast missing 30 ms of every 500 ms", fastMissing},
      {"missing 10 ms every second, jittery", shortMisses},
      {"missing 6.8 ms of every 50 ms", tinyMisses},
      {"2 % fast with one 32 ms hole", oneHole},
      {"the program held longer than the server keeps", held},
  };
  for (const bool throughThePlayer : {false, true}) {
    for (const Road& road : roads) {
      SCOPED_TRACE(std::string(road.name) + (throughThePlayer ? ", as the player keeps its bounds" : ""));
      const Captured take = CaptureOf(road.input, throughThePlayer);
      const TakePlan plan = PlanTake(take.timing);
      const double speed = road.input.speed;
      EXPECT_NEAR(plan.drift, 1 / speed - 1, 2e-4);
      // Only what was captured before Record is cut.
      EXPECT_NEAR(plan.lead, take.before, 5);
      // Each frame sits where it was captured, on the input's clock: never further off than the
      // missed time carried until it adds up to the least gap, and one miss more.
      const double missMs = std::max({road.input.missMs, road.input.holes.empty() ? 0 : road.input.holes[0].second});
      const double framesPerMs = kFineRate * speed / 1000;
      double worstMs = 0;
      int64_t worstFrame = 0;
      size_t gap = 0;
      int64_t silence = 0;
      for (auto frame = static_cast<int64_t>(plan.lead); frame < static_cast<int64_t>(take.capturedMs.size()); ++frame) {
        while (gap < plan.gaps.size() && plan.gaps[gap].atFrame <= frame) silence += plan.gaps[gap++].frames;
        const int64_t placed = frame - plan.lead + silence;
        if (placed >= plan.takeEnd) break;
        const double offMs = std::abs(static_cast<double>(placed) / framesPerMs - take.capturedMs[static_cast<size_t>(frame)]);
        if (offMs > worstMs) {
          worstMs = offMs;
          worstFrame = frame;
        }
      }
      EXPECT_LE(worstMs, kLeastTakeGapUs / 1000.0 + missMs + 2) << "frame " << worstFrame;
      // The take lasts as long as Record ran, on the input's clock.
      EXPECT_NEAR(static_cast<double>(plan.takeEnd) / framesPerMs, road.input.ranMs, 60);
      if (missMs == 0 && road.input.holdAtMs < 0) {
        EXPECT_TRUE(plan.gaps.empty());
      }
    }
  }
}

TEST(TakePlan, KeepsTheBoundsOfSoundDeliveredAsCapturedAndDropsWhatABurstMakesIdle) {
  std::vector<CaptureBound> bounds;
  // An input 10 % fast: each later bound lies lower, and still says something of its sound.
  for (int64_t k = 1; k <= 100; ++k) {
    KeepBound(bounds, {k * 40, 1'000'000 - k * 20'000 / 11}, 1000, 2);
  }
  EXPECT_EQ(bounds.size(), 100u);
  // Held back and delivered at once: only the last bound of the burst is left.
  bounds.clear();
  for (int64_t k = 1; k <= 100; ++k) KeepBound(bounds, {k * 40, 1'000'000 - k * 20'000 + k * 10}, 1000, 2);
  ASSERT_EQ(bounds.size(), 1u);
  EXPECT_EQ(bounds[0].endByte, 4000);
  // A bound for sound already bounded tighter says nothing more.
  KeepBound(bounds, {3000, 1'000'000}, 1000, 2);
  EXPECT_EQ(bounds.size(), 1u);
}

TEST(TakePlan, TimingOfNoFormatPlacesNothing) {
  Input input;
  input.stretches = {{0, 400}};
  const TakeTiming timing = TimingOf(input, 400);
  for (const auto& [rate, frameBytes, runs] : {std::tuple{0, kFrameBytes, true}, std::tuple{kRate, int64_t{0}, true},
                                               std::tuple{kRate, kFrameBytes, false}}) {
    TakeTiming odd = timing;
    odd.rate = rate;
    odd.frameBytes = frameBytes;
    if (!runs) odd.runs.clear();
    const TakePlan plan = PlanTake(odd);
    EXPECT_TRUE(plan.gaps.empty() && plan.lead == 0 && plan.takeEnd == 0) << rate << " " << frameBytes << " " << runs;
    std::vector<CaptureBound> bounds = timing.bounds;
    KeepBound(bounds, {1, 0}, rate, frameBytes);
    EXPECT_EQ(bounds.size(), timing.bounds.size() + (rate > 0 && frameBytes > 0 ? 1 : 0));
  }
}
