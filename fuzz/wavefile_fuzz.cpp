// Feeds arbitrary bytes to the WAVE reader straight from memory. Besides the sanitizers' reports it
// traps a sound that claims more samples than the input could hold.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/global.h"
#include "foundation/messages.h"
#include "wave/wavefile.h"

namespace {

class SilentSink : public MessageSink {
 public:
  int ShowMessage(const std::string&, const std::string&, int) override { return kIdOk; }
};

void SetUpOnce() {
  static SilentSink sink;
  SetMessageSink(&sink);
  // Small enough that the out-of-memory road is taken too.
  SetSampleBudget(1 << 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (SetUpOnce(), true);
  static_cast<void>(ready);

  SoundPtr sound;
  std::string status;
  const bool ok = ReadWaveMemory(data, size, sound, status);
  if (ok != (sound != nullptr)) std::abort();
  if (ok) {
    const uint64_t sampleBytes =
        static_cast<uint64_t>(sound->GetValues()) * sound->MoSt * sound->BytesPerSample;
    if (sampleBytes + 44 > size || sound->Freq < 1) std::abort();
  }
  return 0;
}
