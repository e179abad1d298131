#include "wave/wave.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/messages.h"

namespace {
constexpr const char* kAssertUnit = "wave";

void ReportNoMemory(bool& abort) {
  MessageReporter::ShowNoMemory();
  abort = true;
}
}  // namespace

Wave* sinus = nullptr;

Wave::Wave(bool& abort, int64_t n) {
  if (n == 0) return;
  if (n < 0 || n > std::numeric_limits<int32_t>::max()) {
    ReportNoMemory(abort);
    return;
  }
  wave = AllocSamples(n);
  if (wave == nullptr) {
    ReportNoMemory(abort);
    return;
  }
  values = static_cast<int32_t>(n);
}

Wave::Wave(int16_t* buffer, int32_t n) : wave(n > 0 ? buffer : nullptr), values(n > 0 ? n : 0) {
  if (n <= 0) FreeSamples(buffer);
}

Wave::Wave(bool& abort, const Wave& other) : Wave(abort, other.values > 0 ? other.values : 0) {
  if (wave == nullptr) return;
  ForEachChunk(abort, 0, values, [&](int64_t first, int64_t last) {
    std::memcpy(wave + first, other.wave + first, static_cast<size_t>(last - first) * sizeof(int16_t));
  });
}

Wave::~Wave() {
  if (values > 0) FreeSamples(wave);
}

int32_t Wave::MaxValue(bool& abort, int32_t begin, int32_t end) const {
  KV_ASSERT(begin >= 0);
  KV_ASSERT(end >= 0);
  KV_ASSERT(begin <= values);
  KV_ASSERT(end <= values);
  KV_ASSERT(begin <= end);
  int32_t largest = 0;
  ForEachChunk(abort, begin, end, [&](int64_t first, int64_t last) {
    for (int64_t i = first; i < last; ++i) {
      const int32_t v = wave[i] < 0 ? -static_cast<int32_t>(wave[i]) : wave[i];
      if (v > largest) largest = v;
    }
  });
  return abort ? 0 : largest;
}

void Wave::CopyFrom(bool& abort, const Wave* from, int32_t begin, int32_t end, int32_t to) {
  if (from == nullptr) return;
  KV_ASSERT(end <= from->values);
  KV_ASSERT(begin >= 0);
  KV_ASSERT(end >= begin);
  KV_ASSERT(static_cast<int64_t>(to) + end - begin <= values);
  KV_ASSERT(to >= 0);
  ForEachChunk(abort, begin, end, [&](int64_t first, int64_t last) {
    std::memmove(wave + to + (first - begin), from->wave + first, static_cast<size_t>(last - first) * sizeof(int16_t));
  });
}

void Wave::Clear(bool& abort, int32_t begin, int32_t end) {
  KV_ASSERT(begin >= 0);
  KV_ASSERT(end >= begin);
  KV_ASSERT(end <= values);
  ForEachChunk(abort, begin, end, [&](int64_t first, int64_t last) {
    std::memset(wave + first, 0, static_cast<size_t>(last - first) * sizeof(int16_t));
  });
}

void Wave::AddFrom(bool& abort, const Wave* from, int32_t begin, int32_t end, int32_t to) {
  if (from == nullptr) return;
  KV_ASSERT(end <= from->values);
  KV_ASSERT(begin >= 0);
  KV_ASSERT(end >= begin);
  KV_ASSERT(static_cast<int64_t>(to) + end - begin <= values);
  KV_ASSERT(to >= 0);
  ForEachChunk(abort, begin, end, [&](int64_t first, int64_t last) {
    int16_t* target = wave + to + (first - begin);
    const int16_t* source = from->wave + first;
    for (int64_t i = 0; i < last - first; ++i) target[i] = WrapAdd(target[i], source[i]);
  });
}

void Wave::MakeSinusTable() {
  for (int32_t i = 0; i < values; ++i) wave[i] = ToSample(std::sin(2.0 * i * kPi / values) * 32767);
}

void Wave::Dump() const {
  char line[64];
  std::snprintf(line, sizeof line, "Wave.this = %p\n", static_cast<const void*>(this));
  DebugLog(line);
  std::snprintf(line, sizeof line, "Wave.values = %d\n", static_cast<int>(values));
  DebugLog(line);
  std::snprintf(line, sizeof line, "Wave.wave = %p\n", static_cast<const void*>(wave));
  DebugLog(line);
}

void Wave::CheckRange(int32_t begin, int32_t& end, bool nonEmpty) const {
  if (end == -1) end = values;
  KV_ASSERT(begin >= 0);
  KV_ASSERT(end >= 0);
  KV_ASSERT(begin <= values);
  KV_ASSERT(end <= values);
  if (nonEmpty) {
    KV_ASSERT(begin < end);
  } else {
    KV_ASSERT(begin <= end);
  }
}

WavePtr Wave::MakeResult(bool& abort, int32_t begin, int32_t end, int64_t produced) const {
  WavePtr result = NewWaveChecked(abort, static_cast<int64_t>(begin) + produced + (values - end));
  if (!result) return nullptr;
  result->CopyFrom(abort, this, 0, begin, 0);
  const int64_t after = static_cast<int64_t>(begin) + produced;
  if (after <= std::numeric_limits<int32_t>::max()) result->CopyFrom(abort, this, end, values, static_cast<int32_t>(after));
  if (abort) return nullptr;
  return result;
}

WavePtr Wave::Copy(bool& abort) const { return CopyWaveChecked(abort, this); }

WavePtr NewWave() { return std::make_unique<Wave>(); }

void DeleteWave(Wave* wave) { delete wave; }

WavePtr NewWaveChecked(bool& abort, int64_t n) {
  if (abort) return nullptr;
  WavePtr result(new (std::nothrow) Wave(abort, n));
  if (!result) {
    ReportNoMemory(abort);
    return nullptr;
  }
  if (abort) return nullptr;
  return result;
}

WavePtr CopyWaveChecked(bool& abort, const Wave* other) {
  if (abort || other == nullptr) return nullptr;
  WavePtr result(new (std::nothrow) Wave(abort, *other));
  if (!result) {
    ReportNoMemory(abort);
    return nullptr;
  }
  if (abort) return nullptr;
  return result;
}

void CreateSinusTable(bool& abort) {
  DeleteSinusTable();
  sinus = NewWaveChecked(abort, kSinusTableSize).release();
  if (abort) {
    MessageReporter::ShowNoSinus();
    return;
  }
  sinus->MakeSinusTable();
}

void DeleteSinusTable() {
  delete sinus;
  sinus = nullptr;
}

EnvelopeReader::EnvelopeReader(const Wave* envelope, int64_t blockLength) {
  if (envelope == nullptr || envelope->values <= 0) return;
  samples_ = envelope->wave;
  count_ = envelope->values;
  step_ = blockLength > 1 ? static_cast<long double>(count_ - 1) / (blockLength - 1) : 0;
}
