#include "music/muzwindow.h"

#include <algorithm>

#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/stave.h"
#include "music/stavedraw.h"
#include "music/unitmuz.h"

int32_t MuzStaveWindow::GetMaxStaveX() {
  int32_t x = LeftOrigin;
  for (TNoteStave* stave = UnitMuz.GetStartStave(); stave; stave = stave->GetNext()) x = std::max(x, stave->GetDrawX());
  return x;
}

void MuzStaveWindow::SetStavesX(int32_t x) {
  for (TNoteStave* stave = UnitMuz.GetStartStave(); stave; stave = stave->GetNext()) stave->SetDrawX(x);
}

void MuzStaveWindow::DrawUpToBar(MuzCanvas& canvas, TMuzBar& bar, double& barTime, bool& flag) {
  flag = false;
  const auto layOut = [&](double t) {
    for (TNoteStave* stave = UnitMuz.GetStartStave(); stave; stave = stave->GetNext()) {
      int32_t x = stave->GetDrawX();
      stave->LayoutSymbols(t, canvas, stave->GetDrawX(), x);
      stave->ExtendWidth(x);
    }
  };
  layOut(barTime);
  const int32_t x = GetMaxStaveX();
  for (TNoteStave* stave = UnitMuz.GetStartStave(); stave; stave = stave->GetNext()) {
    DrawBarLine(canvas, StaveBandOf(*stave), x + 3);
  }
  SetStavesX(x + 8);
  barTime = bar.GetNextBarTime(barTime);
  layOut(barTime);
  for (TNoteStave* stave = UnitMuz.GetStartStave(); stave; stave = stave->GetNext()) stave->CarryNoteShifts();
}

int32_t MuzStaveWindow::StartLayout(int32_t top) {
  int64_t y = top;
  for (TNoteStave* stave = UnitMuz.GetStartStave(); stave; stave = stave->GetNext()) {
    y = std::min(y + stave->GetDrawnRoomUp(), kMaxLayoutY);
    stave->StartLayout(static_cast<int32_t>(y), LeftOrigin);
    y = std::min(y + stave->GetDrawnRoomDown(), kMaxLayoutY);
  }
  return static_cast<int32_t>(y);
}

void MuzStaveWindow::DrawParts(MuzCanvas& canvas) {
  UnitMuz.GetStartPartMuz()->Draw(*this, canvas, UnitMuz.GetSelectedSymbol());
  const int32_t x = GetMaxStaveX();
  for (TNoteStave* stave = UnitMuz.GetStartStave(); stave; stave = stave->GetNext()) {
    DrawEndBar(canvas, StaveBandOf(*stave), x);
  }
}
