#include "app/dialogs/DMFreq.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <type_traits>

using dechofilter::kAllButActive;

namespace {
struct RowInput {
  const char* edit;
  const char* label;  // also the name in messages
  const char* box;
};
constexpr RowInput kRowInputs[] = {
    {"editVolume", "Start Volume", "chkDefVolume"},
    {"editFrequency", "Frequency", "chkDefFrequency"},
    {"editAngle", "Start Angle", "chkDefAngle"},
    {"editVolFact", "Volume Factor", "chkDefVolFact"},
    {"editVolFactTime", "Volume Factor at Time", "chkDefVolFactTime"},
};

// The row's values in the order of the inputs.
template <class Row>
auto RowValues(Row& row) {
  using Value = std::conditional_t<std::is_const_v<Row>, const unit, unit>;
  return std::array<Value*, 5>{&row.StartVolume, &row.Frequency, &row.StartAngle, &row.VolFact,
                               &row.VolFactTime};
}

QLineEdit* ReadOnly(QWidget* parent, const char* name) {
  auto* edit = dcommon::Named(new QLineEdit(parent), name);
  edit->setReadOnly(true);
  return edit;
}
}  // namespace

TDlgMFreqProps::TDlgMFreqProps(QWidget* owner, const TMFreqProps& props)
    : TEchoFilterDlg(owner, props) {
  setWindowTitle("Multi Frequency");
  SetHelpContext(37);
  TChoice& use = AddChoice(Record.UseKind);
  AddOption(use, "optSinus", "Sinus");
  AddOptionRows(use, {{"optWaveForm", "Wave Form", "cboWaveForm", nullptr, "Wave Form",
                       &Record.WaveForm, kAllButActive}});
  AddInput("editLength", "Length", Record.Length, "Length");
  PlaceRow("Count", editCount = ReadOnly(this, "editCount"));
  PlaceRow("Cursor", editCursor = ReadOnly(this, "editCursor"));

  // The rows' inputs are the browser's: they take no part in the field order. "Default" heads the
  // column of boxes beside them.
  Body()->addWidget(new QLabel("Default"), 0, 4);
  MoveTo(1, 1);
  for (size_t i = 0; i < kRowFields; ++i) {
    rowEdits_[i] = dcommon::Named(new QLineEdit(this), kRowInputs[i].edit);
    defaultBoxes_[i] = dcommon::Named(new QCheckBox(this), kRowInputs[i].box);
    Body()->addWidget(defaultBoxes_[i], NextRow(), 4);
    PlaceRow(kRowInputs[i].label, rowEdits_[i]);
    connect(defaultBoxes_[i], &QCheckBox::toggled, this, [this] { chkDefClick(); });
  }
  AddStep(
      [this] {
        Filling = 0;
        const auto flags = DefaultFlags();
        for (size_t i = 0; i < kRowFields; ++i) defaultBoxes_[i]->setChecked(*flags[i]);
        Filling = 1;
        Record.Rows.Open(this);
      },
      {});

  // The steps through the rows on one line, the edits of the rows on the next: on one line the
  // dialog would not fit a screen 1024 pixels wide.
  auto* buttons = new QWidget(this);
  auto* lines = new QVBoxLayout(buttons);
  lines->setContentsMargins(0, 0, 0, 0);
  auto* line = new QHBoxLayout;
  lines->addLayout(line);
  const auto add = [&](const char* name, const QString& caption, QStyle::StandardPixmap glyph,
                       void (TDlgMFreqProps::*click)()) {
    auto* button = dcommon::Named(new QPushButton(caption, buttons), name);
    if (caption.isEmpty()) button->setIcon(style()->standardIcon(glyph));
    line->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
    return button;
  };
  btnFirst = add("btnFirst", "", QStyle::SP_MediaSkipBackward, &TDlgMFreqProps::btnFirstClick);
  btnPrevious =
      add("btnPrevious", "", QStyle::SP_MediaSeekBackward, &TDlgMFreqProps::btnPreviousClick);
  btnNext = add("btnNext", "", QStyle::SP_MediaSeekForward, &TDlgMFreqProps::btnNextClick);
  btnLast = add("btnLast", "", QStyle::SP_MediaSkipForward, &TDlgMFreqProps::btnLastClick);
  line->addStretch(1);
  line = new QHBoxLayout;
  lines->addLayout(line);
  add("btnInsert", "Insert", {}, &TDlgMFreqProps::btnInsertClick);
  add("btnAppend", "Append", {}, &TDlgMFreqProps::btnAppendClick);
  btnDelete = add("btnDelete", "Delete", {}, &TDlgMFreqProps::btnDeleteClick);
  add("btnCopy", "Copy", {}, &TDlgMFreqProps::btnCopyClick);
  btnPaste = add("btnPaste", "Paste", {}, &TDlgMFreqProps::btnPasteClick);
  add("btnClear", "Clear", {}, &TDlgMFreqProps::btnClearClick);
  PlaceRow(nullptr, buttons);
  GroupRows("grpFreqs", "Frequency", 0, 3);
  FitBody();
}

TDlgMFreqProps::~TDlgMFreqProps() {
  // The browser must not keep a pointer to a dialog that is gone.
  if (Record.Rows.DlgMFreqProps == this) Record.Rows.Cancel();
}

std::array<bool*, TDlgMFreqProps::kRowFields> TDlgMFreqProps::DefaultFlags() {
  return {&Record.DefVolume, &Record.DefFrequency, &Record.DefAngle, &Record.DefVolFact,
          &Record.DefVolFactTime};
}

void TDlgMFreqProps::OKBtnClick() {
  TEchoFilterDlg::OKBtnClick();
  if (ok != 0 && Record.Rows.IsOpen && !Record.Rows.CloseOK()) ok = 0;
}

void TDlgMFreqProps::done(int result) {
  if (result != QDialog::Accepted && Record.Rows.IsOpen) Record.Rows.Cancel();
  TEchoFilterDlg::done(result);
}

bool TDlgMFreqProps::ReadFields(TMFreqBrowseRecord*& row) {
  auto read = std::make_unique<TMFreqBrowseRecord>();
  bool passed = true;
  const auto values = RowValues(*read);
  for (size_t i = 0; i < kRowFields; ++i) {
    values[i]->ReadField(passed, rowEdits_[i]->text().toStdString(), kRowInputs[i].label);
  }
  if (!passed) return false;
  row = read.release();
  return true;
}

void TDlgMFreqProps::ShowRecord(const TMFreqBrowseRecord& row) {
  const auto values = RowValues(row);
  for (size_t i = 0; i < kRowFields; ++i) {
    rowEdits_[i]->setText(QString::fromStdString(values[i]->Write()));
  }
}

void TDlgMFreqProps::ShowDefaults() {
  const auto flags = DefaultFlags();
  for (size_t i = 0; i < kRowFields; ++i) {
    if (!*flags[i]) rowEdits_[i]->clear();
  }
}

void TDlgMFreqProps::UpdateView(int32_t count, int32_t position, bool canGoBack, bool canGoForward,
                                bool canDelete, bool canPaste) {
  editCount->setText(QString::number(count));
  editCursor->setText(QString::number(position));
  btnFirst->setEnabled(canGoBack);
  btnPrevious->setEnabled(canGoBack);
  btnNext->setEnabled(canGoForward);
  btnLast->setEnabled(canGoForward);
  btnDelete->setEnabled(canDelete);
  btnPaste->setEnabled(canPaste);
}

void TDlgMFreqProps::chkDefClick() {
  if (Filling == 0) return;
  const auto flags = DefaultFlags();
  for (size_t i = 0; i < kRowFields; ++i) *flags[i] = defaultBoxes_[i]->isChecked();
}

// The buttons act only on an open browser, and the steps back and forth only where a row lies.
void TDlgMFreqProps::Browse(void (TRecordBrowser::*operation)()) {
  if (Record.Rows.IsOpen) (Record.Rows.*operation)();
}
void TDlgMFreqProps::btnFirstClick() { Browse(&TRecordBrowser::First); }
void TDlgMFreqProps::btnPreviousClick() {
  if (Record.Rows.Cursor > 0) Browse(&TRecordBrowser::Previous);
}
void TDlgMFreqProps::btnNextClick() {
  if (Record.Rows.Cursor < Record.Rows.Count - 1) Browse(&TRecordBrowser::Next);
}
void TDlgMFreqProps::btnLastClick() { Browse(&TRecordBrowser::Last); }
void TDlgMFreqProps::btnInsertClick() { Browse(&TRecordBrowser::Insert); }
void TDlgMFreqProps::btnAppendClick() { Browse(&TRecordBrowser::Append); }
void TDlgMFreqProps::btnDeleteClick() { Browse(&TRecordBrowser::Delete); }
void TDlgMFreqProps::btnCopyClick() { Browse(&TRecordBrowser::Copy); }
void TDlgMFreqProps::btnPasteClick() { Browse(&TRecordBrowser::Paste); }
void TDlgMFreqProps::btnClearClick() { Browse(&TRecordBrowser::Clear); }
