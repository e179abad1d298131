// A canvas that keeps every drawing call with the pen and brush it was made with, so tests can
// check the shapes the score draws without looking at pixels.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "music/muzcanvas.h"

struct CanvasCall {
  enum Kind { FillRect, Line, Polygon, Ellipse, Text } kind;
  uint32_t penColour;
  int32_t penWidth;
  uint32_t brushColour;
  std::array<int32_t, 4> box;  // left, top, right, bottom; a line's ends; a text's point twice
  std::vector<MuzPoint> points;
  std::string text;
  MuzFont font;
  bool opaque;
};

class RecordingCanvas : public MuzCanvas {
 public:
  void SetPen(uint32_t colour, int32_t width) override { pen_ = colour, penWidth_ = width; }
  void SetBrush(uint32_t colour, MuzBrushStyle) override { brush_ = colour; }
  void FillRect(int32_t l, int32_t t, int32_t r, int32_t b) override { Add(CanvasCall::FillRect, {l, t, r, b}); }
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override { Add(CanvasCall::Line, {x1, y1, x2, y2}); }
  void Polygon(const std::vector<MuzPoint>& points) override { Add(CanvasCall::Polygon, {}).points = points; }
  void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) override { Add(CanvasCall::Ellipse, {l, t, r, b}); }
  void Text(int32_t x, int32_t y, const std::string& text, const MuzFont& font, bool opaque) override {
    CanvasCall& call = Add(CanvasCall::Text, {x, y, x, y});
    call.text = text, call.font = font, call.opaque = opaque;
  }

  std::vector<CanvasCall> Of(CanvasCall::Kind kind) const {
    std::vector<CanvasCall> found;
    for (const CanvasCall& call : calls) {
      if (call.kind == kind) found.push_back(call);
    }
    return found;
  }

  std::vector<CanvasCall> calls;

 private:
  CanvasCall& Add(CanvasCall::Kind kind, std::array<int32_t, 4> box) {
    return calls.emplace_back(CanvasCall{kind, pen_, penWidth_, brush_, box, {}, {}, {}, false});
  }

  uint32_t pen_ = 0, brush_ = 0;
  int32_t penWidth_ = 1;
};
