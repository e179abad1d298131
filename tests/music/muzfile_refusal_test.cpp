// What Open Music refuses before reading it whole: a name that is no regular file, from its type,
// and a file that does not begin as a music file, from its first bytes, in the words the reader
// gives for them. Every file the writer wrote, and every one the reader takes, still begins as one.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/xmlalg.h"
#include "music/muzdtd.h"
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

// The words of the whole read, which tokenizes all of a text before the grammar looks at it.
std::string WholeReadWords(const std::string& text) {
  const char* at = text.data();
  const char* end = at + text.size();
  for (int i = 0; i < muzread::kHeadLines; ++i) at = muzread::HeadLineEnd(at, end);
  int32_t line = 3;
  int32_t column = 1;
  const std::unique_ptr<TXMLToken> first = ReadXMLTokens(at, static_cast<size_t>(end - at), line, column);
  TXMLCompound root("Root");
  std::string message;
  EXPECT_FALSE(MatchXMLDocument(*BuildDTD71(), &root, first.get(), message));
  return message;
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
      {"\n\n<UnitMuz/>", Start::kNot},  // the grammar's first step refuses it
      {"\n\n<UnitMuz", Start::kNot},    // the tokenizer meets the end of the file
      {std::string(98, 'x') + std::string(98, 'y') + "<UnitMuz>", Start::kMusic},  // lines cut at 98
      {kHead, Start::kUndecided},  // ends before the tag: the reader tells how
      {kHead + "  \n", Start::kUndecided},
      {kHead + "<Unit", Start::kNot},
      {"", Start::kUndecided},
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
    std::string refusal;
    EXPECT_EQ(MusicFileStart(text.data(), text.size(), true, &refusal), start);
    EXPECT_EQ(refusal.empty(), start != Start::kNot) << refusal;
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

// A file refused from its first bytes is refused in the words the reader gives for them, with
// their line and column, whether it is read from its file or from memory.
TEST(MuzFileRefusal, AFileRefusedFromItsFirstBytesGetsTheReadersOwnWords) {
  TUnitMuz written("NONAME1");
  written.InitNew();
  const std::string doc = written.SaveToMemory();
  const size_t afterDeclaration = doc.find('\n') + 1;
  const std::string declaration = doc.substr(0, afterDeclaration);
  const std::string body = doc.substr(doc.find("<UnitMuz>"));  // "<UnitMuz>\n  <Version>..."
  const struct {
    std::string text;
    std::string words;
  } cases[] = {
      {"\n\n" + doc, "unexpected '?' found in line 3, column 1."},
      {declaration.substr(0, afterDeclaration - 1) + std::string(60, ' ') + doc.substr(afterDeclaration - 1),
       "unexpected '!' found in line 3, column 1."},
      {declaration + body, "unexpected begin of element \"Version\", expect begin of element \"UnitMuz\", at line 3, column 11."},
      {kHead + "\n  \t\n plain text " + body,
       "unexpected text \"plain text\", expect begin of element \"UnitMuz\", at line 6, column 13."},
      {"\n\n<UnitMuz/>\n" + body, "element \"UnitMuz\" should not be empty, at line 3, column 10."},
      {"\n\n< / UnitMuz >" + body, "unexpected end of element \"UnitMuz\", expect begin of element \"UnitMuz\", at line 3, column 13."},
      {"\r\n\r\n\r\n>" + body, "unexpected '>' found in line 4, column 1."},
      {kHead + "\n<UnitMuz\r>", "unexpected '\r' found in line 5, column 8."},
      {"hello", muzreadtext::kUnknownVersion},  // ends before the third line: no version
      {"hello\nworld\n\n \n", muzreadtext::kUnknownVersion},
  };
  ScratchDir dir;
  for (const auto& [text, words] : cases) {
    SCOPED_TRACE(testing::PrintToString(text.substr(0, 160)));
    std::ofstream(dir.File("case.kvm"), std::ios::binary) << text;
    EXPECT_EQ(LoadError(dir.File("case.kvm")), words);
    TUnitMuz fromMemory("NONAME1");
    std::string error;
    EXPECT_FALSE(fromMemory.LoadFromMemory(text.data(), text.size(), error));
    EXPECT_EQ(error, words);
  }
}

// Looked at block by block, as a file is read, the start is decided where and as it is from all
// of its bytes at once, whatever the size of the blocks.
TEST(MusicFileStart, BlockByBlockDecidesAsAllAtOnce) {
  std::vector<std::string> texts = {
      kHead + std::string(5000, ' ') + "\r\n\t<UnitMuz>",
      kHead + "\r\n\r\n  <\r\n /\r\n Version\r\n>",
      kHead + " \n\n   <UnitMuz\r\r>",
      kHead + "\n\n  a text\r\n over lines \t<Muz>",
      kHead + "\n\t\n" + std::string(muzread::kFirstTextLimit + 10, 'z'),
      kHead + "\n\t\n" + std::string(muzread::kFirstTextLimit + 10, 'z') + "\r\n z &amp; \r\n<UnitMuz>",
      kHead + std::string(muzread::kFirstTextLimit + 3000, '\0') + "\tz >",
      kHead + std::string(muzread::kFirstTextLimit - 1, 'z') + ">",
      kHead + "\n\n<UnitMuz/>",
      "\r\r\r\n\r\n\r",
  };
  for (const fs::path& file : MusicFiles()) {
    const std::string text = ReadWholeFile(file.string());
    texts.push_back(text);
    texts.push_back("\n" + text);
    texts.push_back(std::string(text, 0, text.find("<UnitMuz>")) + std::string(3000, '\n') + " <Unit Muz>");
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(testing::PrintToString(text.substr(0, 160)));
    std::string refusal;
    const Start atOnce = MusicFileStart(text.data(), text.size(), true, &refusal);
    for (const size_t block : {1, 2, 3, 7, 64, 4096}) {
      SCOPED_TRACE(block);
      muzread::StartReader reader;
      Start start = Start::kUndecided;
      for (size_t size = std::min(block, text.size()); start == Start::kUndecided; size = std::min(size + block, text.size())) {
        start = reader.Look(text.data(), size, size == text.size());
        if (size == text.size()) break;
      }
      EXPECT_EQ(start, atOnce);
      EXPECT_EQ(reader.Refusal(), refusal);
    }
  }
}

// A refusal that comes after a long run of blank lines reads the blanks and the first token, and
// nothing of what follows them.
TEST(MuzFileRefusal, ARefusalAfterBlanksReadsNoFurtherThanTheFirstToken) {
  ScratchDir dir;
  const std::string file = dir.File("blanks.kvm");
  constexpr int64_t kLines = 100000;
  {
    std::ofstream out(file, std::ios::binary);
    out << kHead;
    for (int64_t i = 0; i < kLines; ++i) out << "                \n";
    out << "<?xml?>";
  }
  fs::resize_file(file, uint64_t{2} << 30);  // zeros to 2 GB, taking no room on the disk
  const uint64_t read = BytesReadSoFar();
  EXPECT_EQ(LoadError(file), "unexpected '?' found in line " + std::to_string(4 + kLines) + ", column 1.");
  EXPECT_LT(BytesReadSoFar() - read, uint64_t{4} << 20);
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
  // One text of zeros, judged from its first bytes as the tokenizer judges the whole of it.
  EXPECT_EQ(LoadError(zeros), "unexpected end-of-file  found in line 3, column 0.");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_LT(BytesReadSoFar() - read, uint64_t{1} << 20);
  EXPECT_LT(PeakMemory() - peak, int64_t{64} << 20);

  // A file of /proc tells a size of 0: it is read as the empty file it says it is.
  const uint64_t beforeProc = BytesReadSoFar();
  EXPECT_EQ(LoadError("/proc/self/status"), muzreadtext::kUnknownVersion);
  EXPECT_LT(BytesReadSoFar() - beforeProc, 1024u);

  std::ofstream(dir.File("empty.kvm"));
  std::ofstream(dir.File("notes.txt")) << "no music\nat all\nin this file\n";
  EXPECT_EQ(LoadError(dir.File("empty.kvm")), muzreadtext::kUnknownVersion);
  EXPECT_EQ(LoadError(dir.File("notes.txt")), "unexpected end-of-file  found in line 4, column 0.");
  std::string error;
  TUnitMuz fromMemory("NONAME1");
  EXPECT_FALSE(fromMemory.LoadFromMemory("no music", 8, error));
  EXPECT_EQ(error, muzreadtext::kUnknownVersion);  // ends before the third line: the reader tells
  EXPECT_FALSE(fromMemory.LoadFromMemory("\n\nno music", 10, error));
  EXPECT_EQ(error, "unexpected end-of-file  found in line 3, column 8.");
}

// A first text longer than what is read of it at first is read on to its end, counted and not
// held, and refused in the words the whole read gives for it: those of the tokenizer at a '>' or at
// the end of the file, else the grammar's, which quote the text, at most kLongTextQuoteLimit bytes
// of it, and tell where it ends.
TEST(MuzFileRefusal, AFirstTextOfAnyLengthGetsTheWordsTheWholeReadGivesForIt) {
  TUnitMuz written("NONAME1");
  written.InitNew();
  const std::string doc = written.SaveToMemory();
  const std::string body = doc.substr(doc.find("<UnitMuz>"));
  std::string lines = std::string(" \t\0\n", 4);
  while (lines.size() < 100000) lines += "a word &amp; more\r\n\tand /slashes/ \xff\x01 on lines\n";
  const size_t edge = muzread::kFirstTextLimit;
  const std::string texts[] = {
      std::string(70000, 'x') + body,
      std::string(edge - 1, 'x') + body,
      std::string(edge, 'x') + body,
      std::string(edge + 1, 'x') + body,
      lines + std::string("\t/ ab\xff\x01 \t\0", 10) + body,
      std::string(70000, 'x') + ">" + body,
      std::string(70000, 'x') + "\n  \n x",
      std::string(200000, '\0') + body,
      std::string(muzread::kLongTextQuoteLimit + 5, 'q') + body,
  };
  ScratchDir dir;
  for (const std::string& text : texts) {
    SCOPED_TRACE(testing::PrintToString(text.substr(0, 60)) + " of " + std::to_string(text.size()));
    const std::string file = kHead + text;
    std::string words = WholeReadWords(file);
    // What the quote leaves out stands as "...".
    const size_t cut = std::string("unexpected text \"").size() + muzread::kLongTextQuoteLimit;
    const size_t quoteEnd = words.find("\", expect");
    if (words.starts_with("unexpected text") && quoteEnd > cut) words.replace(cut, quoteEnd - cut, "...");
    std::ofstream(dir.File("text.kvm"), std::ios::binary) << file;
    EXPECT_EQ(LoadError(dir.File("text.kvm")), words);
    TUnitMuz fromMemory("NONAME1");
    std::string error;
    EXPECT_FALSE(fromMemory.LoadFromMemory(file.data(), file.size(), error));
    EXPECT_EQ(error, words);
  }
}

// Reading on through a long first text stops at its end, and what a sparse file holds as holes is
// passed unread: a text of two gigabytes of zeros is refused after little is read, and in the words
// it gets when it holds a hundred.
TEST(MuzFileRefusal, ALongFirstTextIsReadNoFurtherThanItsEndAndItsHolesAreNotRead) {
  const struct {
    std::string start;
    std::string end;
  } cases[] = {
      {kHead + std::string(100000, 'x') + ">", ""},
      {kHead, "<UnitMuz>"},
      {kHead + "x", ""},
      {kHead + "x", "y\n z"},
  };
  ScratchDir dir;
  const std::string file = dir.File("sparse.kvm");
  constexpr int64_t kSize = int64_t{2} << 30;
  for (const auto& [start, end] : cases) {
    SCOPED_TRACE(testing::PrintToString(start.substr(start.size() - 1) + end));
    ASSERT_TRUE(MakeSparseFile(file, kSize));
    {
      std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
      out << start;
      out.seekp(kSize - static_cast<int64_t>(end.size()));
      out << end;
    }
    const uint64_t read = BytesReadSoFar();
    const int64_t peak = PeakMemory();
    EXPECT_EQ(LoadError(file), WholeReadWords(start + std::string(100, '\0') + end));
    EXPECT_LT(BytesReadSoFar() - read, uint64_t{1} << 20);
    EXPECT_LT(PeakMemory() - peak, int64_t{64} << 20);
  }
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
