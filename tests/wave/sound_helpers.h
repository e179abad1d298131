// A wave document shown in a recording wave window, for the tests of documents and sound files.
#pragma once

#include <utility>

#include "fakes/recording_view.h"
#include "support/samples.h"
#include "wave/unitwave.h"

struct Doc {
  explicit Doc(SoundPtr sound) : unitWave("a.wav", std::move(sound)) { unitWave.SetView(&view); }
  Samples16 Left() const { return Samples(unitWave.GetSound()->GetLeftWave()); }
  Samples16 Right() const { return Samples(unitWave.GetSound()->GetRightWave()); }
  std::pair<int32_t, int32_t> Selection() const { return {unitWave.GetSelBegin(), unitWave.GetSelEnd()}; }
  RecordingView view;
  TUnitWave unitWave;
};
