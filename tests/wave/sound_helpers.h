// Sounds built from sample lists and read back, and a document shown in a recording wave window,
// for the tests of sounds, sound files and wave documents.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "fakes/recording_view.h"
#include "routine_samples.h"
#include "wave/unitwave.h"

inline WavePtr MakeWave(const std::vector<int16_t>& samples) { return MakeSamples(samples); }

inline std::vector<int16_t> Samples(const Wave* w) { return w == nullptr ? std::vector<int16_t>{} : SamplesOf(*w); }

inline SoundPtr MonoOf(const std::vector<int16_t>& samples, int32_t rate, uint16_t bytes = 2) {
  return std::make_unique<MonoSound>(MakeWave(samples), rate, bytes);
}

inline SoundPtr StereoOf(const std::vector<int16_t>& left, const std::vector<int16_t>& right, int32_t rate) {
  return std::make_unique<StereoSound>(MakeWave(left), MakeWave(right), rate, 2);
}

struct Doc {
  explicit Doc(SoundPtr sound) : unitWave("a.wav", std::move(sound)) { unitWave.SetView(&view); }
  std::vector<int16_t> Left() const { return Samples(unitWave.GetSound()->GetLeftWave()); }
  std::vector<int16_t> Right() const { return Samples(unitWave.GetSound()->GetRightWave()); }
  std::pair<int32_t, int32_t> Selection() const { return {unitWave.GetSelBegin(), unitWave.GetSelEnd()}; }
  RecordingView view;
  TUnitWave unitWave;
};
