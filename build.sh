#!/usr/bin/env bash
# Sets up a Debian machine for Korvalen, builds it, and either runs every test or starts the editor.
#   ./build.sh test   install what is missing, build normally and with sanitizers, run all tests,
#                     then build everything with clang and run each fuzz target briefly
#   ./build.sh run    install what is missing, build, start the editor
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev fonts-liberation2
          fonts-dejavu-core qt6-multimedia-dev pulseaudio pulseaudio-utils clang)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

JOBS=$(nproc)

configure_and_build() {  # folder, extra cmake arguments...
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" > /dev/null
  cmake --build "$dir" -j "$JOBS"
}

# The audio tests play into a private audio server: a null output, and as the default input a
# source that records that output's monitor. Nothing reaches a sound card, and the server is
# stopped when the script ends.
AUDIO_DIR=""
start_audio_server() {
  AUDIO_DIR=$(mktemp -d "${TMPDIR:-/tmp}/korvalen-audio.XXXXXX")
  chmod 700 "$AUDIO_DIR"
  export XDG_RUNTIME_DIR="$AUDIO_DIR"
  export PULSE_RUNTIME_PATH="$AUDIO_DIR/pulse"
  trap stop_audio_server EXIT
  # -n: none of the system's default modules, so no hardware is touched.
  HOME="$AUDIO_DIR" pulseaudio -n --daemonize=yes --use-pid-file=yes --exit-idle-time=-1 \
    --log-target=file:"$AUDIO_DIR/server.log" \
    -L "module-native-protocol-unix auth-anonymous=1" \
    -L "module-null-sink sink_name=korvalen_null" \
    -L "module-remap-source source_name=korvalen_in master=korvalen_null.monitor"
  local tries=0
  until pactl info > /dev/null 2>&1; do
    tries=$((tries + 1))
    if [ $tries -ge 50 ]; then
      echo "The audio server did not start; see $AUDIO_DIR/server.log" >&2
      return 1
    fi
    sleep 0.1
  done
  pactl set-default-sink korvalen_null
  pactl set-default-source korvalen_in
}

stop_audio_server() {
  [ -n "$AUDIO_DIR" ] || return 0
  local pid_file="$AUDIO_DIR/pulse/pid"
  if [ -f "$pid_file" ]; then
    local pid
    pid=$(cat "$pid_file")
    kill "$pid" 2> /dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
  fi
  rm -rf "$AUDIO_DIR"
  AUDIO_DIR=""
}

run_tests() {  # folder
  (cd "$1" && ctest --output-on-failure -j "$JOBS" --timeout 300)
}

FUZZ_SECONDS=30
# Each fuzz target runs for FUZZ_SECONDS on its seed corpus in fuzz/corpus/<target>/. What it
# finds goes to a scratch corpus in the build folder, so the checked-in seeds stay as they are; a
# crash, a leak or a sanitizer report stops the target with an error and leaves the input beside
# that corpus.
run_fuzzers() {  # folder
  local dir=$1 source name scratch
  local extra=()
  for source in fuzz/*_fuzz.cpp; do
    name=$(basename "$source" .cpp)
    scratch="$dir/fuzz-runs/$name"
    rm -rf "$scratch"
    mkdir -p "$scratch/corpus"
    extra=()
    # A target's dictionary is named after what it reads: fuzz/wavefile.dict for wavefile_fuzz.
    [ -f "fuzz/${name%_fuzz}.dict" ] && extra+=("-dict=fuzz/${name%_fuzz}.dict")
    echo "Fuzzing $name for $FUZZ_SECONDS seconds"
    # The target's progress lines fill pages; only a failure shows them.
    if ! "$dir/fuzz/$name" -max_total_time="$FUZZ_SECONDS" -print_final_stats=1 \
        -artifact_prefix="$scratch/" "${extra[@]}" "$scratch/corpus" "fuzz/corpus/$name" \
        > "$scratch/log" 2>&1; then
      tail -n 80 "$scratch/log" >&2
      echo "$name failed; its input and whole log are in $scratch/" >&2
      return 1
    fi
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$scratch/log"
  done
}

case "${1:-}" in
  test)
    install_missing
    start_audio_server
    configure_and_build build
    run_tests build
    # Sanitizer reports halt the program, so any report fails its test.
    export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    # Unoptimised: it builds in well under half the time and the sanitizers see every access.
    configure_and_build build-asan -DKORVALEN_SANITIZE=ON -DKORVALEN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
    run_tests build-asan
    # Every folder through clang as well, so a clang break anywhere fails; only this build makes
    # the fuzz targets.
    configure_and_build build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DKORVALEN_FUZZ=ON \
      -DKORVALEN_TESTS=OFF -DKORVALEN_BENCH=OFF
    run_fuzzers build-fuzz
    ;;
  run)
    install_missing
    configure_and_build build
    if [ -x build/program/korvalen ]; then
      exec build/program/korvalen
    else
      echo "The editor's window is not built yet." >&2
      exit 1
    fi
    ;;
  *)
    echo "usage: $0 test|run" >&2
    exit 2
    ;;
esac
