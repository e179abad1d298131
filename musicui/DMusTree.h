// The modeless Music Parts dialog: the tree of music parts and turn items of the active music
// document, the numbers of the selected node, and the actions that reshape the tree. Every change
// goes into the document at once.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "app/ModelessDialog.h"

class QAction;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;
class TMDIChildMuz;
class TMainForm;
class TMusTreeItem;
class TPartMuz;
class TUnitMuz;

inline constexpr const char* kMusTreeCaption = "Music Parts";
inline constexpr int kMusTreeHelpContext = 52;
inline constexpr const char* kDeleteSingleQuestion = "Do you want to delete a part of music?";
inline constexpr const char* kDeleteSingleCaption = "A Single Part containing music is selected";

// The Octave field's text for a pitch in semitones: whole octaves and a reduced fraction of one.
std::string PitchToOctaveText(int32_t pitch);

// Each node keeps the index of its image under this role.
inline constexpr int kImageRole = Qt::UserRole + 1;

class TDlgMusTree : public QDialog, public MusTreeNotices {
 public:
  explicit TDlgMusTree(QWidget* owner);
  ~TDlgMusTree() override;

  // The main window's notice: the active music window, or none.
  void SetUnitMuz(TMDIChildMuz* window) override;
  // Shows `unit` directly (what SetUnitMuz does with a window's document).
  void ShowUnitMuz(TUnitMuz* unit);
  TUnitMuz* GetUnitMuz() const { return UnitMuz; }
  void Refresh();
  TPartMuz* GetSelectedPartMuz() const;
  TMusTreeItem* GetSelectedItem() const;
  void ShowSelectedNode(QTreeWidgetItem* node);

  // --- the tree edits ------------------------------------------------------------------------
  void InsertSingle(bool before);
  void AddLoopOrSelect(uint8_t kind);
  void cmdAddTurnExecute();
  void MoveSubtree(bool forward);
  void MoveSubtreeInto(bool forward);
  void MoveSubtreeOut(bool forward);
  void cmdDeleteExecute();
  void btnInsertSingleClick() { InsertSingle(true); }
  void btnAppendSingleClick() { InsertSingle(false); }

  // --- view and go-to ------------------------------------------------------------------------
  void ExpandSelected(bool expand, bool all);
  void GotoSymbol(bool last);

  // --- controls --------------------------------------------------------------------------------
  void editChange();
  void editCountExit();
  void editPitchExit();
  void chkPlayDrawClick();
  void btnPlayClick();
  void btnApplyClick();
  void tvMusPartsChange(QTreeWidgetItem* node, QTreeWidgetItem* previous);
  void tvMusPartsEdited(QTreeWidgetItem* node);
  void SetPartExpanded(QTreeWidgetItem* node, bool expanded);

  void FormShow();
  void FormActivate();
  void FormClose();
  void done(int result) override;

  QTreeWidget* tvMusParts;
  QLineEdit* editCount;
  QLineEdit* editPitch;
  QLineEdit* editOctave;
  QCheckBox* chkPlayDraw;
  QPushButton* btnPlay;
  QPushButton* btnApply;
  QPushButton* btnClose;
  QPushButton* btnHelp;
  QStatusBar* StatusBar;

  QAction* cmdInsertSingle;
  QAction* cmdAppendSingle;
  QAction* cmdAddLoop;
  QAction* cmdAddTurns;
  QAction* cmdAddTurn;
  QAction* cmdMoveForward;
  QAction* cmdMoveBackward;
  QAction* cmdMoveForwardIn;
  QAction* cmdMoveBackwardIn;
  QAction* cmdMoveForwardOut;
  QAction* cmdMoveBackwardOut;
  QAction* cmdDelete;
  QAction* cmdTreeExpand;
  QAction* cmdTreeExpandAll;
  QAction* cmdTreeCollapse;
  QAction* cmdTreeCollapseAll;
  QAction* cmdGotoBegin;
  QAction* cmdGotoEnd;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  class TreeView;
  void BuildActions();
  // The common end of every tree edit: `selected` becomes the document's selected item; null
  // (a refused edit) changes nothing.
  void FinishEdit(TMusTreeItem* selected);
  void SortNodes();
  // The selected part, or none when no document or no part node is selected: the actions may
  // still fire before their enabled states catch up.
  TPartMuz* SelectedPartOrNone() const;
  // Takes the focus from a focused number field, which commits its pending edit.
  void LeaveFields();
  // The node's text anew from its item, after its count changed.
  void Relabel(QTreeWidgetItem& node);

  TUnitMuz* UnitMuz = nullptr;
  int32_t FillCount = 0;
  uint8_t Changed = 0;
  QTreeWidgetItem* EditedNode = nullptr;
  uint8_t Keep = 0;
  QTreeWidgetItem* KeptNode = nullptr;
  bool Restoring = false;
  TreeView* View;
};

// Lets the main window build the dialog on first use.
void InstallMusTreeDialog(TMainForm& mainForm);
