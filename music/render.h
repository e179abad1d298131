// Rendering music into sound: its texts and its one switch, shared by the renderer, its tests and
// benchmarks.
#pragma once

namespace rendertext {
inline constexpr const char* kCannotCreateMusic = "Cannot create music: ";
// The music would need more samples than one channel can hold.
inline constexpr const char* kMusicTooLong = "The music is too long for one sound.";
}  // namespace rendertext

// A render makes each distinct note sound once and mixes it wherever the score repeats it. Off, it
// makes every note's sound anew, with the same samples; the tests and benchmarks compare the two.
void SetRenderReusesNoteSounds(bool reuse);
