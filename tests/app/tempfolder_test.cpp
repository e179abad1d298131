// Each copy's temporary folder: its own, kept from the others by its lock, and the leftovers of a
// copy that no longer runs cleared by the next one; made again, locked, when someone removed it;
// and the main window's road to it: made at the start, made again by Record.
#include "app/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/fakes/fake_player.h"
#include "app/fakes/main_window.h"
#include "support/recording_sink.h"
#include "support/samples.h"

namespace fs = std::filesystem;

namespace {

class CopyTempFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(user_);
    fs::create_directories(user_);
  }
  void TearDown() override {
    fs::remove_all(user_);
    fs::remove_all(user_ + "-elsewhere");
  }
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

bool IsPrivateFolder(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0 && status.st_uid == getuid() &&
         (status.st_mode & (S_IFMT | 0777)) == (S_IFDIR | 0700u);
}

// Whether a running copy holds the folder's lock, as the next start would find it.
bool HeldByACopy(const std::string& folder) {
  const int lock = open((folder + "/lock").c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (lock < 0) return false;
  const bool held = flock(lock, LOCK_EX | LOCK_NB) != 0;
  close(lock);
  return held;
}

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

TEST_F(CopyTempFolderTest, AFolderMadeAgainIsPrivateAndLockedUntilItsCopyEnds) {
  struct Way {
    const char* name;
    std::function<void(const std::string& own)> remove;
  };
  const Way ways[] = {
      {"the user's folder", [this](const std::string&) { fs::remove_all(user_); }},
      {"the copy's folder", [](const std::string& own) { fs::remove_all(own); }},
      {"its lock file", [](const std::string& own) { fs::remove(own + "/lock"); }},
      {"its lock file for another",
       [](const std::string& own) { fs::remove(own + "/lock"), std::ofstream(own + "/lock"); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    const std::unique_ptr<CopyTempFolder> copy = CopyTempFolder::Make(user_);
    ASSERT_TRUE(copy);
    way.remove(copy->Path());
    ASSERT_TRUE(copy->Ensure());
    std::ofstream(copy->Path() + "/kvtemprecwave.wav") << "recorded";
    EXPECT_TRUE(IsPrivateFolder(user_) && IsPrivateFolder(copy->Path()));
    EXPECT_TRUE(HeldByACopy(copy->Path()));
    RemoveAbandonedTempFolders(user_);
    EXPECT_TRUE(fs::exists(copy->Path() + "/kvtemprecwave.wav"));
  }

  // A copy that makes its folder again for a recording, then crashes.
  fs::remove_all(user_);
  const pid_t crashing = fork();
  ASSERT_NE(crashing, -1);
  if (crashing == 0) {
    const std::unique_ptr<CopyTempFolder> copy = CopyTempFolder::Make(user_);
    if (!copy) _exit(1);
    fs::remove_all(copy->Path());
    const bool made = copy->Ensure();
    std::ofstream(copy->Path() + "/kvtemprecwave.wav") << "recorded";
    _exit(made ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(crashing, &status, 0), crashing);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::vector<fs::path> left(fs::directory_iterator(user_), fs::directory_iterator{});
  ASSERT_EQ(left.size(), 1u);
  const fs::path crashed = left[0];
  ASSERT_TRUE(fs::exists(crashed / "kvtemprecwave.wav"));
  EXPECT_TRUE(CopyTempFolder::Make(user_));
  EXPECT_FALSE(fs::exists(crashed));
}

TEST_F(CopyTempFolderTest, AFolderIsNotMadeAgainThroughALink) {
  const std::unique_ptr<CopyTempFolder> copy = CopyTempFolder::Make(user_);
  ASSERT_TRUE(copy);
  const std::string elsewhere = user_ + "-elsewhere";
  for (const std::string& link : {copy->Path(), user_}) {
    SCOPED_TRACE(link);
    fs::remove_all(user_);
    fs::create_directories(elsewhere);
    fs::create_directories(fs::path(link).parent_path());
    fs::create_directory_symlink(elsewhere, link);
    EXPECT_FALSE(copy->Ensure());
    EXPECT_TRUE(fs::is_empty(elsewhere));
  }
}

namespace {

class TempFolderRoadTest : public MainWindowTest {
 protected:
  TempFolderRoadTest() : MainWindowTest("tempfolder") {}
  void SetUp() override {
    MainWindowTest::SetUp();
    form->SetAudioPlayer(std::make_unique<FakePlayer>());
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    SetTempDir(savedDir_);
    TempPlayFile = savedPlayFile_;
    TempRecFile = savedRecFile_;
    TempDirOk = savedOk_;
  }
  void StartWith(const std::string& userFolder) {
    form.reset();
    sink.messages.clear();
    SetTempDir(userFolder);
    form = StartUp();
    form->SetAudioPlayer(std::make_unique<FakePlayer>());
  }
  // Play and Record are not offered, and write nothing when a key comes before the update.
  void ExpectNoPlayOrRecordThrough(const std::string& untouched) {
    EXPECT_FALSE(TempDirOk);
    EXPECT_EQ(sink.messages.size(), 1u);
    OpenNamed("sound", MonoOf(Ramp(30)));
    EXPECT_FALSE(Command("FilePlay"));
    OpenNamed("empty", MonoOf({}));
    EXPECT_FALSE(Command("FileRecord"));
    for (const char* action : {"FilePlay", "FileRecord"}) {
      form->Action(action)->setEnabled(true);
      form->Action(action)->trigger();
    }
    EXPECT_TRUE(fs::is_empty(untouched));
    EXPECT_EQ(RecordUnitWave, nullptr);
  }

  RecordingSink sink;
  const std::string savedDir_ = TempDir;
  const std::string savedPlayFile_ = TempPlayFile;
  const std::string savedRecFile_ = TempRecFile;
  const bool savedOk_ = TempDirOk;
};

}  // namespace

TEST_F(TempFolderRoadTest, RecordMakesRemovedFoldersAgainPrivateAndLockedByThisCopy) {
  TUnitWave* target = OpenNamed("target", MonoOf({}));
  const std::string own = fs::path(TempRecFile).parent_path().string();
  fs::remove_all(TempDir);
  ASSERT_TRUE(Command("FileRecord"));
  ASSERT_EQ(RecordUnitWave, target);
  EXPECT_TRUE(fs::exists(TempRecFile));
  EXPECT_TRUE(IsPrivateFolder(TempDir) && IsPrivateFolder(own));
  EXPECT_TRUE(HeldByACopy(own));
  ASSERT_TRUE(Command("FileStop"));
}

TEST_F(TempFolderRoadTest, AUserFolderThatIsALinkIsRefusedAtTheStart) {
  const std::string elsewhere = scratch + "/elsewhere";
  fs::create_directory(elsewhere);
  fs::create_directory_symlink(elsewhere, scratch + "/link");
  StartWith(scratch + "/link");
  ExpectNoPlayOrRecordThrough(elsewhere);
}

TEST_F(TempFolderRoadTest, AnotherUsersFolderIsRefusedAtTheStart) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
  const std::string others = scratch + "/others";
  fs::create_directory(others);
  ASSERT_EQ(chown(others.c_str(), getuid() + 1, getgid()), 0);
  StartWith(others);
  ExpectNoPlayOrRecordThrough(others);
}
