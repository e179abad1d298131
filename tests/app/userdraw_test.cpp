// Drawing a wave through control points with the mouse: grabbing, adding, dragging and deleting
// points, the sound the document makes from them, the cursor, rescaling and undo.
#include <QMouseEvent>
#include <filesystem>
#include <vector>

#include "app/ChildWave.h"
#include "app/fakes/main_window.h"
#include "foundation/assertion.h"
#include "gui/canvas.h"
#include "gui/cursors.h"
#include "wave/drawnode.h"
#include "wave/unitwave.h"

namespace {

constexpr int32_t kRate = 8000;

class UserDrawing : public MainWindowTest {
 protected:
  UserDrawing() : MainWindowTest("userdraw") {}
  void SetUp() override {
    MainWindowTest::SetUp();
    auto unit = std::make_unique<TUnitWave>("drawn.wav", std::make_unique<MonoSound>(kRate, 2));
    doc = unit.get();
    window = form->CreateMDIChildWave("drawn", std::move(unit), TWaveViewProps(), TVoldViewProps());
    ResizeClient(*window, *window->ClientArea(), QSize(200, 101));
    window->StartUserDrawing(0);
  }
  void Send(QEvent::Type type, int x, int y) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(x, y), QPointF(x, y), button, held, Qt::NoModifier);
    QApplication::sendEvent(window->ClientArea(), &event);
  }
  void Click(int x, int y) {
    Send(QEvent::MouseButtonPress, x, y);
    Send(QEvent::MouseButtonRelease, x, y);
  }
  std::vector<std::pair<double, double>> Points() const {
    std::vector<std::pair<double, double>> points;
    for (const TDrawNode* n = window->GetFirstNode(); n; n = n->next) points.emplace_back(n->x, n->y);
    return points;
  }
  // The samples a fresh document makes from the same points, client and curve type.
  std::vector<int16_t> Expected(uint8_t type) const {
    TUnitWave fresh("", waveFileProps(1, kRate, 2));
    const QRect c = window->ClientRect();
    const TDrawNode* last = window->GetFirstNode();
    while (last->next) last = last->next;
    fresh.MakeDrawnWave(int32_t(window->GetFirstNode()->x), 0, int32_t(last->x), c.height(),
                        window->GetFirstNode(), type);
    return Samples(fresh);
  }
  static std::vector<int16_t> Samples(const TUnitWave& unit) {
    const Wave* w = unit.GetSound()->GetLeftWave();
    return std::vector<int16_t>(w->wave, w->wave + w->values);
  }
  bool ClientShows(TCursor id) const {
    return window->ClientArea()->cursor().pixmap().cacheKey() == CursorOf(id).pixmap().cacheKey();
  }

  TUnitWave* doc = nullptr;
  TMDIChildWave* window = nullptr;
};

TEST_F(UserDrawing, PressesGrabTheNearestPointWithinFivePixelsAndAddOthersInOrder) {
  struct Case { int x, y; bool grabs; double grabbedX; };
  const Case cases[] = {{52, 54, true, 50}, {53, 54, false, 0}, {47, 54, false, 0},
                        {54, 50, true, 50}, {55, 50, true, 58}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    window->StopUserDrawing();
    window->StartUserDrawing(0);
    Click(58, 50);
    Click(50, 50);  // equally near to (54, 50): the first in the list wins
    Send(QEvent::MouseButtonPress, c.x, c.y);
    ASSERT_EQ(window->GetDraggedNode() != nullptr, c.grabs);
    if (c.grabs) {
      EXPECT_EQ(window->GetDraggedNode()->x, c.grabbedX);
    }
    EXPECT_EQ(Points().size(), c.grabs ? 2u : 3u);
    Send(QEvent::MouseButtonRelease, c.x, c.y);
    const auto points = Points();
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end()));
  }
  Click(50, 90);  // on a point's x: nothing is added
  EXPECT_EQ(Points().size(), 2u);
}

TEST_F(UserDrawing, DraggedPointStaysBetweenItsNeighboursAndShowsTheDeleteCursorOutside) {
  struct Case { int x, y; double nx, ny; bool visible; };
  const Case cases[] = {{95, 52, 79, 52, true},   {10, 48, 41, 48, true}, {62, -7, 62, 0, false},
                        {62, 150, 62, 100, false}, {62, 30, 62, 30, true}};
  MainForm->SetDrawCursor(*window);
  for (int x : {40, 60, 80}) Click(x, 50);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    Send(QEvent::MouseButtonPress, 61, 51);  // grabbed one pixel off: the offset is kept
    Send(QEvent::MouseMove, c.x + 1, c.y + 1);
    const TDrawNode* n = window->GetDraggedNode();
    EXPECT_EQ(std::make_pair(n->x, n->y), std::make_pair(c.nx, c.ny));
    EXPECT_EQ(n->visible, c.visible);
    EXPECT_EQ(ClientShows(crDelete), !c.visible);
    Send(QEvent::MouseMove, 61, 51);  // back to where it was grabbed, then let go
    Send(QEvent::MouseButtonRelease, 61, 51);
    EXPECT_TRUE(window->cursor().pixmap().cacheKey() == CursorOf(crDraw).pixmap().cacheKey());
    EXPECT_EQ(Points()[1], std::make_pair(60.0, 50.0));
  }
}

TEST_F(UserDrawing, ReleasedOutsideDeletesThePointAndTheSoundFollowsTheRest) {
  for (int x : {20, 100, 180}) Click(x, 50);
  Send(QEvent::MouseButtonPress, 100, 50);
  Send(QEvent::MouseMove, 100, -3);
  Send(QEvent::MouseButtonRelease, 100, -3);
  EXPECT_EQ(Points(), (std::vector<std::pair<double, double>>{{20, 50}, {180, 50}}));
  EXPECT_EQ(Samples(*doc), Expected(0));
  EXPECT_FALSE(ClientShows(crDelete));
}

TEST_F(UserDrawing, OnePointChangesNothingAndTwoMakeOneSecondOfEitherCurve) {
  Click(0, 0);
  EXPECT_EQ(doc->GetValues(), 0);
  Click(199, 100);
  for (uint8_t type : {uint8_t{0}, uint8_t{1}}) {
    SCOPED_TRACE(int(type));
    window->SetDrawType(type);
    const std::vector<int16_t> s = Samples(*doc);
    ASSERT_EQ(s.size(), size_t(kRate));
    EXPECT_EQ(s, Expected(type));
    EXPECT_EQ(s.front(), 32767);
    EXPECT_TRUE(std::is_sorted(s.rbegin(), s.rend()));  // falling all the way
    // Linear falls evenly; smooth starts flat and is steepest in the middle.
    const int start = s[0] - s[400], middle = s[3800] - s[4200];
    if (type == 0) {
      EXPECT_NEAR(start, middle, 2);
    } else {
      EXPECT_LT(start * 4, middle);
    }
  }
}

TEST_F(UserDrawing, ResizeScalesThePointsWithTheClient) {
  Click(50, 20);
  Click(150, 80);
  ResizeClient(*window, *window->ClientArea(), QSize(400, 202));
  const std::vector<std::pair<double, double>> scaled{{100, 40}, {300, 160}};
  ASSERT_EQ(Points().size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_NEAR(Points()[i].first, scaled[i].first, 1e-9);
    EXPECT_NEAR(Points()[i].second, scaled[i].second, 1e-9);
  }
}

TEST_F(UserDrawing, StoppingDropsThePointsKeepsTheSoundAndUndoesAsOneChange) {
  EXPECT_THROW(window->StartUserDrawing(1), AssertionFailure);
  Click(10, 10);
  Click(190, 90);
  const std::vector<int16_t> drawn = Samples(*doc);
  window->StopUserDrawing();
  EXPECT_EQ(window->GetFirstNode(), nullptr);
  EXPECT_EQ(Samples(*doc), drawn);
  EXPECT_EQ(doc->GetState(), kUnitStateModified);
  EXPECT_THROW(window->StopUserDrawing(), AssertionFailure);
  form->UndoUnit.Restore();
  EXPECT_EQ(doc->GetValues(), 0);
  form->UndoUnit.Restore();
  EXPECT_EQ(Samples(*doc), drawn);
}

TEST_F(UserDrawing, PictureOfAWaveBeingDrawnIsSavedInTheBuildFolder) {
  ResizeClient(*window, *window->ClientArea(), QSize(400, 200));
  window->SetDrawType(1);
  for (auto [x, y] : {std::pair{10, 100}, {90, 20}, {200, 170}, {300, 60}, {390, 100}}) Click(x, y);
  EXPECT_EQ(window->Canvas().pixelColor(90, 20), QColor::fromRgb(PixelCanvas::ToRgb(
                                                       window->GetWaveViewProps().SingleWaveColor)));
  const std::string path = std::string(KORVALEN_BUILD_DIR) + "/user-drawing.png";
  ASSERT_TRUE(window->grab().save(QString::fromStdString(path)));
  EXPECT_GT(std::filesystem::file_size(path), 1000u);
}

}  // namespace
