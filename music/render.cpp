// Rendering music into sound: the part tree is walked twice, once to learn how far the notes'
// sounds reach before and after the music, once to mix every note into a sound of silence of that
// length. Files can nest parts to any depth, so the walk keeps its own stack.
#include "music/render.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "foundation/assertion.h"
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
}  // namespace

bool TPartMuz::MakeSound(bool& abort, Sound& target, double& runningTime, std::string& error,
                         const TNoteStave* stave, const TNoteGroup* group, const unitTimePosMore& tempo,
                         int32_t transpose) {
  return WalkParts(this, runningTime, error, stave, group, tempo, transpose,
                   [&](const TMuzNote& note, int32_t noteTranspose, double seconds, bool& ok) {
                     double volume = 1.0;
                     const SoundPtr sound = note.MakeSound(volume, noteTranspose, seconds, abort, ok, error);
                     const double start = ok && !abort ? note.GetStartOffset(noteTranspose, seconds, ok, error) : 0;
                     if (ok && !abort && sound != nullptr)
                       target.AddAtTime(abort, sound.get(), runningTime - start + note.GetTime() * seconds, volume);
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
