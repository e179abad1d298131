// The volume diagram, pixel by pixel: tones light their own rows, stereo in two diagrams or in
// one, silence and the selection's negative, runaway rows, partial repaints and a chirp's line.
#include <QImage>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "app/ChildWave.h"
#include "app/fakes/main_window.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

// The tones at the frequencies of the default diagram's `rows`, sharing an amplitude of 16000;
// no rows make a silence.
WavePtr Tones(int32_t values, double rate, std::initializer_list<int> rows) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, values);
  std::vector<double> periods;
  for (const int row : rows) periods.push_back(rate / 20000 * std::pow(1000.0, row / 50.0));
  for (int32_t i = 0; i < values; ++i) {
    double sum = 0;
    for (const double period : periods) sum += std::sin(2 * M_PI * i / period);
    w->wave[i] = static_cast<int16_t>(periods.empty() ? 0 : 16000 * sum / periods.size());
  }
  return w;
}
// At resonance a row swings as far as its tone: 16000 of 32768 at the default strength of 1.3.
constexpr int kToneLevel = static_cast<int>(255 * 1.3 * 16000 / 32768);

class VoldDrawing : public MainWindowTest {
 protected:
  VoldDrawing() : MainWindowTest("volddraw") {}

  void Open(SoundPtr sound, int width, int height) {
    auto unit = std::make_unique<TUnitWave>("", std::move(sound));
    doc = unit.get();
    window = form->CreateMDIChildWave("caption", std::move(unit), TWaveViewProps(), props);
    ResizeClient(*window, *window->ClientArea(), QSize(width, height));
    window->SetVoldViewProps(props);
    window->Redraw();
  }
  // One second of the tones of `rows`, played at `rate` (normally the rate they were made for).
  void OpenMono(std::initializer_list<int> rows, int32_t rate = 44100) {
    Open(std::make_unique<MonoSound>(Tones(44100, 44100, rows), rate, 2), 200, 200);
  }
  void OpenStereo(std::initializer_list<int> left, std::initializer_list<int> right) {
    Open(std::make_unique<StereoSound>(Tones(44100, 44100, left), Tones(44100, 44100, right),
                                       44100, 2),
         200, 200);
  }
  // The grey level (0 to 255) at (x, y) of the white-on-black diagram.
  int Level(int x, int y) const { return qRed(window->Canvas().pixel(x, y)); }
  // The brightest row of the band starting at `top` with rows `rowHeight` high, in column x.
  int BrightestRow(int x, int top, int rowHeight, int rows = 50) const {
    int best = 0;
    for (int row = 1; row < rows; ++row) {
      if (Level(x, top + row * rowHeight) > Level(x, top + best * rowHeight)) best = row;
    }
    return best;
  }

  TVoldViewProps props;
  TUnitWave* doc = nullptr;
  TMDIChildWave* window = nullptr;
};

}  // namespace

TEST_F(VoldDrawing, ATonelightsItsOwnRowAndLeavesFarRowsDark) {
  for (const int row : {8, 25, 42}) {
    SCOPED_TRACE(row);
    OpenMono({row});
    for (const int x : {60, 120, 180}) {
      EXPECT_NEAR(BrightestRow(x, 0, 4), row, 1) << x;
      EXPECT_NEAR(Level(x, row * 4 + 1), kToneLevel, 8) << x;
      for (int far = 0; far < 50; ++far) {
        if (std::abs(far - row) >= 12) {
          EXPECT_LT(Level(x, far * 4 + 1), 40) << x << " " << far;
        }
      }
    }
  }
}

TEST_F(VoldDrawing, StereoShowsEachChannelInItsOwnDiagramOrTintedInOne) {
  OpenStereo({10}, {40});
  // Two diagrams of 100 pixels: 50 rows of 2 pixels each.
  EXPECT_NEAR(BrightestRow(150, 0, 2), 10, 1);
  EXPECT_NEAR(BrightestRow(150, 100, 2), 40, 1);
  EXPECT_LT(Level(150, 40 * 2), 40);
  EXPECT_LT(Level(150, 100 + 10 * 2), 40);

  props.TwoDiagrams = 0;
  OpenStereo({25}, {});
  const QRgb lit = window->Canvas().pixel(150, 25 * 4 + 1);
  EXPECT_NEAR(qRed(lit), kToneLevel, 8);  // the left colour, pure red
  EXPECT_EQ(qGreen(lit), 0);
  EXPECT_EQ(qBlue(lit), 0);
}

TEST_F(VoldDrawing, SilenceShowsTheBackgroundAndTheSelectionItsNegative) {
  for (const int layout : {0, 1, 2}) {  // mono, two diagrams, one stereo diagram
    SCOPED_TRACE(layout);
    props.TwoDiagrams = layout == 1;
    if (layout == 0) {
      OpenMono({});
    } else {
      OpenStereo({}, {});
    }
    doc->SetSelEnds(30000, 10000);
    window->Redraw();
    for (int x = 0; x < 200; x += 7) {
      const bool selected = x >= window->SampleToX(10000) && x < window->SampleToX(30000);
      if (x == window->SampleToX(30000)) continue;  // the cursor line
      for (int y = 0; y < 200; y += 13) {
        EXPECT_EQ(window->Canvas().pixel(x, y) & 0xFFFFFF, selected ? 0xFFFFFFu : 0u) << x << "," << y;
      }
    }
  }
}

TEST_F(VoldDrawing, RepaintOfTheSelectionDrawsItsColumnsAsAWholeRepaintAndNoOthers) {
  OpenMono({20, 35});
  doc->SetSelEnds(33000, 11000);
  window->Redraw();
  const QImage whole = window->Canvas().copy();
  window->FillBackground(window->ClientRect());  // white, which the diagram never shows here
  window->RedrawSamples(11000, 33000, true);
  const int x1 = window->SampleToX(11000);
  const int x2 = window->SampleToX(33000);
  for (int x = 0; x < 200; ++x) {
    const QImage column = window->Canvas().copy(x, 0, 1, 200);
    if (x >= x1 && x < x2) {
      EXPECT_EQ(column, whole.copy(x, 0, 1, 200)) << x;
    } else {
      EXPECT_EQ(column.pixel(0, 100) & 0xFFFFFF, 0xFFFFFFu) << x;
    }
  }
}

TEST_F(VoldDrawing, RowsTooFastForTheRateShowFullAndTheOthersStillWork) {
  OpenMono({40}, 5512);  // 20 kHz rows at 5512 Hz cannot follow their tone
  EXPECT_EQ(Level(150, 1), 255);
  EXPECT_LT(Level(150, 25 * 4 + 1), 40);
}

TEST_F(VoldDrawing, PictureOfAChirpRisesFromLowToHigh) {
  // An exponential chirp from 100 Hz to 5 kHz over the sound.
  const double rate = 44100;
  const double seconds = 3;
  const double k = std::log(5000.0 / 100.0) / seconds;
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, static_cast<int64_t>(rate * seconds));
  for (int32_t i = 0; i < w->values; ++i) {
    const double t = i / rate;
    w->wave[i] = static_cast<int16_t>(20000 * std::sin(2 * M_PI * 100 * (std::exp(k * t) - 1) / k));
  }
  Open(std::make_unique<MonoSound>(std::move(w), 44100, 2), 600, 300);
  // 50 rows of 6 pixels; 100 Hz lies at row 38, 5 kHz at row 10.
  EXPECT_NEAR(BrightestRow(10, 0, 6), 38, 1);
  EXPECT_NEAR(BrightestRow(590, 0, 6), 10, 1);
  const std::string path = std::string(KORVALEN_BUILD_DIR) + "/volume-diagram-chirp.png";
  EXPECT_TRUE(window->Canvas().save(QString::fromStdString(path)));
}
