// Exit and the main window's close ask each changed document in turn: every question shows over
// the document that its Yes saves and its No drops, in sight, and a close from the window system
// while they show is refused.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QWindow>
#include <filesystem>
#include <functional>

#include "app/wavewindow/ChildWave.h"
#include "gui/application.h"
#include "muzwindow_fixture.h"
#include "support/event_loop.h"
#include "wave/props.h"
#include "wave/unitwave.h"

namespace {

class MainClose : public MuzWindowTest {
 protected:
  // What the user sees while a question is up.
  struct Shown {
    std::string nameBox, title;
    bool operator==(const Shown&) const = default;
  };
  friend void PrintTo(const Shown& shown, std::ostream* os) {
    *os << '"' << shown.nameBox << "\" / \"" << shown.title << '"';
  }

  Shown Showing() const {
    const TMDIChildKorvalen* active = form->GetActiveMDIChild();
    const std::string title = active ? active->windowTitle().toStdString() : std::string();
    return {form->EditName()->text().toStdString(),
            active && active->isMaximized() ? form->windowTitle().toStdString() : title};
  }
  Shown ShownFor(const TMDIChildKorvalen& window, bool maximised) const {
    const std::string title = window.windowTitle().toStdString();
    return {window.GetUnit()->GetName(),
            maximised ? formTitle + " - [" + title + "]" : title};
  }

  TMDIChildKorvalen* OpenChangedWave() {
    auto unit = std::make_unique<TUnitWave>("", waveFileProps(1, 22050, 2));
    unit->SetName("changed");
    EXPECT_TRUE(unit->MakeSinus(TSinusProps{}));
    return form->CreateMDIChildWave("changed", std::move(unit), form->WaveViewDefaults,
                                    form->VoldViewDefaults);
  }
  void OpenUnchangedWaveFile() {
    const std::string path = scratch + "/quiet.wav";
    TUnitWave quiet("", waveFileProps(1, 22050, 2));
    EXPECT_TRUE(quiet.MakeSinus(TSinusProps{}) && quiet.SaveToFile(path, false));
    EXPECT_TRUE(form->OpenWaveFile(path));
  }
  TMDIChildKorvalen* NewMusic() {
    Trigger("FileNewMuz");
    return form->GetActiveMDIChild();
  }

  std::string formTitle;

  // The close a window manager sends to the main window (its close box, a task bar's Close), as
  // the desktop hands it to the window's handle; answers whether the window took it. The
  // desktop's own refusal under a modal box is left out: it lets the close through to a window
  // that is closing already, so the program cannot count on it.
  bool CloseFromOutside() {
    QCloseEvent close;
    QCoreApplication::sendEvent(form->windowHandle(), &close);
    return close.isAccepted();
  }

  // Changed documents created in the order "last" (a wave), "score" (new music), "first" (a
  // wave), then activated in that order, so that the front one is "first".
  struct Three {
    TMDIChildKorvalen *last, *music, *first;
  };
  Three OpenThreeChanged() {
    Three three{OpenChangedWave(), NewMusic(), OpenChangedWave()};
    three.last->GetUnit()->SetName("last");
    three.music->GetUnit()->SetName("score");
    three.first->GetUnit()->SetName("first");
    for (TMDIChildKorvalen* child : {three.last, three.music, three.first}) {
      form->MdiArea()->setActiveSubWindow(child);
    }
    RunQueued();
    return three;
  }
  std::string ActiveName() const {
    const TMDIChildKorvalen* active = form->GetActiveMDIChild();
    return active && active->GetUnit() ? active->GetUnit()->GetName() : std::string();
  }
};

// Real boxes and file dialogs, shown over the main window and activated as a window manager does,
// each answered by `answer` while it shows; the window manager then gives the activation back.
class DialogsAnswered {
 public:
  DialogsAnswered(QWidget* owner, std::function<int(QDialog&)> answer)
      : screen_(owner), previous_(SetMessageSink(&screen_)), runner_([answer](QDialog& dialog) {
          dialog.show();
          dialog.activateWindow();
          EXPECT_TRUE(
              QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }, 10000));
          const int result = answer(dialog);
          dialog.hide();
          if (dialog.parentWidget() != nullptr) dialog.parentWidget()->activateWindow();
          return result;
        }) {}
  ~DialogsAnswered() { SetMessageSink(previous_); }
  DialogsAnswered(const DialogsAnswered&) = delete;
  DialogsAnswered& operator=(const DialogsAnswered&) = delete;

 private:
  QtMessageSink screen_;
  MessageSink* previous_;
  ScopedModalRunner runner_;
};

int Press(QDialog& dialog, QMessageBox::StandardButton button) {
  auto& box = dynamic_cast<QMessageBox&>(dialog);
  box.button(button)->click();
  return box.result();
}

TEST_F(MainClose, EachQuestionShowsOverTheDocumentItsAnswerSavesOrDrops) {
  struct Case {
    bool unchangedFirst, exitCommand, maximised;
    int musicAnswer;  // the wave gets the other answer
  };
  const Case cases[] = {
      {false, true, false, kIdYes},  {true, true, false, kIdNo},
      {false, false, false, kIdNo},  {true, false, false, kIdYes},
      {false, true, true, kIdYes},   {true, false, true, kIdNo},
  };
  formTitle = form->windowTitle().toStdString();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "unchanged first " << c.unchangedFirst << ", Exit "
                                    << c.exitCommand << ", maximised " << c.maximised);
    form->show();
    for (const char* leaf : {"/kept.wav", "/kept.kvm"}) std::filesystem::remove(scratch + leaf);
    if (c.unchangedFirst) OpenUnchangedWaveFile();
    TMDIChildKorvalen* wave = OpenChangedWave();
    TMDIChildKorvalen* music = NewMusic();
    if (!c.unchangedFirst) OpenUnchangedWaveFile();
    ASSERT_TRUE(wave && music && form->MDIChildren().size() == 3);
    // Names of their own, so that the name box tells every document from the others; activated
    // again in the order they came, the last one opened is in front.
    music->GetUnit()->SetName("score");
    for (TMDIChildKorvalen* child : form->MDIChildren()) {
      if (child->GetUnit()->GetName().empty()) child->GetUnit()->SetName("quiet");
      form->MdiArea()->setActiveSubWindow(child);
    }
    if (c.maximised) form->GetActiveMDIChild()->showMaximized();
    QApplication::processEvents();
    // Front first: the music, then the changed wave; the unchanged one asks nothing.
    const std::vector<Shown> expected{ShownFor(*music, c.maximised),
                                      ShownFor(*wave, c.maximised)};

    std::vector<Shown> shown;
    sink.replies = {c.musicAnswer, c.musicAnswer == kIdYes ? kIdNo : kIdYes};
    sink.whileShown = [&] { shown.push_back(Showing()); };
    ScopedModalRunner saveAs([this](QDialog& dialog) {
      dynamic_cast<QFileDialog&>(dialog).findChild<QLineEdit*>("fileNameEdit")->setText(
          QString::fromStdString(scratch + "/kept"));
      return int(QDialog::Accepted);
    });
    if (c.exitCommand) {
      Trigger("FileExit");
    } else {
      form->close();
    }
    sink.whileShown = nullptr;

    EXPECT_EQ(std::pair(shown, form->MDIChildren().size()), std::pair(expected, size_t{0}));
    // The file dialog adds the extension of the kind it saves.
    EXPECT_EQ(std::pair(std::filesystem::exists(scratch + "/kept.kvm"),
                        std::filesystem::exists(scratch + "/kept.wav")),
              std::pair(c.musicAnswer == kIdYes, c.musicAnswer != kIdYes));
    for (TMDIChildKorvalen* left : form->MDIChildren()) delete left;
  }
}

TEST_F(MainClose, ACloseFromTheWindowSystemWhileExitAsksIsRefusedAndEveryDocumentIsStillAsked) {
  enum Road { kExit, kCloseFromOutside, kClose };
  struct Case {
    Road road;
    bool duringSaveAs;  // else during the first question
  };
  const Case cases[] = {{kExit, false}, {kExit, true}, {kCloseFromOutside, false},
                        {kCloseFromOutside, true}, {kClose, false}};
  QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "road " << c.road << ", during Save As " << c.duringSaveAs);
    std::filesystem::remove(scratch + "/kept.wav");
    const Three three = OpenThreeChanged();
    std::vector<std::string> asked;
    std::vector<bool> outsideTaken;
    // "first": Yes and a Save As, or No; "score": No; "last": Cancel, so that Exit stops there.
    DialogsAnswered dialogs(form.get(), [&](QDialog& dialog) {
      if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
        files->findChild<QLineEdit*>("fileNameEdit")
            ->setText(QString::fromStdString(scratch + "/kept"));
        if (c.duringSaveAs) outsideTaken.push_back(CloseFromOutside());
        return int(QDialog::Accepted);
      }
      asked.push_back(ActiveName());
      if (asked.size() == 1) {
        if (c.duringSaveAs) return Press(dialog, QMessageBox::Yes);
        outsideTaken.push_back(CloseFromOutside());
      }
      return Press(dialog, asked.size() < 3 ? QMessageBox::No : QMessageBox::Cancel);
    });
    bool closed = false;
    if (c.road == kExit) {
      Trigger("FileExit");
    } else {
      closed = c.road == kClose ? form->close() : CloseFromOutside();
    }

    EXPECT_EQ(asked, (std::vector<std::string>{"first", "score", "last"}));
    EXPECT_EQ(outsideTaken, std::vector<bool>{false});
    EXPECT_FALSE(closed);
    EXPECT_TRUE(form->isVisible() && form->windowHandle() && form->windowHandle()->handle());
    EXPECT_EQ(lastClosed.count(), 0);
    EXPECT_EQ(form->MDIChildren(), std::vector<TMDIChildKorvalen*>{three.last});
    EXPECT_EQ(std::filesystem::exists(scratch + "/kept.wav"), c.duringSaveAs);
    sink.replies.assign(4, kIdNo);
    for (TMDIChildKorvalen* left : form->MDIChildren()) delete left;
  }
}

// What the user sees while a close question shows.
struct Seen {
  std::string active;
  bool mainMinimised, askedMinimised, inView;
  bool operator==(const Seen&) const = default;
};
void PrintTo(const Seen& seen, std::ostream* os) {
  *os << seen.active << (seen.mainMinimised ? ", main minimised" : "")
      << (seen.askedMinimised ? ", asked minimised" : "") << (seen.inView ? "" : ", out of view");
}

TEST_F(MainClose, EachQuestionShowsItsDocumentInSightAndCancelLeavesThatDocumentActive) {
  enum Layout { kMainMinimised, kAllMinimised, kTiledSideBySideNarrowed, kTiledStackedLowered };
  enum Road { kExit, kCloseFromOutside, kMusicClosesItself };
  form->resize(760, 700);
  RunQueued();
  for (const Layout layout :
       {kMainMinimised, kAllMinimised, kTiledSideBySideNarrowed, kTiledStackedLowered}) {
    for (const Road road : {kExit, kCloseFromOutside, kMusicClosesItself}) {
      SCOPED_TRACE(testing::Message() << "layout " << layout << ", road " << road);
      form->showNormal();
      form->resize(760, 700);
      RunQueued();
      const Three three = OpenThreeChanged();
      switch (layout) {
        case kMainMinimised:
          form->showMinimized();
          break;
        case kAllMinimised:
          Trigger("WindowMinimizeAll");
          // The icons in the order the windows had, "first" in front.
          for (TMDIChildKorvalen* child : {three.last, three.music, three.first}) child->raise();
          break;
        // Tiled in a larger main window, then narrowed or lowered; each tile still fits the
        // frame, with the tool bars wrapped and the scroll bars shown.
        case kTiledSideBySideNarrowed:
          form->resize(760, 560);
          RunQueued();
          Trigger("WindowTileVertical");
          form->resize(420, 700);
          break;
        case kTiledStackedLowered:
          form->resize(700, 700);
          RunQueued();
          Trigger("WindowTileHorizontal");
          form->resize(760, 480);
          break;
      }
      RunQueued();
      if (layout >= kTiledSideBySideNarrowed) {
        // The layout reaches beyond the frame, "first" (created last) out of sight.
        ASSERT_FALSE(form->MdiArea()->viewport()->rect().intersects(three.first->geometry()));
      }
      std::vector<Seen> seen;
      DialogsAnswered dialogs(form.get(), [&](QDialog& dialog) {
        const TMDIChildKorvalen* active = form->GetActiveMDIChild();
        const QRect room = form->MdiArea()->viewport()->rect();
        seen.push_back({ActiveName(), form->isMinimized(), active && active->isMinimized(),
                        active && room.contains(active->geometry())});
        return Press(dialog, ActiveName() == "score" ? QMessageBox::Cancel : QMessageBox::No);
      });
      if (road == kExit) {
        Trigger("FileExit");
      } else if (road == kCloseFromOutside) {
        CloseFromOutside();
      } else {
        three.music->close();
      }
      ASSERT_TRUE(
          QTest::qWaitFor([&] { return QApplication::activeWindow() == form.get(); }, 10000));
      RunQueued();

      std::vector<Seen> expected{{"score", false, false, true}};
      if (road != kMusicClosesItself) {
        expected.insert(expected.begin(), {"first", false, false, true});
      }
      EXPECT_EQ(seen, expected);
      EXPECT_EQ(ActiveName(), "score");
      EXPECT_EQ(std::pair(form->ToolBar("ToolBarMusic1")->isVisible(),
                          form->ToolBar("ToolBarWave1")->isVisible()),
                std::pair(true, false));
      EXPECT_EQ(form->EditName()->text().toStdString(), "score");
      sink.replies.assign(4, kIdNo);
      for (TMDIChildKorvalen* left : form->MDIChildren()) delete left;
    }
  }
}

}  // namespace
