#include "app/dialogs/DRegister.h"

#include <QLineEdit>
#include <QPushButton>

#include "foundation/assertion.h"
#include "wave/shell.h"

namespace {

constexpr const char* kAssertUnit = "DRegister";
constexpr int kRegisterHelp = 24;
constexpr int kNameWidth = 281;

}  // namespace

TDlgRegisterWave::TDlgRegisterWave(QWidget* owner, const std::string& name)
    : TOKHelpBottomDlg(owner), Name(name) {
  setWindowTitle("Register");
  SetHelpContext(kRegisterHelp);
  EditName = new QLineEdit(this);
  EditName->setObjectName("EditName");
  EditName->setFixedWidth(kNameWidth);
  PlaceRow("Name:", EditName);
  setTabOrder(EditName, OKBtn);
  AddStep([this] { EditName->setText(QString::fromStdString(Name)); },
          [this](uint8_t& ok) {
            // The command opens the dialog only for an active document, and the dialog is modal.
            const TUnit* unit = Shell()->MainActiveUnit();
            KV_ASSERT(unit != NULL);
            // Taken as typed: blanks are part of the name, and an empty one unregisters.
            Name = EditName->text().toStdString();
            if (!Shell()->MainCheckNameFree(Name, unit)) ok = 0;
          });
  FitBody();
  EditName->setFocus();
}
