// The Register command and its dialog: which names OK takes, and what a refusal leaves.
#include <QLineEdit>
#include <QPushButton>

#include "app/wavewindow/ChildWave.h"
#include "app/dialogs/DRegister.h"
#include "app/fakes/main_window.h"
#include "gui/application.h"
#include "support/recording_sink.h"
#include "wave/unitwave.h"

namespace {

class RegisterCommand : public MainWindowTest {
 protected:
  RegisterCommand() : MainWindowTest("register") {}
  TUnitWave* Open(const std::string& name) {
    auto unit = std::make_unique<TUnitWave>("", std::make_unique<MonoSound>(22050, 2));
    unit->SetName(name);
    return form->CreateMDIChildWave("wave", std::move(unit), {}, {})->GetUnitWave();
  }
  RecordingSink sink;
};

}  // namespace

TEST_F(RegisterCommand, OkTakesAnyNameThatNoOtherOpenDocumentCarries) {
  const std::pair<const char*, bool> cases[] = {
      {"", true},      {"two words", true}, {" padded ", true}, {"taken", false},
      {"Taken", true}, {"my wave", true},   {"taken ", true},
  };
  Open("taken");
  TUnitWave* mine = Open("my wave");  // the active document, a name with a blank
  for (const auto& [typed, accepted] : cases) {
    SCOPED_TRACE(typed);
    mine->SetName("my wave");
    form->SetEditName("before");
    sink.messages.clear();
    std::string shown;
    bool stayedOpen = false;
    ScopedModalRunner runner([&](QDialog& shownDialog) {
      auto& dialog = dynamic_cast<TDlgRegisterWave&>(shownDialog);
      dialog.show();
      shown = dialog.EditName->text().toStdString();
      dialog.EditName->setText(QString::fromLatin1(typed));
      dialog.OKBtn->click();
      stayedOpen = dialog.isVisible();
      if (stayedOpen) {
        EXPECT_EQ(dialog.EditName->text().toStdString(), typed);
        dialog.CancelBtn->click();
      }
      return dialog.result();
    });
    form->RegisterExecute();
    EXPECT_EQ(
        std::tuple(shown, stayedOpen, mine->GetName(), form->EditName()->text().toStdString()),
        std::tuple("my wave", !accepted, accepted ? typed : "my wave",
                   accepted ? typed : "before"));
    EXPECT_EQ(sink.messages.empty() ? "" : sink.messages[0].text,
              accepted ? "" : "A wave with name \"taken\" already exists.");
  }
}
