// A canvas that keeps every drawing call with the pen and brush it was made with, so tests can
// check the shapes the score draws without looking at pixels.
#pragma once

#include <string>
#include <vector>

#include "music/muzcanvas.h"

struct CanvasCall {
  enum Kind { FillRect, Line, Polygon, Ellipse, Text } kind;
  uint32_t penColour;
  int32_t penWidth;
  uint32_t brushColour;
  MuzBrushStyle brushStyle;
  int32_t left, top, right, bottom;  // the line's ends for Line, the point for Text
  std::vector<MuzPoint> points;
  std::string text;
  MuzFont font;
  bool opaque;
};

class RecordingCanvas : public MuzCanvas {
 public:
  void SetPen(uint32_t colour, int32_t width) override {
    penColour_ = colour;
    penWidth_ = width;
  }
  void SetBrush(uint32_t colour, MuzBrushStyle style) override {
    brushColour_ = colour;
    brushStyle_ = style;
  }
  void FillRect(int32_t l, int32_t t, int32_t r, int32_t b) override { Add(CanvasCall::FillRect, l, t, r, b); }
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override { Add(CanvasCall::Line, x1, y1, x2, y2); }
  void Polygon(const std::vector<MuzPoint>& points) override { Add(CanvasCall::Polygon, 0, 0, 0, 0).points = points; }
  void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) override { Add(CanvasCall::Ellipse, l, t, r, b); }
  void Text(int32_t x, int32_t y, const std::string& text, const MuzFont& font, bool opaque) override {
    CanvasCall& call = Add(CanvasCall::Text, x, y, x, y);
    call.text = text;
    call.font = font;
    call.opaque = opaque;
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
  CanvasCall& Add(CanvasCall::Kind kind, int32_t l, int32_t t, int32_t r, int32_t b) {
    calls.push_back({kind, penColour_, penWidth_, brushColour_, brushStyle_, l, t, r, b, {}, {}, {}, false});
    return calls.back();
  }

  uint32_t penColour_ = 0;
  int32_t penWidth_ = 1;
  uint32_t brushColour_ = 0;
  MuzBrushStyle brushStyle_ = MuzBrushStyle::Solid;
};
