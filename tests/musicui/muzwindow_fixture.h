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
