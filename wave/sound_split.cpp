#include "wave/sound_split.h"

#include "foundation/assertion.h"

namespace {

constexpr const char* kAssertUnit = "sound";

// A sound in the format a merge asks for: the source itself when it already is, else a converted
// copy held in `converted`. Empty sounds are converted too, so that the result always has the
// chosen channels and rate.
const Sound* InFormat(bool& abort, const Sound& sound, uint16_t channels, int32_t rate, SoundPtr& converted) {
  const Sound* current = &sound;
  if (channels == 1 && current->MoSt == 2) {
    converted = std::make_unique<MonoSound>(abort, *current);
    current = converted.get();
  }
  if (!abort && current->Freq != rate) {
    converted = current->SetFreq(abort, rate);
    current = converted.get();
  }
  if (!abort && channels == 2 && current->MoSt == 1) {
    converted = std::make_unique<StereoSound>(abort, *current);
    current = converted.get();
  }
  return abort ? nullptr : current;
}

// `shorter` brought to `count` samples by `match`; null for a kind that changes the longer one.
WavePtr LengthenShorter(bool& abort, const Wave& shorter, int32_t count, uint8_t match) {
  int32_t at = match == kSilenceAtBegin ? 0 : shorter.values;
  int32_t end = at;
  if (match == kStretchShorter && shorter.values > 0) return shorter.ChangeLengthAll(abort, count, false);
  return shorter.Silence(abort, count - shorter.values, at, end);
}

// New channels for whichever of the two must change so that both have one length; a channel
// that keeps its samples gets no new one.
void MatchLengths(bool& abort, const Wave& left, const Wave& right, uint8_t match, WavePtr& newLeft,
                  WavePtr& newRight) {
  if (left.values == right.values) return;
  const bool leftShorter = left.values < right.values;
  const Wave& shorter = leftShorter ? left : right;
  const Wave& longer = leftShorter ? right : left;
  WavePtr& newShorter = leftShorter ? newLeft : newRight;
  WavePtr& newLonger = leftShorter ? newRight : newLeft;
  if (match == kSqueezeLonger) {
    newLonger = shorter.values == 0 ? NewWave() : longer.ChangeLengthAll(abort, shorter.values, false);
  } else {
    newShorter = LengthenShorter(abort, shorter, longer.values, match);
  }
}

// The channel that goes into the merged sound: a new one, a copy, or the source's own buffer,
// which the source then no longer frees.
WavePtr TakeChannel(WavePtr& matched, WavePtr& copy, Wave* own, Sound& source) {
  if (matched) return std::move(matched);
  if (copy) return std::move(copy);
  source.Protect();
  return WavePtr(own);
}

}  // namespace

std::vector<SoundPtr> TrimPieces(bool& abort, const Sound& sound, const std::vector<SampleRange>& ranges) {
  std::vector<SoundPtr> pieces;
  for (const SampleRange& range : ranges) {
    SoundPtr piece = sound.Trim(abort, range.first, range.end);
    if (abort || !piece) return {};
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

void SplitChannels(StereoSound& sound, SoundPtr& left, SoundPtr& right) {
  // The buffers change owner before anything else can fail, so no buffer ever has two owners.
  sound.Protect();
  left = std::make_unique<MonoSound>(WavePtr(sound.GetLeft()), sound.Freq, sound.BytesPerSample);
  right = std::make_unique<MonoSound>(WavePtr(sound.GetRight()), sound.Freq, sound.BytesPerSample);
}

SoundPtr MergeSequential(bool& abort, const Sound& first, const Sound& last, uint16_t channels, int32_t rate,
                         uint16_t bytesPerSample) {
  KV_ASSERT(rate >= 1);
  KV_ASSERT(channels == 1 || channels == 2);
  SoundPtr firstConverted;
  SoundPtr lastConverted;
  const Sound* head = InFormat(abort, first, channels, rate, firstConverted);
  // Both at the chosen rate: the last one keeps its pitch and speed.
  const Sound* tail = head ? InFormat(abort, last, channels, rate, lastConverted) : nullptr;
  if (!tail) return nullptr;
  const int32_t n = head->GetValues();
  SoundPtr merged = head->Replace(abort, tail, n, n);
  if (abort || !merged) return nullptr;
  merged->BytesPerSample = bytesPerSample;
  return merged;
}

const Sound* SequentialTakeOver(const Sound& first, const Sound& last, uint16_t channels, int32_t rate) {
  const auto inFormat = [&](const Sound& sound) { return sound.MoSt == channels && sound.Freq == rate; };
  if (last.GetValues() == 0 && inFormat(first)) return &first;
  if (first.GetValues() == 0 && inFormat(last)) return &last;
  return nullptr;
}

SoundPtr MergeSideBySide(bool& abort, Sound& left, Sound& right, int32_t rate, uint16_t bytesPerSample,
                         uint8_t match) {
  KV_ASSERT(rate >= 1);
  KV_ASSERT(&left != &right);
  bool leftCopied = false;
  Wave* leftWave = left.GetMiddleWaveAt(abort, rate, leftCopied);
  WavePtr leftCopy(leftCopied ? leftWave : nullptr);
  bool rightCopied = false;
  Wave* rightWave = abort ? nullptr : right.GetMiddleWaveAt(abort, rate, rightCopied);
  WavePtr rightCopy(rightCopied ? rightWave : nullptr);
  if (abort || !leftWave || !rightWave) return nullptr;
  // Duration alone is not enough: equal durations at other rates can still differ by a sample.
  WavePtr leftMatched;
  WavePtr rightMatched;
  MatchLengths(abort, *leftWave, *rightWave, match, leftMatched, rightMatched);
  if (abort) return nullptr;
  WavePtr newLeft = TakeChannel(leftMatched, leftCopy, leftWave, left);
  WavePtr newRight = TakeChannel(rightMatched, rightCopy, rightWave, right);
  return std::make_unique<StereoSound>(std::move(newLeft), std::move(newRight), rate, bytesPerSample);
}
