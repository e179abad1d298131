// A note as sound: the score hands its note to the note group's compound player with the period
// transposed, and plays single notes after edits.
#include <cmath>
#include <string>

#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/unitmuz.h"

double TNote::GetTransposedPeriod(int32_t transpose) const {
  return GetPeriod() * std::pow(0.5, transpose / 12.0);
}

SoundPtr TNote::MakeSound(double& volume, int32_t transpose, double tempo, bool& abort, bool& ok,
                          std::string& error) const {
  return GetCompoundPlayer()->GetSound(abort, GetTransposedPeriod(transpose), GetSoundLength(), tempo, volume, ok,
                                       error);
}

double TNote::GetStartOffset(int32_t transpose, double tempo, bool& ok, std::string& error) const {
  return GetCompoundPlayer()->GetStartOffset(GetTransposedPeriod(transpose), GetSoundLength(), tempo, ok, error);
}

double TNote::GetEndOffset(int32_t transpose, double tempo, bool& ok, std::string& error) const {
  return GetCompoundPlayer()->GetEndOffset(GetTransposedPeriod(transpose), GetSoundLength(), tempo, ok, error);
}

bool TNote::Play(double tempo) const {
  bool abort = false;
  bool ok = true;
  std::string error;
  double volume = 1.0;
  const SoundPtr sound = MakeSound(volume, 0, tempo, abort, ok, error);
  // A half-made sound (the allocation failed on the way) is no sound of the note.
  if (abort) return false;
  if (ok && sound != nullptr && sound->GetValues() > 0) PlaySoundOnMainForm(*sound);
  return ok;
}

bool TMuzNote::PlayPreview(double tempo) const {
  if (UnitMuz == nullptr || !UnitMuz->GetPlayAfterEdit()) return true;
  return Play(tempo);
}
