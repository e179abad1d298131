// Helpers for the XML tests: token lists from text or files, trees as text, a scratch directory.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "foundation/xmlalg.h"

// Tokenizes a stream from line 3 on, as the music loader does after the two header lines;
// `skipLines` lines are skipped first (2 for a saved file).
inline std::unique_ptr<TXMLToken> TokensOfStream(std::FILE* stream, int skipLines) {
  if (stream == nullptr) return nullptr;
  char buffer[99];
  for (int skipped = 0; skipped < skipLines; ++skipped)
    if (std::fgets(buffer, sizeof buffer, stream) == nullptr) break;
  int32_t line = 3, column = 1;
  std::unique_ptr<TXMLToken> first = ReadXMLTokens(stream, line, column);
  std::fclose(stream);
  return first;
}

inline std::unique_ptr<TXMLToken> TokensOf(const std::string& text) {
  std::FILE* stream = std::tmpfile();
  if (stream != nullptr) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::rewind(stream);
  }
  return TokensOfStream(stream, 0);
}

inline std::unique_ptr<TXMLToken> TokensOfFile(const std::string& path) {
  return TokensOfStream(std::fopen(path.c_str(), "r"), 2);
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

inline void WriteWholeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
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
