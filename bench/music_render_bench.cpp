// Rendering a generated score: 4 staves of 100 bars of 4/4 quarter notes, every note resampled
// from a 1-second 44.1 kHz sample wave by one simple sampler, into stereo at 44.1 kHz; beside it a
// copy of as many bytes as the rendered music holds, the floor any render must pay.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_util.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
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

  GeneratedScore() {
    unit.SetFormat(waveFileProps(1, 22050, 2), waveFileProps(2, kRate, 2));
    auto* single = new TSinglePartMuz(&unit);
    new TMuzBar(single, 4, 4, 0);
    unit.GetStartPartMuz()->SetPartMuz(single);
    TNoteStave* stave = nullptr;
    for (int s = 0; s < kStaves; ++s) {
      stave = unit.AddDefaultStave(stave);
      TNoteGroup* group = stave->GetStartNoteGroup();
      group->GetCompoundPlayer()->GetStartOnePlayer()->SetSimpleSampler(
          {unitUnitWave("sample"), unitTimePosMore(1.0 / 440, kUnitHertz)});
      for (int q = 0; q < kQuartersPerStave; ++q) {
        // Pitches wander over two octaves so every note resamples by a different factor.
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

void BM_RenderScore(benchmark::State& state) {
  GeneratedScore& score = Score();
  int64_t values = 0;
  for (auto _ : state) {
    SoundPtr music = score.unit.CreateWave();
    values = music ? music->GetValues() : 0;
    benchmark::DoNotOptimize(music.get());
  }
  state.counters["samples"] = static_cast<double>(values);
}
BENCHMARK(BM_RenderScore)->Unit(benchmark::kMillisecond);

void BM_CopyRenderedSize(benchmark::State& state) {
  GeneratedScore& score = Score();
  const SoundPtr music = score.unit.CreateWave();
  const size_t bytes = static_cast<size_t>(music->GetValues()) * 2 * sizeof(int16_t);
  std::vector<char> from(bytes, 1);
  std::vector<char> to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyRenderedSize)->Unit(benchmark::kMillisecond);
}  // namespace
