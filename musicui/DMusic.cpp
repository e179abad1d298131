#include "musicui/DMusic.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "app/Main.h"
#include "app/MainRegistry.h"
#include "app/ModelessDialog.h"
#include "app/dialogs/WaveComboBox.h"
#include "foundation/assertion.h"
#include "foundation/messages.h"
#include "foundation/readers.h"
#include "foundation/writers.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "musicui/ChildMuz.h"
#include "wave/sound.h"

namespace {

constexpr const char* kAssertUnit = "DMusic";

const char* const kPageCaptions[] = {"Simple One Sampler", "Resonant Sampler", "Repeat Wave Form",
                                     "Roll Out Sampler", "Roll Out Wave Form"};
constexpr int kPageCount = 5;

// The sample-wave name typed into a combo box, trimmed of blanks and control characters.
std::string TrimmedName(const QComboBox& combo) {
  const std::string text = combo.currentText().toStdString();
  const auto outside = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  const auto begin = std::find_if_not(text.begin(), text.end(), outside);
  const auto end = std::find_if_not(text.rbegin(), std::string::const_reverse_iterator(begin), outside).base();
  return std::string(begin, end);
}

template <class T, class Next>
std::vector<void*> Walk(T* first, Next next) {
  std::vector<void*> chain;
  for (T* element = first; element != nullptr; element = next(element)) chain.push_back(element);
  return chain;
}

int PositionOf(const std::vector<void*>& chain, const void* element) {
  const auto found = std::find(chain.begin(), chain.end(), element);
  return found == chain.end() ? 0 : static_cast<int>(found - chain.begin()) + 1;
}

QString Decimal(int value) { return QString::fromStdString(FormatNumber(TNumber(static_cast<int32_t>(value)))); }

// Every activation fills the fields again: a field that already shows the value keeps the user's
// cursor and selection.
void ShowText(QLineEdit* field, const unit& value) {
  const QString text = QString::fromStdString(value.Write());
  if (field->text() != text) field->setText(text);
}

}  // namespace

// A scroll area that asks for the whole of its contents, so the dialog opens at its full size
// where the screen has the room, and shrinks only below that.
class TDlgMusic::LevelsArea : public QScrollArea {
 public:
  LevelsArea() {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    // No stop of its own in the Tab order: the focus belongs to the fields in it. The arrow keys
    // that a field leaves alone and the wheel still scroll it.
    setFocusPolicy(Qt::NoFocus);
  }
  QSize sizeHint() const override {
    if (widget() == nullptr) return QScrollArea::sizeHint();
    return widget()->sizeHint() + QSize(2 * frameWidth(), 2 * frameWidth());
  }
};

void InstallMusicDialog(TMainForm& form) {
  form.DlgMusic.SetFactory([](QWidget* owner) { return new TDlgMusic(owner); });
}

// --- Building ----------------------------------------------------------------------------------

TDlgMusic::TDlgMusic(QWidget* owner) : QDialog(owner) {
  setWindowTitle(kMusicCaption);
  setModal(false);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  // The tempo and the levels scroll inside the dialog and the buttons stay under them, so the
  // dialog shrinks to a small screen with every control in reach.
  auto* outer = new QVBoxLayout(this);
  levels_ = new LevelsArea;
  levels_->setObjectName("Levels");
  outer->addWidget(levels_, 1);
  auto* content = new QWidget;
  auto* form = new QVBoxLayout(content);
  form->setContentsMargins(0, 0, 0, 0);

  auto* tempoRow = new QHBoxLayout;
  tempoRow->addWidget(new QLabel("Tempo"));
  editTempo = AddTextField(new QLineEdit, [this](const std::string& text) {
    bool ok = true;
    UnitMuz->GetTempo().ReadField(ok, text, "Tempo");
    return ok;
  });
  tempoRow->addWidget(editTempo);
  form->addLayout(tempoRow);

  // --- Staves
  staves_.elements = [this] { return Walk(GetFirstStave(), [](TNoteStave* s) { return s->GetNext(); }); };
  staves_.current = [this] { return GetCurStave(); };
  staves_.setCurrent = [this](void* s) { UnitMuz->SetCurStave(static_cast<TNoteStave*>(s)); };
  staves_.link = [this](void* after, void* s) {
    UnitMuz->InsertStaveAfter(static_cast<TNoteStave*>(after), static_cast<TNoteStave*>(s));
  };
  staves_.unlink = [this](void* s) { UnitMuz->UnlinkStave(static_cast<TNoteStave*>(s)); };
  staves_.show = [this] { ShowStaveCursor(); };
  grpStave = BuildLevel("Stave", staveLevel_, staves_);
  auto* staveGrid = static_cast<QGridLayout*>(grpStave->layout());
  NameLevel(staveLevel_, {&btnStaveFirst, &btnStavePrev, &btnStaveNext, &btnStaveLast, &btnStaveInsert, &btnStaveAppend,
                      &btnStaveDelete, &btnStaveMovePrev, &btnStaveMoveNext}, editStaveCount, editStaveCursor);
  connect(btnStaveInsert, &QPushButton::clicked, this, [this] { InsertStave(GetCurStave()->GetPrev()); });
  connect(btnStaveAppend, &QPushButton::clicked, this, [this] { InsertStave(GetCurStave()); });
  connect(btnStaveDelete, &QPushButton::clicked, this, [this] { DeleteStave(); });

  const auto readRoom = [this](unitIntegerMoreUser& (TNoteStave::*room)(), const char* name) {
    return [this, room, name](const std::string& text) {
      bool ok = true;
      (GetCurStave()->*room)().ReadField(ok, text, name);
      return ok;
    };
  };
  editStaveRoomUp = AddTextField(new QLineEdit, readRoom(&TNoteStave::GetRoomUp, "Room Up"));
  editStaveRoomDown = AddTextField(new QLineEdit, readRoom(&TNoteStave::GetRoomDown, "Room Down"));
  colbStaveForeground = new TColorBox;
  colbStaveBackground = new TColorBox;
  chkStaveAllowJoinFlags = new QCheckBox("Allow Join Flags");
  chkStaveEnableSound = new QCheckBox("Enable Sound");
  chkStaveExtraLines = new QCheckBox("Draw Extra Horizontal Lines");
  btnStavePlay = new QPushButton("Play Stave");
  int row = staveGrid->rowCount();
  staveGrid->addWidget(new QLabel("Room Up:"), row, 0);
  staveGrid->addWidget(editStaveRoomUp, row, 1);
  staveGrid->addWidget(new QLabel("Foreground"), row, 2);
  staveGrid->addWidget(colbStaveForeground, row, 3);
  staveGrid->addWidget(new QLabel("Room Down:"), ++row, 0);
  staveGrid->addWidget(editStaveRoomDown, row, 1);
  staveGrid->addWidget(new QLabel("Background"), row, 2);
  staveGrid->addWidget(colbStaveBackground, row, 3);
  staveGrid->addWidget(chkStaveAllowJoinFlags, ++row, 0, 1, 2);
  staveGrid->addWidget(chkStaveEnableSound, row, 2, 1, 2);
  staveGrid->addWidget(chkStaveExtraLines, ++row, 0, 1, 3);
  staveGrid->addWidget(btnStavePlay, row, 3);
  connect(colbStaveForeground, &QComboBox::currentIndexChanged, this,
          [this] { Immediate([this] { GetCurStave()->SetForeground(colbStaveForeground->Selected()); }); });
  connect(colbStaveBackground, &QComboBox::currentIndexChanged, this,
          [this] { Immediate([this] { GetCurStave()->SetBackground(colbStaveBackground->Selected()); }); });
  connect(chkStaveAllowJoinFlags, &QCheckBox::toggled, this, [this](bool on) {
    Immediate([this, on] { GetCurStave()->SetAllowJoinFlags(on ? drawFlagJoin : drawFlagSeparate); });
  });
  connect(chkStaveEnableSound, &QCheckBox::toggled, this,
          [this](bool on) { Immediate([this, on] { GetCurStave()->SetMute(!on); }); });
  connect(chkStaveExtraLines, &QCheckBox::toggled, this,
          [this](bool on) { Immediate([this, on] { GetCurStave()->SetExtraLines(on); }); });
  connect(btnStavePlay, &QPushButton::clicked, this, [this] { PlayStave(); });

  // --- Note groups
  groups_.elements = [this] { return Walk(GetFirstGroup(), [](TNoteGroup* g) { return g->GetNext(); }); };
  groups_.current = [this] { return GetCurGroup(); };
  groups_.setCurrent = [this](void* g) { GetCurStave()->SetCurNoteGroup(static_cast<TNoteGroup*>(g)); };
  groups_.link = [this](void* after, void* g) {
    GetCurStave()->InsertNoteGroup(static_cast<TNoteGroup*>(after), static_cast<TNoteGroup*>(g));
  };
  groups_.unlink = [this](void* g) {
    // Unlinking moves the stave's cursors to its first group; a move keeps them where they were.
    TNoteStave* stave = GetCurStave();
    TNoteGroup* current = stave->GetCurNoteGroup();
    TNoteGroup* selected = stave->GetSelectedNoteGroup();
    stave->DeleteNoteGroup(static_cast<TNoteGroup*>(g));
    stave->SetCurNoteGroup(current);
    if (selected != nullptr) stave->SetSelectedNoteGroup(selected);
  };
  groups_.show = [this] { ShowGroupCursor(GetCurStave()); };
  grpGroup = BuildLevel("Note Group", groupLevel_, groups_);
  auto* groupGrid = static_cast<QGridLayout*>(grpGroup->layout());
  NameLevel(groupLevel_, {&btnGroupFirst, &btnGroupPrev, &btnGroupNext, &btnGroupLast, &btnGroupInsert, &btnGroupAppend,
                      &btnGroupDelete, &btnGroupMovePrev, &btnGroupMoveNext}, editGroupCount, editGroupCursor);
  connect(btnGroupInsert, &QPushButton::clicked, this,
          [this] { InsertNoteGroup(GetCurStave()->GetPrevNoteGroup(GetCurGroup())); });
  connect(btnGroupAppend, &QPushButton::clicked, this, [this] { InsertNoteGroup(GetCurGroup()); });
  connect(btnGroupDelete, &QPushButton::clicked, this, [this] { DeleteNoteGroup(); });

  grpGroupNoteShape = new TRadioGroup("Note Shape", {"Normal", "Rectangle"});
  colbGroupNoteColor = new TColorBox;
  chkGroupDrawSticksUp = new QCheckBox("Draw Sticks Up");
  chkGroupDrawSticksDown = new QCheckBox("Draw Sticks Down");
  btnGroupPlay = new QPushButton("Play Note Group");
  row = groupGrid->rowCount();
  groupGrid->addWidget(grpGroupNoteShape, row, 0, 3, 2);
  groupGrid->addWidget(new QLabel("Note:"), row, 2);
  groupGrid->addWidget(colbGroupNoteColor, row, 3);
  groupGrid->addWidget(chkGroupDrawSticksUp, ++row, 2, 1, 2);
  groupGrid->addWidget(chkGroupDrawSticksDown, ++row, 2, 1, 2);
  groupGrid->addWidget(btnGroupPlay, ++row, 3);
  grpGroupNoteShape->OnClick = [this] {
    Immediate([this] {
      const int index = grpGroupNoteShape->ItemIndex();
      if (index >= 0) GetCurGroup()->SetNoteShapeKind(static_cast<uint8_t>(index));
    });
  };
  connect(colbGroupNoteColor, &QComboBox::currentIndexChanged, this,
          [this] { Immediate([this] { GetCurGroup()->SetNoteColor(colbGroupNoteColor->Selected()); }); });
  connect(chkGroupDrawSticksUp, &QCheckBox::clicked, this, [this] { ChangeStickKind(chkGroupDrawSticksUp); });
  connect(chkGroupDrawSticksDown, &QCheckBox::clicked, this, [this] { ChangeStickKind(chkGroupDrawSticksDown); });
  connect(btnGroupPlay, &QPushButton::clicked, this, [this] { PlayNoteGroup(); });

  // --- Players
  players_.elements = [this] { return Walk(GetFirstPlayer(), [](TOnePlayer* p) { return p->GetNext(); }); };
  players_.current = [this] { return GetCurPlayer(); };
  players_.setCurrent = [this](void* p) { GetCompoundPlayer()->SetCurOnePlayer(static_cast<TOnePlayer*>(p)); };
  players_.link = [this](void* after, void* p) {
    GetCompoundPlayer()->InsertAfter(static_cast<TOnePlayer*>(after),
                                     std::unique_ptr<TOnePlayer>(static_cast<TOnePlayer*>(p)));
  };
  // The chain hands the player back; a move links it in again at once.
  players_.unlink = [this](void* p) { GetCompoundPlayer()->Delete(static_cast<TOnePlayer*>(p)).release(); };
  players_.show = [this] { ShowPlayerCursor(GetCurGroup()); };
  grpPlay = BuildLevel("Player", playerLevel_, players_);
  auto* playGrid = static_cast<QGridLayout*>(grpPlay->layout());
  NameLevel(playerLevel_, {&btnPlayFirst, &btnPlayPrev, &btnPlayNext, &btnPlayLast, &btnPlayInsert, &btnPlayAppend,
                      &btnPlayDelete, &btnPlayMovePrev, &btnPlayMoveNext}, editPlayCount, editPlayCursor);
  connect(btnPlayInsert, &QPushButton::clicked, this,
          [this] { InsertPlayer(GetCompoundPlayer()->GetPrevious(GetCurPlayer())); });
  connect(btnPlayAppend, &QPushButton::clicked, this, [this] { InsertPlayer(GetCurPlayer()); });
  connect(btnPlayDelete, &QPushButton::clicked, this, [this] { DeletePlayer(); });

  const auto readPlayer = [this](auto member, const char* name) {
    return [this, member, name](const std::string& text) {
      bool ok = true;
      (GetCurPlayer()->*member)().ReadField(ok, text, name);
      return ok;
    };
  };
  editPlayVolumeFactor = AddTextField(new QLineEdit, readPlayer(&TOnePlayer::VolumeFactor, "Volume Factor"));
  editPlayFreqUp = AddTextField(new QLineEdit, readPlayer(&TOnePlayer::FreqUp, "Freq Up"));

  // Each page edits a copy of its kind's settings and stores it back with the kind's setter,
  // which puts that kind in force.
  const auto readSetting = [this](auto settings, auto setter, auto value, const char* name) {
    return [this, settings, setter, value, name](const std::string& text) {
      TOnePlayer* player = GetCurPlayer();
      auto copy = player->GetOnePlayerProps().*settings;
      bool ok = true;
      (copy.*value).ReadField(ok, text, name);
      return ok && (player->*setter)(copy);
    };
  };
  const auto sampleWave = [this](TWaveComboBox* combo, auto settings, auto setter) {
    waveCombos_.push_back(combo);
    combo->setEditable(true);
    WatchField(combo, [this, combo, settings, setter](const std::string&) {
      const std::string name = TrimmedName(*combo);
      if (name.empty()) {
        MessageReporter::ShowFieldEmpty("Sample Wave");
        return false;
      }
      TOnePlayer* player = GetCurPlayer();
      auto copy = player->GetOnePlayerProps().*settings;
      copy.SampleWave = unitUnitWave(name);
      return (player->*setter)(copy);
    });
    return combo;
  };
  cboPlaySOSSampleWave =
      sampleWave(new TWaveComboBox, &TOnePlayerProps::SimpleSampler, &TOnePlayer::SetSimpleSampler);
  editPlaySOSBasicFreq = AddTextField(new QLineEdit, readSetting(&TOnePlayerProps::SimpleSampler,
                                                                 &TOnePlayer::SetSimpleSampler,
                                                                 &TSimpleSamplerProps::BasicFreq, "Basic Frequency"));
  cboPlayRSSampleWave =
      sampleWave(new TWaveComboBox, &TOnePlayerProps::ResonantSampler, &TOnePlayer::SetResonantSampler);
  editPlayRSResonantFactor = AddTextField(
      new QLineEdit, readSetting(&TOnePlayerProps::ResonantSampler, &TOnePlayer::SetResonantSampler,
                                 &TResonantSamplerProps::ResFactor, "Resonant Factor"));
  cboPlayRWFSampleWave =
      sampleWave(new TWaveComboBox, &TOnePlayerProps::RepeatWaveForm, &TOnePlayer::SetRepeatWaveForm);
  cboPlayROSSampleWave =
      sampleWave(new TWaveComboBox, &TOnePlayerProps::RollOutSampler, &TOnePlayer::SetRollOutSampler);
  editPlayROSBasicFreq = AddTextField(
      new QLineEdit, readSetting(&TOnePlayerProps::RollOutSampler, &TOnePlayer::SetRollOutSampler,
                                 &TRollOutSamplerProps::BasicFreq, "Basic Frequency"));
  cboPlayROWFSampleWave =
      sampleWave(new TWaveComboBox, &TOnePlayerProps::RollOutWaveForm, &TOnePlayer::SetRollOutWaveForm);

  pcPlay = new QTabWidget;
  // Every tab in sight: the dialog is as wide as the row of tabs.
  pcPlay->setUsesScrollButtons(false);
  // Scrolled levels keep their height: squeezed, the page would cut its fields off.
  pcPlay->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
  const std::vector<std::vector<std::pair<const char*, QWidget*>>> pages = {
      {{"Sample Wave", cboPlaySOSSampleWave}, {"Basic Frequency:", editPlaySOSBasicFreq}},
      {{"Sample Wave", cboPlayRSSampleWave}, {"Resonant Factor", editPlayRSResonantFactor}},
      {{"Sample Wave", cboPlayRWFSampleWave}},
      {{"Sample Wave", cboPlayROSSampleWave}, {"Basic Frequency:", editPlayROSBasicFreq}},
      {{"Sample Wave", cboPlayROWFSampleWave}}};
  for (int page = 0; page < kPageCount; ++page) {
    auto* sheet = new QWidget;
    auto* grid = new QGridLayout(sheet);
    for (const auto& [label, control] : pages[page]) {
      const int at = grid->rowCount();
      auto* caption = new QLabel(label);
      caption->setBuddy(control);
      grid->addWidget(caption, at, 0);
      grid->addWidget(control, at, 1);
    }
    grid->setRowStretch(grid->rowCount(), 1);
    // The fields take the width the labels leave, so each stands beside its label.
    grid->setColumnStretch(1, 1);
    pcPlay->addTab(sheet, kPageCaptions[page]);
  }
  connect(pcPlay, &QTabWidget::currentChanged, this, [this](int index) { ChoosePage(index); });
  row = playGrid->rowCount();
  playGrid->addWidget(pcPlay, row, 0, 1, 4);
  playGrid->addWidget(new QLabel("Volume Factor:"), ++row, 0);
  playGrid->addWidget(editPlayVolumeFactor, row, 1);
  playGrid->addWidget(new QLabel("Freq Up:"), row, 2);
  playGrid->addWidget(editPlayFreqUp, row, 3);

  static_cast<QGridLayout*>(grpGroup->layout())->addWidget(grpPlay, groupGrid->rowCount(), 0, 1, 4);
  staveGrid->addWidget(grpGroup, staveGrid->rowCount(), 0, 1, 4);
  form->addWidget(grpStave);
  levels_->setWidget(content);

  auto* bottom = new QHBoxLayout;
  btnApply = new QPushButton("Apply");
  btnClose = new QPushButton("Close");
  btnHelp = new QPushButton("Help");
  SetDefaultButton(*this, btnApply);
  bottom->addStretch(1);
  for (QPushButton* button : {btnApply, btnClose, btnHelp}) bottom->addWidget(button);
  outer->addLayout(bottom);
  connect(btnApply, &QPushButton::clicked, this, [this] { ApplyBtnClick(); });
  connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
  connect(btnHelp, &QPushButton::clicked, this, [] { HelpContext(kMusicHelpContext); });

  Filling([this] { FillControls(); });
}

QGroupBox* TDlgMusic::BuildLevel(const char* caption, LevelControls& level, Chain& chain) {
  auto* box = new QGroupBox(caption);
  auto* grid = new QGridLayout(box);
  const char* const captions[] = {"|<", "<", ">", ">|", "Insert", "Append", "Delete", "<<", ">>"};
  auto* navigation = new QHBoxLayout;
  for (int index = 0; index < 9; ++index) {
    auto* button = new QPushButton(captions[index]);
    // The arrows need no room of a worded button: nine of those would make the dialog wider
    // than a small screen.
    if (index < 4 || index > 6) {
      button->setMaximumWidth(button->fontMetrics().horizontalAdvance(captions[index]) +
                              3 * button->fontMetrics().averageCharWidth() + 8);
    }
    level.buttons.push_back(button);
    navigation->addWidget(button);
  }
  for (int step = 0; step < 4; ++step) {
    connect(level.buttons[step], &QPushButton::clicked, this, [this, &chain, step] { Navigate(chain, step); });
  }
  connect(level.buttons[7], &QPushButton::clicked, this, [this, &chain] { Move(chain, true); });
  connect(level.buttons[8], &QPushButton::clicked, this, [this, &chain] { Move(chain, false); });
  grid->addLayout(navigation, 0, 0, 1, 4);
  level.count = new QLineEdit;
  level.cursor = new QLineEdit;
  for (QLineEdit* edit : {level.count, level.cursor}) {
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setStyleSheet("background: palette(button)");
  }
  grid->addWidget(new QLabel("Count"), 1, 0);
  grid->addWidget(level.count, 1, 1);
  grid->addWidget(new QLabel("Cursor"), 1, 2);
  grid->addWidget(level.cursor, 1, 3);
  return box;
}

TDlgMusic::~TDlgMusic() {
  // The fields lose the focus as they are destroyed, after this object's members are gone.
  for (const TextField& field : fields_) field.control->removeEventFilter(this);
}

void TDlgMusic::NameLevel(const LevelControls& level, std::initializer_list<QPushButton**> buttons,
                          QLineEdit*& count, QLineEdit*& cursor) {
  size_t index = 0;
  for (QPushButton** button : buttons) *button = level.buttons[index++];
  count = level.count;
  cursor = level.cursor;
}

// --- The cursors ---------------------------------------------------------------------------------

TNoteStave* TDlgMusic::GetCurStave() const {
  if (UnitMuz == nullptr) return nullptr;
  TNoteStave* noteStave = UnitMuz->GetCurStave();
  KV_ASSERT(noteStave != NULL);
  return noteStave;
}

TNoteStave* TDlgMusic::GetFirstStave() const {
  KV_ASSERT(UnitMuz != NULL);
  TNoteStave* noteStave = UnitMuz->GetStartStave();
  KV_ASSERT(noteStave != NULL);
  return noteStave;
}

TNoteGroup* TDlgMusic::GetCurGroup() const {
  TNoteGroup* noteGroup = GetCurStave()->GetCurNoteGroup();
  KV_ASSERT(noteGroup != NULL);
  return noteGroup;
}

TNoteGroup* TDlgMusic::GetFirstGroup() const {
  TNoteGroup* noteGroup = GetCurStave()->GetStartNoteGroup();
  KV_ASSERT(noteGroup != NULL);
  return noteGroup;
}

TCompoundPlayer* TDlgMusic::GetCompoundPlayer() const {
  TCompoundPlayer* compoundPlayer = GetCurGroup()->GetCompoundPlayer();
  KV_ASSERT(compoundPlayer != NULL);
  return compoundPlayer;
}

TOnePlayer* TDlgMusic::GetCurPlayer() const {
  TOnePlayer* onePlayer = GetCompoundPlayer()->GetCurOnePlayer();
  KV_ASSERT(onePlayer != NULL);
  return onePlayer;
}

TOnePlayer* TDlgMusic::GetFirstPlayer() const {
  TOnePlayer* onePlayer = GetCompoundPlayer()->GetStartOnePlayer();
  KV_ASSERT(onePlayer != NULL);
  return onePlayer;
}

// --- Filling ---------------------------------------------------------------------------------------

void TDlgMusic::Filling(const std::function<void()>& fill) {
  ++FillCounter;
  fill();
  --FillCounter;
}

void TDlgMusic::FillControls() {
  if (UnitMuz == nullptr) {
    DisableEdit(*editTempo);
  } else {
    EnableEdit(*editTempo);
    ShowText(editTempo, UnitMuz->GetTempo());
  }
  btnApply->setEnabled(UnitMuz != nullptr);
  ShowStaveCursor();
}

void TDlgMusic::ShowLevelCursor(LevelControls& level, const Chain* chain) {
  if (chain == nullptr) {
    level.count->clear();
    level.cursor->clear();
    level.count->setEnabled(false);
    level.cursor->setEnabled(false);
    for (QPushButton* button : level.buttons) button->setEnabled(false);
    return;
  }
  const std::vector<void*> elements = chain->elements();
  const int n = static_cast<int>(elements.size());
  const int c = PositionOf(elements, chain->current());
  level.count->setText(Decimal(n));
  level.cursor->setText(Decimal(c));
  level.count->setEnabled(true);
  level.cursor->setEnabled(true);
  const bool back = c > 1, on = n > c;
  const bool enabled[] = {back, back, on, on, true, true, n >= 2, back, on};
  for (size_t index = 0; index < level.buttons.size(); ++index) level.buttons[index]->setEnabled(enabled[index]);
}

void TDlgMusic::ShowStaveCursor() {
  ShowLevelCursor(staveLevel_, UnitMuz ? &staves_ : nullptr);
  ShowStave(GetCurStave());
}

void TDlgMusic::ShowStave(TNoteStave* stave) {
  ShowStaveFields(stave);
  ShowGroupCursor(stave);
}

void TDlgMusic::ShowStaveFields(TNoteStave* stave) {
  for (QWidget* control : std::initializer_list<QWidget*>{chkStaveAllowJoinFlags, chkStaveEnableSound,
                                                          chkStaveExtraLines, btnStavePlay, colbStaveForeground,
                                                          colbStaveBackground}) {
    control->setEnabled(stave != nullptr);
  }
  if (stave == nullptr) {
    DisableEdit(*editStaveRoomUp);
    DisableEdit(*editStaveRoomDown);
    chkStaveAllowJoinFlags->setChecked(false);
    chkStaveEnableSound->setChecked(false);
    return;
  }
  EnableEdit(*editStaveRoomUp);
  EnableEdit(*editStaveRoomDown);
  ShowText(editStaveRoomUp, stave->GetRoomUp());
  ShowText(editStaveRoomDown, stave->GetRoomDown());
  chkStaveAllowJoinFlags->setChecked(stave->GetAllowJoinFlags() == drawFlagJoin);
  chkStaveEnableSound->setChecked(stave->GetMute() == 0);
  chkStaveExtraLines->setChecked(stave->GetExtraLines());
  colbStaveForeground->SetSelected(stave->GetForeground());
  colbStaveBackground->SetSelected(stave->GetBackground());
}

void TDlgMusic::ShowGroupCursor(TNoteStave* stave) {
  ShowLevelCursor(groupLevel_, stave ? &groups_ : nullptr);
  ShowGroupFields(stave ? GetCurGroup() : nullptr);
}

void TDlgMusic::ShowGroupFields(TNoteGroup* group) {
  for (QWidget* control : std::initializer_list<QWidget*>{chkGroupDrawSticksUp, chkGroupDrawSticksDown,
                                                          grpGroupNoteShape, colbGroupNoteColor, btnGroupPlay}) {
    control->setEnabled(group != nullptr);
  }
  if (group == nullptr) {
    chkGroupDrawSticksUp->setChecked(false);
    chkGroupDrawSticksDown->setChecked(false);
    grpGroupNoteShape->SetItemIndex(-1);
  } else {
    chkGroupDrawSticksUp->setChecked(group->GetStickKind() == drawStickUp);
    chkGroupDrawSticksDown->setChecked(group->GetStickKind() == drawStickDown);
    grpGroupNoteShape->SetItemIndex(group->GetNoteShapeKind());
    colbGroupNoteColor->SetSelected(group->GetNoteColor());
  }
  ShowPlayerCursor(group);
}

void TDlgMusic::ShowPlayerCursor(TNoteGroup* group) {
  ShowLevelCursor(playerLevel_, group ? &players_ : nullptr);
  ShowPlayerFields(group ? GetCurPlayer() : nullptr);
}

void TDlgMusic::ShowPlayerFields(TOnePlayer* player) {
  grpPlay->setEnabled(player != nullptr);
  if (player == nullptr) {
    // Without a player there are no settings to show: no page at all, only the tabs.
    if (QWidget* page = pcPlay->currentWidget()) page->hide();
    pcPlay->setEnabled(false);
    DisableEdit(*editPlayVolumeFactor);
    DisableEdit(*editPlayFreqUp);
    return;
  }
  pcPlay->setEnabled(true);
  EnableEdit(*editPlayVolumeFactor);
  EnableEdit(*editPlayFreqUp);
  ShowText(editPlayVolumeFactor, player->VolumeFactor());
  ShowText(editPlayFreqUp, player->FreqUp());
  const TOnePlayerProps& props = player->GetOnePlayerProps();
  const auto name = [](const unitUnitWave& wave) { return QString::fromStdString(wave.GetName()); };
  switch (props.NotePlayerKind) {
    case notePlayerSimpleSampler:
      cboPlaySOSSampleWave->setEditText(name(props.SimpleSampler.SampleWave));
      ShowText(editPlaySOSBasicFreq, props.SimpleSampler.BasicFreq);
      break;
    case notePlayerResonantSampler:
      cboPlayRSSampleWave->setEditText(name(props.ResonantSampler.SampleWave));
      ShowText(editPlayRSResonantFactor, props.ResonantSampler.ResFactor);
      break;
    case notePlayerRepeatWaveForm:
      cboPlayRWFSampleWave->setEditText(name(props.RepeatWaveForm.SampleWave));
      break;
    case notePlayerRollOutSampler:
      cboPlayROSSampleWave->setEditText(name(props.RollOutSampler.SampleWave));
      ShowText(editPlayROSBasicFreq, props.RollOutSampler.BasicFreq);
      break;
    case notePlayerRollOutWaveForm:
      cboPlayROWFSampleWave->setEditText(name(props.RollOutWaveForm.SampleWave));
      break;
    default:
      // A player that no setter has given a kind yet shows no page of its own.
      return;
  }
  pcPlay->setCurrentIndex(props.NotePlayerKind);
  if (QWidget* page = pcPlay->currentWidget()) page->show();
}

void TDlgMusic::FillWaveCombos() {
  for (TWaveComboBox* combo : waveCombos_) FillWaveCombo(*combo, 0);
}

// --- Notices and the form's life ---------------------------------------------------------------------

void TDlgMusic::SetUnitMuz(TMDIChildMuz* window) {
  UnitMuz = window ? window->GetUnitMuz() : nullptr;
  ChangedFlag = 0;
  KeepFieldText = false;
  Filling([this] { FillControls(); });
}

void TDlgMusic::RefreshStave(TNoteStave* stave) {
  if (stave == nullptr || stave != GetCurStave()) return;
  Filling([this, stave] { ShowStaveFields(stave); });
}

bool TDlgMusic::event(QEvent* event) {
  if (ClaimHelpKey(event)) return true;
  if (event->type() == QEvent::Show && !event->spontaneous()) FormShow();
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QDialog::event(event);
}

void TDlgMusic::FormShow() {
  UnitMuz = nullptr;
  if (auto* window = dynamic_cast<TMDIChildMuz*>(MainActiveMuzChild())) UnitMuz = window->GetUnitMuz();
  ChangedFlag = 0;
  Filling([this] {
    FillWaveCombos();
    FillControls();
  });
  // Placed at the size the filled controls give it, so no edge runs off the screen.
  if (layout() != nullptr) layout()->activate();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) FitScreen(screen->availableGeometry());
  PlaceBesideMainForm(*this);
  // As a Tab into it would: the tempo's text is selected, so typing replaces it.
  if (editTempo->isEnabled()) {
    editTempo->setFocus(Qt::TabFocusReason);
    editTempo->selectAll();
  }
}

void TDlgMusic::FitScreen(const QRect& available) {
  const QSize room = available.size() - FrameExtent(*this);
  // Whole where the screen has the room; on a smaller screen as large as it, the levels scrolling,
  // with room kept for the scroll bar across the other way.
  QSize wanted = sizeHint();
  if (wanted.height() > room.height()) wanted.rwidth() += levels_->verticalScrollBar()->sizeHint().width();
  if (wanted.width() > room.width()) wanted.rheight() += levels_->horizontalScrollBar()->sizeHint().height();
  setMinimumSize(wanted.boundedTo(room));
  resize(size().expandedTo(minimumSize()).boundedTo(room));
}

void TDlgMusic::FormActivate() {
  MainSetDialogActive(true);
  // The dialog comes back from the message box of a wrong text: the field keeps that text to be
  // corrected instead of being filled over.
  if (KeepFieldText) {
    KeepFieldText = false;
    return;
  }
  Filling([this] {
    FillWaveCombos();
    FillControls();
  });
}

void TDlgMusic::done(int result) {
  QDialog::done(result);
  if (isHidden()) FormClose();
}

void TDlgMusic::FormClose() { MainDlgMusicClosed(); }

void TDlgMusic::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    HelpContext(kMusicHelpContext);
    return;
  }
  QDialog::keyPressEvent(event);
}

// --- Text fields -----------------------------------------------------------------------------------

QLineEdit* TDlgMusic::AddTextField(QLineEdit* edit, std::function<bool(const std::string&)> commit) {
  connect(edit, &QLineEdit::textChanged, this, [this] { FieldChanged(); });
  WatchField(edit, std::move(commit));
  return edit;
}

void TDlgMusic::WatchField(QWidget* control, std::function<bool(const std::string&)> commit) {
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    connect(combo, &QComboBox::editTextChanged, this, [this] { FieldChanged(); });
  }
  control->installEventFilter(this);
  fields_.push_back({control, std::move(commit)});
}

void TDlgMusic::FieldChanged() {
  if (FillCounter == 0) ChangedFlag = 1;
}

bool TDlgMusic::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    for (const TextField& field : fields_) {
      if (field.control != watched) continue;
      // Losing the focus with the window (another window activated, a message box shown) still
      // commits, but only a field left inside the active dialog takes the focus back.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      ExitField(field, reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason);
      break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TDlgMusic::ExitField(const TextField& field, bool refocus) {
  if (FillCounter != 0 || ChangedFlag == 0 || UnitMuz == nullptr) return;
  // Cleared before the read: the message box takes the focus away again, and that must not
  // report the same text twice.
  ChangedFlag = 0;
  QString text;
  if (auto* edit = qobject_cast<QLineEdit*>(field.control)) text = edit->text();
  if (field.commit(text.toStdString())) {
    Changed();
    return;
  }
  KeepFieldText = true;
  if (refocus) field.control->setFocus();
}

void TDlgMusic::ApplyBtnClick() {
  // Enter presses Apply while a field still holds its edit: the edit is committed as if the
  // field were left, and the focus stays where it was.
  QWidget* focused = focusWidget();
  for (const TextField& field : fields_) {
    if (field.control == focused || (focused != nullptr && field.control->isAncestorOf(focused))) {
      ExitField(field, true);
      return;
    }
  }
}

// --- Immediate controls ----------------------------------------------------------------------------

void TDlgMusic::Changed() {
  UnitMuz->Refresh();
  UnitMuz->SetModified();
}

void TDlgMusic::Immediate(const std::function<void()>& edit) {
  if (FillCounter != 0 || UnitMuz == nullptr) return;
  edit();
  Changed();
}

void TDlgMusic::ChangeStickKind(QCheckBox* clicked) {
  if (FillCounter != 0 || UnitMuz == nullptr) return;
  QCheckBox* other = clicked == chkGroupDrawSticksUp ? chkGroupDrawSticksDown : chkGroupDrawSticksUp;
  Filling([other] { other->setChecked(false); });
  uint8_t kind = drawStickAuto;
  if (chkGroupDrawSticksUp->isChecked()) kind = drawStickUp;
  if (chkGroupDrawSticksDown->isChecked()) kind = drawStickDown;
  GetCurGroup()->SetStickKind(kind);
  Changed();
}

void TDlgMusic::ChoosePage(int index) {
  if (FillCounter != 0 || UnitMuz == nullptr || index < 0 || index >= kPageCount) return;
  TOnePlayer* player = GetCurPlayer();
  // A kind keeps its own settings while another is in force: choosing it again brings them back.
  const TOnePlayerProps props = player->GetOnePlayerProps();
  switch (index) {
    case notePlayerSimpleSampler: player->SetSimpleSampler(props.SimpleSampler); break;
    case notePlayerResonantSampler: player->SetResonantSampler(props.ResonantSampler); break;
    case notePlayerRepeatWaveForm: player->SetRepeatWaveForm(props.RepeatWaveForm); break;
    case notePlayerRollOutSampler: player->SetRollOutSampler(props.RollOutSampler); break;
    default: player->SetRollOutWaveForm(props.RollOutWaveForm); break;
  }
  Filling([this, player] { ShowPlayerFields(player); });
  Changed();
}

// --- Navigation, moves, insert and delete -------------------------------------------------------------

void TDlgMusic::Navigate(Chain& chain, int step) {
  if (UnitMuz == nullptr) return;
  const std::vector<void*> elements = chain.elements();
  const int c = PositionOf(elements, chain.current());
  const int n = static_cast<int>(elements.size());
  const int target[] = {1, c - 1, c + 1, n};
  // The enabled rule keeps a late click from walking off the chain; it is checked once more.
  if (c == 0 || target[step] < 1 || target[step] > n) return;
  Filling([&] {
    chain.setCurrent(elements[target[step] - 1]);
    chain.show();
  });
}

void TDlgMusic::Move(Chain& chain, bool back) {
  if (UnitMuz == nullptr) return;
  const std::vector<void*> elements = chain.elements();
  const int c = PositionOf(elements, chain.current());
  const int n = static_cast<int>(elements.size());
  if (c == 0 || (back ? c <= 1 : c >= n)) return;
  void* current = elements[c - 1];
  // Back: after the one before the previous (the head when there is none). On: after the next.
  void* after = back ? (c >= 3 ? elements[c - 3] : nullptr) : elements[c];
  chain.unlink(current);
  chain.link(after, current);
  chain.setCurrent(current);
  Filling([&] { chain.show(); });
  Changed();
}

void TDlgMusic::InsertPlayer(TOnePlayer* afterPlayer) {
  if (UnitMuz == nullptr) return;
  TCompoundPlayer* compoundPlayer = GetCompoundPlayer();
  std::unique_ptr<TOnePlayer> player = TUnitMuz::NewDefaultPlayer(compoundPlayer);
  TOnePlayer* inserted = player.get();
  compoundPlayer->InsertAfter(afterPlayer, std::move(player));
  compoundPlayer->SetCurOnePlayer(inserted);
  Filling([this] { ShowPlayerCursor(GetCurGroup()); });
  Changed();
}

void TDlgMusic::InsertNoteGroup(TNoteGroup* afterGroup) {
  if (UnitMuz == nullptr) return;
  TNoteStave* stave = GetCurStave();
  auto* group = new TNoteGroup(stave, UnitMuz->NewDefaultCompoundPlayer(), 0x000000, noteShapeNormal, drawStickUp);
  stave->InsertNoteGroup(afterGroup, group);
  stave->SetCurNoteGroup(group);
  Filling([this, stave] { ShowGroupCursor(stave); });
  Changed();
}

void TDlgMusic::InsertStave(TNoteStave* afterStave) {
  if (UnitMuz == nullptr) return;
  UnitMuz->AddDefaultStave(afterStave);
  Filling([this] { ShowStaveCursor(); });
  Changed();
}

void TDlgMusic::DeletePlayer() {
  if (UnitMuz == nullptr) return;
  TCompoundPlayer* compoundPlayer = GetCompoundPlayer();
  TOnePlayer* player = GetCurPlayer();
  TOnePlayer* next = player->GetNext() ? player->GetNext() : compoundPlayer->GetPrevious(player);
  if (next == nullptr) return;  // the chain keeps its last player
  compoundPlayer->Delete(player);
  compoundPlayer->SetCurOnePlayer(next);
  Filling([this] { ShowPlayerCursor(GetCurGroup()); });
  Changed();
}

void TDlgMusic::DeleteNoteGroup() {
  if (UnitMuz == nullptr) return;
  TNoteStave* stave = GetCurStave();
  TNoteGroup* group = GetCurGroup();
  TNoteGroup* next = group->GetNext() ? group->GetNext() : stave->GetPrevNoteGroup(group);
  if (next == nullptr) return;  // the stave keeps its last group
  const bool wasSelected = stave->GetSelectedNoteGroup() == group;
  TNoteGroup* selected = wasSelected ? next : stave->GetSelectedNoteGroup();
  // Frees the group's notes in every part and the selection among them before the group itself.
  UnitMuz->RemoveNoteGroup(stave, group);
  stave->SetCurNoteGroup(next);
  if (selected != nullptr) stave->SetSelectedNoteGroup(selected);
  UnitMuz->FillStaveSilences(stave);
  Filling([this, stave] { ShowGroupCursor(stave); });
  Changed();
}

void TDlgMusic::DeleteStave() {
  if (UnitMuz == nullptr) return;
  TNoteStave* stave = GetCurStave();
  TNoteStave* next = stave->GetNext() ? stave->GetNext() : stave->GetPrev();
  if (next == nullptr) return;  // the document keeps its last stave
  // Forgets every selection inside the stave, frees its symbols in every part, then the stave.
  UnitMuz->RemoveStave(stave);
  UnitMuz->SetCurStave(next);
  Filling([this] { ShowStaveCursor(); });
  Changed();
}

// --- Playing -----------------------------------------------------------------------------------------

void TDlgMusic::PlayStave() {
  if (UnitMuz == nullptr) return;
  // A failed rendering has been reported by the renderer; nothing is played then.
  if (std::unique_ptr<Sound> sound = UnitMuz->CreateWaveStave(GetCurStave())) PlaySoundOnMainForm(*sound);
}

void TDlgMusic::PlayNoteGroup() {
  if (UnitMuz == nullptr) return;
  if (std::unique_ptr<Sound> sound = UnitMuz->CreateWaveNoteGroup(GetCurGroup())) PlaySoundOnMainForm(*sound);
}
