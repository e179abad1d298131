// The generator and tempo/pitch dialogs: the order OK reads their fields in, the one message per
// press, caption and help, the options their inputs choose, and bad text in every kind of field.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "app/DBlockTriangle.h"
#include "app/DLine.h"
#include "app/DNoise.h"
#include "app/DSilence.h"
#include "app/DSinus.h"
#include "app/DTempoPitch.h"
#include "app/fakes/dialog_runner.h"
#include "app/fakes/recording_help.h"
#include "gui/controls.h"
#include "support/recording_sink.h"

namespace {

using MakeDialog = std::function<std::unique_ptr<TDialogForm>()>;

template <class Dialog, class Props>
MakeDialog Make(Props props = {}) {
  return [props] { return std::make_unique<Dialog>(nullptr, props); };
}

MakeDialog MakeBlockTriangle(const char* caption) {
  return [caption] {
    return std::make_unique<TDlgBlockTriangleProps>(nullptr, caption, TBlockTriangleProps());
  };
}

// The tempo dialog refers its start position to a selection of one second.
TTempoPitchProps OneSecondSelected() {
  TTempoPitchProps props;
  props.SelTime = 1.0;
  return props;
}

const std::map<std::string, MakeDialog>& Dialogs() {
  static const std::map<std::string, MakeDialog> dialogs{
      {"silence", Make<TDlgSilenceProps, TSilenceProps>()},
      {"line", Make<TDlgLineProps, TLineProps>()},
      {"noise", Make<TDlgNoiseProps, TNoiseProps>()},
      {"block", MakeBlockTriangle("Make Block")},
      {"triangle", MakeBlockTriangle("Make Triangle")},
      {"sinus", Make<TDlgSinusProps, TSinusProps>()},
      {"tempo", Make<TDlgTempoPitchProps, TTempoPitchProps>(OneSecondSelected())},
  };
  return dialogs;
}

template <class Widget = QWidget>
Widget* Control(QWidget& dialog, const std::string& name) {
  auto* widget = dialog.findChild<Widget*>(QString::fromStdString(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

void PressOK(QWidget& dialog) { Control<QPushButton>(dialog, "OKBtn")->click(); }

std::string FieldOf(const RecordedMessage& message) {
  EXPECT_EQ(message.caption, "Input Error");
  const size_t colon = message.text.find(": ");
  return message.text.rfind("In ", 0) == 0 && colon != std::string::npos
             ? message.text.substr(3, colon - 3)
             : message.text;
}

struct ReadOrderCase {
  const char* dialog;
  const char* caption;
  int help;
  std::vector<std::pair<const char*, const char*>> fields;  // control, name in messages
};

}  // namespace

TEST(GeneratorDialogs, BadTextEverywhereIsReportedFieldByFieldInReadOrderOnlyForChosenOptions) {
  const ReadOrderCase cases[] = {
      {"silence", "Make Silence", 20, {{"editLength", "Length"}}},
      {"line",
       "Make Line",
       5,
       {{"editBegin", "Begin Value"}, {"editEnd", "End Value"}, {"editLength", "Length"}}},
      {"noise", "Make Noise", 8, {{"editLength", "Length"}, {"editVolume", "Volume"}}},
      {"block",
       "Make Block",
       6,
       {{"editHeight1", "Height 1"},
        {"editHeight2", "Height 2"},
        {"editFrequency", "Frequency"},
        {"editMiddle", "Middle"},
        {"editLengthNew", "Length New"},
        {"editStartPosition", "Start Position"}}},
      {"triangle", "Make Triangle", 6, {{"editHeight1", "Height 1"}, {"editHeight2", "Height 2"},
                                        {"editFrequency", "Frequency"}, {"editMiddle", "Middle"},
                                        {"editLengthNew", "Length New"},
                                        {"editStartPosition", "Start Position"}}},
      {"sinus",
       "Make Sinus",
       7,
       {{"editLength", "Length"},
        {"editAmplitude", "Amplitude"},
        {"editFrequency", "Frequency"},
        {"editStartPhase", "Start Phase"}}},
      {"tempo",
       "Pitch Tempo",
       50,
       {{"editFreqFactor", "Frequency Factor"},
        {"editSpeedFactor", "Speed Factor"},
        {"editLengthFactor", "Length Factor"},
        {"editStartPosition", "Start Position"},
        {"editBlockSize", "Block Size"}}},
  };
  for (const ReadOrderCase& c : cases) {
    SCOPED_TRACE(c.dialog);
    RecordingSink sink;
    RecordingHelp help;
    std::unique_ptr<TDialogForm> dialog = Dialogs().at(c.dialog)();
    EXPECT_EQ(dialog->windowTitle().toStdString(), c.caption);
    std::vector<std::string> reported;
    const int result = RunDialog(*dialog, [&] {
      Control<QPushButton>(*dialog, "HelpBtn")->click();
      std::map<QLineEdit*, QString> shown;
      for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        shown[edit] = edit->text();
        edit->setText("x?");
      }
      for (size_t press = 0; press <= c.fields.size() && dialog->isVisible(); ++press) {
        sink.messages.clear();
        PressOK(*dialog);
        if (sink.messages.empty()) break;
        EXPECT_EQ(sink.messages.size(), 1u);
        reported.push_back(FieldOf(sink.messages.front()));
        if (press < c.fields.size()) {
          QLineEdit* edit = Control<QLineEdit>(*dialog, c.fields[press].first);
          edit->setText(shown[edit]);
        }
      }
    });
    std::vector<std::string> expected;
    for (const auto& field : c.fields) expected.push_back(field.second);
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(help.calls, (std::vector<std::pair<int, int>>{{kHelpContext, c.help}}));
  }
}

TEST(GeneratorDialogs, EveryKindOfFieldRefusesBadTextWithItsOwnName) {
  struct Case {
    const char* dialog;
    const char* control;
    const char* field;
  };
  const Case fields[] = {
      {"silence", "editLength", "Length"},          // a positive time
      {"line", "editBegin", "Begin Value"},         // a sample value
      {"sinus", "editCount", "Count"},              // a positive factor
      {"sinus", "editStartPhase", "Start Phase"},   // a phase
      {"tempo", "editFreqFactor", "Frequency Factor"},  // a factor other than 0
      {"tempo", "editStartPosition", "Start Position"}, // a position in the selection
  };
  const char* texts[] = {"", "abc", "1e400", "-2", "99999999999999999999999", "0", "5 apples"};
  for (const Case& c : fields) {
    for (const char* text : texts) {
      SCOPED_TRACE(std::string(c.control) + " <- \"" + text + "\"");
      RecordingSink sink;
      std::unique_ptr<TDialogForm> dialog = Dialogs().at(c.dialog)();
      RunDialog(*dialog, [&] {
        if (std::string(c.control) == "editCount") {
          Control<QRadioButton>(*dialog, "optCount")->setChecked(true);
        }
        Control<QLineEdit>(*dialog, c.control)->setText(text);
        PressOK(*dialog);
        // A value the field takes closes the dialog; any other shows one message naming it.
        if (dialog->isVisible()) {
          ASSERT_EQ(sink.messages.size(), 1u);
          EXPECT_EQ(FieldOf(sink.messages.front()), c.field);
        } else {
          EXPECT_TRUE(sink.messages.empty());
        }
      });
    }
  }
}

TEST(GeneratorDialogs, OutOfRangeAndUnreadableValuesAreRefused) {
  struct Case {
    const char* dialog;
    const char* control;
    const char* text;
  };
  const Case cases[] = {
      {"silence", "editLength", ""},      {"silence", "editLength", "0 ms"},
      {"silence", "editLength", "-5 ms"}, {"silence", "editLength", "1e400"},
      {"line", "editEnd", "abc"},         {"line", "editEnd", "250%"},
      {"sinus", "editAmplitude", "99999999999999999999999$"},
      {"tempo", "editFreqFactor", "0"},   {"tempo", "editBlockSize", "0 s"},
      {"tempo", "editLengthFactor", "-50%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.control) + " <- \"" + c.text + "\"");
    RecordingSink sink;
    std::unique_ptr<TDialogForm> dialog = Dialogs().at(c.dialog)();
    const int result = RunDialog(*dialog, [&] {
      Control<QLineEdit>(*dialog, c.control)->setText(c.text);
      PressOK(*dialog);
      EXPECT_TRUE(dialog->isVisible());
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(sink.messages.size(), 1u);
  }
}

TEST(GeneratorDialogs, TypingIntoAnOptionsInputChoosesThatOption) {
  struct Case {
    const char* dialog;
    const char* first;  // chosen before typing
    const char* typedInto;
    std::vector<const char*> chosen;
  };
  const Case cases[] = {
      {"sinus", "optLength", "editCount", {"optCount"}},
      {"sinus", "optCount", "editLength", {"optLength"}},
      {"block", "optFrequency", "editTime1", {"optTime"}},
      {"block", "optTime", "editTime2", {"optTime"}},
      {"block", "optTime", "editMiddle", {"optMiddleConstant", "optFrequency"}},
      // The frequency itself has no such handler.
      {"block", "optTime", "editFrequency", {"optTime"}},
      {"block", "optLengthNew", "editLengthCount", {"optLengthCount"}},
      {"tempo", "optLengthFactor", "editLengthNew", {"optLengthNew"}},
      {"tempo", "optLengthNew", "editLengthCount", {"optLengthCount"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dialog) + " " + c.typedInto);
    std::unique_ptr<TDialogForm> dialog = Dialogs().at(c.dialog)();
    RunDialog(*dialog, [&] {
      Control<QRadioButton>(*dialog, c.first)->setChecked(true);
      QTest::keyClicks(Control<QLineEdit>(*dialog, c.typedInto), "1");
      for (const char* option : c.chosen) {
        EXPECT_TRUE(Control<QRadioButton>(*dialog, option)->isChecked()) << option;
      }
    });
  }
}

TEST(GeneratorDialogs, ChoicesSetTheirKindBytesAndTheChosenInputsOnly) {
  RecordingSink sink;
  TBlockTriangleProps props;
  TDlgBlockTriangleProps block(nullptr, "Make Block", props);
  RunDialog(block, [&] {
    block.optTime->setChecked(true);
    block.editFrequency->setText("x?");  // not read in time mode
    block.editTime1->setText("2 ms");
    block.optLengthCount->setChecked(true);
    block.editLengthCount->setText("4");
    PressOK(block);
  });
  EXPECT_TRUE(sink.messages.empty());
  const TBlockTriangleProps result = block.GetProps();
  EXPECT_EQ(result.BloTriHorKind, bloTriTime);
  EXPECT_EQ(result.LengthKind, 2);
  EXPECT_DOUBLE_EQ(result.Time1.GetValue(), 0.002);
  EXPECT_DOUBLE_EQ(result.LengthCount.GetValue(), 4.0);
  EXPECT_DOUBLE_EQ(result.Frequency.GetValue(), props.Frequency.GetValue());

  TDlgSinusProps sinus(nullptr, TSinusProps());
  RunDialog(sinus, [&] {
    sinus.optCount->setChecked(true);
    sinus.editCount->setText("7");
    PressOK(sinus);
  });
  EXPECT_EQ(sinus.GetProps().LengthKind, 1);
  EXPECT_DOUBLE_EQ(sinus.GetProps().Count.GetValue(), 7.0);
}

TEST(GeneratorDialogs, ExponentialLineNeedsBothEndsOnOneSideOfZero) {
  struct Case {
    int kind;
    const char* begin;
    const char* end;
    bool accepted;
  };
  const Case cases[] = {{1, "50%", "-50%", false}, {1, "50%", "10%", true},
                        {1, "0%", "10%", false},   {1, "-20%", "-10%", true},
                        {0, "50%", "-50%", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.begin) + " to " + c.end);
    RecordingSink sink;
    TDlgLineProps dialog(nullptr, TLineProps());
    const int result = RunDialog(dialog, [&] {
      dialog.rgrKind->SetItemIndex(c.kind);
      dialog.editBegin->setText(c.begin);
      dialog.editEnd->setText(c.end);
      dialog.editLength->setText("x?");  // read after the check: reported only when it passed
      PressOK(dialog);
      ASSERT_EQ(sink.messages.size(), 1u);
      EXPECT_EQ(sink.messages.front().text == linetext::kExponentialZero, !c.accepted);
      EXPECT_EQ(sink.messages.front().flags, kMbOk | kMbIconInformation);
    });
    EXPECT_EQ(result, QDialog::Rejected);
  }
}

TEST(GeneratorDialogs, SameLengthAsWithoutAnotherWaveNamesItsField) {
  struct Case {
    const char* dialog;
    const char* field;
  };
  for (const Case& c : {Case{"tempo", "Same Length as"}, Case{"block", "Length Same As"}}) {
    SCOPED_TRACE(c.dialog);
    RecordingSink sink;
    std::unique_ptr<TDialogForm> dialog = Dialogs().at(c.dialog)();
    RunDialog(*dialog, [&] {
      Control<QRadioButton>(*dialog, "optLengthSameAs")->setChecked(true);
      PressOK(*dialog);
      EXPECT_TRUE(dialog->isVisible());
    });
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages.front().text, std::string("In ") + c.field + ": You have to select a Wave");
  }
}

TEST(GeneratorDialogs, EnvelopePickChecksItsBoxAndTheStartPositionFollowsTheSelection) {
  const WaveNameLister previous = SetWaveNameLister([](uint8_t) {
    return std::vector<std::string>{"env"};
  });
  TTempoPitchProps props;
  props.SelTime = 2.0;
  TDlgTempoPitchProps dialog(nullptr, props);
  RunDialog(dialog, [&] {
    auto* combo = Control<TWaveComboBox>(dialog, "cboSpeedEnvelope");
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    dialog.editStartPosition->setText("25%");
    dialog.rgrQuality->SetItemIndex(1);
    PressOK(dialog);
  });
  SetWaveNameLister(previous);
  const TTempoPitchProps result = dialog.GetProps();
  EXPECT_FALSE(result.FreqEnvelopeUsed);
  EXPECT_TRUE(result.SpeedEnvelopeUsed);
  EXPECT_EQ(result.SpeedEnvelope.GetName(), "env");
  EXPECT_DOUBLE_EQ(result.StartPosition.GetValue(), 0.5);
  EXPECT_EQ(result.Quality, 1);
}

TEST(GeneratorDialogs, PicturesOfTheSinusAndTempoDialogsAreSavedInTheBuildFolder) {
  for (const char* which : {"sinus", "tempopitch"}) {
    const std::string path = std::string(KORVALEN_BUILD_DIR) + "/dialog-" + which + ".png";
    std::filesystem::remove(path);
    std::unique_ptr<TDialogForm> dialog = Dialogs().at(which[0] == 's' ? "sinus" : "tempo")();
    RunDialog(*dialog, [&] { EXPECT_TRUE(dialog->grab().save(QString::fromStdString(path))); });
    EXPECT_GT(std::filesystem::file_size(path), 1000u) << which;
  }
}
