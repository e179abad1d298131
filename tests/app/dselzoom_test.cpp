// The Select and Zoom dialog: what it shows of the active wave window, Apply with typed times and
// its first error, and the notices as windows become active or close.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <functional>

#include "app/wavewindow/ChildWave.h"
#include "app/DSelZoom.h"
#include "app/dialogs/DWaveProps.h"
#include "app/dialogs/WaveComboBox.h"
#include "app/fakes/command_dialogs.h"
#include "app/fakes/main_window.h"
#include "app/fakes/test_document.h"
#include "foundation/messages.h"
#include "gui/application.h"
#include "support/answered_boxes.h"
#include "support/captions.h"
#include "support/event_loop.h"
#include "support/layout_check.h"
#include "support/misplacing_wm.h"
#include "support/recording_sink.h"

namespace {

class SelZoom : public MainWindowTest {
 protected:
  SelZoom() : MainWindowTest("selzoom") {}
  TMDIChildWave* Open(int32_t values, int32_t rate, const std::string& name = "") {
    bool abort = false;
    WavePtr w = NewWaveChecked(abort, values);
    std::fill(w->wave, w->wave + values, int16_t{0});
    auto unit = std::make_unique<TUnitWave>("", std::make_unique<MonoSound>(std::move(w), rate, 2));
    unit->SetName(name);
    TMDIChildWave* window = form->CreateMDIChildWave("w", std::move(unit), {}, {});
    ResizeClient(*window, *window->ClientArea(), QSize(400, 100));
    if (!form->DlgSelZoom.Visible()) form->SelectWaveExecute();
    d = dynamic_cast<TDlgSelZoom*>(form->DlgSelZoom.Get());
    return window;
  }
  // Types the texts that are not empty and presses Apply.
  void Apply(std::vector<std::pair<QLineEdit*, const char*>> typed) {
    for (auto [edit, text] : typed) {
      if (*text != 0) edit->setText(text);
    }
    d->OKBtn->click();
  }
  std::string Text(const QLineEdit* edit) const { return edit->text().toStdString(); }
  // Each option ticked (x) or not (-) with its fields: Cursor, Part, Zoomed.
  static std::string Fields(bool cursor, const std::string& at, bool part, const std::string& begin,
                            const std::string& end, bool zoomed, const std::string& zoomBegin,
                            const std::string& zoomEnd) {
    const auto tick = [](bool on) { return on ? "x " : "- "; };
    return tick(cursor) + at + " | " + tick(part) + begin + " " + end + " | " + tick(zoomed) +
           zoomBegin + " " + zoomEnd;
  }
  std::string Shown() const {
    return Fields(d->optCursor->isChecked(), Text(d->editCursorAt), d->optPart->isChecked(),
                  Text(d->editPartBegin), Text(d->editPartEnd), d->chkZoomed->isChecked(),
                  Text(d->editZoomBegin), Text(d->editZoomEnd));
  }
  // The same read from the active wave window and its document.
  std::string Truth() const {
    const auto* w = dynamic_cast<const TMDIChildWave*>(form->ActiveWaveChild());
    const TUnitWave* u = w != nullptr ? w->GetUnitWave() : nullptr;
    if (u == nullptr) return Fields(false, "", false, "", "", false, "", "");
    const auto time = [](double seconds) { return unitTimePos(seconds, kUnitSeconds).Write(); };
    const double rate = u->GetSamplesPerSec();
    const bool part = u->GetSelCursor() != u->GetSelAnchor();
    const bool zoomed = w->IsZoomed() != 0;
    return Fields(!part, part ? "" : time(u->GetSelCursor() / rate), part,
                  part ? time(u->GetSelBegin() / rate) : "",
                  part ? time(u->GetSelEnd() / rate) : "", zoomed,
                  zoomed ? time(w->GetViewBeginTime()) : "",
                  zoomed ? time(w->GetViewEndTime()) : "");
  }
  bool ShowsTheTruth() const {
    return QTest::qWaitFor([this] { return Shown() == Truth(); }, 10000);
  }
  TDlgSelZoom* d = nullptr;
  RecordingSink sink;
};

TEST_F(SelZoom, ShowsTheCursorAndZoomBesideTheMainWindowAndAppliesTypedTimesInEveryUnit) {
  TMDIChildWave* w = Open(16000, 8000);
  w->GetUnitWave()->SetCursor(4000);
  w->SetScroll(2000, 4000);
  EXPECT_TRUE(d->optCursor->isChecked() && d->chkZoomed->isChecked());
  EXPECT_EQ(std::make_tuple(Text(d->editCursorAt), Text(d->editPartBegin), Text(d->editZoomBegin)),
            std::make_tuple("0.5 s", "", "0.25 s"));
  const std::pair<const char*, int32_t> cases[] = {{"1 s", 8000}, {"250 ms", 2000}, {"4 Hz", 2000},
                                                   {"A4", 18},    {"0.0001 s", 1}};
  for (auto [typed, sample] : cases) {
    SCOPED_TRACE(typed);
    Apply({{d->editCursorAt, typed}});
    EXPECT_EQ(w->GetUnitWave()->GetSelCursor(), sample);
    EXPECT_EQ(std::make_pair(w->GetViewBegin(), w->GetViewEnd()), std::make_pair(2000.0, 4000.0));
  }
  Apply({{d->editPartBegin, "0.25 s"}, {d->editPartEnd, "0.75 s"}});
  EXPECT_EQ(std::make_pair(w->GetUnitWave()->GetSelBegin(), w->GetUnitWave()->GetSelEnd()),
            std::make_pair(2000, 6000));
  Apply({{d->editZoomBegin, "0.0001 s"}, {d->editZoomEnd, "0.00011 s"}});  // under a sample
  EXPECT_EQ(w->IsZoomed(), 0);
  EXPECT_TRUE(d->isVisible() && sink.messages.empty());
  // Beside the main window's lower right corner, with the whole frame on the screen.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  form->move(screen.right() - 300, screen.bottom() - 60);
  QApplication::processEvents();
  const QRect main = form->frameGeometry();
  d->hide();
  d->show();
  QApplication::processEvents();
  const QRect frame = d->frameGeometry();
  EXPECT_TRUE(screen.contains(frame));
  EXPECT_EQ(frame.topLeft(), QPoint(std::min(screen.right() + 1 - frame.width(), main.right() + 1),
                                    screen.bottom() + 1 - frame.height()));
  EXPECT_EQ(LayoutFaults(*d), std::vector<std::string>{});
  // The part's Begin and End read apart from the zoom's, which stand in its group.
  std::vector<std::string> captions;
  for (const QWidget* control : std::initializer_list<const QWidget*>{
           d->optCursor, d->editCursorAt, d->optPart, d->editPartBegin, d->editPartEnd, d->chkZoomed,
           d->editZoomBegin, d->editZoomEnd, d->OKBtn, d->CancelBtn}) {
    captions.push_back(CaptionPath(*d, *control));
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"Cursor", "At", "Part", "Begin", "End", "Zoom / Zoomed",
                                                "Zoom / Begin", "Zoom / End", "Apply", "Close"}));
  EXPECT_EQ(d->Label1->text().toStdString(), "Selected");
}

TEST_F(SelZoom, ApplyShowsTheFirstFailureOfEachGroupAndStillZooms) {
  const char* kEnd = ": Must be prior before the end of the wave.";
  struct Case { const char *cursor, *begin, *end, *zoomBegin, *zoomEnd; bool zoomed; std::string message; };
  const Case cases[] = {
      {"", "0.5 s", "0.5 s", "0.1 s", "0.2 s", true, "Part Begin must be prior before Part End."},
      {"", "0.5 s", "1 s", "", "", false, std::string("In Part End") + kEnd},
      {"", "1 s", "2 s", "", "", false, std::string("In Part Begin") + kEnd},
      {"1 s", "", "", "", "", false, std::string("In Selected Cursor") + kEnd},
      {"0.0125 s", "", "", "0.3 s", "0.2 s", false, "Zoom Begin must be prior before Zoom End."},
      {"0.0125 s", "", "", "0.1 s", "1 s", false, std::string("In Zoom End") + kEnd},
      {"", "x", "0.2 s", "y", "z", false, "In Part Begin: "}};  // the zoom is not read
  TMDIChildWave* w = Open(8000, 8000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    w->HideScroll();
    w->GetUnitWave()->SetCursor(100);
    sink.messages.clear();
    Apply({{d->editCursorAt, c.cursor}, {d->editPartBegin, c.begin}, {d->editPartEnd, c.end},
           {d->editZoomBegin, c.zoomBegin}, {d->editZoomEnd, c.zoomEnd}});
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text.substr(0, c.message.size()) + "|" + sink.messages[0].caption,
              c.message + "|Input Error");
    EXPECT_EQ(std::pair(w->GetUnitWave()->GetSelCursor(), w->IsZoomed() != 0), std::pair(100, c.zoomed));
  }
  w->SetScroll(10, 20);
  d->chkZoomed->setChecked(false);  // an unreadable part still leaves zoom
  Apply({{d->editPartBegin, "x"}});
  EXPECT_EQ(w->IsZoomed(), 0);
  d->CancelBtn->click();  // a failed Apply does not keep the dialog from closing
  EXPECT_FALSE(d->isVisible() || form->Action("SelectWave")->isChecked());
}

TEST_F(SelZoom, ReopensWhereItWasPlacedWhateverTheWindowManagerMakesOfIt) {
  Open(8000, 8000);
  QApplication::processEvents();
  const QPoint placed = d->frameGeometry().topLeft();
  MisplacingWindowManager windowManager(*d);
  for (int reopen = 0; reopen < 3; ++reopen) {
    d->close();  // the frame's close box, then Q opens it again
    QApplication::processEvents();
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form.get(), Qt::Key_Q);
    ASSERT_TRUE(d->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(d->frameGeometry().topLeft(), placed) << reopen;
  }
}

TEST_F(SelZoom, ShortcutsComeBackHoweverTheDialogCloses) {
  Open(8000, 8000);
  QAction* reverse = form->Action("Reverse");
  QSignalSpy fired(reverse, &QAction::triggered);
  const std::function<void()> closings[] = {[this] { d->CancelBtn->click(); },
                                            [this] { QTest::keyClick(d, Qt::Key_Escape); },
                                            [this] { d->close(); }};  // the frame's close box
  for (const auto& close : closings) {
    if (!d->isVisible()) QTest::keyClick(form.get(), Qt::Key_Q);
    ASSERT_TRUE(d->isVisible());
    QApplication::setActiveWindow(d);
    ASSERT_TRUE(form->DialogActive);
    close();
    ASSERT_FALSE(d->isVisible());
    reverse->setEnabled(true);  // as the idle update leaves it for this wave
    const int before = fired.count();
    QTest::keyClick(form.get(), Qt::Key_R);
    EXPECT_EQ(fired.count(), before + 1);
  }
}

TEST_F(SelZoom, FollowsTheActiveWindowAndEmptiesWhenTheLastOneCloses) {
  TMDIChildWave* first = Open(8000, 8000);
  first->GetUnitWave()->SetSelRange(800, 1600);
  TMDIChildWave* second = Open(16000, 8000);
  EXPECT_EQ(Text(d->editPartBegin), "");
  form->MdiArea()->setActiveSubWindow(first);
  QApplication::processEvents();
  EXPECT_EQ(Text(d->editPartBegin), "0.1 s");
  second->GetUnitWave()->SetSelRange(0, 8000);  // in the background: not shown
  EXPECT_EQ(Text(d->editPartEnd), "0.2 s");
  first->close();
  second->close();
  QApplication::processEvents();
  EXPECT_FALSE(d->OKBtn->isEnabled() || d->optCursor->isEnabled() || d->chkZoomed->isEnabled());
  EXPECT_TRUE(d->editPartBegin->text().isEmpty() && !d->optCursor->isChecked());
  d->ApplyBtnClick();  // nothing to apply to
}

// Undo swaps the sound and the selection in without a selection notice; what the user types in a
// field stays while the wave keeps what the dialog showed.
TEST_F(SelZoom, AfterUndoOfAPasteTheFieldsHoldTheSelectionTheWaveHasAgain) {
  TMDIChildWave* w = Open(8000, 8000);
  // Each key after the idle update of what came before, as a user's come.
  RunQueued();
  QApplication::setActiveWindow(form.get());
  QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier);
  RunQueued();
  QTest::keyClick(w->ClientArea(), Qt::Key_End);
  RunQueued();
  QTest::keyClick(form.get(), Qt::Key_V, Qt::ControlModifier);
  ASSERT_TRUE(ShowsTheTruth());
  ASSERT_EQ(Shown(), Fields(false, "", true, "1 s", "2 s", false, "", ""));
  RunQueued();
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(w->GetUnitWave()->GetValues(), 8000);
  EXPECT_TRUE(ShowsTheTruth()) << Shown();
  EXPECT_EQ(Shown(), Fields(true, "1 s", false, "", "", false, "", ""));

  QApplication::setActiveWindow(d);
  d->editCursorAt->clear();
  QTest::keyClicks(d->editCursorAt, "0.3 s");
  QApplication::setActiveWindow(form.get());  // and back to the wave, which repaints
  w->Redraw();
  RunQueued();
  EXPECT_EQ(Text(d->editCursorAt), "0.3 s");
  // A refused Zoom range stays as typed beside a part that the same Apply took.
  Apply({{d->editPartBegin, "0.1 s"}, {d->editPartEnd, "0.2 s"}, {d->editZoomBegin, "0.5 s"},
         {d->editZoomEnd, "0.4 s"}});
  w->ClientArea()->repaint();  // each paint of the window tells its zoom
  RunQueued();
  EXPECT_EQ(Shown(), Fields(false, "", true, "0.1 s", "0.2 s", true, "0.5 s", "0.4 s"));
  EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(SelZoom, ShowsWhatEveryOtherRoadLeavesInTheActiveWave) {
  const auto undo = [this] { ASSERT_TRUE(Command("Undo")); };
  const auto properties = [this] {
    const ScriptedDialogs rate([](TDialogForm& dialog) {
      dynamic_cast<TDlgWaveFileProp&>(dialog).lbSampleFreq->setCurrentRow(1);  // 11025 Hz
      Press(dialog, "OKBtn");
    });
    ASSERT_TRUE(Command("FileProperties"));
  };
  // Its activation tells the main window as a music window's does.
  class MusicChild : public TestChild {
   public:
    using TestChild::TestChild;
    void NotifyActivated() override { MainForm->NotifyActiveMuzChild(nullptr); }
  };
  bool musicGone = false;
  struct Road {
    const char* name;
    std::function<void(TMDIChildWave&)> before;
    std::function<void()> road;
  };
  const Road roads[] = {
      {"Undo of Trim",
       [this](TMDIChildWave& w) { w.GetUnitWave()->SetSelRange(2000, 4000), Command("EditTrim"); },
       undo},
      {"Undo of a zoomed Delete",
       [this](TMDIChildWave& w) {
         w.SetScroll(1000, 5000), w.GetUnitWave()->SetSelRange(2000, 3000), Command("EditDelete");
       },
       undo},
      {"Properties by 11025/8000",
       [](TMDIChildWave& w) { w.GetUnitWave()->SetSelRange(4001, 6001); }, properties},
      {"Undo of Properties",
       [&](TMDIChildWave& w) { w.GetUnitWave()->SetCursor(4001), properties(); }, undo},
      {"Split at the cursor", [](TMDIChildWave& w) { w.GetUnitWave()->SetCursor(4000); },
       [this] { ASSERT_TRUE(Command("SplitH")); }},
      {"Merge",
       [this](TMDIChildWave& w) { Open(800, 8000, "a"), w.GetUnitWave()->SetSelRange(10, 20); },
       [this] {
         const ScriptedDialogs choose([](TDialogForm& dialog) {
           auto boxes = dialog.findChildren<TWaveComboBox*>();
           boxes[0]->setCurrentIndex(boxes[0]->findText("a"));
           boxes[1]->setCurrentIndex(boxes[1]->findText("b"));
           Press(dialog, "OKBtn");
         });
         ASSERT_TRUE(Command("MergeH"));
       }},
      {"A music window", [](TMDIChildWave& w) { w.GetUnitWave()->SetSelRange(10, 20); },
       [&] {
         form->AddMDIChild(std::make_unique<MusicChild>(
                               std::make_unique<TestDocument>(kUnitKindMuz, &musicGone)),
                           "m");
       }}};
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    TMDIChildWave* w = Open(8000, 8000, "b");
    road.before(*w);
    form->MdiArea()->setActiveSubWindow(w);
    d->hide(), d->show();  // as Q twice: each road starts from what the dialog shows afresh
    ASSERT_TRUE(ShowsTheTruth());
    const std::string before = Shown();
    road.road();
    EXPECT_TRUE(ShowsTheTruth()) << Shown() << " / " << Truth();
    EXPECT_NE(Shown(), before);
    for (QMdiSubWindow* window : form->MdiArea()->subWindowList()) delete window;
  }
}

// Clicked on its button or pressed with Space, ticked already or not, an option ends ticked and
// the other one not; with no wave neither is.
TEST_F(SelZoom, ExactlyOneOfCursorAndPartIsTickedWhileAWaveIsActive) {
  TMDIChildWave* w = Open(8000, 8000);
  QApplication::setActiveWindow(d);
  const std::function<void(QRadioButton*)> ways[] = {
      [](QRadioButton* option) {
        QStyleOptionButton look;
        look.initFrom(option);
        const QRect button =
            option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &look, option);
        QTest::mouseClick(option, Qt::LeftButton, {}, button.center());
      },
      [](QRadioButton* option) {
        option->setFocus(Qt::TabFocusReason);
        QTest::keyClick(option, Qt::Key_Space);
      }};
  for (const auto& press : ways) {
    w->GetUnitWave()->SetCursor(0);
    d->editCursorAt->setText("0.5 s");
    for (QRadioButton* option :
         {d->optCursor, d->optPart, d->optPart, d->optCursor, d->optCursor}) {
      press(option);
      EXPECT_EQ(std::pair(d->optCursor->isChecked(), d->optPart->isChecked()),
                std::pair(option == d->optCursor, option == d->optPart));
    }
    sink.messages.clear();
    d->OKBtn->click();  // Cursor, as last pressed, and not the empty Part Begin
    EXPECT_EQ(std::pair(sink.messages.size(), w->GetUnitWave()->GetSelCursor()),
              std::pair(size_t{0}, 4000));
  }
  ways[1](d->optPart);
  delete w;
  EXPECT_TRUE(QTest::qWaitFor(
      [this] { return !d->optCursor->isChecked() && !d->optPart->isChecked(); }, 10000));
}

// Two boxes from one Apply, each answered with Enter; the window manager activates each box as it
// opens and, as it closes, the window the box belongs to. The keys then stay in the dialog, where
// the focus was.
TEST_F(SelZoom, AfterTheBoxesOfOneApplyTheKeysStayInTheDialog) {
  TMDIChildWave* w = Open(8000, 8000);
  RunQueued();
  QApplication::setActiveWindow(form.get());
  for (auto [key, modifiers] : {std::pair(Qt::Key_Home, Qt::NoModifier),
                                std::pair(Qt::Key_End, Qt::ShiftModifier),
                                std::pair(Qt::Key_Z, Qt::NoModifier)}) {
    QTest::keyClick(w->ClientArea(), key, modifiers);
    RunQueued();  // the idle update enables the next command
  }
  d->hide(), d->show();  // as Q twice
  ASSERT_EQ(Shown(), Fields(false, "", true, "0 s", "1 s", true, "0 s", "1 s"));
  BoxesAnsweredWithReturn boxes(form.get());
  struct Press {
    const char* name;
    QWidget* focus;
    std::function<void()> apply;
  };
  const Press presses[] = {
      {"Enter in Part End", d->editPartEnd,
       [this] { QTest::keyClick(d->editPartEnd, Qt::Key_Return); }},
      {"a click on Apply", d->OKBtn, [this] { QTest::mouseClick(d->OKBtn, Qt::LeftButton); }}};
  for (const Press& press : presses) {
    SCOPED_TRACE(press.name);
    QApplication::setActiveWindow(d);
    press.focus->setFocus(Qt::TabFocusReason);
    d->editPartEnd->end(false);
    boxes.texts.clear();
    press.apply();
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"In Part End: " + std::string(kSelZoomBeforeEnd),
                                               "In Zoom End: " + std::string(kSelZoomBeforeEnd)}));
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == d; }, 10000));
    RunQueued();
    EXPECT_EQ(std::pair(QApplication::activeWindow(), QApplication::focusWidget()),
              (std::pair<QWidget*, QWidget*>(d, press.focus)));
    EXPECT_TRUE(form->DialogActive);
    // The next key goes where the focus is: Home moves the field's text cursor, never the wave's.
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Home);
    EXPECT_EQ(d->editPartEnd->cursorPosition() == 0, press.focus == d->editPartEnd);
    EXPECT_NE(w->GetUnitWave()->GetSelCursor(), w->GetUnitWave()->GetSelAnchor());
  }
  // A box over the main window leaves the keys with the main window.
  form->activateWindow();
  ASSERT_TRUE(
      QTest::qWaitFor([this] { return QApplication::activeWindow() == form.get(); }, 10000));
  MessageReporter::ShowInputError(kSelZoomPartOrder);
  RunQueued();
  EXPECT_EQ(QApplication::activeWindow(), form.get());
}

// Where the window keeps the zoom it had, no notice of a change refreshes the fields: Apply shows
// the window's zoom itself, not the times typed.
TEST_F(SelZoom, ApplyShowsTheZoomAsTheWindowTookIt) {
  TMDIChildWave* w = Open(16000, 8000);  // 400 pixels wide
  struct Case {
    bool zoomed;
    const char *begin, *end;
    const char* took;  // the zoom's Begin and End afterwards; null: as they were before
  };
  const Case cases[] = {{true, "0.250125 s", "0.500125 s", nullptr},  // a sample later, the same pixel
                        // Under a sample, Begin and End nearest to the same sample: the whole sound;
                        {false, "0.0001 s", "0.00011 s", nullptr},
                        // nearest to two samples, 0.56 of a sample from the start: the first sample.
                        {false, "0 s", "0.00007 s", "0 s 0.000125 s"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.begin);
    if (c.zoomed) w->SetScroll(2000, 4000); else w->HideScroll();
    ASSERT_TRUE(ShowsTheTruth());
    const std::string before = Shown();
    Apply({{d->editZoomBegin, c.begin}, {d->editZoomEnd, c.end}});
    EXPECT_EQ(Shown(), Truth());
    if (c.took == nullptr) {
      EXPECT_EQ(Shown(), before);
    } else {
      EXPECT_EQ(Text(d->editZoomBegin) + " " + Text(d->editZoomEnd), c.took);
    }
  }
  EXPECT_TRUE(sink.messages.empty());
}

}  // namespace

// Enter on a focused Close closes without applying; in a field it applies and the dialog stays.
TEST_F(SelZoom, EnterPressesTheFocusedCloseAndAppliesFromAField) {
  const std::pair<bool, int32_t> cases[] = {{true, 0}, {false, 8000}};  // Close focused, cursor after
  for (auto [onClose, cursor] : cases) {
    SCOPED_TRACE(onClose);
    TMDIChildWave* w = Open(16000, 8000);
    QApplication::setActiveWindow(d);
    d->editCursorAt->setText("1 s");
    QWidget* target = onClose ? static_cast<QWidget*>(d->CancelBtn) : d->editCursorAt;
    target->setFocus(Qt::TabFocusReason);
    QTest::keyClick(target, Qt::Key_Return);
    EXPECT_EQ(std::pair(d->isVisible(), w->GetUnitWave()->GetSelCursor()), std::pair(!onClose, cursor));
    delete w;
  }
}
