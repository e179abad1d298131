// What a music document asks of the window that shows it. The music window implements it; tests
// use a fake that records the calls.
#pragma once

#include <cstdint>

class MuzView {
 public:
  virtual ~MuzView() = default;
  // The whole score again.
  virtual void Redraw() = 0;
  // The main window's status panels for this document's selection.
  virtual void ShowStatus() = 0;
  // --- bringing the selection into view ---
  // Scrolls so that the horizontal range, or the vertical band, lies in the visible middle. A
  // window that cannot scroll leaves them alone.
  virtual void ScrollIntoViewX(int32_t /*left*/, int32_t /*right*/) {}
  virtual void ScrollIntoViewY(int32_t /*top*/, int32_t /*bottom*/) {}
};
