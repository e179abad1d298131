#include "music/unitmuz.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/xmlalg.h"
#include "tests/music/fakes/recording_muz_view.h"
#include "tests/music/score_builder.h"
#include "tests/support/recording_sink.h"

namespace {

TEST(UnitMuz, NewDocumentHoldsOneStaveOneGroupOneSamplerAndOneBarredPart) {
  TUnitMuz unit("new.kvm");
  unit.InitNew();
  TNoteStave* stave = unit.GetStartStave();
  ASSERT_NE(stave, nullptr);
  EXPECT_EQ(stave->GetNext(), nullptr);
  EXPECT_EQ(unit.GetCurStave(), stave);
  TNoteGroup* group = stave->GetStartNoteGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetNext(), nullptr);
  EXPECT_EQ(stave->GetCurNoteGroup(), group);
  EXPECT_EQ(stave->GetSelectedNoteGroup(), group);
  EXPECT_EQ(stave->GetRoomUp().GetValue(), 80);
  EXPECT_EQ(stave->GetRoomDown().GetBound(), 30);
  TOnePlayer* player = group->GetCompoundPlayer()->GetStartOnePlayer();
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->GetNext(), nullptr);
  EXPECT_EQ(group->GetCompoundPlayer()->GetCurOnePlayer(), player);
  EXPECT_EQ(player->GetSimpleSampler().SampleWave.GetName(), "sample");
  EXPECT_DOUBLE_EQ(player->GetSimpleSampler().BasicFreq.GetValue(), 0.001);
  EXPECT_DOUBLE_EQ(player->VolumeFactor().GetValue(), 0.5);

  auto* single = static_cast<TSinglePartMuz*>(unit.GetStartPartMuz()->GetPartMuz());
  ASSERT_EQ(single->GetPartMuzKind(), partMuzSingle);
  EXPECT_EQ(single->GetMuzBar()->GetCount(), 4);
  EXPECT_EQ(single->GetMuzBar()->GetBarLength(), 4);
  EXPECT_EQ(single->GetMuzBar()->GetCountFirstBar(), 0);
  TKey* startKey = single->GetStartStaveSymbol()->AsKey();
  ASSERT_NE(startKey, nullptr);
  EXPECT_EQ(startKey->GetKeyKind(), TKey::keyKindG);
  EXPECT_EQ(startKey->GetKeyOrder(), 1);
  EXPECT_EQ(unit.GetSelectedSymbol(), startKey);
  EXPECT_EQ(unit.GetState(), kUnitStateNew);
  EXPECT_EQ(unit.GetKind(), kUnitKindMuz);
  EXPECT_EQ(unit.GetUnitMuzMode(), unitMuzAdd);
  EXPECT_EQ(unit.GetInsertKind(), insertModeNote);
  EXPECT_DOUBLE_EQ(unit.GetTempo().GetValue(), 1.0);
}

TEST(UnitMuz, FormatSelectionAndRefresh) {
  TUnitMuz unit("format.kvm");
  unit.InitNew();
  unit.SetFormat(waveFileProps(1, 8000, 2), waveFileProps(2, 44100, 1));
  EXPECT_EQ(unit.GetChannels(), 2);
  EXPECT_EQ(unit.GetSamplesPerSec(), 44100u);
  EXPECT_EQ(unit.GetBytesPerSample(), 1);

  auto* single = unit.GetStartPartMuz()->GetFirstSinglePart();
  TNoteStave* second = unit.AddDefaultStave(unit.GetStartStave());
  EXPECT_EQ(single->CountStartKeys(second), 1);
  EXPECT_EQ(unit.GetSelMuzSymbolKind(), muzSymbolStave);
  unit.SetSelectedSymbol(single->GetMuzBar());  // from a stave symbol: its stave is remembered
  EXPECT_EQ(unit.GetSelectedInStave(), unit.GetStartStave());
  EXPECT_EQ(unit.GetSelMuzSymbolKind(), muzSymbolBar);
  unit.SetSelectedSymbol(single->GetKeyAt(0.0, second));  // from a bar: nothing remembered
  EXPECT_EQ(unit.GetSelectedInStave(), unit.GetStartStave());
  unit.SetSelectedSymbol(nullptr);
  EXPECT_EQ(unit.GetSelectedInStave(), second);
  EXPECT_EQ(unit.GetSelMuzSymbolKind(), kNoSelectedSymbol);

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
        EXPECT_EQ(score.unit.GetSelectedInStave(), nullptr);
        EXPECT_EQ(score.unit.GetCurStave(), nullptr);
        EXPECT_EQ(score.unit.GetStartStave(), kept);
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

TEST(UnitMuz, StaveWritesItsSettingsAndSaveReportsAFailedWrite) {
  struct Case {
    uint8_t joinFlags;
    bool mute;
    bool extraLines;
    std::vector<std::string> elements;
  };
  const std::vector<Case> cases = {
      {drawFlagSeparate,
       false,
       false,
       {"RoomUp=80", "RoomDown=45", "ForegroundColor=0a0b0c", "BackgroundColor=00ff00"}},
      {drawFlagJoin,
       true,
       true,
       {"RoomUp=80", "RoomDown=45", "AllowJoinFlags=", "Mute=", "ExtraLines=", "ForegroundColor=0a0b0c",
        "BackgroundColor=00ff00"}},
  };
  for (const Case& c : cases) {
    TNoteStave stave(nullptr, 0x0A0B0C, 0x00FF00, 80, 45, c.joinFlags, c.mute, c.extraLines);
    std::vector<std::string> elements;
    auto xml = stave.WriteSettingsXML();
    for (TXMLItem* item = xml->GetFirstChild(); item; item = item->GetNext())
      elements.push_back(item->GetElement() + "=" + (item->GetKind() == xmlItemAttribute ? item->GetValue() : ""));
    EXPECT_EQ(elements, c.elements);
  }

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
  EXPECT_EQ(sink.messages[0].text.rfind("Cannot save Music: ", 0), 0u);
  EXPECT_GT(sink.messages[0].text.size(), std::string("Cannot save Music: ").size());
  EXPECT_EQ(sink.messages[0].caption, "FileError");
  EXPECT_EQ(unit.GetState(), kUnitStateNew);
}

}  // namespace
