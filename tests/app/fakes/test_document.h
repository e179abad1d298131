// A document of either kind with no content, and a document window around it that records what
// the window protocol asks of it.
#pragma once

#include <memory>
#include <string>

#include "app/ChildWin.h"
#include "foundation/unit.h"

class TestDocument : public TUnit {
 public:
  explicit TestDocument(uint8_t kind, int16_t channels = 1, bool* deleted = nullptr)
      : TUnit(kind), channels_(channels), deleted_(deleted) {}
  ~TestDocument() override {
    if (deleted_) *deleted_ = true;
  }
  bool SaveToFile(const std::string&, bool) override { return false; }
  uint32_t GetSamplesPerSec() const override { return 22050; }
  int16_t GetChannels() const override { return channels_; }
  int16_t GetBytesPerSample() const override { return 2; }
  void SetFormat(const waveFileProps&, const waveFileProps&) override {}

 private:
  int16_t channels_;
  bool* deleted_;
};

class TestChild : public TMDIChildKorvalen {
 public:
  explicit TestChild(std::unique_ptr<TUnit> unit) { SetUnit(std::move(unit)); }
  ~TestChild() override { DeleteUnit(); }

  bool saveResult = true;
  int saves = 0;
  int activations = 0;
  int lastClosedNotices = 0;

 protected:
  bool SaveUnit() override {
    ++saves;
    if (saveResult) GetUnit()->SetSaved();
    return saveResult;
  }
  void NotifyActivated() override { ++activations; }
  void NotifyLastClosed() override { ++lastClosedNotices; }
};
