// The waveform view of the wave window: the background, the ranges before, inside and after the
// selection, the cursor line, the channels in one or two bands and the time grid. Every paint
// reads the samples afresh, a fixed number per pixel column, so a long sound costs no more to
// draw than a short one.
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/wavewindow/ChildWave.h"
#include "foundation/global.h"
#include "foundation/random.h"
#include "gui/canvas.h"
#include "wave/sound.h"
#include "wave/unitwave.h"
#include "wave/wave.h"

namespace {

// The band's edges as the canvas takes them: right and bottom excluded.
struct Edges {
  int32_t left, top, right, bottom;
};
Edges EdgesOf(const QRect& band) {
  return {band.left(), band.top(), band.left() + band.width(), band.top() + band.height()};
}

// A canvas clipped to the band, with the band filled with its back colour.
PixelCanvas FilledBand(QImage& image, const QRect& band, uint32_t backColour) {
  const auto [left, top, right, bottom] = EdgesOf(band);
  PixelCanvas canvas(image, left, top, right, bottom);
  canvas.FillRect(left, top, right, bottom, backColour);
  return canvas;
}

constexpr double kValueScale = 1.52587890625e-05;       // 1 / 65536: the full sample range
constexpr double kRandomScale = 3.051850947599719e-05;  // 1 / 32767: the generator's range

// The y of a sample value in a band: +32767 lies near the top, -32768 on the bottom edge.
class LevelMap {
 public:
  LevelMap(int32_t top, int32_t bottom)
      : k_(-(static_cast<double>(bottom) - top) * kValueScale),
        m_((static_cast<double>(top) + bottom) * 0.5) {}
  // Within [top, bottom] for every sample value, so the conversion cannot overflow.
  int32_t operator()(int16_t v) const { return static_cast<int32_t>(v * k_ + m_); }

 private:
  double k_;
  double m_;
};

// The positions a band reads, column after column: `perPixel` steps make one column, at fixed
// distances or at random places within the column's span.
class ColumnReader {
 public:
  ColumnReader(double start, double step, int32_t perPixel, bool random, int32_t last)
      : start_(start), step_(step), perPixel_(perPixel), random_(random), last_(last) {}

  // Hands `read` the sample index of each value of one column and moves on to the next column.
  // With `first` the column also reads at its own start: the lines join their neighbours. Each
  // column's start is computed afresh rather than summed up along the row, so that a partial
  // repaint reads the columns where a whole repaint reads them.
  template <class Read>
  void Column(bool first, Read&& read) {
    const double start = start_ + static_cast<double>(column_++) * perPixel_ * step_;
    if (random_) {
      for (int64_t i = first ? 0 : 1; i <= perPixel_; ++i) {
        read(Index(start + RandomNext() * static_cast<double>(perPixel_) * step_ * kRandomScale));
      }
    } else {
      for (int64_t i = first ? 0 : 1; i <= perPixel_; ++i) read(Index(start + i * step_));
    }
  }
  // The next column is the last one again.
  void Again() { --column_; }

 private:
  // Positions that miss a sample's start by rounding alone count as that sample; the last column
  // may still reach the end of the sound or beyond: it reads the last sample.
  int32_t Index(double pos) const {
    pos += kSnap + pos * kSnapRelative;
    if (!(pos > 0)) return 0;
    return pos >= last_ ? last_ : static_cast<int32_t>(pos);
  }
  static constexpr double kSnap = 1e-9;
  static constexpr double kSnapRelative = 1e-12;

  double start_;
  double step_;
  int32_t perPixel_;
  bool random_;
  int32_t last_;
  int64_t column_ = 0;
};

// Where the columns of a band run and how its reading starts.
struct ColumnSpan {
  int32_t first = 0;  // first column drawn
  int32_t end = 0;    // one past the last
  double start = 0;   // position of the first column
  double step = 0;    // sample distance between two values of a column
};

// Columns [left, right) for the span s1..s2 of a sound of `values` samples. Columns before sample
// 0 and after the last sample stay empty; `toX` gives the column of a sample. Only the columns
// inside [clipLeft, clipRight) are kept, with the reading moved on past the ones cut away.
template <class ToX>
ColumnSpan SpanOfColumns(int32_t left, int32_t right, double s1, double s2, int32_t values,
                         int32_t perPixel, int32_t clipLeft, int32_t clipRight, ToX toX) {
  ColumnSpan span;
  span.step = (s2 - s1) / perPixel / (static_cast<double>(right) - left);
  int64_t first = left;
  int64_t end = right;
  if (s1 < 0) {
    first = toX(0.0);
    s1 = 0;
  }
  if (s2 > values - 1) end = static_cast<int64_t>(toX(values - 1.0)) + 1;
  first = std::clamp<int64_t>(first, left, right);
  end = std::clamp<int64_t>(end, first, right);
  span.start = s1;
  if (first < clipLeft) {
    span.start += static_cast<double>(clipLeft - first) * perPixel * span.step;
    first = std::min<int64_t>(clipLeft, end);
  }
  span.first = static_cast<int32_t>(first);
  span.end =
      static_cast<int32_t>(std::clamp<int64_t>(end, first, std::max<int64_t>(clipRight, first)));
  return span;
}

// The pen of the wave's columns. Points: a strength of exactly 1 paints the pixel, any other
// blends the colour into what is there, so points falling on the same pixel darken it step by
// step; lines ignore the strength. Marks wait in a short queue and are drawn in their order: the
// sample reads of the columns then run in a tight loop and overlap, where in a long sound each
// read waits for memory.
class ColumnPen {
 public:
  ColumnPen(PixelCanvas& canvas, double strength) : canvas_(canvas), strength_(strength) {}
  ColumnPen(const ColumnPen&) = delete;
  ColumnPen& operator=(const ColumnPen&) = delete;
  ~ColumnPen() { Flush(); }

  // From (x, y1) to (x, y2), the end pixel left out.
  void Line(int32_t x, int32_t y1, int32_t y2, uint32_t colour) {
    Add(Mark{x, y1, y2, colour, false});
  }
  void Point(int32_t x, int32_t y, uint32_t colour) { Add(Mark{x, y, y + 1, colour, true}); }
  void Flush() {
    for (int i = 0; i < count_; ++i) {
      const Mark& m = pending_[i];
      if (!m.point) {
        canvas_.VLine(m.x, m.y1, m.y2, m.colour);
      } else if (strength_ == 1.0) {
        canvas_.SetPixel(m.x, m.y1, m.colour);
      } else {
        canvas_.SetPixel(m.x, m.y1, BlendColor(canvas_.GetPixel(m.x, m.y1), m.colour, strength_));
      }
    }
    count_ = 0;
  }

 private:
  static constexpr int kPending = 64;
  struct Mark {
    int32_t x;
    int32_t y1;
    int32_t y2;
    uint32_t colour;
    bool point;
  };
  void Add(const Mark& mark) {
    pending_[count_++] = mark;
    if (count_ == kPending) Flush();
  }

  PixelCanvas& canvas_;
  double strength_;
  Mark pending_[kPending];
  int count_ = 0;
};

QRect BandRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return QRect(left, top, right - left, bottom - top);
}

bool HasArea(const QRect& band) { return band.width() > 0 && band.height() > 0; }

}  // namespace

void TMDIChildWave::DrawWave(const QRect& client) {
  const TUnitWave* document = GetUnitWave();
  if (!document || document->GetValues() == 0) {
    FillBackground(client);  // no cursor line on an empty sound
    return;
  }
  const int32_t left = client.left();
  const int32_t right = client.left() + client.width();
  if (document->GetSelCursor() != document->GetSelAnchor()) {
    const int32_t x1 = std::clamp(SampleToX(document->GetSelBegin()), left, right);
    const int32_t x2 = std::clamp(SampleToX(document->GetSelEnd()), left, right);
    if (x1 > left) DrawRange(left, x1, false);
    if (right > x2) DrawRange(x2, right, false);
    if (x1 < x2) DrawRange(x1, x2, true);
  } else {
    DrawRange(left, right, false);
  }
  const int32_t cursorX = SampleToX(document->GetSelCursor());
  if (cursorX >= left && cursorX <= right) DrawCursorLine();
}

void TMDIChildWave::FillBackground(const QRect& r) {
  PixelCanvas canvas(canvas_);
  canvas.FillRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height(),
                  WaveViewProps.BackgroundColor);
}

void TMDIChildWave::DrawRange(int32_t x1, int32_t x2, bool selected) {
  if (FViewMode == 1) {
    DrawVoldRange(x1, x2, selected);
  } else {
    DrawWaveRange(x1, x2, selected);
  }
}

void TMDIChildWave::DrawCursorLine() {
  const TUnitWave* document = GetUnitWave();
  if (!document) return;
  const int32_t values = document->GetValues();
  if (values == 0) return;  // an empty sound has no cursor line
  int32_t cursor = document->GetSelCursor();
  if (cursor == values) cursor = values - 1;  // the line stays on the last sample
  const QRect client = ClientRect();
  PixelCanvas canvas(canvas_);
  canvas.VLine(SampleToX(cursor), client.top(), client.top() + client.height(),
               FViewMode == 1 ? VoldViewProps.CursorColor : WaveViewProps.GridColor);
}

void TMDIChildWave::DrawChannelBands(int32_t x1, int32_t x2, bool twoBands,
                                     const ChannelPainter& single, const StereoPainter& both) {
  TUnitWave* document = GetUnitWave();
  if (!document || canvas_.isNull()) return;
  // Only columns on the picture cost anything: a range reaching far beyond it (a deep zoom asked
  // to repaint the whole sound) is cut to the picture before the samples are mapped.
  x1 = std::max(x1, -1);
  x2 = std::min(x2, canvas_.width() + 1);
  if (x2 <= x1) return;
  const double s1 = XToSample(x1);
  const double s2 = XToSample(x2);
  const QRect client = ClientRect();
  const int32_t top = client.top();
  const int32_t bottom = client.top() + client.height();

  const Sound* sound = document->GetSound();
  if (sound->MoSt == 2) {
    const Wave* leftWave = sound->GetLeftWave();
    const Wave* rightWave = sound->GetRightWave();
    if (twoBands) {
      const int32_t middle = (top + bottom) / 2;
      single(leftWave, s1, s2, BandRect(x1, top, x2, middle));
      single(rightWave, s1, s2, BandRect(x1, middle, x2, bottom));
    } else if (leftWave && rightWave) {
      both(*leftWave, *rightWave, s1, s2, BandRect(x1, top, x2, bottom));
    }
    return;
  }
  bool abort = false;
  bool copied = false;
  const ChannelHold mono(sound->GetMonoWave(abort, copied), copied);
  single(mono.get(), s1, s2, BandRect(x1, top, x2, bottom));
}

void TMDIChildWave::DrawWaveRange(int32_t x1, int32_t x2, bool selected) {
  // Inside the selection the wave and back colours change places, and so do left and right.
  const TWaveViewProps& props = WaveViewProps;
  const uint32_t wave = selected ? props.BackgroundColor : props.SingleWaveColor;
  const uint32_t back = selected ? props.SingleWaveColor : props.BackgroundColor;
  const uint32_t left = selected ? props.RightColor : props.LeftColor;
  const uint32_t right = selected ? props.LeftColor : props.RightColor;
  DrawChannelBands(
      x1, x2, props.TwoWaves,
      [&](const Wave* w, double s1, double s2, const QRect& band) {
        DrawChannel(w, s1, s2, band, wave, back);
      },
      [&](const Wave& l, const Wave& r, double s1, double s2, const QRect& band) {
        DrawStereoCombined(l, r, s1, s2, band, wave, back, left, right);
      });
}

void TMDIChildWave::DrawChannel(const Wave* w, double s1, double s2, const QRect& band,
                                uint32_t waveColour, uint32_t backColour) {
  if (!w || w->values <= 0 || !HasArea(band) || !std::isfinite(s1) || !std::isfinite(s2)) return;
  const auto [bl, bt, br, bb] = EdgesOf(band);
  // A full-scale peak's line starts a pixel above the band; the band keeps it, so the lower band
  // of a stereo pair never reaches into the upper one.
  PixelCanvas canvas = FilledBand(canvas_, band, backColour);
  if (!canvas.IsEmpty()) {
    const int32_t perPixel = std::max(WaveViewProps.ValuesPerPixel.GetValue(), 1);
    const ColumnSpan span =
        SpanOfColumns(bl, br, s1, s2, w->values, perPixel, canvas.ClipLeft(), canvas.ClipRight(),
                      [this](double s) { return SampleToX(s); });
    ColumnReader reader(span.start, span.step, perPixel, WaveViewProps.Distribution == 1,
                        w->values - 1);
    const LevelMap level(bt, bb);
    const int16_t* samples = w->wave;
    ColumnPen pen(canvas, WaveViewProps.Strength.GetValue());
    if (WaveViewProps.DrawKind == 1) {
      for (int32_t x = span.first; x < span.end; ++x) {
        reader.Column(false, [&](int32_t i) { pen.Point(x, level(samples[i]), waveColour); });
      }
    } else {
      for (int32_t x = span.first; x < span.end; ++x) {
        int16_t lowest = std::numeric_limits<int16_t>::max();
        int16_t highest = std::numeric_limits<int16_t>::min();
        reader.Column(true, [&](int32_t i) {
          lowest = std::min(lowest, samples[i]);
          highest = std::max(highest, samples[i]);
        });
        // The highest value has the smallest y; the line starts a pixel above it.
        pen.Line(x, level(highest) - 1, level(lowest), waveColour);
      }
    }
  }
  if (WaveViewProps.DrawGrid) DrawGrid(band);  // on top of the wave
}

void TMDIChildWave::DrawStereoCombined(const Wave& left, const Wave& right, double s1, double s2,
                                       const QRect& band, uint32_t waveColour, uint32_t backColour,
                                       uint32_t leftColour, uint32_t rightColour) {
  if (left.values <= 0 || right.values <= 0 || !HasArea(band) || !std::isfinite(s1) ||
      !std::isfinite(s2)) {
    return;
  }
  const auto [bl, bt, br, bb] = EdgesOf(band);
  PixelCanvas canvas = FilledBand(canvas_, band, backColour);
  if (!canvas.IsEmpty()) {
    // Both channels are read at the same positions; a shorter one is read up to its own end.
    const int32_t values = std::min(left.values, right.values);
    const int32_t perPixel = std::max(WaveViewProps.ValuesPerPixel.GetValue(), 1);
    // Only the two ends of the sound are mapped, and they lie within the band's columns.
    // Structured bindings are copied in by name: not every compiler lets a lambda capture them.
    const auto toX = [s1, s2, left = bl, right = br](double s) {
      if (s2 == s1) return left;
      return static_cast<int32_t>(
          std::clamp<double>(MapLinear(s, s1, s2, left, right), left, right));
    };
    const ColumnSpan span =
        SpanOfColumns(bl, br, s1, s2, values, perPixel, canvas.ClipLeft(), canvas.ClipRight(), toX);
    ColumnReader reader(span.start, span.step, perPixel, WaveViewProps.Distribution == 1,
                        values - 1);
    const LevelMap level(bt, bb);
    // The back layer is drawn first, the front layer over it; "Mixed" then marks where they meet.
    const bool leftAtFront = WaveViewProps.Combine == 1;
    const bool mixed = WaveViewProps.Combine != 1 && WaveViewProps.Combine != 2;
    const int16_t* back = leftAtFront ? right.wave : left.wave;
    const int16_t* front = leftAtFront ? left.wave : right.wave;
    const uint32_t backPen = leftAtFront ? rightColour : leftColour;
    const uint32_t frontPen = leftAtFront ? leftColour : rightColour;

    ColumnPen pen(canvas, WaveViewProps.Strength.GetValue());
    if (WaveViewProps.DrawKind == 1) {
      for (int32_t x = span.first; x < span.end; ++x) {
        if (mixed) {
          reader.Column(false, [&](int32_t i) {
            pen.Point(x, level(back[i]), backPen);
            pen.Point(x, level(front[i]), frontPen);
          });
          continue;
        }
        // All points of the back channel, then all of the front one over the same span.
        reader.Column(false, [&](int32_t i) { pen.Point(x, level(back[i]), backPen); });
        reader.Again();
        reader.Column(false, [&](int32_t i) { pen.Point(x, level(front[i]), frontPen); });
      }
    } else {
      for (int32_t x = span.first; x < span.end; ++x) {
        int16_t backLow = std::numeric_limits<int16_t>::max();
        int16_t backHigh = std::numeric_limits<int16_t>::min();
        int16_t frontLow = backLow;
        int16_t frontHigh = backHigh;
        reader.Column(true, [&](int32_t i) {
          backLow = std::min(backLow, back[i]);
          backHigh = std::max(backHigh, back[i]);
          frontLow = std::min(frontLow, front[i]);
          frontHigh = std::max(frontHigh, front[i]);
        });
        const int32_t backTop = level(backHigh);
        const int32_t backBottom = level(backLow);
        const int32_t frontTop = level(frontHigh);
        const int32_t frontBottom = level(frontLow);
        // The back layer shows only where the front layer leaves room: as if drawn first, but
        // every pixel is written once.
        pen.Line(x, frontTop - 1, frontBottom, frontPen);
        pen.Line(x, backTop - 1, std::min(backBottom, frontTop - 1), backPen);
        pen.Line(x, std::max(backTop - 1, frontBottom), backBottom, backPen);
        if (mixed) {
          // Where the channels agree the single-wave colour shows.
          const int32_t overlapTop = std::max(backTop, frontTop);
          const int32_t overlapBottom = std::min(backBottom, frontBottom);
          if (overlapTop <= overlapBottom) pen.Line(x, overlapTop - 1, overlapBottom, waveColour);
        }
      }
    }
  }
  if (WaveViewProps.DrawGrid) DrawGrid(band);
}

void TMDIChildWave::DrawGrid(const QRect& band) {
  if (!HasArea(band)) return;
  const auto [bl, bt, br, bb] = EdgesOf(band);
  PixelCanvas canvas(canvas_);
  const uint32_t pen = WaveViewProps.GridColor;
  canvas.HLine(bl, br, static_cast<int32_t>((static_cast<double>(bt) + bb) * 0.5), pen);

  const TUnitWave* document = GetUnitWave();
  const double span = GetViewEnd() - GetViewBegin();
  const uint32_t rate = document ? document->GetSamplesPerSec() : 0;
  // Under 20 pixels of width there is room for no tick: the centre line stands alone.
  const int32_t ticks = ClientWidth() / 20;
  if (!(span > 0) || rate == 0 || ticks <= 0) return;
  const double seconds = span / rate / ticks;
  if (!(seconds > 0) || !std::isfinite(seconds)) return;
  const double step = NiceGridStep(seconds);
  // A tick where a column starts a new grid interval. Columns off the picture draw nothing, and
  // the interval count only grows, so the walk may start at the first visible column.
  const int32_t first = std::max(bl, canvas.ClipLeft());
  const int32_t last = std::min(br, canvas.ClipRight() - 1);
  if (first > last) return;
  double previous = std::trunc(XToTime(first - 1) / step);
  for (int32_t x = first; x <= last; ++x) {
    const double k = std::trunc(XToTime(x) / step);
    if (k > previous) canvas.VLine(x, bt, bb, pen);
    previous = k;
  }
}
