// Small shared helpers: checked sample buffers, numeric mappings and the trace sink.
#pragma once

#include <cstdint>
#include <string>

// Sample buffers. A failed allocation returns null; a count of 0 or less, or one whose byte size
// overflows, also returns null. Buffers must be returned with FreeSamples.
int16_t* AllocSamples(int64_t count);
void FreeSamples(int16_t* buffer);

// Linux rarely refuses memory, so the out-of-memory road is made reachable by a budget on the
// bytes held in sample buffers at once. A negative budget means no limit.
void SetSampleBudget(int64_t bytes);
int64_t SampleBudget();
int64_t SampleBytesInUse();
// Bytes of freed long buffers kept for the next ones: never more than those in use, or 64 MiB
// when less is in use, and at most 1 GiB.
int64_t KeptSampleBytes();
// Whether long buffers are mappings of their own, which are kept for reuse when freed; under the
// sanitizers every buffer comes from malloc, which they watch.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KV_SAMPLE_MAPPINGS 0
#endif
#endif
#if !defined(KV_SAMPLE_MAPPINGS) && defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#define KV_SAMPLE_MAPPINGS 1
#endif
#ifndef KV_SAMPLE_MAPPINGS
#define KV_SAMPLE_MAPPINGS 0
#endif

// Sets a budget for one scope and restores the previous one.
class ScopedSampleBudget {
 public:
  explicit ScopedSampleBudget(int64_t bytes) : previous_(SampleBudget()) { SetSampleBudget(bytes); }
  ~ScopedSampleBudget() { SetSampleBudget(previous_); }
  ScopedSampleBudget(const ScopedSampleBudget&) = delete;
  ScopedSampleBudget& operator=(const ScopedSampleBudget&) = delete;

 private:
  int64_t previous_;
};

// Truncates toward zero as the processor's conversion does: a NaN or a value outside the 32-bit
// range gives the "integer indefinite" INT32_MIN instead of undefined behaviour.
int32_t TruncToInt32(double x);

double MapLinear(double x, double a, double b, double c, double d);
double Clamp(double x, double lo, double hi);
double WrapIntoRange(double x, double min, double max);
bool ClipRange(int32_t& first, int32_t& last, double begin1, double end1, double begin2, double end2);
double NiceGridStep(double x);
double NextMultiple(double x, double step);
void ToBinaryFraction(double x, int32_t& whole, int32_t& numerator, int32_t& denominator);
uint32_t BlendColor(uint32_t c1, uint32_t c2, double f);

// The trace sink: callers report start, end and notable events; it writes nothing.
void DebugLogInit();
void DebugLog(const char* text);
void DebugLogString(const std::string& text);
void DebugLogPointer(const void* pointer);
void DebugLogDone();
