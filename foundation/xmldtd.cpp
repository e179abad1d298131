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

// An error token, which can only end a list, fails whatever is expected of it as the end of the
// file does; the document's match then reports the token's own error.
const TXMLToken* StartOf(const TXMLToken* position) {
  KV_ASSERT(position != nullptr);
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
                 TXMLFailure& failure, bool& error) {
  for (;;) {
    const Mark mark = Remember(parent, position);
    if (!inner->MatchAt(parent, position, failure, error)) {
      if (error) return false;
      Restore(mark, parent, position);
      return true;
    }
    if (position == mark.position) return true;
  }
}
}  // namespace

std::string TXMLFailure::Message() const {
  if (kind == kNotEmpty) return "element " + Quoted(*element) + " should not be empty," + At(start);
  if (kind == kEndMismatch)
    return "end of element " + Quoted(found->GetName()) + " does not match begin of element " + Quoted(*element) +
           "," + At(start);
  std::string expectation;
  switch (kind) {
    case kBeginOfLeaf:
      expectation = "expect begin of element " + Quoted(*element) + ".";
      break;
    case kBeginOfElement:
      expectation = "expect begin of element " + Quoted(*element) + ",";
      break;
    case kEnd:
      expectation = "expect end of element " + Quoted(*element) + ",";
      break;
    default:
      expectation = "expect text,";
      break;
  }
  switch (found->GetTokenKind()) {
    case xmlTokenAttr:
      return "unexpected text " + Quoted(found->GetText()) + ", " + expectation + At(start);
    case xmlTokenBegin:
      return "unexpected begin of element " + Quoted(found->GetName()) + ", " + expectation + At(start);
    case xmlTokenEnd:
      return "unexpected end of element " + Quoted(found->GetName()) + ", " + expectation + At(start);
    case xmlTokenEmpty:
      return "unexpected empty element " + Quoted(found->GetName()) + ", " + expectation + At(start);
    default:
      return "unexpected end-of-file, " + expectation + At(start);
  }
}

bool TDTDItem::Match(TXMLCompound* parent, const TXMLToken*& position, std::string& message, bool& error) const {
  TXMLFailure failure;
  if (MatchAt(parent, position, failure, error)) return true;
  message = failure.Message();
  return false;
}

void TDTDElement::UnexpectedToken(const TXMLToken* token, TXMLFailure::Kind expected, const TXMLToken* start,
                                  TXMLFailure& failure, bool& error) const {
  failure = {expected, token, start, &name_};
  // Text or the end of the file where an element belongs cannot be the start of anything else.
  const uint8_t kind = token->GetTokenKind();
  error = kind != xmlTokenBegin && kind != xmlTokenEnd && kind != xmlTokenEmpty;
}

bool TDTDElement::ParseEnd(const TXMLToken*& position, TXMLFailure& failure, bool& error) const {
  const TXMLToken* start = StartOf(position);
  if (IsTag(start, xmlTokenEnd, name_)) {
    position = start->GetNext();
    return true;
  }
  if (start->GetTokenKind() == xmlTokenEnd)
    failure = {TXMLFailure::kEndMismatch, start, start, &name_};
  else
    UnexpectedToken(start, TXMLFailure::kEnd, start, failure, error);
  error = true;
  return false;
}

bool TDTDAttribute::MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
                            bool& error) const {
  const TXMLToken* start = StartOf(position);
  if (!IsTag(start, xmlTokenBegin, GetName())) {
    UnexpectedToken(start, TXMLFailure::kBeginOfLeaf, start, failure, error);
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
    UnexpectedToken(value, TXMLFailure::kText, start, failure, error);
    error = true;
    return false;
  }
  auto item = std::make_unique<TXMLAttribute>(GetName(), std::move(text));
  item->SetPosition(start->GetLine(), start->GetColumn());
  parent->Add(std::move(item));
  position = value;
  error = true;
  return ParseEnd(position, failure, error);
}

bool TDTDCompound::MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
                           bool& error) const {
  const TXMLToken* start = StartOf(position);
  if (IsTag(start, xmlTokenEmpty, GetName())) {
    if (!content_->IsNullable()) {
      failure = {TXMLFailure::kNotEmpty, start, start, &GetName()};
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
    UnexpectedToken(start, TXMLFailure::kBeginOfElement, start, failure, error);
    return false;
  }
  position = start->GetNext();
  auto item = std::make_unique<TXMLCompound>(GetName());
  item->SetPosition(start->GetLine(), start->GetColumn());
  if (!content_->MatchAt(item.get(), position, failure, error)) {
    error = true;  // the begin tag committed this element; the content's failure stays
    return false;
  }
  parent->Add(std::move(item));
  return ParseEnd(position, failure, error);
}

bool TDTDConcat::MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
                         bool& error) const {
  if (!first_->MatchAt(parent, position, failure, error)) return false;
  return second_->MatchAt(parent, position, failure, error);
}

bool TDTDChoice::MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
                         bool& error) const {
  const Mark mark = Remember(parent, position);
  if (first_->MatchAt(parent, position, failure, error)) return true;
  if (error) return false;
  Restore(mark, parent, position);
  return second_->MatchAt(parent, position, failure, error);
}

bool TDTDOptional::MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
                           bool& error) const {
  const Mark mark = Remember(parent, position);
  if (inner_->MatchAt(parent, position, failure, error)) return true;
  if (error) return false;
  Restore(mark, parent, position);
  return true;
}

bool TDTDRepeatMin0::MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
                             bool& error) const {
  return MatchRounds(inner_, parent, position, failure, error);
}

bool TDTDRepeatMin1::MatchAt(TXMLCompound* parent, const TXMLToken*& position, TXMLFailure& failure,
                             bool& error) const {
  if (!inner_->MatchAt(parent, position, failure, error)) return false;
  return MatchRounds(inner_, parent, position, failure, error);
}

bool MatchXMLDocument(const TDTDElement& top, TXMLCompound* parent, const TXMLToken* first,
                      std::string& message) {
  KV_ASSERT(parent != nullptr);
  KV_ASSERT(first != nullptr);
  const TXMLToken* position = first;
  bool error = false;
  TXMLFailure failure;
  const bool matched = top.MatchAt(parent, position, failure, error);
  // An error token ends the list and fails the document whatever the match found; the match
  // stops at or before it, so the walk to it starts where the match stopped, in a document that
  // matched only the end-of-file token away.
  const TXMLToken* last = position;
  while (last->GetNext() != nullptr) last = last->GetNext();
  if (last->GetTokenKind() == xmlTokenError) {
    message = last->GetError();
    return false;
  }
  // A list that does not end in end-of-file was not read by ReadXMLTokens.
  KV_ASSERT(last->GetTokenKind() == xmlTokenEOF);
  if (!matched) message = failure.Message();
  return matched;
}
