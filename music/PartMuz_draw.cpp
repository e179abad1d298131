// The part tree on the score: parts follow each other from left to right on all staves at once,
// each loop framed by its repeat signs, and the staves meet at a common x at every part boundary.
// The same walk answers which symbol lies nearest to a point.
#include <cstdint>

#include "foundation/assertion.h"
#include "music/PartMuz.h"
#include "music/glyphs.h"
#include "music/muznote.h"
#include "music/muzwindow.h"
#include "music/stave.h"
#include "music/stavedraw.h"
#include "music/unitmuz.h"

namespace {

constexpr const char* kAssertUnit = "PartMuz";

bool IsSelected(const TXTouchMuzSymbol* symbol, const TXTouchMuzSymbol* selected, uint8_t kind) {
  return selected != nullptr && symbol == selected && selected->GetMuzSymbolKind() == kind;
}

void DrawKeyOnStave(MuzCanvas& canvas, TKey& key, int32_t x, const TXTouchMuzSymbol* selected) {
  TNoteStave& stave = *key.GetNoteStave();
  int32_t nextX = x;
  int32_t rangeRight = x;
  key.ResetXRange();
  DrawKey(canvas, key, x, StaveBandOf(stave).Glyphs(), nextX, rangeRight, IsSelected(&key, selected, muzSymbolStave));
  stave.SetDrawX(nextX);
  stave.SetKey(&key);
}

void DrawLoopSymbol(MuzWindow& window, MuzCanvas& canvas, TLoopPartMuz& loop, TLoopPartSymbol& symbol,
                    const TXTouchMuzSymbol* selected) {
  const int32_t x = window.GetMaxStaveX();
  int32_t nextX = x;
  symbol.ResetXRange();
  DrawLoopPartSymbol(canvas, symbol, loop.GetCount().GetValue(), x, DocumentStaves(*loop.GetUnitMuz()), nextX,
                     IsSelected(&symbol, selected, muzSymbolLoop));
  window.SetStavesX(nextX);
}

// Draws up to the bar once; false when the bar time did not move on (a bar that would repeat).
bool DrawBar(MuzWindow& window, MuzCanvas& canvas, TMuzBar& bar, double& barTime) {
  const double before = barTime;
  bool flag = false;
  window.DrawUpToBar(canvas, bar, barTime, flag);
  return barTime > before;
}

void DrawSingle(TSinglePartMuz& part, MuzWindow& window, MuzCanvas& canvas, TXTouchMuzSymbol* selected) {
  TUnitMuz& unit = *part.GetUnitMuz();
  canvas.SetBrush(0xFFFFFF, MuzBrushStyle::Solid);
  int32_t x = window.GetMaxStaveX();
  TStaveSymbol* symbol = part.GetStartStaveSymbol();
  for (; symbol && symbol->AsKey() && symbol->AsKey()->GetKeyOrder() <= 1; symbol = symbol->GetNext()) {
    DrawKeyOnStave(canvas, *symbol->AsKey(), x, selected);
  }
  TMuzBar* bar = part.GetMuzBar();
  KV_ASSERT(bar != NULL);
  x = window.GetMaxStaveX();
  double barTime = bar->GetNextBarTime(0.0);
  int32_t nextX = x;
  bar->ResetXRange();
  DrawMuzBar(canvas, *bar, x, DocumentStaves(unit), nextX, IsSelected(bar, selected, muzSymbolBar));
  window.SetStavesX(nextX);
  for (; symbol; symbol = symbol->GetNext()) {
    TNoteStave& stave = *symbol->GetNoteStave();
    const double position = symbol->GetSymbolPosition();
    if (symbol->GetStaveSymbolKind() != staveSymbolKey) symbol->ResetXRange();
    if (position != stave.GetLastLayoutTime()) {
      while (barTime <= position && DrawBar(window, canvas, *bar, barTime)) {
      }
    }
    const bool marked = IsSelected(symbol, selected, muzSymbolStave);
    switch (symbol->GetStaveSymbolKind()) {
      case staveSymbolKey: {
        int32_t keyX = stave.GetDrawX();
        stave.LayoutSymbols(position, canvas, stave.GetDrawX(), keyX);
        DrawKeyOnStave(canvas, *symbol->AsKey(), keyX, selected);
        break;
      }
      case staveSymbolNote: stave.AddNoteToLayout(symbol->AsNote(), marked); break;
      default: stave.AddSilenceToLayout(static_cast<TSilence*>(symbol), marked); break;
    }
    stave.SetLastLayoutTime(position);
  }
  // One bar line per stave and pass, until no stave holds anything to lay out.
  for (bool pending = true; pending;) {
    pending = false;
    bool moved = true;
    for (bool more = unit.FirstStave(); more; more = unit.NextStave()) {
      moved = DrawBar(window, canvas, *bar, barTime) && moved;
      pending = unit.CurrentStave()->HasLayout() || pending;
    }
    if (!moved) break;
  }
}

void Consider(TXTouchMuzSymbol* symbol, double distance, double& best, TXTouchMuzSymbol*& result) {
  if (distance < best) {
    best = distance;
    result = symbol;
  }
}

double BarDistance(const TXTouchMuzSymbol& symbol, int32_t x) {
  const double dx = 12.0 * symbol.GetXDistance(x);
  return dx * dx;
}

}  // namespace

void TPartMuz::Draw(MuzWindow& window, MuzCanvas& canvas, TXTouchMuzSymbol* selected) {
  if (GetPartMuzKind() == partMuzSingle) {
    DrawSingle(*static_cast<TSinglePartMuz*>(this), window, canvas, selected);
    return;
  }
  TPartMuz* children[2] = {nullptr, nullptr};
  const int count = GetChildren(children);
  const auto drawChild = [&](TPartMuz* child) {
    if (child && child->GetVisibleFlag()) child->Draw(window, canvas, selected);
  };
  if (GetPartMuzKind() == partMuzLoop) {
    auto& loop = *static_cast<TLoopPartMuz*>(this);
    DrawLoopSymbol(window, canvas, loop, *loop.GetLeftLoopSymbol(), selected);
    drawChild(loop.GetLoopPart());
    DrawLoopSymbol(window, canvas, loop, *loop.GetRightLoopSymbol(), selected);
    return;
  }
  // Root, concatenation and select part: the children in order; a select part's child once.
  for (int i = 0; i < count; ++i) drawChild(children[i]);
}

void TPartMuz::FindNearestSymbol(int32_t x, int32_t y, double& best, TXTouchMuzSymbol*& result) {
  if (GetPartMuzKind() == partMuzSingle) {
    auto& single = *static_cast<TSinglePartMuz*>(this);
    if (TMuzBar* bar = single.GetMuzBar()) Consider(bar, BarDistance(*bar, x), best, result);
    for (TStaveSymbol* symbol = single.GetStartStaveSymbol(); symbol; symbol = symbol->GetNext()) {
      const double dy = symbol->GetYDistance(y);
      // The weight is taken in single precision, as the distances were always compared.
      const double dx = 2.5f * static_cast<float>(symbol->GetXDistance(x));
      Consider(symbol, dy * dy + dx * dx, best, result);
    }
    return;
  }
  if (GetPartMuzKind() == partMuzLoop) {
    auto& loop = *static_cast<TLoopPartMuz*>(this);
    Consider(loop.GetLeftLoopSymbol(), BarDistance(*loop.GetLeftLoopSymbol(), x), best, result);
    Consider(loop.GetRightLoopSymbol(), BarDistance(*loop.GetRightLoopSymbol(), x), best, result);
  }
  TPartMuz* children[2] = {nullptr, nullptr};
  const int count = GetChildren(children);
  for (int i = 0; i < count; ++i) {
    if (children[i]) children[i]->FindNearestSymbol(x, y, best, result);
  }
}
