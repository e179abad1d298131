// Start-up and the main window: caption, actions, status bar, name box, temporary
// directory, cursor store, help commands and the key filter.
#include "app/Main.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QMdiArea>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "app/wavewindow/ChildWin.h"
#include "app/MainActions.h"
#include "app/fakes/main_window.h"
#include "app/fakes/recording_help.h"
#include "foundation/assertion.h"
#include "gui/application.h"
#include "gui/statusbar.h"
#include "support/recording_sink.h"
#include "wave/props.h"
#include "wave/unitwave.h"

namespace {

class MainFormTest : public MainWindowTest {
 protected:
  MainFormTest() : MainWindowTest("main") {}

  // Lets the name box take typed keys, as it does while a document is active.
  QLineEdit* TypeInNameBox() {
    QLineEdit* box = form->EditName();
    box->setEnabled(true);
    box->setFocus();
    form->EditNameActive = true;
    return box;
  }

  // Shows the window and waits until it is on the screen with its bars in place.
  bool ShowAndSettle() {
    form->show();
    return QTest::qWaitForWindowExposed(form.get()) &&
           QTest::qWaitFor([this] { return Settled(); }, 20000);
  }
  // Nothing moves: Qt slides bars and the document area into their places with animations of
  // their geometry, each a child of what it moves.
  bool Settled() const {
    for (const auto* move : form->findChildren<QPropertyAnimation*>()) {
      if (move->state() != QAbstractAnimation::Stopped) return false;
    }
    return true;
  }

  // Moves the mouse that drags `bar` to `global`, and lets the bar follow.
  static void DragTo(QToolBar& bar, QPoint global) {
    QTest::mouseMove(&bar, bar.mapFromGlobal(global));
    QApplication::processEvents();
  }
  // What `state` tells once it tells `expected` and nothing moves, or after a generous time: a
  // layout pass and an animation take as long as the machine lets them.
  template <typename State, typename Value>
  auto Awaited(const State& state, const Value& expected) const {
    static_cast<void>(QTest::qWaitFor([&] { return Settled() && state() == expected; }, 20000));
    return state();
  }

  // Installed over the help window the main window installs.
  void SetUp() override {
    MainWindowTest::SetUp();
    help.emplace();
  }

  RecordingSink sink;
  std::optional<RecordingHelp> help;
};

}  // namespace

TEST_F(MainFormTest, CaptionApplicationTitleAndHelpFileNameTheProgram) {
  EXPECT_EQ(form->windowTitle().toStdString() + "|" + ApplicationTitle(), "Korvalen 7.1|Korvalen 7.1");
  EXPECT_EQ(HelpFile().front(), '/');
  EXPECT_EQ(std::filesystem::path(HelpFile()).filename(), "KORVALHE.HLP");
  EXPECT_EQ(form->size(), QSize(755, 457));
  ASSERT_FALSE(form->ImageListIcons().empty());
  EXPECT_EQ(form->windowIcon().cacheKey(), form->ImageListIcons()[0].cacheKey());
}

TEST_F(MainFormTest, ActionsCarryTheirCaptionsShortcutsAndHints) {
  struct Case { const char *name, *shortcut, *shortHint, *longHint; } cases[] = {
      {"EditTrim", "Ctrl+Shift+Del", "Trim", "Delete all except the selected part"},
      {"MakeLine", "", "Line", "Make a wave of a straight ro exponential line"},
      {"WindowTileHorizontal", "F4", "Tile Horizontally", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QAction* action = form->Action(c.name);
    EXPECT_EQ(action->shortcut(), QKeySequence(c.shortcut));
    EXPECT_EQ(action->toolTip().toStdString(), c.shortHint);
    EXPECT_EQ(action->statusTip().toStdString(), c.longHint);
  }
  for (const QAction* action : form->actions()) {
    EXPECT_FALSE(action->text().isEmpty()) << action->objectName().toStdString();
  }
}

TEST_F(MainFormTest, EveryActionHasItsOwnShortcutAndOnlyBuiltCommandsAreEnabled) {
  const QList<QAction*> all = form->actions();
  std::set<std::string> shortcuts;
  std::set<std::string> enabled;
  for (const QAction* action : all) {
    if (!action->shortcut().isEmpty()) {
      EXPECT_TRUE(shortcuts.insert(action->shortcut().toString().toStdString()).second)
          << action->objectName().toStdString();
    }
    if (action->isEnabled()) enabled.insert(action->objectName().toStdString());
  }
  // Pause may be pressed before anything plays.
  std::set<std::string> expected{"FileNewWave", "FileOpenWave", "FileClose", "FileExit",
                                 "FilePause", "Register", "WindowCascade", "WindowTileHorizontal",
                                 "WindowTileVertical", "WindowMinimizeAll", "WindowArrangeAll",
                                 "HelpContents", "HelpTopicSearch", "HelpOnHelp", "HelpAbout",
                                 "SelectWave", "MusicDialog", "MusicParts"};
  // The music commands and the shared keys are live; each does nothing without its document.
  for (const ActionGroup& group : MainActionGroups()) {
    if (std::string(group.menu) != "Music" && std::string(group.menu) != "key") continue;
    for (const ActionSpec& spec : group.actions) {
      if (std::string(spec.name) != "MusicGenerate") expected.insert(spec.name);
    }
  }
  EXPECT_EQ(enabled, expected);

  // The File menu as the user opens it with no document: New, Open, Register, Close and Exit.
  std::vector<std::string> usable;
  for (const QAction* entry : form->MainMenu("File")->actions()) {
    if (!entry->isSeparator() && entry->isVisible() && entry->isEnabled()) {
      usable.push_back(entry->objectName().toStdString());
    }
  }
  EXPECT_EQ(usable, (std::vector<std::string>{"FileNewWave", "FileOpenWave", "FileClose",
                                              "FilePause", "Register", "FileExit"}));
}

TEST_F(MainFormTest, WithoutADocumentTheIdleUpdateEmptiesStatusPanelsTwoToSix) {
  StatusPanels* status = form->StatusBar();
  ASSERT_EQ(status->PanelCount(), 8);
  for (int i = 0; i < 8; ++i) status->SetPanelText(i, "x" + std::to_string(i));
  QTest::keyClick(form.get(), Qt::Key_Shift);
  QApplication::processEvents();
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(status->PanelText(i), i >= 2 && i <= 6 ? "" : "x" + std::to_string(i)) << i;
  }

  QStatusTipEvent tip("Play the wave");
  QApplication::sendEvent(form.get(), &tip);
  EXPECT_EQ(status->PanelText(0), "Play the wave");
}

TEST_F(MainFormTest, NameBoxTakesNinetyNineCharactersAndStartsDisabledAndGrey) {
  QLineEdit* box = form->EditName();
  EXPECT_EQ(std::tuple(box->isEnabled(), box->text().toStdString(), box->maxLength(), box->statusTip().toStdString()),
            std::tuple(false, std::string(), 99, std::string("a unique name of the window")));
  EXPECT_EQ(box->palette().color(QPalette::Base), QColor(128, 128, 128));
}

TEST_F(MainFormTest, UsableTemporaryDirectoryIsPrivateAndShowsNoMessage) {
  EXPECT_TRUE(sink.messages.empty() && TempDirOk);
  // The files lie in this copy's own folder inside the user's.
  const std::filesystem::path own = std::filesystem::path(TempPlayFile).parent_path();
  EXPECT_EQ(own.parent_path(), std::filesystem::path(TempDir));
  for (const std::string& folder : {TempDir, own.string()}) {
    struct stat status {};
    ASSERT_EQ(lstat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & (S_IFMT | 0777), S_IFDIR | 0700u);
  }
  EXPECT_EQ(TempPlayFile + " " + TempRecFile,
            own.string() + "/kvtempplaywave.wav " + own.string() + "/kvtemprecwave.wav");
}

TEST_F(MainFormTest, TemporaryDirectoryThatCannotBeMadeIsNamedOnceAndDisablesPlayAndRecord) {
  form.reset();
  sink.messages.clear();
  const std::string blocker = scratch + "/blocker";
  std::ofstream(blocker) << "a file where a directory should go";
  SetTempDir(blocker + "/temp");
  form = StartUp();
  EXPECT_FALSE(TempDirOk);
  EXPECT_EQ(sink.messages, (std::vector<RecordedMessage>{
                               {"Could not create directory \"" + blocker + "/temp\". Play and Record disabled",
                                "Error", 48}}));
}

TEST(TemporaryDirectory, OnlyARealDirectoryOfTheUserIsAccepted) {
  const std::string base = testing::TempDir() + "korvalen-private-" + std::to_string(getpid());
  std::filesystem::remove_all(base);
  std::filesystem::create_directories(base);
  const std::string made = base + "/made";
  EXPECT_TRUE(MakePrivateDir(made, getuid()));
  EXPECT_TRUE(MakePrivateDir(made, getuid()));  // existing and ours
  EXPECT_FALSE(MakePrivateDir(made, getuid() + 1));  // someone else's

  const std::string open = base + "/open";
  std::filesystem::create_directory(open);
  chmod(open.c_str(), 0777);
  EXPECT_TRUE(MakePrivateDir(open, getuid()));
  struct stat status {};
  ASSERT_EQ(stat(open.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  const std::string link = base + "/link";
  std::filesystem::create_directory_symlink(made, link);
  EXPECT_FALSE(MakePrivateDir(link, getuid()));
  std::ofstream(base + "/file") << "x";
  EXPECT_FALSE(MakePrivateDir(base + "/file", getuid()));
  std::filesystem::remove_all(base);
}

TEST_F(MainFormTest, CursorStoreKeepsOneCursorAndTrapsASecondSave) {
  form->SetHourGlass();
  EXPECT_EQ(ScreenCursor(), crHourGlass);
  form->ClearHourGlass();
  EXPECT_EQ(std::pair(ScreenCursor(), form->SavedCursor), std::pair(crDefault, crDefault));

  SetScreenCursor(crNote);
  form->SetIBeam();
  EXPECT_EQ(std::pair(ScreenCursor(), form->SavedCursor), std::pair(crIBeam, crNote));
  try {
    form->SetHourGlass();
    ADD_FAILURE() << "a second save must trap";
  } catch (const AssertionFailure& trap) {
    EXPECT_EQ(trap.unit + ": " + trap.expression, "Main: SavedCursor == crDefault");
  }
  form->RestoreCursor();
  EXPECT_EQ(ScreenCursor(), crNote);
  SetScreenCursor(crDefault);
}

TEST_F(MainFormTest, HelpCommandsAskForContentsTopicSearchAndHelpOnHelp) {
  for (const char* name : {"HelpContents", "HelpTopicSearch", "HelpOnHelp"}) form->Action(name)->trigger();
  EXPECT_EQ(help->calls, (std::vector<std::pair<int, int>>{{3, 1}, {11, 1}, {4, 1}}));
}

TEST_F(MainFormTest, ShortcutsWorkWhileTheirMenuIsHidden) {
  ASSERT_FALSE(form->MainMenu("Effects")->menuAction()->isVisible());
  QAction* volume = form->Action("Volume");
  volume->setEnabled(true);  // as a wave document would make it
  QSignalSpy fired(volume, &QAction::triggered);
  QTest::keyClick(form.get(), Qt::Key_V);
  EXPECT_EQ(fired.count(), 1);
  QTest::keyClick(form.get(), Qt::Key_F1);
  EXPECT_EQ(help->calls.size(), 1u);
}

TEST_F(MainFormTest, TypingInTheNameBoxKeepsKeysFromTheShortcuts) {
  // Play, Rotate, Make Block, Trim, and the help.
  std::vector<std::unique_ptr<QSignalSpy>> spies;
  for (const char* name : {"FilePlay", "Rotate", "MakeBlock", "EditTrim"}) {
    form->Action(name)->setEnabled(true);
    spies.push_back(std::make_unique<QSignalSpy>(form->Action(name), &QAction::triggered));
  }
  const auto fired = [&] {
    std::vector<size_t> counts;
    for (const auto& spy : spies) counts.push_back(static_cast<size_t>(spy->count()));
    counts.push_back(help->calls.size());
    return counts;
  };
  QLineEdit* box = TypeInNameBox();

  QTest::keyClicks(box, "pap");
  EXPECT_EQ(box->text().toStdString(), "pap");
  QTest::keyClick(box, Qt::Key_R, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_F1);
  EXPECT_EQ(fired(), (std::vector<size_t>{0, 0, 0, 0, 0}));

  // Navigation and editing keys keep their meaning in the box.
  QTest::keyClick(box, Qt::Key_Home);
  EXPECT_EQ(box->cursorPosition(), 0);
  QTest::keyClick(box, Qt::Key_Delete);
  EXPECT_EQ(box->text().toStdString(), "ap");
  // Delete stays with the box also with the modifiers of a shortcut (Trim); an Alt shortcut runs.
  QTest::keyClick(box, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_B, Qt::AltModifier);
  EXPECT_EQ(fired(), (std::vector<size_t>{0, 0, 1, 0, 0}));

  // Once Escape has ended the typing the same keys reach their commands again.
  QTest::keyClick(box, Qt::Key_Escape);
  EXPECT_EQ(std::pair(form->EditNameActive, ScreenCursor()), std::pair(false, crDefault));
  QTest::keyClick(box, Qt::Key_R, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_F1);
  EXPECT_EQ(fired(), (std::vector<size_t>{0, 1, 1, 0, 1}));
}

TEST_F(MainFormTest, ANameEditGivesTheCursorBackAlsoWhenTheWindowGoesDuringIt) {
  form->EditName()->setEnabled(true);  // as a document would make it
  const auto startEdit = [this] {
    QTest::mouseClick(form->EditName(), Qt::LeftButton);
    return ScreenCursor() == crIBeam;
  };
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Tab}) {
    ASSERT_TRUE(startEdit());
    QTest::keyClick(form->EditName(), key);
    EXPECT_EQ(std::pair(form->EditNameActive, ScreenCursor()), std::pair(false, crDefault)) << key;
  }
  ASSERT_TRUE(startEdit());
  form.reset();
  EXPECT_EQ(std::pair(ScreenCursor(), QGuiApplication::overrideCursor()),
            std::pair(crDefault, static_cast<QCursor*>(nullptr)));
}

TEST_F(MainFormTest, ShortcutsRestWhileAModelessDialogTakesTypingOrAModalBoxIsOpen) {
  QWidget dialog(form.get(), Qt::Dialog);
  auto* field = new QLineEdit(&dialog);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  field->setFocus();
  form->DialogActive = true;
  QTest::keyClick(field, Qt::Key_F1);
  EXPECT_TRUE(help->calls.empty());
  form->DialogActive = false;
  QTest::keyClick(field, Qt::Key_F1);
  EXPECT_EQ(help->calls.size(), 1u);

  QDialog box(form.get());
  box.setModal(true);
  box.show();
  QApplication::setActiveWindow(&box);
  QTest::keyClick(&box, Qt::Key_F1);
  EXPECT_EQ(help->calls.size(), 1u);
}

// Every menu by keyboard alone: F10 or a lone Alt opens the menu bar, the arrows go from menu to
// menu and an item's letter runs its command. Alt+F runs Multi Frequencies, the command that owns
// it, rather than opening File; Alt+H, which no command owns, opens Help. Ctrl+F6 goes to the next
// document window and Ctrl+F4 closes the active one.
TEST_F(MainFormTest, EveryMenuAndCommandIsReachedByKeyboard) {
  for (const char* name : {"one", "two"}) {
    auto unit = std::make_unique<TUnitWave>(name, waveFileProps(1, 22050, 2));
    ASSERT_TRUE(unit->MakeSinus(TSinusProps{}));
    unit->SetSaved();
    form->CreateMDIChildWave(name, std::move(unit), {}, {});
  }
  form->ActionList1Update();
  std::vector<std::string> dialogs;
  ScopedModalRunner runner([&](QDialog& dialog) {
    dialogs.push_back(dialog.windowTitle().toStdString());
    return int(QDialog::Rejected);
  });
  const auto openMenu = [] {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return popup != nullptr ? popup->objectName().toStdString() : std::string();
  };
  const auto closeMenus = [&] {
    while (QApplication::activePopupWidget() != nullptr) QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  };

  struct Case { const char* menu; char letter; const char* command; } cases[] = {
      {"File", 'd', "DuplicateWave"}, {"Edit", 'd', "EditDelete"}, {"View", 'w', "ViewWave"},
      {"Make", 's', "MakeSilence"},   {"Effects", 'b', "Block"},   {"Window", 'c', "WindowCascade"},
      {"Help", 'c', "HelpContents"},
  };
  int rights = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.menu);
    QSignalSpy fired(form->Action(c.command), &QAction::triggered);
    QTest::keyClick(form.get(), rights % 2 == 0 ? Qt::Key_F10 : Qt::Key_Alt);
    EXPECT_EQ(openMenu(), "File");
    for (int i = 0; i < rights; ++i) QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
    ASSERT_EQ(openMenu(), c.menu);
    QTest::keyClick(QApplication::activePopupWidget(), c.letter);
    EXPECT_EQ(fired.count(), 1);
    closeMenus();
    ++rights;
  }

  QSignalSpy multiFrequencies(form->Action("MakeMFreq"), &QAction::triggered);
  QTest::keyClick(form.get(), Qt::Key_F, Qt::AltModifier);
  EXPECT_EQ(multiFrequencies.count(), 1);
  EXPECT_EQ(openMenu(), "");
  QTest::keyClick(form.get(), Qt::Key_H, Qt::AltModifier);
  EXPECT_EQ(openMenu(), "Help");
  closeMenus();

  const auto active = [&] { return form->GetActiveMDIChild()->windowTitle().toStdString(); };
  const std::string first = active();
  QTest::keyClick(form.get(), Qt::Key_F6, Qt::ControlModifier);
  const std::string second = active();
  EXPECT_NE(second, first);
  const size_t open = form->MDIChildren().size();
  QTest::keyClick(form.get(), Qt::Key_F4, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_EQ(form->MDIChildren().size(), open - 1);
  for (TMDIChildKorvalen* child : form->MDIChildren()) {
    EXPECT_NE(child->windowTitle().toStdString(), second);
  }
}

TEST_F(MainFormTest, ToolBarsWrapTheirButtonsOntoMoreRowsWhileDockedAndNotWhileDragged) {
  QToolBar* bar = form->ToolBar("ToolBarBasic");
  // The rows the name box and the shown buttons take, or 0 while one of them lies outside the bar
  // or over another: the bar takes its new height one layout pass after its buttons wrap.
  const auto rows = [&]() -> size_t {
    const QLineEdit* box = form->EditName();
    std::vector<QRect> places{QRect(box->mapTo(bar, QPoint()), box->size())};
    for (QToolButton* button : bar->findChildren<QToolButton*>()) {
      if (button->defaultAction() != nullptr && button->defaultAction()->isVisible()) {
        places.emplace_back(button->mapTo(bar, QPoint()), button->size());
      }
    }
    std::set<int> tops;
    for (size_t i = 0; i < places.size(); ++i) {
      if (!bar->rect().contains(places[i])) return 0;
      for (size_t j = 0; j < i; ++j) {
        if (places[i].intersects(places[j])) return 0;
      }
      if (i > 0) tops.insert(places[i].top());
    }
    return tops.size();
  };
  EXPECT_EQ(Awaited(rows, size_t{1}), 1u);
  form->resize(260, 457);
  EXPECT_EQ(Awaited(rows, size_t{3}), 3u);
  // Dragged by its handle into the middle of the window, the bar floats in one row; dropped on
  // the top dock again, it wraps again.
  const QPoint dock = form->mapToGlobal(QPoint(form->width() / 2, bar->y() + 4));
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(4, 10));
  DragTo(*bar, form->MdiArea()->mapToGlobal(form->MdiArea()->rect().center()));
  const auto floating = [&] {
    return std::tuple(bar->isFloating(), rows(), bar->height() - bar->sizeHint().height());
  };
  EXPECT_EQ(Awaited(floating, std::tuple(true, size_t{1}, 0)), std::tuple(true, 1u, 0));
  for (int step = 4; step >= 0; --step) DragTo(*bar, dock + QPoint(0, step * 20));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(dock));
  const auto docked = [&] { return std::tuple(bar->isFloating(), rows()); };
  EXPECT_EQ(Awaited(docked, std::tuple(false, size_t{3})), std::tuple(false, 3u));
}

TEST_F(MainFormTest, TheToolBarsOfANewKindOfDocumentKeepTheMainWindowsSize) {
  ASSERT_TRUE(ShowAndSettle());
  const QSize shown = form->size();
  ScopedModalRunner runner([](QDialog&) { return int{QDialog::Accepted}; });
  std::vector<QSize> sizes;
  for (int opened = 1; opened <= 2; ++opened) {  // the first brings the wave's tool bars
    QTest::keySequence(form.get(), QKeySequence("Ctrl+N"));
    const auto wave = [&] { return form->ToolBar("ToolBarWave1")->isVisible(); };
    EXPECT_TRUE(Awaited(wave, true));
    sizes.push_back(form->size());
    EXPECT_EQ(form->MDIChildren().size(), size_t(opened));
  }
  EXPECT_EQ(sizes, std::vector<QSize>(2, shown));
}

TEST_F(MainFormTest, ABarDraggedPastASideDockFloatsInOneRow) {
  ASSERT_TRUE(ShowAndSettle());
  QToolBar* bar = form->ToolBar("ToolBarBasic");
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(4, 10));
  const QRect area(form->MdiArea()->mapToGlobal(QPoint()), form->MdiArea()->size());
  // Over the left dock: the bar stands up.
  DragTo(*bar, area.topLeft() + QPoint(8, area.height() / 2));
  DragTo(*bar, area.center());
  QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(area.center()));
  const auto state = [&] {
    return std::tuple(bar->isFloating(), bar->orientation(), bar->size() - bar->sizeHint());
  };
  EXPECT_EQ(Awaited(state, std::tuple(true, Qt::Horizontal, QSize(0, 0))),
            std::tuple(true, Qt::Horizontal, QSize(0, 0)));
}


TEST_F(MainFormTest, ABarDockedBesideAnotherTakesALineOfItsOwnAndKeepsTheMainWindowsSize) {
  ASSERT_TRUE(ShowAndSettle());
  ScopedModalRunner runner([](QDialog&) { return int{QDialog::Accepted}; });
  QTest::keySequence(form.get(), QKeySequence("Ctrl+N"));  // a new wave
  ASSERT_EQ(form->MDIChildren().size(), 1u);
  form->resize(380, 600);
  QToolBar* bar = form->ToolBar("ToolBarBasic");
  QToolBar* next = form->ToolBar("ToolBarWave1");
  const auto lines = [&] { return std::tuple(bar->isFloating(), bar->width(), next->width()); };
  ASSERT_EQ(Awaited(lines, std::tuple(false, 380, 380)), std::tuple(false, 380, 380));
  // Floated, then dropped on the line of the bar that now leads the top dock.
  const QPoint middle = form->MdiArea()->mapToGlobal(form->MdiArea()->rect().center());
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(4, 10));
  DragTo(*bar, middle);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(middle));
  const auto floating = [&] { return std::pair(bar->isFloating(), bar->size() - bar->sizeHint()); };
  ASSERT_EQ(Awaited(floating, std::pair(true, QSize(0, 0))), std::pair(true, QSize(0, 0)));
  const QPoint line = next->mapToGlobal(QPoint(next->width() / 2, 4));
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(4, 10));
  for (int step = 8; step >= 0; --step) DragTo(*bar, line + QPoint(0, step * 20));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(line));
  EXPECT_EQ(Awaited(lines, std::tuple(false, 380, 380)), std::tuple(false, 380, 380));
  EXPECT_EQ(form->size(), QSize(380, 600));
}
