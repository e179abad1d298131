#include "foundation/unit.h"

#include <gtest/gtest.h>

namespace {
// Records what it was asked to save and answers that the writing failed.
class FakeDocument : public TUnit {
 public:
  explicit FakeDocument(uint8_t kind) : TUnit(kind) {}
  bool SaveToFile(const std::string& fileName, bool temporary) override {
    savedTo = fileName + (temporary ? " (temporary)" : "");
    return false;
  }
  uint32_t GetSamplesPerSec() const override { return 22050; }
  int16_t GetChannels() const override { return 1; }
  int16_t GetBytesPerSample() const override { return 2; }
  void SetFormat(const waveFileProps&, const waveFileProps&) override {}
  std::string savedTo = "(not saved)";
};
}  // namespace

TEST(Unit, ANeverSavedDocumentStaysNewAndANamedOneIsSavedUntilModified) {
  FakeDocument document(kUnitKindMuz);
  document.SetModified();
  EXPECT_TRUE(document.IsNew() && document.NeedsSave());
  document.SetFileName("song.xml");  // saved before anything is written
  EXPECT_EQ(document.GetState(), kUnitStateSaved);
  EXPECT_FALSE(document.NeedsSave());
  EXPECT_EQ(document.savedTo, "(not saved)");
  document.SetModified();
  document.SetModified();
  EXPECT_EQ(document.GetState(), kUnitStateModified);
}

TEST(Unit, SavePassesTheFileNameEvenWhenEmptyAndReturnsTheWritersAnswer) {
  FakeDocument document(kUnitKindWave);
  EXPECT_FALSE(document.Save(true));
  EXPECT_EQ(document.savedTo, " (temporary)");
}
