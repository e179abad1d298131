// Each copy's temporary folder: its own, kept from the others by its lock, and the leftovers of a
// copy that no longer runs cleared by the next one.
#include "app/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

class CopyTempFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(user_);
    fs::create_directories(user_);
  }
  void TearDown() override { fs::remove_all(user_); }
  // A folder in the state a copy that crashed leaves: its lock file there, held by no one.
  std::string Abandoned(const std::string& name) {
    const std::string folder = user_ + "/" + name;
    fs::create_directory(folder);
    std::ofstream(folder + "/lock");
    std::ofstream(folder + "/kvtemprecwave.wav") << "recorded";
    return folder;
  }

  const std::string user_ = testing::TempDir() + "korvalen-copies-" + std::to_string(getpid());
};

}  // namespace

TEST_F(CopyTempFolderTest, EachCopyHasAPrivateFolderOfItsOwnThatGoesWithItAlone) {
  std::unique_ptr<CopyTempFolder> first = CopyTempFolder::Make(user_);
  std::unique_ptr<CopyTempFolder> second = CopyTempFolder::Make(user_);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->Path(), second->Path());
  for (const CopyTempFolder* copy : {first.get(), second.get()}) {
    struct stat status {};
    ASSERT_EQ(lstat(copy->Path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & (S_IFMT | 0777), S_IFDIR | 0700u);
    EXPECT_EQ(fs::path(copy->Path()).parent_path(), fs::path(user_));
  }
  const std::string firstFile = first->Path() + "/kvtemprecwave.wav";
  std::ofstream(firstFile) << "recording";

  // A third copy starts and ends while both run.
  CopyTempFolder::Make(user_).reset();
  second.reset();
  EXPECT_TRUE(fs::exists(firstFile));
  EXPECT_EQ(std::distance(fs::directory_iterator(user_), fs::directory_iterator()), 1);
  const std::string firstPath = first->Path();
  first.reset();
  EXPECT_FALSE(fs::exists(firstPath) || fs::exists(user_)) << "the last copy leaves nothing behind";
}

TEST_F(CopyTempFolderTest, TheNextCopyClearsOnlyWhatNoRunningCopyHolds) {
  const std::unique_ptr<CopyTempFolder> running = CopyTempFolder::Make(user_);
  ASSERT_TRUE(running);
  // The number of a crashed copy may be this very process's now.
  const std::string crashed = Abandoned(std::to_string(getpid()) + "-crashed");
  const std::string emptyUnlocked = user_ + "/being-made";
  fs::create_directory(emptyUnlocked);
  const std::string someoneElses = user_ + "/notes";
  fs::create_directory(someoneElses);
  std::ofstream(someoneElses + "/notes.txt") << "not a copy's";
  std::ofstream(user_ + "/kvtempplaywave.wav") << "an older version's";

  const std::unique_ptr<CopyTempFolder> next = CopyTempFolder::Make(user_);
  ASSERT_TRUE(next);
  EXPECT_FALSE(fs::exists(crashed));
  EXPECT_FALSE(fs::exists(emptyUnlocked));
  EXPECT_TRUE(fs::exists(running->Path() + "/lock"));
  EXPECT_TRUE(fs::exists(someoneElses + "/notes.txt"));
  EXPECT_TRUE(fs::exists(user_ + "/kvtempplaywave.wav"));
}
