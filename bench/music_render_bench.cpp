// Rendering a generated score: 4 staves of 100 bars of 4/4 quarter notes, every note resampled
// from a 1-second 44.1 kHz sample wave by one simple sampler, into stereo at 44.1 kHz. Beside it
// the same render making every note's sound anew, and two floors on the same kind of memory: a
// copy of as many bytes as the rendered music holds, and a copy of every note's samples to its
// place, which is what the mix writes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_util.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/render.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "wave/shell.h"
#include "wave/unitwave.h"

namespace {
constexpr int32_t kRate = 44100;
constexpr int kStaves = 4;
constexpr int kQuartersPerStave = 100 * 4;

class SampleShell : public ShellServices {
 public:
  explicit SampleShell(TUnitWave* sample) : sample_(sample) { previous_ = SetShellServices(this); }
  ~SampleShell() override { SetShellServices(previous_); }
  TUnitWave* MainFindUnitWaveByName(const std::string& name) override { return name == "sample" ? sample_ : nullptr; }
  bool MainPlayWholeSound(const Sound&) override { return false; }

 private:
  TUnitWave* sample_;
  ShellServices* previous_ = nullptr;
};

struct GeneratedScore {
  TUnitWave sample{"sample.wav", std::make_unique<MonoSound>(MakeBenchWave(kRate), kRate, 2)};
  SampleShell shell{&sample};
  TUnitMuz unit{"bench.kvm"};

  TSinglePartMuz* single = nullptr;

  GeneratedScore() {
    unit.SetFormat(waveFileProps(1, 22050, 2), waveFileProps(2, kRate, 2));
    single = new TSinglePartMuz(&unit);
    new TMuzBar(single, 4, 4, 0);
    unit.GetStartPartMuz()->SetPartMuz(single);
    TNoteStave* stave = nullptr;
    for (int s = 0; s < kStaves; ++s) {
      stave = unit.AddDefaultStave(stave);
      TNoteGroup* group = stave->GetStartNoteGroup();
      group->GetCompoundPlayer()->GetStartOnePlayer()->SetSimpleSampler(
          {unitUnitWave("sample"), unitTimePosMore(1.0 / 440, kUnitHertz)});
      for (int q = 0; q < kQuartersPerStave; ++q) {
        // Pitches wander over 14 steps: the notes resample by 14 factors, each many times over.
        single->InsertSymbol(new TMuzNote(&unit, group, 4, 0, q * 0.25, (q * 5 + s * 3) % 14, stave,
                                          noteShiftNormal, sool, 0, noteArtNormal, single, drawStickAuto));
      }
    }
  }
};

GeneratedScore& Score() {
  static GeneratedScore score;
  return score;
}

void RunRender(benchmark::State& state, bool reuse) {
  GeneratedScore& score = Score();
  SetRenderReusesNoteSounds(reuse);
  int64_t values = 0;
  for (auto _ : state) {
    SoundPtr music = score.unit.CreateWave();
    values = music ? music->GetValues() : 0;
    benchmark::DoNotOptimize(music.get());
  }
  SetRenderReusesNoteSounds(true);
  state.counters["samples"] = static_cast<double>(values);
}

void BM_RenderScore(benchmark::State& state) { RunRender(state, true); }
BENCHMARK(BM_RenderScore)->Unit(benchmark::kMillisecond);

void BM_RenderScoreMakingEveryNoteAnew(benchmark::State& state) { RunRender(state, false); }
BENCHMARK(BM_RenderScoreMakingEveryNoteAnew)->Unit(benchmark::kMillisecond);

void BM_CopyRenderedSize(benchmark::State& state) {
  const SoundPtr music = Score().unit.CreateWave();
  const int64_t values = music->GetValues();
  const EngineBuffer left(values);
  const EngineBuffer right(values);
  const auto bytes = static_cast<size_t>(values) * sizeof(int16_t);
  for (auto _ : state) {
    std::memcpy(left.samples, music->GetLeftWave()->wave, bytes);
    std::memcpy(right.samples, music->GetRightWave()->wave, bytes);
    benchmark::ClobberMemory();
  }
  state.counters["bytes"] = static_cast<double>(2 * bytes);
}
BENCHMARK(BM_CopyRenderedSize)->Unit(benchmark::kMillisecond);

// Where each note's sound lands in the music and how many samples it has, worked out as the
// render does from the players' offsets.
struct Placement {
  int64_t at;
  int64_t count;
};

std::vector<Placement> NotePlacements(GeneratedScore& score, int64_t values) {
  const double seconds = score.unit.GetTempo().GetValue();
  bool ok = true;
  std::string error;
  std::vector<Placement> placements;
  for (TStaveSymbol* symbol = score.single->GetStartStaveSymbol(); symbol != nullptr; symbol = symbol->GetNext()) {
    const TMuzNote* note = symbol->AsNote();
    if (note == nullptr) continue;
    const double start = note->GetStartOffset(0, seconds, ok, error);
    const double end = note->GetEndOffset(0, seconds, ok, error);
    const auto at = static_cast<int64_t>((note->GetTime() * seconds - start) * kRate);
    const int64_t count = std::min(static_cast<int64_t>((start + end) * kRate), values - at);
    if (at >= 0 && count > 0) placements.push_back({at, count});
  }
  return placements;
}

// The mix's floor: the silence written, then every note's samples copied (not added) to their
// place in both channels, from one note-long source as the reused sounds are.
void BM_CopyWhatTheRenderWrites(benchmark::State& state) {
  GeneratedScore& score = Score();
  const SoundPtr music = score.unit.CreateWave();
  const int64_t values = music->GetValues();
  const std::vector<Placement> placements = NotePlacements(score, values);
  int64_t longest = 0;
  int64_t written = 0;
  for (const Placement& p : placements) {
    longest = std::max(longest, p.count);
    written += p.count;
  }
  const EngineBuffer source(longest);
  for (auto _ : state) {
    // New buffers each time, as the render allocates its music.
    const EngineBuffer left(values);
    const EngineBuffer right(values);
    for (const Placement& p : placements)
      for (int16_t* channel : {left.samples, right.samples})
        std::memcpy(channel + p.at, source.samples, static_cast<size_t>(p.count) * sizeof(int16_t));
    benchmark::ClobberMemory();
  }
  state.counters["bytes"] = static_cast<double>(2 * (values + written) * 2);
}
BENCHMARK(BM_CopyWhatTheRenderWrites)->Unit(benchmark::kMillisecond);
}  // namespace
