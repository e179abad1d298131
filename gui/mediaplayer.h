// The media player as the main window drives it: one wave file at a time, opened, played or
// recorded into, and a notification when the command that asked for one has completed. The
// desktop layer's implementation plays through the audio device; tests put a recording fake here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "wave/sound.h"

// The player modes, with the values the main window tests.
enum TMPModes : int {
  mpNotReady = 0,
  mpStopped = 1,
  mpPlaying = 2,
  mpRecording = 3,
  mpSeeking = 4,
  mpPaused = 5,
  mpOpen = 6,
};

// How the command that asked for a notification ended.
enum TMPNotifyValues : int { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;

  virtual void SetFileName(const std::string& fileName) = 0;
  virtual std::string FileName() const = 0;
  // Both settings apply to the next command only.
  virtual void SetNotify(bool notify) = 0;  // notify when the next command has completed
  virtual void SetWait(bool wait) = 0;      // the next command returns only once it has completed

  // Opens the file named by FileName; false (with Error) when it cannot be read or no audio
  // device exists. An open file is stopped at its start.
  virtual bool Open() = 0;
  // Ends whatever runs and forgets the file; harmless when nothing is open.
  virtual void Close() = 0;
  // Plays from the start, or from where a pause left off, to the end of the file.
  virtual bool Play() = 0;
  virtual void Pause() = 0;
  // Continues what Pause interrupted: a play or a recording.
  virtual bool Resume() = 0;
  virtual void Stop() = 0;
  // Records from the default input until Stop; Save then replaces what the file held.
  virtual bool StartRecording() = 0;
  // Writes what was recorded to FileName in the open file's format.
  virtual bool Save() = 0;
  // What was recorded, in the open file's format, as Save would write it: kept until the file is
  // closed, whether or not Save could write it. Null when no file is open.
  virtual SoundPtr Recording() const = 0;

  virtual TMPModes Mode() const = 0;
  // Why the last command failed.
  virtual std::string Error() const = 0;
  // Every command takes the next number, from 1 on; this is the last one's. A notification carries
  // the number of the command it answers, so that one that arrives after later commands can be
  // told from theirs however many came meanwhile.
  virtual uint64_t LastCommand() const = 0;
  // Called on the user-interface thread, after the command that asked for it has completed,
  // never from inside a command. A paused play or recording that the device ends notifies
  // nvFailure although no command asked, answering the Pause that paused it: nothing else would
  // tell that it is gone.
  virtual void SetOnNotify(std::function<void(TMPNotifyValues, uint64_t command)> handler) = 0;
};
