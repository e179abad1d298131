#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_main_window.h"
#include "foundation/global.h"
#include "sound_helpers.h"
#include "support/recording_sink.h"

TEST(UnitWaveOps, GeneratorsInsertAtTheCursorOrReplaceTheSelectionAndSelectTheNewSamples) {
  FakeMainWindow main;
  for (const bool stereo : {false, true}) {
    Doc doc(stereo ? StereoOf(Sawtooth(100), Sawtooth(100, 3), 1000) : MonoOf(Sawtooth(100), 1000));
    doc.unitWave.SetCursor(40);
    TSilenceProps silence;
    silence.Length = unitTimePosMore{0.01, kUnitSeconds};  // 10 samples and the closing one
    doc.view.Clear();
    EXPECT_TRUE(doc.unitWave.MakeSilence(silence));
    EXPECT_EQ(doc.unitWave.GetValues(), 111);
    EXPECT_EQ(doc.Selection(), std::make_pair(40, 51));
    EXPECT_EQ(doc.view.calls.front(), "SaveZoom 40 40");
    EXPECT_EQ(doc.view.calls.back(), "Redraw");
    EXPECT_EQ(Slice(doc.Right(), 40, 51), std::vector<int16_t>(11, 0));
    EXPECT_EQ(doc.unitWave.GetProps().Silence.Length.GetValue(), 0.01);

    doc.unitWave.SetSelRange(0, 60);
    TLineProps line;  // 16383 down to -16384 in 0.1 s
    EXPECT_TRUE(doc.unitWave.MakeLine(line));
    EXPECT_EQ(doc.unitWave.GetValues(), 111 - 60 + 101);
    EXPECT_EQ(doc.Selection(), std::make_pair(0, 101));
    EXPECT_EQ(doc.Left().front(), 16383);
    EXPECT_EQ(doc.Left()[100], -16384);
  }
}

TEST(UnitWaveOps, SineGeneratorsRunTheRecordsOscillators) {
  FakeMainWindow main;
  bool abort = false;
  CreateSinusTable(abort);
  Doc doc(MonoOf({}, 44100));
  TSinusProps sine;  // 500 periods of 1 ms at half scale
  ASSERT_TRUE(doc.unitWave.MakeSinus(sine));
  EXPECT_EQ(doc.unitWave.GetValues(), 22050);
  const std::vector<int16_t> tone = doc.Left();
  EXPECT_NEAR(*std::max_element(tone.begin(), tone.end()), 16383, 2);

  // The rows are read from the first each time, also from the record the document keeps.
  doc.unitWave.SetCursor(0);
  TMFreqProps props;
  props.Length = unitTimePosMore{0.01, kUnitSeconds};
  ASSERT_TRUE(doc.unitWave.MakeMFreq(props));
  EXPECT_EQ(doc.Selection(), std::make_pair(0, 441));
  const std::vector<int16_t> oneRow = Slice(doc.Left(), 0, 441);
  EXPECT_NE(oneRow[5], 0);
  auto* row1 = new TMFreqBrowseRecord;
  auto* row2 = new TMFreqBrowseRecord;
  row2->Frequency = unitTimePosMore{0.0005, kUnitSeconds};
  row1->next = row2;
  row2->previous = row1;
  props.Rows.SetRecords(row1, 0);
  doc.unitWave.SetCursor(0);
  ASSERT_TRUE(doc.unitWave.MakeMFreq(props));
  const std::vector<int16_t> first = Slice(doc.Left(), 0, 441);
  EXPECT_NE(first, oneRow);
  doc.unitWave.SetCursor(0);
  ASSERT_TRUE(doc.unitWave.MakeMFreq(doc.unitWave.GetProps().MFreq));
  EXPECT_EQ(Slice(doc.Left(), 0, 441), first);
}

TEST(UnitWaveOps, EditsMoveStretchesBetweenTheSoundAndTheClipboard) {
  FakeMainWindow main;
  for (const bool stereo : {false, true}) {
    const std::vector<int16_t> all = Sawtooth(1000);
    Doc doc(stereo ? StereoOf(all, Sawtooth(1000, 5), 1000) : MonoOf(all, 1000));
    doc.unitWave.SetSelRange(100, 300);
    doc.view.Clear();
    EXPECT_TRUE(doc.unitWave.EditCopy());
    EXPECT_TRUE(doc.view.calls.empty());
    EXPECT_EQ(Samples(main.clipboard->GetLeftWave()), Slice(all, 100, 300));

    main.clipboard.reset();
    EXPECT_TRUE(doc.unitWave.EditExtract());
    EXPECT_EQ(doc.unitWave.GetValues(), 1000);
    EXPECT_EQ(Slice(doc.Right(), 100, 300), std::vector<int16_t>(200, 0));
    EXPECT_EQ(doc.Left()[99], all[99]);
    EXPECT_EQ(doc.Left()[300], all[300]);
    EXPECT_EQ(Samples(main.clipboard->GetLeftWave()), Slice(all, 100, 300));

    doc.unitWave.SetSelRange(500, 600);
    EXPECT_TRUE(doc.unitWave.EditCut());
    EXPECT_EQ(doc.unitWave.GetValues(), 900);
    EXPECT_EQ(doc.Selection(), std::make_pair(500, 500));
    EXPECT_EQ(Samples(main.clipboard->GetLeftWave()), Slice(all, 500, 600));

    doc.unitWave.SetSelRange(0, 10);  // exchanged for the 100 cut samples
    EXPECT_TRUE(doc.unitWave.EditSwap());
    EXPECT_EQ(doc.unitWave.GetValues(), 990);
    EXPECT_EQ(doc.Selection(), std::make_pair(0, 100));
    EXPECT_EQ(Slice(doc.Left(), 0, 100), Slice(all, 500, 600));
    EXPECT_EQ(Samples(main.clipboard->GetLeftWave()), Slice(all, 0, 10));

    doc.unitWave.SetSelRange(50, 150);
    EXPECT_TRUE(doc.unitWave.EditTrim());
    EXPECT_EQ(doc.unitWave.GetValues(), 100);
    EXPECT_EQ(doc.Selection(), std::make_pair(0, 100));

    doc.unitWave.SetCursor(30);
    EXPECT_TRUE(doc.unitWave.EditDelete());  // nothing selected: all of it
    EXPECT_EQ(doc.unitWave.GetValues(), 0);
    EXPECT_EQ(doc.Selection(), std::make_pair(0, 0));
  }
}

TEST(UnitWaveOps, PasteSelectsTheClipboardAtTheDocumentsRate) {
  FakeMainWindow main;
  main.clipboard = MonoOf(Sawtooth(11025), 11025);
  for (const bool stereo : {false, true}) {
    Doc doc(stereo ? StereoOf(Sawtooth(500), Sawtooth(500), 44100) : MonoOf(Sawtooth(500), 44100));
    doc.unitWave.SetCursor(100);
    EXPECT_TRUE(doc.unitWave.EditPaste());
    EXPECT_EQ(doc.Selection(), std::make_pair(100, 44200));
    EXPECT_EQ(doc.unitWave.GetValues(), 44600);
  }
}

TEST(UnitWaveOps, MixAddsTheClipboardWithoutMovingTheSelection) {
  FakeMainWindow main;
  main.clipboard = MonoOf({1000, 1000, 1000, 1000}, 1000);
  Doc doc(MonoOf(std::vector<int16_t>(10, 5), 1000));
  doc.unitWave.SetCursor(8);  // no selection: all of the clipboard, past the end
  EXPECT_TRUE(doc.unitWave.EditMix(TMixProps{0}));
  EXPECT_EQ(doc.Left(), (std::vector<int16_t>{5, 5, 5, 5, 5, 5, 5, 5, 1005, 1005, 1000, 1000}));
  EXPECT_EQ(doc.Selection(), std::make_pair(8, 8));

  doc.unitWave.SetSelRange(2, 4);  // the clipboard's last two samples, ending at 4
  EXPECT_TRUE(doc.unitWave.EditMix(TMixProps{1}));
  EXPECT_EQ(Slice(doc.Left(), 0, 5), (std::vector<int16_t>{5, 5, 1005, 1005, 5}));
  EXPECT_EQ(doc.Selection(), std::make_pair(2, 4));
}

TEST(UnitWaveOps, AbandonedCommandsKeepTheSoundObjectAndTheClipboard) {
  FakeMainWindow main;
  RecordingSink sink;
  for (const bool stereo : {false, true}) {
    Doc doc(stereo ? StereoOf(Sawtooth(300), Sawtooth(300), 1000) : MonoOf(Sawtooth(300), 1000));
    main.clipboard = MonoOf({1, 2, 3}, 1000);
    const Sound* clip = main.clipboard.get();
    doc.unitWave.SetSelRange(10, 200);
    const std::vector<std::pair<std::string, std::function<bool(TUnitWave&)>>> commands = {
        {"copy", [](TUnitWave& u) { return u.EditCopy(); }},
        {"cut", [](TUnitWave& u) { return u.EditCut(); }},
        {"swap", [](TUnitWave& u) { return u.EditSwap(); }},
        {"extract", [](TUnitWave& u) { return u.EditExtract(); }},
        {"reverse", [](TUnitWave& u) { return u.Reverse(); }},
        {"length", [](TUnitWave& u) { return u.Length(TLengthProps{}); }}};
    for (const auto& [name, command] : commands) {
      main.undo.Push(&doc.unitWave);
      const Sound* before = doc.unitWave.GetSound();
      ScopedSampleBudget budget(0);
      EXPECT_FALSE(command(doc.unitWave)) << name;
      EXPECT_TRUE(doc.unitWave.GetAbort()) << name;
      EXPECT_EQ(doc.unitWave.GetSound(), before) << name;
      EXPECT_EQ(main.clipboard.get(), clip) << name;
    }
    main.undo.Delete();  // the record shares the sound, which stays the document's
    EXPECT_EQ(doc.unitWave.GetValues(), 300);
  }
}

TEST(UnitWaveOps, SameLengthEffectsChangeOnlyTheEditStretch) {
  FakeMainWindow main;
  const std::vector<int16_t> all = Sawtooth(100);
  Doc doc(StereoOf(all, std::vector<int16_t>(100, 1000), 1000));
  doc.unitWave.SetSelRange(10, 20);
  TVolumeProps half;
  EXPECT_TRUE(doc.unitWave.Volume(half));
  EXPECT_EQ(doc.Right()[10], 500);
  EXPECT_EQ(doc.Right()[20], 1000);
  TUpProps up;
  up.AddValue.SetValue(-500);
  EXPECT_TRUE(doc.unitWave.Up(up));
  EXPECT_EQ(doc.Right()[19], 0);
  EXPECT_TRUE(doc.unitWave.Reverse());
  EXPECT_EQ(doc.Left()[10], all[19] / 2 - 500);
  EXPECT_TRUE(doc.unitWave.MaxVolume());
  EXPECT_EQ(doc.Selection(), std::make_pair(10, 20));
  EXPECT_EQ(doc.unitWave.GetValues(), 100);
  EXPECT_EQ(Slice(doc.Left(), 20, 100), Slice(all, 20, 100));

  TLeftRightProps swap;
  swap.Left2Left.SetValue(0);
  swap.Right2Right.SetValue(0);
  swap.Left2Right.SetValue(1);
  swap.Right2Left.SetValue(1);
  const std::vector<int16_t> left = doc.Left();
  EXPECT_TRUE(doc.unitWave.MixLeftRight(swap));
  EXPECT_EQ(Slice(doc.Right(), 10, 20), Slice(left, 10, 20));
}

TEST(UnitWaveOps, BalanceMakesAMonoSoundStereoOfItsFormatAndKeepsTheSelection) {
  FakeMainWindow main;
  Doc mono(MonoOf(Sawtooth(100), 1000, 1));
  mono.unitWave.SetSelRange(5, 9);
  TBalanceProps left;
  left.DirConstant.SetValue(-1);
  left.TimeDiff = false;
  EXPECT_TRUE(mono.unitWave.Balance(left));
  EXPECT_EQ(mono.unitWave.GetChannels(), 2);
  EXPECT_EQ(mono.unitWave.GetSamplesPerSec(), 1000u);
  EXPECT_EQ(mono.unitWave.GetBytesPerSample(), 1);
  EXPECT_EQ(mono.Left(), Sawtooth(100));
  EXPECT_EQ(mono.Right(), std::vector<int16_t>(100, 0));
  EXPECT_EQ(mono.Selection(), std::make_pair(5, 9));
}

TEST(UnitWaveOps, TimeEffectsMeasureNewLengthsAgainstTheChangedStretch) {
  FakeMainWindow main;
  for (const bool stereo : {false, true}) {
    Doc doc(stereo ? StereoOf(Sawtooth(4000), Sawtooth(4000), 1000) : MonoOf(Sawtooth(4000), 1000));
    doc.unitWave.SetSelRange(1000, 2000);
    TTempoPitchProps tempo;
    tempo.SelTime = 4;  // stale: the stretch is one second
    tempo.LengthKind = 1;
    tempo.LengthNew = unitTimePosMore{0.5, kUnitSeconds};
    EXPECT_TRUE(doc.unitWave.TempoPitch(tempo));
    EXPECT_EQ(doc.Selection(), std::make_pair(1000, 1500));
    EXPECT_EQ(doc.unitWave.GetValues(), 3500);

    TRollOutProps rollOut;
    rollOut.LengthKind = 1;
    rollOut.LengthNew = unitTimePosMore{1.0, kUnitSeconds};
    EXPECT_TRUE(doc.unitWave.RollOut(rollOut));
    EXPECT_EQ(doc.Selection(), std::make_pair(1000, 2000));

    TRollInProps rollIn;  // folds into 0.1 s blocks
    rollIn.Length = unitTimePosMore{0.1, kUnitSeconds};
    rollIn.StartAt.SetValue(0.13);
    const std::vector<int16_t> source = doc.Left();
    EXPECT_TRUE(doc.unitWave.RollIn(rollIn));
    EXPECT_EQ(doc.Selection(), std::make_pair(1000, 1100));
    EXPECT_EQ(doc.Left()[1030],
              static_cast<int16_t>(source[1000] + source[1100] + source[1200] + source[1300] + source[1400] +
                                   source[1500] + source[1600] + source[1700] + source[1800] + source[1900]));
  }
}

namespace {
// How far the samples jump from one to the next: a low pass makes it smaller.
int64_t Roughness(const Samples16& s, size_t from, size_t to) {
  int64_t sum = 0;
  for (size_t i = from + 1; i < to; ++i) sum += std::abs(s[i] - s[i - 1]);
  return sum;
}
}  // namespace

TEST(UnitWaveOps, FilterLowSmoothsOnlyTheStretchAndMaximizingEndsAtSeventyPercent) {
  FakeMainWindow main;
  const Samples16 all = Sawtooth(500, 611);
  for (const bool stereo : {false, true}) {
    SCOPED_TRACE(stereo);
    std::map<std::pair<int32_t, bool>, Samples16> filtered;
    for (const int32_t count : {1, 3}) {
      for (const bool maximize : {false, true}) {
        Doc doc(SoundOf(stereo, all, all, 44100));  // 1 ms is 44 samples
        doc.unitWave.SetSelRange(50, 400);
        THighLowProps low;
        low.Count.SetValue(count);
        low.MaximizeVolume = maximize;
        EXPECT_TRUE(doc.unitWave.FilterLow(low));
        EXPECT_EQ(doc.Right(), doc.Left());
        EXPECT_EQ(Slice(doc.Left(), 0, 50), Slice(all, 0, 50));
        EXPECT_EQ(Slice(doc.Left(), 400, 500), Slice(all, 400, 500));
        filtered[{count, maximize}] = doc.Left();
      }
    }
    const Samples16 once = filtered[{1, false}], thrice = filtered[{3, false}], loud = filtered[{3, true}];
    EXPECT_LT(Roughness(once, 50, 400), Roughness(all, 50, 400));
    EXPECT_LT(Roughness(thrice, 50, 400), Roughness(once, 50, 400));
    const auto peak = [](const Samples16& s) {
      int32_t p = 0;
      for (size_t i = 50; i < 400; ++i) p = std::max(p, std::abs(int32_t{s[i]}));
      return p;
    };
    EXPECT_LT(peak(thrice), 22000);
    EXPECT_NEAR(peak(loud), 22936, 1);  // 70 % of full scale after the last pass
    EXPECT_NEAR(peak(filtered[{1, true}]), 22936, 1);
  }
}

TEST(UnitWaveOps, SwappingTwiceGivesBothSoundsBackAndMixingAddsSampleBySample) {
  FakeMainWindow main;
  const Samples16 a = Sawtooth(300), b = Sawtooth(120, 13);
  for (const bool stereo : {false, true}) {
    SCOPED_TRACE(stereo);
    Doc doc(SoundOf(stereo, a, a, 1000));
    main.clipboard = MonoOf(b, 1000);
    doc.unitWave.SetSelRange(100, 200);
    EXPECT_TRUE(doc.unitWave.EditSwap());
    EXPECT_EQ(doc.unitWave.GetValues(), 320);
    EXPECT_EQ(doc.Selection(), std::make_pair(100, 220));
    EXPECT_EQ(Slice(doc.Right(), 100, 220), b);
    EXPECT_TRUE(doc.unitWave.EditSwap());
    EXPECT_EQ(doc.Left(), a);
    EXPECT_EQ(doc.Right(), a);
    EXPECT_EQ(Samples(main.clipboard->GetLeftWave()), b);

    // Silence changes nothing; the inverse of a stretch cancels it and nothing else.
    main.clipboard = MonoOf(Samples16(50, 0), 1000);
    doc.unitWave.SetCursor(10);
    EXPECT_TRUE(doc.unitWave.EditMix(TMixProps{0}));
    EXPECT_EQ(doc.Left(), a);
    Samples16 inverse = Slice(a, 250, 300);
    for (int16_t& sample : inverse) sample = static_cast<int16_t>(-sample);
    main.clipboard = MonoOf(inverse, 1000);
    doc.unitWave.SetCursor(250);
    EXPECT_TRUE(doc.unitWave.EditMix(TMixProps{0}));
    EXPECT_EQ(doc.unitWave.GetValues(), 300);
    EXPECT_EQ(Slice(doc.Right(), 250, 300), Samples16(50, 0));
    EXPECT_EQ(Slice(doc.Left(), 0, 250), Slice(a, 0, 250));
  }
}

TEST(UnitWaveOps, ResonatorsAndBlockFilterFollowTheirRecords) {
  FakeMainWindow main;
  const std::vector<int16_t> all = Sawtooth(400, 733);
  Doc doc(MonoOf(all, 1000));
  doc.unitWave.SetSelRange(100, 300);
  EXPECT_TRUE(doc.unitWave.FilterNotch(TResNotchProps{}));
  EXPECT_EQ(doc.unitWave.GetValues(), 400);
  EXPECT_NE(Slice(doc.Left(), 100, 300), Slice(all, 100, 300));
  EXPECT_EQ(Slice(doc.Left(), 300, 400), Slice(all, 300, 400));

  TBlockFilterProps block;  // 10 ms blocks leave a tail of 11 samples
  EXPECT_TRUE(doc.unitWave.FilterBlock(block));
  EXPECT_EQ(doc.Selection(), std::make_pair(100, 311));
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
  TLengthProps lengthOfEmpty;
  lengthOfEmpty.LengthKind = 2;
  lengthOfEmpty.LengthSameAs = unitUnitWave("empty");
  TRollOutProps speedFromEmpty;
  speedFromEmpty.SpeedEnvelopeUsed = true;
  speedFromEmpty.SpeedEnvelope = unitUnitWave("empty");
  THighLowProps fullFactor;
  fullFactor.VolumeFactor.SetValue(1);
  TResNotchProps widthFromMissing;
  widthFromMissing.WidthKind = 1;

  struct Case {
    const char* what;
    Doc* doc;
    int32_t begin, end;
    std::function<bool(TUnitWave&)> command;
  };
  const std::vector<Case> cases = {
      {"exponential line through 0", &mono, 10, 20, [&](TUnitWave& u) { return u.MakeLine(exponential); }},
      {"same length as an empty wave", &mono, 10, 20, [&](TUnitWave& u) { return u.MakeTriangle(sameAsEmpty); }},
      {"missing middle envelope", &mono, 10, 20, [&](TUnitWave& u) { return u.MakeBlock(middleFromMissing); }},
      {"start phase of a whole turn", &mono, 10, 20, [&](TUnitWave& u) { return u.MakeSinus(wholeTurn); }},
      {"empty volume envelope", &stereo, 10, 20, [&](TUnitWave& u) { return u.Volume(volumeFromEmpty); }},
      {"echo of one sample", &stereo, 10, 11, [](TUnitWave& u) { return u.PerEcho(TPerEchoProps{}); }},
      {"pitch envelope backwards", &mono, 10, 50, [&](TUnitWave& u) { return u.TempoPitch(backwards); }},
      {"length of an empty wave", &mono, 10, 50, [&](TUnitWave& u) { return u.Length(lengthOfEmpty); }},
      {"empty speed envelope", &stereo, 10, 50, [&](TUnitWave& u) { return u.RollOut(speedFromEmpty); }},
      {"filter factor of 100 %", &stereo, 10, 50, [&](TUnitWave& u) { return u.FilterHigh(fullFactor); }},
      {"missing width envelope", &mono, 10, 50, [&](TUnitWave& u) { return u.FilterRes(widthFromMissing); }},
      {"left and right of mono", &mono, 10, 50, [](TUnitWave& u) { return u.MixLeftRight(TLeftRightProps{}); }},
      {"balance of stereo", &stereo, 10, 50, [](TUnitWave& u) { return u.Balance(TBalanceProps{}); }},
      {"balance of nothing", &nothing, 0, 0, [](TUnitWave& u) { return u.Balance(TBalanceProps{}); }},
      {"stretch into nothing", &nothing, 0, 0, [](TUnitWave& u) { return u.EditMix(TMixProps{2}); }},
  };
  for (const Case& c : cases) {
    c.doc->unitWave.SetSelRange(c.begin, c.end);
    const Sound* before = c.doc->unitWave.GetSound();
    c.doc->view.Clear();
    EXPECT_FALSE(c.command(c.doc->unitWave)) << c.what;
    EXPECT_EQ(c.doc->unitWave.GetSound(), before) << c.what;
    EXPECT_EQ(c.doc->Selection(), std::make_pair(c.begin, c.end)) << c.what;
    EXPECT_TRUE(c.doc->view.calls.empty()) << c.what;  // not even repainted
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
