// The Register command and its dialog: which names OK takes, and what a refusal leaves.
#include <QLineEdit>
#include <QPushButton>

#include "app/ChildWave.h"
#include "app/DRegister.h"
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
    TUnitWave* document = unit.get();
    form->CreateMDIChildWave(form->NextNoName(), std::move(unit), TWaveViewProps(),
                             TVoldViewProps());
    return document;
  }

  RecordingSink sink;
};

}  // namespace

TEST_F(RegisterCommand, OkTakesAnyNameThatNoOtherOpenDocumentCarries) {
  struct Case {
    const char* typed;
    bool accepted;
  };
  const Case cases[] = {
      {"", true},           {"two words", true}, {" padded ", true},
      {"taken", false},     {"Taken", true},     {"my wave", true},
      {"taken ", true},
  };
  Open("taken");
  TUnitWave* mine = Open("my wave");  // the active document, a name with a blank
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    mine->SetName("my wave");
    form->SetEditName("before");
    sink.messages.clear();
    std::string shown;
    bool stayedOpen = false;
    ScopedModalRunner runner([&](QDialog& shownDialog) {
      auto& dialog = dynamic_cast<TDlgRegisterWave&>(shownDialog);
      dialog.show();
      shown = dialog.EditName->text().toStdString();
      dialog.EditName->setText(QString::fromLatin1(c.typed));
      dialog.OKBtn->click();
      stayedOpen = dialog.isVisible();
      if (stayedOpen) {
        EXPECT_EQ(dialog.EditName->text().toStdString(), c.typed);
        dialog.CancelBtn->click();
      }
      return dialog.result();
    });
    form->RegisterExecute();
    EXPECT_EQ(shown, "my wave");
    EXPECT_EQ(stayedOpen, !c.accepted);
    EXPECT_EQ(mine->GetName(), c.accepted ? c.typed : "my wave");
    EXPECT_EQ(form->EditName()->text().toStdString(), c.accepted ? c.typed : "before");
    if (c.accepted) {
      EXPECT_TRUE(sink.messages.empty());
    } else {
      ASSERT_EQ(sink.messages.size(), 1u);
      EXPECT_EQ(sink.messages[0].text, "A wave with name \"taken\" already exists.");
    }
  }
}

TEST_F(RegisterCommand, CancelKeepsTheNameAndNoDocumentMeansNoDialog) {
  int shown = 0;
  ScopedModalRunner runner([&](QDialog& dialog) {
    ++shown;
    dialog.show();
    static_cast<TDlgRegisterWave&>(dialog).EditName->setText("other");
    dialog.reject();
    return dialog.result();
  });
  form->RegisterExecute();
  EXPECT_EQ(shown, 0);
  TUnitWave* document = Open("kept");
  form->RegisterExecute();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(document->GetName(), "kept");
}
