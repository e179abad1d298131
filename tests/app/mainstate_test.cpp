// What the main window offers for its state: commands, menus and tool bars after the idle update,
// the clipboard and undo as a user meets them, the draw commands, the modeless dialogs with their
// notices, and the access functions.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <functional>
#include <set>
#include <sstream>

#include "app/wavewindow/ChildWave.h"
#include "app/MainRegistry.h"
#include "app/fakes/main_window.h"
#include "app/fakes/test_document.h"
#include "foundation/assertion.h"
#include "gui/statusbar.h"
#include "support/recording_sink.h"
#include "support/event_loop.h"
#include "support/samples.h"
#include "wave/unitwave.h"

namespace {

// Commands by group: "make*" the generators, "effects*" the effects that need only an editable
// wave with samples, "plain*" what a saved mono wave with nothing selected offers, "empty*" what
// an empty one offers, "ruled*" all that the document's state decides. "-x" takes x away again.
const std::map<std::string, std::string> kGroups = {
    {"make*", "MakeSilence MakeLine MakeBlock MakeTriangle MakeSinus MakeNoise MakeMFreq"},
    {"effects*", "Volume MaxVolume Up Distort Block Reverse Length Rotate RollOut RollIn "
                 "TempoPitch FilterHigh FilterLow FilterRes FilterNotch FilterBlock PerEcho RndEcho"},
    {"plain*", "make* effects* DuplicateWave FileSaveAs FilePlay FilePause FileProperties "
               "EditDelete EditCut EditCopy EditExtract ViewVold Balance"},
    {"empty*", "make* DuplicateWave FilePause FileRecord FileProperties ViewVold"},
    {"ruled*", "make* effects* DuplicateWave FileSave FileSaveAs FilePlay FileStop FilePause "
               "FileRecord Undo DeleteUndo FileProperties EditDelete EditTrim EditCut EditCopy "
               "EditPaste EditSwap EditExtract EditMix EditClearClipboard ViewVold ZoomIn NoZoom "
               "DrawWaveLin DrawWave3G Balance MixLeftRight SplitH MergeH SplitV MergeV"}};

std::set<std::string> Names(const std::string& words) {
  std::set<std::string> names;
  std::istringstream in(words);
  for (std::string word; in >> word;) {
    const bool remove = word[0] == '-';
    const std::string name = remove ? word.substr(1) : word;
    const auto group = kGroups.find(name);
    for (const std::string& one : group == kGroups.end() ? std::set{name} : Names(group->second)) {
      remove ? (void)names.erase(one) : (void)names.insert(one);
    }
  }
  return names;
}

SoundPtr Hundreds(int32_t count, int16_t channels) {  // 0, 100, 200 ... on each channel
  const Samples16 samples = Ramp(count, 0, 100);
  return SoundOf(channels == 2, samples, samples);
}

Samples16 Samples(const TUnitWave& unit) { return Samples(unit.GetSound()->GetLeftWave()); }

// Stands in for any of the three modeless dialogs: records the notices and, as the real ones do,
// tells the main window through its access function when it closes.
class StandIn : public QDialog, public SelZoomNotices, public MusicNotices {
 public:
  StandIn(QWidget* owner, void (*closed)()) : QDialog(owner), closed_(closed) {}
  void ShowChild(TMDIChildWave* w) override { heard += w ? "show+ " : "show0 "; }
  void SelectionChanged(TMDIChildWave* w) override { heard += w ? "selection+ " : "selection0 "; }
  void ZoomChanged(TMDIChildWave* w) override { heard += w ? "zoom+ " : "zoom0 "; }
  void SetUnitMuz(TMDIChildMuz* w) override { heard += w ? "muz+ " : "muz0 "; }
  void RefreshStave(TNoteStave* s) override { heard += s ? "stave+ " : "stave0 "; }
  void closeEvent(QCloseEvent* event) override { closed_(), QDialog::closeEvent(event); }
  std::string heard;

 private:
  void (*closed_)();
};

class MainState : public MainWindowTest {
 protected:
  MainState() : MainWindowTest("state") {}
  // A saved wave of `count` samples; an empty one is new.
  TUnitWave& Open(int32_t count, int16_t channels = 1, const std::string& name = "") {
    auto unit = count == 0 ? std::make_unique<TUnitWave>("new", waveFileProps(channels, 22050, 2))
                           : std::make_unique<TUnitWave>("saved.wav", Hundreds(count, channels));
    unit->SetName(name);
    return *form->CreateMDIChildWave("w", std::move(unit), form->WaveViewDefaults,
                                     form->VoldViewDefaults)->GetUnitWave();
  }
  TMDIChildWave* Window(const TUnitWave& unit) {
    return static_cast<TMDIChildWave*>(form->ChildOfUnit(&unit));
  }
  void FillClipboard() { form->SetClipBoardSound(Hundreds(5, 1)); }
  RecordingSink sink;
  bool songGone = false;
};

}  // namespace

TEST_F(MainState, EveryRuleFollowsTheStateOfTheActiveWaveDocument) {
  const std::pair<const char*, std::function<void()>> states[] = {
      {"plain*", [this] { Open(100); }},
      {"plain* -Balance MixLeftRight SplitV FileSave EditTrim ZoomIn SplitH EditPaste EditSwap "
       "EditMix EditClearClipboard",
       [this] { Open(100, 2).SetSelRange(10, 20), form->ActiveUnit()->SetModified(), FillClipboard(); }},
      {"plain* EditTrim ZoomIn", [this] { Open(100).SetSelRange(1, 99); }},
      {"plain* EditTrim ZoomIn NoZoom SplitH",
       [this] { Open(100).SetSelRange(1, 98), Window(*form->ActiveUnitWave())->ZoomIn(); }},
      {"plain* -FilePlay -FilePause", [this] { TempDirOk = false, Open(100); }},
      {"plain* FileStop", [this] { Open(100), form->Action("FilePlay")->setChecked(true); }},
      {"plain* Undo DeleteUndo", [this] { form->PushUndo(Open(100)); }},
      {"empty* DrawWaveLin DrawWave3G", [this] { Open(0); }},
      {"empty* SplitV EditPaste EditMix EditClearClipboard", [this] { Open(0, 2), FillClipboard(); }},
      {"empty* DrawWaveLin DrawWave3G FileStop -FilePause",
       [this] { Open(0), form->Action("FileRecord")->setChecked(true); }},
      {"empty* DrawWaveLin DrawWave3G FileStop",
       [this] { Open(0), form->Action("FileRecord")->setChecked(true), RecordPending = true; }},
      {"empty* DrawWaveLin DrawWave3G Undo DeleteUndo MergeH MergeV",
       [this] { form->PushUndo(Open(100)), Open(0); }},
      // A recording meant for the wave, even one waiting for Pause, keeps every edit and its
      // Undo off it: the recording would replace them.
      {"empty* FileStop DeleteUndo EditClearClipboard -make*",
       [this] {
         form->PushUndo(Open(0)), FillClipboard();
         RecordUnitWave = form->ActiveUnitWave(), RecordPending = true;
         form->Action("FileRecord")->setChecked(true);
       }},
      // Drawing leaves only what keeps the wave alone (Record too); the drawing window's record
      // is held back.
      {"empty* DrawWaveLin DrawWave3G EditClearClipboard -make* -FileProperties -ViewVold "
       "-FileRecord",
       [this] { form->PushUndo(Open(0)), FillClipboard(), Command("DrawWave3G"); }},
  };
  for (const auto& [enabled, arrange] : states) {
    SCOPED_TRACE(enabled);
    TearDown();
    SetUp();
    RecordPending = false;
    RecordUnitWave = nullptr;
    arrange();
    form->ActionList1Update();
    std::set<std::string> seen;
    for (const std::string& name : Names("ruled*")) {
      if (form->Action(name)->isEnabled()) seen.insert(name);
    }
    EXPECT_EQ(seen, Names(enabled));
  }
}

TEST_F(MainState, LayoutAndStatusFollowTheActiveDocumentOnceIdleAndPicturesShowIt) {
  const auto shown = [this](const char* picture) {
    form->grab().save(QString::fromStdString(std::string(KORVALEN_BUILD_DIR) + "/" + picture));
    std::string menus;
    for (const char* menu : {"File", "Edit", "View", "Make", "Effects", "Music", "Window"}) {
      if (form->MainMenu(menu)->menuAction()->isVisible()) menus += std::string(menu) + " ";
    }
    return menus + (form->ToolBar("ToolBarWave3")->isVisible() ? "bars" : "");
  };
  TUnitWave& unit = Open(2000, 2);
  unit.SetSelRange(500, 900);
  Window(unit)->showMaximized();
  RunQueued();  // the new window's paints and the idle update after them
  EXPECT_EQ(shown("main-window-wave.png"), "File Edit View Make Effects Window bars");
  EXPECT_EQ(std::pair(form->EditName()->isEnabled(), form->StatusBar()->PanelText(5)), std::pair(true, std::string("ST")));
  RunQueued();  // the picture's paints and the update after them
  Window(unit)->SetViewMode(1);
  FillClipboard();  // no event tells of either: only a polling update would see them
  // Time for such an update to show itself; a longer wait only makes the check stricter.
  QTest::qWait(30);
  EXPECT_FALSE(form->Action("EditPaste")->isEnabled() || form->Action("ViewVold")->isChecked());
  QTest::keyClick(form.get(), Qt::Key_Shift);
  EXPECT_TRUE(QTest::qWaitFor(
      [this] {
        return form->Action("EditPaste")->isEnabled() && form->Action("ViewVold")->isChecked();
      },
      20000));
  Window(unit)->close();
  RunQueued();
  EXPECT_EQ(shown("main-window-empty.png"), "File ");
  EXPECT_EQ(std::pair(form->Action("Volume")->isEnabled(), form->StatusBar()->PanelText(5)), std::pair(false, std::string()));
}

TEST_F(MainState, ClipboardOutlivesItsSourceAndUndoTwiceRedoesUntilTheRecordEnds) {
  TUnitWave& source = Open(100);
  source.SetSelRange(10, 13);
  ASSERT_TRUE(source.EditCopy());
  Window(source)->close();
  TUnitWave& unit = Open(0);
  ASSERT_TRUE(Command("EditPaste") && unit.EditPaste());
  EXPECT_EQ(Samples(unit), (std::vector<int16_t>{1000, 1100, 1200}));
  Command("EditClearClipboard");
  EXPECT_FALSE(Command("EditPaste"));

  const std::vector<int16_t> loud = Samples(unit);
  form->PushUndo(unit);
  ASSERT_TRUE(unit.Volume(TVolumeProps{}));  // half as loud
  const std::vector<int16_t> soft = Samples(unit);
  for (const std::vector<int16_t>* expected : {&loud, &soft, &loud}) {
    EXPECT_TRUE(Command("Undo"));
    EXPECT_EQ(Samples(unit), *expected);
  }
  Command("DeleteUndo");
  EXPECT_FALSE(Command("Undo"));
  form->PushUndo(unit);
  ASSERT_TRUE(unit.Volume(TVolumeProps{}));
  Open(4);
  EXPECT_TRUE(Command("Undo"));  // from another window too
  EXPECT_EQ(Samples(unit), loud);
  sink.replies.push_back(kIdNo);  // "Do you want to save?"
  Window(unit)->close();
  EXPECT_FALSE(Command("Undo"));
}

TEST_F(MainState, DrawCommandsStartSwitchAndStopDrawingWithTheDrawingCursor) {
  TMDIChildWave* window = Window(Open(0));
  const auto state = [&] {
    return std::to_string(window->UserDrawing()) + std::to_string(window->GetDrawType()) +
           std::to_string(form->Action("DrawWaveLin")->isChecked()) +
           std::to_string(form->Action("DrawWave3G")->isChecked()) +
           (window->cursor().shape() == Qt::BitmapCursor ? " drawing cursor" : "");
  };
  // drawing, curve kind, Linear checked, Smooth checked
  const std::pair<const char*, const char*> steps[] = {{"DrawWaveLin", "1010 drawing cursor"},
                                                       {"DrawWave3G", "1101 drawing cursor"},
                                                       {"DrawWave3G", "0100"}};
  for (const auto& [action, expected] : steps) {
    Command(action);
    EXPECT_EQ(state(), expected) << action;
  }
}

TEST_F(MainState, ModelessDialogsAreBuiltOnceFollowedByTheirCheckMarksAndHearTheNotices) {
  form->DlgSelZoom.SetFactory([](QWidget* o) { return new StandIn(o, MainDlgSelZoomClosed); });
  form->DlgMusic.SetFactory([](QWidget* o) { return new StandIn(o, MainDlgMusicClosed); });
  form->DlgMusTree.SetFactory([](QWidget* o) { return new StandIn(o, MainDlgMusTreeClosed); });
  const std::tuple<const char*, ModelessToggle*, void (*)(), const char*> dialogs[] = {
      {"MusicDialog", &form->DlgMusic, MainDlgMusicClosed, "DlgMusic != NULL"},
      {"MusicParts", &form->DlgMusTree, MainDlgMusTreeClosed, "DlgMusTree != NULL"},
      {"SelectWave", &form->DlgSelZoom, MainDlgSelZoomClosed, "DlgSelZoom != NULL"}};
  for (const auto& [name, dialog, closed, trap] : dialogs) {
    SCOPED_TRACE(name);
    try {
      closed();  // from a dialog never built
      ADD_FAILURE() << "no trap";
    } catch (const AssertionFailure& failure) {
      EXPECT_EQ(failure.expression, trap);
    }
    std::set<QWidget*> built;
    for (const bool shows : {true, false, true}) {
      form->Action(name)->trigger();
      EXPECT_EQ(dialog->Visible() + form->Action(name)->isChecked(), 2 * shows);
      built.insert(dialog->Widget());
    }
    EXPECT_EQ(built.size(), 1u);
    dialog->Widget()->close();  // its own close box
    EXPECT_FALSE(form->Action(name)->isChecked());
  }
  form->Action("SelectWave")->trigger();
  form->Action("MusicDialog")->trigger();
  form->Action("MusicParts")->trigger();

  TMDIChildWave* window = Window(Open(0));
  StandIn* heard[] = {static_cast<StandIn*>(form->DlgSelZoom.Widget()),
                      static_cast<StandIn*>(form->DlgMusic.Widget()),
                      static_cast<StandIn*>(form->DlgMusTree.Widget())};
  for (StandIn* dialog : heard) dialog->heard.clear();  // the new window's own notices
  form->NotifyActiveWaveChild(window);
  form->NotifyZoomChanged(window);
  // Tags the stand-ins only record: the music side has no windows yet.
  form->NotifyActiveMuzChild(reinterpret_cast<TMDIChildMuz*>(window));
  window->GetUnitWave()->SetCursor(0);  // the document's own selection notice
  form->NotifyStaveChanged(reinterpret_cast<TNoteStave*>(window));
  form->MdiArea()->setActiveSubWindow(nullptr);
  form->NotifyZoomChanged(window);  // no longer the active wave window
  EXPECT_EQ(heard[0]->heard + heard[1]->heard + heard[2]->heard,
            "show+ zoom+ show0 selection+ muz0 muz+ stave+ muz0 muz+ ");
}

TEST_F(MainState, AccessFunctionsReadTheMainWindowFindOnlyWavesAndAnswerWithoutOne) {
  // The outer frame at 224, 402, 755 x 457: the frame's borders come on top of the client.
  form->move(224, 402);
  form->resize(form->size() + QSize(755, 457) - form->frameGeometry().size());
  QApplication::processEvents();
  const TMainRect rect = MainFormRect();
  EXPECT_EQ((std::vector<int32_t>{rect.Left, rect.Top, rect.Right, rect.Bottom}),
            (std::vector<int32_t>{224, 402, 979, 859}));

  TUnitWave& drum = Open(10, 1, "drum");
  TUnitWave& bell = Open(10, 1, "bell");
  auto song = std::make_unique<TestDocument>(kUnitKindMuz, &songGone);
  song->SetName("song");
  form->AddMDIChild(std::make_unique<TestChild>(std::move(song)), "song");
  EXPECT_EQ(std::pair(MainFindUnitWaveByName("drum"), MainFindUnitWaveByName("song")), std::pair(&drum, (TUnitWave*)nullptr));
  std::vector<TWaveNameEntry> names;  // a music window active: no active wave to leave out
  EXPECT_EQ(MainFillWaveNames(names, 1), 2);
  EXPECT_EQ(names.empty() ? nullptr : names[0].unit, &bell);

  form.reset();  // no main window: the shell answers as one with nothing open
  EXPECT_EQ(std::tuple(MainFindUnitWaveByName("drum"), MainFillWaveNames(names, 0), MainCheckNameFree("drum", nullptr)),
            std::tuple(nullptr, 0, true));
  MainDlgSelZoomClosed();  // no window, no dialog: no trap
}
