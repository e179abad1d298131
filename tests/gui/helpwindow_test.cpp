// The help window on a small book of its own: the search and its order, contexts, links and
// history, what is shown for a context or topic that is missing, and the window's place above
// the window that asked, also while that one is modal.
#include "gui/helpwindow.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QWindow>
#include <filesystem>
#include <fstream>

namespace {

class HelpWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder);
    const std::pair<const char*, const char*> files[] = {
        {"index.txt", "# topics\ncontents.md\n\necho.md 12 13\nfilters.md  15\nhelp.md\nmissing.md 30\n"},
        {"contents.md", "# Contents\n\nSee [the repeats](echo.md) and [Filters](filters.md).\n"},
        {"echo.md", "# Echo\n\nAn echo repeats the sound.\n\nBack to [the contents](contents.md).\n"},
        {"filters.md", "# Filters\n\nA filter can add echoes: echo, echo and echo.\n"},
        {"help.md", "# Using help\n\nType a word such as echo.\n"},
    };
    for (const auto& [name, text] : files) std::ofstream(folder + "/" + name) << text;
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::vector<std::string> Listed() const {
    std::vector<std::string> titles;
    const QListWidget* list = help.Window()->TopicList();
    for (int row = 0; row < list->count(); ++row) titles.push_back(list->item(row)->text().toStdString());
    return titles;
  }
  std::string Shown() const {
    const HelpTopic* topic = help.Window()->Current();
    return topic != nullptr ? topic->file.toStdString() : "";
  }

  const std::string folder = testing::TempDir() + "korvalen-help-" + std::to_string(getpid());
  HelpWindowService help{QString::fromStdString(folder), "Test Help", "help.md"};
};

}  // namespace

TEST_F(HelpWindowTest, TopicSearchListsTheTopicsHoldingAWordBestFirstAndEnterOpensTheFirst) {
  help.HelpCommand(kHelpFinder, 1);
  HelpWindow* window = help.Window();
  ASSERT_TRUE(window->isVisible());
  EXPECT_EQ(window->focusWidget(), window->SearchField());
  EXPECT_EQ(Listed(), (std::vector<std::string>{"Contents", "Echo", "Filters", "Using help"}));
  // A title hit first, then by the count; a link's target is not text the reader sees.
  QTest::keyClicks(window->SearchField(), "ECHO");
  EXPECT_EQ(Listed(), (std::vector<std::string>{"Echo", "Filters", "Using help"}));
  QTest::keyClick(window->SearchField(), Qt::Key_Return);
  EXPECT_EQ(Shown(), "echo.md");
  EXPECT_EQ(window->windowTitle().toStdString(), "Test Help - Echo");
  // Every word must be held; a word matches from its start only.
  window->SearchField()->setText("filter echo");
  EXPECT_EQ(Listed(), std::vector<std::string>{"Filters"});
  window->SearchField()->setText("cho");
  QTest::keyClick(window->SearchField(), Qt::Key_Return);
  EXPECT_EQ(Listed(), std::vector<std::string>{"No topic holds these words"});
  EXPECT_EQ(Shown(), "echo.md");
}

TEST_F(HelpWindowTest, ContextsOpenTheirTopicsLinksAreFollowedAndTheHistoryGoesBothWays) {
  help.HelpCommand(kHelpContext, 13);
  HelpWindow* window = help.Window();
  EXPECT_EQ(Shown(), "echo.md");
  EXPECT_TRUE(window->Browser()->toPlainText().contains("An echo repeats the sound."));
  EXPECT_EQ(window->TopicList()->currentItem()->text().toStdString(), "Echo");
  emit window->Browser()->anchorClicked(QUrl("contents.md"));
  EXPECT_EQ(Shown(), "contents.md");
  // The help never leaves the program.
  emit window->Browser()->anchorClicked(QUrl("https://example.org/echo.md"));
  EXPECT_EQ(Shown(), "contents.md");
  EXPECT_TRUE(window->BackButton()->isEnabled());
  window->BackButton()->click();
  EXPECT_EQ(Shown(), "echo.md");
  window->ForwardButton()->click();
  EXPECT_EQ(Shown(), "contents.md");
  help.HelpCommand(kHelpHelpOnHelp, 1);
  EXPECT_EQ(Shown(), "help.md");
  help.HelpCommand(kHelpContents, 1);
  EXPECT_EQ(Shown(), "contents.md");
  EXPECT_EQ(window->NoticeText().toStdString(), "");
}

TEST_F(HelpWindowTest, AMissingOrUnreadableTopicShowsTheContentsWithALineSayingSo) {
  QDialog asker;
  asker.setWindowTitle("Odd Dialog");
  asker.show();
  QApplication::setActiveWindow(&asker);
  const struct { int context; const char* notice; } cases[] = {
      {99, "No help topic is written for \"Odd Dialog\"; these are the contents."},
      {30, "The help topic \"missing.md\" could not be read; these are the contents."},
      {15, ""},
  };
  for (const auto& c : cases) {
    help.HelpCommand(kHelpContext, c.context);
    EXPECT_EQ(Shown(), c.context == 15 ? "filters.md" : "contents.md") << c.context;
    EXPECT_EQ(help.Window()->NoticeText().toStdString(), c.notice);
  }
  emit help.Window()->Browser()->anchorClicked(QUrl("gone.md"));
  EXPECT_EQ(Shown(), "contents.md");
  EXPECT_EQ(help.Window()->NoticeText().toStdString(), "There is no help topic \"gone.md\"; these are the contents.");
}

TEST_F(HelpWindowTest, ShowsAboveAModalAlwaysOnTopAskerAndStaysUsableWhileItIsOpen) {
  QDialog asker;
  asker.setWindowFlag(Qt::WindowStaysOnTopHint);
  asker.setWindowModality(Qt::ApplicationModal);
  asker.show();
  QApplication::setActiveWindow(&asker);
  help.HelpCommand(kHelpContext, 12);
  HelpWindow* window = help.Window();
  ASSERT_TRUE(window->isVisible());
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(window->windowHandle()->transientParent(), asker.windowHandle());
  // A click through the window system reaches the list although the asker is modal.
  QListWidget* list = window->TopicList();
  const QPoint item = list->visualItemRect(list->item(2)).center();
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, list->viewport()->mapTo(window, item));
  EXPECT_EQ(Shown(), "filters.md");
  asker.hide();

  QWidget plain;
  plain.show();
  QApplication::setActiveWindow(&plain);
  help.HelpCommand(kHelpContents, 1);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(window->windowHandle()->transientParent(), plain.windowHandle());
}

TEST_F(HelpWindowTest, StaysAboveAWindowThatStaysOnTopWhileOneIsShownWhoeverAsks) {
  QWidget onTop(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
  onTop.show();
  QWidget asker;
  asker.show();
  QApplication::setActiveWindow(&asker);
  help.HelpCommand(kHelpContents, 1);
  ASSERT_NE(help.Window(), nullptr);
  EXPECT_TRUE(help.Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  // A window manager keeps a window above the one it is transient for, among those on top.
  EXPECT_EQ(help.Window()->windowHandle()->transientParent(), onTop.windowHandle());
  onTop.hide();
  help.HelpCommand(kHelpContents, 1);
  EXPECT_FALSE(help.Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

// Every help key brings a minimised help window back.
TEST_F(HelpWindowTest, AMinimisedWindowComesBackForEveryHelpKey) {
  for (const int command : {kHelpContents, kHelpFinder, kHelpHelpOnHelp, kHelpContext}) {
    SCOPED_TRACE(command);
    help.HelpCommand(command, 12);
    help.Window()->showMinimized();
    ASSERT_TRUE(help.Window()->isMinimized());
    help.HelpCommand(command, 12);
    EXPECT_FALSE(help.Window()->isMinimized());
    EXPECT_TRUE(help.Window()->isVisible());
  }
}
