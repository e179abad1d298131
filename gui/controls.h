// Small input controls of the forms: switching an input on and off, a radio group with an item
// index, a colour box that holds a colour value 0x00BBGGRR, and which button Enter presses.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QDialog;
class QPushButton;
class QRadioButton;

// Enables the control and gives it the colour of an input field.
void EnableEdit(QWidget& control);
// Empties the control's text (a line edit or an editable combo box), greys it as a button face
// and disables it.
void DisableEdit(QWidget& control);

// Enter in a field of `dialog` presses `button` and no other; with none it presses none, and
// only `button` is drawn as the default. Without this Qt hands Enter to the first push button of
// the dialog that it finds, drawn as the default although the dialog never made it one. A button
// that has the focus still takes Enter itself. Holds for every push button the dialog has when it
// is shown; a second call names another button.
void SetDefaultButton(QDialog& dialog, QPushButton* button);

// A framed, captioned column of radio buttons; the item index is -1 when none is checked.
class TRadioGroup : public QGroupBox {
 public:
  TRadioGroup(const std::string& caption, const std::vector<std::string>& items,
              QWidget* parent = nullptr);
  int ItemIndex() const;
  // An index outside the items unchecks every button. Notifies OnClick, as a click would.
  void SetItemIndex(int index);
  QRadioButton* Button(int index) const;
  int Count() const { return static_cast<int>(buttons_.size()); }

  std::function<void()> OnClick;

 private:
  QButtonGroup* group_;
  std::vector<QRadioButton*> buttons_;
};

// The sixteen standard colours by name; a colour outside them gets an entry of its own, shown as
// its hexadecimal value, so that any colour survives a round trip through the box.
class TColorBox : public QComboBox {
 public:
  explicit TColorBox(QWidget* parent = nullptr);
  uint32_t Selected() const;
  void SetSelected(uint32_t color);
};
