#include "musicui/ChildMuz.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QGridLayout>
#include <algorithm>
#include <cmath>
#include <functional>

#include "app/Main.h"
#include "app/MuzWindows.h"
#include "foundation/assertion.h"
#include "gui/canvas.h"
#include "gui/clientarea.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/muzwindow.h"
#include "music/stave.h"
#include "music/stavedraw.h"
#include "music/unitmuz.h"

namespace {

constexpr const char* kAssertUnit = "ChildMuz";

constexpr int kInitialWidth = 400;
constexpr int kInitialHeight = 250;
constexpr int32_t kMarginY = 40;       // above the first stave and below the last
constexpr int32_t kScoreIndent = 5;    // from the left origin to the first symbol
constexpr int32_t kRightSlack = 80;    // the score may scroll this far short of a full page
constexpr uint32_t kOutsideColour = 0x404040;
constexpr uint32_t kHatchBackground = 0xFFFFFF;  // between the hatch lines, as an opaque brush leaves it
constexpr int32_t kMinRoom = kStaveRoomBound;  // the least room above or below a centre line
constexpr double kNearestStart = 15000.0;

bool IsVisibleSinglePart(const TSinglePartMuz& part) { return part.IsVisible(); }

// Every symbol of the visible single parts in play order, on `stave` (and, when asked, those of
// no stave), until `visit` answers true.
void WalkSymbols(const TUnitMuz& unit, const TNoteStave* stave, bool withStaveless,
                 const std::function<bool(TStaveSymbol&)>& visit) {
  for (TSinglePartMuz* part = unit.GetStartPartMuz()->GetFirstSinglePart(); part;
       part = part->GetNextSinglePart()) {
    if (!IsVisibleSinglePart(*part)) continue;
    for (TStaveSymbol* symbol = part->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
      const TNoteStave* on = symbol->GetNoteStave();
      if (on != stave && !(withStaveless && on == nullptr)) continue;
      if (visit(*symbol)) return;
    }
  }
}

bool ContainsX(const TStaveSymbol& symbol, int32_t x) {
  int32_t left = 0;
  int32_t right = 0;
  return symbol.GetXRange(left, right) && left <= x && x <= right;
}

// The part of the shift that brings [a, b] within [low, high] of the length; the high side wins.
int32_t IntoViewShift(int32_t a, int32_t b, int32_t length, double low, double high) {
  double shift = 0.0;
  if (a < low * length) shift = a - low * length;
  if (b > high * length) shift = b - high * length;
  return static_cast<int32_t>(shift);
}

void ScrollBy(QScrollBar& bar, int32_t shift) {
  const int64_t wanted = static_cast<int64_t>(bar.value()) + shift;
  bar.setValue(static_cast<int>(std::clamp<int64_t>(wanted, bar.minimum(), bar.maximum())));
}

}  // namespace

// The client area: the window's picture, its navigation keys and mouse events.
class MuzCanvasWidget : public PictureClient {
 public:
  explicit MuzCanvasWidget(TMDIChildMuz& window) : window_(window) {}

 protected:
  void PaintPicture() override { window_.EvFormPaint(); }
  const QImage& Picture() const override { return window_.canvas_; }
  void NavigationKey(int key, Qt::KeyboardModifiers modifiers) override { window_.FormKeyDown(key, modifiers); }
  void mousePressEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    window_.EvFormMouseDown(at.x(), at.y());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    window_.EvFormMouseMove(event->buttons(), at.x(), at.y());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    window_.EvFormMouseUp(event->buttons());
    if (event->button() == Qt::LeftButton) window_.FormClick();
  }

 private:
  TMDIChildMuz& window_;
};

// --- Construction ---------------------------------------------------------------------------------

TMDIChildMuz::TMDIChildMuz(QWidget* owner, std::unique_ptr<TUnitMuz> unitMuz) : TMDIChildKorvalen(owner) {
  KV_ASSERT(unitMuz != nullptr);
  auto* client = new QWidget;
  auto* layout = new QGridLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  client_ = new MuzCanvasWidget(*this);
  horzScroll_ = new QScrollBar(Qt::Horizontal);
  vertScroll_ = new QScrollBar(Qt::Vertical);
  for (QScrollBar* bar : {horzScroll_, vertScroll_}) {
    bar->setTracking(true);
    connect(bar, &QScrollBar::valueChanged, this, [this] { client_->update(); });
  }
  layout->addWidget(client_, 0, 0);
  layout->addWidget(vertScroll_, 0, 1);
  layout->addWidget(horzScroll_, 1, 0);
  SetClientArea(client);
  setFocusProxy(client_);
  resize(kInitialWidth, kInitialHeight);

  UnitMuz = unitMuz.get();
  SetUnit(std::move(unitMuz));
  DragStaveBorder = false;
  UnitMuz->SetChildMuz(this);
}

TMDIChildMuz::~TMDIChildMuz() {
  if (UnitMuz != nullptr && GetUnit() != nullptr) UnitMuz->SetChildMuz(nullptr);
  DeleteUnit();
}

TUnitMuz* TMDIChildMuz::GetUnitMuz() const { return GetUnit() != nullptr ? UnitMuz : nullptr; }

QWidget* TMDIChildMuz::ClientArea() const { return client_; }

bool TMDIChildMuz::SaveUnit() { return MainForm != nullptr && MainForm->SaveMuz(GetUnitMuz()); }

void TMDIChildMuz::NotifyActivated() {
  if (MainForm) MainForm->NotifyActiveMuzChild(this);
}

void TMDIChildMuz::NotifyLastClosed() {
  if (MainForm) MainForm->NotifyActiveMuzChild(nullptr);
}

// --- MuzView ------------------------------------------------------------------------------------

void TMDIChildMuz::Redraw() { client_->update(); }

void TMDIChildMuz::ShowStatus() {
  if (GetUnitMuz() != nullptr) GetUnitMuz()->ShowStatus();
}

void TMDIChildMuz::ScrollIntoViewX(int32_t x1, int32_t x2) {
  ScrollBy(*horzScroll_, IntoViewShift(x1, x2, client_->width(), 0.1, 0.9));
}

void TMDIChildMuz::ScrollIntoViewY(int32_t y1, int32_t y2) {
  ScrollBy(*vertScroll_, IntoViewShift(y1, y2, client_->height(), 0.2, 0.8));
}

// --- Painting -----------------------------------------------------------------------------------

void TMDIChildMuz::EvFormPaint() {
  LeftOriginX = -horzScroll_->value();
  TopOriginY = -vertScroll_->value();
  DrawAll();
  SetHorzScroll();
}

void TMDIChildMuz::DrawAll() {
  const QSize size = client_->size().expandedTo(QSize(1, 1));
  if (canvas_.size() != size) canvas_ = QImage(size, QImage::Format_RGB32);
  if (GetUnitMuz() == nullptr) return;
  canvas_.fill(PixelCanvas::ToRgb(kHatchBackground));
  PixelCanvas canvas(canvas_);
  const ClientRect client{0, 0, size.width(), size.height()};
  LayoutStaves();
  DrawStaveBorders(canvas, client);
  DrawParts(canvas, size.width());
  DrawStaves(canvas, client);
}

int32_t TMDIChildMuz::LayoutStaves() {
  MuzStaveWindow window(*UnitMuz, LeftOriginX + kScoreIndent);
  const int32_t below = window.StartLayout(TopOriginY + kMarginY);
  // An empty score has only the one margin.
  BottomExtentY = UnitMuz->GetStartStave() != nullptr ? below + kMarginY : below;
  SetVertScroll();
  return BottomExtentY;
}

void TMDIChildMuz::DrawStaveBorders(PixelCanvas& canvas, const ClientRect& client) {
  TNoteStave* first = UnitMuz->GetStartStave();
  if (first == nullptr) {
    canvas.SetBrush(kOutsideColour, MuzBrushStyle::Vertical);
    canvas.FillRect(client.left, client.top, client.right, client.bottom);
    return;
  }
  TNoteStave* last = first;
  for (TNoteStave* stave = first; stave; stave = stave->GetNext()) {
    DrawStaveBackground(canvas, StaveBandOf(*stave), client);
    last = stave;
  }
  const int32_t bandTop = first->GetCentreY() - first->GetDrawnRoomUp();
  const int32_t bandBottom = last->GetCentreY() + last->GetDrawnRoomDown();
  if (bandBottom < client.bottom) {
    canvas.SetBrush(kOutsideColour, MuzBrushStyle::BDiagonal);
    canvas.FillRect(client.left, std::max(bandBottom, client.top), client.right, client.bottom);
  }
  if (bandTop > client.top) {
    canvas.SetBrush(kOutsideColour, MuzBrushStyle::FDiagonal);
    canvas.FillRect(client.left, client.top, client.right, std::min(bandTop, client.bottom));
  }
}

void TMDIChildMuz::DrawParts(PixelCanvas& canvas, int32_t clientWidth) {
  if (UnitMuz->GetStartStave() == nullptr) {
    RightExtentX = LeftOriginX + clientWidth - kRightSlack;
    return;
  }
  MuzStaveWindow window(*UnitMuz, LeftOriginX);
  window.DrawParts(canvas);
  RightExtentX = window.GetMaxStaveX() + clientWidth - kRightSlack;
}

void TMDIChildMuz::DrawStaves(PixelCanvas& canvas, const ClientRect& client) {
  for (TNoteStave* stave = UnitMuz->GetStartStave(); stave; stave = stave->GetNext()) {
    DrawStaveLines(canvas, StaveBandOf(*stave), client);
  }
}

namespace {
// Range and position of a scroll bar over a virtual extent, without feeding the paint back.
void SetScroll(QScrollBar& bar, int32_t page, int32_t origin, int32_t extent) {
  const QSignalBlocker quiet(&bar);
  bar.setSingleStep(std::max(1, page / 10));
  bar.setPageStep(std::max(1, page));
  const int64_t range = std::max<int64_t>(0, static_cast<int64_t>(extent) - origin - page);
  bar.setRange(0, static_cast<int>(std::min<int64_t>(range, INT32_MAX / 2)));
  bar.setValue(static_cast<int>(std::clamp<int64_t>(-static_cast<int64_t>(origin), 0, bar.maximum())));
  bar.show();
}
}  // namespace

void TMDIChildMuz::SetHorzScroll() { SetScroll(*horzScroll_, client_->width(), LeftOriginX, RightExtentX); }

void TMDIChildMuz::SetVertScroll() { SetScroll(*vertScroll_, client_->height(), TopOriginY, BottomExtentY); }

// --- Hit tests --------------------------------------------------------------------------------------

TNoteStave* TMDIChildMuz::StaveAt(int32_t y) const {
  for (TNoteStave* stave = UnitMuz->GetStartStave(); stave; stave = stave->GetNext()) {
    const int32_t c = stave->GetCentreY();
    if (c - stave->GetDrawnRoomUp() <= y && y <= c + stave->GetDrawnRoomDown()) return stave;
  }
  return nullptr;
}

int32_t TMDIChildMuz::PitchStepAt(int32_t y, const TNoteStave& stave) {
  const int64_t d = static_cast<int64_t>(stave.GetCentreY()) - y;
  return static_cast<int32_t>(d >= 0 ? (d + 2) / 5 : (d - 2) / 5);
}

TNoteStave* TMDIChildMuz::BorderAt(int32_t y) const {
  for (TNoteStave* stave = UnitMuz->GetStartStave(); stave; stave = stave->GetNext()) {
    const int32_t b = stave->GetCentreY() + stave->GetDrawnRoomDown();
    if (b - 3 <= y && y <= b + 2) return stave;
  }
  return nullptr;
}

TMuzNote* TMDIChildMuz::FindNoteAtX(int32_t x, const TNoteStave* stave) const {
  TMuzNote* found = nullptr;
  WalkSymbols(*UnitMuz, stave, false, [&](TStaveSymbol& symbol) {
    if (symbol.GetStaveSymbolKind() != staveSymbolNote || !ContainsX(symbol, x)) return false;
    found = symbol.AsNote();
    return true;
  });
  return found;
}

TSilence* TMDIChildMuz::FindSilenceAtX(int32_t x, const TNoteStave* stave) const {
  TSilence* found = nullptr;
  WalkSymbols(*UnitMuz, stave, false, [&](TStaveSymbol& symbol) {
    if (symbol.GetStaveSymbolKind() != staveSymbolSilence || !ContainsX(symbol, x)) return false;
    found = static_cast<TSilence*>(&symbol);
    return true;
  });
  return found;
}

void TMDIChildMuz::FindNeighboursAtX(int32_t x, const TNoteStave* stave, TStaveSymbol*& previous,
                                     TStaveSymbol*& next) const {
  previous = nullptr;
  next = nullptr;
  WalkSymbols(*UnitMuz, stave, true, [&](TStaveSymbol& symbol) {
    int32_t left = 0;
    int32_t right = 0;
    // Twice the x against the sum keeps the middle of an odd range exact.
    if (symbol.GetXRange(left, right) && 2 * static_cast<int64_t>(x) < static_cast<int64_t>(left) + right) {
      next = &symbol;
      return true;
    }
    previous = &symbol;
    return false;
  });
}

TXTouchMuzSymbol* TMDIChildMuz::FindNearestSymbol(int32_t x, int32_t y) const {
  double best = kNearestStart;
  TXTouchMuzSymbol* result = nullptr;
  UnitMuz->GetStartPartMuz()->FindNearestSymbol(x, y, best, result);
  return result;
}

TStaveSymbol* TMDIChildMuz::NearestStaveSymbol(int32_t x, int32_t y) const {
  TXTouchMuzSymbol* symbol = FindNearestSymbol(x, y);
  return symbol != nullptr && symbol->GetMuzSymbolKind() == muzSymbolStave ? static_cast<TStaveSymbol*>(symbol)
                                                                             : nullptr;
}

// --- Mouse ------------------------------------------------------------------------------------------

void TMDIChildMuz::Changed() {
  UnitMuz->SetModified();
  Redraw();
}

void TMDIChildMuz::EvFormMouseDown(int32_t x, int32_t y) {
  if (GetUnitMuz() == nullptr) return;
  if (TNoteStave* stave = BorderAt(y)) {
    DragStaveBorder = true;
    DragStartY = y;
    DragStaveBorderPrevious = stave;
    SplitToggle = true;
    return;
  }
  if (DragStaveBorder) return;
  switch (UnitMuz->GetUnitMuzMode()) {
    case unitMuzAdd:
      if (UnitMuz->GetInsertKind() == 2) {
        AddKeyAt(x, y);
      } else {
        AddNoteAt(x, y);
      }
      break;
    case unitMuzSel:
      SelectAt(x, y);
      break;
    case unitMuzDel:
      DeleteAt(x, y);
      break;
    default:
      break;
  }
}

void TMDIChildMuz::AddKeyAt(int32_t x, int32_t y) {
  TStaveSymbol* symbol = NearestStaveSymbol(x, y);
  if (symbol == nullptr || symbol->GetNoteStave() == nullptr) return;
  UnitMuz->AddKeyNoteShift(symbol, PitchStepAt(y, *symbol->GetNoteStave()));
  Changed();
}

void TMDIChildMuz::AddNoteAt(int32_t x, int32_t y) {
  TNoteStave* stave = StaveAt(y);
  if (stave == nullptr) return;
  TStaveSymbol* previous = nullptr;
  TStaveSymbol* next = nullptr;
  FindNeighboursAtX(x, stave, previous, next);
  UnitMuz->AddSymbol(stave, FindNoteAtX(x, stave), FindSilenceAtX(x, stave), previous, next,
                     PitchStepAt(y, *stave));
  Changed();
}

void TMDIChildMuz::SelectAt(int32_t x, int32_t y) {
  TXTouchMuzSymbol* symbol = FindNearestSymbol(x, y);
  if (symbol == nullptr) return;
  SelectSymbol(symbol);
  Redraw();
}

void TMDIChildMuz::SelectSymbol(TXTouchMuzSymbol* symbol) {
  // Through the document's own selection, which scrolls the symbol into view and plays a note.
  UnitMuz->SelectSymbol(symbol == UnitMuz->GetSelectedSymbol() ? nullptr : symbol);
  ShowStatus();
}

void TMDIChildMuz::DeleteAt(int32_t x, int32_t y) {
  TStaveSymbol* symbol = NearestStaveSymbol(x, y);
  if (symbol == nullptr) return;
  UnitMuz->DeleteSymbol(symbol);
  Changed();
}

void TMDIChildMuz::EvFormMouseMove(Qt::MouseButtons buttons, int32_t x, int32_t y) {
  if (GetUnitMuz() == nullptr) return;
  if (DragStaveBorder) {
    if (buttons & (Qt::LeftButton | Qt::RightButton)) {
      DragBorder(buttons, y);
      return;
    }
    DragStaveBorder = false;
  }
  ChooseCursor(x, y);
}

void TMDIChildMuz::DragBorder(Qt::MouseButtons buttons, int32_t y) {
  KV_ASSERT(DragStaveBorderPrevious != NULL);
  TNoteStave& stave = *DragStaveBorderPrevious;
  const int32_t dy = y - DragStartY;
  const int32_t up = stave.GetRoomUp().GetValue();
  const int32_t down = stave.GetRoomDown().GetValue();
  int32_t yDiffUp = 0;
  int32_t yDiffDown = 0;
  if ((buttons & Qt::LeftButton) && (buttons & Qt::RightButton)) {
    const int32_t yDiff = dy;
    yDiffUp = dy / 2;
    yDiffDown = dy / 2;
    const int32_t odd = dy - 2 * (dy / 2);
    if (odd != 0) {
      (SplitToggle ? yDiffUp : yDiffDown) += odd;
      SplitToggle = !SplitToggle;
    }
    if (yDiffUp < kMinRoom - up) {
      yDiffDown -= kMinRoom - up - yDiffUp;
      yDiffUp = kMinRoom - up;
    }
    KV_ASSERT(yDiffDown + yDiffUp == yDiff);
    if (yDiffDown < kMinRoom - down) {
      yDiffUp -= kMinRoom - down - yDiffDown;
      yDiffDown = kMinRoom - down;
    }
    KV_ASSERT(yDiffDown + yDiffUp == yDiff);
    yDiffUp = std::max(yDiffUp, kMinRoom - up);
  } else if (buttons & Qt::LeftButton) {
    yDiffDown = std::max(dy, kMinRoom - down);
  } else {
    yDiffUp = std::max(dy, kMinRoom - up);
  }
  // A room read from a file may be the largest 32-bit number; a drag past it stops there.
  const auto grown = [](int32_t room, int32_t diff) {
    return static_cast<int32_t>(std::min<int64_t>(int64_t{room} + diff, INT32_MAX));
  };
  stave.GetRoomDown().SetValue(grown(down, yDiffDown));
  stave.GetRoomUp().SetValue(grown(up, yDiffUp));
  DragStartY += yDiffUp + yDiffDown;
  if (MainForm) MainForm->NotifyStaveChanged(&stave);
  Changed();
}

void TMDIChildMuz::EvFormMouseUp(Qt::MouseButtons buttons) {
  if (!(buttons & (Qt::LeftButton | Qt::RightButton))) DragStaveBorder = false;
}

void TMDIChildMuz::ChooseCursor(int32_t x, int32_t y) {
  if (BorderAt(y) != nullptr) {
    SetMouseCursor(crVSplit);
    return;
  }
  switch (UnitMuz->GetUnitMuzMode()) {
    case unitMuzAdd:
      SetMouseCursor(CursorForInsert(x, y));
      break;
    case unitMuzSel:
      SetMouseCursor(crDefault);
      break;
    case unitMuzDel: {
      TStaveSymbol* symbol = NearestStaveSymbol(x, y);
      SetMouseCursor(symbol != nullptr && UnitMuz->MayDeleteSymbol(symbol) ? crDelete : crReject);
      break;
    }
    default:
      break;
  }
}

TCursor TMDIChildMuz::CursorForInsert(int32_t x, int32_t y) const {
  switch (UnitMuz->GetInsertKind()) {
    case 0:
    case 3:
      return crSil;
    case 1:
      return crNote;
    case 2: {
      const TStaveSymbol* symbol = NearestStaveSymbol(x, y);
      if (symbol == nullptr) return mouseCursor_;
      switch (symbol->GetStaveSymbolKind()) {
        case staveSymbolKey: {
          const uint8_t shift = UnitMuz->GetCurNoteShiftKind();
          return shift >= 1 && shift <= 3 ? crNote : crReject;
        }
        case staveSymbolNote:
          return crNote;
        default:
          return crReject;
      }
    }
    default:
      return crReject;
  }
}

void TMDIChildMuz::SetMouseCursor(TCursor cursor) {
  mouseCursor_ = cursor;
  if (cursor == crDefault) {
    client_->unsetCursor();
  } else {
    client_->setCursor(cursor == crVSplit ? QCursor(Qt::SplitVCursor) : CursorOf(cursor));
  }
}

// --- Keys -------------------------------------------------------------------------------------------

namespace {
using Check = bool (TUnitMuz::*)() const;
using Operation = void (TUnitMuz::*)();
void Run(TUnitMuz& unit, Check check, Operation operation) {
  if (check == nullptr || (unit.*check)()) (unit.*operation)();
}
}  // namespace

void TMDIChildMuz::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
  TUnitMuz* unit = GetUnitMuz();
  if (unit == nullptr || (shift & Qt::AltModifier)) return;
  const bool ctrl = shift & Qt::ControlModifier;
  const bool withShift = shift & Qt::ShiftModifier;
  if (ctrl && withShift) {
    if (key == Qt::Key_Up) Run(*unit, &TUnitMuz::CanMoveOctUp, &TUnitMuz::MoveOctUp);
    if (key == Qt::Key_Down) Run(*unit, &TUnitMuz::CanMoveOctDown, &TUnitMuz::MoveOctDown);
    return;
  }
  if (withShift) {
    if (key == Qt::Key_PageUp) Run(*unit, &TUnitMuz::CanSelectFirstStave, &TUnitMuz::SelectFirstStave);
    if (key == Qt::Key_PageDown) Run(*unit, &TUnitMuz::CanSelectLastStave, &TUnitMuz::SelectLastStave);
    return;
  }
  if (ctrl) {
    switch (key) {
      case Qt::Key_Left:
        Run(*unit, &TUnitMuz::CanMovePrev, &TUnitMuz::MovePrev);
        break;
      case Qt::Key_Right:
        Run(*unit, &TUnitMuz::CanMoveNext, &TUnitMuz::MoveNext);
        break;
      case Qt::Key_Up:
        Run(*unit, &TUnitMuz::CanMoveUp, &TUnitMuz::MoveUp);
        unit->KeyKindUp();
        break;
      case Qt::Key_Down:
        Run(*unit, &TUnitMuz::CanMoveDown, &TUnitMuz::MoveDown);
        unit->KeyKindDown();
        break;
      default:
        break;
    }
    return;
  }
  switch (key) {
    case Qt::Key_Left:
      Run(*unit, &TUnitMuz::CanSelectPrev, &TUnitMuz::SelectPrev);
      break;
    case Qt::Key_Right:
      Run(*unit, &TUnitMuz::CanSelectNext, &TUnitMuz::SelectNext);
      break;
    case Qt::Key_Up:
      Run(*unit, &TUnitMuz::CanSelectUp, &TUnitMuz::SelectUp);
      break;
    case Qt::Key_Down:
      Run(*unit, &TUnitMuz::CanSelectDown, &TUnitMuz::SelectDown);
      break;
    case Qt::Key_Home:
      Run(*unit, nullptr, &TUnitMuz::SelectFirstInStave);
      break;
    case Qt::Key_End:
      Run(*unit, nullptr, &TUnitMuz::SelectLastInStave);
      break;
    case Qt::Key_PageUp:
      Run(*unit, &TUnitMuz::CanSelectPrevStave, &TUnitMuz::SelectPrevStave);
      break;
    case Qt::Key_PageDown:
      Run(*unit, &TUnitMuz::CanSelectNextStave, &TUnitMuz::SelectNextStave);
      break;
    default:
      break;
  }
}

// --- Installation -----------------------------------------------------------------------------------

void InstallMusicWindows() {
  SetMuzWindowMaker([](QWidget* owner, std::unique_ptr<TUnitMuz> unitMuz) -> std::unique_ptr<TMDIChildKorvalen> {
    return std::make_unique<TMDIChildMuz>(owner, std::move(unitMuz));
  });
}
