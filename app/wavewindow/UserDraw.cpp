// The wave window's drawing mode: the user places, drags and deletes control points with the left
// button, and after every change the document makes one second of sound from the curve through
// them, which the window shows stretched between the first and the last point.
#include <QPainter>
#include <cmath>

#include "app/wavewindow/ChildWave.h"
#include "app/wavewindow/WindowHost.h"
#include "foundation/assertion.h"
#include "gui/canvas.h"
#include "gui/cursors.h"
#include "wave/drawnode.h"
#include "wave/sound.h"
#include "wave/unitwave.h"

namespace {

constexpr const char* kAssertUnit = "ChildWin";

// A press nearer than this to a point grabs it instead of adding one.
constexpr double kGrabDistance = 5.0;
// A point is drawn as a 7 x 7 circle around its pixel.
constexpr int32_t kNodeBefore = 3;
constexpr int32_t kNodeAfter = 4;

int32_t Trunc(double v) { return static_cast<int32_t>(v); }

QColor ToQColor(uint32_t bgr) { return QColor::fromRgb(PixelCanvas::ToRgb(bgr)); }

void DrawNode(QImage& image, const TDrawNode& node, uint32_t penColour, uint32_t brushColour) {
  if (!node.visible) return;
  const int32_t left = Trunc(node.x - kNodeBefore);
  const int32_t top = Trunc(node.y - kNodeBefore);
  const int32_t right = Trunc(node.x + kNodeAfter);
  const int32_t bottom = Trunc(node.y + kNodeAfter);
  {
    QPainter painter(&image);
    painter.setPen(ToQColor(penColour));
    painter.setBrush(ToQColor(brushColour));
    // The painter's outline covers one pixel more than the rectangle in each direction.
    painter.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
  }
  PixelCanvas(image).SetPixel(Trunc(node.x), Trunc(node.y), penColour);
}

}  // namespace

void TMDIChildWave::StartUserDrawing(uint8_t drawType) {
  const bool UserDrawing = FUserDrawing;  // named so that the trap reads as the flag
  KV_ASSERT(!UserDrawing);
  DrawType = drawType;
  FUserDrawing = true;
  Selecting = false;
  // The points are placed in the client as it is now; a size kept from an earlier drawing would
  // scale them at the next resize by a change they never saw.
  LastClientRect = ClientRect();
}

void TMDIChildWave::StopUserDrawing() {
  const bool UserDrawing = FUserDrawing;
  KV_ASSERT(UserDrawing);
  DeleteDrawNodes();
  FUserDrawing = false;
  ShowDragCursor();
}

void TMDIChildWave::SetDrawType(uint8_t drawType) {
  DrawType = drawType;
  ApplyUserDrawing();
  Redraw();
}

void TMDIChildWave::DeleteDrawNodes() {
  while (FirstNode != nullptr) DeleteDrawNode(FirstNode);
  // A drag cut short by the end of the drawing must not reach a freed point.
  DraggedNode = nullptr;
}

void TMDIChildWave::DeleteDrawNode(TDrawNode* node) {
  KV_ASSERT(node != nullptr);
  if (node->prev != nullptr) {
    node->prev->next = node->next;
  } else {
    FirstNode = node->next;
  }
  if (node->next != nullptr) node->next->prev = node->prev;
  if (DraggedNode == node) DraggedNode = nullptr;
  delete node;
}

void TMDIChildWave::DrawMouseDown(int32_t x, int32_t y, Qt::KeyboardModifiers) {
  TDrawNode* nearest = nullptr;
  double nearestDistance = kGrabDistance;
  for (TDrawNode* node = FirstNode; node != nullptr; node = node->next) {
    const double distance = node->Distance(x, y);
    if (distance < nearestDistance) {
      nearest = node;
      nearestDistance = distance;
    }
  }
  if (nearest != nullptr) {
    DraggedNode = nearest;
    GrabDX = Trunc(nearest->x - x);
    GrabDY = Trunc(nearest->y - y);
    return;
  }

  // The list stays strictly increasing in x: a press on the x of a point adds nothing.
  TDrawNode* before = nullptr;
  TDrawNode* after = FirstNode;
  while (after != nullptr && after->x < x) {
    before = after;
    after = after->next;
  }
  if (after == nullptr || after->x != x) {
    auto* node = new TDrawNode(x, y);
    node->prev = before;
    node->next = after;
    if (before != nullptr) {
      before->next = node;
    } else {
      FirstNode = node;
    }
    if (after != nullptr) after->prev = node;
  }
  ApplyUserDrawing();
  Redraw();
}

void TMDIChildWave::DrawMouseMove(int32_t x, int32_t y, Qt::KeyboardModifiers) {
  if (DraggedNode == nullptr) return;
  const QRect client = ClientRect();
  const int32_t left = client.left();
  const int32_t top = client.top();
  const int32_t right = client.left() + client.width();
  const int32_t bottom = client.top() + client.height();

  double nx = static_cast<double>(x) + GrabDX;
  double ny = static_cast<double>(y) + GrabDY;
  if (DraggedNode->next != nullptr && DraggedNode->next->x <= nx) nx = DraggedNode->next->x - 1;
  if (DraggedNode->prev != nullptr && DraggedNode->prev->x >= nx) nx = DraggedNode->prev->x + 1;
  if (ny >= bottom) {
    DraggedNode->visible = false;
    ny = bottom - 1;
  } else if (ny < top) {
    DraggedNode->visible = false;
    ny = top;
  } else {
    DraggedNode->visible = true;
  }
  if (nx >= right) nx = right - 1;
  if (nx < left) nx = left;
  DraggedNode->x = nx;
  DraggedNode->y = ny;
  ShowDragCursor();
  ApplyUserDrawing();
  Redraw();
}

void TMDIChildWave::DrawMouseUp(int32_t, int32_t y, Qt::KeyboardModifiers) {
  if (DraggedNode != nullptr) {
    const QRect client = ClientRect();
    const int64_t released = static_cast<int64_t>(y) + GrabDY;
    if (released >= client.top() + client.height() || released < client.top()) {
      DeleteDrawNode(DraggedNode);
    }
  }
  DraggedNode = nullptr;
  ShowDragCursor();
  ApplyUserDrawing();
  Redraw();
}

void TMDIChildWave::ShowDragCursor() {
  // The window itself keeps the drawing cursor; the client only overrides it for a point that a
  // release would delete.
  const bool outside = FUserDrawing && DraggedNode != nullptr && !DraggedNode->visible;
  SetWidgetCursor(*ClientArea(), outside ? crDelete : crDefault);
}

void TMDIChildWave::RescaleDrawNodes() {
  const QRect client = ClientRect();
  if (LastClientRect.width() == 0 || LastClientRect.height() == 0) {
    LastClientRect = client;
    return;
  }
  // A client without width or height (a minimised window) has no size to scale to: scaling the
  // points onto it would squash them for good, as the next resize scales from the empty size.
  if (client.width() == 0 || client.height() == 0) return;
  const double fx = static_cast<double>(client.width()) / LastClientRect.width();
  const double fy = static_cast<double>(client.height()) / LastClientRect.height();
  for (TDrawNode* node = FirstNode; node != nullptr; node = node->next) {
    node->x *= fx;
    node->y *= fy;
  }
  LastClientRect = client;
}

void TMDIChildWave::ApplyUserDrawing() {
  TUnitWave* document = GetUnitWave();
  if (FirstNode == nullptr || document == nullptr) return;
  const TDrawNode* last = FirstNode;
  while (last->next != nullptr) last = last->next;
  const QRect client = ClientRect();
  document->MakeDrawnWave(Trunc(FirstNode->x), client.top(), Trunc(last->x),
                          client.top() + client.height(), FirstNode, DrawType);
}

void TMDIChildWave::DrawUserDrawing(const QRect& client) {
  FillBackground(client);
  const TUnitWave* document = GetUnitWave();
  if (document != nullptr && FirstNode != nullptr && FirstNode->next != nullptr) {
    const TDrawNode* last = FirstNode->next;
    while (last->next != nullptr) last = last->next;
    const int32_t left = Trunc(FirstNode->x);
    const int32_t right = Trunc(last->x);
    const QRect band(left, client.top(), right - left, client.height());
    bool abort = false;
    bool copied = false;
    const ChannelHold mono(document->GetSound()->GetMonoWave(abort, copied), copied);
    const int32_t values = document->GetValues();
    DrawChannel(mono.get(), 0, values - 1, band, WaveViewProps.SingleWaveColor,
                WaveViewProps.BackgroundColor);
  }
  for (const TDrawNode* node = FirstNode; node != nullptr; node = node->next) {
    DrawNode(canvas_, *node, WaveViewProps.SingleWaveColor, WaveViewProps.GridColor);
  }
}
