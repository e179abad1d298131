// The volume diagram, pixel by pixel: tones light their own rows, stereo in two diagrams or in
// one, silence and the selection's negative, runaway rows, partial repaints and a chirp's line.
#include <QImage>
#include <cmath>
#include <vector>

#include "app/ChildWave.h"
#include "app/fakes/main_window.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

using Rows = std::vector<int>;

// One second at 44100 Hz of tones at the frequencies of the default diagram's `rows`, sharing an
// amplitude of 16000; no rows make a silence.
WavePtr Tones(const Rows& rows) {
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, 44100);
  for (int32_t i = 0; i < w->values; ++i) {
    double sum = 0;
    for (const int row : rows) {
      sum += std::sin(2 * M_PI * i / (2.205 * std::pow(1000.0, row / 50.0)));
    }
    w->wave[i] = static_cast<int16_t>(rows.empty() ? 0 : 16000 * sum / rows.size());
  }
  return w;
}
// At resonance a row swings as far as its tone: 16000 of 32768 at the default strength of 1.3.
constexpr int kToneLevel = static_cast<int>(255 * 1.3 * 16000 / 32768);

class VoldDrawing : public MainWindowTest {
 protected:
  VoldDrawing() : MainWindowTest("volddraw") {}

  void Open(SoundPtr sound, QSize size = QSize(200, 200)) {
    auto unit = std::make_unique<TUnitWave>("", std::move(sound));
    doc = unit.get();
    window = form->CreateMDIChildWave("caption", std::move(unit), TWaveViewProps(), props);
    ResizeClient(*window, *window->ClientArea(), size);
    window->SetVoldViewProps(props);
    window->Redraw();
  }
  void OpenMono(const Rows& rows, int32_t rate = 44100) {
    Open(std::make_unique<MonoSound>(Tones(rows), rate, 2));
  }
  void OpenStereo(const Rows& left, const Rows& right) {
    Open(std::make_unique<StereoSound>(Tones(left), Tones(right), 44100, 2));
  }
  // The grey level (0 to 255) at (x, y) of the white-on-black diagram.
  int Level(int x, int y) const { return qRed(window->Canvas().pixel(x, y)); }
  // The brightest of 50 rows `height` pixels high from `top`, in column x.
  int BrightestRow(int x, int top, int height) const {
    int best = 0;
    for (int row = 1; row < 50; ++row) {
      if (Level(x, top + row * height) > Level(x, top + best * height)) best = row;
    }
    return best;
  }

  TVoldViewProps props;
  TUnitWave* doc = nullptr;
  TMDIChildWave* window = nullptr;
};

}  // namespace

TEST_F(VoldDrawing, AToneLightsItsOwnRowAndLeavesFarRowsDark) {
  for (const int row : {8, 42}) {
    OpenMono({row});
    for (const int x : {60, 180}) {
      SCOPED_TRACE(testing::Message() << "row " << row << ", column " << x);
      EXPECT_NEAR(BrightestRow(x, 0, 4), row, 1);
      EXPECT_NEAR(Level(x, row * 4 + 1), kToneLevel, 8);
      for (int far = 0; far < 50; ++far) {
        if (std::abs(far - row) < 12) continue;
        EXPECT_LT(Level(x, far * 4 + 1), 40) << far;
      }
    }
  }
}

TEST_F(VoldDrawing, StereoShowsEachChannelInItsOwnDiagramOrTintedInOne) {
  OpenStereo({10}, {40});  // two diagrams of 50 rows of 2 pixels
  EXPECT_NEAR(BrightestRow(150, 0, 2), 10, 1);
  EXPECT_NEAR(BrightestRow(150, 100, 2), 40, 1);
  EXPECT_LT(std::max(Level(150, 40 * 2), Level(150, 100 + 10 * 2)), 40);

  props.TwoDiagrams = 0;
  OpenStereo({25}, {});
  const QRgb lit = window->Canvas().pixel(150, 25 * 4 + 1);
  EXPECT_NEAR(qRed(lit), kToneLevel, 8);  // the left colour, pure red
  EXPECT_EQ(lit & 0xFFFF, 0u);
}

TEST_F(VoldDrawing, SilenceShowsTheBackgroundAndTheSelectionItsNegative) {
  for (const int layout : {0, 1, 2}) {  // mono, two diagrams, one stereo diagram
    SCOPED_TRACE(layout);
    props.TwoDiagrams = layout == 1;
    layout == 0 ? OpenMono({}) : OpenStereo({}, {});
    doc->SetSelEnds(30000, 10000);
    window->Redraw();
    for (int x = 0; x < 200; x += 7) {
      const bool selected = x >= window->SampleToX(10000) && x < window->SampleToX(30000);
      for (int y = 0; y < 200; y += 13) {
        EXPECT_EQ(window->Canvas().pixel(x, y) & 0xFFFFFF, selected ? 0xFFFFFFu : 0u)
            << x << ' ' << y;
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
  for (int x = 0; x < 200; ++x) {
    const QImage column = window->Canvas().copy(x, 0, 1, 200);
    if (x >= window->SampleToX(11000) && x < window->SampleToX(33000)) {
      EXPECT_EQ(column, whole.copy(x, 0, 1, 200)) << x;
    } else {
      EXPECT_EQ(column.pixel(0, 100) & 0xFFFFFF, 0xFFFFFFu) << x;
    }
  }
}

TEST_F(VoldDrawing, RowsTooFastForTheRateShowFullAndTheOthersStillWork) {
  OpenMono({40}, 5512);  // the 20 kHz rows cannot follow at 5512 Hz
  EXPECT_EQ(Level(150, 1), 255);
  EXPECT_LT(Level(150, 25 * 4 + 1), 40);
}

TEST_F(VoldDrawing, PictureOfAChirpRisesFromLowToHigh) {
  const double k = std::log(5000.0 / 100.0) / 3;  // 100 Hz to 5 kHz in 3 seconds
  bool abort = false;
  WavePtr w = NewWaveChecked(abort, 3 * 44100);
  for (int32_t i = 0; i < w->values; ++i) {
    w->wave[i] = static_cast<int16_t>(
        20000 * std::sin(2 * M_PI * 100 * (std::exp(k * i / 44100.0) - 1) / k));
  }
  Open(std::make_unique<MonoSound>(std::move(w), 44100, 2), QSize(600, 300));
  // 50 rows of 6 pixels; 100 Hz lies at row 38, 5 kHz at row 10.
  EXPECT_NEAR(BrightestRow(10, 0, 6), 38, 1);
  EXPECT_NEAR(BrightestRow(590, 0, 6), 10, 1);
  const std::string path = std::string(KORVALEN_BUILD_DIR) + "/volume-diagram-chirp.png";
  EXPECT_TRUE(window->Canvas().save(QString::fromStdString(path)));
}
