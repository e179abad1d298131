// The score window's callbacks over the document's staves, recording each call.
#pragma once

#include <vector>

#include "music/muzwindow.h"

class RecordingMuzWindow : public MuzStaveWindow {
 public:
  using MuzStaveWindow::MuzStaveWindow;

  void SetStavesX(int32_t x) override {
    stavesX.push_back(x);
    MuzStaveWindow::SetStavesX(x);
  }
  void DrawUpToBar(MuzCanvas& canvas, TMuzBar& bar, double& barTime, bool& flag) override {
    barTimes.push_back(barTime);
    MuzStaveWindow::DrawUpToBar(canvas, bar, barTime, flag);
  }

  std::vector<int32_t> stavesX;
  std::vector<double> barTimes;
};
