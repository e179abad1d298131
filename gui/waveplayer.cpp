#include "gui/waveplayer.h"

#include <pulse/pulseaudio.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "foundation/assertion.h"
#include "gui/audioserver.h"
#include "wave/wavefile.h"

namespace {

// --- Samples in the device's encodings ------------------------------------------------------------

template <DeviceFormat::SampleFormat kFormat>
struct Encoding;

template <>
struct Encoding<DeviceFormat::UInt8> {
  using Type = uint8_t;
  // The same mapping as 8-bit WAVE files: -255 to 255 all give 128.
  static Type From(int16_t s) { return static_cast<Type>(s / 256 + 128); }
  static int16_t To(Type v) { return static_cast<int16_t>((v - 128) * 256); }
};

template <>
struct Encoding<DeviceFormat::Int16> {
  using Type = int16_t;
  static Type From(int16_t s) { return s; }
  static int16_t To(Type v) { return v; }
};

template <>
struct Encoding<DeviceFormat::Int32> {
  using Type = int32_t;
  static Type From(int16_t s) { return static_cast<Type>(s) * 65536; }
  static int16_t To(Type v) { return static_cast<int16_t>(v >> 16); }
};

template <>
struct Encoding<DeviceFormat::Float> {
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
template <DeviceFormat::SampleFormat kFormat>
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
template <DeviceFormat::SampleFormat kFormat>
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

bool UsableSampleFormat(DeviceFormat::SampleFormat format) {
  return format == DeviceFormat::UInt8 || format == DeviceFormat::Int16 ||
         format == DeviceFormat::Int32 || format == DeviceFormat::Float;
}

// Frames in the device's encoding; false for an encoding the player does not produce.
bool EncodeForDevice(const DeviceFormat& format, const int16_t* left, const int16_t* right, int64_t frames,
                     unsigned char* out) {
  const int channels = format.channelCount();
  switch (format.sampleFormat()) {
    case DeviceFormat::UInt8:
      EncodeFrames<DeviceFormat::UInt8>(left, right, frames, channels, out);
      return true;
    case DeviceFormat::Int16:
      EncodeFrames<DeviceFormat::Int16>(left, right, frames, channels, out);
      return true;
    case DeviceFormat::Int32:
      EncodeFrames<DeviceFormat::Int32>(left, right, frames, channels, out);
      return true;
    case DeviceFormat::Float:
      EncodeFrames<DeviceFormat::Float>(left, right, frames, channels, out);
      return true;
    default:
      return false;
  }
}

// The open file as the device's bytes, read and encoded as the device asks for them: a long play
// neither waits for the whole file to be read nor holds it in memory.
class FrameStream : public QIODevice {
 public:
  FrameStream(WaveFrameReader& file, const DeviceFormat& format)
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
  DeviceFormat format_;
  int64_t frameBytes_;
  int64_t frame_ = 0;
  bool failed_ = false;
  std::vector<int16_t> left_;
  std::vector<int16_t> right_;
};

}  // namespace

int DeviceFormat::bytesPerSample() const {
  switch (sampleFormat_) {
    case UInt8:
      return 1;
    case Int16:
      return 2;
    case Int32:
    case Float:
      return 4;
    default:
      return 0;
  }
}

namespace {

// The samples are handed over in the machine's own order.
pa_sample_spec SpecOf(const DeviceFormat& format) {
  pa_sample_format_t sampleFormat = PA_SAMPLE_INVALID;
  switch (format.sampleFormat()) {
    case DeviceFormat::UInt8:
      sampleFormat = PA_SAMPLE_U8;
      break;
    case DeviceFormat::Int16:
      sampleFormat = PA_SAMPLE_S16NE;
      break;
    case DeviceFormat::Int32:
      sampleFormat = PA_SAMPLE_S32NE;
      break;
    case DeviceFormat::Float:
      sampleFormat = PA_SAMPLE_FLOAT32NE;
      break;
    default:
      break;
  }
  return {sampleFormat, static_cast<uint32_t>(std::max(format.sampleRate(), 0)),
          static_cast<uint8_t>(std::clamp(format.channelCount(), 0, 255))};
}

}  // namespace

DeviceFormat ServerFormatFor(int32_t rate, int channels) {
  // The rate the server's own devices usually run at, so only one conversion happens.
  constexpr int kUsualRate = 48000;
  const int deviceChannels = channels == 2 ? 2 : 1;
  const DeviceFormat own(std::max(rate, 0), deviceChannels, DeviceFormat::Int16);
  const pa_sample_spec spec = SpecOf(own);
  if (pa_sample_spec_valid(&spec) != 0) return own;
  return {kUsualRate, deviceChannels, DeviceFormat::Int16};
}

QByteArray SoundToDevice(bool& abort, const Sound& sound, const DeviceFormat& format) {
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

SoundPtr DeviceToSound(bool& abort, const QByteArray& bytes, const DeviceFormat& format,
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
      case DeviceFormat::UInt8:
        DecodeFrames<DeviceFormat::UInt8>(in, frames, channels, left->wave, r);
        break;
      case DeviceFormat::Int16:
        DecodeFrames<DeviceFormat::Int16>(in, frames, channels, left->wave, r);
        break;
      case DeviceFormat::Int32:
        DecodeFrames<DeviceFormat::Int32>(in, frames, channels, left->wave, r);
        break;
      default:
        DecodeFrames<DeviceFormat::Float>(in, frames, channels, left->wave, r);
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

namespace {

// What the server holds of a play: a program held for a second (a busy machine, a long effect
// that holds everything) still finds it sounding. The server asks for more only once this much
// has sounded, so that the device itself keeps about as little as a short buffer would: Stop and
// Pause, which drop or hold what the server keeps, are heard at once.
constexpr pa_usec_t kPlayBufferUs = 2000 * 1000;
constexpr pa_usec_t kPlayRequestUs = 850 * 1000;
// What the play's feed reads ahead of the server: a slow read meets a full buffer.
constexpr pa_usec_t kPlayAheadUs = 1000 * 1000;
// How often a recording arrives: the program's clock and the recording stay close.
constexpr pa_usec_t kRecordFragmentUs = 40 * 1000;
// How long Stop waits for what the server captured up to it: far longer than a block of the
// source takes to arrive, and short enough that a hung server does not hold the program.
constexpr int kStopTakesMs = 500;
// The server answers a local stream within milliseconds.
constexpr int kStreamAnswerMs = 5000;

constexpr const char* kAssertUnit = "waveplayer";

// Every touch of a stream happens with the library's lock held, or its thread may change the
// stream underneath; debug builds check it.
void CheckLocked() {
#ifndef NDEBUG
  KV_ASSERT(AudioServer::Instance().HeldHere());
#endif
}

void Forget(pa_operation* operation) {
  if (operation != nullptr) pa_operation_unref(operation);
}

int64_t SteadyUs() { return static_cast<int64_t>(pa_rtclock_now()); }

int64_t PlayAheadBytes(const DeviceFormat& format) {
  const pa_sample_spec spec = SpecOf(format);
  return static_cast<int64_t>(pa_usec_to_bytes(kPlayAheadUs, &spec));
}

int64_t UsOfBytes(int64_t bytes, const pa_sample_spec& spec) {
  return static_cast<int64_t>(pa_bytes_to_usec(static_cast<uint64_t>(std::max<int64_t>(bytes, 0)), &spec));
}

}  // namespace

// What the library's thread knows of the stream it calls back for: enough to address a message
// to the player on the user-interface thread, which then does the work.
struct WavePlayer::StreamLink {
  StreamLink(WavePlayer* owner, QObject* messages, uint64_t of)
      : player(owner), context(messages), generation(of) {}

  WavePlayer* player;
  QObject* context;
  uint64_t generation;
  bool running = false;  // connected; written and read with the lock held
  // Asks for more sound (a play), or for taking what arrived (a recording): one message at a
  // time, the work clears the flag.
  void (WavePlayer::*onRequest)(uint64_t) = nullptr;
  std::atomic<bool> asked{false};
  // A play's feed, woken when the server asks for more; set and read with the lock held.
  PlayFeed* feed = nullptr;

  // A recording's timing, gathered on the library's thread with the lock held for the player to
  // take: what the server says (each update of its timing) and when each block arrived.
  std::vector<CaptureBound> bounds;
  int64_t takenBytes = 0;  // what has been taken from the stream
  // What was taken on the library's thread and not yet handed to the player, with where in the
  // stream each block starts. The library keeps no more of a recording than its stream's limit
  // (4 MiB), and a server that held back seconds sends them at once: they are taken as they
  // come, whatever the window's thread is doing, or the library drops them unsaid.
  QByteArray pending;
  std::vector<int64_t> pendingBlocks;

  void Take(pa_stream* stream) {
    // A stream the server has failed holds nothing that can still be taken.
    while (pa_stream_get_state(stream) == PA_STREAM_READY) {
      const size_t readable = pa_stream_readable_size(stream);
      if (readable == 0 || readable == static_cast<size_t>(-1)) break;
      const void* data = nullptr;
      size_t bytes = 0;
      if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) break;
      pendingBlocks.push_back(takenBytes);
      if (data != nullptr) {
        pending.append(static_cast<const char*>(data), static_cast<qsizetype>(bytes));
      } else {
        // A hole the server left (it dropped sound): silence keeps the time.
        pending.append(static_cast<qsizetype>(bytes), '\0');
      }
      pa_stream_drop(stream);
      takenBytes += static_cast<int64_t>(bytes);
    }
  }
  // The latest timing the server gave: the sound from `endByte` on was captured no earlier than
  // `offsetUs` plus its own place in the stream.
  std::optional<CaptureBound> timing;

  void NoteTiming(pa_stream* stream) {
    const pa_timing_info* info = pa_stream_get_timing_info(stream);
    const pa_sample_spec* spec = pa_stream_get_sample_spec(stream);
    if (info == nullptr || spec == nullptr || info->write_index_corrupt || info->write_index < 0) return;
    // The index the server wrote to when it measured, less how long its source still held the
    // sound; the server's clock is this machine's, read a moment earlier.
    timeval now{};
    pa_gettimeofday(&now);
    const int64_t age = static_cast<int64_t>(pa_timeval_load(&now)) -
                        static_cast<int64_t>(pa_timeval_load(&info->timestamp));
    const CaptureBound bound{info->write_index, SteadyUs() - age - static_cast<int64_t>(info->source_usec) -
                                                    UsOfBytes(info->write_index, *spec), true};
    timing = bound;
    // Before anything was written, the timing bounds nothing yet.
    if (bound.endByte > 0) bounds.push_back(bound);
  }
  void NoteArrival(pa_stream* stream, size_t readable) {
    const pa_sample_spec* spec = pa_stream_get_sample_spec(stream);
    if (spec == nullptr || readable == static_cast<size_t>(-1)) return;
    const int64_t end = takenBytes + static_cast<int64_t>(readable);
    bounds.push_back({end, SteadyUs() - UsOfBytes(end, *spec)});
  }

  void Post(void (WavePlayer::*work)(uint64_t)) const {
    QMetaObject::invokeMethod(
        context, [player = player, generation = generation, work] { (player->*work)(generation); },
        Qt::QueuedConnection);
  }
};

// Reads the play ahead and hands the server what it asks for, on a thread of its own: neither a
// busy window nor a slow read holds the play, and the file is never read with the library's lock
// held, which every other stream needs.
class WavePlayer::PlayFeed {
 public:
  PlayFeed(QIODevice& source, StreamLink& link, pa_stream* stream, pa_operation*& drain, int64_t frameBytes,
           int64_t aheadBytes)
      : source_(source),
        link_(link),
        stream_(stream),
        drain_(drain),
        frameBytes_(std::max<int64_t>(1, frameBytes)),
        ahead_(static_cast<size_t>(std::max(aheadBytes - aheadBytes % frameBytes_, kBlockFrames * frameBytes_))) {
    thread_ = std::thread([this] { Run(); });
  }
  ~PlayFeed() {
    // Never with the library's lock held: the thread may be waiting for it.
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  PlayFeed(const PlayFeed&) = delete;
  PlayFeed& operator=(const PlayFeed&) = delete;

  // The server asks for more: on the library's thread.
  void Ask() {
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      asked_ = true;
    }
    wake_.notify_one();
  }
  // What the server was given so far, and whether the whole sound has been read.
  int64_t Handed() const { return handed_.load(); }
  bool AllHanded() const { return readAll_.load() && handed_.load() == read_.load(); }

 private:
  // One read at a time keeps each wait for the lock short.
  static constexpr int64_t kBlockFrames = 16384;

  void Run() {
    for (;;) {
      {
        std::unique_lock<std::mutex> hold(mutex_);
        wake_.wait(hold, [this] { return stop_ || asked_ || (!readAll_ && Room() >= frameBytes_); });
        if (stop_) return;
        asked_ = false;
      }
      ReadAhead();
      if (!Hand()) break;
    }
    // The stream failed: its end is the player's to make.
    std::unique_lock<std::mutex> hold(mutex_);
    wake_.wait(hold, [this] { return stop_; });
  }

  int64_t Room() const { return static_cast<int64_t>(ahead_.size()) - (end_ - start_); }

  void ReadAhead() {
    if (readAll_ || Room() < frameBytes_) return;
    if (end_ + Room() > static_cast<int64_t>(ahead_.size())) {
      std::memmove(ahead_.data(), ahead_.data() + start_, static_cast<size_t>(end_ - start_));
      end_ -= start_;
      start_ = 0;
    }
    int64_t wanted = std::min(Room(), kBlockFrames * frameBytes_);
    wanted -= wanted % frameBytes_;
    const qint64 got = source_.read(ahead_.data() + end_, wanted);
    if (got > 0) {
      end_ += got - got % frameBytes_;
      read_ += got - got % frameBytes_;
    }
    if (got <= 0 || source_.atEnd()) readAll_ = true;
  }

  // Whether the stream still takes sound.
  bool Hand() {
    const AudioServer::Lock lock(AudioServer::Instance());
    CheckLocked();
    if (pa_stream_get_state(stream_) != PA_STREAM_READY) return false;
    size_t writable = pa_stream_writable_size(stream_);
    if (writable == static_cast<size_t>(-1)) return false;
    writable = std::min(writable, static_cast<size_t>(end_ - start_));
    writable -= writable % static_cast<size_t>(frameBytes_);
    // The library copies what it is given. What it refuses is lost to the play, which then cannot
    // sound as it should.
    if (writable > 0) {
      if (pa_stream_write(stream_, ahead_.data() + start_, writable, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
        link_.Post(&WavePlayer::StreamFailed);
        return false;
      }
      start_ += static_cast<int64_t>(writable);
      handed_ += static_cast<int64_t>(writable);
    }
    if (readAll_ && start_ == end_ && drain_ == nullptr) {
      // The server says when all it was given has sounded.
      drain_ = pa_stream_drain(
          stream_,
          [](pa_stream*, int success, void* data) {
            if (success) static_cast<StreamLink*>(data)->Post(&WavePlayer::FinishWhenPlayedOut);
          },
          &link_);
    }
    return true;
  }

  QIODevice& source_;
  StreamLink& link_;
  pa_stream* stream_;
  pa_operation*& drain_;  // the player's, with the lock held
  const int64_t frameBytes_;
  std::vector<char> ahead_;  // the sound read and not yet handed over: [start_, end_)
  int64_t start_ = 0;
  int64_t end_ = 0;
  std::atomic<bool> readAll_{false};
  std::atomic<int64_t> read_{0};
  std::atomic<int64_t> handed_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool asked_ = true;  // the stream starts empty
  bool stop_ = false;
  std::thread thread_;
};

void PlaceTake(QByteArray& take, const DeviceFormat& format, const std::vector<TakeGap>& gaps,
               int64_t lead, int64_t takeEnd) {
  const int64_t frameBytes = format.bytesPerFrame();
  KV_ASSERT(frameBytes > 0 && take.size() % frameBytes == 0 && lead >= 0 && takeEnd >= 0);
  const int64_t arrived = take.size() / frameBytes;
  // Each stretch between two gaps moves once, straight to its place: those that move towards the
  // front from the front on, those that move towards the back from the back, so that none
  // overwrites one still to move. The moves grow towards the back from stretch to stretch, since
  // only the cut front pulls them forward. What lies past the end is never moved.
  struct Span {
    int64_t from;
    int64_t to;
    int64_t frames;
  };
  std::vector<Span> moves;
  std::vector<Span> silences;
  int64_t from = lead;
  int64_t to = 0;
  for (size_t k = 0; k <= gaps.size(); ++k) {
    const int64_t until = k < gaps.size() ? gaps[k].atFrame : arrived;
    KV_ASSERT(from <= until && until <= arrived);
    const int64_t frames = std::clamp<int64_t>(takeEnd - to, 0, until - from);
    if (frames > 0 && from != to) moves.push_back({from, to, frames});
    to += until - from;
    from = until;
    if (k == gaps.size()) break;
    KV_ASSERT(gaps[k].frames > 0);
    const int64_t silent = std::clamp<int64_t>(takeEnd - to, 0, gaps[k].frames);
    if (silent > 0) silences.push_back({0, to, silent});
    to += gaps[k].frames;
  }
  KV_ASSERT(to >= takeEnd);
  // Built in whole frames, so that every channel stays in its place; unsigned 8-bit samples are
  // silent at their middle, every other encoding at zero. A slip in the gaps must be a failing
  // check, never a write outside the take.
  const int64_t bufferFrames = std::max(arrived, takeEnd);
  take.resize(static_cast<qsizetype>(bufferFrames * frameBytes));
  char* data = take.data();
  const auto move = [&](const Span& span) {
    KV_ASSERT(span.from >= 0 && span.to >= 0 && span.from + span.frames <= arrived &&
              span.to + span.frames <= takeEnd);
    std::memmove(data + span.to * frameBytes, data + span.from * frameBytes,
                 static_cast<size_t>(span.frames * frameBytes));
  };
  const auto firstBack = std::find_if(moves.begin(), moves.end(), [](const Span& s) { return s.to > s.from; });
  std::for_each(moves.begin(), firstBack, move);
  std::for_each(moves.rbegin(), std::make_reverse_iterator(firstBack), move);
  const char silence = format.sampleFormat() == DeviceFormat::UInt8 ? '\x80' : '\0';
  for (const Span& span : silences) {
    KV_ASSERT(span.to + span.frames <= takeEnd);
    std::memset(data + span.to * frameBytes, silence, static_cast<size_t>(span.frames * frameBytes));
  }
  take.resize(static_cast<qsizetype>(takeEnd * frameBytes));
}

WavePlayer::WavePlayer() : context_(std::make_unique<QObject>()) {}

WavePlayer::~WavePlayer() {
  onNotify_ = nullptr;
  // No callback of the library may reach the player once it is gone.
  StopDevices();
}

WavePlayer::Flags WavePlayer::BeginCommand(TMPNotifyValues ended) {
  const Flags flags{notifyNext_, waitNext_};
  notifyNext_ = false;
  waitNext_ = false;
  ++command_;
  if (notifyOwed_) {
    notifyOwed_ = false;
    Post(ended, owedCommand_);
  }
  error_.clear();
  return flags;
}

bool WavePlayer::EndCommand(const Flags& flags, bool ok) {
  if (flags.notify) Post(ok ? nvSuccessful : nvFailure, command_);
  return ok;
}

void WavePlayer::OweNotice(bool notify) {
  notifyOwed_ = notify;
  owedCommand_ = command_;
}

bool WavePlayer::Fail(const char* text) {
  error_ = text;
  return false;
}

void WavePlayer::Post(TMPNotifyValues value, uint64_t command) {
  // Notifications come as messages: the handler may drive the player again.
  QMetaObject::invokeMethod(
      context_.get(),
      [this, value, command] {
        if (onNotify_) onNotify_(value, command);
      },
      Qt::QueuedConnection);
}

bool WavePlayer::OpenStream(bool record, const DeviceFormat& format) {
  AudioServer& server = AudioServer::Instance();
  const AudioServer::Lock lock(server);
  const pa_sample_spec spec = SpecOf(format);
  if (pa_sample_spec_valid(&spec) == 0) return Fail(playertext::kUnsupportedFormat);
  // A connection that still reads as ready may just have lost its server, and the stream fails
  // with it: only a new connection tells whether a server is there at all.
  for (int attempt = 0; attempt < 2; ++attempt) {
    pa_context* context = server.Connect();
    if (context == nullptr) return Fail(playertext::kNoDevice);
    if (StartStream(context, record, spec)) return true;
    if (stream_ == nullptr) return Fail(playertext::kUnsupportedFormat);
    if (pa_stream_get_state(stream_) == PA_STREAM_CREATING) {
      // The server took the connection but does not answer: it counts as absent. Closing the
      // stream gives up the connection too.
      CloseStream();
      return Fail(playertext::kNoDevice);
    }
    const int reason = pa_context_errno(context);
    const bool connectionGone = pa_context_get_state(context) != PA_CONTEXT_READY;
    CloseStream();
    if (!connectionGone) {
      // A server without the device says so; anything else is the device failing.
      error_ = reason == PA_ERR_NOENTITY ? (record ? playertext::kNoInput : playertext::kNoOutput)
                                         : playertext::kDeviceFailed;
      return false;
    }
  }
  return Fail(playertext::kNoDevice);
}

bool WavePlayer::StartStream(pa_context* context, bool record, const pa_sample_spec& spec) {
  stream_ = pa_stream_new(context, record ? "Record" : "Play", &spec, nullptr);
  if (stream_ == nullptr) return false;
  link_ = std::make_unique<StreamLink>(this, context_.get(), generation_);
  pa_stream_set_state_callback(
      stream_,
      [](pa_stream* stream, void* data) {
        auto* link = static_cast<StreamLink*>(data);
        AudioServer::Instance().Signal();
        if (link->running && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
          link->Post(&WavePlayer::StreamFailed);
        }
      },
      link_.get());
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<uint32_t>(-1);
  attributes.tlength = static_cast<uint32_t>(-1);
  attributes.prebuf = static_cast<uint32_t>(-1);
  attributes.minreq = static_cast<uint32_t>(-1);
  attributes.fragsize = static_cast<uint32_t>(-1);
  int connected = 0;
  if (record) {
    attributes.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kRecordFragmentUs, &spec));
    // The server's timing tells where in the take each block belongs.
    pa_stream_set_latency_update_callback(
        stream_,
        [](pa_stream* stream, void* data) {
          static_cast<StreamLink*>(data)->NoteTiming(stream);
          AudioServer::Instance().Signal();
        },
        link_.get());
    connected = pa_stream_connect_record(
        stream_, nullptr, &attributes,
        static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE));
  } else {
    attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kPlayBufferUs, &spec));
    attributes.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kPlayRequestUs, &spec));
    connected = pa_stream_connect_playback(stream_, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY,
                                           nullptr, nullptr);
  }
  if (connected != 0) return false;
  AudioServer::Instance().Wait(
      [this] { return pa_stream_get_state(stream_) != PA_STREAM_CREATING; }, kStreamAnswerMs);
  if (pa_stream_get_state(stream_) != PA_STREAM_READY) return false;
  link_->running = true;
  link_->onRequest = &WavePlayer::TakeRecordedOf;
  const pa_stream_request_cb_t request = [](pa_stream*, size_t, void* data) {
    auto* link = static_cast<StreamLink*>(data);
    if (link->feed != nullptr) link->feed->Ask();
  };
  const pa_stream_request_cb_t arrived = [](pa_stream* stream, size_t readable, void* data) {
    auto* link = static_cast<StreamLink*>(data);
    link->NoteArrival(stream, readable);
    link->Take(stream);
    // Stop may be waiting for it.
    AudioServer::Instance().Signal();
    if (!link->asked.exchange(true)) link->Post(link->onRequest);
  };
  if (record) {
    pa_stream_set_read_callback(stream_, arrived, link_.get());
  } else {
    pa_stream_set_write_callback(stream_, request, link_.get());
  }
  return true;
}

void WavePlayer::CloseStream() {
  if (playFeed_) {
    KV_ASSERT(!AudioServer::Instance().HeldHere());
    {
      const AudioServer::Lock lock(AudioServer::Instance());
      if (link_) link_->feed = nullptr;
    }
    playFeed_.reset();
  }
  if (stream_ == nullptr) return;
  {
    AudioServer& server = AudioServer::Instance();
    const AudioServer::Lock lock(server);
    CheckLocked();
    if (drain_ != nullptr) {
      pa_operation_cancel(drain_);
      pa_operation_unref(drain_);
      drain_ = nullptr;
    }
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_latency_update_callback(stream_, nullptr, nullptr);
    const pa_stream_state_t state = pa_stream_get_state(stream_);
    if (state == PA_STREAM_CREATING) {
      // The server never answered for it, and cannot be told to drop it: once it answers, the
      // stream would come to life with nobody to stop it. Only the connection's end prevents
      // that; a server that does not answer is no use to its other streams either.
      server.Abandon(pa_stream_get_context(stream_));
    } else if (state == PA_STREAM_READY) {
      // The server drops the stream with whatever it still held: Stop silences at once.
      pa_stream_disconnect(stream_);
    }
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  // Messages already on their way carry an older generation and find nothing to do.
  link_.reset();
}

void WavePlayer::Cork(bool corked) {
  if (stream_ == nullptr) return;
  const AudioServer::Lock lock(AudioServer::Instance());
  CheckLocked();
  if (pa_stream_get_state(stream_) == PA_STREAM_READY) {
    Forget(pa_stream_cork(stream_, corked ? 1 : 0, nullptr, nullptr));
  }
}

void WavePlayer::StreamFailed(uint64_t generation) {
  if (generation != generation_) return;
  // A paused play or recording owes nobody a notice, yet whoever paused it must learn that it is
  // gone.
  if (paused_) notifyOwed_ = true;
  if (activity_ == Activity::kRecording) {
    RecordFailed(generation);
  } else {
    PlayFinished(generation, nvFailure);
  }
}

void WavePlayer::StopDevices() {
  ++generation_;
  // What the server delivered but the program has not taken yet would go with the stream.
  if (activity_ == Activity::kRecording) {
    const bool running = !paused_;
    const int64_t stopUs = SteadyUs();
    PauseRecordClock(stopUs);
    if (running) {
      TakeRecordedUpTo(stopUs);
    } else {
      TakeRecorded();
    }
    KeepTakeTime();
  }
  CloseStream();
  // What the play held goes with it: only the open file stays.
  playSource_.reset();
  playBytes_.clear();
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
  {
    AudioServer& server = AudioServer::Instance();
    const AudioServer::Lock lock(server);
    if (server.Connect() == nullptr) return EndCommand(flags, Fail(playertext::kNoDevice));
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
  playFormat_ = ServerFormatFor(file_.Rate(), file_.Channels());
  if (playFormat_.sampleRate() == file_.Rate()) {
    playSource_ = std::make_unique<FrameStream>(file_, playFormat_);
  } else {
    // A rate the server lacks: the whole sound is resampled before it starts.
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
  playBytesTotal_ = playSource_->size();
  const uint64_t generation = generation_;
  if (playBytesTotal_ == 0) {
    // Nothing to play: the play completes at once.
    activity_ = Activity::kPlaying;
    OweNotice(flags.notify);
    QMetaObject::invokeMethod(
        context_.get(), [this, generation] { PlayFinished(generation, nvSuccessful); },
        Qt::QueuedConnection);
  } else {
    if (!OpenStream(false, playFormat_)) {
      StopDevices();  // Error keeps why
      return EndCommand(flags, false);
    }
    activity_ = Activity::kPlaying;
    OweNotice(flags.notify);
    playedBeforePauseMs_ = 0;
    drained_ = false;
    playClock_.start();
    playFeed_ = std::make_unique<PlayFeed>(*playSource_, *link_, stream_, drain_, playFormat_.bytesPerFrame(),
                                           static_cast<int64_t>(PlayAheadBytes(playFormat_)));
    {
      const AudioServer::Lock lock(AudioServer::Instance());
      link_->feed = playFeed_.get();
    }
    WatchPlay(generation, 0, 0);
  }
  if (flags.wait) {
    QEventLoop loop;
    waitLoop_ = &loop;
    // A server that never plays out must not hold the program: give up well after the sound's
    // end.
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
  return playBytesTotal_ / frameBytes * 1000 / std::max(1, playFormat_.sampleRate());
}

void WavePlayer::FinishWhenPlayedOut(uint64_t generation) {
  if (generation != generation_ || stream_ == nullptr) return;
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

void WavePlayer::WatchPlay(uint64_t generation, int64_t position, int64_t stalledMs) {
  constexpr int64_t kWatchMs = 500;
  // Far longer than any server waits between two requests for sound.
  constexpr int64_t kStalledMs = 3000;
  QTimer::singleShot(
      std::chrono::milliseconds(kWatchMs), context_.get(), [this, generation, position, stalledMs] {
        if (generation != generation_ || stream_ == nullptr || !playFeed_) return;
        const int64_t now = playFeed_->Handed();
        // A pause holds the play on purpose, and a drained one only waits for its last sound.
        const bool waiting = paused_ || drained_ || playFeed_->AllHanded() || now != position;
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
    Post(value, owedCommand_);
  }
}

void WavePlayer::Pause() {
  const Flags flags = BeginCommand(nvAborted);
  if (paused_ || activity_ == Activity::kIdle) {
    EndCommand(flags, true);
    return;
  }
  if (activity_ == Activity::kRecording) {
    TakeRecorded();
    PauseRecordClock(SteadyUs());
  }
  Cork(true);
  if (playClock_.isValid()) playedBeforePauseMs_ += playClock_.elapsed();
  playClock_.invalidate();
  paused_ = true;
  // Should the device end it meanwhile, that notice answers this Pause.
  owedCommand_ = command_;
  EndCommand(flags, true);
}

bool WavePlayer::Resume() {
  const Flags flags = BeginCommand(nvSuperseded);
  if (!paused_) return EndCommand(flags, Fail(playertext::kNotPaused));
  Cork(false);
  if (activity_ == Activity::kRecording) StartRecordClock();
  paused_ = false;
  OweNotice(flags.notify);
  if (activity_ == Activity::kPlaying && stream_ != nullptr) {
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
  recordFormat_ = ServerFormatFor(file_.Rate(), file_.Channels());
  recordBytes_.clear();
  recordRanUs_ = 0;
  recordClockRuns_ = false;
  recordRuns_.clear();
  recordBlocks_.clear();
  recordBounds_.clear();
  if (!OpenStream(true, recordFormat_)) {
    StopDevices();  // Error keeps why
    return EndCommand(flags, false);
  }
  // The take runs from when the server has the stream, however long it took to answer.
  StartRecordClock();
  takeStartUs_ = recordRuns_.front().clockUs;
  activity_ = Activity::kRecording;
  OweNotice(flags.notify);
  return true;
}

void WavePlayer::StartRecordClock() {
  recordRuns_.push_back({SteadyUs(), recordRanUs_});
  recordClockRuns_ = true;
}

void WavePlayer::PauseRecordClock(int64_t nowUs) {
  if (recordClockRuns_) recordRanUs_ = recordRuns_.back().takeUs + (nowUs - recordRuns_.back().clockUs);
  recordClockRuns_ = false;
}

void WavePlayer::TakeRecordedOf(uint64_t generation) {
  if (generation == generation_ && activity_ == Activity::kRecording) TakeRecorded();
}

void WavePlayer::TakeRecorded() {
  if (stream_ == nullptr) return;
  link_->asked = false;
  const AudioServer::Lock lock(AudioServer::Instance());
  CheckLocked();
  ReadRecorded();
}

void WavePlayer::ReadRecorded() {
  link_->Take(stream_);
  recordBytes_.append(link_->pending);
  link_->pending.clear();
  recordBlocks_.insert(recordBlocks_.end(), link_->pendingBlocks.begin(), link_->pendingBlocks.end());
  link_->pendingBlocks.clear();
  for (const CaptureBound& bound : link_->bounds) {
    KeepBound(recordBounds_, bound, recordFormat_.sampleRate(), recordFormat_.bytesPerFrame());
  }
  link_->bounds.clear();
}

void WavePlayer::TakeRecordedUpTo(int64_t stopUs) {
  if (stream_ == nullptr) return;
  AudioServer& server = AudioServer::Instance();
  const AudioServer::Lock lock(server);
  CheckLocked();
  if (pa_stream_get_state(stream_) != PA_STREAM_READY) return;
  Forget(pa_stream_update_timing_info(stream_, nullptr, nullptr));
  const pa_sample_spec spec = SpecOf(recordFormat_);
  // Done once what arrived reaches past Stop by the server's latest timing, or at once when the
  // input records nothing now; a server that does not answer is given up on.
  server.Wait(
      [&] {
        ReadRecorded();
        if (pa_stream_get_state(stream_) != PA_STREAM_READY || pa_stream_is_suspended(stream_) == 1) {
          return true;
        }
        const std::optional<CaptureBound>& timing = link_->timing;
        const int64_t taken = link_->takenBytes;
        return timing.has_value() && taken >= timing->endByte &&
               timing->offsetUs + UsOfBytes(taken, spec) >= stopUs;
      },
      kStopTakesMs);
}

void WavePlayer::KeepTakeTime() {
  TakeTiming timing;
  timing.rate = recordFormat_.sampleRate();
  timing.frameBytes = recordFormat_.bytesPerFrame();
  timing.ranUs = recordRanUs_;
  timing.runs = std::move(recordRuns_);
  timing.blocks = std::move(recordBlocks_);
  timing.bounds = std::move(recordBounds_);
  recordRuns_.clear();
  recordBlocks_.clear();
  recordBounds_.clear();
  if (timing.frameBytes <= 0 || timing.rate <= 0 || timing.runs.empty()) return;
  timing.arrivedBytes = recordBytes_.size() / timing.frameBytes * timing.frameBytes;
  const TakePlan plan = PlanTake(timing);
  recordBytes_.resize(static_cast<qsizetype>(timing.arrivedBytes));
  PlaceTake(recordBytes_, recordFormat_, plan.gaps, plan.lead, plan.takeEnd);
}

void WavePlayer::RecordFailed(uint64_t generation) {
  if (generation != generation_) return;
  // What arrived so far stays, so Save can still keep it; what the server still held is gone
  // with it.
  StopDevices();
  error_ = playertext::kDeviceFailed;
  if (notifyOwed_) {
    notifyOwed_ = false;
    Post(nvFailure, owedCommand_);
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
  ++command_;
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
