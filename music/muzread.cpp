// Reading a music document from its element tree: the document values, the part tree from its
// postfix form, the staves with their keys, rests, note groups, players and notes. A file may hold
// anything the grammar lets through, so every value is checked against what the model can hold
// before anything is built from it.
#include "music/muzread.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
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
bool IsTagChar(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '/' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9');
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
  // The first byte at which the tokenizer surely ends the token: a text ends at the next angle
  // bracket, a tag at the first character that cannot stand inside one.
  const bool tag = data[token_] == '<';
  bool complete = data[token_] == '>';
  size_t stop = size;
  for (; !complete && at_ < size; ++at_) {
    const char c = data[at_];
    if (!tag) {
      complete = c == '<' || c == '>';
      // A text is never the document's start, whatever ends it, and a file of zeros is one text:
      // it is judged from its first bytes as the tokenizer judges a file that ends after them.
      if (!complete && at_ - token_ >= kFirstTextLimit) {
        complete = true;
        stop = at_;
      }
    } else if (c == '\r' && at_ + 1 == size) {
      if (!whole) return Start::kUndecided;  // a CR that an LF may follow
      complete = true;
    } else {
      complete = !IsTagChar(c) && !(c == '\r' && data[at_ + 1] == '\n');
    }
  }
  if (!complete && !whole) return Start::kUndecided;
  decided_ = Decide(data, stop);
  return decided_;
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
    for (bool whole = size == 0; start == muzread::Start::kUndecided && !whole; block = 65536) {
      const int64_t got = readMore(static_cast<size_t>(std::min<uint64_t>(block, size - text.size())));
      if (got < 0) {
        error = muzreadtext::kCannotRead;
        return false;
      }
      // A file cut shorter while it is read ends where the read found its end.
      whole = got == 0 || text.size() == size;
      start = reader.Look(text.data(), text.size(), whole);
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
      if (!ReadKeyOrSilence(child, single, stave, error, line, column)) return false;
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
    }
    TNoteGroup* group = nullptr;
    for (; Is(child, "NoteGroup"); child = child->GetNext())
      if (!ReadNoteGroup(child, stave, group, version, error, line, column)) return false;
    KV_ASSERT(child == NULL);
  }
  return true;
}

bool TUnitMuz::ReadKeyOrSilence(const TXMLItem*& item, TSinglePartMuz* single, TNoteStave* stave, std::string& error,
                                int32_t& line, int32_t& column) {
  Place place{error, line, column};
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
    TKey* key = AddXMLKey(stave, position, octaves.GetValue(), keyKind, ++keyOrder, single);
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
  for (auto rest = rests.rbegin(); rest != rests.rend(); ++rest)
    AddXMLSilence(stave, rest->position, static_cast<int8_t>(rest->lengthKind), rest->points,
                  static_cast<int8_t>(rest->tuplet.multiOol), rest->posInOol, single);
  return true;
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

  TSinglePartMuz* single = StartPartMuz->GetFirstSinglePart();
  if (version == muzreadtext::kVersion70) return ReadNote(child, single, stave, group, version, error, line, column);
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

namespace {
// The key and the accidental of "7.0" notes without their own, as GetKeyAt and GetNoteShiftAt find
// them by a walk from the head of the part over the symbols of the stave. The walk is kept from
// note to note: notes read in time order pass each symbol once. A note that goes in among the
// symbols walked already, or one earlier than the last, starts the walk again from the head.
class TSeventyWalk {
 public:
  TSeventyWalk(const TSinglePartMuz* single, const TNoteStave* stave) : single_(single), stave_(stave) {}

  // Walks on to the note at `time`; the key in effect there, null when the stave has none.
  const TKey* KeyAt(double time) {
    if (!walking_ || time < time_) Restart();
    time_ = time;
    for (; next_ != nullptr; next_ = next_->GetNext()) {
      if (next_->GetNoteStave() != stave_) continue;
      const double position = next_->GetSymbolPosition();
      const uint8_t kind = next_->GetStaveSymbolKind();
      if (position > time || (kind == staveSymbolNote && position == time)) break;
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
        key_ = static_cast<const TKey*>(next_);
        shifts_.fill(kNone);
      } else if (kind == staveSymbolNote) {
        const auto* note = static_cast<const TMuzNote*>(next_);
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

  // The note read at the time walked to has gone into the part.
  void Added(TStaveSymbol* note) {
    // Right after the symbols walked it is the next one to walk; after the next one it is walked
    // in its turn. Only symbols at the note's time stand between those two; one of the stave
    // before that time was walked.
    const TStaveSymbol* before = note->GetPrev();
    for (; before != nullptr; before = before->GetPrev()) {
      if (before->GetNoteStave() != stave_) continue;
      if (before == walked_) break;
      if (before == next_) return;
      if (before->GetSymbolPosition() < time_) break;
    }
    if (before == walked_)
      next_ = note;
    else
      walking_ = false;
  }

 private:
  static constexpr uint8_t kNone = 255;
  static int32_t StepClass(int32_t pitch) { return static_cast<int32_t>(WrapIntoRange(pitch, 0, 7)); }

  void Restart() {
    walking_ = true;
    next_ = single_->GetStartStaveSymbol();
    walked_ = nullptr;
    key_ = nullptr;
    barLineAhead_ = 0.0;
    gridless_ = false;
    shifts_.fill(kNone);
  }

  const TSinglePartMuz* single_;
  const TNoteStave* stave_;
  bool walking_ = false;
  TStaveSymbol* next_ = nullptr;    // the first symbol not walked
  TStaveSymbol* walked_ = nullptr;  // the last symbol of the stave walked
  double time_ = 0.0;
  const TKey* key_ = nullptr;
  double barLineAhead_ = 0.0;
  bool gridless_ = false;
  std::array<uint8_t, 7> shifts_{};  // by step, since the last bar line or key
};
}  // namespace

bool TUnitMuz::ReadNote(const TXMLItem*& item, TSinglePartMuz* single, TNoteStave* stave, TNoteGroup* group,
                        const std::string& version, std::string& error, int32_t& line, int32_t& column) {
  Place place{error, line, column};
  const bool old = version == muzreadtext::kVersion70;
  struct TNoteValues {
    TTimeValues time;
    int32_t pitch;
    uint8_t noteShift, articulation, stick;
  };
  const auto add = [&](const TNoteValues& note) {
    return AddXMLNote(stave, note.time.position, static_cast<int8_t>(note.time.lengthKind), note.time.points, note.pitch,
               group, note.noteShift, static_cast<int8_t>(note.time.tuplet.multiOol), note.time.posInOol,
               note.articulation, single, note.stick);
  };
  std::vector<TNoteValues> notes;
  TSeventyWalk walk(single, stave);
  for (; Is(item, "Note"); item = item->GetNext()) {
    const TXMLItem* child = item->GetFirstChild();
    TTimeValues time;
    if (!ReadTimeStart(child, kNoteFields, time, place)) return false;
    const TXMLItem* heightItem = Expect(child, "Height");
    unitInteger height(0, 0);
    if (!ReadValue(height, heightItem, "Note Height", place)) return false;
    int64_t pitch = height.GetValue();
    const TKey* key = nullptr;
    if (old) {
      // Every key run starts with a key at 0, so a key is always in effect.
      key = walk.KeyAt(time.position);
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
      noteShift = old ? walk.ShiftFor(static_cast<int32_t>(pitch))
                      : static_cast<uint8_t>(noteShiftNormal);
    const TNoteValues note{time, static_cast<int32_t>(pitch), noteShift, articulation, stick};
    // A "7.0" accidental depends on the notes before it, which must be in place; other notes go
    // in last first, as the rests do, so that ties keep the order of the file.
    if (old)
      walk.Added(add(note));
    else
      notes.push_back(note);
  }
  for (auto note = notes.rbegin(); note != notes.rend(); ++note) add(*note);
  return true;
}
