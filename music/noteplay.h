// Note players: a note group (one voice of a stave) holds a compound player, a chain of
// one-players that each turn a note into sound by sampling a wave document registered under a
// name, in one of five ways. Every kind keeps its settings, so switching back restores them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/smallobj.h"
#include "foundation/xmlalg.h"
#include "wave/sound.h"
#include "wave/unitwaveref.h"

class TCompoundPlayer;
class TNoteStave;
class TUnitMuz;

enum : uint8_t {
  notePlayerSimpleSampler = 0,
  notePlayerResonantSampler = 1,
  notePlayerRepeatWaveForm = 2,
  notePlayerRollOutSampler = 3,
  notePlayerRollOutWaveForm = 4,
  notePlayerNoKind = 255,  // no setter has run yet
};

namespace noteplaytext {
inline constexpr const char* kDefaultSampleWave = "sample";
// A sample wave without samples (or whose stretch is empty) cannot be repeated or resampled.
inline constexpr const char* kSampleWaveEmptyBefore = "Sample wave \"";
inline constexpr const char* kSampleWaveEmptyAfter = "\" is empty.";
}  // namespace noteplaytext

// A sampler's recorded pitch is held as its period, typed in hertz.
struct TSimpleSamplerProps {
  unitUnitWave SampleWave{noteplaytext::kDefaultSampleWave};
  unitTimePosMore BasicFreq{1.0 / 440, kUnitHertz};
};

struct TRollOutSamplerProps {
  unitUnitWave SampleWave{noteplaytext::kDefaultSampleWave};
  unitTimePosMore BasicFreq{1.0 / 440, kUnitHertz};
};

struct TRepeatWaveFormProps {
  unitUnitWave SampleWave{noteplaytext::kDefaultSampleWave};
};

struct TRollOutWaveFormProps {
  unitUnitWave SampleWave{noteplaytext::kDefaultSampleWave};
};

struct TResonantSamplerProps {
  unitUnitWave SampleWave{noteplaytext::kDefaultSampleWave};
  unitFactorPosMax1 ResFactor{0.05, kUnitPercent};
};

struct TOnePlayerProps {
  TOnePlayerProps(const unitVolumeFactor& volumeFactor, const unitFreq& freqUp)
      : FreqUp(freqUp), VolumeFactor(volumeFactor) {}

  unitFreq FreqUp;
  unitVolumeFactor VolumeFactor;
  TSimpleSamplerProps SimpleSampler;
  TRollOutSamplerProps RollOutSampler;
  TRepeatWaveFormProps RepeatWaveForm;
  TRollOutWaveFormProps RollOutWaveForm;
  TResonantSamplerProps ResonantSampler;
  uint8_t NotePlayerKind = notePlayerNoKind;

  // The element of the kind in force: its recorded pitch or resonance width, the sample wave,
  // the frequency shift unless it is 0, and the volume.
  std::unique_ptr<TXMLCompound> WriteXML() const;
};

class TOnePlayer {
 public:
  TOnePlayer(TCompoundPlayer* compoundPlayer, const unitVolumeFactor& volumeFactor, const unitFreq& freqUp);
  virtual ~TOnePlayer() = default;
  TOnePlayer(const TOnePlayer&) = delete;
  TOnePlayer& operator=(const TOnePlayer&) = delete;

  void SetNext(TOnePlayer* next) { Next = next; }
  TOnePlayer* GetNext() const { return Next; }
  TCompoundPlayer* GetCompoundPlayer() const { return CompoundPlayer; }

  const TOnePlayerProps& GetOnePlayerProps() const { return OnePlayerProps; }
  uint8_t GetNotePlayerKind() const { return OnePlayerProps.NotePlayerKind; }
  // The music dialog edits these two in place.
  unitFreq& FreqUp() { return OnePlayerProps.FreqUp; }
  unitVolumeFactor& VolumeFactor() { return OnePlayerProps.VolumeFactor; }

  // Each asks for the settings of the kind in force.
  TSimpleSamplerProps GetSimpleSampler() const;
  TResonantSamplerProps GetResonantSampler() const;
  TRepeatWaveFormProps GetRepeatWaveForm() const;
  TRollOutSamplerProps GetRollOutSampler() const;
  TRollOutWaveFormProps GetRollOutWaveForm() const;

  // Each puts its kind in force with these settings and leaves the other kinds' settings alone. A
  // recorded period that is not above 0, or a resonance width outside 0..1, is refused: nothing
  // changes.
  bool SetSimpleSampler(const TSimpleSamplerProps& props);
  bool SetResonantSampler(const TResonantSamplerProps& props);
  bool SetRepeatWaveForm(const TRepeatWaveFormProps& props);
  bool SetRollOutSampler(const TRollOutSamplerProps& props);
  bool SetRollOutWaveForm(const TRollOutWaveFormProps& props);

  std::unique_ptr<TXMLCompound> WriteXML() const { return OnePlayerProps.WriteXML(); }

  // --- Rendering a note ---------------------------------------------------------------------------
  // period: the note's period in seconds; length: its sounding length in whole notes; tempo:
  // seconds per whole note. ok and error report a sample wave that cannot be used (ok is only ever
  // cleared); a failed allocation raises abort. A null sound with ok still true makes no sound.

  // The period after the frequency shift; 0 when the shifted frequency is not above 0.
  double AdjustPeriod(double period) const;
  virtual SoundPtr GetSound(bool& abort, double period, double length, double tempo, double& volume, bool& ok,
                            std::string& error) const;
  // Seconds from the start of the sound to the note's onset.
  virtual double GetStartOffset(double period, double length, double tempo, bool& ok, std::string& error) const;
  // Seconds from the note's onset to the end of the sound.
  virtual double GetEndOffset(double period, double length, double tempo, bool& ok, std::string& error) const;

 private:
  template <typename Props>
  bool SetKind(uint8_t kind, Props TOnePlayerProps::*settings, const Props& props);

  TOnePlayer* Next = nullptr;
  TCompoundPlayer* CompoundPlayer;
  TOnePlayerProps OnePlayerProps;
};

class TCompoundPlayer {
 public:
  explicit TCompoundPlayer(TUnitMuz* unitMuz) : UnitMuz(unitMuz) {}
  // Also takes an empty chain: a load that failed half-way drops what it built.
  virtual ~TCompoundPlayer();
  TCompoundPlayer(const TCompoundPlayer&) = delete;
  TCompoundPlayer& operator=(const TCompoundPlayer&) = delete;

  // Links the player in after the given one of the chain; with none, or an empty chain, first.
  void InsertAfter(TOnePlayer* afterOnePlayer, std::unique_ptr<TOnePlayer> onePlayer);
  // Unlinks the player and hands it back; the chain never becomes empty.
  std::unique_ptr<TOnePlayer> Delete(TOnePlayer* deletePlayer);
  // The player before the given one of the chain, null for the first.
  TOnePlayer* GetPrevious(const TOnePlayer* onePlayer) const;

  TOnePlayer* GetStartOnePlayer() const { return StartOnePlayer; }
  TOnePlayer* GetCurOnePlayer() const { return CurOnePlayer; }
  void SetCurOnePlayer(TOnePlayer* onePlayer) { CurOnePlayer = onePlayer; }
  TUnitMuz* GetUnitMuz() const { return UnitMuz; }

  // One child per player, in chain order.
  std::unique_ptr<TXMLCompound> WriteXML() const;

  // --- Rendering a note: the chain's players mixed (same arguments as TOnePlayer) -----------------
  virtual SoundPtr GetSound(bool& abort, double period, double length, double tempo, double& volume, bool& ok,
                            std::string& error) const;
  // The largest offset of the chain's players, never below 0; 0 once a player fails.
  virtual double GetStartOffset(double period, double length, double tempo, bool& ok, std::string& error) const;
  virtual double GetEndOffset(double period, double length, double tempo, bool& ok, std::string& error) const;

 private:
  TOnePlayer* StartOnePlayer = nullptr;
  TOnePlayer* CurOnePlayer = nullptr;
  TUnitMuz* UnitMuz;
};

enum : uint8_t { noteShapeNormal = 0, noteShapeRectangle = 1 };

class TNoteGroup {
 public:
  TNoteGroup(TNoteStave* noteStave, std::unique_ptr<TCompoundPlayer> compoundPlayer, uint32_t noteColor,
             uint8_t noteShapeKind, uint8_t stickKind);
  TNoteGroup(const TNoteGroup&) = delete;
  TNoteGroup& operator=(const TNoteGroup&) = delete;

  void SetNext(TNoteGroup* next) { Next = next; }
  TNoteGroup* GetNext() const { return Next; }
  // 0 up, 1 down; any other value leaves the direction free.
  void SetStickKind(uint8_t stickKind) { StickKind = stickKind; }
  uint8_t GetStickKind() const { return StickKind; }
  uint32_t GetNoteColor() const { return NoteColor; }
  uint8_t GetNoteShapeKind() const { return NoteShapeKind; }
  TCompoundPlayer* GetCompoundPlayer() const { return CompoundPlayer.get(); }
  TNoteStave* GetNoteStave() const { return NoteStave; }

  // --- Edited from the music dialog -------------------------------------------------------------
  void SetNoteColor(uint32_t noteColor) { NoteColor = noteColor; }
  void SetNoteShapeKind(uint8_t noteShapeKind) { NoteShapeKind = noteShapeKind; }

  // The "NoteGroup" element: colour, shape, stick, the players and one note part per single part.
  std::unique_ptr<TXMLCompound> WriteXML() const;

 private:
  TNoteGroup* Next = nullptr;
  uint32_t NoteColor;
  std::unique_ptr<TCompoundPlayer> CompoundPlayer;
  uint8_t NoteShapeKind;
  uint8_t StickKind;
  TNoteStave* NoteStave;
};
