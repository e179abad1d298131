// The status panels for the selected symbol and the part tree as the music-parts view gets it.
#include <gtest/gtest.h>

#include <vector>

#include "tests/music/fakes/recording_muz_tree_view.h"
#include "tests/music/score_builder.h"
#include "tests/wave/fakes/fake_main_window.h"

namespace {
using Texts = std::vector<std::string>;

Texts ShownPanels(TUnitMuz& unit, TXTouchMuzSymbol* symbol, FakeMainWindow& shell) {
  unit.SetSelectedSymbol(symbol);
  unit.ShowStatus();
  Texts panels;
  for (int32_t panel = 1; panel <= 4; ++panel) panels.push_back(shell.panels[panel]);
  return panels;
}

TEST(MuzStatus, PanelsDescribeTheSelectedSymbol) {
  ScoreBuilder s;
  TSinglePartMuz* single = s.Single();
  s.Root(single);
  TUnitMuz& unit = s.unit;
  auto note = [&](double position, int32_t pitch, uint8_t shift) {
    return unit.AddXMLNote(s.stave, position, 4, 0, pitch, s.group, shift, sool, 0, noteArtNormal, single, 2);
  };
  const std::pair<TXTouchMuzSymbol*, Texts> cases[] = {
      {note(1.5, 5, noteShiftMol), {"Note", "pos: 1 1/2", "len: 1/4", "as4"}},
      {note(2, -2, noteShiftKruis), {"Note", "pos: 2", "len: 1/4", "ais3"}},
      {note(0.25, 7, noteShiftNormal), {"Note", "pos: 1/4", "len: 1/4", "c5"}},
      {note(3, 2, noteShiftDubbelMol), {"Note", "pos: 3", "len: 1/4", "eses4"}},
      {note(3, -8, noteShiftDubbelKruis), {"Note", "pos: 3", "len: 1/4", "bisis2"}},
      {unit.AddXMLSilence(s.stave, 0, 4, 1, sool, 0, single), {"Silence", "pos: 0", "len: 3/8", ""}},
      {unit.AddXMLKey(s.stave, 2, 0, TKey::keyKindC, 2, single), {"Key", "pos: 2", "", ""}},
      {nullptr, {"", "", "", ""}},
  };
  for (const auto& [symbol, panels] : cases) {
    FakeMainWindow shell;
    shell.panels[4] = "stale";
    EXPECT_EQ(ShownPanels(unit, symbol, shell), panels);
  }
  // A bar says what it is and leaves what the panels said of the last stave symbol.
  FakeMainWindow shell;
  ShownPanels(unit, cases[0].first, shell);
  EXPECT_EQ(ShownPanels(unit, single->GetMuzBar(), shell), (Texts{"Bar", "pos: 1 1/2", "len: 1/4", "as4"}));
}

TEST(MuzTree, ViewShowsEveryNodeButConcatenationsAndSelectsTheSelectedItem) {
  ScoreBuilder s;
  TSinglePartMuz* b = s.Single();
  b->SetLabel("Chorus");
  TLoopPartMuz* loop = s.Loop(3, s.Single());
  loop->SetExpanded(false);
  TSelectPartMuz* select = s.Select(b, {2});
  s.unit.SetSelMusTreeItem(select->AddTurnItem(Turns(1), Semitones(-3)));
  s.Root(s.Concat(loop, select));
  RecordingMuzTreeView view;
  s.unit.FillMusTree(view);
  EXPECT_EQ(view.calls, (Texts{"begin", "clear", "add 1 under top: repeat 3", "image 1 0", "add 2 under 1: part",
                               "image 2 1", "collapse 1", "add 3 under top: turns", "image 3 3",
                               "add 4 under 3: turn 2", "image 4 2", "add 5 under 3: turn 1", "image 5 2",
                               "select 5", "add 6 under 3: Chorus", "image 6 1", "expand 3", "end"}));

  s.unit.SelectMusTreeItem(view, RecordingMuzTreeView::ToNode(1));
  EXPECT_EQ(s.unit.GetSelMusTreeItem(), loop);
  s.unit.SetSelMusTreeItem(nullptr);
  RecordingMuzTreeView unselected;
  s.unit.FillMusTree(unselected);
  EXPECT_EQ(Texts(unselected.calls.end() - 3, unselected.calls.end()), (Texts{"expand 3", "unselect", "end"}));
}
}  // namespace
