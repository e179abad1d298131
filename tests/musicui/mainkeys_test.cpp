// The main window's keys, name box and status panels with a wave window and a music window open,
// each in its turn the active one.
#include <gtest/gtest.h>

#include <QAction>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <map>
#include <memory>
#include <string>

#include "app/DSelZoom.h"
#include "app/wavewindow/ChildWave.h"
#include "app/MainActions.h"
#include "gui/application.h"
#include "gui/statusbar.h"
#include "musicui/DMusTree.h"
#include "musicui/DMusic.h"
#include "muzwindow_fixture.h"
#include "support/event_loop.h"
#include "wave/unitwave.h"

namespace {

QStringList qtWarnings;

class MainKeys : public MuzWindowTest {
 protected:
  TMDIChildWave* OpenWave() {
    auto unit = std::make_unique<TUnitWave>("wave", waveFileProps(1, 22050, 2));
    EXPECT_TRUE(unit->MakeSinus(TSinusProps{}));
    unit->SetSaved();
    return form->CreateMDIChildWave("wave", std::move(unit), {}, {});
  }
  // As the user's click on the window does; the idle update follows.
  void Activate(QMdiSubWindow* window) {
    RunQueued();
    QApplication::setActiveWindow(form.get());
    form->MdiArea()->setActiveSubWindow(window);
    RunQueued();
  }
  std::string OpenMenu() const {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return popup != nullptr ? popup->objectName().toStdString() : std::string();
  }
  // P, F1, Shift+F1 and Ctrl+F1 where the focus is: how many of them reached their commands.
  int KeysThatRun() {
    std::vector<std::unique_ptr<QSignalSpy>> ran;
    for (const char* command : {"FilePlay", "HelpContents", "HelpTopicSearch", "HelpOnHelp"}) {
      QObject::disconnect(form->Action(command), &QAction::triggered, nullptr, nullptr);
      ran.push_back(std::make_unique<QSignalSpy>(form->Action(command), &QAction::triggered));
    }
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_P), QKeyCombination(Qt::Key_F1),
                                      Qt::SHIFT | Qt::Key_F1, Qt::CTRL | Qt::Key_F1}) {
      QWidget* focus = QApplication::focusWidget();
      QTest::keyClick(focus != nullptr ? focus : form.get(), key.key(), key.keyboardModifiers());
    }
    int count = 0;
    for (const auto& spy : ran) count += spy->count();
    return count;
  }
  void CloseMenus() {
    while (QWidget* popup = QApplication::activePopupWidget()) QTest::keyClick(popup, Qt::Key_Escape);
    if (QApplication::focusWidget() == form->menuBar()) QTest::keyClick(form->menuBar(), Qt::Key_Escape);
  }
};

// Every key of the action tables, pressed with the wave window active and then with the music
// window (opened after it) active, runs the one command the tables give. Where that command serves
// the other kind and its Alt+letter is a shown menu's letter, that menu opens instead. Qt calls
// no key ambiguous. The commands here only count: what each does is tested elsewhere.
TEST_F(MainKeys, EveryKeyRunsOneCommandChosenByTheKindOfTheActiveDocument) {
  TMDIChildWave* wave = OpenWave();
  TMDIChildMuz* music = ComposeNew();
  ASSERT_NE(music, nullptr);
  // Select Wave's key stays live while a music window hides its entry.
  Activate(music);
  QTest::keyClick(form.get(), Qt::Key_Q);
  EXPECT_TRUE(QTest::qWaitFor([this] { return form->DlgSelZoom.Visible(); }, 20000));
  form->Action("SelectWave")->trigger();
  ASSERT_FALSE(form->DlgSelZoom.Visible());

  std::map<std::string, std::unique_ptr<QSignalSpy>> ran;
  for (QAction* action : form->actions()) {
    QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
    ran[action->objectName().toStdString()] = std::make_unique<QSignalSpy>(action, &QAction::triggered);
  }
  const std::map<std::pair<QMdiSubWindow*, std::string>, std::string> menus = {
      {{wave, "Alt+M"}, "Make"},
      {{music, "Alt+F"}, "File"},
      {{music, "Alt+V"}, "View"},
      {{music, "Alt+W"}, "Window"},
  };
  qtWarnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { qtWarnings << text; });
  for (QMdiSubWindow* window : {static_cast<QMdiSubWindow*>(wave), static_cast<QMdiSubWindow*>(music)}) {
    Activate(window);
    for (const ActionGroup& group : MainActionGroups()) {
      if (std::string(group.menu) == "Help") continue;
      for (const ActionSpec& spec : group.actions) {
        if (*spec.shortcut == '\0') continue;
        SCOPED_TRACE(testing::Message() << window->windowTitle().toStdString() << " " << spec.shortcut);
        // As a document that allows every command would leave them.
        for (QAction* action : form->actions()) action->setEnabled(true);
        for (auto& [name, spy] : ran) spy->clear();
        QTest::keySequence(form.get(), QKeySequence(QString::fromLatin1(spec.shortcut)));
        std::string result;
        for (const auto& [name, spy] : ran) {
          if (!spy->isEmpty()) result += name + " ";
        }
        if (!OpenMenu().empty()) result += "menu " + OpenMenu();
        CloseMenus();
        const auto menu = menus.find({window, spec.shortcut});
        EXPECT_EQ(result, menu == menus.end() ? std::string(spec.name) + " " : "menu " + menu->second);
      }
    }
  }
  qInstallMessageHandler(previous);
  EXPECT_TRUE(qtWarnings.filter("mbiguous").isEmpty()) << qtWarnings.join("\n").toStdString();
}

// Alt+Home reaches Edit mode from the score itself; Clear Clipboard leaves the clipboard alone
// while the music window is active, and clears it with the wave window active.
TEST_F(MainKeys, AltHomeLeavesTheScoreAndClearClipboardWaitsForAWave) {
  TMDIChildWave* wave = OpenWave();
  Activate(wave);
  form->Action("EditCopy")->trigger();
  ASSERT_NE(form->ClipBoardSound, nullptr);
  TMDIChildMuz* music = ComposeNew();
  ASSERT_NE(music, nullptr);
  Activate(music);
  music->ClientArea()->setFocus();
  ASSERT_TRUE(music->GetUnitMuz()->IsModeAdd());
  QTest::keyClick(music->ClientArea(), Qt::Key_Home, Qt::AltModifier);
  EXPECT_TRUE(music->GetUnitMuz()->IsModeEdit());
  QTest::keyClick(music->ClientArea(), Qt::Key_Delete, Qt::ShiftModifier | Qt::AltModifier);
  EXPECT_NE(form->ClipBoardSound, nullptr);
  Activate(wave);
  QTest::keyClick(wave->ClientArea(), Qt::Key_Delete, Qt::ShiftModifier | Qt::AltModifier);
  EXPECT_EQ(form->ClipBoardSound, nullptr);
}

// Enter in the name box renames and gives the keys back to the document window, so P plays; the
// status panels of one kind do not stay when a window of the other kind becomes active.
TEST_F(MainKeys, NameBoxHandsTheKeysBackAndStatusPanelsFollowTheActiveWindow) {
  TMDIChildWave* wave = OpenWave();
  Activate(wave);
  QLineEdit* box = form->EditName();
  QTest::mouseClick(box, Qt::LeftButton);
  box->setFocus();
  box->clear();
  QTest::keyClicks(box, "tone");
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(wave->GetUnit()->GetName(), "tone");
  QObject::disconnect(form->Action("FilePlay"), &QAction::triggered, nullptr, nullptr);
  QSignalSpy played(form->Action("FilePlay"), &QAction::triggered);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_P);
  EXPECT_EQ(played.count(), 1);
  EXPECT_EQ(box->text().toStdString(), "tone");

  wave->GetUnit()->SetModified();
  form->ActionList1Update();
  const StatusPanels& panels = *form->StatusBar();
  const std::string waveState = panels.PanelText(7);
  ASSERT_NE(waveState, "");
  TMDIChildMuz* music = ComposeNew();
  ASSERT_NE(music, nullptr);
  Activate(music);
  ASSERT_NE(panels.PanelText(1), "");  // the music's insert kind
  EXPECT_EQ(panels.PanelText(7), "");
  Activate(wave);
  EXPECT_EQ(panels.PanelText(1), "");
  EXPECT_EQ(panels.PanelText(7), waveState);
}

// However the user goes back from a modeless dialog to the main window (the window switcher, a
// click on the main window's title bar, a click on the document window's title bar), the
// one-letter and help keys run their commands again.
TEST_F(MainKeys, KeysComeBackHoweverTheUserLeavesAModelessDialog) {
  InstallMusicDialog(*form);
  InstallMusTreeDialog(*form);
  TMDIChildWave* wave = OpenWave();
  TMDIChildMuz* music = ComposeNew();
  ASSERT_NE(music, nullptr);
  const std::function<void(QMdiSubWindow*)> ways[] = {
      [this](QMdiSubWindow*) { form->windowHandle()->requestActivate(); },
      [this](QMdiSubWindow*) { QApplication::setActiveWindow(form.get()); },
      [this](QMdiSubWindow* window) {
        QApplication::setActiveWindow(form.get());
        QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(window->width() / 2, 6));
      }};
  const struct { const char* command; ModelessToggle* dialog; QMdiSubWindow* window; } dialogs[] = {
      {"SelectWave", &form->DlgSelZoom, wave},
      {"MusicDialog", &form->DlgMusic, music},
      {"MusicParts", &form->DlgMusTree, music}};
  for (const auto& d : dialogs) {
    for (size_t way = 0; way < std::size(ways); ++way) {
      SCOPED_TRACE(std::string(d.command) + " way " + std::to_string(way));
      Activate(d.window);
      if (!d.dialog->Visible()) Trigger(d.command);
      ASSERT_TRUE(d.dialog->Visible());
      QApplication::setActiveWindow(d.dialog->Widget());
      RunQueued();
      ASSERT_TRUE(form->DialogActive);
      ways[way](d.window);
      // The window system tells of the activation when it comes to it.
      EXPECT_TRUE(
          QTest::qWaitFor([this] { return QApplication::activeWindow() == form.get(); }, 20000));
      RunQueued();
      EXPECT_EQ(QApplication::activeWindow(), form.get());
      EXPECT_EQ(KeysThatRun(), 4);
    }
  }
}

// Typing in the name box ends however the box is left: Tab and a click on the document window's
// title bar or on the status bar give the keys back to the document window, Escape gives the
// document's name back as well.
TEST_F(MainKeys, KeysComeBackHoweverTheUserLeavesTheNameBox) {
  TMDIChildWave* wave = OpenWave();
  wave->GetUnit()->SetName("tone");
  Activate(wave);
  form->ActionList1Update();
  QLineEdit* box = form->EditName();
  const std::function<void()> ways[] = {
      [box] { QTest::keyClick(box, Qt::Key_Tab); },
      [wave] { QTest::mouseClick(wave, Qt::LeftButton, {}, QPoint(wave->width() / 2, 6)); },
      [this] { QTest::mouseClick(form->statusBar(), Qt::LeftButton); },
      [box] { QTest::keyClick(box, Qt::Key_Escape); }};
  for (size_t way = 0; way < std::size(ways); ++way) {
    SCOPED_TRACE(way);
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_TRUE(box->hasFocus() && form->EditNameActive);
    box->selectAll();
    QTest::keyClicks(box, "pq");
    ASSERT_EQ(box->text().toStdString(), "pq");
    ways[way]();
    EXPECT_FALSE(box->hasFocus() || form->EditNameActive);
    EXPECT_EQ(form->GetActiveMDIChild(), wave);
    EXPECT_EQ(KeysThatRun(), 4);
    EXPECT_EQ(std::pair(wave->GetUnit()->GetName(), box->text().toStdString()),
              std::pair(std::string("tone"), std::string(way == 3 ? "tone" : "pq")));
    EXPECT_EQ(ScreenCursor(), crDefault);
  }
}

// A key typed in a text field edits the field and reaches no command, whether the field is the
// name box, a field of a modeless dialog (Select and Zoom's End) or of a modal one (Change
// Volume): Delete, Insert and Backspace with Shift or Ctrl, Ctrl+A, C, X, V and Z. An Alt letter
// types nothing; an AltGr character (Alt+Ctrl, or the group switch) does.
TEST_F(MainKeys, KeysTypedInAFieldEditTheFieldAndLeaveTheDocumentAlone) {
  TMDIChildWave* wave = OpenWave();
  TUnitWave* unit = wave->GetUnitWave();
  Activate(wave);
  form->ActionList1Update();
  const auto edit = [](QLineEdit* field) {
    std::vector<std::string> texts;
    field->setText("12");
    const QKeyCombination keys[] = {
        Qt::Key_Backspace,  Qt::CTRL | Qt::Key_Z,        Qt::CTRL | Qt::Key_A,    Qt::CTRL | Qt::Key_C,
        Qt::CTRL | Qt::Key_Delete, Qt::CTRL | Qt::Key_V,  Qt::CTRL | Qt::Key_A,    Qt::CTRL | Qt::Key_X,
        Qt::SHIFT | Qt::Key_Insert, Qt::Key_Home,         Qt::Key_Delete,          Qt::SHIFT | Qt::CTRL | Qt::Key_Delete,
        Qt::SHIFT | Qt::Key_Delete, Qt::Key_Insert,      Qt::ALT | Qt::Key_Q,     Qt::ALT | Qt::Key_X,
        Qt::CTRL | Qt::Key_Insert};
    for (const QKeyCombination key : keys) {
      QTest::keyClick(field, key.key(), key.keyboardModifiers());
      texts.push_back(field->text().toStdString());
    }
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_At, QString("@"), Qt::ControlModifier | Qt::AltModifier);
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_NumberSign, QString("#"), Qt::GroupSwitchModifier);
    texts.push_back(field->text().toStdString());
    return texts;
  };
  const std::vector<std::string> expected = {"1", "12", "12", "12", "", "12", "12", "", "12", "12",
                                             "2", "2", "2", "2", "2", "2", "2", "@#2"};
  std::vector<std::string> dialogs;
  ScopedModalRunner runner([&](QDialog& dialog) {
    auto* field = dialog.findChild<QLineEdit*>("editVolume");
    dialogs.push_back(dialog.windowTitle().toStdString() + (field != nullptr ? "" : " without its field"));
    if (field != nullptr) {
      dialog.setWindowModality(Qt::ApplicationModal);  // as a modal run makes it
      dialog.show();
      QApplication::setActiveWindow(&dialog);
      field->setFocus();
      EXPECT_EQ(edit(field), expected) << "Change Volume";
    }
    return int(QDialog::Rejected);
  });
  unit->SetSelRange(100, 300);
  form->PushUndo(*unit);
  form->SetClipBoardSound(std::make_unique<MonoSound>(22050, 2));
  const auto state = [&] {
    return std::tuple(unit->GetSound(), unit->GetSelBegin(), unit->GetSelEnd(), form->ClipBoardSound.get(),
                      form->UndoUnit.GetUnitWave());
  };
  const auto before = state();

  QLineEdit* box = form->EditName();
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(edit(box), expected) << "name box";
  QTest::keyClick(box, Qt::Key_Escape);

  Trigger("SelectWave");
  auto* selZoom = static_cast<TDlgSelZoom*>(form->DlgSelZoom.Widget());
  QApplication::setActiveWindow(selZoom);
  selZoom->editPartEnd->setFocus();
  EXPECT_EQ(edit(selZoom->editPartEnd), expected) << "Select and Zoom";
  selZoom->close();

  Activate(wave);
  Trigger("Volume");
  EXPECT_EQ(dialogs, std::vector<std::string>{"Change Volume"});
  EXPECT_TRUE(state() == before);
}

// A field does nothing with Alt+Del, Shift+Alt+Del and Alt+Ins: from the name box and from a
// modeless dialog's field they reach Delete Undo, Clear Clipboard and Mode Add, and the field's
// text stays as it was.
TEST_F(MainKeys, AltKeysFromAFieldReachTheirCommands) {
  InstallMusicDialog(*form);
  TMDIChildWave* wave = OpenWave();
  TMDIChildMuz* music = ComposeNew();
  ASSERT_NE(music, nullptr);
  TUnitWave* unit = wave->GetUnitWave();
  TUnitMuz* score = music->GetUnitMuz();
  const auto nameBox = [this] {
    QTest::mouseClick(form->EditName(), Qt::LeftButton);
    return form->EditName();
  };
  const auto dialogField = [this](const char* command, ModelessToggle& dialog, auto field) {
    return [this, command, &dialog, field]() -> QLineEdit* {
      if (!dialog.Visible()) Trigger(command);
      QApplication::setActiveWindow(dialog.Widget());
      QLineEdit* edit = field(dialog.Widget());
      edit->setFocus();
      return edit;
    };
  };
  const auto selZoomEnd = [](QWidget* d) { return static_cast<TDlgSelZoom*>(d)->editPartEnd; };
  const auto musicTempo = [](QWidget* d) { return static_cast<TDlgMusic*>(d)->editTempo; };
  const struct { const char* where; QMdiSubWindow* window; std::function<QLineEdit*()> focus; } fields[] = {
      {"name box, wave", wave, nameBox},
      {"Select and Zoom", wave, dialogField("SelectWave", form->DlgSelZoom, selZoomEnd)},
      {"name box, music", music, nameBox},
      {"Music", music, dialogField("MusicDialog", form->DlgMusic, musicTempo)}};
  for (const auto& f : fields) {
    SCOPED_TRACE(f.where);
    Activate(f.window);
    unit->SetSelRange(0, 10);
    form->PushUndo(*unit);
    form->SetClipBoardSound(std::make_unique<MonoSound>(22050, 2));
    score->SetUnitMuzMode(unitMuzSel);
    form->ActionList1Update();
    QLineEdit* field = f.focus();
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(field->hasFocus());
    const QString text = field->text();
    // After each key: the undo record, the clipboard, the music mode.
    std::string after;
    for (const QKeyCombination key : {Qt::ALT | Qt::Key_Delete, Qt::SHIFT | Qt::ALT | Qt::Key_Delete,
                                      Qt::ALT | Qt::Key_Insert}) {
      QTest::keyClick(field, key.key(), key.keyboardModifiers());
      after += std::string(form->UndoUnit.GetUnitWave() != nullptr ? "U" : "-") +
               (form->ClipBoardSound != nullptr ? "C" : "-") +
               (score->IsModeAdd() ? "a" : score->IsModeDelete() ? "d" : "e") + " ";
    }
    EXPECT_EQ(after, f.window == wave ? "-Ce --e --e " : "UCd UCd UCa ");
    EXPECT_EQ(field->text(), text);
  }
}

// Shift+Tab leaves the name box as Tab does: the keys go to the active document's window, no
// other document becomes active, and P plays at once.
TEST_F(MainKeys, ShiftTabLeavesTheNameBoxForTheActiveDocument) {
  TMDIChildWave* first = OpenWave();
  TMDIChildWave* second = OpenWave();
  QObject::disconnect(form->Action("FilePlay"), &QAction::triggered, nullptr, nullptr);
  QSignalSpy played(form->Action("FilePlay"), &QAction::triggered);
  for (TMDIChildWave* window : {first, second}) {
    SCOPED_TRACE(window == first ? "first" : "second");
    Activate(window);
    QLineEdit* box = form->EditName();
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !box->hasFocus() && !form->EditNameActive; }, 20000));
    RunQueued();
    EXPECT_EQ(form->GetActiveMDIChild(), window);
    played.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P);
    EXPECT_EQ(played.count(), 1);
    EXPECT_EQ(box->text().toStdString(), "");
  }
}

}  // namespace
