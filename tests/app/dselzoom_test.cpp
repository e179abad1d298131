// The Select and Zoom dialog: what it shows of the active wave window, Apply with typed times and
// its first error, and the notices as windows become active or close.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <functional>

#include "app/wavewindow/ChildWave.h"
#include "app/DSelZoom.h"
#include "app/fakes/main_window.h"
#include "support/captions.h"
#include "support/layout_check.h"
#include "support/misplacing_wm.h"
#include "support/recording_sink.h"

namespace {

class SelZoom : public MainWindowTest {
 protected:
  SelZoom() : MainWindowTest("selzoom") {}
  TMDIChildWave* Open(int32_t values, int32_t rate) {
    bool abort = false;
    WavePtr w = NewWaveChecked(abort, values);
    std::fill(w->wave, w->wave + values, int16_t{0});
    auto unit = std::make_unique<TUnitWave>("", std::make_unique<MonoSound>(std::move(w), rate, 2));
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
