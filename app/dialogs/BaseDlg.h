// The four base forms of the parameter dialogs and the one protocol they all follow: a dialog
// lists its fields in order; showing writes them into their controls, OK reads them back in the
// same order with one ok flag (so one press reports at most the first faulty field), and a close
// after a failed OK is refused once, which keeps the dialog open with the offending text.
#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TColorBox;
class TRadioGroup;
class TWaveComboBox;
class unit;
class unitUnitWave;

enum class TCloseAction { caNone, caHide };

// The form every dialog stands on: dialog border, centred on the screen, its help context shown
// by F1, and the field protocol.
class TDialogForm : public QDialog {
 public:
  explicit TDialogForm(QWidget* owner);

  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  // The size inside the frame; the dialog border does not resize.
  void SetClientSize(int width, int height);
  // Runs the dialog through the modal road; QDialog::Accepted (1) is OK.
  int ShowModal();

  // The show handler: writes every field into its control, then arms ok.
  virtual void EvOnShow();
  // The OK button's handler: reads the fields in order; the first failure clears ok.
  virtual void OKBtnClick();
  // Refuses the close that follows a failed OK, and re-arms ok for the next try.
  virtual void EvOnClose(TCloseAction& action);
  // F1: shows the form's help context whatever the arguments; answers the help call's result.
  bool FormHelp(uint16_t command, int data, bool& callHelp);

  // 1 until an OK press fails; the refused close sets it back to 1.
  uint8_t ok = 1;

  // The grid that the listed fields go into, over the bevel: fields fill a column of label and
  // input pairs downwards from where MoveTo put the next one.
  QGridLayout* Body();
  void MoveTo(int column, int row);

 protected:
  using Condition = std::function<bool()>;

  // A value typed into a one-line edit, with its label beside it. `fieldName` is the
  // name that messages give the field. A condition decides at OK whether the field is read (an
  // input of an option that is not chosen is not).
  QLineEdit* AddEdit(const char* label, unit& value, const std::string& fieldName,
                     int maxLength = 32767, Condition readWhen = {});
  // An open wave document, chosen in a list of the wave names of `filter`.
  TWaveComboBox* AddWaveCombo(const char* label, unitUnitWave& value, const std::string& fieldName,
                              uint8_t filter, Condition readWhen = {});
  // Choices and switches are copied without checks.
  TRadioGroup* AddRadioGroup(const char* caption, const std::vector<std::string>& items,
                             uint8_t& field);
  QCheckBox* AddCheckBox(const char* caption, uint8_t& field);
  TColorBox* AddColorBox(const char* label, uint32_t& field);
  // An option group: the byte takes the index of the checked button, before the inputs of the
  // options are read.
  void AddOptions(const std::vector<QRadioButton*>& buttons, uint8_t& field);
  // A check over fields read before it, made only while ok is 1: a message fails it with that
  // text under "Input Error"; null passes.
  void AddRule(std::function<const char*()> failure);
  // "Use As Default": unchecked when shown; when every field passed and it is checked, `store`
  // keeps the result as the default.
  QCheckBox* AddDefaultSwitch(std::function<void()> store);
  // Puts a control with its label (null: a control that spans the label's place too) where the
  // next field goes; the radio buttons of an option group are placed this way.
  void PlaceRow(const char* label, QWidget* field);
  // A step of the dialog's own at its place in the order; either part may be empty.
  void AddStep(std::function<void()> show, std::function<void(uint8_t& ok)> read);
  // The row the next field goes to in the current column.
  int NextRow() const { return row_; }
  // Puts the fields placed in the current column from `firstRow` on into a group box with
  // `caption`, which takes their place; the fields keep their order. A column is a label and its
  // field; `gridColumns` takes more grid columns along (a field with a box beside it).
  QGroupBox* GroupRows(const char* name, const char* caption, int firstRow, int gridColumns = 2);
  // Tab finishes each column of the body before it goes to the next (columns of groups).
  void ReadColumnsWhole() { columnsWhole_ = true; }

  // Places the body over the bevel, grows the bevel around it and moves the buttons beside it.
  virtual void FitBody() = 0;

  void showEvent(QShowEvent* event) override;
  // Tab runs through the fields in reading order and then the buttons; the first field that can
  // take the focus gets it.
  void OrderTabStops();
  bool CanTakeTab(const QWidget* widget) const;
  bool focusNextPrevChild(bool next) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 public:
  void done(int result) override;

 private:
  struct Field {
    std::function<void()> show;
    std::function<void(uint8_t& ok)> read;
  };

  QWidget* BodyPanel();

  int helpContext_ = 0;
  int column_ = 0;
  int row_ = 0;
  bool centred_ = false;
  bool columnsWhole_ = false;
  QWidget* bodyPanel_ = nullptr;
  QGridLayout* body_ = nullptr;
  std::vector<Field> fields_;
  std::vector<QPointer<QWidget>> tabStops_;

  friend class TOKRightDlg;
  friend class TOKBottomDlg;
};

// Buttons at the right of the bevel.
class TOKRightDlg : public TDialogForm {
 public:
  explicit TOKRightDlg(QWidget* owner);
  QFrame* Bevel1;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 protected:
  void FitBody() override;
};

class TOKHelpRightDlg : public TOKRightDlg {
 public:
  explicit TOKHelpRightDlg(QWidget* owner);
  void HelpBtnClick();
  QPushButton* HelpBtn;
};

// Buttons under the bevel.
class TOKBottomDlg : public TDialogForm {
 public:
  explicit TOKBottomDlg(QWidget* owner);
  QFrame* Bevel1;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 protected:
  void FitBody() override;
};

class TOKHelpBottomDlg : public TOKBottomDlg {
 public:
  explicit TOKHelpBottomDlg(QWidget* owner);
  void HelpBtnClick();
  QPushButton* HelpBtn;
};

// A parameter dialog on one of the base forms, built around its own copy of the record: the
// caller takes the edited record with GetProps once the modal run answered OK.
template <class Form, class Props>
class TPropsDlg : public Form {
 public:
  TPropsDlg(QWidget* owner, const Props& props) : Form(owner) { Record = props; }
  Props GetProps() const { return Record; }

 protected:
  QCheckBox* AddUseAsDefault(Props* defaults) {
    return this->AddDefaultSwitch([this, defaults] {
      if (defaults != nullptr) *defaults = Record;
    });
  }

  Props Record;
};
