// The wave window's two pictures, the waveform and the volume diagram, compared pixel for pixel
// with reference images in tests/app/data/. The window draws through our own pixel canvas and no
// text, so the pixels are the same on every machine.
//
// A picture that changes on purpose is rewritten as support/picture.h says.
#include <QImage>
#include <QPainter>
#include <sys/mman.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/wavewindow/ChildWave.h"
#include "app/fakes/main_window.h"
#include "foundation/random.h"
#include "support/picture.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

using SampleAt = std::function<double(int32_t)>;

// `values` samples of `at` (full scale 1).
WavePtr MakeWave(int32_t values, const SampleAt& at) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, values);
  for (int32_t i = 0; i < values; ++i)
    w->wave[i] = static_cast<int16_t>(32767 * std::clamp(at(i), -1.0, 1.0));
  return w;
}
double Tone(int32_t i, double period) { return std::sin(2 * M_PI * i / period); }

// Samples that end where readable memory ends, so that a read past the last one crashes.
struct GuardedSamples {
  explicit GuardedSamples(int32_t values) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    bytes = (static_cast<size_t>(values) * 2 + page - 1) / page * page + page;
    memory = static_cast<char*>(
        mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    EXPECT_EQ(mprotect(memory + bytes - page, page, PROT_NONE), 0);
    data = reinterpret_cast<int16_t*>(memory + bytes - page) - values;
  }
  ~GuardedSamples() { munmap(memory, bytes); }
  size_t bytes = 0;
  char* memory = nullptr;
  int16_t* data = nullptr;
};

void ExpectPicture(const std::string& name, const QImage& drawn) {
  ExpectPicture(std::filesystem::path(__FILE__).parent_path() / "../data", name, drawn);
}

class WavePicture : public MainWindowTest {
 protected:
  WavePicture() : MainWindowTest("wavepicture") {}
  void SetUp() override {
    MainWindowTest::SetUp();
    RandomSeed(1);
  }

  void Open(SoundPtr sound, QSize size) {
    auto unit = std::make_unique<TUnitWave>("", std::move(sound));
    doc = unit.get();
    window = form->CreateMDIChildWave("caption", std::move(unit), wave, vold);
    ResizeClient(*window, *window->ClientArea(), size);
  }
  void Mono(WavePtr w, QSize size, int32_t rate = 44100) {
    Open(std::make_unique<MonoSound>(std::move(w), rate, 2), size);
  }
  void Stereo(WavePtr left, WavePtr right, QSize size) {
    Open(std::make_unique<StereoSound>(std::move(left), std::move(right), 44100, 2), size);
  }

  // Draws the whole picture in the present view and compares it with data/<name>.png; then a
  // repaint of the selection alone over a white picture must give the same selected columns.
  void Expect(const std::string& name, bool volume) {
    SCOPED_TRACE(name);
    volume ? window->SetVoldViewProps(vold) : window->SetWaveViewProps(wave);
    window->Redraw();
    const QImage drawn = window->Canvas().convertToFormat(QImage::Format_RGB32);
    ExpectPicture(name, drawn);
    const int32_t begin = doc->GetSelBegin(), end = doc->GetSelEnd();
    if (begin == end) return;
    window->FillBackground(window->ClientRect());  // white, in both pictures
    window->RedrawSamples(begin, end, true);
    std::vector<int> wrong;  // columns the repaint left different from the whole picture
    for (int x = 0; x < drawn.width(); ++x) {
      const bool inside = x >= window->SampleToX(begin) && x < window->SampleToX(end);
      const QImage column = window->Canvas().copy(x, 0, 1, drawn.height()).convertToFormat(QImage::Format_RGB32);
      if (inside ? column != drawn.copy(x, 0, 1, drawn.height())
                 : column.pixel(0, drawn.height() / 2) != qRgb(255, 255, 255)) {
        wrong.push_back(x);
      }
    }
    EXPECT_EQ(wrong, std::vector<int>{}) << "repainting samples " << begin << " to " << end;
  }

  TWaveViewProps wave;
  TVoldViewProps vold;
  TUnitWave* doc = nullptr;
  TMDIChildWave* window = nullptr;
};

const SampleAt kSpiky = [](int32_t i) {
  return 0.6 * Tone(i, 97) * std::exp(-i / 300.0) + (i % 151 == 0 ? -0.9 : 0) + (i == 250 ? 1 : 0);
};

}  // namespace

TEST_F(WavePicture, WaveformsInLinesAndPointsWithGridSelectionAndCursor) {
  wave.ValuesPerPixel = unitIntegerPosMore(5, kUnitNone);
  Mono(MakeWave(600, kSpiky), QSize(120, 64));
  doc->SetSelEnds(400, 150);
  Expect("wave-mono-lines", false);

  wave.DrawGrid = 0;
  wave.DrawKind = 1;
  wave.Strength = unitFactorPosMore(0.5, kUnitNone);  // repeated points darken
  wave.ValuesPerPixel = unitIntegerPosMore(2, kUnitNone);
  doc->SetSelEnds(100, 100);
  Expect("wave-mono-points", false);

  wave.Distribution = 1;  // random places within each column, repeatable by the seed
  wave.Strength = unitFactorPosMore(1, kUnitNone);
  wave.ValuesPerPixel = unitIntegerPosMore(5, kUnitNone);
  Expect("wave-mono-random", false);

  // Fewer samples than columns: each sample spans columns, the last one reaching the edge.
  wave = TWaveViewProps();
  Mono(MakeWave(50, kSpiky), QSize(120, 40));
  Expect("wave-few-samples", false);

  // 16 s at 1000 Hz over 128 columns: a grid tick every 2 s.
  wave = TWaveViewProps();
  Mono(MakeWave(16000, [](int32_t i) { return 0.5 * Tone(i, 900); }), QSize(128, 33), 1000);
  Expect("wave-grid", false);
}

TEST_F(WavePicture, StereoWaveformsInTwoBandsOrCombinedInOne) {
  const auto left = [] { return MakeWave(1000, [](int32_t i) { return 0.6 * Tone(i, 400); }); };
  const auto right = [] {
    return MakeWave(1000, [](int32_t i) { return 0.3 * Tone(i, 90) + (i > 700 ? 0.3 : 0); });
  };
  wave.ValuesPerPixel = unitIntegerPosMore(3, kUnitNone);
  Stereo(left(), right(), QSize(100, 64));
  doc->SetSelEnds(600, 300);  // the cursor line at the end, outside the repaint
  Expect("wave-stereo-bands", false);
  wave.TwoWaves = 0;
  for (const uint8_t combine : {0, 1, 2}) {  // mixed, left at front, right at front
    wave.Combine = combine;
    wave.DrawKind = combine == 2;
    Expect("wave-stereo-combined-" + std::to_string(combine), false);
  }
  wave.DrawKind = 0;
  Stereo(left(), left(), QSize(100, 64));  // identical channels show the single-wave colour
  Expect("wave-stereo-identical", false);
}

TEST_F(WavePicture, VolumeDiagramsOfAChirpOfTonesInStereoAndOfALowRate) {
  // 100 Hz to 5 kHz in a second: the lit row climbs from the bottom to the top.
  const double k = std::log(50.0);
  Mono(MakeWave(44100, [k](int32_t i) {
         return 0.6 * std::sin(2 * M_PI * 100 * (std::exp(k * i / 44100.0) - 1) / k);
       }),
       QSize(160, 100));
  doc->SetSelEnds(30000, 10000);
  Expect("vold-chirp", true);

  const auto tones = [](double a, double b) {
    return MakeWave(22050, [a, b](int32_t i) { return 0.25 * (Tone(i, a) + Tone(i, b)); });
  };
  vold.Sensitivity = 2;
  Stereo(tones(40, 200), tones(9, 1000), QSize(120, 100));
  doc->SetSelEnds(9000, 5000);
  Expect("vold-stereo-two", true);
  vold.TwoDiagrams = 0;
  vold.Sensitivity = 0;
  vold.HorDistribution = 2;
  Expect("vold-stereo-one", true);

  // At 5512 Hz the 20 kHz rows cannot follow. The wave ends where readable memory ends: the
  // diagram must not read past the last sample.
  vold = TVoldViewProps();
  vold.Sensitivity = 3;
  GuardedSamples memory(5512);
  auto wave = std::make_unique<Wave>();
  wave->wave = memory.data;
  wave->values = 5512;
  for (int32_t i = 0; i < 5512; ++i) wave->wave[i] = static_cast<int16_t>(i < 3000 ? 30000 * Tone(i, 30) : 0);
  Wave* const borrowed = wave.get();
  Mono(std::move(wave), QSize(100, 60), 5512);
  Expect("vold-low-rate", true);
  borrowed->wave = nullptr, borrowed->values = 0;  // the samples are `memory`'s to free
}

// Mono, stereo and volume diagram each have their icon, the view switch choosing between them.
TEST_F(WavePicture, WindowIconsShowTheChannelsOrTheVolumeDiagram) {
  QImage icons(96, 32, QImage::Format_RGB32);
  QPainter painter(&icons);
  Stereo(MakeWave(10, kSpiky), MakeWave(10, kSpiky), QSize(50, 20));
  painter.drawPixmap(0, 0, window->windowIcon().pixmap(32, 32));
  Mono(MakeWave(10, kSpiky), QSize(50, 20));
  window->SetViewMode(1);
  painter.drawPixmap(64, 0, window->windowIcon().pixmap(32, 32));
  window->SetViewMode(0);
  painter.drawPixmap(32, 0, window->windowIcon().pixmap(32, 32));
  painter.end();
  ExpectPicture("wave-icons", icons);
}
