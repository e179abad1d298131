#include "foundation/global.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "foundation/assertion.h"

namespace {

constexpr const char* kAssertUnit = "global";

// Each buffer carries in front its size, so FreeSamples can keep the budget's account, and the
// length of its own mapping (0 for a buffer from malloc). 16 bytes keep the samples as aligned as
// malloc's own result.
constexpr size_t kHeaderBytes = 16;
struct BufferHeader {
  size_t bytes;
  size_t mappedBytes;
};
static_assert(sizeof(BufferHeader) <= kHeaderBytes);

int64_t sampleBudget = -1;
int64_t sampleBytesInUse = 0;

// Every wave operation makes a new buffer as long as the old one and frees the old. Left to its
// defaults, glibc maps each buffer of a few megabytes afresh and returns it on free, so every
// operation pays a page fault per 4 KiB before it computes anything. Keeping such buffers in the
// heap lets the next operation reuse the pages; larger ones get mappings of their own below.
constexpr size_t kLargeBufferBytes = 32 * 1024 * 1024;
void KeepSampleBuffersInTheHeap() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargeBufferBytes));
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}

// A channel of a long sound (10 minutes are 53 MB) is too large for the heap. Filling a fresh
// mapping costs about four times a copy into touched memory, nearly all of it page faults, so
// such buffers get mappings aligned to and backed by 2 MiB pages, and a few freed ones are kept
// for the next operation, which then writes into memory that is already there. The kept ones
// stay resident, so they never outweigh the buffers still in use (a small allowance aside):
// once the long sounds are gone, so is their memory. The sanitizers only watch malloc's
// buffers, so under them every buffer comes from malloc (KV_SAMPLE_MAPPINGS, global.h).

#if KV_SAMPLE_MAPPINGS
constexpr size_t kHugePageBytes = 2 * 1024 * 1024;
// Enough for both channels of a sound and of the result made from it.
constexpr size_t kKeptMappings = 4;
constexpr size_t kKeptBytesLimit = size_t{1} << 30;
// May be kept whatever is in use: the channels of a sound a few minutes long.
constexpr size_t kKeptBytesAllowance = size_t{64} << 20;

// How much may be kept while `inUse` bytes are held in sample buffers.
size_t KeptBytesBound(int64_t inUse) {
  const size_t held = inUse > 0 ? static_cast<size_t>(inUse) : 0;
  return std::min(kKeptBytesLimit, std::max(kKeptBytesAllowance, held));
}

struct KeptMapping {
  void* address = nullptr;
  size_t bytes = 0;
  uint64_t age = 0;  // when it was kept: the oldest goes first
};

class MappingCache {
 public:
  // A kept mapping of at least `bytes` and not much more (an effect that shortens the sound still
  // finds one), or null; `taken` says how long it is.
  void* Take(size_t bytes, size_t& taken) {
    const std::lock_guard<std::mutex> lock(mutex_);
    KeptMapping* best = nullptr;
    for (KeptMapping& kept : kept_) {
      if (kept.address != nullptr && kept.bytes >= bytes && kept.bytes - bytes <= bytes / 4 &&
          (best == nullptr || kept.bytes < best->bytes))
        best = &kept;
    }
    if (best == nullptr) return nullptr;
    void* address = best->address;
    taken = best->bytes;
    keptBytes_ -= best->bytes;
    *best = {};
    return address;
  }

  // Keeps the mapping within `bound` bytes in all, giving the oldest kept ones back to the system
  // to make room; one longer than the bound goes back itself.
  void Give(void* address, size_t bytes, size_t bound) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (bytes > bound) {
      ::munmap(address, bytes);
      FitLocked(bound, false);
      return;
    }
    FitLocked(bound - bytes, true);
    for (KeptMapping& kept : kept_) {
      if (kept.address != nullptr) continue;
      // The system may take the pages back when it runs short; until it does, they stay in place
      // and the next buffer writes into them without a fault.
      ::madvise(address, bytes, MADV_FREE);
      kept = {address, bytes, ++clock_};
      keptBytes_ += bytes;
      return;
    }
    ::munmap(address, bytes);  // not reached: fitting left a slot free
  }

  // Gives the oldest kept mappings back until at most `bound` bytes are kept.
  void Fit(size_t bound) {
    if (keptBytes_.load(std::memory_order_relaxed) <= bound) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    FitLocked(bound, false);
  }

  size_t Kept() const { return keptBytes_.load(std::memory_order_relaxed); }

 private:
  // Gives the oldest back until at most `bound` bytes are kept and, for `needSlot`, a slot is free.
  void FitLocked(size_t bound, bool needSlot) {
    for (;;) {
      KeptMapping* oldest = nullptr;
      size_t used = 0;
      for (KeptMapping& kept : kept_) {
        if (kept.address == nullptr) continue;
        ++used;
        if (oldest == nullptr || kept.age < oldest->age) oldest = &kept;
      }
      if (oldest == nullptr || (keptBytes_ <= bound && (!needSlot || used < kKeptMappings))) return;
      ::munmap(oldest->address, oldest->bytes);
      keptBytes_ -= oldest->bytes;
      *oldest = {};
    }
  }

  std::mutex mutex_;
  KeptMapping kept_[kKeptMappings];
  std::atomic<size_t> keptBytes_{0};
  uint64_t clock_ = 0;
};

MappingCache& Mappings() {
  // Never destroyed: buffers may still be freed by static destructors at exit.
  static MappingCache* cache = new MappingCache;
  return *cache;
}

// A mapping of `bytes` (a multiple of the huge page) that starts on a huge page boundary.
void* MapAligned(size_t bytes) {
  const size_t padded = bytes + kHugePageBytes;
  void* raw = ::mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (start + kHugePageBytes - 1) & ~(uintptr_t{kHugePageBytes} - 1);
  if (aligned > start) ::munmap(raw, aligned - start);
  const uintptr_t tail = start + padded - (aligned + bytes);
  if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + bytes), tail);
  auto* address = reinterpret_cast<void*>(aligned);
  ::madvise(address, bytes, MADV_HUGEPAGE);
  return address;
}

unsigned char* AllocLargeBlock(size_t blockBytes, size_t& mappedBytes) {
  mappedBytes = 0;
  if (blockBytes > std::numeric_limits<size_t>::max() / 2) return nullptr;
  mappedBytes = (blockBytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  if (void* kept = Mappings().Take(mappedBytes, mappedBytes)) return static_cast<unsigned char*>(kept);
  return static_cast<unsigned char*>(MapAligned(mappedBytes));
}

void FreeLargeBlock(unsigned char* block, size_t mappedBytes, int64_t inUse) {
  Mappings().Give(block, mappedBytes, KeptBytesBound(inUse));
}
void FitKeptBlocks(int64_t inUse) { Mappings().Fit(KeptBytesBound(inUse)); }
size_t KeptBlockBytes() { return Mappings().Kept(); }
#else
unsigned char* AllocLargeBlock(size_t, size_t& mappedBytes) {
  mappedBytes = 0;
  return nullptr;
}
void FreeLargeBlock(unsigned char*, size_t, int64_t) {}
void FitKeptBlocks(int64_t) {}
size_t KeptBlockBytes() { return 0; }
#endif

}  // namespace

int16_t* AllocSamples(int64_t count) {
  if (count <= 0 ||
      static_cast<uint64_t>(count) > (std::numeric_limits<size_t>::max() - kHeaderBytes) / sizeof(int16_t)) {
    DebugLog("alloceren geheugen mislukt.\n");
    return nullptr;
  }
  const size_t bytes = static_cast<size_t>(count) * sizeof(int16_t);
  if (sampleBudget >= 0 && static_cast<uint64_t>(sampleBytesInUse) + bytes > static_cast<uint64_t>(sampleBudget)) {
    DebugLog("alloceren geheugen mislukt.\n");
    return nullptr;
  }
  static const bool heapTuned = (KeepSampleBuffersInTheHeap(), true);
  static_cast<void>(heapTuned);
  BufferHeader header{bytes, 0};
  unsigned char* block = nullptr;
  if (kHeaderBytes + bytes >= kLargeBufferBytes) block = AllocLargeBlock(kHeaderBytes + bytes, header.mappedBytes);
  if (block == nullptr) {
    header.mappedBytes = 0;
    block = static_cast<unsigned char*>(std::malloc(kHeaderBytes + bytes));
  }
  if (block == nullptr) {
    DebugLog("alloceren geheugen mislukt.\n");
    return nullptr;
  }
  std::memcpy(block, &header, sizeof header);
  sampleBytesInUse += static_cast<int64_t>(bytes);
  return reinterpret_cast<int16_t*>(block + kHeaderBytes);
}

void FreeSamples(int16_t* buffer) {
  if (buffer == nullptr) return;
  auto* block = reinterpret_cast<unsigned char*>(buffer) - kHeaderBytes;
  BufferHeader header;
  std::memcpy(&header, block, sizeof header);
  sampleBytesInUse -= static_cast<int64_t>(header.bytes);
  if (header.mappedBytes != 0) {
    FreeLargeBlock(block, header.mappedBytes, sampleBytesInUse);
  } else {
    std::free(block);
    FitKeptBlocks(sampleBytesInUse);
  }
}

void SetSampleBudget(int64_t bytes) { sampleBudget = bytes; }
int64_t SampleBudget() { return sampleBudget; }
int64_t SampleBytesInUse() { return sampleBytesInUse; }
int64_t KeptSampleBytes() { return static_cast<int64_t>(KeptBlockBytes()); }

int32_t TruncToInt32(double x) {
  if (!(x > -2147483649.0 && x < 2147483648.0)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(x);
}

double MapLinear(double x, double a, double b, double c, double d) { return (x - a) / (b - a) * (d - c) + c; }

double Clamp(double x, double lo, double hi) {
  if (x < lo) return lo;
  if (x > hi) return hi;
  return x;
}

double WrapIntoRange(double x, double min, double max) {
  KV_ASSERT(max > min);
  const double period = max - min;
  if (x < min) x = x + TruncToInt32((min - x) / period + 1) * period;
  return x - TruncToInt32((x - min) / period) * period;
}

bool ClipRange(int32_t& first, int32_t& last, double begin1, double end1, double begin2, double end2) {
  if (end1 < begin2 || end2 < begin1) return false;
  first = TruncToInt32(std::max(begin1, begin2));
  last = TruncToInt32(std::min(end1, end2));
  return true;
}

double NiceGridStep(double x) {
  KV_ASSERT(x > 0 && std::isfinite(x));
  const double e = std::floor(std::log10(x));
  const double power = std::pow(10.0, e);
  const int32_t m = TruncToInt32(x / power);
  const double step = m < 3 ? 2 : m < 6 ? 5 : 10;
  return step * power;
}

double NextMultiple(double x, double step) { return (TruncToInt32(x / step) + 1.0) * step; }

void ToBinaryFraction(double x, int32_t& whole, int32_t& numerator, int32_t& denominator) {
  denominator = 1;
  while (denominator <= 64) {
    const double scaled = denominator * x;
    if (scaled == std::trunc(scaled)) break;
    denominator *= 2;
  }
  whole = TruncToInt32(x);
  numerator = TruncToInt32((x - whole) * denominator);
}

uint32_t BlendColor(uint32_t c1, uint32_t c2, double f) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double a = (c1 >> shift) & 0xFF;
    const double b = (c2 >> shift) & 0xFF;
    // A factor beyond 0..1 overshoots: the component stops at its darkest or brightest.
    const int32_t mixed = std::clamp(TruncToInt32(a * (1 - f) + b * f), 0, 255);
    result |= static_cast<uint32_t>(mixed) << shift;
  }
  return result;
}

void DebugLogInit() {}
void DebugLog(const char*) {}
void DebugLogString(const std::string&) {}
void DebugLogPointer(const void*) {}
void DebugLogDone() {}
