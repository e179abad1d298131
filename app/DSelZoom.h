// The modeless Select and Zoom dialog: shows the cursor or the selected part and the zoom window
// of the active wave window in seconds, and applies typed values without closing.
#pragma once

#include <cstdint>

#include "app/dialogs/BaseDlg.h"
#include "app/ModelessDialog.h"
#include "foundation/smallobj.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class TMDIChildWave;
class TUnitWave;

inline constexpr const char* kSelZoomCaption = "Select and Zoom";
inline constexpr int kSelZoomHelpContext = 40;
inline constexpr const char* kSelZoomBeforeEnd = "Must be prior before the end of the wave.";
inline constexpr const char* kSelZoomPartOrder = "Part Begin must be prior before Part End.";
inline constexpr const char* kSelZoomZoomOrder = "Zoom Begin must be prior before Zoom End.";

class TDlgSelZoom : public TOKHelpRightDlg, public SelZoomNotices {
 public:
  explicit TDlgSelZoom(QWidget* owner);

  // What the main window tells the dialog: a wave window (or none) became active, a document's
  // selection changed, the active window's zoom window may have changed.
  void ShowChild(TMDIChildWave* window) override;
  void SelectionChanged(TMDIChildWave* window) override;
  void ZoomChanged(TMDIChildWave* window) override;
  void ShowSelection(TMDIChildWave* window);
  void ShowZoom(TMDIChildWave* window);

  void FormShow();
  void FormActivate();
  void FormClose();
  void ApplyBtnClick();
  void CloseBtnClick();
  void editCursorAtChange();
  void editPartBeginChange();
  void editPartEndChange();
  void editZoomBeginChange();
  void editZoomEndChange();

  void EvOnShow() override;
  void done(int result) override;

  QLabel* Label1;
  QRadioButton* optCursor;
  QLineEdit* editCursorAt;
  QRadioButton* optPart;
  QLineEdit* editPartBegin;
  QLineEdit* editPartEnd;
  QCheckBox* chkZoomed;
  QLineEdit* editZoomBegin;
  QLineEdit* editZoomEnd;

  unitTimePos CursorAt{0, kUnitSeconds};
  unitTimePos PartBegin{0, kUnitSeconds};
  unitTimePosMore PartEnd{0, kUnitSeconds};
  unitTimePos ZoomBegin{0, kUnitSeconds};
  unitTimePosMore ZoomEnd{0, kUnitSeconds};
  bool Updating = false;

 protected:
  bool event(QEvent* event) override;

 private:
  // The steps of Apply after the fields of each group are read: the range checks and the change.
  void ApplySelection(const uint8_t& ok);
  void ApplyZoom(const uint8_t& ok);
  // Begin before end and both before the end of the wave; the first failure is shown.
  bool InOrderBeforeEnd(const unitTime& begin, const unitTime& end, const char* beginName,
                        const char* endName, const char* orderMessage) const;
  // The sample position of a typed time in the document being applied to.
  int32_t SampleOf(double seconds) const;
  // Writes a time into its edit, or empties the edit.
  void Show(QLineEdit* edit, unitTime& value, double seconds);

  // Only while Apply runs: the active window, its document, its rate and its end in seconds.
  TMDIChildWave* applyWindow_ = nullptr;
  TUnitWave* applyUnit_ = nullptr;
  double applyRate_ = 0;
  double applyEnd_ = 0;
};
