// The Music menu's commands and their update, the music layout, and the keys shared with waves.
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
#include <sstream>

#include "app/wavewindow/ChildWave.h"
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

using Doc = std::function<void(TUnitMuz&, TStaveSymbol*)>;
using Check = std::function<bool(const TUnitMuz&)>;

class MainMusic : public MainWindowTest {
 protected:
  MainMusic() : MainWindowTest("music") {}
  // Start keys and a quarter note on one stave, in add mode; auto play off (nothing to sound).
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
  // A mono wave of `count` samples, new and empty when 0.
  TUnitWave& OpenWave(int32_t count) {
    bool abort = false;
    auto unit = count == 0 ? std::make_unique<TUnitWave>("new", waveFileProps(1, 22050, 2))
                           : std::make_unique<TUnitWave>(
                                 "w.wav", std::make_unique<MonoSound>(
                                              std::make_unique<Wave>(abort, count), 22050, 2));
    TUnitWave& wave = *unit;
    form->CreateMDIChildWave("w", std::move(unit), form->WaveViewDefaults, form->VoldViewDefaults);
    form->ActionList1Update();  // its commands stay enabled behind a music window
    return wave;
  }
  void CloseAll() {
    for (TMDIChildKorvalen* child : form->MDIChildren()) child->GetUnit()->SetSaved();
    form->MdiArea()->closeAllSubWindows();
  }
  QAction* A(const std::string& name) { return form->Action(name); }
  TMuzNote* note = nullptr;
};

const Doc kNone = [](TUnitMuz&, TStaveSymbol*) {};
const Doc kDelete = [](TUnitMuz& m, TStaveSymbol*) { m.SetModeDelete(); };
const Doc kEdit = [](TUnitMuz& m, TStaveSymbol*) { m.SetModeEdit(); };
const Doc kEditNote = [](TUnitMuz& m, TStaveSymbol* n) {
  m.SetModeEdit();
  m.SetSelectedSymbol(n);
};

TEST_F(MainMusic, UpdateEnablesAndChecksWhatTheDocumentAnswers) {
  // Each listed action is enabled, "*" checked too, "-" disabled; the others listed unchecked.
  const std::pair<Doc, const char*> cases[] = {
      {[](TUnitMuz& m, auto) { m.SetNoteLength(8); }, "MusicNote8* MusicNote4 MusicSilence8"},
      {[](TUnitMuz& m, auto) { m.SetKeyKind(-6); }, "MusicKeyF* MusicKeyG MusicKeyC"},
      {[](TUnitMuz& m, auto) { m.ChangeNoteShift(3); }, "MusicNSMol* MusicNSDMol MusicNSCross"},
      {[](TUnitMuz& m, auto) { m.SetArticulation(2); }, "MusicStaccatissimo* MusicStaccato"},
      {kNone, "MusicModeAdd* MusicModeEdit MusicAutoPlay"},
      {kDelete, "MusicModeDelete* -MusicNote8 -MusicNSMol -MusicStaccato -MusicPointAdd"},
      {kEdit, "MusicModeEdit* -MusicDelete -MusicKeyG -NoteStickUp -MusicMoveUp"},
      {kEditNote, "MusicDelete MusicNote4* MusicNote8 MusicNSNormal* MusicMoveUp -MusicKeyG"},
  };
  for (const auto& [setup, expected] : cases) {
    SCOPED_TRACE(expected);
    TUnitMuz& music = OpenMusic();
    setup(music, note);
    form->ActionList1Update();
    std::istringstream words(expected);
    for (std::string word; words >> word;) {
      const bool off = word.front() == '-', on = word.back() == '*';
      const std::string name = word.substr(off, word.size() - off - on);
      EXPECT_EQ(A(name)->isEnabled(), !off) << name;
      EXPECT_EQ(A(name)->isChecked(), on) << name;
    }
    CloseAll();
  }
}

TEST_F(MainMusic, MenusToolBarsAndStatusFollowTheKindOfTheActiveDocument) {
  OpenWave(10);
  ASSERT_EQ(form->StatusBar()->PanelText(5), "MO");
  OpenMusic().SetSelectedSymbol(note);
  form->ActionList1Update();
  // Channels and size are the wave's: the music leaves them blank, not the last wave's.
  const StatusPanels& panels = *form->StatusBar();
  EXPECT_EQ(std::tuple(panels.PanelText(1), panels.PanelText(5), panels.PanelText(6)),
            std::tuple("Note", "", ""));
  for (const char* menu : {"Edit", "View", "Make", "Effects", "Music", "Window"}) {
    EXPECT_EQ(form->MainMenu(menu)->menuAction()->isVisible(),
              std::string("Edit Make Effects").find(menu) == std::string::npos)
        << menu;
  }
  for (const char* bar : {"ToolBarWave1", "ToolBarMusic1", "ToolBarMusic2", "ToolBarMusic3"}) {
    EXPECT_EQ(form->ToolBar(bar)->isVisible(), std::string(bar) != "ToolBarWave1") << bar;
  }
  // The wave's view entries leave the menu; their actions stay as they were, keys live.
  const QList<QAction*> view = form->MainMenu("View")->actions();
  EXPECT_TRUE(!view.contains(A("ZoomIn")) && view.contains(A("MusicDialog")) && A("SelectWave")->isEnabled());
  QApplication::processEvents();
  EXPECT_TRUE(form->grab().save(QString::fromStdString(std::string(KORVALEN_BUILD_DIR) + "/main-window-music.png")));
}

// A command given by its key ("Ctrl+D") or by its action ("@MusicNote16"), with a music document
// in the state `music` makes (null: only a wave of 100 samples is open), `later` changing it after
// the update; the command `spied` must or must not run, and the document be as `done` says.
TEST_F(MainMusic, CommandsAndSharedKeysServeTheActiveKindAndARefusedOneStopsThere) {
  struct Case {
    const char* what;
    Doc music, later;
    const char* spied;
    bool runs;
    Check done;
  };
  const auto is = [](auto get, int value) {
    return [get, value](const TUnitMuz& m) { return int(get(m)) == value; };
  };
  const auto length = [&](int n) { return is(std::mem_fn(&TUnitMuz::GetCurNoteLengthKind), n); };
  const auto shift = [&](int s) { return is(std::mem_fn(&TUnitMuz::GetCurrentNoteShift), s); };
  const Check deleting = [](auto& m) { return m.IsModeDelete(); };
  const Check autoPlay = [](auto& m) { return m.GetPlayAfterEdit(); };
  const Case cases[] = {
      {"@MusicNote16", kNone, kNone, "Balance", false, length(16)},
      {"@MusicNote16", kNone, kDelete, "Balance", false, length(4)},
      {"@MusicKeyF", kNone, kNone, "Balance", false, [](auto& m) { return m.IsKeyKind(-6); }},
      {"@MusicNSMol", kNone, kDelete, "Balance", false, shift(2)},
      {"B", kNone, kNone, "Balance", false, shift(3)},
      {"Shift+B", kNone, kNone, "Block", false, shift(4)},
      {"Shift+H", kNone, kNone, "Balance", false, shift(0)},
      {"B", kDelete, kNone, "Balance", false, shift(2)},
      {"L", kNone, kNone, "Length", false, length(2)},
      {"Shift+L", kNone, kNone, "Length", false, length(8)},
      {"Alt+Del", kNone, kNone, "DeleteUndo", false, deleting},
      {"Alt+P", kNone, kNone, "Balance", false, autoPlay},
      {"Ctrl+Del", kEdit, kNone, "EditDelete", false, nullptr},
      {"Ctrl+D", kNone, kNone, "MusicDialog", true, nullptr},
      {"Ctrl+D", nullptr, kNone, "MusicDialog", false, nullptr},
      {"D", nullptr, kNone, "DuplicateWave", true, nullptr},
      {"B", nullptr, kNone, "Balance", true, nullptr},
      {"Ctrl+Del", nullptr, kNone, "EditDelete", true, nullptr},
      {"Alt+N", nullptr, kNone, "MakeNoise", true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.what << " " << c.spied);
    OpenWave(100);
    TUnitMuz* music = c.music ? &OpenMusic() : nullptr;
    if (music) c.music(*music, note);
    QObject::disconnect(A(c.spied), &QAction::triggered, form.get(), nullptr);
    QSignalSpy ran(A(c.spied), &QAction::triggered);
    form->ActionList1Update();
    if (music) c.later(*music, note);
    if (c.what[0] == '@') {
      A(c.what + 1)->trigger();
    } else {
      QTest::keySequence(form.get(), QKeySequence(QString::fromLatin1(c.what)));
    }
    EXPECT_EQ(ran.count(), c.runs ? 1 : 0);
    if (c.done) {
      EXPECT_TRUE(c.done(*music));
    }
    CloseAll();
  }
}

TEST_F(MainMusic, PointKeysAndAltDMatchTheKeysPressed) {
  TUnitMuz& music = OpenMusic();
  QTest::keyClick(form.get(), Qt::Key_Period);
  ASSERT_EQ(music.GetPoints(), 1);
  QTest::keyClick(form.get(), Qt::Key_Greater, Qt::ShiftModifier);  // Shift with "." as Qt says it
  EXPECT_EQ(music.GetPoints(), 0);
  for (int32_t samples : {0, 100}) {  // Alt+D draws on an empty mono wave only
    CloseAll();
    TUnitWave& wave = OpenWave(samples);
    QTest::keyClick(form.get(), Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(static_cast<TMDIChildWave*>(form->ChildOfUnit(&wave))->UserDrawing(), samples == 0);
  }
}

}  // namespace
