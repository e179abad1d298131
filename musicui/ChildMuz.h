// The document window of a music document: lays the score out and draws it afresh on every
// paint, stave under stave, scrolls both ways, and edits it with the mouse and the keys in the
// document's editing mode.
#pragma once

#include <QImage>
#include <Qt>
#include <cstdint>
#include <memory>

#include "app/wavewindow/ChildWin.h"
#include "gui/cursors.h"
#include "music/muzview.h"

class PixelCanvas;
class QScrollBar;
class QWidget;
class TMuzNote;
class TNoteStave;
class TSilence;
class TStaveSymbol;
class TUnitMuz;
class TXTouchMuzSymbol;
class MuzCanvasWidget;
struct ClientRect;

// The vertical-split cursor shown over a stave border; no program cursor uses this id.
inline constexpr TCursor crVSplit = -15;

class TMDIChildMuz : public TMDIChildKorvalen, public MuzView {
 public:
  TMDIChildMuz(QWidget* owner, std::unique_ptr<TUnitMuz> unitMuz);
  ~TMDIChildMuz() override;

  // The document; null once the window has closed and dropped it.
  TUnitMuz* GetUnitMuz() const;

  // --- MuzView ---------------------------------------------------------------------------------
  void Redraw() override;
  void ShowStatus() override;
  void ScrollIntoViewX(int32_t x1, int32_t x2) override;
  void ScrollIntoViewY(int32_t y1, int32_t y2) override;

  // --- Painting --------------------------------------------------------------------------------
  // Lays out and draws the whole score into the picture and sets both scroll bars.
  void EvFormPaint();
  const QImage& Canvas() const { return canvas_; }
  QWidget* ClientArea() const;
  QScrollBar* HorzScrollBar() const { return horzScroll_; }
  QScrollBar* VertScrollBar() const { return vertScroll_; }
  int32_t GetLeftOrigin() const { return LeftOriginX; }
  int32_t GetTopOrigin() const { return TopOriginY; }
  int32_t GetRightExtent() const { return RightExtentX; }
  int32_t GetBottomExtent() const { return BottomExtentY; }

  // --- Hit tests, in client coordinates of the last layout -------------------------------------
  TNoteStave* StaveAt(int32_t y) const;
  // The nearest stave step, 5 pixels a step, 0 on the centre line, positive upwards.
  static int32_t PitchStepAt(int32_t y, const TNoteStave& stave);
  TNoteStave* BorderAt(int32_t y) const;
  TMuzNote* FindNoteAtX(int32_t x, const TNoteStave* stave) const;
  TSilence* FindSilenceAtX(int32_t x, const TNoteStave* stave) const;
  void FindNeighboursAtX(int32_t x, const TNoteStave* stave, TStaveSymbol*& previous,
                         TStaveSymbol*& next) const;
  TXTouchMuzSymbol* FindNearestSymbol(int32_t x, int32_t y) const;

  // --- Editing ---------------------------------------------------------------------------------
  void EvFormMouseDown(int32_t x, int32_t y);
  // `buttons` are the buttons held during the move.
  void EvFormMouseMove(Qt::MouseButtons buttons, int32_t x, int32_t y);
  void EvFormMouseUp(Qt::MouseButtons buttons);
  void FormKeyDown(int key, Qt::KeyboardModifiers shift);
  bool IsDragging() const { return DragStaveBorder; }
  // The cursor the window shows over its client area.
  TCursor MouseCursor() const { return mouseCursor_; }

 protected:
  bool SaveUnit() override;
  void NotifyActivated() override;
  void NotifyLastClosed() override;

 private:
  void DrawAll();
  int32_t LayoutStaves();
  void DrawStaveBorders(PixelCanvas& canvas, const ClientRect& client);
  void DrawParts(PixelCanvas& canvas, int32_t clientWidth);
  void DrawStaves(PixelCanvas& canvas, const ClientRect& client);
  void SetHorzScroll();
  void SetVertScroll();
  void AddKeyAt(int32_t x, int32_t y);
  void AddNoteAt(int32_t x, int32_t y);
  void SelectAt(int32_t x, int32_t y);
  void DeleteAt(int32_t x, int32_t y);
  void SelectSymbol(TXTouchMuzSymbol* symbol);
  void DragBorder(Qt::MouseButtons buttons, int32_t y);
  void ChooseCursor(int32_t x, int32_t y);
  TCursor CursorForInsert(int32_t x, int32_t y) const;
  void SetMouseCursor(TCursor cursor);
  // The nearest symbol when it stands on a stave.
  TStaveSymbol* NearestStaveSymbol(int32_t x, int32_t y) const;
  void Changed();

  TUnitMuz* UnitMuz = nullptr;  // owned through the base
  int32_t LeftOriginX = 0;
  int32_t RightExtentX = 0;
  int32_t TopOriginY = 0;
  int32_t BottomExtentY = 0;
  bool DragStaveBorder = false;
  int32_t DragStartY = 0;
  TNoteStave* DragStaveBorderPrevious = nullptr;
  bool SplitToggle = false;

  QImage canvas_;
  MuzCanvasWidget* client_ = nullptr;
  QScrollBar* horzScroll_ = nullptr;
  QScrollBar* vertScroll_ = nullptr;
  TCursor mouseCursor_ = crDefault;
  friend class MuzCanvasWidget;
};

// Lets the main window make music windows; the entry point calls it once.
void InstallMusicWindows();
