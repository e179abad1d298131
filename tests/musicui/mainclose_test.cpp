// Exit and the main window's close ask each changed document in turn: every question shows over
// the document that its Yes saves and its No drops.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <filesystem>

#include "app/wavewindow/ChildWave.h"
#include "gui/application.h"
#include "muzwindow_fixture.h"
#include "wave/props.h"
#include "wave/unitwave.h"

namespace {

class MainClose : public MuzWindowTest {
 protected:
  // What the user sees while a question is up.
  struct Shown {
    std::string nameBox, title;
    bool operator==(const Shown&) const = default;
  };
  friend void PrintTo(const Shown& shown, std::ostream* os) {
    *os << '"' << shown.nameBox << "\" / \"" << shown.title << '"';
  }

  Shown Showing() const {
    const TMDIChildKorvalen* active = form->GetActiveMDIChild();
    const std::string title = active ? active->windowTitle().toStdString() : std::string();
    return {form->EditName()->text().toStdString(),
            active && active->isMaximized() ? form->windowTitle().toStdString() : title};
  }
  Shown ShownFor(const TMDIChildKorvalen& window, bool maximised) const {
    const std::string title = window.windowTitle().toStdString();
    return {window.GetUnit()->GetName(),
            maximised ? formTitle + " - [" + title + "]" : title};
  }

  TMDIChildKorvalen* OpenChangedWave() {
    auto unit = std::make_unique<TUnitWave>("", waveFileProps(1, 22050, 2));
    unit->SetName("changed");
    EXPECT_TRUE(unit->MakeSinus(TSinusProps{}));
    return form->CreateMDIChildWave("changed", std::move(unit), form->WaveViewDefaults,
                                    form->VoldViewDefaults);
  }
  void OpenUnchangedWaveFile() {
    const std::string path = scratch + "/quiet.wav";
    TUnitWave quiet("", waveFileProps(1, 22050, 2));
    EXPECT_TRUE(quiet.MakeSinus(TSinusProps{}) && quiet.SaveToFile(path, false));
    EXPECT_TRUE(form->OpenWaveFile(path));
  }
  TMDIChildKorvalen* NewMusic() {
    Trigger("FileNewMuz");
    return form->GetActiveMDIChild();
  }

  std::string formTitle;
};

TEST_F(MainClose, EachQuestionShowsOverTheDocumentItsAnswerSavesOrDrops) {
  struct Case {
    bool unchangedFirst, exitCommand, maximised;
    int musicAnswer;  // the wave gets the other answer
  };
  const Case cases[] = {
      {false, true, false, kIdYes},  {true, true, false, kIdNo},
      {false, false, false, kIdNo},  {true, false, false, kIdYes},
      {false, true, true, kIdYes},   {true, false, true, kIdNo},
  };
  formTitle = form->windowTitle().toStdString();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "unchanged first " << c.unchangedFirst << ", Exit "
                                    << c.exitCommand << ", maximised " << c.maximised);
    form->show();
    for (const char* leaf : {"/kept.wav", "/kept.kvm"}) std::filesystem::remove(scratch + leaf);
    if (c.unchangedFirst) OpenUnchangedWaveFile();
    TMDIChildKorvalen* wave = OpenChangedWave();
    TMDIChildKorvalen* music = NewMusic();
    if (!c.unchangedFirst) OpenUnchangedWaveFile();
    ASSERT_TRUE(wave && music && form->MDIChildren().size() == 3);
    // Names of their own, so that the name box tells every document from the others; activated
    // again in the order they came, the last one opened is in front.
    music->GetUnit()->SetName("score");
    for (TMDIChildKorvalen* child : form->MDIChildren()) {
      if (child->GetUnit()->GetName().empty()) child->GetUnit()->SetName("quiet");
      form->MdiArea()->setActiveSubWindow(child);
    }
    if (c.maximised) form->GetActiveMDIChild()->showMaximized();
    QApplication::processEvents();
    // Front first: the music, then the changed wave; the unchanged one asks nothing.
    const std::vector<Shown> expected{ShownFor(*music, c.maximised),
                                      ShownFor(*wave, c.maximised)};

    std::vector<Shown> shown;
    sink.replies = {c.musicAnswer, c.musicAnswer == kIdYes ? kIdNo : kIdYes};
    sink.whileShown = [&] { shown.push_back(Showing()); };
    ScopedModalRunner saveAs([this](QDialog& dialog) {
      dynamic_cast<QFileDialog&>(dialog).findChild<QLineEdit*>("fileNameEdit")->setText(
          QString::fromStdString(scratch + "/kept"));
      return int(QDialog::Accepted);
    });
    if (c.exitCommand) {
      Trigger("FileExit");
    } else {
      form->close();
    }
    sink.whileShown = nullptr;

    EXPECT_EQ(std::pair(shown, form->MDIChildren().size()), std::pair(expected, size_t{0}));
    // The file dialog adds the extension of the kind it saves.
    EXPECT_EQ(std::pair(std::filesystem::exists(scratch + "/kept.kvm"),
                        std::filesystem::exists(scratch + "/kept.wav")),
              std::pair(c.musicAnswer == kIdYes, c.musicAnswer != kIdYes));
    for (TMDIChildKorvalen* left : form->MDIChildren()) delete left;
  }
}

}  // namespace
