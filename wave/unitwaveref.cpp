#include "wave/unitwaveref.h"

#include "foundation/messages.h"
#include "wave/shell.h"
#include "wave/wavecombo.h"

namespace {

// Every byte below 33 counts as blank; bytes above 127 are characters.
bool IsBlank(char c) { return static_cast<unsigned char>(c) < 33; }

}  // namespace

unitUnitWave::unitUnitWave(const std::string& name) {
  size_t first = 0;
  size_t end = name.size();
  while (first < end && IsBlank(name[first])) ++first;
  while (end > first && IsBlank(name[end - 1])) --end;
  Name = name.substr(first, end - first);
}

bool unitUnitWave::SetName(const std::string& name) {
  Name = name;
  return true;
}

TUnitWave* unitUnitWave::GetUnitWave() const {
  // A document that was never registered has an empty name; an empty reference must not find it.
  return Name.empty() ? nullptr : Shell()->MainFindUnitWaveByName(Name);
}

void unitUnitWave::ShowInCombo(WaveCombo& combo) const {
  if (Name.empty()) return;
  for (int32_t i = 0; i < combo.GetCount(); ++i) {
    if (combo.GetText(i) == Name) {
      combo.SetItemIndex(i);
      return;
    }
  }
}

void unitUnitWave::ReadFromCombo(bool& ok, const WaveCombo& combo, const std::string& fieldName) {
  if (!ok) return;
  const int32_t index = combo.GetItemIndex();
  if (index < 0 || index >= combo.GetCount()) {
    MessageReporter::ShowFieldError(fieldName, msgtext::kSelectWave);
    Name.clear();
    ok = false;
    return;
  }
  Name = combo.GetText(index);
}

TUnitWave* unitUnitWave::FindUnitWave(std::string& error) const {
  TUnitWave* document = GetUnitWave();
  if (document == nullptr) error += msgtext::kCannotFindWindow + ("\"" + Name + "\".");
  return document;
}
