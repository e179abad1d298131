#include "wave/wavefile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/global.h"
#include "foundation/messages.h"
#include "foundation/replacingfile.h"
#include "foundation/xmlalg.h"
#include "sound_helpers.h"
#include "support/file_size_limit.h"
#include "support/unreadable_files.h"
#include "support/recording_sink.h"

namespace {

namespace fs = std::filesystem;

std::string Le16(uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

struct Format {
  uint32_t formatSize = 16;
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
};

std::string FormatChunk(const Format& f) {
  std::string chunk = "fmt " + Le32(f.formatSize) + Le16(f.tag) + Le16(f.channels) + Le32(f.rate) +
                      Le32(f.rate * f.channels * f.bits / 8) + Le16(f.channels * f.bits / 8) + Le16(f.bits);
  if (f.formatSize > 16) chunk += std::string(f.formatSize - 16 + (f.formatSize & 1), '\x7F');
  return chunk;
}

std::string Chunk(const std::string& id, const std::string& content) {
  return id + Le32(static_cast<uint32_t>(content.size())) + content + (content.size() % 2 ? "\x01" : "");
}

// RIFF, WAVE, then the chunks as given.
std::string RiffFile(const std::string& chunks, uint32_t riffSize = 0) {
  return "RIFF" + Le32(riffSize ? riffSize : static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}

std::string DataChunk(uint32_t declaredSize, const std::string& bytes) { return "data" + Le32(declaredSize) + bytes; }

auto Describe(const Sound& s) {
  return std::tuple(s.MoSt, s.Freq, s.BytesPerSample, Samples(s.GetLeftWave()), Samples(s.GetRightWave()));
}

class WaveFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kvwavefileXXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  std::string WriteBytes(const std::string& bytes, const std::string& name = "in.wav") const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
    return PathOf(name);
  }

  std::string ReadBytes(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The two document writers, each saving a small document of its kind to a path.
  struct Writer {
    const char* name;
    std::function<bool(const std::string&)> save;
    std::string head;  // how a saved file starts
  };
  std::vector<Writer> BothWriters() {
    music_.Add(std::make_unique<TXMLAttribute>("A", std::string(200, 'a')));
    return {{"wave", [this](const std::string& path) { return WriteWaveFile(abort_, path, sound_, 0, 3); }, "RIFF"},
            {"music", [this](const std::string& path) { return music_.SaveToFile(path, musicError_); }, "<?xml"}};
  }
  bool Saved(const Writer& w, const std::string& path) const { return ReadBytes(path).rfind(w.head, 0) == 0; }
  std::string musicError_;

  std::vector<std::string> FilesInDir() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  }

  // Reads `bytes` from memory and as a file; expects the status text from both, a sound exactly on
  // success, and the same sound from both.
  SoundPtr Read(const std::string& bytes, const std::string& expectedStatus) {
    // An exact copy, so that the sanitizers see any read past its end.
    const std::vector<unsigned char> exact(bytes.begin(), bytes.end());
    SoundPtr fromMemory;
    std::string memoryStatus;
    const bool memoryOk = ReadWaveMemory(exact.data(), exact.size(), fromMemory, memoryStatus);
    EXPECT_EQ(memoryStatus, expectedStatus);
    EXPECT_EQ(memoryOk, fromMemory != nullptr);
    SoundPtr sound;
    std::string status;
    const bool ok = ReadWaveFile(WriteBytes(bytes), sound, status);
    EXPECT_EQ(status, expectedStatus);
    EXPECT_EQ(ok, sound != nullptr);
    EXPECT_EQ(ok, expectedStatus == wavestatus::kNoErrors);
    if (ok && fromMemory) {
      EXPECT_EQ(Describe(*fromMemory), Describe(*sound));
    }
    return sound;
  }

  fs::path dir_;
  bool abort_ = false;
  MonoSound sound_{MakeWave({1, 2, 3}), 22050, 2};
  TXMLCompound music_{"R"};
};

}  // namespace

TEST_F(WaveFileTest, WrittenHeaderFollowsTheFixedLayoutByteForByte) {
  bool abort = false;
  MonoSound mono(MakeWave({0x0102, -2, 3}), 22050, 2);
  ASSERT_TRUE(WriteWaveFile(abort, PathOf("m.wav"), mono, 0, 3));
  EXPECT_EQ(ReadBytes(PathOf("m.wav")), "RIFF" + Le32(42) + "WAVEfmt " + Le32(16) + Le16(1) + Le16(1) + Le32(22050) +
                                            Le32(44100) + Le16(2) + Le16(16) + "data" + Le32(6) +
                                            std::string("\x02\x01\xFE\xFF\x03\x00", 6));

  StereoSound stereo(MakeWave({-1, 32767, -32768}), MakeWave({256, -256, 0}), 11025, 1);
  ASSERT_TRUE(stereo.Save(abort, PathOf("s.wav"), false, 1, 3));
  EXPECT_EQ(ReadBytes(PathOf("s.wav")), "RIFF" + Le32(40) + "WAVEfmt " + Le32(16) + Le16(1) + Le16(2) + Le32(11025) +
                                            Le32(22050) + Le16(2) + Le16(8) + "data" + Le32(4) +
                                            std::string("\xFF\x7F\x00\x80", 4));

  ASSERT_TRUE(WriteWaveFile(abort, PathOf("e.wav"), stereo, 0, 0));
  const std::string empty = ReadBytes(PathOf("e.wav"));
  ASSERT_EQ(empty.size(), 44u);
  EXPECT_EQ(empty.substr(4, 4), Le32(36));
  EXPECT_EQ(empty.substr(40, 4), Le32(0));
}

TEST_F(WaveFileTest, RoundTripsGiveBackSamplesAndFormat) {
  const std::vector<int16_t> left{0, 1, -1, 255, -255, 32767, -32768, 12345, -12345};
  const std::vector<int16_t> right{9, 8, 7, 6, 5, 4, 3, 2, 1};
  for (uint16_t width : {1, 2}) {
    for (int channels : {1, 2}) {
      SCOPED_TRACE(testing::Message() << width << " bytes, " << channels << " channels");
      const SoundPtr original = channels == 1 ? MonoOf(left, 8000, width) : StereoOf(left, right, 48000, width);
      bool abort = false;
      ASSERT_TRUE(WriteWaveFile(abort, PathOf("rt.wav"), *original, 0, original->GetValues()));
      SoundPtr back;
      std::string status;
      ASSERT_TRUE(ReadWaveFile(PathOf("rt.wav"), back, status));
      EXPECT_EQ(status, wavestatus::kNoErrors);
      EXPECT_EQ(FormatOf(*back), FormatOf(*original));
      // 8 bits keep the high byte, truncated toward zero.
      const Samples16 kept = width == 2 ? left : Samples16{0, 0, 0, 0, 0, 32512, -32768, 12288, -12288};
      EXPECT_EQ(Samples(back->GetLeftWave()), kept);
      if (width == 2) {
        EXPECT_EQ(Samples(back->GetRightWave()), channels == 2 ? right : left);
      }

      // The play file is written in place (the same file, no other left beside it) and streamed
      // back in blocks that give the same samples as the whole read.
      struct stat before {}, after {};
      ASSERT_EQ(stat(PathOf("rt.wav").c_str(), &before), 0);
      ASSERT_TRUE(WriteWaveFile(abort, PathOf("rt.wav"), *original, 0, original->GetValues(), true));
      ASSERT_EQ(stat(PathOf("rt.wav").c_str(), &after), 0);
      EXPECT_EQ(after.st_ino, before.st_ino);
      EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(PathOf("rt.wav")).parent_path()), fs::directory_iterator{}), 1);
      WaveFrameReader stream;
      ASSERT_TRUE(stream.Open(PathOf("rt.wav"), status)) << status;
      EXPECT_EQ(std::tuple(stream.Channels(), stream.Rate(), stream.BytesPerSample(), stream.Frames()),
                std::tuple(channels, back->Freq, int{width}, int64_t{9}));
      Samples16 streamed[2] = {Samples16(9, 0), Samples16(9, 0)};
      for (auto [first, count] : {std::pair(0, 2), std::pair(2, 5), std::pair(7, 10)}) {
        EXPECT_EQ(stream.Read(first, count, streamed[0].data() + first,
                              channels == 2 ? streamed[1].data() + first : nullptr),
                  std::min(count, 9 - first));
      }
      EXPECT_EQ(stream.Read(9, 1, streamed[0].data(), nullptr), 0);
      EXPECT_EQ(streamed[0], Samples(back->GetLeftWave()));
      if (channels == 2) {
        EXPECT_EQ(streamed[1], Samples(back->GetRightWave()));
      }
    }
  }
  // Long enough to be written and read in several blocks.
  const SoundPtr longSound = StereoOf(Ramp(200000, 0, 7), Ramp(200000, 5, -3), 44100);
  bool abort = false;
  SoundPtr back;
  std::string status;
  ASSERT_TRUE(WriteWaveFile(abort, PathOf("long.wav"), *longSound, 0, 200000));
  ASSERT_TRUE(ReadWaveFile(PathOf("long.wav"), back, status));
  EXPECT_EQ(Channels(*back), Channels(*longSound));
}

TEST_F(WaveFileTest, WriterFailuresKeepTheOldFileAndSayWhy) {
  RecordingSink sink;
  bool abort = false;
  MonoSound sound(MakeWave(std::vector<int16_t>(5000, 7)), 22050, 2);
  const std::string target = WriteBytes("old contents", "t.wav");

  // A missing channel: no file, no message.
  StereoSound halfAborted(MakeWave({1}), nullptr, 22050, 2);
  EXPECT_FALSE(WriteWaveFile(abort, PathOf("none.wav"), halfAborted, 0, 1));
  EXPECT_FALSE(fs::exists(PathOf("none.wav")));
  EXPECT_TRUE(sink.messages.empty());

  // A folder that does not exist, and an empty name.
  EXPECT_FALSE(WriteWaveFile(abort, PathOf("no/such/folder.wav"), sound, 0, 10));
  EXPECT_FALSE(sound.Save(abort, "", false, 0, 10));
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0], (RecordedMessage{msgtext::kCannotWriteFile, "FileError", kMbOk | kMbIconInformation}));

  // A read-only file stays as it is.
  fs::permissions(target, fs::perms::owner_read);
  EXPECT_FALSE(WriteWaveFile(abort, target, sound, 0, 10));
  EXPECT_EQ(ReadBytes(target), "old contents");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);

  // A write that fails half way (the file-size limit stands in for a full disk).
  bool written = true, played = true;
  {
    const FileSizeLimit limit(1000);
    written = WriteWaveFile(abort, target, sound, 0, 5000);
    // The play file is written in place: failing, it goes, so that no part of it is played.
    played = WriteWaveFile(abort, PathOf("play.wav"), sound, 0, 5000, true);
  }
  EXPECT_FALSE(written || played);
  EXPECT_EQ(sink.messages.size(), 5u);
  EXPECT_EQ(ReadBytes(target), "old contents");
  EXPECT_EQ(FilesInDir(), std::vector<std::string>{"t.wav"});  // no temporary file left behind

  // And the same write with room succeeds, replacing the file and keeping its permissions.
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteWaveFile(abort, target, sound, 0, 5000));
  EXPECT_EQ(fs::file_size(target), 44u + 10000u);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(FilesInDir(), std::vector<std::string>{"t.wav"});
}

TEST_F(WaveFileTest, WritingThroughALinkReplacesTheFileItNames) {
  bool abort = false;
  MonoSound sound(MakeWave({1, 2}), 22050, 2);
  const std::string real = WriteBytes("x", "real.wav");
  fs::create_symlink(real, PathOf("link.wav"));
  ASSERT_TRUE(WriteWaveFile(abort, PathOf("link.wav"), sound, 0, 2));
  EXPECT_TRUE(fs::is_symlink(PathOf("link.wav")));
  EXPECT_EQ(fs::file_size(real), 48u);
}

static ino_t InodeOf(const std::string& path) {
  struct stat info{};
  stat(path.c_str(), &info);
  return info.st_ino;
}

// Both document writers: the WAVE file and the music file.
TEST_F(WaveFileTest, SavesKeepTheUsersLinkPermissionsAndFileInAFolderTheyCannotWrite) {
  RecordingSink sink;
  const std::vector<Writer> writers = BothWriters();
  const auto mode = [](const std::string& path) { return fs::status(path).permissions() & fs::perms::all; };
  const fs::perms owner = fs::perms::owner_read | fs::perms::owner_write;
  for (const Writer& w : writers) {
    SCOPED_TRACE(w.name);
    const std::string real = WriteBytes("old", std::string(w.name) + ".real"), link = PathOf(w.name);
    fs::create_symlink(std::string(w.name) + ".real", link);  // relative to the link's folder
    fs::permissions(real, owner);
    ASSERT_TRUE(w.save(real));
    EXPECT_EQ(mode(real), owner);  // a private file stays private
    WriteBytes("old", std::string(w.name) + ".real");
    ASSERT_TRUE(w.save(link));
    EXPECT_TRUE(fs::is_symlink(link) && Saved(w, real));

    // A folder that takes no new file: the file is written in place, once its room is taken.
    SetFolderWritableCheck([](const std::string&) { return false; });
    const auto before = InodeOf(real);
    WriteBytes("old", std::string(w.name) + ".real");
    const bool withoutRoom = UnderFileSizeLimit(40, [&] { return w.save(link); });
    EXPECT_EQ(std::tuple(withoutRoom, ReadBytes(real)), std::tuple(false, std::string("old")));
    if (w.head == "<?xml") {
      EXPECT_EQ(musicError_, xmltext::kCannotWrite);  // the music save says why: no room
    }
    const bool inPlace = w.save(link);
    SetFolderWritableCheck(nullptr);
    EXPECT_TRUE(inPlace && Saved(w, real));
    EXPECT_EQ(std::tuple(InodeOf(real), mode(real), fs::is_symlink(link)), std::tuple(before, owner, true));
  }
  fs::create_symlink("loop", PathOf("loop"));  // a link that names itself is no file to write
  for (const Writer& w : writers) EXPECT_FALSE(w.save(PathOf("loop"))) << w.name;
  EXPECT_EQ(FilesInDir().size(), 5u);  // no new file left behind
}

// A file known under several names: every name sees the save, and a full disk still leaves
// the file as it was.
TEST_F(WaveFileTest, SavesReachEveryHardLinkOfTheFile) {
  const std::vector<Writer> writers = BothWriters();
  for (const Writer& w : writers) {
    SCOPED_TRACE(w.name);
    const std::string file = WriteBytes("old", w.name), other = PathOf(std::string(w.name) + ".other");
    fs::create_hard_link(file, other);
    const bool withoutRoom = UnderFileSizeLimit(40, [&] { return w.save(file); });
    EXPECT_EQ(std::tuple(withoutRoom, ReadBytes(other)), std::tuple(false, std::string("old")));
    ASSERT_TRUE(w.save(file));
    EXPECT_TRUE(Saved(w, other) && ReadBytes(other) == ReadBytes(file));
    EXPECT_EQ(fs::hard_link_count(file), 2u);
    // With one name again the file is replaced whole by a new one, so a save cut short never
    // leaves half a file.
    fs::remove(other);
    const ino_t before = InodeOf(file);
    ASSERT_TRUE(w.save(file));
    EXPECT_NE(InodeOf(file), before);
  }
  EXPECT_EQ(FilesInDir().size(), 2u);  // no new file left behind
}

// The folder check above, through the system's own refusal: a folder of the user's that they may
// not write, holding files they may write but not read. Permission bits do not bind root, for
// whom the seams refuse as the system would.
TEST_F(WaveFileTest, SavesWriteInPlaceInAFolderTheUserCannotWrite) {
  if (geteuid() == 0) {
    SetFolderWritableCheck([](const std::string&) { return false; });
    SetInPlaceOpener([](const char* path, int flags) {
      if ((flags & O_ACCMODE) == O_WRONLY) return open(path, flags);
      errno = EACCES;
      return -1;
    });
  }
  const struct Restore {
    ~Restore() {
      SetFolderWritableCheck(nullptr);
      SetInPlaceOpener(nullptr);
    }
  } restore;
  const std::vector<Writer> writers = BothWriters();
  const std::string folder = PathOf("locked");
  fs::create_directory(folder);
  for (const Writer& w : writers) {
    const std::string file = folder + "/" + w.name;
    std::ofstream(file) << "old";
    const ino_t before = InodeOf(file);
    fs::permissions(file, fs::perms::owner_write);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const bool written = w.save(file);
    fs::permissions(folder, fs::perms::owner_all);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(written && Saved(w, file)) << w.name;
    EXPECT_EQ(InodeOf(file), before) << w.name;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

// What the C library does where the file system cannot reserve room itself: it reads a byte of
// each block and writes a zero where the file has none yet.
static int ReserveByReading(int fd, int64_t size) {
  struct stat info{};
  if (fstat(fd, &info) != 0) return errno;
  const int64_t block = info.st_blksize > 0 ? info.st_blksize : 512;
  for (int64_t at = (size - 1) % block; at < size; at += block) {
    char byte = 0;
    const ssize_t bytesRead = pread(fd, &byte, 1, at);
    if (bytesRead < 0) return errno;
    if (bytesRead == 0 && pwrite(fd, "", 1, at) != 1) return errno;
  }
  return 0;
}

TEST_F(WaveFileTest, SavesInPlaceWhereTakingTheRoomReadsTheFile) {
  SetSpaceReserver(ReserveByReading);
  const struct Restore {
    ~Restore() {
      SetSpaceReserver(nullptr);
      SetFolderWritableCheck(nullptr);
    }
  } restore;
  for (const Writer& w : BothWriters()) {
    SCOPED_TRACE(w.name);
    const std::string file = WriteBytes("old", w.name), other = PathOf(std::string(w.name) + ".other");
    fs::create_hard_link(file, other);
    ASSERT_TRUE(w.save(file));
    EXPECT_TRUE(Saved(w, other) && ReadBytes(other) == ReadBytes(file));
    fs::remove(other);
    SetFolderWritableCheck([](const std::string&) { return false; });
    const ino_t before = InodeOf(file);
    WriteBytes("old", w.name);
    const bool inPlace = w.save(file);
    SetFolderWritableCheck(nullptr);
    EXPECT_TRUE(inPlace && Saved(w, file));
    EXPECT_EQ(InodeOf(file), before);
  }
  // A refused reservation is told as a full disk only when room is what it lacks; the file keeps
  // its content and its size either way, also where the reservation lengthened it part way before
  // the room ran out (as the C library's reading one does).
  const Writer music = BothWriters()[1];
  const std::string file = WriteBytes("old", "linked.kvm");
  fs::create_hard_link(file, PathOf("linked.other"));
  const std::pair<SpaceReserver, const char*> refusals[] = {
      {[](int fd, int64_t size) { return ftruncate(fd, size / 2) == 0 ? ENOSPC : errno; },
       xmltext::kCannotWrite},
      {[](int, int64_t) { return EBADF; }, xmltext::kCannotOpenForWriting}};
  for (const auto& [reserver, error] : refusals) {
    SetSpaceReserver(reserver);
    EXPECT_FALSE(music.save(file));
    EXPECT_EQ(std::pair(musicError_, ReadBytes(file)), std::pair(std::string(error), std::string("old")));
  }
}

// The new file beside the target does not take its name from the target's, which may already be
// as long as a name can be.
TEST_F(WaveFileTest, SavesAFileWhoseNameIsAsLongAsANameCanBe) {
  std::vector<std::string> names;
  for (const Writer& w : BothWriters()) {
    SCOPED_TRACE(w.name);
    names.push_back(std::string(w.name) + std::string(255 - std::string(w.name).size(), 'n'));
    const std::string path = PathOf(names.back());
    EXPECT_TRUE(w.save(path) && Saved(w, path));
    WriteBytes("old", names.back());
    EXPECT_TRUE(w.save(path) && Saved(w, path));
  }
  std::vector<std::string> files = FilesInDir();
  std::sort(files.begin(), files.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(files, names);  // no new file left behind
}

// The new file beside the target is made only under a name no file has: a file that has the next
// name is left as it is, and the name after it is tried.
TEST_F(WaveFileTest, SavesLeaveAFileThatHasTheSideFilesNameAsItIs) {
  const std::string taken = ".kv" + std::to_string(getpid()) + "-1";
  for (const Writer& w : BothWriters()) {
    SCOPED_TRACE(w.name);
    WriteBytes("mine", taken);
    SetSideFileSerial(0);
    EXPECT_TRUE(w.save(PathOf(w.name)) && Saved(w, PathOf(w.name)));
    EXPECT_EQ(ReadBytes(PathOf(taken)), "mine");
  }
  EXPECT_EQ(FilesInDir().size(), 3u);  // no new file left behind
}

// A name longer than the file system takes (130 accented letters are 260 bytes) cannot be opened
// for writing, and is refused before anything is written: no file is made in the folder, not even
// for a moment.
TEST_F(WaveFileTest, SavesRefuseANameTooLongForTheFileSystemBeforeWritingAnything) {
  RecordingSink sink;
  std::string name;
  for (int letter = 0; letter < 130; ++letter) name += "\xC3\xA9";
  const timespec longAgo[2] = {{1000, 0}, {1000, 0}};
  for (const Writer& w : BothWriters()) {
    SCOPED_TRACE(w.name);
    ASSERT_EQ(utimensat(AT_FDCWD, dir_.c_str(), longAgo, 0), 0);
    EXPECT_FALSE(w.save(PathOf(name + ".kvm")));
    struct stat folder{};
    ASSERT_EQ(stat(dir_.c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mtim.tv_sec, 1000);  // made and removed, a file would have changed it
  }
  EXPECT_TRUE(FilesInDir().empty());
  EXPECT_EQ(musicError_, xmltext::kCannotOpenForWriting);
  const RecordedMessage refused{msgtext::kCannotWriteFile, "FileError", kMbOk | kMbIconInformation};
  EXPECT_EQ(sink.messages, std::vector{refused});
}

// A failed WAVE save removes what it wrote before its box shows: on a full disk the part written
// would otherwise hold the room for as long as the user leaves the box open.
TEST_F(WaveFileTest, AFailedWaveSaveHasRemovedItsPartWrittenFileWhenTheBoxShows) {
  struct FolderAtEachBox : RecordingSink {
    std::function<std::vector<std::string>()> list;
    std::vector<std::vector<std::string>> folders;
    int ShowMessage(const std::string& text, const std::string& caption, int flags) override {
      folders.push_back(list());
      return RecordingSink::ShowMessage(text, caption, flags);
    }
  } sink;
  sink.list = [this] { return FilesInDir(); };
  MonoSound sound(MakeWave(std::vector<int16_t>(5000, 7)), 22050, 2);
  WriteBytes("old", "t.wav");
  for (const auto& [name, temporary] :
       {std::pair("new.wav", false), std::pair("t.wav", false), std::pair("play.wav", true)}) {
    const auto save = [&] { return WriteWaveFile(abort_, PathOf(name), sound, 0, 5000, temporary); };
    EXPECT_FALSE(UnderFileSizeLimit(1000, save)) << name;
  }
  const std::vector<std::string> onlyTheOldFile{"t.wav"};
  EXPECT_EQ(sink.folders, std::vector(3, onlyTheOldFile));
  EXPECT_EQ(ReadBytes(PathOf("t.wav")), "old");
}

TEST_F(WaveFileTest, ReaderSkipsForeignChunksAndPaddingAroundTheFormat) {
  const std::string samples = Le16(100) + Le16(static_cast<uint16_t>(-200)) + Le16(300);
  const std::string data = DataChunk(6, samples);
  const std::string cases[] = {
      RiffFile(FormatChunk({}) + data),
      RiffFile(Chunk("LIST", "abc") + Chunk("JUNK", std::string(28, '\0')) + FormatChunk({}) + data),
      RiffFile(Chunk("bext", "x") + FormatChunk({.formatSize = 18}) + Chunk("fact", Le32(3)) + data),
      RiffFile(FormatChunk({.formatSize = 17}) + data),
      RiffFile(FormatChunk({}) + data, 0xFFFFFFFF),  // the RIFF size is not trusted
  };
  for (const std::string& file : cases) {
    SoundPtr sound = Read(file, wavestatus::kNoErrors);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(Describe(*sound), Describe(*MonoOf({100, -200, 300})));
  }
}

TEST_F(WaveFileTest, DeclaredDataSizeCountsOnlyAsFarAsTheFileGoes) {
  ScopedSampleBudget budget(1 << 20);  // a lie about the size must not turn into a large allocation
  struct Case { uint16_t channels, bits; uint32_t declared; std::string bytes; int32_t values; };
  const Case cases[] = {
      {1, 16, 0, "", 0},
      {2, 8, 0, "\x80\x80", 0},  // a size of 0 reads nothing, even with bytes behind it
      {1, 16, 0x80000010, Le16(1) + Le16(2), 2},
      {1, 16, 0xFFFFFFFF, Le16(1) + Le16(2) + "\x05", 2},
      {2, 16, 100, Le16(1) + Le16(2) + Le16(3), 1},  // only whole frames
      {1, 16, 4, Le16(1), 1},                        // the file ends early
      {2, 8, 3, "\x80\x81\x82\x83", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.declared);
    SoundPtr sound = Read(RiffFile(FormatChunk({.channels = c.channels, .rate = 8000, .bits = c.bits}) +
                                   DataChunk(c.declared, c.bytes)),
                          wavestatus::kNoErrors);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(std::tuple(FormatOf(*sound), sound->GetValues()),
              std::tuple(std::tuple(int{c.channels}, 8000, c.bits / 8), c.values));
  }
}

TEST_F(WaveFileTest, MalformedHeadersGiveTheirStatusText) {
  using namespace wavestatus;
  const int64_t held = SampleBytesInUse();
  const std::string data = DataChunk(2, Le16(5));
  struct Case { std::string file; const char* status; };
  const Case cases[] = {
      {"RIFX" + RiffFile(FormatChunk({}) + data).substr(4), kNoRiff},
      {"RIFF" + Le32(40) + "AVI " + FormatChunk({}) + data, kNoWaveFmt},
      {RiffFile(data + FormatChunk({})), kNoWaveFmt},
      {RiffFile("JUNK" + Le32(1000) + "x"), kNoWaveFmt},
      {RiffFile(FormatChunk({.formatSize = 14}).substr(0, 8 + 14) + data), kChunkTooSmall},
      {RiffFile(FormatChunk({.tag = 3}) + data), kNotPcm},
      {RiffFile(FormatChunk({.channels = 0}) + data), kBadChannels},
      {RiffFile(FormatChunk({.channels = 3}) + data), kBadChannels},
      {RiffFile(FormatChunk({.rate = 0}) + data), kBadRate},
      {RiffFile(FormatChunk({.rate = 0x80000000u}) + data), kBadRate},
      {RiffFile(FormatChunk({.bits = 0}) + data), kBadWidth},
      {RiffFile(FormatChunk({.bits = 24}) + data), kBadWidth},
      {RiffFile(FormatChunk({})), kNoData},
      {RiffFile(FormatChunk({}) + "fact" + Le32(0xFFFFFFFF) + data), kNoData},
      {RiffFile("fmt " + Le32(0xFFFFFFF0u) + FormatChunk({}).substr(8) + data), kNoData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    Read(c.file, c.status);
  }
  EXPECT_EQ(SampleBytesInUse(), held);
}

TEST_F(WaveFileTest, AFileCutInsideItsHeaderFailsWithoutReadingPastTheEnd) {
  const std::string whole = RiffFile(FormatChunk({}) + DataChunk(2, Le16(5)));
  ASSERT_EQ(whole.size(), 46u);
  for (size_t length = 0; length < 44; ++length) {
    SCOPED_TRACE(length);
    const char* expected = length == 12   ? wavestatus::kNoWaveFmt
                           : length == 36 ? wavestatus::kNoData
                                          : wavestatus::kTooShort;
    Read(whole.substr(0, length), expected);
  }
  // Only the samples are missing: an empty sound of the file's format.
  SoundPtr sound = Read(whole.substr(0, 44), wavestatus::kNoErrors);
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(std::pair(sound->GetValues(), sound->Freq), std::pair(0, 22050));
}

TEST_F(WaveFileTest, ReaderRefusesWhatIsNotAReadableFile) {
  SoundPtr sound;
  std::string status;
  EXPECT_FALSE(ReadWaveFile(PathOf("missing.wav"), sound, status));
  EXPECT_EQ(std::pair(status, sound.get()), std::pair(std::string(wavestatus::kCannotOpen), (Sound*)nullptr));
  // What is no regular file is refused from its type, never opened: a pipe cannot hold the read.
  for (const std::string& path : {dir_.string(), std::string("/dev/zero"), std::string("/dev/urandom")}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(ReadWaveFile(path, sound, status));
    EXPECT_EQ(std::pair(status, sound.get()), std::pair(std::string(wavestatus::kNotRegular), (Sound*)nullptr));
  }
  for (FifoWatch::Writer writer : {FifoWatch::kNoWriter, FifoWatch::kSilentWriter}) {
    SCOPED_TRACE(writer);
    const FifoWatch pipe(PathOf("pipe.wav"), writer);
    ASSERT_TRUE(pipe.Ready());
    WaveFrameReader frames;
    EXPECT_EQ(std::tuple(ReadWaveFile(PathOf("pipe.wav"), sound, status), status,
                         frames.Open(PathOf("pipe.wav"), status), status),
              std::tuple(false, std::string(wavestatus::kNotRegular), false, std::string(wavestatus::kNotRegular)));
    EXPECT_FALSE(pipe.Opened()) << "the reader waited on the pipe";
  }
  // A file of /proc tells a size of 0, and is taken for one: what it would give is never read.
  const uint64_t read = BytesReadSoFar();
  EXPECT_FALSE(ReadWaveFile("/proc/self/status", sound, status));
  EXPECT_EQ(status, wavestatus::kTooShort);
  EXPECT_LT(BytesReadSoFar() - read, 1024u);
  // Two gigabytes of zeros: the first four bytes tell it is no wave.
  ASSERT_TRUE(MakeSparseFile(PathOf("zeros.wav"), int64_t{2} << 30));
  const uint64_t beforeZeros = BytesReadSoFar();
  EXPECT_FALSE(ReadWaveFile(PathOf("zeros.wav"), sound, status));
  EXPECT_EQ(status, wavestatus::kNoRiff);
  EXPECT_LT(BytesReadSoFar() - beforeZeros, 1024u);

  // No memory for the samples: the box is shown and nothing is kept.
  RecordingSink sink;
  const int64_t held = SampleBytesInUse();
  {
    ScopedSampleBudget budget(held + 30);  // room for the left channel only
    Read(RiffFile(FormatChunk({.channels = 2}) + DataChunk(40, std::string(40, '\0'))), wavestatus::kNoMemory);
  }
  // One box from each reader.
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text + sink.messages[1].text, std::string(msgtext::kNoMemory) + msgtext::kNoMemory);
  EXPECT_EQ(SampleBytesInUse(), held);
}
