// The modeless Select and Zoom dialog: shows the cursor or the selected part and the zoom window
// of the active wave window in seconds, and applies typed values without closing.
#pragma once

#include <cstdint>

#include "app/dialogs/BaseDlg.h"
#include "app/ModelessDialog.h"
#include "foundation/smallobj.h"

class QButtonGroup;
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

  // What the main window tells the dialog: which wave window (or none) is the active one, on
  // activation and once more after every pass of user input; that a document's selection
  // changed; that the active window's zoom window may have changed. The active window's values
  // are shown where they differ from what the fields last showed of it, so what the user is
  // typing stays until the wave changes under it; a selection notice always shows the selection.
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

  // What one group of fields shows of a wave window: whose values, which option (none, Cursor or
  // Part; not zoomed or zoomed) and the one or two times.
  struct Shown {
    const TMDIChildWave* source = nullptr;
    int option = -1;  // never a real one: the first look shows the window
    double first = 0;
    double second = 0;
    bool operator==(const Shown&) const = default;
  };
  static Shown SelectionOf(TMDIChildWave* window);
  static Shown ZoomOf(TMDIChildWave* window);
  Shown shownSelection_;
  Shown shownZoom_;

  // Holds Cursor and Part, so that a click or Space never unticks the ticked one.
  QButtonGroup* selected_ = nullptr;

  // Only while Apply runs: the active window, its document, its rate and its end in seconds.
  TMDIChildWave* applyWindow_ = nullptr;
  TUnitWave* applyUnit_ = nullptr;
  double applyRate_ = 0;
  double applyEnd_ = 0;
};
