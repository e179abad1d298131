// The action state after each idle update: which commands a user can use for the state of the
// active wave document, the clipboard, the undo record, the player and the temporary directory,
// and which menus and tool bars show.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <functional>
#include <set>
#include <sstream>
#include <string>

#include "app/ChildWave.h"
#include "app/Main.h"
#include "app/fakes/main_window.h"
#include "app/fakes/ramp_sound.h"
#include "gui/statusbar.h"
#include "wave/unitwave.h"

namespace {

// The commands whose state depends on the document; "make*" and "effects*" stand for the seven
// generators and the eighteen effects that need only an editable wave with samples.
const char* const kRuled[] = {
    "DuplicateWave", "FileSave", "FileSaveAs", "FilePlay", "FileStop", "FilePause", "FileRecord",
    "Undo", "DeleteUndo", "FileProperties", "EditDelete", "EditTrim", "EditCut", "EditCopy",
    "EditPaste", "EditSwap", "EditExtract", "EditMix", "EditClearClipboard", "ViewVold", "ZoomIn",
    "NoZoom", "DrawWaveLin", "DrawWave3G", "Balance", "MixLeftRight", "SplitH", "MergeH",
    "SplitV", "MergeV"};
const char* const kMake[] = {"MakeSilence", "MakeLine", "MakeBlock", "MakeTriangle",
                             "MakeSinus", "MakeNoise", "MakeMFreq"};
const char* const kEffects[] = {"Volume", "MaxVolume", "Up", "Distort", "Block", "Reverse",
                                "Length", "Rotate", "RollOut", "RollIn", "TempoPitch",
                                "FilterHigh", "FilterLow", "FilterRes", "FilterNotch",
                                "FilterBlock", "PerEcho", "RndEcho"};

std::set<std::string> Expand(const std::string& words) {
  std::set<std::string> names;
  std::istringstream in(words);
  for (std::string word; in >> word;) {
    if (word == "make*") {
      names.insert(std::begin(kMake), std::end(kMake));
    } else if (word == "effects*") {
      names.insert(std::begin(kEffects), std::end(kEffects));
    } else {
      names.insert(word);
    }
  }
  return names;
}

class ActionState : public MainWindowTest {
 protected:
  ActionState() : MainWindowTest("state") {}
  void TearDown() override {
    TempDirOk = true;
    RecordPending = false;
    MainWindowTest::TearDown();
  }

  // A saved wave of `count` samples; an empty one is a new document.
  TMDIChildWave* Open(int32_t count, int16_t channels) {
    auto unit = count == 0 ? std::make_unique<TUnitWave>("new", waveFileProps(channels, 22050, 2))
                           : std::make_unique<TUnitWave>("saved.wav", RampSound(count, channels));
    return form->CreateMDIChildWave("w", std::move(unit), form->WaveViewDefaults,
                                    form->VoldViewDefaults);
  }
  // What the user sees once the program is idle again.
  void Idle() {
    QApplication::processEvents();
    form->ActionList1Update();
  }
  std::set<std::string> Enabled() {
    std::set<std::string> names;
    for (const std::string& name : Expand("make* effects*")) {
      if (form->Action(name)->isEnabled()) names.insert(name);
    }
    for (const char* name : kRuled) {
      if (form->Action(name)->isEnabled()) names.insert(name);
    }
    return names;
  }
  std::vector<std::string> ShownMenus() {
    std::vector<std::string> shown;
    for (const char* menu : {"File", "Edit", "View", "Make", "Effects", "Music", "Window", "Help"}) {
      if (form->MainMenu(menu)->menuAction()->isVisible()) shown.push_back(menu);
    }
    return shown;
  }
  std::vector<std::string> ShownToolBars() {
    std::vector<std::string> shown;
    for (const char* bar : {"ToolBarBasic", "ToolBarWave1", "ToolBarWave2", "ToolBarWave3",
                            "ToolBarMusic1", "ToolBarMusic2", "ToolBarMusic3"}) {
      if (form->ToolBar(bar)->isVisible()) shown.push_back(bar);
    }
    return shown;
  }
  void FillClipboard() { form->SetClipBoardSound(RampSound(5, 1)); }
};

}  // namespace

TEST_F(ActionState, EveryRuleFollowsTheStateOfTheActiveWaveDocument) {
  struct Case {
    const char* state;
    std::function<void()> arrange;
    const char* enabled;
  } cases[] = {
      {"empty new mono wave: nothing to save", [this] { Open(0, 1); },
       "DuplicateWave FilePause FileRecord FileProperties ViewVold make* DrawWaveLin "
       "DrawWave3G"},
      {"empty stereo wave with a clipboard",
       [this] {
         Open(0, 2);
         FillClipboard();
       },
       "DuplicateWave FilePause FileRecord FileProperties EditPaste EditMix "
       "EditClearClipboard ViewVold make* SplitV"},
      {"saved mono wave without selection", [this] { Open(100, 1); },
       "DuplicateWave FileSaveAs FilePlay FilePause FileProperties EditDelete EditCut EditCopy "
       "EditExtract ViewVold make* effects* Balance"},
      {"modified stereo wave with a selection inside and a clipboard",
       [this] {
         TUnitWave* unit = Open(100, 2)->GetUnitWave();
         unit->SetSelRange(10, 20);
         unit->SetModified();
         FillClipboard();
       },
       "DuplicateWave FileSave FileSaveAs FilePlay FilePause FileProperties EditDelete EditTrim "
       "EditCut EditCopy EditPaste EditSwap EditExtract EditMix EditClearClipboard ViewVold "
       "ZoomIn make* effects* MixLeftRight SplitH SplitV"},
      {"selection from the first sample", [this] {
         Open(100, 1)->GetUnitWave()->SetSelRange(0, 20);
       },
       "DuplicateWave FileSaveAs FilePlay FilePause FileProperties EditDelete EditTrim EditCut "
       "EditCopy EditExtract ViewVold ZoomIn make* effects* Balance"},
      {"selection up to the last sample", [this] {
         Open(100, 1)->GetUnitWave()->SetSelRange(1, 99);
       },
       "DuplicateWave FileSaveAs FilePlay FilePause FileProperties EditDelete EditTrim EditCut "
       "EditCopy EditExtract ViewVold ZoomIn make* effects* Balance"},
      {"zoomed in", [this] {
         TMDIChildWave* window = Open(100, 1);
         window->GetUnitWave()->SetSelRange(1, 98);
         window->ZoomIn();
       },
       "DuplicateWave FileSaveAs FilePlay FilePause FileProperties EditDelete EditTrim EditCut "
       "EditCopy EditExtract ViewVold ZoomIn NoZoom make* effects* Balance SplitH"},
      {"drawing with a clipboard: nothing that edits the wave", [this] {
         Open(0, 1);
         FillClipboard();
         Idle();
         form->Action("DrawWaveLin")->trigger();
       },
       "DuplicateWave FilePause FileRecord EditClearClipboard DrawWaveLin DrawWave3G"},
      {"no usable temporary directory", [this] {
         TempDirOk = false;
         Open(100, 2);
       },
       "DuplicateWave FileSaveAs FileProperties EditDelete EditCut EditCopy EditExtract ViewVold "
       "make* effects* MixLeftRight SplitV"},
      {"playing", [this] {
         Open(100, 1);
         form->Action("FilePlay")->setChecked(true);
       },
       "DuplicateWave FileSaveAs FilePlay FileStop FilePause FileProperties EditDelete EditCut "
       "EditCopy EditExtract ViewVold make* effects* Balance"},
      {"recording", [this] {
         Open(0, 1);
         form->Action("FileRecord")->setChecked(true);
       },
       "DuplicateWave FileStop FileRecord FileProperties ViewVold make* DrawWaveLin "
       "DrawWave3G"},
      {"recording pending", [this] {
         Open(0, 1);
         form->Action("FileRecord")->setChecked(true);
         RecordPending = true;
       },
       "DuplicateWave FileStop FilePause FileRecord FileProperties ViewVold make* "
       "DrawWaveLin DrawWave3G"},
      {"undo record of this document", [this] {
         form->PushUndo(*Open(100, 1)->GetUnitWave());
       },
       "DuplicateWave FileSaveAs FilePlay FilePause Undo DeleteUndo FileProperties EditDelete "
       "EditCut EditCopy EditExtract ViewVold make* effects* Balance"},
      {"undo record of another document", [this] {
         form->PushUndo(*Open(100, 1)->GetUnitWave());
         Open(0, 1);
       },
       "DuplicateWave FilePause FileRecord Undo DeleteUndo FileProperties ViewVold make* "
       "DrawWaveLin DrawWave3G MergeH MergeV"},
      {"undo record of a window that draws", [this] {
         form->PushUndo(*Open(0, 1)->GetUnitWave());
         Idle();
         form->Action("DrawWave3G")->trigger();
       },
       "DuplicateWave FilePause FileRecord DrawWaveLin DrawWave3G"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    TearDown();
    SetUp();
    c.arrange();
    Idle();
    EXPECT_EQ(Enabled(), Expand(c.enabled));
  }
}

TEST_F(ActionState, CheckMarksShowTheViewTheCurveKindAndTheSelectAndZoomDialog) {
  TMDIChildWave* window = Open(0, 1);
  const char* const marked[] = {"ViewWave", "ViewVold", "DrawWaveLin", "DrawWave3G",
                                "SelectWave"};
  struct Case {
    const char* state;
    std::function<void()> act;
    std::set<std::string> checked;
  } cases[] = {
      {"waveform", [] {}, {"ViewWave"}},
      {"volume diagram", [&] { window->SetViewMode(1); }, {"ViewVold"}},
      {"drawing linear", [&] {
         window->SetViewMode(0);
         Idle();
         form->Action("DrawWaveLin")->trigger();
       },
       {"ViewWave", "DrawWaveLin"}},
      {"drawing smooth", [&] { form->Action("DrawWave3G")->trigger(); },
       {"ViewWave", "DrawWave3G"}},
      {"dialog shown", [&] {
         form->DlgSelZoom.SetFactory([](QWidget* owner) {
           struct Shown : QWidget, SelZoomNotices {
             explicit Shown(QWidget* o) : QWidget(o, Qt::Window) {}
             void ShowChild(TMDIChildWave*) override {}
             void SelectionChanged(TMDIChildWave*) override {}
             void ZoomChanged(TMDIChildWave*) override {}
           };
           return new Shown(owner);
         });
         form->DlgSelZoom.Toggle(form.get());
         form->Action("SelectWave")->setChecked(false);  // the update, not the command, decides
       },
       {"ViewWave", "DrawWave3G", "SelectWave"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    c.act();
    Idle();
    std::set<std::string> checked;
    for (const char* name : marked) {
      if (form->Action(name)->isChecked()) checked.insert(name);
    }
    EXPECT_EQ(checked, c.checked);
  }
}

TEST_F(ActionState, MenusToolBarsAndNameBoxFollowTheKindOfTheActiveDocument) {
  const QColor grey(128, 128, 128);
  Idle();
  EXPECT_EQ(ShownMenus(), (std::vector<std::string>{"File", "Help"}));
  EXPECT_EQ(ShownToolBars(), std::vector<std::string>{"ToolBarBasic"});
  EXPECT_FALSE(form->EditName()->isEnabled());

  TMDIChildWave* window = Open(100, 2);
  window->GetUnitWave()->SetName("drum");
  window->ShowUnitName();
  Idle();
  EXPECT_EQ(ShownMenus(), (std::vector<std::string>{"File", "Edit", "View", "Make", "Effects",
                                                    "Window", "Help"}));
  EXPECT_EQ(ShownToolBars(), (std::vector<std::string>{"ToolBarBasic", "ToolBarWave1",
                                                       "ToolBarWave2", "ToolBarWave3"}));
  EXPECT_LT(form->ToolBar("ToolBarBasic")->y(), form->ToolBar("ToolBarWave1")->y());
  EXPECT_LT(form->ToolBar("ToolBarWave1")->y(), form->ToolBar("ToolBarWave2")->y());
  EXPECT_LT(form->ToolBar("ToolBarWave2")->y(), form->ToolBar("ToolBarWave3")->y());
  EXPECT_TRUE(form->EditName()->isEnabled());
  EXPECT_NE(form->EditName()->palette().color(QPalette::Base), grey);
  EXPECT_TRUE(form->Action("DuplicateWave")->isVisible());
  EXPECT_FALSE(form->Action("MusicDialog")->isVisible());
  EXPECT_EQ(form->StatusBar()->PanelText(5), "ST");

  window->close();
  Idle();
  EXPECT_EQ(ShownMenus(), (std::vector<std::string>{"File", "Help"}));
  EXPECT_EQ(ShownToolBars(), std::vector<std::string>{"ToolBarBasic"});
  EXPECT_TRUE(form->EditName()->text().isEmpty());
  EXPECT_FALSE(form->EditName()->isEnabled());
  EXPECT_EQ(form->EditName()->palette().color(QPalette::Base), grey);
  EXPECT_FALSE(form->Action("DuplicateWave")->isVisible());
  EXPECT_FALSE(form->Action("Volume")->isEnabled());
  EXPECT_EQ(form->StatusBar()->PanelText(5), "");
}

TEST_F(ActionState, UpdateRunsOnceTheLoopIsIdleAfterInputAndNotByPolling) {
  Open(100, 1);
  QTest::qWait(30);  // the new window's first paints
  ASSERT_FALSE(form->Action("EditPaste")->isEnabled());
  FillClipboard();  // no event tells of it, so a polling update would be the only one to see it
  QTest::qWait(30);
  EXPECT_FALSE(form->Action("EditPaste")->isEnabled());
  QTest::keyClick(form.get(), Qt::Key_Shift);
  EXPECT_FALSE(form->Action("EditPaste")->isEnabled());  // not before the loop is idle
  QApplication::processEvents();
  EXPECT_TRUE(form->Action("EditPaste")->isEnabled());
}
