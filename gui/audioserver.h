// The program's one connection to the sound server, through the server's own client library
// (PulseAudio's API, which PipeWire serves as well). The connection is made when first needed and
// made again whenever it is found gone, so a server that ends and comes back, however long it was
// away, serves the next Play or Record as if it had never left.
//
// The library runs its own thread. Every call into it is made with that thread's lock held
// (`AudioServer::Lock`); its callbacks run on that thread with the lock held, and hand anything
// for the user interface over as queued messages.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

struct pa_context;
struct pa_threaded_mainloop;

class AudioServer {
 public:
  static AudioServer& Instance();
  AudioServer(const AudioServer&) = delete;
  AudioServer& operator=(const AudioServer&) = delete;

  class Lock {
   public:
    explicit Lock(AudioServer& server);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    AudioServer& server_;
  };
  // Whether this thread holds the lock: for checks in debug builds.
  bool HeldHere() const { return owner_.load() == std::this_thread::get_id(); }

  // A ready connection, made anew when the last one failed or ended; null when no server
  // answers in time. The lock must be held.
  pa_context* Connect();
  // Lets the library's thread run until `done` holds or `milliseconds` have passed; whether it
  // holds. The lock must be held; callbacks that change what `done` looks at call Signal.
  bool Wait(const std::function<bool()>& done, int milliseconds);
  // Wakes a Wait; for the library's callbacks.
  void Signal();
  // Gives up `context` when it is still the connection: its server took too long to answer, and
  // whatever it still owes (a stream being made) must never come to life later. The streams on it
  // fail. The lock must be held.
  void Abandon(pa_context* context);

  struct Defaults {
    std::string output;
    std::string input;
  };
  // The names of the server's default output and input; both empty without a server. Takes the
  // lock itself.
  Defaults DefaultDevices();

 private:
  AudioServer();
  void Drop();

  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  // The thread that holds the lock through Lock, and how often; the library's own thread, which
  // runs callbacks with the lock held, is not counted.
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;
};
