// Sample waves registered by name with a fake main window, as the note players look them up, and
// the plays the main window was asked for.
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

  // An empty list gives a document without samples; selEnd > selBegin selects [selBegin, selEnd).
  TUnitWave& Add(const std::string& name, const Samples16& samples, int32_t selBegin = 0, int32_t selEnd = 0) {
    if (samples.empty())
      documents.push_back(std::make_unique<TUnitWave>(name + ".wav", waveFileProps(1, kSampleRate, 2)));
    else
      documents.push_back(std::make_unique<TUnitWave>(
          name + ".wav", std::make_unique<MonoSound>(MakeWave(samples), kSampleRate, 2)));
    if (selEnd > selBegin) documents.back()->SetSelRange(selBegin, selEnd);
    main.documents[name] = documents.back().get();
    return *documents.back();
  }
};

// A marker at sample 0 and silence after it: where a note's sound lands shows in the music.
inline Samples16 Marked(int32_t count, int16_t marker = 8000) {
  Samples16 samples(static_cast<size_t>(count), 0);
  samples[0] = marker;
  return samples;
}

// Positions of the samples above half the marker.
inline std::vector<int32_t> MarkersIn(const Wave* wave, int16_t marker = 8000) {
  std::vector<int32_t> found;
  for (int32_t i = 0; wave != nullptr && i < wave->values; ++i)
    if (wave->wave[i] > marker / 2) found.push_back(i);
  return found;
}
