// The part of a dialog that changes a part's speed: the new length by one of four kinds (a factor,
// a time, as long as another wave, a count of the speed) and the start position within the part
// the command measured into the record's SelTime. The roll-out and pitch-and-tempo dialogs share it.
#pragma once

#include <cstdint>

#include "app/dialogs/DCommon.h"

template <class Props>
class TSpeedLengthDlg : public TOperationDlg<TOKHelpRightDlg, Props> {
 public:
  using TOperationDlg<TOKHelpRightDlg, Props>::TOperationDlg;

 protected:
  void AddLengthAndStart() {
    constexpr uint8_t kAllButActive = 1;
    Props& record = this->Record;
    this->AddOptionRows(
        this->AddChoice(record.LengthKind),
        {{"optLengthFactor", "Length Factor", "editLengthFactor", &record.LengthFactor,
          "Length Factor"},
         {"optLengthNew", "New Length", "editLengthNew", &record.LengthNew, "New Length"},
         {"optLengthSameAs", "Same Length as", "cboLengthSameAs", nullptr, "Same Length as",
          &record.LengthSameAs, kAllButActive},
         {"optLengthCount", "Count", "editLengthCount", &record.LengthCount, "Count"}});
    // A position typed as a part of the selection is shown as the same part of this one.
    this->AddStep([&record] { record.StartPosition.SetLength(record.SelTime); }, {});
    this->AddInput("editStartPosition", "Start Position", record.StartPosition, "Start Position");
  }
};
