// A control point of the wave window's drawing mode. The window owns the doubly linked list and
// keeps it sorted by x; the wave document reads it to build the drawn sound.
#pragma once

#include <cmath>

class TDrawNode {
 public:
  TDrawNode(double x, double y) : x(x), y(y) {}

  // How far a mouse position is from the point, in pixels.
  double Distance(double px, double py) const { return std::sqrt((px - x) * (px - x) + (py - y) * (py - y)); }

  double x;              // client pixels
  double y;              // client pixels, growing downwards
  bool visible = true;   // false while the point is dragged beyond the top or bottom edge
  TDrawNode* next = nullptr;  // the next point to the right
  TDrawNode* prev = nullptr;
};
