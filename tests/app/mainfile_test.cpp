// The File menu's document commands on wave documents, with the file dialogs and message boxes
// answered through the hooks.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <csignal>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/ChildWave.h"
#include "app/ChildWin.h"
#include "app/DWaveProps.h"
#include "app/Main.h"
#include "app/MainFile.h"
#include "app/fakes/test_document.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "gui/cursors.h"
#include "support/recording_sink.h"
#include "wave/unitwave.h"
#include "wave/wave.h"
#include "wave/wavefile.h"

namespace fs = std::filesystem;

namespace {

const fs::path kScratch = testing::TempDir() + "korvalen-mainfile-" + std::to_string(getpid());

// Makes writes into a folder fail: the folder turns read-only, and where that does not stop the
// writer (running as root) a file-size limit that no wave file of the tests passes does.
class UnwritableFolder {
 public:
  explicit UnwritableFolder(const fs::path& folder) : folder_(folder) {
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
    if (access(folder_.c_str(), W_OK) == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      getrlimit(RLIMIT_FSIZE, &saved_);
      rlimit small = saved_;
      small.rlim_cur = 64;
      setrlimit(RLIMIT_FSIZE, &small);
      limited_ = true;
    }
  }
  ~UnwritableFolder() {
    if (limited_) setrlimit(RLIMIT_FSIZE, &saved_);
    fs::permissions(folder_, fs::perms::owner_all);
  }
  UnwritableFolder(const UnwritableFolder&) = delete;
  UnwritableFolder& operator=(const UnwritableFolder&) = delete;

 private:
  fs::path folder_;
  rlimit saved_{};
  bool limited_ = false;
};

// How a file dialog was set up when it showed.
struct ShownFileDialog {
  QFileDialog::AcceptMode acceptMode;
  QFileDialog::FileMode fileMode;
  QStringList filters;
  QString suffix;
  bool confirmsOverwrite;
  QString typedName;
};

class MainFile : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(kScratch / "docs");
    SetTempDir((kScratch / "tmp").string());
    form = StartUp();
    QApplication::setActiveWindow(form.get());
  }
  void TearDown() override {
    form.reset();
    fs::remove_all(kScratch);
  }

  static std::string Doc(const std::string& name) { return (kScratch / "docs" / name).string(); }

  // A WAVE file of `count` samples 0, 10, 20 ... (the right channel negated).
  static void WriteWave(const std::string& path, int32_t count, int16_t channels = 1) {
    bool abort = false;
    auto left = std::make_unique<Wave>(abort, count);
    auto right = std::make_unique<Wave>(abort, count);
    for (int32_t i = 0; i < count; ++i) {
      left->wave[i] = static_cast<int16_t>(10 * i);
      right->wave[i] = static_cast<int16_t>(-10 * i);
    }
    SoundPtr sound;
    if (channels == 1) {
      sound = std::make_unique<MonoSound>(std::move(left), 22050, 2);
    } else {
      sound = std::make_unique<StereoSound>(std::move(left), std::move(right), 22050, 2);
    }
    ASSERT_TRUE(WriteWaveFile(abort, path, *sound, 0, count));
  }
  static std::vector<int16_t> Samples(const TUnitWave& unit, bool right = false) {
    const Wave* wave = right ? unit.GetSound()->GetRightWave() : unit.GetSound()->GetLeftWave();
    return wave ? std::vector<int16_t>(wave->wave, wave->wave + wave->values)
                : std::vector<int16_t>{};
  }

  // Every modal run lands here: file dialogs take the next answer (no names: Cancel), the
  // properties dialog is handed to `driveProps`.
  int Answer(QDialog& dialog) {
    if (auto* props = dynamic_cast<TDlgWaveFileProp*>(&dialog)) {
      props->show();
      if (driveProps) driveProps(*props);
      if (props->isVisible()) props->reject();
      return props->result();
    }
    auto* files = dynamic_cast<QFileDialog*>(&dialog);
    if (files == nullptr) return QDialog::Rejected;
    auto* edit = files->findChild<QLineEdit*>("fileNameEdit");
    shown.push_back({files->acceptMode(), files->fileMode(), files->nameFilters(),
                     files->defaultSuffix(), !files->testOption(QFileDialog::DontConfirmOverwrite),
                     edit ? edit->text() : QString("?")});
    if (answers.empty()) return QDialog::Rejected;
    const std::vector<std::string> names = answers.front();
    answers.pop_front();
    if (names.empty()) return QDialog::Rejected;
    files->setDirectory(QString::fromStdString(fs::path(names[0]).parent_path().string()));
    // One name is typed as it stands, several as quoted names in the folder of the first.
    QString typed = QString::fromStdString(names[0]);
    if (names.size() > 1) {
      typed.clear();
      for (const std::string& name : names) {
        typed += "\"" + QString::fromStdString(fs::path(name).filename().string()) + "\" ";
      }
    }
    edit->setText(typed.trimmed());
    return QDialog::Accepted;
  }

  TMDIChildKorvalen* Active() const { return form->GetActiveMDIChild(); }
  TUnitWave* ActiveWave() const { return form->ActiveUnitWave(); }
  std::string Caption(const TMDIChildKorvalen* child) const {
    return child->windowTitle().toStdString();
  }
  void Open(const std::vector<std::string>& files) {
    answers.push_back(files);
    form->Action("FileOpenWave")->trigger();
  }

  RecordingSink sink;
  std::deque<std::vector<std::string>> answers;
  std::vector<ShownFileDialog> shown;
  std::function<void(TDlgWaveFileProp&)> driveProps;
  ScopedModalRunner runner{[this](QDialog& dialog) { return Answer(dialog); }};
  std::unique_ptr<TMainForm> form;
};

}  // namespace

TEST(WaveProperties, RatesMapToListEntriesAndBackWithUnknownRatesAsTheFirst) {
  const std::pair<int32_t, int> table[] = {{5512, 0},  {11025, 1},  {22050, 2}, {44100, 3},
                                           {88200, 4}, {176128, 5}, {176400, 0}, {48000, 0}};
  for (const auto& [rate, index] : table) EXPECT_EQ(WaveRateIndex(rate), index) << rate;

  RecordingSink sink;
  TDlgWaveFileProp dialog(nullptr, waveFileProps(1, 48000, 1));
  ScopedModalRunner runner([&](QDialog& shown) {
    shown.show();
    EXPECT_EQ(dialog.grpWaveValues->ItemIndex(), 0);
    EXPECT_EQ(dialog.lbSampleFreq->currentItem()->text().toStdString(), "5 kHz");
    EXPECT_EQ(dialog.grpMonoStereo->ItemIndex(), 0);
    dialog.OKBtn->click();
    return shown.result();
  });
  ASSERT_EQ(dialog.ShowModal(), QDialog::Accepted);
  EXPECT_EQ(dialog.GetProps().frequency, 5512);  // what the list shows is what OK writes
  EXPECT_EQ(dialog.GetProps().MonoStereo, 1);
  EXPECT_EQ(dialog.GetProps().BytesPSample, 1);
}

TEST_F(MainFile, NewWaveOffersStereoCdFormatAndMakesNumberedNewDocuments) {
  form->Action("FileNewWave")->trigger();  // cancelled
  EXPECT_TRUE(form->MDIChildren().empty());
  EXPECT_EQ(form->NoNameCounter, 0);

  form->LastUsedProps.Volume.Mode = 1;
  driveProps = [](TDlgWaveFileProp& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Wave Properties");
    EXPECT_EQ(dialog.grpWaveValues->ItemIndex(), 1);
    EXPECT_EQ(dialog.lbSampleFreq->currentRow(), 3);
    EXPECT_EQ(dialog.grpMonoStereo->ItemIndex(), 1);
    dialog.grpWaveValues->SetItemIndex(0);
    dialog.lbSampleFreq->setCurrentRow(2);
    dialog.grpMonoStereo->SetItemIndex(0);
    dialog.OKBtn->click();
  };
  form->Action("FileNewWave")->trigger();
  ASSERT_EQ(form->MDIChildren().size(), 1u);
  TUnitWave* unit = ActiveWave();
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(Caption(Active()), "NONAME1");
  EXPECT_EQ(unit->GetFileName(), "NONAME1");
  EXPECT_EQ(unit->GetName(), "");
  EXPECT_EQ(unit->GetState(), kUnitStateNew);
  EXPECT_EQ(unit->GetChannels(), 1);
  EXPECT_EQ(unit->GetSamplesPerSec(), 22050u);
  EXPECT_EQ(unit->GetBytesPerSample(), 1);
  EXPECT_EQ(unit->GetProps().Volume.Mode, 1);  // the last-used records
  EXPECT_TRUE(form->Action("ViewWave")->isChecked());
  EXPECT_FALSE(form->Action("ViewVold")->isChecked());

  // An empty wave is neither saved nor saved as.
  form->Action("FileSave")->trigger();
  form->Action("FileSaveAs")->trigger();
  EXPECT_TRUE(shown.empty());

  driveProps = [](TDlgWaveFileProp& dialog) { dialog.OKBtn->click(); };
  form->Action("FileNewWave")->trigger();
  EXPECT_EQ(Caption(Active()), "NONAME2");
  EXPECT_EQ(ActiveWave()->GetChannels(), 2);
  EXPECT_EQ(ActiveWave()->GetSamplesPerSec(), 44100u);
}

TEST_F(MainFile, OpenWaveOpensEachChosenFileAndReportsEveryOneTheReaderRefuses) {
  Open({});  // cancelled
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].acceptMode, QFileDialog::AcceptOpen);
  EXPECT_EQ(shown[0].fileMode, QFileDialog::ExistingFiles);
  EXPECT_EQ(shown[0].filters, (QStringList{"Wave Files (*.wav) (*.wav)", "All files (*.*) (*)"}));
  EXPECT_TRUE(form->MDIChildren().empty());

  std::ofstream(Doc("bad.wav")) << "This is a text file, and no sound at all.";
  WriteWave(Doc("good.wav"), 100, 2);
  Open({Doc("bad.wav"), Doc("good.wav")});
  EXPECT_FALSE(form->OpenWaveFile(Doc("missing.wav")));
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text,
            "Cannot read the file: \"" + Doc("bad.wav") + "\"" + wavestatus::kNoRiff);
  EXPECT_EQ(sink.messages[0].caption, "File Error");
  EXPECT_EQ(sink.messages[0].flags, kMbOk | kMbIconInformation);
  EXPECT_EQ(sink.messages[1].text,
            "Cannot read the file: \"" + Doc("missing.wav") + "\"" + wavestatus::kCannotOpen);

  ASSERT_EQ(form->MDIChildren().size(), 1u);
  const TUnitWave* unit = ActiveWave();
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(Caption(Active()), Doc("good.wav"));
  EXPECT_EQ(unit->GetFileName(), Doc("good.wav"));
  EXPECT_EQ(unit->GetName(), "");
  EXPECT_EQ(unit->GetState(), kUnitStateSaved);
  EXPECT_EQ(unit->GetValues(), 100);
  EXPECT_EQ(unit->GetChannels(), 2);
  EXPECT_EQ(form->NoNameCounter, 0);
  EXPECT_EQ(ScreenCursor(), crDefault);
  EXPECT_EQ(form->SavedCursor, crDefault);
  EXPECT_TRUE(form->Action("FileSave")->isEnabled());
  EXPECT_TRUE(form->Action("DuplicateWave")->isEnabled());
}

TEST_F(MainFile, DuplicateCopiesTheSelectionOrTheWholeWaveIntoANewDocument) {
  WriteWave(Doc("source.wav"), 10, 2);
  Open({Doc("source.wav")});
  TMDIChildKorvalen* source = Active();
  TUnitWave* original = ActiveWave();
  ASSERT_NE(original, nullptr);
  original->SetSelRange(2, 5);
  TWaveViewProps points;
  points.DrawKind = 1;
  static_cast<TMDIChildWave*>(source)->SetWaveViewProps(points);
  form->Action("DuplicateWave")->trigger();
  ASSERT_EQ(form->MDIChildren().size(), 2u);
  const TUnitWave* part = ActiveWave();
  ASSERT_NE(part, original);
  EXPECT_EQ(Caption(Active()), "NONAME1");
  EXPECT_EQ(part->GetFileName(), "NONAME1");
  EXPECT_EQ(part->GetState(), kUnitStateNew);
  EXPECT_EQ(Samples(*part), (std::vector<int16_t>{20, 30, 40}));
  EXPECT_EQ(Samples(*part, true), (std::vector<int16_t>{-20, -30, -40}));
  EXPECT_EQ(part->GetSamplesPerSec(), 22050u);
  EXPECT_TRUE(form->Action("ViewWave")->isChecked());
  EXPECT_EQ(static_cast<TMDIChildWave*>(Active())->GetWaveViewProps().DrawKind, 1);

  // The copy is new: Save asks for a name, and a cancel leaves it new.
  form->Action("FileSave")->trigger();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].acceptMode, QFileDialog::AcceptSave);
  EXPECT_EQ(shown[1].typedName, "");
  EXPECT_EQ(part->GetState(), kUnitStateNew);

  form->MdiArea()->setActiveSubWindow(source);
  original->SetCursor(4);
  form->Action("DuplicateWave")->trigger();
  EXPECT_EQ(Caption(Active()), "NONAME2");
  EXPECT_EQ(ActiveWave()->GetValues(), 10);
  EXPECT_EQ(Samples(*ActiveWave()), Samples(*original));
  EXPECT_EQ(ScreenCursor(), crDefault);
}

TEST_F(MainFile, SaveWritesAnOpenedDocumentInPlaceAndMarksItSaved) {
  WriteWave(Doc("take.wav"), 100);
  Open({Doc("take.wav")});
  TUnitWave* unit = ActiveWave();
  ASSERT_NE(unit, nullptr);
  bool abort = false;
  unit->SetSound(std::make_unique<MonoSound>(std::make_unique<Wave>(abort, 7), 22050, 2));
  unit->SetModified();
  form->Action("FileSave")->trigger();
  EXPECT_EQ(shown.size(), 1u);  // the open dialog only
  EXPECT_EQ(unit->GetState(), kUnitStateSaved);
  SoundPtr written;
  std::string status;
  ASSERT_TRUE(ReadWaveFile(Doc("take.wav"), written, status));
  EXPECT_EQ(written->GetValues(), 7);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(ScreenCursor(), crDefault);
}

TEST_F(MainFile, SaveAsWritesUnderTheChosenNameOnlyWhenTheUserAgrees) {
  WriteWave(Doc("take.wav"), 100);
  Open({Doc("take.wav")});
  TUnitWave* unit = ActiveWave();
  ASSERT_NE(unit, nullptr);
  unit->SetModified();

  form->Action("FileSaveAs")->trigger();  // cancelled
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].acceptMode, QFileDialog::AcceptSave);
  EXPECT_EQ(shown[1].suffix, "wav");
  EXPECT_EQ(shown[1].filters, shown[0].filters);
  EXPECT_EQ(shown[1].typedName, "");
  EXPECT_EQ(unit->GetFileName(), Doc("take.wav"));
  EXPECT_EQ(Caption(Active()), Doc("take.wav"));
  EXPECT_EQ(unit->GetState(), kUnitStateModified);

  // A name without extension gets ".wav".
  answers.push_back({Doc("copy")});
  EXPECT_TRUE(form->SaveWaveAs(unit));
  EXPECT_TRUE(fs::exists(Doc("copy.wav")));
  EXPECT_EQ(unit->GetFileName(), Doc("copy.wav"));
  EXPECT_EQ(Caption(Active()), Doc("copy.wav"));
  EXPECT_EQ(unit->GetState(), kUnitStateSaved);

  // Replacing a file is asked first; "No" shows the dialog again, a folder that does not exist
  // is refused.
  std::ofstream(Doc("other.wav")) << "kept";
  answers.push_back({Doc("other.wav")});
  answers.push_back({Doc("nowhere/x.wav")});
  answers.push_back({});
  sink.replies.push_back(kIdNo);
  EXPECT_FALSE(form->SaveWaveAs(unit));
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text, Doc("other.wav") + filetext::kReplaceAfter);
  EXPECT_EQ(sink.messages[0].flags, kMbYesNo | kMbIconWarning);
  EXPECT_EQ(sink.messages[1].text, Doc("nowhere/x.wav") + filetext::kNoFolderAfter);
  EXPECT_EQ(shown.size(), 6u);
  EXPECT_EQ(std::ifstream(Doc("other.wav")).get(), 'k');
  EXPECT_EQ(unit->GetFileName(), Doc("copy.wav"));

  answers.push_back({Doc("other.wav")});
  sink.replies.push_back(kIdYes);
  EXPECT_TRUE(form->SaveWaveAs(unit));
  EXPECT_EQ(Caption(Active()), Doc("other.wav"));
  EXPECT_NE(std::ifstream(Doc("other.wav")).get(), 'k');
}

TEST_F(MainFile, AFailedWriteChangesNothingAndKeepsTheWindowOpen) {
  fs::create_directories(kScratch / "docs" / "locked");
  const std::string file = Doc("locked/take.wav");
  WriteWave(file, 100);
  Open({file});
  TMDIChildKorvalen* window = Active();
  TUnitWave* unit = ActiveWave();
  ASSERT_NE(unit, nullptr);
  unit->SetModified();
  UnwritableFolder locked(kScratch / "docs" / "locked");

  EXPECT_FALSE(form->SaveWave(unit));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, msgtext::kCannotWriteFile);
  EXPECT_EQ(sink.messages[0].caption, "FileError");
  EXPECT_EQ(unit->GetState(), kUnitStateModified);
  EXPECT_EQ(ScreenCursor(), crDefault);

  answers.push_back({Doc("locked/other.wav")});
  EXPECT_FALSE(form->SaveWaveAs(unit));
  EXPECT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(unit->GetFileName(), file);
  EXPECT_EQ(Caption(window), file);
  EXPECT_EQ(unit->GetState(), kUnitStateModified);

  sink.replies.push_back(kIdYes);  // "Do you want to save?"
  window->close();
  ASSERT_EQ(sink.messages.size(), 4u);
  EXPECT_EQ(sink.messages[2].text, kSaveQuestion);
  EXPECT_EQ(form->MDIChildren().size(), 1u);
  EXPECT_EQ(form->ChildOfUnit(unit), window);
}

TEST_F(MainFile, ADocumentWhoseNameTheUserNeverChoseIsSavedThroughTheDialog) {
  // As a rendered document is left: a "NONAME" file name, modified.
  bool abort = false;
  auto unit = std::make_unique<TUnitWave>(
      "NONAME7", std::make_unique<MonoSound>(std::make_unique<Wave>(abort, 50), 22050, 2));
  unit->SetModified();
  TUnitWave* generated = unit.get();
  TMDIChildKorvalen* window =
      form->AddMDIChild(std::make_unique<TestChild>(std::move(unit)), "NONAME7");
  const fs::path before = fs::current_path();
  fs::current_path(kScratch / "docs");

  form->Action("FileSave")->trigger();  // cancelled
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_FALSE(fs::exists(kScratch / "docs" / "NONAME7"));
  EXPECT_EQ(generated->GetState(), kUnitStateModified);

  answers.push_back({Doc("render.wav")});
  EXPECT_TRUE(form->SaveWave(generated));
  fs::current_path(before);
  EXPECT_FALSE(fs::exists(kScratch / "docs" / "NONAME7"));
  EXPECT_TRUE(fs::exists(Doc("render.wav")));
  EXPECT_EQ(generated->GetFileName(), Doc("render.wav"));
  EXPECT_EQ(Caption(window), Doc("render.wav"));
  EXPECT_EQ(generated->GetState(), kUnitStateSaved);
}
