// Sample waves registered by name with a fake main window, as the note players look them up. A
// marker at sample 0 shows where a note's sound lands in the music.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/samples.h"
#include "wave/fakes/fake_main_window.h"
#include "wave/unitwave.h"

inline constexpr int32_t kSampleRate = 22050;

struct SampleWaves {
  FakeMainWindow main;
  std::vector<std::unique_ptr<TUnitWave>> documents;

  // `count` samples (none: an empty document), the marker first; selEnd > selBegin selects.
  TUnitWave& Add(const std::string& name, int32_t count, int16_t marker = 8000, int32_t selBegin = 0,
                 int32_t selEnd = 0) {
    Samples16 samples(static_cast<size_t>(count), 0);
    auto sound = std::make_unique<MonoSound>(count > 0 ? MakeWave(samples) : nullptr, kSampleRate, 2);
    if (count > 0) sound->WaveMiddle->wave[0] = marker;
    documents.push_back(std::make_unique<TUnitWave>(name, std::move(sound)));
    if (selEnd > selBegin) documents.back()->SetSelRange(selBegin, selEnd);
    return *(main.documents[name] = documents.back().get());
  }
};

// The count of a marked wave, as the tests written before Add took a count name it.
inline int32_t Marked(int32_t count) { return count; }

inline std::vector<int32_t> MarkersIn(const Wave* wave, int16_t threshold) {
  std::vector<int32_t> found;
  for (int32_t i = 0; wave != nullptr && i < wave->values; ++i)
    if (wave->wave[i] > threshold) found.push_back(i);
  return found;
}
