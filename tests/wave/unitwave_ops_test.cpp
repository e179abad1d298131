#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/fake_main_window.h"
#include "foundation/global.h"
#include "sound_helpers.h"
#include "support/recording_sink.h"

namespace {

// The document operations run once on a mono and once on a stereo document.
class UnitWaveOpsBoth : public testing::TestWithParam<bool> {
 protected:
  SoundPtr Of(const Samples16& left, const Samples16& right, int32_t rate = 1000) const {
    return SoundOf(GetParam(), left, right, rate);
  }
  FakeMainWindow main;
};
INSTANTIATE_TEST_SUITE_P(MonoAndStereo, UnitWaveOpsBoth, testing::Bool(), ChannelName);

// The sine table belongs to the process: a test that makes it takes it away again however it ends.
struct SinusTableInUse {
  SinusTableInUse() {
    bool abort = false;
    CreateSinusTable(abort);
  }
  ~SinusTableInUse() { DeleteSinusTable(); }
  SinusTableInUse(const SinusTableInUse&) = delete;
  SinusTableInUse& operator=(const SinusTableInUse&) = delete;
};

}  // namespace

TEST_P(UnitWaveOpsBoth, GeneratorsInsertAtTheCursorOrReplaceTheSelectionAndSelectTheNewSamples) {
  Doc doc(Of(Sawtooth(100), Sawtooth(100, 3)));
  doc.unitWave.SetCursor(40);
  TSilenceProps silence;
  silence.Length = unitTimePosMore{0.01, kUnitSeconds};  // 10 samples and the closing one
  doc.view.Clear();
  EXPECT_TRUE(doc.unitWave.MakeSilence(silence));
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection(), Slice(doc.Right(), 40, 51),
                       doc.unitWave.GetProps().Silence.Length.GetValue()),
            std::tuple(111, std::pair(40, 51), Samples16(11, 0), 0.01));
  EXPECT_EQ(doc.view.calls.front() + ", " + doc.view.calls.back(), "SaveZoom 40 40, Redraw");

  doc.unitWave.SetSelRange(0, 60);
  EXPECT_TRUE(doc.unitWave.MakeLine(TLineProps{}));  // 16383 down to -16384 in 0.1 s
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection()), std::tuple(111 - 60 + 101, std::pair(0, 101)));
  EXPECT_EQ(At(doc.Left(), {0, 100}), (Samples16{16383, -16384}));
}

TEST_P(UnitWaveOpsBoth, EditsMoveStretchesBetweenTheSoundAndTheClipboard) {
  const Samples16 all = Sawtooth(1000);
  Doc doc(Of(all, Sawtooth(1000, 5)));
  const auto clip = [this] { return Samples(main.clipboard->GetLeftWave()); };
  doc.unitWave.SetSelRange(100, 300);
  doc.view.Clear();
  EXPECT_TRUE(doc.unitWave.EditCopy() && doc.view.calls.empty());
  EXPECT_EQ(clip(), Slice(all, 100, 300));

  main.clipboard.reset();
  EXPECT_TRUE(doc.unitWave.EditExtract());
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), Slice(doc.Right(), 100, 300), At(doc.Left(), {99, 300}), clip()),
            std::tuple(1000, Samples16(200, 0), At(all, {99, 300}), Slice(all, 100, 300)));

  doc.unitWave.SetSelRange(500, 600);
  EXPECT_TRUE(doc.unitWave.EditCut());
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection(), clip()),
            std::tuple(900, std::pair(500, 500), Slice(all, 500, 600)));

  doc.unitWave.SetSelRange(0, 10);  // exchanged for the 100 cut samples
  EXPECT_TRUE(doc.unitWave.EditSwap());
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection(), clip()),
            std::tuple(990, std::pair(0, 100), Slice(all, 0, 10)));
  EXPECT_EQ(Slice(doc.Left(), 0, 100), Slice(all, 500, 600));

  doc.unitWave.SetSelRange(50, 150);
  EXPECT_TRUE(doc.unitWave.EditTrim());
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection()), std::tuple(100, std::pair(0, 100)));
  doc.unitWave.SetCursor(30);
  EXPECT_TRUE(doc.unitWave.EditDelete());  // nothing selected: all of it
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection()), std::tuple(0, std::pair(0, 0)));
}

TEST_P(UnitWaveOpsBoth, SwappingTwiceGivesBothSoundsBackAndTheInverseMixedInCancelsOnlyItsStretch) {
  const Samples16 a = Sawtooth(300), b = Sawtooth(120, 13);
  Doc doc(Of(a, a));
  main.clipboard = MonoOf(b, 1000);
  doc.unitWave.SetSelRange(100, 200);
  EXPECT_TRUE(doc.unitWave.EditSwap());
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection(), Slice(doc.Right(), 100, 220)),
            std::tuple(320, std::pair(100, 220), b));
  EXPECT_TRUE(doc.unitWave.EditSwap());
  EXPECT_EQ(std::tuple(doc.Left(), doc.Right(), Samples(main.clipboard->GetLeftWave())), std::tuple(a, a, b));

  Samples16 inverse = Slice(a, 250, 300);
  for (int16_t& sample : inverse) sample = static_cast<int16_t>(-sample);
  main.clipboard = MonoOf(inverse, 1000);
  doc.unitWave.SetCursor(250);
  EXPECT_TRUE(doc.unitWave.EditMix(TMixProps{0}));
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), Slice(doc.Right(), 250, 300), Slice(doc.Left(), 0, 250)),
            std::tuple(300, Samples16(50, 0), Slice(a, 0, 250)));
}

TEST_P(UnitWaveOpsBoth, PasteSelectsTheClipboardAtTheDocumentsRate) {
  main.clipboard = MonoOf(Sawtooth(11025), 11025);
  Doc doc(Of(Sawtooth(500), Sawtooth(500), 44100));
  doc.unitWave.SetCursor(100);
  EXPECT_TRUE(doc.unitWave.EditPaste());
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection()), std::tuple(44600, std::pair(100, 44200)));
}

TEST_P(UnitWaveOpsBoth, AbandonedCommandsKeepTheSoundObjectAndTheClipboard) {
  RecordingSink sink;
  Doc doc(Of(Sawtooth(300), Sawtooth(300)));
  main.clipboard = MonoOf({1, 2, 3}, 1000);
  const Sound* clip = main.clipboard.get();
  doc.unitWave.SetSelRange(10, 200);
  const std::vector<std::pair<std::string, std::function<bool(TUnitWave&)>>> commands = {
      {"copy", [](TUnitWave& u) { return u.EditCopy(); }},   {"cut", [](TUnitWave& u) { return u.EditCut(); }},
      {"swap", [](TUnitWave& u) { return u.EditSwap(); }},   {"extract", [](TUnitWave& u) { return u.EditExtract(); }},
      {"reverse", [](TUnitWave& u) { return u.Reverse(); }},
      {"length", [](TUnitWave& u) { return u.Length(TLengthProps{}); }}};
  for (const auto& [name, command] : commands) {
    SCOPED_TRACE(name);
    main.undo.Push(&doc.unitWave);
    const Sound* before = doc.unitWave.GetSound();
    ScopedSampleBudget budget(0);
    EXPECT_FALSE(command(doc.unitWave));
    EXPECT_EQ(std::tuple(doc.unitWave.GetAbort(), doc.unitWave.GetSound(), main.clipboard.get()),
              std::tuple(true, before, clip));
  }
  main.undo.Delete();  // the record shares the sound, which stays the document's
  EXPECT_EQ(doc.unitWave.GetValues(), 300);
}

TEST_P(UnitWaveOpsBoth, TimeEffectsMeasureNewLengthsAgainstTheChangedStretch) {
  Doc doc(Of(Sawtooth(4000), Sawtooth(4000)));
  doc.unitWave.SetSelRange(1000, 2000);
  TTempoPitchProps tempo;
  tempo.SelTime = 4;  // stale: the stretch is one second
  tempo.LengthKind = 1;
  tempo.LengthNew = unitTimePosMore{0.5, kUnitSeconds};
  EXPECT_TRUE(doc.unitWave.TempoPitch(tempo));
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection()), std::tuple(3500, std::pair(1000, 1500)));

  TRollOutProps rollOut;
  rollOut.LengthKind = 1;
  rollOut.LengthNew = unitTimePosMore{1.0, kUnitSeconds};
  EXPECT_TRUE(doc.unitWave.RollOut(rollOut));
  EXPECT_EQ(doc.Selection(), std::pair(1000, 2000));

  TRollInProps rollIn;  // folds into 0.1 s blocks
  rollIn.Length = unitTimePosMore{0.1, kUnitSeconds};
  rollIn.StartAt.SetValue(0.13);
  const Samples16 source = doc.Left();
  EXPECT_TRUE(doc.unitWave.RollIn(rollIn));
  EXPECT_EQ(doc.Selection(), std::pair(1000, 1100));
  int32_t folded = 0;
  for (size_t block = 1000; block < 2000; block += 100) folded += source[block];
  EXPECT_EQ(doc.Left()[1030], static_cast<int16_t>(folded));
  rollOut.LengthNew = unitTimePosMore{0.05, kUnitSeconds};  // shorter than the stretch
  EXPECT_TRUE(doc.unitWave.RollOut(rollOut));
  EXPECT_EQ(doc.Selection(), std::pair(1000, 1050));
}

TEST_P(UnitWaveOpsBoth, FilterLowSmoothsOnlyTheStretchMoreWithMorePasses) {
  const Samples16 all = Sawtooth(500, 611);
  const auto roughness = [](const Samples16& s) {
    int64_t sum = 0;
    for (size_t i = 51; i < 400; ++i) sum += std::abs(s[i] - s[i - 1]);
    return sum;
  };
  std::vector<int64_t> rough = {roughness(all)};
  for (const int32_t count : {1, 3}) {
    Doc doc(Of(all, all, 44100));  // 1 ms is 44 samples
    doc.unitWave.SetSelRange(50, 400);
    THighLowProps low;
    low.Count.SetValue(count);
    EXPECT_TRUE(doc.unitWave.FilterLow(low));
    EXPECT_EQ(std::tuple(doc.Right(), Slice(doc.Left(), 0, 50), Slice(doc.Left(), 400, 500)),
              std::tuple(doc.Left(), Slice(all, 0, 50), Slice(all, 400, 500)));
    rough.push_back(roughness(doc.Left()));
  }
  EXPECT_TRUE(rough[0] > rough[1] && rough[1] > rough[2]);

  // With the volume kept up, each of the count rounds runs all the stages in one pass between two
  // maximizations to 70 %. The samples follow those steps worked out by hand from the sawtooth.
  struct Case { int32_t count; Samples16 expected; };
  const Case cases[] = {
      {2, {1617, 6192, 5066, 12214, 2011, -1600}},
      {3, {617, 2816, 11915, 13821, -2771, -1600}},
  };
  for (const Case& c : cases) {
    THighLowProps maxed;
    maxed.Count.SetValue(c.count);
    maxed.MaximizeVolume = true;
    Doc doc(Of(all, all, 44100));
    doc.unitWave.SetSelRange(50, 400);
    EXPECT_TRUE(doc.unitWave.FilterLow(maxed));
    EXPECT_EQ(std::tuple(At(doc.Left(), {50, 51, 60, 100, 399, 400}), doc.Right()),
              std::tuple(c.expected, doc.Left()))
        << c.count;
  }
}

TEST(UnitWaveOps, SineGeneratorsRunTheRecordsOscillators) {
  FakeMainWindow main;
  const SinusTableInUse table;
  Doc doc(MonoOf({}, 44100));
  ASSERT_TRUE(doc.unitWave.MakeSinus(TSinusProps{}));  // 500 periods of 1 ms at half scale
  const Samples16 tone = doc.Left();
  ASSERT_EQ(tone.size(), 22050u);
  EXPECT_NEAR(*std::max_element(tone.begin(), tone.end()), 16383, 2);

  // The rows are read from the first each time, also from the record the document keeps.
  doc.unitWave.SetCursor(0);
  TMFreqProps props;
  props.Length = unitTimePosMore{0.01, kUnitSeconds};
  ASSERT_TRUE(doc.unitWave.MakeMFreq(props));
  EXPECT_EQ(doc.Selection(), std::make_pair(0, 441));
  const Samples16 oneRow = Slice(doc.Left(), 0, 441);
  EXPECT_NE(oneRow[5], 0);
  auto* row1 = new TMFreqBrowseRecord;
  auto* row2 = new TMFreqBrowseRecord;
  row2->Frequency = unitTimePosMore{0.0005, kUnitSeconds};
  row1->next = row2;
  row2->previous = row1;
  props.Rows.SetRecords(row1, 0);
  doc.unitWave.SetCursor(0);
  ASSERT_TRUE(doc.unitWave.MakeMFreq(props));
  const Samples16 first = Slice(doc.Left(), 0, 441);
  EXPECT_NE(first, oneRow);
  doc.unitWave.SetCursor(0);
  ASSERT_TRUE(doc.unitWave.MakeMFreq(doc.unitWave.GetProps().MFreq));
  EXPECT_EQ(Slice(doc.Left(), 0, 441), first);
}

TEST(UnitWaveOps, MixAddsTheClipboardWithoutMovingTheSelection) {
  FakeMainWindow main;
  main.clipboard = MonoOf({1000, 1000, 1000, 1000}, 1000);
  Doc doc(MonoOf(Samples16(10, 5), 1000));
  doc.unitWave.SetCursor(8);  // no selection: all of the clipboard, past the end
  EXPECT_TRUE(doc.unitWave.EditMix(TMixProps{0}));
  EXPECT_EQ(std::pair(doc.Left(), doc.Selection()),
            std::pair(Samples16{5, 5, 5, 5, 5, 5, 5, 5, 1005, 1005, 1000, 1000}, std::pair(8, 8)));
  doc.unitWave.SetSelRange(2, 4);  // the clipboard's last two samples, ending at 4
  EXPECT_TRUE(doc.unitWave.EditMix(TMixProps{1}));
  EXPECT_EQ(std::pair(Slice(doc.Left(), 0, 5), doc.Selection()),
            std::pair(Samples16{5, 5, 1005, 1005, 5}, std::pair(2, 4)));
  doc.unitWave.SetSelRange(6, 9);  // stretched over the selection
  EXPECT_TRUE(doc.unitWave.EditMix(TMixProps{2}));
  EXPECT_EQ(Slice(doc.Left(), 5, 10), (Samples16{5, 1005, 1005, 2005, 1005}));
  Doc one(MonoOf({5}, 1000));  // its only sample selected: the clipboard's first sample
  one.unitWave.SetSelRange(0, 1);
  EXPECT_TRUE(one.unitWave.EditMix(TMixProps{0}));
  EXPECT_EQ(one.Left(), Samples16{1005});
}

TEST(UnitWaveOps, SameLengthEffectsChangeOnlyTheEditStretch) {
  FakeMainWindow main;
  const Samples16 all = Sawtooth(100);
  Doc doc(StereoOf(all, Samples16(100, 1000), 1000));
  doc.unitWave.SetSelRange(10, 20);
  EXPECT_TRUE(doc.unitWave.Volume(TVolumeProps{}));  // half
  EXPECT_EQ(At(doc.Right(), {10, 20}), (Samples16{500, 1000}));
  TUpProps up;
  up.AddValue.SetValue(-500);
  EXPECT_TRUE(doc.unitWave.Up(up));
  EXPECT_EQ(doc.Right()[19], 0);
  EXPECT_TRUE(doc.unitWave.Reverse());
  EXPECT_EQ(doc.Left()[10], all[19] / 2 - 500);
  EXPECT_TRUE(doc.unitWave.MaxVolume());
  EXPECT_EQ(std::tuple(doc.Selection(), doc.unitWave.GetValues(), Slice(doc.Left(), 20, 100)),
            std::tuple(std::pair(10, 20), 100, Slice(all, 20, 100)));
}

TEST(UnitWaveOps, BalanceMakesAMonoSoundStereoOfItsFormatAndKeepsTheSelection) {
  FakeMainWindow main;
  Doc mono(MonoOf(Sawtooth(100), 1000, 1));
  mono.unitWave.SetSelRange(5, 9);
  TBalanceProps left;
  left.DirConstant.SetValue(-1);
  left.TimeDiff = false;
  EXPECT_TRUE(mono.unitWave.Balance(left));
  const TUnitWave& stereo = mono.unitWave;
  EXPECT_EQ(std::tuple(stereo.GetChannels(), stereo.GetSamplesPerSec(), stereo.GetBytesPerSample()),
            std::tuple(2, 1000u, 1));
  EXPECT_EQ(std::tuple(mono.Left(), mono.Right(), mono.Selection()),
            std::tuple(Sawtooth(100), Samples16(100, 0), std::pair(5, 9)));

  TUnitWave right("r.wav", MonoOf({32767}, 1000));  // the direction from a document: full right
  main.documents["right"] = &right;
  Doc other(MonoOf(Sawtooth(100), 1000, 1));
  TBalanceProps byEnvelope = left;
  byEnvelope.DirKind = 1;
  byEnvelope.DirEnvelope = unitUnitWave("right");
  EXPECT_TRUE(other.unitWave.Balance(byEnvelope));
  EXPECT_EQ(other.Left(), Samples16(100, 0));
  EXPECT_NE(other.Right(), Samples16(100, 0));
}

TEST(UnitWaveOps, ResonatorsAndBlockFilterFollowTheirRecords) {
  FakeMainWindow main;
  const Samples16 all = Sawtooth(400, 733);
  Doc doc(MonoOf(all, 1000));
  doc.unitWave.SetSelRange(100, 300);
  EXPECT_TRUE(doc.unitWave.FilterNotch(TResNotchProps{}));
  EXPECT_EQ(std::pair(doc.unitWave.GetValues(), Slice(doc.Left(), 300, 400)), std::pair(400, Slice(all, 300, 400)));
  EXPECT_NE(Slice(doc.Left(), 100, 300), Slice(all, 100, 300));

  TBlockFilterProps block;  // 10 ms blocks leave a tail of 11 samples
  EXPECT_TRUE(doc.unitWave.FilterBlock(block));
  EXPECT_EQ(doc.Selection(), std::make_pair(100, 311));
}

TEST(UnitWaveOps, OneHeadFollowsAPitchEnvelopeAtABackwardSpeed) {
  FakeMainWindow main;
  TUnitWave envelope("env.wav", MonoOf({32767}, 1000));  // pitch factor 1 throughout
  main.documents["env"] = &envelope;
  const Samples16 all = Sawtooth(100, 13);
  Doc doc(MonoOf(all, 1000));
  doc.unitWave.SetSelRange(10, 50);
  TTempoPitchProps backwards;
  backwards.FreqFactor.SetValue(1);
  backwards.FreqEnvelopeUsed = true;
  backwards.FreqEnvelope = unitUnitWave("env");
  backwards.SpeedFactor.SetValue(-1);
  backwards.LengthFactor.SetValue(1);
  backwards.BlockSize.SetValue(0.004);
  ASSERT_TRUE(doc.unitWave.TempoPitch(backwards));
  // Blocks of 4 samples each play forwards; each block starts 4 samples before the last one,
  // wrapping from the start of the selection round to its end.
  Samples16 expected = Slice(all, 10, 14);
  for (int32_t start = 46; start >= 14; start -= 4) {
    const Samples16 block = Slice(all, start, start + 4);
    expected.insert(expected.end(), block.begin(), block.end());
  }
  EXPECT_EQ(std::tuple(doc.unitWave.GetValues(), doc.Selection(), Slice(doc.Left(), 10, 50)),
            std::tuple(100, std::pair(10, 50), expected));
}

TEST(UnitWaveOps, ValuesNoSoundOperationCanTakeLeaveTheDocumentAsItWas) {
  FakeMainWindow main;
  main.clipboard = MonoOf({1, 2}, 1000);
  TUnitWave empty("e.wav", MonoOf({}, 1000));
  TUnitWave envelope("env.wav", MonoOf({100, 200}, 1000));
  main.documents["empty"] = &empty;
  main.documents["env"] = &envelope;
  Doc mono(MonoOf(Sawtooth(100), 1000));
  Doc stereo(StereoOf(Sawtooth(100), Sawtooth(100), 1000));
  Doc nothing(MonoOf({}, 1000));

  TLineProps exponential;
  exponential.Kind = 1;  // the default ends lie on both sides of 0
  TBlockTriangleProps sameAsEmpty;
  sameAsEmpty.LengthKind = 1;
  sameAsEmpty.LengthSameAs = unitUnitWave("empty");
  TBlockTriangleProps middleFromMissing;
  middleFromMissing.MiddleKind = 1;
  middleFromMissing.MiddleEnvelope = unitUnitWave("gone");
  TSinusProps wholeTurn;
  wholeTurn.StartPhase.SetValue(1);
  TVolumeProps volumeFromEmpty;
  volumeFromEmpty.Mode = 1;
  volumeFromEmpty.Envelope = unitUnitWave("empty");
  TTempoPitchProps backwards;
  backwards.FreqEnvelopeUsed = true;
  backwards.FreqEnvelope = unitUnitWave("env");
  backwards.SpeedFactor.SetValue(-1);
  backwards.Quality = 1;
  TLengthProps lengthOfEmpty;
  lengthOfEmpty.LengthKind = 2;
  lengthOfEmpty.LengthSameAs = unitUnitWave("empty");
  THighLowProps fullFactor;
  fullFactor.VolumeFactor.SetValue(1);
  TPerEchoProps lostVolumes;
  lostVolumes.VolumeKind = 1;
  lostVolumes.VolumeEnvelope = unitUnitWave("gone");
  TResNotchProps wideNotch;
  wideNotch.WidthConstant.SetValue(1.5);

  struct Case { const char* what; Doc* doc; int32_t begin, end; std::function<bool(TUnitWave&)> command; };
  const std::vector<Case> cases = {
      {"exponential line through 0", &mono, 10, 20, [&](TUnitWave& u) { return u.MakeLine(exponential); }},
      {"same length as an empty wave", &mono, 10, 20, [&](TUnitWave& u) { return u.MakeTriangle(sameAsEmpty); }},
      {"missing middle envelope", &mono, 10, 20, [&](TUnitWave& u) { return u.MakeBlock(middleFromMissing); }},
      {"start phase of a whole turn", &mono, 10, 20, [&](TUnitWave& u) { return u.MakeSinus(wholeTurn); }},
      {"empty volume envelope", &stereo, 10, 20, [&](TUnitWave& u) { return u.Volume(volumeFromEmpty); }},
      {"echo of one sample", &stereo, 10, 11, [](TUnitWave& u) { return u.PerEcho(TPerEchoProps{}); }},
      {"echo from a missing envelope", &stereo, 10, 50, [&](TUnitWave& u) { return u.PerEcho(lostVolumes); }},
      {"pitch envelope backwards, two heads", &mono, 10, 50, [&](TUnitWave& u) { return u.TempoPitch(backwards); }},
      {"length of an empty wave", &mono, 10, 50, [&](TUnitWave& u) { return u.Length(lengthOfEmpty); }},
      {"filter factor of 100 %", &stereo, 10, 50, [&](TUnitWave& u) { return u.FilterHigh(fullFactor); }},
      {"notch wider than 100 %", &stereo, 10, 50, [&](TUnitWave& u) { return u.FilterNotch(wideNotch); }},
      {"left and right of mono", &mono, 10, 50, [](TUnitWave& u) { return u.MixLeftRight(TLeftRightProps{}); }},
      {"balance of stereo", &stereo, 10, 50, [](TUnitWave& u) { return u.Balance(TBalanceProps{}); }},
      {"balance of nothing", &nothing, 0, 0, [](TUnitWave& u) { return u.Balance(TBalanceProps{}); }},
      {"stretch into nothing", &nothing, 0, 0, [](TUnitWave& u) { return u.EditMix(TMixProps{2}); }},
  };
  for (const Case& c : cases) {
    c.doc->unitWave.SetSelRange(c.begin, c.end);
    const Sound* before = c.doc->unitWave.GetSound();
    c.doc->view.Clear();
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(c.command(c.doc->unitWave));
    EXPECT_EQ(std::tuple(c.doc->unitWave.GetSound(), c.doc->Selection(), c.doc->view.calls.empty()),
              std::tuple(before, std::make_pair(c.begin, c.end), true));  // not even repainted
  }
  // The values are kept for the next dialog all the same, and usable ones run.
  EXPECT_EQ(mono.unitWave.GetProps().Line.Kind, 1);
  exponential.EndValue.SetValue(100);
  EXPECT_TRUE(mono.unitWave.MakeLine(exponential));
  backwards.SpeedFactor.SetValue(1);
  EXPECT_TRUE(mono.unitWave.TempoPitch(backwards));
  main.clipboard.reset();
  EXPECT_FALSE(mono.unitWave.EditPaste());
}
