#include "foundation/global.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "foundation/assertion.h"

namespace {

constexpr const char* kAssertUnit = "global";

// Each buffer carries its size in front so FreeSamples can keep the budget's account.
// 16 bytes keep the samples as aligned as malloc's own result.
constexpr size_t kHeaderBytes = 16;

int64_t sampleBudget = -1;
int64_t sampleBytesInUse = 0;

// Every wave operation makes a new buffer as long as the old one and frees the old. Left to its
// defaults, glibc maps each buffer of a few megabytes afresh and returns it on free, so every
// operation pays a page fault per 4 KiB before it computes anything. Keeping such buffers in the
// heap lets the next operation reuse the pages; only buffers beyond 32 MiB are still mapped.
void KeepSampleBuffersInTheHeap() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}

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
  auto* block = static_cast<unsigned char*>(std::malloc(kHeaderBytes + bytes));
  if (block == nullptr) {
    DebugLog("alloceren geheugen mislukt.\n");
    return nullptr;
  }
  std::memcpy(block, &bytes, sizeof bytes);
  sampleBytesInUse += static_cast<int64_t>(bytes);
  return reinterpret_cast<int16_t*>(block + kHeaderBytes);
}

void FreeSamples(int16_t* buffer) {
  if (buffer == nullptr) return;
  auto* block = reinterpret_cast<unsigned char*>(buffer) - kHeaderBytes;
  size_t bytes;
  std::memcpy(&bytes, block, sizeof bytes);
  sampleBytesInUse -= static_cast<int64_t>(bytes);
  std::free(block);
}

void SetSampleBudget(int64_t bytes) { sampleBudget = bytes; }
int64_t SampleBudget() { return sampleBudget; }
int64_t SampleBytesInUse() { return sampleBytesInUse; }

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
