#include "app/dialogs/DRollIn.h"

TDlgRollInProps::TDlgRollInProps(QWidget* owner, const TRollInProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Roll in");
  SetHelpContext(44);
  AddInput("editLength", "Length", Record.Length, "Length");
  // A position typed as a part is a part of the roll-in length, not of the wave: the positions
  // take the stored length before they are shown, and a newly read one before they are read.
  const auto takeLength = [this] {
    Record.StartAt.SetLength(Record.Length.GetValue());
    Record.EndAt.SetLength(Record.Length.GetValue());
  };
  AddStep(takeLength, [takeLength](uint8_t& ok) {
    if (ok != 0) takeLength();
  });
  const int first = NextRow();
  AddOptionRows(AddChoice(Record.Placement),
                {{"optStart", "Start at", "editStart", &Record.StartAt, "Start at"},
                 {"optEnd", "End at", "editEnd", &Record.EndAt, "End at"}});
  GroupRows("grpPlacement", "Placement", first);
  FitBody();
}
