// Reading music files: generated scores of 4 staves with 4,000 to 32,000 notes, and one of about a
// megabyte, each loaded whole from its file. Per note the time should stay flat as the score grows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {
constexpr int kStaves = 4;

// A 4/4 score on 4 staves: per bar a chord of two quarters, two eighths, a quarter rest and a
// quarter, with pitches that wander, so the file holds chords, rests and ties of position.
void FillScore(TUnitMuz& unit, int32_t notes) {
  auto* single = new TSinglePartMuz(&unit);
  new TMuzBar(single, 4, 4, 0);
  unit.GetStartPartMuz()->SetPartMuz(single);
  TNoteStave* stave = nullptr;
  for (int s = 0; s < kStaves; ++s) stave = unit.AddDefaultStave(stave);
  single->AddStartKeys();
  constexpr int kNotesPerBar = 5;
  const int32_t bars = notes / (kStaves * kNotesPerBar);
  int s = 0;
  // Each symbol is placed from the one before, so that making the larger scores takes no longer
  // than reading them.
  TStaveSymbol* last = single->GetStartStaveSymbol();
  const auto insert = [&](TStaveSymbol* symbol) {
    single->InsertOwnSymbolFrom(symbol, last);
    last = symbol;
  };
  for (stave = unit.GetStartStave(); stave; stave = stave->GetNext(), ++s) {
    TNoteGroup* group = stave->GetStartNoteGroup();
    const auto note = [&](double position, int8_t kind, int32_t pitch) {
      insert(new TMuzNote(&unit, group, kind, 0, position, pitch, stave, noteShiftNormal, sool, 0, noteArtNormal,
                          single, drawStickAuto));
    };
    for (int32_t bar = 0; bar < bars; ++bar) {
      const int32_t pitch = (bar * 5 + s * 3) % 14 - 7;
      note(bar, 4, pitch + 2);
      note(bar, 4, pitch);
      note(bar + 0.25, 8, pitch + 1);
      note(bar + 0.375, 8, pitch - 1);
      insert(new TSilence(4, 0, bar + 0.5, stave, sool, 0, single));
      note(bar + 0.75, 4, pitch + 3);
    }
  }
}

// The files are written once into a scratch folder that is removed when the program ends.
class ScoreFiles {
 public:
  ~ScoreFiles() {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  // The file of a score with about `notes` notes.
  const std::string& File(int32_t notes) {
    auto found = files_.find(notes);
    if (found != files_.end()) return found->second;
    if (dir_.empty()) {
      char pattern[] = "/tmp/kvmuzbenchXXXXXX";
      if (mkdtemp(pattern) == nullptr) std::abort();
      dir_ = pattern;
    }
    const std::string path = dir_ + "/score" + std::to_string(notes) + ".kvm";
    TUnitMuz unit("NONAME");
    FillScore(unit, notes);
    if (!unit.SaveToFile(path, false)) std::abort();
    return files_[notes] = path;
  }

 private:
  std::string dir_;
  std::map<int32_t, std::string> files_;
};

ScoreFiles& Files() {
  static ScoreFiles files;
  return files;
}

void LoadFile(benchmark::State& state, const std::string& path, int32_t notes) {
  int64_t steps = 0;
  for (auto _ : state) {
    auto unit = std::make_unique<TUnitMuz>(path);
    std::string error;
    if (!unit->LoadFromFile(error)) state.SkipWithError(error.c_str());
    steps = unit->GetReadSteps();
    benchmark::DoNotOptimize(unit->GetStartStave());
    // Closing the document is not part of reading it.
    state.PauseTiming();
    unit.reset();
    state.ResumeTiming();
  }
  // The symbols passed while placing the symbols read, per note.
  state.counters["steps/note"] = static_cast<double>(steps) / notes;
  state.counters["notes"] = notes;
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  state.counters["ns/note"] = benchmark::Counter(static_cast<double>(notes) * state.iterations(),
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_LoadScore(benchmark::State& state) {
  const auto notes = static_cast<int32_t>(state.range(0));
  LoadFile(state, Files().File(notes), notes);
}
BENCHMARK(BM_LoadScore)->Arg(4000)->Arg(8000)->Arg(16000)->Arg(32000)->Unit(benchmark::kMillisecond);

// About 145 bytes a note: 7,200 notes make a file of a megabyte.
void BM_LoadMegabyte(benchmark::State& state) {
  constexpr int32_t kNotes = 7200;
  LoadFile(state, Files().File(kNotes), kNotes);
}
BENCHMARK(BM_LoadMegabyte)->Unit(benchmark::kMillisecond);
}  // namespace
