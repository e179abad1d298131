// Grammar objects that match a token list depth first with backtracking and build the item tree.
#include <string>

#include "foundation/assertion.h"
#include "foundation/xmlalg.h"

namespace {
constexpr const char* kAssertUnit = "xmlalg";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The position part of a message: the token at which an element's match began.
std::string At(const TXMLToken* token) {
  return " at line " + std::to_string(token->GetLine()) + ", column " +
         std::to_string(token->GetColumn()) + ".";
}

const TXMLToken* StartOf(const TXMLToken* position) {
  KV_ASSERT(position != nullptr);
  const uint8_t xmlTokenKind = position->GetTokenKind();
  KV_ASSERT(xmlTokenKind != xmlTokenError);
  return position;
}

bool IsTag(const TXMLToken* token, uint8_t kind, const std::string& name) {
  return token->GetTokenKind() == kind && token->GetName() == name;
}

// What a choice point restores when a branch fails before committing.
struct Mark {
  const TXMLToken* position;
  TXMLItem* lastChild;
};

Mark Remember(const TXMLCompound* parent, const TXMLToken* position) {
  return {position, parent->GetLastChild()};
}

void Restore(const Mark& mark, TXMLCompound* parent, const TXMLToken*& position) {
  position = mark.position;
  if (mark.lastChild == nullptr) parent->RemoveAllChildren();
  else parent->RemoveChildrenAfter(mark.lastChild);
}

// Further rounds of a repetition, as a loop: a file may hold any number of repeated elements.
// A round that consumes nothing ends it, since every later round would do the same.
bool MatchRounds(const TDTDItem* inner, TXMLCompound* parent, const TXMLToken*& position,
                 std::string& message, bool& error) {
  for (;;) {
    const Mark mark = Remember(parent, position);
    if (!inner->Match(parent, position, message, error)) {
      if (error) return false;
      Restore(mark, parent, position);
      return true;
    }
    if (position == mark.position) return true;
  }
}
}  // namespace

void TDTDElement::UnexpectedToken(const TXMLToken* token, const std::string& expectation,
                                  const TXMLToken* start, std::string& message, bool& error) const {
  switch (token->GetTokenKind()) {
    case xmlTokenAttr:
      message = "unexpected text " + Quoted(token->GetText()) + ", " + expectation + At(start);
      error = true;
      break;
    case xmlTokenBegin:
      message = "unexpected begin of element " + Quoted(token->GetName()) + ", " + expectation + At(start);
      error = false;
      break;
    case xmlTokenEnd:
      message = "unexpected end of element " + Quoted(token->GetName()) + ", " + expectation + At(start);
      error = false;
      break;
    case xmlTokenEmpty:
      message = "unexpected empty element " + Quoted(token->GetName()) + ", " + expectation + At(start);
      error = false;
      break;
    default:
      message = "unexpected end-of-file, " + expectation + At(start);
      error = true;
      break;
  }
}

bool TDTDElement::ParseEnd(const TXMLToken*& position, std::string& message, bool& error) const {
  const TXMLToken* start = StartOf(position);
  if (IsTag(start, xmlTokenEnd, name_)) {
    position = start->GetNext();
    return true;
  }
  if (start->GetTokenKind() == xmlTokenEnd) {
    message = "end of element " + Quoted(start->GetName()) + " does not match begin of element " +
              Quoted(name_) + "," + At(start);
  } else {
    UnexpectedToken(start, "expect end of element " + Quoted(name_) + ",", start, message, error);
  }
  error = true;
  return false;
}

bool TDTDAttribute::Match(TXMLCompound* parent, const TXMLToken*& position, std::string& message,
                          bool& error) const {
  const TXMLToken* start = StartOf(position);
  if (!IsTag(start, xmlTokenBegin, GetName())) {
    UnexpectedToken(start, "expect begin of element " + Quoted(GetName()) + ".", start, message,
                    error);
    return false;
  }
  const TXMLToken* value = start->GetNext();
  KV_ASSERT(value != nullptr);
  std::string text;
  if (value->GetTokenKind() == xmlTokenAttr) {
    text = value->GetText();
    value = value->GetNext();
  } else if (!IsTag(value, xmlTokenEnd, GetName())) {
    // An empty leaf is written with nothing between its tags and must read back; any other
    // token stands where the text belongs.
    UnexpectedToken(value, "expect text,", start, message, error);
    error = true;
    return false;
  }
  auto item = std::make_unique<TXMLAttribute>(GetName(), std::move(text));
  item->SetPosition(start->GetLine(), start->GetColumn());
  parent->Add(std::move(item));
  position = value;
  error = true;
  return ParseEnd(position, message, error);
}

bool TDTDCompound::Match(TXMLCompound* parent, const TXMLToken*& position, std::string& message,
                         bool& error) const {
  const TXMLToken* start = StartOf(position);
  if (IsTag(start, xmlTokenEmpty, GetName())) {
    if (!content_->IsNullable()) {
      message = "element " + Quoted(GetName()) + " should not be empty," + At(start);
      error = true;
      return false;
    }
    auto item = std::make_unique<TXMLCompound>(GetName());
    item->SetPosition(start->GetLine(), start->GetColumn());
    parent->Add(std::move(item));
    position = start->GetNext();
    error = true;
    return true;
  }
  if (!IsTag(start, xmlTokenBegin, GetName())) {
    UnexpectedToken(start, "expect begin of element " + Quoted(GetName()) + ",", start, message,
                    error);
    return false;
  }
  position = start->GetNext();
  auto item = std::make_unique<TXMLCompound>(GetName());
  item->SetPosition(start->GetLine(), start->GetColumn());
  if (!content_->Match(item.get(), position, message, error)) {
    error = true;  // the begin tag committed this element; the content's message stays
    return false;
  }
  parent->Add(std::move(item));
  return ParseEnd(position, message, error);
}

bool TDTDConcat::Match(TXMLCompound* parent, const TXMLToken*& position, std::string& message,
                       bool& error) const {
  if (!first_->Match(parent, position, message, error)) return false;
  return second_->Match(parent, position, message, error);
}

bool TDTDChoice::Match(TXMLCompound* parent, const TXMLToken*& position, std::string& message,
                       bool& error) const {
  const Mark mark = Remember(parent, position);
  if (first_->Match(parent, position, message, error)) return true;
  if (error) return false;
  Restore(mark, parent, position);
  return second_->Match(parent, position, message, error);
}

bool TDTDOptional::Match(TXMLCompound* parent, const TXMLToken*& position, std::string& message,
                         bool& error) const {
  const Mark mark = Remember(parent, position);
  if (inner_->Match(parent, position, message, error)) return true;
  if (error) return false;
  Restore(mark, parent, position);
  return true;
}

bool TDTDRepeatMin0::Match(TXMLCompound* parent, const TXMLToken*& position, std::string& message,
                           bool& error) const {
  return MatchRounds(inner_, parent, position, message, error);
}

bool TDTDRepeatMin1::Match(TXMLCompound* parent, const TXMLToken*& position, std::string& message,
                           bool& error) const {
  if (!inner_->Match(parent, position, message, error)) return false;
  return MatchRounds(inner_, parent, position, message, error);
}

bool MatchXMLDocument(const TDTDElement& top, TXMLCompound* parent, const TXMLToken* first,
                      std::string& message) {
  KV_ASSERT(parent != nullptr);
  const TXMLToken* last = LastXMLToken(first);
  if (last->GetTokenKind() == xmlTokenError) {
    message = last->GetError();
    return false;
  }
  // A list that does not end in end-of-file was not read by ReadXMLTokens.
  KV_ASSERT(last->GetTokenKind() == xmlTokenEOF);
  for (const TXMLToken* token = first; token != last; token = token->GetNext())
    KV_ASSERT(token->GetTokenKind() != xmlTokenError && token->GetTokenKind() != xmlTokenEOF);
  const TXMLToken* position = first;
  bool error = false;
  return top.Match(parent, position, message, error);
}
