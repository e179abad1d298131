// What the road of a wave command costs around its operation on ten minutes of stereo at 44100 Hz:
// the record copies (dialog to last-used record to the document's), the undo record, the modified
// mark and the repaint request, timed alone. Set against an operation's milliseconds its
// nanoseconds drown in the noise, and the same operation timed with and without the road differed
// only by which buffers it reused (the undo record keeps the old sound), the road at times coming
// out faster; the operations themselves are timed in sound_ops_bench. The dialog is the user's
// time and is left out.
#include <memory>

#include "bench_util.h"
#include "wave/shell.h"
#include "wave/sound.h"
#include "wave/undo.h"
#include "wave/unitwave.h"
#include "wave/waveview.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kChannelSamples = 10 * 60 * kRate;

// A window that only counts what it is asked to repaint, as the real one only schedules it.
class CountingView : public WaveView {
 public:
  void Redraw() override { ++requests; }
  void RedrawSamples(int32_t, int32_t, bool) override { ++requests; }
  void RedrawSample(int32_t) override { ++requests; }
  void SaveZoom(int32_t, int32_t) override {}
  void RestoreZoom(int32_t, int32_t) override {}
  void SetIconForChannels(int16_t) override {}
  bool UserDrawing() const override { return false; }
  uint8_t ViewMode() const override { return 0; }
  int64_t requests = 0;
};

// The main window's part: the undo slot that decides whether a replaced sound lives on.
class UndoShell : public ShellServices {
 public:
  explicit UndoShell(UndoSlot& undo) : undo_(undo) { previous_ = SetShellServices(this); }
  ~UndoShell() override { SetShellServices(previous_); }
  TUnitWave* MainFindUnitWaveByName(const std::string&) override { return nullptr; }
  bool MainPlayWholeSound(const Sound&) override { return false; }
  void DeleteUndoOf(const TUnitWave* unitWave) override { undo_.DeleteUndoOf(unitWave); }
  bool UndoHolds(const Sound* sound) const override { return undo_.Holds(sound); }

 private:
  UndoSlot& undo_;
  ShellServices* previous_ = nullptr;
};

// Members in the order they must outlive each other: the document drops its undo record as it dies.
struct Document {
  Document()
      : unit("", std::make_unique<StereoSound>(MakeBenchWave(kChannelSamples),
                                               MakeBenchWave(kChannelSamples), kRate, 2)) {
    unit.SetView(&view);
  }
  UndoSlot undo;
  UndoShell shell{undo};
  CountingView view;
  TUnitWave unit;
  TWaveOperationProps lastUsed;
};

// The road's own steps: the dialog's record handed out and kept as the last-used one, the undo
// record, the modified mark (the operation would come between the last two).
template <class Props>
void Road(Document& doc, Props TWaveOperationProps::*record) {
  const Props fromDialog = doc.unit.GetProps().*record;
  doc.undo.Push(&doc.unit);
  doc.lastUsed.*record = fromDialog;
  doc.unit.SetModified();
  doc.view.Redraw();
}

}  // namespace

static void BM_RoadOwnCost(benchmark::State& state) {
  Document doc;
  for (auto _ : state) {
    Road(doc, &TWaveOperationProps::PerEcho);
    benchmark::DoNotOptimize(doc.view.requests);
  }
}
BENCHMARK(BM_RoadOwnCost)->Unit(benchmark::kMicrosecond);
