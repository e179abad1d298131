// What a wave document asks of the window that shows it. The wave window implements it; tests use
// a fake that records the calls. Positions are sample positions: the window maps them to columns.
#pragma once

#include <cstdint>

class WaveView {
 public:
  virtual ~WaveView() = default;
  // The whole client area in the present mode.
  virtual void Redraw() = 0;
  // The columns between two sample positions, drawn as selected or not.
  virtual void RedrawSamples(int32_t first, int32_t last, bool selected) = 0;
  // The column of one sample and the cursor line.
  virtual void RedrawSample(int32_t position) = 0;
  // The bracket around a change of the sound's length: the window keeps its zoom window at the
  // same distance from the changed stretch. The two calls alternate and never nest.
  virtual void SaveZoom(int32_t begin, int32_t end) = 0;
  virtual void RestoreZoom(int32_t begin, int32_t end) = 0;
  virtual void SetIconForChannels(int16_t channels) = 0;
  // The user is drawing the wave through control points.
  virtual bool UserDrawing() const = 0;
  // 0 waveform, 1 volume diagram.
  virtual uint8_t ViewMode() const = 0;
};
