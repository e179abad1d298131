// The File menu's document commands on wave documents, and the extension music Save As gives, with
// the file dialogs and message boxes answered through the hooks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMimeDatabase>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <thread>

#include "app/wavewindow/ChildWave.h"
#include "app/dialogs/DWaveProps.h"
#include "app/MainFile.h"
#include "app/MuzWindows.h"
#include "app/fakes/file_dialog.h"
#include "app/fakes/main_window.h"
#include "app/fakes/test_document.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "gui/cursors.h"
#include "music/unitmuz.h"
#include "support/file_size_limit.h"
#include "support/recording_sink.h"
#include "support/samples.h"
#include "support/unreadable_files.h"
#include "wave/wave.h"
#include "wave/wavefile.h"

namespace fs = std::filesystem;

namespace {

const fs::path kScratch = testing::TempDir() + "korvalen-mainfile-" + std::to_string(getpid());

std::string Doc(const std::string& name) { return (kScratch / name).string(); }

// Samples 0, 10, 20 ... (the right channel negated).
SoundPtr Rising(int32_t count, int16_t channels) {
  return channels == 1 ? MonoOf(Ramp(count, 0, 10))
                       : StereoOf(Ramp(count, 0, 10), Ramp(count, 0, -10));
}

void WriteWave(const std::string& path, int32_t count, int16_t channels = 1) {
  bool abort = false;
  ASSERT_TRUE(WriteWaveFile(abort, path, *Rising(count, channels), 0, count));
}

// A read-only folder; running as root, which writes there all the same, a file-size limit that
// no wave of these tests passes stops the writer too.
class UnwritableFolder {
 public:
  explicit UnwritableFolder(const fs::path& folder) : folder_(folder) {
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
    if (access(folder_.c_str(), W_OK) == 0) limit_.emplace(64);
  }
  ~UnwritableFolder() {
    limit_.reset();
    fs::permissions(folder_, fs::perms::owner_all);
  }

 private:
  fs::path folder_;
  std::optional<FileSizeLimit> limit_;
};

// The process's working folder for a scope.
class WorkingFolder {
 public:
  explicit WorkingFolder(const fs::path& folder) : before_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~WorkingFolder() { fs::current_path(before_); }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  fs::path before_;
};

// Points HOME, which "~" in a typed name stands for, at `folder` while it lives.
class HomeFolder {
 public:
  explicit HomeFolder(const std::string& folder)
      : wasSet_(qEnvironmentVariableIsSet("HOME")), before_(qgetenv("HOME")) {
    qputenv("HOME", folder.c_str());
  }
  ~HomeFolder() { wasSet_ ? qputenv("HOME", before_) : qunsetenv("HOME"); }
  HomeFolder(const HomeFolder&) = delete;
  HomeFolder& operator=(const HomeFolder&) = delete;

 private:
  bool wasSet_;
  QByteArray before_;
};

// Whether this process may read the kernel's log through /proc/kmsg, whose read waits until the
// kernel logs something, and write that log through /dev/kmsg, which ends such a wait.
bool KernelLogReadableAndWritable() {
  const int reader = open("/proc/kmsg", O_RDONLY | O_NONBLOCK);
  const int writer = open("/dev/kmsg", O_WRONLY);
  for (int file : {reader, writer}) {
    if (file >= 0) close(file);
  }
  return reader >= 0 && writer >= 0;
}

// Notes whether the process opens /proc/kmsg while it lives, and ends any wait in a read of it
// with a line in the kernel's log, so that a dialog reading it fails the test instead of hanging it.
class KernelLogReads {
 public:
  bool Seen() const { return seen_; }

 private:
  static bool Open() {
    std::error_code error;
    for (fs::directory_iterator file("/proc/self/fd", error), end; !error && file != end;
         file.increment(error)) {
      std::error_code closed;
      if (fs::read_symlink(file->path(), closed) == "/proc/kmsg") return true;
    }
    return false;
  }
  // The toolkit reads on until it has 16 KiB: long lines, one after the other, end it soon.
  static void Log() {
    const std::string line = "korvalen tests: ending a read of /proc/kmsg " + std::string(900, '.');
    const int log = open("/dev/kmsg", O_WRONLY);
    if (log < 0 || write(log, line.data(), line.size()) < 0) perror("/dev/kmsg");
    if (log >= 0) close(log);
  }
  void Watch(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
      const bool reading = Open();
      if (reading) {
        seen_ = true;
        Log();
      }
      // No event tells that a file was opened: the watch looks again a moment later, soon while
      // a read waits. It paces this thread only; the test waits on its own conditions.
      std::this_thread::sleep_for(std::chrono::milliseconds(reading ? 1 : 20));
    }
  }

  std::atomic<bool> seen_ = false;
  std::jthread watcher_{[this](const std::stop_token& stop) { Watch(stop); }};
};

class MainFile : public MainWindowTest {
 protected:
  MainFile() : MainWindowTest("mainfile") {}

  // File dialogs show the scratch folder and take the next answers (no names: Cancel; several: a
  // list in quotes), entered as a user would after `driveFiles` (choosing a filter, say) has had
  // the dialog; the properties dialog is handed to `driveProps`.
  int Answer(QDialog& dialog) {
    if (auto* props = dynamic_cast<TDlgWaveFileProp*>(&dialog)) {
      props->show();
      if (driveProps) driveProps(*props);
      return props->isVisible() ? QDialog::Rejected : props->result();
    }
    auto& files = dynamic_cast<QFileDialog&>(dialog);
    QStringList filters;  // as the user sees them
    const auto* types = files.findChild<QComboBox*>("fileTypeCombo");
    for (int i = 0; i < types->count(); ++i) filters << types->itemText(i);
    shown.push_back({files.acceptMode(), files.defaultSuffix(), filters});
    // A name read wrongly lands in the folder shown: never outside the scratch folder.
    files.setDirectory(QString::fromStdString(kScratch.string()));
    if (driveFiles) driveFiles(files);
    // A folder's name keeps the dialog open, in that folder, for the next answer.
    while (!answers.empty()) {
      const std::vector<std::string> names = answers.front();
      answers.pop_front();
      if (names.empty()) break;
      QString text = QString::fromStdString(names[0]);
      if (names.size() > 1) {
        text.clear();
        for (const std::string& name : names) {
          text += "\"" + QString::fromStdString(fs::path(name).filename().string()) + "\" ";
        }
      }
      const bool closed = byKeys ? TypeFileName(files, text.trimmed(), toolkitBoxes)
                                 : EnterFileName(files, text.trimmed(), toolkitBoxes);
      if (closed) return files.result();
    }
    files.reject();
    return QDialog::Rejected;
  }

  TUnitWave* Unit() const { return form->ActiveUnitWave(); }
  // A new music document in a window of its own.
  TUnitMuz* AddMusic() {
    auto music = std::make_unique<TUnitMuz>("NONAME1");
    music->InitNew();
    TUnitMuz* unit = music.get();
    form->AddMDIChild(std::make_unique<TestChild>(std::move(music)), "NONAME1");
    return unit;
  }
  void Activate(const TUnit* unit) { form->MdiArea()->setActiveSubWindow(form->ChildOfUnit(unit)); }
  // A wave opened from take.wav in the scratch folder, and a new music document.
  std::pair<TUnit*, TUnit*> WaveAndMusic() {
    WriteWave(Doc("take.wav"), 10);
    Trigger("FileOpenWave", {{Doc("take.wav")}});
    TUnit* wave = Unit();
    return {wave, AddMusic()};
  }
  // The names of the files (not folders) in `folder`.
  static std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (!entry.is_directory()) names.insert(entry.path().filename().string());
    }
    return names;
  }
  std::string Caption() const { return form->GetActiveMDIChild()->windowTitle().toStdString(); }
  void Trigger(const char* action, std::vector<std::vector<std::string>> replies = {}) {
    answers.insert(answers.end(), replies.begin(), replies.end());
    // A user's click comes after the idle update has set the action state.
    QApplication::processEvents();
    form->Action(action)->trigger();
  }

  struct Shown {
    QFileDialog::AcceptMode accept;
    QString suffix;
    QStringList filters;
  };
  RecordingSink sink;
  std::deque<std::vector<std::string>> answers;
  std::vector<Shown> shown;  // the file dialogs
  QStringList toolkitBoxes;  // the file dialogs' own
  std::function<void(TDlgWaveFileProp&)> driveProps;
  std::function<void(QFileDialog&)> driveFiles;
  bool byKeys = false;  // the answers typed with keys, else put into the name box whole
  ScopedModalRunner runner{[this](QDialog& dialog) { return Answer(dialog); }};
};

// Open Music makes a plain document window around the score.
class MainFileMusic : public MainFile {
 protected:
  void SetUp() override {
    SetMuzWindowMaker([](QWidget*, std::unique_ptr<TUnitMuz> unit) {
      return std::unique_ptr<TMDIChildKorvalen>(std::make_unique<TestChild>(std::move(unit)));
    });
    MainFile::SetUp();
  }
  void TearDown() override {
    MainFile::TearDown();
    SetMuzWindowMaker(previousMaker_);
  }

 private:
  const MuzWindowMaker previousMaker_ = GetMuzWindowMaker();
};

}  // namespace

TEST_F(MainFile, NewWaveOffersStereoCdFormatAndMakesNumberedNewDocuments) {
  Trigger("FileNewWave");  // cancelled
  EXPECT_TRUE(form->MDIChildren().empty());
  EXPECT_EQ(form->NoNameCounter, 0);

  form->LastUsedProps.Volume.Mode = 1;
  driveProps = [](TDlgWaveFileProp& dialog) {
    EXPECT_EQ(dialog.grpWaveValues->ItemIndex(), 1);
    EXPECT_EQ(dialog.lbSampleFreq->currentRow(), 3);
    EXPECT_EQ(dialog.grpMonoStereo->ItemIndex(), 1);
    dialog.lbSampleFreq->setCurrentRow(2);
    dialog.grpMonoStereo->SetItemIndex(0);
    dialog.OKBtn->click();
  };
  Trigger("FileNewWave");
  Trigger("FileNewWave");
  const TUnitWave* unit = Unit();
  EXPECT_EQ(std::tuple(Caption(), unit->GetFileName(), unit->GetName(), unit->GetState()),
            std::tuple("NONAME2", "NONAME2", "", kUnitStateNew));
  EXPECT_EQ(std::tuple(unit->GetChannels(), unit->GetSamplesPerSec(), unit->GetProps().Volume.Mode),
            std::tuple(1, 22050u, 1));
  // An empty wave is neither saved nor saved as.
  Trigger("FileSave");
  Trigger("FileSaveAs");
  EXPECT_TRUE(shown.empty());
}

TEST_F(MainFile, OpenWaveReportsEachFileTheReaderRefusesAndOpensTheNext) {
  Trigger("FileOpenWave", {{}});  // cancelled
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(
      std::pair(shown[0].accept, shown[0].filters),
      std::pair(QFileDialog::AcceptOpen, QStringList{"Wave Files (*.wav)", "All files (*.*)"}));

  std::ofstream(Doc("bad.wav")) << "This is a text file, and no sound at all.";
  WriteWave(Doc("good.wav"), 100, 2);
  Trigger("FileOpenWave", {{Doc("bad.wav"), Doc("good.wav")}});
  EXPECT_FALSE(form->OpenWaveFile(Doc("missing.wav")));
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0], (RecordedMessage{"Cannot read the file: \"" + Doc("bad.wav") + "\"" +
                                                   wavestatus::kNoRiff,
                                               "File Error", kMbOk | kMbIconInformation}));
  EXPECT_EQ(sink.messages[1].text,
            "Cannot read the file: \"" + Doc("missing.wav") + "\"" + wavestatus::kCannotOpen);
  ASSERT_EQ(form->MDIChildren().size(), 1u);
  EXPECT_EQ(std::tuple(Caption(), Unit()->GetState(), Unit()->GetValues(), form->NoNameCounter),
            std::tuple(Doc("good.wav"), kUnitStateSaved, 100, 0));
  EXPECT_EQ(ScreenCursor(), crDefault);
}

TEST_F(MainFile, DuplicateCopiesTheSelectionOrTheWholeWaveWithTheSourceWindowsDisplay) {
  WriteWave(Doc("source.wav"), 10, 2);
  Trigger("FileOpenWave", {{Doc("source.wav")}});
  auto* source = static_cast<TMDIChildWave*>(form->GetActiveMDIChild());
  TUnitWave* original = Unit();
  TWaveViewProps points;
  points.DrawKind = 1;
  source->SetWaveViewProps(points);
  original->SetSelRange(2, 5);
  Trigger("DuplicateWave");
  const TUnitWave* part = Unit();
  ASSERT_NE(part, original);
  EXPECT_EQ(std::pair(Caption(), part->GetState()),
            std::pair(std::string("NONAME1"), kUnitStateNew));
  EXPECT_EQ(Channels(*part->GetSound()), (std::vector<Samples16>{{20, 30, 40}, {-20, -30, -40}}));
  EXPECT_EQ(static_cast<TMDIChildWave*>(form->GetActiveMDIChild())->GetWaveViewProps().DrawKind, 1);

  form->MdiArea()->setActiveSubWindow(source);
  original->SetCursor(4);
  Trigger("DuplicateWave");
  EXPECT_EQ(std::pair(Caption(), Unit()->GetValues()), std::pair(std::string("NONAME2"), 10));
}

TEST_F(MainFile, SaveWritesInPlaceAndSaveAsUnderTheChosenNameWhenTheUserAgrees) {
  WriteWave(Doc("take.wav"), 100);
  Trigger("FileOpenWave", {{Doc("take.wav")}});
  TUnitWave* unit = Unit();
  unit->SetSound(Rising(7, 1));
  unit->SetModified();
  Trigger("FileSave");
  EXPECT_EQ(std::pair(shown.size(), unit->GetState()),
            std::pair(size_t{1}, kUnitStateSaved));  // no dialog
  SoundPtr written;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(Doc("take.wav"), written, status));
  EXPECT_EQ(written->GetValues(), 7);

  unit->SetModified();
  Trigger("FileSaveAs", {{}});  // cancelled
  EXPECT_EQ(std::tuple(shown[1].suffix, Caption(), unit->GetState()),
            std::tuple(QString("wav"), Doc("take.wav"), kUnitStateModified));

  // Replacing a file is asked first, and a folder that does not exist is refused: both show the
  // dialog again. A name without extension gets ".wav".
  std::ofstream(Doc("other.wav")) << "kept";
  sink.replies.push_back(kIdNo);
  Trigger("FileSaveAs", {{Doc("other.wav")}, {Doc("nowhere/x.wav")}, {Doc("copy")}});
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(std::pair(sink.messages[0].text, sink.messages[1].text),
            std::pair(Doc("other.wav") + filetext::kReplaceAfter,
                      Doc("nowhere/x.wav") + filetext::kNoFolderAfter));
  EXPECT_EQ(std::ifstream(Doc("other.wav")).get(), 'k');
  EXPECT_TRUE(fs::exists(Doc("copy.wav")));
  EXPECT_EQ(std::tuple(unit->GetFileName(), Caption(), unit->GetState()),
            std::tuple(Doc("copy.wav"), Doc("copy.wav"), kUnitStateSaved));
}

TEST_F(MainFile, AFailedWriteChangesNothingAndKeepsTheWindowOpen) {
  fs::create_directories(Doc("locked"));
  const std::string file = Doc("locked/take.wav");
  WriteWave(file, 100);
  Trigger("FileOpenWave", {{file}});
  TMDIChildKorvalen* window = form->GetActiveMDIChild();
  TUnitWave* unit = Unit();
  unit->SetModified();
  UnwritableFolder locked(Doc("locked"));

  EXPECT_FALSE(form->SaveWave(unit));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(std::tuple(sink.messages[0].text, unit->GetState(), ScreenCursor()),
            std::tuple(std::string(msgtext::kCannotWriteFile), kUnitStateModified, crDefault));

  answers.push_back({Doc("locked/other.wav")});
  EXPECT_FALSE(form->SaveWaveAs(unit));
  EXPECT_EQ(std::tuple(sink.messages.size(), unit->GetFileName(), Caption(), unit->GetState()),
            std::tuple(size_t{2}, file, file, kUnitStateModified));

  sink.replies.push_back(kIdYes);  // "Do you want to save?"
  window->close();
  ASSERT_EQ(sink.messages.size(), 4u);
  EXPECT_EQ(sink.messages[2].text, kSaveQuestion);
  EXPECT_EQ(form->ChildOfUnit(unit), window);
}

TEST_F(MainFile, ADocumentWhoseNameTheUserNeverChoseIsSavedThroughTheDialog) {
  auto rendered = std::make_unique<TUnitWave>("NONAME7", Rising(50, 1));  // as Generate leaves it
  rendered->SetModified();
  TUnitWave* unit = rendered.get();
  form->AddMDIChild(std::make_unique<TestChild>(std::move(rendered)), "NONAME7");
  const fs::path before = fs::current_path();
  fs::current_path(kScratch);
  Trigger("FileSave", {{}});
  EXPECT_EQ(std::pair(shown.size(), unit->GetState()), std::pair(size_t{1}, kUnitStateModified));
  answers.push_back({Doc("render.wav")});
  EXPECT_TRUE(form->SaveWave(unit));
  fs::current_path(before);
  EXPECT_TRUE(!fs::exists(Doc("NONAME7")) && fs::exists(Doc("render.wav")));
  EXPECT_EQ(Caption(), Doc("render.wav"));
}

// A music name typed without extension gets the chosen filter's, so Open Music lists it under
// that filter; only "All files" falls back to ".xml". A typed extension stays.
TEST_F(MainFile, MusicSaveAsGivesATypedNameTheExtensionOfTheChosenFilter) {
  TUnitMuz* unit = AddMusic();
  using Pick = std::function<void(QFileDialog&)>;
  const Pick asOpened;
  const Pick inCode = [](QFileDialog& d) {
    d.selectNameFilter(NameFilters(filetext::kMuzFilter)[1]);  // as the dialog was given it
  };
  const Pick lastByUser = [](QFileDialog& d) {
    QTest::keyClick(d.findChild<QComboBox*>("fileTypeCombo"), Qt::Key_End);
  };
  const struct {
    Pick pick;
    std::string typed, written;
  } cases[] = {
      {asOpened, "opened", "opened.kvm"},    {inCode, "coded", "coded.xml"},
      {lastByUser, "every", "every.xml"},    {asOpened, "typed.xml", "typed.xml"},
      {lastByUser, "kept.kvm", "kept.kvm"},
  };
  for (const auto& [pick, typed, written] : cases) {
    SCOPED_TRACE(typed);
    driveFiles = pick;
    Trigger("FileSaveAs", {{Doc(typed)}});
    EXPECT_EQ(std::pair(unit->GetFileName(), fs::exists(Doc(written))),
              std::pair(Doc(written), true));
  }
  ASSERT_EQ(shown.size(), std::size(cases));
  EXPECT_EQ(std::pair(shown[0].suffix, shown[0].filters),
            std::pair(QString("xml"), QStringList{"Music Files (*.kvm)", "XML Files (*.xml)",
                                                   "All files (*.*)"}));
}

// The toolkit reads double quotes as a list of names; a name typed whole is one name, quotes and
// all, for Save As of either kind and for Open. A list of names in quotes still opens each (see
// OpenWaveReportsEachFileTheReaderRefusesAndOpensTheNext).
TEST_F(MainFile, ATypedNameWithDoubleQuotesIsOneName) {
  fs::create_directories(Doc("saves"));
  const auto [wave, music] = WaveAndMusic();
  const struct {
    TUnit* unit;
    std::string typed, written;
  } cases[] = {
      {wave, "saves/say \"hi\" now.wav", "saves/say \"hi\" now.wav"},
      {wave, "saves/\"quoted\"", "saves/\"quoted\".wav"},
      {music, "saves/say \"hi\" now", "saves/say \"hi\" now.kvm"},
  };
  for (const auto& [unit, typed, written] : cases) {
    SCOPED_TRACE(typed);
    Activate(unit);
    Trigger("FileSaveAs", {{Doc(typed)}});
    EXPECT_EQ(std::pair(unit->GetFileName(), fs::exists(Doc(written))),
              std::pair(Doc(written), true));
  }
  EXPECT_EQ(FilesIn(Doc("saves")),
            (std::set<std::string>{"say \"hi\" now.wav", "\"quoted\".wav", "say \"hi\" now.kvm"}));
  EXPECT_EQ(FilesIn(kScratch), std::set<std::string>{"take.wav"});

  Trigger("FileOpenWave", {{Doc("saves/say \"hi\" now.wav")}});
  EXPECT_EQ(std::pair(form->MDIChildren().size(), Caption()),
            std::pair(size_t{3}, Doc("saves/say \"hi\" now.wav")));
  EXPECT_TRUE(toolkitBoxes.isEmpty()) << toolkitBoxes.join(" / ").toStdString();
  EXPECT_TRUE(sink.messages.empty());
}

// Started from another folder (a desktop starts it in the home folder), the dialog still takes a
// typed name relative to the folder it shows: a folder's name, with a slash or without, goes into
// that folder, with the name box emptied for what is typed next, and no name is made of the
// extension alone.
TEST_F(MainFile, AFolderNameTypedIntoSaveAsGoesIntoThatFolder) {
  byKeys = true;
  fs::create_directories(Doc("saves/inner"));
  fs::create_directories(Doc("started"));
  WorkingFolder started(Doc("started"));
  HomeFolder home(Doc("saves"));
  const auto [wave, music] = WaveAndMusic();
  const struct {
    TUnit* unit;
    std::string typed, saved;
  } cases[] = {
      {wave, "inner/", "one.wav"},
      {wave, "inner", "two.wav"},
      {music, "inner/", "three.kvm"},
      {music, "inner", "four.kvm"},
      {wave, "~/inner/", "five.wav"},
  };
  for (const auto& [unit, typed, saved] : cases) {
    SCOPED_TRACE(typed + " " + saved);
    Activate(unit);
    Trigger("FileSaveAs", {{Doc("saves")}, {typed}, {fs::path(saved).stem().string()}});
    EXPECT_EQ(unit->GetFileName(), Doc("saves/inner/" + saved));
  }
  EXPECT_EQ(FilesIn(Doc("saves/inner")),
            (std::set<std::string>{"one.wav", "two.wav", "three.kvm", "four.kvm", "five.wav"}));
  EXPECT_EQ(FilesIn(Doc("saves")), std::set<std::string>{});

  // A folder that does not exist is no file name.
  Activate(wave);
  answers.push_back({Doc("saves/nowhere/")});
  answers.push_back({});
  Trigger("FileSaveAs");
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, Doc("saves/nowhere/") + filetext::kNoFolderAfter);
  EXPECT_EQ(std::pair(wave->GetFileName(), fs::exists(Doc("saves/nowhere"))),
            std::pair(Doc("saves/inner/five.wav"), false));
}

// Two windows on one file would each save over the other's sound. The same file counts however
// it is reached; a document's own file is only asked about.
TEST_F(MainFile, SaveAsOntoTheFileOfAnotherOpenDocumentIsRefused) {
  WriteWave(Doc("b.wav"), 10);
  WriteWave(Doc("a.wav"), 20);
  fs::create_directories(Doc("sub"));
  fs::create_symlink(Doc("b.wav"), Doc("link.wav"));
  fs::create_hard_link(Doc("b.wav"), Doc("hard.wav"));
  // A file removed after it was opened is still held by its name, however that is reached.
  fs::create_directories(Doc("real"));
  fs::create_directory_symlink(Doc("real"), Doc("linked"));
  WriteWave(Doc("real/gone.wav"), 10);
  Trigger("FileOpenWave", {{Doc("real/gone.wav")}});
  fs::remove(Doc("real/gone.wav"));
  Trigger("FileOpenWave", {{Doc("b.wav")}});
  Trigger("FileOpenWave", {{Doc("a.wav")}});
  TUnit* a = Unit();
  a->SetModified();
  TUnit* music = AddMusic();
  const struct {
    TUnit* unit;
    std::string typed, held;
  } cases[] = {
      {a, "b.wav", "b.wav"},     {a, "sub/../b.wav", "b.wav"}, {a, "link.wav", "b.wav"},
      {a, "hard.wav", "b.wav"},  {a, "sub/../real/gone.wav", "real/gone.wav"},
      {a, "linked/gone.wav", "real/gone.wav"},                {music, "a.wav", "a.wav"},
  };
  for (const auto& [unit, typed, held] : cases) {
    SCOPED_TRACE(typed);
    Activate(unit);
    sink.messages.clear();
    sink.replies.assign(1, kIdYes);  // were it asked whether to replace the file
    const std::string name = unit->GetFileName();
    answers.push_back({Doc(typed)});
    answers.push_back({});  // Cancel when the dialog shows again
    Trigger("FileSaveAs");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], (RecordedMessage{Doc(held) + filetext::kOpenElsewhereAfter,
                                                 filetext::kSaveAsCaption,
                                                 kMbOk | kMbIconWarning}));
    EXPECT_EQ(unit->GetFileName(), name);
  }
  SoundPtr kept;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(Doc("b.wav"), kept, status));
  EXPECT_EQ(std::pair(kept->GetValues(), a->NeedsSave()), std::pair(10, true));

  Activate(a);
  sink.messages.clear();
  sink.replies.assign(1, kIdYes);
  Trigger("FileSaveAs", {{Doc("a.wav")}});
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(std::pair(sink.messages[0].text, a->NeedsSave()),
            std::pair(Doc("a.wav") + filetext::kReplaceAfter, false));
}

// The file system takes names of up to 255 bytes (an accented letter takes two). A longer name,
// entered with Return while Save is greyed or made so by the extension the dialog adds, is
// refused as a folder that does not exist is: a box, and the dialog again for another name.
TEST_F(MainFile, ANameTooLongForTheFileSystemIsRefusedAndTheDialogShowsAgain) {
  WriteWave(Doc("take.wav"), 10);
  Trigger("FileOpenWave", {{Doc("take.wav")}});
  TUnitWave* unit = Unit();
  const std::string letters(252, 'a');
  std::string accented;
  for (int i = 0; i < 126; ++i) accented += "\xC3\xA9";
  const struct {
    std::string typed, named;
    bool taken;
  } cases[] = {
      {letters + ".wav", letters + ".wav", false},
      {letters, letters + ".wav", false},
      {accented + ".wav", accented + ".wav", false},
      {letters.substr(1) + ".wav", letters.substr(1) + ".wav", true},
      {accented.substr(2) + "a", accented.substr(2) + "a.wav", true},
  };
  for (const auto& [typed, named, taken] : cases) {
    SCOPED_TRACE(std::to_string(named.size()) + " bytes named");
    sink.messages.clear();
    Trigger("FileSaveAs", {{Doc(typed)}, {Doc("short")}});
    answers.clear();
    const RecordedMessage refused{
        Doc(named) + filetext::kNameTooLongAfter + "255" + filetext::kNameLimitAfter,
        filetext::kSaveAsCaption, kMbOk | kMbIconWarning};
    EXPECT_EQ(sink.messages, taken ? std::vector<RecordedMessage>{} : std::vector{refused});
    EXPECT_EQ(unit->GetFileName(), Doc(taken ? named : "short.wav"));
    fs::remove(unit->GetFileName());
  }
  EXPECT_EQ(FilesIn(kScratch), std::set<std::string>{"take.wav"});
}

// Every file a list of names in quotes names is opened, whatever the chosen filter shows, also
// when it shows none of them; one that is not there, or no wave, is reported by name.
TEST_F(MainFile, OpenOfAListOfNamesOpensEachNamedFileWhateverTheFilter) {
  WriteWave(Doc("a.wav"), 10);
  WriteWave(Doc("b.take"), 20);
  WriteWave(Doc("c.take"), 30);
  std::ofstream(Doc("notes.txt")) << "no sound";
  const auto cannotRead = [](const std::string& name, const char* reason) {
    return "Cannot read the file: \"" + Doc(name) + "\"" + reason;
  };
  // Typed once the list shows the folder: it then selects the names it shows as they are typed.
  byKeys = true;
  driveFiles = [](QFileDialog& dialog) { EXPECT_TRUE(WaitForListing(dialog, "a.wav")); };
  const struct {
    std::vector<std::string> named, opened, reported;
  } cases[] = {
      // The name the list shows comes last, so it is selected there when Return is pressed.
      {{"b.take", "gone.wav", "notes.txt", "a.wav"},
       {"b.take", "a.wav"},
       {cannotRead("gone.wav", wavestatus::kCannotOpen),
        cannotRead("notes.txt", wavestatus::kNoRiff)}},
      {{"b.take", "gone.wav", "c.take"},
       {"b.take", "c.take"},
       {cannotRead("gone.wav", wavestatus::kCannotOpen)}},
  };
  for (const auto& [named, opened, reported] : cases) {
    SCOPED_TRACE(named.size());
    std::vector<std::string> paths, captions, texts;
    for (const std::string& name : named) paths.push_back(Doc(name));
    Trigger("FileOpenWave", {paths});
    for (const TMDIChildKorvalen* child : form->MDIChildren()) {
      captions.push_back(fs::path(child->windowTitle().toStdString()).filename().string());
    }
    for (const RecordedMessage& message : sink.messages) texts.push_back(message.text);
    EXPECT_EQ(std::pair(captions, texts), std::pair(opened, reported));
    form->MdiArea()->closeAllSubWindows();
    QApplication::processEvents();
    sink.messages.clear();
  }
  EXPECT_TRUE(toolkitBoxes.isEmpty()) << toolkitBoxes.join(" / ").toStdString();
}

// A dialog tells a listed file's type by its name, and reads no file to draw its list: a file whose
// read waits (/proc/kmsg, until the kernel logs something) leaves Open and Save As answering keys.
TEST_F(MainFile, TheFileDialogsListFilesWithoutReadingThem) {
  WriteWave(Doc("take.wav"), 10);
  fs::copy_file(Doc("take.wav"), Doc("sound"));
  Trigger("FileOpenWave", {{Doc("take.wav")}});
  const QMimeDatabase types;
  const QString byName = types.mimeTypeForFile("sound", QMimeDatabase::MatchExtension).comment();
  // Told by its content, "sound" is a wave.
  ASSERT_NE(types.mimeTypeForFile(QString::fromStdString(Doc("sound"))).comment(), byName);
  const bool procListed = KernelLogReadableAndWritable();
  KernelLogReads kernelLogReads;
  std::vector<QString> soundTypes;
  std::vector<std::pair<bool, bool>> procListedAndEscaped;
  driveFiles = [&](QFileDialog& dialog) {
    // Every file, as only the filter of every file lists "sound" and "kmsg".
    QTest::keyClick(dialog.findChild<QComboBox*>("fileTypeCombo"), Qt::Key_End);
    const auto* model = dialog.findChild<QFileSystemModel*>();
    soundTypes.push_back(WaitForListing(dialog, "sound")
                             ? model->index(QString::fromStdString(Doc("sound")), 2).data().toString()
                             : QString());
    if (!procListed) return;
    EXPECT_FALSE(TypeFileName(dialog, "/proc/", toolkitBoxes));  // Return goes into the folder
    const bool listed = WaitForListing(dialog, "kmsg");
    QTest::keyClick(dialog.findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Escape);
    procListedAndEscaped.emplace_back(listed, QTest::qWaitFor([&] { return !dialog.isVisible(); }));
    // The next dialog would start in the folder this one ends in.
    dialog.setDirectory(QString::fromStdString(kScratch.string()));
  };
  Trigger("FileOpenWave");
  Trigger("FileSaveAs");
  EXPECT_EQ(std::pair(form->MDIChildren().size(), Unit()->GetFileName()),
            std::pair(size_t{1}, Doc("take.wav")));
  EXPECT_EQ(soundTypes, (std::vector<QString>{byName, byName}));
  if (!procListed) GTEST_SKIP() << "/proc/kmsg cannot be read here, or /dev/kmsg written";
  EXPECT_EQ(procListedAndEscaped,
            (std::vector<std::pair<bool, bool>>{{true, true}, {true, true}}));
  EXPECT_FALSE(kernelLogReads.Seen()) << "a dialog read /proc/kmsg to draw its list";
}

// A named pipe, with no writer or one that never writes, and a device are refused from their
// type, and a file that does not begin as music from its first bytes in the reader's words for
// them, each at once; the files after them open all the same.
TEST_F(MainFileMusic, OpenMusicRefusesAtOnceWhatIsNoMusicFileAndOpensTheNext) {
  const FifoWatch pipe(Doc("pipe.kvm"), FifoWatch::kNoWriter);
  const FifoWatch silent(Doc("silent.kvm"), FifoWatch::kSilentWriter);
  ASSERT_TRUE(pipe.Ready() && silent.Ready());
  ASSERT_TRUE(MakeSparseFile(Doc("zeros.kvm"), int64_t{2} << 30));
  std::ofstream(Doc("notes.txt")) << "no music\nat all\nin this file\n";
  {
    TUnitMuz score(Doc("m.kvm"));
    score.InitNew();
    ASSERT_TRUE(score.SaveToFile(Doc("m.kvm"), false));
  }
  const uint64_t read = BytesReadSoFar();
  const int64_t peak = PeakMemory();
  const std::vector<std::string> names = {"pipe.kvm", "silent.kvm", "zeros.kvm", "notes.txt"};
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(Doc(name));
  paths.push_back(Doc("m.kvm"));
  Trigger("FileOpenMuz", {paths});
  Trigger("FileOpenMuz", {{"/dev/zero"}});
  // Far less than the two gigabytes of zeros, whatever the dialog itself read.
  EXPECT_LT(BytesReadSoFar() - read, uint64_t{256} << 20);
  EXPECT_LT(PeakMemory() - peak, int64_t{256} << 20);
  EXPECT_FALSE(pipe.Opened() || silent.Opened()) << "Open Music waited on a pipe";

  const auto box = [](const std::string& file, const char* reason) {
    return RecordedMessage{"Cannot read the file: \"" + file + "\", " + reason, "File Error", kMbOk | kMbIconStop};
  };
  EXPECT_EQ(sink.messages, (std::vector<RecordedMessage>{box(Doc("pipe.kvm"), "It is not a regular file."),
                                                         box(Doc("silent.kvm"), "It is not a regular file."),
                                                         box(Doc("zeros.kvm"), "unexpected end-of-file  found in line 3, column 0."),
                                                         box(Doc("notes.txt"), "unexpected end-of-file  found in line 4, column 0."),
                                                         box("/dev/zero", "It is not a regular file.")}));
  ASSERT_EQ(form->MDIChildren().size(), 1u);
  EXPECT_EQ(Caption(), Doc("m.kvm"));
  EXPECT_EQ(ScreenCursor(), crDefault);
}
