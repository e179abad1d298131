// The document windows and the registry over them: numbering, the name box, the searches, the
// activation and the close protocol.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <filesystem>

#include "app/ChildWin.h"
#include "app/Main.h"
#include "app/MainRegistry.h"
#include "app/fakes/test_document.h"
#include "gui/cursors.h"
#include "gui/statusbar.h"
#include "support/recording_sink.h"
#include "wave/shell.h"
#include "wave/unitwave.h"
#include "wave/unitwaveref.h"

namespace {

std::string ScratchDir() {
  return testing::TempDir() + "korvalen-registry-test-" + std::to_string(getpid());
}

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    SetTempDir(ScratchDir());
    form = StartUp();
    QApplication::setActiveWindow(form.get());
    form->EditName()->setEnabled(true);  // as the action update leaves it with a document
  }
  void TearDown() override {
    form.reset();
    std::filesystem::remove_all(ScratchDir());
  }

  // A document window opened under the next "NONAME" caption; the document is saved unless asked
  // otherwise, so that closing it asks nothing.
  TestChild* Open(uint8_t kind, const std::string& name, bool* deleted = nullptr) {
    auto document = std::make_unique<TestDocument>(kind, 1, deleted);
    document->SetSaved();
    return Open(std::move(document), name);
  }
  TestChild* Open(std::unique_ptr<TUnit> document, const std::string& name) {
    document->SetName(name);
    return static_cast<TestChild*>(
        form->AddMDIChild(std::make_unique<TestChild>(std::move(document)), form->NextNoName()));
  }
  // A saved wave document with an empty sound.
  TestChild* OpenWave(const std::string& name, bool stereo = false) {
    SoundPtr sound;
    if (stereo) {
      sound = std::make_unique<StereoSound>(22050, 2);
    } else {
      sound = std::make_unique<MonoSound>(22050, 2);
    }
    return Open(std::make_unique<TUnitWave>("wave.wav", std::move(sound)), name);
  }

  void TypeName(const std::string& text) {
    QTest::mouseClick(form->EditName(), Qt::LeftButton);
    form->EditName()->setText(QString::fromStdString(text));
    QTest::keyClick(form->EditName(), Qt::Key_Return);
  }

  RecordingSink sink;
  std::unique_ptr<TMainForm> form;
};

std::string Caption(const TestChild* child) { return child->windowTitle().toStdString(); }

}  // namespace

TEST_F(RegistryTest, NewDocumentsAreNumberedInOrderAndTheCounterNeverGoesBack) {
  TestChild* first = Open(kUnitKindWave, "");
  TestChild* second = Open(kUnitKindMuz, "");
  EXPECT_EQ(Caption(first), "NONAME1");
  EXPECT_EQ(Caption(second), "NONAME2");
  second->close();
  EXPECT_EQ(Caption(Open(kUnitKindWave, "")), "NONAME3");
}

TEST_F(RegistryTest, TheNameBoxRenamesTheActiveDocumentUnlessAnotherOneHasTheName) {
  Open(kUnitKindMuz, "Bass");
  TestChild* drum = Open(kUnitKindWave, "");
  TypeName(" \t Drum  ");
  EXPECT_EQ(drum->GetUnit()->GetName(), "Drum");
  EXPECT_FALSE(form->EditNameActive);

  TypeName("Bass");  // the other document is music: names are unique across both kinds
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "A wave with name \"Bass\" already exists.");
  EXPECT_EQ(sink.messages[0].caption, "Error");
  EXPECT_EQ(sink.messages[0].flags, 64);
  EXPECT_EQ(drum->GetUnit()->GetName(), "Drum");
  EXPECT_EQ(form->EditName()->text().toStdString(), "Bass");

  TypeName("Drum");  // its own name
  TypeName("bass");  // names differ by case
  EXPECT_EQ(drum->GetUnit()->GetName(), "bass");
  TypeName("   ");
  EXPECT_EQ(drum->GetUnit()->GetName(), "");
  EXPECT_TRUE(form->CheckNameFree("", form->FindUnitByName("Bass")));
  EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(RegistryTest, SearchesRunFromTheLastWindowToTheFirstAndTellTheKinds) {
  TestChild* older = Open(kUnitKindWave, "same");
  TestChild* music = Open(kUnitKindMuz, "score");
  TestChild* newer = Open(kUnitKindWave, "same");
  EXPECT_EQ(form->FindUnitByName("same"), newer->GetUnit());
  EXPECT_EQ(form->FindUnitByName("Same"), nullptr);
  EXPECT_EQ(form->FindUnitByName("score"), music->GetUnit());
  newer->close();
  EXPECT_EQ(form->FindUnitByName("same"), older->GetUnit());

  form->MdiArea()->setActiveSubWindow(music);
  EXPECT_EQ(music->GetKind(), kUnitKindMuz);
  EXPECT_EQ(form->ActiveMuzChild(), music);
  EXPECT_EQ(form->ActiveWaveChild(), nullptr);
  EXPECT_EQ(MainActiveUnit(), music->GetUnit());
  form->MdiArea()->setActiveSubWindow(older);
  EXPECT_EQ(older->GetKind(), kUnitKindWave);
  EXPECT_EQ(MainActiveWaveChild(), older);
  EXPECT_EQ(MainActiveMuzChild(), nullptr);
}

TEST_F(RegistryTest, TheCloseQueryAsksAboutUnsavedChangesAndFollowsTheAnswer) {
  struct Case {
    int answer;
    bool saveWorks;
    bool closes;
    int saves;
  };
  const Case cases[] = {
      {kIdYes, true, true, 1},
      {kIdYes, false, false, 1},  // a failed or cancelled save keeps the window
      {kIdNo, true, true, 0},
      {kIdCancel, true, false, 0},
  };
  for (const Case& c : cases) {
    bool deleted = false;
    TestChild* child = Open(kUnitKindWave, "", &deleted);
    child->GetUnit()->SetModified();
    child->saveResult = c.saveWorks;
    sink.messages.clear();
    sink.replies = {c.answer};
    child->close();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Do you want to save?");
    EXPECT_EQ(sink.messages[0].caption, "You have unsaved changes");
    EXPECT_EQ(sink.messages[0].flags, 3);
    EXPECT_EQ(deleted, c.closes) << c.answer;
    EXPECT_EQ(form->MDIChildren().size(), c.closes ? 0u : 1u) << c.answer;
    if (!c.closes) {
      EXPECT_EQ(child->saves, c.saves);
      EXPECT_TRUE(child->GetUnit()->NeedsSave());
      sink.replies = {kIdNo};
      child->close();
    }
  }
  sink.messages.clear();
  Open(kUnitKindWave, "")->close();  // unchanged: nothing to ask
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_TRUE(form->MDIChildren().empty());
}

TEST_F(RegistryTest, ClosingAWindowDeletesItsDocumentAndOnlyTheLastOneReportsThatNoneIsLeft) {
  bool firstDeleted = false;
  bool secondDeleted = false;
  TestChild* first = Open(kUnitKindWave, "one", &firstDeleted);
  TestChild* second = Open(kUnitKindMuz, "two", &secondDeleted);
  second->close();
  EXPECT_TRUE(secondDeleted);
  EXPECT_FALSE(firstDeleted);
  EXPECT_EQ(form->FindUnitByName("two"), nullptr);
  EXPECT_EQ(first->lastClosedNotices, 0);
  first->close();
  EXPECT_TRUE(firstDeleted);
  EXPECT_EQ(first->lastClosedNotices, 1);
  EXPECT_EQ(form->ActiveUnit(), nullptr);
}

TEST_F(RegistryTest, ActivationAndClicksShowTheDocumentsNameAndEndANameEdit) {
  TestChild* first = Open(kUnitKindWave, "first");
  TestChild* second = Open(kUnitKindWave, "second");
  EXPECT_EQ(form->EditName()->text().toStdString(), "second");
  EXPECT_EQ(second->activations, 1);

  form->DialogActive = true;
  form->MdiArea()->setActiveSubWindow(first);
  EXPECT_EQ(form->EditName()->text().toStdString(), "first");
  EXPECT_FALSE(form->DialogActive);
  EXPECT_EQ(first->activations, 2);

  QTest::mouseClick(form->EditName(), Qt::LeftButton);
  form->EditName()->setText("half typed");
  QTest::mouseClick(first->widget(), Qt::LeftButton);  // already active: activates again
  EXPECT_EQ(first->activations, 3);
  EXPECT_FALSE(form->EditNameActive);
  EXPECT_EQ(form->EditName()->text().toStdString(), "first");
  EXPECT_EQ(ScreenCursor(), crDefault);
}

TEST_F(RegistryTest, TheNameEditGivesBackOnlyTheCursorItSaved) {
  Open(kUnitKindWave, "");
  QTest::mouseClick(form->EditName(), Qt::LeftButton);
  EXPECT_EQ(ScreenCursor(), crIBeam);
  QTest::mouseClick(form->EditName(), Qt::LeftButton);
  QTest::keyClick(form->EditName(), Qt::Key_Return);
  EXPECT_EQ(ScreenCursor(), crDefault);
  EXPECT_EQ(form->SavedCursor, crDefault);

  // A window that appears during a long command ends no edit and leaves the hourglass standing.
  form->SetHourGlass();
  Open(kUnitKindWave, "");
  EXPECT_EQ(ScreenCursor(), crHourGlass);
  form->ClearHourGlass();
  EXPECT_EQ(ScreenCursor(), crDefault);
}

namespace {

std::vector<std::string> Names(const std::vector<TWaveNameEntry>& list) {
  std::vector<std::string> names;
  for (const TWaveNameEntry& entry : list) {
    EXPECT_EQ(MainFindUnitWaveByName(entry.name), entry.unit);
    names.push_back(entry.name);
  }
  return names;
}

std::vector<std::string> Filled(uint8_t filter, int32_t expectedCount) {
  std::vector<TWaveNameEntry> list{{"kept", nullptr}};
  EXPECT_EQ(MainFillWaveNames(list, filter), expectedCount);
  EXPECT_EQ(list.front().name, "kept");  // the list is appended to
  list.erase(list.begin());
  return Names(list);
}

using NameList = std::vector<std::string>;

}  // namespace

TEST_F(RegistryTest, WaveLookupsAndNameListsTakeOnlyNamedWaveDocuments) {
  TestChild* mono = OpenWave("mono");
  OpenWave("stereo", true);
  OpenWave("");
  Open(kUnitKindMuz, "music");
  TestChild* active = OpenWave("active");

  EXPECT_EQ(form->FindUnitWaveByName("music"), nullptr);
  EXPECT_EQ(form->FindUnitWaveByName("mono"), mono->GetUnit());
  EXPECT_EQ(form->ActiveUnitWave(), active->GetUnit());
  // The engine's references find the registry's documents.
  EXPECT_EQ(unitUnitWave("mono").GetUnitWave(), mono->GetUnit());
  EXPECT_EQ(Shell()->MainFindUnitWaveByName("music"), nullptr);

  EXPECT_EQ(Filled(0, 3), (NameList{"active", "stereo", "mono"}));
  EXPECT_EQ(Filled(1, 2), (NameList{"stereo", "mono"}));
  EXPECT_EQ(Filled(2, 1), (NameList{"mono"}));
  EXPECT_EQ(Filled(3, 0), NameList{});

  form->MdiArea()->setActiveSubWindow(form->MDIChildren()[3]);  // the music window
  EXPECT_EQ(form->ActiveUnitWave(), nullptr);
  EXPECT_EQ(Filled(1, 3), (NameList{"active", "stereo", "mono"}));
  EXPECT_EQ(Filled(2, 2), (NameList{"active", "mono"}));
}

TEST_F(RegistryTest, ClosingAWaveWindowDropsOnlyItsOwnDocumentsUndoRecord) {
  TestChild* first = OpenWave("first");
  TestChild* second = OpenWave("second");
  form->UndoUnit.Push(static_cast<TUnitWave*>(first->GetUnit()));
  second->close();
  EXPECT_TRUE(form->UndoUnit.Exists());
  first->close();
  EXPECT_FALSE(form->UndoUnit.Exists());
}

TEST_F(RegistryTest, NewWaveDocumentsGetTheLastUsedRecordsAndTheEngineReachesTheMainWindow) {
  form->LastUsedProps.Volume.Mode = 1;
  form->LastUsedProps.FilterNotch.FreqKind = 1;
  auto& unit = static_cast<TUnitWave&>(*OpenWave("w")->GetUnit());
  form->SetUnitProps(unit);
  EXPECT_EQ(unit.GetProps().Volume.Mode, 1);
  EXPECT_EQ(unit.GetProps().FilterNotch.FreqKind, 1);
  EXPECT_EQ(unit.GetProps().FilterRes.FreqKind, 0);

  Shell()->SetStatusText(7, "Changed");
  EXPECT_EQ(form->StatusBar()->PanelText(7), "Changed");
  auto sound = std::make_unique<MonoSound>(11025, 1);
  const Sound* stored = sound.get();
  Shell()->SetClipBoardSound(std::move(sound));
  EXPECT_EQ(form->ClipBoardSound.get(), stored);
  EXPECT_EQ(Shell()->GetClipBoardSound(), stored);
}
