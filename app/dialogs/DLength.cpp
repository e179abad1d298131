#include "app/dialogs/DLength.h"

namespace {
constexpr uint8_t kAllButActive = 1;
}  // namespace

TDlgLengthProps::TDlgLengthProps(QWidget* owner, const TLengthProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Change Length");
  SetHelpContext(49);
  AddOptionRows(AddChoice(Record.LengthKind),
                {{"optLengthFactor", "Length Factor", "editLengthFactor", &Record.LengthFactor,
                  "Length Factor"},
                 {"optLengthNew", "New Length", "editLengthNew", &Record.LengthNew, "New Length"},
                 {"optLengthSameAs", "Same Length as", "cboLengthSameAs", nullptr, "Same Length as",
                  &Record.LengthSameAs, kAllButActive}});
  FitBody();
}
