// The "Multi Frequency" dialog: the length of the sound, sine or a chosen wave form, and the
// oscillator rows, edited one at a time through the record's row browser. The browser calls back
// to show a row, to read one from the five row inputs and to show where its cursor stands; a
// "Default" box beside each row input keeps that input's text for a new row.
#pragma once

#include <array>

#include "app/dialogs/DEchoFilter.h"
#include "wave/mfreqprops.h"

class QLineEdit;
class QPushButton;

class TDlgMFreqProps : public TEchoFilterDlg<TOKHelpRightDlg, TMFreqProps>, public MFreqEditor {
 public:
  TDlgMFreqProps(QWidget* owner, const TMFreqProps& props);
  ~TDlgMFreqProps() override;

  // The fields, then the row in the inputs: a bad row keeps the dialog open.
  void OKBtnClick() override;
  // Any close but OK leaves the rows as they were before the dialog.
  void done(int result) override;

  // What the browser asks of its editor.
  bool ReadFields(TMFreqBrowseRecord*& row) override;
  void ShowRecord(const TMFreqBrowseRecord& row) override;
  void ShowDefaults() override;
  void UpdateView(int32_t count, int32_t position, bool canGoBack, bool canGoForward,
                  bool canDelete, bool canPaste) override;

  void chkDefClick();
  void btnFirstClick();
  void btnPreviousClick();
  void btnNextClick();
  void btnLastClick();
  void btnInsertClick();
  void btnAppendClick();
  void btnDeleteClick();
  void btnCopyClick();
  void btnPasteClick();
  void btnClearClick();

  // 0 while the show handler sets the "Default" boxes, which must not write the flags back.
  uint8_t Filling = 1;

 private:
  static constexpr size_t kRowFields = 5;
  void Browse(void (TRecordBrowser::*operation)());
  std::array<bool*, kRowFields> DefaultFlags();

  std::array<QLineEdit*, kRowFields> rowEdits_{};
  std::array<QCheckBox*, kRowFields> defaultBoxes_{};
  QLineEdit* editCount = nullptr;
  QLineEdit* editCursor = nullptr;
  QPushButton* btnFirst = nullptr;
  QPushButton* btnPrevious = nullptr;
  QPushButton* btnNext = nullptr;
  QPushButton* btnLast = nullptr;
  QPushButton* btnDelete = nullptr;
  QPushButton* btnPaste = nullptr;
};
