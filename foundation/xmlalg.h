// The program's XML subset: a tokenizer for tags and text, the item tree that every XML file is
// held in, its writer, and the grammar objects that validate a token list into an item tree.
// Text is bytes (ISO-8859-1); no attributes, comments or declarations after the first two lines.
#pragma once

#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace xmltext {
inline constexpr const char* kCannotOpenForWriting =
    "Operating System cannot open file for writing, maybe the file is readonly.";
inline constexpr const char* kCannotWrite =
    "Operating System cannot write the file, maybe the disk is full.";
inline constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
}  // namespace xmltext

// ---------------------------------------------------------------------------------------------
// Tokens

enum TXMLTokenKind : uint8_t {
  xmlTokenAttr = 0,   // text between tags, trimmed
  xmlTokenBegin = 1,  // <name>
  xmlTokenEnd = 2,    // </name>
  xmlTokenEmpty = 3,  // <name/>
  xmlTokenEOF = 4,
  xmlTokenError = 5,
};

// The bytes of a file not yet read into tokens.
struct TXMLText {
  const char* at;
  const char* end;
};

// One token of a singly linked list; the head owns the rest of the list.
class TXMLToken {
 public:
  // Reads characters from the text until one token is complete. The counters belong to the
  // caller, who passes the same ones for every token of a file.
  TXMLToken(TXMLText& text, int32_t& line, int32_t& column);
  ~TXMLToken();
  TXMLToken(const TXMLToken&) = delete;
  TXMLToken& operator=(const TXMLToken&) = delete;

  uint8_t GetTokenKind() const { return TokenKind; }
  const std::string& GetText() const;
  const std::string& GetName() const;
  const std::string& GetError() const;
  int32_t GetLine() const { return line_; }
  int32_t GetColumn() const { return column_; }

  TXMLToken* GetNext() const { return next_.get(); }
  void SetNext(std::unique_ptr<TXMLToken> next);

 private:
  uint8_t TokenKind = xmlTokenError;
  // The text of a text token, the name of a tag or the message of an error token: a file holds
  // a great many tokens, each needing only one of them.
  std::string text_;
  int32_t line_ = 0;
  int32_t column_ = 0;
  std::unique_ptr<TXMLToken> next_;
};

// Moves a line or column counter of the tokenizer on by one. Counters saturate: a file with
// billions of characters on one line must not overflow them.
inline void AdvanceXMLCounter(int32_t& counter) {
  if (counter < INT32_MAX) ++counter;
}

// Reads tokens from the stream until an end-of-file or an error token, which ends the list.
// The counters are the caller's, set to the position of the first character to be read.
std::unique_ptr<TXMLToken> ReadXMLTokens(std::FILE* stream, int32_t& line, int32_t& column);
// The same from bytes in memory.
std::unique_ptr<TXMLToken> ReadXMLTokens(const char* data, size_t size, int32_t& line, int32_t& column);

// The last token of a list: an end-of-file token, or the error token that stopped reading.
const TXMLToken* LastXMLToken(const TXMLToken* first);

// ---------------------------------------------------------------------------------------------
// Item tree

enum TXMLItemKind : uint8_t { xmlItemCompound = 0, xmlItemAttribute = 1 };

class TXMLCompound;

class TXMLItem {
 public:
  virtual ~TXMLItem();
  TXMLItem(const TXMLItem&) = delete;
  TXMLItem& operator=(const TXMLItem&) = delete;

  const std::string& GetElement() const { return name_; }
  uint8_t GetKind() const { return kind_; }
  TXMLItem* GetNext() const { return next_.get(); }
  int32_t GetLine() const { return line_; }
  int32_t GetColumn() const { return column_; }
  void SetPosition(int32_t line, int32_t column) {
    line_ = line;
    column_ = column;
  }

  virtual const std::string& GetValue() const = 0;
  virtual TXMLItem* GetFirstChild() const = 0;
  // Writes the element at the given depth; false when a write failed.
  bool Write(std::FILE* stream, int depth) const;

 protected:
  TXMLItem(std::string name, uint8_t kind) : name_(std::move(name)), kind_(kind) {}

 private:
  friend class TXMLCompound;
  friend void DestroyXMLItems(std::unique_ptr<TXMLItem> first);

  std::unique_ptr<TXMLItem> next_;
  std::string name_;
  uint8_t kind_;
  int32_t line_ = 0;
  int32_t column_ = 0;
};

// Destroys an item, the siblings after it and all their descendants without recursion, so that
// long lists and deep nesting cannot exhaust the stack.
void DestroyXMLItems(std::unique_ptr<TXMLItem> first);

class TXMLCompound : public TXMLItem {
 public:
  explicit TXMLCompound(std::string name) : TXMLItem(std::move(name), xmlItemCompound) {}
  ~TXMLCompound() override;

  void Add(std::unique_ptr<TXMLItem> item);
  TXMLItem* GetFirstChild() const override { return firstChild_.get(); }
  TXMLItem* GetLastChild() const { return lastChild_; }
  // Destroys every child after the given one; null leaves the list as it is.
  void RemoveChildrenAfter(TXMLItem* child);
  void RemoveAllChildren();
  const std::string& GetValue() const override;

  // Writes the file: declaration, document type line, empty line, this element as the root.
  // The file is written beside the target and renamed over it only when everything was written,
  // so a failure keeps the previous file.
  bool SaveToFile(const std::string& fileName, std::string& error) const;
  // The text that SaveToFile writes.
  std::string DocumentText() const;

 private:
  friend void DestroyXMLItems(std::unique_ptr<TXMLItem> first);

  std::unique_ptr<TXMLItem> firstChild_;
  TXMLItem* lastChild_ = nullptr;
};

// A leaf element holding text (not an XML attribute).
class TXMLAttribute : public TXMLItem {
 public:
  TXMLAttribute(std::string name, std::string value)
      : TXMLItem(std::move(name), xmlItemAttribute), value_(std::move(value)) {}

  const std::string& GetValue() const override { return value_; }
  TXMLItem* GetFirstChild() const override;

 private:
  std::string value_;
};

// The text of a leaf as it stands in a file: the blanks that reading trims are dropped, inner
// tabs and line breaks become blanks, and "<", ">" and "&" are escaped.
std::string EncodeXMLText(const std::string& value);

// ---------------------------------------------------------------------------------------------
// Grammar

// Why a match failed, kept as its parts: a match drops many alternatives on its way, and only the
// failure of the whole match is ever put into words.
struct TXMLFailure {
  enum Kind : uint8_t {
    kBeginOfLeaf,    // "expect begin of element "X"."
    kBeginOfElement, // "expect begin of element "X","
    kEnd,            // "expect end of element "X","
    kText,           // "expect text,"
    kEndMismatch,    // an end tag of another element
    kNotEmpty,       // an empty tag of an element that must hold something
  };
  Kind kind = kBeginOfLeaf;
  const TXMLToken* found = nullptr;  // the token that stood where another was expected
  const TXMLToken* start = nullptr;  // the token at which the element's match began
  const std::string* element = nullptr;

  std::string Message() const;
};

class TDTDItem {
 public:
  virtual ~TDTDItem() = default;
  TDTDItem() = default;
  TDTDItem(const TDTDItem&) = delete;
  TDTDItem& operator=(const TDTDItem&) = delete;

  virtual bool IsNullable() const = 0;
  // true: matched, position moved past it, items appended to the parent. false with error
  // unset: does not start here, nothing consumed. false with error set: a committed failure
  // whose reason is in failure. The position is never null; an error token fails as the end of
  // the file does.
  virtual bool MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
                       bool& error) const = 0;
  // The same with the reason of a failure in words.
  bool Match(TXMLCompound* parent, const TXMLToken*& position, std::string& message, bool& error) const;
};

class TDTDElement : public TDTDItem {
 public:
  explicit TDTDElement(std::string name) : name_(std::move(name)) {}
  bool IsNullable() const override { return false; }
  const std::string& GetName() const { return name_; }
  // Expects this element's end tag at the position.
  bool ParseEnd(const TXMLToken*& position, TXMLFailure& failure, bool& error) const;

 protected:
  // A token found where another was expected, with the token at which the match began; error
  // tells whether an enclosing choice may try something else.
  void UnexpectedToken(const TXMLToken* token, TXMLFailure::Kind expected, const TXMLToken* start,
                       TXMLFailure& failure, bool& error) const;

 private:
  std::string name_;
};

class TDTDAttribute : public TDTDElement {
 public:
  explicit TDTDAttribute(std::string name) : TDTDElement(std::move(name)) {}
  bool MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
               bool& error) const override;
};

class TDTDExpression : public TDTDItem {};

class TDTDCompound : public TDTDElement {
 public:
  TDTDCompound(std::string name, const TDTDItem* content)
      : TDTDElement(std::move(name)), content_(content) {}
  bool MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
               bool& error) const override;

 private:
  const TDTDItem* content_;
};

class TDTDEmpty : public TDTDExpression {
 public:
  bool IsNullable() const override { return true; }
  bool MatchAt(TXMLCompound*, const TXMLToken*&, TXMLFailure&, bool&) const override { return true; }
};

class TDTDConcat : public TDTDExpression {
 public:
  TDTDConcat(const TDTDItem* first, const TDTDItem* second) : first_(first), second_(second) {}
  bool IsNullable() const override { return first_->IsNullable() && second_->IsNullable(); }
  bool MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
               bool& error) const override;

 private:
  const TDTDItem* first_;
  const TDTDItem* second_;
};

class TDTDChoice : public TDTDExpression {
 public:
  TDTDChoice(const TDTDItem* first, const TDTDItem* second) : first_(first), second_(second) {}
  bool IsNullable() const override { return first_->IsNullable() || second_->IsNullable(); }
  bool MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
               bool& error) const override;

 private:
  const TDTDItem* first_;
  const TDTDItem* second_;
};

class TDTDOptional : public TDTDExpression {
 public:
  explicit TDTDOptional(const TDTDItem* inner) : inner_(inner) {}
  bool IsNullable() const override { return true; }
  bool MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
               bool& error) const override;

 private:
  const TDTDItem* inner_;
};

class TDTDRepeatMin0 : public TDTDExpression {
 public:
  explicit TDTDRepeatMin0(const TDTDItem* inner) : inner_(inner) {}
  bool IsNullable() const override { return true; }
  bool MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
               bool& error) const override;

 private:
  const TDTDItem* inner_;
};

class TDTDRepeatMin1 : public TDTDExpression {
 public:
  explicit TDTDRepeatMin1(const TDTDItem* inner) : inner_(inner) {}
  bool IsNullable() const override { return inner_->IsNullable(); }
  bool MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
               bool& error) const override;

 private:
  const TDTDItem* inner_;
};

// Matches a whole token list against the top element. A list that ends in an error token fails
// with that token's message, whatever the match found.
bool MatchXMLDocument(const TDTDElement& top, TXMLCompound* parent, const TXMLToken* first,
                      std::string& message);

// Owns every object of one grammar. Content models share elements freely, so the objects refer
// to each other by borrowed pointers and are freed here, each once.
class TDTDGrammar {
 public:
  template <typename T, typename... Args>
  const T* Make(Args&&... args) {
    auto item = std::make_unique<T>(std::forward<Args>(args)...);
    const T* borrowed = item.get();
    items_.push_back(std::move(item));
    return borrowed;
  }

 private:
  std::vector<std::unique_ptr<TDTDItem>> items_;
};
