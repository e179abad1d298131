// Help for every dialog the program makes: each command of the menus is run on a mono wave, a
// stereo wave and a score, and each dialog it opens, modal or not, answers F1 and its Help button
// with its own topic, whose title names the dialog; together they reach every topic that the help
// index gives a context.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <map>
#include <set>

#include "app/About.h"
#include "app/wavewindow/ChildWin.h"
#include "app/fakes/command_dialogs.h"
#include "gui/helpwindow.h"
#include "musicui/DMusTree.h"
#include "musicui/DMusic.h"
#include "muzwindow_fixture.h"
#include "wave/unitwave.h"

namespace {

// Commands that play, record, draw or close: they open no dialog and would stop the walk.
const std::set<std::string> kNotWalked = {"FileExit",    "FileClose",     "FilePlay",      "FileStop",
                                          "FilePause",   "FileRecord",    "DrawWaveLin",   "DrawWave3G",
                                          "MusicPlayNote", "MusicAutoPlay", "MusicGenerate"};

class DialogHelp : public MuzWindowTest {
 protected:
  void SetUp() override {
    MuzWindowTest::SetUp();
    InstallMusicDialog(*form);
    InstallMusTreeDialog(*form);
  }

  void Prepare(const std::string& state) {
    sink.replies.assign(64, kIdNo);
    for (TMDIChildKorvalen* child : form->MDIChildren()) child->close();
    QApplication::processEvents();
    if (state == "score") {
      Open(NewScore(2));
    } else {
      OpenNamed("env", Saw(2000, 91));
      OpenNamed("st", std::make_unique<StereoSound>(SawWave(900, 17), SawWave(900, 29), 44100, 2));
      OpenNamed("", state == "mono" ? Saw() : std::make_unique<StereoSound>(SawWave(4410, 37), SawWave(4410, 53), 44100, 2))
          ->SetSelRange(100, 300);
      form->SetClipBoardSound(Saw(50, 301));
    }
    form->DeleteUndo();
    form->ActionList1Update();
    windows = form->MDIChildren().size();
    active = form->GetActiveMDIChild();
  }

  // The topic's title and the line above it, as the help window shows them.
  std::string HelpShown() {
    const HelpWindow* window = form->Help().Window();
    if (window == nullptr || window->Current() == nullptr) return "(none)";
    return window->Current()->title.toStdString() + "|" + window->NoticeText().toStdString();
  }
  // F1 where the dialog's focus is, then its Help button.
  void AskHelp(QWidget& dialog) {
    const std::string caption = dialog.windowTitle().toStdString();
    if (asked.count(caption) != 0) return;
    QApplication::setActiveWindow(&dialog);
    if (form->Help().Window() != nullptr) form->Help().Window()->ShowTopic("contents.md");
    QTest::keyClick(dialog.focusWidget() != nullptr ? dialog.focusWidget() : &dialog, Qt::Key_F1);
    const std::string byKey = HelpShown();
    if (form->Help().Window() != nullptr) form->Help().Window()->ShowTopic("contents.md");
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
      if (button->text().remove('&') == "Help") button->click();
    }
    asked[caption] = {byKey, HelpShown()};
    if (const HelpWindow* window = form->Help().Window(); window != nullptr && window->Current() != nullptr) {
      reached.insert(window->Current()->file.toStdString());
      // Above the dialog, also above one that stays on top.
      EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << caption;
    }
  }

  size_t windows = 0;
  const TMDIChildKorvalen* active = nullptr;
  std::map<std::string, std::pair<std::string, std::string>> asked;
  std::set<std::string> reached;
};

std::vector<QAction*> Commands(const QMenu& menu) {
  std::vector<QAction*> commands;
  for (QAction* action : menu.actions()) {
    if (action->menu() != nullptr) {
      for (QAction* inner : Commands(*action->menu())) commands.push_back(inner);
    } else if (!action->isSeparator() && !action->objectName().isEmpty()) {
      commands.push_back(action);
    }
  }
  return commands;
}

}  // namespace

TEST_F(DialogHelp, EveryDialogAnswersF1AndItsHelpButtonWithItsOwnTopic) {
  ScopedModalRunner runner([&](QDialog& dialog) {
    if (qobject_cast<QFileDialog*>(&dialog) == nullptr && dynamic_cast<TAboutBox*>(&dialog) == nullptr) {
      // As a modal run does, the dialog keeps the main window's keys from their commands.
      dialog.setWindowModality(Qt::ApplicationModal);
      dialog.show();
      AskHelp(dialog);
    }
    dialog.reject();
    return int(QDialog::Rejected);
  });
  for (const std::string state : {"mono", "stereo", "score"}) {
    Prepare(state);
    std::vector<QAction*> commands;
    for (QAction* menu : form->menuBar()->actions()) {
      if (menu->menu() != nullptr) {
        for (QAction* command : Commands(*menu->menu())) commands.push_back(command);
      }
    }
    for (QAction* command : commands) {
      if (kNotWalked.count(command->objectName().toStdString()) != 0) continue;
      // A command that changed the documents leaves an undo or another window: start afresh.
      form->ActionList1Update();
      if (form->Action("Undo")->isEnabled() || form->MDIChildren().size() != windows ||
          form->GetActiveMDIChild() != active) {
        Prepare(state);
      }
      if (!command->isEnabled()) continue;
      std::set<QWidget*> before;
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) before.insert(window);
      }
      command->trigger();
      QApplication::processEvents();
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(window) != nullptr && window->isVisible() && before.count(window) == 0) {
          AskHelp(*window);
          window->close();
        }
      }
    }
  }

  for (const auto& [caption, shown] : asked) {
    SCOPED_TRACE(caption);
    EXPECT_EQ(shown.first, shown.second);
    EXPECT_EQ(shown.first.find('|'), shown.first.size() - 1) << shown.first;  // no line above
    EXPECT_NE(shown.first.find(caption), std::string::npos) << shown.first;
  }
  std::set<std::string> withContext;
  for (const HelpTopic& topic : form->Help().Window()->Book().Topics()) {
    if (!topic.contexts.empty()) withContext.insert(topic.file.toStdString());
  }
  EXPECT_EQ(reached, withContext);
}

TEST(HelpQuotes, TheHelpQuotesTheQuestionsAsTheProgramAsksThem) {
  const HelpBook book(":/help");
  const std::pair<const char*, const char*> quotes[] = {
      {"music-parts.md", kDeleteSingleQuestion}, {"music-parts.md", kDeleteSingleCaption},
      {"files.md", kSaveQuestion},               {"files.md", kSaveQuestionCaption},
  };
  for (const auto& [file, text] : quotes) {
    const HelpTopic* topic = book.Entry(file);
    ASSERT_NE(topic, nullptr) << file;
    // A quote may be wrapped in the topic's source.
    const QString words = QString(topic->text).replace('\n', ' ');
    EXPECT_TRUE(words.contains("\"" + QString(text) + "\"")) << file << ": " << text;
  }
}

// F1 in the score while the music dialog stays on top: the help opens above the dialog, as it
// does from the dialog's own Help button; with the dialog hidden it no longer stays on top.
TEST_F(DialogHelp, HelpFromTheScoreOpensAboveTheMusicDialog) {
  Prepare("score");
  Trigger("MusicDialog");
  ASSERT_TRUE(form->DlgMusic.Visible());
  QApplication::setActiveWindow(form.get());
  auto* score = dynamic_cast<TMDIChildMuz*>(form->GetActiveMDIChild());
  ASSERT_NE(score, nullptr);
  score->ClientArea()->setFocus();
  QTest::keyClick(score->ClientArea(), Qt::Key_F1);
  const HelpWindow* window = form->Help().Window();
  ASSERT_TRUE(window != nullptr && window->isVisible());
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  Trigger("MusicDialog");
  ASSERT_FALSE(form->DlgMusic.Visible());
  QApplication::setActiveWindow(form.get());
  QTest::keyClick(score->ClientArea(), Qt::Key_F1);
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}
