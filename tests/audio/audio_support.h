// What the audio tests share: scratch files, a sine written as a WAVE file, waiting for the
// player's notices with a time limit, and whether an audio device is there at all.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "gui/audioserver.h"
#include "gui/mediaplayer.h"
#include "wave/wavefile.h"

inline constexpr const char* kNoAudioHelp =
    "No audio device: these tests need an audio server (./build.sh test starts one with a null "
    "output and its monitor as input) or a sound card.";

inline bool AudioAvailable() {
  const AudioServer::Defaults defaults = AudioServer::Instance().DefaultDevices();
  return !defaults.output.empty() && !defaults.input.empty();
}

struct ScratchFile {
  explicit ScratchFile(const std::string& leaf)
      : name(testing::TempDir() + "korvalen-audio-" + std::to_string(getpid()) + "-" + leaf) {}
  ~ScratchFile() { std::filesystem::remove(name); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  std::string name;
};

// A sine of half full scale in every channel; a length of 0 writes an empty file of the format.
inline SoundPtr SineSound(int channels, int32_t rate, int bytes, double hertz, double seconds) {
  bool abort = false;
  const int64_t count = static_cast<int64_t>(rate * seconds);
  auto make = [&] {
    WavePtr wave = NewWaveChecked(abort, count);
    for (int64_t i = 0; i < count; ++i) {
      wave->wave[i] = static_cast<int16_t>(16000 * std::sin(2 * M_PI * hertz * i / rate));
    }
    return wave;
  };
  if (channels == 2) return std::make_unique<StereoSound>(make(), make(), rate, bytes);
  return std::make_unique<MonoSound>(make(), rate, bytes);
}

inline bool WriteSine(const std::string& name, int channels, int32_t rate, int bytes,
                      double hertz, double seconds) {
  bool abort = false;
  SoundPtr sound = SineSound(channels, rate, bytes, hertz, seconds);
  return WriteWaveFile(abort, name, *sound, 0, sound->GetValues(), true);
}

inline int PeakOfWave(const Wave* wave) {
  int peak = 0;
  for (int32_t i = 0; wave != nullptr && i < wave->values; ++i) {
    peak = std::max(peak, std::abs(static_cast<int>(wave->wave[i])));
  }
  return peak;
}

inline int PeakOf(const Sound& sound) {
  return std::max(PeakOfWave(sound.GetLeftWave()), PeakOfWave(sound.GetRightWave()));
}

// Collects the player's notices.
struct NoticeLog {
  explicit NoticeLog(MediaPlayer& player) {
    player.SetOnNotify([this](TMPNotifyValues value, uint64_t) { notices.push_back(value); });
  }
  bool WaitForCount(size_t count, int milliseconds = 10000) {
    return QTest::qWaitFor([&] { return notices.size() >= count; }, milliseconds);
  }
  std::vector<TMPNotifyValues> notices;
};

// What the server's own command-line client prints, empty when it fails or hangs.
inline QByteArray Pactl(const QStringList& arguments) {
  QProcess pactl;
  pactl.start("pactl", arguments);
  return pactl.waitForFinished(5000) ? pactl.readAllStandardOutput() : QByteArray();
}

// Does to the audio server what its end, or the loss of its output, does to the program, and puts
// it back for whoever comes next. The work is done by a shell of its own, which a crash of the test
// does not stop, so the server is left as it was found in any case.
class ServerDisturbance {
 public:
  // Only the test server may be disturbed; a desktop's server is left alone.
  static bool OnTestServer() {
    return AudioServer::Instance().DefaultDevices().output == "korvalen_null";
  }
  // Whether the server plays a stream of a client's now: a play is under way there, not only in
  // the program.
  static bool PlaysAStream() { return !Pactl({"list", "short", "sink-inputs"}).trimmed().isEmpty(); }
  // The plays and recordings of clients on the server (a module's own streams left out).
  static int ClientStreams() {
    int streams = 0;
    for (const char* kind : {"sink-inputs", "source-outputs"}) {
      for (const QByteArray& line : Pactl({"list", "short", kind}).split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        streams += fields.size() > 2 && fields[2] != "-" ? 1 : 0;
      }
    }
    return streams;
  }
  static int CorkedPlays() { return static_cast<int>(Pactl({"list", "sink-inputs"}).count("Corked: yes")); }
  // Whether this program has a connection to the server.
  static bool ProgramConnected() {
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    for (const QByteArray& line : Pactl({"list", "short", "clients"}).split('\n')) {
      if (line.endsWith("\t" + program.toUtf8())) return true;
    }
    return false;
  }

  // The scripts see `spare` (a socket path of the test's own) and `module NAME FIELD` (the index
  // or the arguments of the server's module of that name as it was at the start).
  // Every client's connection is cut, as the server's end would: a spare socket is opened first,
  // the usual one closed and opened again through it, and the spare closed.
  static constexpr const char* kCutClients = R"sh(
    spareIndex=$(pactl load-module module-native-protocol-unix auth-anonymous=1 socket="$spare")
    PULSE_SERVER=unix:$spare pactl unload-module "$(module module-native-protocol-unix 1)"
    usualArguments=$(module module-native-protocol-unix 3)
    PULSE_SERVER=unix:$spare pactl load-module module-native-protocol-unix $usualArguments > /dev/null
    PULSE_SERVER=unix:$spare pactl unload-module "$spareIndex")sh";
  // The server is away for four seconds, longer than anything waits to connect again by itself:
  // no client can reach it, and every one it served is cut off. `away` is touched once it is.
  static constexpr const char* kAwayAWhile = R"sh(
    spareIndex=$(pactl load-module module-native-protocol-unix auth-anonymous=1 socket="$spare")
    PULSE_SERVER=unix:$spare pactl unload-module "$(module module-native-protocol-unix 1)"
    touch "$away"
    sleep 4
    usualArguments=$(module module-native-protocol-unix 3)
    PULSE_SERVER=unix:$spare pactl load-module module-native-protocol-unix $usualArguments > /dev/null
    PULSE_SERVER=unix:$spare pactl unload-module "$spareIndex")sh";
  // The server stops answering: it is hung until released.
  static constexpr const char* kHungUntilReleased = R"sh(
    pid=$(cat "$PULSE_RUNTIME_PATH/pid")
    kill -STOP "$pid"; touch "$away"; held; kill -CONT "$pid")sh";
  // The output and the input that records its monitor are gone until released.
  static constexpr const char* kNoDevicesUntilReleased = R"sh(
    sink=$(pactl get-default-sink); source=$(pactl get-default-source)
    pactl unload-module "$(module module-remap-source 1)"
    pactl unload-module "$(module module-null-sink 1)"
    touch "$away"; held
    pactl load-module module-null-sink $(module module-null-sink 3) > /dev/null
    pactl load-module module-remap-source $(module module-remap-source 3) > /dev/null
    pactl set-default-sink "$sink"; pactl set-default-source "$source")sh";
  // The input is there but delivers nothing until released, as one slow to wake does.
  static constexpr const char* kSilentInputUntilReleased = R"sh(
    source=$(pactl get-default-source)
    pactl suspend-source "$source" 1; touch "$away"; held; pactl suspend-source "$source" 0)sh";
  // The output goes, with the input that records its monitor, and comes back as it was.
  static constexpr const char* kRemoveOutput = R"sh(
    sink=$(pactl get-default-sink); source=$(pactl get-default-source)
    pactl unload-module "$(module module-remap-source 1)"
    pactl unload-module "$(module module-null-sink 1)"
    pactl load-module module-null-sink $(module module-null-sink 3) > /dev/null
    pactl load-module module-remap-source $(module module-remap-source 3) > /dev/null
    pactl set-default-sink "$sink"; pactl set-default-source "$source")sh";

  explicit ServerDisturbance(const char* script)
      : spare_("spare"), done_("disturbed"), away_("away"), release_("release") {
    for (const ScratchFile* file : {&done_, &away_, &release_}) std::filesystem::remove(file->name);
    // `held` waits for Release, and a minute at most should the test never come to it.
    static constexpr const char* kStart = R"sh(
      spare=$1; done=$2; away=$3; release=$4
      held() {
        n=0; until [ -e "$release" ] || [ $n -ge 600 ]; do sleep 0.1; n=$((n + 1)); done
      }
      modules=$(pactl list short modules)
      module() {
        printf '%s\n' "$modules" | awk -F'\t' -v name="$1" -v field="$2" '$2 == name { print $field; exit }'
      })sh";
    static constexpr const char* kEnd = R"sh(
      for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
      touch "$done")sh";
    const QString whole = QString(kStart) + script + kEnd;
    started_ = QProcess::startDetached("/bin/sh", {"-c", whole, "sh",
                                                   QString::fromStdString(spare_.name),
                                                   QString::fromStdString(done_.name),
                                                   QString::fromStdString(away_.name),
                                                   QString::fromStdString(release_.name)});
  }
  // Waits until the server is as it was.
  ~ServerDisturbance() {
    Release();
    if (started_ && !Back()) ADD_FAILURE() << "the audio server was not put back";
  }
  // Ends what a script holds until released.
  void Release() const { std::ofstream(release_.name).flush(); }
  bool Back() const {
    return QTest::qWaitFor([this] { return std::filesystem::exists(done_.name); }, 20000);
  }
  // For kAwayAWhile and the held scripts: waits until the disturbance is in place.
  bool Away() const {
    return QTest::qWaitFor([this] { return std::filesystem::exists(away_.name); }, 20000);
  }
  ServerDisturbance(const ServerDisturbance&) = delete;
  ServerDisturbance& operator=(const ServerDisturbance&) = delete;

  bool Started() const { return started_; }

 private:
  ScratchFile spare_;
  ScratchFile done_;
  ScratchFile away_;
  ScratchFile release_;
  bool started_ = false;
};

// What the output sounds, heard through its monitor by an independent client (parec) writing mono
// 16-bit samples into a file, so that neither a hold of this process nor a pipe's size can lose
// any of it.
class OutputMonitor {
 public:
  OutputMonitor(const std::string& leaf, int32_t rate) : file_(leaf) {
    process_.start("parec", {"-d", "@DEFAULT_MONITOR@", "--raw", "--format=s16ne", "--channels=1",
                             "--rate=" + QString::number(rate), "--latency-msec=20",
                             QString::fromStdString(file_.name)});
  }
  ~OutputMonitor() { Stop(); }
  OutputMonitor(const OutputMonitor&) = delete;
  OutputMonitor& operator=(const OutputMonitor&) = delete;
  void Stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    process_.waitForFinished(5000);
  }
  // Whether it started and hears the output.
  bool Hears() {
    return process_.waitForStarted() && QTest::qWaitFor([this] { return !Heard().empty(); }, 10000);
  }
  std::vector<int16_t> Heard() const {
    QFile file(QString::fromStdString(file_.name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    std::vector<int16_t> samples(static_cast<size_t>(bytes.size()) / 2);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
  }
  // How many samples it has heard, without reading them.
  int64_t Count() const { return QFileInfo(QString::fromStdString(file_.name)).size() / 2; }

 private:
  ScratchFile file_;
  QProcess process_;
};

// Keeps this thread busy, running none of its events, as a busy or stopped program does, until
// `done` holds: the hold is measured by what happened elsewhere (what the output sounded), never
// by this machine's speed. False when `done` never held within the time limit.
template <typename Done>
bool HoldThreadUntil(const Done& done, int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}
