// What a wave-document reference needs of a dialog's list of open waves. The GUI implements it
// over its combo box, whose entries are the registered names of the open wave documents.
#pragma once

#include <cstdint>
#include <string>

class WaveCombo {
 public:
  virtual ~WaveCombo() = default;
  virtual int32_t GetCount() const = 0;
  virtual std::string GetText(int32_t index) const = 0;
  // The chosen entry, or -1 when none is chosen.
  virtual int32_t GetItemIndex() const = 0;
  virtual void SetItemIndex(int32_t index) = 0;
};
