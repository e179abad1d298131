// A document of either kind without content, and a document window around any document that
// records what the window protocol asks of it.
#pragma once

#include <memory>
#include <string>

#include "app/wavewindow/ChildWin.h"
#include "foundation/unit.h"

class TestDocument : public TUnit {
 public:
  TestDocument(uint8_t kind, bool* deleted) : TUnit(kind), deleted_(deleted) {}
  ~TestDocument() override { *deleted_ = true; }
  bool SaveToFile(const std::string&, bool) override { return false; }
  uint32_t GetSamplesPerSec() const override { return 22050; }
  int16_t GetChannels() const override { return 1; }
  int16_t GetBytesPerSample() const override { return 2; }
  void SetFormat(const waveFileProps&, const waveFileProps&) override {}

 private:
  bool* deleted_;
};

class TestChild : public TMDIChildKorvalen {
 public:
  explicit TestChild(std::unique_ptr<TUnit> unit) { SetUnit(std::move(unit)); }
  ~TestChild() override { DeleteUnit(); }

  bool saveWorks = true;
  int saves = 0;
  int activations = 0;
  int lastClosedNotices = 0;

 protected:
  bool SaveUnit() override {
    ++saves;
    if (saveWorks) GetUnit()->SetSaved();
    return saveWorks;
  }
  void NotifyActivated() override { ++activations; }
  void NotifyLastClosed() override { ++lastClosedNotices; }
};
