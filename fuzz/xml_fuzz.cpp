// Feeds arbitrary bytes through the XML tokenizer and a small grammar. Whatever matches is
// written out and read again, which must give the same tree.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "foundation/xmlalg.h"

namespace {
struct Grammar {
  TDTDGrammar g;
  const TDTDAttribute* value = g.Make<TDTDAttribute>("V");
  const TDTDAttribute* pitch = g.Make<TDTDAttribute>("P");
  const TDTDAttribute* text = g.Make<TDTDAttribute>("T");
  const TDTDCompound* tie = g.Make<TDTDCompound>("Tie", g.Make<TDTDEmpty>());
  const TDTDCompound* note =
      g.Make<TDTDCompound>("N", g.Make<TDTDConcat>(pitch, g.Make<TDTDOptional>(tie)));
  const TDTDItem* notes = g.Make<TDTDRepeatMin0>(g.Make<TDTDChoice>(note, text));
  const TDTDCompound* group = g.Make<TDTDCompound>("G", g.Make<TDTDRepeatMin1>(note));
  const TDTDCompound* doc = g.Make<TDTDCompound>(
      "D", g.Make<TDTDConcat>(
               g.Make<TDTDOptional>(value),
               g.Make<TDTDConcat>(notes, g.Make<TDTDRepeatMin1>(g.Make<TDTDOptional>(
                                             g.Make<TDTDChoice>(group, value))))));
};

std::unique_ptr<TXMLToken> Tokenize(std::FILE* stream) {
  int32_t line = 3;
  int32_t column = 1;
  return ReadXMLTokens(stream, line, column);
}

// Parses the bytes into a fresh root; null when they are not a document of the grammar.
std::unique_ptr<TXMLCompound> Parse(const Grammar& grammar, std::string bytes) {
  if (bytes.empty()) bytes = " ";  // a memory stream may not be empty
  std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "r");
  if (stream == nullptr) return nullptr;
  std::unique_ptr<TXMLToken> tokens = Tokenize(stream);
  std::fclose(stream);
  auto root = std::make_unique<TXMLCompound>("Root");
  std::string message;
  if (!MatchXMLDocument(*grammar.doc, root.get(), tokens.get(), message)) return nullptr;
  return root;
}

bool SameTree(const TXMLItem* a, const TXMLItem* b) {
  for (; a != nullptr && b != nullptr; a = a->GetNext(), b = b->GetNext()) {
    if (a->GetKind() != b->GetKind() || a->GetElement() != b->GetElement()) return false;
    if (a->GetKind() == xmlItemAttribute ? a->GetValue() != b->GetValue()
                                         : !SameTree(a->GetFirstChild(), b->GetFirstChild()))
      return false;
  }
  return a == b;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Grammar grammar;
  std::unique_ptr<TXMLCompound> first = Parse(grammar, std::string(reinterpret_cast<const char*>(data), size));
  if (first == nullptr) return 0;

  char* written = nullptr;
  size_t writtenSize = 0;
  std::FILE* out = open_memstream(&written, &writtenSize);
  if (out == nullptr) return 0;
  const bool ok = first->GetFirstChild()->Write(out, 0);
  std::fclose(out);
  std::string text(written, writtenSize);
  std::free(written);
  if (!ok) return 0;

  std::unique_ptr<TXMLCompound> second = Parse(grammar, text);
  if (second == nullptr || !SameTree(first->GetFirstChild(), second->GetFirstChild())) std::abort();
  return 0;
}
