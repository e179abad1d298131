// What Open Music refuses before reading it whole: a name that is no regular file, from its type,
// and a file that does not begin as a music file, from its first bytes. Every file the writer
// wrote, and every one the reader takes, still begins as one.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "music/muzread.h"
#include "music/unitmuz.h"
#include "support/unreadable_files.h"
#include "tests/foundation/xml_test_util.h"

namespace {
namespace fs = std::filesystem;
using muzread::MusicFileStart;
using muzread::Start;

const std::string kHead = std::string(xmltext::kDeclaration) + "\n<!DOCTYPE UnitMuz SYSTEM \"UnitMuz.dtd\">\n\n";
const fs::path kSource = fs::path(__FILE__).parent_path().parent_path().parent_path();

std::string LoadError(const std::string& path) {
  TUnitMuz unit(path);
  std::string error;
  return unit.LoadFromFile(error) ? "" : error;
}

std::vector<fs::path> MusicFiles() {
  std::vector<fs::path> files;
  for (const fs::path& folder : {kSource / "tests/music/data", kSource / "fuzz/corpus/muzfile_fuzz"})
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  return files;
}
}  // namespace

TEST(MusicFileStart, TakesEveryHeadTheReaderTakes) {
  const struct {
    std::string text;
    Start start;
  } cases[] = {
      {kHead + "<UnitMuz>", Start::kMusic},
      {"\xEF\xBB\xBF" + kHead + "<UnitMuz>\n", Start::kMusic},  // a byte order mark on the skipped line
      {"<?xml?>\r\n<!DOCTYPE>\r\n\r\n<UnitMuz>\r\n", Start::kMusic},
      {"\n\n \t\n\r\n< \n UnitMuz >", Start::kMusic},
      {"\n\n<UnitMuz/>", Start::kMusic},  // the grammar refuses it, with its own message
      {"\n\n<UnitMuz", Start::kMusic},
      {std::string(98, 'x') + std::string(98, 'y') + "<UnitMuz>", Start::kMusic},  // lines cut at 98
      {kHead, Start::kUndecided},  // ends before the tag: the reader tells how
      {kHead + "  \n", Start::kUndecided},
      {kHead + "<Unit", Start::kUndecided},
      {"", Start::kNot},
      {kHead + "<UnitMuzX>", Start::kNot},
      {kHead + "<Muz>", Start::kNot},
      {kHead + "</UnitMuz>", Start::kNot},
      {kHead + "UnitMuz", Start::kNot},
      {kHead + "\r<UnitMuz>", Start::kNot},
      {kHead + std::string(1, '\0'), Start::kNot},
      {std::string(300, '\0'), Start::kNot},
      {"no music\nat all\nin this file\n", Start::kNot},
      {"\n" + kHead + "<UnitMuz>", Start::kNot},  // the document type line is read as the document
  };
  for (const auto& [text, start] : cases) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_EQ(MusicFileStart(text.data(), text.size(), true), start);
  }
}

// The first bytes of a music file never refuse it, however few; the whole file is music.
TEST(MusicFileStart, NoPartOfTheStartOfAMusicFileRefusesIt) {
  std::vector<std::string> texts;
  for (const fs::path& file : MusicFiles()) texts.push_back(ReadWholeFile(file.string()));
  ASSERT_GE(texts.size(), 8u);
  {
    TUnitMuz unit("NONAME1");
    unit.InitNew();
    texts.push_back(unit.SaveToMemory());
  }
  for (const std::string& text : texts) {
    ASSERT_EQ(MusicFileStart(text.data(), text.size(), true), Start::kMusic) << text.substr(0, 300);
    bool decided = false;
    for (size_t size = 0; size <= std::min<size_t>(text.size(), 400); ++size) {
      const Start start = MusicFileStart(text.data(), size, false);
      EXPECT_NE(start, Start::kNot) << size;
      // Once decided, more bytes do not change it.
      if (decided) {
        EXPECT_EQ(start, Start::kMusic) << size;
      }
      decided = start == Start::kMusic;
    }
    EXPECT_TRUE(decided);
  }
}

TEST(MuzFileRefusal, ANameThatIsNoRegularFileIsRefusedWithoutOpeningIt) {
  ScratchDir dir;
  for (const std::string& name : {std::string("/dev/zero"), std::string("/dev/urandom"), dir.File("")}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(LoadError(name), muzreadtext::kNotRegular);
  }
  for (FifoWatch::Writer writer : {FifoWatch::kNoWriter, FifoWatch::kSilentWriter}) {
    SCOPED_TRACE(writer);
    const FifoWatch pipe(dir.File("pipe.kvm"), writer);
    ASSERT_TRUE(pipe.Ready());
    EXPECT_EQ(LoadError(dir.File("pipe.kvm")), muzreadtext::kNotRegular);
    EXPECT_FALSE(pipe.Opened()) << "the reader waited on the pipe";
  }
  EXPECT_EQ(LoadError(dir.File("missing.kvm")), muzreadtext::kCannotOpen);
}

// Two gigabytes of zeros that take no room on the disk: refused from the first bytes, with
// little read and nothing of its size held.
TEST(MuzFileRefusal, AFileThatDoesNotBeginAsMusicIsRefusedFromItsFirstBytes) {
  ScratchDir dir;
  const std::string zeros = dir.File("zeros.kvm");
  ASSERT_TRUE(MakeSparseFile(zeros, int64_t{2} << 30));
  const uint64_t read = BytesReadSoFar();
  const int64_t peak = PeakMemory();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(LoadError(zeros), muzreadtext::kNotMusic);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_LT(BytesReadSoFar() - read, uint64_t{1} << 20);
  EXPECT_LT(PeakMemory() - peak, int64_t{64} << 20);

  // A file of /proc tells a size of 0: it is read as the empty file it says it is.
  const uint64_t beforeProc = BytesReadSoFar();
  EXPECT_EQ(LoadError("/proc/self/status"), muzreadtext::kNotMusic);
  EXPECT_LT(BytesReadSoFar() - beforeProc, 1024u);

  std::ofstream(dir.File("empty.kvm"));
  std::ofstream(dir.File("notes.txt")) << "no music\nat all\nin this file\n";
  for (const char* name : {"empty.kvm", "notes.txt"}) EXPECT_EQ(LoadError(dir.File(name)), muzreadtext::kNotMusic);
  std::string error;
  TUnitMuz fromMemory("NONAME1");
  EXPECT_FALSE(fromMemory.LoadFromMemory("no music", 8, error));
  EXPECT_EQ(error, muzreadtext::kUnknownVersion);  // ends before the third line: the reader tells
  EXPECT_FALSE(fromMemory.LoadFromMemory("\n\nno music", 10, error));
  EXPECT_EQ(error, muzreadtext::kNotMusic);
}

// A music file is held once as its bytes and once as its tokens' texts: one line of 64 MB after
// the document's tag costs about twice that, not more.
TEST(MuzFileRefusal, AMusicFileTakesMemoryInProportionToItsSize) {
  ScratchDir dir;
  const std::string file = dir.File("long.kvm");
  constexpr int64_t kLine = int64_t{64} << 20;
  {
    std::ofstream out(file, std::ios::binary);
    out << kHead << "<UnitMuz>\n<Version>";
    const std::string block(1 << 20, 'a');
    for (int64_t i = 0; i < kLine; i += static_cast<int64_t>(block.size())) out << block;
  }
  const int64_t peak = PeakMemory();
  EXPECT_EQ(LoadError(file).substr(0, 22), "unexpected end-of-file");
  EXPECT_LT(PeakMemory() - peak, 3 * kLine);
}
