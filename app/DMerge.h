// What the two merge dialogs share: two combo boxes of the named waves, and a page control that
// shows only the differences between the two chosen waves (one page per property in which they
// differ). OK stays disabled until the user has chosen two different waves that hold samples; on
// OK the visible pages decide the format and look of the new wave, the first wave the rest.
#pragma once

#include <string>

#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/SplitMergeProps.h"

class QLabel;
class QListWidget;
class QTabWidget;
class TUnitWave;

namespace mergetext {
inline constexpr const char* kWavesMustDiffer = "The chosen Waves must be different";
inline constexpr const char* kMono = "Mono";
inline constexpr const char* kStereo = "Stereo";
inline constexpr const char* k8Bits = "8 Bits";
inline constexpr const char* k16Bits = "16 Bits";
}  // namespace mergetext

// How a wave's window shows it: what a window made from it copies.
struct TWaveLook {
  TWaveViewProps wave;
  TVoldViewProps vold;
  uint8_t mode = 0;
};
TWaveLook LookOf(const TUnitWave& unitWave);

class TMergeDlg : public TOKHelpRightDlg {
 public:
  explicit TMergeDlg(QWidget* owner);

  void EvOnShow() override;
  void OKBtnClick() override;
  // Either combo box changed.
  void EvOnChangeUnitWave();
  void HideTabs();
  bool PageVisible(QWidget* page) const;

  QLabel* Label1 = nullptr;
  QTabWidget* pgcDiffs = nullptr;
  QWidget* tsFrequency = nullptr;
  QListWidget* lbFreq = nullptr;
  QWidget* tsBits = nullptr;
  TRadioGroup* rgrBits = nullptr;
  QWidget* tsDisplay = nullptr;
  TRadioGroup* rgrDisplay = nullptr;

 protected:
  // The words of the two waves ("First" and "Last", or "Left" and "Right") name the controls and
  // the fields; `one` and `other` are the record's two references, `format` the rest of it.
  void Build(const char* caption, int helpContext, const std::string& oneWord,
             const std::string& otherWord, unitUnitWave& one, unitUnitWave& other,
             TMergeProps& format);
  // A page with a read-only edit for each wave, put first in the page control.
  QWidget* AddFirstPage(const char* caption, QLineEdit*& editOne, QLineEdit*& editOther);
  void ShowPage(QWidget* page, bool visible);

  // The page that differs between the two dialogs: compared after the choice, read on OK.
  virtual void CompareFirstPage(const TUnitWave& one, const TUnitWave& other) = 0;
  virtual void ReadFirstPage(const TUnitWave& one) = 0;

  TWaveComboBox* cboOne = nullptr;
  TWaveComboBox* cboOther = nullptr;
  QLineEdit* editFreqOne = nullptr;
  QLineEdit* editFreqOther = nullptr;
  QLineEdit* editBitsOne = nullptr;
  QLineEdit* editBitsOther = nullptr;

 private:
  QWidget* AddPage(const char* caption, const char* name, QLineEdit*& editOne,
                   QLineEdit*& editOther);
  void CompareRates(const TUnitWave& one, const TUnitWave& other);
  void CompareBits(const TUnitWave& one, const TUnitWave& other);
  void CompareLooks(const TUnitWave& one, const TUnitWave& other);
  // Refuses the present choice: OK off, every page hidden.
  void Refuse(const char* message);

  std::string oneWord_;
  std::string otherWord_;
  unitUnitWave* one_ = nullptr;
  unitUnitWave* other_ = nullptr;
  TMergeProps* format_ = nullptr;
  QWidget* firstPage_ = nullptr;
  bool showing_ = false;
};
