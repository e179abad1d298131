#include "app/dialogs/DCommon.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLayoutItem>

void TChoice::Choose(QRadioButton* option) const {
  option->setChecked(true);
  if (within != nullptr) within->setChecked(true);
}

namespace dcommon {

QButtonGroup* MakeButtonGroup(QWidget* owner) {
  auto* group = new QButtonGroup(owner);
  group->setExclusive(true);
  return group;
}

QRadioButton* MakeOption(QWidget* parent, const char* name, const char* caption) {
  return Named(new QRadioButton(QString::fromLatin1(caption), parent), name);
}

void Join(TChoice& choice, QRadioButton* option) {
  choice.group->addButton(option, static_cast<int>(choice.buttons.size()));
  choice.buttons.push_back(option);
}

void TakeLabelPlace(QGridLayout& grid, QWidget* field, QWidget* replacement) {
  const int index = grid.indexOf(field);
  if (index < 0) return;
  int row = 0;
  int column = 0;
  int rowSpan = 0;
  int columnSpan = 0;
  grid.getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
  if (column == 0) return;
  if (QLayoutItem* item = grid.itemAtPosition(row, column - 1)) {
    if (QWidget* label = item->widget()) {
      grid.removeWidget(label);
      delete label;
    }
  }
  replacement->setParent(field->parentWidget());
  grid.addWidget(replacement, row, column - 1);
  replacement->show();
}

void ChooseOnEdit(QLineEdit* edit, const TChoice& choice, QRadioButton* option) {
  const TChoice* held = &choice;
  QObject::connect(edit, &QLineEdit::textEdited, edit, [held, option] { held->Choose(option); });
}

void ChooseOnPick(TWaveComboBox* combo, const TChoice& choice, QRadioButton* option) {
  const TChoice* held = &choice;
  QObject::connect(combo, &QComboBox::activated, combo, [held, option] { held->Choose(option); });
}

void CheckOnPick(TWaveComboBox* combo, QCheckBox* box) {
  QObject::connect(combo, &QComboBox::activated, box, [box] { box->setChecked(true); });
}

}  // namespace dcommon
