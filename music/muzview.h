// What a music document asks of the window that shows it. The music window implements it; tests
// use a fake that records the calls.
#pragma once

class MuzView {
 public:
  virtual ~MuzView() = default;
  // The whole score again.
  virtual void Redraw() = 0;
  // The main window's status panels for this document's selection.
  virtual void ShowStatus() = 0;
};
