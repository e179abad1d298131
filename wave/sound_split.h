// Splitting a sound into pieces or channels and merging two sounds one after the other or side by
// side, as the split and merge commands of the main window need them. Each operation answers null
// (or nothing) when the abort flag was raised: the sources are then as they were and whatever was
// made on the way is freed.
#pragma once

#include <cstdint>
#include <vector>

#include "wave/sound.h"

// [first, end) of a sound: one piece of a split.
struct SampleRange {
  int32_t first;
  int32_t end;
};

// The pieces of `sound` in the order of `ranges`: all of them, or none after a failed allocation.
// Ranges lie within the sound.
std::vector<SoundPtr> TrimPieces(bool& abort, const Sound& sound, const std::vector<SampleRange>& ranges);

// Two mono sounds of the stereo sound's format that take its channel buffers over without a copy;
// the stereo sound is protected, so its owner may still destroy it.
void SplitChannels(StereoSound& sound, SoundPtr& left, SoundPtr& right);

// `first` followed by `last`, both brought to `channels` (1 or 2) and `rate` before they are
// joined; the result is written with `bytesPerSample`.
SoundPtr MergeSequential(bool& abort, const Sound& first, const Sound& last, uint16_t channels, int32_t rate,
                         uint16_t bytesPerSample);

// The source whose own sound is the sequential merge of the two unchanged, so that the merged
// document can take it over instead of a copy: the one already of `channels` and `rate` when the
// other holds no samples; null when both must be joined or converted.
const Sound* SequentialTakeOver(const Sound& first, const Sound& last, uint16_t channels, int32_t rate);

// How two channels of different lengths become one length.
enum LengthMatch : uint8_t {
  kSilenceAtBegin = 0,  // zeros before the shorter
  kSilenceAtEnd = 1,    // zeros after the shorter; any unknown value does the same
  kStretchShorter = 2,  // an empty shorter one becomes zeros
  kSqueezeLonger = 3,   // against an empty one the longer becomes empty too
};

// A stereo sound whose left channel is `left`'s mono mix at `rate` and whose right channel is
// `right`'s, matched in length by `match` whenever their sample counts differ. A mono source
// already at `rate` whose channel goes in unchanged hands its buffer over: that source is then
// protected and must be destroyed without being changed again. The sources are touched only once
// the result stands.
SoundPtr MergeSideBySide(bool& abort, Sound& left, Sound& right, int32_t rate, uint16_t bytesPerSample,
                         uint8_t match);
