// A multi-frequency dialog whose inputs are one row of values.
#pragma once

#include <cstdint>

#include "wave/mfreqprops.h"

class FakeMFreqEditor : public MFreqEditor {
 public:
  bool ReadFields(TMFreqBrowseRecord*& row) override {
    row = new TMFreqBrowseRecord(inputs);
    return true;
  }
  void ShowRecord(const TMFreqBrowseRecord& row) override { inputs = row; }
  void ShowDefaults() override { inputs = TMFreqBrowseRecord(); }
  void UpdateView(int32_t, int32_t, bool, bool, bool, bool) override {}

  TMFreqBrowseRecord inputs;
};
