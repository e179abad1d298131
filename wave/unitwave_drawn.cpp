// The wave the user draws through control points: every change of the points makes one second of
// 16-bit mono sound from the curve through them.
#include <cstdint>
#include <memory>
#include <utility>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "wave/drawnode.h"
#include "wave/sound.h"
#include "wave/unitwave.h"

namespace {
constexpr const char* kAssertUnit = "unitwave";

constexpr uint8_t kStraight = 0;
constexpr uint8_t kSmooth = 1;

// The curve between two neighbouring points. The smooth one leaves and reaches its points with a
// horizontal tangent, so the whole curve is flat at every point.
class Segment {
 public:
  Segment(const TDrawNode* from, uint8_t drawType) : drawType_(drawType) {
    if (drawType != kStraight && drawType != kSmooth) KV_ASSERT(false);
    Start(from, from->next);
  }

  // Moves on to the segment that holds x. Beyond the last point the last segment stays, and so
  // the curve keeps the last point's height there.
  void MoveTo(double x) {
    while (x > to_->x && to_->next != nullptr) Start(to_, to_->next);
  }

  double At(double x) const {
    // Also where two points share an x: the second one's height, with nothing to divide by.
    if (x >= to_->x) return to_->y;
    if (x <= from_->x) return from_->y;
    if (drawType_ == kStraight) return MapLinear(x, from_->x, to_->x, from_->y, to_->y);
    const double u = x - from_->x;
    return from_->y + c2_ * u * u + c3_ * u * u * u;
  }

 private:
  void Start(const TDrawNode* from, const TDrawNode* to) {
    from_ = from;
    to_ = to;
    const double width = to->x - from->x;
    if (width > 0) {
      const double rise = to->y - from->y;
      c3_ = -2.0 * rise / (width * width * width);
      c2_ = 3.0 * rise / (width * width);
    }
  }

  uint8_t drawType_;
  const TDrawNode* from_ = nullptr;
  const TDrawNode* to_ = nullptr;
  double c2_ = 0;
  double c3_ = 0;
};

}  // namespace

void TUnitWave::MakeDrawnWave(int32_t left, int32_t top, int32_t right, int32_t bottom, const TDrawNode* first,
                              uint8_t drawType) {
  if (first == nullptr || first->next == nullptr) return;
  BeginOperation();
  const int32_t count = TheSound->Freq;  // one second
  if (count <= 0) return;
  WavePtr drawn = NewWaveChecked(Abort, count);
  if (!drawn) return;

  // A client area without height still maps its one row.
  const double lowest = bottom > top ? bottom : top + 1.0;
  Segment segment(first, drawType);
  int16_t* const samples = drawn->wave;
  ForEachChunk(Abort, 0, count, [&](int64_t from, int64_t to) {
    for (int64_t i = from; i < to; ++i) {
      const double x = MapLinear(static_cast<double>(i), 0, count, left, right);
      segment.MoveTo(x);
      // The top of the area is full scale up, the bottom full scale down (-32767, not -32768).
      samples[i] = ToSample(MapLinear(segment.At(x), top, lowest, 32767, -32767));
    }
  });
  if (Abort) return;

  // A drawing neither makes nor drops an undo record: the record of any document lives on, and
  // where it keeps the sound replaced here, that sound stays alive for it (ReleaseSound asks).
  Sound* const previous = TheSound;
  TheSound = new MonoSound(std::move(drawn), previous->Freq, 2);
  ReleaseSound(previous);
  ClampSelection();
  // A drawing is a change the close question must protect.
  SetModified();
}
