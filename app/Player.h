// Play, Pause, Stop and Record of the main window, and the play service the rest of the program
// uses. Every sound goes through a file: a play is written to the temporary play file first, a
// recording is made into the temporary record file and read back into its document on Stop.
#pragma once

#include <cstdint>
#include <string>

#include "wave/sound.h"

class MediaPlayer;
class QAction;
enum TMPNotifyValues : int;
class TUnitWave;

// What playback asks of the open documents.
class PlayerDocuments {
 public:
  virtual ~PlayerDocuments() = default;
  // The kind of the active document window (kUnitKindWave, kUnitKindMuz), 0 without one.
  virtual uint8_t ActiveKind() const = 0;
  virtual TUnitWave* ActiveUnitWave() const = 0;
  // The active music document rendered into a new sound; null without one or when rendering
  // yields nothing (the renderer reports why itself).
  virtual SoundPtr RenderActiveMuz() = 0;
};

// The four actions whose checked and enabled states show the player's state.
struct PlayerActions {
  QAction* FilePlay;
  QAction* FileStop;
  QAction* FilePause;
  QAction* FileRecord;
};

class PlaybackControl {
 public:
  // All three are borrowed and outlive the control.
  PlaybackControl(MediaPlayer& player, const PlayerActions& actions, PlayerDocuments& documents);
  ~PlaybackControl();
  PlaybackControl(const PlaybackControl&) = delete;
  PlaybackControl& operator=(const PlaybackControl&) = delete;

  // Plays samples [first, end) of the sound; false when the temporary file could not be written or
  // the player could not take it.
  bool PlayWave(const Sound& sound, int32_t first, int32_t end);
  bool PlayWholeSound(const Sound& sound);

  void FilePlayExecute();
  void FileStopExecute();
  void FilePauseExecute();
  void FileRecordExecute();
  // The player's notification of `command`: only the end of what runs now closes the player and
  // resets the buttons. A recording the device ended by failing goes into its document, and the
  // user is told why.
  void AudioPlayerNotify(TMPNotifyValues value, uint64_t command);

  // A document that goes away must not receive a recording: one running or pending for it is
  // dropped.
  void UnitWaveClosing(const TUnitWave* unitWave);
  // Before the player is closed for something else, or the program ends: a running recording
  // goes into its document, a pending one is given up.
  void EndRecordingBeforeClose();
  // The same for a recording meant for `unitWave` only, before a command takes its sound: a
  // recording into another wave, or none, goes on untouched.
  void EndRecordingInto(const TUnitWave* unitWave);
  // Enables Stop and Pause, and Play and Record for the active document's kind.
  void UpdateAvailability();

 private:
  // Puts what the player recorded into RecordUnitWave, from the record file or else from the
  // player's memory; false (and the user told) when neither holds it. The player ends up closed.
  bool FinishRecording();
  // Ends the recording state without touching the document.
  void DropRecording();
  bool StartPlaying();
  bool StartRecording();
  bool ReportPlayerFailure(const std::string& why);
  // Closes the player; the notice what it held still owes finds nothing to end.
  void ClosePlayer();
  void AwaitNoticeOfLastCommand();
  // Before a Play or Record takes the player.
  void ReplacePlayerContent();
  // Nothing stays pressed for a play that is over or never came.
  void ReleasePlay();
  // A play or recording that cannot be had: nothing stays pressed for it, then the box says why.
  bool RefusePlay(const std::string& why);
  bool RefuseRecording(const std::string& why);

  MediaPlayer& player_;
  PlayerActions actions_;
  PlayerDocuments& documents_;
  // The command whose notice tells that what runs now has ended: the one that started or resumed
  // it, or the Pause that holds it. Commands count from 1.
  static constexpr uint64_t kNoNotice = 0;
  uint64_t awaitedNotice_ = kNoNotice;
};

// Whether a recording, running, paused or waiting for Pause, is meant for `unitWave`: until it
// ends, the wave's sound is the recording's to set, and nothing else may change it.
bool RecordingInto(const TUnitWave* unitWave);

// The main window's whole-sound playback for the engine and the dialogs; false without a main
// window.
bool MainPlayWholeSound(const Sound& sound);
// A wave document is going away: a recording meant for it is dropped.
void MainUnitWaveClosing(const TUnitWave* unitWave);
