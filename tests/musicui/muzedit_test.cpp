#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeWidget>
#include <QTest>
#include <algorithm>
#include <tuple>
#include <vector>

#include "app/fakes/fake_player.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "musicui/DMusTree.h"
#include "wave/unitwave.h"
#include "muzwindow_fixture.h"

namespace {

class MuzEdit : public MuzWindowTest {
 protected:
  void SetUp() override {
    MuzWindowTest::SetUp();
    window = Open(NewScore(2), {600, 400});
    ASSERT_NE(window, nullptr);
    unit = window->GetUnitMuz();
    first = unit->GetStartStave();
    second = first->GetNext();
  }
  void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int x, int y) {
    QMouseEvent event(type, QPointF(x, y), window->ClientArea()->mapToGlobal(QPointF(x, y)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(window->ClientArea(), &event);
  }
  // A click in the window, then the repaint that lays the score out again.
  void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(QEvent::MouseButtonPress, button, button, x, y);
    Mouse(QEvent::MouseButtonRelease, button, Qt::NoButton, x, y);
    window->EvFormPaint();
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->ClientArea(), static_cast<Qt::Key>(key), modifiers);
    window->EvFormPaint();
  }
  std::vector<TMuzNote*> Notes(const TNoteStave* stave) const {
    std::vector<TMuzNote*> notes;
    for (TStaveSymbol* s = unit->GetStartPartMuz()->GetFirstSinglePart()->GetStartStaveSymbol(); s; s = s->GetNext())
      if (s->GetNoteStave() == stave && s->AsNote() != nullptr) notes.push_back(s->AsNote());
    return notes;
  }
  // Notes added in add mode, left to right on a stave, each a pitch step above the centre.
  void AddNotes(const TNoteStave* stave, int count) {
    unit->SetUnitMuzMode(unitMuzAdd);
    unit->SetInsertModeKind(1);
    for (int i = 0; i < count; ++i) {
      const std::vector<TMuzNote*> notes = Notes(stave);
      Click(notes.empty() ? 60 : Middle(*notes.back()) + 40, stave->GetCentreY() - 5);
    }
  }
  static int32_t Middle(const TXTouchMuzSymbol& symbol) {
    int32_t l = 0;
    int32_t r = 0;
    symbol.GetXRange(l, r);
    return (l + r) / 2;
  }

  TMDIChildMuz* window = nullptr;
  TUnitMuz* unit = nullptr;
  TNoteStave* first = nullptr;
  TNoteStave* second = nullptr;
};

TEST_F(MuzEdit, HitTestsFindStepsBandsAndBorders) {
  const int32_t c = first->GetCentreY();
  const int32_t b = c + first->GetRoomDown().GetValue();
  const struct { int32_t y; int32_t step; } steps[] = {
      {c - 2, 0}, {c - 3, 1}, {c - 7, 1}, {c - 8, 2}, {c + 2, 0}, {c + 3, -1}};
  for (const auto& s : steps) {
    SCOPED_TRACE(s.y - c);
    EXPECT_EQ(TMDIChildMuz::PitchStepAt(s.y, *first), s.step);
  }
  const struct { int32_t y; TNoteStave* border; TNoteStave* stave; } places[] = {
      {b - 4, nullptr, first}, {b - 3, first, first}, {b + 2, first, second}, {b + 3, nullptr, second},
      {10, nullptr, nullptr}};
  for (const auto& p : places) {
    SCOPED_TRACE(p.y - b);
    EXPECT_EQ(window->BorderAt(p.y), p.border);
    EXPECT_EQ(window->StaveAt(p.y), p.stave);
  }
}

TEST_F(MuzEdit, ClicksEditByModeWithEitherButton) {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    SCOPED_TRACE(button);
    unit->SetUnitMuzMode(unitMuzAdd);
    unit->SetInsertModeKind(1);
    const size_t before = Notes(second).size();
    unit->SetSaved();
    Click(300, second->GetCentreY() - 10, button);
    const std::vector<TMuzNote*> notes = Notes(second);
    ASSERT_EQ(notes.size(), before + 1);
    EXPECT_TRUE(unit->NeedsSave());
    TMuzNote* added = notes.back();
    unit->SetUnitMuzMode(unitMuzSel);
    unit->SetSaved();
    Click(Middle(*added), second->GetCentreY() - 10, button);
    EXPECT_EQ(unit->GetSelectedSymbol(), added);
    Click(Middle(*added), second->GetCentreY() - 10, button);
    EXPECT_EQ(unit->GetSelectedSymbol(), nullptr);  // the second click deselects
    EXPECT_FALSE(unit->NeedsSave());

    unit->SetUnitMuzMode(unitMuzDel);
    Click(Middle(*added), second->GetCentreY() - 10, button);
    EXPECT_EQ(Notes(second).size(), before);
    EXPECT_TRUE(unit->NeedsSave());

    // Added on a note's own column a step higher, a note joins its chord instead of following it.
    unit->SetUnitMuzMode(unitMuzAdd);
    Click(300, second->GetCentreY() - 10, button);
    TMuzNote* root = Notes(second).back();
    Click(Middle(*root) - 4, second->GetCentreY() - 15, button);
    ASSERT_EQ(Notes(second).size(), before + 2);
    EXPECT_EQ(Notes(second).back()->GetSymbolPosition(), root->GetSymbolPosition());
  }
}

// Each row presses at the first stave's lower border, moves by the steps with the buttons held,
// and releases. A file's room may be the largest there is: a drag stops there.
TEST_F(MuzEdit, BorderDragChangesTheRoomsByTheButtonsHeld) {
  const struct { Qt::MouseButtons held; std::vector<int32_t> moves; int32_t up, down, from = 80; } cases[] = {
      {Qt::LeftButton, {10}, 80, 90},
      {Qt::LeftButton, {-100}, 80, 30},
      {Qt::RightButton, {10}, 90, 80},
      {Qt::LeftButton | Qt::RightButton, {5}, 83, 82},
      {Qt::LeftButton | Qt::RightButton, {5, 10}, 85, 85},
      {Qt::LeftButton | Qt::RightButton, {-120}, 30, 30},
      {Qt::LeftButton | Qt::RightButton, {10}, INT32_MAX, INT32_MAX, INT32_MAX},
      {Qt::LeftButton, {-100}, INT32_MAX, INT32_MAX - 100, INT32_MAX},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.held << " " << c.moves.size() << " " << c.moves[0] << " from " << c.from);
    first->GetRoomUp().SetValue(c.from);
    first->GetRoomDown().SetValue(c.from);
    window->EvFormPaint();
    const int32_t y = first->GetCentreY() + first->GetDrawnRoomDown();
    const Qt::MouseButton button = (c.held & Qt::LeftButton) ? Qt::LeftButton : Qt::RightButton;
    const size_t symbols = Notes(first).size();
    Mouse(QEvent::MouseButtonPress, button, c.held, 100, y);
    EXPECT_TRUE(window->IsDragging());
    for (int32_t to : c.moves) Mouse(QEvent::MouseMove, Qt::NoButton, c.held, 100, y + to);
    Mouse(QEvent::MouseButtonRelease, button, Qt::NoButton, 100, y);
    EXPECT_FALSE(window->IsDragging());
    EXPECT_EQ(std::tuple(first->GetRoomUp().GetValue(), first->GetRoomDown().GetValue()), std::tuple(c.up, c.down));
    EXPECT_EQ(Notes(first).size(), symbols);  // a drag edits nothing
  }
  // A release outside the window never arrives: the next move without a button ends the drag.
  const int32_t border = first->GetCentreY() + first->GetDrawnRoomDown();
  Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 100, border);
  Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, 100, 5);
  EXPECT_FALSE(window->IsDragging());
}

TEST_F(MuzEdit, EveryMoveChoosesTheWindowsOwnCursor) {
  AddNotes(first, 1);
  const TMuzNote* note = Notes(first).at(0);
  const int32_t c = first->GetCentreY();
  const int32_t border = c + first->GetRoomDown().GetValue();
  const struct { uint8_t mode; uint8_t insert; int32_t x; int32_t y; TCursor cursor; } cases[] = {
      {unitMuzAdd, 0, 300, c, crSil},
      {unitMuzAdd, 1, 300, c, crNote},   {unitMuzAdd, 7, 300, c, crReject},
      {unitMuzAdd, 1, 300, border, crVSplit},
      {unitMuzSel, 1, 300, c, crDefault}, {unitMuzDel, 1, Middle(*note), c - 5, crDelete},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << int(k.mode) << "/" << int(k.insert) << " y " << k.y - c);
    unit->SetUnitMuzMode(k.mode);
    unit->SetInsertModeKind(k.insert);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, k.x, k.y);
    EXPECT_EQ(window->MouseCursor(), k.cursor);
    EXPECT_EQ(ScreenCursor(), crDefault);  // the one-slot store is left alone
  }
  unit->SetUnitMuzMode(unitMuzAdd);
  Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, 300, border);
  EXPECT_EQ(window->ClientArea()->cursor().shape(), Qt::SplitVCursor);
}

// Each row starts from the first note of the upper stave selected, in select mode.
TEST_F(MuzEdit, KeysMoveTheSelectionAndChangeTheSelectedNote) {
  AddNotes(first, 2);
  AddNotes(second, 1);
  const std::vector<TMuzNote*> top = Notes(first);
  ASSERT_EQ(top.size(), 2u);
  const double position = top[0]->GetSymbolPosition();
  unit->SetUnitMuzMode(unitMuzSel);
  // A null symbol stands for any symbol on the stave.
  const struct { const char* keys; TXTouchMuzSymbol* selected; TNoteStave* stave; int32_t pitchStep; bool moved; }
      cases[] = {
          {"Right", top[1], first, 0, false},          {"Right, Left", top[0], first, 0, false},
          {"PgDown, PgUp", nullptr, first, 0, false},  {"Shift+PgDown", nullptr, second, 0, false},
          {"Ctrl+Up", top[0], first, 1, false},        {"Ctrl+Down", top[0], first, -1, false},
          {"Ctrl+Shift+Down", top[0], first, -7, false},
          {"Ctrl+Alt+Up", top[0], first, 0, false},    {"Ctrl+Right", top[0], first, 0, true},
      };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    top[0]->SetSymbolPosition(position);
    unit->SetSelectedSymbol(top[0]);
    const int32_t before = top[0]->GetPitch();
    const QKeySequence keys(QString::fromLatin1(c.keys));
    for (int i = 0; i < keys.count(); ++i) Key(keys[i].key(), keys[i].keyboardModifiers());
    TXTouchMuzSymbol* selected = unit->GetSelectedSymbol();
    ASSERT_NE(selected, nullptr);
    if (c.selected) {
      EXPECT_EQ(selected, c.selected);
    }
    ASSERT_EQ(selected->GetMuzSymbolKind(), muzSymbolStave);
    EXPECT_EQ(static_cast<TStaveSymbol*>(selected)->GetNoteStave(), c.stave);
    EXPECT_EQ(top[0]->GetPitch() - before, c.pitchStep);
    EXPECT_EQ(top[0]->GetSymbolPosition() > position, c.moved);
  }
}

TEST_F(MuzEdit, ScrollIntoViewBringsARangeToTheMiddleOfTheClient) {
  ResizeClient(*window, *window->ClientArea(), {200, 100});
  AddNotes(first, 25);
  window->EvFormPaint();
  ASSERT_GT(window->HorzScrollBar()->maximum(), 100);
  ASSERT_GT(window->VertScrollBar()->maximum(), 100);
  // Scrolled to the end, the last note still stands in the page's first 80 pixels.
  window->HorzScrollBar()->setValue(window->HorzScrollBar()->maximum());
  window->EvFormPaint();
  int32_t left = 0, right = 0;
  Notes(first).back()->GetXRange(left, right);
  EXPECT_TRUE(left >= 0 && right < 80) << left << ".." << right;
  const struct { bool horizontal; int32_t a; int32_t b; int32_t shift; } cases[] = {
      {true, 50, 190, 10},  {true, 10, 100, -10}, {true, 5, 195, 15}, {true, 30, 170, 0},
      {false, 10, 95, 15}, {false, 5, 50, -15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.horizontal << " " << c.a << ".." << c.b);
    QScrollBar* bar = c.horizontal ? window->HorzScrollBar() : window->VertScrollBar();
    bar->setValue(50);
    if (c.horizontal) window->ScrollIntoViewX(c.a, c.b); else window->ScrollIntoViewY(c.a, c.b);
    EXPECT_EQ(bar->value(), 50 + c.shift);
    window->EvFormPaint();
    EXPECT_EQ(c.horizontal ? window->GetLeftOrigin() : window->GetTopOrigin(), -(50 + c.shift));
  }
}

// A click and the music-parts dialog's Begin and End select through the document: with Auto Play
// Note on the note sounds, and a symbol off the page is scrolled to. Begin and End go along the
// stave of the symbol selected now, and rest while nothing is selected.
TEST_F(MuzEdit, ClicksAndThePartsDialogSelectThroughTheDocument) {
  auto player = std::make_unique<FakePlayer>();
  std::vector<std::string>& played = player->log;
  form->SetAudioPlayer(std::move(player));
  const auto plays = [&] {
    return std::count_if(played.begin(), played.end(), [](const std::string& c) { return c.rfind("Play", 0) == 0; });
  };
  auto sample = std::make_unique<TUnitWave>("sample.wav", waveFileProps(1, 22050, 2));
  sample->SetName("sample");  // the default player's sample wave
  ASSERT_TRUE(sample->MakeSinus(TSinusProps{}));
  form->CreateMDIChildWave("sample.wav", std::move(sample), {}, {});
  ResizeClient(*window, *window->ClientArea(), {200, 400});
  AddNotes(first, 2);
  AddNotes(second, 12);
  unit->SetUnitMuzMode(unitMuzSel);
  unit->SetPlayAfterEdit(true);
  played.clear();
  TMuzNote* top = Notes(first)[0];
  Click(Middle(*top), first->GetCentreY() - 5);
  ASSERT_EQ(unit->GetSelectedSymbol(), top);
  ASSERT_EQ(plays(), 1) << testing::PrintToString(played);

  TDlgMusTree dialog(form.get());
  const auto shown = [&] {
    dialog.SetUnitMuz(window);
    dialog.tvMusParts->setCurrentItem(dialog.tvMusParts->topLevelItem(0));
    return dialog.cmdGotoBegin->isEnabled() && dialog.cmdGotoEnd->isEnabled();
  };
  EXPECT_TRUE(shown());
  TMuzNote* low = Notes(second)[0];
  Click(Middle(*low), second->GetCentreY() - 5);
  ASSERT_EQ(unit->GetSelectedSymbol(), low);
  ASSERT_TRUE(shown());
  dialog.cmdGotoEnd->trigger();
  EXPECT_EQ(unit->GetSelectedSymbol(), Notes(second).back());
  EXPECT_EQ(plays(), 3);
  window->EvFormPaint();
  int32_t left = 0, right = 0;
  Notes(second).back()->GetXRange(left, right);
  EXPECT_GT(window->HorzScrollBar()->value(), 0);
  EXPECT_TRUE(left >= 0 && right <= window->ClientArea()->width()) << left << ".." << right;
  Click(Middle(*Notes(second).back()), second->GetCentreY() - 5);  // the selected one: none now
  ASSERT_EQ(unit->GetSelectedSymbol(), nullptr);
  EXPECT_FALSE(shown());
  dialog.SetUnitMuz(nullptr);
}

}  // namespace
