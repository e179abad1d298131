// A media player that keeps a log of the commands and behaves as the real one does towards its
// caller: modes, one-command settings, the notification an interrupted command still sends, and a
// saved recording. Notifications wait until the test delivers them, as messages do.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "gui/mediaplayer.h"
#include "wave/wavefile.h"

class FakePlayer : public MediaPlayer {
 public:
  void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
  std::string FileName() const override { return fileName_; }
  void SetNotify(bool notify) override { notify_ = notify; }
  void SetWait(bool wait) override { wait_ = wait; }

  bool Open() override {
    Begin("Open", nvAborted);
    if (failOpen) return false;
    mode_ = mpStopped;
    return true;
  }
  void Close() override {
    Begin("Close", nvAborted);
    mode_ = mpNotReady;
  }
  bool Play() override { return Start("Play", mpPlaying); }
  bool StartRecording() override { return Start("StartRecording", mpRecording); }
  void Pause() override {
    Begin("Pause", nvAborted);
    if (mode_ == mpPlaying || mode_ == mpRecording) {
      pausedFrom_ = mode_;
      mode_ = mpPaused;
    }
  }
  bool Resume() override {
    const bool notify = notify_;
    Begin("Resume", nvSuperseded);
    if (mode_ != mpPaused) return false;
    mode_ = pausedFrom_;
    owed_ = notify;
    return true;
  }
  void Stop() override {
    Begin("Stop", nvAborted);
    if (mode_ != mpNotReady) mode_ = mpStopped;
  }
  bool Save() override {
    log.push_back(wait_ ? "Save(wait)" : "Save");
    notify_ = wait_ = false;
    if (!saveGarbage.empty()) {
      std::ofstream(fileName_, std::ios::binary) << saveGarbage;
      return true;
    }
    if (!recording) return false;
    bool abort = false;
    return WriteWaveFile(abort, fileName_, *recording, 0, recording->GetValues(), true);
  }
  TMPModes Mode() const override { return mode_; }
  std::string Error() const override { return "player failed"; }
  void SetOnNotify(std::function<void(TMPNotifyValues)> handler) override {
    handler_ = std::move(handler);
  }

  // The play reaches the end of its file.
  void FinishPlay() {
    mode_ = mpStopped;
    if (owed_) queued.push_back(nvSuccessful);
    owed_ = false;
  }
  // Hands every waiting notification to the handler, as the message loop would.
  void Deliver() {
    while (!queued.empty()) {
      const TMPNotifyValues value = queued.front();
      queued.erase(queued.begin());
      if (handler_) handler_(value);
    }
  }

  std::vector<std::string> log;
  std::vector<TMPNotifyValues> queued;
  SoundPtr recording;       // what Save writes
  std::string saveGarbage;  // when set, Save writes these bytes instead
  bool failOpen = false;

 private:
  void Begin(const std::string& command, TMPNotifyValues ended) {
    log.push_back(notify_ ? command + "(notify)" : command);
    notify_ = wait_ = false;
    if (owed_) queued.push_back(ended);
    owed_ = false;
  }
  bool Start(const std::string& command, TMPModes mode) {
    const bool notify = notify_;
    Begin(command, nvSuperseded);
    if (mode_ == mpNotReady) return false;
    mode_ = mode;
    owed_ = notify;
    return true;
  }

  std::string fileName_;
  bool notify_ = false;
  bool wait_ = false;
  bool owed_ = false;
  TMPModes mode_ = mpNotReady;
  TMPModes pausedFrom_ = mpPlaying;
  std::function<void(TMPNotifyValues)> handler_;
};
