// The building blocks the operation dialogs share on top of the field protocol: radio choices
// whose inputs are read only while their option is chosen (typing into an input chooses its
// option), choices nested within an option of another choice, and envelope boxes that switch a
// wave choice on. Every block adds its steps to the one field list of the base form, so a dialog
// lists its fields once, in the order OK reads them.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/WaveComboBox.h"

class QButtonGroup;
class QGridLayout;
class QWidget;

// One radio choice: the checked button gives the kind byte its index. A choice may lie within an
// option of another choice (`within`); it is then open only while that option is chosen.
struct TChoice {
  QButtonGroup* group = nullptr;
  std::vector<QRadioButton*> buttons;
  QRadioButton* within = nullptr;

  bool Open() const { return within == nullptr || within->isChecked(); }
  // Whether an input of `option` is read: its option chosen, within an open choice.
  bool Reads(const QRadioButton* option) const { return option->isChecked() && Open(); }
  // Chooses `option`, and the option this choice lies within.
  void Choose(QRadioButton* option) const;
};

namespace dcommon {

QButtonGroup* MakeButtonGroup(QWidget* owner);
QRadioButton* MakeOption(QWidget* parent, const char* name, const char* caption);
// Adds the option to its choice, as the next index.
void Join(TChoice& choice, QRadioButton* option);
// Puts `replacement` where the label beside `field` stood, and drops that label.
void TakeLabelPlace(QGridLayout& grid, QWidget* field, QWidget* replacement);
// Typing into the input (or picking a wave) chooses its option, or checks its envelope box.
void ChooseOnEdit(QLineEdit* edit, const TChoice& choice, QRadioButton* option);
void ChooseOnPick(TWaveComboBox* combo, const TChoice& choice, QRadioButton* option);
void CheckOnPick(TWaveComboBox* combo, QCheckBox* box);
template <class Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace dcommon

// One option of a choice with its one input beside it: a value typed in, or (with `wave` set) an
// open wave chosen in a list of `filter`.
struct TOptionRow {
  const char* option;
  const char* caption;
  const char* input;
  unit* value;
  const char* fieldName;
  unitUnitWave* wave = nullptr;
  uint8_t filter = 0;
};

// The form of every operation dialog: a parameter dialog on one of the base forms with the
// building blocks above.
template <class Form, class Props>
class TOperationDlg : public TPropsDlg<Form, Props> {
 public:
  TOperationDlg(QWidget* owner, const Props& props) : TPropsDlg<Form, Props>(owner, props) {}

 protected:
  // A plain input under its label.
  QLineEdit* AddInput(const char* name, const char* label, unit& value,
                      const std::string& fieldName) {
    return dcommon::Named(this->AddEdit(label, value, fieldName), name);
  }

  // Opens a choice over `kind`. Its byte is read at this place of the order, before the inputs
  // of its options, and only while the option it lies within is chosen.
  TChoice& AddChoice(uint8_t& kind, QRadioButton* within = nullptr) {
    auto& choice = *choices_.emplace_back(std::make_unique<TChoice>());
    choice.group = dcommon::MakeButtonGroup(this);
    choice.within = within;
    TChoice* held = &choice;
    this->AddStep(
        [held, &kind] {
          for (size_t i = 0; i < held->buttons.size(); ++i) held->buttons[i]->setChecked(kind == i);
        },
        [held, &kind](uint8_t&) {
          if (!held->Open()) return;
          for (size_t i = 0; i < held->buttons.size(); ++i) {
            if (held->buttons[i]->isChecked()) kind = static_cast<uint8_t>(i);
          }
        });
    return choice;
  }

  // The next option of `choice`; on a row of its own unless `placed` is false (an input then takes
  // it beside itself).
  QRadioButton* AddOption(TChoice& choice, const char* name, const char* caption,
                          bool placed = true) {
    QRadioButton* option = dcommon::MakeOption(this, name, caption);
    dcommon::Join(choice, option);
    if (placed) this->PlaceRow(nullptr, option);
    return option;
  }

  // An input of an option: with a label of its own when `label` is given, else with the option's
  // button in the label's place. Typing into it chooses the option unless `chooses` is false.
  QLineEdit* AddOptionInput(TChoice& choice, QRadioButton* option, const char* name,
                            const char* label, unit& value, const std::string& fieldName,
                            bool chooses = true) {
    const TChoice* held = &choice;
    QLineEdit* edit = dcommon::Named(this->AddEdit(label ? label : "", value, fieldName, 32767,
                                                   [held, option] { return held->Reads(option); }),
                                     name);
    if (label == nullptr) dcommon::TakeLabelPlace(*this->Body(), edit, option);
    if (chooses) dcommon::ChooseOnEdit(edit, choice, option);
    return edit;
  }

  // A wave chosen as the input of an option, beside its button.
  TWaveComboBox* AddOptionWave(TChoice& choice, QRadioButton* option, const char* name,
                               unitUnitWave& value, const std::string& fieldName, uint8_t filter) {
    const TChoice* held = &choice;
    TWaveComboBox* combo =
        dcommon::Named(this->AddWaveCombo("", value, fieldName, filter,
                                          [held, option] { return held->Reads(option); }),
                       name);
    dcommon::TakeLabelPlace(*this->Body(), combo, option);
    dcommon::ChooseOnPick(combo, choice, option);
    return combo;
  }

  // The options of `choice`, each with its input, in the order they are read.
  void AddOptionRows(TChoice& choice, std::initializer_list<TOptionRow> rows) {
    for (const TOptionRow& row : rows) {
      QRadioButton* option = AddOption(choice, row.option, row.caption, false);
      if (row.wave != nullptr) {
        AddOptionWave(choice, option, row.input, *row.wave, row.fieldName, row.filter);
      } else {
        AddOptionInput(choice, option, row.input, nullptr, *row.value, row.fieldName);
      }
    }
  }

  // An envelope: the box sets `used`, and the wave beside it is read only while the box is
  // checked; picking a wave checks the box.
  template <class Flag>
  QCheckBox* AddEnvelope(const char* boxName, Flag& used, const char* comboName,
                         unitUnitWave& value, const std::string& fieldName, uint8_t filter) {
    auto* box = dcommon::Named(new QCheckBox("Envelope", this), boxName);
    this->AddStep([box, &used] { box->setChecked(used != 0); },
                  [box, &used](uint8_t&) { used = box->isChecked() ? 1 : 0; });
    TWaveComboBox* combo = dcommon::Named(
        this->AddWaveCombo("", value, fieldName, filter, [box] { return box->isChecked(); }),
        comboName);
    dcommon::TakeLabelPlace(*this->Body(), combo, box);
    dcommon::CheckOnPick(combo, box);
    return box;
  }

 private:
  std::vector<std::unique_ptr<TChoice>> choices_;
};
