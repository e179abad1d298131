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
  // Times are seconds at this sound's rate, positions samples; an end of -1 is the end of the
  // sound. Selections passed by reference come back as the routine leaves them. Each operation
  // returns a new sound, or null when the abort flag was raised (the caller keeps its old sound);
  // the in-place ones change this sound's channels. Another sound stays the caller's: samples
  // mixed in are taken at this sound's rate, envelopes, curves and forms are read as they are.

  virtual SoundPtr Up(bool& abort, int16_t value, int32_t begin, int32_t end) const;
  virtual SoundPtr Block(bool& abort, double step, int32_t levels, int32_t begin, int32_t end) const;
  virtual SoundPtr Silence(bool& abort, double length, int32_t& begin, int32_t& end) const;
  // A sound of trunc(count) zero samples.
  virtual SoundPtr NewSilence(bool& abort, double count) const;
  virtual SoundPtr Line(bool& abort, int16_t a, int16_t b, double length, bool exponential, int32_t& begin,
                        int32_t& end) const;
  virtual SoundPtr BlockTriangle(bool& abort, int16_t level1, int16_t level2, double period, double middle,
                                 double length, double startPhase, bool triangle, int32_t& begin,
                                 int32_t& end) const;
  virtual SoundPtr BlockTriangleEnv(bool& abort, int16_t level1, int16_t level2, double period,
                                    const Sound* middle, double length, double startPhase, bool triangle,
                                    int32_t& begin, int32_t& end) const;
  virtual SoundPtr Sinus(bool& abort, int16_t maximum, int16_t minimum, double period, double periods,
                         double startAngle, int32_t& begin, int32_t& end) const;
  virtual SoundPtr Noise(bool& abort, int16_t amplitude, double length, int32_t& begin, int32_t& end) const;
  // n oscillators; each volume is multiplied by its factor every factor time.
  virtual SoundPtr MultiFreqSinus(bool& abort, double length, int32_t n, const double* startVolumes,
                                  const double* periods, const double* factorTimes,
                                  const double* volumeFactors, const double* startAngles, int32_t& begin,
                                  int32_t& end) const;
  virtual SoundPtr MultiFreq(bool& abort, double length, const Sound* form, int32_t n,
                             const double* startVolumes, const double* periods, const double* factorTimes,
                             const double* volumeFactors, const double* startAngles, int32_t& begin,
                             int32_t& end) const;
  virtual void LineSegment(bool& abort, int32_t begin, int16_t a, int32_t end, int16_t b);

  virtual SoundPtr ChangeLengthFactor(bool& abort, double factor, int32_t& begin, int32_t& end) const;
  // The whole sound at `factor` times its length; the rate stays, so the pitch changes too.
  virtual SoundPtr Resample(bool& abort, double factor) const;
  virtual SoundPtr RollOutSpeed(bool& abort, const Sound* speed, double lengthFactor, double speedFactor,
                                double startPos, int32_t& begin, int32_t& end) const;
  // The selection itself is the form repeated.
  virtual SoundPtr RollOutForm(bool& abort, double period, double periods, double startAngle, int32_t& begin,
                               int32_t& end) const;
  virtual SoundPtr RollIn(bool& abort, double length, int32_t target, int32_t& begin, int32_t& end) const;

  virtual SoundPtr Rotate(bool& abort, double shift, int32_t begin, int32_t end) const;
  virtual SoundPtr Volume(bool& abort, double factor, int32_t begin, int32_t end) const;
  virtual void Scale(bool& abort, double factor, int32_t begin, int32_t end);
  virtual SoundPtr VolumeEnv(bool& abort, const Sound* envelope, int32_t begin, int32_t end) const;
  // Scaled so that the selection's peak reaches full scale (Maximize) or 70 % of it.
  virtual SoundPtr Maximize(bool& abort, int32_t begin, int32_t end) const;
  virtual SoundPtr Maximize70(bool& abort, int32_t begin, int32_t end) const;
  virtual void Maximize70InPlace(bool& abort, int32_t begin, int32_t end);

  virtual SoundPtr MixAlignEnd(bool& abort, const Sound* other, int32_t position, int32_t point,
                               bool fromEnd) const;
  virtual SoundPtr MixAt(bool& abort, const Sound* other, int32_t position, int32_t point, bool fromEnd) const;
  virtual SoundPtr MixStretch(bool& abort, const Sound* other, int32_t begin, int32_t end) const;
  // In place; a start outside this sound adds nothing.
  virtual void AddAtTime(bool& abort, const Sound* other, double time, double factor);
  virtual void AddAt(bool& abort, const Sound* other, int32_t position, double factor);
  virtual void OverlayAt(bool& abort, const Sound* other, int32_t position);
  // In place; the other wraps round to the start, and so does a start beyond the end.
  virtual void MixCycleAfterThis(bool& abort, const Sound* other, int32_t position);

  virtual SoundPtr Delete(bool& abort, int32_t begin, int32_t end) const;
  // An empty sound of the same kind and format.
  virtual SoundPtr NewEmpty() const;
  virtual SoundPtr Trim(bool& abort, int32_t begin, int32_t end) const;
  // [0, begin), the whole other sound, [end, ...): paste over the selection.
  virtual SoundPtr Replace(bool& abort, const Sound* other, int32_t begin, int32_t end) const;
  virtual SoundPtr Reverse(bool& abort, int32_t begin, int32_t end) const;
  virtual SoundPtr Distort(bool& abort, const Sound* curve, int32_t begin, int32_t end) const;

  // `routine` is one of Wave::kPassFilters; an empty selection is left as it is.
  virtual SoundPtr Filter(bool& abort, Wave::PassFilter routine, double time, double factor, int32_t stages,
                          int32_t passes, int32_t begin, int32_t end) const;
  virtual SoundPtr FilterEnv(bool& abort, Wave::PassFilterEnv routine, const Sound* envelope, double factor,
                             int32_t stages, int32_t passes, int32_t begin, int32_t end) const;

  virtual SoundPtr PerEchoConst(bool& abort, double echoTime, double volume, int32_t count, int32_t& begin,
                                int32_t& end) const;
  virtual SoundPtr PerEchoConstEnv(bool& abort, double echoTime, const Sound* volumeEnv, int32_t count,
                                   int32_t& begin, int32_t& end) const;
  virtual SoundPtr PerEchoEnvConst(bool& abort, double largestTime, const Sound* timeEnv, double volume,
                                   int32_t count, int32_t& begin, int32_t& end) const;
  virtual SoundPtr PerEchoEnvEnv(bool& abort, double largestTime, const Sound* timeEnv, const Sound* volumeEnv,
                                 int32_t count, int32_t& begin, int32_t& end) const;

  virtual SoundPtr BlockFilter(bool& abort, double blockTime, int32_t& begin, int32_t& end) const;
  virtual SoundPtr BlockFilterEnv(bool& abort, const Sound* envelope, double blockTime, int32_t& begin,
                                  int32_t& end) const;

  // Quality 1 cross-fades two reading heads; any other value reads with one.
  virtual SoundPtr TempoPitchAll(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                                 double blockTime, uint8_t quality) const;
  virtual SoundPtr TempoPitch(bool& abort, double speed, double startPos, double lengthFactor, double pitch,
                              double blockTime, uint8_t quality, int32_t& begin, int32_t& end) const;
  virtual SoundPtr TempoPitchFreqEnv(bool& abort, double speed, double startPos, double lengthFactor,
                                     double pitch, const Sound* freqEnv, double blockTime, uint8_t quality,
                                     int32_t& begin, int32_t& end) const;
  virtual SoundPtr TempoPitchSpeedEnv(bool& abort, double speed, const Sound* speedEnv, double startPos,
                                      double lengthFactor, double pitch, double blockTime, uint8_t quality,
                                      int32_t& begin, int32_t& end) const;
  virtual SoundPtr TempoPitchFreqSpeedEnv(bool& abort, double speed, const Sound* speedEnv, double startPos,
                                          double lengthFactor, double pitch, const Sound* freqEnv,
                                          double blockTime, uint8_t quality, int32_t& begin,
                                          int32_t& end) const;

  // The four routines of one row of Wave::kResonatorFilters; the flags say which runs. An envelope
  // is only read when its flag is false; an empty selection is left as it is.
  virtual SoundPtr ResNotch(bool& abort, bool periodConstant, bool widthConstant, double period, double width,
                            const Sound* periodEnv, const Sound* widthEnv, Wave::ResonatorConst constant,
                            Wave::ResonatorFreqEnv periodEnvelope, Wave::ResonatorWidthEnv widthEnvelope,
                            Wave::ResonatorEnv bothEnvelopes, int32_t begin, int32_t end) const;

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

  // A stereo sound placed by `direction` (-1 left to 1 right) through time, volume and filter
  // differences between the ears.
  SoundPtr Balance(bool& abort, double direction, bool timeDiff, bool volumeDiff, bool filterDiff) const;
  SoundPtr BalanceEnv(bool& abort, const Sound* directionEnv, bool timeDiff, bool volumeDiff,
                      bool filterDiff) const;
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

  // left' = p1 left + p3 right, right' = p2 left + p4 right over the selection.
  SoundPtr MixLeftRight(bool& abort, double p1, double p2, double p3, double p4, int32_t begin,
                        int32_t end) const;
};

// Hands a whole sound to the main window's playback; the sound stays the caller's.
void PlaySoundOnMainForm(const Sound& sound);
