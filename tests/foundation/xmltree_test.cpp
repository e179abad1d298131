#include <gtest/gtest.h>

#include "tests/foundation/xml_test_util.h"

TEST(XmlWriter, FailedSavesReportAndKeepThePreviousFile) {
  ScratchDir dir;
  TXMLCompound root("R");
  std::string error;
  // The new file cannot be made beside the target: the old one stays as it was.
  std::ofstream(dir.File("b.xml")) << "old";
  std::filesystem::create_directory(dir.File("b.xml.kvnew"));
  EXPECT_FALSE(root.SaveToFile(dir.File("b.xml"), error));
  EXPECT_EQ(error, "Operating System cannot open file for writing, maybe the file is readonly.");
  EXPECT_EQ(ReadWholeFile(dir.File("b.xml")), "old");
  std::filesystem::create_directories(dir.File("d.xml/in"));  // the new file cannot take the name
  EXPECT_FALSE(root.SaveToFile(dir.File("d.xml"), error));

  // A save over an existing file succeeds and leaves no new file behind.
  error.clear();
  EXPECT_TRUE(root.SaveToFile(dir.File("c.xml"), error));
  EXPECT_TRUE(root.SaveToFile(dir.File("c.xml"), error));
  EXPECT_EQ(error, "");
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.xml.kvnew")));

  std::FILE* full = std::fopen("/dev/full", "w");
  if (full != nullptr) {
    std::setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_FALSE(root.Write(full, 0));
    std::fclose(full);
  }
}
