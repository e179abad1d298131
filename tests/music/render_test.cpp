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
