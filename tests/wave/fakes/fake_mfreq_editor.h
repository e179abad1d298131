// A multi-frequency dialog whose inputs are one row of values; it records what the browser shows.
#pragma once

#include <cstdint>

#include "wave/mfreqprops.h"

class FakeMFreqEditor : public MFreqEditor {
 public:
  bool ReadFields(TMFreqBrowseRecord*& row) override {
    if (!inputsValid) return false;
    row = new TMFreqBrowseRecord(inputs);
    return true;
  }
  void ShowRecord(const TMFreqBrowseRecord& row) override {
    inputs = row;
    ++shownRows;
  }
  void ShowDefaults() override { inputs = TMFreqBrowseRecord(); }
  void UpdateView(int32_t count, int32_t position, bool, bool, bool canDelete, bool) override {
    viewCount = count;
    viewPosition = position;
    viewCanDelete = canDelete;
  }

  TMFreqBrowseRecord inputs;
  bool inputsValid = true;
  int shownRows = 0;
  int32_t viewCount = 0;
  int32_t viewPosition = 0;
  bool viewCanDelete = true;
};
