// Tokenizer, item tree and writer of the program's XML subset.
#include "foundation/xmlalg.h"

#include <climits>
#include <utility>

#include "foundation/assertion.h"
#include "foundation/replacingfile.h"

namespace {
constexpr const char* kAssertUnit = "xmlalg";

enum CharClass : int {
  kWhite = 0,
  kLetter = 1,
  kDigit = 2,
  kOther = 3,
  kSlash = 4,
  kLess = 5,
  kGreater = 6,
  kEndOfFile = 7,
};

// Classifies one character and moves the caller's line and column counters.
int CharKind(int c, int32_t& line, int32_t& column) {
  if (c == EOF) return kEndOfFile;
  if (c == ' ' || c == '\t') {
    AdvanceXMLCounter(column);
    return kWhite;
  }
  if (c == '\n') {
    AdvanceXMLCounter(line);
    column = 1;
    return kWhite;
  }
  int kind = kOther;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) kind = kLetter;
  else if (c >= '0' && c <= '9') kind = kDigit;
  else if (c == '/') kind = kSlash;
  else if (c == '<') kind = kLess;
  else if (c == '>') kind = kGreater;
  if (kind != kOther) AdvanceXMLCounter(column);
  return kind;
}

void AppendChar(std::string& to, int c) {
  to.push_back(c == '\t' || c == '\n' || c == '\r' ? ' ' : static_cast<char>(c));
}

bool IsNameChar(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }
bool IsBlank(unsigned char c) { return c == ' '; }
// Characters of a text that neither end it nor change as they are kept.
bool IsPlainTextChar(unsigned char c) { return c != '<' && c != '>' && c != '\t' && c != '\n' && c != '\r'; }

// The end of the run of characters from `at` that `keep` lets through, the column moved over them
// as CharKind moves it: a file is mostly such runs, which need no state machine.
const char* RunEnd(const char* at, const char* end, bool (*keep)(unsigned char), int32_t& column) {
  for (; at < end && keep(static_cast<unsigned char>(*at)); ++at) {
    const auto c = static_cast<unsigned char>(*at);
    if (IsNameChar(c) || c == '/' || c == ' ') AdvanceXMLCounter(column);
  }
  return at;
}

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) < 33; }

std::string Trim(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsTrimmed(text[first])) ++first;
  while (last > first && IsTrimmed(text[last - 1])) --last;
  return text.substr(first, last - first);
}

struct Escape {
  char plain;
  const char* escaped;
};
constexpr Escape kEscapes[] = {{'<', "&lt;"}, {'>', "&gt;"}, {'&', "&amp;"}};

// Only the three escapes the writer produces are decoded; any other "&" stays as it stands.
std::string DecodeText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    bool decoded = false;
    if (text[i] == '&') {
      for (const Escape& e : kEscapes) {
        if (text.compare(i, std::char_traits<char>::length(e.escaped), e.escaped) == 0) {
          out.push_back(e.plain);
          i += std::char_traits<char>::length(e.escaped);
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) out.push_back(text[i++]);
  }
  return out;
}

// Collects the output of one save, into a stream or a text, and remembers whether any write
// failed.
class StreamWriter {
 public:
  explicit StreamWriter(std::FILE* stream) : stream_(stream) {}
  explicit StreamWriter(std::string* text) : text_(text) {}
  void Put(const std::string& text) {
    if (text_ != nullptr) text_->append(text);
    else if (ok_ && !text.empty() && std::fwrite(text.data(), 1, text.size(), stream_) != text.size())
      ok_ = false;
  }
  bool ok() const { return ok_; }

 private:
  std::FILE* stream_ = nullptr;
  std::string* text_ = nullptr;
  bool ok_ = true;
};

std::string Indent(int depth) { return std::string(depth > 0 ? static_cast<size_t>(depth) * 2 : 0, ' '); }

void PutDocumentHead(const std::string& root, StreamWriter& out) {
  out.Put(std::string(xmltext::kDeclaration) + "\n");
  out.Put("<!DOCTYPE " + root + " SYSTEM \"" + root + ".dtd\">\n\n");
}

// Written with an explicit stack of open compounds: the depth of a tree is not bounded.
bool WriteTree(const TXMLItem* item, int depth, StreamWriter& out) {
  struct Open {
    const TXMLItem* compound;
    const TXMLItem* nextChild;
    int depth;
  };
  std::vector<Open> open;
  int level = depth;
  while (item != nullptr && out.ok()) {
    const TXMLItem* child = item->GetKind() == xmlItemCompound ? item->GetFirstChild() : nullptr;
    if (item->GetKind() == xmlItemAttribute) {
      out.Put(Indent(level) + "<" + item->GetElement() + ">" + EncodeXMLText(item->GetValue()) + "</" +
              item->GetElement() + ">\n");
    } else if (child == nullptr) {
      out.Put(Indent(level) + "<" + item->GetElement() + " />\n");
    } else {
      out.Put(Indent(level) + "<" + item->GetElement() + ">\n");
      open.push_back({item, child->GetNext(), level});
      item = child;
      ++level;
      continue;
    }
    item = nullptr;
    while (!open.empty() && item == nullptr) {
      Open& top = open.back();
      if (top.nextChild != nullptr) {
        item = top.nextChild;
        top.nextChild = item->GetNext();
        level = top.depth + 1;
      } else {
        out.Put(Indent(top.depth) + "</" + top.compound->GetElement() + ">\n");
        open.pop_back();
      }
    }
  }
  return out.ok();
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Tokens

TXMLToken::TXMLToken(TXMLText& text, int32_t& line, int32_t& column) {
  enum State { kStart, kText, kAfterLess, kBeginName, kAfterBeginName, kAfterEmptySlash,
               kAfterEndSlash, kEndName, kAfterEndName };
  int state = kStart;
  int c = EOF;
  bool stopped = false;
  auto stop = [&](uint8_t kind) {
    TokenKind = kind;
    stopped = true;
  };
  // The character read, then the run of those that `keep` lets through after it.
  auto takeRun = [&](bool (*keep)(unsigned char)) {
    AppendChar(text_, c);
    const char* run = RunEnd(text.at, text.end, keep, column);
    text_.append(text.at, run);
    text.at = run;
  };
  while (!stopped) {
    c = text.at < text.end ? static_cast<unsigned char>(*text.at++) : EOF;
    // The CR of a CRLF line end is dropped, as a text-mode read drops it: a text that crosses a
    // line then reads the same from a CRLF file as from an LF file. A lone CR is an ordinary
    // character, refused in a tag as any other.
    if (c == '\r' && text.at < text.end && *text.at == '\n') {
      c = static_cast<unsigned char>(*text.at++);
    }
    const int kind = CharKind(c, line, column);
    const bool nameChar = kind == kLetter || kind == kDigit;
    switch (state) {
      case kStart:
        if (kind == kWhite) {
          text.at = RunEnd(text.at, text.end, IsBlank, column);
          break;
        }
        if (nameChar || kind == kOther || kind == kSlash) {
          AppendChar(text_, c);
          state = kText;
        } else if (kind == kLess) {
          state = kAfterLess;
        } else {
          stop(kind == kEndOfFile ? xmlTokenEOF : xmlTokenError);
        }
        break;
      case kText:
        if (kind == kLess) {
          --text.at;
          stop(xmlTokenAttr);
        } else if (kind == kGreater || kind == kEndOfFile) {
          stop(xmlTokenError);
        } else {
          takeRun(IsPlainTextChar);
        }
        break;
      case kAfterLess:
        if (kind == kWhite) break;
        if (nameChar) {
          AppendChar(text_, c);
          state = kBeginName;
        } else if (kind == kSlash) {
          state = kAfterEndSlash;
        } else {
          stop(xmlTokenError);
        }
        break;
      case kBeginName:
        if (nameChar) {
          takeRun(IsNameChar);
        } else if (kind == kWhite) {
          state = kAfterBeginName;
        } else if (kind == kSlash) {
          state = kAfterEmptySlash;
        } else {
          stop(kind == kGreater ? xmlTokenBegin : xmlTokenError);
        }
        break;
      case kAfterBeginName:
        if (kind == kWhite) break;
        if (kind == kSlash) state = kAfterEmptySlash;
        else stop(kind == kGreater ? xmlTokenBegin : xmlTokenError);
        break;
      case kAfterEmptySlash:
        if (kind == kWhite) break;
        stop(kind == kGreater ? xmlTokenEmpty : xmlTokenError);
        break;
      case kAfterEndSlash:
        if (kind == kWhite) break;
        if (nameChar) {
          AppendChar(text_, c);
          state = kEndName;
        } else {
          stop(xmlTokenError);
        }
        break;
      case kEndName:
        if (nameChar) {
          takeRun(IsNameChar);
        } else if (kind == kWhite) {
          state = kAfterEndName;
        } else {
          stop(kind == kGreater ? xmlTokenEnd : xmlTokenError);
        }
        break;
      case kAfterEndName:
        if (kind == kWhite) break;
        stop(kind == kGreater ? xmlTokenEnd : xmlTokenError);
        break;
    }
  }
  // The column is left one back; the positions in reading errors have always been counted so.
  if (column > INT32_MIN) --column;
  line_ = line;
  column_ = column;
  if (TokenKind == xmlTokenAttr) {
    size_t first = 0;
    size_t last = text_.size();
    while (first < last && IsTrimmed(text_[first])) ++first;
    while (last > first && IsTrimmed(text_[last - 1])) --last;
    text_.erase(last);
    text_.erase(0, first);
    if (text_.find('&') != std::string::npos) text_ = DecodeText(text_);
  } else if (TokenKind == xmlTokenError) {
    std::string error = "unexpected ";
    if (c == EOF) {
      error += "end-of-file ";
    } else {
      error += '\'';
      error += static_cast<char>(c);
      error += '\'';
    }
    error += " found in line " + std::to_string(line) + ", column " + std::to_string(column) + ".";
    text_ = std::move(error);
  } else if (TokenKind == xmlTokenEOF) {
    text_.clear();
  }
}

TXMLToken::~TXMLToken() {
  // Unlinks one token at a time: a file may hold any number of tokens.
  std::unique_ptr<TXMLToken> rest = std::move(next_);
  while (rest) rest = std::move(rest->next_);
}

const std::string& TXMLToken::GetText() const {
  KV_ASSERT(TokenKind == xmlTokenAttr);
  return text_;
}

const std::string& TXMLToken::GetName() const {
  KV_ASSERT(TokenKind == xmlTokenBegin || TokenKind == xmlTokenEnd || TokenKind == xmlTokenEmpty);
  return text_;
}

const std::string& TXMLToken::GetError() const {
  KV_ASSERT(TokenKind == xmlTokenError);
  return text_;
}

void TXMLToken::SetNext(std::unique_ptr<TXMLToken> next) {
  std::unique_ptr<TXMLToken> old = std::move(next_);  // freed by its own loop, not recursively
  next_ = std::move(next);
}

std::unique_ptr<TXMLToken> ReadXMLTokens(const char* data, size_t size, int32_t& line, int32_t& column) {
  TXMLText text{data, data + size};
  auto first = std::make_unique<TXMLToken>(text, line, column);
  TXMLToken* last = first.get();
  while (last->GetTokenKind() != xmlTokenEOF && last->GetTokenKind() != xmlTokenError) {
    last->SetNext(std::make_unique<TXMLToken>(text, line, column));
    last = last->GetNext();
  }
  return first;
}

std::unique_ptr<TXMLToken> ReadXMLTokens(std::FILE* stream, int32_t& line, int32_t& column) {
  std::string rest;
  char block[65536];
  for (size_t got; (got = std::fread(block, 1, sizeof block, stream)) > 0;) rest.append(block, got);
  return ReadXMLTokens(rest.data(), rest.size(), line, column);
}

const TXMLToken* LastXMLToken(const TXMLToken* first) {
  KV_ASSERT(first != nullptr);
  while (first->GetNext() != nullptr) first = first->GetNext();
  return first;
}

// ---------------------------------------------------------------------------------------------
// Item tree

void DestroyXMLItems(std::unique_ptr<TXMLItem> first) {
  std::vector<std::unique_ptr<TXMLItem>> pending;
  if (first) pending.push_back(std::move(first));
  while (!pending.empty()) {
    std::unique_ptr<TXMLItem> item = std::move(pending.back());
    pending.pop_back();
    if (item->next_) pending.push_back(std::move(item->next_));
    if (item->kind_ == xmlItemCompound) {
      auto* compound = static_cast<TXMLCompound*>(item.get());
      compound->lastChild_ = nullptr;
      if (compound->firstChild_) pending.push_back(std::move(compound->firstChild_));
    }
    // item dies here with no sibling and no child left to free.
  }
}

TXMLItem::~TXMLItem() { DestroyXMLItems(std::move(next_)); }

bool TXMLItem::Write(std::FILE* stream, int depth) const {
  StreamWriter out(stream);
  return WriteTree(this, depth, out);
}

TXMLCompound::~TXMLCompound() {
  lastChild_ = nullptr;
  DestroyXMLItems(std::move(firstChild_));
}

void TXMLCompound::Add(std::unique_ptr<TXMLItem> item) {
  KV_ASSERT(item != nullptr);
  TXMLItem* added = item.get();
  DestroyXMLItems(std::move(item->next_));
  if (lastChild_ == nullptr) firstChild_ = std::move(item);
  else lastChild_->next_ = std::move(item);
  lastChild_ = added;
}

void TXMLCompound::RemoveChildrenAfter(TXMLItem* child) {
  if (child == nullptr) return;
  DestroyXMLItems(std::move(child->next_));
  lastChild_ = child;
}

void TXMLCompound::RemoveAllChildren() {
  lastChild_ = nullptr;
  DestroyXMLItems(std::move(firstChild_));
}

const std::string& TXMLCompound::GetValue() const {
  KV_ASSERT(false);  // a compound holds elements, not text
  return GetElement();
}

bool TXMLCompound::SaveToFile(const std::string& fileName, std::string& error) const {
  // A target that exists but may not be written is refused before anything is touched; the new
  // file is written beside it and only a complete one replaces it, or, where none may take its
  // place, the file itself once the room for the whole text is reserved.
  const std::string text = DocumentText();
  ReplacingFile file;
  if (!file.Create(fileName, false, static_cast<int64_t>(text.size()))) {
    error = file.NoRoom() ? xmltext::kCannotWrite : xmltext::kCannotOpenForWriting;
    return false;
  }
  if (!file.Write(text.data(), text.size()) || !file.Commit()) {
    error = xmltext::kCannotWrite;
    return false;
  }
  return true;
}

std::string TXMLCompound::DocumentText() const {
  std::string text;
  StreamWriter out(&text);
  PutDocumentHead(GetElement(), out);
  WriteTree(this, 0, out);
  return text;
}

TXMLItem* TXMLAttribute::GetFirstChild() const {
  KV_ASSERT(false);  // a leaf holds text, not elements
  return nullptr;
}

std::string EncodeXMLText(const std::string& value) {
  const std::string trimmed = Trim(value);
  std::string out;
  out.reserve(trimmed.size());
  for (char c : trimmed) {
    const char* escaped = nullptr;
    for (const Escape& e : kEscapes)
      if (c == e.plain) escaped = e.escaped;
    if (escaped != nullptr) out += escaped;
    else AppendChar(out, static_cast<unsigned char>(c));
  }
  return out;
}
