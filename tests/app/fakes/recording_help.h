// A help service that records each help command instead of showing anything.
#pragma once

#include <utility>
#include <vector>

#include "gui/application.h"

class RecordingHelp : public HelpService {
 public:
  RecordingHelp() { previous_ = SetHelpService(this); }
  ~RecordingHelp() override { SetHelpService(previous_); }
  RecordingHelp(const RecordingHelp&) = delete;
  RecordingHelp& operator=(const RecordingHelp&) = delete;

  bool HelpCommand(int command, int data) override {
    calls.emplace_back(command, data);
    return true;
  }

  std::vector<std::pair<int, int>> calls;

 private:
  HelpService* previous_ = nullptr;
};
