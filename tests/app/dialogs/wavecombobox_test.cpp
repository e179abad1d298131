// The real combo box behind the engine's wave reference.
#include "app/dialogs/WaveComboBox.h"

#include <gtest/gtest.h>

#include "wave/unitwaveref.h"

TEST(WaveComboBox, ChosenEntryIsTheListedNameOnly) {
  TWaveComboBox combo;
  const WaveNameLister previous = SetWaveNameLister([](uint8_t filter) {
    return filter == 1 ? std::vector<std::string>{"Bass", "Drum"} : std::vector<std::string>{};
  });
  combo.addItem("Old");
  combo.setCurrentIndex(0);
  EXPECT_EQ(FillWaveCombo(combo, 1), 2);
  EXPECT_EQ(combo.GetItemIndex(), -1);
  EXPECT_EQ(combo.GetText(0), "Bass");
  EXPECT_EQ(combo.GetText(5), "");
  unitUnitWave("Drum").ShowInCombo(combo);
  EXPECT_EQ(combo.GetItemIndex(), 1);
  combo.SetItemIndex(9);
  EXPECT_EQ(combo.GetItemIndex(), -1);
  combo.setEditable(true);
  combo.SetItemIndex(0);
  combo.setEditText("Piano");  // typed, not chosen
  EXPECT_EQ(combo.GetItemIndex(), -1);
  EXPECT_EQ(FillWaveCombo(combo, 2), 0);
  SetWaveNameLister(previous);
  EXPECT_EQ(FillWaveCombo(combo, 1), 0);
}
