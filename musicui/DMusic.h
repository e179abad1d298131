// The modeless music dialog: the tempo of the active music document, its staves, each stave's
// note groups and each group's players, on three nested levels with a cursor each. The cursors
// live in the document, so they survive closing the dialog and switching documents. Every change
// goes into the document at once; a text field is committed when it is left.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "app/ModelessDialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRect;
class QTabWidget;
class TColorBox;
class TCompoundPlayer;
class TMDIChildMuz;
class TNoteGroup;
class TNoteStave;
class TOnePlayer;
class TRadioGroup;
class TUnitMuz;
class TWaveComboBox;

class TMainForm;

inline constexpr const char* kMusicCaption = "Music";
inline constexpr int kMusicHelpContext = 51;

class TDlgMusic : public QDialog, public MusicNotices {
 public:
  explicit TDlgMusic(QWidget* owner);
  ~TDlgMusic() override;

  // --- What the main window tells the dialog ---------------------------------------------------
  void SetUnitMuz(TMDIChildMuz* window) override;
  void RefreshStave(TNoteStave* stave) override;

  TUnitMuz* GetUnitMuz() const { return UnitMuz; }
  // The cursors of the model; a missing element below a present one is a programming error.
  TNoteStave* GetCurStave() const;
  TNoteStave* GetFirstStave() const;
  TNoteGroup* GetCurGroup() const;
  TNoteGroup* GetFirstGroup() const;
  TCompoundPlayer* GetCompoundPlayer() const;
  TOnePlayer* GetCurPlayer() const;
  TOnePlayer* GetFirstPlayer() const;

  // --- Filling, each level calling the next ----------------------------------------------------
  void FillControls();
  void ShowStaveCursor();
  void ShowStave(TNoteStave* stave);
  void ShowStaveFields(TNoteStave* stave);
  void ShowGroupCursor(TNoteStave* stave);
  void ShowGroupFields(TNoteGroup* group);
  void ShowPlayerCursor(TNoteGroup* group);
  void ShowPlayerFields(TOnePlayer* player);
  void FillWaveCombos();

  // --- Chain edits --------------------------------------------------------------------------------
  void InsertStave(TNoteStave* afterStave);
  void InsertNoteGroup(TNoteGroup* afterGroup);
  void InsertPlayer(TOnePlayer* afterPlayer);

  void FormShow();
  // Sizes the dialog to the screen's free area `available` where it is larger; its levels then
  // scroll.
  void FitScreen(const QRect& available);
  void FormActivate();
  void FormClose();
  void ApplyBtnClick();

  void done(int result) override;

  QLineEdit* editTempo;

  QGroupBox* grpStave;
  QLineEdit* editStaveCount;
  QLineEdit* editStaveCursor;
  QPushButton *btnStaveFirst, *btnStavePrev, *btnStaveNext, *btnStaveLast;
  QPushButton *btnStaveInsert, *btnStaveAppend, *btnStaveDelete;
  QPushButton *btnStaveMovePrev, *btnStaveMoveNext;
  QLineEdit* editStaveRoomUp;
  QLineEdit* editStaveRoomDown;
  TColorBox* colbStaveForeground;
  TColorBox* colbStaveBackground;
  QCheckBox* chkStaveAllowJoinFlags;
  QCheckBox* chkStaveEnableSound;
  QCheckBox* chkStaveExtraLines;
  QPushButton* btnStavePlay;

  QGroupBox* grpGroup;
  QLineEdit* editGroupCount;
  QLineEdit* editGroupCursor;
  QPushButton *btnGroupFirst, *btnGroupPrev, *btnGroupNext, *btnGroupLast;
  QPushButton *btnGroupInsert, *btnGroupAppend, *btnGroupDelete;
  QPushButton *btnGroupMovePrev, *btnGroupMoveNext;
  TRadioGroup* grpGroupNoteShape;
  TColorBox* colbGroupNoteColor;
  QCheckBox* chkGroupDrawSticksUp;
  QCheckBox* chkGroupDrawSticksDown;
  QPushButton* btnGroupPlay;

  QGroupBox* grpPlay;
  QLineEdit* editPlayCount;
  QLineEdit* editPlayCursor;
  QPushButton *btnPlayFirst, *btnPlayPrev, *btnPlayNext, *btnPlayLast;
  QPushButton *btnPlayInsert, *btnPlayAppend, *btnPlayDelete;
  QPushButton *btnPlayMovePrev, *btnPlayMoveNext;
  QTabWidget* pcPlay;
  QLineEdit* editPlayVolumeFactor;
  QLineEdit* editPlayFreqUp;
  TWaveComboBox* cboPlaySOSSampleWave;
  QLineEdit* editPlaySOSBasicFreq;
  TWaveComboBox* cboPlayRSSampleWave;
  QLineEdit* editPlayRSResonantFactor;
  TWaveComboBox* cboPlayRWFSampleWave;
  TWaveComboBox* cboPlayROSSampleWave;
  QLineEdit* editPlayROSBasicFreq;
  TWaveComboBox* cboPlayROWFSampleWave;

  QPushButton* btnApply;
  QPushButton* btnClose;
  QPushButton* btnHelp;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The nine buttons and two read-only fields of one level.
  struct LevelControls {
    QLineEdit* count;
    QLineEdit* cursor;
    std::vector<QPushButton*> buttons;  // First, Previous, Next, Last, Insert, Append, Delete, back, on
  };
  // How one level reaches its chain in the model; the nodes are passed as untyped pointers so
  // that the three levels share one navigation and one move.
  struct Chain {
    std::function<std::vector<void*>()> elements;
    std::function<void*()> current;
    std::function<void(void*)> setCurrent;
    std::function<void(void* after, void* element)> link;  // after null: at the head
    std::function<void(void* element)> unlink;
    std::function<void()> show;  // the level's cursor step
  };
  // A text field and how its text is committed; answers whether the model took it.
  struct TextField {
    QWidget* control;
    std::function<bool(const std::string& text)> commit;
  };

  QGroupBox* BuildLevel(const char* caption, LevelControls& level, Chain& chain);
  // Gives the level's controls their names, in the order of LevelControls::buttons.
  static void NameLevel(const LevelControls& level, std::initializer_list<QPushButton**> buttons, QLineEdit*& count,
                        QLineEdit*& cursor);
  void ShowLevelCursor(LevelControls& level, const Chain* chain);
  // First, Previous, Next, Last by index (0..3), then the level is shown again.
  void Navigate(Chain& chain, int step);
  void Move(Chain& chain, bool back);
  void DeleteStave();
  void DeleteNoteGroup();
  void DeletePlayer();
  void PlayStave();
  void PlayNoteGroup();

  QLineEdit* AddTextField(QLineEdit* edit, std::function<bool(const std::string&)> commit);
  void WatchField(QWidget* control, std::function<bool(const std::string&)> commit);
  void FieldChanged();
  // Commits the field when it was changed; `refocus` puts the focus back on a failure.
  void ExitField(const TextField& field, bool refocus);
  void ChangeStickKind(QCheckBox* clicked);
  void ChoosePage(int index);
  // Runs an edit of the model that needs no refill, unless the controls are being filled.
  void Immediate(const std::function<void()>& edit);
  void Changed();
  // Runs `fill` with the fill counter raised.
  void Filling(const std::function<void()>& fill);

  class LevelsArea;
  LevelsArea* levels_ = nullptr;
  TUnitMuz* UnitMuz = nullptr;
  int32_t FillCounter = 0;
  uint8_t ChangedFlag = 0;
  bool KeepFieldText = false;  // a wrong text was reported and waits to be corrected
  LevelControls staveLevel_, groupLevel_, playerLevel_;
  Chain staves_, groups_, players_;
  std::vector<TextField> fields_;
  std::vector<TWaveComboBox*> waveCombos_;
};

// Lets the main window build the dialog on first use.
void InstallMusicDialog(TMainForm& form);
