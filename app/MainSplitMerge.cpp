// The split and merge commands: a stereo wave into two mono waves, one wave into two or three
// consecutive pieces, two waves into one that plays them in turn, and two waves into one stereo
// wave. Every sample of the results is made before anything else changes, so a failed
// allocation leaves the sources open and unchanged; only then are the new windows laid over the
// place of their sources and the sources closed.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>
#include <cstdint>

#include "app/wavewindow/ChildWave.h"
#include "app/DMergeHor.h"
#include "app/DMergeVert.h"
#include "app/dialogs/DSplitHor.h"
#include "app/HourGlass.h"
#include "app/Main.h"
#include "app/Player.h"
#include "foundation/global.h"
#include "wave/sound_split.h"
#include "wave/unitwave.h"

namespace {

// A window's bounds in the frame's client area, right and bottom exclusive.
struct Bounds {
  int64_t left, top, right, bottom;
};

Bounds BoundsOf(const QWidget& window) {
  const QRect g = window.geometry();
  return {g.x(), g.y(), static_cast<int64_t>(g.x()) + g.width(),
          static_cast<int64_t>(g.y()) + g.height()};
}

// Positions far off the frame stay where the window system can still count them.
constexpr int64_t kFar = int64_t{1} << 20;

int Coordinate(int64_t v) { return static_cast<int>(std::clamp(v, -kFar, kFar)); }

void Place(QMdiSubWindow& window, int64_t left, int64_t top, int64_t width, int64_t height) {
  // A window that opened maximised, after a maximised source, would take the bounds without its
  // frame and be maximised again by its successor: it is made a normal window first.
  if (window.isMaximized()) window.showNormal();
  window.setGeometry(Coordinate(left), Coordinate(top), Coordinate(std::max<int64_t>(width, 0)),
                     Coordinate(std::max<int64_t>(height, 0)));
}

// A new untitled document around the sound, in a window of the given look and bounds. Its
// parameter records stay at their defaults, and it has never been saved.
TMDIChildWave* MakeDocument(TMainForm& form, SoundPtr sound, const TWaveLook& look,
                            const Bounds& at) {
  const std::string name = form.NextNoName();
  auto unit = std::make_unique<TUnitWave>(name, std::move(sound));
  TUnitWave* document = unit.get();
  TMDIChildWave* window = form.CreateMDIChildWave(name, std::move(unit), look.wave, look.vold);
  window->SetViewMode(look.mode);
  Place(*window, at.left, at.top, at.right - at.left, at.bottom - at.top);
  document->SetView(window);
  document->SetNew();
  return window;
}

TMDIChildWave* WaveWindowOf(const TMainForm& form, const TUnitWave* unitWave) {
  return unitWave ? dynamic_cast<TMDIChildWave*>(form.ChildOfUnit(unitWave)) : nullptr;
}

// A source goes at once, without the save question; its document goes with it.
void CloseSource(TMDIChildWave* window) { delete window; }

// The road of both merges: the dialog, its two source windows, the merged sound made before
// anything changes, and its window where `place` puts it by the sources' bounds; then both
// sources close.
template <class Dialog, class Props, class Merge, class Placement>
void RunMerge(TMainForm& form, const Props& record, unitUnitWave Props::*oneField,
              unitUnitWave Props::*otherField, Merge merge, Placement place) {
  Dialog dialog(&form, record);
  if (dialog.ShowModal() != QDialog::Accepted) return;
  const Props props = dialog.GetProps();
  TMDIChildWave* one = WaveWindowOf(form, (props.*oneField).GetUnitWave());
  TMDIChildWave* other = WaveWindowOf(form, (props.*otherField).GetUnitWave());
  if (!one || !other || one == other || props.Frequency < 1 ||
      (props.BytesPSample != 1 && props.BytesPSample != 2)) {
    return;
  }
  // A recording into a source is the user's work: it goes into its wave first, as Stop puts it,
  // and the merge takes the recorded sound. A recording into any other wave goes on.
  form.Playback().EndRecordingInto((props.*oneField).GetUnitWave());
  form.Playback().EndRecordingInto((props.*otherField).GetUnitWave());
  CommandHourGlass busy(form);
  bool abort = false;
  SoundPtr merged = merge(abort, *one->GetUnitWave(), *other->GetUnitWave(), props);
  if (!merged) return;
  const TWaveLook look{props.WaveViewProps, props.VoldViewProps, props.ViewMode};
  // Sources far apart give a window that reaches beyond the area: the area's scroll bars reach it.
  TMDIChildWave* window =
      MakeDocument(form, std::move(merged), look, place(BoundsOf(*one), BoundsOf(*other)));
  CloseSource(one);
  CloseSource(other);
  busy.Release();
  window->Redraw();
}

}  // namespace

void TMainForm::ConnectSplitMerge() {
  const auto bind = [this](const char* name, void (TMainForm::*handler)()) {
    connect(Action(name), &QAction::triggered, this, [this, handler] { (this->*handler)(); });
  };
  bind("SplitV", &TMainForm::SplitVExecute);
  bind("SplitH", &TMainForm::SplitHExecute);
  bind("MergeH", &TMainForm::MergeHExecute);
  bind("MergeV", &TMainForm::MergeVExecute);
}

void TMainForm::SplitVExecute() {
  auto* source = dynamic_cast<TMDIChildWave*>(ActiveWaveChild());
  TUnitWave* unit = source ? source->GetUnitWave() : nullptr;
  if (!unit || unit->GetChannels() == 1) return;
  // As for a merge: the split takes what was recorded into the wave.
  Playback().EndRecordingInto(unit);
  auto* stereo = dynamic_cast<StereoSound*>(unit->GetSound());
  if (!stereo) return;
  CommandHourGlass busy(*this);
  const TWaveLook look = LookOf(*unit);
  const Bounds r = BoundsOf(*source);
  const int64_t middle = (r.top + r.bottom) / 2;
  SoundPtr left, right;
  SplitChannels(*stereo, left, right);
  TMDIChildWave* upper =
      MakeDocument(*this, std::move(left), look, {r.left, r.top, r.right, middle - 1});
  TMDIChildWave* lower =
      MakeDocument(*this, std::move(right), look, {r.left, middle, r.right, r.bottom});
  for (TMDIChildWave* window : {upper, lower}) {
    TUnitWave* part = window->GetUnitWave();
    if (unit->GetSelCursor() != unit->GetSelAnchor()) {
      part->SetSelRange(unit->GetSelBegin(), unit->GetSelEnd());
    } else {
      part->SetCursor(unit->GetSelCursor());
    }
    if (source->IsZoomed() != 0) {
      window->SetScroll(TruncToInt32(source->GetViewBegin()), TruncToInt32(source->GetViewEnd()));
    }
  }
  CloseSource(source);
  busy.Release();
  upper->Redraw();
  lower->Redraw();
}

void TMainForm::SplitHExecute() {
  auto* source = dynamic_cast<TMDIChildWave*>(ActiveWaveChild());
  TUnitWave* unit = source ? source->GetUnitWave() : nullptr;
  if (!unit) return;
  const int32_t lo = unit->GetSelBegin();
  const int32_t hi = unit->GetSelEnd();
  int32_t p1 = unit->GetSelCursor();
  int32_t p2 = p1;
  bool three = false;
  if (unit->GetSelCursor() != unit->GetSelAnchor()) {
    TDlgSplitHorProps dialog(this, SplitHorProps);
    if (dialog.ShowModal() != QDialog::Accepted) return;
    SplitHorProps = dialog.GetProps();
    // Result 1 gives both pieces the selection: they overlap.
    p1 = SplitHorProps.Result == 1 ? hi : lo;
    p2 = SplitHorProps.Result == 1 ? lo : hi;
    three = SplitHorProps.Result != 1 && SplitHorProps.Result != 2;
  }
  CommandHourGlass busy(*this);
  const Bounds r = BoundsOf(*source);
  const double viewBegin = source->GetViewBegin();
  const double viewEnd = source->GetViewEnd();
  const auto column = [&](int32_t position) -> int64_t {
    if (!(viewEnd > viewBegin)) return r.left;
    return std::clamp<int64_t>(
        TruncToInt32(MapLinear(position, viewBegin, viewEnd, static_cast<double>(r.left),
                               static_cast<double>(r.right))),
        -kFar, kFar);
  };
  const int64_t x1 = column(p1);
  const int64_t x2 = column(p2);
  const int32_t count = unit->GetValues();
  std::vector<SampleRange> ranges{{0, p1}};
  if (three) ranges.push_back({p1, p2});
  ranges.push_back({p2, count});
  bool abort = false;
  std::vector<SoundPtr> pieces = TrimPieces(abort, *unit->GetSound(), ranges);
  if (pieces.empty()) return;
  const TWaveLook look = LookOf(*unit);
  TMDIChildWave* first =
      MakeDocument(*this, std::move(pieces.front()), look, {r.left, r.top, x1, r.bottom});
  TMDIChildWave* middle =
      three ? MakeDocument(*this, std::move(pieces[1]), look, {x1, r.top, x2, r.bottom}) : nullptr;
  TMDIChildWave* last =
      MakeDocument(*this, std::move(pieces.back()), look, {x2, r.top, r.right, r.bottom});
  busy.Release();
  CloseSource(source);
  first->Redraw();
  last->Redraw();
  if (middle) middle->Redraw();
}

void TMainForm::MergeHExecute() {
  // The confirmed choice is not kept: the dialog always opens from the record's defaults.
  RunMerge<TDlgMergeHorProps>(
      *this, MergeHorProps, &TMergeHorProps::First, &TMergeHorProps::Last,
      [](bool& abort, TUnitWave& first, TUnitWave& last, const TMergeHorProps& props) {
        const uint16_t channels = props.MonoStereo == 2 ? 2 : 1;
        const auto bytes = static_cast<uint16_t>(props.BytesPSample);
        // Beside an empty wave a wave of the chosen format is the result: its sound moves over.
        if (const Sound* whole = SequentialTakeOver(*first.GetSound(), *last.GetSound(), channels,
                                                    props.Frequency)) {
          SoundPtr merged = (whole == first.GetSound() ? first : last).HandOverSound();
          merged->BytesPerSample = bytes;
          return merged;
        }
        return MergeSequential(abort, *first.GetSound(), *last.GetSound(), channels,
                               props.Frequency, bytes);
      },
      [](const Bounds& first, const Bounds& last) {
        const int64_t h = (last.left - first.right) / 2;
        return Bounds{first.left + h, (first.top + last.top) / 2, last.right - h + 1,
                      (first.bottom + last.bottom) / 2};
      });
}

void TMainForm::MergeVExecute() {
  RunMerge<TDlgMergeVertProps>(
      *this, MergeVertProps, &TMergeVertProps::Left, &TMergeVertProps::Right,
      [](bool& abort, TUnitWave& left, TUnitWave& right, const TMergeVertProps& props) {
        // A mono source already at the rate hands its buffer over; both sources close after.
        return MergeSideBySide(abort, *left.GetSound(), *right.GetSound(), props.Frequency,
                               static_cast<uint16_t>(props.BytesPSample), props.LengthKind);
      },
      [](const Bounds& left, const Bounds& right) {
        const int64_t h = (right.top - left.bottom) / 2;
        return Bounds{(left.left + right.left) / 2, left.top + h, (left.right + right.right) / 2,
                      right.bottom - h + 1};
      });
}
