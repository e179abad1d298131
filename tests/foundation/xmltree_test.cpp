#include <gtest/gtest.h>

#include "tests/foundation/xml_test_util.h"

namespace {
std::unique_ptr<TXMLCompound> Compound(const std::string& name) { return std::make_unique<TXMLCompound>(name); }
std::unique_ptr<TXMLAttribute> Leaf(const char* name, const char* value) {
  return std::make_unique<TXMLAttribute>(name, value);
}

std::string WrittenText(const TXMLItem& item, int depth) {
  std::FILE* stream = std::tmpfile();
  if (stream == nullptr) return "";
  EXPECT_TRUE(item.Write(stream, depth));
  std::string text(static_cast<size_t>(std::ftell(stream)), '\0');
  std::rewind(stream);
  text.resize(std::fread(text.data(), 1, text.size(), stream));
  std::fclose(stream);
  return text;
}

}  // namespace

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

TEST(XmlItems, DeepTreesAreWrittenAndFreedWithoutRecursion) {
  auto deep = Compound("D");
  TXMLCompound* innermost = deep.get();
  for (int i = 0; i < 1000000; ++i) {
    innermost->Add(Compound("D"));
    innermost = static_cast<TXMLCompound*>(innermost->GetLastChild());
  }
  deep.reset();

  TXMLCompound nested("L0");
  TXMLCompound* at = &nested;
  for (int i = 1; i < 400; ++i) {
    at->Add(Compound("L" + std::to_string(i)));
    at = static_cast<TXMLCompound*>(at->GetLastChild());
  }
  at->Add(Leaf("V", "v"));
  EXPECT_NE(WrittenText(nested, 0).find("\n" + std::string(800, ' ') + "<V>v</V>\n" + std::string(798, ' ') + "</L399>\n"),
            std::string::npos);
}
