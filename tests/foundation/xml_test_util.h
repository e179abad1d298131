// Helpers for the XML tests: token lists from strings, a scratch directory, whole-file reading.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "foundation/xmlalg.h"

// Tokenizes text as the third line of a file onwards, as the music loader does.
inline std::unique_ptr<TXMLToken> TokensOf(const std::string& text) {
  std::FILE* stream = std::tmpfile();
  if (stream == nullptr) return nullptr;
  std::fwrite(text.data(), 1, text.size(), stream);
  std::rewind(stream);
  int32_t line = 3;
  int32_t column = 1;
  std::unique_ptr<TXMLToken> first = ReadXMLTokens(stream, line, column);
  std::fclose(stream);
  return first;
}

// Reads a saved file back: skips the declaration and the document type line, then tokenizes.
inline std::unique_ptr<TXMLToken> TokensOfFile(const std::string& path) {
  std::FILE* stream = std::fopen(path.c_str(), "r");
  if (stream == nullptr) return nullptr;
  char buffer[99];
  for (int skipped = 0; skipped < 2; ++skipped)
    if (std::fgets(buffer, sizeof buffer, stream) == nullptr) break;
  int32_t line = 3;
  int32_t column = 1;
  std::unique_ptr<TXMLToken> first = ReadXMLTokens(stream, line, column);
  std::fclose(stream);
  return first;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
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
