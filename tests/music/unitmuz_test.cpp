#include "music/unitmuz.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/score_builder.h"
#include "tests/support/recording_sink.h"

namespace {

// What the file holds of a new document is pinned by its golden file; this is what it does not hold.
TEST(UnitMuz, NewDocumentSelectsItsFirstOfEverythingAndStartsInAddMode) {
  TUnitMuz unit("new.kvm");
  unit.InitNew();
  TNoteStave* stave = unit.GetStartStave();
  ASSERT_NE(stave, nullptr);
  TNoteGroup* group = stave->GetStartNoteGroup();
  ASSERT_NE(group, nullptr);
  TOnePlayer* player = group->GetCompoundPlayer()->GetStartOnePlayer();
  EXPECT_EQ((std::vector<const void*>{unit.GetCurStave(), stave->GetCurNoteGroup(), stave->GetSelectedNoteGroup(),
                                      group->GetCompoundPlayer()->GetCurOnePlayer()}),
            (std::vector<const void*>{stave, group, group, player}));
  EXPECT_EQ(stave->GetRoomDown().GetBound(), 30);
  auto* single = static_cast<TSinglePartMuz*>(unit.GetStartPartMuz()->GetPartMuz());
  ASSERT_EQ(single->GetPartMuzKind(), partMuzSingle);
  EXPECT_EQ(std::tuple(single->GetStartStaveSymbol()->AsKey()->GetKeyOrder(), unit.GetSelectedSymbol()),
            std::tuple(1, static_cast<TXTouchMuzSymbol*>(single->GetStartStaveSymbol())));
  EXPECT_EQ(std::tuple(unit.GetState(), unit.GetKind(), unit.GetUnitMuzMode(), unit.GetInsertKind()),
            std::tuple(kUnitStateNew, kUnitKindMuz, unitMuzAdd, insertModeNote));
}

TEST(UnitMuz, FormatSelectionAndRefresh) {
  TUnitMuz unit("format.kvm");
  unit.InitNew();
  unit.SetFormat(waveFileProps(1, 8000, 2), waveFileProps(2, 44100, 1));
  EXPECT_EQ(std::tuple(unit.GetChannels(), unit.GetSamplesPerSec(), unit.GetBytesPerSample()), std::tuple(2, 44100u, 1));

  auto* single = unit.GetStartPartMuz()->GetFirstSinglePart();
  TNoteStave* second = unit.AddDefaultStave(unit.GetStartStave());
  EXPECT_EQ(single->CountStartKeys(second), 1);
  EXPECT_EQ(unit.GetSelMuzSymbolKind(), muzSymbolStave);
  unit.SetSelectedSymbol(single->GetMuzBar());  // from a stave symbol: its stave is remembered
  EXPECT_EQ(std::tuple(unit.GetSelectedInStave(), unit.GetSelMuzSymbolKind()), std::tuple(unit.GetStartStave(), muzSymbolBar));
  unit.SetSelectedSymbol(single->GetKeyAt(0.0, second));  // from a bar: nothing remembered
  EXPECT_EQ(unit.GetSelectedInStave(), unit.GetStartStave());
  unit.SetSelectedSymbol(nullptr);
  EXPECT_EQ(std::tuple(unit.GetSelectedInStave(), unit.GetSelMuzSymbolKind()), std::tuple(second, kNoSelectedSymbol));

  RecordingMuzView view;
  unit.SetChildMuz(&view);
  unit.Refresh();
  EXPECT_EQ(view.calls, (std::vector<std::string>{"Redraw", "ShowStatus"}));
}

TEST(UnitMuz, RemovalsLeaveNoPointerIntoFreedScore) {
  enum Removal { kStave, kNoteGroup, kPart, kTurn };
  for (Removal removal : {kStave, kNoteGroup, kPart, kTurn}) {
    SCOPED_TRACE(removal);
    ScoreBuilder score;
    TNoteStave* kept = score.unit.AddDefaultStave(nullptr);
    auto* extraGroup = new TNoteGroup(score.stave, std::make_unique<TCompoundPlayer>(&score.unit), 0, 0, 0);
    score.stave->InsertNoteGroup(score.stave->GetStartNoteGroup(), extraGroup);
    score.group = extraGroup;
    score.stave->SetSelectedNoteGroup(extraGroup);
    TSinglePartMuz* single = score.Single();
    auto* select = new TSelectPartMuz(single, &score.unit);
    TMusTreeItem* turn = select->AddTurnItem(Turns(1), Semitones(0));
    score.Root(score.Concat(select, score.Single()));
    score.unit.SetCurStave(score.stave);
    score.unit.SetSelectedSymbol(score.Note(single, 0.0, 4));
    score.unit.SetSelectedSymbol(score.Note(single, 0.5, 4));
    score.unit.SetSelMusTreeItem(removal == kTurn ? turn : single);
    switch (removal) {
      case kStave:
        ASSERT_TRUE(score.unit.RemoveStave(score.stave));
        EXPECT_EQ(std::tuple(score.unit.GetSelectedInStave(), score.unit.GetCurStave(), score.unit.GetStartStave()),
                  std::tuple(nullptr, nullptr, kept));
        EXPECT_FALSE(score.unit.RemoveStave(kept));
        break;
      case kNoteGroup:
        ASSERT_TRUE(score.unit.RemoveNoteGroup(score.stave, extraGroup));
        EXPECT_FALSE(score.unit.RemoveNoteGroup(score.stave, score.stave->GetStartNoteGroup()));
        EXPECT_EQ(score.stave->GetSelectedNoteGroup(), score.stave->GetStartNoteGroup());
        break;
      case kPart:
        ScoreBuilder::Detach(select);
        score.unit.DeleteDetachedPart(select);
        EXPECT_EQ(score.unit.GetSelMusTreeItem(), nullptr);
        break;
      case kTurn:
        select->RemoveTurnItem(1);
        EXPECT_EQ(score.unit.GetSelMusTreeItem(), nullptr);
        break;
    }
    if (removal != kTurn) {
      EXPECT_EQ(score.unit.GetSelectedSymbol(), nullptr);
    }
    score.unit.SetSelectedSymbol(nullptr);  // reads the old selection: the sanitizer build sees a stale one
  }
}

TEST(UnitMuz, PartStackPopsInReverseAndFreesWhatItHolds) {
  TUnitMuz unit("stack.kvm");
  TPartMuzStackItem head;
  auto* a = new TSinglePartMuz(&unit);
  auto* b = new TSinglePartMuz(&unit);
  head.Append(new TPartMuzStackItem(a));
  head.Append(new TPartMuzStackItem(b));
  EXPECT_EQ(head.Count(), 2);
  for (TPartMuz* expected : {static_cast<TPartMuz*>(b), static_cast<TPartMuz*>(a)}) {
    TPartMuzStackItem* item = head.PopLast();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->TakeContents(), expected);
    delete item;
    delete expected;
  }
  EXPECT_EQ(head.PopLast(), nullptr);
  head.Append(new TPartMuzStackItem(new TLoopPartMuz(Turns(2), new TSinglePartMuz(&unit), &unit)));
  head.Clear();
  EXPECT_EQ(head.Count(), 0);
}

// The stave settings as written are pinned by the golden files of the file tests.
TEST(UnitMuz, NoteGroupsInsertAndSaveReportsAFailedWrite) {
  TNoteStave stave;  // a group inserted after none goes first
  auto* older = new TNoteGroup(&stave, nullptr, 0, 0, 0);
  stave.InsertNoteGroup(nullptr, older);
  stave.InsertNoteGroup(nullptr, new TNoteGroup(&stave, nullptr, 0, 0, 0));
  EXPECT_EQ(stave.GetPrevNoteGroup(older), stave.GetStartNoteGroup());

  RecordingSink sink;
  TUnitMuz unit("save.kvm");
  unit.InitNew();
  EXPECT_FALSE(unit.SaveToFile("/nonexistent-directory/save.kvm", false));
  ASSERT_EQ(sink.messages.size(), 1u);
  // The reason follows the words.
  EXPECT_EQ(sink.messages[0].text.rfind("Cannot save Music: ", 0), 0u);
  EXPECT_GT(sink.messages[0].text.size(), std::string("Cannot save Music: ").size());
  EXPECT_EQ(std::tuple(sink.messages[0].caption, unit.GetState()), std::tuple(std::string("FileError"), kUnitStateNew));

  // A name longer than the file system takes (130 accented letters, 260 bytes) cannot be opened
  // for writing; the disk is not said to be full.
  std::string tooLong = testing::TempDir();
  for (int letter = 0; letter < 130; ++letter) tooLong += "\xC3\xA9";
  EXPECT_FALSE(unit.SaveToFile(tooLong + ".kvm", false));
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[1].text,
            "Cannot save Music: Operating System cannot open file for writing, maybe the file is "
            "readonly.");
}

}  // namespace
