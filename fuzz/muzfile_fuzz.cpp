// Reads arbitrary bytes as a music file. Whatever loads is written, read again and written again,
// which must give the same text: a file the program accepts is one it can keep.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/xmlalg.h"
#include "music/unitmuz.h"

namespace {
std::string ScratchFile(const char* name) {
  static const std::string dir = [] {
    char pattern[] = "/tmp/kvmuzfuzzXXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    return std::string(made);
  }();
  return dir + "/" + name;
}

std::string ReadAll(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// The document's own file text, or empty when it could not be written.
std::string Written(const TUnitMuz& unit, const std::string& path) {
  std::string error;
  if (!unit.BuildXML()->SaveToFile(path, error)) return {};
  return ReadAll(path);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = ScratchFile("input.kvm");
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  TUnitMuz first(input);
  std::string error;
  if (!first.LoadFromFile(error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const std::string firstText = Written(first, ScratchFile("first.kvm"));
  if (firstText.empty()) return 0;

  TUnitMuz second(ScratchFile("first.kvm"));
  if (!second.LoadFromFile(error)) std::abort();
  if (Written(second, ScratchFile("second.kvm")) != firstText) std::abort();
  return 0;
}
