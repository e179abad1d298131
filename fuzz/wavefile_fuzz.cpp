// Feeds arbitrary bytes to the WAVE reader as a file. Besides the sanitizers' reports it traps a
// sound that claims more samples than the input could hold.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
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

std::string inputPath;

void RemoveInput() { ::unlink(inputPath.c_str()); }

void SetUpOnce() {
  static SilentSink sink;
  SetMessageSink(&sink);
  // Small enough that the out-of-memory road is taken too.
  SetSampleBudget(1 << 20);
  const char* folder = std::getenv("TMPDIR");
  inputPath = std::string(folder && *folder ? folder : "/tmp") + "/kvwavefuzzXXXXXX";
  const int fd = ::mkstemp(inputPath.data());
  if (fd < 0) std::abort();
  ::close(fd);
  std::atexit(RemoveInput);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (SetUpOnce(), true);
  static_cast<void>(ready);

  FILE* file = std::fopen(inputPath.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  if (std::fclose(file) != 0) std::abort();

  SoundPtr sound;
  std::string status;
  const bool ok = ReadWaveFile(inputPath, sound, status);
  if (ok != (sound != nullptr)) std::abort();
  if (ok) {
    const uint64_t sampleBytes =
        static_cast<uint64_t>(sound->GetValues()) * sound->MoSt * sound->BytesPerSample;
    if (sampleBytes + 44 > size || sound->Freq < 1) std::abort();
  }
  return 0;
}
