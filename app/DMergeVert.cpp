#include "app/DMergeVert.h"

#include <QFormLayout>
#include <QLineEdit>

#include "foundation/smallobj.h"
#include "gui/controls.h"
#include "wave/sound_split.h"
#include "wave/unitwave.h"

namespace {

constexpr int kMergeVertHelp = 48;

double Duration(const TUnitWave& unitWave) { return unitWave.GetSound()->GetTime(); }

std::string DurationText(double seconds) { return unitTime(seconds, kUnitSeconds).Write(); }

}  // namespace

TDlgMergeVertProps::TDlgMergeVertProps(QWidget* owner, const TMergeVertProps& props)
    : TPropsDlg(owner, props) {
  Build("Merge Vertically", kMergeVertHelp, "Left", "Right", Record.Left, Record.Right, Record);
  tsLength = AddFirstPage("Length", editLengthLeft, editLengthRight);
  rgrMakeLengthsEqual = new TRadioGroup("Make Lengths Equal",
                                        {"Add Silence at the begin of the shortest wave",
                                         "Add Silence at the end of the shortest wave",
                                         "Stretch the shortest wave", "Stretch the longest wave"},
                                        tsLength);
  static_cast<QFormLayout*>(tsLength->layout())->addRow(rgrMakeLengthsEqual);
  FitBody();
}

void TDlgMergeVertProps::CompareFirstPage(const TUnitWave& left, const TUnitWave& right) {
  const double leftTime = Duration(left);
  const double rightTime = Duration(right);
  ShowPage(tsLength, leftTime != rightTime);
  if (leftTime == rightTime) return;
  rgrMakeLengthsEqual->SetItemIndex(kSilenceAtEnd);
  editLengthLeft->setText(QString::fromStdString(DurationText(leftTime)));
  editLengthRight->setText(QString::fromStdString(DurationText(rightTime)));
}

void TDlgMergeVertProps::ReadFirstPage(const TUnitWave&) {
  const int index = rgrMakeLengthsEqual->ItemIndex();
  Record.LengthKind =
      PageVisible(tsLength) && index >= 0 ? static_cast<uint8_t>(index) : uint8_t{kSilenceAtBegin};
}
