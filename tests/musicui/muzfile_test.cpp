#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/ChildWave.h"
#include "gui/application.h"
#include "music/muznote.h"
#include "muzwindow_fixture.h"
#include "wave/props.h"
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
  TMDIChildMuz* ActiveMuz() const { return dynamic_cast<TMDIChildMuz*>(form->GetActiveMDIChild()); }
  void Click(TMDIChildMuz& window, int x, int y) {
    window.EvFormMouseDown(x, y);
    window.EvFormMouseUp(Qt::NoButton);
    window.EvFormPaint();
  }
};

// Compose, save, close, open and generate: the file is the golden text, and the generated wave is
// the render of what was saved.
TEST_F(MuzFile, ComposeSaveOpenAndGenerateEndToEnd) {
  Trigger("FileNewMuz");
  TMDIChildMuz* window = ActiveMuz();
  ASSERT_NE(window, nullptr);
  ResizeClient(*window, *window->ClientArea(), {600, 300});
  window->EvFormPaint();
  TUnitMuz* unit = window->GetUnitMuz();
  unit->SetUnitMuzMode(unitMuzAdd);
  unit->SetInsertModeKind(1);
  const int32_t c = unit->GetStartStave()->GetCentreY();
  for (int i = 0; i < 3; ++i) Click(*window, 100 + 60 * i, c - 5 * i);
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
  EXPECT_FALSE(opened->GetUnitMuz()->NeedsSave());
  Trigger("MusicGenerate");
  EXPECT_TRUE(sink.messages.empty());
  auto* wave = dynamic_cast<TMDIChildWave*>(form->GetActiveMDIChild());
  ASSERT_NE(wave, nullptr);
  EXPECT_TRUE(wave->GetUnitWave()->NeedsSave());
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
    EXPECT_EQ(sink.messages[0].caption, "File Error");
    EXPECT_EQ(sink.messages[0].text.rfind("Cannot read the file: ", 0), 0u);
  }
}

TEST_F(MuzFile, DuplicateCopiesTheScoreIntoANewDocument) {
  TMDIChildMuz* window = Open(NewScore(2));
  ASSERT_NE(window, nullptr);
  Trigger("DuplicateMuz");
  TMDIChildMuz* copy = ActiveMuz();
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, window);
  EXPECT_TRUE(copy->GetUnitMuz()->IsNew());
  int staves = 0;
  for (TNoteStave* s = copy->GetUnitMuz()->GetStartStave(); s; s = s->GetNext()) ++staves;
  EXPECT_EQ(staves, 2);
}

// The close question: Cancel keeps the window, No closes it unsaved, Yes saves through the dialog
// and a cancelled dialog keeps the window open.
TEST_F(MuzFile, CloseQueryAsksForAModifiedScore) {
  const struct {
    std::vector<int> replies;
    bool closed;
  } cases[] = {{{kIdCancel}, false}, {{kIdNo}, true}, {{kIdYes}, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.replies[0]);
    TMDIChildMuz* window = Open(NewScore(1));
    ASSERT_NE(window, nullptr);
    window->GetUnitMuz()->SetModified();
    sink.messages.clear();
    sink.replies.assign(c.replies.begin(), c.replies.end());
    ScopedModalRunner cancel([](QDialog&) { return int(QDialog::Rejected); });
    window->close();
    QApplication::processEvents();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Do you want to save?");
    EXPECT_EQ(form->MDIChildren().empty(), c.closed);
    sink.replies.assign(4, kIdNo);
    for (TMDIChildKorvalen* child : form->MDIChildren()) child->close();
    QApplication::processEvents();
  }
}

}  // namespace
