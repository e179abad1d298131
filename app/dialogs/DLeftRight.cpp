#include "app/dialogs/DLeftRight.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

TDlgLeftRightProps::TDlgLeftRightProps(QWidget* owner, const TLeftRightProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Mix Left Right");
  SetHelpContext(36);
  Body()->addWidget(new QLabel("to Left"), 0, 1);
  Body()->addWidget(new QLabel("to Right"), 0, 2, 1, 2);
  // Rows are the sources, columns the targets; the fields are read row by row.
  const struct {
    const char* name;
    unitVolumeFactor* value;
    const char* fieldName;
  } cells[] = {{"editLeft2Left", &Record.Left2Left, "from Left to Left"},
               {"editLeft2Right", &Record.Left2Right, "from Left to Right"},
               {"editRight2Left", &Record.Right2Left, "from Right to Left"},
               {"editRight2Right", &Record.Right2Right, "from Right to Right"}};
  for (size_t i = 0; i < edits_.size(); ++i) {
    const int row = 1 + static_cast<int>(i / 2);
    MoveTo(static_cast<int>(i % 2), row);
    const char* rowLabel = i % 2 != 0 ? nullptr : row == 1 ? "from Left" : "from Right";
    edits_[i] =
        dcommon::Named(AddEdit(rowLabel, *cells[i].value, cells[i].fieldName), cells[i].name);
    connect(edits_[i], &QLineEdit::textChanged, this, [this] { editLR2LRChange(); });
  }
  cboExample = dcommon::Named(new QComboBox, "cboExample");
  for (const TLeftRightExample& example : kLeftRightExamples) cboExample->addItem(example.name);
  cboExample->setCurrentIndex(-1);
  MoveTo(0, 3);
  PlaceRow("Example", cboExample);
  connect(cboExample, &QComboBox::activated, this, [this] { cboExampleChange(); });
  FitBody();
}

void TDlgLeftRightProps::cboExampleChange() {
  const int index = cboExample->currentIndex();
  if (index < 0 || index >= static_cast<int>(kLeftRightExamples.size())) return;
  const TLeftRightExample& example = kLeftRightExamples[static_cast<size_t>(index)];
  const std::array<unitVolumeFactor*, 4> fields{&Record.Left2Left, &Record.Left2Right,
                                                &Record.Right2Left, &Record.Right2Right};
  const std::array<double, 4> values{example.left2Left, example.left2Right, example.right2Left,
                                     example.right2Right};
  expectedChanges_ = 4;
  for (size_t i = 0; i < fields.size(); ++i) {
    fields[i]->SetValue(values[i]);
    edits_[i]->setText(QString::fromStdString(fields[i]->Write()));
  }
  // An input that already showed its value reports no change.
  expectedChanges_ = 0;
}

void TDlgLeftRightProps::editLR2LRChange() {
  if (expectedChanges_ > 0) {
    --expectedChanges_;
  } else {
    cboExample->setCurrentIndex(-1);
  }
}
