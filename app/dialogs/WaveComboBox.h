// The combo box of a dialog that chooses an open wave document by its registered name.
#pragma once

#include <QComboBox>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wave/wavecombo.h"

class TWaveComboBox : public QComboBox, public WaveCombo {
 public:
  explicit TWaveComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}
  int32_t GetCount() const override { return count(); }
  std::string GetText(int32_t index) const override;
  // In an editable box a typed name that differs from the chosen entry chooses nothing.
  int32_t GetItemIndex() const override;
  void SetItemIndex(int32_t index) override;
};

// Where the names of the open wave documents come from: the main window's registry lists them,
// from the last document window to the first, for a filter (0 every named wave document, 1 all
// but the active one, 2 mono ones other than the active one). Without a lister the list is empty.
using WaveNameLister = std::function<std::vector<std::string>(uint8_t filter)>;
WaveNameLister SetWaveNameLister(WaveNameLister lister);  // answers the previous one

// Replaces the box's entries by the names of the filter and answers their number; nothing is
// chosen afterwards.
int32_t FillWaveCombo(TWaveComboBox& combo, uint8_t filter);
