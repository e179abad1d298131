// The volume diagram of a 10-second stereo view at 44100 Hz painted into 1920 x 400 with 200
// rows per diagram, beside a plain multiply-add loop over as many rows and samples: the diagram's
// rate in row-steps (one row fed one sample) per second should stay within reach of the loop's.
#include <QApplication>
#include <memory>
#include <vector>

#include "app/wavewindow/ChildWave.h"
#include "bench_util.h"
#include "wave/sound.h"
#include "wave/unitwave.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 400;
constexpr int kRows = 200;
constexpr int32_t kRate = 44100;
constexpr int64_t kValues = int64_t{10} * kRate;
constexpr double kRowSteps = static_cast<double>(kValues) * 2 * kRows;

void CountRowSteps(benchmark::State& state) {
  state.counters["row-steps/s"] = benchmark::Counter(
      kRowSteps * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void VoldTenSecondsStereo(benchmark::State& state) {
  // The application object is this benchmark's own unless another one made it first.
  static int argc = 1;
  static char name[] = "korvalen_bench";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QApplication> application;
  if (QCoreApplication::instance() == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application = std::make_unique<QApplication>(argc, argv);
  }
  TVoldViewProps props;
  props.VerticalResolution = unitIntegerPosMore(kRows, kUnitNone);
  auto sound =
      std::make_unique<StereoSound>(MakeBenchWave(kValues), MakeBenchWave(kValues), kRate, 2);
  {
    TMDIChildWave window(nullptr, std::make_unique<TUnitWave>("", std::move(sound)),
                         TWaveViewProps(), props);
    window.SetVoldViewProps(props);
    window.show();
    QWidget* client = window.ClientArea();
    for (int attempt = 0; attempt < 3 && client->size() != QSize(kWidth, kHeight); ++attempt) {
      window.resize(window.size() + QSize(kWidth, kHeight) - client->size());
      QApplication::processEvents();
    }
    if (client->size() != QSize(kWidth, kHeight)) {
      state.SkipWithError("the client area could not be sized");
      return;
    }
    for (auto _ : state) {
      window.Redraw();
      benchmark::DoNotOptimize(window.Canvas().constBits());
    }
  }
  CountRowSteps(state);
}

// The yardstick: each row takes one multiply-add per sample, over the same rows and samples.
void PlainMultiplyAdd(benchmark::State& state) {
  const WavePtr samples = MakeBenchWave(kValues);
  std::vector<float> acc(kRows, 0.0f);
  std::vector<float> keep(kRows, 0.999f);
  for (auto _ : state) {
    for (int channel = 0; channel < 2; ++channel) {
      for (int64_t s = 0; s < kValues; ++s) {
        const float v = samples->wave[s];
        float* __restrict a = acc.data();
        const float* __restrict k = keep.data();
        for (int i = 0; i < kRows; ++i) a[i] = a[i] * k[i] + v;
      }
    }
    benchmark::DoNotOptimize(acc.data());
  }
  CountRowSteps(state);
}

}  // namespace

BENCHMARK(VoldTenSecondsStereo)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainMultiplyAdd)->Unit(benchmark::kMillisecond);
