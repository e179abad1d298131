// A wave window that records every call a document makes of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wave/waveview.h"

class RecordingView : public WaveView {
 public:
  struct Stripe {
    int32_t first;
    int32_t last;
    bool selected;
    bool operator==(const Stripe&) const = default;
  };

  void Redraw() override { calls.push_back("Redraw"); }
  void RedrawSamples(int32_t first, int32_t last, bool selected) override {
    stripes.push_back({first, last, selected});
    calls.push_back("RedrawSamples");
  }
  void RedrawSample(int32_t position) override {
    columns.push_back(position);
    calls.push_back("RedrawSample");
  }
  void SaveZoom(int32_t begin, int32_t end) override {
    calls.push_back("SaveZoom " + std::to_string(begin) + " " + std::to_string(end));
  }
  void RestoreZoom(int32_t begin, int32_t end) override {
    calls.push_back("RestoreZoom " + std::to_string(begin) + " " + std::to_string(end));
  }
  void SetIconForChannels(int16_t channels) override { calls.push_back("Icon " + std::to_string(channels)); }
  bool UserDrawing() const override { return userDrawing; }
  uint8_t ViewMode() const override { return viewMode; }

  void Clear() {
    calls.clear();
    stripes.clear();
    columns.clear();
  }

  std::vector<std::string> calls;
  std::vector<Stripe> stripes;
  std::vector<int32_t> columns;
  bool userDrawing = false;
  uint8_t viewMode = 0;
};
