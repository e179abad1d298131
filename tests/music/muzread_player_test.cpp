// A music file's player settings out of their bounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "music/unitmuz.h"
#include "tests/foundation/xml_test_util.h"

TEST(MuzFilePlayers, ABasicFrequencyBelowOneCyclePerHourRefusesTheFile) {
  const auto data = std::filesystem::path(__FILE__).parent_path() / "data";
  std::string text = ReadWholeFile((data / "every_element.kvm").string());
  const std::string freq = "<BasicFreq>1 kHz</BasicFreq>";
  ASSERT_NE(text.find(freq), std::string::npos);
  text.replace(text.find(freq), freq.size(), "<BasicFreq>0.0001 Hz</BasicFreq>");
  ScratchDir dir;
  std::ofstream(dir.File("slow.kvm"), std::ios::binary) << text;
  TUnitMuz unit(dir.File("slow.kvm"));
  std::string error;
  EXPECT_FALSE(unit.LoadFromFile(error));
  EXPECT_NE(error.find("BasicFreq"), std::string::npos) << error;
  EXPECT_NE(error.find("3600"), std::string::npos) << error;
}
