// Texts and bounds of the music file reader. A file may hold every value the editor can store; the
// bounds left here are those of the model itself and the one that keeps bar-by-bar walks finite.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/regularfile.h"

namespace muzreadtext {
inline constexpr const char* kVersion70 = "7.0";
inline constexpr const char* kUnknownError = "Unknown Error";
inline constexpr const char* kUnknownVersion = "Unknown music file version.";
inline constexpr const char* kCannotOpen = "Cannot open file for reading.";
inline constexpr const char* kNotRegular = regularfiletext::kNotRegular;
inline constexpr const char* kCannotRead = "Operating System cannot read the file.";
inline constexpr const char* kVersionMismatch = "The Version of the music file is not the version it was read as.";
inline constexpr const char* kPartsOutsideTree =
    "There are existing Music Parts falling outside the tree of Music Parts; The combination of Music Parts is "
    "wrong.";
inline constexpr const char* kConcatNoSecond =
    "Cannot built a Concat Music Part, there are no more Music Parts in the stack for the second child while "
    "building the tree of Music Parts; The combination of Music Parts is wrong.";
inline constexpr const char* kConcatNoFirst =
    "Cannot built a Concat Music Part, there are no more Music Parts in the stack for the first child while "
    "building the tree of Music Parts; The combination of Music Parts is wrong.";
inline constexpr const char* kLoopNoChild =
    "Cannot built a Loop Music Part, there are no more Music Parts in the stack for the child while building "
    "the tree of Music Parts; The combination of Music Parts is wrong.";
inline constexpr const char* kSelectNoChild =
    "Cannot built a Select Music Part, there are no more Music Parts in the stack for the child while building "
    "the tree of Music Parts; The combination of Music Parts is wrong.";
inline constexpr const char* kSecondSelected = "At most one Music Part can be selected.";
inline constexpr const char* kMoreKeyParts = "There are more Key Parts than Music Parts";
inline constexpr const char* kMoreMusicParts = "There are more Music Parts than Key Parts";
inline constexpr const char* kMoreNoteParts = "There are more Note Parts than Music Parts";
inline constexpr const char* kMoreMusicNoteParts = "There are more Music Parts than Note Parts";
inline constexpr const char* kKeyKindPrefix = "Key Kind ";
inline constexpr const char* kKeyKindSuffix = " is not a valid Key Kind.";
inline constexpr const char* kInvalidHex = "Invalid Hexdecimal value: ";
inline constexpr const char* kPosInSil = "In PosInSil";
inline constexpr const char* kPosInNote = "In PosInNote";
inline constexpr const char* kValueToHigh = ": Value to High for ";
inline constexpr const char* kNoLengthKind = "Value must be 1, 2, 4, 8, 16, 32 or 64.";
inline constexpr const char* kFirstKeyAtStart = "The first Key of a Key Part must stand at position 0.";
inline constexpr const char* kKeysInOrder = "Keys must stand in the order of their positions.";

// The layout and the gap filling walk a part bar by bar up to each symbol: a position further on
// would keep them walking for ever. Music this long takes more than a lifetime to play.
inline constexpr double kMaxPosition = 1000000;  // whole notes
}  // namespace muzreadtext

namespace muzread {
// Whether bytes from the start of a file begin as a music file does, as the reader reads them: the
// two head lines (the declaration and the document type) skipped unread, blanks, then the first
// token, which must be the begin tag of "UnitMuz". kNot when the reader refuses the file at that
// token whatever follows, with the reader's own words: the tokenizer's for a token it cannot read,
// the grammar's for any other token. kUndecided when the bytes end before the first token is
// complete and more may follow (`whole` false), or when the whole file ends first, which the
// reader then reports itself.
enum class Start { kMusic, kNot, kUndecided };

// The same, told from bytes that arrive block by block: each look goes on from where the last one
// stopped, so blanks and a long first token are passed once however many blocks they span.
class StartReader {
 public:
  // `data` holds the first `size` bytes of the file, beginning with those of every earlier look.
  Start Look(const char* data, size_t size, bool whole);
  // Why the file is refused, once Look gave kNot.
  const std::string& Refusal() const { return refusal_; }

  // A first token of text longer than kFirstTextLimit refuses the file whatever follows it, but its
  // words tell where it ends, which may be far on. Once Look has met one it needs none of the bytes
  // before TextAt() again: a caller reading a file may go on with LookOn, a block at a time,
  // holding nothing of the text.
  bool InLongText() const { return phase_ == Phase::kLongText; }
  // The offset in the file of the next byte of the long text to look at.
  uint64_t TextAt() const { return textAt_; }
  // The next `size` bytes of the long text, from TextAt(). Null stands for `size` zeros, which a
  // caller may know of without reading them (a hole of a sparse file).
  Start LookOn(const char* block, size_t size, bool whole);
  // The words of a long text that '<' ends quote it: once LookOn has answered kUndecided, true
  // with the bytes [from, from + size) of the file to give to Quote.
  bool WantsQuote(uint64_t& from, uint64_t& size) const;
  Start Quote(const char* bytes, size_t size);

 private:
  enum class Phase { kHead, kBlanks, kToken, kLongText };
  // Tokenizes the first token from the bytes up to `end`, which hold all of it.
  Start Decide(const char* data, size_t end);
  // Counts the bytes of a long text from TextAt() on, as the tokenizer counts them, up to the '<'
  // or '>' that ends it.
  void CountText(const char* bytes, size_t size);
  // The words for a long text that has ended, or that the end of the file ended; `quote` holds the
  // bytes WantsQuote named.
  Start DecideLongText(const char* quote, size_t size);

  Phase phase_ = Phase::kHead;
  Start decided_ = Start::kUndecided;
  size_t at_ = 0;    // the next byte to look at
  size_t token_ = 0; // the first byte of the first token
  int32_t line_ = 3;  // at the first token; in a long text, after the bytes counted
  int32_t column_ = 1;
  uint64_t textAt_ = 0;
  char textEnd_ = 0;  // the '<' or '>' that ended a long text
  // The bytes of a long text that the tokenizer keeps when it trims the text: from the first to
  // the last one above the blanks and control characters.
  bool kept_ = false;
  uint64_t keptFrom_ = 0;
  uint64_t keptTo_ = 0;
  std::string refusal_;
};

// The most of a first token of text that is read before the rest of it is only counted.
inline constexpr size_t kFirstTextLimit = 65536;
// The most of a long first text that the words for it quote: a longer one is quoted by its start
// and "...".
inline constexpr size_t kLongTextQuoteLimit = size_t{1} << 20;

// One look at bytes of which nothing was seen before; `refusal` receives the reason of a kNot.
Start MusicFileStart(const char* data, size_t size, bool whole, std::string* refusal = nullptr);

// The end of one head line from `at`: past its line end, or 98 characters on, as the files have
// always been read.
const char* HeadLineEnd(const char* at, const char* end);
inline constexpr size_t kHeadLineLimit = 98;
inline constexpr int kHeadLines = 2;

// " At line L, column C+1.": the reader's columns count from 0 in the message's terms.
inline std::string PositionSuffix(int32_t line, int32_t column) {
  return " At line " + std::to_string(line) + ", column " + std::to_string(int64_t{column} + 1) + ".";
}
}  // namespace muzread
