#!/usr/bin/env bash
# Sets up a Debian machine for Korvalen, builds it, and either runs every test or starts the editor.
#   ./build.sh test   install what is missing, build normally and with sanitizers, run all tests
#   ./build.sh run    install what is missing, build, start the editor
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev fonts-liberation2
          fonts-dejavu-core)

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

run_tests() {  # folder
  (cd "$1" && ctest --output-on-failure -j "$JOBS" --timeout 300)
}

case "${1:-}" in
  test)
    install_missing
    configure_and_build build
    run_tests build
    # Sanitizer reports halt the program, so any report fails its test.
    export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    configure_and_build build-asan -DKORVALEN_SANITIZE=ON -DKORVALEN_BENCH=OFF
    run_tests build-asan
    ;;
  run)
    install_missing
    configure_and_build build
    if [ -x build/app/korvalen ]; then
      exec build/app/korvalen
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
