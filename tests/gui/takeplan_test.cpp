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
  // The input's rate changes to each {speed} from each {ms of the take} on.
  std::vector<std::pair<double, double>> changes;
  double ranMs = 30000;
  // The input misses the last `missMs` of every `everyMs`, and each hole {at, ms} (milliseconds
  // of the take).
  double missMs = 0;
  double everyMs = 0;
  std::vector<std::pair<double, double>> holes;
  // Sound the input sends at once: what it captured over a burst reaches the server at its end,
  // or, sent ahead, all at its start, the input then waiting until its clock catches up.
  struct Burst {
    double atMs;
    double ms;
    bool ahead;
  };
  std::vector<Burst> bursts;
  double jitterMs = 0.3;
  // The program (or the server) is held from `atMs` for `ms`: the server keeps the first `keptMs`
  // of what came in meanwhile, drops the rest and sends what it kept when it goes on, with its
  // timing of where the stream then stands. A held server gives no timing meanwhile, and is slow
  // for a while after.
  struct Hold {
    double atMs;
    double ms;
    double keptMs;
    bool server = false;
    bool untimed = false;  // the program gets none of the server's timing meanwhile (it is stopped)
  };
  std::vector<Hold> holds;
  int64_t frameBytes = kFrameBytes;
  double startMs = -300;  // when the input starts, by the take's time
};

struct Captured {
  TakeTiming timing;
  std::vector<double> inputMs;  // each frame of the stream: when the input's clock, which is the take's, captured it
  int64_t before = 0;              // frames captured before Record
  int64_t missed = 0;              // frames the input missed while Record ran
  double ranInputMs = 0;           // how long Record ran by the input's clock
};

Captured CaptureOf(const Capture& input, bool throughThePlayer) {
  Captured take;
  TakeTiming& timing = take.timing;
  const int64_t frameBytes = input.frameBytes;
  timing.rate = kFineRate;
  timing.frameBytes = frameBytes;
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
    return std::any_of(input.holds.begin(), input.holds.end(), [us](const Capture::Hold& hold) {
      return us >= (hold.atMs + hold.keptMs) * 1000 && us < (hold.atMs + hold.ms) * 1000;
    });
  };
  const auto speedAt = [&](double us) {
    double speed = input.speed;
    for (const auto& [from, to] : input.changes) {
      if (us >= from * 1000) speed = to;
    }
    return speed;
  };
  const auto deliveredUs = [&](double us) {
    for (const Capture::Burst& burst : input.bursts) {
      if (us >= burst.atMs * 1000 && us < (burst.atMs + burst.ms) * 1000) {
        return (burst.atMs + (burst.ahead ? 0 : burst.ms)) * 1000;
      }
    }
    return us;
  };
  const auto heldAt = [&](double us) -> const Capture::Hold* {
    for (const Capture::Hold& hold : input.holds) {
      if (us >= hold.atMs * 1000 && us < (hold.atMs + hold.ms) * 1000) return &hold;
    }
    return nullptr;
  };
  struct Arrival {
    double us;
    CaptureBound bound;
  };
  std::vector<Arrival> arrivals;
  std::vector<double> delivered;  // when each frame reached the server
  double at = input.startMs * 1000;  // the next frame's time
  double inputUs = at * speedAt(at);
  int64_t blockStart = 0;
  for (double us = at; us < static_cast<double>(timing.ranUs) + 100'000; us += kFineBlockUs) {
    for (; deliveredUs(at) < us + kFineBlockUs; inputUs += 1e6 / kFineRate, at += 1e6 / kFineRate / speedAt(at)) {
      if (missed(at)) {
        if (at >= 0 && at < static_cast<double>(timing.ranUs)) ++take.missed;
        continue;
      }
      take.inputMs.push_back(inputUs / 1000);
      delivered.push_back(deliveredUs(at));
      if (at < 0) ++take.before;
    }
    if (at <= static_cast<double>(timing.ranUs)) take.ranInputMs = (inputUs + (timing.ranUs - at) * speedAt(at)) / 1000;
    for (const Capture::Hold& hold : input.holds) {
      const double goesOnUs = (hold.atMs + hold.ms) * 1000;
      if (us <= goesOnUs && goesOnUs < us + kFineBlockUs) {
        // The server's own timing as it goes on: its stream stands where what it kept ends.
        const auto placeUs = static_cast<double>(blockStart) * 1e6 / kFineRate;
        arrivals.push_back({goesOnUs, {blockStart * frameBytes, kStartUs + std::llround(goesOnUs - placeUs), true}});
      }
    }
    const auto end = static_cast<int64_t>(take.inputMs.size());
    if (end == blockStart) continue;
    const Capture::Hold* held = heldAt(us);
    if (end - blockStart >= 2 && (timing.blocks.empty() || std::fmod(us, 1e6) < kFineBlockUs) &&
        (held == nullptr || (!held->server && !held->untimed))) {
      // The server's own timing, as it comes now and then: where its stream stood amid a block.
      const int64_t mark = (blockStart + end) / 2;
      const double markUs = delivered[static_cast<size_t>(mark)] + 100;
      const double placeUs = static_cast<double>(mark) * 1e6 / kFineRate;
      arrivals.push_back({markUs, {mark * frameBytes, kStartUs + std::llround(markUs - placeUs), true}});
    }
    timing.blocks.push_back(blockStart * frameBytes);
    blockStart = end;
    double arrivedUs = delivered.back() + 200 + jitter(random);
    for (const Capture::Hold& hold : input.holds) {
      const double goesOnUs = (hold.atMs + hold.ms) * 1000;
      if (arrivedUs >= hold.atMs * 1000 && arrivedUs < goesOnUs) {
        arrivedUs = goesOnUs + 1000 + jitter(random);
      } else if (hold.server && arrivedUs >= goesOnUs) {
        arrivedUs += 200'000 * std::max(0.0, 1 - (arrivedUs - goesOnUs) / 2e6);
      }
    }
    const double placeUs = static_cast<double>(end) * 1e6 / kFineRate;
    arrivals.push_back({arrivedUs, {end * frameBytes, kStartUs + std::llround(arrivedUs - placeUs)}});
  }
  timing.arrivedBytes = blockStart * frameBytes;
  std::stable_sort(arrivals.begin(), arrivals.end(), [](const Arrival& a, const Arrival& b) { return a.us < b.us; });
  for (const Arrival& arrival : arrivals) {
    if (throughThePlayer) {
      KeepBound(timing.bounds, arrival.bound, kFineRate, frameBytes);
    } else {
      timing.bounds.push_back(arrival.bound);
    }
  }
  return take;
}

// Where the plan puts each captured frame against where the input's clock says it belongs: the
// worst, in milliseconds of the input's clock.
struct Placed {
  double worstMs = 0;
  int64_t worstFrame = 0;
};

Placed PlacedOf(const TakePlan& plan, const Captured& take) {
  Placed result;
  size_t gap = 0;
  int64_t silence = 0;
  for (auto frame = static_cast<int64_t>(plan.lead); frame < static_cast<int64_t>(take.inputMs.size()); ++frame) {
    while (gap < plan.gaps.size() && plan.gaps[gap].atFrame <= frame) silence += plan.gaps[gap++].frames;
    const int64_t placed = frame - plan.lead + silence;
    if (placed >= plan.takeEnd) break;
    const double placedMs = static_cast<double>(placed) * 1000 / kFineRate;
    const double offMs = std::abs(placedMs - take.inputMs[static_cast<size_t>(frame)]);
    if (offMs > result.worstMs) {
      result.worstMs = offMs;
      result.worstFrame = frame;
    }
  }
  return result;
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
  held.holds = {{10000, 30000, 24500}};
  // No timing places what the input missed while the program was held: it is missed time all the
  // same, never a slower rate.
  Capture heldMissing = fastMissing;
  heldMissing.speed = 1.08;
  heldMissing.ranMs = 60000;
  heldMissing.missMs = 10;
  heldMissing.holds = {{10000, 30000, 24500}};
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
      {"8 % fast missing 10 ms of every 500 ms, the program held 30 s", heldMissing},
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
      const Placed placed = PlacedOf(plan, take);
      EXPECT_LE(placed.worstMs / speed, kLeastTakeGapUs / 1000.0 + missMs + 2) << "frame " << placed.worstFrame;
      // The take lasts as long as Record ran, on the input's clock.
      EXPECT_NEAR(static_cast<double>(plan.takeEnd) / framesPerMs, road.input.ranMs, 60);
      if (missMs == 0 && road.input.holds.empty()) {
        EXPECT_TRUE(plan.gaps.empty());
      }
    }
  }
}

TEST(TakePlan, FollowsTheInputsRateAsItChangesCuttingNoSoundAndPuttingInSilenceOnlyForTimeMissed) {
  struct Road {
    const char* name;
    Capture input;
  };
  const auto changing = [](double speed, double to, double atMs) {
    Capture input;
    input.speed = speed;
    input.changes = {{atMs, to}};
    return input;
  };
  // The rate changes amid 1.6 s held back and sent at once; later, after a pause, 0.8 s is sent
  // ahead, the server's timing amid it.
  Capture atOnce = changing(1.0, 1.15, 10900);
  atOnce.bursts = {{10100, 1600, false}, {20000, 800, true}};
  atOnce.holes = {{19500, 10}};
  // The rate changes while the program is held, the server's timing still coming every second.
  Capture held = changing(1.0, 1.05, 15000);
  held.holds = {{5000, 20000, 20000}};
  // The rate changes while the program is stopped, so that no timing comes meanwhile, and sound
  // held back since just before it goes on is sent at once after.
  Capture stopped = changing(0.92, 1.03, 12000);
  stopped.holds = {{6000, 7000, 7000, false, true}};
  stopped.bursts = {{12800, 1000, false}};
  // Four bytes a frame: stereo, 16 bits.
  Capture stereo = changing(1.0, 1.08, 15000);
  stereo.frameBytes = 4;
  stereo.missMs = 20;
  stereo.everyMs = 700;
  // A rate that jumps among 0.9 to 1.12 every 2 to 20 s, pauses of 2 to 80 ms now and then, and
  // now and then 0.1 to 1 s sent at once; the program held 7 s, the server 9 s, the program 18 s.
  Capture jumpy;
  jumpy.ranMs = 61000;
  jumpy.holds = {{8000, 7000, 7000}, {23000, 9000, 400, true}, {40000, 18000, 18000}};
  std::mt19937 random(5);
  const auto draw = [&random](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  // Nothing happens while either is held: the time a server lost while the rate changed is
  // anyone's guess, and so is where a change falls within the server's delay settling after it.
  const auto clear = [&jumpy](double ms) {
    return std::none_of(jumpy.holds.begin(), jumpy.holds.end(), [ms](const Capture::Hold& hold) {
      return ms > hold.atMs - 1500 && ms < hold.atMs + hold.ms + 4000;
    });
  };
  jumpy.speed = draw(0.9, 1.12);
  for (double ms = draw(2000, 20000); ms < jumpy.ranMs; ms += draw(2000, 20000)) {
    const double speed = draw(0.9, 1.12);
    if (clear(ms)) jumpy.changes.push_back({ms, speed});
  }
  bool ahead = false;
  for (double ms = draw(1000, 6000); ms < jumpy.ranMs; ms += draw(2000, 6000)) {
    if (clear(ms)) jumpy.bursts.push_back({ms, draw(100, 1000), ahead = !ahead});
  }
  // A pause within what is sent at once could be anywhere in it.
  for (double ms = draw(300, 3000); ms < jumpy.ranMs; ms += draw(300, 3000)) {
    const double pauseMs = draw(2, 80);
    if (clear(ms) && std::none_of(jumpy.bursts.begin(), jumpy.bursts.end(), [&](const Capture::Burst& burst) {
          return ms + pauseMs > burst.atMs && ms < burst.atMs + burst.ms;
        })) {
      jumpy.holes.push_back({ms, pauseMs});
    }
  }
  const Road roads[] = {
      {"1.00, then 1.08 from 15 s", changing(1.0, 1.08, 15000)},
      {"0.95, then 1.05 from 15 s", changing(0.95, 1.05, 15000)},
      {"1.00, then 1.01 from 15 s", changing(1.0, 1.01, 15000)},
      {"1.00, then 1.03 for the last 5 s", changing(1.0, 1.03, 25000)},
      {"1.00, then 1.05 for the last 5 s", changing(1.0, 1.05, 25000)},
      {"0.70, then 1.50 from 15 s", changing(0.7, 1.5, 15000)},
      // Too little for the timing to tell a change: the server's own timing keeps the front.
      {"1.00, then 0.9982 from 3 s", changing(1.0, 0.9982, 3000)},
      {"a change amid sound sent at once", atOnce},
      {"a change while the program is held", held},
      {"a change while the program is stopped, sound sent at once as it goes on", stopped},
      {"stereo, 1.00, then 1.08 from 15 s, missing 20 ms of every 700 ms", stereo},
      {"a rate that jumps, pauses and bursts, with the program and the server held", jumpy},
  };
  for (const bool throughThePlayer : {false, true}) {
    for (const Road& road : roads) {
      SCOPED_TRACE(std::string(road.name) + (throughThePlayer ? ", as the player keeps its bounds" : ""));
      const Captured take = CaptureOf(road.input, throughThePlayer);
      const TakePlan plan = PlanTake(take.timing);
      // Nothing captured after Record started is cut, and every frame sits where the input's
      // clock puts it, off by no more than the missed time carried and one pause more.
      EXPECT_NEAR(plan.lead, take.before, 5);
      double missMs = road.input.missMs;
      for (const auto& [at, ms] : road.input.holes) missMs = std::max(missMs, ms);
      const Placed placed = PlacedOf(plan, take);
      EXPECT_LE(placed.worstMs, kLeastTakeGapUs / 1000.0 + missMs + 2) << "frame " << placed.worstFrame;
      // As long as Record ran by the input's clock, with no more silence than the time it missed.
      EXPECT_NEAR(static_cast<double>(plan.takeEnd) * 1000 / kFineRate, take.ranInputMs, 60);
      EXPECT_LE(SilenceOf(plan), take.missed + kLeastTakeGapUs * kFineRate / 1'000'000);
      if (take.missed == 0) {
        EXPECT_TRUE(plan.gaps.empty());
      }
    }
  }
}

// An input that nobody read before Record (a pipe the server leaves alone while it is idle) sends
// what it held back as Record starts, and the server puts all of it after the start.
TEST(TakePlan, SoundHeldBackBeforeRecordAndSentAsItStartsIsKeptWithAllCapturedBeforeStop) {
  Capture backlog;
  backlog.speed = 1.04;
  backlog.startMs = -3000;
  backlog.bursts = {{-3000, 3000, false}};
  backlog.holes = {{12000, 40}};
  for (const bool throughThePlayer : {false, true}) {
    SCOPED_TRACE(throughThePlayer ? "as the player keeps its bounds" : "every bound");
    const Captured take = CaptureOf(backlog, throughThePlayer);
    const TakePlan plan = PlanTake(take.timing);
    // Only what the server's own word puts before the start is cut: its word comes amid what was
    // sent at once.
    EXPECT_LT(plan.lead, take.before);
    const auto beforeStop = std::count_if(take.inputMs.begin(), take.inputMs.end(),
                                          [&](double ms) { return ms < take.ranInputMs; });
    EXPECT_NEAR(static_cast<double>(plan.takeEnd), static_cast<double>(beforeStop - plan.lead), 0.06 * kFineRate);
    EXPECT_TRUE(plan.gaps.empty());
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

TEST(TakePlan, TimingFarOffStillGivesATakeThePlayerCanPlace) {
  Input input;
  input.stretches = {{0, 2000}, {2400, 2000}};
  const TakeTiming timing = TimingOf(input, 4400);
  const int64_t arrived = timing.arrivedBytes / kFrameBytes;
  constexpr int64_t kFarUs = 4'000'000'000'000'000'000;
  // Every bound or the middle one, a block's arrival or the server's word, far early or late.
  for (const auto& [offUs, all, fromServer] : {std::tuple{kFarUs, true, false}, std::tuple{-kFarUs, true, false},
                                               std::tuple{kFarUs, false, true}, std::tuple{-kFarUs, false, true}}) {
    TakeTiming odd = timing;
    for (size_t k = 0; k < odd.bounds.size(); ++k) {
      if (!all && k != odd.bounds.size() / 2) continue;
      odd.bounds[k].offsetUs += offUs;
      odd.bounds[k].fromServer = fromServer;
    }
    const TakePlan plan = PlanTake(odd);
    SCOPED_TRACE(testing::Message() << offUs << (all ? " all" : " one") << (fromServer ? " from the server" : ""));
    // What the player asks of a plan: gaps in order within what arrived, and enough to fill the take,
    // which no input's clock makes more than twice as long as Record ran.
    int64_t atFrame = plan.lead;
    int64_t frames = arrived - plan.lead;
    for (const TakeGap& gap : plan.gaps) {
      EXPECT_TRUE(gap.frames > 0 && gap.atFrame >= atFrame);
      atFrame = gap.atFrame;
      frames += gap.frames;
    }
    EXPECT_TRUE(plan.lead >= 0 && plan.lead <= arrived && atFrame <= arrived);
    EXPECT_TRUE(plan.takeEnd >= 0 && plan.takeEnd <= frames && plan.takeEnd <= 2 * 4400);
  }
}
