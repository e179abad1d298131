// Why a wave command cannot run with its record: what only the document knows when the command
// runs, after its dialog accepted every field. The names of the fields are those the dialogs give.
#include <initializer_list>
#include <string>

#include "wave/shell.h"
#include "wave/unitwave.h"

namespace {

using namespace refusaltext;

// Another wave read as an envelope, curve, form or length: empty when it holds samples.
std::string UnreadableWave(const char* what, const unitUnitWave& wave, const char* field) {
  if (wave.GetReadableSound() != nullptr) return {};
  return std::string(what) + kTheWave + wave.GetName() + kChosenAs + field +
         (wave.GetSound() == nullptr ? kNotOpen : kHoldsNoSamples);
}

// The first reason of several, or empty.
std::string FirstOf(std::initializer_list<std::string> reasons) {
  for (const std::string& reason : reasons) {
    if (!reason.empty()) return reason;
  }
  return {};
}

// Length kind 2 of the records that change a length: the length of another wave.
constexpr uint8_t kSameLengthAs = 2;

}  // namespace

std::string TUnitWave::Refusal(const TBlockTriangleProps& p) const {
  return FirstOf({p.HasMiddleEnvelope() ? UnreadableWave(kMakeWave, p.MiddleEnvelope, "Middle Envelope") : "",
                  p.LengthKind == 1 ? UnreadableWave(kMakeWave, p.LengthSameAs, "Length Same As") : ""});
}

std::string TUnitWave::Refusal(const TMFreqProps& p) const {
  return p.UseKind != 0 ? UnreadableWave(kMakeWave, p.WaveForm, "Wave Form") : "";
}

std::string TUnitWave::Refusal(const TMixProps& p) const {
  constexpr uint8_t kStretch = 2;
  if (p.Place != kStretch) return {};
  if (GetValues() == 0) return std::string(kMixStretch) + kWaveEmpty;
  const Sound* clip = Shell()->GetClipBoardSound();
  if (clip == nullptr || clip->GetValues() == 0) return std::string(kMixStretch) + kClipboardEmpty;
  return {};
}

std::string TUnitWave::Refusal(const TVolumeProps& p) const {
  return p.Mode != 0 ? UnreadableWave(kVolume, p.Envelope, "Envelope") : "";
}

std::string TUnitWave::Refusal(const TBalanceProps& p) const {
  return p.DirKind != 0 ? UnreadableWave(kBalance, p.DirEnvelope, "Direction Envelope") : "";
}

std::string TUnitWave::Refusal(const TRollOutProps& p) const {
  return FirstOf({p.SpeedEnvelopeUsed ? UnreadableWave(kRollOut, p.SpeedEnvelope, "Speed Envelope") : "",
                  p.LengthKind == kSameLengthAs ? UnreadableWave(kRollOut, p.LengthSameAs, "Same Length as") : ""});
}

std::string TUnitWave::Refusal(const TLengthProps& p) const {
  return p.LengthKind == kSameLengthAs ? UnreadableWave(kLength, p.LengthSameAs, "Same Length as") : "";
}

std::string TUnitWave::Refusal(const TTempoPitchProps& p) const {
  return FirstOf(
      {p.TwoHeadsBackward() ? std::string(kTempoPitch) + kHighQualityForwardOnly : "",
       p.FreqEnvelopeUsed ? UnreadableWave(kTempoPitch, p.FreqEnvelope, "Frequency Envelope") : "",
       p.SpeedEnvelopeUsed ? UnreadableWave(kTempoPitch, p.SpeedEnvelope, "Speed Envelope") : "",
       p.LengthKind == kSameLengthAs ? UnreadableWave(kTempoPitch, p.LengthSameAs, "Same Length as") : ""});
}

std::string TUnitWave::Refusal(const TDistortProps& p) const {
  return UnreadableWave(kDistort, p.DistortEnvelope, "Distort Envelope");
}

std::string TUnitWave::Refusal(const TPerEchoProps& p) const {
  // One sample has no neighbour to echo between.
  if (GetEnd() - GetBegin() < 2) return std::string(kPerEcho) + kTooShortToEcho;
  return FirstOf({p.TimeEnvelopeUsed ? UnreadableWave(kPerEcho, p.TimeEnvelope, "Echo Time Envelope") : "",
                  p.VolumeKind != 0 ? UnreadableWave(kPerEcho, p.VolumeEnvelope, "Echo Volume Envelope") : ""});
}

std::string TUnitWave::Refusal(const THighLowProps& p) const {
  return p.FreqKind != 0 ? UnreadableWave(kFilter, p.FreqEnvelope, "Frequency Envelope") : "";
}

std::string TUnitWave::Refusal(const TResNotchProps& p) const {
  return FirstOf({p.FreqKind != 0 ? UnreadableWave(kFilter, p.FreqEnvelope, "Frequency Envelope") : "",
                  p.WidthKind != 0 ? UnreadableWave(kFilter, p.WidthEnvelope, "Frequency Width Envelope") : ""});
}

std::string TUnitWave::Refusal(const TBlockFilterProps& p) const {
  return p.TimeEnvelopeUsed ? UnreadableWave(kFilter, p.TimeEnvelope, "Envelope") : "";
}
