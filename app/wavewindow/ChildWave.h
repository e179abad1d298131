// The document window of a wave document: maps pixel columns to sample positions, zooms into a
// stretch of the sound with a horizontal scroll bar, sets the cursor and the selection with the
// mouse and the keys, writes the time and level under the mouse into the status bar, and
// repaints what the document asks for.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/wavewindow/ChildWin.h"
#include "app/dialogs/ViewProps.h"
#include "wave/sound.h"
#include "wave/waveview.h"

class QScrollBar;
class TDrawNode;
class TUnitWave;
class Wave;
class WaveCanvas;

// Images of the window icon list.
inline constexpr int kIconStereoWave = 0;
inline constexpr int kIconMonoWave = 1;
inline constexpr int kIconVold = 3;

inline constexpr int kWaveStatusPanel = 1;
inline constexpr int kWaveStatusWidth = 120;
inline constexpr int kVoldStatusWidth = 130;

class TMDIChildWave : public TMDIChildKorvalen, public WaveView {
 public:
  TMDIChildWave(QWidget* owner, std::unique_ptr<TUnitWave> unitWave,
                const TWaveViewProps& waveProps, const TVoldViewProps& voldProps);
  ~TMDIChildWave() override;

  // The document; null once the window has closed and dropped it.
  TUnitWave* GetUnitWave() const;

  // --- Settings: none of these repaints; the callers call Redraw ---------------------------
  void SetWaveViewProps(const TWaveViewProps& props);
  void SetVoldViewProps(const TVoldViewProps& props);
  void SetViewMode(uint8_t mode);
  const TWaveViewProps& GetWaveViewProps() const { return WaveViewProps; }
  const TVoldViewProps& GetVoldViewProps() const { return VoldViewProps; }
  uint8_t GetDrawType() const { return DrawType; }
  // Drawing through control points: on with a curve kind, off again, or another curve kind.
  void StartUserDrawing(uint8_t drawType);
  void StopUserDrawing();
  void SetDrawType(uint8_t drawType);
  int IconIndex() const { return iconIndex_; }

  // --- Zoom and mapping -----------------------------------------------------------------------
  double GetViewBegin() const;
  double GetViewEnd() const;
  double GetViewBeginTime() const;
  double GetViewEndTime() const;
  double IsZoomed() const { return Zoomed ? 1.0 : 0.0; }
  double XToSample(int32_t x) const;
  int32_t SampleToX(double s) const;
  double XToTime(int32_t x) const;
  void ZoomIn();
  void SetScroll(int32_t begin, int32_t end);
  void NoZoom();
  void HideScroll();
  // The horizontal scroll bar: its range in virtual pixels and its position.
  int32_t ScrollRange() const { return scrollRange_; }
  int32_t ScrollPosition() const;
  int32_t ScrollIncrement() const;
  bool ScrollBarVisible() const;
  QScrollBar* ScrollBar() const { return scrollBar_; }

  // --- WaveView -------------------------------------------------------------------------------
  void Redraw() override;
  void RedrawSamples(int32_t first, int32_t last, bool selected) override;
  void RedrawSample(int32_t position) override;
  void SaveZoom(int32_t begin, int32_t end) override;
  void RestoreZoom(int32_t begin, int32_t end) override;
  void SetIconForChannels(int16_t channels) override;
  bool UserDrawing() const override { return FUserDrawing; }
  uint8_t ViewMode() const override { return FViewMode; }

  // --- Painting on the client area ----------------------------------------------------------
  // The client area's picture. Drawing goes here at any time; the client shows it when painted.
  const QImage& Canvas() const { return canvas_; }
  QWidget* ClientArea() const;
  QRect ClientRect() const;
  void DrawWave(const QRect& client);
  void FillBackground(const QRect& r);
  void DrawRange(int32_t x1, int32_t x2, bool selected);
  void DrawCursorLine();
  void DrawWaveRange(int32_t x1, int32_t x2, bool selected);
  void DrawVoldRange(double x1, double x2, bool selected);
  // The channels of the sound over the columns [x1, x2) as both views lay them out: a stereo
  // sound in two bands (left above right) or in one, a mono sound in one.
  using ChannelPainter =
      std::function<void(const Wave* w, double s1, double s2, const QRect& band)>;
  using StereoPainter = std::function<void(const Wave& left, const Wave& right, double s1,
                                           double s2, const QRect& band)>;
  void DrawChannelBands(int32_t x1, int32_t x2, bool twoBands, const ChannelPainter& single,
                        const StereoPainter& both);
  // The volume diagram of one channel, or of both channels in one diagram, into a band over the
  // sample span s1..s2; a cell is one row in one column, lit by the row's peak there.
  void DrawVoldMono(const Wave* w, double s1, double s2, const QRect& band, bool selected);
  void DrawVoldStereo(const Wave& left, const Wave& right, double s1, double s2,
                      const QRect& band, bool selected);
  void PaintVoldCellMono(float peak, int32_t col, int32_t row, const QRect& band, int32_t n,
                         bool selected);
  void PaintVoldCellStereo(float peakLeft, float peakRight, int32_t col, int32_t row,
                           const QRect& band, int32_t n, bool selected);
  // One channel into one band [left, right) x [top, bottom) over the sample span s1..s2, and
  // both channels of a stereo sound into one band; the user drawing reuses the channel drawing.
  void DrawChannel(const Wave* w, double s1, double s2, const QRect& band, uint32_t waveColour,
                   uint32_t backColour);
  void DrawStereoCombined(const Wave& left, const Wave& right, double s1, double s2,
                          const QRect& band, uint32_t waveColour, uint32_t backColour,
                          uint32_t leftColour, uint32_t rightColour);
  // The centre line and the time ticks of one band.
  void DrawGrid(const QRect& band);

  // --- Handlers of the client area ----------------------------------------------------------
  void FormKeyDown(int key, Qt::KeyboardModifiers shift);
  void EvFormMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int32_t x, int32_t y);
  void EvFormMouseMove(Qt::MouseButtons buttons, int32_t x, int32_t y);
  void EvFormPaint();
  void EvFormResize();
  // The text of status panel 1 for the mouse at (x, y) in the present view.
  std::string StatusTextAt(int32_t x, int32_t y) const;
  void EvFormMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int32_t x, int32_t y);

  // --- Drawing a wave through control points ------------------------------------------------
  void DrawMouseDown(int32_t x, int32_t y, Qt::KeyboardModifiers shift);
  void DrawMouseMove(int32_t x, int32_t y, Qt::KeyboardModifiers shift);
  void DrawMouseUp(int32_t x, int32_t y, Qt::KeyboardModifiers shift);
  void DeleteDrawNode(TDrawNode* node);
  void RescaleDrawNodes();
  // Hands the points to the document, which makes its sound from them.
  void ApplyUserDrawing();
  void DrawUserDrawing(const QRect& client);
  // The head of the control points, sorted by x; null without points.
  const TDrawNode* GetFirstNode() const { return FirstNode; }
  const TDrawNode* GetDraggedNode() const { return DraggedNode; }

 protected:
  bool SaveUnit() override;
  void NotifyActivated() override;
  void NotifyLastClosed() override;

 private:
  friend class WaveCanvas;

  void Init(std::unique_ptr<TUnitWave> unitWave);
  void SetIcon(int index);
  void IconByChannels();
  int32_t ClientWidth() const;
  // The view window [begin, end) in samples.
  void ViewWindow(double& begin, double& end) const;
  // Lays the scroll bar out for the range and the client width.
  void UpdateScrollBar();
  void NotifyZoomChanged();
  // Draws into the picture without asking the client to show it.
  void PaintAll();
  bool CanvasFits() const;
  // Asks the client to show the columns [x1, x2) of the picture again.
  void UpdateColumns(int32_t x1, int32_t x2);
  // The sample under column x for a mouse selection: within [0, N - 1].
  int32_t MouseSample(int32_t x) const;
  // The position reached from `position` by `pixels` columns, through the mapping.
  int32_t StepPixels(int32_t position, int32_t pixels) const;
  void SelectMouseDown(Qt::KeyboardModifiers shift, int32_t x);
  void SelectMouseMove(int32_t x);
  void SelectMouseUp();
  void ShowMouseStatus(int32_t x, int32_t y) const;
  void DeleteDrawNodes();
  // The window's own cursor while a dragged point is out: the one a release would delete it with.
  void ShowDragCursor();

  uint8_t FViewMode = 0;
  TWaveViewProps WaveViewProps;
  TVoldViewProps VoldViewProps;
  bool Selecting = false;
  bool Zoomed = false;
  double ZoomBeginOffset = 0;
  double ZoomEndOffset = 0;
  double OldZoomDepth = 0;
  bool FUserDrawing = false;
  uint8_t DrawType = 0;
  TDrawNode* FirstNode = nullptr;    // owned list
  TDrawNode* DraggedNode = nullptr;  // one of the list
  int32_t GrabDX = 0;
  int32_t GrabDY = 0;
  QRect LastClientRect;

  WaveCanvas* client_ = nullptr;
  QScrollBar* scrollBar_ = nullptr;
  int32_t scrollRange_ = 0;
  int iconIndex_ = kIconMonoWave;
  QImage canvas_;
  // The picture no longer shows the present view; the next paint draws it whole.
  bool stale_ = true;
};
