#!/usr/bin/env bash
# Sets up a Debian machine for Korvalen, builds it, and either runs every test or starts the editor.
#   ./build.sh test   install what is missing, build normally and with sanitizers, run all tests,
#                     then build everything with clang and run each fuzz target briefly
#   ./build.sh run    install what is missing, build, start the editor
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev fonts-liberation2
          fonts-dejavu-core libpulse-dev pulseaudio pulseaudio-utils clang)

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

# The audio tests play into a private audio server (tests/audio_server.sh), stopped when the
# script ends.
source tests/audio_server.sh

run_tests() {  # folder
  (cd "$1" && ctest --output-on-failure -j "$JOBS" --timeout 300)
}

# ctest gives every test a process of its own; each suite's program also runs once as one process,
# in its own order and from ctest's folder, so a test that leaves state behind fails the tests
# after it.
run_programs() {  # folder
  local program name
  for program in "$1"/tests/*_tests; do
    name=$(basename "$program")
    echo "Running $name as one process"
    if ! (cd "$1/tests" && QT_QPA_PLATFORM=offscreen timeout 900 "./$name") \
        > "$program.log" 2>&1; then
      grep -E '^\[  FAILED  \]' "$program.log" >&2 || tail -n 40 "$program.log" >&2
      echo "$name failed as one process; its whole log is $program.log" >&2
      return 1
    fi
  done
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
    trap stop_audio_server EXIT
    start_audio_server
    configure_and_build build
    run_tests build
    run_programs build
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
