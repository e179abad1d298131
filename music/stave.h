// Staves as the score symbols and note groups see them: whether the stave sounds and where its
// centre line lies in the current layout. The chains, settings and layout lists of a stave grow
// here with the stave's own work.
#pragma once

#include <cstdint>

class TStave {
 public:
  virtual ~TStave() = default;
};

class TNoteStave : public TStave {
 public:
  TNoteStave() = default;
  explicit TNoteStave(uint8_t mute) : Mute(mute) {}

  // Opens a layout pass with the centre line at y and the drawing at x.
  void StartLayout(int32_t y, int32_t x) {
    CentreY = y;
    DrawX = x;
  }
  int32_t GetCentreY() const { return CentreY; }
  int32_t GetDrawX() const { return DrawX; }
  uint8_t GetMute() const { return Mute; }

 private:
  uint8_t Mute = 0;
  int32_t CentreY = 0;
  int32_t DrawX = 0;
};
