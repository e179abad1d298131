// A started main window with music windows installed, and a music window of its own for a score
// that the test builds.
#pragma once

#include <QApplication>
#include <QMdiArea>

#include "app/fakes/main_window.h"
#include "support/recording_sink.h"
#include "gui/canvas.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "musicui/ChildMuz.h"

class MuzWindowTest : public MainWindowTest {
 protected:
  MuzWindowTest() : MainWindowTest("musicui") {}
  void SetUp() override {
    InstallMusicWindows();
    MainWindowTest::SetUp();
  }
  void TearDown() override {
    // Windows with changes close without the question.
    sink.replies.assign(16, kIdNo);
    MainWindowTest::TearDown();
  }
  // A window for `unit`, its client area `size`, painted once.
  TMDIChildMuz* Open(std::unique_ptr<TUnitMuz> unit, QSize size = {600, 300}) {
    auto* window = dynamic_cast<TMDIChildMuz*>(form->CreateMDIChildMuz("score", std::move(unit)));
    EXPECT_NE(window, nullptr);
    if (window == nullptr) return nullptr;
    window->GetUnitMuz()->SetSaved();
    ResizeClient(*window, *window->ClientArea(), size);
    window->EvFormPaint();
    return window;
  }
  // A user's click comes after the idle update has set the action state.
  void Trigger(const char* action) {
    QApplication::processEvents();
    form->ActionList1Update();
    form->Action(action)->trigger();
  }
  // File > New Music, and three notes added with the mouse as a user composes them.
  TMDIChildMuz* ComposeNew() {
    Trigger("FileNewMuz");
    auto* window = dynamic_cast<TMDIChildMuz*>(form->GetActiveMDIChild());
    EXPECT_NE(window, nullptr);
    if (window == nullptr) return nullptr;
    ResizeClient(*window, *window->ClientArea(), {600, 300});
    window->EvFormPaint();
    TUnitMuz* unit = window->GetUnitMuz();
    unit->SetUnitMuzMode(unitMuzAdd);
    unit->SetInsertModeKind(1);
    const int32_t c = unit->GetStartStave()->GetCentreY();
    for (int i = 0; i < 3; ++i) {
      window->EvFormMouseDown(100 + 60 * i, c - 5 * i);
      window->EvFormMouseUp(Qt::NoButton);
      window->EvFormPaint();
    }
    return window;
  }
  static std::unique_ptr<TUnitMuz> NewScore(int staves) {
    auto unit = std::make_unique<TUnitMuz>("score.kvm");
    unit->InitNew();
    for (int more = 1; more < staves; ++more) unit->AddDefaultStave(unit->GetStartStave());
    return unit;
  }
  RecordingSink sink;
  static uint32_t Pixel(const TMDIChildMuz& window, int x, int y) {
    return PixelCanvas::FromRgb(window.Canvas().pixel(x, y));
  }
};
