// Reads arbitrary bytes as a music file, straight from memory. Whatever loads is written, read
// again and written again, which must give the same text: a file the program accepts is one it can
// keep. Nothing touches the disk.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "music/unitmuz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TUnitMuz first("input.kvm");
  std::string error;
  if (!first.LoadFromMemory(reinterpret_cast<const char*>(data), size, error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const std::string firstText = first.SaveToMemory();
  TUnitMuz second("first.kvm");
  if (!second.LoadFromMemory(firstText.data(), firstText.size(), error)) std::abort();
  if (second.SaveToMemory() != firstText) std::abort();
  return 0;
}
