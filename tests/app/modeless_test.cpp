// The modeless dialogs of the main window: built once on first use, shown and hidden by their
// commands with the check mark following, closed notices, and the notices of the active window.
#include "app/ModelessDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QMdiArea>
#include <QTest>
#include <string>
#include <vector>

#include "app/ChildWave.h"
#include "app/Main.h"
#include "app/MainRegistry.h"
#include "app/fakes/main_window.h"
#include "foundation/assertion.h"
#include "wave/unitwave.h"

namespace {

// A stand-in for any of the three dialogs: it records the notices and, as the real ones do, hides
// on close and tells the main window through the access function of its kind.
class StandInDialog : public QDialog, public SelZoomNotices, public MusicNotices {
 public:
  StandInDialog(QWidget* owner, void (*closed)()) : QDialog(owner), closed_(closed) { ++built; }
  void ShowChild(TMDIChildWave* window) override { Record("show", window); }
  void SelectionChanged(TMDIChildWave* window) override { Record("selection", window); }
  void ZoomChanged(TMDIChildWave* window) override { Record("zoom", window); }
  void SetUnitMuz(TMDIChildMuz* window) override { Record("muz", window); }
  void RefreshStave(TNoteStave* stave) override { Record("stave", stave); }

  static inline int built = 0;
  std::vector<std::string> heard;

 protected:
  void closeEvent(QCloseEvent* event) override {
    closed_();
    QDialog::closeEvent(event);
  }

 private:
  void Record(const char* what, const void* target) {
    heard.push_back(std::string(what) + (target != nullptr ? "(window)" : "(none)"));
  }
  void (*closed_)();
};

class ModelessDialogs : public MainWindowTest {
 protected:
  ModelessDialogs() : MainWindowTest("modeless") {}
  void SetUp() override {
    MainWindowTest::SetUp();
    StandInDialog::built = 0;
    form->DlgSelZoom.SetFactory(
        [](QWidget* owner) { return new StandInDialog(owner, MainDlgSelZoomClosed); });
    form->DlgMusic.SetFactory(
        [](QWidget* owner) { return new StandInDialog(owner, MainDlgMusicClosed); });
    form->DlgMusTree.SetFactory(
        [](QWidget* owner) { return new StandInDialog(owner, MainDlgMusTreeClosed); });
  }
  StandInDialog* Shown(const ModelessToggle& dialog) {
    return static_cast<StandInDialog*>(dialog.Widget());
  }
};

}  // namespace

TEST_F(ModelessDialogs, EachCommandBuildsItsDialogOnceAndTheCheckMarkFollowsShowAndHide) {
  const std::pair<const char*, const ModelessToggle*> cases[] = {
      {"SelectWave", &form->DlgSelZoom},
      {"MusicDialog", &form->DlgMusic},
      {"MusicParts", &form->DlgMusTree}};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].first);
    QAction* action = form->Action(cases[i].first);
    const ModelessToggle& dialog = *cases[i].second;
    EXPECT_FALSE(dialog.Exists());
    action->trigger();
    ASSERT_TRUE(dialog.Visible());
    EXPECT_TRUE(action->isChecked());
    EXPECT_EQ(dialog.Widget()->parentWidget(), form.get());
    QWidget* first = dialog.Widget();
    action->trigger();  // hides, through the dialog's own close and its notice
    EXPECT_TRUE(dialog.Exists());
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(action->isChecked());
    action->trigger();
    EXPECT_EQ(dialog.Widget(), first);
    EXPECT_TRUE(action->isChecked());
    // Closed by its own close box: the notice takes the check mark away.
    dialog.Widget()->close();
    EXPECT_FALSE(action->isChecked());
    EXPECT_EQ(StandInDialog::built, static_cast<int>(i) + 1);
  }
}

TEST_F(ModelessDialogs, QKeyOpensAndHidesSelectAndZoom) {
  QTest::keyClick(form.get(), Qt::Key_Q);
  EXPECT_TRUE(form->DlgSelZoom.Visible());
  EXPECT_TRUE(form->Action("SelectWave")->isChecked());
  QApplication::setActiveWindow(form.get());
  QTest::keyClick(form.get(), Qt::Key_Q);
  EXPECT_FALSE(form->DlgSelZoom.Visible());
  EXPECT_FALSE(form->Action("SelectWave")->isChecked());
}

TEST_F(ModelessDialogs, ADialogThatCannotBeBuiltLeavesItsCommandUnchecked) {
  ModelessDialog<SelZoomNotices> unbuildable;
  EXPECT_FALSE(unbuildable.Toggle(form.get()));
  EXPECT_FALSE(unbuildable.Exists());
  EXPECT_EQ(unbuildable.Get(), nullptr);
}

TEST_F(ModelessDialogs, ClosedNoticeOfADialogNeverBuiltIsATrap) {
  const std::pair<void (*)(), const char*> notices[] = {
      {MainDlgSelZoomClosed, "DlgSelZoom != NULL"},
      {MainDlgMusicClosed, "DlgMusic != NULL"},
      {MainDlgMusTreeClosed, "DlgMusTree != NULL"}};
  for (const auto& [notice, expression] : notices) {
    SCOPED_TRACE(expression);
    try {
      notice();
      ADD_FAILURE() << "the notice must trap";
    } catch (const AssertionFailure& trap) {
      EXPECT_EQ(trap.expression, expression);
      EXPECT_EQ(trap.unit, "Main");
    }
  }
}

TEST_F(ModelessDialogs, NoticesReachOnlyTheDialogsThatExistAndEmptyTheOtherKind) {
  form->NotifyActiveWaveChild(nullptr);  // nothing built: nobody hears, nothing breaks
  form->Action("SelectWave")->trigger();
  form->Action("MusicDialog")->trigger();
  form->Action("MusicParts")->trigger();
  TMDIChildWave* window = form->CreateMDIChildWave(
      "w", std::make_unique<TUnitWave>("w", waveFileProps(1, 22050, 2)), form->WaveViewDefaults,
      form->VoldViewDefaults);
  for (StandInDialog* dialog :
       {Shown(form->DlgSelZoom), Shown(form->DlgMusic), Shown(form->DlgMusTree)}) {
    dialog->heard.clear();  // what the new window's activation and paints told them
  }
  // Tags that the stand-ins only record, never use: the music side has no windows yet.
  auto* muz = reinterpret_cast<TMDIChildMuz*>(form.get());
  auto* stave = reinterpret_cast<TNoteStave*>(form.get());
  form->NotifyActiveWaveChild(window);
  form->NotifyZoomChanged(window);
  form->NotifyActiveMuzChild(muz);
  window->GetUnitWave()->SetCursor(0);  // the document's selection notice
  form->NotifyStaveChanged(stave);
  form->MdiArea()->setActiveSubWindow(nullptr);
  form->NotifyZoomChanged(window);  // no longer the active wave window: not passed on
  EXPECT_EQ(Shown(form->DlgSelZoom)->heard,
            (std::vector<std::string>{"show(window)", "zoom(window)", "show(none)",
                                      "selection(window)"}));
  EXPECT_EQ(Shown(form->DlgMusic)->heard,
            (std::vector<std::string>{"muz(none)", "muz(window)", "stave(window)"}));
  EXPECT_EQ(Shown(form->DlgMusTree)->heard,
            (std::vector<std::string>{"muz(none)", "muz(window)"}));
}
