// Where the blocks of a recording belong in the take. The sound server delivers late by its
// latency, which is large for an input just woken and after a hang; an input may miss time (it
// drops out, is suspended, overruns on a busy machine); and an input's clock never runs exactly
// with this machine's. Only the server's own timing tells these apart: the take plan reads it.
#pragma once

#include <cstdint>
#include <vector>

// Where a stretch that Record ran starts: on the steady clock, and in the take.
struct TakeRun {
  int64_t clockUs;
  int64_t takeUs;
};

// What the server's timing and the blocks' arrival say: the sound before `endByte` was captured
// no later than `offsetUs` plus its own place in the stream (at the input's nominal rate), on
// the steady clock. The server's own timing also says where its stream stood at that moment: the
// sound from `endByte` on was still to come, however long ago the sound before it came in (a
// server that dropped what it could not keep writes nothing meanwhile).
struct CaptureBound {
  int64_t endByte;
  int64_t offsetUs;
  bool fromServer = false;
};

// Silence of `frames` frames put in before the captured frame `atFrame`.
struct TakeGap {
  int64_t atFrame;
  int64_t frames;
};

// What a take knew of its time when Record ended.
struct TakeTiming {
  int32_t rate = 0;         // frames per second
  int64_t frameBytes = 0;
  int64_t arrivedBytes = 0;  // whole frames
  int64_t ranUs = 0;         // how long Record ran, pauses left out
  std::vector<TakeRun> runs;
  std::vector<int64_t> blocks;  // where each block the server delivered starts, in bytes
  std::vector<CaptureBound> bounds;  // in any order
};

// The take: its first `lead` frames cut, the gaps put in as silence (in order, none before
// `lead`), and its end cut or filled with silence to `takeEnd` frames.
struct TakePlan {
  std::vector<TakeGap> gaps;
  int64_t lead = 0;
  int64_t takeEnd = 0;
  // How much faster this machine's clock runs than the input's (0.01: the input is 1 % slow), over
  // the take: where the input's rate changes, each stretch's drift weighed by its length.
  double drift = 0;
  // The least rise of the timing taken for a step (missed time, a pause) rather than its own
  // unsteadiness, in microseconds.
  double stepUs = 0;
};

// The least time an input is taken to have missed: a step in the server's timing shorter than
// this is the timing moving, and only clicks as silence. Shorter misses are carried on until
// they add up to it.
inline constexpr int64_t kLeastTakeGapUs = 60 * 1000;

// Adds a bound as the take runs, dropping those it makes idle: a bound of a block's arrival that a
// later sound's bound undercuts even for an input ten times as fast as its rate tells nothing more.
// That is all a burst leaves (sound held back, then delivered at once); the bounds of sound
// delivered as it was captured are kept, however fast or slow the input runs, and so is every
// bound of the server's own timing, for what it says of the sound to come.
void KeepBound(std::vector<CaptureBound>& bounds, const CaptureBound& bound, int32_t rate, int64_t frameBytes);

// The input's drift and the time it missed are measured from the bounds as lag on the stream's
// nominal time. A miss only ever adds lag, and a step of the timing counts as one when it stands
// out from the timing's own unsteadiness in this take; a change of the input's rate bends the
// lag's slope instead. The drift is measured piecewise: each stretch of the stream that keeps one
// rate has its own slope, shared by the stretches between steps within it, and the take runs on
// the input's clock from stretch to stretch without a break. An input runs between half and twice
// its rate. Each block then goes where the timing first forces it: sound that the timing lets
// stand where it was captured stays there, and missed time comes before the first sound captured
// after it; sound that the server's own timing shows captured after Record started is never cut.
TakePlan PlanTake(const TakeTiming& timing);
