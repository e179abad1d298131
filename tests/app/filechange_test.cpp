// Save of a document whose file changed on disk since the document read or wrote it: another
// window's save of the same file, or another program's change, is replaced only when the user
// says so, for waves and music, from Ctrl+S, the close question and Exit.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMdiArea>
#include <QMessageBox>
#include <QTest>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/MainFile.h"
#include "app/MuzWindows.h"
#include "app/fakes/file_dialog.h"
#include "app/fakes/main_window.h"
#include "app/fakes/test_document.h"
#include "app/wavewindow/ChildWin.h"
#include "gui/application.h"
#include "music/unitmuz.h"
#include "support/recording_sink.h"
#include "support/samples.h"
#include "wave/wavefile.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A mono wave of `count` samples rising by 10.
void WriteWave(const std::string& path, int32_t count) {
  bool abort = false;
  ASSERT_TRUE(WriteWaveFile(abort, path, *MonoOf(Ramp(count, 0, 10)), 0, count));
}

int32_t ValuesIn(const std::string& path) {
  SoundPtr sound;
  std::string status;
  return ReadWaveFile(path, sound, status) && sound ? sound->GetValues() : -1;
}

class FileChange : public MainWindowTest {
 protected:
  FileChange() : MainWindowTest("filechange") {}
  // Open Music makes a plain document window around the score, so music opens here too.
  void SetUp() override {
    SetMuzWindowMaker([](QWidget*, std::unique_ptr<TUnitMuz> unit) {
      return std::unique_ptr<TMDIChildKorvalen>(std::make_unique<TestChild>(std::move(unit)));
    });
    MainWindowTest::SetUp();
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    SetMuzWindowMaker(previousMaker_);
  }

  // Opens `file` through the open dialog of `action`; answers its document.
  TUnit* Open(const char* action, const std::string& file) {
    names.push_back(file);
    Command(action);
    return form->ActiveUnit();
  }
  // Ctrl+S in the window of `unit`, with these answers to the boxes.
  void Save(const TUnit* unit, std::deque<int> replies) {
    form->MdiArea()->setActiveSubWindow(form->ChildOfUnit(unit));
    sink.replies = std::move(replies);
    Command("FileSave");
  }
  // The question for a file the window has only read, or has written (`saved`).
  static RecordedMessage Changed(const std::string& file, bool saved = false) {
    return {file + (saved ? filetext::kChangedSinceSavedAfter : filetext::kChangedSinceOpenedAfter),
            filetext::kSaveCaption, kMbYesNo | kMbIconWarning | kMbDefButton2};
  }

  RecordingSink sink;
  // The program's real boxes in place of `sink` while it lives.
  struct RealBoxes {
    QtMessageSink boxes;
    MessageSink* previous = SetMessageSink(&boxes);
    ~RealBoxes() { SetMessageSink(previous); }
  };
  // The real boxes, each answered with Return as a hurried user does: its text and the button
  // that answered.
  std::vector<std::pair<QString, QMessageBox::StandardButton>> returned;
  std::deque<std::string> names;  // typed into the next file dialogs; none left: Cancel
  QStringList toolkitBoxes;
  ScopedModalRunner runner{[this](QDialog& dialog) {
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
      box->show();
      QWidget* keys = box->focusWidget();
      QTest::keyClick(keys != nullptr ? keys : box, Qt::Key_Return);
      returned.emplace_back(box->text(), box->standardButton(box->clickedButton()));
      box->hide();
      return box->result();
    }
    auto& files = dynamic_cast<QFileDialog&>(dialog);
    files.setDirectory(QString::fromStdString(scratch));
    if (!names.empty()) {
      const QString name = QString::fromStdString(names.front());
      names.pop_front();
      if (EnterFileName(files, name, toolkitBoxes)) return files.result();
    }
    files.reject();
    return int(QDialog::Rejected);
  }};

 private:
  const MuzWindowMaker previousMaker_ = GetMuzWindowMaker();
};

}  // namespace

TEST_F(FileChange, ASaveOverAnotherWindowsSaveOfTheFileAsksFirst) {
  const std::string file = scratch + "/x.wav";
  WriteWave(file, 100);
  auto* first = static_cast<TUnitWave*>(Open("FileOpenWave", file));
  auto* second = static_cast<TUnitWave*>(Open("FileOpenWave", file));
  ASSERT_EQ(form->MDIChildren().size(), 2u);
  // Nothing changed the file since the second window read it.
  second->SetSelRange(10, 20);
  Command("EditDelete");
  Save(second, {});
  const std::string secondSaved = Contents(file);
  EXPECT_EQ(std::pair(sink.messages.size(), ValuesIn(file)), std::pair(size_t{0}, 90));

  form->MdiArea()->setActiveSubWindow(form->ChildOfUnit(first));
  Command("Reverse");
  Save(first, {kIdNo});
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], Changed(file));
  EXPECT_EQ(std::pair(Contents(file) == secondSaved, first->NeedsSave()), std::pair(true, true));

  // Yes to the close question's save and No to replacing keep the window and its changes; Exit
  // stops there.
  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE(attempt);
    sink.messages.clear();
    sink.replies = {kIdYes, kIdNo};
    if (attempt == 0) {
      form->ChildOfUnit(first)->close();
    } else {
      Command("FileExit");
    }
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(std::pair(sink.messages[0].text, sink.messages[1]),
              std::pair(std::string(kSaveQuestion), Changed(file)));
    EXPECT_EQ(std::tuple(form->MDIChildren().size(), Contents(file) == secondSaved,
                         first->NeedsSave()),
              std::tuple(2u, true, true));
  }

  sink.messages.clear();
  Save(first, {kIdYes});
  EXPECT_EQ(std::tuple(sink.messages.size(), ValuesIn(file), first->NeedsSave()),
            std::tuple(1u, 100, false));
  // The save renewed what the window knows of the file.
  const std::string firstSaved = Contents(file);
  Command("Reverse");
  Save(first, {kIdNo});
  EXPECT_EQ(std::tuple(sink.messages.size(), Contents(file) != firstSaved, first->NeedsSave()),
            std::tuple(1u, true, false));
  // The second window has written the file too, and its question says so.
  form->MdiArea()->setActiveSubWindow(form->ChildOfUnit(second));
  Command("Reverse");
  Save(second, {kIdNo});
  EXPECT_EQ(std::pair(sink.messages.back(), second->NeedsSave()),
            std::pair(Changed(file, true), true));
}

// Save As renews what the window knows of the file it writes: another program's change since is
// asked about, with No for Return, which writes nothing; Ctrl+S right after Save As asks nothing.
TEST_F(FileChange, AfterSaveAsAChangeByAnotherProgramIsAskedAboutAndReturnKeepsIt) {
  const std::string file = scratch + "/x.wav";
  const std::string copy = scratch + "/y.wav";
  WriteWave(file, 100);
  TUnit* unit = Open("FileOpenWave", file);
  names.push_back(copy);
  Command("FileSaveAs");
  ASSERT_EQ(unit->GetFileName(), copy);
  WriteWave(copy, 30);
  const std::string theirs = Contents(copy);
  Command("Reverse");
  {
    RealBoxes boxes;
    Save(unit, {});
  }
  EXPECT_EQ(returned, (std::vector{std::pair(QString::fromStdString(Changed(copy, true).text),
                                             QMessageBox::No)}));
  EXPECT_EQ(std::pair(Contents(copy) == theirs, unit->NeedsSave()), std::pair(true, true));

  const std::string again = scratch + "/z.wav";
  names.push_back(again);
  Command("FileSaveAs");
  Command("Reverse");
  Save(unit, {});
  EXPECT_EQ(std::tuple(unit->GetFileName(), unit->NeedsSave(), sink.messages.size()),
            std::tuple(again, false, size_t{0}));
}

// Any of the file's time (to the nanosecond), size or identity (a new file in its place) tells a
// change. A file that is gone holds no one's work: the save writes it without a word.
TEST_F(FileChange, AFileChangedByAnotherProgramIsReplacedOnlyWhenTheUserSaysSo) {
  const auto keepingTime = [](const fs::path& path, const std::function<void()>& change) {
    const fs::file_time_type time = fs::last_write_time(path);
    change();
    fs::last_write_time(path, time);
  };
  const struct {
    const char* name;
    std::function<void(const fs::path&)> change;
    bool asked;
  } cases[] = {
      {"a nanosecond later",
       [](const fs::path& path) {
         fs::last_write_time(path, fs::last_write_time(path) + std::chrono::nanoseconds(1));
       },
       true},
      {"rewritten, same size, later",
       [](const fs::path& path) {
         const std::string bytes = Contents(path);
         std::ofstream(path, std::ios::binary) << std::string(bytes.size(), 'k');
         fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(1));
       },
       true},
      {"grown, same time",
       [&](const fs::path& path) {
         keepingTime(path, [&] { std::ofstream(path, std::ios::binary | std::ios::app) << 'k'; });
       },
       true},
      {"replaced by a copy of the same size and time",
       [](const fs::path& path) {
         const fs::path copy = path.string() + ".new";
         fs::copy_file(path, copy);
         fs::last_write_time(copy, fs::last_write_time(path));
         fs::rename(copy, path);
       },
       true},
      {"untouched", [](const fs::path&) {}, false},
      {"removed", [](const fs::path& path) { fs::remove(path); }, false},
  };
  int row = 0;
  for (const auto& [name, change, asked] : cases) {
    SCOPED_TRACE(name);
    const std::string file = scratch + "/take" + std::to_string(++row) + ".wav";
    WriteWave(file, 100);
    TUnit* unit = Open("FileOpenWave", file);
    Command("Reverse");
    change(file);
    const std::string left = Contents(file);
    sink.messages.clear();
    Save(unit, {kIdNo});
    EXPECT_EQ(sink.messages, asked ? std::vector{Changed(file)} : std::vector<RecordedMessage>{});
    EXPECT_EQ(std::pair(Contents(file) == left, unit->NeedsSave()), std::pair(asked, asked));
  }
}

TEST_F(FileChange, MusicAsksAsWavesDo) {
  const std::string file = scratch + "/m.kvm";
  {
    TUnitMuz score(file);
    score.InitNew();
    ASSERT_TRUE(score.SaveToFile(file, false));
  }
  const std::string original = Contents(file);
  auto* first = dynamic_cast<TUnitMuz*>(Open("FileOpenMuz", file));
  auto* second = dynamic_cast<TUnitMuz*>(Open("FileOpenMuz", file));
  ASSERT_TRUE(first != nullptr && second != nullptr && first != second);
  second->AddDefaultStave(second->GetStartStave());
  second->SetModified();
  Save(second, {});
  const std::string secondSaved = Contents(file);
  EXPECT_EQ(std::pair(sink.messages.size(), secondSaved != original), std::pair(size_t{0}, true));

  first->SetModified();
  Save(first, {kIdNo});
  EXPECT_EQ(sink.messages, std::vector{Changed(file)});
  EXPECT_EQ(std::pair(Contents(file) == secondSaved, first->NeedsSave()), std::pair(true, true));
  Save(first, {kIdYes});
  first->SetModified();
  Save(first, {kIdNo});
  EXPECT_EQ(std::tuple(sink.messages.size(), Contents(file) == original, first->NeedsSave()),
            std::tuple(2u, true, false));
}
