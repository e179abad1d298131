#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "fakes/sample_waves.h"
#include "foundation/global.h"
#include "music/render.h"
#include "score_builder.h"
#include "support/recording_sink.h"

namespace {

// A score whose notes sound the sample as recorded: pitch a at 440 Hz, the sampler at 440 Hz.
struct Score : ScoreBuilder {
  SampleWaves waves;
  RecordingSink sink;
  explicit Score(int32_t sampleCount = 100) {
    waves.Add("sample", Marked(sampleCount));
    group->GetCompoundPlayer()->GetStartOnePlayer()->SetSimpleSampler(
        {unitUnitWave("sample"), unitTimePosMore(1.0 / 440, kUnitHertz)});
  }
  TSinglePartMuz* Quarters(std::initializer_list<double> positions) {
    TSinglePartMuz* single = Single();
    for (const double position : positions) Note(single, position, 4, 5);
    return single;
  }
  TMuzNote* TupletNote(TSinglePartMuz* single, int8_t multiOol, int32_t posInOol) {
    auto* note = new TMuzNote(&unit, group, 4, 0, 0, 5, stave, noteShiftNormal, multiOol, posInOol, noteArtNormal,
                              single, drawStickAuto);
    single->InsertSymbol(note);
    return note;
  }
  TSelectPartMuz* Select(TPartMuz* child, std::initializer_list<std::pair<int32_t, int32_t>> turns) {
    auto* select = new TSelectPartMuz(child, &unit);
    for (auto [turn, pitch] : turns) select->AddTurnItem(Turns(turn), Semitones(pitch));
    return select;
  }
};

std::vector<double> MarkerSeconds(const Sound& music) {
  std::vector<double> seconds;
  for (const int32_t at : MarkersIn(music.GetLeftWave(), 4000)) seconds.push_back(double(at) / kSampleRate);
  return seconds;
}

}  // namespace

TEST(RenderMusic, NotesSoundAtTheirTimesThroughLoopsConcatenationsAndTuplets) {
  struct Case {
    const char* name;
    std::function<TPartMuz*(Score&)> tree;
    std::vector<double> seconds;
  };
  const Case cases[] = {
      {"the second turn of a loop follows a part of length 1 exactly 1 s later",
       [](Score& s) { return new TLoopPartMuz(Turns(2), s.Quarters({0, 0.25, 0.5, 0.75}), &s.unit); },
       {0, 0.25, 0.5, 0.75, 1, 1.25, 1.5, 1.75}},
      {"triplet members start at 0, 1/12 and 2/12",
       [](Score& s) {
         TSinglePartMuz* single = s.Single();
         for (int32_t k = 0; k < 3; ++k) s.TupletNote(single, triool, k);
         return single;
       },
       {0, 1 / 12.0, 2 / 12.0}},
      {"an invisible part between two takes no time",
       [](Score& s) {
         TSinglePartMuz* hidden = s.Quarters({0, 0.25});
         hidden->SetVisibleFlag(false);
         return new TConcatPartMuz(s.Quarters({0}), new TConcatPartMuz(hidden, s.Quarters({0}), &s.unit), &s.unit);
       },
       {0, 0.25}},
      {"turn 3 without an item is skipped and the music after it follows without a pause",
       [](Score& s) {
         auto* loop = new TLoopPartMuz(Turns(3), s.Select(s.Quarters({0}), {{1, 0}, {2, 0}}), &s.unit);
         return new TConcatPartMuz(loop, s.Quarters({0}), &s.unit);
       },
       {0, 0.25, 0.5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Score score;
    score.Root(c.tree(score));
    const SoundPtr music = score.unit.CreateWave();
    ASSERT_NE(music, nullptr);
    const std::vector<double> seconds = MarkerSeconds(*music);
    ASSERT_EQ(seconds.size(), c.seconds.size());
    for (size_t i = 0; i < seconds.size(); ++i) EXPECT_NEAR(seconds[i], c.seconds[i], 1.0 / kSampleRate) << i;
    EXPECT_TRUE(score.sink.messages.empty());
  }
}

TEST(RenderMusic, SelectTurnsTransposeTheirNotes) {
  // A 1 s sample: a note's sound ends 1 s after it, 0.5 s an octave up, 0.25 s two octaves up.
  struct Case {
    const char* name;
    std::function<TPartMuz*(Score&)> tree;
    double end, runningTime;
  };
  const Case cases[] = {
      {"turn 1 as written, turn 2 an octave up, turn 3 silent and timeless",
       [](Score& s) { return new TLoopPartMuz(Turns(3), s.Select(s.Quarters({0}), {{1, 0}, {2, 12}}), &s.unit); },
       1.0, 0.5},
      {"nested select parts add their pitches",
       [](Score& s) { return s.Select(s.Select(s.Quarters({0}), {{1, 12}}), {{1, 12}}); }, 0.25, 0.25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Score score(kSampleRate);
    TPartMuz* root = score.Root(c.tree(score));
    double leadIn = 0, end = 0, runningTime = 0;
    std::string error;
    ASSERT_TRUE(root->GetSoundOffsets(leadIn, end, runningTime, error, nullptr, nullptr, score.unit.GetTempo(), 0));
    EXPECT_NEAR(end, c.end, 1e-6);
    EXPECT_DOUBLE_EQ(runningTime, c.runningTime);
    EXPECT_EQ(leadIn, 0);
  }
}

TEST(RenderMusic, DocumentAnswersASoundOfItsFormatOrNullWithTheMessage) {
  const std::string cannot = rendertext::kCannotCreateMusic;
  struct Case {
    const char* name;
    std::function<SoundPtr(Score&)> render;
    int32_t values;  // -1: null expected
    std::string message;
  };
  const Case cases[] = {
      {"no notes: an empty sound", [](Score& s) { return s.unit.CreateWave(); }, 0, ""},
      {"a muted stave is left out of the whole music",
       [](Score& s) {
         s.Root(s.Quarters({0}));
         s.stave->SetMute(true);
         return s.unit.CreateWave();
       },
       0, ""},
      {"but sounds when its note group is rendered",
       [](Score& s) {
         s.Root(s.Quarters({0}));
         s.stave->SetMute(true);
         return s.unit.CreateWaveNoteGroup(s.group);
       },
       101, ""},
      {"a file's huge loop around a part without notes is not walked turn by turn",
       [](Score& s) {
         s.Root(new TLoopPartMuz(Turns(2147483647), s.Single(), &s.unit));
         return s.unit.CreateWave();
       },
       0, ""},
      {"a missing sample wave",
       [](Score& s) {
         s.Root(s.Quarters({0}));
         s.waves.main.documents.clear();
         return s.unit.CreateWave();
       },
       -1, cannot + "Cannot find window \"sample\"."},
      {"a tempo from a file that no sound could hold",
       [](Score& s) {
         s.Root(new TLoopPartMuz(Turns(1000), s.Quarters({0}), &s.unit));
         s.unit.GetTempo().SetValue(1e6);
         return s.unit.CreateWave();
       },
       -1, cannot + rendertext::kMusicTooLong},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Score score;
    const SoundPtr music = c.render(score);
    ASSERT_EQ(music == nullptr, c.values < 0);
    if (music != nullptr) {
      EXPECT_EQ(music->GetValues(), c.values);
      EXPECT_EQ(music->MoSt, 1);
      EXPECT_EQ(music->Freq, 22050);
    }
    const std::vector<RecordedMessage> expected = c.message.empty()
        ? std::vector<RecordedMessage>{}
        : std::vector<RecordedMessage>{{c.message, "Error", kMbOk | kMbIconInformation}};
    EXPECT_EQ(score.sink.messages, expected);
  }
}

TEST(RenderMusic, StereoDocumentGivesAStereoSound) {
  Score score;
  score.Root(score.Quarters({0, 0.25}));
  score.unit.SetFormat(waveFileProps(1, 22050, 2), waveFileProps(2, 11025, 1));
  const SoundPtr music = score.unit.CreateWave();
  const auto* stereo = dynamic_cast<const StereoSound*>(music.get());
  ASSERT_NE(stereo, nullptr);
  EXPECT_EQ(stereo->Freq, 11025);
  EXPECT_EQ(stereo->BytesPerSample, 1);
  EXPECT_EQ(stereo->GetLeft()->values, stereo->GetRight()->values);
  EXPECT_EQ(MarkersIn(stereo->GetRight(), 4000), (std::vector<int32_t>{0, 2756}));
}

TEST(RenderMusic, AllocationFailingMidRenderGivesNullTheMessageAndNoLeak) {
  Score score(4000);
  score.Root(score.Quarters({0, 0.25, 0.5}));
  const int64_t before = SampleBytesInUse();
  // Room for the silence of the whole music (0.5 s + the sample, one channel) but not the notes.
  const ScopedSampleBudget budget(before + 2 * (kSampleRate / 2 + 4000 + 1));
  EXPECT_EQ(score.unit.CreateWave(), nullptr);
  ASSERT_FALSE(score.sink.messages.empty());
  EXPECT_EQ(score.sink.messages.back().text, std::string(rendertext::kCannotCreateMusic) + msgtext::kNoMemory);
  EXPECT_EQ(SampleBytesInUse(), before);
}

TEST(NoteSound, PlayingANoteAloneAndAfterAnEdit) {
  Score score;
  TMuzNote* note = score.Note(score.Single(), 0, 4, 5);
  score.Root(note->GetSinglePartMuz());
  EXPECT_TRUE(note->PlayPreview(1.0));
  ASSERT_EQ(score.waves.main.played.size(), 1u);
  TMuzNote loose(nullptr, score.group, 4, 0, 0, 5, score.stave, noteShiftNormal, sool, 0, noteArtNormal, nullptr,
                 drawStickAuto);
  EXPECT_TRUE(loose.PlayPreview(1.0)) << "a note outside a document is never previewed";
  score.waves.main.documents.clear();
  EXPECT_FALSE(note->Play(1.0));
  EXPECT_EQ(score.waves.main.played.size(), 1u);
  EXPECT_TRUE(score.sink.messages.empty()) << "a failed play is silent";
  // Transposition divides the period by 2^(1/12) per semitone.
  bool ok = true;
  std::string error;
  score.waves.Add("sample", Marked(kSampleRate));
  EXPECT_NEAR(note->GetEndOffset(12, 1.0, ok, error), 0.5, 1e-6);
  EXPECT_NEAR(note->GetEndOffset(-12, 1.0, ok, error), 2.0, 1e-6);
}
