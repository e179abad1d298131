// The base forms and the one protocol of the parameter dialogs, driven through the modal road.
#include "app/dialogs/BaseDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <tuple>

#include "app/dialogs/DMFreq.h"
#include "app/dialogs/DSilence.h"
#include "app/dialogs/DUp.h"
#include "app/dialogs/WaveComboBox.h"
#include "app/fakes/dialog_runner.h"
#include "app/fakes/recording_help.h"
#include "foundation/smallobj.h"
#include "support/recording_sink.h"
#include "wave/unitwaveref.h"

namespace {

struct GeneratorProps {
  unitTimePosMore Length{0.1, kUnitMilliseconds};
  unitIntegerPosMore Count{3, kUnitNone};
  uint8_t EnvelopeUsed = 0;
  unitUnitWave Envelope;
  uint8_t Repeat = 1;  // 0 once, 1 loop
};

// A dialog of the usual shape: two values, then an envelope read only when its box is checked.
class TDlgGeneratorProps : public TPropsDlg<TOKHelpBottomDlg, GeneratorProps> {
 public:
  TDlgGeneratorProps(QWidget* owner, const GeneratorProps& props) : TPropsDlg(owner, props) {
    SetHelpContext(20);
    editLength = AddEdit("Length", Record.Length, "Length");
    editLength->setObjectName("editLength");
    editCount = AddEdit("Count", Record.Count, "Count");
    chkEnvelope = AddCheckBox("Envelope", Record.EnvelopeUsed);
    cboEnvelope = AddWaveCombo("Envelope", Record.Envelope, "Envelope", 2,
                               [this] { return chkEnvelope->isChecked(); });
    optOnce = new QRadioButton("Once");
    PlaceRow(nullptr, optOnce);
    optLoop = new QRadioButton("Loop");
    PlaceRow(nullptr, optLoop);
    AddOptions({optOnce, optLoop}, Record.Repeat);
    FitBody();
  }
  QRadioButton* optOnce;
  QRadioButton* optLoop;
  QLineEdit* editLength;
  QLineEdit* editCount;
  QCheckBox* chkEnvelope;
  TWaveComboBox* cboEnvelope;
};

class ScopedWaveNames {
 public:
  explicit ScopedWaveNames(std::vector<std::string> names)
      : previous_(SetWaveNameLister([this, names](uint8_t filter) {
          filters.push_back(filter);
          return names;
        })) {}
  ~ScopedWaveNames() { SetWaveNameLister(previous_); }
  std::vector<uint8_t> filters;

 private:
  WaveNameLister previous_;
};

std::vector<std::string> Texts(const RecordingSink& sink) {
  std::vector<std::string> texts;
  for (const RecordedMessage& message : sink.messages) {
    EXPECT_EQ(message.caption, "Input Error");
    EXPECT_EQ(message.flags, kMbOk | kMbIconInformation);
    texts.push_back(message.text);
  }
  return texts;
}

}  // namespace

TEST(BaseDlg, FormsHaveTheirSizesButtonsAndTabOrder) {
  struct Expected { TDialogForm* form; QSize client; QRect bevel; QPoint ok, cancel, help; };
  // A help button at (0, 0): none.
  TOKRightDlg right(nullptr);
  TOKHelpRightDlg helpRight(nullptr);
  TOKBottomDlg bottom(nullptr);
  TOKHelpBottomDlg helpBottom(nullptr);
  const Expected forms[] = {
      {&right, {384, 179}, {8, 8, 281, 161}, {300, 8}, {300, 38}, {0, 0}},
      {&helpRight, {384, 179}, {8, 8, 281, 161}, {300, 8}, {300, 38}, {300, 68}},
      {&bottom, {313, 214}, {8, 8, 297, 161}, {79, 180}, {159, 180}, {0, 0}},
      {&helpBottom, {313, 214}, {8, 8, 297, 161}, {70, 180}, {150, 180}, {230, 180}},
  };
  for (const Expected& e : forms) {
    SCOPED_TRACE(e.client.width() * 1000 + e.ok.x());
    EXPECT_EQ(std::pair(e.form->size(), e.form->minimumSize()), std::pair(e.client, e.form->maximumSize()));
    EXPECT_EQ(e.form->findChild<QFrame*>("Bevel1")->geometry(), e.bevel);
    auto* ok = e.form->findChild<QPushButton*>("OKBtn");
    auto* cancel = e.form->findChild<QPushButton*>("CancelBtn");
    auto* help = e.form->findChild<QPushButton*>("HelpBtn");
    EXPECT_EQ(std::pair(ok->geometry(), cancel->geometry()),
              std::pair(QRect(e.ok, QSize(75, 25)), QRect(e.cancel, QSize(75, 25))));
    EXPECT_EQ(std::tuple(ok->isDefault(), cancel->isDefault(), ok->nextInFocusChain()),
              std::tuple(true, false, static_cast<QWidget*>(cancel)));
    ASSERT_EQ(help != nullptr, e.help != QPoint(0, 0));
    if (help) {
      EXPECT_EQ(std::pair(help->geometry(), cancel->nextInFocusChain()),
                std::pair(QRect(e.help, QSize(75, 25)), static_cast<QWidget*>(help)));
    }
  }
}

TEST(BaseDlg, ListedFieldsGrowTheBevelAndMoveTheButtonsAlong) {
  TDlgGeneratorProps dialog(nullptr, GeneratorProps());
  const QRect bevel = dialog.findChild<QFrame*>("Bevel1")->geometry();
  EXPECT_TRUE(bevel.contains(dialog.editCount->mapTo(&dialog, QPoint(0, 0))));
  EXPECT_EQ(dialog.findChild<QPushButton*>("HelpBtn")->geometry().right(), bevel.right());
  EXPECT_EQ(dialog.findChild<QPushButton*>("OKBtn")->y(), bevel.bottom() + 12);
  EXPECT_EQ(dialog.height(), bevel.bottom() + 1 + 11 + 25 + 9);
}

// Narrow bodies on the bottom form: the row of buttons stays whole on the form, under the bevel.
TEST(BaseDlg, ANarrowBottomBodyKeepsItsButtonsOnTheForm) {
  TDlgUpProps up(nullptr, TUpProps{});
  TDlgSilenceProps silence(nullptr, TSilenceProps{});
  for (QDialog* dialog : std::initializer_list<QDialog*>{&up, &silence}) {
    const QRect bevel = dialog->findChild<QFrame*>("Bevel1")->geometry();
    for (const char* name : {"OKBtn", "CancelBtn", "HelpBtn"}) {
      const QRect button = dialog->findChild<QPushButton*>(name)->geometry();
      EXPECT_GE(button.left(), bevel.left()) << name;
      EXPECT_LE(button.right(), bevel.right()) << name;
      EXPECT_LE(button.right(), dialog->width()) << name;
    }
  }
}

TEST(BaseDlg, OneOkReportsOnlyTheFirstFaultyFieldAndKeepsTheDialogOpen) {
  RecordingSink sink;
  GeneratorProps given;
  given.Count = unitIntegerPosMore(7, kUnitNone);
  TDlgGeneratorProps dialog(nullptr, given);
  std::vector<bool> openAfterOk;
  const int result = RunDialog(dialog, [&] {
    EXPECT_EQ(dialog.editCount->text(), "7");
    dialog.optOnce->setChecked(true);
    dialog.editLength->setText("");
    dialog.editCount->setText("0");
    dialog.OKBtn->click();
    openAfterOk.push_back(dialog.isVisible());
    EXPECT_EQ(dialog.ok, 1);  // the refused close re-armed it
    dialog.editLength->setText("2 s");
    dialog.OKBtn->click();
    openAfterOk.push_back(dialog.isVisible());
    dialog.editCount->setText("12");
    dialog.OKBtn->click();
    openAfterOk.push_back(dialog.isVisible());
  });
  EXPECT_EQ(openAfterOk, (std::vector<bool>{true, true, false}));
  EXPECT_EQ(Texts(sink), (std::vector<std::string>{"In Length: Input has no value.",
                                                   "In Count: Value must be positive and more than 0."}));
  ASSERT_EQ(result, QDialog::Accepted);
  const GeneratorProps taken = dialog.GetProps();
  EXPECT_EQ(std::tuple(taken.Length.GetValue(), taken.Length.Write(), taken.Count.GetValue(),
                       +taken.Repeat),
            std::tuple(2.0, "2 s", 12, 0));
}

TEST(BaseDlg, CancelAfterAFailedOkClosesAndTheCallerTakesNothing) {
  RecordingSink sink;
  TDlgGeneratorProps dialog(nullptr, GeneratorProps());
  const int result = RunDialog(dialog, [&] {
    dialog.editLength->setText("5 s");
    dialog.editCount->setText("-1");
    dialog.OKBtn->click();
    ASSERT_TRUE(dialog.isVisible());
    dialog.CancelBtn->click();
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_EQ(sink.messages.size(), 1u);
  // The field before the faulty one was stored in the dialog's copy, never in the caller's.
  EXPECT_DOUBLE_EQ(dialog.GetProps().Length.GetValue(), 5.0);
}

TEST(BaseDlg, EnvelopeComboIsListedByFilterAndReadOnlyWhenChosen) {
  RecordingSink sink;
  {
    ScopedWaveNames names({"Bass", "Drum"});
    GeneratorProps given;
    given.Envelope = unitUnitWave("Drum");
    TDlgGeneratorProps dialog(nullptr, given);
    RunDialog(dialog, [&] {
      EXPECT_EQ(std::pair(dialog.cboEnvelope->count(), dialog.cboEnvelope->currentText()),
                std::pair(2, QString("Drum")));
      dialog.chkEnvelope->setChecked(true);
      dialog.cboEnvelope->setCurrentIndex(0);
      dialog.OKBtn->click();
    });
    EXPECT_EQ(std::tuple(names.filters, dialog.GetProps().Envelope.GetName(),
                         +dialog.GetProps().EnvelopeUsed),
              std::tuple(std::vector<uint8_t>{2}, "Bass", 1));
  }
  ScopedWaveNames none({});
  GeneratorProps given;
  given.Envelope = unitUnitWave("Drum");
  TDlgGeneratorProps unchecked(nullptr, given);
  EXPECT_EQ(RunDialog(unchecked, [&] { unchecked.OKBtn->click(); }), QDialog::Accepted);
  EXPECT_EQ(unchecked.GetProps().Envelope.GetName(), "Drum");
  EXPECT_TRUE(sink.messages.empty());

  TDlgGeneratorProps checked(nullptr, given);
  bool stayedOpen = false;
  RunDialog(checked, [&] {
    checked.chkEnvelope->setChecked(true);
    checked.OKBtn->click();
    stayedOpen = checked.isVisible();
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(Texts(sink), std::vector<std::string>{"In Envelope: You have to select a Wave"});
}

TEST(BaseDlg, F1AndTheHelpButtonShowTheFormsHelpContext) {
  RecordingHelp help;
  TDlgGeneratorProps dialog(nullptr, GeneratorProps());
  RunDialog(dialog, [&] {
    QTest::keyClick(dialog.editLength, Qt::Key_F1);
    dialog.HelpBtn->click();
  });
  const std::pair<int, int> context{kHelpContext, 20};
  EXPECT_EQ(help.calls, (std::vector<std::pair<int, int>>{context, context}));
}

// Enter presses the button that has the focus; from a field it presses OK, the default.
TEST(BaseDlg, EnterPressesTheFocusedButtonAndOkFromAField) {
  struct Case {
    const char* focused;
    int result;         // the modal result; -1: still open when the driver ends
    size_t helpCalls;
    const char* rows;   // the multi-frequency dialog's count afterwards, or null for the generator
  };
  const Case cases[] = {
      {"CancelBtn", QDialog::Rejected, 0, nullptr}, {"HelpBtn", -1, 1, nullptr},
      {"editLength", QDialog::Accepted, 0, nullptr}, {"OKBtn", QDialog::Accepted, 0, nullptr},
      {"btnAppend", -1, 0, "2"},                      {"CancelBtn", QDialog::Rejected, 0, "1"},
      {"editLength", QDialog::Accepted, 0, "1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.focused) + (c.rows ? " multi" : ""));
    RecordingSink sink;
    RecordingHelp help;
    std::unique_ptr<TDialogForm> dialog;
    if (c.rows != nullptr) {
      TMFreqProps props;
      props.Length.SetValue(0.01);
      dialog = std::make_unique<TDlgMFreqProps>(nullptr, props);
    } else {
      dialog = std::make_unique<TDlgGeneratorProps>(nullptr, GeneratorProps());
    }
    int open = 0;
    std::string rows;
    const int result = RunDialog(*dialog, [&] {
      QApplication::setActiveWindow(dialog.get());
      auto* target = dialog->findChild<QWidget*>(c.focused);
      ASSERT_NE(target, nullptr);
      if (c.rows != nullptr) dialog->findChild<QLineEdit*>("editFrequency")->setText("200 Hz");
      target->setFocus(Qt::TabFocusReason);
      QTest::keyClick(target, Qt::Key_Return);
      open = dialog->isVisible() ? -1 : dialog->result();
      if (c.rows != nullptr) rows = dialog->findChild<QLineEdit*>("editCount")->text().toStdString();
    });
    EXPECT_EQ(std::tuple(open, help.calls.size(), rows),
              std::tuple(c.result, c.helpCalls, std::string(c.rows ? c.rows : "")));
    if (c.result != -1) {
      EXPECT_EQ(result, c.result);
    }
    EXPECT_TRUE(sink.messages.empty());
  }
}
