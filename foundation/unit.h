// The base of both document kinds and the small record in which a sound format travels.
#pragma once

#include <cstdint>
#include <string>

// A sound format: between the wave file reader, the properties dialog and the documents.
// The record itself does not validate; its users check what they rely on.
struct waveFileProps {
  waveFileProps(int16_t monoStereo, int32_t samplesPerSec, int16_t bytesPSample)
      : frequency(samplesPerSec), MonoStereo(monoStereo), BytesPSample(bytesPSample) {}

  int32_t frequency;     // samples per second
  int16_t MonoStereo;    // 1 mono, 2 stereo
  int16_t BytesPSample;  // bytes per sample in the file: 1 or 2
};

// Document kind codes, read by the windows to enable commands by the active document's kind.
inline constexpr uint8_t kUnitKindWave = 1;
inline constexpr uint8_t kUnitKindMuz = 2;

// Save states.
inline constexpr uint8_t kUnitStateNew = 0;       // never saved: saving asks for a file name
inline constexpr uint8_t kUnitStateSaved = 1;     // no changes since the last save or load
inline constexpr uint8_t kUnitStateModified = 2;

class TUnit {
 public:
  explicit TUnit(uint8_t kind) : Kind(kind) {}
  virtual ~TUnit() = default;
  TUnit(const TUnit&) = delete;
  TUnit& operator=(const TUnit&) = delete;

  virtual bool NeedsSave() const { return State != kUnitStateSaved; }
  // Saves to the current file name, even an empty one: the writer reports that.
  virtual bool Save(bool temporary) { return SaveToFile(FileName, temporary); }
  virtual bool SaveToFile(const std::string& fileName, bool temporary) = 0;
  virtual uint32_t GetSamplesPerSec() const = 0;
  virtual int16_t GetChannels() const = 0;
  virtual int16_t GetBytesPerSample() const = 0;
  virtual void SetFormat(const waveFileProps& oldProps, const waveFileProps& newProps) = 0;

  std::string GetName() const { return Name; }
  // The caller has checked that the name is free.
  void SetName(const std::string& name) { Name = name; }
  uint8_t GetKind() const { return Kind; }
  const std::string& GetFileName() const { return FileName; }
  uint8_t GetState() const { return State; }

  // A document that was never saved stays new, so the next save still asks for a file name.
  void SetModified() {
    if (State == kUnitStateSaved) State = kUnitStateModified;
  }
  void SetNew() { State = kUnitStateNew; }
  void SetSaved() { State = kUnitStateSaved; }
  // Marks the document saved before anything is written: the caller saves right after.
  void SetFileName(const std::string& fileName) {
    FileName = fileName;
    State = kUnitStateSaved;
  }
  bool IsNew() const { return State == kUnitStateNew; }

 private:
  std::string Name;  // registered name: how note players find a wave document
  uint8_t Kind;
  std::string FileName;
  uint8_t State = kUnitStateNew;
};
