#include "wave/unitwave.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/writers.h"
#include "wave/shell.h"
#include "wave/undo.h"
#include "wave/waveview.h"

namespace {
constexpr const char* kAssertUnit = "unitwave";

// The texts of the status-bar panels by save state.
constexpr const char* kStateTexts[] = {"New", "", "Changed"};
constexpr const char* kUnknownStateText = "???";

SoundPtr NewEmptySound(int16_t monoStereo, int32_t freq, uint16_t bytesPerSample) {
  if (monoStereo == 1) return std::make_unique<MonoSound>(freq, bytesPerSample);
  return std::make_unique<StereoSound>(freq, bytesPerSample);
}

// The size of a sound in its file format, as the status bar shows it.
std::string SizeText(double bytes) {
  struct Step {
    double below;
    int32_t digits;
  };
  static constexpr Step kSteps[] = {{10, 2}, {100, 1}, {1024, 0}};
  if (bytes < 1024) return FormatDigits(bytes, 1, 0, 0) + " b";
  const char* const units[] = {" kb", " Mb"};
  double scaled = bytes;
  for (const char* unitText : units) {
    scaled /= 1024;
    for (const Step& step : kSteps) {
      if (scaled < step.below) return FormatDigits(scaled, 1, step.digits, step.digits) + unitText;
    }
  }
  return FormatDigits(scaled / 1024, 1, 2, 2) + " Gb";
}

// The "same length as" kinds of the records read another document's duration.
double DocumentSoundTime(const unitUnitWave& wave) {
  const Sound* sound = wave.GetSound();
  return sound != nullptr ? sound->GetTime() : 0.0;
}

// Installed with the document code itself, so every program that has documents has the lookup.
[[maybe_unused]] const bool kSoundTimeLookupInstalled = (SetSoundTimeLookup(DocumentSoundTime), true);

}  // namespace

Sound* unitUnitWave::GetSound() const {
  const TUnitWave* document = GetUnitWave();
  return document != nullptr ? document->GetSound() : nullptr;
}

const Sound* unitUnitWave::GetReadableSound() const {
  const Sound* sound = GetSound();
  return sound != nullptr && sound->GetValues() > 0 ? sound : nullptr;
}

// --- Construction -------------------------------------------------------------------------------

// The parameter bears the record's name so that the assertions name it as the callers know it.
TUnitWave::TUnitWave(const std::string& fileName, const ::waveFileProps& waveFileProps) : TUnit(kUnitKindWave) {
  KV_ASSERT(waveFileProps.MonoStereo == 1 || waveFileProps.MonoStereo == 2);
  KV_ASSERT(waveFileProps.BytesPSample == 1 || waveFileProps.BytesPSample == 2);
  SetFileName(fileName);
  SetNew();
  TheSound = NewEmptySound(waveFileProps.MonoStereo, waveFileProps.frequency,
                           static_cast<uint16_t>(waveFileProps.BytesPSample))
                 .release();
  InitFields();
}

TUnitWave::TUnitWave(const std::string& fileName, SoundPtr sound) : TUnit(kUnitKindWave) {
  KV_ASSERT(sound != nullptr);
  SetFileName(fileName);  // saved
  TheSound = sound.release();
  InitFields();
}

void TUnitWave::InitFields() {
  SoundNotOwned = false;
  View = nullptr;
  SelCursor = SelAnchor = 0;
  Abort = false;
}

TUnitWave::~TUnitWave() {
  // The undo record may point at this document and share its sound: it goes first.
  Shell()->DeleteUndoOf(this);
  Shell()->UnitWaveClosing(this);
  if (!SoundNotOwned) delete TheSound;
}

// --- TUnit --------------------------------------------------------------------------------------

bool TUnitWave::NeedsSave() const { return GetValues() != 0 && TUnit::NeedsSave(); }

bool TUnitWave::SaveToFile(const std::string& fileName, bool temporary) {
  BeginOperation();
  return TheSound->Save(Abort, fileName, temporary, 0, GetValues());
}

uint32_t TUnitWave::GetSamplesPerSec() const {
  return TheSound->Freq > 0 ? static_cast<uint32_t>(TheSound->Freq) : 0;
}

int16_t TUnitWave::GetChannels() const { return static_cast<int16_t>(TheSound->MoSt); }

int16_t TUnitWave::GetBytesPerSample() const {
  KV_ASSERT(TheSound != NULL);
  return static_cast<int16_t>(TheSound->BytesPerSample);
}

void TUnitWave::SetFormat(const waveFileProps& oldProps, const waveFileProps& newProps) {
  BeginOperation();
  // The formats come from a dialog and a file: a format the document cannot take changes nothing.
  const auto valid = [](const waveFileProps& p) {
    return (p.MonoStereo == 1 || p.MonoStereo == 2) && (p.BytesPSample == 1 || p.BytesPSample == 2) &&
           p.frequency > 0;
  };
  if (!valid(oldProps) || !valid(newProps)) return;

  // Every step works on a new sound, so the sound the undo record keeps stays as it was.
  SoundPtr inHand;
  const auto current = [&]() -> const Sound& { return inHand ? *inHand : *TheSound; };
  bool resampled = false;
  if (oldProps.MonoStereo > newProps.MonoStereo) {
    inHand = std::make_unique<MonoSound>(Abort, *TheSound);
    resampled = true;
  }
  if (oldProps.BytesPSample != newProps.BytesPSample) {
    if (!inHand) inHand = CopySound(Abort, *TheSound);
    inHand->BytesPerSample = oldProps.BytesPSample > newProps.BytesPSample ? 1 : 2;
  }
  const bool rateChanges = oldProps.frequency != newProps.frequency;
  if (rateChanges) {
    inHand = current().SetFreq(Abort, newProps.frequency);
    resampled = true;
  }
  if (oldProps.MonoStereo < newProps.MonoStereo) {
    inHand = std::make_unique<StereoSound>(Abort, current());
    resampled = true;
  }
  if (Abort || !inHand) return;

  Sound* const previous = TheSound;
  TheSound = inHand.release();
  ReleaseSound(previous);
  if (oldProps.MonoStereo != newProps.MonoStereo && View) View->SetIconForChannels(newProps.MonoStereo);
  if (rateChanges) {
    const double factor = static_cast<double>(newProps.frequency) / oldProps.frequency;
    SelCursor = ClampPosition(TruncToInt32(SelCursor * factor));
    SelAnchor = ClampPosition(TruncToInt32(SelAnchor * factor));
  }
  if (resampled) Redraw();
}

// --- Sound --------------------------------------------------------------------------------------

SoundPtr TUnitWave::CopySound(bool& abort, const Sound& sound) {
  if (sound.MoSt == 1) return std::make_unique<MonoSound>(abort, sound);
  return std::make_unique<StereoSound>(abort, sound);
}

SoundPtr TUnitWave::SetSound(SoundPtr sound) {
  KV_ASSERT(sound != nullptr);
  // The caller will own the present sound: an undo record sharing it must not outlive that.
  if (Shell()->UndoHolds(TheSound)) Shell()->DeleteUndoOf(this);
  SoundPtr previous(TheSound);
  TheSound = sound.release();
  ClampSelection();
  return previous;
}

bool TUnitWave::AdoptResult(SoundPtr result) {
  if (Abort || !result) return false;
  Sound* previous = TheSound;
  TheSound = result.release();
  ReleaseSound(previous);
  ClampSelection();
  return true;
}

void TUnitWave::ClampSelection() {
  // Both ends stay within the sound whatever length a new sound has, so no later stretch can
  // reach past its samples.
  SelCursor = ClampPosition(SelCursor);
  SelAnchor = ClampPosition(SelAnchor);
}

void TUnitWave::ReleaseSound(Sound* previous) {
  if (SoundNotOwned) {
    SoundNotOwned = false;  // the new sound is this document's own
    return;
  }
  if (!Shell()->UndoHolds(previous)) delete previous;
}

// --- Selection ----------------------------------------------------------------------------------

double TUnitWave::GetSelTime() const {
  if (TheSound->Freq <= 0) return 0;
  const int32_t length = SelCursor == SelAnchor ? GetValues() : GetSelEnd() - GetSelBegin();
  return static_cast<double>(length) / TheSound->Freq;
}

int32_t TUnitWave::ClampPosition(int32_t position) const {
  if (position < 0) return 0;
  const int32_t values = GetValues();
  return position > values ? values : position;
}

void TUnitWave::PutSelRange(int32_t begin, int32_t end) {
  KV_ASSERT(begin <= end);
  const int32_t lower = ClampPosition(begin);
  const int32_t upper = ClampPosition(end);
  // The moving end stays on its side; after an empty selection it becomes the upper end.
  if (SelCursor >= SelAnchor) {
    SelCursor = upper;
    SelAnchor = lower;
  } else {
    SelCursor = lower;
    SelAnchor = upper;
  }
}

template <typename Store>
void TUnitWave::ChangeSelection(Store store) {
  const int32_t oldLower = GetSelBegin();
  const int32_t oldUpper = GetSelEnd();
  const int32_t oldCursor = SelCursor;
  store();
  // The stored (clamped) ends are repainted, so the window never gets a position outside the sound.
  RedrawSelChange(oldLower, oldUpper, GetSelBegin(), GetSelEnd());
  MoveViewCursor(oldCursor, SelCursor);
}

void TUnitWave::ExtendSelection(int32_t position) {
  ChangeSelection([&] { PutSelCursor(position); });
}

void TUnitWave::SetCursor(int32_t position) {
  ChangeSelection([&] { PutSelBoth(position); });
}

void TUnitWave::SetSelRange(int32_t begin, int32_t end) {
  ChangeSelection([&] { PutSelRange(begin, end); });
}

void TUnitWave::SetSelEnds(int32_t movingEnd, int32_t fixedEnd) {
  ChangeSelection([&] {
    PutSelCursor(movingEnd);
    PutSelAnchor(fixedEnd);
  });
}

void TUnitWave::RedrawSelChange(int32_t oldLower, int32_t oldUpper, int32_t newLower, int32_t newUpper) {
  if (View != nullptr && GetValues() != 0) {
    if (oldLower > newLower && newUpper > newLower)
      View->RedrawSamples(newLower, std::min(newUpper, oldLower), true);
    if (oldUpper < newUpper && newLower < newUpper)
      View->RedrawSamples(std::max(newLower, oldUpper), newUpper, true);
    if (oldLower < newLower && oldUpper > oldLower)
      View->RedrawSamples(oldLower, std::min(newLower, oldUpper), false);
    if (oldUpper > newUpper && oldUpper > oldLower)
      View->RedrawSamples(std::max(newUpper, oldLower), oldUpper, false);
  }
  Shell()->NotifySelectionChanged(View);
}

void TUnitWave::MoveViewCursor(int32_t oldPosition, int32_t newPosition) {
  if (View != nullptr && GetValues() != 0 && oldPosition != newPosition) View->RedrawSample(oldPosition);
}

// --- The bracket ----------------------------------------------------------------------------------

void TUnitWave::BeginChange(int32_t begin, int32_t end) {
  if (View) View->SaveZoom(begin, end);
}

void TUnitWave::EndChange(int32_t begin, int32_t end) {
  if (View) View->RestoreZoom(begin, end);
  // A routine reports its ends in order; reversed ones are taken as the same stretch rather than
  // trapped, since they come from sample arithmetic on user values.
  if (end == begin) {
    SetCursor(begin);
  } else if (begin < end) {
    SetSelRange(begin, end);
  } else {
    SetSelRange(end, begin);
  }
}

void TUnitWave::Redraw() const {
  if (View) View->Redraw();
}

// --- Status, clipboard, drawing, undo -------------------------------------------------------------

void TUnitWave::ShowStatus() const {
  ShellServices& shell = *Shell();
  const int32_t values = GetValues();
  const int32_t rate = TheSound->Freq;
  shell.SetStatusText(2, FormatClockTime(rate > 0 ? static_cast<double>(values) / rate : 0.0));
  shell.SetStatusText(3, FormatDigits(static_cast<double>(rate) / 1000, 1, 3, 3) + " kHz");
  shell.SetStatusText(4, GetBytesPerSample() == 2 ? "16" : "8");
  shell.SetStatusText(5, GetChannels() == 2 ? "ST" : "MO");
  shell.SetStatusText(6, SizeText(static_cast<double>(values) * GetChannels() * GetBytesPerSample()));
  const uint8_t state = GetState();
  shell.SetStatusText(7, state < std::size(kStateTexts) ? kStateTexts[state] : kUnknownStateText);
}

SoundPtr TUnitWave::ClipOf(bool& abort, int32_t begin, int32_t end) const {
  begin = ClampPosition(begin);
  end = ClampPosition(end);
  if (end < begin) std::swap(begin, end);
  return TheSound->Trim(abort, begin, end);
}

bool TUnitWave::CopyToClipboard(int32_t begin, int32_t end) {
  BeginOperation();
  SoundPtr clip = ClipOf(Abort, begin, end);
  // A copy that failed halfway must not replace what the clipboard held.
  if (Abort || !clip) return false;
  Shell()->SetClipBoardSound(std::move(clip));
  return true;
}

bool TUnitWave::CanDrawWaveLin() const {
  if (View == nullptr) return false;
  return View->UserDrawing() || (GetValues() == 0 && GetChannels() == 1 && View->ViewMode() == 0);
}

void TUnitWave::SwapUndo(TUndoUnit& undo) {
  KV_ASSERT(undo.UnitWave == this);
  std::swap(TheSound, undo.TheSound);
  std::swap(SelCursor, undo.SelCursor);
  std::swap(SelAnchor, undo.SelAnchor);
  SetModified();
  Redraw();
}
