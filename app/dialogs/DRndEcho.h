// The "Random Echo" dialog: how many echoes, their seed and time difference, and on six pages how
// time, volume, length, balance, pitch and tempo vary from echo to echo, each by a die of its own.
// The page shown last is kept in the record, so the next dialog opens on it.
#pragma once

#include <array>

#include "app/dialogs/DEchoFilter.h"
#include "wave/props.h"

class QComboBox;

class TDlgRandomEchoProps : public TEchoFilterDlg<TOKHelpRightDlg, TRandomEchoProps> {
 public:
  TDlgRandomEchoProps(QWidget* owner, const TRandomEchoProps& props);
  // Replaces the list by the six dice, "Die 1" to "Die 6".
  static void FillDieList(QComboBox& combo);

 private:
  void AddVariation(int page, const char* caption, uint8_t& kind, bool linear, const char* name,
                    unitUnitWave& envelope, QComboBox* source);

  QTabWidget* pgcEchoManip;
  std::array<QComboBox*, 6> sources_{};
};
