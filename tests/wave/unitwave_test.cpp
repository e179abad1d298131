#include "wave/unitwave.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "fakes/fake_main_window.h"
#include "fakes/recording_view.h"
#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/writers.h"
#include "sound_helpers.h"
#include "support/recording_sink.h"
#include "wave/wavefile.h"

namespace {

using Stripe = RecordingView::Stripe;

std::vector<int16_t> Ramp(int32_t n) {
  std::vector<int16_t> samples(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) samples[static_cast<size_t>(i)] = static_cast<int16_t>(i % 3000);
  return samples;
}

SoundPtr MonoOf(int32_t n, int32_t rate = 44100, uint16_t bytes = 2) {
  return std::make_unique<MonoSound>(MakeWave(Ramp(n)), rate, bytes);
}

// A document of n mono samples shown in a recording window.
struct Shown {
  explicit Shown(int32_t n, int32_t rate = 44100) : unitWave("a.wav", MonoOf(n, rate)) { unitWave.SetView(&view); }
  RecordingView view;
  TUnitWave unitWave;
};

}  // namespace

TEST(UnitWave, SelectionChangesRepaintOnlyTheStripesWhoseStateChanged) {
  FakeMainWindow main;
  Shown doc(1000);
  doc.unitWave.SetSelRange(100, 500);
  doc.view.Clear();
  doc.unitWave.SetSelRange(200, 500);
  EXPECT_EQ(doc.view.stripes, (std::vector<Stripe>{{100, 200, false}}));
  doc.view.Clear();
  doc.unitWave.SetSelRange(50, 700);
  EXPECT_EQ(doc.view.stripes, (std::vector<Stripe>{{50, 200, true}, {500, 700, true}}));
  doc.view.Clear();
  doc.unitWave.SetSelRange(300, 400);
  EXPECT_EQ(doc.view.stripes, (std::vector<Stripe>{{50, 300, false}, {400, 700, false}}));
  EXPECT_EQ(main.notified.size(), 4u);
  EXPECT_EQ(main.notified.back(), &doc.view);

  // A cursor that moves repaints no stripe, only the column it left.
  doc.unitWave.SetCursor(10);
  doc.view.Clear();
  doc.unitWave.SetCursor(60);
  EXPECT_TRUE(doc.view.stripes.empty());
  EXPECT_EQ(doc.view.columns, std::vector<int32_t>{10});
}

TEST(UnitWave, SelectionEndsAreClampedAndKeepTheirSides) {
  FakeMainWindow main;
  Shown doc(1000);
  EXPECT_EQ(doc.unitWave.GetBegin(), 0);
  EXPECT_EQ(doc.unitWave.GetEnd(), 1000);
  doc.unitWave.SetCursor(300);
  EXPECT_EQ(doc.unitWave.GetSelBegin(), 300);
  EXPECT_EQ(doc.unitWave.GetSelEnd(), 300);
  EXPECT_DOUBLE_EQ(doc.unitWave.GetSelTime(), 1000.0 / 44100);

  doc.unitWave.SetSelRange(100, 200);  // from an empty selection the moving end goes up
  EXPECT_EQ(doc.unitWave.GetSelCursor(), 200);
  doc.unitWave.SetSelEnds(50, 400);  // moving end below
  doc.unitWave.SetSelRange(150, 250);
  EXPECT_EQ(doc.unitWave.GetSelCursor(), 150);
  EXPECT_EQ(doc.unitWave.GetSelAnchor(), 250);
  EXPECT_DOUBLE_EQ(doc.unitWave.GetSelTime(), 100.0 / 44100);

  doc.view.Clear();
  doc.unitWave.SetSelEnds(-5, 5000);
  EXPECT_EQ(doc.unitWave.GetSelCursor(), 0);
  EXPECT_EQ(doc.unitWave.GetSelAnchor(), 1000);
  for (const Stripe& s : doc.view.stripes) {
    EXPECT_GE(s.first, 0);
    EXPECT_LE(s.last, 1000);
  }
  doc.unitWave.ExtendSelection(600);
  EXPECT_EQ(doc.unitWave.GetSelBegin(), 600);
  EXPECT_EQ(doc.unitWave.GetSelEnd(), 1000);
  EXPECT_THROW(doc.unitWave.SetSelRange(5, 4), AssertionFailure);
}

TEST(UnitWave, AnEmptySoundRepaintsNothingButStillNotifiesTheMainWindow) {
  FakeMainWindow main;
  Shown doc(0);
  doc.unitWave.SetSelRange(0, 10);
  doc.unitWave.SetCursor(5);
  EXPECT_TRUE(doc.view.calls.empty());
  EXPECT_EQ(main.notified.size(), 2u);
  TUnitWave unshown("b.wav", MonoOf(100));
  unshown.SetSelRange(10, 20);  // no window: nothing to repaint
  EXPECT_EQ(unshown.GetSelEnd(), 20);
}

TEST(UnitWave, TheBracketSavesAndRestoresTheZoomAndSelectsTheResult) {
  FakeMainWindow main;
  Shown doc(1000);
  doc.unitWave.BeginChange(100, 200);
  doc.unitWave.EndChange(100, 400);
  EXPECT_EQ(doc.view.calls.front(), "SaveZoom 100 200");
  EXPECT_EQ(doc.view.calls[1], "RestoreZoom 100 400");
  EXPECT_EQ(doc.unitWave.GetSelBegin(), 100);
  EXPECT_EQ(doc.unitWave.GetSelEnd(), 400);
  doc.unitWave.BeginChange(100, 400);
  doc.unitWave.EndChange(100, 100);
  EXPECT_EQ(doc.unitWave.GetSelCursor(), 100);
  EXPECT_EQ(doc.unitWave.GetSelAnchor(), 100);
}

TEST(UnitWave, StatusPanelsShowLengthRateWidthChannelsSizeAndState) {
  FakeMainWindow main;
  struct Case {
    int32_t values;
    uint16_t channels;
    uint16_t bytes;
    const char* size;
  };
  for (const Case& c : {Case{0, 1, 2, "0 b"}, Case{1000, 1, 2, "1.95 kb"}, Case{512, 1, 2, "1.00 kb"},
                        Case{511, 1, 2, "1022 b"}, Case{5120, 1, 2, "10.0 kb"}, Case{1000, 2, 1, "1.95 kb"},
                        Case{600000, 1, 2, "1.14 Mb"}, Case{524288, 1, 2, "1.00 Mb"}}) {
    SoundPtr sound = MonoOf(c.values, 22050, c.bytes);
    if (c.channels == 2) {
      bool abort = false;
      sound = std::make_unique<StereoSound>(abort, *sound);
    }
    TUnitWave unitWave("a.wav", std::move(sound));
    unitWave.ShowStatus();
    EXPECT_EQ(main.panels[6], c.size) << c.values;
    EXPECT_EQ(main.panels[3], "22.050 kHz");
    EXPECT_EQ(main.panels[4], c.bytes == 2 ? "16" : "8");
    EXPECT_EQ(main.panels[5], c.channels == 2 ? "ST" : "MO");
    EXPECT_EQ(main.panels[7], "");
  }
  EXPECT_FALSE(main.panels.count(0) || main.panels.count(1));

  TUnitWave fresh("NONAME1", waveFileProps(2, 44100, 1));
  fresh.ShowStatus();
  EXPECT_EQ(main.panels[7], "New");
  EXPECT_EQ(main.panels[3], "44.100 kHz");
  EXPECT_EQ(main.panels[2], FormatClockTime(TNumber(0.0)));
  TUnitWave second("a.wav", MonoOf(44100 * 2));
  second.SetModified();
  second.ShowStatus();
  EXPECT_EQ(main.panels[7], "Changed");
  EXPECT_EQ(main.panels[2], FormatClockTime(TNumber(2.0)));
}

TEST(UnitWave, ConstructionChecksTheFormatAndAnEmptyWaveNeverAsksToBeSaved) {
  FakeMainWindow main;
  TUnitWave fresh("NONAME1", waveFileProps(1, 11025, 1));
  EXPECT_EQ(fresh.GetKind(), kUnitKindWave);
  EXPECT_TRUE(fresh.IsNew());
  EXPECT_EQ(fresh.GetSamplesPerSec(), 11025u);
  EXPECT_EQ(fresh.GetChannels(), 1);
  EXPECT_EQ(fresh.GetBytesPerSample(), 1);
  fresh.SetModified();
  EXPECT_FALSE(fresh.NeedsSave());

  TUnitWave opened("a.wav", MonoOf(10));
  EXPECT_FALSE(opened.NeedsSave());
  opened.SetModified();
  EXPECT_TRUE(opened.NeedsSave());

  try {
    TUnitWave bad("x", waveFileProps(3, 44100, 2));
    ADD_FAILURE();
  } catch (const AssertionFailure& failure) {
    EXPECT_EQ(failure.expression, "waveFileProps.MonoStereo == 1 || waveFileProps.MonoStereo == 2");
    EXPECT_EQ(failure.unit, "unitwave");
  }
  try {
    TUnitWave bad("x", waveFileProps(1, 44100, 0));
    ADD_FAILURE();
  } catch (const AssertionFailure& failure) {
    EXPECT_EQ(failure.expression, "waveFileProps.BytesPSample == 1 || waveFileProps.BytesPSample == 2");
  }
}

TEST(UnitWave, SavingWritesTheWholeSoundAndAFailedSaveReportsFailure) {
  FakeMainWindow main;
  RecordingSink sink;
  TUnitWave unitWave("a.wav", MonoOf(300));
  const std::string path = ::testing::TempDir() + "unitwave_save.wav";
  ASSERT_TRUE(unitWave.SaveToFile(path, false));
  SoundPtr read;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(path, read, status));
  EXPECT_EQ(Samples(read->GetLeftWave()), Ramp(300));
  std::remove(path.c_str());

  unitWave.SetModified();
  EXPECT_FALSE(unitWave.SaveToFile(::testing::TempDir() + "no/such/dir/a.wav", false));
  EXPECT_EQ(unitWave.GetState(), kUnitStateModified);
  EXPECT_EQ(sink.messages.size(), 1u);
}

TEST(UnitWave, CopyToClipboardHandsOverTheStretchAndLeavesTheDocument) {
  FakeMainWindow main;
  Shown doc(1000);
  doc.unitWave.CopyToClipboard(100, 250);
  ASSERT_NE(main.clipboard, nullptr);
  EXPECT_EQ(main.clipboard->Freq, 44100);
  const std::vector<int16_t> all = Ramp(1000);
  EXPECT_EQ(Samples(main.clipboard->GetLeftWave()), std::vector<int16_t>(all.begin() + 100, all.begin() + 250));
  EXPECT_EQ(doc.unitWave.GetValues(), 1000);
  EXPECT_TRUE(doc.view.calls.empty());
  doc.unitWave.CopyToClipboard(-20, 5000);  // out-of-range ends are limited to the sound
  EXPECT_EQ(main.clipboard->GetValues(), 1000);
}

TEST(UnitWave, DrawingIsOfferedWhileDrawingOrOnAnEmptyMonoWaveform) {
  FakeMainWindow main;
  Shown empty(0);
  EXPECT_TRUE(empty.unitWave.CanDrawWaveLin());
  empty.view.viewMode = 1;
  EXPECT_FALSE(empty.unitWave.CanDrawWave3G());
  Shown full(10);
  EXPECT_FALSE(full.unitWave.CanDrawWaveLin());
  full.view.userDrawing = true;
  EXPECT_TRUE(full.unitWave.CanDrawWave3G());
  TUnitWave stereo("s", waveFileProps(2, 44100, 2));
  RecordingView view;
  stereo.SetView(&view);
  EXPECT_FALSE(stereo.CanDrawWaveLin());
}

TEST(UnitWave, ReferencesFindTheSoundAndDurationOfANamedDocument) {
  FakeMainWindow main;
  TUnitWave unitWave("a.wav", MonoOf(22050));
  main.documents["drum"] = &unitWave;
  EXPECT_EQ(unitUnitWave("drum").GetSound(), unitWave.GetSound());
  EXPECT_EQ(unitUnitWave("bell").GetSound(), nullptr);
  EXPECT_DOUBLE_EQ(SoundTimeOf(unitUnitWave("drum")), 0.5);
  EXPECT_EQ(SoundTimeOf(unitUnitWave("bell")), 0.0);
}
