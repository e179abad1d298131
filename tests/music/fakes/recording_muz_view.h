// A music window that records what its document asked of it, in order.
#pragma once

#include <string>
#include <vector>

#include "music/muzview.h"

class RecordingMuzView : public MuzView {
 public:
  void Redraw() override { calls.push_back("Redraw"); }
  void ShowStatus() override { calls.push_back("ShowStatus"); }
  // --- scrolling ---
  void ScrollIntoViewX(int32_t left, int32_t right) override {
    calls.push_back("ScrollX " + std::to_string(left) + " " + std::to_string(right));
  }
  void ScrollIntoViewY(int32_t top, int32_t bottom) override {
    calls.push_back("ScrollY " + std::to_string(top) + " " + std::to_string(bottom));
  }

  std::vector<std::string> calls;
};
