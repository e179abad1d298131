#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <tuple>
#include <vector>

#include "app/MainFile.h"
#include "app/fakes/file_dialog.h"
#include "app/wavewindow/ChildWave.h"
#include "gui/application.h"
#include "gui/cursors.h"
#include "music/muznote.h"
#include "muzwindow_fixture.h"
#include "wave/props.h"
#include "wave/shell.h"
#include "wave/unitwave.h"

namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class MuzFile : public MuzWindowTest {
 protected:
  // File dialogs take `fileName` as typed by the user.
  std::unique_ptr<ScopedModalRunner> Answering(const std::string& fileName) {
    return std::make_unique<ScopedModalRunner>([fileName](QDialog& dialog) {
      auto& files = dynamic_cast<QFileDialog&>(dialog);
      files.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(fileName));
      return int(QDialog::Accepted);
    });
  }
  // File dialogs show `folder` and take the next of `names` put into the name box (typed with
  // keys once the list shows `listed`, when given), and Return, for as long as they stay; Cancel
  // when no name is left.
  std::unique_ptr<ScopedModalRunner> Entering(const std::string& folder, std::vector<std::string> names,
                                              const QString& listed = {}) {
    auto left = std::make_shared<std::deque<std::string>>(names.begin(), names.end());
    return std::make_unique<ScopedModalRunner>([this, folder, left, listed](QDialog& dialog) {
      auto& files = dynamic_cast<QFileDialog&>(dialog);
      files.setDirectory(QString::fromStdString(folder));
      if (!listed.isEmpty()) {
        EXPECT_TRUE(WaitForListing(files, listed));
      }
      while (!left->empty()) {
        const QString name = QString::fromStdString(left->front());
        left->pop_front();
        const bool closed = listed.isEmpty() ? EnterFileName(files, name, toolkitBoxes)
                                             : TypeFileName(files, name, toolkitBoxes);
        if (closed) return files.result();
      }
      files.reject();
      return int(QDialog::Rejected);
    });
  }
  TMDIChildMuz* ActiveMuz() const { return dynamic_cast<TMDIChildMuz*>(form->GetActiveMDIChild()); }
  QStringList toolkitBoxes;  // the file dialogs' own
};

// Compose, save, close, open and generate: the file is the golden text, and the generated wave is
// the render of what was saved.
TEST_F(MuzFile, ComposeSaveOpenAndGenerateEndToEnd) {
  TMDIChildMuz* window = ComposeNew();
  ASSERT_NE(window, nullptr);
  TUnitMuz* unit = window->GetUnitMuz();
  const std::string saved = scratch + "/composed.xml";
  {
    auto answer = Answering(saved);
    Trigger("FileSave");
  }
  EXPECT_EQ(window->windowTitle().toStdString(), saved);
  EXPECT_FALSE(unit->NeedsSave());
  EXPECT_EQ(Contents(saved), Contents(std::string(KORVALEN_SOURCE_DIR) + "/tests/musicui/data/composed.xml"));
  window->close();
  QApplication::processEvents();
  ASSERT_TRUE(form->MDIChildren().empty());

  // The notes sound through the wave document the players name.
  auto sample = std::make_unique<TUnitWave>("sample.wav", waveFileProps(1, 22050, 2));
  sample->SetName("sample");
  ASSERT_TRUE(sample->MakeSinus(TSinusProps{}));
  form->CreateMDIChildWave("sample.wav", std::move(sample), form->WaveViewDefaults, form->VoldViewDefaults);
  ASSERT_TRUE(form->OpenMuzFile(saved));
  TMDIChildMuz* opened = ActiveMuz();
  ASSERT_NE(opened, nullptr);
  Trigger("MusicGenerate");
  EXPECT_TRUE(sink.messages.empty());
  auto* wave = dynamic_cast<TMDIChildWave*>(form->GetActiveMDIChild());
  ASSERT_NE(wave, nullptr);
  ASSERT_TRUE(wave->GetUnitWave()->SaveToFile(scratch + "/generated.wav", false));

  TUnitMuz reference(saved);
  std::string reason;
  ASSERT_TRUE(reference.LoadFromFile(reason)) << reason;
  TUnitWave rendered("rendered", reference.CreateWave());
  ASSERT_TRUE(rendered.SaveToFile(scratch + "/rendered.wav", false));
  EXPECT_GT(Contents(scratch + "/rendered.wav").size(), 1000u);
  EXPECT_EQ(Contents(scratch + "/generated.wav"), Contents(scratch + "/rendered.wav"));
}

TEST_F(MuzFile, AFileThatFailsToLoadIsReportedAndLeavesNoWindow) {
  const std::string bad = scratch + "/bad.xml";
  std::ofstream(bad) << "<Muz><Stave></Muz>";
  for (const std::string& name : {bad, scratch + "/missing.xml"}) {
    SCOPED_TRACE(name);
    sink.messages.clear();
    EXPECT_FALSE(form->OpenMuzFile(name));
    EXPECT_TRUE(form->MDIChildren().empty());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption + "|" + sink.messages[0].text.substr(0, 22), "File Error|Cannot read the file: ");
  }
}

// A write that fails keeps the name, the caption and the unsaved state, and the window open.
TEST_F(MuzFile, AFailedSaveChangesNothing) {
  TMDIChildMuz* window = Open(NewScore(1));
  ASSERT_NE(window, nullptr);
  TUnitMuz* unit = window->GetUnitMuz();
  unit->SetModified();
  const std::string name = unit->GetFileName();
  auto answer = Answering("/proc/composed.xml");
  EXPECT_FALSE(form->SaveMuzAs(unit));
  EXPECT_EQ(std::tuple(unit->GetFileName(), window->windowTitle().toStdString(), unit->NeedsSave()),
            std::tuple(name, "score", true));
  sink.replies.assign(1, kIdYes);
  window->close();
  QApplication::processEvents();
  EXPECT_EQ(form->MDIChildren().size(), 1u);
}

// The toolkit reads double quotes as a list of names; a music name typed whole is one name, for
// Save As and for Open. The part between the quotes would land in the folder the dialog shows.
TEST_F(MuzFile, ANameWithDoubleQuotesIsSavedAndOpenedWhole) {
  TMDIChildMuz* window = Open(NewScore(1));
  ASSERT_NE(window, nullptr);
  const std::string folder = scratch + "/saves";
  std::filesystem::create_directories(folder);
  const std::string typed = folder + "/say \"hi\" now";
  {
    auto enter = Entering(scratch, {typed});
    Trigger("FileSaveAs");
  }
  EXPECT_EQ(window->GetUnitMuz()->GetFileName(), typed + ".kvm");
  EXPECT_TRUE(std::filesystem::exists(typed + ".kvm"));
  EXPECT_FALSE(std::filesystem::exists(scratch + "/hi.kvm"));
  {
    auto enter = Entering(scratch, {typed + ".kvm"});
    Trigger("FileOpenMuz");
  }
  EXPECT_EQ(std::pair(form->MDIChildren().size(), ActiveMuz()->windowTitle().toStdString()),
            std::pair(size_t{2}, typed + ".kvm"));
  EXPECT_TRUE(toolkitBoxes.isEmpty()) << toolkitBoxes.join(" / ").toStdString();
  EXPECT_TRUE(sink.messages.empty());
}

// A name longer than the file system takes (255 bytes), typed so or made so by the extension Save
// As adds, gets a box that says so, and the dialog shows again for another name.
TEST_F(MuzFile, ANameTooLongForTheFileSystemIsRefusedAndTheDialogShowsAgain) {
  TMDIChildMuz* window = Open(NewScore(1));
  ASSERT_NE(window, nullptr);
  const std::string letters(252, 'a');
  for (const auto& [typed, refused] : {std::pair(letters + ".xml", letters + ".xml"),
                                       std::pair(letters, letters + ".kvm")}) {
    SCOPED_TRACE(std::to_string(typed.size()) + " bytes typed");
    sink.messages.clear();
    {
      auto enter = Entering(scratch, {typed, "short"});
      Trigger("FileSaveAs");
    }
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(std::pair(sink.messages[0].text, sink.messages[0].caption),
              std::pair(scratch + "/" + refused + filetext::kNameTooLongAfter + "255" +
                            filetext::kNameLimitAfter,
                        std::string(filetext::kSaveAsCaption)));
    EXPECT_EQ(window->GetUnitMuz()->GetFileName(), scratch + "/short.kvm");
    std::filesystem::remove(scratch + "/short.kvm");
  }
}

// Every file of a list of names in quotes opens, also one the chosen filter (*.kvm) does not show
// in the list; one that is not there, or no music, is reported by name.
TEST_F(MuzFile, OpenOfAListOfNamesOpensEachNamedFileWhateverTheFilter) {
  for (const char* name : {"/m1.kvm", "/m2.xml"}) ASSERT_TRUE(NewScore(1)->SaveToFile(scratch + name, false));
  std::ofstream(scratch + "/notes.txt") << "no music";
  {
    // The name the list shows comes last, so it is selected there when Return is pressed.
    auto enter = Entering(scratch, {"\"m2.xml\" \"gone.kvm\" \"notes.txt\" \"m1.kvm\""}, "m1.kvm");
    Trigger("FileOpenMuz");
  }
  std::vector<std::string> captions;
  for (const TMDIChildKorvalen* child : form->MDIChildren()) captions.push_back(child->windowTitle().toStdString());
  EXPECT_EQ(captions, (std::vector<std::string>{scratch + "/m2.xml", scratch + "/m1.kvm"}));
  ASSERT_EQ(sink.messages.size(), 2u);
  for (const auto& [message, file] : {std::pair(sink.messages[0], "/gone.kvm"), std::pair(sink.messages[1], "/notes.txt")}) {
    const std::string named = "Cannot read the file: \"" + scratch + file + "\"";
    EXPECT_EQ(std::pair(message.caption, message.text.substr(0, named.size())),
              std::pair(std::string("File Error"), named));
  }
  EXPECT_TRUE(toolkitBoxes.isEmpty()) << toolkitBoxes.join(" / ").toStdString();
}

}  // namespace

namespace {

// The main window as the engine sees it, noting the screen cursor at each sample lookup the
// render makes.
struct CursorAtLookup : ShellServices {
  explicit CursorAtLookup() : shell(SetShellServices(this)) {}
  ~CursorAtLookup() override { SetShellServices(shell); }
  TUnitWave* MainFindUnitWaveByName(const std::string& name) override {
    cursors.push_back(ScreenCursor());
    return shell->MainFindUnitWaveByName(name);
  }
  bool MainPlayWholeSound(const Sound& sound) override { return shell->MainPlayWholeSound(sound); }
  ShellServices* shell;
  std::vector<TCursor> cursors;
};

}  // namespace

// Generate renders under the hourglass; a render that fails says why with the normal cursor, and
// one that succeeds leaves the cursor normal for the new window.
TEST_F(MuzFile, GenerateRendersUnderTheHourglass) {
  ASSERT_NE(ComposeNew(), nullptr);
  CursorAtLookup lookups;
  Trigger("MusicGenerate");
  ASSERT_EQ(sink.messages.size(), 1u);  // no sample wave yet
  EXPECT_EQ(ScreenCursor(), crDefault);
  auto sample = std::make_unique<TUnitWave>("sample.wav", waveFileProps(1, 22050, 2));
  sample->SetName("sample");
  ASSERT_TRUE(sample->MakeSinus(TSinusProps{}));
  TMDIChildMuz* music = ActiveMuz();
  form->CreateMDIChildWave("sample.wav", std::move(sample), form->WaveViewDefaults, form->VoldViewDefaults);
  form->MdiArea()->setActiveSubWindow(music);
  Trigger("MusicGenerate");
  EXPECT_EQ(form->MDIChildren().size(), 3u);
  ASSERT_FALSE(lookups.cursors.empty());
  for (TCursor cursor : lookups.cursors) EXPECT_EQ(cursor, crHourGlass);
  EXPECT_EQ(ScreenCursor(), crDefault);
}
