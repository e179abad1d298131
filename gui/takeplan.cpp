#include "gui/takeplan.h"

#include <algorithm>
#include <cmath>
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
// A bound that a later one undercuts even for an input ten times as fast as its rate can bound
// nothing that the later one does not: all a burst of deliveries leaves is its last bound.
constexpr double kFastestDrift = -0.9;
// An input runs between half and twice its rate: every drift measured stays within these, so
// that a stretch the timing tells little of (a hold, sound sent at once) is never read as a wild
// rate, and the input's time never runs backwards or stops.
constexpr double kLeastDrift = -0.5;
constexpr double kMostDrift = 1;
// The rate is first measured over windows of the stream this long, with at least so many bounds.
constexpr double kWindowUs = 500'000;
constexpr size_t kWindowPairs = 16;
// Where the bounds lie far apart (a held program gets only the server's own timing), a window
// this long holds what there is; where they lie very close, one this full is long enough.
constexpr double kSparseWindowUs = 2'000'000;
constexpr size_t kMostWindowPairs = 4096;
// Two windows run at one rate when their rates part by less than this many least steps over a
// window: closer than that, the timing's own unsteadiness tells them apart no better.
constexpr double kBendOverStep = 2;
// A faster stretch no longer than this may be the server's delay settling (large for an input just
// woken and after a hang) rather than a rate of the input's: the server's own timing tells which.
constexpr double kSettleUs = 3'000'000;
// The hull-based measure of a rate stays within this many times the uncertainty of the middle
// slope from one bound to the next, and within these reaches, of that middle slope.
constexpr double kReachOverDeviation = 4;
constexpr double kLeastReach = 0.05;
constexpr double kMostReach = 0.25;
// Where in a window the rate changes is searched on about this many bounds, then around the best.
constexpr size_t kBendTries = 48;
// Bounds on either side that say whether one lies below its neighbours, sound sent ahead.
constexpr size_t kAheadReach = 8;
// No moment the timing gives lies further than this from the steady clock's start, however odd.
constexpr double kFarClockUs = 4e18;

struct Lag {
  double atUs;   // the bound's place in the stream, at the input's nominal rate
  double lagUs;  // when it was captured, less that place
  bool fromServer = false;
};

double PlaceUs(int64_t endByte, int32_t rate, int64_t frameBytes) {
  return static_cast<double>(endByte / frameBytes) * 1e6 / rate;
}

// The bound's lag with the drift of the fastest input taken out: a bound that a later one
// undercuts here is undercut by it for every input, however fast its clock runs.
double FastestLagUs(const CaptureBound& bound, int32_t rate, int64_t frameBytes) {
  return static_cast<double>(bound.offsetUs) - kFastestDrift * PlaceUs(bound.endByte, rate, frameBytes);
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
    lags.push_back({PlaceUs(bound.endByte, rate, frameBytes), static_cast<double>(bound.offsetUs), bound.fromServer});
  }
  return lags;
}

double MedianOf(std::vector<double>& values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The input's time as it runs apart from this machine's: from each segment's first bound on, the
// lag grows by its drift for each microsecond of the stream, so that the lag less the trend stays
// level but for the steps. Continuous where the rate changes.
struct Segment {
  size_t first;  // bound
  double drift;
  double fromUs = 0;  // where its rate takes over, between its first bound and the one before
  size_t measuredFrom = 0;  // past the server's delay settling at its start, if any
};

// The trend's rise from bound `k - 1` to bound `k`, of segment `segment` (which holds `k - 1`).
double RiseTo(const std::vector<Lag>& lags, const std::vector<Segment>& segments, size_t segment, size_t k) {
  const Segment& next = segment + 1 < segments.size() ? segments[segment + 1] : segments[segment];
  if (segment + 1 < segments.size() && next.first == k) {
    return segments[segment].drift * (next.fromUs - lags[k - 1].atUs) + next.drift * (lags[k].atUs - next.fromUs);
  }
  return segments[segment].drift * (lags[k].atUs - lags[k - 1].atUs);
}

std::vector<double> TrendOf(const std::vector<Lag>& lags, const std::vector<Segment>& segments) {
  std::vector<double> trend(lags.size());
  size_t segment = 0;
  for (size_t k = 1; k < lags.size(); ++k) {
    while (segment + 1 < segments.size() && segments[segment + 1].first < k) ++segment;
    trend[k] = trend[k - 1] + RiseTo(lags, segments, segment, k);
  }
  return trend;
}

// Where between bound `bend - 1` and bound `bend` the rate turns from `before` to `after`: where
// the lag runs on without a step, the two rates taking it from one bound to the other. That keeps
// the take continuous however long the two lie apart (a hold, sound sent at once).
double BendPlaceUs(const std::vector<Lag>& lags, size_t bend, double before, double after) {
  const double atUs = lags[bend].atUs;
  if (bend == 0) return atUs;
  const double spanUs = atUs - lags[bend - 1].atUs;
  if (spanUs <= 0 || before == after) return atUs;
  const double beforeUs = (lags[bend].lagUs - lags[bend - 1].lagUs - after * spanUs) / (before - after);
  return lags[bend - 1].atUs + std::clamp(beforeUs, 0.0, spanUs);
}

// The floor of the lags from each bound on, with the trend taken out: the latest the sound before
// that bound can have been captured, on the steady clock less its place in the stream and the
// trend. It only ever rises: a later bound bounds every earlier sound.
std::vector<double> FloorOf(const std::vector<Lag>& lags, const std::vector<double>& trend) {
  std::vector<double> floor(lags.size());
  double least = std::numeric_limits<double>::infinity();
  for (size_t k = lags.size(); k-- > 0;) {
    least = std::min(least, lags[k].lagUs - trend[k]);
    floor[k] = least;
  }
  return floor;
}

// The least of `valueOf(k)` for the `kReach` positions k after each (`after`) or before it, the
// position itself left out, among `count`; infinite where there are none.
template <size_t kReach, typename ValueOf>
std::vector<double> LeastWithin(size_t count, bool after, const ValueOf& valueOf) {
  std::vector<double> least(count, std::numeric_limits<double>::infinity());
  // A rising run of the steps within reach and their values, the least first, in a ring that
  // holds the reach and the one just added.
  constexpr size_t kRing = kReach + 2;
  size_t steps[kRing];
  double values[kRing];
  size_t head = 0;
  size_t tail = 0;  // past the last, counting on; the ring index is the count modulo its size
  for (size_t step = 0; step < count; ++step) {
    const size_t at = after ? count - 1 - step : step;
    if (head < tail && step - steps[head % kRing] > kReach) ++head;
    if (head < tail) least[at] = values[head % kRing];
    const double value = valueOf(at);
    while (tail > head && values[(tail - 1) % kRing] >= value) --tail;
    steps[tail % kRing] = step;
    values[tail % kRing] = value;
    ++tail;
  }
  return least;
}

// Where the stretches between steps start among `count` bounds from `first` on, the lag of each
// less the trend given by `lagOf`: a rise of the least lag of the next few bounds by at least
// `stepUs` from one bound to the next.
template <typename LagOf>
std::vector<size_t> StepsOf(size_t first, size_t count, const LagOf& lagOf, double stepUs) {
  const auto from = [&](size_t k) { return lagOf(first + k); };
  const std::vector<double> next = LeastWithin<kFloorReach>(count, true, from);
  std::vector<size_t> starts{first};
  double before = count == 0 ? 0 : std::min(from(0), next[0]);
  for (size_t k = 1; k < count; ++k) {
    const double nearFloor = std::min(from(k), next[k]);
    if (nearFloor - before >= stepUs) starts.push_back(first + k);
    before = nearFloor;
  }
  return starts;
}

std::vector<size_t> StretchesOf(const std::vector<Lag>& lags, const std::vector<double>& trend, double stepUs) {
  return StepsOf(0, lags.size(), [&](size_t k) { return lags[k].lagUs - trend[k]; }, stepUs);
}

// A stretch as its spread above a line needs it: the sums of its lags and places from its own
// start, and the lower hull of its bounds, the only ones that can be its lowest at any slope.
struct Stretch {
  double count = 0;
  double lagSum = 0;
  double atSum = 0;
  std::vector<Lag> hull;
};

// The stretches between `starts` as far as they lie within the bounds [begin, end).
std::vector<Stretch> ShapesOf(const std::vector<Lag>& lags, const std::vector<size_t>& starts, size_t begin,
                              size_t end) {
  std::vector<Stretch> stretches;
  auto start = std::upper_bound(starts.begin(), starts.end(), begin);
  for (size_t from = begin; from < end;) {
    const size_t to = start == starts.end() ? end : std::min(end, *start++);
    if (to - from >= 2) {  // one bound lies on a line of any slope
      Stretch stretch;
      const Lag origin = lags[from];
      for (size_t k = from; k < to; ++k) {
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
    from = to;
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

// The middle slope from one bound to the next within [begin, end), which the steps (rare next to
// the bounds between them) cannot move far, and how far from it the hull-based measure may go.
struct RoughSlope {
  double drift = 0;
  double reach = kMostReach;
  bool known = false;
};

RoughSlope RoughSlopeOf(const std::vector<Lag>& lags, size_t begin, size_t end, std::vector<double>& slopes) {
  slopes.clear();
  for (size_t k = begin + 1; k < end; ++k) {
    const double span = lags[k].atUs - lags[k - 1].atUs;
    if (span > 0) slopes.push_back((lags[k].lagUs - lags[k - 1].lagUs) / span);
  }
  RoughSlope rough;
  if (slopes.size() < 2) return rough;
  const double middle = MedianOf(slopes);
  for (double& slope : slopes) slope = std::abs(slope - middle);
  // The middle deviation as a standard one, and the middle slope's own over that many.
  const double deviation = 1.4826 * 1.25 * MedianOf(slopes) / std::sqrt(static_cast<double>(slopes.size()));
  rough.drift = std::clamp(middle, kLeastDrift, kMostDrift);
  rough.reach = std::clamp(kReachOverDeviation * deviation, kLeastReach, kMostReach);
  rough.known = true;
  return rough;
}

// The hull-based rate of the bounds [begin, end), in `drift`: the one slope under which their
// stretches between steps lie closest above their lowest bounds, near the rough slope. False, and
// `drift` left alone, where no stretch holds two bounds.
bool FitDrift(const std::vector<Lag>& lags, const std::vector<size_t>& starts, size_t begin, size_t end,
              const RoughSlope& rough, double& drift) {
  const std::vector<Stretch> stretches = ShapesOf(lags, starts, begin, end);
  if (stretches.empty()) return false;
  drift = LeastSpread(stretches, std::max(kLeastDrift, rough.drift - rough.reach),
                      std::min(kMostDrift, rough.drift + rough.reach));
  return true;
}

// How far the bounds [begin, end) lie above the lowest of their stretch, when the rate changes
// from `before` to `after` before bound `bend`.
double SpreadAcross(const std::vector<Lag>& lags, const std::vector<size_t>& starts, size_t begin, size_t end,
                    size_t bend, double before, double after) {
  const double bendUs = BendPlaceUs(lags, bend, before, after);
  double spread = 0;
  auto start = std::upper_bound(starts.begin(), starts.end(), begin);
  for (size_t from = begin; from < end;) {
    const size_t to = start == starts.end() ? end : std::min(end, *start++);
    double sum = 0;
    double least = std::numeric_limits<double>::infinity();
    for (size_t k = from; k < to; ++k) {
      const double lag = lags[k].lagUs - (k < bend ? before : after) * (lags[k].atUs - bendUs);
      sum += lag;
      least = std::min(least, lag);
    }
    spread += sum - static_cast<double>(to - from) * least;
    from = to;
  }
  return spread;
}

// The bound in [begin, end) from which on the rate is `after` rather than `before`: where the
// stretches lie closest above their lowest bounds. Searched on a few bounds, then around the best.
// The stretches are those between the rises from one bound to the next that are steps even on the
// slower of the two rates: a rise that only the faster one shows may be that rate's own, where the
// change is still to be found; and the least lag of the next few bounds, which hides a late bound,
// would lag behind a lag that falls steeply on the slower rate.
size_t BendOf(const std::vector<Lag>& lags, size_t begin, size_t end, double before, double after, double stepUs) {
  const double slower = std::max(before, after);
  std::vector<size_t> starts{begin};
  for (size_t k = begin + 1; k < end; ++k) {
    if (lags[k].lagUs - lags[k - 1].lagUs - slower * (lags[k].atUs - lags[k - 1].atUs) >= stepUs) starts.push_back(k);
  }
  size_t best = begin;
  double least = std::numeric_limits<double>::infinity();
  // Bends that leave the timing as spread, within a step, are as good as each other: of those, the
  // one across the longest time between two bounds (a hold) lets the rate change anywhere in it,
  // where the lag runs on without a step, rather than take all of it for missed time.
  const auto spanOf = [&](size_t bend) { return bend == 0 ? 0.0 : lags[bend].atUs - lags[bend - 1].atUs; };
  const auto tryBend = [&](size_t bend) {
    const double spread = SpreadAcross(lags, starts, begin, end, bend, before, after);
    if (spread < least - stepUs || (spread < least + stepUs && spanOf(bend) > spanOf(best))) {
      least = std::min(least, spread);
      best = bend;
    }
  };
  // Evenly in bounds and in the stream, for bounds lie close in one part and far apart in another.
  const size_t stride = std::max<size_t>(1, (end - begin) / kBendTries);
  const double strideUs = (lags[end - 1].atUs - lags[begin].atUs) / kBendTries;
  size_t tried = begin;
  tryBend(begin);
  for (size_t bend = begin + 1; bend < end; ++bend) {
    if (bend - tried >= stride || lags[bend].atUs - lags[tried].atUs >= strideUs) {
      tryBend(bend);
      tried = bend;
    }
  }
  const size_t around = best;
  for (size_t bend = around > begin + stride ? around - stride : begin; bend < std::min(end, around + stride); ++bend) {
    tryBend(bend);
  }
  return best;
}

// Sound sent ahead of the input's clock (a writer that sends a second at once, then waits) reaches
// the server at once, and the arrival of its end lies below the lags on both sides of it by more
// than a step. It tells when the server took the sound, not where the input's clock puts it, and
// would pull all the sound before it forward: it is left out, and so is the server's own timing
// amid such a burst, which lies below the bounds before it as well. (Elsewhere the server's timing
// lies below the arrivals around it whenever its delay grows, and tells the truth.)
std::vector<bool> SentAhead(const std::vector<Lag>& lags, const std::vector<double>& trend, double stepUs) {
  const auto lagOf = [&](size_t k) { return lags[k].lagUs - trend[k]; };
  const std::vector<double> before = LeastWithin<kAheadReach>(lags.size(), false, lagOf);
  const std::vector<double> after = LeastWithin<kAheadReach>(lags.size(), true, lagOf);
  const auto below = [&](size_t k, double than) { return lagOf(k) + stepUs < than; };
  std::vector<bool> ahead(lags.size(), false);
  bool burstAfter = false;  // whether the next arrival is the end of such a burst
  for (size_t k = lags.size(); k-- > 0;) {
    if (lags[k].fromServer) {
      ahead[k] = burstAfter && below(k, before[k]);
    } else {
      ahead[k] = below(k, std::min(before[k], after[k]));
      burstAfter = ahead[k];
    }
  }
  return ahead;
}

// Windows of the stream, each at least `kWindowUs` long and holding `kWindowPairs` pairs of
// bounds: where each begins.
std::vector<size_t> WindowsOf(const std::vector<Lag>& lags) {
  std::vector<size_t> begins;
  size_t begin = 0;
  for (size_t k = 1; k <= lags.size(); ++k) {
    const double spanUs = lags[k - 1].atUs - lags[begin].atUs;
    const size_t pairs = k - begin - 1;
    const bool full = (pairs >= kWindowPairs && spanUs >= kWindowUs) || (pairs >= 2 && spanUs >= kSparseWindowUs) ||
                      pairs >= kMostWindowPairs;
    if (full || k == lags.size()) {
      // A short last window joins the one before it.
      if (!full && !begins.empty()) break;
      begins.push_back(begin);
      begin = k;
    }
  }
  return begins;
}

// How far the arrivals just after each of the server's own bounds lie above it, with the trend
// taken out: the server's delay in delivering what it timed (nothing where no arrival follows).
std::vector<double> DelaysAfterServer(const std::vector<Lag>& lags, const std::vector<double>& trend) {
  std::vector<double> delays(lags.size(), 0);
  for (size_t k = 0; k < lags.size(); ++k) {
    if (!lags[k].fromServer) continue;
    double least = std::numeric_limits<double>::infinity();
    for (size_t next = k + 1; next < std::min(lags.size(), k + 1 + kFloorReach); ++next) {
      if (!lags[next].fromServer) least = std::min(least, lags[next].lagUs - trend[next]);
    }
    if (least < std::numeric_limits<double>::infinity()) delays[k] = least - (lags[k].lagUs - trend[k]);
  }
  return delays;
}

// Whether the bounds [begin, next.first), which the trend takes down faster than the rate of
// `next` would, are the server's delay settling: where the server's own timing tells the two
// apart, the arrivals after it lie above it by at least half of what the faster trend has still
// to fall, beyond the server's usual delay. Where the input itself ran faster, the server's timing
// falls with the arrivals.
bool DelaySettles(const std::vector<Lag>& lags, const std::vector<double>& trend, const std::vector<double>& delays,
                  double usualUs, size_t begin, const Segment& next, double stepUs) {
  const size_t end = next.first;
  bool told = false;
  for (size_t k = begin; k < end; ++k) {
    if (!lags[k].fromServer) continue;
    const double toFallUs = next.drift * (lags[end].atUs - lags[k].atUs) - (trend[end] - trend[k]);
    if (toFallUs <= 2 * stepUs) continue;
    if (delays[k] - usualUs < toFallUs / 2) return false;
    told = true;
  }
  return told;
}

struct InputClock {
  std::vector<Segment> segments{{0, 0}};
  double stepUs = kLeastStepUs;
};

// How the input's clock runs apart from this machine's, from the lags in stream order. The rate is
// measured over short windows first, each near its middle slope from one bound to the next; the
// windows that share a rate make a segment, measured anew over its length; where the rate changes
// is found between the segments' windows, so that the trend bends there; and a faster stretch
// that the server's own timing shows to be its delay settling joins the segment after it.
class ClockFit {
 public:
  explicit ClockFit(const std::vector<Lag>& lags) : lags_(lags) {}

  InputClock Measure() {
    starts_.assign(1, 0);
    if (lags_.size() >= 3 && MeasureWindows()) {
      Draft();
      for (int round = 0; round < 2; ++round) {
        MeasureSegments();
        Bend();
        MeasureSegments();
        Settle();
        Bridge();
        Restretch(TrendOf(lags_, clock_.segments));
      }
      MeasureSegments();
    }
    return clock_;
  }

 private:
  struct Window {
    size_t begin;
    RoughSlope rough;
    double drift = 0;
    double spanUs = 0;
    bool known = false;
  };

  size_t EndOf(size_t window) const { return window + 1 < windows_.size() ? windows_[window + 1].begin : lags_.size(); }
  size_t EndOfSegment(size_t segment) const {
    const std::vector<Segment>& segments = clock_.segments;
    return segment + 1 < segments.size() ? segments[segment + 1].first : lags_.size();
  }
  size_t WindowOf(size_t bound) const {
    return static_cast<size_t>(std::upper_bound(windows_.begin(), windows_.end(), bound,
                                                [](size_t k, const Window& w) { return k < w.begin; }) -
                               windows_.begin() - 1);
  }
  void Restretch(const std::vector<double>& trend) {
    std::vector<size_t> starts = StretchesOf(lags_, trend, clock_.stepUs);
    if (starts == starts_) return;
    starts_ = std::move(starts);
    ++stretching_;
  }

  // Each window's rough and hull-based rate, and the timing's unsteadiness against the rough ones:
  // how far a bound's rise strays from the middle one.
  bool MeasureWindows() {
    std::vector<Segment> rough;
    for (const size_t begin : WindowsOf(lags_)) windows_.push_back({begin, {}});
    for (size_t window = 0; window < windows_.size(); ++window) {
      windows_[window].rough = RoughSlopeOf(lags_, windows_[window].begin, EndOf(window), scratch_);
      rough.push_back({windows_[window].begin, windows_[window].rough.drift});
    }
    const std::vector<double> trend = TrendOf(lags_, rough);
    std::vector<double>& rises = scratch_;
    rises.clear();
    for (size_t k = 1; k < lags_.size(); ++k) {
      if (lags_[k].atUs > lags_[k - 1].atUs) {
        rises.push_back(lags_[k].lagUs - trend[k] - (lags_[k - 1].lagUs - trend[k - 1]));
      }
    }
    if (rises.size() < 2) return false;
    const double middle = MedianOf(rises);
    for (double& rise : rises) rise = std::abs(rise - middle);
    clock_.stepUs = std::max(kLeastStepUs, kStepOverSpread * MedianOf(rises));
    Restretch(trend);
    // A window of one stretch of single bounds tells no rate.
    for (size_t window = 0; window < windows_.size(); ++window) {
      Window& w = windows_[window];
      const size_t end = EndOf(window);
      w.spanUs = lags_[end - 1].atUs - lags_[w.begin].atUs;
      w.drift = w.rough.drift;
      w.known = w.rough.known && FitDrift(lags_, starts_, w.begin, end, w.rough, w.drift);
    }
    return true;
  }

  // Windows that share a rate, as one segment each. A window whose rate strays while the one after
  // it runs on at the rate before is the lag's own unsteadiness (a hold, sound sent at once) and
  // joins the segment; one whose rate neither the segment before nor the window after share holds
  // the change of rate, and the next segment starts after it.
  void Draft() {
    const double bendUs = kBendOverStep * clock_.stepUs;
    const auto agree = [bendUs](double drift, const Window& w) {
      return std::abs(drift - w.drift) * w.spanUs <= bendUs;
    };
    std::vector<Segment>& segments = clock_.segments;
    segments.clear();
    double driftSum = 0;
    double spanSum = 0;
    const auto drift = [&] { return driftSum / spanSum; };
    for (size_t window = 0; window < windows_.size(); ++window) {
      if (!windows_[window].known) continue;
      if (segments.empty() || !agree(drift(), windows_[window])) {
        if (!segments.empty()) {
          size_t next = window + 1;
          while (next < windows_.size() && !windows_[next].known) ++next;
          if (next < windows_.size() && agree(drift(), windows_[next])) continue;
          if (next < windows_.size() && !agree(windows_[window].drift, windows_[next])) window = next;
        }
        const size_t first = segments.empty() ? 0 : windows_[window].begin;
        segments.push_back({first, 0, lags_[first].atUs, first});
        driftSum = 0;
        spanSum = 0;
      }
      driftSum += windows_[window].drift * windows_[window].spanUs;
      spanSum += windows_[window].spanUs;
      segments.back().drift = spanSum > 0 ? drift() : windows_[window].drift;
    }
    if (segments.empty()) segments.push_back({0, windows_.front().rough.drift, lags_.front().atUs, 0});
  }

  // Each segment over its length, past a delay settling at its start, near the middle of the rough
  // rates of the windows that start in it. What has not changed since it was last measured is not
  // measured again.
  void MeasureSegments() {
    std::vector<Segment>& segments = clock_.segments;
    measured_.resize(segments.size());
    for (size_t segment = 0; segment < segments.size(); ++segment) {
      const size_t begin = segments[segment].measuredFrom;
      const size_t end = EndOfSegment(segment);
      const Measured key{begin, end, stretching_};
      if (measured_[segment] == key) continue;
      measured_[segment] = key;
      RoughSlope rough;
      scratch_.clear();
      for (size_t window = WindowOf(begin); window < windows_.size() && windows_[window].begin < end; ++window) {
        if (windows_[window].rough.known && windows_[window].begin >= begin) {
          scratch_.push_back(windows_[window].rough.drift);
        }
      }
      if (scratch_.empty()) {
        rough = RoughSlopeOf(lags_, begin, end, scratch_);
      } else {
        rough.drift = MedianOf(scratch_);
        rough.reach = kLeastReach;
        rough.known = true;
      }
      if (rough.known) FitDrift(lags_, starts_, begin, end, rough, segments[segment].drift);
    }
    for (size_t segment = 1; segment < segments.size(); ++segment) {
      segments[segment].fromUs =
          BendPlaceUs(lags_, segments[segment].first, segments[segment - 1].drift, segments[segment].drift);
    }
  }

  // Where the rate changes between two segments: within the two windows before the one the later
  // starts in, and that one. A segment whose start is a delay settling starts no later, since its
  // own rate shows only after it.
  void Bend() {
    std::vector<Segment>& segments = clock_.segments;
    for (size_t segment = 1; segment < segments.size(); ++segment) {
      const size_t window = WindowOf(segments[segment].first);
      const size_t begin = std::max(windows_[window >= 2 ? window - 2 : 0].begin, segments[segment - 1].first + 1);
      const bool settled = segments[segment].measuredFrom > segments[segment].first;
      const size_t end = settled ? segments[segment].first + 1
                                 : std::min(EndOf(std::min(window + 1, windows_.size() - 1)), EndOfSegment(segment));
      if (begin < end) {
        segments[segment].first =
            BendOf(lags_, begin, end, segments[segment - 1].drift, segments[segment].drift, clock_.stepUs);
        if (!settled) segments[segment].measuredFrom = segments[segment].first;
      }
    }
  }

  // A faster stretch that is soon over is the server's delay settling (after a hang, or for an
  // input just woken) when the server's own timing in it, which its delay does not touch, lies on
  // the rate after it: that rate holds for it too, and the floor puts its sound in place. A faster
  // rate that the server's timing follows, or one it does not tell apart, is the input's own.
  // A segment whose bounds lie far apart (the program held, which gets only the server's own timing
  // meanwhile) tells no rate of its own: its lag rises by whatever the input missed meanwhile, which
  // no bound places. Between two segments of one rate it runs at that rate, and what it rose by is
  // missed time.
  void Bridge() {
    std::vector<Segment>& segments = clock_.segments;
    const double bendUs = kBendOverStep * clock_.stepUs;
    for (size_t middle = 1; middle + 1 < segments.size(); ++middle) {
      const size_t begin = segments[middle].first;
      const size_t end = EndOfSegment(middle);
      const double spanUs = lags_[std::min(end, lags_.size() - 1)].atUs - lags_[begin > 0 ? begin - 1 : 0].atUs;
      const auto pairs = static_cast<double>(end - begin + 1);
      const bool sparse = pairs * kSparseWindowUs < spanUs * static_cast<double>(kWindowPairs);
      const double before = segments[middle - 1].drift;
      const double after = segments[middle + 1].drift;
      if (!sparse || std::abs(before - after) * kWindowUs > bendUs) continue;
      segments.erase(segments.begin() + static_cast<std::ptrdiff_t>(middle),
                     segments.begin() + static_cast<std::ptrdiff_t>(middle + 2));
      measured_.erase(measured_.begin() + static_cast<std::ptrdiff_t>(std::min(middle, measured_.size())),
                      measured_.begin() + static_cast<std::ptrdiff_t>(std::min(middle + 2, measured_.size())));
      --middle;
    }
  }

  void Settle() {
    std::vector<Segment>& segments = clock_.segments;
    if (segments.size() < 2) return;
    const std::vector<double> trend = TrendOf(lags_, segments);
    const std::vector<double> delays = DelaysAfterServer(lags_, trend);
    scratch_.clear();
    for (size_t k = 0; k < lags_.size(); ++k) {
      if (lags_[k].fromServer) scratch_.push_back(delays[k]);
    }
    const double usualUs = scratch_.empty() ? 0 : MedianOf(scratch_);
    for (size_t next = 1; next < segments.size(); ++next) {
      // The longest run of faster segments just before it, soon over, that the server's timing
      // shows to be a delay.
      size_t settled = next;
      for (size_t stretch = next; stretch-- > 0;) {
        const double spanUs = segments[next].fromUs - (stretch == 0 ? lags_.front().atUs : segments[stretch].fromUs);
        if (spanUs > kSettleUs || segments[stretch].drift >= segments[next].drift) break;
        if (DelaySettles(lags_, trend, delays, usualUs, segments[stretch].first, segments[next], clock_.stepUs)) {
          settled = stretch;
        }
      }
      if (settled < next) {
        segments[next].first = segments[settled].first;
        segments[next].fromUs = segments[settled].fromUs;
        segments.erase(segments.begin() + static_cast<std::ptrdiff_t>(settled),
                       segments.begin() + static_cast<std::ptrdiff_t>(next));
        measured_.erase(measured_.begin() + static_cast<std::ptrdiff_t>(settled),
                        measured_.begin() + static_cast<std::ptrdiff_t>(next));
        next = settled;
      }
    }
  }

  // What a segment was last measured on.
  struct Measured {
    size_t begin = 0;
    size_t end = 0;
    int stretching = -1;
    bool operator==(const Measured&) const = default;
  };

  const std::vector<Lag>& lags_;
  std::vector<Window> windows_;
  std::vector<size_t> starts_;
  int stretching_ = 0;  // how often the stretches were found anew
  std::vector<Measured> measured_;
  InputClock clock_;
  std::vector<double> scratch_;
};

// The trend at a place of the stream no earlier than bound `from` (of segment `segment`) and before
// the next, as `TrendOf` gives it at each bound; before the first bound, on the first segment's rate.
double TrendAt(double atUs, const std::vector<Lag>& lags, const std::vector<double>& trend,
               const std::vector<Segment>& segments, size_t from, size_t segment) {
  const Segment& here = segments[segment];
  if (segment + 1 < segments.size() && segments[segment + 1].first == from + 1 && atUs > segments[segment + 1].fromUs) {
    const Segment& after = segments[segment + 1];
    return trend[from] + here.drift * (after.fromUs - lags[from].atUs) + after.drift * (atUs - after.fromUs);
  }
  return trend[from] + here.drift * (atUs - lags[from].atUs);
}

// The timing as the plan reads it: the useful bounds in stream order, without those of sound sent
// ahead, their lags, the input's clock, and the trend and floor it gives.
struct Reading {
  std::vector<CaptureBound> bounds;
  std::vector<Lag> lags;
  InputClock clock;
  std::vector<double> trend;
  std::vector<double> floor;
};

Reading ReadingOf(const TakeTiming& timing) {
  Reading reading;
  reading.bounds = UsefulBounds(timing.bounds, timing.rate, timing.frameBytes);
  reading.lags = LagsOf(reading.bounds, timing.rate, timing.frameBytes);
  reading.clock = ClockFit(reading.lags).Measure();
  reading.trend = TrendOf(reading.lags, reading.clock.segments);
  const std::vector<bool> ahead = SentAhead(reading.lags, reading.trend, reading.clock.stepUs);
  if (std::find(ahead.begin(), ahead.end(), true) != ahead.end()) {
    size_t kept = 0;
    for (size_t k = 0; k < reading.bounds.size(); ++k) {
      if (!ahead[k]) reading.bounds[kept++] = reading.bounds[k];
    }
    reading.bounds.resize(kept);
    reading.lags = LagsOf(reading.bounds, timing.rate, timing.frameBytes);
    reading.clock = ClockFit(reading.lags).Measure();
    reading.trend = TrendOf(reading.lags, reading.clock.segments);
  }
  reading.floor = FloorOf(reading.lags, reading.trend);
  return reading;
}

// The drift over the whole stream, each segment's weighed by its length.
double MeanDrift(const std::vector<Lag>& lags, const std::vector<Segment>& segments) {
  double driftSum = 0;
  double spanSum = 0;
  for (size_t s = 0; s < segments.size() && !lags.empty(); ++s) {
    const double spanUs = (s + 1 < segments.size() ? segments[s + 1].fromUs : lags.back().atUs) -
                          (s == 0 ? lags.front().atUs : segments[s].fromUs);
    driftSum += segments[s].drift * spanUs;
    spanSum += spanUs;
  }
  return spanSum > 0 ? driftSum / spanSum : segments.front().drift;
}

// The input's time, in frames, at a moment of the steady clock given in the take's frames: from
// each moment its rate changes on, that many frames over that stretch's drift, so that the take
// runs on the input's clock without a break where the rate changes.
class InputTime {
 public:
  // `bendFrames` holds the moment each segment but the first takes over.
  InputTime(const std::vector<Segment>& segments, const std::vector<double>& bendFrames) {
    bends_.push_back({-std::numeric_limits<double>::infinity(), segments.front().drift});
    for (size_t s = 1; s < segments.size(); ++s) {
      const Bend before = bends_.back();
      const double atFrames = std::max(bendFrames[s - 1], before.steadyFrames);
      const double from = s == 1 ? 0 : before.steadyFrames;
      bends_.push_back({atFrames, segments[s].drift, before.inputFrames + (atFrames - from) / (1 + before.drift)});
    }
    atStart_ = Of(0);
  }

  // From the take's start on.
  int64_t InTake(int64_t steadyFrames) const {
    return static_cast<int64_t>(std::llround(Of(static_cast<double>(steadyFrames)) - atStart_));
  }

 private:
  struct Bend {
    double steadyFrames;
    double drift;
    double inputFrames = 0;  // the input's time there
  };

  double Of(double steadyFrames) const {
    const auto next = std::upper_bound(bends_.begin() + 1, bends_.end(), steadyFrames,
                                       [](double frames, const Bend& bend) { return frames < bend.steadyFrames; });
    const Bend& bend = *std::prev(next);
    const double from = next == bends_.begin() + 1 ? 0 : bend.steadyFrames;
    return bend.inputFrames + (steadyFrames - from) / (1 + bend.drift);
  }

  std::vector<Bend> bends_;
  double atStart_ = 0;
};

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
  // Timing however odd stays within what the frames of a take can count.
  const int64_t farUs = std::numeric_limits<int64_t>::max() / rate;
  const auto framesOf = [rate, farUs](int64_t microseconds) {
    return std::clamp(microseconds, -farUs, farUs) * rate / 1000000;
  };
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
  // The same in the take's frames, for a moment read from the timing.
  const auto steadyFramesOf = [&](double clockUs) {
    return framesOf(takeUsOf(std::llround(std::clamp(clockUs, -kFarClockUs, kFarClockUs))));
  };

  const Reading reading = ReadingOf(timing);
  const std::vector<CaptureBound>& bounds = reading.bounds;
  const std::vector<Lag>& lags = reading.lags;
  const std::vector<Segment>& segments = reading.clock.segments;
  const std::vector<double>& trend = reading.trend;
  const std::vector<double>& floor = reading.floor;
  plan.stepUs = reading.clock.stepUs;
  plan.drift = MeanDrift(lags, segments);
  // The take runs on the input's clock, its rate changing where the bounds at which it changes
  // were captured.
  std::vector<double> bendFrames;
  for (size_t s = 1; s < segments.size(); ++s) {
    const Segment& segment = segments[s];
    const double trendUs = TrendAt(segment.fromUs, lags, trend, segments, segment.first - 1, s - 1);
    bendFrames.push_back(static_cast<double>(steadyFramesOf(segment.fromUs + trendUs + floor[segment.first])));
  }
  const InputTime input(segments, bendFrames);

  // The first block captured in the take goes where it was captured: what came before the take's
  // start (the server began a moment before Record returned) is cut, and an input that delivered
  // late leaves silence first. From there each block follows the one before, and the time the
  // input missed (the floor of the timing risen beyond the trend) is carried on until it reaches
  // the least gap, then put in as silence before that block, so the take's sound stays where it
  // was captured however many short misses it has.
  const int64_t leastGap = std::max<int64_t>(1, framesOf(kLeastTakeGapUs));
  int64_t lead = 0;
  // The server's own word that the sound from a place on was still to come when the take ran: that
  // sound is never cut from its front, whatever the rest of the timing makes of it; nor is the
  // sound between its last word before the take and its first in it that it puts after the start.
  int64_t inTakeFrom = arrived;
  int64_t beforeFrame = -1;  // where the server's last word before the take put its stream
  int64_t beforeSteady = 0;  // and when, in the take's frames
  for (const CaptureBound& bound : bounds) {
    if (!bound.fromServer) continue;
    const int64_t frame = std::max<int64_t>(0, bound.endByte / frameBytes);
    const int64_t steady =
        steadyFramesOf(static_cast<double>(bound.offsetUs) + PlaceUs(bound.endByte, rate, frameBytes));
    if (steady < 0) {
      beforeFrame = frame;
      beforeSteady = steady;
      continue;
    }
    inTakeFrom = frame;
    if (beforeFrame >= 0 && beforeFrame < frame) {
      const double share = static_cast<double>(-beforeSteady) / static_cast<double>(steady - beforeSteady);
      inTakeFrom = beforeFrame + std::llround(share * static_cast<double>(frame - beforeFrame));
    }
    break;
  }
  int64_t missing = 0;     // frames of silence put in so far
  int64_t late = 0;        // how much later than captured the last block went
  int64_t kept = arrived;  // the frames captured before Stop
  bool anchored = false;
  double level = 0;  // the lag the last block was placed at
  bool leveled = false;
  const std::vector<int64_t>& blocks = timing.blocks;
  size_t segment = 0;  // of the last bound before the block
  auto bound = bounds.cbegin();
  for (size_t k = 0; k < blocks.size(); ++k) {
    const int64_t atFrame = blocks[k] / frameBytes;
    if (atFrame >= arrived) break;
    const int64_t nextByte = k + 1 < blocks.size() ? blocks[k + 1] : timing.arrivedBytes;
    const int64_t nextFrame = std::min(nextByte / frameBytes, arrived);
    // The bounds of the sound from this block's start on: those that reach past it. The blocks
    // come in order, and so the search goes on from the last block's.
    if (k > 0 && blocks[k] >= blocks[k - 1]) {
      while (bound != bounds.end() && bound->endByte <= blocks[k]) ++bound;
    } else {
      bound = std::upper_bound(bounds.begin(), bounds.end(), blocks[k],
                               [](int64_t byte, const CaptureBound& b) { return byte < b.endByte; });
    }
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
    const size_t from = at > 0 ? at - 1 : 0;
    while (segment + 1 < segments.size() && segments[segment + 1].first <= from) ++segment;
    const int64_t steadyFrames = steadyFramesOf(atUs + TrendAt(atUs, lags, trend, segments, from, segment) + level);
    // Captured after Stop: cut with all that follows. The front that is cut ends before it.
    if (steadyFrames >= takeFrames) {
      kept = atFrame;
      break;
    }
    const int64_t wanted = input.InTake(steadyFrames);
    if (!anchored) {
      // All of it was captured before the take: cut, with whatever it missed.
      if (wanted + (nextFrame - atFrame) <= 0 && nextFrame <= inTakeFrom) {
        lead = nextFrame;
        continue;
      }
      lead = std::clamp(wanted < 0 ? atFrame - wanted : atFrame, atFrame, std::max(atFrame, inTakeFrom));
      anchored = true;
    }
    const int64_t carried = wanted - (atFrame + missing - lead);
    if (carried >= leastGap) {
      plan.gaps.push_back({atFrame, carried});
      missing += carried;
    }
    late = -std::min<int64_t>(0, carried);
  }
  // Up to Stop by the input's clock; what the server never delivered before it is silence, as
  // long as it is more than the timing's own unsteadiness. Sound that went in later than it was
  // captured (held back before Record and sent as it started, which the server puts after the
  // start) moves Stop on with it, so none of what was captured before Stop is cut.
  int64_t takeEnd = input.InTake(takeFrames);
  if (anchored && late >= leastGap) takeEnd += late;
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
