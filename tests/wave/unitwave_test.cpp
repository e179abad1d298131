#include "wave/unitwave.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "fakes/fake_main_window.h"
#include "foundation/assertion.h"
#include "sound_helpers.h"

namespace {

using Stripe = RecordingView::Stripe;
using Stripes = std::vector<Stripe>;

SoundPtr RampOf(int32_t n, int32_t rate = 44100, uint16_t bytes = 2) { return MonoOf(Ramp(n), rate, bytes); }

}  // namespace

TEST(UnitWave, SelectionChangesRepaintOnlyTheStripesWhoseStateChanged) {
  FakeMainWindow main;
  Doc doc(RampOf(1000));
  struct Case { int32_t begin, end; Stripes stripes; };
  doc.unitWave.SetSelRange(100, 500);
  for (const Case& c : {Case{200, 500, {{100, 200, false}}}, Case{50, 700, {{50, 200, true}, {500, 700, true}}},
                        Case{300, 400, {{50, 300, false}, {400, 700, false}}}}) {
    doc.view.Clear();
    doc.unitWave.SetSelRange(c.begin, c.end);
    EXPECT_EQ(doc.view.stripes, c.stripes) << c.begin << " " << c.end;
  }
  EXPECT_EQ(std::tuple(main.notified.size(), main.notified.back()), std::tuple(size_t{4}, &doc.view));

  // A cursor that moves repaints no stripe, only the column it left.
  doc.unitWave.SetCursor(10);
  doc.view.Clear();
  doc.unitWave.SetCursor(60);
  EXPECT_EQ(std::pair(doc.view.stripes, doc.view.columns), std::pair(Stripes{}, std::vector<int32_t>{10}));

  Doc empty(RampOf(0));
  empty.unitWave.SetSelRange(0, 10);
  EXPECT_TRUE(empty.view.calls.empty() && main.notified.back() == &empty.view);
}

TEST(UnitWave, SelectionEndsAreClampedAndKeepTheirSides) {
  FakeMainWindow main;
  Doc doc(RampOf(1000));
  doc.unitWave.SetCursor(300);
  EXPECT_EQ(std::tuple(doc.unitWave.GetBegin(), doc.unitWave.GetEnd(), doc.Selection()),
            std::tuple(0, 1000, std::pair(300, 300)));
  EXPECT_DOUBLE_EQ(doc.unitWave.GetSelTime(), 1000.0 / 44100);

  doc.unitWave.SetSelRange(100, 200);  // from an empty selection the moving end goes up
  EXPECT_EQ(doc.unitWave.GetSelCursor(), 200);
  doc.unitWave.SetSelEnds(50, 400);
  doc.unitWave.SetSelRange(150, 250);
  EXPECT_EQ(std::pair(doc.unitWave.GetSelCursor(), doc.unitWave.GetSelAnchor()), std::pair(150, 250));
  EXPECT_DOUBLE_EQ(doc.unitWave.GetSelTime(), 100.0 / 44100);

  doc.view.Clear();
  doc.unitWave.SetSelEnds(-5, 5000);
  EXPECT_EQ(std::pair(doc.unitWave.GetSelCursor(), doc.unitWave.GetSelAnchor()), std::pair(0, 1000));
  EXPECT_EQ(doc.view.stripes, (Stripes{{0, 150, true}, {250, 1000, true}}));
  doc.unitWave.ExtendSelection(600);
  EXPECT_EQ(doc.Selection(), std::pair(600, 1000));
}

TEST(UnitWave, StatusPanelsShowLengthRateWidthChannelsSizeAndState) {
  FakeMainWindow main;
  struct Case { int32_t values; uint16_t bytes; const char* size; };
  for (const Case& c : {Case{0, 2, "0 b"}, Case{512, 2, "1.00 kb"}, Case{511, 2, "1022 b"},
                        Case{5120, 2, "10.0 kb"}, Case{600000, 2, "1.14 Mb"}, Case{1000, 1, "1000 b"}}) {
    TUnitWave unitWave("a.wav", RampOf(c.values, 22050, c.bytes));
    unitWave.ShowStatus();
    EXPECT_EQ(main.panels[6] + " " + main.panels[4], std::string(c.size) + (c.bytes == 2 ? " 16" : " 8"));
  }
  using Panels = std::map<int32_t, std::string>;
  // 1000 samples at 22050 per second
  EXPECT_EQ(main.panels, (Panels{{2, "0.04535 s"}, {3, "22.050 kHz"}, {4, "8"}, {5, "MO"}, {6, "1000 b"}, {7, ""}}));
  TUnitWave fresh("NONAME1", waveFileProps(2, 44100, 2));
  fresh.ShowStatus();
  EXPECT_EQ(std::tuple(main.panels[3], main.panels[5], main.panels[7]), std::tuple("44.100 kHz", "ST", "New"));
  TUnitWave changed("a.wav", RampOf(10));
  changed.SetModified();
  changed.ShowStatus();
  EXPECT_EQ(main.panels[7], "Changed");
}

TEST(UnitWave, ConstructionChecksTheFormatAndAnEmptyWaveNeverAsksToBeSaved) {
  FakeMainWindow main;
  TUnitWave fresh("NONAME1", waveFileProps(1, 11025, 1));
  EXPECT_EQ(std::tuple(fresh.IsNew(), fresh.GetSamplesPerSec(), fresh.GetChannels(), fresh.GetBytesPerSample()),
            std::tuple(true, 11025u, 1, 1));
  fresh.SetModified();
  TUnitWave opened("a.wav", RampOf(10));
  const bool openedNeededSave = opened.NeedsSave();
  opened.SetModified();
  EXPECT_EQ(std::tuple(fresh.NeedsSave(), openedNeededSave, opened.NeedsSave()), std::tuple(false, false, true));

  EXPECT_THROW(TUnitWave("x", waveFileProps(3, 44100, 2)), AssertionFailure);
  EXPECT_THROW(TUnitWave("x", waveFileProps(1, 44100, 0)), AssertionFailure);
}

TEST(UnitWave, ReferencesFindTheSoundAndDurationOfANamedDocument) {
  FakeMainWindow main;
  TUnitWave unitWave("a.wav", RampOf(22050));
  main.documents["drum"] = &unitWave;
  EXPECT_EQ(std::pair(unitUnitWave("drum").GetSound(), unitUnitWave("bell").GetSound()),
            std::pair(unitWave.GetSound(), static_cast<Sound*>(nullptr)));
  EXPECT_EQ(std::pair(SoundTimeOf(unitUnitWave("drum")), SoundTimeOf(unitUnitWave("bell"))), std::pair(0.5, 0.0));
}
