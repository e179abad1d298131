// The wave window: pixel/sample mapping, zoom and the scroll bar, the zoom kept across an
// operation, selection by mouse and keys with the repaints they cause, the status text under the
// mouse, and the empty and degenerate cases.
#include <QDialog>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include "app/wavewindow/ChildWave.h"
#include "app/fakes/main_window.h"
#include "foundation/assertion.h"
#include "gui/application.h"
#include "gui/statusbar.h"
#include "support/recording_sink.h"
#include "support/samples.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kGrey = 0xFF808080;

// Silent: the window draws the samples, so they must be defined.
SoundPtr MakeSound(int32_t values, int16_t channels) {
  const Samples16 silence(static_cast<size_t>(values));
  return SoundOf(channels == 2, silence, silence, 44100);
}

class WaveWindow : public MainWindowTest {
 protected:
  WaveWindow() : MainWindowTest("childwave") {}

  // A window on a saved document of `values` samples whose client area is width x height.
  void Open(int32_t values, int width, int height = 101, int16_t channels = 1) {
    auto unit = std::make_unique<TUnitWave>("", MakeSound(values, channels));
    doc = unit.get();
    window = form->CreateMDIChildWave("caption", std::move(unit), TWaveViewProps(),
                                      TVoldViewProps());
    SetClient(width, height);
  }
  void SetClient(int width, int height) {
    ResizeClient(*window, *window->ClientArea(), QSize(width, height));
  }
  void Select(int32_t moving, int32_t anchor) { doc->SetSelEnds(moving, anchor); }
  std::pair<int32_t, int32_t> Ends() const { return {doc->GetSelCursor(), doc->GetSelAnchor()}; }
  std::pair<double, double> View() const { return {window->GetViewBegin(), window->GetViewEnd()}; }

  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->ClientArea(), static_cast<Qt::Key>(key), modifiers);
  }
  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButtons buttons,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    // A press presses the one button given; a release lets the left button go.
    Qt::MouseButton button = Qt::LeftButton;
    if (type == QEvent::MouseMove) button = Qt::NoButton;
    if (type == QEvent::MouseButtonPress) button = static_cast<Qt::MouseButton>(buttons.toInt());
    QMouseEvent event(type, QPointF(x, y), window->ClientArea()->mapToGlobal(QPointF(x, y)), button,
                      buttons, modifiers);
    QApplication::sendEvent(window->ClientArea(), &event);
  }
  QRgb Pixel(int x, int y = 5) const { return window->Canvas().pixel(x, y); }
  // The columns of the picture that show the selection's colour, as [first, last).
  std::pair<int, int> BlackColumns(int y = 5) const {
    int first = -1, last = -1;
    for (int x = 0; x < window->Canvas().width(); ++x) {
      if (Pixel(x, y) != kBlack) continue;
      if (first < 0) first = x;
      last = x + 1;
    }
    return {first, last};
  }

  TMDIChildWave* window = nullptr;
  TUnitWave* doc = nullptr;
};

using SelEnds = std::pair<int32_t, int32_t>;

}  // namespace

TEST_F(WaveWindow, PixelsAndSamplesMapThroughTheViewWindowWithTruncationTowardZero) {
  Open(441000, 441);
  // The time has no half pixel.
  EXPECT_EQ(std::tuple(window->XToSample(0), window->XToTime(0), window->XToTime(441), window->GetViewEndTime()),
            std::tuple(500.0, 0.0, 10.0, 10.0));
  EXPECT_EQ(std::pair(window->SampleToX(1000), window->SampleToX(441000)), std::pair(1, 441));

  window->SetScroll(0, 44100);  // 100 samples per pixel
  EXPECT_EQ(std::tuple(window->ScrollRange(), window->XToSample(0), window->SampleToX(22050)),
            std::tuple(4410, 50.0, 220));
  window->ScrollBar()->setValue(441);
  EXPECT_EQ(std::pair(window->GetViewBegin(), window->XToTime(441)), std::pair(44100.0, 2.0));
  // Truncated toward zero, not down.
  EXPECT_EQ((std::vector<int>{window->SampleToX(44099.9), window->SampleToX(44000), window->SampleToX(43950)}),
            (std::vector<int>{0, -1, -1}));
}

TEST_F(WaveWindow, ZoomInShowsTheSelectionThroughTheScrollBarAndNoZoomSelectsEverything) {
  Open(10000, 500);
  window->ZoomIn();  // nothing selected: nothing to zoom to
  EXPECT_EQ(window->IsZoomed(), 0.0);

  Select(1000, 2000);
  window->ZoomIn();
  EXPECT_EQ(std::tuple(window->IsZoomed(), window->ScrollRange(), window->ScrollPosition(),
                       window->ScrollIncrement(), window->ScrollBarVisible()),
            std::tuple(1.0, 5000, 500, 50, true));
  EXPECT_EQ(std::pair(View(), Ends()), std::pair(std::pair(1000.0, 2000.0), SelEnds(1000, 2000)));

  // The user scrolls: the window moves and the picture follows.
  window->ScrollBar()->setValue(1000);
  EXPECT_EQ(View(), std::pair(2000.0, 3000.0));
  QApplication::processEvents();
  EXPECT_EQ(Pixel(0), kWhite);  // the selection has left the view

  // A wider client keeps the range: the window widens with it.
  SetClient(600, 101);
  EXPECT_EQ(window->ScrollRange(), 5000);
  EXPECT_DOUBLE_EQ(window->GetViewEnd() - window->GetViewBegin(), 1200);

  window->NoZoom();
  EXPECT_EQ(std::pair(window->IsZoomed(), window->ScrollBarVisible()), std::pair(0.0, false));
  EXPECT_EQ(std::pair(doc->GetSelBegin(), doc->GetSelEnd()), SelEnds(0, 10000));
  Select(5, 5);
  window->NoZoom();  // not zoomed: the selection stays
  EXPECT_EQ(doc->GetSelEnd(), 5);

  window->SetScroll(100, 100);  // under one sample: no zoom
  EXPECT_EQ(std::pair(window->IsZoomed(), window->ScrollBarVisible()), std::pair(0.0, false));

  // Deeper than the scroll bar counts: the range stops at its limit, far columns stay far right.
  doc->SetSound(MakeSound(5000000, 1));
  window->SetScroll(0, 1);
  EXPECT_EQ(window->ScrollRange(), INT32_MAX);
  EXPECT_LT(window->GetViewEnd(), 2);
  EXPECT_GT(window->SampleToX(5000000), 2000000000);
  window->Redraw();
  EXPECT_EQ(Pixel(599), kWhite);
  window->RedrawSamples(0, 5000000, true);
  EXPECT_EQ(Pixel(599), kBlack);
}

TEST_F(WaveWindow, TheZoomWindowKeepsItsDistanceToAStretchWhoseLengthChanged) {
  Open(10000, 500);
  window->SetScroll(1000, 2000);
  // A cut of [1200, 1500): the view's left edge stays 200 before the stretch, its right edge
  // moves with the stretch's end.
  doc->BeginChange(1200, 1500);
  doc->SetSound(MakeSound(9700, 1));
  doc->EndChange(1200, 1200);
  EXPECT_NEAR(window->GetViewBegin(), 1000, 1);
  EXPECT_NEAR(window->GetViewEnd(), 1700, 1);

  // Offsets that leave no window, then a sound that became empty: the zoom ends.
  window->SaveZoom(0, 9700);
  doc->SetSound(MakeSound(10, 1));
  window->RestoreZoom(0, 10);
  EXPECT_EQ(window->IsZoomed(), 0.0);
  window->SetScroll(2, 8);
  window->SaveZoom(2, 8);
  doc->SetSound(MakeSound(0, 1));
  window->RestoreZoom(2, 2);
  EXPECT_EQ(std::pair(window->IsZoomed(), window->ScrollBarVisible()), std::pair(0.0, false));

  window->SaveZoom(0, 0);  // unzoomed: the bracket changes nothing
  window->RestoreZoom(0, 0);
  EXPECT_EQ(window->IsZoomed(), 0.0);

  EXPECT_THROW(window->RestoreZoom(0, 0), AssertionFailure);  // never closes without opening
}

// One end moves alone; both move together, and past an edge each end is clamped on its own.
TEST_F(WaveWindow, KeysMoveTheCursorOrTheSelectionEndsByPixelsAndStayInsideTheSound) {
  Open(1000, 500);  // two samples per pixel
  struct Case { int key; Qt::KeyboardModifiers modifiers; SelEnds from, expected; };  // ends: moving, anchor
  const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier,
                              both = Qt::ShiftModifier | Qt::ControlModifier, none = {};
  const SelEnds mid{300, 100}, start{1, 200}, end{999, 800};
  const Case cases[] = {
      {Qt::Key_Left, none, mid, {299, 299}},       {Qt::Key_Left, shift, mid, {299, 100}},
      {Qt::Key_Left, ctrl, mid, {300, 99}},        {Qt::Key_Left, both, mid, {299, 99}},
      {Qt::Key_Right, both, mid, {303, 103}},      {Qt::Key_Up, both, mid, {281, 81}},
      {Qt::Key_Down, shift, mid, {321, 100}},      {Qt::Key_Down, ctrl, mid, {300, 121}},
      {Qt::Key_Home, shift, mid, {0, 100}},        {Qt::Key_Home, both, mid, {200, 0}},
      {Qt::Key_End, none, mid, {1000, 1000}},      {Qt::Key_End, both, mid, {1000, 800}},
      {Qt::Key_PageDown, ctrl, mid, {500, 300}},   {Qt::Key_PageUp, ctrl, mid, {100, 0}},
      {Qt::Key_PageDown, none, mid, mid},          {Qt::Key_PageUp, shift, mid, mid},
      {Qt::Key_PageDown, both, mid, mid},          {Qt::Key_Left, Qt::AltModifier, mid, mid},
      {Qt::Key_Home, Qt::AltModifier | ctrl, mid, mid},
      {Qt::Key_Left, none, start, {0, 0}},         {Qt::Key_Left, shift, start, {0, 200}},
      {Qt::Key_Left, ctrl, start, {1, 199}},       {Qt::Key_Left, both, start, {0, 198}},
      {Qt::Key_Up, ctrl, start, {1, 181}},         {Qt::Key_Up, both, start, {0, 180}},
      {Qt::Key_Home, ctrl, start, {1, 0}},         {Qt::Key_Home, both, start, {0, 199}},
      {Qt::Key_PageUp, ctrl, start, {0, 1}},     {Qt::Key_PageUp, none, start, start},
      {Qt::Key_Right, none, end, {1000, 1000}},    {Qt::Key_Right, shift, end, {1000, 800}},
      {Qt::Key_Right, ctrl, end, {999, 803}},      {Qt::Key_Right, both, end, {1000, 801}},
      {Qt::Key_Down, ctrl, end, {999, 821}},       {Qt::Key_Down, both, end, {1000, 819}},
      {Qt::Key_End, ctrl, end, {999, 1000}},       {Qt::Key_End, both, end, {1000, 801}},
      {Qt::Key_PageDown, ctrl, end, {1000, 999}},  {Qt::Key_PageDown, shift, end, end},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " modifiers " << c.modifiers.toInt()
                                    << " from " << c.from.first << ", " << c.from.second);
    Select(c.from.first, c.from.second);
    Key(c.key, c.modifiers);
    EXPECT_EQ(Ends(), c.expected);
  }
  // Moved on and on, the selection shrinks against the edge until nothing is left of it.
  Select(300, 100);
  for (int press = 0; press < 3; ++press) Key(Qt::Key_PageDown, ctrl);
  EXPECT_EQ(Ends(), SelEnds(900, 700));
  Key(Qt::Key_PageDown, ctrl);
  EXPECT_EQ(Ends(), SelEnds(1000, 900));
  Key(Qt::Key_PageDown, ctrl);
  EXPECT_EQ(Ends(), SelEnds(1000, 1000));
}

TEST_F(WaveWindow, PartialRepaintsLeaveThePictureAWholeRepaintWouldPaint) {
  Open(1000, 500);
  Select(600, 200);
  window->Redraw();
  EXPECT_EQ(BlackColumns(), std::make_pair(100, 300));
  EXPECT_EQ(Pixel(300, 50), kGrey);  // the cursor line at the moving end

  // Every change by keys and mouse repaints only what changed, and ends with the whole picture.
  const auto matchesWholeRepaint = [&](const char* step) {
    const QImage partial = window->Canvas().copy();
    window->Redraw();
    EXPECT_TRUE(partial == window->Canvas()) << step;
  };
  Key(Qt::Key_Right, Qt::ShiftModifier);
  matchesWholeRepaint("shift right");
  Key(Qt::Key_Home, Qt::ControlModifier);
  matchesWholeRepaint("ctrl home");
  Mouse(QEvent::MouseButtonPress, 250, 10, Qt::LeftButton);
  matchesWholeRepaint("click");
  Mouse(QEvent::MouseMove, 400, 10, Qt::LeftButton);
  matchesWholeRepaint("drag across");
  EXPECT_EQ(BlackColumns(), std::make_pair(250, 400));
  Mouse(QEvent::MouseButtonRelease, 400, 10, Qt::NoButton);
  Key(Qt::Key_End);  // the line stands on the last sample's column
  EXPECT_EQ(Pixel(499), kGrey);
  Key(Qt::Key_Home);
  matchesWholeRepaint("from the very end");
  EXPECT_EQ(Pixel(499), kWhite);
  Key(Qt::Key_Right);  // two samples a column: the cursor moves within its column
  Select(1, 1);
  matchesWholeRepaint("within a column");
  EXPECT_EQ(Pixel(0), kGrey);
}

TEST_F(WaveWindow, TheMouseSelectsWithinTheSoundsLastSampleAndShiftAndCtrlMoveOneEnd) {
  Open(1000, 500);
  Mouse(QEvent::MouseButtonPress, 100, 10, Qt::LeftButton);
  EXPECT_EQ(Ends(), SelEnds(201, 201));
  Mouse(QEvent::MouseMove, 200, 10, Qt::LeftButton);
  EXPECT_EQ(Ends(), SelEnds(401, 201));
  Mouse(QEvent::MouseMove, 9999, 10, Qt::LeftButton);
  EXPECT_EQ(Ends(), SelEnds(999, 201));  // the mouse never reaches the very end
  Mouse(QEvent::MouseButtonRelease, 9999, 10, Qt::NoButton);
  Mouse(QEvent::MouseMove, 50, 10, Qt::LeftButton);  // no press: no selecting
  EXPECT_EQ(Ends(), SelEnds(999, 201));

  Mouse(QEvent::MouseButtonPress, 300, 10, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(Ends(), SelEnds(601, 201));
  Mouse(QEvent::MouseButtonRelease, 300, 10, Qt::NoButton);

  // Ctrl takes the nearer end as the anchor; a tie takes the upper end.
  SetClient(500, 101);
  doc->SetSound(MakeSound(500, 1));  // one sample per pixel
  struct Case { SelEnds before; int x; SelEnds after; };
  const Case cases[] = {{{100, 200}, 190, {190, 200}},
                        {{200, 100}, 120, {120, 100}},
                        {{100, 200}, 150, {150, 200}},
                        {{100, 200}, 300, {300, 200}}};
  for (const Case& c : cases) {
    Select(c.before.first, c.before.second);
    Mouse(QEvent::MouseButtonPress, c.x, 10, Qt::LeftButton, Qt::ControlModifier);
    Mouse(QEvent::MouseButtonRelease, c.x, 10, Qt::NoButton);
    EXPECT_EQ(Ends(), c.after) << c.x;
  }
  Select(40, 40);
  Mouse(QEvent::MouseButtonPress, 100, 10, Qt::RightButton);  // not the left button
  EXPECT_EQ(Ends(), SelEnds(40, 40));
}

TEST_F(WaveWindow, StatusPanelOneShowsTimeAndLevelOrFrequencyUnderTheMouse) {
  Open(441000, 441, 101);  // h = 100
  StatusPanels* panels = form->StatusBar();
  const struct { int x, y; const char* text; } mono[] = {{0, 0, "(0.00000 s, 100.00 %)"},
              {220, 25, "(4.98866 s, 50.00 %)"},
              {441, 75, "(10.00000 s, -50.00 %)"}};
  for (const auto& c : mono) {
    Mouse(QEvent::MouseMove, c.x, c.y, Qt::NoButton);
    EXPECT_EQ(panels->PanelText(1), c.text);
  }
  EXPECT_EQ(panels->PanelWidth(1), 120);

  // The texts at the left edge from the top down.
  const auto column = [&](std::initializer_list<int> ys) {
    std::vector<std::string> texts;
    for (const int y : ys) texts.push_back(window->StatusTextAt(0, y).substr(12));
    return texts;
  };
  using Texts = std::vector<std::string>;
  window->SetVoldViewProps(TVoldViewProps());  // mono: one diagram, whatever the setting
  EXPECT_EQ(window->StatusTextAt(0, 50).substr(12), "632 Hz )");
  window->SetWaveViewProps(TWaveViewProps());
  doc->SetSound(MakeSound(441000, 2));  // the stereo level runs over two bands
  EXPECT_EQ(column({0, 50, 75, 100}), (Texts{"100.00 %)", "-100.00 %)", "0.00 %)", "-100.00 %)"}));

  TVoldViewProps vold;  // top 20 kHz, bottom 20 Hz, logarithmic rows
  vold.TwoDiagrams = 0;
  window->SetVoldViewProps(vold);
  Mouse(QEvent::MouseMove, 0, 100, Qt::NoButton);
  EXPECT_EQ(panels->PanelText(1), "(0.00000 s, 20.0 Hz )");
  EXPECT_EQ(panels->PanelWidth(1), 130);
  EXPECT_EQ(column({0, 50}), (Texts{"20.0 kHz )", "632 Hz )"}));  // the middle is the geometric one
  vold.TwoDiagrams = 1;  // two diagrams: the upper half repeats the scale
  vold.HorDistribution = 2;
  window->SetVoldViewProps(vold);
  EXPECT_EQ(window->StatusTextAt(0, 0), window->StatusTextAt(0, 50));
  EXPECT_EQ(column({75, 100}), (Texts{"39.9 Hz )", "20.0 Hz )"}));
  vold.HorDistribution = 0;
  window->SetVoldViewProps(vold);
  EXPECT_EQ(window->StatusTextAt(0, 75), "(0.00000 s, 10.0 kHz )");
}

TEST_F(WaveWindow, AnEmptySoundOrAZeroWidthClientNeverDividesByZero) {
  Open(0, 200, 50);
  for (int key : {Qt::Key_End, Qt::Key_Down}) Key(key, Qt::ShiftModifier);
  Key(Qt::Key_Right);
  EXPECT_EQ(Ends(), SelEnds(0, 0));
  Mouse(QEvent::MouseButtonPress, 10, 10, Qt::LeftButton);
  Mouse(QEvent::MouseMove, 30, 10, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, 30, 10, Qt::NoButton);
  EXPECT_EQ(Ends(), SelEnds(0, 0));
  window->ZoomIn();
  window->SetScroll(0, 10);
  EXPECT_EQ(std::tuple(window->IsZoomed(), window->SampleToX(5), window->StatusTextAt(10, 0)),
            std::tuple(0.0, 0, "(0.00000 s, 100.00 %)"));
  // Only the background: no cursor line on an empty sound.
  window->Redraw();
  for (int x = 0; x < 200; ++x) ASSERT_EQ(Pixel(x, 20), kWhite) << x;

  doc->SetSound(MakeSound(1, 1));  // one sample: the mouse does not select
  Mouse(QEvent::MouseButtonPress, 150, 10, Qt::LeftButton);
  EXPECT_EQ(Ends(), SelEnds(0, 0));
  Key(Qt::Key_End);  // the keys still work
  EXPECT_EQ(Ends(), SelEnds(1, 1));

  doc->SetSound(MakeSound(1000, 1));
  window->SetScroll(100, 200);
  window->ClientArea()->resize(0, 1);  // no width, no height
  EXPECT_EQ(std::pair(window->XToSample(3), window->SampleToX(500)), std::pair(window->GetViewBegin(), 0));
  Key(Qt::Key_Right);
  window->SetScroll(100, 200);
  EXPECT_DOUBLE_EQ(window->GetViewEnd(), 1000);  // the range is 0: the whole sound
  EXPECT_EQ(window->StatusTextAt(0, 0), "(0.00000 s, 0.00 %)");
}

// The icons themselves are compared as a picture in wavepicture_test.cpp.
TEST_F(WaveWindow, TheFactoryRegistersTheWindowWithTheKeysAndItsDocumentsView) {
  Open(10, 100);
  EXPECT_EQ(std::pair(window->GetKind(), doc->GetView()), std::pair(kUnitKindWave, static_cast<WaveView*>(window)));
  EXPECT_EQ(QApplication::focusWidget(), window->ClientArea());  // the keys reach the window
  auto* second = form->CreateMDIChildWave("b", std::make_unique<TUnitWave>("", MakeSound(10, 2)), {}, {});
  second->close();
  EXPECT_EQ(form->MDIChildren().size(), 1u);
}

TEST_F(WaveWindow, YesToTheCloseQuestionSavesToTheDocumentsFileOrKeepsANeverSavedWindow) {
  RecordingSink sink;
  const std::string file = scratch + "/kept.wav";
  auto unit = std::make_unique<TUnitWave>(file, MakeSound(100, 1));
  unit->SetModified();
  form->CreateMDIChildWave("kept", std::move(unit), {}, {});
  Open(100, 200);
  doc->SetNew();  // never saved: no file to write to without Save As

  sink.replies = {kIdYes};
  {
    ScopedModalRunner cancel([](QDialog&) { return static_cast<int>(QDialog::Rejected); });
    window->close();  // Yes leads to the Save dialog, which is cancelled
  }
  EXPECT_EQ(form->MDIChildren().size(), 2u);
  EXPECT_TRUE(doc->NeedsSave());

  sink.replies = {kIdYes};
  form->MDIChildren().front()->close();
  EXPECT_TRUE(std::filesystem::exists(file));
  ASSERT_EQ(form->MDIChildren().size(), 1u);  // the saved one's window is gone
  EXPECT_EQ(form->MDIChildren().front(), window);
  EXPECT_EQ(sink.messages.size(), 2u);
}
