// Drawing a wave through control points with the mouse: grabbing, adding, dragging and deleting
// points, the sound the document makes from them, the cursor, rescaling, and the undo record
// that drawing leaves alone.
#include <QMdiArea>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>

#include "app/wavewindow/ChildWave.h"
#include "app/fakes/main_window.h"
#include "foundation/assertion.h"
#include "support/picture.h"
#include "support/samples.h"
#include "wave/drawnode.h"
#include "wave/unitwave.h"

namespace {

using Nodes = std::vector<std::pair<double, double>>;

std::vector<int16_t> Samples(const TUnitWave& unit) {
  const Wave* w = unit.GetSound()->GetLeftWave();
  return std::vector<int16_t>(w->wave, w->wave + w->values);
}

class UserDrawing : public MainWindowTest {
 protected:
  UserDrawing() : MainWindowTest("userdraw") {}
  void SetUp() override {
    MainWindowTest::SetUp();
    auto unit = std::make_unique<TUnitWave>("d.wav", std::make_unique<MonoSound>(8000, 2));
    doc = unit.get();
    window = form->CreateMDIChildWave("d", std::move(unit), {}, {});
    ResizeClient(*window, *window->ClientArea(), QSize(200, 101));
    form->DrawWaveLinExecute();  // the command sets the window's cursor and starts drawing
  }
  void Mouse(QEvent::Type type, int x, int y) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(x, y), QPointF(x, y), button, held, Qt::NoModifier);
    QApplication::sendEvent(window->ClientArea(), &event);
  }
  void Drag(int x, int y, int toX, int toY) {
    Mouse(QEvent::MouseButtonPress, x, y);
    Mouse(QEvent::MouseMove, toX, toY);
    Mouse(QEvent::MouseButtonRelease, toX, toY);
  }
  Nodes Points() const {
    Nodes points;
    for (const TDrawNode* n = window->GetFirstNode(); n; n = n->next) points.emplace_back(n->x, n->y);
    return points;
  }
  // What a fresh document makes of the same points, client and curve type.
  std::vector<int16_t> Expected(uint8_t type) const {
    TUnitWave fresh("", waveFileProps(1, 8000, 2));
    fresh.MakeDrawnWave(int32_t(Points().front().first), 0, int32_t(Points().back().first), 101,
                        window->GetFirstNode(), type);
    return Samples(fresh);
  }
  bool Shows(TCursor id) const {
    return window->ClientArea()->cursor().pixmap().cacheKey() == CursorOf(id).pixmap().cacheKey();
  }
  TUnitWave* doc = nullptr;
  TMDIChildWave* window = nullptr;
};

TEST_F(UserDrawing, PressesGrabTheNearestPointWithinFivePixelsAndAddOthersInOrder) {
  const std::tuple<int, int, double> cases[] = {{52, 54, 50}, {53, 54, -1}, {54, 50, 50},
                                                {55, 50, 58}};  // -1: adds
  for (auto [x, y, grabbed] : cases) {
    SCOPED_TRACE(testing::Message() << x << "," << y);
    window->StopUserDrawing();
    window->StartUserDrawing(0);
    Drag(58, 50, 58, 50);
    Drag(50, 50, 50, 50);  // as near to (54, 50) as (58, 50): the first in the list wins
    Mouse(QEvent::MouseButtonPress, x, y);
    const TDrawNode* dragged = window->GetDraggedNode();
    EXPECT_EQ(dragged ? dragged->x : -1, grabbed);
    const Nodes points = Points();
    EXPECT_TRUE(points.size() == (dragged ? 2u : 3u) && std::is_sorted(points.begin(), points.end()));
    Mouse(QEvent::MouseButtonRelease, x, y);
  }
  Drag(50, 90, 50, 90);  // on a point's x: nothing is added
  EXPECT_EQ(Points().size(), 2u);
}

TEST_F(UserDrawing, DraggedPointStaysBetweenItsNeighboursAndIsDeletedWhenReleasedOutside) {
  struct Case { int x, y; double nx, ny; bool visible; };
  const Case cases[] = {{95, 52, 79, 52, true}, {10, 48, 41, 48, true}, {62, -7, 62, 0, false},
                        {62, 150, 62, 100, false}};
  for (int x : {40, 60, 80}) Drag(x, 50, x, 50);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    Mouse(QEvent::MouseButtonPress, 61, 51);  // grabbed a pixel off: the offset is kept
    Mouse(QEvent::MouseMove, c.x + 1, c.y + 1);
    const TDrawNode* n = window->GetDraggedNode();
    EXPECT_EQ(std::make_tuple(n->x, n->y, n->visible), std::make_tuple(c.nx, c.ny, c.visible));
    EXPECT_EQ(Shows(crDelete), !c.visible);
    Mouse(QEvent::MouseMove, 61, 51);
    Mouse(QEvent::MouseButtonRelease, 61, 51);
    EXPECT_TRUE(Shows(crDraw));
    EXPECT_EQ(Points()[1], std::make_pair(60.0, 50.0));
  }
  Drag(60, 50, 60, -3);
  EXPECT_EQ(Points(), (Nodes{{40, 50}, {80, 50}}));
  EXPECT_EQ(Samples(*doc), Expected(0));
}

TEST_F(UserDrawing, OnePointChangesNothingAndTwoMakeOneSecondOfEitherCurveWhichIsPictured) {
  Drag(0, 0, 0, 0);
  EXPECT_EQ(doc->GetValues(), 0);
  Drag(199, 100, 199, 100);
  for (uint8_t type : {1, 0}) {
    window->SetDrawType(type);
    EXPECT_EQ(Samples(*doc), Expected(type));
    EXPECT_EQ(std::pair(Samples(*doc).size(), Samples(*doc).front()), std::pair(size_t{8000}, int16_t{32767}));
  }
  for (auto [x, y] : {std::pair{60, 20}, {100, 90}, {150, 35}}) Drag(x, y, x, y);
  QTest::keyClick(window->ClientArea(), Qt::Key_End);  // the keys select nothing meanwhile
  EXPECT_EQ(doc->GetSelCursor(), 0);
  // The points and the curve through them (see support/picture.h for a changed picture); a
  // selection made meanwhile does not show.
  for (const int32_t end : {0, 4000}) {
    doc->SetSelEnds(end, 100);
    ExpectPicture(std::filesystem::path(__FILE__).parent_path() / "../data", "userdraw-curve",
                  window->Canvas());
  }
}

TEST_F(UserDrawing, ResizeScalesThePointsAndStoppingKeepsTheDrawingWithoutAnUndoRecord) {
  EXPECT_THROW(window->StartUserDrawing(1), AssertionFailure);
  for (int x : {50, 150}) Drag(x, x / 2, x, x / 2);
  ResizeClient(*window, *window->ClientArea(), QSize(400, 202));
  Nodes scaled = Points();  // the client may pass through other sizes on the way
  for (auto& [x, y] : scaled) x = std::round(x * 1e6) / 1e6, y = std::round(y * 1e6) / 1e6;
  EXPECT_EQ(scaled, (Nodes{{100, 50}, {300, 150}}));
  const std::vector<int16_t> drawn = Samples(*doc);
  form->DrawWaveLinExecute();
  EXPECT_THROW(window->StopUserDrawing(), AssertionFailure);
  EXPECT_EQ(std::make_pair(window->GetFirstNode(), doc->GetState()),
            std::make_pair(static_cast<const TDrawNode*>(nullptr), kUnitStateModified));
  EXPECT_FALSE(Command("Undo"));
  EXPECT_EQ(Samples(*doc), drawn);
}

TEST_F(UserDrawing, DrawingLeavesEveryUndoRecordAloneAndItsOwnWaitsForTheDrawingToEnd) {
  // Another document's record lives through a drawing, while it goes on and once it has ended;
  // Undo is offered for it both times.
  TUnitWave* other = OpenNamed("a", std::make_unique<MonoSound>(MakeWave(Ramp(100)), 8000, 2));
  for (const bool end : {false, true}) {
    SCOPED_TRACE(end ? "ended" : "going on");
    form->MdiArea()->setActiveSubWindow(form->ChildOfUnit(other));
    other->SetSelRange(10, 20);
    EXPECT_TRUE(Command("EditDelete"));
    form->MdiArea()->setActiveSubWindow(window);
    for (int x : {20, 180}) Drag(x, x / 2, x, x / 2);
    if (end) {
      EXPECT_TRUE(Command("DrawWaveLin") && !window->UserDrawing());
    }
    EXPECT_TRUE(Command("Undo"));
    EXPECT_EQ(other->GetValues(), 100);
  }
  const std::vector<int16_t> first = Samples(*doc);

  // The drawing document's own record, made when its sound was deleted, waits: Undo is not
  // offered while the drawing goes on, then exchanges, and a second Undo gives the drawing back.
  doc->SetSelRange(0, doc->GetValues());
  EXPECT_TRUE(Command("EditDelete"));
  EXPECT_TRUE(Command("DrawWave3G"));
  for (int x : {30, 170}) Drag(x, 100 - x / 2, x, 100 - x / 2);
  const std::vector<int16_t> second = Samples(*doc);
  EXPECT_FALSE(Command("Undo"));
  EXPECT_EQ(Samples(*doc), second);
  Command("DrawWave3G");
  EXPECT_TRUE(Command("Undo"));
  EXPECT_EQ(Samples(*doc), first);
  EXPECT_TRUE(Command("Undo"));
  EXPECT_EQ(Samples(*doc), second);
}

}  // namespace
