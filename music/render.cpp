// Rendering music into sound: the part tree is walked twice, once to learn how far the notes'
// sounds reach before and after the music, once to mix every note into a sound of silence of that
// length. Files can nest parts to any depth, so the walk keeps its own stack.
#include "music/render.h"

#include <algorithm>
#include <compare>
#include <cstdint>
#include <cstring>
#include <limits>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/messages.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "wave/sound.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";
constexpr double kMaxSamples = std::numeric_limits<int32_t>::max();

// Select parts inside select parts add their pitches; a file may hold any pitch, so the sum stays
// within 32 bits instead of overflowing.
int32_t AddTranspose(int32_t transpose, int32_t pitch) {
  const int64_t sum = int64_t{transpose} + pitch;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

bool IsRendered(const TMuzNote& note, const TNoteStave* stave, const TNoteGroup* group) {
  if (stave == nullptr && group == nullptr) return !note.GetMute();
  if (group != nullptr && note.GetNoteGroup() != group) return false;
  return stave == nullptr || note.GetNoteStave() == stave;
}

// Whether any single part below `part` holds a note. A loop around none sounds nothing and takes
// no time, however many turns a file gives it, so its turns need not be walked one by one.
bool HasNotes(TPartMuz* part) {
  std::vector<TPartMuz*> stack{part};
  while (!stack.empty()) {
    TPartMuz* next = stack.back();
    stack.pop_back();
    if (next->GetPartMuzKind() == partMuzSingle) {
      for (TStaveSymbol* symbol = static_cast<TSinglePartMuz*>(next)->GetStartStaveSymbol(); symbol != nullptr;
           symbol = symbol->GetNext())
        if (symbol->AsNote() != nullptr) return true;
    }
    TPartMuz* children[2];
    const int count = next->GetChildren(children);
    for (int i = 0; i < count; ++i) stack.push_back(children[i]);
  }
  return false;
}

// The walk of both passes. `visit(note, transpose, seconds per whole note, ok)` renders one note at
// the running time with ok set, and answers false on a failure other than the player's. Beyond `maxSeconds` of music the walk gives up: no sound could hold it.
template <class Visit>
bool WalkParts(TPartMuz* top, double& runningTime, std::string& error, const TNoteStave* stave,
               const TNoteGroup* group, const unitTimePosMore& wholeNote, int32_t transpose, Visit&& visit) {
  const double tempo = wholeNote.GetValue();
  const TUnitMuz* unit = top->GetUnitMuz();
  const double rate = unit != nullptr && unit->GetSamplesPerSec() > 0 ? unit->GetSamplesPerSec() : 1.0;
  const double maxSeconds = kMaxSamples / rate;
  struct Frame {
    TPartMuz* part;
    int32_t transpose;
    int32_t step;  // children or turns already started
  };
  std::vector<Frame> stack{{top, transpose, 0}};
  auto enter = [&stack](TPartMuz* child, int32_t childTranspose) {
    if (child != nullptr && child->GetVisibleFlag()) stack.push_back({child, childTranspose, 0});
  };
  while (!stack.empty()) {
    // The frame is copied: entering a child may move the stack.
    Frame frame = stack.back();
    TPartMuz* part = frame.part;
    int32_t& step = stack.back().step;
    switch (part->GetPartMuzKind()) {
      case partMuzStart:
      case partMuzConcat: {
        TPartMuz* children[2];
        const int count = part->GetChildren(children);
        if (step >= count) break;
        ++step;
        enter(children[frame.step], frame.transpose);
        continue;
      }
      case partMuzLoop: {
        auto* loop = static_cast<TLoopPartMuz*>(part);
        if (step >= loop->GetTurns() || (step == 0 && !HasNotes(loop))) break;
        loop->SetTurn(++step);
        enter(loop->GetLoopPart(), frame.transpose);
        continue;
      }
      case partMuzSelect: {
        auto* select = static_cast<TSelectPartMuz*>(part);
        if (step > 0) break;
        step = 1;
        int32_t pitch = 0;
        if (select->FindTurn(pitch, select->GetCurrentTurn()))
          enter(select->GetSelectPart(), AddTranspose(frame.transpose, pitch));
        continue;
      }
      case partMuzSingle: {
        auto* single = static_cast<TSinglePartMuz*>(part);
        for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol != nullptr; symbol = symbol->GetNext()) {
          const TMuzNote* note = symbol->AsNote();
          bool ok = true;
          if (note != nullptr && IsRendered(*note, stave, group) && !(visit(*note, frame.transpose, tempo, ok) && ok))
            return false;
        }
        runningTime += single->GetOwnTimeLength() * tempo;
        if (!(runningTime <= maxSeconds)) {
          error += rendertext::kMusicTooLong;
          return false;
        }
        break;
      }
      default:
        break;
    }
    stack.pop_back();
  }
  return true;
}

bool reuseNoteSounds = true;

// Most notes of a score repeat: the same chain of players at the same period for the same sounding
// length at the same tempo makes the same samples, and making them (resampling, rolling out,
// filtering) costs far more than mixing them in. So a render makes each distinct note sound once
// and mixes it at every note that asks for it. The store lives for one render: while it runs no
// player's settings, no sample wave and no format can change, so a description of each chain taken
// when it first plays stands for them all. The memory it holds is bounded, and where the program's
// sample memory is limited it holds no more than a quarter of what is left as the mixing starts:
// past its budget the sounds used longest ago go.
class NoteSoundStore {
 public:
  struct Made {
    SoundPtr sound;
    double volume = 1.0;
    double start = 0;
  };

  // The note's sound with its volume and its start offset, made or found; null when making it
  // failed (ok cleared or abort raised).
  const Made* Get(const TMuzNote& note, int32_t transpose, double seconds, bool& abort, bool& ok, std::string& error) {
    if (!reuseNoteSounds) return Make(note, transpose, seconds, abort, ok, error, fresh_) ? &fresh_ : nullptr;
    const Key key{ChainId(*note.GetCompoundPlayer()), Bits(note.GetTransposedPeriod(transpose)),
                  Bits(note.GetSoundLength()), Bits(seconds)};
    const auto found = index_.find(key);
    if (found != index_.end()) {
      used_.splice(used_.begin(), used_, found->second);
      return &found->second->made;
    }
    Entry entry{key, {}, 0};
    if (!Make(note, transpose, seconds, abort, ok, error, entry.made)) return nullptr;
    const Sound* sound = entry.made.sound.get();
    entry.samples = sound != nullptr ? int64_t{sound->GetValues()} * (sound->MoSt == 2 ? 2 : 1) : 0;
    held_ += entry.samples;
    used_.push_front(std::move(entry));
    index_.emplace(key, used_.begin());
    // The newest stays even when it alone is over the budget: it is mixed right away.
    while (held_ > budget_ && used_.size() > 1) {
      held_ -= used_.back().samples;
      index_.erase(used_.back().key);
      used_.pop_back();
    }
    return &used_.front().made;
  }

 private:
  static constexpr int64_t kBudgetSamples = int64_t{32} << 20;  // 64 MB of 16-bit samples

  static int64_t Budget() {
    const int64_t limit = SampleBudget();
    if (limit < 0) return kBudgetSamples;
    const int64_t left = std::max<int64_t>(0, limit - SampleBytesInUse());
    return std::min(kBudgetSamples, left / 4 / static_cast<int64_t>(sizeof(int16_t)));
  }

  struct Key {
    size_t chain;
    uint64_t period;
    uint64_t length;
    uint64_t seconds;
    auto operator<=>(const Key&) const = default;
  };
  struct Entry {
    Key key;
    Made made;
    int64_t samples;
  };

  // Exact bits: two notes share a sound only when the player is handed the very same numbers.
  static uint64_t Bits(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
  }

  template <class T>
  static void Put(std::string& description, const T& value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    description.append(bytes, sizeof(T));
  }
  static void PutName(std::string& description, const unitUnitWave& wave) {
    const std::string name = wave.GetName();
    Put(description, name.size());
    description += name;
  }

  // Everything a chain's sound depends on besides the note: the document's format, which a chain of
  // several players mixes in, and every player's settings with its sample waves by name (a name
  // names one open document). Chains described alike, on different staves, share their sounds.
  static std::string Describe(const TCompoundPlayer& chain) {
    std::string d;
    const TUnitMuz* unit = chain.GetUnitMuz();
    Put(d, unit != nullptr ? unit->GetSamplesPerSec() : 0u);
    Put(d, unit != nullptr ? unit->GetBytesPerSample() : int16_t{0});
    for (const TOnePlayer* player = chain.GetStartOnePlayer(); player != nullptr; player = player->GetNext()) {
      const TOnePlayerProps& p = player->GetOnePlayerProps();
      Put(d, p.NotePlayerKind);
      Put(d, p.FreqUp.GetValue());
      Put(d, p.VolumeFactor.GetValue());
      PutName(d, p.SimpleSampler.SampleWave);
      Put(d, p.SimpleSampler.BasicFreq.GetValue());
      PutName(d, p.RollOutSampler.SampleWave);
      Put(d, p.RollOutSampler.BasicFreq.GetValue());
      PutName(d, p.RepeatWaveForm.SampleWave);
      PutName(d, p.RollOutWaveForm.SampleWave);
      PutName(d, p.ResonantSampler.SampleWave);
      Put(d, p.ResonantSampler.ResFactor.GetValue());
    }
    return d;
  }

  size_t ChainId(const TCompoundPlayer& chain) {
    const auto known = chainIds_.find(&chain);
    if (known != chainIds_.end()) return known->second;
    const size_t id = descriptionIds_.emplace(Describe(chain), descriptionIds_.size()).first->second;
    chainIds_.emplace(&chain, id);
    return id;
  }

  static bool Make(const TMuzNote& note, int32_t transpose, double seconds, bool& abort, bool& ok, std::string& error,
                   Made& made) {
    made.volume = 1.0;
    made.sound = note.MakeSound(made.volume, transpose, seconds, abort, ok, error);
    made.start = ok && !abort ? note.GetStartOffset(transpose, seconds, ok, error) : 0;
    return ok && !abort;
  }

  std::map<const TCompoundPlayer*, size_t> chainIds_;
  std::map<std::string, size_t> descriptionIds_;
  std::list<Entry> used_;  // the most recently used first
  std::map<Key, std::list<Entry>::iterator> index_;
  int64_t held_ = 0;
  const int64_t budget_ = Budget();
  Made fresh_;
};
}  // namespace

void SetRenderReusesNoteSounds(bool reuse) { reuseNoteSounds = reuse; }

bool TPartMuz::MakeSound(bool& abort, Sound& target, double& runningTime, std::string& error,
                         const TNoteStave* stave, const TNoteGroup* group, const unitTimePosMore& tempo,
                         int32_t transpose) {
  NoteSoundStore sounds;
  return WalkParts(this, runningTime, error, stave, group, tempo, transpose,
                   [&](const TMuzNote& note, int32_t noteTranspose, double seconds, bool& ok) {
                     const NoteSoundStore::Made* made = sounds.Get(note, noteTranspose, seconds, abort, ok, error);
                     if (made != nullptr && made->sound != nullptr)
                       target.AddAtTime(abort, made->sound.get(), runningTime - made->start + note.GetTime() * seconds,
                                        made->volume);
                     // Once an allocation failed the music cannot be whole: stop here.
                     if (abort && ok) error += msgtext::kNoMemory;
                     return !abort;
                   });
}

bool TPartMuz::GetSoundOffsets(double& leadIn, double& end, double& runningTime, std::string& error,
                               const TNoteStave* stave, const TNoteGroup* group, const unitTimePosMore& tempo,
                               int32_t transpose) {
  return WalkParts(this, runningTime, error, stave, group, tempo, transpose,
                   [&](const TMuzNote& note, int32_t noteTranspose, double seconds, bool& ok) {
                     const double start = note.GetStartOffset(noteTranspose, seconds, ok, error);
                     const double stop = ok ? note.GetEndOffset(noteTranspose, seconds, ok, error) : 0;
                     const double time = runningTime + note.GetTime() * seconds;
                     leadIn = std::max(leadIn, start - time);
                     end = std::max(end, stop + time);
                     return true;
                   });
}

namespace {
SoundPtr NewEmptySound(bool stereo, uint32_t samplesPerSec, int16_t bytesPerSample) {
  const auto rate = static_cast<int32_t>(std::min<uint32_t>(samplesPerSec, std::numeric_limits<int32_t>::max()));
  const auto width = static_cast<uint16_t>(bytesPerSample);
  if (stereo) return std::make_unique<StereoSound>(rate, width);
  return std::make_unique<MonoSound>(rate, width);
}

SoundPtr CannotCreateMusic(const std::string& reason) {
  ShowMessageBox(rendertext::kCannotCreateMusic + reason, msgtext::kError, kMbOk | kMbIconInformation);
  return nullptr;
}

SoundPtr RenderMusic(bool stereo, uint32_t samplesPerSec, int16_t bytesPerSample, const TNoteStave* stave,
                     const TNoteGroup* group, TPartMuz* part, const unitTimePosMore& tempo) {
  KV_ASSERT(part != NULL);
  double leadIn = 0;
  double end = 0;
  double runningTime = 0;
  std::string error;
  if (!part->GetSoundOffsets(leadIn, end, runningTime, error, stave, group, tempo, 0))
    return CannotCreateMusic(error);
  SoundPtr empty = NewEmptySound(stereo, samplesPerSec, bytesPerSample);
  if (leadIn == 0.0 && end == 0.0) return empty;
  // Refused before anything is allocated: a file's counts or tempo may ask for any length.
  if (!(static_cast<double>(samplesPerSec) * (leadIn + end) + 1 <= kMaxSamples))
    return CannotCreateMusic(rendertext::kMusicTooLong);
  bool abort = false;
  int32_t begin = 0;
  int32_t silenceEnd = 0;
  SoundPtr music = empty->Silence(abort, leadIn + end, begin, silenceEnd);
  if (abort || music == nullptr) return CannotCreateMusic(msgtext::kNoMemory);
  runningTime = leadIn;
  // A partial sound is never the result: it goes with the failure.
  if (!part->MakeSound(abort, *music, runningTime, error, stave, group, tempo, 0)) return CannotCreateMusic(error);
  if (abort) return CannotCreateMusic(msgtext::kNoMemory);
  return music;
}
}  // namespace

std::unique_ptr<Sound> TUnitMuz::CreateMonoWave(uint32_t samplesPerSec, int16_t bytesPerSample,
                                                const TNoteStave* stave, const TNoteGroup* group, TPartMuz* part) {
  return RenderMusic(false, samplesPerSec, bytesPerSample, stave, group, part, Tempo);
}

std::unique_ptr<Sound> TUnitMuz::CreateStereoWave(uint32_t samplesPerSec, int16_t bytesPerSample,
                                                  const TNoteStave* stave, const TNoteGroup* group,
                                                  TPartMuz* part) {
  return RenderMusic(true, samplesPerSec, bytesPerSample, stave, group, part, Tempo);
}

std::unique_ptr<Sound> TUnitMuz::CreateMonoWaveAll(uint32_t samplesPerSec, int16_t bytesPerSample) {
  return CreateMonoWave(samplesPerSec, bytesPerSample, nullptr, nullptr, StartPartMuz.get());
}

std::unique_ptr<Sound> TUnitMuz::CreateStereoWaveAll(uint32_t samplesPerSec, int16_t bytesPerSample) {
  return CreateStereoWave(samplesPerSec, bytesPerSample, nullptr, nullptr, StartPartMuz.get());
}

namespace {
// The document's own format decides mono or stereo.
template <class Doc>
SoundPtr RenderInFormat(Doc& doc, const TNoteStave* stave, const TNoteGroup* group, TPartMuz* part) {
  if (doc.GetChannels() == 1)
    return doc.CreateMonoWave(doc.GetSamplesPerSec(), doc.GetBytesPerSample(), stave, group, part);
  return doc.CreateStereoWave(doc.GetSamplesPerSec(), doc.GetBytesPerSample(), stave, group, part);
}
}  // namespace

std::unique_ptr<Sound> TUnitMuz::CreateWave() { return RenderInFormat(*this, nullptr, nullptr, StartPartMuz.get()); }

std::unique_ptr<Sound> TUnitMuz::CreateWaveStave(const TNoteStave* stave) {
  return RenderInFormat(*this, stave, nullptr, StartPartMuz.get());
}

std::unique_ptr<Sound> TUnitMuz::CreateWaveNoteGroup(const TNoteGroup* group) {
  return RenderInFormat(*this, nullptr, group, StartPartMuz.get());
}

std::unique_ptr<Sound> TUnitMuz::CreateWavePart(TPartMuz* part) {
  StartPartMuz->ResetTurns();
  return RenderInFormat(*this, nullptr, nullptr, part);
}
