// The media player on the sound server (gui/audioserver.h). Files are read and written with the
// program's own WAVE reader and writer; the server is given 16-bit samples at the file's rate and
// converts them for its devices, and a rate it does not take is converted on the way to it and
// back.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QElapsedTimer>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/unit.h"
#include "gui/mediaplayer.h"
#include "gui/takeplan.h"
#include "wave/sound.h"
#include "wave/wavefile.h"

class QEventLoop;
class QObject;
struct pa_context;
struct pa_operation;
struct pa_sample_spec;
struct pa_stream;

namespace playertext {
inline constexpr const char* kNoDevice = "No audio device.";
inline constexpr const char* kNoOutput = "No audio output device.";
inline constexpr const char* kNoInput = "No audio input device.";
inline constexpr const char* kNotOpen = "No file is open.";
inline constexpr const char* kNotPaused = "Nothing is paused.";
inline constexpr const char* kDeviceFailed = "The audio device failed.";
inline constexpr const char* kCannotWrite = "Cannot write the file.";
inline constexpr const char* kUnsupportedFormat = "The audio device takes no usable format.";
inline constexpr const char* kInputGone =
    "The recording ended because the sound input went away. What was recorded until then is in "
    "the wave.";
inline constexpr const char* kRecordingLost =
    "The recording was lost: it could be kept neither in its temporary file nor in memory.";
}  // namespace playertext

// How samples travel to and from the sound server.
class DeviceFormat {
 public:
  enum SampleFormat { Unknown, UInt8, Int16, Int32, Float };

  DeviceFormat() = default;
  DeviceFormat(int rate, int channels, SampleFormat sampleFormat)
      : rate_(rate), channels_(channels), sampleFormat_(sampleFormat) {}

  int sampleRate() const { return rate_; }
  int channelCount() const { return channels_; }
  SampleFormat sampleFormat() const { return sampleFormat_; }
  int bytesPerSample() const;
  int bytesPerFrame() const { return bytesPerSample() * channels_; }
  bool isValid() const { return rate_ > 0 && channels_ > 0 && bytesPerSample() > 0; }

 private:
  int rate_ = 0;
  int channels_ = 0;
  SampleFormat sampleFormat_ = Unknown;
};

// The format the server is given for a sound of `rate` and `channels`: 16 bits at the sound's
// own rate, or at a usual one when the server takes no such rate.
DeviceFormat ServerFormatFor(int32_t rate, int channels);

// The sound as bytes of `format`: resampled to its rate, its channels filled from the sound's (a
// mono device gets the average, channels past two stay silent). Empty for an empty sound.
QByteArray SoundToDevice(bool& abort, const Sound& sound, const DeviceFormat& format);
// Bytes captured in `format` as a sound of the file format `target`; null on a raised flag.
SoundPtr DeviceToSound(bool& abort, const QByteArray& bytes, const DeviceFormat& format,
                       const waveFileProps& target);

// Builds a take of `format` in place, each byte moved at most once: its first `lead` frames cut, the
// gaps (in order, none before `lead`) put in as silence, and the end cut or filled with silence to
// `takeEnd` frames.
void PlaceTake(QByteArray& take, const DeviceFormat& format, const std::vector<TakeGap>& gaps,
               int64_t lead, int64_t takeEnd);

class WavePlayer final : public MediaPlayer {
 public:
  WavePlayer();
  ~WavePlayer() override;
  WavePlayer(const WavePlayer&) = delete;
  WavePlayer& operator=(const WavePlayer&) = delete;

  void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
  std::string FileName() const override { return fileName_; }
  void SetNotify(bool notify) override { notifyNext_ = notify; }
  void SetWait(bool wait) override { waitNext_ = wait; }

  bool Open() override;
  void Close() override;
  bool Play() override;
  void Pause() override;
  bool Resume() override;
  void Stop() override;
  bool StartRecording() override;
  bool Save() override;
  SoundPtr Recording() const override;
  // When the last take started, on the steady clock of the server's library (pa_rtclock_now, in
  // microseconds): its first frame is what the input captured then. 0 before any take.
  int64_t TakeStartUs() const { return takeStartUs_; }

  TMPModes Mode() const override;
  std::string Error() const override { return error_; }
  uint64_t LastCommand() const override { return command_; }
  void SetOnNotify(std::function<void(TMPNotifyValues, uint64_t)> handler) override {
    onNotify_ = std::move(handler);
  }

 private:
  enum class Activity { kIdle, kPlaying, kRecording };

  struct Flags {
    bool notify;
    bool wait;
  };
  // Takes the one-command settings, and ends with `ended` the notification an earlier command
  // still owes.
  Flags BeginCommand(TMPNotifyValues ended);
  // Ends a command that completes at once.
  bool EndCommand(const Flags& flags, bool ok);
  void Post(TMPNotifyValues value, uint64_t command);
  // A running play or recording notifies when it ends, answering the command that started it.
  void OweNotice(bool notify);
  void StopDevices();
  void PlayFinished(uint64_t generation, TMPNotifyValues value);
  void RecordFailed(uint64_t generation);
  bool Fail(const char* text);

  // The one stream on the server, for a play or a recording: connected and running when
  // OpenStream returns true, else Error says why and no stream is left behind.
  struct StreamLink;
  bool OpenStream(bool record, const DeviceFormat& format);
  // One try on `context`; the stream is left as it ended for OpenStream to judge. Lock held.
  bool StartStream(pa_context* context, bool record, const pa_sample_spec& spec);
  // Ends it at once: what it still held goes unheard.
  void CloseStream();
  // The server failed or killed the stream under a play or a recording.
  void StreamFailed(uint64_t generation);
  // Corks or uncorks the stream: a pause that keeps its place.
  void Cork(bool corked);
  // A play is fed from a thread of its own, which reads the sound ahead and hands the server what
  // it asks for: the window's thread may be busy for a second and the play still sounds whole.
  // It ends before the stream is closed.
  class PlayFeed;
  std::unique_ptr<PlayFeed> playFeed_;
  pa_stream* stream_ = nullptr;
  std::unique_ptr<StreamLink> link_;
  pa_operation* drain_ = nullptr;

  std::string fileName_;
  std::string error_;
  bool notifyNext_ = false;
  bool waitNext_ = false;
  bool notifyOwed_ = false;  // a running play or recording notifies when it ends
  uint64_t command_ = 0;      // the last command's number
  // The command a notice of what runs answers: the one that started it, or the Pause that holds it.
  uint64_t owedCommand_ = 0;

  bool open_ = false;
  Activity activity_ = Activity::kIdle;
  bool paused_ = false;
  uint64_t generation_ = 0;  // tells the device signals of an earlier play apart

  WaveFrameReader file_;  // the open file
  // What the play reads: the file streamed, or the whole sound converted for a device that lacks
  // its rate (then in playBytes_). Only the play's feed touches it while the play runs.
  std::unique_ptr<QIODevice> playSource_;
  int64_t playBytesTotal_ = 0;
  QByteArray playBytes_;
  DeviceFormat playFormat_;
  // How long the play has sounded, pauses left out: the play ends only when its sound has been
  // heard, however soon the server reports it played out.
  QElapsedTimer playClock_;
  int64_t playedBeforePauseMs_ = 0;
  bool drained_ = false;
  int64_t PlayedMs() const;
  int64_t PlayDurationMs() const;
  void FinishWhenPlayedOut(uint64_t generation);
  // An output that goes away under a play (unplugged, removed from the server) may fail without
  // the server ever saying so: it just stops taking sound. A play that takes nothing for a while ends
  // as a failed one.
  void WatchPlay(uint64_t generation, int64_t position, int64_t stalledMs);

  QByteArray recordBytes_;
  DeviceFormat recordFormat_;
  // A take holds what its input delivered while Record ran, pauses left out, and its sound stays
  // where it sounded (gui/takeplan.h): the server's timing is gathered as the take runs and read
  // when it ends.
  std::vector<TakeRun> recordRuns_;
  int64_t recordRanUs_ = 0;  // before the last pause
  int64_t takeStartUs_ = 0;
  bool recordClockRuns_ = false;
  // Where in the stream each block that the server delivered starts (bytes of recordBytes_).
  std::vector<int64_t> recordBlocks_;
  std::vector<CaptureBound> recordBounds_;
  void TakeRecorded();
  void TakeRecordedOf(uint64_t generation);  // when the server says some has arrived
  // Reads what the server holds now into recordBytes_. Lock held.
  void ReadRecorded();
  void PauseRecordClock(int64_t nowUs);
  void StartRecordClock();
  // Stop takes what the server still holds for the time up to it, waiting a little for it.
  void TakeRecordedUpTo(int64_t stopUs);
  // A take ends: each block goes where it was captured, with silence for the time in between.
  void KeepTakeTime();

  QEventLoop* waitLoop_ = nullptr;
  std::unique_ptr<QObject> context_;  // receives the device signals and the queued notifications
  std::function<void(TMPNotifyValues, uint64_t)> onNotify_;
};
