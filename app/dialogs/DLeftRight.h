// The "Mix Left Right" dialog: how much of each channel goes into each channel, typed or taken
// from a list of examples.
#pragma once

#include <array>

#include "app/dialogs/DCommon.h"
#include "wave/props.h"

class QComboBox;

struct TLeftRightExample {
  const char* name;
  double left2Left, left2Right, right2Left, right2Right;
};

inline constexpr std::array<TLeftRightExample, 8> kLeftRightExamples{{
    {"Normal", 1, 0, 0, 1},
    {"Swapped", 0, 1, 1, 0},
    {"Extra Stereo", 0.75, -0.25, -0.25, 0.75},
    {"Super Stereo", 0.5, -0.25, -0.25, 0.5},
    {"Surround", 0.5, -0.5, -0.5, 0.5},
    {"Mono", 0.5, 0.5, 0.5, 0.5},
    {"Mono at Left, Surround at Right", 0.4, -0.8, 0.4, 0.8},
    {"Mono at Right, Surround at Left", 0.8, 0.4, -0.8, 0.4},
}};

class TDlgLeftRightProps : public TOperationDlg<TOKHelpRightDlg, TLeftRightProps> {
 public:
  TDlgLeftRightProps(QWidget* owner, const TLeftRightProps& props);

  // Writes the chosen example's values into the four fields and their inputs.
  void cboExampleChange();
  // A change in any of the four inputs: one the example wrote is expected, any other shows that
  // no example applies any more.
  void editLR2LRChange();

 private:
  QComboBox* cboExample;
  std::array<QLineEdit*, 4> edits_{};
  int expectedChanges_ = 0;
};
