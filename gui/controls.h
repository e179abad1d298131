// Small input controls of the forms: switching an input on and off, a radio group with an item
// index and a colour box that holds a colour value 0x00BBGGRR.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QRadioButton;

// Enables the control and gives it the colour of an input field.
void EnableEdit(QWidget& control);
// Empties the control's text (a line edit or an editable combo box), greys it as a button face
// and disables it.
void DisableEdit(QWidget& control);

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
