// A music window that records what its document asked of it, in order.
#pragma once

#include <string>
#include <vector>

#include "music/muzview.h"

class RecordingMuzView : public MuzView {
 public:
  void Redraw() override { calls.push_back("Redraw"); }
  void ShowStatus() override { calls.push_back("ShowStatus"); }

  std::vector<std::string> calls;
};
