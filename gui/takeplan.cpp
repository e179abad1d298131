#include "gui/takeplan.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <iterator>
#include <limits>

namespace {

// A rise of the timing counts as a step (time the input missed, a pause) when it is this many
// times the timing's own unsteadiness: the middle deviation of one bound's rise from the next.
constexpr double kStepOverSpread = 6;
// Below this even a perfectly steady timing tells no step from its own rounding.
constexpr double kLeastStepUs = 20;
// A rise is judged against the least lag of the next few bounds, so that one bound delivered late
// hides no step, and a drift not yet measured exactly bends none over a long stretch.
constexpr size_t kFloorReach = 8;
// Measuring the drift anew from the stretches the last measure found: a few rounds settle it.
constexpr int kDriftRounds = 4;
// Each round searches this far either way of the last measure.
constexpr double kDriftReach = 0.25;
// No clock runs ten times as fast or slow as another; the search stays within it so that the
// input's time never runs backwards or stops.
constexpr double kLeastDrift = -0.9;
constexpr double kMostDrift = 9;

struct Lag {
  double atUs;   // the bound's place in the stream, at the input's nominal rate
  double lagUs;  // when it was captured, less that place
};

double PlaceUs(int64_t endByte, int32_t rate, int64_t frameBytes) {
  return static_cast<double>(endByte / frameBytes) * 1e6 / rate;
}

// The bound's lag with the drift of the fastest input taken out: a bound that a later one
// undercuts here is undercut by it for every input, however fast its clock runs.
double FastestLagUs(const CaptureBound& bound, int32_t rate, int64_t frameBytes) {
  return static_cast<double>(bound.offsetUs) - kLeastDrift * PlaceUs(bound.endByte, rate, frameBytes);
}

// Whether a later bound makes `bound` idle: it undercuts it however fast the input runs, and it
// is not the server's word on the sound to come.
bool Idle(const CaptureBound& bound, double laterLag, int32_t rate, int64_t frameBytes) {
  return !bound.fromServer && FastestLagUs(bound, rate, frameBytes) >= laterLag;
}

// In stream order, without those a later one makes idle.
std::vector<CaptureBound> UsefulBounds(std::vector<CaptureBound> bounds, int32_t rate, int64_t frameBytes) {
  // Of the bounds at one place, a block's arrival goes first: it is the one that speaks of the
  // block that ends there.
  const auto before = [](const CaptureBound& a, const CaptureBound& b) {
    if (a.endByte != b.endByte) return a.endByte < b.endByte;
    if (a.fromServer != b.fromServer) return b.fromServer;
    return a.offsetUs > b.offsetUs;
  };
  // The player gives them nearly in order already.
  if (!std::is_sorted(bounds.begin(), bounds.end(), before)) std::stable_sort(bounds.begin(), bounds.end(), before);
  std::vector<CaptureBound> useful;
  useful.reserve(bounds.size());
  double least = std::numeric_limits<double>::infinity();
  for (auto bound = bounds.rbegin(); bound != bounds.rend(); ++bound) {
    if (Idle(*bound, least, rate, frameBytes)) continue;
    useful.push_back(*bound);
    least = std::min(least, FastestLagUs(*bound, rate, frameBytes));
  }
  std::reverse(useful.begin(), useful.end());
  return useful;
}

std::vector<Lag> LagsOf(const std::vector<CaptureBound>& sorted, int32_t rate, int64_t frameBytes) {
  std::vector<Lag> lags;
  lags.reserve(sorted.size());
  for (const CaptureBound& bound : sorted) {
    lags.push_back({PlaceUs(bound.endByte, rate, frameBytes), static_cast<double>(bound.offsetUs)});
  }
  return lags;
}

double Median(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The floor of the lags from each bound on, with the drift taken out: the latest the sound before
// that bound can have been captured, on the steady clock less its place in the stream and the
// drift. It only ever rises: a later bound bounds every earlier sound.
std::vector<double> FloorOf(const std::vector<Lag>& lags, double drift) {
  std::vector<double> floor(lags.size());
  double least = std::numeric_limits<double>::infinity();
  for (size_t k = lags.size(); k-- > 0;) {
    least = std::min(least, lags[k].lagUs - drift * lags[k].atUs);
    floor[k] = least;
  }
  return floor;
}

// Where the stretches between steps start: a rise of the least lag of the next few bounds by at
// least `stepUs` from one bound to the next.
std::vector<size_t> StretchesOf(const std::vector<Lag>& lags, double drift, double stepUs) {
  const size_t count = lags.size();
  const auto lagOf = [&](size_t k) { return lags[k].lagUs - drift * lags[k].atUs; };
  std::vector<double> nearFloor(count);
  std::deque<size_t> window;  // indices of a rising run of lags, the least first
  for (size_t k = count; k-- > 0;) {
    while (!window.empty() && lagOf(window.back()) >= lagOf(k)) window.pop_back();
    window.push_back(k);
    if (window.front() > k + kFloorReach) window.pop_front();
    nearFloor[k] = lagOf(window.front());
  }
  std::vector<size_t> starts{0};
  for (size_t k = 1; k < count; ++k) {
    if (nearFloor[k] - nearFloor[k - 1] >= stepUs) starts.push_back(k);
  }
  return starts;
}

// A stretch as its spread above a line needs it: the sums of its lags and places from its own
// start, and the lower hull of its bounds, the only ones that can be its lowest at any slope.
struct Stretch {
  double count = 0;
  double lagSum = 0;
  double atSum = 0;
  std::vector<Lag> hull;
};

std::vector<Stretch> ShapesOf(const std::vector<Lag>& lags, const std::vector<size_t>& starts) {
  std::vector<Stretch> stretches;
  stretches.reserve(starts.size());
  for (size_t s = 0; s < starts.size(); ++s) {
    const size_t begin = starts[s];
    const size_t end = s + 1 < starts.size() ? starts[s + 1] : lags.size();
    if (end - begin < 2) continue;  // one bound lies on a line of any slope
    Stretch stretch;
    const Lag origin = lags[begin];
    for (size_t k = begin; k < end; ++k) {
      // From the stretch's own start, so that the sums keep their microseconds.
      const Lag point{lags[k].atUs - origin.atUs, lags[k].lagUs - origin.lagUs};
      stretch.count += 1;
      stretch.lagSum += point.lagUs;
      stretch.atSum += point.atUs;
      std::vector<Lag>& hull = stretch.hull;
      while (hull.size() >= 2) {
        const Lag& a = hull[hull.size() - 2];
        const Lag& b = hull.back();
        const double turn = (b.atUs - a.atUs) * (point.lagUs - a.lagUs) - (b.lagUs - a.lagUs) * (point.atUs - a.atUs);
        if (turn > 0) break;
        hull.pop_back();
      }
      hull.push_back(point);
    }
    stretches.push_back(std::move(stretch));
  }
  return stretches;
}

// How far the lags of each stretch lie above the line of slope `drift` through its lowest one.
// Convex in the drift: the sum of each stretch's lags less the least of them.
double SpreadAbove(const std::vector<Stretch>& stretches, double drift) {
  double spread = 0;
  for (const Stretch& stretch : stretches) {
    double least = std::numeric_limits<double>::infinity();
    for (const Lag& point : stretch.hull) least = std::min(least, point.lagUs - drift * point.atUs);
    spread += stretch.lagSum - drift * stretch.atSum - stretch.count * least;
  }
  return spread;
}

// The slope of least spread between `low` and `high`; the spread is convex in it.
double LeastSpread(const std::vector<Stretch>& stretches, double low, double high) {
  constexpr double kGolden = 0.6180339887498949;
  double left = high - kGolden * (high - low);
  double right = low + kGolden * (high - low);
  double atLeft = SpreadAbove(stretches, left);
  double atRight = SpreadAbove(stretches, right);
  for (int step = 0; step < 80 && high - low > 1e-12; ++step) {
    if (atLeft <= atRight) {
      high = right;
      right = left;
      atRight = atLeft;
      left = high - kGolden * (high - low);
      atLeft = SpreadAbove(stretches, left);
    } else {
      low = left;
      left = right;
      atLeft = atRight;
      right = low + kGolden * (high - low);
      atRight = SpreadAbove(stretches, right);
    }
  }
  return (low + high) / 2;
}

struct InputClock {
  double drift = 0;
  double stepUs = kLeastStepUs;
};

// How far the input's clock runs apart from this machine's, and the least step of its timing,
// from the lags in stream order. The first measure is the middle slope from one bound to the
// next, which the steps (rare next to the bounds between them) cannot move far; the steps are
// then found against it, and the slope again from the stretches between them.
InputClock MeasureInputClock(const std::vector<Lag>& lags) {
  InputClock clock;
  std::vector<double> slopes;
  std::vector<double> spans;
  for (size_t k = 1; k < lags.size(); ++k) {
    const double span = lags[k].atUs - lags[k - 1].atUs;
    if (span <= 0) continue;
    slopes.push_back((lags[k].lagUs - lags[k - 1].lagUs) / span);
    spans.push_back(span);
  }
  if (slopes.size() < 2) return clock;
  double drift = std::clamp(Median(slopes), kLeastDrift, kMostDrift);
  // The timing's unsteadiness: how far a bound's rise strays from the middle one.
  std::vector<double> rises(slopes.size());
  for (size_t k = 0; k < slopes.size(); ++k) rises[k] = (slopes[k] - drift) * spans[k];
  const double middle = Median(rises);
  for (double& rise : rises) rise = std::abs(rise - middle);
  clock.stepUs = std::max(kLeastStepUs, kStepOverSpread * Median(rises));

  std::vector<size_t> before;
  for (int round = 0; round < kDriftRounds; ++round) {
    const std::vector<size_t> starts = StretchesOf(lags, drift, clock.stepUs);
    if (starts == before) break;
    const std::vector<Stretch> stretches = ShapesOf(lags, starts);
    // Stretches of one bound each say nothing of a slope, nor then does the middle one.
    if (stretches.empty()) return clock;
    drift = LeastSpread(stretches, std::max(kLeastDrift, drift - kDriftReach),
                        std::min(kMostDrift, drift + kDriftReach));
    before = starts;
  }
  clock.drift = drift;
  return clock;
}

}  // namespace

void KeepBound(std::vector<CaptureBound>& bounds, const CaptureBound& bound, int32_t rate, int64_t frameBytes) {
  if (rate <= 0 || frameBytes <= 0) return;
  const double lag = FastestLagUs(bound, rate, frameBytes);
  while (!bounds.empty() && bounds.back().endByte <= bound.endByte && Idle(bounds.back(), lag, rate, frameBytes)) {
    bounds.pop_back();
  }
  if (!bounds.empty() && bounds.back().endByte >= bound.endByte &&
      Idle(bound, FastestLagUs(bounds.back(), rate, frameBytes), rate, frameBytes)) {
    return;
  }
  bounds.push_back(bound);
}

TakePlan PlanTake(const TakeTiming& timing) {
  TakePlan plan;
  const int64_t frameBytes = timing.frameBytes;
  const int32_t rate = timing.rate;
  if (frameBytes <= 0 || rate <= 0 || timing.runs.empty()) return plan;
  const auto framesOf = [rate](int64_t microseconds) { return microseconds * rate / 1000000; };
  const auto usOf = [rate](int64_t frames) { return frames * 1000000 / rate; };
  const int64_t arrived = timing.arrivedBytes / frameBytes;
  const int64_t takeFrames = framesOf(timing.ranUs);
  const std::vector<TakeRun>& runs = timing.runs;

  // Where in the take a moment of the steady clock falls: a stretch that Record ran ends where
  // the next begins, and a moment before the take is before its start.
  const auto takeUsOf = [&runs](int64_t clockUs) {
    auto next = std::upper_bound(runs.begin(), runs.end(), clockUs,
                                 [](int64_t us, const TakeRun& run) { return us < run.clockUs; });
    const TakeRun& run = next == runs.begin() ? *next : *std::prev(next);
    const int64_t takeUs = run.takeUs + (clockUs - run.clockUs);
    return next == runs.end() || next == runs.begin() ? takeUs : std::min(takeUs, next->takeUs);
  };

  const std::vector<CaptureBound> bounds = UsefulBounds(timing.bounds, rate, frameBytes);
  const std::vector<Lag> lags = LagsOf(bounds, rate, frameBytes);
  const InputClock clock = MeasureInputClock(lags);
  const double drift = clock.drift;
  plan.drift = drift;
  plan.stepUs = clock.stepUs;
  const std::vector<double> floor = FloorOf(lags, drift);
  // The take runs on the input's clock: a moment of the steady clock, in the take's frames, falls
  // at that many frames over the drift. The first block captured in the take goes where it was
  // captured: what came before the take's start (the server began a moment before Record
  // returned) is cut, and an input that delivered late leaves silence first. From there each
  // block follows the one before, and the time the input missed (the floor of the timing risen
  // beyond the drift) is carried on until it reaches the least gap, then put in as silence before
  // that block, so the take's sound stays where it was captured however many short misses it has.
  const auto inTake = [drift](int64_t steadyFrames) {
    return static_cast<int64_t>(std::llround(static_cast<double>(steadyFrames) / (1 + drift)));
  };
  const int64_t leastGap = std::max<int64_t>(1, framesOf(kLeastTakeGapUs));
  int64_t lead = 0;
  int64_t missing = 0;     // frames of silence put in so far
  int64_t kept = arrived;  // the frames captured before Stop
  bool anchored = false;
  double level = 0;  // the lag the last block was placed at
  bool leveled = false;
  const std::vector<int64_t>& blocks = timing.blocks;
  for (size_t k = 0; k < blocks.size(); ++k) {
    const int64_t atFrame = blocks[k] / frameBytes;
    if (atFrame >= arrived) break;
    const int64_t nextByte = k + 1 < blocks.size() ? blocks[k + 1] : timing.arrivedBytes;
    const int64_t nextFrame = std::min(nextByte / frameBytes, arrived);
    // The bounds of the sound from this block's start on: those that reach past it.
    const auto bound = std::upper_bound(bounds.begin(), bounds.end(), blocks[k],
                                        [](int64_t byte, const CaptureBound& b) { return byte < b.endByte; });
    if (bound == bounds.end()) continue;
    // A block's arrival bounds its sound and the sound delivered with it: they go where the
    // timing says. The server's word on where its stream stood says nothing of when the sound
    // before that came in (a server that could not keep what came in wrote nothing meanwhile):
    // the sound up to it follows the sound before it, as captured, and the time missed goes in
    // after it, where the timing first forces it, so the sound a held program still got from the
    // server stays where it was captured.
    auto arrival = bound;
    while (arrival != bounds.end() && arrival->fromServer && arrival->endByte <= nextByte) ++arrival;
    const auto at = static_cast<size_t>(bound - bounds.begin());
    if (arrival != bounds.end() && !arrival->fromServer && (arrival == bound || arrival->endByte <= nextByte)) {
      level = floor[static_cast<size_t>(arrival - bounds.begin())];
    } else if (!leveled) {
      level = floor[at];
    } else if (at > 0 && bounds[at - 1].fromServer) {
      // What follows the server's word comes no sooner than it said.
      level = std::max(level, floor[at - 1]);
    }
    leveled = true;
    const double atUs = static_cast<double>(usOf(atFrame));
    const auto capturedUs = static_cast<int64_t>(std::llround(atUs * (1 + drift) + level));
    const int64_t steadyFrames = framesOf(takeUsOf(capturedUs));
    // Captured after Stop: cut with all that follows. The front that is cut ends before it.
    if (steadyFrames >= takeFrames) {
      kept = atFrame;
      break;
    }
    const int64_t wanted = inTake(steadyFrames);
    if (!anchored) {
      // All of it was captured before the take: cut, with whatever it missed.
      if (wanted + (nextFrame - atFrame) <= 0) {
        lead = nextFrame;
        continue;
      }
      lead = wanted < 0 ? atFrame - wanted : atFrame;
      anchored = true;
    }
    const int64_t carried = wanted - (atFrame + missing - lead);
    if (carried >= leastGap) {
      plan.gaps.push_back({atFrame, carried});
      missing += carried;
    }
  }
  // Up to Stop by the input's clock; what the server never delivered before it is silence, as
  // long as it is more than the timing's own unsteadiness.
  int64_t takeEnd = inTake(takeFrames);
  if (!anchored) lead = std::min(lead, kept);
  const int64_t placedEnd = kept + missing - lead;
  if (placedEnd < takeEnd && (takeEnd - placedEnd >= leastGap || !anchored)) {
    plan.gaps.push_back({kept, takeEnd - placedEnd});
  } else {
    takeEnd = std::min(takeEnd, placedEnd);
  }
  plan.lead = lead;
  plan.takeEnd = takeEnd;
  return plan;
}
