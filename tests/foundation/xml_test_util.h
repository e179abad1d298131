// Helpers for the XML tests: token lists from text or files, trees as text, a scratch directory.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "foundation/xmlalg.h"

// Tokenizes text as the third line of a file onwards, as the music loader does after the
// declaration and the document type line.
inline std::unique_ptr<TXMLToken> TokensOf(const std::string& text) {
  std::FILE* stream = std::tmpfile();
  if (stream == nullptr) return nullptr;
  std::fwrite(text.data(), 1, text.size(), stream);
  std::rewind(stream);
  int32_t line = 3, column = 1;
  std::unique_ptr<TXMLToken> first = ReadXMLTokens(stream, line, column);
  std::fclose(stream);
  return first;
}

// The tree as text: leaves as name=value, compounds as name(children).
inline std::string Shape(const TXMLItem* item) {
  if (item->GetKind() == xmlItemAttribute) return item->GetElement() + "=" + item->GetValue();
  std::string out = item->GetElement() + "(";
  for (const TXMLItem* c = item->GetFirstChild(); c != nullptr; c = c->GetNext())
    out += Shape(c) + (c->GetNext() != nullptr ? "," : "");
  return out + ")";
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kvxmlXXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};
