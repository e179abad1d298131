#include "gui/takeplan.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

// A rise of the timing's floor by this much from one bound to the next is a step (time the input
// missed, a pause), not its drift: the drift is measured within the stretches between steps. Far
// more than the timing's own unsteadiness, far less than any miss worth silence.
constexpr double kTimingStepUs = 10 * 1000;

// Measuring the drift anew from the stretches the last measure found: a few rounds settle it.
constexpr int kDriftRounds = 3;

struct Lag {
  double atUs;   // the bound's place in the stream, at the input's nominal rate
  double lagUs;  // when it was captured, less that place
};

std::vector<Lag> LagsOf(const std::vector<CaptureBound>& sorted, int32_t rate, int64_t frameBytes) {
  std::vector<Lag> lags;
  lags.reserve(sorted.size());
  for (const CaptureBound& bound : sorted) {
    const double atUs = static_cast<double>(bound.endByte / frameBytes) * 1e6 / rate;
    lags.push_back({atUs, static_cast<double>(bound.offsetUs)});
  }
  return lags;
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

// How far the lags of each stretch lie above the line of slope `drift` through its lowest one.
// Convex in the drift: the sum of each stretch's lags less the least of them.
double SpreadAbove(const std::vector<Lag>& lags, const std::vector<size_t>& starts, double drift) {
  double spread = 0;
  for (size_t s = 0; s < starts.size(); ++s) {
    const size_t begin = starts[s];
    const size_t end = s + 1 < starts.size() ? starts[s + 1] : lags.size();
    // From the stretch's own start, so that the sums keep their microseconds.
    const Lag origin = lags[begin];
    const auto above = [&](size_t k) {
      return (lags[k].lagUs - origin.lagUs) - drift * (lags[k].atUs - origin.atUs);
    };
    double least = std::numeric_limits<double>::infinity();
    for (size_t k = begin; k < end; ++k) least = std::min(least, above(k));
    for (size_t k = begin; k < end; ++k) spread += above(k) - least;
  }
  return spread;
}

// How far the input's clock runs apart from this machine's, from the lags in stream order.
double MeasureInputDrift(const std::vector<Lag>& lags) {
  if (lags.size() < 3) return 0;
  double drift = 0;
  for (int round = 0; round < kDriftRounds; ++round) {
    // The stretches between steps of the floor: a step never counts as drift.
    const std::vector<double> floor = FloorOf(lags, drift);
    std::vector<size_t> starts{0};
    for (size_t k = 1; k < lags.size(); ++k) {
      if (floor[k] - floor[k - 1] >= kTimingStepUs) starts.push_back(k);
    }
    // The spread is convex in the drift: a golden-section search finds its least.
    constexpr double kGolden = 0.6180339887498949;
    double low = -kMostInputDrift;
    double high = kMostInputDrift;
    double left = high - kGolden * (high - low);
    double right = low + kGolden * (high - low);
    double atLeft = SpreadAbove(lags, starts, left);
    double atRight = SpreadAbove(lags, starts, right);
    for (int step = 0; step < 64; ++step) {
      if (atLeft <= atRight) {
        high = right;
        right = left;
        atRight = atLeft;
        left = high - kGolden * (high - low);
        atLeft = SpreadAbove(lags, starts, left);
      } else {
        low = left;
        left = right;
        atLeft = atRight;
        right = low + kGolden * (high - low);
        atRight = SpreadAbove(lags, starts, right);
      }
    }
    const double found = (low + high) / 2;
    // Timing too sparse to tell a slope (stretches of one bound each) says nothing of a drift.
    const double atNone = SpreadAbove(lags, starts, 0);
    drift = atNone <= SpreadAbove(lags, starts, found) * (1 + 1e-12) ? 0 : found;
  }
  return drift;
}

}  // namespace

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

  std::vector<CaptureBound> bounds = timing.bounds;
  std::stable_sort(bounds.begin(), bounds.end(),
                   [](const CaptureBound& a, const CaptureBound& b) { return a.endByte < b.endByte; });
  const std::vector<Lag> lags = LagsOf(bounds, rate, frameBytes);
  const double drift = MeasureInputDrift(lags);
  plan.drift = drift;
  const std::vector<double> floor = FloorOf(lags, drift);

  // The first block captured in the take goes where it was captured: what came before the take's
  // start (the server began a moment before Record returned) is cut, and an input that delivered
  // late leaves silence first. From there each block follows the one before, in the input's own
  // time, and the time the input missed (the floor of the timing risen beyond the drift) is
  // carried on until it reaches the least gap, then put in as silence before that block, so the
  // take's sound stays where it was captured however many short misses it has.
  const int64_t leastGap = std::max<int64_t>(1, framesOf(kLeastTakeGapUs));
  int64_t lead = 0;
  int64_t missing = 0;     // frames of silence put in so far
  int64_t kept = arrived;  // the frames captured before Stop
  bool anchored = false;
  int64_t anchorFrame = 0;  // the stream frame the take's drift is counted from
  int64_t lastFrame = 0;    // the last block placed: its stream frame and where it was wanted
  int64_t lastWanted = 0;
  const std::vector<int64_t>& blocks = timing.blocks;
  for (size_t k = 0; k < blocks.size(); ++k) {
    const int64_t atFrame = blocks[k] / frameBytes;
    if (atFrame >= arrived) break;
    const int64_t nextFrame = k + 1 < blocks.size() ? std::min(blocks[k + 1] / frameBytes, arrived) : arrived;
    // The bounds of the sound from this block's start on: those that reach past it.
    const auto bound = std::upper_bound(bounds.begin(), bounds.end(), blocks[k],
                                        [](int64_t byte, const CaptureBound& b) { return byte < b.endByte; });
    if (bound == bounds.end()) continue;
    const double atUs = static_cast<double>(usOf(atFrame));
    const auto capturedUs =
        static_cast<int64_t>(std::llround(atUs * (1 + drift) + floor[static_cast<size_t>(bound - bounds.begin())]));
    const int64_t wanted = framesOf(takeUsOf(capturedUs));
    // Captured after Stop: cut with all that follows. The front that is cut ends before it.
    if (wanted >= takeFrames) {
      kept = atFrame;
      break;
    }
    if (!anchored) {
      // All of it was captured before the take: cut, with whatever it missed.
      if (wanted + (nextFrame - atFrame) <= 0) {
        lead = nextFrame;
        continue;
      }
      lead = wanted < 0 ? atFrame - wanted : atFrame;
      anchored = true;
      anchorFrame = atFrame;
    }
    const int64_t placed = atFrame + missing - lead;
    const auto driftFrames = static_cast<int64_t>(std::llround(drift * static_cast<double>(atFrame - anchorFrame)));
    const int64_t carried = wanted - driftFrames - placed;
    if (carried >= leastGap) {
      plan.gaps.push_back({atFrame, carried});
      missing += carried;
    }
    lastFrame = atFrame;
    lastWanted = wanted;
  }
  // Up to Stop by the input's clock; what the server never delivered before it is silence, as
  // long as it is more than the timing's own unsteadiness.
  int64_t takeEnd = takeFrames;
  if (anchored) {
    const double toStop = static_cast<double>(lastFrame - anchorFrame) +
                          static_cast<double>(takeFrames - lastWanted) / (1 + drift);
    takeEnd = std::max<int64_t>(0, takeFrames - static_cast<int64_t>(std::llround(drift * toStop)));
  } else {
    lead = std::min(lead, kept);
  }
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
