// How reading a music file grows with kinds of bulk the reader once took in time of its square:
// blanks before the document's first tag, and the notes of a "7.0" score, whose keys and
// accidentals are taken from the symbols before them on their stave: in one note group, on two
// staves, and in many groups of 16 notes. Each shape is read at two sizes eight times apart: the
// ratio of their times is about 8 where reading is linear and 64 where it is the square. Each row
// also gives its time as a multiple of a memcpy of the file's bytes, timed in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "music/unitmuz.h"

namespace {
const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!DOCTYPE UnitMuz SYSTEM \"UnitMuz.dtd\">\n\n";
const std::string kPlayer =
    "<CompoundPlayer>\n<RepeatWaveForm>\n<SampleWave>s</SampleWave>\n<VolumeFactor>1</VolumeFactor>\n"
    "</RepeatWaveForm>\n</CompoundPlayer>\n";

// A "7.0" document in 4/4 of `staves` staves, each with `notes` eighth notes in time order in groups
// of `groupSize`, under a key that sharpens one step: most notes carry no accidental and take
// theirs from the key or from a note before them in the bar.
std::string SeventyBody(int64_t notes, int staves = 1, int64_t groupSize = 0) {
  std::ostringstream out;
  out << "<UnitMuz>\n<Version>7.0</Version>\n<Tempo>1 s</Tempo>\n<Bar>\n<Count>4</Count>\n<Length>4</Length>\n"
         "</Bar>\n";
  for (int stave = 0; stave < staves; ++stave) {
    out << "<Stave>\n<RoomUp>40</RoomUp>\n<RoomDown>40</RoomDown>\n<ForegroundColor>0</ForegroundColor>\n"
           "<BackgroundColor>0</BackgroundColor>\n<Key>\n<Position>0</Position>\n<KeyKind>G</KeyKind>\n"
           "<KeyNoteShift>\n<ShiftCross/>\n<Height>3</Height>\n</KeyNoteShift>\n</Key>\n";
    const std::string group = "<NoteGroup>\n<NoteColor>0</NoteColor>\n<NoteShapeNormal/>\n" + kPlayer;
    out << group;
    for (int64_t i = 0; i < notes; ++i) {
      if (i > 0 && groupSize > 0 && i % groupSize == 0) out << "</NoteGroup>\n" << group;
      out << "<Note>\n<Position>" << i << "/8</Position>\n<Length>8</Length>\n<Height>" << (i * 5) % 12 - 4
          << "</Height>\n";
      if (i % 7 == 3) out << "<ShiftMol/>\n";
      out << "</Note>\n";
    }
    out << "</NoteGroup>\n</Stave>\n";
  }
  out << "</UnitMuz>\n";
  return out.str();
}
std::string SeventyScore(int64_t notes) { return kHead + SeventyBody(notes); }
// The notes shared by two staves, each with one group.
std::string SeventyTwoStaves(int64_t notes) { return kHead + SeventyBody(notes / 2, 2); }
std::string SeventyGroupsOf16(int64_t notes) { return kHead + SeventyBody(notes, 1, 16); }

// The same small document behind `bytes` of blanks, lines of spaces as an editor might leave.
std::string BlanksFirst(int64_t bytes) {
  std::string text = kHead;
  text.reserve(static_cast<size_t>(bytes) + 4096);
  std::string line(63, ' ');
  line += '\n';
  for (int64_t n = 0; n < bytes; n += static_cast<int64_t>(line.size())) text += line;
  return text + SeventyBody(16);
}

// The files are written once into a scratch folder that is removed when the program ends.
class GrowthFiles {
 public:
  ~GrowthFiles() {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  const std::string& File(const std::string& name, std::string (*make)(int64_t), int64_t size) {
    const std::string key = name + std::to_string(size);
    auto found = files_.find(key);
    if (found != files_.end()) return found->second;
    if (dir_.empty()) {
      char pattern[] = "/tmp/kvmuzgrowthXXXXXX";
      if (mkdtemp(pattern) == nullptr) std::abort();
      dir_ = pattern;
    }
    const std::string path = dir_ + "/" + key + ".kvm";
    std::ofstream(path, std::ios::binary) << make(size);
    return files_[key] = path;
  }

 private:
  std::string dir_;
  std::map<std::string, std::string> files_;
};

GrowthFiles& Files() {
  static GrowthFiles files;
  return files;
}

// The best of a few memcpy runs of the file's bytes into memory already touched.
double MemcpySeconds(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<char> target(bytes.size() + 1, 1);
  double best = 1e9;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(target.data(), bytes.data(), bytes.size());
    benchmark::ClobberMemory();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

void LoadFile(benchmark::State& state, const std::string& path) {
  double seconds = 0;
  int64_t steps = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    auto unit = std::make_unique<TUnitMuz>(path);
    std::string error;
    if (!unit->LoadFromFile(error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    benchmark::DoNotOptimize(unit->GetStartStave());
    steps = unit->GetReadSteps();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Closing the document is not part of reading it.
    state.PauseTiming();
    unit.reset();
    state.ResumeTiming();
  }
  const double memcpySeconds = MemcpySeconds(path);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  state.counters["memcpy_us"] = memcpySeconds * 1e6;
  // The symbols the read's searches passed: placing the symbols, and walking to the key and the
  // accidental of each "7.0" note.
  state.counters["steps"] = static_cast<double>(steps);
  state.counters["x_memcpy"] = seconds / static_cast<double>(state.iterations()) / memcpySeconds;
}

// 2 and 16 MiB of blanks before the first tag.
void BM_LoadBlanksBeforeFirstTag(benchmark::State& state) {
  LoadFile(state, Files().File("blanks", BlanksFirst, state.range(0)));
}
BENCHMARK(BM_LoadBlanksBeforeFirstTag)->Arg(2 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

// 2,000 and 16,000 notes in one "7.0" note group.
void BM_LoadSeventyNoteGroup(benchmark::State& state) {
  LoadFile(state, Files().File("notes70_", SeventyScore, state.range(0)));
  state.counters["notes"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_LoadSeventyNoteGroup)->Arg(2000)->Arg(16000)->Unit(benchmark::kMillisecond);

// 2,000 and 16,000 "7.0" notes on two staves, half on each.
void BM_LoadSeventyTwoStaves(benchmark::State& state) {
  LoadFile(state, Files().File("staves70_", SeventyTwoStaves, state.range(0)));
  state.counters["notes"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_LoadSeventyTwoStaves)->Arg(2000)->Arg(16000)->Unit(benchmark::kMillisecond);

// 2,000 and 16,000 "7.0" notes on one stave in groups of 16.
void BM_LoadSeventyGroupsOf16(benchmark::State& state) {
  LoadFile(state, Files().File("groups70_", SeventyGroupsOf16, state.range(0)));
  state.counters["notes"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_LoadSeventyGroupsOf16)->Arg(2000)->Arg(16000)->Unit(benchmark::kMillisecond);
}  // namespace
