// The main window's wave-operation commands. They share one road: the dialog edits a copy of the
// document's own record, OK hands the result to the main window's last-used record, and the
// document's operation runs on that under the hourglass with an undo record; the commands without
// a dialog take the same road from the hourglass on.
#include <QAction>
#include <functional>
#include <memory>
#include <string>

#include "app/wavewindow/ChildWave.h"
#include "app/dialogs/DBalance.h"
#include "app/dialogs/DBlock.h"
#include "app/dialogs/DBlockFilter.h"
#include "app/dialogs/DBlockTriangle.h"
#include "app/dialogs/DDistort.h"
#include "app/dialogs/DHighLow.h"
#include "app/dialogs/DLeftRight.h"
#include "app/dialogs/DLength.h"
#include "app/dialogs/DLine.h"
#include "app/dialogs/DMFreq.h"
#include "app/dialogs/DMix.h"
#include "app/dialogs/DNoise.h"
#include "app/dialogs/DPerEcho.h"
#include "app/dialogs/DResNotch.h"
#include "app/dialogs/DRndEcho.h"
#include "app/dialogs/DRollIn.h"
#include "app/dialogs/DRollOut.h"
#include "app/dialogs/DRotate.h"
#include "app/dialogs/DSilence.h"
#include "app/dialogs/DSinus.h"
#include "app/dialogs/DTempoPitch.h"
#include "app/dialogs/DUp.h"
#include "app/dialogs/DVoldViewProps.h"
#include "app/dialogs/DVolume.h"
#include "app/dialogs/DWaveViewProps.h"
#include "app/HourGlass.h"
#include "app/Main.h"
#include "app/Player.h"
#include "foundation/messages.h"
#include "wave/unitwave.h"

namespace {

// The active wave, when its sound may change. A recording meant for it puts its sound in at
// Stop, in place of whatever a command made meanwhile. The update disables these commands then,
// but a key may arrive before it has run.
TUnitWave* WaveToChange(const TMainForm& form) {
  TUnitWave* unitWave = form.ActiveUnitWave();
  return RecordingInto(unitWave) ? nullptr : unitWave;
}

// Changes the document's sound with an undo record and the modified mark. An operation that
// leaves the sound as it was (values it refuses, no memory) gives its undo record up again, so
// that Undo never "undoes" to the same sound, and leaves the document's state alone.
void ChangeWave(TMainForm& form, TUnitWave& unitWave, const std::function<bool()>& operation) {
  CommandHourGlass hourGlass(form);
  form.PushUndo(unitWave);
  if (operation()) {
    unitWave.SetModified();
  } else {
    form.DeleteUndo();
  }
}

template <class Props>
using Operation = bool (TUnitWave::*)(const Props&);

// Why the document cannot run the record, for the records whose values only the document can
// judge; empty when it can.
template <class Props>
std::string RefusalOf(const TUnitWave& unitWave, const Props& props) {
  if constexpr (requires { unitWave.Refusal(props); }) {
    return unitWave.Refusal(props);
  } else {
    return {};
  }
}

// The road of a command with a dialog. `makeDialog` (owner, the copy of the document's record,
// the document) builds the dialog; it may fill the copy from the document first.
template <class Props, class MakeDialog>
void WaveRoad(TMainForm& form, Props TWaveOperationProps::*record, Operation<Props> operation,
              MakeDialog makeDialog) {
  TUnitWave* unitWave = WaveToChange(form);
  if (unitWave == nullptr) return;
  Props copy = unitWave->GetProps().*record;
  auto dialog = makeDialog(&form, copy, *unitWave);
  if (dialog->ShowModal() != QDialog::Accepted) return;
  form.LastUsedProps.*record = dialog->GetProps();
  const Props& confirmed = form.LastUsedProps.*record;
  // Told before the undo record replaces the previous one, so a refused command leaves the
  // document, its undo and its state as they were; the record is kept as on every other run.
  if (const std::string refusal = RefusalOf(*unitWave, confirmed); !refusal.empty()) {
    TWaveOperationProps kept = unitWave->GetProps();
    kept.*record = confirmed;
    unitWave->SetProps(kept);
    ShowMessageBox(refusal, msgtext::kError, kMbOk | kMbIconWarning);
    return;
  }
  ChangeWave(form, *unitWave, [&] { return (unitWave->*operation)(confirmed); });
}

template <class Dialog>
auto Plain() {
  return [](QWidget* owner, const auto& props, const TUnitWave&) {
    return std::make_unique<Dialog>(owner, props);
  };
}

template <class Dialog>
auto Captioned(const char* caption) {
  return [caption](QWidget* owner, const auto& props, const TUnitWave&) {
    return std::make_unique<Dialog>(owner, caption, props);
  };
}

void NoDialogRoad(TMainForm& form, bool (TUnitWave::*operation)()) {
  TUnitWave* unitWave = WaveToChange(form);
  if (unitWave == nullptr) return;
  ChangeWave(form, *unitWave, [&] { return (unitWave->*operation)(); });
}

TMDIChildWave* ActiveWaveWindow(const TMainForm& form) {
  return dynamic_cast<TMDIChildWave*>(form.ActiveWaveChild());
}

// A view switch: the dialog edits a copy of the window's record (and may keep it as the default);
// OK gives it to the window, which then shows that view, checks its action alone, and repaints.
// Cancel leaves record and view alone.
template <class Dialog, class Props>
void SwitchView(TMainForm& form, TMDIChildWave& window, Props copy,
                void (TMDIChildWave::*setProps)(const Props&), const char* shown,
                const char* hidden, const std::function<std::unique_ptr<Dialog>(Props&)>& build) {
  std::unique_ptr<Dialog> dialog = build(copy);
  if (dialog->ShowModal() != QDialog::Accepted) return;
  copy = dialog->GetProps();
  (window.*setProps)(copy);
  form.Action(hidden)->setChecked(false);
  form.Action(shown)->setChecked(false);
  form.Action(shown)->setChecked(true);
  window.Redraw();
}

}  // namespace

void TMainForm::ConnectWaveOperations() {
  using Handler = void (TMainForm::*)();
  static constexpr struct {
    const char* action;
    Handler handler;
  } kCommands[] = {
      {"MakeSilence", &TMainForm::MakeSilenceExecute},
      {"MakeLine", &TMainForm::MakeLineExecute},
      {"MakeBlock", &TMainForm::MakeBlockExecute},
      {"MakeTriangle", &TMainForm::MakeTriangleExecute},
      {"MakeSinus", &TMainForm::MakeSinusExecute},
      {"MakeNoise", &TMainForm::MakeNoiseExecute},
      {"Volume", &TMainForm::VolumeExecute},
      {"Up", &TMainForm::UpExecute},
      {"Distort", &TMainForm::DistortExecute},
      {"Block", &TMainForm::BlockExecute},
      {"Length", &TMainForm::LengthExecute},
      {"Rotate", &TMainForm::RotateExecute},
      {"RollOut", &TMainForm::RollOutExecute},
      {"RollIn", &TMainForm::RollInExecute},
      {"Balance", &TMainForm::BalanceExecute},
      {"MixLeftRight", &TMainForm::MixLeftRightExecute},
      {"EditMix", &TMainForm::EditMixExecute},
      {"TempoPitch", &TMainForm::TempoPitchExecute},
      {"MaxVolume", &TMainForm::MaxVolumeExecute},
      {"Reverse", &TMainForm::ReverseExecute},
      {"EditDelete", &TMainForm::EditDeleteExecute},
      {"EditTrim", &TMainForm::EditTrimExecute},
      {"EditCut", &TMainForm::EditCutExecute},
      {"EditCopy", &TMainForm::EditCopyExecute},
      {"EditPaste", &TMainForm::EditPasteExecute},
      {"EditSwap", &TMainForm::EditSwapExecute},
      {"EditExtract", &TMainForm::EditExtractExecute},
      {"ViewWave", &TMainForm::ViewWaveExecute},
      {"ViewVold", &TMainForm::ViewVoldExecute},
      {"ZoomIn", &TMainForm::ZoomInExecute},
      {"NoZoom", &TMainForm::NoZoomExecute},
      {"MakeMFreq", &TMainForm::MakeMFreqExecute},
      {"FilterHigh", &TMainForm::FilterHighExecute},
      {"FilterLow", &TMainForm::FilterLowExecute},
      {"FilterRes", &TMainForm::FilterResExecute},
      {"FilterNotch", &TMainForm::FilterNotchExecute},
      {"FilterBlock", &TMainForm::FilterBlockExecute},
      {"PerEcho", &TMainForm::PerEchoExecute},
      {"RndEcho", &TMainForm::RndEchoExecute},
  };
  for (const auto& command : kCommands) {
    const Handler handler = command.handler;
    connect(Action(command.action), &QAction::triggered, this,
            [this, handler] { (this->*handler)(); });
  }
}

void TMainForm::MakeSilenceExecute() {
  WaveRoad(*this, &TWaveOperationProps::Silence, &TUnitWave::MakeSilence,
           Plain<TDlgSilenceProps>());
}

void TMainForm::MakeLineExecute() {
  WaveRoad(*this, &TWaveOperationProps::Line, &TUnitWave::MakeLine, Plain<TDlgLineProps>());
}

void TMainForm::MakeBlockExecute() {
  WaveRoad(*this, &TWaveOperationProps::MakeBlock, &TUnitWave::MakeBlock,
           Captioned<TDlgBlockTriangleProps>("Make Block"));
}

void TMainForm::MakeTriangleExecute() {
  WaveRoad(*this, &TWaveOperationProps::MakeTriangle, &TUnitWave::MakeTriangle,
           Captioned<TDlgBlockTriangleProps>("Make Triangle"));
}

void TMainForm::MakeSinusExecute() {
  WaveRoad(*this, &TWaveOperationProps::Sinus, &TUnitWave::MakeSinus, Plain<TDlgSinusProps>());
}

void TMainForm::MakeNoiseExecute() {
  WaveRoad(*this, &TWaveOperationProps::Noise, &TUnitWave::MakeNoise, Plain<TDlgNoiseProps>());
}

namespace {

// Length and roll out have nothing to work on in a part without duration: not even the dialog
// opens.
bool ActivePartLasts(const TMainForm& form) {
  const TUnitWave* unitWave = form.ActiveUnitWave();
  return unitWave != nullptr && unitWave->GetSelTime() != 0.0;
}

}  // namespace

void TMainForm::VolumeExecute() {
  WaveRoad(*this, &TWaveOperationProps::Volume, &TUnitWave::Volume, Plain<TDlgVolumeProps>());
}

void TMainForm::UpExecute() {
  WaveRoad(*this, &TWaveOperationProps::Up, &TUnitWave::Up, Plain<TDlgUpProps>());
}

void TMainForm::DistortExecute() {
  WaveRoad(*this, &TWaveOperationProps::Distort, &TUnitWave::Distort, Plain<TDlgDistortProps>());
}

void TMainForm::BlockExecute() {
  WaveRoad(*this, &TWaveOperationProps::Block, &TUnitWave::Block, Plain<TDlgBlockProps>());
}

void TMainForm::LengthExecute() {
  if (!ActivePartLasts(*this)) return;
  WaveRoad(*this, &TWaveOperationProps::Length, &TUnitWave::Length, Plain<TDlgLengthProps>());
}

void TMainForm::RotateExecute() {
  // The dialog refuses a rotation time longer than the part it rotates.
  WaveRoad(*this, &TWaveOperationProps::Rotate, &TUnitWave::Rotate,
           [](QWidget* owner, const TRotateProps& props, const TUnitWave& unitWave) {
             return std::make_unique<TDlgRotateProps>(owner, props, unitWave.GetSelTime());
           });
}

void TMainForm::RollOutExecute() {
  if (!ActivePartLasts(*this)) return;
  WaveRoad(*this, &TWaveOperationProps::RollOut, &TUnitWave::RollOut,
           [](QWidget* owner, TRollOutProps& props, const TUnitWave& unitWave) {
             props.SelTime = unitWave.GetSelTime();
             return std::make_unique<TDlgRollOutProps>(owner, props);
           });
}

void TMainForm::RollInExecute() {
  WaveRoad(*this, &TWaveOperationProps::RollIn, &TUnitWave::RollIn, Plain<TDlgRollInProps>());
}

void TMainForm::BalanceExecute() {
  WaveRoad(*this, &TWaveOperationProps::Balance, &TUnitWave::Balance, Plain<TDlgBalanceProps>());
}

void TMainForm::MixLeftRightExecute() {
  WaveRoad(*this, &TWaveOperationProps::LeftRight, &TUnitWave::MixLeftRight,
           Plain<TDlgLeftRightProps>());
}

void TMainForm::EditMixExecute() {
  WaveRoad(*this, &TWaveOperationProps::Mix, &TUnitWave::EditMix, Plain<TDlgMixProps>());
}

void TMainForm::TempoPitchExecute() {
  // The dialog measures a start position given as a part against the present selection.
  WaveRoad(*this, &TWaveOperationProps::TempoPitch, &TUnitWave::TempoPitch,
           [](QWidget* owner, TTempoPitchProps& props, const TUnitWave& unitWave) {
             props.SelTime = unitWave.GetSelTime();
             return std::make_unique<TDlgTempoPitchProps>(owner, props);
           });
}

void TMainForm::MaxVolumeExecute() { NoDialogRoad(*this, &TUnitWave::MaxVolume); }
void TMainForm::ReverseExecute() { NoDialogRoad(*this, &TUnitWave::Reverse); }
void TMainForm::EditDeleteExecute() { NoDialogRoad(*this, &TUnitWave::EditDelete); }
void TMainForm::EditTrimExecute() { NoDialogRoad(*this, &TUnitWave::EditTrim); }
void TMainForm::EditCutExecute() { NoDialogRoad(*this, &TUnitWave::EditCut); }
void TMainForm::EditPasteExecute() { NoDialogRoad(*this, &TUnitWave::EditPaste); }
void TMainForm::EditSwapExecute() { NoDialogRoad(*this, &TUnitWave::EditSwap); }
void TMainForm::EditExtractExecute() { NoDialogRoad(*this, &TUnitWave::EditExtract); }

void TMainForm::EditCopyExecute() {
  // Only the clipboard changes: no undo record, no modified mark.
  TUnitWave* unitWave = ActiveUnitWave();
  if (unitWave == nullptr) return;
  CommandHourGlass hourGlass(*this);
  unitWave->EditCopy();
}

void TMainForm::ViewWaveExecute() {
  TMDIChildWave* window = ActiveWaveWindow(*this);
  if (window == nullptr) return;
  SwitchView<TDlgWaveViewProps, TWaveViewProps>(
      *this, *window, window->GetWaveViewProps(), &TMDIChildWave::SetWaveViewProps, "ViewWave",
      "ViewVold", [this](TWaveViewProps& props) {
        return std::make_unique<TDlgWaveViewProps>(this, props, &WaveViewDefaults);
      });
}

void TMainForm::ViewVoldExecute() {
  TMDIChildWave* window = ActiveWaveWindow(*this);
  const TUnitWave* unitWave = ActiveUnitWave();
  if (window == nullptr || unitWave == nullptr) return;
  const auto rate = static_cast<int32_t>(unitWave->GetSamplesPerSec());
  SwitchView<TDlgVoldViewProps, TVoldViewProps>(
      *this, *window, window->GetVoldViewProps(), &TMDIChildWave::SetVoldViewProps, "ViewVold",
      "ViewWave", [this, rate](TVoldViewProps& props) {
        return std::make_unique<TDlgVoldViewProps>(this, props, &VoldViewDefaults, rate);
      });
}

void TMainForm::ZoomInExecute() {
  if (TMDIChildWave* window = ActiveWaveWindow(*this)) window->ZoomIn();
}

void TMainForm::NoZoomExecute() {
  if (TMDIChildWave* window = ActiveWaveWindow(*this)) window->NoZoom();
}

// --- Echo, filter and multi-frequency commands ----------------------------------------------------

void TMainForm::MakeMFreqExecute() {
  WaveRoad(*this, &TWaveOperationProps::MFreq, &TUnitWave::MakeMFreq, Plain<TDlgMFreqProps>());
}

void TMainForm::FilterHighExecute() {
  WaveRoad(*this, &TWaveOperationProps::FilterHigh, &TUnitWave::FilterHigh,
           Captioned<TDlgHighLowProps>("High Filter"));
}

void TMainForm::FilterLowExecute() {
  WaveRoad(*this, &TWaveOperationProps::FilterLow, &TUnitWave::FilterLow,
           Captioned<TDlgHighLowProps>("Low Filter"));
}

void TMainForm::FilterResExecute() {
  WaveRoad(*this, &TWaveOperationProps::FilterRes, &TUnitWave::FilterRes,
           Captioned<TDlgResNotchProps>("Resonant Filter"));
}

void TMainForm::FilterNotchExecute() {
  WaveRoad(*this, &TWaveOperationProps::FilterNotch, &TUnitWave::FilterNotch,
           Captioned<TDlgResNotchProps>("Notch Filter"));
}

void TMainForm::FilterBlockExecute() {
  WaveRoad(*this, &TWaveOperationProps::FilterBlock, &TUnitWave::FilterBlock,
           Plain<TDlgBlockFilterProps>());
}

void TMainForm::PerEchoExecute() {
  WaveRoad(*this, &TWaveOperationProps::PerEcho, &TUnitWave::PerEcho, Plain<TDlgPerEchoProps>());
}

void TMainForm::RndEchoExecute() {
  // The random echo answers nothing: whether its result took the sound's place shows in the
  // sound itself, which the undo record keeps alive meanwhile.
  TUnitWave* unitWave = WaveToChange(*this);
  if (unitWave == nullptr) return;
  TDlgRandomEchoProps dialog(this, unitWave->GetProps().RandomEcho);
  if (dialog.ShowModal() != QDialog::Accepted) return;
  ChangeWave(*this, *unitWave, [&] {
    LastUsedProps.RandomEcho = dialog.GetProps();
    const Sound* before = unitWave->GetSound();
    unitWave->RndEcho(LastUsedProps.RandomEcho);
    return unitWave->GetSound() != before;
  });
}
