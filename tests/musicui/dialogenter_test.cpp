// Enter in a field of a dialog presses the button the dialog makes its default, and no other, in
// every dialog of the program, modal or not, each opened by its command on the main window. It
// sits with the music tests because only this suite reaches the music dialogs as well.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/dialogs/WaveComboBox.h"
#include "app/fakes/command_dialogs.h"
#include "app/wavewindow/ChildWave.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "musicui/DMusTree.h"
#include "musicui/DMusic.h"
#include "muzwindow_fixture.h"
#include "wave/unitwave.h"

namespace {

std::string Name(const QPushButton& button) {
  return (button.objectName().isEmpty() ? button.text() : button.objectName()).toStdString();
}

void Append(std::string& list, const std::string& item) { list += (list.empty() ? "" : ",") + item; }

struct Row {
  const char* command;  // the main window's command that opens the dialog
  const char* window;   // the document window active for it
  const char* presses;  // the default button: drawn as the default, pressed by Enter; "" none
  bool staysOpen;
  // Types into the field Enter goes to and answers it; none: the field the dialog opens in.
  std::function<QWidget*(QDialog&)> field = {};
  // What the key left in the document, and what it should have left.
  std::function<std::string(QDialog&)> effect = {};
  const char* wanted = "";
};

// Selects the node of the part labelled "part", wraps it as `wrap` does and types `text` into the
// field that `pick` finds for the node `edited` (null: the wrapping node).
std::function<QWidget*(QDialog&)> TypeInMusicPart(QAction* TDlgMusTree::*wrap, const char* edited,
                                                  QLineEdit* TDlgMusTree::*pick, const char* text) {
  return [=](QDialog& dialog) -> QWidget* {
    auto& tree = dynamic_cast<TDlgMusTree&>(dialog);
    const auto node = [&tree](const char* label) {
      const auto found = tree.tvMusParts->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
      return found.empty() ? nullptr : found.front();
    };
    tree.tvMusParts->setCurrentItem(node("part"));
    (tree.*wrap)->trigger();
    if (edited != nullptr) tree.tvMusParts->setCurrentItem(node(edited));
    QLineEdit* field = tree.*pick;
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    QTest::keyClicks(field, text);
    return field;
  };
}

class DialogEnter : public MuzWindowTest {
 protected:
  void SetUp() override {
    MuzWindowTest::SetUp();
    InstallMusicDialog(*form);
    InstallMusTreeDialog(*form);
  }

  // Fresh waves for every row, "mono" active with a part selected: an operation changes its wave,
  // the split and the merges close theirs.
  void OpenWaves() {
    sink.replies.assign(16, kIdNo);
    for (TMDIChildKorvalen* child : form->MDIChildren()) {
      if (dynamic_cast<TMDIChildWave*>(child) != nullptr) child->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    sink.replies.clear();
    OpenNamed("other", Saw(22050));
    OpenNamed("stereo", std::make_unique<StereoSound>(SawWave(22050, 37), SawWave(22050, 53), 44100, 2));
    stereo = form->GetActiveMDIChild();
    OpenNamed("mono", Saw(22050))->SetSelRange(100, 20000);
    form->SetClipBoardSound(Saw(50, 301));
    ASSERT_EQ(form->MDIChildren().size(), 4u);
  }

  // The default buttons, the buttons an Enter in the field pressed, whether the dialog still
  // shows, the key's effect and the messages it brought.
  using Outcome = std::tuple<std::string, std::string, bool, std::string, std::string>;

  Outcome PressEnter(QDialog& dialog, const Row& row) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    sink.messages.clear();
    QWidget* field = row.field ? row.field(dialog) : dialog.focusWidget();
    if (field == nullptr || field->window() != &dialog || !field->hasFocus()) {
      ADD_FAILURE() << "no field has the focus";
      return {};
    }
    if (!row.field) {
      EXPECT_EQ(qobject_cast<QPushButton*>(field), nullptr) << "opens on a button";
    }
    std::string outlined, pressed;
    QObject spy;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
      if (button->isDefault()) Append(outlined, Name(*button));
      QObject::connect(button, &QPushButton::clicked, &spy,
                       [&pressed, button] { Append(pressed, Name(*button)); });
    }
    QTest::keyClick(field, Qt::Key_Return);
    std::string messages;
    for (const RecordedMessage& message : sink.messages) Append(messages, message.text);
    return {outlined, pressed, dialog.isVisible(), row.effect ? row.effect(dialog) : "", messages};
  }

  QMdiSubWindow* stereo = nullptr;
};

}  // namespace

// The design makes OK the default of every parameter dialog and of the About box, Apply that of
// Select and Zoom and of Music, and no button that of Music Parts, where Enter only takes the
// number typed, as leaving the field does.
TEST_F(DialogEnter, EnterInAFieldPressesTheDefaultButtonAndNoOther) {
  TMDIChildMuz* score = ComposeNew();
  ASSERT_NE(score, nullptr);
  TUnitMuz* music = score->GetUnitMuz();
  // Chooses the named waves in the dialog's wave boxes, in order, and ends in the last box.
  const auto choose = [](std::vector<const char*> names) {
    return [names](QDialog& dialog) -> QWidget* {
      const auto boxes = dialog.findChildren<TWaveComboBox*>();
      for (size_t i = 0; i < names.size() && i < size_t(boxes.size()); ++i) {
        boxes[i]->setCurrentIndex(boxes[i]->findText(names[i]));
        boxes[i]->setFocus(Qt::TabFocusReason);
      }
      return dialog.focusWidget();
    };
  };
  const std::vector<Row> rows = {
      {"FileProperties", "mono", "OKBtn", false},
      {"Register", "mono", "OKBtn", false},
      {"EditMix", "mono", "OKBtn", false},
      {"ViewWave", "mono", "OKBtn", false},
      {"ViewVold", "mono", "OKBtn", false},
      {"MakeSilence", "mono", "OKBtn", false},
      {"MakeLine", "mono", "OKBtn", false},
      {"MakeBlock", "mono", "OKBtn", false},
      {"MakeTriangle", "mono", "OKBtn", false},
      {"MakeSinus", "mono", "OKBtn", false},
      {"MakeNoise", "mono", "OKBtn", false},
      {"MakeMFreq", "mono", "OKBtn", false},
      {"Volume", "mono", "OKBtn", false},
      {"Up", "mono", "OKBtn", false},
      {"Distort", "mono", "OKBtn", false, choose({"other"})},
      {"Block", "mono", "OKBtn", false},
      {"Length", "mono", "OKBtn", false},
      {"Rotate", "mono", "OKBtn", false},
      {"RollOut", "mono", "OKBtn", false},
      {"RollIn", "mono", "OKBtn", false},
      {"Balance", "mono", "OKBtn", false},
      {"MixLeftRight", "stereo", "OKBtn", false},
      {"TempoPitch", "mono", "OKBtn", false},
      {"FilterHigh", "mono", "OKBtn", false},
      {"FilterLow", "mono", "OKBtn", false},
      {"FilterRes", "mono", "OKBtn", false},
      {"FilterNotch", "mono", "OKBtn", false},
      {"FilterBlock", "mono", "OKBtn", false},
      {"PerEcho", "mono", "OKBtn", false},
      {"RndEcho", "mono", "OKBtn", false},
      {"SplitH", "mono", "OKBtn", false},
      {"MergeH", "mono", "OKBtn", false, choose({"mono", "other"})},
      {"MergeV", "mono", "OKBtn", false, choose({"mono", "other"})},
      // Apply is the base form's OK under another caption.
      {"SelectWave", "mono", "OKBtn", true},
      // The box has no field: Enter goes to OK, where it opens.
      {"HelpAbout", "mono", "OKButton", false, [](QDialog& dialog) { return dialog.focusWidget(); }},
      {"MusicDialog", "score", "Apply", true,
       [](QDialog& dialog) -> QWidget* {
         QLineEdit* tempo = dynamic_cast<TDlgMusic&>(dialog).editTempo;
         tempo->setFocus(Qt::MouseFocusReason);
         tempo->selectAll();
         QTest::keyClicks(tempo, "0.25 s");
         return tempo;
       },
       [music](QDialog&) { return music->GetTempo().Write(); }, "0.25 s"},
      {"MusicParts", "score", "", true,
       TypeInMusicPart(&TDlgMusTree::cmdAddLoop, nullptr, &TDlgMusTree::editCount, "20"),
       [](QDialog& dialog) {
         const QTreeWidgetItem* node = dynamic_cast<TDlgMusTree&>(dialog).tvMusParts->currentItem();
         return node ? node->text(0).toStdString() : "none";
       },
       "repeat 20"},
      {"MusicParts", "score", "", true,
       TypeInMusicPart(&TDlgMusTree::cmdAddTurns, "turn 1", &TDlgMusTree::editPitch, "-17"),
       [](QDialog& dialog) {
         TMusTreeItem* item = dynamic_cast<TDlgMusTree&>(dialog).GetSelectedItem();
         auto* turn = dynamic_cast<TCountSelectPartItem*>(item);
         return turn ? std::to_string(turn->GetPitch().GetValue()) : "none";
       },
       "-17"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.command) + " " + row.wanted);
    ASSERT_NO_FATAL_FAILURE(OpenWaves());
    if (std::string(row.window) == "score") form->MdiArea()->setActiveSubWindow(score);
    if (std::string(row.window) == "stereo") form->MdiArea()->setActiveSubWindow(stereo);
    Outcome seen;
    bool modal = false;
    {
      ScopedModalRunner runner([&](QDialog& dialog) {
        modal = true;
        seen = PressEnter(dialog, row);
        if (dialog.isVisible()) dialog.reject();
        return dialog.result();
      });
      ASSERT_TRUE(Command(row.command));
    }
    if (!modal) {
      QDialog* shown = nullptr;
      for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (dialog != nullptr && dialog->isVisible()) shown = dialog;
      }
      ASSERT_NE(shown, nullptr);
      seen = PressEnter(*shown, row);
      shown->close();
    }
    EXPECT_EQ(seen, Outcome(row.presses, row.presses, row.staysOpen, row.wanted, ""));
  }
}
