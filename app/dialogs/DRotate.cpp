#include "app/dialogs/DRotate.h"

#include <QGridLayout>
#include <cmath>
#include <tuple>

#include "foundation/messages.h"
#include "gui/controls.h"

TDlgRotateProps::TDlgRotateProps(QWidget* owner, const TRotateProps& props, double duration)
    : TOperationDlg(owner, props), duration_(duration) {
  setWindowTitle("Rotate");
  SetHelpContext(21);
  dcommon::Named(AddRadioGroup("Shift to", {"Left", "Right"}, Record.Shift), "rgrShift");

  by_.group = dcommon::MakeButtonGroup(this);
  QRadioButton* optFactor = dcommon::MakeOption(this, "optFactor", "Factor");
  QRadioButton* optTime = dcommon::MakeOption(this, "optTime", "Time");
  dcommon::Join(by_, optFactor);
  dcommon::Join(by_, optTime);
  AddStep(
      [this, optFactor, optTime] {
        optFactor->setChecked(Record.ByFactor);
        optTime->setChecked(!Record.ByFactor);
      },
      [this, optFactor](uint8_t&) { Record.ByFactor = optFactor->isChecked(); });
  // Both inputs are read whichever way is chosen: the time is checked against the duration even
  // while the rotation goes by the factor.
  for (const auto& [option, name, value, fieldName] :
       {std::tuple<QRadioButton*, const char*, unit*, const char*>{optFactor, "editFactor",
                                                                   &Record.Factor, "Factor"},
        {optTime, "editTime", &Record.Time, "Time"}}) {
    QLineEdit* edit = dcommon::Named(AddEdit("", *value, fieldName), name);
    dcommon::TakeLabelPlace(*Body(), edit, option);
    dcommon::ChooseOnEdit(edit, by_, option);
  }
  // Runs after a failed read too, so that a second box may follow the first.
  AddStep({}, [this](uint8_t& ok) {
    if (std::fabs(Record.Time.GetValue()) > duration_) {
      MessageReporter::ShowInputError(rotatetext::kTimeTooLong);
      ok = 0;
    }
  });
  FitBody();
}
