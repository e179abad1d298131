// The Music menu's commands, their enabled and checked state after the idle update, the menus and
// tool bars of a music document, and the keys that serve the music or the wave document.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <cstdlib>
#include <functional>

#include "app/ChildWave.h"
#include "app/fakes/main_window.h"
#include "app/fakes/test_document.h"
#include "gui/statusbar.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "wave/sound.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

using MusicSetup = std::function<void(TUnitMuz&, TStaveSymbol*)>;

class MainMusic : public MainWindowTest {
 protected:
  MainMusic() : MainWindowTest("music") {}
  // One stave holding the start keys and a quarter note; add mode, auto play off (no sample waves
  // to sound here).
  TUnitMuz& OpenMusic() {
    auto unit = std::make_unique<TUnitMuz>("song.kvm");
    TNoteStave* stave = unit->AddDefaultStave(nullptr);
    auto* single = new TSinglePartMuz(unit.get());
    new TMuzBar(single, 4, 4, 0);
    single->AddStartKeys();
    note = new TMuzNote(unit.get(), stave->GetStartNoteGroup(), 4, 0, 0.0, 0, stave,
                        noteShiftNormal, sool, 0, noteArtNormal, single, drawStickAuto);
    single->InsertSymbol(note);
    unit->GetStartPartMuz()->SetPartMuz(single);
    unit->SetPlayAfterEdit(false);
    TUnitMuz& music = *unit;
    form->AddMDIChild(std::make_unique<TestChild>(std::move(unit)), "song");
    return music;
  }
  // A mono wave of `count` samples, empty when 0.
  TUnitWave& OpenWave(int32_t count) {
    bool abort = false;
    auto unit = count == 0 ? std::make_unique<TUnitWave>("new", waveFileProps(1, 22050, 2))
                           : std::make_unique<TUnitWave>(
                                 "w.wav", std::make_unique<MonoSound>(
                                              std::make_unique<Wave>(abort, count), 22050, 2));
    return *form->CreateMDIChildWave("w", std::move(unit), form->WaveViewDefaults,
                                     form->VoldViewDefaults)->GetUnitWave();
  }
  // Closes every document without the save question.
  void CloseAll() {
    for (TMDIChildKorvalen* child : form->MDIChildren()) child->GetUnit()->SetSaved();
    form->MdiArea()->closeAllSubWindows();
  }
  QAction* A(const char* name) { return form->Action(name); }
  void Press(int key, Qt::KeyboardModifiers modifiers) {
    form->ActionList1Update();
    QTest::keyClick(form.get(), static_cast<Qt::Key>(key), modifiers);
    QApplication::processEvents();
  }
  TMuzNote* note = nullptr;
};

const MusicSetup kEditNote = [](TUnitMuz& m, TStaveSymbol* n) {
  m.SetModeEdit();
  m.SetSelectedSymbol(n);
};

TEST_F(MainMusic, UpdateEnablesAndChecksWhatTheDocumentAnswers) {
  struct Case {
    const char* state;
    MusicSetup setup;
    const char* action;
    bool enabled;
    bool checked;
  };
  const Case cases[] = {
      {"length 8", [](TUnitMuz& m, auto) { m.SetNoteLength(8); }, "MusicNote8", true, true},
      {"length 8", [](TUnitMuz& m, auto) { m.SetNoteLength(8); }, "MusicNote4", true, false},
      {"length 8", [](TUnitMuz& m, auto) { m.SetNoteLength(8); }, "MusicSilence8", true, false},
      {"rest 2", [](TUnitMuz& m, auto) { m.SetSilenceLength(2); }, "MusicSilence2", true, true},
      {"key F", [](TUnitMuz& m, auto) { m.SetKeyKind(-6); }, "MusicKeyF", true, true},
      {"key F", [](TUnitMuz& m, auto) { m.SetKeyKind(-6); }, "MusicKeyG", true, false},
      {"mol", [](TUnitMuz& m, auto) { m.ChangeNoteShift(3); }, "MusicNSMol", true, true},
      {"mol", [](TUnitMuz& m, auto) { m.ChangeNoteShift(3); }, "MusicNSDMol", true, false},
      {"staccatissimo", [](TUnitMuz& m, auto) { m.SetArticulation(2); }, "MusicStaccatissimo",
       true, true},
      {"staccatissimo", [](TUnitMuz& m, auto) { m.SetArticulation(2); }, "MusicStaccato", true,
       false},
      {"add", [](TUnitMuz&, auto) {}, "MusicModeAdd", true, true},
      {"add", [](TUnitMuz&, auto) {}, "MusicModeEdit", true, false},
      {"auto play", [](TUnitMuz& m, auto) { m.SetPlayAfterEdit(true); }, "MusicAutoPlay", true,
       true},
      {"delete", [](TUnitMuz& m, auto) { m.SetModeDelete(); }, "MusicModeDelete", true, true},
      {"delete", [](TUnitMuz& m, auto) { m.SetModeDelete(); }, "MusicNote8", false, false},
      {"delete", [](TUnitMuz& m, auto) { m.SetModeDelete(); }, "MusicNSMol", false, false},
      {"edit, none", [](TUnitMuz& m, auto) { m.SetModeEdit(); }, "MusicDelete", false, false},
      {"edit, none", [](TUnitMuz& m, auto) { m.SetModeEdit(); }, "MusicKeyG", false, false},
      {"edit, note", kEditNote, "MusicDelete", true, false},
      {"edit, note", kEditNote, "MusicNote4", true, true},
      {"edit, note", kEditNote, "MusicNote8", true, false},
      {"edit, note", kEditNote, "MusicNSNormal", true, true},
      {"edit, note", kEditNote, "MusicMoveUp", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.state << " " << c.action);
    TUnitMuz& music = OpenMusic();
    c.setup(music, note);
    form->ActionList1Update();
    EXPECT_EQ(A(c.action)->isEnabled(), c.enabled);
    EXPECT_EQ(A(c.action)->isChecked(), c.checked);
    CloseAll();
  }
}

TEST_F(MainMusic, MenusToolBarsAndStatusFollowTheKindOfTheActiveDocument) {
  OpenWave(10);
  form->ActionList1Update();
  OpenMusic().SetSelectedSymbol(note);
  form->ActionList1Update();
  EXPECT_EQ(form->StatusBar()->PanelText(1), "Note");
  for (const char* menu : {"Edit", "View", "Make", "Effects", "Music", "Window"}) {
    SCOPED_TRACE(menu);
    EXPECT_EQ(form->MainMenu(menu)->menuAction()->isVisible(),
              std::string("Edit Make Effects").find(menu) == std::string::npos);
  }
  for (const char* bar : {"ToolBarWave1", "ToolBarMusic1", "ToolBarMusic2", "ToolBarMusic3"}) {
    EXPECT_EQ(form->ToolBar(bar)->isVisible(), std::string(bar) != "ToolBarWave1") << bar;
  }
  EXPECT_FALSE(A("ZoomIn")->isVisible());
  EXPECT_TRUE(A("MusicDialog")->isVisible());
  EXPECT_TRUE(A("DuplicateMuz")->isVisible() && A("DuplicateMuz")->isEnabled());
  EXPECT_FALSE(A("DuplicateWave")->isVisible() || A("DuplicateWave")->isEnabled());
  // A picture of the window for a person to look at, when asked for.
  if (const char* picture = std::getenv("KORVALEN_PICTURE")) {
    QApplication::processEvents();
    form->grab().save(picture);
  }
}

TEST_F(MainMusic, MusicCommandsDriveTheActiveDocumentAndNeverARefusedOne) {
  struct Case {
    const char* action;
    MusicSetup afterUpdate;  // a change the update has not seen yet
    std::function<bool(const TUnitMuz&)> done;
  };
  const MusicSetup none = [](TUnitMuz&, TStaveSymbol*) {};
  const Case cases[] = {
      {"MusicNote16", none, [](const TUnitMuz& m) { return m.GetCurNoteLengthKind() == 16; }},
      {"MusicSilence32", none, [](const TUnitMuz& m) { return m.IsSilenceLength(32); }},
      {"MusicKeyC", none, [](const TUnitMuz& m) { return m.IsKeyKind(0); }},
      {"MusicNSDCross", none, [](const TUnitMuz& m) { return m.GetCurrentNoteShift() == 0; }},
      {"MusicLegato", none, [](const TUnitMuz& m) { return m.GetCurrentArticulation() == 4; }},
      {"MusicModeDelete", none, [](const TUnitMuz& m) { return m.IsModeDelete(); }},
      {"MusicAutoPlay", none, [](const TUnitMuz& m) { return m.GetPlayAfterEdit(); }},
      {"MusicNote16", [](TUnitMuz& m, auto) { m.SetModeDelete(); },
       [](const TUnitMuz& m) { return m.GetCurNoteLengthKind() == 4; }},
      {"MusicNSMol", [](TUnitMuz& m, auto) { m.SetModeDelete(); },
       [](const TUnitMuz& m) { return m.GetCurrentNoteShift() == 2; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    TUnitMuz& music = OpenMusic();
    form->ActionList1Update();
    c.afterUpdate(music, note);
    A(c.action)->trigger();
    EXPECT_TRUE(c.done(music));
    CloseAll();
  }
}

TEST_F(MainMusic, SharedKeysServeTheActiveKindAndARefusedMusicKeyStopsThere) {
  struct Case {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    MusicSetup music;  // null: only a wave document is open
    const char* spied;  // the command that must (or must not) run
    bool runs;
    std::function<bool(const TUnitMuz&)> done;
  };
  const MusicSetup add = [](TUnitMuz&, TStaveSymbol*) {};
  const MusicSetup erase = [](TUnitMuz& m, TStaveSymbol*) { m.SetModeDelete(); };
  const auto shift = [](uint8_t s) {
    return [s](const TUnitMuz& m) { return m.GetCurrentNoteShift() == s; };
  };
  const Case cases[] = {
      {"B music", Qt::Key_B, {}, add, "Balance", false, shift(3)},
      {"Shift+B music", Qt::Key_B, Qt::ShiftModifier, add, "Block", false, shift(4)},
      {"H music", Qt::Key_H, {}, add, "Balance", false, shift(1)},
      {"Shift+H music", Qt::Key_H, Qt::ShiftModifier, add, "Balance", false, shift(0)},
      {"B refused", Qt::Key_B, {}, erase, "Balance", false, shift(2)},
      {"L music", Qt::Key_L, {}, add, "Length", false,
       [](const TUnitMuz& m) { return m.GetCurNoteLengthKind() == 2; }},
      {"Shift+L music", Qt::Key_L, Qt::ShiftModifier, add, "Length", false,
       [](const TUnitMuz& m) { return m.GetCurNoteLengthKind() == 8; }},
      {"Alt+Del music", Qt::Key_Delete, Qt::AltModifier, add, "DeleteUndo", false,
       [](const TUnitMuz& m) { return m.IsModeDelete(); }},
      {"Ctrl+Del refused", Qt::Key_Delete, Qt::ControlModifier,
       [](TUnitMuz& m, TStaveSymbol*) { m.SetModeEdit(); }, "EditDelete", false, nullptr},
      {"Alt+P music", Qt::Key_P, Qt::AltModifier, add, "Balance", false,
       [](const TUnitMuz& m) { return m.GetPlayAfterEdit(); }},
      {"Ctrl+D music", Qt::Key_D, Qt::ControlModifier, add, "MusicDialog", true, nullptr},
      {"Shift+Ctrl+D music", Qt::Key_D, Qt::ShiftModifier | Qt::ControlModifier, add,
       "MusicDialog", true, nullptr},
      {"Ctrl+D wave", Qt::Key_D, Qt::ControlModifier, nullptr, "MusicDialog", false, nullptr},
      {"D wave", Qt::Key_D, {}, nullptr, "DuplicateWave", true, nullptr},
      {"B wave", Qt::Key_B, {}, nullptr, "Balance", true, nullptr},
      {"Shift+B wave", Qt::Key_B, Qt::ShiftModifier, nullptr, "Block", true, nullptr},
      {"L wave", Qt::Key_L, {}, nullptr, "Length", true, nullptr},
      {"Ctrl+Del wave", Qt::Key_Delete, Qt::ControlModifier, nullptr, "EditDelete", true, nullptr},
      {"Alt+N wave", Qt::Key_N, Qt::AltModifier, nullptr, "MakeNoise", true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenWave(100);
    form->ActionList1Update();  // the wave commands stay enabled behind the music window
    TUnitMuz* music = c.music ? &OpenMusic() : nullptr;
    if (music) c.music(*music, note);
    QAction* spied = A(c.spied);
    QObject::disconnect(spied, &QAction::triggered, form.get(), nullptr);
    QSignalSpy ran(spied, &QAction::triggered);
    Press(c.key, c.modifiers);
    EXPECT_EQ(ran.count(), c.runs ? 1 : 0);
    if (c.done) {
      EXPECT_TRUE(c.done(*music));
    }
    CloseAll();
  }
}

TEST_F(MainMusic, ShiftWithThePointKeyDeletesADotAsTypedOnARealLayout) {
  TUnitMuz& music = OpenMusic();
  Press(Qt::Key_Period, {});
  ASSERT_EQ(music.GetPoints(), 1);
  Press(Qt::Key_Greater, Qt::ShiftModifier);
  EXPECT_EQ(music.GetPoints(), 0);
}

TEST_F(MainMusic, AltDDrawsOnlyOnAnEmptyMonoWave) {
  for (int32_t samples : {0, 100}) {
    SCOPED_TRACE(samples);
    TUnitWave& wave = OpenWave(samples);
    Press(Qt::Key_D, Qt::AltModifier);
    auto* window = static_cast<TMDIChildWave*>(form->ChildOfUnit(&wave));
    EXPECT_EQ(window->UserDrawing(), samples == 0);
    CloseAll();
  }
}

}  // namespace
