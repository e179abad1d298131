#include <gtest/gtest.h>

#include <iterator>
#include <tuple>

#include "support/file_size_limit.h"
#include "tests/foundation/xml_test_util.h"

TEST(XmlWriter, FailedSavesReportAndKeepThePreviousFile) {
  ScratchDir dir;
  TXMLCompound root("R");
  std::string error;
  std::filesystem::create_directories(dir.File("d.xml/in"));  // a folder cannot take the saved file
  EXPECT_FALSE(root.SaveToFile(dir.File("d.xml"), error));
  EXPECT_EQ(error, "Operating System cannot open file for writing, maybe the file is readonly.");

  // A save that fails while writing (the file-size limit stands in for a full disk) keeps the old
  // file, and neither that save nor a good one touches a file of the user's beside the target,
  // whatever its name.
  std::ofstream(dir.File("b.xml")) << "old";
  std::ofstream(dir.File("b.xml.kvnew")) << "mine";
  const bool written = UnderFileSizeLimit(10, [&] { return root.SaveToFile(dir.File("b.xml"), error); });
  EXPECT_FALSE(written);
  EXPECT_EQ(error, "Operating System cannot write the file, maybe the disk is full.");
  EXPECT_EQ(std::tuple(ReadWholeFile(dir.File("b.xml")), ReadWholeFile(dir.File("b.xml.kvnew"))),
            std::tuple("old", "mine"));
  error.clear();
  EXPECT_TRUE(root.SaveToFile(dir.File("b.xml"), error));
  EXPECT_EQ(std::tuple(ReadWholeFile(dir.File("b.xml")).substr(0, 5), ReadWholeFile(dir.File("b.xml.kvnew"))),
            std::tuple("<?xml", "mine"));

  // A save over an existing file succeeds and leaves no new file behind.
  EXPECT_TRUE(root.SaveToFile(dir.File("c.xml"), error));
  EXPECT_TRUE(root.SaveToFile(dir.File("c.xml"), error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("")), std::filesystem::directory_iterator()),
            4);  // b.xml, its neighbour, c.xml and the folder d.xml

  std::FILE* full = std::fopen("/dev/full", "w");
  if (full != nullptr) {
    std::setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_FALSE(root.Write(full, 0));
    std::fclose(full);
  }
}
