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
// the steady clock.
struct CaptureBound {
  int64_t endByte;
  int64_t offsetUs;
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
  // How much faster this machine's clock runs than the input's (0.01: the input is 1 % slow).
  double drift = 0;
};

// The least time an input is taken to have missed: a step in the server's timing shorter than
// this is the timing moving, and only clicks as silence. Shorter misses are carried on until
// they add up to it.
inline constexpr int64_t kLeastTakeGapUs = 60 * 1000;
// An input's clock runs apart from this machine's by far less than this (sound cards keep within
// a hundred millionths); a drift measured beyond it is time the input missed.
inline constexpr double kMostInputDrift = 0.06;

// The input's drift is measured from the bounds as lag on the stream's nominal time, in a way that
// the time an input misses, which only ever adds lag, cannot bend: the least sum of what each
// bound lies above its stretch's line, for one slope shared by every stretch between two steps of
// the timing.
TakePlan PlanTake(const TakeTiming& timing);
