// The document windows and the registry over them: numbering, the name box, the searches, the
// activation and the close protocol.
#include <QLineEdit>
#include <QMenu>
#include <QMdiArea>
#include <QTest>

#include "app/MainRegistry.h"
#include "app/fakes/main_window.h"
#include "app/fakes/test_document.h"
#include "gui/statusbar.h"
#include "support/recording_sink.h"
#include "wave/shell.h"
#include "wave/unitwaveref.h"

namespace {

class Registry : public MainWindowTest {
 protected:
  Registry() : MainWindowTest("registry") {}
  void SetUp() override {
    MainWindowTest::SetUp();
    form->EditName()->setEnabled(true);  // as the action update leaves it with a document
  }

  // A saved document (closing asks nothing) in a window under the next "NONAME" caption.
  TestChild* Open(uint8_t kind, const std::string& name, int16_t channels = 1) {
    std::unique_ptr<TUnit> unit;
    if (kind == kUnitKindMuz) {
      unit = std::make_unique<TestDocument>(kind, &deleted[name]);
    } else if (channels == 1) {
      unit = std::make_unique<TUnitWave>("", std::make_unique<MonoSound>(22050, 2));
    } else {
      unit = std::make_unique<TUnitWave>("", std::make_unique<StereoSound>(22050, 2));
    }
    unit->SetName(name);
    unit->SetSaved();
    return static_cast<TestChild*>(
        form->AddMDIChild(std::make_unique<TestChild>(std::move(unit)), form->NextNoName()));
  }

  void TypeName(const char* text) {
    QTest::mouseClick(form->EditName(), Qt::LeftButton);
    form->EditName()->setText(text);
    QTest::keyClick(form->EditName(), Qt::Key_Return);
  }
  std::string NameBox() const { return form->EditName()->text().toStdString(); }

  RecordingSink sink;
  std::map<std::string, bool> deleted;
};

std::vector<std::string> Filled(uint8_t filter) {
  std::vector<TWaveNameEntry> list{{"kept", nullptr}};  // the list is appended to
  const int32_t count = MainFillWaveNames(list, filter);
  std::vector<std::string> names;
  for (const TWaveNameEntry& entry : list) {
    if (entry.unit) {
      EXPECT_EQ(MainFindUnitWaveByName(entry.name), entry.unit);
    }
    names.push_back(entry.name);
  }
  EXPECT_EQ(count + 1, static_cast<int32_t>(names.size()));
  return names;
}

using Names = std::vector<std::string>;

}  // namespace

TEST_F(Registry, TheNameBoxRenamesTheActiveDocumentUnlessAnotherOneHasTheName) {
  Open(kUnitKindMuz, "Bass");
  TestChild* drum = Open(kUnitKindWave, "");
  TypeName(" \t Drum  ");
  EXPECT_EQ(drum->GetUnit()->GetName(), "Drum");
  EXPECT_FALSE(form->EditNameActive);

  TypeName("Bass");  // the other document is music: names are unique across both kinds
  EXPECT_EQ(
      sink.messages,
      (std::vector<RecordedMessage>{{"A wave with name \"Bass\" already exists.", "Error", 64}}));
  EXPECT_EQ(std::pair(drum->GetUnit()->GetName(), NameBox()),
            std::pair(std::string("Drum"), std::string("Bass")));

  TypeName("Drum");  // its own name
  TypeName("bass");  // names differ by case
  EXPECT_EQ(drum->GetUnit()->GetName(), "bass");
  EXPECT_EQ(sink.messages.size(), 1u);
  TypeName("");  // an empty name is taken as typed
  EXPECT_EQ(drum->GetUnit()->GetName(), "");
}

TEST_F(Registry, SearchesRunFromTheLastWindowToTheFirstAndTellTheKinds) {
  TestChild* older = Open(kUnitKindWave, "same");
  TestChild* music = Open(kUnitKindMuz, "score");
  TestChild* newer = Open(kUnitKindWave, "same");
  EXPECT_EQ(std::tuple(form->FindUnitByName("same"), form->FindUnitByName("Same"),
                       form->FindUnitWaveByName("score")),
            std::tuple(newer->GetUnit(), nullptr, nullptr));
  newer->close();
  EXPECT_EQ(unitUnitWave("same").GetUnitWave(), older->GetUnit());  // as the engine looks it up

  form->MdiArea()->setActiveSubWindow(music);
  EXPECT_EQ(std::tuple(MainActiveMuzChild(), MainActiveWaveChild(), form->ActiveUnitWave(),
                       MainActiveUnit()),
            std::tuple(music, nullptr, nullptr, music->GetUnit()));
  form->MdiArea()->setActiveSubWindow(older);
  EXPECT_TRUE(MainActiveWaveChild() == older && form->ActiveUnitWave() == older->GetUnit());
}

TEST_F(Registry, NameListsTakeNamedWaveDocumentsLastWindowFirstByFilter) {
  Open(kUnitKindWave, "mono");
  Open(kUnitKindWave, "stereo", 2);
  Open(kUnitKindWave, "");
  TestChild* music = Open(kUnitKindMuz, "music");
  Open(kUnitKindWave, "active");
  EXPECT_EQ(Filled(0), (Names{"kept", "active", "stereo", "mono"}));
  EXPECT_EQ(Filled(1), (Names{"kept", "stereo", "mono"}));
  EXPECT_EQ(Filled(3), (Names{"kept"}));
  form->MdiArea()->setActiveSubWindow(music);  // no active wave document to leave out
  EXPECT_EQ(Filled(1), (Names{"kept", "active", "stereo", "mono"}));
  EXPECT_EQ(Filled(2), (Names{"kept", "active", "mono"}));
}

TEST_F(Registry, TheCloseQueryAsksAboutUnsavedChangesAndFollowsTheAnswer) {
  struct Case { int answer; bool saveWorks, closes; };
  const Case cases[] = {{kIdYes, true, true},
                        {kIdYes, false, false},  // a failed or cancelled save keeps the window
                        {kIdNo, true, true},
                        {kIdCancel, true, false}};
  for (const Case& c : cases) {
    TestChild* child = Open(kUnitKindMuz, "doc");
    child->GetUnit()->SetNew();
    child->saveWorks = c.saveWorks;
    deleted["doc"] = false;
    sink.messages.clear();
    sink.replies = {c.answer, kIdNo};
    child->close();
    EXPECT_EQ(
        sink.messages,
        (std::vector<RecordedMessage>{{"Do you want to save?", "You have unsaved changes", 3}}));
    EXPECT_EQ(deleted["doc"], c.closes) << c.answer;
    if (c.closes) continue;
    EXPECT_EQ(std::pair(child->saves, child->GetUnit()->NeedsSave()),
              std::pair(c.answer == kIdYes ? 1 : 0, true));
    child->close();  // No
  }
  EXPECT_TRUE(form->MDIChildren().empty());
  sink.messages.clear();
  Open(kUnitKindWave, "")->close();  // unchanged: nothing to ask
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(Registry, ExitAsksTheWindowsFrontFirstAndCancelInAnyStopsTheWholeClose) {
  Open(kUnitKindWave, "saved");
  for (const char* name : {"first", "front"}) Open(kUnitKindMuz, name)->GetUnit()->SetNew();
  sink.replies = {kIdCancel};
  form->Action("FileExit")->trigger();
  EXPECT_EQ(sink.messages.size(), 1u);  // the front window asked, and nothing after it
  EXPECT_EQ(std::tuple(form->MDIChildren().size(), deleted["front"], deleted["first"],
                       form->isVisible()),
            std::tuple(3u, false, false, true));

  sink.messages.clear();
  sink.replies = {kIdNo, kIdCancel};
  form->Action("FileExit")->trigger();
  EXPECT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(std::tuple(form->MDIChildren().size(), deleted["front"], deleted["first"],
                       form->isVisible()),
            std::tuple(2u, true, false, true));

  sink.replies = {kIdNo};
  form->Action("FileExit")->trigger();
  EXPECT_EQ(std::tuple(form->MDIChildren().size(), deleted["first"], form->isVisible()),
            std::tuple(0u, true, false));
}

TEST_F(Registry, ClosingDeletesTheDocumentWithItsUndoRecordAndNumbersNeverComeBack) {
  TestChild* first = Open(kUnitKindWave, "one");
  TestChild* second = Open(kUnitKindMuz, "two");
  form->UndoUnit.Push(form->FindUnitWaveByName("one"));
  second->close();  // not the last window: no notice (the frame frees it later)
  EXPECT_EQ(std::tuple(deleted["two"], form->FindUnitByName("two"), form->UndoUnit.Exists(),
                       second->lastClosedNotices),
            std::tuple(true, nullptr, true, 0));
  EXPECT_EQ(Open(kUnitKindWave, "")->windowTitle().toStdString(), "NONAME3");
  form->MDIChildren().back()->close();
  first->close();
  EXPECT_EQ(std::pair(form->UndoUnit.Exists(), first->lastClosedNotices), std::pair(false, 1));
  // With nothing open the wave menus went; the next wave document brings them back.
  for (int step = 0; step < 2; ++step) {
    QApplication::processEvents();
    form->ActionList1Update();
    EXPECT_EQ(form->MainMenu("Edit")->menuAction()->isVisible(), step == 1);
    if (step == 0) Open(kUnitKindWave, "again");
  }

  // While the application shuts down there is no main window left to tell.
  TestChild* orphan = Open(kUnitKindMuz, "orphan");
  TMainForm* const main = std::exchange(MainForm, nullptr);
  orphan->close();
  MainForm = main;
  EXPECT_EQ(std::pair(deleted["orphan"], orphan->lastClosedNotices), std::pair(true, 0));
}

TEST_F(Registry, ActivationShowsTheNameEndsANameEditAndGivesBackOnlyTheCursorItSaved) {
  TestChild* first = Open(kUnitKindWave, "first");
  Open(kUnitKindWave, "second");
  EXPECT_EQ(NameBox(), "second");
  form->DialogActive = true;
  form->MdiArea()->setActiveSubWindow(first);
  EXPECT_EQ(std::tuple(NameBox(), form->DialogActive, first->activations),
            std::tuple("first", false, 2));

  form->EditName()->setText("half typed");
  QTest::mouseClick(first->widget(), Qt::LeftButton);  // already active: activates again
  EXPECT_EQ(std::tuple(first->activations, form->EditNameActive, NameBox(), ScreenCursor()),
            std::tuple(3, false, "first", crDefault));

  // A window that appears during a long command leaves the hourglass standing.
  form->SetHourGlass();
  Open(kUnitKindWave, "");
  EXPECT_EQ(ScreenCursor(), crHourGlass);
  form->ClearHourGlass();
}

TEST_F(Registry, NewWaveDocumentsGetTheLastUsedRecordsAndTheEngineReachesTheMainWindow) {
  form->LastUsedProps.FilterNotch.FreqKind = 1;
  auto& unit = static_cast<TUnitWave&>(*Open(kUnitKindWave, "w")->GetUnit());
  form->SetUnitProps(unit);
  EXPECT_EQ(std::tuple(+unit.GetProps().FilterNotch.FreqKind, +unit.GetProps().FilterRes.FreqKind),
            std::tuple(1, 0));

  Shell()->SetStatusText(7, "Changed");
  EXPECT_EQ(form->StatusBar()->PanelText(7), "Changed");
  Shell()->SetClipBoardSound(std::make_unique<MonoSound>(11025, 1));
  EXPECT_TRUE(form->ClipBoardSound != nullptr &&
              Shell()->GetClipBoardSound() == form->ClipBoardSound.get());
}
