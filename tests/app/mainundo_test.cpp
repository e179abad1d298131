// The sound clipboard and the undo record as a user meets them, drawing mode switched by its two
// commands, and the access functions through which the rest of the program reaches the main
// window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <functional>
#include <vector>

#include "app/ChildWave.h"
#include "app/Main.h"
#include "app/MainRegistry.h"
#include "app/fakes/main_window.h"
#include "app/fakes/ramp_sound.h"
#include "app/fakes/test_document.h"
#include "support/recording_sink.h"
#include "wave/shell.h"
#include "wave/unitwave.h"

namespace {

std::vector<int16_t> Samples(const TUnitWave& unit) {
  const Wave* wave = unit.GetSound()->GetLeftWave();
  return std::vector<int16_t>(wave->wave, wave->wave + wave->values);
}

class MainUndo : public MainWindowTest {
 protected:
  MainUndo() : MainWindowTest("undo") {}
  TMDIChildWave* Open(int32_t count, const std::string& name = "") {
    auto unit = count == 0 ? std::make_unique<TUnitWave>("new", waveFileProps(1, 22050, 2))
                           : std::make_unique<TUnitWave>("saved.wav", RampSound(count, 1));
    unit->SetName(name);
    return form->CreateMDIChildWave("w", std::move(unit), form->WaveViewDefaults,
                                    form->VoldViewDefaults);
  }
  // A user's command: it comes once the idle update has set the action state.
  void Command(const char* action) {
    QApplication::processEvents();
    form->ActionList1Update();
    form->Action(action)->trigger();
  }
  RecordingSink sink;  // a closed document with changes is not saved
  bool songGone = false;
  bool Usable(const char* action) {
    QApplication::processEvents();
    form->ActionList1Update();
    return form->Action(action)->isEnabled();
  }
};

}  // namespace

TEST_F(MainUndo, ClipboardOutlivesTheDocumentItWasCopiedFrom) {
  TMDIChildWave* source = Open(100);
  source->GetUnitWave()->SetSelRange(10, 13);
  ASSERT_TRUE(source->GetUnitWave()->EditCopy());
  source->close();
  TMDIChildWave* target = Open(0);
  EXPECT_TRUE(Usable("EditPaste"));
  ASSERT_TRUE(target->GetUnitWave()->EditPaste());
  EXPECT_EQ(Samples(*target->GetUnitWave()), (std::vector<int16_t>{1000, 1100, 1200}));
  Command("EditClearClipboard");
  EXPECT_EQ(form->ClipBoardSound, nullptr);
  EXPECT_FALSE(Usable("EditPaste"));
}

TEST_F(MainUndo, UndoTwiceRedoesAndDeleteUndoOrClosingTheDocumentEndsIt) {
  TMDIChildWave* window = Open(4);
  TUnitWave& unit = *window->GetUnitWave();
  const std::vector<int16_t> loud = Samples(unit);
  form->PushUndo(unit);
  ASSERT_TRUE(unit.Volume(TVolumeProps{}));  // half as loud
  const std::vector<int16_t> soft = Samples(unit);
  ASSERT_NE(soft, loud);
  const std::vector<int16_t>* after[] = {&loud, &soft, &loud};
  for (const std::vector<int16_t>* expected : after) {
    Command("Undo");
    EXPECT_EQ(Samples(unit), *expected);
  }
  Command("DeleteUndo");
  EXPECT_FALSE(form->UndoUnit.Exists());
  EXPECT_FALSE(Usable("Undo"));
  Command("Undo");  // a stale key press changes nothing
  EXPECT_EQ(Samples(unit), loud);

  TMDIChildWave* other = Open(4);
  form->PushUndo(*window->GetUnitWave());
  EXPECT_TRUE(Usable("Undo"));
  sink.replies.push_back(kIdNo);
  window->close();
  EXPECT_FALSE(form->UndoUnit.Exists());
  EXPECT_FALSE(Usable("Undo"));
  EXPECT_FALSE(Usable("DeleteUndo"));
  EXPECT_EQ(form->GetActiveMDIChild(), other);
}

TEST_F(MainUndo, DrawCommandsStartSwitchAndStopDrawingWithTheDrawingCursor) {
  TMDIChildWave* window = Open(0);
  struct Step {
    const char* action;
    bool drawing;
    uint8_t drawType;
    bool linearChecked;
    bool smoothChecked;
  } steps[] = {{"DrawWaveLin", true, 0, true, false},
               {"DrawWave3G", true, 1, false, true},
               {"DrawWave3G", false, 1, false, false}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.action);
    Command(step.action);
    EXPECT_EQ(window->UserDrawing(), step.drawing);
    EXPECT_EQ(window->GetDrawType(), step.drawType);
    EXPECT_EQ(form->Action("DrawWaveLin")->isChecked(), step.linearChecked);
    EXPECT_EQ(form->Action("DrawWave3G")->isChecked(), step.smoothChecked);
    EXPECT_EQ(window->cursor().shape(), step.drawing ? Qt::BitmapCursor : Qt::ArrowCursor);
  }
  // Without a wave window the command has nothing to draw in.
  window->close();
  QApplication::processEvents();
  form->ToggleUserDrawing(0, form->Action("DrawWaveLin"));
  EXPECT_FALSE(form->Action("DrawWaveLin")->isChecked());
}

TEST_F(MainUndo, AccessFunctionsReadTheMainWindowAndFindOnlyWaves) {
  // The outer frame at 224, 402, 755 x 457: the frame's borders come on top of the client.
  form->move(224, 402);
  form->resize(form->size() + QSize(755, 457) - form->frameGeometry().size());
  QApplication::processEvents();
  ASSERT_EQ(form->frameGeometry().size(), QSize(755, 457));
  const TMainRect rect = MainFormRect();
  const int32_t frame[] = {rect.Left, rect.Top, rect.Right, rect.Bottom};
  EXPECT_EQ(std::vector<int32_t>(std::begin(frame), std::end(frame)),
            (std::vector<int32_t>{224, 402, 979, 859}));

  TUnitWave* drum = Open(10, "drum")->GetUnitWave();
  TUnitWave* bell = Open(10, "bell")->GetUnitWave();
  auto song = std::make_unique<TestDocument>(kUnitKindMuz, &songGone);
  song->SetName("song");
  form->AddMDIChild(std::make_unique<TestChild>(std::move(song)), "song");
  EXPECT_EQ(MainFindUnitWaveByName("drum"), drum);
  EXPECT_EQ(MainFindUnitWaveByName("song"), nullptr);
  EXPECT_NE(MainActiveUnit(), nullptr);
  EXPECT_EQ(MainActiveWaveChild(), nullptr);
  // With a music window active there is no active wave to leave out.
  std::vector<TWaveNameEntry> names;
  EXPECT_EQ(MainFillWaveNames(names, 1), 2);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].unit, bell);
  EXPECT_EQ(names[1].unit, drum);
  EXPECT_FALSE(MainImageListIcons().empty());
  MainSetDialogActive(true);
  EXPECT_TRUE(form->DialogActive);
}

TEST_F(MainUndo, WithoutAMainWindowTheAccessFunctionsFindNothingAndRefuseNoName) {
  form.reset();
  std::vector<TWaveNameEntry> names;
  EXPECT_EQ(MainFillWaveNames(names, 0), 0);
  EXPECT_EQ(MainActiveUnit(), nullptr);
  EXPECT_EQ(MainFindUnitWaveByName("drum"), nullptr);
  EXPECT_TRUE(MainCheckNameFree("drum", nullptr));
  const TMainRect rect = MainFormRect();
  EXPECT_EQ(rect.Right - rect.Left, 0);
  MainDlgSelZoomClosed();  // no window, no dialog: nothing to uncheck, no trap
}
