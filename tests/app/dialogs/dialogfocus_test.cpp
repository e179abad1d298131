// Focus and Tab order of every parameter dialog, each opened by its command on the main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/dialogs/BaseDlg.h"
#include "app/wavewindow/ChildWave.h"
#include "app/fakes/main_window.h"
#include "gui/application.h"
#include "support/recording_sink.h"
#include "wave/props.h"
#include "wave/unitwave.h"

namespace {

bool IsBaseButton(const QWidget* widget) {
  const QString name = widget->objectName();
  return qobject_cast<const QPushButton*>(widget) != nullptr &&
         (name == "OKBtn" || name == "CancelBtn" || name == "HelpBtn");
}

// The ancestor of `widget` that sits directly in the dialog's body (or the dialog itself): a group
// or a page control is read as one piece at its place.
QWidget* Piece(QWidget* widget, QWidget& dialog) {
  QWidget* piece = widget;
  while (piece->parentWidget() != nullptr && piece->parentWidget() != &dialog &&
         piece->parentWidget()->objectName() != "Body") {
    piece = piece->parentWidget();
  }
  return piece;
}

// Tab from the opening focus round to it again; what the walk found wrong, one line each.
std::vector<std::string> WalkTab(QDialog& dialog) {
  std::vector<std::string> faults;
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  QApplication::processEvents();
  QWidget* start = QApplication::focusWidget();
  if (start == nullptr || start->window() != &dialog) return {"opens without focus"};
  std::vector<QWidget*> stops{start};
  for (int step = 0; step < 100; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == start) break;
    stops.push_back(QApplication::focusWidget());
  }
  const auto name = [](const QWidget* w) {
    return w->objectName().isEmpty() ? std::string(w->metaObject()->className()) : w->objectName().toStdString();
  };
  if (IsBaseButton(start)) faults.push_back("opens on " + name(start));
  std::vector<std::string> buttons;
  bool buttonSeen = false;
  for (size_t i = 0; i < stops.size(); ++i) {
    QWidget* stop = stops[i];
    if (!stop->isVisible() || stop->width() == 0 || stop->height() == 0) faults.push_back("hidden stop " + name(stop));
    if (IsBaseButton(stop)) {
      buttonSeen = true;
      buttons.push_back(name(stop));
      continue;
    }
    if (buttonSeen) faults.push_back(name(stop) + " after the buttons");
    if (i == 0 || IsBaseButton(stops[i - 1])) continue;
    // Never back to an earlier line, unless into a column further right.
    QWidget* a = stops[i - 1];
    QWidget* pa = Piece(a, dialog);
    QWidget* pb = Piece(stop, dialog);
    if (pa != pb) {
      a = pa;
      stop = pb;
    }
    const QPoint at = a->mapTo(&dialog, QPoint(0, 0));
    const QPoint to = stop->mapTo(&dialog, QPoint(0, 0));
    if (to.y() + 8 < at.y() && to.x() < at.x() + a->width()) faults.push_back(name(stop) + " above " + name(a));
  }
  // OK waits disabled in the merge dialogs until the two waves may be merged.
  std::vector<std::string> expectedButtons;
  for (const char* button : {"OKBtn", "CancelBtn", "HelpBtn"}) {
    auto* pushButton = dialog.findChild<QPushButton*>(button, Qt::FindDirectChildrenOnly);
    if (pushButton != nullptr && pushButton->isEnabled()) expectedButtons.push_back(button);
  }
  if (buttons != expectedButtons) faults.push_back("buttons out of order");
  // Every field the user could tab to is on the walk (of a set of radio buttons, the checked one).
  for (QWidget* field : dialog.findChildren<QWidget*>()) {
    if (!(field->focusPolicy() & Qt::TabFocus) || field->focusProxy() != nullptr || !field->isVisible() ||
        !field->isEnabled() || field->window() != &dialog)
      continue;
    if (auto* radio = qobject_cast<QRadioButton*>(field); radio != nullptr && !radio->isChecked()) {
      continue;
    }
    if (std::find(stops.begin(), stops.end(), field) == stops.end()) faults.push_back(name(field) + " never reached");
  }
  return faults;
}

class DialogFocus : public MainWindowTest {
 protected:
  DialogFocus() : MainWindowTest("dialogfocus") {}
  void Open(const char* name, int channels) {
    auto unit = std::make_unique<TUnitWave>(name, waveFileProps(static_cast<int16_t>(channels), 22050, 2));
    ASSERT_TRUE(unit->MakeSinus(TSinusProps{}));
    unit->SetName(name);
    unit->SetSaved();
    form->CreateMDIChildWave(name, std::move(unit), {}, {});
  }
  RecordingSink sink;
};

// Every dialog opens in its first field, Tab runs through the fields line by line and then OK,
// Cancel and Help, and no stop is hidden or left out.
TEST_F(DialogFocus, EveryDialogOpensInItsFirstFieldAndTabsInReadingOrder) {
  std::map<std::string, std::vector<std::string>> walked;
  std::string pitchTempo;  // the group's title where it holds Block Size and Quality
  ScopedModalRunner runner([&](QDialog& dialog) {
    if (dynamic_cast<TDialogForm*>(&dialog) != nullptr) {
      walked[dialog.windowTitle().toStdString()] = WalkTab(dialog);
    }
    for (auto* group : dialog.findChildren<QGroupBox*>()) {
      auto* blockSize = dialog.findChild<QWidget*>("editBlockSize");
      auto* quality = dialog.findChild<QWidget*>("rgrQuality");
      if (blockSize && quality && group->isAncestorOf(blockSize) && group->isAncestorOf(quality)) {
        pitchTempo = group->title().toStdString();
      }
    }
    return int(QDialog::Rejected);
  });
  const char* commands[] = {
      "FileNewWave", "FileProperties", "Register", "EditMix", "ViewWave", "ViewVold", "MakeSilence",
      "MakeLine", "MakeBlock", "MakeTriangle", "MakeSinus", "MakeNoise", "MakeMFreq", "Volume", "Up",
      "Distort", "Block", "Length", "Rotate", "RollOut", "RollIn", "Balance", "MixLeftRight", "TempoPitch",
      "FilterHigh", "FilterLow", "FilterRes", "FilterNotch", "FilterBlock", "PerEcho", "RndEcho", "SplitH",
      "MergeH", "SplitV", "MergeV"};
  form->SetClipBoardSound(std::make_unique<MonoSound>(22050, 2));
  for (int channels : {1, 2}) {
    ASSERT_NO_FATAL_FAILURE(Open(channels == 1 ? "mono" : "stereo", channels));
    if (channels == 1) {
      ASSERT_NO_FATAL_FAILURE(Open("other", 1));
    }
    for (const char* command : commands) {
      form->ActionList1Update();
      if (form->Action(command)->isEnabled()) form->Action(command)->trigger();
      sink.messages.clear();
    }
  }
  for (const auto& [title, faults] : walked) {
    EXPECT_TRUE(faults.empty()) << title << ": " << faults.front();
  }
  for (const char* title : {"Random Echo", "Low Filter", "High Filter", "Merge Horizontally", "Merge Vertically",
                            "Multi Frequency", "Pitch Tempo", "Balance"}) {
    EXPECT_TRUE(walked.count(title)) << title << " was not opened";
  }
  EXPECT_GE(walked.size(), 25u);
  EXPECT_EQ(pitchTempo, "Pitch Tempo");
}

}  // namespace
