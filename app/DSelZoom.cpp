#include "app/DSelZoom.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cmath>

#include "app/wavewindow/ChildWave.h"
#include "app/Main.h"
#include "app/MainRegistry.h"
#include "foundation/messages.h"
#include "wave/unitwave.h"

namespace {

// The window's document, or null for no window or one that has already let its document go.
TUnitWave* UnitOf(TMDIChildWave* window) { return window ? window->GetUnitWave() : nullptr; }

double RateOf(const TUnitWave& unit) { return unit.GetSamplesPerSec(); }

double Seconds(double position, double rate) { return rate > 0 ? position / rate : 0; }

TMDIChildWave* ActiveWaveWindow() { return static_cast<TMDIChildWave*>(MainActiveWaveChild()); }

}  // namespace

void TMainForm::ConnectSelZoom() {
  DlgSelZoom.SetFactory([](QWidget* owner) { return new TDlgSelZoom(owner); });
}

TDlgSelZoom::TDlgSelZoom(QWidget* owner) : TOKHelpRightDlg(owner) {
  setWindowTitle(kSelZoomCaption);
  SetHelpContext(kSelZoomHelpContext);
  setModal(false);
  setWindowFlag(Qt::WindowStaysOnTopHint);

  Label1 = new QLabel("Selected");
  PlaceRow(nullptr, Label1);
  optCursor = new QRadioButton("Cursor");
  PlaceRow(nullptr, optCursor);
  const auto cursorChosen = [this] { return optCursor->isChecked(); };
  const auto partChosen = [this] { return !optCursor->isChecked(); };
  editCursorAt = AddEdit("At", CursorAt, "Cursor At", 32767, cursorChosen);
  optPart = new QRadioButton("Part");
  PlaceRow(nullptr, optPart);
  editPartBegin = AddEdit("Begin", PartBegin, "Part Begin", 32767, partChosen);
  editPartEnd = AddEdit("End", PartEnd, "Part End", 32767, partChosen);
  AddStep({}, [this](uint8_t& ok) { ApplySelection(ok); });

  // One group keeps exactly one option ticked whatever the user clicks or presses: an option
  // that unticks itself would leave Apply reading the part's empty fields.
  selected_ = new QButtonGroup(this);
  selected_->addButton(optCursor);
  selected_->addButton(optPart);

  // The zoom's Begin and End stand in its group, apart from the part's Begin and End.
  const int zoomRow = NextRow();
  chkZoomed = new QCheckBox("Zoomed");
  PlaceRow(nullptr, chkZoomed);
  const auto zoomChosen = [this] { return chkZoomed->isChecked(); };
  editZoomBegin = AddEdit("Begin", ZoomBegin, "Zoom Begin", 32767, zoomChosen);
  editZoomEnd = AddEdit("End", ZoomEnd, "Zoom End", 32767, zoomChosen);
  GroupRows("grpZoom", "Zoom", zoomRow);
  AddStep({}, [this](uint8_t& ok) { ApplyZoom(ok); });
  FitBody();

  OKBtn->setText("Apply");
  CancelBtn->setText("Close");
  // Apply leaves the dialog open: it replaces the base form's OK, which closes.
  disconnect(OKBtn, &QPushButton::clicked, this, nullptr);
  connect(OKBtn, &QPushButton::clicked, this, [this] { ApplyBtnClick(); });

  connect(editCursorAt, &QLineEdit::textChanged, this, [this] { editCursorAtChange(); });
  connect(editPartBegin, &QLineEdit::textChanged, this, [this] { editPartBeginChange(); });
  connect(editPartEnd, &QLineEdit::textChanged, this, [this] { editPartEndChange(); });
  connect(editZoomBegin, &QLineEdit::textChanged, this, [this] { editZoomBeginChange(); });
  connect(editZoomEnd, &QLineEdit::textChanged, this, [this] { editZoomEndChange(); });
}

// --- Showing the active window ---------------------------------------------------------------

void TDlgSelZoom::ShowChild(TMDIChildWave* window) {
  // Undo swaps a selection in, and a new rate moves it, without a selection notice: this look,
  // also made after every pass of user input, shows what they left.
  if (SelectionOf(window) != shownSelection_) ShowSelection(window);
  if (ZoomOf(window) != shownZoom_) ShowZoom(window);
}

void TDlgSelZoom::SelectionChanged(TMDIChildWave* window) {
  // Undo may change the selection of a document in the background; the dialog shows, and Apply
  // changes, the active window only.
  if (window == ActiveWaveWindow()) ShowSelection(window);
}

void TDlgSelZoom::ZoomChanged(TMDIChildWave* window) {
  // Every paint of the window asks: a zoom that stayed leaves a refused Zoom range as typed.
  if (ZoomOf(window) != shownZoom_) ShowZoom(window);
}

TDlgSelZoom::Shown TDlgSelZoom::SelectionOf(TMDIChildWave* window) {
  const TUnitWave* unit = UnitOf(window);
  if (unit == nullptr) return {nullptr, 0, 0, 0};
  const double rate = RateOf(*unit);
  if (unit->GetSelCursor() != unit->GetSelAnchor()) {
    return {window, 2, Seconds(unit->GetSelBegin(), rate), Seconds(unit->GetSelEnd(), rate)};
  }
  return {window, 1, Seconds(unit->GetSelCursor(), rate), 0};
}

TDlgSelZoom::Shown TDlgSelZoom::ZoomOf(TMDIChildWave* window) {
  if (UnitOf(window) == nullptr) return {nullptr, 0, 0, 0};
  if (window->IsZoomed() == 0) return {window, 1, 0, 0};
  return {window, 2, window->GetViewBeginTime(), window->GetViewEndTime()};
}

void TDlgSelZoom::Show(QLineEdit* edit, unitTime& value, double seconds) {
  value.SetValue(seconds);
  edit->setText(QString::fromStdString(value.Write()));
}

void TDlgSelZoom::ShowSelection(TMDIChildWave* window) {
  Updating = true;
  const Shown shown = SelectionOf(window);
  const bool wave = shown.source != nullptr;
  for (QWidget* control : std::initializer_list<QWidget*>{optCursor, optPart, editCursorAt,
                                                          editPartBegin, editPartEnd}) {
    control->setEnabled(wave);
  }
  OKBtn->setEnabled(wave);
  if (!wave) {
    // With no window neither option is ticked; an exclusive group refuses to untick its last one.
    selected_->setExclusive(false);
    optCursor->setChecked(false);
    optPart->setChecked(false);
    selected_->setExclusive(true);
    for (QLineEdit* edit : {editCursorAt, editPartBegin, editPartEnd}) edit->clear();
  } else if (shown.option == 2) {
    optPart->setChecked(true);
    Show(editPartBegin, PartBegin, shown.first);
    Show(editPartEnd, PartEnd, shown.second);
    editCursorAt->clear();
  } else {
    optCursor->setChecked(true);
    Show(editCursorAt, CursorAt, shown.first);
    editPartBegin->clear();
    editPartEnd->clear();
  }
  shownSelection_ = shown;
  Updating = false;
}

void TDlgSelZoom::ShowZoom(TMDIChildWave* window) {
  Updating = true;
  const Shown shown = ZoomOf(window);
  for (QWidget* control : std::initializer_list<QWidget*>{chkZoomed, editZoomBegin, editZoomEnd}) {
    control->setEnabled(shown.source != nullptr);
  }
  OKBtn->setEnabled(shown.source != nullptr);
  if (shown.option == 2) {
    chkZoomed->setChecked(true);
    Show(editZoomBegin, ZoomBegin, shown.first);
    Show(editZoomEnd, ZoomEnd, shown.second);
  } else {
    chkZoomed->setChecked(false);
    editZoomBegin->clear();
    editZoomEnd->clear();
  }
  shownZoom_ = shown;
  Updating = false;
}

void TDlgSelZoom::editCursorAtChange() {
  if (!Updating) optCursor->setChecked(true);
}

void TDlgSelZoom::editPartBeginChange() {
  if (!Updating) optPart->setChecked(true);
}

void TDlgSelZoom::editPartEndChange() { editPartBeginChange(); }

void TDlgSelZoom::editZoomBeginChange() {
  if (!Updating) chkZoomed->setChecked(true);
}

void TDlgSelZoom::editZoomEndChange() { editZoomBeginChange(); }

// --- The form's life ---------------------------------------------------------------------------

void TDlgSelZoom::EvOnShow() { FormShow(); }

void TDlgSelZoom::FormShow() {
  // At the main window's lower right corner, but within the screen.
  PlaceBesideMainForm(*this);
  // What was typed before the dialog was hidden is gone: it shows the window afresh.
  ShowSelection(ActiveWaveWindow());
  ShowZoom(ActiveWaveWindow());
}

bool TDlgSelZoom::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return TOKHelpRightDlg::event(event);
}

void TDlgSelZoom::FormActivate() { MainSetDialogActive(true); }

void TDlgSelZoom::done(int result) {
  TOKHelpRightDlg::done(result);
  if (isHidden()) FormClose();
}

void TDlgSelZoom::FormClose() { MainDlgSelZoomClosed(); }

void TDlgSelZoom::CloseBtnClick() { close(); }

// --- Apply -------------------------------------------------------------------------------------

int32_t TDlgSelZoom::SampleOf(double seconds) const {
  // The checks before keep the time within the sound, so the position fits.
  return static_cast<int32_t>(std::trunc(applyRate_ * seconds + 0.5));
}

void TDlgSelZoom::ApplyBtnClick() {
  applyWindow_ = ActiveWaveWindow();
  applyUnit_ = UnitOf(applyWindow_);
  // Apply is disabled without a wave window; a late press finds nothing to change.
  if (applyUnit_ != nullptr) {
    applyRate_ = RateOf(*applyUnit_);
    applyEnd_ = Seconds(applyUnit_->GetValues(), applyRate_);
    ok = 1;
    OKBtnClick();
    applyWindow_->Redraw();
  }
  // Whatever failed, Close still closes.
  ok = 1;
  applyWindow_ = nullptr;
  applyUnit_ = nullptr;
}

void TDlgSelZoom::ApplySelection(const uint8_t& ok) {
  if (ok == 0) return;
  if (optCursor->isChecked()) {
    if (!(CursorAt.GetValue() < applyEnd_)) {
      MessageReporter::ShowFieldError("Selected Cursor", kSelZoomBeforeEnd);
      return;
    }
    applyUnit_->SetCursor(SampleOf(CursorAt.GetValue()));
    return;
  }
  if (InOrderBeforeEnd(PartBegin, PartEnd, "Part Begin", "Part End", kSelZoomPartOrder)) {
    applyUnit_->SetSelRange(SampleOf(PartBegin.GetValue()), SampleOf(PartEnd.GetValue()));
  }
}

void TDlgSelZoom::ApplyZoom(const uint8_t& ok) {
  if (!chkZoomed->isChecked()) {
    applyWindow_->HideScroll();
  } else if (ok != 0 &&
             InOrderBeforeEnd(ZoomBegin, ZoomEnd, "Zoom Begin", "Zoom End", kSelZoomZoomOrder)) {
    // A window that rounds to less than a sample shows the whole sound instead.
    applyWindow_->SetScroll(SampleOf(ZoomBegin.GetValue()), SampleOf(ZoomEnd.GetValue()));
  } else {
    return;  // the refused range stays as typed, to be mended
  }
  // The zoom as the window took it, also where it stayed what the fields showed before.
  ShowZoom(applyWindow_);
}

bool TDlgSelZoom::InOrderBeforeEnd(const unitTime& begin, const unitTime& end, const char* beginName,
                                   const char* endName, const char* orderMessage) const {
  if (!(end.GetValue() > begin.GetValue())) {
    MessageReporter::ShowInputError(orderMessage);
  } else if (!(begin.GetValue() < applyEnd_)) {
    MessageReporter::ShowFieldError(beginName, kSelZoomBeforeEnd);
  } else if (!(end.GetValue() < applyEnd_)) {
    MessageReporter::ShowFieldError(endName, kSelZoomBeforeEnd);
  } else {
    return true;
  }
  return false;
}
