#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/sample_waves.h"
#include "foundation/global.h"
#include "music/render.h"
#include "score_builder.h"
#include "support/recording_sink.h"

namespace {
// A score whose notes (pitch a, 440 Hz) sound a 1 s sample as recorded at 440 Hz, at half volume.
struct Score : ScoreBuilder {
  SampleWaves waves;
  RecordingSink sink;
  explicit Score(int32_t sampleCount = kSampleRate) {
    waves.Add("sample", sampleCount);
    group->GetCompoundPlayer()->GetStartOnePlayer()->SetSimpleSampler(
        {unitUnitWave("sample"), unitTimePosMore(1.0 / 440, kUnitHertz)});
  }
  TSinglePartMuz* Quarters(std::initializer_list<double> positions, int8_t multiOol = sool) {
    TSinglePartMuz* single = Single();
    int32_t posInOol = 0;
    for (const double position : positions)
      single->InsertSymbol(new TMuzNote(&unit, group, 4, 0, position, 5, stave, noteShiftNormal, multiOol,
                                        posInOol++ % multiOol, noteArtNormal, single, drawStickAuto));
    return single;
  }
  // A loop of 3 around a select part of turns 1 (as written) and 2 (transposed).
  TPartMuz* ThreeTurns(int32_t pitchOfTurn2) {
    TSelectPartMuz* select = Select(Quarters({0}), {1});
    select->AddTurnItem(unitIntegerPosMore(2, 0), unitInteger(pitchOfTurn2, 0));
    return Loop(3, select);
  }
};
}  // namespace

TEST(RenderMusic, NotesSoundAtTheirTimesThroughLoopsTupletsAndTurns) {
  struct Case { const char* name; std::function<TPartMuz*(Score&)> tree; std::vector<double> seconds; double end; };
  const Case cases[] = {
      {"turn 2 of a loop around a part of length 1 comes exactly 1 s later",
       [](Score& s) { return s.Loop(2, s.Quarters({0, 0.25, 0.5, 0.75})); }, {0, 0.25, 0.5, 0.75, 1, 1.25, 1.5, 1.75},
       2.75},
      {"triplet members", [](Score& s) { return s.Quarters({0, 0, 0}, triool); }, {0, 1 / 12.0, 2 / 12.0}, 14 / 12.0},
      {"turn 3 has no item: no sound, no time, no pause after it",
       [](Score& s) { return s.Concat(s.ThreeTurns(0), s.Quarters({0})); }, {0, 0.25, 0.5}, 1.5},
      {"a sound starting 0.1 s before its note makes a lead-in of 0.1 s and starts at sample 0",
       [](Score& s) {
         s.waves.Add("sample", kSampleRate, 8000, 2205, 4410);
         s.group->GetCompoundPlayer()->GetStartOnePlayer()->SetRollOutSampler({unitUnitWave("sample"), {1.0 / 440, 0}});
         return s.Quarters({0, 0.25});
       },
       {0, 0.25}, 1.45},
      {"turn 2 an octave up ends after half the sample", [](Score& s) { return s.ThreeTurns(12); }, {0, 0.25}, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Score score;
    score.Root(c.tree(score));
    const SoundPtr music = score.unit.CreateWave();
    ASSERT_NE(music, nullptr);
    const std::vector<int32_t> markers = MarkersIn(music->GetLeftWave(), 2000);
    ASSERT_EQ(markers.size(), c.seconds.size());
    for (size_t i = 0; i < markers.size(); ++i) EXPECT_NEAR(markers[i], c.seconds[i] * kSampleRate, 1) << i;
    EXPECT_NEAR(music->GetTime(), c.end, 2.0 / kSampleRate);
  }
}

TEST(RenderMusic, DocumentAnswersASoundOfItsFormatOrNullWithTheMessage) {
  const std::string cannot = rendertext::kCannotCreateMusic;
  const auto oneNote = [](Score& s) { s.Root(s.Quarters({0})); };
  const auto muted = [](Score& s) { s.Root(s.Quarters({0})), s.stave->SetMute(true); };
  struct Case {
    const char* name;
    std::function<void(Score&)> prepare;
    bool groupOnly;
    int32_t values, channels;  // values -1: null
    std::string message;
  };
  const Case cases[] = {
      {"no notes: an empty sound", [](Score&) {}, false, 0, 1, ""},
      {"a stereo document", [&](Score& s) { oneNote(s), s.unit.SetFormat({1, 22050, 2}, {2, 22050, 2}); }, false, 101,
       2, ""},
      {"a muted stave is left out", muted, false, 0, 1, ""},
      {"but sounds with its note group", muted, true, 101, 1, ""},
      {"a huge loop without notes", [](Score& s) { s.Root(s.Loop(2147483647, s.Single())); }, false, 0, 1, ""},
      {"a missing sample wave", [&](Score& s) { oneNote(s), s.waves.main.documents.clear(); }, false, -1, 0,
       cannot + "Cannot find window \"sample\"."},
      {"the largest loop count around notes", [](Score& s) { s.Root(s.Loop(2147483647, s.Quarters({0}))); }, false,
       -1, 0, cannot + rendertext::kMusicTooLong},
      {"longer than a sound can hold",
       [](Score& s) { s.Root(s.Loop(1000, s.Quarters({0}))), s.unit.GetTempo().SetValue(1e6); }, false, -1, 0,
       cannot + rendertext::kMusicTooLong},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Score score(100);
    c.prepare(score);
    const SoundPtr music = c.groupOnly ? score.unit.CreateWaveNoteGroup(score.group) : score.unit.CreateWave();
    ASSERT_EQ(music == nullptr, c.values < 0);
    if (music != nullptr) {
      EXPECT_EQ(music->GetValues(), c.values);
      EXPECT_EQ(music->MoSt, c.channels);
    }
    std::vector<RecordedMessage> expected;
    if (!c.message.empty()) expected.push_back({c.message, "Error", kMbOk | kMbIconInformation});
    EXPECT_EQ(score.sink.messages, expected);
  }
}

TEST(RenderMusic, AllocationFailingMidRenderGivesNullTheMessageAndNoLeak) {
  Score score(4000);
  score.Root(score.Quarters({0, 0.25, 0.5}));
  const int64_t before = SampleBytesInUse();
  // Room for the silence of the whole music (0.5 s and the sample) but not for the notes.
  const ScopedSampleBudget budget(before + 2 * (kSampleRate / 2 + 4000 + 1));
  EXPECT_EQ(score.unit.CreateWave(), nullptr);
  ASSERT_FALSE(score.sink.messages.empty());
  EXPECT_EQ(score.sink.messages.back().text, std::string(rendertext::kCannotCreateMusic) + msgtext::kNoMemory);
  EXPECT_EQ(SampleBytesInUse(), before);
}

TEST(NoteSound, PlayingANoteAloneAndAfterAnEdit) {
  Score score(100);
  TMuzNote* note = score.Note(score.Single(), 0, 4, 5);
  score.Root(note->GetSinglePartMuz());
  EXPECT_TRUE(note->PlayPreview(1.0));
  EXPECT_EQ(score.waves.main.played.size(), 1u);
  score.waves.main.documents.clear();
  EXPECT_FALSE(note->Play(1.0));
  EXPECT_EQ(score.waves.main.played.size(), 1u);
  EXPECT_TRUE(score.sink.messages.empty()) << "a failed play is silent";
}

namespace {
// Samples that vary from one to the next, loud enough that overlapping notes wrap past 16 bits.
Samples16 Varied(int32_t count, uint32_t seed) {
  Samples16 samples(static_cast<size_t>(count));
  for (int16_t& sample : samples) {
    seed = seed * 1103515245u + 12345u;
    sample = static_cast<int16_t>(seed >> 16);
  }
  return samples;
}

uint64_t Checksum(const Sound& sound) {
  uint64_t hash = 1469598103934665603u;
  for (const Wave* channel : {sound.GetLeftWave(), sound.GetRightWave()})
    for (int32_t i = 0; channel != nullptr && i < channel->values; ++i)
      hash = (hash ^ static_cast<uint16_t>(channel->wave[i])) * 1099511628211u;
  return hash;
}

// One stave per player kind and one whose chain holds three kinds, all playing the same notes:
// repeated pitches, a triplet, every articulation, a loop whose turns transpose.
struct EveryKindScore : ScoreBuilder {
  SampleWaves waves;
  std::vector<TNoteGroup*> groups;

  EveryKindScore() {
    waves.Add("short", Varied(700, 1));
    waves.Add("held", Varied(1500, 2)).SetSelRange(300, 900);
    // Recorded at another rate than the music: the mix converts it.
    auto sound = std::make_unique<MonoSound>(MakeWave(Varied(900, 3)), 16000, 2);
    waves.documents.push_back(std::make_unique<TUnitWave>("other rate", std::move(sound)));
    waves.main.documents["other rate"] = waves.documents.back().get();
    const unitTimePosMore recorded(1.0 / 440, kUnitHertz);
    using Set = std::function<void(TOnePlayer&)>;
    const std::vector<Set> kinds = {
        [&](TOnePlayer& p) { p.SetSimpleSampler({unitUnitWave("other rate"), recorded}); },
        [&](TOnePlayer& p) { p.SetRollOutSampler({unitUnitWave("held"), recorded}); },
        [&](TOnePlayer& p) { p.SetResonantSampler({unitUnitWave("held"), {0.1, kUnitPercent}}); },
        [&](TOnePlayer& p) { p.SetRepeatWaveForm({unitUnitWave("short")}); },
        [&](TOnePlayer& p) { p.SetRollOutWaveForm({unitUnitWave("short")}); },
    };
    // After the chain, a stave like the second but for its volume.
    for (size_t i = 0; i <= kinds.size() + 1; ++i) {
      TNoteStave* next = i == 0 ? stave : unit.AddDefaultStave(stave);
      TNoteGroup* noteGroup = next->GetStartNoteGroup();
      TCompoundPlayer* chain = noteGroup->GetCompoundPlayer();
      TOnePlayer* first = chain->GetStartOnePlayer();
      first->VolumeFactor().SetValue(0.3 + 0.1 * static_cast<double>(i));
      if (i != kinds.size()) {
        kinds[i % kinds.size()](*first);
      } else {
        kinds[0](*first);
        first->FreqUp().SetValue(3);
        for (const size_t k : {size_t{4}, size_t{2}}) {
          auto player =
              std::make_unique<TOnePlayer>(chain, unitVolumeFactor(0.6, kUnitPercent), unitFreq(0, kUnitHertz));
          kinds[k](*player);
          chain->InsertAfter(chain->GetStartOnePlayer(), std::move(player));
        }
      }
      groups.push_back(noteGroup);
      stave = next;
    }
    TSinglePartMuz* tune = Single();
    TSinglePartMuz* turned = Single();
    for (TNoteGroup* noteGroup : groups) {
      TNoteStave* on = noteGroup->GetNoteStave();
      const auto add = [&](TSinglePartMuz* single, int8_t kind, double position, int32_t pitch, uint8_t art,
                           int8_t multiOol = sool, int32_t posInOol = 0) {
        single->InsertSymbol(new TMuzNote(&unit, noteGroup, kind, 0, position, pitch, on, noteShiftNormal, multiOol,
                                          posInOol, art, single, drawStickAuto));
      };
      for (int q = 0; q < 4; ++q) add(tune, 4, q * 0.25, q % 2 == 0 ? 5 : 7, noteArtNormal);
      for (int t = 0; t < 3; ++t) add(tune, 8, 1.0 + t / 12.0, 5, noteArtNormal, triool, t);
      for (uint8_t art = noteArtNormal; art <= noteArtLegato; ++art) add(tune, 8, 1.25 + art * 0.125, 7, art);
      add(turned, 4, 0, 5, noteArtNormal);
      add(turned, 4, 0.25, 5, noteArtStaccato);
    }
    TSelectPartMuz* select = Select(turned, {1, 3});
    select->AddTurnItem(Turns(2), Semitones(7));
    Root(Concat(tune, Loop(3, select)));
    unit.GetTempo().SetValue(0.25);  // short notes: the score is about its variety, not its length
  }
};
}  // namespace

TEST(RenderMusic, EveryKindOfPlayerRendersTheSamplesItAlwaysHasWithOrWithoutReuse) {
  EveryKindScore score;
  struct Format { const char* name; waveFileProps props; uint64_t checksum; };
  for (const Format& f : {Format{"mono", {1, 22050, 2}, 4310446325447313815u},
                          Format{"stereo", {2, 11025, 2}, 4484723118838039931u}}) {
    score.unit.SetFormat(f.props, f.props);
    for (const bool reuse : {false, true}) {
      SCOPED_TRACE(testing::Message() << f.name << (reuse ? " reusing note sounds" : " making each anew"));
      SetRenderReusesNoteSounds(reuse);
      const SoundPtr music = score.unit.CreateWave();
      SetRenderReusesNoteSounds(true);
      ASSERT_NE(music, nullptr);
      EXPECT_EQ(Checksum(*music), f.checksum) << music->GetValues();
    }
  }
}

TEST(RenderMusic, UnderLimitedMemoryKeptNoteSoundsGiveWayAndTheMusicStaysTheSame) {
  Score score;
  score.waves.Add("sample", Varied(20000, 4));
  TSinglePartMuz* single = score.Single();
  for (int32_t pitch = 0; pitch < 16; ++pitch) score.Note(single, pitch / 16.0, 16, pitch);
  score.Root(single);
  SetRenderReusesNoteSounds(false);
  const SoundPtr anew = score.unit.CreateWave();
  SetRenderReusesNoteSounds(true);
  ASSERT_NE(anew, nullptr);
  // Room for the music and a few of its sounds, not for all 16 (20,000 samples each, about).
  const ScopedSampleBudget budget(SampleBytesInUse() + 2 * (anew->GetValues() + 4 * 20000));
  const SoundPtr reused = score.unit.CreateWave();
  ASSERT_NE(reused, nullptr) << score.sink.messages.size();
  EXPECT_EQ(Samples(reused->GetLeftWave()), Samples(anew->GetLeftWave()));
}
