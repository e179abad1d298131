// The "Register" dialog: the registered name of the active document, the name by which note
// players and wave lists find it.
#pragma once

#include <string>

#include "app/dialogs/BaseDlg.h"

class QLineEdit;

// OK is refused while another open document carries the typed name; the text stays as typed.
class TDlgRegisterWave : public TOKHelpBottomDlg {
 public:
  TDlgRegisterWave(QWidget* owner, const std::string& name);
  std::string GetName() const { return Name; }

  QLineEdit* EditName;

 private:
  std::string Name;
};
