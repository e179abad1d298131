#include "foundation/unit.h"

#include <gtest/gtest.h>

namespace {
class FakeDocument : public TUnit {
 public:
  explicit FakeDocument(uint8_t kind) : TUnit(kind) {}
  bool SaveToFile(const std::string&, bool) override { return false; }
  uint32_t GetSamplesPerSec() const override { return 22050; }
  int16_t GetChannels() const override { return 1; }
  int16_t GetBytesPerSample() const override { return 2; }
  void SetFormat(const waveFileProps&, const waveFileProps&) override {}
};
}  // namespace

TEST(Unit, ANeverSavedDocumentStaysNewAndANamedOneIsSavedUntilModified) {
  FakeDocument document(kUnitKindMuz);
  document.SetModified();
  EXPECT_TRUE(document.IsNew() && document.NeedsSave());
  document.SetFileName("song.xml");  // saved before anything is written
  EXPECT_FALSE(document.NeedsSave());
  document.SetModified();
  document.SetModified();
  EXPECT_EQ(document.GetState(), kUnitStateModified);
}
