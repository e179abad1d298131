#include "gui/waveplayer.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QAudioSource>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMediaDevices>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <vector>

#include "wave/wavefile.h"

namespace {

// --- Samples in the device's encodings ------------------------------------------------------------

template <QAudioFormat::SampleFormat kFormat>
struct Encoding;

template <>
struct Encoding<QAudioFormat::UInt8> {
  using Type = uint8_t;
  // The same mapping as 8-bit WAVE files: -255 to 255 all give 128.
  static Type From(int16_t s) { return static_cast<Type>(s / 256 + 128); }
  static int16_t To(Type v) { return static_cast<int16_t>((v - 128) * 256); }
};

template <>
struct Encoding<QAudioFormat::Int16> {
  using Type = int16_t;
  static Type From(int16_t s) { return s; }
  static int16_t To(Type v) { return v; }
};

template <>
struct Encoding<QAudioFormat::Int32> {
  using Type = int32_t;
  static Type From(int16_t s) { return static_cast<Type>(s) * 65536; }
  static int16_t To(Type v) { return static_cast<int16_t>(v >> 16); }
};

template <>
struct Encoding<QAudioFormat::Float> {
  using Type = float;
  static Type From(int16_t s) { return static_cast<float>(s) / 32768.0f; }
  // Devices may deliver values past full scale, or NaN; both must land on a valid sample.
  static int16_t To(Type v) {
    if (!(v == v)) return 0;
    return static_cast<int16_t>(std::clamp(v * 32768.0f, -32768.0f, 32767.0f));
  }
};

// Frames of `deviceChannels`: a mono device hears the average of a stereo sound, a device with
// more than two channels hears silence on the others.
template <QAudioFormat::SampleFormat kFormat>
void EncodeFrames(const int16_t* left, const int16_t* right, int64_t frames, int deviceChannels,
                  unsigned char* out) {
  using E = Encoding<kFormat>;
  using T = typename E::Type;
  const T silence = E::From(0);
  T frame[8];
  for (int64_t i = 0; i < frames; ++i) {
    if (deviceChannels == 1) {
      frame[0] = E::From(static_cast<int16_t>((left[i] + right[i]) / 2));
    } else {
      frame[0] = E::From(left[i]);
      frame[1] = E::From(right[i]);
      for (int c = 2; c < deviceChannels; ++c) frame[c] = silence;
    }
    std::memcpy(out + i * deviceChannels * static_cast<int64_t>(sizeof(T)), frame,
                sizeof(T) * static_cast<size_t>(deviceChannels));
  }
}

// Frames of `deviceChannels` into one or two channels: mono takes the average of the first two.
template <QAudioFormat::SampleFormat kFormat>
void DecodeFrames(const unsigned char* in, int64_t frames, int deviceChannels, int16_t* left,
                  int16_t* right) {
  using E = Encoding<kFormat>;
  using T = typename E::Type;
  T frame[8];
  const int second = deviceChannels > 1 ? 1 : 0;
  for (int64_t i = 0; i < frames; ++i) {
    std::memcpy(frame, in + i * deviceChannels * static_cast<int64_t>(sizeof(T)),
                sizeof(T) * static_cast<size_t>(deviceChannels));
    const int16_t a = E::To(frame[0]);
    const int16_t b = E::To(frame[second]);
    if (right == nullptr) {
      left[i] = static_cast<int16_t>((a + b) / 2);
    } else {
      left[i] = a;
      right[i] = b;
    }
  }
}

constexpr int kMaxDeviceChannels = 8;

bool UsableSampleFormat(QAudioFormat::SampleFormat format) {
  return format == QAudioFormat::UInt8 || format == QAudioFormat::Int16 ||
         format == QAudioFormat::Int32 || format == QAudioFormat::Float;
}

bool Usable(const QAudioDevice& device, const QAudioFormat& format) {
  return format.isValid() && UsableSampleFormat(format.sampleFormat()) &&
         format.channelCount() <= kMaxDeviceChannels && device.isFormatSupported(format);
}

QAudioFormat MakeFormat(int rate, int channels, QAudioFormat::SampleFormat sampleFormat) {
  QAudioFormat format;
  format.setSampleRate(rate);
  format.setChannelCount(channels);
  format.setSampleFormat(sampleFormat);
  return format;
}

// Frames in the device's encoding; false for an encoding the player does not produce.
bool EncodeForDevice(const QAudioFormat& format, const int16_t* left, const int16_t* right, int64_t frames,
                     unsigned char* out) {
  const int channels = format.channelCount();
  switch (format.sampleFormat()) {
    case QAudioFormat::UInt8:
      EncodeFrames<QAudioFormat::UInt8>(left, right, frames, channels, out);
      return true;
    case QAudioFormat::Int16:
      EncodeFrames<QAudioFormat::Int16>(left, right, frames, channels, out);
      return true;
    case QAudioFormat::Int32:
      EncodeFrames<QAudioFormat::Int32>(left, right, frames, channels, out);
      return true;
    case QAudioFormat::Float:
      EncodeFrames<QAudioFormat::Float>(left, right, frames, channels, out);
      return true;
    default:
      return false;
  }
}

// The open file as the device's bytes, read and encoded as the device asks for them: a long play
// neither waits for the whole file to be read nor holds it in memory.
class FrameStream : public QIODevice {
 public:
  FrameStream(WaveFrameReader& file, const QAudioFormat& format)
      : file_(file), format_(format), frameBytes_(std::max(1, format.bytesPerFrame())) {}

  bool isSequential() const override { return false; }
  qint64 size() const override { return file_.Frames() * frameBytes_; }
  bool atEnd() const override { return failed_ || frame_ >= file_.Frames(); }
  bool seek(qint64 position) override {
    if (position < 0 || position > size()) return false;
    frame_ = position / frameBytes_;
    return QIODevice::seek(frame_ * frameBytes_);
  }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    // A block at a time keeps the decoding buffers small whatever the device asks for.
    constexpr int64_t kBlockFrames = 16384;
    const int64_t wanted = std::min<int64_t>({maxSize / frameBytes_, kBlockFrames, file_.Frames() - frame_});
    if (wanted <= 0 || failed_) return 0;
    left_.resize(static_cast<size_t>(wanted));
    const bool stereo = file_.Channels() == 2;
    if (stereo) right_.resize(static_cast<size_t>(wanted));
    const int64_t got = file_.Read(frame_, wanted, left_.data(), stereo ? right_.data() : nullptr);
    // A file cut short under the play ends it where it ends.
    if (got < wanted) failed_ = true;
    if (got <= 0) return 0;
    const int16_t* right = stereo ? right_.data() : left_.data();
    if (!EncodeForDevice(format_, left_.data(), right, got, reinterpret_cast<unsigned char*>(data))) {
      failed_ = true;
      return 0;
    }
    frame_ += got;
    return got * frameBytes_;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  WaveFrameReader& file_;
  QAudioFormat format_;
  int64_t frameBytes_;
  int64_t frame_ = 0;
  bool failed_ = false;
  std::vector<int16_t> left_;
  std::vector<int16_t> right_;
};

}  // namespace

QAudioFormat DeviceFormatFor(const QAudioDevice& device, int32_t rate, int channels) {
  if (device.isNull()) return {};
  const QAudioFormat preferred = device.preferredFormat();
  const int otherChannels = channels == 1 ? 2 : 1;
  const QAudioFormat candidates[] = {
      MakeFormat(rate, channels, QAudioFormat::Int16),
      MakeFormat(rate, otherChannels, QAudioFormat::Int16),
      MakeFormat(rate, channels, preferred.sampleFormat()),
      MakeFormat(preferred.sampleRate(), channels, QAudioFormat::Int16),
      MakeFormat(preferred.sampleRate(), channels, preferred.sampleFormat()),
      preferred,
  };
  for (const QAudioFormat& candidate : candidates) {
    if (Usable(device, candidate)) return candidate;
  }
  return {};
}

QByteArray SoundToDevice(bool& abort, const Sound& sound, const QAudioFormat& format) {
  const int channels = format.channelCount();
  if (!format.isValid() || channels < 1 || channels > kMaxDeviceChannels) return {};
  SoundPtr resampled;
  const Sound* source = &sound;
  if (format.sampleRate() != sound.Freq && sound.Freq > 0 && sound.GetValues() > 0) {
    resampled = sound.SetFreq(abort, format.sampleRate());
    if (abort || !resampled) return {};
    source = resampled.get();
  }
  const Wave* left = source->GetLeftWave();
  const Wave* right = source->GetRightWave();
  if (left == nullptr || right == nullptr || left->values == 0) return {};
  const int64_t frames = std::min(left->values, right->values);
  const int64_t bytes = frames * format.bytesPerFrame();
  if (bytes > std::numeric_limits<qsizetype>::max() / 2) {
    abort = true;
    return {};
  }
  QByteArray out(static_cast<qsizetype>(bytes), Qt::Uninitialized);
  if (!EncodeForDevice(format, left->wave, right->wave, frames, reinterpret_cast<unsigned char*>(out.data()))) {
    return {};
  }
  return out;
}

SoundPtr DeviceToSound(bool& abort, const QByteArray& bytes, const QAudioFormat& format,
                       const waveFileProps& target) {
  const int channels = format.channelCount();
  const int frameBytes = format.bytesPerFrame();
  const bool usable = format.isValid() && channels >= 1 && channels <= kMaxDeviceChannels &&
                      frameBytes > 0 && UsableSampleFormat(format.sampleFormat());
  const int64_t frames = usable ? bytes.size() / frameBytes : 0;
  const bool stereo = target.MonoStereo == 2;
  WavePtr left = NewWaveChecked(abort, frames);
  WavePtr right = stereo ? NewWaveChecked(abort, frames) : nullptr;
  if (abort || !left || (stereo && !right)) return nullptr;
  if (frames > 0) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    int16_t* r = stereo ? right->wave : nullptr;
    switch (format.sampleFormat()) {
      case QAudioFormat::UInt8:
        DecodeFrames<QAudioFormat::UInt8>(in, frames, channels, left->wave, r);
        break;
      case QAudioFormat::Int16:
        DecodeFrames<QAudioFormat::Int16>(in, frames, channels, left->wave, r);
        break;
      case QAudioFormat::Int32:
        DecodeFrames<QAudioFormat::Int32>(in, frames, channels, left->wave, r);
        break;
      default:
        DecodeFrames<QAudioFormat::Float>(in, frames, channels, left->wave, r);
        break;
    }
  }
  const uint16_t width = target.BytesPSample == 1 ? 1 : 2;
  const int32_t capturedRate = usable ? format.sampleRate() : target.frequency;
  SoundPtr sound;
  if (stereo) {
    sound = std::make_unique<StereoSound>(std::move(left), std::move(right), capturedRate, width);
  } else {
    sound = std::make_unique<MonoSound>(std::move(left), capturedRate, width);
  }
  if (capturedRate != target.frequency && target.frequency > 0) {
    if (sound->GetValues() == 0) {
      sound->Freq = target.frequency;
    } else {
      sound = sound->SetFreq(abort, target.frequency);
      if (abort) return nullptr;
    }
  }
  return sound;
}

// --- The player ---------------------------------------------------------------------------------

WavePlayer::WavePlayer() : context_(std::make_unique<QObject>()) {}

WavePlayer::~WavePlayer() {
  onNotify_ = nullptr;
  StopDevices();
}

WavePlayer::Flags WavePlayer::BeginCommand(TMPNotifyValues ended) {
  const Flags flags{notifyNext_, waitNext_};
  notifyNext_ = false;
  waitNext_ = false;
  if (notifyOwed_) {
    notifyOwed_ = false;
    Post(ended);
  }
  error_.clear();
  return flags;
}

bool WavePlayer::EndCommand(const Flags& flags, bool ok) {
  if (flags.notify) Post(ok ? nvSuccessful : nvFailure);
  return ok;
}

bool WavePlayer::Fail(const char* text) {
  error_ = text;
  return false;
}

void WavePlayer::Post(TMPNotifyValues value) {
  // Notifications come as messages: the handler may drive the player again.
  QMetaObject::invokeMethod(
      context_.get(),
      [this, value] {
        if (onNotify_) onNotify_(value);
      },
      Qt::QueuedConnection);
}

void WavePlayer::StopDevices() {
  ++generation_;
  if (sink_) {
    sink_->stop();
    sink_.reset();
  }
  // What the play held goes with it: only the open file stays.
  playSource_.reset();
  playBytes_.clear();
  if (source_) {
    // What the device delivered but the program has not read yet would go with the source.
    TakeRecorded();
    recordInput_ = nullptr;
    source_->stop();
    source_.reset();
  }
  activity_ = Activity::kIdle;
  paused_ = false;
  if (waitLoop_) waitLoop_->quit();
}

bool WavePlayer::Open() {
  const Flags flags = BeginCommand(nvAborted);
  StopDevices();
  open_ = false;
  file_.Close();
  recordBytes_.clear();
  recordFormat_ = {};
  if (QMediaDevices::audioOutputs().isEmpty() && QMediaDevices::audioInputs().isEmpty()) {
    return EndCommand(flags, Fail(playertext::kNoDevice));
  }
  std::string status;
  if (!file_.Open(fileName_, status)) {
    error_ = status;
    return EndCommand(flags, false);
  }
  open_ = true;
  return EndCommand(flags, true);
}

void WavePlayer::Close() {
  const Flags flags = BeginCommand(nvAborted);
  StopDevices();
  open_ = false;
  file_.Close();
  recordBytes_.clear();
  recordFormat_ = {};
  EndCommand(flags, true);
}

bool WavePlayer::Play() {
  if (open_ && paused_ && activity_ == Activity::kPlaying) return Resume();
  const Flags flags = BeginCommand(nvSuperseded);
  if (!open_) return EndCommand(flags, Fail(playertext::kNotOpen));
  StopDevices();
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return EndCommand(flags, Fail(playertext::kNoOutput));
  playFormat_ = DeviceFormatFor(device, file_.Rate(), file_.Channels());
  if (!playFormat_.isValid()) return EndCommand(flags, Fail(playertext::kUnsupportedFormat));
  if (playFormat_.sampleRate() == file_.Rate()) {
    playSource_ = std::make_unique<FrameStream>(file_, playFormat_);
  } else {
    // A rate the device lacks: the whole sound is resampled before it starts.
    SoundPtr sound;
    std::string status;
    bool abort = false;
    if (!ReadWaveFile(fileName_, sound, status)) return EndCommand(flags, Fail(playertext::kDeviceFailed));
    playBytes_ = SoundToDevice(abort, *sound, playFormat_);
    if (abort) return EndCommand(flags, Fail(playertext::kDeviceFailed));
    auto buffer = std::make_unique<QBuffer>();
    buffer->setBuffer(&playBytes_);
    playSource_ = std::move(buffer);
  }
  playSource_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  sink_ = std::make_unique<QAudioSink>(device, playFormat_);
  const uint64_t generation = generation_;
  QObject::connect(sink_.get(), &QAudioSink::stateChanged, context_.get(),
                   [this, generation](QAudio::State state) {
                     if (generation != generation_ || !sink_) return;
                     const bool drained = state == QAudio::IdleState && playSource_->atEnd();
                     const bool failed =
                         state == QAudio::StoppedState && sink_->error() != QAudio::NoError;
                     if (!drained && !failed) return;
                     // The sink must not be stopped from inside its own signal.
                     QMetaObject::invokeMethod(
                         context_.get(), [this, generation, failed] {
                           if (failed) {
                             PlayFinished(generation, nvFailure);
                           } else {
                             FinishWhenPlayedOut(generation);
                           }
                         },
                         Qt::QueuedConnection);
                   });
  activity_ = Activity::kPlaying;
  notifyOwed_ = flags.notify;
  if (playSource_->size() == 0) {
    // Nothing to play: the play completes at once.
    QMetaObject::invokeMethod(
        context_.get(), [this, generation] { PlayFinished(generation, nvSuccessful); },
        Qt::QueuedConnection);
  } else {
    playedBeforePauseMs_ = 0;
    drained_ = false;
    playClock_.start();
    sink_->start(playSource_.get());
    if (sink_->error() != QAudio::NoError) {
      notifyOwed_ = false;
      StopDevices();
      return EndCommand(flags, Fail(playertext::kDeviceFailed));
    }
    WatchPlay(generation, playSource_->pos(), 0);
  }
  if (flags.wait) {
    QEventLoop loop;
    waitLoop_ = &loop;
    // A device that never drains must not hold the program: give up well after the sound's end.
    const int64_t milliseconds = PlayDurationMs() + 5000;
    QTimer::singleShot(std::chrono::milliseconds(milliseconds), &loop, &QEventLoop::quit);
    loop.exec();
    waitLoop_ = nullptr;
  }
  return true;
}

int64_t WavePlayer::PlayedMs() const {
  return playedBeforePauseMs_ + (playClock_.isValid() ? playClock_.elapsed() : 0);
}

int64_t WavePlayer::PlayDurationMs() const {
  const int64_t frameBytes = std::max(1, playFormat_.bytesPerFrame());
  const int64_t bytes = playSource_ ? playSource_->size() : 0;
  return bytes / frameBytes * 1000 / std::max(1, playFormat_.sampleRate());
}

void WavePlayer::FinishWhenPlayedOut(uint64_t generation) {
  if (generation != generation_ || !sink_) return;
  drained_ = true;
  if (paused_) return;  // Resume asks again
  const int64_t remaining = PlayDurationMs() - PlayedMs();
  if (remaining > 0) {
    QTimer::singleShot(std::chrono::milliseconds(remaining), context_.get(),
                       [this, generation] { FinishWhenPlayedOut(generation); });
    return;
  }
  PlayFinished(generation, nvSuccessful);
}

void WavePlayer::WatchPlay(uint64_t generation, qint64 position, int64_t stalledMs) {
  constexpr int64_t kWatchMs = 500;
  // Far longer than any device waits between two requests for sound.
  constexpr int64_t kStalledMs = 3000;
  QTimer::singleShot(
      std::chrono::milliseconds(kWatchMs), context_.get(), [this, generation, position, stalledMs] {
        if (generation != generation_ || !sink_ || !playSource_) return;
        const qint64 now = playSource_->pos();
        // A pause holds the play on purpose, and a drained one only waits for its last sound.
        const bool waiting = paused_ || drained_ || playSource_->atEnd() || now != position;
        const int64_t stalled = waiting ? 0 : stalledMs + kWatchMs;
        if (stalled >= kStalledMs) {
          PlayFinished(generation, nvFailure);
          return;
        }
        WatchPlay(generation, now, stalled);
      });
}

void WavePlayer::PlayFinished(uint64_t generation, TMPNotifyValues value) {
  if (generation != generation_) return;
  StopDevices();
  if (value == nvFailure) error_ = playertext::kDeviceFailed;
  if (notifyOwed_) {
    notifyOwed_ = false;
    Post(value);
  }
}

void WavePlayer::Pause() {
  const Flags flags = BeginCommand(nvAborted);
  if (paused_ || activity_ == Activity::kIdle) {
    EndCommand(flags, true);
    return;
  }
  if (sink_) sink_->suspend();
  if (source_) {
    TakeRecorded();
    PauseRecordClock();
    source_->suspend();
  }
  if (playClock_.isValid()) playedBeforePauseMs_ += playClock_.elapsed();
  playClock_.invalidate();
  paused_ = true;
  EndCommand(flags, true);
}

bool WavePlayer::Resume() {
  const Flags flags = BeginCommand(nvSuperseded);
  if (!paused_) return EndCommand(flags, Fail(playertext::kNotPaused));
  if (sink_) sink_->resume();
  if (source_) {
    source_->resume();
    if (!recordDelivered_) recordClock_.start();
  }
  paused_ = false;
  notifyOwed_ = flags.notify;
  if (sink_) {
    playClock_.start();
    if (drained_) FinishWhenPlayedOut(generation_);
  }
  return true;
}

void WavePlayer::Stop() {
  const Flags flags = BeginCommand(nvAborted);
  StopDevices();
  EndCommand(flags, true);
}

bool WavePlayer::StartRecording() {
  const Flags flags = BeginCommand(nvSuperseded);
  if (!open_) return EndCommand(flags, Fail(playertext::kNotOpen));
  StopDevices();
  const QAudioDevice device = QMediaDevices::defaultAudioInput();
  if (device.isNull()) return EndCommand(flags, Fail(playertext::kNoInput));
  recordFormat_ = DeviceFormatFor(device, file_.Rate(), file_.Channels());
  if (!recordFormat_.isValid()) return EndCommand(flags, Fail(playertext::kUnsupportedFormat));
  recordBytes_.clear();
  recordWaitedMs_ = 0;
  recordDelivered_ = false;
  source_ = std::make_unique<QAudioSource>(device, recordFormat_);
  const uint64_t generation = generation_;
  QObject::connect(source_.get(), &QAudioSource::stateChanged, context_.get(),
                   [this, generation](QAudio::State state) {
                     if (generation != generation_ || !source_) return;
                     if (state != QAudio::StoppedState || source_->error() == QAudio::NoError) {
                       return;
                     }
                     QMetaObject::invokeMethod(
                         context_.get(), [this, generation] { RecordFailed(generation); },
                         Qt::QueuedConnection);
                   });
  recordClock_.start();
  recordInput_ = source_->start();
  if (recordInput_ == nullptr || source_->error() != QAudio::NoError) {
    StopDevices();
    return EndCommand(flags, Fail(playertext::kDeviceFailed));
  }
  QObject::connect(recordInput_, &QIODevice::readyRead, context_.get(), [this, generation] {
    if (generation == generation_) TakeRecorded();
  });
  activity_ = Activity::kRecording;
  notifyOwed_ = flags.notify;
  return true;
}

void WavePlayer::PauseRecordClock() {
  if (recordClock_.isValid()) recordWaitedMs_ += recordClock_.elapsed();
  recordClock_.invalidate();
}

void WavePlayer::TakeRecorded() {
  if (recordInput_.isNull() || !recordInput_->isOpen()) return;
  const int frameBytes = recordFormat_.bytesPerFrame();
  QByteArray arrived;
  char chunk[16384];
  for (qint64 got; (got = recordInput_->read(chunk, sizeof chunk)) > 0;) {
    arrived.append(chunk, static_cast<qsizetype>(got));
  }
  if (arrived.isEmpty() || frameBytes <= 0) return;
  if (!recordDelivered_) {
    recordDelivered_ = true;
    PauseRecordClock();
    const int64_t arrivedMs =
        arrived.size() / frameBytes * 1000 / std::max(1, recordFormat_.sampleRate());
    const int64_t silentMs = recordWaitedMs_ - arrivedMs;
    if (silentMs > 0) {
      const int64_t frames = silentMs * recordFormat_.sampleRate() / 1000;
      // Unsigned 8-bit samples are silent at their middle, every other encoding at zero.
      const char silence = recordFormat_.sampleFormat() == QAudioFormat::UInt8 ? '\x80' : '\0';
      recordBytes_.append(static_cast<qsizetype>(frames * frameBytes), silence);
    }
  }
  recordBytes_.append(arrived);
}

void WavePlayer::RecordFailed(uint64_t generation) {
  if (generation != generation_) return;
  // What arrived so far stays, so Save can still keep it; what the device still held is gone
  // with it.
  StopDevices();
  error_ = playertext::kDeviceFailed;
  if (notifyOwed_) {
    notifyOwed_ = false;
    Post(nvFailure);
  }
}

SoundPtr WavePlayer::Recording() const {
  if (!open_) return nullptr;
  const waveFileProps fileFormat(static_cast<int16_t>(file_.Channels()), file_.Rate(),
                                 static_cast<int16_t>(file_.BytesPerSample()));
  bool abort = false;
  SoundPtr recorded = DeviceToSound(abort, recordBytes_, recordFormat_, fileFormat);
  return abort ? nullptr : std::move(recorded);
}

bool WavePlayer::Save() {
  const Flags flags{notifyNext_, waitNext_};
  notifyNext_ = false;
  waitNext_ = false;
  error_.clear();
  if (!open_) return EndCommand(flags, Fail(playertext::kNotOpen));
  SoundPtr recorded = Recording();
  if (!recorded) return EndCommand(flags, Fail(playertext::kDeviceFailed));
  bool abort = false;
  if (!WriteWaveFile(abort, fileName_, *recorded, 0, recorded->GetValues(), true)) {
    return EndCommand(flags, Fail(playertext::kCannotWrite));
  }
  // The player holds the file it wrote, as it would after opening it.
  std::string status;
  if (!file_.Open(fileName_, status)) return EndCommand(flags, Fail(playertext::kCannotWrite));
  return EndCommand(flags, true);
}

TMPModes WavePlayer::Mode() const {
  if (!open_) return mpNotReady;
  if (paused_) return mpPaused;
  if (activity_ == Activity::kPlaying) return mpPlaying;
  if (activity_ == Activity::kRecording) return mpRecording;
  return mpStopped;
}
