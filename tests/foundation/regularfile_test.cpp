#include "foundation/regularfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/unreadable_files.h"
#include "tests/foundation/xml_test_util.h"

namespace {
using Status = RegularFile::Status;

std::string Read(RegularFile& file, uint64_t offset, size_t n) {
  std::string bytes(n, '\0');
  const int64_t got = file.ReadAt(offset, bytes.data(), n);
  bytes.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return bytes;
}
}  // namespace

TEST(RegularFile, ReadsARegularFileThroughALinkUpToItsEnd) {
  ScratchDir dir;
  std::ofstream(dir.File("a.txt"), std::ios::binary) << "0123456789";
  ASSERT_EQ(symlink(dir.File("a.txt").c_str(), dir.File("link").c_str()), 0);
  RegularFile file;
  ASSERT_EQ(file.Open(dir.File("link")), Status::kOpen);
  EXPECT_EQ(std::tuple(file.IsOpen(), file.Size()), std::tuple(true, 10u));
  EXPECT_EQ(Read(file, 0, 4), "0123");
  EXPECT_EQ(Read(file, 7, 100), "789");
  EXPECT_EQ(Read(file, 10, 4), "");
  EXPECT_EQ(Read(file, 1000, 4), "");
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  char byte = 0;
  EXPECT_EQ(file.ReadAt(0, &byte, 1), -1);
}

// What was added after the open is not read: the reader takes the size the file had.
TEST(RegularFile, ReadsNoFurtherThanTheSizeAtTheOpen) {
  ScratchDir dir;
  std::ofstream(dir.File("grows"), std::ios::binary) << "abc";
  RegularFile file;
  ASSERT_EQ(file.Open(dir.File("grows")), Status::kOpen);
  std::ofstream(dir.File("grows"), std::ios::binary | std::ios::app) << "defgh";
  EXPECT_EQ(std::pair(file.Size(), Read(file, 0, 100)), std::pair(uint64_t{3}, std::string("abc")));
  // A file of /proc tells a size of 0 and has text all the same: none of it is read.
  RegularFile status;
  ASSERT_EQ(status.Open("/proc/self/status"), Status::kOpen);
  const uint64_t before = BytesReadSoFar();
  EXPECT_EQ(std::pair(status.Size(), Read(status, 0, 4096)), std::pair(uint64_t{0}, std::string()));
  // The count of bytes read moves by the read of the count itself, and by nothing else here.
  EXPECT_LT(BytesReadSoFar() - before, 1024u);
}

TEST(RegularFile, RefusesWhatIsNoRegularFileWithoutWaiting) {
  ScratchDir dir;
  RegularFile file;
  EXPECT_EQ(file.Open(dir.File("missing")), Status::kCannotOpen);
  for (const char* device : {"/dev/zero", "/dev/urandom", "/dev/null"}) {
    SCOPED_TRACE(device);
    EXPECT_EQ(file.Open(device), Status::kNotRegular);
    EXPECT_FALSE(file.IsOpen());
  }
  EXPECT_EQ(file.Open(dir.File("")), Status::kNotRegular);  // the folder
  for (FifoWatch::Writer writer : {FifoWatch::kNoWriter, FifoWatch::kSilentWriter}) {
    SCOPED_TRACE(writer);
    const FifoWatch pipe(dir.File("pipe"), writer);
    ASSERT_TRUE(pipe.Ready());
    EXPECT_EQ(file.Open(dir.File("pipe")), Status::kNotRegular);
    EXPECT_FALSE(pipe.Opened());
  }
}

TEST(RegularFile, ReleaseHandsTheDescriptorOver) {
  ScratchDir dir;
  std::ofstream(dir.File("a"), std::ios::binary) << "xyz";
  RegularFile file;
  ASSERT_EQ(file.Open(dir.File("a")), Status::kOpen);
  const int fd = file.Release();
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(file.IsOpen());
  char bytes[3] = {};
  EXPECT_EQ(pread(fd, bytes, 3, 0), 3);
  EXPECT_EQ(std::string(bytes, 3), "xyz");
  close(fd);
}
