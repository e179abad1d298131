// What the part tree's drawing asks of the window that shows the score, and the window's share of
// the drawing that belongs with the staves: every stave continues at a common x, and bar lines
// are drawn across all staves once each has laid out what comes before them.
#pragma once

#include <cstdint>

class MuzCanvas;
class TMuzBar;
class TUnitMuz;

class MuzWindow {
 public:
  virtual ~MuzWindow() = default;
  // The largest drawing x of any stave.
  virtual int32_t GetMaxStaveX() = 0;
  // Every stave continues at x.
  virtual void SetStavesX(int32_t x) = 0;
  // Lays out and draws every stave up to barTime, draws the bar line across them and moves
  // barTime on to the bar's next bar line.
  virtual void DrawUpToBar(MuzCanvas& canvas, TMuzBar& bar, double& barTime, bool& flag) = 0;
};

// The callbacks over a document's staves, from a left origin. Staves are walked along their own
// links, since the part tree's drawing holds the document's stave cursor while it calls these.
class MuzStaveWindow : public MuzWindow {
 public:
  MuzStaveWindow(TUnitMuz& unitMuz, int32_t leftOrigin) : UnitMuz(unitMuz), LeftOrigin(leftOrigin) {}

  int32_t GetMaxStaveX() override;
  void SetStavesX(int32_t x) override;
  void DrawUpToBar(MuzCanvas& canvas, TMuzBar& bar, double& barTime, bool& flag) override;

  // Every stave starts its layout, the first centre line at top + its room up, each band below
  // the one before; answers the y below the last band.
  int32_t StartLayout(int32_t top);
  // The root part draws the score, then every stave closes it with a double bar.
  void DrawParts(MuzCanvas& canvas);

 private:
  TUnitMuz& UnitMuz;
  int32_t LeftOrigin;
};
