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

 private:
  enum class Phase { kHead, kBlanks, kToken };
  // Tokenizes the first token from the bytes up to `end`, which hold all of it.
  Start Decide(const char* data, size_t end);

  Phase phase_ = Phase::kHead;
  Start decided_ = Start::kUndecided;
  size_t at_ = 0;    // the next byte to look at
  size_t token_ = 0; // the first byte of the first token
  int32_t line_ = 3;
  int32_t column_ = 1;
  std::string refusal_;
};

// The most of a first token of text that is read to tell the reader's words for it.
inline constexpr size_t kFirstTextLimit = 65536;

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
