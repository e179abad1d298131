// How the note players turn a note into sound: each kind of one-player shapes a copy of its sample
// wave with the sound operations, and a compound player mixes its chain. Sample waves are looked
// up by name at every request, so a player never holds on to a document that may have closed.
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "foundation/assertion.h"
#include "music/noteplay.h"
#include "music/unitmuz.h"
#include "wave/unitwave.h"

namespace {
constexpr const char* kAssertUnit = "noteplay";

// The sample wave of a player as one request sees it: its sound, its rate F, its sample count V
// and the stretch [b, e) that the samplers repeat (the whole wave when nothing is selected).
struct SampleView {
  const Sound* sound = nullptr;
  double rate = 0;
  int32_t values = 0;
  int32_t begin = 0;
  int32_t end = 0;
  double selTime = 0;
};

// Finds the sample wave; a missing or empty one clears ok and says why. An empty wave or stretch
// would give the samplers a period of no length to divide by.
bool FindSample(const unitUnitWave& sampleWave, bool& ok, std::string& error, SampleView& view) {
  const TUnitWave* unitWave = sampleWave.FindUnitWave(error);
  if (unitWave == nullptr) {
    ok = false;
    return false;
  }
  view.sound = unitWave->GetSound();
  view.rate = view.sound != nullptr ? view.sound->Freq : 0;
  view.values = view.sound != nullptr ? view.sound->GetValues() : 0;
  if (view.values > 0) {
    view.begin = unitWave->GetBegin();
    view.end = unitWave->GetEnd();
    view.selTime = unitWave->GetSelTime();
  }
  if (view.values <= 0 || view.end <= view.begin || !(view.rate > 0)) {
    error += noteplaytext::kSampleWaveEmptyBefore + sampleWave.GetName() + noteplaytext::kSampleWaveEmptyAfter;
    ok = false;
    return false;
  }
  return true;
}

// trunc(x) as a repeat count. A count that no sample buffer could hold is an allocation that
// cannot succeed, so it raises the abort flag like one.
bool RepeatCount(bool& abort, double x, int32_t& count) {
  count = 0;
  if (!(x < 2147483648.0)) {
    abort = true;
    return false;
  }
  if (x >= 1) count = static_cast<int32_t>(x);
  return true;
}

// The result of a sound operation, or nothing once an allocation has failed.
SoundPtr Checked(bool abort, SoundPtr sound) { return abort ? nullptr : std::move(sound); }

// The samplers resample with the factor rounded to single precision, as they always have. A factor
// beyond single precision (a recorded period near 0) stays as it is instead of overflowing.
double SingleFactor(double periodPlayed, double basicPeriod) {
  const double factor = periodPlayed / basicPeriod;
  if (!(factor <= std::numeric_limits<float>::max())) return factor;
  return static_cast<double>(static_cast<float>(factor));
}

// The sample's stretch, lasting `stretch` seconds once resampled by `factor`, played n times in
// succession for the note's duration at its own speed, with the head before it and the tail after.
SoundPtr RollOutStretch(bool& abort, const SampleView& w, double duration, double factor) {
  const double stretch = (w.end - w.begin) * factor / w.rate;
  int32_t n = 0;
  if (!RepeatCount(abort, duration / stretch + 0.5, n)) return nullptr;
  int32_t begin = w.begin;
  int32_t end = w.end;
  return Checked(abort, w.sound->RollOutForm(abort, stretch / factor, n, 0, begin, end));
}
}  // namespace

double TOnePlayer::AdjustPeriod(double period) const {
  const double frequency = 1 / period + OnePlayerProps.FreqUp.GetValue();
  // A shift that takes the frequency to 0 or below (or a period that is not a number) is silent,
  // never an endless period.
  if (!(frequency > 0)) return 0;
  const double adjusted = 1 / frequency;
  return std::isfinite(adjusted) ? adjusted : 0;
}

SoundPtr TOnePlayer::GetSound(bool& abort, double period, double length, double tempo, double& volume, bool& ok,
                              std::string& error) const {
  const double played = AdjustPeriod(period);
  if (!(played > 0)) return nullptr;
  const double duration = length * tempo;
  const TOnePlayerProps& props = OnePlayerProps;
  SampleView w;
  switch (props.NotePlayerKind) {
    case notePlayerSimpleSampler: {
      if (!FindSample(props.SimpleSampler.SampleWave, ok, error, w)) return nullptr;
      volume = props.VolumeFactor.GetValue();
      const double factor = SingleFactor(played, props.SimpleSampler.BasicFreq.GetValue());
      return Checked(abort, w.sound->Resample(abort, factor));
    }
    case notePlayerRollOutSampler: {
      if (!FindSample(props.RollOutSampler.SampleWave, ok, error, w)) return nullptr;
      volume = props.VolumeFactor.GetValue();
      const double factor = SingleFactor(played, props.RollOutSampler.BasicFreq.GetValue());
      const SoundPtr rolled = RollOutStretch(abort, w, duration, factor);
      if (!rolled) return nullptr;
      return Checked(abort, rolled->Resample(abort, factor));
    }
    case notePlayerResonantSampler: {
      if (!FindSample(props.ResonantSampler.SampleWave, ok, error, w)) return nullptr;
      volume = props.VolumeFactor.GetValue();
      SoundPtr rolled = RollOutStretch(abort, w, duration, 1.0);
      if (!rolled || rolled->GetValues() == 0) return rolled;
      const Wave::ResonatorRoutines& resonant = Wave::kResonatorFilters[0];
      return Checked(abort, rolled->ResNotch(abort, true, true, played, props.ResonantSampler.ResFactor.GetValue(),
                                             nullptr, nullptr, resonant.constant, resonant.periodEnvelope,
                                             resonant.widthEnvelope, resonant.bothEnvelopes, 0, -1));
    }
    case notePlayerRepeatWaveForm: {
      if (!FindSample(props.RepeatWaveForm.SampleWave, ok, error, w)) return nullptr;
      int32_t n = 0;
      if (!RepeatCount(abort, duration / played + 1.5, n)) return nullptr;
      const SoundPtr scaled = Checked(abort, w.sound->Volume(abort, props.VolumeFactor.GetValue(), 0, w.values));
      if (!scaled) return nullptr;
      volume = 1.0;
      int32_t begin = 0;
      int32_t end = w.values;
      return Checked(abort, scaled->PerEchoConst(abort, played, 1.0, n, begin, end));
    }
    case notePlayerRollOutWaveForm: {
      if (!FindSample(props.RollOutWaveForm.SampleWave, ok, error, w)) return nullptr;
      int32_t n = 0;
      if (!RepeatCount(abort, duration / played, n)) return nullptr;
      volume = props.VolumeFactor.GetValue();
      int32_t begin = 0;
      int32_t end = w.values;
      return Checked(abort, w.sound->RollOutForm(abort, played, n, 0, begin, end));
    }
    default:
      return nullptr;  // no kind chosen: silent
  }
}

double TOnePlayer::GetStartOffset(double period, double length, double tempo, bool& ok, std::string& error) const {
  const double played = AdjustPeriod(period);
  if (!(played > 0)) return 0;
  const TOnePlayerProps& props = OnePlayerProps;
  SampleView w;
  switch (props.NotePlayerKind) {
    case notePlayerRollOutSampler: {
      if (!FindSample(props.RollOutSampler.SampleWave, ok, error, w)) return 0;
      return w.begin * SingleFactor(played, props.RollOutSampler.BasicFreq.GetValue()) / w.rate;
    }
    case notePlayerResonantSampler:
      if (!FindSample(props.ResonantSampler.SampleWave, ok, error, w)) return 0;
      return w.begin / w.rate;
    case notePlayerRepeatWaveForm:
      // Kept as it always was: the echoes of the form begin this early, even where that places
      // the note before its time.
      return std::trunc(length * tempo / played + 1.5) * played;
    default:
      return 0;
  }
}

double TOnePlayer::GetEndOffset(double period, double length, double tempo, bool& ok, std::string& error) const {
  const double played = AdjustPeriod(period);
  if (!(played > 0)) return 0;
  const double duration = length * tempo;
  const TOnePlayerProps& props = OnePlayerProps;
  SampleView w;
  switch (props.NotePlayerKind) {
    case notePlayerSimpleSampler: {
      if (!FindSample(props.SimpleSampler.SampleWave, ok, error, w)) return 0;
      return w.sound->GetTime() * (played / props.SimpleSampler.BasicFreq.GetValue());
    }
    case notePlayerRollOutSampler: {
      if (!FindSample(props.RollOutSampler.SampleWave, ok, error, w)) return 0;
      const double factor = played / props.RollOutSampler.BasicFreq.GetValue();
      const double stretch = (w.end - w.begin) * factor / w.rate;
      return std::trunc(duration / stretch + 0.5) * stretch + (w.values - w.end) * factor / w.rate;
    }
    case notePlayerResonantSampler: {
      if (!FindSample(props.ResonantSampler.SampleWave, ok, error, w)) return 0;
      const double stretch = (w.end - w.begin) / w.rate;
      return std::trunc(duration / stretch + 0.5) * stretch + (w.values - w.end) / w.rate;
    }
    case notePlayerRepeatWaveForm:
      if (!FindSample(props.RepeatWaveForm.SampleWave, ok, error, w)) return 0;
      return std::trunc(duration / played + 0.5) * played + w.selTime;
    case notePlayerRollOutWaveForm:
      return duration;
    default:
      return 0;
  }
}

namespace {
// The largest offset of the chain, starting from 0; 0 as soon as one player fails.
template <class Offset>
double LargestOffset(const TOnePlayer* first, bool& ok, Offset offset) {
  double largest = 0;
  for (const TOnePlayer* player = first; player != nullptr; player = player->GetNext()) {
    const double value = offset(*player);
    if (!ok) return 0;
    if (value > largest) largest = value;
  }
  return largest;
}
}  // namespace

double TCompoundPlayer::GetStartOffset(double period, double length, double tempo, bool& ok,
                                       std::string& error) const {
  return LargestOffset(StartOnePlayer, ok, [&](const TOnePlayer& player) {
    return player.GetStartOffset(period, length, tempo, ok, error);
  });
}

double TCompoundPlayer::GetEndOffset(double period, double length, double tempo, bool& ok,
                                     std::string& error) const {
  return LargestOffset(StartOnePlayer, ok, [&](const TOnePlayer& player) {
    return player.GetEndOffset(period, length, tempo, ok, error);
  });
}

SoundPtr TCompoundPlayer::GetSound(bool& abort, double period, double length, double tempo, double& volume,
                                   bool& ok, std::string& error) const {
  const double start = GetStartOffset(period, length, tempo, ok, error);
  if (!ok) return nullptr;
  const double end = GetEndOffset(period, length, tempo, ok, error);
  if (!ok || StartOnePlayer == nullptr) return nullptr;
  if (StartOnePlayer->GetNext() == nullptr)
    return StartOnePlayer->GetSound(abort, period, length, tempo, volume, ok, error);

  KV_ASSERT(UnitMuz != NULL);
  volume = 1.0;
  // Always stereo, whatever the document's channel count: the mix is added into the music later.
  const StereoSound empty(static_cast<int32_t>(UnitMuz->GetSamplesPerSec()),
                          static_cast<uint16_t>(UnitMuz->GetBytesPerSample()));
  int32_t begin = 0;
  int32_t endPosition = 0;
  // A failed mix is dropped whole: the unique pointer frees it on every early return.
  SoundPtr mix = Checked(abort, empty.Silence(abort, start + end, begin, endPosition));
  if (!mix) return nullptr;
  for (const TOnePlayer* player = StartOnePlayer; player != nullptr; player = player->GetNext()) {
    double playerVolume = 1.0;
    const SoundPtr sound = player->GetSound(abort, period, length, tempo, playerVolume, ok, error);
    if (!ok || abort) return nullptr;
    const double playerStart = player->GetStartOffset(period, length, tempo, ok, error);
    if (!ok) return nullptr;
    if (sound != nullptr) mix->AddAtTime(abort, sound.get(), start - playerStart, playerVolume);
    if (abort) return nullptr;
  }
  return mix;
}
