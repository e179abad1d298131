#include "wave/unitwaveref.h"

#include <gtest/gtest.h>

#include "fakes/fake_main_window.h"
#include "fakes/fake_wave_combo.h"
#include "support/recording_sink.h"

namespace {

// Stand-ins for open documents: only their addresses are compared.
alignas(8) char documentStorage[2];
TUnitWave* const kDrum = reinterpret_cast<TUnitWave*>(&documentStorage[0]);

}  // namespace

TEST(UnitWaveRef, NameIsStoredWithoutSurroundingBlanks) {
  EXPECT_EQ(unitUnitWave("  \tDrum 1\r\n").GetName(), "Drum 1");
  EXPECT_EQ(unitUnitWave(" \x01 ").GetName(), "");
  EXPECT_EQ(unitUnitWave("\xE9t\xE9").GetName(), "\xE9t\xE9");  // bytes above 127 are characters
  unitUnitWave reference("Bass");
  EXPECT_TRUE(reference.SetName(" Lead"));
  EXPECT_EQ(reference.GetName(), " Lead");
}

TEST(UnitWaveRef, ShowInComboSelectsOnlyAnEntryWithTheName) {
  FakeWaveCombo combo({"Bass", "Drum", "Lead"}, 0);
  for (const char* name : {"Lead", "Piano", ""}) {
    unitUnitWave(name).ShowInCombo(combo);
    EXPECT_EQ(combo.chosen, 2) << name;
  }
}

TEST(UnitWaveRef, ReadFromComboTakesTheChosenEntryOrReportsTheField) {
  RecordingSink sink;
  unitUnitWave reference("Bass");
  bool ok = true;
  reference.ReadFromCombo(ok, FakeWaveCombo({"Drum", "Bass"}, 0), "Envelope");
  EXPECT_EQ(std::pair(ok, reference.GetName()), std::pair(true, std::string("Drum")));

  reference.ReadFromCombo(ok, FakeWaveCombo({"Bass", "Drum"}, -1), "Envelope");
  EXPECT_FALSE(ok);
  EXPECT_EQ(reference.GetName(), "");
  EXPECT_EQ(sink.messages, (std::vector<RecordedMessage>{
                              {"In Envelope: You have to select a Wave", "Input Error", kMbOk | kMbIconInformation}}));

  unitUnitWave untouched("Lead");
  untouched.ReadFromCombo(ok, FakeWaveCombo({"Bass"}, -1), "Sample");  // an earlier field failed
  EXPECT_EQ(untouched.GetName(), "Lead");
  EXPECT_EQ(sink.messages.size(), 1u);

  ok = true;
  untouched.ReadFromCombo(ok, FakeWaveCombo({}, 3), "Sample");  // a stale index chooses nothing
  EXPECT_FALSE(ok);
  EXPECT_EQ(sink.messages.size(), 2u);
}

TEST(UnitWaveRef, DocumentIsFoundByItsRegisteredNameEachTime) {
  FakeMainWindow shell;
  shell.documents["Drum"] = kDrum;
  shell.documents[""] = kDrum;  // an unregistered document must not answer to an empty reference
  unitUnitWave reference("Drum");
  std::string error = "Note group 1: ";
  EXPECT_EQ(reference.FindUnitWave(error), kDrum);
  EXPECT_EQ(std::pair(reference.GetUnitWave(), error), std::pair(kDrum, std::string("Note group 1: ")));

  shell.documents.erase("Drum");  // registered under another name, or closed
  shell.documents["Drums"] = kDrum;
  EXPECT_EQ(reference.FindUnitWave(error), nullptr);
  EXPECT_EQ(error, "Note group 1: Cannot find window \"Drum\".");
  EXPECT_EQ(shell.askedNames, (std::vector<std::string>{"Drum", "Drum", "Drum"}));

  std::string emptyError;
  EXPECT_EQ(unitUnitWave().FindUnitWave(emptyError), nullptr);
  EXPECT_EQ(emptyError, "Cannot find window \"\".");
}
