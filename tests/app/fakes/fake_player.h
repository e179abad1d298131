// A media player that keeps a log of the commands and behaves as the real one does towards its
// caller: modes, one-command settings, the notification of a command that completes at once or
// fails, the one an interrupted command still sends, each carrying the number of the command it
// answers, and a saved recording. Notifications wait until the test delivers them, as messages do.
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
    const bool notify = Begin("Open", nvAborted);
    if (failOpen) return End(notify, false);
    mode_ = mpStopped;
    return End(notify, true);
  }
  void Close() override {
    const bool notify = Begin("Close", nvAborted);
    mode_ = mpNotReady;
    End(notify, true);
  }
  bool Play() override { return Start("Play", mpPlaying); }
  bool StartRecording() override { return Start("StartRecording", mpRecording); }
  void Pause() override {
    const bool notify = Begin("Pause", nvAborted);
    if (mode_ == mpPlaying || mode_ == mpRecording) {
      pausedFrom_ = mode_;
      mode_ = mpPaused;
      owedCommand_ = command_;
    }
    End(notify, true);
  }
  bool Resume() override {
    const bool notify = Begin("Resume", nvSuperseded);
    if (mode_ != mpPaused) return End(notify, false);
    mode_ = pausedFrom_;
    Owe(notify);
    return true;
  }
  void Stop() override {
    const bool notify = Begin("Stop", nvAborted);
    if (mode_ != mpNotReady) mode_ = mpStopped;
    End(notify, true);
  }
  bool Save() override {
    log.push_back(wait_ ? "Save(wait)" : "Save");
    ++command_;
    const bool notify = notify_;
    notify_ = wait_ = false;
    if (!saveGarbage.empty()) {
      std::ofstream(fileName_, std::ios::binary) << saveGarbage;
      return End(notify, true);
    }
    bool abort = false;
    return End(notify, recording && WriteWaveFile(abort, fileName_, *recording, 0, recording->GetValues(), true));
  }
  SoundPtr Recording() const override {
    if (mode_ == mpNotReady || !recording) return nullptr;
    bool abort = false;
    if (recording->MoSt == 2) return std::make_unique<StereoSound>(abort, *recording);
    return std::make_unique<MonoSound>(abort, *recording);
  }
  TMPModes Mode() const override { return mode_; }
  std::string Error() const override { return "player failed"; }
  uint64_t LastCommand() const override { return command_; }
  void SetOnNotify(std::function<void(TMPNotifyValues, uint64_t)> handler) override {
    handler_ = std::move(handler);
  }

  // The play reaches the end of its file.
  void FinishPlay() { EndByItself(nvSuccessful); }
  // The device fails under a play or a recording: it ends, and says so if asked to notify.
  void FailDevice() { EndByItself(nvFailure); }
  // Hands every waiting notification to the handler, as the message loop would.
  void Deliver() {
    while (!queued.empty()) {
      const Notice notice = queued.front();
      queued.erase(queued.begin());
      if (handler_) handler_(notice.value, notice.command);
    }
  }

  struct Notice {
    TMPNotifyValues value;
    uint64_t command;
  };
  std::vector<std::string> log;
  std::vector<Notice> queued;
  SoundPtr recording;       // what Save writes and Recording hands over
  std::string saveGarbage;  // when set, Save writes these bytes instead
  bool failOpen = false;
  bool failStart = false;  // Play and StartRecording find no device

 private:
  // Takes the one-command settings and returns whether this command notifies; the notification an
  // earlier command still owes ends with `ended`.
  bool Begin(const std::string& command, TMPNotifyValues ended) {
    const bool notify = notify_;
    log.push_back(notify ? command + "(notify)" : command);
    notify_ = wait_ = false;
    ++command_;
    if (owed_) queued.push_back({ended, owedCommand_});
    owed_ = false;
    return notify;
  }
  // A command that completes at once (or fails) notifies as it returns.
  bool End(bool notify, bool ok) {
    if (notify) queued.push_back({ok ? nvSuccessful : nvFailure, command_});
    return ok;
  }
  void Owe(bool notify) {
    owed_ = notify;
    owedCommand_ = command_;
  }
  // What runs ends without a command: it notifies with `value` if it owes a notification, and a
  // paused one that fails notifies in any case.
  void EndByItself(TMPNotifyValues value) {
    if (owed_ || (value == nvFailure && mode_ == mpPaused)) queued.push_back({value, owedCommand_});
    mode_ = mpStopped;
    owed_ = false;
  }
  bool Start(const std::string& command, TMPModes mode) {
    const bool notify = Begin(command, nvSuperseded);
    if (mode_ == mpNotReady || failStart) return End(notify, false);
    mode_ = mode;
    Owe(notify);
    return true;
  }

  std::string fileName_;
  bool notify_ = false;
  bool wait_ = false;
  bool owed_ = false;
  uint64_t command_ = 0;
  uint64_t owedCommand_ = 0;  // what a notice of what runs answers
  TMPModes mode_ = mpNotReady;
  TMPModes pausedFrom_ = mpPlaying;
  std::function<void(TMPNotifyValues, uint64_t)> handler_;
};
