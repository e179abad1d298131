#include "app/wavewindow/ChildWave.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app/wavewindow/WindowHost.h"
#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/writers.h"
#include "gui/clientarea.h"
#include "gui/statusbar.h"
#include "wave/unitwave.h"

namespace {

constexpr const char* kAssertUnit = "ChildWin";

constexpr int kInitialWidth = 177;
constexpr int kInitialHeight = 108;
constexpr int32_t kPageStepPixels = 10;

// Truncates toward zero into the 32-bit range: far positions saturate instead of wrapping to the
// other side, and a NaN gives 0.
int32_t SaturatedTrunc(double v) {
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  if (v >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(v);
}

// MapLinear for a span that may be empty: an empty span maps everything onto its start.
double MapSpan(double v, double a, double b, double c, double d) {
  return b == a ? c : MapLinear(v, a, b, c, d);
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The column after x, which a far column saturated at the edge of the range does not have.
int32_t NextColumn(int32_t x) { return ClampToInt32(static_cast<int64_t>(x) + 1); }

// The window icons: a waveform in one or two bands, or a volume diagram's coloured rows.
QIcon MakeIcon(int index) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 31, 31);
  const auto wave = [&painter](int top, int height, const QColor& colour) {
    painter.setPen(colour);
    for (int x = 2; x < 30; ++x) {
      const double y = std::sin(x * 0.45) * (height / 2 - 2);
      const int centre = top + height / 2;
      painter.drawLine(x, centre - static_cast<int>(y), x, centre + static_cast<int>(y));
    }
  };
  if (index == kIconStereoWave) {
    wave(1, 15, Qt::red);
    wave(16, 15, Qt::darkCyan);
  } else if (index == kIconMonoWave) {
    wave(1, 30, Qt::black);
  } else if (index == kIconVold) {
    for (int row = 0; row < 6; ++row) {
      painter.fillRect(1, 1 + row * 5, 30, 5, QColor::fromHsv(row * 40, 200, 255 - row * 25));
    }
  }
  return QIcon(pixmap);
}

const std::vector<QIcon>& ImageListIcons() {
  static const std::vector<QIcon> icons{MakeIcon(kIconStereoWave), MakeIcon(kIconMonoWave),
                                        QIcon(), MakeIcon(kIconVold)};
  return icons;
}

}  // namespace

// The client area: the window's picture, its navigation keys, mouse and size events.
class WaveCanvas : public PictureClient {
 public:
  explicit WaveCanvas(TMDIChildWave& window) : window_(window) {}

 protected:
  void PaintPicture() override { window_.EvFormPaint(); }
  const QImage& Picture() const override { return window_.canvas_; }
  void NavigationKey(int key, Qt::KeyboardModifiers modifiers) override { window_.FormKeyDown(key, modifiers); }
  void resizeEvent(QResizeEvent*) override { window_.EvFormResize(); }
  void mousePressEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    window_.EvFormMouseDown(event->button(), event->modifiers(), at.x(), at.y());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    window_.EvFormMouseMove(event->buttons(), at.x(), at.y());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    window_.EvFormMouseUp(event->button(), event->modifiers(), at.x(), at.y());
    if (event->button() == Qt::LeftButton) window_.FormClick();
  }

 private:
  TMDIChildWave& window_;
};

// --- Construction and settings ------------------------------------------------------------------

TMDIChildWave::TMDIChildWave(QWidget* owner, std::unique_ptr<TUnitWave> unitWave,
                             const TWaveViewProps& waveProps, const TVoldViewProps& voldProps)
    : TMDIChildKorvalen(owner), WaveViewProps(waveProps), VoldViewProps(voldProps) {
  KV_ASSERT(unitWave != nullptr);
  auto* client = new QWidget;
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  client_ = new WaveCanvas(*this);
  scrollBar_ = new QScrollBar(Qt::Horizontal);
  scrollBar_->setTracking(true);  // the view follows the thumb while it is dragged
  scrollBar_->hide();
  layout->addWidget(client_, 1);
  layout->addWidget(scrollBar_);
  SetClientArea(client);
  setFocusProxy(client_);
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this] {
    stale_ = true;
    client_->update();
    NotifyZoomChanged();
  });
  resize(kInitialWidth, kInitialHeight);

  FViewMode = 0;
  Init(std::move(unitWave));
  IconByChannels();
}

TMDIChildWave::~TMDIChildWave() {
  DeleteDrawNodes();
  DeleteUnit();
}

void TMDIChildWave::Init(std::unique_ptr<TUnitWave> unitWave) {
  TUnitWave* const document = unitWave.get();
  SetUnit(std::move(unitWave));
  FUserDrawing = false;
  Selecting = false;
  Zoomed = false;
  OldZoomDepth = 0;
  // A document that does not know its window would change its selection unseen.
  document->SetView(this);
}

TUnitWave* TMDIChildWave::GetUnitWave() const { return static_cast<TUnitWave*>(GetUnit()); }

QWidget* TMDIChildWave::ClientArea() const { return client_; }

void TMDIChildWave::SetIcon(int index) {
  iconIndex_ = index;
  setWindowIcon(ImageListIcons()[static_cast<size_t>(index)]);
}

void TMDIChildWave::IconByChannels() {
  const TUnitWave* document = GetUnitWave();
  SetIconForChannels(document ? document->GetChannels() : 1);
}

void TMDIChildWave::SetIconForChannels(int16_t channels) {
  SetIcon(channels == 1 ? kIconMonoWave : kIconStereoWave);
}

void TMDIChildWave::SetWaveViewProps(const TWaveViewProps& props) {
  WaveViewProps = props;
  FViewMode = 0;
  IconByChannels();
}

void TMDIChildWave::SetVoldViewProps(const TVoldViewProps& props) {
  VoldViewProps = props;
  FViewMode = 1;
  SetIcon(kIconVold);
}

void TMDIChildWave::SetViewMode(uint8_t mode) {
  FViewMode = mode;
  if (mode == 1) {
    SetIcon(kIconVold);
  } else {
    IconByChannels();
  }
}

// --- Zoom and mapping ----------------------------------------------------------------------------

int32_t TMDIChildWave::ClientWidth() const { return client_->width(); }

QRect TMDIChildWave::ClientRect() const { return QRect(0, 0, client_->width(), client_->height()); }

int32_t TMDIChildWave::ScrollPosition() const { return scrollBar_->value(); }

int32_t TMDIChildWave::ScrollIncrement() const { return scrollBar_->singleStep(); }

bool TMDIChildWave::ScrollBarVisible() const { return !scrollBar_->isHidden(); }

void TMDIChildWave::ViewWindow(double& begin, double& end) const {
  const TUnitWave* document = GetUnitWave();
  const double values = document ? document->GetValues() : 0;
  if (!Zoomed || scrollRange_ == 0) {
    begin = 0;
    end = values;
    return;
  }
  const double position = ScrollPosition();
  begin = values * position / scrollRange_;
  end = values * (ClientWidth() + position) / scrollRange_;
}

double TMDIChildWave::GetViewBegin() const {
  double begin = 0, end = 0;
  ViewWindow(begin, end);
  return begin;
}

double TMDIChildWave::GetViewEnd() const {
  double begin = 0, end = 0;
  ViewWindow(begin, end);
  return end;
}

double TMDIChildWave::GetViewBeginTime() const {
  const TUnitWave* document = GetUnitWave();
  const uint32_t rate = document ? document->GetSamplesPerSec() : 0;
  return rate == 0 ? 0 : GetViewBegin() / rate;
}

double TMDIChildWave::GetViewEndTime() const {
  const TUnitWave* document = GetUnitWave();
  const uint32_t rate = document ? document->GetSamplesPerSec() : 0;
  return rate == 0 ? 0 : GetViewEnd() / rate;
}

double TMDIChildWave::XToSample(int32_t x) const {
  double begin = 0, end = 0;
  ViewWindow(begin, end);
  // The centre of the pixel.
  return MapSpan(x + 0.5, 0, ClientWidth(), begin, end);
}

int32_t TMDIChildWave::SampleToX(double s) const {
  double begin = 0, end = 0;
  ViewWindow(begin, end);
  return SaturatedTrunc(MapSpan(s, begin, end, 0, ClientWidth()));
}

double TMDIChildWave::XToTime(int32_t x) const {
  double begin = 0, end = 0;
  ViewWindow(begin, end);
  const TUnitWave* document = GetUnitWave();
  const uint32_t rate = document ? document->GetSamplesPerSec() : 0;
  if (rate == 0) return 0;
  return MapSpan(x, 0, ClientWidth(), begin / rate, end / rate);
}

void TMDIChildWave::ZoomIn() {
  TUnitWave* document = GetUnitWave();
  if (!document || document->GetValues() == 0) return;
  if (document->GetSelCursor() == document->GetSelAnchor()) return;
  Zoomed = true;
  const int32_t lo = document->GetSelBegin();
  const int32_t hi = document->GetSelEnd();
  document->SetSelRange(lo, hi);
  SetScroll(lo, hi);
  Redraw();
}

void TMDIChildWave::SetScroll(int32_t begin, int32_t end) {
  const TUnitWave* document = GetUnitWave();
  const int32_t values = document ? document->GetValues() : 0;
  // A window under one sample, or no sound at all, has no zoom to show.
  if (values == 0 || static_cast<int64_t>(end) - begin < 1) {
    HideScroll();
    return;
  }
  Zoomed = true;
  const double width = ClientWidth();
  const double range = width * values / (static_cast<double>(end) - begin);
  // Deeper than the scroll bar can count, the window stays as deep as it can.
  scrollRange_ = SaturatedTrunc(range);
  UpdateScrollBar();
  scrollBar_->setValue(SaturatedTrunc(static_cast<double>(begin) / values * scrollRange_));
  scrollBar_->setSingleStep(ClientWidth() / 10);
  stale_ = true;
  client_->update();
  NotifyZoomChanged();
}

void TMDIChildWave::UpdateScrollBar() {
  const int32_t width = ClientWidth();
  const int32_t span = scrollRange_ > width ? scrollRange_ - width : 0;
  const QSignalBlocker quiet(scrollBar_);
  scrollBar_->setRange(0, span);
  scrollBar_->setPageStep(std::max(width, 1));
  // The bar shows only where there is something to scroll, as a platform scroll bar does.
  scrollBar_->setVisible(Zoomed && span > 0);
}

void TMDIChildWave::NoZoom() {
  TUnitWave* document = GetUnitWave();
  if (!document || document->GetValues() == 0 || !Zoomed) return;
  HideScroll();
  document->SetSelRange(SaturatedTrunc(GetViewBegin()), SaturatedTrunc(GetViewEnd()));
  Redraw();
}

void TMDIChildWave::HideScroll() {
  Zoomed = false;
  UpdateScrollBar();
  stale_ = true;
  client_->update();
  NotifyZoomChanged();
}

void TMDIChildWave::SaveZoom(int32_t begin, int32_t end) {
  KV_ASSERT(OldZoomDepth++ == 0);
  double viewBegin = 0, viewEnd = 0;
  ViewWindow(viewBegin, viewEnd);
  ZoomBeginOffset = viewBegin - begin;
  ZoomEndOffset = viewEnd - end;
}

void TMDIChildWave::RestoreZoom(int32_t begin, int32_t end) {
  KV_ASSERT(OldZoomDepth-- == 1);
  if (!Zoomed) return;
  const TUnitWave* document = GetUnitWave();
  const int32_t values = document ? document->GetValues() : 0;
  if (values == 0) {
    HideScroll();
    return;
  }
  ZoomBeginOffset = std::max(0.0, begin + ZoomBeginOffset);
  ZoomEndOffset = std::min(static_cast<double>(values), end + ZoomEndOffset);
  SetScroll(SaturatedTrunc(ZoomBeginOffset), SaturatedTrunc(ZoomEndOffset));
}

void TMDIChildWave::NotifyZoomChanged() {
  if (WindowHost* host = FindWindowHost()) host->NotifyZoomChanged(this);
}

// --- Painting ------------------------------------------------------------------------------------

bool TMDIChildWave::CanvasFits() const { return canvas_.size() == client_->size(); }

void TMDIChildWave::PaintAll() {
  if (!CanvasFits()) canvas_ = QImage(client_->size(), QImage::Format_RGB32);
  stale_ = false;
  if (canvas_.isNull()) return;
  // The control-point drawing replaces the view while the user draws.
  if (FUserDrawing) {
    DrawUserDrawing(ClientRect());
    return;
  }
  DrawWave(ClientRect());
}

void TMDIChildWave::Redraw() {
  PaintAll();
  client_->update();
}

void TMDIChildWave::RedrawSamples(int32_t first, int32_t last, bool selected) {
  // A picture that waits for a whole repaint gets the change with it; the control-point drawing
  // shows no selection.
  if (stale_ || !CanvasFits() || FUserDrawing) {
    client_->update();
    return;
  }
  const int32_t x1 = SampleToX(first);
  const int32_t x2 = SampleToX(last);
  DrawRange(x1, x2, selected);
  UpdateColumns(std::min(x1, x2), NextColumn(std::max(x1, x2)));
}

void TMDIChildWave::UpdateColumns(int32_t x1, int32_t x2) {
  // Far columns come from deep zooms; only the client's own are shown again.
  const int32_t left = std::clamp(x1, 0, ClientWidth());
  const int32_t right = std::clamp(x2, 0, ClientWidth());
  if (left < right) client_->update(QRect(left, 0, right - left, client_->height()));
}

void TMDIChildWave::RedrawSample(int32_t position) {
  const TUnitWave* document = GetUnitWave();
  if (!document || stale_ || !CanvasFits() || FUserDrawing) {
    client_->update();
    return;
  }
  // The old line stands where the cursor line is drawn: on the last sample for the very end.
  const int32_t values = document->GetValues();
  const int32_t column = position == values && values > 0 ? values - 1 : position;
  const int32_t x = SampleToX(column);
  const bool selected = column >= document->GetSelBegin() && column < document->GetSelEnd();
  DrawRange(x, NextColumn(x), selected);
  // Drawn last, so a cursor that moved within one column keeps its line.
  DrawCursorLine();
  const int32_t cursorX = SampleToX(std::min(document->GetSelCursor(), values - 1));
  UpdateColumns(x, NextColumn(x));
  UpdateColumns(cursorX, NextColumn(cursorX));
}

void TMDIChildWave::EvFormPaint() {
  NotifyZoomChanged();
  if (stale_ || !CanvasFits()) PaintAll();
}

void TMDIChildWave::EvFormResize() {
  // The range stays: the view window widens or narrows with the client.
  UpdateScrollBar();
  NotifyZoomChanged();
  if (FUserDrawing) RescaleDrawNodes();
  Redraw();
}

// --- Keys ----------------------------------------------------------------------------------------

int32_t TMDIChildWave::StepPixels(int32_t position, int32_t pixels) const {
  const int64_t x = static_cast<int64_t>(SampleToX(position)) + pixels;
  return SaturatedTrunc(XToSample(ClampToInt32(x)));
}

void TMDIChildWave::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
  TUnitWave* document = GetUnitWave();
  // The control points take the place of the selection while the user draws.
  if (!document || (shift & Qt::AltModifier) || FUserDrawing) return;
  const bool withShift = shift & Qt::ShiftModifier;
  const bool withCtrl = shift & Qt::ControlModifier;
  const int32_t values = document->GetValues();
  const int32_t moving = document->GetSelCursor();
  const int32_t anchor = document->GetSelAnchor();
  const int64_t lower = document->GetSelBegin();
  const int64_t upper = document->GetSelEnd();
  // Both ends move by the same amount; the document clamps each end on its own, so a selection
  // shifted past an edge of the sound shrinks there.
  const auto shiftBoth = [&](int64_t by) {
    document->SetSelEnds(ClampToInt32(moving + by), ClampToInt32(anchor + by));
  };
  // The ends of the selection moved by a number of pixels, as the modifiers choose them.
  const auto stepBy = [&](int32_t pixels) {
    if (withShift && withCtrl) {
      shiftBoth(int64_t{StepPixels(moving, pixels)} - moving);
    } else if (withShift) {
      document->SetSelEnds(StepPixels(moving, pixels), anchor);
    } else if (withCtrl) {
      document->SetSelEnds(moving, StepPixels(anchor, pixels));
    } else {
      document->SetCursor(StepPixels(moving, pixels));
    }
  };
  // The same for a fixed position; Shift+Ctrl shifts the selection by `by`.
  const auto toPosition = [&](int32_t position, int64_t by) {
    if (withShift && withCtrl) {
      shiftBoth(by);
    } else if (withShift) {
      document->SetSelEnds(position, anchor);
    } else if (withCtrl) {
      document->SetSelEnds(moving, position);
    } else {
      document->SetCursor(position);
    }
  };
  switch (key) {
    case Qt::Key_Left:
      stepBy(-1);
      break;
    case Qt::Key_Right:
      stepBy(1);
      break;
    case Qt::Key_Up:
      stepBy(-kPageStepPixels);
      break;
    case Qt::Key_Down:
      stepBy(kPageStepPixels);
      break;
    case Qt::Key_Home:
      toPosition(0, -lower);
      break;
    case Qt::Key_End:
      toPosition(values, values - upper);
      break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (withCtrl && !withShift) shiftBoth(key == Qt::Key_PageUp ? lower - upper : upper - lower);
      break;
    default:
      break;
  }
}

// --- Mouse ---------------------------------------------------------------------------------------

int32_t TMDIChildWave::MouseSample(int32_t x) const {
  const int32_t values = GetUnitWave()->GetValues();
  return std::clamp(SaturatedTrunc(XToSample(x)), 0, values - 1);
}

void TMDIChildWave::EvFormMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int32_t x,
                                    int32_t y) {
  if (button != Qt::LeftButton) return;
  // The control points take the mouse while the user draws.
  if (FUserDrawing) {
    DrawMouseDown(x, y, shift);
    return;
  }
  SelectMouseDown(shift, x);
}

void TMDIChildWave::SelectMouseDown(Qt::KeyboardModifiers shift, int32_t x) {
  TUnitWave* document = GetUnitWave();
  if (!document || document->GetValues() < 2) return;
  const int32_t s = MouseSample(x);
  if (shift & Qt::ShiftModifier) {
    document->ExtendSelection(s);
  } else if (shift & Qt::ControlModifier) {
    const int64_t lo = document->GetSelBegin();
    const int64_t hi = document->GetSelEnd();
    const int32_t anchor = std::abs(s - lo) < std::abs(s - hi) ? static_cast<int32_t>(lo)
                                                               : static_cast<int32_t>(hi);
    document->SetSelEnds(s, anchor);
  } else {
    document->SetCursor(s);
  }
  Selecting = true;
}

void TMDIChildWave::EvFormMouseMove(Qt::MouseButtons buttons, int32_t x, int32_t y) {
  // No status text while drawing: the points take the mouse.
  if (FUserDrawing) {
    DrawMouseMove(x, y, QGuiApplication::keyboardModifiers());
    return;
  }
  if (Selecting && (buttons & Qt::LeftButton)) SelectMouseMove(x);
  ShowMouseStatus(x, y);
}

void TMDIChildWave::SelectMouseMove(int32_t x) {
  TUnitWave* document = GetUnitWave();
  // The sound may have lost its samples to a command during the drag.
  if (!document || document->GetValues() < 2) return;
  document->ExtendSelection(MouseSample(std::clamp(x, 0, ClientWidth())));
}

void TMDIChildWave::EvFormMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int32_t x,
                                  int32_t y) {
  if (button != Qt::LeftButton) return;
  if (FUserDrawing) {
    DrawMouseUp(x, y, shift);
    return;
  }
  SelectMouseUp();
}

void TMDIChildWave::SelectMouseUp() {
  // Ends the drag whatever the sound holds now, so a drag that outlived the sound's samples cannot
  // resume on the next move.
  Selecting = false;
}

// --- Status bar ----------------------------------------------------------------------------------

std::string TMDIChildWave::StatusTextAt(int32_t x, int32_t y) const {
  const TUnitWave* document = GetUnitWave();
  if (!document) return std::string();
  const std::string time = FormatClockTime(XToTime(x));
  const double top = 0;
  if (FViewMode != 1) {
    const double h = (client_->height() - 1) - top;
    double v = 0;
    if (h > 0) {
      if (document->GetChannels() == 2) {
        v = (1 - 4 * y / h) * 100;
        if (v < -100) v += 200;  // the lower band
      } else {
        v = (1 - 2 * y / h) * 100;
      }
    }
    return "(" + time + ", " + FormatDigits(v, 1, 2, 2) + " %)";
  }
  const double bottom = client_->height() - 1;
  double r = 0;
  if (bottom - top > 0) {
    if (document->GetChannels() == 1 || !VoldViewProps.TwoDiagrams) {
      r = (bottom - y) / (bottom - top);
    } else {
      r = 2 * (bottom - y) / (bottom - top);
      if (r > 1) r -= 1;
    }
  }
  const double topPeriod = VoldViewProps.TopFreq.GetValue();
  const double bottomPeriod = VoldViewProps.BottomFreq.GetValue();
  double period = 0;
  switch (VoldViewProps.HorDistribution) {
    case 1:
      period = bottomPeriod > 0 ? std::pow(topPeriod / bottomPeriod, r) * bottomPeriod : 0;
      break;
    case 2:
      period = (topPeriod - bottomPeriod) * r + bottomPeriod;
      break;
    default:
      if (topPeriod > 0 && bottomPeriod > 0) {
        const double inverse = (1 / topPeriod - 1 / bottomPeriod) * r + 1 / bottomPeriod;
        period = inverse != 0 ? 1 / inverse : 0;
      }
      break;
  }
  // A row beyond the diagram's ends has no frequency to show.
  const double frequency = period != 0 ? 1 / period : std::numeric_limits<double>::quiet_NaN();
  return "(" + time + ", " + FormatFrequency(frequency) + " )";
}

void TMDIChildWave::ShowMouseStatus(int32_t x, int32_t y) const {
  WindowHost* host = FindWindowHost();
  if (!host) return;
  StatusPanels* panels = host->StatusBar();
  panels->SetPanelWidth(kWaveStatusPanel, FViewMode == 1 ? kVoldStatusWidth : kWaveStatusWidth);
  panels->SetPanelText(kWaveStatusPanel, StatusTextAt(x, y));
}

// --- Window protocol -----------------------------------------------------------------------------

bool TMDIChildWave::SaveUnit() {
  WindowHost* host = FindWindowHost();
  return host && host->SaveWave(GetUnitWave());
}

void TMDIChildWave::NotifyActivated() {
  if (WindowHost* host = FindWindowHost()) host->NotifyActiveWaveChild(this);
}

void TMDIChildWave::NotifyLastClosed() {
  if (WindowHost* host = FindWindowHost()) host->NotifyActiveWaveChild(nullptr);
}
