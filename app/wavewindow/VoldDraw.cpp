// The volume diagram of the wave window: every row is a damped resonator tuned to its frequency
// and driven by the samples in view; each pixel column shows, per row, the largest deflection
// since the previous column. Nothing is kept between paints: the resonators start at rest at the
// first sample of every range drawn.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/wavewindow/ChildWave.h"
#include "gui/canvas.h"
#include "wave/sound.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {

// About (2 pi / 4)^2: the squared phase step of one cycle in 4 P sub-steps.
constexpr float kPhaseStep = 2.466f;
constexpr double kPeakScale = 3.0517578125e-05;  // 1 / 32768
// The rows are padded to a multiple of this many, so the row loop needs no scalar tail; the rows
// added stay silent.
constexpr int kRowBlock = 16;

// Resonators that die away in a silence pass through denormal numbers, which the processor
// computes at a small fraction of its speed; they are far below anything a cell shows.
class FlushDenormals {
 public:
#if defined(__SSE__)
  FlushDenormals() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040); }
  ~FlushDenormals() { _mm_setcsr(saved_); }

 private:
  unsigned saved_;
#endif
};

// One sample into every row: four sub-steps of each resonator, then its peak. The arrays are
// distinct, and `rows` is a whole number of blocks; saying both lets the compiler vectorise the
// loop at -O2 without run-time checks or a scalar tail.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_ADDRESS__)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
void StepRows(int rows, float v, const float* __restrict tr, const float* __restrict keep,
              float* __restrict value, float* __restrict speed, float* __restrict peak) {
  rows &= ~(kRowBlock - 1);
  for (int i = 0; i < rows; ++i) {
    float x = value[i];
    float s = speed[i];
    const float t = tr[i];
    const float f = keep[i];
    const float drive = v * (1.0f - f);
    // Unrolled, so that the row loop is the innermost one.
#pragma GCC unroll 4
    for (int step = 0; step < 4; ++step) {
      x = x + s * t;
      s = s - x;
      x = f * x + drive;
    }
    value[i] = x;
    speed[i] = s;
    const float a = std::fabs(x);
    peak[i] = peak[i] > a ? peak[i] : a;
  }
}

// The rows of one diagram as separate arrays, one entry per row: `tr` and the input coupling are
// shared by both channels of a stereo diagram, the state is each channel's own.
class ResonatorBank {
 public:
  // Arrays in the store, each `padded_` long: tr, keep, then value, speed and peak per channel.
  ResonatorBank(int rows, int channels)
      : rows_(rows),
        padded_((rows + kRowBlock - 1) / kRowBlock * kRowBlock),
        store_(static_cast<size_t>(padded_) * (2 + 3 * channels), 0.0f) {}

  int Rows() const { return rows_; }

  void Tune(int row, float tr, float keep) {
    Array(kTr)[row] = tr;
    Array(kKeep)[row] = keep;
  }
  // The rows added for the block: no phase step and a retention of 1, so they never move.
  void FillPadding() {
    for (int row = rows_; row < padded_; ++row) Tune(row, 0.0f, 1.0f);
  }

  // One sample into every row of one channel.
  void Step(int channel, float v) {
    const int state = kChannelState + 3 * channel;
    StepRows(padded_, v, Array(kTr), Array(kKeep), Array(state), Array(state + 1),
             Array(state + 2));
  }

  // The truncated peak of a row, and a fresh start for the next column. Peaks are kept before
  // truncation: truncation keeps the order, so the largest value truncated is the largest
  // truncated value.
  float TakePeak(int channel, int row) {
    float& peak = Array(kChannelState + 3 * channel + 2)[row];
    const float taken = std::trunc(peak);
    peak = 0.0f;
    return taken;
  }

 private:
  static constexpr int kTr = 0;
  static constexpr int kKeep = 1;
  static constexpr int kChannelState = 2;
  float* Array(int index) { return store_.data() + static_cast<size_t>(padded_) * index; }

  int rows_;
  int padded_;
  std::vector<float> store_;
};

// Tunes the rows from the top period down to the bottom one, in single precision. A row whose
// period comes out as no positive finite number of samples stays silent instead of dividing by
// it.
void TuneRows(ResonatorBank& bank, const TVoldViewProps& props, float rate) {
  const int n = bank.Rows();
  const float top = static_cast<float>(props.TopFreq.GetValue());
  const float bottom = static_cast<float>(props.BottomFreq.GetValue());
  const float width = static_cast<float>(props.FreqWidth.GetValue());
  const float nf = static_cast<float>(n);
  float p = rate * top;
  float f = 1.0f / top;
  const float g = std::pow(bottom / top, 1.0f / nf);
  const float dP = (bottom - top) * rate / nf;
  const float df = (1.0f / top - 1.0f / bottom) / nf;
  const float base = g > 1.0f ? g : 1.0f / g;
  const auto usable = [](float period) { return period > 0.0f && std::isfinite(period); };
  for (int i = 0; i < n; ++i) {
    const float tr = usable(p) ? kPhaseStep / p / p : 0.0f;
    float w = 1.0f;
    switch (props.HorDistribution) {
      case 1:
        p = g * p;
        break;
      case 2:
        p = p + dP;
        w = 1.0f / (static_cast<float>(i + 1) * 3.0f / nf);
        break;
      default:
        f = f - df;
        p = rate / f;
        w = 1.0f / (static_cast<float>(n - i + 1) * 3.0f / nf);
        break;
    }
    // The coupling is figured with the period already moved on to the next row's, as the diagram
    // has always drawn it.
    const float q = std::pow(base, width * w);
    const float keep = usable(p) && tr > 0.0f ? std::pow(1.0f / q, 1.0f / p) : 1.0f;
    bank.Tune(i, tr, std::isfinite(keep) ? keep : 1.0f);
  }
  bank.FillPadding();
}

// A peak as a strength from 0 to 1 by the sensitivity curve; a row that ran away counts as full.
double Strength(float peak, const TVoldViewProps& props, bool selected) {
  const double a = peak * kPeakScale;
  double curve = a;
  switch (props.Sensitivity) {
    case 0:
      curve = a * a;
      break;
    case 2:
      curve = std::sqrt(a);
      break;
    case 3:
      curve = std::pow(a, 0.25);
      break;
    default:
      break;
  }
  double t = props.Strength.GetValue() * curve;
  if (!(t <= 1)) t = 1;
  return selected ? 1 - t : t;
}

uint32_t Component(uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

template <class Mix>
uint32_t MixComponents(Mix mix) {
  uint32_t colour = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    colour |= (static_cast<uint32_t>(mix(shift)) & 0xFF) << shift;
  }
  return colour;
}

// A column of a range, kept near the picture: the range is cut to the picture anyway.
int32_t ClampColumn(double x, int32_t width) {
  return static_cast<int32_t>(std::clamp(std::trunc(x), -1.0, static_cast<double>(width) + 1));
}

}  // namespace

void TMDIChildWave::DrawVoldRange(double x1, double x2, bool selected) {
  DrawChannelBands(
      ClampColumn(x1, canvas_.width()), ClampColumn(x2, canvas_.width()),
      VoldViewProps.TwoDiagrams != 0,
      [&](const Wave* w, double s1, double s2, const QRect& band) {
        DrawVoldMono(w, s1, s2, band, selected);
      },
      [&](const Wave& left, const Wave& right, double s1, double s2, const QRect& band) {
        DrawVoldStereo(left, right, s1, s2, band, selected);
      });
}

namespace {

// Paints the band's silence before the columns, so that columns no sample reaches (zoomed in)
// show silence rather than what the picture held before; answers the number of rows, 0 when the
// settings or the sound leave nothing to compute (no rate, no positive period, no height).
int32_t ClearBand(QImage& image, const TVoldViewProps& props, uint32_t rate, const QRect& band,
                  bool selected) {
  const int32_t h = band.height();
  if (h <= 0 || band.width() <= 0) return 0;
  PixelCanvas canvas(image, band.left(), band.top(), band.left() + band.width(), band.top() + h);
  canvas.FillRect(band.left(), band.top(), band.left() + band.width(), band.top() + h,
                  selected ? props.VolumeColor : props.BackgroundColor);
  if (rate == 0 || !(props.TopFreq.GetValue() > 0) || !(props.BottomFreq.GetValue() > 0)) return 0;
  return std::max(std::min(props.VerticalResolution.GetValue(), h), 0);
}

// Runs the bank over the samples s1..s2 of the channels and hands each reached column to
// `paint` (column, then the bank to take the peaks from). Positions outside the sound feed
// silence, which keeps the columns where they are.
template <class Paint>
void RunDiagram(ResonatorBank& bank, const Wave* const* channels, int count, double s1, double s2,
                int32_t width, Paint paint) {
  const double span = s2 - s1;
  if (!(span > 0) || !std::isfinite(span)) return;
  // Columns per sample; positions in double: in single precision a long range drifts by
  // columns.
  const double pps = (static_cast<double>(width) + 1) / span;
  const int64_t samples = static_cast<int64_t>(std::trunc(span));
  const int64_t first = static_cast<int64_t>(std::trunc(s1));
  double fx = -1.0;
  double lastFx = -1.0;
  [[maybe_unused]] const FlushDenormals flush;
  for (int64_t k = 0; k < samples; ++k) {
    const int64_t index = first + k;
    for (int c = 0; c < count; ++c) {
      const Wave& w = *channels[c];
      const float v = index >= 0 && index < w.values ? static_cast<float>(w.wave[index]) : 0.0f;
      bank.Step(c, v);
    }
    fx += pps;
    if (std::trunc(fx) > std::trunc(lastFx)) {
      paint(static_cast<int32_t>(std::min<double>(std::trunc(fx), width + 1.0)));
      lastFx = fx;
    }
  }
}

}  // namespace

void TMDIChildWave::DrawVoldMono(const Wave* w, double s1, double s2, const QRect& band,
                                 bool selected) {
  if (!w) return;
  const uint32_t rate = GetUnitWave()->GetSamplesPerSec();
  const int32_t n = ClearBand(canvas_, VoldViewProps, rate, band, selected);
  if (n == 0) return;
  ResonatorBank bank(n, 1);
  TuneRows(bank, VoldViewProps, static_cast<float>(rate));
  const Wave* channels[] = {w};
  RunDiagram(bank, channels, 1, s1, s2, band.width(), [&](int32_t col) {
    for (int32_t row = 0; row < n; ++row) {
      PaintVoldCellMono(bank.TakePeak(0, row), col, row, band, n, selected);
    }
  });
}

void TMDIChildWave::DrawVoldStereo(const Wave& left, const Wave& right, double s1, double s2,
                                   const QRect& band, bool selected) {
  // The channels of a stereo sound have the same length; a shorter one would read as silence.
  const uint32_t rate = GetUnitWave()->GetSamplesPerSec();
  const int32_t n = ClearBand(canvas_, VoldViewProps, rate, band, selected);
  if (n == 0) return;
  ResonatorBank bank(n, 2);
  TuneRows(bank, VoldViewProps, static_cast<float>(rate));
  const Wave* channels[] = {&left, &right};
  RunDiagram(bank, channels, 2, s1, s2, band.width(), [&](int32_t col) {
    for (int32_t row = 0; row < n; ++row) {
      const float peakLeft = bank.TakePeak(0, row);
      PaintVoldCellStereo(peakLeft, bank.TakePeak(1, row), col, row, band, n, selected);
    }
  });
}

namespace {

// The cell of one row in one column: a vertical line from the row's top to its bottom, or the
// single pixel of a row that rounds to no height.
void PaintCell(QImage& image, const QRect& band, int32_t col, int32_t row, int32_t n,
               uint32_t colour) {
  const int64_t h = band.height();
  const int32_t y1 = static_cast<int32_t>(static_cast<double>(h * row) / n + band.top());
  const int32_t y2 = static_cast<int32_t>(static_cast<double>(h * (row + 1)) / n + band.top());
  PixelCanvas canvas(image, band.left(), band.top(), band.left() + band.width(),
                     band.top() + band.height());
  const int32_t x = band.left() + col;
  if (y1 == y2) {
    canvas.SetPixel(x, y1, colour);
  } else {
    canvas.VLine(x, y1, y2, colour);
  }
}

}  // namespace

void TMDIChildWave::PaintVoldCellMono(float peak, int32_t col, int32_t row, const QRect& band,
                                      int32_t n, bool selected) {
  const double t = Strength(peak, VoldViewProps, selected);
  const uint32_t back = VoldViewProps.BackgroundColor;
  const uint32_t volume = VoldViewProps.VolumeColor;
  const uint32_t colour = MixComponents([&](int shift) {
    return std::trunc(Component(back, shift) * (1 - t) + Component(volume, shift) * t);
  });
  PaintCell(canvas_, band, col, row, n, colour);
}

void TMDIChildWave::PaintVoldCellStereo(float peakLeft, float peakRight, int32_t col, int32_t row,
                                        const QRect& band, int32_t n, bool selected) {
  const double tL = Strength(peakLeft, VoldViewProps, selected);
  const double tR = Strength(peakRight, VoldViewProps, selected);
  const TVoldViewProps& p = VoldViewProps;
  uint32_t colour = p.BackgroundColor;
  // The stronger channel sets the brightness; equal strength shows the colour of both.
  if (tL > tR) {
    const double q = tR / tL;
    colour = MixComponents([&](int s) {
      return std::trunc((Component(p.VolumeColor, s) * q + Component(p.LeftColor, s) * (1 - q)) *
                            tL +
                        Component(p.BackgroundColor, s) * (1 - tL));
    });
  } else if (tR > 0) {
    const double q = tL / tR;
    colour = MixComponents([&](int s) {
      return std::trunc((Component(p.VolumeColor, s) * q + Component(p.RightColor, s) * (1 - q)) *
                            tR +
                        Component(p.BackgroundColor, s) * (1 - tR));
    });
  }
  PaintCell(canvas_, band, col, row, n, colour);
}
