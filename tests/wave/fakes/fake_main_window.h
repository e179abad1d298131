// A main window with the single undo slot, the sound clipboard and a status bar, recording what
// the engine asks of it; installed for the lifetime of the object. Only what the tests look at is
// overridden: the other services keep their defaults.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "wave/shell.h"
#include "wave/sound.h"
#include "wave/undo.h"

class FakeMainWindow : public ShellServices {
 public:
  FakeMainWindow() { previous_ = SetShellServices(this); }
  ~FakeMainWindow() override {
    undo.Delete();
    SetShellServices(previous_);
  }
  FakeMainWindow(const FakeMainWindow&) = delete;
  FakeMainWindow& operator=(const FakeMainWindow&) = delete;

  TUnitWave* MainFindUnitWaveByName(const std::string& name) override {
    askedNames.push_back(name);
    const auto found = documents.find(name);
    return found == documents.end() ? nullptr : found->second;
  }
  bool MainPlayWholeSound(const Sound& sound) override {
    played.push_back(&sound);
    return true;
  }
  void DeleteUndoOf(const TUnitWave* unitWave) override {
    undoDropRequests.push_back(unitWave);
    undo.DeleteUndoOf(unitWave);
  }
  bool UndoHolds(const Sound* sound) const override { return undo.Holds(sound); }
  void NotifySelectionChanged(WaveView* view) override { notified.push_back(view); }
  Sound* GetClipBoardSound() override { return clipboard.get(); }
  void SetClipBoardSound(std::unique_ptr<Sound> sound) override { clipboard = std::move(sound); }
  void SetStatusText(int32_t panel, const std::string& text) override { panels[panel] = text; }

  UndoSlot undo;
  SoundPtr clipboard;
  std::map<std::string, TUnitWave*> documents;
  std::vector<std::string> askedNames;
  std::vector<const Sound*> played;
  std::map<int32_t, std::string> panels;
  std::vector<WaveView*> notified;
  std::vector<const TUnitWave*> undoDropRequests;

 private:
  ShellServices* previous_ = nullptr;
};
