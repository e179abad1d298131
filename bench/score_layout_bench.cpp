// Laying out and drawing a whole score: 4 staves of 100 bars with chords, beams and accidentals.
// The layout draws as it goes, so it is timed once on a canvas that drops every call (layout
// alone) and once on the window's picture canvas (layout and drawing); the difference is the
// drawing.
#if __has_include(<QImage>)

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <memory>

#include "gui/canvas.h"
#include "music/muzwindow.h"
#include "music/stavedraw.h"
#include "tests/music/generated_score.h"

namespace {

class NullCanvas : public MuzCanvas {
 public:
  void SetPen(uint32_t, int32_t) override {}
  void SetBrush(uint32_t, MuzBrushStyle) override {}
  void FillRect(int32_t, int32_t, int32_t, int32_t) override {}
  void Line(int32_t, int32_t, int32_t, int32_t) override {}
  void Polygon(const std::vector<MuzPoint>&) override {}
  void Ellipse(int32_t, int32_t, int32_t, int32_t) override {}
  void Text(int32_t, int32_t, const std::string&, const MuzFont&, bool) override {}
};

std::unique_ptr<QGuiApplication> EnsureApplication() {
  static int argc = 1;
  static char name[] = "korvalen_bench";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() != nullptr) return nullptr;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  return std::make_unique<QGuiApplication>(argc, argv);
}

struct BenchScore {
  TUnitMuz unit{"bench.kvm"};
  int32_t bottom = 0;

  BenchScore(int32_t staves, int32_t bars) {
    TNoteStave* last = nullptr;
    for (int32_t i = 0; i < staves; ++i) last = unit.AddDefaultStave(last);
    unit.GetStartPartMuz()->SetPartMuz(GeneratedSingle(unit, bars));
  }
  void Draw(MuzCanvas& canvas, const ClientRect& client) {
    MuzStaveWindow window(unit, 10);
    bottom = window.StartLayout(0);
    for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext()) {
      DrawStaveBackground(canvas, StaveBandOf(*stave), client);
    }
    window.DrawParts(canvas);
    for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext()) {
      DrawStaveLines(canvas, StaveBandOf(*stave), client);
    }
  }
};

void ScoreLayoutOnly(benchmark::State& state) {
  BenchScore score(4, 100);
  NullCanvas canvas;
  for (auto _ : state) score.Draw(canvas, {0, 0, 20000, 640});
}
BENCHMARK(ScoreLayoutOnly)->Unit(benchmark::kMillisecond);

void ScoreLayoutAndDrawing(benchmark::State& state) {
  const auto application = EnsureApplication();
  BenchScore score(4, 100);
  NullCanvas measure;
  score.Draw(measure, {});
  const int32_t width = score.unit.GetStartStave()->GetDrawX() + 40;
  QImage image(width, score.bottom, QImage::Format_RGB32);
  PixelCanvas canvas(image);
  for (auto _ : state) score.Draw(canvas, {0, 0, width, score.bottom});
}
BENCHMARK(ScoreLayoutAndDrawing)->Unit(benchmark::kMillisecond);


}  // namespace

#endif
