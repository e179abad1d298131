// Reading a music document from its element tree: the document values, the part tree from its
// postfix form, the staves with their keys, rests, note groups, players and notes. A file may hold
// anything the grammar lets through, so every value is checked against what the model can hold
// before anything is built from it.
#include "music/muzread.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/messages.h"
#include "foundation/readers.h"
#include "foundation/regularfile.h"
#include "foundation/xmlalg.h"
#include "music/PartMuz.h"
#include "music/flags.h"
#include "music/muzdtd.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {
constexpr const char* kAssertUnit = "muzread";

constexpr int32_t kMaxOctavesUp = 2;

// Where reading stands: the error text and the position of the element at fault.
struct Place {
  std::string& error;
  int32_t& line;
  int32_t& column;

  void At(const TXMLItem* item) {
    line = item->GetLine();
    column = item->GetColumn();
  }
  bool Fail(const TXMLItem* item, std::string text) {
    if (item) At(item);
    error = std::move(text);
    return false;
  }
};

bool Is(const TXMLItem* item, const char* name) { return item != nullptr && item->GetElement() == name; }

// The grammar has put this element here; anything else is a programming error.
const TXMLItem* Expect(const TXMLItem* item, const char* name) {
  KV_ASSERT(Is(item, name));
  return item;
}

bool ReadValue(unit& value, const TXMLItem* item, const char* field, Place& place) {
  place.At(item);
  return value.Read(item->GetValue(), field, place.error);
}

std::string Bound(const char* relation, int64_t bound) { return relation + std::to_string(bound) + "."; }

bool InRange(int64_t value, int64_t low, int64_t high, const TXMLItem* item, const char* field, Place& place) {
  if (value < low) return place.Fail(item, FieldErrorText(field, Bound(readtext::kRelationAtLeast, low)));
  if (value > high) return place.Fail(item, FieldErrorText(field, Bound(readtext::kRelationAtMost, high)));
  return true;
}

bool AtMost(double value, double high, const TXMLItem* item, const char* field, Place& place) {
  if (value > high)
    return place.Fail(item, FieldErrorText(field, Bound(readtext::kRelationAtMost, static_cast<int64_t>(high))));
  return true;
}

// A note length kind, before it is narrowed into the symbols' signed 8-bit field.
bool ReadLengthKind(const TXMLItem* item, const char* field, int32_t& kind, Place& place) {
  unitIntegerPos value(0, 0);
  if (!ReadValue(value, item, field, place)) return false;
  kind = value.GetValue();
  if (!IsNoteLengthKind(kind)) return place.Fail(item, FieldErrorText(field, muzreadtext::kNoLengthKind));
  return true;
}

// Hexadecimal digits only, as the colour fields are written; the value must fit in 32 bits.
bool ReadColour(const TXMLItem* item, const char* field, uint32_t& colour, Place& place) {
  place.At(item);
  const std::string& text = item->GetValue();
  uint64_t value = 0;
  bool ok = !text.empty();
  for (size_t i = 0; ok && i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    value = value * 16 + static_cast<uint64_t>(digit);
    ok = digit >= 0 && value <= 0xFFFFFFFFu;
  }
  if (!ok) return place.Fail(item, FieldErrorText(field, std::string(muzreadtext::kInvalidHex) + "\"" + text + "\"."));
  colour = static_cast<uint32_t>(value);
  return true;
}

// The element among `names` at `item`, as its index; moves past it. `absent` when there is none.
template <size_t N>
uint8_t TakeChoice(const TXMLItem*& item, const char* const (&names)[N], uint8_t absent) {
  for (size_t i = 0; i < N; ++i)
    if (Is(item, names[i])) {
      item = item->GetNext();
      return static_cast<uint8_t>(i);
    }
  return absent;
}

struct TTuplet {
  int32_t multiOol = sool;
  const char* name = nullptr;
};

// The optional tuplet element at `item`, named by its element or by `none`; moves past it.
TTuplet TakeTuplet(const TXMLItem*& item, const char* none) {
  static constexpr const char* kNames[] = {"Duool", "Triool", "Kwartool", "Kwintool"};
  constexpr uint8_t kAbsent = 255;
  const uint8_t index = TakeChoice(item, kNames, kAbsent);
  if (index == kAbsent) return {sool, none};
  return {duool + index, kNames[index]};
}

// Position, length kind, dots and tuplet place of a rest or a note, checked for what the symbols
// and the layout can time and draw.
struct TTimeValues {
  double position = 0;
  int32_t lengthKind = 4;
  int32_t points = 0;
  TTuplet tuplet;
  int32_t posInOol = 0;
  const TXMLItem* lengthItem = nullptr;
  const TXMLItem* pointsItem = nullptr;
};

bool ReadPosition(const TXMLItem* item, const char* field, double& position, Place& place) {
  unitFactorPos value(0, kUnitNone);
  if (!ReadValue(value, Expect(item, "Position"), field, place)) return false;
  position = value.GetValue();
  return AtMost(position, muzreadtext::kMaxPosition, item, field, place);
}

// Reads "Position", "Length" and "Points" from `item` on; leaves `item` after them.
bool ReadTimeStart(const TXMLItem*& item, const char* const (&fields)[3], TTimeValues& values, Place& place) {
  if (!ReadPosition(item, fields[0], values.position, place)) return false;
  item = item->GetNext();
  values.lengthItem = Expect(item, "Length");
  if (!ReadLengthKind(item, fields[1], values.lengthKind, place)) return false;
  item = item->GetNext();
  if (Is(item, "Points")) {
    values.pointsItem = item;
    unitIntegerPos points(0, 0);
    if (!ReadValue(points, item, fields[2], place)) return false;
    values.points = points.GetValue();
    item = item->GetNext();
  }
  return true;
}

// Reads the tuplet element and "PosInOol" and checks the whole time of the symbol.
bool ReadTimeEnd(const TXMLItem*& item, const char* none, const char* posField, const char* const (&fields)[3],
                 TTimeValues& values, Place& place) {
  values.tuplet = TakeTuplet(item, none);
  if (Is(item, "PosInOol")) {
    unitInteger posInOol(0, 0);
    if (!ReadValue(posInOol, item, "Position in MultiOol", place)) return false;
    values.posInOol = posInOol.GetValue();
    if (!InRange(values.posInOol, 0, INT32_MAX, item, "Position in MultiOol", place)) return false;
    item = item->GetNext();
  }
  if (values.tuplet.multiOol <= values.posInOol)
    return place.Fail(nullptr, std::string(posField) + muzreadtext::kValueToHigh + values.tuplet.name + ".");
  const int32_t multiOol = values.tuplet.multiOol;
  const int32_t longest = multiOol == kwintool ? 16 : multiOol == sool ? 64 : 32;
  if (!InRange(values.lengthKind, 1, longest, values.lengthItem, fields[1], place)) return false;
  const TXMLItem* pointsItem = values.pointsItem ? values.pointsItem : values.lengthItem;
  const int32_t leastPoints = (multiOol == duool || multiOol == kwartool) ? 1 : 0;
  // Edit mode may give any length three dots, so the file of such a score must open again.
  if (!InRange(values.points, leastPoints, 3, pointsItem, fields[2], place))
    return false;
  // The checks above are the symbols' own rule spelt out for the messages; this one keeps them
  // from drifting apart.
  KV_ASSERT(TStaveTimeSymbol::IsValidTime(values.lengthKind, values.points, multiOol, values.posInOol));
  return true;
}

constexpr const char* kSilenceFields[3] = {"Silence Position", "Silence Length", "Silence Points"};
constexpr const char* kNoteFields[3] = {"Note Position", "Note Length", "Note Points"};
constexpr const char* kNoteShifts[] = {"ShiftDoubleCross", "ShiftCross", "ShiftNormal", "ShiftMol", "ShiftDoubleMol"};
// Indexed by the articulation kind.
constexpr const char* kArticulations[] = {"ArtNormal", "ArtStaccato", "ArtStaccatissimo", "ArtPortato", "ArtLegato"};
constexpr const char* kSticks[] = {"NoteStickUp", "NoteStickDown"};
constexpr const char* kShapes[] = {"NoteShapeNormal", "NoteShapeRectangle"};
}  // namespace

// --- the document and its part tree --------------------------------------------------------------

const char* muzread::HeadLineEnd(const char* at, const char* end) {
  const char* stop = at + std::min<size_t>(kHeadLineLimit, static_cast<size_t>(end - at));
  const char* lineEnd = std::find(at, stop, '\n');
  return lineEnd < stop ? lineEnd + 1 : stop;
}

namespace {
bool IsLetterOrDigit(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsTagChar(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '/' || IsLetterOrDigit(static_cast<unsigned char>(c));
}
}  // namespace

muzread::Start muzread::StartReader::Look(const char* data, size_t size, bool whole) {
  if (decided_ != Start::kUndecided) return decided_;
  const char* end = data + size;
  if (phase_ == Phase::kHead) {
    const char* at = data;
    for (int i = 0; i < kHeadLines; ++i) {
      const char* next = HeadLineEnd(at, end);
      // A line cut by the end of the bytes, not by its line end or its limit, may go on.
      if (!whole && next == end && static_cast<size_t>(end - at) < kHeadLineLimit && (next == at || next[-1] != '\n'))
        return Start::kUndecided;
      at = next;
    }
    at_ = static_cast<size_t>(at - data);
    phase_ = Phase::kBlanks;
  }
  if (phase_ == Phase::kBlanks) {
    // The blanks the tokenizer passes before a token, counted as it counts them; the CR of a CRLF
    // is dropped with it.
    for (; at_ < size; ++at_) {
      const char c = data[at_];
      if (c == ' ' || c == '\t') {
        AdvanceXMLCounter(column_);
      } else if (c == '\n') {
        AdvanceXMLCounter(line_);
        column_ = 1;
      } else if (c != '\r') {
        break;
      } else if (at_ + 1 == size) {
        if (!whole) return Start::kUndecided;
        break;
      } else if (data[at_ + 1] != '\n') {
        break;
      }
    }
    if (at_ == size) return Start::kUndecided;
    token_ = at_++;
    phase_ = Phase::kToken;
  }
  if (phase_ == Phase::kToken) {
    // The first byte at which the tokenizer surely ends the token: a text ends at the next angle
    // bracket, a tag at the first character that cannot stand inside one.
    const bool tag = data[token_] == '<';
    bool complete = data[token_] == '>';
    for (; !complete && at_ < size; ++at_) {
      const char c = data[at_];
      if (!tag) {
        complete = c == '<' || c == '>';
        // A text is never the document's start, whatever ends it, and a file of zeros is one
        // text. Its words tell where it ends: past its first bytes it is only counted.
        if (!complete && at_ - token_ >= kFirstTextLimit) {
          phase_ = Phase::kLongText;
          textAt_ = token_;
          break;
        }
      } else if (c == '\r' && at_ + 1 == size) {
        if (!whole) return Start::kUndecided;  // a CR that an LF may follow
        complete = true;
      } else {
        complete = !IsTagChar(c) && !(c == '\r' && data[at_ + 1] == '\n');
      }
    }
    if (phase_ == Phase::kToken) {
      if (!complete && !whole) return Start::kUndecided;
      decided_ = Decide(data, size);
      return decided_;
    }
  }
  if (textEnd_ == 0 && textAt_ < size) CountText(data + textAt_, size - textAt_);
  if (textEnd_ == 0 && !whole) return Start::kUndecided;
  uint64_t from = 0;
  uint64_t quoted = 0;
  WantsQuote(from, quoted);
  decided_ = DecideLongText(data + from, static_cast<size_t>(quoted));
  return decided_;
}

muzread::Start muzread::StartReader::LookOn(const char* block, size_t size, bool whole) {
  if (decided_ != Start::kUndecided || phase_ != Phase::kLongText) return decided_;
  if (textEnd_ == 0 && block != nullptr) CountText(block, size);
  // Zeros neither end a text nor move its line and column, and trimming drops them at its ends.
  if (textEnd_ == 0 && block == nullptr) textAt_ += size;
  if (textEnd_ == 0 && !whole) return Start::kUndecided;
  if (textEnd_ == '<') return Start::kUndecided;  // its words wait for its quote
  decided_ = DecideLongText(nullptr, 0);
  return decided_;
}

bool muzread::StartReader::WantsQuote(uint64_t& from, uint64_t& size) const {
  if (decided_ != Start::kUndecided || phase_ != Phase::kLongText || textEnd_ != '<') return false;
  from = keptFrom_;
  size = kept_ ? std::min<uint64_t>(keptTo_ - keptFrom_, kLongTextQuoteLimit) : 0;
  return true;
}

muzread::Start muzread::StartReader::Quote(const char* bytes, size_t size) {
  if (decided_ != Start::kUndecided || phase_ != Phase::kLongText) return decided_;
  decided_ = DecideLongText(bytes, size);
  return decided_;
}

void muzread::StartReader::CountText(const char* bytes, size_t size) {
  for (size_t i = 0; i < size;) {
    // Zeros, all that a file of zeros holds, neither end a text nor move its line and column, and
    // trimming drops them at its ends: they are passed a word at a time.
    uint64_t word = 1;
    if (size - i >= sizeof word) std::memcpy(&word, bytes + i, sizeof word);
    if (word == 0) {
      i += sizeof word;
      textAt_ += sizeof word;
      continue;
    }
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '<' || c == '>') {
      textEnd_ = static_cast<char>(c);
      return;
    }
    if (c == '\n') {
      AdvanceXMLCounter(line_);
      column_ = 1;
    } else if (c == ' ' || c == '\t' || c == '/' || IsLetterOrDigit(c)) {
      AdvanceXMLCounter(column_);
    }
    if (c > ' ') {
      if (!kept_) keptFrom_ = textAt_;
      kept_ = true;
      keptTo_ = textAt_ + 1;
    }
    ++i;
    ++textAt_;
  }
}

muzread::Start muzread::StartReader::DecideLongText(const char* quote, size_t size) {
  // A stand-in for the text's end, tokenized from the line and column the text reached, ends where
  // the text ends: a NUL before it moves neither. At '>' or at the end of the file it is the
  // tokenizer's error, in its own words.
  const char standIn[] = {'\0', textEnd_};
  TXMLText end{standIn, standIn + (textEnd_ != 0 ? 2 : 1)};
  int32_t line = line_;
  int32_t column = column_;
  const auto at = std::make_unique<TXMLToken>(end, line, column);
  if (at->GetTokenKind() == xmlTokenError) {
    refusal_ = at->GetError();
    return Start::kNot;
  }
  // At '<' the text is a token, which the grammar refuses in words that quote it as trimmed and
  // tell where it ends: they are taken for a token of the quoted bytes, put where the stand-in is.
  // The NUL before them, trimmed as the text's first byte is when none is kept, makes it a text.
  std::string bytes(1, '\0');
  if (size > 0) bytes.append(quote, size);
  if (kept_ && keptTo_ - keptFrom_ > size) bytes += "...";
  bytes += '<';
  TXMLText text{bytes.data(), bytes.data() + bytes.size()};
  auto found = std::make_unique<TXMLToken>(text, line, column);
  TXMLText none{text.end, text.end};
  found->SetNext(std::make_unique<TXMLToken>(none, line, column));
  TXMLCompound root("Root");
  const TXMLToken* position = found.get();
  TXMLFailure failure;
  bool error = false;
  if (BuildDTD71()->MatchAt(&root, position, failure, error)) return Start::kMusic;
  failure.start = at.get();
  refusal_ = failure.Message();
  return Start::kNot;
}

muzread::Start muzread::StartReader::Decide(const char* data, size_t size) {
  TXMLText text{data + token_, data + size};
  int32_t line = line_;
  int32_t column = column_;
  auto first = std::make_unique<TXMLToken>(text, line, column);
  if (first->GetTokenKind() == xmlTokenBegin && first->GetName() == "UnitMuz") return Start::kMusic;
  if (first->GetTokenKind() == xmlTokenError) {
    refusal_ = first->GetError();
    return Start::kNot;
  }
  // Any other first token fails the grammar's first step, which looks at nothing after it: the
  // token is matched as the whole document, so the words are the grammar's own.
  TXMLText none{text.end, text.end};
  first->SetNext(std::make_unique<TXMLToken>(none, line, column));
  TXMLCompound root("Root");
  std::string message;
  if (MatchXMLDocument(*BuildDTD71(), &root, first.get(), message)) return Start::kMusic;
  refusal_ = message.empty() ? muzreadtext::kUnknownError : message;
  return Start::kNot;
}

muzread::Start muzread::MusicFileStart(const char* data, size_t size, bool whole, std::string* refusal) {
  StartReader reader;
  const Start start = reader.Look(data, size, whole);
  if (refusal != nullptr) *refusal = reader.Refusal();
  return start;
}

namespace {
// Reads on to the end of a first text too long to hold, from the descriptor of its file, which is
// closed here: a block at a time from where the reader stands, holding nothing of it, and never
// past `size`, the size at the open. What the file holds as holes reads as zeros, which neither end
// a text nor move its line and column, so they are passed unread: a sparse file of zeros is refused
// after its first blocks whatever its size. False when the system cannot read the file.
bool ReadOnLongText(int fd, uint64_t size, muzread::StartReader& reader, muzread::Start& start) {
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  const auto readAt = [fd](uint64_t offset, char* into, size_t wanted) -> int64_t {
    size_t done = 0;
    while (done < wanted) {
      const ssize_t got = ::pread(fd, into + done, wanted - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return -1;
      if (got == 0) break;
      done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
  };
  std::vector<char> block(65536);
  start = muzread::Start::kUndecided;
  while (start == muzread::Start::kUndecided) {
    uint64_t from = 0;
    uint64_t count = 0;
    if (reader.WantsQuote(from, count)) {
      std::string quote(static_cast<size_t>(count), '\0');
      const int64_t got = readAt(from, quote.data(), quote.size());
      if (got < 0) return false;
      // A file cut shorter meanwhile is quoted as far as it goes.
      quote.resize(static_cast<size_t>(got));
      start = reader.Quote(quote.data(), quote.size());
      break;
    }
    const uint64_t at = reader.TextAt();
    uint64_t data = at;  // the next byte that is not in a hole
    if (at < size) {
      const off_t found = ::lseek(fd, static_cast<off_t>(at), SEEK_DATA);
      if (found >= 0)
        data = std::min(static_cast<uint64_t>(found), size);
      else if (errno == ENXIO)
        data = size;
    }
    if (data > at) {
      start = reader.LookOn(nullptr, static_cast<size_t>(data - at), data == size);
      continue;
    }
    const uint64_t left = size > at ? size - at : 0;
    const int64_t got = readAt(at, block.data(), static_cast<size_t>(std::min<uint64_t>(block.size(), left)));
    if (got < 0) return false;
    const bool whole = got == 0 || at + static_cast<uint64_t>(got) == size;
    start = reader.LookOn(block.data(), static_cast<size_t>(got), whole);
  }
  return true;
}
}  // namespace

bool TUnitMuz::LoadFromFile(std::string& error) {
  RegularFile file;
  switch (file.Open(GetFileName())) {
    case RegularFile::Status::kOpen:
      break;
    case RegularFile::Status::kNotRegular:
      error = muzreadtext::kNotRegular;
      return false;
    case RegularFile::Status::kCannotOpen:
      error = muzreadtext::kCannotOpen;
      return false;
  }
  // Read only as far as the size the file had when opened. The first bytes tell whether it begins
  // as a music file; only one that does is read whole, into room for its size.
  const uint64_t size = file.Size();
  std::string text;
  const auto readMore = [&](size_t wanted) {
    const size_t at = text.size();
    text.resize(at + wanted);
    const int64_t got = file.ReadAt(at, text.data() + at, wanted);
    text.resize(at + static_cast<size_t>(std::max<int64_t>(got, 0)));
    return got;
  };
  try {
    muzread::StartReader reader;
    muzread::Start start = muzread::Start::kUndecided;
    size_t block = 4096;
    for (bool whole = size == 0; start == muzread::Start::kUndecided && !whole && !reader.InLongText();
         block = 65536) {
      const int64_t got = readMore(static_cast<size_t>(std::min<uint64_t>(block, size - text.size())));
      if (got < 0) {
        error = muzreadtext::kCannotRead;
        return false;
      }
      // A file cut shorter while it is read ends where the read found its end.
      whole = got == 0 || text.size() == size;
      start = reader.Look(text.data(), text.size(), whole);
    }
    if (start == muzread::Start::kUndecided && reader.InLongText()) {
      // The file is refused: its first bytes are of no more use, and the rest is only counted.
      std::string().swap(text);
      if (!ReadOnLongText(file.Release(), size, reader, start)) {
        error = muzreadtext::kCannotRead;
        return false;
      }
    }
    if (start == muzread::Start::kNot) {
      error = reader.Refusal();
      return false;
    }
    if (text.size() < size) {
      if (size > text.max_size()) throw std::bad_alloc();
      text.reserve(static_cast<size_t>(size));
      if (readMore(static_cast<size_t>(size - text.size())) < 0) {
        error = muzreadtext::kCannotRead;
        return false;
      }
    }
  } catch (const std::bad_alloc&) {
    error = msgtext::kNoMemory;
    return false;
  }
  file.Close();
  return LoadFromMemory(text.data(), text.size(), error);
}

bool TUnitMuz::LoadFromMemory(const char* data, size_t size, std::string& error) {
  muzread::StartReader start;
  if (start.Look(data, size, true) == muzread::Start::kNot) {
    error = start.Refusal();
    return false;
  }
  std::unique_ptr<TXMLToken> first;
  std::string version;
  if (!ReadTokens(data, size, first, error, version)) return false;
  const TDTDElement* grammar = nullptr;
  if (version == muzreadtext::kVersion70)
    grammar = BuildDTD70();
  else if (version == muztext::kVersion)
    grammar = BuildDTD71();
  if (grammar == nullptr) {
    error = muzreadtext::kUnknownVersion;
    return false;
  }
  TXMLCompound root("Root");
  std::string message;
  if (!MatchXMLDocument(*grammar, &root, first.get(), message)) {
    error = message.empty() ? muzreadtext::kUnknownError : message;
    return false;
  }
  first.reset();
  const TXMLItem* unitMuz = root.GetFirstChild();
  int32_t line = 0;
  int32_t column = 0;
  bool ok = true;
  // The version was taken from the last "Version" text anywhere in the file; the grammar of
  // that version must be the one the document itself names, or its tree would be read by the
  // other version's rules.
  const TXMLItem* versionItem = unitMuz->GetFirstChild();
  if (versionItem->GetValue() != version) {
    line = versionItem->GetLine();
    column = versionItem->GetColumn();
    error = muzreadtext::kVersionMismatch;
    ok = false;
  }
  if (ok) ok = ReadFromXML(unitMuz, error, line, column);
  if (!ok) {
    error += muzread::PositionSuffix(line, column);
    return false;
  }
  SetSaved();
  SetSelectedSymbol(StartPartMuz->GetStartSymbol());
  return true;
}

bool TUnitMuz::ReadTokens(const char* data, size_t size, std::unique_ptr<TXMLToken>& first, std::string& error,
                          std::string& version) {
  error = muzreadtext::kUnknownError;
  // The declaration and the document type line are skipped unread, 98 characters at most each,
  // as the files have always been read.
  const char* end = data + size;
  for (int i = 0; i < muzread::kHeadLines; ++i) data = muzread::HeadLineEnd(data, end);
  int32_t line = 3;
  int32_t column = 1;
  first = ReadXMLTokens(data, static_cast<size_t>(end - data), line, column);
  // One walk finds both the last token and the version: a file may hold a million tokens.
  const TXMLToken* last = first.get();
  for (const TXMLToken* token = first.get(); token; token = token->GetNext()) {
    last = token;
    const TXMLToken* next = token->GetNext();
    if (token->GetTokenKind() == xmlTokenBegin && token->GetName() == "Version" && next &&
        next->GetTokenKind() == xmlTokenAttr)
      version = next->GetText();
  }
  if (last->GetTokenKind() == xmlTokenError) {
    error = last->GetError();
    version.clear();
    first.reset();
    return false;
  }
  return true;
}

bool TUnitMuz::Duplicate(const TUnitMuz& source, std::string& error) {
  const std::unique_ptr<TXMLCompound> tree = source.BuildXML();
  int32_t line = 0;
  int32_t column = 0;
  const bool ok = ReadFromXML(tree.get(), error, line, column);
  if (!ok) error += muzread::PositionSuffix(line, column);
  SetNew();
  if (ok) SetSelectedSymbol(StartPartMuz->GetStartSymbol());
  return ok;
}

bool TUnitMuz::ReadFromXML(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column) {
  KV_ASSERT(PartMuzStackItems == NULL);
  PartMuzStackItems = new TPartMuzStackItem;
  ReadParts.clear();
  ReadPlaces.clear();
  ReadSteps = 0;
  const bool ok = ReadMuzXML(item, error, line, column);
  ReadPlaces.clear();
  if (!ok) {
    // The selected node may be a part still on the stack, which is freed now.
    SelMusTreeItem = nullptr;
    PartMuzStackItems->Clear();
  }
  delete std::exchange(PartMuzStackItems, nullptr);
  ReadParts.clear();
  return ok;
}

void TUnitMuz::InsertReadSymbol(TStaveSymbol* symbol) {
  TSinglePartMuz* single = symbol->GetSinglePartMuz();
  // The places are only good while a file is read: between reads the lists are edited and their
  // symbols freed, so an adder called then searches from the head.
  if (PartMuzStackItems == nullptr) {
    single->InsertOwnSymbol(symbol);
    return;
  }
  TReadPlace& place = ReadPlaces[single];
  // A file lists the rests of a key part and the notes of a note part in time order and they go
  // in last first, so the symbol before is near; the next part's list starts at its end, near
  // the tail, and its keys near the head.
  TStaveSymbol* from = place.last != nullptr ? place.last : single->GetStartStaveSymbol();
  if (from != nullptr) {
    const double position = symbol->GetSymbolPosition();
    const auto distance = [position](const TStaveSymbol* near) {
      return std::fabs(near->GetSymbolPosition() - position);
    };
    for (TStaveSymbol* near : {single->GetStartStaveSymbol(), place.tail})
      if (near != nullptr && distance(near) < distance(from)) from = near;
  }
  ReadSteps += single->InsertOwnSymbolFrom(symbol, from);
  place.last = symbol;
  if (symbol->GetNext() == nullptr) place.tail = symbol;
}

bool TUnitMuz::ReadMuzXML(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column) {
  Place place{error, line, column};
  Expect(item, "UnitMuz");
  const TXMLItem* child = Expect(item->GetFirstChild(), "Version");
  const std::string version = child->GetValue();
  if (version != muzreadtext::kVersion70 && version != muztext::kVersion)
    return place.Fail(child, muzreadtext::kUnknownVersion);
  child = Expect(child->GetNext(), "Tempo");
  if (!ReadValue(Tempo, child, "Tempo", place)) return false;
  child = child->GetNext();
  KV_ASSERT(StartPartMuz->GetPartMuz() == NULL);

  if (version == muzreadtext::kVersion70) {
    auto single = std::make_unique<TSinglePartMuz>(this);
    if (!ReadBar(single.get(), Expect(child, "Bar"), error, line, column)) return false;
    StartPartMuz->SetPartMuz(single.release());
    child = child->GetNext();
  } else {
    for (;; child = child->GetNext()) {
      bool ok = true;
      if (Is(child, "SingleMuzPart"))
        ok = ReadSingleMuzPart(child, error, line, column);
      else if (Is(child, "ConcatMuzPart"))
        ok = ReadConcatMuzPart(child, error, line, column);
      else if (Is(child, "LoopMuzPart"))
        ok = ReadLoopMuzPart(child, error, line, column);
      else if (Is(child, "SelectMuzPart"))
        ok = ReadSelectMuzPart(child, error, line, column);
      else
        break;
      if (!ok) return false;
    }
    if (ReadParts.size() != 1) return place.Fail(child, muzreadtext::kPartsOutsideTree);
    int32_t depth = 0;
    StartPartMuz->SetPartMuz(PopReadPart(depth)->TakeContents());
  }
  if (!ReadStave(child, version, error, line, column)) return false;
  KV_ASSERT(child == NULL);
  // Music too long to play is still a document the editor may have saved: the render refuses it.
  return true;
}

bool TUnitMuz::PushReadPart(TPartMuz* part, int32_t depth, const TXMLItem* item, std::string& error, int32_t& line,
                            int32_t& column) {
  if (depth > muztree::kMaxPartDepth) {
    TPartMuz::DeleteSubtrees(part, nullptr);
    Place place{error, line, column};
    return place.Fail(item, muztree::kNestedTooDeep);
  }
  auto* pushed = new TPartMuzStackItem(part);
  (ReadParts.empty() ? PartMuzStackItems : ReadParts.back().item)->Append(pushed);
  ReadParts.push_back({pushed, depth});
  return true;
}

std::unique_ptr<TPartMuzStackItem> TUnitMuz::PopReadPart(int32_t& depth) {
  if (ReadParts.empty()) return nullptr;
  depth = ReadParts.back().depth;
  ReadParts.pop_back();
  TPartMuzStackItem* below = ReadParts.empty() ? PartMuzStackItems : ReadParts.back().item;
  std::unique_ptr<TPartMuzStackItem> top(below->PopLast());
  KV_ASSERT(top != NULL);
  return top;
}

bool TUnitMuz::ReadBar(TSinglePartMuz* single, const TXMLItem* item, std::string& error, int32_t& line,
                       int32_t& column) {
  Place place{error, line, column};
  unitInteger count(0, 0);
  unitInteger length(0, 0);
  unitInteger countFirstBar(0, 0);
  const TXMLItem* countItem = Expect(item->GetFirstChild(), "Count");
  if (!ReadValue(count, countItem, "Bar Count", place)) return false;
  const TXMLItem* lengthItem = Expect(countItem->GetNext(), "Length");
  if (!ReadValue(length, lengthItem, "Bar Length", place)) return false;
  const TXMLItem* firstItem = lengthItem->GetNext();
  if (firstItem && !ReadValue(countFirstBar, Expect(firstItem, "CountFirstBar"), "Bar CountFirstBar", place))
    return false;
  if (!InRange(count.GetValue(), 1, INT32_MAX, countItem, "Bar Count", place)) return false;
  if (!IsNoteLengthKind(length.GetValue()))
    return place.Fail(lengthItem, FieldErrorText("Bar Length", muzreadtext::kNoLengthKind));
  if (!InRange(countFirstBar.GetValue(), 0, count.GetValue() - 1, firstItem ? firstItem : lengthItem,
               "Bar CountFirstBar", place))
    return false;
  KV_ASSERT(TMuzBar::IsValid(length.GetValue(), count.GetValue(), countFirstBar.GetValue()));
  new TMuzBar(single, static_cast<int8_t>(length.GetValue()), count.GetValue(), countFirstBar.GetValue());
  return true;
}

bool TUnitMuz::ReadPartNode(const TXMLItem* item, TMusTreeItem* node, std::string& error, int32_t& line,
                            int32_t& column) {
  Place place{error, line, column};
  const TXMLItem* child = Expect(item, "PartNode")->GetFirstChild();
  if (Is(child, "PartLabel")) {
    node->SetLabel(child->GetValue());
    child = child->GetNext();
  }
  const bool expanded = Is(child, "Expanded");
  if (expanded) child = child->GetNext();
  // Only loop and select parts keep the flag; on other nodes the grammar lets it pass unused.
  if (node->GetMusTreeItemKind() == musTreeItemPartMuz) {
    auto* part = static_cast<TPartMuz*>(node);
    if (part->GetPartMuzKind() == partMuzLoop) static_cast<TLoopPartMuz*>(part)->SetExpanded(expanded);
    if (part->GetPartMuzKind() == partMuzSelect) static_cast<TSelectPartMuz*>(part)->SetExpanded(expanded);
  }
  if (Is(child, "Selected")) {
    if (SelMusTreeItem != nullptr) return place.Fail(child, muzreadtext::kSecondSelected);
    SelMusTreeItem = node;
    child = child->GetNext();
  }
  KV_ASSERT(child == NULL);
  return true;
}

bool TUnitMuz::ReadSingleMuzPart(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column) {
  auto single = std::make_unique<TSinglePartMuz>(this);
  const TXMLItem* bar = Expect(item->GetFirstChild(), "Bar");
  if (!ReadBar(single.get(), bar, error, line, column)) return false;
  if (!ReadPartNode(bar->GetNext(), single.get(), error, line, column)) return false;
  return PushReadPart(single.release(), 1, item, error, line, column);
}

bool TUnitMuz::ReadConcatMuzPart(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column) {
  Place place{error, line, column};
  int32_t secondDepth = 0;
  int32_t firstDepth = 0;
  std::unique_ptr<TPartMuzStackItem> second = PopReadPart(secondDepth);
  if (!second) return place.Fail(item, muzreadtext::kConcatNoSecond);
  std::unique_ptr<TPartMuzStackItem> first = PopReadPart(firstDepth);
  if (!first) return place.Fail(item, muzreadtext::kConcatNoFirst);
  TPartMuz* firstPart = first->TakeContents();
  auto* concat = new TConcatPartMuz(firstPart, second->TakeContents(), this);
  return PushReadPart(concat, std::max(firstDepth, secondDepth) + 1, item, error, line, column);
}

bool TUnitMuz::ReadLoopMuzPart(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column) {
  Place place{error, line, column};
  unitIntegerPosMore count(1, 0);
  const TXMLItem* countItem = Expect(item->GetFirstChild(), "Count");
  if (!ReadValue(count, countItem, "Loop MuzPart Count", place)) return false;
  int32_t depth = 0;
  std::unique_ptr<TPartMuzStackItem> top = PopReadPart(depth);
  if (!top) return place.Fail(item, muzreadtext::kLoopNoChild);
  auto* loop = new TLoopPartMuz(count, top->TakeContents(), this);
  if (!ReadPartNode(countItem->GetNext(), loop, error, line, column)) {
    TPartMuz::DeleteSubtrees(loop, nullptr);
    return false;
  }
  return PushReadPart(loop, depth + 1, item, error, line, column);
}

bool TUnitMuz::ReadSelectMuzPart(const TXMLItem* item, std::string& error, int32_t& line, int32_t& column) {
  Place place{error, line, column};
  int32_t depth = 0;
  std::unique_ptr<TPartMuzStackItem> top = PopReadPart(depth);
  if (!top) return place.Fail(item, muzreadtext::kSelectNoChild);
  auto* select = new TSelectPartMuz(top->TakeContents(), this);
  const TXMLItem* child = item->GetFirstChild();
  bool ok = true;
  for (; ok && Is(child, "SelectMuzPartTurn"); child = child->GetNext())
    ok = ReadSelectMuzPartTurn(child, select, error, line, column);
  if (ok) ok = ReadPartNode(child, select, error, line, column);
  if (!ok) {
    // A turn item of this part may have been selected before the failure.
    SelMusTreeItem = nullptr;
    TPartMuz::DeleteSubtrees(select, nullptr);
    return false;
  }
  return PushReadPart(select, depth + 1, item, error, line, column);
}

bool TUnitMuz::ReadSelectMuzPartTurn(const TXMLItem* item, TSelectPartMuz* select, std::string& error, int32_t& line,
                                     int32_t& column) {
  Place place{error, line, column};
  unitIntegerPosMore count(1, 0);
  unitInteger pitch(0, 0);
  const TXMLItem* child = Expect(item->GetFirstChild(), "Count");
  if (!ReadValue(count, child, "Select MuzPart Count", place)) return false;
  child = child->GetNext();
  if (Is(child, "Pitch")) {
    if (!ReadValue(pitch, child, "Select MuzPart Pitch", place)) return false;
    child = child->GetNext();
  }
  TCountSelectPartItem* turn = select->AddTurnItem(count, pitch);
  return ReadPartNode(child, turn, error, line, column);
}

// --- staves ----------------------------------------------------------------------------------------

namespace {
// The keys and rests of a key run, from `item` on; leaves `item` after them. When `added` is given,
// the symbols that went in are added to it: the keys, then the rests, each in the file's order.
bool ReadKeysAndRests(TUnitMuz& unit, const TXMLItem*& item, TSinglePartMuz* single, TNoteStave* stave,
                      std::vector<TStaveSymbol*>* added, Place& place) {
  Expect(item, "Key");
  int32_t keyOrder = 0;
  double lastKeyPosition = 0;
  std::vector<TTimeValues> rests;
  for (; Is(item, "Key") || Is(item, "Silence"); item = item->GetNext()) {
    const TXMLItem* child = item->GetFirstChild();
    if (Is(item, "Silence")) {
      TTimeValues time;
      if (!ReadTimeStart(child, kSilenceFields, time, place) ||
          !ReadTimeEnd(child, "Normal Silence", muzreadtext::kPosInSil, kSilenceFields, time, place))
        return false;
      rests.push_back(time);
      continue;
    }
    double position = 0;
    if (!ReadPosition(child, "Key Position", position, place)) return false;
    // The first key starts the stave in the part; a later one before it, or none at the start,
    // would leave notes without a clef.
    if (keyOrder == 0 && position != 0)
      return place.Fail(child, FieldErrorText("Key Position", muzreadtext::kFirstKeyAtStart));
    if (position < lastKeyPosition) return place.Fail(child, FieldErrorText("Key Position", muzreadtext::kKeysInOrder));
    lastKeyPosition = position;
    child = Expect(child->GetNext(), "KeyKind");
    place.At(child);
    const std::string& kindText = child->GetValue();
    int8_t keyKind = TKey::keyKindC;
    if (kindText == "G")
      keyKind = TKey::keyKindG;
    else if (kindText == "F")
      keyKind = TKey::keyKindF;
    else if (kindText != "C")
      return place.Fail(child, muzreadtext::kKeyKindPrefix + ("\"" + kindText + "\"") + muzreadtext::kKeyKindSuffix);
    child = child->GetNext();
    unitInteger octaves(0, 0);
    if (Is(child, "OctavesUp")) {
      if (!ReadValue(octaves, child, "Key OctavesUp", place) ||
          !InRange(octaves.GetValue(), -kMaxOctavesUp, kMaxOctavesUp, child, "Key OctavesUp", place))
        return false;
      child = child->GetNext();
    }
    TKey* key = unit.AddXMLKey(stave, position, octaves.GetValue(), keyKind, ++keyOrder, single);
    if (added != nullptr) added->push_back(key);
    for (; Is(child, "KeyNoteShift"); child = child->GetNext()) {
      const TXMLItem* shift = child->GetFirstChild();
      const uint8_t kind = Is(shift, "ShiftCross") ? noteShiftKruis : noteShiftMol;
      unitInteger height(0, 0);
      if (!ReadValue(height, Expect(shift->GetNext(), "Height"), "Key NoteShift Height", place)) return false;
      const bool set = key->SetNoteShift(height.GetValue(), kind);
      KV_ASSERT(set);
    }
    KV_ASSERT(child == NULL);
  }
  // A symbol goes in before those it ties with in the part's order, so the rests go in last
  // first: ties then keep the order of the file, and a file the program wrote reads back into the
  // same order and writes the same text.
  const size_t firstRest = added != nullptr ? added->size() : 0;
  for (auto rest = rests.rbegin(); rest != rests.rend(); ++rest) {
    TSilence* silence = unit.AddXMLSilence(stave, rest->position, static_cast<int8_t>(rest->lengthKind), rest->points,
                                           static_cast<int8_t>(rest->tuplet.multiOol), rest->posInOol, single);
    if (added != nullptr) added->push_back(silence);
  }
  if (added != nullptr) std::reverse(added->begin() + static_cast<std::ptrdiff_t>(firstRest), added->end());
  return true;
}

// The key and the accidental of "7.0" notes without their own, as GetKeyAt and GetNoteShiftAt find
// them by a walk from the head of the part over the symbols of the note's stave. The walk links
// the stave's own symbols apart, in their order in the part, and never passes another stave's.
// That order is the one the part's placing gives a list of the stave's symbols alone: a symbol
// goes after those of a lower rank and the notes of a higher pitch that tie with it, and another
// stave's symbol among its ties could stop it early only had it gone in after the stave's own
// ties, while a "7.0" file puts in each stave's symbols before those of the next.
// The walk goes on from note to note and from group to group: notes read in time order pass each
// symbol once. Only a note earlier than the one before starts it again, from the stave's head.
class TSeventyWalk {
 public:
  // `keysAndRests`: the stave's symbols so far, the keys and then the rests each in the file's
  // order. Keys never tie in rank, and rests that tie went in last first, before their ties: so in
  // the part they stand in the order of their ranks and, where those tie, of the file.
  TSeventyWalk(const TSinglePartMuz* single, std::vector<TStaveSymbol*> keysAndRests) : single_(single) {
    std::stable_sort(keysAndRests.begin(), keysAndRests.end(),
                     [](TStaveSymbol* a, TStaveSymbol* b) { return TStaveSymbol::CompareRank(a, b) < 0; });
    links_.reserve(keysAndRests.size());
    for (TStaveSymbol* symbol : keysAndRests) links_.push_back({symbol, links_.size() + 1});
    if (!links_.empty()) {
      links_.back().next = kEnd;
      head_ = 0;
    }
    Restart();
  }

  // Walks on to the note at `time`; the key in effect there, null when the stave has none.
  const TKey* KeyAt(double time) {
    if (time < time_) Restart();
    time_ = time;
    for (; next_ != kEnd; next_ = links_[next_].next) {
      ++steps_;
      const TStaveSymbol* symbol = links_[next_].symbol;
      const double position = symbol->GetSymbolPosition();
      const uint8_t kind = symbol->GetStaveSymbolKind();
      // GetNoteShiftAt also passes the rests at the note's time that no note there stands
      // before; they only bring the bar line at that time, after which the key's accidental holds
      // as it does before a bar line passed. Stopping before them leaves every symbol walked
      // ranking before the note.
      if (position > time || (position == time && kind != staveSymbolKey)) break;
      if (!gridless_ && position >= barLineAhead_) {
        const TMuzBar* bar = single_->GetMuzBar();
        const double next = bar != nullptr ? bar->GetNextBarTime(position) : position;
        // Without a grid the walk of a note takes no bar line after its first symbol.
        if (next > position)
          barLineAhead_ = next;
        else
          gridless_ = true;
        shifts_.fill(kNone);
      }
      if (kind == staveSymbolKey) {
        key_ = static_cast<const TKey*>(symbol);
        shifts_.fill(kNone);
      } else if (kind == staveSymbolNote) {
        const auto* note = static_cast<const TMuzNote*>(symbol);
        shifts_[StepClass(note->GetPitch())] = note->GetNoteShift();
      }
      walked_ = next_;
    }
    return key_;
  }

  // The accidental of a note of `pitch` at the time walked to: that of the last note of its step
  // in the bar after the last key, else the key's.
  uint8_t ShiftFor(int32_t pitch) const {
    const uint8_t keyShift = key_ != nullptr ? key_->GetNoteShift(key_->PitchToHeight(pitch)) : static_cast<uint8_t>(noteShiftNormal);
    if (!gridless_ && barLineAhead_ <= time_) return keyShift;
    const uint8_t shift = shifts_[StepClass(pitch)];
    return shift != kNone ? shift : keyShift;
  }

  // The note read at the time walked to has gone into the part. Every symbol walked ranks before
  // it, so it stands after the last one walked and the notes at its time of a higher pitch; right
  // after the last one walked it is the next to walk.
  void Added(TStaveSymbol* note) {
    size_t before = walked_;
    size_t after = next_;
    for (; after != kEnd && TStaveSymbol::IsPrevOf(links_[after].symbol, note); after = links_[after].next) {
      ++steps_;
      before = after;
    }
    links_.push_back({note, after});
    const size_t added = links_.size() - 1;
    (before == kEnd ? head_ : links_[before].next) = added;
    if (before == walked_) next_ = added;
  }

  // The symbols passed so far, walking and placing notes among the stave's symbols.
  int64_t Steps() const { return steps_; }

 private:
  static constexpr uint8_t kNone = 255;
  static constexpr size_t kEnd = SIZE_MAX;
  static int32_t StepClass(int32_t pitch) { return static_cast<int32_t>(WrapIntoRange(pitch, 0, 7)); }

  void Restart() {
    next_ = head_;
    walked_ = kEnd;
    key_ = nullptr;
    barLineAhead_ = 0.0;
    gridless_ = false;
    shifts_.fill(kNone);
  }

  struct Link {
    TStaveSymbol* symbol;
    size_t next;  // the stave's next symbol in the part, kEnd after the last
  };

  const TSinglePartMuz* single_;
  std::vector<Link> links_;
  size_t head_ = kEnd;
  size_t next_ = kEnd;    // the first symbol not walked
  size_t walked_ = kEnd;  // the last symbol walked
  double time_ = 0.0;
  const TKey* key_ = nullptr;
  double barLineAhead_ = 0.0;
  bool gridless_ = false;
  std::array<uint8_t, 7> shifts_{};  // by step, since the last bar line or key
  int64_t steps_ = 0;
};

struct TNoteValues {
  TTimeValues time;
  int32_t pitch = 0;
  uint8_t noteShift = noteShiftNormal;
  uint8_t articulation = noteArtNormal;
  uint8_t stick = drawStickAuto;
};

// Reads one "Note" element. A "7.0" note, read with the walk of its stave, is converted as it is
// read: its height counts from the key in effect at its place, and without an accidental of its
// own it takes the one in effect there.
bool ReadNoteValues(const TXMLItem* item, TSeventyWalk* walk, TNoteValues& note, Place& place) {
  const TXMLItem* child = item->GetFirstChild();
  TTimeValues time;
  if (!ReadTimeStart(child, kNoteFields, time, place)) return false;
  const TXMLItem* heightItem = Expect(child, "Height");
  unitInteger height(0, 0);
  if (!ReadValue(height, heightItem, "Note Height", place)) return false;
  int64_t pitch = height.GetValue();
  if (walk != nullptr) {
    // Every key run starts with a key at 0, so a key is always in effect.
    const TKey* key = walk->KeyAt(time.position);
    KV_ASSERT(key != NULL);
    pitch = int64_t{height.GetValue()} + key->GetKeyKind() + 7 * int64_t{key->GetOctavesUp()};
  }
  if (!InRange(pitch, TMuzNote::GetMinPitch(), TMuzNote::GetMaxPitch(), heightItem, "Note Height", place))
    return false;
  child = child->GetNext();
  constexpr uint8_t kNoShift = 255;
  uint8_t noteShift = TakeChoice(child, kNoteShifts, kNoShift);
  if (!ReadTimeEnd(child, "Normal Note", muzreadtext::kPosInNote, kNoteFields, time, place)) return false;
  const uint8_t articulation = TakeChoice(child, kArticulations, noteArtNormal);
  const uint8_t stick = TakeChoice(child, kSticks, drawStickAuto);
  KV_ASSERT(child == NULL);
  if (noteShift == kNoShift)
    noteShift = walk != nullptr ? walk->ShiftFor(static_cast<int32_t>(pitch)) : static_cast<uint8_t>(noteShiftNormal);
  note = {time, static_cast<int32_t>(pitch), noteShift, articulation, stick};
  return true;
}

TMuzNote* AddNote(TUnitMuz& unit, const TNoteValues& note, TSinglePartMuz* single, TNoteStave* stave,
                  TNoteGroup* group) {
  return unit.AddXMLNote(stave, note.time.position, static_cast<int8_t>(note.time.lengthKind), note.time.points,
                         note.pitch, group, note.noteShift, static_cast<int8_t>(note.time.tuplet.multiOol),
                         note.time.posInOol, note.articulation, single, note.stick);
}

// The notes of a "7.0" note group, from `item` on; leaves `item` after them. Each goes in as it is
// read: the accidentals of those after it depend on it.
bool ReadSeventyNotes(TUnitMuz& unit, const TXMLItem*& item, TSinglePartMuz* single, TNoteStave* stave,
                      TNoteGroup* group, TSeventyWalk& walk, Place& place) {
  for (; Is(item, "Note"); item = item->GetNext()) {
    TNoteValues note;
    if (!ReadNoteValues(item, &walk, note, place)) return false;
    walk.Added(AddNote(unit, note, single, stave, group));
  }
  return true;
}
}  // namespace

bool TUnitMuz::ReadStave(const TXMLItem*& item, const std::string& version, std::string& error, int32_t& line,
                         int32_t& column) {
  Place place{error, line, column};
  const bool old = version == muzreadtext::kVersion70;
  TNoteStave* previous = nullptr;
  for (; Is(item, "Stave"); item = item->GetNext()) {
    const TXMLItem* child = item->GetFirstChild();
    unitIntegerMoreUser roomUp(kStaveRoom, 0);
    unitIntegerMoreUser roomDown(kStaveRoom, 0);
    roomUp.SetBound(kStaveRoomBound);
    roomDown.SetBound(kStaveRoomBound);
    if (!ReadValue(roomUp, Expect(child, "RoomUp"), "Room Up", place)) return false;
    child = child->GetNext();
    if (!ReadValue(roomDown, Expect(child, "RoomDown"), "Room Down", place)) return false;
    child = child->GetNext();
    const bool allowJoin = Is(child, "AllowJoinFlags");
    if (allowJoin) child = child->GetNext();
    if (old && Is(child, "AutoStick")) child = child->GetNext();
    const bool mute = Is(child, "Mute");
    if (mute) child = child->GetNext();
    const bool extraLines = Is(child, "ExtraLines");
    if (extraLines) child = child->GetNext();
    uint32_t foreground = 0;
    uint32_t background = 0;
    if (!ReadColour(Expect(child, "ForegroundColor"), "ForegroundColor", foreground, place)) return false;
    child = child->GetNext();
    if (!ReadColour(Expect(child, "BackgroundColor"), "BackgroundColor", background, place)) return false;
    child = child->GetNext();

    auto* stave = new TNoteStave(this, foreground, background, roomUp.GetValue(), roomDown.GetValue(),
                                 allowJoin ? drawFlagJoin : drawFlagSeparate, mute, extraLines);
    stave->SetPrev(previous);
    if (previous)
      previous->SetNext(stave);
    else
      StartStave = CurStave = stave;
    previous = stave;

    TSinglePartMuz* single = StartPartMuz->GetFirstSinglePart();
    if (old) {
      // The notes of all the stave's groups take their keys and accidentals from one walk over
      // the stave's own symbols, which goes on from group to group.
      std::vector<TStaveSymbol*> keysAndRests;
      if (!ReadKeysAndRests(*this, child, single, stave, &keysAndRests, place)) return false;
      TSeventyWalk walk(single, std::move(keysAndRests));
      TNoteGroup* group = nullptr;
      for (; Is(child, "NoteGroup"); child = child->GetNext()) {
        if (!ReadNoteGroup(child, stave, group, version, error, line, column)) return false;
        const TXMLItem* notes = child->GetFirstChild();
        while (notes != nullptr && !Is(notes, "Note")) notes = notes->GetNext();
        if (!ReadSeventyNotes(*this, notes, single, stave, group, walk, place)) return false;
        KV_ASSERT(notes == NULL);
      }
      ReadSteps += walk.Steps();
    } else {
      for (; Is(child, "KeyPart"); child = child->GetNext()) {
        if (single == nullptr) return place.Fail(child, muzreadtext::kMoreKeyParts);
        place.At(child);
        const TXMLItem* keys = child->GetFirstChild();
        if (!ReadKeyOrSilence(keys, single, stave, error, line, column)) return false;
        KV_ASSERT(keys == NULL);
        single = single->GetNextSinglePart();
      }
      if (single != nullptr) return place.Fail(nullptr, muzreadtext::kMoreMusicParts);
      TNoteGroup* group = nullptr;
      for (; Is(child, "NoteGroup"); child = child->GetNext())
        if (!ReadNoteGroup(child, stave, group, version, error, line, column)) return false;
    }
    KV_ASSERT(child == NULL);
  }
  return true;
}

bool TUnitMuz::ReadKeyOrSilence(const TXMLItem*& item, TSinglePartMuz* single, TNoteStave* stave, std::string& error,
                                int32_t& line, int32_t& column) {
  Place place{error, line, column};
  return ReadKeysAndRests(*this, item, single, stave, nullptr, place);
}

// --- note groups and notes -------------------------------------------------------------------------

bool TUnitMuz::ReadNoteGroup(const TXMLItem* item, TNoteStave* stave, TNoteGroup*& previous, const std::string& version,
                             std::string& error, int32_t& line, int32_t& column) {
  Place place{error, line, column};
  const TXMLItem* child = item->GetFirstChild();
  uint32_t colour = 0;
  if (!ReadColour(Expect(child, "NoteColor"), "NoteColor", colour, place)) return false;
  child = child->GetNext();
  const uint8_t shape = TakeChoice(child, kShapes, noteShapeNormal);
  const uint8_t stick = TakeChoice(child, kSticks, drawStickAuto);

  // Built whole before the group takes it, so a failure drops it with nothing linked anywhere.
  auto player = std::make_unique<TCompoundPlayer>(this);
  TOnePlayer* last = nullptr;
  for (const TXMLItem* one = Expect(child, "CompoundPlayer")->GetFirstChild(); one; one = one->GetNext()) {
    const TXMLItem* value = one->GetFirstChild();
    TOnePlayerProps props(unitVolumeFactor(1, kUnitNone), unitFreq(0, kUnitKiloHertz));
    unitTimePosMore basicFreq = props.SimpleSampler.BasicFreq;
    unitFactorPosMax1 resFactor = props.ResonantSampler.ResFactor;
    const bool resonant = Is(one, "ResonantSampler");
    const bool sampler = Is(one, "SimpleOneSampler") || Is(one, "RollOutSampler");
    if (resonant) {
      if (!ReadValue(resFactor, Expect(value, "ResFactor"), "ResFactor", place)) return false;
      value = value->GetNext();
    } else if (sampler) {
      if (!ReadValue(basicFreq, Expect(value, "BasicFreq"), "BasicFreq", place)) return false;
      value = value->GetNext();
    }
    const unitUnitWave wave(Expect(value, "SampleWave")->GetValue());
    value = value->GetNext();
    if (Is(value, "FreqUp")) {
      if (!ReadValue(props.FreqUp, value, "FreqUp", place)) return false;
      value = value->GetNext();
    }
    if (!ReadValue(props.VolumeFactor, Expect(value, "VolumeFactor"), "VolumeFactor", place)) return false;
    KV_ASSERT(value->GetNext() == NULL);

    auto onePlayer = std::make_unique<TOnePlayer>(player.get(), props.VolumeFactor, props.FreqUp);
    bool set = false;
    if (resonant) {
      set = onePlayer->SetResonantSampler({wave, resFactor});
    } else if (Is(one, "SimpleOneSampler")) {
      set = onePlayer->SetSimpleSampler({wave, basicFreq});
    } else if (Is(one, "RollOutSampler")) {
      set = onePlayer->SetRollOutSampler({wave, basicFreq});
    } else if (Is(one, "RepeatWaveForm")) {
      set = onePlayer->SetRepeatWaveForm({wave});
    } else {
      Expect(one, "RollOutWaveForm");
      set = onePlayer->SetRollOutWaveForm({wave});
    }
    KV_ASSERT(set);  // the values were checked as the setters check them
    TOnePlayer* inserted = onePlayer.get();
    player->InsertAfter(last, std::move(onePlayer));
    if (last == nullptr) player->SetCurOnePlayer(inserted);
    last = inserted;
  }
  KV_ASSERT(last != NULL);
  child = child->GetNext();

  auto* group = new TNoteGroup(stave, std::move(player), colour, shape, stick);
  stave->InsertNoteGroup(previous, group);
  if (previous == nullptr) {
    stave->SetCurNoteGroup(group);
    stave->SetSelectedNoteGroup(group);
  }
  previous = group;

  // A "7.0" group's notes follow; ReadStave reads them with the walk of the stave.
  if (version == muzreadtext::kVersion70) return true;
  TSinglePartMuz* single = StartPartMuz->GetFirstSinglePart();
  for (; Is(child, "NotePart"); child = child->GetNext()) {
    if (single == nullptr) return place.Fail(child, muzreadtext::kMoreNoteParts);
    place.At(child);
    const TXMLItem* notes = child->GetFirstChild();
    if (!ReadNote(notes, single, stave, group, version, error, line, column)) return false;
    KV_ASSERT(notes == NULL);
    single = single->GetNextSinglePart();
  }
  KV_ASSERT(child == NULL);
  if (single != nullptr) return place.Fail(nullptr, muzreadtext::kMoreMusicNoteParts);
  return true;
}

bool TUnitMuz::ReadNote(const TXMLItem*& item, TSinglePartMuz* single, TNoteStave* stave, TNoteGroup* group,
                        const std::string& version, std::string& error, int32_t& line, int32_t& column) {
  // A "7.0" group's notes are read by ReadStave, with the walk of their stave.
  KV_ASSERT(version != muzreadtext::kVersion70);
  Place place{error, line, column};
  std::vector<TNoteValues> notes;
  for (; Is(item, "Note"); item = item->GetNext()) {
    TNoteValues note;
    if (!ReadNoteValues(item, nullptr, note, place)) return false;
    notes.push_back(note);
  }
  // The notes go in last first, as the rests do, so that ties keep the order of the file.
  for (auto note = notes.rbegin(); note != notes.rend(); ++note) AddNote(*this, *note, single, stave, group);
  return true;
}
