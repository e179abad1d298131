#include "wave/sound.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/shell.h"
#include "wave/wavefile.h"

namespace {
constexpr const char* kAssertUnit = "sound";

// One channel at relative position p, interpolated between its two neighbouring samples.
double ReadChannelAt(const Wave* channel, double p) {
  if (channel == nullptr || channel->values <= 0) return 0;
  if (!(p > 0)) p = 0;  // also catches NaN
  if (p > 1) p = 1;
  const int64_t last = channel->values - 1;
  const double position = static_cast<double>(last) * p;
  const int64_t i = static_cast<int64_t>(position);
  const double f = position - static_cast<double>(i);
  if (f == 0) return channel->wave[i];
  return (1 - f) * channel->wave[i] + f * channel->wave[i < last ? i + 1 : last];
}

double MapSampleValue(double v, double atMax, double atMin) { return MapLinear(v, -32768, 32767, atMin, atMax); }

// A channel for a sound of another rate: empty channels stay empty (a resample has nothing to
// read), the others keep their duration.
WavePtr ChannelForRate(bool& abort, const Wave* channel, double factor) {
  if (channel == nullptr) return nullptr;
  if (channel->values < 1) return CopyWaveChecked(abort, channel);
  return channel->Resample(abort, factor);
}

int32_t RateOf(double rate) {
  KV_ASSERT(rate >= 1 && rate < 2147483648.0);
  return static_cast<int32_t>(rate);
}

void DumpLine(const char* format, const void* pointer) {
  char line[80];
  std::snprintf(line, sizeof line, format, pointer);
  DebugLog(line);
}

void DumpLine(const char* format, int value) {
  char line[80];
  std::snprintf(line, sizeof line, format, value);
  DebugLog(line);
}

void DumpChannel(const char* format, const Wave* channel) {
  DumpLine(format, static_cast<const void*>(channel));
  if (channel) channel->Dump();
}

}  // namespace

// --- Sound ----------------------------------------------------------------------------------------

Sound::Sound(int32_t freq, uint16_t bytesPerSample) : Freq(freq), BytesPerSample(bytesPerSample) {}

void Sound::DumpFields() const {
  DumpLine("Sound.this = %p\n", static_cast<const void*>(this));
  DumpLine("Sound.MoSt = %d\n", MoSt);
  DumpLine("Sound.Freq = %d\n", static_cast<int>(Freq));
  DumpLine("Sound.ProtectWave = %d\n", ProtectWave ? 1 : 0);
}

void Sound::Dump() const { DumpFields(); }

double Sound::GetTime() const { return Freq != 0 ? static_cast<double>(GetValues()) / Freq : 0.0; }

void Sound::Protect() { ProtectWave = true; }

double Sound::RateFactor(double rate) const {
  // A sound without a rate has nothing to convert from: its channel is taken as it is.
  return Freq > 0 ? rate / Freq : 1.0;
}

Wave* Sound::ChannelAt(bool& abort, Wave* channel, int32_t rate, bool& copied) const {
  copied = false;
  if (channel == nullptr || rate == Freq) return channel;
  WavePtr converted = ChannelForRate(abort, channel, RateFactor(rate));
  copied = converted != nullptr;
  return converted.release();
}

Wave* Sound::GetLeftWaveAt(bool& abort, int32_t rate, bool& copied) const {
  return ChannelAt(abort, GetLeftWave(), rate, copied);
}

Wave* Sound::GetRightWaveAt(bool& abort, int32_t rate, bool& copied) const {
  return ChannelAt(abort, GetRightWave(), rate, copied);
}

Wave* Sound::GetMiddleWaveAt(bool& abort, int32_t rate, bool& copied) const {
  return GetMonoWaveAt(abort, rate, copied);
}

namespace {
// The common road of the three copying accessors: a channel the sound still owns is copied.
WavePtr OwnedResult(bool& abort, Wave* channel, bool copied) {
  if (channel == nullptr) return nullptr;
  if (copied) return WavePtr(channel);
  return CopyWaveChecked(abort, channel);
}
}  // namespace

WavePtr Sound::CopyMonoWave(bool& abort, int32_t rate) const {
  bool copied = false;
  Wave* channel = rate != 0 ? GetMonoWaveAt(abort, rate, copied) : GetMonoWave(abort, copied);
  return OwnedResult(abort, channel, copied);
}

WavePtr Sound::CopyWaveLeft(bool& abort, int32_t rate) const {
  bool copied = false;
  Wave* channel = rate != 0 ? GetLeftWaveAt(abort, rate, copied) : GetLeftWave();
  return OwnedResult(abort, channel, copied);
}

WavePtr Sound::CopyWaveRight(bool& abort, int32_t rate) const {
  bool copied = false;
  Wave* channel = rate != 0 ? GetRightWaveAt(abort, rate, copied) : GetRightWave();
  return OwnedResult(abort, channel, copied);
}

bool Sound::Save(bool& abort, const std::string& fileName, bool temporary, int32_t begin, int32_t end) const {
  return WriteWaveFile(abort, fileName, *this, begin, end, temporary);
}

// --- MonoSound ------------------------------------------------------------------------------------

MonoSound::MonoSound(int32_t freq, uint16_t bytesPerSample) : Sound(freq, bytesPerSample) {
  MoSt = 1;
  WaveMiddle = NewWave().release();
}

MonoSound::MonoSound(bool& abort, const Sound& other) : Sound(other.Freq, other.BytesPerSample) {
  MoSt = 1;
  WaveMiddle = (other.GetValues() != 0 ? other.CopyMonoWave(abort, 0) : NewWave()).release();
}

MonoSound::MonoSound(WavePtr wave, int32_t freq, uint16_t bytesPerSample) : Sound(freq, bytesPerSample) {
  MoSt = 1;
  WaveMiddle = wave.release();
}

std::unique_ptr<MonoSound> MonoSound::Borrow(Wave* wave, int32_t freq, uint16_t bytesPerSample) {
  auto sound = std::make_unique<MonoSound>(nullptr, freq, bytesPerSample);
  sound->Protect();
  sound->WaveMiddle = wave;
  return sound;
}

MonoSound::~MonoSound() {
  if (!ProtectWave) DeleteWave(WaveMiddle);
}

void MonoSound::Dump() const {
  DumpFields();
  DumpChannel("MonoSound.WaveMiddle = %p\n", WaveMiddle);
}

int32_t MonoSound::GetValues() const { return WaveMiddle ? WaveMiddle->values : 0; }

Wave* MonoSound::GetMonoWave(bool&, bool& copied) const {
  copied = false;
  return WaveMiddle;
}

Wave* MonoSound::GetMonoWaveAt(bool& abort, int32_t rate, bool& copied) const {
  return ChannelAt(abort, WaveMiddle, rate, copied);
}

double MonoSound::GetValueAt(bool& abort, double position, double atMax, double atMin) const {
  bool copy = false;
  const Wave* channel = GetMonoWave(abort, copy);
  KV_ASSERT(copy == false);
  return MapSampleValue(ReadChannelAt(channel, position), atMax, atMin);
}

SoundPtr MonoSound::SetFreq(bool& abort, double rate) const {
  const int32_t freq = RateOf(rate);
  WavePtr channel = ChannelForRate(abort, WaveMiddle, RateFactor(rate));
  return std::make_unique<MonoSound>(std::move(channel), freq, BytesPerSample);
}

// --- StereoSound ----------------------------------------------------------------------------------

StereoSound::StereoSound(int32_t freq, uint16_t bytesPerSample) : Sound(freq, bytesPerSample) {
  MoSt = 2;
  WavePtr left = NewWave();
  WavePtr right = NewWave();
  WaveLeft = left.release();
  WaveRight = right.release();
}

StereoSound::StereoSound(bool& abort, const Sound& other) : Sound(other.Freq, other.BytesPerSample) {
  MoSt = 2;
  WavePtr left = other.GetValues() != 0 ? other.CopyWaveLeft(abort, 0) : NewWave();
  WavePtr right = other.GetValues() != 0 ? other.CopyWaveRight(abort, 0) : NewWave();
  WaveLeft = left.release();
  WaveRight = right.release();
}

StereoSound::StereoSound(WavePtr waveLeft, WavePtr waveRight, int32_t freq, uint16_t bytesPerSample)
    : Sound(freq, bytesPerSample) {
  MoSt = 2;
  // A null channel comes from an aborted operation whose sound is discarded; it is not compared.
  if (waveLeft && waveRight && waveLeft->values != waveRight->values)
    AssertFailed("waveLeft->getValues() == waveRight->getValues()", kAssertUnit, __LINE__);
  WaveLeft = waveLeft.release();
  WaveRight = waveRight.release();
}

std::unique_ptr<StereoSound> StereoSound::Borrow(Wave* waveLeft, Wave* waveRight, int32_t freq,
                                                 uint16_t bytesPerSample) {
  if (waveLeft && waveRight && waveLeft->values != waveRight->values)
    AssertFailed("waveLeft->getValues() == waveRight->getValues()", kAssertUnit, __LINE__);
  auto sound = std::make_unique<StereoSound>(nullptr, nullptr, freq, bytesPerSample);
  sound->Protect();
  sound->WaveLeft = waveLeft;
  sound->WaveRight = waveRight;
  return sound;
}

StereoSound::~StereoSound() {
  if (ProtectWave) return;
  DeleteWave(WaveLeft);
  DeleteWave(WaveRight);
}

void StereoSound::Dump() const {
  DumpFields();
  DumpChannel("StereoSound.WaveLeft = %p\n", WaveLeft);
  DumpChannel("StereoSound.WaveRight = %p\n", WaveRight);
}

int32_t StereoSound::GetValues() const { return WaveLeft ? WaveLeft->values : 0; }

Wave* StereoSound::GetMonoWave(bool& abort, bool& copied) const {
  copied = false;
  if (WaveLeft == nullptr || WaveRight == nullptr) return nullptr;
  WavePtr average = WaveLeft->Average(abort, WaveRight);
  copied = average != nullptr;
  return average.release();
}

Wave* StereoSound::GetMonoWaveAt(bool& abort, int32_t rate, bool& copied) const {
  Wave* average = GetMonoWave(abort, copied);
  if (average == nullptr || rate == Freq) return average;
  const WavePtr unresampled(average);
  WavePtr result = ChannelForRate(abort, unresampled.get(), RateFactor(rate));
  copied = result != nullptr;
  return result.release();
}

double StereoSound::GetValueAt(bool&, double position, double atMax, double atMin) const {
  const double v = 0.5 * ReadChannelAt(GetLeftWave(), position) + 0.5 * ReadChannelAt(GetRightWave(), position);
  return MapSampleValue(v, atMax, atMin);
}

SoundPtr StereoSound::SetFreq(bool& abort, double rate) const {
  const int32_t freq = RateOf(rate);
  WavePtr left = ChannelForRate(abort, WaveLeft, RateFactor(rate));
  WavePtr right = ChannelForRate(abort, WaveRight, RateFactor(rate));
  return std::make_unique<StereoSound>(std::move(left), std::move(right), freq, BytesPerSample);
}

// --- Playing ----------------------------------------------------------------------------------------

void PlaySoundOnMainForm(const Sound& sound) { Shell()->MainPlayWholeSound(sound); }
