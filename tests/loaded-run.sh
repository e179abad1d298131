#!/usr/bin/env bash
# Runs the tests of a build on a machine kept busy on purpose, to show that none of them depends
# on how fast the machine is: as many busy loops as there are cores run all the while (stopped
# when the script ends), and the tests compete with them.
#
#   tests/loaded-run.sh BUILD suite [RUNS]
#       the whole suite with ctest -j twice the number of cores, RUNS times (10 by default),
#       leaving out the audio suite (tests/audio); the music window's suite runs against a private
#       audio server the script starts, as build.sh does
#   tests/loaded-run.sh BUILD one TEST [RUNS] [COPIES]
#       the one test TEST (Suite.Name, as ctest and gtest name it) RUNS times (240 by default), in
#       rounds of COPIES copies side by side (16 by default); the last round runs only those left.
#       A gtest pattern runs every test it names in one process ('*': a whole test program).
#       A test of the audio suite runs one copy at a time whatever COPIES says: it listens to the
#       one private server, where copies side by side would hear each other
#
# Logs of each run go to BUILD/loaded-run/; those of a failing run are kept and named at the end.
# The exit status is 0 only when every run passed; a folder that holds no tests fails at once.
set -uo pipefail

usage() {
  echo "usage: $0 BUILD suite [RUNS] | $0 BUILD one TEST [RUNS] [COPIES]" >&2
  exit 2
}
[ $# -ge 2 ] || usage
BUILD=$(cd "$1" && pwd) || usage
MODE=$2
shift 2
# ctest finds no tests in a folder that is no build, and still exits 0.
if [ ! -f "$BUILD/CTestTestfile.cmake" ] ||
    ! ctest --test-dir "$BUILD" -N 2> /dev/null | grep -qE '^Total Tests: [1-9]'; then
  echo "$BUILD holds no tests: give the folder the tests were built in" >&2
  exit 2
fi
CORES=$(nproc)
LOGS="$BUILD/loaded-run"
rm -rf "$LOGS"
mkdir -p "$LOGS"

source "$(dirname "$0")/audio_server.sh"

BUSY=()
finish() {
  [ ${#BUSY[@]} -eq 0 ] || kill "${BUSY[@]}" 2> /dev/null
  stop_audio_server
}
trap finish EXIT
trap 'exit 130' INT TERM

AUDIO=no
if command -v pulseaudio > /dev/null && command -v pactl > /dev/null && start_audio_server; then
  AUDIO=yes
fi
for _ in $(seq "$CORES"); do
  ( while :; do :; done ) &
  BUSY+=($!)
done
echo "$CORES busy loops running; private audio server: $AUDIO"

passed=0
failed=0
failures=()

case "$MODE" in
  suite)
    RUNS=${1:-10}
    # Without the audio server the music window's suite, which plays, is left out as well.
    exclude='^audio$'
    [ "$AUDIO" = yes ] || exclude='^(audio|musicui)$'
    for run in $(seq "$RUNS"); do
      log="$LOGS/suite-$run.log"
      if ctest --test-dir "$BUILD" -j $((2 * CORES)) -LE "$exclude" --timeout 300 \
          --output-on-failure > "$log" 2>&1 && ! grep -q 'No tests were found' "$log"; then
        passed=$((passed + 1))
        echo "run $run: passed: $(grep -E 'tests passed, ' "$log" | tail -1)"
        rm -f "$log"
      else
        failed=$((failed + 1))
        failures+=("$log")
        echo "run $run: FAILED:"
        sed -n '/The following tests FAILED/,$p' "$log" | grep -E '^\s+[0-9]+ - ' || tail -5 "$log"
      fi
    done
    ;;
  one)
    [ $# -ge 1 ] || usage
    TEST=$1
    RUNS=${2:-240}
    COPIES=${3:-16}
    [[ $RUNS =~ ^[1-9][0-9]*$ && $COPIES =~ ^[1-9][0-9]*$ ]] || usage
    binary=""
    for candidate in "$BUILD"/tests/*_tests; do
      # grep reads the whole list: one that stops at the first line cuts the program off, and
      # pipefail then takes a long list for none.
      if "$candidate" --gtest_filter="$TEST" --gtest_list_tests 2> /dev/null | grep '^  ' > /dev/null; then
        binary=$candidate
        break
      fi
    done
    if [ -z "$binary" ]; then
      echo "No test program of $BUILD/tests holds $TEST" >&2
      exit 2
    fi
    # TEST may name many (a pattern, or * for the whole program as one process): five minutes for
    # the first, one more for each other, so that only a run that hangs is cut short.
    tests=$("$binary" --gtest_filter="$TEST" --gtest_list_tests | grep -c '^  ')
    limit=$((300 + 60 * (tests - 1)))
    if [ "$(basename "$binary")" = audio_tests ] && [ "$COPIES" -gt 1 ]; then
      echo "$TEST listens to the one audio server, where copies would hear each other: one copy at a time"
      COPIES=1
    fi
    rounds=$(((RUNS + COPIES - 1) / COPIES))
    echo "$TEST of $(basename "$binary"): $RUNS runs, up to $COPIES copies side by side"
    cd "$BUILD/tests" || exit 2
    for round in $(seq "$rounds"); do
      copies=$((RUNS - (round - 1) * COPIES))
      [ "$copies" -le "$COPIES" ] || copies=$COPIES
      pids=()
      for copy in $(seq "$copies"); do
        QT_QPA_PLATFORM=offscreen timeout "$limit" "$binary" --gtest_filter="$TEST" \
          > "$LOGS/one-$round-$copy.log" 2>&1 &
        pids+=($!)
      done
      for copy in $(seq "$copies"); do
        log="$LOGS/one-$round-$copy.log"
        if wait "${pids[$((copy - 1))]}"; then
          passed=$((passed + 1))
          rm -f "$log"
        else
          failed=$((failed + 1))
          failures+=("$log")
        fi
      done
      echo "round $round: $passed passed, $failed failed so far"
    done
    ;;
  *)
    usage
    ;;
esac

echo "Under load: $passed of $((passed + failed)) runs passed, $failed failed."
for log in "${failures[@]}"; do echo "  failing run's log: $log"; done
[ "$failed" -eq 0 ]
