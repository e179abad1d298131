#include "music/noteplay.h"

#include "foundation/assertion.h"
#include "foundation/xmlalg.h"

namespace {
constexpr const char* kAssertUnit = "noteplay";

// The recorded pitch divides every note's period, so it must be above 0; a NaN fails as well.
bool IsPlayablePeriod(const unitTimePosMore& basicFreq) { return basicFreq.GetValue() > 0; }
bool IsResonanceWidth(const unitFactorPosMax1& resFactor) {
  return resFactor.GetValue() >= 0 && resFactor.GetValue() <= 1;
}
}  // namespace

std::unique_ptr<TXMLCompound> TOnePlayerProps::WriteXML() const {
  struct KindElement {
    const char* name;
    const char* firstName;  // the recorded pitch or the resonance width, if the kind has one
    const unit* firstValue;
    const unitUnitWave* sampleWave;
  };
  KindElement kind{};
  switch (NotePlayerKind) {
    case notePlayerSimpleSampler:
      kind = {"SimpleOneSampler", "BasicFreq", &SimpleSampler.BasicFreq, &SimpleSampler.SampleWave};
      break;
    case notePlayerResonantSampler:
      kind = {"ResonantSampler", "ResFactor", &ResonantSampler.ResFactor, &ResonantSampler.SampleWave};
      break;
    case notePlayerRepeatWaveForm:
      kind = {"RepeatWaveForm", nullptr, nullptr, &RepeatWaveForm.SampleWave};
      break;
    case notePlayerRollOutSampler:
      kind = {"RollOutSampler", "BasicFreq", &RollOutSampler.BasicFreq, &RollOutSampler.SampleWave};
      break;
    case notePlayerRollOutWaveForm:
      kind = {"RollOutWaveForm", nullptr, nullptr, &RollOutWaveForm.SampleWave};
      break;
    default:
      KV_ASSERT(NotePlayerKind <= notePlayerRollOutWaveForm);
  }
  auto element = std::make_unique<TXMLCompound>(kind.name);
  if (kind.firstValue != nullptr)
    element->Add(std::make_unique<TXMLAttribute>(kind.firstName, kind.firstValue->Write()));
  element->Add(std::make_unique<TXMLAttribute>("SampleWave", kind.sampleWave->GetName()));
  if (FreqUp.GetValue() != 0) element->Add(std::make_unique<TXMLAttribute>("FreqUp", FreqUp.Write()));
  element->Add(std::make_unique<TXMLAttribute>("VolumeFactor", VolumeFactor.Write()));
  return element;
}

TOnePlayer::TOnePlayer(TCompoundPlayer* compoundPlayer, const unitVolumeFactor& volumeFactor, const unitFreq& freqUp)
    : CompoundPlayer(compoundPlayer), OnePlayerProps(volumeFactor, freqUp) {}

TSimpleSamplerProps TOnePlayer::GetSimpleSampler() const {
  KV_ASSERT(OnePlayerProps.NotePlayerKind == notePlayerSimpleSampler);
  return OnePlayerProps.SimpleSampler;
}

TResonantSamplerProps TOnePlayer::GetResonantSampler() const {
  KV_ASSERT(OnePlayerProps.NotePlayerKind == notePlayerResonantSampler);
  return OnePlayerProps.ResonantSampler;
}

TRepeatWaveFormProps TOnePlayer::GetRepeatWaveForm() const {
  KV_ASSERT(OnePlayerProps.NotePlayerKind == notePlayerRepeatWaveForm);
  return OnePlayerProps.RepeatWaveForm;
}

TRollOutSamplerProps TOnePlayer::GetRollOutSampler() const {
  KV_ASSERT(OnePlayerProps.NotePlayerKind == notePlayerRollOutSampler);
  return OnePlayerProps.RollOutSampler;
}

TRollOutWaveFormProps TOnePlayer::GetRollOutWaveForm() const {
  KV_ASSERT(OnePlayerProps.NotePlayerKind == notePlayerRollOutWaveForm);
  return OnePlayerProps.RollOutWaveForm;
}

template <typename Props>
bool TOnePlayer::SetKind(uint8_t kind, Props TOnePlayerProps::*settings, const Props& props) {
  OnePlayerProps.NotePlayerKind = kind;
  OnePlayerProps.*settings = props;
  return true;
}

bool TOnePlayer::SetSimpleSampler(const TSimpleSamplerProps& props) {
  return IsPlayablePeriod(props.BasicFreq) && SetKind(notePlayerSimpleSampler, &TOnePlayerProps::SimpleSampler, props);
}

bool TOnePlayer::SetResonantSampler(const TResonantSamplerProps& props) {
  return IsResonanceWidth(props.ResFactor) &&
         SetKind(notePlayerResonantSampler, &TOnePlayerProps::ResonantSampler, props);
}

bool TOnePlayer::SetRepeatWaveForm(const TRepeatWaveFormProps& props) {
  return SetKind(notePlayerRepeatWaveForm, &TOnePlayerProps::RepeatWaveForm, props);
}

bool TOnePlayer::SetRollOutSampler(const TRollOutSamplerProps& props) {
  return IsPlayablePeriod(props.BasicFreq) &&
         SetKind(notePlayerRollOutSampler, &TOnePlayerProps::RollOutSampler, props);
}

bool TOnePlayer::SetRollOutWaveForm(const TRollOutWaveFormProps& props) {
  return SetKind(notePlayerRollOutWaveForm, &TOnePlayerProps::RollOutWaveForm, props);
}

TCompoundPlayer::~TCompoundPlayer() {
  TOnePlayer* onePlayer = StartOnePlayer;
  while (onePlayer != nullptr) {
    TOnePlayer* next = onePlayer->GetNext();
    delete onePlayer;
    onePlayer = next;
  }
}

void TCompoundPlayer::InsertAfter(TOnePlayer* afterOnePlayer, std::unique_ptr<TOnePlayer> onePlayer) {
  KV_ASSERT(onePlayer != NULL);
  if (StartOnePlayer == nullptr || afterOnePlayer == nullptr) {
    onePlayer->SetNext(StartOnePlayer);
    StartOnePlayer = onePlayer.release();
    return;
  }
  TOnePlayer* prevOnePlayer = StartOnePlayer;
  while (prevOnePlayer->GetNext() != nullptr && prevOnePlayer != afterOnePlayer)
    prevOnePlayer = prevOnePlayer->GetNext();
  KV_ASSERT(prevOnePlayer->GetNext() != NULL || prevOnePlayer == afterOnePlayer);
  onePlayer->SetNext(afterOnePlayer->GetNext());
  afterOnePlayer->SetNext(onePlayer.release());
}

std::unique_ptr<TOnePlayer> TCompoundPlayer::Delete(TOnePlayer* deletePlayer) {
  KV_ASSERT(deletePlayer != NULL);
  if (deletePlayer == StartOnePlayer) {
    // Trapped before unlinking, so the chain still owns its only player.
    if (deletePlayer->GetNext() == nullptr) AssertFailed("StartOnePlayer != NULL", kAssertUnit, __LINE__);
    StartOnePlayer = deletePlayer->GetNext();
  } else {
    TOnePlayer* previous = GetPrevious(deletePlayer);
    previous->SetNext(deletePlayer->GetNext());
  }
  deletePlayer->SetNext(nullptr);
  return std::unique_ptr<TOnePlayer>(deletePlayer);
}

TOnePlayer* TCompoundPlayer::GetPrevious(const TOnePlayer* onePlayer) const {
  const TOnePlayer* startOnePlayer = StartOnePlayer;
  KV_ASSERT(startOnePlayer != NULL);
  if (onePlayer == StartOnePlayer) return nullptr;
  for (TOnePlayer* previous = StartOnePlayer; previous->GetNext() != nullptr; previous = previous->GetNext())
    if (previous->GetNext() == onePlayer) return previous;
  KV_ASSERT(false);
  return nullptr;
}

std::unique_ptr<TXMLCompound> TCompoundPlayer::WriteXML() const {
  auto element = std::make_unique<TXMLCompound>("CompoundPlayer");
  bool first = true;
  for (const TOnePlayer* onePlayer = StartOnePlayer; onePlayer != nullptr; onePlayer = onePlayer->GetNext()) {
    element->Add(onePlayer->WriteXML());
    first = false;
  }
  KV_ASSERT(!first);
  return element;
}

TNoteGroup::TNoteGroup(TNoteStave* noteStave, std::unique_ptr<TCompoundPlayer> compoundPlayer, uint32_t noteColor,
                       uint8_t noteShapeKind, uint8_t stickKind)
    : NoteColor(noteColor),
      CompoundPlayer(std::move(compoundPlayer)),
      NoteShapeKind(noteShapeKind),
      StickKind(stickKind),
      NoteStave(noteStave) {}
