// A play of the test's own that tells when its sound sounded, by the server's own timing of the
// play: on a busy machine a play starts well after it was asked for (the stream made, the sound
// sent to a server that waits its turn), and only the server knows how long after.
#pragma once

#include <pulse/pulseaudio.h>

#include <QTest>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gui/audioserver.h"

// The steady clock the player starts a take's time on, and the server's timing is read against.
inline int64_t SteadyNowUs() { return static_cast<int64_t>(pa_rtclock_now()); }

class TimedPlay {
 public:
  // Plays mono 16-bit `samples` at `rate` to the default output at once. The whole sound, and
  // silence after it, is in the server before it starts: nothing of it can come late, and the
  // server times it while the silence still plays, however late the timing is asked.
  TimedPlay(const std::vector<int16_t>& samples, int32_t rate) {
    const AudioServer::Lock lock(AudioServer::Instance());
    if (const char* why = Start(samples, rate)) error_ = why;
  }
  ~TimedPlay() {
    const AudioServer::Lock lock(AudioServer::Instance());
    if (drain_ != nullptr) {
      pa_operation_cancel(drain_);
      pa_operation_unref(drain_);
    }
    if (stream_ != nullptr) {
      pa_stream_set_state_callback(stream_, nullptr, nullptr);
      pa_stream_set_latency_update_callback(stream_, nullptr, nullptr);
      pa_stream_disconnect(stream_);
      pa_stream_unref(stream_);
    }
  }
  TimedPlay(const TimedPlay&) = delete;
  TimedPlay& operator=(const TimedPlay&) = delete;

  const std::string& Error() const { return error_; }
  bool Started() const { return error_.empty(); }
  // Runs the program's events (a take goes on meanwhile) until the server has played it all.
  bool WaitPlayedOut(int milliseconds) const {
    return Started() && QTest::qWaitFor(
                            [this] {
                              const AudioServer::Lock lock(AudioServer::Instance());
                              return drained_ || !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_));
                            },
                            milliseconds);
  }
  // When the output played the sound's first frame, on SteadyNowUs's clock: the middle of what
  // each timing the server gave while it played says. None when it never gave one.
  std::optional<int64_t> FirstFrameUs() const {
    const AudioServer::Lock lock(AudioServer::Instance());
    if (firstFrames_.empty()) return std::nullopt;
    std::vector<int64_t> sorted(firstFrames_);
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    return sorted[sorted.size() / 2];
  }
  // How far the timings disagree, in microseconds: a play that ran smoothly keeps them together.
  int64_t SpreadUs() const {
    const AudioServer::Lock lock(AudioServer::Instance());
    if (firstFrames_.empty()) return 0;
    const auto [low, high] = std::minmax_element(firstFrames_.begin(), firstFrames_.end());
    return *high - *low;
  }

 private:
  static constexpr int kSilenceAfterMs = 300;
  // The timing is asked for again at once only until the play has begun, which takes
  // milliseconds; should it never begin, the asking still ends.
  static constexpr int kMostAsks = 10000;

  // Starts the play with the lock held; why it failed, or null.
  const char* Start(const std::vector<int16_t>& samples, int32_t rate) {
    const pa_sample_spec spec{PA_SAMPLE_S16NE, static_cast<uint32_t>(rate), 1};
    std::vector<int16_t> sound(samples);
    sound.resize(sound.size() + static_cast<size_t>(rate) * kSilenceAfterMs / 1000, 0);
    bytes_ = static_cast<int64_t>(sound.size() * sizeof(int16_t));
    AudioServer& server = AudioServer::Instance();
    pa_context* context = server.Connect();
    if (context == nullptr) return "no audio server";
    stream_ = pa_stream_new(context, "Timed tone", &spec, nullptr);
    if (stream_ == nullptr) return "no stream";
    pa_stream_set_state_callback(
        stream_, [](pa_stream*, void*) { AudioServer::Instance().Signal(); }, nullptr);
    pa_stream_set_latency_update_callback(
        stream_, [](pa_stream*, void* play) { static_cast<TimedPlay*>(play)->NoteTiming(); }, this);
    if (pa_stream_connect_playback(stream_, nullptr, nullptr, PA_STREAM_AUTO_TIMING_UPDATE,
                                   nullptr, nullptr) != 0 ||
        !server.Wait([this] { return pa_stream_get_state(stream_) != PA_STREAM_CREATING; },
                     10000) ||
        pa_stream_get_state(stream_) != PA_STREAM_READY) {
      return "the server made no stream for the tone";
    }
    if (pa_stream_write(stream_, sound.data(), static_cast<size_t>(bytes_), nullptr, 0,
                        PA_SEEK_RELATIVE) != 0) {
      return "the server took no sound";
    }
    // A sound shorter than the stream's buffer starts only when asked to play out.
    drain_ = pa_stream_drain(
        stream_, [](pa_stream*, int, void* play) {
          static_cast<TimedPlay*>(play)->drained_ = true;
          AudioServer::Instance().Signal();
        },
        this);
    if (drain_ == nullptr) return "the server would not play the tone out";
    AskTiming();
    return nullptr;
  }
  void AskTiming() {
    if (++asked_ > kMostAsks) return;
    pa_operation* asking = pa_stream_update_timing_info(stream_, nullptr, nullptr);
    if (asking != nullptr) pa_operation_unref(asking);
  }

  // On the library's thread, with its lock held. The server says which byte it had handed to the
  // output when it measured, and how long the output takes to play what it was handed: the first
  // frame played that much before the measurement plus the output's delay, as long as the play
  // ran on unbroken, which it does until its last byte is handed over.
  void NoteTiming() {
    const pa_timing_info* info = pa_stream_get_timing_info(stream_);
    if (info != nullptr && !info->read_index_corrupt && info->read_index > 0 &&
        info->read_index < bytes_) {
      // The server's clock is this machine's wall clock, read a moment before.
      timeval now{};
      pa_gettimeofday(&now);
      const int64_t ageUs = static_cast<int64_t>(pa_timeval_load(&now)) -
                            static_cast<int64_t>(pa_timeval_load(&info->timestamp));
      const int64_t measuredUs = SteadyNowUs() - ageUs;
      const int64_t handedUs = static_cast<int64_t>(pa_bytes_to_usec(
          static_cast<uint64_t>(info->read_index), pa_stream_get_sample_spec(stream_)));
      firstFrames_.push_back(measuredUs + static_cast<int64_t>(info->sink_usec) - handedUs);
    }
    // Until the play is timed once, the next timing is asked for at once.
    if (firstFrames_.empty() && !drained_ && PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) {
      AskTiming();
    }
    AudioServer::Instance().Signal();
  }

  pa_stream* stream_ = nullptr;
  pa_operation* drain_ = nullptr;
  int64_t bytes_ = 0;
  bool drained_ = false;
  int asked_ = 0;
  std::vector<int64_t> firstFrames_;
  std::string error_;
};
