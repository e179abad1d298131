#include "app/dialogs/WaveComboBox.h"

namespace {

WaveNameLister waveNameLister;

}  // namespace

std::string TWaveComboBox::GetText(int32_t index) const {
  return index >= 0 && index < count() ? itemText(index).toStdString() : std::string();
}

int32_t TWaveComboBox::GetItemIndex() const {
  const int index = currentIndex();
  if (index < 0) return -1;
  if (isEditable() && currentText() != itemText(index)) return -1;
  return index;
}

void TWaveComboBox::SetItemIndex(int32_t index) {
  setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

WaveNameLister SetWaveNameLister(WaveNameLister lister) {
  WaveNameLister previous = std::move(waveNameLister);
  waveNameLister = std::move(lister);
  return previous;
}

int32_t FillWaveCombo(TWaveComboBox& combo, uint8_t filter) {
  combo.clear();
  if (waveNameLister) {
    for (const std::string& name : waveNameLister(filter)) combo.addItem(QString::fromStdString(name));
  }
  combo.setCurrentIndex(-1);
  return combo.count();
}
