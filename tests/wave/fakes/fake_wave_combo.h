// A list of wave names with a chosen entry, as a dialog's combo box holds it.
#pragma once

#include <string>
#include <vector>

#include "wave/wavecombo.h"

class FakeWaveCombo : public WaveCombo {
 public:
  explicit FakeWaveCombo(std::vector<std::string> texts, int32_t chosen = -1)
      : texts(std::move(texts)), chosen(chosen) {}
  int32_t GetCount() const override { return static_cast<int32_t>(texts.size()); }
  std::string GetText(int32_t index) const override { return texts.at(static_cast<size_t>(index)); }
  int32_t GetItemIndex() const override { return chosen; }
  void SetItemIndex(int32_t index) override { chosen = index; }

  std::vector<std::string> texts;
  int32_t chosen;
};
