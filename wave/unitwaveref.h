// A parameter value that names another open wave document by its registered name (an envelope,
// a sound to mix with, a note player's sample). Only the name is kept: the document is looked up
// again whenever it is used, so a closed document can never be reached through a stale pointer,
// and a reference survives closing and reopening under the same name.
#pragma once

#include <string>

class Sound;
class TUnitWave;
class WaveCombo;

class unitUnitWave {
 public:
  unitUnitWave() = default;
  // Blanks and control characters around the name are dropped.
  explicit unitUnitWave(const std::string& name);

  std::string GetName() const { return Name; }
  bool SetName(const std::string& name);

  // The open document registered under the name, or null.
  TUnitWave* GetUnitWave() const;
  // The current sound of the referenced document, or null when no open document has the name.
  // Defined with the wave document, which it needs to reach the sound.
  Sound* GetSound() const;
  // The same sound when it holds samples, else null: a document that is gone or empty has nothing
  // to read as an envelope, curve or form.
  const Sound* GetReadableSound() const;

  // Selects the entry that carries the name; otherwise the selection stays as it is.
  void ShowInCombo(WaveCombo& combo) const;
  // Part of a dialog's ok chain: does nothing once ok is false; with no entry chosen reports the
  // field, empties the reference and clears ok.
  void ReadFromCombo(bool& ok, const WaveCombo& combo, const std::string& fieldName);
  // Null when no open document has the name; the error text then grows by a message naming it.
  TUnitWave* FindUnitWave(std::string& error) const;

 private:
  std::string Name;
};
