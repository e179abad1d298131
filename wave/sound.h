// The channel set: one or two channels with the rate and the sample width they have in a WAVE
// file. Documents, the clipboard, the undo record, the file reader and writer and the music
// renderer pass sounds around; the editing operations that make a new sound from an old one are
// members too and follow the channel access below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "wave/wave.h"

class Sound;
using SoundPtr = std::unique_ptr<Sound>;

// A channel obtained from a sound with its copied flag: it deletes the wave only when it was a
// copy, so a caller cannot free a channel that still belongs to the sound. The flag is taken by
// reference so that `ChannelHold hold(sound.GetMonoWave(abort, copied), copied)` reads it only
// after the call has set it, whatever the order in which the arguments are evaluated.
class ChannelHold {
 public:
  ChannelHold(Wave* wave, const bool& copied) : wave_(wave), copied_(copied) {}
  ~ChannelHold() {
    if (copied_) DeleteWave(wave_);
  }
  ChannelHold(const ChannelHold&) = delete;
  ChannelHold& operator=(const ChannelHold&) = delete;
  Wave* get() const { return wave_; }
  bool copied() const { return copied_; }

 private:
  Wave* wave_;
  bool copied_;
};

class Sound {
 public:
  uint16_t MoSt = 0;            // channel count, set by the derived constructors
  int32_t Freq = 0;             // samples per second
  uint16_t BytesPerSample = 0;  // width in a WAVE file, 1 or 2; in memory always 16 bits
  bool ProtectWave = false;     // channels borrowed: the destructor leaves them alone

  Sound(int32_t freq, uint16_t bytesPerSample);
  virtual ~Sound() = default;
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  // --- Channel access and construction --------------------------------------------------------
  // A channel returned with copied = false belongs to the sound; with copied = true the caller
  // deletes it (ChannelHold does). A null channel counts as 0 samples.

  virtual void Dump() const;
  virtual int32_t GetValues() const = 0;
  virtual double GetTime() const;  // seconds; 0 for a sound without a rate
  virtual void Protect();
  virtual Wave* GetMonoWave(bool& abort, bool& copied) const = 0;
  virtual Wave* GetLeftWave() const = 0;   // never a copy
  virtual Wave* GetRightWave() const = 0;  // never a copy
  virtual Wave* GetMonoWaveAt(bool& abort, int32_t rate, bool& copied) const = 0;
  virtual Wave* GetLeftWaveAt(bool& abort, int32_t rate, bool& copied) const;
  virtual Wave* GetRightWaveAt(bool& abort, int32_t rate, bool& copied) const;
  virtual Wave* GetMiddleWaveAt(bool& abort, int32_t rate, bool& copied) const;
  // A rate of 0 means the sound's own; the result is always the caller's.
  virtual WavePtr CopyMonoWave(bool& abort, int32_t rate) const;
  virtual WavePtr CopyWaveLeft(bool& abort, int32_t rate) const;
  virtual WavePtr CopyWaveRight(bool& abort, int32_t rate) const;
  // The value at relative position `position` (0 first sample, 1 last), mapped so that 32767
  // gives `atMax` and -32768 gives `atMin`.
  virtual double GetValueAt(bool& abort, double position, double atMax, double atMin) const = 0;
  // A new sound of the same kind resampled to `rate`, keeping its duration.
  virtual SoundPtr SetFreq(bool& abort, double rate) const = 0;

  // --- Editing operations -------------------------------------------------------------------


  // Writes samples [begin, end) as a WAVE file; `temporary` marks a throw-away file (play file).
  bool Save(bool& abort, const std::string& fileName, bool temporary, int32_t begin, int32_t end) const;

 protected:
  // `channel` as it is at the own rate, else resampled over its whole length (copied).
  Wave* ChannelAt(bool& abort, Wave* channel, int32_t rate, bool& copied) const;
  // The factor that takes a channel from the own rate to `rate`.
  double RateFactor(double rate) const;
  void DumpFields() const;
};

class MonoSound : public Sound {
 public:
  Wave* WaveMiddle = nullptr;

  MonoSound(int32_t freq, uint16_t bytesPerSample);
  // A mono copy of any sound: a stereo sound is mixed down to the average of its channels.
  MonoSound(bool& abort, const Sound& other);
  // Takes over `wave` (it may be null after an aborted operation).
  MonoSound(WavePtr wave, int32_t freq, uint16_t bytesPerSample);
  // A sound over a channel that stays its owner's (protected from the start).
  static std::unique_ptr<MonoSound> Borrow(Wave* wave, int32_t freq, uint16_t bytesPerSample);
  ~MonoSound() override;

  Wave* GetMiddle() const { return WaveMiddle; }

  void Dump() const override;
  int32_t GetValues() const override;
  Wave* GetMonoWave(bool& abort, bool& copied) const override;
  Wave* GetLeftWave() const override { return WaveMiddle; }
  Wave* GetRightWave() const override { return WaveMiddle; }
  Wave* GetMonoWaveAt(bool& abort, int32_t rate, bool& copied) const override;
  double GetValueAt(bool& abort, double position, double atMax, double atMin) const override;
  SoundPtr SetFreq(bool& abort, double rate) const override;
};

class StereoSound : public Sound {
 public:
  Wave* WaveLeft = nullptr;
  Wave* WaveRight = nullptr;

  StereoSound(int32_t freq, uint16_t bytesPerSample);
  // A stereo copy of any sound: a mono sound fills both channels with copies of its one.
  StereoSound(bool& abort, const Sound& other);
  // Takes over both channels, which must be of equal length unless one is null.
  StereoSound(WavePtr waveLeft, WavePtr waveRight, int32_t freq, uint16_t bytesPerSample);
  static std::unique_ptr<StereoSound> Borrow(Wave* waveLeft, Wave* waveRight, int32_t freq,
                                             uint16_t bytesPerSample);
  ~StereoSound() override;

  Wave* GetLeft() const { return WaveLeft; }
  Wave* GetRight() const { return WaveRight; }

  void Dump() const override;
  int32_t GetValues() const override;
  Wave* GetMonoWave(bool& abort, bool& copied) const override;
  Wave* GetLeftWave() const override { return WaveLeft; }
  Wave* GetRightWave() const override { return WaveRight; }
  Wave* GetMonoWaveAt(bool& abort, int32_t rate, bool& copied) const override;
  double GetValueAt(bool& abort, double position, double atMax, double atMin) const override;
  SoundPtr SetFreq(bool& abort, double rate) const override;
};

// Hands a whole sound to the main window's playback; the sound stays the caller's.
void PlaySoundOnMainForm(const Sound& sound);
