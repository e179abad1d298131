// The music dialog: its three levels of chains, the fields committed on leaving them, the
// immediate controls, deleting what the selection points into, and playing through the main window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <functional>
#include <tuple>

#include "app/dialogs/WaveComboBox.h"
#include "audio/audio_support.h"
#include "gui/controls.h"
#include "gui/helpwindow.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "musicui/DMusTree.h"
#include "musicui/DMusic.h"
#include "muzwindow_fixture.h"
#include "support/layout_check.h"
#include "support/misplacing_wm.h"
#include "support/recording_sink.h"
#include "wave/unitwave.h"

namespace {

class MusicDialog : public MuzWindowTest {
 protected:
  void SetUp() override {
    MuzWindowTest::SetUp();
    InstallMusicDialog(*form);
  }
  // A window for a new score of `staves` staves, shown in the dialog.
  TUnitMuz* Show(int staves) {
    window = Open(NewScore(staves));
    form->MusicDialogExecute();
    d = dynamic_cast<TDlgMusic*>(form->DlgMusic.Get());
    d->SetUnitMuz(window);
    unit = window->GetUnitMuz();
    unit->SetSaved();
    return unit;
  }
  std::string Cursor(QLineEdit* count, QLineEdit* cursor) const {
    return (count->text() + "/" + cursor->text()).toStdString();
  }
  // Types into a field and leaves it with the Tab key.
  void Type(QWidget* field, const char* text) {
    QApplication::setActiveWindow(d);
    field->setFocus(Qt::OtherFocusReason);
    if (auto* combo = qobject_cast<QComboBox*>(field)) {
      combo->setEditText(text);
    } else {
      static_cast<QLineEdit*>(field)->setText(text);
    }
    d->btnClose->setFocus(Qt::TabFocusReason);
  }
  TOnePlayer* Player() const { return d->GetCurPlayer(); }

  TMDIChildMuz* window = nullptr;
  TDlgMusic* d = nullptr;
  TUnitMuz* unit = nullptr;
  RecordingSink sink;
};

// The same script runs on each level: append twice, insert, move, navigate and delete, checking
// Count, Cursor, the order of the chain and the enabled buttons.
TEST_F(MusicDialog, EachLevelInsertsMovesNavigatesAndDeletesInItsChain) {
  Show(1);
  struct Level {
    const char* name;
    QPushButton *first, *prev, *next, *last, *insert, *append, *del, *back, *on;
    QLineEdit *count, *cursor;
    std::function<void*()> current, head;
  };
  const Level levels[] = {
      {"stave", d->btnStaveFirst, d->btnStavePrev, d->btnStaveNext, d->btnStaveLast, d->btnStaveInsert,
       d->btnStaveAppend, d->btnStaveDelete, d->btnStaveMovePrev, d->btnStaveMoveNext, d->editStaveCount,
       d->editStaveCursor, [&] { return d->GetCurStave(); }, [&] { return d->GetFirstStave(); }},
      {"group", d->btnGroupFirst, d->btnGroupPrev, d->btnGroupNext, d->btnGroupLast, d->btnGroupInsert,
       d->btnGroupAppend, d->btnGroupDelete, d->btnGroupMovePrev, d->btnGroupMoveNext, d->editGroupCount,
       d->editGroupCursor, [&] { return d->GetCurGroup(); }, [&] { return d->GetFirstGroup(); }},
      {"player", d->btnPlayFirst, d->btnPlayPrev, d->btnPlayNext, d->btnPlayLast, d->btnPlayInsert,
       d->btnPlayAppend, d->btnPlayDelete, d->btnPlayMovePrev, d->btnPlayMoveNext, d->editPlayCount,
       d->editPlayCursor, [&] { return d->GetCurPlayer(); }, [&] { return d->GetFirstPlayer(); }},
  };
  for (const Level& l : levels) {
    SCOPED_TRACE(l.name);
    const auto enabled = [&] {
      std::string bits;
      for (QPushButton* b : {l.first, l.prev, l.next, l.last, l.insert, l.append, l.del, l.back, l.on})
        bits += b->isEnabled() ? '1' : '0';
      return bits;
    };
    EXPECT_EQ(Cursor(l.count, l.cursor), "1/1");
    EXPECT_EQ(enabled(), "000011000");
    void* a = l.current();
    l.append->click();
    void* c = l.current();
    l.insert->click();  // before c, after a
    void* b = l.current();
    EXPECT_EQ(Cursor(l.count, l.cursor), "3/2");
    EXPECT_EQ(enabled(), "111111111");
    l.back->click();  // b a c
    EXPECT_EQ(l.head(), b);
    EXPECT_EQ(l.cursor->text().toStdString(), "1");
    EXPECT_EQ(enabled(), "001111101");
    l.on->click();
    l.on->click();  // a c b
    EXPECT_EQ(l.cursor->text().toStdString(), "3");
    EXPECT_EQ(l.current(), b);
    l.first->click();
    void* afterFirst = l.current();
    l.next->click();
    void* afterNext = l.current();
    l.last->click();
    void* afterLast = l.current();
    l.prev->click();
    EXPECT_EQ(std::make_tuple(afterFirst, afterNext, afterLast, l.current()), std::make_tuple(a, c, b, c));
    l.last->click();
    l.del->click();  // the last goes: the one before it becomes current
    EXPECT_EQ(Cursor(l.count, l.cursor), "2/2");
    l.first->click();
    l.del->click();  // the first goes: its next becomes current
    EXPECT_EQ(Cursor(l.count, l.cursor), "1/1");
    EXPECT_EQ(l.current(), c);
    EXPECT_TRUE(unit->NeedsSave());
    unit->SetSaved();
  }
}

// Each text field with a good text, a wrong one (reported, value kept, focus back) and for the
// sample waves an empty one.
TEST_F(MusicDialog, TextFieldsCommitOnLeavingAndReportAWrongTextOnce) {
  Show(1);
  const auto props = [&] { return Player()->GetOnePlayerProps(); };
  struct Case {
    QWidget* field;
    int page;  // -1: not on a page
    const char* text;
    std::function<double()> value;
    double expected;  // for a wrong text, the value before
    const char* message;  // null: accepted
  };
  const Case cases[] = {
      {d->editTempo, -1, "0.5 s", [&] { return unit->GetTempo().GetValue(); }, 0.5, nullptr},
      {d->editTempo, -1, "0 s", [&] { return unit->GetTempo().GetValue(); }, 0.5, "In Tempo: "},
      {d->editStaveRoomUp, -1, "45", [&] { return d->GetCurStave()->GetRoomUp().GetValue(); }, 45, nullptr},
      {d->editStaveRoomUp, -1, "20", [&] { return d->GetCurStave()->GetRoomUp().GetValue(); }, 45, "In Room Up: "},
      {d->editStaveRoomDown, -1, "x", [&] { return d->GetCurStave()->GetRoomDown().GetValue(); }, 80,
       "In Room Down: "},
      {d->editPlayFreqUp, -1, "-100 Hz", [&] { return Player()->FreqUp().GetValue(); }, -100, nullptr},
      {d->editPlayFreqUp, -1, "Hz", [&] { return Player()->FreqUp().GetValue(); }, -100, "In Freq Up: "},
      {d->editPlaySOSBasicFreq, 0, "2 ms", [&] { return props().SimpleSampler.BasicFreq.GetValue(); }, 0.002,
       nullptr},
      {d->editPlaySOSBasicFreq, 0, "-1 s", [&] { return props().SimpleSampler.BasicFreq.GetValue(); }, 0.002,
       "In Basic Frequency: "},
      {d->editPlayRSResonantFactor, 1, "20 %", [&] { return props().ResonantSampler.ResFactor.GetValue(); }, 0.2,
       nullptr},
      {d->editPlayRSResonantFactor, 1, "1.5", [&] { return props().ResonantSampler.ResFactor.GetValue(); }, 0.2,
       "In Resonant Factor: "},
      {d->editPlayROSBasicFreq, 3, "500 Hz", [&] { return props().RollOutSampler.BasicFreq.GetValue(); }, 0.002,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    sink.messages.clear();
    if (c.page >= 0) d->pcPlay->setCurrentIndex(c.page);
    unit->SetSaved();
    Type(c.field, c.text);
    EXPECT_NEAR(c.value(), c.expected, 1e-6);
    EXPECT_EQ(unit->NeedsSave(), c.message == nullptr);
    ASSERT_EQ(sink.messages.size(), c.message ? 1u : 0u);
    if (c.message == nullptr) continue;
    EXPECT_EQ(sink.messages[0].text.rfind(c.message, 0), 0u) << sink.messages[0].text;
    // Reported under its caption, with the focus and the wrong text left in the field.
    EXPECT_EQ(std::tuple(sink.messages[0].caption, d->focusWidget(), static_cast<QLineEdit*>(c.field)->text()),
              std::tuple(std::string("Input Error"), static_cast<QWidget*>(c.field), QString(c.text)));
    d->btnApply->click();  // nothing changed since: no second report
    EXPECT_EQ(sink.messages.size(), 1u);
  }
  // The sample waves of all five pages, each stored for its own kind.
  TWaveComboBox* combos[] = {d->cboPlaySOSSampleWave, d->cboPlayRSSampleWave, d->cboPlayRWFSampleWave,
                             d->cboPlayROSSampleWave, d->cboPlayROWFSampleWave};
  for (int page = 0; page < 5; ++page) {
    SCOPED_TRACE(page);
    sink.messages.clear();
    d->pcPlay->setCurrentIndex(page);
    Type(combos[page], " \tflute\n");
    const TOnePlayerProps p = props();
    const unitUnitWave* waves[] = {&p.SimpleSampler.SampleWave, &p.ResonantSampler.SampleWave,
                                   &p.RepeatWaveForm.SampleWave, &p.RollOutSampler.SampleWave,
                                   &p.RollOutWaveForm.SampleWave};
    EXPECT_EQ(waves[page]->GetName(), "flute");
    EXPECT_EQ(p.NotePlayerKind, page);
    Type(combos[page], "  ");
    EXPECT_EQ(props().NotePlayerKind, page);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "In Sample Wave: Field should not be empty.");
    EXPECT_EQ(d->focusWidget(), combos[page]);
  }
  // Apply commits the field that holds the focus.
  d->editStaveRoomDown->setFocus();
  d->editStaveRoomDown->setText("33");
  d->btnApply->click();
  EXPECT_EQ(d->GetCurStave()->GetRoomDown().GetValue(), 33);
}

TEST_F(MusicDialog, ImmediateControlsWriteTheModelAndFillingWritesNothing) {
  Show(2);
  d->FormActivate();
  d->btnStaveNext->click();
  d->btnStaveFirst->click();
  EXPECT_FALSE(unit->NeedsSave());
  TNoteStave* stave = d->GetCurStave();
  TNoteGroup* group = d->GetCurGroup();
  struct Case {
    const char* name;
    std::function<void()> act;
    std::function<int()> value;
    int expected;
  };
  const Case cases[] = {
      {"sound off", [&] { d->chkStaveEnableSound->click(); }, [&] { return stave->GetMute(); }, 1},
      {"no join", [&] { d->chkStaveAllowJoinFlags->click(); }, [&] { return stave->GetAllowJoinFlags(); }, 0},
      {"extra lines", [&] { d->chkStaveExtraLines->click(); }, [&] { return int(stave->GetExtraLines()); }, 1},
      {"foreground", [&] { d->colbStaveForeground->SetSelected(0x0000FF); },
       [&] { return int(stave->GetForeground()); }, 0x0000FF},
      {"rectangle", [&] { d->grpGroupNoteShape->Button(1)->click(); },
       [&] { return group->GetNoteShapeKind(); }, noteShapeRectangle},
      {"sticks down", [&] { d->chkGroupDrawSticksDown->click(); }, [&] { return group->GetStickKind(); }, 1},
      {"up unchecked", {}, [&] { return int(d->chkGroupDrawSticksUp->isChecked()); }, 0},
      {"down unchecked", [&] { d->chkGroupDrawSticksDown->click(); }, [&] { return group->GetStickKind(); }, 2},
      {"sticks up", [&] { d->chkGroupDrawSticksUp->click(); }, [&] { return group->GetStickKind(); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unit->SetSaved();
    if (c.act) c.act();
    EXPECT_EQ(c.value(), c.expected);
    EXPECT_EQ(unit->NeedsSave(), static_cast<bool>(c.act));
  }
  // The kinds keep their settings while another is in force.
  Type(d->editPlaySOSBasicFreq, "250 Hz");
  d->pcPlay->setCurrentIndex(2);
  EXPECT_EQ(Player()->GetNotePlayerKind(), notePlayerRepeatWaveForm);
  d->pcPlay->setCurrentIndex(0);
  EXPECT_EQ(Player()->GetNotePlayerKind(), notePlayerSimpleSampler);
  EXPECT_EQ(d->editPlaySOSBasicFreq->text().toStdString(), "250 Hz");
  // Showing another document, or none, writes nothing into either.
  unit->SetSaved();
  d->SetUnitMuz(nullptr);
  EXPECT_FALSE(d->editTempo->isEnabled() || d->btnApply->isEnabled() || d->btnStaveAppend->isEnabled());
  EXPECT_TRUE(d->editStaveCount->text().isEmpty());
  d->SetUnitMuz(window);
  EXPECT_EQ(d->GetCurGroup(), group);
  EXPECT_FALSE(unit->NeedsSave());
  EXPECT_TRUE(d->chkGroupDrawSticksUp->isChecked() && d->chkStaveExtraLines->isChecked());
}

// Whatever the font, no control of the dialog lies over another one.
TEST_F(MusicDialog, NoControlCoversAnother) {
  Show(1);
  d->show();
  d->adjustSize();
  std::vector<QWidget*> controls;
  for (QWidget* w : d->findChildren<QWidget*>()) {
    if (w->isVisible() && (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                           qobject_cast<QComboBox*>(w)) && !qobject_cast<QLineEdit*>(w->parentWidget()) &&
        !qobject_cast<QComboBox*>(w->parentWidget()))
      controls.push_back(w);
  }
  ASSERT_GT(controls.size(), 40u);
  for (size_t i = 0; i < controls.size(); ++i) {
    const QRect a(controls[i]->mapTo(d, QPoint()), controls[i]->size());
    for (size_t j = i + 1; j < controls.size(); ++j) {
      const QRect b(controls[j]->mapTo(d, QPoint()), controls[j]->size());
      EXPECT_FALSE(a.intersects(b)) << controls[i]->objectName().toStdString() << " / "
                                    << controls[j]->objectName().toStdString();
    }
  }
}

TEST_F(MusicDialog, ReopensWhereItWasPlacedWhateverTheWindowManagerMakesOfIt) {
  Show(1);
  QApplication::processEvents();
  const QPoint placed = d->frameGeometry().topLeft();
  MisplacingWindowManager windowManager(*d);
  for (int reopen = 0; reopen < 3; ++reopen) {
    Trigger("MusicDialog");
    Trigger("MusicDialog");
    QApplication::processEvents();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->frameGeometry().topLeft(), placed) << reopen;
  }
}

// A dialog without a document has no player: it shows none of the player pages.
TEST_F(MusicDialog, WithoutAPlayerNoPlayerPageIsShown) {
  Show(1);
  d->SetUnitMuz(nullptr);
  EXPECT_FALSE(d->pcPlay->currentWidget()->isVisible());
  d->SetUnitMuz(window);  // the page of the player's kind, the same as before
  EXPECT_EQ(d->pcPlay->currentIndex(), 0);
  EXPECT_TRUE(d->pcPlay->currentWidget()->isVisible());
}

// The help gives the values that a player appended here shows on its own page and on the other
// pages it has fields on.
TEST_F(MusicDialog, TheHelpGivesWhatANewPlayerShowsOnEachPage) {
  Show(1);
  d->btnPlayAppend->click();
  ASSERT_EQ(Player()->GetNotePlayerKind(), notePlayerSimpleSampler);
  const QString own = QString("A new player is a Simple One Sampler that plays \"%1\" at %2 with a Basic "
                              "Frequency of %3.")
                          .arg(d->cboPlaySOSSampleWave->currentText(), d->editPlayVolumeFactor->text(),
                               d->editPlaySOSBasicFreq->text());
  d->pcPlay->setCurrentIndex(notePlayerRollOutSampler);
  d->pcPlay->setCurrentIndex(notePlayerResonantSampler);
  ASSERT_EQ(d->cboPlayROSSampleWave->currentText(), d->cboPlayRSSampleWave->currentText());
  const QString others = QString("the Roll Out Sampler page shows a Basic Frequency of %1 and the Resonant Sampler "
                                 "page a Resonant Factor of %2, both on \"%3\".")
                             .arg(d->editPlayROSBasicFreq->text(), d->editPlayRSResonantFactor->text(),
                                  d->cboPlayRSSampleWave->currentText());
  const HelpBook book(":/help");
  const HelpTopic* topic = book.Entry("music-dialog.md");
  ASSERT_NE(topic, nullptr);
  const QString words = QString(topic->text).replace('\n', ' ');
  EXPECT_TRUE(words.contains(own)) << own.toStdString();
  EXPECT_TRUE(words.contains(others)) << others.toStdString();
}

// Deleting a stave or group that holds the selected note leaves nothing pointing at it.
TEST_F(MusicDialog, DeletingClearsTheSelectionInsideAndSelectsTheReplacement) {
  Show(2);
  auto* single = dynamic_cast<TSinglePartMuz*>(unit->GetStartPartMuz()->GetPartMuz());
  ASSERT_NE(single, nullptr);
  d->btnStaveFirst->click();
  d->btnGroupAppend->click();
  TNoteStave* stave = d->GetCurStave();
  TNoteGroup* second = d->GetCurGroup();
  stave->SetSelectedNoteGroup(second);
  TMuzNote* note = unit->AddXMLNote(stave, 0, 2, 0, 0, second, noteShiftNormal, sool, 0, noteArtNormal, single,
                                    drawStickAuto);
  unit->SetSelectedSymbol(note);
  d->btnGroupDelete->click();
  EXPECT_EQ(unit->GetSelectedSymbol(), nullptr);
  EXPECT_EQ(stave->GetSelectedNoteGroup(), stave->GetStartNoteGroup());
  EXPECT_EQ(d->GetCurGroup(), stave->GetStartNoteGroup());
  note = unit->AddXMLNote(stave, 0, 2, 0, 0, d->GetCurGroup(), noteShiftNormal, sool, 0, noteArtNormal, single,
                          drawStickAuto);
  unit->SetSelectedSymbol(note);
  TNoteStave* other = stave->GetNext();
  d->btnStaveDelete->click();
  EXPECT_EQ(unit->GetSelectedSymbol(), nullptr);
  EXPECT_EQ(unit->GetStartStave(), other);
  EXPECT_EQ(d->GetCurStave(), other);
  window->EvFormPaint();
}

// Playing renders into a sound for the main window's player; a sample wave that names no open
// document is reported and plays nothing.
TEST_F(MusicDialog, PlayStaveAndNoteGroupThroughTheMainPlayer) {
  Show(1);
  auto* single = dynamic_cast<TSinglePartMuz*>(unit->GetStartPartMuz()->GetPartMuz());
  unit->AddXMLNote(d->GetCurStave(), 0, 2, 0, 0, d->GetCurGroup(), noteShiftNormal, sool, 0, noteArtNormal,
                   single, drawStickAuto);
  d->btnStavePlay->click();
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_NE(sink.messages[0].text.find("sample"), std::string::npos) << sink.messages[0].text;
  EXPECT_FALSE(form->Action("FilePlay")->isChecked());
  if (!AudioAvailable()) GTEST_SKIP() << kNoAudioHelp;
  bool abort = false;
  WavePtr wave = NewWaveChecked(abort, 2000);
  for (int i = 0; i < 2000; ++i) wave->wave[i] = static_cast<int16_t>((i % 40) * 500 - 10000);
  auto sample = std::make_unique<TUnitWave>("", std::make_unique<MonoSound>(std::move(wave), 22050, 2));
  sample->SetName("sample");
  form->CreateMDIChildWave("sample", std::move(sample), {}, {});
  d->SetUnitMuz(window);  // the wave window took the dialog's document away
  for (QPushButton* play : {d->btnStavePlay, d->btnGroupPlay}) {
    SCOPED_TRACE(play->text().toStdString());
    sink.messages.clear();
    form->Action("FilePlay")->setChecked(false);
    play->click();
    EXPECT_TRUE(sink.messages.empty()) << sink.messages[0].text;
    EXPECT_TRUE(form->Action("FilePlay")->isChecked());
  }
}

// With the main window in the screen's lower right corner both music dialogs open with their
// whole frames on the screen, and every page of the music dialog keeps its fields beside their
// labels, inside the form and apart.
TEST_F(MusicDialog, BothDialogsOpenOnTheScreenAndEveryPageLaysOutItsFields) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  form->move(screen.right() - 60, screen.bottom() - 60);
  QApplication::processEvents();
  Show(1);
  InstallMusTreeDialog(*form);
  form->MusicPartsExecute();
  QApplication::processEvents();
  for (QWidget* dialog : {static_cast<QWidget*>(d), form->DlgMusTree.Widget()}) {
    SCOPED_TRACE(dialog->windowTitle().toStdString());
    const QRect frame = dialog->frameGeometry();
    EXPECT_TRUE(screen.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_EQ(LayoutFaults(*dialog), std::vector<std::string>{});
  }
  for (int page = 1; page < 5; ++page) {
    SCOPED_TRACE(page);
    d->pcPlay->setCurrentIndex(page);
    QApplication::processEvents();
    EXPECT_EQ(LayoutFaults(*d), std::vector<std::string>{});
  }
}

}  // namespace

// Enter presses the focused button of a level or Close; in a field it presses Apply, which commits.
TEST_F(MusicDialog, EnterPressesTheFocusedButtonAndApplyFromAField) {
  Show(1);
  QApplication::setActiveWindow(d);
  d->editTempo->setFocus(Qt::TabFocusReason);
  d->editTempo->setText("0.25 s");
  QTest::keyClick(d->editTempo, Qt::Key_Return);
  EXPECT_EQ(std::pair(unit->GetTempo().GetValue(), d->editTempo->hasFocus()), std::pair(0.25, true));
  for (QPushButton* button : {d->btnStaveAppend, d->btnGroupAppend, d->btnPlayAppend}) {
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button, Qt::Key_Return);
  }
  EXPECT_EQ(Cursor(d->editStaveCount, d->editStaveCursor) + Cursor(d->editGroupCount, d->editGroupCursor) +
                Cursor(d->editPlayCount, d->editPlayCursor),
            "2/22/22/2");
  d->btnClose->setFocus(Qt::TabFocusReason);
  QTest::keyClick(d->btnClose, Qt::Key_Return);
  EXPECT_FALSE(d->isVisible());
}
// On a screen of 1024 x 768 the dialog shows whole; on one of 800 x 600 it fits the screen, its
// buttons stay in view and every other control scrolls into view above them.
TEST_F(MusicDialog, FitsSmallScreensWithEveryControlInReach) {
  Show(1);
  QApplication::processEvents();
  auto* levels = d->findChild<QScrollArea*>("Levels");
  ASSERT_NE(levels, nullptr);
  const auto rect = [this](const QWidget* w) { return QRect(w->mapTo(d, QPoint()), w->size()); };
  for (const QSize screen : {QSize(1024, 768), QSize(800, 600)}) {
    SCOPED_TRACE(screen.width());
    d->FitScreen(QRect(QPoint(), screen));
    QApplication::processEvents();
    const QRect frame = d->frameGeometry();
    EXPECT_TRUE(frame.width() <= screen.width() && frame.height() <= screen.height())
        << frame.width() << "x" << frame.height();
    EXPECT_EQ(screen.width() == 1024, d->size() == d->sizeHint());
    const QRect view(levels->viewport()->mapTo(d, QPoint()), levels->viewport()->size());
    int controls = 0;
    for (QWidget* w : d->findChildren<QWidget*>()) {
      if (!w->isVisible() || !(qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                               qobject_cast<QComboBox*>(w)) || qobject_cast<QComboBox*>(w->parentWidget()))
        continue;
      ++controls;
      if (levels->isAncestorOf(w)) {
        // The whole control, not only a field's text cursor as ensureWidgetVisible brings in.
        const QPoint centre = w->mapTo(levels->widget(), w->rect().center());
        levels->ensureVisible(centre.x(), centre.y(), w->width() / 2 + 1, w->height() / 2 + 1);
        EXPECT_TRUE(view.contains(rect(w))) << layout_check::NameOf(w);
      } else {
        EXPECT_TRUE(d->rect().contains(rect(w)) && !view.intersects(rect(w))) << layout_check::NameOf(w);
      }
    }
    EXPECT_GT(controls, 40);
  }
}

// Each time it is opened by its command (after Close, after a score had the focus) the dialog has
// the focus in Tempo, its text selected. The scrolling area is no stop of its own either way round
// the Tab chain, and a key a field leaves alone still scrolls the levels. A field with the focus
// shows its value anew when that changed in the score or another score became active.
TEST_F(MusicDialog, OpensWithTheFocusInTempoAndTheLevelsAreNoTabStop) {
  TMDIChildMuz* other = Open(NewScore(1));
  window = Open(NewScore(1));
  // As a click on the window does: it becomes active, with its focus where it left it.
  const auto activate = [](QWidget* w) {
    QApplication::setActiveWindow(w);
    return QTest::qWaitFor(
        [w] { return QApplication::activeWindow() == w && QApplication::focusWidget(); }, 5000);
  };
  const auto toScore = [&](TMDIChildMuz* score) {
    ASSERT_TRUE(activate(form.get()));
    form->MdiArea()->setActiveSubWindow(score);
    ASSERT_EQ(form->GetActiveMDIChild(), score);
  };
  const auto tab = [](int times, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    for (int step = 0; step < times; ++step)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
  };
  // Opened, then closed by its Close button, then from the score by its command, and opened again.
  const std::function<void()> closes[] = {[&] { d->btnClose->click(); },
                                          [&] {
                                            toScore(window);
                                            Trigger("MusicDialog");
                                          }};
  const char* const typed[] = {"2 s", "3 s", "4 s"};
  for (int opening = 0; opening < 3; ++opening) {
    SCOPED_TRACE(opening);
    if (opening > 0) {
      tab(3);  // away from Tempo before the dialog goes
      ASSERT_EQ(QApplication::focusWidget(), d->editStaveRoomUp);
      closes[opening - 1]();
      ASSERT_FALSE(d->isVisible());
      toScore(window);
    }
    Trigger("MusicDialog");
    d = dynamic_cast<TDlgMusic*>(form->DlgMusic.Get());
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(activate(d));
    ASSERT_EQ(QApplication::focusWidget(), d->editTempo);
    QTest::keyClicks(QApplication::focusWidget(), typed[opening]);
    EXPECT_EQ(d->editTempo->text().toStdString(), typed[opening]);
  }
  auto* levels = d->findChild<QScrollArea*>("Levels");
  std::vector<QWidget*> stops;
  while (stops.size() < 200 && (stops.empty() || stops.back() != d->editTempo)) {
    tab(1, Qt::ShiftModifier);
    stops.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(stops.back(), d->editTempo);  // the whole way round
  EXPECT_EQ(stops.front(), d->btnHelp);
  EXPECT_EQ(std::count_if(stops.begin(), stops.end(),
                          [&](QWidget* w) {
                            return w == levels || w == levels->viewport() || w == levels->widget();
                          }),
            0);
  unit = window->GetUnitMuz();
  EXPECT_EQ(unit->GetTempo().Write(), "4 s");
  // The focus in Tempo while another score becomes active and back.
  for (TMDIChildMuz* score : {other, window}) {
    toScore(score);
    ASSERT_TRUE(activate(d));
    EXPECT_EQ(QApplication::focusWidget(), d->editTempo);
    EXPECT_EQ(d->editTempo->text().toStdString(), score->GetUnitMuz()->GetTempo().Write());
  }
  EXPECT_NE(other->GetUnitMuz()->GetTempo().Write(), "4 s");
  // The focus in Room Up while the stave's border is dragged in the score with the right button.
  tab(3);
  ASSERT_EQ(QApplication::focusWidget(), d->editStaveRoomUp);
  toScore(window);
  TNoteStave* stave = unit->GetStartStave();
  const QPoint border(100, stave->GetCentreY() + stave->GetDrawnRoomDown());
  const struct {
    QEvent::Type type;
    Qt::MouseButton button;
    Qt::MouseButtons held;
    int down;
  } drag[] = {{QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, 0},
              {QEvent::MouseMove, Qt::NoButton, Qt::RightButton, 10},
              {QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, 10}};
  for (const auto& step : drag) {
    const QPointF at = border + QPoint(0, step.down);
    QMouseEvent event(step.type, at, window->ClientArea()->mapToGlobal(at), step.button, step.held,
                      Qt::NoModifier);
    QApplication::sendEvent(window->ClientArea(), &event);
  }
  EXPECT_EQ(stave->GetRoomUp().GetValue(), 90);
  ASSERT_TRUE(activate(d));
  EXPECT_EQ(QApplication::focusWidget(), d->editStaveRoomUp);
  EXPECT_EQ(d->editStaveRoomUp->text().toStdString(), "90");
  d->FitScreen(QRect(0, 0, 800, 600));
  QApplication::processEvents();
  ASSERT_GT(levels->verticalScrollBar()->maximum(), 0);
  levels->verticalScrollBar()->setValue(0);
  QTest::keyClick(d->editStaveRoomUp, Qt::Key_Down);
  EXPECT_GT(levels->verticalScrollBar()->value(), 0);
}
