#include "gui/audioserver.h"

#include <pulse/pulseaudio.h>

namespace {

// A local server answers within milliseconds; one that does not answer in this time is treated
// as absent rather than holding the program.
constexpr int kAnswerMs = 5000;

bool Settled(pa_context_state_t state) {
  return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
}

}  // namespace

AudioServer& AudioServer::Instance() {
  // Never destroyed: a player that a static owns may still close its stream at exit.
  static AudioServer* const server = new AudioServer;
  return *server;
}

AudioServer::AudioServer() : loop_(pa_threaded_mainloop_new()) {
  if (loop_ != nullptr && pa_threaded_mainloop_start(loop_) < 0) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
  }
}

AudioServer::Lock::Lock(AudioServer& server) : server_(server) {
  if (server_.loop_ == nullptr) return;
  // The library's lock is recursive: a holder may lock again.
  pa_threaded_mainloop_lock(server_.loop_);
  if (server_.depth_++ == 0) server_.owner_ = std::this_thread::get_id();
}

AudioServer::Lock::~Lock() {
  if (server_.loop_ == nullptr) return;
  if (--server_.depth_ == 0) server_.owner_ = std::thread::id{};
  pa_threaded_mainloop_unlock(server_.loop_);
}

void AudioServer::Signal() { pa_threaded_mainloop_signal(loop_, 0); }

void AudioServer::Drop() {
  if (context_ == nullptr) return;
  pa_context_set_state_callback(context_, nullptr, nullptr);
  pa_context_disconnect(context_);
  // The connection holds references to its streams, not they to it: the streams still open on
  // it end with it, and their owners see them failed or terminated.
  pa_context_unref(context_);
  context_ = nullptr;
}

void AudioServer::Abandon(pa_context* context) {
  if (context != nullptr && context == context_) Drop();
}

pa_context* AudioServer::Connect() {
  if (loop_ == nullptr) return nullptr;
  if (context_ != nullptr) {
    // A connection under way is waited for; one that has failed or ended is gone for good, and
    // only a new one reaches a server that came back.
    Wait([this] { return Settled(pa_context_get_state(context_)); }, kAnswerMs);
    if (pa_context_get_state(context_) == PA_CONTEXT_READY) return context_;
    Drop();
  }
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Korvalen");
  if (context_ == nullptr) return nullptr;
  pa_context_set_state_callback(
      context_, [](pa_context*, void* server) { static_cast<AudioServer*>(server)->Signal(); },
      this);
  // No server is started on the program's behalf: a desktop starts its own, and a test's private
  // one must not be replaced by another while it is away.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
      !Wait([this] { return Settled(pa_context_get_state(context_)); }, kAnswerMs) ||
      pa_context_get_state(context_) != PA_CONTEXT_READY) {
    Drop();
    return nullptr;
  }
  return context_;
}

bool AudioServer::Wait(const std::function<bool()>& done, int milliseconds) {
  if (done()) return true;
  struct Expiry {
    pa_threaded_mainloop* loop;
    bool expired;
  } expiry{loop_, false};
  const pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  timeval deadline{};
  pa_timeval_add(pa_gettimeofday(&deadline), static_cast<pa_usec_t>(milliseconds) * 1000);
  pa_time_event* timer = api->time_new(
      pa_threaded_mainloop_get_api(loop_), &deadline,
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
        auto* expiry = static_cast<Expiry*>(data);
        expiry->expired = true;
        pa_threaded_mainloop_signal(expiry->loop, 0);
      },
      &expiry);
  while (!done() && !expiry.expired) pa_threaded_mainloop_wait(loop_);
  api->time_free(timer);
  return done();
}

AudioServer::Defaults AudioServer::DefaultDevices() {
  struct Answer {
    AudioServer* server;
    Defaults defaults;
    bool answered;
  } answer{this, {}, false};
  const Lock lock(*this);
  pa_context* context = Connect();
  if (context == nullptr) return {};
  pa_operation* asking = pa_context_get_server_info(
      context,
      [](pa_context*, const pa_server_info* info, void* data) {
        auto* answer = static_cast<Answer*>(data);
        if (info != nullptr) {
          answer->defaults.output = info->default_sink_name ? info->default_sink_name : "";
          answer->defaults.input = info->default_source_name ? info->default_source_name : "";
        }
        answer->answered = true;
        answer->server->Signal();
      },
      &answer);
  if (asking == nullptr) return {};
  const bool answered = Wait([&answer] { return answer.answered; }, kAnswerMs);
  // Its callback must not find the answer gone once this returns.
  if (!answered) pa_operation_cancel(asking);
  pa_operation_unref(asking);
  if (!answered) Abandon(context);
  return answered ? answer.defaults : Defaults{};
}
