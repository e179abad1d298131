// The waveform view, pixel by pixel on the window's picture: lines and points of one channel,
// the two stereo layouts with their combination modes, the selection's exchanged colours, the
// cursor line, the grid, blended points, random columns and a partial repaint.
#include <QImage>
#include <cmath>
#include <functional>
#include <map>

#include "app/ChildWave.h"
#include "app/fakes/main_window.h"
#include "foundation/random.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

using SampleAt = std::function<int16_t(int32_t)>;

WavePtr MakeWave(int32_t values, const SampleAt& at) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, values);
  for (int32_t i = 0; i < values; ++i) w->wave[i] = at(i);
  return w;
}

int16_t Silent(int32_t) { return 0; }

// Column contents as one letter per pixel, top to bottom.
char Letter(QRgb rgb) {
  static const std::map<QRgb, char> kLetters = {
      {0xFFFFFF, 'w'}, {0x000000, 'k'}, {0x808080, 'g'}, {0xFF0000, 'r'}, {0x008080, 't'}};
  const auto found = kLetters.find(rgb & 0xFFFFFF);
  return found == kLetters.end() ? '?' : found->second;
}

// `height` pixels of `base` with [from, to) set to `c`, and so on for each further run.
std::string Runs(int height, char base, std::initializer_list<std::tuple<int, int, char>> runs) {
  std::string s(static_cast<size_t>(height), base);
  for (const auto& [from, to, c] : runs)
    s.replace(from, to - from, static_cast<size_t>(to - from), c);
  return s;
}

class WaveDrawing : public MainWindowTest {
 protected:
  WaveDrawing() : MainWindowTest("wavedraw") {}
  void SetUp() override {
    MainWindowTest::SetUp();
    props.DrawGrid = 0;
    RandomSeed(1);
  }

  void Open(SoundPtr sound, int width, int height) {
    auto unit = std::make_unique<TUnitWave>("", std::move(sound));
    doc = unit.get();
    window = form->CreateMDIChildWave("caption", std::move(unit), props, TVoldViewProps());
    ResizeClient(*window, *window->ClientArea(), QSize(width, height));
  }
  void OpenMono(int32_t values, const SampleAt& at, int width = 100, int height = 64,
                int32_t rate = 44100) {
    Open(std::make_unique<MonoSound>(MakeWave(values, at), rate, 2), width, height);
  }
  void OpenStereo(int32_t values, const SampleAt& left, const SampleAt& right, int width = 100,
                  int height = 64) {
    Open(std::make_unique<StereoSound>(MakeWave(values, left), MakeWave(values, right), 44100, 2),
         width, height);
  }
  // Paints the whole client area with the present settings.
  void Paint() {
    window->SetWaveViewProps(props);
    window->Redraw();
  }
  std::string Col(int x) const {
    std::string s;
    for (int y = 0; y < window->Canvas().height(); ++y) s += Letter(window->Canvas().pixel(x, y));
    return s;
  }

  TWaveViewProps props;
  TMDIChildWave* window = nullptr;
  TUnitWave* doc = nullptr;
};

// 500 samples over 100 columns, five values per pixel: column x starts at sample position
// 2.5 + 5x, its lines read samples 2 + 5x to 7 + 5x, its points 3 + 5x to 7 + 5x. The cursor
// line stands at sample 0, so the tests look at other columns.
TEST_F(WaveDrawing, LinesJoinEachColumnToTheNextAndPointsReadOnlyTheirOwnValues) {
  // One sample at half scale (y 16); silence lies at y 32, its line a pixel above.
  OpenMono(500, [](int32_t i) -> int16_t { return i == 22 ? 16384 : 0; });
  props.ValuesPerPixel = unitIntegerPosMore(5, kUnitNone);
  Paint();
  EXPECT_EQ(Col(2), Runs(64, 'w', {{31, 32, 'k'}}));
  EXPECT_EQ(Col(3), Runs(64, 'w', {{15, 32, 'k'}}));  // sample 22 ends column 3 ...
  EXPECT_EQ(Col(4), Runs(64, 'w', {{15, 32, 'k'}}));  // ... and starts column 4

  props.DrawKind = 1;
  Paint();
  EXPECT_EQ(Col(3), Runs(64, 'w', {{16, 17, 'k'}, {32, 33, 'k'}}));
  EXPECT_EQ(Col(4), Runs(64, 'w', {{32, 33, 'k'}}));

  // One value per pixel: column 1 joins samples 7 and 12, column 2 samples 12 and 17; sample 11
  // lies between the reads and is not shown.
  props.DrawKind = 0;
  props.ValuesPerPixel = unitIntegerPosMore(1, kUnitNone);
  Wave* channel = doc->GetSound()->GetLeftWave();
  channel->wave[22] = 0;
  channel->wave[11] = 16384;
  channel->wave[12] = -32768;  // full scale down reaches the bottom
  Paint();
  EXPECT_EQ(Col(1), Runs(64, 'w', {{31, 64, 'k'}}));
  EXPECT_EQ(Col(2), Runs(64, 'w', {{31, 64, 'k'}}));
  EXPECT_EQ(Col(3), Runs(64, 'w', {{31, 32, 'k'}}));
}

TEST_F(WaveDrawing, StereoDrawsTwoBandsOrCombinesTheChannelsInOneBand) {
  // Left alternates 0 and quarter scale (y 24..32), right half scale down and up (y 16..48).
  OpenStereo(
      1000, [](int32_t i) -> int16_t { return i % 2 ? 8192 : 0; },
      [](int32_t i) -> int16_t { return i % 2 ? 16384 : -16384; });
  props.DrawGrid = 1;
  Paint();
  // Two bands of 32 in the single-wave colour, each with its centre line.
  EXPECT_EQ(Col(50), Runs(64, 'w', {{11, 16, 'k'}, {16, 17, 'g'}, {39, 56, 'k'}, {48, 49, 'g'}}));

  props.DrawGrid = 0;
  props.TwoWaves = 0;
  const struct {
    uint8_t combine;
    std::string column;
  } kModes[] = {
      {0, Runs(64, 'w', {{15, 48, 't'}, {23, 32, 'k'}})},  // where both agree: the wave colour
      {1, Runs(64, 'w', {{15, 48, 't'}, {23, 32, 'r'}})},  // left over right
      {2, Runs(64, 'w', {{15, 48, 't'}})},                 // right over left
  };
  for (const auto& mode : kModes) {
    props.Combine = mode.combine;
    Paint();
    EXPECT_EQ(Col(50), mode.column) << "Combine " << int{mode.combine};
  }

  doc->SetSelEnds(0, 1000);  // the whole view selected: all four colours exchanged
  props.Combine = 1;
  Paint();
  EXPECT_EQ(Col(50), Runs(64, 'k', {{15, 48, 'r'}, {23, 32, 't'}}));
}

TEST_F(WaveDrawing, CombinedPointsAndIdenticalChannelsShowTheRightColours) {
  OpenStereo(1000, Silent, Silent);
  props.TwoWaves = 0;
  Paint();  // identical channels in "Mixed" lines show only the single-wave colour
  EXPECT_EQ(Col(50), Runs(64, 'w', {{31, 32, 'k'}}));
  props.DrawKind = 1;
  const std::pair<uint8_t, char> kFront[] = {{0, 't'}, {1, 'r'}, {2, 't'}};
  for (const auto& [combine, front] : kFront) {
    props.Combine = combine;
    Paint();
    EXPECT_EQ(Col(50), Runs(64, 'w', {{32, 33, front}})) << "Combine " << int{combine};
  }
}

TEST_F(WaveDrawing, PointsBlendByStrengthSoRepeatedPointsDarken) {
  OpenMono(1000, Silent);
  props.DrawKind = 1;
  props.Strength = unitFactorPosMore(0.5, kUnitNone);
  for (const auto& [perPixel, grey] : {std::pair{1, 127}, std::pair{2, 63}}) {
    props.ValuesPerPixel = unitIntegerPosMore(perPixel, kUnitNone);
    Paint();
    EXPECT_EQ(window->Canvas().pixel(50, 32), qRgb(grey, grey, grey)) << perPixel << " points";
  }
  props.Strength = unitFactorPosMore(1.0, kUnitNone);  // exactly 1 paints
  Paint();
  EXPECT_EQ(Col(50), Runs(64, 'w', {{32, 33, 'k'}}));
}

TEST_F(WaveDrawing, RandomPointsFallOnTheColumnsOwnValuesAndRepeatWithTheSameSeed) {
  // A saw of five steps: the fixed places of a column read every step once, random places some.
  OpenMono(500, [](int32_t i) -> int16_t { return static_cast<int16_t>(i % 5 * 6000); });
  props.DrawKind = 1;
  props.ValuesPerPixel = unitIntegerPosMore(5, kUnitNone);
  Paint();
  const QImage fixed = window->Canvas().copy();
  props.Distribution = 1;
  Paint();
  const QImage random = window->Canvas().copy();
  EXPECT_NE(random, fixed);
  for (int x = 1; x < 99; ++x) {  // the last column reads the last sample over and over
    for (int y = 0; y < 64; ++y) {
      if (random.pixel(x, y) == qRgb(0, 0, 0)) {
        EXPECT_EQ(fixed.pixel(x, y), qRgb(0, 0, 0)) << x;
      }
    }
  }
  RandomSeed(1);
  window->Redraw();
  EXPECT_EQ(window->Canvas(), random);
}

TEST_F(WaveDrawing, GridTicksEveryNiceStepAndTheCentreLineCrossesTheBand) {
  // 16 s over 128 columns: ticks every 2 s (16 columns), where a new interval begins.
  OpenMono(16000, Silent, 128, 65, 1000);
  props.DrawGrid = 1;
  Paint();
  for (int x = 1; x < 128; ++x) {
    EXPECT_EQ(Col(x)[0], x % 16 == 0 ? 'g' : 'w') << x;
    EXPECT_EQ(Col(x)[32], 'g') << x;  // trunc(65 / 2)
  }
}

TEST_F(WaveDrawing, RepaintOfASampleRangeChangesOnlyItsColumnsAsAWholeRepaintWould) {
  // Columns start on whole samples here, where a position summed up from another first column
  // would tip over to the neighbouring sample of the saw.
  OpenMono(1000, [](int32_t i) -> int16_t { return static_cast<int16_t>(i % 10 * 3000); });
  props.ValuesPerPixel = unitIntegerPosMore(1, kUnitNone);
  Paint();
  const QImage before = window->Canvas().copy();
  window->RedrawSamples(300, 600, false);
  EXPECT_EQ(window->Canvas(), before);
  window->RedrawSamples(300, 600, true);
  for (int x = 0; x < 100; ++x) {
    const bool inside = x >= 30 && x < 60;
    EXPECT_EQ(window->Canvas().copy(x, 0, 1, 64) == before.copy(x, 0, 1, 64), !inside) << x;
    if (inside) {
      EXPECT_EQ(Col(x)[63], 'k') << x;  // the back colour of the selection
    }
  }
}

TEST_F(WaveDrawing, PictureOfAStereoWaveWithASelection) {
  OpenStereo(
      44100, [](int32_t i) -> int16_t { return static_cast<int16_t>(20000 * std::sin(i * 0.002)); },
      [](int32_t i) -> int16_t {
        return static_cast<int16_t>(12000 * std::sin(i * 0.0007) * std::cos(i * 0.011));
      },
      600, 200);
  props.DrawGrid = 1;
  doc->SetSelEnds(26000, 14000);
  Paint();
  const std::string path = std::string(KORVALEN_BUILD_DIR) + "/wavedraw_stereo.png";
  EXPECT_TRUE(window->Canvas().save(QString::fromStdString(path)));
}

}  // namespace
