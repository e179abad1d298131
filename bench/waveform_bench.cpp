// Full repaints of the waveform view of a one-hour stereo sound at 44100 Hz into a 1920 x 400
// picture, fully zoomed out and fully zoomed in: a repaint reads a fixed number of samples per
// column, so both must stay well inside one frame (16 ms).
#include <QApplication>
#include <memory>

#include "app/wavewindow/ChildWave.h"
#include "bench_util.h"
#include "foundation/random.h"
#include "wave/sound.h"
#include "wave/unitwave.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 400;
constexpr int32_t kRate = 44100;
constexpr int64_t kHourValues = int64_t{3600} * kRate;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "korvalen_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// The scroll bar comes and goes with the zoom: the client area is sized again each time.
bool SizeClient(TMDIChildWave& window) {
  QWidget* client = window.ClientArea();
  for (int attempt = 0; attempt < 3 && client->size() != QSize(kWidth, kHeight); ++attempt) {
    window.resize(window.size() + QSize(kWidth, kHeight) - client->size());
    QApplication::processEvents();
  }
  return client->size() == QSize(kWidth, kHeight);
}

// One window on the hour-long document; built once.
TMDIChildWave& HourWindow() {
  static TMDIChildWave* window = [] {
    Application();
    auto sound = std::make_unique<StereoSound>(MakeBenchWave(kHourValues),
                                               MakeBenchWave(kHourValues), kRate, 2);
    auto* w = new TMDIChildWave(nullptr, std::make_unique<TUnitWave>("", std::move(sound)),
                                TWaveViewProps(), TVoldViewProps());
    w->show();
    return w;
  }();
  return *window;
}

// Repaints with `props`, zoomed in deeply when `zoomed` (the scroll bar's deepest window around
// the sound's middle), else showing the whole hour.
void Repaint(benchmark::State& state, const TWaveViewProps& props, bool zoomed) {
  TMDIChildWave& window = HourWindow();
  window.SetWaveViewProps(props);
  const int32_t middle = static_cast<int32_t>(kHourValues / 2);
  if (zoomed) {
    window.SetScroll(middle, middle + 1);
  } else {
    window.HideScroll();
  }
  if (!SizeClient(window)) {
    state.SkipWithError("the client area could not be sized");
    return;
  }
  RandomSeed(1);
  for (auto _ : state) {
    window.Redraw();
    benchmark::DoNotOptimize(window.Canvas().constBits());
  }
  state.counters["view samples"] = window.GetViewEnd() - window.GetViewBegin();
}

TWaveViewProps Lines(uint8_t twoWaves) {
  TWaveViewProps props;
  props.TwoWaves = twoWaves;
  return props;
}

TWaveViewProps BlendedRandomPoints() {
  TWaveViewProps props;
  props.DrawKind = 1;
  props.Distribution = 1;
  props.Strength = unitFactorPosMore(0.5, kUnitNone);
  return props;
}

}  // namespace

static void BM_WaveformHourZoomedOut(benchmark::State& state) { Repaint(state, Lines(1), false); }
BENCHMARK(BM_WaveformHourZoomedOut)->Unit(benchmark::kMillisecond);

static void BM_WaveformHourZoomedIn(benchmark::State& state) { Repaint(state, Lines(1), true); }
BENCHMARK(BM_WaveformHourZoomedIn)->Unit(benchmark::kMillisecond);

static void BM_WaveformHourCombinedZoomedOut(benchmark::State& state) {
  Repaint(state, Lines(0), false);
}
BENCHMARK(BM_WaveformHourCombinedZoomedOut)->Unit(benchmark::kMillisecond);

static void BM_WaveformHourBlendedRandomPointsZoomedOut(benchmark::State& state) {
  Repaint(state, BlendedRandomPoints(), false);
}
BENCHMARK(BM_WaveformHourBlendedRandomPointsZoomedOut)->Unit(benchmark::kMillisecond);
